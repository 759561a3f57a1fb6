#include "mldataserver.h"

#include <limits>

#include "masslynxformat.h"

CMLDataServerImpl::CMLDataServerImpl() = default;

CMLDataServerImpl::~CMLDataServerImpl() = default;

CString CMLDataServerImpl::DatasetType()
{
    return CString(L"KSMLProvider");
}

bool CMLDataServerImpl::IsValidDataset(const CString& path)
{
    return IsMassLynxRawDirectory(path.str());
}

void CMLDataServerImpl::ClearTimes()
{
    m_Times.clear();
    m_nTimesFunction = -1;
}

HRESULT CMLDataServerImpl::Open(const CString& path)
{
    ClearTimes();
    if (!IsMassLynxRawDirectory(path.str()))
        return E_FAIL;
    return m_IO.Open(path.str()) ? S_OK : E_FAIL;
}

HRESULT CMLDataServerImpl::Close()
{
    m_IO.Reset();
    ClearTimes();
    return S_OK;
}

bool CMLDataServerImpl::Select(int injection, int function, bool always)
{
    if (injection != 0 || function < 0 || function == std::numeric_limits<int>::max())
        return false;
    const LONG f = static_cast<LONG>(function) + 1;
    if (!always && m_IO.IsOpen() && m_IO.GetCurrentFunction() == f)
        return true;
    return m_IO.SelectFunction(f);
}

int CMLDataServerImpl::FunctionCount(int injection)
{
    return injection == 0 ? m_IO.GetFunctionCount() : 0;
}

CString CMLDataServerImpl::FunctionName(int injection, int function)
{
    return Select(injection, function) ? CString(m_IO.GetFunctionName()) : CString();
}

::FunctionType CMLDataServerImpl::FunctionType(int injection, int function)
{
    return Select(injection, function, true) ? static_cast<::FunctionType>(m_IO.GetFunctionType())
                                             : FunctionTypeUnknown;
}

::FunctionMSMSType CMLDataServerImpl::FunctionMSMSType(int injection, int function)
{
    return Select(injection, function) ? static_cast<::FunctionMSMSType>(m_IO.GetFunctionMSMSType())
                                       : FunctionMSMSTypeNone;
}

::FunctionPolarity CMLDataServerImpl::FunctionPolarity(int injection, int function)
{
    return Select(injection, function) ? static_cast<::FunctionPolarity>(m_IO.GetFunctionPolarity())
                                       : FunctionPolarityUnknown;
}

int CMLDataServerImpl::SpectrumCount(int injection, int function)
{
    return Select(injection, function) ? m_IO.GetScanCount() : 0;
}

HRESULT CMLDataServerImpl::TIC(bool, int injection, int function, CChromatogram& chromatogram)
{
    if (!Select(injection, function) || !m_IO.ReadTIC(chromatogram))
        return E_FAIL;
    const double* times = chromatogram.Times();
    m_Times.assign(times, times + chromatogram.GetCount());
    m_nTimesFunction = function;
    return S_OK;
}

HRESULT CMLDataServerImpl::Spectrum(int injection, int function, int index, CMassSpectrum& spectrum)
{
    if (!Select(injection, function) || index < 0 || index == std::numeric_limits<int>::max() ||
        !m_IO.ReadSpectrum(static_cast<LONG>(index) + 1, spectrum))
        return E_FAIL;
    const ::FunctionType type = FunctionType(injection, function);
    spectrum.SetFunctionType(type);
    spectrum.SetMSOrder(type == FunctionTypeMSn ? 2 : 1);
    spectrum.Invalidate();
    return S_OK;
}

int CMLDataServerImpl::SpectrumIndexByRT(int injection, int function, double retentionTime,
                                         FunctionRTProximity proximity)
{
    if (!Select(injection, function))
        return -1;
    if (m_nTimesFunction != function) {
        CChromatogram tic;
        if (FAILED(TIC(true, injection, function, tic)))
            return -1;
    }
    return FindIndexByRetentionTime(m_Times, retentionTime, proximity);
}

int CMLDataServerImpl::TraceCount(int injection)
{
    return injection == 0 ? m_IO.GetTraceCount() : 0;
}

CString CMLDataServerImpl::TraceName(int, int)
{
    return CString();
}

HRESULT CMLDataServerImpl::Trace(int injection, int trace, CChromatogram& chromatogram)
{
    if (injection != 0 || trace < 0 || trace == std::numeric_limits<int>::max())
        return E_FAIL;
    return m_IO.ReadTrace(static_cast<LONG>(trace) + 1, chromatogram) ? S_OK : E_FAIL;
}
