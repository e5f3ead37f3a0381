// The conversion queue: "Convert" and "Convert Selected Items" collect rows
// into a run, the rows convert one after another, each on a worker of its
// own, and their progress, result and book link come back into the rows.
// Everything here runs on the GUI thread; the worker reaches it through
// its signals only.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/taskrow.h"
#include "app/vubooklinklabel.h"
#include "app/vutreewidget.h"
#include "convert/logwriter.h"
#include "convert/utils.h"
#include "convert/vuconsolethread.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"
#include "preview/hostwindow.h"

#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>

#include <algorithm>
#include <utility>

namespace {

const char kSource[] = ".\\mainwindow";

Q_LOGGING_CATEGORY(lcQueue, "quireflow.queue", QtInfoMsg)

// A row converts only while its PDF is a regular file, so that a row whose
// file is gone or is a named pipe shows "Skipped". The worker opens the file
// once more for itself and refuses, without waiting, whatever stands there
// by then.
bool canConvertFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

} // namespace

void MainWindow::on_convert()
{
    m_outputFolder = utils::folderPath(ui->lineEditOutFolder->text());
    if (!ui->radioButtonSameFoler->isChecked()) {
        QString checked;
        if (!checkOutputFolder(checked)) {
            writeLogSite(kSource, __LINE__, "MainWindow::on_convert");
            writeLogLine("%s", "outfile path false");
            return;
        }
        // The folder as checked, not the raw text.
        m_outputFolder = utils::folderPath(checked);
    }
    getTaskItemList(false);
    slotPdfConvert();
}

void MainWindow::on_convertSelection()
{
    m_outputFolder = utils::folderPath(ui->lineEditOutFolder->text());
    QString checked;
    if (!checkOutputFolder(checked))
        return;
    if (!ui->radioButtonSameFoler->isChecked())
        m_outputFolder = utils::folderPath(checked);
    // In the order of the list, not the order in which they were clicked.
    m_pendingTasks.clear();
    for (int at = 0; at < m_taskList->topLevelItemCount(); ++at) {
        if (m_taskList->topLevelItem(at)->isSelected())
            m_pendingTasks << m_taskList->topLevelItem(at);
    }
    getTaskItemList(true);
    slotPdfConvert();
}

void MainWindow::getTaskItemList(bool selectedQueued)
{
    if (!selectedQueued) {
        m_pendingTasks.clear();
        for (int at = 0; at < m_taskList->topLevelItemCount(); ++at)
            m_pendingTasks << m_taskList->topLevelItem(at);
    }
    if (!queuedPageListsValid())
        return;
    unlockQueuedRows();
    if (!takeQueuedStatuses())
        return;
    skipMissingFiles();
}

// A queued row whose password prompt was given up on asks for it again;
// without it the row stays skipped and out of the run. Asking opens the
// file in the preview, which then goes back to the selected row.
void MainWindow::unlockQueuedRows()
{
    bool asked = false;
    for (QTreeWidgetItem* row : qAsConst(m_pendingTasks)) {
        if (taskrow::isLocked(row)) {
            m_taskList->unlockLockedRow(row);
            asked = true;
        }
    }
    if (asked)
        previewSelectedRow();
}

// A page list must name pages of the document: a page beyond the count
// would only fail the task later, after the rows before it have converted.
// The rows' own check, once more; the message names the row, so the user
// knows which pages to mend.
bool MainWindow::queuedPageListsValid()
{
    for (QTreeWidgetItem* row : qAsConst(m_pendingTasks)) {
        if (taskrow::acceptsPageText(row, taskrow::pageText(row)))
            continue;
        VuMessageBox::info(tr("Invalid format or out of range!") + QLatin1Char('\n')
                               + tr("\"%1\", Selected Pages: %2")
                                     .arg(row->text(taskrow::ColumnFileName), taskrow::pageText(row)),
                           VuPref::product_name(), this);
        return false;
    }
    return true;
}

