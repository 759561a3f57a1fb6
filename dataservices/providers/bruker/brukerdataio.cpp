#include "brukerdataio.h"

#include <cerrno>
#include <cmath>
#include <limits>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

#include "brukerlayout.h"
#include "ksfiles.h"
#include "ksfilestat.h"
#include "kstextutil.h"
#include "massspectrum.h"

namespace {

const double kLargestDouble = std::numeric_limits<double>::max();
// Scaling exponents beyond this turn every value into 0 (or leave it
// unscaled) all the same; the bound keeps the power finite to compute.
const LONG kMaxScaleExponent = 2000;
// Below this the nonlinear time-of-flight term is taken as absent.
const double kNoQuadraticTerm = 1e-32;
// "$PI" holds four masses; this one stands for no precursor.
const double kNoPrecursor = 100.0;
// File byte order: "$BYTORDA" / "$BYTORDP" 0 little-endian, 1 big-endian.
constexpr bool kHostBigEndian = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;

using Wide = unsigned __int128;

bool isScanfSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

LONG integerOr(const CBruker& parameters, const wchar_t* name, LONG otherwise)
{
    LONG value = otherwise;
    return parameters.GetInteger(name, value) ? value : otherwise;
}

double doubleOr(const CBruker& parameters, const wchar_t* name, double otherwise)
{
    double value = otherwise;
    return parameters.GetDouble(name, value) ? value : otherwise;
}

std::wstring textOf(const CBruker& parameters, const wchar_t* name)
{
    std::wstring value;
    parameters.GetString(name, value);
    return value;
}

// The acquisition parameters for the data reader: older acquisitions hold
// "acqu" alone, so the first file of the pair is enough.
bool loadAcquisition(const std::wstring& dataset, const std::wstring& expno, CBruker& parameters)
{
    bool firstRead = false;
    return LoadDatasetParameters(dataset, expno, std::wstring(), false, parameters, &firstRead) || firstRead;
}

}  // namespace

bool ParseDataSource(const std::wstring& text, BrukerDataSource& source)
{
    source = BrukerDataSource();
    if (text.size() > kBrukerMaxDataSource)
        return false;
    std::wstring* fields[] = {&source.className, &source.folder, &source.expno, &source.procno};
    size_t p = 0;
    for (size_t f = 0; f < 4; ++f) {
        if (f > 0) {
            if (p >= text.size() || text[p] != L';')
                break;
            ++p;
            while (p < text.size() && isScanfSpace(text[p]))
                ++p;
        }
        size_t end = text.find(L';', p);
        if (end == std::wstring::npos)
            end = text.size();
        if (end == p)
            break;
        if (end - p > kBrukerMaxDataSourceField) {
            source = BrukerDataSource();
            return false;
        }
        fields[f]->assign(text, p, end - p);
        p = end;
    }
    return CompareNoCase(source.className, kBrukerClassName) == 0;
}

std::wstring FormatDataSource(const std::wstring& folder, const std::wstring& expno, const std::wstring& procno)
{
    return std::wstring(kBrukerClassName) + L"; " + folder + L"; " + expno + L"; " + procno;
}

// ---------------------------------------------------------------------------

CBrukerDataIO::CBrukerDataIO() : m_nLastScan(0), m_bOpen(false), m_fd(-1)
{
    Reset();
}

CBrukerDataIO::~CBrukerDataIO()
{
    Close();
}

void CBrukerDataIO::Reset()
{
    Close();
    static_cast<BrukerExperimentLayout&>(*this) = BrukerExperimentLayout();
    m_nLastScan = 0;
    m_Acquisition.Clear();
    m_Processing.Clear();
    m_Processing2.Clear();
}

void CBrukerDataIO::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    std::vector<int32_t>().swap(m_Raw);
    std::vector<float>().swap(m_Values);
    m_bOpen = false;
}

bool CBrukerDataIO::OpenDataSource(const std::wstring& dataSource)
{
    BrukerDataSource source;
    if (!ParseDataSource(dataSource, source)) {
        Reset();
        return false;
    }
    return Open(source.folder, source.expno, source.procno);
}

bool CBrukerDataIO::Open(const std::wstring& dataset, const std::wstring& expno, const std::wstring& procno)
{
    Reset();
    if (!LoadParameters(dataset, expno, procno)) {
        Reset();
        return false;
    }
    m_DatasetFolder = dataset;
    m_DataSource = FormatDataSource(dataset, m_Expno, m_Procno);
    return OpenDataFile();
}

