// The labelled records beside the scans: the status log of the current
// controller (by time), the trailer extra of the mass spectrometer (by
// scan), its tune data (by segment) and the error log.
#include "ombrelobject.h"
#include "ombreloutputs.h"

using namespace rawengine;

namespace {

bool emptyLabel(BSTR label) { return !label || !*label; }

// Labels and values as two text arrays with the count; when the second
// cannot be made the first goes too and the count is 0.
HRESULT recordTexts(const std::vector<std::wstring>& labels, const std::vector<std::wstring>* values,
                    VARIANT* labelsOut, VARIANT* valuesOut, LONG* count)
{
    if (const HRESULT hr = ombrel::textArray(labels, labelsOut, count))
        return hr;
    if (!values)
        return kOmbrelDone;
    LONG ignored = 0;
    if (const HRESULT hr = ombrel::textArray(*values, valuesOut, &ignored)) {
        VariantClear(labelsOut);
        *count = 0;
        return hr;
    }
    return kOmbrelDone;
}

// One item of a record, named by its label, as a VARIANT; 2 when the
// header does not hold the label or the record is damaged.
HRESULT itemValue(const CGenericDataHeader& header, const GenericRecord& record, BSTR label, VARIANT* out)
{
    const int item = header.FindItem(std::wstring(label));
    if (item < 0)
        return kOmbrelEngineFailed;
    VARIANT v;
    VariantInit(&v);
    GenericDataItemToVariant(header, record, item, &v);
    *out = v;
    return kOmbrelDone;
}

}  // namespace

// ---------------------------------------------------------------- status log

HRESULT COmbrel::statusLogAt(double* rt, VARIANT* labels, VARIANT* values, LONG* count)
{
    if (const HRESULT hr = needController())
        return hr;
    if (!rt || !ombrel::variantOutOk(labels) || (values && !ombrel::variantOutOk(values)) || !count)
        return kOmbrelBadArgument;
    if (!timeInRun(*rt))
        return kOmbrelBadArgument;
    std::vector<std::wstring> l, v;
    float time = 0.0f;
    if (!m_current->GetStatusLogAtTime(*rt, l, v, time))
        return kOmbrelEngineFailed;
    if (const HRESULT hr = recordTexts(l, values ? &v : nullptr, labels, values, count)) {
        *rt = 0.0;
        return hr;
    }
    *rt = double(time);
    return kOmbrelDone;
}

HRESULT COmbrel::GetStatusLogForRT(double* pdRT, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize)
{
    return ombrel::member([&] { return statusLogAt(pdRT, pvarLabels, pvarValues, pnArraySize); }, pvarLabels,
                          pvarValues);
}

HRESULT COmbrel::GetStatusLogLabelsForRT(double* pdRT, VARIANT* pvarLabels, LONG* pnArraySize)
{
    return ombrel::member([&] { return statusLogAt(pdRT, pvarLabels, nullptr, pnArraySize); }, pvarLabels);
}

HRESULT COmbrel::GetStatusLogForScanNum(LONG nScanNumber, double* pdStatusLogRT, VARIANT* pvarLabels,
                                        VARIANT* pvarValues, LONG* pnArraySize)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needController())
                return hr;
            if (!pdStatusLogRT)
                return kOmbrelBadArgument;
            double rt = 0.0;
            if (const HRESULT hr = RTFromScanNum(nScanNumber, &rt))
                return hr;
            if (const HRESULT hr = statusLogAt(&rt, pvarLabels, pvarValues, pnArraySize))
                return hr;
            *pdStatusLogRT = rt;
            return kOmbrelDone;
        },
        pvarLabels, pvarValues);
}

HRESULT COmbrel::GetStatusLogLabelsForScanNum(LONG nScanNumber, double* pdStatusLogRT, VARIANT* pvarLabels,
                                              LONG* pnArraySize)
{
    return GetStatusLogForScanNum(nScanNumber, pdStatusLogRT, pvarLabels, nullptr, pnArraySize);
}

