#include "contentuse.h"

#include <cstring>

namespace conversion {
namespace {

bool isWhite(unsigned char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(unsigned char c)
{
    return std::strchr("()<>[]{}/%", c) != nullptr && c != '\0';
}

bool isRegular(unsigned char c)
{
    return !isWhite(c) && !isDelimiter(c);
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

// Numbers and the words true, false and null are operands, not operators.
bool isOperand(const std::string& word)
{
    const char first = word[0];
    return (first >= '0' && first <= '9') || first == '+' || first == '-' || first == '.' || word == "true"
        || word == "false" || word == "null";
}

// The kind of resource an operator names, or false for any other operator.
bool kindOf(const std::string& op, resourceKind& kind)
{
    static const struct {
        const char* op;
        resourceKind kind;
    } kOperators[] = {
        {"Tf", resourceKind::font},        {"Do", resourceKind::xobject},        {"sh", resourceKind::shading},
        {"gs", resourceKind::graphicsState}, {"cs", resourceKind::colorSpace},   {"CS", resourceKind::colorSpace},
        {"scn", resourceKind::pattern},    {"SCN", resourceKind::pattern},
    };
    for (const auto& entry : kOperators) {
        if (op == entry.op) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

} // namespace

void contentUse::feed(const unsigned char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        take(data[i]);
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

void contentUse::take(unsigned char c)
{
    switch (m_state) {
    case state::between:
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
            m_token += static_cast<char>(c);
            return;
        }
        endName();
        break;
    case state::nameEscape:
        if (hexValue(c) >= 0) {
            m_escapeValue = m_escapeValue * 16 + static_cast<unsigned>(hexValue(c));
            if (++m_escapeDigits == 2) {
                m_token += static_cast<char>(m_escapeValue);
                m_state = state::name;
            }
            return;
        }
        // Not an escape after all: the "#" stands for itself.
        m_token += '#';
        m_state = state::name;
        take(c);
        return;
    case state::word:
        if (isRegular(c)) {
            m_token += static_cast<char>(c);
            return;
        }
        endWord();
        // The single white space after "ID" is the last byte before the
        // picture's data.
        if (m_state == state::pictureData)
            return;
        break;
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
    case state::hexString:
        // "<<" opens a dictionary, not a hexadecimal string.
        if (c == '>' || (c == '<' && m_token.empty()))
            m_state = state::between;
        else
            m_token += 'x';
        return;
    case state::pictureData: {
        const bool ends = isWhite(m_tail[0]) && m_tail[1] == 'E' && m_tail[2] == 'I' && !isRegular(c);
        m_tail[0] = m_tail[1];
        m_tail[1] = m_tail[2];
        m_tail[2] = c;
        if (!ends)
            return;
        m_state = state::between;
        break;
    }
    }

    // Between tokens: c starts the next one.
    m_token.clear();
    if (c == '%')
        m_state = state::comment;
    else if (c == '/')
        m_state = state::name;
    else if (c == '(') {
        m_state = state::string;
        m_stringDepth = 1;
    } else if (c == '<')
        m_state = state::hexString;
    else if (isRegular(c)) {
        m_state = state::word;
        m_token += static_cast<char>(c);
    }
}

void contentUse::endName()
{
    m_lastName = m_token;
    m_state = state::between;
}

void contentUse::endWord()
{
    m_state = state::between;
    if (isOperand(m_token))
        return;
    resourceKind kind;
    if (!m_lastName.empty() && kindOf(m_token, kind))
        m_uses.emplace(kind, m_lastName);
    m_lastName.clear();
    if (m_token == "ID") {
        m_state = state::pictureData;
        std::memset(m_tail, 0, sizeof m_tail);
    }
}

} // namespace conversion
