#include "tkspeakdetect.h"

#include <algorithm>
#include <cmath>

#include "peakcentroid.h"

namespace {

// The median of the values (which it reorders); 0 for none.
double median(std::vector<double>& values)
{
    if (values.empty())
        return 0;
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
    double m = values[mid];
    if (values.size() % 2 == 0) {
        const double below = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
        m = below + (m - below) / 2;
    }
    return m;
}

// Scale of the median absolute deviation that estimates the standard
// deviation of normally distributed values.
const double kMadToSigma = 1.4826;

// Median and robust standard deviation (scaled median absolute deviation).
void robustSpread(std::vector<double> values, double& centre, double& sigma)
{
    centre = median(values);
    for (double& v : values)
        v = std::fabs(v - centre);
    sigma = kMadToSigma * median(values);
}

bool allFinite(const std::vector<double>& values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// Where the straight line through (x0, y0) and (x1, y1) reaches y.
double crossing(double x0, double y0, double x1, double y1, double y)
{
    return y1 == y0 ? x0 : x0 + (y - y0) * (x1 - x0) / (y1 - y0);
}

}  // namespace

// --- Finding peaks above the noise ---------------------------------------
//
// Shared by the chromatogram detector and the automatic mode of the MS
// detector, over any ascending x axis:
// 1. Noise: sigma is the robust standard deviation of the point-to-point
//    differences divided by sqrt(2) (the differences of white noise spread
//    sqrt(2) times wider than the noise), taken again from the differences
//    that lie at or below B + T alone while that lowers it; the baseline
//    level B is the 10th percentile of the values; the noise level T is the
//    larger of 4 sigma and 0.001 % of the value range.
// 2. Regions: runs of points above B + T, each with the point at or below
//    B + T on either side (its baseline boundaries; the data's ends where
//    it starts or ends high).
// 3. Apexes: local maxima in a region (the first point of a plateau) that
//    stand out by at least T over the higher of the lowest points between
//    them and the nearest higher point (or the region's boundary) on each
//    side.
// 4. Boundaries: between two neighbouring apexes of a region, the lowest
//    point is a valley that ends the one and starts the next; the region's
//    boundaries are baseline.

namespace {

const double kNoiseSigmas = 4;
const double kRelativeNoiseFloor = 1e-5;
const double kBaselinePercentile = 0.10;
const int kNoiseRounds = 10;
const size_t kMinQuietDifferences = 4;

struct Span {
    size_t start, apex, stop;
    bool valleyStart, valleyEnd;
};

std::vector<Span> findPeaks(const std::vector<double>& y)
{
    std::vector<Span> spans;
    const size_t n = y.size();
    if (n < 3)
        return spans;
    const double low = *std::min_element(y.begin(), y.end());
    const double high = *std::max_element(y.begin(), y.end());
    if (!(high > low))
        return spans;
    std::vector<double> sorted(y);
    const size_t rank = static_cast<size_t>(kBaselinePercentile * double(n - 1));
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(rank), sorted.end());
    const double baseline = sorted[rank];
    const double floor = kRelativeNoiseFloor * (high - low);

    // Sigma from every difference first; then, while that lowers it, from
    // the differences between points at or below the level (the baseline
    // between the peaks), so that a chromatogram of few points whose peaks
    // dominate its differences still finds its noise.
    std::vector<double> differences(n - 1);
    for (size_t i = 0; i + 1 < n; ++i)
        differences[i] = y[i + 1] - y[i];
    double centre = 0, sigma = 0;
    robustSpread(differences, centre, sigma);
    sigma /= std::sqrt(2.0);
    for (int round = 0; round < kNoiseRounds; ++round) {
        const double level = baseline + std::max(kNoiseSigmas * sigma, floor);
        std::vector<double> quiet;
        for (size_t i = 0; i + 1 < n; ++i)
            if (y[i] <= level && y[i + 1] <= level)
                quiet.push_back(y[i + 1] - y[i]);
        if (quiet.size() < kMinQuietDifferences)
            break;
        double quietSigma = 0;
        robustSpread(quiet, centre, quietSigma);
        quietSigma /= std::sqrt(2.0);
        if (!(quietSigma < sigma))
            break;
        sigma = quietSigma;
    }
    const double noise = std::max(kNoiseSigmas * sigma, floor);
    const double level = baseline + noise;

    size_t i = 0;
    while (i < n) {
        if (!(y[i] > level)) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end + 1 < n && y[end + 1] > level)
            ++end;
        const size_t s = i > 0 ? i - 1 : 0;  // region boundaries
        const size_t e = end + 1 < n ? end + 1 : end;
        i = end + 1;

        std::vector<size_t> apexes;
        for (size_t k = s; k <= e; ++k) {
            const bool rising = k == s ? k == 0 : y[k - 1] < y[k];
            size_t plateau = k;
            while (plateau < e && y[plateau + 1] == y[k])
                ++plateau;
            const bool falling = plateau == e ? plateau == n - 1 : y[plateau + 1] < y[k];
            if (rising && falling) {
                double leftMin = y[k], rightMin = y[k];
                for (size_t j = k; j-- > s && y[j] <= y[k];)
                    leftMin = std::min(leftMin, y[j]);
                for (size_t j = plateau + 1; j <= e && y[j] <= y[k]; ++j)
                    rightMin = std::min(rightMin, y[j]);
                if (y[k] - std::max(leftMin, rightMin) >= noise)
                    apexes.push_back(k);
            }
            k = plateau;
        }

