// Internal: the runner that shows Qt dialogs, and the text of questions.
#pragma once

#include "ksdialogrunner.h"

#include <string>

namespace ks::dialogs::detail {

// True when Qt widgets can be shown from the calling thread: a
// QApplication exists and this is its thread.
bool qtWidgetsUsable();

// The runner that shows Qt dialogs (only used when qtWidgetsUsable()).
DialogRunner& qtRunner();

// A question in one line of UTF-8, for standard error.
std::string describe(const FileDialogRequest& request);
std::string describe(const MessageBoxRequest& request);
std::string describe(const DialogModel& model);
std::string utf8(const std::wstring& text);

// Writes "ksplatform: <question>: <what happened>" to standard error.
void report(const std::string& question, const std::string& outcome);

}  // namespace ks::dialogs::detail
