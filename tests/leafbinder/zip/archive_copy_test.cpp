// Entries copied between archives, replaced in place, re-added stored when
// compression did not pay; progress callbacks and stopping; auto-flush.
#include "FileFilter.h"
#include "ZipArchive.h"
#include "ZipException.h"
#include "ZipFileHeader.h"
#include "zip_parser.h"
#include "zip_test_util.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using ziptest::codeOf;
using ziptest::ZipImage;

namespace {

// Counts what it is told and asks to stop after a number of calls (never
// when stopAfter is 0).
class RecordingCallback : public CZipActionCallback {
public:
    explicit RecordingCallback(int stopAfter = 0) : m_stopAfter(stopAfter) {}
    void init(const QString& path, const QString& name) override
    {
        CZipActionCallback::init(path, name);
        ++inits;
        names << name;
    }
    bool callback(quint64 progress) override
    {
        ++calls;
        amount += progress;
        return m_stopAfter == 0 || calls < m_stopAfter;
    }
    void callbackEnd() override { ++ends; }
    void multiActionsInit(quint32 totalFiles, quint64 totalBytes) override
    {
        files = totalFiles;
        bytes = totalBytes;
    }
    bool multiActionsNext() override { return ++added != m_stopAfterFiles; }

    int inits = 0;
    int calls = 0;
    int ends = 0;
    quint64 amount = 0;
    QStringList names;
    quint32 files = 0;
    quint64 bytes = 0;
    int added = 0;
    int m_stopAfterFiles = -1;

private:
    int m_stopAfter;
};

struct CopyFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QList<QByteArray> contents() const
    {
        return {ziptest::compressibleBytes(40000, 1), ziptest::randomBytes(20000, 2), QByteArray("tiny"),
                ziptest::compressibleBytes(150000, 3), QByteArray()};
    }

    // An archive of the contents, entries e0 ... e4.
    void makeArchive(const QString& zipPath)
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(zipPath));
        const QList<QByteArray> all = contents();
        for (int i = 0; i < all.size(); ++i) {
            ASSERT_TRUE(ziptest::makeFile(path(QStringLiteral("src/e%1").arg(i)), all.at(i)));
            ASSERT_TRUE(zip.addFileFromDisk(path(QStringLiteral("src/e%1").arg(i)), QStringLiteral("e%1").arg(i)));
        }
        zip.closeArchive();
    }

    // Every entry of the image has the given contents, and outside readers agree.
    void expectContents(const QString& zipPath, const QList<QByteArray>& expected)
    {
        const ZipImage image = ZipImage::fromFile(zipPath);
        ASSERT_TRUE(image.ok()) << image.error().toStdString();
        ASSERT_EQ(image.centrals().size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QString error;
            EXPECT_EQ(image.content(i, &error), expected.at(i)) << "entry " << i << " " << error.toStdString();
        }
        EXPECT_TRUE(image.isContiguous());
        EXPECT_EQ(ziptest::outsideReadersComplaints(zipPath), QString());
    }
};

TEST_F(CopyFixture, GetFromArchiveCopiesEntriesWithTheirCompressedBytes)
{
    makeArchive(path("engine.zip"));
    // Info-ZIP at its best level, so the deflate flag bits are set.
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("zip"),
                             {QStringLiteral("-q9"), QStringLiteral("../zip.zip"), QStringLiteral("e0"),
                              QStringLiteral("e1"), QStringLiteral("e3")}),
              QString());

    for (const char* sourceName : {"engine.zip", "zip.zip"}) {
        SCOPED_TRACE(sourceName);
        CZipArchive source;
        ASSERT_TRUE(source.openArchive(path(sourceName), CZipArchive::zipOpenReadOnly));
        CZipArchive target;
        const QString targetPath = path(QStringLiteral("copy-%1").arg(QLatin1String(sourceName)));
        ASSERT_TRUE(target.openArchive(targetPath));
        RecordingCallback progress;
        target.setCallback(&progress, CZipActionCallback::cbAddFromArchive);
        for (int i = source.getCount() - 1; i >= 0; --i)
            ASSERT_TRUE(target.getFromArchive(source, -1, nullptr, i));
        EXPECT_FALSE(target.getFromArchive(source, -1, nullptr, source.getCount())) << "no such entry";
        EXPECT_FALSE(target.getFromArchive(target)) << "not from itself";
        target.closeArchive();
        EXPECT_EQ(progress.inits, source.getCount());
        EXPECT_EQ(progress.ends, source.getCount());

        const ZipImage from = ZipImage::fromFile(path(sourceName));
        const ZipImage to = ZipImage::fromFile(targetPath);
        ASSERT_TRUE(from.ok());
        ASSERT_TRUE(to.ok()) << to.error().toStdString();
        ASSERT_EQ(to.centrals().size(), from.centrals().size());
        quint64 copied = 0;
        for (int i = 0; i < from.centrals().size(); ++i) {
            const int j = to.indexOf(from.centrals().at(i).name);
            ASSERT_GE(j, 0);
            EXPECT_EQ(to.centrals().at(j).crc, from.centrals().at(i).crc);
            EXPECT_EQ(to.centrals().at(j).method, from.centrals().at(i).method);
            // Info-ZIP leaves the level bits on entries it stored; they mean nothing there.
            if (from.centrals().at(i).method == 8) {
                EXPECT_EQ(to.centrals().at(j).flags & 0x6, from.centrals().at(i).flags & 0x6);
            }
            EXPECT_EQ(to.rawData(j), from.rawData(i));
            EXPECT_EQ(to.centrals().at(j).time, from.centrals().at(i).time);
            copied += from.centrals().at(i).compressedSize;
        }
        EXPECT_EQ(progress.amount, copied);
        EXPECT_EQ(ziptest::outsideReadersComplaints(targetPath), QString());
        source.closeArchive();
    }
}

