// Table-driven IDispatch for dual interfaces. Each interface has one member
// table (name, DISPID, kind, argument and result types, the C++ method):
//
//   KS_DECLARE_DISPATCH_TABLE(ISample)            // in a header
//   KS_DISPATCH_TABLE(ISample)                    // in one source file
//   {
//       static const ks::DispTable table{{
//           ks::dispGet(L"Name", 1, &ISample::get_Name),
//           ks::dispPut(L"Name", 1, &ISample::put_Name),
//           ks::dispGet(L"Visible", 2, &ISample::get_Visible, {VT_BOOL}),
//           ks::dispMethodRet(L"Add", 3, &ISample::Add),
//       }};
//       return table;
//   }
//
// and the object lists ks::Dual<ISample> instead of ISample. Argument and
// result types follow from the C++ parameter types (LONG -> VT_I4, double
// -> VT_R8, BSTR, LPWSTR and LPCWSTR -> VT_BSTR, IDispatch* -> VT_DISPATCH,
// ULONG_PTR -> VT_UI8, enums -> VT_I4, VARIANT -> VT_VARIANT, T* ->
// VT_BYREF|T; records are not dispatched); VARIANT_BOOL
// (VT_BOOL, same C++ type as SHORT) and DATE (VT_DATE, same as double) are
// given in the optional type list, one entry per C++ parameter (VT_EMPTY
// keeps the derived type). The retval of dispGet and dispMethodRet is the
// last parameter. A derived interface's table names its base table, and
// lookups continue there.
//
// Interfaces travel as VT_UNKNOWN, or VT_DISPATCH for interfaces derived
// from IDispatch. Passed in (IUnknown*, IDispatch*, ISpecific*): the
// caller keeps its reference, a specific interface is asked for with
// QueryInterface, and the method AddRefs what it keeps. Interfaces by
// reference (ISpecific**, IUnknown** as for _NewEnum) are outputs: the
// method starts from null and its reference goes to the caller, through an
// exact reference or a VARIANT by reference (whose old value is cleared).
// A result or output value is meaningful only on success: what a failing
// method left there is released and never reaches the caller.
//
// Invoke: riid must be IID_NULL (DISP_E_UNKNOWNINTERFACE); an unknown DISPID
// or a kind the member lacks gives DISP_E_MEMBERNOTFOUND; named arguments
// other than the put value DISP_E_NONAMEDARGS; a wrong argument count
// DISP_E_BADPARAMCOUNT; an argument that does not convert
// DISP_E_TYPEMISMATCH with *puArgErr its position in rgvarg; a method that
// fails DISP_E_EXCEPTION with the failure in EXCEPINFO::scode.
// GetTypeInfoCount answers 0 and GetTypeInfo E_NOTIMPL.
#pragma once

#include "ksinterfaces.h"

#include <cstring>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <vector>

