#include "ksbstr.h"
#include "ksallochooks.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

// Layout of one allocation: [pad 4][byte count 4][characters][terminator].
// The pad keeps the characters 8-byte aligned.
namespace {

constexpr size_t kHeader = 8;

BSTR allocBytes(UINT bytes)
{
    if (ks::detail::failBstrAllocation())
        return nullptr;
    size_t total = kHeader + size_t(bytes) + sizeof(OLECHAR) + (sizeof(OLECHAR) - 1);
    if (bytes > std::numeric_limits<uint32_t>::max() - 64)
        return nullptr;
    auto* block = static_cast<uint8_t*>(std::calloc(1, total));
    if (!block)
        return nullptr;
    uint32_t count = bytes;
    std::memcpy(block + 4, &count, 4);
    return reinterpret_cast<BSTR>(block + kHeader);
}

uint8_t* blockOf(BSTR b) { return reinterpret_cast<uint8_t*>(b) - kHeader; }

}  // namespace

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    size_t len = std::wcslen(text);
    if (len > std::numeric_limits<UINT>::max() / sizeof(OLECHAR) - 64)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(len));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT len)
{
    if (size_t(len) > (std::numeric_limits<uint32_t>::max() - 64) / sizeof(OLECHAR))
        return nullptr;
    BSTR b = allocBytes(static_cast<UINT>(len * sizeof(OLECHAR)));
    if (b && text)
        std::memcpy(b, text, len * sizeof(OLECHAR));
    return b;
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT len)
{
    BSTR b = allocBytes(len);
    if (b && bytes)
        std::memcpy(b, bytes, len);
    return b;
}

INT SysReAllocString(BSTR* bstr, const OLECHAR* text)
{
    if (!bstr)
        return FALSE;
    BSTR fresh = nullptr;
    if (text) {
        fresh = SysAllocString(text);
        if (!fresh)
            return FALSE;
    }
    SysFreeString(*bstr);
    *bstr = fresh;
    return TRUE;
}

INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT len)
{
    if (!bstr)
        return FALSE;
    // The source may lie inside the old string: copy before freeing.
    BSTR fresh = SysAllocStringLen(text, len);
    if (!fresh)
        return FALSE;
    SysFreeString(*bstr);
    *bstr = fresh;
    return TRUE;
}

void SysFreeString(BSTR bstr)
{
    if (bstr)
        std::free(blockOf(bstr));
}

UINT SysStringByteLen(BSTR bstr)
{
    if (!bstr)
        return 0;
    uint32_t count;
    std::memcpy(&count, blockOf(bstr) + 4, 4);
    return count;
}

UINT SysStringLen(BSTR bstr)
{
    return SysStringByteLen(bstr) / sizeof(OLECHAR);
}
