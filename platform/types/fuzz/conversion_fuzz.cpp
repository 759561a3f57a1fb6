// Text a script can send to the automation layer: GUID text (class and
// interface identifiers) and VariantChangeType from VT_BSTR to every
// numeric type, VT_BOOL and VT_DATE. Whatever the text, a conversion
// either succeeds with a value that converts back to text and again to
// the same value, or fails and leaves the destination alone.
#include "ksguid.h"
#include "ksvariant.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void guidText(const std::wstring& given)
{
    // The C-string calls see the text up to its first NUL.
    const std::wstring text(given.c_str());
    CLSID clsid;
    std::memset(&clsid, 0xA5, sizeof clsid);
    const HRESULT hr = CLSIDFromString(text.c_str(), &clsid);
    IID iid;
    const HRESULT hi = IIDFromString(text.c_str(), &iid);
    GUID g;
    const bool parsed = ks::guidFromString(text, &g);
    check(SUCCEEDED(hr) == parsed && SUCCEEDED(hi) == parsed);
    if (!parsed) {
        check(hr == CO_E_CLASSSTRING && hi == CO_E_IIDSTRING);
        check(clsid == CLSID_NULL && iid == IID_NULL && g == GUID_NULL);
        return;
    }
    check(clsid == g && iid == g);
    // Braced text of the identifier parses back to it, whatever the case
    // of the digits given.
    OLECHAR buf[39];
    check(StringFromGUID2(g, buf, 39) == 39);
    GUID again;
    check(ks::guidFromString(buf, &again) && again == g);
    check(ks::guidToString(g) == buf);
}

// Every integer type: text -> value -> text -> value keeps the value.
bool sameValue(const VARIANT& a, const VARIANT& b)
{
    if (a.vt != b.vt)
        return false;
    switch (a.vt) {
    case VT_I1: return a.cVal == b.cVal;
    case VT_UI1: return a.bVal == b.bVal;
    case VT_I2: return a.iVal == b.iVal;
    case VT_UI2: return a.uiVal == b.uiVal;
    case VT_I4: return a.lVal == b.lVal;
    case VT_UI4: return a.ulVal == b.ulVal;
    case VT_INT: return a.intVal == b.intVal;
    case VT_UINT: return a.uintVal == b.uintVal;
    case VT_I8: return a.llVal == b.llVal;
    case VT_UI8: return a.ullVal == b.ullVal;
    case VT_BOOL: return a.boolVal == b.boolVal;
    default: return true;  // reals are written with 15 (7) digits: not exact
    }
}

void changeType(const std::wstring& text)
{
    static const VARTYPE kTypes[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4,  VT_UI4,  VT_INT,
                                     VT_UINT, VT_I8, VT_UI8, VT_R4, VT_R8, VT_BOOL, VT_DATE,
                                     VT_CY, VT_DECIMAL, VT_ERROR};
    VARIANT src;
    VariantInit(&src);
    src.vt = VT_BSTR;
    src.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    check(src.bstrVal != nullptr);
    for (VARTYPE vt : kTypes) {
        VARIANT dst;
        VariantInit(&dst);
        dst.vt = VT_I4;
        dst.lVal = 0x5A5A5A5A;
        const HRESULT hr = VariantChangeType(&dst, &src, 0, vt);
        if (FAILED(hr)) {
            check(dst.vt == VT_I4 && dst.lVal == 0x5A5A5A5A);
            continue;
        }
        check(dst.vt == vt);
        VARIANT back;
        VariantInit(&back);
        check(SUCCEEDED(VariantChangeType(&back, &dst, 0, VT_BSTR)) || vt == VT_DATE);
        if (back.vt == VT_BSTR) {
            VARIANT again;
            VariantInit(&again);
            check(SUCCEEDED(VariantChangeType(&again, &back, 0, vt)));
            check(sameValue(dst, again));
            VariantClear(&again);
        }
        VariantClear(&back);
        // In place, as script hosts coerce their own arguments.
        VARIANT inPlace;
        VariantInit(&inPlace);
        check(SUCCEEDED(VariantCopy(&inPlace, &src)));
        check(SUCCEEDED(VariantChangeType(&inPlace, &inPlace, 0, vt)) && sameValue(inPlace, dst));
        VariantClear(&inPlace);
        VariantClear(&dst);
    }
    VariantClear(&src);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Script text: each byte one character (Latin-1), and the same bytes as
    // 32-bit characters, which reach every value a wchar_t can hold.
    std::wstring latin(data, data + size);
    guidText(latin);
    changeType(latin);
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    if (!wide.empty())
        std::memcpy(&wide[0], data, wide.size() * sizeof(wchar_t));
    guidText(wide);
    changeType(wide);
    return 0;
}
