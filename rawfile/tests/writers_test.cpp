// The round trip: an MS file and a UV file written through the writers,
// each created by its ProgID, read back through the reader as written
// (scans, filters after the scan-event conversion, mass lists, trailer,
// status log, tune data, identity, channels, error log and run time); and
// a writer process killed half-way leaves no file that reads.
#include "writertest.h"

#include <csignal>
#include <dirent.h>
#include <sys/stat.h>

using namespace writertest;

namespace {

constexpr LONG kEvent1 = LONG(1) << 16 | 1;  // segment 1, event 1
constexpr LONG kEvent2 = LONG(2) << 16 | 1;  // segment 1, event 2

// The MS run every round-trip case writes: four scans of different
// events, each with a trailer record, two status-log records, one tune
// record; `w` has its file created.
void writeMSRun(IZylVirMS* w)
{
    ASSERT_EQ(w->WriteInstID(const_cast<LPWSTR>(L"Orbit 9"), const_cast<LPWSTR>(L"OX-2"),
                             const_cast<LPWSTR>(L"SN 0042"), const_cast<LPWSTR>(L"3.1"),
                             const_cast<LPWSTR>(L"LC-MS")),
              S_OK);
    ASSERT_EQ(w->WriteRunHeaderInfo(12.5, 0.5, const_cast<LPWSTR>(L"first comment"), const_cast<LPWSTR>(L"")),
              S_OK);

    // Trailer: sized for four, then five items (the four stay).
    ASSERT_EQ(w->SetTrailerHeaderNumFields(4), S_OK);
    ASSERT_EQ(w->SetTrailerHeaderField(0, const_cast<LPWSTR>(L"Scan Event:"), MS_DataTypes_LONG, 0), S_OK);
    ASSERT_EQ(w->SetTrailerHeaderField(1, const_cast<LPWSTR>(L"Master Index:"), MS_DataTypes_LONG, 0), S_OK);
    ASSERT_EQ(w->SetTrailerHeaderField(2, const_cast<LPWSTR>(L"Charge State:"), MS_DataTypes_SHORT, 0), S_OK);
    ASSERT_EQ(w->SetTrailerHeaderField(3, const_cast<LPWSTR>(L"Monoisotopic M/Z:"), MS_DataTypes_DOUBLE, 4), S_OK);
    ASSERT_EQ(w->SetTrailerHeaderNumFields(5), S_OK);
    ASSERT_EQ(w->SetTrailerHeaderField(4, const_cast<LPWSTR>(L"Ion Time (ms):"), MS_DataTypes_FLOAT, 2), S_OK);
    ASSERT_EQ(w->WriteTrailerHeader(), S_OK);

    // Status log: three items, two records.
    ASSERT_EQ(w->SetStatusLogHeaderNumFields(3), S_OK);
    ASSERT_EQ(w->SetStatusLogHeaderField(0, const_cast<LPWSTR>(L"Source Voltage (kV):"), MS_DataTypes_FLOAT, 2),
              S_OK);
    ASSERT_EQ(w->SetStatusLogHeaderField(1, const_cast<LPWSTR>(L"Vacuum OK:"), MS_DataTypes_YESNO, 0), S_OK);
    ASSERT_EQ(w->SetStatusLogHeaderField(2, const_cast<LPWSTR>(L"Pump:"), MS_DataTypes_CHAR_STRING, 8), S_OK);
    ASSERT_EQ(w->WriteStatusLogHeader(), S_OK);
    Bytes s1, s2;
    s1.f32(4.5f).u8(1).raw("on\0\0\0\0\0\0", 8);
    s2.f32(4.25f).u8(0).raw("standby\0", 8);
    ASSERT_EQ(w->WriteStatusLog(0.0f, s1.data()), S_OK);
    ASSERT_EQ(w->WriteStatusLog(1.0f, s2.data()), S_OK);

    // Tune data: sized, emptied (the items go) and sized again; only the
    // second item set.
    ASSERT_EQ(w->SetTuneDataHeaderNumFields(2), S_OK);
    ASSERT_EQ(w->SetTuneDataHeaderField(0, const_cast<LPWSTR>(L"Old A"), MS_DataTypes_LONG, 0), S_OK);
    ASSERT_EQ(w->SetTuneDataHeaderField(1, const_cast<LPWSTR>(L"Old B"), MS_DataTypes_LONG, 0), S_OK);
    ASSERT_EQ(w->SetTuneDataHeaderNumFields(0), S_OK);
    ASSERT_EQ(w->SetTuneDataHeaderNumFields(2), S_OK);
    ASSERT_EQ(w->SetTuneDataHeaderField(1, const_cast<LPWSTR>(L"Lens:"), MS_DataTypes_WCHAR_STRING, 8), S_OK);
    ASSERT_EQ(w->WriteTuneDataHeader(), S_OK);
    Bytes tune;
    tune.wtext(L"L1 -3V", 8);
    ASSERT_EQ(w->WriteTuneData(tune.data()), S_OK);

    // Method events: a profile survey (1, 1) and an APCI SIM event (1, 2).
    ASSERT_EQ(w->InitMethodScanEvents(), S_OK);
    MS_ScanEvent survey = initialEvent(w);
    survey.ePolarity = MS_Positive;
    survey.eScanData = MS_Profile;
    survey.eIonizationMode = MS_Electrospray;
    survey.eScanType = MS_Fullsc;
    survey.eMSOrder = MS_ms;
    survey.nNumMassRanges = 1;
    survey.arrMassRanges[0] = {150.0, 2000.0};
    ASSERT_EQ(w->SetMethodScanEvent(1, 1, &survey), S_OK);
    MS_ScanEvent sim = initialEvent(w);
    sim.eIonizationMode = MS_AtmosphericPressureChemicalIonization;
    sim.eCorona = MS_CoronaOn;
    sim.eSourceCID = MS_SourceCIDon;
    sim.nNumSourceFragmentationEnergies = 1;
    sim.arrSourceFragmentationEnergies[0] = 20.0;
    sim.arrSourceFragmentationEnergiesValid[0] = 1;
    sim.eWideband = MS_WidebandOn;
    sim.bCustom = 1;
    sim.eScanType = MS_SIMsc;
    sim.eMSOrder = MS_MSOrder(-1);  // neutral loss
    sim.nNumMassRanges = 1;
    sim.arrMassRanges[0] = {300.0, 310.0};
    ASSERT_EQ(w->SetMethodScanEvent(1, 2, &sim), S_OK);
    ASSERT_EQ(w->WriteMethodScanEvents(), S_OK);

    auto trailer = [&](int32_t event, int32_t master, int16_t charge, double mono, float ionTime) {
        Bytes t;
        t.i32(event).i32(master).i16(charge).f64(mono).f32(ionTime);
        ASSERT_EQ(w->WriteTrailer(t.data()), S_OK);
    };

    // Scan 1: the survey, profile packets in the raw form.
    ASSERT_EQ(w->InitializeScanIndex(0, MS_PacketTypes_PROF_SP_TYPE), S_OK);
    Bytes profile = packetBytes(150.0, 152.0, {{150.0, 0}, {150.5, 10}, {151.0, 50}, {151.5, 10}, {152.0, 0}});
    ASSERT_EQ(w->WriteInstData(profile.data(), profile.size(), MS_PacketTypes_PROF_SP_TYPE), S_OK);
    MS_ScanIndex i1 = scanIndex(0.5, kEvent1, 70.0, 150.0, 2000.0, 1, MS_PacketTypes_PROF_SP_TYPE);
    i1.dBasePeakMass = 151.0;
    i1.dBasePeakIntensity = 50.0;
    ASSERT_EQ(w->WriteScanIndex2(&i1), S_OK);
    trailer(1, 0, 0, 0.0, 12.5f);

    // Scan 2: a dependent MS2 with its own event, peaks in the 24-byte form.
    ASSERT_EQ(w->InitializeScanIndex(1, MS_PacketTypes_LR_SP_TYPE), S_OK);
    MS_DataPeak peaks[] = {{1000.0, 200.1, 0.0f, 0}, {5000.0, 300.2, 0.0f, 0}, {200.0, 445.1, 0.0f, 0}};
    ASSERT_EQ(w->WriteInstData2(3, peaks), S_OK);
    MS_ScanEvent ms2 = initialEvent(w);
    ms2.ePolarity = MS_Positive;
    ms2.eScanData = MS_Centroid;
    ms2.eIonizationMode = MS_Electrospray;
    ms2.eDependent = MS_Dependent;
    ms2.eTurboScan = MS_TurboScanOn;
    ms2.eScanType = MS_Fullsc;
    ms2.eMSOrder = MS_ms2;
    ms2.nNumPrecursorMasses = 1;
    ms2.arrPrecursorMasses[0] = 445.12;
    ms2.arrPrecursorEnergies[0] = 35.0;
    ms2.arrPrecursorEnergiesValid[0] = 1;
    MS_ScanIndex i2 = scanIndex(0.75, 0, 6200.0, 100.0, 900.0, 2);
    ASSERT_EQ(w->WriteScanIndex(&i2, &ms2), S_OK);
    trailer(2, 1, 2, 445.1234, 30.0f);

    // Scan 3: the SIM method event, centroid packets in the raw form.
    Bytes sims = packetBytes(300.0, 310.0, {{300.5, 20}, {305.0, 40}});
    ASSERT_EQ(w->WriteInstData(sims.data(), sims.size(), MS_PacketTypes_LR_SP_TYPE), S_OK);
    MS_ScanIndex i3 = scanIndex(1.0, kEvent2, 60.0, 300.0, 310.0, 3);
    ASSERT_EQ(w->WriteScanIndex2(&i3), S_OK);
    trailer(3, 0, 0, 0.0, 5.0f);

    // Scan 4: an event of values the engine cannot say (EI, ng, Q1MS).
    ASSERT_EQ(w->InitializeScanIndex(3, MS_PacketTypes_PROF_SP_TYPE), S_OK);
    MS_DataPeak flat[] = {{1.0, 500.0, 0.0f, 0}, {2.0, 501.0, 0.0f, 0}};
    ASSERT_EQ(w->WriteInstData2(2, flat), S_OK);
    MS_ScanEvent other = initialEvent(w);
    other.ePolarity = MS_Negative;
    other.eScanData = MS_Profile;
    other.eIonizationMode = MS_ElectronImpact;
    other.eMSOrder = MS_ng;
    other.eScanType = MS_Q1MSsc;
    other.eTurboScan = MS_TurboScanOff;
    MS_ScanIndex i4 = scanIndex(1.25, 0, 3.0, 500.0, 501.0, 4, MS_PacketTypes_PROF_SP_TYPE);
    ASSERT_EQ(w->WriteScanIndex(&i4, &other), S_OK);
    trailer(4, 0, 0, 0.0, 1.0f);
}

class WriterRoundTrip : public WriterTest {};

TEST_F(WriterRoundTrip, MSFileReadsBackAsWritten)
{
    const std::string file = path("run.raw");
    {
        ks::ComPtr<IZylVirMS> w = createByProgId<IZylVirMS>(L"Ombrel2.ZylVirMS");
        ASSERT_TRUE(w);
        std::wstring name = wide(file);
        ASSERT_EQ(w->Create(name.data()), S_OK);
        writeMSRun(w.get());
        ASSERT_EQ(w->Close(), S_OK);
    }

    ASSERT_EQ(open(file), kOmbrelDone);
    LONG n = -1;
    EXPECT_EQ(reader->InAcquisition(&n), kOmbrelDone);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(reader->GetNumberOfControllers(&n), kOmbrelDone);
    EXPECT_EQ(n, 1);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    EXPECT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 4);

