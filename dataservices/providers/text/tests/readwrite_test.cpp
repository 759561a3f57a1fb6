// One spectrum per file: reading, writing, and what a read leaves behind.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <sys/stat.h>

#include "massspectrum.h"
#include "textdataio.h"
#include "textfixtures.h"

using kstext::fixture;
using kstext::tempPath;
using kstext::wide;

namespace {

bool fileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

CMassSpectrum makeSpectrum(std::initializer_list<std::pair<double, double>> points, bool centroid)
{
    CMassSpectrum s;
    s.SetSize(static_cast<LONG>(points.size()), false, false, false);
    LONG i = 0;
    for (const auto& p : points) {
        s.MassAt(i) = p.first;
        s.IntensityAt(i) = p.second;
        ++i;
    }
    s.SetCentroid(centroid);
    return s;
}

TEST(TextReadSpectrum, ContinuumInCapitalsMakesProfileWithEmptyTitle)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(fixture("a.txt", "CONTINUUM data follow\n100 5\n101 6\n"), s));
    EXPECT_FALSE(s.IsCentroid());
    EXPECT_EQ(s.GetTitle(), L"");
    ASSERT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.Masses()[1], 101);
    EXPECT_EQ(s.Intensities()[1], 6);
}

TEST(TextReadSpectrum, TextLinesJoinIntoTitleWithoutSeparator)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(fixture("a.txt", "Sample A\r\n.\r\n  Run 3\r\n+x\r\n100\t5\r\n"), s));
    EXPECT_EQ(s.GetTitle(), L"Sample ARun 3");
    EXPECT_TRUE(s.IsCentroid());
    ASSERT_EQ(s.GetCount(), 1);
    EXPECT_EQ(s.GetFirstScan(), 1);
    EXPECT_EQ(s.GetLastScan(), 1);
    EXPECT_EQ(s.GetStartRT(), 0);
    EXPECT_EQ(s.GetEndRT(), 0);
}

TEST(TextReadSpectrum, TitleBytesAreLatin1)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(fixture("l1.txt", "Probe \xE9\xDF\xFF\n100 5\n"), s));
    EXPECT_EQ(s.GetTitle(), L"Probe \u00e9\u00df\u00ff");
}

TEST(TextReadSpectrum, DataSourceStringIsCutAt1038Characters)
{
    const std::wstring longPath(2000, L'p');
    const std::wstring source = CTextDataIO::DataSourceOf(longPath);
    ASSERT_EQ(source.size(), 1038u);
    EXPECT_EQ(source.substr(0, 31), L"KSTextProvider.KSTextProvider; ");
    EXPECT_EQ(CTextDataIO::DataSourceOf(L"/a/b.txt"), L"KSTextProvider.KSTextProvider; /a/b.txt");
}

TEST(TextReadSpectrum, EmptyFileReadsWithoutPoints)
{
    CTextDataIO io;
    CMassSpectrum s;
    s.SetSize(3, false, false, false);
    s.SetTitle(L"old");
    s.SetCentroid(false);
    ASSERT_TRUE(io.ReadSpectrum(fixture("empty.txt", ""), s));
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(s.GetTitle(), L"");
    EXPECT_TRUE(s.IsCentroid());
}

TEST(TextReadSpectrum, LfAndCrLfReadAlike)
{
    const std::string lf = "Title\ncontinuum\n100 5\n101.5 7\n";
    std::string crlf;
    for (char c : lf) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    CTextDataIO io;
    CMassSpectrum a, b;
    ASSERT_TRUE(io.ReadSpectrum(fixture("lf.txt", lf), a));
    ASSERT_TRUE(io.ReadSpectrum(fixture("crlf.txt", crlf), b));
    EXPECT_EQ(a.GetTitle(), L"Title");
    EXPECT_EQ(b.GetTitle(), L"Title");
    ASSERT_EQ(a.GetCount(), 2);
    ASSERT_EQ(b.GetCount(), 2);
    EXPECT_EQ(a.Intensities()[1], b.Intensities()[1]);
    EXPECT_EQ(a.IsCentroid(), b.IsCentroid());
}

