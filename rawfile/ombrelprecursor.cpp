// Precursor information: from an MSn scan up its chain of master scans,
// each level's monoisotopic and isolation m/z, charge and master scan,
// refined on the label peaks of the master scan.
#include "ombrelobject.h"
#include "ombreloutputs.h"
#include "ombrelprecursor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace rawengine;

namespace {
// Neutral mass above which a label's m/z is not taken as the precursor's.
constexpr double kSinglyChargedLimit = 1500.0;


// The trailer record of a scan, or null when the header or the record is
// missing.
const GenericRecord* trailerOf(const CVirtualMS& ms, int32_t scan)
{
    if (!ms.HasTrailerExtraHeader())
        return nullptr;
    const int32_t index = scan - ms.FirstScan();
    if (index < 0 || index >= ms.NumTrailerExtra())
        return nullptr;
    return &ms.GetTrailerExtraRecord(index);
}

int32_t scanEventNumber(const CVirtualMS& ms, int32_t scan)
{
    const GenericRecord* t = trailerOf(ms, scan);
    return t ? ombrel::TrailerInteger(ms.GetTrailerExtraHeader(), *t, L"Scan Event:", false, true) : 0;
}

}  // namespace

ombrel::PrecursorRecord COmbrel::buildPrecursorRecord(int32_t scan) const
{
    ombrel::PrecursorRecord r;
    const CVirtualMS& ms = *m_ms;
    if (scan < ms.FirstScan() || scan > ms.LastScan())
        return r;
    const GenericRecord* trailer = trailerOf(ms, scan);
    if (!trailer)
        return r;
    const CGenericDataHeader& header = ms.GetTrailerExtraHeader();
    r.scan = scan;
    const CScanEvent event = ms.GetScanEvent(scan);
    r.msOrder = event.MSOrder();
    r.class4Event = event.ClassByte() == kEventPrecursorSource;
    // The reaction of this level; an event with fewer reactions has none.
    if (r.msOrder > 1 && r.msOrder - 2 < event.NumReactions())
        r.isolationMz = event.GetReaction(r.msOrder - 2).precursorMass;
    const double mono = ombrel::TrailerReal(header, *trailer, L"Monoisotopic M/Z:");
    const int32_t charge = ombrel::TrailerInteger(header, *trailer, L"Charge State:", true, false);
    const double tolerance = charge >= 1 ? ombrel::kAgreement / charge : ombrel::kAgreement;
    if (std::fabs(mono - r.isolationMz) < tolerance)
        r.monoMz = mono;
    r.monoValid = r.monoMz > 1.0;
    r.charge = charge;

    const int32_t eventNumber = ombrel::TrailerInteger(header, *trailer, L"Scan Event:", false, true);
    const int32_t master = ombrel::TrailerInteger(header, *trailer, L"Master Index:", false, true);
    if (master != 0) {
        const int64_t lowest = int64_t(scan) + (int64_t(master) - eventNumber);
        const int32_t bound = lowest > ms.FirstScan() ? int32_t(std::min<int64_t>(lowest, scan)) : ms.FirstScan();
        for (int32_t i = scan - 1; i >= bound; --i) {
            const CScanEvent candidate = ms.GetScanEvent(i);
            const ScanIndex& index = ms.GetScanIndex(i);
            const uint8_t dependency = candidate.DependencyByte();
            const bool byWindow = (dependency == 1 || dependency == 2) &&
                                  candidate.ClassByte() == kEventPrecursorSource && index.lowMass < r.isolationMz &&
                                  r.isolationMz < index.highMass;
            if (byWindow || scanEventNumber(ms, i) == master) {
                r.masterScan = i;
                r.masterClass4Event = candidate.ClassByte() == kEventPrecursorSource;
                break;
            }
        }
    }
    return r;
}

void COmbrel::refinePrecursorMass(ombrel::PrecursorRecord& r) const
{
    double m = r.monoMz != 0.0 ? r.monoMz : r.isolationMz;
    int8_t c = int8_t(r.charge);
    if (r.masterScan < m_ms->FirstScan() || r.masterScan > m_ms->LastScan())
        return;
    const std::unique_ptr<CRawScan> master = m_ms->GetScan(r.masterScan);
    const std::vector<LabelPeak>& labels = master->GetLabelPeaks();
    if (labels.empty())
        return;
    if (r.monoMz > 1.0) {
        const size_t i = ombrel::SelectBestLabelPeak(labels, r.monoMz, ombrel::kWindowPpm, ombrel::kWindowFactor);
        m = i < labels.size() ? labels[i].mass : r.monoMz;
    } else if (r.isolationMz > 1.0 && r.charge == 0) {
        const size_t i =
            ombrel::SelectBestLabelPeak(labels, r.isolationMz, ombrel::kWindowPpm, ombrel::kWindowFactor);
        if (i < labels.size() && labels[i].charge >= 1) {
            const int z = labels[i].charge;
            if (ombrel::NeutralMassFromMz(labels[i].mass, z) < kSinglyChargedLimit)
                m = labels[i].mass;
            c = int8_t(z);
        }
    }
    r.monoMz = m;
    r.charge = c;
}

HRESULT COmbrel::GetPrecursorInfoFromScanNum(LONG nScanNumber, VARIANT* pvarPrecursorInfos, LONG* pnArraySize)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needFile())
                return hr;
            if (!m_ms)
                return kOmbrelNoController;
            if (!ombrel::variantOutOk(pvarPrecursorInfos) || !pnArraySize || !scanIn(*m_current, nScanNumber))
                return kOmbrelBadArgument;
            std::vector<ombrel::PrecursorRecord> chain;
            ombrel::PrecursorRecord r = buildPrecursorRecord(nScanNumber);
            while (r.masterScan > 0 && r.msOrder > 1) {
                refinePrecursorMass(r);
                chain.push_back(r);
                r = buildPrecursorRecord(r.masterScan);
            }
            SAFEARRAY* array =
                SafeArrayCreateVector(VT_UI1, 0, ULONG(chain.size() * sizeof(ombrel::PrecursorInfo)));
            if (!array)
                return kOmbrelEngineFailed;
            void* data = nullptr;
            if (FAILED(SafeArrayAccessData(array, &data))) {
                SafeArrayDestroy(array);
                return kOmbrelEngineFailed;
            }
            auto* out = static_cast<uint8_t*>(data);
            for (const ombrel::PrecursorRecord& level : chain) {
                const ombrel::PrecursorInfo info{level.monoMz, level.isolationMz, level.charge, level.masterScan};
                std::memcpy(out, &info, sizeof info);
                out += sizeof info;
            }
            SafeArrayUnaccessData(array);
            pvarPrecursorInfos->vt = VT_ARRAY | VT_UI1;
            pvarPrecursorInfos->parray = array;
            *pnArraySize = LONG(chain.size());
            return kOmbrelDone;
        },
        pvarPrecursorInfos);
}
