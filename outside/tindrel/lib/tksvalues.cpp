#include "tksvalues.h"

#include <cmath>
#include <utility>

#include "tksimage.h"

namespace {

const char kSpectrumMagic[4] = {'T', 'K', 'M', 'S'};
const char kChromatogramMagic[4] = {'T', 'K', 'C', 'H'};
const uint32_t kVersion = 1;

// Smallest and largest value, NaN passed over; 0 and 0 when none is a number.
void extremes(const std::vector<double>& values, double& low, double& high)
{
    bool any = false;
    low = high = 0;
    for (double v : values) {
        if (std::isnan(v))
            continue;
        if (!any || v < low)
            low = v;
        if (!any || v > high)
            high = v;
        any = true;
    }
}

double minimumOf(const std::vector<double>& values)
{
    double low, high;
    extremes(values, low, high);
    return low;
}

double maximumOf(const std::vector<double>& values)
{
    double low, high;
    extremes(values, low, high);
    return high;
}

void writeScanRanges(tindrel::ImageWriter& w, const std::vector<TKSScanRange>& ranges)
{
    w.u32(static_cast<uint32_t>(ranges.size()));
    for (const TKSScanRange& r : ranges) {
        w.i32(r.first);
        w.i32(r.last);
    }
}

void writeTimeRanges(tindrel::ImageWriter& w, const std::vector<TKSTimeRange>& ranges)
{
    w.u32(static_cast<uint32_t>(ranges.size()));
    for (const TKSTimeRange& r : ranges) {
        w.f64(r.start);
        w.f64(r.end);
    }
}

bool readScanRanges(tindrel::ImageReader& r, std::vector<TKSScanRange>& ranges)
{
    uint32_t n = 0;
    if (!r.count(n, 8))
        return false;
    ranges.resize(n);
    for (TKSScanRange& range : ranges) {
        int32_t first = 0, last = 0;
        if (!r.i32(first) || !r.i32(last) || first < 1 || first > last)
            return false;
        range = TKSScanRange{first, last};
    }
    return true;
}

bool readTimeRanges(tindrel::ImageReader& r, std::vector<TKSTimeRange>& ranges)
{
    uint32_t n = 0;
    if (!r.count(n, 16))
        return false;
    ranges.resize(n);
    for (TKSTimeRange& range : ranges) {
        double start = 0, end = 0;
        if (!r.f64(start) || !r.f64(end) || !(start <= end))
            return false;
        range = TKSTimeRange{start, end};
    }
    return true;
}

}  // namespace

// --- TKSMassSpectrum ---------------------------------------------------------

TKSMassSpectrum::TKSMassSpectrum()
    : m_centroid(false), m_msOrder(0), m_polarity(0), m_precursorMZ(0), m_injection(-1), m_function(-1)
{
}

bool TKSMassSpectrum::setPoints(std::vector<double> mz, std::vector<double> intensity)
{
    if (mz.size() != intensity.size())
        return false;
    m_mz = std::move(mz);
    m_intensity = std::move(intensity);
    return true;
}

void TKSMassSpectrum::clearPoints()
{
    m_mz.clear();
    m_intensity.clear();
    m_scans.clear();
    m_backgroundScans.clear();
    m_times.clear();
    m_backgroundTimes.clear();
}

double TKSMassSpectrum::getMinimumMZ() const
{
    return minimumOf(m_mz);
}

double TKSMassSpectrum::getMaximumMZ() const
{
    return maximumOf(m_mz);
}

double TKSMassSpectrum::getMinimumIntensity() const
{
    return minimumOf(m_intensity);
}

double TKSMassSpectrum::getMaximumIntensity() const
{
    return maximumOf(m_intensity);
}

double TKSMassSpectrum::getBasePeakMZ() const
{
    double best = 0;
    double mz = 0;
    bool any = false;
    for (size_t i = 0; i < m_intensity.size(); ++i) {
        if (std::isnan(m_intensity[i]))
            continue;
        if (!any || m_intensity[i] > best) {
            best = m_intensity[i];
            mz = m_mz[i];
            any = true;
        }
    }
    return mz;
}

void TKSMassSpectrum::setSource(int injection, int function)
{
    m_injection = injection;
    m_function = function;
}

void TKSMassSpectrum::setScanRanges(const std::vector<TKSScanRange>& scans, const std::vector<TKSTimeRange>& times)
{
    m_scans = scans;
    m_times = times;
}

void TKSMassSpectrum::setBackgroundRanges(const std::vector<TKSScanRange>& scans,
                                          const std::vector<TKSTimeRange>& times)
{
    m_backgroundScans = scans;
    m_backgroundTimes = times;
}

