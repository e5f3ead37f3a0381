#ifndef PAGELAYOUT_H
#define PAGELAYOUT_H

// Reading order for a page of text. MuPDF gives lines in the order the page
// draws them, which for columns is often row by row across the page. Here
// the lines are grouped into blocks (lines that follow each other closely in
// one column), the blocks into horizontal bands of the page that share one
// column structure (sections), and each band into its columns, left to
// right, each read top to bottom. Within a block a line ends its paragraph
// at the block's end, before an indented first line, when the next line's
// first word would have fitted after it, where centring starts or stops, or
// where the next line can only be read in the other direction; indents and
// room are measured from the side the paragraph starts on. A line ending in
// a word broken by a hyphen never ends its paragraph. Each paragraph takes
// the direction of its first line with letters, and lines with right-to-left
// letters are put in reading order.

#include "textlines.h"

#include <vector>

namespace conversion {

struct layoutLine {
    std::vector<glyph> glyphs;          // in reading order, no space at either end
    bool endsParagraph = false;
    bool centred = false;
    bool rightToLeft = false;           // the paragraph's base direction is right to left
};

struct layoutColumn {
    std::vector<layoutLine> lines;       // top to bottom; never empty
};

struct layoutSection {
    std::vector<layoutColumn> columns;   // left to right; never empty
};

std::vector<layoutSection> arrangePage(const pageContent& page);

} // namespace conversion

#endif
