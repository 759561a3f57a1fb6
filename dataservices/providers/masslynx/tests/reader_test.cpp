// The MassLynx reader over the registered stand-in of the seven classes:
// CMassLynxDataIO's open, functions, spectra and chromatograms, and the
// data server's reader (CMLDataServerImpl) with its selection of functions
// and its retention-time cache; damaged manifests and injected failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kstest.h"
#include "masslynxdataio.h"
#include "masslynxfixture.h"
#include "masslynxformat.h"
#include "mldataserver.h"

using namespace mlfixture;

namespace {

std::wstring WidePath(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::string RawFolder(const std::string& name, const RawSpec& run = StandardRun(),
                      const std::string& header = StandardHeader())
{
    return WriteRaw(ks::test::tempDir() + "/" + name, run, header);
}

std::vector<double> MassesOf(const CMassSpectrum& s)
{
    return s.GetCount() ? std::vector<double>(s.Masses(), s.Masses() + s.GetCount()) : std::vector<double>();
}

std::vector<double> IntensitiesOf(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Intensities(), c.Intensities() + c.GetCount())
                        : std::vector<double>();
}

// A fault record of the stand-in's manifest.
std::string Fault(const std::string& operation, int call, const std::string& result = "E_FAIL")
{
    return "[fault]\noperation " + operation + "\ncall " + std::to_string(call) + "\nresult " + result + "\n";
}

void ExpectClosed(CMLDataServerImpl& reader, const char* what)
{
    CMassSpectrum s;
    CChromatogram c;
    EXPECT_EQ(reader.FunctionCount(0), 0) << what;
    EXPECT_EQ(reader.TraceCount(0), 0) << what;
    EXPECT_EQ(reader.Spectrum(0, 0, 0, s), E_FAIL) << what;
    EXPECT_EQ(reader.TIC(false, 0, 0, c), E_FAIL) << what;
}

}  // namespace

TEST(MassLynxReader, OpensTheStandardRun)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    const std::string folder = RawFolder("Run.RAW");
    CMLDataServerImpl reader;
    EXPECT_EQ(reader.DatasetType(), CString(L"KSMLProvider"));
    EXPECT_TRUE(reader.IsValidDataset(CString(WidePath(folder))));
    ASSERT_EQ(reader.Open(CString(WidePath(folder))), S_OK);
    ASSERT_EQ(reader.FunctionCount(0), 2);  // the diode array is no MS function
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"ES (+)"));
    EXPECT_EQ(reader.FunctionName(0, 1), CString(L"ES (-)"));
    EXPECT_EQ(reader.FunctionType(0, 0), FunctionTypeMS);
    EXPECT_EQ(reader.FunctionMSMSType(0, 1), FunctionMSMSTypeNone);
    EXPECT_EQ(reader.SpectrumCount(0, 0), 3);
    EXPECT_EQ(reader.SpectrumCount(0, 1), 3);

    // Two analog channels, then the diode-array function's TIC as trace 3.
    ASSERT_EQ(reader.TraceCount(0), 3);
    const std::vector<std::vector<double>> traces = {{5, 6, 7}, {50, 60}, {1900, 2050}};
    for (int t = 0; t < 3; ++t) {
        CChromatogram c;
        ASSERT_EQ(reader.Trace(0, t, c), S_OK) << t;
        EXPECT_EQ(IntensitiesOf(c), traces[static_cast<size_t>(t)]) << t;
        EXPECT_EQ(reader.TraceName(0, t), CString());
    }
    CChromatogram none;
    EXPECT_EQ(reader.Trace(0, 3, none), E_FAIL);
    EXPECT_EQ(reader.Trace(0, -1, none), E_FAIL);

    // Function 2's first scan starts 500, 400, 100, 101: its points start at 100.
    CMassSpectrum s;
    ASSERT_EQ(reader.Spectrum(0, 1, 0, s), S_OK);
    EXPECT_EQ(MassesOf(s), (std::vector<double>{100, 101}));
    EXPECT_EQ(s.GetFirstScan(), 1);
    EXPECT_EQ(s.GetLastScan(), 1);
    EXPECT_FLOAT_EQ(static_cast<float>(s.GetStartRT()), 0.15f);
    EXPECT_EQ(s.GetStartRT(), s.GetEndRT());
    EXPECT_EQ(s.GetPolarity(), 2);
    EXPECT_TRUE(s.IsCentroid());
    EXPECT_EQ(s.GetMSOrder(), 1);
    // Scan 3 of function 1 is continuum data.
    ASSERT_EQ(reader.Spectrum(0, 0, 2, s), S_OK);
    EXPECT_FALSE(s.IsCentroid());
    EXPECT_EQ(s.GetPolarity(), 1);
    EXPECT_EQ(reader.Spectrum(0, 0, 3, s), E_FAIL);
    EXPECT_EQ(reader.Spectrum(0, 0, -1, s), E_FAIL);

    // The TIC; the base-peak chromatogram is computed from the spectra.
    CChromatogram tic;
    ASSERT_EQ(reader.TIC(false, 0, 0, tic), S_OK);
    EXPECT_EQ(IntensitiesOf(tic), (std::vector<double>{60, 63, 66}));
    EXPECT_EQ(tic.GetName(), CString(L"TIC"));

    EXPECT_EQ(reader.Close(), S_OK);
    ExpectClosed(reader, "after Close");
}

