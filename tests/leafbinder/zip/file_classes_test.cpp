// The engine's building blocks: files on disk and in memory, owned buffers,
// the record buffer, path parts and the error object.
#include "ZipAutoBuffer.h"
#include "ZipException.h"
#include "ZipFile.h"
#include "ZipMemFile.h"
#include "ZipPathComponent.h"
#include "ZipPlatform.h"
#include "ZipRecordBuffer.h"
#include "zip_test_util.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

template <typename F>
int codeOf(F&& action)
{
    try {
        action();
    } catch (const CZipException& e) {
        return e.getCode();
    }
    return 0;
}

TEST(ZipFileTest, ReadsWritesSeeksAndReportsSystemErrors)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/f.bin");
    CZipFile file;
    EXPECT_TRUE(file.isClosed());
    ASSERT_TRUE(file.open(path, CZipFile::modeCreate | CZipFile::modeReadWrite, true));
    file.write("0123456789", 10);
    EXPECT_EQ(file.getPosition(), 10u);
    EXPECT_EQ(file.getLength(), 10u);
    EXPECT_EQ(file.seek(-4, CZipAbstractFile::fromEnd), 6u);
    char buffer[8] = {};
    EXPECT_EQ(file.read(buffer, 8), 4u) << "a short read at the end is no error";
    EXPECT_EQ(QByteArray(buffer, 4), QByteArray("6789"));
    EXPECT_EQ(file.read(buffer, 8), 0u) << "reading at the end gives 0";
    file.setLength(3);
    EXPECT_EQ(file.getLength(), 3u);
    file.flush();
    file.close();
    EXPECT_TRUE(file.isClosed());
    EXPECT_TRUE(file.getFilePath().isEmpty());

    // Opening again without create or no-truncate empties the file.
    ASSERT_TRUE(file.open(path, CZipFile::modeNoTruncate | CZipFile::modeReadWrite, true));
    EXPECT_EQ(file.getLength(), 3u);
    ASSERT_TRUE(file.open(path, CZipFile::modeReadWrite, true)) << "an open file is closed first";
    EXPECT_EQ(file.getLength(), 0u);
    file.close();

    EXPECT_FALSE(file.open(dir.path() + QStringLiteral("/missing"), CZipFile::modeRead, false));
    try {
        file.open(dir.path() + QStringLiteral("/missing"), CZipFile::modeRead, true);
        FAIL();
    } catch (const CZipException& e) {
        EXPECT_EQ(e.getCode(), ENOENT);
        EXPECT_EQ(e.getFileName(), dir.path() + QStringLiteral("/missing"));
        EXPECT_EQ(e.getSystemError(), ENOENT);
    }
}

TEST(ZipFileTest, WritingToAReadOnlyDescriptorRaisesItsErrno)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/r.bin");
    ASSERT_TRUE(testfiles::writeAll(path, "data"));
    CZipFile file(path, CZipFile::modeRead | CZipFile::shareDenyNone);
    EXPECT_EQ(codeOf([&] { file.write("x", 1); }), EBADF);
}

TEST(ZipMemFileTest, GrowsByItsIncrementAndReadsBack)
{
    CZipMemFile file(16);
    EXPECT_TRUE(file.isClosed());
    EXPECT_FALSE(file.hasFilePath());
    EXPECT_FALSE(file.open(QStringLiteral("x"), 0, true));
    file.write("hello, memory file", 18);
    EXPECT_FALSE(file.isClosed());
    EXPECT_EQ(file.getLength(), 18u);
    EXPECT_EQ(file.getPosition(), 18u);
    file.seekToBegin();
    char buffer[32] = {};
    EXPECT_EQ(file.read(buffer, 32), 18u);
    EXPECT_EQ(file.read(buffer, 32), 0u);

    // Seeking past the end does not lengthen; writing there fills with zeros.
    EXPECT_EQ(file.seek(40, CZipAbstractFile::fromBegin), 40u);
    EXPECT_EQ(file.getLength(), 18u);
    file.write("!", 1);
    EXPECT_EQ(file.getLength(), 41u);
    EXPECT_EQ(QByteArray(file.data() + 18, 22), QByteArray(22, '\0'));

    file.setLength(5);
    EXPECT_EQ(file.getLength(), 5u);
    EXPECT_EQ(file.getPosition(), 5u);
    file.setLength(10);
    EXPECT_EQ(QByteArray(file.data() + 5, 5), QByteArray(5, '\0')) << "grown bytes read as zeros";
    EXPECT_EQ(codeOf([&] { file.seek(-1, CZipAbstractFile::fromBegin); }), CZipException::libMemoryError);
    EXPECT_EQ(codeOf([&] { file.seek(0x100000000ll, CZipAbstractFile::fromBegin); }), CZipException::libMemoryError);
}

TEST(ZipMemFileTest, WithoutAGrowIncrementItCannotGrow)
{
    CZipMemFile file(0);
    EXPECT_EQ(codeOf([&] { file.write("x", 1); }), CZipException::libMemoryError);
}

