// The averaged mass list: the scans of a range that pass a filter, added
// from the most intense outward and divided by their count, minus the
// average of up to two background ranges.
#include "ombrelmasslists.h"
#include "ombrelobject.h"
#include "ombreloutputs.h"
#include "ombrelparse.h"

#include <algorithm>
#include <limits>

using namespace rawengine;

namespace {

constexpr double kSmallestWidth = 0.00001;
constexpr double kDefaultWidth = 1.0;

// The readings of a chromatogram that fall in one range: the first at or
// after its start to the last at or before its end. False when none does.
bool snap(const CRawChro& chro, LONG& first, LONG& last, std::vector<int32_t>& scans, std::vector<double>& heights)
{
    const int i = chro.IndexAtOrAfterScan(first);
    const int j = chro.IndexAtOrBeforeScan(last);
    if (i < 0 || j < i || chro.Reading(i).scan > last)
        return false;
    first = chro.Reading(i).scan;
    last = chro.Reading(j).scan;
    for (int k = i; k <= j; ++k) {
        scans.push_back(chro.Reading(k).scan);
        heights.push_back(chro.Reading(k).intensity);
    }
    return true;
}

}  // namespace

HRESULT COmbrel::averageScans(LONG* first1, LONG* last1, LONG* first2, LONG* last2, const CFilter* filter,
                              std::unique_ptr<CRawScan>& sum, bool& profile)
{
    if (!first1 || !last1 || *first1 > *last1 || !scanIn(*m_current, *first1) || !scanIn(*m_current, *last1))
        return kOmbrelBadArgument;
    const bool second = first2 && last2 && *first2 >= 1 && *last2 >= 1;
    if (second && (*first2 > *last2 || !scanIn(*m_current, *first2) || !scanIn(*m_current, *last2) ||
                   *first2 <= *last1))
        return kOmbrelBadArgument;
    const int32_t kind = m_current->DeviceKind();
    if (kind != kOmbrelMS && kind != kOmbrelPDA)
        return kOmbrelNotMS;
    const int32_t type = TranslateTraceCBIndexToEnum(1, kind, kTraceNone);
    if (type == kTraceNone)
        return kOmbrelBadArgument;
    CRawChro chro(type, filter, 0.0);
    m_current->GetChro({&chro}, *first1, second ? *last2 : *last1);
    if (chro.NumReadings() == 0)
        return kOmbrelNothing;

    // Each range takes only its own readings (a second range never takes
    // in the scans between the two); an empty range adds nothing.
    std::vector<int32_t> scans;
    std::vector<double> heights;
    snap(chro, *first1, *last1, scans, heights);
    if (second)
        snap(chro, *first2, *last2, scans, heights);
    if (scans.empty())
        return kOmbrelNothing;

    size_t apex = 0;
    double highest = -1.0;
    for (size_t i = 0; i < heights.size(); ++i)
        if (heights[i] > highest) {
            highest = heights[i];
            apex = i;
        }
    const std::vector<size_t> order = ombrel::AverageOrder(apex, scans.size());
    sum = m_current->GetScan(scans[order[0]]);
    sum->SetUserDefinedTolerance(m_userDefinedTolerance != 0);
    sum->SetToleranceUnits(m_toleranceUnits);
    if (m_userDefinedTolerance)
        sum->SetMassResolution(m_massTolerance);
    profile = sum->HasIndexData() ? sum->IsProfile() : true;
    for (size_t k = 1; k < order.size(); ++k) {
        const std::unique_ptr<CRawScan> next = m_current->GetScan(scans[order[k]]);
        *sum += *next;
        if (profile && next->HasIndexData())
            profile = next->IsProfile();
    }
    *sum /= double(order.size());
    return kOmbrelDone;
}

