// The parser as the conversion worker drives it: which pages arrive and in
// what order, progress and cancel, passwords, failures that must never look
// like success, damaged files, and the page pictures.
#include "pdffixture.h"

#include "fitzdocument.h"

#include "leafbinder/src/epub_page.h"
#include "leafbinder/src/fixed_field.h"
#include "platform/pagesift/compoundsreading.h"
#include "platform/pagesift/documentsource.h"
#include "platform/pagesift/fitzdocument.h"
#include "platform/pagesift/pagecontent.h"
#include "platform/pagesift/pdfparseconf.h"
#include "pdfdamage.h"
#include "platform/pagesift/pdfparser.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <QRegularExpression>

#include <atomic>
#include <functional>
#include <thread>

namespace {

using ParserTest = PdfTest;

QStringList headings(const parsed::result& out)
{
    QStringList texts;
    for (const parsed::page& page : out.pages) {
        const std::vector<const parsed::line*> lines = page.lines();
        texts << (lines.empty() ? QString() : lines.front()->text());
    }
    return texts;
}

TEST_F(ParserTest, PagesArriveInRequestOrderAndPagesOutOfRangeAreSkipped)
{
    const QString path = make(QStringLiteral("five.pdf"), testpdf::simpleDoc(5, {QStringLiteral("body text")}));
    parsed::request what;
    what.path = path;
    what.pages = {3, 1, 9, 0, -2, 5, 3};
    const parsed::result out = parseChecked(what, 5);
    EXPECT_EQ(headings(out), QStringList({QStringLiteral("Page 3"), QStringLiteral("Page 1"), QStringLiteral("Page 5"),
                                          QStringLiteral("Page 3")}));
    EXPECT_EQ(out.progress.total(), 4) << "the pages that exist";
    EXPECT_EQ(out.progress.progress,
              QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
    EXPECT_EQ(out.progress.notices.size(), 3) << out.progress.notices.join('\n').toStdString();
    EXPECT_EQ(out.progress.successCalls, std::vector<bool>({true}));
}

TEST_F(ParserTest, CancelBetweenPagesStopsTheParse)
{
    const QString path = make(QStringLiteral("cancel.pdf"), testpdf::simpleDoc(5));
    parsed::request what;
    what.path = path;
    what.pages = {1, 2, 3, 4, 5};
    what.cancelAfter = 2;
    const parsed::result out = parseChecked(what, 5);
    EXPECT_EQ(headings(out), QStringList({QStringLiteral("Page 1"), QStringLiteral("Page 2")}));
    EXPECT_EQ(out.progress.progress.size(), 2);

    what.cancelAfter = -1;
    what.cancelFirst = true;
    const parsed::result none = parseChecked(what, 5);
    EXPECT_TRUE(none.pages.empty());
    EXPECT_TRUE(none.progress.progress.isEmpty());
}

// A page with a word broken at a line end waits for the document's
// hyphenated words, read alongside the conversion; a cancel meanwhile ends
// that reading at once, not after the whole document.
TEST_F(ParserTest, ACancelWhileAPageWaitsForTheHyphenatedWordsEndsTheirReading)
{
    parsed::request what;
    what.path = make(QStringLiteral("broken.pdf"),
                     testpdf::simpleDoc(3, {QStringLiteral("The phrase is docu-"), QStringLiteral("mented here.")}));
    what.pages = {1, 2, 3};
    parsed::result out;
    int pagesBegun = 0;
    bool stopped = false;
    what.compoundsHook = [&](conversion::compoundsReading& reading) {
        ++pagesBegun;
        out.progress.setCancel(true);
        stopped = reading.waitUntilStopped(20000);
    };
    parsed::parse(what, out);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(pagesBegun, 1);
    EXPECT_TRUE(out.pages.empty());
    EXPECT_TRUE(out.progress.progress.isEmpty());
}

TEST_F(ParserTest, APasswordOpensTheDocumentAndAWrongOrMissingOneFails)
{
    testpdf::DocSpec doc = testpdf::simpleDoc(2, {QStringLiteral("secret text")});
    doc.userPassword = QStringLiteral("s3cret");
    doc.ownerPassword = QStringLiteral("0wner");
    const QString path = make(QStringLiteral("locked.pdf"), doc);

    parsed::request what;
    what.path = path;
    what.pages = {1, 2};

    what.password1 = "s3cret";
    parsed::result given = parseChecked(what, 2);
    EXPECT_EQ(given.pages.size(), 2u);
    EXPECT_EQ(given.progress.successCalls, std::vector<bool>({true}));

    what.password1 = "wrong";
    what.password2 = "0wner";
    parsed::result second = parseChecked(what, 2);
    EXPECT_EQ(second.pages.size(), 2u) << "the second field is tried too, and the owner password opens";

    what.password2.clear();
    parsed::result wrong = parseChecked(what, 2);
    EXPECT_TRUE(wrong.pages.empty());
    EXPECT_EQ(wrong.progress.successCalls, std::vector<bool>({false}));
    EXPECT_TRUE(wrong.lastError.contains(QStringLiteral("password"))) << wrong.lastError.toStdString();

    what.password1.clear();
    parsed::result missing = parseChecked(what, 2);
    EXPECT_TRUE(missing.pages.empty());
    EXPECT_EQ(missing.progress.successCalls, std::vector<bool>({false}));
    EXPECT_TRUE(missing.progress.progress.isEmpty());

    // A password for a document that needs none does no harm.
    parsed::request open;
    open.path = make(QStringLiteral("open.pdf"), testpdf::simpleDoc(1));
    open.pages = {1};
    open.password1 = "anything";
    EXPECT_EQ(parseChecked(open, 1).pages.size(), 1u);
}

TEST_F(ParserTest, ADocumentThatCannotBeOpenedReportsFailureAndDeliversNothing)
{
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.pdf"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a PDF at all, just some words\n");
    file.close();
    for (const QString& path : {garbage, m_dir.filePath(QStringLiteral("missing.pdf")), QString()}) {
        parsed::request what;
        what.path = path;
        what.pages = {1};
        parsed::result out;
        parsed::parse(what, out);
        EXPECT_TRUE(out.pages.empty()) << path.toStdString();
        EXPECT_EQ(out.progress.successCalls, std::vector<bool>({false})) << path.toStdString();
        EXPECT_FALSE(out.lastError.isEmpty());
    }
}

// The lines of a page of an open document, as text.
QStringList textOf(conversion::fitzDocument& document, int index)
{
    std::vector<std::u32string> lines;
    EXPECT_TRUE(document.readText(index, lines));
    QStringList texts;
    for (const std::u32string& line : lines)
        texts << QString::fromUcs4(line.data(), static_cast<qsizetype>(line.size()));
    return texts;
}

TEST_F(ParserTest, ASecondReadingOfAnOpenDocumentNeedsNeitherItsPathNorItsThread)
{
    const QString path = make(QStringLiteral("shared.pdf"), testpdf::simpleDoc(3));
    const conversion::documentSource source(path);
    conversion::fitzDocument first;
    QString error;
    ASSERT_TRUE(first.open(source, &error)) << error.toStdString();
    ASSERT_TRUE(QFile::remove(path));
    const testfiles::Fifo pipe(path);
    QStringList other;
    std::thread reader([&] {
        conversion::fitzDocument second;
        if (second.open(source, nullptr))
            other = textOf(second, 2);
    });
    const QStringList own = textOf(first, 0);
    reader.join();
    EXPECT_EQ(own.value(0), QStringLiteral("Page 1"));
    EXPECT_EQ(other.value(0), QStringLiteral("Page 3"));
    EXPECT_FALSE(pipe.wasOpened());
}

// A page tree that promises more pages than it holds: those pages cannot
// be loaded. The count has the same number of digits, so the file's offsets
// stay right.
QString withBrokenPageTree(const QString& path, int pages, int promised)
{
    QByteArray bytes = testfiles::readAll(path);
    const QByteArray count = "/Count " + QByteArray::number(pages);
    EXPECT_EQ(bytes.count(count), 1);
    bytes.replace(count, "/Count " + QByteArray::number(promised));
    const QString broken = QString(path).replace(QLatin1String(".pdf"), QLatin1String("-broken.pdf"));
    EXPECT_TRUE(testfiles::writeAll(broken, bytes));
    return broken;
}

TEST_F(ParserTest, PagesThatCannotBeReadAreSkippedAndNoneReadIsAFailure)
{
    const QString path = withBrokenPageTree(make(QStringLiteral("tree.pdf"), testpdf::simpleDoc(2)), 2, 4);
    parsed::request what;
    what.path = path;
    what.pages = {3, 1, 4, 2};
    const parsed::result some = parseChecked(what, 2);
    EXPECT_EQ(headings(some), QStringList({QStringLiteral("Page 1"), QStringLiteral("Page 2")}));
    EXPECT_EQ(some.progress.total(), 4);
    EXPECT_EQ(some.progress.progress.size(), 4) << "skipped pages still count as done";
    EXPECT_EQ(some.progress.notices.size(), 2);
    EXPECT_EQ(some.progress.successCalls, std::vector<bool>({true}));

    what.pages = {4, 3};
    const parsed::result none = parseChecked(what, 2);
    EXPECT_TRUE(none.pages.empty());
    EXPECT_EQ(none.progress.successCalls, std::vector<bool>({true, false}));
    EXPECT_FALSE(none.lastError.isEmpty());
}

// The notice of a page whose content was lost: its number, the file and
// MuPDF's own message.
const QRegularExpression kUnreadablePage(QStringLiteral("^cannot read page (\\d+) in '[^']+\\.pdf': \\S.*"));

QList<int> unreadablePages(const parsed::result& out)
{
    QList<int> pages;
    for (const QString& notice : out.progress.notices) {
        const QRegularExpressionMatch match = kUnreadablePage.match(notice);
        EXPECT_TRUE(match.hasMatch()) << notice.toStdString();
        pages << match.captured(1).toInt();
    }
    return pages;
}

class DamagedFileTest : public ParserTest {
protected:
    // A copy of a four-page document, damaged.
    QString damaged(const QString& name, const std::function<QByteArray(const QByteArray&)>& damage)
    {
        const QByteArray sound = testfiles::readAll(make(QStringLiteral("sound-") + name, testpdf::simpleDoc(4)));
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(testfiles::writeAll(path, damage(sound)));
        return path;
    }