bool CBrukerDataIO::Open(const BrukerExperimentLayout& layout)
{
    Reset();
    static_cast<BrukerExperimentLayout&>(*this) = layout;
    return OpenDataFile();
}

// Opens the data file, checks every size against it and allocates the scan
// buffers; a failure resets the reader.
bool CBrukerDataIO::OpenDataFile()
{
    m_fd = ks::openRegularFile(FileSystemPath(m_DataFile));
    struct stat status;
    bool ok = m_fd >= 0 && ::fstat(m_fd, &status) == 0 && CheckSizes(static_cast<LONGLONG>(status.st_size));
    if (ok) {
        try {
            m_Raw.assign(static_cast<size_t>(m_nPoints), 0);
            m_Values.assign(static_cast<size_t>(m_nPoints), 0.0f);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok) {
        Reset();
        return false;
    }
    m_bOpen = true;
    return true;
}

bool CBrukerDataIO::LoadParameters(const std::wstring& dataset, const std::wstring& expno,
                                   const std::wstring& procno)
{
    if (!loadAcquisition(dataset, expno, m_Acquisition))
        return false;
    m_Expno = expno;
    m_bSeries = textOf(m_Acquisition, L"KSDataForm") == L"2D";
    m_nScans = m_bSeries ? integerOr(m_Acquisition, L"$NF", 1) : 1;
    m_bTimeOfFlight = CompareNoCase(textOf(m_Acquisition, L"KSDataType"), L"TOF") == 0;

    const CBruker* source = &m_Acquisition;
    if (procno.empty()) {
        m_Kind = RawData;
        m_Title = textOf(m_Acquisition, L"KSDataType") + L" acquired data";
    } else {
        // A processing wants both of its files; only acquisitions come
        // without their "s" file.
        m_Processing.Clear();
        if (!LoadDatasetParameters(dataset, expno, procno, false, m_Processing))
            return false;
        if (m_bSeries) {
            m_Processing2.Clear();
            if (!LoadDatasetParameters(dataset, expno, procno, true, m_Processing2))
                return false;
        }
        m_Kind = ProcessedData;
        m_Procno = procno;
        m_Title = textOf(m_Processing, L"KSTitle");
        if (m_Title.empty())
            m_Title = textOf(m_Processing, L"$TI");
        source = &m_Processing;
    }
    const bool raw = m_Kind == RawData;

    double gct = 0;
    m_dScanInterval = m_bSeries && m_Acquisition.GetDouble(L"$GCT", gct) && gct != 0 ? 1.0 / gct : 0.0;
    m_AcquisitionDate = textOf(m_Acquisition, L"$AQ_DATE");

    if (!LocateDataFile(textOf(*source, L"KSPath"), m_DataFile))
        return false;
    if (!source->GetBinaryFlag(raw ? L"$BYTORDA" : L"$BYTORDP", m_bByteOrder))
        return false;
    m_nNC = integerOr(*source, raw ? L"$NC" : L"$NC_proc", 0);

    m_dLowMass = doubleOr(m_Acquisition, L"$MW_low", 0);
    m_dHighMass = m_bTimeOfFlight ? kLargestDouble : doubleOr(m_Acquisition, L"$MW_high", kLargestDouble);

    // "$TD" counts 32-bit points: a raw scan is TD points, 4 x TD bytes.
    m_nTD = integerOr(m_Acquisition, L"$TD", 0);
    m_nPoints = m_nTD;
    if (!raw) {
        m_nSI = integerOr(m_Processing, L"$SI", 0);
        m_nPoints = m_nSI;
        if (m_bSeries) {
            m_nBlockWidth = integerOr(m_Processing, L"$XDIM", 0);
            m_nBlockHeight = integerOr(m_Processing2, L"$XDIM", 0);
        }
    }

    m_dML1 = doubleOr(m_Acquisition, L"$ML1", 0);
    m_dML2 = doubleOr(m_Acquisition, L"$ML2", 0);
    m_dML3 = doubleOr(m_Acquisition, L"$ML3", 0);
    if (raw)
        m_nCalibrationMode = 6;
    else if (m_bTimeOfFlight)
        m_nCalibrationMode = std::fabs(m_dML3) < kNoQuadraticTerm ? 4 : 5;
    else if (!m_Acquisition.GetCalibrationMethod(L"$Calmet", m_nCalibrationMode))
        m_nCalibrationMode = 6;

    if (!m_bTimeOfFlight) {
        if (!m_Acquisition.GetDetectionMode(L"$DM", m_nDetectionMode))
            m_nDetectionMode = 0;
        m_dFRLow = doubleOr(m_Acquisition, L"$FR_low", 0);
    }
    m_dSW = doubleOr(m_Acquisition, L"$SW", 0);
    if (!raw && !m_bTimeOfFlight)
        m_dSW = doubleOr(m_Processing, L"$SW_p", m_dSW);
    LONG tilt = 0;
    m_bTiltYes = source->GetYesNo(L"$TILT", tilt) && tilt == 1;
    m_dDW = doubleOr(m_Acquisition, L"$DW", 0);
    m_dDelay = doubleOr(m_Acquisition, L"$DELAY", 0);
    return true;
}

// Every scan the parameters promise must lie inside the file: a scan of
// points x 4 bytes, the scan count, and for a processed series the blocks
// (whole blocks along the scan, none of width or height 0).
bool CBrukerDataIO::CheckSizes(LONGLONG fileSize)
{
    if (m_nPoints <= 0 || m_nScans <= 0 || fileSize <= 0)
        return false;
    const Wide size = static_cast<Wide>(fileSize);
    const Wide points = static_cast<Wide>(m_nPoints);
    if (points * 4 > size)
        return false;
    const Wide last = static_cast<Wide>(m_nScans) - 1;
    if (m_Kind == ProcessedData && m_bSeries) {
        if (m_nBlockWidth <= 0 || m_nBlockHeight <= 0 || m_nPoints % m_nBlockWidth != 0)
            return false;
        const Wide width = static_cast<Wide>(m_nBlockWidth);
        const Wide height = static_cast<Wide>(m_nBlockHeight);
        const Wide q = last / height;
        const Wide r = last % height;
        // The last piece of the last scan ends here.
        const Wide end = 4 * (q * points * height + (points - width) * height + (r + 1) * width);
        return end <= size;
    }
    return (last + 1) * points * 4 <= size;
}

bool CBrukerDataIO::ReadBytes(LONGLONG offset, size_t points, int32_t* into) const
{
    char* to = reinterpret_cast<char*>(into);
    size_t left = points * sizeof(int32_t);
    while (left > 0) {
        const ssize_t got = ::pread(m_fd, to, left, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;  // an error or the end of the file: the scan is not whole
        to += got;
        offset += got;
        left -= static_cast<size_t>(got);
    }
    return true;
}

bool CBrukerDataIO::ReadScan(LONG scan)
{
    if (!m_bOpen || scan > m_nScans)
        return false;
    const LONGLONG index = scan > 1 ? scan - 1 : 0;
    const LONGLONG points = m_nPoints;
    if (m_Kind == ProcessedData && m_bSeries) {
        const LONGLONG width = m_nBlockWidth;
        const LONGLONG height = m_nBlockHeight;
        const LONGLONG q = index / height;
        const LONGLONG r = index % height;
        const LONGLONG first = 4 * (q * points * height + r * width);
        for (LONGLONG k = 0; k < points / width; ++k)
            if (!ReadBytes(first + k * 4 * width * height, static_cast<size_t>(width), m_Raw.data() + k * width))
                return false;
    } else if (!ReadBytes(index * points * 4, static_cast<size_t>(points), m_Raw.data())) {
        return false;
    }
    const bool swap = (m_bByteOrder == 1) != kHostBigEndian;
    const LONG nc = std::max(-kMaxScaleExponent, std::min(kMaxScaleExponent, m_nNC));
    const double factor = std::ldexp(1.0, -nc);
    for (LONGLONG i = 0; i < points; ++i) {
        int32_t v = m_Raw[static_cast<size_t>(i)];
        if (swap)
            SwapBytes4(&v);
        m_Values[static_cast<size_t>(i)] = factor > 1 ? ClampToFloat(v / factor) : static_cast<float>(v);
    }
    return true;
}

double CBrukerDataIO::Calibrate(LONG i) const
{
    const double n = m_nPoints;
    const double j = static_cast<double>(i) + 1;
    const double L = m_nDetectionMode == 1 ? 0.0 : m_dFRLow;
    const double N = m_nPoints > 1 ? m_dSW / (n - 1) : 0.0;
    switch (m_nCalibrationMode) {
    case 0: {
        const double f = (n - j) * N + L;
        return m_dML1 / (f + m_dML2);
    }
    case 1: {
        const double f = (n - j) * (N + L);
        const double x = m_dML2 - f;
        if (x == 0)
            return 0;
        const double root = std::sqrt(m_dML1 * m_dML1 - 4 * m_dML3 * x);
        return m_bTiltYes ? (root - m_dML1) / (2 * x) : (-m_dML1 - root) / (2 * x);
    }
    case 2:
        return m_nPoints > 1 ? m_dML3 + m_dML2 * i / (n - 1) : m_dML3;
    case 3: {
        const double f = (n - j) * (N + L);
        return m_dML1 / f + m_dML3 / (f * f) + m_dML2;
    }
    case 4: {
        const double t = i * m_dDW + m_dDelay - m_dML2;
        const double m = m_dML1 * t * t / 1e12;
        return t < 0 ? -m : m;
    }
    case 5: {
        const double t = i * m_dDW + m_dDelay;
        const double A = 1e12 / m_dML1;
        const double radicand = A - (m_dML2 - t) * 4 * m_dML3;
        if (radicand < 0)
            return std::numeric_limits<double>::infinity();  // beyond every limit: ends the spectrum
        const double d = (std::sqrt(radicand) - std::sqrt(A)) / (2 * m_dML3);
        return d * d;
    }
    default:
        return j;
    }
}

bool CBrukerDataIO::GetCalibratedSpectrum(LONG scan, CMassSpectrum& spectrum)
{
    if (!m_bOpen || !ReadScan(scan))
        return false;
    m_nLastScan = scan;
    const double rt = m_dScanInterval > 0 ? (scan - 1) * m_dScanInterval / 60.0 : static_cast<double>(scan);
    spectrum.SetTitle(m_Title);
    spectrum.SetStartRT(rt);
    spectrum.SetEndRT(rt);
    spectrum.SetFirstScan(scan);
    spectrum.SetLastScan(scan);
    spectrum.SetCentroid(false);
    const double low = m_dLowMass > 0 ? m_dLowMass : 0.0;
    const double high = m_dHighMass;
    try {
        if (spectrum.GetCount() != m_nPoints && !spectrum.SetSize(m_nPoints, false, false, false))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    double* masses = spectrum.Masses();
    double* intensities = spectrum.Intensities();
    const bool everyPoint = m_nCalibrationMode == 6;
    LONG count = 0;
    for (LONG i = 0; i < m_nPoints; ++i) {
        const double m = Calibrate(i);
        if (!everyPoint) {
            if (m > high)
                break;
            if (std::isnan(m) || m < low)
                continue;
        }
        masses[count] = m;
        intensities[count] = m_Values[static_cast<size_t>(i)];
        ++count;
    }
    spectrum.Resize(count);
    spectrum.Invalidate();
    return true;
}

bool CBrukerDataIO::TIC(LONG& count, std::vector<double>& times, std::vector<double>& intensities)
{
    if (!m_bOpen)
        return false;
    try {
        times.assign(static_cast<size_t>(m_nScans), 0.0);
        intensities.assign(static_cast<size_t>(m_nScans), 0.0);
        CMassSpectrum spectrum;
        for (LONG scan = 1; scan <= m_nScans; ++scan) {
            if (!GetCalibratedSpectrum(scan, spectrum))
                return false;
            times[static_cast<size_t>(scan - 1)] = spectrum.GetStartRT();
            intensities[static_cast<size_t>(scan - 1)] = spectrum.GetTIC();
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    count = m_nScans;
    return true;
}

bool CBrukerDataIO::ReadPrecursors(std::vector<double>& list) const
{
    list.clear();
    std::wstring text;
    if (!m_Acquisition.GetString(L"$PI", text))
        return false;
    double masses[4];
    size_t position = 0;
    for (double& mass : masses)
        if (!ParseBrukerReal(text, position, mass))
            return false;
    for (double mass : masses)
        if (mass != kNoPrecursor)
            list.push_back(mass);
    return true;
}

bool CBrukerDataIO::ReadSpectrumFromSource(const std::wstring& dataSource, const std::wstring& scanText,
                                           CMassSpectrum& spectrum)
{
    if (!OpenDataSource(dataSource))
        return false;
    LONG scan = 0;
    std::wstring text = scanText;
    Trim(text);
    ParseBrukerInteger(text, scan);
    const bool ok = scan > 0 && scan <= ScanCount() && GetCalibratedSpectrum(scan, spectrum);
    Close();
    return ok;
}
