#include "contentuse.h"

#include <array>
#include <cstring>

namespace conversion {
namespace {

enum charClass : unsigned char { white, delimiter, regular };

constexpr std::array<charClass, 256> makeClasses()
{
    std::array<charClass, 256> classes{};
    for (auto& c : classes)
        c = regular;
    for (const unsigned char c : {' ', '\n', '\r', '\t', '\f', '\0'})
        classes[c] = white;
    for (const unsigned char c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'})
        classes[c] = delimiter;
    return classes;
}

constexpr std::array<charClass, 256> kClasses = makeClasses();

bool isRegular(unsigned char c)
{
    return kClasses[c] == regular;
}

int hexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Numbers start so; they are operands, not operators.
bool startsNumber(unsigned char c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The kind of resource an operator names, or false for any other operator.
bool kindOf(const char* op, resourceKind& kind)
{
    static const struct {
        const char* op;
        resourceKind kind;
    } kOperators[] = {
        {"Tf", resourceKind::font},          {"Do", resourceKind::xobject},      {"sh", resourceKind::shading},
        {"gs", resourceKind::graphicsState}, {"cs", resourceKind::colorSpace},   {"CS", resourceKind::colorSpace},
        {"scn", resourceKind::pattern},      {"SCN", resourceKind::pattern},
    };
    for (const auto& entry : kOperators) {
        if (std::strcmp(op, entry.op) == 0) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

} // namespace

// Numbers, operators and white space make up most of a content stream and
// are read here; names, strings, comments and pictures' data by take().
void contentUse::feed(const unsigned char* data, std::size_t size)
{
    const unsigned char* p = data;
    const unsigned char* end = data + size;
    while (p < end) {
        if (m_state == state::between) {
            const unsigned char c = *p;
            if (kClasses[c] == white) {
                ++p;
            } else if (startsNumber(c)) {
                m_state = state::number;
            } else if (isRegular(c)) {
                m_state = state::word;
                m_wordLength = 0;
            } else {
                take(c);
                ++p;
            }
        } else if (m_state == state::number) {
            while (p < end && isRegular(*p))
                ++p;
            if (p < end)
                m_state = state::between;
        } else if (m_state == state::word) {
            for (; p < end && isRegular(*p); ++p) {
                if (m_wordLength < kLongestOperator)
                    m_word[m_wordLength] = static_cast<char>(*p);
                ++m_wordLength;
            }
            if (p == end)
                return;
            endWord();
            // The single white space after "ID" is the last byte before the
            // picture's data.
            if (m_state == state::pictureData)
                ++p;
        } else {
            take(*p);
            ++p;
        }
    }
}

void contentUse::finish()
{
    if (m_state == state::name || m_state == state::nameEscape)
        endName();
    else if (m_state == state::word)
        endWord();
    m_state = state::between;
    m_lastName.clear();
}

// One byte of a name, string, comment or picture's data, or a delimiter
// between tokens.
void contentUse::take(unsigned char c)
{
    switch (m_state) {
    case state::between:
    case state::number:
    case state::word:
        break;
    case state::comment:
        if (c == '\n' || c == '\r')
            m_state = state::between;
        return;
    case state::name:
        if (c == '#') {
            m_state = state::nameEscape;
            m_escapeDigits = 0;
            m_escapeValue = 0;
            return;
        }
        if (isRegular(c)) {
            m_name += static_cast<char>(c);
            return;
        }
        endName();
        break;
    case state::nameEscape:
        if (hexValue(c) >= 0) {
            m_escapeValue = m_escapeValue * 16 + static_cast<unsigned>(hexValue(c));
            if (++m_escapeDigits == 2) {
                m_name += static_cast<char>(m_escapeValue);
                m_state = state::name;
            }
            return;
        }
        // Not an escape after all: the "#" stands for itself.
        m_name += '#';
        m_state = state::name;
        take(c);
        return;
    case state::string:
        if (c == '\\')
            m_state = state::stringEscape;
        else if (c == '(')
            ++m_stringDepth;
        else if (c == ')' && --m_stringDepth == 0)
            m_state = state::between;
        return;
    case state::stringEscape:
        m_state = state::string;
        return;
    case state::hexStart:
        // "<<" opens a dictionary, not a hexadecimal string.
        m_state = c == '<' || c == '>' ? state::between : state::hexString;
        return;
    case state::hexString:
        if (c == '>')
            m_state = state::between;
        return;
    case state::pictureData: {
        const bool ends = kClasses[m_tail[0]] == white && m_tail[1] == 'E' && m_tail[2] == 'I' && !isRegular(c);
        m_tail[0] = m_tail[1];
        m_tail[1] = m_tail[2];
        m_tail[2] = c;
        if (!ends)
            return;
        m_state = state::between;
        break;
    }
    }

    // Between tokens: c, white space or a delimiter, may start the next.
    if (c == '%') {
        m_state = state::comment;
    } else if (c == '/') {
        m_state = state::name;
        m_name.clear();
    } else if (c == '(') {
        m_state = state::string;
        m_stringDepth = 1;
    } else if (c == '<') {
        m_state = state::hexStart;
    }
}

void contentUse::endName()
{
    m_lastName = m_name;
    m_state = state::between;
}

// Every operator is at most three letters long; a longer word (true, false,
// null) is an operand.
void contentUse::endWord()
{
    m_state = state::between;
    if (m_wordLength > kLongestOperator)
        return;
    m_word[m_wordLength] = '\0';
    resourceKind kind;
    if (!m_lastName.empty() && kindOf(m_word, kind))
        m_uses.emplace(kind, m_lastName);
    m_lastName.clear();
    if (std::strcmp(m_word, "ID") == 0) {
        m_state = state::pictureData;
        std::memset(m_tail, 0, sizeof m_tail);
    }
}

} // namespace conversion
