// The folder walk: breadth first, "." and ".." never entered, and what the
// filters let through.
#include "DirEnumerator.h"
#include "FileFilter.h"
#include "ZipException.h"
#include "zip_test_util.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

using ZipArchiveLib::CFileFilter;
using ZipArchiveLib::CFileInfo;
using ZipArchiveLib::CNameFileFilter;

namespace {

// Records what the walk offers, relative to its start.
class Recorder : public ZipArchiveLib::CDirEnumerator {
public:
    Recorder(const QString& start, bool recursive, int stopAfter = -1)
        : CDirEnumerator(start, recursive), m_start(start.endsWith(QLatin1Char('/')) ? start.chopped(1) : start),
          m_stopAfter(stopAfter)
    {
    }

    QStringList offered;
    QStringList entered;
    QList<bool> ends;
    int begins = 0;

protected:
    bool process(const QString& path, const CFileInfo& info) override
    {
        offered << path.mid(m_start.size() + 1) + (info.isDirectory() ? QStringLiteral("/") : QString());
        return m_stopAfter < 0 || offered.size() < m_stopAfter;
    }
    void onEnumerationBegin() override { ++begins; }
    void onEnumerationEnd(bool result) override { ends << result; }
    void enterDirectory() override { entered << getCurrentDirectory().mid(m_start.size()); }

private:
    QString m_start;
    int m_stopAfter;
};

struct WalkFixture : ::testing::Test {
    QTemporaryDir dir;
    QString root;

    void SetUp() override
    {
        root = dir.path() + QStringLiteral("/root");
        const char* const files[] = {"a.txt", ".dot", "sub1/b.txt", "sub1/deep/c.txt", "sub1/deep/deeper/d.txt",
                                     "sub2/e.html", "sub2/F.HTML"};
        for (const char* file : files)
            ASSERT_TRUE(ziptest::makeFile(root + QLatin1Char('/') + QLatin1String(file), file));
        ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/emptydir")));
    }
};

int depthOf(const QString& path)
{
    return int(path.count(QLatin1Char('/')) - (path.endsWith(QLatin1Char('/')) ? 1 : 0));
}

TEST_F(WalkFixture, EveryFileOfAFolderComesBeforeAnyFileOfItsSubfolders)
{
    Recorder walk(root, true);
    EXPECT_TRUE(walk.walkDirectory(CFileFilter()));
    QStringList sorted = walk.offered;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{".dot", "a.txt", "sub1/b.txt", "sub1/deep/c.txt", "sub1/deep/deeper/d.txt",
                                   "sub2/F.HTML", "sub2/e.html"}));
    for (int i = 1; i < walk.offered.size(); ++i)
        EXPECT_LE(depthOf(walk.offered.at(i - 1)), depthOf(walk.offered.at(i))) << walk.offered.join(',').toStdString();
    EXPECT_EQ(walk.entered.first(), QStringLiteral("/"));
    EXPECT_EQ(walk.entered.size(), 6) << "root, sub1, sub2, emptydir, deep, deeper; never . or ..";
    for (const QString& entered : walk.entered)
        EXPECT_FALSE(entered.contains(QStringLiteral("/./")) || entered.contains(QStringLiteral("/../")));
    EXPECT_EQ(walk.begins, 1);
    EXPECT_EQ(walk.ends, QList<bool>{true});
}

TEST_F(WalkFixture, NotRecursiveStaysInTheStartFolder)
{
    Recorder walk(root + QLatin1Char('/'), false);
    EXPECT_TRUE(walk.walkDirectory(CFileFilter()));
    QStringList sorted = walk.offered;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{".dot", "a.txt"}));
}

TEST_F(WalkFixture, AFileFilterWalksFoldersButOffersOnlyMatchingFiles)
{
    Recorder walk(root, true);
    EXPECT_TRUE(walk.walkDirectory(CNameFileFilter(QStringLiteral("*.html"))));
    QStringList sorted = walk.offered;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{"sub2/F.HTML", "sub2/e.html"})) << "no folders offered, case ignored";
}

TEST_F(WalkFixture, AFilterForFoldersDecidesWhichAreEntered)
{
    Recorder walk(root, true);
    EXPECT_TRUE(walk.walkDirectory(CNameFileFilter(QStringLiteral("sub1"), false, CNameFileFilter::toDirectory)));
    EXPECT_EQ(walk.offered, QStringList{"sub1/"}) << "files are not handled by this filter";
    EXPECT_EQ(walk.entered, (QStringList{"/", "/sub1/"}));
}

TEST_F(WalkFixture, AnInvertedFilterTakesWhatItWouldRefuse)
{
    Recorder walk(root, false);
    EXPECT_TRUE(walk.walkDirectory(CNameFileFilter(QStringLiteral("*.txt"), true)));
    EXPECT_EQ(walk.offered, QStringList{".dot"});
}

TEST_F(WalkFixture, AFalseFromProcessEndsTheWalk)
{
    Recorder walk(root, true, 2);
    EXPECT_FALSE(walk.walkDirectory(CFileFilter()));
    EXPECT_EQ(walk.offered.size(), 2);
    EXPECT_EQ(walk.ends, QList<bool>{false});
}

TEST_F(WalkFixture, AnEmptyStartIsTheCurrentFolder)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(root + QStringLiteral("/sub2"));
    Recorder walk(QString(), false);
    const bool result = walk.walkDirectory(CFileFilter());
    QDir::setCurrent(previous);
    EXPECT_TRUE(result);
    EXPECT_EQ(walk.getCurrentDirectory(), QStringLiteral("./"));
    EXPECT_EQ(walk.offered.size(), 2);
}

TEST_F(WalkFixture, AMissingStartFolderRaisesWithItsPath)
{
    Recorder walk(root + QStringLiteral("/nope"), true);
    try {
        walk.walkDirectory(CFileFilter());
        FAIL() << "no exception";
    } catch (const CZipException& e) {
        EXPECT_EQ(e.getCode(), ENOENT);
        EXPECT_EQ(e.getFileName(), root + QStringLiteral("/nope/"));
    }
}

TEST_F(WalkFixture, LinksToFoldersAreNotFollowed)
{
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("/sub1/loop")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/a.txt"), root + QStringLiteral("/sub2/link.txt")));
    Recorder walk(root, true);
    EXPECT_TRUE(walk.walkDirectory(CFileFilter()));
    EXPECT_EQ(walk.offered.size(), 8) << walk.offered.join(',').toStdString();
    EXPECT_TRUE(walk.offered.contains(QStringLiteral("sub2/link.txt")));
}

// Many folders that each wait in the queue with a subfolder: the walk keeps
// only a few of them open, so a small limit on open files is enough.
TEST_F(WalkFixture, AWideTreeIsWalkedWithFewFilesOpen)
{
    constexpr int kFolders = 150;
    for (int i = 0; i < kFolders; ++i)
        ASSERT_TRUE(ziptest::makeFile(root + QStringLiteral("/wide/%1/sub/f.txt").arg(i), "f"));
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    const int open = int(descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
    rlimit previous;
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &previous), 0);
    const struct Limit {
        rlimit previous;
        ~Limit() { ::setrlimit(RLIMIT_NOFILE, &previous); }
    } restore{previous};
    rlimit lowered = previous;
    lowered.rlim_cur = rlim_t(open + 32);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);

    Recorder walk(root + QStringLiteral("/wide"), true);
    EXPECT_NO_THROW(EXPECT_TRUE(walk.walkDirectory(CFileFilter())));
    EXPECT_EQ(walk.offered.size(), kFolders);
}

} // namespace
