#include "dataserverimpl.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "coadd.h"
#include "ksnothrow.h"

CDataServerImpl::~CDataServerImpl() = default;

HRESULT CDataServerImpl::OpenFromStorage(IUnknown*, const CString&)
{
    return E_NOTIMPL;
}

bool CDataServerImpl::WritesEveryPoint()
{
    return false;
}

int CDataServerImpl::InjectionCount()
{
    return 1;
}

int CDataServerImpl::InjectionCountFromPath(const CString&)
{
    return 1;
}

CString CDataServerImpl::InjectionName(int)
{
    return CString(L"Injection 1");
}

int CDataServerImpl::FunctionCount(int)
{
    return 1;
}

CString CDataServerImpl::FunctionName(int, int function)
{
    // Widened: a stale index near the int limit must not overflow.
    CString name;
    name.Format(L"Function %lld", static_cast<long long>(function) + 1);
    return name;
}

::FunctionType CDataServerImpl::FunctionType(int, int)
{
    return FunctionTypeUnknown;
}

::FunctionMSMSType CDataServerImpl::FunctionMSMSType(int, int)
{
    return FunctionMSMSTypeNone;
}

::FunctionPolarity CDataServerImpl::FunctionPolarity(int, int)
{
    return FunctionPolarityUnknown;
}

int CDataServerImpl::MSOrder(int injection, int function)
{
    const ::FunctionType type = FunctionType(injection, function);
    return type == FunctionTypeMSn || type == FunctionTypeZoomMSn ? 2 : 1;
}

HRESULT CDataServerImpl::BPC(bool calculate, int injection, int function, CChromatogram& chromatogram)
{
    return BPCWithRange(std::numeric_limits<double>::lowest(), std::numeric_limits<double>::max(), calculate,
                        injection, function, chromatogram);
}

HRESULT CDataServerImpl::BPCWithRange(double low, double high, bool calculate, int injection, int function,
                                      CChromatogram& chromatogram)
{
    return CalculateChromatogram(Measure::BasePeak, low, high, calculate, injection, function, chromatogram);
}

HRESULT CDataServerImpl::TIC(bool calculate, int injection, int function, CChromatogram& chromatogram)
{
    return CalculateChromatogram(Measure::Total, 0.0, 0.0, calculate, injection, function, chromatogram);
}

HRESULT CDataServerImpl::CalculateChromatogram(Measure measure, double low, double high, bool calculate,
                                               int injection, int function, CChromatogram& chromatogram)
{
    return ks::noThrow([&] {
        if (!calculate)
            return CO_E_NOT_SUPPORTED;
        const int count = std::max(SpectrumCount(injection, function), 0);
        // The count may be a file's claim: the points grow with the spectra
        // read (the arrays double as they grow), so a function claiming
        // millions of spectra of which one can be read costs one point.
        chromatogram.SetSize(0);
        // One scratch spectrum for the whole function: a reader's Spectrum sets
        // every field it fills on each call.
        CMassSpectrum scratch;
        for (int i = 0; i < count; ++i) {
            const HRESULT hr = Spectrum(injection, function, i, scratch);
            if (FAILED(hr))
                return hr;
            chromatogram.SetSize(i + 1);
            chromatogram.SetTime(i, scratch.GetStartRT());
            chromatogram.SetIntensity(i, measure == Measure::BasePeak ? scratch.GetBasePeakInRange(low, high)
                                                                      : scratch.GetTIC());
        }
        return S_OK;
    });
}

HRESULT CDataServerImpl::SpectrumRange(int injection, int function, int first, int last, bool toleranceInDaltons,
                                       double tolerance, CMassSpectrum& spectrum)
{
    return ks::noThrow([&] {
        HRESULT hr = Spectrum(injection, function, first, spectrum);
        const double start = spectrum.GetStartRT();
        double end = start;
        if (SUCCEEDED(hr) && last > first) {
            CMassSpectrum scratch;
            for (int i = first + 1;; ++i) {
                hr = Spectrum(injection, function, i, scratch);
                if (FAILED(hr))
                    break;
                end = scratch.GetStartRT();
                CoAddSpectra(toleranceInDaltons, tolerance, scratch, spectrum);
                if (i == last)
                    break;
            }
        }
        // Scan numbers are 1-based; widened so that a stale index at the int
        // limit cannot overflow.
        spectrum.SetFirstScan(static_cast<LONG>(static_cast<long long>(first) + 1));
        spectrum.SetLastScan(static_cast<LONG>(static_cast<long long>(last) + 1));
        spectrum.SetStartRT(start);
        spectrum.SetEndRT(end);
        return hr;
    });
}

int CDataServerImpl::TraceCount(int)
{
    return 0;
}

CString CDataServerImpl::TraceName(int, int trace)
{
    CString name;
    name.Format(L"Trace %lld", static_cast<long long>(trace) + 1);
    return name;
}

HRESULT CDataServerImpl::Trace(int, int, CChromatogram&)
{
    return E_NOTIMPL;
}

int FindIndexByRetentionTime(const std::vector<double>& times, double retentionTime, FunctionRTProximity proximity)
{
    if (std::isnan(retentionTime))
        return -1;
    const bool less = proximity == FunctionRTProximityLess;
    const bool greater = proximity == FunctionRTProximityGreater;
    const bool closest = proximity == FunctionRTProximityClosest;
    if (!less && !greater && !closest)
        return -1;
    const size_t count = times.size();
    const size_t p = static_cast<size_t>(std::lower_bound(times.begin(), times.end(), retentionTime) - times.begin());
    if (p == count)
        return greater ? -1 : static_cast<int>(count) - 1;
    if (p == 0) {
        if (times[0] == retentionTime)
            return 0;
        return less ? -1 : 0;
    }
    if (less)
        return static_cast<int>(p) - 1;
    if (greater)
        return static_cast<int>(p);
    return retentionTime - times[p - 1] < times[p] - retentionTime ? static_cast<int>(p) - 1 : static_cast<int>(p);
}
