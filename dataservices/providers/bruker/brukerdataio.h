// CBrukerDataIO: the spectra of one XMASS experiment.
//
// Open loads the acquisition parameters (and, for a processing, the
// processing parameters), opens the raw ("fid", "ser") or processed ("1r",
// "2rr") data file and checks every size the parameters give against the
// file: a scan is "$TD" (raw) or "$SI" (processed) 32-bit integers, a
// series holds "$NF" scans, a processed series is stored in blocks of
// "$XDIM" (processing) by "$XDIM" (second-dimension processing) points.
// Parameters that do not fit the file make Open false, so no size read
// from a file ever sizes an allocation beyond the file itself.
//
// A scan is read as 32-bit integers in the byte order of "$BYTORDA" /
// "$BYTORDP" (1: big-endian), divided by 2^-NC when NC ("$NC" /
// "$NC_proc") is negative, and held in single precision. Its m/z values
// come from one of seven calibration modes (see Calibrate); raw data uses
// mode 6, the point number. A scan that cannot be read whole fails.
//
// The data-source string names an experiment:
//   "KSBrukerProvider.KSBrukerProvider; <dataset folder>; <expno>; <procno>"
// (an empty procno leaves a trailing "; "; an empty expno names the
// dataset folder itself as the experiment).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bruker.h"
#include "kstypes.h"

class CMassSpectrum;

inline constexpr const wchar_t* kBrukerClassName = L"KSBrukerProvider.KSBrukerProvider";
// Limits of the data-source string: each field, and the whole string, in
// characters.
inline constexpr size_t kBrukerMaxDataSourceField = 259;
inline constexpr size_t kBrukerMaxDataSource = 519;

struct BrukerDataSource {
    std::wstring className;
    std::wstring folder;
    std::wstring expno;
    std::wstring procno;
};

// Reads "%[^;]; %[^;]; %[^;]; %[^;]": each field runs to the next ";" and
// cannot be empty (the first empty field ends the reading, the fields
// after it stay empty); white space after each ";" is skipped. False when
// the first field is not the class name (without regard to case), or when
// the string or a field is longer than its limit.
bool ParseDataSource(const std::wstring& text, BrukerDataSource& source);
// "%s; %s; %s; %s" with the class name.
std::wstring FormatDataSource(const std::wstring& folder, const std::wstring& expno, const std::wstring& procno);

// What a reader takes from an experiment's parameter files when it opens:
// where the data lies and how to read and calibrate it. Values are those
// of a reset reader until an open fills them.
struct BrukerExperimentLayout {
    enum DataKind { NoData = 0, RawData = 1, ProcessedData = 2 };

    std::wstring m_DatasetFolder;
    std::wstring m_Expno;
    std::wstring m_Procno;
    std::wstring m_DataSource;

    DataKind m_Kind = NoData;
    bool m_bSeries = false;
    bool m_bTimeOfFlight = false;
    std::wstring m_Title;
    std::wstring m_AcquisitionDate;
    std::wstring m_DataFile;

    LONG m_nScans = 0;
    double m_dScanInterval = 0;  // seconds; 0 when not known
    double m_dLowMass = 0;
    double m_dHighMass = 0;

    LONG m_bByteOrder = 0;  // 1: big-endian
    LONG m_nNC = 0;
    LONG m_nTD = 0;
    LONG m_nSI = 0;
    LONG m_nBlockWidth = 0;
    LONG m_nBlockHeight = 0;
    LONG m_nPoints = 0;

    LONG m_nDetectionMode = 0;
    LONG m_nCalibrationMode = 6;
    bool m_bTiltYes = false;  // "$TILT" = "yes"; "no" and a missing value take the other branch
    double m_dFRLow = 0;
    double m_dML1 = 0;
    double m_dML2 = 0;
    double m_dML3 = 0;
    double m_dSW = 0;
    double m_dDW = 0;
    double m_dDelay = 0;
};

class CBrukerDataIO : private BrukerExperimentLayout {
public:
    using BrukerExperimentLayout::DataKind;
    using BrukerExperimentLayout::NoData;
    using BrukerExperimentLayout::RawData;
    using BrukerExperimentLayout::ProcessedData;

