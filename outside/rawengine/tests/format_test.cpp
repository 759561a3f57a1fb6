// The file format read back: models written and loaded are equal, the
// views derive what the run header does not store, versions, acquisition
// states, unknown chunks and the method storage.
#include "rawtest.h"
#include "rawtesthooks.h"
#include "rawwriter.h"

#include "kscomptr.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace rawtest;

namespace {

// Loading the bytes and writing the model again gives the same bytes: the
// loader kept every stored field, in its place.
void expectRoundTrip(const FileData& model)
{
    const std::string bytes = SerializeRawFile(model);
    FileData loaded;
    format::LoadStatus st;
    ASSERT_TRUE(format::loadImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), loaded, st))
        << st.message;
    EXPECT_EQ(st.warning, "");
    EXPECT_EQ(SerializeRawFile(loaded), bytes);
}

}  // namespace

TEST(RawFormat, ModelsWrittenAndReadBackAreEqual)
{
    expectRoundTrip(MakeSampleFile());
    expectRoundTrip(everyKindModel());
    expectRoundTrip(FileData());  // no controllers, no methods
    // Events at their smallest: method events without reactions or ranges.
    FileData bare;
    bare.controllers.resize(1);
    bare.controllers[0].methodEvents.Insert(CScanEvent(), 1);
    bare.controllers[0].methodEvents.Insert(CScanEvent(), 2);
    expectRoundTrip(bare);
}

