// Font names as documents write them, and the family and style a run gets.
#include "fontstyle.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* name;
    const char* family;
    bool bold;
    bool italic;
};

TEST(FontStyle, FamilyLosesSubsetTagStyleAndFoundryMarks)
{
    const NameCase cases[] = {
        {"Helvetica", "Helvetica", false, false},
        {"Helvetica-Bold", "Helvetica", true, false},
        {"Helvetica-BoldOblique", "Helvetica", true, true},
        {"Times-Roman", "Times", false, false},
        {"Times-Italic", "Times", false, true},
        {"ABCDEF+TimesNewRomanPS-BoldItalicMT", "TimesNewRoman", true, true},
        {"QWERTY+ArialMT", "Arial", false, false},
        {"Arial,Bold", "Arial", true, false},
        {"Arial,BoldItalic", "Arial", true, true},
        {"XYZABC+DejaVuSans", "DejaVuSans", false, false},
        {"MinionPro-It", "MinionPro", false, true},
        {"MinionPro-Semibold", "MinionPro", true, false},
        {"Futura-Heavy", "Futura", true, false},
        {"Gill Sans", "Gill Sans", false, false},
        {"Abcdef+Lowercase", "Abcdef+Lowercase", false, false},   // not a subset tag
        {"ABCDE+Short", "ABCDE+Short", false, false},
        {"Noto-Sans-CJK", "Noto-Sans-CJK", false, false},         // no style after the dash
        {"Evil;}Font{", "EvilFont", false, false},
        {"ABCDEF+", "", false, false},
        {"", "", false, false},
    };
    for (const NameCase& c : cases) {
        const conversion::fontStyle style = conversion::styleFromFontName(c.name);
        EXPECT_EQ(style.family, c.family) << c.name;
        EXPECT_EQ(style.bold, c.bold) << c.name;
        EXPECT_EQ(style.italic, c.italic) << c.name;
    }
}

} // namespace
