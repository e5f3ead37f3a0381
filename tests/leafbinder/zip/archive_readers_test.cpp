// Archives of files of awkward sizes, stored and deflated, as outside readers
// see them: they test clean and give back every byte.
#include "ZipArchive.h"
#include "zip_parser.h"
#include "zip_test_util.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct SourceFile {
    QString name;
    QByteArray bytes;
};

QList<SourceFile> awkwardFiles()
{
    return {
        {QStringLiteral("empty.bin"), QByteArray()},
        {QStringLiteral("three.txt"), QByteArray("abc")},
        {QStringLiteral("five.txt"), QByteArray("abcde")},
        // Exact multiples of the 65,536-byte read buffer: the last read
        // returns nothing, which must not fail the entry.
        {QStringLiteral("one-buffer.bin"), ziptest::randomBytes(65536, 11)},
        {QStringLiteral("two-buffers.txt"), ziptest::compressibleBytes(131072, 12)},
        {QStringLiteral("random.bin"), ziptest::randomBytes(3 * 1024 * 1024 + 17, 13)},
        {QStringLiteral("text/compressible.txt"), ziptest::compressibleBytes(3 * 1024 * 1024 + 5, 14)},
    };
}

class ReadersTest : public ::testing::TestWithParam<int> {
protected:
    QTemporaryDir dir;
};

TEST_P(ReadersTest, OutsideReadersAcceptTheArchiveAndGetEveryByteBack)
{
    const int level = GetParam();
    const QString source = dir.path() + QStringLiteral("/src");
    const QList<SourceFile> files = awkwardFiles();
    for (const SourceFile& file : files)
        ASSERT_TRUE(ziptest::makeFile(source + QLatin1Char('/') + file.name, file.bytes));

    const QString zipPath = dir.path() + QStringLiteral("/files.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath));
    for (const SourceFile& file : files)
        ASSERT_TRUE(zip.addFileFromDisk(source + QLatin1Char('/') + file.name, file.name, level));
    ASSERT_EQ(zip.closeArchive(), zipPath);

    const QString complaints = ziptest::outsideReadersComplaints(zipPath);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();

    const QString out = dir.path() + QStringLiteral("/out");
    const QString failure = ziptest::extractWithUnzip(zipPath, out);
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(zipPath);
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    ASSERT_EQ(image.centrals().size(), files.size());
    for (int i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files.at(i).name.toStdString());
        EXPECT_EQ(testfiles::readAll(out + QLatin1Char('/') + files.at(i).name), files.at(i).bytes);
        QString error;
        EXPECT_EQ(image.content(i, &error), files.at(i).bytes) << error.toStdString();
        const quint16 expectedMethod = (level == 0 || files.at(i).bytes.size() < 5) ? 0 : 8;
        EXPECT_EQ(image.centrals().at(i).method, expectedMethod);
    }
}

INSTANTIATE_TEST_SUITE_P(StoredAndDeflated, ReadersTest, ::testing::Values(0, -1, 1, 9),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == -1 ? std::string("default") : "level" + std::to_string(info.param);
                         });

TEST(ReadBuffer, FilesOfExactMultiplesOfAnyBufferSizePack)
{
    QTemporaryDir dir;
    const QString zipPath = dir.path() + QStringLiteral("/b.zip");
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath));
    const int sizes[] = {4096, 3 * 4096, 4095, 4097};
    for (int size : sizes) {
        const QString name = QStringLiteral("f%1").arg(size);
        ASSERT_TRUE(ziptest::makeFile(dir.path() + QLatin1Char('/') + name, ziptest::compressibleBytes(size, size)));
        ASSERT_TRUE(zip.addFileFromDisk(dir.path() + QLatin1Char('/') + name, name, -1, 7, 4096));
    }
    zip.closeArchive();
    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(zipPath);
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    for (int i = 0; i < 4; ++i) {
        QString error;
        EXPECT_EQ(image.content(i, &error), ziptest::compressibleBytes(sizes[i], sizes[i])) << error.toStdString();
    }
}

} // namespace
