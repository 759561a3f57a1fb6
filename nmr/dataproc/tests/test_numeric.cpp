// Scalar routines, sorting, random numbers and allocation helpers.
#include "kstest.h"
#include "numeric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace yarbex;

TEST(Numeric, RoundToUnsigned)
{
    struct Case {
        double x;
        uint32_t low, high, out;
        bool ok;
    } cases[] = {
        {2.5, 0, 10, 3, true},   {-0.2, 0, 10, 0, false}, {12.4, 0, 10, 10, false},
        {0.4, 2, 10, 2, false},  {9.49, 0, 10, 9, true},  {std::nan(""), 4, 10, 4, false},
        {4294967295.0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, true},
    };
    for (const Case& c : cases) {
        uint32_t out = 12345;
        EXPECT_EQ(roundToUnsigned(c.x, &out, c.low, c.high), c.ok) << c.x;
        EXPECT_EQ(out, c.out) << c.x;
    }
}

TEST(Numeric, RoundToSignedHalvesAwayFromZero)
{
    struct Case {
        double x;
        int32_t out;
        bool ok;
    } cases[] = {
        {-2.5, -3, true}, {-2.4, -2, true}, {2.5, 3, true}, {1e12, 100, false}, {-1e12, -100, false},
        {std::nan(""), -100, false},
    };
    for (const Case& c : cases) {
        int32_t out = 0;
        EXPECT_EQ(roundToSigned(c.x, &out, -100, 100), c.ok) << c.x;
        EXPECT_EQ(out, c.out) << c.x;
    }
}

TEST(Numeric, Phase)
{
    struct Case {
        double re, im, expected, tol;
    } cases[] = {
        {1, 0, 0, 0},
        {0, 1, M_PI / 2, 0},
        {0, -1, -M_PI / 2, 0},
        {-1, 0, M_PI, 0},
        {-1, -0.0001, -M_PI, 2e-4},
        {1e20, 1, 0, 0},
        {1, 1, M_PI / 4, 1e-15},
        {-1, 1, 3 * M_PI / 4, 1e-15},
        {0, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(phase(c.re, c.im), c.expected, c.tol) << c.re << "," << c.im;
    EXPECT_LT(phase(-1, -0.0001), -3.14);
}

TEST(Numeric, PowersFactorialsAndParabola)
{
    EXPECT_EQ(integerPower(2, 10), 1024.0);
    EXPECT_EQ(integerPower(-3, 3), -27.0);
    EXPECT_EQ(integerPower(7.5, 0), 1.0);
    EXPECT_EQ(integerPower(0, 0), 1.0);
    EXPECT_EQ(factorial(5), 120.0);
    EXPECT_EQ(factorial(0), 1.0);
    EXPECT_EQ(factorial(1), 1.0);

    double xv = -1, yv = -1;
    EXPECT_DOUBLE_EQ(parabolaVertex(0, 1, 2, 1, 0, 1, &xv, &yv), 2.0);
    EXPECT_DOUBLE_EQ(xv, 1.0);
    EXPECT_DOUBLE_EQ(yv, 0.0);
    // y = -(x - 2.5)^2 + 4 through 1, 2, 4.
    auto f = [](double x) { return -(x - 2.5) * (x - 2.5) + 4; };
    EXPECT_DOUBLE_EQ(parabolaVertex(1, 2, 4, f(1), f(2), f(4), &xv, &yv), -2.0);
    EXPECT_DOUBLE_EQ(xv, 2.5);
    EXPECT_DOUBLE_EQ(yv, 4.0);
}

TEST(Numeric, HeapSort)
{
    std::vector<double> a = {3, 1, 2};
    heapSort(a.data(), 3);
    EXPECT_EQ(a, (std::vector<double>{1, 2, 3}));
    std::vector<double> b = {5, -1, 5, 0, 9, -7, 3, 3, 2.5, -0.5, 8};
    std::vector<double> sorted = b;
    std::sort(sorted.begin(), sorted.end());
    heapSort(b.data(), uint32_t(b.size()));
    EXPECT_EQ(b, sorted);
    EXPECT_EQ(heapSort(nullptr, 5), nullptr);
    double one = 4;
    heapSort(&one, 1);
    EXPECT_EQ(one, 4);
}

TEST(Numeric, RandomGenerators)
{
    double sum = 0, sumSq = 0;
    const int count = 200000;
    for (int i = 0; i < count; ++i) {
        const double u = uniformRandom();
        ASSERT_GT(u, 0.0);
        ASSERT_LT(u, 1.0);
        sum += u;
    }
    EXPECT_NEAR(sum / count, 0.5, 0.005);
    sum = 0;
    for (int i = 0; i < count; ++i) {
        const double g = gaussian(3.0, 2.0);
        sum += g;
        sumSq += g * g;
    }
    const double mean = sum / count;
    EXPECT_NEAR(mean, 3.0, 0.03);
    EXPECT_NEAR(std::sqrt(sumSq / count - mean * mean), 2.0, 0.03);
}

TEST(Numeric, Allocation)
{
    EXPECT_EQ(allocDoubles(0), nullptr);
    EXPECT_EQ(allocDoublesZeroed(0), nullptr);
    EXPECT_EQ(allocWordsZeroed(0), nullptr);
    // Byte counts beyond 32 bits are refused before asking the system.
    EXPECT_EQ(allocDoubles(0x20000000u), nullptr);
    EXPECT_EQ(allocWordsZeroed(0x40000000u), nullptr);
    double* p = allocDoublesZeroed(4);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[3], 0.0);
    freeAndClear(&p);
    EXPECT_EQ(p, nullptr);
    freeAndClear(&p);
    freeAndClear(static_cast<void**>(nullptr));
}

TEST(Numeric, UnseededProcessesShareTheSequence)
{
    const std::string probe = std::string(KS_BIN_DIR) + "/yarbex_random_probe";
    const ks::test::RunResult a = ks::test::run({probe});
    const ks::test::RunResult b = ks::test::run({probe});
    ASSERT_EQ(a.exitCode, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(std::count(a.out.begin(), a.out.end(), '\n'), 8);
}
