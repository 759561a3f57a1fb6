#include "textdataio.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ksfiles.h"
#include "ksfilestat.h"
#include "massspectrum.h"
#include "textlinereader.h"
#include "textnumber.h"

namespace {

const char kContinuum[] = "continuum";
const char kListingOf[] = "Listing of";
const char kRetentionTime[] = "retention time";
const wchar_t kDataSourceClass[] = L"KSTextProvider.KSTextProvider";
// Clients keep the data-source string in 1,039 characters with its
// terminator.
const size_t kMaxDataSource = 1038;
const LONG kMaxPoints = std::numeric_limits<LONG>::max();

inline unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Keyword anywhere in the line, ASCII letters without regard to case.
// Keywords are lower case here.
bool containsNoCase(const char* line, size_t length, const char* keyword, size_t keyLength)
{
    if (length < keyLength)
        return false;
    const unsigned char first = static_cast<unsigned char>(keyword[0]);
    const size_t last = length - keyLength;
    for (size_t i = 0; i <= last; ++i) {
        if (lowerAscii(static_cast<unsigned char>(line[i])) != first)
            continue;
        size_t k = 1;
        while (k < keyLength &&
               lowerAscii(static_cast<unsigned char>(line[i + k])) == static_cast<unsigned char>(keyword[k]))
            ++k;
        if (k == keyLength)
            return true;
    }
    return false;
}

template <size_t N>
bool contains(const char* line, size_t length, const char (&keyword)[N])
{
    static_assert(N > 1, "keyword");
    char lower[N];
    for (size_t i = 0; i < N; ++i)
        lower[i] = static_cast<char>(lowerAscii(static_cast<unsigned char>(keyword[i])));
    return containsNoCase(line, length, lower, N - 1);
}

std::wstring latin1(const char* begin, const char* end)
{
    std::wstring text;
    text.reserve(static_cast<size_t>(end - begin));
    for (const char* p = begin; p < end; ++p)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    return text;
}

// Text of a line that is no data line: from its first non-blank character;
// nothing for a line that starts like a number but holds none.
void appendText(std::wstring& title, const char* line, size_t length)
{
    const char* p = line;
    const char* end = line + length;
    while (p < end && ks_text::IsBlank(static_cast<unsigned char>(*p)))
        ++p;
    if (p < end && (*p == '.' || *p == '+' || ks_text::IsDigit(static_cast<unsigned char>(*p))))
        return;
    for (; p < end; ++p)
        title.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
}

// Header time: the number after the first "=", blanks before it skipped.
// No number reads as 0; a time beyond the range of double makes the header
// unusable, as one without "=".
bool headerTime(const char* line, size_t length, double& time)
{
    const char* end = line + length;
    const char* p = static_cast<const char*>(memchr(line, '=', length));
    time = 0;
    if (!p)
        return false;
    ++p;
    while (p < end && ks_text::IsBlank(static_cast<unsigned char>(*p)))
        ++p;
    double value = 0;
    bool overflow = false;
    if (ks_text::ReadNumber(p, end, value, overflow)) {
        if (overflow)
            return false;
        time = value;
    }
    return true;
}

bool pathExists(const std::wstring& path)
{
    return CKSFileStat(path).Exists();
}

// Directory part with its trailing separator; "" for a bare name.
std::wstring folderOf(const std::wstring& path)
{
    return CKSFileStat(path).GetFolder(false);
}

// Opens a regular file for reading; -1 otherwise (a folder is no file,
// and a FIFO named like a dataset must not block the open).
int openForReading(const std::wstring& path)
{
    return ks::openRegularFile(FileSystemPath(path));
}

}  // namespace

CTextDataIO::CTextDataIO()
    : m_fd(-1), m_nSpectrumCount(0), m_dCurrentRT(0), m_bScanned(false), m_bScanOk(false)
{
}

CTextDataIO::~CTextDataIO()
{
    Close();
}

