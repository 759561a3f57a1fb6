#include "bruker.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include "brukerlayout.h"
#include "ksfiles.h"
#include "ksfilestat.h"
#include "kstextutil.h"

namespace {

struct FixedDefinition {
    const wchar_t* name;
    int type;
    const wchar_t* description;
};

const FixedDefinition kFixedTable[] = {
    {L"KSPath", BrukerText, L"Path used for these parameters"},
    {L"KSFileName", BrukerText, L"File name used for these parameters"},
    {L"KSDataType", BrukerText, L"Datatype from SPTYPE file"},
    {L"KSDataForm", BrukerText, L"1D or 2D data"},
    {L"KSTitle", BrukerText, L"Title from title file"},
    {L"$AQ_DATE", BrukerText, L"Acquisition date"},
    {L"$CMT1", BrukerText, L""},
    {L"$CMT2", BrukerText, L""},
    {L"$CMT3", BrukerText, L""},
    {L"$BYTORDA", BrukerBinaryFlag, L"Byte order"},
    {L"$BYTORDP", BrukerBinaryFlag, L"Byte order"},
    {L"$NC", BrukerInteger, L"Scaling factor"},
    {L"$NC_proc", BrukerInteger, L"Scaling factor"},
    {L"$Calmet", BrukerCalibrationMethod, L"Calibration method"},
    {L"$TILT", BrukerYesNo, L"Calibration tilt"},
    {L"$DM", BrukerDetectionMode, L"Detection mode"},
    {L"$FR_low", BrukerReal, L"Low frequency"},
    {L"$SW", BrukerReal, L"Sweep width"},
    {L"$SW_h", BrukerReal, L"Sweep width"},
    {L"$SW_p", BrukerReal, L"Sweep width"},
    {L"$ML1", BrukerReal, L"Linear calibration constant"},
    {L"$ML2", BrukerReal, L"Offset calibration constant"},
    {L"$ML3", BrukerReal, L"NonLinear only calibration constant"},
    {L"$DW", BrukerReal, L"Digitization time base in nano seconds"},
    {L"$DELAY", BrukerReal, L"Acquisition delay in nano seconds"},
    {L"$NF", BrukerInteger, L"Number of experiments"},
    {L"$TI", BrukerText, L"Title - Proc file"},
    {L"$TD", BrukerInteger, L"Total data size"},
    {L"$MW_low", BrukerReal, L"Acquisition low mass"},
    {L"$MW_high", BrukerReal, L"Acquisition high mass"},
    {L"$SI", BrukerInteger, L"Processed data size"},
    {L"$XDIM", BrukerInteger, L"Number of processed experiments"},
    {L"$GCT", BrukerReal, L"Inverse of time between experiments"},
    {L"$PI", BrukerText, L"For FTMS data the parent ion mass"},
};

// The precursor line that stands for "no precursor at any level".
const wchar_t kNoPrecursors[] = L"100 100 100 100";

bool isSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

bool isDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

std::wstring latin1(const std::string& bytes, size_t from, size_t to)
{
    std::wstring text;
    text.reserve(to - from);
    for (size_t i = from; i < to; ++i)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i])));
    return text;
}

