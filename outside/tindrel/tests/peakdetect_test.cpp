// Peak detection: chromatogram peaks of analytic Gaussians (positions,
// boundaries and types, heights and areas) and centroids of synthetic
// profile spectra.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tindreltest.h"

namespace tindreltest {
namespace {

TKSChromatogram sampled(const std::vector<Gaussian>& peaks, double start, double step, int points,
                        double baseline = 0, double noise = 0, uint32_t seed = 1)
{
    std::vector<double> t(static_cast<size_t>(points)), y(static_cast<size_t>(points));
    uint32_t x = seed;
    for (int i = 0; i < points; ++i) {
        t[i] = start + i * step;
        y[i] = baseline;
        for (const Gaussian& g : peaks)
            y[i] += g.at(t[i]);
        if (noise > 0) {
            x = x * 1664525u + 1013904223u;
            y[i] += noise * (x / 4294967296.0 - 0.5);
        }
    }
    TKSChromatogram c;
    c.setPoints(t, y);
    return c;
}

struct Expected {
    double apex;
    int type;
    double area;       // 0: not checked
    double tolerance;  // relative, for the area
};

struct ChromatogramCase {
    const char* name;
    std::vector<Gaussian> peaks;
    double baseline, noise;
    std::vector<Expected> expected;
};

TEST(TindrelChromatogramPeaks, AnalyticGaussians)
{
    const Gaussian a{1.0, 0.05, 1000}, b{2.0, 0.08, 250}, c{3.0, 0.03, 40};
    const Gaussian left{4.0, 0.05, 800}, right{4.2, 0.05, 500};
    const Gaussian p1{5.0, 0.04, 600}, p2{5.15, 0.04, 900}, p3{5.3, 0.04, 400};
    const ChromatogramCase cases[] = {
        {"three separated", {a, b, c}, 0, 0,
         {{1.0, PeakTypeBB, a.area(), 0.01}, {2.0, PeakTypeBB, b.area(), 0.01}, {3.0, PeakTypeBB, c.area(), 0.01}}},
        {"on a constant baseline", {a, b}, 300, 0,
         {{1.0, PeakTypeBB, a.area(), 0.01}, {2.0, PeakTypeBB, b.area(), 0.01}}},
        {"two overlapping", {left, right}, 0, 0, {{4.0, PeakTypeBV, 0, 0}, {4.2, PeakTypeVB, 0, 0}}},
        {"three overlapping", {p1, p2, p3}, 0, 0,
         {{5.0, PeakTypeBV, 0, 0}, {5.15, PeakTypeVV, 0, 0}, {5.3, PeakTypeVB, 0, 0}}},
        // Noise moves the boundaries up to the noise level, which cuts the
        // tails and lifts the baseline of the smaller peak by a few per cent.
        {"with noise", {a, b}, 50, 10,
         {{1.0, PeakTypeBB, a.area(), 0.03}, {2.0, PeakTypeBB, b.area(), 0.10}}},
    };
    for (const ChromatogramCase& k : cases) {
        SCOPED_TRACE(k.name);
        const TKSChromatogram chrom = sampled(k.peaks, 0, 0.005, 1300, k.baseline, k.noise);
        TKSChromatogramPeakDetect detector;
        ASSERT_EQ(detector.detect(chrom), static_cast<int>(k.expected.size()));
        const auto& found = detector.getPeaks();
        for (size_t i = 0; i < k.expected.size(); ++i) {
            const TKSChromatogramPeak& p = found[i];
            EXPECT_NEAR(p.apexRT, k.expected[i].apex, 0.0051) << i;
            EXPECT_EQ(p.type, k.expected[i].type) << i;
            EXPECT_EQ(chrom.getRTValues()[static_cast<size_t>(p.scan)], p.apexRT) << i;
            EXPECT_EQ(chrom.getIntensities()[static_cast<size_t>(p.scan)], p.apexIntensity) << i;
            EXPECT_LT(p.startRT, p.apexRT);
            EXPECT_GT(p.endRT, p.apexRT);
            if (k.expected[i].area > 0) {
                EXPECT_NEAR(p.area, k.expected[i].area, k.expected[i].tolerance * k.expected[i].area) << i;
                EXPECT_NEAR(p.height, k.peaks[i].height, 0.02 * k.peaks[i].height + k.noise) << i;
            }
            if (i > 0) {
                // Neighbours share a valley or are apart.
                EXPECT_LE(found[i - 1].endRT, p.startRT) << i;
            }
        }
    }
}

// Two peaks meeting at a valley share the lowest point between them; the
// heights stand over the straight line through start and end.
TEST(TindrelChromatogramPeaks, ValleyAndLinearBaseline)
{
    const Gaussian left{1.0, 0.05, 800}, right{1.2, 0.05, 500};
    const TKSChromatogram chrom = sampled({left, right}, 0, 0.01, 250);
    TKSChromatogramPeakDetect detector;
    ASSERT_EQ(detector.detect(chrom), 2);
    const auto& p = detector.getPeaks();
    EXPECT_EQ(p[0].endRT, p[1].startRT);
    double lowest = 1e300, at = 0;
    for (int i = 0; i < chrom.getCount(); ++i) {
        const double t = chrom.getRTValues()[i];
        if (t > 1.0 && t < 1.2 && chrom.getIntensities()[i] < lowest) {
            lowest = chrom.getIntensities()[i];
            at = t;
        }
    }
    EXPECT_DOUBLE_EQ(p[0].endRT, at);
    EXPECT_DOUBLE_EQ(p[0].endIntensity, lowest);
    const double base = p[1].startIntensity +
                        (p[1].endIntensity - p[1].startIntensity) * (p[1].apexRT - p[1].startRT) /
                            (p[1].endRT - p[1].startRT);
    EXPECT_DOUBLE_EQ(p[1].height, p[1].apexIntensity - base);
}

// A TIC falling steeply from its first scan with a small bump on the way
// down: the bump's apex lies below the line from the run's start to its
// valley and is not reported as a peak of negative height; the real peak
// after it is.
TEST(TindrelChromatogramPeaks, NoPeakBelowItsOwnBaseline)
{
    std::vector<double> t, y = {20000, 4000, 3500, 4200, 3000, 2500, 6000, 12000, 6000, 2500};
    for (int i = 0; i < 30; ++i)
        y.push_back(1000 + (i % 2 ? 15 : -15));
    for (size_t i = 0; i < y.size(); ++i)
        t.push_back(0.01 * static_cast<double>(i));
    TKSChromatogram tic;
    ASSERT_TRUE(tic.setPoints(t, y));
    TKSChromatogramPeakDetect detector;
    detector.detect(tic);
    bool found = false;
    for (const TKSChromatogramPeak& p : detector.getPeaks()) {
        EXPECT_GT(p.height, 0) << "apex at " << p.apexRT;
        found = found || p.scan == 7;
    }
    EXPECT_TRUE(found) << "the peak at scan 7";
}

// A chromatogram of few points, whose peaks dominate its point-to-point
// differences (the TIC of the bundled text dataset): the noise comes from
// the baseline around the peaks, and all three peaks are found.
TEST(TindrelChromatogramPeaks, FewPoints)
{
    std::vector<double> t;
    for (int i = 0; i < 24; ++i)
        t.push_back(0.1 + 0.05 * i);
    const std::vector<double> y = {1805.74,  5654.08,  16384.16, 40863.23, 72606.81, 88297.00, 70944.94, 42799.26,
                                   23917.14, 23670.05, 35308.10, 50255.08, 57059.09, 50271.99, 39362.28, 33347.53,
                                   39816.93, 43744.94, 32999.10, 15904.76, 5874.02,  2526.08,  1950.79,  2076.34};
    TKSChromatogram tic;
    ASSERT_TRUE(tic.setPoints(t, y));
    TKSChromatogramPeakDetect detector;
    ASSERT_EQ(detector.detect(tic), 3);
    const auto& p = detector.getPeaks();
    const double apexes[] = {0.35, 0.70, 0.95};
    const int types[] = {PeakTypeBV, PeakTypeVV, PeakTypeVB};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(p[i].apexRT, apexes[i], 1e-9) << i;
        EXPECT_EQ(p[i].type, types[i]) << i;
    }
    EXPECT_NEAR(p[0].endRT, 0.55, 1e-9);
    EXPECT_NEAR(p[1].endRT, 0.85, 1e-9);
}

TEST(TindrelChromatogramPeaks, NothingToFind)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<double> t, y;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"two points", {0, 1}, {0, 5}},
        {"flat", {0, 1, 2, 3}, {7, 7, 7, 7}},
        {"times not ascending", {0, 2, 1, 3}, {0, 5, 0, 0}},
        {"NaN intensity", {0, 1, 2, 3}, {0, nan, 0, 0}},
        {"infinite time", {0, 1, 2, HUGE_VAL}, {0, 5, 0, 0}},
    };
    for (const Case& c : cases) {
        TKSChromatogram chrom;
        ASSERT_TRUE(chrom.setPoints(c.t, c.y));
        TKSChromatogramPeakDetect detector;
        EXPECT_EQ(detector.detect(chrom), 0) << c.name;
        EXPECT_TRUE(detector.getPeaks().empty()) << c.name;
    }
    // Pure noise on a baseline gives no peak.
    TKSChromatogramPeakDetect detector;
    EXPECT_EQ(detector.detect(sampled({}, 0, 0.01, 5000, 1000, 100, 77)), 0);
}

