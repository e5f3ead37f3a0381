#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testfiles {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QStringList listFiles(const QString& folder)
{
    QStringList files;
    const QDir base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << base.relativeFilePath(it.next());
    files.sort();
    return files;
}

int runProgram(const QString& program, const QStringList& arguments, QString* output, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return -1;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool haveProgram(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

CurrentDir::CurrentDir(const QString& folder)
    : m_previous(QDir::currentPath())
{
    QDir::setCurrent(folder);
}

CurrentDir::~CurrentDir()
{
    QDir::setCurrent(m_previous);
}

Fifo::Fifo(const QString& path)
    : m_path(QFile::encodeName(path))
{
    m_valid = ::mkfifo(m_path.constData(), 0600) == 0;
    if (m_valid)
        m_writer = std::thread(&Fifo::serveWriters, this);
}

// Each open for writing returns once a reader opens the pipe.
void Fifo::serveWriters()
{
    while (!m_closing) {
        const int fd = ::open(m_path.constData(), O_WRONLY | O_CLOEXEC);
        if (!m_closing && fd >= 0)
            m_opened = true;
        if (fd >= 0)
            ::close(fd);
    }
}

// A reader of our own lets the waiting writer go.
Fifo::~Fifo()
{
    if (!m_valid)
        return;
    m_closing = true;
    const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    m_writer.join();
    if (fd >= 0)
        ::close(fd);
    ::unlink(m_path.constData());
}

} // namespace testfiles
