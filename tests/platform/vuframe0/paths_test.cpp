#include "platform/vuframe0/vupaths.h"

#include "platform/vuframe0/vupref.h"

#include "testfiles.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Points the system's temporary folder (TMPDIR) at a fresh folder.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_previous = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
    }
    void TearDown() override { qputenv("TMPDIR", m_previous); }

    QString usualName() const
    {
        return m_dir.path() + QLatin1Char('/') + VuPref::product_key() + QLatin1Char('-')
            + QString::number(::getuid());
    }

    QTemporaryDir m_dir;
    QByteArray m_previous;
};

struct stat statOf(const QString& path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

TEST_F(TempFolder, IsAPrivateFolderOfThisUser)
{
    const QString path = Vu::tempPath();
    EXPECT_EQ(path, usualName());
    const struct stat st = statOf(path);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());
    EXPECT_EQ(Vu::tempPath(), path);
}

TEST_F(TempFolder, OpenFolderIsClosedToOthers)
{
    ASSERT_EQ(::mkdir(QFile::encodeName(usualName()).constData(), 0777), 0);
    ::chmod(QFile::encodeName(usualName()).constData(), 0777);
    EXPECT_EQ(Vu::tempPath(), usualName());
    EXPECT_EQ(statOf(usualName()).st_mode & 0777, 0700u);
}

TEST_F(TempFolder, PlantedLinkIsNotFollowed)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), usualName()));
    const QString path = Vu::tempPath();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_NE(path, usualName());
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(statOf(path).st_mode & 0777, 0700u);
    EXPECT_EQ(QFileInfo(path).canonicalFilePath().startsWith(elsewhere.path()), false);
    // The replacement stays the same for the rest of the run.
    EXPECT_EQ(Vu::tempPath(), path);
    EXPECT_TRUE(testfiles::listFiles(elsewhere.path()).isEmpty());
}

TEST_F(TempFolder, PlantedFileIsNotUsed)
{
    ASSERT_TRUE(testfiles::writeAll(usualName(), "x"));
    const QString path = Vu::tempPath();
    EXPECT_NE(path, usualName());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(TempFolder, MissingSystemFolderGivesNoFolder)
{
    // Never a folder made elsewhere (the root folder) in its place.
    qputenv("TMPDIR", QFile::encodeName(m_dir.filePath(QStringLiteral("no/such/folder"))));
    EXPECT_TRUE(Vu::tempPath().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QLatin1Char('/') + VuPref::product_key() + QLatin1Char('-')
                                   + QString::number(::getuid())));
}

TEST(FolderName, ValidNames)
{
    QTemporaryDir dir;
    EXPECT_TRUE(Vu::isFolderNameValid(QStringLiteral("/home/ann/books"), true));
    EXPECT_TRUE(Vu::isFolderNameValid(QStringLiteral("/not/yet/there"), true));
    EXPECT_TRUE(Vu::isFolderNameValid(dir.path(), true));
    EXPECT_TRUE(Vu::isFolderNameValid(QStringLiteral("/home/ann/Bücher %1 \\ x"), true));
    EXPECT_TRUE(Vu::isFolderNameValid(QStringLiteral("relative/books"), false));
    EXPECT_TRUE(Vu::isFolderNameValid(QLatin1Char('/') + QString(255, QLatin1Char('a')), true));
}

TEST(FolderName, InvalidNames)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/a.pdf");
    ASSERT_TRUE(testfiles::writeAll(file, "%PDF"));
    EXPECT_FALSE(Vu::isFolderNameValid(QString(), true));
    EXPECT_FALSE(Vu::isFolderNameValid(QStringLiteral("   "), true));
    EXPECT_FALSE(Vu::isFolderNameValid(QStringLiteral("relative/books"), true));
    EXPECT_FALSE(Vu::isFolderNameValid(QStringLiteral("/home/ann\nbooks"), true));
    EXPECT_FALSE(Vu::isFolderNameValid(QStringLiteral("/home/ann") + QChar(0) + QStringLiteral("x"),
                                       true));
    EXPECT_FALSE(Vu::isFolderNameValid(QLatin1Char('/') + QString(256, QLatin1Char('a')), true));
    // 128 two-byte letters are 256 bytes.
    EXPECT_FALSE(Vu::isFolderNameValid(QLatin1Char('/') + QString(128, QChar(0x00fc)), true));
    EXPECT_FALSE(Vu::isFolderNameValid(file, true));
}

TEST(FolderWritable, OnlyExistingFoldersThatTakeAFile)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/a.pdf");
    ASSERT_TRUE(testfiles::writeAll(file, "%PDF"));
    EXPECT_TRUE(Vu::isFolderWritable(dir.path()));
    EXPECT_FALSE(Vu::isFolderWritable(dir.path() + QStringLiteral("/missing")));
    EXPECT_FALSE(Vu::isFolderWritable(file));
    EXPECT_FALSE(Vu::isFolderWritable(QString()));
    // The probe leaves nothing behind.
    EXPECT_EQ(testfiles::listFiles(dir.path()), QStringList { QStringLiteral("a.pdf") });
}

TEST(FolderWritable, ReadOnlyFolder)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write anywhere";
    QTemporaryDir dir;
    const QString locked = dir.path() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    ::chmod(QFile::encodeName(locked).constData(), 0500);
    EXPECT_FALSE(Vu::isFolderWritable(locked));
    ::chmod(QFile::encodeName(locked).constData(), 0700);
}

TEST(Folders, OutputFolderLiesInTheDocumentsFolder)
{
    const QByteArray previous = qgetenv("HOME");
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString doc = Vu::docPath();
    const QString output = Vu::outputPath();
    qputenv("HOME", previous);
    EXPECT_TRUE(doc.startsWith(home.path())) << qPrintable(doc);
    EXPECT_EQ(output, doc + QLatin1Char('/') + VuPref::product_name());
    EXPECT_FALSE(QFileInfo::exists(output));
}

TEST(MoveCenter, CentresOverTheParentWindow)
{
    QWidget parent;
    parent.setGeometry(100, 80, 600, 400);
    parent.show();
    QDialog dialog(&parent);
    dialog.resize(200, 100);
    Vu::moveCenter(&dialog);
    const QPoint centre = dialog.frameGeometry().center();
    EXPECT_LE(qAbs(centre.x() - parent.frameGeometry().center().x()), 1);
    EXPECT_LE(qAbs(centre.y() - parent.frameGeometry().center().y()), 1);
}

TEST(MoveCenter, WithoutParentCentresOnTheScreen)
{
    QWidget widget;
    widget.resize(300, 200);
    Vu::moveCenter(&widget);
    const QRect area = widget.screen()->availableGeometry();
    EXPECT_LE(qAbs(widget.frameGeometry().center().x() - area.center().x()), 1);
    EXPECT_LE(qAbs(widget.frameGeometry().center().y() - area.center().y()), 1);
    Vu::moveCenter(nullptr);
}

} // namespace
