// The read side of the raw-file reader over any file: the bytes are the
// file; what opens is read through every member a client reads with, on
// every controller (scans, filters and events, mass lists of every kind,
// labels and noise, averages, precursors, chromatograms, the logs, the
// stored information and the instrument methods). Every member answers a
// status of the reader's (0 to 9, or the array code of the label and
// noise members) and hands out arrays as long as it says.
//
// Work per input is bounded: at most kScansPerController scans of each
// controller and kItems entries of each list are asked for.
#include "ombrelobject.h"

#include "kscomptr.h"
#include "ksfuzz.h"
#include "kshive.h"
#include "rawtypes.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr LONG kScansPerController = 24;
constexpr LONG kItems = 8;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// A status of the reader; answers it.
HRESULT status(HRESULT hr)
{
    check((hr >= 0 && hr <= 9) || hr == CTL_E_OUTOFMEMORY);
    return hr;
}

// Elements of a one- or two-dimensional array output (0 when empty).
size_t elements(const VARIANT& v)
{
    if (!(v.vt & VT_ARRAY) || !v.parray)
        return 0;
    size_t n = 1;
    for (UINT d = 1; d <= SafeArrayGetDim(v.parray); ++d) {
        LONG lo = 0, hi = -1;
        SafeArrayGetLBound(v.parray, d, &lo);
        SafeArrayGetUBound(v.parray, d, &hi);
        n *= size_t(hi - lo + 1);
    }
    return n;
}

// A mass list of `count` pairs fits its array.
void checkPairs(HRESULT hr, const VARIANT& list, LONG count)
{
    if (hr == kOmbrelDone && list.vt != VT_EMPTY)
        check(count >= 0 && 2 * size_t(count) <= elements(list));
}

template <class Getter>
void text(Getter get)
{
    ks::Bstr t;
    status(get(&t));
}

void massLists(COmbrel& r, LONG scan, BSTR filter)
{
    double width = 0.5;
    for (int form = 0; form < 8; ++form) {
        ks::Variant list, flags;
        LONG s = scan, count = 0;
        const LONG cutoff = form % 3, value = form * 10, peaks = form % 4, centroid = form & 1;
        HRESULT hr = kOmbrelDone;
        ks::Bstr range(L"100.5-900");
        switch (form % 5) {
        case 0:
            hr = r.GetMassListFromScanNum(&s, filter, cutoff, value, peaks, centroid, &width, &list, &flags, &count);
            break;
        case 1:
            hr = r.GetNextMassListFromScanNum(&s, filter, cutoff, value, peaks, centroid, &width, &list, &flags,
                                              &count);
            break;
        case 2:
            hr = r.GetPrevMassListRangeFromScanNum(&s, filter, cutoff, value, peaks, centroid, &width, &list,
                                                   &flags, range.get(), &count);
            break;
        case 3:
            hr = r.GetMassListRangeFromScanNum(&s, filter, cutoff, value, peaks, centroid, &width, &list, &flags,
                                               range.get(), &count);
            break;
        default: {
            ks::Variant segments, limits;
            LONG numSegments = 0;
            hr = r.GetSegmentedMassListFromScanNum(&s, filter, cutoff, value, peaks, centroid, &width, &list,
                                                   &flags, &count, &segments, &numSegments, &limits);
            if (hr == kOmbrelDone && segments.vt != VT_EMPTY)
                check(elements(segments) == size_t(numSegments) && elements(limits) == 2 * size_t(numSegments));
            break;
        }
        }
        checkPairs(status(hr), list, count);
    }
}

