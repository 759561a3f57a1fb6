// The writers' rules member by member: what needs a file, names and file
// names, the run-time threshold, the header and scan-event life cycles,
// the key of a method event, refused indexes, counts and pointers (the
// mends), files the engine cannot make, engine failures and allocation
// failures, the release, and the registration.
#include "writertest.h"
#include "zylvirms.h"

#include <cmath>
#include <functional>
#include <sys/stat.h>

using namespace writertest;

namespace {

LPWSTR text(const wchar_t* s) { return const_cast<LPWSTR>(s); }

class MSWriterTest : public WriterTest {
protected:
    void SetUp() override
    {
        WriterTest::SetUp();
        ms = createByProgId<IZylVirMS>(L"Ombrel2.ZylVirMS");
        ASSERT_TRUE(ms);
    }
    HRESULT create(const std::string& name)
    {
        std::wstring p = wpath(name);
        return ms->Create(p.data());
    }
    // Scans (and their readable count) of a finished file; -1 when it
    // does not open.
    LONG scansOf(const std::string& name, LONG kind = kOmbrelMS)
    {
        if (open(path(name)) != kOmbrelDone || reader->SetCurrentController(kind, 1) != kOmbrelDone)
            return -1;
        LONG n = -1;
        reader->GetNumSpectra(&n);
        return n;
    }
    // One scan in the peak form with an index at `time`.
    HRESULT writeScan(double time)
    {
        MS_DataPeak peak{10.0, 100.0 + time, 0.0f, 0};
        const HRESULT hr = ms->WriteInstData2(1, &peak);
        if (FAILED(hr))
            return hr;
        MS_ScanIndex index = scanIndex(time, 0, 10.0, 100.0, 200.0);
        return ms->WriteScanIndex2(&index);
    }

