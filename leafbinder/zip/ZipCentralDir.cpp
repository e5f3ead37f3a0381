#include "ZipCentralDir.h"

#include "ZipAbstractFile.h"
#include "ZipCallback.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "ZipRecordBuffer.h"
#include "ZipStorage.h"

#include <algorithm>

CZipCentralDir::CZipCentralDir()
    : m_info(std::make_shared<CInfo>())
{
}

CZipCentralDir::~CZipCentralDir() = default;

void CZipCentralDir::init(CZipArchive* archive, CZipStorage* storage)
{
    m_archive = archive;
    m_storage = storage;
}

void CZipCentralDir::reset()
{
    close();
    m_info = std::make_shared<CInfo>();
}

void CZipCentralDir::close()
{
    m_openedFile = nullptr;
    m_headers.clear();
}

// --- Reading ---------------------------------------------------------------------

void CZipCentralDir::readCentralDirectory()
{
    readEndRecord();
    readHeaders();
}

void CZipCentralDir::readEndRecord()
{
    const QString path = m_storage->getArchivePath();
    const quint32 position = m_storage->findEndRecord();
    char fixed[endRecordFixedSize];
    m_storage->seekTo(0, position);
    m_storage->read(fixed, endRecordFixedSize, true);
    CZipRecordBuffer record(fixed, endRecordFixedSize);
    record.getUInt32();
    CInfo& info = *m_info;
    info.m_endRecordPosition = position;
    info.m_thisDisk = record.getUInt16();
    info.m_centralDirDisk = record.getUInt16();
    info.m_entriesOnDisk = record.getUInt16();
    info.m_totalEntries = record.getUInt16();
    info.m_size = record.getUInt32();
    info.m_offset = record.getUInt32();
    const quint16 commentSize = record.getUInt16();
    if (!record.ok())
        CZipException::throwZipException(CZipException::badArchive, path);
    info.m_comment.allocate(commentSize);
    m_storage->read(info.m_comment.data(), commentSize, true);

    const bool anyAtLimit = info.m_thisDisk == 0xFFFF || info.m_centralDirDisk == 0xFFFF
        || info.m_entriesOnDisk == 0xFFFF || info.m_totalEntries == 0xFFFF || info.m_size == 0xFFFFFFFFu
        || info.m_offset == 0xFFFFFFFFu;
    if (anyAtLimit && position >= 20) {
        char locator[4];
        m_storage->seekTo(0, position - 20);
        m_storage->read(locator, 4, true);
        if (CZipRecordBuffer(locator, 4).getUInt32() == zip64LocatorSignature)
            CZipException::throwZipException(CZipException::needsZip64, path);
    }

    m_storage->setVolumeOnRead(info.m_thisDisk);
    const quint64 directoryEnd = quint64(info.m_offset) + info.m_size;
    if (!m_storage->isSegmented() && position < directoryEnd)
        CZipException::throwZipException(CZipException::badArchive, path);
    // Data put before the archive (a program stub, say) shifts every offset.
    if (m_storage->getBytesBeforeArchive() == 0 && info.m_thisDisk == 0 && position >= directoryEnd)
        m_storage->setBytesBeforeArchive(static_cast<quint32>(position - directoryEnd));
    if ((info.m_size == 0) != (info.m_totalEntries == 0))
        CZipException::throwZipException(CZipException::badArchive, path);
    info.m_written = true;
}

void CZipCentralDir::readHeaders()
{
    const CInfo& info = *m_info;
    const QString path = m_storage->getArchivePath();
    if (info.m_size != 0) {
        m_storage->seekTo(info.m_centralDirDisk, info.m_offset);
        m_headers.reserve(info.m_totalEntries);
        for (int i = 0; i < info.m_totalEntries; ++i) {
            auto header = std::make_unique<CZipFileHeader>();
            if (!header->readCentralHeader(*m_storage))
                CZipException::throwZipException(CZipException::badArchive, path);
            header->m_centralDir = this;
            m_headers.push_back(std::move(header));
        }
    }
    std::stable_sort(m_headers.begin(), m_headers.end(), [](const auto& a, const auto& b) {
        return a->m_diskStart != b->m_diskStart ? a->m_diskStart < b->m_diskStart : a->m_offset < b->m_offset;
    });
    // Two entries at one place would make changing either destroy the other.
    for (size_t i = 1; i < m_headers.size(); ++i) {
        if (m_headers[i]->m_diskStart == m_headers[i - 1]->m_diskStart
            && m_headers[i]->m_offset == m_headers[i - 1]->m_offset)
            CZipException::throwZipException(CZipException::badArchive, path);
    }
}

