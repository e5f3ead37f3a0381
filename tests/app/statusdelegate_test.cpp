// The Status cell's painter: the word for each status, nothing for new, idle
// and finished rows, the progress bar with its percentage in the skin's
// colours, the selection panel underneath, and the column's minimum width.
// Cells are painted into images and read back pixel by pixel; which texts
// were drawn, and with which pen, is read from a recording paint device, so
// no check depends on the style or on how glyphs are rendered.
#include "markingtranslator.h"
#include "app/mainwindow.h"
#include "app/taskrow.h"
#include "app/vubooklinklabel.h"
#include "app/vumtaskstatusdelegate.h"
#include "paintrecorder.h"
#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuskin.h"
#include "platform/vuframe0/vuskinmanager.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTranslator>
#include <QTreeWidget>

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kDefaultBar = qRgb(0x66, 0x99, 0xff);
const QRgb kPanel = qRgb(0x12, 0x34, 0x56);

// The cell lies inside a larger image, so painting outside it shows.
const QSize kImageSize(200, 40);
const QRect kCell(40, 6, 85, 26);

// A style whose item-view panel is one flat colour, to see where a style
// drew it, and which counts how often it was asked.
class PanelStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_PanelItemViewItem) {
            ++panels;
            painter->fillRect(option->rect, QColor(kPanel));
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    mutable int panels = 0;
};

