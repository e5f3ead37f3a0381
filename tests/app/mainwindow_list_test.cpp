// The list commands, the preview following the selection, the enabled
// state of the controls, and the questions on closing the window.
#include "mainwindowfixture.h"

#include "dialogs/epubinfoeditdialog.h"
#include "dialogs/settings.h"
#include "preview/hostwindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

class ListCommands : public MainWindowTest {
protected:
    void addPdfs(const QStringList& names, int pages = 3)
    {
        QStringList files;
        for (const QString& name : names)
            files << pdf(name, pages);
        addRows(files);
    }

    QStringList names() const
    {
        QStringList found;
        for (int at = 0; at < rowCount(); ++at)
            found << row(at)->text(taskrow::ColumnFileName);
        return found;
    }

    QList<bool> selection() const
    {
        QList<bool> found;
        for (int at = 0; at < rowCount(); ++at)
            found << row(at)->isSelected();
        return found;
    }

    HostWindow* preview() const { return child<HostWindow>("widgetPDFView"); }
};

TEST_F(ListCommands, RemoveAndClearAskFirst)
{
    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") });
    selectOnly({ 1 });
    {
        ModalAnswers yes({ pressButton(QStringLiteral("Yes")) });
        m_window->on_removeFile();
        EXPECT_EQ(yes.answered(), 1);
    }
    EXPECT_EQ(names(), QStringList({ QStringLiteral("a.pdf"), QStringLiteral("c.pdf") }));
    {
        ModalAnswers no({ pressButton(QStringLiteral("No")) });
        m_window->on_clearFiles();
        EXPECT_EQ(no.texts(),
                  QStringList{ QStringLiteral("Are you sure you want to clear all the items from the list?") });
    }
    EXPECT_EQ(rowCount(), 2);
    ModalAnswers yes({ pressButton(QStringLiteral("Yes")) });
    m_window->on_clearFiles();
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(ListCommands, SelectAllInvertAndMove)
{
    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") });
    selectOnly({ 0 });
    m_window->on_selectInverse();
    EXPECT_EQ(selection(), QList<bool>({ false, true, true }));
    m_window->slotSelectAll();
    EXPECT_EQ(selection(), QList<bool>({ true, true, true }));
    m_window->on_selectInverse();
    EXPECT_EQ(selection(), QList<bool>({ false, false, false }));

    selectOnly({ 2 });
    m_window->on_moveUp();
    EXPECT_EQ(names(), QStringList({ QStringLiteral("a.pdf"), QStringLiteral("c.pdf"), QStringLiteral("b.pdf") }));
    m_window->on_moveUp();
    m_window->on_moveUp();
    EXPECT_EQ(names(), QStringList({ QStringLiteral("c.pdf"), QStringLiteral("a.pdf"), QStringLiteral("b.pdf") }));
    m_window->on_moveDown();
    EXPECT_EQ(names(), QStringList({ QStringLiteral("a.pdf"), QStringLiteral("c.pdf"), QStringLiteral("b.pdf") }));
}

TEST_F(ListCommands, BookInformationGoesBackIntoTheFirstSelectedRowHoweverTheDialogCloses)
{
    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") });
    selectOnly({ 1 });
    ASSERT_FALSE(row(1)->data(taskrow::ColumnStatus, taskrow::RoleSeriesIndex).isValid());
    {
        ModalAnswers cancel({ [](QWidget* window) {
            EXPECT_NE(qobject_cast<EpubInfoEditDialog*>(window), nullptr);
            window->findChild<QLineEdit*>(QStringLiteral("bookNameLlineEdit"))->setText(QStringLiteral("typed"));
            static_cast<QDialog*>(window)->reject();
        } });
        m_window->on_editEpubInfo();
        EXPECT_EQ(cancel.answered(), 1);
    }
    // Written back unchanged: every field is present now.
    EXPECT_EQ(m_list->bookInfo(row(1)).title, QStringLiteral("b"));
    EXPECT_TRUE(row(1)->data(taskrow::ColumnStatus, taskrow::RoleSeriesIndex).isValid());

    ModalAnswers ok({ [](QWidget* window) {
        window->findChild<QLineEdit*>(QStringLiteral("bookNameLlineEdit"))->setText(QStringLiteral("New Title"));
        window->findChild<QLineEdit*>(QStringLiteral("AuthorLineEdit"))->setText(QStringLiteral("Somebody"));
        pressButton(QStringLiteral("OK"))(window);
    } });
    m_window->on_editEpubInfo();
    EXPECT_EQ(ok.answered(), 1);
    EXPECT_EQ(m_list->bookInfo(row(1)).title, QStringLiteral("New Title"));
    EXPECT_EQ(m_list->bookInfo(row(1)).author, QStringLiteral("Somebody"));
    EXPECT_EQ(m_list->bookInfo(row(0)).title, QStringLiteral("a"));

    // Nothing selected: no dialog.
    m_list->clearSelection();
    ModalAnswers none;
    m_window->on_editEpubInfo();
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
}

TEST_F(ListCommands, SettingsRunsTheSettingsDialogOverTheWindow)
{
    bool seen = false;
    ModalAnswers answers({ [&](QWidget* window) {
        seen = qobject_cast<Settings*>(window) && window->parentWidget() == m_window.get();
        static_cast<QDialog*>(window)->reject();
    } });
    m_window->on_settings();
    EXPECT_TRUE(seen);
}

TEST_F(ListCommands, OneSelectedRowIsPreviewedWithItsPageChoice)
{
    addPdfs({ QStringLiteral("three.pdf") }, 3);
    addPdfs({ QStringLiteral("five.pdf") }, 5);
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral("2-4"));
    auto* curPage = child<QLineEdit>("lineEditCurPage");
    auto* pages = child<QLineEdit>("lineEditPageStr");

    selectOnly({ 1 });
    EXPECT_EQ(preview()->countPage(), 5);
    EXPECT_EQ(curPage->text(), QStringLiteral("1"));
    EXPECT_EQ(child<QLabel>("labelPageShow")->text(), QStringLiteral(" / 5"));
    EXPECT_EQ(pages->text(), QStringLiteral("2-4"));
    EXPECT_TRUE(child<QRadioButton>("radioButtonPageRange")->isChecked());
    EXPECT_TRUE(pages->isEnabled());
    EXPECT_TRUE(child<QLabel>("labelPageTips")->isEnabled());

    // Two rows: nothing is previewed and the page fields empty.
    row(0)->setSelected(true);
    EXPECT_EQ(preview()->countPage(), 0);
    EXPECT_TRUE(curPage->text().isEmpty());
    EXPECT_EQ(child<QLabel>("labelPageShow")->text(), QStringLiteral(" / 0"));
    EXPECT_TRUE(pages->text().isEmpty());
    EXPECT_TRUE(child<QRadioButton>("radioButtonPageAll")->isChecked());
    EXPECT_FALSE(pages->isEnabled());

    // One again, whose pages read ALL in capitals.
    row(0)->setText(taskrow::ColumnSelectedPages, QStringLiteral("ALL"));
    selectOnly({ 0 });
    EXPECT_EQ(preview()->countPage(), 3);
    EXPECT_EQ(pages->text(), QStringLiteral("ALL"));
    EXPECT_TRUE(child<QRadioButton>("radioButtonPageAll")->isChecked());
    EXPECT_FALSE(pages->isEnabled());
    EXPECT_FALSE(child<QLabel>("labelPageTips")->isEnabled());
}

