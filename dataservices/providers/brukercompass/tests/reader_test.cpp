// CBrukerCompassDataServerImpl, the reader behind the Compass data server,
// over the registered stand-in of the outside analysis component: opening
// from inside an analysis folder and refusing paths that do not exist,
// spectra (points, times with the zero rule, level, polarity), the
// function's values from the first spectrum, the choice by time, the
// arrays it refuses, injected failures and a component that is not there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "brukercompassdataserver.h"
#include "compassfixtures.h"
#include "ksclassfactory.h"
#include "ksclasstable.h"
#include "kstest.h"

using namespace compassfix;

namespace {

HRESULT Open(CBrukerCompassDataServerImpl& reader, const std::string& path)
{
    return reader.Open(CString(Wide(path)));
}

std::vector<double> Masses(const CMassSpectrum& s)
{
    return s.GetCount() ? std::vector<double>(s.Masses(), s.Masses() + s.GetCount()) : std::vector<double>();
}

std::vector<double> Intensities(const CMassSpectrum& s)
{
    return s.GetCount() ? std::vector<double>(s.Intensities(), s.Intensities() + s.GetCount())
                        : std::vector<double>();
}

// The start times of every spectrum, read one by one.
std::vector<double> Times(CBrukerCompassDataServerImpl& reader)
{
    std::vector<double> times;
    CMassSpectrum s;
    for (int i = 0; i < reader.SpectrumCount(0, 0); ++i) {
        EXPECT_EQ(reader.Spectrum(0, 0, i, s), S_OK) << i;
        EXPECT_EQ(s.GetStartRT(), s.GetEndRT()) << i;
        times.push_back(s.GetStartRT());
    }
    return times;
}

// Nothing to read, whatever the analysis object.
void ExpectNoSpectra(CBrukerCompassDataServerImpl& reader, const std::string& what)
{
    EXPECT_EQ(reader.SpectrumCount(0, 0), 0) << what;
    CMassSpectrum s;
    EXPECT_EQ(reader.Spectrum(0, 0, 0, s), E_INVALIDARG) << what;
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0, FunctionRTProximityClosest), -1) << what;
}

std::string TwoSpectra(const std::string& name)
{
    return AnalysisFolder(name, Manifest("Two", Spectrum(6, 1) + Spectrum(12, 2, 1)));
}

}  // namespace

// The component takes only the analysis folder itself; the reader climbs
// from any existing path inside it, written with "/" or "\".
TEST(CompassReader, OpensFromInsideTheAnalysisFolder)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const std::string folder = TwoSpectra("run.d");
    Folder("run.d/sub/deeper");
    ks::test::writeFile(folder + "/sub/notes.txt", "x");
    std::string backslashed = folder + "/sub/deeper";
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    for (const std::string& path : {folder, folder + "/", folder + "/sub/deeper", folder + "/sub/deeper/",
                                    folder + "/sub/notes.txt", folder + "/analysis.baf", backslashed}) {
        CBrukerCompassDataServerImpl reader;
        EXPECT_EQ(reader.DatasetType(), CString(L"KSBrukerCompassProvider"));
        ASSERT_EQ(Open(reader, path), S_OK) << path;
        EXPECT_EQ(reader.SpectrumCount(0, 0), 2) << path;
        EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Two")) << path;
        EXPECT_TRUE(reader.Analysis()) << path;
    }
}

// A path that does not exist answers E_FAIL at once, even inside an
// analysis folder (the climb would otherwise open the folder for it); a
// path that no folder above opens answers E_FAIL after the climb. The
// analysis object stays, the spectra do not.
TEST(CompassReader, PathsThatOpenNoAnalysis)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const std::string folder = TwoSpectra("run.d");
    Folder("run.d/sub");
    Folder("plain/inside");
    const std::string cases[] = {
        folder + "/missing.d",
        folder + "/sub/missing/deeper",
        folder + "\\missing.d",
        ks::test::tempDir() + "/missing.d/analysis.baf",
        ks::test::tempDir() + "/plain/inside",
        ks::test::tempDir() + "/plain",
        "",
        "relative.d",
        "/",
    };
    for (const std::string& path : cases) {
        CBrukerCompassDataServerImpl reader;
        ASSERT_EQ(Open(reader, folder), S_OK);
        EXPECT_EQ(Open(reader, path), E_FAIL) << path;
        ExpectNoSpectra(reader, path);
        EXPECT_TRUE(reader.Analysis()) << path << ": the analysis object stays";
    }
}

