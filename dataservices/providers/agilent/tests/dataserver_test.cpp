// CLCMSDDataServerImpl, the reader behind the ChemStation data server: a
// data directory as one injection with one function per MSD file and one
// trace per signal file; chromatograms from the scan directory; stale and
// missing indexes; the failure of MSD file 1; the bundled sample.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "kstest.h"
#include "lcmsddataserver.h"

using namespace agilentfix;

namespace {

MsdFile MsdRun(const std::string& sample, int scans, double mz)
{
    MsdFile f;
    f.sampleName = sample;
    for (int i = 0; i < scans; ++i)
        f.scans.push_back(MakeScan(3000 * (i + 1), {{mz, static_cast<uint16_t>(100 + i)}, {mz + 50, 0x4001}}));
    f.runEndMs = 3000 * (scans + 1);
    return f;
}

// A data directory with the given MSD files, a method and signal files.
std::string Dataset(const std::string& name, const std::vector<std::pair<std::string, MsdFile>>& files,
                    const std::string& method = "", const std::vector<std::string>& signals = {})
{
    const std::string folder = Folder(name);
    for (const auto& [file, contents] : files)
        ks::test::writeFile(Join(folder, file), BuildMsd(contents));
    if (!method.empty()) {
        std::filesystem::create_directories(Join(folder, "RUN.M"));
        ks::test::writeFile(Join(folder, "RUN.M/ACQ.MS"), method);
    }
    int k = 1;
    for (const std::string& signal : signals)
        ks::test::writeFile(Join(folder, "DAD1" + std::string(1, static_cast<char>('A' + k++ - 1)) + ".ch"),
                            signal);
    return folder;
}

std::vector<double> Values(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Intensities(), c.Intensities() + c.GetCount())
                        : std::vector<double>();
}

std::vector<double> Times(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Times(), c.Times() + c.GetCount()) : std::vector<double>();
}

}  // namespace

TEST(LCMSDReader, TwoFunctionsAndATrace)
{
    const std::string folder =
        Dataset("two.D", {{"MSD1.MS", MsdRun("  alpha ", 4, 100)}, {"MSD2.MS", MsdRun("", 3, 200)}},
                "Polarity=0\r\nPolarity 2=1\r\n", {BuildSignal(30, 0, 60000, Blocks({{0x1003, 5, 1, 1}}))});
    CLCMSDDataServerImpl reader;
    EXPECT_EQ(reader.DatasetType(), CString(L"KSLCMSDProvider"));
    EXPECT_TRUE(reader.IsValidDataset(CString(Wide(folder))));
    ASSERT_EQ(reader.Open(CString(Wide(folder))), S_OK);
    EXPECT_EQ(reader.InjectionCount(), 1);
    EXPECT_EQ(reader.FunctionCount(0), 2);
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Function 1 (alpha)"));
    EXPECT_EQ(reader.FunctionName(0, 1), CString(L"Function 2"));
    EXPECT_EQ(reader.FunctionType(0, 1), FunctionTypeMS);
    EXPECT_EQ(reader.MSOrder(0, 0), 1);
    EXPECT_EQ(reader.FunctionPolarity(0, 0), FunctionPolarityPositive);
    EXPECT_EQ(reader.FunctionPolarity(0, 1), FunctionPolarityNegative);
    EXPECT_EQ(reader.SpectrumCount(0, 0), 4);
    EXPECT_EQ(reader.SpectrumCount(0, 1), 3);

    // Chromatograms from the directory, whatever the calculate flag.
    CChromatogram tic;
    EXPECT_EQ(reader.TIC(false, 0, 0, tic), S_OK);
    EXPECT_EQ(Times(tic), (std::vector<double>{0.05, 0.1, 0.15, 0.2}));
    EXPECT_EQ(Values(tic), (std::vector<double>{108, 109, 110, 111}));
    CChromatogram bpc;
    EXPECT_EQ(reader.BPC(true, 0, 1, bpc), S_OK);
    EXPECT_EQ(Values(bpc), (std::vector<double>{100, 101, 102}));

    CMassSpectrum s;
    ASSERT_EQ(reader.Spectrum(0, 1, 2, s), S_OK);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeMS);
    EXPECT_EQ(s.GetMSOrder(), 1);
    EXPECT_EQ(s.GetPolarity(), FunctionPolarityNegative);
    EXPECT_EQ(s.GetFirstScan(), 3);
    ASSERT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.Masses()[0], 200);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0.1, FunctionRTProximityLess), 0);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0.1, FunctionRTProximityGreater), 1);

    // A co-added range through the framework's default.
    CMassSpectrum range;
    ASSERT_EQ(reader.SpectrumRange(0, 0, 0, 3, true, 0.1, range), S_OK);
    EXPECT_EQ(range.GetTIC(), 100 + 101 + 102 + 103 + 4 * 8);

    EXPECT_EQ(reader.TraceCount(0), 1);
    EXPECT_EQ(reader.TraceName(0, 0), CString(L"DAD1A"));
    CChromatogram trace;
    EXPECT_EQ(reader.Trace(0, 0, trace), S_OK);
    EXPECT_EQ(Values(trace), (std::vector<double>{5, 6, 7}));

    reader.Close();
    EXPECT_EQ(reader.FunctionCount(0), 0);
    EXPECT_EQ(reader.TraceCount(0), 0);
}

