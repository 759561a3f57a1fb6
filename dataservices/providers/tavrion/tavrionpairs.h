// The (x, y) pairs of an array the raw-file reader answers (mass lists and
// chromatograms): count pairs laid out x, y, x, y, ..., which a 2 x n
// array of doubles holds in that order.
//
// WithReaderPairs hands count and the first value to write(count, pairs)
// (whose answer it returns) only for an array of doubles (VT_ARRAY | VT_R8)
// holding at least 2 * count values, whatever its dimensions; anything
// else, a negative count or a count beyond the array, answers false
// without calling write. The count never sizes anything before it is
// checked against the array.
#pragma once

#include <cstdint>

#include "kssafearray.h"
#include "ksvariant.h"

template <class Write>
bool WithReaderPairs(const VARIANT& v, LONG count, Write write)
{
    if (v.vt != (VT_ARRAY | VT_R8) || !v.parray || count < 0)
        return false;
    SAFEARRAY* array = v.parray;
    // Counted up to more than any 32-bit count of pairs needs, never past.
    constexpr uint64_t kEnough = uint64_t(1) << 33;
    uint64_t elements = 1;
    for (UINT d = 1; d <= SafeArrayGetDim(array); ++d) {
        LONG lower = 0, upper = -1;
        if (FAILED(SafeArrayGetLBound(array, d, &lower)) || FAILED(SafeArrayGetUBound(array, d, &upper)))
            return false;
        const uint64_t n = upper >= lower ? static_cast<uint64_t>(static_cast<int64_t>(upper) - lower + 1) : 0;
        elements = n != 0 && elements > kEnough / n ? kEnough : elements * n;
    }
    if (elements < 2 * static_cast<uint64_t>(count))
        return false;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data)))
        return false;
    const bool written = write(count, static_cast<const double*>(data));
    SafeArrayUnaccessData(array);
    return written;
}
