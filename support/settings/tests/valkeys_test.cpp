// Validation records and value keys: initial values, round trips, stored
// names and texts, ranges (also damaged ones), auto-save, read-only hives.
#include "pellumor_testutil.h"
#include "valkeys.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>

using pt::below;

namespace {

const std::wstring kValKey = below(L"Settings\\Scan");

CFRegKey parentKey()
{
    return CFRegKey(HKEY_CURRENT_USER, L"Settings", 1, 0);
}

}  // namespace

TEST(ValueKeys, NewIntKeyKeepsInitialValuesAndLeavesAnEmptySettingsKey)
{
    CFRegKey parent = parentKey();
    CIntValKey key(parent, L"Scan", L"Rate", 1, 0);
    EXPECT_EQ(key.IsValid(), 1);
    EXPECT_EQ(key.m_Validation.nMinimum, INT_MIN);
    EXPECT_EQ(key.m_Validation.nMaximum, INT_MAX);
    EXPECT_EQ(key.m_Validation.nDefault, 0);
    EXPECT_EQ(key.m_Validation.nMaxLength, 11);
    EXPECT_EQ(key.m_Validation.nInterval, 1);
    EXPECT_EQ(key.m_strName, L"Rate");
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, kValKey + L"\\Rate"));
    CFRegKey settings(HKEY_CURRENT_USER, L"Settings\\Scan\\Rate", 0, 0);
    CStringArray names;
    EXPECT_EQ(settings.GetSubvalueNames(names), 1);
    EXPECT_EQ(names.GetSize(), 0);

    // Missing value key and no create flag: nothing loads.
    CIntValKey missing(parent, L"Other", L"Rate", 0, 0);
    EXPECT_EQ(missing.IsValid(), 0);
    EXPECT_EQ(missing.Load(), 0);
    EXPECT_EQ(missing.Save(), 0);
}

TEST(ValueKeys, InitialRecords)
{
    DoubleValidation d;
    EXPECT_EQ(d.dMinimum, -DBL_MAX);
    EXPECT_EQ(d.dMaximum, DBL_MAX);
    EXPECT_EQ(d.nMaxLength, 9);
    EXPECT_EQ(d.nPrecision, 2);
    IntRangeValidation ir;
    EXPECT_EQ(ir.nMin, INT_MIN);
    EXPECT_EQ(ir.nMaxPairs, 1);
    EXPECT_EQ(ir.nPairsOK, 1);
    EXPECT_EQ(ir.Ranges.GetSize(), 0);
    SB2_DoubleRangeValidation sb;
    EXPECT_EQ(sb.dMax, DBL_MAX);
    EXPECT_EQ(sb.nMaxLength, 9);
    StringValidation s;
    EXPECT_EQ(s.nMaxLength, 50);
    ListValidation l;
    EXPECT_EQ(l.nMaxLength, 50);
    CIntValKey unbound;
    EXPECT_EQ(unbound.IsValid(), 0);
    EXPECT_EQ(unbound.Save(), 0);
}

