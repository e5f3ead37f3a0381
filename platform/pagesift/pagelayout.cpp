#include "pagelayout.h"

#include "bidiorder.h"
#include "pagecontent.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace conversion {
namespace {

// Distances are measured in multiples of the font size, so the same rules
// hold for footnotes and headings.
constexpr float kSameSize = 0.77f;      // smaller/larger size ratio of lines in one block
constexpr float kIndent = 0.8f;         // a first line indented by this much starts a paragraph
constexpr float kCentreTolerance = 2.0f;

constexpr float kInfinity = std::numeric_limits<float>::infinity();

struct range {
    float x0 = 0, x1 = 0;
    float width() const { return x1 - x0; }
};

// Lines that follow each other closely in one column.
struct block {
    std::vector<int> lines;   // indices of text lines, top to bottom
    bool open = true;         // may take further lines
    float x0 = 0, x1 = 0, top = 0, bottom = 0;
    float pitch = 0;          // distance between its last two baselines, 0 with one line
};

bool isHyphen(char32_t c)
{
    return c == U'-' || c == 0x00AD || c == 0x2010 || c == 0x2011;
}

float overlap(float a0, float a1, float b0, float b1)
{
    return std::min(a1, b1) - std::max(a0, b0);
}

bool similarSize(float a, float b)
{
    return std::min(a, b) >= kSameSize * std::max(a, b);
}

// The most common distance from a line to the next one below it, per font
// size (rounded to whole points); absent where too few lines tell.
std::map<long, float> typicalPitch(const std::vector<textLine>& lines)
{
    std::vector<const textLine*> byBaseline;
    for (const textLine& line : lines)
        if (line.horizontal)
            byBaseline.push_back(&line);
    std::sort(byBaseline.begin(), byBaseline.end(),
              [](const textLine* a, const textLine* b) { return a->baseline < b->baseline; });
    std::map<long, std::map<long, int>> counts;
    for (size_t i = 0; i < byBaseline.size(); ++i) {
        const textLine& line = *byBaseline[i];
        float nearest = kInfinity;
        for (size_t j = i + 1; j < byBaseline.size(); ++j) {
            const textLine& other = *byBaseline[j];
            const float distance = other.baseline - line.baseline;
            if (distance >= std::min(3.0f * line.size, nearest))
                break;
            if (distance > 0.5f * line.size && similarSize(line.size, other.size)
                && overlap(line.x0, line.x1, other.x0, other.x1) > 0)
                nearest = distance;
        }
        if (nearest < kInfinity)
            ++counts[std::lround(line.size)][std::lround(nearest * 2)];
    }
    std::map<long, float> pitch;
    for (const auto& [size, histogram] : counts) {
        const auto most = std::max_element(histogram.begin(), histogram.end(),
                                           [](const auto& a, const auto& b) { return a.second < b.second; });
        if (most->second >= 2)
            pitch[size] = static_cast<float>(most->first) / 2;
    }
    return pitch;
}

class blockBuilder {
public:
    explicit blockBuilder(const std::vector<textLine>& lines) : m_lines(lines), m_pitch(typicalPitch(lines)) {}

    std::vector<block> build()
    {
        std::vector<int> order(m_lines.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            const float ya = level(m_lines[a]), yb = level(m_lines[b]);
            return ya != yb ? ya < yb : m_lines[a].x0 < m_lines[b].x0;
        });
        for (const int index : order)
            place(index);
        return std::move(m_blocks);
    }

private:
    static float level(const textLine& f) { return f.horizontal ? f.baseline : f.top; }

