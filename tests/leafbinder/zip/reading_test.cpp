// The reading side of the hidden classes: volume names, local headers, the
// password check of traditional encryption and inflating, on archives of
// Info-ZIP and of the engine.
#include "DeflateCompressor.h"
#include "ZipArchive.h"
#include "ZipCentralDir.h"
#include "ZipCrc32Cryptograph.h"
#include "ZipException.h"
#include "ZipExtraField.h"
#include "ZipFileHeader.h"
#include "ZipSplitNamesHandler.h"
#include "ZipStorage.h"
#include "zip_parser.h"
#include "zip_test_util.h"
#include "testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using ziptest::codeOf;

namespace {

TEST(SplitNamesTest, RegularAndBinaryVolumesAreNamedByTheirNumbers)
{
    CZipRegularSplitNamesHandler regular;
    regular.setArchivePath(QStringLiteral("/books/my.book.zip"));
    EXPECT_EQ(regular.getVolumeName(QStringLiteral("/books/my.book.zip"), 1, 0), QStringLiteral("/books/my.book.z01"));
    EXPECT_EQ(regular.getVolumeName(QStringLiteral("/books/my.book.zip"), 99, 0), QStringLiteral("/books/my.book.z99"));
    EXPECT_EQ(regular.getVolumeName(QStringLiteral("/books/my.book.zip"), 100, 0), QStringLiteral("/books/my.book.z100"));
    EXPECT_EQ(regular.getVolumeName(QStringLiteral("/books/my.book.zip"), 7, CZipSplitNamesHandler::flagLastVolume),
              QStringLiteral("/books/my.book.zip"));
    EXPECT_EQ(regular.getVolumeNumber(QStringLiteral("/books/my.book.z12")), 12u);
    regular.setArchivePath(QStringLiteral("/v1.0/archive"));
    EXPECT_EQ(regular.getVolumeName(QStringLiteral("/v1.0/archive"), 2, 0), QStringLiteral("/v1.0/archive.z02"))
        << "a dot in a folder name is no extension";
    EXPECT_EQ(regular.getVolumeName(QStringLiteral("/v1.0/archive"), 3, CZipSplitNamesHandler::flagLastVolume),
              QStringLiteral("/v1.0/archive"));

    CZipBinSplitNamesHandler binary;
    EXPECT_EQ(binary.getVolumeName(QStringLiteral("/b/book.zip"), 1, 0), QStringLiteral("/b/book.zip.001"));
    EXPECT_EQ(binary.getVolumeName(QStringLiteral("/b/book.zip"), 1000, 0), QStringLiteral("/b/book.zip.1000"));
    EXPECT_EQ(binary.getVolumeName(QStringLiteral("/b/book.zip.004"), 2, CZipSplitNamesHandler::flagExisting),
              QStringLiteral("/b/book.zip.002"));
    EXPECT_EQ(binary.getVolumeNumber(QStringLiteral("/b/book.zip.004")), 4u);
    EXPECT_EQ(binary.getVolumeNumber(QStringLiteral("/b/book.zip")), 0u);
    EXPECT_EQ(binary.getVolumeNumber(QStringLiteral("/b/book.01")), 0u) << "two characters are no volume number";

    CZipSplitNamesHandler base;
    EXPECT_EQ(base.getVolumeName(QStringLiteral("/b/book.zip"), 1, 0), QString());
    EXPECT_EQ(base.getVolumeNumber(QStringLiteral("/b/book.zip.001")), 0u);
}

TEST(ExtraFieldTest, ARecordRunningPastTheFieldIsRefused)
{
    CZipExtraField field;
    const char good[] = {0x55, 0x54, 0x01, 0x00, 0x07, 0x0A, 0x00, 0x00, 0x00};
    EXPECT_TRUE(field.read(good, int(sizeof good)));
    ASSERT_EQ(field.getCount(), 2);
    EXPECT_EQ(field.at(0).m_headerId, 0x5455);
    EXPECT_EQ(field.at(0).m_data.size(), 1);
    EXPECT_EQ(field.at(1).m_headerId, 0x000A);
    const char bad[] = {0x55, 0x54, 0x09, 0x00, 0x07, 0x00};
    EXPECT_FALSE(field.read(bad, int(sizeof bad)));
    EXPECT_EQ(field.getCount(), 0);
}

// The entries of an archive read with the hidden classes: each local header
// checked, the password tried, and the data inflated.
struct ReadEntry {
    QString name;
    bool passwordAccepted = false;
    bool crcMatches = false;
    QByteArray data;
};

QList<ReadEntry> readEntries(const QString& zipPath, const QByteArray& password)
{
    QList<ReadEntry> entries;
    CZipStorage storage;
    storage.open(zipPath, CZipArchive::zipOpenReadOnly, 0);
    CZipCentralDir directory;
    directory.init(nullptr, &storage);
    directory.readCentralDirectory();
    ZipArchiveLib::CDeflateCompressor compressor(&storage);
    for (int i = 0; i < directory.getCount(); ++i) {
        CZipFileHeader* header = directory.getAt(i);
        ReadEntry entry;
        entry.name = header->getFileName();
        storage.seekTo(header->getDiskStart(), header->getOffset());
        EXPECT_TRUE(header->readLocalHeader(storage)) << entry.name.toStdString();
        CZipCrc32Cryptograph cryptograph;
        entry.passwordAccepted = !header->isEncrypted() || cryptograph.initDecode(password, *header, storage);
        if (entry.passwordAccepted) {
            try {
                compressor.initDecompression(header, header->isEncrypted() ? &cryptograph : nullptr);
                char buffer[4096];
                for (quint32 got; (got = compressor.decompress(buffer, sizeof buffer)) > 0;)
                    entry.data.append(buffer, int(got));
                entry.crcMatches = compressor.getDecompressedCrc() == header->getCrc32()
                    && quint32(entry.data.size()) == header->getUncompressedSize();
                compressor.finishDecompression(false);
            } catch (const CZipException&) {
                compressor.finishDecompression(true);
            }
        }
        entries << entry;
    }
    storage.close(false, false);
    return entries;
}

struct ReadingFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QList<QByteArray> contents() const
    {
        QList<QByteArray> all;
        for (int i = 0; i < 8; ++i)
            all << (i % 2 ? ziptest::randomBytes(5000 + i * 1000, quint32(i)) : ziptest::compressibleBytes(20000 + i, quint32(i)));
        return all;
    }
    QStringList makeSources()
    {
        QStringList names;
        const QList<QByteArray> all = contents();
        for (int i = 0; i < all.size(); ++i) {
            names << QStringLiteral("f%1").arg(i);
            EXPECT_TRUE(ziptest::makeFile(path("src/" + names.last()), all.at(i)));
        }
        return names;
    }
};

