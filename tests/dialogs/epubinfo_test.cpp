// The ePub information dialog: its form, the record it is given, what OK,
// Cancel and the cover commands do to it, the cover's fit into its label and
// the book information's round trip through a task row.
#include "markingtranslator.h"
#include "dialogs/epubinfoeditdialog.h"

#include "app/taskrow.h"
#include "modalanswers.h"
#include "platform/vuframe0/vupref.h"
#include "testfiles.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTranslator>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

namespace {

const char* const kSeries[] = {
    "Arts&Photography", "Biographies&Memoirs", "Business&Economics", "Comics&Graphic Novels",
    "Computers&Internet", "Cooking,Food&Wine", "Crafts&Hobbies", "Entertainment",
    "Health,Mind&Body", "History", "Home&Garden", "Literature&Fiction",
    "Outdoors&Nature", "Parenting&Families", "Politics", "Technology&Engineering",
    "Religion&Spirituality", "Romance", "Science", "Science Fiction&Fantasy",
    "Self-Help", "Sports", "Travel"};

template <typename T>
T* child(const QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class EpubInfo : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        VuPref::setStoreFolder(m_dir.filePath(QStringLiteral("pref")));
        m_covers = m_dir.filePath(QStringLiteral("covers"));
        m_others = m_dir.filePath(QStringLiteral("others"));
        ASSERT_TRUE(QDir().mkpath(m_covers) && QDir().mkpath(m_others));
    }
    void TearDown() override { VuPref::setStoreFolder(QString()); }

