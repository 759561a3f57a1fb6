// Generic records: text and VARIANT forms of every data kind, damaged
// records, plottable items, the status log by time and by index, trailer
// and tune records.
#include "rawtest.h"

#include "kscomptr.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace rawtest;

TEST(RawGeneric, TextAndVariantFormsOfEveryKind)
{
    auto f = loadBytes(SerializeRawFile(MakeSampleFile()));
    const CVirtualData& ms = f->Controller(0);
    const CGenericDataHeader& h = ms.GetStatusLogHeader();
    const GenericRecord& r = ms.GetStatusLogRecord(0);  // the sample's first status record
    struct Case {
        const wchar_t* label;
        uint32_t kind;
        const wchar_t* text;
        VARTYPE vt;
        double value;  // numbers; booleans as -1 / 0
    } cases[] = {
        {L"API SOURCE", kDataNull, L"", VT_EMPTY, 0},
        {L"Source Voltage (kV):", kDataFloat, L"3.50", VT_R4, 3.5},
        {L"Capillary Temp (C):", kDataDouble, L"275.0", VT_R8, 275.0},
        {L"Sheath Gas Flow Rate:", kDataShort, L"40", VT_I2, 40},
        {L"Aux Gas Flow Rate:", kDataUShort, L"10", VT_UI2, 10},
        {L"Ion Gauge (counts):", kDataLong, L"-12", VT_I4, -12},
        {L"Turbo Pump Speed (Hz):", kDataULong, L"3000000000", VT_UI4, 3000000000.0},
        {L"Drift (ppm):", kDataChar, L"-3", VT_I1, -3},
        {L"Tune Index:", kDataUChar, L"200", VT_UI1, 200},
        {L"Interlock:", kDataTrueFalse, L"False", VT_BOOL, 0},
        {L"Vacuum OK:", kDataYesNo, L"Yes", VT_BOOL, -1},
        {L"Vent Valve:", kDataOnOff, L"Off", VT_BOOL, 0},
        {L"Instrument Status:", kDataCharString, L"Ready", VT_BSTR, 0},
        {L"Operator Note:", kDataWCharString, L"start", VT_BSTR, 0},
    };
    ASSERT_EQ(h.NumItems(), int(std::size(cases)));
    for (int i = 0; i < h.NumItems(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(h.Item(i).label, c.label);
        EXPECT_EQ(h.Item(i).kind, c.kind);
        EXPECT_EQ(GenericItemToText(h, r, i), c.text) << i;
        ks::Variant v;
        GenericDataItemToVariant(h, r, i, &v);
        ASSERT_EQ(v.vt, c.vt) << i;
        if (c.vt == VT_BSTR) {
            EXPECT_EQ(std::wstring(v.bstrVal), c.text);
        } else if (c.vt != VT_EMPTY) {
            VARIANT d;
            VariantInit(&d);
            ASSERT_EQ(VariantChangeType(&d, &v, 0, VT_R8), S_OK) << i;
            EXPECT_EQ(d.dblVal, c.value) << i;
        }
    }
    std::vector<std::wstring> labels, values;
    ASSERT_TRUE(GenericRecordToText(h, r, labels, values));
    EXPECT_EQ(labels.size(), 14u);
    EXPECT_EQ(values[12], L"Ready");
    // Records 2 and 4: the other boolean states and a full-width text.
    EXPECT_EQ(GenericItemToText(h, ms.GetStatusLogRecord(1), 9), L"True");
    EXPECT_EQ(GenericItemToText(h, ms.GetStatusLogRecord(3), 11), L"On");
    EXPECT_EQ(GenericItemToText(h, ms.GetStatusLogRecord(3), 12), L"Standby");
    EXPECT_EQ(GenericItemToText(h, ms.GetStatusLogRecord(3), 13), L"");
}

TEST(RawGeneric, StringsEndAtTheirZeroOrTheirCapacity)
{
    CGenericDataHeader h;
    h.SetNumItems(2);
    h.ItemData(0, L"A:", kDataCharString, 4);
    h.ItemData(1, L"W:", kDataWCharString, 2);
    GenericRecord r;
    r.bytes = {'a', 0xE9, 'c', 'd', 'x', 0, 0xAC, 0x20};  // Latin-1 e acute; x and the euro sign
    EXPECT_EQ(GenericItemToText(h, r, 0), L"a\u00e9cd");
    EXPECT_EQ(GenericItemToText(h, r, 1), L"x\u20ac");
    r.bytes = {'a', 0, 'c', 'd', 0, 0, 'y', 0};
    EXPECT_EQ(GenericItemToText(h, r, 0), L"a");
    EXPECT_EQ(GenericItemToText(h, r, 1), L"");
}

TEST(RawGeneric, DamagedRecordsAndUnknownKindsFailAlone)
{
    CGenericDataHeader h;
    h.SetNumItems(3);
    h.ItemData(0, L"N:", kDataLong, 0);
    h.ItemData(1, L"Odd:", 77, 0);
    h.ItemData(2, L"M:", kDataDouble, 2);
    GenericRecord good;
    good.bytes = {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F};  // 7, then 1.5
    EXPECT_EQ(GenericItemToText(h, good, 0), L"7");
    EXPECT_EQ(GenericItemToText(h, good, 2), L"1.50");
    EXPECT_THROW(GenericItemToText(h, good, 1), EngineError);
    ks::Variant v;
    EXPECT_THROW(GenericDataItemToVariant(h, good, 1, &v), EngineError);
    EXPECT_THROW(GenericItemToText(h, good, 3), EngineError);
    std::vector<std::wstring> labels, values;
    EXPECT_TRUE(GenericRecordToText(h, good, labels, values));
    EXPECT_EQ(values, (std::vector<std::wstring>{L"7", L"", L"1.50"}));
    GenericRecord shortRecord = good;
    shortRecord.bytes.pop_back();
    EXPECT_THROW(GenericItemToText(h, shortRecord, 0), EngineError);
    EXPECT_FALSE(GenericRecordToText(h, shortRecord, labels, values));
    EXPECT_TRUE(labels.empty());
    // In a file: the damaged record fails, its neighbours read.
    FileData model = MakeSampleFile();
    model.controllers[0].trailer.records[3].bytes.resize(2);
    auto f = loadBytes(SerializeRawFile(model));
    const auto& ms = static_cast<const CVirtualMS&>(f->Controller(0));
    EXPECT_FALSE(ms.GetTrailerExtraDataAtScan(4, labels, values));
    EXPECT_TRUE(ms.GetTrailerExtraDataAtScan(5, labels, values));
}

TEST(RawGeneric, PlottableItemsAreTheNumbers)
{
    auto f = loadBytes(SerializeRawFile(MakeSampleFile()));
    std::vector<std::wstring> labels;
    std::vector<uint32_t> positions;
    ASSERT_TRUE(f->Controller(0).StatusLogPlottable(labels, positions));
    EXPECT_EQ(positions, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(labels.front(), L"Source Voltage (kV):");
    EXPECT_FALSE(f->Controller(1).StatusLogPlottable(labels, positions));  // no status log
    EXPECT_TRUE(labels.empty());
}

TEST(RawGeneric, StatusLogByTimeIsTheLastRecordAtOrBeforeElseTheFirst)
{
    FileData model = MakeSampleFile();
    GenericLog& log = model.controllers[0].statusLog;  // records at 0.5, 1.0, 1.5, 2.0
    log.records.insert(log.records.begin() + 2, log.records[1]);  // a second record at 1.0
    log.records[2].bytes[1] = 0x42;
    auto f = loadBytes(SerializeRawFile(model));
    const CVirtualData& ms = f->Controller(0);
    struct Case {
        double time;
        int32_t index;
    } cases[] = {{0.0, 0}, {0.5, 0}, {0.99, 0}, {1.0, 2}, {1.2, 2}, {2.0, 4}, {50.0, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(ms.GetStatusLogAtTime(c.time), c.index) << c.time;
    std::vector<std::wstring> labels, values;
    float t = 0;
    ASSERT_TRUE(ms.GetStatusLogAtTime(1.7, labels, values, t));
    EXPECT_EQ(t, 1.5f);
    EXPECT_EQ(values[1], L"3.70");
    EXPECT_EQ(f->Controller(1).GetStatusLogAtTime(1.0), -1);
    EXPECT_FALSE(f->Controller(1).GetStatusLogAtTime(1.0, labels, values, t));
}

TEST(RawGeneric, TrailerByScanAndTuneBySegment)
{
    auto f = loadBytes(SerializeRawFile(MakeSampleFile()));
    const auto& ms = static_cast<const CVirtualMS&>(f->Controller(0));
    std::vector<std::wstring> labels, values;
    ASSERT_TRUE(ms.GetTrailerExtraDataAtScan(2, labels, values));
    EXPECT_EQ(labels[0], L"Scan Event:");
    EXPECT_EQ(values[0], L"2");
    EXPECT_EQ(values[1], L"1");
    EXPECT_EQ(values[2], L"2");
    EXPECT_EQ(values[3], L"500.2452");
    EXPECT_EQ(values[6], L"dependent");
    EXPECT_FALSE(ms.GetTrailerExtraDataAtScan(0, labels, values));
    EXPECT_FALSE(ms.GetTrailerExtraDataAtScan(31, labels, values));
    ASSERT_TRUE(ms.GetTuneDataAtSegment(1, labels, values));
    EXPECT_EQ(values, (std::vector<std::wstring>{L"4.00", L"300.0", L"110.50", L"SIM"}));
    EXPECT_FALSE(ms.GetTuneDataAtSegment(2, labels, values));
    EXPECT_FALSE(ms.GetTuneDataAtSegment(-1, labels, values));
}

TEST(RawGeneric, NumbersAreWrittenInTheCLocaleWhateverTheProcessLocale)
{
    std::string why;
    const std::string comma = ks::test::makeCommaLocale(&why);
    if (comma.empty())
        GTEST_SKIP() << why;
    const std::string old = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, comma.c_str()), nullptr);
    EXPECT_EQ(NumberToString(1234.5678, 2), L"1234.57");
    EXPECT_EQ(NumberToString(-0.5, 0), L"-0");
    const std::optional<CFilter> f = ParseFilter(L"ms2 500.25@35.5 [100.5-200]", 2);
    std::setlocale(LC_ALL, old.c_str());
    ASSERT_TRUE(f);
    EXPECT_EQ(f->GetFilterString(2), L"ms2 500.25@35.50 [100.50-200.00]");
}