bool CTextDataIO::ParseLine(const char* line, size_t length, bool listing, double& x, double& y,
                            std::wstring* text)
{
    x = 0;
    y = 0;
    if (text)
        text->clear();
    const char* p = line;
    const char* end = line + length;
    while (p < end && ks_text::IsBlank(static_cast<unsigned char>(*p)))
        ++p;
    if (p == end)
        return false;
    const unsigned char c = static_cast<unsigned char>(*p);
    if (!(c == '.' || c == '+' || ks_text::IsDigit(c))) {
        if (text)
            *text = latin1(p, end);
        return false;
    }
    // Up to three numbers; commas count as blanks between them.
    double values[3] = {0, 0, 0};
    int count = 0;
    while (count < 3) {
        if (count > 0)
            while (p < end && (ks_text::IsBlank(static_cast<unsigned char>(*p)) || *p == ','))
                ++p;
        bool overflow = false;
        const char* next = ks_text::ReadNumber(p, end, values[count], overflow);
        if (!next)
            break;
        if (overflow)
            return false;  // beyond double: no point, no text
        ++count;
        p = next;
    }
    if (count == 0)
        return false;
    x = values[0];
    if (count == 1)
        y = 1.0;
    else if (count == 3 && listing)
        y = values[2];
    else
        y = values[1];
    return true;
}

bool CTextDataIO::ParseLine(const std::string& line, bool listing, double& x, double& y, std::wstring& text)
{
    return ParseLine(line.data(), line.size(), listing, x, y, &text);
}

std::wstring CTextDataIO::DataSourceOf(const std::wstring& path)
{
    std::wstring source = kDataSourceClass;
    source += L"; ";
    source += path;
    if (source.size() > kMaxDataSource)
        source.resize(kMaxDataSource);
    return source;
}

void CTextDataIO::SetPathInfo(const std::wstring& path, bool withDataSource)
{
    m_Folder = folderOf(path);
    if (withDataSource)
        m_DataSource = DataSourceOf(path);
}

