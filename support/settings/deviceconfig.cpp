// Device configuration: the device records and the current configuration.
#include "deviceconfig.h"
#include "pellumor_p.h"
#include "profilefuncs.h"

namespace {

const wchar_t kDevices[] = L"Devices";
const wchar_t kCurrentConfig[] = L"CurrentConfig";
constexpr UINT kFirstDeviceTypeString = 11750;

CString devicePath(const CString& name)
{
    return CString(L"Devices\\") + name;
}

bool keyExists(const CString& path)
{
    CFRegKey key(HKEY_LOCAL_MACHINE, path, 0, 0);
    return key.IsValid() != 0;
}

// A string value into a member; missing leaves the member as it is.
void readMember(CFRegKey& key, const wchar_t* name, CString& member)
{
    CString value;
    if (key.ReadStr(name, value))
        member = value;
}

// Every member from the device's key (the key must exist). Version and
// ZylVersion fall back to the data-system version; a missing
// "Device Type" is Invalid.
void readDevice(CFRegKey& key, device_info& d)
{
    readMember(key, L"UI", d.UI);
    readMember(key, L"CFGUI", d.CFGUI);
    readMember(key, L"Status", d.Status);
    readMember(key, L"VirDev", d.VirDev);
    readMember(key, L"Description", d.Description);
    readMember(key, L"ReqDev", d.ReqDev);
    readMember(key, L"HlpFName", d.HlpFName);
    readMember(key, L"HlpFLbl", d.HlpFLbl);
    readMember(key, L"TuneHlpFName", d.TuneHlpFName);
    readMember(key, L"TuneHlpFLbl", d.TuneHlpFLbl);
    readMember(key, L"DirectControlOCX", d.DirectControlOCX);
    readMember(key, L"AppID", d.AppID);
    readMember(key, L"ServerName", d.ServerName);
    readMember(key, L"ServerShortName", d.ServerShortName);
    if (!key.ReadStr(L"Version", d.Version))
        d.Version = GetTavrionVersionString();
    if (!key.ReadStr(L"ZylVersion", d.ZylVersion))
        d.ZylVersion = GetTavrionVersionString();
    int type = DEVICE_TYPE_INVALID;
    key.ReadInt(L"Device Type", &type);
    d.DeviceType = type;
}

// Appends the current devices (or all, with the flag) of the listed names.
int collect(const CStringArray& names, CArray<device_info, device_info&>& devices, int bIncludeAll)
{
    int count = 0;
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        CFRegKey key(HKEY_LOCAL_MACHINE, devicePath(names[i]), 0, 0);
        if (!key.IsValid())
            continue;
        device_info d;
        CString zylVersion;
        bool matches = true;
        if (key.ReadStr(L"ZylVersion", zylVersion))
            matches = zylVersion.CompareNoCase(GetTavrionVersionString()) == 0;
        if (!bIncludeAll && !matches)
            continue;
        readDevice(key, d);
        d.Name = names[i];
        devices.Add(d);
        ++count;
    }
    return count;
}

int listDevices(const wchar_t* section, CArray<device_info, device_info&>& devices, int bIncludeAll)
{
    devices.RemoveAll();
    CStringArray names;
    if (FEnumKeys(section, names) == 0)
        return 0;
    return collect(names, devices, bIncludeAll);
}

}  // namespace

int GetConfiguredDevicesInfo(CArray<device_info, device_info&>& devices, int bIncludeAll)
{
    return listDevices(kCurrentConfig, devices, bIncludeAll);
}

int GetAvailableDevicesInfo(CArray<device_info, device_info&>& devices, int bIncludeAll)
{
    return listDevices(kDevices, devices, bIncludeAll);
}

int GetOutOfDateDevicesInfo(CArray<device_info, device_info&>& devices, CWordArray& configured)
{
    devices.RemoveAll();
    CStringArray names;
    if (FEnumKeys(kDevices, names) == 0)
        return 0;
    int count = 0;
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        CFRegKey key(HKEY_LOCAL_MACHINE, devicePath(names[i]), 0, 0);
        if (!key.IsValid())
            continue;
        CString zylVersion;
        if (!key.ReadStr(L"ZylVersion", zylVersion) || zylVersion.CompareNoCase(GetTavrionVersionString()) == 0)
            continue;
        device_info d;
        readDevice(key, d);
        d.Name = names[i];
        devices.Add(d);
        configured.Add(keyExists(CString(L"CurrentConfig\\") + names[i]) ? 1 : 0);
        ++count;
    }
    return count;
}

