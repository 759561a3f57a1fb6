// Settings stored in the registry: values of every stored type, their
// bytes taken from the input (strings of any length and termination,
// multi-strings, binary, DWORD, QWORD, unknown types), placed under every
// key and name the settings functions read, in both hives. Whatever they
// hold, every Get function, the profile functions, the device lists and
// the typed reads of CFRegKey answer without crashing, and a read that
// succeeds returns something the caller can use.
#include "ksfuzz.h"
#include "kshive.h"
#include "pellumor.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Stored {
    DWORD type;
    std::string data;
};

// Type, length and bytes per value; a type byte with its high bit set asks
// for well-formed text made of the bytes (so that numbers and names parse).
std::vector<Stored> decode(const uint8_t* data, size_t size)
{
    static const DWORD kTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_QWORD,
                                   REG_NONE, 5 /* big-endian DWORD */, 6 /* link */, 0x12345678};
    std::vector<Stored> out;
    size_t at = 0;
    while (at < size && out.size() < 64) {
        const uint8_t t = data[at++];
        // The length byte is taken first; the bytes after it bound the length.
        size_t len = 0;
        if (at < size) {
            const size_t asked = data[at++];
            len = std::min(asked, size - at);
        }
        Stored s{kTypes[(t & 0x7F) % (sizeof kTypes / sizeof kTypes[0])], {}};
        if (t & 0x80) {
            std::wstring text(data + at, data + at + len);
            if (s.type == REG_MULTI_SZ) {
                for (wchar_t& c : text)
                    if (c == L'|')
                        c = L'\0';
                text.push_back(L'\0');
            }
            text.push_back(L'\0');
            s.data.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        } else {
            s.data.assign(reinterpret_cast<const char*>(data + at), len);
        }
        at += len;
        out.push_back(std::move(s));
    }
    return out;
}

// Each key below the top key and the values the functions read there.
struct KeyNames {
    const wchar_t* key;
    std::vector<const wchar_t*> names;
};

const std::vector<const wchar_t*> kDeviceNames = {
    L"UI",          L"CFGUI",       L"Status",  L"VirDev",      L"Description", L"ReqDev",
    L"HlpFName",    L"HlpFLbl",     L"TuneHlpFName", L"TuneHlpFLbl", L"DirectControlOCX", L"Version",
    L"ZylVersion",  L"Device Type", L"AppID",   L"ServerName",  L"ServerShortName"};
const std::vector<const wchar_t*> kScalingNames = {L"Use Absolute Scale", L"Get Label From Detector",
                                                   L"Default User Supplied Label"};

const KeyNames kKeys[] = {
    {L"Global",
     {L"Tavrion Path", L"Version", L"ProductVersion", L"Qelplt_ProporPitchFontName",
      L"Qelplt_ProporPitchFontMaxSize", L"Qelplt_ProporPitchFontMinSize", L"Qelplt_FixedPitchFontName",
      L"Qelplt_FixedPitchFontMaxSize", L"Qelplt_FixedPitchFontMinSize", L"MS Peak Detector Type",
      L"PDA or UV Peak Detector Type", L"Other Peak Detector Type", L"Peak Detector Type"}},
    {L"DefaultFolders", {L"MethodsFolders", L"DataFolders", L"ReportTemplatesFolders"}},
    {L"ZylReport", {L"Executable", L"Template Extension", L"Template Filter"}},
    {L"Global\\Mass Tolerance", {L"Unit", L"Tolerance Value", L"UseUserDefined"}},
    {L"Global\\Mass Defect", {L"Defect1", L"Mass1", L"Defect2", L"Mass2"}},
    {L"Global\\Mass Precision", {L"Default"}},
    {L"Global\\Retention Time Precision", {L"Default"}},
    {L"Global\\Scaling\\Mass Spectrometer", kScalingNames},
    {L"Global\\Scaling\\PDA Detector", kScalingNames},
    {L"Global\\Scaling\\Other Detector", kScalingNames},
    {L"Target\\Configuration",
     {L"ProcessingMode", L"MaxPeakIntensityExpected", L"TargetInstrumentName", L"TargetSpectralScaling"}},
    {L"Global\\Kivomer ShutDown", {L"ShutDownMode"}},
    {L"Devices\\MS1", kDeviceNames},
    {L"Devices\\AS1", kDeviceNames},
    {L"CurrentConfig\\MS1", {}},
    {L"CurrentConfig\\AS1", {}},
    {L"Defaults\\Mass Spectrometer", {}},
    {L"Section", {L"Value"}},
};