    void place(int index)
    {
        const textLine& line = m_lines[index];
        block* best = nullptr;
        float bestOverlap = 0;
        if (line.horizontal) {
            for (block& candidate : m_blocks) {
                if (!candidate.open)
                    continue;
                // Lines come top to bottom: once out of reach, always out of reach.
                const textLine& last = m_lines[candidate.lines.back()];
                if (line.baseline - last.baseline > reach(candidate, last)) {
                    candidate.open = false;
                    continue;
                }
                const float shared = overlap(line.x0, line.x1, candidate.x0, candidate.x1);
                if (shared > bestOverlap && continues(candidate, line)) {
                    best = &candidate;
                    bestOverlap = shared;
                }
            }
        }
        if (best) {
            best->pitch = line.baseline - m_lines[best->lines.back()].baseline;
            best->lines.push_back(index);
            best->x0 = std::min(best->x0, line.x0);
            best->x1 = std::max(best->x1, line.x1);
            best->bottom = line.bottom;
            return;
        }
        block fresh;
        fresh.lines.push_back(index);
        fresh.open = line.horizontal;
        fresh.x0 = line.x0;
        fresh.x1 = line.x1;
        fresh.top = line.top;
        fresh.bottom = line.bottom;
        m_blocks.push_back(std::move(fresh));
    }

    // Whether line is the next line of the block: directly below its last
    // line, no clear gap between them, about the same size and width.
    bool continues(const block& b, const textLine& line) const
    {
        const textLine& last = m_lines[b.lines.back()];
        const float size = std::max(last.size, line.size);
        if (!similarSize(last.size, line.size))
            return false;
        const float distance = line.baseline - last.baseline;
        if (distance < 0.5f * size || distance > reach(b, last))
            return false;
        const float tolerance = 2.0f * size;
        return line.x0 >= b.x0 - tolerance && line.x1 <= b.x1 + tolerance;
    }

    // How far below its last line a block still continues: a little more
    // than its own line pitch, or than the page's usual pitch for the size.
    float reach(const block& b, const textLine& last) const
    {
        if (b.pitch > 0)
            return b.pitch * 1.25f + 0.5f;
        const auto known = m_pitch.find(std::lround(last.size));
        if (known != m_pitch.end())
            return std::max(known->second * 1.35f, 1.3f * last.size);
        return 1.6f * last.size;
    }

    const std::vector<textLine>& m_lines;
    std::map<long, float> m_pitch;
    std::vector<block> m_blocks;
};

// Splits and orders the blocks of a page into sections and columns.
class blockArranger {
public:
    blockArranger(const std::vector<block>& blocks, float gutter) : m_blocks(blocks), m_gutter(gutter) {}

    // Bands of the page, top to bottom, each with its columns left to right,
    // each column's blocks in reading order.
    std::vector<std::vector<std::vector<int>>> arrange() const
    {
        std::vector<int> all(m_blocks.size());
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = static_cast<int>(i);
        std::vector<std::vector<int>> bands;
        for (std::vector<int>& row : splitRows(all)) {
            if (!bands.empty() && belongTogether(bands.back(), row))
                bands.back().insert(bands.back().end(), row.begin(), row.end());
            else
                bands.push_back(std::move(row));
        }
        std::vector<std::vector<std::vector<int>>> sections;
        for (const std::vector<int>& band : bands) {
            std::vector<std::vector<int>> columns;
            for (const std::vector<int>& column : splitColumns(band))
                columns.push_back(readingOrder(column));
            sections.push_back(std::move(columns));
        }
        return sections;
    }

private:
    // Groups whose vertical extents do not overlap, top to bottom.
    std::vector<std::vector<int>> splitRows(std::vector<int> items) const
    {
        std::stable_sort(items.begin(), items.end(), [this](int a, int b) { return m_blocks[a].top < m_blocks[b].top; });
        std::vector<std::vector<int>> rows;
        float bottom = -kInfinity;
        for (const int item : items) {
            if (rows.empty() || m_blocks[item].top > bottom)
                rows.emplace_back();
            rows.back().push_back(item);
            bottom = std::max(bottom, m_blocks[item].bottom);
        }
        return rows;
    }

    // Groups separated by a vertical gutter, left to right.
    std::vector<std::vector<int>> splitColumns(std::vector<int> items) const
    {
        std::stable_sort(items.begin(), items.end(), [this](int a, int b) { return m_blocks[a].x0 < m_blocks[b].x0; });
        std::vector<std::vector<int>> columns;
        float right = -kInfinity;
        for (const int item : items) {
            if (columns.empty() || m_blocks[item].x0 > right + m_gutter)
                columns.emplace_back();
            columns.back().push_back(item);
            right = std::max(right, m_blocks[item].x1);
        }
        return columns;
    }

