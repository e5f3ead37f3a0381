#ifndef TEXTLINES_H
#define TEXTLINES_H

// The lines of text of a page as a reader sees them. MuPDF groups glyphs
// into drawn lines, but a drawn line may run across a column gutter, and
// one line of text may come as several drawn lines (words placed one by
// one, a superscript, wide justified spaces). Drawn lines are cut at every
// wide gap, and pieces on one row are joined again unless the gap between
// them is a gutter: empty on more of the neighbouring rows than not.

#include "pagecontent.h"

#include <vector>

namespace conversion {

struct textLine {
    std::vector<glyph> glyphs;      // left to right, no space at either end
    bool horizontal = true;         // false: rotated or vertical text, kept as drawn
    float x0 = 0, x1 = 0;
    // For horizontal lines the core of the line: the part of its height
    // that never reaches the lines above and below, so gaps between these
    // boxes are real gaps. Otherwise the box of the glyphs.
    float top = 0, bottom = 0;
    float baseline = 0;
    float size = 0;                 // the largest font size on the line
};

std::vector<textLine> collectTextLines(const pageContent& page);

// Characters that separate words on a line.
bool isSpaceCharacter(char32_t c);

} // namespace conversion

#endif
