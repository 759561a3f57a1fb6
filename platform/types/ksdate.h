// Automation dates (DATE: days since 30 December 1899, the fraction being
// the time of day, also for negative dates), FILETIME (100-ns ticks since
// 1 January 1601) and SYSTEMTIME (calendar fields), with conversions.
// No conversion changes the time zone except the two Local ones.
#pragma once

#include "kstypes.h"

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using LPFILETIME = FILETIME*;

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;      // 1..12
    WORD wDayOfWeek;  // 0 = Sunday
    WORD wDay;        // 1..31
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

static_assert(sizeof(FILETIME) == 8 && sizeof(SYSTEMTIME) == 16, "platform record sizes");

// TRUE on success. Dates are valid from 1 January 100 to 31 December 9999;
// milliseconds are kept (rounded to the nearest millisecond on the way out).
INT SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* date);
INT VariantTimeToSystemTime(DATE date, SYSTEMTIME* st);
// FILETIME <-> SYSTEMTIME: years 1601 to 30827; wDayOfWeek is ignored on
// input and filled on output.
BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st);
BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft);
// Between UTC and the local time zone of the process (TZ).
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc);

namespace ks {
// FILETIME ticks <-> Unix seconds helpers.
ULONGLONG fileTimeTicks(const FILETIME& ft);
FILETIME fileTimeFromTicks(ULONGLONG ticks);
}  // namespace ks
