// Page capture: picture sizes per zoom, the cut-out of a page area, the
// page's orientation, passwords, files that are not PDFs, and every
// operation with nothing open.
#include "convert/pdfgraber.h"

#include "convert/logwriter.h"
#include "convert/rendercap.h"
#include "pdfmaker.h"
#include "platform/vuframe0/vupaths.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr double kLetterWidth = 612;
constexpr double kLetterHeight = 792;

// A filled rectangle given as a page area in pixels at 100 %, with y
// counted from the top, as the picture shows it.
testpdf::FilledRect markAt(const QRect& area, const QColor& color = Qt::black)
{
    testpdf::FilledRect fill;
    fill.rect = QRectF(area.x(), kLetterHeight - area.y() - area.height(), area.width(), area.height());
    fill.color = color;
    return fill;
}

// A letter-sized page with a dark square in its top-left corner.
testpdf::PageSpec markedPage(int rotate = 0)
{
    testpdf::PageSpec page;
    page.rotate = rotate;
    page.rects << markAt(QRect(0, 0, 72, 72));
    return page;
}

bool isDark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 64;
}

bool isLight(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) > 192;
}

class PdfGraber : public ::testing::Test {
protected:
    QString pdf(const QString& name, const testpdf::DocSpec& spec) const
    {
        const QString path = m_dir.filePath(name);
        QString error;
        EXPECT_TRUE(testpdf::writePdf(path, spec, &error)) << error.toStdString();
        return path;
    }
    QString pdf(const QString& name, const QList<testpdf::PageSpec>& pages) const
    {
        testpdf::DocSpec spec;
        spec.pages = pages;
        return pdf(name, spec);
    }
    QString letterPdf(int pageCount = 3) const
    {
        QList<testpdf::PageSpec> pages;
        for (int i = 0; i < pageCount; ++i)
            pages << markedPage();
        return pdf(QStringLiteral("letter.pdf"), pages);
    }

    // The picture at path, which must be a JPEG file.
    static QImage picture(const QString& path)
    {
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), QByteArray("jpeg")) << path.toStdString();
        return reader.read();
    }
    static QSize sizeOf(const QString& path) { return picture(path).size(); }

    static QByteArray log() { return testfiles::readAll(logFilePath()); }

    QTemporaryDir m_dir;
};

TEST_F(PdfGraber, PictureSizeFollowsTheZoom)
{
    PDFGraber graber;
    ASSERT_TRUE(graber.open(letterPdf(), QString()));
    // At 100 % a point is a pixel; below 100 % the resolution is whole dots
    // per inch (20 % is 14 dpi).
    EXPECT_EQ(sizeOf(graber.grabImage(1, 100, nullptr)), QSize(612, 792));
    EXPECT_EQ(sizeOf(graber.grabImage(1, 200, nullptr)), QSize(1224, 1584));
    EXPECT_EQ(sizeOf(graber.grabImage(1, 50, nullptr)), QSize(306, 396));
    EXPECT_EQ(sizeOf(graber.grabImage(1, 20, nullptr)), QSize(119, 154));
    const QRect noArea;
    EXPECT_EQ(sizeOf(graber.grabImage(2, 100, &noArea)), QSize(612, 792));

    testpdf::PageSpec a4;
    a4.width = 595;
    a4.height = 842;
    ASSERT_TRUE(graber.open(pdf(QStringLiteral("a4.pdf"), {a4}), QString()));
    EXPECT_EQ(sizeOf(graber.grabImage(1, 100, nullptr)), QSize(595, 842));
}

