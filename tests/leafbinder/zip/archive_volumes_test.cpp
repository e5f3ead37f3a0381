// Segmented archives: split volumes (book.z01, ..., book.zip), binary-split
// volumes (book.zip.001, ...) and archives spanned over removable disks, as
// outside tools rejoin them and as the engine reads them back.
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

#include <csignal>
#include <sys/resource.h>

using ziptest::codeOf;
using ziptest::ZipImage;

namespace {

// Every folder under root pretends to be a removable disk with a fixed
// amount of free space; labels are recorded.
class FakeRemovableDrive : public ZipPlatform::CDriveService {
public:
    FakeRemovableDrive(const QString& root, quint64 freeSpace) : m_root(root), m_freeSpace(freeSpace) {}
    bool isRemovableDrive(const QString& path) override { return path.startsWith(m_root); }
    bool setVolumeLabel(const QString& path, const QString& label) override
    {
        labels << QFileInfo(path).dir().dirName() + QLatin1Char('=') + label;
        return true;
    }
    quint64 getFreeSpace(const QString& path) override
    {
        return path.startsWith(m_root) ? m_freeSpace : ZipPlatform::CDriveService::getFreeSpace(path);
    }
    QStringList labels;

private:
    QString m_root;
    quint64 m_freeSpace;
};

// Inserting disk n means: use the folder disk<n+1>.
class NextDiskCallback : public CZipSegmCallback {
public:
    explicit NextDiskCallback(const QString& root) : m_root(root) {}
    bool callback(quint64, int reason, int volume, QString& path) override
    {
        reasons << reason;
        const QString folder = m_root + QStringLiteral("/disk%1").arg(volume + 1);
        QDir().mkpath(folder);
        path = folder + QLatin1Char('/') + QFileInfo(path).fileName();
        return true;
    }
    QList<int> reasons;

private:
    QString m_root;
};

class RecordingSegmCallback : public CZipSegmCallback {
public:
    bool callback(quint64 needed, int reason, int volume, QString& path) override
    {
        calls << QStringLiteral("%1:%2:%3:%4").arg(reason).arg(volume).arg(needed).arg(QFileInfo(path).fileName());
        return answer;
    }
    QStringList calls;
    bool answer = true;
};

struct VolumesFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    // Incompressible and compressible files, about 300 KB in all.
    QList<QByteArray> contents() const
    {
        return {ziptest::randomBytes(120000, 1), ziptest::compressibleBytes(90000, 2), QByteArray("abc"),
                ziptest::randomBytes(70000, 3), QByteArray(), ziptest::randomBytes(40000, 4)};
    }
    QString nameOf(int i) const { return QStringLiteral("dir/entry-%1.bin").arg(i); }

    void addContents(CZipArchive& zip)
    {
        const QList<QByteArray> all = contents();
        for (int i = 0; i < all.size(); ++i) {
            const QString source = path(QStringLiteral("src/%1").arg(i));
            ASSERT_TRUE(ziptest::makeFile(source, all.at(i)));
            ASSERT_TRUE(zip.addFileFromDisk(source, nameOf(i)));
        }
    }

    // An ordinary archive holding the contents, as every outside reader and
    // the tests' parser see it.
    void expectWholeArchive(const QString& zipPath)
    {
        EXPECT_EQ(ziptest::outsideReadersComplaints(zipPath), QString());
        const ZipImage image = ZipImage::fromFile(zipPath);
        ASSERT_TRUE(image.ok()) << image.error().toStdString();
        const QList<QByteArray> all = contents();
        ASSERT_EQ(image.centrals().size(), all.size());
        for (int i = 0; i < all.size(); ++i) {
            QString error;
            EXPECT_EQ(image.content(image.indexOf(nameOf(i).toUtf8()), &error), all.at(i)) << error.toStdString();
        }
    }