    parsed::result parsePages(const QString& path, const std::vector<int>& pages)
    {
        parsed::request what;
        what.path = path;
        what.pages = pages;
        parsed::result out;
        parsed::parse(what, out);
        return out;
    }
};

TEST_F(DamagedFileTest, PagesWhoseContentIsLostAreReportedWithMuPdfsMessage)
{
    // Broken off in page 3's content: pages 3 and 4 are lost, 1 and 2 read.
    const parsed::result cut = parsePages(
        damaged(QStringLiteral("cut.pdf"), [](const QByteArray& pdf) { return testpdf::truncatedAt(pdf, "(Page 3)"); }),
        {1, 2, 3, 4});
    EXPECT_EQ(unreadablePages(cut), QList<int>({3, 4})) << cut.lastError.toStdString();
    EXPECT_EQ(headings(cut).filter(QStringLiteral("Page ")), QStringList({QStringLiteral("Page 1"), QStringLiteral("Page 2")}));
    EXPECT_EQ(cut.progress.successCalls, std::vector<bool>({true}));

    // Page 2's content stream removed, with the objects after it moved or
    // with every offset kept: page 2 alone is reported.
    for (const bool blanked : {false, true}) {
        const parsed::result out = parsePages(damaged(QStringLiteral("content.pdf"),
                                                      [blanked](const QByteArray& pdf) {
                                                          return testpdf::withoutObjectHolding(pdf, "(Page 2)", blanked);
                                                      }),
                                              {1, 2, 3, 4});
        EXPECT_EQ(unreadablePages(out), QList<int>({2})) << out.lastError.toStdString();
        EXPECT_EQ(headings(out).filter(QStringLiteral("Page ")).size(), 3);
        EXPECT_EQ(out.progress.successCalls, std::vector<bool>({true}));

        // Nothing else was asked for: nothing could be read.
        const parsed::result none = parsePages(m_dir.filePath(QStringLiteral("content.pdf")), {2});
        EXPECT_EQ(none.progress.successCalls, std::vector<bool>({true, false}));
        EXPECT_TRUE(none.lastError.contains(QStringLiteral("none of the requested pages"))) << none.lastError.toStdString();
    }

    // An error in the content after the text: reported, and the text read.
    testpdf::DocSpec doc = testpdf::simpleDoc(1);
    doc.pages[0].rawContent = "q /Missing Do Q\n";
    const parsed::result partly = parsePages(make(QStringLiteral("partly.pdf"), doc), {1});
    EXPECT_EQ(unreadablePages(partly), QList<int>({1}));
    EXPECT_EQ(headings(partly), QStringList({QStringLiteral("Page 1")}));
    EXPECT_EQ(partly.progress.successCalls, std::vector<bool>({true}));
}

TEST_F(DamagedFileTest, AFileMuPdfRepairsCompletelyReportsNothing)
{
    const QList<std::function<QByteArray(const QByteArray&)>> damages = {
        [](const QByteArray& pdf) { return testpdf::withShiftedXref(pdf); },
        // Found wrong only when page 3 is loaded.
        [](const QByteArray& pdf) { return testpdf::withShiftedXref(pdf, 12); },
        [](const QByteArray& pdf) { return testpdf::withWrongStartxref(pdf); },
    };
    for (const auto& damage : damages) {
        const parsed::result out = parsePages(damaged(QStringLiteral("repaired.pdf"), damage), {1, 2, 3, 4});
        EXPECT_EQ(headings(out), QStringList({QStringLiteral("Page 1"), QStringLiteral("Page 2"),
                                              QStringLiteral("Page 3"), QStringLiteral("Page 4")}));
        EXPECT_TRUE(out.lastError.isEmpty()) << out.lastError.toStdString();
        EXPECT_EQ(out.progress.successCalls, std::vector<bool>({true}));
    }
}

// A long document is read without keeping every page's objects parsed:
// pages read again after the objects were let go, of a repaired file too,
// come out the same.
TEST_F(DamagedFileTest, EveryPageOfALongRepairedFileReadsInAnyOrder)
{
    const QByteArray sound = testfiles::readAll(make(QStringLiteral("sound-long.pdf"), testpdf::simpleDoc(100)));
    std::vector<int> pages;
    QStringList expected;
    for (int page = 1; page <= 100; ++page)
        pages.push_back(page);
    for (int page = 100; page >= 1; page -= 9)
        pages.push_back(page);
    for (const int page : pages)
        expected << QStringLiteral("Page %1").arg(page);
    const QString path = m_dir.filePath(QStringLiteral("long.pdf"));
    for (const QByteArray& pdf : {sound, testpdf::withShiftedXref(sound), testpdf::withWrongStartxref(sound)}) {
        ASSERT_TRUE(testfiles::writeAll(path, pdf));
        // Let go after every page.
        conversion::fitzDocument document(conversion::finishedPages(0, 0));
        QString error;
        ASSERT_TRUE(document.open(conversion::documentSource(path), &error)) << error.toStdString();
        QStringList headings;
        for (const int page : pages) {
            conversion::pageContent content;
            QString damage;
            ASSERT_TRUE(document.readPage(page - 1, content, &error, &damage)) << error.toStdString();
            EXPECT_TRUE(damage.isEmpty()) << damage.toStdString();
            QString heading;
            for (const conversion::glyph& g : content.lines.at(0).glyphs)
                heading += QString::fromUcs4(&g.c, 1);
            headings << heading;
        }
        EXPECT_EQ(headings, expected);
    }
}

// Requests that the worker did not fill through setFieldText.
TEST_F(ParserTest, AnUnterminatedOrAbsentRequestIsRefused)
{
    const QString path = make(QStringLiteral("one.pdf"), testpdf::simpleDoc(1));
    parsed::recorder progress;
    conversion::pdfParser parser;
    parser.setParseProgress(&progress);

    conversion::pdfParseConf conf;
    ASSERT_TRUE(ns_epub::setFieldText(conf.sourcePath, path));
    conf.pages = {1};
    std::memset(conf.password2, 'x', sizeof conf.password2);
    parser.parse(&conf);
    EXPECT_EQ(progress.successCalls, std::vector<bool>({false}));

    progress.successCalls.clear();
    parser.parse(nullptr);
    EXPECT_EQ(progress.successCalls, std::vector<bool>({false})) << "no request in the call nor the constructor";

    // The constructor's request serves when parse is given none.
    conf.password2[127] = 0;
    progress.successCalls.clear();
    conversion::pdfParser withRequest(&conf);
    withRequest.setParseProgress(&progress);
    withRequest.parse(nullptr);
    EXPECT_EQ(progress.successCalls, std::vector<bool>({true}));
}

constexpr QFileDevice::Permissions othersMayUse = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
    | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

std::atomic<long> g_characters{0};

bool countCharacters(void* page)
{
    std::vector<ns_epub::epubSection*> sections;
    static_cast<ns_epub::epubPage*>(page)->getSections(sections);
    for (const ns_epub::epubSection* section : sections)
        for (const auto& column : section->columns)
            for (const ns_epub::epubLine* line : column.second->lines)
                for (const ns_epub::epubWord* word : line->words)
                    g_characters += static_cast<long>(word->text.size());
    return true;
}

// Each parse makes its own MuPDF context on its own thread, as two workers
// one after the other (or a test beside the program) may.
TEST_F(ParserTest, ParsersOnSeveralThreadsDoNotDisturbEachOther)
{
    const QString path = make(QStringLiteral("threads.pdf"), testpdf::simpleDoc(8, {QStringLiteral("a line of text")}));
    const auto parseAllPages = [&path]() {
        conversion::pdfParseConf request;
        ns_epub::setFieldText(request.sourcePath, path);
        request.pages = {1, 2, 3, 4, 5, 6, 7, 8};
        conversion::pdfParser parser;
        parser.setPageParseFunc(countCharacters);
        parser.parse(&request);
    };
    g_characters = 0;
    parseAllPages();
    const long single = g_characters;
    ASSERT_GT(single, 0);
    g_characters = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back(parseAllPages);
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(g_characters, 4 * single);
}

QImage testImage()
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 220));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            image.setPixelColor(x, y, Qt::red);
    return image;
}

