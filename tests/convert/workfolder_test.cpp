// A book's work folder: made new for the book, removed afterwards without
// touching anything the book did not make and without following links.
#include "convert/utils.h"

#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class WorkFolder : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    QString work() const { return path(QStringLiteral("out/Book")); }

    void write(const QString& relative) const
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        ASSERT_TRUE(testfiles::writeAll(path(relative), "data"));
    }
    bool exists(const QString& relative) const
    {
        const QFileInfo info(path(relative));
        return info.exists() || info.isSymLink();
    }
    // What is left under the work folder.
    QStringList remains() const { return testfiles::listFiles(work()); }

    // A tree as the book builder leaves it.
    void writeBook() const
    {
        for (const char* file : {"out/Book/OEBPS/page-1.html", "out/Book/OEBPS/page-2.html",
                                 "out/Book/OEBPS/sheetstyle.css", "out/Book/OEBPS/content.opf",
                                 "out/Book/OEBPS/toc.ncx", "out/Book/META-INF/container.xml",
                                 "out/Book/OEBPS/pictures/p1.jpg"})
            write(QString::fromLatin1(file));
    }

    QTemporaryDir m_dir;
};

TEST_F(WorkFolder, RemoveTakesTheWholeBookTree)
{
    writeBook();
    EXPECT_TRUE(utils::removeWorkFolder(work(), true));
    EXPECT_FALSE(exists(QStringLiteral("out/Book")));
    EXPECT_TRUE(exists(QStringLiteral("out")));
}

TEST_F(WorkFolder, RemoveAcceptsOneTrailingSeparator)
{
    writeBook();
    EXPECT_TRUE(utils::removeWorkFolder(work() + QLatin1Char('/'), true));
    EXPECT_FALSE(exists(QStringLiteral("out/Book")));
}

TEST_F(WorkFolder, RemoveOfAMissingFolderSucceeds)
{
    EXPECT_TRUE(utils::removeWorkFolder(work(), true));
}

struct LeftoverCase {
    const char* description;
    const char* file;        // under the work folder
    bool removeImageFolder;
    bool folderStays;
};

void PrintTo(const LeftoverCase& c, std::ostream* os)
{
    *os << c.description;
}

class WorkFolderLeftover : public WorkFolder, public ::testing::WithParamInterface<LeftoverCase> {};

TEST_P(WorkFolderLeftover, FilesOutsideTheRuleStayAndKeepTheirFolder)
{
    const LeftoverCase& c = GetParam();
    writeBook();
    write(QStringLiteral("out/Book/") + QString::fromLatin1(c.file));
    EXPECT_EQ(utils::removeWorkFolder(work(), c.removeImageFolder), !c.folderStays) << c.description;
    if (c.folderStays) {
        EXPECT_EQ(remains(), QStringList{QString::fromLatin1(c.file)}) << c.description;
    } else {
        EXPECT_FALSE(exists(QStringLiteral("out/Book"))) << c.description;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, WorkFolderLeftover,
    ::testing::Values(
        LeftoverCase{"a file without a dot", "OEBPS/mimetype", true, true},
        LeftoverCase{"a hidden file", ".keep.txt", true, true},
        LeftoverCase{"a file in a hidden folder", ".cache/a.txt", true, true},
        LeftoverCase{"the image folder kept on request", "image/p.jpg", false, true},
        LeftoverCase{"the image folder removed on request", "image/p.jpg", true, false},
        LeftoverCase{"a deeper image folder always goes", "OEBPS/image/p.jpg", false, false}));

TEST_F(WorkFolder, LinksInsideAreNeitherFollowedNorRemoved)
{
    writeBook();
    write(QStringLiteral("mine/keep.txt"));
    write(QStringLiteral("mine/sub/deep.html"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("mine")), path(QStringLiteral("out/Book/OEBPS/linked"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("mine/keep.txt")), path(QStringLiteral("out/Book/link.txt"))));

    EXPECT_FALSE(utils::removeWorkFolder(work(), true));
    EXPECT_TRUE(exists(QStringLiteral("mine/keep.txt")));
    EXPECT_TRUE(exists(QStringLiteral("mine/sub/deep.html")));
    // The book's own files are gone; the links stay where they were.
    EXPECT_TRUE(exists(QStringLiteral("out/Book/OEBPS/linked")));
    EXPECT_TRUE(exists(QStringLiteral("out/Book/link.txt")));
    EXPECT_FALSE(exists(QStringLiteral("out/Book/OEBPS/page-1.html")));
    EXPECT_FALSE(exists(QStringLiteral("out/Book/META-INF")));
}

TEST_F(WorkFolder, LinkInPlaceOfTheFolderIsLeftAlone)
{
    write(QStringLiteral("mine/keep.txt"));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("out"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("mine")), work()));

    EXPECT_FALSE(utils::removeWorkFolder(work(), true));
    EXPECT_FALSE(utils::removeWorkFolder(work() + QLatin1Char('/'), true));
    EXPECT_TRUE(QFileInfo(work()).isSymLink());
    EXPECT_TRUE(exists(QStringLiteral("mine/keep.txt")));
}

TEST_F(WorkFolder, EmptyPathRemovesNothing)
{
    write(QStringLiteral("cwd/program.txt"));
    const testfiles::CurrentDir current(path(QStringLiteral("cwd")));
    EXPECT_FALSE(utils::removeWorkFolder(QString(), true));
    EXPECT_TRUE(exists(QStringLiteral("cwd/program.txt")));
}

// The user's folder "Report/" beside "Report.pdf": the book gets a name of
// its own, its work folder comes and goes, the user's folder stays as it was.
TEST_F(WorkFolder, UsersFolderNamedLikeTheBookSurvivesABook)
{
    write(QStringLiteral("out/Report/notes.txt"));
    write(QStringLiteral("out/Report.pdf"));
    const QString outputFolder = path(QStringLiteral("out/"));

    QString name = utils::bookNameOf(path(QStringLiteral("out/Report.pdf")));
    utils::uniqueOutputName(name, outputFolder, QStringLiteral("epub"));
    EXPECT_EQ(name, QStringLiteral("Report(1).epub"));
    const QString workFolder = utils::workFolderPath(outputFolder, name);
    write(QStringLiteral("out/Report(1)/OEBPS/page-1.html"));
    EXPECT_TRUE(utils::removeWorkFolder(workFolder, true));

    EXPECT_FALSE(exists(QStringLiteral("out/Report(1)")));
    EXPECT_EQ(testfiles::readAll(path(QStringLiteral("out/Report/notes.txt"))), QByteArray("data"));
}

TEST(MakePath, CreatesMissingFoldersAndAcceptsExistingOnes)
{
    QTemporaryDir dir;
    const QString nested = dir.path() + QStringLiteral("/a/b/c");
    EXPECT_TRUE(utils::makePath(nested));
    EXPECT_TRUE(QFileInfo(nested).isDir());
    EXPECT_TRUE(utils::makePath(nested));
    ASSERT_TRUE(testfiles::writeAll(dir.path() + QStringLiteral("/file"), "x"));
    EXPECT_FALSE(utils::makePath(dir.path() + QStringLiteral("/file/sub")));
    EXPECT_TRUE(utils::fileExists(dir.path() + QStringLiteral("/file")));
    EXPECT_FALSE(utils::fileExists(dir.path() + QStringLiteral("/none")));
}

} // namespace
