// The standard automation interfaces the components implement or call
// besides IUnknown/IDispatch: class factories, VARIANT enumerators and
// connection points.
#pragma once

#include "ksunknown.h"

struct IClassFactory : public IUnknown {
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};

struct IEnumVARIANT : public IUnknown {
    virtual HRESULT Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** ppEnum) = 0;

protected:
    ~IEnumVARIANT() = default;
};

struct IConnectionPointContainer;
struct IEnumConnections;

struct CONNECTDATA {
    IUnknown* pUnk;
    DWORD dwCookie;
};

struct IConnectionPoint : public IUnknown {
    virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
    virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    virtual HRESULT Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** ppEnum) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IEnumConnections : public IUnknown {
    virtual HRESULT Next(ULONG cConnections, CONNECTDATA* rgcd, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cConnections) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnections** ppEnum) = 0;

protected:
    ~IEnumConnections() = default;
};

struct IEnumConnectionPoints : public IUnknown {
    virtual HRESULT Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cConnections) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnectionPoints** ppEnum) = 0;

protected:
    ~IEnumConnectionPoints() = default;
};

struct IConnectionPointContainer : public IUnknown {
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

KS_DECLARE_INTERFACE(IClassFactory, IUnknown, "00000001-0000-0000-C000-000000000046")
KS_DECLARE_INTERFACE(IEnumVARIANT, IUnknown, "00020404-0000-0000-C000-000000000046")
KS_DECLARE_INTERFACE(IConnectionPointContainer, IUnknown, "B196B284-BAB4-101A-B69C-00AA00341D07")
KS_DECLARE_INTERFACE(IEnumConnectionPoints, IUnknown, "B196B285-BAB4-101A-B69C-00AA00341D07")
KS_DECLARE_INTERFACE(IConnectionPoint, IUnknown, "B196B286-BAB4-101A-B69C-00AA00341D07")
KS_DECLARE_INTERFACE(IEnumConnections, IUnknown, "B196B287-BAB4-101A-B69C-00AA00341D07")

inline constexpr IID IID_IClassFactory = KS_IID(IClassFactory);
inline constexpr IID IID_IEnumVARIANT = KS_IID(IEnumVARIANT);
inline constexpr IID IID_IConnectionPointContainer = KS_IID(IConnectionPointContainer);
inline constexpr IID IID_IEnumConnectionPoints = KS_IID(IEnumConnectionPoints);
inline constexpr IID IID_IConnectionPoint = KS_IID(IConnectionPoint);
inline constexpr IID IID_IEnumConnections = KS_IID(IEnumConnections);
