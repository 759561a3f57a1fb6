// The reader behind the Compass data server: one analysis of the outside
// Compass analysis component (compassanalysis.h), created by class
// identifier at every open, as one injection with one function holding
// every spectrum of the analysis.
//
// Open climbs: a path the component refuses is tried again without its
// last component until a folder opens or no separator is left (E_FAIL), so
// a path inside an analysis folder opens that analysis. A path that does
// not exist answers E_FAIL at once. Every spectrum is read once while
// opening (its retention time and total intensity are kept); a failing
// read fails the open. An open that fails after the component was created
// keeps the analysis object until the next Open or Close (MSAnalysis of
// the data server hands it out), but no spectra.
//
// Results: the component's failures pass through unchanged; a component
// that answers success without the object asked for gives E_POINTER;
// arrays answer as VariantArrayToDoubles. Spectrum answers E_INVALIDARG
// for an index that does not exist or while nothing is open; the other
// operations answer neutrally (see each).
#pragma once

#include <vector>

#include "compassanalysis.h"
#include "dataserverimpl.h"
#include "kscomptr.h"

// The classes the component may be created in (in-process server and
// handler, local and remote server).
inline constexpr DWORD KS_COMPASS_CLASS_CONTEXT = 0x17;

class CBrukerCompassDataServerImpl : public CDataServerImpl {
public:
    CBrukerCompassDataServerImpl();
    ~CBrukerCompassDataServerImpl() override;

    // "KSBrukerCompassProvider".
    CString DatasetType() override;
    // IsBrukerDataset with Compass data: a folder holding "analysis.baf"
    // or whose "SPTYPE" says "tof", "icr" or "psd", and the like.
    bool IsValidDataset(const CString& path) override;
    HRESULT Open(const CString& path) override;
    // Forgets the spectra and releases the analysis object.
    HRESULT Close() override;

    // The analysis description trimmed at both ends, or "Function 1" when
    // it is empty or cannot be had; "" for other indexes or without an
    // analysis object.
    CString FunctionName(int injection, int function) override;
    // From the first spectrum: MS below level 2, else MSn; unknown when a
    // call fails or for other indexes.
    ::FunctionType FunctionType(int injection, int function) override;
    // From the first spectrum: negative for the value 1, else positive
    // (also when it leaves the value unset); unknown when a call fails or
    // for other indexes.
    ::FunctionPolarity FunctionPolarity(int injection, int function) override;
    // The first spectrum's MS level; 0 when a call fails or for other
    // indexes.
    int MSOrder(int injection, int function) override;
    // The number of spectra read while opening; 0 for other indexes.
    int SpectrumCount(int injection, int function) override;
    // The points of kind 1; the retention time in minutes (seconds / 60)
    // as both ends, except that a time of 0 for any spectrum after the
    // first becomes index + 1, so times keep rising; MS order := level and
    // MS or MSn when the level can be had; polarity negative for 1, else
    // positive (the polarity call's failure is the answer); profile; scan
    // range index + 1.
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override;
    // r, the first spectrum whose time is not below the time given: Less
    // answers r - 1 (also on an exact hit), Greater r, Closest the nearer
    // of both, a tie going to r. At r = 0 an exact hit answers 0, a later
    // first time 0 for Greater and Closest, else -1; when every time is
    // below, the last spectrum for Less and Closest, -1 for Greater. -1
    // for an empty list, a proximity outside the enum or other indexes.
    int SpectrumIndexByRT(int injection, int function, double retentionTime,
                          FunctionRTProximity proximity) override;

    // The analysis object, or null (not counted for the caller).
    ICompassAnalysis* Analysis() const { return m_pAnalysis.get(); }

private:
    // The component opens the path or a folder above it.
    HRESULT OpenAnalysis(const std::wstring& path);
    // Reads every spectrum once for its time and total intensity.
    HRESULT ReadTimes(LONG count);
    // Item `item` (from 1) of the analysis's spectrum collection.
    HRESULT Item(LONG item, ks::ComPtr<ICompassSpectrum>& spectrum);
    // The first spectrum of function 0 of injection 0; E_INVALIDARG for
    // other indexes or without an analysis object.
    HRESULT First(int injection, int function, ks::ComPtr<ICompassSpectrum>& first);

    ks::ComPtr<ICompassAnalysis> m_pAnalysis;
    LONG m_nSpectra = 0;           // spectra of the open analysis
    std::vector<double> m_Times;   // minutes, in spectrum order
    std::vector<double> m_TICs;    // total intensity of each spectrum
};
