// VariantArrayToDoubles, the conversion of the number arrays that outside
// reading components hand out: the accepted element types with the right
// count, everything else refused with its code, the destination untouched
// on failure, and CheckVariantArray answering alike.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "kscomptr.h"
#include "variantarray.h"
#include "vkarray.h"

using vendorkit::ArrayForm;

namespace {

constexpr double kUntouched = -12345;

struct Converted {
    HRESULT hr;
    std::vector<double> values;
};

Converted Convert(const VARIANT* v, LONG count, size_t room)
{
    Converted c;
    c.values.assign(room, kUntouched);
    c.hr = VariantArrayToDoubles(v, count, room ? c.values.data() : nullptr);
    EXPECT_EQ(CheckVariantArray(v, count), c.hr == E_OUTOFMEMORY ? S_OK : c.hr);
    return c;
}

}  // namespace

TEST(VariantArrayToDoubles, ConversionTable)
{
    const std::vector<double> values = {1, 2.5, 255};
    const struct {
        const char* name;
        ArrayForm form;
        std::vector<double> values;
        LONG count;
        HRESULT hr;
        std::vector<double> expected;
    } cases[] = {
        {"VT_I2", ArrayForm::I2, {-32768, 0, 32767}, 3, S_OK, {-32768, 0, 32767}},
        {"VT_I4", ArrayForm::I4, {-2147483648.0, 7}, 2, S_OK, {-2147483648.0, 7}},
        {"VT_R4", ArrayForm::R4, {0.1, -1e30}, 2, S_OK, {static_cast<float>(0.1), static_cast<float>(-1e30)}},
        {"VT_R8", ArrayForm::R8, values, 3, S_OK, values},
        {"VT_UI1", ArrayForm::UI1, {0, 255}, 2, S_OK, {0, 255}},
        {"empty VT_R8", ArrayForm::R8, {}, 0, S_OK, {}},
        {"count above", ArrayForm::R8, values, 4, E_INVALIDARG, {}},
        {"count below", ArrayForm::R8, values, 2, E_INVALIDARG, {}},
        {"negative count", ArrayForm::R8, {}, -1, E_INVALIDARG, {}},
        {"largest count", ArrayForm::I2, {1}, std::numeric_limits<LONG>::max(), E_INVALIDARG, {}},
        {"VT_I1", ArrayForm::I1, {1}, 1, E_INVALIDARG, {}},
        {"VT_UI2", ArrayForm::UI2, {1}, 1, E_INVALIDARG, {}},
        {"VT_UI4", ArrayForm::UI4, {1}, 1, E_INVALIDARG, {}},
        {"VT_I8", ArrayForm::I8, {1}, 1, E_INVALIDARG, {}},
        {"VT_UI8", ArrayForm::UI8, {1}, 1, E_INVALIDARG, {}},
        {"VT_BOOL", ArrayForm::Bool, {1}, 1, E_INVALIDARG, {}},
        {"VT_BSTR", ArrayForm::Bstr, {1}, 1, E_INVALIDARG, {}},
        {"VT_VARIANT", ArrayForm::Variant, {1}, 1, E_INVALIDARG, {}},
        {"two dimensions", ArrayForm::Matrix, {1, 2}, 2, E_INVALIDARG, {}},
        {"a scalar", ArrayForm::Scalar, {1}, 1, E_INVALIDARG, {}},
        {"VT_EMPTY", ArrayForm::Empty, {}, 0, E_INVALIDARG, {}},
        {"no array", ArrayForm::Null, {}, 0, E_POINTER, {}},
        {"elements not the VARIANT's type", ArrayForm::Mislabelled, {1, 2}, 2, E_INVALIDARG, {}},
    };
    for (const auto& c : cases) {
        ks::Variant v;
        ASSERT_EQ(vendorkit::makeArray(c.form, c.values, &v), S_OK) << c.name;
        const size_t room = c.count > 0 && c.count < 100 ? static_cast<size_t>(c.count) : 4;
        const Converted out = Convert(&v, c.count, room);
        EXPECT_EQ(out.hr, c.hr) << c.name;
        if (c.hr == S_OK) {
            std::vector<double> expected = c.expected;
            expected.resize(room, kUntouched);
            EXPECT_EQ(out.values, expected) << c.name;
        } else {
            EXPECT_EQ(out.values, std::vector<double>(room, kUntouched)) << c.name << ": untouched";
        }
    }
}

TEST(VariantArrayToDoubles, PointersBoundsAndReferences)
{
    // No VARIANT: E_POINTER; no destination for a count above 0:
    // E_OUTOFMEMORY (an empty array needs none).
    EXPECT_EQ(VariantArrayToDoubles(nullptr, 1, nullptr), E_POINTER);
    EXPECT_EQ(CheckVariantArray(nullptr, 0), E_POINTER);
    ks::Variant v;
    ASSERT_EQ(vendorkit::makeArray(ArrayForm::R8, {4, 5}, &v), S_OK);
    EXPECT_EQ(VariantArrayToDoubles(&v, 2, nullptr), E_OUTOFMEMORY);
    ks::Variant none;
    ASSERT_EQ(vendorkit::makeArray(ArrayForm::R8, {}, &none), S_OK);
    EXPECT_EQ(VariantArrayToDoubles(&none, 0, nullptr), S_OK);

    // Any lower bound.
    ks::Variant one;
    one.vt = VT_ARRAY | VT_I4;
    one.parray = SafeArrayCreateVector(VT_I4, 1, 2);
    LONG* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(one.parray, reinterpret_cast<void**>(&data)), S_OK);
    data[0] = 7;
    data[1] = -9;
    SafeArrayUnaccessData(one.parray);
    std::vector<double> out(2);
    EXPECT_EQ(VariantArrayToDoubles(&one, 2, out.data()), S_OK);
    EXPECT_EQ(out, (std::vector<double>{7, -9}));

    // An array by reference is no array value.
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_ARRAY | VT_I4 | VT_BYREF;
    byRef.pparray = &one.parray;
    EXPECT_EQ(VariantArrayToDoubles(&byRef, 2, out.data()), E_INVALIDARG);
}
