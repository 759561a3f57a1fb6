#include <gtest/gtest.h>

#include <ostream>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kstest.h"
#include "massaxismodel.h"
#include "polynomialfit.h"

namespace {

CMassSpectrum profile(const std::vector<double>& mz, const std::vector<double>& intensity)
{
    CMassSpectrum s;
    s.SetCentroid(false);
    s.SetSize(static_cast<LONG>(mz.size()), false, false, false);
    for (size_t i = 0; i < mz.size(); ++i) {
        s.Masses()[i] = mz[i];
        s.Intensities()[i] = intensity.empty() ? 1.0 : intensity[i];
    }
    s.Invalidate();
    return s;
}

std::vector<double> evenAxis(double start, double step, int n)
{
    std::vector<double> m(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        m[static_cast<size_t>(i)] = start + step * i;
    return m;
}

TEST(PolynomialFit, OrderNeedsOrderPlusOnePoints)
{
    CPolynomialFit fit;
    for (int i = 0; i < 3; ++i)
        fit.Add(i, i * i);
    EXPECT_FALSE(fit.Fit(3));
    EXPECT_TRUE(fit.GetCoefficients().empty());
    EXPECT_EQ(fit.Evaluate(1.0), 0.0);
    fit.Add(3, 9);
    EXPECT_TRUE(fit.Fit(3));
    EXPECT_EQ(fit.GetCoefficients().size(), 4u);
}

TEST(PolynomialFit, CapacityFourKeepsFirstFifthNinth)
{
    CPolynomialFit fit(4);
    for (int i = 1; i <= 10; ++i)
        fit.Add(i, 100 + i);
    EXPECT_EQ(fit.GetX(), (std::vector<double>{1, 5, 9}));
    EXPECT_EQ(fit.GetY(), (std::vector<double>{101, 105, 109}));
    EXPECT_EQ(fit.GetStride(), 4);
    EXPECT_EQ(fit.GetXOffset(), 1.0);
    EXPECT_EQ(fit.GetYOffset(), 101.0);
}

TEST(PolynomialFit, RecoversExactPolynomial)
{
    CPolynomialFit fit;
    for (int i = 0; i < 20; ++i) {
        const double x = 300 + 10.0 * i;
        fit.Add(x, 0.002 + 1e-5 * (x - 300) + 3e-8 * (x - 300) * (x - 300));
    }
    ASSERT_TRUE(fit.Fit(2));
    for (double x : {300.0, 355.0, 490.0})
        EXPECT_NEAR(fit.Evaluate(x), 0.002 + 1e-5 * (x - 300) + 3e-8 * (x - 300) * (x - 300), 1e-12);
}

// An independent least-squares fit of the same noisy points.
TEST(PolynomialFit, MatchesNumpyOnNoisyData)
{
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 1e-4);
    std::vector<double> xs, ys;
    CPolynomialFit fit;
    for (int i = 0; i < 200; ++i) {
        const double x = 150 + 4.25 * i;
        const double y = 0.01 + 2e-5 * x + 1e-9 * x * x + noise(rng);
        xs.push_back(x);
        ys.push_back(y);
        fit.Add(x, y);
    }
    ASSERT_TRUE(fit.Fit(3));
    std::ostringstream script;
    script.precision(17);
    script << "import numpy as np\nx=np.array([";
    for (double x : xs)
        script << x << ",";
    script << "])\ny=np.array([";
    for (double y : ys)
        script << y << ",";
    script << "])\nc=np.polynomial.polynomial.polyfit(x-x.min(), y-y.min(), 3)\n"
              "for v in (150.0, 600.0, 990.0): print(repr(float(y.min()+np.polynomial.polynomial.polyval(v-x.min(), c))))\n";
    const ks::test::RunResult r = ks::test::run({"/usr/bin/python3", "-c", script.str()});
    if (r.exitCode != 0)
        GTEST_SKIP() << "numpy not available: " << r.err;
    std::istringstream in(r.out);
    for (double x : {150.0, 600.0, 990.0}) {
        double expected = 0;
        in >> expected;
        EXPECT_NEAR(fit.Evaluate(x), expected, 1e-9) << x;
    }
}

TEST(PolynomialFit, SingularMatrixIsReportedOnStandardOutput)
{
    CPolynomialFit fit;
    for (int i = 0; i < 5; ++i)
        fit.Add(42.0, 1.0 + i);  // one x only: the higher rows are all zero
    testing::internal::CaptureStdout();
    EXPECT_TRUE(fit.Fit(2));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Singular matrix in routine LUDecomposition"), std::string::npos);
    EXPECT_EQ(out.find('\n'), std::string::npos);
}

TEST(LUDecomposition, SolvesPivotedSystem)
{
    // The first pivot is 0: a row swap is required.
    double a[9] = {0, 2, 1, 1, 1, 1, 2, 1, 3};
    int perm[3];
    double parity = 0;
    LUDecomposition(a, 3, perm, &parity);
    // 2y + z = 7; x + y + z = 6; 2x + y + 3z = 13: x, y, z = 1, 2, 3.
    double b[3] = {7, 6, 13};
    LUBackSubstitution(a, 3, perm, b);
    EXPECT_NEAR(b[0], 1.0, 1e-12);
    EXPECT_NEAR(b[1], 2.0, 1e-12);
    EXPECT_NEAR(b[2], 3.0, 1e-12);
}

struct JumpCase {
    const char* name;
    std::vector<double> mz;
    bool expected;
};

void PrintTo(const JumpCase& c, std::ostream* os)
{
    *os << c.name;
}

class SpacingJumps : public ::testing::TestWithParam<JumpCase> {};

TEST_P(SpacingJumps, Detects)
{
    EXPECT_EQ(CMassAxisModel::HasSpacingJumps(profile(GetParam().mz, {})), GetParam().expected)
        << GetParam().name;
}

std::vector<double> withGapAt(int at)
{
    std::vector<double> m = evenAxis(100, 0.1, 20);
    for (size_t i = static_cast<size_t>(at); i < m.size(); ++i)
        m[i] += 0.1;
    return m;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpacingJumps,
    ::testing::Values(
        JumpCase{"constant 0.1", evenAxis(100, 0.1, 20), false},
        JumpCase{"one 0.2 spacing in the middle", withGapAt(10), true},
        // Spacings 1, 2, 1, 2, 1, 2: the jump at the third point has no second
        // earlier spacing to be measured against, every later jump equals it.
        JumpCase{"alternating spacings", {0, 1, 3, 4, 6, 7, 9}, false},
        JumpCase{"0.2 spacing at the third point", withGapAt(2), true},
        JumpCase{"0.2 spacing at the fourth point", withGapAt(3), true},
        JumpCase{"two points", {1, 2}, false},
        JumpCase{"steady growth", {100, 100.1, 100.21, 100.331, 100.4641, 100.61051}, false},
        // The spacing drops to a third and stays there.
        JumpCase{"drop that persists", {0, 3, 6, 9, 10, 11, 12, 13, 14}, true},
        // Climbing back at once is a jump of its own; a gradual recovery is not.
        JumpCase{"drop then jump back", {0, 3, 6, 9, 10, 11, 14, 17, 20}, true},
        JumpCase{"drop then gradual recovery", {0, 3, 6, 9, 10, 11, 12.5, 14.5, 17}, false}),
    [](const ::testing::TestParamInfo<JumpCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(MassAxisModel, EmptySpectrumGivesMinimumSpacing)
{
    CMassAxisModel model;
    EXPECT_EQ(model.Build(CMassSpectrum()), 0);
    EXPECT_EQ(model.SpacingAbove(500), 1e-6);
    EXPECT_EQ(model.SpacingBelow(500), 1e-6);
}

TEST(MassAxisModel, ZeroIntensitiesFitWholeAxis)
{
    CMassAxisModel model;
    const std::vector<double> m = evenAxis(100, 0.5, 11);
    EXPECT_EQ(model.Build(profile(m, std::vector<double>(11, 0.0))), 9);  // the last spacing is never sampled
    EXPECT_EQ(model.SpacingAbove(102), 0.5);
    EXPECT_EQ(model.SpacingBelow(700), 0.5);
    EXPECT_EQ(model.GetMinimumSpacing(), 0.25);
    ASSERT_NE(model.GetAboveFit(), nullptr);
    EXPECT_EQ(model.GetAboveFit()->GetX().front(), 100.0);
    EXPECT_EQ(model.GetBelowFit()->GetX().front(), 100.5);
}

TEST(MassAxisModel, FitWholeOfOnePointDividesNothing)
{
    CMassAxisModel model;
    const double m[1] = {250.0};
    EXPECT_EQ(model.FitWhole(m, 0), 0);
    EXPECT_EQ(model.GetMinimumSpacing(), 1e-6);
    EXPECT_EQ(model.Build(profile({250.0}, {0.0})), 0);
    EXPECT_EQ(model.SpacingAbove(250), 1e-6);
    EXPECT_TRUE(std::isfinite(model.GetMinimumSpacing()));
}

TEST(MassAxisModel, FitWholeTrustsNoSpacingBelowBothNeighbours)
{
    CMassAxisModel model;
    // Spacings 1, 1, 0.25, 1, 1, 0.5, 0.5, 1: the lone 0.25 is noise, the
    // 0.5 next to another 0.5 is trusted.
    const double m[] = {0, 1, 2, 2.25, 3.25, 4.25, 4.75, 5.25, 6.25};
    EXPECT_EQ(model.FitWhole(m, 8), 7);
    EXPECT_EQ(model.GetMinimumSpacing(), 0.25);
}

TEST(MassAxisModel, SegmentsSampleMedianAndLargerSpacing)
{
    // Segment [1, 5]: spacings 1, 0.5, 2 from index 1 (median 1 at index 1);
    // segment [7, 9]: spacings 0.25, 0.75 (the larger at index 8).
    const std::vector<double> m = {0, 1, 2, 2.5, 4.5, 5, 6, 7, 7.25, 8, 9, 10};
    const std::vector<double> y = {0, 0, 4, 4, 4, 0, 0, 0, 2, 0, 0, 0};
    CMassAxisModel model;
    EXPECT_EQ(model.Build(profile(m, y)), 2);
    EXPECT_EQ(model.GetAboveFit()->GetX(), (std::vector<double>{1, 7.25}));
    EXPECT_EQ(model.GetAboveFit()->GetY(), (std::vector<double>{1, 0.75}));
    EXPECT_EQ(model.GetBelowFit()->GetX(), (std::vector<double>{2, 8}));
    EXPECT_EQ(model.GetMinimumSpacing(), 0.375);
    EXPECT_NEAR(model.SpacingAbove(4.125), 0.875, 1e-12);  // order 1 through both samples
}

TEST(MassAxisModel, MedianTiesGoToFirstEqualSpacing)
{
    CMassAxisModel model;
    // Spacings 1, 0.5, 0.5: the median 0.5 is the one at index 1.
    const double m[] = {0, 1, 1.5, 2, 3};
    EXPECT_EQ(model.FitSegments(m, 4, {{0, 3}}), 1);
    EXPECT_EQ(model.GetAboveFit()->GetX(), (std::vector<double>{1}));
    EXPECT_EQ(model.GetBelowFit()->GetX(), (std::vector<double>{1.5}));
}

TEST(MassAxisModel, LongAxisKeepsBoundedSamples)
{
    const int n = 1000000;
    std::vector<double> m(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        m[static_cast<size_t>(i)] = std::pow(10.0 + 0.0001 * i, 2);
    CMassAxisModel model;
    const LONG samples = model.Build(profile(m, std::vector<double>(m.size(), 0.0)));
    EXPECT_LE(samples, 1000);
    EXPECT_GE(samples, 990);
    EXPECT_LE(model.GetAboveFit()->GetPointCount(), 1001);
    // The spacing grows linearly with the square root: the fit follows it.
    const double x = std::pow(10.0 + 0.0001 * 500000, 2);
    const double expected = std::pow(10.0 + 0.0001 * 500001, 2) - x;
    EXPECT_NEAR(model.SpacingAbove(x), expected, expected * 1e-3);
}

}  // namespace
