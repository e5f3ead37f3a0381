// Traditional encryption as outside readers see it: unzip -P, Python's
// zipfile with a password and 7z x -p open every encrypted entry the engine
// writes, whether added, copied, replaced or split.
#include "ZipArchive.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "zip_parser.h"
#include "zip_test_util.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using ziptest::ZipImage;

namespace {

const QString password = QStringLiteral("open sesame 42");

struct CryptFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    struct Source {
        QString name;
        QByteArray bytes;
    };
    QList<Source> sources() const
    {
        return {{QStringLiteral("text.txt"), ziptest::compressibleBytes(70000, 1)},
                {QStringLiteral("noise.bin"), ziptest::randomBytes(30000, 2)},
                {QStringLiteral("empty.txt"), QByteArray()},
                {QStringLiteral("two.txt"), QByteArray("ab")}};
    }
    void makeSources()
    {
        for (const Source& source : sources())
            ASSERT_TRUE(ziptest::makeFile(path("src/" + source.name), source.bytes));
    }

    // unzip, Python and 7-Zip each give back every file with the password.
    void expectOutsideReadersDecrypt(const QString& zipPath)
    {
        const QList<Source> all = sources();
        QString output;
        EXPECT_EQ(testfiles::runProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), QStringLiteral("-P"), password, zipPath}, &output), 0)
            << output.toStdString();
        EXPECT_TRUE(output.contains(QLatin1String("No errors detected"))) << output.toStdString();

        QString script = QStringLiteral("import sys, zipfile, zlib\n"
                                        "z = zipfile.ZipFile(sys.argv[1])\n"
                                        "for name in sys.argv[2:]:\n"
                                        "    data = z.open(name, pwd=b'%1').read()\n"
                                        "    print(name, len(data), zlib.crc32(data))\n")
                             .arg(password);
        QStringList arguments{QStringLiteral("-c"), script, zipPath};
        QString expected;
        for (const Source& source : all) {
            arguments << source.name;
            expected += QStringLiteral("%1 %2 %3\n").arg(source.name).arg(source.bytes.size()).arg(ziptest::crcOf(source.bytes));
        }
        EXPECT_EQ(testfiles::runProgram(QStringLiteral("python3"), arguments, &output), 0) << output.toStdString();
        EXPECT_EQ(output, expected);

        const QString out = path("7z-out");
        QDir(out).removeRecursively();
        EXPECT_EQ(testfiles::runProgram(QStringLiteral("7z"), {QStringLiteral("x"), QStringLiteral("-p") + password,
                                                               QStringLiteral("-o") + out, zipPath},
                                        &output),
                  0)
            << output.toStdString();
        for (const Source& source : all)
            EXPECT_EQ(testfiles::readAll(out + QLatin1Char('/') + source.name), source.bytes) << source.name.toStdString();

        // And a wrong password is no way in.
        EXPECT_NE(testfiles::runProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), QStringLiteral("-P"), QStringLiteral("wrong"), zipPath}, &output), 0);
    }
};

TEST_F(CryptFixture, EncryptedEntriesOpenWithEveryOutsideReader)
{
    makeSources();
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("crypt.zip")));
    EXPECT_TRUE(zip.setPassword(password));
    EXPECT_EQ(zip.getPassword(), password);
    for (const Source& source : sources())
        ASSERT_TRUE(zip.addFileFromDisk(path("src/" + source.name), source.name));
    ASSERT_TRUE(zip.addFileFromDisk(path("src"), QStringLiteral("folder")));
    zip.closeArchive();
    expectOutsideReadersDecrypt(path("crypt.zip"));

    const ZipImage image = ZipImage::fromFile(path("crypt.zip"));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    const QList<Source> all = sources();
    for (int i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all.at(i).name.toStdString());
        const ziptest::CentralRecord& central = image.centrals().at(i);
        if (all.at(i).bytes.isEmpty()) {
            EXPECT_EQ(central.flags & 0x01, 0) << "an empty file stays plain (smartness 0x02)";
            continue;
        }
        EXPECT_EQ(central.flags & 0x09, 0x09) << "encrypted, with a data descriptor";
        const QByteArray raw = testfiles::readAll(path("crypt.zip"));
        const qint64 descriptor = image.locals().at(i).dataOffset + central.compressedSize;
        EXPECT_EQ(raw.mid(descriptor, 4), QByteArray("PK\x07\x08", 4)) << "the descriptor has its signature";
        if (central.method == 0) {
            EXPECT_EQ(central.compressedSize, quint32(all.at(i).bytes.size() + 12));
        }
    }
    EXPECT_EQ(image.centrals().at(4).flags & 0x01, 0) << "a directory stays plain (smartness 0x01)";
}