TEST(RawFormat, SampleReadsBackFieldByField)
{
    const FileData model = MakeSampleFile();
    auto f = loadBytes(SerializeRawFile(model));
    ASSERT_FALSE(f->IsError()) << ks::reg::utf8FromWide(f->GetErrorMessage());
    EXPECT_FALSE(f->IsNewFile());
    EXPECT_EQ(f->GetVersion(), kFormatVersion);
    EXPECT_EQ(f->WhoCreatedId(), L"tavrion-rawfile");
    SYSTEMTIME st{};
    const FILETIME ft = f->GetCreationTime();
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 14);
    EXPECT_EQ(st.wHour, 10);
    EXPECT_EQ(st.wMinute, 22);
    EXPECT_TRUE(f->HasExpMethod());
    EXPECT_TRUE(f->IsThereMSData());
    EXPECT_FALSE(f->InAcquisition());
    EXPECT_EQ(f->GetSeqRow().sampleName, L"Angiotensin digest");
    EXPECT_EQ(f->GetSeqRow().userTextEx[14], L"Extended 15");
    EXPECT_EQ(f->UserLabel(4), L"Notes");
    EXPECT_THROW(f->UserLabel(5), EngineError);

    ASSERT_EQ(f->NumberOfVirtualControllers(), 4);
    EXPECT_EQ(f->NumberOfVirtualControllersOfType(-1), 4);
    EXPECT_EQ(f->NumberOfVirtualControllersOfType(kDeviceUV), 1);
    EXPECT_EQ(f->NumberOfVirtualControllersOfType(kDeviceOther), 0);
    const int32_t kinds[] = {kDeviceMS, kDeviceUV, kDevicePDA, kDeviceAnalog};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f->VirtualControllerData(i).kind, kinds[i]);
        EXPECT_EQ(f->VirtualControllerData(i).number, 1);
    }
    EXPECT_THROW(f->VirtualControllerData(4), EngineError);

    auto* ms = dynamic_cast<CVirtualMS*>(f->SetVirtualDataObject(kDeviceMS, 1));
    ASSERT_NE(ms, nullptr);
    EXPECT_EQ(f->GetCurrentController(), ms);
    const CRunHeader& rh = ms->GetRunHeader();
    EXPECT_EQ(rh.numSpectra, 30);
    EXPECT_EQ(rh.firstScanNumber, 1);
    EXPECT_EQ(rh.lastScanNumber, 30);
    EXPECT_DOUBLE_EQ(rh.startTime, 0.5);
    EXPECT_DOUBLE_EQ(rh.endTime, 0.5 + 29 * 0.05);
    EXPECT_EQ(rh.numTrailerExtra, 30);
    EXPECT_EQ(rh.numTuneData, 2);
    EXPECT_EQ(rh.numStatusLog, 4);
    EXPECT_EQ(rh.numErrorLog, 2);
    EXPECT_EQ(rh.comment1, L"Standard sample");
    EXPECT_EQ(ms->GetInstID().serialNumber, L"SN0001");

    // Scan 1: a survey in two segments with labels and noise; its event
    // comes from the method through its scan type index.
    std::unique_ptr<CRawScan> s1 = ms->GetScan(1);
    EXPECT_EQ(s1->NumPackets(), 2);
    double lo = 0, hi = 0;
    s1->GetSegmentMassRange(1, lo, hi);
    EXPECT_EQ(lo, 550.0);
    EXPECT_EQ(hi, 1000.0);
    EXPECT_TRUE(s1->IsProfile());
    EXPECT_EQ(s1->GetLabelPeaks().size(), 6u);
    EXPECT_EQ(s1->GetNoise().size(), 9u);
    EXPECT_EQ(ms->GetScanIndex(1).numPackets, 2u);
    const CScanEvent e1 = ms->GetScanEvent(1);
    EXPECT_EQ(e1.scanType, ScanType::Full);
    EXPECT_EQ(e1.ClassByte(), kEventSurvey);
    // Scan 2: a dependent MS2 with its own event, centroid.
    const CScanEvent e2 = ms->GetScanEvent(2);
    EXPECT_EQ(e2.MSOrder(), 2);
    EXPECT_EQ(e2.DependencyByte(), 1);
    EXPECT_EQ(e2.ClassByte(), kEventPrecursorSource);
    EXPECT_DOUBLE_EQ(e2.GetReaction(0).precursorMass, 500.75);
    EXPECT_THROW(e2.GetReaction(1), EngineError);
    EXPECT_FALSE(ms->GetScan(2)->IsProfile());
    // Data offsets follow the data of the scans before.
    EXPECT_EQ(ms->GetScanIndex(1).dataOffset, 0u);
    EXPECT_EQ(ms->GetScanIndex(2).dataOffset, 2 * 24 + 32 * s1->NumPoints());
    EXPECT_THROW(ms->GetScan(0), EngineError);
    EXPECT_THROW(ms->GetScan(31), EngineError);

    auto* uv = dynamic_cast<CVirtualUV*>(f->SetVirtualDataObject(kDeviceUV, 1));
    ASSERT_NE(uv, nullptr);
    EXPECT_EQ(uv->GetInstID().channelLabels, (std::vector<std::wstring>{L"UV 254 nm", L"", L"UV 280 nm"}));
    EXPECT_EQ(uv->GetUVScanIndex(1).numberOfChannels, 3u);
    EXPECT_EQ(uv->GetScan(1)->GetReadings().size(), 3u);
    EXPECT_EQ(uv->ScanPacketCount(1), 1);
    EXPECT_EQ(f->SetVirtualDataObject(kDeviceUV, 2), nullptr);
    EXPECT_EQ(f->GetCurrentController(), nullptr);
}

