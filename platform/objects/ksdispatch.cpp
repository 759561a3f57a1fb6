#include "ksdispatch.h"
#include "ksfiles.h"
#include "ksnothrow.h"
#include "ksvartypesize.h"

#include <cstdio>
#include <cstdlib>
#include <cwctype>

namespace ks {

namespace detail {

size_t vtValueSize(VARTYPE vt)
{
    return vartypeSize(static_cast<VARTYPE>(vt & ~VT_BYREF));
}

void badTypeOverride(const wchar_t* member)
{
    std::fprintf(stderr, "dispatch table: member %ls has types that do not fit its parameters\n",
                 member ? member : L"?");
    std::abort();
}

}  // namespace detail

namespace {

constexpr UINT kNoBadArg = 0xFFFFFFFFu;

bool sameNameNoCase(const wchar_t* a, const wchar_t* b)
{
    if (!a || !b)
        return false;
    for (; *a && *b; ++a, ++b)
        if (ks::foldCase(*a) != ks::foldCase(*b))
            return false;
    return *a == *b;
}

const DispMember* findMember(const DispTable& table, DISPID id, DispKind kind, bool* anyWithId)
{
    for (const DispTable* t = &table; t; t = t->base) {
        for (const DispMember& m : t->members) {
            if (m.id != id)
                continue;
            *anyWithId = true;
            if (m.kind == kind)
                return &m;
        }
    }
    return nullptr;
}

}  // namespace

HRESULT dispGetIDsOfNames(const DispTable& table, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    for (const DispTable* t = &table; t; t = t->base) {
        for (const DispMember& m : t->members) {
            if (sameNameNoCase(m.name, names[0])) {
                ids[0] = m.id;
                // There are no parameter names in the tables.
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        }
    }
    return DISP_E_UNKNOWNNAME;
}

namespace {

HRESULT invokeMember(const DispTable& table, IDispatch* self, DISPID id, REFIID riid, WORD flags,
                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!params)
        return E_INVALIDARG;
    if (params->cArgs && !params->rgvarg)
        return E_INVALIDARG;

    bool anyWithId = false;
    const DispMember* member = nullptr;
    if (flags & DISPATCH_PROPERTYPUTREF) {
        member = findMember(table, id, DispKind::PutRef, &anyWithId);
        if (!member)
            member = findMember(table, id, DispKind::Put, &anyWithId);
    } else if (flags & DISPATCH_PROPERTYPUT) {
        member = findMember(table, id, DispKind::Put, &anyWithId);
    } else {
        if (flags & DISPATCH_METHOD)
            member = findMember(table, id, DispKind::Method, &anyWithId);
        if (!member && (flags & DISPATCH_PROPERTYGET))
            member = findMember(table, id, DispKind::Get, &anyWithId);
    }
    if (!member)
        return DISP_E_MEMBERNOTFOUND;

    bool isPut = member->kind == DispKind::Put || member->kind == DispKind::PutRef;
    if (params->cNamedArgs > 0) {
        if (!(isPut && params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
              params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT))
            return DISP_E_NONAMEDARGS;
    }
    if (params->cArgs != member->params.size())
        return DISP_E_BADPARAMCOUNT;

    // Arguments arrive last first.
    UINT n = params->cArgs;
    std::vector<VARIANT*> args(n);
    for (UINT k = 0; k < n; ++k)
        args[k] = &params->rgvarg[n - 1 - k];

    VARIANT out;
    VariantInit(&out);
    UINT bad = kNoBadArg;
    HRESULT hr = member->call(self, args.data(), member->result != VT_EMPTY ? &out : nullptr, &bad);
    if (bad != kNoBadArg || FAILED(hr)) {
        // Whatever a failing member left in the result is not the caller's.
        VariantClear(&out);
    }
    if (bad != kNoBadArg) {
        // A conversion failure of argument 'bad' (declaration order).
        if (argErr)
            *argErr = n - 1 - bad;
        return hr;
    }
    if (FAILED(hr)) {
        if (excepInfo) {
            *excepInfo = EXCEPINFO{};
            excepInfo->scode = hr;
        }
        return DISP_E_EXCEPTION;
    }
    if (result)
        *result = out;
    else
        VariantClear(&out);
    return hr;
}

}  // namespace

// Argument conversions and the member itself may throw (an allocation that
// fails): the barrier answers E_OUTOFMEMORY or E_FAIL instead.
HRESULT dispInvoke(const DispTable& table, IDispatch* self, DISPID id, REFIID riid, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr)
{
    return ks::noThrow([&] { return invokeMember(table, self, id, riid, flags, params, result, excepInfo, argErr); });
}

}  // namespace ks
