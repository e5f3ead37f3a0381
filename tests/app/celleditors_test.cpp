// The cell editors of the task list: placed over the hovered cell, the page
// text checked at every keystroke and strictly at the end, the picked hint
// and "All", converted rows, the drop-down list's place, the mode editor's
// choices, and editors whose row left the list.
#include "app/vupageeditorcombobox.h"
#include "app/vutransitmodecombobox.h"
#include "modalanswers.h"
#include "tasklistfixture.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kInvalidPages = QStringLiteral("Invalid format or out of range!");

class CellEditorTest : public TaskListTest {
protected:
    void SetUp() override
    {
        TaskListTest::SetUp();
        m_pages = m_list->findChild<VuPageEditorCombobox*>(QStringLiteral("item_combox"));
        m_modes = m_list->findChild<VuTransitModeComboBox*>(QStringLiteral("item_combobox_mode_selector"));
        ASSERT_TRUE(m_pages);
        ASSERT_TRUE(m_modes);
    }

    // The editor's place in the coordinates of the list's viewport, where
    // the cells lie.
    QRect inViewport(const QWidget* editor) const
    {
        return QRect(m_list->viewport()->mapFromGlobal(editor->mapToGlobal(QPoint())), editor->size());
    }

    QRect cellRect(QTreeWidgetItem* item, int column) const
    {
        return m_list->visualRect(m_list->indexFromItem(item, column));
    }

    void type(const QString& keys) const
    {
        for (const QChar key : keys)
            QTest::keyClick(m_pages->lineEdit(), key.toLatin1());
    }

    // Opens the editor's list, moves to the item and presses Return, as the
    // user picks one with the keyboard.
    static void pick(QComboBox* editor, int index)
    {
        editor->showPopup();
        QAbstractItemView* list = editor->view();
        list->setCurrentIndex(list->model()->index(index, 0));
        QTest::keyClick(list, Qt::Key_Return);
    }

    // Opens the editor's list and clicks the item. The list ignores a click
    // that follows its last closing too closely (a double click), so only
    // one click per test.
    static void clickItem(QComboBox* editor, int index)
    {
        editor->showPopup();
        QAbstractItemView* list = editor->view();
        const QRect item = list->visualRect(list->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
    }

    static void loseFocus(QWidget* editor, Qt::FocusReason reason)
    {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(editor, &out);
    }

    QString pagesOf(int at) const { return row(at)->text(taskrow::ColumnSelectedPages); }

    VuPageEditorCombobox* m_pages = nullptr;
    VuTransitModeComboBox* m_modes = nullptr;
};

using CellEditorPlacement = CellEditorTest;

TEST_F(CellEditorPlacement, TheEditorsFollowThePointerOverTheirCells)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") }, 10);
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral("2-4"));
    EXPECT_FALSE(m_pages->isVisible());
    EXPECT_FALSE(m_modes->isVisible());

    hover(row(1), taskrow::ColumnSelectedPages);
    EXPECT_TRUE(m_pages->isVisible());
    EXPECT_FALSE(m_modes->isVisible());
    EXPECT_EQ(inViewport(m_pages), cellRect(row(1), taskrow::ColumnSelectedPages));
    EXPECT_EQ(m_pages->row(), row(1));
    EXPECT_EQ(m_pages->currentText(), QStringLiteral("2-4"));
    EXPECT_EQ(m_pages->lineEdit()->selectedText(), QStringLiteral("2-4"));
    EXPECT_EQ(m_pages->itemData(0, VuPageEditorCombobox::kPageCountRole).toString(), QStringLiteral("10"));
    EXPECT_TRUE(m_pages->lineEdit()->hasFocus());
    EXPECT_EQ(pagesOf(1), QStringLiteral("2-4"));

    taskrow::setConversionZoom(row(0), 80);
    row(0)->setText(taskrow::ColumnMode, QStringLiteral("Picture"));
    hover(row(0), taskrow::ColumnMode);
    EXPECT_FALSE(m_pages->isVisible());
    EXPECT_TRUE(m_modes->isVisible());
    EXPECT_EQ(inViewport(m_modes), cellRect(row(0), taskrow::ColumnMode));
    EXPECT_EQ(m_modes->row(), row(0));
    EXPECT_EQ(m_modes->currentIndex(), 1);
    hover(row(1), taskrow::ColumnMode);
    EXPECT_EQ(m_modes->currentIndex(), 0);
    EXPECT_EQ(taskrow::conversionZoom(row(0)), 80);

    hover(row(1), taskrow::ColumnFileName);
    EXPECT_FALSE(m_pages->isVisible());
    EXPECT_FALSE(m_modes->isVisible());
}

