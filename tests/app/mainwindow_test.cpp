// The constructed main window: the form's widgets under their object names,
// texts and tool tips, the task-list columns, the output settings read at
// construction, sizes, and the texts set again by retranslate().
#include "markingtranslator.h"
#include "app/mainwindow.h"
#include "app/vumtaskstatusdelegate.h"
#include "app/vutreewidget.h"
#include "convert/logwriter.h"
#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"
#include "preview/hostwindow.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeWidgetItem>

#include <iterator>

#include <gtest/gtest.h>

namespace {

class MainWindowForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_store.isValid());
        VuPref::setStoreFolder(m_store.path());
    }
    void TearDown() override { VuPref::setStoreFolder(QString()); }

    template <typename T = QWidget>
    static T* child(const MainWindow& window, const char* name)
    {
        return window.findChild<T*>(QLatin1String(name));
    }

    QTemporaryDir m_store;
};

struct ExpectedWidget {
    const char* name;
    const char* className;
};

const ExpectedWidget kWidgets[] = {
    {"centralwidget", "QWidget"},
    {"centerFrame", "QFrame"},
    {"toolbarFrame", "QFrame"},
    {"pushButtonAddFiles", "QPushButton"},
    {"pushButtonRemove", "QPushButton"},
    {"pushButtonClear", "QPushButton"},
    {"pushButtonEditEPUB", "QPushButton"},
    {"treeWidget", "VuTreeWidget"},
    {"outputFrame", "QFrame"},
    {"outputSettings", "QLabel"},
    {"radioButtonSameFoler", "QRadioButton"},
    {"radioButtonCustomize", "QRadioButton"},
    {"lineEditOutFolder", "VuLineEdit"},
    {"pushButtonBrowse", "QPushButton"},
    {"pushButtonOpen", "QPushButton"},
    {"pushButtonCancel", "QPushButton"},
    {"pushButtonConvert", "QPushButton"},
    {"progressBar", "QProgressBar"},
    {"rightFrame", "QFrame"},
    {"label_3", "QLabel"},
    {"scrollArea", "QScrollArea"},
    {"widgetPDFView", "HostWindow"},
    {"toolButtonFirstPage", "QToolButton"},
    {"toolButtonBefore", "QToolButton"},
    {"lineEditCurPage", "QLineEdit"},
    {"labelPageShow", "QLabel"},
    {"toolButtonNext", "QToolButton"},
    {"toolButtonLastPage", "QToolButton"},
    {"groupBoxPageRange", "QGroupBox"},
    {"radioButtonPageAll", "QRadioButton"},
    {"radioButtonPageCur", "QRadioButton"},
    {"radioButtonPageRange", "QRadioButton"},
    {"lineEditPageStr", "QLineEdit"},
    {"labelPageTips", "QLabel"},
    {"menubar", "QMenuBar"},
};

struct ExpectedText {
    const char* name;
    const char* text;
};

const ExpectedText kTexts[] = {
    {"pushButtonAddFiles", "Add File(s)"},
    {"pushButtonRemove", "Remove"},
    {"pushButtonClear", "Remove All"},
    {"pushButtonEditEPUB", "EPUB Info"},
    {"outputSettings", "Output Settings"},
    {"radioButtonSameFoler", "Save in the same folder as the original file"},
    {"radioButtonCustomize", "Customize"},
    {"pushButtonBrowse", "Browse..."},
    {"pushButtonOpen", "Open"},
    {"label_3", "Preview"},
    {"labelPageShow", " / 0"},
    {"radioButtonPageAll", "All"},
    {"radioButtonPageCur", "Current Page"},
    {"radioButtonPageRange", "Range"},
    {"labelPageTips", "Pages: e.g.(1,3,4,5-10)"},
};

const ExpectedText kToolTips[] = {
    {"pushButtonCancel", "Cancel"},
    {"pushButtonConvert", "Convert"},
    {"toolButtonFirstPage", "First Page"},
    {"toolButtonBefore", "Previous Page"},
    {"toolButtonNext", "Next Page"},
    {"toolButtonLastPage", "Last Page"},
};

