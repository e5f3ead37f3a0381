// Linux implementation of the ZIP engine's system layer: files on 64-bit
// descriptors, attributes and times from stat, temporary names, free space.
#include "ZipPlatform.h"

#include "ZipException.h"
#include "zipos_stat.h"

#include <QDir>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/random.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace ZipPlatform {

namespace {

QByteArray encodedPath(const QString& path)
{
    return fileNameToBytes(path);
}

// The CZipFile open-flag bits this layer understands.
constexpr int accessMask = 0x3;
constexpr int accessWrite = 0x1;
constexpr int accessReadWrite = 0x2;
constexpr int flagCreate = 0x1000;
constexpr int flagNoTruncate = 0x2000;

int systemOpenFlags(int openFlags)
{
    int flags = O_CLOEXEC;
    switch (openFlags & accessMask) {
    case accessWrite:
        flags |= O_WRONLY;
        break;
    case accessReadWrite:
        flags |= O_RDWR;
        break;
    default:
        flags |= O_RDONLY;
        break;
    }
    const int access = openFlags & accessMask;
    if (openFlags & flagCreate)
        flags |= O_CREAT;
    if ((access == accessWrite || access == accessReadWrite) && !(openFlags & flagNoTruncate))
        flags |= O_TRUNC;
    return flags;
}

bool statPath(const QString& path, struct stat& info)
{
    if (path.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    return ::stat(encodedPath(path).constData(), &info) == 0;
}

} // namespace

int openFile(const QString& path, int openFlags)
{
    if (path.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    const QByteArray native = encodedPath(path);
    int descriptor;
    do {
        descriptor = ::open(native.constData(), systemOpenFlags(openFlags), 0666);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

bool closeFile(int descriptor)
{
    // After close the descriptor is gone whatever the result, so no retry.
    return ::close(descriptor) == 0;
}

bool flushFile(int descriptor)
{
    return ::fdatasync(descriptor) == 0 || errno == EINVAL || errno == EROFS;
}

qint64 seekFile(int descriptor, qint64 offset, int origin)
{
    const int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
    return static_cast<qint64>(::lseek(descriptor, static_cast<off_t>(offset), whence));
}

qint64 fileLength(int descriptor)
{
    struct stat info;
    if (::fstat(descriptor, &info) != 0)
        return -1;
    return static_cast<qint64>(info.st_size);
}

bool setFileLength(int descriptor, quint64 length)
{
    if (length > static_cast<quint64>(LLONG_MAX)) {
        errno = EFBIG;
        return false;
    }
    int result;
    do {
        result = ::ftruncate(descriptor, static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

qint64 readFile(int descriptor, void* buffer, quint32 count)
{
    auto* bytes = static_cast<char*>(buffer);
    quint32 done = 0;
    while (done < count) {
        const ssize_t got = ::read(descriptor, bytes + done, count - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<quint32>(got);
    }
    return done;
}

qint64 writeFile(int descriptor, const void* buffer, quint32 count)
{
    const auto* bytes = static_cast<const char*>(buffer);
    quint32 done = 0;
    while (done < count) {
        const ssize_t put = ::write(descriptor, bytes + done, count - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (put == 0) {
            errno = ENOSPC;
            return -1;
        }
        done += static_cast<quint32>(put);
    }
    return done;
}

int lastError()
{
    return errno;
}

void setLastError(int error)
{
    errno = error;
}

bool getFileAttributes(const QString& path, quint32& attributes)
{
    struct stat info;
    if (!statPath(path, info))
        return false;
    attributes = attributesFromMode(info.st_mode);
    return true;
}

bool getFileModTime(const QString& path, qint64& time)
{
    struct stat info;
    if (statPath(path, info) && info.st_mtime > 0) {
        time = static_cast<qint64>(info.st_mtime);
        return true;
    }
    time = currentTime();
    return false;
}

bool setFileModTime(const QString& path, qint64 time)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(time);
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, encodedPath(path).constData(), times, 0) == 0;
}

int getPathKind(const QString& path)
{
    struct stat info;
    if (!statPath(path, info))
        return 0;
    return S_ISDIR(info.st_mode) ? -1 : 1;
}

bool removeFile(const QString& path, bool throwOnError)
{
    if (::unlink(encodedPath(path).constData()) == 0)
        return true;
    if (throwOnError)
        CZipException::throwZipException(CZipException::cannotDelete, path);
    return false;
}

bool renameFile(const QString& oldPath, const QString& newPath, bool throwOnError)
{
    if (::rename(encodedPath(oldPath).constData(), encodedPath(newPath).constData()) == 0)
        return true;
    if (throwOnError)
        CZipException::throwZipException(CZipException::cannotRename, oldPath);
    return false;
}

bool getCurrentDirectory(QString& directory)
{
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer))
        return false;
    directory = fileNameFromBytes(buffer);
    return true;
}

QString getSystemTempFolder()
{
    return QDir::tempPath();
}

QString getTemporaryFileName(const QString& folder, quint64 neededBytes)
{
    QString current;
    getCurrentDirectory(current);
    const QString candidates[] = {folder, getSystemTempFolder(), current};
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty() || getPathKind(candidate) != -1)
            continue;
        if (neededBytes > 0 && getFreeSpace(candidate) < neededBytes)
            continue;
        QByteArray pattern = encodedPath(removeTrailingPathSeparators(candidate) + QStringLiteral("/ZARXXXXXX"));
        const int descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (descriptor < 0)
            continue;
        ::close(descriptor);
        return fileNameFromBytes(pattern);
    }
    return QString();
}

bool isSameFile(const QString& first, const QString& second)
{
    struct stat a;
    struct stat b;
    if (!statPath(first, a) || !statPath(second, b))
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool getRandomBytes(void* buffer, quint32 count)
{
    auto* bytes = static_cast<char*>(buffer);
    quint32 done = 0;
    while (done < count) {
        const ssize_t got = ::getrandom(bytes + done, count - done, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<quint32>(got);
    }
    return true;
}

qint64 currentTime()
{
    return static_cast<qint64>(::time(nullptr));
}

bool toLocalTime(qint64 time, std::tm& local)
{
    const time_t value = static_cast<time_t>(time);
    return ::localtime_r(&value, &local) != nullptr;
}

qint64 fromLocalTime(std::tm& local)
{
    const time_t value = ::mktime(&local);
    return static_cast<qint64>(value);
}

// The default drive service.

CDriveService::~CDriveService() = default;

bool CDriveService::isRemovableDrive(const QString&)
{
    return false;
}

bool CDriveService::setVolumeLabel(const QString&, const QString&)
{
    return true;
}

quint64 CDriveService::getFreeSpace(const QString& path)
{
    // The path may name a file that does not exist yet: then ask its folder.
    QString probe = path;
    for (int attempt = 0; attempt < 2 && !probe.isEmpty(); ++attempt) {
        struct statvfs info;
        if (::statvfs(encodedPath(probe).constData(), &info) == 0)
            return static_cast<quint64>(info.f_bavail) * static_cast<quint64>(info.f_frsize);
        const int slash = probe.lastIndexOf(QLatin1Char('/'));
        probe = slash > 0 ? probe.left(slash) : slash == 0 ? QStringLiteral("/") : QStringLiteral(".");
    }
    return 0;
}

} // namespace ZipPlatform
