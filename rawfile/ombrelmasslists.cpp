// Mass lists: the peaks of one scan chosen among those passing a filter,
// optionally centroided, cut by intensity, reduced to the most intense and
// limited to a mass range; segment by segment; the label and noise
// records of a scan.
#include "ombrelmasslists.h"
#include "ombrelobject.h"
#include "ombreloutputs.h"
#include "ombrelparse.h"

#include <algorithm>
#include <limits>

using namespace rawengine;

namespace {

// The range a mass list keeps when the caller names none.
constexpr const wchar_t* kDefaultMassRange = L"1.5-99999.00";
// Time distances start beyond any run.
constexpr double kFarAway = 99999999.9;
// Centroiding width when the caller's is not above this.
constexpr double kSmallestWidth = 0.00001;
constexpr double kDefaultWidth = 1.0;

// A 2-D array of `rows` x `cols` elements of type vt, both lower bounds 0;
// the first index varies fastest in memory. Null when it cannot be made.
SAFEARRAY* matrix(VARTYPE vt, size_t rows, size_t cols)
{
    if (cols > std::numeric_limits<ULONG>::max() / rows)
        return nullptr;
    SAFEARRAYBOUND bounds[2] = {{ULONG(rows), 0}, {ULONG(cols), 0}};
    return SafeArrayCreate(vt, 2, bounds);
}

// Fills an array through its data; false (the array destroyed) when its
// data cannot be reached.
template <class T, class Fill>
bool fillArray(SAFEARRAY*& array, Fill&& fill)
{
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        array = nullptr;
        return false;
    }
    fill(static_cast<T*>(data));
    SafeArrayUnaccessData(array);
    return true;
}

void handOut(VARIANT* out, VARTYPE elementType, SAFEARRAY* array)
{
    out->vt = VT_ARRAY | elementType;
    out->parray = array;
}

}  // namespace

using ombrel::MassPoint;

// What a single-scan member asks: the arguments every one of them takes,
// how its scan is reached, a caller's range text (whose members parse the
// filter at precision 2, not at the file's), and the segmented list's own
// outputs.
struct COmbrel::MassListRequest {
    enum Step { Here, Next, Prev };
    MassListRequest(LONG* scan, BSTR filter, LONG cutoffType, LONG cutoffValue, LONG maxPeaks, LONG centroid,
                    double* width, VARIANT* massList, VARIANT* peakFlags, LONG* arraySize, Step step = Here)
        : scan(scan), filter(filter), cutoffType(cutoffType), cutoffValue(cutoffValue), maxPeaks(maxPeaks),
          centroid(centroid), width(width), massList(massList), peakFlags(peakFlags), arraySize(arraySize),
          step(step)
    {
    }
    MassListRequest&& range(const wchar_t* text) &&
    {
        rangeText = text;
        ownPrecision = false;
        return std::move(*this);
    }
    MassListRequest&& bySegment(VARIANT* segmentCounts, LONG* count, VARIANT* limits) &&
    {
        segmented = true;
        segments = segmentCounts;
        numSegments = count;
        lowHigh = limits;
        return std::move(*this);
    }

    LONG* scan;
    BSTR filter;
    LONG cutoffType;
    LONG cutoffValue;
    LONG maxPeaks;
    LONG centroid;
    double* width;
    VARIANT* massList;
    VARIANT* peakFlags;
    LONG* arraySize;
    Step step;
    const wchar_t* rangeText = nullptr;  // null or empty: the default range
    bool ownPrecision = true;             // filters at the file's precision, else at 2
    bool segmented = false;
    VARIANT* segments = nullptr;
    LONG* numSegments = nullptr;
    VARIANT* lowHigh = nullptr;
};

// The body of every single-scan member: its outputs released when an
// exception leaves the request.
HRESULT COmbrel::singleScanList(MassListRequest&& r)
{
    return ombrel::member([&] { return massList(r); }, r.massList, r.segments, r.lowHigh);
}

// The time variants: the scan at the time, its list by the member given,
// then the time of the scan used; the first status that is not 0 is the
// answer.
template <class ByScan>
HRESULT COmbrel::listAtTime(double* rt, ByScan&& byScan)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needController())
            return hr;
        if (!rt)
            return kOmbrelBadArgument;
        LONG scan = 0;
        if (const HRESULT hr = ScanNumFromRT(*rt, &scan))
            return hr;
        if (const HRESULT hr = byScan(&scan))
            return hr;
        return RTFromScanNum(scan, rt);
    });
}

