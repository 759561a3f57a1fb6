// Number and date texts: fixed, exponent and general number formats, and
// the key text <-> key value conversions of the index files (dates as
// Julian day numbers of 1900 to 1999).
#include "zinternal.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <string>

namespace zentar {
namespace {

// Numbers in texts always use the "C" locale, whatever the caller set.
class CLocaleScope {
public:
    CLocaleScope()
    {
        static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
        old_ = c ? uselocale(c) : nullptr;
    }
    ~CLocaleScope()
    {
        if (old_)
            uselocale(old_);
    }

private:
    locale_t old_;
};

// Days from 1 January 1900 to 1 January 19yy, plus 1 when 19yy is a leap
// year (yy = 0 to 100).
struct YearTable {
    uint16_t days[101];
    YearTable()
    {
        for (int yy = 0; yy <= 100; ++yy)
            days[yy] = uint16_t(365 * yy + (yy > 0 ? (yy - 1) / 4 : 0) + (isLeap(yy) ? 1 : 0));
    }
    static bool isLeap(int yy) { return yy % 4 == 0 && yy != 0 && yy != 100; }
};
const YearTable kYears;
const uint16_t kMonthDays[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int32_t kJulianBase = 2415020;   // the day before 1 January 1900

bool twoDigits(const char* p, int* out)
{
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return false;
    *out = (p[0] - '0') * 10 + (p[1] - '0');
    return true;
}

}  // namespace

int keyTextToValue(const char* text, char type, unsigned char value[8])
{
    if (!text || !value)
        return 1;
    double v = 0;
    if (type == 'D' || type == 'd') {
        // CCYYMMDD: only YY, MM and DD are read; the century is fixed.
        if (strnlen(text, 8) < 8)
            return 1;
        int yy, mm, dd;
        if (!twoDigits(text + 2, &yy) || !twoDigits(text + 4, &mm) || !twoDigits(text + 6, &dd))
            return 1;
        if (mm < 1 || mm > 12 || dd < 1 || dd > 31)
            return 1;
        const bool leap = YearTable::isLeap(yy);
        if (dd == 31 && (mm == 2 || mm == 4 || mm == 6 || mm == 9 || mm == 11))
            return 1;
        if (mm == 2 && (dd == 30 || (dd == 29 && !leap)))
            return 1;
        int32_t j = kJulianBase + kYears.days[yy] + kMonthDays[mm - 1] + dd;
        if (leap && mm <= 2)
            --j;
        v = double(j);
    } else {
        const char* p = text;
        while (*p == ' ' || *p == '\t')
            ++p;
        bool negative = false;
        if (*p == '+' || *p == '-')
            negative = *p++ == '-';
        while (*p == '0')
            ++p;
        while (*p >= '0' && *p <= '9')
            v = v * 10 + (*p++ - '0');
        if (*p == '.') {
            ++p;
            double scale = 0.1;
            while (*p >= '0' && *p <= '9') {
                v += (*p++ - '0') * scale;
                scale /= 10;
            }
        }
        if (negative)
            v = -v;
    }
    std::memcpy(value, &v, 8);
    return 0;
}

int julianToDateText(int32_t julian, char* text)
{
    const int32_t c = julian - kJulianBase;
    if (c < 1 || c > 36524) {
        text[0] = '\0';
        return 1;
    }
    // The largest year entry not above c, 0 to 99.
    int lo = 0, hi = 99;
    while (lo < hi) {
        int mid = (lo + hi + 1) / 2;
        if (kYears.days[mid] <= c)
            lo = mid;
        else
            hi = mid - 1;
    }
    int yy = lo;
    int rem = c - kYears.days[yy];
    // The largest month entry strictly below the remainder; January for 0.
    int m = 0;
    lo = 0;
    hi = 11;
    while (lo < hi) {
        int mid = (lo + hi + 1) / 2;
        if (kMonthDays[mid] < rem)
            lo = mid;
        else
            hi = mid - 1;
    }
    m = lo;
    int dd = rem - kMonthDays[m];
    int mm = m + 1;
    if (YearTable::isLeap(yy) && mm <= 2)
        ++dd;
    if (mm == 1 && dd == 0) {
        // Day 0 of January: 31 December of the year before.
        --yy;
        mm = 12;
        dd = 31;
    } else if (mm == 1 && dd == 32) {
        mm = 2;
        dd = 1;
    }
    const int parts[3] = {yy, mm, dd};
    text[0] = '1';
    text[1] = '9';
    for (int i = 0; i < 3; ++i) {
        text[2 + 2 * i] = char('0' + parts[i] / 10);
        text[3 + 2 * i] = char('0' + parts[i] % 10);
    }
    text[8] = '\0';
    return 0;
}

int keyValueToText(const unsigned char value[8], int k, char type, char* text)
{
    if (!value || !text)
        return 1;
    double v;
    std::memcpy(&v, value, 8);
    text[0] = '\0';
    if (type == 'D' || type == 'd') {
        if (!(v >= 2415021.0 && v < 2451545.0))
            return 1;
        return julianToDateText(int32_t(v), text);
    }
    if (k < 0 || k >= 60)
        k = 2;
    if (!std::isfinite(v) || std::fabs(v) >= 1e63)
        return 1;
    char* out = text;
    if (v == 0) {
        *out++ = '0';
        if (k > 0) {
            *out++ = '.';
            for (int i = 0; i < k; ++i)
                *out++ = '0';
        }
        *out = '\0';
        return 0;
    }
    if (v < 0) {
        *out++ = '-';
        v = -v;
    }
    // Integer digits by repeated division, least significant first.
    double ip = std::floor(v);
    double frac = v - ip;
    char intDigits[66];
    int ni = 0;
    while (ip >= 1 && ni < 63) {
        double q = std::floor(ip / 10);
        int d = int(ip - q * 10);
        if (d < 0) d = 0;
        if (d > 9) d = 9;
        intDigits[ni++] = char('0' + d);
        ip = q;
    }
    if (ni == 0)
        intDigits[ni++] = '0';
    // k decimals plus one more for rounding half up.
    char fracDigits[64];
    for (int i = 0; i <= k; ++i) {
        frac *= 10;
        int d = int(std::floor(frac));
        if (d < 0) d = 0;
        if (d > 9) d = 9;
        fracDigits[i] = char('0' + d);
        frac -= d;
    }
    bool carry = fracDigits[k] >= '5';
    for (int i = k - 1; i >= 0 && carry; --i) {
        if (fracDigits[i] == '9') {
            fracDigits[i] = '0';
        } else {
            ++fracDigits[i];
            carry = false;
        }
    }
    for (int i = 0; i < ni && carry; ++i) {
        if (intDigits[i] == '9') {
            intDigits[i] = '0';
        } else {
            ++intDigits[i];
            carry = false;
        }
    }
    if (carry)
        intDigits[ni++] = '1';
    for (int i = ni - 1; i >= 0; --i)
        *out++ = intDigits[i];
    if (k > 0) {
        *out++ = '.';
        for (int i = 0; i < k; ++i)
            *out++ = fracDigits[i];
    }
    *out = '\0';
    return 0;
}

}  // namespace zentar

using namespace zentar;

extern "C" ZENTAR_EXPORT char* ftoa(double value, char* text, int decimals)
{
    if (!text)
        return text;
    if (decimals < 0)
        decimals = 6;
    char format[32];
    std::snprintf(format, sizeof format, "%%#0.%df", decimals);
    std::string s;
    {
        CLocaleScope c;
        int n = std::snprintf(nullptr, 0, format, value);
        if (n < 0)
            n = 0;
        s.resize(size_t(n) + 1);
        std::snprintf(&s[0], s.size(), format, value);
        s.resize(size_t(n));
    }
    // The # flag forces a point; without decimals it goes again (only a
    // point: "nan" and "inf" have none to remove).
    if (decimals == 0 && !s.empty() && s.back() == '.')
        s.pop_back();
    if (s.size() > 31)
        s.resize(31);
    std::memcpy(text, s.c_str(), s.size() + 1);
    return text;
}

extern "C" ZENTAR_EXPORT char* etoa(double value, char* text, int decimals)
{
    if (!text)
        return text;
    if (decimals < 0)
        decimals = 6;
    int e = 0;
    if (value != 0 && std::isfinite(value))
        e = int(std::floor(std::log10(std::fabs(value))));
    double mantissa = std::isfinite(value) ? value / std::pow(10.0, e) : value;
    ftoa(mantissa, text, decimals);
    size_t len = std::strlen(text);
    std::snprintf(text + len, 8, "e%i", e);
    return text;
}

extern "C" ZENTAR_EXPORT char* gtoa(double value, int digits, char* text)
{
    if (!text)
        return text;
    if (!std::isfinite(value))
        return ftoa(value, text, 0);
    double b = value == 0 ? 0 : std::log10(std::fabs(value));
    if (b < -4 || b > digits)
        return etoa(value, text, digits - 1 > 0 ? digits - 1 : 0);
    int decimals = 0;
    if (value != std::floor(value)) {
        decimals = digits - (int(std::floor(b)) + 1);
        if (decimals < 0)
            decimals = 0;
    }
    return ftoa(value, text, decimals);
}
