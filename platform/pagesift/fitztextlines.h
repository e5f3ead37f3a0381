#ifndef FITZTEXTLINES_H
#define FITZTEXTLINES_H

#include <string>
#include <vector>

struct fz_context;
struct fz_page;

namespace conversion {

// The characters of a page's text, straight from MuPDF's interpreter: a new
// line wherever the baseline moves or the text goes back, and a space
// wherever a gap parts two glyphs. Far cheaper than MuPDF's structured text,
// for a first look at a whole document. False when the page cannot be run;
// what was read until then stays in lines.
bool readTextLines(fz_context* ctx, fz_page* page, std::vector<std::u32string>& lines);

} // namespace conversion

#endif
