// Where a new archive meets the limits of the format and of its input: 32-bit
// sizes, names no code page holds, dates outside the DOS range, "." and ".."
// in names, and the error codes of failures.
#include "ZipArchive.h"
#include "ZipException.h"
#include "ZipMemFile.h"
#include "zip_parser.h"
#include "zip_test_util.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct LimitsFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

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
};

// An archive file that pretends to start just below 4 GiB and forgets what it
// is given.
class FarSink : public CZipAbstractFile {
public:
    explicit FarSink(quint64 start) : m_position(start), m_length(start) {}
    void close() override {}
    void flush() override {}
    quint64 getPosition() const override { return m_position; }
    quint64 seek(qint64 offset, int origin) override
    {
        m_position = (origin == fromEnd ? m_length : origin == fromCurrent ? m_position : 0) + offset;
        return m_position;
    }
    quint64 getLength() const override { return m_length; }
    void setLength(quint64) override {}
    QString getFilePath() const override { return QString(); }
    bool hasFilePath() const override { return false; }
    quint32 read(void*, quint32) override { return 0; }
    void write(const void*, quint32 count) override
    {
        m_position += count;
        m_length = std::max(m_length, m_position);
    }
    bool isClosed() const override { return false; }

private:
    quint64 m_position;
    quint64 m_length;
};

// A source that says it holds 4 GiB.
class HugeSource : public CZipMemFile {
public:
    quint64 getLength() const override { return 0x100000000ull; }
};

// A source whose second read fails.
class FailingSource : public CZipMemFile {
public:
    FailingSource() { write(QByteArray(100000, 'x').constData(), 100000); }
    quint32 read(void* buffer, quint32 count) override
    {
        if (++m_reads > 1)
            CZipException::throwZipException(EIO, QStringLiteral("failing source"));
        return CZipMemFile::read(buffer, count);
    }

private:
    int m_reads = 0;
};

TEST_F(LimitsFixture, AnArchiveThatWouldPass4GiBRaisesInsteadOfWrapping)
{
    FarSink sink(0xFFFF0000u);
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(sink));
    CZipMemFile source;
    const QByteArray data = ziptest::randomBytes(128 * 1024, 1);
    source.write(data.constData(), quint32(data.size()));
    CZipArchive::addFileInfo info;
    info.m_sourceFile = &source;
    info.m_nameInArchive = QStringLiteral("big.bin");
    info.m_level = 0;
    EXPECT_EQ(codeOf([&] { zip.addFileCore(info); }), CZipException::needsZip64);
    zip.closeArchive(CZipArchive::closeAfterException);
    EXPECT_TRUE(zip.isClosed());
}

TEST_F(LimitsFixture, AnEntryOf4GiBOrMoreRaisesBeforeAnythingIsWritten)
{
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("huge.zip")));
    HugeSource source;
    CZipArchive::addFileInfo info;
    info.m_sourceFile = &source;
    info.m_nameInArchive = QStringLiteral("huge.bin");
    EXPECT_EQ(codeOf([&] { zip.addFileCore(info); }), CZipException::needsZip64);

    // A sparse file on disk of just over 4 GiB.
    QFile sparse(path("sparse.bin"));
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    ASSERT_TRUE(sparse.resize(0x100000001ll));
    sparse.close();
    EXPECT_EQ(codeOf([&] { zip.addFileFromDisk(path("sparse.bin"), QStringLiteral("sparse.bin")); }),
              CZipException::needsZip64);

    ASSERT_TRUE(ziptest::makeFile(path("small.txt"), "fits"));
    EXPECT_TRUE(zip.addFileFromDisk(path("small.txt"), QStringLiteral("small.txt")));
    zip.closeArchive();
    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(path("huge.zip"));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    ASSERT_EQ(image.centrals().size(), 1) << "the refused entries left nothing behind";
    EXPECT_EQ(image.centrals().at(0).name, QByteArray("small.txt"));
}

