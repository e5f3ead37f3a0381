// Existing archives opened in every mode: archives written by the engine and
// by outside tools read with the right names, sizes, CRCs, times and
// attributes; archives after a stub; the refusals of damaged and Zip64
// archives; adding to an opened archive.
#include "FileFilter.h"
#include "ZipArchive.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "zip_parser.h"
#include "zip_test_util.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using ziptest::codeOf;

namespace {

// 2021-06-15 16:30:42 in Berlin (the tests' TZ), an even second.
constexpr qint64 summerTime = 1623767442;
constexpr qint64 winterTime = 1577934246;

struct SourceFile {
    QString name;
    QByteArray bytes;
    qint64 time;
    bool readOnly;
};

QList<SourceFile> sourceFiles()
{
    return {
        {QStringLiteral("a.txt"), ziptest::compressibleBytes(5000, 1), summerTime, false},
        {QStringLiteral("sub/b.bin"), ziptest::randomBytes(3000, 2), winterTime, true},
        {QStringLiteral("sub/deeper/empty.txt"), QByteArray(), summerTime, false},
    };
}

struct OpenFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    // The source files under src/, with their times and modes.
    void makeSources()
    {
        for (const SourceFile& file : sourceFiles()) {
            ASSERT_TRUE(ziptest::makeFile(path("src/" + file.name), file.bytes, file.time));
            if (file.readOnly)
                QFile::setPermissions(path("src/" + file.name), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        }
    }

    // Every file entry of an archive opened in a mode, checked against the sources.
    // readOnlyAttributes: what a file the owner may not write reads as (0x01
    // from this system's stat, 0x21 from a Unix mode). p7zip converts times
    // with the daylight saving of the day it runs, so its times are not checked.
    void expectSources(const QString& zipPath, int mode, bool expectDirectories, quint32 readOnlyAttributes,
                       bool checkTimes)
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(zipPath, mode));
        int files = 0;
        int directories = 0;
        for (int i = 0; i < zip.getCount(); ++i) {
            const CZipFileHeader* entry = zip.getFileInfo(i);
            ASSERT_NE(entry, nullptr);
            const QString name = entry->getFileName();
            if (entry->isDirectory()) {
                ++directories;
                EXPECT_TRUE(name.endsWith(QLatin1Char('\\'))) << name.toStdString();
                EXPECT_EQ(entry->getSystemAttributes() & 0x10, 0x10u);
                continue;
            }
            bool found = false;
            for (const SourceFile& file : sourceFiles()) {
                if (QString(file.name).replace(QLatin1Char('/'), QLatin1Char('\\')) != name)
                    continue;
                found = true;
                SCOPED_TRACE(name.toStdString());
                EXPECT_EQ(entry->getUncompressedSize(), quint32(file.bytes.size()));
                EXPECT_EQ(entry->getCrc32(), ziptest::crcOf(file.bytes));
                if (checkTimes) {
                    EXPECT_EQ(entry->getTime(), file.time);
                }
                EXPECT_EQ(entry->getSystemAttributes(), file.readOnly ? readOnlyAttributes : 0x20u);
                EXPECT_FALSE(entry->isEncrypted());
            }
            EXPECT_TRUE(found) << "unexpected entry " << name.toStdString();
            ++files;
        }
        EXPECT_EQ(files, sourceFiles().size());
        if (expectDirectories) {
            EXPECT_GE(directories, 1);
        }
        // Entries are listed in the order of their data.
        for (int i = 1; i < zip.getCount(); ++i)
            EXPECT_LT(zip.getFileInfo(i - 1)->getOffset(), zip.getFileInfo(i)->getOffset());
        EXPECT_EQ(zip.closeArchive(), zipPath);
    }
};

