// IUnknown and IDispatch, the two interfaces every automation object
// answers, with the dispatch call records. Interfaces are abstract classes
// with the platform's method order, so an object's function table has the
// three IUnknown methods first, then the four IDispatch methods, then the
// interface's own.
#pragma once

#include "kstypes.h"
#include "kswinerror.h"
#include "ksguid.h"
#include "ksvariant.h"

#define STDMETHODCALLTYPE

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

// Type information is never handed out (there are no type-library files):
// GetTypeInfo answers E_NOTIMPL, so the interface stays opaque.
struct ITypeInfo;

struct DISPPARAMS {
    VARIANTARG* rgvarg;           // arguments in reverse order
    DISPID* rgdispidNamedArgs;    // DISPIDs of the named arguments
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    PVOID pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

// Invoke flags
constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

// Reserved DISPIDs
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;
constexpr DISPID DISPID_EVALUATE = -5;

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_NEUTRAL = 0x0000;

struct IDispatch : public IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};
using LPDISPATCH = IDispatch*;

KS_DECLARE_INTERFACE(IUnknown, void, "00000000-0000-0000-C000-000000000046")
KS_DECLARE_INTERFACE(IDispatch, IUnknown, "00020400-0000-0000-C000-000000000046")

inline constexpr IID IID_IUnknown = ks::InterfaceTraits<IUnknown>::iid;
inline constexpr IID IID_IDispatch = ks::InterfaceTraits<IDispatch>::iid;
