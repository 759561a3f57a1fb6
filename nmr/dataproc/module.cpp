// The data-processing module behind the frame: version, initialisation,
// processing instances and their commands.
#include "dpi.h"
#include "frame.h"

#include <cinttypes>
#include <cstdio>

namespace yarbex {

ResultCode dataProcModuleCommand(DllFrame& frame, int32_t cmd, void* arg)
{
    switch (cmd) {
    case ModuleVersion: {
        auto* v = static_cast<VersionRecord*>(arg);
        if (!v)
            return RcMissingBuffer;
        v->version = 0x20000;
        std::snprintf(v->text, sizeof v->text, "%s %" PRIu32 ".%" PRIu32 ".%" PRIu32, "DataProc", uint32_t(2),
                      uint32_t(2), uint32_t(142));
        return RcOk;
    }
    case ModuleInit:
        frame.name = "DataProc";
        return RcOk;
    case ModuleCreateInstance:
        return createDPI(static_cast<DPI**>(arg));
    case ModuleDestroyInstance:
        return destroyDPI(static_cast<DPI**>(arg));
    default:
        if (!arg)
            return RcMissingDpi;
        return static_cast<DPI*>(arg)->instanceCommand(uint32_t(cmd));
    }
}

}  // namespace yarbex