TEST_F(OpenFixture, ArchivesOfTheEngineAndOfOutsideToolsReadInEveryOpenMode)
{
    makeSources();
    // By the engine: host 0, the Windows attributes in the low word.
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path("engine.zip")));
        ASSERT_TRUE(zip.addFolderFiles(path("src"), ZipArchiveLib::CNameFileFilter(QStringLiteral("*"))));
        zip.closeArchive();
    }
    // By Info-ZIP, Python and 7-Zip: host 3, a Unix mode in the high word.
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("zip"), {QStringLiteral("-qr"), QStringLiteral("../zip.zip"), QStringLiteral(".")}), QString());
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("python3"),
                             {QStringLiteral("-c"), QStringLiteral(
                                  "import zipfile, os\n"
                                  "with zipfile.ZipFile('../python.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
                                  "    for root, dirs, files in os.walk('.'):\n"
                                  "        for d in dirs: z.write(os.path.join(root, d))\n"
                                  "        for f in files: z.write(os.path.join(root, f))\n")}),
              QString());
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("7z"),
                             {QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("../7z.zip"), QStringLiteral(".")}),
              QString());

    const struct {
        const char* file;
        bool directories;
        quint32 readOnly;
        bool times;
    } archives[] = {{"engine.zip", false, 0x01, true},
                    {"zip.zip", true, 0x21, true},
                    {"python.zip", true, 0x21, true},
                    {"7z.zip", true, 0x21, false}};
    for (const auto& archive : archives) {
        for (int mode : {int(CZipArchive::zipOpen), int(CZipArchive::zipOpenReadOnly)}) {
            SCOPED_TRACE(std::string(archive.file) + " mode " + std::to_string(mode));
            expectSources(path(archive.file), mode, archive.directories, archive.readOnly, archive.times);
        }
    }
}

TEST_F(OpenFixture, TheHostSystemOfTheFirstEntryBecomesTheArchives)
{
    makeSources();
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("zip"), {QStringLiteral("-qr"), QStringLiteral("../zip.zip"), QStringLiteral(".")}), QString());
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("zip.zip"), CZipArchive::zipOpenReadOnly));
    EXPECT_EQ(zip.getSystemCompatibility(), 3);
    EXPECT_TRUE(zip.isReadOnly());
    // Read-only: nothing can be added.
    EXPECT_FALSE(zip.addFileFromDisk(path("src/a.txt"), QStringLiteral("again.txt")));
    zip.closeArchive();
    EXPECT_EQ(ziptest::outsideReadersComplaints(path("zip.zip")), QString());
}

TEST_F(OpenFixture, AStubBeforeTheArchiveIsSkippedAndKeptWhenAdding)
{
    makeSources();
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path("plain.zip")));
        ASSERT_TRUE(zip.addFileFromDisk(path("src/a.txt"), QStringLiteral("a.txt")));
        ASSERT_TRUE(zip.addFileFromDisk(path("src/sub/b.bin"), QStringLiteral("sub/b.bin")));
        zip.closeArchive();
    }
    const QByteArray stub = ziptest::randomBytes(1000, 77);
    ASSERT_TRUE(testfiles::writeAll(path("stub.zip"), stub + testfiles::readAll(path("plain.zip"))));

    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("stub.zip"), CZipArchive::zipOpen));
    EXPECT_EQ(zip.getBytesBeforeArchive(), 1000u);
    ASSERT_EQ(zip.getCount(), 2);
    EXPECT_EQ(zip.getFileInfo(0)->getOffset(), 0u) << "offsets count from the archive's start";
    EXPECT_EQ(zip.getFileInfo(1)->getFileName(), QStringLiteral("sub\\b.bin"));
    EXPECT_EQ(zip.getFileInfo(1)->getCrc32(), ziptest::crcOf(sourceFiles().at(1).bytes));
    ASSERT_TRUE(zip.addFileFromDisk(path("src/a.txt"), QStringLiteral("added.txt")));
    zip.closeArchive();

    const QByteArray bytes = testfiles::readAll(path("stub.zip"));
    EXPECT_EQ(bytes.left(1000), stub);
    const ziptest::ZipImage image(bytes.mid(1000));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    ASSERT_EQ(image.centrals().size(), 3);
    QString error;
    EXPECT_EQ(image.content(2, &error), sourceFiles().at(0).bytes) << error.toStdString();
}

