#include "DeflateCompressor.h"

#include "ZipCryptograph.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "ZipStorage.h"

#include <zlib.h>

#include <cstring>

namespace ZipArchiveLib {

struct CDeflateCompressor::CStream {
    z_stream z;
};

CDeflateCompressor::CDeflateCompressor(CZipStorage* storage)
    : CBaseLibCompressor(storage), m_stream(std::make_unique<CStream>())
{
    std::memset(&m_stream->z, 0, sizeof m_stream->z);
}

CDeflateCompressor::~CDeflateCompressor()
{
    endStream(true);
}

quint16 CDeflateCompressor::method() const
{
    return m_header ? m_header->getMethod() : quint16(methodStore);
}

void CDeflateCompressor::updateOptions(const CZipCompressor::COptions& options)
{
    CZipCompressor::updateOptions(options);
    if (const auto* deflateOptions = dynamic_cast<const COptions*>(&options))
        m_options = *deflateOptions;
    m_options.m_bufferSize = options.m_bufferSize;
}

void CDeflateCompressor::initCompression(int level, CZipFileHeader* header, CZipCryptograph* cryptograph)
{
    endStream(true);
    CZipCompressor::initCompression(level, header, cryptograph);
    m_finished = false;
    if (method() != methodDeflate)
        return;

    z_stream& z = m_stream->z;
    std::memset(&z, 0, sizeof z);
    if (m_options.m_detectLibraryMemoryLeaks) {
        z.zalloc = &CBaseLibCompressor::allocateBlock;
        z.zfree = &CBaseLibCompressor::releaseBlock;
        z.opaque = static_cast<CBaseLibCompressor*>(this);
    }
    const int result = deflateInit2(&z, level == -1 ? 6 : level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    checkLibraryResult(result);
    m_streamActive = true;
    z.next_out = reinterpret_cast<Bytef*>(m_buffer.data());
    z.avail_out = static_cast<uInt>(m_buffer.size());
}

void CDeflateCompressor::compress(const void* buffer, quint32 count)
{
    if (count == 0)
        return;
    countInput(buffer, count);
    if (method() != methodDeflate) {
        if (!m_cryptograph) {
            m_storage->write(buffer, count, false);
            m_totalOut += count;
            return;
        }
        // Encryption works in place, so the caller's bytes are copied first.
        if (static_cast<quint32>(m_buffer.size()) < count)
            m_buffer.allocate(static_cast<int>(count));
        std::memcpy(m_buffer.data(), buffer, count);
        writeOutput(m_buffer.data(), count);
        return;
    }

    z_stream& z = m_stream->z;
    z.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
    z.avail_in = count;
    while (z.avail_in > 0) {
        checkLibraryResult(deflate(&z, Z_NO_FLUSH));
        if (z.avail_out == 0) {
            writeOutput(m_buffer.data(), static_cast<quint32>(m_buffer.size()));
            z.next_out = reinterpret_cast<Bytef*>(m_buffer.data());
            z.avail_out = static_cast<uInt>(m_buffer.size());
        }
    }
}

void CDeflateCompressor::finishCompression(bool afterException)
{
    if (!afterException && method() == methodDeflate && m_streamActive) {
        z_stream& z = m_stream->z;
        z.next_in = nullptr;
        z.avail_in = 0;
        int result;
        for (;;) {
            result = deflate(&z, Z_FINISH);
            if (result == Z_OK && z.avail_out == 0) {
                writeOutput(m_buffer.data(), static_cast<quint32>(m_buffer.size()));
                z.next_out = reinterpret_cast<Bytef*>(m_buffer.data());
                z.avail_out = static_cast<uInt>(m_buffer.size());
                continue;
            }
            break;
        }
        if (result != Z_STREAM_END)
            checkLibraryResult(result);
        writeOutput(m_buffer.data(), static_cast<quint32>(m_buffer.size()) - z.avail_out);
        m_streamActive = false;
        checkLibraryResult(deflateEnd(&z));
    }
    if (!afterException && m_header)
        updateHeaderSizes();
    m_finished = true;
    endStream(afterException);
    CZipCompressor::finishCompression(afterException);
}

void CDeflateCompressor::initDecompression(CZipFileHeader* header, CZipCryptograph* cryptograph)
{
    endStream(true);
    CZipCompressor::initDecompression(header, cryptograph);
    m_finished = false;
    if (method() != methodDeflate)
        return;
    z_stream& z = m_stream->z;
    std::memset(&z, 0, sizeof z);
    if (m_options.m_detectLibraryMemoryLeaks) {
        z.zalloc = &CBaseLibCompressor::allocateBlock;
        z.zfree = &CBaseLibCompressor::releaseBlock;
        z.opaque = static_cast<CBaseLibCompressor*>(this);
    }
    checkLibraryResult(inflateInit2(&z, -MAX_WBITS));
    m_streamActive = true;
    m_inflating = true;
}

quint32 CDeflateCompressor::decompress(void* buffer, quint32 count)
{
    if (m_finished || count == 0)
        return 0;
    char* out = static_cast<char*>(buffer);
    quint32 produced = 0;
    if (method() != methodDeflate) {
        produced = readInput(out, count);
        if (produced == 0)
            m_finished = true;
    } else {
        z_stream& z = m_stream->z;
        z.next_out = reinterpret_cast<Bytef*>(out);
        z.avail_out = count;
        while (z.avail_out > 0) {
            if (z.avail_in == 0) {
                const quint32 got = readInput(m_buffer.data(), static_cast<quint32>(m_buffer.size()));
                z.next_in = reinterpret_cast<Bytef*>(m_buffer.data());
                z.avail_in = got;
            }
            const uInt before = z.avail_out;
            const int result = inflate(&z, Z_SYNC_FLUSH);
            if (result == Z_STREAM_END) {
                m_finished = true;
                break;
            }
            // No progress with no input left: the data ended early.
            if (result == Z_BUF_ERROR && z.avail_in == 0 && m_compressedLeft == 0)
                break;
            checkLibraryResult(result);
            if (z.avail_out == before && z.avail_in == 0 && m_compressedLeft == 0)
                break;
        }
        produced = count - z.avail_out;
    }
    if (produced > 0) {
        m_readCrc = static_cast<quint32>(::crc32(m_readCrc, reinterpret_cast<const Bytef*>(out), produced));
        m_totalOut += produced;
        m_uncompressedLeft = produced < m_uncompressedLeft ? m_uncompressedLeft - produced : 0;
    } else if (!m_finished && m_options.m_checkLastBlock && method() == methodDeflate) {
        throwError(CZipException::badArchive);
    }
    return produced;
}

void CDeflateCompressor::finishDecompression(bool afterException)
{
    if (m_streamActive && m_inflating && !(afterException && m_options.m_detectLibraryMemoryLeaks))
        inflateEnd(&m_stream->z);
    m_streamActive = false;
    m_inflating = false;
    releaseAllBlocks();
    CZipCompressor::finishDecompression(afterException);
}

void CDeflateCompressor::endStream(bool afterException)
{
    if (m_streamActive) {
        // With tracked blocks, dropping them is enough after a failure; the
        // library's own allocator needs its end call to free its state.
        if (!(afterException && m_options.m_detectLibraryMemoryLeaks)) {
            if (m_inflating)
                inflateEnd(&m_stream->z);
            else
                deflateEnd(&m_stream->z);
        }
        m_streamActive = false;
        m_inflating = false;
    }
    releaseAllBlocks();
}

} // namespace ZipArchiveLib