// Converted rows go in again only when the user says so, once for all of
// them; skipped and aborted rows stay out. The question comes before any
// row changes, so cancelling the run leaves every row as it was (no row is
// left waiting for a run that never starts). False when cancelled.
bool MainWindow::takeQueuedStatuses()
{
    const bool anyDone = std::any_of(m_pendingTasks.cbegin(), m_pendingTasks.cend(), taskrow::hasBook);
    bool convertAgain = false;
    if (anyDone) {
        const QMessageBox::StandardButton answer = VuMessageBox::question(
            tr("Some files have already been converted successfully.\n"
               "Do you want to convert them again?"),
            VuPref::product_name(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this,
            QMessageBox::Yes);
        if (answer != QMessageBox::Yes && answer != QMessageBox::No) {
            m_pendingTasks.clear();
            return false;
        }
        convertAgain = answer == QMessageBox::Yes;
    }
    for (auto at = m_pendingTasks.begin(); at != m_pendingTasks.end();) {
        QTreeWidgetItem* row = *at;
        const int status = taskrow::status(row);
        const bool queued = taskrow::hasBook(row)
            ? convertAgain
            : status != taskrow::StatusSkipped && status != taskrow::StatusAbort;
        if (!queued) {
            at = m_pendingTasks.erase(at);
            continue;
        }
        taskrow::setStatus(row, taskrow::StatusWaiting);
        // A converted row's link goes; it comes back with the new book.
        m_taskList->removeItemWidget(row, taskrow::ColumnStatus);
        ++at;
    }
    return true;
}

void MainWindow::skipMissingFiles()
{
    const QList<QTreeWidgetItem*> queued = m_pendingTasks;
    for (QTreeWidgetItem* row : queued) {
        if (!canConvertFile(taskrow::pdfPath(row)))
            skipRow(row);
    }
}

void MainWindow::skipRow(QTreeWidgetItem* row)
{
    taskrow::setStatus(row, taskrow::StatusSkipped);
    m_pendingTasks.removeAll(row);
    writeLogSite(kSource, __LINE__, "MainWindow::getTaskItemList");
    writeLogLine("file:: %s is not existed", taskrow::pdfPath(row).toUtf8().constData());
}

void MainWindow::slotPdfConvert()
{
    if (!startNextTask())
        finishRun();
}

// Takes rows off the queue until one starts. A row that is no longer
// waiting is dropped. One whose PDF vanished since it was queued is
// skipped as at queue time, and the run ends there. False when nothing
// started: the run is over.
bool MainWindow::startNextTask()
{
    while (!m_pendingTasks.isEmpty()) {
        QTreeWidgetItem* row = m_pendingTasks.takeFirst();
        if (!row) {
            writeLogSite(kSource, __LINE__, "MainWindow::slotPdfConvert");
            writeLogLine("%s", "pdfConvert item is null");
            return false;
        }
        if (!isListedRow(row) || taskrow::status(row) != taskrow::StatusWaiting)
            continue;
        if (!canConvertFile(taskrow::pdfPath(row))) {
            skipRow(row);
            return false;
        }
        startTask(row);
        return true;
    }
    return false;
}

void MainWindow::startTask(QTreeWidgetItem* row)
{
    const int pageCount = taskrow::pageCount(row);
    QStringList pages;
    // Checked when the row was queued.
    utils::pageTextToList(taskrow::pageText(row), pageCount, &pages);

    const QString pdfPath = taskrow::pdfPath(row);
    if (ui->radioButtonSameFoler->isChecked())
        m_outputFolder = utils::folderPath(QFileInfo(pdfPath).absolutePath());
    QString outputName = utils::bookNameOf(pdfPath);
    utils::uniqueOutputName(outputName, m_outputFolder, QStringLiteral("epub"));

    taskrow::setStatus(row, taskrow::StatusConverting);
    taskrow::setProgressText(row, QStringLiteral("0"));
    taskrow::setPageList(row, pages);
    taskrow::setOutputName(row, outputName);
    taskrow::setOutputFolder(row, m_outputFolder);

    m_rowStartedInRun = true;
    retireWorker();
    m_currentWorker = new VuConsoleThread(this);
    m_currentWorker->setPageHook(m_workerPageHook);
    connect(m_currentWorker, &VuConsoleThread::sglTaskComplete, this, &MainWindow::slotTaskFinished);
    connect(m_currentWorker, &VuConsoleThread::sglItemTaskProcess, this, &MainWindow::slotRefreshTaskProcess);
    connect(m_currentWorker, &VuConsoleThread::processQiut, this, &MainWindow::quitApp);
    m_currentWorker->startTask(row, taskrow::pageList(row), pageCount, pdfPath, taskrow::outputFolder(row),
                               taskrow::outputName(row), taskrow::password(row), taskrow::password(row),
                               taskrow::conversionZoom(row), taskrow::area(row));
}

// The previous worker has normally finished; this may run inside its own
// completion signal, so it is deleted later, not here. One stopped by the
// user may still be winding down: it is waited for, since two workers must
// never build books at once.
void MainWindow::retireWorker()
{
    VuConsoleThread* previous = m_currentWorker;
    m_currentWorker = nullptr;
    if (!previous)
        return;
    disconnect(previous, nullptr, this, nullptr);
    if (previous->isRunning()) {
        previous->stop(false);
        previous->wait();
    }
    previous->deleteLater();
}

// Only the converting row takes progress: a report still on its way when
// the row was stopped or finished must not make it converting again.
void MainWindow::slotRefreshTaskProcess(QTreeWidgetItem* row, double percent)
{
    if (!isListedRow(row) || taskrow::status(row) != taskrow::StatusConverting)
        return;
    const QString text = QString::asprintf("%0.2lf", percent);
    qCDebug(lcQueue, "process = %s", qUtf8Printable(text));
    taskrow::setStatus(row, taskrow::StatusConverting);
    taskrow::setProgressText(row, text);
    m_taskList->viewport()->update();
}

void MainWindow::slotTaskFinished(QTreeWidgetItem* row, bool stopped, bool succeeded)
{
    // A row that left the list while it converted is not touched. A stop
    // that came after the book was finished did not stop it: the book is
    // there, so the row shows it with its link.
    if (isListedRow(row)) {
        // A book that had to leave out or blank pages is no plain success:
        // the row counts them and names them in its tooltip.
        const auto* worker = qobject_cast<const VuConsoleThread*>(sender());
        const std::vector<int> unread = worker ? worker->unreadPages() : std::vector<int>();
        int status = stopped ? taskrow::StatusIdle : taskrow::StatusFailed;
        if (succeeded)
            status = unread.empty() ? taskrow::StatusDone : taskrow::StatusIncomplete;
        taskrow::setStatus(row, status);
        taskrow::setUnreadPages(row, succeeded ? QList<int>(unread.begin(), unread.end()) : QList<int>());
        if (status == taskrow::StatusDone)
            showBookLink(row);
    }
    if (m_quitAfterStop) {
        quitApp();
        return;
    }
    // The open question's answer decides how the run goes on.
    if (m_openQuestions > 0) {
        m_runHeldByQuestion = true;
        return;
    }
    goOnWithRun();
}

// After a task: the next waiting row starts, or the run is over.
void MainWindow::goOnWithRun()
{
    if (hasPendingTask() && startNextTask())
        return;
    finishRun();
}

// A question about stopping, cancelling or leaving: while it is open the
// converting row goes on but no new row starts, so that "Yes" stops what
// the user saw when asking. True for "Yes".
bool MainWindow::askHoldingQueue(const QString& question)
{
    ++m_openQuestions;
    const QMessageBox::StandardButton answer = VuMessageBox::question(
        question, VuPref::product_name(), QMessageBox::Yes | QMessageBox::No, this, QMessageBox::Yes);
    --m_openQuestions;
    // What the caller does with the answer (ending the run among it) comes
    // from no event of its own; the controls must follow it all the same.
    requestUpdateUi();
    return answer == QMessageBox::Yes;
}

// Called once the answer has been acted on: a task that ended while the
// question was open lets the run go on from where it was.
void MainWindow::goOnAfterQuestion()
{
    if (m_openQuestions > 0 || !std::exchange(m_runHeldByQuestion, false))
        return;
    goOnWithRun();
}

// The link opens the book through slotOpenPPTFile.
void MainWindow::showBookLink(QTreeWidgetItem* row)
{
    const QString name = taskrow::outputName(row);
    auto* link = new VuBookLinkLabel(utils::joinPath(taskrow::outputFolder(row), name), name, this);
    connect(link, &QLabel::linkActivated, this, &MainWindow::slotOpenPPTFile);
    m_taskList->setItemWidget(row, taskrow::ColumnStatus, link);
}

void MainWindow::finishRun()
{
    ui->pushButtonConvert->setEnabled(true);
    ui->pushButtonConvert->update();
    qCDebug(lcQueue, "Cancel***********");
    resetQueueStatus();
    m_runHeldByQuestion = false;
    // A run that started no row (an invalid page list, Cancel on the
    // question about converted rows, nothing to convert) converted nothing
    // to act on afterwards, and never cleared the preview.
    if (!std::exchange(m_rowStartedInRun, false))
        return;
    runAfterDoneAction();
    showSelectedFileInPreview();
}

// While a run goes on the preview stays empty; afterwards it shows the one
// selected row's file again.
void MainWindow::showSelectedFileInPreview()
{
    ui->widgetPDFView->clearPDF();
    const QString path = m_taskList->selectedPdfPath();
    if (path.isEmpty() || taskrow::isLocked(m_taskList->singleSelectedRow()))
        return;
    ui->widgetPDFView->openPDF(path, m_taskList->selectedPassword());
    ui->lineEditCurPage->setText(QString::number(ui->widgetPDFView->curPage()));
    ui->labelPageShow->setText(QStringLiteral(" / %1").arg(ui->widgetPDFView->countPage()));
}

bool MainWindow::hasPendingTask() const
{
    for (int at = 0; at < m_taskList->topLevelItemCount(); ++at) {
        const int status = taskrow::status(m_taskList->topLevelItem(at));
        if (status == taskrow::StatusWaiting || status == taskrow::StatusConverting)
            return true;
    }
    return false;
}

// Called when no worker runs any more: every row still marked waiting or
// converting, queued or not, is stale and goes back to idle, so the window
// cannot stay in its running state.
void MainWindow::resetQueueStatus()
{
    for (int at = 0; at < m_taskList->topLevelItemCount(); ++at) {
        QTreeWidgetItem* row = m_taskList->topLevelItem(at);
        const int status = taskrow::status(row);
        if (status == taskrow::StatusWaiting || status == taskrow::StatusConverting)
            taskrow::setStatus(row, taskrow::StatusIdle);
    }
    m_taskList->viewport()->update();
}

void MainWindow::on_convertCancel()
{
    if (!askHoldingQueue(tr("Are you sure you want to cancel the conversion?"))) {
        goOnAfterQuestion();
        return;
    }
    if (m_currentWorker)
        m_currentWorker->stop(false);
    ui->pushButtonConvert->setEnabled(false);
    for (QTreeWidgetItem* row : qAsConst(m_pendingTasks)) {
        if (isListedRow(row) && taskrow::status(row) == taskrow::StatusWaiting) {
            row->setText(taskrow::ColumnStatus, QString());
            taskrow::setStatus(row, taskrow::StatusIdle);
        }
    }
    m_pendingTasks.clear();
    // The converting row ends the run when its worker reports; with none
    // converting (it may have ended while the question was open) no report
    // comes, and the run ends here.
    if (!hasPendingTask())
        finishRun();
}

// A row that has its book, perhaps finished while the question was open,
// keeps its status (and link): the book is there.
void MainWindow::on_taskStop()
{
    if (askHoldingQueue(tr("Are you sure you want to stop the selected items?"))) {
        const QList<QTreeWidgetItem*> rows = m_taskList->selectedItems();
        for (QTreeWidgetItem* row : rows) {
            if (taskrow::status(row) == taskrow::StatusConverting && m_currentWorker)
                m_currentWorker->stop(false);
            if (!taskrow::hasBook(row))
                taskrow::setStatus(row, taskrow::StatusIdle);
        }
        m_taskList->viewport()->update();
    }
    goOnAfterQuestion();
}

void MainWindow::setWorkerPageHook(std::function<void()> hook)
{
    m_workerPageHook = std::move(hook);
}

// Compares addresses only: row may be gone already.
bool MainWindow::isListedRow(QTreeWidgetItem* row) const
{
    return row && m_taskList->indexOfTopLevelItem(row) >= 0;
}
