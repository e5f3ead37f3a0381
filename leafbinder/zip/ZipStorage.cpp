#include "ZipStorage.h"

#include "ZipArchive.h"
#include "ZipCallback.h"
#include "ZipException.h"
#include "ZipPlatform.h"
#include "ZipSplitNamesHandler.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int createFlags = CZipFile::modeCreate | CZipFile::shareDenyWrite | CZipFile::modeReadWrite;
constexpr int appendFlags = CZipFile::modeNoTruncate | CZipFile::shareDenyWrite | CZipFile::modeReadWrite;
constexpr int readOnlyFlags = CZipFile::modeNoTruncate | CZipFile::shareDenyWrite | CZipFile::modeRead;
constexpr int endRecordSize = 22;
constexpr quint32 endRecordSignature = 0x06054B50;

bool exists(const QString& path)
{
    return ZipPlatform::getPathKind(path) != 0;
}

quint32 clamp32(quint64 value)
{
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<quint32>(value);
}

} // namespace

CZipStorage::CZipStorage() = default;

CZipStorage::~CZipStorage() = default;

void CZipStorage::raise(int code) const
{
    CZipException::throwZipException(code, m_archivePath);
}

// --- Opening -------------------------------------------------------------------

void CZipStorage::open(const QString& path, int mode, quint64 volumeSize)
{
    const int baseMode = mode & 0xFF;
    const int segmented = mode & ~0xFF;
    const bool create = baseMode == CZipArchive::zipCreate || baseMode == CZipArchive::zipCreateAppend;
    const bool known = create || baseMode == CZipArchive::zipOpen || baseMode == CZipArchive::zipOpenReadOnly;
    const bool segmentedKnown = segmented == 0 || segmented == CZipArchive::zipModeSplit
        || segmented == CZipArchive::zipModeBinarySplit || segmented == CZipArchive::zipModeSpan;
    if (isOpen() || !known || !segmentedKnown || (baseMode == CZipArchive::zipCreateAppend && segmented != 0))
        CZipException::throwZipException(CZipException::genericError, path);

    m_writeBuffer.allocate(static_cast<int>(m_writeBufferSize));
    m_bytesInWriteBuffer = 0;
    m_archivePath = path;
    m_volumePath = path;
    m_bytesBeforeArchive = 0;
    m_state = stateOpened | stateAutoClose;
    try {
        if (create)
            openCreated(path, mode, volumeSize);
        else
            openExisting(path, mode);
    } catch (...) {
        reset();
        throw;
    }
}

void CZipStorage::openCreated(const QString& path, int mode, quint64 volumeSize)
{
    const int segmented = mode & ~0xFF;
    m_currentVolume = 0;
    m_file = &m_ownFile;
    if (segmented == 0) {
        m_ownFile.open(path, (mode & 0xFF) == CZipArchive::zipCreate ? createFlags : appendFlags, true);
        return;
    }

    m_bytesInVolume = 0;
    if (segmented == CZipArchive::zipModeSpan) {
        if (!m_spanCallback)
            raise(CZipException::noVolumeCallback);
        if (!ZipPlatform::isRemovableDrive(path))
            raise(CZipException::notRemovable);
        m_state |= stateSpanned;
        m_activeCallback = m_spanCallback;
    } else {
        if (volumeSize == 0)
            raise(CZipException::noVolumeSize);
        m_volumeSize = static_cast<quint32>(std::min<quint64>(volumeSize, maxArchiveSize));
        const bool binary = segmented == CZipArchive::zipModeBinarySplit;
        m_state |= binary ? stateBinarySplit : stateSplit;
        createSplitNames(binary);
        m_activeCallback = m_splitCallback;
    }
    createVolumeFile(4);
    const char marker[4] = {0x50, 0x4B, 0x07, 0x08};
    write(marker, 4, true);
}

