#include "masslynxdataio.h"

#include <algorithm>
#include <limits>

#include "ksactivation.h"
#include "masslynxformat.h"
#include "variantarray.h"

namespace {

// A class's answer: a failure code or a negative status is a failure. The
// status is taken by reference: it is an out argument of the call that
// makes hr, and the order in which arguments are evaluated is unspecified.
bool Succeeded(HRESULT hr, const LONG& status)
{
    return SUCCEEDED(hr) && status >= 0;
}

template <class I>
void CreateClass(REFCLSID clsid, ks::ComPtr<I>& slot)
{
    // A class that cannot be created leaves its slot empty.
    if (FAILED(CoCreateInstance(clsid, nullptr, KS_MASSLYNX_CLASS_CONTEXT, KS_IID(I), slot.out())))
        slot.reset();
}

}  // namespace

CMassLynxDataIO::CMassLynxDataIO()
{
    CreateClass(CLSID_MassLynxRawCheck, m_pRawCheck);
    CreateClass(CLSID_MassLynxHeader, m_pHeader);
    CreateClass(CLSID_MassLynxFunctionInfo, m_pFunctionInfo);
    CreateClass(CLSID_MassLynxAnalog, m_pAnalog);
    CreateClass(CLSID_MassLynxChromatogram, m_pChromatogram);
    CreateClass(CLSID_MassLynxSpectrum, m_pSpectrum);
    CreateClass(CLSID_MassLynxScanStats, m_pScanStats);
}

CMassLynxDataIO::~CMassLynxDataIO() = default;

bool CMassLynxDataIO::HasClasses() const
{
    return m_pRawCheck && m_pHeader && m_pFunctionInfo && m_pAnalog && m_pChromatogram && m_pSpectrum &&
           m_pScanStats;
}

void CMassLynxDataIO::Reset()
{
    m_strPath.clear();
    m_bOpen = false;
    m_strHeader.clear();
    m_strDataSource.clear();
    m_nFunctions = 0;
    m_nAnalog = 0;
    m_nDiodeArray = 0;
    m_nTraces = 0;
    m_nCurrent = 0;
    m_Records.clear();
    m_DiodeArray.clear();
}

bool CMassLynxDataIO::Check(const std::wstring& path)
{
    LONG status = -1;
    return m_pRawCheck && Succeeded(m_pRawCheck->Check(ks::Bstr(path), &status), status);
}

bool CMassLynxDataIO::ReadFunctions()
{
    const ks::Bstr path(m_strPath);
    LONG count = 0;
    HRESULT hr = m_pFunctionInfo->GetFunctionCount(path, &count);
    if (!Succeeded(hr, count))
        return false;
    m_Records.clear();
    m_DiodeArray.clear();
    // The header is read once for every function's ionisation.
    const CMassLynxIonisationIndex ionisation(m_strHeader);
    // Records grow with the functions that select: the count sizes nothing.
    for (LONG n = 1; n <= count; ++n) {
        LONG status = -1;
        if (!Succeeded(m_pFunctionInfo->Select(path, n, &status), status))
            continue;
        ks::Bstr typeName;
        LONG scans = 0;
        double value = 0;
        if (!Succeeded(m_pFunctionInfo->GetFunction(&typeName, &scans, &value), scans))
            return false;
        const MassLynxFunctionType& type = FindMassLynxFunctionType(typeName.str());
        if (type.diodeArray) {
            m_DiodeArray.push_back(n);
            continue;
        }
        MassLynxFunctionRecord r;
        r.number = n;
        r.scanCount = scans;
        r.value = value;
        r.functionType = type.functionType;
        r.msmsType = type.msmsType;
        ionisation.Find(n, r.ionisation, r.polarity);
        m_Records.push_back(std::move(r));
    }
    return true;
}

