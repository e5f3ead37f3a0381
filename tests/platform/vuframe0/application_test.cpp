#include "platform/vuframe0/qtsingleapplication.h"
#include "platform/vuframe0/vuapplication.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuproduct.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString probePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vuframe0_probe");
}

// An instance id of its own, so that test programs run in parallel never
// meet.
QString freshInstanceId()
{
    return QStringLiteral("vuframe0-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// With tmpDir given, the probe runs with that temporary folder and without a
// session runtime folder, so the lock lies in the home folder.
void prepare(QProcess& process, const QString& instanceId, const QString& tmpDir = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUIREFLOW_INSTANCE_ID"), instanceId);
    if (!tmpDir.isEmpty()) {
        env.insert(QStringLiteral("TMPDIR"), tmpDir);
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    }
    process.setProcessEnvironment(env);
}

struct ProbeRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProbeRun runProbe(const QStringList& arguments, const QString& instanceId = freshInstanceId(),
                  const QString& tmpDir = QString())
{
    QProcess process;
    prepare(process, instanceId, tmpDir);
    process.start(probePath(), arguments);
    // A probe that wrongly becomes the primary instance ends at once.
    process.closeWriteChannel();
    ProbeRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A probe that holds the instance id until its standard input closes.
class PrimaryInstance {
public:
    explicit PrimaryInstance(const QString& instanceId, const QString& tmpDir = QString())
    {
        prepare(m_process, instanceId, tmpDir);
        m_process.start(probePath(), { QStringLiteral("instance") });
        QElapsedTimer waited;
        waited.start();
        while (m_process.state() != QProcess::NotRunning && !m_process.canReadLine()
               && waited.elapsed() < 60000)
            m_process.waitForReadyRead(1000);
        m_firstLine = m_process.readLine();
    }
    ~PrimaryInstance() { kill(); }

    QByteArray firstLine() const { return m_firstLine; }

    int finish()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(60000);
        return m_process.exitCode();
    }
    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
    QByteArray m_firstLine;
};

TEST(CommandLine, HelpAndVersionAreHandled)
{
    ProbeRun help = runProbe({ QStringLiteral("cmdline"), QStringLiteral("-h") });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, VuApplication::helpText().toUtf8());
    EXPECT_TRUE(help.out.startsWith("Usage: "));

    ProbeRun version = runProbe({ QStringLiteral("cmdline"), QStringLiteral("--version") });
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QByteArray("quireflow ")
                  + VuProduct::productInfo(QStringLiteral("PRODUCT_VERSION")).toUtf8() + "\n");

    ProbeRun mixed = runProbe({ QStringLiteral("cmdline"), QStringLiteral("book.pdf"), QStringLiteral("-v") });
    EXPECT_EQ(mixed.exitCode, 0);
    EXPECT_EQ(mixed.out, version.out);
}

TEST(CommandLine, AnUnknownOptionGivesTheUsageLineAndStatusTwo)
{
    for (const QString& option : { QStringLiteral("--verbose"), QStringLiteral("-help"),
                                   QStringLiteral("--version=2"), QStringLiteral("-") }) {
        ProbeRun run = runProbe({ QStringLiteral("cmdline"), option, QStringLiteral("--help") });
        EXPECT_EQ(run.exitCode, 2) << qPrintable(option);
        EXPECT_TRUE(run.out.isEmpty()) << qPrintable(option);
        EXPECT_TRUE(run.err.endsWith(VuApplication::usageLine().toUtf8())) << run.err.constData();
    }
}

TEST(CommandLine, AnythingElseStartsTheProgram)
{
    // "--" ends the options: the words after it are files.
    for (const QStringList& line : { QStringList(), QStringList{ QStringLiteral("book.pdf") },
                                     QStringList{ QStringLiteral("--"), QStringLiteral("-h"), QStringLiteral("--x") } }) {
        QStringList arguments { QStringLiteral("cmdline") };
        arguments << line;
        ProbeRun run = runProbe(arguments);
        EXPECT_EQ(run.exitCode, 3) << qPrintable(line.join(QLatin1Char(' ')));
        EXPECT_EQ(run.out, QByteArray("started\n"));
    }
}

TEST(SingleInstance, SecondProcessWithTheSameIdIsRefused)
{
    const QString id = freshInstanceId();
    PrimaryInstance first(id);
    ASSERT_EQ(first.firstLine(), QByteArray("primary\n"));

    ProbeRun second = runProbe({ QStringLiteral("instance") }, id);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, QByteArray("running\n"));

    // Another id is another program.
    PrimaryInstance other(freshInstanceId());
    EXPECT_EQ(other.firstLine(), QByteArray("primary\n"));
    EXPECT_EQ(other.finish(), 0);

    // Once the first has ended, the id is free again.
    EXPECT_EQ(first.finish(), 0);
    PrimaryInstance third(id);
    EXPECT_EQ(third.firstLine(), QByteArray("primary\n"));
}

