// Scans: construction from a record and the accessors.
#include "rawscan.h"
#include "rawtesthooks.h"

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

}  // namespace rawengine
