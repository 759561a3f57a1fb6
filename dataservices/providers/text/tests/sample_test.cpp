// The bundled sample dataset: what it holds, and that its script makes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "massspectrum.h"
#include "textdataio.h"
#include "textfixtures.h"

using kstext::wide;

namespace {

const std::string kSample = std::string(KS_TEXT_SAMPLES_DIR) + "/text_dataset.txt";

TEST(TextSample, ReadsAsTwentyFourSpectraWithTheirTimes)
{
    CTextDataIO io;
    ASSERT_TRUE(io.Open(wide(kSample)));
    ASSERT_EQ(io.SpectrumCount(), 24);
    LONG count;
    std::vector<double> times, sums;
    ASSERT_TRUE(io.ReadTIC(count, times, sums));
    ASSERT_EQ(count, 24);
    LONG points = 0;
    for (LONG n = 1; n <= count; ++n) {
        CMassSpectrum s;
        ASSERT_TRUE(io.ReadDatasetSpectrum(n, s)) << n;
        EXPECT_NEAR(s.GetStartRT(), 0.10 + 0.05 * (n - 1), 1e-9) << n;
        EXPECT_EQ(times[n - 1], s.GetStartRT());
        EXPECT_EQ(sums[n - 1], s.GetTIC());
        EXPECT_EQ(s.GetTitle(), L"Synthetic mixture, scan " + std::to_wstring(n));
        EXPECT_TRUE(s.IsCentroid());
        for (LONG i = 1; i < s.GetCount(); ++i)
            EXPECT_LT(s.Masses()[i - 1], s.Masses()[i]);
        points += s.GetCount();
    }
    EXPECT_EQ(points, 556);
    // The compounds elute: the chromatogram rises well above its ends.
    const double top = *std::max_element(sums.begin(), sums.end());
    EXPECT_GT(top, 20 * sums.front());
    EXPECT_GT(top, 20 * sums.back());
}

TEST(TextSample, ScriptReproducesTheCommittedFile)
{
    const std::string python = KS_PYTHON3;
    if (python.empty())
        GTEST_SKIP() << "no Python 3 interpreter found at configure time";
    const std::string out = kstext::tempPath("regenerated.txt");
    const auto r = ks::test::run({python, std::string(KS_TEXT_SAMPLES_DIR) + "/make_sample.py", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string committed = ks::test::readFile(kSample);
    ASSERT_FALSE(committed.empty());
    EXPECT_EQ(ks::test::readFile(out), committed);
}

}  // namespace
