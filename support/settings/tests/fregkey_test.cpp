// The registry key class: where keys live, stored forms, type rules,
// deletion, handles and damaged values.
#include "pellumor_testutil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using pt::below;

namespace {

// Exposes the handle for the tests of open and closed keys.
class PeekKey : public CFRegKey {
public:
    using CFRegKey::CFRegKey;
    bool isOpen() const { return m_hKey != nullptr; }
};

const std::wstring kKey = below(L"Global");

}  // namespace

TEST(CFRegKey, OtherHivesAreInvalidAndWriteNothing)
{
    const HKEY hives[] = {HKEY_CLASSES_ROOT, (HKEY)(ULONG_PTR)0x80000003u, nullptr};
    for (HKEY hive : hives) {
        CFRegKey key(hive, L"Global", 1, 0);
        EXPECT_EQ(key.IsValid(), 0);
        CString text(L"unchanged");
        EXPECT_EQ(key.WriteStr(L"Name", L"x"), 0);
        EXPECT_EQ(key.ReadStr(L"Name", text), 0);
        EXPECT_EQ(text, L"unchanged");
        int n = 5;
        EXPECT_EQ(key.WriteInt(L"N", 1), 0);
        EXPECT_EQ(key.ReadInt(L"N", &n), 0);
        EXPECT_EQ(n, 5);
        EXPECT_EQ(key.Close(), 0);
        CFRegKey byId(hive, 11753u, 1, 0);
        EXPECT_EQ(byId.IsValid(), 0);
    }
    EXPECT_FALSE(pt::keyExists(HKEY_CLASSES_ROOT, below(L"Global")));
    EXPECT_FALSE(pt::keyExists(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_FALSE(pt::keyExists(HKEY_CURRENT_USER, kKey));
}

TEST(CFRegKey, HiveKeyIsCreatedOnlyWithTheCreateFlag)
{
    CFRegKey missing(HKEY_CURRENT_USER, L"Global", 0, 0);
    EXPECT_EQ(missing.IsValid(), 0);
    EXPECT_FALSE(pt::keyExists(HKEY_CURRENT_USER, kKey));

    CFRegKey created(HKEY_CURRENT_USER, L"Global", 1, 0);
    EXPECT_EQ(created.IsValid(), 1);
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(missing.Init(HKEY_CURRENT_USER, L"Global", 0), 1);

    // No subkey: the top key itself, without its trailing separator.
    CFRegKey top(HKEY_LOCAL_MACHINE, L"", 1, 0);
    ASSERT_EQ(top.IsValid(), 1);
    ASSERT_EQ(top.WriteStr(L"At Top", L"yes"), 1);
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, L"Software\\Pardinel\\Tavrion", L"At Top"), L"yes");
    CFRegKey nullSub(HKEY_LOCAL_MACHINE, (const wchar_t*)nullptr, 0, 0);
    CString text;
    EXPECT_EQ(nullSub.ReadStr(L"At Top", text), 1);
}

TEST(CFRegKey, TopRegistryKeyAppliesToKeysInitialisedLater)
{
    pt::TopKeyGuard guard;
    CFRegKey before(HKEY_CURRENT_USER, L"Global", 1, 0);
    EXPECT_STREQ(GetTopRegistryKey(), L"Software\\Pardinel\\Tavrion\\");
    SetTopRegistryKey(L"Software\\Elsewhere\\");
    EXPECT_STREQ(GetTopRegistryKey(), L"Software\\Elsewhere\\");
    CFRegKey after(HKEY_CURRENT_USER, L"Global", 1, 0);
    ASSERT_EQ(after.WriteStr(L"Where", L"new"), 1);
    ASSERT_EQ(before.WriteStr(L"Where", L"old"), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, L"Software\\Elsewhere\\Global", L"Where"), L"new");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kKey, L"Where"), L"old");
    // Without a subkey: the changed top key itself.
    CFRegKey top(HKEY_CURRENT_USER, L"", 1, 0);
    ASSERT_EQ(top.WriteStr(L"Where", L"top"), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, L"Software\\Elsewhere", L"Where"), L"top");
}

