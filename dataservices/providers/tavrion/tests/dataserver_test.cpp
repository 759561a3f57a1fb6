// The data server of the KSTavrionProvider component, registered with the
// raw-file reader into the test case's registry and created by its ProgID:
// the standard sample and small runs through the object tree (functions,
// chromatograms, spectra, times, traces), IKSTavrionDataServer, and files
// that do not open.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "rawtesthooks.h"
#include "tavriontest.h"

using namespace tavriontest;

namespace {

struct FunctionView {
    std::wstring name;
    FunctionType type = FunctionTypeUnknown;
    FunctionMSMSType msmsType = FunctionMSMSTypeNone;
    FunctionPolarity polarity = FunctionPolarityUnknown;
    LONG order = -1;
    LONG count = -1;
    ks::ComPtr<IKSFunction> object;
};

struct TraceView {
    std::wstring name;
    CChromatogram chromatogram;
};

class TavrionDataServer : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegisterAll()); }
    void TearDown() override { testhook::ClearInjectedFailures(); }

    static ks::ComPtr<IKSDataServer> NewServer()
    {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(L"KSTavrionProvider.KSTavrionDataServer", &clsid), S_OK);
        return Create<IKSDataServer>(clsid);
    }
    static ks::ComPtr<IKSDataServer> Opened(const std::string& path)
    {
        auto server = NewServer();
        EXPECT_EQ(server->Open(ks::Bstr(W(path))), S_OK) << path;
        return server;
    }
    static ks::ComPtr<IKSInjection> Injection(IKSDataServer* server)
    {
        ks::ComPtr<IKSInjections> injections;
        EXPECT_EQ(server->get_Injections(&injections), S_OK);
        ks::ComPtr<IKSInjection> injection;
        if (injections) {
            LONG count = 0;
            EXPECT_EQ(injections->get_Count(&count), S_OK);
            EXPECT_EQ(count, 1);
            EXPECT_EQ(injections->get_Item(1, &injection), S_OK);
        }
        return injection;
    }
    static std::vector<FunctionView> Functions(IKSDataServer* server)
    {
        std::vector<FunctionView> out;
        ks::ComPtr<IKSFunctions> functions;
        EXPECT_EQ(Injection(server)->get_Functions(&functions), S_OK);
        LONG count = 0;
        EXPECT_EQ(functions->get_Count(&count), S_OK);
        for (LONG i = 1; i <= count; ++i) {
            FunctionView v;
            EXPECT_EQ(functions->get_Item(i, &v.object), S_OK);
            ks::Bstr name;
            v.object->get_Name(&name);
            v.name = name.str();
            v.object->get_Type(&v.type);
            v.object->get_MSMSType(&v.msmsType);
            v.object->get_Polarity(&v.polarity);
            v.object->get_MSOrder(&v.order);
            v.object->get_Count(&v.count);
            out.push_back(std::move(v));
        }
        return out;
    }
    static std::vector<TraceView> Traces(IKSDataServer* server)
    {
        std::vector<TraceView> out;
        ks::ComPtr<IKSTraces> traces;
        EXPECT_EQ(Injection(server)->get_Traces(&traces), S_OK);
        LONG count = 0;
        EXPECT_EQ(traces->get_Count(&count), S_OK);
        for (LONG i = 1; i <= count; ++i) {
            ks::ComPtr<IKSTrace> trace;
            EXPECT_EQ(traces->get_Item(i, &trace), S_OK);
            TraceView v;
            ks::Bstr name;
            trace->get_Name(&name);
            v.name = name.str();
            CKSChromatogram handle(&v.chromatogram);
            EXPECT_EQ(trace->get_ChromatogramDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK) << i;
            out.push_back(std::move(v));
        }
        return out;
    }
    static CChromatogram TIC(IKSFunction* f)
    {
        CChromatogram c;
        CKSChromatogram handle(&c);
        EXPECT_EQ(f->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        return c;
    }
    static Points SpectrumAt(IKSFunction* f, LONG index)
    {
        CKSMassSpectrum handle;
        EXPECT_EQ(f->get_SpectrumDirect(index, reinterpret_cast<ULONG_PTR>(&handle)), S_OK) << index;
        return Read(handle);
    }
};

