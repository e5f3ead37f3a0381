#ifndef FITZTEXTLINES_H
#define FITZTEXTLINES_H

#include <string>
#include <vector>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace conversion {

// The characters of the text of page index of a PDF, straight from MuPDF's
// interpreter: a new line wherever the baseline moves or the text goes
// back, and a space wherever a gap parts two glyphs. Far cheaper than
// MuPDF's structured text, for a first look at a whole document, and run
// straight from the page's dictionary without loading the page: its links
// and annotations, which the text does not need and which can cost more to
// load than the text to read, are left alone. False when the page cannot be
// run or the cookie (may be null) ended the run; what was read until then
// stays in lines. Throws MuPDF's error when the page cannot be found: call
// it inside fz_try.
bool readPdfTextLines(fz_context* ctx, pdf_document* doc, int index, std::vector<std::u32string>& lines,
                      fz_cookie* cookie);

} // namespace conversion

#endif
