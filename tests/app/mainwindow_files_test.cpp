// Adding files and folders through the file dialogs: what the dialogs are
// given, which paths reach the task list, and which folder is remembered.
#include "mainwindowfixture.h"

#include "platform/vuframe0/vupaths.h"

#include <QUrl>

namespace {

const QString kOpenFolderKey = QStringLiteral("last_openfile_dir");

QString storedOpenFolder()
{
    return VuPref::value(kOpenFolderKey).toString();
}

class AddFiles : public MainWindowTest {
protected:
    // What the first file dialog showed: its title, start folder and filter.
    struct Shown {
        QString title;
        QString folder;
        QStringList filters;
        bool dirsOnly = false;
    };

    // Runs a command whose file dialog is answered with answer, and records
    // the dialog.
    Shown run(void (MainWindow::*command)(), const ModalAnswers::Answer& answer)
    {
        Shown shown;
        ModalAnswers answers({ [&](QWidget* window) {
            if (auto* dialog = qobject_cast<QFileDialog*>(window)) {
                shown.title = dialog->windowTitle();
                shown.folder = dialog->directory().absolutePath();
                shown.filters = dialog->nameFilters();
                shown.dirsOnly = dialog->testOption(QFileDialog::ShowDirsOnly);
                EXPECT_EQ(dialog->parentWidget(), m_window.get());
            }
            answer(window);
        } });
        (m_window.get()->*command)();
        EXPECT_EQ(answers.answered(), 1);
        EXPECT_EQ(answers.unexpected(), 0);
        return shown;
    }

    QStringList rowPaths() const
    {
        QStringList paths;
        for (int at = 0; at < rowCount(); ++at)
            paths << taskrow::pdfPath(row(at));
        return paths;
    }
};

TEST_F(AddFiles, ChosenFilesBecomeRowsInTheDialogsOrderAndTheirFolderIsRemembered)
{
    const QString first = pdf(QStringLiteral("one/first.pdf"), 2);
    const QString second = pdf(QStringLiteral("two/second.pdf"), 3);
    const QString third = pdf(QStringLiteral("one/third.pdf"), 1);

    const Shown shown = run(&MainWindow::on_addFiles, chooseFiles({ first, second, third }));
    EXPECT_EQ(shown.title, QStringLiteral("Select One or More Files"));
    EXPECT_EQ(shown.filters, QStringList{ QStringLiteral("All Supported Files (*.pdf)") });
    // Nothing stored yet: the dialog opens in the documents folder.
    EXPECT_EQ(shown.folder, QDir(Vu::docPath()).absolutePath());

    EXPECT_EQ(rowPaths(), QStringList({ first, second, third }));
    EXPECT_EQ(row(1)->text(taskrow::ColumnTotalPages), QStringLiteral("3"));
    // Files of two folders: the first chosen file's folder is kept.
    EXPECT_EQ(storedOpenFolder(), path(QStringLiteral("one")));

    // The next dialog starts there.
    const Shown again = run(&MainWindow::on_addFiles, chooseFiles({}));
    EXPECT_EQ(again.folder, path(QStringLiteral("one")));
}

TEST_F(AddFiles, CancellingTheFileDialogAddsNothingAndKeepsTheStoredFolder)
{
    VuPref::setValue(kOpenFolderKey, m_dir.path());
    run(&MainWindow::on_addFiles, chooseFiles({}));
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(storedOpenFolder(), m_dir.path());
}

TEST_F(AddFiles, AFolderAddsItsPdfFilesSortedByNameRegardlessOfCase)
{
    const QString folder = path(QStringLiteral("books"));
    const QString lower = pdf(QStringLiteral("books/a.pdf"), 1);
    const QString upper = pdf(QStringLiteral("books/B.PDF"), 2);
    pdf(QStringLiteral("books/sub/c.pdf"), 1);
    ASSERT_TRUE(testfiles::writeAll(path(QStringLiteral("books/notes.txt")), "notes"));
    VuPref::setValue(kOpenFolderKey, QStringLiteral("  ") + m_dir.path() + QStringLiteral(" "));

    const Shown shown = run(&MainWindow::on_addFolder, chooseFolder(folder));
    EXPECT_EQ(shown.title, QStringLiteral("Select one folder"));
    EXPECT_TRUE(shown.dirsOnly);
    // The stored folder is used without its surrounding blanks.
    EXPECT_EQ(shown.folder, m_dir.path());

    EXPECT_EQ(rowPaths(), QStringList({ lower, upper }));
    EXPECT_EQ(storedOpenFolder(), folder);
}

TEST_F(AddFiles, AFolderWhosePdfFilesLieOnlyInSubFoldersAddsNothing)
{
    pdf(QStringLiteral("outer/inner/deep.pdf"), 1);
    VuPref::setValue(kOpenFolderKey, m_dir.path());
    run(&MainWindow::on_addFolder, chooseFolder(path(QStringLiteral("outer"))));
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(storedOpenFolder(), m_dir.path());

    // A cancelled folder dialog does not change it either.
    run(&MainWindow::on_addFolder, [](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(storedOpenFolder(), m_dir.path());
}

TEST_F(AddFiles, CollectingPathsListsOneLevelOfEachFolder)
{
    const QString folder = path(QStringLiteral("mixed"));
    QDir().mkpath(folder + QStringLiteral("/folder.pdf"));
    QDir().mkpath(folder + QStringLiteral("/plain"));
    ASSERT_TRUE(testfiles::writeAll(folder + QStringLiteral("/Zeta.Pdf"), "%PDF"));
    ASSERT_TRUE(testfiles::writeAll(folder + QStringLiteral("/alpha.pdf"), "%PDF"));
    ASSERT_TRUE(testfiles::writeAll(folder + QStringLiteral("/.hidden.pdf"), "%PDF"));
    const QString missing = path(QStringLiteral("missing.pdf"));
    const QString text = path(QStringLiteral("readme.txt"));
    const QStringList patterns{ QStringLiteral("*.pdf") };

    const QList<QUrl> urls{ QUrl::fromLocalFile(missing), QUrl::fromLocalFile(folder),
                            QUrl::fromLocalFile(text) };
    // A sub-folder named like a PDF is listed as a file would be; hidden
    // entries are not; paths that are no folder pass unchanged.
    EXPECT_EQ(m_window->collectPdfPaths(urls, patterns, true),
              QStringList({ missing, folder + QStringLiteral("/alpha.pdf"),
                            folder + QStringLiteral("/folder.pdf"), folder + QStringLiteral("/Zeta.Pdf"),
                            text }));
    // Without folders the walk ends at the first one.
    EXPECT_EQ(m_window->collectPdfPaths(urls, patterns, false), QStringList{ missing });
}

} // namespace
