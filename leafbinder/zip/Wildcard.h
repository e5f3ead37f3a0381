#ifndef WILDCARD_H
#define WILDCARD_H

#include "leafbinder_export.h"

#include <QString>

namespace ZipArchiveLib {

// A file-name pattern:
//   ?        any one character
//   *        any run of characters, also none
//   [a-c]    one character of a class; "[!...]" or "[^...]" negates it
//   \x       the character x itself
// Anything else matches itself. Without case sensitivity pattern and text are
// compared in lower case.
class LEAFBINDER_EXPORT CWildcard {
public:
    // Match results.
    enum MatchCode {
        matchValid = 1,
        matchPatternEnded = 2,   // the pattern ended before the text
        matchTextEnded = 3,      // the text ended before the pattern
        matchRange = 4,          // a character class did not match
        matchPattern = 6         // a bad pattern, or a character that differs
    };

    CWildcard() = default;
    CWildcard(const QString& pattern, bool caseSensitive);
    virtual ~CWildcard();

    void setPattern(const QString& pattern, bool caseSensitive);
    // True only when the whole text matches; *code, when given, gets the result.
    bool isMatch(const QString& text, int* code = nullptr) const;

private:
    bool m_caseSensitive = false;
    QString m_pattern;
};

} // namespace ZipArchiveLib

#endif