    // The archive read by the engine: names and CRCs; every entry copied
    // into an ordinary archive gives the contents back.
    void expectEngineReads(const QString& zipPath, int mode, CZipSegmCallback* callback = nullptr)
    {
        CZipArchive zip;
        if (callback)
            zip.setSegmCallback(callback, CZipArchive::zipModeSpan);
        ASSERT_TRUE(zip.openArchive(zipPath, mode));
        EXPECT_TRUE(zip.isSegmented());
        const QList<QByteArray> all = contents();
        ASSERT_EQ(zip.getCount(), all.size());
        CZipArchive copy;
        const QString copyPath = path("copied.zip");
        ASSERT_TRUE(copy.openArchive(copyPath));
        for (int i = 0; i < all.size(); ++i) {
            const CZipFileHeader* entry = zip.getFileInfo(i);
            EXPECT_EQ(entry->getFileName(), QString(nameOf(i)).replace(QLatin1Char('/'), QLatin1Char('\\')));
            EXPECT_EQ(entry->getCrc32(), ziptest::crcOf(all.at(i)));
            ASSERT_TRUE(copy.getFromArchive(zip, -1, nullptr, i));
        }
        // An opened segmented archive takes nothing.
        EXPECT_FALSE(zip.addFileFromDisk(path("src/2"), QStringLiteral("more")));
        copy.closeArchive();
        zip.closeArchive();
        expectWholeArchive(copyPath);
    }
};

TEST_F(VolumesFixture, SplitVolumesRejoinAndReadBack)
{
    const quint64 volumeSize = 64 * 1024;
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("book.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, volumeSize));
    addContents(zip);
    EXPECT_EQ(zip.closeArchive(), path("book.zip"));

    const QStringList volumes = QDir(dir.path()).entryList({QStringLiteral("book.*")}, QDir::Files, QDir::Name);
    ASSERT_GE(volumes.size(), 4);
    EXPECT_EQ(volumes.first(), QStringLiteral("book.z01"));
    EXPECT_EQ(volumes.at(volumes.size() - 2), QStringLiteral("book.z%1").arg(volumes.size() - 1, 2, 10, QLatin1Char('0')));
    EXPECT_EQ(volumes.last(), QStringLiteral("book.zip"));
    for (const QString& volume : volumes)
        EXPECT_LE(QFileInfo(path(volume)).size(), qint64(volumeSize)) << volume.toStdString();
    EXPECT_EQ(testfiles::readAll(path("book.z01")).left(4), QByteArray("PK\x07\x08", 4));

    ASSERT_EQ(ziptest::runIn(dir.path(), QStringLiteral("zip"),
                             {QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("0"), QStringLiteral("book.zip"),
                              QStringLiteral("--out"), QStringLiteral("joined.zip")}),
              QString());
    expectWholeArchive(path("joined.zip"));
    expectEngineReads(path("book.zip"), CZipArchive::zipOpenReadOnly);
    // The split mode may be named when opening, too.
    expectEngineReads(path("book.zip"), CZipArchive::zipOpen | CZipArchive::zipModeSplit);
}

// Reads little-endian numbers of a byte array.
quint32 numberAt(const QByteArray& bytes, qint64 at, int width)
{
    quint32 value = 0;
    for (int i = 0; i < width; ++i)
        value |= quint32(quint8(bytes.at(at + i))) << (8 * i);
    return value;
}

TEST_F(VolumesFixture, NoRecordStraddlesTwoVolumes)
{
    // Small volumes and many small entries put records at every boundary.
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("small.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, 700));
    for (int i = 0; i < 60; ++i) {
        const QString source = path(QStringLiteral("src/s%1").arg(i));
        ASSERT_TRUE(ziptest::makeFile(source, ziptest::randomBytes(1 + (i * 37) % 300, quint32(i))));
        ASSERT_TRUE(zip.addFileFromDisk(source, QStringLiteral("folder/entry-with-a-longer-name-%1.bin").arg(i)));
    }
    zip.closeArchive();

    // The volumes one after another, with where each begins.
    QByteArray all;
    QList<qint64> starts;
    int count = 0;
    while (QFileInfo::exists(path(QStringLiteral("small.z%1").arg(count + 1, 2, 10, QLatin1Char('0')))))
        ++count;
    ASSERT_GT(count, 10);
    for (int i = 0; i <= count; ++i) {
        starts << all.size();
        all += testfiles::readAll(i < count ? path(QStringLiteral("small.z%1").arg(i + 1, 2, 10, QLatin1Char('0')))
                                            : path("small.zip"));
    }
    starts << all.size();
    auto volumeOf = [&](qint64 at) {
        int volume = 0;
        while (starts.at(volume + 1) <= at)
            ++volume;
        return volume;
    };
    auto expectWhole = [&](qint64 at, qint64 size, const char* what) {
        EXPECT_EQ(volumeOf(at), volumeOf(at + size - 1)) << what << " at " << at;
    };

    const qint64 end = starts.at(count) + QByteArray(testfiles::readAll(path("small.zip"))).lastIndexOf("PK\x05\x06");
    expectWhole(end, 22, "end record");
    const int directoryDisk = int(numberAt(all, end + 6, 2));
    qint64 at = starts.at(directoryDisk) + numberAt(all, end + 16, 4);
    const quint32 entries = numberAt(all, end + 10, 2);
    ASSERT_EQ(entries, 60u);
    for (quint32 i = 0; i < entries; ++i) {
        ASSERT_EQ(numberAt(all, at, 4), 0x02014B50u) << "central header " << i;
        const qint64 size = 46 + numberAt(all, at + 28, 2) + numberAt(all, at + 30, 2) + numberAt(all, at + 32, 2);
        expectWhole(at, size, "central header");
        const qint64 local = starts.at(int(numberAt(all, at + 34, 2))) + numberAt(all, at + 42, 4);
        ASSERT_EQ(numberAt(all, local, 4), 0x04034B50u) << "local header " << i;
        const qint64 localSize = 30 + numberAt(all, local + 26, 2) + numberAt(all, local + 28, 2);
        expectWhole(local, localSize, "local header");
        const qint64 descriptor = local + localSize + numberAt(all, at + 20, 4);
        ASSERT_EQ(numberAt(all, descriptor, 4), 0x08074B50u) << "descriptor " << i;
        expectWhole(descriptor, 16, "data descriptor");
        at += size;
    }
}

TEST_F(VolumesFixture, SplitArchivesOfInfoZipReadBack)
{
    const QList<QByteArray> all = contents();
    QStringList names;
    for (int i = 0; i < all.size(); ++i) {
        ASSERT_TRUE(ziptest::makeFile(path("src/" + nameOf(i)), all.at(i)));
        names << nameOf(i);
    }
    ASSERT_EQ(ziptest::runIn(path("src"), QStringLiteral("zip"),
                             QStringList{QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("64k"),
                                         QStringLiteral("../info.zip")} + names),
              QString());
    ASSERT_TRUE(QFileInfo::exists(path("info.z02")));
    expectEngineReads(path("info.zip"), CZipArchive::zipOpenReadOnly);
}

TEST_F(VolumesFixture, BinarySplitVolumesConcatenateToAnArchive)
{
    const quint64 volumeSize = 50000;
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("book.zip"), CZipArchive::zipCreate | CZipArchive::zipModeBinarySplit, volumeSize));
    addContents(zip);
    const QString last = zip.closeArchive();

    const QStringList volumes = QDir(dir.path()).entryList({QStringLiteral("book.zip.*")}, QDir::Files, QDir::Name);
    ASSERT_GE(volumes.size(), 5);
    EXPECT_EQ(volumes.first(), QStringLiteral("book.zip.001"));
    EXPECT_EQ(last, path(volumes.last()));
    EXPECT_FALSE(QFileInfo::exists(path("book.zip")));
    QByteArray joined;
    for (const QString& volume : volumes) {
        const QByteArray bytes = testfiles::readAll(path(volume));
        if (volume != volumes.last()) {
            EXPECT_EQ(bytes.size(), qint64(volumeSize)) << "every volume but the last is full";
        }
        joined += bytes;
    }
    ASSERT_TRUE(testfiles::writeAll(path("joined.zip"), joined));
    expectWholeArchive(path("joined.zip"));
    expectEngineReads(last, CZipArchive::zipOpenReadOnly | CZipArchive::zipModeBinarySplit);
}

