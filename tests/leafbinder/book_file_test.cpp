// The book file itself: a ZIP container whose first entry is the bare
// "mimetype", followed by the work folder's files under relative names,
// written whole or not at all.
#include "book_fixture.h"
#include "testfiles.h"

#include <QDirIterator>
#include <QFile>

#include <ios>
#include <sys/fsuid.h>
#include <sys/stat.h>

using namespace bookhelpers;

namespace {

struct BookFile : BookTest {
    QList<ZipEntry> entries()
    {
        QString error;
        const QList<ZipEntry> list = readZip(book(), &error);
        EXPECT_FALSE(list.isEmpty()) << error.toStdString();
        return list;
    }
    static const ZipEntry* find(const QList<ZipEntry>& list, const QString& name)
    {
        for (const ZipEntry& entry : list)
            if (entry.name == name)
                return &entry;
        return nullptr;
    }
    static QDomDocument parse(const ZipEntry* entry)
    {
        QDomDocument document;
        if (entry)
            document.setContent(entry->data, true);
        return document;
    }
    // Leftovers of a failed run beside the book.
    QStringList partFiles() const
    {
        return QDir(dir.path()).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
    }
    void twoPages()
    {
        add(maker.textPage(u"First page, long enough to be worth deflating: lorem ipsum dolor sit amet."));
        add(maker.textPage(u"Second page"));
    }
};

TEST_F(BookFile, MimetypeIsTheFirstEntryStoredWithoutExtraField)
{
    startBook(QStringLiteral("Mime"));
    twoPages();
    finishBook();
    ASSERT_TRUE(closed);
    const QList<ZipEntry> list = entries();
    ASSERT_FALSE(list.isEmpty());
    EXPECT_EQ(list[0].name, QStringLiteral("mimetype"));
    EXPECT_EQ(list[0].method, 0);
    EXPECT_EQ(list[0].extraLength, 0);
    EXPECT_EQ(list[0].data, QByteArray("application/epub+zip"));

    // The first local header, read straight from the file: name at offset 30.
    const QByteArray head = testfiles::readAll(book()).left(38);
    EXPECT_EQ(head.left(4), QByteArray("PK\x03\x04", 4));
    EXPECT_EQ(head.mid(30, 8), QByteArray("mimetype"));
}

TEST_F(BookFile, EveryWorkFolderFileIsAnEntryUnderItsRelativeName)
{
    startBook(QStringLiteral("Names"));
    twoPages();
    finishBook();
    ASSERT_TRUE(closed);
    const QList<ZipEntry> list = entries();
    QStringList names;
    for (const ZipEntry& entry : list.mid(1)) {
        names << entry.name;
        EXPECT_FALSE(entry.name.startsWith(QLatin1Char('/'))) << entry.name.toStdString();
        EXPECT_FALSE(entry.name.contains(QLatin1Char('\\'))) << entry.name.toStdString();
        EXPECT_TRUE(entry.method == 8 || (entry.method == 0 && entry.size < 5)) << entry.name.toStdString();
        EXPECT_EQ(entry.data, testfiles::readAll(work() + QLatin1Char('/') + entry.name)) << entry.name.toStdString();
    }
    names.sort();
    EXPECT_EQ(names, testfiles::listFiles(work()));
    EXPECT_TRUE(names.contains(QStringLiteral("OEBPS/page-2.html")));
    EXPECT_FALSE(names.contains(QStringLiteral("mimetype")));
    EXPECT_FALSE(names.contains(QStringLiteral("OEBPS/template.html"))) << "the page template is no page";
}

TEST_F(BookFile, CoverPictureIsPackedUnderTheNameThePackageDeclares)
{
    info.coverImage = makePicture(QStringLiteral("front.png"), "PNG").toStdString();
    startBook(QStringLiteral("Covered"));
    twoPages();
    finishBook();
    ASSERT_TRUE(closed);
    const QList<ZipEntry> list = entries();
    ASSERT_NE(find(list, QStringLiteral("OEBPS/cover.png")), nullptr);
    const QDomDocument opf = parse(find(list, QStringLiteral("OEBPS/content.opf")));
    bool declared = false;
    for (const QDomElement& item : descendants(opf.documentElement(), QStringLiteral("item")))
        declared = declared
            || (item.attribute(QStringLiteral("href")) == QLatin1String("cover.png")
                && item.attribute(QStringLiteral("media-type")) == QLatin1String("image/png"));
    EXPECT_TRUE(declared);

    const QDomDocument ncx = parse(find(list, QStringLiteral("OEBPS/toc.ncx")));
    const QList<QDomElement> points = descendants(ncx.documentElement(), QStringLiteral("navPoint"));
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points[0].attribute(QStringLiteral("playOrder")), QStringLiteral("1"));
    EXPECT_EQ(points[2].attribute(QStringLiteral("playOrder")), QStringLiteral("3"));
}

