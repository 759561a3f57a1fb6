// The transform and the Hilbert reconstruction against numpy/scipy
// (expectations from gen_reference.py, committed in data/).
#include "arrayops.h"
#include "numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace yarbex;

namespace {

// The generator of gen_reference.py: exactly representable values.
std::vector<double> referenceInput(uint32_t seed, uint32_t count)
{
    std::vector<double> v(count);
    uint64_t s = seed & 0x7FFFFFFFu;
    for (uint32_t i = 0; i < count; ++i) {
        s = (s * 1103515245u + 12345u) & 0x7FFFFFFFu;
        v[i] = double(s >> 8) / 8388608.0 - 0.5;
    }
    return v;
}

struct Sample {
    uint32_t index;
    double fwdRe, fwdIm, invRe, invIm, hilbertIm;
};

struct Reference {
    uint32_t n = 0;
    double sums[5][2] = {};
    std::vector<Sample> samples;
};

std::vector<Reference> loadReferences()
{
    std::ifstream in(KS_SOURCE_DIR "/data/fft_reference.txt");
    EXPECT_TRUE(in.good()) << "missing reference data";
    std::vector<Reference> refs;
    std::string line;
    in.imbue(std::locale::classic());
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream f(line);
        f.imbue(std::locale::classic());
        std::string word;
        f >> word;
        if (word == "n") {
            refs.emplace_back();
            uint32_t count = 0;
            f >> refs.back().n >> count;
            for (int k = 0; k < 5; ++k) {
                std::getline(in, line);
                std::istringstream g(line);
                g.imbue(std::locale::classic());
                g >> word >> refs.back().sums[k][0] >> refs.back().sums[k][1];
            }
        } else {
            Sample s{};
            s.index = uint32_t(std::stoul(word));
            f >> s.fwdRe >> s.fwdIm >> s.invRe >> s.invIm >> s.hilbertIm;
            refs.back().samples.push_back(s);
        }
    }
    return refs;
}

const std::vector<Reference>& references()
{
    static const std::vector<Reference> refs = loadReferences();
    return refs;
}

void expectChecksums(const double* v, uint32_t n, const double sums[2], double tol, const char* what)
{
    double sq = 0.0, weighted = 0.0;
    for (uint32_t k = 0; k < n; ++k) {
        sq += v[k] * v[k];
        weighted += (double(k % 17) - 8.0) * v[k];
    }
    EXPECT_NEAR(sq, sums[0], tol * std::sqrt(double(n)) * 4) << what << " n=" << n;
    EXPECT_NEAR(weighted, sums[1], tol * n * 8) << what << " n=" << n;
}

}  // namespace

TEST(Fft, CoversEverySizeFrom8To65536)
{
    ASSERT_EQ(references().size(), 14u);
    EXPECT_EQ(references().front().n, 8u);
    EXPECT_EQ(references().back().n, 65536u);
}

TEST(Fft, ForwardMatchesNumpy)
{
    for (const Reference& ref : references()) {
        const uint32_t n = ref.n;
        std::vector<double> z = referenceInput(n, 2 * n);
        ASSERT_EQ(fft(n, z.data(), 0), 0u);
        for (const Sample& s : ref.samples) {
            ASSERT_NEAR(z[s.index], s.fwdRe, 1e-11) << "n=" << n << " k=" << s.index;
            ASSERT_NEAR(z[n + s.index], s.fwdIm, 1e-11) << "n=" << n << " k=" << s.index;
        }
        expectChecksums(z.data(), n, ref.sums[0], 1e-11, "forward re");
        expectChecksums(z.data() + n, n, ref.sums[1], 1e-11, "forward im");
    }
}

