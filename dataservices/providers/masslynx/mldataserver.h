// The reader behind the MassLynx data server: one raw directory as one
// injection whose functions are its MS functions and whose traces are its
// analog channels followed by its diode-array functions, all read through
// the data server's own CMassLynxDataIO.
//
// Most operations first make their function the IO's current one
// (selecting it when it is not current); a selection that fails closes
// the IO until the next open, and the operation answers a count of 0, an
// empty name, E_FAIL or -1. Injection indexes other than 0 answer the
// same without selecting.
#pragma once

#include <vector>

#include "dataserverimpl.h"
#include "masslynxdataio.h"

class CMLDataServerImpl : public CDataServerImpl {
public:
    CMLDataServerImpl();
    ~CMLDataServerImpl() override;

    // "KSMLProvider".
    CString DatasetType() override;
    // IsMassLynxRawDirectory; answers from the file system even without
    // the MassLynx classes.
    bool IsValidDataset(const CString& path) override;
    // A recognised raw directory that the classes open; E_FAIL otherwise.
    HRESULT Open(const CString& path) override;
    HRESULT Close() override;
    int FunctionCount(int injection) override;
    // The ionisation text with " (+)" or " (-)".
    CString FunctionName(int injection, int function) override;
    ::FunctionType FunctionType(int injection, int function) override;
    ::FunctionMSMSType FunctionMSMSType(int injection, int function) override;
    ::FunctionPolarity FunctionPolarity(int injection, int function) override;
    int SpectrumCount(int injection, int function) override;
    // The function's "TIC"; its times become the retention-time cache of
    // the function. calculate is not consulted.
    HRESULT TIC(bool calculate, int injection, int function, CChromatogram& chromatogram) override;
    // Function type as FunctionType answers it, MS order 2 for MSn, else 1.
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override;
    // Over the function's TIC times (read once per function).
    int SpectrumIndexByRT(int injection, int function, double retentionTime,
                          FunctionRTProximity proximity) override;
    int TraceCount(int injection) override;
    // "" for every trace.
    CString TraceName(int injection, int trace) override;
    HRESULT Trace(int injection, int trace, CChromatogram& chromatogram) override;

    CMassLynxDataIO& IO() { return m_IO; }

private:
    // Makes function (0-based) current: always, or only when it is not.
    bool Select(int injection, int function, bool always = false);
    void ClearTimes();

    CMassLynxDataIO m_IO;
    std::vector<double> m_Times;  // the retention-time cache
    int m_nTimesFunction = -1;    // whose times they are; -1: none
};