TEST_F(OpenFixture, AddingToAnOpenedArchiveReplacesItsCentralDirectory)
{
    // Enough entries that the old directory passes 64 KiB.
    const int oldCount = 700;
    const QString longName = QString(80, QLatin1Char('n'));
    ASSERT_TRUE(ziptest::makeFile(path("one.txt"), "one entry"));
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path("grow.zip")));
        for (int i = 0; i < oldCount; ++i)
            ASSERT_TRUE(zip.addFileFromDisk(path("one.txt"), QStringLiteral("%1/%2.txt").arg(longName).arg(i)));
        zip.closeArchive();
    }
    const ziptest::ZipImage before = ziptest::ZipImage::fromFile(path("grow.zip"));
    ASSERT_TRUE(before.ok());
    ASSERT_GT(before.end().size, 65536u);

    const QByteArray added = ziptest::compressibleBytes(100000, 9);
    ASSERT_TRUE(ziptest::makeFile(path("added.txt"), added));
    for (int round = 0; round < 2; ++round) {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path("grow.zip"), CZipArchive::zipOpen));
        ASSERT_EQ(zip.getCount(), oldCount + round);
        ASSERT_TRUE(zip.addFileFromDisk(path("added.txt"), QStringLiteral("added-%1.txt").arg(round)));
        zip.closeArchive();
    }
    const ziptest::ZipImage after = ziptest::ZipImage::fromFile(path("grow.zip"));
    ASSERT_TRUE(after.ok()) << after.error().toStdString();
    ASSERT_EQ(after.centrals().size(), oldCount + 2);
    EXPECT_TRUE(after.isContiguous()) << "the old directories were cut off, not left between the entries";
    EXPECT_EQ(after.end().offset, before.end().offset + 2 * (after.locals().at(oldCount).dataOffset
                                                             - after.locals().at(oldCount).offset
                                                             + after.centrals().at(oldCount).compressedSize));
    QString error;
    EXPECT_EQ(after.content(oldCount + 1, &error), added) << error.toStdString();
    EXPECT_EQ(ziptest::outsideReadersComplaints(path("grow.zip")), QString());
}

TEST_F(OpenFixture, AnOpenedArchiveClosedUnchangedIsLeftAsItWas)
{
    makeSources();
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("python3"),
                             {QStringLiteral("-c"), QStringLiteral(
                                  "import zipfile\n"
                                  "with zipfile.ZipFile('../c.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
                                  "    z.write('a.txt')\n"
                                  "    z.comment = b'the archive comment'\n")}),
              QString());
    const QByteArray original = testfiles::readAll(path("c.zip"));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("c.zip"), CZipArchive::zipOpen));
    EXPECT_EQ(zip.getGlobalComment(), QByteArray("the archive comment"));
    zip.closeArchive();
    EXPECT_EQ(testfiles::readAll(path("c.zip")), original);

    // A change writes a new directory, and the comment goes with it.
    ASSERT_TRUE(zip.openArchive(path("c.zip"), CZipArchive::zipOpen));
    ASSERT_TRUE(zip.addFileFromDisk(path("src/sub/b.bin"), QStringLiteral("b.bin")));
    zip.closeArchive();
    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(path("c.zip"));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    EXPECT_EQ(image.end().comment, QByteArray("the archive comment"));
    EXPECT_EQ(image.centrals().size(), 2);
}

