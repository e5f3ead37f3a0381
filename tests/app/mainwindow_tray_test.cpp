// The "After Done" action at the end of a run (through a recording power
// runner), the tray icon with its menu, and background mode.
#include "markingtranslator.h"
#include "mainwindowfixture.h"

#include "preview/hostwindow.h"

#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTranslator>

namespace {

// A window on a desktop that offers a tray.
class TrayWindow : public MainWindow {
public:
    TrayWindow() { initSysTrayIcon(); }

protected:
    bool isSystemTrayAvailable() const override { return true; }
};

class AfterDone : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        const QString out = path(QStringLiteral("out"));
        QDir().mkpath(out);
        child<QLineEdit>("lineEditOutFolder")->setText(out);
    }

    void choose(const char* name) const { child<QAction>(name)->trigger(); }

    // The power count-downs that came up, each answered with answer.
    QStringList countdowns(const std::function<void()>& command, const ModalAnswers::Answer& answer,
                           QList<ModalAnswers::Answer> before = {})
    {
        QStringList seen;
        before << [&seen, answer](QWidget* window) {
            seen << window->objectName();
            EXPECT_NE(qobject_cast<VuPowerState*>(window), nullptr);
            answer(window);
        };
        ModalAnswers modals(before);
        command();
        EXPECT_TRUE(waitUntil([this] { return !m_window->hasPendingTask(); }));
        EXPECT_EQ(modals.unexpected(), 0);
        return seen;
    }

    RecordingPowerRunner m_runner;
};

TEST_F(AfterDone, DoNothingEndsARunQuietly)
{
    addRows({ pdf(QStringLiteral("one.pdf")) });
    EXPECT_EQ(countdowns([this] { m_window->on_convert(); }, acceptDialog()), QStringList());
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    EXPECT_TRUE(m_runner.states.isEmpty());
}

TEST_F(AfterDone, EachChoiceHandsItsStateToThePowerAction)
{
    const struct {
        const char* action;
        int state;
    } choices[] = { { "actionShutDown", 4 }, { "actionHibernate", 2 }, { "actionStandBy", 1 },
                    { "actionExitAfterDone", 0 } };
    for (const auto& choice : choices) {
        choose(choice.action);
        QWidget* parent = nullptr;
        ModalAnswers accept({ [&parent](QWidget* window) {
            parent = window->parentWidget();
            acceptDialog()(window);
        } });
        m_window->runAfterDoneAction();
        EXPECT_EQ(accept.answered(), 1) << choice.action;
        EXPECT_EQ(parent, m_window.get()) << choice.action;
    }
    EXPECT_EQ(m_runner.states, QList<int>({ 4, 2, 1, 0 }));

    // Cancelling the count-down runs nothing.
    ModalAnswers cancel({ [](QWidget* window) { static_cast<QDialog*>(window)->reject(); } });
    m_window->runAfterDoneAction();
    EXPECT_EQ(cancel.answered(), 1);
    EXPECT_EQ(m_runner.states.size(), 4);
}

TEST_F(AfterDone, RunsWhenTheLastRowIsDone)
{
    addRows({ pdf(QStringLiteral("a.pdf")), pdf(QStringLiteral("b.pdf")) });
    choose("actionExitAfterDone");
    EXPECT_EQ(countdowns([this] { m_window->on_convert(); }, acceptDialog()),
              QStringList{ QStringLiteral("VuPowerState") });
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusDone);
    EXPECT_EQ(taskrow::status(row(1)), taskrow::StatusDone);
    EXPECT_EQ(m_runner.states, QList<int>{ 0 });
}

TEST_F(AfterDone, DoesNotRunWhenARunStartsNothing)
{
    addRows({ pdf(QStringLiteral("a.pdf"), 3), pdf(QStringLiteral("b.pdf"), 3) });
    choose("actionStandBy");
    // An invalid page list: the message, and nothing more.
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral("4"));
    EXPECT_EQ(countdowns([this] { m_window->on_convert(); }, acceptDialog(), { pressButton(QStringLiteral("OK")) }),
              QStringList());

    // The question about converted rows answered with Cancel.
    row(1)->setText(taskrow::ColumnSelectedPages, QStringLiteral("All"));
    taskrow::setStatus(row(1), taskrow::StatusDone);
    EXPECT_EQ(countdowns([this] { m_window->on_convert(); }, acceptDialog(), { pressButton(QStringLiteral("Cancel")) }),
              QStringList());
    EXPECT_EQ(taskrow::status(row(0)), taskrow::StatusNew);

    // Nothing left to convert.
    taskrow::setStatus(row(0), taskrow::StatusSkipped);
    taskrow::setStatus(row(1), taskrow::StatusAbort);
    EXPECT_EQ(countdowns([this] { m_window->on_convert(); }, acceptDialog()), QStringList());
    EXPECT_TRUE(m_runner.states.isEmpty());
}

TEST_F(AfterDone, RunsAfterAnAbort)
{
    addRows({ pdf(QStringLiteral("long.pdf")), pdf(QStringLiteral("waiting.pdf")) });
    choose("actionHibernate");
    m_gate.shut();
    EXPECT_EQ(countdowns(
                  [this] {
                      m_window->on_convert();
                      ASSERT_TRUE(m_gate.waitUntilHeld());
                      m_window->on_convertCancel();
                      m_gate.open();
                  },
                  acceptDialog(), { pressButton(QStringLiteral("Yes")) }),
              QStringList{ QStringLiteral("VuPowerState") });
    EXPECT_EQ(m_runner.states, QList<int>{ 2 });
    EXPECT_EQ(taskrow::status(row(1)), taskrow::StatusIdle);
}

