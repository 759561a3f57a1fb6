// Scan-filter texts of Tavrion raw files as the dataset reader reads them,
// and the functions they group the scans into.
//
// A filter text ("FTMS + p ESI d Full ms2 500.00@35.00 [135.00-1000.00]")
// is read word by word without regard to case: the sign gives the
// polarity, "full", "z", "sim", "srm" or "crm" the scan mode, "d" a
// dependent scan, "ms<n>" the MS order, and the tokens "<m/z>@<energy>"
// the precursors. Scans whose texts give the same lower-case key (the
// words before the sign, the sign, the scan mode and the MS order) form
// one function, whatever their precursors.
//
// Numbers are read in the "C" form whatever the process locale. Parsing
// never fails on any text: Parse answers whether the text is consistent
// (its MS order is one more than its precursor count), and every field is
// filled either way.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "kstypes.h"

// Scan modes of a filter text.
enum TavrionScanMode : LONG {
    TavrionScanModeNone = 0,
    TavrionScanModeFull = 1,
    TavrionScanModeSim = 2,
    TavrionScanModeSrm = 3,
    TavrionScanModeCrm = 4,
    TavrionScanModeZoom = 5,
};

class TavrionScanFilter {
public:
    // A filter text holds at most this many precursor tokens.
    static constexpr int kMaxPrecursors = 10;

    // Reads text into the fields below (all of them set again on every
    // call). True when the MS order equals the number of precursors read
    // plus one; a text without any "@" always parses.
    bool Parse(const std::wstring& text);

    // 1 MS, 2 MSn, 3 zoom MS, 4 zoom MSn (FunctionType's numbers).
    LONG m_nFunctionType = 1;
    // 1 unless the text names one; clamped to the 16-bit range.
    SHORT m_nMSOrder = 1;
    // In the order of the text; zero beyond those read.
    double m_Precursors[kMaxPrecursors] = {};
    // Precursors read (0 to kMaxPrecursors).
    int m_nPrecursorCount = 0;
    // 1 positive, -1 negative, 0 not stated.
    SHORT m_nPolarity = 0;
    bool m_bDependent = false;
    TavrionScanMode m_nScanMode = TavrionScanModeNone;
    // The grouping key: lower-case, e.g. " ftms + full ms2".
    std::wstring m_Key;
    // The text unchanged, except that a dependent scan's first precursor
    // token is taken out (its two blanks stay).
    std::wstring m_DisplayText;
};

// One function of a raw file: the scans whose filters give one key.
struct TavrionFunctionRecord {
    LONG functionType = 1;
    std::wstring displayText;  // the display text of its first scan
    std::wstring key;
    SHORT polarity = 0;
    SHORT msOrder = 1;
    // 0-based scan indexes (scan number minus 1), ascending.
    std::vector<LONG> scans;
};

// Groups scans 1 to count by the keys of their filters (filterOf(s)
// answers scan s's text) and sorts the functions by display text
// (case-sensitive character order; equal texts keep their order).
std::vector<TavrionFunctionRecord> GroupScansByFilter(LONG count,
                                                      const std::function<std::wstring(LONG)>& filterOf);
