#include "fitzcontext.h"

#include <malloc.h>

#include <cstdlib>

namespace conversion {
namespace {

// What MuPDF's store may keep of fonts, pictures and other resources. A page
// rarely needs more than a few megabytes of them; what a long document
// would pile up beyond this goes, least recently used first.
constexpr std::size_t kStoreLimit = 24u << 20;

void quiet(void*, const char*)
{
}

} // namespace

fitzContext::fitzContext()
    : m_alloc{this, allocate, reallocate, release}
{
    m_ctx = fz_new_context(&m_alloc, nullptr, kStoreLimit);
    if (!m_ctx)
        return;
    // MuPDF's messages go to whoever listens for them (pagereading.h); its
    // own printing to the terminal would only repeat what the log says.
    fz_set_error_callback(m_ctx, quiet, nullptr);
    fz_set_warning_callback(m_ctx, quiet, nullptr);
    bool ok = true;
    fz_try(m_ctx)
    {
        fz_register_document_handlers(m_ctx);
    }
    fz_catch(m_ctx)
    {
        ok = false;
    }
    if (!ok) {
        fz_drop_context(m_ctx);
        m_ctx = nullptr;
    }
}

fitzContext::~fitzContext()
{
    fz_drop_context(m_ctx);
}

// The sizes are the allocator's own (malloc_usable_size), the same when a
// block is taken and when it is given back.
void* fitzContext::allocate(void* user, std::size_t size)
{
    void* block = std::malloc(size);
    if (block)
        static_cast<fitzContext*>(user)->m_held += malloc_usable_size(block);
    return block;
}

void* fitzContext::reallocate(void* user, void* old, std::size_t size)
{
    auto* self = static_cast<fitzContext*>(user);
    const std::size_t before = malloc_usable_size(old);
    void* block = std::realloc(old, size);
    if (block || size == 0) {
        self->m_held -= before;
        self->m_held += malloc_usable_size(block);
    }
    return block;
}

void fitzContext::release(void* user, void* block)
{
    static_cast<fitzContext*>(user)->m_held -= malloc_usable_size(block);
    std::free(block);
}

} // namespace conversion
