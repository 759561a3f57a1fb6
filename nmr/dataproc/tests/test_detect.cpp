// Peak detection and line fitting: building blocks and a synthetic
// spectrum against scipy's curve_fit.
#include "detect.h"
#include "dpitest.h"
#include "measure.h"
#include "peak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace yarbex;
using yarbex::test::DpiFixture;

namespace {

struct Line {
    double position, width, amplitude;
};

const Line kLines[] = {{1000.3, 6, 100}, {2000.7, 10, 60}, {3000.2, 15, 40}};

// The noise of gen_reference.py: Box-Muller over the shared generator.
std::vector<double> gaussianNoise(uint32_t seed, uint32_t count, double sigma)
{
    std::vector<double> out;
    uint64_t s = seed & 0x7FFFFFFFu;
    auto next = [&s] {
        s = (s * 1103515245u + 12345u) & 0x7FFFFFFFu;
        return (double(s >> 8) + 0.5) / 8388608.0;
    };
    while (out.size() < count) {
        const double u1 = next();
        const double u2 = next();
        out.push_back(sigma * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2));
    }
    return out;
}

// Seed 1 is the noise of the committed reference (see NoiseLinesStaySmall
// for other realisations).
std::vector<float> syntheticSpectrum(uint32_t n, double sigma, uint32_t seed = 1)
{
    const std::vector<double> noise = gaussianNoise(seed, n, sigma);
    std::vector<float> y(n);
    for (uint32_t i = 0; i < n; ++i) {
        double v = sigma > 0 ? noise[i] : 0.0;
        for (const Line& l : kLines) {
            const double t = 2 * (i - l.position) / l.width;
            v += l.amplitude / (1 + t * t);
        }
        y[i] = float(v);
    }
    return y;
}

std::vector<Line> fittedReference(const std::string& name)
{
    std::ifstream in(KS_SOURCE_DIR "/data/peaks_reference.txt");
    EXPECT_TRUE(in.good());
    std::vector<Line> lines;
    std::string line;
    bool mine = false;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        f.imbue(std::locale::classic());
        std::string word;
        f >> word;
        if (word == "case") {
            std::string which;
            f >> which;
            mine = which == name;
        } else if (word == "line" && mine) {
            Line l{};
            f >> l.position >> l.width >> l.amplitude;
            lines.push_back(l);
        }
    }
    return lines;
}

std::vector<const cPeak1D*> peaksOf(DPI* dpi)
{
    std::vector<const cPeak1D*> v;
    auto* record = wordPointer<TPeak1DList>(dpi->results->slot[WkPeakList].words.first);
    for (_TPeak1D* r = record ? record->firstRecord : nullptr; r; r = r->nextRecord)
        v.push_back(cPeak1D::fromRecord(r));
    return v;
}

class DetectTest : public DpiFixture {
protected:
    void pick(std::vector<float>& data, uint32_t mode, uint32_t passes)
    {
        setData(data, uint32_t(data.size()), KindReal);
        setDouble(0, 1.0);
        setDouble(1, 0.02);
        setInt(0, passes);
        dpi->mode = mode;
        ASSERT_EQ(dpi->instanceCommand(161), 0u);
    }
};

}  // namespace

TEST_F(DetectTest, FindsExactlyTheThreeLines)
{
    for (double sigma : {0.0, 0.5}) {
        std::vector<float> data = syntheticSpectrum(4096, sigma);
        dpi->instanceCommand(33);
        pick(data, 0, 0);
        const std::vector<const cPeak1D*> peaks = peaksOf(dpi);
        ASSERT_EQ(peaks.size(), 3u) << "sigma " << sigma;
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(peaks[k]->position, kLines[k].position, 1.0) << k;
            EXPECT_EQ(peaks[k]->phase, 0.0);
            EXPECT_EQ(peaks[k]->lineShape, 0u);
        }
    }
}

