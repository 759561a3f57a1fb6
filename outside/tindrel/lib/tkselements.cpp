#include "tkselements.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>

#include "tkschem.h"

namespace tindrel {

namespace {

constexpr size_t kMaxTableBytes = 1 << 20;
constexpr size_t kMaxIsotopes = 16;
// Abundances of one element must add up to 100 within this (catches a
// mistyped digit; the published compositions add up exactly).
constexpr double kAbundanceSumTolerance = 0.01;

std::wstring widen(const std::string& s)
{
    std::wstring out;
    for (unsigned char c : s)
        out += static_cast<wchar_t>(c < 0x80 ? c : L'?');
    return out;
}

bool parseInt(const std::string& s, int& v)
{
    const char* end = s.data() + s.size();
    auto r = std::from_chars(s.data(), end, v);
    return !s.empty() && r.ec == std::errc() && r.ptr == end;
}

bool parseDouble(const std::string& s, double& v)
{
    const char* end = s.data() + s.size();
    auto r = std::from_chars(s.data(), end, v);
    return !s.empty() && r.ec == std::errc() && r.ptr == end && std::isfinite(v);
}

bool validSymbol(const std::string& s)
{
    if (s.empty() || s.size() > 3 || s[0] < 'A' || s[0] > 'Z')
        return false;
    for (size_t i = 1; i < s.size(); ++i)
        if (s[i] < 'a' || s[i] > 'z')
            return false;
    return true;
}

bool parseIsotopes(const std::string& value, std::vector<Isotope>& out)
{
    out.clear();
    double sum = 0;
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos)
            comma = value.size();
        const std::string item = trimBlanks(value.substr(start, comma - start));
        const size_t colon = item.find(':');
        Isotope iso;
        if (colon == std::string::npos || !parseDouble(trimBlanks(item.substr(0, colon)), iso.mass) ||
            !parseDouble(trimBlanks(item.substr(colon + 1)), iso.percent))
            return false;
        if (iso.mass <= 0 || iso.mass >= 1000 || iso.percent <= 0 || iso.percent > 100)
            return false;
        if (!out.empty() && iso.mass <= out.back().mass)
            return false;
        if (out.size() == kMaxIsotopes)
            return false;
        sum += iso.percent;
        out.push_back(iso);
        start = comma + 1;
    }
    if (std::fabs(sum - 100) > kAbundanceSumTolerance)
        return false;
    for (Isotope& iso : out)
        iso.fraction = iso.percent / sum;
    return true;
}

// Completes an element once its section ends.
bool finishElement(Element& e)
{
    if (e.number == 0 || e.valence < 0 || e.isotopes.empty())
        return false;
    double weighted = 0;
    for (size_t i = 0; i < e.isotopes.size(); ++i) {
        weighted += e.isotopes[i].mass * e.isotopes[i].fraction;
        if (e.isotopes[i].fraction > e.isotopes[static_cast<size_t>(e.monoIsotope)].fraction)
            e.monoIsotope = static_cast<int>(i);
    }
    e.averageMass = weighted;
    return true;
}

std::string lineError(int line, const std::string& what)
{
    return "line " + std::to_string(line) + ": " + what;
}

}  // namespace

int Element::nominalMass() const
{
    return static_cast<int>(std::lround(averageMass));
}

int Element::isotopeOfMassNumber(int massNumber) const
{
    for (size_t i = 0; i < isotopes.size(); ++i)
        if (std::lround(isotopes[i].mass) == massNumber)
            return static_cast<int>(i);
    return -1;
}

int ElementData::indexOf(const std::wstring& symbol) const
{
    for (size_t i = 0; i < elements.size(); ++i)
        if (elements[i].symbol == symbol)
            return static_cast<int>(i);
    return -1;
}

