// ChemStation MSD data files: the mass spectra of one acquisition, in up
// to four files "MSD1.MS" to "MSD4.MS" (or one "DATA.MS") of a data
// directory, beside the signal files and the acquisition method folder
// "RUN.M".
//
// Layout (big-endian throughout; positions counted in 16-bit words from 1
// become byte offsets 2 x value - 2):
//   header, 512 bytes: 0x01 0x32 at 0, the file-type text at 5 ("MSD
//     Spectral File", "GC / MS Data File"), the sample name at 25, the
//     directory position at 260, the scan count at 278, the run end time
//     (ms) at 286; texts run from there to their first zero byte.
//   directory: 12 bytes per scan: scan header position, retention time
//     (ms), total abundance (signed 32-bit each).
//   scan: an 18-byte header (profile when the low five bits of the word at
//     8 are 2; point count at 12; base-peak m/z x 20 at 14; base-peak
//     abundance code at 16), then 4 bytes per point: m/z x 20 and the
//     abundance code.
// m/z words are unsigned (m/z up to 3276.75). An abundance code holds a
// 14-bit mantissa and a 2-bit exponent e: mantissa x 8^e.
//
// Every count and offset comes from the file and is checked against the
// file size before it is used: a file whose directory, scan headers or
// points do not lie within it does not open (E_FAIL), and nothing is ever
// allocated for more than the file holds. Scans (header and points) that
// overlap or repeat one another are damage too (E_FAIL), so all the scans
// of a file together never hold more points than the file does.
//
// Paths: "\" and "/" are both separators; names inside the data directory
// ("MSD1.MS", "DATA.MS", "RUN.M/ACQ.MS") are found without regard to case,
// and paths keep the case they were given.
#pragma once

#include <string>
#include <vector>

#include "binaryfile.h"
#include "ksenums.h"
#include "kstypes.h"
#include "kswinerror.h"
#include "massspectrum.h"

// One scan of the directory, with what its scan header adds.
struct MSDScanEntry {
    double dRetentionTime = 0;      // minutes
    double dTotalAbundance = 0;
    double dBasePeakMZ = 0;
    double dBasePeakAbundance = 0;
    LONGLONG nHeaderOffset = 0;     // byte offset of the scan header
    LONG nPoints = 0;
    bool bCentroid = true;          // false for a profile scan
    ::FunctionPolarity nPolarity = FunctionPolarityPositive;
};

// The abundance of a 16-bit abundance code: the low 14 bits shifted left
// by three times the top two bits (0 to 8,388,096).
DWORD DecodeAbundance(WORD code);

// Whether the path is an MSD dataset: a file ending in ".ms" (any case),
// or a folder holding "MSD1.MS" to "MSD4.MS" or "DATA.MS" (any case; the
// first found is examined), whose 512-byte header starts with 0x01 0x32
// and whose file-type text is "MSD Spectral File" or "GC / MS DATA FILE"
// (whole text, without regard to case).
bool IsMSDDataset(const std::wstring& path);

// The polarity of MSD file n (1 to 4) from "RUN.M/ACQ.MS" of the data
// directory `path`: the first line beginning with "Polarity=" (file 1) or
// "Polarity <n>=" followed by "0" (positive) or "1" (negative) decides;
// other lines, and a missing or unreadable method, leave `polarity` as it
// is.
void ReadAcquisitionPolarity(const std::wstring& path, int n, ::FunctionPolarity& polarity);

// One MSD file: header and scan directory read when it opens, spectra read
// on demand. Scan indexes count from 0.
class CMSDFile {
public:
    CMSDFile();
    ~CMSDFile();
    CMSDFile(const CMSDFile&) = delete;
    CMSDFile& operator=(const CMSDFile&) = delete;

    // Opens MSD file n (1 to 4) of the data directory `path`; for n = 1 the
    // path may also name the file itself. The path is trimmed of white
    // space at both ends. S_OK; E_INVALIDARG when the file is found but
    // cannot be opened for reading (a folder, FIFO or device, no
    // permission); E_FAIL when there is no such file, or it is not an MSD
    // file, or it is damaged. A failed open leaves the object closed.
    HRESULT Open(const std::wstring& path, int n);
    // Closes the file and resets every field (nothing open: no change).
    void Close();

    bool IsOpen() const { return m_bOpen; }
    // The path the caller gave, trimmed.
    const std::wstring& GetPath() const { return m_strPath; }
    LONG ScanCount() const { return static_cast<LONG>(m_Entries.size()); }
    // Minutes.
    double RunEndTime() const { return m_dRunEndTime; }
    // Trimmed of white space at both ends.
    const std::wstring& SampleName() const { return m_strSampleName; }
    ::FunctionPolarity Polarity() const { return m_nPolarity; }
    const std::vector<MSDScanEntry>& Entries() const { return m_Entries; }
    // Every scan's retention time (minutes), ascending as stored.
    const std::vector<double>& RetentionTimes() const { return m_Times; }

    // Reads scan `index` into the spectrum: points sorted by ascending m/z,
    // retention-time range up to the next scan (the run end for the last),
    // scan numbers index + 1, centroid flag and polarity. False when the
    // file is closed, the index is outside the directory or the read
    // fails; the spectrum is then in no particular state.
    bool ReadSpectrum(LONG index, CMassSpectrum& spectrum);

    // The entry's retention time, total and base-peak abundance; -1 for an
    // index outside the directory.
    double ScanRT(LONG index) const;
    double ScanTIC(LONG index) const;
    double ScanBasePeakAbundance(LONG index) const;

    // The scan a time (minutes) selects: FindIndexByRetentionTime over the
    // directory's times; -1 when none qualifies.
    LONG IndexByRT(double time, FunctionRTProximity proximity) const;

private:
    HRESULT ReadHeader();
    HRESULT ReadDirectory(LONGLONG directoryOffset, LONG scanCount);
    bool ScansAreDistinct() const;

    bool m_bOpen;
    std::wstring m_strPath;
    agilent::CBinaryFile m_File;
    std::vector<MSDScanEntry> m_Entries;
    std::vector<double> m_Times;
    double m_dRunEndTime;
    std::wstring m_strSampleName;
    ::FunctionPolarity m_nPolarity;
    std::vector<uint8_t> m_Points;  // scratch of ReadSpectrum
};