const char* const kHeaders[] = {"", "File Name", "Size", "Total Pages",
                                "Conversion Mode", "Selected Pages", "Status"};
const int kWidths[] = {45, 150, 80, 110, 130, 145, 85};

// The text a widget shows: a button's or label's text, a group box's title.
QString shownText(const QWidget* widget)
{
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* box = qobject_cast<const QGroupBox*>(widget))
        return box->title();
    return QStringLiteral("(no text)");
}

QString marked(const char* text)
{
    return QStringLiteral("<") + QLatin1String(text) + QStringLiteral(">");
}

TEST_F(MainWindowForm, FormHasEveryWidgetUnderItsObjectName)
{
    MainWindow window;
    EXPECT_EQ(window.objectName(), QStringLiteral("MainWindow"));
    for (const ExpectedWidget& expected : kWidgets) {
        QWidget* widget = child(window, expected.name);
        ASSERT_NE(widget, nullptr) << expected.name;
        EXPECT_TRUE(widget->inherits(expected.className)) << expected.name;
    }
    EXPECT_EQ(window.centralWidget(), child(window, "centralwidget"));
    EXPECT_EQ(static_cast<QWidget*>(window.menuBar()), child(window, "menubar"));
    EXPECT_EQ(child(window, "widgetPDFView")->parentWidget(),
              child<QScrollArea>(window, "scrollArea")->widget());
    EXPECT_EQ(child(window, "treeWidget")->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(MainWindowForm, LayoutsHaveTheirNamesAndSpacing)
{
    MainWindow window;
    auto layout = [&](const char* name) { return window.findChild<QLayout*>(QLatin1String(name)); };
    for (const char* name :
         {"horizontalLayout_6", "verticalLayout", "verticalLayout_5", "horizontalLayout",
          "gridLayout", "gridLayout_2", "horizontalLayout_3", "horizontalLayout_2",
          "verticalLayout_2", "horizontalLayout_4", "gridLayout_4", "horizontalLayout_8",
          "horizontalLayout_5", "verticalLayout_3", "gridLayout_3"})
        ASSERT_NE(layout(name), nullptr) << name;

    EXPECT_EQ(layout("horizontalLayout_6")->parentWidget(), child(window, "centralwidget"));
    EXPECT_EQ(layout("horizontalLayout_6")->contentsMargins().right(), 9);
    EXPECT_EQ(layout("verticalLayout_5")->spacing(), 0);
    EXPECT_EQ(layout("verticalLayout_5")->contentsMargins(), QMargins(0, 0, 0, 0));
    EXPECT_EQ(layout("horizontalLayout_3")->spacing(), 12);
    EXPECT_EQ(layout("horizontalLayout_2")->contentsMargins().left(), 3);
    EXPECT_EQ(layout("verticalLayout_2")->contentsMargins(), QMargins(0, 0, 0, 0));
    EXPECT_EQ(layout("gridLayout_4")->contentsMargins(), QMargins(0, 0, 0, 0));
    EXPECT_EQ(layout("horizontalLayout_5")->spacing(), 0);

    // The output field and its buttons share one row with "Customize"; the
    // preview sits in row 0, column 0 of its grid; the page field lies in
    // row 0, column 1 and the tip below it.
    QLayout* customRow = layout("horizontalLayout_3");
    EXPECT_GE(customRow->indexOf(child(window, "radioButtonCustomize")), 0);
    EXPECT_GE(customRow->indexOf(child(window, "lineEditOutFolder")), 0);
    EXPECT_GE(customRow->indexOf(child(window, "pushButtonBrowse")), 0);
    EXPECT_GE(customRow->indexOf(child(window, "pushButtonOpen")), 0);
    auto* preview = static_cast<QGridLayout*>(layout("gridLayout_4"));
    EXPECT_EQ(preview->itemAtPosition(0, 0)->widget(), child(window, "widgetPDFView"));
    auto* range = static_cast<QGridLayout*>(layout("gridLayout_3"));
    EXPECT_EQ(range->itemAtPosition(0, 1)->widget(), child(window, "lineEditPageStr"));
    EXPECT_EQ(range->itemAtPosition(1, 1)->widget(), child(window, "labelPageTips"));
}

TEST_F(MainWindowForm, TextsAndToolTips)
{
    MainWindow window;
    for (const ExpectedText& expected : kTexts)
        EXPECT_EQ(shownText(child(window, expected.name)), QLatin1String(expected.text))
            << expected.name;
    for (const ExpectedText& expected : kToolTips) {
        QWidget* widget = child(window, expected.name);
        EXPECT_EQ(widget->toolTip(), QLatin1String(expected.text)) << expected.name;
    }
    EXPECT_TRUE(child<QAbstractButton>(window, "pushButtonCancel")->text().isEmpty());
    EXPECT_TRUE(child<QAbstractButton>(window, "pushButtonConvert")->text().isEmpty());
    EXPECT_EQ(child<QGroupBox>(window, "groupBoxPageRange")->title(), QStringLiteral("Page Range"));

    auto* curPage = child<QLineEdit>(window, "lineEditCurPage");
    EXPECT_TRUE(curPage->text().isEmpty());
    EXPECT_EQ(curPage->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_TRUE(child<QLabel>(window, "labelPageTips")->wordWrap());
}

TEST_F(MainWindowForm, TaskListColumns)
{
    MainWindow window;
    auto* list = child<VuTreeWidget>(window, "treeWidget");
    ASSERT_EQ(list->columnCount(), 7);
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(list->headerItem()->text(column), QLatin1String(kHeaders[column])) << column;

    EXPECT_TRUE(list->isColumnHidden(0));
    for (int column = 1; column < 7; ++column) {
        EXPECT_FALSE(list->isColumnHidden(column)) << column;
        EXPECT_EQ(list->columnWidth(column), kWidths[column]) << column;
    }
    // A hidden column keeps its width for when it is shown.
    list->setColumnHidden(0, false);
    EXPECT_EQ(list->columnWidth(0), kWidths[0]);

    // Only the Status column has the status painter, owned by the list.
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(list->itemDelegateForColumn(column), nullptr) << column;
    auto* painter = qobject_cast<VumTaskStatusDelegate*>(list->itemDelegateForColumn(6));
    ASSERT_NE(painter, nullptr);
    EXPECT_EQ(painter->parent(), list);

    EXPECT_EQ(list->hostWindow(), child<HostWindow>(window, "widgetPDFView"));
}

// At the default size no column passes the list's edge, with or without a
// vertical scroll bar: the last one takes what is left.
TEST_F(MainWindowForm, AtTheDefaultSizeEveryColumnShows)
{
    MainWindow window;
    window.show(true);
    auto* list = child<VuTreeWidget>(window, "treeWidget");
    for (const int rows : { 1, 60 }) {
        while (list->topLevelItemCount() < rows)
            new QTreeWidgetItem(list, { QString(), QStringLiteral("book.pdf") });
        // Lays the rows out now, with the scroll bar they need.
        list->scrollToBottom();
        QCoreApplication::processEvents();
        ASSERT_EQ(list->verticalScrollBar()->isVisible(), rows > 1);
        EXPECT_EQ(list->header()->length(), list->viewport()->width()) << rows;
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible()) << rows;
    }
}

TEST_F(MainWindowForm, StartStateOfTheControls)
{
    MainWindow window;
    window.show(true);
    auto* bar = child<QProgressBar>(window, "progressBar");
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(bar->isTextVisible());
    EXPECT_EQ(bar->alignment(), Qt::AlignCenter);
    EXPECT_EQ(bar->textDirection(), QProgressBar::TopToBottom);

    EXPECT_TRUE(child(window, "pushButtonCancel")->isHidden());
    EXPECT_FALSE(child(window, "pushButtonClear")->isEnabled());
    EXPECT_TRUE(child(window, "pushButtonConvert")->isVisible());
    EXPECT_TRUE(child(window, "pushButtonRemove")->isEnabled());
}

TEST_F(MainWindowForm, SizesAndMinimumSize)
{
    MainWindow window;
    EXPECT_EQ(window.minimumSize(), QSize(1020, 611));
    // The framed window opens at the default size.
    EXPECT_EQ(window.widgetFrame()->size(), QSize(1020, 611));
    window.show(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(1020, 611));

    EXPECT_EQ(child(window, "centralwidget")->minimumSize(), QSize(790, 590));
    QWidget* toolbar = child(window, "toolbarFrame");
    EXPECT_EQ(toolbar->minimumHeight(), 62);
    EXPECT_EQ(toolbar->maximumHeight(), 62);
    EXPECT_EQ(toolbar->height(), 62);
    QWidget* right = child(window, "rightFrame");
    EXPECT_EQ(right->minimumWidth(), 300);
    EXPECT_EQ(right->maximumWidth(), 300);
    EXPECT_EQ(right->width(), 300);
    auto* scroll = child<QScrollArea>(window, "scrollArea");
    EXPECT_EQ(scroll->minimumSize(), QSize(292, 292));
    EXPECT_EQ(scroll->maximumWidth(), 292);
    EXPECT_TRUE(scroll->widgetResizable());
    EXPECT_EQ(scroll->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(scroll->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QWidget* range = child(window, "groupBoxPageRange");
    EXPECT_EQ(range->minimumSize(), QSize(292, 160));
    EXPECT_EQ(range->maximumSize(), QSize(292, 160));
    EXPECT_EQ(child(window, "lineEditCurPage")->width(), 50);
    EXPECT_EQ(child(window, "labelPageShow")->width(), 50);

    // The window cannot be made smaller than its minimum.
    window.widgetFrame()->resize(600, 400);
    QCoreApplication::processEvents();
    EXPECT_GE(window.width(), 1020);
    EXPECT_GE(window.height(), 611);
}

TEST_F(MainWindowForm, TabOrder)
{
    MainWindow window;
    const char* const order[] = {
        "pushButtonAddFiles", "pushButtonRemove", "pushButtonClear", "pushButtonEditEPUB",
        "treeWidget", "pushButtonCancel", "pushButtonConvert", "scrollArea",
        "toolButtonFirstPage", "toolButtonBefore", "lineEditCurPage", "toolButtonNext",
        "toolButtonLastPage", "radioButtonPageAll", "radioButtonPageCur",
        "radioButtonPageRange", "lineEditPageStr"};
    // The widget that Tab reaches after w: the next in the focus chain that
    // is not part of w itself (a list's header and viewport, the preview
    // inside the scroll area).
    auto nextTabStop = [](QWidget* w) {
        QWidget* next = w->nextInFocusChain();
        while (next != w && w->isAncestorOf(next))
            next = next->nextInFocusChain();
        return next;
    };
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(nextTabStop(child(window, order[i])), child(window, order[i + 1])) << order[i];
}

TEST_F(MainWindowForm, FirstStartChoosesTheDefaultOutputFolder)
{
    // A home of the test's own, so the documents folder is new and removable.
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString output = Vu::outputPath();
    ASSERT_TRUE(output.startsWith(home.path() + QLatin1Char('/'))) << output.toStdString();
    ASSERT_FALSE(QFileInfo::exists(output));
    struct RestoreHome {
        QByteArray value;
        ~RestoreHome() { qputenv("HOME", value); }
    } restore{oldHome};

    MainWindow window;
    auto* field = child<QLineEdit>(window, "lineEditOutFolder");
    EXPECT_EQ(field->text(), output);
    EXPECT_EQ(field->cursorPosition(), 0);
    EXPECT_TRUE(QFileInfo(output).isDir());
    EXPECT_TRUE(child<QRadioButton>(window, "radioButtonCustomize")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(window, "radioButtonSameFoler")->isChecked());
    // Reading the settings stores nothing.
    EXPECT_FALSE(VuPref::contains(QStringLiteral("last_outputfile_dir")));
    EXPECT_FALSE(VuPref::contains(QStringLiteral("last_outputfile_radio")));
}

TEST_F(MainWindowForm, StoredOutputSettingsAreShown)
{
    const QString stored = QStringLiteral("/srv/books/a long folder name/that goes on and on/%2 out");
    VuPref::setValue(QStringLiteral("last_outputfile_dir"), stored);
    VuPref::setValue(QStringLiteral("last_outputfile_radio"), true);
    {
        MainWindow window;
        auto* field = child<QLineEdit>(window, "lineEditOutFolder");
        EXPECT_EQ(field->text(), stored);
        EXPECT_EQ(field->cursorPosition(), 0);
        EXPECT_TRUE(child<QRadioButton>(window, "radioButtonSameFoler")->isChecked());
        EXPECT_FALSE(child<QRadioButton>(window, "radioButtonCustomize")->isChecked());
        // The default output folder is made all the same.
        EXPECT_TRUE(QFileInfo(Vu::outputPath()).isDir());
    }
    VuPref::setValue(QStringLiteral("last_outputfile_radio"), false);
    MainWindow window;
    EXPECT_TRUE(child<QRadioButton>(window, "radioButtonCustomize")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(window, "radioButtonSameFoler")->isChecked());
}

class MainWindowRetranslate : public MainWindowForm {
protected:
    void TearDown() override
    {
        QCoreApplication::removeTranslator(&m_translator);
        MainWindowForm::TearDown();
    }

    // Installs the marking translator; the language change reaches every
    // window once the posted events are handled.
    void switchLanguage()
    {
        QCoreApplication::installTranslator(&m_translator);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    }

    MarkingTranslator m_translator;
};

TEST_F(MainWindowRetranslate, EveryTextComesBackTranslated)
{
    MainWindow window;
    switchLanguage();
    for (const ExpectedText& expected : kTexts) {
        // The page count is a number, not a word: it stays as it was.
        const bool pageCount = QByteArray(expected.name) == "labelPageShow";
        EXPECT_EQ(shownText(child(window, expected.name)),
                  pageCount ? QLatin1String(expected.text) : marked(expected.text))
            << expected.name;
    }
    for (const ExpectedText& expected : kToolTips)
        EXPECT_EQ(child(window, expected.name)->toolTip(), marked(expected.text)) << expected.name;
    EXPECT_EQ(child<QGroupBox>(window, "groupBoxPageRange")->title(), marked("Page Range"));

    auto* list = child<VuTreeWidget>(window, "treeWidget");
    EXPECT_TRUE(list->headerItem()->text(0).isEmpty());
    for (int column = 1; column < 7; ++column)
        EXPECT_EQ(list->headerItem()->text(column), marked(kHeaders[column])) << column;

    // Back to the source language.
    QCoreApplication::removeTranslator(&m_translator);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    for (const ExpectedText& expected : kTexts)
        EXPECT_EQ(shownText(child(window, expected.name)), QLatin1String(expected.text))
            << expected.name;
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("File Name"));
}

TEST_F(MainWindowRetranslate, PageFieldGetsAllOnlyWhenAllIsChosen)
{
    MainWindow window;
    auto* pages = child<QLineEdit>(window, "lineEditPageStr");
    pages->setText(QStringLiteral("1-3"));
    switchLanguage();
    EXPECT_EQ(pages->text(), QStringLiteral("1-3"));

    child<QRadioButton>(window, "radioButtonPageAll")->setChecked(true);
    window.retranslate();
    EXPECT_EQ(pages->text(), marked("All"));
}

TEST_F(MainWindowRetranslate, MissingTrayMenuIsLogged)
{
    MainWindow window;
    const QString log = logFilePath();
    ASSERT_FALSE(log.isEmpty());
    const QByteArray before = testfiles::readAll(log);
    window.retranslate();
    const QByteArray after = testfiles::readAll(log);
    ASSERT_TRUE(after.startsWith(before));
    const QList<QByteArray> lines = after.mid(before.size()).split('\n');
    // The site line, then the empty message line.
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(".\\mainwindow(")) << lines[0].constData();
    EXPECT_TRUE(lines[0].contains(": in MainWindow::retranslate : ")) << lines[0].constData();
    EXPECT_TRUE(lines[1].isEmpty());
}

} // namespace