HRESULT COmbrel::massList(MassListRequest& r)
{
    if (const HRESULT hr = needController())
        return hr;
    if (!r.arraySize || !ombrel::variantOutOk(r.massList) || (r.peakFlags && r.peakFlags->vt != VT_EMPTY) ||
        !r.scan || r.maxPeaks < 0)
        return kOmbrelBadArgument;
    if (r.segmented && (!ombrel::variantOutOk(r.segments) || !r.numSegments || !ombrel::variantOutOk(r.lowHigh)))
        return kOmbrelBadArgument;
    if (!scanIn(*m_current, *r.scan) || (r.centroid && !r.width))
        return kOmbrelBadArgument;
    const bool hasFilter = r.filter && *r.filter;
    if (hasFilter && !m_ms)
        return kOmbrelNotMS;
    std::unique_ptr<CFilter> filter = ombrel::ParseScanFilter(r.filter, r.ownPrecision ? filterPrecision() : 2);
    if (hasFilter && !filter)
        return kOmbrelBadFilter;

    // The range (the first of the text's ranges); a text that does not
    // parse leaves no range to keep, and is refused.
    const bool rangeGiven = r.rangeText && *r.rangeText;
    std::vector<std::pair<double, double>> ranges;
    if (!r.segmented && !ombrel::ParseMassRanges(rangeGiven ? r.rangeText : kDefaultMassRange, ranges))
        return kOmbrelBadArgument;
    const double low = ranges.empty() ? 0.0 : ranges[0].first;
    const double high = ranges.empty() ? 0.0 : ranges[0].second;

    int32_t requested = *r.scan;
    if (r.step != MassListRequest::Here) {
        requested = r.step == MassListRequest::Next ? m_current->GetNextScanIndex(requested, filter.get())
                                                    : m_current->GetPrevScanIndex(requested, filter.get());
        if (requested < 0)
            return kOmbrelEngineFailed;
    }
    const int32_t chosen = chooseScan(requested, filter.get());
    if (chosen == kNoKind)
        return kOmbrelNotMS;
    if (chosen < 0)
        return kOmbrelDone;  // no scan passes: an empty list, nothing else written

    std::unique_ptr<CRawScan> scan = m_current->GetScan(chosen);
    if (r.centroid) {
        const double width = *r.width > kSmallestWidth ? *r.width : kDefaultWidth;
        scan->SetMassResolution(width / 2.0);
        scan->ToCentroid();
    }
    const HRESULT hr = r.segmented ? segmentedList(*scan, r) : wholeList(*scan, r, rangeGiven, low, high);
    if (hr == kOmbrelDone)
        *r.scan = chosen;
    return hr;
}

int32_t COmbrel::chooseScan(int32_t requested, const CFilter* filter) const
{
    const CVirtualData* engineCurrent = m_file->GetCurrentController();
    if (!engineCurrent)
        return kNoKind;
    if (engineCurrent->DeviceKind() == kOmbrelPDA)
        return requested;
    if (engineCurrent->DeviceKind() != kOmbrelMS)
        return kNoKind;
    const CVirtualData& c = *engineCurrent;
    int32_t next = c.GetNextScanIndex(requested - 1, filter);
    int32_t prev = -1;
    double forward = kFarAway, backward = kFarAway;
    if (next == -1) {
        prev = c.GetPrevScanIndex(requested, filter);
    } else {
        prev = c.GetPrevScanIndex(next, filter);
        forward = c.ScanStartTime(next) - c.ScanStartTime(requested);
    }
    if (prev != -1) {
        next = c.GetNextScanIndex(prev, filter);
        if (next != -1)
            forward = c.ScanStartTime(next) - c.ScanStartTime(requested);
        backward = c.ScanStartTime(requested) - c.ScanStartTime(prev);
    }
    return forward < backward ? next : prev;
}

