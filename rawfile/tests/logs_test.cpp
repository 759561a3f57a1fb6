// The status log, trailer extra, tune data and error log through the
// reader.
#include "ombreltest.h"

using namespace ombreltest;

TEST_F(OmbrelTest, StatusLogByTimeByScanAndItem)
{
    openSampleMS();
    // Records at 0.5, 1.0, 1.5 and 2.0 minutes: 1.2 reads the one at 1.0.
    double rt = 1.2;
    Var labels, values;
    LONG count = 0;
    ASSERT_EQ(reader->GetStatusLogForRT(&rt, &labels.v, &values.v, &count), kOmbrelDone);
    EXPECT_EQ(rt, 1.0);
    ASSERT_EQ(count, 14);
    const std::vector<std::wstring> l = Texts(labels.v), v = Texts(values.v);
    EXPECT_EQ(l[1], L"Source Voltage (kV):");
    EXPECT_EQ(v[1], L"3.60");
    EXPECT_EQ(v[8], L"201");
    EXPECT_EQ(v[9], L"True");

    double scanRt = -1;
    Var byScan;
    ASSERT_EQ(reader->GetStatusLogLabelsForScanNum(1, &scanRt, &byScan.v, &count), kOmbrelDone);
    EXPECT_EQ(scanRt, 0.5);
    EXPECT_EQ(Texts(byScan.v), l);

    Var item;
    rt = 1.2;
    Text tune(L"tune index:");
    ASSERT_EQ(reader->GetStatusLogValueForRT(&rt, tune.b, &item.v), kOmbrelDone);
    EXPECT_EQ(item.v.vt, VT_UI1);
    EXPECT_EQ(item.v.bVal, 201);
    EXPECT_EQ(rt, 1.0);
    Var none;
    Text empty(L""), unknown(L"No Such Item:");
    EXPECT_EQ(reader->GetStatusLogValueForRT(&rt, empty.b, &none.v), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetStatusLogValueForRT(&rt, nullptr, &none.v), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetStatusLogValueForRT(&rt, unknown.b, &none.v), kOmbrelEngineFailed);
    double late = 100.0;
    EXPECT_EQ(reader->GetStatusLogValueForRT(&late, tune.b, &none.v), kOmbrelBadArgument);
    double scanTime = -1;
    EXPECT_EQ(reader->GetStatusLogValueForScanNum(30, tune.b, &scanTime, &none.v), kOmbrelDone);
    EXPECT_EQ(scanTime, 1.5);  // scan 30 starts at 1.95: the record at 1.5
    EXPECT_EQ(reader->GetStatusLogValueForScanNum(31, tune.b, &scanTime, &item.v), kOmbrelBadArgument);
}