TEST_F(ListCommands, APasswordFileIsPreviewedWithItsPassword)
{
    const QString locked = pdf(QStringLiteral("locked.pdf"), 4, QStringLiteral(" spaced "));
    {
        ModalAnswers prompt({ typeAndPress(QStringLiteral(" spaced "), QStringLiteral("OK")) });
        addRows({ locked });
    }
    ModalAnswers none;
    selectOnly({ 0 });
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    EXPECT_EQ(preview()->countPage(), 4);
}

TEST_F(ListCommands, ARowWithoutItsPasswordAsksForItWhenSelected)
{
    const QString locked = pdf(QStringLiteral("locked.pdf"), 4, QStringLiteral("pw"));
    {
        ModalAnswers cancel({ pressButton(QStringLiteral("Cancel")) });
        addRows({ locked });
    }
    for (const bool give : { false, true }) {
        // Given up: nothing is opened, nor fails to open.
        ModalAnswers prompt({ give ? typeAndPress(QStringLiteral("pw"), QStringLiteral("OK"))
                                   : pressButton(QStringLiteral("Cancel")) });
        selectOnly({ 0 });
        EXPECT_EQ(prompt.answered(), 1);
        EXPECT_EQ(prompt.unexpected(), 0);
        EXPECT_EQ(preview()->countPage(), give ? 4 : 0);
        m_list->clearSelection();
    }
    EXPECT_EQ(row(0)->text(taskrow::ColumnTotalPages), QStringLiteral("4"));
}

// What updateUiState sets, control by control.
class WindowState : public ListCommands {
protected:
    struct Seen {
        bool radios, folder, add, drops, remove, clear, editInfo, convertShown, convertEnabled, cancelShown,
            cancelEnabled, open, editors, pageControls;
        bool operator==(const Seen& o) const
        {
            return std::tie(radios, folder, add, drops, remove, clear, editInfo, convertShown, convertEnabled,
                            cancelShown, cancelEnabled, open, editors, pageControls)
                == std::tie(o.radios, o.folder, o.add, o.drops, o.remove, o.clear, o.editInfo, o.convertShown,
                            o.convertEnabled, o.cancelShown, o.cancelEnabled, o.open, o.editors, o.pageControls);
        }
    };