    ks::ComPtr<IZylVirMS> ms;
};

// ---------------------------------------------------------------- before a file

TEST_F(MSWriterTest, WithoutAFileOnlyTheBuildingMembersWork)
{
    LONG v = -1;
    EXPECT_EQ(ms->get_IsValid(&v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ms->get_IsValid(nullptr), E_POINTER);

    Bytes data = packetBytes(1, 2, {{1, 1}});
    MS_ScanEvent event = initialEvent(ms.get());
    MS_ScanIndex index = scanIndex(0.1, 0, 1, 1, 2);
    MS_DataPeak peak{1, 1, 0, 0};
    Text name;
    const std::vector<std::pair<const char*, std::function<HRESULT()>>> needFile = {
        {"Close", [&] { return ms->Close(); }},
        {"GetFileName", [&] { return ms->GetFileName(&name.b); }},
        {"IsError", [&] { return ms->get_IsError(&v); }},
        {"ErrorCode", [&] { return ms->get_ErrorCode(&v); }},
        {"WriteInstID", [&] { return ms->WriteInstID(text(L"a"), nullptr, nullptr, nullptr, nullptr); }},
        {"WriteRunHeaderInfo", [&] { return ms->WriteRunHeaderInfo(1.0, 1.0, nullptr, nullptr); }},
        {"WriteInstData", [&] { return ms->WriteInstData(data.data(), data.size(), MS_PacketTypes_LR_SP_TYPE); }},
        {"WriteTrailerHeader", [&] { return ms->WriteTrailerHeader(); }},
        {"WriteStatusLogHeader", [&] { return ms->WriteStatusLogHeader(); }},
        {"WriteTuneDataHeader", [&] { return ms->WriteTuneDataHeader(); }},
        {"WriteTuneData", [&] { return ms->WriteTuneData(data.data()); }},
        {"WriteStatusLog", [&] { return ms->WriteStatusLog(0.0f, data.data()); }},
        {"WriteTrailer", [&] { return ms->WriteTrailer(data.data()); }},
        {"WriteMethodScanEvents", [&] { return ms->WriteMethodScanEvents(); }},
        {"WriteScanIndex", [&] { return ms->WriteScanIndex(&index, &event); }},
        {"WriteInstData2", [&] { return ms->WriteInstData2(1, &peak); }},
        {"InitializeScanIndex", [&] { return ms->InitializeScanIndex(0, MS_PacketTypes_LR_SP_TYPE); }},
        {"WriteScanIndex2", [&] { return ms->WriteScanIndex2(&index); }},
    };
    // Building needs no file; the writes need one, even with what they
    // write under construction.
    EXPECT_EQ(ms->SetTrailerHeaderNumFields(1), S_OK);
    EXPECT_EQ(ms->SetTrailerHeaderField(0, text(L"x"), MS_DataTypes_LONG, 0), S_OK);
    EXPECT_EQ(ms->SetStatusLogHeaderNumFields(1), S_OK);
    EXPECT_EQ(ms->SetTuneDataHeaderNumFields(1), S_OK);
    EXPECT_EQ(ms->InitMethodScanEvents(), S_OK);
    EXPECT_EQ(ms->SetMethodScanEvent(1, 1, &event), S_OK);
    for (const auto& [member, call] : needFile)
        EXPECT_EQ(call(), KSRAW_E_MS_NOWRITER) << member;
    EXPECT_EQ(name.b, nullptr);
    EXPECT_EQ(v, 0);
}

TEST_F(MSWriterTest, CreateRefusesNoNameAndAnEmptyOne)
{
    EXPECT_EQ(ms->Create(nullptr), E_POINTER);
    EXPECT_EQ(ms->Create(text(L"")), E_INVALIDARG);
    LONG v = -1;
    EXPECT_EQ(ms->get_IsValid(&v), S_OK);
    EXPECT_EQ(v, 0);
}

TEST_F(MSWriterTest, ASecondCreateFinishesTheFirstFile)
{
    ASSERT_EQ(create("first.raw"), S_OK);
    ASSERT_EQ(writeScan(0.5), S_OK);
    ASSERT_EQ(create("second.raw"), S_OK);
    EXPECT_EQ(scansOf("first.raw"), 1);
    Text name;
    ASSERT_EQ(ms->GetFileName(&name.b), S_OK);
    EXPECT_EQ(name.str(), wpath("second.raw"));
    LONG v = -1;
    EXPECT_EQ(ms->get_IsError(&v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ms->get_ErrorCode(&v), S_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ms->Close(), S_OK);
    EXPECT_EQ(ms->Close(), KSRAW_E_MS_NOWRITER);
    // Nothing was written to it: a finished file without a controller.
    ASSERT_EQ(open(path("second.raw")), kOmbrelDone);
    LONG controllers = -1;
    EXPECT_EQ(reader->GetNumberOfControllers(&controllers), kOmbrelDone);
    EXPECT_EQ(controllers, 0);
}

TEST_F(MSWriterTest, GetFileNameNeedsANullString)
{
    ASSERT_EQ(create("n.raw"), S_OK);
    EXPECT_EQ(ms->GetFileName(nullptr), E_POINTER);
    Text held(L"held");
    BSTR before = held.b;
    EXPECT_EQ(ms->GetFileName(&held.b), E_INVALIDARG);
    EXPECT_EQ(held.b, before);
    EXPECT_EQ(held.str(), L"held");
}

TEST_F(MSWriterTest, ReleasingTheWriterFinishesItsFile)
{
    ASSERT_EQ(create("released.raw"), S_OK);
    ASSERT_EQ(writeScan(0.5), S_OK);
    ASSERT_EQ(writeScan(0.6), S_OK);
    ASSERT_EQ(ms->InitMethodScanEvents(), S_OK);  // discarded with the object
    ASSERT_EQ(ms->SetTrailerHeaderNumFields(2), S_OK);
    ms.reset();
    EXPECT_EQ(scansOf("released.raw"), 2);
}

// ---------------------------------------------------------------- run header

TEST_F(MSWriterTest, TheRunTimeIsWrittenOnlyAboveAHundredthOfAMinute)
{
    struct Case {
        const char* name;
        double runTime;
        double readBack;
    };
    const Case cases[] = {
        {"exactly 0.01", 0.01, 0.0},
        {"not a number", std::nan(""), 0.0},
        {"negative", -5.0, 0.0},
        {"just above", 0.0100001, 0.0100001},
        {"ten minutes", 10.0, 10.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(create("rh.raw"), S_OK);
        ASSERT_EQ(ms->WriteRunHeaderInfo(c.runTime, 0.25, text(L"one"), nullptr), S_OK);
        ASSERT_EQ(ms->Close(), S_OK);
        ASSERT_EQ(scansOf("rh.raw"), 0);
        double d = -1;
        EXPECT_EQ(reader->GetExpectedRunTime(&d), kOmbrelDone);
        EXPECT_EQ(d, c.readBack);
        EXPECT_EQ(reader->GetMassResolution(&d), kOmbrelDone);
        EXPECT_EQ(d, 0.25);
        EXPECT_EQ(readText([&](BSTR* b) { return reader->GetComment1(b); }), L"one");
        EXPECT_EQ(readText([&](BSTR* b) { return reader->GetComment2(b); }), L"");
    }
}

// ---------------------------------------------------------------- headers and events

struct HeaderMembers {
    const char* name;
    HRESULT missing;
    HRESULT (IZylVirMS::*size)(LONG);
    HRESULT (IZylVirMS::*field)(LONG, LPWSTR, MS_DataTypes, LONG);
    HRESULT (IZylVirMS::*write)();
};
const HeaderMembers kHeaders[] = {
    {"trailer", KSRAW_E_NOTRAILERHEADER, &IZylVirMS::SetTrailerHeaderNumFields, &IZylVirMS::SetTrailerHeaderField,
     &IZylVirMS::WriteTrailerHeader},
    {"status log", KSRAW_E_NOSTATUSLOGHEADER, &IZylVirMS::SetStatusLogHeaderNumFields,
     &IZylVirMS::SetStatusLogHeaderField, &IZylVirMS::WriteStatusLogHeader},
    {"tune data", KSRAW_E_NOTUNEHEADER, &IZylVirMS::SetTuneDataHeaderNumFields, &IZylVirMS::SetTuneDataHeaderField,
     &IZylVirMS::WriteTuneDataHeader},
};

TEST_F(MSWriterTest, AHeaderLivesFromItsSizingToItsWrite)
{
    ASSERT_EQ(create("headers.raw"), S_OK);
    IZylVirMS* w = ms.get();
    for (const HeaderMembers& h : kHeaders) {
        SCOPED_TRACE(h.name);
        EXPECT_EQ((w->*h.field)(0, text(L"x"), MS_DataTypes_LONG, 0), h.missing);
        EXPECT_EQ((w->*h.write)(), h.missing);
        ASSERT_EQ((w->*h.size)(2), S_OK);
        EXPECT_EQ((w->*h.field)(1, text(L"x"), MS_DataTypes_LONG, 0), S_OK);
        // Refused: an item outside, a negative precision, no label, a
        // negative or huge size.
        EXPECT_EQ((w->*h.field)(2, text(L"x"), MS_DataTypes_LONG, 0), E_INVALIDARG);
        EXPECT_EQ((w->*h.field)(-1, text(L"x"), MS_DataTypes_LONG, 0), E_INVALIDARG);
        EXPECT_EQ((w->*h.field)(0, text(L"x"), MS_DataTypes_CHAR_STRING, -1), E_INVALIDARG);
        EXPECT_EQ((w->*h.field)(0, nullptr, MS_DataTypes_LONG, 0), E_POINTER);
        EXPECT_EQ((w->*h.size)(-1), E_INVALIDARG);
        EXPECT_EQ((w->*h.size)(CZylVirMS::kMaxHeaderItems + 1), E_INVALIDARG);
        ASSERT_EQ((w->*h.write)(), S_OK);
        EXPECT_EQ((w->*h.field)(0, text(L"x"), MS_DataTypes_LONG, 0), h.missing);
        EXPECT_EQ((w->*h.write)(), h.missing);
        // Sizing to 0 makes a new empty header.
        ASSERT_EQ((w->*h.size)(0), S_OK);
        EXPECT_EQ((w->*h.field)(0, text(L"x"), MS_DataTypes_LONG, 0), E_INVALIDARG);
    }
}

TEST_F(MSWriterTest, MethodEventsLiveFromTheirStartToTheirWrite)
{
    ASSERT_EQ(create("events.raw"), S_OK);
    MS_ScanEvent event = initialEvent(ms.get());
    EXPECT_EQ(ms->SetMethodScanEvent(1, 2, &event), KSRAW_E_NOSCANEVENTS);
    EXPECT_EQ(ms->WriteMethodScanEvents(), KSRAW_E_NOSCANEVENTS);
    ASSERT_EQ(ms->InitMethodScanEvents(), S_OK);
    EXPECT_EQ(ms->SetMethodScanEvent(1, 2, nullptr), E_POINTER);
    event.eMSOrder = MS_ms2;
    ASSERT_EQ(ms->SetMethodScanEvent(1, 2, &event), S_OK);
    // The low 16 bits of each number make the key: the same key again.
    event.eMSOrder = MS_ms3;
    ASSERT_EQ(ms->SetMethodScanEvent(0x10001, 0x70002, &event), S_OK);
    event.eMSOrder = MS_ms4;
    ASSERT_EQ(ms->SetMethodScanEvent(-1, 0, &event), S_OK);
    ASSERT_EQ(ms->WriteMethodScanEvents(), S_OK);
    EXPECT_EQ(ms->WriteMethodScanEvents(), KSRAW_E_NOSCANEVENTS);
    ASSERT_EQ(ms->Close(), S_OK);

    const CRawfile raw(wpath("events.raw"));
    ASSERT_FALSE(raw.IsError());
    const auto& events = static_cast<const CVirtualMS&>(raw.Controller(0)).GetMethodScanEvents().Events();
    ASSERT_EQ(events.size(), 2u);
    ASSERT_EQ(events.count(131073u), 1u);
    EXPECT_EQ(events.at(131073u).MSOrder(), 3);
    ASSERT_EQ(events.count(0xFFFFu), 1u);
    EXPECT_EQ(events.at(0xFFFFu).MSOrder(), 4);
}

TEST_F(MSWriterTest, InitializeScanEventWritesTheDefaults)
{
    EXPECT_EQ(ms->InitializeScanEvent(nullptr), E_POINTER);
    MS_ScanEvent e;
    std::memset(&e, 0x5A, sizeof e);
    ASSERT_EQ(ms->InitializeScanEvent(&e), S_OK);
    EXPECT_EQ(e.bIsValid, 1);
    EXPECT_EQ(e.eScanType, MS_AcceptAnyScanType);
    EXPECT_EQ(e.nlScanTypeIndex, -1);
    EXPECT_EQ(e.nNumMassRanges, 0);
    EXPECT_EQ(e.arrPrecursorEnergiesValid[9], 0);
    EXPECT_EQ(e.arrSourceFragmentationEnergiesValid[49], 0);
    MS_ScanEvent untouched;
    std::memset(&untouched, 0x5A, sizeof untouched);
    EXPECT_EQ(std::memcmp(e.arrMassRanges, untouched.arrMassRanges, sizeof e.arrMassRanges), 0);
    EXPECT_EQ(std::memcmp(e.arrPrecursorMasses, untouched.arrPrecursorMasses, sizeof e.arrPrecursorMasses), 0);
}

// ---------------------------------------------------------------- refused arguments

TEST_F(MSWriterTest, IndexesCountsAndPointersOutsideAreRefusedAndWriteNothing)
{
    ASSERT_EQ(create("refused.raw"), S_OK);
    ASSERT_EQ(writeScan(0.5), S_OK);
    ASSERT_EQ(ms->SetTrailerHeaderNumFields(1), S_OK);
    ASSERT_EQ(ms->SetTrailerHeaderField(0, text(L"n"), MS_DataTypes_LONG, 0), S_OK);
    ASSERT_EQ(ms->WriteTrailerHeader(), S_OK);
    ASSERT_EQ(ms->InitMethodScanEvents(), S_OK);

    MS_ScanIndex index = scanIndex(1.0, 0, 1, 1, 2);
    MS_DataPeak peak{1, 150, 0, 0};
    Bytes data = packetBytes(1, 2, {{1, 1}});
    auto withEvent = [&](void (*change)(MS_ScanEvent&)) {
        MS_ScanEvent e = initialEvent(ms.get());
        change(e);
        return e;
    };
    MS_ScanEvent ranges51 = withEvent([](MS_ScanEvent& e) { e.nNumMassRanges = 51; });
    MS_ScanEvent rangesNegative = withEvent([](MS_ScanEvent& e) { e.nNumMassRanges = -1; });
    MS_ScanEvent precursors11 = withEvent([](MS_ScanEvent& e) { e.nNumPrecursorMasses = 11; });
    MS_ScanEvent fragments51 = withEvent([](MS_ScanEvent& e) { e.nNumSourceFragmentationEnergies = 51; });
    MS_ScanEvent good = initialEvent(ms.get());
    MS_ScanIndex negativePackets = index;
    negativePackets.nNumberPackets = -1;

    struct Case {
        const char* name;
        std::function<HRESULT()> call;
        HRESULT expected;
    };
    const Case cases[] = {
        {"data size negative", [&] { return ms->WriteInstData(data.data(), -1, MS_PacketTypes_LR_SP_TYPE); },
         E_INVALIDARG},
        {"data missing", [&] { return ms->WriteInstData(nullptr, 8, MS_PacketTypes_LR_SP_TYPE); }, E_POINTER},
        {"peak count negative", [&] { return ms->WriteInstData2(-1, &peak); }, E_INVALIDARG},
        {"peak count beyond a file",
         [&] { return ms->WriteInstData2(CZylVirMS::kMaxPeaksPerWrite + 1, &peak); }, E_INVALIDARG},
        {"peaks missing", [&] { return ms->WriteInstData2(2, nullptr); }, E_POINTER},
        {"trailer missing", [&] { return ms->WriteTrailer(nullptr); }, E_POINTER},
        {"status record missing", [&] { return ms->WriteStatusLog(0.0f, nullptr); }, E_POINTER},
        {"tune record missing", [&] { return ms->WriteTuneData(nullptr); }, E_POINTER},
        {"index missing", [&] { return ms->WriteScanIndex(nullptr, &good); }, E_POINTER},
        {"event missing", [&] { return ms->WriteScanIndex(&index, nullptr); }, E_POINTER},
        {"index missing (2)", [&] { return ms->WriteScanIndex2(nullptr); }, E_POINTER},
        {"packet count negative", [&] { return ms->WriteScanIndex2(&negativePackets); }, E_INVALIDARG},
        {"51 mass ranges", [&] { return ms->WriteScanIndex(&index, &ranges51); }, E_INVALIDARG},
        {"-1 mass ranges", [&] { return ms->SetMethodScanEvent(1, 1, &rangesNegative); }, E_INVALIDARG},
        {"11 precursors", [&] { return ms->SetMethodScanEvent(1, 1, &precursors11); }, E_INVALIDARG},
        {"51 fragmentation values", [&] { return ms->WriteScanIndex(&index, &fragments51); }, E_INVALIDARG},
        {"index position negative", [&] { return ms->InitializeScanIndex(-1, MS_PacketTypes_LR_SP_TYPE); },
         E_INVALIDARG},
        {"index position beyond the entries",
         [&] { return ms->InitializeScanIndex(2, MS_PacketTypes_LR_SP_TYPE); }, E_INVALIDARG},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.call(), c.expected) << c.name;

    // What stays valid: an empty data write, the position after the last
    // entry, signed index fields and the MS orders -1 to -3.
    EXPECT_EQ(ms->InitializeScanIndex(1, MS_PacketTypes_LR_SP_TYPE), S_OK);
    EXPECT_EQ(ms->WriteInstData(nullptr, 0, MS_PacketTypes_LR_SP_TYPE), S_OK);
    MS_ScanIndex signedFields = index;
    signedFields.nTrailerOffset = -1;
    signedFields.nScanTypeIndex = -7;
    MS_ScanEvent parent = withEvent([](MS_ScanEvent& e) { e.eMSOrder = MS_MSOrder(-3); });
    EXPECT_EQ(ms->WriteScanIndex(&signedFields, &parent), S_OK);
    ASSERT_EQ(ms->Close(), S_OK);

    ASSERT_EQ(scansOf("refused.raw"), 2);
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetFilterForScanNum(2, b); }), L"- c Full par");
    LONG n = -1;
    EXPECT_EQ(reader->GetNumTrailerExtra(&n), kOmbrelDone);
    EXPECT_EQ(n, 0);
}

TEST_F(MSWriterTest, AnIndexTheScansCannotTakeIsAFailure)
{
    ASSERT_EQ(create("times.raw"), S_OK);
    ASSERT_EQ(writeScan(1.0), S_OK);
    EXPECT_EQ(writeScan(0.5), E_FAIL);  // before the scan before it
    MS_ScanIndex nan = scanIndex(std::nan(""), 0, 1, 1, 2);
    EXPECT_EQ(ms->WriteScanIndex2(&nan), E_FAIL);
    MS_ScanIndex later = scanIndex(2.0, 0, 1, 1, 2);
    EXPECT_EQ(ms->WriteScanIndex2(&later), S_OK);
    // The refused entries moved nothing: the position after the two is 2.
    EXPECT_EQ(ms->InitializeScanIndex(3, MS_PacketTypes_LR_SP_TYPE), E_INVALIDARG);
    EXPECT_EQ(ms->InitializeScanIndex(2, MS_PacketTypes_LR_SP_TYPE), S_OK);
    ASSERT_EQ(ms->Close(), S_OK);
    EXPECT_EQ(scansOf("times.raw"), 2);
}

// ---------------------------------------------------------------- files the engine cannot make

TEST_F(MSWriterTest, AFileThatCannotBeMadeIsTheWritersErrorState)
{
    ASSERT_EQ(mkdir(path("folder").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0644), 0);
    struct Case {
        const char* name;
        std::string target;
        LONG code;
    };
    const Case cases[] = {
        {"a missing folder", "missing/x.raw", kErrCannotOpen},
        {"a folder", "folder", kErrCannotOpen},
        {"a FIFO", "fifo", kErrNotRegular},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(create(c.target), S_OK);
        LONG v = -1;
        EXPECT_EQ(ms->get_IsValid(&v), S_OK);
        EXPECT_EQ(v, 1);
        EXPECT_EQ(ms->get_IsError(&v), S_OK);
        EXPECT_EQ(v, 1);
        EXPECT_EQ(ms->get_ErrorCode(&v), S_OK);
        EXPECT_EQ(v, c.code);
        EXPECT_EQ(ms->WriteInstID(text(L"a"), nullptr, nullptr, nullptr, nullptr), E_FAIL);
        EXPECT_EQ(writeScan(0.5), E_FAIL);
        EXPECT_EQ(ms->Close(), E_FAIL);  // no file was finished
        EXPECT_EQ(ms->get_IsValid(&v), S_OK);
        EXPECT_EQ(v, 0);
    }
    struct stat st {};
    EXPECT_TRUE(S_ISDIR((stat(path("folder").c_str(), &st), st.st_mode)));
    EXPECT_TRUE(S_ISFIFO((stat(path("fifo").c_str(), &st), st.st_mode)));
}

// ---------------------------------------------------------------- engine failures

TEST_F(MSWriterTest, AnEngineFailureIsEFailAndTheWriterGoesOn)
{
    MS_ScanEvent event = initialEvent(ms.get());
    MS_ScanIndex index = scanIndex(0.5, 0, 1, 1, 2);
    MS_DataPeak peak{1, 150, 0, 0};
    Bytes data = packetBytes(149, 151, {{150, 1}});
    Bytes record;
    record.i32(7);
    Text name;
    LONG v = 0;
    struct Case {
        const char* operation;
        std::function<HRESULT()> call;
    };
    const Case cases[] = {
        {"WriteInstIDData", [&] { return ms->WriteInstID(text(L"a"), nullptr, nullptr, nullptr, nullptr); }},
        {"WriteInstExpectedRunTime", [&] { return ms->WriteRunHeaderInfo(5.0, 1.0, nullptr, nullptr); }},
        {"WriteInstMassResolution", [&] { return ms->WriteRunHeaderInfo(0.0, 1.0, nullptr, nullptr); }},
        {"WriteInstComment", [&] { return ms->WriteRunHeaderInfo(0.0, 1.0, text(L"c"), nullptr); }},
        {"WriteInstData", [&] { return ms->WriteInstData(data.data(), data.size(), MS_PacketTypes_LR_SP_TYPE); }},
        {"WriteInstData", [&] { return ms->WriteInstData2(1, &peak); }},
        {"WriteTrailerExtraData", [&] { return ms->WriteTrailer(record.data()); }},
        {"WriteStatusLog", [&] { return ms->WriteStatusLog(0.5f, record.data()); }},
        {"WriteTuneData", [&] { return ms->WriteTuneData(record.data()); }},
        {"Insert", [&] { return ms->SetMethodScanEvent(1, 1, &event); }},
        {"WriteScanEventData", [&] { return ms->WriteMethodScanEvents(); }},
        {"InitializeScanIndex", [&] { return ms->InitializeScanIndex(0, MS_PacketTypes_LR_SP_TYPE); }},
        {"WriteInstScanIndex", [&] { return ms->WriteScanIndex(&index, &event); }},
        {"IsError", [&] { return ms->get_IsError(&v); }},
        {"GetErrorCode", [&] { return ms->get_ErrorCode(&v); }},
    };
    ASSERT_EQ(create("failures.raw"), S_OK);
    for (const HeaderMembers& h : kHeaders) {
        IZylVirMS* w = ms.get();
        ASSERT_EQ((w->*h.size)(1), S_OK);
        ASSERT_EQ((w->*h.field)(0, text(L"n"), MS_DataTypes_LONG, 0), S_OK);
        ASSERT_EQ((w->*h.write)(), S_OK);
    }
    ASSERT_EQ(ms->InitMethodScanEvents(), S_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        testhook::FailNextCall(c.operation);
        EXPECT_EQ(c.call(), E_FAIL);
        EXPECT_EQ(testhook::PendingInjectedFailures(), 0);
        EXPECT_EQ(c.call(), S_OK);  // the state the failure left lets the call succeed
        if (std::string(c.operation) == "WriteScanEventData") {
            ASSERT_EQ(ms->InitMethodScanEvents(), S_OK);
        }
    }
    ASSERT_EQ(ms->Close(), S_OK);
    EXPECT_EQ(scansOf("failures.raw"), 1);
}

TEST_F(MSWriterTest, AHeaderTheEngineFailedToWriteStaysUnderConstruction)
{
    ASSERT_EQ(create("header-failure.raw"), S_OK);
    for (const HeaderMembers& h : kHeaders) {
        SCOPED_TRACE(h.name);
        IZylVirMS* w = ms.get();
        ASSERT_EQ((w->*h.size)(1), S_OK);
        ASSERT_EQ((w->*h.field)(0, text(L"n"), MS_DataTypes_LONG, 0), S_OK);
        testhook::FailNextCall(std::string("Write") +
                               (h.missing == KSRAW_E_NOTRAILERHEADER     ? "TrailerHeader"
                                : h.missing == KSRAW_E_NOSTATUSLOGHEADER ? "StatusLogHeader"
                                                                         : "TuneDataHeader"));
        EXPECT_EQ((w->*h.write)(), E_FAIL);
        EXPECT_EQ((w->*h.field)(0, text(L"m"), MS_DataTypes_LONG, 0), S_OK);
        EXPECT_EQ((w->*h.write)(), S_OK);
    }
}

TEST_F(MSWriterTest, CreateAnswersAnEngineFailureApartFromAFailedAllocation)
{
    testhook::FailNextCall("CVirtualMSWriter");
    EXPECT_EQ(create("c.raw"), E_FAIL);
    testhook::FailNextAllocation("CVirtualMSWriter");
    EXPECT_EQ(create("c.raw"), KSRAW_E_MS_WRITERALLOC);
    LONG v = -1;
    EXPECT_EQ(ms->get_IsValid(&v), S_OK);
    EXPECT_EQ(v, 0);
    // An open file is closed first, whatever the new one gives.
    ASSERT_EQ(create("open.raw"), S_OK);
    testhook::FailNextAllocation("CVirtualMSWriter");
    EXPECT_EQ(create("c.raw"), KSRAW_E_MS_WRITERALLOC);
    EXPECT_EQ(open(path("open.raw")), kOmbrelDone);
    EXPECT_NE(open(path("c.raw")), kOmbrelDone);
}

TEST_F(MSWriterTest, CloseThatFailsKeepsTheFileForTheNextClose)
{
    ASSERT_EQ(create("finish.raw"), S_OK);
    ASSERT_EQ(writeScan(0.5), S_OK);
    testhook::FailNextCall("Finish");
    EXPECT_EQ(ms->Close(), E_FAIL);
    LONG v = -1;
    EXPECT_EQ(ms->get_IsValid(&v), S_OK);
    EXPECT_EQ(v, 1);
    EXPECT_NE(open(path("finish.raw")), kOmbrelDone);
    EXPECT_EQ(ms->Close(), S_OK);
    EXPECT_EQ(scansOf("finish.raw"), 1);
}

// ---------------------------------------------------------------- the UV writer

class UVWriterTest : public MSWriterTest {
protected:
    void SetUp() override
    {
        MSWriterTest::SetUp();
        uv = createByProgId<IZylVirUV>(L"Ombrel2.ZylVirUV");
        ASSERT_TRUE(uv);
    }
    HRESULT createUV(const std::string& name)
    {
        std::wstring p = wpath(name);
        return uv->Create(p.data());
    }
    ks::ComPtr<IZylVirUV> uv;
};

TEST_F(UVWriterTest, WithoutAFileEveryMemberButIsValidAnswersNoWriter)
{
    LONG v = -1;
    EXPECT_EQ(uv->get_IsValid(&v), S_OK);
    EXPECT_EQ(v, 0);
    Bytes readings;
    readings.f64(1);
    MS_UVScanIndex index{MS_PacketTypes_CHANNEL_UV_TYPE, 1, 0.0, 1.0};
    Text name;
    EXPECT_EQ(uv->Close(), KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->GetFileName(&name.b), KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->get_IsError(&v), KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->get_ErrorCode(&v), KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->WriteErrorLog(0.0f, text(L"e")), KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->WriteInstID(text(L"a"), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->WriteRunHeaderInfo(1.0), KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->WriteInstData(readings.data(), 8, MS_PacketTypes_CHANNEL_UV_TYPE, 1), KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->WriteScanIndex(&index), KSRAW_E_UV_NOWRITER);
    EXPECT_EQ(uv->Create(nullptr), E_POINTER);
    EXPECT_EQ(uv->Create(text(L"")), E_INVALIDARG);
}

TEST_F(UVWriterTest, ErrorLogTextsAndChannelLabels)
{
    ASSERT_EQ(createUV("labels.raw"), S_OK);
    EXPECT_EQ(uv->WriteErrorLog(0.5f, nullptr), E_POINTER);
    EXPECT_EQ(uv->WriteErrorLog(0.5f, text(L"")), E_INVALIDARG);
    // Only label 2 given: a list of one holding its text.
    ASSERT_EQ(uv->WriteInstID(nullptr, nullptr, nullptr, nullptr, nullptr, text(L"second"), text(L""), nullptr),
              S_OK);
    ASSERT_EQ(uv->WriteRunHeaderInfo(5.0), S_OK);
    ASSERT_EQ(uv->WriteRunHeaderInfo(0.0), S_OK);  // written as given
    ASSERT_EQ(uv->Close(), S_OK);
    ASSERT_EQ(scansOf("labels.raw", kOmbrelUV), 0);
    LONG n = -1;
    EXPECT_EQ(reader->GetNumErrorLog(&n), kOmbrelDone);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(reader->GetInstNumChannelLabels(&n), kOmbrelDone);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstChannelLabel(0, b); }), L"second");
    double d = -1;
    EXPECT_EQ(reader->GetExpectedRunTime(&d), kOmbrelDone);
    EXPECT_EQ(d, 0.0);
}

