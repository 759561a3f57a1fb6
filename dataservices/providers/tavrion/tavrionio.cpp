#include "tavrionio.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "ksactivation.h"
#include "ksfilestat.h"
#include "ksenums.h"
#include "kstextutil.h"
#include "tavrionpairs.h"
#include "tavrionscanfilter.h"

namespace {

// The reader is asked for with "any server" (in process, handler, local,
// remote), as a client of an automation class would.
constexpr DWORD kReaderContext = CLSCTX_ALL;

// The controllers a raw file holds besides the mass spectrometer, and the
// names of their unlabelled channels ("%d" the channel's running number).
constexpr LONG kControllerMS = kOmbrelMS;
const wchar_t* DefaultChannelName(LONG type)
{
    switch (type) {
    case kOmbrelAnalog:
        return L"Analog Trace %d";
    case kOmbrelADCard:
        return L"A/D Trace %d";
    case kOmbrelPDA:
        return L"PDA Trace %d";
    case kOmbrelUV:
        return L"UV Trace %d";
    default:
        return nullptr;
    }
}
// A controller has at most this many channels.
constexpr LONG kChannelsPerController = 4;

bool PairsToSpectrum(LONG count, const double* pairs, CMassSpectrum& spectrum)
{
    if (!spectrum.SetSize(count, false, false, false))
        return false;
    double* mz = spectrum.Masses();
    double* intensity = spectrum.Intensities();
    for (LONG i = 0; i < count; ++i) {
        mz[i] = pairs[2 * i];
        intensity[i] = pairs[2 * i + 1];
    }
    spectrum.Invalidate();
    return true;
}

// "%.1lf" in the "C" form.
std::wstring OneDecimal(double value)
{
    char text[400];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    return error == std::errc() ? std::wstring(text, end) : std::wstring();
}

}  // namespace

// ---------------------------------------------------------------------------
// The reader object and the open file

CTavrionIO::CTavrionIO()
{
    Reset();
}

CTavrionIO::~CTavrionIO()
{
    if (m_pReader)
        m_pReader->Close();
}

bool CTavrionIO::Reset()
{
    if (!m_pReader) {
        IOmbrel* reader = nullptr;
        const HRESULT hr = CoCreateInstance(CLSID_Ombrel, nullptr, kReaderContext, KS_IID(IOmbrel),
                                            reinterpret_cast<void**>(&reader));
        m_pReader.attach(SUCCEEDED(hr) ? reader : nullptr);
        m_bCreated = m_pReader != nullptr;
    }
    m_Path.clear();
    m_DataSource.clear();
    m_bOpen = false;
    m_nScans = 0;
    m_Channels.clear();
    m_ChannelNames.clear();
    m_FilterCache.clear();
    return m_bCreated;
}

void CTavrionIO::Close()
{
    if (m_pReader)
        m_pReader->Close();
    Reset();
}

bool CTavrionIO::Open(const std::wstring& path)
{
    if (m_bOpen && path == m_Path)
        return true;
    Close();
    if (!m_pReader)
        return false;
    std::wstring opened = path;
    if (!CKSFileStat(opened).Exists()) {
        opened += L".raw";
        if (!CKSFileStat(opened).Exists())
            return false;
    }
    ks::Bstr name(opened);
    if (name.allocationFailed() || m_pReader->Open(name) != kOmbrelDone)
        return false;
    MakeMSCurrent();
    LONG scans = 0;
    m_pReader->GetNumSpectra(&scans);
    m_nScans = scans > 0 ? scans : 0;
    m_Path = opened;
    m_DataSource = MakeTavrionDataSource(opened);
    m_bOpen = true;
    FindChannels();
    return true;
}

bool CTavrionIO::OpenDataSource(const std::wstring& dataSource)
{
    std::wstring path;
    return ParseTavrionDataSource(dataSource, path) && Open(path);
}

void CTavrionIO::MakeMSCurrent()
{
    m_pReader->SetCurrentController(kControllerMS, 1);
}

