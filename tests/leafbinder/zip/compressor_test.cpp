// The compressor between archive and storage, and the storage's buffer and
// limits, seen through an archive built in memory.
#include "DeflateCompressor.h"
#include "ZipArchive.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "ZipMemFile.h"
#include "ZipStorage.h"
#include "zip_parser.h"
#include "zip_test_util.h"

#include <QFile>
#include <QFileInfo>
#include <zlib.h>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(CompressorTest, TheFactoryMakesCompressorsForStoreAndDeflateOnly)
{
    CZipStorage storage;
    for (int method : {0, 8}) {
        std::unique_ptr<CZipCompressor> compressor(CZipCompressor::createCompressor(method, &storage));
        ASSERT_TRUE(compressor);
        EXPECT_TRUE(compressor->canProcess(0));
        EXPECT_TRUE(compressor->canProcess(8));
        EXPECT_FALSE(compressor->canProcess(12));
        ASSERT_TRUE(compressor->getOptions());
        EXPECT_EQ(compressor->getOptions()->getType(), CZipCompressor::typeDeflate);
        EXPECT_EQ(compressor->getOptions()->m_bufferSize, 131072u);
    }
    for (int method : {1, 9, 12, 14, 99})
        EXPECT_EQ(CZipCompressor::createCompressor(method, &storage), nullptr) << method;
}

TEST(CompressorTest, LibraryResultsMapToTheirCodes)
{
    CZipStorage storage;
    ZipArchiveLib::CDeflateCompressor compressor(&storage);
    const std::pair<int, int> table[] = {{1, 500}, {2, 501}, {-1, 502}, {-2, 503}, {-3, 504},
                                         {-4, 505}, {-5, 506}, {-6, 507}, {-7, 200}, {42, 200}};
    for (const auto& entry : table)
        EXPECT_EQ(compressor.mapLibraryError(entry.first), entry.second) << entry.first;
    EXPECT_TRUE(compressor.isCodeSuccessful(0));
    EXPECT_TRUE(compressor.isCodeSuccessful(2));
    EXPECT_FALSE(compressor.isCodeSuccessful(1));
    EXPECT_FALSE(compressor.isCodeSuccessful(-5));
}

struct MemoryArchive : ::testing::Test {
    CZipMemFile memory;
    CZipArchive zip;

    void add(const QByteArray& bytes, const QString& name, int level, quint32 bufferSize = 65536)
    {
        CZipMemFile source;
        source.write(bytes.constData(), quint32(bytes.size()));
        CZipArchive::addFileInfo info;
        info.m_sourceFile = &source;
        info.m_nameInArchive = name;
        info.m_level = level;
        info.m_smartness = 0;
        info.m_bufferSize = bufferSize;
        ASSERT_TRUE(zip.addFileCore(info));
    }
    ziptest::ZipImage image() const { return ziptest::ZipImage(QByteArray(memory.data(), int(memory.getLength()))); }
};

TEST_F(MemoryArchive, AnEmptyDeflatedEntryIsTheTwoByteEmptyStream)
{
    ASSERT_TRUE(zip.openArchive(memory));
    add(QByteArray(), QStringLiteral("empty"), 6);
    add(QByteArray(), QStringLiteral("stored"), 0);
    zip.closeArchive();
    const ziptest::ZipImage archive = image();
    ASSERT_TRUE(archive.ok()) << archive.error().toStdString();
    EXPECT_EQ(archive.centrals().at(0).method, 8);
    EXPECT_EQ(archive.centrals().at(0).compressedSize, 2u);
    EXPECT_EQ(archive.centrals().at(0).uncompressedSize, 0u);
    EXPECT_EQ(archive.rawData(0), QByteArray("\x03\x00", 2));
    EXPECT_EQ(archive.centrals().at(1).method, 0);
    EXPECT_EQ(archive.centrals().at(1).compressedSize, 0u);
}

