#include "ZipCrc32.h"

#include <zlib.h>

namespace ZipArchiveLib {

quint32 crc32(quint32 crc, const void* data, quint32 count)
{
    return static_cast<quint32>(::crc32(crc, static_cast<const Bytef*>(data), count));
}

} // namespace ZipArchiveLib
