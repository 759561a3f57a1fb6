// GUID, IID and CLSID, their registry-format text ("{XXXXXXXX-XXXX-...}")
// and the interface-to-IID trait that stands in for the compiler's uuid
// attribute: KS_DECLARE_INTERFACE(IFoo, IBase, "....") once per interface,
// then KS_IID(IFoo) wherever the IID is needed.
#pragma once

#include "kstypes.h"
#include "kswinerror.h"

#include <string>

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPCLSID = CLSID*;

inline bool IsEqualGUID(REFGUID a, REFGUID b)
{
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           a.Data4[0] == b.Data4[0] && a.Data4[1] == b.Data4[1] && a.Data4[2] == b.Data4[2] &&
           a.Data4[3] == b.Data4[3] && a.Data4[4] == b.Data4[4] && a.Data4[5] == b.Data4[5] &&
           a.Data4[6] == b.Data4[6] && a.Data4[7] == b.Data4[7];
}
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return IsEqualGUID(a, b); }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }
// Byte-wise order, so GUIDs can key ordered containers.
bool operator<(REFGUID a, REFGUID b);

inline constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// Writes the braced upper-case text (38 characters plus the terminator)
// into buf; answers the characters written including the terminator, or 0
// when cchMax is below 39.
int StringFromGUID2(REFGUID guid, LPOLESTR buf, int cchMax);
// Parses braced registry-format text, hex digits of either case.
// Anything else (missing braces, wrong length or separators, bad digits,
// a null pointer) gives CO_E_CLASSSTRING and a null identifier. ProgIDs
// are resolved by the activation services, not here.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// The same for interface identifiers (CO_E_IIDSTRING on bad text).
HRESULT IIDFromString(LPCOLESTR text, IID* iid);

namespace ks {

// Braced upper-case text of a GUID.
std::wstring guidToString(REFGUID guid);
std::string guidToStringA(REFGUID guid);
// Parses braced text; false (and GUID_NULL) on bad text.
bool guidFromString(const std::wstring& text, GUID* guid);
bool guidFromStringA(const std::string& text, GUID* guid);

namespace detail {
constexpr int hexValue(char c)
{
    return (c >= '0' && c <= '9') ? c - '0'
           : (c >= 'a' && c <= 'f') ? c - 'a' + 10
           : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                    : throw "bad hex digit in a GUID literal";
}
constexpr uint32_t hexField(const char* s, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v * 16 + static_cast<uint32_t>(hexValue(s[i]));
    return v;
}
}  // namespace detail

// A GUID from the 36-character text without braces, at compile time:
// ks::guid("BDFCEFD2-D2BC-11D3-91D8-00400536072C").
template <size_t N>
constexpr GUID guid(const char (&s)[N])
{
    static_assert(N == 37, "GUID literal is 36 characters without braces");
    return (s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-')
               ? throw "bad separator in a GUID literal"
               : GUID{detail::hexField(s, 8),
                      static_cast<WORD>(detail::hexField(s + 9, 4)),
                      static_cast<WORD>(detail::hexField(s + 14, 4)),
                      {static_cast<BYTE>(detail::hexField(s + 19, 2)), static_cast<BYTE>(detail::hexField(s + 21, 2)),
                       static_cast<BYTE>(detail::hexField(s + 24, 2)), static_cast<BYTE>(detail::hexField(s + 26, 2)),
                       static_cast<BYTE>(detail::hexField(s + 28, 2)), static_cast<BYTE>(detail::hexField(s + 30, 2)),
                       static_cast<BYTE>(detail::hexField(s + 32, 2)), static_cast<BYTE>(detail::hexField(s + 34, 2))}};
}

// Identity of an interface type: its IID and the interface it derives
// from (void for IUnknown). Specialised by KS_DECLARE_INTERFACE.
template <class I>
struct InterfaceTraits;

template <class I>
constexpr const IID& iidOf()
{
    return InterfaceTraits<I>::iid;
}

}  // namespace ks

// Declares the IID of an interface and the interface it derives from.
// Use at global namespace scope, after the interface's declaration (a
// forward declaration is enough).
#define KS_DECLARE_INTERFACE(Interface, BaseInterface, iidText)            \
    namespace ks {                                                          \
    template <>                                                             \
    struct InterfaceTraits<Interface> {                                     \
        using Base = BaseInterface;                                         \
        static constexpr GUID iid = ::ks::guid(iidText);                    \
    };                                                                      \
    }

// The IID of an interface type (what the compiler's uuid lookup gave).
#define KS_IID(Interface) (::ks::iidOf<Interface>())
