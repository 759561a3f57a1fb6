// Raw-file engine stand-in: chromatograms (traces) of a controller.
//
// Trace types are the engine's numbers:
//   mass spectrometer 0 mass range, 1 total ion, 2 base peak;
//   UV detector channels 0 to 7: 11 to 18;
//   PDA 21 wavelength range, 22 total scan, 23 spectrum maximum;
//   analog channels 0 to 7: 31 to 38;  A/D card channels 0 to 7: 51 to 58;
//   46 none.
// TranslateTraceCBIndexToEnum turns a trace index of a controller kind
// into its type: for the mass spectrometer and the PDA the indexes 0, 1, 2
// in that order, for the channel kinds the channel number; anything else
// (and kinds 5 and unknown) gives the fallback.
//
// A CRawChro is one request and its readings: a trace type, an optional
// filter (mass spectrometer only; copied), a delay added to every reading's
// time, and mass ranges for the traces that take them. CVirtualData::GetChro
// fills several in one pass over a window of scans; CalcChro combines two;
// CSmoother smooths. Each reading is a DataPeak: intensity, time (position),
// base-peak m/z, scan and ReadingFlag bits, ascending by scan.
//
// Readings per scan:
// - mass range (0; PDA 21): the sum of the points whose position lies in
//   any range (each point once), the base peak the strongest of them;
// - total ion (1; PDA 22): the index entry's total intensity and base-peak
//   mass (ranges are not used);
// - base peak (2; PDA 23): without ranges the index entry's base peak
//   (PDA: the strongest point), with ranges the strongest point in them;
// - channel types: the channel's reading (0, flagged empty, when the scan
//   has no reading for it).
// A scan with no point in the ranges reads 0, flagged empty.
//
// Errors (EngineError): a trace type that does not belong to the
// controller's kind, a filter on another kind, an unknown operator or
// smoother, an even or negative point count. Empty chromatograms and
// windows give empty results, never a read outside the data.
#pragma once

#include "rawfilter.h"

#include <memory>
#include <vector>

namespace rawengine {

enum TraceType : int32_t {
    kTraceMassRange = 0,
    kTraceTIC = 1,
    kTraceBasePeak = 2,
    kTraceUVFirst = 11,
    kTracePDAWavelengthRange = 21,
    kTracePDATotalScan = 22,
    kTracePDASpectrumMax = 23,
    kTraceAnalogFirst = 31,
    kTraceNone = 46,
    kTraceADCardFirst = 51,
};
constexpr int32_t kMaxTraceChannels = 8;

RAWENGINE_API int32_t TranslateTraceCBIndexToEnum(int32_t index, int32_t kind, int32_t fallback);
RAWENGINE_API bool IsMSTraceType(int32_t type);
RAWENGINE_API bool IsPDATraceType(int32_t type);
RAWENGINE_API bool IsAnalogTraceType(int32_t type);
RAWENGINE_API bool IsA2DCardTraceType(int32_t type);
RAWENGINE_API bool IsChannelTraceType(int32_t type);  // the UV detector's
// The channel a channel-kind type reads, or -1.
RAWENGINE_API int32_t TraceChannel(int32_t type);
// Whether a type is a trace of a controller kind.
RAWENGINE_API bool IsTraceTypeOfKind(int32_t type, int32_t kind);

// Flag bits of a reading.
enum ReadingFlag : uint8_t {
    kReadingProfile = 1,     // the scan holds profile data
    kReadingDependent = 2,   // the scan is a dependent scan
    kReadingEmpty = 4,       // nothing of the scan fell in the trace (read as 0)
    kReadingCombined = 8,    // combined with a second trace
    kReadingSmoothed = 16,   // smoothed over more than itself
    kReadingClamped = 32,    // a difference below 0, read as 0
};

// Operators of CalcChro.
enum ChroOperator : int32_t { kChroSingle = 0, kChroDifference = 1, kChroSum = 2 };
// Smoothers of CSmoother.
enum SmoothingType : int32_t { kSmoothNone = 0, kSmoothMovingMean = 1, kSmoothGaussian = 2 };

class RAWENGINE_API CRawChro {
public:
    explicit CRawChro(int32_t traceType, const CFilter* filter = nullptr, double delay = 0.0);
    CRawChro(const CRawChro& other);
    CRawChro& operator=(const CRawChro& other);
    ~CRawChro();

    int32_t TraceType() const { return m_type; }
    const CFilter* Filter() const { return m_filter.get(); }
    double Delay() const { return m_delay; }
    void SetMassRanges(std::vector<MassRange> ranges) { m_ranges = std::move(ranges); }
    const std::vector<MassRange>& MassRanges() const { return m_ranges; }

    int NumReadings() const { return int(m_readings.size()); }
    const DataPeak& Reading(int i) const;  // EngineError outside
    const std::vector<DataPeak>& Readings() const { return m_readings; }
    std::vector<DataPeak>& MutableReadings() { return m_readings; }
    // The first reading of a scan at or after `scan`, the last at or
    // before it; -1 when there is none.
    int IndexAtOrAfterScan(int32_t scan) const;
    int IndexAtOrBeforeScan(int32_t scan) const;

private:
    int32_t m_type;
    std::unique_ptr<CFilter> m_filter;
    double m_delay;
    std::vector<MassRange> m_ranges;
    std::vector<DataPeak> m_readings;
};

// Combines `a` with `b` reading by reading (the reading of b of the same
// scan, 0 where b has none): kChroDifference a - b, below 0 read as 0 and
// flagged; kChroSum a + b. `a` keeps its scans, times and base peaks.
RAWENGINE_API void CalcChro(CRawChro& a, const CRawChro& b, int32_t op);

class RAWENGINE_API CSmoother {
public:
    // Smooths the intensities over `points` readings (odd, 1 or more)
    // centred on each: kSmoothMovingMean the mean, kSmoothGaussian weights
    // exp(-k^2 / (2 sigma^2)) with sigma a quarter of the window's width.
    // At the ends the window shrinks to what is there on both sides (the
    // first and last readings stay as they are); a window wider than the
    // chromatogram is such a window everywhere. kSmoothNone does nothing.
    static void SmoothChro(CRawChro& chro, int32_t type, int32_t points);
};

}  // namespace rawengine
