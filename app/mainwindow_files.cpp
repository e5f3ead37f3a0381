// Adding PDF files and the PDF files of a folder to the task list through
// the file dialogs. The task list makes the rows (page count, password,
// mode); dropping files on it is its own business. The list counts pages in
// the preview, so after adding, the preview goes back to the selected row
// (as after a drop, see connectSignals): the page controls describe that
// row, and "Current Page" must not write another file's page into it.
#include "app/mainwindow.h"

#include "app/addfilesettings.h"
#include "app/vutreewidget.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

void MainWindow::on_addFiles()
{
    // The filter names the patterns literally; it is not translated.
    const QString filter =
        QStringLiteral("All Supported Files (") + m_fileFilters.join(QLatin1Char(' ')) + QLatin1Char(')');
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Select One or More Files"),
                                                            addfilesettings::storedFolder(), filter);
    if (files.isEmpty())
        return;
    addfilesettings::storeFolder(QFileInfo(files.first()).absolutePath());
    m_taskList->addToTable(files);
    previewSelectedRow();
}

void MainWindow::on_addFolder()
{
    const QString start = addfilesettings::storedFolder().trimmed();
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Select one folder"), start, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    const QStringList paths = collectPdfPaths({ QUrl::fromLocalFile(folder) }, m_fileFilters, true);
    // A folder without PDF files of its own is not worth remembering.
    if (paths.isEmpty())
        return;
    addfilesettings::storeFolder(QFileInfo(paths.first()).absolutePath());
    m_taskList->addToTable(paths);
    previewSelectedRow();
}

// Only one level of a folder is listed: a PDF collection is usually one
// folder, and a deep walk of a large tree would keep the window busy.
QStringList MainWindow::collectPdfPaths(const QList<QUrl>& urls, const QStringList& patterns,
                                        bool foldersAllowed) const
{
    QStringList gathered;
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (!QFileInfo(path).isDir()) {
            // The task list tells the user about a file that cannot be opened.
            gathered << path;
            continue;
        }
        if (!foldersAllowed)
            break;
        // Name filters match without regard to case unless told otherwise,
        // so "B.PDF" is found with "*.pdf".
        const QFileInfoList entries =
            QDir(path).entryInfoList(patterns, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                                     QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& entry : entries)
            gathered << entry.absoluteFilePath();
    }
    return gathered;
}