// Retention times in minutes; a time of 0 after the first spectrum becomes
// the spectrum's number.
TEST(CompassReader, ZeroRetentionTimes)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const struct {
        std::vector<double> seconds;
        std::vector<double> minutes;
    } cases[] = {
        {{0, 0, 0}, {0, 2, 3}},
        {{0, 60, 0}, {0, 1, 3}},
        {{30, 0, 90, 0}, {0.5, 2, 1.5, 4}},
        {{0}, {0}},
        {{-6, 0}, {-0.1, 2}},
    };
    for (const auto& c : cases) {
        std::string records;
        for (double s : c.seconds)
            records += Spectrum(s, 1);
        CBrukerCompassDataServerImpl reader;
        ASSERT_EQ(Open(reader, AnalysisFolder("times.d", Manifest(nullptr, records))), S_OK);
        ASSERT_EQ(reader.SpectrumCount(0, 0), static_cast<int>(c.seconds.size()));
        const std::vector<double> times = Times(reader);
        ASSERT_EQ(times.size(), c.minutes.size());
        for (size_t i = 0; i < times.size(); ++i)
            EXPECT_DOUBLE_EQ(times[i], c.minutes[i]) << i;
    }
}

TEST(CompassReader, SpectrumValues)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const std::string records = Spectrum(60, 2, 1, "150.25 300.5", "7 8", "intensities-type i2\n") +
                                Spectrum(90, 1, 0, "100.125", "16777217", "intensities-type i4\n") +
                                Spectrum(120, 1, kNoPolarity, "", "") + Spectrum(150, 3, 2, "5", "0.5") +
                                Spectrum(180, 0, 255, "1 2 3", "3 2 1", "masses-type ui1\nintensities-type r4\n");
    CBrukerCompassDataServerImpl reader;
    ASSERT_EQ(Open(reader, AnalysisFolder("values.d", Manifest("V", records))), S_OK);
    ASSERT_EQ(reader.SpectrumCount(0, 0), 5);
    const struct {
        std::vector<double> mz;
        std::vector<double> intensity;
        SHORT order;
        LONG type;
        LONG polarity;
    } expected[] = {
        {{150.25, 300.5}, {7, 8}, 2, FunctionTypeMSn, FunctionPolarityNegative},
        {{100.125}, {16777217}, 1, FunctionTypeMS, FunctionPolarityPositive},
        {{}, {}, 1, FunctionTypeMS, FunctionPolarityPositive},  // polarity left unset
        {{5}, {0.5}, 3, FunctionTypeMSn, FunctionPolarityPositive},
        {{1, 2, 3}, {3, 2, 1}, 0, FunctionTypeMS, FunctionPolarityPositive},
    };
    // One record for all reads: nothing of an earlier one stays.
    CMassSpectrum s;
    for (int i = 0; i < 5; ++i) {
        const auto& e = expected[i];
        ASSERT_EQ(reader.Spectrum(0, 0, i, s), S_OK) << i;
        EXPECT_EQ(Masses(s), e.mz) << i;
        EXPECT_EQ(Intensities(s), e.intensity) << i;
        EXPECT_EQ(s.GetMSOrder(), e.order) << i;
        EXPECT_EQ(s.GetFunctionType(), e.type) << i;
        EXPECT_EQ(s.GetPolarity(), e.polarity) << i;
        EXPECT_FALSE(s.IsCentroid()) << i;
        EXPECT_EQ(s.GetFirstScan(), i + 1) << i;
        EXPECT_EQ(s.GetLastScan(), i + 1) << i;
        EXPECT_DOUBLE_EQ(s.GetStartRT(), 1 + i * 0.5) << i;
    }
    EXPECT_DOUBLE_EQ(s.GetTIC(), 6);  // statistics of the last read

    // Indexes that do not exist.
    for (const auto& bad : {std::vector<int>{0, 0, 5}, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}})
        EXPECT_EQ(reader.Spectrum(bad[0], bad[1], bad[2], s), E_INVALIDARG) << bad[0] << bad[1] << bad[2];
    EXPECT_EQ(reader.SpectrumCount(0, 1), 0);
    EXPECT_EQ(reader.SpectrumCount(1, 0), 0);
    EXPECT_EQ(reader.InjectionCount(), 1);
    EXPECT_EQ(reader.FunctionCount(0), 1);
    EXPECT_EQ(reader.TraceCount(0), 0);

    // The level call failing leaves a new record's values, and the read
    // succeeds; the polarity call failing fails it. Opening asked each of
    // the five spectra once.
    {
        const Faults faults("Spectrum.Level:6:E_FAIL,Spectrum.Polarity:7:E_ACCESSDENIED");
        ASSERT_EQ(Open(reader, AnalysisFolder("values.d", Manifest("V", records))), S_OK);
        s.SetMSOrder(3);
        s.SetFunctionType(FunctionTypeMSn);
        ASSERT_EQ(reader.Spectrum(0, 0, 0, s), S_OK);
        EXPECT_EQ(s.GetMSOrder(), 1);
        EXPECT_EQ(s.GetFunctionType(), FunctionTypeUnknown);
        EXPECT_EQ(reader.Spectrum(0, 0, 0, s), E_ACCESSDENIED);
        EXPECT_EQ(s.GetPolarity(), FunctionPolarityUnknown);
        ASSERT_EQ(reader.Spectrum(0, 0, 0, s), S_OK);
        EXPECT_EQ(s.GetPolarity(), FunctionPolarityNegative);
        EXPECT_EQ(s.GetMSOrder(), 2);
    }
}

