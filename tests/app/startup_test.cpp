// Start-up of the real program, run as a separate process: what it writes to
// standard output, its current folder, a second instance, and a command line
// that is answered without a window.
#include "platform/vuframe0/vuapplication.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

const QByteArray kCloseSplash("command:close splash screen");
const int kWaitMs = 60000;

QString programPath()
{
    return QStringLiteral(QUIREFLOW_PROGRAM_PATH);
}

// An instance id of its own, so that test programs run in parallel never
// take each other for a running instance.
QString freshInstanceId()
{
    return QStringLiteral("startup-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// withDisplay false: as on a machine without any display, none named.
void prepare(QProcess& process, const QString& instanceId, bool withDisplay = true)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUIREFLOW_INSTANCE_ID"), instanceId);
    if (!withDisplay) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
    }
    process.setProcessEnvironment(env);
}

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
};

// Runs the program to its end.
ProgramRun runToEnd(const QStringList& arguments, const QString& instanceId, bool withDisplay = true)
{
    QProcess process;
    prepare(process, instanceId, withDisplay);
    process.start(programPath(), arguments);
    ProgramRun run;
    if (!process.waitForFinished(kWaitMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    return run;
}

// The program with its window up: started, and waited for until it has
// written the close-splash text (or ended, or the wait ran out). Killed at
// the end of the test.
class RunningProgram {
public:
    RunningProgram(const QString& instanceId, const QString& workingFolder = QString(),
                   const QStringList& arguments = QStringList())
    {
        prepare(m_process, instanceId);
        if (!workingFolder.isEmpty())
            m_process.setWorkingDirectory(workingFolder);
        m_process.start(programPath(), arguments);
        QElapsedTimer waited;
        waited.start();
        while (m_process.state() != QProcess::NotRunning && m_out.size() < kCloseSplash.size()
               && waited.elapsed() < kWaitMs) {
            m_process.waitForReadyRead(1000);
            m_out += m_process.readAllStandardOutput();
        }
    }
    ~RunningProgram()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    QByteArray outputSoFar() const { return m_out; }

    // Everything it wrote, after ending it.
    QByteArray killAndCollect()
    {
        m_process.kill();
        m_process.waitForFinished();
        return m_out + m_process.readAllStandardOutput();
    }

private:
    QProcess m_process;
    QByteArray m_out;
};

TEST(StartUp, WritesOnlyTheCloseSplashTextOnceTheWindowIsUp)
{
    RunningProgram program(freshInstanceId());
    ASSERT_TRUE(program.isRunning());
    EXPECT_EQ(program.outputSoFar(), kCloseSplash);
    // The event loop runs; nothing follows the text, not even a line end.
    EXPECT_TRUE(program.isRunning());
    EXPECT_EQ(program.killAndCollect(), kCloseSplash);
}

TEST(StartUp, InstallationFolderBecomesTheCurrentFolder)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    RunningProgram program(freshInstanceId(), elsewhere.path());
    ASSERT_TRUE(program.isRunning());
    ASSERT_EQ(program.outputSoFar(), kCloseSplash);

    const QString cwd =
        QFileInfo(QStringLiteral("/proc/%1/cwd").arg(program.pid())).symLinkTarget();
    EXPECT_EQ(cwd, QFileInfo(programPath()).canonicalPath());
    EXPECT_TRUE(QFileInfo(cwd + QStringLiteral("/epubTemplate")).isDir());
}

TEST(StartUp, SecondInstanceLeavesQuietly)
{
    const QString id = freshInstanceId();
    RunningProgram first(id);
    ASSERT_EQ(first.outputSoFar(), kCloseSplash);

    const ProgramRun second = runToEnd(QStringList(), id);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.out.isEmpty()) << second.out.constData();
    // The first one goes on.
    EXPECT_TRUE(first.isRunning());

    // Another id is another program.
    RunningProgram other(freshInstanceId());
    EXPECT_EQ(other.outputSoFar(), kCloseSplash);
}

TEST(StartUp, HandledCommandLineEndsBeforeAnyWindow)
{
    const ProgramRun version = runToEnd({QStringLiteral("--version")}, freshInstanceId());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, VuApplication::versionText().toUtf8());
    EXPECT_FALSE(version.out.contains(kCloseSplash));

    const ProgramRun help = runToEnd({QStringLiteral("--help")}, freshInstanceId());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, VuApplication::helpText().toUtf8());

    // The command line is answered even while an instance runs.
    const QString id = freshInstanceId();
    RunningProgram running(id);
    ASSERT_EQ(running.outputSoFar(), kCloseSplash);
    const ProgramRun again = runToEnd({QStringLiteral("--version")}, id);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, version.out);
}

// Qt's own options and their values are no unknown options.
TEST(StartUp, TheCommandLineIsAnsweredWithoutADisplay)
{
    const struct {
        QStringList arguments;
        int exitCode;
        QString out;
    } lines[] = {
        { { QStringLiteral("-h") }, 0, VuApplication::helpText() },
        { { QStringLiteral("-reverse"), QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("-v") },
          0, VuApplication::versionText() },
        { { QStringLiteral("--bogus") }, 2, QString() },
    };
    for (const auto& line : lines) {
        for (const bool withDisplay : { false, true }) {
            const ProgramRun run = runToEnd(line.arguments, freshInstanceId(), withDisplay);
            EXPECT_EQ(run.exitCode, line.exitCode) << qPrintable(line.arguments.join(QLatin1Char(' ')));
            EXPECT_EQ(run.out, line.out.toUtf8());
        }
    }
}

// "--" ends the options: what follows are files, even words that Qt or the
// program would take as options.
TEST(StartUp, WordsAfterTwoDashesAreNoOptions)
{
    RunningProgram running(freshInstanceId(), QString(),
                           {QStringLiteral("--"), QStringLiteral("-platform"), QStringLiteral("none"),
                            QStringLiteral("--bogus"), QStringLiteral("-h")});
    EXPECT_EQ(running.outputSoFar(), kCloseSplash);
    EXPECT_TRUE(running.isRunning());
}

} // namespace
