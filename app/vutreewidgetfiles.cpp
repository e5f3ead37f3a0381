// Adding PDF files to the task list: from the add commands and from files
// dropped on the list.
#include "app/vutreewidget.h"

#include "app/celltexts.h"
#include "app/newrowsettings.h"
#include "app/taskrow.h"
#include "convert/logwriter.h"
#include "convert/pagelist.h"
#include "convert/utils.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"
#include "preview/hostwindow.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <utility>

namespace {

const char kSource[] = ".\\vutreewidget";

// The book information a new row starts with beside its title: empty texts.
// The series index stays absent until the information dialog sets it.
constexpr int kEmptyBookRoles[] = {
    taskrow::RoleAuthor,    taskrow::RoleIsbn,     taskrow::RolePublisher, taskrow::RolePublishDate,
    taskrow::RoleSeries,    taskrow::RoleComments, taskrow::RoleCoverPath,
};

} // namespace

bool VuTreeWidget::hasRowNamed(const QString& fileName) const
{
    for (int at = 0; at < topLevelItemCount(); ++at) {
        if (topLevelItem(at)->text(taskrow::ColumnFileName).compare(fileName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void VuTreeWidget::refuseListedFiles(QStringList* files)
{
    for (auto path = files->begin(); path != files->end();) {
        const QString fileName = QFileInfo(*path).fileName();
        if (!hasRowNamed(fileName)) {
            ++path;
            continue;
        }
        VuMessageBox::info(tr("The file \"%1\" has already existed in the list.").arg(fileName),
                           VuPref::product_name(), this);
        path = files->erase(path);
    }
}

void VuTreeWidget::addToTable(QStringList files)
{
    if (!m_hostWindow) {
        // Nothing can be opened or counted without the preview.
        writeLogEntry(kSource, __LINE__, "VuTreeWidget::addToTable");
        return;
    }
    refuseListedFiles(&files);
    bool showHint = VuPref::value(QLatin1String(newrowsettings::kShowHintKey), true).toBool();
    int mode = VuPref::value(QLatin1String(newrowsettings::kModeKey), newrowsettings::kTextMode).toInt();
    for (const QString& path : std::as_const(files))
        addFile(path, &mode, &showHint);
}

void VuTreeWidget::addFile(const QString& path, int* mode, bool* showHint)
{
    // The preview has shown its own message for a file it cannot open.
    if (!m_hostWindow->openPDFInit(path))
        return;
    const bool locked = m_hostWindow->needPWD();
    int pageCount = 0;
    if (!locked) {
        m_hostWindow->openPDFFinish();
        pageCount = m_hostWindow->countPage();
        if (pageCount == 0) {
            VuMessageBox::info(tr("%1 is not a valid PDF file.").arg(path), QString(), nullptr);
            return;
        }
    }
    if (*showHint) {
        askModeOfNewRow(mode, showHint);
        VuPref::setValue(QLatin1String(newrowsettings::kModeKey), *mode);
        VuPref::setValue(QLatin1String(newrowsettings::kShowHintKey), *showHint);
    }
    QTreeWidgetItem* row = appendRow(path, pageCount, *mode);
    if (locked && unlockRow(row, path) == Unlock::NoPages) {
        // Unlocked but without pages: refused as a file without a password
        // and without pages is.
        delete row;
    }
}

bool VuTreeWidget::unlockLockedRow(QTreeWidgetItem* row)
{
    const QString path = taskrow::pdfPath(row);
    // The preview has shown its own message for a file it cannot open.
    if (!m_hostWindow || !m_hostWindow->openPDFInit(path))
        return false;
    return unlockRow(row, path) == Unlock::Unlocked;
}

QTreeWidgetItem* VuTreeWidget::appendRow(const QString& path, int pageCount, int mode)
{
    const QFileInfo file(path);
    // A file still waiting for its password has no page count to show.
    const QString pages = pageCount > 0 ? QString::number(pageCount) : QString();
    auto* row = new QTreeWidgetItem(this, QStringList({ QString(), file.fileName(),
                                                        utils::sizeToText(file.size()), pages, QString() }));
    taskrow::setPdfPath(row, path);
    row->setText(taskrow::ColumnSelectedPages, utils::allPagesText());
    if (mode == newrowsettings::kTextMode) {
        row->setText(taskrow::ColumnMode, celltexts::textMode());
    } else if (mode == newrowsettings::kPictureMode) {
        row->setText(taskrow::ColumnMode, celltexts::pictureMode());
        taskrow::setConversionZoom(row, newrowsettings::kDefaultPictureZoom);
    } else {
        // An unknown stored mode: the row converts as Text.
        writeLogEntry(kSource, __LINE__, "VuTreeWidget::addToTable");
    }
    row->setData(taskrow::ColumnStatus, taskrow::RoleTitle, taskrow::defaultTitle(file.fileName()));
    for (const int role : kEmptyBookRoles)
        row->setData(taskrow::ColumnStatus, role, QString());
    row->setToolTip(taskrow::ColumnFileName, path);
    return row;
}

// The password is kept as typed: it is handed back to the preview and the
// worker exactly so. A prompt given up on leaves the row locked and skipped.
VuTreeWidget::Unlock VuTreeWidget::unlockRow(QTreeWidgetItem* row, const QString& path)
{
    const QString password = m_hostWindow->checkPWD(QString(), path);
    if (password.isEmpty()) {
        taskrow::setStatus(row, taskrow::StatusSkipped);
        return Unlock::GivenUp;
    }
    m_hostWindow->openPDFFinish();
    const int pageCount = m_hostWindow->countPage();
    if (pageCount == 0) {
        VuMessageBox::info(tr("%1 is not a valid PDF file.").arg(path), QString(), nullptr);
        return Unlock::NoPages;
    }
    row->setText(taskrow::ColumnTotalPages, QString::number(pageCount));
    taskrow::setStatus(row, taskrow::StatusIdle);
    taskrow::setPassword(row, password);
    return Unlock::Unlocked;
}

void VuTreeWidget::dragEnterEvent(QDragEnterEvent* event)
{
    event->acceptProposedAction();
}

void VuTreeWidget::dragMoveEvent(QDragMoveEvent* event)
{
    event->acceptProposedAction();
}

void VuTreeWidget::dropEvent(QDropEvent* event)
{
    QStringList files;
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
            files << path;
        } else {
            writeLogSite(kSource, __LINE__, "VuTreeWidget::dropEvent");
            writeLogLine("%s", "no pdf file");
        }
    }
    addToTable(files);
    emit sglAddFileFinished();
    // Handled here: the base class then only ends the drag state and does
    // not take rows of another item view into the list as task rows.
    event->acceptProposedAction();
    QTreeWidget::dropEvent(event);
}