// The function's name from the description, its type, MS order and
// polarity from the first spectrum.
TEST(CompassReader, FunctionValues)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const struct {
        const char* description;
        std::string records;
        const wchar_t* name;
        FunctionType type;
        int order;
        FunctionPolarity polarity;
    } cases[] = {
        {"  Run 7 \\t", Spectrum(1, 2, 1) + Spectrum(2, 1, 0), L"Run 7", FunctionTypeMSn, 2,
         FunctionPolarityNegative},
        {"Run 8", Spectrum(1, 1, kNoPolarity) + Spectrum(2, 2, 1), L"Run 8", FunctionTypeMS, 1,
         FunctionPolarityPositive},
        {"", Spectrum(1, 0, 3), L"Function 1", FunctionTypeMS, 0, FunctionPolarityPositive},
        {"   ", Spectrum(1, 5, 0), L"Function 1", FunctionTypeMSn, 5, FunctionPolarityPositive},
        {nullptr, Spectrum(1, 1, 0), L"Function 1", FunctionTypeMS, 1, FunctionPolarityPositive},
        // No spectra: nothing to take the values from.
        {"Empty", "", L"Empty", FunctionTypeUnknown, 0, FunctionPolarityUnknown},
    };
    for (const auto& c : cases) {
        CBrukerCompassDataServerImpl reader;
        ASSERT_EQ(Open(reader, AnalysisFolder("function.d", Manifest(c.description, c.records))), S_OK);
        const std::string what = c.description ? c.description : "(none)";
        EXPECT_EQ(reader.FunctionName(0, 0), CString(c.name)) << what;
        EXPECT_EQ(reader.FunctionType(0, 0), c.type) << what;
        EXPECT_EQ(reader.MSOrder(0, 0), c.order) << what;
        EXPECT_EQ(reader.FunctionPolarity(0, 0), c.polarity) << what;
        EXPECT_EQ(reader.FunctionMSMSType(0, 0), FunctionMSMSTypeNone) << what;
        // Other indexes answer neutrally.
        EXPECT_EQ(reader.FunctionName(0, 1), CString()) << what;
        EXPECT_EQ(reader.FunctionName(1, 0), CString()) << what;
        EXPECT_EQ(reader.FunctionType(0, 1), FunctionTypeUnknown) << what;
        EXPECT_EQ(reader.FunctionPolarity(1, 0), FunctionPolarityUnknown) << what;
        EXPECT_EQ(reader.MSOrder(0, -1), 0) << what;
    }

    // Failing calls: the name falls back, the values are unknown.
    const std::string folder = AnalysisFolder("faults.d", Manifest("Run 9", Spectrum(1, 2, 1)));
    {
        // Opening reads the one spectrum's level and polarity once.
        const Faults faults("Analysis.Description:1:E_FAIL,Spectrum.Level:2:E_FAIL,Spectrum.Polarity:2:E_FAIL");
        CBrukerCompassDataServerImpl reader;
        ASSERT_EQ(Open(reader, folder), S_OK);
        EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Function 1"));
        EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Run 9"));
        EXPECT_EQ(reader.FunctionType(0, 0), FunctionTypeUnknown);
        EXPECT_EQ(reader.FunctionType(0, 0), FunctionTypeMSn);
        EXPECT_EQ(reader.FunctionPolarity(0, 0), FunctionPolarityUnknown);
        EXPECT_EQ(reader.FunctionPolarity(0, 0), FunctionPolarityNegative);
    }
    {
        const Faults faults("Spectra.Item:2:E_FAIL");
        CBrukerCompassDataServerImpl reader;
        ASSERT_EQ(Open(reader, folder), S_OK);
        EXPECT_EQ(reader.MSOrder(0, 0), 0);
        EXPECT_EQ(reader.MSOrder(0, 0), 2);
    }

    // Closed: no analysis object, no name.
    CBrukerCompassDataServerImpl reader;
    EXPECT_EQ(reader.FunctionName(0, 0), CString());
    ASSERT_EQ(Open(reader, folder), S_OK);
    ASSERT_EQ(reader.Close(), S_OK);
    EXPECT_FALSE(reader.Analysis());
    EXPECT_EQ(reader.FunctionName(0, 0), CString());
    EXPECT_EQ(reader.FunctionType(0, 0), FunctionTypeUnknown);
    ExpectNoSpectra(reader, "closed");
}

