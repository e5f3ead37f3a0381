// The page buttons and the current-page field under the preview, and the
// "Page Range" group that sets the selected row's "Selected Pages".
#include "mainwindowfixture.h"

#include "markingtranslator.h"
#include "preview/hostwindow.h"

#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

const QString kInvalid = QStringLiteral("Invalid format or out of range!");

class Pages : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        addRows({ pdf(QStringLiteral("five.pdf"), 5), pdf(QStringLiteral("two.pdf"), 2) });
        selectOnly({ 0 });
        m_window->updateUiState();
        m_curPage = child<QLineEdit>("lineEditCurPage");
        m_pages = child<QLineEdit>("lineEditPageStr");
    }

    HostWindow* preview() const { return child<HostWindow>("widgetPDFView"); }
    QString rowPages(int at = 0) const { return taskrow::pageText(row(at)); }
    void click(const char* name) const { child<QAbstractButton>(name)->click(); }

    // Types into a field that has the focus, as a user does; messages are
    // answered with OK and their texts returned.
    QStringList type(QLineEdit* field, const QString& text, bool finish)
    {
        field->setFocus();
        ModalAnswers answers({ pressButton(QStringLiteral("OK")), pressButton(QStringLiteral("OK")),
                               pressButton(QStringLiteral("OK")) });
        QTest::keyClicks(field, text);
        if (finish)
            QTest::keyClick(field, Qt::Key_Return);
        return answers.texts();
    }

    QLineEdit* m_curPage = nullptr;
    QLineEdit* m_pages = nullptr;
};

TEST_F(Pages, TheButtonsMoveThroughTheDocument)
{
    ASSERT_EQ(preview()->countPage(), 5);
    EXPECT_EQ(m_curPage->text(), QStringLiteral("1"));
    click("toolButtonNext");
    EXPECT_EQ(preview()->curPage(), 2);
    EXPECT_EQ(m_curPage->text(), QStringLiteral("2"));
    click("toolButtonLastPage");
    EXPECT_EQ(m_curPage->text(), QStringLiteral("5"));
    click("toolButtonNext");
    EXPECT_EQ(m_curPage->text(), QStringLiteral("5"));
    click("toolButtonBefore");
    EXPECT_EQ(m_curPage->text(), QStringLiteral("4"));
    click("toolButtonFirstPage");
    EXPECT_EQ(m_curPage->text(), QStringLiteral("1"));
    click("toolButtonBefore");
    EXPECT_EQ(m_curPage->text(), QStringLiteral("1"));
    // Without "Current Page" the row keeps its pages.
    EXPECT_EQ(rowPages(), QStringLiteral("All"));
}

TEST_F(Pages, WithCurrentPageChosenEveryMoveRewritesTheRow)
{
    click("toolButtonNext");
    click("radioButtonPageCur");
    EXPECT_EQ(rowPages(), QStringLiteral("2"));
    EXPECT_TRUE(m_pages->text().isEmpty());
    EXPECT_FALSE(m_pages->isEnabled());
    EXPECT_FALSE(child("labelPageTips")->isEnabled());
    click("toolButtonNext");
    EXPECT_EQ(rowPages(), QStringLiteral("3"));
    click("toolButtonLastPage");
    EXPECT_EQ(rowPages(), QStringLiteral("5"));
    EXPECT_TRUE(type(m_curPage, QStringLiteral("\b4"), true).isEmpty());
    EXPECT_EQ(preview()->curPage(), 4);
    EXPECT_EQ(rowPages(), QStringLiteral("4"));
    EXPECT_EQ(rowPages(1), QStringLiteral("All"));
}

TEST_F(Pages, TheCurrentPageFieldJumpsOrFallsBackToTheFirstPage)
{
    m_curPage->clear();
    EXPECT_TRUE(type(m_curPage, QStringLiteral("3"), true).isEmpty());
    EXPECT_EQ(preview()->curPage(), 3);
    EXPECT_EQ(m_curPage->text(), QStringLiteral("3"));

    // A letter: the message at once; leaving then goes to the first page.
    EXPECT_EQ(type(m_curPage, QStringLiteral("x"), false), QStringList{ kInvalid });
    type(m_curPage, QString(), true);
    EXPECT_EQ(preview()->curPage(), 1);
    EXPECT_EQ(m_curPage->text(), QStringLiteral("1"));

    // Beyond the last page: the same.
    m_curPage->clear();
    EXPECT_EQ(type(m_curPage, QStringLiteral("9"), true), QStringList{ kInvalid });
    EXPECT_EQ(m_curPage->text(), QStringLiteral("1"));

    // Empty: the first page, and the field says so.
    click("toolButtonLastPage");
    m_curPage->clear();
    type(m_curPage, QString(), true);
    EXPECT_EQ(preview()->curPage(), 1);
    EXPECT_EQ(m_curPage->text(), QStringLiteral("1"));
}