TEST(RawFormat, EveryKindHasItsNumbersAndViews)
{
    auto f = loadBytes(SerializeRawFile(everyKindModel()));
    ASSERT_FALSE(f->IsError()) << ks::reg::utf8FromWide(f->GetErrorMessage());
    ASSERT_EQ(f->NumberOfVirtualControllers(), 12);
    for (int32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(f->VirtualControllerData(i).kind, i / 2);
        EXPECT_EQ(f->ControllerIndexToNumber(i), 1 + i % 2);
    }
    for (int kind = 0; kind < kDeviceKindCount; ++kind) {
        EXPECT_EQ(f->NumberOfVirtualControllersOfType(kind), 2);
        CVirtualData* c = f->SetVirtualDataObject(kind, 2);
        ASSERT_NE(c, nullptr) << kind;
        EXPECT_EQ(c->GetRunHeader().deviceKind, kind);
        EXPECT_EQ(c->GetRunHeader().deviceNumber, 2);
        EXPECT_EQ(c->GetRunHeader().comment2, L"controller " + std::to_wstring(kind) + L"/1");
        EXPECT_EQ(dynamic_cast<CVirtualMS*>(c) != nullptr, kind == kDeviceMS);
        EXPECT_EQ(dynamic_cast<CVirtualUV*>(c) != nullptr, kind >= 1 && kind <= 4);
        // Scans numbered from the run header's first scan.
        if (kind != kDeviceOther) {
            EXPECT_EQ(c->FirstScan(), 11);
            EXPECT_EQ(c->LastScan(), 13);
            EXPECT_DOUBLE_EQ(c->ScanStartTime(12), 0.2);
            EXPECT_THROW(c->ScanStartTime(10), EngineError);
        } else {
            EXPECT_EQ(c->NumSpectra(), 0);
            EXPECT_FALSE(c->IsValidScan(11));
        }
    }
    EXPECT_EQ(f->Data().info.creatorId, L"tests \u00e9\U0001F600");
    // A scan of the mass spectrometer without an event of its own takes
    // the method event its index names, else a new one.
    auto* ms = dynamic_cast<CVirtualMS*>(f->SetVirtualDataObject(kDeviceMS, 1));
    EXPECT_EQ(ms->GetScanEvent(1).analyzer, Analyzer::TOFMS);  // method event (1, 1)
    EXPECT_FALSE(ms->GetScanEvent(3).valid);                   // nothing under (1, 3)
    const CScanEvent own = ms->GetScanEvent(2);
    EXPECT_EQ(own.reactions.size(), 2u);
    EXPECT_EQ(own.reactions[0].activation, Activation::HCD);
    EXPECT_EQ(own.sourceCIDValue, 12.5);
}

TEST(RawFormat, RunHeaderDerivesCountsTimesAndMasses)
{
    FileData f = everyKindModel();
    auto file = loadBytes(SerializeRawFile(f));
    const CRunHeader& rh = file->Controller(0).GetRunHeader();
    EXPECT_EQ(rh.numSpectra, 3);
    EXPECT_EQ(rh.lastScanNumber, 3);
    EXPECT_DOUBLE_EQ(rh.startTime, 0.1);
    EXPECT_DOUBLE_EQ(rh.endTime, 0.3);
    EXPECT_DOUBLE_EQ(rh.lowMass, 101.0);
    EXPECT_DOUBLE_EQ(rh.highMass, 400.0);
    EXPECT_DOUBLE_EQ(rh.maxIntegratedIntensity, 6009.0);
    EXPECT_EQ(rh.maxIntensity, 3003);
    EXPECT_EQ(rh.numTrailerExtra, 3);
    EXPECT_EQ(rh.numTuneData, 1);
    EXPECT_EQ(rh.numStatusLog, 2);
    EXPECT_EQ(rh.numErrorLog, 1);
    const CRunHeader& none = file->Controller(10).GetRunHeader();  // kind 5: no scans
    EXPECT_EQ(none.numSpectra, 0);
    EXPECT_EQ(none.lastScanNumber, 0);
    EXPECT_EQ(none.startTime, 0.0);
}

TEST(RawFormat, VersionsOlderReadNewerAndOldestRefused)
{
    struct Case {
        uint16_t version;
        int32_t code;
    } cases[] = {{kFormatVersion, kErrNone},           {24, kErrNone},
                 {kOldestFormatVersion, kErrNone},     {kFormatVersion + 1, kErrNewerVersion},
                 {0xFFFF, kErrNewerVersion},           {kOldestFormatVersion - 1, kErrOlderVersion}};
    for (const Case& c : cases) {
        FileData model = MakeSampleFile();
        model.info.version = c.version;
        auto f = loadBytes(SerializeRawFile(model));
        EXPECT_EQ(f->GetErrorCode(), c.code) << c.version;
        EXPECT_EQ(f->IsError(), c.code != kErrNone);
        if (c.code == kErrNone)
            EXPECT_EQ(f->GetVersion(), c.version);
        else
            EXPECT_EQ(f->NumberOfVirtualControllers(), 0);
    }
}