void perScan(COmbrel& r, LONG scan, bool ms)
{
    double t = 0;
    if (status(r.RTFromScanNum(scan, &t)) == kOmbrelDone) {
        LONG back = 0;
        status(r.ScanNumFromRT(t, &back));
        ks::Variant list;
        LONG count = 0;
        double rt = t, width = 0;
        checkPairs(status(r.GetMassListFromRT(&rt, nullptr, 0, 0, 0, 0, &width, &list, nullptr, &count)), list,
                   count);
    }
    text([&](BSTR* b) { return r.GetFilterForScanNum(scan, b); });
    text([&](BSTR* b) { return r.GetScanEventForScanNum(scan, b); });
    LONG flag = 0;
    status(r.IsProfileScanForScanNum(scan, &flag));
    status(r.IsCentroidScanForScanNum(scan, &flag));
    LONG packets = 0, channels = 0, uniform = 0;
    double start, low, high, tic, baseMass, baseIntensity, frequency;
    status(r.GetScanHeaderInfoForScanNum(scan, &packets, &start, &low, &high, &tic, &baseMass, &baseIntensity,
                                         &channels, &uniform, &frequency));
    massLists(r, scan, nullptr);
    {
        ks::Variant labels, labelFlags, noise, precursors;
        LONG s = scan, count = 0;
        status(r.GetLabelData(&labels, &labelFlags, &s));
        status(r.GetNoiseData(&noise, &s));
        if (status(r.GetPrecursorInfoFromScanNum(scan, &precursors, &count)) == kOmbrelDone &&
            precursors.vt != VT_EMPTY)
            check(count >= 0 && size_t(count) * 24 <= elements(precursors));
    }
    {
        ks::Variant labels, values, value;
        LONG count = 0;
        double logTime = 0;
        status(r.GetStatusLogForScanNum(scan, &logTime, &labels, &values, &count));
        ks::Bstr label(L"Charge State:");
        status(r.GetStatusLogValueForScanNum(scan, label.get(), &logTime, &value));
    }
    if (ms) {
        ks::Variant labels, values, value;
        LONG count = 0;
        if (status(r.GetTrailerExtraForScanNum(scan, &labels, &values, &count)) == kOmbrelDone &&
            labels.vt != VT_EMPTY)
            check(elements(labels) == size_t(count) && elements(values) == size_t(count));
        ks::Bstr label(L"Master Index:");
        status(r.GetTrailerExtraValueForScanNum(scan, label.get(), &value));
    }
}

void chromatograms(COmbrel& r, LONG kind, BSTR filter)
{
    for (LONG type = 0; type < 3; ++type) {
        ks::Variant data, flags;
        LONG count = 0;
        double start = 0, end = 0;
        ks::Bstr ranges(L"100-500, 600-700");
        const HRESULT hr = status(r.GetChroData(type, type == 2 ? 1 : 0, 1, filter, ranges.get(), nullptr, 0.01, &start,
                                                &end, type, 5, &data, &flags, &count));
        checkPairs(hr, data, count);
    }
    // Two requests of engine trace types: the kind's first trace, summed
    // with the total.
    const LONG first = kind == kOmbrelMS ? 1 : kind == kOmbrelPDA ? 22 : kind == kOmbrelAnalog ? 31
                     : kind == kOmbrelADCard                   ? 51
                                                               : 11;
    ks::Variant params, sizes, values, flags;
    {
        ks::SafeArray requests(VT_VARIANT, 0, 22);
        ks::SafeArrayAccess<VARIANT> p(requests);
        if (FAILED(p.result()))
            return;
        for (int k = 0; k < 2; ++k) {
            VARIANT* q = p.data() + 11 * k;
            const LONG numbers[] = {first + k, LONG(k * 2), first, 0, 0, 0, 0, -1, -1, LONG(k), 3};
            for (int i = 0; i < 11; ++i)
                ks::Variant(numbers[i]).detach(&q[i]);
            ks::Variant(filter ? static_cast<const wchar_t*>(filter) : L"").detach(&q[3]);
            for (int i : {4, 5})
                ks::Variant(L"1.5-2000").detach(&q[i]);
            for (int i : {6, 7, 8})
                ks::Variant(i == 6 ? 0.0 : -1.0).detach(&q[i]);
        }
        params.attachArray(requests.detach(), VT_VARIANT);
    }
    double start = -1, end = -1;
    status(r.GetChros(2, &start, &end, &params, &sizes, &values, &flags));
}

void logs(COmbrel& r)
{
    LONG n = 0;
    status(r.GetNumErrorLog(&n));
    for (LONG i = 0; i < n && i < kItems; ++i) {
        double t = 0;
        text([&](BSTR* b) { return r.GetErrorLogItem(i, &t, b); });
    }
    status(r.GetNumStatusLog(&n));
    for (LONG i = 0; i < n && i < kItems; ++i) {
        ks::Variant times, values;
        LONG count = 0;
        status(r.GetStatusLogForPos(i, &times, &values, &count));
    }
    {
        ks::Variant index, values;
        LONG count = 0;
        status(r.GetStatusLogPlottableIndex(&index, &values, &count));
        double t = 1.0;
        ks::Variant labels, all;
        status(r.GetStatusLogForRT(&t, &labels, &all, &count));
        ks::Variant trailerLabels, trailerValues;
        t = 1.0;
        status(r.GetTrailerExtraForRT(&t, &trailerLabels, &trailerValues, &count));
    }
    for (LONG segment = 0; segment < 3; ++segment) {
        ks::Variant labels, values;
        LONG count = 0;
        status(r.GetTuneData(segment, &labels, &values, &count));
    }
}

