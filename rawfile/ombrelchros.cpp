// Chromatograms of the current controller: a trace, or two combined by an
// operator, over a time window, optionally filtered, limited to mass
// ranges and smoothed. The reader checks which trace types, operators,
// ranges, filters and delays fit the controller's kind; the engine
// computes.
#include "ombrelobject.h"
#include "ombreloutputs.h"
#include "ombrelparse.h"

#include <cmath>
#include <limits>

using namespace rawengine;

namespace {

constexpr double kNearZero = 0.00001;
constexpr LONG kLargestSmoothing = 15;

bool hasText(BSTR s) { return s && *s; }

std::vector<MassRange> rangesOf(BSTR text)
{
    std::vector<MassRange> out;
    std::vector<std::pair<double, double>> read;
    if (hasText(text) && ombrel::ParseMassRanges(text, read))
        for (const auto& [low, high] : read)
            out.push_back(MassRange{low, high});
    return out;
}

}  // namespace

HRESULT COmbrel::chroRules(int32_t t1, LONG op, int32_t t2, BSTR filter, BSTR ranges1, BSTR ranges2, double delay,
                           LONG channelIndex, std::unique_ptr<CFilter>& parsed)
{
    const int32_t kind = m_current->DeviceKind();
    const bool r1 = hasText(ranges1), r2 = hasText(ranges2);
    if (kind == kOmbrelMS) {
        if (!IsMSTraceType(t1) || (op != 0 && !IsMSTraceType(t2)))
            return kOmbrelBadArgument;
        if ((t1 == kTraceTIC && op == kChroSum) || (t1 == kTraceTIC && t2 == kTraceTIC && op != 0) ||
            ((t1 == kTraceMassRange || t1 == kTraceBasePeak) && op != 0 && t2 != kTraceMassRange) ||
            (t1 == kTraceTIC && r1) || (op == 0 && r2) || (t1 == kTraceMassRange && !r1) ||
            (t2 == kTraceMassRange && !r2) || std::fabs(delay) > kNearZero)
            return kOmbrelBadArgument;
        if (m_current->NumSpectra() == 0)
            return kOmbrelNothing;
        if (hasText(filter)) {
            parsed = ombrel::ParseScanFilter(filter, filterPrecision());
            if (!parsed)
                return kOmbrelBadFilter;
        }
        return kOmbrelDone;
    }
    if (kind == kOmbrelPDA) {
        if (!IsPDATraceType(t1) || (op != 0 && !IsPDATraceType(t2)))
            return kOmbrelBadArgument;
        if ((t1 == kTracePDATotalScan && op == kChroSum) || (t1 == t2 && op != 0) ||
            ((t1 == kTracePDAWavelengthRange || t1 == kTracePDASpectrumMax) && op != 0 &&
             t2 != kTracePDAWavelengthRange) ||
            (t1 == kTracePDATotalScan && r1) || (op == 0 && r2) || (t1 == kTracePDAWavelengthRange && !r1) ||
            (t2 == kTracePDAWavelengthRange && !r2))
            return kOmbrelBadArgument;
        if (hasText(filter))
            return kOmbrelNotMS;
        return m_current->NumSpectra() == 0 ? kOmbrelNothing : kOmbrelDone;
    }
    if (kind == kOmbrelAnalog || kind == kOmbrelADCard || kind == kOmbrelUV) {
        auto ofKind = [&](int32_t t) {
            return kind == kOmbrelAnalog ? IsAnalogTraceType(t)
                                         : kind == kOmbrelADCard ? IsA2DCardTraceType(t) : IsChannelTraceType(t);
        };
        if (!ofKind(t1) || (op != 0 && !ofKind(t2)))
            return kOmbrelBadArgument;
        if (hasText(filter) || r1 || r2)
            return kOmbrelNotMS;
        if (t1 == t2 && op != 0)
            return kOmbrelBadArgument;
        if (m_current->NumSpectra() == 0)
            return kOmbrelNothing;
        // The channels of the run: those of its first scan, whatever its number.
        const uint32_t channels = m_channel ? m_channel->GetUVScanIndex(m_channel->FirstScan()).numberOfChannels : 0;
        if (channelIndex < 0 || uint32_t(channelIndex) >= channels)
            return kOmbrelNothing;
        return kOmbrelDone;
    }
    return kOmbrelBadArgument;
}

