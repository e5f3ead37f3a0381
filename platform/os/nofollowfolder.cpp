#include "platform/os/nofollowfolder.h"

#include <QFile>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

NoFollowFolder::EntryType typeOf(const struct stat& status)
{
    if (S_ISLNK(status.st_mode))
        return NoFollowFolder::EntryType::SymLink;
    if (S_ISDIR(status.st_mode))
        return NoFollowFolder::EntryType::Folder;
    if (S_ISREG(status.st_mode))
        return NoFollowFolder::EntryType::File;
    return NoFollowFolder::EntryType::Other;
}

} // namespace

NoFollowFolder::~NoFollowFolder()
{
    close();
}

bool NoFollowFolder::open(const QString& path)
{
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), kOpenFlags);
    return m_fd >= 0;
}

bool NoFollowFolder::openChild(const NoFollowFolder& parent, const QString& name)
{
    close();
    if (!parent.isOpen())
        return false;
    m_fd = ::openat(parent.m_fd, QFile::encodeName(name).constData(), kOpenFlags);
    return m_fd >= 0;
}

void NoFollowFolder::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QList<NoFollowFolder::Entry> NoFollowFolder::entries() const
{
    QList<Entry> result;
    if (!isOpen())
        return result;
    // The listing gets a descriptor of its own, so closing it leaves ours open.
    const int listFd = ::dup(m_fd);
    if (listFd < 0)
        return result;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return result;
    }
    ::rewinddir(dir);
    while (const dirent* item = ::readdir(dir)) {
        const QByteArray native(item->d_name);
        if (native == "." || native == "..")
            continue;
        Entry entry;
        entry.name = QFile::decodeName(native);
        struct stat status;
        if (::fstatat(m_fd, item->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0)
            entry.type = typeOf(status);
        result.append(entry);
    }
    ::closedir(dir);
    std::sort(result.begin(), result.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return result;
}

bool NoFollowFolder::removeFile(const QString& name) const
{
    return isOpen() && ::unlinkat(m_fd, QFile::encodeName(name).constData(), 0) == 0;
}

bool NoFollowFolder::removeFolder(const QString& name) const
{
    return isOpen() && ::unlinkat(m_fd, QFile::encodeName(name).constData(), AT_REMOVEDIR) == 0;
}
