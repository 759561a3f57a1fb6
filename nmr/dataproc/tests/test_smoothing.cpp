// Savitzky-Golay filtering against scipy, and the Resolution Booster.
#include "dpitest.h"
#include "frame.h"
#include "numeric.h"
#include "smoothing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace yarbex;
using yarbex::test::DpiFixture;

namespace {

struct SavgolCase {
    uint32_t window, order, derivative;
    std::vector<double> coeffs, filtered;
};

std::vector<double> numbers(std::istringstream& in)
{
    std::vector<double> v;
    double x;
    while (in >> x)
        v.push_back(x);
    return v;
}

void loadSavgol(std::vector<double>& signal, std::vector<SavgolCase>& cases)
{
    std::ifstream in(KS_SOURCE_DIR "/data/savgol_reference.txt");
    ASSERT_TRUE(in.good());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        f.imbue(std::locale::classic());
        std::string word;
        f >> word;
        if (word == "signal")
            signal = numbers(f);
        else if (word == "case") {
            cases.emplace_back();
            f >> cases.back().window >> cases.back().order >> cases.back().derivative;
        } else if (word == "coeffs")
            cases.back().coeffs = numbers(f);
        else if (word == "filtered")
            cases.back().filtered = numbers(f);
    }
}

class SmoothingTest : public DpiFixture {};

}  // namespace

TEST(Smoothing, CoefficientsMatchExactArithmeticAtEveryOrder)
{
    // Expectations solved in rational arithmetic (gen_savgol_exact.py):
    // every order up to the limit, derivatives up to the order, windows
    // just large enough for the order.
    std::ifstream in(KS_SOURCE_DIR "/data/savgol_exact.txt");
    ASSERT_TRUE(in.good());
    std::string line;
    int cases = 0;
    uint32_t highest = 0;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        f.imbue(std::locale::classic());
        std::string word;
        uint32_t derivative = 0, points = 0, order = 0;
        if (!(f >> word) || word != "case")
            continue;
        f >> derivative >> points >> order;
        std::vector<double> want = numbers(f);
        ASSERT_EQ(want.size(), points);
        SCOPED_TRACE(testing::Message() << "derivative " << derivative << ", " << points << " points, order " << order);
        double noise = 0;
        double* c = savitzkyGolayCoefficients(derivative, points, order, 0.0, &noise);
        ASSERT_NE(c, nullptr);
        double largest = 0, worst = 0, sq = 0;
        for (uint32_t j = 0; j < points; ++j) {
            largest = std::max(largest, std::fabs(want[j]));
            worst = std::max(worst, std::fabs(c[j] - want[j]));
            sq += want[j] * want[j];
        }
        std::free(c);
        EXPECT_LE(worst, 1e-9 * largest);
        EXPECT_NEAR(noise, std::sqrt(sq), 1e-9 * std::sqrt(sq));
        highest = std::max(highest, order);
        ++cases;
    }
    EXPECT_EQ(highest, kMaxSmoothingOrder);
    EXPECT_GE(cases, 30);
}

TEST(Smoothing, CoefficientsMatchScipy)
{
    std::vector<double> signal;
    std::vector<SavgolCase> cases;
    loadSavgol(signal, cases);
    ASSERT_EQ(cases.size(), 10u);
    for (const SavgolCase& c : cases) {
        double noise = 0;
        double* coeffs = savitzkyGolayCoefficients(c.derivative, c.window, c.order, 0.0, &noise);
        ASSERT_NE(coeffs, nullptr);
        double sq = 0;
        for (uint32_t j = 0; j < c.window; ++j) {
            EXPECT_NEAR(coeffs[j], c.coeffs[j], 1e-9) << c.window << "/" << c.order << "/" << c.derivative;
            sq += c.coeffs[j] * c.coeffs[j];
        }
        EXPECT_NEAR(noise, std::sqrt(sq), 1e-9);
        std::free(coeffs);
    }
}