TEST(CFRegKey, DamagedDwordAndBinaryValues)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    pt::setValue(HKEY_CURRENT_USER, kKey, L"Long", REG_DWORD, eight, 8);
    DWORD w = 99;
    EXPECT_EQ(key.ReadDword(L"Long", &w), 0);
    EXPECT_EQ(w, 99u);
    pt::setValue(HKEY_CURRENT_USER, kKey, L"Short", REG_DWORD, eight, 2);
    EXPECT_EQ(key.ReadDword(L"Short", &w), 1);
    EXPECT_EQ(w, 0x0201u);
    pt::setValue(HKEY_CURRENT_USER, kKey, L"Empty", REG_BINARY, nullptr, 0);
    DWORD length = 0;
    EXPECT_EQ(key.ReadBin(L"Empty", nullptr, &length), 1);
    EXPECT_EQ(length, 0u);
    // Text that is no number, huge and signed forms, as stored by others.
    pt::setSz(HKEY_CURRENT_USER, kKey, L"D", L"1e999");
    double d = 0;
    EXPECT_EQ(key.ReadDouble(L"D", &d), 1);
    EXPECT_TRUE(d > 1e308);
    pt::setSz(HKEY_CURRENT_USER, kKey, L"D", L"nonsense");
    EXPECT_EQ(key.ReadDouble(L"D", &d), 1);
    EXPECT_EQ(d, 0.0);
}

TEST(CFRegKey, StoredForms)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    ASSERT_EQ(key.WriteStr(L"Str", L"abc"), 1);
    ASSERT_EQ(key.WriteInt(L"Int", -42), 1);
    ASSERT_EQ(key.WriteDouble(L"Third", 1.0 / 3.0), 1);
    ASSERT_EQ(key.WriteDouble(L"Big", 2.5e6), 1);
    ASSERT_EQ(key.WriteDouble(L"Small", 0.1), 1);
    ASSERT_EQ(key.WriteDword(L"Dword", 0xDEADBEEFu), 1);
    const unsigned char bytes[] = {0, 0xFF, 0x10};
    ASSERT_EQ(key.WriteBin(L"Bin", bytes, 3), 1);
    CStringArray list;
    list.Add(L"a");
    list.Add(L"bc");
    ASSERT_EQ(key.WriteMultiStr(L"Multi", list), 1);
    CStringArray none;
    ASSERT_EQ(key.WriteMultiStr(L"Empty", none), 1);

    const pt::Raw str = pt::raw(HKEY_CURRENT_USER, kKey, L"Str");
    EXPECT_EQ(str.type, REG_SZ);
    EXPECT_EQ(str.bytes.size(), 4 * sizeof(wchar_t));
    EXPECT_EQ(pt::raw(HKEY_CURRENT_USER, kKey, L"Int").type, REG_SZ);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kKey, L"Int"), L"-42");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kKey, L"Third"), L"0.333333");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kKey, L"Big"), L"2.5e+06");
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kKey, L"Small"), L"0.1");
    const pt::Raw dw = pt::raw(HKEY_CURRENT_USER, kKey, L"Dword");
    EXPECT_EQ(dw.type, REG_DWORD);
    ASSERT_EQ(dw.bytes.size(), 4u);
    const pt::Raw bin = pt::raw(HKEY_CURRENT_USER, kKey, L"Bin");
    EXPECT_EQ(bin.type, REG_BINARY);
    EXPECT_EQ(bin.bytes, std::vector<BYTE>({0, 0xFF, 0x10}));
    const pt::Raw multi = pt::raw(HKEY_CURRENT_USER, kKey, L"Multi");
    EXPECT_EQ(multi.type, REG_MULTI_SZ);
    EXPECT_EQ(multi.bytes.size(), 6 * sizeof(wchar_t));
    const pt::Raw empty = pt::raw(HKEY_CURRENT_USER, kKey, L"Empty");
    EXPECT_EQ(empty.type, REG_MULTI_SZ);
    EXPECT_EQ(empty.bytes.size(), sizeof(wchar_t));

    CString s;
    int n = 0;
    double d = 0;
    DWORD w = 0;
    EXPECT_EQ(key.ReadStr(L"Str", s), 1);
    EXPECT_EQ(s, L"abc");
    EXPECT_EQ(key.ReadInt(L"Int", &n), 1);
    EXPECT_EQ(n, -42);
    EXPECT_EQ(key.ReadDouble(L"Third", &d), 1);
    EXPECT_DOUBLE_EQ(d, 0.333333);
    EXPECT_EQ(key.ReadDword(L"Dword", &w), 1);
    EXPECT_EQ(w, 0xDEADBEEFu);
    CStringArray back;
    back.Add(L"stale");
    EXPECT_EQ(key.ReadMultiStr(L"Multi", back), 1);
    ASSERT_EQ(back.GetSize(), 2);
    EXPECT_EQ(back[0], L"a");
    EXPECT_EQ(back[1], L"bc");
    EXPECT_EQ(key.ReadMultiStr(L"Empty", back), 1);
    EXPECT_EQ(back.GetSize(), 0);
}

