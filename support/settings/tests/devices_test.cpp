// Device configuration: records, lists by version and configuration,
// types, the autosampler key and a read-only machine hive.
#include "deviceconfig.h"
#include "ksfiles.h"
#include "pellumor_testutil.h"
#include "profilefuncs.h"

#include <gtest/gtest.h>

#include <cwctype>

using pt::below;

namespace {

using DeviceList = CArray<device_info, device_info&>;

class Devices : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The version is cached per process: take whatever is current.
        pt::setSz(HKEY_LOCAL_MACHINE, below(L"Global"), L"Version", L"Zyl 4.1a");
        m_current = GetTavrionVersionString().str();
        for (wchar_t ch : m_current)
            m_otherCase += ks::foldCase(ch) != ch ? ks::foldCase(ch) : ks::upperCase(ch);
    }

    // A device key with a type and, unless null, a "ZylVersion".
    void addDevice(const std::wstring& name, int type, const wchar_t* zylVersion)
    {
        const std::wstring path = below(L"Devices\\" + name);
        pt::setSz(HKEY_LOCAL_MACHINE, path, L"Device Type", std::to_wstring(type));
        pt::setSz(HKEY_LOCAL_MACHINE, path, L"Description", name + L" description");
        if (zylVersion)
            pt::setSz(HKEY_LOCAL_MACHINE, path, L"ZylVersion", zylVersion);
    }

    void configure(const std::wstring& name) { pt::createKey(HKEY_LOCAL_MACHINE, below(L"CurrentConfig\\" + name)); }

    static std::vector<std::wstring> names(const DeviceList& list)
    {
        std::vector<std::wstring> out;
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            out.push_back(list[i].Name.str());
        return out;
    }

    std::wstring m_current;
    std::wstring m_otherCase;
};

}  // namespace

TEST_F(Devices, RecordsAreWrittenAndReadBack)
{
    device_info d;
    d.Name = L"Quad";
    d.UI = L"ui";
    d.CFGUI = L"cfgui";
    d.Status = L"ok";
    d.VirDev = L"virdev";
    d.Description = L"A quadrupole";
    d.ReqDev = L"req";
    d.HlpFName = L"quad.hlp";
    d.HlpFLbl = L"Quad help";
    d.TuneHlpFName = L"tune.hlp";
    d.TuneHlpFLbl = L"Tune help";
    d.DirectControlOCX = L"ctl";
    d.Version = L"2.0";
    d.ZylVersion = L"3.0";
    d.DeviceType = DEVICE_TYPE_MS;
    d.AppID = L"{app}";
    d.ServerName = L"Server";
    d.ServerShortName = L"Srv";
    const std::wstring path = below(L"Devices\\Quad");
    pt::setSz(HKEY_LOCAL_MACHINE, path, L"Extra", L"kept");
    ASSERT_EQ(AddOrReplaceDeviceInfo(d), 1);
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, path, L"Device Type"), L"0");
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, path, L"TuneHlpFLbl"), L"Tune help");
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, path, L"Extra"), L"kept");
    EXPECT_FALSE(pt::valueExists(HKEY_LOCAL_MACHINE, path, L"Name"));

    device_info back;
    back.Name = L"quad";
    ASSERT_EQ(GetDeviceInfo(back), 1);
    EXPECT_EQ(back.Description, L"A quadrupole");
    EXPECT_EQ(back.ServerShortName, L"Srv");
    EXPECT_EQ(back.ZylVersion, L"3.0");
    EXPECT_EQ(back.DeviceType, DEVICE_TYPE_MS);

    // Members without a value keep their text; the versions fall back to
    // the data-system version.
    addDevice(L"Bare", DEVICE_TYPE_LC, nullptr);
    device_info old = d;
    old.Name = L"Bare";
    ASSERT_EQ(GetDeviceInfo(old), 1);
    EXPECT_EQ(old.UI, L"ui");
    EXPECT_EQ(old.Description, L"Bare description");
    EXPECT_EQ(old.Version, m_current.c_str());
    EXPECT_EQ(old.ZylVersion, m_current.c_str());
    EXPECT_EQ(old.DeviceType, DEVICE_TYPE_LC);

    device_info missing;
    missing.Name = L"Ghost";
    missing.UI = L"untouched";
    EXPECT_EQ(GetDeviceInfo(missing), 0);
    EXPECT_EQ(missing.UI, L"untouched");
}

