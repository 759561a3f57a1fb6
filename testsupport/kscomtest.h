// Test helpers for automation objects, shared by the tests of the
// components: objects created by class identifier, interfaces queried,
// and the doubles of a VARIANT array read back. Header only: a test that
// includes it links the runtime (ksplatform) as every component test does.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ksactivation.h"
#include "kscomptr.h"
#include "kstestfakes.h"

namespace ks::test {

// A new in-process object answering I; the test fails when it cannot be
// created.
template <class I>
ks::ComPtr<I> Create(REFCLSID clsid)
{
    ks::ComPtr<I> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, KS_IID(I), reinterpret_cast<void**>(&object)),
              S_OK);
    return object;
}

// `from` queried for I; null when it does not answer I (or is null).
template <class I, class From>
ks::ComPtr<I> Query(From* from)
{
    ks::ComPtr<I> to;
    if (from)
        from->QueryInterface(KS_IID(I), reinterpret_cast<void**>(&to));
    return to;
}

// The doubles of a VARIANT holding a one-dimensional SAFEARRAY of doubles;
// empty for anything else.
inline std::vector<double> Doubles(const VARIANT& v)
{
    return doublesOf(v);
}

}  // namespace ks::test
