#include "textlines.h"

#include "bidiorder.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>

namespace conversion {
namespace {

// Distances in multiples of the font size, so the rules hold for footnotes
// and headings alike.
constexpr float kWordGap = 0.8f;        // a wider gap inside a drawn line may be a gutter
constexpr float kSpaceGap = 0.15f;      // joined pieces or glyphs further apart get a space between them
constexpr float kNeighbourRows = 4.5f;  // how far above and below a gap's evidence is taken
constexpr float kGutterWidth = 1.0f;    // the narrowest gutter between columns
constexpr float kCoreAscent = 0.7f;     // the core of a line reaches this far above its
constexpr float kCoreDescent = 0.2f;    //   baseline and this far below
constexpr float kRoomyMark = 0.05f;     // a mark wider than this takes room of its own on the line
constexpr float kNearerLetter = 0.1f;   // a letter this much nearer to a mark than the ones drawn
                                        //   next to it takes the mark

constexpr float kInfinity = std::numeric_limits<float>::infinity();

bool isHorizontal(const glyphLine& line)
{
    return !line.vertical && std::fabs(line.dirY) < 0.05f && line.dirX > 0;
}

float glyphSize(const glyph& g)
{
    return g.size > 0 ? g.size : std::max(g.bottom - g.top, 1.0f);
}

// Whether a combining mark was drawn with an advance of its own; one
// without takes no room on the line, wherever its ink falls.
bool takesRoom(const glyph& mark)
{
    return mark.x1 - mark.x0 > kRoomyMark * glyphSize(mark);
}

// The box of a line is the room its glyphs take: marks that take none do
// not widen it, so they close no gap to the next piece of the row.
void measure(textLine& line)
{
    line.x0 = line.top = kInfinity;
    line.x1 = line.bottom = -kInfinity;
    line.size = 0;
    float markX0 = kInfinity, markX1 = -kInfinity;
    for (const glyph& g : line.glyphs) {
        const bool room = takesRoom(g) || !isCombiningMark(g.c);
        float& x0 = room ? line.x0 : markX0;
        float& x1 = room ? line.x1 : markX1;
        x0 = std::min(x0, g.x0);
        x1 = std::max(x1, g.x1);
        line.top = std::min(line.top, g.top);
        line.bottom = std::max(line.bottom, g.bottom);
        if (!isSpaceCharacter(g.c) && glyphSize(g) > line.size) {
            line.size = glyphSize(g);
            line.baseline = g.originY;
        }
    }
    if (line.x0 > line.x1) {   // marks alone
        line.x0 = markX0;
        line.x1 = markX1;
    }
    if (line.horizontal) {
        line.top = line.baseline - kCoreAscent * line.size;
        line.bottom = line.baseline + kCoreDescent * line.size;
    }
}

// Keeps the piece when something visible is left without its end spaces.
void keep(textLine& piece, std::vector<textLine>& out)
{
    auto& g = piece.glyphs;
    while (!g.empty() && isSpaceCharacter(g.back().c))
        g.pop_back();
    g.erase(g.begin(), std::find_if(g.begin(), g.end(), [](const glyph& item) { return !isSpaceCharacter(item.c); }));
    if (!g.empty()) {
        measure(piece);
        out.push_back(std::move(piece));
    }
    const bool horizontal = piece.horizontal;
    piece = textLine();
    piece.horizontal = horizontal;
}

constexpr size_t kNone = std::numeric_limits<size_t>::max();

// A letter of a line with right-to-left letters, with its marks.
struct letterCluster {
    size_t letter;                // index among the drawn glyphs
    float centre;                 // twice the letter's middle
    float x0, x1;                 // the room taken by the letter and its marks
    size_t firstMark = kNone;     // its marks in drawing order, linked by markAfter
    size_t lastMark = kNone;
};

// How far a mark stands from a letter. One without room of its own stands
// on the letter whose box holds it or comes nearest; one that takes room
// stands beside the letters it touches, nearest the middle of its own.
float distance(const glyph& mark, const glyph& letter)
{
    if (takesRoom(mark))
        return std::fabs(letter.x0 + letter.x1 - mark.x0 - mark.x1) / 2;
    return std::max({0.0f, letter.x0 - mark.x1, mark.x0 - letter.x1});
}

// Where a mark of a line may go: the letters drawn just before and after
// it, and the letters its place points to.
struct markPlace {
    size_t mark;                  // index among the drawn glyphs
    size_t before, after;         // letters drawn next to it, kNone when there is none
    size_t nearest;               // the letter it stands nearest to
    bool plain;                   // no other letter stands about as near
    bool nearBefore, nearAfter;   // the letters drawn next to it stand about as near as the nearest
};

// Where a mark stands among the letters sorted by their middles. Letters
// stand side by side, so the nearest ones are next to the mark in that order.
markPlace placeOf(const std::vector<glyph>& drawn, size_t mark, size_t before, size_t after,
                  const std::vector<letterCluster>& letters)
{
    const glyph& m = drawn[mark];
    const auto next = std::lower_bound(letters.begin(), letters.end(), m.x0 + m.x1,
                                       [](const letterCluster& c, float centre) { return c.centre < centre; });
    const size_t at = static_cast<size_t>(next - letters.begin());
    const size_t from = at >= 2 ? at - 2 : 0, to = std::min(at + 2, letters.size());
    // The letters to weigh, each once, with their distances: those drawn
    // next to the mark first, so that they win a tie.
    std::array<std::pair<size_t, float>, 6> candidates;
    size_t count = 0;
    for (const size_t k : {before, after})
        if (k != kNone)
            candidates[count++] = {k, distance(m, drawn[letters[k].letter])};
    for (size_t k = from; k < to; ++k)
        if (k != before && k != after)
            candidates[count++] = {k, distance(m, drawn[letters[k].letter])};
    markPlace place{mark, before, after, kNone, true, false, false};
    float best = kInfinity;
    for (size_t c = 0; c < count; ++c)
        if (candidates[c].second < best)
            place.nearest = candidates[c].first, best = candidates[c].second;
    const float near = best + kNearerLetter * glyphSize(m);
    for (size_t c = 0; c < count; ++c) {
        const bool asNear = candidates[c].second <= near;
        place.nearBefore = place.nearBefore || (asNear && candidates[c].first == before);
        place.nearAfter = place.nearAfter || (asNear && candidates[c].first == after);
        place.plain = place.plain && (!asNear || candidates[c].first == place.nearest);
    }
    return place;
}

// The word of each letter, letters given in page order: a gap between two
// letters, marks left out, starts a new word.
std::vector<size_t> wordsOf(const std::vector<glyph>& drawn, const std::vector<letterCluster>& letters)
{
    std::vector<size_t> words(letters.size(), 0);
    size_t word = 0;
    float reached = 0;   // the right end of the letters so far
    for (size_t k = 0; k < letters.size(); ++k) {
        const glyph& letter = drawn[letters[k].letter];
        if (k > 0 && letter.x0 - reached > kSpaceGap * glyphSize(letter))
            ++word;
        words[k] = word;
        reached = k > 0 ? std::max(reached, letter.x1) : letter.x1;
    }
    return words;
}

// The letter drawn next to an unclear mark that it goes to: the one on the
// side its word's marks are drawn on, or the line's when the word does not
// tell (vote: plain marks drawn before their letter, less those drawn after).
size_t ownerOfUnclear(const markPlace& place, int vote)
{
    if (place.nearAfter && (vote > 0 || !place.nearBefore))
        return place.after;
    return place.nearBefore ? place.before : place.nearest;
}

// Whether most right-to-left letters of the line are drawn right to left,
// as a page that stores its text in reading order draws them.
bool drawnRightToLeft(const std::vector<glyph>& drawn, const std::vector<size_t>& letterAt)
{
    int backwards = 0;
    const glyph* last = nullptr;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (letterAt[i] == kNone || !isRightToLeftLetter(drawn[i].c))
            continue;
        if (last)
            backwards += drawn[i].x0 < last->x0 ? 1 : -1;
        last = &drawn[i];
    }
    return backwards > 0;
}

// The letter each mark belongs to, by drawn glyph (kNone for the others).
//
// A page that stores its right-to-left text in reading order stores each
// mark after its letter, as the text is written; where a mark stands then
// tells little, as some writers set it off its letter. A page that stores
// the text as shown draws a mark just before or just after its letter, each
// writer in its own way, so the place decides: a mark whose place names its
// letter plainly goes there. Those tell which way the word was drawn, so a
// mark set right at the edge between two letters goes to the one drawn on
// that side of it (before, when nothing tells). A mark without room drawn
// exactly at the end of the glyph before it is more of that glyph's text
// (one glyph read as a letter and a mark) and stays with it.
std::vector<size_t> ownersOf(const std::vector<glyph>& drawn, const std::vector<letterCluster>& letters)
{
    std::vector<size_t> letterAt(drawn.size(), kNone);   // drawn glyph -> its place among the letters
    for (size_t k = 0; k < letters.size(); ++k)
        letterAt[letters[k].letter] = k;
    std::vector<size_t> owner(drawn.size(), kNone);
    const bool readingOrder = drawnRightToLeft(drawn, letterAt);
    const std::vector<size_t> words = wordsOf(drawn, letters);
    // By word: plain marks drawn before their letter, less those drawn after.
    std::vector<int> marksFirst(letters.size(), 0);
    std::vector<markPlace> unclear;
    size_t before = kNone, after = kNone;
    for (size_t i = 0; i < drawn.size(); ++i) {
        const glyph& g = drawn[i];
        if (letterAt[i] != kNone)
            before = letterAt[i];
        if (letterAt[i] != kNone || !isCombiningMark(g.c))
            continue;
        if (readingOrder && before != kNone) {
            owner[i] = before;
            continue;
        }
        const size_t previous = i > 0 ? (letterAt[i - 1] != kNone ? letterAt[i - 1] : owner[i - 1]) : kNone;
        if (previous != kNone && !takesRoom(g) && g.x0 == drawn[i - 1].x1) {
            owner[i] = previous;
            continue;
        }
        if (after == kNone || letters[after].letter < i) {
            after = kNone;
            for (size_t j = i + 1; j < drawn.size() && after == kNone; ++j)
                after = letterAt[j];
        }
        const markPlace place = placeOf(drawn, i, before, after, letters);
        if (place.plain) {
            owner[i] = place.nearest;
            marksFirst[words[place.nearest]] += place.nearest == before ? -1 : place.nearest == after ? 1 : 0;
        } else {
            unclear.push_back(place);
        }
    }
    int lineVote = 0;
    for (const int vote : marksFirst)
        lineVote += vote;
    for (const markPlace& place : unclear) {
        const int vote = marksFirst[words[place.nearest]];
        owner[place.mark] = ownerOfUnclear(place, vote != 0 ? vote : lineVote);
    }
    return owner;
}

// Gives each mark to the letter it belongs to; a mark that takes room
// widens the room its letter takes.
void attachMarks(const std::vector<glyph>& drawn, std::vector<letterCluster>& letters, std::vector<size_t>& markAfter)
{
    const std::vector<size_t> owner = ownersOf(drawn, letters);
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (owner[i] == kNone)
            continue;
        letterCluster& letter = letters[owner[i]];
        if (takesRoom(drawn[i])) {
            letter.x0 = std::min(letter.x0, drawn[i].x0);
            letter.x1 = std::max(letter.x1, drawn[i].x1);
        }
        (letter.lastMark == kNone ? letter.firstMark : markAfter[letter.lastMark]) = i;
        letter.lastMark = i;
    }
}

