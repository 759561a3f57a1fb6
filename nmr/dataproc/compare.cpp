#include "compare.h"
#include "arrayops.h"
#include "frame.h"
#include "hostadapters.h"
#include "numeric.h"

#include <cinttypes>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace yarbex {

namespace {

const char* const kTitle = "Comparison of spectra";

uint32_t nearestCount(double v)
{
    uint32_t r = 0;
    roundToUnsigned(v, &r, 0, 0xFFFFFFFFu);
    return r;
}

void appendf(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string* out, const char* format, ...)
{
    if (!out)
        return;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out->append(line);
}

// The signed power transform of every value.
void powerTransform(uint32_t n, double* v, double s)
{
    if (s < 0.1)
        s = 0.1;
    for (uint32_t i = 0; i < n; ++i) {
        if (v[i] > 0)
            v[i] = std::pow(v[i], s);
        else if (v[i] < 0)
            v[i] = -std::pow(-v[i], s);
    }
}

struct Freer {
    double* p = nullptr;
    ~Freer() { std::free(p); }
};

}  // namespace

ResultCode spectrumGeometry(IHostSpectrum* s, uint32_t* size, SpectrumGeometry* g)
{
    SpectrumDescription d{};
    if (!s || !s->describe(1, &d))
        return RcInternalLow;
    // A spectral width of 0 would put every shift at an infinite point.
    const double p = double(d.size) / double(d.spectralWidth);
    const double z = double(d.size) + double(d.offset) * p;
    const double P = p * double(d.frequency);
    if (!std::isfinite(p) || !std::isfinite(z) || !std::isfinite(P) || d.spectralWidth == 0)
        return RcInternalLow;
    if (size)
        *size = s->size(1);
    if (g) {
        g->pointsPerHz = p;
        g->zeroPoint = z;
        g->pointsPerPpm = P;
    }
    return RcOk;
}

ResultCode regionWeights(IHostSpectrum* spectrum, double** weights)
{
    if (!spectrum)
        return RcMissingData;
    if (!weights)
        return RcMissingBuffer;
    *weights = nullptr;
    SpectrumGeometry g;
    uint32_t n = 0;
    if (ResultCode r = spectrumGeometry(spectrum, &n, &g))
        return r;
    double* w = allocDoubles(n);
    if (!w)
        return RcOutOfMemory;
    for (uint32_t k = 0; k < n; ++k)
        w[k] = 1.0;
    *weights = w;
    IHostMultipletList* list = spectrum->multiplets(1);
    if (!list) {
        showMessage(MessageWarning, "Undefined solvent", kTitle);
        return RcOk;
    }
    const uint32_t count = list->count();
    for (uint32_t i = 0; i < count; ++i) {
        IHostMultiplet* m = list->item(i);
        if (!m)
            break;
        const double q = g.zeroPoint - m->centre() * g.pointsPerPpm;
        double half = std::trunc(m->width() * g.pointsPerPpm / 2);
        if (!(half >= 10))
            half = 10;
        uint32_t lines = m->lineCount();
        if (lines == 0)
            lines = 1;
        const double J = lines >= 2 ? m->coupling() * g.pointsPerHz : 0.0;
        const double h = (lines - 1) * J / 2 + half;
        double lo = q - h, hi = q + h;
        if (!std::isfinite(lo) || !std::isfinite(hi))
            continue;
        if (lo < 0)
            lo = 0;
        else if (lo >= n)
            lo = n - 1.0;
        if (hi >= n)
            hi = n - 1.0;
        else if (hi < 0)
            hi = 0;
        for (uint32_t k = 0; k < n; ++k) {
            double f = 0.0;
            if (k < lo) {
                const double t = (lo - k) / half;
                f = 1 - std::exp(-t * t);
            } else if (k > hi) {
                const double t = (k - hi) / half;
                f = 1 - std::exp(-t * t);
            }
            w[k] *= f;
        }
    }
    return RcOk;
}

ResultCode readRegionSetup(const double* params, bool givenBoundaries, RegionSetup* setup)
{
    if (!params || !setup)
        return RcMissingInput;
    RegionSetup s;
    if (!givenBoundaries) {
        s.parts = nearestCount(params[5]);
        s.edge = params[4];
        s.low = params[2];
        s.high = params[3];
    } else {
        s.parts = nearestCount(params[3]);
        s.edge = params[2];
    }
    if (s.parts > kMaxSubRegions)
        return RcIllegalMode;
    s.bounds.resize(size_t(s.parts) + 1);
    if (!givenBoundaries) {
        s.bounds[0] = s.low;
        for (uint32_t k = 1; k < s.parts; ++k)
            s.bounds[k] = s.low + k * (s.high - s.low) / s.parts;
        s.bounds[s.parts] = s.high;
    } else {
        for (uint32_t k = 0; k <= s.parts; ++k)
            s.bounds[k] = params[4 + k];
        s.low = s.bounds[0];
        s.high = s.bounds[s.parts];
    }
    *setup = std::move(s);
    return RcOk;
}

