#ifndef ZIPOS_STAT_H
#define ZIPOS_STAT_H

#include <QtGlobal>

#include <sys/stat.h>

namespace ZipPlatform {

// The Windows attribute bits the engine works with, from a stat mode:
// 0x10 for a folder, else 0x01 when the owner may not write and 0x20 otherwise.
inline quint32 attributesFromMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return 0x10;
    return (mode & S_IWUSR) ? 0x20 : 0x01;
}

} // namespace ZipPlatform

#endif
