#ifndef BIDIORDER_H
#define BIDIORDER_H

// Right-to-left text (Hebrew, Arabic, ...) is stored by most PDF writers in
// the order its glyphs stand on the page, left to right, so read as it is
// stored every such word comes out mirrored. These functions turn a line in
// page order into reading order with ICU's implementation of the Unicode
// bidirectional algorithm in its visual-to-logical ("inverse") mode:
// right-to-left runs are reversed, numbers and Latin words inside them keep
// their own order, and brackets and other mirrored characters are turned
// back. Lines without right-to-left letters are never touched.

#include "pagecontent.h"

#include <vector>

namespace conversion {

// Letters of the right-to-left and of the left-to-right scripts among the
// glyphs; what decides a paragraph's direction.
struct strongLetters {
    int leftToRight = 0;
    int rightToLeft = 0;
};

void countStrongLetters(const std::vector<glyph>& glyphs, strongLetters& count);

// True when the glyphs hold a right-to-left letter.
bool hasRightToLeft(const std::vector<glyph>& glyphs);

// True for a combining mark, which belongs to the glyph before it.
bool isCombiningMark(char32_t c);

// The glyphs of one line, given left to right as they stand on the page, in
// the order they are read; a combining mark stays after its base. The
// paragraph's direction decides where runs of the other direction go. An
// unchanged copy when the line has no right-to-left letter or ICU fails.
std::vector<glyph> inReadingOrder(const std::vector<glyph>& pageOrder, bool rightToLeftParagraph);

} // namespace conversion

#endif
