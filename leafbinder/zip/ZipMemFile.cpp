#include "ZipMemFile.h"

#include "ZipException.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr quint64 maxMemFileSize = 0xFFFFFFFFu;
}

CZipMemFile::CZipMemFile(quint32 growIncrement)
    : m_growIncrement(growIncrement)
{
}

CZipMemFile::~CZipMemFile()
{
    close();
}

void CZipMemFile::close()
{
    if (m_ownsData)
        std::free(m_data);
    m_data = nullptr;
    m_position = m_capacity = m_length = 0;
}

void CZipMemFile::grow(quint64 size)
{
    if (size <= m_capacity)
        return;
    if (m_growIncrement == 0 || size > maxMemFileSize || !m_ownsData)
        CZipException::throwZipException(CZipException::libMemoryError);
    quint64 capacity = m_capacity;
    const quint64 steps = (size - capacity + m_growIncrement - 1) / m_growIncrement;
    capacity += steps * m_growIncrement;
    if (capacity > maxMemFileSize)
        capacity = maxMemFileSize;
    char* block = static_cast<char*>(std::realloc(m_data, static_cast<size_t>(capacity)));
    if (!block)
        CZipException::throwZipException(CZipException::libMemoryError);
    m_data = block;
    m_capacity = static_cast<quint32>(capacity);
}

quint64 CZipMemFile::seek(qint64 offset, int origin)
{
    qint64 base = 0;
    if (origin == fromCurrent)
        base = m_position;
    else if (origin == fromEnd)
        base = m_length;
    const qint64 target = base + offset;
    if (target < 0 || static_cast<quint64>(target) > maxMemFileSize)
        CZipException::throwZipException(CZipException::libMemoryError);
    grow(static_cast<quint64>(target));
    m_position = static_cast<quint32>(target);
    return m_position;
}

void CZipMemFile::setLength(quint64 length)
{
    if (length > maxMemFileSize)
        CZipException::throwZipException(CZipException::libMemoryError);
    grow(length);
    if (length > m_length)
        std::memset(m_data + m_length, 0, static_cast<size_t>(length - m_length));
    m_length = static_cast<quint32>(length);
    if (m_position > m_length)
        m_position = m_length;
}

quint32 CZipMemFile::read(void* buffer, quint32 count)
{
    if (m_position >= m_length || count == 0)
        return 0;
    const quint32 available = m_length - m_position;
    const quint32 n = count < available ? count : available;
    std::memcpy(buffer, m_data + m_position, n);
    m_position += n;
    return n;
}

void CZipMemFile::write(const void* buffer, quint32 count)
{
    if (count == 0)
        return;
    const quint64 end = static_cast<quint64>(m_position) + count;
    grow(end);
    // Bytes between the length and a position moved past it by seek read as zeros.
    if (m_position > m_length)
        std::memset(m_data + m_length, 0, m_position - m_length);
    std::memcpy(m_data + m_position, buffer, count);
    m_position = static_cast<quint32>(end);
    if (m_position > m_length)
        m_length = m_position;
}
