#include "textdataio.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ksfiles.h"
#include "ksfilestat.h"
#include "massspectrum.h"

namespace {

const char kContinuum[] = "continuum";
const char kListingOf[] = "Listing of";
const char kRetentionTime[] = "retention time";
const wchar_t kDataSourceClass[] = L"KSTextProvider.KSTextProvider";
// Clients keep the data-source string in 1,039 characters with its
// terminator.
const size_t kMaxDataSource = 1038;
const LONG kMaxPoints = std::numeric_limits<LONG>::max();

inline bool isBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

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

locale_t cLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// One decimal number at p: optional sign, digits with an optional fraction
// (at least one digit), optional exponent (its letter and sign are taken
// even without digits, as scanf's "%lf" takes them). Answers the end of
// the number, or nullptr when none starts at p. `overflow` tells a value
// beyond the range of double; a value too small for it reads as what
// strtod gives.
const char* scanNumber(const char* p, const char* end, double& value, bool& overflow)
{
    overflow = false;
    const char* start = p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    uint64_t mantissa = 0;
    int significant = 0;
    int64_t exponent = 0;
    bool exact = true;
    bool anyDigit = false;
    while (p < end && isDigit(static_cast<unsigned char>(*p))) {
        const unsigned d = static_cast<unsigned>(*p - '0');
        anyDigit = true;
        if (mantissa == 0 && d == 0) {
        } else if (significant < 19) {
            mantissa = mantissa * 10 + d;
            ++significant;
        } else {
            ++exponent;
            exact = false;
        }
        ++p;
    }
    if (p < end && *p == '.') {
        ++p;
        while (p < end && isDigit(static_cast<unsigned char>(*p))) {
            const unsigned d = static_cast<unsigned>(*p - '0');
            anyDigit = true;
            if (mantissa == 0 && d == 0) {
                --exponent;
            } else if (significant < 19) {
                mantissa = mantissa * 10 + d;
                ++significant;
                --exponent;
            } else {
                exact = false;
            }
            ++p;
        }
    }
    if (!anyDigit)
        return nullptr;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool expNegative = false;
        if (q < end && (*q == '+' || *q == '-')) {
            expNegative = *q == '-';
            ++q;
        }
        if (q < end && isDigit(static_cast<unsigned char>(*q))) {
            int64_t e = 0;
            while (q < end && isDigit(static_cast<unsigned char>(*q))) {
                if (e < 1000000)
                    e = e * 10 + (*q - '0');
                ++q;
            }
            exponent += expNegative ? -e : e;
        }
        // An exponent without digits ("100e 5", "1.5e+ 3") is consumed with
        // the number, as the C library's scanf consumes it: the number
        // keeps its value and the next one starts after the letter and sign.
        p = q;
    }
    if (mantissa == 0) {
        value = negative ? -0.0 : 0.0;
        return p;
    }
    // Both operands exact doubles: one correctly rounded operation.
    if (exact && mantissa <= (uint64_t(1) << 53) && exponent >= -22 && exponent <= 22) {
        double v = static_cast<double>(mantissa);
        v = exponent < 0 ? v / kPow10[-exponent] : v * kPow10[exponent];
        value = negative ? -v : v;
        return p;
    }
    // Everything else through the library, on exactly this token.
    const std::string token(start, p);
    errno = 0;
    const double v = strtod_l(token.c_str(), nullptr, cLocale());
    if (std::isinf(v)) {
        overflow = true;
        return p;
    }
    value = v;
    return p;
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
    while (p < end && isBlank(static_cast<unsigned char>(*p)))
        ++p;
    if (p < end && (*p == '.' || *p == '+' || isDigit(static_cast<unsigned char>(*p))))
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
    while (p < end && isBlank(static_cast<unsigned char>(*p)))
        ++p;
    double value = 0;
    bool overflow = false;
    if (scanNumber(p, end, value, overflow)) {
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

// Lines of a file through one buffer. A line is handed out without its line
// feed and without a carriage return in front of it; like the C string it
// was, it ends at its first zero byte. Memory stays bounded whatever the
// file holds: of a line only what it can use is kept (up to its first zero
// byte, at most kMaxLineBytes), the rest is scanned to the line feed and
// dropped, so a sparse file of zeros or a file without line feeds costs no
// more than that.
class CTextDataIO::LineReader {
public:
    // Far beyond any title or number (a number needs a few hundred
    // characters), and beyond the megabyte lines some writers produce.
    static constexpr size_t kMaxLineBytes = 4 * 1024 * 1024;

    explicit LineReader(int fd) : m_fd(fd), m_Buffer(kInitialSize) {}

    bool Next(const char*& line, size_t& length)
    {
        FoldHole();
        for (;;) {
            const char* base = m_Buffer.data();
            const char* nl = nullptr;
            if (m_nScanned < m_nFill)
                nl = static_cast<const char*>(memchr(base + m_nScanned, '\n', m_nFill - m_nScanned));
            if (nl) {
                HandCurrent(static_cast<size_t>(nl - base), line, length);
                m_nPos = static_cast<size_t>(nl - base) + 1;
                m_nScanned = m_nPos;
                return true;
            }
            m_nScanned = m_nFill;
            if (m_bEnd) {
                if (m_nPos >= m_nFill && m_nHole == 0)
                    return false;
                HandCurrent(m_nFill, line, length);
                m_nPos = m_nFill;
                m_nScanned = m_nFill;
                return true;
            }
            BoundCurrentLine();
            Fill();
        }
    }

    // Offset in the file just after the line last handed out.
    int64_t Offset() const
    {
        return m_nBufferOffset + static_cast<int64_t>(m_nPos) + static_cast<int64_t>(m_nHole);
    }

    void Seek(int64_t offset)
    {
        FoldHole();
        if (offset >= m_nBufferOffset && offset <= m_nBufferOffset + static_cast<int64_t>(m_nFill)) {
            m_nPos = static_cast<size_t>(offset - m_nBufferOffset);
            m_nScanned = m_nPos;
            return;
        }
        m_nBufferOffset = offset;
        m_nPos = m_nFill = m_nScanned = 0;
        m_bEnd = false;
        if (lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
            m_bEnd = true;
            m_bFailed = true;
        }
    }

    bool Failed() const { return m_bFailed; }

    // Keeps no large buffer once a long line has been read.
    void Trim()
    {
        FoldHole();
        if (m_Buffer.size() > kInitialSize && m_nFill - m_nPos <= kInitialSize) {
            std::vector<char> small(kInitialSize);
            memcpy(small.data(), m_Buffer.data() + m_nPos, m_nFill - m_nPos);
            m_nBufferOffset += static_cast<int64_t>(m_nPos);
            m_nFill -= m_nPos;
            m_nScanned -= m_nPos;
            m_nPos = 0;
            m_Buffer.swap(small);
        }
    }

private:
    static constexpr size_t kInitialSize = 256 * 1024;
    static constexpr size_t kNoCut = static_cast<size_t>(-1);

    // Hands out the line from m_nPos to end (the line feed's index, or the
    // end of the data): its kept part when its tail was dropped.
    void HandCurrent(size_t end, const char*& line, size_t& length)
    {
        const char* begin = m_Buffer.data() + m_nPos;
        size_t n = end - m_nPos;
        if (m_nKeep != kNoCut) {
            // The line's real end (and any carriage return) was dropped.
            n = std::min(n, m_nKeep);
            m_nKeep = kNoCut;
        } else if (n > 0 && begin[n - 1] == '\r') {
            --n;
        }
        if (const void* zero = memchr(begin, '\0', n))
            n = static_cast<size_t>(static_cast<const char*>(zero) - begin);
        line = begin;
        length = n;
    }

    // Called while the line from m_nPos has no line feed yet: drops what the
    // line cannot use (past its first zero byte or kMaxLineBytes), keeping
    // count of the dropped bytes for the file offsets.
    void BoundCurrentLine()
    {
        const size_t held = m_nFill - m_nPos;
        size_t keep = m_nKeep;
        if (keep == kNoCut) {
            const void* zero = memchr(m_Buffer.data() + m_nPos, '\0', held);
            keep = zero ? static_cast<size_t>(static_cast<const char*>(zero) - (m_Buffer.data() + m_nPos))
                        : std::min(held, kMaxLineBytes);
            if (keep == held && held < kMaxLineBytes)
                return;  // nothing to drop yet
        }
        if (held > keep) {
            m_nHole += held - keep;
            m_nFill = m_nPos + keep;
            m_nScanned = m_nFill;
        }
        m_nKeep = keep;
    }

    // Once the cut line has been handed out, the buffer again maps onto the
    // file without a gap: what follows the line moves to the front.
    void FoldHole()
    {
        if (m_nHole == 0 || m_nKeep != kNoCut)
            return;
        memmove(m_Buffer.data(), m_Buffer.data() + m_nPos, m_nFill - m_nPos);
        m_nBufferOffset += static_cast<int64_t>(m_nPos + m_nHole);
        m_nFill -= m_nPos;
        m_nScanned -= m_nPos;
        m_nPos = 0;
        m_nHole = 0;
    }

    void Fill()
    {
        if (m_nPos > 0) {
            memmove(m_Buffer.data(), m_Buffer.data() + m_nPos, m_nFill - m_nPos);
            m_nBufferOffset += static_cast<int64_t>(m_nPos);
            m_nFill -= m_nPos;
            m_nScanned -= m_nPos;
            m_nPos = 0;
        }
        if (m_nFill == m_Buffer.size())
            m_Buffer.resize(m_Buffer.size() * 2);  // a long line, within kMaxLineBytes
        for (;;) {
            const ssize_t n = ::read(m_fd, m_Buffer.data() + m_nFill, m_Buffer.size() - m_nFill);
            if (n > 0) {
                m_nFill += static_cast<size_t>(n);
                return;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                m_bFailed = true;
            m_bEnd = true;
            return;
        }
    }

    int m_fd;
    std::vector<char> m_Buffer;
    int64_t m_nBufferOffset = 0;  // file offset of the buffer's first byte
    size_t m_nPos = 0;            // start of the next line
    size_t m_nFill = 0;           // bytes held
    size_t m_nScanned = 0;        // searched for a line feed up to here
    size_t m_nKeep = kNoCut;      // bytes kept of a line whose tail is dropped
    size_t m_nHole = 0;           // bytes dropped after the kept part
    bool m_bEnd = false;
    bool m_bFailed = false;
};

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
    while (p < end && isBlank(static_cast<unsigned char>(*p)))
        ++p;
    if (p == end)
        return false;
    const unsigned char c = static_cast<unsigned char>(*p);
    if (!(c == '.' || c == '+' || isDigit(c))) {
        if (text)
            *text = latin1(p, end);
        return false;
    }
    // Up to three numbers; commas count as blanks between them.
    double values[3] = {0, 0, 0};
    int count = 0;
    while (count < 3) {
        if (count > 0)
            while (p < end && (isBlank(static_cast<unsigned char>(*p)) || *p == ','))
                ++p;
        bool overflow = false;
        const char* next = scanNumber(p, end, values[count], overflow);
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
        LineReader reader(fd);
        const char* line;
        size_t length;
        while (reader.Next(line, length)) {
            double x, y;
            if (ParseLine(line, length, listing, x, y, nullptr)) {
                if (masses.size() >= static_cast<size_t>(kMaxPoints)) {
                    ok = false;
                    break;
                }
                masses.push_back(x);
                intensities.push_back(y);
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
        m_pReader.reset(new LineReader(fd));
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
        while (m_pReader->Next(line, length)) {
            double x, y;
            if (ParseLine(line, length, false, x, y, nullptr)) {
                Block& block = m_Blocks.back();
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
        while (m_pReader->Next(line, length)) {
            double x, y;
            if (ParseLine(line, length, false, x, y, nullptr)) {
                if (count == capacity) {
                    if (capacity == kMaxPoints) {
                        ok = false;
                        break;
                    }
                    capacity = capacity > kMaxPoints / 2 ? kMaxPoints : std::max<LONG>(2 * capacity, 512);
                    spectrum.SetSize(capacity, false, false, false);
                    masses = spectrum.Masses();
                    intensities = spectrum.Intensities();
                }
                masses[count] = x;
                intensities[count] = y;
                ++count;
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