// A drawn line with right-to-left letters in the order its glyphs stand on
// the page, left to right, with a space wherever a gap parts two words.
// Writers draw such lines in either direction, with or without space
// glyphs, and draw a combining mark before or after its letter, so the
// positions decide, not the drawing order; the spaces must be found here,
// while the gaps are still known.
//
// Each mark goes with its letter (see ownersOf). Gaps are measured between
// what takes room on the line: a mark drawn with an advance of its own (a
// holam set beside its vav) fills the room it takes, but a mark without one
// takes none, wherever its ink falls, so it never closes the gap between
// two words.
std::vector<glyph> inPageOrder(const std::vector<glyph>& drawn)
{
    std::vector<letterCluster> letters;
    letters.reserve(drawn.size());
    size_t spaces = 0;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (isSpaceCharacter(drawn[i].c))
            ++spaces;
        else if (!isCombiningMark(drawn[i].c))
            letters.push_back({i, drawn[i].x0 + drawn[i].x1, drawn[i].x0, drawn[i].x1});
    }
    const bool hasMarks = !letters.empty() && letters.size() + spaces < drawn.size();
    // Marks on a line without letters stand for themselves.
    for (size_t i = 0; letters.empty() && i < drawn.size(); ++i)
        if (!isSpaceCharacter(drawn[i].c))
            letters.push_back({i, drawn[i].x0 + drawn[i].x1, drawn[i].x0, drawn[i].x1});
    std::stable_sort(letters.begin(), letters.end(),
                     [](const letterCluster& a, const letterCluster& b) { return a.centre < b.centre; });
    std::vector<size_t> markAfter;
    if (hasMarks) {
        markAfter.assign(drawn.size(), kNone);
        attachMarks(drawn, letters, markAfter);
    }

    std::vector<glyph> placed;
    placed.reserve(drawn.size() + drawn.size() / 4);
    const glyph* lastLetter = nullptr;
    float reached = -kInfinity;   // the right end of the room taken so far
    for (const letterCluster& c : letters) {
        const glyph& letter = drawn[c.letter];
        if (lastLetter && c.x0 - reached > kSpaceGap * std::max(glyphSize(letter), glyphSize(*lastLetter))) {
            glyph space = *lastLetter;
            space.c = U' ';
            space.x0 = reached;
            space.x1 = c.x0;
            placed.push_back(space);
        }
        placed.push_back(letter);
        for (size_t m = c.firstMark; m != kNone; m = markAfter[m])
            placed.push_back(drawn[m]);
        reached = std::max(reached, c.x1);
        lastLetter = &letter;
    }
    return placed;
}

