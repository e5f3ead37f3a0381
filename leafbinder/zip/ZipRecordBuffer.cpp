#include "ZipRecordBuffer.h"

#include <cstring>

CZipRecordBuffer::CZipRecordBuffer(int size)
    : m_own(size, true), m_write(m_own.data()), m_read(m_own.data()), m_size(m_own.size())
{
}

CZipRecordBuffer::CZipRecordBuffer(const char* data, int size)
    : m_read(data), m_size(data && size > 0 ? size : 0)
{
}

bool CZipRecordBuffer::reserve(int count)
{
    if (!m_ok || count < 0 || count > m_size - m_position) {
        m_ok = false;
        return false;
    }
    return true;
}

void CZipRecordBuffer::putNumber(quint32 value, int width)
{
    // The whole field or nothing: a number never lands half inside a record.
    if (!m_write || !reserve(width)) {
        m_ok = false;
        return;
    }
    for (int i = 0; i < width; ++i)
        m_write[m_position++] = static_cast<char>(value >> (8 * i));
}

quint32 CZipRecordBuffer::getNumber(int width)
{
    if (!reserve(width))
        return 0;
    quint32 value = 0;
    for (int i = 0; i < width; ++i)
        value |= static_cast<quint32>(static_cast<quint8>(m_read[m_position++])) << (8 * i);
    return value;
}

void CZipRecordBuffer::putBytes(const char* bytes, int count)
{
    if (count == 0)
        return;
    if (!m_write || !bytes || !reserve(count)) {
        m_ok = false;
        return;
    }
    std::memcpy(m_write + m_position, bytes, static_cast<size_t>(count));
    m_position += count;
}

void CZipRecordBuffer::getBytes(char* bytes, int count)
{
    if (count == 0)
        return;
    if (!bytes || !reserve(count)) {
        m_ok = false;
        return;
    }
    std::memcpy(bytes, m_read + m_position, static_cast<size_t>(count));
    m_position += count;
}

void CZipRecordBuffer::seek(int position)
{
    if (position < 0 || position > m_size) {
        m_ok = false;
        return;
    }
    m_position = position;
}