// The sample's cycle of five scans: survey, MS2, MS3, zoom, SIM. Functions
// sort by display text: survey, SIM, zoom, MS2, MS3.
struct SampleFunction {
    const wchar_t* name;
    FunctionType type;
    LONG order;
    int offset;  // position in the cycle
};
const SampleFunction kSampleFunctions[] = {
    {L"FTMS + p ESI Full ms [100.00-1000.00]", FunctionTypeMS, 1, 0},
    {L"FTMS + p ESI SIM ms [400.00-410.00]", FunctionTypeMS, 1, 4},
    {L"FTMS + p ESI Z ms [495.00-505.00]", FunctionTypeZoomMS, 1, 3},
    {L"ITMS + c ESI d Full ms2  [135.00-1000.00]", FunctionTypeMSn, 2, 1},
    {L"ITMS + c ESI d Full ms3  639.67@35.00 [172.00-660.00]", FunctionTypeMSn, 3, 2},
};
constexpr int kCycle = 5;

TEST_F(TavrionDataServer, SampleFunctionsGroupedByFilterKey)
{
    const std::string path = SampleFile();
    const FileData model = MakeSampleFile();
    const ControllerData& ms = model.controllers[0];
    auto server = Opened(path);
    ks::Bstr type, current;
    EXPECT_EQ(server->DatasetType(&type), S_OK);
    EXPECT_EQ(type.str(), L"KSTavrionProvider");
    EXPECT_EQ(server->CurrentDataset(&current), S_OK);
    EXPECT_EQ(current.str(), W(path));

    const std::vector<FunctionView> functions = Functions(server.get());
    ASSERT_EQ(functions.size(), std::size(kSampleFunctions));
    for (size_t f = 0; f < functions.size(); ++f) {
        const SampleFunction& e = kSampleFunctions[f];
        const FunctionView& v = functions[f];
        SCOPED_TRACE(ks::reg::utf8FromWide(e.name));
        EXPECT_EQ(v.name, e.name);
        EXPECT_EQ(v.type, e.type);
        EXPECT_EQ(v.msmsType, e.type == FunctionTypeMSn ? FunctionMSMSTypeProduct : FunctionMSMSTypeNone);
        EXPECT_EQ(v.polarity, FunctionPolarityPositive);
        EXPECT_EQ(v.order, e.order);
        ASSERT_EQ(v.count, 6);

        // The TIC covers exactly the function's scans: one point per scan,
        // at its time, with its total intensity.
        const CChromatogram tic = TIC(v.object.get());
        ASSERT_EQ(tic.GetCount(), 6);
        for (LONG i = 0; i < 6; ++i) {
            const ScanRecord& scan = ms.scans[size_t(kCycle * i + e.offset)];
            EXPECT_DOUBLE_EQ(Times(tic)[size_t(i)], scan.index.startTime) << i;
            EXPECT_NEAR(Values(tic)[size_t(i)], scan.index.tic, 1e-9 * scan.index.tic) << i;

            // Spectrum i: its position in the function as scan range, the
            // function's type and order, the scan's own time and points.
            const Points p = SpectrumAt(v.object.get(), i + 1);
            EXPECT_EQ(p.firstScan, i + 1);
            EXPECT_EQ(p.lastScan, i + 1);
            EXPECT_DOUBLE_EQ(p.startRT, scan.index.startTime);
            EXPECT_DOUBLE_EQ(p.endRT, scan.index.startTime);
            double sum = 0.0;
            for (double y : p.y)
                sum += y;
            EXPECT_NEAR(sum, scan.index.tic, 1e-9 * scan.index.tic);
            EXPECT_EQ(p.msOrder, e.order);
        }
    }
}