TEST_F(UVWriterTest, ReadingsThatDoNotFitTheirCountAreRefused)
{
    ASSERT_EQ(createUV("readings.raw"), S_OK);
    Bytes two;
    two.f64(1).f64(2);
    MS_UVScanIndex index{MS_PacketTypes_CHANNEL_UV_TYPE, 2, 0.0, 3.0};
    MS_UVScanIndex negative{MS_PacketTypes_CHANNEL_UV_TYPE, -1, 0.0, 3.0};
    EXPECT_EQ(uv->WriteInstData(two.data(), 16, MS_PacketTypes_CHANNEL_UV_TYPE, 3), E_FAIL);
    EXPECT_EQ(uv->WriteInstData(two.data(), 12, MS_PacketTypes_CHANNEL_UV_TYPE, 2), E_FAIL);
    EXPECT_EQ(uv->WriteInstData(two.data(), 16, MS_PacketTypes_CHANNEL_UV_TYPE, -2), E_INVALIDARG);
    EXPECT_EQ(uv->WriteInstData(two.data(), -16, MS_PacketTypes_CHANNEL_UV_TYPE, 2), E_INVALIDARG);
    EXPECT_EQ(uv->WriteInstData(nullptr, 16, MS_PacketTypes_CHANNEL_UV_TYPE, 2), E_POINTER);
    EXPECT_EQ(uv->WriteInstData(two.data(), 16, MS_PacketTypes_LR_SP_TYPE, 2), E_FAIL);  // the engine's refusal
    EXPECT_EQ(uv->WriteScanIndex(nullptr), E_POINTER);
    EXPECT_EQ(uv->WriteScanIndex(&negative), E_INVALIDARG);
    ASSERT_EQ(uv->WriteInstData(two.data(), 16, MS_PacketTypes_CHANNEL_UV_TYPE, 2), S_OK);
    ASSERT_EQ(uv->WriteScanIndex(&index), S_OK);
    index.dStartTime = -1.0;
    EXPECT_EQ(uv->WriteScanIndex(&index), E_FAIL);  // before the scan before it
    ASSERT_EQ(uv->Close(), S_OK);
    EXPECT_EQ(scansOf("readings.raw", kOmbrelUV), 1);
}

