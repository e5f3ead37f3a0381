// The controls under the preview: the page buttons with the current-page
// field, and the "Page Range" group, whose radios and page field set the
// "Selected Pages" of the one selected row. With no row or several rows
// selected they change no row (the task list writes only a single
// selected row).
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/vutreewidget.h"
#include "convert/pagelist.h"
#include "platform/vuframe0/vumessagebox.h"
#include "preview/hostwindow.h"

#include <QScopedValueRollback>

bool MainWindow::isCurrentPageTextValid(const QString& text) const
{
    if (text.isEmpty())
        return true;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    const int page = text.toInt(&ok, 10);
    return ok && page >= 1 && page <= ui->widgetPDFView->countPage();
}

bool MainWindow::isPageRangeTextValid(const QString& text) const
{
    return utils::isPageTextValid(text, ui->widgetPDFView->countPage(), false);
}

// The message takes the focus from the field, which then reports that
// editing finished; that report is ignored while the message is up, so
// the half-typed text never reaches the row.
void MainWindow::showInvalidPagesMessage()
{
    const QScopedValueRollback<bool> showing(m_showingPagesMessage, true);
    VuMessageBox::alert(tr("Invalid format or out of range!"), QString(), nullptr);
}

QString MainWindow::currentPageText() const
{
    return QString::number(ui->widgetPDFView->curPage());
}

// After every page move: the field shows the page, and with "Current Page"
// chosen the row converts that page.
void MainWindow::showCurrentPage()
{
    ui->lineEditCurPage->setText(currentPageText());
    if (ui->radioButtonPageCur->isChecked())
        writeCurrentPageToRow();
}

// The preview shows the selected row's file, so its page is one of that
// row's. With nothing on show (the file did not open) the page number is
// left from another file, and the row keeps its pages.
void MainWindow::writeCurrentPageToRow()
{
    if (ui->widgetPDFView->countPage() > 0)
        m_taskList->setSelectedPageText(currentPageText());
}

void MainWindow::on_toolButtonFirstPage_clicked()
{
    ui->widgetPDFView->firstPage();
    showCurrentPage();
}

void MainWindow::on_toolButtonBefore_clicked()
{
    ui->widgetPDFView->prePage();
    showCurrentPage();
}

void MainWindow::on_toolButtonNext_clicked()
{
    ui->widgetPDFView->nextPage();
    showCurrentPage();
}

void MainWindow::on_toolButtonLastPage_clicked()
{
    ui->widgetPDFView->lastPage();
    showCurrentPage();
}

// What was typed stays; leaving the field decides.
void MainWindow::on_lineEditCurPage_textEdited(const QString& text)
{
    if (!isCurrentPageTextValid(text.trimmed()))
        showInvalidPagesMessage();
}

void MainWindow::on_lineEditCurPage_editingFinished()
{
    if (m_showingPagesMessage)
        return;
    const QString text = ui->lineEditCurPage->text().trimmed();
    if (!isCurrentPageTextValid(text)) {
        on_toolButtonFirstPage_clicked();
        return;
    }
    // An empty text reads 0, which the preview shows as its first page.
    ui->widgetPDFView->toPage(text.toInt());
    showCurrentPage();
}

// Typing in the field starts from the text it is given.
void MainWindow::setPageFieldText(const QString& text)
{
    m_pageTyping.start(text);
    ui->lineEditPageStr->setText(text);
}

// A keystroke that makes the text invalid is taken back.
void MainWindow::on_lineEditPageStr_textEdited(const QString& text)
{
    if (isPageRangeTextValid(text.trimmed())) {
        m_pageTyping.accept(text, ui->widgetPDFView->countPage());
        return;
    }
    showInvalidPagesMessage();
    m_pageTyping.takeBack(ui->lineEditPageStr, text);
}

// The row takes the text only when it passes the row's own check, as from
// the cell editor; a refused text ("9-2", which passed while it was typed)
// goes back to the latest one of this edit that names only typed pages, in
// the field and the row alike.
void MainWindow::on_lineEditPageStr_editingFinished()
{
    if (m_showingPagesMessage || !m_taskList->singleSelectedRow())
        return;
    const QString text = ui->lineEditPageStr->text().trimmed();
    if (m_taskList->setSelectedPageText(text)) {
        m_pageTyping.start(text);
        return;
    }
    showInvalidPagesMessage();
    const QString safe = m_pageTyping.safe();
    setPageFieldText(safe);
    // An empty field stands for the "All" of the row, which then stays.
    if (!utils::isAllPagesText(safe) || !utils::isAllPagesText(m_taskList->selectedPageText()))
        m_taskList->setSelectedPageText(safe);
}

void MainWindow::on_radioButtonPageAll_clicked()
{
    setPageTextEnabled(false);
    setPageFieldText(utils::allPagesText());
    m_taskList->setSelectedPageText(utils::allPagesText());
}

void MainWindow::on_radioButtonPageCur_clicked()
{
    setPageTextEnabled(false);
    setPageFieldText(QString());
    writeCurrentPageToRow();
}

void MainWindow::on_radioButtonPageRange_clicked()
{
    setPageTextEnabled(true);
    const QString pages = m_taskList->selectedPageText();
    if (utils::isAllPagesText(pages)) {
        setPageFieldText(QString());
        m_taskList->setSelectedPageText(utils::allPagesText());
    } else {
        setPageFieldText(pages);
        m_taskList->setSelectedPageText(pages);
    }
}

// The list changed a row's pages: the group shows them. "Current Page" is
// never chosen here; a single page shows as a range.
void MainWindow::on_syncListToSettings()
{
    const QString pages = m_taskList->selectedPageText();
    setPageFieldText(pages);
    const bool all = utils::isAllPagesText(pages);
    (all ? ui->radioButtonPageAll : ui->radioButtonPageRange)->setChecked(true);
    setPageTextEnabled(!all);
}