// FunctionPolarity of function 2 answers function 2's polarity whatever
// was used before; FunctionType always selects.
TEST(MassLynxReader, EachFunctionAnswersForItself)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    RawSpec run = StandardRun();
    run.functions[1].type = "Daughters";
    const std::string folder = RawFolder("two.raw", run);
    CMLDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(WidePath(folder))), S_OK);
    EXPECT_EQ(reader.FunctionPolarity(0, 1), FunctionPolarityNegative);
    EXPECT_EQ(reader.FunctionPolarity(0, 0), FunctionPolarityPositive);
    EXPECT_EQ(reader.FunctionPolarity(0, 1), FunctionPolarityNegative);
    EXPECT_EQ(reader.FunctionType(0, 1), FunctionTypeMSn);
    EXPECT_EQ(reader.FunctionMSMSType(0, 1), FunctionMSMSTypeProduct);
    CMassSpectrum s;
    ASSERT_EQ(reader.Spectrum(0, 1, 1, s), S_OK);
    EXPECT_EQ(s.GetMSOrder(), 2);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeMSn);
    ASSERT_EQ(reader.Spectrum(0, 0, 1, s), S_OK);
    EXPECT_EQ(s.GetMSOrder(), 1);
    // Functions that do not exist answer neutrally and leave the directory
    // closed until the next open.
    EXPECT_EQ(reader.FunctionName(0, 2), CString());
    CMassSpectrum closed;
    CChromatogram none;
    EXPECT_EQ(reader.Spectrum(0, 0, 0, closed), E_FAIL);
    EXPECT_EQ(reader.TIC(false, 0, 1, none), E_FAIL);
    EXPECT_EQ(reader.FunctionName(0, 0), CString());
    ASSERT_EQ(reader.Open(CString(WidePath(folder))), S_OK);
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"ES (+)"));
    EXPECT_EQ(reader.FunctionName(1, 0), CString());
}

// The header says nothing of a function: "Unknown (+)".
TEST(MassLynxReader, HeaderWithoutHeadingsGivesTheDefaults)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    CMLDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(WidePath(RawFolder("plain.raw", StandardRun(), "$$ Version: 4.1\r\n")))), S_OK);
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Unknown (+)"));
    EXPECT_EQ(reader.FunctionName(0, 1), CString(L"Unknown (+)"));
    EXPECT_EQ(reader.FunctionPolarity(0, 1), FunctionPolarityPositive);
    // The polarity entry with nothing after the word: an empty text.
    CMLDataServerImpl second;
    const std::string h = "$$ Version\r\nInstrument Parameters - Function 1:\r\nPolarity\r\n";
    ASSERT_EQ(second.Open(CString(WidePath(RawFolder("bare.raw", StandardRun(), h)))), S_OK);
    EXPECT_EQ(second.FunctionName(0, 0), CString(L" (+)"));
}

