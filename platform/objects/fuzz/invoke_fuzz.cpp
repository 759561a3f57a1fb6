// IDispatch::Invoke of a table-driven dual interface with an argument list
// a script could send: member, flags, argument count, types and values all
// come from the bytes, against an object whose members take every kind of
// parameter (every value type, text, interfaces in and out, VARIANTs by
// value and by reference, by-reference values, a retval). Whatever the
// call, Invoke answers without crashing, leaks nothing and leaves every
// object with the references it had.
#include "ksdispatch.h"
#include "ksobject.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

enum FuzzColour : int32_t { Red = 1, Green = 2 };

struct IFuzzOther : public IUnknown {
    virtual HRESULT Ping(LONG* value) = 0;
};

struct IFuzzTarget : public IDispatch {
    virtual HRESULT Numbers(CHAR c, BYTE b, SHORT s, USHORT us, LONG l, ULONG ul, LONGLONG ll, ULONGLONG ull,
                            INT i, UINT u, float f, double d, double* sum) = 0;
    virtual HRESULT get_Flag(VARIANT_BOOL* flag) = 0;
    virtual HRESULT put_Flag(VARIANT_BOOL flag) = 0;
    virtual HRESULT get_When(DATE* when) = 0;
    virtual HRESULT put_When(DATE when) = 0;
    virtual HRESULT get_Colour(FuzzColour* colour) = 0;
    virtual HRESULT put_Colour(FuzzColour colour) = 0;
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT Join(BSTR a, LPCWSTR b, BSTR* joined) = 0;
    virtual HRESULT Take(IUnknown* unk, IDispatch* disp, IFuzzOther* other, LONG* pings) = 0;
    virtual HRESULT get_Item(LONG index, IDispatch** item) = 0;
    virtual HRESULT putref_Peer(IDispatch* peer) = 0;
    virtual HRESULT get__NewEnum(IUnknown** enumerator) = 0;
    virtual HRESULT Echo(VARIANT value, VARIANT* out) = 0;
    virtual HRESULT Swap(VARIANT* inOut) = 0;
    virtual HRESULT Bump(LONG* l, double* d, BSTR* text, VARIANT_BOOL* flag, DATE* when) = 0;
    virtual HRESULT Address(ULONG_PTR address, ULONG_PTR* same) = 0;
    virtual HRESULT Fail(LONG code) = 0;
    virtual HRESULT Nothing() = 0;
};

KS_DECLARE_INTERFACE(IFuzzOther, IUnknown, "6E1D2C3B-4A59-4876-9584-A3B2C1D0E0F1")
KS_DECLARE_INTERFACE(IFuzzTarget, IDispatch, "6E1D2C3B-4A59-4876-9584-A3B2C1D0E0F2")
KS_DECLARE_DISPATCH_TABLE(IFuzzTarget)

namespace {

int g_alive = 0;

class CFuzzTarget : public ks::Object<ks::Dual<IFuzzTarget>, IFuzzOther> {
public:
    CFuzzTarget() { ++g_alive; }
    ~CFuzzTarget() override
    {
        --g_alive;
        if (m_peer)
            m_peer->Release();
    }

