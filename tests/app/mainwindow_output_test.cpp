// The custom output folder: Browse, the check before use (creating a
// missing folder, refusing one that cannot be written), "Open", and opening
// books and PDFs through the desktop's handler.
#include "mainwindowfixture.h"

#include "platform/vuframe0/vupaths.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString kFolderKey = QStringLiteral("last_outputfile_dir");
const QString kCreateQuestion =
    QStringLiteral("The specified path does not exist.\nDo you want to create it?");
const QString kNotWritable =
    QStringLiteral("The specified path is not writable, please ensure the path is valid.");

class OutputFolder : public MainWindowTest {
protected:
    QLineEdit* field() const { return child<QLineEdit>("lineEditOutFolder"); }
    QString stored() const { return VuPref::value(kFolderKey).toString(); }

    // Runs the check with the field holding text; answers are given to the
    // message boxes in turn.
    bool check(const QString& text, QList<ModalAnswers::Answer> answers, QString* checked = nullptr,
               QStringList* texts = nullptr)
    {
        field()->setText(text);
        ModalAnswers boxes(std::move(answers));
        QString path;
        const bool result = m_window->checkOutputFolder(path);
        EXPECT_EQ(boxes.unexpected(), 0);
        if (checked)
            *checked = path;
        if (texts)
            *texts = boxes.texts();
        return result;
    }
};

TEST_F(OutputFolder, BrowseShowsTheChosenFolderAndRemembersIt)
{
    const QString chosen = path(QStringLiteral("books"));
    QDir().mkpath(chosen);
    child<QRadioButton>("radioButtonSameFoler")->setChecked(true);
    QString start;
    {
        ModalAnswers answers({ [&](QWidget* window) {
            auto* dialog = qobject_cast<QFileDialog*>(window);
            ASSERT_NE(dialog, nullptr);
            start = dialog->directory().absolutePath();
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select one folder"));
            EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
            chooseFolder(chosen)(window);
        } });
        child<QPushButton>("pushButtonBrowse")->click();
        EXPECT_EQ(answers.answered(), 1);
    }
    // Nothing stored: the dialog starts in the default output folder.
    EXPECT_EQ(start, QDir(Vu::outputPath()).absolutePath());
    EXPECT_EQ(field()->text(), chosen);
    EXPECT_EQ(stored(), chosen);
    // The choice of where books go is the user's own.
    EXPECT_TRUE(child<QRadioButton>("radioButtonSameFoler")->isChecked());

    ModalAnswers cancel({ [](QWidget* window) { static_cast<QDialog*>(window)->reject(); } });
    child<QPushButton>("pushButtonBrowse")->click();
    EXPECT_EQ(cancel.answered(), 1);
    EXPECT_EQ(field()->text(), chosen);
    EXPECT_EQ(stored(), chosen);
}

TEST_F(OutputFolder, AMissingFolderIsCreatedWithItsParentsOnYes)
{
    const QString missing = path(QStringLiteral("a/b/c"));
    QString checked;
    QStringList texts;
    EXPECT_TRUE(check(missing, { pressButton(QStringLiteral("Yes")) }, &checked, &texts));
    EXPECT_EQ(texts, QStringList{ kCreateQuestion });
    EXPECT_EQ(checked, missing);
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_EQ(stored(), missing);
}

TEST_F(OutputFolder, AMissingFolderRefusedIsFollowedByTheNotWritableMessage)
{
    VuPref::setValue(kFolderKey, m_dir.path());
    const QString missing = path(QStringLiteral("never"));
    QStringList texts;
    EXPECT_FALSE(check(missing, { pressButton(QStringLiteral("No")), pressButton(QStringLiteral("OK")) },
                       nullptr, &texts));
    EXPECT_EQ(texts, QStringList({ kCreateQuestion, kNotWritable }));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(stored(), m_dir.path());
}

TEST_F(OutputFolder, AFolderThatCannotBeMadeOrIsAFileFailsTheCheck)
{
    VuPref::setValue(kFolderKey, m_dir.path());
    const QString file = path(QStringLiteral("plain.txt"));
    ASSERT_TRUE(testfiles::writeAll(file, "x"));

    // Below a file no folder can be made: the question, then the message.
    QStringList texts;
    EXPECT_FALSE(check(file + QStringLiteral("/sub"),
                       { pressButton(QStringLiteral("Yes")), pressButton(QStringLiteral("OK")) }, nullptr,
                       &texts));
    EXPECT_EQ(texts, QStringList({ kCreateQuestion, kNotWritable }));

    // A file is no output folder and is not remembered as one.
    EXPECT_FALSE(check(file, { pressButton(QStringLiteral("OK")) }, nullptr, &texts));
    EXPECT_EQ(texts, QStringList{ kNotWritable });
    EXPECT_EQ(stored(), m_dir.path());
}