// Mend: a function without scans can be selected; asking its name or
// count no longer closes the reader.
TEST(MassLynxReader, FunctionWithoutScansKeepsTheReaderOpen)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    RawSpec run = StandardRun();
    Function empty;
    empty.scans.clear();
    run.functions.insert(run.functions.begin(), empty);
    const std::string folder = RawFolder("empty.raw", run, HeaderText({"EI+", "ES+", "ES-"}));
    CMLDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(WidePath(folder))), S_OK);
    ASSERT_EQ(reader.FunctionCount(0), 3);
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"EI (+)"));
    EXPECT_EQ(reader.SpectrumCount(0, 0), 0);
    CMassSpectrum s;
    EXPECT_EQ(reader.Spectrum(0, 0, 0, s), E_FAIL);
    EXPECT_EQ(reader.FunctionName(0, 2), CString(L"ES (-)"));
    ASSERT_EQ(reader.Spectrum(0, 2, 0, s), S_OK);
    EXPECT_EQ(MassesOf(s), (std::vector<double>{100, 101}));
}

// Mend: masses that never rise keep their last point; a scan of 0 or 1
// point is read as it stands.
TEST(MassLynxReader, ScansThatNeverRiseStayWithinTheirPoints)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    RawSpec run;
    Function f;
    f.scans = {MakeScan(0.1, {500, 400, 300}, {1, 2, 3}), MakeScan(0.2, {250}, {9}), MakeScan(0.3, {}, {})};
    f.tic = false;
    run.functions = {f};
    CMLDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(WidePath(RawFolder("falling.raw", run)))), S_OK);
    const std::vector<std::vector<double>> expected = {{300}, {250}, {}};
    for (int i = 0; i < 3; ++i) {
        CMassSpectrum s;
        ASSERT_EQ(reader.Spectrum(0, 0, i, s), S_OK) << i;
        EXPECT_EQ(MassesOf(s), expected[static_cast<size_t>(i)]) << i;
    }
    // No TIC in the manifest: the TIC and the search by time fail.
    CChromatogram tic;
    EXPECT_EQ(reader.TIC(true, 0, 0, tic), E_FAIL);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0.2, FunctionRTProximityClosest), -1);
}

// The retention-time cache belongs to one function: filled once through
// the TIC, read again for another function, emptied by Open and Close.
TEST(MassLynxReader, RetentionTimeCachePerFunction)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    RawSpec run = StandardRun();
    // The second chromatogram read of the object fails.
    run.records.push_back(Fault("Chromatogram.Read", 2));
    CMLDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(WidePath(RawFolder("cache.raw", run)))), S_OK);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0.21, FunctionRTProximityClosest), 1);  // read 1
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0.29, FunctionRTProximityClosest), 2);  // cached
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 1, 0.26, FunctionRTProximityClosest), -1);  // read 2 fails
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 1, 0.26, FunctionRTProximityClosest), 1);   // read 3
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 9, 0.26, FunctionRTProximityClosest), -1);
}

// Open takes the path with ".raw" appended when only that is accepted.
TEST(MassLynxReader, OpenAppendsTheExtension)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    const std::string folder = RawFolder("short.raw");
    CMassLynxDataIO io;
    ASSERT_TRUE(io.HasClasses());
    const std::wstring without = WidePath(ks::test::tempDir() + "/short");
    ASSERT_TRUE(io.Open(without));
    EXPECT_EQ(io.GetPath(), without + L".raw");
    EXPECT_EQ(io.GetDataSource(), MakeMassLynxDataSource(without + L".raw", 1));
    EXPECT_EQ(io.GetFunctionCount(), 2);
    EXPECT_EQ(io.GetAnalogCount(), 2);
    EXPECT_EQ(io.GetDiodeArrayCount(), 1);
    EXPECT_EQ(io.DiodeArrayFunctions(), (std::vector<LONG>{3}));
    EXPECT_EQ(io.GetCurrentFunction(), 1);
    EXPECT_TRUE(io.OpenDataSource(MakeMassLynxDataSource(without, 2)));
    EXPECT_EQ(io.GetCurrentFunction(), 2);
    EXPECT_EQ(io.GetFunctionName(), L"ES (-)");
    EXPECT_FALSE(io.Open(WidePath(ks::test::tempDir() + "/nothing")));
    EXPECT_FALSE(io.IsOpen());
    EXPECT_EQ(io.GetPath(), L"");
    EXPECT_EQ(io.GetFunctionName(), L"");
    EXPECT_EQ(io.GetFunctionPolarity(), 0);
}