void CZipStorage::openExisting(const QString& path, int mode)
{
    const int segmented = mode & ~0xFF;
    const bool readOnly = (mode & 0xFF) == CZipArchive::zipOpenReadOnly;
    m_state |= stateExisting | (readOnly ? quint32(stateReadOnly) : 0u);
    m_ownFile.open(path, readOnly ? readOnlyFlags : appendFlags, true);
    m_file = &m_ownFile;
    m_currentVolume = 0;
    if (segmented == CZipArchive::zipModeSpan) {
        m_state |= stateSpanned;
    } else if (segmented == CZipArchive::zipModeSplit) {
        m_state |= stateSplit;
    } else if (segmented == CZipArchive::zipModeBinarySplit) {
        m_state |= stateBinarySplit;
        createSplitNames(true);
        const quint32 number = m_splitNames->getVolumeNumber(path);
        if (number == 0 || number > 0xFFFF)
            raise(CZipException::badArchive);
        m_lastVolume = static_cast<quint16>(number - 1);
        if (m_lastVolume == 0) {
            m_state &= ~stateSegmentedBits;
            return;
        }
        m_volumeSizes.clear();
        for (int volume = 0; volume < m_lastVolume; ++volume) {
            CZipFile piece;
            piece.open(volumeName(static_cast<quint16>(volume), true), readOnlyFlags, true);
            m_volumeSizes.push_back(piece.getLength());
        }
        m_volumeSizes.push_back(m_ownFile.getLength());
        m_currentVolume = m_lastVolume;
        m_activeCallback = m_splitCallback;
    }
}

void CZipStorage::openMemory(CZipAbstractFile& file)
{
    if (isOpen())
        CZipException::throwZipException(CZipException::genericError);
    m_writeBuffer.allocate(static_cast<int>(m_writeBufferSize));
    m_bytesInWriteBuffer = 0;
    m_file = &file;
    m_archivePath = file.getFilePath();
    m_volumePath = m_archivePath;
    m_currentVolume = 0;
    m_bytesBeforeArchive = 0;
    m_state = stateOpened;
    file.setLength(0);
}

void CZipStorage::createSplitNames(bool binary)
{
    if (binary)
        m_splitNames = std::make_unique<CZipBinSplitNamesHandler>();
    else
        m_splitNames = std::make_unique<CZipRegularSplitNamesHandler>();
    m_splitNames->setArchivePath(m_archivePath);
}

void CZipStorage::setSegmCallback(CZipSegmCallback* callback, bool spanned)
{
    if (spanned)
        m_spanCallback = callback;
    else
        m_splitCallback = callback;
}

QString CZipStorage::volumeName(quint16 volume, bool forReading) const
{
    if (!m_splitNames)
        raise(CZipException::genericError);
    int flags = 0;
    if (isBinarySplit())
        flags = isExisting() ? CZipSplitNamesHandler::flagExisting : 0;
    else if (forReading && volume == m_lastVolume)
        flags = CZipSplitNamesHandler::flagLastVolume;
    return m_splitNames->getVolumeName(m_archivePath, quint32(volume) + 1, flags);
}

bool CZipStorage::askCallback(quint64 needed, int reason, int volume, QString& path) const
{
    return m_activeCallback && m_activeCallback->callback(needed, reason, volume, path);
}

// --- Closing -------------------------------------------------------------------

QString CZipStorage::close(bool writeCentralDirectoryDone, bool wantPath)
{
    if (!isOpen())
        return QString();
    // Reset the state however the file ends, so the storage can be used again.
    struct Resetter {
        CZipStorage& storage;
        ~Resetter() { storage.reset(); }
    } resetter{*this};

    QString path;
    bool named = false;
    if (writeCentralDirectoryDone) {
        flush();
        QString finalName;
        if (m_madeSingleVolume)
            finalName = m_renameSingleVolume ? m_archivePath : QString();
        else if (isNewSegmented() && isSplit() && !isBinarySplit())
            finalName = m_splitNames->getVolumeName(m_archivePath, quint32(getCurrentVolume()) + 1,
                                                    CZipSplitNamesHandler::flagLastVolume);
        if (!finalName.isEmpty()) {
            bool overwrite = !m_activeCallback;
            if (m_activeCallback) {
                int reason = CZipSegmCallback::reasonLastVolumeName;
                for (;;) {
                    const QString asked = finalName;
                    if (!askCallback(0, reason, getCurrentVolume(), finalName))
                        CZipException::throwZipException(CZipException::volumeRefused, finalName);
                    if (finalName == m_volumePath || !exists(finalName))
                        break;
                    // Said yes to a name that exists, unchanged: it may go.
                    if (reason == CZipSegmCallback::reasonFileExists && finalName == asked) {
                        overwrite = true;
                        break;
                    }
                    reason = CZipSegmCallback::reasonFileExists;
                }
            }
            m_ownFile.flush();
            m_ownFile.close();
            if (finalName != m_volumePath) {
                if (overwrite && exists(finalName))
                    ZipPlatform::removeFile(finalName, true);
                ZipPlatform::renameFile(m_volumePath, finalName, true);
            }
            path = finalName;
            named = true;
        }
    }
    if (wantPath && !named) {
        if (isExisting() && isBinarySplit())
            path = volumeName(m_lastVolume, true);
        else if (ownsFile())
            path = m_volumePath;
        else
            path = m_file->hasFilePath() ? m_file->getFilePath() : m_archivePath;
    }
    if (!named) {
        if (writeCentralDirectoryDone)
            flushFile();
        if (ownsFile())
            m_file->close();
    }
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
    m_volumePath.clear();
    m_splitNames.reset();
    m_volumeSizes.clear();
    m_lastVolume = 0;
    m_volumeSize = 0;
    m_freeInVolume = 0;
    m_bytesInVolume = 0;
    m_activeCallback = nullptr;
    m_madeSingleVolume = false;
    m_renameSingleVolume = false;
}