bool CMassLynxDataIO::Open(const std::wstring& path)
{
    Reset();
    if (!HasClasses())
        return false;
    m_strPath = path;
    if (!Check(m_strPath)) {
        m_strPath += L".raw";
        if (!Check(m_strPath)) {
            m_strPath.clear();
            return false;
        }
    }
    const ks::Bstr bpath(m_strPath);
    LONG status = -1;
    if (Succeeded(m_pHeader->Read(bpath, &status), status)) {
        ks::Bstr text;
        if (FAILED(m_pHeader->get_Text(&text))) {
            Reset();
            return false;
        }
        // The header is a text: it ends at a zero character.
        const std::wstring header = text.str();
        m_strHeader = header.substr(0, header.find(L'\0'));
    }
    if (!ReadFunctions()) {
        Reset();
        return false;
    }
    m_nFunctions = static_cast<LONG>(m_Records.size());
    m_nCurrent = 1;
    m_nDiodeArray = static_cast<LONG>(m_DiodeArray.size());
    m_nAnalog = 0;
    status = -1;
    if (Succeeded(m_pAnalog->Read(bpath, &status), status)) {
        LONG channels = 0;
        if (!Succeeded(m_pAnalog->get_ChannelCount(&channels), channels) ||
            channels > std::numeric_limits<LONG>::max() - m_nDiodeArray) {
            Reset();
            return false;
        }
        m_nAnalog = channels;
    }
    m_nTraces = m_nAnalog + m_nDiodeArray;
    m_strDataSource = MakeMassLynxDataSource(m_strPath, m_Records.empty() ? 1 : m_Records.front().number);
    m_bOpen = true;
    return true;
}

bool CMassLynxDataIO::OpenDataSource(const std::wstring& dataSource)
{
    std::wstring path;
    std::wstring scanText;
    LONG function = 0;
    if (!ParseMassLynxDataSource(dataSource, path, function, scanText))
        return false;
    return Open(path) && SelectFunctionNumber(function);
}

bool CMassLynxDataIO::IsValidFunctionScan(LONG f, LONG s) const
{
    return m_bOpen && f >= 1 && f <= m_nFunctions && s >= 1 && s <= m_Records[static_cast<size_t>(f - 1)].scanCount;
}

bool CMassLynxDataIO::SelectFunction(LONG f)
{
    // Only the function must exist: one without scans still has a name,
    // a type and a count of 0.
    if (m_bOpen && f >= 1 && f <= m_nFunctions) {
        m_nCurrent = f;
        m_strDataSource = MakeMassLynxDataSource(m_strPath, m_Records[static_cast<size_t>(f - 1)].number);
        return true;
    }
    m_bOpen = false;
    m_strPath.clear();
    m_nCurrent = 0;
    return false;
}

bool CMassLynxDataIO::SelectFunctionNumber(LONG number)
{
    // Records are in function order: a binary search finds the number.
    const auto at = std::lower_bound(m_Records.begin(), m_Records.end(), number,
                                     [](const MassLynxFunctionRecord& r, LONG n) { return r.number < n; });
    if (at == m_Records.end() || at->number != number)
        return SelectFunction(0);
    return SelectFunction(static_cast<LONG>(at - m_Records.begin()) + 1);
}

const MassLynxFunctionRecord* CMassLynxDataIO::Current() const
{
    if (m_nCurrent < 1 || static_cast<size_t>(m_nCurrent) > m_Records.size())
        return nullptr;
    return &m_Records[static_cast<size_t>(m_nCurrent - 1)];
}

LONG CMassLynxDataIO::GetFunctionType() const
{
    const MassLynxFunctionRecord* r = Current();
    return r ? r->functionType : 0;
}

LONG CMassLynxDataIO::GetFunctionMSMSType() const
{
    const MassLynxFunctionRecord* r = Current();
    return r ? r->msmsType : 0;
}

LONG CMassLynxDataIO::GetScanCount() const
{
    const MassLynxFunctionRecord* r = Current();
    return r ? r->scanCount : 0;
}

LONG CMassLynxDataIO::GetFunctionPolarity() const
{
    const MassLynxFunctionRecord* r = Current();
    if (!r)
        return 0;
    return r->polarity != 1 ? 2 : 1;
}

std::wstring CMassLynxDataIO::GetFunctionName() const
{
    const MassLynxFunctionRecord* r = Current();
    if (!r)
        return std::wstring();
    return r->ionisation + (r->polarity == 1 ? L" (+)" : L" (-)");
}

bool CMassLynxDataIO::ReadArrays(HRESULT hr, LONG count, const VARIANT& x, const VARIANT& y,
                                 std::vector<double>& xs, std::vector<double>& ys)
{
    // Both arrays must back the count before it sizes anything.
    if (FAILED(hr) || FAILED(CheckVariantArray(&x, count)) || FAILED(CheckVariantArray(&y, count)))
        return false;
    xs.resize(static_cast<size_t>(count));
    ys.resize(static_cast<size_t>(count));
    return SUCCEEDED(VariantArrayToDoubles(&x, count, xs.data())) &&
           SUCCEEDED(VariantArrayToDoubles(&y, count, ys.data()));
}