TEST_F(BookFile, ABookWithoutACoverStartsItsNavigationAtOne)
{
    startBook(QStringLiteral("Plain"));
    twoPages();
    finishBook();
    ASSERT_TRUE(closed);
    const QDomDocument ncx = parse(find(entries(), QStringLiteral("OEBPS/toc.ncx")));
    const QList<QDomElement> points = descendants(ncx.documentElement(), QStringLiteral("navPoint"));
    ASSERT_EQ(points.size(), 2);
    EXPECT_EQ(points[0].attribute(QStringLiteral("id")), QStringLiteral("navPoint-1"));
    EXPECT_EQ(points[0].attribute(QStringLiteral("playOrder")), QStringLiteral("1"));
}

TEST_F(BookFile, ABookWithNeitherPagesNorCoverIsNotPacked)
{
    startBook(QStringLiteral("Empty"));
    finishBook();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(QFileInfo::exists(book()));
    EXPECT_TRUE(libraryLog().contains(QStringLiteral("a book without pages is not packed: ") + work()));
}

TEST_F(BookFile, ALinkInTheWorkFolderDoesNotCarryAnOutsideFileIntoTheBook)
{
    const QString secret = dir.path() + QStringLiteral("/secret.txt");
    ASSERT_TRUE(testfiles::writeAll(secret, "not for the book"));
    startBook(QStringLiteral("Linked"));
    twoPages();
    ASSERT_TRUE(QFile::link(secret, work() + QStringLiteral("/OEBPS/secret.txt")));
    finishBook();
    ASSERT_TRUE(closed);
    const QList<ZipEntry> list = entries();
    EXPECT_EQ(find(list, QStringLiteral("OEBPS/secret.txt")), nullptr);
    for (const ZipEntry& entry : list)
        EXPECT_NE(entry.data, QByteArray("not for the book")) << entry.name.toStdString();
}