TEST(RawFormat, UnknownChunksAreSkippedWithAWarning)
{
    BuildOptions options;
    options.extraChunks = {{"ZZZ1", std::string(40, 'x')}, {"ZZZ1", ""}, {"Qq 9", "abc"}};
    auto f = loadBytes(SerializeRawFile(MakeSampleFile(), options));
    ASSERT_FALSE(f->IsError()) << ks::reg::utf8FromWide(f->GetErrorMessage());
    EXPECT_EQ(f->NumberOfVirtualControllers(), 4);
    const std::wstring w = f->GetWarningMessage();
    EXPECT_NE(w.find(L"2 chunk(s) of unknown kind 'ZZZ1' skipped"), std::wstring::npos) << ks::reg::utf8FromWide(w);
    EXPECT_NE(w.find(L"'Qq 9'"), std::wstring::npos);
}

TEST(RawFormat, FileBeingWrittenReadsUpToItsLastCompleteChunk)
{
    FileData model = MakeSampleFile();
    model.info.acquisitionFlags = kAcqWriting | kAcqRunActive;
    BuildOptions noEnd;
    noEnd.writeEnd = false;
    const std::string growing = SerializeRawFile(model, noEnd);
    auto whole = loadBytes(growing);
    ASSERT_FALSE(whole->IsError()) << ks::reg::utf8FromWide(whole->GetErrorMessage());
    EXPECT_TRUE(whole->InAcquisition());
    EXPECT_EQ(whole->GetAcquisitionFlags(), uint32_t(kAcqWriting | kAcqRunActive));
    EXPECT_EQ(whole->Controller(0).NumSpectra(), 30);

    // Cut inside the index chunk of scan 20: scans 1 to 19 are there.
    std::vector<ChunkAt> chunks = chunksOf(growing);
    size_t seen = 0, cut = 0;
    for (const ChunkAt& c : chunks)
        if (c.tag == format::kTagScanIndex && ++seen == 20)
            cut = c.offset + 5;
    auto partial = loadBytes(growing.substr(0, cut));
    ASSERT_FALSE(partial->IsError()) << ks::reg::utf8FromWide(partial->GetErrorMessage());
    EXPECT_EQ(partial->Controller(0).NumSpectra(), 19);
    EXPECT_NE(partial->GetWarningMessage().find(L"incomplete chunk"), std::wstring::npos);
    EXPECT_NE(partial->GetWarningMessage().find(L"1 scan data records without a scan index entry"),
              std::wstring::npos);
    EXPECT_EQ(partial->NumberOfVirtualControllers(), 1);  // the others come later

    // The same bytes without the writing flag are a truncated file.
    model.info.acquisitionFlags = kAcqRunActive;
    auto truncated = loadBytes(SerializeRawFile(model, noEnd).substr(0, cut));
    EXPECT_EQ(truncated->GetErrorCode(), kErrTruncated);
}

TEST(RawFormat, ReMapReadsWhatTheFileHasBecome)
{
    FileData model = MakeSampleFile();
    model.info.acquisitionFlags = kAcqWriting;
    BuildOptions noEnd;
    noEnd.writeEnd = false;
    const std::string growing = SerializeRawFile(model, noEnd);
    const std::string path = tempPath("growing.raw");
    size_t seen = 0, cut = 0;
    for (const ChunkAt& c : chunksOf(growing))
        if (c.tag == format::kTagScanIndex && ++seen == 10)
            cut = c.offset;
    ks::test::writeFile(path, growing.substr(0, cut));
    CRawfile f(wide(path));
    ASSERT_FALSE(f.IsError());
    const int32_t before = f.Controller(0).NumSpectra();
    ASSERT_NE(f.SetVirtualDataObject(kDeviceMS, 1), nullptr);
    ks::test::writeFile(path, growing);
    f.ReMapViewOfFile();
    EXPECT_EQ(f.GetCurrentController(), nullptr);  // views are rebuilt
    EXPECT_EQ(before, 9);
    EXPECT_EQ(f.Controller(0).NumSpectra(), 30);
    EXPECT_EQ(f.NumberOfVirtualControllers(), 4);
    // The finished file clears the flags.
    ks::test::writeFile(path, SerializeRawFile(MakeSampleFile()));
    f.ReMapViewOfFile();
    EXPECT_FALSE(f.InAcquisition());
    // A file that vanished leaves the error state and no controllers.
    std::remove(path.c_str());
    f.ReMapViewOfFile();
    EXPECT_EQ(f.GetErrorCode(), kErrCannotOpen);
    EXPECT_EQ(f.NumberOfVirtualControllers(), 0);
}

