#include "pagerecord.h"

#include "fontstyle.h"
#include "hyphenatedwords.h"
#include "pagecontent.h"
#include "pagelayout.h"

#include <QString>

#include <cmath>
#include <cstdio>

namespace conversion {
namespace {

// The look of a run; a change of any part starts a new run.
struct runLook {
    const fontStyle* font = nullptr;
    int size = 0;
    std::uint32_t color = 0;

    bool operator==(const runLook& other) const
    {
        return size == other.size && color == other.color && font->bold == other.font->bold
            && font->italic == other.font->italic && font->family == other.font->family;
    }
    bool operator!=(const runLook& other) const { return !(*this == other); }
};

// Characters an XHTML page can hold; the rest (controls, non-characters,
// lone surrogates) would make the book unreadable.
bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

void appendUtf16(std::u16string& text, char32_t c)
{
    if (c < 0x10000) {
        text += static_cast<char16_t>(c);
        return;
    }
    c -= 0x10000;
    text += static_cast<char16_t>(0xD800 + (c >> 10));
    text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

// Scripts written without spaces between words: a line break there joins
// without one.
bool isUnspacedScript(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF)
        || (c >= 0x20000 && c <= 0x2FFFF) || (c >= 0x0E00 && c <= 0x0EFF);
}

bool isHyphen(char32_t c)
{
    return c == U'-' || c == 0x00AD || c == 0x2010 || c == 0x2011;
}

bool needsSpaceBetween(char32_t last, char32_t next)
{
    return !isSpaceCharacter(last) && !isHyphen(last) && !isUnspacedScript(last) && !isUnspacedScript(next);
}

std::string colorText(std::uint32_t color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
    return text;
}

// A built line with the characters the joining rules look at.
struct builtLine {
    ns_epub::epubLine* line = nullptr;
    char32_t first = 0;
    char32_t last = 0;
    char32_t beforeLast = 0;
};

bool continuesBrokenWord(const builtLine& line, const builtLine& next)
{
    return isBrokenWord(line.beforeLast, line.last, next.first);
}

QString lineText(const ns_epub::epubLine& line)
{
    QString text;
    for (const ns_epub::epubWord* run : line.words)
        text += QString::fromStdU16String(run->text);
    return text;
}

// The hyphen is the line's last character, alone in its run or at its end;
// the runs around it keep their looks.
void dropEndHyphen(ns_epub::epubLine& line)
{
    ns_epub::epubWord* run = line.words.back();
    run->text.pop_back();
    if (run->text.empty()) {
        delete run;
        line.words.pop_back();
    }
}

class recordBuilder {
public:
    recordBuilder(const pageContent& content, pageRecord& record) : m_record(record)
    {
        m_styles.reserve(content.fonts.size());
        for (const fontFace& face : content.fonts) {
            fontStyle style = styleFromFontName(face.name);
            style.bold = style.bold || face.bold;
            style.italic = style.italic || face.italic;
            m_styles.push_back(std::move(style));
        }
    }

