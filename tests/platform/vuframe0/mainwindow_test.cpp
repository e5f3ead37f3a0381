#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vumainwindow.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuskinmanager.h"
#include "platform/vuframe0/vuwidgethelper.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A main window that counts what the framework calls.
class Window : public VuMainWindow {
public:
    void retranslate() override
    {
        ++retranslated;
        VuMainWindow::retranslate();
    }
    void updateUiState() override { ++updated; }
    void skinChanged(VuSkin* skin) override { changedTo = skin; }
    void skinAboutToChange(VuSkin* skin) override { coming = skin; }
    void on_fileExit() override { ++exits; }

    bool refuseClose = false;
    int retranslated = 0;
    int updated = 0;
    int exits = 0;
    int closeEvents = 0;
    VuSkin* changedTo = nullptr;
    VuSkin* coming = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++closeEvents;
        event->setAccepted(!refuseClose);
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_store.isValid());
        VuPref::setStoreFolder(m_store.path());
    }
    void TearDown() override { VuPref::setStoreFolder(QString()); }

    QTemporaryDir m_store;
};

TEST_F(MainWindowTest, LivesInsideAFramedTopLevelWindow)
{
    Window window;
    QWidget* frame = window.widgetFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isWindow());
    EXPECT_FALSE(window.isWindow());
    EXPECT_EQ(window.parentWidget(), frame);
    EXPECT_EQ(window.window(), frame);

    window.show(true);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(window.isVisible());

    // Background mode hides the frame; the main window itself stays shown.
    frame->hide();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.isVisibleTo(frame));
    frame->show();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, ShowingTheWindowShowsItsFrame)
{
    Window window;
    window.show();
    EXPECT_TRUE(window.widgetFrame()->isVisible());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, ThreeMenusAndTheExitAction)
{
    Window window;
    const QList<QAction*> bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->menu(), window.fileMenu());
    EXPECT_EQ(bar[1]->menu(), window.toolsMenu());
    EXPECT_EQ(bar[2]->menu(), window.helpMenu());
    EXPECT_TRUE(window.fileMenu()->actions().contains(window.exitAction()));
    EXPECT_FALSE(window.exitAction()->text().isEmpty());

    window.exitAction()->trigger();
    EXPECT_EQ(window.exits, 1);

    // The program rebinds the exit action to its own close().
    EXPECT_TRUE(QObject::disconnect(window.exitAction(), &QAction::triggered, &window,
                                    &VuMainWindow::on_fileExit));
    window.exitAction()->trigger();
    EXPECT_EQ(window.exits, 1);
}

TEST_F(MainWindowTest, ClosingTheFrameAsksTheMainWindow)
{
    Window window;
    window.show(true);
    window.refuseClose = true;
    EXPECT_FALSE(window.widgetFrame()->close());
    EXPECT_EQ(window.closeEvents, 1);
    EXPECT_TRUE(window.widgetFrame()->isVisible());

    window.refuseClose = false;
    EXPECT_TRUE(window.widgetFrame()->close());
    EXPECT_EQ(window.closeEvents, 2);
    EXPECT_FALSE(window.widgetFrame()->isVisible());
}

TEST_F(MainWindowTest, WindowAndFrameGoTogetherEitherWay)
{
    QPointer<QWidget> frame;
    {
        Window window;
        frame = window.widgetFrame();
        window.show(true);
    }
    EXPECT_TRUE(frame.isNull());

    auto* window = new Window;
    QPointer<Window> guard(window);
    delete window->widgetFrame();
    EXPECT_TRUE(guard.isNull());
}

TEST_F(MainWindowTest, LanguageChangeRetranslates)
{
    Window window;
    window.fileMenu()->setTitle(QStringLiteral("stale"));
    window.exitAction()->setText(QStringLiteral("stale"));
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(window.widgetFrame(), &change);
    EXPECT_EQ(window.retranslated, 1);
    EXPECT_EQ(window.fileMenu()->title(), QStringLiteral("&File"));
    EXPECT_EQ(window.exitAction()->text(), QStringLiteral("E&xit"));
}

