#ifndef RENDERCAP_H
#define RENDERCAP_H

// The most pixels a page is ever drawn with. A page's size comes from the
// PDF, so a file of a few hundred bytes can ask for a page of billions of
// pixels, or one a few points high and millions wide; every renderer of the
// program (page capture, the preview and through page capture the
// Picture-mode dialog) draws such a page at a smaller scale instead of
// allocating for it or writing a picture no reader can open.

extern "C" {
#include <mupdf/fitz.h>
}

namespace rendercap {

// 32 million pixels, about 5660 x 5660: a large screen four times over and
// a reader's page fifteen times, and small enough (128 MB at four bytes a
// pixel) for Qt's image reader, which refuses larger pictures, to load the
// picture again.
constexpr long long kMaxPixels = 32LL * 1000 * 1000;

// The longest side of a picture. A JPEG file holds up to 65,535 pixels a
// side, but the JPEG library Qt writes and reads it with refuses anything
// over 65,500.
constexpr int kMaxSide = 65500;

// The pixmap box of bounds (page space, in points) drawn at scale and
// turned by degrees, as the renderers allocate it.
fz_irect pixmapBox(fz_rect bounds, float scale, float degrees = 0);

// True when the box holds at most kMaxPixels pixels and no side is longer
// than kMaxSide.
bool fits(fz_irect box);

// The largest scale, at most scale, at which bounds turned by degrees fits
// the cap; scale itself for every page that fits already. 0 when not even
// the smallest scale fits.
float cappedScale(fz_rect bounds, float scale, float degrees = 0);

// Logs that page (of the document called title) would have been the box
// wanted at dpi dots per inch and was drawn as the box drawn instead.
void logCapped(const char* source, int line, const char* function, int page, const char* title,
               fz_irect wanted, int dpi, fz_irect drawn);

} // namespace rendercap

#endif
