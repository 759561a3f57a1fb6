// Line lists from detection, model synthesis, fit ranges and the
// one-dimensional line searches.
#include "detect.h"
#include "numeric.h"
#include "peak.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <new>

namespace yarbex {

// ---- neighbours -----------------------------------------------------------

cPeak1D* cPeak1D::nextPeak() const
{
    return dynamic_cast<cPeak1D*>(next);
}

cPeak1D* cPeak1D::previousPeak() const
{
    return dynamic_cast<cPeak1D*>(previous);
}

cPeak1DList* cPeak1D::list() const
{
    return dynamic_cast<cPeak1DList*>(owner);
}

cPeak1D* cPeak1DList::firstPeak() const
{
    return dynamic_cast<cPeak1D*>(first);
}

ResultCode cPeak1D::renderRange(uint32_t n, double* array, int32_t* first, int32_t* last, int32_t mode,
                                uint32_t lineMode, double q, uint32_t, double, double)
{
    int32_t a = 0, b = 0;
    pointRange(int32_t(std::min<uint32_t>(n, 0x7FFFFFFF)), &a, &b);
    if (first)
        *first = a;
    if (last)
        *last = b;
    return render(n, array, a, b, mode, lineMode, q);
}

// ---- building the list ----------------------------------------------------

ResultCode cPeak1DList::addDetectedPeaks(int32_t n, const uint32_t* flags, const double* S, double w, double sigma)
{
    if (n < 1 || !flags || !S)
        return RcOk;
    double q4 = 4 * w;
    if (!(q4 < 0x7FFFFFFF))
        q4 = std::isnan(q4) ? 0 : 0x7FFFFFFF;
    const int64_t q = int64_t(q4 < -0x7FFFFFFF ? -0x7FFFFFFF : q4);
    auto at = [&](int64_t k) { return S[std::clamp<int64_t>(k, 0, n - 1)]; };
    for (int64_t i = 0; i < n; ++i) {
        const uint32_t fi = flags[i];
        if (!(fi & FlagCandidate))
            continue;
        const uint32_t origin = (fi & FlagCurvature) ? OriginCurvature
                                : (fi & FlagMaximum)  ? OriginMaximum
                                                      : OriginRiseFall;
        int64_t left = 0, right = n;
        for (int64_t k = i - 1; k >= 0; --k)
            if (flags[k] & FlagLeft) {
                left = k;
                break;
            }
        for (int64_t k = i + 1; k < n; ++k)
            if (flags[k] & FlagRight) {
                right = k;
                break;
            }
        const double width = double(right - left + 1);
        // The lowest smoothed value on each side within 4 w; a side with no
        // points (at an edge) is left out.
        double lmin = HUGE_VAL, rmin = HUGE_VAL;
        if (q <= 0) {
            lmin = at(i - q);
            rmin = at(i + q);
        } else {
            for (int64_t k = std::max<int64_t>(i - q, 0); k < i; ++k)
                lmin = std::min(lmin, S[k]);
            for (int64_t k = i + 1; k <= std::min<int64_t>(i + q, n - 1); ++k)
                rmin = std::min(rmin, S[k]);
        }
        const double low = std::min(lmin, rmin);
        const double amplitude = low == HUGE_VAL ? 0.0 : S[i] - low;
        if (amplitude >= 2 * sigma) {
            auto* line = new (std::nothrow) cPeak1D(origin, double(i), width, amplitude, 0.0, 0, 0, 0, 0);
            if (!line)
                return RcOutOfMemory;
            appendPeak(line);
        }
    }
    return RcOk;
}

ResultCode cPeak1DList::synthesise(uint32_t n, double* model, const double* data, double* residual)
{
    if (!model)
        return RcMissingBuffer;
    const int32_t ni = int32_t(std::min<uint32_t>(n, 0x7FFFFFFF));
    for (size_t k = 0; k < 2 * size_t(n); ++k)
        model[k] = 0.0;
    for (cPeak1D* p = firstPeak(); p; p = p->nextPeak()) {
        int32_t first = 0, last = 0;
        p->pointRange(ni, &first, &last);
        for (int32_t i = first; i <= last; ++i) {
            double re = 0, im = 0;
            if (ResultCode r = p->value(i, &re, &im))
                return r;
            model[i] += re;
            model[n + i] += im;
        }
    }
    if (data && residual)
        for (size_t k = 0; k < 2 * size_t(n); ++k)
            residual[k] = data[k] - model[k];
    return RcOk;
}

ResultCode cPeak1DList::setFitRanges(uint32_t n)
{
    for (cPeak1D* p = firstPeak(); p; p = p->nextPeak()) {
        const double h = std::max(7 * p->width, 3.0);
        p->fitHigh = std::min(p->position + h, double(n) - 2);
        p->fitLow = std::max(p->position - h, 1.0);
    }
    for (bool changed = true; changed;) {
        changed = false;
        for (cPeak1D* a = firstPeak(); a; a = a->nextPeak()) {
            cPeak1D* b = a->nextPeak();
            if (!b)
                break;
            if (!std::isfinite(a->fitLow) || !std::isfinite(a->fitHigh) || !std::isfinite(b->fitLow) ||
                !std::isfinite(b->fitHigh))
                continue;
            if ((a->fitLow == b->fitLow && a->fitHigh == b->fitHigh) || !(b->fitLow < a->fitHigh))
                continue;
            const double low = std::min(a->fitLow, b->fitLow), high = std::max(a->fitHigh, b->fitHigh);
            a->fitLow = b->fitLow = low;
            a->fitHigh = b->fitHigh = high;
            changed = true;
        }
    }
    return RcOk;
}

ResultCode cPeak1DList::renderWithLineMode(uint32_t n, double* array, uint32_t lineMode, double q)
{
    if (!array)
        return RcMissingBuffer;
    for (size_t k = 0; k < 2 * size_t(n); ++k)
        array[k] = 0.0;
    uint32_t m = lineMode;
    for (cPeak1D* p = firstPeak(); p; p = p->nextPeak()) {
        if (m != LineAsIs && q <= 0)
            m = LineStick;
        if (m == LineStick) {
            double area = 0;
            if (ResultCode r = p->area(&area))
                return r;
            const double k = std::floor(p->position + 0.5);
            if (k >= 0 && k < n)
                array[size_t(k)] += area;
            continue;
        }
        int32_t first = 0, last = 0;
        if (ResultCode r = p->renderRange(n, array, &first, &last, 1, m, q))
            return r;
    }
    return RcOk;
}

// ---- line searches --------------------------------------------------------

double cPeak1D::residualCost(int32_t start, uint32_t count, double* scratch, const double* target) const
{
    for (uint32_t j = 0; j < count; ++j) {
        double re = 0;
        if (value(double(start) + j, &re, nullptr))
            return HUGE_VAL;
        scratch[j] = target[j] - re;
    }
    return fitCost(count, scratch);
}

namespace {

struct SearchRules {
    std::function<double(double)> up, down;
    // Whether a step to the value may be taken at all.
    std::function<bool(double)> upAllowed = [](double) { return true; };
    std::function<bool(double)> downAllowed = [](double) { return true; };
    // Checked after an improving step.
    std::function<bool(double)> stopUp, stopDown;
    bool multiplicative = false;  // abscissas down(v), v, up(v); else -step, 0, +step
    double factor = 1.0;          // the multiplicative step
    double step = 0.0;            // the additive step
    bool alwaysVertex = false;
};

// One search over one value; cost(v) sets the value and judges it.
double search(double s, const SearchRules& r, const std::function<double(double)>& cost)
{
    const double cs = cost(s);
    double v = s, cv = cs;
    bool haveUp = false, haveDown = false;
    double cu = 0, cd = 0;

    double nv = r.up(v);
    bool taken = r.upAllowed(nv);
    double cn = taken ? cost(nv) : 0.0;
    if (taken && cn < cv) {
        for (;;) {
            const double previousCost = cv;
            v = nv;
            cv = cn;
            haveDown = true;
            cd = previousCost;
            if (r.stopUp(v))
                break;
            nv = r.up(v);
            taken = r.upAllowed(nv);
            cn = taken ? cost(nv) : 0.0;
            if (!(taken && cn < cv)) {
                haveUp = taken;
                cu = cn;
                break;
            }
        }
    } else {
        haveUp = taken;
        cu = cn;
        nv = r.down(s);
        taken = r.downAllowed(nv);
        cn = taken ? cost(nv) : 0.0;
        if (taken && cn < cv) {
            for (;;) {
                const double previousCost = cv;
                v = nv;
                cv = cn;
                haveUp = true;
                cu = previousCost;
                if (r.stopDown(v))
                    break;
                nv = r.down(v);
                taken = r.downAllowed(nv);
                cn = taken ? cost(nv) : 0.0;
                if (!(taken && cn < cv)) {
                    haveDown = taken;
                    cd = cn;
                    break;
                }
            }
        } else {
            haveDown = taken;
            cd = cn;
        }
    }
    // A neighbour whose cost was never computed counts as no lower.
    if (!haveUp)
        cu = cv;
    if (!haveDown)
        cd = cv;

    double result = v;
    if (r.alwaysVertex || (cv < cu && cv < cd)) {
        double x0, x2, x1 = 0;
        if (r.multiplicative) {
            x0 = v / r.factor;
            x1 = v;
            x2 = v * r.factor;
        } else {
            x0 = -r.step;
            x2 = r.step;
        }
        double xv = 0, yv = 0;
        const double c = parabolaVertex(x0, x1, x2, cd, cv, cu, &xv, &yv);
        // Equal costs (no curvature) or a vertex that is not a number keep
        // the value.
        if (c != 0 && std::isfinite(c) && std::isfinite(xv))
            result = r.multiplicative ? xv : v + xv;
    }
    cost(result);
    return result;
}

}  // namespace

void cPeak1D::fitAmplitude(int32_t start, uint32_t count, double* scratch, const double* target, double sigma)
{
    const double s = amplitude;
    SearchRules r;
    r.up = [](double v) { return v * 1.05; };
    r.down = [](double v) { return v / 1.05; };
    r.stopUp = [s](double v) { return v > 2 * s; };
    r.stopDown = [sigma](double v) { return v < 2 * sigma; };
    r.multiplicative = true;
    r.factor = 1.05;
    r.alwaysVertex = true;
    search(s, r, [&](double v) {
        amplitude = v;
        return residualCost(start, count, scratch, target);
    });
}

void cPeak1D::fitWidth(int32_t start, uint32_t count, double* scratch, const double* target)
{
    const double s = width;
    SearchRules r;
    r.up = [](double v) { return v * 1.02; };
    r.down = [](double v) { return v / 1.02; };
    r.stopUp = [s](double v) { return v > 1.5 * s; };
    r.stopDown = [s](double v) { return v < 0.5 * s; };
    r.multiplicative = true;
    r.factor = 1.02;
    search(s, r, [&](double v) {
        width = v;
        return residualCost(start, count, scratch, target);
    });
}

void cPeak1D::fitPosition(int32_t start, uint32_t count, double* scratch, const double* target)
{
    const double s = position;
    const double step = 0.05 * width;
    const cPeak1D* after = nextPeak();
    const cPeak1D* before = previousPeak();
    SearchRules r;
    r.up = [step](double v) { return v + step; };
    r.down = [step](double v) { return v - step; };
    r.upAllowed = [after](double v) { return !(after && v > after->position); };
    r.downAllowed = [before](double v) { return !(before && v < before->position); };
    const double limit = 0.5 * width;
    r.stopUp = [s, limit](double v) { return std::fabs(v - s) > limit; };
    r.stopDown = r.stopUp;
    r.step = step;
    search(s, r, [&](double v) {
        position = v;
        return residualCost(start, count, scratch, target);
    });
}

void cPeak1D::fitPhase(int32_t start, uint32_t count, double* scratch, const double* target)
{
    const double s = phase;
    const double step = M_PI / 2 / 20;
    SearchRules r;
    r.up = [step](double v) { return v + step; };
    r.down = [step](double v) { return v - step; };
    r.stopUp = [s](double v) { return std::fabs(v - s) > 180.0; };
    r.stopDown = r.stopUp;
    r.step = step;
    search(s, r, [&](double v) {
        phase = v;
        return residualCost(start, count, scratch, target);
    });
}

// ---- splitting and refinement ----------------------------------------------

ResultCode cPeak1D::split(int32_t n, const double* residual, double sigma)
{
    if (itemFlags & SplitMark)
        return RcOk;
    double d = 0;
    if (amplitude > 100 * sigma && residual) {
        const double c = std::floor(position + 0.5);
        const double l = std::floor(position - width - 0.5);
        const double h = std::floor(position + width + 0.5);
        // A line that close to an edge is not split.
        if (!(l >= 0 && h < n && c >= 0 && c < n))
            return RcOk;
        d = std::fabs(residual[size_t(c)] - (residual[size_t(l)] + residual[size_t(h)]) / 2);
    }
    if (!(d > 50 * sigma))
        return RcOk;
    auto* copy = new (std::nothrow) cPeak1D(*this);
    if (!copy)
        return RcOutOfMemory;
    amplitude /= 2;
    copy->amplitude = amplitude;
    copy->position = position + 0.1;
    position -= 0.1;
    itemFlags |= SplitMark;
    copy->itemFlags |= SplitMark;
    cPeak1DList* l = list();
    if (!l) {
        delete copy;
        return RcOk;
    }
    ResultCode r = 0;
    if (cPeak1D* successor = nextPeak())
        r = l->insertPeakBefore(copy, successor);
    else
        r = l->appendPeak(copy);
    if (r)
        return r;
    updateExtent(l->extentThreshold);
    return RcOk;
}

ResultCode cPeak1D::refine(int32_t n, double* residual, double sigma, uint32_t fitPhaseToo, uint32_t trySplit)
{
    if (n <= 0 || !residual)
        return RcOk;
    ResultCode status = trySplit ? split(n, residual, sigma) : RcOk;
    const double p = position, w = width;
    if (!std::isfinite(p) || !std::isfinite(w))
        return status;
    double lo = p - 3 * w, hi = p + 3 * w;
    if (const cPeak1D* before = previousPeak())
        if (before->position > lo && before->position < hi)
            lo = before->position;
    if (const cPeak1D* after = nextPeak())
        if (after->position < hi && after->position > lo)
            hi = after->position;
    if (p - lo < 3)
        lo = p - 3;
    if (hi - p < 3)
        hi = p + 3;
    const int32_t first = lo < 0 ? 0 : lo >= n ? n - 1 : int32_t(lo);
    const int32_t last = hi >= n ? n - 1 : hi < 0 ? 0 : int32_t(hi);
    if (last - first + 1 < 3)
        return RcOk;
    const uint32_t count = uint32_t(last - first + 1);

    double* target = allocDoubles(2 * count);
    double* scratch = allocDoubles(2 * count);
    if (!target || !scratch)
        status = RcOutOfMemory;
    if (!status) {
        // A fit range that rounds to one point gives a flat baseline.
        const int32_t i1 = std::clamp<int32_t>(int32_t(std::floor(fitLow + 0.5)), 0, n - 1);
        const int32_t i2 = std::clamp<int32_t>(int32_t(std::floor(fitHigh + 0.5)), 0, n - 1);
        const double slope = i2 != i1 ? (residual[i2] - residual[i1]) / double(i2 - i1) : 0.0;
        for (uint32_t j = 0; j < count; ++j) {
            const int32_t x = first + int32_t(j);
            double re = 0;
            value(x, &re, nullptr);
            target[j] = residual[x] - (residual[i1] + double(x - i1) * slope) + re;
        }
        cPeak1D* work = workingCopy(*this);
        if (!work) {
            status = RcOutOfMemory;
        } else {
            const int runs = (itemFlags & SplitMark) ? 2 : 1;
            for (int run = 0; run < runs; ++run) {
                work->fitAmplitude(first, count, scratch, target, sigma);
                work->fitWidth(first, count, scratch, target);
                work->fitPosition(first, count, scratch, target);
                if (fitPhaseToo)
                    work->fitPhase(first, count, scratch, target);
            }
            itemFlags &= ~uint32_t(SplitMark);

            int32_t a = 0, b = 0;
            pointRange(n, &a, &b);
            for (int32_t i = a; i <= b; ++i) {
                double re = 0, im = 0;
                if (value(i, &re, &im))
                    break;
                residual[i] += re;
                residual[n + i] += im;
            }
            position = work->position;
            width = work->width;
            amplitude = work->amplitude;
            phase = work->phase;
            pointRange(n, &a, &b);
            for (int32_t i = a; i <= b; ++i) {
                double re = 0, im = 0;
                if (value(i, &re, &im))
                    break;
                residual[i] -= re;
                residual[n + i] -= im;
            }
            delete work;
        }
    }
    std::free(target);
    std::free(scratch);
    return status;
}

ResultCode cPeak1DList::refineAll(int32_t n, double* residual, double sigma, uint32_t fitPhase, uint32_t trySplit)
{
    for (cPeak1D* p = firstPeak(); p;) {
        p->refine(n, residual, sigma, fitPhase, trySplit);
        p = p->nextPeak();
    }
    return RcOk;
}

}  // namespace yarbex
