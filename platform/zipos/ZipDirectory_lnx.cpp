// Directories held by descriptor: openat with O_NOFOLLOW from a directory
// already open, never a path resolved again.
#include "ZipPlatform.h"


#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZipPlatform {

namespace {

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// A trailing '/' would make the system follow a link at the last name.
QByteArray nativePath(const QString& path)
{
    return fileNameToBytes(path.isEmpty() ? QStringLiteral(".") : removeTrailingPathSeparators(path));
}

int openDirectoryAt(int parent, const QByteArray& name, bool followLink)
{
    int descriptor;
    do {
        descriptor = ::openat(parent, name.constData(), kDirectoryFlags | (followLink ? 0 : O_NOFOLLOW));
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

CDirectory::CIdentity identityFrom(const struct stat& status)
{
    CDirectory::CIdentity identity;
    identity.device = static_cast<quint64>(status.st_dev);
    identity.inode = static_cast<quint64>(status.st_ino);
    return identity;
}

} // namespace

CDirectory::CDirectory(int descriptor)
    : m_descriptor(descriptor)
{
}

CDirectory::~CDirectory()
{
    // A directory given up after a failure leaves that failure's error.
    const int error = errno;
    ::close(m_descriptor);
    errno = error;
}

std::unique_ptr<CDirectory> CDirectory::open(const QString& path, bool followLink)
{
    const int descriptor = openDirectoryAt(AT_FDCWD, nativePath(path), followLink);
    if (descriptor < 0)
        return nullptr;
    return std::unique_ptr<CDirectory>(new CDirectory(descriptor));
}

std::unique_ptr<CDirectory> CDirectory::openChild(const QByteArray& name) const
{
    const int descriptor = openDirectoryAt(m_descriptor, name, false);
    if (descriptor < 0)
        return nullptr;
    return std::unique_ptr<CDirectory>(new CDirectory(descriptor));
}

std::unique_ptr<CDirectory> CDirectory::duplicate() const
{
    const int descriptor = ::fcntl(m_descriptor, F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0)
        return nullptr;
    return std::unique_ptr<CDirectory>(new CDirectory(descriptor));
}

int CDirectory::openFile(const QByteArray& name, bool followLink) const
{
    // Non-blocking: a pipe put in a file's place must not stop the walk.
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int descriptor;
    do {
        descriptor = ::openat(m_descriptor, name.constData(), flags);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return -1;
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        errno = EINVAL;
        return -1;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

bool CDirectory::holds(const QByteArray& name, const CIdentity& identity) const
{
    struct stat status;
    return ::fstatat(m_descriptor, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
        && identityFrom(status) == identity;
}

CDirectory::CIdentity CDirectory::identity() const
{
    return identityOf(m_descriptor);
}

CDirectory::CIdentity CDirectory::identityOf(int descriptor)
{
    struct stat status;
    if (::fstat(descriptor, &status) != 0)
        return CIdentity();
    return identityFrom(status);
}

int CDirectory::maxNameLength() const
{
    const long limit = ::fpathconf(m_descriptor, _PC_NAME_MAX);
    return limit > 0 ? int(limit) : 255;
}

} // namespace ZipPlatform
