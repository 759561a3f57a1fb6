#include "measure.h"
#include "arrayops.h"
#include "dpi.h"
#include "frame.h"
#include "numeric.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace yarbex;

// ---- plain routines -------------------------------------------------------

ResultCode yarbex::arrayStatistics(uint32_t n, const double* x, ArrayStatistics* out)
{
    if (!x)
        return RcMissingData;
    if (!out)
        return RcMissingBuffer;
    if (n == 0)
        return RcFailed;
    ArrayStatistics s{};
    s.maximum = s.minimum = x[0];
    double sum = x[0], sumSq = x[0] * x[0], variation = 0.0;
    for (uint32_t k = 1; k < n; ++k) {
        const double v = x[k];
        if (v > s.maximum) {
            s.maximum = v;
            s.maximumPoint = k;
        } else if (v < s.minimum) {
            s.minimum = v;
            s.minimumPoint = k;
        }
        sum += v;
        sumSq += v * v;
        variation += std::fabs(v - x[k - 1]);
    }
    s.peak = std::fabs(s.maximum);
    if (std::fabs(s.minimum) > std::fabs(s.maximum))
        s.peak = s.minimum;
    s.range = s.maximum - s.minimum;
    s.mean = sum / n;
    s.variance = sumSq / n - s.mean * s.mean;
    s.rms = std::sqrt(sumSq / n);
    s.variation = variation;
    *out = s;
    return RcOk;
}

ResultCode yarbex::noiseEstimate(uint32_t n, const double* x, double* sigma)
{
    if (!x)
        return RcMissingData;
    if (!sigma)
        return RcMissingBuffer;
    // The central window reaches n/2 + 1: fewer than 3 points have none.
    if (n <= 2)
        return RcFailed;
    uint32_t w = n / 20;
    if (w < 20)
        w = n / 4;
    if (w == 0)
        w = 1;
    const uint32_t hi = n / 2 + w, lo = n / 2 - w;
    double* d = allocDoubles(n);
    if (!d)
        return RcOutOfMemory;
    double S[2];
    for (int lag = 1; lag <= 2; ++lag) {
        if (ResultCode r = lagDifference(n, x, d, lag)) {
            std::free(d);
            return r;
        }
        heapSort(d, n);
        S[lag - 1] = double(n - 1) * (d[hi] - d[lo]) / double(2 * w - 1);
    }
    std::free(d);
    *sigma = (2 * S[1] - S[0]) / (2 * std::sqrt(M_PI));
    return RcOk;
}

ResultCode yarbex::decayTime(uint32_t n, const double* data, uint32_t fromSpectrum, double* t)
{
    if (!data)
        return RcMissingData;
    if (!t)
        return RcMissingBuffer;
    const double* z = data;
    double* copy = nullptr;
    uint32_t m = n;
    if (fromSpectrum) {
        if (ResultCode r = newComplexOp1D(n, data, &copy, OpTransform, 1.0, 0.0))
            return r;
        z = copy;
        m = n / 2;
    }
    double S0 = 0, S1 = 0, A0 = 0, A1 = 0;
    for (uint32_t k = 0; k < m; ++k) {
        const double p = z[k] * z[k] + z[n + k] * z[n + k];
        const double a = std::sqrt(p);
        S0 += p;
        S1 += k * p;
        A0 += a;
        A1 += k * a;
    }
    std::free(copy);
    // A signal that is all at time 0 (a constant spectrum) has no decay.
    if (S0 == 0 || S1 == 0 || A1 == 0)
        return RcFailed;
    const double v = 1.0 / std::sqrt(0.5 * (S0 / S1) * (A0 / A1));
    if (!std::isfinite(v))
        return RcFailed;
    *t = v;
    return RcOk;
}

ResultCode yarbex::meanLineWidth(uint32_t n, const double* data, uint32_t fromSpectrum, double* width)
{
    if (!width)
        return RcMissingBuffer;
    double t = 0;
    if (ResultCode r = decayTime(n, data, fromSpectrum, &t))
        return r;
    *width = n / (M_PI * t);
    return RcOk;
}