// The largest page a PDF may have, asked for at 200 %: 28800 pixels square,
// far more than the cap, so it is drawn as large as the cap allows.
TEST_F(PdfGraber, AHugePageIsDrawnWithinThePixelCap)
{
    testpdf::PageSpec huge;
    huge.width = 14400;
    huge.height = 14400;
    PDFGraber graber;
    ASSERT_TRUE(graber.open(pdf(QStringLiteral("huge.pdf"), {huge}), QString()));
    const qsizetype logSize = log().size();
    const QSize whole = QImageReader(graber.grabImage(1, 200, nullptr)).size();
    EXPECT_EQ(graber.requestedSize(), QSize(28800, 28800));
    EXPECT_LE(qint64(whole.width()) * whole.height(), rendercap::kMaxPixels);
    EXPECT_GT(qint64(whole.width() + 2) * (whole.height() + 2), rendercap::kMaxPixels);
    EXPECT_EQ(whole.width(), whole.height());
    EXPECT_TRUE(log().mid(logSize).contains("in PDFGraber::grabImage"));

    // The area, in page pixels at 100 %, follows the page as drawn: the
    // top-left quarter is half as wide and high.
    const QRect quarter(0, 0, 7200, 7200);
    const QSize cut = QImageReader(graber.grabImage(1, 200, &quarter)).size();
    EXPECT_NEAR(cut.width(), whole.width() / 2, 1);
    EXPECT_NEAR(cut.height(), whole.height() / 2, 1);
}

// A page three million points long and ten high would be wider at 20 %
// than a JPEG picture may be: it is drawn as long as a picture may be.
TEST_F(PdfGraber, ALongThinPageIsDrawnWithinThePicturesLongestSide)
{
    testpdf::PageSpec strip;
    strip.width = 3000000;
    strip.height = 10;
    PDFGraber graber;
    ASSERT_TRUE(graber.open(pdf(QStringLiteral("strip.pdf"), {strip}), QString()));
    for (const int zoom : {20, 100}) {
        const qsizetype logSize = log().size();
        const QSize drawn = sizeOf(graber.grabImage(1, zoom, nullptr));
        EXPECT_LE(drawn.width(), rendercap::kMaxSide) << zoom;
        EXPECT_GT(drawn.width(), rendercap::kMaxSide * 99 / 100) << zoom;
        EXPECT_TRUE(log().mid(logSize).contains("in PDFGraber::grabImage")) << zoom;
    }
}

// An area holding the whole page keeps the whole page at every zoom, also
// on a page whose size is no whole number of points.
TEST_F(PdfGraber, TheWholePagesAreaKeepsTheWholePageAtEveryZoom)
{
    testpdf::PageSpec odd;
    odd.width = 154.5;
    odd.height = 200.5;
    PDFGraber graber;
    ASSERT_TRUE(graber.open(pdf(QStringLiteral("pages.pdf"), {markedPage(), odd}), QString()));
    for (const int page : {1, 2}) {
        // The page at 100 % is the page in page pixels.
        const QRect area(QPoint(0, 0), sizeOf(graber.grabImage(page, 100, nullptr)));
        for (const int zoom : {20, 100, 200}) {
            const QSize whole = sizeOf(graber.grabImage(page, zoom, nullptr));
            EXPECT_EQ(sizeOf(graber.grabImage(page, zoom, &area)), whole) << page << " at " << zoom;
        }
    }
}

TEST_F(PdfGraber, PictureIsNamedAfterThePageInThePrivateTemporaryFolder)
{
    PDFGraber graber;
    ASSERT_TRUE(graber.open(letterPdf(), QString()));
    const QString path = graber.grabImage(3, 100, nullptr);
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("p-3.jpg"));
    EXPECT_TRUE(path.startsWith(Vu::tempPath() + QLatin1Char('/'))) << path.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path));

    // The same page again replaces its picture.
    EXPECT_EQ(graber.grabImage(3, 50, nullptr), path);
    EXPECT_EQ(sizeOf(path), QSize(306, 396));
}

TEST_F(PdfGraber, TopLeftOfThePageStaysTopLeft)
{
    PDFGraber graber;
    ASSERT_TRUE(graber.open(letterPdf(1), QString()));
    for (const int zoom : {100, 200}) {
        const QImage image = picture(graber.grabImage(1, zoom, nullptr));
        const int s = zoom / 100;
        EXPECT_TRUE(isDark(image, 36 * s, 36 * s)) << zoom;
        EXPECT_TRUE(isLight(image, 36 * s, 756 * s)) << zoom;   // bottom left
        EXPECT_TRUE(isLight(image, 576 * s, 36 * s)) << zoom;   // top right
        EXPECT_TRUE(isLight(image, 306 * s, 396 * s)) << zoom;  // middle
    }
}

