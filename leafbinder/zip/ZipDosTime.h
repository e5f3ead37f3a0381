#ifndef ZIPDOSTIME_H
#define ZIPDOSTIME_H

#include <QtGlobal>

namespace ZipArchiveLib {

// The DOS time and date of the ZIP records, in local time. Years before 1980
// give year field 0; times after 2107, the last year a DOS date can hold, are
// written as 2107-12-31 23:59:58 instead of wrapping to 1980.
void timeToDos(qint64 time, quint16& dosTime, quint16& dosDate);
// Seconds since 1970 from a DOS time and date, daylight saving as the local
// rules say; -1 when the fields name no valid time.
qint64 dosToTime(quint16 dosTime, quint16 dosDate);

} // namespace ZipArchiveLib

#endif
