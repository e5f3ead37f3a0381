#include "ZipAutoBuffer.h"

#include <cstring>

CZipAutoBuffer::CZipAutoBuffer(int size, bool zeroFill)
{
    allocate(size, zeroFill);
}

CZipAutoBuffer::CZipAutoBuffer(const CZipAutoBuffer& other)
{
    *this = other;
}

CZipAutoBuffer& CZipAutoBuffer::operator=(const CZipAutoBuffer& other)
{
    if (this == &other)
        return *this;
    allocate(other.m_size);
    if (m_size > 0)
        std::memcpy(m_data, other.m_data, static_cast<size_t>(m_size));
    return *this;
}

CZipAutoBuffer::~CZipAutoBuffer()
{
    release();
}

char* CZipAutoBuffer::allocate(int size, bool zeroFill)
{
    if (size < 0)
        size = 0;
    if (size != m_size) {
        release();
        if (size > 0) {
            m_data = new char[static_cast<size_t>(size)];
            m_size = size;
        }
    }
    if (zeroFill && m_size > 0)
        std::memset(m_data, 0, static_cast<size_t>(m_size));
    return m_data;
}

void CZipAutoBuffer::release()
{
    delete[] m_data;
    m_data = nullptr;
    m_size = 0;
}
