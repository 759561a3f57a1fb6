// The reader behind the XMASS data server: a dataset as one injection with
// one function per experiment that has a processing, each function reading
// processing 1 of its experiment.
//
// Open accepts the dataset folder or a path inside one of its experiments:
// a path in which no experiment is found climbs to its parent folders
// until one holds experiments, and every component climbed over must be
// one an experiment holds: the experiment folder (with "acqu" and
// "acqus"), then "acqu", "acqus", "fid", "ser", "pdata", a processing
// number, a processing's "proc", "procs", "1r" and so on. Any other path
// (a file or folder beside an experiment, a path that does not exist) is
// refused. The experiment climbed over becomes a filter when its name
// begins with 1 to 5 ("<dataset>/2/pdata/1" opens only experiment 2).
//
// Every experiment is opened once while the dataset opens (the first that
// does not open fails the open) and keeps what its parameter files said
// (name, scan count, precursors, the layout of its data), not its
// dictionaries, buffers or data file. One reader serves the reads: it is
// opened again from the kept layout on the experiment asked for, which
// opens that data file only, so a dataset holds one data file open and a
// few hundred bytes an experiment, whatever its number of experiments.
//
// Function indexes of a child object that outlived a re-open are checked
// again by every operation: out of range they answer a count of 0, an
// empty name, E_FAIL or -1.
#pragma once

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
        std::wstring expno;
        std::wstring name;
        LONG scans = 0;
        std::vector<double> precursors;  // of "$PI"
        std::vector<double> times;       // empty until the chromatogram is computed
        BrukerExperimentLayout layout;   // as the experiment opened
    };

    Entry* EntryAt(int injection, int function);
    // The reader open on the function's experiment (opened again from its
    // layout when another was open), or null.
    CBrukerDataIO* ReaderFor(int function);
    HRESULT OpenEntry(const std::wstring& expno);

    std::wstring m_Dataset;
    std::vector<Entry> m_Entries;
    bool m_bOpen = false;
    CBrukerDataIO m_Reader;
    int m_nReaderEntry = -1;  // the entry m_Reader is open on
};
