#ifndef ZIPCOMPATIBILITY_H
#define ZIPCOMPATIBILITY_H

#include <QtGlobal>

// Host systems of the version-made-by word, and the conversion of file
// attributes between the Windows attribute word the engine works with and the
// form each host stores.
namespace ZipCompatibility {

enum HostSystem {
    hostDos = 0,
    hostUnix = 3,
    hostOs2 = 6,
    hostMac = 7,
    hostNtfs = 11,
    hostMvs = 15,
    hostMacOsX = 20
};

// The hosts an archive can be set to write for.
bool isSupportedHost(int host);
// Windows attributes to the host's form and back; 219 for a host without a
// converter.
quint32 windowsToHost(quint32 attributes, int host);
quint32 hostToWindows(quint32 attributes, int host);
quint32 windowsToUnixMode(quint32 attributes);
quint32 unixModeToWindows(quint32 mode);
// The code pages of names and comments for a host (ZipPlatform::CodePage).
quint32 nameCodePage(int host);
quint32 commentCodePage(int host);

} // namespace ZipCompatibility

#endif