// Every channel of every controller that is no mass spectrometer, kept
// when it reads. Each controller is made current by its own number among
// the controllers of its type, so a second detector of a kind shows its
// own channels, not the first one's again.
void CTavrionIO::FindChannels()
{
    LONG controllers = 0;
    m_pReader->GetNumberOfControllers(&controllers);
    std::map<LONG, LONG> seen;  // controllers of each type so far
    for (LONG index = 0; index < controllers; ++index) {
        LONG type = kControllerMS;
        m_pReader->GetControllerType(index, &type);
        if (type == kControllerMS)
            continue;
        const LONG number = ++seen[type];
        m_pReader->SetCurrentController(type, number);
        int running = 1;
        for (LONG channel = 0; channel < kChannelsPerController; ++channel) {
            ks::Bstr label;
            m_pReader->GetInstChannelLabel(channel, &label);
            std::wstring name = label.str();
            if (name.empty()) {
                if (const wchar_t* format = DefaultChannelName(type))
                    FormatWide(name, format, running);
            }
            m_Channels.push_back(Channel{type, number, channel});
            m_ChannelNames.push_back(name);
            CChromatogram probe;
            if (ReadChannelChromatogram(ChannelCount(), probe)) {
                ++running;
            } else {
                m_Channels.pop_back();
                m_ChannelNames.pop_back();
            }
        }
    }
}

std::wstring CTavrionIO::ChannelName(int n) const
{
    return n >= 1 && n <= ChannelCount() ? m_ChannelNames[static_cast<size_t>(n - 1)] : std::wstring();
}

// ---------------------------------------------------------------------------
// Scans

std::wstring CTavrionIO::GetScanFilter(LONG scan)
{
    if (!m_bOpen || scan < 1 || scan > m_nScans)
        return std::wstring();
    const size_t at = static_cast<size_t>(scan - 1);
    if (m_FilterCache.size() <= at)
        m_FilterCache.resize(at + 1);
    if (m_FilterCache[at].empty()) {
        MakeMSCurrent();
        ks::Bstr text;
        m_pReader->GetFilterForScanNum(scan, &text);
        m_FilterCache[at] = text.str();
    }
    return m_FilterCache[at];
}

LONG CTavrionIO::ScanFromTime(double time)
{
    if (!m_pReader)
        return 0;
    MakeMSCurrent();
    LONG scan = 0;
    m_pReader->ScanNumFromRT(time, &scan);
    return scan > 0 ? scan : 0;
}

double CTavrionIO::TimeFromScan(LONG scan)
{
    double time = -1.0;
    if (!m_pReader || scan <= 0)
        return time;
    MakeMSCurrent();
    m_pReader->RTFromScanNum(scan, &time);
    return time;
}

bool CTavrionIO::ReadSpectrum(LONG scan, CMassSpectrum& spectrum)
{
    if (!m_bOpen)
        return false;
    MakeMSCurrent();
    return ReadMassList(scan, false, spectrum);
}

bool CTavrionIO::ReadNextSpectrum(LONG scan, CMassSpectrum& spectrum)
{
    return m_bOpen && ReadMassList(scan, true, spectrum);
}

bool CTavrionIO::ReadMassList(LONG scan, bool next, CMassSpectrum& spectrum)
{
    LONG number = scan;
    double width = 0.0;
    ks::Variant list, flags;
    LONG count = 0;
    const HRESULT hr = next ? m_pReader->GetNextMassListFromScanNum(&number, nullptr, 0, 0, 0, 0, &width, &list,
                                                                     &flags, &count)
                            : m_pReader->GetMassListFromScanNum(&number, nullptr, 0, 0, 0, 0, &width, &list,
                                                                 &flags, &count);
    // The next scan's status says nothing the array does not.
    if (!next && hr != kOmbrelDone)
        return false;
    const auto toSpectrum = [&](LONG n, const double* pairs) { return PairsToSpectrum(n, pairs, spectrum); };
    if (!WithReaderPairs(list, count, toSpectrum))
        return false;
    LONG centroid = 0;
    m_pReader->IsCentroidScanForScanNum(number, &centroid);
    spectrum.SetCentroid(centroid == 1);
    const double time = TimeFromScan(number);
    spectrum.SetStartRT(time);
    spectrum.SetEndRT(time);
    spectrum.SetFirstScan(number);
    spectrum.SetLastScan(number);
    ApplyScanFilter(number, spectrum);
    return true;
}