    // Run header and identity.
    double d = -1;
    EXPECT_EQ(reader->GetExpectedRunTime(&d), kOmbrelDone);
    EXPECT_EQ(d, 12.5);
    EXPECT_EQ(reader->GetMassResolution(&d), kOmbrelDone);
    EXPECT_EQ(d, 0.5);
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetComment1(b); }), L"first comment");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetComment2(b); }), L"");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstName(b); }), L"Orbit 9");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstModel(b); }), L"OX-2");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstSerialNumber(b); }), L"SN 0042");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstSoftwareVersion(b); }), L"3.1");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstHardwareVersion(b); }), L"");
    EXPECT_EQ(CRawfile(wide(file)).Controller(0).GetInstID().experimentType, L"LC-MS");

    // Scans: times, index values, data forms.
    const double times[] = {0.5, 0.75, 1.0, 1.25};
    const double tics[] = {70.0, 6200.0, 60.0, 3.0};
    const LONG profile[] = {1, 0, 0, 1};
    for (LONG scan = 1; scan <= 4; ++scan) {
        SCOPED_TRACE(scan);
        EXPECT_EQ(reader->RTFromScanNum(scan, &d), kOmbrelDone);
        EXPECT_EQ(d, times[scan - 1]);
        LONG packets = 0, channels = -1, uniform = -1, isProfile = -1;
        double start = 0, low = 0, high = 0, tic = 0, bpm = 0, bpi = 0, freq = -1;
        EXPECT_EQ(reader->GetScanHeaderInfoForScanNum(scan, &packets, &start, &low, &high, &tic, &bpm, &bpi,
                                                      &channels, &uniform, &freq),
                  kOmbrelDone);
        EXPECT_EQ(packets, 1);  // the engine's count from the data
        EXPECT_EQ(tic, tics[scan - 1]);
        EXPECT_EQ(reader->IsProfileScanForScanNum(scan, &isProfile), kOmbrelDone);
        EXPECT_EQ(isProfile, profile[scan - 1]);
    }
    LONG packets = 0, channels = -1, uniform = -1;
    double start = 0, low = 0, high = 0, tic = 0, bpm = 0, bpi = 0, freq = -1;
    ASSERT_EQ(reader->GetScanHeaderInfoForScanNum(1, &packets, &start, &low, &high, &tic, &bpm, &bpi, &channels,
                                                  &uniform, &freq),
              kOmbrelDone);
    EXPECT_EQ(low, 150.0);
    EXPECT_EQ(high, 2000.0);
    EXPECT_EQ(bpm, 151.0);
    EXPECT_EQ(bpi, 50.0);

    // Filters and events after the conversion: off switches stay open in
    // a filter; "any" polarity reads negative; turbo "on" (0) is on; EI,
    // ng and Q1MS keep the engine's any ionisation, MS order 1 and full
    // scan.
    const std::wstring events[] = {
        L"+ p ESI !sid !t !d !w !u Full ms [150.00-2000.00]",
        L"+ c ESI !sid t d !w !u Full ms2 445.12@35.00",
        L"- c APCI corona sid=20.00 !t !d w u SIM nl [300.00-310.00]",
        L"- p !sid !t !d !w !u Full ms",
    };
    const std::wstring filters[] = {
        L"+ p ESI Full ms [150.00-2000.00]",
        L"+ c ESI t d Full ms2 445.12@35.00",
        L"- c APCI corona sid=20.00 w u SIM nl [300.00-310.00]",
        L"- p Full ms",
    };
    for (LONG scan = 1; scan <= 4; ++scan) {
        SCOPED_TRACE(scan);
        EXPECT_EQ(readText([&](BSTR* b) { return reader->GetScanEventForScanNum(scan, b); }), events[scan - 1]);
        EXPECT_EQ(readText([&](BSTR* b) { return reader->GetFilterForScanNum(scan, b); }), filters[scan - 1]);
    }
    Var list;
    LONG count = 0;
    ASSERT_EQ(reader->GetFilters(&list.v, &count), kOmbrelDone);
    EXPECT_EQ(Texts(list.v), std::vector<std::wstring>(std::begin(filters), std::end(filters)));

    // Mass lists as written.
    const Points expected[] = {
        {{150.0, 0}, {150.5, 10}, {151.0, 50}, {151.5, 10}, {152.0, 0}},
        {{200.1, 1000}, {300.2, 5000}, {445.1, 200}},
        {{300.5, 20}, {305.0, 40}},
        {{500.0, 1}, {501.0, 2}},
    };
    for (LONG scan = 1; scan <= 4; ++scan) {
        SCOPED_TRACE(scan);
        Var masses;
        LONG s = scan, size = 0;
        double width = 0;
        ASSERT_EQ(reader->GetMassListFromScanNum(&s, nullptr, 0, 0, 0, 0, &width, &masses.v, nullptr, &size),
                  kOmbrelDone);
        EXPECT_EQ(pairsOf(masses.v, size), expected[scan - 1]);
    }

    // Trailer of every scan, with the fifth item added by resizing.
    Var labels, values;
    ASSERT_EQ(reader->GetTrailerExtraForScanNum(2, &labels.v, &values.v, &count), kOmbrelDone);
    EXPECT_EQ(Texts(labels.v), (std::vector<std::wstring>{L"Scan Event:", L"Master Index:", L"Charge State:",
                                                            L"Monoisotopic M/Z:", L"Ion Time (ms):"}));
    EXPECT_EQ(Texts(values.v), (std::vector<std::wstring>{L"2", L"1", L"2", L"445.1234", L"30.00"}));

    // The precursor chain of scan 2 through the trailer and its own event,
    // read as MS_PrecursorInfo records.
    Var infos;
    ASSERT_EQ(reader->GetPrecursorInfoFromScanNum(2, &infos.v, &count), kOmbrelDone);
    ASSERT_EQ(count, 1);
    ASSERT_EQ(infos.v.vt, VT_ARRAY | VT_UI1);
    MS_PrecursorInfo info{};
    void* raw = nullptr;
    ASSERT_EQ(SafeArrayAccessData(infos.v.parray, &raw), S_OK);
    std::memcpy(&info, raw, sizeof info);
    SafeArrayUnaccessData(infos.v.parray);
    EXPECT_EQ(info.dMonoIsoMZ, 445.1234);
    EXPECT_EQ(info.dIsolationMZ, 445.12);
    EXPECT_EQ(info.nChargeState, 2);
    EXPECT_EQ(info.nScanNumber, 1);

    // Status log by time: the record at or before it.
    double rt = 0.9;
    Var sl, sv;
    ASSERT_EQ(reader->GetStatusLogForRT(&rt, &sl.v, &sv.v, &count), kOmbrelDone);
    EXPECT_EQ(rt, 0.0);
    EXPECT_EQ(Texts(sl.v), (std::vector<std::wstring>{L"Source Voltage (kV):", L"Vacuum OK:", L"Pump:"}));
    EXPECT_EQ(Texts(sv.v), (std::vector<std::wstring>{L"4.50", L"Yes", L"on"}));
    rt = 1.2;
    Var sl2, sv2;
    ASSERT_EQ(reader->GetStatusLogForRT(&rt, &sl2.v, &sv2.v, &count), kOmbrelDone);
    EXPECT_EQ(rt, 1.0);
    EXPECT_EQ(Texts(sv2.v), (std::vector<std::wstring>{L"4.25", L"No", L"standby"}));

    // Tune data: the header emptied and sized again holds no old item.
    Var tl, tv;
    ASSERT_EQ(reader->GetTuneData(0, &tl.v, &tv.v, &count), kOmbrelDone);
    EXPECT_EQ(Texts(tl.v), (std::vector<std::wstring>{L"", L"Lens:"}));
    EXPECT_EQ(Texts(tv.v), (std::vector<std::wstring>{L"", L"L1 -3V"}));
}