TEST(CFRegKey, ReadIntUsesAutomaticBase)
{
    struct Case {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"0x10", 16}, {L"010", 8}, {L"42", 42}, {L"-7", -7}, {L" 12", 12},
        {L"word", 0},  {L"", 0},    {L"99999999999", INT_MAX}, {L"-99999999999", INT_MIN},
    };
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    for (const Case& c : cases) {
        pt::setSz(HKEY_CURRENT_USER, kKey, L"N", c.text);
        int n = 12345;
        EXPECT_EQ(key.ReadInt(L"N", &n), 1) << c.text;
        EXPECT_EQ(n, c.expected) << c.text;
    }
}

TEST(CFRegKey, TypeRules)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    pt::setSz(HKEY_CURRENT_USER, kKey, L"Expand", L"%HOME%\\data", REG_EXPAND_SZ);
    CString s;
    EXPECT_EQ(key.ReadStr(L"Expand", s), 1);
    EXPECT_EQ(s, L"%HOME%\\data");

    ASSERT_EQ(key.WriteDword(L"Dword", 7), 1);
    int n = 99;
    EXPECT_EQ(key.ReadInt(L"Dword", &n), 0);
    EXPECT_EQ(n, 99);
    s = L"kept";
    EXPECT_EQ(key.ReadStr(L"Dword", s), 0);
    EXPECT_EQ(s, L"kept");

    ASSERT_EQ(key.WriteStr(L"Text", L"7"), 1);
    DWORD w = 5;
    EXPECT_EQ(key.ReadDword(L"Text", &w), 0);
    EXPECT_EQ(w, 5u);
    CStringArray list;
    list.Add(L"kept");
    EXPECT_EQ(key.ReadMultiStr(L"Text", list), 0);
    EXPECT_EQ(list.GetSize(), 1);
    double d = 1.5;
    EXPECT_EQ(key.ReadDouble(L"Missing", &d), 0);
    EXPECT_EQ(d, 1.5);
    // A word reads as 0.0 with success.
    ASSERT_EQ(key.WriteStr(L"Word", L"many"), 1);
    EXPECT_EQ(key.ReadDouble(L"Word", &d), 1);
    EXPECT_EQ(d, 0.0);
}

TEST(CFRegKey, ReadBinReportsTheSizeNeeded)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(key.WriteBin(L"Bin", bytes, 5), 1);

    unsigned char buffer[10];
    std::memset(buffer, 0xEE, sizeof buffer);
    DWORD length = 4;
    EXPECT_EQ(key.ReadBin(L"Bin", buffer, &length), 0);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(buffer[0], 0xEE);

    length = 10;
    EXPECT_EQ(key.ReadBin(L"Bin", buffer, &length), 1);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(std::memcmp(buffer, bytes, 5), 0);
    EXPECT_EQ(buffer[5], 0xEE);

    // Wrong type: fails, and still tells the stored size.
    ASSERT_EQ(key.WriteStr(L"Text", L"abc"), 1);
    length = 100;
    EXPECT_EQ(key.ReadBin(L"Text", buffer, &length), 0);
    EXPECT_EQ(length, 4 * sizeof(wchar_t));
    EXPECT_EQ(key.ReadBin(L"Bin", buffer, nullptr), 0);
}

TEST(CFRegKey, EmptyStringInsideMultiStringEndsTheList)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    CStringArray list;
    list.Add(L"a");
    list.Add(L"");
    list.Add(L"b");
    ASSERT_EQ(key.WriteMultiStr(L"Multi", list), 1);
    CStringArray back;
    EXPECT_EQ(key.ReadMultiStr(L"Multi", back), 1);
    ASSERT_EQ(back.GetSize(), 1);
    EXPECT_EQ(back[0], L"a");
}

