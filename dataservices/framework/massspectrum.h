// One mass spectrum as readers deliver it and the arithmetic works on it.
//
// The object crosses component boundaries inside one process (the Direct
// methods write into a caller's record), so the declaration order of the
// fields below is part of the contract between caller and provider: add no
// field, reorder none.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ksenums.h"
#include "kstypes.h"

// Hooks for the opaque peak objects a caller may attach to the points. The
// framework never sets them; the owner of the peak objects does.
using PeakReleaseHook = void (*)(void* peak, ULONG_PTR user);
using PeakMergeHook = void* (*)(void* first, void* second, ULONG_PTR user);
using PeakCloneHook = void* (*)(void* peak, ULONG_PTR user);

class CMassSpectrum {
public:
    CMassSpectrum();
    CMassSpectrum(const CMassSpectrum& other);
    CMassSpectrum(CMassSpectrum&& other) noexcept;
    CMassSpectrum& operator=(const CMassSpectrum& other);
    virtual ~CMassSpectrum();

    // n < 0: false, nothing changes. n == 0: Clear. Otherwise resizes the
    // point arrays (existing entries kept, new ones 0) and the per-peak
    // arrays as switched by the three flags.
    virtual bool SetSize(LONG n, bool withFlags, bool withObjects, bool withAnnotations);
    // Releases the peak objects and empties every per-point array; the
    // scalar fields stay.
    virtual void Clear();

    // Resizes keeping the current per-peak arrays; false (no change) for n < 0.
    bool Resize(LONG n);
    LONG GetCount() const { return m_nCount; }

    void EnablePeakFlags(bool on);
    void EnableAnnotations(bool on);
    void EnablePeakObjects(bool on);
    bool HasPeakFlags() const { return m_bHasFlags; }
    bool HasAnnotations() const { return m_bHasAnnotations; }
    bool HasPeakObjects() const { return m_bHasObjects; }

    // Array starts, null when the array is empty. A caller that writes
    // through them calls Invalidate afterwards.
    double* Masses() { return m_Masses.empty() ? nullptr : m_Masses.data(); }
    const double* Masses() const { return m_Masses.empty() ? nullptr : m_Masses.data(); }
    double* Intensities() { return m_Intensities.empty() ? nullptr : m_Intensities.data(); }
    const double* Intensities() const { return m_Intensities.empty() ? nullptr : m_Intensities.data(); }
    BYTE* PeakFlags() { return m_Flags.empty() ? nullptr : m_Flags.data(); }
    const BYTE* PeakFlags() const { return m_Flags.empty() ? nullptr : m_Flags.data(); }
    void** PeakObjects() { return m_Objects.empty() ? nullptr : m_Objects.data(); }
    void* const* PeakObjects() const { return m_Objects.empty() ? nullptr : m_Objects.data(); }
    SHORT* Annotations() { return m_Annotations.empty() ? nullptr : m_Annotations.data(); }
    const SHORT* Annotations() const { return m_Annotations.empty() ? nullptr : m_Annotations.data(); }

    // Writable point access; marks the statistics stale. An index outside
    // the arrays answers a scratch value and touches no point.
    double& MassAt(LONG i);
    double& IntensityAt(LONG i);

    void Invalidate() { m_bStatsStale = true; }

    const std::wstring& GetTitle() const { return m_Title; }
    void SetTitle(const std::wstring& title) { m_Title = title; }
    bool IsCentroid() const { return m_bCentroid; }
    void SetCentroid(bool centroid) { m_bCentroid = centroid; }
    SHORT GetMSOrder() const { return m_nMSOrder; }
    void SetMSOrder(SHORT order) { m_nMSOrder = order; }
    double GetPrecursorMass() const { return m_dPrecursorMZ; }
    void SetPrecursorMass(double mz) { m_dPrecursorMZ = mz; }
    SHORT GetSpare16() const { return m_nSpare16; }
    void SetSpare16(SHORT value) { m_nSpare16 = value; }
    LONG GetPolarity() const { return m_nPolarity; }
    void SetPolarity(LONG polarity) { m_nPolarity = polarity; }
    LONG GetFunctionType() const { return m_nFunctionType; }
    void SetFunctionType(LONG type) { m_nFunctionType = type; }
    double GetStartRT() const { return m_dStartRT; }
    void SetStartRT(double rt) { m_dStartRT = rt; }
    double GetEndRT() const { return m_dEndRT; }
    void SetEndRT(double rt) { m_dEndRT = rt; }
    LONG GetFirstScan() const { return m_nFirstScan; }
    void SetFirstScan(LONG scan) { m_nFirstScan = scan; }
    LONG GetLastScan() const { return m_nLastScan; }
    void SetLastScan(LONG scan) { m_nLastScan = scan; }
    const std::wstring& GetText2() const { return m_Text2; }
    void SetText2(const std::wstring& text) { m_Text2 = text; }