HRESULT COmbrel::statusLogValueAt(double* rt, BSTR label, VARIANT* value)
{
    if (const HRESULT hr = needController())
        return hr;
    if (!ombrel::variantOutOk(value) || emptyLabel(label) || !rt || !timeInRun(*rt))
        return kOmbrelBadArgument;
    const int32_t index = m_current->GetStatusLogAtTime(*rt);
    if (index < 0)
        return kOmbrelEngineFailed;
    const GenericRecord& record = m_current->GetStatusLogRecord(index);
    if (const HRESULT hr = itemValue(m_current->GetStatusLogHeader(), record, label, value))
        return hr;
    *rt = double(record.time);
    return kOmbrelDone;
}

HRESULT COmbrel::GetStatusLogValueForRT(double* pdRT, BSTR bstrLabel, VARIANT* pvarValue)
{
    return ombrel::member([&] { return statusLogValueAt(pdRT, bstrLabel, pvarValue); }, pvarValue);
}

HRESULT COmbrel::GetStatusLogValueForScanNum(LONG nScanNumber, BSTR bstrLabel, double* pdStatusLogRT,
                                             VARIANT* pvarValue)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needController())
                return hr;
            if (!pdStatusLogRT)
                return kOmbrelBadArgument;
            double rt = 0.0;
            if (const HRESULT hr = RTFromScanNum(nScanNumber, &rt))
                return hr;
            if (const HRESULT hr = statusLogValueAt(&rt, bstrLabel, pvarValue))
                return hr;
            *pdStatusLogRT = rt;
            return kOmbrelDone;
        },
        pvarValue);
}

HRESULT COmbrel::GetStatusLogForPos(LONG nPos, VARIANT* pvarRT, VARIANT* pvarValue, LONG* pnArraySize)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (pnArraySize)
                *pnArraySize = 0;
            if (const HRESULT hr = needFile())
                return hr;
            if (!m_current)
                return kOmbrelDone;
            if (!pnArraySize || !ombrel::variantOutOk(pvarRT) || !ombrel::variantOutOk(pvarValue) || nPos < 0)
                return kOmbrelBadArgument;
            // Every entry by its own index: entries of equal times are
            // each themselves.
            std::vector<std::wstring> times, values;
            const int32_t n = m_current->NumStatusLog();
            const CGenericDataHeader& header = m_current->GetStatusLogHeader();
            for (int32_t i = 0; i < n; ++i) {
                times.push_back(NumberToString(m_current->GetStatusLogTime(i), 2));
                const GenericRecord& record = m_current->GetStatusLogRecord(i);
                values.push_back(nPos < header.NumItems() ? GenericItemToText(header, record, nPos) : std::wstring());
            }
            LONG count = 0;
            if (const HRESULT hr = recordTexts(values, &times, pvarValue, pvarRT, &count))
                return hr;
            *pnArraySize = count;
            return kOmbrelDone;
        },
        pvarRT, pvarValue);
}

HRESULT COmbrel::GetStatusLogPlottableIndex(VARIANT* pvarIndex, VARIANT* pvarValues, LONG* pnArraySize)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (pnArraySize)
                *pnArraySize = 0;
            if (const HRESULT hr = needFile())
                return hr;
            if (!m_current)
                return kOmbrelDone;
            if (!pnArraySize || !ombrel::variantOutOk(pvarIndex) || !pvarValues)
                return kOmbrelBadArgument;
            std::vector<std::wstring> labels;
            std::vector<uint32_t> positions;
            if (!m_current->StatusLogPlottable(labels, positions))
                return kOmbrelEngineFailed;
            LONG count = 0;
            if (const HRESULT hr = ombrel::textArray(labels, pvarIndex, &count))
                return hr;
            SAFEARRAY* array = SafeArrayCreateVector(VT_UI4, 0, ULONG(positions.size()));
            void* data = nullptr;
            if (!array || FAILED(SafeArrayAccessData(array, &data))) {
                if (array)
                    SafeArrayDestroy(array);
                VariantClear(pvarIndex);
                return kOmbrelEngineFailed;
            }
            std::copy(positions.begin(), positions.end(), static_cast<uint32_t*>(data));
            SafeArrayUnaccessData(array);
            VariantClear(pvarValues);
            pvarValues->vt = VT_ARRAY | VT_UI4;
            pvarValues->parray = array;
            *pnArraySize = count;
            return kOmbrelDone;
        },
        pvarIndex);
}