std::vector<textLine> cutDrawnLines(const pageContent& page)
{
    std::vector<textLine> pieces;
    for (const glyphLine& line : page.lines) {
        textLine current;
        current.horizontal = isHorizontal(line);
        // Only lines with right-to-left letters are put in page order, so
        // every other line stays exactly as MuPDF gives it.
        const bool reorder = current.horizontal && hasRightToLeft(line.glyphs);
        const std::vector<glyph> placed = reorder ? inPageOrder(line.glyphs) : std::vector<glyph>();
        const glyph* lastInk = nullptr;
        for (const glyph& g : reorder ? placed : line.glyphs) {
            // A line in page order holds each mark right after its letter,
            // wherever the mark stands: a mark that takes no room makes no gap.
            const bool ink = !isSpaceCharacter(g.c) && !(reorder && !takesRoom(g) && isCombiningMark(g.c));
            if (current.horizontal && ink && lastInk
                && g.x0 - lastInk->x1 > kWordGap * std::max(glyphSize(g), glyphSize(*lastInk)))
                keep(current, pieces);
            current.glyphs.push_back(g);
            if (ink)
                lastInk = &g;
        }
        keep(current, pieces);
    }
    return pieces;
}

bool sameText(const textLine& a, const textLine& b)
{
    return std::equal(a.glyphs.begin(), a.glyphs.end(), b.glyphs.begin(), b.glyphs.end(),
                      [](const glyph& x, const glyph& y) { return x.c == y.c; });
}