// --- Entries ---------------------------------------------------------------------

CZipFileHeader* CZipCentralDir::addNewFile(const CZipFileHeader& header, int replaceIndex, int level,
                                           bool keepCrcAndSizes)
{
    auto entry = std::make_unique<CZipFileHeader>();
    entry->m_centralDir = this;
    entry->m_method = header.m_method;
    entry->m_modTime = header.m_modTime;
    entry->m_modDate = header.m_modDate;
    entry->m_externalAttributes = header.m_externalAttributes;
    entry->m_localCompressedSize = header.m_localCompressedSize;
    entry->m_localUncompressedSize = header.m_localUncompressedSize;
    entry->m_localHeaderSize = header.m_localHeaderSize;
    entry->m_name = header.m_name;
    entry->m_nameBytes = header.m_nameBytes;
    entry->m_comment = header.m_comment;
    entry->m_commentBytes = header.m_commentBytes;
    entry->m_textsEncoded = header.m_textsEncoded;
    entry->m_utf8Texts = header.m_utf8Texts;
    entry->m_localExtra = header.m_localExtra;
    entry->m_centralExtra = header.m_centralExtra;
    entry->m_centralExtra.removeInternalHeaders(true);
    entry->m_hostSystem = header.m_hostSystem;
    entry->m_encryptionMethod = header.m_encryptionMethod;

    entry->prepareData(level, m_storage->isSegmented());
    if (keepCrcAndSizes) {
        entry->m_crc32 = header.m_crc32;
        entry->m_compressedSize = header.m_compressedSize;
        entry->m_uncompressedSize = header.m_uncompressedSize;
    }

    if (replaceIndex >= 0 && replaceIndex < getCount()) {
        entry->encodeTexts();
        entry->checkFieldSizes();
        const CZipFileHeader* old = getAt(replaceIndex);
        entry->m_offset = old->m_offset;
        entry->m_diskStart = old->m_diskStart;
        m_headers[static_cast<size_t>(replaceIndex)] = std::move(entry);
        m_openedFile = getAt(replaceIndex);
        m_info->m_lastAddedIndex = replaceIndex;
    } else {
        m_storage->seekToEnd();
        m_headers.push_back(std::move(entry));
        m_openedFile = m_headers.back().get();
        m_info->m_lastAddedIndex = getCount() - 1;
    }
    m_info->m_written = false;
    return m_openedFile;
}

void CZipCentralDir::removeFile(int index)
{
    if (index < 0 || index >= getCount())
        return;
    if (m_openedFile == getAt(index))
        m_openedFile = nullptr;
    m_headers.erase(m_headers.begin() + index);
    if (m_info->m_lastAddedIndex == index)
        m_info->m_lastAddedIndex = -1;
    else if (m_info->m_lastAddedIndex > index)
        --m_info->m_lastAddedIndex;
}

void CZipCentralDir::removeLastFile()
{
    if (m_headers.empty())
        return;
    const quint32 offset = m_headers.back()->m_offset;
    m_storage->truncate(offset);
    removeFile(getCount() - 1);
    m_info->m_written = false;
}

void CZipCentralDir::removeFromDisk()
{
    if (!m_info->m_written)
        return;
    if (!m_storage->isSegmented() && !m_storage->isReadOnly())
        m_storage->truncate(m_info->m_offset);
    m_info->m_written = false;
}

// --- Writing ---------------------------------------------------------------------