    // The column's lines, or null when none has text.
    ns_epub::epubColumn* buildColumn(const layoutColumn& source) const
    {
        std::vector<builtLine> lines;
        for (const layoutLine& line : source.lines) {
            builtLine built = buildLine(line);
            if (built.line) {
                lines.push_back(built);
            } else if (line.endsParagraph && !lines.empty()) {
                // The paragraph still ends here, on the last line with text.
                lines.back().line->endsParagraph = 1;
            }
        }
        if (lines.empty())
            return nullptr;
        for (size_t i = 0; i + 1 < lines.size(); ++i) {
            ns_epub::epubLine* line = lines[i].line;
            if (line->endsParagraph)
                continue;
            if (continuesBrokenWord(lines[i], lines[i + 1])) {
                // A soft hyphen is only ever the typesetter's.
                if (lines[i].last == 0x00AD)
                    dropEndHyphen(*line);
                else
                    m_record.addBrokenWord({line, lineText(*line), lineText(*lines[i + 1].line)});
            } else if (needsSpaceBetween(lines[i].last, lines[i + 1].first))
                line->words.back()->text += u' ';
        }
        auto* column = new ns_epub::epubColumn;
        for (const builtLine& built : lines)
            column->lines.push_back(built.line);
        return column;
    }

private:
    builtLine buildLine(const layoutLine& source) const
    {
        builtLine built;
        ns_epub::epubWord* run = nullptr;
        runLook look;
        for (const glyph& g : source.glyphs) {
            char32_t c = g.c;
            if (!isXmlCharacter(c) || c == 0xA || c == 0xD)
                continue;
            if (c == U'\t')
                c = U' ';
            if (isSpaceCharacter(c)) {
                // A space belongs to the run before it, so spaces between two
                // looks do not make runs of their own.
                if (run)
                    appendUtf16(run->text, c);
                built.beforeLast = built.last;
                built.last = c;
                continue;
            }
            const runLook glyphLook = lookOf(g);
            if (!run || glyphLook != look) {
                if (!built.line) {
                    built.line = new ns_epub::epubLine;
                    built.line->endsParagraph = source.endsParagraph ? 1 : 0;
                    built.line->centred = source.centred ? 1 : 0;
                    built.line->rightToLeft = source.rightToLeft ? 1 : 0;
                    built.first = c;
                }
                run = newRun(glyphLook);
                built.line->words.push_back(run);
                look = glyphLook;
            }
            appendUtf16(run->text, c);
            built.beforeLast = built.last;
            built.last = c;
        }
        return built;
    }

    runLook lookOf(const glyph& g) const
    {
        static const fontStyle unknown;
        runLook look;
        const size_t font = static_cast<size_t>(g.font);
        look.font = font < m_styles.size() ? &m_styles[font] : &unknown;
        look.size = std::max(1, static_cast<int>(std::lround(g.size)));
        look.color = g.color;
        return look;
    }

    static ns_epub::epubWord* newRun(const runLook& look)
    {
        auto* run = new ns_epub::epubWord;
        run->kind = 0;
        run->bold = look.font->bold ? 1 : 0;
        run->italic = look.font->italic ? 1 : 0;
        run->fontFamily = look.font->family;
        run->fontSize = look.size;
        run->color = colorText(look.color);
        return run;
    }

    std::vector<fontStyle> m_styles;
    pageRecord& m_record;
};

} // namespace

pageRecord::~pageRecord()
{
    std::vector<ns_epub::epubPicture*> pictures;
    getPictures(pictures);
    for (ns_epub::epubPicture* picture : pictures)
        delete picture;
    clear();
}

void pageRecord::addPicturePath(const std::string& path)
{
    auto* picture = new ns_epub::epubPicture;
    picture->path = path;
    picture->extra = 0;
    addPicture(picture);
}

void pageRecord::joinBrokenWords(const hyphenatedWords& compounds)
{
    for (const brokenWord& word : m_brokenWords)
        if (!compounds.joins(word.endingLine, word.nextLine))
            dropEndHyphen(*word.line);
    m_brokenWords.clear();
}

std::unique_ptr<pageRecord> buildPageRecord(const pageContent& content, const std::vector<layoutSection>& sections)
{
    auto record = std::make_unique<pageRecord>();
    const recordBuilder builder(content, *record);
    for (const layoutSection& source : sections) {
        std::unique_ptr<ns_epub::epubSection> section;
        int key = 0;
        for (const layoutColumn& sourceColumn : source.columns) {
            ns_epub::epubColumn* column = builder.buildColumn(sourceColumn);
            if (!column)
                continue;
            if (!section)
                section = std::make_unique<ns_epub::epubSection>();
            section->columns[key++] = column;
        }
        if (section)
            record->addSection(section.release());
    }
    return record;
}

} // namespace conversion
