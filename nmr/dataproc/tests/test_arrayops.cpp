// Array operations: the worked examples as a table, the complex
// dispatches, linear algebra, the FIR filter and the distances.
#include "arrayops.h"
#include "numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace yarbex;
using Vec = std::vector<double>;

namespace {

struct ElementCase {
    const char* name;
    uint32_t op;
    double a;
    Vec in;
    Vec out;
};

const ElementCase kElementCases[] = {
    {"square", 67, 0, {1, -2, 3}, {1, 4, 9}},
    {"unknown code leaves d", 999, 0, {1, 2, 3}, {7, 7, 7}},
    {"copy", 0, 0, {1, 2}, {1, 2}},
    {"fill", 64, 2.5, {1, 2}, {2.5, 2.5}},
    {"negate", 65, 0, {1, -2}, {-1, 2}},
    {"absolute", 66, 0, {-1.5, 2}, {1.5, 2}},
    {"add", 73, 1, {1, -2}, {2, -1}},
    {"scale", 74, -2, {1, -2}, {-2, 4}},
    {"floor at 0", 76, 0, {-1, 2}, {0, 2}},
    {"ceiling at 0", 77, 0, {-1, 2}, {-1, 0}},
    {"threshold 2", 78, 2, {1, -3, 2}, {0, -3, 2}},
    {"reverse", 113, 0, {1, 2, 3, 4}, {4, 3, 2, 1}},
    {"swap halves odd", 114, 0, {1, 2, 3, 4, 5}, {4, 5, 3, 1, 2}},
    {"swap halves even", 114, 0, {1, 2, 3, 4}, {3, 4, 1, 2}},
    {"sort", 115, 0, {3, -1, 2, 0}, {-1, 0, 2, 3}},
    {"shift zero +2", 116, 2, {1, 2, 3, 4, 5}, {0, 0, 1, 2, 3}},
    {"shift zero -2", 116, -2, {1, 2, 3, 4, 5}, {3, 4, 5, 0, 0}},
    {"shift edge +2", 117, 2, {1, 2, 3, 4, 5}, {1, 1, 1, 2, 3}},
    {"shift edge -2", 117, -2, {1, 2, 3, 4, 5}, {3, 4, 5, 5, 5}},
    {"shift rounds halves away", 116, -1.5, {1, 2, 3, 4, 5}, {3, 4, 5, 0, 0}},
    {"shift by n leaves it", 116, 5, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
    {"shift by -n leaves it", 117, -7, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
    {"rotate -1", 118, -1, {1, 2, 3}, {2, 3, 1}},
    {"rotate +1", 118, 1, {1, 2, 3}, {3, 1, 2}},
    {"rotate +4", 118, 4, {1, 2, 3}, {3, 1, 2}},
    {"rotate -3", 118, -3, {1, 2, 3}, {1, 2, 3}},
    {"rotate huge", 118, 1e30, {1, 2, 3}, {3, 1, 2}},  // clamped to 0x7FFFFFFF = 1 mod 3
    {"zero upper half", 119, 0, {1, 2, 3, 4, 5}, {1, 2, 0, 0, 0}},
    {"lag 1", 128, 1, {1, 4, 9}, {1, 3, 5}},
    {"lag 2 centred", 128, 2, {0, 1, 4, 9, 16, 25}, {1, 4, 8, 12, 16, 0}},
    {"lag 0", 128, 0, {1, 4, 9}, {0, 0, 0}},
    {"lag beyond n", 128, 5, {1, 4, 9}, {9, 1, 4}},
    {"exchange never writes source", 0x10002, 0, {1, 2}, {1, 2}},
    {"accumulate", 0x1000B, 2, {1, 2}, {9, 11}},
    {"multiply", 0x1000C, 0, {1, 2}, {7, 14}},
};

}  // namespace

TEST(ArrayOps, ElementOperationTable)
{
    for (const ElementCase& c : kElementCases) {
        const Vec source = c.in;
        Vec d(c.in.size(), 7.0);
        EXPECT_EQ(elementOp(uint32_t(c.in.size()), source.data(), d.data(), c.op, c.a), 0u) << c.name;
        EXPECT_EQ(d, c.out) << c.name;
        EXPECT_EQ(source, c.in) << c.name << ": source written";
    }
}

TEST(ArrayOps, InPlaceOperations)
{
    for (const ElementCase& c : kElementCases) {
        if (c.op >= 0x10000 || c.op == 999)
            continue;
        Vec d = c.in;
        EXPECT_EQ(elementOpInPlace(uint32_t(d.size()), d.data(), c.op, c.a), 0u) << c.name;
        EXPECT_EQ(d, c.out) << c.name;
    }
}

TEST(ArrayOps, MissingArraysAndNegativeLag)
{
    Vec d(3, 1.0), s = {1, 2, 3};
    EXPECT_EQ(elementOp(3, nullptr, d.data(), 65, 0), 10u);
    EXPECT_EQ(elementOp(3, s.data(), nullptr, 65, 0), 11u);
    EXPECT_EQ(elementOp(3, nullptr, d.data(), 64, 5), 0u);  // fill reads no source
    EXPECT_EQ(elementOp(3, s.data(), nullptr, 128, 0), 11u);
    EXPECT_EQ(elementOp(3, s.data(), d.data(), 128, -1), 0x40000003u);
    EXPECT_EQ(d, (Vec{5, 5, 5}));
    EXPECT_EQ(complexOp1D(3, nullptr, d.data(), 68, 0, 0), 10u);
    EXPECT_EQ(complexOp1D(1, s.data(), nullptr, 68, 0, 0), 11u);
}

TEST(ArrayOps, NoiseCodeAddsGaussianNoise)
{
    const uint32_t n = 20000;
    Vec s(n, 10.0), d(n);
    ASSERT_EQ(elementOp(n, s.data(), d.data(), 80, 2.0), 0u);
    double sum = 0, sq = 0;
    for (double v : d) {
        sum += v - 10;
        sq += (v - 10) * (v - 10);
    }
    EXPECT_NEAR(sum / n, 0.0, 0.06);
    EXPECT_NEAR(std::sqrt(sq / n), 2.0, 0.06);
}

TEST(ArrayOps, Complex1DTable)
{
    struct Case {
        const char* name;
        uint32_t op;
        double a, b;
        Vec in, out;
    } cases[] = {
        {"multiply by i", 75, 0, 1, {1, 0}, {0, 1}},
        {"complex scale", 75, 2, 1, {1, 2, 3, 4}, {-1, 0, 7, 10}},
        {"magnitude", 68, 0, 0, {3, 0, 4, -2}, {5, 2, 4, -2}},
        {"polar", 69, 0, 0, {0, -1, 1, 0}, {1, 1, M_PI / 2, M_PI}},
        {"power", 71, 0, 0, {3, 1, 4, 2}, {25, 5, 4, 2}},
        {"power and phase", 72, 0, 0, {0, 0, 2, 0}, {4, 0, M_PI / 2, 0}},
        {"normalise", 70, 10, 0, {3, 0, 4, 1}, {6, 0, 8, 2}},
        {"normalise zero", 70, 10, 0, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"exchange parts", 112, 0, 0, {1, 2, 3, 4}, {3, 4, 1, 2}},
        {"negate all", 65, 0, 0, {1, 2, 3, 4}, {-1, -2, -3, -4}},
        {"add a then b", 73, 1, 10, {1, 2, 3, 4}, {2, 3, 13, 14}},
        {"shift per half", 116, 1, -1, {1, 2, 3, 4, 5, 6}, {0, 1, 2, 5, 6, 0}},
        {"real to both", 0x1000F, 0, 0, {1, 2, 3, 4}, {1, 2, 1, 2}},
        {"imaginary to both", 0x10010, 0, 0, {1, 2, 3, 4}, {3, 4, 3, 4}},
        {"unknown", 79, 0, 0, {1, 2}, {}},
        {"rows code is 2D only", 135, 0, 0, {1, 2}, {}},
    };
    for (const auto& c : cases) {
        const uint32_t n = uint32_t(c.in.size() / 2);
        Vec d(c.in.size(), 0.0);
        const ResultCode r = complexOp1D(n, c.in.data(), d.data(), c.op, c.a, c.b);
        if (c.out.empty()) {
            EXPECT_EQ(r, 6u) << c.name;
            continue;
        }
        EXPECT_EQ(r, 0u) << c.name;
        for (size_t k = 0; k < d.size(); ++k)
            EXPECT_NEAR(d[k], c.out[k], 1e-15) << c.name << " " << k;
    }
}

TEST(ArrayOps, Complex2D)
{
    // 3 rows of 2 columns: rows below 3/3 = 1, i.e. row 0, are cleared.
    const Vec s = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    Vec d(12, -1);
    EXPECT_EQ(complexOp2D(3, 2, s.data(), d.data(), 135, 0, 0), 0u);
    EXPECT_EQ(d, (Vec{0, 0, 3, 4, 5, 6, 0, 0, 9, 10, 11, 12}));
    EXPECT_EQ(complexOp2D(3, 2, s.data(), d.data(), 74, 2, -1), 0u);
    EXPECT_EQ(d, (Vec{2, 4, 6, 8, 10, 12, -7, -8, -9, -10, -11, -12}));
    for (uint32_t op : {114u, 116u, 117u, 118u, 119u, 128u, 129u, 133u, 134u, 77777u})
        EXPECT_EQ(complexOp2D(3, 2, s.data(), d.data(), op, 1, 1), 6u) << op;
    EXPECT_EQ(complexOp2D(0x10000, 0x10000, s.data(), d.data(), 0, 0, 0), 1u);
}

TEST(ArrayOps, AllocatingWrappersStartFromZeroAndKeepTheSource)
{
    const Vec s = {1, 2, 3, 4};
    const Vec original = s;
    double* out = nullptr;
    struct Case {
        uint32_t op;
        Vec expected;
    } cases[] = {
        {0x1000B, {3, 6, 9, 12}},  // accumulate into zero: a * s
        {0x1000C, {0, 0, 0, 0}},
        {0x1000D, {0, 0, 0, 0}},
        {0x10002, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(newComplexOp1D(2, s.data(), &out, c.op, 3, 3), 0u) << c.op;
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(Vec(out, out + 4), c.expected) << c.op;
        EXPECT_EQ(s, original) << c.op;
        ASSERT_EQ(newComplexOp2D(1, 2, s.data(), &out, c.op, 3, 3), 0u) << c.op;
        EXPECT_EQ(Vec(out, out + 4), c.expected) << c.op;
    }
    EXPECT_EQ(newComplexOp1D(2, s.data(), &out, 4242, 0, 0), 6u);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(newComplexOp1D(0, s.data(), &out, 0, 0, 0), 0x40000003u);
    EXPECT_EQ(newComplexOp2D(0x10000, 0x10000, s.data(), &out, 0, 0, 0), 0x40000003u);
    EXPECT_EQ(out, nullptr);
}

TEST(ArrayOps, ComplexMultiplyInPlace)
{
    Vec s = {1, 2, 1, 0};   // (1 + i), (2)
    Vec d = {0, 3, 1, 1};   // (i), (3 + i)
    ASSERT_EQ(complexOp1D(2, s.data(), d.data(), 0x1000D, 0, 0), 0u);
    EXPECT_EQ(d, (Vec{-1, 6, 1, 2}));
}

TEST(ArrayOps, DotDifferenceProduct)
{
    const Vec x = {1, 2, 3}, y = {4, -5, 6};
    double dot = -1;
    EXPECT_EQ(dotProduct(3, x.data(), y.data(), &dot), 0u);
    EXPECT_EQ(dot, 12.0);
    dot = 5;
    EXPECT_EQ(dotProduct(3, nullptr, y.data(), &dot), 10u);
    EXPECT_EQ(dot, 0.0);
    Vec out(3);
    EXPECT_EQ(arrayDifference(3, x.data(), y.data(), out.data()), 0u);
    EXPECT_EQ(out, (Vec{-3, 7, -3}));
    EXPECT_EQ(arrayProduct(3, x.data(), y.data(), out.data()), 0u);
    EXPECT_EQ(out, (Vec{4, -10, 18}));
}

TEST(ArrayOps, FirFilter)
{
    const double third = 1.0 / 3;
    const Vec c3 = {third, third, third};
    Vec x = {3, 0, 0, 3}, y(4);
    ASSERT_EQ(firFilter(4, x.data(), y.data(), 3, c3.data()), 0u);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(y[i], (Vec{2, 1, 1, 2})[i], 1e-15);

    // In place, and with asymmetric coefficients to pin the orientation.
    Vec ramp = {1, 2, 4, 8, 16};
    const Vec c = {1, 10, 100};
    ASSERT_EQ(firFilter(5, ramp.data(), ramp.data(), 3, c.data()), 0u);
    EXPECT_EQ(ramp, (Vec{1 + 10 + 200, 1 + 20 + 400, 2 + 40 + 800, 4 + 80 + 1600, 8 + 160 + 1600}));

    // A window longer than the data: edges replicate on both sides.
    const Vec x2 = {1, 5};
    const Vec c7 = {1, 2, 3, 4, 5, 6, 7};
    Vec y2(2);
    ASSERT_EQ(firFilter(2, x2.data(), y2.data(), 7, c7.data()), 0u);
    // Window of point 0: x[-3..3] = 1 1 1 1 5 5 5; of point 1: x[-2..4].
    EXPECT_EQ(y2[0], 1 + 2 + 3 + 4 + 5 * 5 + 6 * 5 + 7 * 5);
    EXPECT_EQ(y2[1], 1 + 2 + 3 + 4 * 5 + 5 * 5 + 6 * 5 + 7 * 5);

    EXPECT_EQ(firFilter(0, x.data(), y.data(), 3, c3.data()), 1u);
    EXPECT_EQ(firFilter(4, x.data(), y.data(), 0, c3.data()), 1u);
    EXPECT_EQ(firFilter(4, nullptr, y.data(), 3, c3.data()), 1u);
}

TEST(ArrayOps, GaussJordanInvertsAndSolves)
{
    // Column-major 3 x 3.
    Vec A = {2, 1, 0, 1, 3, 1, 0, 1, 4};
    const Vec original = A;
    Vec B = {1, 2, 3, 0, 1, 0};  // two right-hand sides
    ASSERT_EQ(gaussJordan(A.data(), 3, B.data(), 2), 0u);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += original[i + 3 * k] * A[k + 3 * j];
            EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-14);
        }
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 3; ++i) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += original[i + 3 * k] * B[k + 3 * r];
            EXPECT_NEAR(sum, (r == 0 ? Vec{1, 2, 3} : Vec{0, 1, 0})[i], 1e-14);
        }

    // A pivoting case: zero on the diagonal.
    Vec P = {0, 1, 1, 0};
    ASSERT_EQ(gaussJordan(P.data(), 2, nullptr, 0), 0u);
    EXPECT_EQ(P, (Vec{0, 1, 1, 0}));

    Vec S = {1, 2, 2, 4};
    EXPECT_EQ(gaussJordan(S.data(), 2, nullptr, 0), 1u);
    EXPECT_EQ(gaussJordan(nullptr, 2, nullptr, 0), 10u);
    EXPECT_EQ(gaussJordan(S.data(), 0, nullptr, 0), 10u);
    EXPECT_EQ(gaussJordan(S.data(), 2, nullptr, 1), 10u);
}