// Synthetic profile spectra: Gaussian lines of known centre and width.
TKSMassSpectrum profile(const std::vector<std::pair<double, double>>& lines, double fwhm, double low, double high,
                        double spacing, double noise = 0)
{
    std::vector<double> mz, y;
    uint32_t x = 3;
    const double c = 4 * std::log(2.0) / (fwhm * fwhm);
    for (double m = low; m <= high; m += spacing) {
        double v = 0;
        for (const auto& l : lines)
            v += l.second * std::exp(-c * (m - l.first) * (m - l.first));
        x = x * 1664525u + 1013904223u;
        v += noise * (x / 4294967296.0);
        mz.push_back(m);
        y.push_back(v);
    }
    TKSMassSpectrum s;
    s.setPoints(mz, y);
    s.setSource(2, 1);
    s.setMSOrder(1);
    s.setPolarity(1);
    s.setScanRanges({{5, 7}}, {{0.1, 0.14}});
    return s;
}

TEST(TindrelMSPeaks, CentresAndWidthOfProfilePeaks)
{
    const std::vector<std::pair<double, double>> lines = {
        {195.0877, 10000}, {196.0911, 1100}, {301.1410, 5000}, {302.1444, 850}};
    struct Case {
        const char* name;
        double fwhm, spacing, noise;
        bool automatic;
        size_t peaks;
    };
    for (const Case& c : {Case{"fine sampling", 0.05, 0.001, 0, false, 4}, Case{"coarse sampling", 0.1, 0.013, 0, false, 4},
                          Case{"noise, automatic", 0.05, 0.002, 20, true, 4}}) {
        SCOPED_TRACE(c.name);
        const TKSMassSpectrum in = profile(lines, c.fwhm, 150, 350, c.spacing, c.noise);
        TKSMSPeakDetect detect;
        detect.setAutoPeakParameters(c.automatic);
        TKSMassSpectrum out;
        ASSERT_TRUE(detect.detectPeaks(in, out));
        EXPECT_TRUE(out.isCentroid());
        ASSERT_EQ(static_cast<size_t>(out.getCount()), c.peaks);
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_NEAR(out.getMZValues()[i], lines[i].first, c.spacing / 2) << i;
            EXPECT_NEAR(out.getIntensities()[i], lines[i].second + c.noise, 0.02 * lines[i].second + c.noise) << i;
        }
        EXPECT_NEAR(detect.getPeakWidth(), c.fwhm, 0.05 * c.fwhm);
        EXPECT_EQ(out.getInjectionIndex(), 2);
        EXPECT_EQ(out.getFunctionIndex(), 1);
        EXPECT_EQ(out.getScanRanges(), in.getScanRanges());
    }

    // Without automatic parameters every noise maximum is a peak.
    const TKSMassSpectrum noisy = profile(lines, 0.05, 150, 350, 0.002, 20);
    TKSMSPeakDetect every;
    TKSMassSpectrum all;
    ASSERT_TRUE(every.detectPeaks(noisy, all));
    EXPECT_GT(all.getCount(), 1000);
}

TEST(TindrelMSPeaks, RefusedAndCentroidInput)
{
    TKSMSPeakDetect detect;
    TKSMassSpectrum out;
    out.setPoints({1}, {2});
    TKSMassSpectrum empty;
    EXPECT_FALSE(detect.detectPeaks(empty, out));
    TKSMassSpectrum descending;
    descending.setPoints({3, 2, 1}, {0, 5, 0});
    EXPECT_FALSE(detect.detectPeaks(descending, out));
    TKSMassSpectrum nan;
    nan.setPoints({1, 2, 3}, {0, std::nan(""), 0});
    EXPECT_FALSE(detect.detectPeaks(nan, out));
    EXPECT_EQ(out.getCount(), 1);
    EXPECT_EQ(detect.getPeakWidth(), 0);

    TKSMassSpectrum sticks;
    sticks.setPoints({100, 200}, {5, 7});
    sticks.setCentroid(true);
    ASSERT_TRUE(detect.detectPeaks(sticks, out));
    EXPECT_EQ(out.getMZValues(), sticks.getMZValues());
}

}  // namespace
}  // namespace tindreltest
