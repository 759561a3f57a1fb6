#include "masslynxformat.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <limits>
#include <optional>

#include <unistd.h>

#include "ksfiles.h"
#include "ksfilestat.h"
#include "kstextutil.h"

namespace {

const MassLynxFunctionType kTypes[] = {
    {L"Scan", 1, 0, false},        {L"Parents", 1, 1, false},  {L"Daughters", 2, 2, false},
    {L"Neutral Loss", 1, 3, false}, {L"Neutral Gain", 1, 4, false}, {L"SIR", 1, 0, false},
    {L"MRM", 1, 0, false},         {L"Maldi TOF", 1, 0, false}, {L"TOF", 1, 0, false},
    {L"TOF MS", 1, 0, false},      {L"TOF Daughter", 2, 2, false}, {L"Diode Array", 0, 0, true},
};
const MassLynxFunctionType kOtherType = {L"", 0, 0, false};

// The first line of "_header.txt" is read as a text line of at most this
// many characters.
constexpr size_t kHeaderLineBytes = 999;
const char kHeaderMark[] = "$$ Version";

// Fields of a data-source string and the word of a scan text are read at
// most this long (the buffers the string was read into held a path of
// MAX_PATH characters).
constexpr size_t kMaxSourceField = 258;

bool IsSpace(wchar_t c)
{
    return std::iswspace(static_cast<wint_t>(c)) != 0;
}

size_t SkipSpace(const std::wstring& text, size_t at)
{
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    return at;
}

// "%d" at `at` (white space skipped first): the number and the position
// after it; nothing without a digit or for a number beyond 32 bits.
std::optional<LONG> ReadInteger(const std::wstring& text, size_t& at)
{
    size_t i = SkipSpace(text, at);
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(std::numeric_limits<LONG>::max()) + 1)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    value = negative ? -value : value;
    if (value < std::numeric_limits<LONG>::min() || value > std::numeric_limits<LONG>::max())
        return std::nullopt;
    at = i;
    return static_cast<LONG>(value);
}

// "%[^<stop>]" at `at`: 1 to kMaxSourceField characters up to `stop` or
// the end.
std::optional<std::wstring> ReadField(const std::wstring& text, size_t& at, wchar_t stop)
{
    const size_t end = std::min(text.find(stop, at), text.size());
    if (end == at || end - at > kMaxSourceField)
        return std::nullopt;
    std::wstring field = text.substr(at, end - at);
    at = end;
    return field;
}

// A character that ends an ionisation value (the sign is read first).
bool EndsValue(wchar_t c)
{
    return static_cast<unsigned long>(c) <= 32 || c == L'+' || c == L'-';
}

// Every position where `word` ends in text, ascending. The words searched
// for cannot overlap themselves, so each occurrence is found.
std::vector<size_t> WordEnds(const std::wstring& text, const std::wstring& word)
{
    std::vector<size_t> ends;
    for (size_t at = text.find(word); at != std::wstring::npos; at = text.find(word, at + word.size()))
        ends.push_back(at + word.size());
    return ends;
}

// Each occurrence of `word` followed by a function number's text (an
// optional minus and digits, as std::to_wstring writes a number) and by
// what `ends` accepts after it (the position it answers): the first
// occurrence of each number, keyed by the number's text. An occurrence at
// position 0 counts as no occurrence: skipped, or (firstAtStartFails)
// kept as npos, so that only an occurrence above 0 ever answers.
template <class Ends>
std::unordered_map<std::wstring, size_t> NumberedWords(const std::wstring& text, const std::wstring& word,
                                                       bool firstAtStartFails, Ends ends)
{
    std::unordered_map<std::wstring, size_t> first;
    for (size_t at = text.find(word); at != std::wstring::npos; at = text.find(word, at + word.size())) {
        const size_t start = at + word.size();
        size_t i = start;
        if (i < text.size() && text[i] == L'-')
            ++i;
        const size_t digits = i;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9')
            ++i;
        if (i == digits || (at == 0 && !firstAtStartFails))
            continue;
        const size_t after = ends(i);
        if (after != std::wstring::npos)
            first.emplace(text.substr(start, i - start), at == 0 ? std::wstring::npos : after);
    }
    return first;
}

}  // namespace

CMassLynxIonisationIndex::CMassLynxIonisationIndex(const std::wstring& header) : m_header(header)
{
    const size_t size = header.size();
    // Only the first heading of a function counts, and not at the start.
    m_headings = NumberedWords(header, L"Instrument Parameters - Function ", true, [&](size_t i) {
        return i < size && header[i] == L':' ? i + 1 : std::wstring::npos;
    });
    // Header lines end in CR LF; a line ending in LF alone is accepted too.
    m_lines = NumberedWords(header, L"Function ", false, [&](size_t i) {
        return i < size && (header[i] == L'\r' || header[i] == L'\n') ? i + 1 : std::wstring::npos;
    });
    m_polarity = WordEnds(header, L"Polarity");
    m_modes = WordEnds(header, L"Ionization mode:");
    for (size_t i = 0; i < size; ++i) {
        if (EndsValue(header[i]))
            m_stops.push_back(i);
        if (header[i] == L' ' || header[i] == L'\t') {
            if (m_blanks.empty() || m_blanks.back().second != i)
                m_blanks.emplace_back(i, i + 1);
            else
                m_blanks.back().second = i + 1;
        }
    }
}

