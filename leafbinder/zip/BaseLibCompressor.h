#ifndef BASELIBCOMPRESSOR_H
#define BASELIBCOMPRESSOR_H

#include "ZipCompressor.h"

#include <vector>

namespace ZipArchiveLib {

// A compressor over an outside compression library. When asked, the blocks the
// library allocates go through this object, so that whatever the library still
// holds after a failure is released with the entry.
class CBaseLibCompressor : public CZipCompressor {
public:
    class COptions : public CZipCompressor::COptions {
    public:
        bool m_detectLibraryMemoryLeaks = true;
    };

    explicit CBaseLibCompressor(CZipStorage* storage);
    ~CBaseLibCompressor() override;

protected:
    // Allocation hooks with the signatures the library expects; opaque is the
    // compressor.
    static void* allocateBlock(void* opaque, unsigned items, unsigned size);
    static void releaseBlock(void* opaque, void* address);
    void releaseAllBlocks();

    std::vector<void*> m_blocks;
    bool m_finished = false;
};

} // namespace ZipArchiveLib

#endif