TEST_F(MainWindowTest, UiStateFollowsQueuedSignalsOnlyWhenEnabled)
{
    Window window;
    QObject sender;
    QCoreApplication::processEvents();
    EXPECT_EQ(window.updated, 0);

    QMetaObject::invokeMethod(&sender, [] {}, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.updated, 0);

    window.enableUpdateUi(true);
    EXPECT_TRUE(window.isUpdateUiEnabled());
    QCoreApplication::processEvents();
    const int afterEnable = window.updated;
    EXPECT_EQ(afterEnable, 1);

    // A burst of queued signals gives one refresh once they are handled.
    for (int i = 0; i < 5; ++i)
        QMetaObject::invokeMethod(&sender, [] {}, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.updated, afterEnable + 1);

    // Nothing happening: no refresh.
    QCoreApplication::processEvents();
    EXPECT_EQ(window.updated, afterEnable + 1);

    window.enableUpdateUi(false);
    QMetaObject::invokeMethod(&sender, [] {}, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.updated, afterEnable + 1);
}

TEST_F(MainWindowTest, HelperSetsTitlesAndDefaultSize)
{
    Window window;
    window.widgetHelper()->setAllWindowTitle(QStringLiteral("Edit EPUB Info"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Edit EPUB Info"));
    EXPECT_EQ(window.widgetFrame()->windowTitle(), QStringLiteral("Edit EPUB Info"));

    window.setMinimumSize(1020, 611);
    window.widgetHelper()->setDefaultSize(QSize(1020, 611));
    EXPECT_EQ(window.widgetHelper()->defaultSize(), QSize(1020, 611));
    window.show(true);
    EXPECT_EQ(window.widgetFrame()->size(), QSize(1020, 611));
    EXPECT_EQ(window.size(), QSize(1020, 611));
}

TEST_F(MainWindowTest, InitializeTitlesTheFrameWithTheProductName)
{
    Window window;
    window.setWindowTitle(QStringLiteral("MainWindow"));
    window.initialize();
    EXPECT_EQ(window.widgetFrame()->windowTitle(), VuPref::product_name());
}

TEST_F(MainWindowTest, UpdateCheckSettingsAreStored)
{
    {
        Window window;
        EXPECT_TRUE(window.autoCheckUpdate());
        EXPECT_EQ(window.autoCheckUpdateInterval(), 7);
        window.setAutoCheckUpdate(false);
        window.setAutoCheckUpdateInterval(30);
    }
    Window again;
    EXPECT_FALSE(again.autoCheckUpdate());
    EXPECT_EQ(again.autoCheckUpdateInterval(), 30);
}

TEST_F(MainWindowTest, SkinChangesReachTheWindow)
{
    VuSkinManager* skins = VuApplication::skinManager();
    ASSERT_NE(skins, nullptr);
    EXPECT_EQ(skins, VuApplication::skinManager());
    EXPECT_TRUE(skins->currentSkin()->property(QStringLiteral("processBgColor")).isEmpty());

    Window window;
    VuSkin* before = skins->currentSkin();
    VuSkin* reportedCurrent = nullptr;
    VuSkin* reportedPrevious = nullptr;
    QObject::connect(skins, &VuSkinManager::skinChangeAfter, &window,
                     [&](VuSkin* current, VuSkin* previous) {
                         reportedCurrent = current;
                         reportedPrevious = previous;
                     });
    skins->changeSkin(VuSkin(QStringLiteral("dark"),
                             { { QStringLiteral("processBgColor"), QStringLiteral("#000000") } }));
    VuSkin* now = skins->currentSkin();
    EXPECT_EQ(now->property(QStringLiteral("processBgColor")), QStringLiteral("#000000"));
    EXPECT_TRUE(now->property(QStringLiteral("processFontColor")).isEmpty());
    EXPECT_EQ(window.coming, now);
    EXPECT_EQ(window.changedTo, now);
    EXPECT_EQ(reportedCurrent, now);
    EXPECT_EQ(reportedPrevious, before);

    skins->changeSkin(VuSkin());
    EXPECT_TRUE(skins->currentSkin()->property(QStringLiteral("processBgColor")).isEmpty());
}

TEST_F(MainWindowTest, ApplicationKnowsItsMainWindowWhileItLives)
{
    {
        Window window;
        VuApplication::setMainWindow(&window);
        EXPECT_EQ(VuApplication::mainWindow(), &window);
    }
    EXPECT_EQ(VuApplication::mainWindow(), nullptr);
}

} // namespace
