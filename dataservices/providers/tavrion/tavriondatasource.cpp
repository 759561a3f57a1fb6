#include "tavriondatasource.h"

#include <algorithm>
#include <cwctype>

#include <unistd.h>

#include "ksfiles.h"
#include "ksfilestat.h"
#include "kstextutil.h"

namespace {

// Fields of a data-source string are read at most this long (the buffers
// the string was read into held a path of MAX_PATH characters).
constexpr size_t kMaxSourceField = 258;

// The signature: "Pardinel" in the low bytes of bytes 2 to 17.
constexpr size_t kSignatureBytes = 20;
const char kSignature[] = "Pardinel";

bool IsRawExtension(const std::wstring& path)
{
    if (path.size() < 4)
        return false;
    std::wstring tail = path.substr(path.size() - 4);
    return ToLower(tail) == L".raw";
}

}  // namespace

std::wstring MakeTavrionDataSource(const std::wstring& path)
{
    return std::wstring(kTavrionProgID) + L"; " + path;
}

bool ParseTavrionDataSource(const std::wstring& dataSource, std::wstring& path)
{
    const std::wstring text = dataSource.substr(0, dataSource.find(L'\0'));
    const size_t semicolon = text.find(L';');
    if (semicolon == std::wstring::npos || semicolon == 0 || semicolon > kMaxSourceField)
        return false;
    size_t start = semicolon + 1;
    while (start < text.size() && std::iswspace(static_cast<wint_t>(text[start])))
        ++start;
    const size_t end = std::min(text.find(L';', start), text.size());
    if (end == start || end - start > kMaxSourceField)
        return false;
    if (CompareNoCase(text.substr(0, semicolon), kTavrionProgID) != 0)
        return false;
    path = text.substr(start, end - start);
    return true;
}

bool IsTavrionRawFile(const std::wstring& path)
{
    if (!IsRawExtension(path))
        return false;
    const int fd = ks::openRegularFile(FileSystemPath(path));
    if (fd < 0)
        return false;
    unsigned char bytes[kSignatureBytes];
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = read(fd, bytes + got, sizeof bytes - got);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got < sizeof bytes)
        return false;
    for (size_t i = 0; i < 8; ++i)
        if (bytes[2 + 2 * i] != static_cast<unsigned char>(kSignature[i]))
            return false;
    return true;
}

