// The pages of a book: every page record becomes one XHTML page in the work
// folder, read back here with an XML parser.
#include "book_fixture.h"
#include "testfiles.h"

#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

using namespace bookhelpers;
using ns_epub::epubPage;

namespace {

QString text(const QDomElement& element)
{
    return element.text();
}

QStringList classesOf(const QList<QDomElement>& elements)
{
    QStringList names;
    for (const QDomElement& element : elements)
        names << element.attribute(QStringLiteral("class"));
    return names;
}

TEST_F(BookTest, SectionsBecomeTablesOfColumnAndSpacerCells)
{
    startBook(QStringLiteral("Layout"));
    // Left column: a paragraph over two lines, then a centred heading.
    auto* hello = maker.word(u"Hello ", 12);
    auto* world = maker.word(u"world", 12, true);
    auto* again = maker.word(u" again", 12);
    auto* heading = maker.word(u"Heading", 12);
    auto* left = maker.column({maker.line({hello, world}, false), maker.line({again}, true),
                               maker.line({heading}, true, true)});
    auto* right = maker.column({maker.line({maker.word(u"Right", 9, false, true)})});
    auto* second = maker.section({maker.column({maker.line({maker.word(u"Below")})})});
    add(maker.page({maker.section({left, right}), second}));
    finishBook();

    const QDomElement body = bodyOf(xml(QStringLiteral("page-1.html")));
    const QList<QDomElement> tables = children(body, QStringLiteral("table"));
    ASSERT_EQ(tables.size(), 2);
    EXPECT_EQ(tables[0].attribute(QStringLiteral("border")), QStringLiteral("0"));
    const QList<QDomElement> rows = children(tables[0], QStringLiteral("tr"));
    ASSERT_EQ(rows.size(), 1);
    const QList<QDomElement> cells = children(rows[0], QStringLiteral("td"));
    ASSERT_EQ(cells.size(), 4);
    for (int spacer : {1, 3}) {
        const QList<QDomElement> spans = children(cells[spacer], QStringLiteral("span"));
        ASSERT_EQ(spans.size(), 1);
        EXPECT_TRUE(spans[0].text().isEmpty());
    }

    // Lines run together until one ends the paragraph; no separator between them.
    const QList<QDomElement> paragraphs = children(cells[0], QStringLiteral("p"));
    ASSERT_EQ(paragraphs.size(), 2);
    const QList<QDomElement> runs = children(paragraphs[0], QStringLiteral("span"));
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(text(paragraphs[0]), QStringLiteral("Hello world again"));
    EXPECT_FALSE(paragraphs[0].hasAttribute(QStringLiteral("class")));
    const QStringList classes = classesOf(runs);
    EXPECT_EQ(classes[0], classes[2]) << "runs of one look share a class";
    EXPECT_NE(classes[0], classes[1]);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^style\\d+$")).match(classes[0]).hasMatch());

    EXPECT_TRUE(paragraphs[1].attribute(QStringLiteral("class")).startsWith(QLatin1String("style")));
    EXPECT_EQ(text(paragraphs[1]), QStringLiteral("Heading"));
    EXPECT_EQ(children(paragraphs[1], QStringLiteral("span"))[0].attribute(QStringLiteral("class")), classes[0]);

    EXPECT_EQ(text(cells[2]), QStringLiteral("Right"));
    EXPECT_EQ(text(tables[1]), QStringLiteral("Below"));
}

TEST_F(BookTest, AParagraphOpenedByARightToLeftLineReadsRightToLeft)
{
    startBook(QStringLiteral("Directions"));
    auto* opening = maker.line({maker.word(u"שלום ")}, false);
    opening->rightToLeft = 1;
    auto* english = maker.line({maker.word(u"Hello")});
    add(maker.page({maker.section({maker.column({opening, maker.line({maker.word(u"עולם")}), english})})}));
    finishBook();

    const QList<QDomElement> paragraphs = descendants(bodyOf(xml(QStringLiteral("page-1.html"))), QStringLiteral("p"));
    ASSERT_EQ(paragraphs.size(), 2);
    EXPECT_EQ(paragraphs[0].attribute(QStringLiteral("dir")), QStringLiteral("rtl"));
    EXPECT_FALSE(paragraphs[1].hasAttribute(QStringLiteral("dir")));
}

TEST_F(BookTest, ASectionWithoutColumnsLeavesNoEmptyTable)
{
    startBook(QStringLiteral("NoColumns"));
    add(maker.page({maker.section({maker.column({maker.line({maker.word(u"kept")})})}), maker.section({})}));
    finishBook();
    const QDomElement body = bodyOf(xml(QStringLiteral("page-1.html")));
    EXPECT_EQ(children(body, QStringLiteral("table")).size(), 1);
    EXPECT_TRUE(malformedFiles(work()).isEmpty());
}

TEST_F(BookTest, PagesAreNumberedFromOneInEveryBookAndNothingCarriesOver)
{
    const QString firstPicture = makePicture(QStringLiteral("first.png"), "PNG");
    startBook(QStringLiteral("One"));
    for (const char16_t* marker : {u"one-a", u"one-b", u"one-c"})
        add(maker.textPage(marker));
    add(maker.page({}, {maker.picture(firstPicture)}));
    finishBook();
    EXPECT_TRUE(QFile::exists(content(QStringLiteral("page-4.html"))));

    startBook(QStringLiteral("Two"));
    add(maker.textPage(u"two-a"));
    add(maker.textPage(u"two-b"));
    finishBook();

    const QStringList pages = testfiles::listFiles(work() + QStringLiteral("/OEBPS"))
        .filter(QRegularExpression(QStringLiteral("^page-")));
    EXPECT_EQ(pages, (QStringList{QStringLiteral("page-1.html"), QStringLiteral("page-2.html")}));
    EXPECT_EQ(bodyOf(xml(QStringLiteral("page-1.html"))).text(), QStringLiteral("two-a"));
    EXPECT_EQ(bodyOf(xml(QStringLiteral("page-2.html"))).text(), QStringLiteral("two-b"));
    EXPECT_FALSE(QFile::exists(content(QStringLiteral("first.png"))));

    const QDomElement manifest = xml(QStringLiteral("content.opf")).documentElement().firstChildElement(QStringLiteral("manifest"));
    QStringList hrefs;
    for (const QDomElement& item : children(manifest, QStringLiteral("item")))
        hrefs << item.attribute(QStringLiteral("href"));
    EXPECT_EQ(hrefs, (QStringList{QStringLiteral("toc.ncx"), QStringLiteral("sheetstyle.css"),
                                  QStringLiteral("page-1.html"), QStringLiteral("page-2.html")}));
    const QDomElement navMap = xml(QStringLiteral("toc.ncx")).documentElement().firstChildElement(QStringLiteral("navMap"));
    EXPECT_EQ(children(navMap, QStringLiteral("navPoint")).size(), 2);
}

TEST_F(BookTest, AnEmptyPageGetsOneSpaceAndAPicturePageShowsItsPictureInABlock)
{
    const QString source = makePicture(QStringLiteral("scan/p1.jpg"), "JPG");
    startBook(QStringLiteral("Pictures"));
    add(maker.page({}));
    add(maker.page({maker.section({maker.column({})})}, {maker.picture(source)}));
    finishBook();

    const QDomElement empty = bodyOf(xml(QStringLiteral("page-1.html")));
    const QList<QDomElement> paragraphs = children(empty, QStringLiteral("p"));
    ASSERT_EQ(paragraphs.size(), 1);
    ASSERT_EQ(children(paragraphs[0], QStringLiteral("span")).size(), 1);
    EXPECT_EQ(elementTexts(content(QStringLiteral("page-1.html")), QStringLiteral("span")), QStringList{QStringLiteral(" ")});

    const QDomElement picturePage = bodyOf(xml(QStringLiteral("page-2.html")));
    EXPECT_EQ(children(picturePage, QStringLiteral("p")).size(), 1);
    const QList<QDomElement> blocks = children(picturePage, QStringLiteral("div"));
    ASSERT_EQ(blocks.size(), 1);
    const QList<QDomElement> images = children(blocks[0], QStringLiteral("img"));
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0].attribute(QStringLiteral("src")), QStringLiteral("p1.jpg"));
    EXPECT_TRUE(images[0].hasAttribute(QStringLiteral("alt")));
    EXPECT_EQ(testfiles::readAll(content(QStringLiteral("p1.jpg"))), testfiles::readAll(source));
    EXPECT_TRUE(children(picturePage, QStringLiteral("img")).isEmpty()) << "no bare img in the body";
}