TEST_F(WriterRoundTrip, UVFileReadsBackAsWritten)
{
    const std::string file = path("uv.raw");
    {
        ks::ComPtr<IZylVirUV> w = createByProgId<IZylVirUV>(L"Ombrel2.ZylVirUV");
        ASSERT_TRUE(w);
        std::wstring name = wide(file);
        ASSERT_EQ(w->Create(name.data()), S_OK);
        // Labels 1 and 3 given, 2 empty and 4 missing: a list of two.
        ASSERT_EQ(w->WriteInstID(const_cast<LPWSTR>(L"Lumen UV"), const_cast<LPWSTR>(L"U-4"), nullptr,
                                 const_cast<LPWSTR>(L"2.0"), const_cast<LPWSTR>(L"254 nm"), const_cast<LPWSTR>(L""),
                                 const_cast<LPWSTR>(L"280 nm"), nullptr),
                  S_OK);
        ASSERT_EQ(w->WriteRunHeaderInfo(0.005), S_OK);  // no threshold, unlike the MS writer
        ASSERT_EQ(w->WriteErrorLog(0.25f, const_cast<LPWSTR>(L"Lamp warming up")), S_OK);
        ASSERT_EQ(w->WriteErrorLog(1.5f, const_cast<LPWSTR>(L"Pressure high")), S_OK);
        for (int scan = 0; scan < 4; ++scan) {
            Bytes readings;
            readings.f64(10.0 * scan).f64(100.0 + scan);
            ASSERT_EQ(w->WriteInstData(readings.data(), readings.size(), MS_PacketTypes_CHANNEL_UV_TYPE, 2), S_OK);
            MS_UVScanIndex index{MS_PacketTypes_CHANNEL_UV_TYPE, 2, 0.5 * scan, 110.0 + 11.0 * scan};
            ASSERT_EQ(w->WriteScanIndex(&index), S_OK);
        }
        ASSERT_EQ(w->Close(), S_OK);
    }

    ASSERT_EQ(open(file), kOmbrelDone);
    LONG n = -1;
    EXPECT_EQ(reader->GetControllerType(0, &n), kOmbrelDone);
    EXPECT_EQ(n, kOmbrelUV);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    EXPECT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 4);
    double d = -1;
    EXPECT_EQ(reader->GetExpectedRunTime(&d), kOmbrelDone);
    EXPECT_EQ(d, 0.005);
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstName(b); }), L"Lumen UV");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstModel(b); }), L"U-4");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstSerialNumber(b); }), L"");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstSoftwareVersion(b); }), L"2.0");
    EXPECT_EQ(reader->GetInstNumChannelLabels(&n), kOmbrelDone);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstChannelLabel(0, b); }), L"254 nm");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstChannelLabel(1, b); }), L"280 nm");

    EXPECT_EQ(reader->GetNumErrorLog(&n), kOmbrelDone);
    EXPECT_EQ(n, 2);
    Text message;
    EXPECT_EQ(reader->GetErrorLogItem(1, &d, &message.b), kOmbrelDone);
    EXPECT_EQ(d, 1.5);
    EXPECT_EQ(message.str(), L"Pressure high");

    // Each channel's readings by time.
    for (LONG channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel);
        double s = 0, e = 0;
        Var data;
        LONG count = 0;
        ASSERT_EQ(reader->GetChroData(channel, 0, 0, nullptr, nullptr, nullptr, 0, &s, &e, 0, 0, &data.v, nullptr,
                                      &count),
                  kOmbrelDone);
        Points want;
        for (int scan = 0; scan < 4; ++scan)
            want.emplace_back(0.5 * scan, channel == 0 ? 10.0 * scan : 100.0 + scan);
        EXPECT_EQ(pairsOf(data.v, count), want);
    }
    LONG packets = 0, channels = 0, uniform = -1;
    double start = 0, low = 0, high = 0, tic = 0, bpm = -1, bpi = -1, freq = -1;
    ASSERT_EQ(reader->GetScanHeaderInfoForScanNum(3, &packets, &start, &low, &high, &tic, &bpm, &bpi, &channels,
                                                  &uniform, &freq),
              kOmbrelDone);
    EXPECT_EQ(start, 1.0);
    EXPECT_EQ(tic, 132.0);
    EXPECT_EQ(channels, 2);
}

