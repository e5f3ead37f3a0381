// The log writer: where the log goes, the line format, the 1023-byte cut and
// the copy made once the log reaches 8192 bytes.
#include "convert/logwriter.h"
#include "platform/vuframe0/vupaths.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Points the temporary folder at a fresh directory for each test.
class LogWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_dir.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("TMPDIR", m_oldTmp); }

    QString logPath() const { return logFilePath(); }
    static QString copyOf(QString path)
    {
        path.replace(path.size() - 5, 1, QLatin1Char('2'));
        return path;
    }
    QString copyPath() const { return copyOf(logPath()); }
    // The same name in the private folder the program keeps for this user.
    QString privateLogPath() const { return Vu::tempPath() + QLatin1Char('/') + QFileInfo(logPath()).fileName(); }
    QByteArray log() const { return testfiles::readAll(logPath()); }

    QTemporaryDir m_dir;
    QByteArray m_oldTmp;
};

TEST_F(LogWriter, LogIsNamedAfterTheModuleInTheTemporaryFolder)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_EQ(logPath(), m_dir.path() + QLatin1Char('/') + program + QStringLiteral(".1.log"));
    writeLogLine("%s", "hello");
    EXPECT_EQ(log(), QByteArray("hello\n"));
}

TEST_F(LogWriter, SiteLineCarriesSourceLineFunctionTimeAndErrorCode)
{
    errno = ENOENT;
    writeLogSite(".\\utils", 212, "utils::isInstallWord");
    writeLogLine("RegOpenKeyExW %d", 2);
    const QList<QByteArray> lines = log().split('\n');
    ASSERT_EQ(lines.size(), 3);
    const QRegularExpression pattern(QStringLiteral(
        R"(^\.\\utils\(212\): in utils::isInstallWord : \d{4}/\d\d/\d\d \d\d:\d\d:\d\d 00000002$)"));
    EXPECT_TRUE(pattern.match(QString::fromUtf8(lines[0])).hasMatch()) << lines[0].constData();
    EXPECT_EQ(lines[1], QByteArray("RegOpenKeyExW 2"));
    EXPECT_EQ(lines[2], QByteArray());
}

TEST_F(LogWriter, EntryEndsWithAnEmptySecondLineAndMessagesKeepTheirOwnLineEnds)
{
    writeLogEntry("src\\leafbinder", 31, "ns_epub::leafbinderImp::setEpubConfig");
    const QByteArray entry = log();
    EXPECT_TRUE(entry.startsWith("src\\leafbinder(31): in ns_epub::leafbinderImp::setEpubConfig : "));
    EXPECT_EQ(entry.count('\n'), 2);
    EXPECT_TRUE(entry.endsWith("\n\n")) << entry.constData();
    QFile::remove(logPath());
    writeLogLine("preIdx = %d\n", 0);
    EXPECT_EQ(log(), QByteArray("preIdx = 0\n\n"));
}

TEST_F(LogWriter, UserTextIsAnArgumentNeverAFormat)
{
    writeLogLine("%s", "C:/books/100%s %n %d done");
    EXPECT_EQ(log(), QByteArray("C:/books/100%s %n %d done\n"));
}

TEST_F(LogWriter, LongTextIsCutTo1023BytesWithoutSplittingACharacter)
{
    const QByteArray ascii(1500, 'a');
    writeLogLine("%s", ascii.constData());
    EXPECT_EQ(log(), QByteArray(1023, 'a') + '\n');

    QFile::remove(logPath());
    // 1022 ASCII bytes then a two-byte character: only its first byte would
    // fit, so the whole character goes.
    const QByteArray mixed = QByteArray(1022, 'b') + QStringLiteral("ä").toUtf8() + "tail";
    writeLogLine("%s", mixed.constData());
    EXPECT_EQ(log(), QByteArray(1022, 'b') + '\n');
}

