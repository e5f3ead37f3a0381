// Directory listing for the ZIP engine's walks, on fdopendir/readdir.
#include "ZipPlatform.h"

#include "FileInfo.h"
#include "zipos_stat.h"


#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZipPlatform {

struct CDirectorySearch::CHandle {
    DIR* dir = nullptr;
    ~CHandle()
    {
        if (dir)
            ::closedir(dir);
    }
};

CDirectorySearch::CDirectorySearch(const CDirectory& directory)
{
    // The listing gets a descriptor of its own: closing it leaves the
    // directory open.
    const int descriptor = ::fcntl(directory.m_descriptor, F_DUPFD_CLOEXEC, 0);
    DIR* dir = descriptor >= 0 ? ::fdopendir(descriptor) : nullptr;
    if (!dir) {
        m_error = errno;
        if (descriptor >= 0)
            ::close(descriptor);
        return;
    }
    ::rewinddir(dir);
    m_handle = std::make_unique<CHandle>();
    m_handle->dir = dir;
}

CDirectorySearch::~CDirectorySearch() = default;

bool CDirectorySearch::isOpen() const
{
    return m_handle != nullptr;
}

bool CDirectorySearch::next(QString& name, ZipArchiveLib::CFileInfo& info)
{
    if (!m_handle)
        return false;
    const int descriptor = ::dirfd(m_handle->dir);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(m_handle->dir);
        if (!entry) {
            m_error = errno;
            return false;
        }
        const bool dots = entry->d_name[0] == '.'
            && (entry->d_name[1] == '\0' || (entry->d_name[1] == '.' && entry->d_name[2] == '\0'));
        struct stat status;
        if (::fstatat(descriptor, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;   // gone since it was listed
        const bool link = S_ISLNK(status.st_mode);
        if (link) {
            if (::fstatat(descriptor, entry->d_name, &status, 0) != 0 || !S_ISREG(status.st_mode))
                continue;
        } else if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
            continue;
        }
        m_nativeName = QByteArray(entry->d_name);
        m_identity.device = static_cast<quint64>(status.st_dev);
        m_identity.inode = static_cast<quint64>(status.st_ino);
        name = dots ? QString::fromLatin1(entry->d_name) : fileNameFromBytes(m_nativeName);
        info = ZipArchiveLib::CFileInfo();
        info.m_size = S_ISDIR(status.st_mode) ? 0 : static_cast<quint64>(status.st_size);
        info.m_attributes = attributesFromMode(status.st_mode);
        info.m_creationTime = static_cast<qint64>(status.st_ctime);
        info.m_modificationTime = static_cast<qint64>(status.st_mtime);
        info.m_accessTime = static_cast<qint64>(status.st_atime);
        info.m_isLink = link;
        return true;
    }
}

} // namespace ZipPlatform
