#include "sample.h"

#include "kscomptr.h"

#include <gtest/gtest.h>

#include <vector>

using sample::CSample;

namespace {

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ks::createInstance<CSample>(nullptr, IID_IDispatch, disp.out()), S_OK);
        impl = static_cast<CSample*>(static_cast<ISample2*>(static_cast<IDispatch*>(disp.get())));
    }
    // Calls with arguments given in declaration order.
    HRESULT call(DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr, UINT* argErr = nullptr,
                 EXCEPINFO* info = nullptr)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS dp{reversed.data(), (flags & DISPATCH_PROPERTYPUT) ? &putId : nullptr,
                      static_cast<UINT>(reversed.size()), (flags & DISPATCH_PROPERTYPUT) ? 1u : 0u};
        HRESULT hr = disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, info, argErr);
        for (VARIANT& v : reversed)
            VariantClear(&v);
        return hr;
    }
    static VARIANT i4(LONG x)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = x;
        return v;
    }
    static VARIANT str(const wchar_t* s)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(s);
        return v;
    }
    ks::ComPtr<IDispatch> disp;
    CSample* impl = nullptr;
};

}  // namespace

TEST_F(DispatchTest, TypeInformationIsNotOffered)
{
    UINT n = 5;
    EXPECT_EQ(disp->GetTypeInfoCount(&n), S_OK);
    EXPECT_EQ(n, 0u);
    ITypeInfo* ti = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(disp->GetTypeInfo(0, 0, &ti), E_NOTIMPL);
    EXPECT_EQ(ti, nullptr);
}

