// Scans, filters and scan events: times to scans and back, the filters of
// the mass spectrometer, a scan's filter and event texts, its data form
// and its index entry.
#include "ombrelobject.h"
#include "ombreloutputs.h"

using namespace rawengine;

HRESULT COmbrel::ScanNumFromRT(double dRT, LONG* pnScanNumber)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needController())
            return hr;
        if (!pnScanNumber)
            return kOmbrelBadArgument;
        if (!timeInRun(dRT))
            return kOmbrelBadArgument;
        const int32_t scan = m_current->FindScanPosition(dRT);
        // A controller without scans has a run of one instant and no scan
        // at it.
        if (scan < 0)
            return kOmbrelNothing;
        *pnScanNumber = scan;
        return kOmbrelDone;
    });
}

HRESULT COmbrel::RTFromScanNum(LONG nScanNumber, double* pdRT)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needController())
            return hr;
        if (!pdRT)
            return kOmbrelBadArgument;
        if (!scanIn(*m_current, nScanNumber))
            return kOmbrelBadArgument;
        const CVirtualData* engineCurrent = m_file->GetCurrentController();
        if (!engineCurrent)
            return kOmbrelNoController;
        const int32_t kind = engineCurrent->DeviceKind();
        if (kind == kOmbrelMS) {
            const auto* ms = dynamic_cast<const CVirtualMS*>(engineCurrent);
            if (!ms)
                return kOmbrelNoController;
            *pdRT = ms->GetScanIndex(nScanNumber).startTime;
        } else if (kind >= kOmbrelAnalog && kind <= kOmbrelUV) {
            const auto* uv = dynamic_cast<const CVirtualUV*>(engineCurrent);
            if (!uv)
                return kOmbrelNoController;
            *pdRT = uv->GetUVScanIndex(nScanNumber).startTime;
        } else {
            return kOmbrelNoController;
        }
        return kOmbrelDone;
    });
}

HRESULT COmbrel::GetFilters(VARIANT* pvarFilterArray, LONG* pnArraySize)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needMS())
            return hr;
        if (!ombrel::variantOutOk(pvarFilterArray) || !pnArraySize)
            return kOmbrelBadArgument;
        const int precision = filterPrecision();
        std::vector<std::wstring> texts;
        for (const CFilter& f : m_ms->GetFilters(-1, -1))
            texts.push_back(f.GetFilterString(precision, -1, 2));
        return ombrel::textArray(texts, pvarFilterArray, pnArraySize);
    }, pvarFilterArray);
}

HRESULT COmbrel::scanText(LONG scan, BSTR* out, bool event)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needMS())
            return hr;
        if (!scanIn(*m_ms, scan) || !ombrel::bstrOutOk(out))
            return kOmbrelBadArgument;
        // An index entry that names no scan is a fault of the file.
        if (m_ms->GetScanIndex(scan).scanNumber == 0)
            return kOmbrelEngineFailed;
        const int precision = filterPrecision();
        const std::wstring text = event ? m_ms->GetScanEvent(scan).GetScanEventString(precision, -1, 2)
                                        : m_ms->GetFilter(scan).GetFilterString(precision, -1, 2);
        return ombrel::newText(text, out);
    }, out);
}

HRESULT COmbrel::GetFilterForScanNum(LONG nScanNumber, BSTR* pbstrFilter)
{
    return ombrel::member([&]() -> HRESULT {
        return scanText(nScanNumber, pbstrFilter, false);
    });
}

HRESULT COmbrel::GetScanEventForScanNum(LONG nScanNumber, BSTR* pbstrScanEvent)
{
    return ombrel::member([&]() -> HRESULT {
        return scanText(nScanNumber, pbstrScanEvent, true);
    });
}

