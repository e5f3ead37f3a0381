#include "platform/os/regularfiledevice.h"

#include "platform/os/regularfile.h"

RegularFileDevice::RegularFileDevice(std::shared_ptr<const RegularFile> file)
    : m_file(std::move(file))
{
    // Unbuffered, as QBuffer is: the position is then where the next read
    // starts, and readers do their own buffering.
    if (m_file)
        QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

RegularFileDevice::~RegularFileDevice() = default;

qint64 RegularFileDevice::size() const
{
    return m_file ? m_file->size() : 0;
}

qint64 RegularFileDevice::readData(char* data, qint64 maxSize)
{
    return m_file->readAt(pos(), data, maxSize);
}

qint64 RegularFileDevice::writeData(const char*, qint64)
{
    return -1;
}
