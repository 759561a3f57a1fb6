#include "tavriondataserver.h"

#include <algorithm>
#include <limits>

#include "kstextutil.h"

namespace {

// A filter holds at most ten precursors: levels 2 to 11.
constexpr int kHighestPrecursorLevel = TavrionScanFilter::kMaxPrecursors + 1;

}  // namespace

CTavrionDataServerImpl::CTavrionDataServerImpl() = default;

CTavrionDataServerImpl::~CTavrionDataServerImpl() = default;

CString CTavrionDataServerImpl::DatasetType()
{
    return CString(L"KSTavrionProvider");
}

bool CTavrionDataServerImpl::IsValidDataset(const CString& path)
{
    return IsTavrionRawFile(path.str());
}

HRESULT CTavrionDataServerImpl::Open(const CString& path)
{
    m_Records.clear();
    if (!m_IO.Open(path.str()))
        return E_FAIL;
    m_Records = GroupScansByFilter(m_IO.ScanCount(), [&](LONG scan) { return m_IO.GetScanFilter(scan); });
    return S_OK;
}

HRESULT CTavrionDataServerImpl::Close()
{
    m_Records.clear();
    m_IO.Close();
    return S_OK;
}

const TavrionFunctionRecord* CTavrionDataServerImpl::RecordAt(int injection, int function) const
{
    if (injection != 0 || function < 0 || static_cast<size_t>(function) >= m_Records.size())
        return nullptr;
    return &m_Records[static_cast<size_t>(function)];
}

int CTavrionDataServerImpl::FunctionCount(int injection)
{
    return injection == 0 ? static_cast<int>(m_Records.size()) : 0;
}

CString CTavrionDataServerImpl::FunctionName(int injection, int function)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    return r ? CString(r->displayText) : CString();
}

::FunctionType CTavrionDataServerImpl::FunctionType(int injection, int function)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    return r ? static_cast<::FunctionType>(r->functionType) : FunctionTypeUnknown;
}

::FunctionMSMSType CTavrionDataServerImpl::FunctionMSMSType(int injection, int function)
{
    return FunctionType(injection, function) == FunctionTypeMSn ? FunctionMSMSTypeProduct : FunctionMSMSTypeNone;
}

::FunctionPolarity CTavrionDataServerImpl::FunctionPolarity(int injection, int function)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    if (!r)
        return FunctionPolarityUnknown;
    return r->polarity == 1 ? FunctionPolarityPositive
                            : r->polarity == -1 ? FunctionPolarityNegative : FunctionPolarityUnknown;
}

int CTavrionDataServerImpl::MSOrder(int injection, int function)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    return r ? r->msOrder : 0;
}

int CTavrionDataServerImpl::SpectrumCount(int injection, int function)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    return r ? static_cast<int>(r->scans.size()) : 0;
}

HRESULT CTavrionDataServerImpl::BPCWithRange(double low, double high, bool, int injection, int function,
                                             CChromatogram& chromatogram)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    return r && m_IO.ReadChromatogram(0, 1, kTavrionChroBasePeak, r->key, chromatogram, low, high) ? S_OK : E_FAIL;
}

HRESULT CTavrionDataServerImpl::TIC(bool, int injection, int function, CChromatogram& chromatogram)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    return r && m_IO.ReadChromatogram(0, 1, kTavrionChroTIC, r->key, chromatogram, -1, -1) ? S_OK : E_FAIL;
}

HRESULT CTavrionDataServerImpl::Spectrum(int injection, int function, int index, CMassSpectrum& spectrum)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    if (!r || index < 0 || static_cast<size_t>(index) >= r->scans.size())
        return E_FAIL;
    const LONG scan = r->scans[static_cast<size_t>(index)] + 1;
    if (!m_IO.ReadSpectrum(scan, spectrum))
        return E_FAIL;
    spectrum.SetFirstScan(index + 1);
    spectrum.SetLastScan(index + 1);
    spectrum.SetFunctionType(r->functionType);
    spectrum.SetMSOrder(r->msOrder);
    TavrionScanFilter filter;
    filter.Parse(m_IO.GetScanFilter(scan));
    const int levels = std::min<int>(r->msOrder, kHighestPrecursorLevel);
    for (int level = 2; level <= levels; ++level) {
        spectrum.SetPrecursorMZ(level, filter.m_Precursors[level - 2]);
        spectrum.SetPrecursorMZ2(level, filter.m_Precursors[level - 2]);
    }
    spectrum.Invalidate();
    return S_OK;
}

double CTavrionDataServerImpl::TimeOf(const TavrionFunctionRecord& record, size_t k)
{
    return m_IO.TimeFromScan(record.scans[k] + 1);
}

int CTavrionDataServerImpl::SpectrumIndexByRT(int injection, int function, double t, FunctionRTProximity proximity)
{
    const TavrionFunctionRecord* r = RecordAt(injection, function);
    if (!r || r->scans.empty() || proximity < FunctionRTProximityLess || proximity > FunctionRTProximityClosest)
        return -1;
    const std::vector<LONG>& scans = r->scans;
    const size_t last = scans.size() - 1;
    const LONG s = m_IO.ScanFromTime(t);
    if (s == 0) {
        // No scan of the file at that time: before the function's first
        // spectrum, or after its last.
        if ((proximity == FunctionRTProximityGreater || proximity == FunctionRTProximityClosest) &&
            TimeOf(*r, 0) > t)
            return 0;
        if (proximity == FunctionRTProximityGreater)
            return -1;
        return TimeOf(*r, last) < t ? static_cast<int>(last) : -1;
    }
    // The function's first spectrum at or after the reader's scan.
    const auto at = std::lower_bound(scans.begin(), scans.end(), s - 1);
    long long i = at == scans.end() ? static_cast<long long>(last) : at - scans.begin();
    const double g = TimeOf(*r, static_cast<size_t>(i));
    switch (proximity) {
    case FunctionRTProximityLess:
        if (g > t)
            --i;
        break;
    case FunctionRTProximityGreater:
        if (g < t)
            ++i;
        break;
    case FunctionRTProximityClosest: {
        // Strict comparisons: a time halfway keeps the spectrum found.
        const double p = i > 0 ? TimeOf(*r, static_cast<size_t>(i - 1)) : -1.0;
        const double n = static_cast<size_t>(i) < last ? TimeOf(*r, static_cast<size_t>(i + 1)) : -1.0;
        if (p > -1 && g - t > t - p)
            --i;
        else if (n > -1 && t - g > n - t)
            ++i;
        break;
    }
    default:
        return -1;
    }
    return i >= 0 && static_cast<size_t>(i) < scans.size() ? static_cast<int>(i) : -1;
}

int CTavrionDataServerImpl::TraceCount(int injection)
{
    return injection == 0 ? m_IO.ChannelCount() : 0;
}

CString CTavrionDataServerImpl::TraceName(int injection, int trace)
{
    const std::wstring name = injection == 0 && trace >= 0 && trace < std::numeric_limits<int>::max()
                                  ? m_IO.ChannelName(trace + 1)
                                  : std::wstring();
    if (!name.empty())
        return CString(name);
    std::wstring fallback;
    FormatWide(fallback, L"Trace %lld", static_cast<long long>(trace) + 1);
    return CString(fallback);
}

HRESULT CTavrionDataServerImpl::Trace(int injection, int trace, CChromatogram& chromatogram)
{
    if (injection != 0 || trace < 0 || trace >= m_IO.ChannelCount())
        return E_FAIL;
    return m_IO.ReadChannelChromatogram(trace + 1, chromatogram) ? S_OK : E_FAIL;
}