TEST(ArrayOps, MatrixTimesVectorAndGram)
{
    // Two rows of three values stored row after row: out = A^T x.
    const Vec A = {1, 2, 3, 4, 5, 6};
    const Vec x = {1, -1};
    double* out = matrixTimesVector(A.data(), 2, 3, x.data(), nullptr);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(Vec(out, out + 3), (Vec{-3, -3, -3}));
    std::free(out);

    Vec g(4);
    ASSERT_EQ(gramMatrix(A.data(), 3, 2, g.data()), g.data());
    EXPECT_EQ(g, (Vec{14, 32, 32, 77}));
    double* g2 = gramMatrix(A.data(), 3, 2, nullptr);
    ASSERT_NE(g2, nullptr);
    EXPECT_EQ(Vec(g2, g2 + 4), g);
    std::free(g2);
}

TEST(ArrayOps, MaximumPower)
{
    const Vec z = {1, 3, -3, 0, 0, 0};  // powers 1, 9, 9
    double p = 0;
    uint32_t at = 99;
    EXPECT_EQ(maximumPower(3, z.data(), &p, &at), 0u);
    EXPECT_EQ(p, 9.0);
    EXPECT_EQ(at, 1u);
    EXPECT_EQ(maximumPower(3, nullptr, &p, &at), 10u);
}