    QString picture(const QString& folder, const QString& name, QSize size) const
    {
        const QString path = QDir(folder).filePath(name);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    static BookInfo sampleInfo()
    {
        BookInfo info;
        info.title = QStringLiteral("Der Zauberberg");
        info.author = QStringLiteral("Ann Example");
        info.isbn = QStringLiteral("978-3-16-148410-0");
        info.publisher = QStringLiteral("Leaf & Sons");
        info.publishDate = QStringLiteral("spring 1924");
        info.series = QStringLiteral("History");
        info.seriesIndex = 9;
        info.comments = QStringLiteral("Two lines\nof comments");
        return info;
    }

    // "Add..." answered in its file dialog: the folder it opened in, and the
    // file chosen there (none: cancelled).
    QString addCover(EpubInfoEditDialog& dialog, const QString& choose)
    {
        QString startFolder;
        ModalAnswers files({[&](QWidget* modal) {
            if (auto* shown = qobject_cast<QFileDialog*>(modal))
                startFolder = shown->directory().absolutePath();
            chooseFiles(choose.isEmpty() ? QStringList() : QStringList{choose})(modal);
        }});
        child<QPushButton>(dialog, "coverAddPushButton")->click();
        EXPECT_EQ(files.answered(), 1);
        EXPECT_EQ(files.unexpected(), 0);
        return startFolder;
    }

    QTemporaryDir m_dir;
    QString m_covers;
    QString m_others;
};

TEST_F(EpubInfo, FormHasItsWidgetsTextsAndSize)
{
    EpubInfoEditDialog dialog(BookInfo(), nullptr);
    EXPECT_EQ(dialog.objectName(), QStringLiteral("epubInfoEditDialog"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit EPUB Info"));
    EXPECT_EQ(dialog.minimumSize(), QSize(534, 543));
    EXPECT_EQ(dialog.maximumSize(), QSize(534, 543));
    EXPECT_TRUE(dialog.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);

    const struct {
        const char* name;
        const char* text;
    } labels[] = {{"label_2", "Name:"},      {"label_3", "Author:"}, {"label_4", "ISBN:"},
                  {"label_5", "Publisher:"}, {"label_7", "Publish Date:"}, {"label_8", "Series:"},
                  {"label_9", "Cover:"},     {"label_10", "Comments:"}};
    for (const auto& l : labels)
        EXPECT_EQ(child<QLabel>(dialog, l.name)->text(), QString::fromLatin1(l.text)) << l.name;
    EXPECT_EQ(child<QPushButton>(dialog, "coverAddPushButton")->text(), QStringLiteral("Add..."));
    EXPECT_EQ(child<QPushButton>(dialog, "coverDelPushButton")->text(), QStringLiteral("Delete"));
    EXPECT_EQ(child<QPushButton>(dialog, "OKpushButton")->text(), QStringLiteral("OK"));
    EXPECT_EQ(child<QPushButton>(dialog, "CancelpushButton")->text(), QStringLiteral("Cancel"));
    for (const char* name : {"bookNameLlineEdit", "AuthorLineEdit", "ISBNLineEdit", "publisherLineEdit",
                             "publishDateLineEdit"})
        EXPECT_EQ(child<QLineEdit>(dialog, name)->maxLength(), 32767) << name;
    EXPECT_TRUE(child<QTextEdit>(dialog, "commentsTextEdit")->tabChangesFocus());
    EXPECT_EQ(child<QFrame>(dialog, "frame")->frameShape(), QFrame::Box);
    EXPECT_EQ(child<QFrame>(dialog, "frame")->frameShadow(), QFrame::Sunken);
    auto* cover = child<QLabel>(dialog, "coverLabel");
    EXPECT_EQ(cover->alignment(), Qt::AlignCenter);
    EXPECT_EQ(cover->frameShape(), QFrame::NoFrame);
    EXPECT_TRUE(cover->text().isEmpty());

    auto* series = child<QComboBox>(dialog, "seriesComboBox");
    EXPECT_TRUE(series->isEditable());
    ASSERT_EQ(series->count(), 23);
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(series->itemText(i), QString::fromLatin1(kSeries[i])) << i;
}

TEST_F(EpubInfo, FocusMovesThroughTheFieldsInOrder)
{
    EpubInfoEditDialog dialog(BookInfo(), nullptr);
    const QStringList order = {"bookNameLlineEdit", "AuthorLineEdit", "ISBNLineEdit", "publisherLineEdit",
                               "publishDateLineEdit", "coverAddPushButton", "coverDelPushButton",
                               "seriesComboBox", "commentsTextEdit", "OKpushButton", "CancelpushButton"};
    QStringList seen;
    QWidget* w = child<QWidget>(dialog, "bookNameLlineEdit");
    for (int steps = 0; steps < 200 && seen.size() < order.size(); ++steps, w = w->nextInFocusChain()) {
        if (order.contains(w->objectName()) && !seen.contains(w->objectName()))
            seen << w->objectName();
    }
    EXPECT_EQ(seen, order);
}

TEST_F(EpubInfo, OnlyTheIsbnLabelBypassesTranslation)
{
    MarkingTranslator marker;
    QCoreApplication::installTranslator(&marker);
    {
        EpubInfoEditDialog dialog(BookInfo(), nullptr);
        EXPECT_EQ(child<QLabel>(dialog, "label_4")->text(), QStringLiteral("ISBN:"));
        EXPECT_EQ(child<QLabel>(dialog, "label_3")->text(), QStringLiteral("<Author:>"));
        EXPECT_EQ(child<QComboBox>(dialog, "seriesComboBox")->itemText(15),
                  QStringLiteral("<Technology&Engineering>"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("<Edit EPUB Info>"));
    }
    QCoreApplication::removeTranslator(&marker);
}

TEST_F(EpubInfo, FieldsShowTheRecord)
{
    EpubInfoEditDialog dialog(sampleInfo(), nullptr);
    EXPECT_EQ(child<QLineEdit>(dialog, "bookNameLlineEdit")->text(), QStringLiteral("Der Zauberberg"));
    EXPECT_EQ(child<QLineEdit>(dialog, "AuthorLineEdit")->text(), QStringLiteral("Ann Example"));
    EXPECT_EQ(child<QLineEdit>(dialog, "ISBNLineEdit")->text(), QStringLiteral("978-3-16-148410-0"));
    EXPECT_EQ(child<QLineEdit>(dialog, "publisherLineEdit")->text(), QStringLiteral("Leaf & Sons"));
    EXPECT_EQ(child<QLineEdit>(dialog, "publishDateLineEdit")->text(), QStringLiteral("spring 1924"));
    EXPECT_EQ(child<QTextEdit>(dialog, "commentsTextEdit")->toPlainText(), QStringLiteral("Two lines\nof comments"));
    EXPECT_EQ(child<QComboBox>(dialog, "seriesComboBox")->currentIndex(), 9);
    EXPECT_EQ(child<QComboBox>(dialog, "seriesComboBox")->currentText(), QStringLiteral("History"));
}

TEST_F(EpubInfo, ARowThatNeverCameHereGetsTodayAndTheFirstSeries)
{
    QTreeWidgetItem row;
    taskrow::setBookInfo(&row, BookInfo());
    EpubInfoEditDialog dialog(taskrow::bookInfo(&row), nullptr);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(child<QLineEdit>(dialog, "publishDateLineEdit")->text(), today);
    EXPECT_EQ(child<QComboBox>(dialog, "seriesComboBox")->currentText(), QStringLiteral("Arts&Photography"));
    child<QPushButton>(dialog, "OKpushButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.bookInfo().publishDate, today);
    EXPECT_EQ(dialog.bookInfo().series, QStringLiteral("Arts&Photography"));
    EXPECT_EQ(dialog.bookInfo().seriesIndex, 0);
}

// The main window's way: the row's record into the dialog, the dialog's
// record back into the row, every field under its own role.
TEST_F(EpubInfo, BookInformationMakesTheRoundTripThroughARow)
{
    const QString cover = picture(m_covers, QStringLiteral("front.png"), QSize(300, 400));
    QTreeWidgetItem row;
    taskrow::setBookInfo(&row, sampleInfo());

    EpubInfoEditDialog dialog(taskrow::bookInfo(&row), nullptr);
    ModalAnswers edit({[&](QWidget* modal) {
        auto* name = child<QLineEdit>(*modal, "bookNameLlineEdit");
        name->clear();
        QTest::keyClicks(name, QStringLiteral("Typed "));
        name->insert(QStringLiteral("Ünïcödé"));
        child<QLineEdit>(*modal, "publishDateLineEdit")->setText(QStringLiteral("2024-02-30"));
        child<QTextEdit>(*modal, "commentsTextEdit")->setPlainText(QStringLiteral("  spaced  "));
        child<QComboBox>(*modal, "seriesComboBox")->setCurrentIndex(15);
        // The file dialog opens inside this answer: answered by its own timer.
        ModalAnswers files({chooseFiles({cover})});
        child<QPushButton>(*modal, "coverAddPushButton")->click();
        child<QPushButton>(*modal, "OKpushButton")->click();
    }});
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    taskrow::setBookInfo(&row, dialog.bookInfo());

    EXPECT_EQ(row.data(6, 0x4f).toString(), QStringLiteral("Typed Ünïcödé"));
    EXPECT_EQ(row.data(6, 0x50).toString(), QStringLiteral("Ann Example"));
    EXPECT_EQ(row.data(6, 0x51).toString(), QStringLiteral("978-3-16-148410-0"));
    EXPECT_EQ(row.data(6, 0x52).toString(), QStringLiteral("Leaf & Sons"));
    EXPECT_EQ(row.data(6, 0x53).toString(), QStringLiteral("2024-02-30"));
    EXPECT_EQ(row.data(6, 0x54).toString(), QStringLiteral("Technology&Engineering"));
    EXPECT_EQ(row.data(6, 0x55).toInt(), 15);
    EXPECT_EQ(row.data(6, 0x56).toString(), QStringLiteral("  spaced  "));
    EXPECT_EQ(row.data(6, 0x57).toString(), cover);
}

TEST_F(EpubInfo, CancelEscapeAndCloseGiveTheRecordBackUnchanged)
{
    const QString cover = picture(m_covers, QStringLiteral("front.png"), QSize(300, 400));
    BookInfo info = sampleInfo();
    info.coverPath = cover;
    const std::function<void(QWidget*)> closers[] = {
        [](QWidget* m) { child<QPushButton>(*m, "CancelpushButton")->click(); },
        [](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); },
        [](QWidget* m) { m->close(); },
    };
    for (const auto& close : closers) {
        EpubInfoEditDialog dialog(info, nullptr);
        ModalAnswers answer({[&](QWidget* modal) {
            child<QLineEdit>(*modal, "bookNameLlineEdit")->setText(QStringLiteral("changed"));
            child<QPushButton>(*modal, "coverDelPushButton")->click();
            close(modal);
        }});
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(dialog.bookInfo(), info);
    }
}

TEST_F(EpubInfo, ASeriesOutsideTheListIsKeptAsTyped)
{
    BookInfo info;
    info.series = QStringLiteral("Cartography");
    info.seriesIndex = 4;
    EpubInfoEditDialog dialog(info, nullptr);
    auto* series = child<QComboBox>(dialog, "seriesComboBox");
    EXPECT_EQ(series->currentText(), QStringLiteral("Cartography"));
    series->setEditText(QStringLiteral("Maps & Charts"));
    child<QPushButton>(dialog, "OKpushButton")->click();
    EXPECT_EQ(dialog.bookInfo().series, QStringLiteral("Maps & Charts"));
    EXPECT_EQ(dialog.bookInfo().seriesIndex, 4);
}

TEST_F(EpubInfo, DeleteRemovesTheCoverOnlyWithOk)
{
    BookInfo info;
    info.coverPath = picture(m_covers, QStringLiteral("front.png"), QSize(300, 400));
    {
        EpubInfoEditDialog dialog(info, nullptr);
        child<QPushButton>(dialog, "coverDelPushButton")->click();
        EXPECT_TRUE(dialog.currentCoverPath().isEmpty());
        child<QPushButton>(dialog, "OKpushButton")->click();
        EXPECT_TRUE(dialog.bookInfo().coverPath.isEmpty());
    }
    {
        EpubInfoEditDialog dialog(info, nullptr);
        child<QPushButton>(dialog, "coverDelPushButton")->click();
        child<QPushButton>(dialog, "CancelpushButton")->click();
        EXPECT_EQ(dialog.bookInfo().coverPath, info.coverPath);
    }
}

TEST_F(EpubInfo, AddStartsInTheStoredFolderAndRemembersTheChosenOne)
{
    VuPref::setValue(QStringLiteral("last_openEpubCover_dir"), m_others);
    const QString chosen = picture(m_covers, QStringLiteral("front.png"), QSize(300, 400));
    EpubInfoEditDialog dialog(BookInfo(), nullptr);
    dialog.show();
    EXPECT_EQ(addCover(dialog, chosen), m_others);
    EXPECT_EQ(dialog.currentCoverPath(), chosen);
    EXPECT_EQ(VuPref::value(QStringLiteral("last_openEpubCover_dir")).toString(), m_covers);
    EXPECT_FALSE(child<QLabel>(dialog, "coverLabel")->pixmap().isNull());
    // Cancelling the file dialog changes nothing.
    addCover(dialog, QString());
    EXPECT_EQ(dialog.currentCoverPath(), chosen);
}

TEST_F(EpubInfo, AddStartsAtTheRowsOwnCoverEvenAfterANewOneWasChosen)
{
    VuPref::setValue(QStringLiteral("last_openEpubCover_dir"), m_others);
    BookInfo info;
    info.coverPath = picture(m_covers, QStringLiteral("front.png"), QSize(300, 400));
    const QString other = picture(m_others, QStringLiteral("back.png"), QSize(300, 400));
    EpubInfoEditDialog dialog(info, nullptr);
    dialog.show();
    EXPECT_EQ(addCover(dialog, other), m_covers);
    EXPECT_EQ(addCover(dialog, QString()), m_covers);
}

TEST_F(EpubInfo, WithNothingStoredAddStartsInThePicturesFolder)
{
    EpubInfoEditDialog dialog(BookInfo(), nullptr);
    dialog.show();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QDir().mkpath(pictures);
    EXPECT_EQ(addCover(dialog, QString()), QDir(pictures).absolutePath());
}

TEST_F(EpubInfo, CoverIsDrawnFittedOnceTheDialogIsShown)
{
    BookInfo info;
    info.coverPath = picture(m_covers, QStringLiteral("front.png"), QSize(300, 600));
    EpubInfoEditDialog dialog(info, nullptr);
    dialog.show();
    auto* cover = child<QLabel>(dialog, "coverLabel");
    // Drawn from a timer once shown; the limit only keeps a broken dialog
    // from hanging the test.
    ASSERT_TRUE(QTest::qWaitFor([cover] { return !cover->pixmap().isNull(); }, 60000));
    const QSize shown = cover->pixmap().size();
    EXPECT_TRUE(shown.width() <= cover->width() && shown.height() <= cover->height());
    EXPECT_TRUE(shown.width() == cover->width() || shown.height() == cover->height());
    EXPECT_NEAR(double(shown.height()) / shown.width(), 2.0, 0.05);
}

TEST_F(EpubInfo, FittingKeepsTheProportionsAndTakesTheLabelsHeightOrWidth)
{
    EXPECT_EQ(EpubInfoEditDialog::fittedCoverSize({400, 300}, {200, 300}), QSize(200, 150));
    EXPECT_EQ(EpubInfoEditDialog::fittedCoverSize({300, 600}, {200, 300}), QSize(150, 300));
    EXPECT_EQ(EpubInfoEditDialog::fittedCoverSize({600, 800}, {300, 900}), QSize(300, 400));
    EXPECT_EQ(EpubInfoEditDialog::fittedCoverSize({300, 300}, {200, 300}), QSize(200, 200));
    // A wide picture always takes the label's width (the dialog's label is
    // higher than wide, where it then fits).
    EXPECT_EQ(EpubInfoEditDialog::fittedCoverSize({400, 300}, {200, 100}), QSize(200, 150));
    EXPECT_TRUE(EpubInfoEditDialog::fittedCoverSize({0, 300}, {200, 100}).isEmpty());
    EXPECT_TRUE(EpubInfoEditDialog::fittedCoverSize({400, 300}, {0, 100}).isEmpty());
}

// A file named like a picture that is none is refused as a file that
// cannot be opened is; the cover on show and the one OK keeps stay.
TEST_F(EpubInfo, AFileThatIsNoPictureIsRefusedAndTheCoverStays)
{
    const QString good = picture(m_covers, QStringLiteral("front.png"), QSize(300, 400));
    const QString fake = QDir(m_covers).filePath(QStringLiteral("fake.jpg"));
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();

    EpubInfoEditDialog dialog(BookInfo(), nullptr);
    dialog.show();
    addCover(dialog, good);
    auto* cover = child<QLabel>(dialog, "coverLabel");
    ASSERT_FALSE(cover->pixmap().isNull());
    ModalAnswers answers({ chooseFiles({ fake }), pressButton(QStringLiteral("OK")) });
    child<QPushButton>(dialog, "coverAddPushButton")->click();
    EXPECT_EQ(answers.texts().value(1), QStringLiteral("Failed to open file \"%1\".").arg(fake));
    EXPECT_FALSE(cover->pixmap().isNull());
    EXPECT_EQ(dialog.currentCoverPath(), good);
    child<QPushButton>(dialog, "OKpushButton")->click();
    EXPECT_EQ(dialog.bookInfo().coverPath, good);
}

// A named pipe as the cover would block the dialog, and later the
// conversion: it is neither opened nor taken.
TEST_F(EpubInfo, ANamedPipeIsNeitherOpenedNorTakenAsTheCover)
{
    const QString path = QDir(m_covers).filePath(QStringLiteral("pipe.png"));
    testfiles::Fifo pipe(path);
    ASSERT_TRUE(pipe.isValid());
    BookInfo info;
    info.coverPath = path;
    {
        EpubInfoEditDialog stored(info, nullptr);
        stored.showImageInContainer();
        EXPECT_TRUE(child<QLabel>(stored, "coverLabel")->pixmap().isNull());
    }
    EpubInfoEditDialog dialog(BookInfo(), nullptr);
    dialog.show();
    ModalAnswers answers({ [&](QWidget* window) {
                              auto* files = qobject_cast<QFileDialog*>(window);
                              ASSERT_NE(files, nullptr);
                              files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
                              static_cast<QDialog*>(files)->accept();
                          },
                           pressButton(QStringLiteral("OK")) });
    child<QPushButton>(dialog, "coverAddPushButton")->click();
    EXPECT_EQ(answers.texts().value(1), QStringLiteral("Failed to open file \"%1\".").arg(path));
    EXPECT_TRUE(dialog.currentCoverPath().isEmpty());
    EXPECT_FALSE(pipe.wasOpened());
}

} // namespace
