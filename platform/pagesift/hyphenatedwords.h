#ifndef HYPHENATEDWORDS_H
#define HYPHENATEDWORDS_H

// The words a document writes with a hyphen inside a line ("camera-ready",
// "из-за"). A word broken at a line end whose pieces make one of them keeps
// its hyphen; any other was split by the typesetter and is joined again.
// A word is letters, digits and marks with single hyphens between them, so
// whatever stands around it (spaces, punctuation, the rest of a path or an
// address) is not part of it; case does not count.
//
// The words are gathered from the whole document (compoundsreading.h).

#include <QSet>
#include <QString>

#include <string>

namespace conversion {

class hyphenatedWords {
public:
    // Notes the hyphenated words of a line of text.
    void addLine(const std::u32string& line);

    // True when the last word of endingLine, up to the hyphen it ends in,
    // and the first word of nextLine make one of the document's words.
    bool joins(const QString& endingLine, const QString& nextLine) const;

private:
    QSet<QString> m_words;
};

} // namespace conversion

#endif
