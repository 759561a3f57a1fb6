// One chromatogram as readers deliver it. Shared with callers of the Direct
// methods inside one process: the declaration order of the fields is part
// of that contract.
#pragma once

#include <string>
#include <vector>

#include "kstypes.h"

class CChromatogram {
public:
    // A new chromatogram holds one point: time 0, intensity 0.
    CChromatogram();

    // Resizes times, intensities and the per-point values (new entries 0),
    // and the optional arrays while they are switched on; n < 0 changes
    // nothing and answers false.
    bool SetSize(LONG n);
    LONG GetCount() const { return static_cast<LONG>(m_Times.size()); }

    // Array starts, null while the chromatogram has no point.
    double* Times() { return m_Times.empty() ? nullptr : m_Times.data(); }
    const double* Times() const { return m_Times.empty() ? nullptr : m_Times.data(); }
    double* Intensities() { return m_Times.empty() || m_Intensities.empty() ? nullptr : m_Intensities.data(); }
    const double* Intensities() const
    {
        return m_Times.empty() || m_Intensities.empty() ? nullptr : m_Intensities.data();
    }

    // Copy as many values as the chromatogram has points.
    void SetTimes(const double* values);
    void SetIntensities(const double* values);
    // Indexes outside the chromatogram are ignored.
    void SetTime(LONG i, double value);
    void SetIntensity(LONG i, double value);

    const std::wstring& GetName() const { return m_Name; }
    void SetName(const std::wstring& name) { m_Name = name; }

    // The optional per-point arrays follow the point count only while
    // switched on.
    void EnableFlags(bool on);
    void EnableAnnotations(bool on);
    bool HasFlags() const { return m_bHasFlags; }
    bool HasAnnotations() const { return m_bHasAnnotations; }
    LONG GetFlagCount() const { return static_cast<LONG>(m_Flags.size()); }
    LONG GetAnnotationCount() const { return static_cast<LONG>(m_Annotations.size()); }
    LONG GetValueCount() const { return static_cast<LONG>(m_Values.size()); }

private:
    // Declaration order is the shared layout.
    std::vector<double> m_Times;        // minutes
    std::vector<double> m_Intensities;
    std::vector<LONG> m_Values;         // kept at the point count
    std::vector<BYTE> m_Flags;          // while m_bHasFlags
    std::vector<SHORT> m_Annotations;   // while m_bHasAnnotations
    bool m_bHasFlags;
    bool m_bHasAnnotations;
    bool m_bSpare;                      // copied, not read
    std::wstring m_Name;
    std::wstring m_Text1;               // copied, not read
    std::wstring m_Text2;
    std::wstring m_Text3;
};
