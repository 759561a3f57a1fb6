// Comparison of stacked spectra, region weights and the verification
// score, over the host stand-in.
#include "arrayops.h"
#include "compare.h"
#include "dataproclib.h"
#include "frame.h"
#include "lumatrahost.h"
#include "verification.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace yarbex;
using namespace lumatra;

namespace {

// 1024 points; 1 point per Hz, 100 MHz: 100 points per ppm, 0 ppm at 1000.
constexpr uint32_t kN = 1024;

std::unique_ptr<HostSpectrum> spectrum(std::initializer_list<std::array<double, 2>> lines)
{
    auto s = std::make_unique<HostSpectrum>(kN, true);
    s->hasDescription = true;
    s->description = SpectrumDescription{kN, kN, 0.0f, 1024.0f, -24.0f, 100.0f};
    for (uint32_t i = 0; i < kN; ++i) {
        double v = 0.01;
        for (const auto& l : lines)
            v += l[1] / (1 + std::pow((i - l[0]) / 4.0, 2));
        s->samples[i] = float(v);
    }
    return s;
}

class CompareTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dllCommand(FrameDelete, nullptr);
        VersionRecord v{};
        dllCommand(FrameVersion, &v);
        for (double pos : {300.0, 310.0, 330.0, 600.0})
            owned.push_back(spectrum({{pos, 10}, {700, 5}}));
    }
    void TearDown() override { dllCommand(FrameDelete, nullptr); }

    HostStack stackOf(std::initializer_list<size_t> which)
    {
        HostStack s;
        for (size_t k : which)
            s.spectra.push_back(owned[k].get());
        return s;
    }
    // Runs a comparison, capturing what would have been shown.
    uint32_t run(HostStack* stack, uint32_t mode, uint32_t flags, double* params, uint32_t capacity)
    {
        uint32_t result = 7;
        testing::internal::CaptureStderr();
        const uint32_t r = compareSpectra(stack, mode, flags, params, capacity, &result);
        shown = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, 0u);
        return r;
    }

    std::vector<std::unique_ptr<HostSpectrum>> owned;
    std::string shown;
};

}  // namespace

TEST_F(CompareTest, RefusalsAndCounts)
{
    double params[8] = {0, 1, 8, 2, 0.1, 1, 0, 0};
    HostStack one = stackOf({0});
    EXPECT_EQ(run(&one, 20002, 0, params, 8), 18u);
    EXPECT_NE(shown.find("At least 2 stacked spectra are needed"), std::string::npos);
    HostStack empty;
    EXPECT_EQ(run(&empty, 12345, 0, params, 8), 18u);
    HostStack two = stackOf({0, 1});
    EXPECT_EQ(run(&two, 12345, 0, params, 8), 6u);
    EXPECT_EQ(run(&two, 20002, 0, nullptr, 8), 18u);
    EXPECT_EQ(run(nullptr, 20002, 0, params, 8), 18u);

    // A spectral width of 0 gives no geometry.
    owned[1]->description.spectralWidth = 0;
    HostStack bad = stackOf({1, 0});
    EXPECT_EQ(run(&bad, 20002, 0, params, 8), 5u);
    // Another size than spectrum 0: 27.
    HostSpectrum shorter(512, true);
    shorter.samples.assign(512, 1.0f);
    HostStack mixed;
    mixed.spectra = {owned[0].get(), &shorter};
    EXPECT_EQ(run(&mixed, 20002, 0, params, 8), 27u);
}