// The row being edited is the selected one; an open editor stays over its
// cell when the list scrolls sideways.
TEST_F(CellEditorPlacement, AClickedEditorSelectsItsRowAndMovesWithItsCell)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") });
    hover(row(1), taskrow::ColumnSelectedPages);
    QTest::mouseClick(m_pages->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(m_list->selectedItems(), QList<QTreeWidgetItem*>{ row(1) });

    hover(row(0), taskrow::ColumnMode);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), m_modes->mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_modes, &press);
    m_modes->hidePopup();
    EXPECT_EQ(m_list->selectedItems(), QList<QTreeWidgetItem*>{ row(0) });

    m_list->setColumnWidth(taskrow::ColumnFileName, 600);
    QCoreApplication::processEvents();
    m_list->horizontalScrollBar()->setValue(200);
    EXPECT_EQ(inViewport(m_modes), cellRect(row(0), taskrow::ColumnMode));
}

TEST_F(CellEditorPlacement, NoEditorShowsWhileEditingIsOff)
{
    addRows({ QStringLiteral("a.pdf") });
    hover(row(0), taskrow::ColumnSelectedPages);
    ASSERT_TRUE(m_pages->isVisible());
    // A run starts while the editor still lies over the row.
    m_list->setEditorsEnabled(false);
    EXPECT_FALSE(m_pages->isVisible());
    hover(row(0), taskrow::ColumnSelectedPages);
    hover(row(0), taskrow::ColumnMode);
    EXPECT_FALSE(m_pages->isVisible());
    EXPECT_FALSE(m_modes->isVisible());
    m_list->setEditorsEnabled(true);
    hover(row(0), taskrow::ColumnMode);
    EXPECT_TRUE(m_modes->isVisible());
}

TEST_F(CellEditorPlacement, TheModeEditorHidesWhenThePointerLeavesIt)
{
    addRows({ QStringLiteral("a.pdf") });
    hover(row(0), taskrow::ColumnMode);
    ASSERT_TRUE(m_modes->isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_modes, &leave);
    EXPECT_FALSE(m_modes->isVisible());
}

// The list opens right under the editor, at least 40 pixels high and tall
// enough that both items show without scrolling.
TEST_F(CellEditorPlacement, TheDropDownListOpensUnderTheEditorWideAndTallEnough)
{
    const auto expectOpenUnder = [](QComboBox* editor, int width) {
        editor->showPopup();
        QAbstractItemView* list = editor->view();
        QWidget* container = list->parentWidget();
        ASSERT_TRUE(container->isVisible());
        const QPoint corner = editor->mapToGlobal(QPoint(0, editor->height()));
        EXPECT_EQ(container->geometry().topLeft(), corner);
        EXPECT_EQ(container->width(), width);
        EXPECT_GE(container->height(), 40);
        // Rows may be wider than the list; their whole height shows.
        for (int item = 0; item < editor->count(); ++item) {
            const QRect shown = list->visualRect(list->model()->index(item, 0));
            EXPECT_GE(shown.top(), 0) << item;
            EXPECT_LE(shown.bottom(), list->viewport()->rect().bottom()) << item;
        }
        editor->hidePopup();
    };
    addRows({ QStringLiteral("a.pdf") });
    m_list->setColumnWidth(taskrow::ColumnSelectedPages, 60);
    hover(row(0), taskrow::ColumnSelectedPages);
    expectOpenUnder(m_pages, 140);

    hover(row(0), taskrow::ColumnMode);
    ASSERT_GT(m_modes->width(), 100);
    expectOpenUnder(m_modes, m_modes->width());
}

using PageEditor = CellEditorTest;

TEST_F(PageEditor, EveryAcceptedKeystrokeIsWrittenToTheRow)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") }, 10);
    QSignalSpy synced(m_list, &VuTreeWidget::sglSyncListToSettings);
    hover(row(1), taskrow::ColumnSelectedPages);
    ModalAnswers none;
    QStringList seen;
    for (const char key : { '1', ',', '3' }) {
        QTest::keyClick(m_pages->lineEdit(), key);
        seen << pagesOf(1);
    }
    EXPECT_EQ(seen, QStringList({ QStringLiteral("1"), QStringLiteral("1,"), QStringLiteral("1,3") }));
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    EXPECT_EQ(synced.count(), 3);
    EXPECT_EQ(m_list->currentItem(), row(1));
    EXPECT_EQ(pagesOf(0), QStringLiteral("All"));
}