    size_t columnCount(const std::vector<int>& items) const { return splitColumns(items).size(); }

    // Two bands form one section when both are single columns, or when
    // together they keep the column structure of the richer one: paragraph
    // breaks that happen to line up across columns do not end a section.
    bool belongTogether(const std::vector<int>& upper, const std::vector<int>& lower) const
    {
        std::vector<int> both = upper;
        both.insert(both.end(), lower.begin(), lower.end());
        const size_t a = columnCount(upper), b = columnCount(lower), together = columnCount(both);
        if (a == 1 && b == 1)
            return together == 1;
        return together >= 2 && together == std::max(a, b);
    }

    // Top to bottom, and side by side parts left to right.
    std::vector<int> readingOrder(const std::vector<int>& items) const
    {
        if (items.size() <= 1)
            return items;
        std::vector<std::vector<int>> parts = splitRows(items);
        if (parts.size() == 1)
            parts = splitColumns(items);
        if (parts.size() == 1) {
            std::vector<int> sorted = items;
            std::stable_sort(sorted.begin(), sorted.end(), [this](int a, int b) {
                const block &x = m_blocks[a], &y = m_blocks[b];
                return x.top != y.top ? x.top < y.top : x.x0 < y.x0;
            });
            return sorted;
        }
        std::vector<int> ordered;
        for (const std::vector<int>& part : parts) {
            const std::vector<int> inner = readingOrder(part);
            ordered.insert(ordered.end(), inner.begin(), inner.end());
        }
        return ordered;
    }

    const std::vector<block>& m_blocks;
    float m_gutter;
};

// Measures a line from the side its paragraph starts on: the left for
// left-to-right text, the right for right-to-left text, so one set of rules
// finds paragraph ends in both directions.
struct paragraphSide {
    const block& b;
    bool rightToLeft;

    // How far the line starts from the block's starting edge.
    float indent(const textLine& line) const { return rightToLeft ? b.x1 - line.x1 : line.x0 - b.x0; }
    // The room the line leaves at the block's other edge.
    float room(const textLine& line) const { return rightToLeft ? line.x0 - b.x0 : b.x1 - line.x1; }

    // The k-th glyph from the starting side.
    const glyph& at(const textLine& line, size_t k) const
    {
        return line.glyphs[rightToLeft ? line.glyphs.size() - 1 - k : k];
    }
    const glyph& last(const textLine& line) const { return at(line, line.glyphs.size() - 1); }

    float firstWordWidth(const textLine& line) const
    {
        float width = 0;
        for (size_t k = 0; k < line.glyphs.size() && !isSpaceCharacter(at(line, k).c); ++k)
            width = std::max(width, rightToLeft ? line.x1 - at(line, k).x0 : at(line, k).x1 - line.x0);
        return width;
    }

    // Where the line's second word starts, as an indent; infinite without one.
    float secondWordIndent(const textLine& line) const
    {
        bool afterSpace = false;
        for (size_t k = 0; k < line.glyphs.size(); ++k) {
            const glyph& g = at(line, k);
            const bool space = isSpaceCharacter(g.c);
            if (afterSpace && !space)
                return rightToLeft ? b.x1 - g.x1 : g.x0 - b.x0;
            afterSpace = afterSpace || space;
        }
        return kInfinity;
    }
};

// Paragraph ends, centring and direction of the lines of one column.
class lineMarker {
public:
    lineMarker(const std::vector<textLine>& lines, std::vector<range> references)
        : m_lines(lines), m_references(std::move(references))
    {
    }

