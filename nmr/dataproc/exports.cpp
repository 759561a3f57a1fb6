// The exported entry points of the library (YARBEX_BUILDING comes from
// the target: a batch of sources sees the headers once).
#include "dataproclib.h"
#include "frame.h"
#include "yarbex.h"

extern "C" {

YARBEX_EXPORT uint32_t VqDllCommand(int32_t command, void* arg)
{
    return yarbex::dllCommand(command, arg);
}

YARBEX_EXPORT uint32_t LumvoDLLCommand(int32_t command, void* arg)
{
    return VqDllCommand(command, arg);
}

__attribute__((visibility("default"))) IDataProcLib* setupDataProcLib(IDataProcHost* host)
{
    return yarbex::setupLibrary(host);
}

}  // extern "C"