TEST(MassLynxReader, SpectrumFromADataSourceAndAScanText)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    const std::wstring folder = WidePath(RawFolder("source.raw"));
    CMassLynxDataIO io;
    CMassSpectrum s;
    std::wstring name;
    ASSERT_TRUE(io.ReadSpectrumFromDataSource(MakeMassLynxDataSource(folder, 1), L"History: 2", s, name));
    EXPECT_EQ(name, L"ES (+)");
    EXPECT_EQ(MassesOf(s), (std::vector<double>{101, 151, 201}));
    EXPECT_FLOAT_EQ(io.GetScanRetentionTime(), 0.2f);
    EXPECT_TRUE(io.ReadSpectrumFromDataSource(MakeMassLynxDataSource(folder, 2), L" 1", s, name));
    EXPECT_EQ(name, L"ES (-)");
    for (const wchar_t* scanText : {L"", L" 4", L"History", L" 0"})
        EXPECT_FALSE(io.ReadSpectrumFromDataSource(MakeMassLynxDataSource(folder, 1), scanText, s, name));
    EXPECT_FALSE(io.ReadSpectrumFromDataSource(MakeMassLynxDataSource(folder, 3), L" 1", s, name));
    EXPECT_FALSE(io.ReadSpectrumFromDataSource(L"KSMLProvider.KSMLProvider; " + folder, L" 1", s, name));
}

// What is no MassLynx raw directory, or what the stand-in cannot read,
// fails the operation and never crashes.
TEST(MassLynxReader, BadInputFails)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    CMLDataServerImpl reader;
    // No raw directory: a folder without the header line, a missing path.
    const std::string noHeader = RawFolder("noheader.raw", StandardRun(), "Title\r\n$$ Version\r\n");
    EXPECT_FALSE(reader.IsValidDataset(CString(WidePath(noHeader))));
    EXPECT_EQ(reader.Open(CString(WidePath(noHeader))), E_FAIL);
    EXPECT_EQ(reader.Open(CString(L"/no/such/run.raw")), E_FAIL);
    ExpectClosed(reader, "no raw directory");

    // A damaged or foreign manifest beside a good header.
    const std::string damaged = RawFolder("damaged.raw");
    ks::test::writeFile(damaged + "/_manifest.txt", "ks-masslynx-raw 1\n[function]\ntype \"Scan\"\n");
    EXPECT_TRUE(reader.IsValidDataset(CString(WidePath(damaged))));
    EXPECT_EQ(reader.Open(CString(WidePath(damaged))), E_FAIL);
    ks::test::writeFile(damaged + "/_manifest.txt", "ks-iontrap-analysis 1\n[end]\n");
    EXPECT_EQ(reader.Open(CString(WidePath(damaged))), E_FAIL);
    ExpectClosed(reader, "damaged manifest");

    // Injected failures: each ends its operation.
    const struct {
        const char* operation;
        int call;
        bool opens;
    } faults[] = {
        {"RawCheck.Check", 1, false},   {"FunctionInfo.Count", 1, false}, {"FunctionInfo.Function", 2, false},
        {"Analog.Channels", 1, false},  {"Header.Text", 1, false},        {"Spectrum.Data", 1, true},
        {"ScanStats.Read", 1, true},    {"ScanStats.Stats", 1, true},     {"Spectrum.Read", 1, true},
    };
    for (const auto& f : faults) {
        RawSpec run = StandardRun();
        run.records.push_back(Fault(f.operation, f.call, "E_OUTOFMEMORY"));
        const std::string folder = RawFolder(std::string("fault-") + f.operation + ".raw", run);
        CMLDataServerImpl r;
        ASSERT_EQ(r.Open(CString(WidePath(folder))), f.opens ? S_OK : E_FAIL) << f.operation;
        if (f.opens) {
            CMassSpectrum s;
            EXPECT_EQ(r.Spectrum(0, 0, 0, s), E_FAIL) << f.operation;
            EXPECT_EQ(r.Spectrum(0, 0, 0, s), S_OK) << f.operation;  // only that call failed
        }
    }
    // A failing chromatogram data call fails the TIC and the trace.
    RawSpec run = StandardRun();
    run.records.push_back(Fault("Chromatogram.Data", 1));
    CMLDataServerImpl r;
    ASSERT_EQ(r.Open(CString(WidePath(RawFolder("chrofault.raw", run)))), S_OK);
    CChromatogram c;
    EXPECT_EQ(r.TIC(false, 0, 0, c), E_FAIL);
    EXPECT_EQ(r.Trace(0, 0, c), S_OK);
}