HRESULT COmbrel::GetAverageMassList(LONG* pnFirstAvgScanNumber, LONG* pnLastAvgScanNumber,
                                    LONG* pnFirstBkg1ScanNumber, LONG* pnLastBkg1ScanNumber,
                                    LONG* pnFirstBkg2ScanNumber, LONG* pnLastBkg2ScanNumber, BSTR bstrFilter,
                                    LONG nIntensityCutoffType, LONG nIntensityCutoffValue, LONG nMaxNumberOfPeaks,
                                    LONG bCentroidResult, double* pdCentroidPeakWidth, VARIANT* pvarMassList,
                                    VARIANT* pvarPeakFlags, LONG* pnArraySize)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needController())
                return hr;
            if (!pnArraySize || !ombrel::variantOutOk(pvarMassList) ||
                (pvarPeakFlags && pvarPeakFlags->vt != VT_EMPTY) || nMaxNumberOfPeaks < 0 ||
                !pnFirstAvgScanNumber || !pnLastAvgScanNumber || *pnFirstAvgScanNumber > *pnLastAvgScanNumber ||
                !scanIn(*m_current, *pnFirstAvgScanNumber) || !scanIn(*m_current, *pnLastAvgScanNumber))
                return kOmbrelBadArgument;
            if (bCentroidResult && !pdCentroidPeakWidth)
                return kOmbrelBadArgument;
            const bool hasFilter = bstrFilter && *bstrFilter;
            if (hasFilter && !m_ms)
                return kOmbrelNotMS;
            const std::unique_ptr<CFilter> filter = ombrel::ParseScanFilter(bstrFilter, filterPrecision());
            if (hasFilter && !filter)
                return kOmbrelBadFilter;

            std::unique_ptr<CRawScan> average;
            bool profile = false;
            if (const HRESULT hr =
                    averageScans(pnFirstAvgScanNumber, pnLastAvgScanNumber, nullptr, nullptr, filter.get(), average,
                                 profile))
                return hr;
            // A background range that is incomplete or outside the file is
            // no background.
            const bool background = pnFirstBkg1ScanNumber && pnLastBkg1ScanNumber &&
                                    *pnFirstBkg1ScanNumber <= *pnLastBkg1ScanNumber &&
                                    scanIn(*m_current, *pnFirstBkg1ScanNumber) &&
                                    scanIn(*m_current, *pnLastBkg1ScanNumber);
            if (background) {
                std::unique_ptr<CRawScan> bkg;
                bool bkgProfile = false;
                if (const HRESULT hr = averageScans(pnFirstBkg1ScanNumber, pnLastBkg1ScanNumber,
                                                    pnFirstBkg2ScanNumber, pnLastBkg2ScanNumber, filter.get(), bkg,
                                                    bkgProfile))
                    return hr;
                *average -= *bkg;
                if (profile)
                    profile = bkgProfile;
            }
            if (bCentroidResult && profile) {
                const double width = *pdCentroidPeakWidth > kSmallestWidth ? *pdCentroidPeakWidth : kDefaultWidth;
                average->SetMassResolution(width / 2.0);
                average->ToCentroid();
            }

            std::vector<ombrel::MassPoint> points;
            for (const ScanPacket& p : average->Packets())
                for (const DataPeak& d : p.points)
                    points.push_back(ombrel::MassPoint{d.position, d.intensity});
            const size_t total = points.size();
            SAFEARRAYBOUND bounds[2] = {{2, 0}, {ULONG(total), 0}};
            if (total > std::numeric_limits<ULONG>::max())
                return kOmbrelEngineFailed;
            SAFEARRAY* array = SafeArrayCreate(VT_R8, 2, bounds);
            if (!array)
                return kOmbrelEngineFailed;
            size_t count = total;
            if (nIntensityCutoffType != 0)
                count = ombrel::ApplyIntensityCutoff(points, count, nIntensityCutoffType, nIntensityCutoffValue);
            if (nMaxNumberOfPeaks > 0 && size_t(nMaxNumberOfPeaks) < count) {
                ombrel::KeepMostIntense(points, count, size_t(nMaxNumberOfPeaks));
                count = size_t(nMaxNumberOfPeaks);
            }
            double* data = nullptr;
            if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)))) {
                SafeArrayDestroy(array);
                return kOmbrelEngineFailed;
            }
            for (size_t j = 0; j < count; ++j) {
                data[2 * j] = points[j].mz;
                data[2 * j + 1] = points[j].intensity;
            }
            SafeArrayUnaccessData(array);
            pvarMassList->vt = VT_ARRAY | VT_R8;
            pvarMassList->parray = array;
            *pnArraySize = LONG(count);
            return kOmbrelDone;
        },
        pvarMassList);
}
