// Adding a folder's files: relative names with '/', files only, breadth first,
// and the way an ePub book is packed.
#include "FileFilter.h"
#include "ZipArchive.h"
#include "ZipException.h"
#include "zip_parser.h"
#include "zip_test_util.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

namespace {

// Runs an action once, when the first file is being added.
struct OnFirstAdd : CZipActionCallback {
    std::function<void()> action;
    bool callback(quint64) override
    {
        if (action)
            std::exchange(action, nullptr)();
        return true;
    }
};

struct FolderFixture : ::testing::Test {
    QTemporaryDir dir;
    QString work;

    void SetUp() override
    {
        work = dir.path() + QStringLiteral("/Book");
        ASSERT_TRUE(ziptest::makeFile(work + QStringLiteral("/OEBPS/content.opf"), "<package/>"));
        ASSERT_TRUE(ziptest::makeFile(work + QStringLiteral("/OEBPS/page-1.html"), ziptest::compressibleBytes(9000, 1)));
        ASSERT_TRUE(ziptest::makeFile(work + QStringLiteral("/OEBPS/images/cover.jpg"), ziptest::randomBytes(5000, 2)));
        ASSERT_TRUE(ziptest::makeFile(work + QStringLiteral("/META-INF/container.xml"), "<container/>"));
        ASSERT_TRUE(ziptest::makeFile(work + QStringLiteral("/.hidden"), "dot file"));
        ASSERT_TRUE(ziptest::makeFile(work + QStringLiteral("/top.txt"), "top"));
        ASSERT_TRUE(QDir().mkpath(work + QStringLiteral("/empty")));
    }

    QList<QByteArray> names(const QString& zipPath) const
    {
        const ziptest::ZipImage image = ziptest::ZipImage::fromFile(zipPath);
        EXPECT_TRUE(image.ok()) << image.error().toStdString();
        QList<QByteArray> result;
        for (const auto& c : image.centrals())
            result << c.name;
        return result;
    }
};

// Position of the last component's folder depth, to check the walk's order.
int depth(const QByteArray& name)
{
    return int(name.count('/'));
}

TEST_F(FolderFixture, ABookPacksMimetypeFirstThenEveryFileByRelativeName)
{
    const QString book = dir.path() + QStringLiteral("/Book.epub");
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(book, CZipArchive::zipCreate, 0));
    ASSERT_TRUE(zip.addFileFromDisk(QStringLiteral("epubTemplate/mimetype"), QStringLiteral("mimetype"), 0, 7, 65536));
    ASSERT_TRUE(zip.addFolderFilesWithMask(work, QStringLiteral("*"), true, -1, true, 7, 65536));
    zip.closeArchive(0, false);
    EXPECT_TRUE(zip.getRootPath().isEmpty());

    const QList<QByteArray> entries = names(book);
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.first(), QByteArray("mimetype"));
    QList<QByteArray> sorted = entries.mid(1);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (QList<QByteArray>{".hidden", "META-INF/container.xml", "OEBPS/content.opf",
                                         "OEBPS/images/cover.jpg", "OEBPS/page-1.html", "top.txt"}));
    for (int i = 2; i < entries.size(); ++i)
        EXPECT_LE(depth(entries.at(i - 1)), depth(entries.at(i))) << "breadth first: " << entries.at(i).constData();

    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(book);
    EXPECT_EQ(image.locals().first().offset, 0);
    EXPECT_EQ(image.locals().first().method, 0);
    EXPECT_EQ(image.centrals().at(image.indexOf("OEBPS/page-1.html")).method, 8);
    const QString complaints = ziptest::outsideReadersComplaints(book);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
    const QString out = dir.path() + QStringLiteral("/out");
    ASSERT_TRUE(ziptest::extractWithUnzip(book, out).isEmpty());
    EXPECT_EQ(testfiles::readAll(out + QStringLiteral("/OEBPS/page-1.html")), ziptest::compressibleBytes(9000, 1));
}

