#include "hyphenatedwords.h"

#include "textlines.h"

#include <QChar>

namespace conversion {
namespace {

bool isWordHyphen(char32_t c)
{
    return c == U'-' || c == 0x2010;
}

bool isWordCharacter(char32_t c)
{
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

// Whether text[i] belongs to a word that may hold hyphens: a letter, digit
// or mark, or a single hyphen between two of them. Anything else ends the
// word, so "texmf-dist/doc/", "(camera-ready)," and "user-name@host" hold
// the words "texmf-dist", "camera-ready" and "user-name".
bool inWord(const std::u32string& text, size_t i)
{
    if (isWordCharacter(text[i]))
        return true;
    return isWordHyphen(text[i]) && i > 0 && i + 1 < text.size() && isWordCharacter(text[i - 1])
        && isWordCharacter(text[i + 1]);
}

// One spelling for every way the word can be written.
QString wordKey(const std::u32string& word)
{
    QString key = QString::fromStdU32String(word);
    key.replace(QChar(0x2010), QLatin1Char('-'));
    return key.toCaseFolded();
}

} // namespace

void hyphenatedWords::addLine(const std::u32string& line)
{
    size_t wordStart = 0;
    bool hyphenated = false;
    for (size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && inWord(line, i)) {
            // A hyphen after a letter (or its mark) and before a letter
            // joins the parts of a compound.
            if (isWordHyphen(line[i]))
                hyphenated = hyphenated || (!QChar::isNumber(line[i - 1]) && QChar::isLetter(line[i + 1]));
            continue;
        }
        if (hyphenated)
            m_words.insert(wordKey(line.substr(wordStart, i - wordStart)));
        wordStart = i + 1;
        hyphenated = false;
    }
}

bool hyphenatedWords::joins(const QString& endingLine, const QString& nextLine) const
{
    // The pieces on both sides of the break, cut as addLine cuts words.
    std::u32string word = endingLine.toStdU32String();
    word.pop_back();   // the hyphen
    size_t start = word.size();
    while (start > 0 && inWord(word, start - 1))
        --start;
    word.erase(0, start);
    const std::u32string next = nextLine.toStdU32String();
    size_t end = 0;
    while (end < next.size() && inWord(next, end))
        ++end;
    return m_words.contains(wordKey(word + U'-' + next.substr(0, end)));
}

} // namespace conversion
