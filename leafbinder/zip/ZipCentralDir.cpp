#include "ZipCentralDir.h"

#include "ZipException.h"
#include "ZipFileHeader.h"
#include "ZipRecordBuffer.h"
#include "ZipStorage.h"

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

CZipFileHeader* CZipCentralDir::addNewFile(const CZipFileHeader& header, int level, bool keepCrcAndSizes)
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

    m_storage->seekToEnd();
    m_headers.push_back(std::move(entry));
    m_openedFile = m_headers.back().get();
    m_info->m_lastAddedIndex = getCount() - 1;
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

void CZipCentralDir::writeCentralDirectory()
{
    if (m_info->m_written)
        return;
    m_info->m_totalEntries = static_cast<quint16>(getCount());
    if (!m_storage->isSegmented())
        m_storage->seekToEnd();
    m_info->m_size = 0;
    m_info->m_centralDirDisk = m_storage->getCurrentVolume();
    m_info->m_offset = static_cast<quint32>(m_storage->getPosition());
    for (const auto& header : m_headers)
        m_info->m_size += header->writeCentralHeader(*m_storage);
    m_info->m_entriesOnDisk = m_info->m_totalEntries;
    writeEndRecord();
    m_info->m_written = true;
}

void CZipCentralDir::writeEndRecord()
{
    const int commentSize = m_info->m_comment.size();
    CZipRecordBuffer record(endRecordFixedSize + commentSize);
    m_info->m_thisDisk = m_storage->getCurrentVolume();
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