TEST_F(LimitsFixture, NamesTheCodePageLacksAreWrittenAsMarkedUtf8)
{
    ASSERT_TRUE(ziptest::makeFile(path("x.txt"), "x"));
    struct Case {
        QString name;
        QByteArray bytes;
        bool utf8Flag;
    };
    const Case cases[] = {
        {QStringLiteral("plain/name.txt"), "plain/name.txt", false},
        // IBM 437 holds these: ü is 0x81, Ü is 0x9A.
        {QStringLiteral("Bücher/Übung.txt"), "B\x81" "cher/\x9A" "bung.txt", false},
        {QStringLiteral("€uro.txt"), QStringLiteral("€uro.txt").toUtf8(), true},
        {QStringLiteral("日本/ページ.html"), QStringLiteral("日本/ページ.html").toUtf8(), true},
    };
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("names.zip")));
    for (const Case& c : cases)
        ASSERT_TRUE(zip.addFileFromDisk(path("x.txt"), c.name));
    zip.closeArchive();

    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(path("names.zip"));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    QStringList expectedNames;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(cases[i].name.toStdString());
        EXPECT_EQ(image.centrals().at(i).name, cases[i].bytes);
        EXPECT_EQ(image.locals().at(i).name, cases[i].bytes);
        EXPECT_EQ((image.centrals().at(i).flags & 0x0800) != 0, cases[i].utf8Flag);
        EXPECT_EQ((image.locals().at(i).flags & 0x0800) != 0, cases[i].utf8Flag);
        expectedNames << cases[i].name;
    }

    // Python reads unmarked names as IBM 437 and marked ones as UTF-8.
    QString output;
    ASSERT_EQ(testfiles::runProgram(QStringLiteral("python3"),
                                    {QStringLiteral("-c"),
                                     QStringLiteral("import sys, zipfile\n"
                                                    "sys.stdout.buffer.write('\\n'.join(zipfile.ZipFile(sys.argv[1]).namelist()).encode())"),
                                     path("names.zip")},
                                    &output),
              0);
    EXPECT_EQ(output.split(QLatin1Char('\n')), expectedNames);
    EXPECT_TRUE(ziptest::outsideReadersComplaints(path("names.zip")).isEmpty());
}

TEST_F(LimitsFixture, AUnixHostWritesUtf8NamesAndModesInTheHighWord)
{
    ASSERT_TRUE(ziptest::makeFile(path("x.txt"), "x"));
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("unix.zip")));
    EXPECT_FALSE(zip.setSystemCompatibility(1));
    ASSERT_TRUE(zip.setSystemCompatibility(3));
    ASSERT_TRUE(zip.addFileFromDisk(path("x.txt"), QStringLiteral("Straße.txt")));
    zip.closeArchive();
    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(path("unix.zip"));
    ASSERT_TRUE(image.ok());
    const auto& c = image.centrals().at(0);
    EXPECT_EQ(c.versionMadeBy, 0x0314);
    EXPECT_EQ(c.externalAttributes, 0x81B40000u);
    EXPECT_EQ(c.name, QStringLiteral("Straße.txt").toUtf8());
    EXPECT_EQ(c.flags, 0x0800);
}

TEST_F(LimitsFixture, DatesOutsideTheDosRangeAreClampedNotWrapped)
{
    ASSERT_TRUE(ziptest::makeFile(path("future.txt"), "f", 7258118400));   // 2200-01-01
    ASSERT_TRUE(ziptest::makeFile(path("past.txt"), "p", 168523200));      // 1975-05-05 12:00 UTC
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("dates.zip")));
    ASSERT_TRUE(zip.addFileFromDisk(path("future.txt"), QString()));
    ASSERT_TRUE(zip.addFileFromDisk(path("past.txt"), QString()));
    zip.closeArchive();
    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(path("dates.zip"));
    ASSERT_TRUE(image.ok());
    // 2107-12-31 23:59:58
    EXPECT_EQ(image.centrals().at(0).date, (127 << 9) | (12 << 5) | 31);
    EXPECT_EQ(image.centrals().at(0).time, (23 << 11) | (59 << 5) | 29);
    // 1975 has no year field of its own: 13:00 local time on 5 May, year field 0.
    EXPECT_EQ(image.centrals().at(1).date, (5 << 5) | 5);
    EXPECT_EQ(image.centrals().at(1).time, 13 << 11);
}

TEST_F(LimitsFixture, DotComponentsNeverReachAnEntryName)
{
    ASSERT_TRUE(ziptest::makeFile(path("x.txt"), "x"));
    const QString given[] = {QStringLiteral("."), QStringLiteral("./a/../b/./c.txt"),
                             QStringLiteral("../../etc/passwd"), QStringLiteral("\\..\\x.txt"),
                             QStringLiteral("a/b/../../../d.txt")};
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(path("dots.zip")));
    for (const QString& name : given)
        ASSERT_TRUE(zip.addFileFromDisk(path("x.txt"), name));
    zip.closeArchive();
    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(path("dots.zip"));
    ASSERT_TRUE(image.ok());
    QList<QByteArray> names;
    for (const auto& c : image.centrals())
        names << c.name;
    EXPECT_EQ(names, (QList<QByteArray>{"file0", "b/c.txt", "etc/passwd", "x.txt", "d.txt"}));
}