void CMassLynxIonisationIndex::Collect(size_t at, std::wstring& ionisation, LONG& polarity) const
{
    // Blanks and tabs skipped: to the end of the run at `at`, if any.
    const auto run = std::upper_bound(m_blanks.begin(), m_blanks.end(), std::make_pair(at, std::wstring::npos));
    if (run != m_blanks.begin() && std::prev(run)->first <= at && at < std::prev(run)->second)
        at = std::prev(run)->second;
    const auto stop = std::lower_bound(m_stops.begin(), m_stops.end(), at);
    const size_t end = stop == m_stops.end() ? m_header.size() : *stop;
    ionisation = m_header.substr(at, std::min(end - at, kMaxIonisationText));
    polarity = end < m_header.size() && m_header[end] == L'-' ? 2 : 1;
}

void CMassLynxIonisationIndex::Find(LONG n, std::wstring& ionisation, LONG& polarity) const
{
    ionisation = L"Unknown";
    polarity = 1;
    const std::wstring number = std::to_wstring(n);
    // The first word at or after a position, from a list of word ends.
    const auto after = [](const std::vector<size_t>& ends, size_t from, size_t length) {
        const auto it = std::lower_bound(ends.begin(), ends.end(), from + length);
        return it == ends.end() ? std::wstring::npos : *it;
    };
    const auto heading = m_headings.find(number);
    if (heading != m_headings.end() && heading->second != std::wstring::npos) {
        const size_t p = after(m_polarity, heading->second, std::wcslen(L"Polarity"));
        if (p != std::wstring::npos) {
            Collect(p, ionisation, polarity);
            return;
        }
    }
    const auto line = m_lines.find(number);
    if (line == m_lines.end())
        return;
    const size_t m = after(m_modes, line->second, std::wcslen(L"Ionization mode:"));
    if (m != std::wstring::npos)
        Collect(m, ionisation, polarity);
}

const MassLynxFunctionType& FindMassLynxFunctionType(const std::wstring& name)
{
    for (const MassLynxFunctionType& t : kTypes)
        if (name == t.name)
            return t;
    return kOtherType;
}

bool IsMassLynxHeaderLine(const char* bytes, size_t size)
{
    if (!bytes)
        return false;
    size = std::min(size, kHeaderLineBytes);
    const char* newline = static_cast<const char*>(std::memchr(bytes, '\n', size));
    if (newline)
        size = static_cast<size_t>(newline - bytes);
    const std::string line(bytes, strnlen(bytes, size));
    return line.find(kHeaderMark) != std::string::npos;
}

bool IsMassLynxRawDirectory(const std::wstring& path)
{
    std::wstring p = path;
    while (p.size() > 1 && IsPathSeparator(p.back()))
        p.pop_back();
    if (p.size() <= 4)
        return false;
    std::wstring tail = p.substr(p.size() - 4);
    if (ToLower(tail) != L".raw")
        return false;
    const std::string folder = FileSystemPath(p);
    if (!ks::isFolder(folder))
        return false;
    const std::optional<std::string> name = ks::findNameNoCase(folder, "_header.txt");
    if (!name)
        return false;
    const int fd = ks::openRegularFile(folder + "/" + *name);
    if (fd < 0)
        return false;
    char line[kHeaderLineBytes];
    size_t got = 0;
    while (got < sizeof line) {
        const ssize_t n = read(fd, line + got, sizeof line - got);
        if (n <= 0)
            break;
        const bool lineEnds = std::memchr(line + got, '\n', static_cast<size_t>(n)) != nullptr;
        got += static_cast<size_t>(n);
        if (lineEnds)
            break;
    }
    close(fd);
    return IsMassLynxHeaderLine(line, got);
}

void FindIonisation(const std::wstring& header, LONG n, std::wstring& ionisation, LONG& polarity)
{
    CMassLynxIonisationIndex(header).Find(n, ionisation, polarity);
}

std::wstring MakeMassLynxDataSource(const std::wstring& path, LONG function)
{
    return std::wstring(kMassLynxProgID) + L"; " + path + L"; Function: " + std::to_wstring(function);
}

bool ParseMassLynxDataSource(const std::wstring& dataSource, std::wstring& path, LONG& function,
                             std::wstring& scanText)
{
    const std::wstring text = dataSource.substr(0, dataSource.find(L'\0'));
    size_t at = 0;
    const std::optional<std::wstring> name = ReadField(text, at, L';');
    if (!name || at >= text.size())
        return false;
    at = SkipSpace(text, at + 1);
    const std::optional<std::wstring> p = ReadField(text, at, L';');
    if (!p || at >= text.size())
        return false;
    at = SkipSpace(text, at + 1);
    const std::wstring word = L"Function:";
    if (text.compare(at, word.size(), word) != 0)
        return false;
    at += word.size();
    const std::optional<LONG> number = ReadInteger(text, at);
    if (!number || CompareNoCase(*name, kMassLynxProgID) != 0)
        return false;
    // The optional scan-text field.
    std::wstring scan;
    const size_t next = SkipSpace(text, at);
    if (next < text.size() && text[next] == L';')
        scan = text.substr(SkipSpace(text, next + 1));
    path = *p;
    function = *number;
    scanText = scan;
    return true;
}

std::wstring MakeScanText(LONG scan, bool history)
{
    return (history ? L"History: " : L" ") + std::to_wstring(scan);
}

bool ParseScanText(const std::wstring& text, LONG& scan)
{
    const std::wstring t = text.substr(0, text.find(L'\0'));
    size_t at = 0;
    if (t.compare(0, 7, L"History") == 0) {
        if (!ReadField(t, at, L':') || at >= t.size())
            return false;
        at = SkipSpace(t, at + 1);
    }
    const std::optional<LONG> number = ReadInteger(t, at);
    if (!number)
        return false;
    scan = *number;
    return true;
}

LONG FirstRisingPoint(const double* masses, LONG count)
{
    if (!masses || count < 2)
        return 0;
    LONG i = 0;
    while (i + 1 < count && !(masses[i + 1] > masses[i]))
        ++i;
    return i;
}