TEST_F(PdfGraber, RotatedPageIsDrawnTurned)
{
    // A page turned a quarter clockwise: the page's top-left corner comes to
    // the top right of the picture, which is as wide as the page is high.
    PDFGraber graber;
    ASSERT_TRUE(graber.open(pdf(QStringLiteral("turned.pdf"), {markedPage(90)}), QString()));
    const QImage image = picture(graber.grabImage(1, 100, nullptr));
    ASSERT_EQ(image.size(), QSize(792, 612));
    EXPECT_TRUE(isDark(image, 756, 36));
    EXPECT_TRUE(isLight(image, 36, 36));
    EXPECT_TRUE(isLight(image, 756, 576));

    ASSERT_TRUE(graber.open(pdf(QStringLiteral("upside.pdf"), {markedPage(180)}), QString()));
    const QImage upside = picture(graber.grabImage(1, 100, nullptr));
    ASSERT_EQ(upside.size(), QSize(612, 792));
    EXPECT_TRUE(isDark(upside, 576, 756));
    EXPECT_TRUE(isLight(upside, 36, 36));
}

TEST_F(PdfGraber, AreaIsCutOutScaledWithTheZoom)
{
    // The mark fills the top-left quarter of the area (in pixels at 100 %).
    const QRect area(QPoint(10, 20), QPoint(109, 69));
    testpdf::PageSpec page;
    page.rects << markAt(QRect(10, 20, 50, 25));
    PDFGraber graber;
    ASSERT_TRUE(graber.open(pdf(QStringLiteral("area.pdf"), {page}), QString()));

    // 200 %: left 20, top 40, right 219, bottom 139.
    QImage image = picture(graber.grabImage(1, 200, &area));
    ASSERT_EQ(image.size(), QSize(200, 100));
    EXPECT_TRUE(isDark(image, 5, 5));
    EXPECT_TRUE(isDark(image, 94, 44));
    EXPECT_TRUE(isLight(image, 105, 5));
    EXPECT_TRUE(isLight(image, 5, 55));
    EXPECT_TRUE(isLight(image, 195, 95));

    // Below 100 % the area shrinks with the page instead of being dropped.
    image = picture(graber.grabImage(1, 50, &area));
    ASSERT_EQ(image.size(), QSize(50, 25));
    EXPECT_TRUE(isDark(image, 12, 6));
    EXPECT_TRUE(isLight(image, 37, 6));
    EXPECT_TRUE(isLight(image, 12, 19));

    // 20 % renders at 14 dpi: about a fifth of the area.
    const QSize small = sizeOf(graber.grabImage(1, 20, &area));
    EXPECT_NEAR(small.width(), 20, 1);
    EXPECT_NEAR(small.height(), 10, 1);
}

TEST_F(PdfGraber, AreaIsKeptWithinThePage)
{
    PDFGraber graber;
    ASSERT_TRUE(graber.open(letterPdf(1), QString()));

    // Past the bottom-right corner: cut at the page's edges.
    const QRect pastCorner(500, 700, 200, 200);
    EXPECT_EQ(sizeOf(graber.grabImage(1, 200, &pastCorner)), QSize(1224 - 1000, 1584 - 1400));

    // Above and left of the page: only the part on the page, which is dark.
    const QRect beforeCorner(-50, -50, 100, 100);
    const QImage corner = picture(graber.grabImage(1, 200, &beforeCorner));
    EXPECT_EQ(corner.size(), QSize(100, 100));
    EXPECT_TRUE(isDark(corner, 50, 50));

    // Nothing of it on the page, or inside out: the whole page.
    const QRect offPage(700, 900, 50, 50);
    EXPECT_EQ(sizeOf(graber.grabImage(1, 100, &offPage)), QSize(612, 792));
    const QRect insideOut(QPoint(100, 100), QPoint(10, 10));
    EXPECT_EQ(sizeOf(graber.grabImage(1, 100, &insideOut)), QSize(612, 792));
}

