#include "detect.h"
#include "measure.h"
#include "numeric.h"
#include "peak.h"
#include "smoothing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace yarbex {

namespace {

double g_settings[3] = {7.0, 0.02, 3.0};

int32_t clampedFloor(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 0x7FFFFFFF)
        return 0x7FFFFFFF;
    if (v <= -0x7FFFFFFF)
        return -0x7FFFFFFF;
    return int32_t(std::floor(v));
}

}  // namespace

double* dataProcSettings()
{
    return g_settings;
}

ResultCode markExtrema(uint32_t n, const double* x, int32_t* marks, double sigma, int32_t direction)
{
    if (n == 0 || !x)
        return RcMissingData;
    if (!marks)
        return RcMissingBuffer;
    ExtremumTracker* t = ExtremumTracker::create(dataProcSettings()[0] * sigma);
    if (!t)
        return RcInternalLow;
    auto apply = [&](uint32_t found) {
        if ((found & ExtremumTracker::FoundMaximum) && direction >= 0)
            marks[t->foundMaximum.point] = 1;
        else if ((found & ExtremumTracker::FoundMinimum) && direction <= 0)
            marks[t->foundMinimum.point] = -1;
    };
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t found = t->feed(i, x[i]);
        marks[i] = 0;
        apply(found);
    }
    apply(t->feed(ExtremumTracker::Flush, 0.0));
    ExtremumTracker::destroy(t);
    return RcOk;
}

ResultCode newExtremaMarks(uint32_t n, const double* x, int32_t** marks, double sigma, int32_t direction)
{
    if (!marks)
        return RcMissingBuffer;
    *marks = nullptr;
    if (n == 0 || uint64_t(n) * sizeof(int32_t) > 0xFFFFFFFFu)
        return RcOutOfMemory;
    auto* m = static_cast<int32_t*>(std::malloc(size_t(n) * sizeof(int32_t)));
    if (!m)
        return RcOutOfMemory;
    if (ResultCode r = markExtrema(n, x, m, sigma, direction)) {
        std::free(m);
        return r;
    }
    *marks = m;
    return RcOk;
}

ResultCode simplePeakPick(uint32_t n, const double* x, double* out, double sigma, int32_t direction,
                          uint32_t* maxima, uint32_t* minima)
{
    if (maxima)
        *maxima = 0;
    if (minima)
        *minima = 0;
    if (n == 0 || !x)
        return RcMissingData;
    if (!out)
        return RcMissingBuffer;
    int32_t* marks = nullptr;
    if (ResultCode r = newExtremaMarks(n, x, &marks, sigma, direction))
        return r;
    uint32_t up = 0, down = 0;
    for (uint32_t i = 0; i < n; ++i) {
        out[i] = marks[i] > 0 ? 1.0 : marks[i] < 0 ? -1.0 : 0.0;
        up += marks[i] > 0;
        down += marks[i] < 0;
    }
    std::free(marks);
    if (maxima)
        *maxima = up;
    if (minima)
        *minima = down;
    return RcOk;
}