// ---------------------------------------------------------------- trailer extra

HRESULT COmbrel::trailerAtScan(LONG scan, VARIANT* labels, VARIANT* values, LONG* count)
{
    if (const HRESULT hr = needMS())
        return hr;
    if (m_ms->NumTrailerExtra() == 0) {
        if (count)
            *count = 0;
        return kOmbrelNothing;
    }
    if (!ombrel::variantOutOk(labels) || (values && !ombrel::variantOutOk(values)) || !count)
        return kOmbrelBadArgument;
    if (!scanIn(*m_ms, scan))
        return kOmbrelBadArgument;
    std::vector<std::wstring> l, v;
    if (!m_ms->GetTrailerExtraDataAtScan(scan, l, v))
        return kOmbrelEngineFailed;
    return recordTexts(l, values ? &v : nullptr, labels, values, count);
}

HRESULT COmbrel::GetTrailerExtraForScanNum(LONG nScanNumber, VARIANT* pvarLabels, VARIANT* pvarValues,
                                           LONG* pnArraySize)
{
    return ombrel::member([&] { return trailerAtScan(nScanNumber, pvarLabels, pvarValues, pnArraySize); },
                          pvarLabels, pvarValues);
}

HRESULT COmbrel::GetTrailerExtraLabelsForScanNum(LONG nScanNumber, VARIANT* pvarLabels, LONG* pnArraySize)
{
    return ombrel::member([&] { return trailerAtScan(nScanNumber, pvarLabels, nullptr, pnArraySize); },
                          pvarLabels);
}

HRESULT COmbrel::trailerValueAtScan(LONG scan, BSTR label, VARIANT* value)
{
    if (const HRESULT hr = needMS())
        return hr;
    if (m_ms->NumTrailerExtra() == 0)
        return kOmbrelNothing;
    if (!ombrel::variantOutOk(value) || emptyLabel(label) || !scanIn(*m_ms, scan))
        return kOmbrelBadArgument;
    const int32_t index = scan - m_ms->FirstScan();
    if (index >= m_ms->NumTrailerExtra())
        return kOmbrelEngineFailed;
    return itemValue(m_ms->GetTrailerExtraHeader(), m_ms->GetTrailerExtraRecord(index), label, value);
}

HRESULT COmbrel::GetTrailerExtraValueForScanNum(LONG nScanNumber, BSTR bstrLabel, VARIANT* pvarValue)
{
    return ombrel::member([&] { return trailerValueAtScan(nScanNumber, bstrLabel, pvarValue); }, pvarValue);
}

// By time: the scan at the time, its record, then the scan's start time.
// A failure of the by-scan step is passed on; "nothing there" answers 0
// with the outputs empty and the time unchanged.
template <class ByScan>
HRESULT COmbrel::trailerByTime(double* rt, VARIANT* firstOut, ByScan&& byScan)
{
    if (const HRESULT hr = needMS())
        return hr;
    if (!ombrel::variantOutOk(firstOut) || !rt || !timeInRun(*rt))
        return kOmbrelBadArgument;
    LONG scan = 0;
    if (const HRESULT hr = ScanNumFromRT(*rt, &scan))
        return hr;
    const HRESULT hr = byScan(scan);
    if (hr == kOmbrelNothing)
        return kOmbrelDone;
    if (hr)
        return hr;
    return RTFromScanNum(scan, rt);
}

HRESULT COmbrel::GetTrailerExtraForRT(double* pdRT, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize)
{
    return ombrel::member(
        [&] {
            return trailerByTime(pdRT, pvarLabels, [&](LONG scan) {
                return GetTrailerExtraForScanNum(scan, pvarLabels, pvarValues, pnArraySize);
            });
        },
        pvarLabels, pvarValues);
}