bool CTextDataIO::ReadSpectrum(const std::wstring& path, CMassSpectrum& spectrum)
{
    spectrum.SetTitle(std::wstring());
    spectrum.SetSize(0, false, false, false);
    spectrum.SetCentroid(true);
    spectrum.SetFirstScan(1);
    spectrum.SetLastScan(1);
    spectrum.SetStartRT(0);
    spectrum.SetEndRT(0);
    if (!pathExists(path))
        return false;
    SetPathInfo(path, false);
    const int fd = openForReading(path);
    if (fd < 0)
        return false;

    std::vector<double> masses;
    std::vector<double> intensities;
    std::wstring title;
    bool centroid = true;
    // A "Listing of" line switches the intensity to the third column for
    // the rest of this file only.
    bool listing = false;
    bool ok = true;
    try {
        ks_text::LineReader reader(fd);
        const char* line;
        size_t length;
        auto add = [&](double x, double y) {
            if (masses.size() >= static_cast<size_t>(kMaxPoints))
                return false;
            masses.push_back(x);
            intensities.push_back(y);
            return true;
        };
        for (;;) {
            // A plain point line holds at most two numbers: the listing
            // switch does not change it.
            if (reader.TakePlainPoints(add)) {
                ok = false;
                break;
            }
            if (!reader.Next(line, length))
                break;
            double x, y;
            if (ParseLine(line, length, listing, x, y, nullptr)) {
                if (!add(x, y)) {
                    ok = false;
                    break;
                }
            } else if (contains(line, length, kContinuum)) {
                centroid = false;
            } else if (contains(line, length, kListingOf)) {
                listing = true;
            } else {
                appendText(title, line, length);
            }
        }
        if (reader.Failed())
            ok = false;
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ::close(fd);
    if (!ok)
        return false;

    const LONG n = static_cast<LONG>(masses.size());
    spectrum.SetSize(n, false, false, false);
    if (n > 0) {
        memcpy(spectrum.Masses(), masses.data(), masses.size() * sizeof(double));
        memcpy(spectrum.Intensities(), intensities.data(), intensities.size() * sizeof(double));
        spectrum.Invalidate();
    }
    spectrum.SetTitle(title);
    spectrum.SetCentroid(centroid);
    m_DataSource = DataSourceOf(path);
    return true;
}

bool CTextDataIO::WriteSpectrum(const std::wstring& path, const CMassSpectrum& spectrum)
{
    const std::string fsPath = FileSystemPath(path);
    const int fd = ::open(fsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat st;
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);

    std::string out;
    bool ok = true;
    auto flush = [&]() {
        size_t done = 0;
        while (ok && done < out.size()) {
            const ssize_t n = ::write(fd, out.data() + done, out.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                ok = false;
            else
                done += static_cast<size_t>(n);
        }
        out.clear();
    };
    try {
        out.reserve(1 << 20);
        if (!spectrum.IsCentroid())
            out += "continuum\r\n";
        const LONG count = spectrum.GetCount();
        const double* masses = spectrum.Masses();
        const double* intensities = spectrum.Intensities();
        // "%f\t%f" in the "C" locale: fixed notation, six decimals.
        char number[400];
        for (LONG i = 0; ok && i < count && masses && intensities; ++i) {
            auto r = std::to_chars(number, number + sizeof number, masses[i], std::chars_format::fixed, 6);
            out.append(number, r.ptr);
            out.push_back('\t');
            r = std::to_chars(number, number + sizeof number, intensities[i], std::chars_format::fixed, 6);
            out.append(number, r.ptr);
            out += "\r\n";
            if (out.size() >= (1 << 20) - 1024)
                flush();
        }
        flush();
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (::close(fd) != 0)
        ok = false;
    if (!ok) {
        // A partly written spectrum would read back as a different one.
        if (regular)
            ::unlink(fsPath.c_str());
        return false;
    }
    if (!pathExists(path))
        return false;
    SetPathInfo(path, true);
    return true;
}

bool CTextDataIO::Open(const std::wstring& path)
{
    Close();
    if (!pathExists(path))
        return false;
    SetPathInfo(path, true);
    const int fd = openForReading(path);
    if (fd < 0)
        return false;
    try {
        m_pReader.reset(new ks_text::LineReader(fd));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_nSpectrumCount = 0;
    return true;
}

void CTextDataIO::Close()
{
    if (m_fd < 0)
        return;
    m_pReader.reset();
    ::close(m_fd);
    m_fd = -1;
    m_nSpectrumCount = 0;
    m_bScanned = false;
    m_bScanOk = false;
    m_Headers.clear();
    m_Headers.shrink_to_fit();
    m_Blocks.clear();
    m_Blocks.shrink_to_fit();
}

bool CTextDataIO::IsOpen() const
{
    return m_fd >= 0;
}

// One pass: headers are the lines that are not data lines and contain
// "retention time"; every data line adds to the block it lies in.
bool CTextDataIO::EnsureScanned()
{
    if (m_bScanned)
        return m_bScanOk;
    m_bScanned = true;
    m_bScanOk = false;
    m_Headers.clear();
    m_Blocks.clear();
    try {
        m_Blocks.push_back(Block{0, 0});
        m_pReader->Seek(0);
        const char* line;
        size_t length;
        for (;;) {
            Block& block = m_Blocks.back();
            double sum = block.sum;
            int64_t points = block.points;
            m_pReader->TakePlainPoints<false>([&](double, double y) {
                sum += y;
                ++points;
                return true;
            });
            block.sum = sum;
            block.points = points;
            if (!m_pReader->Next(line, length))
                break;
            double x, y;
            if (ParseLine(line, length, false, x, y, nullptr)) {
                block.sum += y;
                ++block.points;
            } else if (contains(line, length, kRetentionTime)) {
                Header header;
                header.timed = headerTime(line, length, header.time);
                header.body = m_pReader->Offset();
                m_Headers.push_back(header);
                m_Blocks.push_back(Block{0, 0});
            }
        }
        m_pReader->Trim();
        m_bScanOk = !m_pReader->Failed();
    } catch (const std::bad_alloc&) {
        m_Headers.clear();
        m_Blocks.clear();
    }
    return m_bScanOk;
}

LONG CTextDataIO::SpectrumCount()
{
    if (!IsOpen())
        return 0;
    if (m_nSpectrumCount != 0)
        return m_nSpectrumCount;
    EnsureScanned();
    const size_t headers = m_Headers.size();
    m_nSpectrumCount = headers == 0 ? 1 : headers > static_cast<size_t>(kMaxPoints) ? kMaxPoints
                                                                                   : static_cast<LONG>(headers);
    return m_nSpectrumCount;
}

// Where spectrum n starts: after header n when it holds a time; spectrum 1
// falls back to the start of the file (time 0) when the file has no header
// or its first header holds no time.
bool CTextDataIO::SpectrumStart(LONG n, int64_t& offset, double& time, size_t& block) const
{
    if (n < 1)
        return false;
    const size_t index = static_cast<size_t>(n);
    if (index <= m_Headers.size() && m_Headers[index - 1].timed) {
        offset = m_Headers[index - 1].body;
        time = m_Headers[index - 1].time;
        block = index;
        return true;
    }
    if (n == 1) {
        offset = 0;
        time = 0;
        block = 0;
        return true;
    }
    return false;
}

bool CTextDataIO::ReadDatasetSpectrum(LONG n, CMassSpectrum& spectrum)
{
    if (!IsOpen() || !EnsureScanned())
        return false;
    int64_t offset;
    double time;
    size_t block;
    if (!SpectrumStart(n, offset, time, block))
        return false;
    m_dCurrentRT = time;

    std::wstring title;
    bool centroid = true;
    bool ok = true;
    LONG count = 0;
    try {
        // The points go straight into the spectrum, sized to what the scan
        // counted in this block; should the file have changed since, the
        // arrays grow with what is read.
        const int64_t expected = m_Blocks[block].points;
        LONG capacity = expected > kMaxPoints ? kMaxPoints : static_cast<LONG>(expected);
        spectrum.SetSize(capacity, false, false, false);
        double* masses = spectrum.Masses();
        double* intensities = spectrum.Intensities();
        m_pReader->Seek(offset);
        const char* line;
        size_t length;
        // Stores one point; false when the spectrum cannot take it.
        auto add = [&](double x, double y) {
            if (count == capacity) {
                if (capacity == kMaxPoints)
                    return false;
                capacity = capacity > kMaxPoints / 2 ? kMaxPoints : std::max<LONG>(2 * capacity, 512);
                spectrum.SetSize(capacity, false, false, false);
                masses = spectrum.Masses();
                intensities = spectrum.Intensities();
            }
            masses[count] = x;
            intensities[count] = y;
            ++count;
            return true;
        };
        for (;;) {
            if (m_pReader->TakePlainPoints(add)) {
                ok = false;
                break;
            }
            if (!m_pReader->Next(line, length))
                break;
            double x, y;
            if (ParseLine(line, length, false, x, y, nullptr)) {
                if (!add(x, y)) {
                    ok = false;
                    break;
                }
            } else if (contains(line, length, kRetentionTime)) {
                break;  // the next header, whatever else the line says
            } else if (contains(line, length, kContinuum)) {
                centroid = false;
            } else {
                appendText(title, line, length);
            }
        }
        m_pReader->Trim();
        if (m_pReader->Failed())
            ok = false;
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok)
        count = 0;
    spectrum.SetSize(count, false, false, false);
    spectrum.Invalidate();
    spectrum.SetTitle(title);
    spectrum.SetCentroid(centroid);
    spectrum.SetFirstScan(n);
    spectrum.SetLastScan(n);
    spectrum.SetStartRT(time);
    spectrum.SetEndRT(time);
    return count > 0;
}

bool CTextDataIO::ReadTIC(LONG& count, std::vector<double>& times, std::vector<double>& sums)
{
    count = 0;
    times.clear();
    sums.clear();
    if (!IsOpen() || !EnsureScanned())
        return false;
    try {
        for (LONG n = 1; n < kMaxPoints; ++n) {
            int64_t offset;
            double time;
            size_t block;
            if (!SpectrumStart(n, offset, time, block) || m_Blocks[block].points == 0)
                break;
            times.push_back(time);
            sums.push_back(m_Blocks[block].sum);
        }
    } catch (const std::bad_alloc&) {
        times.clear();
        sums.clear();
        times.shrink_to_fit();
        sums.shrink_to_fit();
        return false;
    }
    count = static_cast<LONG>(times.size());
    m_nSpectrumCount = count;
    return true;
}
