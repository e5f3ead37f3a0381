#include "bidiorder.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <memory>
#include <string>

namespace conversion {
namespace {

bool isRightToLeftLetter(char32_t c)
{
    const UCharDirection direction = u_charDirection(static_cast<UChar32>(c));
    return direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC;
}

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

void countStrongLetters(const std::vector<glyph>& glyphs, strongLetters& count)
{
    for (const glyph& g : glyphs) {
        if (isRightToLeftLetter(g.c))
            ++count.rightToLeft;
        else if (u_charDirection(static_cast<UChar32>(g.c)) == U_LEFT_TO_RIGHT)
            ++count.leftToRight;
    }
}

bool hasRightToLeft(const std::vector<glyph>& glyphs)
{
    return std::any_of(glyphs.begin(), glyphs.end(), [](const glyph& g) { return isRightToLeftLetter(g.c); });
}

bool isCombiningMark(char32_t c)
{
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
    // The input is in page order: the direct algorithm run on it, which
    // ICU offers as this inverse mode, puts it back into reading order.
    ubidi_setReorderingMode(bidi.get(), UBIDI_REORDER_INVERSE_LIKE_DIRECT);
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