TEST_F(UVWriterTest, EngineFailuresAndAllocation)
{
    testhook::FailNextAllocation("CVirtualUVWriter");
    EXPECT_EQ(createUV("u.raw"), KSRAW_E_UV_WRITERALLOC);
    testhook::FailNextCall("CVirtualUVWriter");
    EXPECT_EQ(createUV("u.raw"), E_FAIL);
    ASSERT_EQ(createUV("u.raw"), S_OK);
    Bytes one;
    one.f64(1);
    MS_UVScanIndex index{MS_PacketTypes_CHANNEL_UV_TYPE, 1, 0.0, 1.0};
    const std::pair<const char*, std::function<HRESULT()>> cases[] = {
        {"WriteErrorLog", [&] { return uv->WriteErrorLog(0.5f, text(L"e")); }},
        {"WriteInstIDData",
         [&] { return uv->WriteInstID(text(L"a"), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); }},
        {"WriteInstExpectedRunTime", [&] { return uv->WriteRunHeaderInfo(1.0); }},
        {"WriteInstData", [&] { return uv->WriteInstData(one.data(), 8, MS_PacketTypes_CHANNEL_UV_TYPE, 1); }},
        {"WriteInstScanIndex", [&] { return uv->WriteScanIndex(&index); }},
    };
    for (const auto& [operation, call] : cases) {
        SCOPED_TRACE(operation);
        testhook::FailNextCall(operation);
        EXPECT_EQ(call(), E_FAIL);
        EXPECT_EQ(call(), S_OK);
    }
    ASSERT_EQ(uv->Close(), S_OK);
    EXPECT_EQ(scansOf("u.raw", kOmbrelUV), 1);
}