// Indexes a child object may still hold after a re-open on a smaller
// dataset, and functions that do not exist.
TEST(LCMSDReader, IndexesThatDoNotExist)
{
    const std::string folder = Dataset("one.D", {{"DATA.MS", MsdRun("only", 2, 100)}});
    CLCMSDDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(Wide(folder))), S_OK);
    EXPECT_EQ(reader.FunctionCount(0), 1);
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Function 1 (only)"));
    for (const auto& [injection, function] : std::vector<std::pair<int, int>>{{0, 1}, {0, 4}, {0, -1}, {1, 0}}) {
        EXPECT_EQ(reader.FunctionName(injection, function), CString(L"Unknown"));
        EXPECT_EQ(reader.FunctionPolarity(injection, function), FunctionPolarityPositive);
        EXPECT_EQ(reader.SpectrumCount(injection, function), 0);
        CMassSpectrum s;
        EXPECT_EQ(reader.Spectrum(injection, function, 0, s), E_FAIL);
        EXPECT_EQ(reader.SpectrumIndexByRT(injection, function, 0.05, FunctionRTProximityClosest), -1);
        CChromatogram c;
        EXPECT_EQ(reader.TIC(true, injection, function, c), S_OK);
        EXPECT_EQ(c.GetCount(), 0);
    }
    CMassSpectrum s;
    EXPECT_EQ(reader.Spectrum(0, 0, 2, s), E_FAIL);
    EXPECT_EQ(reader.Spectrum(0, 0, -1, s), E_FAIL);
    EXPECT_EQ(reader.TraceName(0, 0), CString(L""));
    CChromatogram c;
    EXPECT_EQ(reader.Trace(0, 0, c), E_INVALIDARG);
    EXPECT_EQ(reader.Trace(1, 0, c), E_INVALIDARG);
    EXPECT_EQ(reader.TraceCount(1), 0);
}

// The MSD files that opened are the functions, in file order: a gap in
// the numbering hides no file.
TEST(LCMSDReader, FunctionsAreTheFilesThatOpened)
{
    const std::string folder = Dataset("gap.D", {{"MSD1.MS", MsdRun("one", 2, 100)}, {"MSD3.MS", MsdRun("three", 5, 300)}},
                                       "Polarity 3=1\n");
    CLCMSDDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(Wide(folder))), S_OK);
    ASSERT_EQ(reader.FunctionCount(0), 2);
    EXPECT_EQ(reader.FunctionName(0, 1), CString(L"Function 2 (three)"));
    EXPECT_EQ(reader.SpectrumCount(0, 1), 5);
    EXPECT_EQ(reader.FunctionPolarity(0, 1), FunctionPolarityNegative);
}

