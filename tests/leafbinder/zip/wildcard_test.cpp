// The wildcard rules of name filters, case by case.
#include "Wildcard.h"

#include <gtest/gtest.h>

using ZipArchiveLib::CWildcard;

namespace {

struct MatchCase {
    const char* pattern;
    const char* text;
    bool caseSensitive;
    int code;
};

void PrintTo(const MatchCase& c, std::ostream* os)
{
    *os << '"' << c.pattern << "\" on \"" << c.text << '"' << (c.caseSensitive ? " (case)" : "");
}

class WildcardTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(WildcardTest, GivesTheExpectedCode)
{
    const MatchCase& c = GetParam();
    const CWildcard wildcard(QString::fromUtf8(c.pattern), c.caseSensitive);
    int code = 0;
    const bool matched = wildcard.isMatch(QString::fromUtf8(c.text), &code);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(matched, c.code == CWildcard::matchValid);
}

constexpr int valid = CWildcard::matchValid;
constexpr int patternEnded = CWildcard::matchPatternEnded;
constexpr int textEnded = CWildcard::matchTextEnded;
constexpr int range = CWildcard::matchRange;
constexpr int bad = CWildcard::matchPattern;

const MatchCase cases[] = {
    // '*' takes anything, also nothing, dots and leading dots.
    {"*", "page-1.html", false, valid},
    {"*", ".hidden", false, valid},
    {"*", "a.b.c", false, valid},
    {"*", "", false, valid},
    {"*.html", "page-1.html", false, valid},
    {"*.html", "page-1.htm", false, textEnded},
    {"*.htm?", "page-1.html", false, valid},
    {"*.htm?", "page-1.htm", false, textEnded},
    {"a*b*c", "aXXbYYc", false, valid},
    {"a*b*c", "aXXbYY", false, textEnded},
    {"*x", "abc", false, textEnded},
    {"a**", "abc", false, valid},
    {"*?", "", false, textEnded},
    {"*?", "a", false, valid},
    // '?' takes exactly one character.
    {"?", "a", false, valid},
    {"?", "", false, textEnded},
    {"??", "a", false, textEnded},
    {"a?c", "abc", false, valid},
    {"a?", "abc", false, patternEnded},
    // Literals.
    {"abc", "abc", false, valid},
    {"abc", "abd", false, bad},
    {"abc", "ab", false, textEnded},
    {"ab", "abc", false, patternEnded},
    // Classes and ranges.
    {"[a-c]", "b", false, valid},
    {"[a-c]", "d", false, range},
    {"[c-a]", "b", false, valid},
    {"[!a-c]*", "dog", false, valid},
    {"[!a-c]*", "cat", false, range},
    {"[^a-c]*", "cat", false, range},
    {"[abc]x", "bx", false, valid},
    {"[a-cx-z]", "y", false, valid},
    {"[\\]]", "]", false, valid},
    {"[0-\\]]", "5", false, valid},
    {"[\\!a]", "!", false, valid},
    {"*[0-9]", "page7", false, valid},
    {"*[0-9]", "page", false, textEnded},
    // Bad patterns.
    {"[]", "a", false, bad},
    {"[]a]", "a", false, bad},
    {"[a-]", "a", false, bad},
    {"[abc", "a", false, bad},
    {"a\\", "ab", false, bad},
    // Escapes make the next character literal.
    {"\\*", "*", false, valid},
    {"\\*", "a", false, bad},
    {"a\\?c", "a?c", false, valid},
    {"a\\?c", "abc", false, bad},
    {"*\\*", "star*", false, valid},
    // Case.
    {"*.JPG", "cover.jpg", false, valid},
    {"*.jpg", "COVER.JPG", false, valid},
    {"*.JPG", "cover.jpg", true, textEnded},
    {"Cover.jpg", "cover.jpg", true, bad},
    {"[A-C]x", "bX", false, valid},
    {"[A-C]x", "bx", true, range},
    {"ÄÖ*", "äöü", false, valid},
};

INSTANTIATE_TEST_SUITE_P(Rules, WildcardTest, ::testing::ValuesIn(cases));

} // namespace