// ---------------------------------------------------------------- registration

class WriterRegistration : public WriterTest {};

TEST_F(WriterRegistration, NamesBothClassesWithTheTypeLibrary)
{
    const auto dump = ks::test::run({std::string(KS_BIN_DIR) + "/ksreg", "dump", "HKCR"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const std::string& out = dump.out;
    const std::string lib = "@=sz:\"{5FE970A2-29C3-11D3-811D-00104B304896}\\0\"\n";
    for (const auto& [name, clsid] : {std::pair<std::string, std::string>{"ZylVirMS",
                                                                          "{281748DC-D278-4303-9888-767BAD540E80}"},
                                      {"ZylVirUV", "{20AF91E1-FBCB-40F5-B4D4-98F1291EDEF0}"}}) {
        const std::string key = "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid;
        for (const std::string& expected : std::vector<std::string>{
                 key + "]\n@=sz:\"" + name + " Class\\0\"\n",
                 key + "\\InprocServer32]\n",
                 key + "\\ProgID]\n@=sz:\"Ombrel2." + name + ".1\\0\"\n",
                 key + "\\VersionIndependentProgID]\n@=sz:\"Ombrel2." + name + "\\0\"\n",
                 key + "\\TypeLib]\n" + lib,
                 "[HKEY_CLASSES_ROOT\\Ombrel2." + name + "\\CLSID]\n@=sz:\"" + clsid + "\\0\"\n",
                 "[HKEY_CLASSES_ROOT\\Ombrel2." + name + "\\CurVer]\n@=sz:\"Ombrel2." + name + ".1\\0\"\n",
                 "[HKEY_CLASSES_ROOT\\Ombrel2." + name + ".1]\n@=sz:\"" + name + " Class\\0\"\n"})
            EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n---\n" << out;
        const size_t at = out.find(key + "\\InprocServer32]\n");
        ASSERT_NE(at, std::string::npos);
        EXPECT_NE(out.find("\"ThreadingModel\"=sz:\"Apartment\\0\"\n", at), std::string::npos);
    }
}

}  // namespace
