#ifndef FITZCONTEXT_H
#define FITZCONTEXT_H

#include <cstddef>

extern "C" {
#include <mupdf/fitz.h>
}

namespace conversion {

// A MuPDF context, made with document handlers, MuPDF's own printing to the
// terminal silenced, and its memory counted: held() is what it holds at the
// moment, parsed objects, fonts and pictures in its store included. The
// store is bounded by size, so fonts and pictures that pages share stay
// loaded while those of pages long done give way. Make and use it on one
// thread; it is never shared.
class fitzContext {
public:
    fitzContext();
    ~fitzContext();
    fitzContext(const fitzContext&) = delete;
    fitzContext& operator=(const fitzContext&) = delete;

    // Null when MuPDF could not start (out of memory).
    fz_context* get() const { return m_ctx; }
    std::size_t held() const { return m_held; }

private:
    static void* allocate(void* user, std::size_t size);
    static void* reallocate(void* user, void* old, std::size_t size);
    static void release(void* user, void* block);

    fz_alloc_context m_alloc;
    std::size_t m_held = 0;
    fz_context* m_ctx = nullptr;
};

} // namespace conversion

#endif