TEST(CFRegKey, DamagedStringValuesReadWithinBounds)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> bytes;
        const wchar_t* text;                // ReadStr
        std::vector<std::wstring> items;    // ReadMultiStr
    };
    auto wide = [](const std::wstring& s, size_t extraBytes = 0) {
        std::vector<BYTE> b(reinterpret_cast<const BYTE*>(s.data()),
                            reinterpret_cast<const BYTE*>(s.data()) + s.size() * sizeof(wchar_t));
        for (size_t i = 0; i < extraBytes; ++i)
            b.push_back(0x41);
        return b;
    };
    const Case cases[] = {
        {"no terminator", REG_SZ, wide(L"abc"), L"abc", {}},
        {"odd size", REG_SZ, wide(L"ab", 1), L"abA", {}},
        {"empty", REG_SZ, {}, L"", {}},
        {"one byte", REG_SZ, {0x41}, L"A", {}},
        {"multi without final terminator", REG_MULTI_SZ, wide(std::wstring(L"ab\0cd", 5)), nullptr, {L"ab", L"cd"}},
        {"multi empty data", REG_MULTI_SZ, {}, nullptr, {}},
        {"multi odd size", REG_MULTI_SZ, wide(std::wstring(L"x\0", 2), 2), nullptr, {L"x", L"\x4141"}},
    };
    for (const Case& c : cases) {
        pt::setValue(HKEY_CURRENT_USER, kKey, L"V", c.type, c.bytes.data(), DWORD(c.bytes.size()));
        if (c.text) {
            CString s;
            EXPECT_EQ(key.ReadStr(L"V", s), 1) << c.what;
            EXPECT_EQ(s, c.text) << c.what;
            char narrow[64];
            std::memset(narrow, 'X', sizeof narrow);
            EXPECT_EQ(key.ReadStr(L"V", narrow, sizeof narrow), 1) << c.what;
            const std::wstring expected(c.text);
            EXPECT_EQ(std::string(narrow), std::string(expected.begin(), expected.end())) << c.what;
        } else {
            CStringArray list;
            EXPECT_EQ(key.ReadMultiStr(L"V", list), 1) << c.what;
            ASSERT_EQ(size_t(list.GetSize()), c.items.size()) << c.what;
            for (size_t i = 0; i < c.items.size(); ++i)
                EXPECT_EQ(list[INT_PTR(i)], c.items[i].c_str()) << c.what;
        }
    }
}

TEST(CFRegKey, NarrowReadAlwaysLeavesATerminator)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    ASSERT_EQ(key.WriteStr(L"Text", L"abcd"), 1);  // five characters stored
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(key.ReadStr(L"Text", buffer, 5), 0);
    EXPECT_EQ(buffer[0], 'X');
    EXPECT_EQ(key.ReadStr(L"Text", buffer, 6), 1);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(key.ReadStr(L"Text", nullptr, 6), 0);

    // Stored without its terminator: four characters fit a buffer of five.
    const std::wstring bare = L"wxyz";
    pt::setValue(HKEY_CURRENT_USER, kKey, L"Bare", REG_SZ, bare.data(), DWORD(bare.size() * sizeof(wchar_t)));
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(key.ReadStr(L"Bare", buffer, 5), 1);
    EXPECT_EQ(buffer[4], '\0');
    EXPECT_STREQ(buffer, "wxyz");

    // Latin-1, with '?' for what it cannot hold.
    ASSERT_EQ(key.WriteStr(L"Wide", L"\u00e9\u20ac"), 1);
    EXPECT_EQ(key.ReadStr(L"Wide", buffer, 8), 1);
    EXPECT_STREQ(buffer, "\xe9?");
}