// The reader's own rule over the times as read: r is the first spectrum
// whose time is not below the time given.
TEST(CompassReader, SpectrumIndexByRT)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    CBrukerCompassDataServerImpl reader;
    // Times 0, 2 and 3 minutes (0 seconds each).
    ASSERT_EQ(Open(reader, AnalysisFolder("rt.d", Manifest(nullptr, Spectrum(0, 1) + Spectrum(0, 1) +
                                                                      Spectrum(0, 1)))),
              S_OK);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto L = FunctionRTProximityLess;
    const auto G = FunctionRTProximityGreater;
    const auto C = FunctionRTProximityClosest;
    const struct {
        double time;
        FunctionRTProximity proximity;
        int index;
    } cases[] = {
        {2, L, 0},  {2, G, 1},  {2, C, 1},   // Less on an exact hit: the one before
        {0, L, 0},  {0, G, 0},  {0, C, 0},   // an exact hit on the first: 0 for each
        {1, L, 0},  {1, G, 1},  {1, C, 1},   // a tie goes to the later one
        {0.9, C, 0}, {2.5, C, 2}, {2.4, C, 1},
        {-1, L, -1}, {-1, G, 0}, {-1, C, 0},  // before the first
        {5, L, 2},  {5, G, -1}, {5, C, 2},   // after the last
        {3, L, 1},  {3, G, 2},
        {nan, L, -1}, {nan, G, -1}, {nan, C, -1},
        {1, static_cast<FunctionRTProximity>(3), -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, c.time, c.proximity), c.index) << c.time << " " << c.proximity;
    // Other injections and functions: none.
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 1, 2, G), -1);
    EXPECT_EQ(reader.SpectrumIndexByRT(1, 0, 2, G), -1);

    // Times out of order (the zero rule can place one after later times):
    // the first time not below, in spectrum order.
    ASSERT_EQ(Open(reader, AnalysisFolder("unordered.d", Manifest(nullptr, Spectrum(0, 1) + Spectrum(30, 1) +
                                                                             Spectrum(0, 1) + Spectrum(60, 1)))),
              S_OK);
    ASSERT_EQ(Times(reader), (std::vector<double>{0, 0.5, 3, 1}));
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 1, G), 2);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 1, L), 1);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 4, L), 3);

    ASSERT_EQ(Open(reader, AnalysisFolder("none.d", Manifest(nullptr, ""))), S_OK);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0, C), -1);
}

