// Chromatograms of the current controller: a trace, or two combined by an
// operator, over a time window, optionally filtered, limited to mass
// ranges and smoothed. The reader checks which trace types, operators,
// ranges, filters and delays fit the controller's kind; the engine
// computes.
#include "ombrelobject.h"
#include "ombreloutputs.h"
#include "ombrelparse.h"

#include "kscomptr.h"

#include <cmath>
#include <cstdint>
#include <limits>

using namespace rawengine;

namespace {

constexpr double kNearZero = 0.00001;
constexpr LONG kLargestSmoothing = 15;

bool hasText(BSTR s) { return s && *s; }

// A smoothing type of 0 to 2 and, to smooth, an odd point count of 1 to 15.
bool smoothingOk(LONG type, LONG points)
{
    if (type < kSmoothNone || type > kSmoothGaussian)
        return false;
    return type == kSmoothNone || (points >= 1 && points <= kLargestSmoothing && points % 2 != 0);
}

// Both times within 0.00001 of 0 mean the whole run.
bool wholeRun(double start, double end) { return std::fabs(start) <= kNearZero && std::fabs(end) <= kNearZero; }

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
                           std::optional<LONG> channelIndex, std::unique_ptr<CFilter>& parsed)
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
        if (!channelIndex)
            return kOmbrelDone;
        // The channels of the run: those of its first scan, whatever its number.
        const uint32_t channels = m_channel ? m_channel->GetUVScanIndex(m_channel->FirstScan()).numberOfChannels : 0;
        if (*channelIndex < 0 || uint32_t(*channelIndex) >= channels)
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
            if (pdStartTime && pdEndTime && wholeRun(*pdStartTime, *pdEndTime)) {
                const CRunHeader& h = m_current->GetRunHeader();
                *pdStartTime = h.startTime;
                *pdEndTime = h.endTime;
            }
            if (!pnArraySize || !ombrel::variantOutOk(pvarChroData) ||
                (pvarPeakFlags && pvarPeakFlags->vt != VT_EMPTY) || !pdStartTime || !pdEndTime ||
                *pdStartTime > *pdEndTime || !smoothingOk(nSmoothingType, nSmoothingValue))
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
                                             dDelay, LONG(nChroType1), filter))
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

// ---------------------------------------------------------------- GetChros

namespace {

// The values of one request, in their order in the parameter array.
constexpr uint64_t kValuesPerRequest = 11;
// Each point goes out as ten VARIANTs: intensity, time, base peak, scan and
// six flag bits.
constexpr uint64_t kValuesPerPoint = 10;
constexpr int kFlagBitsOut = 6;

struct ChroRequest {
    LONG type1 = 0, op = 0, type2 = 0;
    ks::Variant filter, ranges1, ranges2;  // VT_BSTR each
    double delay = 0.0, start = 0.0, end = 0.0;
    LONG smoothing = 0, points = 0;
    int32_t firstScan = -1, lastScan = -1;
    std::unique_ptr<CRawChro> one, two;
};

// An element of the parameter array converted to the type its position
// holds (a text where a number belongs does not convert).
bool valueOf(const VARIANT& v, LONG& out)
{
    ks::Variant t;
    if (FAILED(VariantChangeType(&t, &v, 0, VT_I4)))
        return false;
    out = t.lVal;
    return true;
}

bool valueOf(const VARIANT& v, double& out)
{
    ks::Variant t;
    if (FAILED(VariantChangeType(&t, &v, 0, VT_R8)))
        return false;
    out = t.dblVal;
    return true;
}

bool valueOf(const VARIANT& v, ks::Variant& out) { return SUCCEEDED(VariantChangeType(&out, &v, 0, VT_BSTR)); }

// Reads the eleven values of a request from `v`.
bool readRequest(const VARIANT* v, ChroRequest& q)
{
    return valueOf(v[0], q.type1) && valueOf(v[1], q.op) && valueOf(v[2], q.type2) && valueOf(v[3], q.filter) &&
           valueOf(v[4], q.ranges1) && valueOf(v[5], q.ranges2) && valueOf(v[6], q.delay) &&
           valueOf(v[7], q.start) && valueOf(v[8], q.end) && valueOf(v[9], q.smoothing) &&
           valueOf(v[10], q.points);
}

// The number of elements of an array of VARIANTs over all its dimensions,
// or nothing when it is no such array or holds more than `most`.
std::optional<uint64_t> variantCount(SAFEARRAY* array, uint64_t most)
{
    VARTYPE vt = VT_EMPTY;
    const UINT dims = SafeArrayGetDim(array);
    if (FAILED(SafeArrayGetVartype(array, &vt)) || vt != VT_VARIANT || dims == 0)
        return std::nullopt;
    uint64_t count = 1;
    for (UINT d = 0; d < dims; ++d) {
        count *= array->rgsabound[d].cElements;
        if (count > most)
            return most + 1;  // too many: no length a request count gives
    }
    return count;
}

}  // namespace