namespace {

// Left boundary of candidate i (within 0 .. i).
uint32_t leftBoundary(uint32_t i, const uint32_t* f, const double* S, double sigma, uint32_t L)
{
    if (i == 0)
        return 0;  // nothing lies left of the first point
    int64_t b = -1;
    for (int64_t j = int64_t(i) - 1; j >= 0 && b < 0; --j) {
        const uint32_t fj = f[j];
        if (fj & FlagRise) {
            b = j;
        } else if (fj & FlagSecondMaximum) {
            b = j + (i - j) / 4;
        } else if (fj & (FlagMaximum | FlagCurvature | FlagCurvaturePositive)) {
            b = (j + i) / 2;
        } else if (fj & FlagMinimum) {
            const double half = (S[i] - S[j]) / 2;
            b = j;
            for (int64_t k = int64_t(i) - 1; k > j; --k)
                if (S[i] - S[k] >= half) {
                    b = k;
                    break;
                }
        } else if (fj & FlagFall) {
            b = int64_t(i) - 1;
            for (int64_t k = j; k <= int64_t(i) - 2; ++k)
                if (S[k] <= S[i]) {
                    b = (k + i) / 2;
                    break;
                }
        } else if (fj & FlagRight) {
            b = j;
        }
    }
    if (b < 0 || b >= int64_t(i))
        b = int64_t(i) - 1;
    if (b + 1 < int64_t(i)) {
        const double g = (S[i] - S[b]) / double(int64_t(i) - b);
        double lowest = -3 * sigma;
        int64_t at = -1;
        for (int64_t k = b + 1; k < int64_t(i); ++k) {
            const double dev = S[k] - (S[b] + double(k - b) * g);
            if (dev < lowest) {
                lowest = dev;
                at = k;
            }
        }
        if (at >= 0)
            b = at;
    }
    if (int64_t(i) > b + L)
        b = int64_t(i) - L;
    return uint32_t(b);
}

// Right boundary of candidate i (within i .. n - 1).
uint32_t rightBoundary(uint32_t i, uint32_t n, const uint32_t* f, const double* S, double sigma, uint32_t L)
{
    if (i + 1 >= n)
        return n - 1;  // nothing lies right of the last point
    int64_t e = -1;
    for (int64_t j = int64_t(i) + 1; j <= int64_t(n) - 2 && e < 0; ++j) {
        const uint32_t fj = f[j];
        if (fj & FlagFall) {
            e = j;
        } else if (fj & FlagSecondMaximum) {
            e = j - (j - i) / 4;
        } else if (fj & (FlagMaximum | FlagCurvature | FlagCurvaturePositive)) {
            e = (j + i) / 2;
        } else if (fj & FlagMinimum) {
            const double half = (S[i] - S[j]) / 2;
            e = j;
            for (int64_t k = int64_t(i) + 1; k < j; ++k)
                if (S[i] - S[k] >= half) {
                    e = k;
                    break;
                }
        } else if (fj & FlagRise) {
            e = i;
            for (int64_t k = j; k >= int64_t(i) + 2; --k)
                if (S[k] <= S[i]) {
                    e = (k + i) / 2;
                    break;
                }
        }
    }
    if (e <= int64_t(i))
        e = int64_t(i) + 1;
    if (e > int64_t(i) + 1) {
        const double g = (S[i] - S[e]) / double(e - int64_t(i));
        double lowest = -3 * sigma;
        int64_t at = -1;
        for (int64_t k = e - 1; k > int64_t(i); --k) {
            const double dev = S[k] - (S[e] + double(e - k) * g);
            if (dev < lowest) {
                lowest = dev;
                at = k;
            }
        }
        if (at >= 0)
            e = at;
    }
    if (e > int64_t(i) + L)
        e = int64_t(i) + L;
    return uint32_t(e);
}

}  // namespace

ResultCode detectPeakFlags(uint32_t n, const double* y, double sigma, double w, uint32_t** flagsOut,
                           double** smoothedOut, double** firstOut, double** secondOut)
{
    if (flagsOut)
        *flagsOut = nullptr;
    if (smoothedOut)
        *smoothedOut = nullptr;
    if (firstOut)
        *firstOut = nullptr;
    if (secondOut)
        *secondOut = nullptr;
    if (n == 0 || !y)
        return RcMissingData;
    if (!flagsOut)
        return RcMissingBuffer;
    if (n > 0x7FFFFFFFu - 100)
        return RcOutOfMemory;
    uint32_t* f = allocWordsZeroed(n + 100);
    double* S = allocDoubles(n);
    double* D1 = allocDoubles(n);
    double* D2 = allocDoubles(n);
    auto* marks = static_cast<int32_t*>(std::malloc(size_t(n) * sizeof(int32_t)));
    ResultCode r = (f && S && D1 && D2 && marks) ? RcOk : RcOutOfMemory;
    uint32_t order = 0, points = 0;
    double g0 = 0, g1 = 0, g2 = 0;
    if (!r)
        r = savitzkyGolayReal(n, y, S, w / 2, 0, &order, &points, &g0, 0);
    if (!r)
        r = markExtrema(n, S, marks, sigma, 0);
    if (!r)
        for (uint32_t i = 0; i < n; ++i)
            f[i] = marks[i] > 0 ? uint32_t(FlagCandidate | FlagMaximum) : marks[i] < 0 ? uint32_t(FlagMinimum) : 0u;
    if (!r)
        r = savitzkyGolayReal(n, y, D1, w, 1, &order, &points, &g1, 0);
    if (!r)
        r = markExtrema(n, D1, marks, g1 * sigma, 0);
    if (!r)
        for (uint32_t i = 0; i < n; ++i)
            f[i] |= marks[i] > 0 ? uint32_t(FlagRise) : marks[i] < 0 ? uint32_t(FlagFall) : 0u;
    if (!r)
        r = savitzkyGolayReal(n, y, D2, w, 2, &order, &points, &g2, 0);
    if (!r)
        r = markExtrema(n, D2, marks, g2 * sigma, 0);
    if (!r)
        for (uint32_t i = 0; i < n; ++i) {
            if (marks[i] > 0)
                f[i] |= FlagSecondMaximum;
            else if (marks[i] < 0)
                f[i] |= D2[i] > 0 ? FlagCurvaturePositive : (FlagCandidate | FlagCurvature);
        }
    std::free(marks);
    if (r) {
        std::free(f);
        std::free(S);
        std::free(D1);
        std::free(D2);
        return r;
    }

    const int32_t m = std::max(clampedFloor(0.25 * w + 2), 0);
    const uint32_t L = uint32_t(std::max(clampedFloor(5 * w + 1), 0));
    uint32_t rise = 0;
    for (uint32_t i = 1; i + 1 < n; ++i) {
        if ((f[i] & FlagMaximum) && !(f[i] & FlagCurvature)) {
            const uint32_t from = i > uint32_t(m) ? i - uint32_t(m) : 0;
            const uint32_t to = uint64_t(i) + uint32_t(m) > n - 1 ? n - 1 : i + uint32_t(m);
            for (uint32_t j = from; j <= to; ++j)
                if (f[j] & FlagCurvature) {
                    f[i] &= ~uint32_t(FlagCandidate | FlagMaximum);
                    f[j] |= FlagMaximum;
                    break;
                }
        }
        if (f[i] & FlagRise) {
            rise = i;
        } else if (f[i] & (FlagCandidate | FlagCurvature | FlagMaximum)) {
            rise = 0;
        } else if (rise && (f[i] & FlagFall)) {
            if (i - rise < L)
                f[(rise + i) / 2] |= FlagCandidate;
            rise = 0;
        }
    }

    for (uint32_t i = 0; i < n; ++i) {
        if (!(f[i] & FlagCandidate))
            continue;
        f[leftBoundary(i, f, S, sigma, L)] |= FlagLeft;
        f[rightBoundary(i, n, f, S, sigma, L)] |= FlagRight;
    }

    *flagsOut = f;
    if (smoothedOut)
        *smoothedOut = S;
    else
        std::free(S);
    if (firstOut)
        *firstOut = D1;
    else
        std::free(D1);
    if (secondOut)
        *secondOut = D2;
    else
        std::free(D2);
    return RcOk;
}

