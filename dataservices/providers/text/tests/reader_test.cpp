// The data-server reader over a text dataset: the operations it overrides
// and the framework defaults it keeps.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "massspectrum.h"
#include "textdataserver.h"
#include "textfixtures.h"

using kstext::fixture;
using kstext::wide;

namespace {

const char kThreeRuns[] =
    "Run header\r\n"
    "retention time = 0.5\r\n100 10\r\n101 11\r\n"
    "retention time = 1.0\r\n200 20\r\n201 21\r\n202 22\r\n"
    "retention time = 1.5\r\n300 30\r\n";

struct ValidCase {
    const wchar_t* path;
    bool valid;
};

TEST(TextReader, IsValidDatasetLooksAtTheLastFourCharacters)
{
    const ValidCase cases[] = {
        {L"/data/run.txt", true},    {L"/data/RUN.TXT", true},      {L"run.Txt", true},
        {L".txt", true},             {L"txt", false},               {L"", false},
        {L"/data/run.txt.bak", false}, {L"/data/run.text", false},  {L"/data/runtxt", false},
        {L"C:\\data\\spec.TXT", true},
    };
    CTextDataServerImpl reader;
    for (const auto& c : cases)
        EXPECT_EQ(reader.IsValidDataset(CString(c.path)), c.valid) << std::string(c.path, c.path + wcslen(c.path));
    // Not opened: a missing file with the right ending is accepted.
    EXPECT_TRUE(reader.IsValidDataset(CString(wide(kstext::tempPath("missing.txt")))));
}

TEST(TextReader, DatasetTypeAndDefaults)
{
    CTextDataServerImpl reader;
    EXPECT_EQ(reader.DatasetType(), L"KSTextProvider");
    ASSERT_EQ(reader.Open(CString(fixture("three.txt", kThreeRuns))), S_OK);
    EXPECT_EQ(reader.InjectionCount(), 1);
    EXPECT_EQ(reader.FunctionCount(0), 1);
    EXPECT_EQ(reader.FunctionName(0, 0), L"Function 1");
    EXPECT_EQ(reader.FunctionType(0, 0), FunctionTypeUnknown);
    EXPECT_EQ(reader.MSOrder(0, 0), 1);
    EXPECT_EQ(reader.TraceCount(0), 0);
}

TEST(TextReader, OpenAndCloseCodes)
{
    CTextDataServerImpl reader;
    EXPECT_EQ(reader.Open(CString(wide(kstext::tempPath("missing.txt")))), E_FAIL);
    EXPECT_EQ(reader.Open(CString(wide(ks::test::tempDir()))), E_FAIL);
    ASSERT_EQ(reader.Open(CString(fixture("three.txt", kThreeRuns))), S_OK);
    EXPECT_EQ(reader.SpectrumCount(0, 0), 3);
    EXPECT_EQ(reader.Close(), S_OK);
    EXPECT_EQ(reader.SpectrumCount(0, 0), 0);
    CMassSpectrum s;
    EXPECT_EQ(reader.Spectrum(0, 0, 0, s), E_FAIL);
    CChromatogram c;
    EXPECT_EQ(reader.TIC(true, 0, 0, c), E_FAIL);
    EXPECT_EQ(reader.Close(), S_OK);
}

TEST(TextReader, SpectraByZeroBasedIndex)
{
    CTextDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(fixture("three.txt", kThreeRuns))), S_OK);
    CMassSpectrum s;
    s.SetFunctionType(FunctionTypeSIM);
    ASSERT_EQ(reader.Spectrum(0, 0, 1, s), S_OK);
    EXPECT_EQ(s.GetCount(), 3);
    EXPECT_EQ(s.Masses()[0], 200);
    EXPECT_EQ(s.GetStartRT(), 1.0);
    EXPECT_EQ(s.GetFirstScan(), 2);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeUnknown);
    EXPECT_EQ(s.GetTIC(), 63);  // statistics of the new points
    ASSERT_EQ(reader.Spectrum(0, 0, 2, s), S_OK);
    EXPECT_EQ(s.GetTIC(), 30);
    EXPECT_EQ(reader.Spectrum(0, 0, 3, s), E_FAIL);
    EXPECT_EQ(reader.Spectrum(0, 0, -1, s), E_FAIL);
    EXPECT_EQ(reader.Spectrum(0, 0, INT_MAX, s), E_FAIL);
}

