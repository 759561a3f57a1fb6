// Formulas and ion texts: parsing, Hill order, masses, double bond
// equivalents, electron counts.
#include <algorithm>
#include <cstdint>

#include "tkschem.h"
#include "tkselements.h"

namespace tindrel {

namespace {

constexpr int kMaxGroupDepth = 8;

bool isUpper(wchar_t c)
{
    return c >= L'A' && c <= L'Z';
}

bool isLower(wchar_t c)
{
    return c >= L'a' && c <= L'z';
}

bool isDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// A decimal count of at most 6 digits; 1 when there is none.
bool readCount(const std::wstring& s, size_t& i, int64_t& count)
{
    if (i >= s.size() || !isDigit(s[i])) {
        count = 1;
        return true;
    }
    count = 0;
    int digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        if (++digits > 6)
            return false;
        count = count * 10 + (s[i] - L'0');
        ++i;
    }
    return true;
}

// One level of a formula up to `)` or the end, its counts added into `out`.
bool parseGroup(const std::wstring& s, size_t& i, const ElementData& table, std::vector<int64_t>& out, int depth)
{
    while (i < s.size() && s[i] != L')') {
        std::vector<int64_t> part(table.elements.size(), 0);
        if (s[i] == L'(') {
            if (depth >= kMaxGroupDepth)
                return false;
            const size_t open = ++i;
            if (!parseGroup(s, i, table, part, depth + 1) || i == open || i >= s.size() || s[i] != L')')
                return false;
            ++i;
        } else if (isUpper(s[i])) {
            size_t j = i + 1;
            while (j < s.size() && isLower(s[j]) && j - i < 3)
                ++j;
            const int index = table.indexOf(s.substr(i, j - i));
            if (index < 0)
                return false;
            part[static_cast<size_t>(index)] = 1;
            i = j;
        } else {
            return false;
        }
        int64_t count = 1;
        if (!readCount(s, i, count))
            return false;
        for (size_t k = 0; k < out.size(); ++k) {
            out[k] += part[k] * count;
            if (out[k] > TKSFormula::kMaxFormulaCount)
                return false;
        }
    }
    return true;
}

std::wstring trimmed(const std::wstring& text)
{
    size_t a = 0, b = text.size();
    while (a < b && (text[a] == L' ' || text[a] == L'\t'))
        ++a;
    while (b > a && (text[b - 1] == L' ' || text[b - 1] == L'\t'))
        --b;
    return text.substr(a, b - a);
}

// The formula part of a text, possibly empty.
bool parseFormulaPart(const std::wstring& s, const ElementData& table, Counts& counts)
{
    std::vector<int64_t> total(table.elements.size(), 0);
    size_t i = 0;
    if (!parseGroup(s, i, table, total, 0) || i != s.size())
        return false;
    int64_t atoms = 0;
    counts.assign(table.elements.size(), 0);
    for (size_t k = 0; k < total.size(); ++k) {
        atoms += total[k];
        counts[k] = static_cast<int>(total[k]);
    }
    return atoms <= TKSFormula::kMaxFormulaCount;
}

}  // namespace

bool parseFormula(const std::wstring& text, const ElementData& table, Counts& counts)
{
    const std::wstring s = trimmed(text);
    if (s.empty() || !parseFormulaPart(s, table, counts) || isEmpty(counts)) {
        counts.assign(table.elements.size(), 0);
        return false;
    }
    return true;
}

bool parseIonText(const std::wstring& text, const ElementData& table, IonText& ion)
{
    std::wstring s = trimmed(text);
    ion = IonText{};
    ion.counts.assign(table.elements.size(), 0);
    // Charge at the end: a run of one sign ("+", "++"), or a sign and digits ("+2").
    int charge = 0;
    size_t end = s.size();
    if (end > 0 && isDigit(s[end - 1])) {
        size_t d = end;
        while (d > 0 && isDigit(s[d - 1]))
            --d;
        if (d > 0 && (s[d - 1] == L'+' || s[d - 1] == L'-') && end - d <= 3) {
            int value = 0;
            for (size_t k = d; k < end; ++k)
                value = value * 10 + (s[k] - L'0');
            charge = s[d - 1] == L'+' ? value : -value;
            end = d - 1;
        }
    } else if (end > 0 && (s[end - 1] == L'+' || s[end - 1] == L'-')) {
        const wchar_t sign = s[end - 1];
        while (end > 0 && s[end - 1] == sign && charge < 100) {
            --end;
            charge += sign == L'+' ? 1 : -1;
        }
    }
    if (charge < -100 || charge > 100)
        return false;
    s.resize(end);
    int multiplier = 1;
    size_t start = 0;
    if (start < s.size() && isDigit(s[start])) {
        multiplier = 0;
        while (start < s.size() && isDigit(s[start])) {
            multiplier = multiplier * 10 + (s[start] - L'0');
            if (multiplier > 100)
                return false;
            ++start;
        }
        if (multiplier == 0)
            return false;
    }
    Counts counts;
    if (!parseFormulaPart(s.substr(start), table, counts))
        return false;
    for (int& c : counts) {
        if (static_cast<int64_t>(c) * multiplier > TKSFormula::kMaxFormulaCount)
            return false;
        c *= multiplier;
    }
    if (charge * multiplier < -100 || charge * multiplier > 100)
        return false;
    ion.counts = std::move(counts);
    ion.charge = charge * multiplier;
    return true;
}