HRESULT COmbrel::wholeList(const CRawScan& scan, MassListRequest& r, bool rangeGiven, double low, double high)
{
    const auto inRange = [&](double mz) { return mz >= low && mz <= high; };
    // Every point, and the array's length: the points in range of a given
    // range text, else all of them (zeros follow the pairs filled).
    size_t total = 0, inside = 0;
    for (const ScanPacket& p : scan.Packets()) {
        total += p.points.size();
        for (const DataPeak& d : p.points)
            inside += inRange(d.position) ? 1 : 0;
    }
    const size_t length = rangeGiven ? inside : total;
    SAFEARRAY* array = matrix(VT_R8, 2, length);
    if (!array)
        return kOmbrelEngineFailed;

    // The cut-off and the limit see only the points the list can keep.
    std::vector<MassPoint> points;
    points.reserve(inside);
    for (const ScanPacket& p : scan.Packets())
        for (const DataPeak& d : p.points)
            if (inRange(d.position))
                points.push_back(MassPoint{d.position, d.intensity});
    size_t count = points.size();
    if (r.cutoffType != 0)
        count = ombrel::ApplyIntensityCutoff(points, count, r.cutoffType, r.cutoffValue);
    if (r.maxPeaks > 0 && size_t(r.maxPeaks) < count) {
        ombrel::KeepMostIntense(points, count, size_t(r.maxPeaks));
        count = size_t(r.maxPeaks);
    }
    const bool filled = fillArray<double>(array, [&](double* out) {
        for (size_t j = 0; j < count; ++j) {
            out[2 * j] = points[j].mz;
            out[2 * j + 1] = points[j].intensity;
        }
    });
    if (!filled)
        return kOmbrelEngineFailed;
    handOut(r.massList, VT_R8, array);
    *r.arraySize = LONG(count);
    return kOmbrelDone;
}

HRESULT COmbrel::segmentedList(const CRawScan& scan, MassListRequest& r)
{
    const size_t packets = size_t(scan.NumPackets());
    size_t total = 0;
    for (const ScanPacket& p : scan.Packets())
        total += p.points.size();
    if (packets > size_t(std::numeric_limits<LONG>::max()))
        return kOmbrelEngineFailed;
    SAFEARRAY* counts = SafeArrayCreateVector(VT_I4, 0, ULONG(packets));
    SAFEARRAY* ranges = matrix(VT_R8, 2, packets);
    SAFEARRAY* peaks = matrix(VT_R8, 2, total);
    auto drop = [&] {
        for (SAFEARRAY* a : {counts, ranges, peaks})
            if (a)
                SafeArrayDestroy(a);
        return kOmbrelEngineFailed;
    };
    if (!counts || !ranges || !peaks)
        return drop();

    std::vector<LONG> kept(packets);
    std::vector<std::pair<double, double>> limits(packets);
    std::vector<MassPoint> written;
    written.reserve(total);
    for (size_t i = 0; i < packets; ++i) {
        scan.GetSegmentMassRange(int(i), limits[i].first, limits[i].second);
        std::vector<MassPoint> points;
        for (const DataPeak& d : scan.GetPacket(int(i)).points)
            points.push_back(MassPoint{d.position, d.intensity});
        size_t count = points.size();
        if (r.cutoffType > 0)
            count = ombrel::ApplyIntensityCutoff(points, count, r.cutoffType, r.cutoffValue);
        if (r.maxPeaks >= 1 && size_t(r.maxPeaks) < count) {
            ombrel::KeepMostIntense(points, count, size_t(r.maxPeaks));
            count = size_t(r.maxPeaks);
        }
        written.insert(written.end(), points.begin(), points.begin() + long(count));
        kept[i] = LONG(count);
    }
    const bool filled =
        fillArray<LONG>(counts, [&](LONG* out) { std::copy(kept.begin(), kept.end(), out); }) &&
        fillArray<double>(ranges,
                          [&](double* out) {
                              for (size_t i = 0; i < packets; ++i) {
                                  out[2 * i] = limits[i].first;
                                  out[2 * i + 1] = limits[i].second;
                              }
                          }) &&
        fillArray<double>(peaks, [&](double* out) {
            for (size_t j = 0; j < written.size(); ++j) {
                out[2 * j] = written[j].mz;
                out[2 * j + 1] = written[j].intensity;
            }
        });
    if (!filled)
        return drop();
    handOut(r.massList, VT_R8, peaks);
    handOut(r.segments, VT_I4, counts);
    handOut(r.lowHigh, VT_R8, ranges);
    *r.numSegments = LONG(packets);
    *r.arraySize = LONG(written.size());
    return kOmbrelDone;
}

// ---------------------------------------------------------------- members

HRESULT COmbrel::GetMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType,
                                        LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult,
                                        double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags,
                                        LONG* pnArraySize)
{
    return singleScanList({pnScanNumber, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue, nMaxNumberOfPeaks,
                           bCentroidResult, pdCentroidPeakWidth, pvarMassList, pvarPeakFlags, pnArraySize});
}