// ---- extremum tracker -----------------------------------------------------

ExtremumTracker* ExtremumTracker::create(double delta)
{
    auto* t = new (std::nothrow) ExtremumTracker{};
    if (t) {
        t->delta = delta;
        t->lastPoint = Flush;
    }
    return t;
}

void ExtremumTracker::destroy(ExtremumTracker* tracker)
{
    delete tracker;
}

uint32_t ExtremumTracker::feed(uint32_t i, double v)
{
    if (i == Flush || lastPoint == Flush || i <= lastPoint) {
        const bool flush = i == Flush;
        const Point maxSide{i, flush ? -1e300 : v};
        const Point minSide{i, flush ? 1e300 : v};
        candidateMax = lowest = referenceMax = maxSide;
        candidateMin = highest = referenceMin = minSide;
        lastPoint = i;
        return 0;
    }
    uint32_t found = 0;
    const Point here{i, v};

    if (referenceMax.value > v) {
        referenceMax = here;
        bool isMax = false;
        if (v + delta < candidateMax.value && lowest.value + delta < candidateMax.value) {
            found |= FoundMaximum;
            foundMaximum = candidateMax;
            isMax = true;
        }
        if (v < lowest.value || isMax)
            candidateMax = lowest = here;
    } else if (v > candidateMax.value) {
        referenceMax = candidateMax = here;
    }

    if (v > referenceMin.value) {
        referenceMin = here;
        bool isMin = false;
        if (v - delta > candidateMin.value && highest.value - delta > candidateMin.value) {
            found |= FoundMinimum;
            foundMinimum = candidateMin;
            isMin = true;
        }
        if (v > highest.value || isMin)
            candidateMin = highest = here;
    } else if (v < candidateMin.value) {
        referenceMin = candidateMin = here;
    }

    lastPoint = i;
    return found;
}

// ---- instance commands ----------------------------------------------------

namespace {

void showReport(const char* text)
{
    showMessage(MessageInformation, text, "Data Processing");
}

}  // namespace

ResultCode DPI::statistics()
{
    dropStagedIfStale();
    DpiBlock& w = *results;
    if (mode & ModeRecompute)
        cache &= ~uint32_t(CacheStatistics);
    if (!w.slot[WkStatistics].words.first)
        cache &= ~uint32_t(CacheStatistics);
    if (!(cache & CacheStatistics)) {
        release(StageStatistics);
        if (ResultCode r = prepare(0x30003))
            return r;
        const uint32_t n = pointCount();
        const uint32_t kind = dataKind();
        if (kind != KindReal && kind != KindComplex)
            return RcIllegalItemsType;
        const double* z = staged();
        auto* real = static_cast<ArrayStatistics*>(std::calloc(1, sizeof(ArrayStatistics)));
        if (!real)
            return RcOutOfMemory;
        w.slot[WkStatistics].words.first = pointerWord(real);
        if (ResultCode r = arrayStatistics(n, z, real))
            return r;
        if (kind == KindComplex) {
            auto* imag = static_cast<ArrayStatistics*>(std::calloc(1, sizeof(ArrayStatistics)));
            if (!imag)
                return RcOutOfMemory;
            w.slot[WkStatistics].words.second = pointerWord(imag);
            if (ResultCode r = arrayStatistics(n, z + n, imag))
                return r;
        }
    }
    cache |= CacheStatistics;
    if (mode & ModeReport) {
        const auto* re = wordPointer<ArrayStatistics>(w.slot[WkStatistics].words.first);
        const auto* im = wordPointer<ArrayStatistics>(w.slot[WkStatistics].words.second);
        const char* part =
            "\n   Maximum:\t%9.4e at point %" PRIu32 "\n   Minimum:\t%9.4e at point %" PRIu32
            "\n   Total rms:\t%9.4e\n   Variance:\t%9.4e\n   Variation:\t%9.4e";
        char line[512];
        char text[1200];
        std::snprintf(text, sizeof text, "Number of points:\t%" PRIu32 "\n\nARRAY STATISTICS of REAL part:",
                      pointCount());
        std::snprintf(line, sizeof line, part, re->maximum, re->maximumPoint, re->minimum, re->minimumPoint,
                      re->rms, re->variance, re->variation);
        std::strncat(text, line, sizeof text - std::strlen(text) - 1);
        if (im) {
            std::strncat(text, "\n\nARRAY STATISTICS of IMAGINARY part:", sizeof text - std::strlen(text) - 1);
            std::snprintf(line, sizeof line, part, im->maximum, im->maximumPoint, im->minimum, im->minimumPoint,
                          im->rms, im->variance, im->variation);
            std::strncat(text, line, sizeof text - std::strlen(text) - 1);
        }
        showReport(text);
    }
    return RcOk;
}