    HRESULT Numbers(CHAR c, BYTE b, SHORT s, USHORT us, LONG l, ULONG ul, LONGLONG ll, ULONGLONG ull, INT i, UINT u,
                    float f, double d, double* sum) override
    {
        if (!sum)
            return E_POINTER;
        *sum = double(c) + b + s + us + l + ul + double(ll) + double(ull) + i + u + f + d;
        return S_OK;
    }
    HRESULT get_Flag(VARIANT_BOOL* flag) override { return give(flag, m_flag); }
    HRESULT put_Flag(VARIANT_BOOL flag) override
    {
        m_flag = flag;
        return S_OK;
    }
    HRESULT get_When(DATE* when) override { return give(when, m_when); }
    HRESULT put_When(DATE when) override
    {
        m_when = when;
        return S_OK;
    }
    HRESULT get_Colour(FuzzColour* colour) override { return give(colour, m_colour); }
    HRESULT put_Colour(FuzzColour colour) override
    {
        if (colour != Red && colour != Green)
            return E_INVALIDARG;
        m_colour = colour;
        return S_OK;
    }
    HRESULT get_Name(BSTR* name) override
    {
        if (!name)
            return E_POINTER;
        *name = SysAllocStringLen(m_name.data(), static_cast<UINT>(m_name.size()));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT put_Name(BSTR name) override
    {
        m_name.assign(name ? name : L"", SysStringLen(name));
        return S_OK;
    }
    HRESULT Join(BSTR a, LPCWSTR b, BSTR* joined) override
    {
        if (!joined)
            return E_POINTER;
        std::wstring t(a ? a : L"", SysStringLen(a));
        t += b ? b : L"";
        *joined = SysAllocStringLen(t.data(), static_cast<UINT>(t.size()));
        return *joined ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Take(IUnknown* unk, IDispatch* disp, IFuzzOther* other, LONG* pings) override
    {
        if (!pings)
            return E_POINTER;
        *pings = 0;
        // Keep what was passed for the length of the call, as a method that
        // stores it would.
        for (IUnknown* p : {unk, static_cast<IUnknown*>(disp), static_cast<IUnknown*>(other)})
            if (p) {
                p->AddRef();
                p->Release();
            }
        if (other) {
            LONG v = 0;
            other->Ping(&v);
            *pings += v;
        }
        return unk ? S_OK : E_POINTER;  // a failure with a retval set
    }
    HRESULT get_Item(LONG index, IDispatch** item) override
    {
        if (!item)
            return E_POINTER;
        *item = nullptr;
        if (index == 1)
            return QueryInterface(IID_IDispatch, reinterpret_cast<void**>(item));
        if (index == 2) {
            // A failing method that left a reference behind: the dispatcher
            // must release it.
            QueryInterface(IID_IDispatch, reinterpret_cast<void**>(item));
            return DISP_E_BADINDEX;
        }
        if (index == 3) {
            CFuzzTarget* other = nullptr;
            if (FAILED(ks::createObject(&other)))
                return E_OUTOFMEMORY;
            return other->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(item));
        }
        return DISP_E_BADINDEX;
    }
    HRESULT putref_Peer(IDispatch* peer) override
    {
        if (peer)
            peer->AddRef();
        if (m_peer)
            m_peer->Release();
        m_peer = peer;
        return S_OK;
    }
    HRESULT get__NewEnum(IUnknown** enumerator) override
    {
        if (!enumerator)
            return E_POINTER;
        return QueryInterface(IID_IUnknown, reinterpret_cast<void**>(enumerator));
    }
    HRESULT Echo(VARIANT value, VARIANT* out) override
    {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return VariantCopy(out, &value);
    }
    HRESULT Swap(VARIANT* inOut) override
    {
        if (!inOut)
            return E_POINTER;
        VARIANT text;
        VariantInit(&text);
        HRESULT hr = VariantChangeType(&text, inOut, 0, VT_BSTR);
        if (FAILED(hr))
            return hr;
        VariantClear(inOut);
        *inOut = text;
        return S_OK;
    }
    HRESULT Bump(LONG* l, double* d, BSTR* text, VARIANT_BOOL* flag, DATE* when) override
    {
        if (!l || !d || !text || !flag || !when)
            return E_POINTER;
        *l = static_cast<LONG>(static_cast<ULONG>(*l) + 1u);
        *d += 1;
        const UINT n = SysStringLen(*text);
        BSTR longer = SysAllocStringLen(nullptr, n + 1);
        if (!longer)
            return E_OUTOFMEMORY;
        if (n)
            std::memcpy(longer, *text, n * sizeof(OLECHAR));
        longer[n] = L'+';
        SysFreeString(*text);
        *text = longer;
        *flag = *flag ? VARIANT_FALSE : VARIANT_TRUE;
        *when += 1;
        return (*l & 1) ? S_OK : E_FAIL;  // failures too, after writing
    }
    HRESULT Address(ULONG_PTR address, ULONG_PTR* same) override
    {
        // An address from a script is only carried, never followed here.
        if (!same)
            return E_POINTER;
        *same = address;
        return S_OK;
    }
    HRESULT Fail(LONG code) override { return static_cast<HRESULT>(code); }
    HRESULT Nothing() override { return S_OK; }

    HRESULT Ping(LONG* value) override
    {
        if (!value)
            return E_POINTER;
        *value = 1;
        return S_OK;
    }

private:
    template <class T>
    static HRESULT give(T* out, T value)
    {
        if (!out)
            return E_POINTER;
        *out = value;
        return S_OK;
    }

    VARIANT_BOOL m_flag = VARIANT_FALSE;
    DATE m_when = 0;
    FuzzColour m_colour = Red;
    std::wstring m_name;
    IDispatch* m_peer = nullptr;
};

// The bytes, taken from the front; zeros once they run out.
class Decoder {
public:
    Decoder(const uint8_t* data, size_t size) : m_p(data), m_end(data + size) {}
    bool empty() const { return m_p == m_end; }
    size_t left() const { return size_t(m_end - m_p); }
    uint8_t byte() { return m_p < m_end ? *m_p++ : 0; }
    template <class T>
    T value()
    {
        T v{};
        const size_t n = std::min(sizeof(T), left());
        std::memcpy(&v, m_p, n);
        m_p += n;
        return v;
    }
    std::wstring text()
    {
        const size_t n = std::min<size_t>(byte(), left());
        std::wstring t(m_p, m_p + n);
        m_p += n;
        return t;
    }

private:
    const uint8_t* m_p;
    const uint8_t* m_end;
};

// Storage of by-reference arguments: what they point at stays alive and is
// freed after the call.
struct RefStore {
    // 16 bytes each: room for the widest value a by-reference type names.
    LONGLONG numbers[16][2] = {};
    size_t nextNumber = 0;
    std::vector<BSTR*> texts;
    std::vector<IUnknown**> interfaces;
    std::vector<VARIANT*> variants;