ks::reg::Key* ensurePath(ks::reg::Key& root, const std::wstring& path)
{
    ks::reg::Key* k = &root;
    size_t a = 0;
    while (a <= path.size()) {
        size_t b = path.find(L'\\', a);
        if (b == std::wstring::npos)
            b = path.size();
        if (b > a)
            k = k->ensureSubkey(path.substr(a, b - a));
        a = b + 1;
    }
    return k;
}

// Replaces the hive file (a new file each time, so the registry's cache of
// the old one never answers).
void writeHive(const std::string& hive, const std::vector<Stored>& values, size_t shift)
{
    ks::reg::Key root;
    ensurePath(root, L"Software\\Thru-Put\\Target");
    size_t n = shift;
    for (const KeyNames& k : kKeys) {
        ks::reg::Key* node = ensurePath(root, std::wstring(L"Software\\Pardinel\\Tavrion\\") + k.key);
        if (values.empty())
            continue;
        // The default value too.
        const Stored& d = values[n++ % values.size()];
        node->setValue(L"", d.type, d.data);
        for (const wchar_t* name : k.names) {
            const Stored& s = values[n++ % values.size()];
            node->setValue(name, s.type, s.data);
        }
    }
    const std::string folder = ks::fuzz::tempDir() + "/registry/";
    const std::string text = ks::reg::formatHive(root, hive);
    const std::string temp = folder + "next.tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    check(f && std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fclose(f) == 0);
    check(std::rename(temp.c_str(), (folder + hive + ".hive").c_str()) == 0);
}

void typedReads(const KeyNames& key)
{
    CFRegKey k(HKEY_LOCAL_MACHINE, key.key, 0, 0);
    std::vector<const wchar_t*> names = key.names;
    names.push_back(L"");
    for (const wchar_t* name : names) {
        CString s;
        k.ReadStr(name, s);
        for (DWORD size : {1u, 8u, 300u}) {
            std::vector<char> narrow(size + 8, '\x7F');
            if (k.ReadStr(name, narrow.data(), size))
                check(std::memchr(narrow.data(), '\0', size) != nullptr);
        }
        int i = 0;
        k.ReadInt(name, &i);
        double d = 0;
        k.ReadDouble(name, &d);
        CStringArray multi;
        k.ReadMultiStr(name, multi);
        for (DWORD size : {0u, 4u, 1024u}) {
            std::vector<unsigned char> bin(size + 1);
            DWORD length = size;
            if (k.ReadBin(name, bin.data(), &length))
                check(length <= size);
        }
        DWORD dw = 0;
        k.ReadDword(name, &dw);
    }
    CStringArray listed;
    k.GetSubkeyNames(listed);
    k.GetSubvalueNames(listed);
}