TEST_F(DetectTest, NoiseLinesStaySmall)
{
    // Between two lines the deepest noise dip of the second derivative
    // becomes a candidate; its smoothed height can reach twice the noise,
    // so some noise realisations carry small extra lines. The three lines
    // are always found and nothing else is large.
    for (uint32_t seed = 2; seed <= 13; ++seed) {
        std::vector<float> data = syntheticSpectrum(4096, 0.5, seed);
        dpi->instanceCommand(33);
        pick(data, 0, 0);
        const double sigma = work(WkNoiseReal).value;
        EXPECT_NEAR(sigma, 0.5, 0.15) << seed;
        size_t found = 0;
        for (const cPeak1D* p : peaksOf(dpi)) {
            bool real = false;
            for (const Line& l : kLines)
                real |= std::fabs(p->position - l.position) <= 2.0 && p->amplitude > 0.7 * l.amplitude;
            if (real)
                ++found;
            else
                EXPECT_LT(p->amplitude, 6 * sigma) << seed << " at " << p->position;
        }
        EXPECT_EQ(found, 3u) << seed;
    }
}

TEST_F(DetectTest, RefinementMatchesCurveFit)
{
    for (const char* name : {"clean", "noisy"}) {
        const double sigma = std::string(name) == "noisy" ? 0.5 : 0.0;
        std::vector<float> data = syntheticSpectrum(4096, sigma);
        dpi->instanceCommand(33);
        pick(data, ModeRefine, 3);
        const std::vector<const cPeak1D*> peaks = peaksOf(dpi);
        const std::vector<Line> reference = fittedReference(name);
        ASSERT_EQ(reference.size(), 3u);
        ASSERT_EQ(peaks.size(), 3u) << name;
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(peaks[k]->position, reference[k].position, 0.1) << name << " " << k;
            EXPECT_NEAR(peaks[k]->width, reference[k].width, 0.05 * reference[k].width) << name << " " << k;
            EXPECT_NEAR(peaks[k]->amplitude, reference[k].amplitude, 0.05 * reference[k].amplitude)
                << name << " " << k;
        }
    }
}

TEST(Detection, MarkExtremaAndSimplePick)
{
    dataProcSettings()[0] = 7.0;
    const std::vector<double> x = {0, 3, 10, 3, 0, -9, 0, 8, 0, 0};
    std::vector<int32_t> marks(x.size(), 99);
    ASSERT_EQ(markExtrema(uint32_t(x.size()), x.data(), marks.data(), 1.0, 0), 0u);
    EXPECT_EQ(marks, (std::vector<int32_t>{0, 0, 1, 0, 0, -1, 0, 1, 0, 0}));
    ASSERT_EQ(markExtrema(uint32_t(x.size()), x.data(), marks.data(), 1.0, 1), 0u);
    EXPECT_EQ(marks, (std::vector<int32_t>{0, 0, 1, 0, 0, 0, 0, 1, 0, 0}));
    ASSERT_EQ(markExtrema(uint32_t(x.size()), x.data(), marks.data(), 1.0, -1), 0u);
    EXPECT_EQ(marks, (std::vector<int32_t>{0, 0, 0, 0, 0, -1, 0, 0, 0, 0}));
    EXPECT_EQ(markExtrema(0, x.data(), marks.data(), 1.0, 0), 10u);

    std::vector<double> out(x.size());
    uint32_t up = 9, down = 9;
    ASSERT_EQ(simplePeakPick(uint32_t(x.size()), x.data(), out.data(), 1.0, 0, &up, &down), 0u);
    EXPECT_EQ(up, 2u);
    EXPECT_EQ(down, 1u);
    EXPECT_EQ(out[2], 1.0);
    EXPECT_EQ(out[5], -1.0);
    EXPECT_EQ(simplePeakPick(0, x.data(), out.data(), 1.0, 0, &up, &down), 10u);
    EXPECT_EQ(up, 0u);
    EXPECT_EQ(simplePeakPick(3, x.data(), nullptr, 1.0, 0, &up, &down), 11u);
    int32_t* none = reinterpret_cast<int32_t*>(&up);
    EXPECT_EQ(newExtremaMarks(0, x.data(), &none, 1.0, 0), 0x40000003u);
    EXPECT_EQ(none, nullptr);
}