TEST_F(PdfGraber, ContentErrorIsLoggedAndThePageKept)
{
    testpdf::PageSpec page = markedPage();
    page.rawContent = "q /Missing Do Q\n";
    const QString path = pdf(QStringLiteral("broken.pdf"), {page});
    PDFGraber graber;
    ASSERT_TRUE(graber.open(path, QString()));
    qsizetype logSize = log().size();
    const QImage image = picture(graber.grabImage(1, 100, nullptr));
    EXPECT_TRUE(isDark(image, 36, 36));
    QList<QByteArray> lines = log().mid(logSize).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(".\\PDFGraber(240): in PDFGraber::grabImage : ")) << lines[0].constData();
    EXPECT_TRUE(lines[1].startsWith("cannot draw page 1 in 'broken.pdf': ")) << lines[1].constData();

    // The document's own title names it, when it has one.
    testpdf::DocSpec titled;
    titled.pages << page << page;
    titled.title = QStringLiteral("Caf\u00e9 Notes");
    ASSERT_TRUE(graber.open(pdf(QStringLiteral("titled.pdf"), titled), QString()));
    logSize = log().size();
    EXPECT_FALSE(graber.grabImage(2, 100, nullptr).isEmpty());
    lines = log().mid(logSize).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith("cannot draw page 2 in 'Caf\xc3\xa9 Notes': ")) << lines[1].constData();

    // A sound page logs nothing.
    ASSERT_TRUE(graber.open(letterPdf(1), QString()));
    logSize = log().size();
    EXPECT_FALSE(graber.grabImage(1, 100, nullptr).isEmpty());
    EXPECT_EQ(log().size(), logSize);
}

TEST_F(PdfGraber, PasswordOpensAProtectedDocument)
{
    testpdf::DocSpec spec = testpdf::simpleDoc(2);
    spec.userPassword = QStringLiteral("s\u00e9same");
    const QString path = pdf(QStringLiteral("locked.pdf"), spec);

    PDFGraber graber;
    EXPECT_FALSE(graber.open(path, QString()));
    EXPECT_FALSE(graber.isOpen());
    EXPECT_FALSE(graber.open(path, QStringLiteral("wrong")));
    EXPECT_EQ(graber.pageCount(), 0);
    EXPECT_TRUE(graber.grabImage(1, 100, nullptr).isEmpty());

    ASSERT_TRUE(graber.open(path, QStringLiteral("s\u00e9same")));
    EXPECT_EQ(graber.pageCount(), 2);
    EXPECT_EQ(sizeOf(graber.grabImage(2, 100, nullptr)), QSize(612, 792));
}

TEST_F(PdfGraber, PasswordMustFitItsField)
{
    // 127 bytes fit the field.
    testpdf::DocSpec spec = testpdf::simpleDoc(1);
    spec.userPassword = QString(127, QLatin1Char('k'));
    const QString longest = pdf(QStringLiteral("longest.pdf"), spec);
    PDFGraber graber;
    EXPECT_TRUE(graber.open(longest, spec.userPassword));

    // One byte more is refused, not cut down to the password that would
    // open the document, and the refusal is logged.
    const qsizetype logSize = log().size();
    EXPECT_FALSE(graber.open(longest, spec.userPassword + QLatin1Char('k')));
    EXPECT_FALSE(graber.isOpen());
    QByteArray entry = log().mid(logSize);
    EXPECT_TRUE(entry.startsWith(".\\PDFGraber(")) << entry.constData();
    EXPECT_TRUE(entry.contains("in PDFGraber::open")) << entry.constData();

    // 64 two-byte characters are 128 bytes, though only 64 UTF-16 units.
    EXPECT_FALSE(graber.open(longest, QString(64, QChar(0xe9))));
}

