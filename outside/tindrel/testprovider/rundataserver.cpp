#include "rundataserver.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "ksfiles.h"
#include "ksfilestat.h"

namespace {

// Run descriptions are small; a larger file is refused before it is read.
const size_t kMaxFileSize = 16u << 20;

bool ReadWholeFile(const std::wstring& path, std::string& text, std::string& error)
{
    const int fd = ks::openRegularFile(FileSystemPath(path));
    if (fd < 0) {
        error = "cannot open the file";
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            error = "cannot read the file";
            return false;
        }
        if (n == 0)
            break;
        if (text.size() + static_cast<size_t>(n) > kMaxFileSize) {
            ::close(fd);
            error = "file too large";
            return false;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

bool HasRunExtension(const std::wstring& p)
{
    if (p.size() < 4)
        return false;
    std::wstring tail = p.substr(p.size() - 4);
    for (wchar_t& c : tail)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return tail == L".run";
}

}  // namespace

bool LoadRunFile(const std::wstring& path, tindrelrun::Run& run, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text, error))
        return false;
    tindrelrun::ParseError parseError;
    if (!tindrelrun::parseRun(text, run, parseError)) {
        error = parseError.line > 0 ? "line " + std::to_string(parseError.line) + ": " + parseError.reason
                                    : parseError.reason;
        return false;
    }
    return true;
}

CString CRunDataServerImpl::DatasetType()
{
    return CString(L"KSTindrelTestProvider");
}

bool CRunDataServerImpl::IsValidDataset(const CString& path)
{
    if (!HasRunExtension(path.str()))
        return false;
    std::FILE* f = ks::openRegularFileStream(FileSystemPath(path.str()));
    if (!f)
        return false;
    char line[sizeof tindrelrun::kRunSignature + 1] = {};
    const size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    const size_t signature = sizeof tindrelrun::kRunSignature - 1;
    return n >= signature && std::string(line, signature) == tindrelrun::kRunSignature &&
           (n == signature || line[signature] == '\n' || line[signature] == '\r');
}

HRESULT CRunDataServerImpl::Open(const CString& path)
{
    Close();
    if (!LoadRunFile(path.str(), m_run, m_error))
        return E_FAIL;
    m_open = true;
    return S_OK;
}

HRESULT CRunDataServerImpl::Close()
{
    m_run = tindrelrun::Run();
    m_open = false;
    return S_OK;
}

const tindrelrun::Function* CRunDataServerImpl::FindFunction(int injection, int function) const
{
    if (injection < 0 || static_cast<size_t>(injection) >= m_run.injections.size())
        return nullptr;
    const auto& functions = m_run.injections[static_cast<size_t>(injection)].functions;
    if (function < 0 || static_cast<size_t>(function) >= functions.size())
        return nullptr;
    return &functions[static_cast<size_t>(function)];
}

const tindrelrun::Trace* CRunDataServerImpl::FindTrace(int injection, int trace) const
{
    if (injection < 0 || static_cast<size_t>(injection) >= m_run.injections.size())
        return nullptr;
    const auto& traces = m_run.injections[static_cast<size_t>(injection)].traces;
    if (trace < 0 || static_cast<size_t>(trace) >= traces.size())
        return nullptr;
    return &traces[static_cast<size_t>(trace)];
}

int CRunDataServerImpl::InjectionCount()
{
    return static_cast<int>(m_run.injections.size());
}

int CRunDataServerImpl::InjectionCountFromPath(const CString& path)
{
    tindrelrun::Run run;
    std::string error;
    return LoadRunFile(path.str(), run, error) ? static_cast<int>(run.injections.size()) : 0;
}

CString CRunDataServerImpl::InjectionName(int injection)
{
    if (injection < 0 || static_cast<size_t>(injection) >= m_run.injections.size())
        return CString();
    return CString(m_run.injections[static_cast<size_t>(injection)].name.c_str());
}

int CRunDataServerImpl::FunctionCount(int injection)
{
    if (injection < 0 || static_cast<size_t>(injection) >= m_run.injections.size())
        return 0;
    return static_cast<int>(m_run.injections[static_cast<size_t>(injection)].functions.size());
}

CString CRunDataServerImpl::FunctionName(int injection, int function)
{
    const tindrelrun::Function* f = FindFunction(injection, function);
    return f ? CString(f->name.c_str()) : CString();
}