TEST(Smoothing, FilteringMatchesScipyScaledAsDocumented)
{
    std::vector<double> signal;
    std::vector<SavgolCase> cases;
    loadSavgol(signal, cases);
    const uint32_t n = uint32_t(signal.size());
    for (const SavgolCase& c : cases) {
        const std::string name = std::to_string(c.window) + "/" + std::to_string(c.order) + "/" +
                                 std::to_string(c.derivative);
        // Real variant, kept window, per point.
        uint32_t order = c.order, points = c.window;
        double noise = 0;
        std::vector<double> out(n);
        ASSERT_EQ(savitzkyGolayReal(n, signal.data(), out.data(), 1.0, c.derivative, &order, &points, &noise,
                                    ModeKeepWindow | ModeUnscaledDerivative),
                  0u)
            << name;
        for (uint32_t i = 0; i < n; ++i)
            ASSERT_NEAR(out[i], c.filtered[i], 1e-9) << name << " " << i;
        // Scaled by 1/d!.
        ASSERT_EQ(savitzkyGolayReal(n, signal.data(), out.data(), 1.0, c.derivative, &order, &points, &noise,
                                    ModeKeepWindow),
                  0u);
        const double f = 1.0 / factorial(c.derivative);
        for (uint32_t i = 0; i < n; ++i)
            ASSERT_NEAR(out[i], c.filtered[i] * f, 1e-9) << name << " " << i;

        // Complex variant: both halves, scaled by r^d / d!.
        const double r = 2.5;
        std::vector<double> z(2 * n), zout(2 * n);
        for (uint32_t i = 0; i < n; ++i) {
            z[i] = signal[i];
            z[n + i] = -2 * signal[i];
        }
        ASSERT_EQ(savitzkyGolay(n, z.data(), zout.data(), r, c.derivative, &order, &points, &noise,
                                ModeKeepWindow),
                  0u);
        const double g = std::pow(r, c.derivative) / factorial(c.derivative);
        for (uint32_t i = 0; i < n; ++i) {
            ASSERT_NEAR(zout[i], c.filtered[i] * g, 1e-9 * (1 + g)) << name << " " << i;
            ASSERT_NEAR(zout[n + i], -2 * c.filtered[i] * g, 2e-9 * (1 + g)) << name << " " << i;
        }
        // Real half only.
        std::fill(zout.begin(), zout.end(), 0.0);
        ASSERT_EQ(savitzkyGolay(n, z.data(), zout.data(), r, c.derivative, &order, &points, &noise,
                                ModeKeepWindow | ModeRealOnly),
                  0u);
        EXPECT_EQ(zout[n + 3], 0.0);
    }
}

TEST(Smoothing, AutomaticWindow)
{
    struct Case {
        double r;
        uint32_t derivative, order, points;
    } cases[] = {
        {3.0, 0, 3, 7}, {3.0, 2, 5, 9}, {0.1, 0, 3, 5}, {0.5, 0, 3, 5}, {4.2, 1, 4, 9}, {-3.0, 0, 3, 5},
    };
    std::vector<double> x(64, 1.0), y(64);
    for (const Case& c : cases) {
        uint32_t order = 0, points = 0;
        double noise = 0;
        ASSERT_EQ(savitzkyGolayReal(64, x.data(), y.data(), c.r, c.derivative, &order, &points, &noise, 0), 0u);
        EXPECT_EQ(order, c.order) << c.r;
        EXPECT_EQ(points, c.points) << c.r;
    }
    uint32_t order = 0;
    EXPECT_EQ(smoothingWindow(0, 3.0, &order), 7u);
    EXPECT_EQ(order, 3u);
    EXPECT_EQ(smoothingWindow(0, 1e300, &order) & 1u, 1u);  // no overflow
}

