#include "lcmsddataserver.h"

#include <new>

CLCMSDDataServerImpl::CLCMSDDataServerImpl() = default;

CLCMSDDataServerImpl::~CLCMSDDataServerImpl() = default;

CString CLCMSDDataServerImpl::DatasetType()
{
    return CString(L"KSLCMSDProvider");
}

bool CLCMSDDataServerImpl::IsValidDataset(const CString& path)
{
    return IsMSDDataset(path.str());
}

HRESULT CLCMSDDataServerImpl::Open(const CString& path)
{
    Close();
    const HRESULT first = m_Files[0].Open(path.str(), 1);
    if (FAILED(first))
        return first;
    m_Functions.push_back(0);
    for (int n = 2; n <= kMaxFiles; ++n)
        if (SUCCEEDED(m_Files[n - 1].Open(path.str(), n)))
            m_Functions.push_back(n - 1);
    try {
        return m_Traces.Build(path.str());
    } catch (const std::bad_alloc&) {
        Close();
        return E_OUTOFMEMORY;
    }
}

HRESULT CLCMSDDataServerImpl::Close()
{
    for (CMSDFile& file : m_Files)
        file.Close();
    m_Functions.clear();
    m_Traces.Clear();
    return S_OK;
}

CMSDFile* CLCMSDDataServerImpl::File(int injection, int function)
{
    if (injection != 0 || function < 0 || function >= static_cast<int>(m_Functions.size()))
        return nullptr;
    CMSDFile& file = m_Files[m_Functions[static_cast<size_t>(function)]];
    return file.IsOpen() ? &file : nullptr;
}

int CLCMSDDataServerImpl::FunctionCount(int injection)
{
    return injection == 0 ? static_cast<int>(m_Functions.size()) : 0;
}

CString CLCMSDDataServerImpl::FunctionName(int injection, int function)
{
    const CMSDFile* file = File(injection, function);
    if (!file)
        return CString(L"Unknown");
    CString name;
    if (file->SampleName().empty())
        name.Format(L"Function %d", function + 1);
    else
        name.Format(L"Function %d (%ls)", function + 1, file->SampleName().c_str());
    return name;
}

::FunctionType CLCMSDDataServerImpl::FunctionType(int, int)
{
    return FunctionTypeMS;
}

::FunctionPolarity CLCMSDDataServerImpl::FunctionPolarity(int injection, int function)
{
    const CMSDFile* file = File(injection, function);
    return file ? file->Polarity() : FunctionPolarityPositive;
}

int CLCMSDDataServerImpl::SpectrumCount(int injection, int function)
{
    const CMSDFile* file = File(injection, function);
    return file ? file->ScanCount() : 0;
}

HRESULT CLCMSDDataServerImpl::Chromatogram(Measure measure, int injection, int function,
                                           CChromatogram& chromatogram)
{
    const CMSDFile* file = File(injection, function);
    const std::vector<MSDScanEntry> none;
    const std::vector<MSDScanEntry>& entries = file ? file->Entries() : none;
    try {
        if (!chromatogram.SetSize(static_cast<LONG>(entries.size())))
            return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        chromatogram.SetTime(static_cast<LONG>(i), entries[i].dRetentionTime);
        chromatogram.SetIntensity(static_cast<LONG>(i), measure == Measure::BasePeak
                                                            ? entries[i].dBasePeakAbundance
                                                            : entries[i].dTotalAbundance);
    }
    return S_OK;
}

HRESULT CLCMSDDataServerImpl::BPC(bool, int injection, int function, CChromatogram& chromatogram)
{
    return Chromatogram(Measure::BasePeak, injection, function, chromatogram);
}

HRESULT CLCMSDDataServerImpl::TIC(bool, int injection, int function, CChromatogram& chromatogram)
{
    return Chromatogram(Measure::Total, injection, function, chromatogram);
}

HRESULT CLCMSDDataServerImpl::Spectrum(int injection, int function, int index, CMassSpectrum& spectrum)
{
    CMSDFile* file = File(injection, function);
    if (!file || !file->ReadSpectrum(index, spectrum))
        return E_FAIL;
    spectrum.SetFunctionType(FunctionType(injection, function));
    spectrum.SetMSOrder(1);
    spectrum.Invalidate();
    return S_OK;
}

int CLCMSDDataServerImpl::SpectrumIndexByRT(int injection, int function, double retentionTime,
                                            FunctionRTProximity proximity)
{
    const CMSDFile* file = File(injection, function);
    return file ? file->IndexByRT(retentionTime, proximity) : -1;
}

int CLCMSDDataServerImpl::TraceCount(int injection)
{
    return m_Traces.Count(injection);
}

CString CLCMSDDataServerImpl::TraceName(int injection, int trace)
{
    return CString(m_Traces.Name(injection, trace));
}

HRESULT CLCMSDDataServerImpl::Trace(int injection, int trace, CChromatogram& chromatogram)
{
    return m_Traces.Load(injection, trace, chromatogram);
}
