#ifndef PAGELAYOUT_H
#define PAGELAYOUT_H

// Reading order for a page of text. MuPDF gives lines in the order the page
// draws them, which for columns is often row by row across the page. Here
// the lines are grouped into blocks (lines that follow each other closely in
// one column), the blocks into horizontal bands of the page that share one
// column structure (sections), and each band into its columns, left to
// right, each read top to bottom. Within a block a line ends its paragraph
// at the block's end, before an indented first line, when the next line's
// first word would have fitted after it, or where centring starts or stops.
// Lines with right-to-left letters are then put in reading order.

#include "textlines.h"

#include <vector>

namespace conversion {

struct layoutLine {
    std::vector<glyph> glyphs;          // in reading order, no space at either end
    bool endsParagraph = false;
    bool centred = false;
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
