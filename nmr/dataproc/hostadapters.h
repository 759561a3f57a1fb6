// Translations between the host's objects and the library's data.
#pragma once

#include "hostobjects.h"
#include "resultcode.h"

#include <cstdint>

namespace yarbex {

class cPeak1D;

// The real part of a one-dimensional host spectrum as n doubles (free with
// std::free).
ResultCode readHostRealPart(IHostSpectrum* s, double** out, uint32_t expectedSize);
void readHostPeak(IHostPeak* p, cPeak1D* line, int32_t* first, int32_t* last);
void writeHostPeak(const cPeak1D* line, IHostPeak* p, int32_t first, int32_t last);
bool peakMatchesMasks(IHostPeak* p, uint32_t mode, uint32_t kindMask, uint32_t flagMask);
bool pointInMultiplet(IHostMultipletList* list, double x, double origin, double pointsPerUnit, double pointsPerHz);

// A host peak obtained from a list, released when it goes.
class HostPeakRef {
public:
    HostPeakRef(IHostPeakList* list, uint32_t index) : m_peak(list ? list->item(index) : nullptr) {}
    explicit HostPeakRef(IHostPeak* peak) : m_peak(peak) {}
    ~HostPeakRef()
    {
        if (m_peak)
            m_peak->release();
    }
    HostPeakRef(const HostPeakRef&) = delete;
    HostPeakRef& operator=(const HostPeakRef&) = delete;

    IHostPeak* get() const { return m_peak; }
    IHostPeak* operator->() const { return m_peak; }
    explicit operator bool() const { return m_peak != nullptr; }

private:
    IHostPeak* m_peak;
};

}  // namespace yarbex