TEST(TextReadSpectrum, ListingLineSwitchesToThirdColumnForThatFileOnly)
{
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(fixture("list.txt", "100 20 30\nListing of peaks\n200 40 50\n"), s));
    ASSERT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.Intensities()[0], 20);  // before the listing line
    EXPECT_EQ(s.Intensities()[1], 50);
    EXPECT_EQ(s.GetTitle(), L"");       // the listing line is no title

    // The next file read by the same object is parsed as usual.
    ASSERT_TRUE(io.ReadSpectrum(fixture("plain.txt", "300 60 70\n"), s));
    ASSERT_EQ(s.GetCount(), 1);
    EXPECT_EQ(s.Intensities()[0], 60);

    // And so is a dataset opened afterwards.
    ASSERT_TRUE(io.Open(fixture("set.txt", "retention time = 1\n300 60 70\n")));
    ASSERT_TRUE(io.ReadDatasetSpectrum(1, s));
    EXPECT_EQ(s.Intensities()[0], 60);
}

// A title line longer than any fixed line buffer stays one title line: no
// part of it turns into a point.
TEST(TextReadSpectrum, LongTitleLineIsOneLine)
{
    std::string title(509, 'a');
    title += " 123 456 and more text";
    CTextDataIO io;
    CMassSpectrum s;
    ASSERT_TRUE(io.ReadSpectrum(fixture("long.txt", title + "\n100 5\n"), s));
    ASSERT_EQ(s.GetCount(), 1);
    EXPECT_EQ(s.Masses()[0], 100);
    EXPECT_EQ(s.GetTitle(), wide(title));
}

TEST(TextReadSpectrum, FolderAndDataSourceFollowTheRead)
{
    CTextDataIO io;
    CMassSpectrum s;
    const std::wstring path = fixture("spec.txt", "100 5\n");
    ASSERT_TRUE(io.ReadSpectrum(path, s));
    EXPECT_EQ(io.GetFolder(), wide(ks::test::tempDir() + "/"));
    EXPECT_EQ(io.GetDataSource(), L"KSTextProvider.KSTextProvider; " + path);
}

TEST(TextReadSpectrum, BackslashesAreSeparators)
{
    CTextDataIO io;
    CMassSpectrum s;
    fixture("spec.txt", "100 5\n");
    std::wstring path = wide(ks::test::tempDir() + "\\spec.txt");
    ASSERT_TRUE(io.ReadSpectrum(path, s));
    EXPECT_EQ(s.GetCount(), 1);
    EXPECT_EQ(io.GetFolder(), wide(ks::test::tempDir() + "/"));
}

TEST(TextReadSpectrum, FailuresAnswerFalse)
{
    CTextDataIO io;
    CMassSpectrum s;
    const std::wstring good = fixture("spec.txt", "100 5\n");
    EXPECT_FALSE(io.ReadSpectrum(wide(tempPath("missing.txt")), s));
    EXPECT_FALSE(io.ReadSpectrum(L"", s));
    EXPECT_FALSE(io.ReadSpectrum(wide(ks::test::tempDir()), s));  // a folder
    // A data-source string is not a path.
    EXPECT_FALSE(io.ReadSpectrum(CTextDataIO::DataSourceOf(good), s));
    EXPECT_EQ(io.GetDataSource(), L"");
}

TEST(TextWriteSpectrum, ProfileSpectrumByteForByte)
{
    CTextDataIO io;
    const CMassSpectrum s = makeSpectrum({{100, 5}, {101.5, 7}}, false);
    const std::string path = tempPath("out.txt");
    ASSERT_TRUE(io.WriteSpectrum(wide(path), s));
    EXPECT_EQ(ks::test::readFile(path), "continuum\r\n100.000000\t5.000000\r\n101.500000\t7.000000\r\n");
    EXPECT_EQ(io.GetFolder(), wide(ks::test::tempDir() + "/"));
    EXPECT_EQ(io.GetDataSource(), L"KSTextProvider.KSTextProvider; " + wide(path));
}

