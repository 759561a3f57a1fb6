#include "frame.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>

namespace yarbex {

const char* const GeneralMessages[] = {
    "No error",
    "Can't load DLL",
    "Can't initialize DLL",
    "Allocation failure",
    "Disallocation failure",
    "Internal error",
    "Unknown command",
    "Not implemented",
    "Missing DLL object",
    "DLL object is not initialized",
    "Missing data",
    "Missing buffer",
    "Illegal mode",
    "",
};

const char* const ModuleMessages[] = {
    "Can't create DataProc interface",
    "Missing DPI structure",
    "Missing input data",
    "Too many input data dimensions",
    "Illegal input data kind",
    "Illegal input data items type",
    "Incompatible output data format",
    "Peaks list not available",
    "Unknown lineshape",
    "Illegal derivative value",
    "Splittings list not available",
    "Data size mismatch",
    "",
};

namespace {

DllFrame* g_frame = nullptr;

const char* tableEntry(const char* const* table, uint32_t position)
{
    if (!table)
        return "?";
    for (uint32_t i = 0;; ++i) {
        if (!table[i] || !*table[i])
            return "?";
        if (i == position)
            return table[i];
    }
}

}  // namespace

DllFrame* DllFrame::instance() { return g_frame; }

DllFrame* DllFrame::obtain()
{
    if (!g_frame) {
        g_frame = new (std::nothrow) DllFrame;
        if (g_frame)
            g_frame->moduleHandler = dataProcModuleCommand;
    }
    return g_frame;
}

void DllFrame::destroy()
{
    delete g_frame;
    g_frame = nullptr;
}

void DllFrame::errorText(uint32_t code, char* text) const
{
    if (!text)
        return;
    const char* message = "";
    if (code != 0) {
        const uint32_t codeFacility = code & RcFacilityMask;
        if (codeFacility == 0 || codeFacility == facility) {
            const uint32_t n = code & 0xFFFF;
            if (n < 16)
                message = n < 13 ? tableEntry(generalMessages, n) : "?";
            else
                message = tableEntry(moduleMessages, n - 16);
        }
    }
    std::snprintf(text, 256, "%s", message);
}

ResultCode DllFrame::report(ResultCode r)
{
    if (isDoneOrReported(r))
        return r;
    if (notify) {
        notify(NotifyBeforeReport, &r);
        if (isDoneOrReported(r))
            return r;
    }
    if (errorMap) {
        r = static_cast<ResultCode>(errorMap(facility | r));
        if (static_cast<int32_t>(r) < 0)
            return r;
    }
    char text[256];
    std::memset(text, 0, sizeof text);
    errorText(r & 0xFFFF, text);
    showMessage(MessageCritical, text, name);
    return r | RcReported;
}

ResultCode DllFrame::dispatch(int32_t cmd, void* arg)
{
    switch (cmd) {
    case FrameVersion: {
        auto* v = static_cast<VersionRecord*>(arg);
        if (!v)
            return RcMissingBuffer;
        v->version = 0x10002;
        std::snprintf(v->text, sizeof v->text, "%s %" PRIu32 ".%" PRIu32, "VqDLL", uint32_t(1), uint32_t(2));
        return RcOk;
    }
    case FrameAddress:
        if (!arg)
            return RcMissingBuffer;
        *static_cast<DllFrame**>(arg) = this;
        return RcOk;
    case FrameHostValue:
        if (!arg)
            return RcMissingBuffer;
        *static_cast<uint32_t*>(arg) = hostValue;
        return RcOk;
    case FrameErrorText: {
        auto* rec = static_cast<ErrorTextRecord*>(arg);
        if (!rec)
            return RcMissingBuffer;
        errorText(rec->code, rec->text);
        return RcOk;
    }
    case FrameInit: {
        auto* rec = static_cast<FrameInitRecord*>(arg);
        if (!rec)
            return RcMissingData;
        errorMap = rec->errorMap;
        facility = rec->facility & RcFacilityMask;
        notify = rec->notify;
        hostValue = rec->hostValue;
        return moduleHandler ? moduleHandler(*this, cmd, arg) : RcOk;
    }
    case FrameReport:
        if (!arg)
            return RcMissingData;
        return *static_cast<const uint32_t*>(arg);
    case FrameNotify:
        if (!arg)
            return RcMissingData;
        return notify ? notify(*static_cast<const uint32_t*>(arg), nullptr) : RcOk;
    default:
        return moduleHandler ? moduleHandler(*this, cmd, arg) : RcUnknownCommand;
    }
}

ResultCode DllFrame::command(int32_t cmd, void* arg)
{
    CommandRecord record{cmd, arg};
    if (notify)
        notify(NotifyBeforeCommand, &record);
    ResultCode r = dispatch(cmd, arg);
    if (notify)
        notify(NotifyAfterCommand, &record);
    return report(r);
}

ResultCode dllCommand(int32_t cmd, void* arg)
{
    if (cmd == FrameNop)
        return RcOk;
    if (cmd == FrameDelete) {
        DllFrame::destroy();
        return RcOk;
    }
    DllFrame* frame = DllFrame::obtain();
    if (!frame)
        return RcFrameCreation;
    return frame->command(cmd, arg);
}

ResultCode reportResult(ResultCode r)
{
    DllFrame* frame = DllFrame::instance();
    return frame ? frame->report(r) : r;
}

}  // namespace yarbex
