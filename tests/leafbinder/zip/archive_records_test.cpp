// The bytes of a new archive, read back field by field with the tests' own
// parser: what every local header, central header and the end record hold.
#include "ZipArchive.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "zip_parser.h"
#include "zip_test_util.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using ziptest::ZipImage;

namespace {

// 2021-06-15 14:30:42 UTC is 16:30:42 summer time in Berlin (TZ of the tests).
constexpr qint64 summerTime = 1623767442;
constexpr quint16 summerDosTime = (16 << 11) | (30 << 5) | (42 / 2);
constexpr quint16 summerDosDate = ((2021 - 1980) << 9) | (6 << 5) | 15;
// 2020-01-02 03:04:06 UTC is 04:04:06 winter time in Berlin.
constexpr qint64 winterTime = 1577934246;
constexpr quint16 winterDosTime = (4 << 11) | (4 << 5) | (6 / 2);
constexpr quint16 winterDosDate = ((2020 - 1980) << 9) | (1 << 5) | 2;

struct RecordsFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
};

TEST_F(RecordsFixture, AnArchiveOfFilesHasExactlyTheRecordsOfTheFormat)
{
    const QByteArray mimetype("application/epub+zip");
    const QByteArray text = ziptest::compressibleBytes(20000, 1);
    const QByteArray tiny("abc");
    ASSERT_TRUE(ziptest::makeFile(path("src/mimetype"), mimetype, summerTime));
    ASSERT_TRUE(ziptest::makeFile(path("src/OEBPS/page-1.html"), text, winterTime));
    ASSERT_TRUE(ziptest::makeFile(path("src/OEBPS/tiny.txt"), tiny, summerTime));

    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("book.epub"), CZipArchive::zipCreate));
    ASSERT_TRUE(zip.addFileFromDisk(path("src/mimetype"), QStringLiteral("mimetype"), 0, 7, 65536));
    ASSERT_TRUE(zip.addFileFromDisk(path("src/OEBPS/page-1.html"), QStringLiteral("OEBPS\\page-1.html")));
    ASSERT_TRUE(zip.addFileFromDisk(path("src/OEBPS/tiny.txt"), QStringLiteral("/OEBPS/tiny.txt")));
    ASSERT_EQ(zip.getCount(), 3);
    const CZipFileHeader* page = zip.getFileInfo(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->getFileName(), QStringLiteral("OEBPS\\page-1.html"));
    EXPECT_EQ(page->getUncompressedSize(), quint32(text.size()));
    EXPECT_EQ(page->getTime(), winterTime);
    EXPECT_EQ(zip.getFileInfo(3), nullptr);
    EXPECT_EQ(zip.closeArchive(), path("book.epub"));

    const ZipImage image = ZipImage::fromFile(path("book.epub"));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    ASSERT_EQ(image.centrals().size(), 3);
    EXPECT_TRUE(image.isContiguous()) << "no data descriptors, no gaps";

    struct Expected {
        QByteArray name;
        QByteArray content;
        quint16 method;
        quint16 time;
        quint16 date;
    };
    const Expected expected[] = {
        {"mimetype", mimetype, 0, summerDosTime, summerDosDate},
        {"OEBPS/page-1.html", text, 8, winterDosTime, winterDosDate},
        {"OEBPS/tiny.txt", tiny, 0, summerDosTime, summerDosDate},   // below 5 bytes: stored
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].name.toStdString());
        const auto& c = image.centrals().at(i);
        const auto& l = image.locals().at(i);
        EXPECT_EQ(c.name, expected[i].name);
        EXPECT_EQ(c.versionMadeBy, 0x0014);
        EXPECT_EQ(c.versionNeeded, 20);
        EXPECT_EQ(c.flags, 0);
        EXPECT_EQ(c.method, expected[i].method);
        EXPECT_EQ(c.time, expected[i].time);
        EXPECT_EQ(c.date, expected[i].date);
        EXPECT_EQ(c.crc, ziptest::crcOf(expected[i].content));
        EXPECT_EQ(c.uncompressedSize, quint32(expected[i].content.size()));
        if (c.method == 0)
            EXPECT_EQ(c.compressedSize, c.uncompressedSize);
        else
            EXPECT_LT(c.compressedSize, c.uncompressedSize / 3);
        EXPECT_EQ(c.diskStart, 0);
        EXPECT_EQ(c.internalAttributes, 0);
        EXPECT_EQ(c.externalAttributes, 0x81B40020u);
        EXPECT_TRUE(c.extra.isEmpty());
        EXPECT_TRUE(c.comment.isEmpty());

        EXPECT_EQ(l.versionNeeded, 20);
        EXPECT_EQ(l.flags, 0);
        EXPECT_EQ(l.method, c.method);
        EXPECT_EQ(l.time, c.time);
        EXPECT_EQ(l.date, c.date);
        EXPECT_EQ(l.crc, c.crc) << "the local header is patched after the data";
        EXPECT_EQ(l.compressedSize, c.compressedSize);
        EXPECT_EQ(l.uncompressedSize, c.uncompressedSize);
        EXPECT_EQ(l.name, c.name);
        EXPECT_TRUE(l.extra.isEmpty());

        QString error;
        EXPECT_EQ(image.content(i, &error), expected[i].content) << error.toStdString();
    }
    EXPECT_EQ(image.locals().at(0).offset, 0) << "mimetype comes first";

    const auto& end = image.end();
    EXPECT_EQ(end.thisDisk, 0);
    EXPECT_EQ(end.centralDirDisk, 0);
    EXPECT_EQ(end.entriesOnDisk, 3);
    EXPECT_EQ(end.totalEntries, 3);
    EXPECT_TRUE(end.comment.isEmpty());
    EXPECT_EQ(qint64(end.offset) + end.size + 22, QFile(path("book.epub")).size());
}

