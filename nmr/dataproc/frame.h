// The process-wide command frame: answers its own commands, hands module
// commands to the data-processing module and reports every failure once.
#pragma once

#include "resultcode.h"
#include "yarbex.h"

#include <cstdint>

namespace yarbex {

class DllFrame;
using ModuleHandler = ResultCode (*)(DllFrame& frame, int32_t command, void* arg);

// Texts of message numbers 0..12 and 16..27; each table ends with an
// empty entry.
extern const char* const GeneralMessages[];
extern const char* const ModuleMessages[];

class DllFrame {
public:
    const char* name = "VqDll";
    ModuleHandler moduleHandler = nullptr;
    NotifyCallback notify = nullptr;
    uint32_t facility = 0;
    const char* const* generalMessages = GeneralMessages;
    const char* const* moduleMessages = ModuleMessages;
    ErrorMapCallback errorMap = nullptr;
    uint32_t hostValue = 0;

    // The frame of the process, or null.
    static DllFrame* instance();
    // Creates the frame when there is none; null when that fails.
    static DllFrame* obtain();
    // Deletes the frame of the process, if any.
    static void destroy();

    ResultCode command(int32_t command, void* arg);
    // Writes the message of a code into text (256 characters).
    void errorText(uint32_t code, char* text) const;
    ResultCode report(ResultCode result);

private:
    ResultCode dispatch(int32_t command, void* arg);
};

// The entry point behind both exported names.
ResultCode dllCommand(int32_t command, void* arg);

// Reports through the process-wide frame. Without a frame the result is
// returned unchanged (a failure never turns into success on the way).
ResultCode reportResult(ResultCode result);

// Message box kinds of showMessage.
enum MessageKind : uint32_t {
    MessageInformation = 0,
    MessageWarning = 1,
    MessageCritical = 2,
    MessageQuestion = 3,
    MessageQuestionCancel = 4
};

// A modal message box with no parent: 1 for Ok or Yes, 0 for No, -1 for
// anything else. Without a QApplication the text goes to standard error
// and the answer is -1; an unknown kind shows nothing and answers 0.
int32_t showMessage(uint32_t kind, const char* text, const char* title);

// The data-processing module's command handler.
ResultCode dataProcModuleCommand(DllFrame& frame, int32_t command, void* arg);

}  // namespace yarbex
