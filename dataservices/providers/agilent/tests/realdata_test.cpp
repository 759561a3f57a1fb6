// The real MSD and signal files beside the repository: counts, first
// scans and totals against the facts measured on them and the output of
// independent readers (numpy decodings of every point, committed here as
// numbers; rainbow's CSV files read by the tests).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "chtrace.h"
#include "kstest.h"
#include "massspectrum.h"
#include "msdfile.h"

using namespace agilentfix;

namespace {

const char kCarotenoid[] = "chemstation-ms/entab-carotenoid_extract.d";
const char kOrange[] = "chemstation-ms/rainbow-orange.D";
const char kDataSim[] = "chemstation-ms/rainbow-yellow.D/dataSim.ms";

struct Totals {
    LONG points = 0;
    double abundance = 0;
    double largest = 0;
    double largestMZ = 0;
    double directoryTIC = 0;
    bool sorted = true;
    bool timesChain = true;  // each scan ends where the next starts
};

Totals ReadAll(CMSDFile& msd)
{
    Totals t;
    CMassSpectrum s;
    for (LONG i = 0; i < msd.ScanCount(); ++i) {
        EXPECT_TRUE(msd.ReadSpectrum(i, s)) << i;
        t.points += s.GetCount();
        for (LONG k = 0; k < s.GetCount(); ++k) {
            t.abundance += s.Intensities()[k];
            t.largest = std::max(t.largest, s.Intensities()[k]);
            t.largestMZ = std::max(t.largestMZ, s.Masses()[k]);
            if (k > 0 && s.Masses()[k - 1] >= s.Masses()[k])
                t.sorted = false;
        }
        if (i + 1 < msd.ScanCount() && s.GetEndRT() != msd.ScanRT(i + 1))
            t.timesChain = false;
        t.directoryTIC += msd.ScanTIC(i);
    }
    return t;
}

std::vector<std::vector<std::string>> Csv(const std::string& path)
{
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::stringstream ss(line);
        std::string field;
        while (std::getline(ss, field, ','))
            fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

struct Trace {
    HRESULT hr = E_UNEXPECTED;
    std::vector<double> times;
    std::vector<double> values;

    double Sum() const
    {
        double sum = 0;
        for (double v : values)
            sum += v;
        return sum;
    }
};

// The trace `name` of the folder, loaded through the trace list.
Trace LoadTrace(const std::string& folder, const std::wstring& name)
{
    Trace t;
    CChTraceList list;
    list.Build(Wide(ks::test::realData(folder)));
    for (int i = 0; i < list.Count(); ++i) {
        if (list.Name(i) != name)
            continue;
        CChromatogram c;
        t.hr = list.Load(i, c);
        t.times.assign(c.Times(), c.Times() + c.GetCount());
        t.values.assign(c.Intensities(), c.Intensities() + c.GetCount());
    }
    return t;
}

}  // namespace

TEST(ChemStationRealData, CarotenoidExtract)
{
    const std::string folder = ks::test::realData(kCarotenoid);
    EXPECT_TRUE(IsMSDDataset(Wide(folder)));
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(folder), 1), S_OK);
    EXPECT_EQ(msd.Open(Wide(folder), 2), E_FAIL);
    ASSERT_EQ(msd.Open(Wide(folder), 1), S_OK);
    EXPECT_EQ(msd.ScanCount(), 2534);
    EXPECT_EQ(msd.SampleName(), L"MHL 7M F7");
    EXPECT_EQ(msd.Polarity(), FunctionPolarityPositive);  // RUN.M/ACQ.MS: Polarity=0
    EXPECT_DOUBLE_EQ(msd.ScanRT(0), 4750 / 60000.0);
    EXPECT_DOUBLE_EQ(msd.RunEndTime(), 2698372 / 60000.0);
    EXPECT_DOUBLE_EQ(msd.ScanRT(2533), msd.RunEndTime());
    const MSDScanEntry& first = msd.Entries()[0];
    EXPECT_EQ(first.nPoints, 83);
    EXPECT_DOUBLE_EQ(first.dBasePeakMZ, 105.2);
    EXPECT_EQ(first.dBasePeakAbundance, 644);
    EXPECT_EQ(first.dTotalAbundance, 13924);
    EXPECT_TRUE(first.bCentroid);

    // Stored by descending m/z: 915.7 (abundance 112) first in the file,
    // last after sorting.
    CMassSpectrum s;
    ASSERT_TRUE(msd.ReadSpectrum(0, s));
    ASSERT_EQ(s.GetCount(), 83);
    EXPECT_DOUBLE_EQ(s.Masses()[82], 915.7);
    EXPECT_EQ(s.Intensities()[82], 112);
    EXPECT_DOUBLE_EQ(s.Masses()[0], 100.1);
    EXPECT_EQ(s.Intensities()[0], 397);
    EXPECT_DOUBLE_EQ(s.Masses()[1], 104.8);
    EXPECT_EQ(s.GetFirstScan(), 1);
    ASSERT_TRUE(msd.ReadSpectrum(2533, s));
    EXPECT_EQ(s.GetCount(), 21);
    EXPECT_DOUBLE_EQ(s.Masses()[20], 937.9);
    EXPECT_DOUBLE_EQ(s.GetEndRT(), msd.RunEndTime());

    const Totals t = ReadAll(msd);
    EXPECT_EQ(t.points, 95471);
    EXPECT_EQ(t.abundance, 17657612);
    EXPECT_EQ(t.largest, 14859);
    EXPECT_DOUBLE_EQ(t.largestMZ, 999.6);
    EXPECT_EQ(t.directoryTIC, 17703817);
    EXPECT_TRUE(t.sorted);
    EXPECT_TRUE(t.timesChain);

    EXPECT_EQ(msd.IndexByRT(msd.ScanRT(1000), FunctionRTProximityLess), 999);
    EXPECT_EQ(msd.IndexByRT(msd.ScanRT(1000), FunctionRTProximityGreater), 1000);
    EXPECT_EQ(msd.IndexByRT(100.0, FunctionRTProximityClosest), 2533);
}

