// Provider keys written by anyone: the loader takes the well-formed ones
// and leaves every damaged one out, without failing.
#include "servertest.h"

using namespace servertest;

namespace {

class ProviderList : public ::testing::Test {
protected:
    void SetUp() override { registerModule(kServerModule); }
};

using Values = std::vector<std::pair<std::wstring, RawValue>>;

Values with(Values values, const std::wstring& name, const RawValue& value)
{
    for (auto& v : values)
        if (v.first == name) {
            v.second = value;
            return values;
        }
    values.emplace_back(name, value);
    return values;
}

Values without(Values values, const std::wstring& name)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        if (it->first == name) {
            values.erase(it);
            break;
        }
    return values;
}

RawValue raw(DWORD type, const std::string& bytes)
{
    return RawValue{type, bytes};
}

TEST_F(ProviderList, DamagedKeysAreLeftOutAndTheOthersLoad)
{
    const Values good = goodValues(L"P.Bad");
    struct Case {
        const char* what;
        Values values;
    };
    const Case cases[] = {
        {"no Class Name", without(good, L"Class Name")},
        {"no Copyright", without(good, L"Copyright")},
        {"no Menu Name", without(good, L"Menu Name")},
        {"no Supplier", without(good, L"Supplier")},
        {"no Version", without(good, L"Version")},
        {"no Provider Flags", without(good, L"Provider Flags")},
        {"Copyright expand_sz", with(good, L"Copyright", raw(REG_EXPAND_SZ, sz(L"x").bytes))},
        {"Supplier dword", with(good, L"Supplier", dword(1))},
        {"Class Name multi_sz", with(good, L"Class Name", raw(REG_MULTI_SZ, sz(L"P.Bad").bytes + std::string(4, '\0')))},
        {"Version without terminator", with(good, L"Version", sz(L"1.0", false))},
        {"Menu Name empty data", with(good, L"Menu Name", raw(REG_SZ, ""))},
        {"Class Name odd size", with(good, L"Class Name", raw(REG_SZ, std::string("P\0\0\0.\0", 6)))},
        {"Class Name cut inside a character", with(good, L"Class Name", raw(REG_SZ, sz(L"P.Bad").bytes + std::string(1, '\0')))},
        {"Provider Flags text", with(good, L"Provider Flags", sz(L"4"))},
        {"Provider Flags qword", with(good, L"Provider Flags", raw(REG_QWORD, std::string(8, '\0')))},
        {"Provider Flags two bytes", with(good, L"Provider Flags", raw(REG_DWORD, std::string(2, '\0')))},
        {"Provider Flags binary", with(good, L"Provider Flags", raw(REG_BINARY, std::string(4, '\0')))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
        // The damaged key sorts between two good ones.
        writeKey(kRoot + L"\\{10000000-0000-0000-0000-000000000001}", goodValues(L"P.First"));
        writeKey(kRoot + L"\\{20000000-0000-0000-0000-000000000002}", c.values);
        writeKey(kRoot + L"\\{30000000-0000-0000-0000-000000000003}", goodValues(L"P.Last"));
        ks::ComPtr<IKSProviderServer> server = newServer();
        EXPECT_EQ(classNamesOf(server), (std::vector<std::wstring>{L"P.First", L"P.Last"}));
    }
}

TEST_F(ProviderList, DamagedOptionalValuesLeaveTheirFieldEmpty)
{
    const Values good = goodValues(L"P.A");
    struct Case {
        const char* what;
        Values values;
        std::wstring dataServer;
        std::wstring filter;
    };
    const Case cases[] = {
        {"both missing", without(without(good, L"DataServer Class ID"), L"File Filter"), L"", L""},
        {"data server dword", with(good, L"DataServer Class ID", dword(3)), L"", L"P.A (*.x)"},
        {"filter without terminator", with(good, L"File Filter", sz(L"F (*.f)", false)),
         L"{00000000-0000-0000-0000-0000000000D5}", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
        writeKey(kRoot + L"\\{10000000-0000-0000-0000-000000000001}", c.values);
        ks::ComPtr<IKSProviderServer> server = newServer();
        std::vector<DescriptionValues> list = listOf(server);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].className, L"P.A");
        EXPECT_EQ(list[0].dataServerClassID, c.dataServer);
        EXPECT_EQ(list[0].filter, c.filter);
    }
}

TEST_F(ProviderList, ValuesOfAnyLengthLoadWhole)
{
    // A fixed read buffer once dropped providers with texts of more than
    // 129 characters.
    for (size_t length : {129u, 130u, 259u, 260u, 5000u}) {
        SCOPED_TRACE(length);
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
        const std::wstring longText(length, L'c');
        writeKey(kRoot + L"\\{10000000-0000-0000-0000-000000000001}",
                 with(with(goodValues(L"P.A"), L"Copyright", sz(longText)), L"File Filter", sz(longText + L"f")));
        ks::ComPtr<IKSProviderServer> server = newServer();
        std::vector<DescriptionValues> list = listOf(server);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].copyright, longText);
        EXPECT_EQ(list[0].filter, longText + L"f");
    }
}

TEST_F(ProviderList, TextEndsAtItsFirstZero)
{
    writeKey(kRoot + L"\\{10000000-0000-0000-0000-000000000001}",
             with(goodValues(L"P.A"), L"Supplier", raw(REG_SZ, sz(L"Kestrom").bytes + sz(L"tail").bytes)));
    std::vector<DescriptionValues> list = listOf(newServer());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].supplier, L"Kestrom");
}

TEST_F(ProviderList, OtherSettingsBesideTheProvidersAreSkipped)
{
    writeKey(kRoot + L"\\Dataset browser", {{L"Source Path", sz(L"/data")}});
    writeKey(kRoot + L"\\{10000000-0000-0000-0000-000000000001}", goodValues(L"P.A"));
    writeKey(kRoot + L"\\{10000000-0000-0000-0000-000000000001}\\Applications\\App\\Reader",
             {{L"Source Path", sz(L"/x")}});
    writeKey(kRoot + L"\\Empty", {});
    ks::ComPtr<IKSProviderServer> server = newServer();
    EXPECT_EQ(classNamesOf(server), std::vector<std::wstring>{L"P.A"});
}

TEST_F(ProviderList, DamagedHiveFileLoadsWhatCanBeRead)
{
    writeKey(kRoot + L"\\{10000000-0000-0000-0000-000000000001}", goodValues(L"P.A"));
    writeKey(kRoot + L"\\{20000000-0000-0000-0000-000000000002}", goodValues(L"P.B"));
    const std::string hive = std::string(getenv("KESTROM_REGISTRY")) + "/HKEY_CURRENT_USER.hive";
    std::string bytes = ks::test::readFile(hive);
    ASSERT_FALSE(bytes.empty());
    // Cut inside the second provider's values.
    const size_t cut = bytes.find("P.B");
    ASSERT_NE(cut, std::string::npos);
    ks::test::writeFile(hive, bytes.substr(0, cut));
    ks::ComPtr<IKSProviderServer> server = newServer();
    EXPECT_EQ(classNamesOf(server), std::vector<std::wstring>{L"P.A"});
}

}  // namespace