void settingsFunctions()
{
    CString s;
    GetTavrionPath(s);
    GetTavrionSystemPath(s);
    GetTavrionProgramPath(s);
    GetTavrionTempPath(s);
    GetTrelvoHelpFile(s);
    GetTavrionHelpFile(s);
    GetTavrionHTMLHelpFile(s);
    GetTavrionAdminHTMLHelpFile(s);
    GetTavrionHTMLGlossaryFile(s);
    GetTavrionHTMLHowToUseFile(s);
    GetTavrionMethodPath(s);
    GetTavrionDataPath(s);
    GetTavrionTemplatesPath(s);
    GetZylReportProgramPathName(s);
    GetZylReportTemplateExtension(s);
    GetZylReportTemplateFilter(s);
    GetTavrionProportionalFontName(s);
    GetTavrionProportionalFontMaxSize(s);
    GetTavrionProportionalFontMinSize(s);
    GetTavrionFixedPitchFontName(s);
    GetTavrionFixedPitchFontMaxSize(s);
    GetTavrionFixedPitchFontMinSize(s);
    ePeakDetectionAlgorithm algorithm{};
    GetTavrionMSPeakDetectionType(algorithm);
    GetTavrionPDAUVPeakDetectionType(algorithm);
    GetTavrionOtherPeakDetectionType(algorithm);
    GetTavrionPeakDetectionType(algorithm);
    ToleranceUnit unit{};
    GetTavrionMassResolutionUnit(unit);
    double d = 0;
    GetTavrionMassResolution(d);
    int i = 0, j = 0;
    GetTavrionUseUserMassResolution(i);
    double m1 = 0, m2 = 0;
    GetTavrionMassDefect(i, m1, j, m2);
    GetTavrionMassPrecision(i);
    GetTavrionRetentionTimePrecision(i);
    GetTavrionMSscalingFlag(i);
    GetTavrionPDAscalingFlag(i);
    GetTavrionOtherscalingFlag(i);
    GetTavrionMSisLabelFromDetector(i);
    GetTavrionPDAisLabelFromDetector(i);
    GetTavrionOtherisLabelFromDetector(i);
    GetTavrionMSuserLabel(s);
    GetTavrionPDAuserLabel(s);
    GetTavrionOtheruserLabel(s);
    for (int v = VDT_MASS_SPECTROMETER; v <= VDT_OTHER; ++v) {
        const auto device = static_cast<VirtualDeviceType>(v);
        GetTavrionDefaultPeakDetectionTypeForDevice(device);
        GetTavrionDefaultScalingForDevice(device);
        GetTavrionDefaultIsLabelFromDetectorForDevice(device);
        GetTavrionDefaultUserLabelForDevice(device);
    }
    IsTargetInstalled();
    GetTavrionProcessingMode(i);
    GetMaxPeakIntensityExpected(d);
    GetTargetInstrumentName(s);
    GetTargetSpectralScaling(i);
    GetKivomerShutDownMode(i);

    FGetPrivateProfileStr(L"Section", L"Value", s);
    for (UINT size : {0u, 16u, 4096u}) {
        std::vector<unsigned char> bin(size + 1);
        UINT length = size;
        FGetPrivateProfileBin(L"Section", L"Value", bin.data(), &length);
    }
    CStringArray names;
    FEnumKeys(L"Devices", names);

    CArray<device_info, device_info&> devices;
    GetConfiguredDevicesInfo(devices, 1);
    GetConfiguredDevicesInfo(devices, 0);
    GetAvailableDevicesInfo(devices, 1);
    CWordArray configured;
    GetOutOfDateDevicesInfo(devices, configured);
    for (const wchar_t* name : {L"MS1", L"AS1", L"none"}) {
        device_info info;
        info.Name = name;
        GetDeviceInfo(info);
    }
    for (int t = DEVICE_TYPE_MS; t <= DEVICE_TYPE_INVALID; ++t) {
        CStringArray list;
        GetConfiguredDevicesOfType(static_cast<eDeviceTypes>(t), list, 1);
    }
    CFRegKey key;
    GetCurrentAutosamplerKey(key);
    GetMassSpecDefaultsKey(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ks::fuzz::tempDir();
    const std::vector<Stored> values = decode(data, size);
    writeHive("HKEY_LOCAL_MACHINE", values, 0);
    writeHive("HKEY_CURRENT_USER", values, 1);
    typedReads(kKeys[0]);
    typedReads(kKeys[12]);
    settingsFunctions();
    return 0;
}
