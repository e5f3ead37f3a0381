#include "platform/vuframe0/vumainwindow.h"

#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuproduct.h"
#include "platform/vuframe0/vuskinmanager.h"
#include "platform/vuframe0/vuuiupdater_p.h"
#include "platform/vuframe0/vuwidgethelper.h"
#include "platform/vuframe0/vuwindowframe_p.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

namespace {

const char kAutoCheckUpdateKey[] = "auto_check_update";
const char kAutoCheckUpdateIntervalKey[] = "auto_check_update_interval";
const int kDefaultCheckInterval = 7;

} // namespace

VuMainWindow::VuMainWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(nullptr)
{
    // The frame is the top-level window; this window is its only child.
    m_frame = new VuWindowFrame(this, parent, flags);
    setParent(m_frame, Qt::Widget);
    m_frame->layout()->addWidget(this);
    m_helper = std::make_unique<VuWidgetHelper>(this, m_frame);
    m_updater = new VuUiUpdater(this);

    createMenus();
    retranslateFramework();

    VuSkinManager* skins = VuApplication::skinManager();
    connect(skins, &VuSkinManager::skinChangeBefore, this, &VuMainWindow::skinAboutToChange);
    connect(skins, &VuSkinManager::skinChangeAfter, this,
            [this](VuSkin* current, VuSkin*) { skinChanged(current); });
}

VuMainWindow::~VuMainWindow()
{
    m_updater->setEnabled(false);
    if (VuWindowFrame* frame = m_frame) {
        // This window goes first (the usual case: a local of main): leave the
        // frame, then delete it, so it does not delete this window again.
        m_frame = nullptr;
        frame->releaseWindow();
        setParent(nullptr);
        delete frame;
    }
}

void VuMainWindow::frameGone()
{
    m_frame = nullptr;
}

void VuMainWindow::createMenus()
{
    m_fileMenu = new QMenu(this);
    m_fileMenu->setObjectName(QStringLiteral("menuFile"));
    m_exitAction = new QAction(this);
    m_exitAction->setObjectName(QStringLiteral("actionExit"));
    m_exitAction->setMenuRole(QAction::QuitRole);
    m_fileMenu->addAction(m_exitAction);
    connect(m_exitAction, &QAction::triggered, this, &VuMainWindow::on_fileExit);

    m_toolsMenu = new QMenu(this);
    m_toolsMenu->setObjectName(QStringLiteral("menuTools"));
    m_checkUpdateAction = new QAction(this);
    m_checkUpdateAction->setObjectName(QStringLiteral("actionCheckUpdate"));
    m_toolsMenu->addAction(m_checkUpdateAction);
    connect(m_checkUpdateAction, &QAction::triggered, this, &VuMainWindow::on_helpCheckUpdate);

    m_helpMenu = new QMenu(this);
    m_helpMenu->setObjectName(QStringLiteral("menuHelp"));
    m_helpTopicsAction = new QAction(this);
    m_helpTopicsAction->setObjectName(QStringLiteral("actionHelpTopics"));
    m_readmeAction = new QAction(this);
    m_readmeAction->setObjectName(QStringLiteral("actionReadme"));
    m_aboutAction = new QAction(this);
    m_aboutAction->setObjectName(QStringLiteral("actionAbout"));
    m_aboutAction->setMenuRole(QAction::AboutRole);
    m_helpMenu->addAction(m_helpTopicsAction);
    m_helpMenu->addAction(m_readmeAction);
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(m_aboutAction);
    connect(m_helpTopicsAction, &QAction::triggered, this, &VuMainWindow::on_helptopics);
    connect(m_readmeAction, &QAction::triggered, this, &VuMainWindow::on_helpReadme);
    connect(m_aboutAction, &QAction::triggered, this, &VuMainWindow::on_helpAbout);
    connect(m_helpMenu, &QMenu::aboutToShow, this, &VuMainWindow::on_titlebar_menu_aboutToShow);

    menuBar()->addMenu(m_fileMenu);
    menuBar()->addMenu(m_toolsMenu);
    menuBar()->addMenu(m_helpMenu);
}

void VuMainWindow::retranslateFramework()
{
    m_fileMenu->setTitle(tr("&File"));
    m_exitAction->setText(tr("E&xit"));
    m_toolsMenu->setTitle(tr("&Tools"));
    m_checkUpdateAction->setText(tr("Check for &Updates..."));
    m_helpMenu->setTitle(tr("&Help"));
    m_helpTopicsAction->setText(tr("&Help Topics"));
    m_readmeAction->setText(tr("&Readme"));
    m_aboutAction->setText(tr("&About %1").arg(VuPref::product_name()));
    m_helper->setAllWindowTitle(VuPref::product_name());
}