testpdf::DocSpec pictureDoc(const QByteArray& format)
{
    testpdf::DocSpec doc = testpdf::simpleDoc(2, {QStringLiteral("A page with a picture.")});
    for (testpdf::PageSpec& page : doc.pages) {
        testpdf::ImageSpec image;
        image.image = testImage();
        image.rect = QRectF(100, 300, 240, 160);
        image.format = format;
        page.images << image;
    }
    return doc;
}

TEST_F(ParserTest, APictureOfThePageArrivesAsAFileThatIsGoneAfterwards)
{
    const QString path = make(QStringLiteral("picture.pdf"), pictureDoc("PNG"));
    parsed::request what;
    what.path = path;
    what.pages = {1, 2, 1};
    const parsed::result out = parseChecked(what, 2);
    ASSERT_EQ(out.pages.size(), 3u);
    QStringList names;
    for (const parsed::page& page : out.pages) {
        ASSERT_EQ(page.pictures.size(), 1u) << describe(page);
        const parsed::picture& picture = page.pictures[0];
        EXPECT_TRUE(picture.existed);
        EXPECT_FALSE(QFileInfo::exists(picture.path)) << "removed after the callback";
        EXPECT_TRUE(picture.path.endsWith(QLatin1String(".png")));
        names << QFileInfo(picture.path).fileName();
        const QImage image = QImage::fromData(picture.bytes);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(60, 40));
        EXPECT_EQ(image.pixelColor(2, 2).rgb(), QColor(Qt::red).rgb());
        EXPECT_EQ(image.pixelColor(50, 30).rgb(), QColor(20, 120, 220).rgb());
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 3) << "each picture of a book has a name of its own";

    // The private folder lay under the temporary folder and is gone.
    EXPECT_EQ(out.pages[0].pictures[0].folderPermissions & othersMayUse, QFileDevice::Permissions());
    const QString folder = QFileInfo(out.pages[0].pictures[0].path).absolutePath();
    EXPECT_TRUE(folder.startsWith(QDir::tempPath() + QLatin1Char('/'))) << folder.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(ParserTest, AJpegPictureIsPassedOnAsItIs)
{
    const QString path = make(QStringLiteral("jpeg.pdf"), pictureDoc("JPEG"));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    testImage().save(&buffer, "JPEG");

    parsed::request what;
    what.path = path;
    what.pages = {1};
    const parsed::result out = parseChecked(what, 2);
    ASSERT_EQ(out.pages.size(), 1u);
    ASSERT_EQ(out.pages[0].pictures.size(), 1u);
    const parsed::picture& picture = out.pages[0].pictures[0];
    EXPECT_TRUE(picture.path.endsWith(QLatin1String(".jpg")));
    EXPECT_EQ(picture.bytes, jpeg);
}

TEST_F(ParserTest, AGivenPictureFolderIsMadeUsedAndLeftEmpty)
{
    const QString path = make(QStringLiteral("folder.pdf"), pictureDoc("PNG"));
    const QString folder = m_dir.filePath(QStringLiteral("pictures/here"));
    parsed::request what;
    what.path = path;
    what.pages = {2};
    what.pictureFolder = folder;
    const parsed::result out = parseChecked(what, 2);
    ASSERT_EQ(out.pages.size(), 1u);
    ASSERT_EQ(out.pages[0].pictures.size(), 1u);
    EXPECT_EQ(QFileInfo(out.pages[0].pictures[0].path).absolutePath(), folder);
    EXPECT_TRUE(out.pages[0].pictures[0].existed);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_EQ(QFile::permissions(folder) & othersMayUse, QFileDevice::Permissions());
}

} // namespace