TEST_F(CopyFixture, ReplacingAnEntryMovesTheDataBehindIt)
{
    makeArchive(path("r.zip"));
    QList<QByteArray> expected = contents();
    const QByteArray bigger = ziptest::randomBytes(90000, 10);
    const QByteArray smaller = ziptest::compressibleBytes(500, 11);
    ASSERT_TRUE(ziptest::makeFile(path("bigger"), bigger));
    ASSERT_TRUE(ziptest::makeFile(path("smaller"), smaller));

    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("r.zip"), CZipArchive::zipOpen));
    RecordingCallback moves;
    zip.setCallback(&moves, CZipActionCallback::cbMoveData);
    zip.setMoveBufferSize(4096);   // many pieces per move
    // Grows entry 1, stored: a request written in the order of its fields.
    CZipArchive::addFileInfo info{nullptr, path("bigger"), QStringLiteral("e1"), true, 0,
                                  CZipArchive::smartDefault, 1, CZipArchive::defaultBufferSize};
    ASSERT_TRUE(zip.addFileCore(info));
    expected[1] = bigger;
    // Shrinks entry 0, deflated through a work archive.
    info.m_diskPath = path("smaller");
    info.m_nameInArchive = QStringLiteral("e0");
    info.m_level = -1;
    info.m_replaceIndex = 0;
    ASSERT_TRUE(zip.addFileCore(info));
    expected[0] = smaller;
    EXPECT_EQ(zip.getFileInfo(0)->getMethod(), 8);
    // The last entry is cut off and appended anew.
    info.m_replaceIndex = 4;
    info.m_nameInArchive = QStringLiteral("e4");
    ASSERT_TRUE(zip.addFileCore(info));
    expected[4] = smaller;
    // Refused: beyond the last entry.
    info.m_replaceIndex = 5;
    EXPECT_FALSE(zip.addFileCore(info));
    EXPECT_EQ(zip.getCount(), 5);
    zip.closeArchive();
    EXPECT_EQ(moves.ends, 2);
    EXPECT_GT(moves.calls, 10);
    expectContents(path("r.zip"), expected);

    // Replacing through getFromArchive: entry 2 gets the source's entry 3.
    CZipArchive source;
    ASSERT_TRUE(source.openArchive(path("r.zip"), CZipArchive::zipOpenReadOnly));
    ASSERT_TRUE(ziptest::makeFile(path("r2.zip"), testfiles::readAll(path("r.zip"))));
    ASSERT_TRUE(zip.openArchive(path("r2.zip"), CZipArchive::zipOpen));
    ASSERT_TRUE(zip.getFromArchive(source, 2, nullptr, 3));
    zip.closeArchive();
    source.closeArchive();
    expected[2] = expected[3];
    expectContents(path("r2.zip"), expected);
}

