// The reader behind the text provider's data server: a multi-spectrum text
// file as one injection with one function, its spectra in file order.
// Injection and function indexes other than 0 (a child object that outlived
// a re-open) read as an empty function: count 0, E_FAIL, index -1.
#pragma once

#include <vector>

#include "dataserverimpl.h"
#include "textdataio.h"

class CTextDataServerImpl : public CDataServerImpl {
public:
    CTextDataServerImpl();
    ~CTextDataServerImpl() override;

    // "KSTextProvider".
    CString DatasetType() override;
    // A path ending in ".txt" in any letter case; the file is not opened.
    bool IsValidDataset(const CString& path) override;
    HRESULT Open(const CString& path) override;
    HRESULT Close() override;
    int SpectrumCount(int injection, int function) override;
    // The header times and intensity sums in one pass over the file.
    HRESULT TIC(bool calculate, int injection, int function, CChromatogram& chromatogram) override;
    HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) override;
    // True: a spectrum is sized to the points read and each is written.
    bool WritesEveryPoint() override;
    // Over the header times, computing the chromatogram first when needed.
    int SpectrumIndexByRT(int injection, int function, double retentionTime, FunctionRTProximity proximity) override;

private:
    static bool IsFunction(int injection, int function);

    CTextDataIO m_IO;
    std::vector<double> m_Times;
};
