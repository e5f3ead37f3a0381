// The window's actions and menus: the menu bar and each menu's entries,
// every action, tool button, shortcut and context-menu entry reaching its
// command, the actions' enabled states, and the output radios.
#include "markingtranslator.h"
#include "mainwindowfixture.h"

#include "dialogs/epubinfoeditdialog.h"
#include "dialogs/settings.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTranslator>

namespace {

const QString kRemoveQuestion = QStringLiteral("Are you sure you want to remove the selected items from the list?");
const QString kClearQuestion = QStringLiteral("Are you sure you want to clear all the items from the list?");
const QString kCancelQuestion = QStringLiteral("Are you sure you want to cancel the conversion?");
const QString kExitQuestion = QStringLiteral("Are you sure you want to exit?");

class Menus : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_out = path(QStringLiteral("out"));
        QDir().mkpath(m_out);
        child<QLineEdit>("lineEditOutFolder")->setText(m_out);
    }

    QAction* action(const char* name) const { return child<QAction>(name); }
    QMenu* menu(const char* name) const { return child<QMenu>(name); }

    // A menu's entries: object names, "-" for a separator.
    static QStringList entries(const QMenu* menu)
    {
        QStringList found;
        const QList<QAction*> actions = menu->actions();
        for (const QAction* entry : actions) {
            if (entry->isSeparator())
                found << QStringLiteral("-");
            else if (entry->menu())
                found << entry->menu()->objectName();
            else
                found << entry->objectName();
        }
        return found;
    }

    void addPdfs(const QStringList& names)
    {
        QStringList files;
        for (const QString& name : names)
            files << pdf(name, 2);
        addRows(files);
    }

    QStringList names() const
    {
        QStringList found;
        for (int at = 0; at < rowCount(); ++at)
            found << row(at)->text(taskrow::ColumnFileName);
        return found;
    }

    // What runs the command: the titles and class names of the modal
    // windows it opened, each closed unanswered (rejected), or with the
    // given answers.
    QStringList modalsOf(const std::function<void()>& command, QList<ModalAnswers::Answer> answers = {})
    {
        QStringList seen;
        QList<ModalAnswers::Answer> recording;
        for (int at = 0; at < 3; ++at) {
            ModalAnswers::Answer answer = answers.value(at);
            recording << [&seen, answer](QWidget* window) {
                const auto* box = qobject_cast<QMessageBox*>(window);
                seen << (box ? box->text() : QString::fromLatin1(window->metaObject()->className()) + QLatin1Char(':') + window->windowTitle());
                if (answer)
                    answer(window);
                else if (auto* dialog = qobject_cast<QDialog*>(window))
                    dialog->reject();
                else
                    window->close();
            };
        }
        ModalAnswers modals(recording);
        command();
        return seen;
    }

    void refresh() const { m_window->updateUiState(); }

    QString m_out;
};

TEST_F(Menus, TheMenuBarHoldsFiveMenusInOrder)
{
    QMenuBar* bar = m_window->menuBar();
    QStringList titles;
    const QList<QAction*> menus = bar->actions();
    for (const QAction* entry : menus)
        titles << entry->text();
    EXPECT_EQ(titles, QStringList({ QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&Actions"),
                                    QStringLiteral("&Tools"), QStringLiteral("&Help") }));

    EXPECT_EQ(entries(m_window->fileMenu()),
              QStringList({ QStringLiteral("actionAddFiles"), QStringLiteral("actionAddFolder"), QStringLiteral("-"),
                            QStringLiteral("actionRunInBackground"), QStringLiteral("-"),
                            QStringLiteral("actionExit") }));
    EXPECT_EQ(entries(m_window->toolsMenu()).mid(entries(m_window->toolsMenu()).size() - 2),
              QStringList({ QStringLiteral("-"), QStringLiteral("actionSettings") }));
    EXPECT_EQ(entries(menu("menuEdit")),
              QStringList({ QStringLiteral("actionRemove"), QStringLiteral("actionRemoveAll"), QStringLiteral("-"),
                            QStringLiteral("actionEditEpubInfo"), QStringLiteral("-"),
                            QStringLiteral("actionSelectAll"), QStringLiteral("actionSelectInvert"),
                            QStringLiteral("-"), QStringLiteral("actionMoveUp"), QStringLiteral("actionMoveDown") }));
    EXPECT_EQ(entries(menu("menuActions")),
              QStringList({ QStringLiteral("actionConvert"), QStringLiteral("actionAbort"), QStringLiteral("-"),
                            QStringLiteral("menuAfterDone") }));
    EXPECT_EQ(entries(menu("menuAfterDone")),
              QStringList({ QStringLiteral("actionDoNothing"), QStringLiteral("-"), QStringLiteral("actionShutDown"),
                            QStringLiteral("actionHibernate"), QStringLiteral("actionStandBy"),
                            QStringLiteral("actionExitAfterDone") }));
    EXPECT_EQ(entries(menu("menuTaskList")),
              QStringList({ QStringLiteral("actionAddFiles"), QStringLiteral("actionAddFolder"),
                            QStringLiteral("actionRemove"), QStringLiteral("actionRemoveAll"), QStringLiteral("-"),
                            QStringLiteral("actionEditEpubInfo"), QStringLiteral("-"),
                            QStringLiteral("actionMoveUp"), QStringLiteral("actionMoveDown"), QStringLiteral("-"),
                            QStringLiteral("actionConvertSelection") }));
    EXPECT_EQ(menu("menuEdit")->title(), QStringLiteral("&Edit"));
    EXPECT_EQ(menu("menuAfterDone")->title(), QStringLiteral("After Done"));
    EXPECT_EQ(action("actionRemove")->shortcut(), QKeySequence(QKeySequence::Delete));
    EXPECT_EQ(action("actionSelectAll")->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));
    EXPECT_EQ(action("actionConvertSelection")->text(), QStringLiteral("Convert Selected Items"));
}