TEST(ZipAutoBufferTest, ReallocatesOnlyForANewSizeAndCopiesWhole)
{
    CZipAutoBuffer buffer;
    EXPECT_FALSE(buffer.isAllocated());
    char* first = buffer.allocate(8, true);
    EXPECT_EQ(QByteArray(first, 8), QByteArray(8, '\0'));
    std::memcpy(first, "abcdefgh", 8);
    EXPECT_EQ(buffer.allocate(8), first);
    EXPECT_EQ(QByteArray(buffer.data(), 8), QByteArray("abcdefgh"));
    buffer.allocate(8, true);
    EXPECT_EQ(QByteArray(buffer.data(), 8), QByteArray(8, '\0')) << "zero-filled even when kept";
    std::memcpy(buffer.data(), "12345678", 8);
    const CZipAutoBuffer copy(buffer);
    EXPECT_EQ(QByteArray(copy.data(), copy.size()), QByteArray("12345678"));
    EXPECT_NE(copy.data(), buffer.data());
    buffer.allocate(0);
    EXPECT_FALSE(buffer.isAllocated());
    EXPECT_EQ(buffer.size(), 0);
}

TEST(ZipRecordBufferTest, WritesLittleEndianAndStopsAtTheRecordsEnd)
{
    CZipRecordBuffer record(10);
    record.putUInt32(0x04034B50);
    record.putUInt16(0x1234);
    record.putBytes("ab", 2);
    EXPECT_TRUE(record.ok());
    EXPECT_EQ(record.remaining(), 2);
    record.putUInt32(0xFFFFFFFF);
    EXPECT_FALSE(record.ok()) << "four bytes do not fit in two";
    EXPECT_EQ(QByteArray(record.data(), 10), QByteArray("PK\x03\x04\x34\x12" "ab\0\0", 10));

    const char bytes[] = {'\x50', '\x4B', '\x01', '\x02', '\x14', '\x00', '\x05'};
    CZipRecordBuffer reader(bytes, 7);
    EXPECT_EQ(reader.getUInt32(), 0x02014B50u);
    EXPECT_EQ(reader.getUInt16(), 0x0014);
    EXPECT_TRUE(reader.ok());
    EXPECT_EQ(reader.getUInt16(), 0) << "a field running past the record is not read";
    EXPECT_FALSE(reader.ok());
    reader.seek(8);
    EXPECT_FALSE(reader.ok());
}

TEST(ZipPathComponentTest, SplitsPathsIntoFolderTitleAndExtension)
{
    const CZipPathComponent a(QStringLiteral("/home/u/book.tar.gz"));
    EXPECT_EQ(a.getFileDir(), QStringLiteral("/home/u"));
    EXPECT_EQ(a.getFileTitle(), QStringLiteral("book.tar"));
    EXPECT_EQ(a.getFileExt(), QStringLiteral("gz"));
    EXPECT_EQ(a.getFileName(), QStringLiteral("book.tar.gz"));
    EXPECT_EQ(a.getFullPath(), QStringLiteral("/home/u/book.tar.gz"));
    EXPECT_TRUE(a.getFileDrive().isEmpty());

    EXPECT_EQ(CZipPathComponent(QStringLiteral("name")).getFullPath(), QStringLiteral("./name"));
    EXPECT_EQ(CZipPathComponent(QStringLiteral("/name")).getFullPath(), QStringLiteral("/name"));
    EXPECT_EQ(CZipPathComponent(QStringLiteral("a//b/")).getFileDir(), QStringLiteral("a//b"));
    EXPECT_EQ(CZipPathComponent(QStringLiteral(".bashrc")).getFileName(), QStringLiteral(".bashrc"));
    EXPECT_EQ(CZipPathComponent(QStringLiteral("dir/name.")).getFileName(), QStringLiteral("name."));
}