TEST(ArrayOps, CumulativeDistances)
{
    const Vec a = {0, 1, 3, 1, 0, 0, 2, 0};
    double d = -1;
    EXPECT_EQ(cumulativeDistance(8, a.data(), a.data(), &d), 0u);
    EXPECT_EQ(d, 0.0);

    // Two unit spikes k points apart: sqrt(k / n).
    for (uint32_t k : {1u, 3u, 10u}) {
        Vec x(64, 0.0), y(64, 0.0);
        x[20] = 1;
        y[20 + k] = 1;
        EXPECT_EQ(cumulativeDistance(64, x.data(), y.data(), &d), 0u);
        EXPECT_NEAR(d, std::sqrt(double(k) / 64), 1e-15) << k;
        // A window covering everything weighs every point 1.
        double w = -1;
        EXPECT_EQ(windowedCumulativeDistance(64, x.data(), y.data(), &w, 100, -5, 3), 0u);
        EXPECT_NEAR(w, d, 1e-15);
    }

    // A zero sum has no distribution: refused, not NaN.
    const Vec zero(8, 0.0);
    const Vec balanced = {1, -1, 0, 0, 0, 0, 0, 0};
    d = 42;
    EXPECT_EQ(cumulativeDistance(8, a.data(), zero.data(), &d), 1u);
    EXPECT_EQ(cumulativeDistance(8, balanced.data(), a.data(), &d), 1u);
    EXPECT_EQ(windowedCumulativeDistance(8, zero.data(), a.data(), &d, 1, 3, 1), 1u);
    EXPECT_EQ(d, 42.0);
    EXPECT_EQ(cumulativeDistance(8, nullptr, a.data(), &d), 10u);
    EXPECT_EQ(windowedCumulativeDistance(8, a.data(), nullptr, &d, 0, 1, 1), 10u);
}

