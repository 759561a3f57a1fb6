// Splitting data-source strings at their first ";".
#include <gtest/gtest.h>

#include "ksdataservices.h"

namespace {

std::wstring W(const CString& s)
{
    return std::wstring(static_cast<const wchar_t*>(s), size_t(s.GetLength()));
}

TEST(ClientDataSourceStrings, SplitAtTheFirstSemicolon)
{
    struct Case {
        const wchar_t* spec;
        const wchar_t* provider;
        const wchar_t* path;
        const wchar_t* rest;
    };
    const Case cases[] = {
        // as the providers write them
        {L"KSTextProvider.KSTextProvider; /data/run 1.txt;", L"KSTextProvider.KSTextProvider", L"/data/run 1.txt",
         L"/data/run 1.txt;"},
        {L"KSTavrionProvider.KSTavrionProvider; /data/a.raw", L"KSTavrionProvider.KSTavrionProvider",
         L"/data/a.raw", L"/data/a.raw"},
        {L"KSMassLynx.Provider; C:\\d\\x.raw; Function: 2", L"KSMassLynx.Provider", L"C:\\d\\x.raw",
         L"C:\\d\\x.raw; Function: 2"},
        {L"  P.Id \t;\t path ; more", L"P.Id", L"path", L"path ; more"},
        // no ";": unchanged, not even trimmed
        {L"  /data/plain.txt ", L"  /data/plain.txt ", L"  /data/plain.txt ", L"  /data/plain.txt "},
        {L"", L"", L"", L""},
        // leading ";": empty provider, the rest unchanged
        {L";/data/x.txt;", L"", L";/data/x.txt;", L";/data/x.txt;"},
        // an empty field after the provider: the ";" right after it is kept
        {L"P.Id;;x", L"P.Id", L";x", L";x"},
        {L"P.Id;", L"P.Id", L"", L""},
        {L"P.Id ;  ", L"P.Id", L"", L""},
    };
    for (const Case& c : cases) {
        const CString spec(c.spec);
        EXPECT_EQ(W(CKSDataProvider::ExtractProviderFromSpec(spec)), c.provider) << "spec: " << testing::PrintToString(std::wstring(c.spec));
        EXPECT_EQ(W(CKSDataProvider::ExtractPathFromSpec(spec)), c.path) << "spec: " << testing::PrintToString(std::wstring(c.spec));
        EXPECT_EQ(W(CKSDataProvider::RemoveProviderFromSpec(spec)), c.rest) << "spec: " << testing::PrintToString(std::wstring(c.spec));
        EXPECT_EQ(W(spec), c.spec) << "the argument is not changed";
    }
}

}  // namespace
