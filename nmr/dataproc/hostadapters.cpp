#include "hostadapters.h"
#include "numeric.h"
#include "peak.h"

#include <cmath>

namespace yarbex {

ResultCode readHostRealPart(IHostSpectrum* s, double** out, uint32_t expectedSize)
{
    if (!out)
        return RcMissingBuffer;
    *out = nullptr;
    if (!s)
        return RcMissingData;
    if (s->dimensionCount() != 1)
        return RcTooManyDimensions;
    const uint32_t n = s->size(1);
    if (expectedSize != 0 && n != expectedSize)
        return RcSizeMismatch;
    const float* data = s->data();
    if (!data || n < 2)
        return RcMissingData;
    double* d = allocDoubles(n);
    if (!d)
        return RcOutOfMemory;
    const bool real = s->isReal();
    for (uint32_t i = 0; i < n; ++i)
        d[i] = real ? data[i] : data[2 * size_t(i)];
    *out = d;
    return RcOk;
}

void readHostPeak(IHostPeak* p, cPeak1D* line, int32_t* first, int32_t* last)
{
    if (!p || !line)
        return;
    line->kind = p->kind();
    line->flags = p->flags();
    line->position = p->position();
    line->amplitude = p->amplitude();
    line->width = p->width();
    line->phase = p->phase();
    if (IHostPeakShape* shape = p->shape()) {
        line->lineShape = shape->code();
        for (uint32_t i = 0; i < 3; ++i)
            line->shape[i] = shape->parameter(i);
    }
    if (first)
        *first = p->firstPoint();
    if (last)
        *last = p->lastPoint();
}

void writeHostPeak(const cPeak1D* line, IHostPeak* p, int32_t first, int32_t last)
{
    if (!p || !line)
        return;
    p->setKind(line->kind);
    p->setFlags(line->flags);
    p->setPosition(line->position);
    p->setAmplitude(line->amplitude);
    p->setWidth(line->width);
    p->setPhase(line->phase);
    if (IHostPeakShape* shape = p->shape()) {
        shape->setCode(line->lineShape);
        for (uint32_t i = 0; i < 3; ++i)
            shape->setParameter(i, line->shape[i]);
    }
    p->setFirstPoint(first);
    p->setLastPoint(last);
}

bool peakMatchesMasks(IHostPeak* p, uint32_t /*mode*/, uint32_t kindMask, uint32_t flagMask)
{
    if (!p)
        return false;
    const uint32_t k = p->kind();
    uint32_t word = k <= 5 ? (1u << k) : 0u;
    if ((word & kindMask & 0xFFFF) == 0)
        return false;
    const uint32_t hostFlags = p->flags();
    for (uint32_t bit = 0; bit < 5; ++bit)
        if (hostFlags & (1u << bit))
            word |= 0x10000u << bit;
    return (word & flagMask & 0xFFFF0000u) == 0;
}

bool pointInMultiplet(IHostMultipletList* list, double x, double origin, double pointsPerUnit, double pointsPerHz)
{
    if (!list)
        return false;
    const uint32_t count = list->count();
    for (uint32_t i = 0; i < count; ++i) {
        IHostMultiplet* m = list->item(i);
        if (!m)
            return false;
        const double c = origin - m->centre() * pointsPerUnit;
        // The width in whole points, taken as unsigned; at least 10.
        double t = std::trunc(m->width() * pointsPerUnit);
        if (!(t > -9.2e18 && t < 9.2e18))
            t = std::isnan(t) ? 0.0 : (t > 0 ? 4294967295.0 : 0.0);
        uint32_t w = uint32_t(uint64_t(int64_t(t)));
        if (w < 10)
            w = 10;
        uint32_t lines = m->lineCount();
        if (lines == 0)
            lines = 1;
        const double J = lines >= 2 ? m->coupling() * pointsPerHz : 0.0;
        const double half = J * (lines - 1) / 2 + w;
        if (c - half < x && x < c + half)
            return true;
    }
    return false;
}

}  // namespace yarbex