TEST_F(OpenFixture, DamagedArchivesRaiseTheirCodesAndLeaveTheObjectClosed)
{
    makeSources();
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path("good.zip")));
        ASSERT_TRUE(zip.addFileFromDisk(path("src/a.txt"), QStringLiteral("a.txt")));
        ASSERT_TRUE(zip.addFileFromDisk(path("src/sub/b.bin"), QStringLiteral("b.bin")));
        zip.closeArchive();
    }
    const QByteArray good = testfiles::readAll(path("good.zip"));
    const ziptest::ZipImage image(good);
    ASSERT_TRUE(image.ok());
    const int central = int(image.end().offset);
    const int secondCentral = int(image.centrals().at(1).offset);

    auto variant = [&](const char* name, const QByteArray& bytes) {
        EXPECT_TRUE(testfiles::writeAll(path(name), bytes));
        return path(name);
    };
    QByteArray noEnd = good;
    noEnd[image.end().position] = 'X';
    QByteArray farEnd = good + QByteArray(70000, 'z');
    QByteArray duplicate = good;
    // The second central header points at the first entry's local header.
    duplicate.replace(secondCentral + 42, 4, QByteArray(4, '\0'));
    QByteArray badSignature = good;
    badSignature[central] = 'Q';
    QByteArray extraPastEnd = good;
    // The second entry claims a 4-byte extra record of 200 bytes; the
    // directory's sizes are kept, so the field runs past its header.
    {
        QByteArray header = good.mid(secondCentral, 46 + 5);
        header[30] = 8;
        header[31] = 0;
        QByteArray withExtra = good.left(secondCentral) + header + QByteArray("\x01\x99\xC8\x00", 4)
            + QByteArray(4, '\0') + good.mid(image.end().position);
        // Fix the directory size in the end record.
        const int endAt = secondCentral + header.size() + 8;
        const quint32 size = quint32(endAt - central);
        withExtra[endAt + 12] = char(size & 0xFF);
        withExtra[endAt + 13] = char((size >> 8) & 0xFF);
        extraPastEnd = withExtra;
    }
    const QByteArray notAZip = ziptest::randomBytes(5000, 3);

    const struct {
        const char* name;
        QByteArray bytes;
        int code;
    } cases[] = {
        {"noend.zip", noEnd, CZipException::noEndRecord},
        {"farend.zip", farEnd, CZipException::noEndRecord},
        {"random.zip", notAZip, CZipException::noEndRecord},
        {"duplicate.zip", duplicate, CZipException::badArchive},
        {"badsignature.zip", badSignature, CZipException::badArchive},
        {"extra.zip", extraPastEnd, CZipException::badArchive},
    };
    CZipArchive zip;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = variant(c.name, c.bytes);
        EXPECT_EQ(codeOf([&] { zip.openArchive(file, CZipArchive::zipOpenReadOnly); }), c.code);
        EXPECT_TRUE(zip.isClosed());
    }
    // Still usable after all those failures.
    ASSERT_TRUE(zip.openArchive(path("good.zip"), CZipArchive::zipOpenReadOnly));
    EXPECT_EQ(zip.getCount(), 2);
    zip.closeArchive();
}

TEST_F(OpenFixture, Zip64ArchivesAreRefused)
{
    makeSources();
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-fz"), QStringLiteral("../z64.zip"), QStringLiteral("a.txt")}), QString());
    CZipArchive zip;
    EXPECT_EQ(codeOf([&] { zip.openArchive(path("z64.zip"), CZipArchive::zipOpen); }), CZipException::needsZip64);
    EXPECT_TRUE(zip.isClosed());

    // An end record beyond 4 GiB (a sparse file) belongs to a Zip64 archive too.
    QFile sparse(path("far.zip"));
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    ASSERT_TRUE(sparse.seek(0x100000010ll));
    QByteArray end(22, '\0');
    end[0] = 'P';
    end[1] = 'K';
    end[2] = 5;
    end[3] = 6;
    sparse.write(end);
    sparse.close();
    EXPECT_EQ(codeOf([&] { zip.openArchive(path("far.zip"), CZipArchive::zipOpen); }), CZipException::needsZip64);
}

