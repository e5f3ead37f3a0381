#include "hyphenatedwords.h"

#include "textlines.h"

#include <QChar>

namespace conversion {
namespace {

bool isWordHyphen(char32_t c)
{
    return c == U'-' || c == 0x2010;
}

// One spelling for every way the word can be written.
QString wordKey(QString word)
{
    word.replace(QChar(0x2010), QLatin1Char('-'));
    qsizetype first = 0;
    qsizetype end = word.size();
    while (first < end && !word.at(first).isLetterOrNumber())
        ++first;
    while (end > first && !word.at(end - 1).isLetterOrNumber())
        --end;
    return word.mid(first, end - first).toCaseFolded();
}

} // namespace

void hyphenatedWords::addLine(const std::u32string& line)
{
    const size_t length = line.size();
    size_t wordStart = 0;
    bool hyphenated = false;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || isSpaceCharacter(line[i])) {
            if (hyphenated)
                m_words.insert(wordKey(QString::fromStdU32String(line.substr(wordStart, i - wordStart))));
            wordStart = i + 1;
            hyphenated = false;
        } else if (isWordHyphen(line[i]) && i > wordStart && i + 1 < length) {
            hyphenated = hyphenated || (QChar::isLetter(line[i - 1]) && QChar::isLetter(line[i + 1]));
        }
    }
}

bool hyphenatedWords::joins(const QString& endingLine, const QString& nextLine) const
{
    qsizetype start = endingLine.size() - 1;   // drops the hyphen
    while (start > 0 && !isSpaceCharacter(endingLine.at(start - 1).unicode()))
        --start;
    qsizetype end = 0;
    while (end < nextLine.size() && !isSpaceCharacter(nextLine.at(end).unicode()))
        ++end;
    return m_words.contains(
        wordKey(endingLine.mid(start, endingLine.size() - 1 - start) + QLatin1Char('-') + nextLine.left(end)));
}

} // namespace conversion