TEST(ZipPlatformTest, SeparatorHelpersTrimBothKindsInNames)
{
    EXPECT_EQ(ZipPlatform::removeTrailingSeparators(QStringLiteral("a/b\\/")), QStringLiteral("a/b"));
    EXPECT_EQ(ZipPlatform::setTrailingSeparator(QStringLiteral("a//")), QStringLiteral("a\\"));
    EXPECT_EQ(ZipPlatform::removeLeadingSeparators(QStringLiteral("\\/a/")), QStringLiteral("a/"));
    EXPECT_EQ(ZipPlatform::removeTrailingPathSeparators(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(ZipPlatform::removeTrailingPathSeparators(QStringLiteral("a\\")), QStringLiteral("a\\"));
    QString text = QStringLiteral("a\\b\\c");
    EXPECT_EQ(ZipPlatform::replaceChar(text, QLatin1Char('\\'), QLatin1Char('/')), 2);
    EXPECT_EQ(text, QStringLiteral("a/b/c"));
}

TEST(ZipPlatformTest, FileHelpersReportAttributesTimesAndKinds)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/f.txt");
    ASSERT_TRUE(ziptest::makeFile(file, "x", 1600000000));
    quint32 attributes = 0;
    ASSERT_TRUE(ZipPlatform::getFileAttributes(file, attributes));
    EXPECT_EQ(attributes, 0x20u);
    ASSERT_TRUE(ZipPlatform::getFileAttributes(dir.path(), attributes));
    EXPECT_EQ(attributes, 0x10u);
    EXPECT_FALSE(ZipPlatform::getFileAttributes(dir.path() + QStringLiteral("/none"), attributes));

    qint64 time = 0;
    EXPECT_TRUE(ZipPlatform::getFileModTime(file, time));
    EXPECT_EQ(time, 1600000000);
    EXPECT_FALSE(ZipPlatform::getFileModTime(dir.path() + QStringLiteral("/none"), time));
    EXPECT_LE(std::abs(time - ZipPlatform::currentTime()), 5) << "a missing time is the current time";
    ASSERT_TRUE(ZipPlatform::setFileModTime(file, 1500000000));
    ASSERT_TRUE(ZipPlatform::getFileModTime(file, time));
    EXPECT_EQ(time, 1500000000);

    EXPECT_EQ(ZipPlatform::getPathKind(file), 1);
    EXPECT_EQ(ZipPlatform::getPathKind(dir.path()), -1);
    EXPECT_EQ(ZipPlatform::getPathKind(dir.path() + QStringLiteral("/none")), 0);
    EXPECT_GT(ZipPlatform::getFreeSpace(dir.path() + QStringLiteral("/not-yet.zip")), 0u);
    EXPECT_FALSE(ZipPlatform::isRemovableDrive(dir.path()));
    EXPECT_TRUE(ZipPlatform::isSameFile(file, dir.path() + QStringLiteral("/./f.txt")));

    EXPECT_EQ(codeOf([&] { ZipPlatform::removeFile(dir.path() + QStringLiteral("/none")); }),
              CZipException::cannotDelete);
    EXPECT_FALSE(ZipPlatform::removeFile(dir.path() + QStringLiteral("/none"), false));
    EXPECT_EQ(codeOf([&] { ZipPlatform::renameFile(dir.path() + QStringLiteral("/none"), file); }),
              CZipException::cannotRename);
}

TEST(ZipPlatformTest, TemporaryNamesAreNewFilesInTheFirstFolderWithRoom)
{
    QTemporaryDir dir;
    const QString name = ZipPlatform::getTemporaryFileName(dir.path(), 1024);
    ASSERT_FALSE(name.isEmpty());
    EXPECT_TRUE(name.startsWith(dir.path() + QStringLiteral("/ZAR")));
    EXPECT_TRUE(QFile::exists(name));
    const QString other = ZipPlatform::getTemporaryFileName(dir.path(), 0);
    EXPECT_NE(other, name);
    // No folder has room for this much: nothing.
    EXPECT_TRUE(ZipPlatform::getTemporaryFileName(dir.path(), ~0ull).isEmpty());
    // A folder that does not exist falls back to the system's.
    const QString fallback = ZipPlatform::getTemporaryFileName(dir.path() + QStringLiteral("/none"), 1);
    EXPECT_TRUE(fallback.startsWith(ZipPlatform::getSystemTempFolder())) << fallback.toStdString();
    QFile::remove(fallback);
}

// A drive service standing in for a removable disk.
class FakeRemovable : public ZipPlatform::CDriveService {
public:
    bool isRemovableDrive(const QString&) override { return true; }
    bool setVolumeLabel(const QString&, const QString& label) override
    {
        lastLabel = label;
        return true;
    }
    quint64 getFreeSpace(const QString&) override { return 1440 * 1024; }
    QString lastLabel;
};

TEST(ZipPlatformTest, TheDriveServiceCanBeReplaced)
{
    FakeRemovable fake;
    ZipPlatform::CDriveService* previous = ZipPlatform::setDriveService(&fake);
    EXPECT_TRUE(ZipPlatform::isRemovableDrive(QStringLiteral("/media/disk")));
    EXPECT_EQ(ZipPlatform::getFreeSpace(QStringLiteral("/media/disk")), 1440u * 1024);
    EXPECT_TRUE(ZipPlatform::setVolumeLabel(QStringLiteral("/media/disk"), QStringLiteral("pkback# 001")));
    EXPECT_EQ(fake.lastLabel, QStringLiteral("pkback# 001"));
    ZipPlatform::setDriveService(previous);
    EXPECT_FALSE(ZipPlatform::isRemovableDrive(QStringLiteral("/media/disk")));
}

TEST(ZipExceptionTest, CarriesItsCodeFileAndText)
{
    const CZipException e(CZipException::needsZip64, QStringLiteral("/tmp/a.zip"));
    EXPECT_EQ(e.getCode(), 221);
    EXPECT_EQ(e.getFileName(), QStringLiteral("/tmp/a.zip"));
    EXPECT_NE(std::string(e.what()).find("/tmp/a.zip"), std::string::npos);
    EXPECT_NE(CZipException::getErrorDescription(CZipException::badArchive),
              CZipException::getErrorDescription(CZipException::noEndRecord));
    EXPECT_FALSE(CZipException::getErrorDescription(ENOENT).isEmpty());
    EXPECT_EQ(CZipException::getErrorDescription(99999), CZipException::getErrorDescription(200));
}

} // namespace
