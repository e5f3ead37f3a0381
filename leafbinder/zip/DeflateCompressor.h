#ifndef DEFLATECOMPRESSOR_H
#define DEFLATECOMPRESSOR_H

#include "BaseLibCompressor.h"

#include <memory>

namespace ZipArchiveLib {

// Raw deflate through zlib for method 8, plain copying for method 0 (stored).
// Output goes through one reusable buffer and reaches the storage in full
// buffers; stored input is written as it comes unless it must be encrypted.
class CDeflateCompressor : public CBaseLibCompressor {
public:
    class COptions : public CBaseLibCompressor::COptions {
    public:
        int getType() const override { return typeDeflate; }
        CZipCompressor::COptions* clone() const override { return new COptions(*this); }

        bool m_checkLastBlock = true;
    };

    explicit CDeflateCompressor(CZipStorage* storage);
    ~CDeflateCompressor() override;

    bool canProcess(quint16 method) const override { return method == methodStore || method == methodDeflate; }
    void initCompression(int level, CZipFileHeader* header, CZipCryptograph* cryptograph) override;
    // A piece of no bytes is skipped: zlib answers a call without input that
    // follows earlier input with a buffer error, which is no failure.
    void compress(const void* buffer, quint32 count) override;
    void finishCompression(bool afterException) override;
    void initDecompression(CZipFileHeader* header, CZipCryptograph* cryptograph) override;
    // With checkLastBlock, a call that gives nothing while the stream has not
    // ended raises 201: the data ran out early.
    quint32 decompress(void* buffer, quint32 count) override;
    void finishDecompression(bool afterException) override;
    const CZipCompressor::COptions* getOptions() const override { return &m_options; }
    void updateOptions(const CZipCompressor::COptions& options) override;

private:
    struct CStream;

    void endStream(bool afterException);
    quint16 method() const;

    COptions m_options;
    std::unique_ptr<CStream> m_stream;
    bool m_streamActive = false;
    bool m_inflating = false;
};

} // namespace ZipArchiveLib

#endif