TEST_F(PageEditor, AKeystrokeThatSpoilsTheTextIsTakenBack)
{
    addRows({ QStringLiteral("a.pdf") }, 10);
    hover(row(0), taskrow::ColumnSelectedPages);
    type(QStringLiteral("1,3"));
    ModalAnswers answers({ pressButton(QStringLiteral("OK")), pressButton(QStringLiteral("OK")) });
    type(QStringLiteral("x"));
    EXPECT_EQ(m_pages->currentText(), QStringLiteral("1,3"));
    // Page 31 lies beyond the ten pages.
    type(QStringLiteral("1"));
    EXPECT_EQ(m_pages->currentText(), QStringLiteral("1,3"));
    EXPECT_EQ(answers.texts(), QStringList({ kInvalidPages, kInvalidPages }));
    EXPECT_EQ(answers.titles().value(0), VuPref::product_name());
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(pagesOf(0), QStringLiteral("1,3"));
}

TEST_F(PageEditor, EnterChecksTheOrderOfARange)
{
    addRows({ QStringLiteral("a.pdf") }, 10);
    hover(row(0), taskrow::ColumnSelectedPages);
    {
        ModalAnswers none;
        type(QStringLiteral("3-3"));
        QTest::keyClick(m_pages, Qt::Key_Return);
        EXPECT_EQ(none.answered() + none.unexpected(), 0);
        EXPECT_EQ(pagesOf(0), QStringLiteral("3-3"));
        m_pages->lineEdit()->selectAll();
        type(QStringLiteral("5-1"));
        EXPECT_EQ(none.answered() + none.unexpected(), 0);
        // The row takes only what names typed pages it can convert.
        EXPECT_EQ(pagesOf(0), QStringLiteral("5"));
    }
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    QTest::keyClick(m_pages, Qt::Key_Return);
    EXPECT_EQ(answers.texts(), QStringList({ kInvalidPages }));
    EXPECT_EQ(answers.unexpected(), 0);
    // Field and row agree on the last text that passed, never on "5-",
    // which would run to the last page.
    EXPECT_EQ(m_pages->currentText(), QStringLiteral("5"));
    EXPECT_EQ(pagesOf(0), QStringLiteral("5"));
    // Enter offers no new item in the list.
    EXPECT_EQ(m_pages->count(), 2);

    ModalAnswers none;
    type(QStringLiteral("-7"));
    QTest::keyClick(m_pages, Qt::Key_Enter);
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    EXPECT_EQ(pagesOf(0), QStringLiteral("5-7"));
    EXPECT_EQ(m_pages->count(), 2);
}

TEST_F(PageEditor, OnlyAClickElsewhereChecksStrictlyOnLeaving)
{
    addRows({ QStringLiteral("a.pdf") }, 10);
    hover(row(0), taskrow::ColumnSelectedPages);
    type(QStringLiteral("9-2"));
    {
        // Leaving with Tab checks nothing, but the row never took "9-2".
        ModalAnswers none;
        loseFocus(m_pages, Qt::TabFocusReason);
        EXPECT_EQ(none.answered() + none.unexpected(), 0);
        EXPECT_EQ(pagesOf(0), QStringLiteral("9"));
    }
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    loseFocus(m_pages, Qt::MouseFocusReason);
    EXPECT_EQ(answers.texts(), QStringList({ kInvalidPages }));
    EXPECT_EQ(pagesOf(0), QStringLiteral("9"));
}

TEST_F(PageEditor, EscapeTakesBackTheTyping)
{
    addRows({ QStringLiteral("a.pdf") }, 10);
    row(0)->setText(taskrow::ColumnSelectedPages, QStringLiteral("4"));
    hover(row(0), taskrow::ColumnSelectedPages);
    type(QStringLiteral("2,"));
    ASSERT_EQ(pagesOf(0), QStringLiteral("2,"));
    QTest::keyClick(m_pages, Qt::Key_Escape);
    EXPECT_EQ(m_pages->currentText(), QStringLiteral("4"));
    EXPECT_EQ(pagesOf(0), QStringLiteral("4"));
}