TEST(SingleInstance, LockOfAKilledInstanceIsTakenOver)
{
    const QString id = freshInstanceId();
    {
        PrimaryInstance crashed(id);
        ASSERT_EQ(crashed.firstLine(), QByteArray("primary\n"));
        crashed.kill();
    }
    PrimaryInstance next(id);
    EXPECT_EQ(next.firstLine(), QByteArray("primary\n"));
}

TEST(SingleInstance, AnotherTemporaryFolderDoesNotAllowASecondInstance)
{
    const QString id = freshInstanceId();
    QTemporaryDir firstTmp;
    QTemporaryDir secondTmp;
    PrimaryInstance first(id, firstTmp.path());
    ASSERT_EQ(first.firstLine(), QByteArray("primary\n"));
    EXPECT_EQ(runProbe({ QStringLiteral("instance") }, id, secondTmp.path()).out, QByteArray("running\n"));
}

// Another user got to the temporary folder's usual name first.
TEST(SingleInstance, APlantedTemporaryFolderDoesNotAllowASecondInstance)
{
    const QString id = freshInstanceId();
    QTemporaryDir tmp;
    QTemporaryDir planted;
    ASSERT_TRUE(QFile::link(planted.path(), tmp.filePath(VuPref::product_key() + QLatin1Char('-')
                                                          + QString::number(::getuid()))));
    PrimaryInstance first(id, tmp.path());
    ASSERT_EQ(first.firstLine(), QByteArray("primary\n"));
    EXPECT_EQ(runProbe({ QStringLiteral("instance") }, id, tmp.path()).out, QByteArray("running\n"));
}

// A runtime folder that others may enter could be someone else's.
TEST(SingleInstance, RuntimeFolderHoldsTheLockOnlyWhenPrivate)
{
    QTemporaryDir runtime;
    const QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString privatePath = QtSingleApplication::lockFilePath(freshInstanceId());
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0777);
    const QString openPath = QtSingleApplication::lockFilePath(freshInstanceId());
    if (previous.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", previous);
    EXPECT_TRUE(privatePath.startsWith(runtime.path() + QLatin1Char('/'))) << privatePath.toStdString();
    EXPECT_FALSE(openPath.isEmpty());
    EXPECT_FALSE(openPath.startsWith(runtime.path())) << openPath.toStdString();
    EXPECT_TRUE(openPath.startsWith(QDir::homePath() + QLatin1Char('/'))) << openPath.toStdString();
}

TEST(SingleInstance, EnvironmentOverridesTheProductId)
{
    const QByteArray previous = qgetenv("QUIREFLOW_INSTANCE_ID");
    qunsetenv("QUIREFLOW_INSTANCE_ID");
    const QString productId = VuProduct::productInfo(QStringLiteral("SINGLETON_APP_ID"));
    qputenv("QUIREFLOW_INSTANCE_ID", "parallel-run-7");
    const QString overridden = productInfo(QStringLiteral("SINGLETON_APP_ID"));
    if (previous.isNull())
        qunsetenv("QUIREFLOW_INSTANCE_ID");
    else
        qputenv("QUIREFLOW_INSTANCE_ID", previous);
    EXPECT_FALSE(productId.isEmpty());
    EXPECT_EQ(overridden, QStringLiteral("parallel-run-7"));
    EXPECT_NE(QtSingleApplication::lockFilePath(productId),
              QtSingleApplication::lockFilePath(overridden));
}

TEST(Quitting, ClosedMessageBoxWithoutParentDoesNotEndTheProgram)
{
    ProbeRun run = runProbe({ QStringLiteral("box-closed") });
    EXPECT_EQ(run.out, QByteArray("alive\n"));
    EXPECT_EQ(run.exitCode, 7);
}

TEST(Quitting, QuitEndsTheLoopEvenWhenAWindowRefusesToClose)
{
    ProbeRun run = runProbe({ QStringLiteral("quit-refused") });
    EXPECT_EQ(run.out, QByteArray("ended\n"));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Quitting, ClosingTheFramedMainWindowEndsTheProgram)
{
    ProbeRun run = runProbe({ QStringLiteral("close-frame") });
    EXPECT_EQ(run.out, QByteArray("ended\n"));
    EXPECT_EQ(run.exitCode, 0);
}

} // namespace