TEST_F(Menus, AfterDoneIsOneChoiceStartingWithDoNothing)
{
    const char* const choices[] = { "actionDoNothing", "actionShutDown", "actionHibernate", "actionStandBy",
                                    "actionExitAfterDone" };
    QActionGroup* group = action("actionDoNothing")->actionGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->isExclusive());
    for (const char* name : choices) {
        EXPECT_TRUE(action(name)->isCheckable()) << name;
        EXPECT_EQ(action(name)->actionGroup(), group) << name;
        EXPECT_EQ(action(name)->isChecked(), name == choices[0]) << name;
    }
    action("actionHibernate")->trigger();
    EXPECT_TRUE(action("actionHibernate")->isChecked());
    EXPECT_FALSE(action("actionDoNothing")->isChecked());
}

TEST_F(Menus, EveryActionReachesItsCommand)
{
    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") });
    refresh();
    EXPECT_EQ(modalsOf([&] { action("actionAddFiles")->trigger(); }),
              QStringList{ QStringLiteral("QFileDialog:Select One or More Files") });
    EXPECT_EQ(modalsOf([&] { action("actionAddFolder")->trigger(); }),
              QStringList{ QStringLiteral("QFileDialog:Select one folder") });

    action("actionSelectAll")->trigger();
    EXPECT_EQ(m_list->selectedItems().size(), 3);
    refresh();
    action("actionSelectInvert")->trigger();
    EXPECT_TRUE(m_list->selectedItems().isEmpty());

    selectOnly({ 2 });
    refresh();
    action("actionMoveUp")->trigger();
    EXPECT_EQ(names(), QStringList({ QStringLiteral("a.pdf"), QStringLiteral("c.pdf"), QStringLiteral("b.pdf") }));
    refresh();
    action("actionMoveDown")->trigger();
    EXPECT_EQ(names(), QStringList({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") }));

    selectOnly({ 0 });
    refresh();
    const QStringList info = modalsOf([&] { action("actionEditEpubInfo")->trigger(); });
    ASSERT_EQ(info.size(), 1);
    EXPECT_TRUE(info.first().startsWith(QLatin1String("EpubInfoEditDialog:")));
    const QStringList settings = modalsOf([&] { action("actionSettings")->trigger(); });
    ASSERT_EQ(settings.size(), 1);
    EXPECT_TRUE(settings.first().startsWith(QLatin1String("Settings:")));
    EXPECT_EQ(modalsOf([&] { action("actionRemove")->trigger(); }, { pressButton(QStringLiteral("No")) }),
              QStringList{ kRemoveQuestion });
    EXPECT_EQ(modalsOf([&] { action("actionRemoveAll")->trigger(); }, { pressButton(QStringLiteral("No")) }),
              QStringList{ kClearQuestion });
    EXPECT_EQ(modalsOf([&] { action("actionExit")->trigger(); }, { pressButton(QStringLiteral("No")) }),
              QStringList{ kExitQuestion });
    EXPECT_TRUE(m_window->widgetFrame()->isVisible());

    // Abort while something waits.
    taskrow::setStatus(row(1), taskrow::StatusWaiting);
    refresh();
    EXPECT_EQ(modalsOf([&] { action("actionAbort")->trigger(); }, { pressButton(QStringLiteral("No")) }),
              QStringList{ kCancelQuestion });
    taskrow::setStatus(row(1), taskrow::StatusIdle);
}

TEST_F(Menus, ConvertTakesEveryRowAndConvertSelectedTheSelectedOnes)
{
    addPdfs({ QStringLiteral("picked.pdf"), QStringLiteral("invalid.pdf") });
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral("9"));
    const QStringList refused{ QStringLiteral("Invalid format or out of range!\n\"invalid.pdf\", Selected Pages: 9") };
    selectOnly({ 0 });
    refresh();
    EXPECT_EQ(modalsOf([&] { action("actionConvert")->trigger(); }, { pressButton(QStringLiteral("OK")) }), refused);
    EXPECT_EQ(modalsOf([&] { action("actionConvertSelection")->trigger(); }), QStringList());
    ASSERT_TRUE(waitUntil([this] { return !m_window->hasPendingTask(); }));
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    EXPECT_EQ(taskrow::status(row(1)), taskrow::StatusNew);
    EXPECT_TRUE(QFileInfo(m_out + QStringLiteral("/picked.epub")).isFile());

    // The Convert button runs the same command as the action.
    refresh();
    EXPECT_EQ(modalsOf([&] { child<QPushButton>("pushButtonConvert")->click(); }, { pressButton(QStringLiteral("OK")) }),
              refused);
}

TEST_F(Menus, ToolButtonsReachTheirCommands)
{
    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf") });
    selectOnly({ 0 });
    refresh();
    EXPECT_EQ(modalsOf([&] { child<QPushButton>("pushButtonAddFiles")->click(); }),
              QStringList{ QStringLiteral("QFileDialog:Select One or More Files") });
    const QStringList info = modalsOf([&] { child<QPushButton>("pushButtonEditEPUB")->click(); });
    ASSERT_EQ(info.size(), 1);
    EXPECT_TRUE(info.first().startsWith(QLatin1String("EpubInfoEditDialog:")));
    EXPECT_EQ(modalsOf([&] { child<QPushButton>("pushButtonClear")->click(); }, { pressButton(QStringLiteral("No")) }),
              QStringList{ kClearQuestion });
    EXPECT_EQ(modalsOf([&] { child<QPushButton>("pushButtonRemove")->click(); },
                       { pressButton(QStringLiteral("Yes")) }),
              QStringList{ kRemoveQuestion });
    EXPECT_EQ(names(), QStringList{ QStringLiteral("b.pdf") });

    taskrow::setStatus(row(0), taskrow::StatusWaiting);
    refresh();
    EXPECT_EQ(modalsOf([&] { child<QPushButton>("pushButtonCancel")->click(); }, { pressButton(QStringLiteral("No")) }),
              QStringList{ kCancelQuestion });
    taskrow::setStatus(row(0), taskrow::StatusIdle);
}

TEST_F(Menus, DelRemovesAndCtrlASelectsEverywhereInTheWindow)
{
    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") });
    // Ctrl+A with the focus on a button, outside the list.
    auto* open = child<QPushButton>("pushButtonOpen");
    open->setFocus();
    refresh();
    QTest::keyClick(open, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_list->selectedItems().size(), 3);

    selectOnly({ 1 });
    refresh();
    m_list->setFocus();
    EXPECT_EQ(modalsOf([&] { QTest::keyClick(m_list, Qt::Key_Delete); }, { pressButton(QStringLiteral("Yes")) }),
              QStringList{ kRemoveQuestion });
    EXPECT_EQ(names(), QStringList({ QStringLiteral("a.pdf"), QStringLiteral("c.pdf") }));
}

TEST_F(Menus, TheContextMenuOpensWhereTheListWasClicked)
{
    addPdfs({ QStringLiteral("a.pdf") });
    QMenu* context = menu("menuTaskList");
    const QPoint inViewport(30, 200);
    emit m_list->customContextMenuRequested(inViewport);
    ASSERT_TRUE(waitUntil([context] { return context->isVisible(); }));
    EXPECT_EQ(context->pos(), m_list->viewport()->mapToGlobal(inViewport));
    context->close();

    // Its entries are the window's actions: "Remove" from it runs the command.
    selectOnly({ 0 });
    refresh();
    QAction* remove = nullptr;
    const QList<QAction*> actions = context->actions();
    for (QAction* entry : actions)
        remove = entry->objectName() == QLatin1String("actionRemove") ? entry : remove;
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(modalsOf([&] { remove->trigger(); }, { pressButton(QStringLiteral("No")) }),
              QStringList{ kRemoveQuestion });
}

TEST_F(Menus, ActionsAreEnabledByTheStateOfTheList)
{
    const char* const names[] = { "actionAddFiles",  "actionAddFolder",       "actionRunInBackground",
                                  "actionRemove",    "actionRemoveAll",       "actionSelectAll",
                                  "actionSelectInvert", "actionMoveUp",       "actionMoveDown",
                                  "actionConvertSelection", "actionEditEpubInfo", "actionConvert",
                                  "actionAbort",     "actionSettings" };
    auto enabled = [&] {
        refresh();
        QString states;
        for (const char* name : names)
            states += action(name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        EXPECT_TRUE(menu("menuAfterDone")->isEnabled());
        return states;
    };
    EXPECT_EQ(enabled(), QStringLiteral("11100000000001"));
    addPdfs({ QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf") });
    m_list->clearSelection();
    EXPECT_EQ(enabled(), QStringLiteral("11101110000101"));
    // The top row: it cannot move up.
    selectOnly({ 0 });
    EXPECT_EQ(enabled(), QStringLiteral("11111110111101"));
    selectOnly({ 1, 2 });
    EXPECT_EQ(enabled(), QStringLiteral("11111111010101"));
    // All selected: nothing more to select, nowhere to move.
    selectOnly({ 0, 1, 2 });
    EXPECT_EQ(enabled(), QStringLiteral("11111010010101"));
    taskrow::setStatus(row(0), taskrow::StatusConverting);
    EXPECT_EQ(enabled(), QStringLiteral("00100000000010"));
    taskrow::setStatus(row(0), taskrow::StatusIdle);
}

TEST_F(Menus, TheOutputRadiosAreOneStoredChoice)
{
    const QString key = QStringLiteral("last_outputfile_radio");
    auto* same = child<QRadioButton>("radioButtonSameFoler");
    auto* custom = child<QRadioButton>("radioButtonCustomize");
    ASSERT_TRUE(custom->isChecked());
    QTest::mouseClick(same, Qt::LeftButton, Qt::NoModifier, QPoint(5, same->height() / 2));
    EXPECT_TRUE(same->isChecked());
    EXPECT_FALSE(custom->isChecked());
    EXPECT_TRUE(VuPref::value(key).toBool());

    // The checked one again: the pair stays and the value is stored again.
    VuPref::remove(key);
    QTest::mouseClick(same, Qt::LeftButton, Qt::NoModifier, QPoint(5, same->height() / 2));
    EXPECT_TRUE(same->isChecked());
    EXPECT_FALSE(custom->isChecked());
    ASSERT_TRUE(VuPref::contains(key));
    EXPECT_TRUE(VuPref::value(key).toBool());

    QTest::mouseClick(custom, Qt::LeftButton, Qt::NoModifier, QPoint(5, custom->height() / 2));
    EXPECT_FALSE(same->isChecked());
    EXPECT_TRUE(custom->isChecked());
    EXPECT_FALSE(VuPref::value(key).toBool());
}

TEST_F(Menus, HelpTopicsAndReadmeOpenTheReadmeBesideTheProgram)
{
    OpenedUrls opened;
    ModalAnswers none;
    action("actionHelpTopics")->trigger();
    action("actionReadme")->trigger();
    const QUrl readme = QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/README.md"));
    EXPECT_EQ(opened.urls, QList<QUrl>({ readme, readme }));
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
}

TEST_F(Menus, ActionTextsAndMenuTitlesAreTranslatedAgain)
{
    MarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(action("actionConvertSelection")->text(), QStringLiteral("<Convert Selected Items>"));
    EXPECT_EQ(action("actionDoNothing")->text(), QStringLiteral("<Do &Nothing>"));
    EXPECT_EQ(menu("menuActions")->title(), QStringLiteral("<&Actions>"));
    EXPECT_EQ(menu("menuAfterDone")->title(), QStringLiteral("<After Done>"));
    QCoreApplication::removeTranslator(&translator);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(action("actionSettings")->text(), QStringLiteral("Settings..."));
    EXPECT_EQ(menu("menuEdit")->title(), QStringLiteral("&Edit"));
}

} // namespace