TEST(CFRegKey, DeleteRemovesTheValueBeforeTheKey)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    ASSERT_EQ(key.WriteStr(L"Both", L"value"), 1);
    pt::setSz(HKEY_CURRENT_USER, kKey + L"\\Both", L"Inner", L"1");
    pt::setSz(HKEY_CURRENT_USER, kKey + L"\\Both\\Deeper\\Deepest", L"Inner", L"2");

    EXPECT_EQ(key.Delete(L"Both"), 1);
    EXPECT_FALSE(pt::valueExists(HKEY_CURRENT_USER, kKey, L"Both"));
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, kKey + L"\\Both\\Deeper\\Deepest"));

    EXPECT_EQ(key.Delete(L"Both"), 1);
    EXPECT_FALSE(pt::keyExists(HKEY_CURRENT_USER, kKey + L"\\Both"));
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, kKey));

    EXPECT_EQ(key.Delete(L"Nothing"), 0);
}

TEST(CFRegKey, DeleteAllEmptiesTheKey)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    ASSERT_EQ(key.WriteStr(L"A", L"1"), 1);
    ASSERT_EQ(key.WriteInt(L"B", 2), 1);
    pt::setSz(HKEY_CURRENT_USER, kKey + L"\\Sub1\\Sub2", L"C", L"3");
    pt::createKey(HKEY_CURRENT_USER, kKey + L"\\Sub3");

    CStringArray names;
    EXPECT_EQ(key.GetSubkeyNames(names), 1);
    EXPECT_EQ(names.GetSize(), 2);
    EXPECT_EQ(key.GetSubvalueNames(names), 1);
    ASSERT_EQ(names.GetSize(), 2);
    EXPECT_EQ(names[0], L"A");

    EXPECT_EQ(key.DeleteAll(), 1);
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(key.GetSubkeyNames(names), 1);
    EXPECT_EQ(names.GetSize(), 0);
    EXPECT_EQ(key.GetSubvalueNames(names), 1);
    EXPECT_EQ(names.GetSize(), 0);
}

TEST(CFRegKey, KeyDeletedFromOutsideBecomesInvalid)
{
    CFRegKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    ASSERT_EQ(key.WriteStr(L"A", L"1"), 1);
    const auto r = pt::ksreg({"delete", "HKCU\\Software\\Pardinel\\Tavrion\\Global"});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    CString s;
    EXPECT_EQ(key.ReadStr(L"A", s), 0);
    EXPECT_EQ(key.IsValid(), 0);
    // Still invalid when the key comes back, until initialised again.
    pt::setSz(HKEY_CURRENT_USER, kKey, L"A", L"2");
    EXPECT_EQ(key.ReadStr(L"A", s), 0);
    EXPECT_EQ(key.WriteStr(L"A", L"3"), 0);
    EXPECT_EQ(key.Init(HKEY_CURRENT_USER, L"Global", 0), 1);
    EXPECT_EQ(key.ReadStr(L"A", s), 1);
    EXPECT_EQ(s, L"2");
}

TEST(CFRegKey, CallerOpenedKeyStaysOpenAndCopiesAreClosed)
{
    PeekKey key(HKEY_CURRENT_USER, L"Global", 1, 0);
    EXPECT_FALSE(key.isOpen());
    ASSERT_EQ(key.WriteStr(L"A", L"1"), 1);
    EXPECT_FALSE(key.isOpen());

    ASSERT_EQ(key.Open(KEY_READ | KEY_WRITE), 1);
    ASSERT_EQ(key.WriteStr(L"A", L"2"), 1);
    CString s;
    EXPECT_EQ(key.ReadStr(L"Missing", s), 0);
    EXPECT_TRUE(key.isOpen());

    PeekKey copy(key);
    EXPECT_FALSE(copy.isOpen());
    EXPECT_TRUE(key.isOpen());
    EXPECT_EQ(copy.IsValid(), 1);
    EXPECT_EQ(copy.ReadStr(L"A", s), 1);
    EXPECT_EQ(s, L"2");

    PeekKey assigned;
    ASSERT_EQ(assigned.Open(KEY_READ), 0);
    assigned = key;
    EXPECT_FALSE(assigned.isOpen());
    EXPECT_EQ(key.Close(), 1);
    EXPECT_FALSE(key.isOpen());

    // A key opened for reading only refuses writes through that handle.
    ASSERT_EQ(key.Open(KEY_READ), 1);
    EXPECT_EQ(key.WriteStr(L"A", L"3"), 0);
    EXPECT_TRUE(key.isOpen());
    EXPECT_EQ(key.Close(), 1);
}