TEST(ValueKeys, IntAndDoubleKeysRoundTripUnderTheirValueNames)
{
    CFRegKey parent = parentKey();
    {
        CIntValKey key(parent, L"Scan", L"Rate", 1, 0);
        key.m_Validation = IntValidation();
        key.m_Validation.nMinimum = -5;
        key.m_Validation.nMaximum = 500;
        key.m_Validation.nDefault = 20;
        key.m_Validation.nMaxLength = 3;
        key.m_Validation.nInterval = 5;
        ASSERT_EQ(key.Save(), 1);
    }
    const std::wstring rate = kValKey + L"\\Rate";
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, rate, L"Minimum"), L"-5");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, rate, L"Maximum"), L"500");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, rate, L"Max Length"), L"3");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, rate, L"Interval"), L"5");
    CIntValKey again(parent, L"Scan", L"Rate", 0, 0);
    EXPECT_EQ(again.m_Validation.nMinimum, -5);
    EXPECT_EQ(again.m_Validation.nDefault, 20);
    EXPECT_EQ(again.m_Validation.nInterval, 5);
    CIntValKey copy(again);
    EXPECT_EQ(copy.m_Validation.nMaximum, 500);
    EXPECT_EQ(copy.m_strName, L"Rate");

    {
        CDoubleValKey key(parent, L"Scan", L"Mass", 1, 0);
        key.m_Validation.dMinimum = 0.1;
        key.m_Validation.dMaximum = 1.0 / 3.0;
        key.m_Validation.dDefault = 2.5e6;
        key.m_Validation.nPrecision = 4;
        ASSERT_EQ(key.Save(), 1);
    }
    const std::wstring mass = kValKey + L"\\Mass";
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, mass, L"Minimum"), L"0.1");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, mass, L"Maximum"), L"0.333333");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, mass, L"Default"), L"2.5e+06");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, mass, L"Precision"), L"4");
    CDoubleValKey d;
    EXPECT_EQ(d.Init(parent, L"Scan", L"Mass", 0), 1);
    EXPECT_DOUBLE_EQ(d.m_Validation.dMinimum, 0.1);
    EXPECT_DOUBLE_EQ(d.m_Validation.dMaximum, 0.333333);
    EXPECT_DOUBLE_EQ(d.m_Validation.dDefault, 2.5e6);
    EXPECT_EQ(d.m_Validation.nMaxLength, 9);
    // The initial extremes survive the six-digit text.
    CDoubleValKey extremes(parent, L"Scan", L"Extremes", 1, 0);
    ASSERT_EQ(extremes.Save(), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kValKey + L"\\Extremes", L"Minimum"), L"-1.79769e+308");
}

TEST(ValueKeys, StringKeyWithoutMaxLengthLoadsZero)
{
    CFRegKey parent = parentKey();
    pt::setSz(HKEY_CURRENT_USER, kValKey + L"\\Title", L"Default", L"Untitled");
    CStringValKey key(parent, L"Scan", L"Title", 0, 0);
    EXPECT_EQ(key.m_Validation.strDefault, L"Untitled");
    EXPECT_EQ(key.m_Validation.nMaxLength, 0);

    key.m_Validation.nMaxLength = 32;
    ASSERT_EQ(key.Save(), 1);
    const pt::Raw raw = pt::raw(HKEY_CURRENT_USER, kValKey + L"\\Title", L"Max Length");
    EXPECT_EQ(raw.type, REG_SZ);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kValKey + L"\\Title", L"Max Length"), L"32");
    CStringValKey again(parent, L"Scan", L"Title", 0, 0);
    EXPECT_EQ(again.m_Validation.nMaxLength, 32);
    CStringValKey copy(again);
    EXPECT_EQ(copy.m_Validation.strDefault, L"Untitled");
}

TEST(ValueKeys, DoubleRangesRoundTripAsCLocaleText)
{
    CFRegKey parent = parentKey();
    {
        CDoubleRangeValKey key(parent, L"Scan", L"Window", 1, 0);
        DoubleRange r;
        r.dLow = 0.1;
        r.dHigh = 1.0 / 3.0;
        key.m_Validation.Ranges.Add(r);
        r.dLow = 2.5e6;
        r.dHigh = -4;
        key.m_Validation.Ranges.Add(r);
        key.m_Validation.dMin = -1;
        key.m_Validation.nMaxPairs = 2;
        ASSERT_EQ(key.Save(), 1);
    }
    const std::wstring window = kValKey + L"\\Window";
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, window, L"Array Size"), L"2");
    EXPECT_EQ(pt::multi(HKEY_CURRENT_USER, window, L"Ranges"),
              (std::vector<std::wstring>{L"0.1", L"0.333333", L"2.5e+06", L"-4"}));
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, window, L"Min"), L"-1");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, window, L"MaxPairs"), L"2");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, window, L"MaxLength"), L"9");
    EXPECT_TRUE(pt::valueExists(HKEY_CURRENT_USER, window, L"Pairs OK"));
    EXPECT_FALSE(pt::valueExists(HKEY_CURRENT_USER, window, L"Minimum"));

    CDoubleRangeValKey again(parent, L"Scan", L"Window", 0, 0);
    ASSERT_EQ(again.m_Validation.Ranges.GetSize(), 2);
    EXPECT_DOUBLE_EQ(again.m_Validation.Ranges[0].dLow, 0.1);
    EXPECT_DOUBLE_EQ(again.m_Validation.Ranges[0].dHigh, 0.333333);
    EXPECT_DOUBLE_EQ(again.m_Validation.Ranges[1].dLow, 2.5e6);
    EXPECT_EQ(again.m_Validation.nMaxPairs, 2);

    // The second double range class stores the same way.
    SB2_DoubleRangeValKey sb2(parent, L"Scan", L"Window", 0, 0);
    ASSERT_EQ(sb2.m_Validation.Ranges.GetSize(), 2);
    EXPECT_DOUBLE_EQ(sb2.m_Validation.Ranges[1].dHigh, -4);
    SB2_DoubleRangeValKey assigned;
    assigned = sb2;
    EXPECT_EQ(assigned.m_Validation.Ranges.GetSize(), 2);
    EXPECT_EQ(assigned.m_strName, L"Window");
}

