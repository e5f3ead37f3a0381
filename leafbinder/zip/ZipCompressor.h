#ifndef ZIPCOMPRESSOR_H
#define ZIPCOMPRESSOR_H

#include "ZipAutoBuffer.h"

#include <QtGlobal>

class CZipCryptograph;
class CZipFileHeader;
class CZipStorage;

// Carries an entry's data between the archive and the storage: computes the
// CRC-32 of the uncompressed data, compresses it (or copies it for a stored
// entry), passes the output through the entry's cryptograph when there is one,
// and keeps the entry's sizes. The archive makes one through
// createCompressor() and keeps it from entry to entry.
class CZipCompressor {
public:
    enum CompressorType { typeDeflate = 1 };
    enum Method : quint16 { methodStore = 0, methodDeflate = 8 };
    static constexpr quint32 defaultBufferSize = 0x20000;
    // Sizes of an entry must stay below this to fit the 32-bit records.
    static constexpr quint64 maxEntrySize = 0xFFFFFFFEu;

    // Settings of a kind of compressor; the archive keeps them by type and
    // hands them to each new compressor of that type.
    class COptions {
    public:
        virtual ~COptions();
        virtual int getType() const = 0;
        virtual COptions* clone() const = 0;

        // Bytes of the output buffer; 0 means the default.
        quint32 m_bufferSize = defaultBufferSize;
    };

    // A new compressor for the method (0 stored, 8 deflated); none for others.
    static CZipCompressor* createCompressor(int method, CZipStorage* storage);

    explicit CZipCompressor(CZipStorage* storage);
    CZipCompressor(const CZipCompressor&) = delete;
    CZipCompressor& operator=(const CZipCompressor&) = delete;

    virtual bool canProcess(quint16 method) const = 0;
    // Prepares to write one entry whose local header has just been written.
    virtual void initCompression(int level, CZipFileHeader* header, CZipCryptograph* cryptograph);
    // Prepares to read one entry's data, the storage placed after its local
    // header (and after the encryption header, which the cryptograph read).
    virtual void initDecompression(CZipFileHeader* header, CZipCryptograph* cryptograph);
    virtual void compress(const void* buffer, quint32 count) = 0;
    // Fills buffer with up to count bytes of the entry's data; 0 at its end.
    virtual quint32 decompress(void* buffer, quint32 count) = 0;
    // Ends the entry and sets its sizes. After an exception nothing more is
    // written and only memory is released, so the archive can still be closed.
    virtual void finishCompression(bool afterException);
    virtual void finishDecompression(bool afterException);
    // The CRC-32 of what decompress() gave so far.
    quint32 getDecompressedCrc() const { return m_readCrc; }
    virtual const COptions* getOptions() const { return nullptr; }
    virtual void updateOptions(const COptions& options);
    virtual ~CZipCompressor();
    // The exception code for a result of the compression library.
    virtual int mapLibraryError(int libraryCode) const;
    virtual bool isCodeSuccessful(int libraryCode) const;

protected:
    // Adds input to the CRC-32 and the total read; 221 when the entry would
    // pass the 32-bit size limit.
    void countInput(const void* buffer, quint32 count);
    // Reads up to count bytes of stored data and decrypts them; the number read.
    quint32 readInput(char* buffer, quint32 count);
    // Encrypts (when needed) and writes output.
    void writeOutput(char* buffer, quint32 count);
    // Raises the mapped code of a library result that is not a success.
    void checkLibraryResult(int libraryCode) const;
    [[noreturn]] void throwError(int code) const;
    // Puts the totals into the entry's header.
    void updateHeaderSizes();
    quint32 bufferSize() const;

    CZipStorage* m_storage;
    CZipAutoBuffer m_buffer;
    CZipCryptograph* m_cryptograph = nullptr;
    CZipFileHeader* m_header = nullptr;
    quint64 m_totalIn = 0;
    quint64 m_totalOut = 0;
    quint32 m_uncompressedLeft = 0;
    quint32 m_compressedLeft = 0;
    quint32 m_readCrc = 0;
    quint32 m_bufferSizeSetting = defaultBufferSize;
};

#endif
