// CMSDFile and the recognition of MSD datasets on small fixtures: the
// decoding of abundances and m/z words, the choice among MSD1.MS to
// MSD4.MS and DATA.MS, retention times and scans by time, and damaged or
// special files that must fail cleanly.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "kstest.h"
#include "massspectrum.h"
#include "msdfile.h"

using namespace agilentfix;
namespace fs = std::filesystem;

namespace {

// Three scans: RT 6, 12 and 18 s; points stored by descending m/z.
MsdFile ThreeScans(const std::string& sample = "  Sample A  ")
{
    MsdFile f;
    f.sampleName = sample;
    f.scans.push_back(MakeScan(6000, {{100.0, 0x0100}, {150.5, 0x3FFF}, {2000.0, 0x4002}}));
    f.scans.push_back(MakeScan(12000, {{101.0, 0x0010}}));
    f.scans.push_back(MakeScan(18000, {{99.95, 0x8001}, {3276.75, 0xC001}}));
    f.runEndMs = 24000;
    return f;
}

std::string Write(const std::string& folder, const std::string& name, const std::string& bytes)
{
    const std::string path = Join(Folder(folder), name);
    ks::test::writeFile(path, bytes);
    return path;
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

void ExpectClosed(const CMSDFile& msd)
{
    EXPECT_FALSE(msd.IsOpen());
    EXPECT_EQ(msd.ScanCount(), 0);
    EXPECT_TRUE(msd.GetPath().empty());
    EXPECT_TRUE(msd.SampleName().empty());
    EXPECT_EQ(msd.RunEndTime(), 0);
    EXPECT_EQ(msd.Polarity(), FunctionPolarityPositive);
}

}  // namespace

TEST(MSDAbundance, Codes)
{
    const struct {
        WORD code;
        DWORD abundance;
    } cases[] = {
        {0x0000, 0},      {0x0001, 1},      {0x3FFF, 16383}, {0x4000, 0},
        {0x4001, 8},      {0x8001, 64},     {0xC001, 512},   {0xFFFF, 8388096},
        {0x7FFF, 131064}, {0xBFFF, 1048512},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeAbundance(c.code), c.abundance) << std::hex << c.code;
}

TEST(MSDFile, OpensAndReadsEveryScan)
{
    const std::string folder = Folder("run.D");
    Write("run.D", "MSD1.MS", BuildMsd(ThreeScans()));
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(folder), 1), S_OK);
    EXPECT_TRUE(msd.IsOpen());
    EXPECT_EQ(msd.ScanCount(), 3);
    EXPECT_EQ(msd.SampleName(), L"Sample A");
    EXPECT_DOUBLE_EQ(msd.RunEndTime(), 0.4);
    EXPECT_EQ(msd.Polarity(), FunctionPolarityPositive);
    EXPECT_DOUBLE_EQ(msd.ScanRT(1), 0.2);
    EXPECT_EQ(msd.ScanTIC(0), 256 + 16383 + 16);
    EXPECT_EQ(msd.ScanBasePeakAbundance(0), 16383);
    EXPECT_DOUBLE_EQ(msd.Entries()[0].dBasePeakMZ, 150.5);
    for (LONG bad : {-1, 3})
        EXPECT_EQ(msd.ScanRT(bad), -1);
    EXPECT_EQ(msd.ScanTIC(3), -1);
    EXPECT_EQ(msd.ScanBasePeakAbundance(-1), -1);

    CMassSpectrum s;
    s.EnablePeakFlags(true);
    s.EnableAnnotations(true);
    ASSERT_TRUE(msd.ReadSpectrum(0, s));
    // Sorted by ascending m/z; m/z words are unsigned (2000 is 0x9C40).
    EXPECT_EQ(Masses(s), (std::vector<double>{100.0, 150.5, 2000.0}));
    EXPECT_EQ(Intensities(s), (std::vector<double>{256, 16383, 16}));
    EXPECT_FALSE(s.HasPeakFlags());
    EXPECT_FALSE(s.HasAnnotations());
    EXPECT_DOUBLE_EQ(s.GetStartRT(), 0.1);
    EXPECT_DOUBLE_EQ(s.GetEndRT(), 0.2);
    EXPECT_EQ(s.GetFirstScan(), 1);
    EXPECT_EQ(s.GetLastScan(), 1);
    EXPECT_TRUE(s.IsCentroid());
    EXPECT_EQ(s.GetPolarity(), FunctionPolarityPositive);
    EXPECT_EQ(s.GetBasePeakIntensity(), 16383);

    // The last scan ends at the run end; the largest m/z word is 3276.75.
    ASSERT_TRUE(msd.ReadSpectrum(2, s));
    EXPECT_EQ(Masses(s), (std::vector<double>{99.95, 3276.75}));
    EXPECT_EQ(Intensities(s), (std::vector<double>{64, 512}));
    EXPECT_DOUBLE_EQ(s.GetEndRT(), 0.4);
    EXPECT_EQ(s.GetFirstScan(), 3);

    EXPECT_FALSE(msd.ReadSpectrum(3, s));
    EXPECT_FALSE(msd.ReadSpectrum(-1, s));

    msd.Close();
    ExpectClosed(msd);
    EXPECT_FALSE(msd.ReadSpectrum(0, s));
}