int GetDeviceInfo(device_info& device)
{
    CFRegKey key(HKEY_LOCAL_MACHINE, devicePath(device.Name), 0, 0);
    if (!key.IsValid())
        return 0;
    readDevice(key, device);
    return 1;
}

int AddOrReplaceDeviceInfo(device_info& device)
{
    CFRegKey key(HKEY_LOCAL_MACHINE, devicePath(device.Name), 1, 0);
    if (!key.IsValid())
        return 0;
    key.WriteStr(L"UI", device.UI);
    key.WriteStr(L"CFGUI", device.CFGUI);
    key.WriteStr(L"Status", device.Status);
    key.WriteStr(L"VirDev", device.VirDev);
    key.WriteStr(L"Description", device.Description);
    key.WriteStr(L"ReqDev", device.ReqDev);
    key.WriteStr(L"HlpFName", device.HlpFName);
    key.WriteStr(L"HlpFLbl", device.HlpFLbl);
    key.WriteStr(L"TuneHlpFName", device.TuneHlpFName);
    key.WriteStr(L"TuneHlpFLbl", device.TuneHlpFLbl);
    key.WriteStr(L"Version", device.Version);
    key.WriteStr(L"ZylVersion", device.ZylVersion);
    key.WriteStr(L"DirectControlOCX", device.DirectControlOCX);
    key.WriteInt(L"Device Type", device.DeviceType);
    key.WriteStr(L"AppID", device.AppID);
    key.WriteStr(L"ServerName", device.ServerName);
    key.WriteStr(L"ServerShortName", device.ServerShortName);
    return 1;
}

int AddDeviceToCurrentConfig(const CString& strName)
{
    device_info device;
    device.Name = strName;
    if (!GetDeviceInfo(device))
        return 0;
    CFRegKey key(HKEY_LOCAL_MACHINE, CString(L"CurrentConfig\\") + strName, 1, 0);
    return key.IsValid();
}

int RemoveDeviceFromCurrentConfig(const CString& strName)
{
    CFRegKey key(HKEY_LOCAL_MACHINE, kCurrentConfig, 0, 0);
    if (!key.IsValid())
        return 0;
    key.Delete(strName);
    return 1;
}

int DeleteDeviceInfo(const CString& strName)
{
    RemoveDeviceFromCurrentConfig(strName);
    CFRegKey key(HKEY_LOCAL_MACHINE, kDevices, 1, 0);
    if (!key.IsValid())
        return 0;
    key.Delete(strName);
    return 1;
}

int GetConfiguredDevicesOfType(eDeviceTypes eType, CStringArray& names, int bIncludeAll)
{
    names.RemoveAll();
    CArray<device_info, device_info&> devices;
    if (GetConfiguredDevicesInfo(devices, bIncludeAll) == 0)
        return 0;
    for (INT_PTR i = 0; i < devices.GetSize(); ++i) {
        if (eType == DEVICE_TYPE_ALL || devices[i].DeviceType == eType)
            names.Add(devices[i].Name);
    }
    return int(names.GetSize());
}

int GetCurrentAutosamplerKey(CFRegKey& key)
{
    CStringArray names;
    if (GetConfiguredDevicesOfType(DEVICE_TYPE_AS, names, 0) != 1)
        return 0;
    return key.Init(HKEY_LOCAL_MACHINE, devicePath(names[0]), 0);
}

int GetMassSpecDefaultsKey(CFRegKey& key)
{
    key = CFRegKey(HKEY_LOCAL_MACHINE, L"Defaults\\Mass Spectrometer", 0, 0);
    return key.IsValid();
}

void GetDevicesRegistryKey(CString& strKey)
{
    strKey = kDevices;
}

CString& TranslateDeviceTypeToString(eDeviceTypes eType, CString& strName)
{
    strName.Empty();
    const UINT id = eType >= DEVICE_TYPE_MS && eType <= DEVICE_TYPE_ALL ? kFirstDeviceTypeString + UINT(eType)
                                                                        : kFirstDeviceTypeString + DEVICE_TYPE_INVALID;
    pellumor::loadString(id, strName);
    return strName;
}

int GetDeviceTypeInfo(CArray<device_type_info, device_type_info&>& types)
{
    types.RemoveAll();
    for (int type = DEVICE_TYPE_MS; type <= DEVICE_TYPE_ALL; ++type) {
        device_type_info info;
        TranslateDeviceTypeToString(static_cast<eDeviceTypes>(type), info.Name);
        info.Type = type;
        types.Add(info);
    }
    return int(types.GetSize());
}
