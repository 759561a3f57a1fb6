// Scan filters: the grammar's reader and writer, and matching.
#include "rawfilter.h"
#include "rawtesthooks.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace rawengine {

namespace {

template <class E>
struct Word {
    const char* text;
    E value;
};

constexpr Word<Analyzer> kAnalyzers[] = {{"FTMS", Analyzer::FTMS},   {"ITMS", Analyzer::ITMS},
                                         {"TQMS", Analyzer::TQMS},   {"SQMS", Analyzer::SQMS},
                                         {"TOFMS", Analyzer::TOFMS}, {"SECTOR", Analyzer::SECTOR}};
constexpr Word<Ionization> kIonizations[] = {
    {"EI", Ionization::EI},   {"CI", Ionization::CI},       {"FAB", Ionization::FAB}, {"ESI", Ionization::ESI},
    {"APCI", Ionization::APCI}, {"NSI", Ionization::NSI},   {"TSP", Ionization::TSP}, {"FD", Ionization::FD},
    {"MALDI", Ionization::MALDI}, {"GD", Ionization::GD}};
constexpr Word<ScanType> kScanTypes[] = {{"Full", ScanType::Full}, {"Z", ScanType::Zoom},     {"SIM", ScanType::SIM},
                                         {"SRM", ScanType::SRM},   {"CRM", ScanType::CRM},    {"Q1MS", ScanType::Q1MS},
                                         {"Q3MS", ScanType::Q3MS}};
constexpr Word<Activation> kActivations[] = {{"cid", Activation::CID}, {"hcd", Activation::HCD},
                                             {"etd", Activation::ETD}, {"ecd", Activation::ECD},
                                             {"pqd", Activation::PQD}, {"mpd", Activation::MPD}};

// The switches, in text order: their word and their field.
struct Switch {
    const char* text;
    Tri ScanFields::*field;
};
constexpr Switch kSwitches[] = {{"corona", &ScanFields::corona}, {"sid", &ScanFields::sourceCID},
                                {"t", &ScanFields::turbo},       {"d", &ScanFields::dependent},
                                {"w", &ScanFields::wideband},    {"u", &ScanFields::custom}};

template <class E, size_t N>
const char* wordOf(const Word<E> (&words)[N], E value)
{
    for (const Word<E>& w : words)
        if (w.value == value)
            return w.text;
    return nullptr;
}

bool equalNoCaseAscii(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? char(a[i] - 'A' + 'a') : a[i];
        const char y = (b[i] >= 'A' && b[i] <= 'Z') ? char(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == 0;
}

template <class E, size_t N>
bool lookup(const Word<E> (&words)[N], const std::string& token, E& out)
{
    for (const Word<E>& w : words)
        if (equalNoCaseAscii(token, w.text)) {
            out = w.value;
            return true;
        }
    return false;
}

std::wstring number(double v, int decimals)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, std::clamp(decimals, 0, 15));
    return std::wstring(buf, r.ptr);
}

double halfUnit(int precision) { return 0.5 * std::pow(10.0, -std::clamp(precision, 0, kMaxMassPrecision)); }

bool within(double a, double b, double tolerance)
{
    return std::fabs(a - b) <= tolerance + 16 * DBL_EPSILON * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// A decimal number: digits with an optional fraction, no sign or exponent.
bool parseNumber(const std::string& s, double& out)
{
    if (s.empty())
        return false;
    size_t digits = 0, dots = 0;
    for (char c : s) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.')
            ++dots;
        else
            return false;
    }
    if (digits == 0 || dots > 1)
        return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out, std::chars_format::fixed);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

class Parser {
public:
    Parser(const std::wstring& text, int precision) : m_text(text) { m_filter.precision = precision; }

    std::optional<CFilter> run(FilterParseError* why)
    {
        if (!parse()) {
            if (why) {
                why->reason = m_reason;
                why->position = m_position;
            }
            return std::nullopt;
        }
        return m_filter;
    }

private:
    bool fail(const std::string& reason, size_t at)
    {
        m_reason = reason;
        m_position = at;
        return false;
    }