HRESULT COmbrel::GetTrailerExtraLabelsForRT(double* pdRT, VARIANT* pvarLabels, LONG* pnArraySize)
{
    return ombrel::member(
        [&] {
            return trailerByTime(pdRT, pvarLabels, [&](LONG scan) {
                return GetTrailerExtraLabelsForScanNum(scan, pvarLabels, pnArraySize);
            });
        },
        pvarLabels);
}

HRESULT COmbrel::GetTrailerExtraValueForRT(double* pdRT, BSTR bstrLabel, VARIANT* pvarValue)
{
    return ombrel::member(
        [&] {
            return trailerByTime(pdRT, pvarValue, [&](LONG scan) {
                return GetTrailerExtraValueForScanNum(scan, bstrLabel, pvarValue);
            });
        },
        pvarValue);
}

// ---------------------------------------------------------------- tune data

HRESULT COmbrel::tuneAtSegment(LONG segment, VARIANT* labels, VARIANT* values, LONG* count)
{
    if (const HRESULT hr = needFile())
        return hr;
    if (!m_ms)
        return kOmbrelNotMS;
    if (m_ms->NumTuneData() == 0) {
        if (count)
            *count = 0;
        return kOmbrelNothing;
    }
    if (!ombrel::variantOutOk(labels) || (values && !ombrel::variantOutOk(values)) || !count || segment < 0 ||
        segment >= m_ms->GetRunHeader().numTuneData)
        return kOmbrelBadArgument;
    std::vector<std::wstring> l, v;
    if (!m_ms->GetTuneDataAtSegment(segment, l, v))
        return kOmbrelEngineFailed;
    return recordTexts(l, values ? &v : nullptr, labels, values, count);
}

HRESULT COmbrel::GetTuneData(LONG nSegmentNumber, VARIANT* pvarLabels, VARIANT* pvarValues, LONG* pnArraySize)
{
    return ombrel::member([&] { return tuneAtSegment(nSegmentNumber, pvarLabels, pvarValues, pnArraySize); },
                          pvarLabels, pvarValues);
}

HRESULT COmbrel::GetTuneDataLabels(LONG nSegmentNumber, VARIANT* pvarLabels, LONG* pnArraySize)
{
    return ombrel::member([&] { return tuneAtSegment(nSegmentNumber, pvarLabels, nullptr, pnArraySize); },
                          pvarLabels);
}

HRESULT COmbrel::GetTuneDataValue(LONG nSegmentNumber, BSTR bstrLabel, VARIANT* pvarValue)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needFile())
                return hr;
            if (!m_ms)
                return kOmbrelNotMS;
            if (m_ms->NumTuneData() == 0)
                return kOmbrelNothing;
            if (!ombrel::variantOutOk(pvarValue) || emptyLabel(bstrLabel) || nSegmentNumber < 0 ||
                nSegmentNumber >= m_ms->GetRunHeader().numTuneData)
                return kOmbrelBadArgument;
            return itemValue(m_ms->GetTuneDataHeader(), m_ms->GetTuneDataRecord(nSegmentNumber), bstrLabel,
                             pvarValue);
        },
        pvarValue);
}

// ---------------------------------------------------------------- error log

HRESULT COmbrel::GetErrorLogItem(LONG nItemNumber, double* pdRT, BSTR* pbstrErrorMessage)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needController())
                return hr;
            if (m_current->NumErrorLog() == 0)
                return kOmbrelNothing;
            if (!ombrel::bstrOutOk(pbstrErrorMessage) || !pdRT || nItemNumber < 0 ||
                nItemNumber >= m_current->GetRunHeader().numErrorLog)
                return kOmbrelBadArgument;
            const CErrorLogItem& item = m_current->GetErrorLog(nItemNumber);
            if (const HRESULT hr = ombrel::newText(item.message, pbstrErrorMessage))
                return hr;
            *pdRT = item.time;
            return kOmbrelDone;
        },
        pbstrErrorMessage);
}
