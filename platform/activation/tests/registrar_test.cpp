// The registrar helpers and the key layout they write.
#include "acttest.h"
#include "testcomponent.h"

#include "ksregistrar.h"

using namespace acttest;

namespace {

const std::string kSample = "{6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A11}";
const std::string kPlain = "{6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A12}";
const std::string kLib = "{6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A1F}";

std::string sz(const std::string& text)
{
    return "@=sz:\"" + text + "\\0\"\n";
}

// The keys of one class as ksreg prints them below HKEY_CLASSES_ROOT\CLSID.
std::string classKeys(const std::string& clsid, const std::string& name, bool typeLib, const std::string& module)
{
    const std::string k = "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid;
    return k + "]\n" + sz(name + " Class") + "\n" +
           k + "\\InprocServer32]\n" + sz(module) + "\"ThreadingModel\"=sz:\"Apartment\\0\"\n\n" +
           k + "\\ProgID]\n" + sz("KSActivationTest." + name + ".1") + "\n" +
           k + "\\Programmable]\n\n" +
           (typeLib ? k + "\\TypeLib]\n" + sz(kLib) + "\n" : std::string()) +
           k + "\\VersionIndependentProgID]\n" + sz("KSActivationTest." + name) + "\n";
}

std::string progIdKeys(const std::string& clsid, const std::string& name)
{
    const std::string vi = "[HKEY_CLASSES_ROOT\\KSActivationTest." + name;
    return vi + "]\n" + sz(name + " Class") + "\n" +
           vi + "\\CLSID]\n" + sz(clsid) + "\n" +
           vi + "\\CurVer]\n" + sz("KSActivationTest." + name + ".1") + "\n" +
           vi + ".1]\n" + sz(name + " Class") + "\n" +
           vi + ".1\\CLSID]\n" + sz(clsid) + "\n";
}

ks::test::RunResult dumpClasses()
{
    return tool("ksreg", {"dump", "HKCR"});
}

}  // namespace

// What ksregsvr writes for the test component, as ksreg shows it, and what
// ksregsvr -u leaves behind.
TEST(Registrar, LayoutShownByKsreg)
{
    const std::string module = componentPath();
    auto r = tool("ksregsvr", {module});
    ASSERT_EQ(0, r.exitCode) << r.err;
    r = dumpClasses();
    ASSERT_EQ(0, r.exitCode) << r.err;
    const std::string typeLib = "[HKEY_CLASSES_ROOT\\TypeLib\\" + kLib;
    EXPECT_EQ("[HKEY_CLASSES_ROOT]\n\n"
              "[HKEY_CLASSES_ROOT\\CLSID]\n\n" +
                  classKeys(kSample, "Sample", true, module) + classKeys(kPlain, "Plain", false, module) +
                  progIdKeys(kPlain, "Plain") + progIdKeys(kSample, "Sample") +
                  "[HKEY_CLASSES_ROOT\\TypeLib]\n\n" +
                  typeLib + "]\n\n" +
                  typeLib + "\\1.0]\n" + sz("KSActivationTest 1.0 Type Library") + "\n" +
                  typeLib + "\\1.0\\409]\n\n" +
                  typeLib + "\\1.0\\409\\win32]\n" + sz(module) + "\n" +
                  typeLib + "\\1.0\\FLAGS]\n" + sz("0") + "\n" +
                  typeLib + "\\1.0\\HELPDIR]\n" + sz(KS_LIB_DIR) + "\n",
              r.out);

    r = tool("ksregsvr", {"-u", module});
    ASSERT_EQ(0, r.exitCode) << r.err;
    r = dumpClasses();
    EXPECT_EQ("[HKEY_CLASSES_ROOT]\n\n"
              "[HKEY_CLASSES_ROOT\\CLSID]\n\n"
              "[HKEY_CLASSES_ROOT\\TypeLib]\n\n",
              r.out);
}

