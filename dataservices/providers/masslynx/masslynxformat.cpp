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

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

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

// The value after a word: blanks and tabs skipped, then the characters
// above code 32 up to a sign.
void CollectValue(const std::wstring& header, size_t at, std::wstring& ionisation, LONG& polarity)
{
    while (at < header.size() && IsBlank(header[at]))
        ++at;
    ionisation.clear();
    polarity = 1;
    for (; at < header.size() && static_cast<unsigned long>(header[at]) > 32; ++at) {
        const wchar_t c = header[at];
        if (c == L'+')
            return;
        if (c == L'-') {
            polarity = 2;
            return;
        }
        ionisation += c;
    }
}

// The end of the first line "Function <n>" (the number followed by a line
// end) at a position above 0; npos when there is none.
size_t FindFunctionLine(const std::wstring& header, LONG n)
{
    const std::wstring word = L"Function " + std::to_wstring(n);
    for (size_t at = header.find(word); at != std::wstring::npos; at = header.find(word, at + 1)) {
        const size_t end = at + word.size();
        // Header lines end in CR LF; a line ending in LF alone is accepted too.
        if (at > 0 && end < header.size() && (header[end] == L'\r' || header[end] == L'\n'))
            return end + 1;
    }
    return std::wstring::npos;
}

}  // namespace

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
    ionisation = L"Unknown";
    polarity = 1;
    const std::wstring heading = L"Instrument Parameters - Function " + std::to_wstring(n) + L":";
    const size_t h = header.find(heading);
    if (h != std::wstring::npos && h > 0) {
        const size_t p = header.find(L"Polarity", h + heading.size());
        if (p != std::wstring::npos) {
            CollectValue(header, p + std::wcslen(L"Polarity"), ionisation, polarity);
            return;
        }
    }
    const size_t line = FindFunctionLine(header, n);
    if (line == std::wstring::npos)
        return;
    const wchar_t mode[] = L"Ionization mode:";
    const size_t m = header.find(mode, line);
    if (m != std::wstring::npos)
        CollectValue(header, m + std::wcslen(mode), ionisation, polarity);
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
