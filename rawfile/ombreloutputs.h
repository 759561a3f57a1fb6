// What the reader's methods share: the output rules, the guard around
// engine calls and the making of texts and text arrays.
#pragma once

#include "ombrel.h"

#include "ksbstr.h"
#include "ksnothrow.h"
#include "kssafearray.h"
#include "ksvariant.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

namespace ombrel {

// A BSTR output must point to a null BSTR (an existing string is neither
// freed nor overwritten).
inline bool bstrOutOk(const BSTR* out) { return out && !*out; }
// A VARIANT output must be empty.
inline bool variantOutOk(const VARIANT* out) { return out && out->vt == VT_EMPTY; }

// The barrier every interface member runs its body in: an exception
// leaving the body (the engine's, or a failed allocation) answers 2, and
// the BSTR and VARIANT outputs named after the body are released when the
// body had set them. Status numbers are never negative.
template <class Body, class... Outs>
HRESULT member(Body&& body, Outs*... outs) noexcept
{
    const HRESULT hr = ks::noThrowOr(kOmbrelEngineFailed, std::forward<Body>(body), outs...);
    return hr == E_OUTOFMEMORY ? kOmbrelEngineFailed : hr;
}

// A new BSTR of the text into *out; 2 when it cannot be made.
inline HRESULT newText(const std::wstring& text, BSTR* out)
{
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!b)
        return kOmbrelEngineFailed;
    *out = b;
    return kOmbrelDone;
}

// A one-dimensional array of BSTRs, lower bound 0, into *out as
// VT_ARRAY | VT_BSTR with the count in *count. When the array cannot be
// made or filled, nothing is handed out, *count is 0 and the answer 2.
HRESULT textArray(const std::vector<std::wstring>& texts, VARIANT* out, LONG* count);

}  // namespace ombrel