TEST_F(BookFile, AFailedPackingLeavesNoBookBehind)
{
    // Run from a folder whose template has no "mimetype": the first add fails.
    QTemporaryDir installation;
    const QString templateCopy = installation.path() + QStringLiteral("/epubTemplate");
    QDirIterator it(QStringLiteral("epubTemplate"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (file.endsWith(QLatin1String("/mimetype")))
            continue;
        QDir().mkpath(QFileInfo(installation.path() + QLatin1Char('/') + file).absolutePath());
        ASSERT_TRUE(QFile::copy(file, installation.path() + QLatin1Char('/') + file));
    }
    ASSERT_TRUE(QFileInfo::exists(templateCopy + QStringLiteral("/OEBPS/content.opf")));
    testfiles::CurrentDir inside(installation.path());
    startBook(QStringLiteral("NoMime"));
    twoPages();
    finishBook();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(QFileInfo::exists(book()));
    EXPECT_EQ(partFiles(), QStringList());
}

TEST_F(BookFile, AnExistingFileOfTheBooksNameIsNeverReplaced)
{
    startBook(QStringLiteral("Taken"));
    twoPages();
    ASSERT_TRUE(testfiles::writeAll(book(), "the user's own file"));
    finishBook();
    EXPECT_FALSE(closed);
    EXPECT_EQ(testfiles::readAll(book()), QByteArray("the user's own file"));
    EXPECT_EQ(partFiles(), QStringList());
}

TEST_F(BookFile, ALinkAtTheBooksNameIsNeitherFollowedNorReplaced)
{
    const QString target = dir.path() + QStringLiteral("/chosen-by-someone-else.epub");
    startBook(QStringLiteral("Linked"));
    twoPages();
    ASSERT_TRUE(QFile::link(target, book()));
    finishBook();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(QFileInfo(book()).symLinkTarget(), target);
    EXPECT_EQ(partFiles(), QStringList());
    EXPECT_TRUE(libraryLog().contains(QStringLiteral("the finished book cannot take its name: ") + book()));
}

TEST_F(BookFile, TheFinishedBookGetsTheModeOfANewFileUnderTheUmask)
{
    for (const mode_t mask : {mode_t(022), mode_t(077)}) {
        const mode_t previous = ::umask(mask);
        startBook(QStringLiteral("Mode%1").arg(mask, 0, 8));
        twoPages();
        finishBook();
        ::umask(previous);
        ASSERT_TRUE(closed);
        struct stat status;
        ASSERT_EQ(::stat(QFile::encodeName(book()).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
    }
}

TEST_F(BookFile, NamesUpToTheLongestTheFolderHoldsArePacked)
{
    for (const int bytes : {238, 245, 250}) {
        // Three-byte characters, as in a Chinese or Japanese name.
        const QString name = QString(bytes / 3, QChar(0x66F8)) + QString(bytes % 3, QLatin1Char('a'));
        ASSERT_EQ(name.toUtf8().size(), bytes);
        startBook(name);
        add(maker.textPage(u"page"));
        finishBook();
        EXPECT_TRUE(closed) << bytes;
        EXPECT_TRUE(QFileInfo(book()).isFile()) << bytes;
    }
    EXPECT_EQ(partFiles(), QStringList());
}

TEST_F(BookFile, AWorkFolderSwappedAfterCreateIsStillTheOneWrittenAndPacked)
{
    // Another user's folder, laid out so that the book's files could land in it.
    const QString other = dir.path() + QStringLiteral("/private");
    ASSERT_TRUE(QDir().mkpath(other + QStringLiteral("/OEBPS")));
    ASSERT_TRUE(testfiles::writeAll(other + QStringLiteral("/diary.txt"), "private"));
    info.coverImage = makePicture(QStringLiteral("front.png"), "PNG").toStdString();
    // In its place: a link to that folder, or that folder itself.
    for (const bool link : {true, false}) {
        startBook(link ? QStringLiteral("Linked") : QStringLiteral("Replaced"));
        ASSERT_TRUE(QDir().rename(work(), work() + QStringLiteral("-moved")));
        ASSERT_TRUE(link ? QFile::link(other, work()) : QDir().rename(other, work()));
        twoPages();
        finishBook();
        EXPECT_TRUE(closed) << link;
        EXPECT_EQ(testfiles::listFiles(link ? other : work()), QStringList{QStringLiteral("diary.txt")}) << link;
        QStringList names;
        for (const ZipEntry& entry : entries())
            names << entry.name;
        EXPECT_TRUE(names.contains(QStringLiteral("OEBPS/page-2.html"))) << link;
        EXPECT_TRUE(names.contains(QStringLiteral("OEBPS/cover.png"))) << link;
        EXPECT_FALSE(names.contains(QStringLiteral("diary.txt"))) << link;
    }
    EXPECT_EQ(partFiles(), QStringList());
}

TEST_F(BookFile, APageSwappedForALinkBeforePackingFailsTheBook)
{
    startBook(QStringLiteral("Swapped"));
    twoPages();
    const QString page = content(QStringLiteral("page-1.html"));
    const QString copy = dir.path() + QStringLiteral("/page-1.html");
    ASSERT_TRUE(QFile::rename(page, copy));
    ASSERT_TRUE(QFile::link(copy, page));
    finishBook();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(QFileInfo::exists(book()));
    EXPECT_TRUE(libraryLog().contains(QStringLiteral("were packed: ") + work()));
}

// As on a network share that squashes root, or a FAT or exFAT disk mounted
// for one user: the folder the book makes is reported as someone else's.
TEST_F(BookFile, AFolderTheFileSystemGivesAnotherOwnerIsStillTheBooks)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making files of another owner needs root";
    // The output folder is open to everyone, as a share is, and can be
    // reached through the private temporary folder while the book is made.
    const QFileDevice::Permissions temporary = QFile::permissions(QDir::tempPath());
    ASSERT_TRUE(QFile::setPermissions(QDir::tempPath(), temporary | QFileDevice::ExeOther));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                      | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                      | QFileDevice::WriteOther | QFileDevice::ExeOther));
    const uid_t nobody = 65534;
    {
        // Files this thread makes belong to nobody while it lasts.
        const struct FileOwner {
            int previousUser;
            int previousGroup;
            QFileDevice::Permissions temporary;
            ~FileOwner()
            {
                ::setfsuid(previousUser);
                ::setfsgid(previousGroup);
                QFile::setPermissions(QDir::tempPath(), temporary);
            }
        } owner{::setfsuid(nobody), ::setfsgid(nobody), temporary};
        startBook(QStringLiteral("Squashed"));
        twoPages();
        finishBook();
    }
    EXPECT_TRUE(closed);
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(book()).constData(), &status), 0);
    EXPECT_EQ(status.st_uid, nobody);
}

} // namespace