// Registration replaces the class key whole; unregistration removes only
// what the layout names, and keeps keys that others put next to it.
TEST(Registrar, ReplacesTheClassKeyAndSparesOthers)
{
    const std::wstring classKey = L"CLSID\\" + ks::guidToString(CLSID_ActivationSample);
    const std::wstring otherClass = L"CLSID\\{6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A40}";
    const std::wstring libKey = L"TypeLib\\" + ks::guidToString(LIBID_ActivationTest);
    setText(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", L"", L"stale");
    setText(HKEY_CLASSES_ROOT, classKey, L"Stale", L"value");
    setText(HKEY_CLASSES_ROOT, otherClass + L"\\InprocServer32", L"", L"/elsewhere/other.so");
    setText(HKEY_CLASSES_ROOT, L"KSActivationTest.Sample\\Insertable", L"", L"");
    setText(HKEY_CLASSES_ROOT, libKey + L"\\2.0", L"", L"Another version");

    auto r = tool("ksregsvr", {componentPath()});
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32"));
    EXPECT_EQ(std::nullopt, defaultText(HKEY_CLASSES_ROOT, classKey, L"Stale"));
    EXPECT_EQ(L"Sample Class", defaultText(HKEY_CLASSES_ROOT, classKey));

    r = tool("ksregsvr", {"-u", componentPath()});
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey));
    EXPECT_EQ(L"/elsewhere/other.so", defaultText(HKEY_CLASSES_ROOT, otherClass + L"\\InprocServer32"));
    // The ProgID key holds something that is not ours: only our subkeys go.
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, L"KSActivationTest.Sample\\Insertable"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"KSActivationTest.Sample\\CLSID"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"KSActivationTest.Sample\\CurVer"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"KSActivationTest.Sample.1"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, libKey + L"\\1.0"));
    EXPECT_EQ(L"Another version", defaultText(HKEY_CLASSES_ROOT, libKey + L"\\2.0"));
}

TEST(Registrar, GenericLayouts)
{
    using ks::KeyRemoval;
    const std::vector<ks::RegistryKeyLayout> layout{
        {L"Kept", KeyRemoval::NoRemove, {ks::stringValue(L"", L"root")},
         {{L"Forced", KeyRemoval::ForceRemove, {ks::dwordValue(L"Flags", 0x2a)}, {}},
          {L"Plain", KeyRemoval::Remove, {ks::stringValue(L"Name", L"x")}, {}}}}};
    HKEY root = HKEY_CURRENT_USER;
    setText(root, L"Kept\\Forced\\Old", L"", L"replaced");
    setText(root, L"Kept\\Plain\\Foreign", L"", L"stays");
    ASSERT_EQ(S_OK, ks::writeKeyLayout(root, layout));
    EXPECT_FALSE(keyExists(root, L"Kept\\Forced\\Old"));
    EXPECT_TRUE(keyExists(root, L"Kept\\Plain\\Foreign"));
    EXPECT_EQ(L"x", defaultText(root, L"Kept\\Plain", L"Name"));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(root, L"Kept\\Forced", 0, KEY_READ, &key));
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Flags", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size));
    EXPECT_EQ(REG_DWORD, type);
    EXPECT_EQ(0x2au, value);
    RegCloseKey(key);

    ASSERT_EQ(S_OK, ks::removeKeyLayout(root, layout));
    EXPECT_EQ(L"root", defaultText(root, L"Kept"));
    EXPECT_FALSE(keyExists(root, L"Kept\\Forced"));
    EXPECT_TRUE(keyExists(root, L"Kept\\Plain\\Foreign"));
    RegDeleteTreeW(root, L"Kept\\Plain\\Foreign");
    ASSERT_EQ(S_OK, ks::removeKeyLayout(root, layout));
    EXPECT_FALSE(keyExists(root, L"Kept\\Plain"));
    EXPECT_TRUE(keyExists(root, L"Kept"));
    // Removing what is not there is no failure and creates nothing.
    RegDeleteTreeW(root, L"Kept");
    EXPECT_EQ(S_OK, ks::removeKeyLayout(root, layout));
    EXPECT_FALSE(keyExists(root, L"Kept"));

    // Bad names are refused before anything is written.
    for (const wchar_t* bad : {L"", L"a\\b"}) {
        std::vector<ks::RegistryKeyLayout> wrong = layout;
        wrong[0].subkeys.push_back({bad, KeyRemoval::Remove, {}, {}});
        EXPECT_EQ(E_INVALIDARG, ks::writeKeyLayout(root, wrong));
        EXPECT_EQ(E_INVALIDARG, ks::removeKeyLayout(root, wrong));
        EXPECT_FALSE(keyExists(root, L"Kept"));
    }
}

