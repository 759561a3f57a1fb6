// The test provider's dataset reader: a generated-run description
// (runformat.h) as injections, functions and traces, every spectrum
// computed when it is asked for. Indexes outside the run read as empty:
// count 0, E_FAIL, empty names.
#pragma once

#include <string>

#include "dataserverimpl.h"
#include "runformat.h"

class CRunDataServerImpl : public CDataServerImpl {
public:
    // "KSTindrelTestProvider".
    CString DatasetType() override;
    // A path ending in ".run" (any letter case) whose file starts with the
    // format's first line.
    bool IsValidDataset(const CString& path) override;
    HRESULT Open(const CString& path) override;
    HRESULT Close() override;

    int InjectionCount() override;
    int InjectionCountFromPath(const CString& path) override;
    CString InjectionName(int injection) override;
    int FunctionCount(int injection) override;
    CString FunctionName(int injection, int function) override;
    ::FunctionType FunctionType(int injection, int function) override;
    ::FunctionMSMSType FunctionMSMSType(int injection, int function) override;
    ::FunctionPolarity FunctionPolarity(int injection, int function) override;
    int MSOrder(int injection, int function) override;
    int SpectrumCount(int injection, int function) override;
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override;
    int SpectrumIndexByRT(int injection, int function, double retentionTime, FunctionRTProximity proximity) override;
    int TraceCount(int injection) override;
    CString TraceName(int injection, int trace) override;
    HRESULT Trace(int injection, int trace, CChromatogram& chromatogram) override;

    bool IsOpen() const { return m_open; }
    // The reason the last Open failed ("line 3: bad scans ...").
    const std::string& LastError() const { return m_error; }

private:
    const tindrelrun::Function* FindFunction(int injection, int function) const;
    const tindrelrun::Trace* FindTrace(int injection, int trace) const;

    tindrelrun::Run m_run;
    bool m_open = false;
    std::string m_error;
};

// Reads a whole run file (through the platform's regular-file open); false
// with a reason when it cannot be read or parsed.
bool LoadRunFile(const std::wstring& path, tindrelrun::Run& run, std::string& error);