    static bool blank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

    bool parse()
    {
        size_t i = 0;
        const size_t n = m_text.size();
        while (i < n) {
            if (blank(m_text[i])) {
                ++i;
                continue;
            }
            if (m_text[i] == L'[') {
                const size_t close = m_text.find(L']', i);
                if (close == std::wstring::npos)
                    return fail("mass range list without its closing bracket", i);
                if (!ranges(i + 1, close))
                    return false;
                for (size_t k = close + 1; k < n; ++k)
                    if (!blank(m_text[k]))
                        return fail("text after the mass range list", k);
                break;
            }
            size_t end = i;
            while (end < n && !blank(m_text[end]))
                ++end;
            // Tokens are ASCII; anything else is no token of the grammar.
            std::string token;
            for (size_t k = i; k < end; ++k) {
                if (m_text[k] < 0x21 || m_text[k] > 0x7E || m_text[k] == L'[' || m_text[k] == L']')
                    return fail("character outside the grammar", k);
                token.push_back(char(m_text[k]));
            }
            if (!word(token, i))
                return false;
            i = end;
        }
        const int8_t order = m_filter.fields.msOrder;
        if (order >= 1 && size_t(order) - 1 < m_filter.fields.reactions.size())
            return fail("more precursors than MS order " + std::to_string(order) + " has", 0);
        return true;
    }

    template <class E>
    bool setOnce(E& field, E value, size_t at)
    {
        if (field != E::Any)
            return fail("a field given twice", at);
        field = value;
        return true;
    }

    bool word(const std::string& token, size_t at)
    {
        ScanFields& f = m_filter.fields;
        Analyzer a;
        Ionization ion;
        ScanType st;
        if (lookup(kAnalyzers, token, a))
            return setOnce(f.analyzer, a, at);
        if (token == "+" || token == "-")
            return setOnce(f.polarity, token == "+" ? Polarity::Positive : Polarity::Negative, at);
        if (equalNoCaseAscii(token, "p") || equalNoCaseAscii(token, "c"))
            return setOnce(f.dataForm, equalNoCaseAscii(token, "p") ? DataForm::Profile : DataForm::Centroid, at);
        if (lookup(kIonizations, token, ion))
            return setOnce(f.ionization, ion, at);
        if (lookup(kScanTypes, token, st))
            return setOnce(f.scanType, st, at);
        const bool negated = token[0] == '!';
        const std::string bare = negated ? token.substr(1) : token;
        for (const Switch& s : kSwitches)
            if (equalNoCaseAscii(bare, s.text))
                return setOnce(f.*(s.field), negated ? Tri::Off : Tri::On, at);
        if (!negated && bare.size() > 4 && equalNoCaseAscii(bare.substr(0, 4), "sid=")) {
            double v;
            if (!parseNumber(bare.substr(4), v))
                return fail("source-CID value that is not a number", at);
            if (!setOnce(f.sourceCID, Tri::On, at))
                return false;
            f.sourceCIDValueValid = true;
            f.sourceCIDValue = v;
            return true;
        }
        if (negated)
            return fail("unknown switch '" + token + "'", at);
        if (int8_t order = msOrder(token))
            return f.msOrder == kOrderAny ? (f.msOrder = order, true) : fail("a field given twice", at);
        if ((token[0] >= '0' && token[0] <= '9') || token[0] == '.')
            return reaction(token, at);
        return fail("unknown token '" + token + "'", at);
    }

    static int8_t msOrder(const std::string& token)
    {
        if (equalNoCaseAscii(token, "nl"))
            return kOrderNeutralLoss;
        if (equalNoCaseAscii(token, "ng"))
            return kOrderNeutralGain;
        if (equalNoCaseAscii(token, "par"))
            return kOrderParent;
        if (token.size() < 2 || !equalNoCaseAscii(token.substr(0, 2), "ms"))
            return 0;
        if (token.size() == 2)
            return 1;
        const std::string digits = token.substr(2);
        if (digits.size() > 2 || digits[0] == '0')
            return 0;
        for (char c : digits)
            if (c < '0' || c > '9')
                return 0;
        const int n = std::stoi(digits);
        return n >= 1 && n <= kMaxMSOrder ? int8_t(n) : 0;
    }