ElementTablePtr parseElementTable(const std::string& text, std::wstring& error)
{
    auto data = std::make_shared<ElementData>();
    std::string failure;
    std::set<std::string> keys;
    bool inSection = false;
    int lineNumber = 0;
    int sectionLine = 0;
    size_t pos = 0;
    // A UTF-8 byte order mark before the first line is passed over.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    auto closeSection = [&]() {
        if (!inSection)
            return true;
        Element& e = data->elements.back();
        for (const char* key : {"number", "valence", "isotopes"})
            if (!keys.count(key)) {
                failure = lineError(sectionLine, "element " + toUtf8(e.symbol) + " has no " + key);
                return false;
            }
        return finishElement(e);
    };
    while (pos < text.size() && failure.empty()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            nl = text.size();
        std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        line = trimBlanks(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            const std::string symbol = line.size() >= 2 && line.back() == ']' ? trimBlanks(line.substr(1, line.size() - 2)) : "";
            if (!validSymbol(symbol)) {
                failure = lineError(lineNumber, "bad section \"" + line + "\"");
                break;
            }
            if (!closeSection())
                break;
            if (data->indexOf(widen(symbol)) >= 0) {
                failure = lineError(lineNumber, "element " + symbol + " listed twice");
                break;
            }
            Element e;
            e.symbol = widen(symbol);
            e.valence = -1;
            data->elements.push_back(e);
            keys.clear();
            inSection = true;
            sectionLine = lineNumber;
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            failure = lineError(lineNumber, "not a section or key=value: \"" + line + "\"");
            break;
        }
        const std::string key = trimBlanks(line.substr(0, eq));
        const std::string value = trimBlanks(line.substr(eq + 1));
        if (!inSection) {
            failure = lineError(lineNumber, "key " + key + " outside an element section");
            break;
        }
        if (!keys.insert(key).second) {
            failure = lineError(lineNumber, "key " + key + " given twice");
            break;
        }
        Element& e = data->elements.back();
        bool ok = false;
        if (key == "number")
            ok = parseInt(value, e.number) && e.number >= 1 && e.number <= 118;
        else if (key == "valence")
            ok = parseInt(value, e.valence) && e.valence >= 0 && e.valence <= 8;
        else if (key == "isotopes")
            ok = parseIsotopes(value, e.isotopes);
        else {
            failure = lineError(lineNumber, "unknown key " + key);
            break;
        }
        if (!ok)
            failure = lineError(lineNumber, "bad " + key + " \"" + value + "\"");
    }
    if (failure.empty() && closeSection() && data->elements.empty())
        failure = "no element in the table";
    if (!failure.empty()) {
        error = widen(failure);
        return nullptr;
    }
    error.clear();
    return data;
}

std::string toUtf8(const std::wstring& text)
{
    std::string out;
    for (wchar_t wc : text) {
        uint32_t c = static_cast<uint32_t>(wc);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace tindrel

// --- TKSElementTable ---------------------------------------------------------

TKSElementTable::TKSElementTable() = default;
TKSElementTable::~TKSElementTable() = default;
TKSElementTable::TKSElementTable(const TKSElementTable&) = default;
TKSElementTable& TKSElementTable::operator=(const TKSElementTable&) = default;

bool TKSElementTable::initialize(const std::wstring& path)
{
    m_data.reset();
    const std::string file = tindrel::toUtf8(path);
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) {
        m_error = L"cannot open " + path;
        return false;
    }
    std::string text;
    char buffer[65536];
    size_t n = 0;
    bool tooLarge = false;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        text.append(buffer, n);
        if (text.size() > tindrel::kMaxTableBytes) {
            tooLarge = true;
            break;
        }
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError || tooLarge) {
        m_error = readError ? L"cannot read " + path : path + L" is larger than 1 MiB";
        return false;
    }
    m_data = tindrel::parseElementTable(text, m_error);
    return m_data != nullptr;
}

bool TKSElementTable::isEmpty() const
{
    return !m_data;
}

int TKSElementTable::getCount() const
{
    return m_data ? static_cast<int>(m_data->elements.size()) : 0;
}

int TKSElementTable::indexOf(const std::wstring& symbol) const
{
    return m_data ? m_data->indexOf(symbol) : -1;
}

namespace {

const tindrel::Element* elementAt(const tindrel::ElementTablePtr& data, int index)
{
    if (!data || index < 0 || index >= static_cast<int>(data->elements.size()))
        return nullptr;
    return &data->elements[static_cast<size_t>(index)];
}

const tindrel::Isotope* isotopeAt(const tindrel::ElementTablePtr& data, int index, int isotope)
{
    const tindrel::Element* e = elementAt(data, index);
    if (!e || isotope < 0 || isotope >= static_cast<int>(e->isotopes.size()))
        return nullptr;
    return &e->isotopes[static_cast<size_t>(isotope)];
}

}  // namespace

std::wstring TKSElementTable::getSymbol(int index) const
{
    const tindrel::Element* e = elementAt(m_data, index);
    return e ? e->symbol : std::wstring();
}

int TKSElementTable::getAtomicNumber(int index) const
{
    const tindrel::Element* e = elementAt(m_data, index);
    return e ? e->number : 0;
}

int TKSElementTable::getValence(int index) const
{
    const tindrel::Element* e = elementAt(m_data, index);
    return e ? e->valence : -1;
}

double TKSElementTable::getMonoisotopicMass(int index) const
{
    const tindrel::Element* e = elementAt(m_data, index);
    return e ? e->monoMass() : 0;
}

double TKSElementTable::getAverageMass(int index) const
{
    const tindrel::Element* e = elementAt(m_data, index);
    return e ? e->averageMass : 0;
}

int TKSElementTable::getIsotopeCount(int index) const
{
    const tindrel::Element* e = elementAt(m_data, index);
    return e ? static_cast<int>(e->isotopes.size()) : 0;
}

double TKSElementTable::getIsotopeMass(int index, int isotope) const
{
    const tindrel::Isotope* i = isotopeAt(m_data, index, isotope);
    return i ? i->mass : 0;
}

double TKSElementTable::getIsotopeAbundance(int index, int isotope) const
{
    const tindrel::Isotope* i = isotopeAt(m_data, index, isotope);
    return i ? i->percent : 0;
}