// Opening reads every spectrum: arrays of another element type, shape or
// length fail the open with E_INVALIDARG, a missing array with E_POINTER.
TEST(CompassReader, ArraysItRefuses)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const struct {
        const char* name;
        std::string more;  // lines of the spectrum record
        HRESULT result;
    } cases[] = {
        {"m/z as i2", "masses-type i2\n", S_OK},
        {"m/z as ui1", "masses-type ui1\n", S_OK},
        {"intensities as r4", "intensities-type r4\n", S_OK},
        {"intensities as i4", "intensities-type i4\n", S_OK},
        {"m/z as i1", "masses-type i1\n", E_INVALIDARG},
        {"m/z as ui2", "masses-type ui2\n", E_INVALIDARG},
        {"m/z as ui4", "masses-type ui4\n", E_INVALIDARG},
        {"m/z as i8", "masses-type i8\n", E_INVALIDARG},
        {"m/z as ui8", "masses-type ui8\n", E_INVALIDARG},
        {"m/z as texts", "masses-type bstr\n", E_INVALIDARG},
        {"m/z as variants", "masses-type variant\n", E_INVALIDARG},
        {"intensities as booleans", "intensities-type bool\n", E_INVALIDARG},
        {"intensities in two dimensions", "intensities-type matrix\n", E_INVALIDARG},
        {"m/z in two dimensions", "masses-type matrix\n", E_INVALIDARG},
        {"intensities mislabelled", "intensities-type mislabelled\n", E_INVALIDARG},
        {"a count above the arrays", "count 3\n", E_INVALIDARG},
        {"a count below the arrays", "count 1\n", E_INVALIDARG},
        {"the largest count", "count 2147483647\n", E_INVALIDARG},
        {"a negative count", "count -1\n", E_INVALIDARG},
    };
    for (const auto& c : cases) {
        // The second spectrum carries the array under test.
        const std::string folder =
            AnalysisFolder("arrays.d", Manifest("A", Spectrum(60, 1) + Spectrum(90, 2, 0, "1 2", "1 0", c.more)));
        CBrukerCompassDataServerImpl reader;
        EXPECT_EQ(Open(reader, folder), c.result) << c.name;
        if (c.result == S_OK) {
            CMassSpectrum s;
            ASSERT_EQ(reader.Spectrum(0, 0, 1, s), S_OK) << c.name;
            EXPECT_EQ(Masses(s), (std::vector<double>{1, 2})) << c.name;
            EXPECT_EQ(Intensities(s), (std::vector<double>{1, 0})) << c.name;
        } else {
            ExpectNoSpectra(reader, c.name);
        }
    }
    // No arrays at all.
    for (const char* form : {"null", "empty", "scalar"}) {
        const std::string values = std::string(form) == "scalar" ? "7" : "";
        const std::string more = std::string("count 0\nmasses-type ") + form + "\n";
        CBrukerCompassDataServerImpl reader;
        EXPECT_EQ(Open(reader, AnalysisFolder("none.d", Manifest("A", Spectrum(60, 1, 0, values, "", more)))),
                  std::string(form) == "null" ? E_POINTER : E_INVALIDARG)
            << form;
    }
}

