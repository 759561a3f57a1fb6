// The reader behind the ion-trap data server: an Agilent ion-trap data
// folder (one holding "Analysis.yep") as one injection. The spectra are
// read through the outside analysis component (iontrapanalysis.h), created
// by class identifier at every open; the folder's signal files are the
// traces (CChTraceList).
//
// Functions: the spectra sorted by polarity, zoom mode and MS level, one
// function per combination in order of first appearance. Each spectrum's
// level is the component's MS level + 1; its "Mode" parameters set the
// flags: "Ion Polarity" positive when the value is "Positive", "Mass Range
// Mode" zoom when the value is "Std/Maximum" (a spectrum without them is
// positive and not zoom).
//
// Results: a failing component call ends the open or the spectrum read
// with its result; a failed open leaves the reader closed (no analysis, no
// functions, no traces). A component that answers success without the
// object asked for gives E_POINTER. Array conversions answer as
// VariantArrayToDoubles. Function and spectrum indexes that do not exist,
// or any read while closed, answer E_FAIL, -1 for a time, "" for a name,
// 0 for counts, types and levels.
#pragma once

#include <vector>

#include "chtrace.h"
#include "dataserverimpl.h"
#include "iontrapanalysis.h"
#include "kscomptr.h"

// The classes the component may be created in (in-process server and
// handler, local and remote server).
inline constexpr DWORD KS_IONTRAP_CLASS_CONTEXT = 0x17;

class CAgilentIonTrapDataServerImpl : public CDataServerImpl {
public:
    CAgilentIonTrapDataServerImpl();
    ~CAgilentIonTrapDataServerImpl() override;

    // "KSAgilentIonTrapProvider".
    CString DatasetType() override;
    // A folder holding an entry "Analysis.yep" (found without regard to
    // case) that is not a folder.
    bool IsValidDataset(const CString& path) override;
    // Creates the component and opens the path with it (their failures are
    // the answer), builds the functions, then lists the signal files.
    HRESULT Open(const CString& path) override;
    // Forgets the functions, releases the component, empties the traces.
    HRESULT Close() override;

    int FunctionCount(int injection) override;
    // The analysis name, ", + " or ", - ", "Zoom " for a zoom function,
    // then "MS" (level 1 or less), "MS/MS" (level 2) or "MS<level>"; ""
    // when the component cannot give the analysis name.
    CString FunctionName(int injection, int function) override;
    // Level 1: MS or zoom MS; level 2 and more: MSn or zoom MSn; level 0
    // or less: unknown.
    ::FunctionType FunctionType(int injection, int function) override;
    // Precursor for level 2 and more, else none.
    ::FunctionMSMSType FunctionMSMSType(int injection, int function) override;
    ::FunctionPolarity FunctionPolarity(int injection, int function) override;
    // The level.
    int MSOrder(int injection, int function) override;
    int SpectrumCount(int injection, int function) override;
    // The points of kind 1 (intensities rounded to single precision),
    // retention time (seconds / 60) as both ends, function type MS for
    // level 1 and MSn otherwise, MS order = level, precursors for levels
    // above 1 (precursor k sets both per-level values of level k + 2; the
    // precursor m/z is the last one), scan range scan + 1, the function's
    // polarity, profile.
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override;
    int SpectrumIndexByRT(int injection, int function, double retentionTime,
                          FunctionRTProximity proximity) override;

    int TraceCount(int injection) override;
    CString TraceName(int injection, int trace) override;
    HRESULT Trace(int injection, int trace, CChromatogram& chromatogram) override;

private:
    struct Function {
        bool bPositive = true;
        bool bZoom = false;
        LONG nLevel = 1;
        std::vector<LONG> items;   // 1-based items of the component's collection
        std::vector<double> times; // minutes
    };

    HRESULT BuildFunctions();
    // The flags of one spectrum from its "Mode" parameters.
    HRESULT ReadModes(IIonTrapSpectrum* spectrum, bool& positive, bool& zoom);
    const Function* Find(int injection, int function) const;

    ks::ComPtr<IIonTrapAnalysis> m_pAnalysis;
    std::vector<Function> m_Functions;
    CChTraceList m_Traces;
};
