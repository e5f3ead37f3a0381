#include "ZipCompressor.h"

#include "DeflateCompressor.h"
#include "ZipCrc32.h"
#include "ZipCryptograph.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "ZipStorage.h"

CZipCompressor::COptions::~COptions() = default;

CZipCompressor* CZipCompressor::createCompressor(int method, CZipStorage* storage)
{
    if (method == methodStore || method == methodDeflate)
        return new ZipArchiveLib::CDeflateCompressor(storage);
    return nullptr;
}

CZipCompressor::CZipCompressor(CZipStorage* storage)
    : m_storage(storage)
{
}

CZipCompressor::~CZipCompressor() = default;

void CZipCompressor::initCompression(int, CZipFileHeader* header, CZipCryptograph* cryptograph)
{
    m_buffer.allocate(static_cast<int>(bufferSize()));
    m_totalIn = 0;
    m_totalOut = 0;
    m_header = header;
    m_cryptograph = cryptograph;
}

void CZipCompressor::finishCompression(bool)
{
    m_buffer.release();
}

void CZipCompressor::initDecompression(CZipFileHeader* header, CZipCryptograph* cryptograph)
{
    m_buffer.allocate(static_cast<int>(bufferSize()));
    m_header = header;
    m_cryptograph = cryptograph;
    m_compressedLeft = header->getDataSize();
    m_uncompressedLeft = header->m_uncompressedSize;
    m_readCrc = 0;
    m_totalIn = 0;
    m_totalOut = 0;
}

void CZipCompressor::finishDecompression(bool)
{
    m_buffer.release();
}

quint32 CZipCompressor::readInput(char* buffer, quint32 count)
{
    const quint32 piece = count < m_compressedLeft ? count : m_compressedLeft;
    if (piece == 0)
        return 0;
    m_storage->read(buffer, piece, false);
    if (m_cryptograph)
        m_cryptograph->decode(buffer, piece);
    m_compressedLeft -= piece;
    return piece;
}

void CZipCompressor::updateOptions(const COptions& options)
{
    m_bufferSizeSetting = options.m_bufferSize;
}

quint32 CZipCompressor::bufferSize() const
{
    return m_bufferSizeSetting == 0 ? defaultBufferSize : m_bufferSizeSetting;
}

int CZipCompressor::mapLibraryError(int libraryCode) const
{
    switch (libraryCode) {
    case 1:
        return CZipException::libStreamEnd;
    case 2:
        return CZipException::libNeedDictionary;
    case -1:
        return CZipException::libErrno;
    case -2:
        return CZipException::libStreamError;
    case -3:
        return CZipException::libDataError;
    case -4:
        return CZipException::libMemoryError;
    case -5:
        return CZipException::libBufferError;
    case -6:
        return CZipException::libVersionError;
    default:
        return CZipException::genericError;
    }
}

bool CZipCompressor::isCodeSuccessful(int libraryCode) const
{
    return libraryCode == 0 || libraryCode == 2;
}

void CZipCompressor::checkLibraryResult(int libraryCode) const
{
    if (!isCodeSuccessful(libraryCode))
        throwError(mapLibraryError(libraryCode));
}

void CZipCompressor::throwError(int code) const
{
    CZipException::throwZipException(code, m_storage ? m_storage->getArchivePath() : QString());
}

void CZipCompressor::countInput(const void* buffer, quint32 count)
{
    if (m_totalIn + count > maxEntrySize)
        throwError(CZipException::needsZip64);
    m_header->m_crc32 = ZipArchiveLib::crc32(m_header->m_crc32, buffer, count);
    m_totalIn += count;
}

void CZipCompressor::writeOutput(char* buffer, quint32 count)
{
    if (count == 0)
        return;
    if (m_cryptograph)
        m_cryptograph->encode(buffer, count);
    m_storage->write(buffer, count, false);
    m_totalOut += count;
}

void CZipCompressor::updateHeaderSizes()
{
    const quint64 compressed = m_header->m_compressedSize + m_totalOut;
    if (compressed > maxEntrySize || m_totalIn > maxEntrySize)
        throwError(CZipException::needsZip64);
    m_header->m_compressedSize = static_cast<quint32>(compressed);
    m_header->m_uncompressedSize = static_cast<quint32>(m_totalIn);
}
