// Text spectrum files: one point per line ("m/z intensity"), text lines
// forming the title, a "continuum" line marking a profile spectrum. A file
// may hold several spectra, each introduced by a header line that contains
// "retention time" and "=" followed by the time; opened as a dataset it
// yields the spectra by position and their total-ion chromatogram.
//
// Files are 8-bit text (Latin-1); lines end in LF or CR LF on reading and
// in CR LF on writing; numbers are read and written in the "C" locale
// whatever the process locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kstypes.h"

class CMassSpectrum;
namespace ks_text {
class LineReader;
}

class CTextDataIO {
public:
    CTextDataIO();
    ~CTextDataIO();
    CTextDataIO(const CTextDataIO&) = delete;
    CTextDataIO& operator=(const CTextDataIO&) = delete;

    // One line (without its line end). True for a data line, with the point
    // in x and y; false for a text line, with its text from the first
    // non-blank character in `text` (when given; empty for a line that
    // starts like a number but holds none). With `listing`, the third of
    // three numbers is the intensity.
    static bool ParseLine(const char* line, size_t length, bool listing, double& x, double& y,
                          std::wstring* text);
    static bool ParseLine(const std::string& line, bool listing, double& x, double& y, std::wstring& text);

    // The whole file as one spectrum. True also for a file without points.
    bool ReadSpectrum(const std::wstring& path, CMassSpectrum& spectrum);
    // Writes the points (and "continuum" for a profile spectrum); title and
    // the other fields are not written. A failed write leaves no file.
    bool WriteSpectrum(const std::wstring& path, const CMassSpectrum& spectrum);

    // The dataset file. Open replaces any open file.
    bool Open(const std::wstring& path);
    void Close();
    bool IsOpen() const;
    // Number of spectra (header lines, at least 1) of the open file; 0 while
    // none is open. ReadTIC replaces it with the number of spectra it read.
    LONG SpectrumCount();
    // Spectrum n (from 1) of the open file; true when it holds a point.
    bool ReadDatasetSpectrum(LONG n, CMassSpectrum& spectrum);
    // Header time and intensity sum of spectrum 1, 2, ... up to the first
    // one without points.
    bool ReadTIC(LONG& count, std::vector<double>& times, std::vector<double>& sums);

    // Header time of the spectrum last read from the dataset file.
    double CurrentRetentionTime() const { return m_dCurrentRT; }
    // Folder (with its trailing separator) of the last file read, written
    // or opened.
    const std::wstring& GetFolder() const { return m_Folder; }
    // "KSTextProvider.KSTextProvider; <path>" of the last file read,
    // written or opened.
    const std::wstring& GetDataSource() const { return m_DataSource; }

    // The data-source string of a path.
    static std::wstring DataSourceOf(const std::wstring& path);

private:
    struct Header {
        int64_t body;   // file offset of the line after the header
        double time;
        bool timed;     // the header holds a usable "=" and time
    };
    struct Block {
        double sum;
        int64_t points;
    };
    void SetPathInfo(const std::wstring& path, bool withDataSource);
    bool EnsureScanned();
    bool SpectrumStart(LONG n, int64_t& offset, double& time, size_t& block) const;

    std::wstring m_DataSource;
    std::wstring m_Folder;
    int m_fd;
    std::unique_ptr<ks_text::LineReader> m_pReader;
    LONG m_nSpectrumCount;  // 0: not counted yet
    double m_dCurrentRT;
    // One pass over the open file finds the headers and the point count and
    // intensity sum of every block between them (block 0 lies before the
    // first header, block k after header k).
    bool m_bScanned;
    bool m_bScanOk;
    std::vector<Header> m_Headers;
    std::vector<Block> m_Blocks;
};
