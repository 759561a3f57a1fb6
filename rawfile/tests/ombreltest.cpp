#include "ombreltest.h"

namespace ombreltest {

std::vector<std::wstring> Texts(const VARIANT& v)
{
    std::vector<std::wstring> out;
    EXPECT_EQ(v.vt, VT_ARRAY | VT_BSTR);
    if (v.vt != (VT_ARRAY | VT_BSTR) || !v.parray)
        return out;
    EXPECT_EQ(SafeArrayGetDim(v.parray), 1u);
    LONG lower = -1, upper = -2;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    EXPECT_EQ(lower, 0);
    for (LONG i = lower; i <= upper; ++i) {
        BSTR b = nullptr;
        EXPECT_EQ(SafeArrayGetElement(v.parray, &i, &b), S_OK);
        out.emplace_back(b ? std::wstring(b, SysStringLen(b)) : std::wstring());
        SysFreeString(b);
    }
    return out;
}

std::string writeModel(const FileData& model, const std::string& name, const BuildOptions& options)
{
    const std::string path = ks::test::tempDir() + "/" + name;
    ks::test::writeFile(path, SerializeRawFile(model, options));
    return path;
}

void OmbrelTest::SetUp()
{
    ASSERT_TRUE(ks::test::registerComponents({"Ombrel2"}));
    reader = ks::test::Create<IOmbrel3>(CLSID_Ombrel);
    ASSERT_TRUE(reader);
    sample = writeModel(model);
}

HRESULT OmbrelTest::open(const std::string& path)
{
    Text name(wide(path));
    return reader->Open(name.b);
}

void OmbrelTest::openSampleMS()
{
    ASSERT_EQ(open(sample), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
}

}  // namespace ombreltest