TEST_F(CompareTest, IdenticalSpectraAndOneSubRegion)
{
    HostStack same = stackOf({0, 0, 0});
    double params[8] = {0, 1, 8, 2, 0.1, 1, 0, 0};
    ASSERT_EQ(run(&same, 20002, 0, params, 8), 0u);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(params[k], 0.0) << k;

    HostStack two = stackOf({0, 1});
    double p2[8] = {0, 1, 8, 2, 0.1, 1, 0, 0};
    ASSERT_EQ(run(&two, 20002, 0, p2, 8), 0u);
    EXPECT_GT(p2[0], 0.0);
    EXPECT_DOUBLE_EQ(p2[0], p2[1]);  // one sub-region: the region itself

    // The region distance is the windowed distance over the region's points.
    std::vector<double> a(owned[0]->samples.begin(), owned[0]->samples.end());
    std::vector<double> b(owned[1]->samples.begin(), owned[1]->samples.end());
    double d = 0;
    ASSERT_EQ(windowedCumulativeDistance(kN, a.data(), b.data(), &d, 1000 - 800, 1000 - 200, 0.1 * 100), 0u);
    EXPECT_DOUBLE_EQ(p2[0], d);
}

TEST_F(CompareTest, GlobalModeReportsAndWritesNothing)
{
    HostStack s = stackOf({0, 1, 3});
    double params[4] = {0, 1, 42, 43};
    ASSERT_EQ(run(&s, 20001, 0x10, params, 4), 0u);
    EXPECT_EQ(params[2], 42.0);
    EXPECT_EQ(params[0], 0.0);
    std::vector<double> a(owned[0]->samples.begin(), owned[0]->samples.end());
    std::vector<double> b(owned[3]->samples.begin(), owned[3]->samples.end());
    double d = 0;
    cumulativeDistance(kN, a.data(), b.data(), &d);
    char line[64];
    std::snprintf(line, sizeof line, "Spectrum 2: %g\n", d);
    EXPECT_NE(shown.find("Distance (0-1) from Spectrum 0 to:\n\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find(line), std::string::npos) << shown;
}

TEST_F(CompareTest, BoundariesPairsCapacityAndTransform)
{
    HostStack three = stackOf({0, 1, 2});
    // Mode 20003 with m = 2 and boundaries (8, 5, 2) ppm.
    double params[10] = {0, 1, 0.1, 2, 8, 5, 2, 0, 0, 0};
    ASSERT_EQ(run(&three, 20003, 0x10, params, 10), 0u);
    EXPECT_NE(shown.find("Region [8.00,2.00] ppm; edge: 0.10 ppm; sub-regions: 2\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("in [8.00,5.00] ppm\n"), std::string::npos);
    EXPECT_NE(shown.find("in [5.00,2.00] ppm\n"), std::string::npos);
    EXPECT_NE(shown.find("   Spectrum 2: global = "), std::string::npos);

    // Every pair with m = 0: (0,1), (0,2), (1,2).
    double pairs[8] = {0, 1, 8, 2, 0.1, 0, 0, 0};
    ASSERT_EQ(run(&three, 20002, 0x1000, pairs, 8), 0u);
    double single[8] = {0, 1, 8, 2, 0.1, 0, 0, 0};
    HostStack oneTwo = stackOf({1, 2});
    ASSERT_EQ(run(&oneTwo, 20002, 0, single, 8), 0u);
    EXPECT_DOUBLE_EQ(pairs[2], single[0]);
    EXPECT_GT(pairs[1], pairs[0]);  // 0-2 are further apart than 0-1
    EXPECT_EQ(pairs[3], 2.0);  // past the results: the input stays

    // Capacity 0: nothing written, the report lists everything.
    double none[8] = {0, 1, 8, 2, 0.1, 1, 0, 0};
    ASSERT_EQ(run(&three, 20002, 0x10, none, 0), 0u);
    EXPECT_EQ(none[0], 0.0);
    EXPECT_EQ(none[2], 8.0);
    EXPECT_NE(shown.find("   Spectrum 2: global = "), std::string::npos);

    // t = 1 with s = 0.05 uses the exponent 0.1.
    double low[8] = {1, 0.05, 8, 2, 0.1, 0, 0, 0};
    double tenth[8] = {1, 0.1, 8, 2, 0.1, 0, 0, 0};
    double plain[8] = {0, 0.1, 8, 2, 0.1, 0, 0, 0};
    HostStack two = stackOf({0, 1});
    ASSERT_EQ(run(&two, 20002, 0, low, 8), 0u);
    ASSERT_EQ(run(&two, 20002, 0, tenth, 8), 0u);
    ASSERT_EQ(run(&two, 20002, 0, plain, 8), 0u);
    EXPECT_DOUBLE_EQ(low[0], tenth[0]);
    EXPECT_NE(low[0], plain[0]);
}

TEST_F(CompareTest, ReportGrowsBeyondItsFirstBuffer)
{
    HostStack s = stackOf({0, 1, 2, 3});
    double params[8] = {0, 1, 9, 1, 0.1, 300, 0, 0};
    ASSERT_EQ(run(&s, 20002, 0x10, params, 0), 0u);
    // 3 spectra x 300 sub-region lines of about 30 characters each.
    EXPECT_GT(shown.size(), 20000u);
    size_t lines = 0;
    for (size_t at = shown.find("\tin ["); at != std::string::npos; at = shown.find("\tin [", at + 1))
        ++lines;
    EXPECT_EQ(lines, 900u);
}

TEST_F(CompareTest, RegionWeights)
{
    HostSpectrum& s = *owned[0];
    double* w = nullptr;
    // No multiplet list: a warning and weights of 1.
    testing::internal::CaptureStderr();
    ASSERT_EQ(regionWeights(&s, &w), 0u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Undefined solvent"), std::string::npos);
    for (uint32_t k = 0; k < kN; ++k)
        ASSERT_EQ(w[k], 1.0);
    std::free(w);

    // A singlet of width 0 at 5 ppm (point 500): 21 points zeroed.
    HostMultipletList m;
    m.add(5.0, 0.0, 1, 0.0);
    s.multipletList = &m;
    ASSERT_EQ(regionWeights(&s, &w), 0u);
    for (uint32_t k = 490; k <= 510; ++k)
        EXPECT_EQ(w[k], 0.0) << k;
    EXPECT_NEAR(w[520], 1 - std::exp(-1.0), 1e-15);
    EXPECT_NEAR(w[480], 1 - std::exp(-1.0), 1e-15);
    EXPECT_NEAR(w[100], 1.0, 1e-15);
    std::free(w);

    EXPECT_EQ(regionWeights(nullptr, &w), 10u);
    EXPECT_EQ(regionWeights(&s, nullptr), 11u);
    s.hasDescription = false;
    EXPECT_EQ(regionWeights(&s, &w), 0x40000005u);
    s.multipletList = nullptr;
}

TEST_F(CompareTest, WeightedComparisonMasksTheSolvent)
{
    // The spectra differ only inside the multiplet: masked, they agree.
    auto a = spectrum({{300, 10}});
    auto b = spectrum({{300, 10}});
    a->samples[500] += 50.0f;
    b->samples[505] += 50.0f;
    HostMultipletList m;
    m.add(5.0, 0.6, 1, 0.0);  // 60 points wide, 30 each side
    a->multipletList = &m;
    HostStack s;
    s.spectra = {a.get(), b.get()};
    double masked[8] = {0, 1, 9, 1, 0.1, 0, 0, 0};
    double open[8] = {0, 1, 9, 1, 0.1, 0, 0, 0};
    ASSERT_EQ(run(&s, 20002, 0x800, masked, 8), 0u);
    ASSERT_EQ(run(&s, 20002, 0, open, 8), 0u);
    EXPECT_GT(open[0], 0.0);
    EXPECT_EQ(masked[0], 0.0);
}

TEST_F(CompareTest, VerificationScores)
{
    HostStack three = stackOf({0, 1, 2});
    cVqNmrVerification v(0);
    ASSERT_TRUE(v.valid());
    VerificationRecord& r = v.record;
    EXPECT_EQ(r.owner, &v);
    EXPECT_EQ(r.capacity, 1000u);
    EXPECT_EQ(r.word12, 256u);
    EXPECT_EQ(r.word14, 1.0);

    // Mode 0 does nothing; counts[0] is 0.
    EXPECT_EQ(v.run(), 0u);
    EXPECT_EQ(r.counts[0], 0u);

    // Mode 1 equals comparison mode 20002 on the same stack.
    double params[8] = {0, 1, 8, 2, 0.1, 2, 0, 0};
    double compared[8] = {0, 1, 8, 2, 0.1, 2, 0, 0};
    r.mode = 1;
    r.params = params;
    r.stack = &three;
    ASSERT_EQ(v.run(), 0u);
    EXPECT_EQ(r.mode, 0u);
    ASSERT_EQ(r.counts[1], (3u - 1) * (2 + 1));
    ASSERT_EQ(run(&three, 20002, 0, compared, 8), 0u);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(r.results[1][k], compared[k]) << k;
    // A second run without a mode does nothing to the scores.
    EXPECT_EQ(v.run(), 0u);
    EXPECT_EQ(r.counts[1], 6u);

    // Identical spectra with m = 2: six zero scores.
    HostStack same = stackOf({0, 0, 0});
    r.mode = 1;
    r.stack = &same;
    ASSERT_EQ(v.run(), 0u);
    ASSERT_EQ(r.counts[1], 6u);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(r.results[1][k], 0.0);

    // Mode 2 with boundaries (8, 5, 2).
    double bounds[8] = {0, 1, 0.1, 2, 8, 5, 2, 0};
    r.mode = 2;
    r.params = bounds;
    r.stack = &three;
    ASSERT_EQ(v.run(), 0u);
    EXPECT_EQ(r.counts[2], 6u);

    // More than 1000 scores: the first 1000 are kept.
    double many[8] = {0, 1, 9, 1, 0.1, 600, 0, 0};
    r.mode = 1;
    r.params = many;
    ASSERT_EQ(v.run(), 0u);
    EXPECT_EQ(r.counts[1], 1000u);

    // Mode 3: 6, no box, the mode stays.
    r.mode = 3;
    EXPECT_EQ(v.run(), 6u);
    EXPECT_EQ(r.mode, 3u);

    // Missing stack or parameters: 18 with the box; counts cleared.
    r.mode = 1;
    r.stack = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(v.run(), 18u);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("At least 2 stacked spectra"), std::string::npos);
    EXPECT_EQ(r.counts[1], 0u);
    r.mode = 1;
    r.stack = &three;
    r.params = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(v.run(), 18u);
    testing::internal::GetCapturedStderr();
    // A spectral width of 0 is refused.
    owned[0]->description.spectralWidth = 0;
    r.mode = 1;
    r.params = params;
    testing::internal::CaptureStderr();
    EXPECT_EQ(v.run(), 5u);
    testing::internal::GetCapturedStderr();
}

TEST_F(CompareTest, VerificationThroughTheStaticInterface)
{
    Host host;
    IDataProcLib* lib = setupLibrary(&host);
    ASSERT_NE(lib, nullptr);
    IDataProcStatic* s = lib->staticInterface();
    VerificationRecord* r = s->createVerification();
    ASSERT_NE(r, nullptr);
    HostStack two = stackOf({0, 1});
    double params[8] = {0, 1, 8, 2, 0.1, 1, 0, 0};
    r->mode = 1;
    r->stack = &two;
    r->params = params;
    EXPECT_EQ(s->runVerification(r), 0u);
    EXPECT_EQ(r->counts[1], 2u);
    double compared[8] = {0, 1, 8, 2, 0.1, 1, 0, 0};
    uint32_t result = 9;
    EXPECT_EQ(s->compareSpectra(&two, 20002, 0, compared, 8, &result), 0u);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(compared[0], r->results[1][0]);
    EXPECT_EQ(s->releaseVerification(&r), 0u);
    EXPECT_EQ(r, nullptr);
    EXPECT_EQ(s->releaseVerification(&r), 0u);
    EXPECT_EQ(s->releaseVerification(nullptr), 0u);
    lib->release();
}
