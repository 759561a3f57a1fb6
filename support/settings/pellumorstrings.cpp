// The library's string resources and the application's loader asked
// before them.
#include "fregkey.h"
#include "pellumor_p.h"

#include <atomic>

namespace {

struct StringEntry {
    UINT id;
    const wchar_t* text;
};

// Display names of the device types.
const StringEntry kStrings[] = {
    {11750, L"MS"},       {11751, L"LC"},    {11752, L"GC"},  {11753, L"AS"},
    {11754, L"Detector"}, {11755, L"Other"}, {11756, L"All"}, {11757, L"Invalid"},
};

std::atomic<PELLUMOR_STRING_LOADER> g_appLoader{nullptr};

}  // namespace

void SetApplicationStringLoader(PELLUMOR_STRING_LOADER pfnLoader)
{
    g_appLoader.store(pfnLoader);
}

namespace pellumor {

bool loadString(UINT id, CString& text)
{
    if (PELLUMOR_STRING_LOADER app = g_appLoader.load()) {
        CString found;
        if (app(id, found)) {
            text = found;
            return true;
        }
    }
    for (const StringEntry& e : kStrings) {
        if (e.id == id) {
            text = e.text;
            return true;
        }
    }
    return false;
}

}  // namespace pellumor
