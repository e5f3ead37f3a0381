#include "ZipStorage.h"

#include "ZipArchive.h"
#include "ZipException.h"

#include <cstring>

CZipStorage::CZipStorage() = default;

CZipStorage::~CZipStorage() = default;

void CZipStorage::open(const QString& path, int mode, quint64 volumeSize)
{
    const int baseMode = mode & 0xFF;
    if (isOpen() || (baseMode != CZipArchive::zipCreate && baseMode != CZipArchive::zipCreateAppend)
        || (mode & ~0xFF) != 0)
        CZipException::throwZipException(CZipException::genericError, path);

    m_writeBuffer.allocate(static_cast<int>(m_writeBufferSize));
    m_bytesInWriteBuffer = 0;
    m_volumeSize = static_cast<quint32>(volumeSize);
    m_archivePath = path;
    m_currentVolume = 0;
    m_bytesBeforeArchive = 0;
    const int openFlags = baseMode == CZipArchive::zipCreate
        ? CZipFile::modeCreate | CZipFile::shareDenyWrite | CZipFile::modeReadWrite
        : CZipFile::modeNoTruncate | CZipFile::shareDenyWrite | CZipFile::modeReadWrite;
    try {
        m_ownFile.open(path, openFlags, true);
    } catch (...) {
        reset();
        throw;
    }
    m_file = &m_ownFile;
    m_state = stateOpened | stateAutoClose;
}

void CZipStorage::openMemory(CZipAbstractFile& file)
{
    if (isOpen())
        CZipException::throwZipException(CZipException::genericError);
    m_writeBuffer.allocate(static_cast<int>(m_writeBufferSize));
    m_bytesInWriteBuffer = 0;
    m_file = &file;
    m_archivePath = file.getFilePath();
    m_currentVolume = 0;
    m_bytesBeforeArchive = 0;
    m_state = stateOpened;
    file.setLength(0);
}

QString CZipStorage::close(bool writeCentralDirectoryDone, bool wantPath)
{
    if (!isOpen())
        return QString();
    QString path;
    if (wantPath)
        path = m_file->hasFilePath() ? m_file->getFilePath() : m_archivePath;
    // Reset the state however the file ends, so the storage can be used again.
    struct Resetter {
        CZipStorage& storage;
        ~Resetter() { storage.reset(); }
    } resetter{*this};
    if (writeCentralDirectoryDone) {
        flush();
        flushFile();
    }
    if (ownsFile())
        m_file->close();
    return path;
}

void CZipStorage::reset()
{
    if (ownsFile() && m_file && !m_file->isClosed()) {
        try {
            m_file->close();
        } catch (const CZipException&) {
            // Already failing; the descriptor is released all the same.
        }
    }
    m_writeBuffer.release();
    m_bytesInWriteBuffer = 0;
    m_currentVolume = -1;
    m_state = 0;
    m_file = nullptr;
    m_bytesBeforeArchive = 0;
    m_archivePath.clear();
}

void CZipStorage::checkWritable(quint64 count) const
{
    if (getPosition() + count > maxArchiveSize)
        CZipException::throwZipException(CZipException::needsZip64, m_archivePath);
}

void CZipStorage::writeToFile(const void* data, quint32 count)
{
    m_file->write(data, count);
}

void CZipStorage::write(const void* data, quint32 count, bool)
{
    if (count == 0)
        return;
    checkWritable(count);
    const char* bytes = static_cast<const char*>(data);
    // A piece at least as big as the buffer skips it when the buffer is empty.
    if (m_bytesInWriteBuffer == 0 && count >= m_writeBufferSize) {
        writeToFile(bytes, count);
        return;
    }
    while (count > 0) {
        const quint32 room = m_writeBufferSize - m_bytesInWriteBuffer;
        const quint32 piece = count < room ? count : room;
        std::memcpy(m_writeBuffer.data() + m_bytesInWriteBuffer, bytes, piece);
        m_bytesInWriteBuffer += piece;
        bytes += piece;
        count -= piece;
        if (m_bytesInWriteBuffer == m_writeBufferSize)
            flush();
    }
}

void CZipStorage::flush()
{
    if (m_bytesInWriteBuffer == 0)
        return;
    const quint32 count = m_bytesInWriteBuffer;
    // Emptied first: after a failed write the bytes are not written again.
    m_bytesInWriteBuffer = 0;
    writeToFile(m_writeBuffer.data(), count);
}

void CZipStorage::flushFile()
{
    if (isReadOnly() || (isExisting() && isSegmented()))
        return;
    m_file->flush();
}

void CZipStorage::seekToEnd()
{
    flush();
    m_file->seekToEnd();
}

quint64 CZipStorage::getPosition() const
{
    quint64 position = m_file->getPosition() + m_bytesInWriteBuffer;
    if (getCurrentVolume() == 0)
        position -= m_bytesBeforeArchive;
    return position;
}