TEST_F(PageEditor, PickingTheHintStartsAtPageOneAndAllMeansEveryPage)
{
    addRows({ QStringLiteral("a.pdf") }, 10);
    hover(row(0), taskrow::ColumnSelectedPages);
    ModalAnswers none;
    clickItem(m_pages, 1);
    EXPECT_FALSE(m_pages->view()->isVisible());
    EXPECT_EQ(m_pages->currentText(), QStringLiteral("1"));
    EXPECT_EQ(pagesOf(0), QStringLiteral("1"));
    pick(m_pages, 0);
    EXPECT_EQ(pagesOf(0), QStringLiteral("All"));
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
}

TEST_F(PageEditor, ARowWithoutAcceptedPasswordTakesNoPageList)
{
    const QString locked = pdf(QStringLiteral("locked.pdf"), 3, QStringLiteral("pw"));
    {
        ModalAnswers answers({ pressButton(QStringLiteral("Cancel")) });
        m_list->addToTable({ locked });
    }
    ASSERT_EQ(rowCount(), 1);
    hover(row(0), taskrow::ColumnSelectedPages);
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    pick(m_pages, 1);
    EXPECT_EQ(answers.texts(), QStringList({ kInvalidPages }));
    EXPECT_EQ(m_pages->currentText(), QStringLiteral("All"));
    EXPECT_EQ(pagesOf(0), QStringLiteral("All"));
}

TEST_F(PageEditor, NewPagesOfAConvertedRowClearItsStatus)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") }, 10);
    taskrow::setStatus(row(0), taskrow::StatusDone);
    taskrow::setStatus(row(1), taskrow::StatusDone);
    taskrow::setStatus(row(2), taskrow::StatusIncomplete);

    // Passing over a converted row and clicking elsewhere is no new choice.
    hover(row(1), taskrow::ColumnSelectedPages);
    loseFocus(m_pages, Qt::MouseFocusReason);
    EXPECT_EQ(taskrow::status(row(1)), int(taskrow::StatusDone));

    // A book with unreadable pages is a converted row too.
    for (const int at : { 0, 2 }) {
        hover(row(at), taskrow::ColumnSelectedPages);
        type(QStringLiteral("2"));
        EXPECT_EQ(pagesOf(at), QStringLiteral("2"));
        EXPECT_EQ(taskrow::status(row(at)), int(taskrow::StatusIdle));
    }
    EXPECT_EQ(taskrow::status(row(1)), int(taskrow::StatusDone));
}

using ModeEditor = CellEditorTest;

TEST_F(ModeEditor, ChoosingTextKeepsThePictureArea)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") });
    taskrow::setConversionZoom(row(1), 60);
    taskrow::setArea(row(1), QRect(10, 20, 300, 400));
    row(1)->setText(taskrow::ColumnMode, QStringLiteral("Picture"));
    hover(row(1), taskrow::ColumnMode);
    ModalAnswers none;
    pick(m_modes, 0);
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    EXPECT_EQ(row(1)->text(taskrow::ColumnMode), QStringLiteral("Text"));
    EXPECT_EQ(taskrow::conversionZoom(row(1)), 0);
    EXPECT_EQ(taskrow::area(row(1)), QRect(10, 20, 300, 400));
    EXPECT_EQ(m_list->currentItem(), row(1));
}

TEST_F(ModeEditor, PictureOnATextRowCancelledStaysText)
{
    addRows({ QStringLiteral("a.pdf") });
    hover(row(0), taskrow::ColumnMode);
    QWidget* dialogParent = m_list;
    ModalAnswers answers({ [&dialogParent](QWidget* window) {
        dialogParent = window->parentWidget();
        pressButton(QStringLiteral("Cancel"))(window);
    } });
    pick(m_modes, 1);
    EXPECT_EQ(answers.answered(), 1);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(dialogParent, nullptr);
    EXPECT_FALSE(m_modes->isVisible());
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QStringLiteral("Text"));
    EXPECT_EQ(m_modes->currentIndex(), 0);
    EXPECT_FALSE(taskrow::conversionZoom(row(0)));
}