std::wstring hillText(const Counts& counts, const ElementData& table)
{
    std::vector<size_t> order;
    for (size_t k = 0; k < counts.size() && k < table.elements.size(); ++k)
        if (counts[k] > 0)
            order.push_back(k);
    const int carbon = table.indexOf(L"C");
    const bool hasCarbon = carbon >= 0 && static_cast<size_t>(carbon) < counts.size() && counts[static_cast<size_t>(carbon)] > 0;
    auto rank = [&](size_t k) {
        const std::wstring& s = table.elements[k].symbol;
        if (hasCarbon && s == L"C")
            return 0;
        if (hasCarbon && s == L"H")
            return 1;
        return 2;
    };
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (rank(a) != rank(b))
            return rank(a) < rank(b);
        return table.elements[a].symbol < table.elements[b].symbol;
    });
    std::wstring out;
    for (size_t k : order) {
        out += table.elements[k].symbol;
        if (counts[k] > 1)
            out += std::to_wstring(counts[k]);
    }
    return out;
}

double monoisotopicMass(const Counts& counts, const ElementData& table)
{
    double mass = 0;
    for (size_t k = 0; k < counts.size() && k < table.elements.size(); ++k)
        mass += counts[k] * table.elements[k].monoMass();
    return mass;
}

double doubleBondEquivalent(const Counts& counts, const ElementData& table)
{
    double dbe = 1;
    for (size_t k = 0; k < counts.size() && k < table.elements.size(); ++k)
        dbe += counts[k] * (table.elements[k].valence - 2) / 2.0;
    return dbe;
}

long long electronCount(const Counts& counts, const ElementData& table)
{
    long long n = 0;
    for (size_t k = 0; k < counts.size() && k < table.elements.size(); ++k)
        n += static_cast<long long>(counts[k]) * table.elements[k].number;
    return n;
}

bool addCounts(Counts& a, const Counts& b, int factor)
{
    if (a.size() < b.size())
        a.resize(b.size(), 0);
    for (size_t k = 0; k < b.size(); ++k) {
        const int64_t v = int64_t(a[k]) + int64_t(factor) * b[k];
        if (v < 0 || v > TKSFormula::kMaxFormulaCount)
            return false;
        a[k] = static_cast<int>(v);
    }
    return true;
}

bool isEmpty(const Counts& counts)
{
    return std::all_of(counts.begin(), counts.end(), [](int c) { return c == 0; });
}

}  // namespace tindrel

// --- TKSFormula --------------------------------------------------------------

TKSFormula::TKSFormula() = default;
TKSFormula::~TKSFormula() = default;
TKSFormula::TKSFormula(const TKSFormula&) = default;
TKSFormula& TKSFormula::operator=(const TKSFormula&) = default;

bool TKSFormula::parse(const std::wstring& text, const TKSElementTable& table)
{
    m_table.reset();
    m_counts.clear();
    const tindrel::ElementTablePtr data = table.data();
    tindrel::Counts counts;
    if (!data || !tindrel::parseFormula(text, *data, counts))
        return false;
    m_table = data;
    m_counts = std::move(counts);
    return true;
}

bool TKSFormula::isEmpty() const
{
    return tindrel::isEmpty(m_counts);
}

int TKSFormula::getCount(const std::wstring& symbol) const
{
    if (!m_table)
        return 0;
    const int k = m_table->indexOf(symbol);
    return k >= 0 && static_cast<size_t>(k) < m_counts.size() ? m_counts[static_cast<size_t>(k)] : 0;
}

std::wstring TKSFormula::getText() const
{
    return m_table ? tindrel::hillText(m_counts, *m_table) : std::wstring();
}

double TKSFormula::getMonoisotopicMass() const
{
    return m_table ? tindrel::monoisotopicMass(m_counts, *m_table) : 0;
}

double TKSFormula::getDoubleBondEquivalent() const
{
    return m_table ? tindrel::doubleBondEquivalent(m_counts, *m_table) : 0;
}

long long TKSFormula::getElectronCount() const
{
    return m_table ? tindrel::electronCount(m_counts, *m_table) : 0;
}
