#ifndef FILEINFO_H
#define FILEINFO_H

#include <QtGlobal>

namespace ZipArchiveLib {

// What a directory walk knows about one item; handed to filters and
// enumerators. Attributes use the Windows bits (0x10 directory, 0x01
// read-only, 0x20 archive); times are seconds since 1970.
struct CFileInfo {
    quint64 m_size = 0;
    quint32 m_attributes = 0;
    qint64 m_creationTime = 0;
    qint64 m_modificationTime = 0;
    qint64 m_accessTime = 0;
    bool m_isLink = false;   // reached through a symbolic link


    bool isDirectory() const { return (m_attributes & 0x10) != 0; }
};

} // namespace ZipArchiveLib

#endif