TEST(Detection, FlatSpectrumGivesNoFlagsAndNoLines)
{
    const uint32_t n = 256;
    std::vector<double> y(n, 5.0);
    uint32_t* flags = nullptr;
    double* smoothed = nullptr;
    ASSERT_EQ(detectPeakFlags(n, y.data(), 0.1, 4.0, &flags, &smoothed, nullptr, nullptr), 0u);
    ASSERT_NE(flags, nullptr);
    for (uint32_t i = 0; i < n + 100; ++i)
        ASSERT_EQ(flags[i], 0u) << i;
    cPeak1DList list(1.0, 0.1);
    EXPECT_EQ(list.addDetectedPeaks(int32_t(n), flags, smoothed, 4.0, 0.1), 0u);
    EXPECT_EQ(list.peakCount, 0u);
    std::free(flags);
    std::free(smoothed);
    EXPECT_EQ(detectPeakFlags(0, y.data(), 0.1, 4.0, &flags, nullptr, nullptr, nullptr), 10u);
    EXPECT_EQ(flags, nullptr);
}

TEST(Detection, SingleLineFlagsAndBoundaries)
{
    const uint32_t n = 512;
    std::vector<double> y(n);
    for (uint32_t i = 0; i < n; ++i)
        y[i] = 50.0 / (1 + std::pow((i - 200.0) / 3.0, 2));
    uint32_t* f = nullptr;
    double* S = nullptr;
    ASSERT_EQ(detectPeakFlags(n, y.data(), 0.05, 6.0, &f, &S, nullptr, nullptr), 0u);
    std::vector<uint32_t> candidates, lefts, rights;
    for (uint32_t i = 0; i < n; ++i) {
        if (f[i] & FlagCandidate)
            candidates.push_back(i);
        if (f[i] & FlagLeft)
            lefts.push_back(i);
        if (f[i] & FlagRight)
            rights.push_back(i);
    }
    ASSERT_EQ(candidates, (std::vector<uint32_t>{200}));
    EXPECT_TRUE(f[200] & FlagMaximum);
    ASSERT_EQ(lefts.size(), 1u);
    ASSERT_EQ(rights.size(), 1u);
    EXPECT_LT(lefts[0], 200u);
    EXPECT_GE(lefts[0], 200u - 31);  // within L = 5 w + 1
    EXPECT_GT(rights[0], 200u);
    EXPECT_LE(rights[0], 200u + 31);
    cPeak1DList list(1.0, 0.05);
    ASSERT_EQ(list.addDetectedPeaks(int32_t(n), f, S, 6.0, 0.05), 0u);
    ASSERT_EQ(list.peakCount, 1u);
    const cPeak1D* p = list.firstPeak();
    EXPECT_EQ(p->position, 200.0);
    EXPECT_EQ(p->width, double(rights[0] - lefts[0] + 1));
    // The smoothed height above the lower side minimum within 4 w.
    double low = 1e300;
    for (int k = 200 - 24; k <= 200 + 24; ++k)
        if (k != 200)
            low = std::min(low, S[k]);
    EXPECT_DOUBLE_EQ(p->amplitude, S[200] - low);
    std::free(f);
    std::free(S);

    std::vector<double> trace(n);
    ASSERT_EQ(flagTrace(n, y.data(), trace.data(), 0.05, 6.0, 1), 0u);
    EXPECT_EQ(trace[lefts[0]], 0.03);
    EXPECT_EQ(trace[200], 0.03);
    EXPECT_EQ(trace[rights[0]], 0.0);
    EXPECT_EQ(trace[rights[0] + 1], 0.0);
    ASSERT_EQ(flagTrace(n, y.data(), trace.data(), 0.05, 6.0, 0), 0u);
    EXPECT_GT(trace[200], 0.03 - 1e-12);
    EXPECT_EQ(flagTrace(n, y.data(), nullptr, 0.05, 6.0, 0), 11u);
}

