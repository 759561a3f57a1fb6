// The reader behind the Tavrion data server: one raw file as one injection
// whose functions are the groups of scans with the same filter key
// (TavrionScanFilter), sorted by the display text of each group's first
// scan, and whose traces are the channels of the file's other
// controllers. Everything is read through the data server's own
// CTavrionIO, and so through its own raw-file reader object.
//
// Injection, function, trace and spectrum indexes are checked by every
// operation (a child of the tree may outlive a re-open): out of range they
// answer a count of 0, an empty or default name, E_FAIL or -1.
#pragma once

#include <vector>

#include "dataserverimpl.h"
#include "tavrionio.h"
#include "tavrionscanfilter.h"

class CTavrionDataServerImpl : public CDataServerImpl {
public:
    CTavrionDataServerImpl();
    ~CTavrionDataServerImpl() override;

    // "KSTavrionProvider".
    CString DatasetType() override;
    // IsTavrionRawFile; answers from the file even without a reader object.
    bool IsValidDataset(const CString& path) override;
    // E_FAIL when the file does not open; S_OK also for a file without
    // mass-spectrometer scans (no functions).
    HRESULT Open(const CString& path) override;
    HRESULT Close() override;
    int FunctionCount(int injection) override;
    CString FunctionName(int injection, int function) override;
    ::FunctionType FunctionType(int injection, int function) override;
    // Product for MSn, otherwise none.
    ::FunctionMSMSType FunctionMSMSType(int injection, int function) override;
    ::FunctionPolarity FunctionPolarity(int injection, int function) override;
    int MSOrder(int injection, int function) override;
    int SpectrumCount(int injection, int function) override;
    // The reader's chromatograms of the function's filter key; calculate
    // is not consulted. The base peak takes the range "%.1lf-%.1lf" when
    // both bounds are above -1, else every mass.
    HRESULT BPCWithRange(double low, double high, bool calculate, int injection, int function,
                         CChromatogram& chromatogram) override;
    HRESULT TIC(bool calculate, int injection, int function, CChromatogram& chromatogram) override;
    // Spectrum index of the function: its position (index + 1) as first
    // and last scan, the function's type and MS order, the filter's
    // precursors for levels 2 to the MS order.
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override;
    // Through the reader's scan at that time, then stepped by proximity
    // over the function's own scans.
    int SpectrumIndexByRT(int injection, int function, double retentionTime,
                          FunctionRTProximity proximity) override;
    int TraceCount(int injection) override;
    // The channel's name, or "Trace <trace + 1>".
    CString TraceName(int injection, int trace) override;
    HRESULT Trace(int injection, int trace, CChromatogram& chromatogram) override;

    CTavrionIO& IO() { return m_IO; }
    const std::vector<TavrionFunctionRecord>& Functions() const { return m_Records; }

private:
    const TavrionFunctionRecord* RecordAt(int injection, int function) const;
    // Retention time of entry k of the function's scans.
    double TimeOf(const TavrionFunctionRecord& record, size_t k);

    std::vector<TavrionFunctionRecord> m_Records;
    CTavrionIO m_IO;
};