TEST_F(MemoryArchive, OptionsReachTheCompressorAndEveryOutputBufferSizeWorks)
{
    ASSERT_TRUE(zip.openArchive(memory));
    const QByteArray text = ziptest::compressibleBytes(300000, 7);
    const QByteArray noise = ziptest::randomBytes(200000, 8);
    for (quint32 outputSize : {0u, 1u, 7u, 4096u, 1u << 20}) {
        ZipArchiveLib::CDeflateCompressor::COptions options;
        options.m_bufferSize = outputSize;
        options.m_detectLibraryMemoryLeaks = outputSize % 2 == 0;
        zip.setCompressionOptions(options);
        add(text, QStringLiteral("text%1").arg(outputSize), -1, 1000);
        add(noise, QStringLiteral("noise%1").arg(outputSize), 1);
    }
    zip.closeArchive();
    const ziptest::ZipImage archive = image();
    ASSERT_TRUE(archive.ok()) << archive.error().toStdString();
    ASSERT_EQ(archive.centrals().size(), 10);
    for (int i = 0; i < 10; ++i) {
        QString error;
        EXPECT_EQ(archive.content(i, &error), i % 2 ? noise : text) << error.toStdString();
    }
    EXPECT_EQ(archive.centrals().at(2).compressedSize, archive.centrals().at(0).compressedSize)
        << "the output buffer does not change the stream";
}

TEST_F(MemoryArchive, TheSameLevelGivesTheSameBytesAsZlibAlone)
{
    ASSERT_TRUE(zip.openArchive(memory));
    const QByteArray text = ziptest::compressibleBytes(100000, 9);
    add(text, QStringLiteral("t"), -1);
    zip.closeArchive();
    const ziptest::ZipImage archive = image();
    ASSERT_TRUE(archive.ok());
    // -1 is level 6 with a raw stream.
    QByteArray expected(int(compressBound(uLong(text.size()))) + 64, '\0');
    z_stream z{};
    ASSERT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.constData()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(expected.data());
    z.avail_out = uInt(expected.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    expected.truncate(int(z.total_out));
    deflateEnd(&z);
    EXPECT_EQ(archive.rawData(0), expected);
}

TEST(StorageTest, WritesReachTheFileWhenTheBufferFillsOrAnEntryEnds)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/s.zip");
    CZipStorage storage;
    storage.open(path, CZipArchive::zipCreate, 0);
    EXPECT_TRUE(storage.isOpen());
    EXPECT_EQ(storage.getCurrentVolume(), 0);
    const QByteArray piece(1000, 'a');
    storage.write(piece.constData(), 1000, false);
    EXPECT_EQ(QFile(path).size(), 0) << "still in the buffer";
    EXPECT_EQ(storage.getPosition(), 1000u);
    const QByteArray big(70000, 'b');
    storage.write(big.constData(), 70000, false);
    EXPECT_EQ(QFile(path).size(), 65536) << "one full buffer written";
    EXPECT_EQ(storage.getPosition(), 71000u);
    storage.flush();
    EXPECT_EQ(QFile(path).size(), 71000);
    storage.write(big.constData(), 70000, false);
    EXPECT_EQ(QFile(path).size(), 141000) << "a big piece passes an empty buffer";
    EXPECT_EQ(storage.close(true, true), path);
    EXPECT_FALSE(storage.isOpen());
    EXPECT_EQ(storage.close(true, true), QString());
}

TEST(StorageTest, AClosedArchiveCanBeCreatedAgainAndTruncatesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/again.zip");
    ASSERT_TRUE(ziptest::makeFile(path, QByteArray(5000, 'x')));
    ASSERT_TRUE(ziptest::makeFile(dir.path() + QStringLiteral("/a.txt"), "a", 1600000000));
    CZipArchive zip;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(zip.openArchive(path));
        ASSERT_TRUE(zip.addFileFromDisk(dir.path() + QStringLiteral("/a.txt"), QStringLiteral("a.txt")));
        zip.closeArchive(CZipArchive::closeNormal, true);
    }
    const ziptest::ZipImage archive = ziptest::ZipImage::fromFile(path);
    ASSERT_TRUE(archive.ok()) << archive.error().toStdString();
    EXPECT_EQ(archive.centrals().size(), 1);
    EXPECT_EQ(archive.locals().at(0).offset, 0);
    EXPECT_EQ(QFileInfo(path).lastModified().toSecsSinceEpoch(), 1600000000) << "stamped with the newest entry";
}

} // namespace