TEST_F(Pages, CurrentPageTextsAreDigitsWithinTheDocument)
{
    EXPECT_TRUE(m_window->isCurrentPageTextValid(QString()));
    EXPECT_TRUE(m_window->isCurrentPageTextValid(QStringLiteral("5")));
    EXPECT_TRUE(m_window->isCurrentPageTextValid(QStringLiteral("005")));
    EXPECT_FALSE(m_window->isCurrentPageTextValid(QStringLiteral("0")));
    EXPECT_FALSE(m_window->isCurrentPageTextValid(QStringLiteral("6")));
    EXPECT_FALSE(m_window->isCurrentPageTextValid(QStringLiteral("+2")));
    EXPECT_FALSE(m_window->isCurrentPageTextValid(QStringLiteral("99999999999999999999")));
    EXPECT_TRUE(m_window->isPageRangeTextValid(QStringLiteral("1,3-")));
    EXPECT_FALSE(m_window->isPageRangeTextValid(QStringLiteral("6")));
    // Nothing open: every page number is out of range.
    preview()->clearPDF();
    EXPECT_FALSE(m_window->isCurrentPageTextValid(QStringLiteral("1")));
}

TEST_F(Pages, ThePageFieldRefusesAnInvalidKeystrokeAndSetsTheRowWhenDone)
{
    click("radioButtonPageRange");
    EXPECT_TRUE(m_pages->isEnabled());
    EXPECT_TRUE(m_pages->text().isEmpty());
    EXPECT_TRUE(type(m_pages, QStringLiteral("1,3"), true).isEmpty());
    EXPECT_EQ(rowPages(), QStringLiteral("1,3"));

    // A letter and a page beyond the document are taken back at once, and
    // the row keeps its pages while the message is shown.
    EXPECT_EQ(type(m_pages, QStringLiteral("x"), false), QStringList{ kInvalid });
    EXPECT_EQ(m_pages->text(), QStringLiteral("1,3"));
    EXPECT_EQ(rowPages(), QStringLiteral("1,3"));
    EXPECT_EQ(type(m_pages, QStringLiteral("7"), false), QStringList{ kInvalid });
    EXPECT_EQ(m_pages->text(), QStringLiteral("1,3"));
    EXPECT_EQ(type(m_pages, QStringLiteral(",5-"), true), QStringList());
    EXPECT_EQ(rowPages(), QStringLiteral("1,3,5-"));

    // A text that is still not valid when editing ends is refused, and the
    // row keeps its pages.
    m_pages->setText(QStringLiteral("0"));
    EXPECT_EQ(type(m_pages, QString(), true), QStringList{ kInvalid });
    EXPECT_EQ(m_pages->text(), QStringLiteral("1,3,5-"));
    EXPECT_EQ(rowPages(), QStringLiteral("1,3,5-"));
}

// The row's own check decides when editing ends, as in the cell editor: a
// falling range passes while it is typed, and is then refused.
TEST_F(Pages, AFallingRangeIsRefusedWhenEditingEnds)
{
    click("radioButtonPageRange");
    EXPECT_EQ(type(m_pages, QStringLiteral("5-2"), true), QStringList{ kInvalid });
    EXPECT_EQ(m_pages->text(), QStringLiteral("5"));
    EXPECT_EQ(rowPages(), QStringLiteral("5"));
}

// Leaving the empty range field of a converted row that has "All" is no
// new choice of pages.
TEST_F(Pages, LeavingAnEmptyRangeKeepsAConvertedRowOfAllPagesDone)
{
    taskrow::setStatus(row(0), taskrow::StatusDone);
    click("radioButtonPageRange");
    EXPECT_TRUE(type(m_pages, QString(), true).isEmpty());
    EXPECT_EQ(taskrow::status(row(0)), int(taskrow::StatusDone));
}

