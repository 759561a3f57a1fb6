// Number text independent of the process locale, and the restoring of the
// user's locale that callers of the library rely on afterwards.
#include "fregkey.h"
#include "pellumor_p.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <locale.h>

CRITICAL_SECTION gCritSection;

namespace {

__attribute__((constructor)) void initCritSection()
{
    InitializeCriticalSection(&gCritSection);
}

__attribute__((destructor)) void deleteCritSection()
{
    DeleteCriticalSection(&gCritSection);
}

// Switches the calling thread to a "C" locale object for one conversion.
class CLocaleScope {
public:
    CLocaleScope()
        : m_c(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0)))
        , m_old(m_c ? uselocale(m_c) : static_cast<locale_t>(0))
    {
    }
    ~CLocaleScope()
    {
        if (m_c) {
            uselocale(m_old);
            freelocale(m_c);
        }
    }
    locale_t get() const { return m_c; }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_c;
    locale_t m_old;
};

}  // namespace

namespace pellumor {

std::wstring formatDouble(double value)
{
    wchar_t buffer[256];
    int n;
    {
        CLocaleScope c;
        n = swprintf(buffer, 256, L"%g", value);
    }
    return n < 0 ? std::wstring() : std::wstring(buffer, size_t(n));
}

double parseDouble(const wchar_t* text)
{
    if (!text)
        return 0.0;
    CLocaleScope c;
    return c.get() ? wcstod_l(text, nullptr, c.get()) : wcstod(text, nullptr);
}

std::wstring formatInt(int value)
{
    wchar_t buffer[256];
    const int n = swprintf(buffer, 256, L"%d", value);
    return n < 0 ? std::wstring() : std::wstring(buffer, size_t(n));
}

int parseInt(const wchar_t* text, int base)
{
    if (!text)
        return 0;
    // Parsed as 64 bits and saturated to the 32-bit range, as a 32-bit
    // long would be.
    const long long v = wcstoll(text, nullptr, base);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return int(v);
}

void RestoreUserLocale()
{
    EnterCriticalSection(&gCritSection);
    if (!setlocale(LC_ALL, ""))
        setlocale(LC_ALL, "C");
    LeaveCriticalSection(&gCritSection);
}

}  // namespace pellumor

double mywcstod(const wchar_t* lpszText)
{
    if (!lpszText)
        return 0.0;
    // The multibyte form in the current locale, at most 511 bytes; text
    // beyond that, or from a character that has no multibyte form on, is
    // not parsed.
    char narrow[512];
    size_t used = 0;
    mbstate_t state{};
    for (const wchar_t* p = lpszText; *p; ++p) {
        char one[MB_LEN_MAX];
        mbstate_t trial = state;
        const size_t n = wcrtomb(one, *p, &trial);
        if (n == size_t(-1) || used + n > sizeof(narrow) - 1)
            break;
        for (size_t i = 0; i < n; ++i)
            narrow[used++] = one[i];
        state = trial;
    }
    narrow[used] = '\0';
    return strtod(narrow, nullptr);
}