    // The lines of the column's blocks, taken in the given order, with their
    // glyphs in reading order.
    layoutColumn column(const std::vector<block>& blocks, const std::vector<int>& order) const
    {
        layoutColumn column;
        std::vector<const textLine*> sources;
        std::vector<lineDirection> directions;
        for (const int index : order)
            addBlock(blocks[index], column, sources, directions);
        for (size_t i = 0; i + 1 < column.lines.size(); ++i) {
            // A word broken at a line end does not end its paragraph, even
            // where the lines fall into two blocks (a short first line).
            if (directions[i].opening != textDirection::rightToLeft && breaksWord(*sources[i], *sources[i + 1]))
                column.lines[i].endsParagraph = false;
        }
        putInReadingOrder(column.lines, directions);
        return column;
    }

private:
    void addBlock(const block& b, layoutColumn& column, std::vector<const textLine*>& sources,
                  std::vector<lineDirection>& directions) const
    {
        const size_t count = b.lines.size();
        std::vector<bool> centred(count);
        std::vector<lineDirection> own(count);
        for (size_t i = 0; i < count; ++i) {
            centred[i] = isCentred(m_lines[b.lines[i]]);
            own[i] = directionOf(m_lines[b.lines[i]].glyphs);
        }
        // The direction of the paragraph under way, from its first line with
        // letters; a line that can only be read the other way starts a new one.
        textDirection paragraph = textDirection::none;
        for (size_t i = 0; i < count; ++i) {
            if (paragraph == textDirection::none)
                paragraph = own[i].opening;
            layoutLine line;
            line.glyphs = m_lines[b.lines[i]].glyphs;
            line.centred = centred[i];
            line.endsParagraph = i + 1 == count || centred[i] || centred[i + 1];
            if (!line.endsParagraph) {
                const lineDirection& next = own[i + 1];
                const textDirection side = paragraph == textDirection::none ? next.opening : paragraph;
                line.endsParagraph = (next.certain && paragraph != textDirection::none && next.opening != paragraph)
                    || breaksAfter(b, i, side == textDirection::rightToLeft);
            }
            if (line.endsParagraph)
                paragraph = textDirection::none;
            column.lines.push_back(std::move(line));
            sources.push_back(&m_lines[b.lines[i]]);
            directions.push_back(own[i]);
        }
    }

    // Each paragraph takes the direction of its first line with letters;
    // it decides where the runs of the other direction go in each of its
    // lines with right-to-left letters.
    static void putInReadingOrder(std::vector<layoutLine>& lines, const std::vector<lineDirection>& directions)
    {
        size_t start = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!lines[i].endsParagraph && i + 1 < lines.size())
                continue;
            textDirection paragraph = textDirection::none;
            for (size_t k = start; k <= i && paragraph == textDirection::none; ++k)
                paragraph = directions[k].opening;
            const bool rightToLeft = paragraph == textDirection::rightToLeft;
            for (size_t k = start; k <= i; ++k) {
                lines[k].rightToLeft = rightToLeft;
                if (hasRightToLeft(lines[k].glyphs))
                    lines[k].glyphs = inReadingOrder(lines[k].glyphs, rightToLeft);
            }
            start = i + 1;
        }
    }

    // The line ends in a hyphen right after a letter and the line below it
    // in the column, no farther than a blank line would put it, goes on in
    // lower case. That line may be short enough to stand wholly within the
    // indent of the line above, when it ends a paragraph begun there.
    static bool breaksWord(const textLine& line, const textLine& next)
    {
        const std::vector<glyph>& g = line.glyphs;
        if (!line.horizontal || !next.horizontal || g.size() < 2
            || !isBrokenWord(g[g.size() - 2].c, g.back().c, next.glyphs.front().c))
            return false;
        const float size = std::max(line.size, next.size);
        const float drop = next.baseline - line.baseline;
        const bool under = overlap(line.x0, line.x1, next.x0, next.x1) > 0 || line.x0 - next.x0 > kIndent * size;
        return drop > 0.5f * size && drop < 2.0f * size && under;
    }

    // Inside a block: before an indented first line, or when the next
    // line's first word would have fitted at the end of this one. A line
    // that is indented to the second word of the line above continues a
    // list item ("- item that runs on / under its text").
    bool breaksAfter(const block& b, size_t i, bool rightToLeft) const
    {
        const textLine& line = m_lines[b.lines[i]];
        const textLine& next = m_lines[b.lines[i + 1]];
        const float size = std::max(line.size, next.size);
        if (!line.horizontal || !next.horizontal)
            return true;
        const paragraphSide side{b, rightToLeft};
        const float indent = side.indent(next);
        const bool nextIndented = indent > kIndent * size;
        const bool indentEnds = i + 2 >= b.lines.size() || side.indent(m_lines[b.lines[i + 2]]) < 0.4f * size;
        const bool hanging = std::fabs(indent - side.secondWordIndent(line)) < 0.3f * size;
        if (nextIndented && indentEnds && !hanging && indent < 0.5f * (b.x1 - b.x0))
            return true;
        if (isHyphen(side.last(line).c))
            return false;
        return side.room(line) > side.firstWordWidth(next) + 0.5f * size;
    }

    // Clearly shorter than the reference and in its middle, not flush left.
    bool isCentred(const textLine& line) const
    {
        if (!line.horizontal)
            return false;
        for (const range& reference : m_references) {
            const float width = line.x1 - line.x0;
            const float left = line.x0 - reference.x0;
            const float right = reference.x1 - line.x1;
            if (reference.width() <= 0 || width > 0.8f * reference.width() || left < 1.5f * line.size)
                continue;
            const float tolerance = std::max(0.05f * reference.width(), kCentreTolerance * line.size);
            if (std::fabs(left - right) <= tolerance)
                return true;
        }
        return false;
    }

    const std::vector<textLine>& m_lines;
    std::vector<range> m_references;
};

