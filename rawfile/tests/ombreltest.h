// Fixtures of the reader's tests: the component registered into the test
// case's registry, files made by the engine's builder, and small helpers
// for BSTR and VARIANT outputs.
#pragma once

#include "ombrel.h"

#include "kscomtest.h"
#include "kshive.h"
#include "kstest.h"
#include "rawbuilder.h"
#include "rawfile.h"
#include "rawtesthooks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ombreltest {

using namespace rawengine;

inline std::wstring wide(const std::string& s) { return ks::reg::wideFromUtf8(s); }
inline std::string narrow(const std::wstring& s) { return ks::reg::utf8FromWide(s); }

// A BSTR the test owns.
struct Text {
    BSTR b = nullptr;
    Text() = default;
    explicit Text(const std::wstring& s) : b(SysAllocStringLen(s.data(), UINT(s.size()))) {}
    ~Text() { SysFreeString(b); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    std::wstring str() const { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }
};

// A VARIANT the test owns.
struct Var {
    VARIANT v;
    Var() { VariantInit(&v); }
    ~Var() { VariantClear(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
};

// The texts of a VT_ARRAY | VT_BSTR VARIANT with lower bound 0; the test
// fails for anything else.
std::vector<std::wstring> Texts(const VARIANT& v);

// Writes a model as a file of the test case's folder; answers its path.
std::string writeModel(const FileData& model, const std::string& name = "sample.raw",
                       const BuildOptions& options = {});

class OmbrelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { testhook::ClearInjectedFailures(); }

    // Opens a path on the reader; answers the status.
    HRESULT open(const std::string& path);
    // Opens the standard sample and makes its mass spectrometer current.
    void openSampleMS();

    ks::ComPtr<IOmbrel3> reader;
    std::string sample;  // the standard sample's path
    FileData model = MakeSampleFile();
};

}  // namespace ombreltest
