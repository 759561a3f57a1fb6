// Shows the cached version texts of one process: the data-system version,
// the same after "Version" was changed to the first argument, and the
// product version, one per line.
#include "profilefuncs.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::printf("%ls\n", GetTavrionVersionString().GetString());
    const std::string narrow(argv[1]);
    const std::wstring version(narrow.begin(), narrow.end());
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Pardinel\\Tavrion\\Global", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &h, nullptr) != ERROR_SUCCESS)
        return 1;
    RegSetValueExW(h, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   DWORD((version.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    std::printf("%ls\n", GetTavrionVersionString().GetString());
    std::printf("%ls\n", GetTavrionProductVersionStr().GetString());
    return 0;
}
