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

void CZipRecordBuffer::putUInt8(quint8 value)
{
    if (!m_write || !reserve(1)) {
        m_ok = false;
        return;
    }
    m_write[m_position++] = static_cast<char>(value);
}

void CZipRecordBuffer::putUInt16(quint16 value)
{
    putUInt8(static_cast<quint8>(value));
    putUInt8(static_cast<quint8>(value >> 8));
}

void CZipRecordBuffer::putUInt32(quint32 value)
{
    putUInt16(static_cast<quint16>(value));
    putUInt16(static_cast<quint16>(value >> 16));
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

quint8 CZipRecordBuffer::getUInt8()
{
    if (!reserve(1))
        return 0;
    return static_cast<quint8>(m_read[m_position++]);
}

quint16 CZipRecordBuffer::getUInt16()
{
    const quint16 low = getUInt8();
    const quint16 high = getUInt8();
    return m_ok ? static_cast<quint16>(low | (high << 8)) : 0;
}

quint32 CZipRecordBuffer::getUInt32()
{
    const quint32 low = getUInt16();
    const quint32 high = getUInt16();
    return m_ok ? (low | (high << 16)) : 0;
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