TEST(ArrayOps, WindowedDistanceWeights)
{
    // Spikes at 1 and 6 of 8 points, window [3, 4], width 2.
    Vec x(8, 0.0), y(8, 0.0);
    x[1] = 1;
    y[6] = 1;
    double expectedD = 0, W = 0, sx = 0, sy = 0;
    for (int i = 0; i < 8; ++i) {
        double w = 1;
        if (i < 3)
            w = std::exp(-std::pow((3.0 - i) / 2, 2));
        if (i > 4)
            w = std::exp(-std::pow((i - 4.0) / 2, 2));
        W += w;
        sx += x[i] * w;
        sy += y[i] * w;
        expectedD += (sx - sy) * (sx - sy);
    }
    double d = 0;
    EXPECT_EQ(windowedCumulativeDistance(8, x.data(), y.data(), &d, 4, 3, 2), 0u);
    EXPECT_NEAR(d, std::sqrt(expectedD / W), 1e-15);
    // Width 0 counts as 1.
    double d0 = 0, d1 = 0;
    EXPECT_EQ(windowedCumulativeDistance(8, x.data(), y.data(), &d0, 3, 4, 0), 0u);
    EXPECT_EQ(windowedCumulativeDistance(8, x.data(), y.data(), &d1, 3, 4, 1), 0u);
    EXPECT_EQ(d0, d1);
}