TEST(TextWriteSpectrum, CentroidValuesRoundToSixDecimals)
{
    CTextDataIO io;
    CMassSpectrum s = makeSpectrum({{0.1234564, -2.5}, {1e7, 0.0000004}, {99.9999999, 1234567.8912344}}, true);
    s.SetTitle(L"not written");
    const std::string path = tempPath("out.txt");
    ASSERT_TRUE(io.WriteSpectrum(wide(path), s));
    EXPECT_EQ(ks::test::readFile(path),
              "0.123456\t-2.500000\r\n10000000.000000\t0.000000\r\n100.000000\t1234567.891234\r\n");
}

TEST(TextWriteSpectrum, EmptyCentroidSpectrumGivesEmptyFile)
{
    CTextDataIO io;
    CMassSpectrum s;
    s.SetCentroid(true);
    const std::string path = tempPath("empty.txt");
    ASSERT_TRUE(io.WriteSpectrum(wide(path), s));
    EXPECT_TRUE(fileExists(path));
    EXPECT_EQ(ks::test::readFile(path), "");
}

// Numbers stay in the "C" form whatever locale the process runs in.
TEST(TextWriteSpectrum, CLocaleNumbersUnderAnotherLocale)
{
    std::string whyNot;
    const std::string comma = ks::test::makeCommaLocale(&whyNot);
    if (comma.empty())
        GTEST_SKIP() << "no decimal-comma locale: " << whyNot;
    const std::string previous = setlocale(LC_ALL, nullptr);
    ASSERT_NE(setlocale(LC_ALL, comma.c_str()), nullptr);
    EXPECT_STREQ(localeconv()->decimal_point, ",");
    CTextDataIO io;
    const CMassSpectrum s = makeSpectrum({{100.25, 5.5}}, true);
    const std::string path = tempPath("out.txt");
    const bool written = io.WriteSpectrum(wide(path), s);
    CMassSpectrum back;
    const bool read = io.ReadSpectrum(wide(path), back);
    setlocale(LC_ALL, previous.c_str());
    ASSERT_TRUE(written);
    ASSERT_TRUE(read);
    EXPECT_EQ(ks::test::readFile(path), "100.250000\t5.500000\r\n");
    ASSERT_EQ(back.GetCount(), 1);
    EXPECT_EQ(back.Masses()[0], 100.25);
    EXPECT_EQ(back.Intensities()[0], 5.5);
}

TEST(TextWriteSpectrum, RoundTripKeepsPointsAndCentroidFlag)
{
    CTextDataIO io;
    CMassSpectrum s = makeSpectrum({{50.125, 1}, {60.5, 2.25}, {70.875, 3.5}}, false);
    s.SetTitle(L"dropped");
    const std::string path = tempPath("rt.txt");
    ASSERT_TRUE(io.WriteSpectrum(wide(path), s));
    CMassSpectrum back;
    ASSERT_TRUE(io.ReadSpectrum(wide(path), back));
    ASSERT_EQ(back.GetCount(), 3);
    for (LONG i = 0; i < 3; ++i) {
        EXPECT_EQ(back.Masses()[i], s.Masses()[i]);
        EXPECT_EQ(back.Intensities()[i], s.Intensities()[i]);
    }
    EXPECT_FALSE(back.IsCentroid());
    EXPECT_EQ(back.GetTitle(), L"");
}

TEST(TextWriteSpectrum, FailuresLeaveNoFileAndNoState)
{
    CTextDataIO io;
    const CMassSpectrum s = makeSpectrum({{100, 5}}, true);
    EXPECT_FALSE(io.WriteSpectrum(wide(tempPath("no/such/folder/x.txt")), s));
    EXPECT_FALSE(fileExists(tempPath("no")));
    EXPECT_EQ(io.GetDataSource(), L"");
    EXPECT_EQ(io.GetFolder(), L"");
}

TEST(TextWriteSpectrum, WriteErrorIsReportedAsFailure)
{
    if (!fileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    CTextDataIO io;
    const CMassSpectrum s = makeSpectrum({{100, 5}}, true);
    EXPECT_FALSE(io.WriteSpectrum(L"/dev/full", s));
    EXPECT_TRUE(fileExists("/dev/full"));  // a device is never removed
    EXPECT_EQ(io.GetDataSource(), L"");
}

}  // namespace
