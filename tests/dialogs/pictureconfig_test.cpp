// The Picture-mode dialog on real rendered pages: its form, the image area
// fitted to the first page, the zoom choices, the area drawn with the mouse
// and stored in page pixels at 100 %, its way back into a second showing,
// and what OK stores in every other case.
#include "dialogs/pictureconfig.h"

#include "app/taskrow.h"
#include "convert/logwriter.h"
#include "convert/pdfgraber.h"
#include "convert/rendercap.h"
#include "dialogs/vuselectarealabel.h"
#include "modalanswers.h"
#include "pdfmaker.h"
#include "testfiles.h"

#include "platform/vuframe0/vupref.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

namespace {

constexpr int kPageWidth = 612;
constexpr int kPageHeight = 792;

// A letter page rendered at 100 % is 612 x 792 pixels: proportionally wider
// than 300 x 400, so the image area is 300 wide and 388 high, and one label
// pixel stands for 612 / 300 page pixels. The 320 x 420 label centres it.
constexpr int kAreaWidth = 300;
constexpr int kAreaHeight = 388;
constexpr int kLeft = 10;
constexpr int kTop = 16;
constexpr double kScale = 612.0 / 300.0;

// The dark square on page 1, in page pixels counted from the top.
const QRect kSquare(150, 200, 100, 100);

template <typename T>
T* child(const QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QRect corners(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

testpdf::PageSpec letterPage(bool withSquare)
{
    testpdf::PageSpec page;
    if (withSquare) {
        testpdf::FilledRect fill;
        fill.rect = QRectF(kSquare.x(), kPageHeight - kSquare.y() - kSquare.height(), kSquare.width(),
                           kSquare.height());
        page.rects << fill;
    }
    return page;
}

class PictureConfig : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        testpdf::DocSpec spec;
        spec.pages << letterPage(true) << letterPage(false) << letterPage(false);
        m_pdf = writePdf(QStringLiteral("letters.pdf"), spec);
        taskrow::setPdfPath(&m_row, m_pdf);
    }

    QString writePdf(const QString& name, const testpdf::DocSpec& spec)
    {
        const QString path = m_dir.filePath(name);
        QString error;
        EXPECT_TRUE(testpdf::writePdf(path, spec, &error)) << error.toStdString();
        return path;
    }

    static vuSelectAreaLabel* label(const QWidget& dialog)
    {
        return child<vuSelectAreaLabel>(dialog, "imageBackgroud");
    }

    static int spin(const QWidget& dialog, const char* name) { return child<QSpinBox>(dialog, name)->value(); }

    static void clickOk(QWidget* dialog)
    {
        child<QDialogButtonBox>(*dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    }

    // A mouse drag on the label, as the user makes it.
    static void drag(QWidget* on, QPoint from, QPoint to)
    {
        // Qt drops a move to where the pointer already is: come from a
        // corner of the label, outside its image area.
        QTest::mouseMove(on, QPoint(1, 1));
        QTest::mouseMove(on, from);
        QTest::mousePress(on, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(on, to);
        QTest::mouseRelease(on, Qt::LeftButton, Qt::NoModifier, to);
    }

    static void typeZoom(const QWidget& dialog, const QString& text)
    {
        QLineEdit* edit = child<QComboBox>(dialog, "comboboxZoom")->lineEdit();
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    QTemporaryDir m_dir;
    QString m_pdf;
    QTreeWidgetItem m_row;
};

TEST_F(PictureConfig, FormShowsTheDocumentAndItsControls)
{
    VuPictureConfigDialog dialog(&m_row);
    EXPECT_EQ(dialog.objectName(), QStringLiteral("pictureConfigDialog"));
    // The form's own title is a placeholder; the product names the dialog.
    EXPECT_EQ(dialog.windowTitle(), VuPref::product_name());
    EXPECT_EQ(dialog.size(), QSize(700, 520));
    EXPECT_EQ(dialog.pageCount(), 3);

    EXPECT_EQ(child<QLabel>(dialog, "labelTotalPage")->text(), QStringLiteral("Total Pages: 3"));
    EXPECT_EQ(child<QLabel>(dialog, "labelCurrentPage")->text(), QStringLiteral("Select Page:"));
    EXPECT_EQ(child<QLabel>(dialog, "label_9")->text(), QStringLiteral("Output Size:"));
    EXPECT_EQ(child<QLabel>(dialog, "labelWidth")->text(), QStringLiteral("Width:"));
    EXPECT_EQ(child<QLabel>(dialog, "labelHeight")->text(), QStringLiteral("Height:"));
    EXPECT_EQ(child<QLabel>(dialog, "labelLeftMargin")->text(), QStringLiteral("Left Margin: "));
    EXPECT_EQ(child<QLabel>(dialog, "labelTopMargin")->text(), QStringLiteral("Top Margin: "));
    EXPECT_TRUE(child<QGroupBox>(dialog, "groupBox")->title().isEmpty());
    EXPECT_TRUE(label(dialog)->text().isEmpty());
    EXPECT_EQ(label(dialog)->frameShape(), QFrame::WinPanel);

    auto* page = child<QSpinBox>(dialog, "spinBoxPageNO");
    EXPECT_EQ(page->minimum(), 1);
    EXPECT_EQ(page->maximum(), 3);
    EXPECT_EQ(page->value(), 1);

    auto* zoom = child<QComboBox>(dialog, "comboboxZoom");
    EXPECT_TRUE(zoom->isEditable());
    QStringList items;
    for (int i = 0; i < zoom->count(); ++i)
        items << zoom->itemText(i);
    EXPECT_EQ(items, QStringList({"200%", "100%", "80%", "60%", "40%", "20%"}));
    // A Text-mode row (no zoom yet) opens at 100 %.
    EXPECT_EQ(zoom->currentIndex(), 1);
    EXPECT_EQ(child<QLabel>(dialog, "labelPixel")->text(), QStringLiteral("Output Pixel: 612 X 792"));

    auto* validator = qobject_cast<const QRegularExpressionValidator*>(zoom->validator());
    ASSERT_NE(validator, nullptr);
    EXPECT_EQ(validator->regularExpression().pattern(), QStringLiteral("^(\\d{1,2}%|1\\d{2}%|200%)$"));

    auto* buttons = child<QDialogButtonBox>(dialog, "buttonBox");
    EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    for (const char* name : {"verticalLayout_4", "horizontalLayout", "verticalLayout_2", "gridLayout_2",
                             "gridLayout", "verticalLayout"})
        EXPECT_NE(dialog.findChild<QLayout*>(QLatin1String(name)), nullptr) << name;

    dialog.retranslate();
    EXPECT_EQ(child<QLabel>(dialog, "labelPixel")->text(), QStringLiteral("Output Pixel:"));
    EXPECT_EQ(child<QLabel>(dialog, "labelWidth")->text(), QStringLiteral("Width: "));
    EXPECT_EQ(child<QLabel>(dialog, "labelHeight")->text(), QStringLiteral("Height: "));
}

TEST_F(PictureConfig, ImageAreaIsFittedToTheFirstPage)
{
    VuPictureConfigDialog dialog(&m_row);
    vuSelectAreaLabel* view = label(dialog);
    EXPECT_DOUBLE_EQ(dialog.scale(), kScale);
    EXPECT_EQ(view->imageArea(), QRect(kLeft, kTop, kAreaWidth, kAreaHeight));
    EXPECT_TRUE(view->hasPicture());
    // The whole image is selected, and the spin boxes show it in page pixels.
    EXPECT_EQ(view->selection(), view->imageArea());
    EXPECT_EQ(spin(dialog, "spinBoxWidth"), 612);
    EXPECT_EQ(spin(dialog, "spinBoxHeight"), kPageHeight);
    EXPECT_EQ(spin(dialog, "spinBox_left"), 0);
    EXPECT_EQ(spin(dialog, "spinBox_top"), 0);
}

TEST_F(PictureConfig, APageHigherThanFourThirdsFillsTheHeight)
{
    testpdf::DocSpec spec;
    testpdf::PageSpec tall;
    tall.width = 300;
    tall.height = 600;
    spec.pages << tall;
    QTreeWidgetItem row;
    taskrow::setPdfPath(&row, writePdf(QStringLiteral("tall.pdf"), spec));
    VuPictureConfigDialog dialog(&row);
    EXPECT_DOUBLE_EQ(dialog.scale(), 1.5);
    EXPECT_EQ(label(dialog)->imageArea(), QRect(60, 10, 200, 400));
}

// The largest page a PDF may have is shown drawn within the pixel cap, but
// measured in page pixels at 100 % as any other page.
TEST_F(PictureConfig, AHugePageIsShownWithinThePixelCap)
{
    testpdf::DocSpec spec;
    spec.pages << letterPage(false);
    spec.pages[0].width = 14400;
    spec.pages[0].height = 14400;
    taskrow::setPdfPath(&m_row, writePdf(QStringLiteral("huge.pdf"), spec));
    VuPictureConfigDialog dialog(&m_row);
    const QSize picture = QImageReader(dialog.picturePath()).size();
    EXPECT_LE(qint64(picture.width()) * picture.height(), rendercap::kMaxPixels);
    EXPECT_DOUBLE_EQ(dialog.scale(), 14400.0 / kAreaWidth);
    EXPECT_EQ(spin(dialog, "spinBoxWidth"), 14400);
}

// A page too long for a picture at 100 % is shown drawn as long as a
// picture may be, and still measured at its full size.
TEST_F(PictureConfig, ALongThinPageIsShownWithinThePicturesLongestSide)
{
    testpdf::DocSpec spec;
    spec.pages << letterPage(false);
    spec.pages[0].width = 3000000;
    spec.pages[0].height = 10;
    taskrow::setPdfPath(&m_row, writePdf(QStringLiteral("strip.pdf"), spec));
    VuPictureConfigDialog dialog(&m_row);
    const QSize picture = QImageReader(dialog.picturePath()).size();
    EXPECT_LE(picture.width(), rendercap::kMaxSide);
    EXPECT_TRUE(label(dialog)->hasPicture());
    EXPECT_EQ(spin(dialog, "spinBoxWidth"), 3000000);
}

// OK on the dialog as it opens keeps the whole page, which comes out whole
// at every zoom.
TEST_F(PictureConfig, TheDefaultAreaIsTheWholePageAtEveryZoom)
{
    VuPictureConfigDialog dialog(&m_row);
    clickOk(&dialog);
    const QRect area = taskrow::area(&m_row);
    EXPECT_EQ(area, QRect(0, 0, kPageWidth, kPageHeight));
    PDFGraber graber;
    ASSERT_TRUE(graber.open(m_pdf, QString()));
    for (const int zoom : {20, 100, 200})
        EXPECT_EQ(QImage(graber.grabImage(1, zoom, &area)).size(), QImage(graber.grabImage(1, zoom, nullptr)).size());
}

TEST_F(PictureConfig, LaterPagesKeepTheAreaAndScale)
{
    testpdf::DocSpec spec;
    testpdf::PageSpec tall;
    tall.width = 300;
    tall.height = 600;
    spec.pages << letterPage(false) << tall;
    taskrow::setPdfPath(&m_row, writePdf(QStringLiteral("mixed.pdf"), spec));
    VuPictureConfigDialog dialog(&m_row);
    child<QSpinBox>(dialog, "spinBoxPageNO")->setValue(2);
    EXPECT_TRUE(dialog.picturePath().endsWith(QStringLiteral("p-2.jpg"))) << dialog.picturePath().toStdString();
    EXPECT_EQ(QImage(dialog.picturePath()).size(), QSize(300, 600));
    EXPECT_DOUBLE_EQ(dialog.scale(), kScale);
    EXPECT_EQ(label(dialog)->imageArea(), QRect(kLeft, kTop, kAreaWidth, kAreaHeight));
}

TEST_F(PictureConfig, ShowContentRendersTheChosenPageAgain)
{
    VuPictureConfigDialog dialog(&m_row);
    const QString first = dialog.picturePath();
    ASSERT_TRUE(QFile::remove(first));
    child<QComboBox>(dialog, "comboboxZoom")->setCurrentIndex(0);
    dialog.slotShowContent();
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_DOUBLE_EQ(dialog.scale(), kScale);
    EXPECT_EQ(child<QLabel>(dialog, "labelPixel")->text(), QStringLiteral("Output Pixel: 1224 X 1584"));
}

// "Output Pixel" shows the size of the pictures the row will get: its page
// at each zoom, cut to the area drawn.
TEST_F(PictureConfig, EachZoomChoiceShowsTheSizeOfItsPictures)
{
    VuPictureConfigDialog dialog(&m_row);
    child<QSpinBox>(dialog, "spinBoxWidth")->setValue(300);
    child<QSpinBox>(dialog, "spinBoxHeight")->setValue(200);
    const QRect area(0, 0, 300, 200);
    PDFGraber graber;
    ASSERT_TRUE(graber.open(m_pdf, QString()));
    auto* zoom = child<QComboBox>(dialog, "comboboxZoom");
    const int zooms[] = {200, 100, 80, 60, 40, 20};
    for (int i = 0; i < 6; ++i) {
        zoom->setCurrentIndex(i);
        const QSize picture = QImage(graber.grabImage(1, zooms[i], &area)).size();
        EXPECT_EQ(child<QLabel>(dialog, "labelPixel")->text(),
                  QStringLiteral("Output Pixel: %1 X %2").arg(picture.width()).arg(picture.height()))
            << zooms[i];
    }
}

TEST_F(PictureConfig, EachZoomChoiceIsStored)
{
    const int zooms[] = {200, 100, 80, 60, 40, 20};
    for (int i = 0; i < 6; ++i) {
        QTreeWidgetItem row;
        taskrow::setPdfPath(&row, m_pdf);
        VuPictureConfigDialog dialog(&row);
        child<QComboBox>(dialog, "comboboxZoom")->setCurrentIndex(i);
        clickOk(&dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(taskrow::conversionZoom(&row), zooms[i]);
    }
}

// The whole way of an area: drawn with the mouse on the modal dialog, stored
// in page pixels at 100 %, read back from the row and cut out of the page by
// the page grabber as the conversion does it.
TEST_F(PictureConfig, AreaDrawnWithTheMouseIsStoredInPagePixels)
{
    VuPictureConfigDialog dialog(&m_row);
    ModalAnswers draw({[](QWidget* modal) {
        QWidget* view = label(*modal);
        // Shrink from the bottom-right corner to 150 x 194 label pixels ...
        drag(view, QPoint(kLeft + kAreaWidth - 1, kTop + kAreaHeight - 1), QPoint(kLeft + 149, kTop + 193));
        // ... and move it by its inside so that its centre is at (110, 160).
        drag(view, QPoint(60, 100), QPoint(110, 160));
        clickOk(modal);
    }});
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);

    // Left 36 - 10 = 26 and top 64 - 16 = 48 label pixels.
    EXPECT_EQ(taskrow::labelArea(&m_row), corners(36, 64, 185, 257));
    const QRect area = taskrow::area(&m_row);
    EXPECT_EQ(area, QRect(int(26 * kScale), int(48 * kScale), int(150 * kScale), int(194 * kScale)));
    EXPECT_EQ(taskrow::conversionZoom(&m_row), 100);

    PDFGraber graber;
    ASSERT_TRUE(graber.open(m_pdf, QString()));
    const QImage picture(graber.grabImage(1, 100, &area));
    ASSERT_EQ(picture.size(), area.size());
    const QPoint inSquare = kSquare.center() - area.topLeft();
    EXPECT_LT(qGray(picture.pixel(inSquare)), 64);
    EXPECT_GT(qGray(picture.pixel(kSquare.left() - area.left() - 20, kSquare.top() - area.top() - 20)), 192);
}

TEST_F(PictureConfig, ASecondShowingBringsBackTheRectangleAndTheZoom)
{
    {
        VuPictureConfigDialog first(&m_row);
        first.show();
        drag(label(first), QPoint(kLeft, kTop), QPoint(100, 120));
        child<QComboBox>(first, "comboboxZoom")->setCurrentIndex(4);
        clickOk(&first);
    }
    const QRect labelArea = taskrow::labelArea(&m_row);
    const QRect area = taskrow::area(&m_row);
    ASSERT_EQ(labelArea, corners(100, 120, kLeft + kAreaWidth - 1, kTop + kAreaHeight - 1));
    ASSERT_EQ(taskrow::conversionZoom(&m_row), 40);

    VuPictureConfigDialog second(&m_row);
    EXPECT_EQ(label(second)->selection(), labelArea);
    EXPECT_EQ(child<QComboBox>(second, "comboboxZoom")->currentIndex(), 4);
    EXPECT_EQ(spin(second, "spinBox_left"), area.left());
    EXPECT_EQ(spin(second, "spinBox_top"), area.top());
    EXPECT_EQ(spin(second, "spinBoxWidth"), area.width());
    EXPECT_EQ(spin(second, "spinBoxHeight"), area.height());
    // OK without a change keeps the row's area rather than the whole page.
    clickOk(&second);
    EXPECT_EQ(taskrow::area(&m_row), area);
    EXPECT_EQ(taskrow::labelArea(&m_row), labelArea);
}

TEST_F(PictureConfig, StoredZoomSelectsItsItemOrIsShownAsTyped)
{
    const struct {
        int stored;
        int index;
        const char* text;
    } cases[] = {{200, 0, "200%"}, {100, 1, "100%"}, {0, 1, "100%"}, {80, 2, "80%"},
                 {60, 3, "60%"},   {40, 4, "40%"},   {20, 5, "20%"},  {150, 0, "150%"}};
    for (const auto& c : cases) {
        taskrow::setConversionZoom(&m_row, c.stored);
        VuPictureConfigDialog dialog(&m_row);
        auto* zoom = child<QComboBox>(dialog, "comboboxZoom");
        EXPECT_EQ(zoom->currentIndex(), c.index) << c.stored;
        EXPECT_EQ(zoom->currentText(), QString::fromLatin1(c.text)) << c.stored;
    }
}

TEST_F(PictureConfig, TypedZoomIsStoredAndTheValidatorLimitsIt)
{
    VuPictureConfigDialog dialog(&m_row);
    dialog.show();
    typeZoom(dialog, QStringLiteral("201%"));
    EXPECT_EQ(child<QComboBox>(dialog, "comboboxZoom")->currentText(), QStringLiteral("20%"));
    typeZoom(dialog, QStringLiteral("150%"));
    EXPECT_EQ(child<QComboBox>(dialog, "comboboxZoom")->currentText(), QStringLiteral("150%"));
    clickOk(&dialog);
    EXPECT_EQ(taskrow::conversionZoom(&m_row), 150);
}

// Zoom 0 would make the row convert as Text while it shows "Picture".
TEST_F(PictureConfig, AZoomOfNothingStoresTheUsualHundred)
{
    for (const char* typed : {"0%", "00%", "", "7"}) {
        QTreeWidgetItem row;
        taskrow::setPdfPath(&row, m_pdf);
        VuPictureConfigDialog dialog(&row);
        dialog.show();
        typeZoom(dialog, QString::fromLatin1(typed));
        clickOk(&dialog);
        EXPECT_EQ(taskrow::conversionZoom(&row), QByteArray(typed) == "7" ? 7 : 100) << typed;
    }
}

TEST_F(PictureConfig, CancelStoresNothing)
{
    VuPictureConfigDialog dialog(&m_row);
    ModalAnswers cancel({[](QWidget* modal) {
        drag(label(*modal), QPoint(kLeft, kTop), QPoint(100, 120));
        child<QComboBox>(*modal, "comboboxZoom")->setCurrentIndex(0);
        child<QDialogButtonBox>(*modal, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
    }});
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(m_row.data(6, 0x4c).isValid());
    EXPECT_FALSE(m_row.data(6, 0x4d).isValid());
    EXPECT_FALSE(m_row.data(6, 0x4e).isValid());
}

TEST_F(PictureConfig, SpinBoxEditsMoveTheRectangleAndOkStoresThem)
{
    VuPictureConfigDialog dialog(&m_row);
    child<QSpinBox>(dialog, "spinBoxWidth")->setValue(300);
    child<QSpinBox>(dialog, "spinBoxHeight")->setValue(200);
    child<QSpinBox>(dialog, "spinBox_left")->setValue(100);
    child<QSpinBox>(dialog, "spinBox_top")->setValue(50);
    const int w = int(300 / kScale);
    const int h = int(200 / kScale);
    const int x = kLeft + int(100 / kScale);
    const int y = kTop + int(50 / kScale);
    EXPECT_EQ(label(dialog)->selection(), QRect(x, y, w, h));
    clickOk(&dialog);
    EXPECT_EQ(taskrow::area(&m_row), QRect(100, 50, 300, 200));
    EXPECT_EQ(taskrow::labelArea(&m_row), QRect(x, y, w, h));
}

TEST_F(PictureConfig, AWiderSelectionPullsItsMarginBackIntoTheImage)
{
    VuPictureConfigDialog dialog(&m_row);
    child<QSpinBox>(dialog, "spinBoxWidth")->setValue(300);
    child<QSpinBox>(dialog, "spinBox_left")->setValue(250);
    child<QSpinBox>(dialog, "spinBoxWidth")->setValue(612);
    EXPECT_EQ(spin(dialog, "spinBox_left"), 0);
    EXPECT_EQ(label(dialog)->selection().left(), kLeft);
    EXPECT_EQ(label(dialog)->selection().right(), kLeft + kAreaWidth - 1);
}

TEST_F(PictureConfig, AnInsideOutRectangleIsStoredAsDrawn)
{
    VuPictureConfigDialog dialog(&m_row);
    dialog.show();
    const int midY = kTop + kAreaHeight / 2;
    drag(label(dialog), QPoint(kLeft + kAreaWidth - 1, midY), QPoint(100, midY));
    drag(label(dialog), QPoint(kLeft, midY), QPoint(150, midY));
    ASSERT_GT(label(dialog)->selection().left(), label(dialog)->selection().right());
    // On screen the rectangle spans columns 100 to 150.
    EXPECT_EQ(spin(dialog, "spinBox_left"), int(90 * kScale));
    EXPECT_EQ(spin(dialog, "spinBoxWidth"), int(51 * kScale));
    clickOk(&dialog);
    EXPECT_EQ(taskrow::area(&m_row).left(), int(90 * kScale));
    EXPECT_EQ(taskrow::area(&m_row).width(), int(51 * kScale));
    EXPECT_EQ(taskrow::labelArea(&m_row).left(), 100);
    EXPECT_EQ(taskrow::labelArea(&m_row).right(), 150);
}

TEST_F(PictureConfig, AnEmptyAreaStoresTheWholePageAndTheZoom)
{
    VuPictureConfigDialog dialog(&m_row);
    child<QSpinBox>(dialog, "spinBoxWidth")->setValue(0);
    clickOk(&dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(taskrow::area(&m_row), QRect(0, 0, kPageWidth, kPageHeight));
    EXPECT_FALSE(m_row.data(6, 0x4d).isValid());
    EXPECT_EQ(taskrow::conversionZoom(&m_row), 100);
}

TEST_F(PictureConfig, APasswordProtectedDocumentOpensWithTheRowsPassword)
{
    testpdf::DocSpec spec;
    spec.pages << letterPage(false) << letterPage(false);
    spec.userPassword = QStringLiteral("sesame");
    taskrow::setPdfPath(&m_row, writePdf(QStringLiteral("locked.pdf"), spec));
    taskrow::setPassword(&m_row, QStringLiteral("sesame"));
    VuPictureConfigDialog dialog(&m_row);
    EXPECT_EQ(dialog.pageCount(), 2);
    EXPECT_TRUE(label(dialog)->hasPicture());
}

TEST_F(PictureConfig, ANamedPipeInThePdfsPlaceIsNotOpened)
{
    const QString path = m_dir.filePath(QStringLiteral("pipe.pdf"));
    testfiles::Fifo pipe(path);
    ASSERT_TRUE(pipe.isValid());
    taskrow::setPdfPath(&m_row, path);
    VuPictureConfigDialog dialog(&m_row);
    EXPECT_EQ(dialog.pageCount(), 0);
    EXPECT_FALSE(pipe.wasOpened());
}

TEST_F(PictureConfig, ADocumentThatDoesNotOpenCannotBeConfirmed)
{
    taskrow::setPdfPath(&m_row, m_dir.filePath(QStringLiteral("missing.pdf")));
    VuPictureConfigDialog dialog(&m_row);
    EXPECT_EQ(dialog.pageCount(), 0);
    EXPECT_EQ(child<QLabel>(dialog, "labelTotalPage")->text(), QStringLiteral("Total Pages: 0"));
    EXPECT_FALSE(label(dialog)->hasPicture());
    EXPECT_TRUE(testfiles::readAll(logFilePath())
                    .contains(".\\pictureConfig(109): in VuPictureConfigDialog::browserPage"));

    // Without a page there is no scale: the spin boxes move nothing.
    const QRect before = label(dialog)->selection();
    child<QSpinBox>(dialog, "spinBox_left")->setValue(40);
    child<QSpinBox>(dialog, "spinBoxWidth")->setValue(40);
    EXPECT_EQ(label(dialog)->selection(), before);

    QStringList messages;
    bool stayedOpen = false;
    ModalAnswers ok({[&](QWidget* modal) {
        // The refusal opens inside this answer: answered by its own timer.
        ModalAnswers box({pressButton(QStringLiteral("OK"))});
        clickOk(modal);
        messages = box.texts();
        stayedOpen = modal->isVisible();
        modal->close();
    }});
    dialog.exec();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Page number is invalid!")});
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(m_row.data(6, 0x4c).isValid());
    EXPECT_FALSE(m_row.data(6, 0x4e).isValid());
}

} // namespace