bool CMassLynxDataIO::ReadSpectrum(LONG scan, CMassSpectrum& spectrum)
{
    const MassLynxFunctionRecord* r = Current();
    if (!r || !IsValidFunctionScan(m_nCurrent, scan) || !m_pScanStats || !m_pSpectrum)
        return false;
    const ks::Bstr path(m_strPath);
    LONG status = -1;
    if (!Succeeded(m_pScanStats->Read(path, r->number, 0, scan, &status), status))
        return false;
    status = -1;
    if (!Succeeded(m_pSpectrum->Read(path, r->number, 0, scan, &status), status))
        return false;
    LONG count = 0;
    ks::Variant masses, intensities;
    std::vector<double> x, y;
    // The count is an out argument: the call comes first.
    const HRESULT hr = m_pSpectrum->GetData(&count, &masses, &intensities);
    if (!ReadArrays(hr, count, masses, intensities, x, y))
        return false;
    float minutes = 0;
    LONG continuum = 0;
    if (FAILED(m_pScanStats->GetStats(&minutes, &continuum)))
        return false;
    const LONG first = FirstRisingPoint(x.data(), count);
    const LONG n = count - first;
    if (!spectrum.SetSize(n, false, false, false))
        return false;
    for (LONG i = 0; i < n; ++i) {
        spectrum.MassAt(i) = x[static_cast<size_t>(first + i)];
        spectrum.IntensityAt(i) = y[static_cast<size_t>(first + i)];
    }
    m_fScanTime = minutes;
    spectrum.SetStartRT(minutes);
    spectrum.SetEndRT(minutes);
    spectrum.SetCentroid(continuum == 0);
    spectrum.SetFirstScan(scan);
    spectrum.SetLastScan(scan);
    spectrum.SetPolarity(r->polarity == 1 ? 1 : 2);
    spectrum.Invalidate();
    return true;
}

bool CMassLynxDataIO::ReadChromatogram(const std::wstring& name, LONG function, CChromatogram& chromatogram)
{
    if (!m_bOpen || !m_pChromatogram)
        return false;
    LONG status = -1;
    if (!Succeeded(m_pChromatogram->Read(ks::Bstr(m_strPath), function, 0, 0.0, 0.0, 0, ks::Bstr(name), &status),
                   status))
        return false;
    LONG count = 0;
    ks::Variant times, intensities;
    const HRESULT hr = m_pChromatogram->GetData(&count, &times, &intensities);
    std::vector<double> t, y;
    if (FAILED(hr) || count < 1 || !ReadArrays(hr, count, times, intensities, t, y))
        return false;
    if (!chromatogram.SetSize(count))
        return false;
    chromatogram.SetTimes(t.data());
    chromatogram.SetIntensities(y.data());
    chromatogram.SetName(name);
    return true;
}

bool CMassLynxDataIO::ReadTIC(CChromatogram& chromatogram)
{
    const MassLynxFunctionRecord* r = Current();
    return r && ReadChromatogram(L"TIC", r->number, chromatogram);
}

bool CMassLynxDataIO::ReadTrace(LONG n, CChromatogram& chromatogram)
{
    if (n >= 1 && n <= m_nAnalog) {
        // A run without MS functions still has function 1 to ask.
        const MassLynxFunctionRecord* r = Current();
        return ReadChromatogram(L"An" + std::to_wstring(n), r ? r->number : 1, chromatogram);
    }
    if (n > m_nAnalog && n <= m_nTraces)
        return ReadChromatogram(L"TIC", m_DiodeArray[static_cast<size_t>(n - m_nAnalog - 1)], chromatogram);
    return false;
}

bool CMassLynxDataIO::ReadSpectrumFromDataSource(const std::wstring& dataSource, const std::wstring& scanText,
                                                 CMassSpectrum& spectrum, std::wstring& functionName)
{
    std::wstring path;
    std::wstring embedded;
    LONG function = 0;
    LONG scan = 0;
    if (!ParseMassLynxDataSource(dataSource, path, function, embedded) || !ParseScanText(scanText, scan))
        return false;
    if (!Open(path) || !SelectFunctionNumber(function) || !ReadSpectrum(scan, spectrum))
        return false;
    functionName = GetFunctionName();
    return true;
}