HRESULT COmbrel::GetFilterForScanRT(double dRT, BSTR* pbstrFilter)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needMS())
            return hr;
        if (!timeInRun(dRT) || !ombrel::bstrOutOk(pbstrFilter))
            return kOmbrelBadArgument;
        const int32_t scan = m_ms->FindScanPosition(dRT);
        if (scan < 0)
            return kOmbrelNothing;
        return scanText(scan, pbstrFilter, false);
    }, pbstrFilter);
}

HRESULT COmbrel::IsProfileScanForScanNum(LONG nScanNumber, LONG* pbIsProfileScan)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needController())
            return hr;
        // The sixth kind has no scans and no data form: a controller that does
        // not fit the call, not an answer left unwritten.
        if (!m_ms && !m_channel)
            return kOmbrelNoController;
        if (!pbIsProfileScan)
            return kOmbrelBadArgument;
        if (!scanIn(*m_current, nScanNumber))
            return kOmbrelBadArgument;
        const uint32_t type = m_ms ? m_ms->GetScanIndex(nScanNumber).packetType
                                   : m_channel->GetUVScanIndex(nScanNumber).packetType;
        *pbIsProfileScan = IsProfileScan(type) ? 1 : 0;
        return kOmbrelDone;
    });
}

HRESULT COmbrel::IsCentroidScanForScanNum(LONG nScanNumber, LONG* pbIsCentroidScan)
{
    return ombrel::member([&]() -> HRESULT {
        if (!pbIsCentroidScan) {
            // Let the profile test answer the checks before this one.
            LONG ignored = 0;
            const HRESULT hr = IsProfileScanForScanNum(nScanNumber, &ignored);
            return hr ? hr : kOmbrelBadArgument;
        }
        LONG profile = 0;
        const HRESULT hr = IsProfileScanForScanNum(nScanNumber, &profile);
        if (hr)
            return hr;
        *pbIsCentroidScan = profile ? 0 : 1;
        return kOmbrelDone;
    });
}

HRESULT COmbrel::GetScanHeaderInfoForScanNum(LONG nScanNumber, LONG* pnNumPackets, double* pdStartTime,
                                             double* pdLowMass, double* pdHighMass, double* pdTIC,
                                             double* pdBasePeakMass, double* pdBasePeakIntensity,
                                             LONG* pnNumChannels, LONG* pbUniformTime, double* pdFrequency)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needController())
            return hr;
        if (!m_ms && !m_channel)
            return kOmbrelNoController;
        if (!pnNumPackets || !pdStartTime || !pdLowMass || !pdHighMass || !pdTIC || !pdBasePeakMass ||
            !pdBasePeakIntensity || !pnNumChannels || !pbUniformTime || !pdFrequency)
            return kOmbrelBadArgument;
        if (!scanIn(*m_current, nScanNumber))
            return kOmbrelBadArgument;
        if (m_ms) {
            const ScanIndex& s = m_ms->GetScanIndex(nScanNumber);
            *pnNumPackets = static_cast<LONG>(s.numPackets);
            *pdStartTime = s.startTime;
            *pdLowMass = s.lowMass;
            *pdHighMass = s.highMass;
            *pdTIC = s.tic;
            *pdBasePeakMass = s.basePeakMass;
            *pdBasePeakIntensity = s.basePeakIntensity;
            *pnNumChannels = 0;
            *pbUniformTime = 0;
            *pdFrequency = 0.0;
        } else {
            const UVScanIndex& s = m_channel->GetUVScanIndex(nScanNumber);
            const int32_t packets = m_channel->ScanPacketCount(nScanNumber);
            *pnNumPackets = packets;
            *pdStartTime = s.startTime;
            *pdLowMass = s.lowLimit;
            *pdHighMass = s.highLimit;
            *pdTIC = s.tic;
            *pdBasePeakMass = 0.0;
            *pdBasePeakIntensity = 0.0;
            *pnNumChannels = static_cast<LONG>(s.numberOfChannels);
            *pbUniformTime = static_cast<LONG>(s.uniformTime);
            *pdFrequency = s.frequency;
        }
        return kOmbrelDone;
    });
}