TEST_F(LogWriter, ReachingTheThresholdRefreshesTheCopyAndKeepsTheLog)
{
    ASSERT_TRUE(testfiles::writeAll(logPath(), QByteArray(8180, 'x')));
    writeLogLine("%s", "short");   // 8186 bytes: still below
    EXPECT_FALSE(QFileInfo::exists(copyPath()));

    ASSERT_TRUE(testfiles::writeAll(logPath(), QByteArray(8191, 'x')));
    writeLogLine("%s", "123456789");   // ten bytes with the line end
    EXPECT_EQ(QFileInfo(logPath()).size(), 8201);
    EXPECT_EQ(testfiles::readAll(copyPath()), log());

    writeLogLine("%s", "again");
    EXPECT_EQ(QFileInfo(logPath()).size(), 8207) << "the log is never shortened";
    EXPECT_EQ(testfiles::readAll(copyPath()), log()) << "every further line makes the copy again";
}

TEST_F(LogWriter, ASymbolicLinkAtTheLogPathIsNotFollowed)
{
    const QString victim = m_dir.path() + QStringLiteral("/victim.txt");
    ASSERT_TRUE(testfiles::writeAll(victim, "untouched"));
    ASSERT_TRUE(QFile::link(victim, logPath()));
    writeLogLine("%s", "should not land");
    EXPECT_EQ(testfiles::readAll(victim), QByteArray("untouched"));
}

TEST_F(LogWriter, OnlyThisUsersOwnRegularFileGetsLines)
{
    // A pipe with a reader: opening it would not wait, the line would go in.
    const QByteArray native = QFile::encodeName(logPath());
    ASSERT_EQ(::mkfifo(native.constData(), 0600), 0);
    const int reader = ::open(native.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    writeLogLine("%s", "not for a pipe");
    char buffer[64];
    EXPECT_LE(::read(reader, buffer, sizeof buffer), 0);
    ::close(reader);

    // Another user's file: only the superuser can make one.
    if (::geteuid() == 0) {
        ASSERT_TRUE(QFile::remove(logPath()));
        ASSERT_TRUE(testfiles::writeAll(logPath(), "theirs"));
        ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
        writeLogLine("%s", "not for them");
        EXPECT_EQ(log(), QByteArray("theirs"));
    }
}

TEST_F(LogWriter, ANameTakenInTheTemporaryFolderSendsTheLogToThePrivateFolder)
{
    // Anyone may put something at the shared name before the program runs.
    const QString theirs = m_dir.path() + QStringLiteral("/theirs.txt");
    ASSERT_TRUE(testfiles::writeAll(theirs, "untouched"));
    ASSERT_TRUE(QFile::link(theirs, logPath()));
    writeLogLine("%s", "kept");
    EXPECT_EQ(testfiles::readAll(privateLogPath()), QByteArray("kept\n"));
    EXPECT_EQ(testfiles::readAll(theirs), QByteArray("untouched"));

    // Its copy is made beside it.
    ASSERT_TRUE(testfiles::writeAll(privateLogPath(), QByteArray(8191, 'x')));
    writeLogLine("%s", "123456789");
    EXPECT_EQ(testfiles::readAll(copyOf(privateLogPath())), testfiles::readAll(privateLogPath()));
}

TEST_F(LogWriter, AFileWithAnotherNameIsNeverWrittenThroughTheLogsNames)
{
    const QString notes = m_dir.path() + QStringLiteral("/notes.txt");
    ASSERT_TRUE(testfiles::writeAll(notes, "my notes"));
    ASSERT_EQ(::link(QFile::encodeName(notes).constData(), QFile::encodeName(logPath()).constData()), 0);
    writeLogLine("%s", "elsewhere");
    EXPECT_EQ(testfiles::readAll(notes), QByteArray("my notes"));
    EXPECT_EQ(testfiles::readAll(privateLogPath()), QByteArray("elsewhere\n"));

    // Nor through the copy's name once a log is long enough to be copied.
    ASSERT_TRUE(QFile::remove(logPath()));
    ASSERT_TRUE(testfiles::writeAll(logPath(), QByteArray(8191, 'x')));
    ASSERT_EQ(::link(QFile::encodeName(notes).constData(), QFile::encodeName(copyPath()).constData()), 0);
    writeLogLine("%s", "123456789");
    EXPECT_EQ(testfiles::readAll(notes), QByteArray("my notes"));
    EXPECT_EQ(testfiles::readAll(copyPath()), log());
}

} // namespace
