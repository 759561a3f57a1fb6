// Owning wrappers for the automation data: an interface pointer
// (ks::ComPtr), a BSTR (ks::Bstr), a VARIANT (ks::Variant) and a SAFEARRAY
// (ks::SafeArray, with ks::SafeArrayAccess for locked data access). Each
// frees what it holds when it goes; attach/detach move ownership in and out.
#pragma once

#include "ksunknown.h"

#include <memory>
#include <string>
#include <utility>

namespace ks {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Counts a reference of its own.
    ComPtr(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~ComPtr() { reset(); }
    ComPtr& operator=(const ComPtr& other)
    {
        if (other.m_p)
            other.m_p->AddRef();
        reset();
        m_p = other.m_p;
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != std::addressof(other)) {
            reset();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }
    ComPtr& operator=(T* p) { return *this = ComPtr(p); }

    // Takes over a reference the caller owns.
    void attach(T* p)
    {
        reset();
        m_p = p;
    }
    T* detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    void reset()
    {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out parameters: releases what is held first.
    T** operator&()
    {
        reset();
        return &m_p;
    }
    void** out()
    {
        reset();
        return reinterpret_cast<void**>(&m_p);
    }

    // Queries another object for T (needs KS_DECLARE_INTERFACE(T, ...)).
    template <class U>
    HRESULT queryFrom(U* source)
    {
        reset();
        if (!source)
            return E_POINTER;
        return source->QueryInterface(KS_IID(T), reinterpret_cast<void**>(&m_p));
    }
    template <class U>
    HRESULT queryInterface(ComPtr<U>& target) const
    {
        return target.queryFrom(m_p);
    }

private:
    T* m_p = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    // Copies; on allocation failure the Bstr is null (check with
    // allocationFailed for a non-empty source).
    Bstr(const wchar_t* text) : m_b(SysAllocString(text)), m_failed(text && !m_b) {}
    Bstr(const wchar_t* text, UINT len) : m_b(SysAllocStringLen(text, len)), m_failed(!m_b) {}
    Bstr(const std::wstring& text) : Bstr(text.data(), static_cast<UINT>(text.size())) {}
    Bstr(const Bstr& other) : m_b(copyOf(other.m_b)), m_failed(other.m_b && !m_b) {}
    Bstr(Bstr&& other) noexcept : m_b(other.m_b) { other.m_b = nullptr; }
    ~Bstr() { SysFreeString(m_b); }
    Bstr& operator=(const Bstr& other)
    {
        if (this != std::addressof(other)) {
            BSTR b = copyOf(other.m_b);
            m_failed = other.m_b && !b;
            SysFreeString(m_b);
            m_b = b;
        }
        return *this;
    }
    Bstr& operator=(Bstr&& other) noexcept
    {
        if (this != std::addressof(other)) {
            SysFreeString(m_b);
            m_b = other.m_b;
            other.m_b = nullptr;
        }
        return *this;
    }

    void attach(BSTR b)
    {
        SysFreeString(m_b);
        m_b = b;
    }
    BSTR detach()
    {
        BSTR b = m_b;
        m_b = nullptr;
        return b;
    }
    // A new copy for an out parameter (null when allocation fails).
    BSTR copy() const { return copyOf(m_b); }
    BSTR get() const { return m_b; }
    operator BSTR() const { return m_b; }
    // For out parameters: frees what is held first.
    BSTR* operator&()
    {
        attach(nullptr);
        return &m_b;
    }
    UINT length() const { return SysStringLen(m_b); }
    bool empty() const { return length() == 0; }
    // Never null: "" for a null BSTR.
    const wchar_t* c_str() const { return m_b ? m_b : L""; }
    std::wstring str() const { return std::wstring(c_str(), length()); }
    bool allocationFailed() const { return m_failed; }

private:
    static BSTR copyOf(BSTR b) { return b ? SysAllocStringLen(b, SysStringLen(b)) : nullptr; }
    BSTR m_b = nullptr;
    bool m_failed = false;
};

class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    Variant(const VARIANT& other)
    {
        VariantInit(this);
        VariantCopy(this, &other);
    }
    Variant(const Variant& other) : Variant(static_cast<const VARIANT&>(other)) {}
    Variant(Variant&& other) noexcept
    {
        *static_cast<VARIANT*>(this) = other;
        VariantInit(&other);
    }
    explicit Variant(LONG v) { set(VT_I4).lVal = v; }
    explicit Variant(double v) { set(VT_R8).dblVal = v; }
    explicit Variant(bool v) { set(VT_BOOL).boolVal = v ? VARIANT_TRUE : VARIANT_FALSE; }
    explicit Variant(ULONGLONG v) { set(VT_UI8).ullVal = v; }
    explicit Variant(const wchar_t* text) { set(VT_BSTR).bstrVal = SysAllocString(text ? text : L""); }
    // Holds a reference of its own.
    explicit Variant(IDispatch* p)
    {
        set(VT_DISPATCH).pdispVal = p;
        if (p)
            p->AddRef();
    }
    explicit Variant(IUnknown* p)
    {
        set(VT_UNKNOWN).punkVal = p;
        if (p)
            p->AddRef();
    }
    ~Variant() { VariantClear(this); }
    Variant& operator=(const Variant& other)
    {
        if (this != std::addressof(other))
            VariantCopy(this, &other);
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept
    {
        if (this != std::addressof(other)) {
            VariantClear(this);
            *static_cast<VARIANT*>(this) = other;
            VariantInit(&other);
        }
        return *this;
    }

    HRESULT clear() { return VariantClear(this); }
    // Takes over a VARIANT the caller owns (left empty).
    void attach(VARIANT* src)
    {
        VariantClear(this);
        *static_cast<VARIANT*>(this) = *src;
        VariantInit(src);
    }
    // Moves the value out into dest (which must hold nothing owned).
    void detach(VARIANT* dest)
    {
        *dest = *this;
        VariantInit(this);
    }
    HRESULT changeType(VARTYPE vt) { return VariantChangeType(this, this, 0, vt); }
    // Takes ownership of an array.
    void attachArray(SAFEARRAY* psa, VARTYPE elementVt)
    {
        VariantClear(this);
        vt = static_cast<VARTYPE>(VT_ARRAY | elementVt);
        parray = psa;
    }

private:
    VARIANT& set(VARTYPE type)
    {
        VariantInit(this);
        vt = type;
        return *this;
    }
};

class SafeArray {
public:
    SafeArray() = default;
    explicit SafeArray(SAFEARRAY* psa) : m_psa(psa) {}  // takes ownership
    SafeArray(VARTYPE vt, LONG lowerBound, ULONG count) : m_psa(SafeArrayCreateVector(vt, lowerBound, count)) {}
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    SafeArray(SafeArray&& other) noexcept : m_psa(other.detach()) {}
    SafeArray& operator=(SafeArray&& other) noexcept
    {
        if (this != std::addressof(other))
            attach(other.detach());
        return *this;
    }
    ~SafeArray() { destroy(); }

    void attach(SAFEARRAY* psa)
    {
        destroy();
        m_psa = psa;
    }
    SAFEARRAY* detach()
    {
        SAFEARRAY* p = m_psa;
        m_psa = nullptr;
        return p;
    }
    SAFEARRAY* get() const { return m_psa; }
    operator SAFEARRAY*() const { return m_psa; }
    explicit operator bool() const { return m_psa != nullptr; }
    // Number of elements of a one-dimensional array.
    ULONG count() const { return m_psa ? m_psa->rgsabound[0].cElements : 0; }

private:
    void destroy()
    {
        if (m_psa) {
            // An array still locked by a forgotten access is unlocked first.
            while (m_psa->cLocks > 0)
                SafeArrayUnlock(m_psa);
            SafeArrayDestroy(m_psa);
            m_psa = nullptr;
        }
    }
    SAFEARRAY* m_psa = nullptr;
};

// Locked access to an array's data for the lifetime of the object.
template <class T>
class SafeArrayAccess {
public:
    explicit SafeArrayAccess(SAFEARRAY* psa) : m_psa(psa)
    {
        void* p = nullptr;
        m_hr = psa ? SafeArrayAccessData(psa, &p) : E_INVALIDARG;
        if (SUCCEEDED(m_hr))
            m_data = static_cast<T*>(p);
    }
    SafeArrayAccess(const SafeArrayAccess&) = delete;
    SafeArrayAccess& operator=(const SafeArrayAccess&) = delete;
    ~SafeArrayAccess()
    {
        if (m_data)
            SafeArrayUnaccessData(m_psa);
    }
    HRESULT result() const { return m_hr; }
    T* data() const { return m_data; }
    T& operator[](size_t i) const { return m_data[i]; }

private:
    SAFEARRAY* m_psa;
    T* m_data = nullptr;
    HRESULT m_hr;
};

// Releases the interface an out-parameter holds and clears it, so a caller
// never sees a pointer that was handed back on failure.
template <class I>
void releaseAndNull(I** pp)
{
    if (pp && *pp) {
        I* p = *pp;
        *pp = nullptr;
        p->Release();
    }
}

}  // namespace ks