TEST_F(PdfGraber, OnlyReadablePdfsOpen)
{
    PDFGraber graber;
    const QString text = m_dir.filePath(QStringLiteral("text.pdf"));
    ASSERT_TRUE(testfiles::writeAll(text, "This is a letter, not a PDF.\n"));
    EXPECT_FALSE(graber.open(text, QString()));

    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString png = m_dir.filePath(QStringLiteral("picture.pdf"));
    ASSERT_TRUE(image.save(png, "PNG"));
    EXPECT_FALSE(graber.open(png, QString()));

    EXPECT_FALSE(graber.open(m_dir.filePath(QStringLiteral("missing.pdf")), QString()));
    EXPECT_FALSE(graber.open(m_dir.path(), QString()));
    EXPECT_FALSE(graber.open(QString(), QString()));
    EXPECT_FALSE(graber.open(m_dir.filePath(QString(1100, QLatin1Char('a'))), QString()));
    EXPECT_FALSE(graber.isOpen());
    EXPECT_EQ(graber.pageCount(), 0);

    // A PDF is read as one whatever its name.
    const QString renamed = m_dir.filePath(QStringLiteral("document.bin"));
    ASSERT_TRUE(QFile::copy(letterPdf(2), renamed));
    EXPECT_TRUE(graber.open(renamed, QString()));
    EXPECT_EQ(graber.pageCount(), 2);
}

// Nothing of a picture needs the outline, so not even one nested deeper
// than the stack can follow is read.
TEST_F(PdfGraber, DeeplyNestedOutlineIsNotRead)
{
    testpdf::DocSpec spec = testpdf::simpleDoc(1);
    spec.outlineDepth = 200000;
    PDFGraber graber;
    ASSERT_TRUE(graber.open(pdf(QStringLiteral("nested.pdf"), spec), QString()));
    EXPECT_EQ(sizeOf(graber.grabImage(1, 100, nullptr)), QSize(612, 792));
}

TEST_F(PdfGraber, DamagedCrossReferenceIsRepaired)
{
    const QString path = letterPdf(2);
    QByteArray bytes = testfiles::readAll(path);
    const qsizetype xref = bytes.lastIndexOf("startxref");
    ASSERT_GT(xref, 0);
    bytes.truncate(xref);
    bytes += "startxref\n999999\n%%EOF\n";
    ASSERT_TRUE(testfiles::writeAll(path, bytes));

    PDFGraber graber;
    ASSERT_TRUE(graber.open(path, QString()));
    EXPECT_EQ(graber.pageCount(), 2);
    const QImage image = picture(graber.grabImage(2, 100, nullptr));
    EXPECT_TRUE(isDark(image, 36, 36));
}

TEST_F(PdfGraber, NothingOpenMeansNothingDone)
{
    PDFGraber graber;
    const QRect area(0, 0, 10, 10);
    EXPECT_FALSE(graber.isOpen());
    EXPECT_EQ(graber.pageCount(), 0);
    EXPECT_TRUE(graber.grabImage(1, 100, nullptr).isEmpty());
    EXPECT_TRUE(graber.grabImage(1, 100, &area).isEmpty());
    graber.close();
    graber.close();

    ASSERT_TRUE(graber.open(letterPdf(), QString()));
    EXPECT_TRUE(graber.isOpen());
    EXPECT_EQ(graber.pageCount(), 3);
    graber.close();
    EXPECT_FALSE(graber.isOpen());
    EXPECT_EQ(graber.pageCount(), 0);
    EXPECT_TRUE(graber.grabImage(1, 100, nullptr).isEmpty());

    // A failed open leaves nothing open, not the document before it.
    ASSERT_TRUE(graber.open(letterPdf(), QString()));
    EXPECT_FALSE(graber.open(m_dir.filePath(QStringLiteral("missing.pdf")), QString()));
    EXPECT_FALSE(graber.isOpen());
    EXPECT_TRUE(graber.grabImage(1, 100, nullptr).isEmpty());
}