::FunctionType CRunDataServerImpl::FunctionType(int injection, int function)
{
    const tindrelrun::Function* f = FindFunction(injection, function);
    return f ? static_cast<::FunctionType>(f->type) : FunctionTypeUnknown;
}

::FunctionMSMSType CRunDataServerImpl::FunctionMSMSType(int injection, int function)
{
    const tindrelrun::Function* f = FindFunction(injection, function);
    return f ? static_cast<::FunctionMSMSType>(f->msmsType) : FunctionMSMSTypeNone;
}

::FunctionPolarity CRunDataServerImpl::FunctionPolarity(int injection, int function)
{
    const tindrelrun::Function* f = FindFunction(injection, function);
    return f ? static_cast<::FunctionPolarity>(f->polarity) : FunctionPolarityUnknown;
}

int CRunDataServerImpl::MSOrder(int injection, int function)
{
    const tindrelrun::Function* f = FindFunction(injection, function);
    return f ? f->order : 0;
}

int CRunDataServerImpl::SpectrumCount(int injection, int function)
{
    const tindrelrun::Function* f = FindFunction(injection, function);
    return f ? f->reportedScans() : 0;
}

HRESULT CRunDataServerImpl::Spectrum(int injection, int function, int index, CMassSpectrum& spectrum)
{
    const tindrelrun::Function* f = FindFunction(injection, function);
    if (!f || index < 0 || index >= f->scans)
        return E_FAIL;
    std::vector<double> mz, intensity;
    tindrelrun::computeSpectrum(m_run, injection, function, index, mz, intensity);
    if (!spectrum.SetSize(static_cast<LONG>(mz.size()), false, false, false))
        return E_OUTOFMEMORY;
    for (size_t k = 0; k < mz.size(); ++k) {
        spectrum.MassAt(static_cast<LONG>(k)) = mz[k];
        spectrum.IntensityAt(static_cast<LONG>(k)) = intensity[k];
    }
    const double t = tindrelrun::scanTime(*f, index);
    spectrum.SetTitle(L"Scan " + std::to_wstring(index + 1));
    spectrum.SetCentroid(!f->profile);
    spectrum.SetMSOrder(static_cast<SHORT>(f->order));
    spectrum.SetPrecursorMass(f->order >= 2 ? f->precursor : 0);
    for (LONG level = 2; level <= f->order; ++level)
        spectrum.SetPrecursorMZ(level, f->precursor);
    spectrum.SetPolarity(f->polarity);
    spectrum.SetFunctionType(f->type);
    spectrum.SetStartRT(t);
    spectrum.SetEndRT(t);
    spectrum.SetFirstScan(index + 1);
    spectrum.SetLastScan(index + 1);
    return S_OK;
}

int CRunDataServerImpl::SpectrumIndexByRT(int injection, int function, double retentionTime,
                                          FunctionRTProximity proximity)
{
    const tindrelrun::Function* f = FindFunction(injection, function);
    if (!f)
        return -1;
    std::vector<double> times(static_cast<size_t>(f->scans));
    for (int i = 0; i < f->scans; ++i)
        times[static_cast<size_t>(i)] = tindrelrun::scanTime(*f, i);
    return FindIndexByRetentionTime(times, retentionTime, proximity);
}

int CRunDataServerImpl::TraceCount(int injection)
{
    if (injection < 0 || static_cast<size_t>(injection) >= m_run.injections.size())
        return 0;
    return static_cast<int>(m_run.injections[static_cast<size_t>(injection)].traces.size());
}

CString CRunDataServerImpl::TraceName(int injection, int trace)
{
    const tindrelrun::Trace* t = FindTrace(injection, trace);
    return t ? CString(t->name.c_str()) : CString();
}

HRESULT CRunDataServerImpl::Trace(int injection, int trace, CChromatogram& chromatogram)
{
    const tindrelrun::Trace* t = FindTrace(injection, trace);
    if (!t)
        return E_FAIL;
    std::vector<double> times, intensity;
    tindrelrun::computeTrace(*t, times, intensity);
    if (!chromatogram.SetSize(static_cast<LONG>(times.size())))
        return E_OUTOFMEMORY;
    chromatogram.SetTimes(times.data());
    chromatogram.SetIntensities(intensity.data());
    chromatogram.SetName(t->name);
    return S_OK;
}