HRESULT COmbrel::GetNextMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType,
                                            LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks,
                                            LONG bCentroidResult, double* pdCentroidPeakWidth,
                                            VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize)
{
    return singleScanList({pnScanNumber, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue, nMaxNumberOfPeaks,
                           bCentroidResult, pdCentroidPeakWidth, pvarMassList, pvarPeakFlags, pnArraySize,
                           MassListRequest::Next});
}

HRESULT COmbrel::GetPrevMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType,
                                            LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks,
                                            LONG bCentroidResult, double* pdCentroidPeakWidth,
                                            VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize)
{
    return singleScanList({pnScanNumber, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue, nMaxNumberOfPeaks,
                           bCentroidResult, pdCentroidPeakWidth, pvarMassList, pvarPeakFlags, pnArraySize,
                           MassListRequest::Prev});
}

HRESULT COmbrel::GetMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType,
                                             LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks,
                                             LONG bCentroidResult, double* pdCentroidPeakWidth,
                                             VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1,
                                             LONG* pnArraySize)
{
    return singleScanList(MassListRequest(pnScanNumber, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue,
                                          nMaxNumberOfPeaks, bCentroidResult, pdCentroidPeakWidth, pvarMassList,
                                          pvarPeakFlags, pnArraySize)
                              .range(szMassRange1));
}

HRESULT COmbrel::GetNextMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType,
                                                 LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks,
                                                 LONG bCentroidResult, double* pdCentroidPeakWidth,
                                                 VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1,
                                                 LONG* pnArraySize)
{
    return singleScanList(MassListRequest(pnScanNumber, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue,
                                          nMaxNumberOfPeaks, bCentroidResult, pdCentroidPeakWidth, pvarMassList,
                                          pvarPeakFlags, pnArraySize, MassListRequest::Next)
                              .range(szMassRange1));
}

HRESULT COmbrel::GetPrevMassListRangeFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType,
                                                 LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks,
                                                 LONG bCentroidResult, double* pdCentroidPeakWidth,
                                                 VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LPWSTR szMassRange1,
                                                 LONG* pnArraySize)
{
    return singleScanList(MassListRequest(pnScanNumber, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue,
                                          nMaxNumberOfPeaks, bCentroidResult, pdCentroidPeakWidth, pvarMassList,
                                          pvarPeakFlags, pnArraySize, MassListRequest::Prev)
                              .range(szMassRange1));
}

HRESULT COmbrel::GetSegmentedMassListFromScanNum(LONG* pnScanNumber, BSTR bstrFilter, LONG nIntensityCutoffType,
                                                 LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks,
                                                 LONG bCentroidResult, double* pdCentroidPeakWidth,
                                                 VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize,
                                                 VARIANT* pvarSegments, LONG* pnNumSegments,
                                                 VARIANT* pvarLowHighMassRange)
{
    return singleScanList(MassListRequest(pnScanNumber, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue,
                                          nMaxNumberOfPeaks, bCentroidResult, pdCentroidPeakWidth, pvarMassList,
                                          pvarPeakFlags, pnArraySize)
                              .bySegment(pvarSegments, pnNumSegments, pvarLowHighMassRange));
}

HRESULT COmbrel::GetMassListFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType,
                                   LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult,
                                   double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags,
                                   LONG* pnArraySize)
{
    return listAtTime(pdRT, [&](LONG* scan) {
        return GetMassListFromScanNum(scan, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue,
                                      nMaxNumberOfPeaks, bCentroidResult, pdCentroidPeakWidth, pvarMassList,
                                      pvarPeakFlags, pnArraySize);
    });
}

HRESULT COmbrel::GetMassListRangeFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType,
                                        LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks, LONG bCentroidResult,
                                        double* pdCentroidPeakWidth, VARIANT* pvarMassList, VARIANT* pvarPeakFlags,
                                        LPWSTR szMassRange1, LONG* pnArraySize)
{
    return listAtTime(pdRT, [&](LONG* scan) {
        return GetMassListRangeFromScanNum(scan, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue,
                                           nMaxNumberOfPeaks, bCentroidResult, pdCentroidPeakWidth, pvarMassList,
                                           pvarPeakFlags, szMassRange1, pnArraySize);
    });
}

