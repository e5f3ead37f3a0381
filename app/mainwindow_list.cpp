// The task list's commands (remove, clear, select, invert, move, book
// information, settings), the preview following the selection, the
// enabled state of every control, and the questions on closing.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/taskrow.h"
#include "app/vutreewidget.h"
#include "convert/pagelist.h"
#include "convert/vuconsolethread.h"
#include "dialogs/epubinfoeditdialog.h"
#include "dialogs/settings.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"
#include "preview/hostwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>

void MainWindow::on_removeFile()
{
    m_taskList->removeSelected();
}

void MainWindow::on_clearFiles()
{
    const QMessageBox::StandardButton answer = VuMessageBox::question(
        tr("Are you sure you want to clear all the items from the list?"), VuPref::product_name(),
        QMessageBox::Yes | QMessageBox::No, this, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        m_taskList->clear();
}

void MainWindow::slotSelectAll()
{
    m_taskList->selectAll();
}

void MainWindow::on_selectInverse()
{
    for (int at = 0; at < m_taskList->topLevelItemCount(); ++at) {
        QTreeWidgetItem* row = m_taskList->topLevelItem(at);
        row->setSelected(!row->isSelected());
    }
}

void MainWindow::on_moveUp()
{
    m_taskList->moveSelectedUp();
}

void MainWindow::on_moveDown()
{
    m_taskList->moveSelectedDown();
}

// The dialog hands back the record unchanged unless OK was pressed, so it
// is written back whichever way the dialog closed.
void MainWindow::on_editEpubInfo()
{
    QTreeWidgetItem* row = firstSelectedRow();
    if (!row)
        return;
    EpubInfoEditDialog dialog(m_taskList->bookInfo(row), this);
    dialog.exec();
    m_taskList->setBookInfo(row, dialog.bookInfo());
}

void MainWindow::on_settings()
{
    Settings dialog(this);
    dialog.exec();
}

// The selected row that comes first in the list.
QTreeWidgetItem* MainWindow::firstSelectedRow() const
{
    for (int at = 0; at < m_taskList->topLevelItemCount(); ++at) {
        if (m_taskList->topLevelItem(at)->isSelected())
            return m_taskList->topLevelItem(at);
    }
    return nullptr;
}

// A row whose password prompt was given up on asks for it again when it is
// chosen, rather than failing to open.
void MainWindow::on_listSelectionChanged()
{
    QTreeWidgetItem* row = m_taskList->singleSelectedRow();
    if (taskrow::isLocked(row) && !hasPendingTask())
        m_taskList->unlockLockedRow(row);
    previewSelectedRow();
}

// The preview shows the one selected row's file while nothing converts;
// the path and password go to it exactly as stored, since a file name or a
// password may begin or end with blanks. A row still without its password
// shows nothing.
void MainWindow::previewSelectedRow()
{
    HostWindow* preview = ui->widgetPDFView;
    preview->clearPDF();
    QTreeWidgetItem* row = m_taskList->singleSelectedRow();
    if (hasPendingTask() || !row || taskrow::isLocked(row)) {
        ui->lineEditCurPage->clear();
        ui->labelPageShow->setText(QStringLiteral(" / 0"));
        setPageFieldText(QString());
        ui->radioButtonPageAll->setChecked(true);
        setPageTextEnabled(false);
        preview->setCanResizePreview(false);
        return;
    }
    preview->openPDF(m_taskList->selectedPdfPath(), m_taskList->selectedPassword());
    ui->lineEditCurPage->setText(QString::number(preview->curPage()));
    ui->labelPageShow->setText(QStringLiteral(" / %1").arg(preview->countPage()));
    const QString pages = m_taskList->selectedPageText();
    setPageFieldText(pages);
    const bool all = utils::isAllPagesText(pages);
    (all ? ui->radioButtonPageAll : ui->radioButtonPageRange)->setChecked(true);
    setPageTextEnabled(!all);
    preview->setCanResizePreview(true);
}

void MainWindow::setPageTextEnabled(bool enabled)
{
    ui->lineEditPageStr->setEnabled(enabled);
    ui->labelPageTips->setEnabled(enabled);
}

MainWindow::ListState MainWindow::listState() const
{
    if (m_taskList->topLevelItemCount() == 0)
        return ListState::Empty;
    if (hasPendingTask())
        return ListState::Running;
    return m_taskList->selectedItems().isEmpty() ? ListState::NoneSelected : ListState::SomeSelected;
}

void MainWindow::updateUiState()
{
    const ListState state = listState();
    const bool running = state == ListState::Running;
    const bool idleRows = state == ListState::NoneSelected || state == ListState::SomeSelected;
    const bool someSelected = state == ListState::SomeSelected;
    const bool oneSelected = someSelected && m_taskList->selectedItems().size() == 1;

    // With no rows the output choice keeps whatever state it had.
    if (state != ListState::Empty) {
        ui->radioButtonSameFoler->setEnabled(!running);
        ui->radioButtonCustomize->setEnabled(!running);
    }
    ui->lineEditOutFolder->setEnabled(!running);
    ui->pushButtonBrowse->setEnabled(!running);
    ui->pushButtonAddFiles->setEnabled(!running);
    m_taskList->setAcceptDrops(!running);
    ui->pushButtonRemove->setEnabled(someSelected);
    ui->pushButtonClear->setEnabled(idleRows);
    ui->pushButtonEditEPUB->setEnabled(oneSelected);
    ui->pushButtonConvert->setVisible(!running);
    ui->pushButtonConvert->setEnabled(idleRows);
    ui->pushButtonCancel->setVisible(running);
    ui->pushButtonCancel->setEnabled(running);
    ui->pushButtonOpen->setEnabled(true);
    m_taskList->setEditorsEnabled(!running);
    const QList<QWidget*> pageControls{ ui->toolButtonFirstPage, ui->toolButtonBefore, ui->lineEditCurPage,
                                        ui->toolButtonNext,      ui->toolButtonLastPage, ui->groupBoxPageRange };
    for (QWidget* control : pageControls)
        control->setEnabled(oneSelected);
    updateActionStates(state);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_taskList->topLevelItemCount() == 0) {
        QCoreApplication::quit();
        event->accept();
        return;
    }
    if (hasPendingTask()) {
        if (askHoldingQueue(tr("There are one or more tasks running. Are you sure you want to exit?")))
            stopAndQuit();
        else
            goOnAfterQuestion();
        // The window stays until the worker has stopped.
        event->ignore();
        return;
    }
    const QMessageBox::StandardButton answer =
        VuMessageBox::question(tr("Are you sure you want to exit?"), VuPref::product_name(),
                               QMessageBox::Yes | QMessageBox::No, this, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    QCoreApplication::quit();
    event->accept();
}

// The worker quits the program once it has stopped. Should it have ended
// just before it was told, its report still comes, and the end of the task
// quits instead; with no task converting at all, nothing is waited for.
void MainWindow::stopAndQuit()
{
    m_quitAfterStop = true;
    if (m_currentWorker)
        m_currentWorker->stop(true);
    if (!hasConvertingRow())
        quitApp();
}

bool MainWindow::hasConvertingRow() const
{
    for (int at = 0; at < m_taskList->topLevelItemCount(); ++at) {
        if (taskrow::status(m_taskList->topLevelItem(at)) == taskrow::StatusConverting)
            return true;
    }
    return false;
}