// A failing call of the component ends the open with its result (the
// spectra forgotten, the analysis object kept), or the read.
TEST(CompassReader, InjectedFailures)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const std::string folder = TwoSpectra("faults.d");
    const std::string inside = Folder("faults.d/sub");
    const struct {
        const char* faults;
        std::string path;
        HRESULT result;
    } opens[] = {
        // The component refusing the folder: the climb finds nothing above.
        {"Analysis.Open:1:E_ACCESSDENIED", folder, E_FAIL},
        {"Analysis.Open:2:E_ACCESSDENIED", inside, E_FAIL},
        {"Analysis.Spectra:1:E_OUTOFMEMORY", folder, E_OUTOFMEMORY},
        {"Spectra.Count:1:E_UNEXPECTED", folder, E_UNEXPECTED},
        // Reading the spectra: each read takes the collection and an item.
        {"Analysis.Spectra:3:E_ABORT", folder, E_ABORT},
        {"Spectra.Item:2:DISP_E_BADINDEX", folder, DISP_E_BADINDEX},
        {"Spectrum.Data:1:E_FAIL", folder, E_FAIL},
        {"Spectrum.Time:2:0x80070005", folder, static_cast<HRESULT>(0x80070005)},
        {"Spectrum.Polarity:2:E_NOTIMPL", folder, E_NOTIMPL},
        // The level is not needed: a failure there is no failure to open.
        {"Spectrum.Level:1:E_FAIL", folder, S_OK},
        // An unreadable list fails every call.
        {"Spectra.Count:x:E_FAIL", folder, E_FAIL},
    };
    for (const auto& o : opens) {
        const Faults faults(o.faults);
        CBrukerCompassDataServerImpl reader;
        EXPECT_EQ(Open(reader, o.path), o.result) << o.faults;
        EXPECT_TRUE(reader.Analysis()) << o.faults;
        if (FAILED(o.result))
            ExpectNoSpectra(reader, o.faults);
        else
            EXPECT_EQ(reader.SpectrumCount(0, 0), 2) << o.faults;
    }
    // Failures during a read leave the reader open; the next read succeeds.
    // Opening took three collections, two items and their data.
    const struct {
        const char* faults;
        HRESULT result;
    } reads[] = {
        {"Analysis.Spectra:4:E_OUTOFMEMORY", E_OUTOFMEMORY},
        {"Spectra.Item:3:DISP_E_BADINDEX", DISP_E_BADINDEX},
        {"Spectrum.Data:3:E_FAIL", E_FAIL},
        {"Spectrum.Time:3:E_ABORT", E_ABORT},
    };
    for (const auto& r : reads) {
        const Faults faults(r.faults);
        CBrukerCompassDataServerImpl reader;
        ASSERT_EQ(Open(reader, folder), S_OK) << r.faults;
        CMassSpectrum s;
        EXPECT_EQ(reader.Spectrum(0, 0, 1, s), r.result) << r.faults;
        EXPECT_EQ(reader.SpectrumCount(0, 0), 2) << r.faults;
        EXPECT_EQ(reader.Spectrum(0, 0, 1, s), S_OK) << r.faults << ": the next read";
    }
}

// A manifest the stand-in does not understand: the folder is refused, and
// nothing above it opens.
TEST(CompassReader, DamagedManifests)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const std::string cases[] = {
        "ks-compass-analysis 2\n[end]\n",
        "ks-compass-analysis 1\n[spectrum]\ntime 1\n[end]\n",
        "ks-compass-analysis 1\n[spectrum]\ntime 1\nlevel 1\nmasses 1\nintensities 1\n",
        std::string("\x00\x01\x02", 3),
    };
    for (const std::string& manifest : cases) {
        CBrukerCompassDataServerImpl reader;
        EXPECT_EQ(Open(reader, AnalysisFolder("damaged.d", manifest)), E_FAIL) << manifest;
        ExpectNoSpectra(reader, manifest);
    }
}

