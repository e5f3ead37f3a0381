#include "ZipDosTime.h"

#include "ZipPlatform.h"

namespace ZipArchiveLib {

namespace {
constexpr int lastDosYear = 1980 + 127;
}

void timeToDos(qint64 time, quint16& dosTime, quint16& dosDate)
{
    std::tm local{};
    if (!ZipPlatform::toLocalTime(time, local)) {
        // Not representable: the earliest DOS date rather than nothing, since
        // zero fields would mean "no time".
        dosTime = 0;
        dosDate = (1 << 5) | 1;
        return;
    }
    int year = local.tm_year + 1900;
    if (year > lastDosYear) {
        dosTime = static_cast<quint16>(58 / 2 + 59 * 32 + 23 * 2048);
        dosDate = static_cast<quint16>(31 + 12 * 32 + 127 * 512);
        return;
    }
    const int yearField = year <= 1980 ? 0 : ((year - 1980) & 0x7F);
    dosTime = static_cast<quint16>(local.tm_sec / 2 + local.tm_min * 32 + local.tm_hour * 2048);
    dosDate = static_cast<quint16>(local.tm_mday + (local.tm_mon + 1) * 32 + yearField * 512);
}

qint64 dosToTime(quint16 dosTime, quint16 dosDate)
{
    std::tm local{};
    local.tm_sec = 2 * (dosTime & 0x1F);
    local.tm_min = (dosTime >> 5) & 0x3F;
    local.tm_hour = dosTime >> 11;
    local.tm_mday = dosDate & 0x1F;
    local.tm_mon = ((dosDate >> 5) & 0xF) - 1;
    local.tm_year = 1980 + (dosDate >> 9) - 1900;
    local.tm_isdst = -1;
    return ZipPlatform::fromLocalTime(local);
}

} // namespace ZipArchiveLib
