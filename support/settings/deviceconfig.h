// The instrument configuration of the data system in the machine hive,
// below the top registry key: "Devices\<name>" describes each installed
// device, "CurrentConfig\<name>" lists the devices of the current
// configuration. A device is current when its "ZylVersion" is missing or
// equals the data-system version without regard to case.
#pragma once

#include "fregkey.h"

enum eDeviceTypes : int32_t {
    DEVICE_TYPE_MS = 0,
    DEVICE_TYPE_LC = 1,
    DEVICE_TYPE_GC = 2,
    DEVICE_TYPE_AS = 3,  // autosampler
    DEVICE_TYPE_DETECTOR = 4,
    DEVICE_TYPE_OTHER = 5,
    DEVICE_TYPE_ALL = 6,  // matches every type when listing by type
    DEVICE_TYPE_INVALID = 7,
};

// One device; every member but Name (the key name) and DeviceType is a
// REG_SZ value of the same name ("Device Type" holds DeviceType as text).
struct device_info {
    CString UI;
    CString CFGUI;
    CString Status;
    CString VirDev;
    CString Description;
    CString Name;
    CString ReqDev;
    CString HlpFName;
    CString HlpFLbl;
    CString TuneHlpFName;
    CString TuneHlpFLbl;
    CString DirectControlOCX;
    CString Version;
    CString ZylVersion;
    int DeviceType = DEVICE_TYPE_INVALID;
    CString AppID;
    CString ServerName;
    CString ServerShortName;
};

struct device_type_info {
    CString Name;
    int Type = DEVICE_TYPE_INVALID;
};

// The device lists: their number of records. Without the include-all flag
// only current devices are listed. Listing needs write access to the
// machine hive (the sections are opened for reading and writing).
PELLUMOR_API int GetConfiguredDevicesInfo(CArray<device_info, device_info&>& devices, int bIncludeAll);
PELLUMOR_API int GetAvailableDevicesInfo(CArray<device_info, device_info&>& devices, int bIncludeAll);
// Devices set up for another data-system version; for each, 1 or 0 is
// appended to the flags (the array is not emptied): configured or not.
PELLUMOR_API int GetOutOfDateDevicesInfo(CArray<device_info, device_info&>& devices, CWordArray& configured);

// In: Name; out: the rest. Values missing from the registry leave their
// member as it was.
PELLUMOR_API int GetDeviceInfo(device_info& device);
PELLUMOR_API int AddOrReplaceDeviceInfo(device_info& device);
PELLUMOR_API int DeleteDeviceInfo(const CString& strName);
PELLUMOR_API int AddDeviceToCurrentConfig(const CString& strName);
PELLUMOR_API int RemoveDeviceFromCurrentConfig(const CString& strName);
// Names of the configured devices of one type (DEVICE_TYPE_ALL: all).
PELLUMOR_API int GetConfiguredDevicesOfType(eDeviceTypes eType, CStringArray& names, int bIncludeAll);
// The key of the one configured autosampler; 0 (key untouched) unless
// there is exactly one.
PELLUMOR_API int GetCurrentAutosamplerKey(CFRegKey& key);
PELLUMOR_API int GetMassSpecDefaultsKey(CFRegKey& key);
PELLUMOR_API void GetDevicesRegistryKey(CString& strKey);
// The display name of a type (string resources 11750 to 11757).
PELLUMOR_API CString& TranslateDeviceTypeToString(eDeviceTypes eType, CString& strName);
// The seven types from MS (0) to All (6) with their display names.
PELLUMOR_API int GetDeviceTypeInfo(CArray<device_type_info, device_type_info&>& types);
