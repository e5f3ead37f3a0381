// The window's actions and menus: which command each action and tool
// button runs, the menu bar, the task list's context menu, the enabled
// state of the actions, and the two output radios that act as one choice.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/mainaction.h"
#include "app/outputsettings.h"
#include "app/vutreewidget.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void MainWindow::createActions()
{
    m_actions = std::make_unique<MainActions>(this);
    const MainActions& a = *m_actions;
    connect(a.addFiles, &QAction::triggered, this, &MainWindow::on_addFiles);
    connect(a.addFolder, &QAction::triggered, this, &MainWindow::on_addFolder);
    connect(a.workBackground, &QAction::triggered, this, &MainWindow::on_workBackground);
    connect(a.remove, &QAction::triggered, this, &MainWindow::on_removeFile);
    connect(a.removeAll, &QAction::triggered, this, &MainWindow::on_clearFiles);
    connect(a.selectAll, &QAction::triggered, this, &MainWindow::slotSelectAll);
    connect(a.convertSelection, &QAction::triggered, this, &MainWindow::on_convertSelection);
    connect(a.selectInverse, &QAction::triggered, this, &MainWindow::on_selectInverse);
    connect(a.editEpubInfo, &QAction::triggered, this, &MainWindow::on_editEpubInfo);
    connect(a.moveUp, &QAction::triggered, this, &MainWindow::on_moveUp);
    connect(a.moveDown, &QAction::triggered, this, &MainWindow::on_moveDown);
    connect(a.convert, &QAction::triggered, this, &MainWindow::on_convert);
    connect(a.abort, &QAction::triggered, this, &MainWindow::on_convertCancel);
    connect(a.settings, &QAction::triggered, this, &MainWindow::on_settings);

    connect(ui->pushButtonAddFiles, &QPushButton::clicked, this, &MainWindow::on_addFiles);
    connect(ui->pushButtonRemove, &QPushButton::clicked, this, &MainWindow::on_removeFile);
    connect(ui->pushButtonClear, &QPushButton::clicked, this, &MainWindow::on_clearFiles);
    connect(ui->pushButtonEditEPUB, &QPushButton::clicked, this, &MainWindow::on_editEpubInfo);
    connect(ui->pushButtonConvert, &QPushButton::clicked, this, &MainWindow::on_convert);
    connect(ui->pushButtonCancel, &QPushButton::clicked, this, &MainWindow::on_convertCancel);

    // Its shortcut works wherever the focus is in the window.
    addAction(a.selectAll);
}

void MainWindow::fillMenuBar()
{
    const MainActions& a = *m_actions;
    QMenu* file = fileMenu();
    QAction* exit = exitAction();
    file->insertActions(exit, { a.addFiles, a.addFolder });
    file->insertSeparator(exit);
    file->insertAction(exit, a.workBackground);
    file->insertSeparator(exit);

    // Leaving through the menu closes the framed window, so the window's
    // own close handling asks its questions first.
    disconnect(exit, &QAction::triggered, this, &VuMainWindow::on_fileExit);
    connect(exit, &QAction::triggered, widgetFrame(), &QWidget::close);

    toolsMenu()->addSeparator();
    toolsMenu()->addAction(a.settings);

    QMenuBar* bar = menuBar();
    bar->clear();
    bar->addMenu(fileMenu());
    bar->addMenu(a.editMenu);
    bar->addMenu(a.actionsMenu);
    bar->addMenu(toolsMenu());
    bar->addMenu(helpMenu());
}

// Opens whether or not a row lies under the pointer; the entries are
// enabled as the window's state allows.
void MainWindow::showTaskListContextMenu(const QPoint& pos)
{
    m_actions->taskListMenu->popup(m_taskList->viewport()->mapToGlobal(pos));
}

void MainWindow::updateActionStates(ListState state)
{
    // The framework may ask for a refresh before the actions are made.
    if (!m_actions)
        return;
    const MainActions& a = *m_actions;
    const bool running = state == ListState::Running;
    const bool idleRows = state == ListState::NoneSelected || state == ListState::SomeSelected;
    const bool someSelected = state == ListState::SomeSelected;
    const int selected = m_taskList->selectedItems().size();

    a.addFiles->setEnabled(!running);
    a.addFolder->setEnabled(!running);
    a.workBackground->setEnabled(true);
    a.remove->setEnabled(someSelected);
    a.removeAll->setEnabled(idleRows);
    a.selectInverse->setEnabled(idleRows);
    a.selectAll->setEnabled(idleRows && selected < m_taskList->topLevelItemCount());
    a.moveUp->setEnabled(someSelected && m_taskList->canMoveUp());
    a.moveDown->setEnabled(someSelected && m_taskList->canMoveDown());
    a.convertSelection->setEnabled(someSelected);
    a.editEpubInfo->setEnabled(someSelected && selected == 1);
    a.convert->setEnabled(idleRows);
    a.abort->setEnabled(running);
    a.afterDoneMenu->setEnabled(true);
    a.settings->setEnabled(!running);
}

// The two radios sit in different layouts; they are kept one choice here
// and the choice is stored at once.
void MainWindow::slotOutputRadioStatus()
{
    if (sender() == ui->radioButtonSameFoler)
        ui->radioButtonCustomize->setChecked(!ui->radioButtonSameFoler->isChecked());
    else
        ui->radioButtonSameFoler->setChecked(!ui->radioButtonCustomize->isChecked());
    outputsettings::storeSameFolder(ui->radioButtonSameFoler->isChecked());
}
