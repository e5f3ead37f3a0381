#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/mainaction.h"
#include "app/outputsettings.h"
#include "app/taskrow.h"
#include "app/vumtaskstatusdelegate.h"
#include "app/vutreewidget.h"
#include "convert/logwriter.h"
#include "convert/pagelist.h"
#include "convert/vuconsolethread.h"
#include "convert/utils.h"
#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuskinmanager.h"
#include "platform/vuframe0/vuwidgethelper.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>

namespace {

const char kSource[] = ".\\mainwindow";

const QSize kDefaultSize(1020, 611);

// The program's own picture in every size it was drawn at, so the tray and
// the task bar need not scale one down.
QIcon programIcon()
{
    QIcon icon;
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/quireflow-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : VuMainWindow(parent, Qt::WindowFlags())
    , ui(std::make_unique<Ui::MainWindow>())
{
    // Every window of the program shows it, and the tray icon is made of it.
    QApplication::setWindowIcon(programIcon());
    // Builds the form, sets its texts and connects the on_<object>_<signal>
    // slots by name.
    ui->setupUi(this);

    enableUpdateUi(true);
    initialize();

    setUpProgressBar();
    loadOutputSettings();
    setButtonIcons();
    connectSignals();
    createActions();
    fillMenuBar();
    initSysTrayIcon();

    m_fileFilters << QStringLiteral("*.pdf");
    widgetHelper()->setDefaultSize(kDefaultSize);
}

// The worker goes first, while the rows it was given still exist; its
// destructor stops it and waits for its thread.
MainWindow::~MainWindow()
{
    delete m_currentWorker;
    // The icon before the menu it shows.
    delete m_trayIcon;
}

// The form's bar shows 50 %; the bar stays hidden until a task runs.
void MainWindow::setUpProgressBar()
{
    ui->progressBar->setTextVisible(false);
    ui->progressBar->setValue(0);
    ui->progressBar->setEnabled(false);
    ui->progressBar->hide();
}

void MainWindow::loadOutputSettings()
{
    // The default output folder exists from the first start on, so "Open"
    // and "Convert" find it.
    utils::makePath(Vu::outputPath());
    showOutputFolder(outputsettings::storedFolder());

    ui->pushButtonCancel->hide();
    ui->pushButtonClear->setEnabled(false);

    m_taskList = ui->treeWidget;
    setUpTaskList();

    // The two radios are one choice; checking one unchecks the other.
    if (outputsettings::storedSameFolder())
        ui->radioButtonSameFoler->setChecked(true);
    else
        ui->radioButtonCustomize->setChecked(true);
}

void MainWindow::setUpTaskList()
{
    m_taskList->setColumnCount(taskrow::kColumnCount);
    setTaskListHeaders();
    for (int column = 0; column < taskrow::kColumnCount; ++column)
        m_taskList->setColumnWidth(column, taskrow::columnWidth(column));
    m_taskList->setColumnHidden(taskrow::ColumnBlank, true);
    m_taskList->setItemDelegateForColumn(taskrow::ColumnStatus,
                                         new VumTaskStatusDelegate(m_taskList));
    m_taskList->setHostWindow(ui->widgetPDFView);
}

void MainWindow::setTaskListHeaders()
{
    QStringList headers;
    for (int column = 0; column < taskrow::kColumnCount; ++column)
        headers << taskrow::columnHeader(column);
    m_taskList->setHeaderLabels(headers);
}

// The buttons without text show the style's standard pictures, so they can
// be told apart while the skin brings no icons of its own.
void MainWindow::setButtonIcons()
{
    QStyle* style = this->style();
    ui->pushButtonConvert->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    ui->pushButtonCancel->setIcon(style->standardIcon(QStyle::SP_MediaStop));
    for (QPushButton* button : { ui->pushButtonConvert, ui->pushButtonCancel }) {
        button->setIconSize(QSize(32, 32));
        button->setMinimumSize(QSize(96, 40));
    }
    ui->toolButtonFirstPage->setIcon(style->standardIcon(QStyle::SP_MediaSkipBackward));
    ui->toolButtonBefore->setIcon(style->standardIcon(QStyle::SP_MediaSeekBackward));
    ui->toolButtonNext->setIcon(style->standardIcon(QStyle::SP_MediaSeekForward));
    ui->toolButtonLastPage->setIcon(style->standardIcon(QStyle::SP_MediaSkipForward));
}

void MainWindow::connectSignals()
{
    connect(ui->pushButtonOpen, &QPushButton::clicked, this, &MainWindow::on_openOutputFolder);
    connect(ui->pushButtonBrowse, &QPushButton::clicked, this, &MainWindow::on_selectOutputFolder);
    connect(m_taskList, &QTreeWidget::itemSelectionChanged, this,
            &MainWindow::on_listSelectionChanged);
    connect(m_taskList, &VuTreeWidget::sglSyncListToSettings, this,
            &MainWindow::on_syncListToSettings);
    // Adding dropped files used the preview to count their pages.
    connect(m_taskList, &VuTreeWidget::sglAddFileFinished, this, &MainWindow::previewSelectedRow);
    connect(m_taskList, &QWidget::customContextMenuRequested, this,
            &MainWindow::showTaskListContextMenu);
    connect(VuApplication::skinManager(), &VuSkinManager::skinChangeAfter, this,
            &MainWindow::slotAfterChangeSkin);
    connect(ui->radioButtonSameFoler, &QRadioButton::clicked, this,
            &MainWindow::slotOutputRadioStatus);
    connect(ui->radioButtonCustomize, &QRadioButton::clicked, this,
            &MainWindow::slotOutputRadioStatus);
}

void MainWindow::retranslate()
{
    ui->retranslateUi(this);
    // The form's text is " / 0"; the page count of the document on show
    // stays.
    ui->labelPageShow->setText(QStringLiteral(" / %1").arg(ui->widgetPDFView->countPage()));
    if (m_actions)
        m_actions->retranslate();
    setTaskListHeaders();
    VuMainWindow::retranslate();
    m_taskList->retranslateCells();
    if (ui->radioButtonPageAll->isChecked())
        setPageFieldText(utils::allPagesText());
    retranslateTrayMenu();
}

// The tray menu's "Open" entry names the product and is found by its data;
// every other entry is one of the window's actions, translated with them, and
// is only noted in the log. No tray menu at all is noted too.
void MainWindow::retranslateTrayMenu()
{
    QMenu* menu = m_trayIcon ? m_trayIcon->contextMenu() : nullptr;
    if (!menu) {
        writeLogEntry(kSource, __LINE__, "MainWindow::retranslate");
        return;
    }
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        if (action->data().toString() == QLatin1String("Open"))
            action->setText(tr("Open") + QLatin1Char(' ') + VuPref::product_name());
        else
            writeLogEntry(kSource, __LINE__, "MainWindow::retranslate");
    }
}

void MainWindow::quitApp()
{
    QCoreApplication::quit();
}

// A skin change needs nothing of the window beyond what the framework does.
void MainWindow::slotAfterChangeSkin(VuSkin*, VuSkin*)
{
}

// Kept for the command binding; running a task goes through the queue.
void MainWindow::on_runTask()
{
}