TEST_F(TavrionDataServer, SpectraCarryTheirFiltersPrecursorLevels)
{
    const FileData model = MakeSampleFile();
    auto server = Opened(SampleFile());
    const std::vector<FunctionView> functions = Functions(server.get());
    ASSERT_EQ(functions.size(), 5u);
    for (LONG i = 1; i <= 6; ++i) {
        // MS3 of cycle i: both precursors of its filter, one per level.
        CKSMassSpectrum handle;
        ASSERT_EQ(functions[4].object->get_SpectrumDirect(i, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        const CMassSpectrum& s = *handle.get();
        const CScanEvent& event = model.controllers[0].scans[size_t(kCycle * (i - 1) + 2)].event;
        ASSERT_EQ(event.reactions.size(), 2u);
        EXPECT_EQ(s.GetFunctionType(), FunctionTypeMSn);
        EXPECT_EQ(s.GetMSOrder(), 3);
        EXPECT_EQ(s.GetPolarity(), FunctionPolarityPositive);
        EXPECT_TRUE(s.IsCentroid());
        for (LONG level = 2; level <= 3; ++level) {
            EXPECT_NEAR(s.GetPrecursorMZ(level), event.reactions[size_t(level - 2)].precursorMass, 0.005) << level;
            EXPECT_EQ(s.GetPrecursorMZ2(level), s.GetPrecursorMZ(level));
        }
        EXPECT_NEAR(s.GetPrecursorMass(), event.reactions[0].precursorMass, 0.005);
        EXPECT_EQ(s.GetTitle().substr(0, 24), L"ITMS + c ESI d Full ms3 ");
    }
    // A profile survey scan.
    CKSMassSpectrum survey;
    ASSERT_EQ(functions[0].object->get_SpectrumDirect(1, reinterpret_cast<ULONG_PTR>(&survey)), S_OK);
    EXPECT_FALSE(survey.get()->IsCentroid());
    EXPECT_EQ(survey.get()->GetTitle(), L"FTMS + p ESI Full ms [100.00-1000.00]");
}

TEST_F(TavrionDataServer, SampleTracesFromChannelLabelsOrDefaultNames)
{
    auto server = Opened(SampleFile());
    const std::vector<TraceView> traces = Traces(server.get());
    // The UV detector's three channels (the second unlabelled), the PDA's
    // total-scan and spectrum-maximum traces, the analog input's channel.
    const std::vector<std::pair<std::wstring, LONG>> expected = {
        {L"UV 254 nm", 40}, {L"UV Trace 2", 40}, {L"UV 280 nm", 40},
        {L"PDA Trace 1", 20}, {L"PDA Trace 2", 20}, {L"Pressure (bar)", 30}};
    ASSERT_EQ(traces.size(), expected.size());
    for (size_t i = 0; i < traces.size(); ++i) {
        EXPECT_EQ(traces[i].name, expected[i].first) << i;
        EXPECT_EQ(traces[i].chromatogram.GetCount(), expected[i].second) << i;
    }
    const FileData model = MakeSampleFile();
    for (size_t k = 0; k < 40; ++k)
        EXPECT_DOUBLE_EQ(Values(traces[1].chromatogram)[k], model.controllers[1].scans[k].readings[1]) << k;
}

// A second controller of a kind shows its own channels: each controller is
// made current by its own number.
TEST_F(TavrionDataServer, SecondDetectorOfAKindShowsItsOwnChannels)
{
    ScanSpec scan;
    scan.time = 0.1;
    scan.points = {{200.0, 10.0}};
    const FileData run =
        MakeRun({MSController({scan}),
             ChannelController({L"First 254", L""}, {{1.0, 2.0}, {1.5, 2.5}, {1.25, 2.25}}),
             ChannelController({L"", L"Second 280", L""}, {{10.0, 20.0, 30.0}, {11.0, 21.0, 31.0}}),
             ChannelController({}, {{7.0}, {8.0}}, kDeviceADCard)});
    auto server = Opened(WriteModel(run, "detectors.raw"));
    const std::vector<TraceView> traces = Traces(server.get());
    struct Expected {
        const wchar_t* name;
        std::vector<double> values;
    } expected[] = {
        {L"First 254", {1.0, 1.5, 1.25}},     {L"UV Trace 2", {2.0, 2.5, 2.25}},
        {L"UV Trace 1", {10.0, 11.0}},        {L"Second 280", {20.0, 21.0}},
        {L"UV Trace 3", {30.0, 31.0}},        {L"A/D Trace 1", {7.0, 8.0}},
    };
    ASSERT_EQ(traces.size(), std::size(expected));
    for (size_t i = 0; i < traces.size(); ++i) {
        EXPECT_EQ(traces[i].name, expected[i].name) << i;
        EXPECT_EQ(Values(traces[i].chromatogram), expected[i].values) << i;
    }
}

// Retention times choose through the reader's scan at that time, then step
// over the function's own scans; Closest keeps the spectrum found on an
// exact halfway time (its comparisons are strict).
TEST_F(TavrionDataServer, SpectrumByRetentionTime)
{
    EventSpec ms2;
    ms2.analyzer = Analyzer::ITMS;
    ms2.order = 2;
    ms2.reactions = {Precursor(300.0)};
    const std::vector<ScanSpec> scans = {
        {{}, 1.0, {{150.0, 1.0}}}, {ms2, 1.5, {{150.0, 2.0}}}, {{}, 2.0, {{150.0, 3.0}}},
        {ms2, 2.5, {{150.0, 4.0}}}, {{}, 3.0, {{150.0, 5.0}}}};
    auto interleaved = Opened(WriteModel(MakeRun({MSController(scans)}), "interleaved.raw"));
    auto alone = Opened(WriteModel(MakeRun({MSController({scans[0], scans[2], scans[4]})}), "alone.raw"));

    auto indexAt = [](IKSFunction* f, double t, FunctionRTProximity proximity) -> LONG {
        CKSMassSpectrum handle;
        const HRESULT hr = f->get_SpectrumByRTDirect(t, proximity, reinterpret_cast<ULONG_PTR>(&handle));
        if (hr == E_FAIL)
            return 0;  // none qualifies
        EXPECT_EQ(hr, S_OK);
        return handle.get()->GetFirstScan();
    };
    const auto less = FunctionRTProximityLess, greater = FunctionRTProximityGreater,
               closest = FunctionRTProximityClosest;
    struct Case {
        double t;
        FunctionRTProximity proximity;
        LONG interleavedSpectrum;  // 1-based; 0: none
        LONG aloneSpectrum;
    } cases[] = {
        // Halfway between the function's first two spectra.
        {1.5, closest, 2, 1},
        {1.5, less, 1, 1},
        {1.5, greater, 2, 2},
        {1.25, closest, 1, 1},
        {1.25, greater, 2, 2},
        {1.75, closest, 2, 2},
        {1.75, less, 1, 1},
        // On a spectrum: that one, whatever the proximity.
        {2.0, less, 2, 2},
        {2.0, greater, 2, 2},
        {2.0, closest, 2, 2},
        // Before and after the run, where the reader has no scan.
        {0.2, less, 0, 0},
        {0.2, greater, 1, 1},
        {0.2, closest, 1, 1},
        {9.0, less, 3, 3},
        {9.0, greater, 0, 0},
        {9.0, closest, 3, 3},
        // The last spectrum, and beyond it within the run.
        {3.0, greater, 3, 3},
        {2.9, greater, 3, 3},
    };
    const auto interleavedMS1 = Functions(interleaved.get());
    const auto aloneMS1 = Functions(alone.get());
    ASSERT_EQ(interleavedMS1.size(), 2u);
    ASSERT_EQ(aloneMS1.size(), 1u);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "t " << c.t << " proximity " << c.proximity);
        EXPECT_EQ(indexAt(interleavedMS1[0].object.get(), c.t, c.proximity), c.interleavedSpectrum);
        EXPECT_EQ(indexAt(aloneMS1[0].object.get(), c.t, c.proximity), c.aloneSpectrum);
    }
    // The MS2 function steps over its own scans (1.5 and 2.5).
    EXPECT_EQ(indexAt(interleavedMS1[1].object.get(), 2.0, closest), 2);
    EXPECT_EQ(indexAt(interleavedMS1[1].object.get(), 2.0, less), 1);
    EXPECT_EQ(indexAt(interleavedMS1[1].object.get(), 1.0, less), 0);
}