TEST_F(CryptFixture, EveryEncryptionHeaderHasBytesOfItsOwn)
{
    ASSERT_TRUE(ziptest::makeFile(path("same.txt"), "the same content in every entry", 1600000000));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("same.zip")));
    zip.setPassword(password);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(zip.addFileFromDisk(path("same.txt"), QStringLiteral("same-%1.txt").arg(i), 0));
    zip.closeArchive();
    const ZipImage image = ZipImage::fromFile(path("same.zip"));
    ASSERT_TRUE(image.ok());
    QSet<QByteArray> headers;
    for (int i = 0; i < 20; ++i)
        headers.insert(image.rawData(i).left(12));
    EXPECT_EQ(headers.size(), 20) << "entries of one second do not share their random bytes";
}

TEST_F(CryptFixture, CopiedReplacedCheckedAndSplitEntriesAreEncryptedToo)
{
    makeSources();
    {
        CZipArchive plain;
        ASSERT_TRUE(plain.openArchive(path("plain.zip")));
        for (const Source& source : sources())
            ASSERT_TRUE(plain.addFileFromDisk(path("src/" + source.name), source.name));
        plain.closeArchive();
    }
    // Copied: plain entries are encrypted on the way.
    CZipArchive source;
    ASSERT_TRUE(source.openArchive(path("plain.zip"), CZipArchive::zipOpenReadOnly));
    CZipArchive copy;
    ASSERT_TRUE(copy.openArchive(path("copied.zip")));
    copy.setPassword(password);
    for (int i = 0; i < source.getCount(); ++i)
        ASSERT_TRUE(copy.getFromArchive(source, -1, nullptr, i));
    copy.closeArchive();
    source.closeArchive();
    expectOutsideReadersDecrypt(path("copied.zip"));

    // Copied again: encrypted entries go as they are, without a password here.
    ASSERT_TRUE(source.openArchive(path("copied.zip"), CZipArchive::zipOpenReadOnly));
    ASSERT_TRUE(copy.openArchive(path("recopied.zip")));
    for (int i = 0; i < source.getCount(); ++i)
        ASSERT_TRUE(copy.getFromArchive(source, -1, nullptr, i));
    copy.closeArchive();
    source.closeArchive();
    expectOutsideReadersDecrypt(path("recopied.zip"));

    // Replaced (through a work archive) and checked for compression.
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("copied.zip"), CZipArchive::zipOpen));
    zip.setPassword(password);
    CZipArchive::addFileInfo info;
    info.m_diskPath = path("src/text.txt");
    info.m_nameInArchive = QStringLiteral("text.txt");
    info.m_replaceIndex = 0;
    ASSERT_TRUE(zip.addFileCore(info));
    info.m_diskPath = path("src/noise.bin");
    info.m_nameInArchive = QStringLiteral("noise.bin");
    info.m_replaceIndex = 1;
    info.m_smartness = CZipArchive::smartDefault | CZipArchive::smartCheckCompression;
    ASSERT_TRUE(zip.addFileCore(info));
    EXPECT_EQ(zip.getFileInfo(1)->getMethod(), 0);
    EXPECT_EQ(zip.getFileInfo(1)->getCompressedSize(), quint32(30000 + 12));
    zip.closeArchive();
    expectOutsideReadersDecrypt(path("copied.zip"));

    // Split over volumes and rejoined.
    ASSERT_TRUE(zip.openArchive(path("split.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, 20000));
    zip.setPassword(password);
    for (const Source& s : sources())
        ASSERT_TRUE(zip.addFileFromDisk(path("src/" + s.name), s.name));
    zip.closeArchive();
    ASSERT_TRUE(QFileInfo::exists(path("split.z02")));
    ASSERT_EQ(ziptest::runIn(dir.path(), QStringLiteral("zip"),
                             {QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("0"), QStringLiteral("split.zip"),
                              QStringLiteral("--out"), QStringLiteral("split-joined.zip")}),
              QString());
    expectOutsideReadersDecrypt(path("split-joined.zip"));

    // Split, but all on one volume: an ordinary archive, whose encrypted
    // entries keep their data descriptors.
    ASSERT_TRUE(zip.openArchive(path("one.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, 1 << 20));
    zip.setPassword(password);
    for (const Source& s : sources())
        ASSERT_TRUE(zip.addFileFromDisk(path("src/" + s.name), s.name));
    EXPECT_EQ(zip.closeArchive(), path("one.zip"));
    EXPECT_FALSE(QFileInfo::exists(path("one.z01")));
    expectOutsideReadersDecrypt(path("one.zip"));
}

} // namespace