TEST(CompassReader, ReopenAndClose)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    CBrukerCompassDataServerImpl reader;
    ASSERT_EQ(Open(reader, TwoSpectra("two.d")), S_OK);
    ASSERT_EQ(Open(reader, AnalysisFolder("three.d", Manifest("Three", Spectrum(1, 1) + Spectrum(2, 1) +
                                                                         Spectrum(3, 1)))),
              S_OK);
    EXPECT_EQ(reader.SpectrumCount(0, 0), 3);
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Three"));
    ASSERT_EQ(reader.Close(), S_OK);
    EXPECT_FALSE(reader.Analysis());
    ExpectNoSpectra(reader, "closed");
    EXPECT_EQ(reader.Close(), S_OK);
}

TEST(CompassReader, Recognition)
{
    const std::string good = AnalysisFolder("good.d", Manifest(nullptr, ""));
    const std::string upper = Folder("upper.d");
    ks::test::writeFile(upper + "/ANALYSIS.BAF", "anything");
    const std::string psd = Folder("psd");
    ks::test::writeFile(psd + "/SPTYPE", "psd\n");
    const std::string tof = Folder("tof");
    ks::test::writeFile(tof + "/SPTYPE", "tof\n");
    const std::string empty = Folder("empty.d");
    const struct {
        std::string path;
        bool valid;
    } cases[] = {
        {good, true},
        {good + "/", true},
        {good + "/analysis.baf", true},
        {upper, true},
        {psd, true},
        {tof, true},
        {empty, false},
        {good + "/missing.d", false},
        {"", false},
    };
    CBrukerCompassDataServerImpl reader;
    for (const auto& c : cases)
        EXPECT_EQ(reader.IsValidDataset(CString(Wide(c.path))), c.valid) << c.path;
}

TEST(CompassReader, ComponentNotRegistered)
{
    CBrukerCompassDataServerImpl reader;
    EXPECT_EQ(Open(reader, TwoSpectra("unregistered.d")), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(reader.Analysis());
    ExpectNoSpectra(reader, "unregistered");
    EXPECT_EQ(reader.FunctionName(0, 0), CString());
}

namespace {

// An analysis component that answers success without handing out its
// spectrum collection.
class HollowAnalysis : public ks::Object<ICompassAnalysis> {
public:
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT Open(BSTR) override { return S_OK; }
    HRESULT get_Spectra(ICompassSpectra** ppSpectra) override
    {
        *ppSpectra = nullptr;
        return S_OK;
    }
    HRESULT get_Description(BSTR* pDescription) override
    {
        *pDescription = nullptr;
        return S_OK;
    }
};

}  // namespace

// A component that answers success without the object asked for: the open
// fails with E_POINTER instead of calling through a null pointer.
TEST(CompassReader, ComponentWithoutItsObjects)
{
    ks::ClassFactory* factory = nullptr;
    ASSERT_EQ(ks::createObject(&factory, &ks::createInstance<HollowAnalysis>), S_OK);
    ks::ComPtr<IClassFactory> held(factory);
    DWORD cookie = 0;
    ASSERT_EQ(ksRegisterClassObject(CLSID_CompassAnalysis, held.get(), &cookie), S_OK);
    CBrukerCompassDataServerImpl reader;
    EXPECT_EQ(Open(reader, TwoSpectra("hollow.d")), E_POINTER);
    ExpectNoSpectra(reader, "hollow");
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Function 1"));  // a null description is ""
    EXPECT_EQ(reader.FunctionType(0, 0), FunctionTypeUnknown);
    ksRevokeClassObject(cookie);
}