TEST(MSDFile, PointOrderAndProfileScans)
{
    MsdFile f;
    Scan ascending = MakeScan(0, {{100, 1}, {101, 2}, {102, 3}});
    std::reverse(ascending.points.begin(), ascending.points.end());
    Scan mixed = MakeScan(1000, {{100, 1}, {101, 2}, {102, 3}});
    std::swap(mixed.points[0], mixed.points[1]);  // 101, 102, 100
    mixed.modeWord = 0x0102;                       // profile
    Scan empty = MakeScan(2000, {});
    f.scans = {ascending, mixed, empty};
    f.runEndMs = 3000;
    const std::string path = Write("order", "x.ms", BuildMsd(f));
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(path), 1), S_OK);
    CMassSpectrum s;
    for (LONG i : {0, 1}) {
        ASSERT_TRUE(msd.ReadSpectrum(i, s));
        EXPECT_EQ(Masses(s), (std::vector<double>{100, 101, 102})) << i;
        EXPECT_EQ(Intensities(s), (std::vector<double>{1, 2, 3})) << i;
    }
    EXPECT_FALSE(s.IsCentroid());
    EXPECT_FALSE(msd.Entries()[1].bCentroid);
    EXPECT_TRUE(msd.Entries()[0].bCentroid);
    ASSERT_TRUE(msd.ReadSpectrum(2, s));
    EXPECT_EQ(s.GetCount(), 0);
}

TEST(MSDFile, ZeroScansOpenWithAnEmptyDirectory)
{
    MsdFile f;
    std::string bytes = BuildMsd(f);
    SetBE32(bytes, kDirectoryPosition, 0);  // no directory at all
    const std::string path = Write("empty", "MSD1.MS", bytes);
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(path), 1), S_OK);
    EXPECT_EQ(msd.ScanCount(), 0);
    EXPECT_EQ(msd.IndexByRT(1.0, FunctionRTProximityClosest), -1);
    CMassSpectrum s;
    EXPECT_FALSE(msd.ReadSpectrum(0, s));
}

// Which file of a data directory opens as file n.
TEST(MSDFile, ChoosesAmongTheFilesOfAFolder)
{
    struct Case {
        const char* name;
        std::vector<std::string> files;  // each holds its own name as sample name
        int n;
        HRESULT result;
        const wchar_t* sample;
    } cases[] = {
        {"only DATA.MS", {"DATA.MS"}, 1, S_OK, L"DATA.MS"},
        {"MSD1 preferred", {"DATA.MS", "MSD1.MS"}, 1, S_OK, L"MSD1.MS"},
        {"lower-case names", {"msd1.ms", "msd2.ms"}, 2, S_OK, L"msd2.ms"},
        {"mixed case", {"Msd3.Ms"}, 3, S_OK, L"Msd3.Ms"},
        {"DATA.MS is file 1 only", {"DATA.MS"}, 2, E_FAIL, L""},
        {"missing file 4", {"MSD1.MS"}, 4, E_FAIL, L""},
        {"no file", {}, 1, E_FAIL, L""},
        {"file 5 does not exist", {"MSD1.MS"}, 5, E_FAIL, L""},
    };
    int k = 0;
    for (const Case& c : cases) {
        const std::string folder = Folder("choice" + std::to_string(k++) + ".D");
        for (const std::string& file : c.files) {
            MsdFile f = ThreeScans(file);
            ks::test::writeFile(Join(folder, file), BuildMsd(f));
        }
        CMSDFile msd;
        EXPECT_EQ(msd.Open(Wide(folder), c.n), c.result) << c.name;
        EXPECT_EQ(msd.SampleName(), c.sample) << c.name;
        EXPECT_EQ(msd.IsOpen(), c.result == S_OK) << c.name;
    }
}

