// The value objects of the core library: a mass spectrum and a
// chromatogram, copied out of a dataset (or computed) and owned by whoever
// holds them. Both keep where they came from (injection, function, trace
// index; -1 when unknown) and serialise to a versioned byte image with a
// checksum (tksimage.h) that the plug-in stores unread in its documents.
//
// Serialisation: getSerializedSize() bytes; serialize(buffer, size) writes
// them and answers false, writing nothing, when the buffer is missing or
// smaller; deserialize(data, size) answers false for anything but a whole,
// intact image of its kind and version 1, and then leaves the object as it
// was.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tindrelglobal.h"

class TINDREL_EXPORT TKSMassSpectrum {
public:
    TKSMassSpectrum();

    // Points: m/z and intensity, equal in number, in the order given.
    int getCount() const { return static_cast<int>(m_mz.size()); }
    const std::vector<double>& getMZValues() const { return m_mz; }
    const std::vector<double>& getIntensities() const { return m_intensity; }
    // False (nothing changes) when the two arrays differ in length.
    bool setPoints(std::vector<double> mz, std::vector<double> intensity);
    // Removes the points and ranges; the other fields stay.
    void clearPoints();

    // Axis extremes and base peak (all 0 without points; NaN values are
    // passed over).
    double getMinimumMZ() const;
    double getMaximumMZ() const;
    double getMinimumIntensity() const;
    double getMaximumIntensity() const;
    double getBasePeakIntensity() const { return getMaximumIntensity(); }
    // The m/z of the first point with the largest intensity.
    double getBasePeakMZ() const;

    bool isCentroid() const { return m_centroid; }
    void setCentroid(bool centroid) { m_centroid = centroid; }
    // 1 for MS, 2 for MS/MS and so on; 0 when unknown.
    int getMSOrder() const { return m_msOrder; }
    void setMSOrder(int order) { m_msOrder = order; }
    // FunctionPolarity: 0 unknown, 1 positive, 2 negative, 3 mixed.
    int getPolarity() const { return m_polarity; }
    void setPolarity(int polarity) { m_polarity = polarity; }
    // Precursor m/z of an MS/MS spectrum; 0 when none.
    double getPrecursorMZ() const { return m_precursorMZ; }
    void setPrecursorMZ(double mz) { m_precursorMZ = mz; }

    int getInjectionIndex() const { return m_injection; }
    int getFunctionIndex() const { return m_function; }
    void setSource(int injection, int function);

    // The scans (and their retention times) co-added into this spectrum, and
    // those subtracted from it as background; empty for a computed spectrum.
    const std::vector<TKSScanRange>& getScanRanges() const { return m_scans; }
    const std::vector<TKSScanRange>& getBackgroundScanRanges() const { return m_backgroundScans; }
    const std::vector<TKSTimeRange>& getTimeRanges() const { return m_times; }
    const std::vector<TKSTimeRange>& getBackgroundTimeRanges() const { return m_backgroundTimes; }
    void setScanRanges(const std::vector<TKSScanRange>& scans, const std::vector<TKSTimeRange>& times);
    void setBackgroundRanges(const std::vector<TKSScanRange>& scans, const std::vector<TKSTimeRange>& times);

    size_t getSerializedSize() const;
    bool serialize(unsigned char* buffer, size_t size) const;
    bool deserialize(const unsigned char* data, size_t size);

private:
    std::vector<unsigned char> image() const;

    std::vector<double> m_mz;
    std::vector<double> m_intensity;
    bool m_centroid;
    int m_msOrder;
    int m_polarity;
    double m_precursorMZ;
    int m_injection;
    int m_function;
    std::vector<TKSScanRange> m_scans;
    std::vector<TKSScanRange> m_backgroundScans;
    std::vector<TKSTimeRange> m_times;
    std::vector<TKSTimeRange> m_backgroundTimes;
};

class TINDREL_EXPORT TKSChromatogram {
public:
    TKSChromatogram();

    // Points: retention time (minutes) and intensity.
    int getCount() const { return static_cast<int>(m_times.size()); }
    const std::vector<double>& getRTValues() const { return m_times; }
    const std::vector<double>& getIntensities() const { return m_intensity; }
    bool setPoints(std::vector<double> times, std::vector<double> intensity);
    void clearPoints();

    // Axis extremes (0 without points; NaN values are passed over).
    double getMinimumRT() const;
    double getMaximumRT() const;
    double getMinimumIntensity() const;
    double getMaximumIntensity() const;

    int getInjectionIndex() const { return m_injection; }
    int getFunctionIndex() const { return m_function; }
    int getTraceIndex() const { return m_trace; }
    void setSource(int injection, int function, int trace);

    size_t getSerializedSize() const;
    bool serialize(unsigned char* buffer, size_t size) const;
    bool deserialize(const unsigned char* data, size_t size);

private:
    std::vector<unsigned char> image() const;

    std::vector<double> m_times;
    std::vector<double> m_intensity;
    int m_injection;
    int m_function;
    int m_trace;
};