// ---------------------------------------------------------------- a writer that dies

class WriterCrash : public WriterTest {
protected:
    // Runs the child writer; it kills itself after `scans` scans.
    void runChild(const std::string& kind, const std::string& file, int scans)
    {
        const ks::test::RunResult r =
            ks::test::run({std::string(KS_BIN_DIR) + "/ombrel_crash_writer", kind, file, std::to_string(scans)});
        ASSERT_EQ(r.exitCode, 128 + SIGKILL) << r.out << r.err;
        EXPECT_NE(r.out.find("scans written: " + std::to_string(scans)), std::string::npos) << r.out;
    }

    // Names in the folder besides the registry's files and `keep`.
    static std::vector<std::string> leftovers(const std::string& keep)
    {
        std::vector<std::string> names;
        DIR* dir = opendir(ks::test::tempDir().c_str());
        while (dirent* e = dir ? readdir(dir) : nullptr) {
            const std::string n = e->d_name;
            struct stat st {};
            if (n == "." || n == ".." || n == keep || stat(path(n).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            if (n.find("writing") != std::string::npos || n.find(".raw") != std::string::npos)
                names.push_back(n);
        }
        if (dir)
            closedir(dir);
        return names;
    }
};

TEST_F(WriterCrash, AKilledMSWriterLeavesNoFileThatReads)
{
    const std::string file = path("dead.raw");
    runChild("ms", file, 3);
    EXPECT_EQ(open(file), kOmbrelNoFile);
    const CRawfile raw(wide(file));
    EXPECT_EQ(raw.GetErrorCode(), kErrCannotOpen);
    EXPECT_TRUE(leftovers("").empty()) << leftovers("").front();
}

TEST_F(WriterCrash, AKilledUVWriterLeavesNoFileThatReads)
{
    const std::string file = path("dead-uv.raw");
    runChild("uv", file, 5);
    EXPECT_EQ(open(file), kOmbrelNoFile);
    EXPECT_TRUE(leftovers("").empty()) << leftovers("").front();
}

TEST_F(WriterCrash, AKilledWriterLeavesTheFinishedFileBeforeItIntact)
{
    // A finished run of four scans under the name, then a writer of the
    // same name killed after two scans: the name still reads the old run,
    // whole.
    const std::string file = path("kept.raw");
    {
        ks::ComPtr<IZylVirMS> w = createByProgId<IZylVirMS>(L"Ombrel2.ZylVirMS");
        std::wstring name = wide(file);
        ASSERT_EQ(w->Create(name.data()), S_OK);
        writeMSRun(w.get());
    }  // released: the release finishes the file
    runChild("ms", file, 2);
    ASSERT_EQ(open(file), kOmbrelDone);
    LONG n = -1;
    EXPECT_EQ(reader->InAcquisition(&n), kOmbrelDone);
    EXPECT_EQ(n, 0);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    EXPECT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 4);
    EXPECT_TRUE(leftovers("kept.raw").empty()) << leftovers("kept.raw").front();
}

TEST_F(WriterCrash, AFileInProgressIsNotUnderItsName)
{
    const std::string file = path("growing.raw");
    ks::ComPtr<IZylVirMS> w = createByProgId<IZylVirMS>(L"Ombrel2.ZylVirMS");
    std::wstring name = wide(file);
    ASSERT_EQ(w->Create(name.data()), S_OK);
    writeMSRun(w.get());
    EXPECT_EQ(open(file), kOmbrelNoFile);  // not finished yet
    ASSERT_EQ(w->Close(), S_OK);
    EXPECT_EQ(open(file), kOmbrelDone);
}

}  // namespace