TEST_F(VolumesFixture, AnArchiveThatFitsOneVolumeEndsAsAnOrdinaryArchive)
{
    for (int mode : {int(CZipArchive::zipModeSplit), int(CZipArchive::zipModeBinarySplit)}) {
        SCOPED_TRACE(mode);
        const QString zipPath = path(QStringLiteral("one-%1.zip").arg(mode));
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(zipPath, CZipArchive::zipCreate | mode, 1 << 20));
        addContents(zip);
        EXPECT_EQ(zip.closeArchive(), zipPath);
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("one-%1.*").arg(mode)}, QDir::Files),
                  QStringList{QFileInfo(zipPath).fileName()});
        const ZipImage image = ZipImage::fromFile(zipPath);
        ASSERT_TRUE(image.ok()) << image.error().toStdString();
        EXPECT_TRUE(image.isContiguous()) << "no marker, no data descriptors";
        for (const ziptest::CentralRecord& central : image.centrals())
            EXPECT_EQ(central.flags & 0x08, 0);
        EXPECT_EQ(image.end().thisDisk, 0);
        expectWholeArchive(zipPath);
    }
}

TEST_F(VolumesFixture, AFailedJoinIntoOneVolumeLeavesTheSplitArchiveAsItWas)
{
    // Asks to stop at once: the directory is written after the data has been
    // joined into one volume.
    struct StopAtOnce : CZipActionCallback {
        bool callback(quint64) override { return false; }
    } stopper;
    const QString zipPath = path(QStringLiteral("undo.zip"));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath, CZipArchive::zipCreate | CZipArchive::zipModeSplit, 1 << 20));
    addContents(zip);
    zip.setCallback(&stopper, CZipActionCallback::cbSave);
    EXPECT_EQ(codeOf([&] { zip.closeArchive(); }), CZipException::stoppedSafely);
    EXPECT_TRUE(zip.isSegmented());
    const QStringList volumes = QDir(dir.path()).entryList({QStringLiteral("undo.*")}, QDir::Files);
    ASSERT_EQ(volumes.size(), 1);
    EXPECT_TRUE(testfiles::readAll(path(volumes.first())).startsWith(QByteArray("PK\x07\x08", 4)));

    // The archive goes on as the split archive it was.
    zip.setCallback(nullptr, CZipActionCallback::cbSave);
    EXPECT_EQ(zip.closeArchive(), zipPath);
    expectWholeArchive(zipPath);
}

