#include "ksoledatetime.h"

#include <cmath>
#include <ctime>

namespace {

// Days from 1 March of year 0 style civil calendar to the epoch 1970-01-01
// (proleptic Gregorian), valid for all years used here.
int64_t daysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const int64_t kOleEpoch = daysFromCivil(1899, 12, 30);
// 1 January 100 and 31 December 9999 as automation dates.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.999995;

bool isLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

}  // namespace

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool ok = nYear >= 100 && nYear <= 9999 && nMonth >= 1 && nMonth <= 12 && nDay >= 1 &&
                    nDay <= kDays[nMonth - 1] + (nMonth == 2 && isLeap(nYear) ? 1 : 0) && nHour >= 0 &&
                    nHour <= 23 && nMin >= 0 && nMin <= 59 && nSec >= 0 && nSec <= 59;
    if (!ok) {
        m_dt = 0.0;
        m_status = invalid;
        return 0;
    }
    const double days = static_cast<double>(daysFromCivil(nYear, nMonth, nDay) - kOleEpoch);
    const double time = (nHour * 3600.0 + nMin * 60.0 + nSec) / 86400.0;
    m_dt = days >= 0 ? days + time : days - time;
    m_status = valid;
    return 1;
}

COleDateTime COleDateTime::GetCurrentTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return COleDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec);
}

bool COleDateTime::parts(Parts& out) const
{
    if (m_status != valid || !(m_dt >= kMinDate && m_dt <= kMaxDate))
        return false;
    double days = std::trunc(m_dt);
    int64_t seconds = std::llround(std::fabs(m_dt - days) * 86400.0);
    if (seconds >= 86400) {
        // Rounded up to the next midnight. The integer part names the
        // calendar day for either sign, so the next day is one more.
        seconds -= 86400;
        days += 1;
    }
    civilFromDays(static_cast<int64_t>(days) + kOleEpoch, out.year, out.month, out.day);
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return true;
}

int COleDateTime::GetYear() const
{
    Parts p;
    return parts(p) ? p.year : -1;
}
int COleDateTime::GetMonth() const
{
    Parts p;
    return parts(p) ? p.month : -1;
}
int COleDateTime::GetDay() const
{
    Parts p;
    return parts(p) ? p.day : -1;
}
int COleDateTime::GetHour() const
{
    Parts p;
    return parts(p) ? p.hour : -1;
}
int COleDateTime::GetMinute() const
{
    Parts p;
    return parts(p) ? p.minute : -1;
}
int COleDateTime::GetSecond() const
{
    Parts p;
    return parts(p) ? p.second : -1;
}