HRESULT COmbrel::GetChros(LONG nNumChros, double* pdStartTime, double* pdEndTime, VARIANT* pvarChroParamsArray,
                          VARIANT* pvarChroDataSizeArray, VARIANT* pvarChroDataArray, VARIANT* pvarPeakFlagsArray)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needController())
                return hr;
            auto emptyIfGiven = [](const VARIANT* v) { return !v || v->vt == VT_EMPTY; };
            if (!pdStartTime || !pdEndTime || nNumChros < 1 || !pvarChroParamsArray ||
                pvarChroParamsArray->vt != (VT_ARRAY | VT_VARIANT) || !pvarChroParamsArray->parray ||
                !emptyIfGiven(pvarChroDataSizeArray) || !emptyIfGiven(pvarChroDataArray) ||
                !emptyIfGiven(pvarPeakFlagsArray))
                return kOmbrelBadArgument;
            const uint64_t wanted = kValuesPerRequest * uint64_t(nNumChros);
            const std::optional<uint64_t> given = variantCount(pvarChroParamsArray->parray, wanted);
            if (!given)
                return kOmbrelBadArgument;
            if (*given != wanted)
                return kOmbrelBadChroParams;

            // Every request is read and checked before anything is computed;
            // the first that fails decides the answer.
            const CRunHeader& run = m_current->GetRunHeader();
            std::vector<ChroRequest> requests(static_cast<size_t>(nNumChros));
            {
                ks::SafeArrayAccess<VARIANT> params(pvarChroParamsArray->parray);
                if (FAILED(params.result()))
                    return kOmbrelEngineFailed;
                for (size_t k = 0; k < requests.size(); ++k) {
                    ChroRequest& q = requests[k];
                    if (!readRequest(params.data() + k * kValuesPerRequest, q))
                        return kOmbrelBadArgument;
                    if (wholeRun(q.start, q.end)) {
                        q.start = run.startTime;
                        q.end = run.endTime;
                    }
                    if (q.end < q.start || !smoothingOk(q.smoothing, q.points) || q.op < kChroSingle ||
                        q.op > kChroSum)
                        return kOmbrelBadArgument;
                    const int32_t t2 = q.op == kChroSingle ? kTraceNone : q.type2;
                    std::unique_ptr<CFilter> filter;
                    if (const HRESULT hr = chroRules(q.type1, q.op, t2, q.filter.bstrVal, q.ranges1.bstrVal,
                                                     q.ranges2.bstrVal, q.delay, std::nullopt, filter))
                        return hr;
                    q.firstScan = m_current->FindScanPosition(q.start);
                    q.lastScan = m_current->FindScanPosition(q.end);
                    q.one = std::make_unique<CRawChro>(q.type1, filter.get(), q.delay);
                    q.one->SetMassRanges(rangesOf(q.ranges1.bstrVal));
                    if (q.op != kChroSingle) {
                        q.two = std::make_unique<CRawChro>(t2, filter.get(), q.delay);
                        q.two->SetMassRanges(rangesOf(q.ranges2.bstrVal));
                    }
                }
            }

            // Each request is filled over its own window.
            double start = requests.front().start, end = requests.front().end;
            uint64_t total = 0;
            for (ChroRequest& q : requests) {
                if (q.two) {
                    m_current->GetChro({q.one.get(), q.two.get()}, q.firstScan, q.lastScan);
                    if (q.one->NumReadings() > 0 && q.two->NumReadings() > 0)
                        CalcChro(*q.one, *q.two, q.op);
                } else {
                    m_current->GetChro({q.one.get()}, q.firstScan, q.lastScan);
                }
                if (q.smoothing != kSmoothNone)
                    CSmoother::SmoothChro(*q.one, q.smoothing, q.points);
                start = std::min(start, q.start);
                end = std::max(end, q.end);
                total += uint64_t(q.one->NumReadings());
            }
            *pdStartTime = start;
            *pdEndTime = end;

            // The outputs: one point count per request, then ten VARIANTs per point.
            if (!pvarChroDataSizeArray || !pvarChroDataArray)
                return kOmbrelEngineFailed;
            if (total > std::numeric_limits<ULONG>::max() / kValuesPerPoint)
                return kOmbrelEngineFailed;
            ks::SafeArray sizes(VT_I4, 0, ULONG(requests.size()));
            if (!sizes)
                return kOmbrelEngineFailed;
            {
                ks::SafeArrayAccess<LONG> out(sizes);
                if (FAILED(out.result()))
                    return kOmbrelEngineFailed;
                for (size_t k = 0; k < requests.size(); ++k)
                    out[k] = LONG(requests[k].one->NumReadings());
            }
            ks::SafeArray data;
            if (total > 0) {
                data.attach(SafeArrayCreateVector(VT_VARIANT, 0, ULONG(total * kValuesPerPoint)));
                if (!data)
                    return kOmbrelEngineFailed;
                ks::SafeArrayAccess<VARIANT> out(data);
                if (FAILED(out.result()))
                    return kOmbrelEngineFailed;
                VARIANT* v = out.data();
                for (const ChroRequest& q : requests) {
                    for (const DataPeak& p : q.one->Readings()) {
                        v[0].vt = VT_R8;
                        v[0].dblVal = p.intensity;
                        v[1].vt = VT_R8;
                        v[1].dblVal = p.position;
                        v[2].vt = VT_R4;
                        v[2].fltVal = p.basePeak;
                        v[3].vt = VT_I4;
                        v[3].lVal = p.scan;
                        for (int b = 0; b < kFlagBitsOut; ++b) {
                            v[4 + b].vt = VT_I1;
                            v[4 + b].cVal = static_cast<CHAR>((p.flags >> b) & 1 ? 0xFF : 0);
                        }
                        v += kValuesPerPoint;
                    }
                }
            }
            pvarChroDataSizeArray->vt = VT_ARRAY | VT_I4;
            pvarChroDataSizeArray->parray = sizes.detach();
            if (data) {
                pvarChroDataArray->vt = VT_ARRAY | VT_VARIANT;
                pvarChroDataArray->parray = data.detach();
            }
            return kOmbrelDone;
        },
        pvarChroDataSizeArray, pvarChroDataArray);
}