TEST(RawFormat, NewFileHasPreambleAndNoController)
{
    // What a writer leaves before its first controller write.
    FileInfo info;
    auto created = loadBytes(imageOf({format::chunk(format::kTagInfo, format::infoPayload(info))}, kFormatVersion,
                                     kAcqWriting | kAcqRunActive, false));
    EXPECT_FALSE(created->IsError()) << ks::reg::utf8FromWide(created->GetErrorMessage());
    EXPECT_TRUE(created->IsNewFile());
    auto bare = loadBytes(format::preamble(kFormatVersion, kAcqWriting));
    EXPECT_TRUE(bare->IsNewFile());
    EXPECT_FALSE(bare->IsError());
    // A finished file without controllers is empty, not new.
    auto empty = loadBytes(SerializeRawFile(FileData()));
    EXPECT_FALSE(empty->IsNewFile());
    EXPECT_FALSE(empty->IsThereMSData());
    EXPECT_EQ(empty->NumberOfVirtualControllers(), 0);
}

TEST(RawFormat, MethodStorageServesTheTextStreams)
{
    auto f = loadBytes(SerializeRawFile(MakeSampleFile()));
    const CMethodStg* m = f->GetMethodStorage();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetNames(), (std::vector<std::wstring>{L"LC Pump", L"MS Method"}));
    EXPECT_EQ(m->GetMethodText(0), L"Flow 0.300 mL/min\r\nGradient 5-40% B in 30 min\r\n");
    EXPECT_THROW(m->GetMethodText(2), EngineError);

    ks::ComPtr<IStorage> root;
    ASSERT_EQ(m->GetStorage(&root), S_OK);
    ks::ComPtr<IStorage> method;
    ASSERT_EQ(root->OpenStorage(L"MS Method", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &method), S_OK);
    ks::ComPtr<IStream> text;
    ASSERT_EQ(method->OpenStream(L"Text", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &text), S_OK);
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    ASSERT_EQ(text->Seek(zero, STREAM_SEEK_END, &end), S_OK);
    ASSERT_EQ(text->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
    std::vector<uint8_t> bytes(size_t(end.QuadPart));
    ASSERT_EQ(text->Read(bytes.data(), ULONG(bytes.size()), nullptr), S_OK);
    EXPECT_EQ(format::fromUtf16(bytes.data(), bytes.size() / 2), m->GetMethodText(1));
    // Read-only, and the not-found codes of the storage.
    ks::ComPtr<IStream> w;
    EXPECT_EQ(method->OpenStream(L"Text", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &w), STG_E_ACCESSDENIED);
    EXPECT_EQ(method->CreateStream(L"New", STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &w), STG_E_ACCESSDENIED);
    EXPECT_EQ(root->OpenStorage(L"No Such", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &method),
              STG_E_FILENOTFOUND);
    EXPECT_EQ(m->GetStorage(nullptr), E_POINTER);

    FileData none = MakeSampleFile();
    none.methods.reset();
    EXPECT_EQ(loadBytes(SerializeRawFile(none))->GetMethodStorage(), nullptr);
}

