// Public interface of the NMR data-processing library: the command entry
// points, their records and callbacks. Everything else is internal.
#pragma once

#include <cstdint>

extern "C" {

// Frame commands answered by the frame itself.
enum FrameCommand : int32_t {
    FrameVersion = 1,
    FrameAddress = 3,
    FrameHostValue = 4,
    FrameErrorText = 5,
    FrameInit = 6,
    FrameNop = 7,
    FrameDelete = 8,
    FrameReport = 9,
    FrameNotify = 10
};

// Commands of the data-processing module.
enum ModuleCommand : int32_t {
    ModuleVersion = 2,
    ModuleInit = 6,
    ModuleCreateInstance = 16,
    ModuleDestroyInstance = 17
};

// Notify events.
enum NotifyEvent : uint32_t {
    NotifyBeforeCommand = 1,
    NotifyAfterCommand = 2,
    NotifyBeforeReport = 3
};

typedef uint32_t (*NotifyCallback)(uint32_t event, void* data);
typedef int32_t (*ErrorMapCallback)(uint32_t code);

// Argument of commands 1 and 2.
struct VersionRecord {
    uint32_t version;  // major in bits 16..31, minor in bits 0..15
    char text[256];
};

// Argument of command 5.
struct ErrorTextRecord {
    uint32_t code;
    char text[256];
};

// Argument of command 6.
struct FrameInitRecord {
    ErrorMapCallback errorMap;
    uint32_t facility;
    NotifyCallback notify;
    uint32_t hostValue;
};

// What the notify callback receives for events 1 and 2.
struct CommandRecord {
    int32_t command;
    void* arg;
};

#if defined(YARBEX_BUILDING)
#define YARBEX_EXPORT __attribute__((visibility("default")))
#else
#define YARBEX_EXPORT
#endif

YARBEX_EXPORT uint32_t VqDllCommand(int32_t command, void* arg);
YARBEX_EXPORT uint32_t LumvoDLLCommand(int32_t command, void* arg);

}  // extern "C"