// Abundance codes with exponents 1 and 2 (1,246 and 3 points).
TEST(ChemStationRealData, Orange)
{
    const std::string folder = ks::test::realData(kOrange);
    EXPECT_TRUE(IsMSDDataset(Wide(folder)));
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(folder), 1), S_OK);
    EXPECT_EQ(msd.ScanCount(), 469);
    EXPECT_EQ(msd.SampleName(), L"blank");
    // Its method lies in ACQ.M, not RUN.M: positive by default.
    EXPECT_EQ(msd.Polarity(), FunctionPolarityPositive);
    const MSDScanEntry& first = msd.Entries()[0];
    EXPECT_EQ(first.nPoints, 768);
    EXPECT_DOUBLE_EQ(first.dBasePeakMZ, 621.9);
    EXPECT_EQ(first.dBasePeakAbundance, 37328);  // exponent 1
    EXPECT_DOUBLE_EQ(msd.ScanRT(0), 1420 / 60000.0);

    CMassSpectrum s;
    ASSERT_TRUE(msd.ReadSpectrum(0, s));
    EXPECT_DOUBLE_EQ(s.Masses()[0], 150.2);
    EXPECT_EQ(s.Intensities()[0], 3083);
    EXPECT_DOUBLE_EQ(s.Masses()[767], 1000.0);
    EXPECT_EQ(s.Intensities()[767], 1287);
    EXPECT_EQ(s.GetBasePeakIntensity(), 37328);

    const Totals t = ReadAll(msd);
    EXPECT_EQ(t.points, 282512);
    EXPECT_EQ(t.abundance, 415735340);
    EXPECT_EQ(t.largest, 447360);  // exponent 2
    EXPECT_DOUBLE_EQ(t.largestMZ, 1000.0);
    EXPECT_EQ(t.directoryTIC, 415881067);
    EXPECT_TRUE(t.sorted);
}

// The GC SIM file, by its file path: two ions per scan, every point equal
// to rainbow's dataSim.csv.
TEST(ChemStationRealData, GCSimFile)
{
    const std::string path = ks::test::realData(kDataSim);
    EXPECT_TRUE(IsMSDDataset(Wide(path)));  // "GC / MS Data File"
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(path), 1), S_OK);
    EXPECT_EQ(msd.ScanCount(), 1309);
    EXPECT_EQ(msd.SampleName(), L"");

    const auto rows = Csv(ks::test::realData("chemstation-ms/rainbow-yellow.D/expected-rainbow/dataSim.csv"));
    ASSERT_EQ(rows.size(), 1310u);
    ASSERT_EQ(rows[0], (std::vector<std::string>{"RT (min)", "131.0", "202.0"}));
    CMassSpectrum s;
    int mismatches = 0;
    for (LONG i = 0; i < 1309; ++i) {
        ASSERT_TRUE(msd.ReadSpectrum(i, s));
        const auto& row = rows[static_cast<size_t>(i) + 1];
        const bool same = s.GetCount() == 2 && s.Masses()[0] == 131.0 && s.Masses()[1] == 202.0 &&
                          s.Intensities()[0] == std::stod(row[1]) && s.Intensities()[1] == std::stod(row[2]) &&
                          std::fabs(s.GetStartRT() - std::stod(row[0])) < 1e-12 && s.IsCentroid();
        mismatches += same ? 0 : 1;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(ReadAll(msd).abundance, 8924134);
}