range textArea(const std::vector<textLine>& lines, float pageWidth)
{
    range area{kInfinity, -kInfinity};
    for (const textLine& line : lines) {
        if (!line.horizontal)
            continue;
        area.x0 = std::min(area.x0, line.x0);
        area.x1 = std::max(area.x1, line.x1);
    }
    if (area.x0 > area.x1)
        return range{0, pageWidth};
    return area;
}

// The page between margins as wide as the narrower margin of its text, but
// never narrower than 70 % of the page, so a lone title still has a middle.
range pageReference(const range& area, float pageWidth)
{
    const float margin = std::max(0.0f, std::min({area.x0, pageWidth - area.x1, 0.15f * pageWidth}));
    return range{margin, pageWidth - margin};
}

float typicalSize(const std::vector<textLine>& lines)
{
    std::vector<float> sizes;
    for (const textLine& line : lines)
        sizes.push_back(line.size);
    if (sizes.empty())
        return 10;
    std::nth_element(sizes.begin(), sizes.begin() + static_cast<long>(sizes.size() / 2), sizes.end());
    return sizes[sizes.size() / 2];
}

} // namespace

std::vector<layoutSection> arrangePage(const pageContent& page)
{
    const std::vector<textLine> lines = collectTextLines(page);
    const std::vector<block> blocks = blockBuilder(lines).build();
    const float gutter = std::max(3.0f, 0.5f * typicalSize(lines));
    const range area = textArea(lines, page.width);
    const std::vector<range> pageReferences{area, pageReference(area, page.width)};

    std::vector<layoutSection> sections;
    for (const auto& band : blockArranger(blocks, gutter).arrange()) {
        layoutSection section;
        for (const std::vector<int>& columnBlocks : band) {
            std::vector<range> references = pageReferences;
            if (band.size() > 1) {
                range own{kInfinity, -kInfinity};
                for (const int index : columnBlocks) {
                    own.x0 = std::min(own.x0, blocks[index].x0);
                    own.x1 = std::max(own.x1, blocks[index].x1);
                }
                references = {own};
            }
            layoutColumn column = lineMarker(lines, references).column(blocks, columnBlocks);
            if (!column.lines.empty())
                section.columns.push_back(std::move(column));
        }
        if (!section.columns.empty())
            sections.push_back(std::move(section));
    }
    return sections;
}

} // namespace conversion