TEST_F(ModeEditor, PictureConfirmedStoresTheZoomAndAreaAndOpensAgainLater)
{
    addRows({ QStringLiteral("a.pdf") });
    hover(row(0), taskrow::ColumnMode);
    {
        ModalAnswers answers({ [](QWidget* window) {
            if (auto* zoom = window->findChild<QComboBox*>(QStringLiteral("comboboxZoom")))
                zoom->setCurrentIndex(zoom->findText(QStringLiteral("60%")));
            pressButton(QStringLiteral("OK"))(window);
        } });
        pick(m_modes, 1);
        EXPECT_EQ(answers.answered(), 1);
        EXPECT_EQ(answers.unexpected(), 0);
    }
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QStringLiteral("Picture"));
    EXPECT_EQ(taskrow::conversionZoom(row(0)), 60);
    const QRect area = taskrow::area(row(0));
    EXPECT_FALSE(area.isEmpty());

    // Picture again on a Picture row: the dialog comes back; cancelled, the
    // row keeps its settings.
    hover(row(0), taskrow::ColumnMode);
    ASSERT_EQ(m_modes->currentIndex(), 1);
    ModalAnswers answers({ pressButton(QStringLiteral("Cancel")) });
    pick(m_modes, 1);
    EXPECT_EQ(answers.answered(), 1);
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QStringLiteral("Picture"));
    EXPECT_EQ(taskrow::conversionZoom(row(0)), 60);
    EXPECT_EQ(taskrow::area(row(0)), area);
}

TEST_F(ModeEditor, LeavingAnUnchangedModeChangesNothing)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") });
    taskrow::setConversionZoom(row(0), 60);
    row(0)->setText(taskrow::ColumnMode, QStringLiteral("Picture"));
    // The editor has the focus from an earlier choice and moves on.
    m_modes->setFocus(Qt::OtherFocusReason);
    hover(row(1), taskrow::ColumnMode);
    hover(row(0), taskrow::ColumnMode);
    ModalAnswers none;
    loseFocus(m_modes, Qt::MouseFocusReason);
    QTest::keyClick(m_modes, Qt::Key_Return);
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    EXPECT_EQ(taskrow::conversionZoom(row(0)), 60);
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QStringLiteral("Picture"));
    EXPECT_EQ(m_list->currentItem(), nullptr);
}

TEST_F(ModeEditor, EnterConfirmsTheShownModeOfARowWithoutOne)
{
    VuPref::setValue(QStringLiteral("selected_mode"), 5);
    addRows({ QStringLiteral("a.pdf") });
    ASSERT_EQ(row(0)->text(taskrow::ColumnMode), QString());
    hover(row(0), taskrow::ColumnMode);
    QTest::keyClick(m_modes, Qt::Key_Return);
    EXPECT_EQ(row(0)->text(taskrow::ColumnMode), QStringLiteral("Text"));
    EXPECT_EQ(taskrow::conversionZoom(row(0)), 0);
}

using EditorRows = CellEditorTest;

TEST_F(EditorRows, AnEditorWritesNothingOnceItsRowIsGone)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") }, 10);
    hover(row(0), taskrow::ColumnSelectedPages);
    ASSERT_EQ(m_pages->row(), row(0));
    delete row(0);
    EXPECT_FALSE(m_pages->isVisible());
    EXPECT_EQ(m_pages->row(), nullptr);

    const int before = logCount(QStringLiteral("VuTreeWidget::slotTaskFinishedStatusChange item"));
    ModalAnswers none;
    m_pages->lineEdit()->setText(QStringLiteral("3"));
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    EXPECT_EQ(logCount(QStringLiteral("VuTreeWidget::slotTaskFinishedStatusChange item")), before + 1);
    EXPECT_EQ(pagesOf(0), QStringLiteral("All"));

    hover(row(0), taskrow::ColumnMode);
    ASSERT_EQ(m_modes->row(), row(0));
    m_list->clear();
    EXPECT_FALSE(m_modes->isVisible());
    EXPECT_EQ(m_modes->row(), nullptr);
}

TEST_F(EditorRows, AMovedRowTakesItsEditorAlong)
{
    addRows({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") }, 10);
    hover(row(1), taskrow::ColumnSelectedPages);
    row(1)->setSelected(true);
    m_list->moveSelectedUp();
    EXPECT_FALSE(m_pages->isVisible());
    EXPECT_EQ(m_pages->row(), nullptr);
}

TEST_F(EditorRows, ANullRowIsLogged)
{
    const int pages = logCount(QStringLiteral("VuTreeWidget::slotTaskFinishedStatusChange"));
    const int modes = logCount(QStringLiteral("VuTreeWidget::slotTransitModeChanged"));
    m_list->slotTaskFinishedStatusChange(nullptr);
    m_list->slotTransitModeChanged(nullptr);
    EXPECT_EQ(logCount(QStringLiteral("VuTreeWidget::slotTaskFinishedStatusChange")), pages + 2);
    EXPECT_EQ(logCount(QStringLiteral("VuTreeWidget::slotTransitModeChanged")), modes + 1);
}

} // namespace
