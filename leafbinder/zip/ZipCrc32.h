#ifndef ZIPCRC32_H
#define ZIPCRC32_H

#include <QtGlobal>

// CRC-32 as the ZIP format uses it (the compression library's).
namespace ZipArchiveLib {

quint32 crc32(quint32 crc, const void* data, quint32 count);

} // namespace ZipArchiveLib

#endif