ResultCode flagTrace(uint32_t n, const double* y, double* out, double sigma, double w, int32_t mode)
{
    if (n == 0 || !y)
        return RcMissingData;
    if (!out)
        return RcMissingBuffer;
    uint32_t* f = nullptr;
    if (ResultCode r = detectPeakFlags(n, y, sigma, w, &f, nullptr, nullptr, nullptr))
        return r;
    if (mode == 1) {
        double level = 0;
        for (uint32_t i = 0; i < n; ++i) {
            out[i] = level;
            const bool left = f[i] & FlagLeft, right = f[i] & FlagRight;
            if (left && !right)
                out[i] = level = 0.03;
            else if (right && !left)
                out[i] = level = 0.0;
            else if (left && right) {
                out[i] = 0.015;
                level = 0.03;
            }
        }
    } else {
        for (uint32_t i = 0; i < n; ++i) {
            double v = 0;
            if (f[i] & FlagMaximum)
                v += 0.03;
            if (f[i] & FlagMinimum)
                v -= 0.03;
            if (f[i] & FlagRise)
                v += 0.01;
            if (f[i] & FlagFall)
                v -= 0.01;
            if (f[i] & FlagCurvature)
                v += 0.003;
            if (f[i] & FlagCurvaturePositive)
                v += 0.001;
            if (f[i] & FlagSecondMaximum)
                v -= 0.003;
            out[i] = v;
        }
    }
    std::free(f);
    return RcOk;
}

double fitCost(uint32_t n, const double* r)
{
    if (n == 0 || !r)
        return 0.0;
    double sum = 0, sumSq = 0;
    for (uint32_t i = 0; i < n; ++i) {
        sum += r[i];
        sumSq += r[i] * r[i];
    }
    const double msq = sumSq / n, mean = sum / n;
    const double var = msq - mean * mean;
    if (n < 3)
        return msq + var;
    double E1 = 0, E2 = 0;
    for (uint64_t k = 1;; k *= 2) {
        for (uint64_t i = k; i + k < n; ++i) {
            const double a = r[i + k] - r[i - k];
            const double b = 2 * r[i] - r[i + k] - r[i - k];
            E1 += a * a;
            E2 += b * b;
        }
        const double k2 = double(k) * double(k);
        E1 /= k2;
        E2 /= k2 * k2;
        if (!(2 * k + 1 < n))
            break;
    }
    return msq + var + E1 / n + 10 * E2 / n;
}

}  // namespace yarbex
