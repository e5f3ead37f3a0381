#include "platform/os/regularfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::function<void(const QString&)>& openedHook()
{
    static std::function<void(const QString&)> hook;
    return hook;
}

std::shared_ptr<const RegularFile> refuse(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return nullptr;
}

} // namespace

RegularFile::RegularFile(int descriptor)
    : m_descriptor(descriptor)
{
}

RegularFile::~RegularFile()
{
    ::close(m_descriptor);
}

std::shared_ptr<const RegularFile> RegularFile::open(const QString& path, QString* why)
{
    const QByteArray native = QFile::encodeName(path);
    const QString notRegular = QStringLiteral("not a regular file");
    // What already stands at the path as a pipe or a device is not even
    // opened (opening some devices does something); the descriptor decides.
    struct stat status;
    if (native.isEmpty() || ::stat(native.constData(), &status) != 0)
        return refuse(why, QString::fromLocal8Bit(std::strerror(native.isEmpty() ? ENOENT : errno)));
    if (!S_ISREG(status.st_mode))
        return refuse(why, notRegular);
    // Without waiting: a pipe put at the path since would hold the opening
    // until somebody writes to it, which may be never.
    int descriptor;
    do {
        descriptor = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return refuse(why, QString::fromLocal8Bit(std::strerror(errno)));
    std::shared_ptr<const RegularFile> file(new RegularFile(descriptor));
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return refuse(why, notRegular);
    // A regular file after all: reads wait for its data again, as a file
    // system that passes the flag on (a network or user-space one) could
    // otherwise answer a read with "try again".
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return refuse(why, QString::fromLocal8Bit(std::strerror(errno)));
    if (openedHook())
        openedHook()(path);
    return file;
}

qint64 RegularFile::size() const
{
    struct stat status;
    return ::fstat(m_descriptor, &status) == 0 ? static_cast<qint64>(status.st_size) : -1;
}

qint64 RegularFile::readAt(qint64 offset, char* buffer, qint64 count) const
{
    ssize_t got;
    do {
        got = ::pread(m_descriptor, buffer, static_cast<size_t>(count), static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got;
}

void RegularFile::setOpenedHook(std::function<void(const QString&)> hook)
{
    openedHook() = std::move(hook);
}
