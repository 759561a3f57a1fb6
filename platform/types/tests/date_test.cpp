#include "ksdate.h"

#include "kstest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>

namespace {
SYSTEMTIME st(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    SYSTEMTIME t{};
    t.wYear = WORD(y);
    t.wMonth = WORD(mo);
    t.wDay = WORD(d);
    t.wHour = WORD(h);
    t.wMinute = WORD(mi);
    t.wSecond = WORD(s);
    t.wMilliseconds = WORD(ms);
    return t;
}
bool sameFields(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}
}  // namespace

TEST(Date, AutomationDatesOfKnownDays)
{
    struct Case { SYSTEMTIME t; double date; int dayOfWeek; } cases[] = {
        {st(1899, 12, 30), 0.0, 6},
        {st(1899, 12, 31), 1.0, 0},
        {st(2000, 1, 1, 12), 36526.5, 6},
        {st(1899, 12, 29, 6), -1.25, 5},   // before the epoch the fraction still counts forward
        {st(1899, 12, 30, 6), 0.25, 6},
        {st(9999, 12, 31), 2958465.0, 5},
        {st(100, 1, 1), -657434.0, 5},
    };
    for (const Case& c : cases) {
        DATE d = NAN;
        ASSERT_TRUE(SystemTimeToVariantTime(&c.t, &d)) << c.date;
        EXPECT_DOUBLE_EQ(d, c.date);
        SYSTEMTIME back{};
        ASSERT_TRUE(VariantTimeToSystemTime(c.date, &back)) << c.date;
        EXPECT_TRUE(sameFields(back, c.t)) << c.date;
        EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek) << c.date;
    }
    SYSTEMTIME out{};
    EXPECT_TRUE(VariantTimeToSystemTime(-0.25, &out));  // 30 Dec 1899, 06:00
    EXPECT_TRUE(sameFields(out, st(1899, 12, 30, 6)));
}

TEST(Date, RefusesInvalidFieldsAndRanges)
{
    DATE d;
    SYSTEMTIME bad[] = {st(2001, 2, 29), st(2000, 13, 1), st(2000, 1, 1, 24), st(99, 12, 31), st(10000, 1, 1)};
    for (const SYSTEMTIME& t : bad)
        EXPECT_FALSE(SystemTimeToVariantTime(&t, &d)) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
    SYSTEMTIME t{};
    EXPECT_FALSE(VariantTimeToSystemTime(2958466.0, &t));
    EXPECT_FALSE(VariantTimeToSystemTime(-657435.0, &t));
    EXPECT_FALSE(VariantTimeToSystemTime(NAN, &t));
    SYSTEMTIME leap = st(2000, 2, 29);
    EXPECT_TRUE(SystemTimeToVariantTime(&leap, &d));
}

TEST(Date, FileTimesAndMilliseconds)
{
    FILETIME unix = ks::fileTimeFromTicks(116444736000000000ull);
    SYSTEMTIME t{};
    ASSERT_TRUE(FileTimeToSystemTime(&unix, &t));
    EXPECT_TRUE(sameFields(t, st(1970, 1, 1)));
    EXPECT_EQ(t.wDayOfWeek, 4);

    SYSTEMTIME when = st(2024, 2, 29, 23, 59, 58, 125);
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&when, &ft));
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_TRUE(sameFields(back, when));

    // File time -> system time -> automation date, as the raw-file header's
    // creation date is reported.
    DATE d = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&back, &d));
    SYSTEMTIME again{};
    ASSERT_TRUE(VariantTimeToSystemTime(d, &again));
    EXPECT_TRUE(sameFields(again, when));
    SYSTEMTIME early = st(1600, 12, 31);
    EXPECT_FALSE(SystemTimeToFileTime(&early, &ft));
}

TEST(Date, LocalFileTimesFollowTheTimeZone)
{
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "XST-3", 1);  // three hours east of UTC, no daylight saving
    tzset();
    SYSTEMTIME noon = st(2020, 6, 1, 12);
    FILETIME utc{}, local{}, back{};
    SystemTimeToFileTime(&noon, &utc);
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    SYSTEMTIME t{};
    FileTimeToSystemTime(&local, &t);
    EXPECT_EQ(t.wHour, 15);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(ks::fileTimeTicks(back), ks::fileTimeTicks(utc));
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// Python's calendar arithmetic as an independent reference.
TEST(Date, AgreesWithPythonDatetime)
{
    const char* script =
        "import datetime, random\n"
        "random.seed(7)\n"
        "epoch = datetime.datetime(1899, 12, 30)\n"
        "for _ in range(200):\n"
        "    t = datetime.datetime(1900, 1, 1) + datetime.timedelta(milliseconds=random.randrange(0, 8000 * 365 * 86400000))\n"
        "    ms = t.microsecond // 1000\n"
        "    t = t.replace(microsecond=ms * 1000)\n"
        "    delta = t - epoch\n"
        "    days = delta.days + (delta.seconds * 1000 + ms) / 86400000.0\n"
        "    print(t.year, t.month, t.day, t.hour, t.minute, t.second, ms, (t.weekday() + 1) % 7, repr(days))\n";
    auto r = ks::test::run({"/usr/bin/python3", "-c", script});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream in(r.out);
    int y, mo, d, h, mi, s, ms, dow;
    double expected;
    int count = 0;
    while (in >> y >> mo >> d >> h >> mi >> s >> ms >> dow >> expected) {
        SYSTEMTIME t = st(y, mo, d, h, mi, s, ms);
        DATE got = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&t, &got));
        EXPECT_NEAR(got, expected, 1e-9) << y << "-" << mo << "-" << d;
        SYSTEMTIME back{};
        ASSERT_TRUE(VariantTimeToSystemTime(got, &back));
        EXPECT_TRUE(sameFields(back, t)) << y << "-" << mo << "-" << d << " " << h << ":" << mi << ":" << s << "." << ms;
        EXPECT_EQ(back.wDayOfWeek, dow);
        ++count;
    }
    EXPECT_EQ(count, 200);
}