// The box around every pixel of the cell that is neither the background
// nor the bar colour: where the text's ink lies.
QRect inkBox(const QImage& image, QRgb bar = kDefaultBar)
{
    QRect box;
    for (int y = kCell.top(); y <= kCell.bottom(); ++y) {
        for (int x = kCell.left(); x <= kCell.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel != kWhite && pixel != bar)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// The ink is centred in the cell: to a pixel or two across (side bearings),
// a little more down (the line box, not the ink, is centred).
void expectCentred(const QRect& ink)
{
    ASSERT_FALSE(ink.isEmpty());
    const QPointF inkCentre = QRectF(ink).center();
    const QPointF cellCentre = QRectF(kCell).center();
    EXPECT_NEAR(inkCentre.x(), cellCentre.x(), 2.0) << "ink " << ink.x() << "+" << ink.width();
    EXPECT_NEAR(inkCentre.y(), cellCentre.y(), 3.5) << "ink " << ink.y() << "+" << ink.height();
}

int barWidthAtTop(const QImage& image, QRgb bar)
{
    int width = 0;
    while (width < kCell.width() && image.pixel(kCell.left() + width, kCell.top()) == bar)
        ++width;
    return width;
}

class StatusPainter : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_tree.setColumnCount(taskrow::kColumnCount);
        m_row = new QTreeWidgetItem(&m_tree);
    }
    void TearDown() override { VuApplication::skinManager()->changeSkin(VuSkin()); }

    QModelIndex statusIndex() const
    {
        return m_tree.model()->index(0, taskrow::ColumnStatus);
    }

    void setConverting(const QString& progress)
    {
        taskrow::setStatus(m_row, taskrow::StatusConverting);
        taskrow::setProgressText(m_row, progress);
    }

    static QStyleOptionViewItem option(QStyle::State extra = {})
    {
        QStyleOptionViewItem option;
        option.rect = kCell;
        option.state = QStyle::State_Enabled | QStyle::State_Active | extra;
        option.palette = QApplication::palette();
        option.font = QApplication::font();
        return option;
    }

    QImage paintImage(const VumTaskStatusDelegate& delegate, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const
    {
        QImage image(kImageSize, QImage::Format_RGB32);
        image.fill(kWhite);
        QPainter painter(&image);
        delegate.paint(&painter, option, index);
        return image;
    }
    QImage paintImage(QStyle::State extra = {}) const
    {
        return paintImage(m_delegate, option(extra), statusIndex());
    }

    // Paints into a recorder with the given pen set beforehand.
    void record(PaintRecorder& recorder, const QColor& pen = Qt::black) const
    {
        QPainter painter(&recorder);
        painter.setPen(pen);
        m_delegate.paint(&painter, option(), statusIndex());
        // The painter's own state comes back as it was.
        EXPECT_EQ(painter.pen().color(), pen);
    }

    QTreeWidget m_tree;
    QTreeWidgetItem* m_row = nullptr;
    VumTaskStatusDelegate m_delegate;
};

TEST_F(StatusPainter, ProgressBarCoversItsShareOfTheCellFromTheLeftEdge)
{
    setConverting(QStringLiteral("37.50"));
    const QImage image = paintImage();

    // 37.5 % of 85 pixels, truncated: 31 pixels, over the cell's full height.
    for (int x = kCell.left(); x < kCell.left() + 31; ++x) {
        EXPECT_EQ(image.pixel(x, kCell.top()), kDefaultBar) << x;
        EXPECT_EQ(image.pixel(x, kCell.bottom()), kDefaultBar) << x;
    }
    EXPECT_EQ(image.pixel(kCell.left() + 31, kCell.top()), kWhite);
    EXPECT_EQ(image.pixel(kCell.left() + 31, kCell.bottom()), kWhite);
    // Nothing outside the cell.
    for (int x = 0; x < kImageSize.width(); ++x) {
        EXPECT_EQ(image.pixel(x, kCell.top() - 1), kWhite) << x;
        EXPECT_EQ(image.pixel(x, kCell.bottom() + 1), kWhite) << x;
    }
    EXPECT_EQ(image.pixel(kCell.left() - 1, kCell.center().y()), kWhite);
    expectCentred(inkBox(image));

    PaintRecorder recorder(kImageSize);
    record(recorder);
    ASSERT_EQ(recorder.texts().size(), 1);
    EXPECT_EQ(recorder.texts().at(0).text, QStringLiteral("37%"));
    EXPECT_EQ(recorder.texts().at(0).pen, QColor(QStringLiteral("#FF3366")));
}

TEST_F(StatusPainter, ZeroProgressShowsNoBarAndTheTextInTheFontColour)
{
    setConverting(QStringLiteral("0.00"));
    const QImage image = paintImage();

    EXPECT_EQ(barWidthAtTop(image, kDefaultBar), 0);
    const QRect ink = inkBox(image);
    expectCentred(ink);
    // Every ink pixel is "#FF3366" blended with white: full red, and less
    // green than blue. Black text would be grey.
    for (int y = ink.top(); y <= ink.bottom(); ++y) {
        for (int x = ink.left(); x <= ink.right(); ++x) {
            const QColor pixel(image.pixel(x, y));
            EXPECT_GE(pixel.red(), 250) << x << "," << y;
            EXPECT_LE(pixel.green(), pixel.blue()) << x << "," << y;
        }
    }

    PaintRecorder recorder(kImageSize);
    record(recorder);
    ASSERT_EQ(recorder.texts().size(), 1);
    EXPECT_EQ(recorder.texts().at(0).text, QStringLiteral("0%"));
    EXPECT_TRUE(recorder.fills().isEmpty());
}

TEST_F(StatusPainter, PercentageIsTruncatedNotRounded)
{
    for (const auto& [progress, text, bar] : {std::make_tuple("99.99", "99%", 84),
                                              std::make_tuple("100.00", "100%", 85),
                                              std::make_tuple("1.20", "1%", 1),
                                              std::make_tuple("0.99", "0%", 0)}) {
        setConverting(QLatin1String(progress));
        EXPECT_EQ(barWidthAtTop(paintImage(), kDefaultBar), bar) << progress;
        PaintRecorder recorder(kImageSize);
        record(recorder);
        ASSERT_EQ(recorder.texts().size(), 1) << progress;
        EXPECT_EQ(recorder.texts().at(0).text, QLatin1String(text)) << progress;
    }
}

TEST_F(StatusPainter, ProgressOutsideZeroToHundredStaysInsideTheCell)
{
    for (const auto& [progress, text, bar] : {std::make_tuple("250.00", "100%", 85),
                                              std::make_tuple("1e300", "100%", 85),
                                              std::make_tuple("-20.00", "0%", 0),
                                              std::make_tuple("nan", "0%", 0),
                                              std::make_tuple("inf", "0%", 0),
                                              std::make_tuple("not a number", "0%", 0),
                                              std::make_tuple("", "0%", 0)}) {
        setConverting(QLatin1String(progress));
        const QImage image = paintImage();
        EXPECT_EQ(barWidthAtTop(image, kDefaultBar), bar) << progress;
        EXPECT_EQ(image.pixel(kCell.right() + 1, kCell.top()), kWhite) << progress;
        PaintRecorder recorder(kImageSize);
        record(recorder);
        ASSERT_EQ(recorder.texts().size(), 1) << progress;
        EXPECT_EQ(recorder.texts().at(0).text, QLatin1String(text)) << progress;
    }
    // A converting row whose progress was never written shows 0 %.
    taskrow::setStatus(m_row, taskrow::StatusConverting);
    m_row->setData(taskrow::ColumnStatus, taskrow::RoleProgress, QVariant());
    PaintRecorder recorder(kImageSize);
    record(recorder);
    ASSERT_EQ(recorder.texts().size(), 1);
    EXPECT_EQ(recorder.texts().at(0).text, QStringLiteral("0%"));
}

TEST_F(StatusPainter, SkinColoursReplaceTheDefaults)
{
    VuApplication::skinManager()->changeSkin(VuSkin(
        QStringLiteral("green"), {{QStringLiteral("processBgColor"), QStringLiteral("#00FF00")},
                                  {QStringLiteral("processFontColor"), QStringLiteral("#0000FF")}}));
    setConverting(QStringLiteral("50.00"));
    const QImage image = paintImage();

    const QRgb lime = qRgb(0, 255, 0);
    EXPECT_EQ(barWidthAtTop(image, lime), 42);
    PaintRecorder recorder(kImageSize);
    record(recorder);
    ASSERT_EQ(recorder.texts().size(), 1);
    EXPECT_EQ(recorder.texts().at(0).pen, QColor(Qt::blue));
    ASSERT_EQ(recorder.fills().size(), 1);
    EXPECT_EQ(recorder.fills().at(0).colour, QColor(lime));
    EXPECT_EQ(recorder.fills().at(0).rect, QRectF(kCell.left(), kCell.top(), 42, kCell.height()));

    // A skin that sets the colours to texts no colour can be read from gets
    // the defaults, not black.
    VuApplication::skinManager()->changeSkin(VuSkin(
        QStringLiteral("broken"), {{QStringLiteral("processBgColor"), QStringLiteral("bluish")},
                                   {QStringLiteral("processFontColor"), QStringLiteral("#12")}}));
    EXPECT_EQ(barWidthAtTop(paintImage(), kDefaultBar), 42);
    PaintRecorder broken(kImageSize);
    record(broken);
    ASSERT_EQ(broken.texts().size(), 1);
    EXPECT_EQ(broken.texts().at(0).pen, QColor(QStringLiteral("#FF3366")));
}

TEST_F(StatusPainter, EachStatusWordIsTranslatedAndCentredInThePaintersPen)
{
    struct Word {
        int status;
        const char* text;
    };
    const Word words[] = {
        {taskrow::StatusWaiting, "Waiting"}, {taskrow::StatusStop, "Stop"},
        {taskrow::StatusPause, "Pause"},     {taskrow::StatusAbort, "Abort"},
        {taskrow::StatusSkipped, "Skipped"}, {taskrow::StatusFailed, "Failed"},
    };
    for (const Word& word : words) {
        taskrow::setStatus(m_row, word.status);
        // A progress text left from an earlier run draws no bar.
        taskrow::setProgressText(m_row, QStringLiteral("80.00"));
        const QImage image = paintImage();
        EXPECT_EQ(barWidthAtTop(image, kDefaultBar), 0) << word.text;
        expectCentred(inkBox(image));

        PaintRecorder recorder(kImageSize);
        record(recorder, QColor(0x10, 0x20, 0x30));
        ASSERT_EQ(recorder.texts().size(), 1) << word.text;
        EXPECT_EQ(recorder.texts().at(0).text, QLatin1String(word.text));
        EXPECT_EQ(recorder.texts().at(0).pen, QColor(0x10, 0x20, 0x30)) << word.text;
    }

    MarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    for (const Word& word : words) {
        taskrow::setStatus(m_row, word.status);
        PaintRecorder recorder(kImageSize);
        record(recorder);
        ASSERT_EQ(recorder.texts().size(), 1) << word.text;
        EXPECT_EQ(recorder.texts().at(0).text,
                  QStringLiteral("<%1>").arg(QLatin1String(word.text)));
    }
    QCoreApplication::removeTranslator(&translator);
}

// A word wider than its cell ends in "…" and shows whole as the tooltip.
TEST_F(StatusPainter, AWordWiderThanTheCellIsCutAndShownWholeAsTooltip)
{
    taskrow::setStatus(m_row, taskrow::StatusSkipped);
    QStyleOptionViewItem narrow = option();
    narrow.rect.setWidth(20);
    PaintRecorder recorder(kImageSize);
    {
        QPainter painter(&recorder);
        m_delegate.paint(&painter, narrow, statusIndex());
    }
    ASSERT_EQ(recorder.texts().size(), 1);
    EXPECT_TRUE(recorder.texts().at(0).text.endsWith(QChar(0x2026))) << recorder.texts().at(0).text.toStdString();

    QHelpEvent tip(QEvent::ToolTip, narrow.rect.center(), m_tree.viewport()->mapToGlobal(narrow.rect.center()));
    EXPECT_TRUE(m_delegate.helpEvent(&tip, &m_tree, narrow, statusIndex()));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Skipped"));
    QToolTip::hideText();
}

// A book that could not read every page counts them in its word and names
// them, as a page list, in its tooltip.
TEST_F(StatusPainter, AnIncompleteRowCountsItsUnreadPagesAndNamesThemInItsTooltip)
{
    taskrow::setStatus(m_row, taskrow::StatusIncomplete);
    taskrow::setUnreadPages(m_row, { 5, 28, 30, 31, 32 });
    PaintRecorder recorder(kImageSize);
    record(recorder);
    ASSERT_EQ(recorder.texts().size(), 1);
    EXPECT_EQ(recorder.texts().at(0).text, QStringLiteral("Unreadable: 5"));

    const QStyleOptionViewItem cell = option();
    QHelpEvent tip(QEvent::ToolTip, cell.rect.center(), m_tree.viewport()->mapToGlobal(cell.rect.center()));
    EXPECT_TRUE(m_delegate.helpEvent(&tip, &m_tree, cell, statusIndex()));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Pages that could not be read: 5,28,30-32"));
    QToolTip::hideText();
}

// A converted row's book name does the same over the cell; its link still
// hands over the whole path.
TEST(BookLink, ANameWiderThanTheCellIsCutAndShownWholeAsTooltip)
{
    const QString name = QStringLiteral("A rather long book name & more.epub");
    VuBookLinkLabel link(QStringLiteral("/books/") + name, name);
    link.resize(85, 20);
    link.show();
    EXPECT_TRUE(link.text().contains(QChar(0x2026))) << link.text().toStdString();
    EXPECT_TRUE(link.text().contains(QStringLiteral("href=\"/books/A rather long book name &amp; more.epub\"")));
    EXPECT_EQ(link.toolTip(), name);
    link.resize(1000, 20);
    EXPECT_EQ(link.text(), QStringLiteral("<a href=\"/books/A rather long book name &amp; more.epub\">"
                                          " A rather long book name &amp; more.epub</a>"));
}

TEST_F(StatusPainter, NewIdleFinishedAndUnknownRowsShowNothing)
{
    const QImage blank = [] {
        QImage image(kImageSize, QImage::Format_RGB32);
        image.fill(kWhite);
        return image;
    }();

    // No status at all: a row never queued.
    EXPECT_EQ(paintImage(), blank);
    for (int status : {int(taskrow::StatusIdle), int(taskrow::StatusDone), 0, 1, 51, 62, -53}) {
        taskrow::setStatus(m_row, status);
        taskrow::setProgressText(m_row, QStringLiteral("50.00"));
        EXPECT_EQ(paintImage(), blank) << status;
        PaintRecorder recorder(kImageSize);
        record(recorder);
        EXPECT_EQ(recorder.drawCalls(), 0) << status;
    }
}

TEST_F(StatusPainter, InvalidIndexPaintsNothingEvenWhenSelected)
{
    PanelStyle style;
    QWidget parent;
    parent.setStyle(&style);
    const VumTaskStatusDelegate delegate(&parent);
    QImage image(kImageSize, QImage::Format_RGB32);
    image.fill(kWhite);
    const QImage blank = image;
    {
        QPainter painter(&image);
        delegate.paint(&painter, option(QStyle::State_Selected | QStyle::State_MouseOver),
                       QModelIndex());
    }
    EXPECT_EQ(image, blank);
    EXPECT_EQ(style.panels, 0);
}

TEST_F(StatusPainter, SelectedOrHoveredCellsGetTheParentStylesPanelUnderTheBar)
{
    PanelStyle style;
    QWidget parent;
    parent.setStyle(&style);
    const VumTaskStatusDelegate delegate(&parent);
    setConverting(QStringLiteral("37.50"));

    for (QStyle::State state : {QStyle::State(QStyle::State_Selected),
                                QStyle::State(QStyle::State_MouseOver)}) {
        const QImage image = paintImage(delegate, option(state), statusIndex());
        EXPECT_EQ(barWidthAtTop(image, kDefaultBar), 31);
        EXPECT_EQ(image.pixel(kCell.left() + 31, kCell.top()), kPanel);
        EXPECT_EQ(image.pixel(kCell.right(), kCell.bottom()), kPanel);
        EXPECT_EQ(image.pixel(kCell.right() + 1, kCell.top()), kWhite);
    }
    EXPECT_EQ(style.panels, 2);

    // A plain cell gets no panel: the view has drawn the row already.
    const QImage plain = paintImage(delegate, option(), statusIndex());
    EXPECT_EQ(plain.pixel(kCell.left() + 31, kCell.top()), kWhite);
    EXPECT_EQ(style.panels, 2);

    // Words get the panel too.
    taskrow::setStatus(m_row, taskrow::StatusWaiting);
    const QImage waiting = paintImage(delegate, option(QStyle::State_Selected), statusIndex());
    EXPECT_EQ(waiting.pixel(kCell.left(), kCell.top()), kPanel);
}

TEST_F(StatusPainter, WithoutAWidgetParentTheSelectionIsTheHighlightColour)
{
    QObject owner;
    const VumTaskStatusDelegate delegate(&owner);
    setConverting(QStringLiteral("37.50"));

    QStyleOptionViewItem selected = option(QStyle::State_Selected);
    const QColor highlight(0x20, 0x40, 0x60);
    selected.palette.setColor(QPalette::Active, QPalette::Highlight, highlight);
    selected.palette.setCurrentColorGroup(QPalette::Active);
    const QImage image = paintImage(delegate, selected, statusIndex());
    EXPECT_EQ(barWidthAtTop(image, kDefaultBar), 31);
    EXPECT_EQ(image.pixel(kCell.left() + 31, kCell.top()), highlight.rgb());
    EXPECT_EQ(image.pixel(kCell.right(), kCell.bottom()), highlight.rgb());
}

// Converting cells write their progress as a debug line, in a category of
// their own that is off until switched on: by default the terminal stays
// quiet.
TEST_F(StatusPainter, ConvertingCellsWriteTheirProgressToTheirDebugCategoryWhenOn)
{
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type == QtDebugMsg)
                messages << QLatin1String(context.category) + QStringLiteral(": ") + text;
        });
    setConverting(QStringLiteral("37.50"));
    paintImage();
    EXPECT_EQ(messages, QStringList());
    QLoggingCategory::setFilterRules(QStringLiteral("quireflow.status.debug=true"));
    paintImage();
    taskrow::setStatus(m_row, taskrow::StatusWaiting);
    paintImage();
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);

    EXPECT_EQ(messages, QStringList{QStringLiteral("quireflow.status: painter = 37.50")});
}