// Times are the mass spectrometer's, also right after a trace made another
// controller current on the reader.
TEST_F(TavrionDataServer, TimesAfterATraceRead)
{
    const std::vector<ScanSpec> scans = {{{}, 1.0, {{150.0, 1.0}}}, {{}, 2.0, {{150.0, 2.0}}},
                                         {{}, 3.0, {{150.0, 3.0}}}};
    const FileData run = MakeRun({MSController(scans), ChannelController({L"UV"}, {{1.0}, {2.0}})});
    auto server = Opened(WriteModel(run, "times.raw"));
    const auto functions = Functions(server.get());
    ASSERT_EQ(functions.size(), 1u);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(Traces(server.get()).size(), 1u);  // the UV detector is now current
        CKSMassSpectrum handle;
        ASSERT_EQ(functions[0].object->get_SpectrumByRTDirect(2.0, FunctionRTProximityClosest,
                                                              reinterpret_cast<ULONG_PTR>(&handle)),
                  S_OK);
        EXPECT_EQ(handle.get()->GetFirstScan(), 2);
        EXPECT_DOUBLE_EQ(handle.get()->GetStartRT(), 2.0);
    }
}

// The base peak within a range sends the bounds with one decimal each, so
// points just outside the exact bounds but inside the rounded ones count.
TEST_F(TavrionDataServer, BasePeakWithinARangeOfOneDecimal)
{
    const std::vector<ScanSpec> scans = {
        {{}, 1.0, {{100.02, 7.0}, {100.05, 3.0}, {100.08, 9.0}, {200.0, 50.0}}},
        {{}, 2.0, {{100.02, 1.0}, {100.05, 4.0}, {100.08, 2.0}, {200.0, 60.0}}}};
    auto server = Opened(WriteModel(MakeRun({MSController(scans)}), "basepeak.raw"));
    const auto functions = Functions(server.get());
    ASSERT_EQ(functions.size(), 1u);
    IKSFunction* f = functions[0].object.get();
    auto bpc = [&](double low, double high) {
        CChromatogram c;
        CKSChromatogram handle(&c);
        EXPECT_EQ(f->get_BPCWithRangeDirect(low, high, 0, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        return Values(c);
    };
    EXPECT_EQ(bpc(100.04, 100.06), (std::vector<double>{9.0, 4.0}));  // "100.0-100.1"
    EXPECT_EQ(bpc(199.96, 200.04), (std::vector<double>{50.0, 60.0}));
    // A bound not above -1: every mass.
    EXPECT_EQ(bpc(-1.0, 100.06), (std::vector<double>{50.0, 60.0}));
    CChromatogram whole;
    CKSChromatogram handle(&whole);
    EXPECT_EQ(f->get_BPCDirect(0, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(Values(whole), (std::vector<double>{50.0, 60.0}));
    EXPECT_EQ(Times(whole), (std::vector<double>{1.0, 2.0}));
}

TEST_F(TavrionDataServer, OmbrelPropertyIsTheServersReader)
{
    const std::string sample = SampleFile();
    auto server = Opened(sample);
    auto extra = Query<IKSTavrionDataServer>(server.get());
    ASSERT_TRUE(extra);
    // One object: the same identity and IDispatch whichever interface asks.
    EXPECT_EQ(Query<IUnknown>(extra.get()).get(), Query<IUnknown>(server.get()).get());
    EXPECT_EQ(Query<IDispatch>(extra.get()).get(), Query<IDispatch>(server.get()).get());
    EXPECT_TRUE(Query<IKSDataServer3>(extra.get()));
    EXPECT_FALSE(Query<IKSDataServer2>(server.get()));

    EXPECT_EQ(extra->get_Ombrel(nullptr), E_POINTER);
    ks::ComPtr<IDispatch> reader;
    ASSERT_EQ(extra->get_Ombrel(&reader), S_OK);
    auto ombrel = Query<IOmbrel>(reader.get());
    ASSERT_TRUE(ombrel);
    ks::Bstr name;
    EXPECT_EQ(ombrel->GetFileName(&name), 0);
    EXPECT_EQ(name.str(), W(sample));

    // Late bound: "Ombrel" by name through the interface's own IDispatch.
    IDispatch* late = extra.get();
    LPOLESTR member = const_cast<LPOLESTR>(L"Ombrel");
    DISPID id = 0;
    ASSERT_EQ(late->GetIDsOfNames(IID_NULL, &member, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 1);
    DISPPARAMS none{};
    ks::Variant result;
    ASSERT_EQ(late->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    ASSERT_EQ(result.vt, VT_DISPATCH);
    EXPECT_TRUE(Query<IOmbrel>(result.pdispVal));

    // Another file on the same server: the same reader, now on that file.
    const std::string other = WriteModel(MakeSampleFile(), "other.raw");
    ASSERT_EQ(server->Open(ks::Bstr(W(other))), S_OK);
    ks::ComPtr<IDispatch> again;
    ASSERT_EQ(extra->get_Ombrel(&again), S_OK);
    EXPECT_EQ(Query<IUnknown>(again.get()).get(), Query<IUnknown>(reader.get()).get());
    ks::Bstr otherName;
    EXPECT_EQ(ombrel->GetFileName(&otherName), 0);
    EXPECT_EQ(otherName.str(), W(other));
}

TEST_F(TavrionDataServer, IsValidDatasetReadsTheName)
{
    const std::string dir = ks::test::tempDir();
    const std::string sample = SampleFile();
    const std::string bytes = ks::test::readFile(sample);
    ks::test::writeFile(dir + "/copy.RAW", bytes);
    ks::test::writeFile(dir + "/copy.dat", bytes);
    ks::test::writeFile(dir + "/copy", bytes);
    ks::test::writeFile(dir + "/text.raw", "a text file, not a raw file\n");
    ASSERT_EQ(mkdir((dir + "/folder.raw").c_str(), 0755), 0);
    auto server = NewServer();
    const std::pair<std::string, LONG> cases[] = {
        {sample, 1}, {dir + "/copy.RAW", 1}, {dir + "/copy.dat", 0}, {dir + "/copy", 0},
        {dir + "/text.raw", 0}, {dir + "/folder.raw", 0}, {dir + "/missing.raw", 0}, {"", 0}};
    for (const auto& [path, valid] : cases) {
        LONG answer = -1;
        EXPECT_EQ(server->IsValidDataset(ks::Bstr(W(path)), &answer), S_OK);
        EXPECT_EQ(answer, valid) << path;
    }
}

TEST_F(TavrionDataServer, OpenAppendsTheExtension)
{
    const std::string sample = SampleFile();
    auto server = NewServer();
    const std::string stem = sample.substr(0, sample.size() - 4);
    ASSERT_EQ(server->Open(ks::Bstr(W(stem))), S_OK);
    EXPECT_EQ(Functions(server.get()).size(), 5u);
    ks::ComPtr<IDispatch> reader;
    ASSERT_EQ(Query<IKSTavrionDataServer>(server.get())->get_Ombrel(&reader), S_OK);
    ks::Bstr name;
    Query<IOmbrel>(reader.get())->GetFileName(&name);
    EXPECT_EQ(name.str(), W(sample));
}

TEST_F(TavrionDataServer, FilesThatDoNotOpen)
{
    const std::string dir = ks::test::tempDir();
    const std::string bytes = ks::test::readFile(SampleFile());
    // Cut short (the signature stays): the reader's error status.
    ks::test::writeFile(dir + "/damaged.raw", bytes.substr(0, bytes.size() / 2));
    std::string flipped = bytes;
    flipped[flipped.size() / 2] ^= 0x55;
    ks::test::writeFile(dir + "/flipped.raw", flipped);
    ks::test::writeFile(dir + "/text.raw", "not a raw file");
    auto server = NewServer();
    for (const std::string name : {"damaged.raw", "flipped.raw", "text.raw", "missing.raw", ""}) {
        const std::wstring path = W(name[0] ? dir + "/" + name : std::string());
        EXPECT_EQ(server->Open(ks::Bstr(path)), E_FAIL) << name;
        ks::ComPtr<IKSInjections> injections;
        EXPECT_EQ(server->get_Injections(&injections), E_FAIL);
    }
    LONG valid = 0;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(W(dir + "/damaged.raw")), &valid), S_OK);
    EXPECT_EQ(valid, 1);  // the name and signature say raw file
}

TEST_F(TavrionDataServer, FileWithoutMassSpectrometerScans)
{
    const FileData run = MakeRun({ChannelController({L"Only UV"}, {{1.0}, {2.0}})});
    auto server = Opened(WriteModel(run, "uvonly.raw"));
    EXPECT_TRUE(Functions(server.get()).empty());
    const auto traces = Traces(server.get());
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].name, L"Only UV");
}

// A scan the reader cannot read fails that spectrum only.
TEST_F(TavrionDataServer, ScanThatDoesNotRead)
{
    auto server = Opened(SampleFile());
    const auto functions = Functions(server.get());
    ASSERT_FALSE(functions.empty());
    CKSMassSpectrum handle;
    testhook::FailNextCall("GetScan");
    EXPECT_EQ(functions[0].object->get_SpectrumDirect(2, reinterpret_cast<ULONG_PTR>(&handle)), E_FAIL);
    EXPECT_EQ(functions[0].object->get_SpectrumDirect(2, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(handle.get()->GetFirstScan(), 2);
}

TEST_F(TavrionDataServer, DatasetAccessChoosesIt)
{
    const std::string sample = SampleFile();
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(access->OpenDataset(ks::Bstr(W(sample)), &server), S_OK);
    ks::Bstr type;
    EXPECT_EQ(server->DatasetType(&type), S_OK);
    EXPECT_EQ(type.str(), L"KSTavrionProvider");
    EXPECT_EQ(Functions(server.get()).size(), 5u);
}

// Without the raw-file reader registered nothing opens, and the name and
// signature still answer.
TEST(TavrionWithoutReader, DataServerOpensNothing)
{
    ASSERT_TRUE(RegisterWithoutReader());
    const std::string sample = SampleFile();
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"KSTavrionProvider.KSTavrionDataServer", &clsid), S_OK);
    auto server = Create<IKSDataServer>(clsid);
    ASSERT_TRUE(server);
    LONG valid = 0;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(W(sample)), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    EXPECT_EQ(server->Open(ks::Bstr(W(sample))), E_FAIL);
    ks::ComPtr<IDispatch> reader;
    EXPECT_EQ(Query<IKSTavrionDataServer>(server.get())->get_Ombrel(&reader), E_POINTER);
    EXPECT_FALSE(reader);
}

}  // namespace