// --- Writing -------------------------------------------------------------------

void CZipStorage::checkWritable(quint64 count) const
{
    if (getPosition() + count > maxArchiveSize)
        raise(CZipException::needsZip64);
}

void CZipStorage::bufferedWrite(const char* bytes, quint32 count)
{
    // A piece at least as big as the buffer skips it when the buffer is empty.
    if (m_bytesInWriteBuffer == 0 && count >= m_writeBufferSize) {
        m_file->write(bytes, count);
        return;
    }
    while (count > 0) {
        const quint32 room = m_writeBufferSize - m_bytesInWriteBuffer;
        const quint32 piece = std::min(count, room);
        std::memcpy(m_writeBuffer.data() + m_bytesInWriteBuffer, bytes, piece);
        m_bytesInWriteBuffer += piece;
        bytes += piece;
        count -= piece;
        if (m_bytesInWriteBuffer == m_writeBufferSize)
            flush();
    }
}

void CZipStorage::write(const void* data, quint32 count, bool atOnce)
{
    if (count == 0)
        return;
    const char* bytes = static_cast<const char*>(data);
    if (!isSegmented()) {
        checkWritable(count);
        bufferedWrite(bytes, count);
        return;
    }
    // A binary-split archive is one stream cut anywhere; the others keep a
    // record on one volume so its offset and disk number stay right.
    const bool whole = atOnce && !isBinarySplit();
    while (count > 0) {
        const quint32 needed = whole ? count : 1;
        if (m_freeInVolume < needed) {
            nextVolume(needed);
            continue;
        }
        const quint32 piece = whole ? count : std::min(count, m_freeInVolume);
        checkWritable(piece);
        bufferedWrite(bytes, piece);
        m_freeInVolume -= piece;
        m_bytesInVolume += piece;
        bytes += piece;
        count -= piece;
    }
}

void CZipStorage::flush()
{
    if (m_bytesInWriteBuffer == 0)
        return;
    const quint32 count = m_bytesInWriteBuffer;
    // Emptied first: after a failed write the bytes are not written again.
    m_bytesInWriteBuffer = 0;
    m_file->write(m_writeBuffer.data(), count);
}

void CZipStorage::flushFile()
{
    if (isReadOnly() || (isExisting() && isSegmented()) || !m_file || m_file->isClosed())
        return;
    m_file->flush();
}

void CZipStorage::seekToEnd()
{
    flush();
    m_file->seekToEnd();
}

void CZipStorage::truncate(quint32 offset)
{
    flush();
    const quint64 base = getCurrentVolume() == 0 ? m_bytesBeforeArchive : 0;
    m_file->setLength(base + offset);
    m_file->seekToEnd();
}

quint64 CZipStorage::getPosition() const
{
    quint64 position = m_file->getPosition() + m_bytesInWriteBuffer;
    if (isBinarySplit())
        position += sizeBefore(m_currentVolume);
    if (isBinarySplit() || getCurrentVolume() == 0)
        position -= std::min<quint64>(position, m_bytesBeforeArchive);
    return position;
}

quint64 CZipStorage::sizeBefore(int volume) const
{
    quint64 size = 0;
    for (int i = 0; i < volume && i < static_cast<int>(m_volumeSizes.size()); ++i)
        size += m_volumeSizes.at(static_cast<size_t>(i));
    return size;
}

void CZipStorage::assureFree(quint32 needed)
{
    if (!isSegmented() || m_freeInVolume >= needed)
        return;
    // Moving on is pointless when not even a fresh split volume holds it.
    if (isSpanned() || needed <= m_volumeSize)
        nextVolume(needed);
}

quint32 CZipStorage::getFreeVolumeSpace() const
{
    return clamp32(ZipPlatform::getFreeSpace(m_volumePath.isEmpty() ? m_archivePath : m_volumePath));
}

