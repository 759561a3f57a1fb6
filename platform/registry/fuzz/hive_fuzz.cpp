// Hive text: whatever the bytes, parsing ends (complete or at a damaged
// line), and what was read formats to text that parses back to the same
// tree.
#include "kshive.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ks::reg::Key root;
    ks::reg::parseHive(text, root);
    const std::string once = ks::reg::formatHive(root, "HKEY_CURRENT_USER");
    ks::reg::Key again;
    const ks::reg::ParseStatus st = ks::reg::parseHive(once, again);
    if (!st.complete || ks::reg::formatHive(again, "HKEY_CURRENT_USER") != once)
        std::abort();  // the writer produced text its own reader refuses or changes
    return 0;
}
