// Directories held by descriptor for the ZIP engine's walks: openat with
// O_NOFOLLOW from a directory already open, never a path resolved again.
#include "ZipPlatform.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZipPlatform {

namespace {

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A trailing '/' would make the system follow a link at the last name.
QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path.isEmpty() ? QStringLiteral(".") : removeTrailingPathSeparators(path));
}

int openDirectoryAt(int parent, const QByteArray& name)
{
    int descriptor;
    do {
        descriptor = ::openat(parent, name.constData(), kDirectoryFlags);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

} // namespace

CDirectory::CDirectory(int descriptor)
    : m_descriptor(descriptor)
{
}

CDirectory::~CDirectory()
{
    ::close(m_descriptor);
}

std::unique_ptr<CDirectory> CDirectory::open(const QString& path)
{
    const int descriptor = openDirectoryAt(AT_FDCWD, nativePath(path));
    if (descriptor < 0)
        return nullptr;
    return std::unique_ptr<CDirectory>(new CDirectory(descriptor));
}

std::unique_ptr<CDirectory> CDirectory::create(const QString& path)
{
    const QByteArray native = nativePath(path);
    if (::mkdir(native.constData(), 0777) != 0)
        return nullptr;
    std::unique_ptr<CDirectory> directory = open(path);
    // Between the two calls another user may have put a folder of their own
    // in its place.
    struct stat status;
    if (directory && (::fstat(directory->m_descriptor, &status) != 0 || status.st_uid != ::geteuid())) {
        errno = EEXIST;
        return nullptr;
    }
    return directory;
}

std::unique_ptr<CDirectory> CDirectory::openChild(const QString& name) const
{
    const int descriptor = openDirectoryAt(m_descriptor, QFile::encodeName(name));
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

int CDirectory::openFile(const QString& name, bool followLink) const
{
    // Non-blocking: a pipe put in a file's place must not stop the walk.
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int descriptor;
    do {
        descriptor = ::openat(m_descriptor, QFile::encodeName(name).constData(), flags);
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

bool CDirectory::isSame(const CDirectory& other) const
{
    struct stat mine;
    struct stat theirs;
    return ::fstat(m_descriptor, &mine) == 0 && ::fstat(other.m_descriptor, &theirs) == 0
        && mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

} // namespace ZipPlatform
