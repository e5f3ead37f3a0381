// What the preview shows: pages fitted to the view area, drawn the right way
// up, centred on the background with their shadow, in gray too, refitted
// when the pane changes size, and the title the frame window gets.
#include "convert/logwriter.h"
#include "convert/rendercap.h"
#include "modalanswers.h"
#include "previewfixture.h"
#include "testfiles.h"

#include <QGuiApplication>

namespace {

constexpr QRgb kBackground = 0x707070;
constexpr QRgb kShadow = 0x404040;

QRgb colorAt(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// True when the larger proportion of the image fills the area, to within
// what whole dots per inch allow.
bool fills(const QSize& image, const QSize& area)
{
    const double ratio = std::max(double(image.width()) / area.width(), double(image.height()) / area.height());
    return ratio <= 1.0 && ratio > 0.95;
}

int titleResolution(const QString& title)
{
    const qsizetype open = title.lastIndexOf(QLatin1Char('('));
    const qsizetype dpi = title.lastIndexOf(QStringLiteral(" dpi)"));
    return open < 0 || dpi < open ? -1 : title.mid(open + 1, dpi - open - 1).toInt();
}

testpdf::DocSpec pageOfSize(double width, double height)
{
    testpdf::DocSpec spec;
    testpdf::PageSpec page;
    page.width = width;
    page.height = height;
    page.rects << markAt(QRectF(0, 0, width / 4, height / 4), height);
    spec.pages << page;
    return spec;
}

using PreviewRender = PreviewTest;

TEST_F(PreviewRender, ALargePageIsReducedToTheArea)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    const QSize image = imageSize();
    EXPECT_TRUE(fills(image, QSize(kHostSize, kHostSize))) << image.width() << "x" << image.height();
    // Portrait stays portrait.
    EXPECT_LT(image.width(), image.height());
    // The title names the resolution the page was drawn at.
    const int dpi = titleResolution(m_frame->windowTitle());
    EXPECT_LT(dpi, 72);
    EXPECT_NEAR(image.height(), kLetterHeight * dpi / 72, 1.0);
}

TEST_F(PreviewRender, ASmallPageIsEnlargedToTheArea)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("stamp.pdf"), pageOfSize(100, 50)), QString()));
    const QSize image = imageSize();
    EXPECT_TRUE(fills(image, QSize(kHostSize, kHostSize))) << image.width() << "x" << image.height();
    EXPECT_GT(titleResolution(m_frame->windowTitle()), 72);
    EXPECT_EQ(image.width(), kHostSize);
}

TEST_F(PreviewRender, ALandscapePageFillsTheWidth)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("wide.pdf"), pageOfSize(842, 595)), QString()));
    const QSize image = imageSize();
    EXPECT_TRUE(fills(image, QSize(kHostSize, kHostSize)));
    EXPECT_GT(image.width(), image.height());
}

TEST_F(PreviewRender, TheTopLeftCornerStaysTopLeft)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    const QImage shown = grabPreview();
    const QRect page = imageRect();
    ASSERT_FALSE(page.isEmpty());
    ASSERT_TRUE(QRect(0, 0, kHostSize, kHostSize).contains(page));
    EXPECT_TRUE(isDark(shown, page.left() + 5, page.top() + 5));
    EXPECT_TRUE(isLight(shown, page.left() + 5, page.bottom() - 5));
    EXPECT_TRUE(isLight(shown, page.right() - 5, page.top() + 5));
    EXPECT_TRUE(isLight(shown, page.right() - 5, page.bottom() - 5));
}

TEST_F(PreviewRender, ThePageSitsCentredOnTheBackgroundWithItsShadow)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    const QImage shown = grabPreview();
    const QRect page = imageRect();
    // Narrower than the pane: centred across, with background either side.
    EXPECT_EQ(page.left(), (kHostSize - page.width()) / 2);
    EXPECT_EQ(colorAt(shown, 1, kHostSize / 2), kBackground);
    EXPECT_EQ(colorAt(shown, page.left() - 1, kHostSize / 2), kBackground);
    // Two pixels of shadow right of the page, from two pixels below its top.
    EXPECT_EQ(colorAt(shown, page.right() + 1, page.top() + 10), kShadow);
    EXPECT_EQ(colorAt(shown, page.right() + 2, page.top() + 10), kShadow);
    EXPECT_EQ(colorAt(shown, page.right() + 1, page.top()), kBackground);
    EXPECT_EQ(colorAt(shown, page.right() + 3, page.top() + 10), kBackground);
}