TEST_F(Pages, TheRadiosSetTheRow)
{
    row(0)->setText(taskrow::ColumnSelectedPages, QStringLiteral("2-3"));
    click("radioButtonPageRange");
    EXPECT_EQ(m_pages->text(), QStringLiteral("2-3"));
    EXPECT_EQ(rowPages(), QStringLiteral("2-3"));

    click("radioButtonPageAll");
    EXPECT_EQ(m_pages->text(), QStringLiteral("All"));
    EXPECT_FALSE(m_pages->isEnabled());
    EXPECT_FALSE(child("labelPageTips")->isEnabled());
    EXPECT_EQ(rowPages(), QStringLiteral("All"));

    click("radioButtonPageRange");
    EXPECT_TRUE(m_pages->text().isEmpty());
    EXPECT_TRUE(child("labelPageTips")->isEnabled());
    EXPECT_EQ(rowPages(), QStringLiteral("All"));

    // With two rows selected nothing changes in either.
    selectOnly({ 0, 1 });
    row(0)->setText(taskrow::ColumnSelectedPages, QStringLiteral("4"));
    m_window->updateUiState();
    for (const char* radio : { "radioButtonPageAll", "radioButtonPageCur", "radioButtonPageRange" })
        QMetaObject::invokeMethod(child(radio), "clicked", Q_ARG(bool, true));
    EXPECT_EQ(rowPages(0), QStringLiteral("4"));
    EXPECT_EQ(rowPages(1), QStringLiteral("All"));
}

TEST_F(Pages, TheGroupFollowsPagesSetInTheList)
{
    row(0)->setText(taskrow::ColumnSelectedPages, QStringLiteral("all"));
    emit m_list->sglSyncListToSettings();
    EXPECT_TRUE(child<QRadioButton>("radioButtonPageAll")->isChecked());
    EXPECT_EQ(m_pages->text(), QStringLiteral("all"));
    EXPECT_FALSE(m_pages->isEnabled());

    row(0)->setText(taskrow::ColumnSelectedPages, QStringLiteral(" 2 "));
    emit m_list->sglSyncListToSettings();
    EXPECT_TRUE(child<QRadioButton>("radioButtonPageRange")->isChecked());
    EXPECT_EQ(m_pages->text(), QStringLiteral("2"));
    EXPECT_TRUE(m_pages->isEnabled());
    EXPECT_TRUE(child("labelPageTips")->isEnabled());
}

// Adding files counts their pages in the preview; afterwards the preview
// shows the selected row's file again, so "Current Page" writes a page of
// that file.
TEST_F(Pages, AfterAddingFilesThePreviewShowsTheSelectedRowAgain)
{
    ModalAnswers answers({ chooseFiles({ pdf(QStringLiteral("seven.pdf"), 7) }) });
    m_window->on_addFiles();
    ASSERT_EQ(rowCount(), 3);
    EXPECT_EQ(preview()->countPage(), 5);
    EXPECT_EQ(child<QLabel>("labelPageShow")->text(), QStringLiteral(" / 5"));
    click("radioButtonPageCur");
    click("toolButtonLastPage");
    EXPECT_EQ(rowPages(), QStringLiteral("5"));
}

TEST_F(Pages, ALanguageChangeKeepsThePageCount)
{
    m_window->retranslate();
    EXPECT_EQ(child<QLabel>("labelPageShow")->text(), QStringLiteral(" / 5"));
}

// The rows' word for every page, in another language, passes every check of
// a page list and chooses "All" in the page group.
TEST_F(Pages, TheTranslatedWordForAllPagesIsKnownEverywhere)
{
    MarkingTranslator translator("VuTreeWidget");
    QCoreApplication::installTranslator(&translator);
    m_window->retranslate();
    const QString all = rowPages();
    EXPECT_EQ(all, QStringLiteral("<All>"));
    EXPECT_TRUE(m_window->isPageRangeTextValid(all));
    selectOnly({ 1 });
    selectOnly({ 0 });
    EXPECT_TRUE(child<QRadioButton>("radioButtonPageAll")->isChecked());
    QCoreApplication::removeTranslator(&translator);
}

} // namespace