HRESULT COmbrel::GetSegmentedMassListFromRT(double* pdRT, BSTR bstrFilter, LONG nIntensityCutoffType,
                                            LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks,
                                            LONG bCentroidResult, double* pdCentroidPeakWidth,
                                            VARIANT* pvarMassList, VARIANT* pvarPeakFlags, LONG* pnArraySize,
                                            VARIANT* pvarSegments, LONG* pnNumSegments,
                                            VARIANT* pvarLowHighMassRange)
{
    return listAtTime(pdRT, [&](LONG* scan) {
        return GetSegmentedMassListFromScanNum(scan, bstrFilter, nIntensityCutoffType, nIntensityCutoffValue,
                                               nMaxNumberOfPeaks, bCentroidResult, pdCentroidPeakWidth,
                                               pvarMassList, pvarPeakFlags, pnArraySize, pvarSegments,
                                               pnNumSegments, pvarLowHighMassRange);
    });
}

// ---------------------------------------------------------------- labels and noise

HRESULT COmbrel::recordsOfScan(LONG* scanNumber, VARIANT* first, VARIANT* optional,
                               std::unique_ptr<CRawScan>& scan)
{
    if (const HRESULT hr = needController())
        return hr;
    if (!ombrel::variantOutOk(first) || (optional && optional->vt != VT_EMPTY) || !scanNumber ||
        !scanIn(*m_current, *scanNumber))
        return kOmbrelBadArgument;
    scan = m_current->GetScan(*scanNumber);
    return kOmbrelDone;
}

HRESULT COmbrel::GetLabelData(VARIANT* pvarLabels, VARIANT* pvarFlags, LONG* pnScanNumber)
{
    return ombrel::member(
        [&]() -> HRESULT {
            std::unique_ptr<CRawScan> scan;
            if (const HRESULT hr = recordsOfScan(pnScanNumber, pvarLabels, pvarFlags, scan))
                return hr;
            const std::vector<LabelPeak>& labels = scan->GetLabelPeaks();
            SAFEARRAY* values = matrix(VT_R8, 6, labels.size());
            SAFEARRAY* flags = pvarFlags ? matrix(VT_UI1, 6, labels.size()) : nullptr;
            if (!values || (pvarFlags && !flags)) {
                if (values)
                    SafeArrayDestroy(values);
                if (flags)
                    SafeArrayDestroy(flags);
                return CTL_E_OUTOFMEMORY;
            }
            const bool filled = fillArray<double>(values, [&](double* out) {
                for (const LabelPeak& l : labels) {
                    *out++ = l.mass;
                    *out++ = l.intensity;
                    *out++ = l.resolution;
                    *out++ = l.baseline;
                    *out++ = l.noise;
                    *out++ = l.charge;
                }
            });
            // Each flag byte masked, in this order; the masked value, not 0 or 1.
            static constexpr uint8_t kMasks[6] = {32, 1, 2, 8, 4, 16};
            const bool flagged = !flags || fillArray<uint8_t>(flags, [&](uint8_t* out) {
                for (const LabelPeak& l : labels)
                    for (uint8_t mask : kMasks)
                        *out++ = uint8_t(l.flags & mask);
            });
            if (!filled || !flagged) {
                if (values)
                    SafeArrayDestroy(values);
                if (flags)
                    SafeArrayDestroy(flags);
                return CTL_E_OUTOFMEMORY;
            }
            handOut(pvarLabels, VT_R8, values);
            if (flags)
                handOut(pvarFlags, VT_UI1, flags);
            return kOmbrelDone;
        },
        pvarLabels, pvarFlags);
}

HRESULT COmbrel::GetNoiseData(VARIANT* pvarNoisePacket, LONG* pnScanNumber)
{
    return ombrel::member(
        [&]() -> HRESULT {
            std::unique_ptr<CRawScan> scan;
            if (const HRESULT hr = recordsOfScan(pnScanNumber, pvarNoisePacket, nullptr, scan))
                return hr;
            const std::vector<NoiseRecord>& noise = scan->GetNoise();
            SAFEARRAY* values = matrix(VT_R8, 3, noise.size());
            if (!values)
                return CTL_E_OUTOFMEMORY;
            const bool filled = fillArray<double>(values, [&](double* out) {
                for (const NoiseRecord& n : noise) {
                    *out++ = n.mass;
                    *out++ = n.noise;
                    *out++ = n.baseline;
                }
            });
            if (!filled)
                return CTL_E_OUTOFMEMORY;
            handOut(pvarNoisePacket, VT_R8, values);
            return kOmbrelDone;
        },
        pvarNoisePacket);
}
