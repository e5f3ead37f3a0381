#include "Wildcard.h"

namespace ZipArchiveLib {

namespace {

QString lowered(const QString& text)
{
    // Character by character, so pattern and text keep their lengths.
    QString result = text;
    for (QChar& c : result)
        c = c.toLower();
    return result;
}

class Matcher {
public:
    Matcher(const QString& pattern, const QString& text)
        : m_pattern(pattern), m_text(text)
    {
    }

    int match(qsizetype p, qsizetype t) const
    {
        while (p < m_pattern.size()) {
            const QChar c = m_pattern.at(p);
            if (t >= m_text.size())
                return (c == QLatin1Char('*') && p + 1 == m_pattern.size()) ? CWildcard::matchValid
                                                                            : CWildcard::matchTextEnded;
            switch (c.unicode()) {
            case '?':
                ++p;
                ++t;
                break;
            case '*':
                return matchAfterStar(p, t);
            case '[': {
                const int result = matchClass(p, m_text.at(t));
                if (result != CWildcard::matchValid)
                    return result;
                ++t;
                break;
            }
            case '\\':
                if (p + 1 >= m_pattern.size())
                    return CWildcard::matchPattern;
                if (m_pattern.at(p + 1) != m_text.at(t))
                    return CWildcard::matchPattern;
                p += 2;
                ++t;
                break;
            default:
                if (c != m_text.at(t))
                    return CWildcard::matchPattern;
                ++p;
                ++t;
                break;
            }
        }
        return t >= m_text.size() ? CWildcard::matchValid : CWildcard::matchPatternEnded;
    }

private:
    // p is at a '*'.
    int matchAfterStar(qsizetype p, qsizetype t) const
    {
        ++p;
        // Further '*' add nothing; each '?' takes one character.
        while (p < m_pattern.size() && (m_pattern.at(p) == QLatin1Char('*') || m_pattern.at(p) == QLatin1Char('?'))) {
            if (m_pattern.at(p) == QLatin1Char('?')) {
                if (t >= m_text.size())
                    return CWildcard::matchTextEnded;
                ++t;
            }
            ++p;
        }
        if (p >= m_pattern.size())
            return CWildcard::matchValid;

        QChar next = m_pattern.at(p);
        if (next == QLatin1Char('\\')) {
            if (p + 1 >= m_pattern.size())
                return CWildcard::matchPattern;
            next = m_pattern.at(p + 1);
        }
        const bool anyStart = m_pattern.at(p) == QLatin1Char('[');
        for (; t < m_text.size(); ++t) {
            if (anyStart || m_text.at(t) == next) {
                if (match(p, t) == CWildcard::matchValid)
                    return CWildcard::matchValid;
            }
        }
        return CWildcard::matchTextEnded;
    }

    // The class character at q, unescaped; q moves past it. False at the end.
    bool classChar(qsizetype& q, QChar& c) const
    {
        if (q >= m_pattern.size())
            return false;
        if (m_pattern.at(q) == QLatin1Char('\\')) {
            if (++q >= m_pattern.size())
                return false;
        }
        c = m_pattern.at(q++);
        return true;
    }

    // p is at a '['; on a match p moves past the closing ']'.
    int matchClass(qsizetype& p, QChar textChar) const
    {
        qsizetype q = p + 1;
        bool negated = false;
        if (q < m_pattern.size() && (m_pattern.at(q) == QLatin1Char('!') || m_pattern.at(q) == QLatin1Char('^'))) {
            negated = true;
            ++q;
        }
        if (q >= m_pattern.size() || m_pattern.at(q) == QLatin1Char(']'))
            return CWildcard::matchPattern;

        bool member = false;
        for (;;) {
            if (q >= m_pattern.size())
                return CWildcard::matchPattern;   // no closing ']'
            if (m_pattern.at(q) == QLatin1Char(']')) {
                ++q;
                break;
            }
            QChar low;
            if (!classChar(q, low))
                return CWildcard::matchPattern;
            QChar high = low;
            if (q < m_pattern.size() && m_pattern.at(q) == QLatin1Char('-')) {
                ++q;
                if (q >= m_pattern.size() || m_pattern.at(q) == QLatin1Char(']'))
                    return CWildcard::matchPattern;   // a range ending in ']'
                if (!classChar(q, high))
                    return CWildcard::matchPattern;
            }
            if (low > high)
                std::swap(low, high);
            if (textChar >= low && textChar <= high)
                member = true;
        }
        if (member == negated)
            return CWildcard::matchRange;
        p = q;
        return CWildcard::matchValid;
    }

    const QString& m_pattern;
    const QString& m_text;
};

} // namespace

CWildcard::CWildcard(const QString& pattern, bool caseSensitive)
{
    setPattern(pattern, caseSensitive);
}

CWildcard::~CWildcard() = default;

void CWildcard::setPattern(const QString& pattern, bool caseSensitive)
{
    m_caseSensitive = caseSensitive;
    m_pattern = caseSensitive ? pattern : lowered(pattern);
}

bool CWildcard::isMatch(const QString& text, int* code) const
{
    const QString subject = m_caseSensitive ? text : lowered(text);
    const int result = Matcher(m_pattern, subject).match(0, 0);
    if (code)
        *code = result;
    return result == matchValid;
}

} // namespace ZipArchiveLib