TEST(Detection, CandidatesAtTheEdgesStayInside)
{
    // Lines right at both ends: their boundaries must stay in the array.
    const uint32_t n = 128;
    std::vector<double> y(n);
    for (uint32_t i = 0; i < n; ++i)
        y[i] = 40.0 / (1 + std::pow(i / 2.0, 2)) + 40.0 / (1 + std::pow((i - 127.0) / 2.0, 2));
    uint32_t* f = nullptr;
    double* S = nullptr;
    ASSERT_EQ(detectPeakFlags(n, y.data(), 0.01, 4.0, &f, &S, nullptr, nullptr), 0u);
    // Hand-made candidates at both ends as well.
    f[0] |= FlagCandidate;
    f[n - 1] |= FlagCandidate;
    for (double w : {4.0, 0.1, -1.0}) {
        cPeak1DList list(1.0, 0.01);
        ASSERT_EQ(list.addDetectedPeaks(int32_t(n), f, S, w, 0.01), 0u);
        for (const cPeak1D* p = list.firstPeak(); p; p = p->nextPeak()) {
            EXPECT_GE(p->position, 0.0);
            EXPECT_LE(p->position, n - 1.0);
            EXPECT_TRUE(std::isfinite(p->amplitude));
        }
    }
    std::free(f);
    std::free(S);
}

TEST(Fitting, CostOfConstantAndShortResiduals)
{
    const std::vector<double> c(10, 3.0);
    EXPECT_DOUBLE_EQ(fitCost(10, c.data()), 9.0);
    const std::vector<double> two = {1, 3};
    EXPECT_DOUBLE_EQ(fitCost(2, two.data()), 5.0 + 1.0);  // msq + var
    // msq 1/4 + var 3/16 + (E1 = 1 / 4) / 4 + 10 (E2 = 5 / 16) / 4: the
    // totals of lag 1 are divided again at lag 2, which adds nothing.
    const std::vector<double> bump = {0, 1, 0, 0};
    EXPECT_DOUBLE_EQ(fitCost(4, bump.data()), 0.25 + 0.1875 + 0.0625 + 0.78125);
}

TEST(Fitting, FitRangesMerge)
{
    cPeak1DList list(0, 0);
    for (double pos : {100.0, 110.0, 123.0, 400.0})
        list.appendPeak(new cPeak1D(0, pos, 1.0, 10, 0, 0, 0, 0, 0));
    ASSERT_EQ(list.setFitRanges(1000), 0u);
    std::vector<const cPeak1D*> v;
    for (const cPeak1D* p = list.firstPeak(); p; p = p->nextPeak())
        v.push_back(p);
    // h = 7: 93..107, 103..117, 116..130 chain into one; 400 stays alone.
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(v[k]->fitLow, 93.0) << k;
        EXPECT_EQ(v[k]->fitHigh, 130.0) << k;
    }
    EXPECT_EQ(v[3]->fitLow, 393.0);
    EXPECT_EQ(v[3]->fitHigh, 407.0);
    // Clamped to 1 .. n - 2, at least 3 wide.
    cPeak1DList edge(0, 0);
    edge.appendPeak(new cPeak1D(0, 0.5, 0.1, 10, 0, 0, 0, 0, 0));
    edge.setFitRanges(10);
    EXPECT_EQ(edge.firstPeak()->fitLow, 1.0);
    EXPECT_EQ(edge.firstPeak()->fitHigh, 3.5);
}

namespace {

// A target of n points holding one line, and scratch space.
struct Target {
    std::vector<double> values, scratch;
    Target(uint32_t n, const cPeak1D& line) : values(n), scratch(2 * n)
    {
        for (uint32_t i = 0; i < n; ++i)
            line.value(i, &values[i], nullptr);
    }
};

}  // namespace