TEST_F(BookTest, EachPictureIsStoredOnceUnderANameOfItsOwn)
{
    const QString red = makePicture(QStringLiteral("a/pic.png"), "PNG", 0xffff0000);
    const QString blue = makePicture(QStringLiteral("b/pic.png"), "PNG", 0xff0000ff);
    const QString bitmap = makePicture(QStringLiteral("b/Scan Ü#1.BMP"), "BMP");
    const QString coverLike = makePicture(QStringLiteral("c/Cover.JPG"), "JPG");
    startBook(QStringLiteral("Names"));
    add(maker.page({}, {maker.picture(red), maker.picture(blue), maker.picture(red)}));
    add(maker.page({}, {maker.picture(bitmap), maker.picture(coverLike),
                        maker.picture(picturePath(QStringLiteral("missing.png")))}));
    finishBook();

    QStringList first;
    for (const QDomElement& img : descendants(bodyOf(xml(QStringLiteral("page-1.html"))), QStringLiteral("img")))
        first << img.attribute(QStringLiteral("src"));
    EXPECT_EQ(first, (QStringList{QStringLiteral("pic.png"), QStringLiteral("pic-2.png"), QStringLiteral("pic.png")}));
    EXPECT_EQ(testfiles::readAll(content(QStringLiteral("pic.png"))), testfiles::readAll(red));
    EXPECT_EQ(testfiles::readAll(content(QStringLiteral("pic-2.png"))), testfiles::readAll(blue));

    // A BMP is stored as PNG under a name of plain characters; "cover.*"
    // stays free for the cover; a missing picture leaves no img behind.
    QStringList second;
    for (const QDomElement& img : descendants(bodyOf(xml(QStringLiteral("page-2.html"))), QStringLiteral("img")))
        second << img.attribute(QStringLiteral("src"));
    ASSERT_EQ(second.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9_.-]+\\.png$")).match(second[0]).hasMatch()) << second[0].toStdString();
    EXPECT_EQ(QImageReader(content(second[0])).format(), QByteArray("png"));
    EXPECT_EQ(second[1].compare(QLatin1String("cover.jpg"), Qt::CaseInsensitive) == 0, false);
    EXPECT_TRUE(second[1].endsWith(QLatin1String(".jpg"))) << second[1].toStdString();
    EXPECT_TRUE(QFile::exists(content(second[1])));

    // Every stored picture is declared, with an id and the media type of its suffix.
    const QDomElement manifest = xml(QStringLiteral("content.opf")).documentElement().firstChildElement(QStringLiteral("manifest"));
    QMap<QString, QString> declared;
    QStringList ids;
    for (const QDomElement& item : children(manifest, QStringLiteral("item"))) {
        declared[item.attribute(QStringLiteral("href"))] = item.attribute(QStringLiteral("media-type"));
        ids << item.attribute(QStringLiteral("id"));
    }
    EXPECT_EQ(declared.value(QStringLiteral("pic.png")), QStringLiteral("image/png"));
    EXPECT_EQ(declared.value(QStringLiteral("pic-2.png")), QStringLiteral("image/png"));
    EXPECT_EQ(declared.value(second[0]), QStringLiteral("image/png"));
    EXPECT_EQ(declared.value(second[1]), QStringLiteral("image/jpeg"));
    EXPECT_EQ(ids.removeDuplicates(), 0);
    EXPECT_TRUE(ids.contains(QStringLiteral("img-1")));
}

