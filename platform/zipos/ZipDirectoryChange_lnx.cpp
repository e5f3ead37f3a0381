// Changes inside a directory held by descriptor: new entries are made only
// where nothing is, with O_EXCL and O_NOFOLLOW, and nothing is ever replaced
// or reached through a link.
#include "ZipPlatform.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZipPlatform {

namespace {

constexpr int kUniqueAttempts = 100;

QByteArray randomLetters()
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char random[6];
    if (!getRandomBytes(random, sizeof random))
        return QByteArray();
    QByteArray letters;
    for (unsigned char value : random)
        letters += alphabet[value % (sizeof alphabet - 1)];
    return letters;
}

bool renameNoReplace(int from, const QByteArray& name, int to, const QByteArray& newName, bool& linked)
{
    linked = false;
    if (::renameat2(from, name.constData(), to, newName.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system without the no-replace rename (NFS): a second name,
    // which is just as refused when taken; the first goes afterwards.
    linked = ::linkat(from, name.constData(), to, newName.constData(), 0) == 0;
    return linked;
}

} // namespace

std::unique_ptr<CDirectory> CDirectory::createChild(const QByteArray& name) const
{
    if (::mkdirat(m_descriptor, name.constData(), 0700) != 0)
        return nullptr;
    // Made just now with an exclusive mkdir: what opens here without
    // following a link is this directory, whatever owner the file system
    // reports for it.
    return openChild(name);
}

int CDirectory::createFile(const QByteArray& name) const
{
    int descriptor;
    do {
        descriptor = ::openat(m_descriptor, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              0666);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

int CDirectory::createUniqueFile(const QString& prefix, const QString& suffix, QByteArray& name) const
{
    for (int attempt = 0; attempt < kUniqueAttempts; ++attempt) {
        const QByteArray letters = randomLetters();
        if (letters.isEmpty())
            return -1;
        name = prefix.toUtf8() + letters + suffix.toUtf8();
        const int descriptor = createFile(name);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    return -1;
}

bool CDirectory::removeFile(const QByteArray& name) const
{
    return ::unlinkat(m_descriptor, name.constData(), 0) == 0;
}

bool CDirectory::removeDirectory(const QByteArray& name) const
{
    return ::unlinkat(m_descriptor, name.constData(), AT_REMOVEDIR) == 0;
}

bool CDirectory::removeContents() const
{
    const int listing = ::fcntl(m_descriptor, F_DUPFD_CLOEXEC, 0);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        return false;
    }
    ::rewinddir(dir);
    bool removed = true;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat status;
        if (::fstatat(m_descriptor, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;   // gone already
        if (!S_ISDIR(status.st_mode)) {
            removed = removeFile(name) && removed;
            continue;
        }
        const std::unique_ptr<CDirectory> child = openChild(name);
        removed = child && child->removeContents() && removeDirectory(name) && removed;
    }
    ::closedir(dir);
    return removed;
}

bool CDirectory::moveFile(const QByteArray& name, int descriptor, const CDirectory& target,
                          const QByteArray& newName) const
{
    const CIdentity own = identityOf(descriptor);
    if (own == CIdentity() || !holds(name, own)) {
        errno = ESTALE;
        return false;
    }
    bool linked = false;
    if (!renameNoReplace(m_descriptor, name, target.m_descriptor, newName, linked))
        return false;
    if (!target.holds(newName, own)) {
        // Someone put another file at name in the moment between: it goes
        // back where it was, and nothing of ours is at newName.
        if (linked) {
            target.removeFile(newName);
        } else {
            bool relinked = false;
            renameNoReplace(target.m_descriptor, newName, m_descriptor, name, relinked);
            if (relinked)
                target.removeFile(newName);
        }
        errno = ESTALE;
        return false;
    }
    if (linked && holds(name, own))
        removeFile(name);
    return true;
}

} // namespace ZipPlatform