class Tray : public MainWindowTest {
protected:
    std::unique_ptr<MainWindow> makeWindow() const override { return std::make_unique<TrayWindow>(); }

    QSystemTrayIcon* icon() const { return m_window->findChild<QSystemTrayIcon*>(QStringLiteral("trayIcon")); }
    QWidget* frame() const { return m_window->widgetFrame(); }
};

TEST_F(Tray, TheIconStartsHiddenWithItsMenu)
{
    QSystemTrayIcon* tray = icon();
    ASSERT_NE(tray, nullptr);
    EXPECT_FALSE(tray->isVisible());
    EXPECT_EQ(tray->toolTip(), VuPref::product_name());
    QMenu* menu = tray->contextMenu();
    ASSERT_NE(menu, nullptr);
    QStringList entries;
    const QList<QAction*> actions = menu->actions();
    for (const QAction* entry : actions)
        entries << (entry->isSeparator() ? QStringLiteral("-") : entry->objectName());
    EXPECT_EQ(entries, QStringList({ QStringLiteral("actionTrayOpen"), QStringLiteral("-"),
                                     QStringLiteral("actionConvert"), QStringLiteral("actionAbort"),
                                     QStringLiteral("-"), QStringLiteral("actionHelpTopics"),
                                     QStringLiteral("actionReadme"), QStringLiteral("-"),
                                     QStringLiteral("actionAbout"), QStringLiteral("-"),
                                     QStringLiteral("actionExit") }));
    EXPECT_EQ(actions.first()->data().toString(), QStringLiteral("Open"));
    EXPECT_EQ(actions.first()->text(), QStringLiteral("Open ") + VuPref::product_name());

    // Made once only.
    m_window->initSysTrayIcon();
    EXPECT_EQ(m_window->findChildren<QSystemTrayIcon*>().size(), 1);
}

// Drawn for the program, and shown by the window and the tray alike.
TEST_F(Tray, TheWindowAndTheIconShowTheProgramsOwnPicture)
{
    const QIcon own = QApplication::windowIcon();
    EXPECT_FALSE(own.pixmap(16).isNull());
    EXPECT_FALSE(own.pixmap(256).isNull());
    EXPECT_EQ(icon()->icon().cacheKey(), own.cacheKey());
    EXPECT_EQ(frame()->windowIcon().cacheKey(), own.cacheKey());
}

TEST_F(Tray, RunInBackgroundHidesTheWindowUntilTheIconIsDoubleClicked)
{
    QAction* background = child<QAction>("actionRunInBackground");
    background->trigger();
    EXPECT_TRUE(frame()->isHidden());
    EXPECT_TRUE(icon()->isVisible());
    // The main window itself stays shown inside its hidden frame.
    EXPECT_FALSE(m_window->isHidden());

    // Again while hidden: noted in the log, the icon stays.
    const int before = logCount(QStringLiteral("MainWindow::on_workBackground"));
    background->trigger();
    EXPECT_EQ(logCount(QStringLiteral("MainWindow::on_workBackground")), before + 1);
    EXPECT_TRUE(icon()->isVisible());

    emit icon()->activated(QSystemTrayIcon::Trigger);
    emit icon()->activated(QSystemTrayIcon::MiddleClick);
    emit icon()->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(frame()->isHidden());
    emit icon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(frame()->isHidden());
    EXPECT_FALSE(icon()->isVisible());
}

TEST_F(Tray, TheOpenEntryBringsBackAWindowThatWasMinimised)
{
    frame()->showMinimized();
    child<QAction>("actionRunInBackground")->trigger();
    ASSERT_TRUE(frame()->isHidden());
    icon()->contextMenu()->actions().first()->trigger();
    EXPECT_FALSE(frame()->isHidden());
    EXPECT_FALSE(frame()->isMinimized());
    EXPECT_FALSE(icon()->isVisible());
}

TEST_F(Tray, TheExitEntryAsksAsClosingTheWindowDoes)
{
    addRows({ pdf(QStringLiteral("a.pdf")) });
    child<QAction>("actionRunInBackground")->trigger();
    ModalAnswers no({ pressButton(QStringLiteral("No")) });
    icon()->contextMenu()->actions().last()->trigger();
    EXPECT_EQ(no.texts(), QStringList{ QStringLiteral("Are you sure you want to exit?") });
}

TEST_F(Tray, RetranslationNamesTheProductInTheOpenEntryAndLogsTheOthers)
{
    const int before = logCount(QStringLiteral("in MainWindow::retranslate :"));
    MarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    QCoreApplication::removeTranslator(&translator);
    QAction* open = icon()->contextMenu()->actions().first();
    EXPECT_EQ(open->text(), QStringLiteral("<Open> ") + VuPref::product_name());
    // One entry for each of the other ten entries.
    EXPECT_EQ(logCount(QStringLiteral("in MainWindow::retranslate :")), before + 10);
}

TEST_F(MainWindowTest, WithoutATrayRunInBackgroundMinimisesTheWindow)
{
    EXPECT_EQ(m_window->findChild<QSystemTrayIcon*>(), nullptr);
    child<QAction>("actionRunInBackground")->trigger();
    EXPECT_FALSE(m_window->widgetFrame()->isHidden());
    EXPECT_TRUE(m_window->widgetFrame()->isMinimized());
    m_window->on_resumeMainWindow();
    EXPECT_FALSE(m_window->widgetFrame()->isMinimized());
}

} // namespace
