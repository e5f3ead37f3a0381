#include "platform/os/privatefolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

QString userTempFolderPath(const QString& key)
{
    // QDir::tempPath() is empty when TMPDIR names no existing folder; the
    // name would then be made in the root folder.
    const QString systemTemp = QDir::tempPath();
    if (systemTemp.isEmpty())
        return QString();
    return systemTemp + QLatin1Char('/') + key + QLatin1Char('-') + QString::number(::getuid());
}

bool isPrivateFolder(const QString& path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0077) == 0;
}

// A symbolic link is never accepted, so files cannot be steered into a
// folder someone else chose.
bool ensurePrivateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0) {
        if (errno != ENOENT)
            return false;
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (::lstat(native.constData(), &st) != 0)
            return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return false;
    return true;
}
