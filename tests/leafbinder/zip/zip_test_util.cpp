#include "zip_test_util.h"

#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

namespace ziptest {

namespace {

quint32 next(quint32& state)
{
    state = state * 1664525u + 1013904223u;
    return state;
}

} // namespace

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = seed;
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(next(state) >> 24);
    return bytes;
}

QByteArray compressibleBytes(int size, quint32 seed)
{
    static const char* const words[] = {"page", "chapter", "the", "book", "of", "quiet", "letters", "and",
                                        "paper", "river", "<p class=\"t1\">", "</p>\n", "a", "leaf", "binder"};
    const int wordCount = int(sizeof words / sizeof *words);
    QByteArray bytes;
    bytes.reserve(size + 32);
    quint32 state = seed;
    while (bytes.size() < size) {
        bytes += words[(next(state) >> 16) % wordCount];
        bytes += ' ';
    }
    bytes.truncate(size);
    return bytes;
}

bool setModificationTime(const QString& path, qint64 time)
{
    struct timespec times[2];
    times[0].tv_sec = time;
    times[0].tv_nsec = 0;
    times[1].tv_sec = time;
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

bool makeFile(const QString& path, const QByteArray& bytes, qint64 time)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!testfiles::writeAll(path, bytes))
        return false;
    return time < 0 || setModificationTime(path, time);
}

QString outsideReadersComplaints(const QString& zipPath)
{
    struct Check {
        QString program;
        QStringList arguments;
        QString success;
    };
    const Check checks[] = {
        {QStringLiteral("unzip"), {QStringLiteral("-t"), zipPath}, QStringLiteral("No errors detected")},
        {QStringLiteral("zipinfo"), {zipPath}, QString()},
        {QStringLiteral("python3"), {QStringLiteral("-m"), QStringLiteral("zipfile"), QStringLiteral("-t"), zipPath},
         QStringLiteral("Done testing")},
        {QStringLiteral("7z"), {QStringLiteral("t"), zipPath}, QStringLiteral("Everything is Ok")},
    };
    QString complaints;
    for (const Check& check : checks) {
        if (!testfiles::haveProgram(check.program)) {
            complaints += check.program + QStringLiteral(" is not installed\n");
            continue;
        }
        QString output;
        const int code = testfiles::runProgram(check.program, check.arguments, &output);
        if (code != 0 || (!check.success.isEmpty() && !output.contains(check.success))
            || output.contains(QLatin1String("corrupt"), Qt::CaseInsensitive))
            complaints += QStringLiteral("%1 (exit %2):\n%3\n").arg(check.program).arg(code).arg(output);
    }
    return complaints;
}

QString extractWithUnzip(const QString& zipPath, const QString& folder)
{
    QString output;
    const int code = testfiles::runProgram(QStringLiteral("unzip"),
                                           {QStringLiteral("-qq"), QStringLiteral("-o"), zipPath,
                                            QStringLiteral("-d"), folder},
                                           &output);
    return code == 0 ? QString() : QStringLiteral("unzip exit %1: %2").arg(code).arg(output);
}

QString runIn(const QString& folder, const QString& program, const QStringList& arguments)
{
    if (!testfiles::haveProgram(program))
        return program + QStringLiteral(" is not installed");
    const testfiles::CurrentDir current(folder);
    QString output;
    const int code = testfiles::runProgram(program, arguments, &output);
    return code == 0 ? QString() : QStringLiteral("%1 exit %2: %3").arg(program).arg(code).arg(output);
}

} // namespace ziptest