TEST_F(DispatchTest, NamesResolveWithoutRegardToCase)
{
    wchar_t add[] = L"aDD";
    wchar_t extra[] = L"Extra";  // from the derived interface's own table
    wchar_t nope[] = L"Nope";
    LPOLESTR names[] = {add};
    DISPID id = 0;
    ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 3);
    names[0] = extra;
    ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 20);
    names[0] = nope;
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(disp->GetIDsOfNames(IID_IDispatch, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(DispatchTest, GetPutAndMethodByDispid)
{
    ks::Variant result;
    ASSERT_EQ(call(0, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    EXPECT_STREQ(result.bstrVal, L"initial");
    result.clear();

    ASSERT_EQ(call(0, DISPATCH_PROPERTYPUT, {str(L"renamed")}), S_OK);
    EXPECT_EQ(impl->name, L"renamed");

    // VARIANT_BOOL goes out as VT_BOOL and comes in converted.
    ASSERT_EQ(call(2, DISPATCH_PROPERTYPUT, {i4(1)}), S_OK);
    EXPECT_EQ(impl->visible, VARIANT_TRUE);
    ASSERT_EQ(call(2, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    result.clear();

    // Arguments are converted to the declared types ("2.5" to double).
    ASSERT_EQ(call(3, DISPATCH_METHOD, {i4(2), str(L"2.5")}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_R8);
    EXPECT_EQ(result.dblVal, 4.5);
    result.clear();

    ASSERT_EQ(call(7, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_DATE);
    result.clear();

    // Indexed get returning an object, and the derived interface's member.
    ASSERT_EQ(call(5, DISPATCH_PROPERTYGET, {i4(1)}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_DISPATCH);
    EXPECT_EQ(result.pdispVal, disp.get());
    result.clear();
    ASSERT_EQ(call(20, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.lVal, 7);
    result.clear();

    // A result nobody asked for is freed (ASan would report the leak).
    EXPECT_EQ(call(0, DISPATCH_PROPERTYGET, {}), S_OK);
}

TEST_F(DispatchTest, DirectAddressesTravelAsPointerSizedIntegers)
{
    sample::Record record;
    VARIANT a;
    VariantInit(&a);
    a.vt = VT_UI8;
    a.ullVal = reinterpret_cast<ULONG_PTR>(&record);
    ASSERT_EQ(call(6, DISPATCH_METHOD, {a}), S_OK);
    EXPECT_EQ(record.filled, 42);
    record.filled = 0;
    a.vt = VT_I8;
    ASSERT_EQ(call(6, DISPATCH_METHOD, {a}), S_OK);
    EXPECT_EQ(record.filled, 42);
}

TEST_F(DispatchTest, ByReferenceArguments)
{
    // Exact references are passed through; the method frees and replaces.
    BSTR left = SysAllocString(L"old");
    LONG count = 1;
    VARIANT text = str(L"abcdef");
    VARIANT refLeft, refCount;
    VariantInit(&refLeft);
    VariantInit(&refCount);
    refLeft.vt = VT_BYREF | VT_BSTR;
    refLeft.pbstrVal = &left;
    refCount.vt = VT_BYREF | VT_I4;
    refCount.plVal = &count;
    ASSERT_EQ(call(8, DISPATCH_METHOD, {text, refLeft, refCount}), S_OK);
    EXPECT_STREQ(left, L"abc");
    EXPECT_EQ(count, 2);
    SysFreeString(left);

    // A VARIANT by reference is converted in and written back.
    VARIANT holder;
    VariantInit(&holder);
    holder.vt = VT_R8;
    holder.dblVal = 4.0;
    VARIANT refHolder;
    VariantInit(&refHolder);
    refHolder.vt = VT_BYREF | VT_VARIANT;
    refHolder.pvarVal = &holder;
    left = nullptr;
    ASSERT_EQ(call(8, DISPATCH_METHOD, {str(L"xy"), refLeft, refHolder}), S_OK);
    EXPECT_EQ(holder.vt, VT_I4);
    EXPECT_EQ(holder.lVal, 5);
    EXPECT_STREQ(left, L"x");
    SysFreeString(left);

    // A text in a VARIANT by reference: converted, replaced, written back.
    VARIANT textHolder;
    VariantInit(&textHolder);
    textHolder.vt = VT_BSTR;
    textHolder.bstrVal = SysAllocString(L"old");
    VARIANT refText;
    VariantInit(&refText);
    refText.vt = VT_BYREF | VT_VARIANT;
    refText.pvarVal = &textHolder;
    ASSERT_EQ(call(8, DISPATCH_METHOD, {str(L"abcd"), refText, refCount}), S_OK);
    EXPECT_EQ(textHolder.vt, VT_BSTR);
    EXPECT_STREQ(textHolder.bstrVal, L"ab");
    EXPECT_EQ(count, 3);
    VariantClear(&textHolder);

    // A later argument that does not convert: the text already converted
    // out of the VARIANT by reference is freed (LeakSanitizer sees it), and
    // the caller's VARIANT keeps its value.
    VARIANT numberHolder = i4(1234);
    VARIANT refNumber;
    VariantInit(&refNumber);
    refNumber.vt = VT_BYREF | VT_VARIANT;
    refNumber.pvarVal = &numberHolder;
    UINT argErr = 99;
    EXPECT_EQ(call(8, DISPATCH_METHOD, {str(L"abcd"), refNumber, str(L"no number")}, nullptr, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(numberHolder.vt, VT_I4);
    EXPECT_EQ(numberHolder.lVal, 1234);

    // VARIANT in, VARIANT retval.
    ks::Variant out;
    ASSERT_EQ(call(9, DISPATCH_METHOD, {str(L"echo")}, &out), S_OK);
    EXPECT_EQ(out.vt, VT_BSTR);
    EXPECT_STREQ(out.bstrVal, L"echo");
}

TEST_F(DispatchTest, DispatchErrors)
{
    ks::Variant result;
    UINT argErr = 99;
    EXPECT_EQ(call(77, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(1, DISPATCH_PROPERTYPUT, {i4(1)}), DISP_E_MEMBERNOTFOUND);  // read-only
    EXPECT_EQ(call(3, DISPATCH_METHOD, {i4(1)}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(3, DISPATCH_METHOD, {i4(1), i4(2), i4(3)}, &result), DISP_E_BADPARAMCOUNT);
    // "abc" is no number: the first argument (index 1 in rgvarg) is named.
    EXPECT_EQ(call(3, DISPATCH_METHOD, {str(L"abc"), i4(2)}, &result, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    EXPECT_EQ(call(3, DISPATCH_METHOD, {i4(2), str(L"abc")}, &result, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    // By-reference arguments of the wrong type are refused.
    double d = 0;
    VARIANT wrongRef;
    VariantInit(&wrongRef);
    wrongRef.vt = VT_BYREF | VT_R8;
    wrongRef.pdblVal = &d;
    EXPECT_EQ(call(8, DISPATCH_METHOD, {str(L"a"), wrongRef, wrongRef}, nullptr, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);

    // A failing method is reported as an exception carrying its result.
    EXCEPINFO info{};
    EXPECT_EQ(call(4, DISPATCH_METHOD, {i4(static_cast<LONG>(E_ACCESSDENIED))}, nullptr, nullptr, &info),
              DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_ACCESSDENIED);
    EXPECT_EQ(call(5, DISPATCH_PROPERTYGET, {i4(2)}, &result, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, DISP_E_BADINDEX);
    EXPECT_EQ(result.vt, VT_EMPTY);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(disp->Invoke(1, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    DISPID named = 1;
    VARIANT arg = i4(1);
    DISPPARAMS withNames{&arg, &named, 1, 1};
    EXPECT_EQ(disp->Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYGET, &withNames, &result, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
}

TEST_F(DispatchTest, BadTypeOverrideIsCaughtWhenTheTableIsBuilt)
{
    EXPECT_DEATH(ks::dispGet(L"Broken", 1, &ISample::get_Count, {VT_BOOL}), "Broken");
}

namespace {
struct ISecond : public IDispatch {
    virtual HRESULT get_Level(LONG* p) = 0;
};
}  // namespace
KS_DECLARE_INTERFACE(ISecond, IDispatch, "0B8C1D0E-1A3B-4C5D-8E9F-101112131450")
KS_DECLARE_DISPATCH_TABLE(ISecond)

KS_DISPATCH_TABLE(ISecond)
{
    static const ks::DispTable table{{ks::dispGet(L"Level", 30, &ISecond::get_Level)}};
    return table;
}

namespace {
class CTwoDuals : public ks::Object<ks::Dual<ISample>, ks::Dual<ISecond>> {
public:
    HRESULT get_Name(BSTR* p) override
    {
        *p = SysAllocString(L"two");
        return S_OK;
    }
    HRESULT put_Name(BSTR) override { return S_OK; }
    HRESULT get_Count(LONG* p) override
    {
        *p = 2;
        return S_OK;
    }
    HRESULT get_Visible(VARIANT_BOOL* p) override
    {
        *p = VARIANT_FALSE;
        return S_OK;
    }
    HRESULT put_Visible(VARIANT_BOOL) override { return S_OK; }
    HRESULT Add(LONG, double, double* p) override
    {
        *p = 0;
        return S_OK;
    }
    HRESULT Fail(LONG code) override { return code; }
    HRESULT get_Item(LONG, IDispatch** pp) override
    {
        *pp = nullptr;
        return E_FAIL;
    }
    HRESULT FillDirect(ULONG_PTR) override { return S_OK; }
    HRESULT get_When(DATE* p) override
    {
        *p = 0;
        return S_OK;
    }
    HRESULT Split(BSTR, BSTR*, LONG*) override { return E_NOTIMPL; }
    HRESULT Echo(VARIANT, VARIANT* p) override
    {
        VariantInit(p);
        return S_OK;
    }
    HRESULT get_Level(LONG* p) override
    {
        *p = 9;
        return S_OK;
    }
};
}  // namespace

// Each dual interface dispatches its own members; IDispatch is the first.
TEST(Dispatch, EachDualInterfaceServesItsOwnTable)
{
    ks::ComPtr<ISecond> second;
    ASSERT_EQ(ks::createInstance<CTwoDuals>(nullptr, KS_IID(ISecond), second.out()), S_OK);
    ks::ComPtr<IDispatch> first;
    ASSERT_EQ(second.queryInterface(first), S_OK);
    EXPECT_EQ(static_cast<void*>(first.get()), static_cast<void*>(static_cast<IDispatch*>(static_cast<ISample*>(
                                                   static_cast<CTwoDuals*>(static_cast<ISecond*>(second.get()))))));
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ks::Variant result;
    ASSERT_EQ(second->Invoke(30, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.lVal, 9);
    result.clear();
    EXPECT_EQ(first->Invoke(30, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    ASSERT_EQ(first->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.lVal, 2);
}

namespace {
struct IPlainText : public IDispatch {
    virtual HRESULT Greet(const wchar_t* who, LPWSTR prefix, BSTR* pText) = 0;
};
}  // namespace
KS_DECLARE_INTERFACE(IPlainText, IDispatch, "0B8C1D0E-1A3B-4C5D-8E9F-101112131451")
KS_DECLARE_DISPATCH_TABLE(IPlainText)

KS_DISPATCH_TABLE(IPlainText)
{
    static const ks::DispTable table{{ks::dispMethodRet(L"Greet", 1, &IPlainText::Greet)}};
    return table;
}

namespace {
class CPlainText : public ks::Object<ks::Dual<IPlainText>> {
public:
    HRESULT Greet(const wchar_t* who, LPWSTR prefix, BSTR* pText) override
    {
        std::wstring t = std::wstring(prefix ? prefix : L"") + (who ? who : L"");
        *pText = SysAllocString(t.c_str());
        return S_OK;
    }
};
}  // namespace

// Plain wide-string parameters (LPCWSTR, LPWSTR) travel as BSTRs.
TEST(Dispatch, PlainWideStringParameters)
{
    ks::ComPtr<IDispatch> d;
    ASSERT_EQ(ks::createInstance<CPlainText>(nullptr, IID_IDispatch, d.out()), S_OK);
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[1].vt = VT_BSTR;  // first argument, last in rgvarg
    args[1].bstrVal = SysAllocString(L"world");
    args[0].vt = VT_I4;  // converted to text
    args[0].lVal = 12;
    DISPPARAMS dp{args, nullptr, 2, 0};
    ks::Variant result;
    ASSERT_EQ(d->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &dp, &result, nullptr, nullptr), S_OK);
    EXPECT_STREQ(result.bstrVal, L"12world");
    VariantClear(&args[0]);
    VariantClear(&args[1]);
}