TEST(ValueKeys, IntRangesRoundTripAndEmptyRangesKeepTheStoredOnes)
{
    CFRegKey parent = parentKey();
    {
        CIntRangeValKey key(parent, L"Scan", L"Channels", 1, 0);
        IntRange r;
        r.nLow = 1;
        r.nHigh = 8;
        key.m_Validation.Ranges.Add(r);
        key.m_Validation.nInterval = 2;
        ASSERT_EQ(key.Save(), 1);
    }
    const std::wstring channels = kValKey + L"\\Channels";
    EXPECT_EQ(pt::multi(HKEY_CURRENT_USER, channels, L"Ranges"), (std::vector<std::wstring>{L"1", L"8"}));
    {
        CIntRangeValKey key(parent, L"Scan", L"Channels", 0, 0);
        key.m_Validation.Ranges.RemoveAll();
        key.m_Validation.nInterval = 3;
        ASSERT_EQ(key.Save(), 1);
    }
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, channels, L"Interval"), L"3");
    CIntRangeValKey again(parent, L"Scan", L"Channels", 0, 0);
    ASSERT_EQ(again.m_Validation.Ranges.GetSize(), 1);
    EXPECT_EQ(again.m_Validation.Ranges[0].nHigh, 8);
    EXPECT_EQ(again.m_Validation.nInterval, 3);
}

// Stored "Array Size" and "Ranges" that disagree load within bounds.
TEST(ValueKeys, DisagreeingArraySizeAndRangesAreBounded)
{
    struct Case {
        const wchar_t* arraySize;  // null: missing
        std::vector<std::wstring> ranges;
        std::vector<std::pair<int, int>> expected;
    } cases[] = {
        {L"2", {L"1", L"2", L"3", L"4"}, {{1, 2}, {3, 4}}},
        {L"3", {L"1", L"2", L"3", L"4"}, {{1, 2}, {3, 4}, {0, 0}}},
        {L"1", {L"1", L"2", L"3", L"4", L"5", L"6"}, {{1, 2}}},
        {L"2", {L"1", L"2", L"3"}, {{1, 2}, {3, 0}}},
        {L"-5", {L"1", L"2"}, {}},
        {L"junk", {L"1", L"2"}, {}},
        {L"2", {}, {{0, 0}, {0, 0}}},
        {L"0x2", {L"7", L"x9"}, {{7, 0}, {0, 0}}},
    };
    CFRegKey parent = parentKey();
    for (const Case& c : cases) {
        pt::deleteTree(HKEY_CURRENT_USER, below(L"Settings"));
        const std::wstring path = kValKey + L"\\R";
        pt::setSz(HKEY_CURRENT_USER, path, L"Array Size", c.arraySize);
        if (!c.ranges.empty())
            pt::setMulti(HKEY_CURRENT_USER, path, L"Ranges", c.ranges);
        CIntRangeValKey ints(parent, L"Scan", L"R", 0, 0);
        CDoubleRangeValKey doubles(parent, L"Scan", L"R", 0, 0);
        ASSERT_EQ(size_t(ints.m_Validation.Ranges.GetSize()), c.expected.size()) << c.arraySize;
        ASSERT_EQ(size_t(doubles.m_Validation.Ranges.GetSize()), c.expected.size()) << c.arraySize;
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(ints.m_Validation.Ranges[INT_PTR(i)].nLow, c.expected[i].first) << c.arraySize;
            EXPECT_EQ(ints.m_Validation.Ranges[INT_PTR(i)].nHigh, c.expected[i].second) << c.arraySize;
            EXPECT_EQ(doubles.m_Validation.Ranges[INT_PTR(i)].dLow, c.expected[i].first) << c.arraySize;
        }
    }

    // A huge count never allocates by what it says.
    pt::setSz(HKEY_CURRENT_USER, kValKey + L"\\R", L"Array Size", L"2147483647");
    CIntRangeValKey huge(parent, L"Scan", L"R", 0, 0);
    EXPECT_LE(huge.m_Validation.Ranges.GetSize(), 65536);
    EXPECT_EQ(huge.m_Validation.Ranges[0].nLow, 7);
}