TEST(TextReader, TicInOnePassEqualsTheSpectraSums)
{
    CTextDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(fixture("three.txt", kThreeRuns))), S_OK);
    CChromatogram c;
    EXPECT_EQ(reader.TIC(false, 0, 0, c), CO_E_NOT_SUPPORTED);
    EXPECT_EQ(c.GetCount(), 1);  // untouched
    ASSERT_EQ(reader.TIC(true, 0, 0, c), S_OK);
    ASSERT_EQ(c.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        CMassSpectrum s;
        ASSERT_EQ(reader.Spectrum(0, 0, i, s), S_OK);
        EXPECT_EQ(c.Times()[i], s.GetStartRT());
        EXPECT_EQ(c.Intensities()[i], s.GetTIC());
    }
    // The framework's base-peak chromatogram over the same spectra.
    CChromatogram bpc;
    ASSERT_EQ(reader.BPC(true, 0, 0, bpc), S_OK);
    ASSERT_EQ(bpc.GetCount(), 3);
    EXPECT_EQ(bpc.Intensities()[0], 11);
    EXPECT_EQ(bpc.Intensities()[1], 22);
    EXPECT_EQ(bpc.Times()[2], 1.5);
}

TEST(TextReader, SpectrumIndexByRTComputesTheTicFirst)
{
    CTextDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(fixture("three.txt", kThreeRuns))), S_OK);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 1.1, FunctionRTProximityClosest), 1);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 1.1, FunctionRTProximityLess), 1);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 1.1, FunctionRTProximityGreater), 2);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0.1, FunctionRTProximityLess), -1);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 9.0, FunctionRTProximityClosest), 2);

    // A re-open forgets the times of the previous file.
    ASSERT_EQ(reader.Open(CString(fixture("two.txt", "retention time = 5\n1 1\nretention time = 6\n2 2\n"))), S_OK);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 5.9, FunctionRTProximityClosest), 1);
}

TEST(TextReader, SpectrumIndexByRTWithEmptyFirstBlockIsMinusOne)
{
    CTextDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(fixture("gap.txt", "retention time = 1\nno data\nretention time = 2\n100 5\n"))), S_OK);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 2.0, FunctionRTProximityClosest), -1);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 1.0, FunctionRTProximityClosest), -1);
}

TEST(TextReader, SpectrumRangeCoAddsThroughTheDefault)
{
    CTextDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(fixture("same.txt",
                                          "retention time = 1\n100 1\n200 2\n"
                                          "retention time = 2\n100 3\n200 4\n"))),
              S_OK);
    CMassSpectrum s;
    ASSERT_EQ(reader.SpectrumRange(0, 0, 0, 1, true, 0.01, s), S_OK);
    EXPECT_EQ(s.GetFirstScan(), 1);
    EXPECT_EQ(s.GetLastScan(), 2);
    EXPECT_EQ(s.GetStartRT(), 1);
    EXPECT_EQ(s.GetEndRT(), 2);
    EXPECT_DOUBLE_EQ(s.GetTIC(), 10);
}

// The bundled sample through the reader: the chromatogram is the sum of
// each spectrum's intensities.
TEST(TextReader, BundledSample)
{
    CTextDataServerImpl reader;
    const CString path(wide(std::string(KS_TEXT_SAMPLES_DIR) + "/text_dataset.txt"));
    ASSERT_TRUE(reader.IsValidDataset(path));
    ASSERT_EQ(reader.Open(path), S_OK);
    const int count = reader.SpectrumCount(0, 0);
    ASSERT_EQ(count, 24);
    CChromatogram tic;
    ASSERT_EQ(reader.TIC(true, 0, 0, tic), S_OK);
    ASSERT_EQ(tic.GetCount(), count);
    for (int i = 0; i < count; ++i) {
        CMassSpectrum s;
        ASSERT_EQ(reader.Spectrum(0, 0, i, s), S_OK);
        double sum = 0;
        for (LONG k = 0; k < s.GetCount(); ++k)
            sum += s.Intensities()[k];
        EXPECT_EQ(tic.Intensities()[i], sum);
    }
}

}  // namespace
