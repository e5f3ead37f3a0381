#include "convert/logwriter.h"

#include "platform/os/appendfile.h"
#include "platform/os/modulepath.h"
#include "platform/os/privatefolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr int kBufferSize = 1024;
constexpr qint64 kCopyThreshold = 8192;

// Drops a UTF-8 sequence that the cut at the end of the buffer left unfinished.
int completeUtf8Length(const char* text, int length)
{
    int start = length;
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return length;
    const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
    int needed = 1;
    if ((lead & 0xE0) == 0xC0)
        needed = 2;
    else if ((lead & 0xF0) == 0xE0)
        needed = 3;
    else if ((lead & 0xF8) == 0xF0)
        needed = 4;
    const int have = length - (start - 1);
    return have < needed ? start - 1 : length;
}

// The copy's path: the log path with its last "1" turned into "2".
QString copyPathOf(const QString& logPath)
{
    QString copy = logPath;
    const int one = copy.lastIndexOf(QLatin1Char('1'));
    if (one >= 0)
        copy[one] = QLatin1Char('2');
    return copy;
}

// The same file name in this user's private temporary folder, made when
// missing; empty when there is no such folder.
QString privatePathOf(const QString& sharedPath)
{
    const QString folder = userTempFolderPath(QLatin1String(kProductKey));
    if (folder.isEmpty() || !ensurePrivateFolder(folder))
        return QString();
    return folder + sharedPath.mid(sharedPath.lastIndexOf(QLatin1Char('/')));
}

// Anyone may take a name in the shared temporary folder first: a name that
// is not this user's own file sends the lines to the private folder, where
// nobody else can put anything.
int openLog(const QString& sharedPath, QString* usedPath)
{
    *usedPath = sharedPath;
    int fd = openAppendNoFollow(sharedPath);
    if (fd < 0) {
        *usedPath = privatePathOf(sharedPath);
        fd = usedPath->isEmpty() ? -1 : openAppendNoFollow(*usedPath);
    }
    return fd;
}

void replaceCopy(const QString& logPath, const QByteArray& bytes)
{
    const QString copyPath = copyPathOf(logPath);
    if (!replaceNoFollow(copyPath, bytes)) {
        const QString privatePath = privatePathOf(copyPath);
        if (!privatePath.isEmpty() && privatePath != copyPath)
            replaceNoFollow(privatePath, bytes);
    }
}

void appendToLog(const QString& text)
{
    const QString sharedPath = logFilePath();
    if (sharedPath.isEmpty())
        return;
    QString logPath;
    const int fd = openLog(sharedPath, &logPath);
    if (fd < 0)
        return;
    QFile file;
    if (!file.open(fd, QIODevice::ReadWrite | QIODevice::Append, QFileDevice::AutoCloseHandle))
        return;
    writeToDevice(&file, text + QLatin1Char('\n'));
    file.flush();
    if (file.size() >= kCopyThreshold && file.seek(0)) {
        // Copied from the file just checked, never from whatever the name
        // may lead to by now.
        replaceCopy(logPath, file.readAll());
    }
}

} // namespace

void writeLogLine(const char* format, ...)
{
    char buffer[kBufferSize] = {};
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (written < 0)
        return;
    int length = qMin(written, kBufferSize - 1);
    if (written > length)
        length = completeUtf8Length(buffer, length);
    appendToLog(QString::fromUtf8(buffer, length));
}

void writeLogSite(const char* source, int line, const char* function)
{
    const int lastError = errno;
    const QByteArray time =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")).toLatin1();
    writeLogLine("%s(%d): in %s : %s %08x", source, line, function, time.constData(),
                 static_cast<unsigned>(lastError));
}

void writeLogEntry(const char* source, int line, const char* function)
{
    writeLogSite(source, line, function);
    writeLogLine("%s", "");
}

QString logFilePath()
{
    const QString module = moduleFilePath();
    const int slash = module.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return QString();
    const QString name = module.mid(slash);
    if (name.size() <= 1)
        return QString();
    return QDir::tempPath() + name + QStringLiteral(".1.log");
}

bool writeToDevice(QIODevice* device, const QString& text)
{
    QTextStream stream(device);
    stream << text;
    stream.flush();
    return true;
}