void information(COmbrel& r)
{
    for (auto get : {&COmbrel::GetFileName, &COmbrel::GetCreatorID, &COmbrel::GetSeqRowDataPath,
                     &COmbrel::GetSeqRowSampleName, &COmbrel::GetSeqRowVial, &COmbrel::GetSeqRowBarcode,
                     &COmbrel::GetInstName, &COmbrel::GetInstModel, &COmbrel::GetInstFlags, &COmbrel::GetFlags,
                     &COmbrel::GetAcquisitionDate, &COmbrel::GetComment1, &COmbrel::GetSampleVolumeUnits,
                     &COmbrel::GetWarningMessage})
        text([&](BSTR* b) { return (r.*get)(b); });
    for (LONG i = -1; i < 16; ++i) {
        text([&](BSTR* b) { return r.GetSeqRowUserText(i, b); });
        text([&](BSTR* b) { return r.GetSeqRowUserTextEx(i, b); });
        text([&](BSTR* b) { return r.GetSeqRowUserLabel(i, b); });
    }
    DATE created = 0;
    status(r.GetCreationDate(&created));
    LONG n = 0;
    for (auto get : {&COmbrel::GetVersionNumber, &COmbrel::IsThereMSData, &COmbrel::HasExpMethod,
                     &COmbrel::InAcquisition, &COmbrel::GetSeqRowBarcodeStatus})
        status((r.*get)(&n));
    ks::Variant names;
    if (status(r.GetInstMethodNames(&n, &names)) == kOmbrelDone && names.vt != VT_EMPTY)
        check(elements(names) == size_t(n));
    for (LONG i = 0; i < n && i < kItems; ++i)
        text([&](BSTR* b) { return r.GetInstMethod(i, b); });
}

void controller(COmbrel& r, LONG kind)
{
    LONG first = 0, last = -1, n = 0;
    status(r.GetFirstSpectrumNumber(&first));
    status(r.GetLastSpectrumNumber(&last));
    status(r.GetInstNumChannelLabels(&n));
    for (LONG i = 0; i < n && i < kItems; ++i)
        text([&](BSTR* b) { return r.GetInstChannelLabel(i, b); });
    const bool ms = kind == kOmbrelMS;
    for (LONG s = first; s <= last && s - first < kScansPerController; ++s)
        perScan(r, s, ms);
    chromatograms(r, kind, nullptr);
    logs(r);
    {
        LONG a1 = first, a2 = last, b1 = first, b2 = first, c1 = last, c2 = last, count = 0;
        double width = 0;
        ks::Variant list;
        checkPairs(status(r.GetAverageMassList(&a1, &a2, &b1, &b2, &c1, &c2, nullptr, 0, 0, 0, 1, &width, &list,
                                               nullptr, &count)),
                   list, count);
    }
    if (!ms)
        return;
    // Each filter of the run selects its scans in the lists and traces.
    ks::Variant filters;
    if (status(r.GetFilters(&filters, &n)) != kOmbrelDone || filters.vt != (VT_ARRAY | VT_BSTR))
        return;
    check(elements(filters) == size_t(n));
    const ks::SafeArrayAccess<BSTR> texts(filters.parray);
    if (FAILED(texts.result()))
        return;
    for (LONG i = 0; i < n && i < kItems; ++i) {
        massLists(r, first, texts[size_t(i)]);
        chromatograms(r, kind, texts[size_t(i)]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool initialised = [] {
        rawengine::FIO_Init();
        rawengine::FG_Init();
        return true;
    }();
    (void)initialised;
    const std::string path = ks::fuzz::writeInput(data, size, "input.raw");
    COmbrel* r = nullptr;
    if (FAILED(ks::createObject(&r)))
        return 0;
    r->AddRef();
    ks::Bstr name(ks::reg::wideFromUtf8(path));
    if (status(r->Open(name.get())) == kOmbrelDone) {
        information(*r);
        LONG controllers = 0;
        status(r->GetNumberOfControllers(&controllers));
        LONG numbers[6] = {};
        for (LONG i = 0; i < controllers; ++i) {
            LONG kind = -1;
            if (status(r->GetControllerType(i, &kind)) != kOmbrelDone || kind < 0 || kind > 5)
                continue;
            const LONG number = ++numbers[kind];
            if (status(r->SetCurrentController(kind, number)) == kOmbrelDone)
                controller(*r, kind);
        }
        status(r->Close());
    }
    r->Release();
    return 0;
}