TEST_F(CopyFixture, AFileThatDeflatesWorseIsReAddedStored)
{
    const QByteArray noise = ziptest::randomBytes(50000, 4);
    const QByteArray text = ziptest::compressibleBytes(50000, 5);
    ASSERT_TRUE(ziptest::makeFile(path("noise.bin"), noise));
    ASSERT_TRUE(ziptest::makeFile(path("text.txt"), text));
    const QString temp = path("temp");
    ASSERT_TRUE(QDir().mkpath(temp));

    const int check = CZipArchive::smartCheckCompression;
    const struct {
        const char* name;
        int smartness;
        int mode;
    } cases[] = {
        {"direct.zip", check, CZipArchive::zipCreate},
        {"memory.zip", check | CZipArchive::smartCheckInMemory, CZipArchive::zipCreate},
        // A split archive cannot cut an entry back: a work archive is used.
        {"split.zip", check, CZipArchive::zipCreate | CZipArchive::zipModeSplit},
        {"split-memory.zip", check | CZipArchive::smartCheckInMemory, CZipArchive::zipCreate | CZipArchive::zipModeSplit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(path(c.name), c.mode, 1 << 20));
        zip.setTempPath(temp);
        RecordingCallback adds;
        RecordingCallback stores;
        zip.setCallback(&adds, CZipActionCallback::cbAdd);
        zip.setCallback(&stores, CZipActionCallback::cbAddStore);
        ASSERT_TRUE(zip.addFileFromDisk(path("noise.bin"), QStringLiteral("noise.bin"), -1, c.smartness));
        ASSERT_TRUE(zip.addFileFromDisk(path("text.txt"), QStringLiteral("text.txt"), -1, c.smartness));
        ASSERT_EQ(zip.getCount(), 2);
        EXPECT_EQ(zip.getFileInfo(0)->getMethod(), 0);
        EXPECT_EQ(zip.getFileInfo(0)->getCompressedSize(), quint32(noise.size()));
        EXPECT_EQ(zip.getFileInfo(1)->getMethod(), 8);
        zip.closeArchive();
        EXPECT_EQ(stores.inits, 1) << "the second, stored pass reports as such";
        EXPECT_EQ(stores.amount, quint64(noise.size()));
        EXPECT_EQ(adds.amount, quint64(noise.size() + text.size()));
        EXPECT_TRUE(QDir(temp).entryList(QDir::Files).isEmpty()) << "work files are deleted";
        const ZipImage image = ZipImage::fromFile(path(c.name));
        ASSERT_TRUE(image.ok()) << image.error().toStdString();
        QString error;
        EXPECT_EQ(image.content(0, &error), noise) << error.toStdString();
        EXPECT_EQ(image.content(1, &error), text) << error.toStdString();
    }
    // Without the check bit the noise stays deflated.
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("nocheck.zip")));
    ASSERT_TRUE(zip.addFileFromDisk(path("noise.bin"), QStringLiteral("noise.bin")));
    EXPECT_EQ(zip.getFileInfo(0)->getMethod(), 8);
    EXPECT_GT(zip.getFileInfo(0)->getCompressedSize(), quint32(noise.size()));
    zip.closeArchive();
}

TEST_F(CopyFixture, AStoppedAddLeavesAConsistentArchive)
{
    const QByteArray data = ziptest::compressibleBytes(300000, 6);
    ASSERT_TRUE(ziptest::makeFile(path("data.txt"), data));
    ASSERT_TRUE(ziptest::makeFile(path("small.txt"), QByteArray("small text file")));

    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("stop.zip")));
    ASSERT_TRUE(zip.addFileFromDisk(path("small.txt"), QStringLiteral("first.txt")));
    RecordingCallback stopper(2);
    zip.setCallback(&stopper, CZipActionCallback::cbAdd);
    // Stopped with data left: the partial entry is removed.
    EXPECT_EQ(codeOf([&] { zip.addFileFromDisk(path("data.txt"), QStringLiteral("data.txt"), -1, 7, 65536); }),
              CZipException::stoppedSafely);
    EXPECT_EQ(zip.getCount(), 1);
    // Stopped on the last piece: the entry is finished all the same.
    RecordingCallback late(5);
    zip.setCallback(&late, CZipActionCallback::cbAdd);
    EXPECT_EQ(codeOf([&] { zip.addFileFromDisk(path("data.txt"), QStringLiteral("data.txt"), -1, 7, 65536); }),
              CZipException::stoppedSafely);
    EXPECT_EQ(zip.getCount(), 2);
    zip.setCallback(nullptr, CZipActionCallback::cbAdd);
    ASSERT_TRUE(zip.addFileFromDisk(path("small.txt"), QStringLiteral("last.txt")));
    zip.closeArchive();
    expectContents(path("stop.zip"), {QByteArray("small text file"), data, QByteArray("small text file")});
}