void VuMainWindow::enableUpdateUi(bool enable)
{
    m_updater->setEnabled(enable);
}

bool VuMainWindow::isUpdateUiEnabled() const
{
    return m_updater->isEnabled();
}

void VuMainWindow::requestUpdateUi()
{
    m_updater->request();
}

void VuMainWindow::initialize()
{
    setCustomTitleButtonMenu();
    // The frame has no icon of its own: it shows the application's, also
    // one that is set after this.
    retranslateFramework();
    skinChanged(VuApplication::skinManager()->currentSkin());
    requestUpdateUi();
}

void VuMainWindow::show(bool center)
{
    QMainWindow::setVisible(true);
    if (!m_frame)
        return;
    if (center && !m_frame->isVisible())
        Vu::moveCenter(m_frame);
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
}

void VuMainWindow::setVisible(bool visible)
{
    QMainWindow::setVisible(visible);
    if (visible && m_frame && !m_frame->isVisible() && !m_showingFrame) {
        m_showingFrame = true;
        m_frame->show();
        m_showingFrame = false;
    }
}

QWidget* VuMainWindow::widgetFrame() const
{
    return m_frame;
}

bool VuMainWindow::autoCheckUpdate() const
{
    return VuPref::value(QLatin1String(kAutoCheckUpdateKey), true).toBool();
}

void VuMainWindow::setAutoCheckUpdate(bool enabled)
{
    VuPref::setValue(QLatin1String(kAutoCheckUpdateKey), enabled, false);
}

int VuMainWindow::autoCheckUpdateInterval() const
{
    bool ok = false;
    const int days =
        VuPref::value(QLatin1String(kAutoCheckUpdateIntervalKey), kDefaultCheckInterval).toInt(&ok);
    return ok ? days : kDefaultCheckInterval;
}

void VuMainWindow::setAutoCheckUpdateInterval(int days)
{
    VuPref::setValue(QLatin1String(kAutoCheckUpdateIntervalKey), days, false);
}

void VuMainWindow::setCustomTitleButtonMenu()
{
}

void VuMainWindow::retranslate()
{
    retranslateFramework();
}

void VuMainWindow::updateUiState()
{
}

void VuMainWindow::skinChanged(VuSkin*)
{
    update();
}

void VuMainWindow::skinAboutToChange(VuSkin*)
{
}

void VuMainWindow::on_fileExit()
{
    const bool closed = m_frame ? m_frame->close() : close();
    if (closed)
        QCoreApplication::quit();
}

void VuMainWindow::on_helpCheckUpdate()
{
    VuMessageBox::info(tr("Updates are not checked on this system.\nYou are running %1 %2.")
                           .arg(VuPref::product_name(),
                                VuProduct::productInfo(QStringLiteral("PRODUCT_VERSION"))),
                       VuPref::product_name(), this);
}

void VuMainWindow::on_helpReadme()
{
    const QString readme = QCoreApplication::applicationDirPath() + QStringLiteral("/README.md");
    if (QFileInfo(readme).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(readme)))
        return;
    VuMessageBox::info(tr("The help file \"%1\" cannot be opened.").arg(readme),
                       VuPref::product_name(), this);
}

void VuMainWindow::on_helpTodo()
{
}

void VuMainWindow::on_helpAbout()
{
    VuMessageBox::info(tr("%1 %2\nConverts PDF documents into ePub e-books.")
                           .arg(VuPref::product_name(),
                                VuProduct::productInfo(QStringLiteral("PRODUCT_VERSION"))),
                       tr("About %1").arg(VuPref::product_name()), this);
}

void VuMainWindow::on_showMenuBar()
{
    menuBar()->setVisible(!menuBar()->isVisible());
}

void VuMainWindow::on_titlebar_menu_aboutToShow()
{
}

void VuMainWindow::on_action_command(const QString& command)
{
    if (command == QLatin1String("exit"))
        on_fileExit();
    else if (command == QLatin1String("about"))
        on_helpAbout();
    else if (command == QLatin1String("help"))
        on_helptopics();
    else if (command == QLatin1String("checkupdate"))
        on_helpCheckUpdate();
}

void VuMainWindow::on_helptopics()
{
    on_helpReadme();
}

void VuMainWindow::on_helpgetstart()
{
    on_helpReadme();
}

void VuMainWindow::on_helpsupport()
{
    on_helpAbout();
}

void VuMainWindow::on_localhelptopics()
{
    on_helpReadme();
}

bool VuMainWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowActivate:
        requestUpdateUi();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void VuMainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        on_helptopics();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void VuMainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QMainWindow::changeEvent(event);
}