    Seen seen()
    {
        m_window->updateUiState();
        bool pages = true;
        for (const char* name : { "toolButtonFirstPage", "toolButtonBefore", "lineEditCurPage", "toolButtonNext",
                                  "toolButtonLastPage", "groupBoxPageRange" })
            pages = pages && child(name)->isEnabled();
        return { child("radioButtonSameFoler")->isEnabled() && child("radioButtonCustomize")->isEnabled(),
                 child("lineEditOutFolder")->isEnabled() && child("pushButtonBrowse")->isEnabled(),
                 child("pushButtonAddFiles")->isEnabled(),
                 m_list->acceptDrops(),
                 child("pushButtonRemove")->isEnabled(),
                 child("pushButtonClear")->isEnabled(),
                 child("pushButtonEditEPUB")->isEnabled(),
                 !child("pushButtonConvert")->isHidden(),
                 child("pushButtonConvert")->isEnabled(),
                 !child("pushButtonCancel")->isHidden(),
                 child("pushButtonCancel")->isEnabled(),
                 child("pushButtonOpen")->isEnabled(),
                 m_list->editorsEnabled(),
                 pages };
    }
};

TEST_F(WindowState, ControlsFollowTheStateOfTheList)
{
    // Empty: the output choice keeps its state.
    child("radioButtonSameFoler")->setEnabled(false);
    const Seen empty = seen();
    EXPECT_FALSE(child("radioButtonSameFoler")->isEnabled());
    EXPECT_TRUE(empty == (Seen{ false, true, true, true, false, false, false, true, false, false, false, true, true,
                                false }));

    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") });
    m_list->clearSelection();
    EXPECT_TRUE(seen() == (Seen{ true, true, true, true, false, true, false, true, true, false, false, true, true,
                                 false }));
    selectOnly({ 0 });
    EXPECT_TRUE(seen() == (Seen{ true, true, true, true, true, true, true, true, true, false, false, true, true,
                                 true }));
    selectOnly({ 0, 1 });
    EXPECT_TRUE(seen() == (Seen{ true, true, true, true, true, true, false, true, true, false, false, true, true,
                                 false }));

    taskrow::setStatus(row(1), taskrow::StatusWaiting);
    EXPECT_TRUE(seen() == (Seen{ false, false, false, false, false, false, false, false, false, true, true, true,
                                 false, false }));
    taskrow::setStatus(row(1), taskrow::StatusIdle);
    EXPECT_TRUE(seen().editors);
}

class Closing : public ListCommands {};

TEST_F(Closing, AnEmptyListQuitsWithoutAsking)
{
    ModalAnswers none;
    EXPECT_TRUE(quitsAfter([this] { m_window->widgetFrame()->close(); }));
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
}

TEST_F(Closing, RowsAskBeforeQuitting)
{
    addPdfs({ QStringLiteral("a.pdf") });
    {
        ModalAnswers no({ pressButton(QStringLiteral("No")) });
        EXPECT_FALSE(m_window->widgetFrame()->close());
        EXPECT_EQ(no.texts(), QStringList{ QStringLiteral("Are you sure you want to exit?") });
    }
    EXPECT_TRUE(m_window->widgetFrame()->isVisible());
    ModalAnswers yes({ pressButton(QStringLiteral("Yes")) });
    EXPECT_TRUE(quitsAfter([this] { m_window->widgetFrame()->close(); }));
    EXPECT_EQ(yes.answered(), 1);
}

TEST_F(Closing, DuringARunNoKeepsConvertingAndYesStopsAndQuits)
{
    const QString out = path(QStringLiteral("out"));
    QDir().mkpath(out);
    child<QLineEdit>("lineEditOutFolder")->setText(out);
    addPdfs({ QStringLiteral("one.pdf"), QStringLiteral("two.pdf") }, 2);
    const QString question = QStringLiteral("There are one or more tasks running. Are you sure you want to exit?");

    // The first task ends while the question is open; the second starts
    // only after the answer.
    m_gate.shut();
    m_window->on_convert();
    ASSERT_TRUE(m_gate.waitUntilHeld());
    {
        int secondWhileAsked = -1;
        ModalAnswers no({ [&](QWidget* box) {
            finishHeldTask();
            secondWhileAsked = taskrow::status(row(1));
            pressButton(QStringLiteral("No"))(box);
        } });
        EXPECT_FALSE(m_window->widgetFrame()->close());
        EXPECT_EQ(no.texts(), QStringList{ question });
        EXPECT_EQ(secondWhileAsked, taskrow::StatusWaiting);
    }
    ASSERT_TRUE(waitUntil([this] { return !m_window->hasPendingTask(); }));
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    EXPECT_EQ(taskrow::status(row(1)), taskrow::StatusDone);
    EXPECT_TRUE(m_window->widgetFrame()->isVisible());

    // Again, now with Yes while the task is held: the window stays until the
    // worker has stopped, then the program ends and the next row does not
    // start.
    addPdfs({ QStringLiteral("three.pdf"), QStringLiteral("four.pdf") }, 2);
    m_gate.shut();
    ModalAnswers yes({ pressButton(QStringLiteral("No")), pressButton(QStringLiteral("Yes")) });
    EXPECT_TRUE(quitsAfter([this] {
        m_window->on_convert();
        ASSERT_TRUE(m_gate.waitUntilHeld());
        EXPECT_FALSE(m_window->widgetFrame()->close());
        m_gate.open();
    }));
    EXPECT_EQ(yes.texts().value(1), question);
    EXPECT_EQ(taskrow::status(row(3)), taskrow::StatusWaiting);
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/three.epub")));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/four.epub")));
}

} // namespace
