#include "bidiorder.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <memory>
#include <string>

namespace conversion {
namespace {

struct bidiCloser {
    void operator()(UBiDi* bidi) const { ubidi_close(bidi); }
};

// The line as ICU reads it: one character per base glyph, its combining
// marks left out so that they move with it.
struct clusteredText {
    std::u16string text;
    std::vector<size_t> unitCluster;    // cluster of each UTF-16 unit of text
    std::vector<size_t> clusterStart;   // first glyph of each cluster
};

clusteredText clusters(const std::vector<glyph>& glyphs)
{
    clusteredText out;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const char32_t c = glyphs[i].c;
        if (i > 0 && isCombiningMark(c))
            continue;
        const size_t cluster = out.clusterStart.size();
        out.clusterStart.push_back(i);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            out.text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out.text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            out.unitCluster.insert(out.unitCluster.end(), 2, cluster);
        } else {
            out.text += static_cast<char16_t>(c <= 0xFFFF ? c : 0xFFFD);
            out.unitCluster.push_back(cluster);
        }
    }
    return out;
}

} // namespace

lineDirection directionOf(const std::vector<glyph>& pageOrder)
{
    int leftToRight = 0;
    std::vector<const glyph*> rightToLeft;
    const glyph* leftmost = nullptr;
    const glyph* rightmost = nullptr;
    const glyph* firstStored = nullptr;
    for (const glyph& g : pageOrder) {
        const bool rtl = isRightToLeftLetter(g.c);
        if (rtl)
            rightToLeft.push_back(&g);
        else if (u_charDirection(static_cast<UChar32>(g.c)) == U_LEFT_TO_RIGHT)
            ++leftToRight;
        else
            continue;
        leftmost = leftmost ? leftmost : &g;
        rightmost = &g;
        if (!firstStored || g.stored < firstStored->stored)
            firstStored = &g;
    }
    lineDirection line;
    if (!leftmost)
        return line;
    const auto directionOfLetter = [](const glyph* g) {
        return isRightToLeftLetter(g->c) ? textDirection::rightToLeft : textDirection::leftToRight;
    };
    const textDirection most = static_cast<int>(rightToLeft.size()) > leftToRight ? textDirection::rightToLeft
                                                                                  : textDirection::leftToRight;
    if (rightToLeft.empty() || leftToRight == 0) {
        line.opening = most;
        line.certain = true;
        return line;
    }
    const bool readableFromLeft = directionOfLetter(leftmost) == textDirection::leftToRight;
    const bool readableFromRight = directionOfLetter(rightmost) == textDirection::rightToLeft;
    if (readableFromLeft != readableFromRight) {
        line.opening = readableFromLeft ? textDirection::leftToRight : textDirection::rightToLeft;
        line.certain = line.opening == most;
        return line;
    }
    // Stored in reading order when most right-to-left letters stand left of
    // the one stored before them.
    std::sort(rightToLeft.begin(), rightToLeft.end(),
              [](const glyph* a, const glyph* b) { return a->stored < b->stored; });
    int backwards = 0;
    for (size_t i = 1; i < rightToLeft.size(); ++i)
        backwards += rightToLeft[i]->x0 < rightToLeft[i - 1]->x0 ? 1 : -1;
    line.opening = backwards > 0 ? directionOfLetter(firstStored) : most;
    return line;
}

bool isRightToLeftLetter(char32_t c)
{
    const UCharDirection direction = u_charDirection(static_cast<UChar32>(c));
    return direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC;
}

bool hasRightToLeft(const std::vector<glyph>& glyphs)
{
    return std::any_of(glyphs.begin(), glyphs.end(), [](const glyph& g) { return isRightToLeftLetter(g.c); });
}

bool isCombiningMark(char32_t c)
{
    if (c < 0x0300)   // below the first block of combining marks
        return false;
    return (U_GET_GC_MASK(static_cast<UChar32>(c)) & (U_GC_MN_MASK | U_GC_ME_MASK)) != 0;
}

std::vector<glyph> inReadingOrder(const std::vector<glyph>& pageOrder, bool rightToLeftParagraph)
{
    if (!hasRightToLeft(pageOrder))
        return pageOrder;
    const clusteredText line = clusters(pageOrder);
    const auto length = static_cast<int32_t>(line.text.size());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UBiDi, bidiCloser> bidi(ubidi_openSized(length, 0, &status));
    if (U_FAILURE(status))
        return pageOrder;
    // The input is in page order: the direct algorithm run on it puts it
    // back into reading order. ICU's own inverse mode does the same but
    // does not pair brackets, so a bracketed right-to-left word in a
    // left-to-right sentence would swap its brackets with the next one's.
    ubidi_setPara(bidi.get(), line.text.data(), length, rightToLeftParagraph ? 1 : 0, nullptr, &status);
    const int32_t runs = ubidi_countRuns(bidi.get(), &status);
    if (U_FAILURE(status))
        return pageOrder;

    std::vector<glyph> read;
    read.reserve(pageOrder.size());
    std::vector<bool> taken(line.clusterStart.size(), false);
    for (int32_t run = 0; run < runs; ++run) {
        int32_t start = 0, count = 0;
        const bool reversed = ubidi_getVisualRun(bidi.get(), run, &start, &count) == UBIDI_RTL;
        for (int32_t k = 0; k < count; ++k) {
            const size_t cluster = line.unitCluster[static_cast<size_t>(reversed ? start + count - 1 - k : start + k)];
            if (taken[cluster])
                continue;   // the other half of a surrogate pair
            taken[cluster] = true;
            const size_t first = line.clusterStart[cluster];
            const size_t end = cluster + 1 < line.clusterStart.size() ? line.clusterStart[cluster + 1] : pageOrder.size();
            read.insert(read.end(), pageOrder.begin() + static_cast<long>(first),
                        pageOrder.begin() + static_cast<long>(end));
            // A bracket that closes on the page opens in reading order.
            if (reversed)
                read[read.size() - (end - first)].c = static_cast<char32_t>(u_charMirror(static_cast<UChar32>(pageOrder[first].c)));
        }
    }
    return read;
}

} // namespace conversion