TEST_F(OmbrelTest, StatusLogByPositionReadsEveryEntryByIndex)
{
    // Two entries at one time, with different values.
    GenericRecord second = model.controllers[0].statusLog.records[1];
    second.bytes[model.controllers[0].statusLog.header.ItemOffset(8)] = 99;
    model.controllers[0].statusLog.records.insert(model.controllers[0].statusLog.records.begin() + 2, second);
    sample = writeModel(model, "equal.raw");
    openSampleMS();
    Var times, values;
    LONG count = -1;
    ASSERT_EQ(reader->GetStatusLogForPos(8, &times.v, &values.v, &count), kOmbrelDone);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(Texts(times.v), (std::vector<std::wstring>{L"0.50", L"1.00", L"1.00", L"1.50", L"2.00"}));
    EXPECT_EQ(Texts(values.v), (std::vector<std::wstring>{L"200", L"201", L"99", L"202", L"203"}));
    Var t2, v2;
    ASSERT_EQ(reader->GetStatusLogForPos(99, &t2.v, &v2.v, &count), kOmbrelDone);
    EXPECT_EQ(Texts(v2.v), std::vector<std::wstring>(5));  // beyond the items: empty texts
    Var t3, v3;
    EXPECT_EQ(reader->GetStatusLogForPos(-1, &t3.v, &v3.v, &count), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetStatusLogForPos(1, &t3.v, &v3.v, nullptr), kOmbrelBadArgument);
    EXPECT_EQ(count, 0);

    Var index, positions;
    ASSERT_EQ(reader->GetStatusLogPlottableIndex(&index.v, &positions.v, &count), kOmbrelDone);
    EXPECT_EQ(count, 8);  // the numbers: items 1 to 8
    EXPECT_EQ(Texts(index.v)[0], L"Source Voltage (kV):");
    ASSERT_EQ(positions.v.vt, VT_ARRAY | VT_UI4);
    uint32_t* p = nullptr;
    ASSERT_EQ(SafeArrayAccessData(positions.v.parray, reinterpret_cast<void**>(&p)), S_OK);
    for (uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(p[i], i + 1);
    SafeArrayUnaccessData(positions.v.parray);

    // No controller: 0 and nothing else.
    ASSERT_EQ(open(sample), kOmbrelDone);
    Var t4, v4;
    count = 7;
    EXPECT_EQ(reader->GetStatusLogForPos(1, &t4.v, &v4.v, &count), kOmbrelDone);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(t4.v.vt, VT_EMPTY);
}

TEST_F(OmbrelTest, TrailerExtraByScanAndByTime)
{
    openSampleMS();
    Var labels, values;
    LONG count = 0;
    ASSERT_EQ(reader->GetTrailerExtraForScanNum(2, &labels.v, &values.v, &count), kOmbrelDone);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(Texts(labels.v)[2], L"Charge State:");
    EXPECT_EQ(Texts(values.v)[2], L"2");
    Var item;
    Text charge(L"Charge State:");
    ASSERT_EQ(reader->GetTrailerExtraValueForScanNum(2, charge.b, &item.v), kOmbrelDone);
    EXPECT_EQ(item.v.vt, VT_I2);
    EXPECT_EQ(item.v.iVal, 2);
    Var none;
    EXPECT_EQ(reader->GetTrailerExtraValueForScanNum(31, charge.b, &none.v), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetTrailerExtraLabelsForScanNum(0, &none.v, &count), kOmbrelBadArgument);

    double rt = 0.0;
    ASSERT_EQ(reader->RTFromScanNum(7, &rt), kOmbrelDone);
    const double seven = rt;
    rt += 0.001;
    Var byTime;
    ASSERT_EQ(reader->GetTrailerExtraValueForRT(&rt, charge.b, &byTime.v), kOmbrelDone);
    EXPECT_EQ(rt, seven);
    EXPECT_EQ(byTime.v.iVal, 1);
    // An engine failure of the by-scan step is not success.
    Var failed;
    double again = seven;
    testhook::FailNextCall("GetTrailerExtraDataAtScan");
    EXPECT_EQ(reader->GetTrailerExtraForRT(&again, &failed.v, nullptr, &count), kOmbrelEngineFailed);
    EXPECT_EQ(failed.v.vt, VT_EMPTY);

    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    EXPECT_EQ(reader->GetTrailerExtraForScanNum(2, &none.v, nullptr, &count), kOmbrelNotMS);

    // A file without trailer records: 1 and count 0 by scan, 0 by time
    // with the outputs empty and the time unchanged.
    model.controllers[0].trailer.records.clear();
    ASSERT_EQ(open(writeModel(model, "notrailer.raw")), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    count = 7;
    EXPECT_EQ(reader->GetTrailerExtraForScanNum(2, &none.v, nullptr, &count), kOmbrelNothing);
    EXPECT_EQ(count, 0);
    double t = seven + 0.001;
    Var empty;
    EXPECT_EQ(reader->GetTrailerExtraLabelsForRT(&t, &empty.v, &count), kOmbrelDone);
    EXPECT_EQ(t, seven + 0.001);
    EXPECT_EQ(empty.v.vt, VT_EMPTY);
}

TEST_F(OmbrelTest, TuneDataAndErrorLog)
{
    ASSERT_EQ(open(sample), kOmbrelDone);
    Var labels, values;
    LONG count = 0;
    EXPECT_EQ(reader->GetTuneData(0, &labels.v, &values.v, &count), kOmbrelNotMS);  // no controller: 5
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    ASSERT_EQ(reader->GetTuneData(1, &labels.v, &values.v, &count), kOmbrelDone);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(Texts(values.v)[3], L"SIM");
    Var none;
    EXPECT_EQ(reader->GetTuneDataLabels(2, &none.v, &count), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetTuneDataLabels(-1, &none.v, &count), kOmbrelBadArgument);
    Var item;
    const std::wstring label = Texts(labels.v)[1];
    Text l(label);
    ASSERT_EQ(reader->GetTuneDataValue(0, l.b, &item.v), kOmbrelDone);
    EXPECT_EQ(item.v.vt, VT_R8);
    EXPECT_EQ(item.v.dblVal, 275.0);

    double rt = -1;
    Text message;
    ASSERT_EQ(reader->GetErrorLogItem(1, &rt, &message.b), kOmbrelDone);
    EXPECT_EQ(rt, 1.62);
    EXPECT_EQ(message.str(), L"Lock mass not found");
    Text other;
    EXPECT_EQ(reader->GetErrorLogItem(2, &rt, &other.b), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetErrorLogItem(0, nullptr, &other.b), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetErrorLogItem(0, &rt, &message.b), kOmbrelBadArgument);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelPDA, 1), kOmbrelDone);
    EXPECT_EQ(reader->GetErrorLogItem(0, &rt, &other.b), kOmbrelNothing);
    EXPECT_EQ(reader->GetTuneDataValue(0, l.b, &none.v), kOmbrelNotMS);
}