TEST(ValueKeys, LoadKeepsExistingRangesUpToTheStoredCount)
{
    CFRegKey parent = parentKey();
    const std::wstring path = kValKey + L"\\R";
    pt::setSz(HKEY_CURRENT_USER, path, L"Array Size", L"3");
    pt::setMulti(HKEY_CURRENT_USER, path, L"Ranges", {L"1", L"2"});
    CIntRangeValKey key;
    for (int i = 0; i < 4; ++i) {
        IntRange r;
        r.nLow = r.nHigh = 100 + i;
        key.m_Validation.Ranges.Add(r);
    }
    EXPECT_EQ(key.Init(parent, L"Scan", L"R", 0), 1);
    ASSERT_EQ(key.m_Validation.Ranges.GetSize(), 3);
    EXPECT_EQ(key.m_Validation.Ranges[0].nLow, 1);
    EXPECT_EQ(key.m_Validation.Ranges[1].nLow, 101);
    EXPECT_EQ(key.m_Validation.Ranges[2].nHigh, 102);
}

TEST(ValueKeys, ListKeyWritesNothing)
{
    CFRegKey parent = parentKey();
    CListValKey key(parent, L"Scan", L"Choices", 1, 0);
    key.m_Validation.List.Add(L"one");
    key.m_Validation.nMaxLength = 3;
    key.m_Validation.strDefault = L"one";
    EXPECT_EQ(key.Save(), 1);
    EXPECT_FALSE(pt::keyExists(HKEY_CURRENT_USER, kValKey + L"\\Choices"));
    CListValKey again(parent, L"Scan", L"Choices", 0, 0);
    EXPECT_EQ(again.Load(), 1);
    EXPECT_EQ(again.m_Validation.List.GetSize(), 0);
    EXPECT_EQ(again.m_Validation.nMaxLength, 50);
    CListValKey assigned;
    assigned = key;
    EXPECT_EQ(assigned.m_Validation.List.GetSize(), 1);
    EXPECT_EQ(assigned.m_Validation.List[0], L"one");
}

TEST(ValueKeys, AutoSaveWritesTheRecordOnDestruction)
{
    CFRegKey parent = parentKey();
    {
        CIntValKey key(parent, L"Scan", L"Auto", 1, 1);
        key.m_Validation.nDefault = 77;
    }
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kValKey + L"\\Auto", L"Default"), L"77");
    {
        CIntValKey key(parent, L"Scan", L"Manual", 1, 0);
        key.m_Validation.nDefault = 77;
    }
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kValKey + L"\\Manual", L"Default"), L"<missing>");
}

TEST(ValueKeys, ReadOnlyHiveFailsLoadAndSaveAndKeepsTheRecord)
{
    const std::wstring rate = below(L"Settings\\Scan\\Rate");
    pt::setSz(HKEY_LOCAL_MACHINE, rate, L"Default", L"12");
    CFRegKey parent(HKEY_LOCAL_MACHINE, L"Settings", 0, 0);
    pt::ReadOnlyHive ro(HKEY_LOCAL_MACHINE);
    CIntValKey key(parent, L"Scan", L"Rate", 0, 0);
    EXPECT_EQ(key.m_Validation.nDefault, 0);
    EXPECT_EQ(key.Load(), 0);
    key.m_Validation.nDefault = 5;
    EXPECT_EQ(key.Save(), 0);
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, rate, L"Default"), L"12");
}
