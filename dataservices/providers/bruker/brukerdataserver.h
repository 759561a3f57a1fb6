// The reader behind the XMASS data server: a dataset as one injection with
// one function per experiment that has a processing, each function reading
// processing 1 of its experiment through its own CBrukerDataIO.
//
// Open accepts the dataset folder or a path inside it: a path in which no
// experiment is found climbs to its parent folders until one holds
// experiments; the last component climbed over becomes an experiment
// filter when it begins with 1 to 5 ("<dataset>/2/pdata/1" opens only
// experiment 2). A path that does not exist is refused at once.
//
// Function indexes of a child object that outlived a re-open are checked
// again by every operation: out of range they answer a count of 0, an
// empty name, E_FAIL or -1.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "brukerdataio.h"
#include "dataserverimpl.h"

class CBrukerDataServerImpl : public CDataServerImpl {
public:
    CBrukerDataServerImpl();
    ~CBrukerDataServerImpl() override;

    // "KSBrukerProvider".
    CString DatasetType() override;
    // IsBrukerDataset without Compass data.
    bool IsValidDataset(const CString& path) override;
    HRESULT Open(const CString& path) override;
    // Closes every experiment; the functions and their names stay until
    // the next open.
    HRESULT Close() override;
    int FunctionCount(int injection) override;
    CString FunctionName(int injection, int function) override;
    // MSn when "$PI" names a precursor, otherwise MS.
    ::FunctionType FunctionType(int injection, int function) override;
    // Product for MSn, otherwise none.
    ::FunctionMSMSType FunctionMSMSType(int injection, int function) override;
    int SpectrumCount(int injection, int function) override;
    // Only computed (CO_E_NOT_SUPPORTED when calculate is false): one point
    // per scan, its start time and total intensity.
    HRESULT TIC(bool calculate, int injection, int function, CChromatogram& chromatogram) override;
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override;
    // Over the scans' start times, computing the chromatogram first when
    // they are not known yet.
    int SpectrumIndexByRT(int injection, int function, double retentionTime, FunctionRTProximity proximity) override;

    // The dataset folder found by the last open.
    const std::wstring& DatasetFolder() const { return m_Dataset; }

private:
    struct Entry {
        CBrukerDataIO io;
        std::wstring name;
        std::vector<double> times;
    };

    Entry* EntryAt(int injection, int function);
    HRESULT OpenEntry(const std::wstring& expno);

    std::wstring m_Dataset;
    std::vector<std::unique_ptr<Entry>> m_Entries;
};
