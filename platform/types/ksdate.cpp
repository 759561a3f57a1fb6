#include "ksdate.h"

#include <cmath>
#include <ctime>

namespace {

// Days from 1 January 1970 of a proleptic Gregorian civil date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = yy + (*m <= 2);
}

bool isLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(int64_t y, unsigned m)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && isLeap(y)) ? 29 : days[m - 1];
}

bool validFields(const SYSTEMTIME& st)
{
    return st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wDay <= daysInMonth(st.wYear, st.wMonth) &&
           st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

// 30 December 1899 relative to 1 January 1970.
const int64_t kDateEpoch = daysFromCivil(1899, 12, 30);
// 1 January 1601 relative to 1 January 1970.
const int64_t kFileEpoch = daysFromCivil(1601, 1, 1);
constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kTicksPerMs = 10000;

void fill(SYSTEMTIME* st, int64_t days, int64_t msOfDay)
{
    int64_t y;
    unsigned m, d;
    civilFromDays(days, &y, &m, &d);
    st->wYear = static_cast<WORD>(y);
    st->wMonth = static_cast<WORD>(m);
    st->wDay = static_cast<WORD>(d);
    // 1 January 1970 was a Thursday (4).
    int64_t dow = (days + 4) % 7;
    st->wDayOfWeek = static_cast<WORD>(dow < 0 ? dow + 7 : dow);
    st->wHour = static_cast<WORD>(msOfDay / 3600000);
    st->wMinute = static_cast<WORD>(msOfDay / 60000 % 60);
    st->wSecond = static_cast<WORD>(msOfDay / 1000 % 60);
    st->wMilliseconds = static_cast<WORD>(msOfDay % 1000);
}

}  // namespace

INT SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* date)
{
    if (!st || !date || st->wYear < 100 || st->wYear > 9999 || !validFields(*st))
        return FALSE;
    int64_t days = daysFromCivil(st->wYear, st->wMonth, st->wDay) - kDateEpoch;
    double fraction = (st->wHour * 3600000.0 + st->wMinute * 60000.0 + st->wSecond * 1000.0 + st->wMilliseconds) /
                      static_cast<double>(kMsPerDay);
    // Before the epoch the fraction still counts forward from midnight:
    // -1.25 is 29 December 1899, 06:00.
    *date = days >= 0 ? days + fraction : days - fraction;
    return TRUE;
}

INT VariantTimeToSystemTime(DATE date, SYSTEMTIME* st)
{
    if (!st || !std::isfinite(date) || date < -657434.0 || date >= 2958466.0)
        return FALSE;
    double whole = std::trunc(date);
    double fraction = std::fabs(date - whole);
    int64_t days = static_cast<int64_t>(whole);
    int64_t ms = static_cast<int64_t>(std::llround(fraction * kMsPerDay));
    // Rounding up to midnight moves to the next day, before the epoch too.
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += 1;
    }
    int64_t absDay = days + kDateEpoch;
    fill(st, absDay, ms);
    if (st->wYear > 9999 || st->wYear < 100)
        return FALSE;
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st)
{
    if (!ft || !st)
        return FALSE;
    uint64_t ticks = ks::fileTimeTicks(*ft);
    if (ticks >= 0x8000000000000000ull)
        return FALSE;
    int64_t ms = static_cast<int64_t>(ticks / kTicksPerMs);
    fill(st, kFileEpoch + ms / kMsPerDay, ms % kMsPerDay);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft)
{
    if (!st || !ft || st->wYear < 1601 || st->wYear > 30827 || !validFields(*st))
        return FALSE;
    int64_t days = daysFromCivil(st->wYear, st->wMonth, st->wDay) - kFileEpoch;
    int64_t ms = days * kMsPerDay + st->wHour * 3600000LL + st->wMinute * 60000LL + st->wSecond * 1000LL +
                 st->wMilliseconds;
    *ft = ks::fileTimeFromTicks(static_cast<uint64_t>(ms) * kTicksPerMs);
    return TRUE;
}

namespace {
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;  // 1970-01-01 in FILETIME ticks

// Offset of local time from UTC, in seconds, at the given UTC instant.
bool utcOffsetAt(time_t utc, int64_t* offset)
{
    struct tm local;
    if (!localtime_r(&utc, &local))
        return false;
    *offset = local.tm_gmtoff;
    return true;
}
}  // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local)
{
    if (!utc || !local)
        return FALSE;
    int64_t ticks = static_cast<int64_t>(ks::fileTimeTicks(*utc));
    time_t seconds = static_cast<time_t>((ticks - kUnixEpochTicks) / 10000000);
    int64_t offset = 0;
    if (!utcOffsetAt(seconds, &offset))
        return FALSE;
    *local = ks::fileTimeFromTicks(static_cast<uint64_t>(ticks + offset * 10000000));
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc)
{
    if (!local || !utc)
        return FALSE;
    int64_t ticks = static_cast<int64_t>(ks::fileTimeTicks(*local));
    time_t guess = static_cast<time_t>((ticks - kUnixEpochTicks) / 10000000);
    int64_t offset = 0;
    // The offset that applies at the UTC instant; one refinement step
    // settles it away from the daylight-saving switches.
    if (!utcOffsetAt(guess, &offset) || !utcOffsetAt(guess - offset, &offset))
        return FALSE;
    *utc = ks::fileTimeFromTicks(static_cast<uint64_t>(ticks - offset * 10000000));
    return TRUE;
}

namespace ks {
ULONGLONG fileTimeTicks(const FILETIME& ft)
{
    return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
FILETIME fileTimeFromTicks(ULONGLONG ticks)
{
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}
}  // namespace ks