quint32 CZipCentralDir::getSize()
{
    quint32 size = endRecordFixedSize + static_cast<quint32>(m_info->m_comment.size());
    for (const auto& header : m_headers) {
        header->encodeTexts();
        size += CZipFileHeader::centralFixedSize + static_cast<quint32>(header->m_nameBytes.size())
            + static_cast<quint32>(header->m_centralExtra.getTotalSize())
            + static_cast<quint32>(header->m_commentBytes.size());
    }
    return size;
}

void CZipCentralDir::writeCentralDirectory(CZipActionCallback* callback)
{
    if (m_info->m_written)
        return;
    m_info->m_totalEntries = static_cast<quint16>(getCount());
    if (!m_storage->isSegmented())
        m_storage->seekToEnd();
    m_info->m_size = 0;
    if (m_storage->isSegmented() && canBeSingleVolume()) {
        writeAsSingleVolume(callback);
        return;
    }
    if (m_storage->isSegmented())
        m_storage->assureFree(m_storage->isBinarySplit() ? 1 : getSize());
    writeHeaders(callback);
    writeEndRecord();
    m_info->m_written = true;
}

void CZipCentralDir::writeHeaders(CZipActionCallback* callback)
{
    CInfo& info = *m_info;
    info.m_centralDirDisk = m_storage->getCurrentDisk();
    info.m_offset = static_cast<quint32>(m_storage->getPosition());
    info.m_entriesOnDisk = 0;
    if (callback) {
        callback->init(m_storage->getArchivePath(), QString());
        callback->setTotal(static_cast<quint64>(getCount()));
    }
    for (int i = 0; i < getCount(); ++i) {
        const quint16 diskBefore = m_storage->getCurrentDisk();
        const quint32 size = getAt(i)->writeCentralHeader(*m_storage);
        const quint16 diskAfter = m_storage->getCurrentDisk();
        if (i == 0) {
            // The first header may have opened a new volume: the directory starts there.
            info.m_centralDirDisk = diskAfter;
            info.m_offset = static_cast<quint32>(m_storage->getPosition() - size);
            info.m_entriesOnDisk = 1;
        } else if (diskAfter != diskBefore) {
            info.m_entriesOnDisk = 1;
        } else {
            ++info.m_entriesOnDisk;
        }
        info.m_size += size;
        if (callback && !callback->requestCallback()) {
            callback->callbackEnd();
            if (m_storage->isSegmented())
                CZipException::throwZipException(CZipException::stoppedUnsafely, m_storage->getArchivePath());
            // What was written of the directory goes; close can write it again.
            m_storage->truncate(info.m_offset);
            CZipException::throwZipException(CZipException::stoppedSafely, m_storage->getArchivePath());
        }
    }
    if (callback) {
        callback->requestLastCallback();
        callback->callbackEnd();
    }
}

void CZipCentralDir::writeEndRecord()
{
    const int commentSize = m_info->m_comment.size();
    if (m_storage->isSegmented()) {
        const quint16 before = m_storage->getCurrentDisk();
        m_storage->assureFree(m_storage->isBinarySplit() ? 1u : quint32(endRecordFixedSize + commentSize));
        if (!m_storage->isBinarySplit() && m_storage->getCurrentDisk() != before)
            m_info->m_entriesOnDisk = 0;
    }
    CZipRecordBuffer record(endRecordFixedSize + commentSize);
    m_info->m_thisDisk = m_storage->getCurrentDisk();
    record.putUInt32(endRecordSignature);
    record.putUInt16(m_info->m_thisDisk);
    record.putUInt16(m_info->m_centralDirDisk);
    record.putUInt16(m_info->m_entriesOnDisk);
    record.putUInt16(m_info->m_totalEntries);
    record.putUInt32(m_info->m_size);
    record.putUInt32(m_info->m_offset);
    record.putUInt16(static_cast<quint16>(commentSize));
    record.putBytes(m_info->m_comment.data(), commentSize);
    if (!record.ok() || record.remaining() != 0)
        CZipException::throwZipException(CZipException::internalError);
    m_storage->write(record.data(), static_cast<quint32>(record.size()), true);
}