TEST(Fitting, SearchesFindTheLine)
{
    const cPeak1D truth(0, 50.3, 6, 40, 0, 0, 0, 0, 0);
    Target t(100, truth);
    cPeak1D p(0, 50.0, 7, 30, 0, 0, 0, 0, 0);
    for (int pass = 0; pass < 6; ++pass) {
        p.fitAmplitude(0, 100, t.scratch.data(), t.values.data(), 0.01);
        p.fitWidth(0, 100, t.scratch.data(), t.values.data());
        p.fitPosition(0, 100, t.scratch.data(), t.values.data());
    }
    EXPECT_NEAR(p.position, 50.3, 0.02);
    EXPECT_NEAR(p.width, 6.0, 0.06);
    EXPECT_NEAR(p.amplitude, 40.0, 0.4);

    cPeak1D ph(0, 50.3, 6, 40, 0.3, 0, 0, 0, 0);
    for (int pass = 0; pass < 3; ++pass)
        ph.fitPhase(0, 100, t.scratch.data(), t.values.data());
    EXPECT_NEAR(ph.phase, 0.0, 0.02);
}

TEST(Fitting, AmplitudeSearchStopsAtTwiceItsStart)
{
    const cPeak1D truth(0, 50, 6, 100, 0, 0, 0, 0, 0);
    Target t(100, truth);
    cPeak1D p(0, 50, 6, 10, 0, 0, 0, 0, 0);
    p.fitAmplitude(0, 100, t.scratch.data(), t.values.data(), 0.01);
    // The walk ends at the first value above 20; the vertex step then
    // extrapolates at most one parabola step from there.
    EXPECT_GT(p.amplitude, 20.0);
    EXPECT_LT(p.amplitude, 30.0);
}

TEST(Fitting, EqualCostsKeepTheAmplitude)
{
    // A line far outside the window changes nothing: all costs are equal.
    std::vector<double> target(20, 1.0), scratch(40);
    cPeak1D far(0, 1e9, 1, 5, 0, 0, 0, 0, 0);
    far.fitAmplitude(0, 20, scratch.data(), target.data(), 0.01);
    EXPECT_EQ(far.amplitude, 5.0);
    far.fitWidth(0, 20, scratch.data(), target.data());
    EXPECT_EQ(far.width, 1.0);
}

TEST(Fitting, PositionNeverPassesANeighbour)
{
    cPeak1DList list(0, 0);
    auto* a = new cPeak1D(0, 40, 6, 40, 0, 0, 0, 0, 0);
    auto* b = new cPeak1D(0, 41, 6, 40, 0, 0, 0, 0, 0);
    list.appendPeak(a);
    list.appendPeak(b);
    // The data hold one line at 45: a would like to move past b.
    const cPeak1D truth(0, 45, 6, 40, 0, 0, 0, 0, 0);
    Target t(100, truth);
    for (int pass = 0; pass < 10; ++pass)
        a->fitPosition(0, 100, t.scratch.data(), t.values.data());
    EXPECT_LE(a->position, b->position);
    EXPECT_GT(a->position, 40.0);
}

