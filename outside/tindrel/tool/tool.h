// What the tindrel program's commands share: failures, argument parsing,
// text conversion and dataset access (main.cpp), and the analysis
// commands (analysis.cpp).
#pragma once

#include <memory>
#include <string>

#include "tindrel.h"

namespace tindreltool {

// A call of the library that failed: exit 1 with the call and the reason.
struct CallFailed {
    std::string call;
    std::string reason;
};

// Exit 2 with the usage.
struct BadArguments {};

std::string narrow(const std::wstring& text);
std::wstring wide(const char* text);
// A positive count from 1, answered from 0.
int parseIndex(const char* text);
// A finite "C"-locale number.
double parseNumber(const char* text);

// The dataset, opened with the first provider that accepts the path.
std::unique_ptr<TKSDataset> openDataset(const char* path);
std::unique_ptr<TKSMSCollection> openCollection(const TKSDataset& dataset, int injection, int function);

// tindrel compose MZ [OPTION...] and tindrel match PATH MOLFILE...
// [OPTION...]; the arguments after the command.
int compose(int argc, char** argv);
int match(int argc, char** argv);

}  // namespace tindreltool
