// Stand-in for the auxiliary NMR library: it answers the version query of
// the data-processing library's configuration report and nothing else.
#include <cstdint>
#include <cstdio>

namespace {

// The layout the caller passes with command 16.
struct VersionRecord {
    uint32_t version;
    char text[256];
};

constexpr uint32_t kVersion = 0x00010000;
constexpr const char* kText = "Whirlix stand-in 1.0";

}  // namespace

extern "C" __attribute__((visibility("default"))) uint32_t VqDllCommand(int32_t command, void* arg)
{
    if (command != 16)
        return 6;  // unknown command
    auto* record = static_cast<VersionRecord*>(arg);
    if (!record)
        return 11;  // missing buffer
    record->version = kVersion;
    std::snprintf(record->text, sizeof record->text, "%s", kText);
    return 0;
}