    bool reaction(const std::string& token, size_t at)
    {
        Reaction r;
        const size_t atSign = token.find('@');
        if (!parseNumber(token.substr(0, atSign), r.precursorMass))
            return fail("precursor mass that is not a number", at);
        if (atSign != std::string::npos) {
            std::string energy = token.substr(atSign + 1);
            size_t letters = 0;
            while (letters < energy.size() && std::isalpha(static_cast<unsigned char>(energy[letters])))
                ++letters;
            if (letters > 0 && !lookup(kActivations, energy.substr(0, letters), r.activation))
                return fail("unknown activation '" + energy.substr(0, letters) + "'", at);
            if (!parseNumber(energy.substr(letters), r.energy))
                return fail("energy that is not a number", at);
            r.energyValid = true;
        }
        if (m_filter.fields.reactions.size() >= kMaxReactions)
            return fail("more than " + std::to_string(kMaxReactions) + " precursors", at);
        m_filter.fields.reactions.push_back(r);
        return true;
    }

    bool ranges(size_t from, size_t to)
    {
        if (!m_filter.fields.massRanges.empty())
            return fail("a second mass range list", from);
        std::vector<MassRange> list;
        size_t i = from;
        while (true) {
            const size_t comma = std::min(m_text.find(L',', i), to);
            std::string item;
            for (size_t k = i; k < comma; ++k) {
                if (blank(m_text[k]))
                    continue;
                if (m_text[k] > 0x7E)
                    return fail("character outside the grammar", k);
                item.push_back(char(m_text[k]));
            }
            const size_t dash = item.find('-');
            MassRange m;
            if (dash == std::string::npos || !parseNumber(item.substr(0, dash), m.low) ||
                !parseNumber(item.substr(dash + 1), m.high))
                return fail("mass range that is not two numbers joined by '-'", i);
            if (m.low > m.high)
                return fail("mass range whose low end is above its high end", i);
            if (list.size() >= kMaxMassRanges)
                return fail("more than " + std::to_string(kMaxMassRanges) + " mass ranges", i);
            list.push_back(m);
            if (comma == to)
                break;
            i = comma + 1;
        }
        m_filter.fields.massRanges = std::move(list);
        return true;
    }

    const std::wstring& m_text;
    CFilter m_filter;
    std::string m_reason;
    size_t m_position = 0;
};

}  // namespace

CFilter::CFilter() = default;

CFilter::CFilter(const ScanFields& f, int p) : fields(f), precision(p) {}

CFilter CFilter::FromScanEvent(const CScanEvent& event, int precision)
{
    CFilter f(event, precision);
    for (const Switch& s : kSwitches)
        if (f.fields.*(s.field) == Tri::Off)
            f.fields.*(s.field) = Tri::Any;
    return f;
}

bool CFilter::Matches(const CScanEvent& e) const
{
    const ScanFields& f = fields;
    auto same = [](auto want, auto have) { return want == decltype(want)::Any || want == have; };
    if (!same(f.analyzer, e.analyzer) || !same(f.polarity, e.polarity) || !same(f.dataForm, e.dataForm) ||
        !same(f.ionization, e.ionization) || !same(f.scanType, e.scanType))
        return false;
    for (const Switch& s : kSwitches)
        if (!same(f.*(s.field), e.*(s.field)))
            return false;
    const double tol = halfUnit(precision);
    if (f.sourceCIDValueValid &&
        (!e.sourceCIDValueValid || !within(f.sourceCIDValue, e.sourceCIDValue, halfUnit(2))))
        return false;
    if (f.msOrder != kOrderAny && f.msOrder != e.msOrder)
        return false;
    if (f.reactions.size() > e.reactions.size())
        return false;
    for (size_t i = 0; i < f.reactions.size(); ++i) {
        const Reaction& want = f.reactions[i];
        const Reaction& have = e.reactions[i];
        if (!within(want.precursorMass, have.precursorMass, tol))
            return false;
        if (want.energyValid && (!have.energyValid || !within(want.energy, have.energy, halfUnit(2))))
            return false;
        if (want.activation != Activation::Any && want.activation != have.activation)
            return false;
    }
    if (!f.massRanges.empty()) {
        if (f.massRanges.size() != e.massRanges.size())
            return false;
        for (size_t i = 0; i < f.massRanges.size(); ++i)
            if (!within(f.massRanges[i].low, e.massRanges[i].low, tol) ||
                !within(f.massRanges[i].high, e.massRanges[i].high, tol))
                return false;
    }
    return true;
}