    void* number(LONGLONG v)
    {
        LONGLONG* p = numbers[nextNumber++ % 16];
        p[0] = v;
        p[1] = 0;
        return p;
    }
    ~RefStore()
    {
        for (BSTR* p : texts) {
            SysFreeString(*p);
            delete p;
        }
        for (IUnknown** p : interfaces) {
            if (*p)
                (*p)->Release();
            delete p;
        }
        for (VARIANT* p : variants) {
            VariantClear(p);
            delete p;
        }
    }
};

IUnknown* pickInterface(Decoder& in, CFuzzTarget* self, VARTYPE vt)
{
    switch (in.byte() % 3) {
    case 0: return nullptr;
    default: {
        void* p = nullptr;
        self->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
        return static_cast<IUnknown*>(p);
    }
    }
}

void decodeValue(Decoder& in, VARIANT& v, VARTYPE vt, CFuzzTarget* self, RefStore& store, int depth)
{
    VariantInit(&v);
    const VARTYPE base = vt & VT_TYPEMASK;
    if (vt & VT_BYREF) {
        v.vt = vt;
        switch (base) {
        case VT_BSTR: {
            BSTR* p = new BSTR(nullptr);
            const std::wstring t = in.text();
            *p = SysAllocStringLen(t.data(), static_cast<UINT>(t.size()));
            store.texts.push_back(p);
            v.pbstrVal = p;
            break;
        }
        case VT_UNKNOWN:
        case VT_DISPATCH: {
            IUnknown** p = new IUnknown*(pickInterface(in, self, base));
            store.interfaces.push_back(p);
            v.ppunkVal = p;
            break;
        }
        case VT_VARIANT: {
            VARIANT* p = new VARIANT;
            static const VARTYPE inner[] = {VT_EMPTY, VT_I4, VT_R8, VT_BSTR, VT_BOOL, VT_DISPATCH, VT_I2};
            decodeValue(in, *p, inner[in.byte() % 7], self, store, depth + 1);
            store.variants.push_back(p);
            v.pvarVal = p;
            break;
        }
        default:
            v.byref = (in.byte() % 8 == 0) ? nullptr : store.number(in.value<LONGLONG>());
            break;
        }
        return;
    }
    v.vt = vt;
    switch (base) {
    case VT_EMPTY:
    case VT_NULL: break;
    case VT_BSTR: {
        const std::wstring t = in.text();
        v.bstrVal = (t.empty() && (in.byte() & 1)) ? nullptr
                                                   : SysAllocStringLen(t.data(), static_cast<UINT>(t.size()));
        break;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: v.punkVal = pickInterface(in, self, base); break;
    case VT_VARIANT:
        // A VARIANT inside a VARIANT only by reference.
        v.vt = VT_EMPTY;
        break;
    case VT_R4: v.fltVal = in.value<float>(); break;
    case VT_R8:
    case VT_DATE: v.dblVal = in.value<double>(); break;
    default: v.llVal = in.value<LONGLONG>(); break;
    }
    (void)depth;
}

const VARTYPE kArgTypes[] = {VT_EMPTY, VT_NULL, VT_I2,   VT_I4,  VT_R4,  VT_R8,      VT_CY,      VT_DATE,
                             VT_BSTR,  VT_DISPATCH, VT_ERROR, VT_BOOL, VT_UNKNOWN, VT_DECIMAL, VT_I1,
                             VT_UI1,   VT_UI2, VT_UI4, VT_I8,  VT_UI8, VT_INT,     VT_UINT,    VT_VARIANT};

}  // namespace

KS_DISPATCH_TABLE(IFuzzTarget)
{
    static const ks::DispTable table{{
        ks::dispMethodRet(L"Numbers", 1, &IFuzzTarget::Numbers),
        ks::dispGet(L"Flag", 2, &IFuzzTarget::get_Flag, {VT_BOOL}),
        ks::dispPut(L"Flag", 2, &IFuzzTarget::put_Flag, {VT_BOOL}),
        ks::dispGet(L"When", 3, &IFuzzTarget::get_When, {VT_DATE}),
        ks::dispPut(L"When", 3, &IFuzzTarget::put_When, {VT_DATE}),
        ks::dispGet(L"Colour", 4, &IFuzzTarget::get_Colour),
        ks::dispPut(L"Colour", 4, &IFuzzTarget::put_Colour),
        ks::dispGet(L"Name", 0, &IFuzzTarget::get_Name),
        ks::dispPut(L"Name", 0, &IFuzzTarget::put_Name),
        ks::dispMethodRet(L"Join", 5, &IFuzzTarget::Join),
        ks::dispMethodRet(L"Take", 6, &IFuzzTarget::Take),
        ks::dispGet(L"Item", 7, &IFuzzTarget::get_Item),
        ks::dispPutRef(L"Peer", 8, &IFuzzTarget::putref_Peer),
        ks::dispGet(L"_NewEnum", DISPID_NEWENUM, &IFuzzTarget::get__NewEnum),
        ks::dispMethodRet(L"Echo", 9, &IFuzzTarget::Echo),
        ks::dispMethod(L"Swap", 10, &IFuzzTarget::Swap),
        ks::dispMethod(L"Bump", 11, &IFuzzTarget::Bump, {VT_EMPTY, VT_EMPTY, VT_EMPTY, VT_BOOL, VT_DATE}),
        ks::dispMethodRet(L"Address", 12, &IFuzzTarget::Address),
        ks::dispMethod(L"Fail", 13, &IFuzzTarget::Fail),
        ks::dispMethod(L"Nothing", 14, &IFuzzTarget::Nothing),
    }};
    return table;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Decoder in(data, size);
    CFuzzTarget* object = nullptr;
    if (FAILED(ks::createObject(&object)))
        std::abort();
    IDispatch* disp = nullptr;
    object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp));

