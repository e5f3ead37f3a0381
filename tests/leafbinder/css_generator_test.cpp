// Style classes of runs and centred paragraphs.
#include "epub_css.h"
#include "epub_page.h"

#include <gtest/gtest.h>

using namespace ns_epub;

namespace {

TEST(CssGenerator, StyleTextsHaveAFixedForm)
{
    epubCssGenerator* css = epubCssGenerator::instance();
    epubWord plain;
    EXPECT_EQ(css->createFontStyle(&plain), QStringLiteral("{font-size:10;color:;font-family:;}"));
    epubWord loud;
    loud.bold = loud.italic = 1;
    loud.fontSize = 12;
    loud.color = "#000000";
    loud.fontFamily = "Arial";
    EXPECT_EQ(css->createFontStyle(&loud),
              QStringLiteral("{font-size:12;color:#000000;font-family:Arial;font-weight:bold;font-style:italic;}"));
    EXPECT_EQ(css->createFontStyle(nullptr), QString());
    epubLine line;
    EXPECT_EQ(css->createLineStyle(&line), QString());
    line.centred = 1;
    EXPECT_EQ(css->createLineStyle(&line), QStringLiteral("{text-align:center;}"));
}

TEST(CssGenerator, EqualLooksShareOneClassAndNewLooksGetNewNames)
{
    epubCssGenerator* css = epubCssGenerator::instance();
    epubWord a;
    a.text = u"first";
    a.fontSize = 31;
    a.fontFamily = "Unique Family A";
    epubWord b = a;
    b.text = u"second";
    EXPECT_EQ(css->wordStyleClass(&a), css->wordStyleClass(&b));

    // The order in which bold and italic were set does not matter.
    epubWord c = a, d = a;
    c.bold = 1;
    c.italic = 1;
    d.italic = 1;
    d.bold = 1;
    const QString boldItalic = css->wordStyleClass(&c);
    EXPECT_EQ(boldItalic, css->wordStyleClass(&d));
    EXPECT_NE(boldItalic, css->wordStyleClass(&a));

    epubWord e = a;
    e.fontSize = 32;
    const QString before = css->wordStyleClass(&a);
    const QString fresh = css->wordStyleClass(&e);
    EXPECT_EQ(fresh.mid(5).toInt(), std::max(before.mid(5).toInt(), boldItalic.mid(5).toInt()) + 1)
        << "names count on: " << fresh.toStdString();

    epubLine centred;
    centred.centred = 1;
    epubLine other = centred;
    other.endsParagraph = 1;
    EXPECT_EQ(css->lineStyleClass(&centred), css->lineStyleClass(&other));
}

TEST(CssGenerator, RulesUsePointsAndOnlySafeValues)
{
    epubCssGenerator* css = epubCssGenerator::instance();
    epubWord w;
    w.fontSize = 13;
    w.color = "#A0b1C2";
    w.fontFamily = "Back\\slash \"Quoted\"";
    w.bold = 1;
    const QString name = css->wordStyleClass(&w);
    epubWord bad;
    bad.fontSize = -4;
    bad.color = "url(x)";
    bad.fontFamily = "\n";
    const QString badName = css->wordStyleClass(&bad);
    epubLine line;
    line.centred = 1;
    const QString centre = css->lineStyleClass(&line);

    const QString rules = css->styleRules({name, badName, centre, QStringLiteral("style999999")});
    const QStringList lines = rules.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QLatin1Char('.') + name +
              QStringLiteral(" { font-size: 13pt; color: #A0b1C2; font-family: \"Back\\\\slash \\\"Quoted\\\"\"; font-weight: bold; }"));
    EXPECT_EQ(lines[1], QLatin1Char('.') + badName + QStringLiteral(" { }"));
    EXPECT_EQ(lines[2], QLatin1Char('.') + centre + QStringLiteral(" { text-align: center; }"));
}

} // namespace