ResultCode regionDistances(IHostSpectraStack* stack, uint32_t flags, uint32_t transform, double exponent,
                           const RegionSetup& setup, const std::function<void(double)>& sink, std::string* report)
{
    const uint32_t c = stack ? stack->count() : 0;
    IHostSpectrum* first = c ? stack->item(0) : nullptr;
    uint32_t n = 0;
    SpectrumGeometry g;
    if (ResultCode r = spectrumGeometry(first, &n, &g))
        return r;
    Freer weights;
    if (flags & CompareWeights)
        if (ResultCode r = regionWeights(first, &weights.p))
            return r;
    const double z = g.zeroPoint, P = g.pointsPerPpm, edge = setup.edge * P;
    appendf(report, "Region [%3.2f,%3.2f] ppm; edge: %2.2f ppm; sub-regions: %" PRIu32 "\n", setup.low, setup.high,
            setup.edge, setup.parts);

    auto prepare = [&](double* v) {
        if (transform == 1)
            powerTransform(n, v, exponent);
        if (weights.p)
            multiplyArray(n, weights.p, v);
    };
    const uint32_t lastReference = (flags & CompareAllPairs) && c >= 2 ? c - 2 : 0;
    for (uint32_t r = 0; r <= lastReference; ++r) {
        Freer ref;
        if (ResultCode rc = readHostRealPart(stack->item(r), &ref.p, r == 0 ? 0 : n))
            return rc;
        prepare(ref.p);
        appendf(report, "Distance from Spectrum %" PRIu32 " to:\n", r);
        for (uint32_t k = r + 1; k < c; ++k) {
            Freer other;
            if (ResultCode rc = readHostRealPart(stack->item(k), &other.p, n))
                return rc;
            prepare(other.p);
            double d = 0;
            if (ResultCode rc = windowedCumulativeDistance(n, ref.p, other.p, &d, z - setup.low * P,
                                                           z - setup.high * P, edge))
                return rc;
            appendf(report, "   Spectrum %" PRIu32 ": global = %g\n", k, d);
            sink(d);
            for (uint32_t j = 1; j <= setup.parts; ++j) {
                double dj = 0;
                if (ResultCode rc = windowedCumulativeDistance(n, ref.p, other.p, &dj, z - setup.bounds[j - 1] * P,
                                                               z - setup.bounds[j] * P, edge))
                    return rc;
                appendf(report, "      %3.4f\tin [%3.2f,%3.2f] ppm\n", dj, setup.bounds[j - 1], setup.bounds[j]);
                sink(dj);
            }
        }
    }
    return RcOk;
}

namespace {

ResultCode compare(IHostSpectraStack* stack, uint32_t mode, uint32_t flags, double* params, uint32_t capacity)
{
    const uint32_t c = stack ? stack->count() : 0;
    if (mode < CompareGlobal || mode > CompareBoundaries)
        return c == 0 ? RcMissingInput : RcUnknownCommand;
    if (!stack || !params)
        return RcMissingInput;
    if (c < 2) {
        showMessage(MessageCritical, "At least 2 stacked spectra are needed", kTitle);
        return RcMissingInput;
    }
    const uint32_t t = nearestCount(params[0]);
    const double s = params[1];
    std::string text;
    std::string* report = (flags & CompareReport) ? &text : nullptr;

    if (mode == CompareGlobal) {
        IHostSpectrum* first = stack->item(0);
        uint32_t n = 0;
        if (ResultCode r = spectrumGeometry(first, &n, nullptr))
            return r;
        if (flags & CompareWeights) {
            // Made (and their failure counted) as in the region modes, but
            // not applied to global distances.
            Freer weights;
            if (ResultCode r = regionWeights(first, &weights.p))
                return r;
        }
        appendf(report, "Distance (0-1) from Spectrum 0 to:\n\n");
        Freer ref;
        if (ResultCode r = readHostRealPart(first, &ref.p, n))
            return r;
        for (uint32_t i = 1; i < c; ++i) {
            Freer other;
            if (ResultCode r = readHostRealPart(stack->item(i), &other.p, n))
                return r;
            double d = 0;
            if (ResultCode r = cumulativeDistance(n, ref.p, other.p, &d))
                return r;
            appendf(report, "Spectrum %" PRIu32 ": %g\n", i, d);
        }
    } else {
        RegionSetup setup;
        if (ResultCode r = readRegionSetup(params, mode == CompareBoundaries, &setup))
            return r;
        uint32_t index = 0;
        auto sink = [&](double d) {
            if (index < capacity)
                params[index++] = d;
        };
        if (ResultCode r = regionDistances(stack, flags, t, s, setup, sink, report))
            return r;
    }
    if (report)
        showMessage(MessageInformation, text.c_str(), kTitle);
    return RcOk;
}

}  // namespace

uint32_t compareSpectra(IHostSpectraStack* stack, uint32_t mode, uint32_t flags, double* params, uint32_t capacity,
                        uint32_t* result)
{
    if (result)
        *result = 0;
    return reportResult(compare(stack, mode, flags, params, capacity)) & 0xFFFF;
}

}  // namespace yarbex