    // Several calls on the same object, so that state one call leaves (a
    // peer, a name) meets the next.
    for (int call = 0; call < 4 && !in.empty(); ++call) {
        static const DISPID kIds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, DISPID_NEWENUM, 9, 10, 11, 12, 13, 14,
                                      99, DISPID_PROPERTYPUT, DISPID_UNKNOWN};
        const DISPID id = kIds[in.byte() % (sizeof kIds / sizeof kIds[0])];
        const WORD flags = in.byte() & 0x0F;
        const UINT count = in.byte() % 16;
        RefStore store;
        std::vector<VARIANT> args(count);
        for (UINT k = 0; k < count; ++k) {
            const uint8_t t = in.byte();
            VARTYPE vt = kArgTypes[(t & 0x7F) % (sizeof kArgTypes / sizeof kArgTypes[0])];
            if (t & 0x80)
                vt |= VT_BYREF;
            else if (vt == VT_VARIANT)
                vt = VT_EMPTY;
            decodeValue(in, args[k], vt, object, store, 0);
        }
        DISPID named[2] = {DISPID_PROPERTYPUT, 0};
        const uint8_t namedMode = in.byte() % 4;
        DISPPARAMS params{count ? args.data() : nullptr, named, count, 0};
        if (namedMode == 1 && count >= 1)
            params.cNamedArgs = 1;
        else if (namedMode == 2 && count >= 2) {
            named[1] = static_cast<DISPID>(in.byte());
            params.cNamedArgs = 2;
        }
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO info;
        std::memset(&info, 0, sizeof info);
        UINT argErr = 0xFFFFFFFFu;
        const bool wantResult = in.byte() & 1;
        const HRESULT hr = disp->Invoke(id, IID_NULL, 0, flags, &params, wantResult ? &result : nullptr, &info,
                                        &argErr);
        if (hr == DISP_E_TYPEMISMATCH && argErr >= count)
            std::abort();  // the failing argument must be named
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        VariantClear(&result);
        for (VARIANT& v : args)
            VariantClear(&v);
    }
    object->putref_Peer(nullptr);
    disp->Release();
    if (g_alive != 0)
        std::abort();  // a reference was lost or kept by the dispatcher
    return 0;
}