TEST(Fft, InverseMatchesNumpyAndUndoesForward)
{
    for (const Reference& ref : references()) {
        const uint32_t n = ref.n;
        const std::vector<double> input = referenceInput(n, 2 * n);
        std::vector<double> z = input;
        ASSERT_EQ(fft(n, z.data(), 1), 0u);
        for (const Sample& s : ref.samples) {
            ASSERT_NEAR(z[s.index], s.invRe, 1e-11) << "n=" << n << " k=" << s.index;
            ASSERT_NEAR(z[n + s.index], s.invIm, 1e-11) << "n=" << n << " k=" << s.index;
        }
        expectChecksums(z.data(), n, ref.sums[2], 1e-11, "inverse re");
        expectChecksums(z.data() + n, n, ref.sums[3], 1e-11, "inverse im");
        ASSERT_EQ(fft(n, z.data(), 0), 0u);
        for (uint32_t k = 0; k < 2 * n; ++k)
            ASSERT_NEAR(z[k], input[k], 1e-12) << "n=" << n << " k=" << k;
    }
}

TEST(Fft, HilbertImaginaryMatchesScipyAndKeepsTheRealHalf)
{
    for (const Reference& ref : references()) {
        const uint32_t n = ref.n;
        const std::vector<double> input = referenceInput(n, 2 * n);
        std::vector<double> z(input.begin(), input.begin() + n);
        z.resize(2 * n, 0.0);
        ASSERT_EQ(hilbertImaginary(n, z.data()), 0u);
        for (const Sample& s : ref.samples)
            ASSERT_NEAR(z[n + s.index], s.hilbertIm, 1e-12) << "n=" << n << " k=" << s.index;
        expectChecksums(z.data() + n, n, ref.sums[4], 1e-12, "hilbert im");
        // The real half is exactly the input, the folded time point n/2
        // notwithstanding.
        for (uint32_t k = 0; k < n; ++k)
            ASSERT_EQ(z[k], input[k]) << "n=" << n << " k=" << k;
    }
}

TEST(Fft, HilbertCodesIgnoreTheGivenImaginaryHalf)
{
    const uint32_t n = 64;
    const std::vector<double> input = referenceInput(n, 2 * n);
    std::vector<double> fromZero(input.begin(), input.begin() + n);
    fromZero.resize(2 * n, 0.0);
    ASSERT_EQ(hilbertImaginary(n, fromZero.data()), 0u);
    for (uint32_t op : {133u, 134u}) {
        std::vector<double> out(2 * n, 99.0);
        ASSERT_EQ(complexOp1D(n, input.data(), out.data(), op, 0, 0), 0u);
        for (uint32_t k = 0; k < 2 * n; ++k)
            ASSERT_EQ(out[k], fromZero[k]) << op << " " << k;
    }
}

TEST(Fft, WorkedExamples)
{
    std::vector<double> z(16, 0.0);
    for (int k = 0; k < 8; ++k)
        z[k] = 1.0;
    ASSERT_EQ(fft(8, z.data(), 0), 0u);
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(z[k], k == 4 ? std::sqrt(8.0) : 0.0, 1e-15) << k;
    ASSERT_EQ(fft(8, z.data(), 1), 0u);
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(z[k], k < 8 ? 1.0 : 0.0, 1e-15) << k;

    std::vector<double> six = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::vector<double> copy = six;
    EXPECT_EQ(fft(6, six.data(), 0), 1u);
    EXPECT_EQ(fft(0, six.data(), 0), 1u);
    EXPECT_EQ(six, copy);
    EXPECT_EQ(hilbertImaginary(6, six.data()), 1u);
    EXPECT_EQ(six, copy);
}

TEST(Fft, TransformCodeOfArrayOperations)
{
    const uint32_t n = 16;
    const std::vector<double> input = referenceInput(n, 2 * n);
    std::vector<double> direct = input;
    fft(n, direct.data(), 0);
    std::vector<double> out(2 * n);
    EXPECT_EQ(complexOp1D(n, input.data(), out.data(), 129, 0.0, 0.0), 0u);
    EXPECT_EQ(out, direct);
    EXPECT_EQ(complexOp1D(n, out.data(), out.data(), 129, 1.0, 0.0), 0u);
    for (uint32_t k = 0; k < 2 * n; ++k)
        EXPECT_NEAR(out[k], input[k], 1e-14);
    EXPECT_EQ(complexOp2D(4, 4, input.data(), out.data(), 129, 0, 0), 6u);
    EXPECT_EQ(complexOp1D(12, input.data(), out.data(), 129, 0, 0), 1u);
}