TEST(Smoothing, KeptWindowAndCubicReproduction)
{
    double noise = 0;
    double* c = savitzkyGolayCoefficients(0, 5, 3, 0.0, &noise);
    ASSERT_NE(c, nullptr);
    double sum = 0;
    for (int j = 0; j < 5; ++j)
        sum += c[j];
    EXPECT_NEAR(sum, 1.0, 1e-14);
    std::free(c);

    const uint32_t n = 32;
    std::vector<double> cubic(n), out(n);
    for (uint32_t i = 0; i < n; ++i) {
        const double x = i * 0.1;
        cubic[i] = 2 - x + 0.5 * x * x - 0.3 * x * x * x;
    }
    uint32_t order = 3, points = 5;
    ASSERT_EQ(savitzkyGolayReal(n, cubic.data(), out.data(), 1, 0, &order, &points, &noise, ModeKeepWindow), 0u);
    for (uint32_t i = 2; i + 2 < n; ++i)
        EXPECT_NEAR(out[i], cubic[i], 1e-12) << i;

    order = 2;
    points = 5;
    ASSERT_EQ(savitzkyGolayReal(n, cubic.data(), out.data(), 7, 0, &order, &points, &noise, ModeKeepWindow), 0u);
    EXPECT_EQ(order, 2u);
    EXPECT_EQ(points, 5u);

    // First derivative of a line: per point unscaled, times r otherwise.
    std::vector<double> line(2 * n, 0.0), d(2 * n);
    for (uint32_t i = 0; i < n; ++i)
        line[i] = 3.0 * i;
    order = 2;
    points = 5;
    ASSERT_EQ(savitzkyGolay(n, line.data(), d.data(), 4, 1, &order, &points, &noise,
                            ModeKeepWindow | ModeUnscaledDerivative),
              0u);
    EXPECT_NEAR(d[10], 3.0, 1e-12);
    ASSERT_EQ(savitzkyGolay(n, line.data(), d.data(), 4, 1, &order, &points, &noise, ModeKeepWindow), 0u);
    EXPECT_NEAR(d[10], 12.0, 1e-12);
}

TEST(Smoothing, IllegalWindowsAndRatios)
{
    std::vector<double> x(64, 1.0), y(64, 0.0);
    struct Case {
        const char* name;
        double r;
        uint32_t derivative, order, points, mode;
        ResultCode result;
    } cases[] = {
        {"derivative above order", 1, 4, 3, 7, ModeKeepWindow, 25},
        {"window not above order", 1, 0, 5, 5, ModeKeepWindow, 12},
        {"empty window", 1, 0, 0, 0, ModeKeepWindow, 12},
        {"window far wider than data", 1, 0, 3, 201, ModeKeepWindow, 12},
        {"order beyond the limit", 1, 0, 40, 101, ModeKeepWindow, 12},
        {"infinite ratio", INFINITY, 0, 0, 0, 0, 12},
        {"ratio not a number", NAN, 0, 0, 0, 0, 12},
    };
    for (const Case& c : cases) {
        uint32_t order = c.order, points = c.points;
        double noise = 0;
        EXPECT_EQ(savitzkyGolayReal(64, x.data(), y.data(), c.r, c.derivative, &order, &points, &noise, c.mode),
                  c.result)
            << c.name;
        std::vector<double> z(128, 1.0), zo(128);
        EXPECT_EQ(savitzkyGolay(64, z.data(), zo.data(), c.r, c.derivative, &order, &points, &noise, c.mode),
                  c.result)
            << c.name;
    }
    EXPECT_EQ(savitzkyGolayCoefficients(4, 7, 3, 0, nullptr), nullptr);
    EXPECT_EQ(savitzkyGolayCoefficients(0, 3, 3, 0, nullptr), nullptr);
}

TEST(Smoothing, ResolutionBoosterFormula)
{
    const uint32_t n = 64;
    std::vector<double> z(2 * n, 0.0);
    for (uint32_t i = 0; i < n; ++i)
        z[i] = 10.0 / (1 + std::pow((i - 30.0) / 3, 2)) + 0.01 * i;
    const double r = 2.0;
    uint32_t order = 0, points = 0;
    double noise = 0;
    std::vector<double> d2(2 * n), boosted(2 * n);
    ASSERT_EQ(savitzkyGolay(n, z.data(), d2.data(), r, 2, &order, &points, &noise,
                            ModeUnscaledDerivative | ModeRealOnly),
              0u);
    uint32_t bo = 0, bp = 0;
    double bn = 0;
    ASSERT_EQ(resolutionBooster(n, z.data(), boosted.data(), r, 1.0, 0.0, 2, &bo, &bp, &bn, 0), 0u);
    EXPECT_EQ(bo, order);
    EXPECT_EQ(bp, points);
    for (uint32_t i = 0; i < n; ++i)
        EXPECT_NEAR(boosted[i], -(r * r / 2) * d2[i], 1e-12) << i;
    EXPECT_NEAR(bn, noise * r * r / 2, 1e-12);

    // With a floor factor no value lies below 2 f noiseFactor sigma.
    const double sigma = 0.5, f = 3.0;
    ASSERT_EQ(resolutionBooster(n, z.data(), boosted.data(), r, sigma, f, 2, &bo, &bp, &bn, 0), 0u);
    const double floor = 2 * f * bn * sigma;
    bool clipped = false;
    for (uint32_t i = 0; i < n; ++i) {
        EXPECT_GE(boosted[i], floor - 1e-15);
        clipped |= boosted[i] == floor;
        if (boosted[i] > floor) {
            EXPECT_NEAR(boosted[i], -(r * r / 2) * d2[i], 1e-12);
        }
    }
    EXPECT_TRUE(clipped);
    EXPECT_EQ(resolutionBooster(n, z.data(), boosted.data(), r, sigma, f, 1, &bo, &bp, &bn, 0), 12u);
}