TEST_F(PreviewRender, NothingOpenShowsOnlyTheBackground)
{
    const QImage before = grabPreview();
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    m_host->clearPDF();
    const QImage after = grabPreview();
    for (const QImage& shown : { before, after }) {
        ASSERT_EQ(shown.size(), QSize(kHostSize, kHostSize));
        for (int y = 0; y < kHostSize; y += 7) {
            for (int x = 0; x < kHostSize; x += 7)
                ASSERT_EQ(colorAt(shown, x, y), kBackground) << x << "," << y;
        }
    }
}

TEST_F(PreviewRender, AGrayPageLooksTheSame)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    pdfapp_record()->grayscale = 1;
    ASSERT_TRUE(m_host->toPage(1));
    ASSERT_EQ(fz_pixmap_components(pdfapp_record()->ctx, pdfapp_record()->image), 2);
    const QImage shown = grabPreview();
    const QRect page = imageRect();
    EXPECT_TRUE(isDark(shown, page.left() + 5, page.top() + 5));
    EXPECT_TRUE(isLight(shown, page.left() + 5, page.bottom() - 5));
    EXPECT_EQ(colorAt(shown, page.right() + 1, page.top() + 10), kShadow);
}

TEST_F(PreviewRender, OpeningStartsAgainFromTheStandardView)
{
    const QString path = markedPdf(QStringLiteral("letter.pdf"));
    ASSERT_TRUE(m_host->openPDF(path, QString()));
    const QString fresh = m_frame->windowTitle();
    const QSize freshSize = imageSize();
    pdfapp_record()->resolution = 600;
    pdfapp_record()->rotate = 90;
    ASSERT_TRUE(m_host->openPDF(path, QString()));
    EXPECT_EQ(pdfapp_record()->rotate, 0);
    EXPECT_EQ(m_frame->windowTitle(), fresh);
    EXPECT_EQ(imageSize(), freshSize);
}

TEST_F(PreviewRender, ATurnedViewDrawsThePageAcross)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    pdfapp_record()->rotate = 90;
    ASSERT_TRUE(m_host->toPage(1));
    const QSize image = imageSize();
    EXPECT_GT(image.width(), image.height());
    EXPECT_TRUE(fills(image, QSize(kHostSize, kHostSize)));
}

TEST_F(PreviewRender, ResizingThePaneRefitsThePage)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    m_host->resize(200, 300);
    EXPECT_TRUE(fills(imageSize(), QSize(200, 300))) << imageSize().width() << "x" << imageSize().height();
    EXPECT_EQ(imageRect().left(), (200 - imageSize().width()) / 2);

    // Without leave the drawn page stays as it is.
    m_host->setCanResizePreview(false);
    const QSize kept = imageSize();
    m_host->resize(380, 380);
    EXPECT_EQ(imageSize(), kept);
    EXPECT_EQ(imageRect().left(), (380 - kept.width()) / 2);
}

TEST_F(PreviewRender, AnEmptyAreaStillShowsThePage)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    pdfapp_globals()->fitw = 0;
    pdfapp_globals()->fith = 0;
    EXPECT_TRUE(m_host->toPage(1));
    EXPECT_FALSE(imageSize().isEmpty());
}

// The largest page a PDF may have, shown as it is: 200 million pixels at
// 72 dpi, so it is drawn at the largest resolution within the cap.
TEST_F(PreviewRender, AHugePageIsDrawnWithinThePixelCap)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("huge.pdf"), pageOfSize(14400, 14400)), QString()));
    pdfapp_globals()->fitw = 0;
    pdfapp_globals()->fith = 0;
    pdfapp_record()->resolution = 72;
    EXPECT_TRUE(m_host->toPage(1));
    const QSize image = imageSize();
    EXPECT_LE(qint64(image.width()) * image.height(), rendercap::kMaxPixels);
    // One dot per inch more is 200 pixels more each way.
    EXPECT_GT(qint64(image.width() + 200) * (image.height() + 200), rendercap::kMaxPixels);
    EXPECT_EQ(image.width(), image.height());
    EXPECT_LT(titleResolution(m_frame->windowTitle()), 72);
}