// The current folder is the program's own: a relative or empty text, or a
// relative folder stored before, never names a folder there. The field
// shows the folder that is used instead.
TEST_F(OutputFolder, RelativeAndEmptyTextsAreRefusedAndTheStoredFolderShows)
{
    testfiles::CurrentDir current(m_dir.path());
    VuPref::setValue(kFolderKey, path(QStringLiteral("kept")));
    for (const QString& text : { QStringLiteral("relout"), QString() }) {
        QStringList texts;
        EXPECT_FALSE(check(text, { pressButton(QStringLiteral("OK")) }, nullptr, &texts));
        EXPECT_EQ(texts, QStringList{ QStringLiteral("The specified path is invalid!") });
        EXPECT_EQ(field()->text(), path(QStringLiteral("kept")));
    }
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("relout"))));

    VuPref::setValue(kFolderKey, QStringLiteral("relout"));
    EXPECT_FALSE(check(QStringLiteral("relout"), { pressButton(QStringLiteral("OK")) }));
    EXPECT_EQ(field()->text(), Vu::outputPath());

    EXPECT_TRUE(check(path(QStringLiteral("a//b/../c/")), { pressButton(QStringLiteral("Yes")) }));
    EXPECT_EQ(field()->text(), path(QStringLiteral("a/c")));
}

TEST_F(OutputFolder, OpenShowsTheCheckedFolderAndAsksToCreateAMissingOne)
{
    OpenedUrls opened;
    const QString existing = path(QStringLiteral("there"));
    QDir().mkpath(existing);
    field()->setText(existing);
    child<QPushButton>("pushButtonOpen")->click();
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls.first(), QUrl::fromLocalFile(existing));

    const QString missing = path(QStringLiteral("new/folder"));
    field()->setText(missing);
    {
        ModalAnswers yes({ pressButton(QStringLiteral("Yes")) });
        child<QPushButton>("pushButtonOpen")->click();
        EXPECT_EQ(yes.texts(), QStringList{ kCreateQuestion });
    }
    EXPECT_TRUE(QFileInfo(missing).isDir());
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls.last(), QUrl::fromLocalFile(missing));

    // Refused: nothing is opened.
    field()->setText(path(QStringLiteral("other")));
    ModalAnswers no({ pressButton(QStringLiteral("No")), pressButton(QStringLiteral("OK")) });
    child<QPushButton>("pushButtonOpen")->click();
    EXPECT_EQ(no.answered(), 2);
    EXPECT_EQ(opened.urls.size(), 2);
}

TEST_F(OutputFolder, ABookOpensFromItsLinkOnlyAndAPdfFromTheCurrentRow)
{
    OpenedUrls opened;
    const QString book = path(QStringLiteral("my books/Book.epub"));
    const QString share = QStringLiteral("//server/share/Book.epub");

    // Called directly, without a signal, it opens nothing.
    m_window->slotOpenPPTFile(book);
    EXPECT_TRUE(opened.urls.isEmpty());

    QLabel link;
    QObject::connect(&link, &QLabel::linkActivated, m_window.get(), &MainWindow::slotOpenPPTFile);
    emit link.linkActivated(book);
    emit link.linkActivated(share);
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0].toLocalFile(), book);
    // A network path names the host in the URL.
    EXPECT_EQ(opened.urls[1].host(), QStringLiteral("server"));
    EXPECT_EQ(opened.urls[1].path(), QStringLiteral("/share/Book.epub"));

    // No current row: nothing. Then the current row's PDF.
    m_window->on_openPdfFile();
    EXPECT_EQ(opened.urls.size(), 2);
    const QString source = pdf(QStringLiteral("source #1.pdf"), 1);
    addRows({ source });
    m_list->setCurrentItem(row(0));
    m_window->on_openPdfFile();
    ASSERT_EQ(opened.urls.size(), 3);
    EXPECT_EQ(opened.urls.last().toLocalFile(), source);
}

} // namespace
