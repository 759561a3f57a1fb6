// Raw-file engine stand-in: one scan read from a controller.
//
// A CRawScan is a value: CVirtualData::GetScan hands out a new one owned by
// the caller. A spectral scan (mass spectrometer, PDA) holds packets
// (segments) of 32-byte points in the instrument's order, each packet with
// its mass range; a channel scan (analog, A/D card, UV) holds one reading
// per channel. A mass-spectrometer scan also carries its label and noise
// records (labels in ascending mass).
//
// The mass resolution is the scan's mass tolerance: by default in amu (the
// controller's run-header mass resolution, or 0.5 when that is not above
// 0); with a user-defined tolerance it is read in the tolerance units
// (mmu, ppm or amu).
//
// Centroiding (ToCentroid, profile scans only): in each packet every local
// maximum above 0 (not below its left neighbour, above its right one, so a
// plateau counts once) becomes one point at the intensity-weighted centre
// of the points around it that lie within the mass resolution (the
// tolerance at the apex) and keep falling away from it; its intensity is
// the apex height. The packet type becomes its centroid type.
//
// Arithmetic (+=, -=): the points of both scans on the union of their mass
// axes: each point of the other scan joins the nearest point of this one
// when within this scan's tolerance, else it is added; a difference below
// 0 reads 0 (an unmatched point of the other scan is added at 0). The
// result is one packet spanning both scans' ranges; labels and noise,
// which describe one scan, are dropped. Channel readings add and subtract
// element by element. Division (/) divides every intensity; a divisor of
// 0 or one that is not a number throws EngineError. Empty scans give empty
// results.
//
// Accessors throw EngineError for a packet index outside the scan.
#pragma once

#include "rawmodel.h"

#include <vector>

namespace rawengine {

enum ToleranceUnits : int32_t { kTolMmu = 0, kTolPpm = 1, kTolAmu = 2 };

// Tolerance of a scan that names none.
constexpr double kDefaultMassResolution = 0.5;

class RAWENGINE_API CRawScan {
public:
    // An empty scan without index data.
    CRawScan();
    // Scan `scanNumber` of a controller of `kind` from its record.
    CRawScan(const ScanRecord& record, int32_t kind, int32_t scanNumber, double massResolution);

    int32_t ScanNumber() const { return m_scanNumber; }
    uint32_t PacketType() const { return m_packetType; }
    bool IsProfile() const { return IsProfileScan(m_packetType); }
    // False for a scan made empty or combined from nothing.
    bool HasIndexData() const { return m_hasIndexData; }
    double StartTime() const { return m_startTime; }

    int NumPackets() const { return int(m_packets.size()); }
    const ScanPacket& GetPacket(int i) const;
    void GetSegmentMassRange(int i, double& low, double& high) const;
    size_t NumPoints() const;
    const std::vector<ScanPacket>& Packets() const { return m_packets; }
    const std::vector<double>& GetReadings() const { return m_readings; }
    const std::vector<LabelPeak>& GetLabelPeaks() const { return m_labels; }
    const std::vector<NoiseRecord>& GetNoise() const { return m_noise; }

    void SetMassResolution(double value) { m_massResolution = value; }
    double GetMassResolution() const { return m_massResolution; }
    void SetUserDefinedTolerance(bool on) { m_userTolerance = on; }
    bool IsUserDefinedTolerance() const { return m_userTolerance; }
    void SetToleranceUnits(int32_t units) { m_toleranceUnits = units; }
    int32_t GetToleranceUnits() const { return m_toleranceUnits; }
    // The tolerance in amu at a mass.
    double ToleranceAt(double mass) const;

    void ToCentroid();
    CRawScan& operator+=(const CRawScan& other);
    CRawScan& operator-=(const CRawScan& other);
    CRawScan& operator/=(double divisor);
    CRawScan operator/(double divisor) const;

private:
    CRawScan& combine(const CRawScan& other, bool add);

    int32_t m_scanNumber = 0;
    uint32_t m_packetType = kPacketLrSp;
    bool m_hasIndexData = false;
    double m_startTime = 0.0;
    std::vector<ScanPacket> m_packets;
    std::vector<double> m_readings;
    std::vector<LabelPeak> m_labels;
    std::vector<NoiseRecord> m_noise;
    double m_massResolution = kDefaultMassResolution;
    bool m_userTolerance = false;
    int32_t m_toleranceUnits = kTolMmu;
};

}  // namespace rawengine