    CBrukerDataIO();
    virtual ~CBrukerDataIO();
    CBrukerDataIO(const CBrukerDataIO&) = delete;
    CBrukerDataIO& operator=(const CBrukerDataIO&) = delete;

    // Closes, empties every text and dictionary, sets counts, flags and
    // values to 0 and the calibration mode to 6.
    void Reset();
    // Raw data of the experiment when procno is empty, otherwise that
    // processing. Starts from the reset state; false leaves it closed.
    bool Open(const std::wstring& dataset, const std::wstring& expno, const std::wstring& procno);
    bool OpenDataSource(const std::wstring& dataSource);
    // Opens an experiment again from what an earlier open took from its
    // parameter files (Layout), without reading them: only the data file
    // is opened and checked. The parameter dictionaries stay empty, so
    // ReadPrecursors answers false.
    bool Open(const BrukerExperimentLayout& layout);
    // What the open took from the parameter files.
    const BrukerExperimentLayout& Layout() const { return *this; }
    // Closes the data file and frees the scan buffers.
    void Close();

    bool IsOpen() const { return m_bOpen; }
    // The number of scans while open, else 0.
    LONG ScanCount() const { return m_bOpen ? m_nScans : 0; }
    LONG PointsPerScan() const { return m_nPoints; }

    // Scan `scan` (from 1; 0 and below read scan 1) into the
    // single-precision buffer. False when not open, for a scan above the
    // count and when the scan cannot be read whole.
    bool ReadScan(LONG scan);
    // The buffer ReadScan filled: PointsPerScan values.
    const float* ScanValues() const { return m_Values.data(); }

    // Reads the scan and fills the spectrum: title, retention time (from
    // "$GCT" for a series, otherwise the scan number), scan range, profile,
    // and the points inside the acquisition mass range (all of them in
    // mode 6).
    bool GetCalibratedSpectrum(LONG scan, CMassSpectrum& spectrum);
    // Start time and total intensity of every scan; false when a scan
    // fails.
    bool TIC(LONG& count, std::vector<double>& times, std::vector<double>& intensities);
    // The precursor m/z values of "$PI": four numbers, 100 standing for
    // none. False when "$PI" is missing or does not hold four numbers.
    bool ReadPrecursors(std::vector<double>& list) const;
    // Opens the data source, reads the scan numbered by scanText (a
    // positive integer not above the count) and closes again.
    bool ReadSpectrumFromSource(const std::wstring& dataSource, const std::wstring& scanText,
                                CMassSpectrum& spectrum);

    // The m/z of point i (0-based) of a scan of the open experiment.
    double Calibrate(LONG i) const;

    const std::wstring& GetDatasetFolder() const { return m_DatasetFolder; }
    const std::wstring& GetExperiment() const { return m_Expno; }
    const std::wstring& GetProcno() const { return m_Procno; }
    const std::wstring& GetDataSource() const { return m_DataSource; }
    const std::wstring& GetTitle() const { return m_Title; }
    const std::wstring& GetAcquisitionDate() const { return m_AcquisitionDate; }
    const std::wstring& GetDataFile() const { return m_DataFile; }
    DataKind GetKind() const { return m_Kind; }
    bool IsSeries() const { return m_bSeries; }
    bool IsTimeOfFlight() const { return m_bTimeOfFlight; }
    LONG GetCalibrationMode() const { return m_nCalibrationMode; }
    double GetScanInterval() const { return m_dScanInterval; }
    double GetLowMass() const { return m_dLowMass; }
    double GetHighMass() const { return m_dHighMass; }
    LONG GetLastScan() const { return m_nLastScan; }
    const CBruker& Acquisition() const { return m_Acquisition; }
    const CBruker& Processing() const { return m_Processing; }
    const CBruker& Processing2() const { return m_Processing2; }

private:
    bool LoadParameters(const std::wstring& dataset, const std::wstring& expno, const std::wstring& procno);
    bool CheckSizes(LONGLONG fileSize);
    bool ReadBytes(LONGLONG offset, size_t points, int32_t* into) const;

    bool OpenDataFile();

    LONG m_nLastScan;

    CBruker m_Acquisition;
    CBruker m_Processing;
    CBruker m_Processing2;

    bool m_bOpen;
    int m_fd;
    std::vector<int32_t> m_Raw;
    std::vector<float> m_Values;
};
