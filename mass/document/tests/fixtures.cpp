// The objects that tests/make_fixtures.py writes as bytes, built here
// through the public operations.
#include "doctest.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                        void (*freeHook)(const volatile void*));
#endif

namespace doctest {

namespace {

std::atomic<bool> g_watching{false};
std::atomic<size_t> g_largest{0};

#if defined(__SANITIZE_ADDRESS__)
void onMalloc(const volatile void*, size_t size)
{
    if (!g_watching.load(std::memory_order_relaxed))
        return;
    size_t seen = g_largest.load(std::memory_order_relaxed);
    while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
    }
}

void onFree(const volatile void*) {}

bool installHooks()
{
    return __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
}
#else
bool installHooks()
{
    return false;
}
#endif

}  // namespace

bool LargestAllocation::available()
{
    static const bool installed = installHooks();
    return installed;
}

LargestAllocation::LargestAllocation()
{
    available();
    g_largest = 0;
    g_watching = true;
}

LargestAllocation::~LargestAllocation()
{
    g_watching = false;
}

size_t LargestAllocation::bytes() const
{
    return g_largest.load();
}

TMSChromPeak fixtureChromPeak()
{
    TMSChromPeak p;
    p.position = QPointF(0.3, 900.0);
    p.attribute = 0;
    p.start = QPointF(0.1, 10.0);
    p.end = QPointF(0.5, 12.5);
    p.height = 888.75;
    p.area = 123.5;
    p.scan = 2;
    p.peakType = PeakBB;
    return p;
}

TChromatogramDataObj fixtureChromatogram()
{
    TKSChromatogram c;
    c.setPoints({0.1, 0.2, 0.3, 0.4, 0.5}, {10.0, 250.0, 900.0, 240.0, 12.5});
    c.setSource(0, 1, -1);
    TChromatogramDataObj object(QUuid("{5b0c2a4e-9d1f-4c37-8a62-0f3e7d15c9a1}"), c, 100.0, 500.0, 3);
    TMSChromPeak second;
    second.position = QPointF(0.45, 60.0);
    second.attribute = 0;
    second.start = QPointF(0.4, 240.0);
    second.end = QPointF(0.5, 12.5);
    second.height = 40.0;
    second.area = 2.25;
    second.scan = 3;
    second.peakType = PeakVB;
    object.peaks() = {fixtureChromPeak(), second};
    return object;
}

TMassSpecDataObj fixtureSpectrum()
{
    TKSMassSpectrum s;
    s.setPoints({138.0662, 195.0877, 196.0911}, {40.0, 48000.0, 4650.5});
    s.setCentroid(true);
    s.setMSOrder(2);
    s.setPolarity(2);
    s.setPrecursorMZ(445.12);
    s.setSource(0, 1);
    s.setScanRanges({{34, 40}}, {{0.33, 0.39}});
    s.setBackgroundRanges({{10, 12}}, {{0.09, 0.11}});
    TMassSpecDataObj object(QUuid("{e1f7a0b3-2c54-4d8e-b916-7a3c05d2f4e8}"), s, 1);
    TMSPeak third(QPointF(196.0911, 4650.5));
    third.attribute = TMSPeak::kDefaultAttribute;
    object.peaks() = {TMSPeak(QPointF(138.0662, 40.0)), TMSPeak(QPointF(195.0877, 48000.0)), third};
    return object;
}

}  // namespace doctest