TEST_F(FolderFixture, WithoutSkippingTheInitialPathNamesKeepTheFolderPath)
{
    const QString zipPath = dir.path() + QStringLiteral("/full.zip");
    testfiles::CurrentDir current(dir.path());
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath));
    ASSERT_TRUE(zip.addFolderFilesWithMask(QStringLiteral("./Book/"), QStringLiteral("*.html"), true, -1, false));
    zip.closeArchive();
    EXPECT_EQ(names(zipPath), QList<QByteArray>{"Book/OEBPS/page-1.html"}) << "no \".\" component";
}

TEST_F(FolderFixture, AMaskIsMatchedWithoutCaseAndNotRecursiveStaysInTheFolder)
{
    ASSERT_TRUE(ziptest::makeFile(work + QStringLiteral("/OEBPS/BACK.JPG"), "x"));
    const QString zipPath = dir.path() + QStringLiteral("/jpg.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath));
    ASSERT_TRUE(zip.addFolderFilesWithMask(work, QStringLiteral("*.jpg")));
    ASSERT_TRUE(zip.addFolderFilesWithMask(work + QStringLiteral("/OEBPS"), QStringLiteral("*.opf"), false));
    zip.closeArchive();
    QList<QByteArray> entries = names(zipPath);
    EXPECT_EQ(entries.takeLast(), QByteArray("content.opf"));
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (QList<QByteArray>{"OEBPS/BACK.JPG", "OEBPS/images/cover.jpg"}));
}

TEST_F(FolderFixture, AFilterForDirectoriesAddsDirectoryEntriesUnlessTheyAreSkipped)
{
    const QString zipPath = dir.path() + QStringLiteral("/dirs.zip");
    const ZipArchiveLib::CNameFileFilter everything(QStringLiteral("*"), false, ZipArchiveLib::CNameFileFilter::toAll);
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath));
    ASSERT_TRUE(zip.addFolderFiles(work + QStringLiteral("/OEBPS"), everything));
    ASSERT_TRUE(zip.addFolderFiles(work + QStringLiteral("/OEBPS"), everything, true, -1, true,
                                   CZipArchive::smartDefault | CZipArchive::smartSkipDirectories));
    zip.closeArchive();
    const QList<QByteArray> entries = names(zipPath);
    EXPECT_EQ(entries.count("images/"), 1);
    EXPECT_EQ(entries.count("images/cover.jpg"), 2);
    EXPECT_EQ(entries.size(), 7);
    EXPECT_TRUE(ziptest::outsideReadersComplaints(zipPath).isEmpty());
}

TEST_F(FolderFixture, TheArchiveIsNeverAddedToItself)
{
    const QString zipPath = work + QStringLiteral("/inside.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath));
    EXPECT_FALSE(zip.addFileFromDisk(zipPath, QStringLiteral("self.zip")));
    EXPECT_TRUE(zip.addFolderFilesWithMask(work));
    zip.closeArchive();
    const QList<QByteArray> entries = names(zipPath);
    EXPECT_EQ(entries.size(), 6);
    EXPECT_FALSE(entries.contains("inside.zip"));
}

TEST_F(FolderFixture, AFolderThatCannotBeListedRaisesInsteadOfPackingNothing)
{
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(dir.path() + QStringLiteral("/none.zip")));
    try {
        zip.addFolderFilesWithMask(dir.path() + QStringLiteral("/missing"));
        FAIL() << "no exception";
    } catch (const CZipException& e) {
        EXPECT_EQ(e.getCode(), ENOENT);
        EXPECT_TRUE(e.getFileName().endsWith(QStringLiteral("/missing/")));
    }
    EXPECT_TRUE(zip.getRootPath().isEmpty()) << "the root path is restored after the exception";
    zip.closeArchive();
}