void CZipStorage::nextVolume(quint32 needed)
{
    flush();
    if (m_bytesInVolume == 0) {
        // A fresh volume that cannot take one record: only another disk can help.
        if (!isSpanned())
            raise(CZipException::noVolumeSize);
        m_ownFile.close();
        ZipPlatform::removeFile(m_volumePath, false);
    } else {
        const int limit = isSpanned() ? 999 : 65535;
        if (m_currentVolume + 1 >= limit)
            raise(CZipException::tooManyVolumes);
        m_ownFile.flush();
        if (isBinarySplit())
            m_volumeSizes.push_back(m_ownFile.getLength());
        m_ownFile.close();
        ++m_currentVolume;
    }
    createVolumeFile(needed);
}

void CZipStorage::createVolumeFile(quint32 needed)
{
    QString path = isSpanned() ? m_archivePath : volumeName(getCurrentVolume(), false);
    int reason = CZipSegmCallback::reasonVolumeNeeded;
    bool keepExisting = false;
    bool withoutLabel = false;
    for (;;) {
        if (m_activeCallback) {
            const QString asked = path;
            if (!askCallback(needed, reason, getCurrentVolume(), path))
                CZipException::throwZipException(CZipException::volumeRefused, path);
            // A yes to the same name means: go on all the same.
            keepExisting = path == asked && (keepExisting || reason == CZipSegmCallback::reasonFileExists);
            withoutLabel = path == asked && (withoutLabel || reason == CZipSegmCallback::reasonLabelFailed);
        } else if (isSpanned()) {
            raise(CZipException::cannotContinue);
        }
        if (m_activeCallback && !keepExisting && exists(path)) {
            reason = CZipSegmCallback::reasonFileExists;
            continue;
        }
        if (isSpanned() && !withoutLabel
            && !ZipPlatform::setVolumeLabel(path, QStringLiteral("pkback# %1")
                                                      .arg(getCurrentVolume() + 1, 3, 10, QLatin1Char('0')))) {
            reason = CZipSegmCallback::reasonLabelFailed;
            continue;
        }
        if (m_ownFile.open(path, createFlags, !m_activeCallback))
            break;
        reason = CZipSegmCallback::reasonCreateFailed;
    }
    m_volumePath = path;
    m_bytesInVolume = 0;
    m_freeInVolume = isSpanned() ? clamp32(std::min<quint64>(ZipPlatform::getFreeSpace(path), maxArchiveSize))
                                 : m_volumeSize;
}

CZipStorage::CSegmentation CZipStorage::getSegmentation() const
{
    return {m_state, m_madeSingleVolume, m_renameSingleVolume, m_volumeSizes};
}

void CZipStorage::restoreSegmentation(const CSegmentation& saved)
{
    m_bytesInWriteBuffer = 0;
    m_state = saved.state;
    m_madeSingleVolume = saved.madeSingleVolume;
    m_renameSingleVolume = saved.renameSingleVolume;
    m_volumeSizes = saved.volumeSizes;
}

void CZipStorage::makeSingleVolume()
{
    // A spanned archive's only disk already holds the archive's name.
    m_renameSingleVolume = !isSpanned();
    m_state &= ~stateSegmentedBits;
    m_madeSingleVolume = true;
    m_volumeSizes.clear();
}

// --- Reading -------------------------------------------------------------------

void CZipStorage::read(void* buffer, quint32 count, bool atOnce)
{
    if (count == 0)
        return;
    flush();
    char* bytes = static_cast<char*>(buffer);
    quint32 got = m_file->read(bytes, count);
    while (got < count) {
        if (!isSegmented() || getCurrentVolume() >= m_lastVolume)
            raise(CZipException::badArchive);
        // A record read at once must not run over into the next volume.
        if (got > 0 && atOnce && !isBinarySplit())
            raise(CZipException::badArchive);
        changeVolume(static_cast<quint16>(getCurrentVolume() + 1));
        got += m_file->read(bytes + got, count - got);
    }
}

void CZipStorage::seekTo(quint16 disk, quint32 offset)
{
    flush();
    if (isBinarySplit()) {
        seekInBinary(quint64(offset) + m_bytesBeforeArchive);
        return;
    }
    changeVolume(disk);
    const quint64 base = getCurrentVolume() == 0 ? m_bytesBeforeArchive : 0;
    m_file->seek(static_cast<qint64>(base + offset), CZipAbstractFile::fromBegin);
}

