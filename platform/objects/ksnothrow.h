// The barrier between C++ exceptions and interface callers. A member
// reachable through an interface (a vtable call or IDispatch::Invoke) must
// never let an exception out: the caller is C-like code that cannot catch
// it, and an escaping exception ends the client process in std::terminate.
//
//   HRESULT get_Name(BSTR* pName) override
//   {
//       return ks::noThrow([&] { ...the member's body... }, pName);
//   }
//
// ks::noThrow runs the body and answers its result. When an exception
// leaves the body it answers E_OUTOFMEMORY for std::bad_alloc and the
// given failure code (E_FAIL unless the member documents another) for
// anything else, and first releases what the body set in the out
// arguments named after it: an interface pointer or BSTR that differs from
// what it held on entry is released (freed) and nulled, a VARIANT whose
// bytes changed is cleared. What the body did not change is left alone, so
// [in, out] arguments and uninitialised [out] ones are never touched.
#pragma once

#include "ksunknown.h"
#include "ksvariant.h"

#include <cstring>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

namespace ks {
namespace nothrow_detail {

template <class T>
T* snapshot(T** p) noexcept
{
    return p ? *p : nullptr;
}

inline VARIANT snapshot(VARIANT* p) noexcept
{
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    if (p)
        std::memcpy(&v, p, sizeof v);
    return v;
}

inline void releaseIfSet(BSTR* p, BSTR before) noexcept
{
    if (p && *p && *p != before) {
        SysFreeString(*p);
        *p = nullptr;
    }
}

template <class T>
void releaseIfSet(T** p, T* before) noexcept
{
    static_assert(std::is_base_of_v<IUnknown, T>, "noThrow releases interface pointers, BSTRs and VARIANTs");
    if (p && *p && *p != before) {
        (*p)->Release();
        *p = nullptr;
    }
}

inline void releaseIfSet(VARIANT* p, const VARIANT& before) noexcept
{
    if (p && std::memcmp(p, &before, sizeof before) != 0)
        VariantClear(p);
}

template <class Tuple, class... Outs, size_t... K>
void releaseChanged(const Tuple& before, std::index_sequence<K...>, Outs*... outs) noexcept
{
    (releaseIfSet(outs, std::get<K>(before)), ...);
}

}  // namespace nothrow_detail

template <class Body, class... Outs>
HRESULT noThrowOr(HRESULT failure, Body&& body, Outs*... outs) noexcept
{
    const auto before = std::make_tuple(nothrow_detail::snapshot(outs)...);
    try {
        return body();
    } catch (const std::bad_alloc&) {
        nothrow_detail::releaseChanged(before, std::index_sequence_for<Outs...>(), outs...);
        return E_OUTOFMEMORY;
    } catch (...) {
        nothrow_detail::releaseChanged(before, std::index_sequence_for<Outs...>(), outs...);
        return failure;
    }
}

template <class Body, class... Outs>
HRESULT noThrow(Body&& body, Outs*... outs) noexcept
{
    return noThrowOr(E_FAIL, std::forward<Body>(body), outs...);
}

}  // namespace ks