// Some pages draw a text twice, slightly offset, to fake bold type or a
// shadow; the reader wants it once.
std::vector<textLine> withoutOverprints(std::vector<textLine> pieces)
{
    std::vector<int> order(pieces.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&pieces](int a, int b) { return pieces[a].x0 < pieces[b].x0; });
    std::vector<bool> drop(pieces.size(), false);
    for (size_t i = 0; i < order.size(); ++i) {
        const textLine& a = pieces[order[i]];
        if (drop[order[i]])
            continue;
        const float near = 0.3f * std::max(a.size, 1.0f);
        for (size_t j = i + 1; j < order.size() && pieces[order[j]].x0 - a.x0 <= near; ++j) {
            const textLine& b = pieces[order[j]];
            if (std::fabs(a.baseline - b.baseline) <= near && std::fabs(a.x1 - b.x1) <= near
                && std::fabs(a.top - b.top) <= near && sameText(a, b))
                drop[order[j]] = true;
        }
    }
    std::vector<textLine> kept;
    for (size_t i = 0; i < pieces.size(); ++i)
        if (!drop[i])
            kept.push_back(std::move(pieces[i]));
    return kept;
}

class rowJoiner {
public:
    explicit rowJoiner(std::vector<textLine> pieces) : m_pieces(std::move(pieces))
    {
        for (size_t i = 0; i < m_pieces.size(); ++i)
            if (m_pieces[i].horizontal)
                m_byBaseline.push_back(static_cast<int>(i));
        std::sort(m_byBaseline.begin(), m_byBaseline.end(),
                  [this](int a, int b) { return m_pieces[a].baseline < m_pieces[b].baseline; });
    }

    std::vector<textLine> join() const
    {
        std::vector<int> order(m_pieces.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return m_pieces[a].x0 < m_pieces[b].x0; });