namespace ks {

enum class DispKind { Get, Put, PutRef, Method };

struct DispMember {
    const wchar_t* name;
    DISPID id;
    DispKind kind;
    std::vector<VARTYPE> params;  // one per argument, in declaration order
    VARTYPE result;               // VT_EMPTY when nothing is returned
    // Calls the method on self with the arguments (declaration order) and
    // stores the result; on a conversion failure *badArg is the argument's
    // index in declaration order.
    std::function<HRESULT(IDispatch* self, VARIANT** args, VARIANT* result, UINT* badArg)> call;
};

struct DispTable {
    std::vector<DispMember> members;
    const DispTable* base = nullptr;
};

template <class I>
const DispTable& dispTable();

HRESULT dispGetIDsOfNames(const DispTable& table, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT dispInvoke(const DispTable& table, IDispatch* self, DISPID id, REFIID riid, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

// IDispatch for interface I from its table.
template <class I>
class Dual : public I {
public:
    using KsImplementedInterface = I;

    HRESULT GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override
    {
        if (ppTInfo)
            *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return dispGetIDsOfNames(dispTable<I>(), riid, names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override
    {
        return dispInvoke(dispTable<I>(), static_cast<IDispatch*>(static_cast<I*>(this)), id, riid, flags, params,
                          result, excepInfo, argErr);
    }

protected:
    ~Dual() = default;
};

namespace detail {

template <class T>
constexpr bool isInterfacePtr = std::is_pointer_v<T> && std::is_base_of_v<IUnknown, std::remove_pointer_t<T>>;

// Text parameters: BSTR (also LPWSTR, the same C++ type) and LPCWSTR.
template <class T>
constexpr bool isText = std::is_same_v<T, BSTR> || std::is_same_v<T, const wchar_t*>;

// Pointer parameters that are by-reference arguments (not text, not an
// interface).
template <class T>
constexpr bool isByRef = std::is_pointer_v<T> && !isInterfacePtr<T> && !isText<T>;

// The VARTYPE of a value parameter or result of C++ type T.
template <class T>
constexpr VARTYPE vtOf()
{
    if constexpr (std::is_enum_v<T>) {
        static_assert(sizeof(T) == 4, "enums cross the interfaces as 32-bit values");
        return VT_I4;
    } else if constexpr (std::is_same_v<T, VARIANT>)
        return VT_VARIANT;
    else if constexpr (isText<T>)
        return VT_BSTR;
    else if constexpr (isInterfacePtr<T>)
        return std::is_base_of_v<IDispatch, std::remove_pointer_t<T>> ? VT_DISPATCH : VT_UNKNOWN;
    else if constexpr (std::is_same_v<T, double>)
        return VT_R8;
    else if constexpr (std::is_same_v<T, float>)
        return VT_R4;
    else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>)
        return sizeof(T) == 1 ? VT_I1 : sizeof(T) == 2 ? VT_I2 : sizeof(T) == 4 ? VT_I4 : VT_I8;
    else if constexpr (std::is_integral_v<T> && std::is_unsigned_v<T>)
        return sizeof(T) == 1 ? VT_UI1 : sizeof(T) == 2 ? VT_UI2 : sizeof(T) == 4 ? VT_UI4 : VT_UI8;
    else
        static_assert(sizeof(T) == 0, "parameter type not supported by dispatch tables");
}

// Storage size of a VARTYPE's value, to check type overrides.
size_t vtValueSize(VARTYPE vt);
[[noreturn]] void badTypeOverride(const wchar_t* member);

template <class T>
T valueFrom(const VARIANT& v)
{
    T out{};
    std::memcpy(&out, &v.llVal, sizeof(T));
    return out;
}

template <class T>
void storeValue(VARIANT& v, VARTYPE vt, T value)
{
    VariantInit(&v);
    v.vt = vt;
    if constexpr (isInterfacePtr<T>) {
        // Interface results travel as IDispatch* or IUnknown*.
        if constexpr (std::is_base_of_v<IDispatch, std::remove_pointer_t<T>>) {
            if (vt == VT_DISPATCH) {
                v.pdispVal = value;
                return;
            }
        }
        v.punkVal = value;
    } else {
        std::memcpy(&v.llVal, &value, sizeof(T));
    }
}

// Frees a value that will not reach the caller.
template <class T>
void discard(T& value, VARTYPE vt)
{
    if constexpr (std::is_same_v<T, VARIANT>) {
        (void)vt;
        VariantClear(&value);
    } else if constexpr (std::is_same_v<T, BSTR>) {
        (void)vt;
        SysFreeString(value);
    } else if constexpr (isInterfacePtr<T>) {
        (void)vt;
        if (value)
            value->Release();
    } else {
        (void)value;
        (void)vt;
    }
}

// One argument during a call: converted in, and written back for
// by-reference VARIANTs.
template <class A>
struct ArgSlot {
    using T = std::remove_pointer_t<A>;
    static constexpr bool byRef = isByRef<A>;
    // What a by-reference argument is written through; value arguments
    // (an interface passed in among them, whose T is abstract) need none.
    using Temp = std::conditional_t<byRef, T, A>;

    VARIANT coerced;  // a converted copy of a value argument, or the byref temporary
    Temp temp{};
    VARIANT* target = nullptr;     // byref VARIANT to write back into
    VARTYPE vt = VT_EMPTY;         // value type (without VT_BYREF)
    A passed{};
    IUnknown* queried = nullptr;   // interface obtained by QueryInterface

    ArgSlot() { VariantInit(&coerced); }
    ~ArgSlot()
    {
        VariantClear(&coerced);
        if (queried)
            queried->Release();
    }

    HRESULT prepare(VARIANT* arg, VARTYPE type)
    {
        vt = type;
        if constexpr (std::is_same_v<A, VARIANT>) {
            // By value: the callee reads it and does not own it.
            passed = (arg->vt == (VT_BYREF | VT_VARIANT)) ? *arg->pvarVal : *arg;
            return S_OK;
        } else if constexpr (std::is_same_v<A, VARIANT*>) {
            passed = (arg->vt == (VT_BYREF | VT_VARIANT)) ? arg->pvarVal : arg;
            return S_OK;
        } else if constexpr (byRef && isInterfacePtr<T>) {
            // An output interface: the caller's old value is not passed in.
            if (arg->vt == (VT_BYREF | type)) {
                if (arg->byref) {
                    target = arg;
                    passed = &temp;
                }  // else the method sees null and answers for it
                return S_OK;
            }
            if (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal) {
                target = arg->pvarVal;
                passed = &temp;
                return S_OK;
            }
            return DISP_E_TYPEMISMATCH;
        } else if constexpr (byRef) {
            if (arg->vt == (VT_BYREF | type)) {
                passed = static_cast<A>(arg->byref);
                return S_OK;
            }
            if (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal) {
                target = arg->pvarVal;
                if (target->vt != VT_EMPTY) {
                    HRESULT hr = VariantChangeType(&coerced, target, 0, type);
                    if (FAILED(hr))
                        return DISP_E_TYPEMISMATCH;
                    temp = valueFrom<T>(coerced);
                    VariantInit(&coerced);  // ownership moved into temp
                }
                passed = &temp;
                return S_OK;
            }
            return DISP_E_TYPEMISMATCH;
        } else {
            HRESULT hr = VariantChangeType(&coerced, arg, 0, type);
            if (FAILED(hr))
                return DISP_E_TYPEMISMATCH;
            if constexpr (isInterfacePtr<A> && !std::is_same_v<A, IUnknown*> && !std::is_same_v<A, IDispatch*>) {
                // A specific interface: ask the object for it.
                if (coerced.punkVal) {
                    void* p = nullptr;
                    if (FAILED(coerced.punkVal->QueryInterface(KS_IID(T), &p)) || !p)
                        return DISP_E_TYPEMISMATCH;
                    queried = static_cast<IUnknown*>(static_cast<T*>(p));
                    passed = static_cast<A>(p);
                } else {
                    passed = nullptr;
                }
            } else {
                passed = valueFrom<A>(coerced);
            }
            return S_OK;
        }
    }

    // After the call: results of by-reference arguments go back on success
    // and are released on failure.
    void finish(bool succeeded)
    {
        if constexpr (byRef && isInterfacePtr<T>) {
            if (!succeeded || !target) {
                discard(temp, vt);
                temp = nullptr;
                return;
            }
            if (target->vt == (VT_BYREF | vt)) {
                if constexpr (std::is_base_of_v<IDispatch, std::remove_pointer_t<T>>) {
                    if (vt == VT_DISPATCH) {
                        *target->ppdispVal = temp;
                        return;
                    }
                }
                *target->ppunkVal = temp;
                return;
            }
            VariantClear(target);
            storeValue(*target, vt, temp);
        } else if constexpr (byRef && !std::is_same_v<A, VARIANT*>) {
            if (!target)
                return;
            if (target->vt == (VT_BYREF | vt))
                return;
            if (!succeeded) {
                discard(temp, vt);
                return;
            }
            VariantClear(target);
            storeValue(*target, vt, temp);
        } else {
            (void)succeeded;
        }
    }
};

template <class R>
struct ResultSlot {
    R value{};
};

template <class C, class... A, size_t... K>
HRESULT callWith(HRESULT (C::*pmf)(A...), C* self, const std::vector<VARTYPE>& types, VARIANT** args,
                 VARIANT* result, VARTYPE resultVt, bool hasRetval, UINT* badArg, std::index_sequence<K...>)
{
    constexpr size_t n = sizeof...(A);
    if constexpr (n == 0) {
        (void)types;
        (void)args;
        (void)result;
        (void)resultVt;
        (void)hasRetval;
        (void)badArg;
        return (self->*pmf)();
    } else {
        using Last = std::tuple_element_t<n - 1, std::tuple<A...>>;
        // Only a by-reference last parameter can be a retval (makeMember
        // checks); otherwise there is no retval storage to declare.
        using R = std::conditional_t<isByRef<Last>, std::remove_pointer_t<Last>, int>;
        std::tuple<ArgSlot<A>...> slots;
        HRESULT hr = S_OK;
        R retval{};
        // Prepare every argument but a retval.
        auto prepareOne = [&](auto& slot, size_t k) {
            if (FAILED(hr))
                return;
            if (hasRetval && k == n - 1)
                return;
            HRESULT r = slot.prepare(args[k], types[k] & ~VT_BYREF);
            if (FAILED(r)) {
                hr = r;
                *badArg = static_cast<UINT>(k);
            }
        };
        (prepareOne(std::get<K>(slots), K), ...);
        if (FAILED(hr)) {
            // What the arguments before the failing one converted (a text
            // taken out of a VARIANT by reference) never reaches the method.
            (std::get<K>(slots).finish(false), ...);
            return hr;
        }
        auto pick = [&](auto& slot, size_t k) -> decltype(slot.passed) {
            if constexpr (isByRef<Last> && std::is_same_v<decltype(slot.passed), Last>) {
                if (hasRetval && k == n - 1)
                    return &retval;
            }
            return slot.passed;
        };
        hr = (self->*pmf)(pick(std::get<K>(slots), K)...);
        (std::get<K>(slots).finish(SUCCEEDED(hr)), ...);
        if constexpr (isByRef<Last>) {
            if (hasRetval) {
                // A retval nobody receives (no result VARIANT, or a failed
                // call that set it anyway) is released.
                if (SUCCEEDED(hr) && result) {
                    if constexpr (std::is_same_v<R, VARIANT>)
                        *result = retval;
                    else
                        storeValue(*result, resultVt, retval);
                } else {
                    discard(retval, resultVt);
                }
            }
        } else {
            (void)retval;
        }
        return hr;
    }
}

template <class T>
struct Tag {
    using type = T;
};

template <class C, class... A>
DispMember makeMember(const wchar_t* name, DISPID id, DispKind kind, HRESULT (C::*pmf)(A...),
                      std::initializer_list<VARTYPE> overrides, bool hasRetval)
{
    static_assert(std::is_base_of_v<IDispatch, C>, "dispatch members belong to dual interfaces");
    constexpr size_t n = sizeof...(A);
    std::vector<VARTYPE> types;
    std::vector<size_t> sizes;
    std::vector<VARTYPE> interfaceKinds;  // VT_DISPATCH, VT_UNKNOWN, or VT_EMPTY for no interface
    auto addType = [&](auto tag) {
        using P = typename decltype(tag)::type;
        using V = std::conditional_t<isByRef<P>, std::remove_pointer_t<P>, P>;
        if constexpr (isByRef<P>)
            types.push_back(static_cast<VARTYPE>(VT_BYREF | vtOf<V>()));
        else
            types.push_back(vtOf<V>());
        sizes.push_back(sizeof(V));
        if constexpr (isInterfacePtr<V>)
            interfaceKinds.push_back(vtOf<V>());
        else
            interfaceKinds.push_back(VT_EMPTY);
    };
    (addType(Tag<A>{}), ...);
    (void)addType;  // members without parameters
    size_t k = 0;
    for (VARTYPE o : overrides) {
        if (k >= n)
            badTypeOverride(name);
        if (o != VT_EMPTY) {
            VARTYPE flags = types[k] & VT_BYREF;
            if (vtValueSize(o) != sizes[k])
                badTypeOverride(name);
            // An interface stays an interface, and only one derived from
            // IDispatch may travel as VT_DISPATCH.
            bool toInterface = o == VT_UNKNOWN || o == VT_DISPATCH;
            bool isInterface = interfaceKinds[k] != VT_EMPTY;
            if (toInterface != isInterface || (o == VT_DISPATCH && interfaceKinds[k] != VT_DISPATCH))
                badTypeOverride(name);
            types[k] = static_cast<VARTYPE>(flags | o);
        }
        ++k;
    }
    VARTYPE resultVt = VT_EMPTY;
    if (hasRetval) {
        // The retval is a pointer parameter (an interface result is a
        // pointer to an interface pointer).
        if (n == 0 || !(types[n - 1] & VT_BYREF))
            badTypeOverride(name);
        resultVt = static_cast<VARTYPE>(types[n - 1] & ~VT_BYREF);
        types.pop_back();
    }
    std::vector<VARTYPE> callTypes = types;
    if (hasRetval)
        callTypes.push_back(resultVt);
    DispMember m{name, id, kind, types, resultVt, {}};
    m.call = [pmf, callTypes, resultVt, hasRetval](IDispatch* self, VARIANT** args, VARIANT* result,
                                                   UINT* badArg) -> HRESULT {
        return callWith(pmf, static_cast<C*>(self), callTypes, args, result, resultVt, hasRetval, badArg,
                        std::index_sequence_for<A...>{});
    };
    return m;
}

}  // namespace detail

// A property get: the last parameter is the retval; others are indexes.
template <class C, class... A>
DispMember dispGet(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...), std::initializer_list<VARTYPE> types = {})
{
    return detail::makeMember(name, id, DispKind::Get, pmf, types, true);
}
// A property put: the last parameter is the value.
template <class C, class... A>
DispMember dispPut(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...), std::initializer_list<VARTYPE> types = {})
{
    return detail::makeMember(name, id, DispKind::Put, pmf, types, false);
}
template <class C, class... A>
DispMember dispPutRef(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...),
                      std::initializer_list<VARTYPE> types = {})
{
    return detail::makeMember(name, id, DispKind::PutRef, pmf, types, false);
}
// A method without a retval (pointer parameters are in/out arguments).
template <class C, class... A>
DispMember dispMethod(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...),
                      std::initializer_list<VARTYPE> types = {})
{
    return detail::makeMember(name, id, DispKind::Method, pmf, types, false);
}
// A method whose last parameter is its retval.
template <class C, class... A>
DispMember dispMethodRet(const wchar_t* name, DISPID id, HRESULT (C::*pmf)(A...),
                         std::initializer_list<VARTYPE> types = {})
{
    return detail::makeMember(name, id, DispKind::Method, pmf, types, true);
}

}  // namespace ks

#define KS_DECLARE_DISPATCH_TABLE(Interface) \
    namespace ks {                           \
    template <>                              \
    const DispTable& dispTable<Interface>(); \
    }
#define KS_DISPATCH_TABLE(Interface) \
    template <>                      \
    const ::ks::DispTable& ::ks::dispTable<Interface>()
