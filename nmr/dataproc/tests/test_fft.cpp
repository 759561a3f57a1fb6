// The transform and the Hilbert reconstruction against numpy/scipy
// (expectations from gen_reference.py, committed in data/).
#include "arrayops.h"
#include "numeric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
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

// ---------------------------------------------------------------------------
// The radix-4 transform against the in-place radix-2 one it replaced (kept
// as the transform for tiny sizes and for when memory is short): every
// result within 1e-12 of the largest output, on every size and kind of
// input.

namespace {

enum class Input { Random, ImpulseFirst, ImpulseLast, Constant, Alternating, Tone, Huge, Tiny };

struct InputCase {
    Input kind;
    const char* name;
};

const InputCase kInputs[] = {
    {Input::Random, "random"},       {Input::ImpulseFirst, "impulse at 0"},
    {Input::ImpulseLast, "impulse at n-1"}, {Input::Constant, "constant"},
    {Input::Alternating, "alternating"}, {Input::Tone, "tone"},
    {Input::Huge, "random times 1e200"}, {Input::Tiny, "random times 1e-200"},
};

std::vector<double> makeInput(Input kind, uint32_t n)
{
    std::vector<double> z = referenceInput(n + 3, 2 * n);
    switch (kind) {
    case Input::Random:
        break;
    case Input::ImpulseFirst:
    case Input::ImpulseLast:
        std::fill(z.begin(), z.end(), 0.0);
        z[kind == Input::ImpulseFirst ? 0 : n - 1] = 1.0;
        z[kind == Input::ImpulseFirst ? n : 2 * n - 1] = -0.25;
        break;
    case Input::Constant:
        std::fill(z.begin(), z.begin() + n, 0.75);
        std::fill(z.begin() + n, z.end(), -1.5);
        break;
    case Input::Alternating:
        for (uint32_t k = 0; k < n; ++k) {
            z[k] = k % 2 ? -1.0 : 1.0;
            z[n + k] = 0.0;
        }
        break;
    case Input::Tone:
        for (uint32_t k = 0; k < n; ++k) {
            z[k] = std::cos(2.0 * M_PI * 3.0 * k / n);
            z[n + k] = std::sin(2.0 * M_PI * 3.0 * k / n);
        }
        break;
    case Input::Huge:
        for (double& x : z)
            x *= 1e200;
        break;
    case Input::Tiny:
        for (double& x : z)
            x *= 1e-200;
        break;
    }
    return z;
}

void expectClose(const std::vector<double>& got, const std::vector<double>& want, const std::string& what)
{
    ASSERT_EQ(got.size(), want.size());
    double largest = 0.0;
    for (double x : want)
        largest = std::max(largest, std::fabs(x));
    const double tol = 1e-12 * largest;
    for (size_t k = 0; k < want.size(); ++k)
        ASSERT_LE(std::fabs(got[k] - want[k]), tol) << what << " at " << k << ": " << got[k] << " vs " << want[k];
}

// The reconstruction as it was built on the in-place transform.
std::vector<double> hilbertByInPlaceTransform(const std::vector<double>& input, uint32_t n)
{
    std::vector<double> z(input.begin(), input.begin() + n);
    z.resize(2 * n, 0.0);
    fftInPlace(n, z.data(), 1);
    for (uint32_t k = 1; k <= n / 2; ++k) {
        const uint32_t m = n - k;
        const double rk = z[k], rm = z[m], ik = z[n + k], imm = z[n + m];
        z[k] = rk + rm;
        z[m] = rk - rm;
        z[n + k] = ik - imm;
        z[n + m] = imm + ik;
    }
    fftInPlace(n, z.data(), 0);
    std::copy(input.begin(), input.begin() + n, z.begin());
    return z;
}

}  // namespace