std::vector<unsigned char> TKSMassSpectrum::image() const
{
    tindrel::ImageWriter w;
    w.u8(m_centroid ? 1 : 0);
    w.i32(m_msOrder);
    w.i32(m_polarity);
    w.f64(m_precursorMZ);
    w.i32(m_injection);
    w.i32(m_function);
    w.doubles(m_mz);
    w.doubles(m_intensity);
    writeScanRanges(w, m_scans);
    writeTimeRanges(w, m_times);
    writeScanRanges(w, m_backgroundScans);
    writeTimeRanges(w, m_backgroundTimes);
    return w.image(kSpectrumMagic, kVersion);
}

size_t TKSMassSpectrum::getSerializedSize() const
{
    return tindrel::kImageOverhead + 1 + 4 + 4 + 8 + 4 + 4 + 2 * (4 + 8 * m_mz.size()) + 4 + 8 * m_scans.size() +
           4 + 16 * m_times.size() + 4 + 8 * m_backgroundScans.size() + 4 + 16 * m_backgroundTimes.size();
}

bool TKSMassSpectrum::serialize(unsigned char* buffer, size_t size) const
{
    if (!buffer || size < getSerializedSize())
        return false;
    return tindrel::copyImage(image(), buffer, size);
}

bool TKSMassSpectrum::deserialize(const unsigned char* data, size_t size)
{
    uint32_t version = 0;
    const unsigned char* payload = nullptr;
    size_t payloadSize = 0;
    if (!tindrel::openImage(data, size, kSpectrumMagic, kVersion, version, payload, payloadSize))
        return false;
    tindrel::ImageReader r(payload, payloadSize);
    TKSMassSpectrum s;
    uint8_t flags = 0;
    int32_t order = 0, polarity = 0, injection = 0, function = 0;
    r.u8(flags);
    r.i32(order);
    r.i32(polarity);
    r.f64(s.m_precursorMZ);
    r.i32(injection);
    r.i32(function);
    r.doubles(s.m_mz);
    r.doubles(s.m_intensity);
    if (!r.ok() || flags > 1 || s.m_mz.size() != s.m_intensity.size())
        return false;
    if (!readScanRanges(r, s.m_scans) || !readTimeRanges(r, s.m_times) || !readScanRanges(r, s.m_backgroundScans) ||
        !readTimeRanges(r, s.m_backgroundTimes) || !r.atEnd())
        return false;
    s.m_centroid = flags == 1;
    s.m_msOrder = order;
    s.m_polarity = polarity;
    s.m_injection = injection;
    s.m_function = function;
    *this = std::move(s);
    return true;
}

// --- TKSChromatogram ---------------------------------------------------------

TKSChromatogram::TKSChromatogram() : m_injection(-1), m_function(-1), m_trace(-1) {}

bool TKSChromatogram::setPoints(std::vector<double> times, std::vector<double> intensity)
{
    if (times.size() != intensity.size())
        return false;
    m_times = std::move(times);
    m_intensity = std::move(intensity);
    return true;
}

void TKSChromatogram::clearPoints()
{
    m_times.clear();
    m_intensity.clear();
}

double TKSChromatogram::getMinimumRT() const
{
    return minimumOf(m_times);
}

double TKSChromatogram::getMaximumRT() const
{
    return maximumOf(m_times);
}

double TKSChromatogram::getMinimumIntensity() const
{
    return minimumOf(m_intensity);
}

double TKSChromatogram::getMaximumIntensity() const
{
    return maximumOf(m_intensity);
}

void TKSChromatogram::setSource(int injection, int function, int trace)
{
    m_injection = injection;
    m_function = function;
    m_trace = trace;
}

std::vector<unsigned char> TKSChromatogram::image() const
{
    tindrel::ImageWriter w;
    w.i32(m_injection);
    w.i32(m_function);
    w.i32(m_trace);
    w.doubles(m_times);
    w.doubles(m_intensity);
    return w.image(kChromatogramMagic, kVersion);
}

size_t TKSChromatogram::getSerializedSize() const
{
    return tindrel::kImageOverhead + 3 * 4 + 2 * (4 + 8 * m_times.size());
}

bool TKSChromatogram::serialize(unsigned char* buffer, size_t size) const
{
    if (!buffer || size < getSerializedSize())
        return false;
    return tindrel::copyImage(image(), buffer, size);
}

bool TKSChromatogram::deserialize(const unsigned char* data, size_t size)
{
    uint32_t version = 0;
    const unsigned char* payload = nullptr;
    size_t payloadSize = 0;
    if (!tindrel::openImage(data, size, kChromatogramMagic, kVersion, version, payload, payloadSize))
        return false;
    tindrel::ImageReader r(payload, payloadSize);
    TKSChromatogram c;
    int32_t injection = 0, function = 0, trace = 0;
    r.i32(injection);
    r.i32(function);
    r.i32(trace);
    r.doubles(c.m_times);
    r.doubles(c.m_intensity);
    if (!r.atEnd() || c.m_times.size() != c.m_intensity.size())
        return false;
    c.m_injection = injection;
    c.m_function = function;
    c.m_trace = trace;
    *this = std::move(c);
    return true;
}
