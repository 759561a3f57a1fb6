#include "lumatrahost.h"

#include <cstring>

namespace lumatra {

namespace {
int64_t g_outstanding = 0;
int64_t g_alive = 0;
}  // namespace

HostPeak::HostPeak()
{
    ++g_alive;
}

HostPeak::~HostPeak()
{
    --g_alive;
}

HostPeak* HostPeak::create()
{
    return new HostPeak;
}

void HostPeak::addRef()
{
    ++references;
}

void HostPeak::release()
{
    --g_outstanding;
    if (--references == 0)
        delete this;
}

void HostPeak::releaseHeld()
{
    if (--references == 0)
        delete this;
}

int64_t HostPeak::outstanding()
{
    return g_outstanding;
}

int64_t HostPeak::alive()
{
    return g_alive;
}

void HostPeak::resetCounters()
{
    g_outstanding = 0;
}

HostPeakList::~HostPeakList()
{
    for (HostPeak* p : peaks)
        p->releaseHeld();
}

IHostPeak* HostPeakList::item(uint32_t index)
{
    if (index >= peaks.size())
        return nullptr;
    peaks[index]->addRef();
    ++g_outstanding;
    return peaks[index];
}

int32_t HostPeakList::insert(int32_t position, IHostPeak* peak)
{
    // Only peaks of this stand-in can be held.
    auto* p = dynamic_cast<HostPeak*>(peak);
    if (!p)
        return -1;
    p->addRef();
    if (position < 0 || size_t(position) >= peaks.size()) {
        peaks.push_back(p);
        return int32_t(peaks.size() - 1);
    }
    peaks.insert(peaks.begin() + position, p);
    return position;
}

IHostPeak* HostPeakList::createPeak()
{
    if (!canCreate)
        return nullptr;
    ++g_outstanding;
    return HostPeak::create();
}

HostPeak* HostPeakList::add(double position, double width, double amplitude, uint32_t kind, uint32_t flags)
{
    HostPeak* p = HostPeak::create();
    p->pos = position;
    p->wid = width;
    p->amp = amplitude;
    p->peakKind = kind;
    p->peakFlags = flags;
    peaks.push_back(p);
    return p;
}

HostSpectrum::HostSpectrum(uint32_t n, bool realData) : sizes{n}, samples(realData ? n : 2 * size_t(n), 0.0f),
                                                       real(realData)
{
}

bool HostSpectrum::describe(uint32_t dimension, SpectrumDescription* out)
{
    if (dimension != 1 || !hasDescription || !out)
        return false;
    *out = description;
    return true;
}

IHostSpectrum* Host::createSpectrum(uint32_t dimensions, const SpectrumDescription* d, uint32_t, uint32_t timeDomain)
{
    if (!canCreate || dimensions != 1 || !d || d->size == 0 || d->size > (1u << 26))
        return nullptr;
    auto s = std::make_unique<HostSpectrum>(d->size, createReal);
    s->timeDomain = timeDomain != 0;
    s->hasDescription = true;
    s->description = *d;
    created.push_back(std::move(s));
    return created.back().get();
}

}  // namespace lumatra