TEST_F(Devices, ListsFollowTheDataSystemVersionWithoutRegardToCase)
{
    addDevice(L"Alpha", DEVICE_TYPE_MS, nullptr);
    addDevice(L"beta", DEVICE_TYPE_LC, m_otherCase.c_str());
    addDevice(L"Gamma", DEVICE_TYPE_GC, L"1.0");
    pt::createKey(HKEY_LOCAL_MACHINE, below(L"Devices\\NoType"));

    DeviceList list;
    EXPECT_EQ(GetAvailableDevicesInfo(list, 0), 3);
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"Alpha", L"beta", L"NoType"}));
    EXPECT_EQ(list[0].ZylVersion, m_current.c_str());
    EXPECT_EQ(list[1].ZylVersion, m_otherCase.c_str());
    EXPECT_EQ(list[0].Description, L"Alpha description");
    EXPECT_EQ(list[2].DeviceType, DEVICE_TYPE_INVALID);
    EXPECT_EQ(list[2].Description, L"");
    EXPECT_EQ(GetAvailableDevicesInfo(list, 1), 4);
    EXPECT_EQ(list[2].Name, L"Gamma");
    EXPECT_EQ(list[2].ZylVersion, L"1.0");

    configure(L"Gamma");
    CWordArray flags;
    flags.Add(7);
    EXPECT_EQ(GetOutOfDateDevicesInfo(list, flags), 1);
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"Gamma"}));
    addDevice(L"Delta", DEVICE_TYPE_OTHER, L"0.9");
    EXPECT_EQ(GetOutOfDateDevicesInfo(list, flags), 2);
    ASSERT_EQ(flags.GetSize(), 4);
    EXPECT_EQ(flags[0], 7);
    EXPECT_EQ(flags[1], 1);
    EXPECT_EQ(flags[2], 0);  // Delta: not configured
    EXPECT_EQ(flags[3], 1);  // Gamma
}

TEST_F(Devices, CurrentConfigurationAddAndRemove)
{
    DeviceList list;
    EXPECT_EQ(GetConfiguredDevicesInfo(list, 1), 0);
    EXPECT_EQ(RemoveDeviceFromCurrentConfig(CString(L"Alpha")), 0);

    addDevice(L"Alpha", DEVICE_TYPE_MS, nullptr);
    addDevice(L"Old", DEVICE_TYPE_MS, L"0.1");
    EXPECT_EQ(AddDeviceToCurrentConfig(CString(L"Alpha")), 1);
    EXPECT_EQ(AddDeviceToCurrentConfig(CString(L"Old")), 1);
    EXPECT_EQ(AddDeviceToCurrentConfig(CString(L"Ghost")), 0);
    EXPECT_TRUE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"CurrentConfig\\Alpha")));
    EXPECT_FALSE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"CurrentConfig\\Ghost")));
    configure(L"Ghost");  // configured but not described: left out

    EXPECT_EQ(GetConfiguredDevicesInfo(list, 0), 1);
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"Alpha"}));
    EXPECT_EQ(GetConfiguredDevicesInfo(list, 1), 2);
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"Alpha", L"Old"}));

    EXPECT_EQ(RemoveDeviceFromCurrentConfig(CString(L"Alpha")), 1);
    EXPECT_FALSE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"CurrentConfig\\Alpha")));
    EXPECT_TRUE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"Devices\\Alpha")));
    EXPECT_EQ(GetConfiguredDevicesInfo(list, 0), 0);
    EXPECT_EQ(list.GetSize(), 0);

    EXPECT_EQ(DeleteDeviceInfo(CString(L"Old")), 1);
    EXPECT_FALSE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"CurrentConfig\\Old")));
    EXPECT_FALSE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"Devices\\Old")));
    EXPECT_TRUE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"Devices\\Alpha")));
}

TEST_F(Devices, DevicesOfTypeAndTheAutosamplerKey)
{
    addDevice(L"MS1", DEVICE_TYPE_MS, nullptr);
    addDevice(L"AS1", DEVICE_TYPE_AS, nullptr);
    addDevice(L"AS2", DEVICE_TYPE_AS, L"old");
    pt::setSz(HKEY_LOCAL_MACHINE, below(L"Devices\\AS1"), L"Tray", L"96");
    for (const wchar_t* name : {L"MS1", L"AS1", L"AS2"})
        configure(name);

    CStringArray found;
    found.Add(L"stale");
    EXPECT_EQ(GetConfiguredDevicesOfType(DEVICE_TYPE_AS, found, 0), 1);
    EXPECT_EQ(found[0], L"AS1");
    EXPECT_EQ(GetConfiguredDevicesOfType(DEVICE_TYPE_AS, found, 1), 2);
    EXPECT_EQ(GetConfiguredDevicesOfType(DEVICE_TYPE_ALL, found, 0), 2);
    EXPECT_EQ(GetConfiguredDevicesOfType(DEVICE_TYPE_GC, found, 1), 0);
    EXPECT_EQ(found.GetSize(), 0);

    CFRegKey key;
    ASSERT_EQ(GetCurrentAutosamplerKey(key), 1);
    CString tray;
    EXPECT_EQ(key.ReadStr(L"Tray", tray), 1);
    EXPECT_EQ(tray, L"96");

    // Two current autosamplers: 0, and the key is left alone.
    addDevice(L"AS2", DEVICE_TYPE_AS, m_current.c_str());
    EXPECT_EQ(GetConfiguredDevicesOfType(DEVICE_TYPE_AS, found, 0), 2);
    CFRegKey other(HKEY_LOCAL_MACHINE, L"Devices\\MS1", 0, 0);
    EXPECT_EQ(GetCurrentAutosamplerKey(other), 0);
    CString description;
    EXPECT_EQ(other.ReadStr(L"Description", description), 1);
    EXPECT_EQ(description, L"MS1 description");

    CFRegKey defaults(HKEY_CURRENT_USER, L"Anything", 1, 0);
    EXPECT_EQ(GetMassSpecDefaultsKey(defaults), 0);
    EXPECT_EQ(defaults.IsValid(), 0);
    pt::setSz(HKEY_LOCAL_MACHINE, below(L"Defaults\\Mass Spectrometer"), L"Source", L"ESI");
    EXPECT_EQ(GetMassSpecDefaultsKey(defaults), 1);
    CString source;
    EXPECT_EQ(defaults.ReadStr(L"Source", source), 1);
    EXPECT_EQ(source, L"ESI");

    CString devicesKey;
    GetDevicesRegistryKey(devicesKey);
    EXPECT_EQ(devicesKey, L"Devices");
}