locale_t cLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// The next line: at most kBrukerMaxLine bytes kept (the rest of a longer
// line dropped), without its LF and a CR before it, cut at a zero byte.
// False at the end of the file with nothing read.
bool readLine(std::FILE* file, std::string& line)
{
    line.clear();
    bool any = false;
    bool cut = false;
    int c;
    while ((c = getc_unlocked(file)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (c == 0)
            cut = true;
        if (!cut && line.size() < kBrukerMaxLine)
            line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

}  // namespace

// ---------------------------------------------------------------------------
// CBruker

CBruker::CBruker()
{
    DefineFixedTable();
}

CBruker::~CBruker() = default;

void CBruker::DefineFixedTable()
{
    for (const FixedDefinition& d : kFixedTable)
        AddParameter(d.name, d.type, d.description);
    m_bFixedTable = true;
}

void CBruker::AddParameter(const std::wstring& name, int type, const std::wstring& description)
{
    m_bFixedTable = false;
    std::wstring key = name;
    Trim(key);
    if (key.empty())
        return;
    auto it = m_Definitions.find(key);
    if (it == m_Definitions.end()) {
        m_Order.push_back(key);
        it = m_Definitions.emplace(key, Definition()).first;
    }
    it->second.name = key;
    it->second.description = description;
    it->second.type = type;
    it->second.value.clear();
}

void CBruker::Clear()
{
    // Readers clear their dictionaries at every open: the fixed table only
    // needs its values emptied.
    if (m_bFixedTable) {
        for (auto& definition : m_Definitions)
            std::wstring().swap(definition.second.value);
        return;
    }
    m_Definitions.clear();
    m_Order.clear();
    DefineFixedTable();
}

bool CBruker::SetValue(const std::wstring& name, const std::wstring& text)
{
    if (text.empty())
        return false;
    auto it = m_Definitions.find(name);
    if (it == m_Definitions.end())
        return false;
    it->second.value = text;
    return true;
}

const CBruker::Definition* CBruker::Find(const std::wstring& name) const
{
    auto it = m_Definitions.find(name);
    return it == m_Definitions.end() ? nullptr : &it->second;
}

std::vector<const CBruker::Definition*> CBruker::Definitions() const
{
    std::vector<const Definition*> all;
    for (const std::wstring& name : m_Order)
        all.push_back(Find(name));
    return all;
}

const std::wstring* CBruker::ValueOf(const std::wstring& name, int type) const
{
    const Definition* d = Find(name);
    if (!d || d->type != type || d->value.empty())
        return nullptr;
    return &d->value;
}

bool CBruker::GetInteger(const std::wstring& name, LONG& value) const
{
    const std::wstring* text = ValueOf(name, BrukerInteger);
    return text && ParseBrukerInteger(*text, value);
}

bool CBruker::GetDouble(const std::wstring& name, double& value) const
{
    const std::wstring* text = ValueOf(name, BrukerReal);
    size_t position = 0;
    return text && ParseBrukerReal(*text, position, value);
}

bool CBruker::GetString(const std::wstring& name, std::wstring& value) const
{
    value.clear();
    const std::wstring* text = ValueOf(name, BrukerText);
    if (!text)
        return false;
    value = *text;
    return true;
}

bool CBruker::GetChoice(const std::wstring& name, int type, const wchar_t* zero, const wchar_t* one,
                        LONG& value) const
{
    const std::wstring* text = ValueOf(name, type);
    if (!text || (*text != zero && *text != one))
        return false;
    value = *text == one ? 1 : 0;
    return true;
}

bool CBruker::GetWholeInRange(const std::wstring& name, int type, LONG low, LONG high, LONG& value) const
{
    const std::wstring* text = ValueOf(name, type);
    LONG v = 0;
    if (!text || !ParseBrukerInteger(*text, v, true) || v < low || v > high)
        return false;
    value = v;
    return true;
}

bool CBruker::GetBinaryFlag(const std::wstring& name, LONG& value) const
{
    return GetChoice(name, BrukerBinaryFlag, L"0", L"1", value);
}

bool CBruker::GetCalibrationMethod(const std::wstring& name, LONG& value) const
{
    return GetWholeInRange(name, BrukerCalibrationMethod, 0, 3, value);
}

bool CBruker::GetYesNo(const std::wstring& name, LONG& value) const
{
    return GetChoice(name, BrukerYesNo, L"no", L"yes", value);
}

bool CBruker::GetDetectionMode(const std::wstring& name, LONG& value) const
{
    return GetWholeInRange(name, BrukerDetectionMode, 0, 1, value);
}

// ---------------------------------------------------------------------------
// Parameter files

bool ParseBrukerReal(const std::wstring& text, size_t& position, double& value)
{
    size_t i = position;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    // The longest run that can form a number, as 8-bit text.
    std::string narrow;
    for (size_t k = i; k < text.size() && text[k] > 0 && text[k] < 0x80 && !isSpace(text[k]); ++k)
        narrow.push_back(static_cast<char>(text[k]));
    size_t p = 0;
    if (p < narrow.size() && (narrow[p] == '+' || narrow[p] == '-'))
        ++p;
    auto digitAt = [&](size_t k) { return k < narrow.size() && narrow[k] >= '0' && narrow[k] <= '9'; };
    if (!digitAt(p) && !(p < narrow.size() && narrow[p] == '.' && digitAt(p + 1)))
        return false;
    // "0x1p3" is the number 0 followed by text, as in decimal-only forms.
    if (narrow[p] == '0' && p + 1 < narrow.size() && (narrow[p + 1] == 'x' || narrow[p + 1] == 'X'))
        narrow.resize(p + 1);
    char* end = nullptr;
    const double v = strtod_l(narrow.c_str(), &end, cLocale());
    if (!std::isfinite(v))
        return false;
    value = v;
    position = i + static_cast<size_t>(end - narrow.c_str());
    return true;
}

bool ParseBrukerInteger(const std::wstring& text, LONG& value, bool whole)
{
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    const size_t firstDigit = i;
    int64_t magnitude = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        if (magnitude <= INT64_C(1) << 32)
            magnitude = magnitude * 10 + (text[i] - L'0');
    const bool digits = i > firstDigit;
    if (whole) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (!digits || i != text.size())
            return false;
    }
    int64_t v = negative ? -magnitude : magnitude;
    if (v > INT32_MAX)
        v = INT32_MAX;
    if (v < INT32_MIN)
        v = INT32_MIN;
    value = static_cast<LONG>(v);
    return true;
}

bool ParseParameterLine(const std::string& line, std::wstring& name, std::wstring& value)
{
    name.clear();
    value.clear();
    if (line.size() < 2 || line[0] != '#' || line[1] != '#')
        return false;
    auto isMark = [](char c) { return c == '#' || c == '='; };
    size_t p = 0;
    while (p < line.size() && line[p] == '#')
        ++p;
    const size_t nameStart = p;
    while (p < line.size() && !isMark(line[p]))
        ++p;
    name = latin1(line, nameStart, p);
    Trim(name);
    if (p < line.size() && line[p] == '=') {
        while (p < line.size() && isMark(line[p]))
            ++p;
        const size_t valueStart = p;
        while (p < line.size() && !isMark(line[p]))
            ++p;
        value = latin1(line, valueStart, p);
        Trim(value);
        if (!value.empty() && value.front() == L'<')
            value.erase(0, 1);
        if (!value.empty() && value.back() == L'>')
            value.pop_back();
    }
    return true;
}

bool ReadParameterFile(const std::wstring& path, CBruker& parameters)
{
    std::FILE* file = ks::openRegularFileStream(FileSystemPath(path), "rb");
    if (!file)
        return false;
    std::string line;
    std::string next;
    std::wstring name;
    std::wstring value;
    while (readLine(file, line)) {
        if (!ParseParameterLine(line, name, value))
            continue;
        if (name == L"$PI") {
            // The precursor masses are the whole line after the label.
            if (!readLine(file, next))
                break;
            std::wstring masses = latin1(next, 0, next.size());
            Trim(masses);
            if (masses == kNoPrecursors)
                continue;
            std::string replaced = "##$PI= ";
            for (wchar_t c : masses)
                replaced.push_back(static_cast<char>(c));
            if (!ParseParameterLine(replaced, name, value))
                continue;
        }
        parameters.SetValue(name, value);
    }
    std::fclose(file);
    return true;
}

bool ReadParameterPair(const std::wstring& path, CBruker& parameters, bool* firstRead)
{
    const std::wstring first = FindInFolder(path);
    const bool read = ReadParameterFile(first, parameters);
    if (firstRead)
        *firstRead = read;
    if (!read)
        return false;
    return ReadParameterFile(FindInFolder(path + L"s"), parameters);
}
