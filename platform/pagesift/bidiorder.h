#ifndef BIDIORDER_H
#define BIDIORDER_H

// Right-to-left text (Hebrew, Arabic, ...) is stored by most PDF writers in
// the order its glyphs stand on the page, left to right, so read as it is
// stored every such word comes out mirrored. These functions turn a line in
// page order into reading order with ICU's implementation of the Unicode
// bidirectional algorithm, which, run on text as shown, gives it back as
// read: right-to-left runs are reversed, numbers and Latin words inside them
// keep their own order, and brackets and other mirrored characters are
// turned back. Lines without right-to-left letters are never touched.

#include "pagecontent.h"

#include <vector>

namespace conversion {

enum class textDirection { none, leftToRight, rightToLeft };

// What the letters of one line say about the direction of its paragraph.
struct lineDirection {
    // The base direction of a paragraph that this line opens: its first
    // strong letter in reading order, as the Unicode bidirectional algorithm
    // has it; none when the line holds no letter.
    textDirection opening = textDirection::none;
    // True when the line cannot go on a paragraph of the other direction:
    // its letters are all of one direction, or its first letter and most of
    // its letters agree.
    bool certain = false;
};

// The direction of a line whose glyphs are given left to right as they
// stand on the page. A line stored as shown is read from its left end in a
// left-to-right paragraph and from its right end in a right-to-left one, so
// the letters at its two ends tell which readings the rule allows; where
// both or neither do, the order in which the page stores its right-to-left
// letters, when that is reading order, or else the direction of most of its
// letters decides.
lineDirection directionOf(const std::vector<glyph>& pageOrder);

// True for a letter of a right-to-left script.
bool isRightToLeftLetter(char32_t c);

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
