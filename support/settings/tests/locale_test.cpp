// Doubles are stored in the "C" form whatever the process locale, and
// afterwards the process locale is the user's default locale.
#include "pellumor_testutil.h"
#include "tavrionsettings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using pt::below;

namespace {

const std::wstring kLocaleKey = below(L"Global");

// A German locale compiled for the test process; the user's default
// locale (the environment) is set to it.
class GermanUserLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        const std::string german = ks::test::makeCommaLocale(&why);
        ASSERT_FALSE(german.empty()) << why;
        setenv("LC_ALL", german.c_str(), 1);
        ASSERT_NE(setlocale(LC_ALL, ""), nullptr);
        ASSERT_STREQ(localeconv()->decimal_point, ",");
        // A program starts in "C".
        setlocale(LC_ALL, "C");
    }
    void TearDown() override
    {
        setlocale(LC_ALL, "C");
        unsetenv("LC_ALL");
        unsetenv("LOCPATH");
    }
};

}  // namespace

TEST_F(GermanUserLocale, DoubleIsStoredInCFormAndTheUserLocaleIsSetAfterwards)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    ASSERT_EQ(key.WriteDouble(L"Half", 0.5), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kLocaleKey, L"Half"), L"0.5");
    EXPECT_STREQ(localeconv()->decimal_point, ",");
    EXPECT_STREQ(setlocale(LC_NUMERIC, nullptr), "de_DE.UTF-8");

    // Written and read again while the German locale is in force.
    ASSERT_EQ(key.WriteDouble(L"Big", 1234567.0), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kLocaleKey, L"Big"), L"1.23457e+06");
    pt::setSz(HKEY_CURRENT_USER, kLocaleKey, L"Text", L"2.25");
    double d = 0;
    ASSERT_EQ(key.ReadDouble(L"Text", &d), 1);
    EXPECT_EQ(d, 2.25);
    EXPECT_STREQ(localeconv()->decimal_point, ",");

    // mywcstod parses in the current locale, without switching it.
    EXPECT_EQ(mywcstod(L"0,5"), 0.5);
    EXPECT_EQ(mywcstod(L"0.5"), 0.0);
    setlocale(LC_ALL, "C");
    EXPECT_EQ(mywcstod(L"0.5"), 0.5);
    EXPECT_STREQ(setlocale(LC_ALL, nullptr), "C");

    // Integers and the settings functions that store doubles.
    ASSERT_EQ(SetTavrionMassResolution(0.75), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, below(L"Global\\Mass Tolerance"), L"Tolerance Value"), L"0.75");
    EXPECT_STREQ(localeconv()->decimal_point, ",");
}

TEST_F(GermanUserLocale, ConcurrentConversionsKeepTheCForm)
{
    CFRegKey parent(HKEY_CURRENT_USER, L"Global", 1, 0);
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            CFRegKey key(HKEY_CURRENT_USER, L"Global", 0, 0);
            const std::wstring name = L"T" + std::to_wstring(t);
            for (int i = 0; i < 25; ++i) {
                const double value = t + i / 4.0 + 0.5;
                double back = 0;
                if (!key.WriteDouble(name.c_str(), value) || !key.ReadDouble(name.c_str(), &back) || back != value)
                    ++failures[size_t(t)];
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(failures[size_t(t)], 0);
        EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kLocaleKey, L"T" + std::to_wstring(t)).find(L','), std::wstring::npos);
    }
    EXPECT_STREQ(localeconv()->decimal_point, ",");
}

TEST(UserLocale, UnknownUserLocaleLeavesC)
{
    setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    ASSERT_EQ(key.WriteDouble(L"D", -0.125), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kLocaleKey, L"D"), L"-0.125");
    EXPECT_STREQ(setlocale(LC_ALL, nullptr), "C");
    unsetenv("LC_ALL");
}

TEST(UserLocale, CriticalSectionIsExportedAndRecursive)
{
    EnterCriticalSection(&gCritSection);
    EXPECT_TRUE(TryEnterCriticalSection(&gCritSection));
    LeaveCriticalSection(&gCritSection);
    // Held by this thread: another one cannot enter.
    bool entered = true;
    std::thread other([&entered] {
        entered = TryEnterCriticalSection(&gCritSection);
        if (entered)
            LeaveCriticalSection(&gCritSection);
    });
    other.join();
    EXPECT_FALSE(entered);
    LeaveCriticalSection(&gCritSection);
}