TEST_F(OpenFixture, NamesAreReadInTheCodePageOfTheirHost)
{
    ASSERT_TRUE(ziptest::makeFile(path("x.txt"), "x"));
    const QStringList names = {QStringLiteral("Bücher/Übung.txt"), QStringLiteral("€uro.txt"),
                               QStringLiteral("日本/ページ.html"), QStringLiteral("plain.txt")};
    // The engine for DOS (IBM 437, or UTF-8 marked by flag bit 11) and for Unix (UTF-8).
    for (int host : {0, 3}) {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path(QStringLiteral("host%1.zip").arg(host))));
        ASSERT_TRUE(zip.setSystemCompatibility(host));
        for (const QString& name : names)
            ASSERT_TRUE(zip.addFileFromDisk(path("x.txt"), name));
        zip.closeArchive();
    }
    // Python marks names that are not ASCII by flag bit 11.
    QString script = QStringLiteral("import sys, zipfile\n"
                                    "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                    "    for name in sys.argv[2:]: z.writestr(name, b'x')\n");
    ASSERT_EQ(testfiles::runProgram(QStringLiteral("python3"), QStringList{QStringLiteral("-c"), script, path("python.zip")} + names), 0);

    for (const char* file : {"host0.zip", "host3.zip", "python.zip"}) {
        SCOPED_TRACE(file);
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path(file), CZipArchive::zipOpenReadOnly));
        ASSERT_EQ(zip.getCount(), names.size());
        for (int i = 0; i < names.size(); ++i)
            EXPECT_EQ(zip.getFileInfo(i)->getFileName(), QString(names.at(i)).replace(QLatin1Char('/'), QLatin1Char('\\')));
        zip.closeArchive();
    }
    // Bytes of IBM 437 in a DOS archive: "ü" is 0x81.
    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(path("host0.zip"));
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.centrals().at(0).name, QByteArray("B\x81" "cher/\x9A" "bung.txt"));
}

TEST_F(OpenFixture, AnEmptyArchiveOpensAndTakesEntries)
{
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path("empty.zip")));
        zip.closeArchive();
    }
    ASSERT_EQ(testfiles::readAll(path("empty.zip")).size(), 22);
    ASSERT_TRUE(ziptest::makeFile(path("x.txt"), "some text for the archive"));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("empty.zip"), CZipArchive::zipOpen));
    EXPECT_EQ(zip.getCount(), 0);
    ASSERT_TRUE(zip.addFileFromDisk(path("x.txt"), QStringLiteral("x.txt")));
    zip.closeArchive();
    EXPECT_EQ(ziptest::outsideReadersComplaints(path("empty.zip")), QString());
}

TEST_F(OpenFixture, AppendModeWritesANewArchiveAfterAFilesContent)
{
    const QByteArray stub = ziptest::randomBytes(1000, 5);
    ASSERT_TRUE(testfiles::writeAll(path("sfx.zip"), stub));
    ASSERT_TRUE(ziptest::makeFile(path("x.txt"), ziptest::compressibleBytes(3000, 1)));
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path("sfx.zip"), CZipArchive::zipCreateAppend));
        ASSERT_TRUE(zip.addFileFromDisk(path("x.txt"), QStringLiteral("x.txt")));
        zip.closeArchive();
    }
    EXPECT_EQ(testfiles::readAll(path("sfx.zip")).left(1000), stub);
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("sfx.zip"), CZipArchive::zipOpenReadOnly));
    // Offsets count from the file's start here, so nothing lies before the archive.
    EXPECT_EQ(zip.getBytesBeforeArchive(), 0u);
    ASSERT_EQ(zip.getCount(), 1);
    EXPECT_EQ(zip.getFileInfo(0)->getOffset(), 1000u);
    zip.closeArchive();
}

} // namespace
