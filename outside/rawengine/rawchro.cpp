// Chromatograms: trace types, readings of a window of scans, the two
// operators and the two smoothers.
#include "rawchro.h"

#include "rawfile.h"
#include "rawtesthooks.h"

#include <algorithm>
#include <cmath>

namespace rawengine {

using detail::checkpoint;

// ---------------------------------------------------------------- trace types

int32_t TranslateTraceCBIndexToEnum(int32_t index, int32_t kind, int32_t fallback)
{
    checkpoint("TranslateTraceCBIndexToEnum");
    const bool threeTraces = index >= 0 && index <= 2;
    const bool channel = index >= 0 && index < kMaxTraceChannels;
    switch (kind) {
    case kDeviceMS:
        return threeTraces ? kTraceMassRange + index : fallback;
    case kDevicePDA:
        return threeTraces ? kTracePDAWavelengthRange + index : fallback;
    case kDeviceUV:
        return channel ? kTraceUVFirst + index : fallback;
    case kDeviceAnalog:
        return channel ? kTraceAnalogFirst + index : fallback;
    case kDeviceADCard:
        return channel ? kTraceADCardFirst + index : fallback;
    default:
        return fallback;
    }
}

bool IsMSTraceType(int32_t t) { return t >= kTraceMassRange && t <= kTraceBasePeak; }
bool IsPDATraceType(int32_t t) { return t >= kTracePDAWavelengthRange && t <= kTracePDASpectrumMax; }
bool IsChannelTraceType(int32_t t) { return t >= kTraceUVFirst && t < kTraceUVFirst + kMaxTraceChannels; }
bool IsAnalogTraceType(int32_t t) { return t >= kTraceAnalogFirst && t < kTraceAnalogFirst + kMaxTraceChannels; }
bool IsA2DCardTraceType(int32_t t) { return t >= kTraceADCardFirst && t < kTraceADCardFirst + kMaxTraceChannels; }

int32_t TraceChannel(int32_t t)
{
    if (IsChannelTraceType(t))
        return t - kTraceUVFirst;
    if (IsAnalogTraceType(t))
        return t - kTraceAnalogFirst;
    if (IsA2DCardTraceType(t))
        return t - kTraceADCardFirst;
    return -1;
}

bool IsTraceTypeOfKind(int32_t t, int32_t kind)
{
    switch (kind) {
    case kDeviceMS:
        return IsMSTraceType(t);
    case kDevicePDA:
        return IsPDATraceType(t);
    case kDeviceUV:
        return IsChannelTraceType(t);
    case kDeviceAnalog:
        return IsAnalogTraceType(t);
    case kDeviceADCard:
        return IsA2DCardTraceType(t);
    default:
        return false;
    }
}

// ---------------------------------------------------------------- CRawChro

CRawChro::CRawChro(int32_t traceType, const CFilter* filter, double delay)
    : m_type(traceType), m_filter(filter ? std::make_unique<CFilter>(*filter) : nullptr), m_delay(delay)
{
}

CRawChro::CRawChro(const CRawChro& o)
    : m_type(o.m_type),
      m_filter(o.m_filter ? std::make_unique<CFilter>(*o.m_filter) : nullptr),
      m_delay(o.m_delay),
      m_ranges(o.m_ranges),
      m_readings(o.m_readings)
{
}

CRawChro& CRawChro::operator=(const CRawChro& o)
{
    if (this != &o) {
        CRawChro copy(o);
        std::swap(m_type, copy.m_type);
        std::swap(m_filter, copy.m_filter);
        std::swap(m_delay, copy.m_delay);
        std::swap(m_ranges, copy.m_ranges);
        std::swap(m_readings, copy.m_readings);
    }
    return *this;
}

CRawChro::~CRawChro() = default;

const DataPeak& CRawChro::Reading(int i) const
{
    if (i < 0 || i >= NumReadings())
        throw EngineError("reading " + std::to_string(i) + " of a chromatogram of " + std::to_string(NumReadings()));
    return m_readings[size_t(i)];
}

int CRawChro::IndexAtOrAfterScan(int32_t scan) const
{
    checkpoint("IndexAtOrAfterScan");
    auto it = std::lower_bound(m_readings.begin(), m_readings.end(), scan,
                               [](const DataPeak& r, int32_t s) { return r.scan < s; });
    return it == m_readings.end() ? -1 : int(it - m_readings.begin());
}

int CRawChro::IndexAtOrBeforeScan(int32_t scan) const
{
    checkpoint("IndexAtOrBeforeScan");
    auto it = std::upper_bound(m_readings.begin(), m_readings.end(), scan,
                               [](int32_t s, const DataPeak& r) { return s < r.scan; });
    return it == m_readings.begin() ? -1 : int(it - m_readings.begin()) - 1;
}

// ---------------------------------------------------------------- readings

namespace {

bool inRanges(double position, const std::vector<MassRange>& ranges)
{
    for (const MassRange& r : ranges)
        if (position >= r.low && position <= r.high)
            return true;
    return false;
}

// The strongest point (within the ranges when there are any) and, for a
// range trace, the sum; false when no point counts.
bool scanPoints(const ScanRecord& s, const std::vector<MassRange>& ranges, bool useRanges, double& sum,
                DataPeak& strongest)
{
    bool any = false;
    sum = 0.0;
    for (const ScanPacket& p : s.packets)
        for (const DataPeak& d : p.points) {
            if (useRanges && !inRanges(d.position, ranges))
                continue;
            sum += d.intensity;
            if (!any || d.intensity > strongest.intensity)
                strongest = d;
            any = true;
        }
    return any;
}

DataPeak readingOf(const ScanRecord& s, int32_t kind, const CRawChro& chro)
{
    const int32_t t = chro.TraceType();
    const std::vector<MassRange>& ranges = chro.MassRanges();
    DataPeak r;
    double sum = 0.0;
    DataPeak strongest;
    if (kind == kDeviceMS || kind == kDevicePDA) {
        const bool ms = kind == kDeviceMS;
        if (t == kTraceTIC || t == kTracePDATotalScan) {
            r.intensity = ms ? s.index.tic : s.uvIndex.tic;
            r.basePeak = float(ms ? s.index.basePeakMass : 0.0);
        } else if (t == kTraceBasePeak && ranges.empty()) {
            r.intensity = s.index.basePeakIntensity;
            r.basePeak = float(s.index.basePeakMass);
        } else {
            // A mass-range trace without ranges holds nothing.
            const bool useRanges = t != kTracePDASpectrumMax || !ranges.empty();
            const bool found = scanPoints(s, ranges, useRanges, sum, strongest);
            if (!found)
                r.flags |= kReadingEmpty;
            const bool rangeTrace = t == kTraceMassRange || t == kTracePDAWavelengthRange;
            r.intensity = !found ? 0.0 : rangeTrace ? sum : strongest.intensity;
            r.basePeak = found ? float(strongest.position) : 0.0f;
        }
    } else {
        const int32_t c = TraceChannel(t);
        if (c >= 0 && size_t(c) < s.readings.size())
            r.intensity = s.readings[size_t(c)];
        else
            r.flags |= kReadingEmpty;
    }
    return r;
}

}  // namespace

void CVirtualData::GetChro(const std::vector<CRawChro*>& chros, int32_t firstScan, int32_t lastScan) const
{
    checkpoint("GetChro");
    for (CRawChro* c : chros) {
        if (!c)
            throw EngineError("GetChro: no chromatogram");
        if (!IsTraceTypeOfKind(c->TraceType(), DeviceKind()))
            throw EngineError("trace type " + std::to_string(c->TraceType()) + " is no trace of controller kind " +
                              std::to_string(DeviceKind()));
        if (c->Filter() && DeviceKind() != kDeviceMS)
            throw EngineError("filters select mass-spectrometer scans only");
        c->MutableReadings().clear();
    }
    const int32_t from = std::max(firstScan, FirstScan());
    const int32_t to = std::min(lastScan, LastScan());
    for (int32_t scan = from; scan <= to && NumSpectra() > 0; ++scan) {
        const ScanRecord& s = m_data.scans[size_t(scan - FirstScan())];
        const CScanEvent* event = eventFor(s);
        const bool ms = DeviceKind() == kDeviceMS;
        const double time = ms ? s.index.startTime : s.uvIndex.startTime;
        uint8_t scanFlags = IsProfileScan(ms ? s.index.packetType : s.uvIndex.packetType) ? kReadingProfile : 0;
        if (event && event->dependent == Tri::On)
            scanFlags |= kReadingDependent;
        for (CRawChro* c : chros) {
            if (c->Filter() && !c->Filter()->Matches(*event))
                continue;
            DataPeak r = readingOf(s, DeviceKind(), *c);
            r.position = time + c->Delay();
            r.scan = scan;
            r.flags |= scanFlags;
            c->MutableReadings().push_back(r);
        }
    }
}

// ---------------------------------------------------------------- operators

void CalcChro(CRawChro& a, const CRawChro& b, int32_t op)
{
    checkpoint("CalcChro");
    if (op != kChroDifference && op != kChroSum)
        throw EngineError("chromatogram operator " + std::to_string(op));
    const std::vector<DataPeak>& other = b.Readings();
    for (DataPeak& r : a.MutableReadings()) {
        auto it = std::lower_bound(other.begin(), other.end(), r.scan,
                                   [](const DataPeak& x, int32_t s) { return x.scan < s; });
        const double v = (it != other.end() && it->scan == r.scan) ? it->intensity : 0.0;
        if (op == kChroSum) {
            r.intensity += v;
        } else {
            r.intensity -= v;
            if (r.intensity < 0.0) {
                r.intensity = 0.0;
                r.flags |= kReadingClamped;
            }
        }
        r.flags |= kReadingCombined;
    }
}

void CSmoother::SmoothChro(CRawChro& chro, int32_t type, int32_t points)
{
    checkpoint("SmoothChro");
    if (type == kSmoothNone)
        return;
    if (type != kSmoothMovingMean && type != kSmoothGaussian)
        throw EngineError("smoother " + std::to_string(type));
    if (points < 1 || points % 2 == 0)
        throw EngineError("smoothing over " + std::to_string(points) + " points (odd, 1 or more)");
    std::vector<DataPeak>& r = chro.MutableReadings();
    const size_t n = r.size();
    const size_t half = size_t(points - 1) / 2;
    const double sigma = points / 4.0;
    std::vector<double> weights(half + 1);
    for (size_t k = 0; k <= half; ++k)
        weights[k] = type == kSmoothMovingMean ? 1.0 : std::exp(-double(k * k) / (2 * sigma * sigma));
    std::vector<double> out(n);
    for (size_t i = 0; i < n; ++i) {
        // Symmetric: as far on each side as both sides reach.
        const size_t h = std::min({half, i, n - 1 - i});
        double sum = weights[0] * r[i].intensity, norm = weights[0];
        for (size_t k = 1; k <= h; ++k) {
            sum += weights[k] * (r[i - k].intensity + r[i + k].intensity);
            norm += 2 * weights[k];
        }
        out[i] = sum / norm;
        if (h > 0)
            r[i].flags |= kReadingSmoothed;
    }
    for (size_t i = 0; i < n; ++i)
        r[i].intensity = out[i];
}

}  // namespace rawengine