// A storage of many elements loads with each name checked once: 100,000
// distinct methods, each with its text.
TEST(RawFormat, MethodStorageOfAHundredThousandNames)
{
    constexpr int32_t kMethods = 100000;
    const FileData model = MakeManyMethodsFile(kMethods);
    auto f = loadBytes(SerializeRawFile(model));
    ASSERT_FALSE(f->IsError()) << ks::reg::utf8FromWide(f->GetErrorMessage());
    const CMethodStg* m = f->GetMethodStorage();
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->NumMethods(), kMethods);
    for (int i : {0, 1, 49999, kMethods - 1}) {
        EXPECT_EQ(m->GetNames()[size_t(i)], L"Method " + std::to_wstring(i + 1));
        EXPECT_EQ(m->GetMethodText(i), L"Step " + std::to_wstring(i + 1));
    }
    EXPECT_EQ(f->Data().methods->children.size(), model.methods->children.size());
}

TEST(RawFormat, GenericHeaderLaysOutItsItems)
{
    CGenericDataHeader h;
    h.SetNumItems(5);
    h.ItemData(0, L"Heading", kDataNull, 0);
    h.ItemData(1, L"Flag:", kDataOnOff, 0);
    h.ItemData(2, L"Mass:", kDataDouble, 4);
    h.ItemData(3, L"Name:", kDataWCharString, 6);
    h.ItemData(4, L"Odd:", 99, 7);  // unknown kinds take no bytes
    const uint64_t offsets[] = {0, 0, 1, 9, 21};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(h.ItemOffset(i), offsets[i]) << i;
    EXPECT_EQ(h.RecordSize(), 21u);
    EXPECT_EQ(h.FindItem(L"MASS:"), 2);
    EXPECT_EQ(h.FindItem(L"mass"), -1);
    EXPECT_THROW(h.ItemData(5, L"x", kDataChar, 0), EngineError);
    EXPECT_THROW(h.Item(-1), EngineError);
    h.SetNumItems(2);
    EXPECT_EQ(h.RecordSize(), 1u);
    EXPECT_EQ(CGenericDataHeader::KindSize(kDataCharString, 0xFFFFFFFFu), 0xFFFFFFFFull);
}

TEST(RawFormat, TestHookMakesTheNamedOperationThrowOnce)
{
    const std::string path = tempPath("s.raw");
    WriteRawFile(wide(path), MakeSampleFile());
    testhook::FailNextCall("CRawfile");
    EXPECT_THROW(CRawfile(wide(path)), EngineError);
    CRawfile f(wide(path));  // fired once
    ASSERT_FALSE(f.IsError());
    const CVirtualData& c = f.Controller(0);
    testhook::FailNextCall("GetScan", 1);
    EXPECT_NO_THROW(c.GetScan(1));
    EXPECT_THROW(c.GetScan(1), EngineError);
    EXPECT_NO_THROW(c.GetScan(1));
    testhook::FailNextCall("GetRunHeader");
    testhook::FailNextCall("ReMapViewOfFile");
    EXPECT_EQ(testhook::PendingInjectedFailures(), 2);
    testhook::ClearInjectedFailures();
    EXPECT_NO_THROW(c.GetRunHeader());
    EXPECT_NO_THROW(f.ReMapViewOfFile());
}

TEST(RawFormat, TestHookFailsTheNamedOperationAsAnAllocation)
{
    const std::string path = tempPath("w.raw");
    testhook::FailNextAllocation("CVirtualMSWriter");
    EXPECT_THROW(CVirtualMSWriter w(wide(path)), std::bad_alloc);
    EXPECT_EQ(testhook::PendingInjectedFailures(), 0);
    CVirtualMSWriter w(wide(path));  // fired once
    EXPECT_FALSE(w.IsError());
    testhook::FailNextAllocation("WriteInstMassResolution", 1);
    EXPECT_NO_THROW(w.WriteInstMassResolution(1.0));
    EXPECT_THROW(w.WriteInstMassResolution(1.0), std::bad_alloc);
    EXPECT_NO_THROW(w.WriteInstMassResolution(1.0));
}