TEST(Registrar, FailuresAreAnswered)
{
    const ks::ClassRegistration cls =
        ks::classRegistration(L"KSActivationTest", L"Sample", CLSID_ActivationSample, &LIBID_ActivationTest);
    const ks::TypeLibRegistration lib{LIBID_ActivationTest, 1, 0, 0, L"KSActivationTest 1.0 Type Library"};
    EXPECT_EQ(SELFREG_E_CLASS, ks::registerClass(cls, L""));
    EXPECT_EQ(SELFREG_E_TYPELIB, ks::registerTypeLib(lib, L""));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"TypeLib"));

    const std::wstring libKey = L"TypeLib\\" + ks::guidToString(LIBID_ActivationTest) + L"\\1.0";
    ASSERT_EQ(S_OK, ks::registerClass(cls, L"/opt/x/component.so"));
    ASSERT_EQ(S_OK, ks::registerTypeLib(lib, L"/opt/x/component.so"));
    EXPECT_EQ(L"/opt/x", defaultText(HKEY_CLASSES_ROOT, libKey + L"\\HELPDIR"));
    EXPECT_EQ(L"/opt/x/component.so", defaultText(HKEY_CLASSES_ROOT, libKey + L"\\0\\win32"));

    ASSERT_EQ(ERROR_SUCCESS, KsRegSetHiveReadOnly(HKEY_LOCAL_MACHINE, TRUE));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), ks::registerClass(cls, L"/opt/y/component.so"));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), ks::registerTypeLib(lib, L"/opt/y/component.so"));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), ks::unregisterClass(cls));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), ks::unregisterTypeLib(lib));
    ASSERT_EQ(ERROR_SUCCESS, KsRegSetHiveReadOnly(HKEY_LOCAL_MACHINE, FALSE));
    const std::wstring inproc = L"CLSID\\" + ks::guidToString(CLSID_ActivationSample) + L"\\InprocServer32";
    EXPECT_EQ(L"/opt/x/component.so", defaultText(HKEY_CLASSES_ROOT, inproc));

    EXPECT_EQ(S_OK, ks::unregisterClass(cls));
    EXPECT_EQ(S_OK, ks::unregisterTypeLib(lib));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, inproc));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + ks::guidToString(LIBID_ActivationTest)));
}

TEST(Registrar, ClassNaming)
{
    const GUID lib = ks::guid("2B0B0D9E-7516-495C-8243-90AEFFAE5B02");
    const CLSID clsid = ks::guid("6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A50");
    ks::ClassRegistration c = ks::classRegistration(L"KSAgilentProvider", L"KSLCMSDProvider", clsid, &lib);
    EXPECT_EQ(L"KSAgilentProvider.KSLCMSDProvider.1", c.progId);
    EXPECT_EQ(L"KSAgilentProvider.KSLCMSDProvider", c.versionIndependentProgId);
    EXPECT_EQ(L"KSLCMSDProvider Class", c.description);
    ASSERT_TRUE(c.typeLib.has_value());
    EXPECT_EQ(lib, *c.typeLib);
    EXPECT_FALSE(ks::classRegistration(L"Ombrel", L"Ombrel", clsid).typeLib.has_value());

    // A class without ProgIDs gets only its CLSID key.
    c.progId.clear();
    c.versionIndependentProgId.clear();
    ASSERT_EQ(S_OK, ks::registerClass(c, L"/opt/x/p.so"));
    const std::wstring key = L"CLSID\\" + ks::guidToString(clsid);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, key + L"\\ProgID"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, key + L"\\VersionIndependentProgID"));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, key + L"\\Programmable"));
    EXPECT_EQ(ks::guidToString(lib), defaultText(HKEY_CLASSES_ROOT, key + L"\\TypeLib"));
    ASSERT_EQ(S_OK, ks::unregisterClass(c));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, key));
}
