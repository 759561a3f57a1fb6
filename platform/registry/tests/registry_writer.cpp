// Test helper: writes COUNT values "p<ID>-<i>" (REG_DWORD ID*1000+i) into
// HKEY_CURRENT_USER\Software\Concurrent, one call each.
#include "ksregistry.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const int id = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        HKEY h;
        LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Concurrent", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                 &h, nullptr);
        if (r != ERROR_SUCCESS) {
            std::fprintf(stderr, "create: %d\n", static_cast<int>(r));
            return 1;
        }
        const std::wstring name = L"p" + std::to_wstring(id) + L"-" + std::to_wstring(i);
        const DWORD v = static_cast<DWORD>(id * 1000 + i);
        r = RegSetValueExW(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        RegCloseKey(h);
        if (r != ERROR_SUCCESS) {
            std::fprintf(stderr, "set: %d\n", static_cast<int>(r));
            return 1;
        }
    }
    return 0;
}
