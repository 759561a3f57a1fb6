// A multi-spectrum file opened as a dataset: counting, reading by position,
// the total-ion chromatogram.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
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

// Plain point lines ("1234.5678\t12345.67", the bulk of a data file) are
// taken in one look at each byte; every other line goes through the line
// grammar. A file mixing them, larger than the reader's buffer so that
// lines straddle its refills, reads exactly as the line grammar reads each
// line: the dataset's spectra and chromatogram and the one-spectrum read.
TEST(TextDataset, PlainLinesReadAsTheLineGrammarReadsThem)
{
    std::mt19937 random(7);
    auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    auto decimal = [&](unsigned maxDigits) {
        std::string d = std::to_string(pick(100000));
        d += "." + std::to_string(pick(100000000)).substr(0, pick(maxDigits));
        return d;
    };
    const char* others[] = {"  12.5, 300", "+12.5 300", "1.5e2 2E-1", "100 20 30", "1234567890123456789.5 1",
                            "12345678901234567 2", "0.00000000000000000000000123 4", "100e 5", ".5 .25",
                            "100 -5", "5 6 \v", "1\r2", "text line", "100 word", "12\tcontinuum"};
    struct Block {
        std::vector<double> x, y;
    };
    std::vector<Block> blocks(1);
    std::vector<double> allX, allY;
    std::string file;
    for (int i = 0; i < 40000; ++i) {
        std::string line;
        if (i % 997 == 500) {
            line = "Scan " + std::to_string(blocks.size()) + ", retention time = " + std::to_string(i * 0.001);
            blocks.emplace_back();
        } else {
            switch (pick(8)) {
            case 0:
                line = others[pick(sizeof others / sizeof others[0])];
                break;
            case 1:
                line = decimal(9);  // one number: intensity 1.0
                break;
            case 2:
                line = " " + decimal(12) + " ,\t" + decimal(3) + " ";
                break;
            default:
                line = decimal(5) + "\t" + decimal(3);
                break;
            }
            double x, y;
            std::wstring text;
            if (CTextDataIO::ParseLine(line, false, x, y, text)) {
                blocks.back().x.push_back(x);
                blocks.back().y.push_back(y);
                allX.push_back(x);
                allY.push_back(y);
            }
        }
        file += line + (pick(2) ? "\r\n" : "\n");
    }
    ASSERT_GT(file.size(), 600000u);
    const std::wstring path = fixture("mixed.txt", file);
    auto sameArray = [](const double* a, const std::vector<double>& b) {
        return b.empty() || std::memcmp(a, b.data(), b.size() * sizeof(double)) == 0;
    };

    CTextDataIO io;
    ASSERT_TRUE(io.Open(path));
    const LONG count = io.SpectrumCount();
    ASSERT_EQ(count, static_cast<LONG>(blocks.size() - 1));
    LONG ticCount = 0;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(ticCount, times, sums));
    ASSERT_EQ(ticCount, count);
    CMassSpectrum s;
    for (LONG n = 1; n <= count; ++n) {
        const Block& b = blocks[static_cast<size_t>(n)];
        ASSERT_TRUE(io.ReadDatasetSpectrum(n, s)) << n;
        ASSERT_EQ(s.GetCount(), static_cast<LONG>(b.x.size())) << n;
        EXPECT_TRUE(sameArray(s.Masses(), b.x)) << n;
        EXPECT_TRUE(sameArray(s.Intensities(), b.y)) << n;
        double sum = 0;
        for (double v : b.y)
            sum += v;
        EXPECT_EQ(sums[static_cast<size_t>(n - 1)], sum) << n;
    }

    CMassSpectrum whole;
    ASSERT_TRUE(io.ReadSpectrum(path, whole));
    ASSERT_EQ(whole.GetCount(), static_cast<LONG>(allX.size()));
    EXPECT_TRUE(sameArray(whole.Masses(), allX));
    EXPECT_TRUE(sameArray(whole.Intensities(), allY));
}

}  // namespace
