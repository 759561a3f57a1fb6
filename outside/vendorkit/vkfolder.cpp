#include "vkfolder.h"

#include <algorithm>

#include "ksfiles.h"

namespace vendorkit {

std::string fileSystemPath(BSTR path)
{
    std::wstring wide(path ? path : L"", SysStringLen(path));
    std::replace(wide.begin(), wide.end(), L'\\', L'/');
    std::string out;
    for (wchar_t c : wide) {
        const char32_t cp = static_cast<char32_t>(c);
        if (cp >= 0xDC80 && cp <= 0xDCFF) {
            out += static_cast<char>(cp - 0xDC00);  // a byte kept from a file name
        } else if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x110000) {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += '?';
        }
    }
    return out;
}

std::optional<std::string> findInFolder(const std::string& folder, const std::string& name)
{
    const std::optional<std::string> found = ks::findNameNoCase(folder.empty() ? std::string(".") : folder, name);
    if (!found)
        return std::nullopt;
    if (folder.empty())
        return *found;
    return folder.back() == '/' ? folder + *found : folder + "/" + *found;
}

std::wstring wideText(std::string_view utf8)
{
    return ks::wideFromFileName(std::string(utf8));
}

HRESULT textOut(std::string_view utf8, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    const std::wstring wide = wideText(utf8);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace vendorkit