TEST(Fitting, SplitOfAHighLineWithACentralDip)
{
    const int32_t n = 100;
    cPeak1DList list(0.01, 1.0);
    auto* p = new cPeak1D(0, 50, 4, 300, 0, 0, 0, 0, 0);
    auto* q = new cPeak1D(0, 80, 4, 10, 0, 0, 0, 0, 0);
    list.appendPeak(p);
    list.appendPeak(q);
    std::vector<double> residual(2 * n, 0.0);
    residual[50] = -60;  // a dip of 60 sigma at the centre
    ASSERT_EQ(p->split(n, residual.data(), 1.0), 0u);
    ASSERT_EQ(list.peakCount, 3u);
    cPeak1D* second = p->nextPeak();
    ASSERT_NE(second, q);
    EXPECT_DOUBLE_EQ(p->position, 49.9);
    EXPECT_DOUBLE_EQ(second->position, 50.1);
    EXPECT_EQ(p->amplitude, 150.0);
    EXPECT_EQ(second->amplitude, 150.0);
    EXPECT_TRUE(p->itemFlags & cVqListItem::SplitMark);
    EXPECT_TRUE(second->itemFlags & cVqListItem::SplitMark);
    EXPECT_EQ(second->nextPeak(), q);
    EXPECT_EQ(p->nextRecord, second->record());
    EXPECT_EQ(second->nextRecord, q->record());
    // Marked lines are not split again.
    ASSERT_EQ(p->split(n, residual.data(), 1.0), 0u);
    EXPECT_EQ(list.peakCount, 3u);

    // Too small a dip, too low a line, or too near an edge: no split.
    cPeak1DList other(0.01, 1.0);
    auto* edge = new cPeak1D(0, 2, 4, 300, 0, 0, 0, 0, 0);
    other.appendPeak(edge);
    std::vector<double> r2(2 * n, 0.0);
    r2[2] = -100;
    EXPECT_EQ(edge->split(n, r2.data(), 1.0), 0u);
    residual[50] = -40;
    auto* mild = new cPeak1D(0, 50, 4, 300, 0, 0, 0, 0, 0);
    other.appendPeak(mild);
    EXPECT_EQ(mild->split(n, residual.data(), 1.0), 0u);
    EXPECT_EQ(other.peakCount, 2u);

    // refineAll refines the second half right after the first; both
    // marks are cleared at the end.
    std::vector<double> model(2 * n), data(2 * n, 0.0);
    const cPeak1D truth(0, 50, 4, 300, 0, 0, 0, 0, 0);
    for (int i = 0; i < n; ++i)
        truth.value(i, &data[i], &data[n + i]);
    data[50] -= 60;
    ASSERT_EQ(list.setFitRanges(n), 0u);
    std::vector<double> res(2 * n);
    ASSERT_EQ(list.synthesise(n, model.data(), data.data(), res.data()), 0u);
    ASSERT_EQ(list.refineAll(n, res.data(), 1.0, 0, 1), 0u);
    EXPECT_EQ(list.peakCount, 3u);
    for (const cPeak1D* l = list.firstPeak(); l; l = l->nextPeak())
        EXPECT_FALSE(l->itemFlags & cVqListItem::SplitMark);
}

TEST(Fitting, RefineKeepsTheResidualConsistent)
{
    const int32_t n = 200;
    cPeak1DList list(0.01, 0.1);
    list.appendPeak(new cPeak1D(0, 99, 5, 30, 0, 0, 0, 0, 0));
    std::vector<double> data(2 * n), model(2 * n), residual(2 * n);
    const cPeak1D truth(0, 100.4, 6, 35, 0, 0, 0, 0, 0);
    for (int i = 0; i < n; ++i)
        truth.value(i, &data[i], &data[n + i]);
    ASSERT_EQ(list.synthesise(n, model.data(), data.data(), residual.data()), 0u);
    ASSERT_EQ(list.setFitRanges(n), 0u);
    // A fit range that rounds to one point: flat baseline, no division.
    list.firstPeak()->fitLow = list.firstPeak()->fitHigh = 100.2;
    for (int pass = 0; pass < 4; ++pass)
        ASSERT_EQ(list.refineAll(n, residual.data(), 0.1, 0, 0), 0u);
    std::vector<double> fresh(2 * n);
    ASSERT_EQ(list.synthesise(n, model.data(), data.data(), fresh.data()), 0u);
    for (int k = 0; k < 2 * n; ++k)
        ASSERT_NEAR(residual[k], fresh[k], 1e-9) << k;
    EXPECT_NEAR(list.firstPeak()->position, 100.4, 0.1);

    // Lines drawn with a line mode: sticks carry the area at the position.
    std::vector<double> sticks(2 * n);
    ASSERT_EQ(list.renderWithLineMode(n, sticks.data(), LineFixedWidth, 0.0), 0u);
    double area = 0;
    list.firstPeak()->area(&area);
    EXPECT_DOUBLE_EQ(sticks[size_t(std::floor(list.firstPeak()->position + 0.5))], area);
    EXPECT_EQ(sticks[n + 100], 0.0);
}
