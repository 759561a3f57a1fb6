#include "tavrionscanfilter.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>
#include <locale.h>
#include <unordered_map>

#include "kstextutil.h"

namespace {

// Words of the lower-case working copy, each with the blanks around it.
struct ModeWord {
    const wchar_t* word;
    TavrionScanMode mode;
    const wchar_t* keyText;
};
const ModeWord kModeWords[] = {
    {L" full ", TavrionScanModeFull, L"full "}, {L" z ", TavrionScanModeZoom, L"z "},
    {L" sim ", TavrionScanModeSim, L"sim "},    {L" srm ", TavrionScanModeSrm, L"srm "},
    {L" crm ", TavrionScanModeCrm, L"crm "},
};

// Up to ten precursor tokens "<m/z>@<number>", blanks between them; the
// number after the at sign is read and dropped.
const wchar_t kPrecursorPattern[] = L" %lf@%*lf %lf@%*lf %lf@%*lf %lf@%*lf %lf@%*lf"
                                    L" %lf@%*lf %lf@%*lf %lf@%*lf %lf@%*lf %lf@%*lf";

// The "C" locale for the calling thread while it lives, so precursors
// read "500.25" as written whatever the process locale says.
class CLocaleScope {
public:
    CLocaleScope() : m_previous(uselocale(cLocale())) {}
    ~CLocaleScope()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    static locale_t cLocale()
    {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return c ? c : LC_GLOBAL_LOCALE;
    }
    locale_t m_previous;
};

// The number " ms%d " reads after the "ms" at `at`: white space, an
// optional sign, decimal digits. The value saturates at the 16-bit range
// (a larger number cannot be an MS order a file holds, and must not
// overflow). False when no digit follows.
bool ReadOrder(const std::wstring& text, size_t at, SHORT& order)
{
    size_t i = at;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        digits = true;
        if (value <= SHRT_MAX + 1L)
            value = value * 10 + (text[i] - L'0');
    }
    if (!digits)
        return false;
    value = negative ? -value : value;
    order = static_cast<SHORT>(std::clamp(value, static_cast<long>(SHRT_MIN), static_cast<long>(SHRT_MAX)));
    return true;
}

// Ascending display text, case-sensitive; equal texts keep their order.
void SortFunctionRecords(std::vector<TavrionFunctionRecord>& records)
{
    std::stable_sort(records.begin(), records.end(),
                     [](const TavrionFunctionRecord& a, const TavrionFunctionRecord& b) {
                         return a.displayText < b.displayText;
                     });
}

}  // namespace

bool TavrionScanFilter::Parse(const std::wstring& text)
{
    m_Key.clear();
    m_DisplayText = text;
    std::wstring copy = L" " + text + L" ";
    std::replace(copy.begin(), copy.end(), L'\t', L' ');
    ToLower(copy);

    // The key begins with the words before the sign, when there is one.
    m_nPolarity = 0;
    size_t sign = copy.find(L" + ");
    if (sign != std::wstring::npos) {
        m_nPolarity = 1;
        m_Key = copy.substr(0, sign + 1) + L"+ ";
    } else if ((sign = copy.find(L" - ")) != std::wstring::npos) {
        m_nPolarity = -1;
        m_Key = copy.substr(0, sign + 1) + L"- ";
    }

    m_nScanMode = TavrionScanModeNone;
    for (const ModeWord& m : kModeWords)
        if (copy.find(m.word) != std::wstring::npos) {
            m_nScanMode = m.mode;
            m_Key += m.keyText;
            break;
        }

    m_bDependent = copy.find(L" d ") != std::wstring::npos;

    m_nMSOrder = 1;
    const size_t ms = copy.find(L" ms");
    if (ms != std::wstring::npos) {
        SHORT order = 1;
        if (ReadOrder(copy, ms + 3, order))
            m_nMSOrder = order;
    }

    const bool zoom = m_nScanMode == TavrionScanModeZoom;
    m_nFunctionType = m_nMSOrder == 1 ? (zoom ? 3 : 1) : (zoom ? 4 : 2);

    // "ms" then the order's digits; order 1 has none. (Orders beyond 10
    // and below 1 cannot be grouped by a filter the engine reads; their
    // decimal digits keep them apart from each other.)
    m_Key += L"ms";
    if (m_nMSOrder != 1)
        m_Key += std::to_wstring(m_nMSOrder);

    std::fill(std::begin(m_Precursors), std::end(m_Precursors), 0.0);
    m_nPrecursorCount = 0;
    const size_t at = copy.find(L'@');
    if (at == std::wstring::npos)
        return true;

    // From the blank before the token holding the first at sign (the copy
    // begins with a blank, so there is one).
    const size_t from = copy.rfind(L' ', at);
    double* p = m_Precursors;
    int read = 0;
    {
        CLocaleScope c;
        read = std::swscanf(copy.c_str() + from, kPrecursorPattern, &p[0], &p[1], &p[2], &p[3], &p[4], &p[5],
                            &p[6], &p[7], &p[8], &p[9]);
    }
    m_nPrecursorCount = std::clamp(read, 0, kMaxPrecursors);
    const bool parses = m_nMSOrder == m_nPrecursorCount + 1;
    if (parses && m_bDependent) {
        // The first precursor token goes; the blanks on both sides stay.
        const size_t token = m_DisplayText.find(L'@');
        const size_t before = m_DisplayText.rfind(L' ', token);
        const size_t start = before == std::wstring::npos ? 0 : before + 1;
        const size_t after = m_DisplayText.find(L' ', token);
        m_DisplayText.erase(start, after == std::wstring::npos ? std::wstring::npos : after - start);
    }
    return parses;
}

std::vector<TavrionFunctionRecord> GroupScansByFilter(LONG count, const std::function<std::wstring(LONG)>& filterOf)
{
    std::vector<TavrionFunctionRecord> records;
    std::unordered_map<std::wstring, size_t> byKey;
    TavrionScanFilter filter;
    for (LONG s = 1; s <= count; ++s) {
        // Whether the text parses does not matter: the scan joins the
        // function of its key either way.
        filter.Parse(filterOf(s));
        auto found = byKey.find(filter.m_Key);
        if (found == byKey.end()) {
            TavrionFunctionRecord r;
            r.functionType = filter.m_nFunctionType;
            r.displayText = filter.m_DisplayText;
            r.key = filter.m_Key;
            r.polarity = filter.m_nPolarity;
            r.msOrder = filter.m_nMSOrder;
            records.push_back(std::move(r));
            found = byKey.emplace(filter.m_Key, records.size() - 1).first;
        }
        records[found->second].scans.push_back(s - 1);
    }
    SortFunctionRecords(records);
    return records;
}
