#include "ZipCompatibility.h"

#include "ZipException.h"
#include "ZipPlatform.h"

namespace ZipCompatibility {

namespace {

constexpr quint32 attrReadOnly = 0x01;
constexpr quint32 attrHidden = 0x02;
constexpr quint32 attrDirectory = 0x10;
constexpr quint32 attrArchive = 0x20;

enum class Converter { none, keep, unix, readOnlyAndDirectory };

Converter converterFor(int host)
{
    switch (host) {
    case hostDos:
    case hostOs2:
    case hostNtfs:
    case hostMvs:
        return Converter::keep;
    case hostUnix:
        return Converter::unix;
    case hostMac:
    case hostMacOsX:
        return Converter::readOnlyAndDirectory;
    default:
        return Converter::none;
    }
}

bool usesUtf8(int host)
{
    return host == hostUnix || host == hostMac || host == hostMacOsX;
}

} // namespace

bool isSupportedHost(int host)
{
    return converterFor(host) != Converter::none;
}

quint32 windowsToUnixMode(quint32 attributes)
{
    quint32 mode = (attributes & attrHidden) ? 0x100 : 0x124;
    if (!(attributes & attrReadOnly))
        mode |= 0x90;
    mode |= (attributes & attrDirectory) ? 0x4049 : 0x8000;
    return mode;
}

quint32 unixModeToWindows(quint32 mode)
{
    quint32 attributes;
    if ((mode & 0xF000) == 0x4000)
        attributes = attrDirectory;
    else
        attributes = (mode & 0x40) ? 0 : attrArchive;
    if (!(mode & 0x80))
        attributes |= attrReadOnly;
    if (!(mode & 0x20) && !(mode & 0x04))
        attributes |= attrHidden;
    return attributes;
}

quint32 windowsToHost(quint32 attributes, int host)
{
    switch (converterFor(host)) {
    case Converter::keep:
        return attributes;
    case Converter::unix:
        return windowsToUnixMode(attributes);
    case Converter::readOnlyAndDirectory:
        return attributes & (attrReadOnly | attrDirectory);
    case Converter::none:
        break;
    }
    CZipException::throwZipException(CZipException::unsupportedHost);
}

quint32 hostToWindows(quint32 attributes, int host)
{
    switch (converterFor(host)) {
    case Converter::keep:
        return attributes;
    case Converter::unix:
        return unixModeToWindows(attributes);
    case Converter::readOnlyAndDirectory:
        return attributes & (attrReadOnly | attrDirectory);
    case Converter::none:
        break;
    }
    CZipException::throwZipException(CZipException::unsupportedHost);
}

quint32 nameCodePage(int host)
{
    if (host == hostDos || host == hostNtfs)
        return ZipPlatform::codePageOem;
    return usesUtf8(host) ? ZipPlatform::codePageUtf8 : ZipPlatform::codePageAnsi;
}

quint32 commentCodePage(int host)
{
    return usesUtf8(host) ? ZipPlatform::codePageUtf8 : ZipPlatform::codePageAnsi;
}

} // namespace ZipCompatibility