// A write that fails half-way through the join itself: the file may grow
// to half its size only, and the limit is lifted as soon as it is hit, so
// that only the join's own move fails and undoing it can write again.
TEST_F(VolumesFixture, AJoinThatFailsHalfWayIsUndoneByteForByte)
{
    const QString zipPath = path(QStringLiteral("half.zip"));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(zipPath, CZipArchive::zipCreate | CZipArchive::zipModeSplit, 1 << 20));
    addContents(zip);
    const QString volume = path(QDir(dir.path()).entryList({QStringLiteral("half.*")}, QDir::Files).value(0));
    const QByteArray before = testfiles::readAll(volume);
    ASSERT_GT(before.size(), 3 * 65536) << "the join moves several pieces";

    static rlimit unlimited;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const struct Limit {
        struct sigaction previous;
        Limit(rlim_t size)
        {
            struct sigaction lift = {};
            lift.sa_handler = [](int) { ::setrlimit(RLIMIT_FSIZE, &unlimited); };
            ::sigaction(SIGXFSZ, &lift, &previous);
            rlimit limit = unlimited;
            limit.rlim_cur = size;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ~Limit()
        {
            ::setrlimit(RLIMIT_FSIZE, &unlimited);
            ::sigaction(SIGXFSZ, &previous, nullptr);
        }
    } limit(rlim_t(before.size() / 2));
    EXPECT_EQ(codeOf([&] { zip.closeArchive(); }), EFBIG);
    EXPECT_EQ(testfiles::readAll(volume), before);

    EXPECT_EQ(zip.closeArchive(), zipPath);
    expectWholeArchive(zipPath);
}