ResultCode DPI::noise()
{
    dropStagedIfStale();
    DpiBlock& w = *results;
    if (mode & ModeRecompute)
        cache &= ~uint32_t(CacheNoise);
    if (cache & CacheNoise)
        return RcOk;
    ResultCode r = prepare(0x30000);
    if (!r) {
        const uint32_t n = pointCount();
        const double* z = staged();
        double re = 0, im = 0;
        switch (dataKind()) {
        case KindReal:
            r = noiseEstimate(n, z, &re);
            break;
        case KindComplex:
            r = noiseEstimate(n, z, &re);
            if (!r)
                r = noiseEstimate(n, z + n, &im);
            break;
        default:
            r = RcIllegalItemsType;
        }
        if (!r) {
            w.slot[WkNoiseReal].value = re;
            w.slot[WkNoiseImag].value = im;
            cache |= CacheNoise;
            if (mode & ModeReport) {
                char text[256];
                std::snprintf(text, sizeof text, "NOISE standard deviations:\nReal part\t %10.3g\nImag part\t %10.3g",
                              re, im);
                showReport(text);
            }
        }
    }
    return reportResult(r);
}

ResultCode DPI::lineWidth()
{
    dropStagedIfStale();
    DpiBlock& w = *results;
    if (mode & ModeRecompute)
        cache &= ~uint32_t(CacheLineWidth);
    if (cache & CacheLineWidth)
        return RcOk;
    ResultCode r = prepare(0x30000);
    if (!r) {
        const uint32_t kind = dataKind();
        double width = 0;
        if (kind != KindReal && kind != KindComplex)
            r = RcIllegalItemsType;
        else
            r = meanLineWidth(pointCount(), staged(), 1, &width);
        if (!r) {
            w.slot[WkLineWidth].value = width;
            cache |= CacheLineWidth;
            if (mode & ModeReport) {
                char text[256];
                std::snprintf(text, sizeof text, "Mean linewidth [points]:%10.3g\nMean T2_star [1/points]:%10.3g", width,
                              1.0 / (width * M_PI));
                showReport(text);
            }
        }
    }
    return reportResult(r);
}

ResultCode DPI::arrayOp(uint32_t code)
{
    ResultCode r = prepare(0x30011);
    if (!r) {
        const uint32_t kind = dataKind();
        DpiBlock& w = *results;
        double* out = nullptr;
        if (kind != KindReal && kind != KindComplex) {
            r = RcIllegalItemsType;
        } else if (dimensionCount() == 1) {
            r = newComplexOp1D(pointCount(), staged(), &out, code, doubleParameter(0), doubleParameter(1));
        } else if (dimensionCount() == 2) {
            // The two dimensions that count, in order.
            uint32_t dims[2] = {0, 0}, found = 0;
            for (uint32_t s : sizes)
                if (s && found < 2)
                    dims[found++] = s;
            if (uint64_t(dims[0]) * dims[1] != pointCount())
                r = RcSizeMismatch;
            else
                r = newComplexOp2D(dims[0], dims[1], staged(), &out, code, doubleParameter(0), doubleParameter(1));
        } else {
            r = RcTooManyDimensions;
        }
        if (out) {
            w.slot[WkOutput].words.first = pointerWord(out);
            w.slot[WkOutputPoints].words.first = pointCount();
        }
    }
    if (r) {
        finish(StageOutputDoubles);
        return r;
    }
    return finish(0x3000010);
}