TEST_F(CopyFixture, AStoppedSaveCanBeClosedAgain)
{
    makeArchive(path("save.zip"));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("save.zip"), CZipArchive::zipOpen));
    ASSERT_TRUE(zip.addFileFromDisk(path("src/e2"), QStringLiteral("again")));
    RecordingCallback stopper(3);
    zip.setCallback(&stopper, CZipActionCallback::cbSave);
    EXPECT_EQ(codeOf([&] { zip.closeArchive(); }), CZipException::stoppedSafely);
    EXPECT_FALSE(zip.isClosed());
    zip.setCallback(nullptr, CZipActionCallback::cbSave);
    EXPECT_EQ(zip.closeArchive(), path("save.zip"));
    QList<QByteArray> expected = contents();
    expected << contents().at(2);
    expectContents(path("save.zip"), expected);
}

TEST_F(CopyFixture, AStoppedMoveCannotBeUndone)
{
    makeArchive(path("move.zip"));
    ASSERT_TRUE(ziptest::makeFile(path("bigger"), ziptest::randomBytes(70000, 1)));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("move.zip"), CZipArchive::zipOpen));
    zip.setMoveBufferSize(1024);
    RecordingCallback stopper(3);
    zip.setCallback(&stopper, CZipActionCallback::cbMoveData);
    CZipArchive::addFileInfo info;
    info.m_diskPath = path("bigger");
    info.m_level = 0;
    info.m_replaceIndex = 0;
    EXPECT_EQ(codeOf([&] { zip.addFileCore(info); }), CZipException::stoppedUnsafely);
    zip.closeArchive(CZipArchive::closeAfterException);
    EXPECT_TRUE(zip.isClosed());
}

TEST_F(CopyFixture, AFolderAddCountsFirstAndReportsEveryFile)
{
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(ziptest::makeFile(path(QStringLiteral("folder/sub%1/f%2.txt").arg(i % 2).arg(i)),
                                      ziptest::compressibleBytes(1000 + i, i)));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("folder.zip")));
    RecordingCallback multi;
    RecordingCallback counting;
    counting.m_stepsBetweenCalls = 4;
    zip.setCallback(&multi, CZipActionCallback::cbMultiAdd);
    zip.setCallback(&counting, CZipActionCallback::cbCalculateForMulti);
    ASSERT_TRUE(zip.addFolderFilesWithMask(path("folder")));
    EXPECT_EQ(multi.files, 6u);
    EXPECT_EQ(multi.bytes, quint64(6 * 1000 + 15));
    EXPECT_EQ(multi.added, 6);
    EXPECT_EQ(multi.inits, 6) << "registered for the folder, it hears every file";
    EXPECT_EQ(counting.amount, 6u);
    EXPECT_EQ(counting.calls, 2) << "every 4th step, and the rest at the end";
    // A refusal after the second file stops the walk.
    RecordingCallback refusing;
    refusing.m_stopAfterFiles = 2;
    zip.setCallback(&refusing, CZipActionCallback::cbMultiAdd);
    EXPECT_EQ(codeOf([&] { zip.addFolderFilesWithMask(path("folder"), QStringLiteral("*"), true, -1, false); }),
              CZipException::stoppedSafely);
    EXPECT_EQ(zip.getCount(), 8);
    zip.closeArchive();
    EXPECT_EQ(ziptest::outsideReadersComplaints(path("folder.zip")), QString());
}

TEST_F(CopyFixture, WithAutoFlushTheFileIsAWholeArchiveAfterEveryChange)
{
    const QList<QByteArray> all = contents();
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("flush.zip")));
    zip.setAutoFlush();
    for (int i = 0; i < all.size(); ++i) {
        ASSERT_TRUE(ziptest::makeFile(path(QStringLiteral("f%1").arg(i)), all.at(i)));
        ASSERT_TRUE(zip.addFileFromDisk(path(QStringLiteral("f%1").arg(i)), QStringLiteral("f%1").arg(i)));
        const ZipImage image = ZipImage::fromFile(path("flush.zip"));
        ASSERT_TRUE(image.ok()) << "after entry " << i << ": " << image.error().toStdString();
        EXPECT_EQ(image.centrals().size(), i + 1);
        EXPECT_TRUE(image.isContiguous());
    }
    zip.closeArchive();
    expectContents(path("flush.zip"), all);
}

} // namespace