// When file 1 does not open, its error is the answer and no other file
// stays open behind it.
TEST(LCMSDReader, FileOneFailing)
{
    std::string damaged = BuildMsd(MsdRun("one", 2, 100));
    SetBE32(damaged, kScanCount, 1000);
    const std::string folder = Dataset("bad1.D", {{"MSD2.MS", MsdRun("two", 2, 200)}, {"MSD3.MS", MsdRun("three", 2, 300)}});
    ks::test::writeFile(Join(folder, "MSD1.MS"), damaged);
    CLCMSDDataServerImpl reader;
    EXPECT_EQ(reader.Open(CString(Wide(folder))), E_FAIL);
    EXPECT_EQ(reader.FunctionCount(0), 0);
    EXPECT_EQ(reader.SpectrumCount(0, 1), 0);
    EXPECT_EQ(reader.TraceCount(0), 0);

    const std::string noFile1 = Dataset("no1.D", {{"MSD2.MS", MsdRun("two", 2, 200)}});
    EXPECT_EQ(reader.Open(CString(Wide(noFile1))), E_FAIL);
    EXPECT_EQ(reader.FunctionCount(0), 0);
    EXPECT_EQ(reader.Open(CString(L"")), E_FAIL);

    // Re-opened on another dataset, nothing of the first stays.
    const std::string withTraces =
        Dataset("traces.D", {{"MSD1.MS", MsdRun("a", 1, 100)}}, "", {BuildSignal(30, 0, 1, Blocks({}))});
    ASSERT_EQ(reader.Open(CString(Wide(withTraces))), S_OK);
    ASSERT_EQ(reader.Open(CString(Wide(withTraces))), S_OK);
    EXPECT_EQ(reader.TraceCount(0), 1);
}

// A damaged signal file fails alone.
TEST(LCMSDReader, DamagedTrace)
{
    const std::string folder = Dataset("dmg.D", {{"MSD1.MS", MsdRun("a", 1, 100)}}, "",
                                       {std::string(100, 'x'), BuildSignal(30, 0, 60000, Blocks({{0x1001, 4}}))});
    CLCMSDDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(Wide(folder))), S_OK);
    ASSERT_EQ(reader.TraceCount(0), 2);
    CChromatogram c;
    EXPECT_EQ(reader.Trace(0, 0, c), E_FAIL);
    EXPECT_EQ(c.GetCount(), 1);  // the entry's new chromatogram: (0, 0)
    EXPECT_EQ(reader.Trace(0, 1, c), S_OK);
    EXPECT_EQ(Values(c), (std::vector<double>{4}));
}

// The bundled sample folder, as its script writes it.
TEST(LCMSDReader, BundledSample)
{
    const std::string folder = Join(ks::test::tempDir(), "sample.D");
    const ks::test::RunResult r =
        ks::test::run({KS_PYTHON3, std::string(KS_SOURCE_DIR) + "/../samples/make_sample.py", folder});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    CLCMSDDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(Wide(folder))), S_OK);
    ASSERT_EQ(reader.FunctionCount(0), 2);
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"Function 1 (Caffeine standard)"));
    EXPECT_EQ(reader.FunctionName(0, 1), CString(L"Function 2 (Caffeine standard, negative)"));
    EXPECT_EQ(reader.FunctionPolarity(0, 0), FunctionPolarityPositive);
    EXPECT_EQ(reader.FunctionPolarity(0, 1), FunctionPolarityNegative);
    EXPECT_EQ(reader.SpectrumCount(0, 0), 40);
    // The caffeine ion is the base peak at the top of its peak.
    CMassSpectrum s;
    ASSERT_EQ(reader.Spectrum(0, 0, 15, s), S_OK);
    EXPECT_DOUBLE_EQ(s.GetBasePeakMass(), 195.1);
    ASSERT_EQ(reader.Spectrum(0, 1, 15, s), S_OK);
    EXPECT_DOUBLE_EQ(s.GetBasePeakMass(), 193.1);
    EXPECT_EQ(s.GetPolarity(), FunctionPolarityNegative);
    ASSERT_EQ(reader.TraceCount(0), 1);
    EXPECT_EQ(reader.TraceName(0, 0), CString(L"DAD1A"));
    CChromatogram uv;
    ASSERT_EQ(reader.Trace(0, 0, uv), S_OK);
    EXPECT_EQ(uv.GetCount(), 157);
}