TEST_F(SmoothingTest, Command131)
{
    const uint32_t n = 1024;
    std::vector<float> data(n);
    for (uint32_t i = 0; i < n; ++i)
        data[i] = float(100.0 / (1 + std::pow((i - 500.3) / 3, 2)));
    setData(data, n, KindReal);
    // A fresh instance has width divisor 0: the ratio is infinite.
    EXPECT_EQ(dpi->instanceCommand(131), 12u);
    setDouble(0, 1.0);
    ASSERT_EQ(dpi->instanceCommand(131), 0u);
    const double width = work(WkLineWidth).value;
    EXPECT_NEAR(width, 6.0, 0.5);
    uint32_t order = 0;
    const uint32_t points = smoothingWindow(0, width, &order);
    EXPECT_EQ(work(WkOrder).words.second, order);
    EXPECT_EQ(work(WkPoints2).words.second, points);
    EXPECT_GT(work(WkNoiseFactor).value, 0.0);
    ASSERT_NE(dpi->realOutput, nullptr);
    std::vector<double> in(data.begin(), data.end()), expected(n);
    uint32_t o = order, p = points;
    double nf = 0;
    ASSERT_EQ(savitzkyGolayReal(n, in.data(), expected.data(), width, 0, &o, &p, &nf, ModeKeepWindow), 0u);
    for (uint32_t i = 0; i < n; ++i)
        ASSERT_NEAR(dpi->realOutput[i], expected[i], 1e-4) << i;
    EXPECT_DOUBLE_EQ(work(WkNoiseFactor).value, nf);
    EXPECT_EQ(dpi->outputDoubles(), nullptr);

    // Kept window with a derivative above the order.
    dpi->mode = ModeKeepWindow;
    setInt(0, 3);
    setInt(1, 2);
    setInt(2, 7);
    EXPECT_EQ(dpi->instanceCommand(131), 25u);
    EXPECT_EQ(dpi->outputDoubles(), nullptr);
    setInt(0, 1);
    ASSERT_EQ(dpi->instanceCommand(131), 0u);
    EXPECT_EQ(work(WkOrder).words.second, 2u);
    EXPECT_EQ(work(WkPoints2).words.second, 7u);
}

TEST_F(SmoothingTest, Command132)
{
    const uint32_t n = 1024;
    std::vector<float> data(n);
    for (uint32_t i = 0; i < n; ++i)
        data[i] = float(100.0 / (1 + std::pow((i - 500.3) / 3, 2)) + 60.0 / (1 + std::pow((i - 508.0) / 3, 2)));
    setData(data, n, KindReal, DomainTime);
    setDouble(0, 1.0);
    setInt(0, 2);
    EXPECT_EQ(dpi->instanceCommand(132), 20u);
    dpi->parameters->slot[InDomain].words.second = DomainFrequency;
    setInt(0, 1);
    EXPECT_EQ(dpi->instanceCommand(132), 12u);
    setInt(0, 2);
    ASSERT_EQ(dpi->instanceCommand(132), 0u);
    ASSERT_NE(dpi->realOutput, nullptr);
    // Sharper than the data: the dip between the lines deepens.
    const double dipData = data[504] / data[500];
    const double dipBoosted = dpi->realOutput[504] / dpi->realOutput[500];
    EXPECT_LT(dipBoosted, dipData);
    EXPECT_TRUE(dpi->cache & CacheNoise);
}
