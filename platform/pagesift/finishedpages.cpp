#include "finishedpages.h"

#include "fitzcontext.h"

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace conversion {
namespace {

// Letting go looks at every object of the document, and the pages to come
// parse again what they share with those before (the page tree, fonts, link
// targets), so the bound is a few megabytes, which a long document of plain
// pages grows by every few thousand pages. One whose pages share more (link
// targets in a large name tree, say) would parse it all again every few
// pages: its bound doubles, up to this.
constexpr std::size_t kLargestGrowth = 64u << 20;

} // namespace

finishedPages::finishedPages(std::size_t firstGrowth, int fewPages)
    : m_fewPages(fewPages), m_growth(firstGrowth)
{
}

void finishedPages::pageDone(const fitzContext& context, fz_document* doc)
{
    if (!doc || !context.get())
        return;
    if (!m_started) {
        m_started = true;
        m_heldAfterRelease = context.held();
        return;
    }
    ++m_pagesSinceRelease;
    if (context.held() < m_heldAfterRelease + m_growth)
        return;
    if (m_pagesSinceRelease < m_fewPages && m_growth < kLargestGrowth) {
        m_growth *= 2;
        return;
    }
    // The store first, its least recently used half: pictures of pages long
    // done go, fonts the pages keep using stay. What went kept objects in
    // use, which can go next.
    fz_shrink_store(context.get(), 50);
    if (pdf_document* pdf = pdf_document_from_fz_document(context.get(), doc))
        pdf_clear_xref(context.get(), pdf);
    m_heldAfterRelease = context.held();
    m_pagesSinceRelease = 0;
}

} // namespace conversion