TEST(MSDFile, PathsNamingAFile)
{
    const std::string path = Write("Named.D", "Mixed.Ms", BuildMsd(ThreeScans()));
    CMSDFile msd;
    // The path keeps its case and may carry blanks around it and "\".
    EXPECT_EQ(msd.Open(L"  " + Wide(path) + L"\t", 1), S_OK);
    EXPECT_EQ(msd.GetPath(), Wide(path));
    for (int n : {2, 3, 4})
        EXPECT_EQ(msd.Open(Wide(path), n), E_FAIL) << n;
    std::wstring backslashed = Wide(path);
    for (wchar_t& c : backslashed)
        if (c == L'/')
            c = L'\\';
    EXPECT_EQ(msd.Open(backslashed, 1), S_OK);
    EXPECT_EQ(msd.Open(L"", 1), E_FAIL);
    EXPECT_EQ(msd.Open(L"   ", 1), E_FAIL);
    EXPECT_EQ(msd.Open(Wide(path) + L".missing", 1), E_FAIL);
}

TEST(MSDFile, Recognition)
{
    const std::string good = Write("rec", "good.ms", BuildMsd(ThreeScans()));
    MsdFile longer = ThreeScans();
    longer.typeText = "MSD Spectral File v2";
    const std::string longerPath = Write("rec", "longer.ms", BuildMsd(longer));
    MsdFile gc = ThreeScans();
    gc.typeText = "GC / MS Data File";
    const std::string gcPath = Write("rec", "gc.MS", BuildMsd(gc));
    gc.typeText = "GC / MS DATA FILE";
    const std::string gcUpper = Write("rec", "gcupper.ms", BuildMsd(gc));
    std::string badMagic = BuildMsd(ThreeScans());
    badMagic[1] = '3';
    const std::string badMagicPath = Write("rec", "magic.ms", badMagic);
    const std::string shortPath = Write("rec", "short.ms", BuildMsd(ThreeScans()).substr(0, 511));
    const std::string wrongExtension = Write("rec", "good.msd", BuildMsd(ThreeScans()));
    const std::string onlyFile2 = Folder("rec2.D");
    ks::test::writeFile(Join(onlyFile2, "msd2.ms"), BuildMsd(ThreeScans()));

    const struct {
        std::string path;
        bool valid;
        HRESULT open;  // CMSDFile::Open(path, 1)
    } cases[] = {
        {good, true, S_OK},
        {longerPath, false, S_OK},  // opening compares the beginning only
        {gcPath, true, S_OK},       // real GC files write the text in mixed case
        {gcUpper, true, S_OK},
        {badMagicPath, false, E_FAIL},
        {shortPath, false, E_FAIL},
        {wrongExtension, false, S_OK},
        {onlyFile2, true, E_FAIL},  // a dataset, but it has no file 1
        {Folder("rec"), false, E_FAIL},
        {"", false, E_FAIL},
        {good + "/nothing", false, E_FAIL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsMSDDataset(Wide(c.path)), c.valid) << c.path;
        CMSDFile msd;
        EXPECT_EQ(msd.Open(Wide(c.path), 1), c.open) << c.path;
    }
}