void CZipStorage::seekInBinary(quint64 offset)
{
    quint64 before = 0;
    for (int volume = 0; volume <= m_lastVolume && volume < static_cast<int>(m_volumeSizes.size()); ++volume) {
        const quint64 size = m_volumeSizes.at(static_cast<size_t>(volume));
        if (offset < before + size || (volume == m_lastVolume && offset == before + size)) {
            changeVolume(static_cast<quint16>(volume));
            m_file->seek(static_cast<qint64>(offset - before), CZipAbstractFile::fromBegin);
            return;
        }
        before += size;
    }
    raise(CZipException::genericError);
}

void CZipStorage::changeVolume(quint16 volume)
{
    if (!isSegmented() || volume == m_currentVolume)
        return;
    if (volume > m_lastVolume)
        raise(CZipException::badArchive);
    m_ownFile.close();
    QString path;
    if (isSpanned()) {
        path = m_archivePath;
        for (;;) {
            if (!m_activeCallback)
                raise(CZipException::noVolumeCallback);
            if (!askCallback(0, CZipSegmCallback::reasonVolumeForReading, volume, path))
                CZipException::throwZipException(CZipException::volumeRefused, path);
            if (m_ownFile.open(path, readOnlyFlags, false))
                break;
        }
    } else {
        path = volumeName(volume, true);
        while (m_activeCallback && !exists(path)) {
            if (!askCallback(0, CZipSegmCallback::reasonVolumeForReading, volume, path))
                CZipException::throwZipException(CZipException::volumeRefused, path);
        }
        m_ownFile.open(path, readOnlyFlags, true);
    }
    m_volumePath = path;
    m_currentVolume = volume;
}

void CZipStorage::setVolumeOnRead(quint16 thisDisk)
{
    if (isBinarySplit())
        return;
    m_state &= ~stateSegmentedBits;
    m_currentVolume = thisDisk;
    m_lastVolume = thisDisk;
    if (thisDisk == 0)
        return;
    if (ZipPlatform::isRemovableDrive(m_archivePath)) {
        m_state |= stateSpanned;
        if (!m_spanCallback)
            raise(CZipException::noVolumeCallback);
        m_activeCallback = m_spanCallback;
    } else {
        m_state |= stateSplit;
        createSplitNames(false);
        m_activeCallback = m_splitCallback;
    }
    m_writeBuffer.release();
}

quint32 CZipStorage::findEndRecord()
{
    flush();
    const quint64 length = isBinarySplit() ? sizeBefore(m_lastVolume + 1) : m_file->getLength();
    const quint64 span = std::min<quint64>(length, endRecordSize + 0xFFFF);
    const quint64 lowest = length - span;
    // Bytes at [start, start + count) of the archive's last volume (of the
    // whole stream for a binary split).
    auto readAt = [this](quint64 start, char* into, quint32 count) {
        if (isBinarySplit()) {
            seekInBinary(start);
            read(into, count, false);
        } else {
            m_file->seek(static_cast<qint64>(start), CZipAbstractFile::fromBegin);
            if (m_file->read(into, count) != count)
                raise(CZipException::badArchive);
        }
    };

    CZipAutoBuffer chunk(static_cast<int>(m_searchBufferSize + 3));
    quint64 end = length;
    while (end > lowest) {
        const quint64 start = std::max<quint64>(lowest, end > m_searchBufferSize ? end - m_searchBufferSize : 0);
        // Three bytes of the chunk after this one, for a signature across the seam.
        const quint32 count = static_cast<quint32>(std::min<quint64>(end - start + 3, length - start));
        readAt(start, chunk.data(), count);
        for (qint64 i = static_cast<qint64>(count) - 4; i >= 0; --i) {
            const auto* b = reinterpret_cast<const unsigned char*>(chunk.data() + i);
            const quint32 value = quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
            if (value != endRecordSignature)
                continue;
            const quint64 position = start + static_cast<quint64>(i);
            if (position + endRecordSize > length)
                continue;
            // The comment must fit in the file; a signature inside a comment
            // that claims more is not the record.
            char commentLength[2];
            readAt(position + 20, commentLength, 2);
            const quint32 comment = quint32(static_cast<unsigned char>(commentLength[0]))
                | (quint32(static_cast<unsigned char>(commentLength[1])) << 8);
            if (position + endRecordSize + comment > length)
                continue;
            if (position > 0xFFFFFFFFu)
                raise(CZipException::needsZip64);
            return static_cast<quint32>(position);
        }
        end = start;
    }
    raise(CZipException::noEndRecord);
}