// Counts, first values and the sum of every value (in file order) as an
// independent decoding of the same files with numpy gives them.
TEST(ChemStationRealData, SignalFiles)
{
    // Type 81: second differences, float times.
    const Trace fid = LoadTrace("chemstation-ch/entab", L"test_fid");
    ASSERT_EQ(fid.hr, S_OK);
    ASSERT_EQ(fid.values.size(), 2699u);
    EXPECT_EQ(fid.values[0], 134406);
    EXPECT_EQ(fid.values[1], 134404);
    EXPECT_EQ(fid.values.back(), 137364);
    EXPECT_EQ(fid.Sum(), 367205926);
    EXPECT_DOUBLE_EQ(fid.times.front(), 180026.6875 / 60000);
    EXPECT_DOUBLE_EQ(fid.times.back(), 719826.6875 / 60000);

    // Type 179: little-endian doubles.
    const Trace d179 = LoadTrace("chemstation-ch/entab", L"test_179_fid");
    ASSERT_EQ(d179.hr, S_OK);
    ASSERT_EQ(d179.values.size(), 12000u);
    EXPECT_EQ(d179.values[0], 59487.0);
    EXPECT_EQ(d179.values.back(), 63382.0);
    EXPECT_EQ(d179.Sum(), 724219928.0);
    EXPECT_DOUBLE_EQ(d179.times.front(), static_cast<double>(49.657f) / 60000);
    EXPECT_DOUBLE_EQ(d179.times.back(), 599999.6875 / 60000);

    // Type 30: control-word blocks, integer times from -2380 ms.
    const Trace mwd = LoadTrace("chemstation-ch/entab/chemstation_mwd.d", L"mwd1A");
    ASSERT_EQ(mwd.hr, S_OK);
    ASSERT_EQ(mwd.values.size(), 1801u);
    EXPECT_EQ(mwd.values[0], -76231);
    EXPECT_EQ(mwd.values[1], -76490);
    EXPECT_EQ(mwd.values.back(), 687315);
    EXPECT_EQ(mwd.Sum(), 444209262);
    EXPECT_DOUBLE_EQ(mwd.times.front(), -2380 / 60000.0);
    EXPECT_DOUBLE_EQ(mwd.times.back(), 717620 / 60000.0);

    // Type 181: 5,913 escaped values and the end word.
    const Trace f181 = LoadTrace("chemstation-ch/chromConverterExtraTests-chemstation_181.D", L"FID1A");
    ASSERT_EQ(f181.hr, S_OK);
    ASSERT_EQ(f181.values.size(), 5913u);
    EXPECT_EQ(f181.values[0], 16460);
    EXPECT_EQ(f181.values[1], 16467);
    EXPECT_EQ(f181.values.back(), 154589);
    EXPECT_EQ(f181.Sum(), 712422353);
    EXPECT_DOUBLE_EQ(f181.times.front(), -109.125 / 60000);
    EXPECT_DOUBLE_EQ(f181.times.back(), 1182290.875 / 60000);
}

// Type 179 with the block field at 264 saying 9 (4,096) as some real files
// do: the values still start at 6,144, so the trace equals that of the file
// as it is (the copy is made here, never kept).
TEST(ChemStationRealData, Type179DataOffset)
{
    const std::string original = ks::test::readFile(ks::test::realData("chemstation-ch/entab/test_179_fid.ch"));
    ASSERT_GT(original.size(), 6144u);
    ASSERT_EQ(original.substr(264, 4), std::string("\0\0\0\x0D", 4));  // 13 blocks
    std::string patched = original;
    SetBE32(patched, 264, 9);
    const std::string folder = ks::test::tempDir() + "/patched";
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    ks::test::writeFile(folder + "/test_179_fid.ch", patched);

    CChTraceList list;
    list.Build(Wide(folder));
    ASSERT_EQ(list.Count(), 1);
    CChromatogram c;
    ASSERT_EQ(list.Load(0, c), S_OK);
    const Trace reference = LoadTrace("chemstation-ch/entab", L"test_179_fid");
    ASSERT_EQ(reference.values.size(), 12000u);
    ASSERT_EQ(c.GetCount(), 12000);
    EXPECT_EQ(std::vector<double>(c.Intensities(), c.Intensities() + c.GetCount()), reference.values);
    EXPECT_EQ(std::vector<double>(c.Times(), c.Times() + c.GetCount()), reference.times);
}

// Type 130, found as "ADC1A.CH": times and raw values agree with rainbow's
// CSV once its scale factor is taken out.
TEST(ChemStationRealData, SignalFileAgainstRainbow)
{
    const Trace adc = LoadTrace("chemstation-ch/rainbow-orange.D", L"ADC1A");
    ASSERT_EQ(adc.hr, S_OK);
    ASSERT_EQ(adc.values.size(), 1787u);
    EXPECT_DOUBLE_EQ(adc.times.front(), 17 / 60000.0);
    EXPECT_DOUBLE_EQ(adc.times.back(), 178617 / 60000.0);
    const auto rows = Csv(ks::test::realData("chemstation-ch/rainbow-orange.D/expected-rainbow/ADC1A.csv"));
    ASSERT_EQ(rows.size(), 1788u);
    int mismatches = 0;
    for (size_t i = 0; i < 1787; ++i) {
        const double time = std::stod(rows[i + 1][0]);
        const double raw = std::round(std::stod(rows[i + 1][1]) / 1.99999995e-05);
        if (std::fabs(adc.times[i] - time) > 1e-12 || adc.values[i] != raw)
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}
