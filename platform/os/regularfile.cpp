#include "platform/os/regularfile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isRegular(const struct stat& info)
{
    return S_ISREG(info.st_mode);
}

// Reads on the descriptor wait for data again, as on any opened file.
bool makeBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

} // namespace

int openRegularFileForReading(const QString& path)
{
    const QByteArray nativePath = QFile::encodeName(path);
    struct stat info;
    if (nativePath.isEmpty() || ::stat(nativePath.constData(), &info) != 0 || !isRegular(info))
        return -1;
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !isRegular(info) || !makeBlocking(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool openRegularFile(QFile* file, const QString& path)
{
    const int fd = openRegularFileForReading(path);
    if (fd < 0)
        return false;
    if (file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}