TEST(MSDFile, IndexByRetentionTime)
{
    MsdFile f;
    for (int i = 0; i < 8; ++i)
        f.scans.push_back(MakeScan(6000 * (i + 1), {{100, 1}}));
    f.runEndMs = 60000;
    const std::string path = Write("rt", "MSD1.MS", BuildMsd(f));
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(path), 1), S_OK);
    const double scan5 = msd.ScanRT(5);  // 0.6 min
    const struct {
        double time;
        FunctionRTProximity proximity;
        LONG index;
    } cases[] = {
        {scan5, FunctionRTProximityLess, 4},
        {scan5, FunctionRTProximityGreater, 5},
        {scan5, FunctionRTProximityClosest, 5},
        {0.62, FunctionRTProximityClosest, 5},
        {0.68, FunctionRTProximityClosest, 6},
        {0.65, FunctionRTProximityClosest, 6},  // a tie selects the later scan
        {0.65, FunctionRTProximityLess, 5},
        {0.05, FunctionRTProximityLess, -1},
        {0.05, FunctionRTProximityGreater, 0},
        {0.05, FunctionRTProximityClosest, 0},
        {0.1, FunctionRTProximityLess, 0},
        {5.0, FunctionRTProximityLess, 7},
        {5.0, FunctionRTProximityClosest, 7},
        {5.0, FunctionRTProximityGreater, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(msd.IndexByRT(c.time, c.proximity), c.index) << c.time << " " << c.proximity;
}

// A damaged file never opens, never reads outside itself and leaves the
// object closed, holding no file.
TEST(MSDFile, DamagedFilesFailToOpen)
{
    MsdLayout layout;
    const std::string good = BuildMsd(ThreeScans(), &layout);
    auto with32 = [&](size_t at, uint32_t v) {
        std::string b = good;
        SetBE32(b, at, v);
        return b;
    };
    auto with16 = [&](size_t at, uint16_t v) {
        std::string b = good;
        SetBE16(b, at, v);
        return b;
    };
    const size_t dir = layout.directoryOffset;
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"header cut", good.substr(0, 300)},
        {"wrong first byte", with16(0, 0x0232)},
        {"foreign type text", [&] { std::string b = good; b.replace(5, 3, "XYZ"); return b; }()},
        {"negative scan count", with32(kScanCount, 0xFFFFFFFF)},
        {"scan count beyond the file", with32(kScanCount, 0x7FFFFFFF)},
        {"one scan too many", with32(kScanCount, 4)},
        {"directory before the file", with32(kDirectoryPosition, 0)},
        {"negative directory position", with32(kDirectoryPosition, 0x80000000)},
        {"directory beyond the file", with32(kDirectoryPosition, 0x7FFFFFFF)},
        {"directory cut", good.substr(0, good.size() - 1)},
        {"scan header before the file", with32(dir + 12, 0)},
        {"scan header beyond the file", with32(dir + 12, static_cast<uint32_t>(good.size() / 2))},
        {"negative point count", with16(layout.scanOffsets[1] + 12, 0xFFFF)},
        {"points beyond the file", with16(layout.scanOffsets[2] + 12, 0x7FFF)},
    };
    for (const auto& c : cases) {
        const std::string path = Write("damaged", "MSD1.MS", c.bytes);
        CMSDFile msd;
        EXPECT_EQ(msd.Open(Wide(path), 1), E_FAIL) << c.name;
        ExpectClosed(msd);
        CMassSpectrum s;
        EXPECT_FALSE(msd.ReadSpectrum(0, s)) << c.name;
    }
}

