// What the window does about the computer and about itself rather than
// about tasks: the "After Done" action at the end of a run, the tray icon
// with its menu, and background mode, in which the framed window is hidden
// and only the tray icon is left.
#include "app/mainwindow.h"

#include "app/mainaction.h"
#include "convert/logwriter.h"
#include "platform/vuframe0/vupowerstate.h"
#include "platform/vuframe0/vupref.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

const char kSource[] = ".\\mainwindow";

} // namespace

void MainWindow::runAfterDoneAction()
{
    const MainActions& a = *m_actions;
    // Tested in this order; the first checked one decides.
    const struct {
        QAction* choice;
        int state;
    } choices[] = {
        { a.doNothing, -1 },
        { a.shutDown, VuPowerState::ShutDown },
        { a.hibernate, VuPowerState::Hibernate },
        { a.standBy, VuPowerState::StandBy },
        { a.exitProgram, VuPowerState::Exit },
    };
    for (const auto& choice : choices) {
        if (!choice.choice->isChecked())
            continue;
        if (choice.state < 0)
            return;
        VuPowerState power(choice.state, this);
        power.exec();
        return;
    }
}

bool MainWindow::isSystemTrayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void MainWindow::initSysTrayIcon()
{
    if (!isSystemTrayAvailable()) {
        writeLogEntry(kSource, __LINE__, "MainWindow::initSysTrayIcon");
        return;
    }
    if (m_trayIcon)
        return;
    m_trayIcon = new QSystemTrayIcon(QApplication::windowIcon(), this);
    m_trayIcon->setObjectName(QStringLiteral("trayIcon"));
    m_trayIcon->setToolTip(VuPref::product_name());

    // The menu has no parent widget (it is a window of its own); the
    // window owns it, and the "Open" entry goes with the menu.
    m_trayMenu = std::make_unique<QMenu>();
    m_trayMenu->setObjectName(QStringLiteral("menuTray"));
    auto* open = new QAction(tr("Open") + QLatin1Char(' ') + VuPref::product_name(), m_trayMenu.get());
    open->setObjectName(QStringLiteral("actionTrayOpen"));
    open->setData(QStringLiteral("Open"));
    const MainActions& a = *m_actions;
    m_trayMenu->addAction(open);
    m_trayMenu->addSeparator();
    m_trayMenu->addActions({ a.convert, a.abort });
    m_trayMenu->addSeparator();
    m_trayMenu->addActions({ helpTopicsAction(), readmeAction() });
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(aboutAction());
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(exitAction());

    m_trayIcon->setContextMenu(m_trayMenu.get());
    connect(open, &QAction::triggered, this, &MainWindow::on_resumeMainWindow);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::on_trayIconActivated);
    m_trayIcon->hide();
}

// Without a tray there would be no way back to a hidden window: it is
// minimised instead, so the task bar still offers it.
void MainWindow::on_workBackground()
{
    QWidget* frame = widgetFrame();
    if (frame && !frame->isHidden()) {
        if (m_trayIcon)
            frame->hide();
        else
            frame->showMinimized();
    } else {
        writeLogEntry(kSource, __LINE__, "MainWindow::on_workBackground");
    }
    if (m_trayIcon)
        m_trayIcon->show();
}

// A window hidden while it was minimised comes back in its normal size.
void MainWindow::on_resumeMainWindow()
{
    QWidget* frame = widgetFrame();
    if (!frame) {
        writeLogEntry(kSource, __LINE__, "MainWindow::on_resumeMainWindow");
        return;
    }
    if (frame->isHidden())
        frame->show();
    if (frame->isMinimized())
        frame->showNormal();
    else
        frame->raise();
    frame->activateWindow();
    if (m_trayIcon)
        m_trayIcon->hide();
}

// A single click and the context request do nothing here: the context menu
// opens by itself.
void MainWindow::on_trayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick)
        on_resumeMainWindow();
}
