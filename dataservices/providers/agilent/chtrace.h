// ChemStation signal files ("*.ch"): the detector traces of a data
// directory, found when a dataset opens and decoded the first time each is
// asked for.
//
// Header (big-endian): the file type at 248, the start of the signal data
// in 512-byte blocks counted from 1 at 264, the start and end times (ms)
// at 282 and 286. The data encoding depends on the type:
//   81, 181  16-bit second differences; the word 0x7FFF is followed by a
//            48-bit absolute value, after which the running difference
//            restarts at 0; a 0x0000 word as the last word of the file ends
//            the data. Times are single-precision numbers.
//   179      little-endian float64 values from byte 6,144 on, whatever the
//            block field says; single-precision times.
//   others   blocks: a control word (data end when its top four bits are 0,
//            else its low 12 bits count the block's values), then per value
//            a 16-bit difference to the previous value or the word 0x8000
//            and a 32-bit absolute value; 32-bit values that wrap. Integer
//            times.
// Point i of n lies at start + i x (end - start) / (n - 1), in minutes; the
// intensities are the raw values (no detector scale is applied).
//
// Damaged data (a file shorter than its 512-byte header, data that starts
// beyond the end, a value or block cut off by the end of the file, a block
// stream without its end word, more than 100,000 blocks) answers E_FAIL;
// nothing is read beyond the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "chromatogram.h"
#include "kstypes.h"
#include "kswinerror.h"

// Signal files are read whole: larger files are refused.
constexpr size_t KSMaxSignalFileBytes = 999999;
// A block stream of more blocks than this is refused.
constexpr LONG KSMaxSignalBlocks = 100000;

// Decodes a whole signal file held in memory into the chromatogram: S_OK,
// or E_FAIL with the chromatogram untouched.
HRESULT DecodeSignalFile(const uint8_t* data, size_t size, CChromatogram& chromatogram);

// One signal file of the directory.
struct ChTraceEntry {
    std::wstring strName;      // the file name without its last three characters (".ch")
    std::string strFileName;   // the file name as found in the folder (UTF-8)
    bool bLoaded = false;
    CChromatogram chromatogram;  // a new one holds the point (0, 0)
};

class CChTraceList {
public:
    // Adds the signal files of the folder `path` (or of the folder of the
    // file it names), in the folder's listing order (case-insensitive by
    // name): every entry that is not a folder and whose name ends in ".ch"
    // in any letter case. Always S_OK; a folder that cannot be listed adds
    // nothing.
    HRESULT Build(const std::wstring& path);
    // Empties the list and forgets the folder.
    void Clear();

    int Count() const { return static_cast<int>(m_Entries.size()); }
    // Empty text for an index outside the list.
    std::wstring Name(int index) const;
    // The folder the files were found in, ending in "/" (UTF-8).
    const std::string& Directory() const { return m_strDirectory; }

    // Decodes the entry once and copies its signal into the chromatogram:
    // S_OK; E_INVALIDARG for an index outside the list (the chromatogram is
    // untouched); E_FAIL when the file cannot be read, holds more than
    // KSMaxSignalFileBytes or is damaged. After a failure the entry's
    // unchanged chromatogram is copied out all the same, and the next
    // request tries the file again.
    HRESULT Load(int index, CChromatogram& chromatogram);

    // The same for the trace members of a reader that shows one injection
    // (0): other injections have no traces (0, "", E_INVALIDARG), and
    // memory that runs out answers E_OUTOFMEMORY.
    int Count(int injection) const { return injection == 0 ? Count() : 0; }
    std::wstring Name(int injection, int index) const { return injection == 0 ? Name(index) : std::wstring(); }
    HRESULT Load(int injection, int index, CChromatogram& chromatogram);

private:
    std::string m_strDirectory;
    std::vector<ChTraceEntry> m_Entries;
};
