// The custom output folder: choosing it, checking it before it is used
// (offering to create it), opening it in the file browser, and opening a
// finished book or a row's PDF with the desktop's handler.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/outputsettings.h"
#include "app/taskrow.h"
#include "app/vutreewidget.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupaths.h"
#include "platform/vuframe0/vupref.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

void MainWindow::on_selectOutputFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Select one folder"),
                                                             outputsettings::storedFolder(),
                                                             QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    ui->lineEditOutFolder->setText(QDir::toNativeSeparators(folder));
    outputsettings::storeFolder(ui->lineEditOutFolder->text());
}

// The field itself only refuses texts that cannot name a folder; a folder
// the user typed is remembered here, once it has been checked for use, so
// the field brings back a folder that worked when a later text is refused.
bool MainWindow::checkOutputFolder(QString& path)
{
    // A relative text, the empty one included, would be taken from the
    // current folder, which is the program's own installation folder. It is
    // refused as the field refuses it, and the field shows the stored folder
    // again: the one the next run uses.
    const QString text = ui->lineEditOutFolder->text();
    if (!QDir::isAbsolutePath(text)) {
        path.clear();
        VuMessageBox::info(tr("The specified path is invalid!"), VuPref::product_name(), this);
        showOutputFolder(outputsettings::storedFolder());
        return false;
    }
    bool result = true;
    path = QDir::toNativeSeparators(QDir::cleanPath(text));
    showOutputFolder(path);
    const QFileInfo target(path);
    if (!target.exists()) {
        const QMessageBox::StandardButton answer = VuMessageBox::question(
            tr("The specified path does not exist.\nDo you want to create it?"), VuPref::product_name(),
            QMessageBox::Yes | QMessageBox::No, this, QMessageBox::Yes);
        if (answer == QMessageBox::Yes && QDir().mkpath(path))
            outputsettings::storeFolder(path);
        else
            result = false;
    } else if (target.isDir()) {
        // A file of that name is no output folder and is not remembered.
        outputsettings::storeFolder(path);
    }
    // Also after a refused or failed creation, so the user learns why
    // nothing happens.
    if (!Vu::isFolderWritable(path)) {
        result = false;
        VuMessageBox::info(tr("The specified path is not writable, please ensure the path is valid."),
                           VuPref::product_name(), this);
    }
    return result;
}

// The field shows the folder from its first character.
void MainWindow::showOutputFolder(const QString& folder)
{
    ui->lineEditOutFolder->setText(folder);
    ui->lineEditOutFolder->setCursorPosition(0);
}

void MainWindow::on_openOutputFolder()
{
    QString folder;
    if (!checkOutputFolder(folder))
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        VuMessageBox::alert(tr("Failed to open folder \"%1\".").arg(folder), QString(), nullptr);
}

// Reached through a row's link label; a call of its own (no sender) opens
// nothing, so no caller can open arbitrary files through it.
void MainWindow::slotOpenPPTFile(const QString& path)
{
    if (!sender())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        VuMessageBox::info(tr("Failed to open file \"%1\".").arg(path), VuPref::product_name(), this);
}

void MainWindow::on_openPdfFile()
{
    const QString path = taskrow::pdfPath(m_taskList->currentItem());
    if (path.isEmpty())
        return;
    const QUrl url = QUrl::fromLocalFile(path);
    if (!QDesktopServices::openUrl(url))
        VuMessageBox::info(tr("Cannot open %1").arg(url.toString()), VuPref::product_name(), this);
}