TEST_F(VolumesFixture, VolumeSizesAndDrivesAreChecked)
{
    CZipArchive zip;
    EXPECT_EQ(codeOf([&] { zip.openArchive(path("a.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, 0); }),
              CZipException::noVolumeSize);
    EXPECT_TRUE(zip.isClosed());
    EXPECT_EQ(codeOf([&] { zip.openArchive(path("a.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSpan); }),
              CZipException::noVolumeCallback);
    RecordingSegmCallback callback;
    zip.setSegmCallback(&callback, CZipArchive::zipModeSpan);
    EXPECT_EQ(codeOf([&] { zip.openArchive(path("a.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSpan); }),
              CZipException::notRemovable);
    EXPECT_FALSE(zip.openArchive(path("a.zip"), CZipArchive::zipCreateAppend | CZipArchive::zipModeSplit));

    // A volume too small for one local header.
    ASSERT_TRUE(zip.openArchive(path("tiny.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, 40));
    ASSERT_TRUE(ziptest::makeFile(path("x"), "x"));
    EXPECT_EQ(codeOf([&] { zip.addFileFromDisk(path("x"), QString(40, QLatin1Char('n'))); }), CZipException::noVolumeSize);
    zip.closeArchive(CZipArchive::closeAfterException);
    // Nothing can be replaced in a segmented archive.
    ASSERT_TRUE(zip.openArchive(path("seg.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, 100000));
    ASSERT_TRUE(zip.addFileFromDisk(path("x"), QStringLiteral("x")));
    CZipArchive::addFileInfo info;
    info.m_diskPath = path("x");
    info.m_replaceIndex = 0;
    EXPECT_FALSE(zip.addFileCore(info));
    zip.closeArchive();
}

TEST_F(VolumesFixture, TheSplitCallbackIsAskedForEveryVolumeAndTheLastName)
{
    ASSERT_TRUE(ziptest::makeFile(path("book.z01"), "left over"));
    RecordingSegmCallback callback;
    CZipArchive zip;
    zip.setSegmCallback(&callback, CZipArchive::zipModeSplit);
    ASSERT_TRUE(zip.openArchive(path("book.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, 100000));
    addContents(zip);
    zip.closeArchive();
    ASSERT_GE(callback.calls.size(), 5);
    EXPECT_EQ(callback.calls.at(0), QStringLiteral("1:0:4:book.z01"));
    EXPECT_EQ(callback.calls.at(1), QStringLiteral("2:0:4:book.z01")) << "the old file was named";
    EXPECT_TRUE(callback.calls.at(2).startsWith(QStringLiteral("1:1:"))) << callback.calls.at(2).toStdString();
    EXPECT_TRUE(callback.calls.last().startsWith(QStringLiteral("-1:")));
    EXPECT_TRUE(callback.calls.last().endsWith(QStringLiteral(":book.zip")));
    expectEngineReads(path("book.zip"), CZipArchive::zipOpenReadOnly);

    // A refusal stops with 205.
    callback.answer = false;
    EXPECT_EQ(codeOf([&] { zip.openArchive(path("no.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSplit, 1000); }),
              CZipException::volumeRefused);
    EXPECT_TRUE(zip.isClosed());
}

class SpannedFixture : public VolumesFixture {
protected:
    void SetUp() override
    {
        drive = std::make_unique<FakeRemovableDrive>(path("media"), 70000);
        previous = ZipPlatform::setDriveService(drive.get());
    }
    void TearDown() override { ZipPlatform::setDriveService(previous); }

    std::unique_ptr<FakeRemovableDrive> drive;
    ZipPlatform::CDriveService* previous = nullptr;
};

TEST_F(SpannedFixture, ASpannedArchiveGoesDiskByDiskAndReadsBack)
{
    ASSERT_TRUE(QDir().mkpath(path("media")));
    NextDiskCallback nextDisk(path("media"));
    CZipArchive zip;
    zip.setSegmCallback(&nextDisk, CZipArchive::zipModeSpan);
    ASSERT_TRUE(zip.openArchive(path("media/book.zip"), CZipArchive::zipCreate | CZipArchive::zipModeSpan));
    addContents(zip);
    const QString last = zip.closeArchive();

    const QStringList disks = QDir(path("media")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    ASSERT_GE(disks.size(), 4);
    EXPECT_EQ(last, path("media/" + disks.last() + "/book.zip"));
    EXPECT_EQ(drive->labels.first(), QStringLiteral("disk1=pkback# 001"));
    EXPECT_EQ(drive->labels.at(2), QStringLiteral("disk3=pkback# 003"));
    for (int reason : nextDisk.reasons)
        EXPECT_EQ(reason, CZipSegmCallback::reasonVolumeNeeded);

    // The disks' files, named as split volumes, rejoin to one archive.
    for (int i = 0; i < disks.size(); ++i) {
        const QString volume = i + 1 == disks.size() ? QStringLiteral("joined/book.zip")
                                                     : QStringLiteral("joined/book.z%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(ziptest::makeFile(path(volume), testfiles::readAll(path("media/" + disks.at(i) + "/book.zip"))));
        EXPECT_LE(QFileInfo(path(volume)).size(), 70000);
    }
    ASSERT_EQ(ziptest::runIn(path("joined"), QStringLiteral("zip"),
                             {QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("0"), QStringLiteral("book.zip"),
                              QStringLiteral("--out"), QStringLiteral("../whole.zip")}),
              QString());
    expectWholeArchive(path("whole.zip"));

    // Reading asks for each disk it needs.
    NextDiskCallback reading(path("media"));
    expectEngineReads(last, CZipArchive::zipOpenReadOnly, &reading);
    EXPECT_TRUE(reading.reasons.contains(CZipSegmCallback::reasonVolumeForReading));
}

} // namespace