        std::vector<textLine> lines;
        std::vector<int> tails;   // the last piece joined into each line
        for (const int index : order) {
            const textLine& piece = m_pieces[index];
            // The nearest line that the piece could continue; past it the
            // piece cannot reach any other.
            int best = -1;
            float bestGap = kInfinity;
            if (piece.horizontal) {
                for (size_t l = 0; l < lines.size(); ++l) {
                    const float gap = piece.x0 - lines[l].x1;
                    if (gap < bestGap && gap >= -0.3f * std::max(lines[l].size, piece.size) && lines[l].horizontal
                        && sameRow(lines[l], piece))
                        best = static_cast<int>(l), bestGap = gap;
                }
            }
            if (best >= 0 && isGutter(tails[static_cast<size_t>(best)], index))
                best = -1;
            if (best < 0) {
                lines.push_back(piece);
                tails.push_back(index);
                continue;
            }
            append(lines[static_cast<size_t>(best)], piece);
            tails[static_cast<size_t>(best)] = index;
        }
        return lines;
    }

private:
    static bool sameRow(const textLine& a, const textLine& b)
    {
        const float size = std::max(a.size, b.size);
        const bool sameSize = std::min(a.size, b.size) >= 0.85f * size;
        // A superscript or subscript sits higher or lower than its line.
        return std::fabs(a.baseline - b.baseline) <= (sameSize ? 0.25f : 0.6f) * size;
    }

    // Whether the gap between two pieces of a row is a column gutter: a
    // strip of it at least a font size wide is free of text on this row and
    // on nearly all rows around it in the same stretch of the page. A wide
    // space in justified text is crossed by the words of the lines above and
    // below; a row on its own is one line.
    bool isGutter(int left, int right) const
    {
        const textLine& a = m_pieces[left];
        const textLine& b = m_pieces[right];
        const float size = std::max(a.size, b.size);
        if (b.x0 - a.x1 <= kWordGap * size)
            return false;
        std::map<long, std::vector<std::pair<float, float>>> rows;   // row -> text inside the gap
        const auto first = std::lower_bound(
            m_byBaseline.begin(), m_byBaseline.end(), a.baseline - kNeighbourRows * size,
            [this](int item, float value) { return m_pieces[item].baseline < value; });
        for (auto it = first; it != m_byBaseline.end(); ++it) {
            const textLine& other = m_pieces[*it];
            if (other.baseline > a.baseline + kNeighbourRows * size)
                break;
            if (std::fabs(other.baseline - a.baseline) < 0.5f * size || other.x1 <= a.x0 || other.x0 >= b.x1)
                continue;
            auto& row = rows[std::lround(other.baseline * 4)];
            if (other.x1 > a.x1 && other.x0 < b.x0)
                row.emplace_back(std::max(other.x0, a.x1), std::min(other.x1, b.x0));
        }
        if (rows.empty())
            return false;
        std::vector<std::pair<float, int>> edges;   // +1 where a row's text begins, -1 where it ends
        for (auto& row : rows) {
            for (const auto& [from, to] : row.second) {
                edges.emplace_back(from, 1);
                edges.emplace_back(to, -1);
            }
        }
        std::sort(edges.begin(), edges.end());
        const int allowed = static_cast<int>(rows.size() / 4);
        int covering = 0;
        bool free = true;
        float freeFrom = a.x1;
        for (const auto& [x, step] : edges) {
            if (free && x - freeFrom >= kGutterWidth * size)
                return true;
            covering += step;
            const bool nowFree = covering <= allowed;
            if (nowFree && !free)
                freeFrom = x;
            free = nowFree;
        }
        return free && b.x0 - freeFrom >= kGutterWidth * size;
    }

    static void append(textLine& line, const textLine& piece)
    {
        if (piece.x0 - line.x1 > kSpaceGap * std::max(line.size, piece.size)) {
            glyph space = line.glyphs.back();
            space.c = U' ';
            space.x0 = line.x1;
            space.x1 = piece.x0;
            line.glyphs.push_back(space);
        }
        line.glyphs.insert(line.glyphs.end(), piece.glyphs.begin(), piece.glyphs.end());
        measure(line);
    }

    std::vector<textLine> m_pieces;
    std::vector<int> m_byBaseline;   // horizontal pieces by baseline
};

} // namespace

bool isSpaceCharacter(char32_t c)
{
    return c == U' ' || c == U'\t' || c == 0x00A0 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F || c == 0x205F
        || c == 0x3000;
}

bool isBreakHyphen(char32_t c)
{
    return c == U'-' || c == 0x00AD || c == 0x2010;
}

bool isBrokenWord(char32_t beforeHyphen, char32_t hyphen, char32_t next)
{
    return isBreakHyphen(hyphen) && QChar::isLetter(beforeHyphen) && QChar::isLower(next);
}

std::vector<textLine> collectTextLines(const pageContent& page)
{
    return rowJoiner(withoutOverprints(cutDrawnLines(page))).join();
}

} // namespace conversion
