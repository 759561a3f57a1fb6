// The reader behind the ChemStation data server: a data directory as one
// injection whose functions are its MSD files (MSD1.MS to MSD4.MS, or
// DATA.MS as file 1) and whose traces are its signal files.
//
// Function i is the i-th MSD file that opened, in file order, so a
// directory holding MSD1.MS and MSD3.MS shows both as functions 1 and 2.
// Function and trace indexes that do not exist (a child object that
// outlived a re-open) answer neutrally: "Unknown", 0 spectra, positive,
// E_FAIL for a spectrum, -1 for a time, an empty name, E_INVALIDARG for a
// trace.
#pragma once

#include <vector>

#include "chtrace.h"
#include "dataserverimpl.h"
#include "msdfile.h"

class CLCMSDDataServerImpl : public CDataServerImpl {
public:
    static constexpr int kMaxFiles = 4;

    CLCMSDDataServerImpl();
    ~CLCMSDDataServerImpl() override;

    // "KSLCMSDProvider".
    CString DatasetType() override;
    // The recognition of MSD datasets (IsMSDDataset).
    bool IsValidDataset(const CString& path) override;
    // Opens MSD files 1 to 4 and lists the signal files. File 1 must open:
    // its failure is the answer (E_FAIL, or E_INVALIDARG when it cannot be
    // read) and leaves every file closed; files 2 to 4 that do not open
    // simply give fewer functions.
    HRESULT Open(const CString& path) override;
    HRESULT Close() override;

    int FunctionCount(int injection) override;
    // "Function <n>" or "Function <n> (<sample name>)".
    CString FunctionName(int injection, int function) override;
    // Always MS.
    ::FunctionType FunctionType(int injection, int function) override;
    ::FunctionPolarity FunctionPolarity(int injection, int function) override;
    int SpectrumCount(int injection, int function) override;
    // From the scan directory, without reading a spectrum: each scan's
    // retention time with its base-peak or total abundance. The calculate
    // flag is not looked at; a function that does not exist gives an empty
    // chromatogram and S_OK.
    HRESULT BPC(bool calculate, int injection, int function, CChromatogram& chromatogram) override;
    HRESULT TIC(bool calculate, int injection, int function, CChromatogram& chromatogram) override;
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override;
    int SpectrumIndexByRT(int injection, int function, double retentionTime,
                          FunctionRTProximity proximity) override;

    int TraceCount(int injection) override;
    CString TraceName(int injection, int trace) override;
    // Decodes the signal file once (CChTraceList::Load).
    HRESULT Trace(int injection, int trace, CChromatogram& chromatogram) override;

private:
    enum class Measure { BasePeak, Total };
    // The open MSD file of a function, or null.
    CMSDFile* File(int injection, int function);
    HRESULT Chromatogram(Measure measure, int injection, int function, CChromatogram& chromatogram);

    CMSDFile m_Files[kMaxFiles];
    std::vector<int> m_Functions;  // function -> index of its file
    CChTraceList m_Traces;
};