    // Precursor values of MS level 2 up to the MS order; other levels are
    // ignored on write and read back as 0.
    void SetPrecursorMZ(LONG level, double value);
    void SetPrecursorMZ2(LONG level, double value);
    double GetPrecursorMZ(LONG level) const;
    double GetPrecursorMZ2(LONG level) const;
    LONG GetPrecursorLevelCount() const { return static_cast<LONG>(m_PrecursorLevels.size()); }

    // Cached statistics, recomputed after a write access.
    double GetTIC() const;
    double GetBasePeakMass() const;
    double GetBasePeakIntensity() const;
    double GetMinIntensity() const;
    LONG GetBasePeakIndex() const;

    // Largest intensity with m/z in [low, high]; 0 when no point is there.
    double GetBasePeakInRange(double low, double high) const;

    void SetReleaseHook(PeakReleaseHook hook, ULONG_PTR user) { m_pfnRelease = hook; m_ReleaseUser = user; }
    void SetMergeHook(PeakMergeHook hook, ULONG_PTR user) { m_pfnMerge = hook; m_MergeUser = user; }
    void SetCloneHook(PeakCloneHook hook, ULONG_PTR user) { m_pfnClone = hook; m_CloneUser = user; }
    PeakReleaseHook GetReleaseHook() const { return m_pfnRelease; }
    ULONG_PTR GetReleaseUser() const { return m_ReleaseUser; }
    PeakMergeHook GetMergeHook() const { return m_pfnMerge; }
    ULONG_PTR GetMergeUser() const { return m_MergeUser; }
    PeakCloneHook GetCloneHook() const { return m_pfnClone; }
    ULONG_PTR GetCloneUser() const { return m_CloneUser; }

    // Hands one peak object to the release hook (nothing for null or
    // without a hook).
    void ReleasePeakObject(void* peak) const;

    // Back to a new spectrum's state in every field but the m/z and
    // intensity arrays and the point count, which stay as they are (so do
    // the hooks): a record for a reader that writes every point of the
    // count it sets. Per-peak arrays are dropped.
    void RenewKeepingPoints();

    // Exchanges everything but the hooks with `other`, the point arrays by
    // their storage (nothing is copied), when neither spectrum holds
    // per-peak arrays (flags, peak objects, annotations); false, with
    // nothing changed, otherwise. The object tree hands a spectrum to a
    // caller's handle this way.
    bool SwapContents(CMassSpectrum& other) noexcept;

private:
    void UpdateStatistics() const;
    void ReleaseObjectsFrom(size_t first);
    void CloneObjectsFrom(const CMassSpectrum& source);

    // Declaration order is the shared layout (see above).
    LONG m_nCount;
    bool m_bHasFlags;
    bool m_bHasAnnotations;
    bool m_bHasObjects;
    std::wstring m_Title;
    bool m_bCentroid;
    mutable bool m_bStatsStale;
    mutable double m_dTIC;
    mutable double m_dBasePeakMZ;
    mutable double m_dBasePeakIntensity;
    mutable double m_dMinIntensity;
    mutable LONG m_nBasePeakIndex;
    SHORT m_nMSOrder;
    double m_dPrecursorMZ;
    SHORT m_nSpare16;
    LONG m_nPolarity;
    std::vector<double> m_Masses;
    std::vector<double> m_Intensities;
    std::vector<BYTE> m_Flags;
    std::vector<void*> m_Objects;
    std::vector<SHORT> m_Annotations;
    std::vector<std::pair<double, double>> m_PrecursorLevels;  // entry k: MS level k + 2
    LONG m_nFunctionType;
    double m_dStartRT;
    double m_dEndRT;
    LONG m_nFirstScan;  // 32 bits: scans above 32767 stay positive
    LONG m_nLastScan;
    PeakReleaseHook m_pfnRelease;
    ULONG_PTR m_ReleaseUser;
    PeakMergeHook m_pfnMerge;
    ULONG_PTR m_MergeUser;
    PeakCloneHook m_pfnClone;
    ULONG_PTR m_CloneUser;
    std::wstring m_Text2;
};
