// The scan-filter parser and the grouping of scans into functions, on
// their own: the cases of every rule as tables.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "kshive.h"
#include "kstest.h"
#include "tavrionscanfilter.h"

namespace {

struct FilterCase {
    const wchar_t* text;
    const wchar_t* key;
    LONG functionType;
    SHORT polarity;
    SHORT msOrder;
    TavrionScanMode mode;
    bool dependent;
    bool parses;
    std::vector<double> precursors;
    const wchar_t* display;  // null: the text unchanged
};

const FilterCase kFilters[] = {
    {L"FTMS + p ESI Full ms [100.00-1000.00]", L" ftms + full ms", 1, 1, 1, TavrionScanModeFull, false, true, {},
     nullptr},
    {L"FTMS + p ESI d Full ms2 500.00@35.00 [135.00-1000.00]", L" ftms + full ms2", 2, 1, 2, TavrionScanModeFull,
     true, true, {500.0}, L"FTMS + p ESI d Full ms2  [135.00-1000.00]"},
    {L"ITMS - c ESI Z ms", L" itms - z ms", 3, -1, 1, TavrionScanModeZoom, false, true, {}, nullptr},
    // No sign: no words before it in the key; spectra get polarity 1.
    {L"c ESI Full ms", L"full ms", 1, 0, 1, TavrionScanModeFull, false, true, {}, nullptr},
    // Letters after the at sign end the reading after one precursor.
    {L"ITMS + c ESI d Full ms3 500.00@cid35.00 300.00@cid35.00 [100.00-600.00]", L" itms + full ms3", 2, 1, 3,
     TavrionScanModeFull, true, false, {500.0}, nullptr},
    // Every other precursor token of a dependent scan stays.
    {L"ITMS + c ESI d Full ms3 500.75@35.00 639.67@35.00 [172.00-660.00]", L" itms + full ms3", 2, 1, 3,
     TavrionScanModeFull, true, true, {500.75, 639.67}, L"ITMS + c ESI d Full ms3  639.67@35.00 [172.00-660.00]"},
    // The token at the very end goes up to the end.
    {L"ITMS + c ESI d Full ms2 445.12@35.00", L" itms + full ms2", 2, 1, 2, TavrionScanModeFull, true, true,
     {445.12}, L"ITMS + c ESI d Full ms2 "},
    {L"ITMS + c ESI d Z ms2 500.00@35.00", L" itms + z ms2", 4, 1, 2, TavrionScanModeZoom, true, true, {500.0},
     L"ITMS + c ESI d Z ms2 "},
    // SIM, SRM and CRM have no function type of their own.
    {L"FTMS + p ESI SIM ms [400.00-410.00]", L" ftms + sim ms", 1, 1, 1, TavrionScanModeSim, false, true, {},
     nullptr},
    {L"TQMS + c ESI SRM ms2 445.12@25.00 [200.00-201.00]", L" tqms + srm ms2", 2, 1, 2, TavrionScanModeSrm, false,
     true, {445.12}, nullptr},
    {L"TQMS - c ESI CRM ms2 445.12@25.00", L" tqms - crm ms2", 2, -1, 2, TavrionScanModeCrm, false, true, {445.12},
     nullptr},
    // The first mode word in the order full, z, sim, srm, crm wins.
    {L"FTMS + p ESI SIM Full ms", L" ftms + full ms", 1, 1, 1, TavrionScanModeFull, false, true, {}, nullptr},
    // Tabs are blanks; letters in any case.
    {L"FTMS\t+\tp\tESI\tFULL\tMS2\t500@35", L" ftms + full ms2", 2, 1, 2, TavrionScanModeFull, false, true,
     {500.0}, nullptr},
    // " + " before " - ", wherever they stand.
    {L"FTMS - p ESI + Full ms", L" ftms - p esi + full ms", 1, 1, 1, TavrionScanModeFull, false, true, {}, nullptr},
    // MS order 10 keys as "10"; nine precursors.
    {L"ITMS + c ESI Full ms10 1@1 2@1 3@1 4@1 5@1 6@1 7@1 8@1 9@1", L" itms + full ms10", 2, 1, 10,
     TavrionScanModeFull, false, true, {1, 2, 3, 4, 5, 6, 7, 8, 9}, nullptr},
    // Beyond ten: its digits; never more than ten precursors are read.
    {L"ITMS + c ESI Full ms11 1@1 2@1 3@1 4@1 5@1 6@1 7@1 8@1 9@1 10@1 11@1", L" itms + full ms11", 2, 1, 11,
     TavrionScanModeFull, false, true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, nullptr},
    // " ms%d " skips blanks before the number and takes a sign; no digit
    // leaves order 1.
    {L"ITMS + c ESI Full ms 3 1@1 2@1", L" itms + full ms3", 2, 1, 3, TavrionScanModeFull, false, true, {1, 2},
     nullptr},
    {L"ITMS + c ESI Full msn 1@1", L" itms + full ms", 1, 1, 1, TavrionScanModeFull, false, false, {1}, nullptr},
    {L"ITMS + c ESI Full ms-2", L" itms + full ms-2", 2, 1, -2, TavrionScanModeFull, false, true, {}, nullptr},
    {L"ITMS + c ESI Full ms99999999999999", L" itms + full ms32767", 2, 1, 32767, TavrionScanModeFull, false, true,
     {}, nullptr},
    // No at sign: parses whatever the order.
    {L"ITMS + c ESI Full ms2", L" itms + full ms2", 2, 1, 2, TavrionScanModeFull, false, true, {}, nullptr},
    // Numbers as "%lf" reads them: exponents too; a token whose number
    // after the at sign is missing still counts its m/z.
    {L"ITMS + c ESI Full ms2 5e2@35", L" itms + full ms2", 2, 1, 2, TavrionScanModeFull, false, true, {500.0},
     nullptr},
    {L"ITMS + c ESI Full ms2 500.5@", L" itms + full ms2", 2, 1, 2, TavrionScanModeFull, false, true, {500.5},
     nullptr},
    // Reading starts at the token holding the first at sign.
    {L"ITMS + c ESI Full ms2 x500@35", L" itms + full ms2", 2, 1, 2, TavrionScanModeFull, false, false, {},
     nullptr},
    {L"ITMS + c ESI Full ms2 500@35 600@35", L" itms + full ms2", 2, 1, 2, TavrionScanModeFull, false, false,
     {500.0, 600.0}, nullptr},
    {L"", L"ms", 1, 0, 1, TavrionScanModeNone, false, true, {}, nullptr},
};

TEST(TavrionScanFilter, Table)
{
    for (const FilterCase& c : kFilters) {
        SCOPED_TRACE(testing::Message() << "filter \"" << ks::reg::utf8FromWide(c.text) << "\"");
        TavrionScanFilter f;
        EXPECT_EQ(f.Parse(c.text), c.parses);
        EXPECT_EQ(f.m_Key, c.key);
        EXPECT_EQ(f.m_nFunctionType, c.functionType);
        EXPECT_EQ(f.m_nPolarity, c.polarity);
        EXPECT_EQ(f.m_nMSOrder, c.msOrder);
        EXPECT_EQ(f.m_nScanMode, c.mode);
        EXPECT_EQ(f.m_bDependent, c.dependent);
        ASSERT_EQ(f.m_nPrecursorCount, static_cast<int>(c.precursors.size()));
        for (int i = 0; i < TavrionScanFilter::kMaxPrecursors; ++i)
            EXPECT_EQ(f.m_Precursors[i], i < f.m_nPrecursorCount ? c.precursors[size_t(i)] : 0.0) << i;
        EXPECT_EQ(f.m_DisplayText, c.display ? c.display : c.text);
    }
}

TEST(TavrionScanFilter, EveryFieldIsSetAgain)
{
    TavrionScanFilter f;
    ASSERT_TRUE(f.Parse(L"ITMS - c ESI d Z ms3 500.00@35.00 300.00@35.00"));
    ASSERT_TRUE(f.Parse(L"c ESI ms"));
    EXPECT_EQ(f.m_Key, L"ms");
    EXPECT_EQ(f.m_nPolarity, 0);
    EXPECT_EQ(f.m_nScanMode, TavrionScanModeNone);
    EXPECT_FALSE(f.m_bDependent);
    EXPECT_EQ(f.m_nMSOrder, 1);
    EXPECT_EQ(f.m_nFunctionType, 1);
    EXPECT_EQ(f.m_nPrecursorCount, 0);
    EXPECT_EQ(f.m_Precursors[0], 0.0);
    EXPECT_EQ(f.m_DisplayText, L"c ESI ms");
}

// Precursors read "500.25" as written whatever the process locale.
TEST(TavrionScanFilter, NumbersInTheCFormUnderACommaLocale)
{
    std::string whyNot;
    const std::string comma = ks::test::makeCommaLocale(&whyNot);
    if (comma.empty())
        GTEST_SKIP() << whyNot;
    ASSERT_TRUE(std::setlocale(LC_ALL, comma.c_str()));
    TavrionScanFilter f;
    const bool parses = f.Parse(L"ITMS + c ESI d Full ms3 500.25@35.00 300.75@35.00");
    const std::string decimalPoint = std::localeconv()->decimal_point;
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(decimalPoint, ",");
    EXPECT_TRUE(parses);
    EXPECT_EQ(f.m_Precursors[0], 500.25);
    EXPECT_EQ(f.m_Precursors[1], 300.75);
}

TEST(TavrionFunctions, GroupedByKeySortedByDisplayText)
{
    const std::vector<std::wstring> filters = {
        L"FTMS + p ESI Full ms [100.00-1000.00]",
        L"FTMS + p ESI d Full ms2 500.00@35.00 [135.00-1000.00]",
        L"FTMS + p ESI d Full ms2 600.00@35.00 [160.00-1000.00]",  // another precursor, the same function
        L"FTMS + p ESI Full ms [100.00-1000.00]",
        L"c ESI Full ms",
        L"ITMS + c ESI d Full ms3 500.00@cid35.00 300.00@cid35.00",  // does not parse, still grouped
        L"ITMS + c ESI d Full ms3 500.00@cid35.00 310.00@cid35.00",
        L"bTMS + p ESI Full ms",
        L"CTMS + p ESI Full ms",
    };
    const auto records = GroupScansByFilter(LONG(filters.size()), [&](LONG scan) { return filters[size_t(scan - 1)]; });
    struct Expected {
        const wchar_t* display;
        const wchar_t* key;
        std::vector<LONG> scans;
        LONG type;
        SHORT order;
        SHORT polarity;
    };
    // Character order: upper case before lower case.
    const Expected expected[] = {
        {L"CTMS + p ESI Full ms", L" ctms + full ms", {8}, 1, 1, 1},
        {L"FTMS + p ESI Full ms [100.00-1000.00]", L" ftms + full ms", {0, 3}, 1, 1, 1},
        {L"FTMS + p ESI d Full ms2  [135.00-1000.00]", L" ftms + full ms2", {1, 2}, 2, 2, 1},
        {L"ITMS + c ESI d Full ms3 500.00@cid35.00 300.00@cid35.00", L" itms + full ms3", {5, 6}, 2, 3, 1},
        {L"bTMS + p ESI Full ms", L" btms + full ms", {7}, 1, 1, 1},
        {L"c ESI Full ms", L"full ms", {4}, 1, 1, 0},
    };
    ASSERT_EQ(records.size(), std::size(expected));
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].displayText, expected[i].display);
        EXPECT_EQ(records[i].key, expected[i].key);
        EXPECT_EQ(records[i].scans, expected[i].scans);
        EXPECT_EQ(records[i].functionType, expected[i].type);
        EXPECT_EQ(records[i].msOrder, expected[i].order);
        EXPECT_EQ(records[i].polarity, expected[i].polarity);
    }
    EXPECT_TRUE(GroupScansByFilter(0, [](LONG) { return std::wstring(L"x"); }).empty());
}

}  // namespace
