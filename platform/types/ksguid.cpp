#include "ksguid.h"

#include <cstring>

bool operator<(REFGUID a, REFGUID b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

namespace {

template <class Char>
void format(REFGUID g, Char* out)
{
    static const char digits[] = "0123456789ABCDEF";
    int pos = 0;
    auto put = [&](uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i)
            out[pos++] = static_cast<Char>(digits[(v >> (4 * i)) & 0xF]);
    };
    out[pos++] = '{';
    put(g.Data1, 8);
    out[pos++] = '-';
    put(g.Data2, 4);
    out[pos++] = '-';
    put(g.Data3, 4);
    out[pos++] = '-';
    put(g.Data4[0], 2);
    put(g.Data4[1], 2);
    out[pos++] = '-';
    for (int i = 2; i < 8; ++i)
        put(g.Data4[i], 2);
    out[pos++] = '}';
    out[pos] = 0;
}

template <class Char>
int hexDigit(Char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

// Parses exactly 38 characters "{8-4-4-4-12}".
template <class Char>
bool parse(const Char* s, size_t len, GUID* g)
{
    if (len != 38 || s[0] != '{' || s[37] != '}' || s[9] != '-' || s[14] != '-' || s[19] != '-' ||
        s[24] != '-')
        return false;
    uint8_t bytes[16];
    int n = 0;
    uint32_t acc = 0;
    int nibbles = 0;
    for (size_t i = 1; i < 37; ++i) {
        if (i == 9 || i == 14 || i == 19 || i == 24)
            continue;
        int d = hexDigit(s[i]);
        if (d < 0)
            return false;
        acc = (acc << 4) | static_cast<uint32_t>(d);
        if (++nibbles == 2) {
            bytes[n++] = static_cast<uint8_t>(acc);
            acc = 0;
            nibbles = 0;
        }
    }
    g->Data1 = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
    g->Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
    g->Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
    std::memcpy(g->Data4, bytes + 8, 8);
    return true;
}

}  // namespace

int StringFromGUID2(REFGUID guid, LPOLESTR buf, int cchMax)
{
    if (!buf || cchMax < 39)
        return 0;
    format(guid, buf);
    return 39;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    *clsid = GUID_NULL;
    if (!text || !parse(text, std::wcslen(text), clsid)) {
        *clsid = GUID_NULL;
        return CO_E_CLASSSTRING;
    }
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid)
{
    if (!iid)
        return E_INVALIDARG;
    *iid = GUID_NULL;
    if (!text || !parse(text, std::wcslen(text), iid)) {
        *iid = GUID_NULL;
        return CO_E_IIDSTRING;
    }
    return S_OK;
}

namespace ks {

std::wstring guidToString(REFGUID guid)
{
    wchar_t buf[39];
    format(guid, buf);
    return buf;
}

std::string guidToStringA(REFGUID guid)
{
    char buf[39];
    format(guid, buf);
    return buf;
}

bool guidFromString(const std::wstring& text, GUID* guid)
{
    *guid = GUID_NULL;
    if (parse(text.c_str(), text.size(), guid))
        return true;
    *guid = GUID_NULL;
    return false;
}

bool guidFromStringA(const std::string& text, GUID* guid)
{
    *guid = GUID_NULL;
    if (parse(text.c_str(), text.size(), guid))
        return true;
    *guid = GUID_NULL;
    return false;
}

}  // namespace ks
