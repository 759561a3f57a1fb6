// Common declarations of the host core-library stand-in: the export macro
// and the small range records that spectra and selections carry.
//
// The library is a C++ class library: classes marked TINDREL_EXPORT are its
// interface, everything else (its copies of the data-services contract and
// framework) stays hidden inside libTindrel.so. Text crosses as
// std::wstring, value arrays as vectors of doubles; indexes count from 0.
// An object handed out by pointer is new and the caller deletes it; a
// missing one is a null pointer. No operation throws.
#pragma once

#if defined(TINDREL_BUILD)
#define TINDREL_EXPORT __attribute__((visibility("default")))
#else
#define TINDREL_EXPORT
#endif

// A range of scans, both ends included. Scans are numbered from 1 in the
// order of their function's spectra (spectrum index + 1).
struct TKSScanRange {
    int first = 0;
    int last = 0;
};

// A retention-time range in minutes, both ends included.
struct TKSTimeRange {
    double start = 0;
    double end = 0;
};

inline bool operator==(const TKSScanRange& a, const TKSScanRange& b)
{
    return a.first == b.first && a.last == b.last;
}
inline bool operator==(const TKSTimeRange& a, const TKSTimeRange& b)
{
    return a.start == b.start && a.end == b.end;
}
