// Scans: construction from a record and the accessors.
#include "rawscan.h"
#include "rawtesthooks.h"

#include <algorithm>
#include <cmath>

namespace rawengine {

CRawScan::CRawScan() = default;

CRawScan::CRawScan(const ScanRecord& record, int32_t kind, int32_t scanNumber, double massResolution)
    : m_scanNumber(scanNumber), m_hasIndexData(true), m_massResolution(massResolution)
{
    if (kind == kDeviceMS) {
        m_packetType = record.index.packetType;
        m_startTime = record.index.startTime;
    } else {
        m_packetType = record.uvIndex.packetType;
        m_startTime = record.uvIndex.startTime;
    }
    m_packets = record.packets;
    m_readings = record.readings;
    m_labels = record.labels;
    m_noise = record.noise;
}

const ScanPacket& CRawScan::GetPacket(int i) const
{
    if (i < 0 || i >= NumPackets())
        throw EngineError("packet " + std::to_string(i) + " of a scan of " + std::to_string(NumPackets()));
    return m_packets[size_t(i)];
}

void CRawScan::GetSegmentMassRange(int i, double& low, double& high) const
{
    detail::checkpoint("GetSegmentMassRange");
    const ScanPacket& p = GetPacket(i);
    low = p.lowMass;
    high = p.highMass;
}

size_t CRawScan::NumPoints() const
{
    size_t n = 0;
    for (const ScanPacket& p : m_packets)
        n += p.points.size();
    return n;
}

double CRawScan::ToleranceAt(double mass) const
{
    if (!m_userTolerance)
        return m_massResolution;
    switch (m_toleranceUnits) {
    case kTolPpm:
        return std::fabs(mass) * m_massResolution * 1e-6;
    case kTolAmu:
        return m_massResolution;
    default:  // mmu
        return m_massResolution / 1000.0;
    }
}


// ---------------------------------------------------------------- centroiding

namespace {

// Positions that are not numbers sort last and take part in nothing.
bool before(const DataPeak& a, const DataPeak& b)
{
    if (std::isnan(a.position))
        return false;
    if (std::isnan(b.position))
        return true;
    return a.position < b.position;
}

std::vector<DataPeak> sortedPoints(std::vector<DataPeak> points)
{
    std::stable_sort(points.begin(), points.end(), before);
    while (!points.empty() && std::isnan(points.back().position))
        points.pop_back();
    return points;
}

}  // namespace

void CRawScan::ToCentroid()
{
    detail::checkpoint("ToCentroid");
    if (!IsProfile() || IsChannelPacket(m_packetType))
        return;
    for (ScanPacket& packet : m_packets) {
        const std::vector<DataPeak> p = sortedPoints(packet.points);
        std::vector<DataPeak> peaks;
        const size_t n = p.size();
        for (size_t i = 0; i < n; ++i) {
            const double apex = p[i].intensity;
            // A local maximum: above 0, not below its left neighbour and
            // above its right one (a plateau counts once, at its end).
            if (!(apex > 0.0) || (i > 0 && p[i - 1].intensity > apex) || (i + 1 < n && p[i + 1].intensity >= apex))
                continue;
            const double half = ToleranceAt(p[i].position);
            // The points around the apex within the resolution, as long as
            // they keep falling away from it (a valley ends the peak).
            size_t lo = i, hi = i;
            while (lo > 0 && p[i].position - p[lo - 1].position <= half && p[lo - 1].intensity <= p[lo].intensity)
                --lo;
            while (hi + 1 < n && p[hi + 1].position - p[i].position <= half && p[hi + 1].intensity <= p[hi].intensity)
                ++hi;
            double weight = 0.0, moment = 0.0;
            for (size_t k = lo; k <= hi; ++k)
                if (p[k].intensity > 0.0) {
                    weight += p[k].intensity;
                    moment += p[k].intensity * p[k].position;
                }
            DataPeak c = p[i];
            c.position = moment / weight;
            peaks.push_back(c);
        }
        packet.points = std::move(peaks);
    }
    m_packetType = CentroidPacketType(m_packetType);
}

// ---------------------------------------------------------------- arithmetic

namespace {

enum class Op { Add, Subtract };

void combineReadings(std::vector<double>& a, const std::vector<double>& b, Op op)
{
    if (b.size() > a.size())
        a.resize(b.size(), 0.0);
    for (size_t i = 0; i < b.size(); ++i)
        a[i] = op == Op::Add ? a[i] + b[i] : std::max(0.0, a[i] - b[i]);
}

}  // namespace

CRawScan& CRawScan::combine(const CRawScan& other, bool add)
{
    const Op op = add ? Op::Add : Op::Subtract;
    combineReadings(m_readings, other.m_readings, op);
    std::vector<DataPeak> mine, theirs;
    double low = INFINITY, high = -INFINITY;
    for (const CRawScan* s : {static_cast<const CRawScan*>(this), &other})
        for (const ScanPacket& p : s->m_packets) {
            std::vector<DataPeak>& into = s == this ? mine : theirs;
            into.insert(into.end(), p.points.begin(), p.points.end());
            low = std::fmin(low, p.lowMass);
            high = std::fmax(high, p.highMass);
        }
    if (m_packets.empty() && other.m_packets.empty()) {
        m_labels.clear();
        m_noise.clear();
        return *this;
    }
    mine = sortedPoints(std::move(mine));
    theirs = sortedPoints(std::move(theirs));
    std::vector<DataPeak> extra;
    for (const DataPeak& b : theirs) {
        // The nearest point of this scan, within its tolerance.
        auto it = std::lower_bound(mine.begin(), mine.end(), b, before);
        DataPeak* best = nullptr;
        if (it != mine.end())
            best = &*it;
        if (it != mine.begin() && (!best || b.position - (it - 1)->position < best->position - b.position))
            best = &*(it - 1);
        if (best && std::fabs(best->position - b.position) <= ToleranceAt(best->position)) {
            best->intensity = add ? best->intensity + b.intensity : std::max(0.0, best->intensity - b.intensity);
        } else {
            DataPeak d = b;
            d.intensity = add ? b.intensity : std::max(0.0, -b.intensity);
            extra.push_back(d);
        }
    }
    mine.insert(mine.end(), extra.begin(), extra.end());
    std::stable_sort(mine.begin(), mine.end(), before);
    ScanPacket one;
    one.lowMass = std::isfinite(low) ? low : 0.0;
    one.highMass = std::isfinite(high) ? high : 0.0;
    one.points = std::move(mine);
    m_packets = {std::move(one)};
    // Labels and noise describe one scan, not a sum of scans.
    m_labels.clear();
    m_noise.clear();
    return *this;
}

CRawScan& CRawScan::operator+=(const CRawScan& other)
{
    detail::checkpoint("operator+=");
    return combine(other, true);
}

CRawScan& CRawScan::operator-=(const CRawScan& other)
{
    detail::checkpoint("operator-=");
    return combine(other, false);
}

CRawScan& CRawScan::operator/=(double divisor)
{
    detail::checkpoint("operator/");
    if (!std::isfinite(divisor) || divisor == 0.0)
        throw EngineError("a scan divided by " + std::to_string(divisor));
    for (ScanPacket& p : m_packets)
        for (DataPeak& d : p.points)
            d.intensity /= divisor;
    for (double& r : m_readings)
        r /= divisor;
    return *this;
}

CRawScan CRawScan::operator/(double divisor) const
{
    CRawScan copy(*this);
    copy /= divisor;
    return copy;
}

}  // namespace rawengine
