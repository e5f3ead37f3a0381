// What a reader gets from a page of text: reading order with columns,
// paragraphs, runs of one look, centring, text in any script unchanged,
// right-to-left lines in reading order, each paragraph in its own direction,
// and words hyphenated at line ends made whole unless the document writes
// them with their hyphen.
#include "pdffixture.h"
#include "textlayout.h"

using testpdf::DocSpec;
using testpdf::PageSpec;
using testpdf::paragraphStyle;
using testpdf::TextRun;

namespace {

TextRun textAt(const QString& text, double x, double y, double size = 11,
               const QString& font = QStringLiteral("Helvetica"))
{
    TextRun run;
    run.text = text;
    run.x = x;
    run.y = y;
    run.size = size;
    run.font = font;
    return run;
}

QString paragraphsText(const QList<QStringList>& paragraphs)
{
    QString text;
    for (const QStringList& lines : paragraphs)
        text += lines.join(QLatin1Char(' ')) + QLatin1Char('\n');
    return text;
}

using LayoutTest = PdfTest;

TEST_F(LayoutTest, TwoColumnsComeOutColumnByColumnUnderAFullWidthTitle)
{
    PageSpec page;
    TextRun title = textAt(QStringLiteral("Two Columns"), 306, 740, 18, QStringLiteral("Helvetica-Bold"));
    title.align = Qt::AlignHCenter;
    page.runs << title;

    // Both columns break their paragraphs at the same height, so a gap runs
    // across the whole page there; it must not end the columns.
    paragraphStyle left;
    left.width = 216;
    paragraphStyle right = left;
    right.x = 324;
    double leftY = 700, rightY = 700;
    const QStringList l1 = addParagraph(page, testpdf::numberedWords(QStringLiteral("west"), 30), left, leftY);
    const QStringList r1 = addParagraph(page, testpdf::numberedWords(QStringLiteral("east"), 30), right, rightY);
    leftY = rightY = std::min(leftY, rightY) - 10;
    const QStringList l2 = addParagraph(page, testpdf::numberedWords(QStringLiteral("west"), 25, 31), left, leftY);
    const QStringList r2 = addParagraph(page, testpdf::numberedWords(QStringLiteral("east"), 20, 31), right, rightY);
    // A heading in the middle of the right column, below its text.
    TextRun heading = textAt(QStringLiteral("Right Note"), 432, rightY - 20, 11, QStringLiteral("Helvetica-Bold"));
    heading.align = Qt::AlignHCenter;
    page.runs << heading;

    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("columns.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const parsed::page& p = out.pages[0];
    ASSERT_EQ(p.sections.size(), 2u) << describe(p);
    ASSERT_EQ(p.sections[0].columns.size(), 1u) << describe(p);
    EXPECT_EQ(p.sections[0].columns[0].text(), QStringLiteral("Two Columns\n"));
    ASSERT_EQ(p.sections[1].columns.size(), 2u) << describe(p);
    EXPECT_EQ(p.sections[1].columns[0].text(), paragraphsText({l1, l2})) << describe(p);
    EXPECT_EQ(p.sections[1].columns[1].text(), paragraphsText({r1, r2, {QStringLiteral("Right Note")}})) << describe(p);
    EXPECT_TRUE(p.sections[1].columns[1].lines.back().centred) << "centred within its own column";
    EXPECT_FALSE(p.sections[1].columns[0].lines.back().centred);
}

TEST_F(LayoutTest, ThreeColumnsOfMixedTextKeepTheirOrderAndEveryWord)
{
    PageSpec page;
    paragraphStyle style;
    style.width = 150;
    style.size = 9;
    const QStringList fonts = {QStringLiteral("Times-Roman"), QStringLiteral("Helvetica"), QStringLiteral("Courier")};
    QList<QString> expected;
    for (int column = 0; column < 3; ++column) {
        style.x = 54 + column * 171;
        style.font = fonts[column];
        double y = 740 - column * 30;   // columns starting at different heights
        QList<QStringList> paragraphs;
        for (int paragraph = 0; paragraph < 4; ++paragraph) {
            const QString stem = QStringLiteral("c%1p%2w").arg(column).arg(paragraph);
            paragraphs << addParagraph(page, testpdf::numberedWords(stem, 18 + 7 * paragraph), style, y);
            y -= 6;
        }
        expected << paragraphsText(paragraphs);
    }
    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("three.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const parsed::page& p = out.pages[0];
    ASSERT_EQ(p.sections.size(), 1u) << describe(p);
    ASSERT_EQ(p.sections[0].columns.size(), 3u) << describe(p);
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(p.sections[0].columns[static_cast<size_t>(column)].text(), expected[column]) << describe(p);
}

// Justified text whose words the page places one by one, with spaces up to
// one and a half times the font size in a narrow column.
QStringList addJustified(PageSpec& page, const QStringList& words, double x, double width, double& y, double size)
{
    paragraphStyle style;
    style.x = x;
    style.width = width;
    style.size = size;
    PageSpec scratch;
    double scratchY = y;
    const QStringList lines = addParagraph(scratch, words, style, scratchY);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList lineWords = lines[i].split(QLatin1Char(' '));
        double inkWidth = 0;
        QList<TextRun> runs;
        for (const QString& word : lineWords) {
            runs << textAt(word, 0, y, size);
            inkWidth += testpdf::textWidth(runs.back());
        }
        const bool last = i + 1 == lines.size();
        const double gap = last || runs.size() < 2 ? size * 0.28 : (width - inkWidth) / (runs.size() - 1);
        double pen = x;
        for (TextRun& run : runs) {
            run.x = pen;
            pen += testpdf::textWidth(run) + gap;
            page.runs << run;
        }
        y -= 1.2 * size;
    }
    return lines;
}

TEST_F(LayoutTest, JustifiedTextPlacedWordByWordKeepsItsLinesAndColumns)
{
    PageSpec page;
    QStringList words;
    const QStringList vocabulary = {QStringLiteral("a"), QStringLiteral("justified"), QStringLiteral("line"),
                                    QStringLiteral("of"), QStringLiteral("extraordinarily"), QStringLiteral("wide"),
                                    QStringLiteral("spacing"), QStringLiteral("in"), QStringLiteral("narrow"),
                                    QStringLiteral("columns"), QStringLiteral("is"), QStringLiteral("typesetting")};
    unsigned seed = 7;
    for (int i = 0; i < 70; ++i) {
        seed = seed * 1103515245u + 12345u;
        words << vocabulary[static_cast<qsizetype>((seed >> 16) % vocabulary.size())] + QString::number(i);
    }
    // Two narrow columns only 12 points apart with 10 point text.
    double leftY = 740, rightY = 740;
    const QStringList left = addJustified(page, words, 72, 130, leftY, 10);
    const QStringList right = addJustified(page, words.mid(5), 214, 130, rightY, 10);
    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("justified.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const parsed::page& p = out.pages[0];
    ASSERT_EQ(p.sections.size(), 1u) << describe(p);
    ASSERT_EQ(p.sections[0].columns.size(), 2u) << describe(p);
    EXPECT_EQ(p.sections[0].columns[0].text(), paragraphsText({left})) << describe(p);
    EXPECT_EQ(p.sections[0].columns[1].text(), paragraphsText({right})) << describe(p);
}

TEST_F(LayoutTest, RunsSplitWhereFontSizeWeightSlantOrColourChange)
{
    struct Piece {
        QString text;
        QString font;
        double size;
        QColor color;
    };
    const QList<Piece> pieces = {
        {QStringLiteral("Plain words, "), QStringLiteral("Helvetica"), 12, Qt::black},
        {QStringLiteral("bold words, "), QStringLiteral("Helvetica-Bold"), 12, Qt::black},
        {QStringLiteral("slanted words, "), QStringLiteral("Helvetica-Oblique"), 12, Qt::black},
        {QStringLiteral("big words, "), QStringLiteral("Helvetica"), 16, Qt::black},
        {QStringLiteral("red words, "), QStringLiteral("Helvetica"), 12, QColor(0xcc, 0x33, 0x00)},
        {QStringLiteral("serif bold italic"), QStringLiteral("Times-BoldItalic"), 12, Qt::black},
    };
    PageSpec page;
    double x = 72;
    for (const Piece& piece : pieces) {
        TextRun run = textAt(piece.text, x, 700, piece.size, piece.font);
        run.color = piece.color;
        page.runs << run;
        x += testpdf::textWidth(run);
    }
    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("runs.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const std::vector<const parsed::line*> lines = out.pages[0].lines();
    ASSERT_EQ(lines.size(), 1u) << describe(out.pages[0]);
    const std::vector<parsed::run>& runs = lines[0]->runs;
    ASSERT_EQ(runs.size(), 6u) << describe(out.pages[0]);
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_EQ(runs[i].text, pieces[static_cast<qsizetype>(i)].text) << i;

    const auto look = [](const parsed::run& run) {
        return QStringLiteral("%1 %2 %3 %4%5")
            .arg(run.family, QString::number(run.size), run.color, run.bold ? QStringLiteral("b") : QStringLiteral("-"),
                 run.italic ? QStringLiteral("i") : QStringLiteral("-"));
    };
    EXPECT_EQ(look(runs[0]), QStringLiteral("Helvetica 12 #000000 --"));
    EXPECT_EQ(look(runs[1]), QStringLiteral("Helvetica 12 #000000 b-"));
    EXPECT_EQ(look(runs[2]), QStringLiteral("Helvetica 12 #000000 -i"));
    EXPECT_EQ(look(runs[3]), QStringLiteral("Helvetica 16 #000000 --"));
    EXPECT_EQ(look(runs[4]), QStringLiteral("Helvetica 12 #cc3300 --"));
    EXPECT_EQ(look(runs[5]), QStringLiteral("Times 12 #000000 bi"));
}

TEST_F(LayoutTest, AnEmbeddedFontKeepsItsFamilyName)
{
    PageSpec page;
    page.runs << textAt(QStringLiteral("Embedded text"), 72, 700, 10, testpdf::unicodeFontPath());
    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("embedded.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const std::vector<const parsed::line*> lines = out.pages[0].lines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0]->runs.size(), 1u);
    EXPECT_EQ(lines[0]->runs[0].family, QStringLiteral("DejaVuSans"));
    EXPECT_EQ(lines[0]->runs[0].size, 10);
}

TEST_F(LayoutTest, CentredLinesAreMarkedAndLeftOrRightAlignedOnesAreNot)
{
    PageSpec page;
    TextRun title = textAt(QStringLiteral("A Centred Title"), 306, 740, 20, QStringLiteral("Helvetica-Bold"));
    title.align = Qt::AlignHCenter;
    page.runs << title;
    double y = 700;
    paragraphStyle body;
    const QStringList first = addParagraph(page, testpdf::numberedWords(QStringLiteral("body"), 40), body, y);
    y -= 12;
    TextRun separator = textAt(QStringLiteral("* * *"), 306, y, 11);
    separator.align = Qt::AlignHCenter;
    page.runs << separator;
    y -= 24;
    const QStringList second = addParagraph(page, testpdf::numberedWords(QStringLiteral("more"), 30), body, y);
    y -= 12;
    TextRun signature = textAt(QStringLiteral("The Author"), 540, y, 11);
    signature.align = Qt::AlignRight;
    page.runs << signature;

    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("centred.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const parsed::page& p = out.pages[0];
    QStringList centred;
    for (const parsed::line* line : p.lines()) {
        if (line->centred) {
            centred << line->text();
            EXPECT_TRUE(line->endsParagraph) << "a centred line stands as its own paragraph";
        }
    }
    EXPECT_EQ(centred, QStringList({QStringLiteral("A Centred Title"), QStringLiteral("* * *")})) << describe(p);
    EXPECT_EQ(p.text(), QStringLiteral("A Centred Title\n") + paragraphsText({first}) + QStringLiteral("* * *\n")
                            + paragraphsText({second}) + QStringLiteral("The Author\n"))
        << describe(p);
}

TEST_F(LayoutTest, ALoneCentredTitleOnAPageIsCentred)
{
    PageSpec page;
    TextRun title = textAt(QStringLiteral("Chapter One"), 306, 600, 24, QStringLiteral("Times-Bold"));
    title.align = Qt::AlignHCenter;
    page.runs << title;
    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("title.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const std::vector<const parsed::line*> lines = out.pages[0].lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0]->centred);
    EXPECT_TRUE(lines[0]->endsParagraph);
}

TEST_F(LayoutTest, ParagraphsEndAtGapsIndentsAndShortLinesAndLinesJoinWithASpace)
{
    PageSpec page;
    paragraphStyle style;
    const double pitch = 1.2 * style.size;
    double y = 740;
    // Indented paragraphs set without space between them.
    const QStringList a = addParagraph(page, testpdf::numberedWords(QStringLiteral("alpha"), 40), style, y);
    style.indent = 22;
    const QStringList b = addParagraph(page, testpdf::numberedWords(QStringLiteral("beta"), 30), style, y);
    style.indent = 0;
    // A clear gap.
    y -= 12;
    const QStringList c = addParagraph(page, testpdf::numberedWords(QStringLiteral("gamma"), 35), style, y);
    // A short line, then the next paragraph at the usual pitch without indent:
    // its first word would have fitted, so the short line ended a paragraph.
    const QStringList d = addParagraph(page, {QStringLiteral("Short"), QStringLiteral("line.")}, style, y);
    const QStringList e = addParagraph(page, testpdf::numberedWords(QStringLiteral("epsilon"), 25), style, y);
    // A word broken at a hyphen joins without a space or the hyphen.
    y -= 12;
    page.runs << textAt(QStringLiteral("The phrase is docu-"), 72, y, style.size);
    page.runs << textAt(QStringLiteral("mented for all of us."), 72, y - pitch, style.size);

    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("paragraphs.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const parsed::page& p = out.pages[0];
    ASSERT_GE(a.size(), 3);
    ASSERT_GE(b.size(), 2);
    EXPECT_EQ(p.text(), paragraphsText({a, b, c, d, e}) + QStringLiteral("The phrase is documented for all of us.\n"))
        << describe(p);

    std::vector<bool> ends;
    for (const parsed::line* line : p.lines())
        ends.push_back(line->endsParagraph);
    std::vector<bool> expected;
    for (const QStringList& paragraph : {a, b, c, d, e, QStringList{QString(), QString()}})
        for (int i = 0; i < paragraph.size(); ++i)
            expected.push_back(i + 1 == paragraph.size());
    EXPECT_EQ(ends, expected) << describe(p);
}

TEST_F(LayoutTest, WordsHyphenatedAtLineEndsJoinWithoutTheirHyphenInEveryCasedScript)
{
    const QString unicode = testpdf::unicodeFontPath();
    // Paragraphs of two lines each, apart from each other.
    struct Broken {
        QString first, second, font, read;
    };
    const QList<Broken> paragraphs = {
        {QStringLiteral("This well-known docu-"), QStringLiteral("ment shows it."), QStringLiteral("Helvetica"),
         QStringLiteral("This well-known document shows it.")},
        {QStringLiteral("Нужно при-"), QStringLiteral("вести пример."), unicode,
         QStringLiteral("Нужно привести пример.")},
        {QStringLiteral("Ένα παρά-"), QStringLiteral("δειγμα εδώ."), unicode, QStringLiteral("Ένα παράδειγμα εδώ.")},
        {QStringLiteral("Eine Silben\u00AD"), QStringLiteral("trennung hier."), unicode,
         QStringLiteral("Eine Silbentrennung hier.")},
        // A capital or a digit after the break: the hyphen belongs to the text.
        {QStringLiteral("Then Jean-"), QStringLiteral("Paul came in."), QStringLiteral("Helvetica"),
         QStringLiteral("Then Jean-Paul came in.")},
        {QStringLiteral("In the years 1990-"), QStringLiteral("2000 it grew."), QStringLiteral("Helvetica"),
         QStringLiteral("In the years 1990-2000 it grew.")},
    };
    PageSpec page;
    double y = 740;
    QString expected;
    for (const Broken& paragraph : paragraphs) {
        page.runs << textAt(paragraph.first, 72, y, 11, paragraph.font);
        page.runs << textAt(paragraph.second, 72, y - 13.2, 11, paragraph.font);
        y -= 40;
        expected += paragraph.read + QLatin1Char('\n');
    }
    // The last line of a paragraph keeps its hyphen, whatever follows.
    page.runs << textAt(QStringLiteral("The end of the para-"), 72, y, 11);
    page.runs << textAt(QStringLiteral("graph after a gap."), 72, y - 40, 11);
    expected += QStringLiteral("The end of the para-\ngraph after a gap.\n");
    // Runs keep their looks on both sides of the join.
    y -= 80;
    const TextRun plain = textAt(QStringLiteral("A bold "), 72, y, 11);
    page.runs << plain << textAt(QStringLiteral("impor-"), 72 + testpdf::textWidth(plain), y, 11,
                                 QStringLiteral("Helvetica-Bold"));
    const TextRun bold = textAt(QStringLiteral("tant"), 72, y - 13.2, 11, QStringLiteral("Helvetica-Bold"));
    page.runs << bold << textAt(QStringLiteral(" word."), 72 + testpdf::textWidth(bold), y - 13.2, 11);
    expected += QStringLiteral("A bold important word.\n");

    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("hyphens.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const parsed::page& p = out.pages[0];
    EXPECT_EQ(p.text(), expected) << describe(p);
    const std::vector<const parsed::line*> lines = p.lines();
    ASSERT_GE(lines.size(), 2u);
    const parsed::line& before = *lines[lines.size() - 2];
    const parsed::line& after = *lines.back();
    ASSERT_EQ(before.runs.size(), 2u) << describe(p);
    ASSERT_EQ(after.runs.size(), 2u) << describe(p);
    EXPECT_EQ(before.runs[1].text, QStringLiteral("impor"));
    EXPECT_TRUE(before.runs[1].bold && after.runs[0].bold);
    EXPECT_FALSE(before.runs[0].bold || after.runs[1].bold);
}

TEST_F(LayoutTest, ListItemsAndRaisedNoteMarkersStayInTheirLines)
{
    PageSpec page;
    const QString bullet = QStringLiteral("\u2022");
    const double size = 10;
    double y = 700;
    const QList<QStringList> items = {
        {QStringLiteral("A short first item.")},
        {QStringLiteral("A second item that is long enough that it"), QStringLiteral("runs on under its own text.")},
        {QStringLiteral("A third item.")},
    };
    for (const QStringList& item : items) {
        page.runs << textAt(bullet, 80, y, size, testpdf::unicodeFontPath());
        for (const QString& line : item) {
            page.runs << textAt(line, 92, y, size, QStringLiteral("Times-Roman"));
            y -= 12;
        }
    }
    y -= 12;
    const TextRun sentence = textAt(QStringLiteral("A sentence with a note"), 72, y, size, QStringLiteral("Times-Roman"));
    page.runs << sentence;
    page.runs << textAt(QStringLiteral("12"), 72 + testpdf::textWidth(sentence), y + 4, 6, QStringLiteral("Times-Roman"));
    page.runs << textAt(QStringLiteral("and more words after it."), 72 + testpdf::textWidth(sentence) + 8, y, size,
                        QStringLiteral("Times-Roman"));

    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("list.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const parsed::page& p = out.pages[0];
    EXPECT_EQ(p.text(), bullet + QStringLiteral(" A short first item.\n") + bullet
                            + QStringLiteral(" A second item that is long enough that it runs on under its own text.\n")
                            + bullet + QStringLiteral(" A third item.\nA sentence with a note12 and more words after it.\n"))
        << describe(p);
    const std::vector<const parsed::line*> lines = p.lines();
    ASSERT_FALSE(lines.empty());
    ASSERT_EQ(lines.back()->runs.size(), 3u) << describe(p);
    EXPECT_EQ(lines.back()->runs[1].text, QStringLiteral("12 "));
    EXPECT_EQ(lines.back()->runs[1].size, 6);
}

TEST_F(LayoutTest, TextDrawnTwiceForABoldLookComesOnce)
{
    PageSpec page;
    page.runs << textAt(QStringLiteral("Heavy heading"), 72, 700, 14);
    page.runs << textAt(QStringLiteral("Heavy heading"), 72.3, 700, 14);
    page.runs << textAt(QStringLiteral("Body text below the heading."), 72, 680, 11);
    DocSpec doc;
    doc.pages << page;
    // MuPDF's plain text holds the heading twice, so the word count check
    // of parseChecked does not apply here.
    parsed::result out;
    parsed::request what;
    what.path = make(QStringLiteral("overprint.pdf"), doc);
    what.pages = {1};
    parsed::parse(what, out);
    ASSERT_EQ(out.pages.size(), 1u);
    EXPECT_EQ(out.pages[0].text(), QStringLiteral("Heavy heading\nBody text below the heading.\n"))
        << describe(out.pages[0]);
}

TEST_F(LayoutTest, TextOfEveryScriptComesThroughUnchanged)
{
    const QString unicode = testpdf::unicodeFontPath();
    struct Sample {
        QString text;
        QString font;
    };
    const QList<Sample> samples = {
        {QStringLiteral("Съешь же ещё этих мягких французских булок"), unicode},
        {QStringLiteral("Ξεσκεπάζω την ψυχοφθόρα βδελυγμία"), unicode},
        {QStringLiteral("e\u0301te\u0301 cafe\u0301 n\u0303"), unicode},
        {QStringLiteral("Double struck \U0001D538\U0001D7D8 \U0001F600"), unicode},
        {QStringLiteral("中文文本的测试"), testpdf::cjkFont()},
        {QStringLiteral("日本語のテキスト"), QStringLiteral("cjk:Japan1")},
        {QStringLiteral("한국어 텍스트"), QStringLiteral("cjk:Korea1")},
    };
    PageSpec page;
    double y = 740;
    for (const Sample& sample : samples) {
        page.runs << textAt(sample.text, 72, y, 12, sample.font);
        y -= 40;
    }
    // Two lines of one Chinese paragraph join without a space.
    page.runs << textAt(QStringLiteral("第一行的文字"), 72, y, 12, testpdf::cjkFont());
    page.runs << textAt(QStringLiteral("第二行的文字"), 72, y - 14.4, 12, testpdf::cjkFont());

    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("scripts.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    const parsed::page& p = out.pages[0];
    QString expected;
    for (const Sample& sample : samples)
        expected += sample.text + QLatin1Char('\n');
    expected += QStringLiteral("第一行的文字第二行的文字\n");
    EXPECT_EQ(p.text(), expected) << describe(p);
}

QString reversed(const QString& text)
{
    QString out;
    for (auto c = text.crbegin(); c != text.crend(); ++c)
        out += *c;
    return out;
}

// A right-to-left line as writers that store such text in visual order draw
// it, from the left: the last word first, and the letters of every word
// that is not a number or a Latin word from its end.
QString asDrawn(const QStringList& words)
{
    QStringList drawn;
    for (const QString& word : words)
        drawn.prepend(word.at(0).unicode() < 0x0590 ? word : reversed(word));
    return drawn.join(QLatin1Char(' '));
}

// The page's text as the parser delivers it, without the word check of
// parseChecked: MuPDF's own words of such lines are mirrored.
parsed::page parsePage(const QString& path)
{
    parsed::request what;
    what.path = path;
    what.pages = {1};
    parsed::result out;
    parsed::parse(what, out);
    EXPECT_EQ(out.pages.size(), 1u);
    if (out.pages.empty())
        return {};
    EXPECT_TRUE(out.pages[0].structureOk) << describe(out.pages[0]);
    return out.pages[0];
}

TEST_F(LayoutTest, RightToLeftLinesStoredAsShownComeInReadingOrder)
{
    const QString unicode = testpdf::unicodeFontPath();
    const QStringList hebrew = {QStringLiteral("בראשית"), QStringLiteral("ברא"), QStringLiteral("אלהים")};
    const QStringList arabic = {QStringLiteral("مرحبا"), QStringLiteral("بالعالم")};
    const QStringList mixed = {QStringLiteral("פרק"), QStringLiteral("3"), QStringLiteral("בספר"),
                               QStringLiteral("Genesis"), QStringLiteral("הוא")};
    const QString peace = QStringLiteral("שלום");
    const QString world = QStringLiteral("עולם");
    struct Sample {
        QString drawn;
        QString read;
    };
    const QList<Sample> samples = {
        {asDrawn(hebrew), hebrew.join(' ')},
        {asDrawn(arabic), arabic.join(' ')},
        {asDrawn(mixed), mixed.join(' ')},
        // The bracket that closes on the page opens the word in reading order.
        {QStringLiteral("(") + reversed(world) + QStringLiteral(") ") + reversed(peace),
         peace + QStringLiteral(" (") + world + QStringLiteral(")")},
        {QStringLiteral("The word ") + reversed(peace) + QStringLiteral(" means peace."),
         QStringLiteral("The word ") + peace + QStringLiteral(" means peace.")},
    };
    PageSpec page;
    double y = 740;
    for (const Sample& sample : samples) {
        page.runs << textAt(sample.drawn, 72, y, 12, unicode);
        y -= 40;
    }
    // Drawn letter by letter from the right in reading order, with gaps and
    // no space glyphs between the words.
    double x = 400;
    for (const QString& word : {hebrew[2], hebrew[1]}) {
        for (const QChar letter : word) {
            TextRun run = textAt(letter, x, y, 12, unicode);
            run.align = Qt::AlignRight;
            page.runs << run;
            x -= testpdf::textWidth(run);
        }
        x -= 5;
    }

    DocSpec doc;
    doc.pages << page;
    QStringList expected;
    for (const Sample& sample : samples)
        expected << sample.read;
    expected << hebrew[2] + QLatin1Char(' ') + hebrew[1];
    const parsed::page p = parsePage(make(QStringLiteral("rtl.pdf"), doc));
    QStringList read;
    for (const parsed::line* line : p.lines())
        read << line->text();
    EXPECT_EQ(read, expected) << describe(p);
}

TEST_F(LayoutTest, AMixedRightToLeftParagraphReadsInOrderAcrossItsLines)
{
    const QList<QStringList> lines = {
        {QStringLiteral("המילה"), QStringLiteral("peace"), QStringLiteral("בעברית"), QStringLiteral("היא"),
         QStringLiteral("שלום"), QStringLiteral("ובערבית")},
        {QStringLiteral("سلام"), QStringLiteral("והיא"), QStringLiteral("מופיעה"), QStringLiteral("בספר"),
         QStringLiteral("12"), QStringLiteral("פעמים"), QStringLiteral("לפחות")},
        {QStringLiteral("ואולי"), QStringLiteral("יותר.")},
    };
    PageSpec page;
    double y = 700;
    QString expected;
    for (const QStringList& words : lines) {
        TextRun run = textAt(asDrawn(words), 400, y, 12, testpdf::unicodeFontPath());
        run.align = Qt::AlignRight;
        page.runs << run;
        y -= 14.4;
        expected += words.join(QLatin1Char(' ')) + QLatin1Char(' ');
    }
    expected.back() = QLatin1Char('\n');
    DocSpec doc;
    doc.pages << page;
    const parsed::page p = parsePage(make(QStringLiteral("rtl-paragraph.pdf"), doc));
    EXPECT_EQ(p.text(), expected) << describe(p);
}

// Each paragraph's text on its own, "rtl " before one whose base direction
// is right to left.
QStringList paragraphs(const parsed::page& p)
{
    QStringList out;
    bool opening = true;
    for (const parsed::line* line : p.lines()) {
        if (opening)
            out << (line->rightToLeft ? QStringLiteral("rtl ") : QString());
        out.back() += line->text();
        opening = line->endsParagraph;
    }
    return out;
}

TEST_F(LayoutTest, EachParagraphTakesTheDirectionOfItsFirstLetter)
{
    const QString unicode = testpdf::unicodeFontPath();
    const QString peace = QStringLiteral("שלום");
    const QString bracketed = QStringLiteral("בסוגריים");
    const QString hello = QStringLiteral("مرحبا");
    const QString arabic = QStringLiteral("عربي");
    PageSpec page;
    // An English sentence with right-to-left words, a number and brackets.
    page.runs << textAt(QStringLiteral("Mixed: abc ") + reversed(peace) + QStringLiteral(" def ") + reversed(hello)
                            + QStringLiteral(" ghi 12-34 (") + reversed(bracketed) + QStringLiteral(") [")
                            + reversed(arabic) + QStringLiteral("] end."),
                        72, 740, 11, unicode);
    // An English line and, one pitch below and as wide, a Hebrew one.
    const TextRun english = textAt(QStringLiteral("The word ") + reversed(peace)
                                       + QStringLiteral(" stands in the Hebrew line below."),
                                   72, 700, 11, unicode);
    const QStringList hebrew = QStringLiteral("השורה הזאת כתובה בעברית ויש בה גם את המילה שלום").split(' ');
    TextRun below = textAt(asDrawn(hebrew), 72 + testpdf::textWidth(english), 700 - 13.2, 11, unicode);
    below.align = Qt::AlignRight;
    page.runs << english << below;
    // Stored in reading order, drawn from the right: a Hebrew word, then a
    // Latin one with more letters.
    double x = 400;
    for (const QChar letter : peace) {
        TextRun run = textAt(letter, x, 640, 11, unicode);
        run.align = Qt::AlignRight;
        page.runs << run;
        x -= testpdf::textWidth(run);
    }
    TextRun latin = textAt(QStringLiteral("Genesis"), x - 4, 640, 11, unicode);
    latin.align = Qt::AlignRight;
    page.runs << latin;

    DocSpec doc;
    doc.pages << page;
    const parsed::page p = parsePage(make(QStringLiteral("directions.pdf"), doc));
    EXPECT_EQ(paragraphs(p), QStringList({QStringLiteral("Mixed: abc ") + peace + QStringLiteral(" def ") + hello
                                              + QStringLiteral(" ghi 12-34 (") + bracketed + QStringLiteral(") [")
                                              + arabic + QStringLiteral("] end."),
                                          QStringLiteral("The word ") + peace
                                              + QStringLiteral(" stands in the Hebrew line below."),
                                          QStringLiteral("rtl ") + hebrew.join(' '),
                                          QStringLiteral("rtl ") + peace + QStringLiteral(" Genesis")}))
        << describe(p);
}

TEST_F(LayoutTest, AMarkSetBesideItsLetterLeavesTheWordWhole)
{
    // Two words stored as shown, each with a vav beside a mark that takes
    // room of its own (the font has no glyph for it, so it is drawn as a
    // box with an advance), as a holam set beside its vav does: one mark is
    // drawn before its vav, the other after it, both at its left.
    const double size = 16;
    PageSpec page;
    const auto put = [&page, size](const QString& text, double x) {
        page.runs << textAt(text, x, 700, size, testpdf::unicodeFontPath());
        return x + testpdf::textWidth(page.runs.back());
    };
    const QString pashta(QChar(0x0599)), merkha(QChar(0x05A5));
    double x = put(QStringLiteral("ר"), 300);
    put(pashta, x);
    x = put(QStringLiteral("א"), put(QStringLiteral("ו"), x + 0.3 * size)) + 0.5 * size;
    x = put(QStringLiteral("ם"), x);
    const double afterVav = put(QStringLiteral("ו"), x + 0.3 * size);
    put(merkha, x);
    put(QStringLiteral("י"), afterVav);

    DocSpec doc;
    doc.pages << page;
    const parsed::page p = parsePage(make(QStringLiteral("marks.pdf"), doc));
    QString bare = p.text();
    bare.remove(pashta).remove(merkha);
    EXPECT_EQ(bare, QStringLiteral("יום אור\n")) << describe(p);
    EXPECT_EQ(p.text().size(), bare.size() + 2) << "both marks are kept";
}

TEST_F(LayoutTest, AWordGapStaysWhicheverSideOfItCarriesAMark)
{
    // Word pairs a space apart whose marks take no room but stand in or
    // across the gap. The first pair is drawn left to right, the patah of
    // the letter before the gap just before that letter, right after the
    // next word. The others are drawn in reading order, the patah of the
    // letter before the gap or the hataf segol of the letter after it set
    // off its letter into the gap.
    const double size = 16, gap = 0.3 * size;
    const QString patah(QChar(0x05B7)), hatafSegol(QChar(0x05B1));
    PageSpec page;
    const auto put = [&page, size](const QString& text, double x, double y, Qt::Alignment side) {
        TextRun run = textAt(text, x, y, size, testpdf::unicodeFontPath());
        run.align = side;
        page.runs << run;
        return side == Qt::AlignRight ? x - testpdf::textWidth(run) : x + testpdf::textWidth(run);
    };
    double x = put(QStringLiteral("לא"), 300, 700, Qt::AlignLeft) + gap;
    put(patah, x, 700, Qt::AlignLeft);
    put(QStringLiteral("חור"), x, 700, Qt::AlignLeft);
    for (const QString& mark : {patah, hatafSegol}) {
        const double y = mark == patah ? 660 : 620;
        x = put(QStringLiteral("ח"), put(QStringLiteral("ו"), put(QStringLiteral("ר"), 400, y, Qt::AlignRight), y,
                                         Qt::AlignRight), y, Qt::AlignRight);
        if (mark == patah)
            put(mark, x - 0.8 * gap, y, Qt::AlignLeft);
        const double alef = x - gap;
        x = put(QStringLiteral("א"), alef, y, Qt::AlignRight);
        if (mark == hatafSegol)
            put(mark, alef + 0.8 * gap, y, Qt::AlignLeft);
        put(QStringLiteral("ל"), x, y, Qt::AlignRight);
    }

    DocSpec doc;
    doc.pages << page;
    const parsed::page p = parsePage(make(QStringLiteral("gaps.pdf"), doc));
    const QString before = QStringLiteral("רוח") + patah + QStringLiteral(" אל\n");
    EXPECT_EQ(p.text(), before + before + QStringLiteral("רוח א") + hatafSegol + QStringLiteral("ל\n")) << describe(p);
}

TEST_F(LayoutTest, AHyphenAtALineEndStaysWhereTheDocumentWritesTheWordWithIt)
{
    const QString unicode = testpdf::unicodeFontPath();
    struct Broken {
        QString first, second, read;
    };
    const QList<Broken> breaks = {
        {QStringLiteral("The camera-"), QStringLiteral("ready copy."), QStringLiteral("The camera-ready copy.")},
        {QStringLiteral("A low-"), QStringLiteral("level part."), QStringLiteral("A low-level part.")},
        {QStringLiteral("Всё это из-"), QStringLiteral("за погоды."), QStringLiteral("Всё это из-за погоды.")},
        {QStringLiteral("The phrase is docu-"), QStringLiteral("mented here."),
         QStringLiteral("The phrase is documented here.")},
        {QStringLiteral("The inter\u00AD"), QStringLiteral("national one."), QStringLiteral("The international one.")},
        {QStringLiteral("Look in texmf-"), QStringLiteral("dist/doc/ first."),
         QStringLiteral("Look in texmf-dist/doc/ first.")},
    };
    PageSpec page;
    double y = 740;
    QString expected;
    for (const Broken& broken : breaks) {
        page.runs << textAt(broken.first, 72, y, 11, unicode) << textAt(broken.second, 72, y - 13.2, 11, unicode);
        y -= 40;
        expected += broken.read + QLatin1Char('\n');
    }
    // The words stand whole only on a later page, one with a capital.
    PageSpec later;
    later.runs << textAt(QStringLiteral("A camera-ready copy, Low-level parts, из-за этого, an inter-national one."),
                         72, 740, 11, unicode)
               << textAt(QStringLiteral("Fonts are in texmf-dist/fonts/."), 72, 700, 11, unicode);
    DocSpec doc;
    doc.pages << page << later;
    const parsed::result out = parseAll(make(QStringLiteral("compounds.pdf"), doc), 2);
    ASSERT_EQ(out.pages.size(), 2u);
    EXPECT_EQ(out.pages[0].text(), expected) << describe(out.pages[0]);
}

TEST_F(LayoutTest, AWordBrokenAtALineEndDoesNotEndItsParagraph)
{
    // Narrow paragraphs with an indented first line: where that line is
    // short the word broken there is long, and where it is the only full
    // line the rest of the word may fit in the indent.
    const QList<QStringList> paragraphs = {
        {QStringLiteral("The inter\u00AD"), QStringLiteral("nationalization of the trade"),
         QStringLiteral("went on for years.")},
        {QStringLiteral("Эту может послу-"), QStringLiteral("жить для начала работы"), QStringLiteral("с файлами.")},
        {QStringLiteral("Режимы теперь эквивалентны установщи-"), QStringLiteral("ку.")},
    };
    PageSpec page;
    double y = 740;
    for (const QStringList& lines : paragraphs) {
        for (const QString& line : lines) {
            page.runs << textAt(line, line == lines.first() ? 94 : 72, y, 11, testpdf::unicodeFontPath());
            y -= 13.2;
        }
        y -= 20;
    }
    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("narrow.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    EXPECT_EQ(out.pages[0].text(), QStringLiteral("The internationalization of the trade went on for years.\n"
                                                  "Эту может послужить для начала работы с файлами.\n"
                                                  "Режимы теперь эквивалентны установщику.\n"))
        << describe(out.pages[0]);
}

TEST_F(LayoutTest, ARightToLeftParagraphEndsByItsRightHandEdge)
{
    const QString full = QStringLiteral("זוהי שורה מלאה בפסקה שכתובה מימין לשמאל");
    const QString indented = QStringLiteral("פסקה חדשה מתחילה כאן בהזחה גדולה");
    const QString last = QStringLiteral("ושורתה האחרונה קצרה.");
    // Two full lines; then a paragraph indented from the right whose last
    // line is short, which leaves it indented from the left.
    const QList<QPair<QString, double>> lines = {{full, 0}, {full, 0}, {indented, 30}, {full, 0}, {last, 0}};
    PageSpec page;
    double y = 700;
    for (const auto& [text, indent] : lines) {
        TextRun run = textAt(asDrawn(text.split(' ')), 540 - indent, y, 11, testpdf::unicodeFontPath());
        run.align = Qt::AlignRight;
        page.runs << run;
        y -= 13.2;
    }
    DocSpec doc;
    doc.pages << page;
    const parsed::page p = parsePage(make(QStringLiteral("rtl-ends.pdf"), doc));
    EXPECT_EQ(paragraphs(p), QStringList({QStringLiteral("rtl ") + full + QLatin1Char(' ') + full,
                                          QStringLiteral("rtl ") + indented + QLatin1Char(' ') + full
                                              + QLatin1Char(' ') + last}))
        << describe(p);
}

TEST_F(LayoutTest, APageWithoutTextHasNoSections)
{
    PageSpec page;
    page.rects << testpdf::FilledRect{QRectF(100, 100, 200, 100), Qt::blue};
    page.runs << textAt(QStringLiteral("   "), 72, 700);
    DocSpec doc;
    doc.pages << page;
    const parsed::result out = parseAll(make(QStringLiteral("blank.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    EXPECT_TRUE(out.pages[0].sections.empty()) << describe(out.pages[0]);
}

TEST_F(LayoutTest, RotatedPagesReadTheWayTheyAreShown)
{
    DocSpec doc = testpdf::simpleDoc(1, {QStringLiteral("second line of the page")});
    doc.pages[0].rotate = 90;
    const parsed::result out = parseAll(make(QStringLiteral("rotated.pdf"), doc), 1);
    ASSERT_EQ(out.pages.size(), 1u);
    EXPECT_TRUE(out.pages[0].text().contains(QStringLiteral("Page 1"))) << describe(out.pages[0]);
    EXPECT_TRUE(out.pages[0].text().contains(QStringLiteral("second line of the page"))) << describe(out.pages[0]);
}

} // namespace
