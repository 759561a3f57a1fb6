// A multi-spectrum file opened as a dataset: counting, reading by position,
// the total-ion chromatogram.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "massspectrum.h"
#include "textdataio.h"
#include "textfixtures.h"

using kstext::fixture;
using kstext::sumOf;
using kstext::wide;

namespace {

const char kThree[] =
    "File comment before any header\r\n"
    "999 999\r\n"
    "Scan 1, retention time = 0.5 min\r\n"
    "first\r\n"
    "100 10\r\n"
    "101 11\r\n"
    "Retention Time=  1.25\r\n"
    "continuum\r\n"
    "200 20\r\n"
    "201 21\r\n"
    "202 22\r\n"
    "RETENTION TIME = 2e0\r\n"
    "300 30\r\n";

TEST(TextDataset, CountsAndReadsEachSpectrum)
{
    CTextDataIO io;
    const std::wstring path = fixture("three.txt", kThree);
    ASSERT_TRUE(io.Open(path));
    EXPECT_TRUE(io.IsOpen());
    EXPECT_EQ(io.GetDataSource(), L"KSTextProvider.KSTextProvider; " + path);
    EXPECT_EQ(io.SpectrumCount(), 3);

    struct Expected {
        double rt;
        LONG count;
        double firstMass;
        bool centroid;
        std::wstring title;
    };
    const Expected expected[] = {{0.5, 2, 100, true, L"first"}, {1.25, 3, 200, false, L""}, {2.0, 1, 300, true, L""}};
    for (LONG n = 1; n <= 3; ++n) {
        CMassSpectrum s;
        ASSERT_TRUE(io.ReadDatasetSpectrum(n, s)) << n;
        const Expected& e = expected[n - 1];
        EXPECT_EQ(s.GetCount(), e.count) << n;
        EXPECT_EQ(s.Masses()[0], e.firstMass) << n;
        EXPECT_EQ(s.IsCentroid(), e.centroid) << n;
        EXPECT_EQ(s.GetTitle(), e.title) << n;
        EXPECT_EQ(s.GetStartRT(), e.rt) << n;
        EXPECT_EQ(s.GetEndRT(), e.rt) << n;
        EXPECT_EQ(s.GetFirstScan(), n);
        EXPECT_EQ(s.GetLastScan(), n);
        EXPECT_EQ(io.CurrentRetentionTime(), e.rt);
    }
    CMassSpectrum s;
    EXPECT_FALSE(io.ReadDatasetSpectrum(4, s));
    EXPECT_FALSE(io.ReadDatasetSpectrum(0, s));
    EXPECT_FALSE(io.ReadDatasetSpectrum(-1, s));
    // Out of order and again: the same answers.
    ASSERT_TRUE(io.ReadDatasetSpectrum(2, s));
    EXPECT_EQ(s.GetCount(), 3);
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));
    EXPECT_EQ(s.GetCount(), 2);
    EXPECT_TRUE(s.IsCentroid());  // a reused spectrum starts afresh
}

TEST(TextDataset, TicEqualsTheSumOfEachSpectrum)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("three.txt", kThree)));
    LONG count = -1;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(count, times, sums));
    ASSERT_EQ(count, 3);
    ASSERT_EQ(times.size(), 3u);
    ASSERT_EQ(sums.size(), 3u);
    for (LONG n = 1; n <= count; ++n) {
        CMassSpectrum s;
        ASSERT_TRUE(io.ReadDatasetSpectrum(n, s));
        EXPECT_EQ(times[n - 1], s.GetStartRT());
        EXPECT_EQ(sums[n - 1], sumOf(s));
        EXPECT_EQ(sums[n - 1], s.GetTIC());
    }
    EXPECT_EQ(sums[0], 21);
    EXPECT_EQ(sums[1], 63);
    EXPECT_EQ(sums[2], 30);
}

TEST(TextDataset, FileWithoutHeadersIsOneSpectrumAtTimeZero)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("plain.txt", "Title\n100 5\n101 6\n")));
    EXPECT_EQ(io.SpectrumCount(), 1);
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));
    EXPECT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.GetTitle(), L"Title");
    EXPECT_EQ(s.GetStartRT(), 0);
    EXPECT_FALSE(io.ReadDatasetSpectrum(2, s));
    LONG count;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(count, times, sums));
    ASSERT_EQ(count, 1);
    EXPECT_EQ(times[0], 0);
    EXPECT_EQ(sums[0], 11);
}

TEST(TextDataset, HeaderWithoutEqualsIsCountedButNotRead)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("noeq.txt",
                                "retention time = 1\n100 5\n"
                                "retention time unknown\n200 6\n"
                                "retention time = 3\n300 7\n")));
    EXPECT_EQ(io.SpectrumCount(), 3);
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));
    EXPECT_EQ(s.GetCount(), 1);  // ends at the second header
    EXPECT_FALSE(io.ReadDatasetSpectrum(2, s));
    ASSERT_TRUE(io.ReadDatasetSpectrum(3, s));
    EXPECT_EQ(s.Masses()[0], 300);
    EXPECT_EQ(s.GetStartRT(), 3);
    // The chromatogram stops before the unreadable spectrum, and so does the
    // count from then on.
    LONG count;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(count, times, sums));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(io.SpectrumCount(), 1);
}

