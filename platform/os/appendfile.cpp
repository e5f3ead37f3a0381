#include "platform/os/appendfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Another user may have put anything at a name in a shared folder.
bool isOwnSingleFile(int descriptor)
{
    struct stat status;
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
        && status.st_nlink == 1;
}

bool writeAll(int descriptor, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(descriptor, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}

} // namespace

int openAppendNoFollow(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    // Non-blocking: opening a pipe must never wait for its other end.
    const int descriptor =
        ::open(native.constData(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return -1;
    if (!isOwnSingleFile(descriptor)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

bool replaceNoFollow(const QString& path, const QByteArray& bytes)
{
    const QByteArray native = QFile::encodeName(path);
    ::unlink(native.constData());
    // Only a file made here and now: whatever took the name in between,
    // a hard link to another file included, is never truncated.
    const int descriptor =
        ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    const bool written = writeAll(descriptor, bytes);
    ::close(descriptor);
    return written;
}
