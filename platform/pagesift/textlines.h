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

// A hyphen that may break a word at a line end; a non-breaking one never does.
bool isBreakHyphen(char32_t c);

// The end of a line and the start of the next one hold a word broken at the
// line end: a hyphen right after a letter, and the text going on in lower
// case. A capital or a digit there means the hyphen is part of the text
// ("Jean-Paul", "1990-2000"); scripts without case never break this way.
bool isBrokenWord(char32_t beforeHyphen, char32_t hyphen, char32_t next);

} // namespace conversion

#endif