TEST(Fft, MatchesTheInPlaceTransformOnEverySizeAndInput)
{
    for (uint32_t n = 1; n <= (1u << 17); n *= 2)
        for (const InputCase& in : kInputs)
            for (uint32_t inverse : {0u, 1u}) {
                const std::vector<double> input = makeInput(in.kind, n);
                std::vector<double> got = input, want = input;
                ASSERT_EQ(fft(n, got.data(), inverse), 0u);
                ASSERT_EQ(fftInPlace(n, want.data(), inverse), 0u);
                expectClose(got, want,
                            std::string(in.name) + (inverse ? " inverse" : " forward") + " n=" + std::to_string(n));
            }
}

TEST(Fft, HilbertMatchesTheReconstructionOnTheInPlaceTransform)
{
    for (uint32_t n = 1; n <= (1u << 16); n *= 2)
        for (const InputCase& in : kInputs) {
            const std::vector<double> input = makeInput(in.kind, n);
            std::vector<double> got(input.begin(), input.begin() + n);
            got.resize(2 * n, 0.0);
            ASSERT_EQ(hilbertImaginary(n, got.data()), 0u);
            expectClose(got, hilbertByInPlaceTransform(input, n), std::string(in.name) + " n=" + std::to_string(n));
        }
}

// Sizes whose table is built for the call (above 2^20 points) and whose
// scratch is allocated for the call (above 2^18).
TEST(Fft, LargeSizesMatchTheInPlaceTransform)
{
    for (uint32_t n : {1u << 19, 1u << 21}) {
        const std::vector<double> input = makeInput(Input::Random, n);
        for (uint32_t inverse : {0u, 1u}) {
            std::vector<double> got = input, want = input;
            ASSERT_EQ(fft(n, got.data(), inverse), 0u);
            ASSERT_EQ(fftInPlace(n, want.data(), inverse), 0u);
            expectClose(got, want, "n=" + std::to_string(n));
        }
    }
}

// A NaN anywhere in the input leaves no output point finite (the
// radix-2 steps spread it into both parts, the radix-4 passes into one
// part at least): bad data give a visibly bad spectrum.
TEST(Fft, NotANumberReachesEveryPoint)
{
    for (uint32_t n : {2u, 8u, 64u, 512u, 2048u})
        for (uint32_t inverse : {0u, 1u})
            for (uint32_t where : {0u, n / 3, n + n / 2, 2 * n - 1}) {
                std::vector<double> got = makeInput(Input::Random, n);
                got[where] = std::nan("");
                std::vector<double> want = got;
                fft(n, got.data(), inverse);
                fftInPlace(n, want.data(), inverse);
                for (uint32_t k = 0; k < n; ++k) {
                    ASSERT_TRUE(std::isnan(got[k]) || std::isnan(got[n + k])) << "n=" << n << " k=" << k;
                    ASSERT_TRUE(std::isnan(want[k]) || std::isnan(want[n + k])) << "n=" << n << " k=" << k;
                }
            }
}

// Tables and scratch are shared state: threads transforming sizes in
// different orders at once (the first use of each size's table among
// them) give the same bits as the transforms done one by one afterwards.
TEST(Fft, ThreadsAtOnceGiveTheSameBitsAsOneByOne)
{
    const uint32_t sizes[] = {1u << 13, 1u << 5, 1u << 15, 1u << 10, 1u << 3};
    const size_t count = std::size(sizes);
    auto transform = [](uint32_t n) {
        std::vector<double> z = makeInput(Input::Random, n);
        fft(n, z.data(), 0);
        fft(n, z.data(), 1);
        fft(n, z.data(), 0);
        return z;
    };
    std::vector<std::vector<std::vector<double>>> byThread(6, std::vector<std::vector<double>>(count));
    std::vector<std::thread> threads;
    for (size_t t = 0; t < byThread.size(); ++t)
        threads.emplace_back([&, t] {
            for (size_t i = 0; i < count; ++i) {
                const size_t which = (t + i) % count;
                byThread[t][which] = transform(sizes[which]);
            }
        });
    for (std::thread& th : threads)
        th.join();
    for (size_t i = 0; i < count; ++i) {
        const std::vector<double> alone = transform(sizes[i]);
        for (size_t t = 0; t < byThread.size(); ++t)
            EXPECT_EQ(byThread[t][i], alone) << "n=" << sizes[i] << " thread " << t;
    }
}