namespace {
int renamingLoader(UINT id, CString& text)
{
    if (id != 11750)
        return 0;
    text = L"Mass Spec";
    return 1;
}
}  // namespace

TEST_F(Devices, TypeNamesComeFromTheStringTable)
{
    struct Case {
        int type;
        const wchar_t* name;
    } cases[] = {{0, L"MS"},       {1, L"LC"},    {2, L"GC"},  {3, L"AS"},      {4, L"Detector"},
                 {5, L"Other"},    {6, L"All"},   {7, L"Invalid"}, {9, L"Invalid"}, {-1, L"Invalid"}};
    for (const Case& c : cases) {
        CString name(L"old");
        CString& same = TranslateDeviceTypeToString(static_cast<eDeviceTypes>(c.type), name);
        EXPECT_EQ(&same, &name);
        EXPECT_EQ(name, c.name) << c.type;
    }

    CArray<device_type_info, device_type_info&> types;
    device_type_info stale;
    types.Add(stale);
    EXPECT_EQ(GetDeviceTypeInfo(types), 7);
    ASSERT_EQ(types.GetSize(), 7);
    EXPECT_EQ(types[0].Name, L"MS");
    EXPECT_EQ(types[0].Type, 0);
    EXPECT_EQ(types[6].Name, L"All");
    EXPECT_EQ(types[6].Type, 6);

    SetApplicationStringLoader(renamingLoader);
    CString name;
    TranslateDeviceTypeToString(DEVICE_TYPE_MS, name);
    EXPECT_EQ(GetDeviceTypeInfo(types), 7);
    SetApplicationStringLoader(nullptr);
    EXPECT_EQ(name, L"Mass Spec");
    EXPECT_EQ(types[0].Name, L"Mass Spec");
    EXPECT_EQ(types[1].Name, L"LC");
}

TEST_F(Devices, ReadOnlyMachineHiveListsNothing)
{
    addDevice(L"Alpha", DEVICE_TYPE_AS, nullptr);
    configure(L"Alpha");
    pt::ReadOnlyHive ro(HKEY_LOCAL_MACHINE);

    DeviceList list;
    EXPECT_EQ(GetAvailableDevicesInfo(list, 1), 0);
    EXPECT_EQ(GetConfiguredDevicesInfo(list, 1), 0);
    CWordArray flags;
    EXPECT_EQ(GetOutOfDateDevicesInfo(list, flags), 0);
    CStringArray found;
    EXPECT_EQ(GetConfiguredDevicesOfType(DEVICE_TYPE_ALL, found, 1), 0);
    CFRegKey key;
    EXPECT_EQ(GetCurrentAutosamplerKey(key), 0);

    // Reading one record works; writes fail where a key must be created
    // and write nothing where it exists.
    device_info d;
    d.Name = L"Alpha";
    EXPECT_EQ(GetDeviceInfo(d), 1);
    EXPECT_EQ(d.DeviceType, DEVICE_TYPE_AS);
    d.Description = L"changed";
    EXPECT_EQ(AddOrReplaceDeviceInfo(d), 1);
    EXPECT_EQ(pt::sz(HKEY_LOCAL_MACHINE, below(L"Devices\\Alpha"), L"Description"), L"Alpha description");
    d.Name = L"New";
    EXPECT_EQ(AddOrReplaceDeviceInfo(d), 0);
    EXPECT_EQ(AddDeviceToCurrentConfig(CString(L"Alpha")), 1);
    EXPECT_EQ(RemoveDeviceFromCurrentConfig(CString(L"Alpha")), 1);
    EXPECT_TRUE(pt::keyExists(HKEY_LOCAL_MACHINE, below(L"CurrentConfig\\Alpha")));
}