TEST_F(ReadingFixture, EntriesEncryptedByInfoZipPassThePasswordCheckAndInflate)
{
    const QStringList names = makeSources();
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("zip"),
                             QStringList{QStringLiteral("-q"), QStringLiteral("-P"), QStringLiteral("right"),
                                         QStringLiteral("../locked.zip")} + names),
              QString());
    const QList<ReadEntry> right = readEntries(path("locked.zip"), "right");
    ASSERT_EQ(right.size(), names.size());
    for (int i = 0; i < right.size(); ++i) {
        SCOPED_TRACE(right.at(i).name.toStdString());
        EXPECT_TRUE(right.at(i).passwordAccepted);
        EXPECT_TRUE(right.at(i).crcMatches);
        EXPECT_EQ(right.at(i).data, contents().at(i));
    }
    // The check byte lets a wrong password through once in 256; the data
    // then fails its CRC.
    const QList<ReadEntry> wrong = readEntries(path("locked.zip"), "wrong");
    int refused = 0;
    for (const ReadEntry& entry : wrong) {
        refused += entry.passwordAccepted ? 0 : 1;
        EXPECT_FALSE(entry.crcMatches) << entry.name.toStdString();
    }
    EXPECT_GE(refused, 6);
}

TEST_F(ReadingFixture, EntriesOfTheEngineInflateToTheirData)
{
    const QStringList names = makeSources();
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("engine.zip")));
    for (int i = 0; i < names.size(); ++i) {
        if (i == 4)
            zip.setPassword(QStringLiteral("later"));
        ASSERT_TRUE(zip.addFileFromDisk(path("src/" + names.at(i)), names.at(i), i % 3 == 0 ? 0 : -1));
    }
    zip.closeArchive();
    const QList<ReadEntry> entries = readEntries(path("engine.zip"), "later");
    ASSERT_EQ(entries.size(), names.size());
    for (int i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(names.at(i).toStdString());
        EXPECT_TRUE(entries.at(i).passwordAccepted);
        EXPECT_TRUE(entries.at(i).crcMatches);
        EXPECT_EQ(entries.at(i).data, contents().at(i));
    }
}

TEST_F(ReadingFixture, ALocalHeaderThatDisagreesWithTheCentralOneIsRefused)
{
    ASSERT_TRUE(ziptest::makeFile(path("a.txt"), ziptest::compressibleBytes(3000, 1)));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("a.zip")));
    ASSERT_TRUE(zip.addFileFromDisk(path("a.txt"), QStringLiteral("a.txt")));
    zip.closeArchive();
    QByteArray bytes = testfiles::readAll(path("a.zip"));
    bytes[8] = 0;   // the local header's method: stored instead of deflated
    ASSERT_TRUE(testfiles::writeAll(path("a.zip"), bytes));

    CZipStorage storage;
    storage.open(path("a.zip"), CZipArchive::zipOpenReadOnly, 0);
    CZipCentralDir directory;
    directory.init(nullptr, &storage);
    directory.readCentralDirectory();
    CZipFileHeader* header = directory.getAt(0);
    storage.seekTo(0, header->getOffset());
    EXPECT_FALSE(header->readLocalHeader(storage));
    storage.close(false, false);

    // And copying the entry out of it fails with 201.
    CZipArchive source;
    ASSERT_TRUE(source.openArchive(path("a.zip"), CZipArchive::zipOpenReadOnly));
    CZipArchive target;
    ASSERT_TRUE(target.openArchive(path("b.zip")));
    EXPECT_EQ(codeOf([&] { target.getFromArchive(source); }), CZipException::badArchive);
    target.closeArchive(CZipArchive::closeAfterException);
}

TEST_F(ReadingFixture, TheEndRecordIsFoundPastASignatureInItsComment)
{
    ASSERT_TRUE(ziptest::makeFile(path("a.txt"), "text"));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("a.zip")));
    ASSERT_TRUE(zip.addFileFromDisk(path("a.txt"), QStringLiteral("a.txt")));
    zip.closeArchive();
    // A comment holding an end record's signature with a length that does not fit.
    QByteArray bytes = testfiles::readAll(path("a.zip"));
    const QByteArray comment = QByteArray("note PK\x05\x06", 9) + QByteArray(16, '\0') + QByteArray("\xFF\x7F", 2) + "end";
    bytes[bytes.size() - 2] = char(comment.size());
    bytes += comment;
    ASSERT_TRUE(testfiles::writeAll(path("a.zip"), bytes));
    ASSERT_TRUE(zip.openArchive(path("a.zip"), CZipArchive::zipOpenReadOnly));
    EXPECT_EQ(zip.getCount(), 1);
    EXPECT_EQ(zip.getGlobalComment(), comment);
    zip.closeArchive();
}

} // namespace