TEST_F(StatusPainter, ColumnIsAtLeastFiftyPixelsWide)
{
    EXPECT_EQ(m_delegate.sizeHint(option(), statusIndex()).width(), 50);

    // A wider standard size is kept.
    m_row->setText(taskrow::ColumnStatus, QString(40, QLatin1Char('W')));
    const QSize standard = QStyledItemDelegate().sizeHint(option(), statusIndex());
    ASSERT_GT(standard.width(), 50);
    EXPECT_EQ(m_delegate.sizeHint(option(), statusIndex()), standard);
}

// The main window installs the painter for the Status column only.
TEST(StatusColumn, MainWindowListPaintsTheBarInItsStatusColumn)
{
    QTemporaryDir store;
    ASSERT_TRUE(store.isValid());
    VuPref::setStoreFolder(store.path());
    {
        MainWindow window;
        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("treeWidget"));
        ASSERT_TRUE(list);
        EXPECT_TRUE(qobject_cast<VumTaskStatusDelegate*>(
            list->itemDelegateForColumn(taskrow::ColumnStatus)));
        for (int column = 0; column < taskrow::ColumnStatus; ++column)
            EXPECT_FALSE(qobject_cast<VumTaskStatusDelegate*>(list->itemDelegateForColumn(column)));

        auto* row = new QTreeWidgetItem(list);
        taskrow::setStatus(row, taskrow::StatusConverting);
        taskrow::setProgressText(row, QStringLiteral("50.00"));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

        const QImage image = list->viewport()->grab().toImage();
        const int left = list->header()->sectionViewportPosition(taskrow::ColumnStatus);
        const int width = list->header()->sectionSize(taskrow::ColumnStatus);
        const QRect cell = list->visualItemRect(row);
        ASSERT_GT(width, 2);
        const int bar = width / 2;
        EXPECT_EQ(image.pixel(left, cell.top()), kDefaultBar);
        EXPECT_EQ(image.pixel(left + bar - 1, cell.top()), kDefaultBar);
        EXPECT_NE(image.pixel(left + bar, cell.top()), kDefaultBar);
        // The cells before it have no bar.
        EXPECT_NE(image.pixel(left - 2, cell.top()), kDefaultBar);
    }
    VuPref::setStoreFolder(QString());
}

} // namespace