// A page three million points long, shown as it is, would be longer than a
// picture may be: it is drawn as long as one may be, and that is logged.
TEST_F(PreviewRender, ALongThinPageIsDrawnWithinThePicturesLongestSide)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("strip.pdf"), pageOfSize(3000000, 10)), QString()));
    pdfapp_globals()->fitw = 0;
    pdfapp_globals()->fith = 0;
    pdfapp_record()->resolution = 72;
    const qsizetype logSize = testfiles::readAll(logFilePath()).size();
    EXPECT_TRUE(m_host->toPage(1));
    EXPECT_LE(imageSize().width(), rendercap::kMaxSide);
    EXPECT_GT(imageSize().width(), 0);
    EXPECT_TRUE(testfiles::readAll(logFilePath()).mid(logSize).contains("in pdfapp_showpage"));
}

TEST_F(PreviewRender, BackTo72DpiEndsInTheFittedView)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf")), QString()));
    const QSize fitted = imageSize();
    EXPECT_TRUE(m_host->smallPage());
    EXPECT_EQ(imageSize(), fitted);
    EXPECT_TRUE(m_host->largePage());
    EXPECT_EQ(imageSize(), fitted);
}

TEST_F(PreviewRender, ALongTitleIsCutToTheWindowTextsLength)
{
    testpdf::DocSpec spec;
    spec.pages << markedPage();
    spec.title = QString(150, QChar(0x00FC)) + QString(150, QLatin1Char('t'));
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("long title.pdf"), spec), QString()));
    const QString title = m_frame->windowTitle();
    EXPECT_LE(title.toUtf8().size(), 255);
    EXPECT_TRUE(title.startsWith(QString(100, QChar(0x00FC))));
    EXPECT_TRUE(title.endsWith(QStringLiteral(" - 1/1 (%1 dpi)").arg(titleResolution(title))));
    EXPECT_FALSE(title.contains(QChar::ReplacementCharacter));
}

TEST_F(PreviewRender, NoWaitCursorIsLeftBehind)
{
    ASSERT_TRUE(m_host->openPDF(markedPdf(QStringLiteral("letter.pdf"), 2), QString()));
    ASSERT_TRUE(m_host->nextPage());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Nothing shows the outline, so not even one nested deeper than the stack
// can follow is read.
TEST_F(PreviewRender, ADeeplyNestedOutlineIsNotRead)
{
    testpdf::DocSpec spec;
    spec.pages << markedPage();
    spec.outlineDepth = 200000;
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("nested.pdf"), spec), QString()));
    EXPECT_FALSE(imageSize().isEmpty());
}

// A page tree whose count claims more pages than it holds.
TEST_F(PreviewRender, APageThatCannotBeLoadedLeavesThePreviousImage)
{
    const QString path = markedPdf(QStringLiteral("short tree.pdf"), 3);
    QByteArray bytes = testfiles::readAll(path);
    ASSERT_EQ(bytes.count("/Count 3"), 1);
    bytes.replace("/Count 3", "/Count 5");
    ASSERT_TRUE(testfiles::writeAll(path, bytes));

    ASSERT_TRUE(m_host->openPDF(path, QString()));
    ASSERT_EQ(m_host->countPage(), 5);
    const QImage before = grabPreview();
    const QSize drawn = imageSize();
    ModalAnswers none;
    EXPECT_FALSE(m_host->toPage(5));
    EXPECT_EQ(m_host->curPage(), 5);
    EXPECT_EQ(none.unexpected(), 0);
    EXPECT_EQ(imageSize(), drawn);
    EXPECT_EQ(grabPreview(), before);
    EXPECT_TRUE(m_host->toPage(2));
}

} // namespace