std::wstring FieldsToText(const ScanFields& f, int precision, int maxReactions, int energyDecimals)
{
    std::vector<std::wstring> words;
    auto add = [&](const char* w) { words.emplace_back(w, w + std::char_traits<char>::length(w)); };
    if (const char* w = wordOf(kAnalyzers, f.analyzer))
        add(w);
    if (f.polarity != Polarity::Any)
        add(f.polarity == Polarity::Positive ? "+" : "-");
    if (f.dataForm != DataForm::Any)
        add(f.dataForm == DataForm::Profile ? "p" : "c");
    if (const char* w = wordOf(kIonizations, f.ionization))
        add(w);
    for (const Switch& s : kSwitches) {
        const Tri state = f.*(s.field);
        if (state == Tri::On) {
            add(s.text);
            if (s.field == &ScanFields::sourceCID && f.sourceCIDValueValid)
                words.back() += L"=" + number(f.sourceCIDValue, 2);
        } else if (state == Tri::Off) {
            add(s.text);
            words.back().insert(0, L"!");
        }
    }
    if (const char* w = wordOf(kScanTypes, f.scanType))
        add(w);
    switch (f.msOrder) {
    case kOrderAny:
        break;
    case kOrderNeutralLoss:
        add("nl");
        break;
    case kOrderNeutralGain:
        add("ng");
        break;
    case kOrderParent:
        add("par");
        break;
    default:
        words.push_back(f.msOrder == 1 ? L"ms" : L"ms" + std::to_wstring(f.msOrder));
    }
    const size_t count = maxReactions < 0 ? f.reactions.size() : std::min(f.reactions.size(), size_t(maxReactions));
    for (size_t i = 0; i < count; ++i) {
        const Reaction& r = f.reactions[i];
        std::wstring w = number(r.precursorMass, precision);
        if (r.energyValid) {
            w += L"@";
            if (const char* act = wordOf(kActivations, r.activation))
                w += std::wstring(act, act + std::char_traits<char>::length(act));
            w += number(r.energy, energyDecimals);
        }
        words.push_back(w);
    }
    if (!f.massRanges.empty()) {
        std::wstring w = L"[";
        for (size_t i = 0; i < f.massRanges.size(); ++i) {
            if (i)
                w += L", ";
            w += number(f.massRanges[i].low, precision) + L"-" + number(f.massRanges[i].high, precision);
        }
        words.push_back(w + L"]");
    }
    std::wstring out;
    for (const std::wstring& w : words) {
        if (!out.empty())
            out += L' ';
        out += w;
    }
    return out;
}

std::wstring CFilter::GetFilterString(int precision, int maxReactions, int energyDecimals) const
{
    detail::checkpoint("GetFilterString");
    return FieldsToText(fields, precision, maxReactions, energyDecimals);
}

std::wstring CScanEvent::GetScanEventString(int precision, int maxReactions, int energyDecimals) const
{
    detail::checkpoint("GetScanEventString");
    return FieldsToText(*this, precision, maxReactions, energyDecimals);
}

std::optional<CFilter> ParseFilter(const std::wstring& text, int precision, FilterParseError* why)
{
    detail::checkpoint("ParseFilter");
    return Parser(text, std::clamp(precision, 0, kMaxMassPrecision)).run(why);
}

}  // namespace rawengine
