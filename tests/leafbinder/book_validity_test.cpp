// Books of every kind pass epubcheck (EPUB 2.0.1 rules) with no error and no
// warning, and Info-ZIP and 7-Zip accept their containers.
#include "book_fixture.h"
#include "testfiles.h"

using namespace bookhelpers;

namespace {

struct ValidBook : BookTest {
    void expectValid()
    {
        EXPECT_EQ(malformedFiles(work()), QString());
        ASSERT_TRUE(closed);
        QString output;
        EXPECT_EQ(testfiles::runProgram(QStringLiteral("unzip"), {QStringLiteral("-tq"), book()}, &output), 0)
            << output.toStdString();
        if (testfiles::haveProgram(QStringLiteral("7z"))) {
            EXPECT_EQ(testfiles::runProgram(QStringLiteral("7z"), {QStringLiteral("t"), book()}, &output), 0)
                << output.toStdString();
        }
        QString report, skip;
        if (!checkBook(book(), &report, &skip))
            GTEST_SKIP() << skip.toStdString();
        EXPECT_EQ(unexpectedMessages(report), QStringList()) << report.toStdString();
    }
    void fillCover()
    {
        info.title = "Covered";
        info.creator = "Someone";
        info.identifier = "978-3-16-148410-0";
        info.coverImage = makePicture(QStringLiteral("front.JPG"), "JPG").toStdString();
    }
    void addTextPages()
    {
        auto* plain = maker.word(u"Plain text & <markup> ", 11, false, false, "DejaVu Serif", "#333");
        auto* loud = maker.word(u"loud\x01", 16, true, true, "Sans \"Bold\"", "rgb(10, 20, 30)");
        auto* odd = maker.word(u"odd", 0, false, false, "", "not a colour;}");
        auto* left = maker.column({maker.line({plain, loud}, false), maker.line({odd}, true),
                                   maker.line({maker.word(u"Centred")}, true, true)});
        auto* rightToLeft = maker.line({maker.word(u"צד ימין")});
        rightToLeft->rightToLeft = 1;
        auto* right = maker.column({rightToLeft});
        add(maker.page({maker.section({left, right}), maker.section({})}));
        add(maker.page({}));
    }
};

TEST_F(ValidBook, TextPagesWithoutACover)
{
    info.title = "Text book";
    info.date = "2024/1/2";
    startBook(QStringLiteral("TextBook"));
    addTextPages();
    finishBook();
    expectValid();
}

TEST_F(ValidBook, PicturePagesWithoutACover)
{
    const QString jpg = makePicture(QStringLiteral("a/page.jpg"), "JPG");
    const QString same = makePicture(QStringLiteral("b/page.jpg"), "JPG", 0xff00ff00);
    const QString bmp = makePicture(QStringLiteral("b/Scan 2.bmp"), "BMP");
    const QString icon = makePicture(QStringLiteral("icon.gif"), "GIF");
    startBook(QStringLiteral("PictureBook"));
    add(maker.page({}, {maker.picture(jpg)}));
    add(maker.page({}, {maker.picture(same), maker.picture(bmp)}));
    add(maker.page({maker.section({maker.column({maker.line({maker.word(u"icon "), maker.inlinePicture(icon)})})})},
                   {maker.picture(jpg)}));
    finishBook();
    expectValid();
}

TEST_F(ValidBook, TextAndPicturePagesWithACover)
{
    fillCover();
    startBook(QStringLiteral("CoverBook"));
    addTextPages();
    add(maker.page({}, {maker.picture(makePicture(QStringLiteral("cover.png"), "PNG"))}));
    finishBook();
    expectValid();
}

TEST_F(ValidBook, APageWithoutText)
{
    startBook(QStringLiteral("Blank"));
    add(maker.page({}));
    finishBook();
    expectValid();
}

TEST_F(ValidBook, OnlyACoverAndAConvertedOne)
{
    info.coverImage = makePicture(QStringLiteral("front.bmp"), "BMP").toStdString();
    startBook(QStringLiteral("OnlyCover"));
    finishBook();
    expectValid();
}

} // namespace