TEST_F(BookTest, TextWithControlCharactersAndMarkupStaysWellFormed)
{
    info.title = "Tom \x01& Jerry <2>";
    info.creator = "A\x0b" "B";
    startBook(QStringLiteral("Marks"));
    std::u16string raw = u"a\x01" u"b & c < d > e\tf";
    raw += char16_t(0xD800);   // a lone surrogate
    raw += u"g";
    raw += char16_t(0xFFFE);
    raw += u"\U0001F600";      // a proper pair stays
    add(maker.textPage(raw));
    finishBook();

    EXPECT_EQ(malformedFiles(work()), QString());
    const QDomElement body = bodyOf(xml(QStringLiteral("page-1.html")));
    EXPECT_EQ(body.text(), QStringLiteral("ab & c < d > e\tfg") + QString::fromUtf16(u"\U0001F600"));
    const QDomElement metadata = xml(QStringLiteral("content.opf")).documentElement().firstChildElement(QStringLiteral("metadata"));
    EXPECT_EQ(children(metadata, QStringLiteral("title"))[0].text(), QStringLiteral("Tom & Jerry <2>"));
    EXPECT_EQ(children(metadata, QStringLiteral("creator"))[0].text(), QStringLiteral("AB"));
}

TEST_F(BookTest, InlinePicturesAreStoredAndUnusableRunsLeaveNothing)
{
    const QString icon = makePicture(QStringLiteral("icon.gif"), "GIF");
    startBook(QStringLiteral("Inline"));
    auto* unset = maker.word(u"unset");
    unset->kind = -1;
    auto* other = maker.word(u"other");
    other->kind = 2;
    add(maker.page({maker.section({maker.column({maker.line(
        {maker.word(u"see "), maker.inlinePicture(icon), unset, other,
         maker.inlinePicture(picturePath(QStringLiteral("gone.png")))})})})}));
    finishBook();

    const QDomElement p = descendants(bodyOf(xml(QStringLiteral("page-1.html"))), QStringLiteral("p"))[0];
    EXPECT_EQ(p.text(), QStringLiteral("see "));
    const QList<QDomElement> images = children(p, QStringLiteral("img"));
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0].attribute(QStringLiteral("src")), QStringLiteral("icon.gif"));
    EXPECT_EQ(testfiles::readAll(content(QStringLiteral("icon.gif"))), testfiles::readAll(icon));
}