// Chromatograms the stand-in reports with fewer arrays than points, or
// with no point, fail; nothing is sized by the count alone.
TEST(MassLynxReader, CountsBeyondTheirArraysFail)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    RawSpec run;
    Function f;
    f.scans = {MakeScan(0.1, {100, 200}, {1, 2})};
    f.scans[0].extra = "count 2000000000\n";
    f.tic = false;
    run.functions = {f};
    run.analogChannels = 2;
    run.records = {Chromatogram("TIC", 1, {0.1}, {3}) + "count 0\n", Chromatogram("An1", 0, {0.1}, {3}) +
                                                                          "count -5\n",
                   Chromatogram("An2", 0, {0.1, 0.2}, {3, 4}) + "count 3\n"};
    CMLDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(WidePath(RawFolder("counts.raw", run)))), S_OK);
    CMassSpectrum s;
    EXPECT_EQ(reader.Spectrum(0, 0, 0, s), E_FAIL);
    CChromatogram c;
    EXPECT_EQ(reader.TIC(false, 0, 0, c), E_FAIL);
    EXPECT_EQ(reader.Trace(0, 0, c), E_FAIL);
    EXPECT_EQ(reader.Trace(0, 1, c), E_FAIL);
}

// Counts the classes answer drive no work beyond what the run holds: a
// channel count without its chromatograms does not open (the stand-in
// calls that manifest damaged), and a function claiming 20,000,000 scans
// of which one is real gives a one-point base-peak chromatogram, failing
// at the second scan, instead of sizing 20,000,000 points first.
TEST(MassLynxReader, ClaimedCountsCostWhatTheRunHolds)
{
    ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"}));
    RawSpec channels;
    Function f;
    f.scans = {MakeScan(0.1, {100, 200}, {1, 2})};
    channels.functions = {f};
    channels.analogChannels = 2147483647;
    CMLDataServerImpl reader;
    EXPECT_EQ(reader.Open(CString(WidePath(RawFolder("channels.raw", channels)))), E_FAIL);
    EXPECT_EQ(reader.TraceCount(0), 0);

    RawSpec scans;
    f.extra = "scans 20000000\n";
    scans.functions = {f};
    ASSERT_EQ(reader.Open(CString(WidePath(RawFolder("scans.raw", scans)))), S_OK);
    EXPECT_EQ(reader.SpectrumCount(0, 0), 20000000);
    for (bool basePeak : {true, false}) {
        CChromatogram c;
        // The base peak and the TIC both computed from the spectra.
        EXPECT_EQ(basePeak ? reader.BPC(true, 0, 0, c) : reader.CDataServerImpl::TIC(true, 0, 0, c), E_FAIL);
        ASSERT_EQ(c.GetCount(), 1);
        EXPECT_FLOAT_EQ(static_cast<float>(c.Times()[0]), 0.1f);
        EXPECT_EQ(c.Intensities()[0], basePeak ? 2.0 : 3.0);
    }
}

// Without the MassLynx classes every open fails, while recognition still
// answers from the file system.
TEST(MassLynxReader, WithoutTheClassesNothingOpens)
{
    const std::string folder = RawFolder("unregistered.raw");
    CMLDataServerImpl reader;
    EXPECT_FALSE(reader.IO().HasClasses());
    EXPECT_TRUE(reader.IsValidDataset(CString(WidePath(folder))));
    EXPECT_EQ(reader.Open(CString(WidePath(folder))), E_FAIL);
    ExpectClosed(reader, "no classes");
}