TEST_F(FolderFixture, AddingAFolderNeedsAnOpenArchive)
{
    CZipArchive zip;
    EXPECT_FALSE(zip.addFolderFilesWithMask(work));
    EXPECT_FALSE(zip.addFileFromDisk(work + QStringLiteral("/top.txt"), QStringLiteral("top.txt")));
    EXPECT_EQ(zip.closeArchive(), QString());
}

TEST_F(FolderFixture, AFolderSwappedForALinkWhileItIsWalkedIsWalkedToItsEnd)
{
    // Another folder laid out the same way, whose bytes must never be read.
    const QString other = dir.path() + QStringLiteral("/Other");
    for (const char* file : {"top.txt", ".hidden", "OEBPS/content.opf", "META-INF/container.xml"})
        ASSERT_TRUE(ziptest::makeFile(other + QLatin1Char('/') + QLatin1String(file), "NOT FOR THE ARCHIVE"));
    OnFirstAdd swap;
    swap.action = [&] {
        ASSERT_TRUE(QDir().rename(work, work + QStringLiteral("-moved")));
        ASSERT_TRUE(QFile::link(other, work));
    };
    const QString zipPath = dir.path() + QStringLiteral("/swapped.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath));
    zip.setCallback(&swap, CZipActionCallback::cbAdd);
    EXPECT_TRUE(zip.addFolderFiles(work, ZipArchiveLib::CFileFilter(), true, CZipArchive::levelStore));
    zip.closeArchive();
    EXPECT_EQ(names(zipPath).size(), 6);
    EXPECT_FALSE(testfiles::readAll(zipPath).contains("NOT FOR THE ARCHIVE"));
}

// The contents of the files extracted into folder, sorted; read by the
// names' bytes, which no text holds.
QList<QByteArray> contentsUnder(const QString& folder)
{
    QList<QByteArray> contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(QFile::encodeName(folder).toStdString())) {
        if (entry.is_regular_file()) {
            std::ifstream file(entry.path());
            contents << QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(file), {}));
        }
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

TEST_F(FolderFixture, NamesThatAreNoUtf8KeepTheirOwnBytesAndComeBackOutAsTwoFiles)
{
    QTemporaryDir source;
    const QByteArray folder = QFile::encodeName(source.path()) + "/OEBPS/";
    ASSERT_TRUE(QDir().mkpath(source.path() + QStringLiteral("/OEBPS")));
    std::ofstream(folder + "a\xff.txt") << "first";
    std::ofstream(folder + "a\xfe.txt") << "second";
    const QString zipPath = dir.path() + QStringLiteral("/bytes.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath));
    EXPECT_TRUE(zip.addFolderFilesWithMask(source.path(), QStringLiteral("*"), true, CZipArchive::levelStore));
    zip.closeArchive();

    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(zipPath);
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    QList<QByteArray> names;
    for (const auto& entry : image.centrals()) {
        names << entry.name;
        EXPECT_EQ(entry.flags & 0x0800, 0) << "bytes that are no UTF-8 are not marked as UTF-8";
        EXPECT_EQ(entry.versionMadeBy >> 8, 3) << "made on Unix: readers take the bytes as they are";
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QList<QByteArray>{"OEBPS/a\xfe.txt", "OEBPS/a\xff.txt"}));
    const QString complaints = ziptest::outsideReadersComplaints(zipPath);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
    const QList<QByteArray> both{"first", "second"};
    const QString unzipped = dir.path() + QStringLiteral("/unzip");
    ASSERT_EQ(ziptest::extractWithUnzip(zipPath, unzipped), QString());
    EXPECT_EQ(contentsUnder(unzipped), both);
    const QString python = dir.path() + QStringLiteral("/python");
    ASSERT_EQ(ziptest::runIn(dir.path(), QStringLiteral("python3"),
                             {QStringLiteral("-m"), QStringLiteral("zipfile"), QStringLiteral("-e"), zipPath, python}),
              QString());
    EXPECT_EQ(contentsUnder(python), both);
}

} // namespace
