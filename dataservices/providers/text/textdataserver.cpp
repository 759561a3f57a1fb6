#include "textdataserver.h"

#include <climits>

CTextDataServerImpl::CTextDataServerImpl() = default;

CTextDataServerImpl::~CTextDataServerImpl()
{
    m_IO.Close();
}

CString CTextDataServerImpl::DatasetType()
{
    return CString(L"KSTextProvider");
}

bool CTextDataServerImpl::IsValidDataset(const CString& path)
{
    const std::wstring& p = path.str();
    if (p.size() < 4)
        return false;
    std::wstring tail = p.substr(p.size() - 4);
    for (wchar_t& c : tail)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return tail == L".txt";
}

HRESULT CTextDataServerImpl::Open(const CString& path)
{
    m_Times.clear();
    return m_IO.Open(path.str()) ? S_OK : E_FAIL;
}

HRESULT CTextDataServerImpl::Close()
{
    m_Times.clear();
    m_IO.Close();
    return S_OK;
}

// The file is one injection with one function. A child object taken before
// a re-open keeps its indexes, so every operation checks them again.
bool CTextDataServerImpl::IsFunction(int injection, int function)
{
    return injection == 0 && function == 0;
}

int CTextDataServerImpl::SpectrumCount(int injection, int function)
{
    if (!IsFunction(injection, function))
        return 0;
    return m_IO.SpectrumCount();
}

HRESULT CTextDataServerImpl::TIC(bool calculate, int injection, int function, CChromatogram& chromatogram)
{
    if (!calculate)
        return CO_E_NOT_SUPPORTED;
    if (!IsFunction(injection, function))
        return E_FAIL;
    LONG count = 0;
    std::vector<double> times;
    std::vector<double> sums;
    if (!m_IO.ReadTIC(count, times, sums))
        return E_FAIL;
    if (!chromatogram.SetSize(count))
        return E_FAIL;
    if (count > 0) {
        chromatogram.SetTimes(times.data());
        chromatogram.SetIntensities(sums.data());
    }
    m_Times.swap(times);
    return S_OK;
}

HRESULT CTextDataServerImpl::Spectrum(int injection, int function, int index, CMassSpectrum& spectrum)
{
    // The file counts spectra from 1; an index at the int limit has no
    // successor.
    if (!IsFunction(injection, function) || index < 0 || index == INT_MAX ||
        !m_IO.ReadDatasetSpectrum(static_cast<LONG>(index) + 1, spectrum))
        return E_FAIL;
    spectrum.SetFunctionType(FunctionType(injection, function));
    spectrum.Invalidate();
    return S_OK;
}

bool CTextDataServerImpl::WritesEveryPoint()
{
    return true;
}

int CTextDataServerImpl::SpectrumIndexByRT(int injection, int function, double retentionTime,
                                           FunctionRTProximity proximity)
{
    if (!IsFunction(injection, function))
        return -1;
    if (m_Times.empty()) {
        CChromatogram scratch;
        if (FAILED(TIC(true, injection, function, scratch)))
            return -1;
    }
    return FindIndexByRetentionTime(m_Times, retentionTime, proximity);
}
