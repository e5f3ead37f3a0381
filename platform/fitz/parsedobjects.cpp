#include "platform/fitz/parsedobjects.h"

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace {

// Letting go looks at every object of the document and makes the pages to
// come parse the objects they share (the page tree) again: not after every
// page, which would double the time Text mode takes, but often enough that
// only a few pages' objects are held at once.
constexpr int kPagesPerRelease = 32;

} // namespace

void parsedObjects::pageDone(fz_context* ctx, fz_document* doc)
{
    if (!doc || ++m_pages < kPagesPerRelease)
        return;
    m_pages = 0;
    // Only objects the document alone holds are dropped: whatever a font or
    // picture in MuPDF's store still uses stays.
    if (pdf_document* pdf = pdf_document_from_fz_document(ctx, doc))
        pdf_clear_xref(ctx, pdf);
}