TEST(CFRegKey, ParentRelativeKeysOwnTheirParents)
{
    CFRegKey* top = new CFRegKey(HKEY_CURRENT_USER, L"Global", 1, 0);
    CFRegKey* middle = new CFRegKey(*top, L"Middle", 1, 0);
    CFRegKey child(*middle, L"Child\\Leaf", 1, 0);
    CFRegKey missing(*middle, L"Missing", 0, 0);
    delete middle;
    delete top;
    EXPECT_EQ(missing.IsValid(), 0);
    ASSERT_EQ(child.IsValid(), 1);
    ASSERT_EQ(child.WriteStr(L"Deep", L"yes"), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kKey + L"\\Middle\\Child\\Leaf", L"Deep"), L"yes");

    CFRegKey copy = child;
    CString s;
    EXPECT_EQ(copy.ReadStr(L"Deep", s), 1);

    // An invalid parent: Init fails and the key stays as it was.
    CFRegKey invalidParent(HKEY_CURRENT_USER, L"Nowhere", 0, 0);
    EXPECT_EQ(copy.Init(invalidParent, L"X", 1), 0);
    EXPECT_EQ(copy.ReadStr(L"Deep", s), 1);
    // Re-initialised from itself.
    EXPECT_EQ(copy.Init(copy, L"Below", 1), 1);
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, kKey + L"\\Middle\\Child\\Leaf\\Below"));
}

TEST(CFRegKey, ReadOnlyHiveReadsButNeverWrites)
{
    pt::setSz(HKEY_LOCAL_MACHINE, kKey, L"Tavrion Path", L"C:\\Zyl");
    pt::ReadOnlyHive ro(HKEY_LOCAL_MACHINE);

    CFRegKey missing(HKEY_LOCAL_MACHINE, L"New", 1, 0);
    EXPECT_EQ(missing.IsValid(), 0);
    EXPECT_FALSE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"New")));

    CFRegKey key(HKEY_LOCAL_MACHINE, L"Global", 1, 0);
    ASSERT_EQ(key.IsValid(), 1);
    CString s;
    EXPECT_EQ(key.ReadStr(L"Tavrion Path", s), 1);
    EXPECT_EQ(s, L"C:\\Zyl");
    EXPECT_EQ(key.WriteStr(L"Tavrion Path", L"D:\\"), 0);
    EXPECT_EQ(key.WriteDouble(L"D", 1.0), 0);
    EXPECT_EQ(key.Delete(L"Tavrion Path"), 0);
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, kKey, L"Tavrion Path"), L"C:\\Zyl");
    // The failed write-open made the key invalid, as any failed open does.
    EXPECT_EQ(key.IsValid(), 0);
}

namespace {
int customLoader(UINT id, CString& text)
{
    if (id == 11753) {
        text = L"Autosampler";
        return 1;
    }
    if (id == 500) {
        text = L"App Key";
        return 1;
    }
    return 0;
}
}  // namespace

TEST(CFRegKey, StringIdentifierConstructors)
{
    CFRegKey byId(HKEY_CURRENT_USER, 11753u, 1, 0);
    EXPECT_EQ(byId.IsValid(), 1);
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, below(L"AS")));

    CFRegKey unknown(HKEY_CURRENT_USER, 99999u, 1, 0);
    EXPECT_EQ(unknown.IsValid(), 0);

    // Relative to a parent, a missing string names the parent's own key.
    CFRegKey parent(HKEY_CURRENT_USER, L"Global", 1, 0);
    CFRegKey self(parent, 99999u, 0, 0);
    ASSERT_EQ(self.IsValid(), 1);
    ASSERT_EQ(self.WriteStr(L"Self", L"1"), 1);
    EXPECT_EQ(pt::sz(HKEY_CURRENT_USER, kKey, L"Self"), L"1");

    // The application's strings come first.
    SetApplicationStringLoader(customLoader);
    CFRegKey app(HKEY_CURRENT_USER, 500u, 1, 0);
    CFRegKey overridden(parent, 11753u, 1, 0);
    SetApplicationStringLoader(nullptr);
    EXPECT_EQ(app.IsValid(), 1);
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, below(L"App Key")));
    EXPECT_TRUE(pt::keyExists(HKEY_CURRENT_USER, kKey + L"\\Autosampler"));
}
