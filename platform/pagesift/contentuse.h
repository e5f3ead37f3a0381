#ifndef CONTENTUSE_H
#define CONTENTUSE_H

// Which resources a PDF content stream names, and for what: the operators
// that select a font (Tf), draw an XObject (Do) or a shading (sh), set a
// graphics state (gs), a colour space (cs, CS) or a pattern (scn, SCN),
// each with the name it was given. The bytes come in pieces, as a stream is
// decoded; a page's several content streams may be fed one after another.
// Strings, comments and the data of inline pictures are passed over.

#include <cstddef>
#include <set>
#include <string>
#include <utility>

namespace conversion {

enum class resourceKind {
    font,         // Tf
    xobject,      // Do: a picture or a form
    shading,      // sh
    graphicsState,  // gs
    colorSpace,   // cs, CS
    pattern,      // scn, SCN with a name
};

class contentUse {
public:
    void feed(const unsigned char* data, std::size_t size);
    // Ends the content, and a word that was still being read with it.
    void finish();

    // Each kind and name once.
    const std::set<std::pair<resourceKind, std::string>>& uses() const { return m_uses; }

private:
    enum class state {
        between, comment, name, nameEscape, number, word, string, stringEscape, hexStart, hexString, pictureData
    };
    static constexpr int kLongestOperator = 3;

    void take(unsigned char c);
    void endName();
    void endWord();

    std::set<std::pair<resourceKind, std::string>> m_uses;
    state m_state = state::between;
    std::string m_name;
    std::string m_lastName;  // the last name given since the last operator
    char m_word[kLongestOperator + 1] = {};
    int m_wordLength = 0;
    int m_stringDepth = 0;
    int m_escapeDigits = 0;
    unsigned m_escapeValue = 0;
    // The last bytes of a picture's data: it ends at "EI" between white space.
    unsigned char m_tail[3] = {};
};

} // namespace conversion

#endif
