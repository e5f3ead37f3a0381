#include "finishedpages.h"

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace {

// Letting go looks at every object of the document, and the pages to come
// load again what they share with those before (the page tree, fonts): not
// after every page, which would double the time Text mode takes, but often
// enough that only a few pages' worth is held at once.
constexpr int kPagesPerRelease = 32;

} // namespace

void finishedPages::pageDone(fz_context* ctx, fz_document* doc)
{
    if (!doc || ++m_pages < kPagesPerRelease)
        return;
    m_pages = 0;
    // The store first: what it held keeps objects in use, which can go
    // once it is empty. Only objects that nothing else holds are dropped.
    fz_empty_store(ctx);
    if (pdf_document* pdf = pdf_document_from_fz_document(ctx, doc))
        pdf_clear_xref(ctx, pdf);
}