void CTavrionIO::ApplyScanFilter(LONG scan, CMassSpectrum& spectrum)
{
    const std::wstring text = GetScanFilter(scan);
    TavrionScanFilter filter;
    if (text.empty() || !filter.Parse(text))
        return;
    spectrum.SetMSOrder(filter.m_nMSOrder);
    spectrum.SetPolarity(filter.m_nPolarity == -1 ? FunctionPolarityNegative : FunctionPolarityPositive);
    if (filter.m_nMSOrder > 1) {
        spectrum.SetPrecursorMass(filter.m_Precursors[0]);
        spectrum.SetPrecursorMZ(2, filter.m_Precursors[0]);
        spectrum.SetPrecursorMZ2(2, filter.m_Precursors[0]);
    }
    spectrum.SetTitle(text);
}

// ---------------------------------------------------------------------------
// Chromatograms

template <class Write>
bool CTavrionIO::ReadChroPairs(LONG controllerType, LONG controllerNumber, LONG chroType, const std::wstring& filter,
                               const std::wstring& ranges, Write write)
{
    if (!m_bOpen)
        return false;
    m_pReader->SetCurrentController(controllerType, controllerNumber);
    ks::Bstr filterText(filter), rangeText(ranges);
    double start = 0.0, end = 0.0;
    ks::Variant data, flags;
    LONG count = 0;
    m_pReader->GetChroData(chroType, 0, 0, filterText, rangeText, nullptr, 0.0, &start, &end, 0, 0, &data, &flags,
                           &count);
    // No data is an empty VARIANT, whatever the status.
    return data.vt != VT_EMPTY && WithReaderPairs(data, count, write);
}

bool CTavrionIO::ReadChromatogram(LONG controllerType, LONG controllerNumber, LONG chroType,
                                  const std::wstring& filter, CChromatogram& chromatogram, double low, double high)
{
    std::wstring ranges;
    if (chroType == kTavrionChroBasePeak && low > -1 && high > -1)
        ranges = OneDecimal(low) + L"-" + OneDecimal(high);
    return ReadChroPairs(controllerType, controllerNumber, chroType, filter, ranges,
                         [&](LONG count, const double* pairs) {
                             if (!chromatogram.SetSize(count))
                                 return false;
                             for (LONG i = 0; i < count; ++i) {
                                 chromatogram.SetTime(i, pairs[2 * i]);
                                 chromatogram.SetIntensity(i, pairs[2 * i + 1]);
                             }
                             return true;
                         });
}

bool CTavrionIO::ReadControllerTrace(LONG controllerType, LONG controllerNumber, LONG chroType,
                                     CMassSpectrum& spectrum)
{
    const auto toSpectrum = [&](LONG count, const double* pairs) { return PairsToSpectrum(count, pairs, spectrum); };
    if (!ReadChroPairs(controllerType, controllerNumber, chroType, std::wstring(), std::wstring(), toSpectrum))
        return false;
    spectrum.SetCentroid(false);
    return true;
}

bool CTavrionIO::HasChromatogram(LONG chroType)
{
    LONG points = 0;
    ReadChroPairs(kControllerMS, 1, chroType, std::wstring(), std::wstring(), [&](LONG count, const double*) {
        points = count;
        return true;
    });
    return points > 1;
}

bool CTavrionIO::ReadChannelTrace(int n, CMassSpectrum& spectrum)
{
    if (n < 1 || n > ChannelCount())
        return false;
    const Channel& c = m_Channels[static_cast<size_t>(n - 1)];
    return ReadControllerTrace(c.type, c.number, c.channel, spectrum);
}

bool CTavrionIO::ReadChannelChromatogram(int n, CChromatogram& chromatogram)
{
    if (n < 1 || n > ChannelCount())
        return false;
    const Channel& c = m_Channels[static_cast<size_t>(n - 1)];
    return ReadChromatogram(c.type, c.number, c.channel, std::wstring(), chromatogram, -1, -1);
}

// ---------------------------------------------------------------------------
// Scan types

bool CTavrionIO::IsZoomScan(LONG scan)
{
    TavrionScanFilter filter;
    const std::wstring text = GetScanFilter(scan);
    return !text.empty() && filter.Parse(text) && filter.m_nScanMode == TavrionScanModeZoom;
}

bool CTavrionIO::IsFullScan(LONG scan)
{
    TavrionScanFilter filter;
    const std::wstring text = GetScanFilter(scan);
    return !text.empty() && filter.Parse(text) && filter.m_nScanMode == TavrionScanModeFull;
}

bool CTavrionIO::IsDependentScan(LONG scan)
{
    TavrionScanFilter filter;
    const std::wstring text = GetScanFilter(scan);
    return !text.empty() && filter.Parse(text) && filter.m_bDependent;
}