TEST_F(BookTest, TheStyleSheetCarriesTheRulesOfTheClassesTheBookUses)
{
    startBook(QStringLiteral("Styled"));
    auto* loud = maker.word(u"loud", 14, true, true, "Times New Roman", "#ff0000");
    auto* odd = maker.word(u"odd", 9, false, false, "Odd\"Family", "red;}body{display:none");
    add(maker.page({maker.section({maker.column({maker.line({loud, odd}, true, true)})})}));
    finishBook();

    const QDomElement p = descendants(bodyOf(xml(QStringLiteral("page-1.html"))), QStringLiteral("p"))[0];
    const QList<QDomElement> spans = children(p, QStringLiteral("span"));
    ASSERT_EQ(spans.size(), 2);
    const QString sheet = QString::fromUtf8(testfiles::readAll(content(QStringLiteral("sheetstyle.css"))));
    EXPECT_TRUE(sheet.startsWith(QString::fromUtf8(testfiles::readAll(QStringLiteral("epubTemplate/OEBPS/sheetstyle.css")))));

    auto rule = [&](const QString& name) {
        const QRegularExpressionMatch m = QRegularExpression(
            QStringLiteral("\\.") + name + QStringLiteral("\\s*\\{([^}]*)\\}")).match(sheet);
        return m.hasMatch() ? m.captured(1) : QStringLiteral("<none>");
    };
    const QString loudRule = rule(spans[0].attribute(QStringLiteral("class")));
    EXPECT_TRUE(loudRule.contains(QLatin1String("font-size: 14pt"))) << loudRule.toStdString();
    EXPECT_TRUE(loudRule.contains(QLatin1String("color: #ff0000")));
    EXPECT_TRUE(loudRule.contains(QLatin1String("font-family: \"Times New Roman\"")));
    EXPECT_TRUE(loudRule.contains(QLatin1String("font-weight: bold")));
    EXPECT_TRUE(loudRule.contains(QLatin1String("font-style: italic")));
    // A colour CSS does not know is left out rather than written into the sheet.
    const QString oddRule = rule(spans[1].attribute(QStringLiteral("class")));
    EXPECT_TRUE(oddRule.contains(QLatin1String("font-size: 9pt"))) << oddRule.toStdString();
    EXPECT_FALSE(sheet.contains(QLatin1String("display:none")));
    EXPECT_TRUE(oddRule.contains(QLatin1String("\"Odd\\\"Family\"")));
    EXPECT_TRUE(rule(p.attribute(QStringLiteral("class"))).contains(QLatin1String("text-align: center")));
    EXPECT_EQ(sheet.count(QLatin1Char('{')), sheet.count(QLatin1Char('}')));

    // The next book's sheet has only what that book uses.
    const QString loudClass = spans[0].attribute(QStringLiteral("class"));
    startBook(QStringLiteral("Plain"));
    add(maker.textPage(u"plain"));
    finishBook();
    const QString plainSheet = QString::fromUtf8(testfiles::readAll(content(QStringLiteral("sheetstyle.css"))));
    EXPECT_FALSE(plainSheet.contains(QLatin1Char('.') + loudClass + QLatin1Char(' ')));
}

} // namespace
