// Real public two-column spectra.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "massspectrum.h"
#include "textdataio.h"
#include "textfixtures.h"

using kstext::wide;
using kstext::sumOf;

namespace {

bool ascending(const CMassSpectrum& s)
{
    for (LONG i = 1; i < s.GetCount(); ++i)
        if (!(s.Masses()[i] > s.Masses()[i - 1]))
            return false;
    return true;
}

TEST(TextRealData, PeakTypeEstimatorRaw)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(wide(ks::test::realData("text-spectra/openms/PeakTypeEstimator_raw.dta")), s));
    ASSERT_EQ(s.GetCount(), 67);
    EXPECT_TRUE(ascending(s));
    EXPECT_EQ(s.Masses()[0], 0);
    EXPECT_EQ(s.Intensities()[0], 0);
    EXPECT_EQ(s.Masses()[66], 945);
    EXPECT_DOUBLE_EQ(sumOf(s), 94114);
    EXPECT_EQ(s.GetTitle(), L"");
    EXPECT_TRUE(s.IsCentroid());  // no "continuum" line in the file
}

TEST(TextRealData, SignalToNoiseEstimator)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(wide(ks::test::realData("text-spectra/openms/SignalToNoiseEstimator_test.dta")), s));
    ASSERT_EQ(s.GetCount(), 2527);
    EXPECT_TRUE(ascending(s));
    EXPECT_EQ(s.Masses()[0], 0);
    EXPECT_DOUBLE_EQ(s.Masses()[2526], 1498.2);
    EXPECT_NEAR(sumOf(s), 80392, 0.5);
}

// The precursor line of this file is just another point here.
TEST(TextRealData, DtaFileReadsAllLinesAsPoints)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(wide(ks::test::realData("text-spectra/openms/DTAFile_test.dta")), s));
    ASSERT_EQ(s.GetCount(), 26);
    EXPECT_EQ(s.Masses()[0], 1745.22);
    EXPECT_EQ(s.Intensities()[0], 3);
    EXPECT_EQ(s.Masses()[1], 139.42);
    EXPECT_EQ(s.Intensities()[1], 318.52);
    EXPECT_NEAR(sumOf(s), 1163500.34, 1e-6);
}

// Comma-and-blank separated, 80,478 lines, opened as a one-spectrum dataset.
TEST(TextRealData, CommaSeparatedAsDataset)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(wide(ks::test::realData("xmass/openms-XMassFile_test_data.txt"))));
    EXPECT_EQ(io.SpectrumCount(), 1);
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));
    EXPECT_EQ(s.GetCount(), 80478);
    LONG count;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(count, times, sums));
    ASSERT_EQ(count, 1);
    EXPECT_EQ(sums[0], sumOf(s));
}

}  // namespace