TEST_F(PdfGraber, PageOutOfRangeWritesNothing)
{
    PDFGraber graber;
    ASSERT_TRUE(graber.open(letterPdf(3), QString()));
    const QString first = graber.grabImage(1, 100, nullptr);
    ASSERT_FALSE(first.isEmpty());
    const QString folder = QFileInfo(first).absolutePath();

    EXPECT_TRUE(graber.grabImage(0, 100, nullptr).isEmpty());
    EXPECT_TRUE(graber.grabImage(-1, 100, nullptr).isEmpty());
    EXPECT_TRUE(graber.grabImage(4, 100, nullptr).isEmpty());
    // A zoom that gives no pixels renders nothing either.
    EXPECT_TRUE(graber.grabImage(2, 0, nullptr).isEmpty());
    EXPECT_TRUE(graber.grabImage(2, 1, nullptr).isEmpty());
    EXPECT_EQ(testfiles::listFiles(folder), QStringList{QStringLiteral("p-1.jpg")});
}

TEST_F(PdfGraber, PictureThatCannotBeSavedIsReportedAsMissing)
{
    PDFGraber graber;
    ASSERT_TRUE(graber.open(letterPdf(2), QString()));
    const QString first = graber.grabImage(1, 100, nullptr);
    ASSERT_FALSE(first.isEmpty());
    // A folder where the second picture should go keeps it from being written.
    const QString blocked = QFileInfo(first).absolutePath() + QStringLiteral("/p-2.jpg");
    ASSERT_TRUE(QDir().mkdir(blocked));

    const qsizetype logSize = log().size();
    EXPECT_TRUE(graber.grabImage(2, 100, nullptr).isEmpty());
    const QByteArray entry = log().mid(logSize);
    EXPECT_TRUE(entry.contains("in PDFGraber::grabImage")) << entry.constData();
    EXPECT_TRUE(entry.contains("p-2.jpg")) << entry.constData();
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_TRUE(QFileInfo::exists(first));
}

TEST_F(PdfGraber, NoTemporaryFolderMeansNoPicture)
{
    PDFGraber graber;
    ASSERT_TRUE(graber.open(letterPdf(1), QString()));
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", m_dir.filePath(QStringLiteral("no/such/folder")).toLocal8Bit());
    const QString path = graber.grabImage(1, 100, nullptr);
    qputenv("TMPDIR", oldTmp);
    EXPECT_TRUE(path.isEmpty()) << path.toStdString();
    // Once there is a temporary folder again, pictures are written.
    EXPECT_FALSE(graber.grabImage(1, 100, nullptr).isEmpty());
}

TEST_F(PdfGraber, GrabbersKeepTheirPicturesApart)
{
    testpdf::PageSpec small;
    small.width = 300;
    small.height = 400;
    const QString smallPdf = pdf(QStringLiteral("small.pdf"), {small});

    auto dialog = std::make_unique<PDFGraber>();
    PDFGraber worker;
    ASSERT_TRUE(dialog->open(smallPdf, QString()));
    ASSERT_TRUE(worker.open(letterPdf(1), QString()));
    const QString shown = dialog->grabImage(1, 100, nullptr);
    const QString converted = worker.grabImage(1, 100, nullptr);
    EXPECT_NE(shown, converted);
    EXPECT_EQ(sizeOf(shown), QSize(300, 400));
    EXPECT_EQ(sizeOf(converted), QSize(612, 792));

    // A grabber takes its pictures with it; the other's stay.
    dialog.reset();
    EXPECT_FALSE(QFileInfo::exists(shown));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(shown).absolutePath()));
    EXPECT_TRUE(QFileInfo::exists(converted));
}

TEST_F(PdfGraber, GrabbersWorkOnTwoThreadsAtOnce)
{
    const QString letter = letterPdf(4);
    testpdf::PageSpec small;
    small.width = 300;
    small.height = 400;
    const QString smallPdf = pdf(QStringLiteral("small.pdf"), {small, small, small, small});

    std::atomic<int> good{0};
    auto run = [&good](QString path, QSize expected) {
        PDFGraber graber;
        if (!graber.open(path, QString()))
            return;
        for (int page = 1; page <= graber.pageCount(); ++page) {
            const QString picture = graber.grabImage(page, 100, nullptr);
            if (QImage(picture).size() == expected)
                ++good;
        }
    };
    std::thread other(run, smallPdf, QSize(300, 400));
    run(letter, QSize(612, 792));
    other.join();
    EXPECT_EQ(good.load(), 8);
}

} // namespace