TEST_F(LimitsFixture, FailuresRaiseTheirCodes)
{
    CZipArchive zip;
    try {
        zip.openArchive(path("no/such/folder/a.zip"));
        FAIL() << "no exception";
    } catch (const CZipException& e) {
        EXPECT_EQ(e.getCode(), ENOENT);
        EXPECT_EQ(e.getFileName(), path("no/such/folder/a.zip"));
    }
    EXPECT_TRUE(zip.isClosed()) << "a failed open leaves the object closed";

    ASSERT_TRUE(zip.openArchive(path("codes.zip")));
    EXPECT_FALSE(zip.openArchive(path("other.zip"))) << "already open";
    try {
        zip.addFileFromDisk(path("missing.txt"), QStringLiteral("missing.txt"));
        FAIL() << "no exception";
    } catch (const CZipException& e) {
        EXPECT_EQ(e.getCode(), CZipException::noAttributes);
        EXPECT_EQ(e.getFileName(), path("missing.txt"));
    }
    ASSERT_TRUE(ziptest::makeFile(path("ok.txt"), "kept"));
    ASSERT_TRUE(zip.addFileFromDisk(path("ok.txt"), QStringLiteral("ok.txt")));
    EXPECT_EQ(codeOf([&] { zip.addFileFromDisk(path("ok.txt"), QString(70000, QLatin1Char('n'))); }),
              CZipException::fieldTooLong);
    ASSERT_TRUE(zip.addFileFromDisk(path("ok.txt"), QStringLiteral("after.txt")));
    zip.closeArchive();

    const ziptest::ZipImage image = ziptest::ZipImage::fromFile(path("codes.zip"));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    ASSERT_EQ(image.centrals().size(), 2) << "the refused name left no entry behind";
    EXPECT_TRUE(image.isContiguous());
    EXPECT_TRUE(ziptest::outsideReadersComplaints(path("codes.zip")).isEmpty());
}

TEST_F(LimitsFixture, AfterAFailureInTheDataTheCloseModeDecidesWhatIsWritten)
{
    ASSERT_TRUE(ziptest::makeFile(path("ok.txt"), "kept"));
    for (int mode : {CZipArchive::closeAfterException, CZipArchive::closeAfterExceptionWrite}) {
        SCOPED_TRACE(mode);
        const QString zipPath = path(QStringLiteral("fail%1.zip").arg(mode));
        CZipArchive zip;
        ASSERT_TRUE(zip.openArchive(zipPath));
        ASSERT_TRUE(zip.addFileFromDisk(path("ok.txt"), QStringLiteral("ok.txt")));
        FailingSource source;
        CZipArchive::addFileInfo info;
        info.m_sourceFile = &source;
        info.m_nameInArchive = QStringLiteral("failing.bin");
        info.m_bufferSize = 4096;
        EXPECT_EQ(codeOf([&] { zip.addFileCore(info); }), EIO);
        EXPECT_FALSE(zip.isClosed()) << "an exception leaves the archive open";
        EXPECT_EQ(zip.closeArchive(mode), zipPath);
        EXPECT_TRUE(zip.isClosed());

        const ziptest::ZipImage image = ziptest::ZipImage::fromFile(zipPath);
        if (mode == CZipArchive::closeAfterException) {
            EXPECT_FALSE(image.ok()) << "nothing more written: no central directory";
        } else {
            ASSERT_TRUE(image.ok()) << image.error().toStdString();
            ASSERT_EQ(image.centrals().size(), 2);
            QString error;
            EXPECT_EQ(image.content(0, &error), QByteArray("kept"));
        }
        EXPECT_TRUE(zip.openArchive(zipPath)) << "the object can be used again";
        zip.closeArchive();
    }
}

TEST_F(LimitsFixture, AnEmptyArchiveInMemoryStillGetsItsEndRecord)
{
    CZipMemFile memory;
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(memory));
    zip.closeArchive();
    EXPECT_EQ(QByteArray(memory.data(), int(memory.getLength())), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
}

TEST_F(LimitsFixture, AnArchiveCanBeBuiltInMemory)
{
    CZipMemFile memory;
    CZipMemFile source;
    source.write("memory source", 13);
    CZipArchive zip;
    ASSERT_TRUE(zip.openArchive(memory));
    CZipArchive::addFileInfo info;
    info.m_sourceFile = &source;
    ASSERT_TRUE(zip.addFileCore(info));
    EXPECT_EQ(zip.closeArchive(), QString());
    ASSERT_FALSE(memory.isClosed());

    const ziptest::ZipImage image(QByteArray(memory.data(), int(memory.getLength())));
    ASSERT_TRUE(image.ok()) << image.error().toStdString();
    EXPECT_EQ(image.centrals().at(0).name, QByteArray("file0")) << "an empty name becomes file%u";
    QString error;
    EXPECT_EQ(image.content(0, &error), QByteArray("memory source"));
}

} // namespace
