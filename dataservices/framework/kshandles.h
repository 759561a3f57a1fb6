// Thin handles that carry spectrum and chromatogram records across the
// automation boundary inside one process: a client passes the address of
// its own handle to a Direct method and the provider fills it through these
// member functions. Layouts are shared between caller and provider.
#pragma once

#include <string>
#include <vector>

#include "chromatogram.h"
#include "kstypes.h"
#include "massspectrum.h"

class CKSMassSpectrum {
public:
    // Allocates and owns a new spectrum.
    CKSMassSpectrum();
    CKSMassSpectrum(const CKSMassSpectrum&) = delete;
    CKSMassSpectrum& operator=(const CKSMassSpectrum&) = delete;
    virtual ~CKSMassSpectrum();

    virtual CMassSpectrum* get() const { return m_pSpectrum; }

    // Drops an owned spectrum and refers to the given one without owning it.
    void Adopt(CMassSpectrum* spectrum);

    // Gives the handle's spectrum everything of `source` that the Direct
    // copy (CopySpectrumToDirect) writes, by exchange instead of a copy of
    // the points: `source` is left with the handle's old content. Only
    // between two plain CMassSpectrum records (no derived class, whose
    // virtual members the copy would call) without per-peak arrays; false,
    // with nothing changed, otherwise.
    bool TakeContents(CMassSpectrum& source);

    // Setters do nothing without a spectrum.
    void SetCount(LONG n);
    bool SetMasses(const double* values);
    bool SetIntensities(const double* values);
    void SetTitle(const std::wstring& title);
    void SetCentroid(bool centroid);
    void SetMSOrder(SHORT order);
    void SetPrecursorMass(double mz);
    void SetSpare16(SHORT value);
    void SetPolarity(LONG polarity);
    void SetStartRT(double rt);
    void SetEndRT(double rt);
    void SetFirstScan(LONG scan);
    void SetLastScan(LONG scan);
    void SetFunctionType(LONG type);
    void SetText2(const std::wstring& text);
    void SetPrecursorMZ(LONG level, double value);
    void SetPrecursorMZ2(LONG level, double value);

    // Getters answer the defaults of a new spectrum without one.
    LONG GetCount() const;
    bool IsCentroid() const;
    SHORT GetMSOrder() const;
    double GetPrecursorMass() const;
    SHORT GetSpare16() const;
    LONG GetPolarity() const;
    double GetStartRT() const;
    double GetEndRT() const;
    LONG GetFirstScan() const;
    LONG GetLastScan() const;
    std::wstring GetTitle() const;
    const double* GetMasses() const;
    const double* GetIntensities() const;

private:
    CMassSpectrum* m_pSpectrum;
    DWORD m_dwReserved1;  // set to 0, never read
    DWORD m_dwReserved2;
    DWORD m_dwReserved3;
    bool m_bOwns;
};

// Points at a chromatogram its creator supplies and keeps.
class CKSChromatogram {
public:
    explicit CKSChromatogram(CChromatogram* chromatogram = nullptr) : m_pChromatogram(chromatogram) {}

    CChromatogram* get() const { return m_pChromatogram; }
    void SetSize(LONG n);
    void SetTimes(const double* values);
    void SetIntensities(const double* values);
    void SetName(const std::wstring& name);

private:
    CChromatogram* m_pChromatogram;
};

// A view of spectra its creator supplies and keeps; the collection owns the
// per-spectrum handles it creates on demand, never the spectra.
class CKSMSCollection {
public:
    explicit CKSMSCollection(std::vector<CMassSpectrum>* spectra = nullptr);
    CKSMSCollection(const CKSMSCollection&) = delete;
    CKSMSCollection& operator=(const CKSMSCollection&) = delete;
    ~CKSMSCollection();

    LONG GetCount() const;
    void SetCount(LONG n);
    // The handle of spectrum i (0-based), the same one on every call until
    // the collection shrinks to i spectra or fewer; null for an index
    // outside the collection.
    CKSMassSpectrum* GetSpectrum(LONG i);

private:
    void Resynchronise();

    std::vector<CMassSpectrum>* m_pSpectra;
    std::vector<CKSMassSpectrum*> m_Views;
};
