#include "BaseLibCompressor.h"

#include <algorithm>
#include <cstdlib>

namespace ZipArchiveLib {

CBaseLibCompressor::CBaseLibCompressor(CZipStorage* storage)
    : CZipCompressor(storage)
{
}

CBaseLibCompressor::~CBaseLibCompressor()
{
    releaseAllBlocks();
}

void* CBaseLibCompressor::allocateBlock(void* opaque, unsigned items, unsigned size)
{
    auto* self = static_cast<CBaseLibCompressor*>(opaque);
    const size_t bytes = static_cast<size_t>(items) * static_cast<size_t>(size);
    void* block = std::calloc(1, bytes ? bytes : 1);
    if (!block)
        return nullptr;
    try {
        self->m_blocks.push_back(block);
    } catch (...) {
        std::free(block);
        return nullptr;
    }
    return block;
}

void CBaseLibCompressor::releaseBlock(void* opaque, void* address)
{
    auto* self = static_cast<CBaseLibCompressor*>(opaque);
    auto it = std::find(self->m_blocks.begin(), self->m_blocks.end(), address);
    if (it != self->m_blocks.end())
        self->m_blocks.erase(it);
    std::free(address);
}

void CBaseLibCompressor::releaseAllBlocks()
{
    for (void* block : m_blocks)
        std::free(block);
    m_blocks.clear();
}

} // namespace ZipArchiveLib