TEST(TextDataset, FirstHeaderWithoutEqualsReadsFromTheFirstLine)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("first.txt",
                                "Before\n50 1\n"
                                "retention time missing\n100 5\n"
                                "retention time = 2\n200 6\n")));
    EXPECT_EQ(io.SpectrumCount(), 2);
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));
    ASSERT_EQ(s.GetCount(), 1);
    EXPECT_EQ(s.Masses()[0], 50);
    EXPECT_EQ(s.GetTitle(), L"Before");
    EXPECT_EQ(s.GetStartRT(), 0);
    ASSERT_TRUE(io.ReadDatasetSpectrum(2, s));
    EXPECT_EQ(s.Masses()[0], 200);
    LONG count;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(count, times, sums));
    ASSERT_EQ(count, 2);
    EXPECT_EQ(times[0], 0);
    EXPECT_EQ(sums[0], 1);
    EXPECT_EQ(times[1], 2);
    EXPECT_EQ(sums[1], 6);
}

TEST(TextDataset, EmptyFirstBlockGivesAnEmptyChromatogram)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("gap.txt", "retention time = 1\ntext only\nretention time = 2\n100 5\n")));
    EXPECT_EQ(io.SpectrumCount(), 2);
    CMassSpectrum s;
    EXPECT_FALSE(io.ReadDatasetSpectrum(1, s));
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(s.GetStartRT(), 1);
    LONG count = -1;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(count, times, sums));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(times.empty());
    // A count of 0 means "not counted": the headers are counted again.
    EXPECT_EQ(io.SpectrumCount(), 2);
}

// A data line that mentions the keyword is a point, not a header.
TEST(TextDataset, DataLinesAreNeverHeaders)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("d.txt", "retention time = 1\n100 5 retention time = 9\n101 6\n")));
    EXPECT_EQ(io.SpectrumCount(), 1);
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));
    EXPECT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.GetStartRT(), 1);
}

// A header that also says "continuum" still ends the spectrum before it.
TEST(TextDataset, HeaderWinsOverContinuum)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("c.txt", "retention time = 1\n100 5\ncontinuum, retention time = 2\n200 6\n")));
    EXPECT_EQ(io.SpectrumCount(), 2);
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));
    EXPECT_EQ(s.GetCount(), 1);
    EXPECT_TRUE(s.IsCentroid());
    ASSERT_TRUE(io.ReadDatasetSpectrum(2, s));
    EXPECT_EQ(s.GetStartRT(), 2);
}

TEST(TextDataset, NothingOpen)
{
    CTextDataIO io;
    EXPECT_FALSE(io.IsOpen());
    EXPECT_EQ(io.SpectrumCount(), 0);
    CMassSpectrum s;
    EXPECT_FALSE(io.ReadDatasetSpectrum(1, s));
    LONG count = 5;
    std::vector<double> times, sums;
    EXPECT_FALSE(io.ReadTIC(count, times, sums));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(io.Open(wide(ks::test::tempDir() + "/missing.txt")));
    EXPECT_FALSE(io.Open(wide(ks::test::tempDir())));
    EXPECT_FALSE(io.IsOpen());
}

TEST(TextDataset, OpenReplacesAndCloseForgets)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("three.txt", kThree)));
    EXPECT_EQ(io.SpectrumCount(), 3);
    ASSERT_TRUE(io.Open(fixture("one.txt", "100 1\n")));
    EXPECT_EQ(io.SpectrumCount(), 1);
    io.Close();
    EXPECT_FALSE(io.IsOpen());
    EXPECT_EQ(io.SpectrumCount(), 0);
    io.Close();  // twice is harmless
    // A failed open closes the file that was open.
    ASSERT_TRUE(io.Open(fixture("three2.txt", kThree)));
    EXPECT_FALSE(io.Open(wide(ks::test::tempDir() + "/missing.txt")));
    EXPECT_FALSE(io.IsOpen());
}

// Single-spectrum reads and writes on the same object leave the dataset
// file where it was.
TEST(TextDataset, SpectrumReadsDoNotDisturbTheDataset)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(fixture("three.txt", kThree)));
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadDatasetSpectrum(2, s));
    CMassSpectrum single;
    ASSERT_TRUE(io.ReadSpectrum(fixture("single.txt", "5 5\n"), single));
    ASSERT_TRUE(io.WriteSpectrum(wide(kstext::tempPath("w.txt")), single));
    ASSERT_TRUE(io.ReadDatasetSpectrum(3, s));
    EXPECT_EQ(s.Masses()[0], 300);
    EXPECT_EQ(io.SpectrumCount(), 3);
}

}  // namespace
