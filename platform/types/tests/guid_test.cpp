#include "ksunknown.h"

#include <gtest/gtest.h>

#include <map>

namespace {
constexpr GUID kProvider = ks::guid("BDFCEFD2-D2BC-11D3-91D8-00400536072C");
}

TEST(Guid, CompileTimeLiteralHasTheFieldsOfTheText)
{
    static_assert(kProvider.Data1 == 0xBDFCEFD2u && kProvider.Data2 == 0xD2BC && kProvider.Data3 == 0x11D3);
    EXPECT_EQ(kProvider.Data4[0], 0x91);
    EXPECT_EQ(kProvider.Data4[7], 0x2C);
    EXPECT_EQ(KS_IID(IDispatch).Data1, 0x00020400u);
    EXPECT_EQ(KS_IID(IUnknown).Data4[0], 0xC0);
}

TEST(Guid, TextRoundTripIsBracedUpperCase)
{
    wchar_t buf[39];
    ASSERT_EQ(StringFromGUID2(kProvider, buf, 39), 39);
    EXPECT_STREQ(buf, L"{BDFCEFD2-D2BC-11D3-91D8-00400536072C}");
    EXPECT_EQ(ks::guidToString(kProvider), L"{BDFCEFD2-D2BC-11D3-91D8-00400536072C}");
    EXPECT_EQ(ks::guidToStringA(kProvider), "{BDFCEFD2-D2BC-11D3-91D8-00400536072C}");
    EXPECT_EQ(StringFromGUID2(kProvider, buf, 38), 0);

    CLSID parsed;
    ASSERT_EQ(CLSIDFromString(L"{bdfcefd2-d2bc-11d3-91d8-00400536072c}", &parsed), S_OK);
    EXPECT_EQ(parsed, kProvider);
    ASSERT_EQ(CLSIDFromString(buf, &parsed), S_OK);
    EXPECT_EQ(parsed, kProvider);
    GUID g;
    EXPECT_TRUE(ks::guidFromStringA("{BDFCEFD2-d2bc-11D3-91D8-00400536072C}", &g));
    EXPECT_EQ(g, kProvider);
}

TEST(Guid, BadTextIsRefusedWithClassStringError)
{
    const wchar_t* bad[] = {
        L"",
        L"BDFCEFD2-D2BC-11D3-91D8-00400536072C",      // no braces
        L"{BDFCEFD2-D2BC-11D3-91D8-00400536072C",     // no closing brace
        L"{BDFCEFD2-D2BC-11D3-91D8-00400536072C}x",   // trailing text
        L"{BDFCEFD2-D2BC-11D3-91D8-00400536072G}",    // not hex
        L"{BDFCEFD2D-2BC-11D3-91D8-00400536072C}",    // dash misplaced
        L"{BDFCEFD2-D2BC-11D3-91D8-00400536072}",     // short
        L"{ BDFCEFD2-D2BC-11D3-91D8-00400536072C}",   // blank
        L"KSProviderServer.KSDataAccess",             // ProgIDs are not text GUIDs
    };
    for (const wchar_t* text : bad) {
        CLSID c = kProvider;
        EXPECT_EQ(CLSIDFromString(text, &c), CO_E_CLASSSTRING) << ks::guidToStringA(c);
        EXPECT_EQ(c, GUID_NULL);
        IID i = kProvider;
        EXPECT_EQ(IIDFromString(text, &i), CO_E_IIDSTRING);
        EXPECT_EQ(i, GUID_NULL);
    }
    CLSID c;
    EXPECT_EQ(CLSIDFromString(nullptr, &c), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(L"{BDFCEFD2-D2BC-11D3-91D8-00400536072C}", nullptr), E_INVALIDARG);
}

TEST(Guid, OrderingKeysMaps)
{
    std::map<GUID, int> m;
    m[kProvider] = 1;
    m[IID_IDispatch] = 2;
    m[IID_IUnknown] = 3;
    EXPECT_EQ(m.size(), 3u);
    EXPECT_EQ(m[IID_IDispatch], 2);
    EXPECT_FALSE(IID_IUnknown < IID_IUnknown);
}

TEST(ResultCodes, HelpersAndPlatformValues)
{
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SUCCESS), S_OK);
    EXPECT_EQ(static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)), 0x80070005u);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), E_ACCESSDENIED);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY + 6), E_OUTOFMEMORY);  // 14
    EXPECT_EQ(HRESULT_FROM_WIN32(E_FAIL), E_FAIL);  // already a result
    EXPECT_EQ(static_cast<uint32_t>(DISP_E_BADINDEX), 0x8002000Bu);
    EXPECT_EQ(static_cast<uint32_t>(CO_E_NOT_SUPPORTED), 0x80004021u);
    EXPECT_EQ(static_cast<uint32_t>(STG_E_CANTSAVE), 0x80030103u);
    EXPECT_EQ(static_cast<uint32_t>(CONNECT_E_CANNOTCONNECT), 0x80040202u);
    EXPECT_EQ(static_cast<uint32_t>(CTL_E_OUTOFMEMORY), 0x800A0007u);
    EXPECT_EQ(static_cast<uint32_t>(KSRAW_E_NOSCANEVENTS), 0x80002112u);
    EXPECT_EQ(HRESULT_FACILITY(DISP_E_BADINDEX), FACILITY_DISPATCH);
    EXPECT_EQ(MAKE_HRESULT(1, FACILITY_ITF, 0x200), CONNECT_E_NOCONNECTION);
}