// Each directory entry owns its scan: entries that repeat a scan or whose
// scans overlap are damage, so decoding every scan never costs more than
// the file holds (a file of 72,366 entries on one large scan made every
// mass chromatogram decode that scan 72,366 times). Distinct scans listed
// in another order than stored still open, in directory order.
TEST(MSDFile, ScansMustBeDistinct)
{
    // Scan 0 of eight points of m/z 0.05: a scan header placed among its
    // points reads a count of one point, which lies within the file.
    MsdFile f = ThreeScans();
    f.scans[0].points.assign(8, Point{1, 1});
    MsdLayout layout;
    const std::string good = BuildMsd(f, &layout);
    const size_t dir = layout.directoryOffset;
    const auto& at = layout.scanOffsets;
    auto entry = [&](std::string b, size_t index, size_t offset) {
        SetBE32(b, dir + 12 * index, static_cast<uint32_t>(offset / 2 + 1));
        return b;
    };
    const struct {
        const char* name;
        std::string bytes;
    } refused[] = {
        {"the next entry repeats a scan", entry(good, 1, at[0])},
        {"the last entry repeats the first scan", entry(good, 2, at[0])},
        {"a scan header among the points of another", entry(good, 1, at[0] + 18)},
        {"a scan starting in the header of another", entry(good, 2, at[1] + 2)},
        {"an earlier entry repeats a later scan", entry(good, 0, at[2])},
    };
    for (const auto& c : refused) {
        const std::string path = Write("overlap", "MSD1.MS", c.bytes);
        CMSDFile msd;
        EXPECT_EQ(msd.Open(Wide(path), 1), E_FAIL) << c.name;
        ExpectClosed(msd);
    }

    // The same scans listed last to first.
    const std::string reversed = entry(entry(good, 0, at[2]), 2, at[0]);
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(Write("reversed", "MSD1.MS", reversed)), 1), S_OK);
    ASSERT_EQ(msd.ScanCount(), 3);
    CMassSpectrum s;
    ASSERT_TRUE(msd.ReadSpectrum(0, s));
    EXPECT_EQ(Masses(s), (std::vector<double>{99.95, 3276.75}));
    ASSERT_TRUE(msd.ReadSpectrum(2, s));
    EXPECT_EQ(s.GetCount(), 8);
    ASSERT_EQ(msd.Open(Wide(Write("good", "MSD1.MS", good)), 1), S_OK);
}

// A folder, FIFO or device where a file is expected is refused at once.
TEST(MSDFile, SpecialFilesAreRefusedWithoutWaiting)
{
    const std::string withFolder = Folder("folder.D");
    fs::create_directories(Join(withFolder, "MSD1.MS"));
    const std::string withFifo = Folder("fifo.D");
    ASSERT_EQ(mkfifo(Join(withFifo, "MSD1.MS").c_str(), 0600), 0);
    const std::string fifoFile = Join(withFifo, "MSD1.MS");

    CMSDFile msd;
    EXPECT_EQ(msd.Open(Wide(withFolder), 1), E_FAIL);  // no MSD file in it
    EXPECT_FALSE(IsMSDDataset(Wide(withFolder)));
    EXPECT_EQ(msd.Open(Wide(withFifo), 1), E_INVALIDARG);
    EXPECT_EQ(msd.Open(Wide(fifoFile), 1), E_INVALIDARG);
    EXPECT_FALSE(IsMSDDataset(Wide(withFifo)));
    EXPECT_FALSE(IsMSDDataset(Wide(fifoFile)));
    EXPECT_EQ(msd.Open(L"/dev/zero", 1), E_INVALIDARG);
    EXPECT_FALSE(IsMSDDataset(L"/dev/zero"));
    ExpectClosed(msd);

    if (geteuid() != 0) {  // permissions do not stop the super-user
        const std::string locked = Write("locked.D", "MSD1.MS", BuildMsd(ThreeScans()));
        ASSERT_EQ(chmod(locked.c_str(), 0), 0);
        EXPECT_EQ(msd.Open(Wide(Folder("locked.D")), 1), E_INVALIDARG);
        chmod(locked.c_str(), 0600);
    }
}

TEST(MSDFile, ReopeningReplacesEverything)
{
    const std::string first = Write("re", "a.ms", BuildMsd(ThreeScans("first")));
    MsdFile other;
    other.sampleName = "second";
    other.scans.push_back(MakeScan(1000, {{50, 5}}));
    const std::string second = Write("re", "b.ms", BuildMsd(other));
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(first), 1), S_OK);
    ASSERT_EQ(msd.Open(Wide(second), 1), S_OK);
    EXPECT_EQ(msd.ScanCount(), 1);
    EXPECT_EQ(msd.SampleName(), L"second");
    EXPECT_EQ(msd.Open(Wide(second) + L"x", 1), E_FAIL);
    ExpectClosed(msd);
}
