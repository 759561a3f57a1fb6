// A small counted object for the tests: answers IUnknown and IDispatch,
// counts its references and notes its destruction.
#pragma once

#include "ksunknown.h"

namespace kstest {

struct Counted : public IDispatch {
    ULONG refs = 1;
    bool* destroyed = nullptr;
    explicit Counted(bool* flag = nullptr) : destroyed(flag) {}
    virtual ~Counted() { if (destroyed) *destroyed = true; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        ULONG r = --refs;
        if (r == 0)
            delete this;
        return r;
    }
    HRESULT GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

// Answers only IUnknown.
struct PlainUnknown : public IUnknown {
    ULONG refs = 1;
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        ULONG r = --refs;
        if (r == 0)
            delete this;
        return r;
    }
    virtual ~PlainUnknown() = default;
};

}  // namespace kstest