HRESULT COmbrel::GetChroData(LONG nChroType1, LONG nChroOperator, LONG nChroType2, BSTR bstrFilter,
                             BSTR bstrMassRanges1, BSTR bstrMassRanges2, double dDelay, double* pdStartTime,
                             double* pdEndTime, LONG nSmoothingType, LONG nSmoothingValue, VARIANT* pvarChroData,
                             VARIANT* pvarPeakFlags, LONG* pnArraySize)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needController())
                return hr;
            if (pdStartTime && pdEndTime && std::fabs(*pdStartTime) <= kNearZero &&
                std::fabs(*pdEndTime) <= kNearZero) {
                const CRunHeader& h = m_current->GetRunHeader();
                *pdStartTime = h.startTime;
                *pdEndTime = h.endTime;
            }
            if (!pnArraySize || !ombrel::variantOutOk(pvarChroData) ||
                (pvarPeakFlags && pvarPeakFlags->vt != VT_EMPTY) || !pdStartTime || !pdEndTime ||
                *pdStartTime > *pdEndTime || nSmoothingType < kSmoothNone || nSmoothingType > kSmoothGaussian ||
                (nSmoothingType != kSmoothNone &&
                 (nSmoothingValue < 1 || nSmoothingValue > kLargestSmoothing || nSmoothingValue % 2 == 0)))
                return kOmbrelBadArgument;
            const int32_t kind = m_current->DeviceKind();
            const int32_t t1 = TranslateTraceCBIndexToEnum(nChroType1, kind, kTraceNone);
            if (nChroOperator < kChroSingle || nChroOperator > kChroSum)
                return kOmbrelBadArgument;
            const int32_t t2 =
                nChroOperator == kChroSingle ? kTraceNone : TranslateTraceCBIndexToEnum(nChroType2, kind, t1);
            std::unique_ptr<CFilter> filter;
            // The channel kinds take the trace index as the channel number.
            if (const HRESULT hr = chroRules(t1, nChroOperator, t2, bstrFilter, bstrMassRanges1, bstrMassRanges2,
                                             dDelay, nChroType1, filter))
                return hr;

            const int32_t first = m_current->FindScanPosition(*pdStartTime);
            const int32_t last = m_current->FindScanPosition(*pdEndTime);
            CRawChro one(t1, filter.get(), dDelay);
            one.SetMassRanges(rangesOf(bstrMassRanges1));
            if (nChroOperator == kChroSingle) {
                m_current->GetChro({&one}, first, last);
            } else {
                CRawChro two(t2, filter.get(), dDelay);
                two.SetMassRanges(rangesOf(bstrMassRanges2));
                m_current->GetChro({&one, &two}, first, last);
                if (one.NumReadings() > 0 && two.NumReadings() > 0)
                    CalcChro(one, two, nChroOperator);
            }
            if (nSmoothingType != kSmoothNone)
                CSmoother::SmoothChro(one, nSmoothingType, nSmoothingValue);
            const size_t n = size_t(one.NumReadings());
            if (n == 0)
                return kOmbrelDone;
            SAFEARRAYBOUND bounds[2] = {{2, 0}, {ULONG(n), 0}};
            SAFEARRAY* array = n <= std::numeric_limits<ULONG>::max() ? SafeArrayCreate(VT_R8, 2, bounds) : nullptr;
            double* data = nullptr;
            if (!array || FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)))) {
                if (array)
                    SafeArrayDestroy(array);
                return kOmbrelEngineFailed;
            }
            for (size_t j = 0; j < n; ++j) {
                data[2 * j] = one.Readings()[j].position;
                data[2 * j + 1] = one.Readings()[j].intensity;
            }
            SafeArrayUnaccessData(array);
            pvarChroData->vt = VT_ARRAY | VT_R8;
            pvarChroData->parray = array;
            *pnArraySize = LONG(n);
            return kOmbrelDone;
        },
        pvarChroData);
}