TEST_F(RecordsFixture, AttributesFollowTheFileKind)
{
    ASSERT_TRUE(ziptest::makeFile(path("ro.txt"), "read only", summerTime));
    ASSERT_TRUE(QFile::setPermissions(path("ro.txt"), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    ASSERT_TRUE(QDir().mkpath(path("folder")));

    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("a.zip")));
    ASSERT_TRUE(zip.addFileFromDisk(path("ro.txt"), QString()));
    ASSERT_TRUE(zip.addFileFromDisk(path("folder"), QStringLiteral("folder")));
    zip.closeArchive();

    const ZipImage image = ZipImage::fromFile(path("a.zip"));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    ASSERT_EQ(image.centrals().size(), 2);
    const auto& file = image.centrals().at(0);
    EXPECT_EQ(file.name, QFile::encodeName(dir.path().mid(1) + QStringLiteral("/ro.txt")))
        << "the full path without its leading separator";
    EXPECT_EQ(file.externalAttributes, 0x81240001u) << "read-only: no write bits, DOS bit 0x01";

    const auto& folder = image.centrals().at(1);
    EXPECT_EQ(folder.name, QByteArray("folder/"));
    EXPECT_EQ(folder.versionNeeded, 10);
    EXPECT_EQ(folder.method, 0);
    EXPECT_EQ(folder.compressedSize, 0u);
    EXPECT_EQ(folder.uncompressedSize, 0u);
    EXPECT_EQ(folder.crc, 0u);
    EXPECT_EQ(folder.externalAttributes, 0x41FD0010u);
    EXPECT_TRUE(ziptest::outsideReadersComplaints(path("a.zip")).isEmpty());
}

TEST_F(RecordsFixture, AnEmptyArchiveIsOnlyAnEndRecord)
{
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("empty.zip")));
    zip.closeArchive();

    QFile file(path("empty.zip"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
}

TEST_F(RecordsFixture, LevelsSetTheDeflateFlagBits)
{
    const QByteArray text = ziptest::compressibleBytes(5000, 2);
    ASSERT_TRUE(ziptest::makeFile(path("t.txt"), text));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("levels.zip")));
    const int levels[] = {1, 2, 5, 8, 9, -1, 42};
    for (int level : levels)
        ASSERT_TRUE(zip.addFileFromDisk(path("t.txt"), QStringLiteral("l%1").arg(level), level));
    zip.closeArchive();

    const ZipImage image = ZipImage::fromFile(path("levels.zip"));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    const quint16 flags[] = {6, 4, 0, 2, 2, 0, 0};   // a level outside -1..9 becomes the default
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(image.centrals().at(i).flags, flags[i]) << "level " << levels[i];
        EXPECT_EQ(image.locals().at(i).flags, flags[i]);
        QString error;
        EXPECT_EQ(image.content(i, &error), text) << error.toStdString();
    }
    EXPECT_TRUE(ziptest::outsideReadersComplaints(path("levels.zip")).isEmpty());
}

TEST_F(RecordsFixture, AFileThatDeflatesWorseIsStillDeflatedByDefault)
{
    const QByteArray noise = ziptest::randomBytes(1000, 3);
    ASSERT_TRUE(ziptest::makeFile(path("noise.bin"), noise));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("n.zip")));
    ASSERT_TRUE(zip.addFileFromDisk(path("noise.bin"), QStringLiteral("noise.bin")));
    zip.closeArchive();
    const ZipImage image = ZipImage::fromFile(path("n.zip"));
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.centrals().at(0).method, 8);
    EXPECT_GT(image.centrals().at(0).compressedSize, 1000u);
}

TEST_F(RecordsFixture, AStoredArchiveMethodStoresEveryEntry)
{
    ASSERT_TRUE(ziptest::makeFile(path("t.txt"), ziptest::compressibleBytes(3000, 4)));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("s.zip")));
    ASSERT_TRUE(zip.setCompressionMethod(0));
    ASSERT_TRUE(zip.addFileFromDisk(path("t.txt"), QStringLiteral("t.txt"), 9));
    zip.closeArchive();
    const ZipImage image = ZipImage::fromFile(path("s.zip"));
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.centrals().at(0).method, 0);
    EXPECT_EQ(image.centrals().at(0).flags, 0);
    EXPECT_EQ(image.centrals().at(0).compressedSize, 3000u);
}

TEST_F(RecordsFixture, AnArchiveAfterExistingDataKeepsItAndPointsPastIt)
{
    const QByteArray stub = ziptest::randomBytes(1000, 5);
    ASSERT_TRUE(ziptest::makeFile(path("sfx.zip"), stub));
    ASSERT_TRUE(ziptest::makeFile(path("a.txt"), "some text to pack"));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("sfx.zip"), CZipArchive::zipCreateAppend));
    ASSERT_TRUE(zip.addFileFromDisk(path("a.txt"), QStringLiteral("a.txt")));
    zip.closeArchive();

    QFile file(path("sfx.zip"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.left(1000), stub);
    const ZipImage image(bytes);
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    EXPECT_EQ(image.locals().at(0).offset, 1000);
    QString error;
    EXPECT_EQ(image.content(0, &error), QByteArray("some text to pack"));
}

} // namespace