        auto lowestBetween = [&](size_t a, size_t b) {
            return static_cast<size_t>(std::min_element(y.begin() + static_cast<std::ptrdiff_t>(a),
                                                        y.begin() + static_cast<std::ptrdiff_t>(b)) -
                                       y.begin());
        };
        for (size_t a = 0; a < apexes.size(); ++a) {
            Span span{s, apexes[a], e, false, false};
            if (a > 0) {
                span.start = lowestBetween(apexes[a - 1], apexes[a]);
                span.valleyStart = true;
            }
            if (a + 1 < apexes.size()) {
                span.stop = lowestBetween(apexes[a], apexes[a + 1]);
                span.valleyEnd = true;
            }
            spans.push_back(span);
        }
    }
    return spans;
}

// Full width at half height between two interpolated crossings: the last
// point at or above half height on each side and the next one below.
double halfWidth(const std::vector<double>& x, const std::vector<double>& y, size_t first, size_t last, double half)
{
    double left = x[first], right = x[last];
    if (first > 0 && y[first - 1] < half)
        left = crossing(x[first - 1], y[first - 1], x[first], y[first], half);
    if (last + 1 < x.size() && y[last + 1] < half)
        right = crossing(x[last], y[last], x[last + 1], y[last + 1], half);
    return right - left;
}

}  // namespace

// --- TKSMSPeakDetect ---------------------------------------------------------

TKSMSPeakDetect::TKSMSPeakDetect() : m_auto(false), m_peakWidth(0) {}

bool TKSMSPeakDetect::detectPeaks(const TKSMassSpectrum& in, TKSMassSpectrum& out)
{
    const std::vector<double>& mz = in.getMZValues();
    const std::vector<double>& y = in.getIntensities();
    if (mz.empty() || !allFinite(mz) || !allFinite(y))
        return false;
    for (size_t i = 1; i < mz.size(); ++i)
        if (!(mz[i] > mz[i - 1]))
            return false;
    if (in.isCentroid()) {
        out = in;
        return true;
    }
    std::vector<double> centres, heights, widths;
    if (!m_auto) {
        // Every local maximum, the half-height rule of the spectrum-object
        // stand-in.
        std::vector<kscontrols::Peak> peaks;
        if (!kscontrols::detectPeaks(mz, y, &peaks))
            return false;
        for (const kscontrols::Peak& p : peaks) {
            centres.push_back(p.mz);
            heights.push_back(p.intensity);
            widths.push_back(halfWidth(mz, y, p.first, p.last, p.intensity / 2));
        }
    } else {
        // Peaks that stand out of the noise; on a noisy top the walk down
        // to half height passes over the noise instead of stopping at it.
        for (const Span& span : findPeaks(y)) {
            const double apex = y[span.apex];
            const double half = apex / 2;
            size_t first = span.apex, last = span.apex;
            while (first > span.start && y[first - 1] >= half)
                --first;
            while (last < span.stop && y[last + 1] >= half)
                ++last;
            double sum = 0, weighted = 0;
            for (size_t k = first; k <= last; ++k) {
                sum += y[k];
                weighted += y[k] * mz[k];
            }
            centres.push_back(weighted / sum);
            heights.push_back(apex);
            widths.push_back(halfWidth(mz, y, first, last, half));
        }
    }
    TKSMassSpectrum result = in;
    result.setPoints(std::move(centres), std::move(heights));
    result.setCentroid(true);
    out = std::move(result);
    m_peakWidth = median(widths);
    return true;
}

// --- TKSChromatogramPeakDetect -----------------------------------------------
//
// The peaks above the noise (findPeaks); types BB, BV, VB, VV from their
// boundaries; height and area above the straight line from start to end
// point, which the apex must stand above.

int TKSChromatogramPeakDetect::detect(const TKSChromatogram& chromatogram)
{
    m_peaks.clear();
    const std::vector<double>& t = chromatogram.getRTValues();
    const std::vector<double>& y = chromatogram.getIntensities();
    const size_t n = t.size();
    if (n < 3 || !allFinite(t) || !allFinite(y))
        return 0;
    for (size_t i = 1; i < n; ++i)
        if (!(t[i] > t[i - 1]))
            return 0;
    for (const Span& span : findPeaks(y)) {
        TKSChromatogramPeak p;
        const size_t k = span.apex;
        p.startRT = t[span.start];
        p.startIntensity = y[span.start];
        p.apexRT = t[k];
        p.apexIntensity = y[k];
        p.endRT = t[span.stop];
        p.endIntensity = y[span.stop];
        p.scan = static_cast<int>(k);
        const double slope = (p.endIntensity - p.startIntensity) / (p.endRT - p.startRT);
        auto base = [&](size_t j) { return p.startIntensity + slope * (t[j] - p.startRT); };
        p.height = y[k] - base(k);
        // A run that starts high at the data's edge (a TIC falling from its
        // first scan) can put a small apex below the line from its start to
        // its valley: nothing stands above that baseline, so it is no peak.
        if (!(p.height > 0))
            continue;
        for (size_t j = span.start; j < span.stop; ++j)
            p.area += (t[j + 1] - t[j]) * ((y[j] - base(j)) + (y[j + 1] - base(j + 1))) / 2;
        p.type = span.valleyStart ? (span.valleyEnd ? PeakTypeVV : PeakTypeVB)
                                  : (span.valleyEnd ? PeakTypeBV : PeakTypeBB);
        m_peaks.push_back(p);
    }
    return static_cast<int>(m_peaks.size());
}
