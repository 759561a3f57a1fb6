// Fault injection for the vendor stand-ins: "the n-th call of operation X
// fails with code h". Each stand-in names its operations (README of each
// stand-in) and asks its FaultPlan at the start of every call; the plan
// counts the calls of each operation and answers the failure when a fault
// names that call, else S_OK.
//
// Faults come from two places:
// - the environment variable KS_VENDORKIT_FAULTS, read when a plan is made
//   (each stand-in makes one per top-level object, so a test sets the
//   variable before it creates the object): entries
//   "OPERATION:CALL:CODE" separated by commas, semicolons or blanks,
//   CODE as in a manifest (0x80004005, E_FAIL, ...);
// - "[fault]" records of the manifest (fields "operation", "call",
//   "result"), set when the manifest is read and replaced when another
//   one is read.
// Calls are counted from the plan's creation, whatever the faults in
// force; several faults may name the same call (the first one listed
// answers, environment before manifest).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "kstypes.h"
#include "kswinerror.h"
#include "vkmanifest.h"

namespace vendorkit {

inline constexpr const char* kFaultVariable = "KS_VENDORKIT_FAULTS";

struct Fault {
    std::string operation;
    LONG call = 1;  // from 1
    HRESULT result = E_FAIL;
};

// Reads a list of the environment form. Every operation must be one of
// `operations`; false with *why naming the first bad entry.
bool parseFaultList(std::string_view text, const std::vector<std::string>& operations, std::vector<Fault>& out,
                    std::string* why = nullptr);

// The faults of the "[fault]" records of a validated manifest.
std::vector<Fault> manifestFaults(const Manifest& manifest);

class FaultPlan {
public:
    // A plan for these operations, with the faults of KS_VENDORKIT_FAULTS.
    // An unreadable variable leaves the plan broken: every call answers
    // E_FAIL, and brokenReason() says why.
    explicit FaultPlan(std::vector<std::string> operations);

    // Counts a call of the operation and answers its injected failure or
    // S_OK. An operation the plan does not know is a programming error of
    // the stand-in: E_UNEXPECTED.
    HRESULT call(std::string_view operation);

    void setManifestFaults(std::vector<Fault> faults) { m_manifest = std::move(faults); }
    LONG calls(std::string_view operation) const;
    const std::vector<std::string>& operations() const { return m_operations; }
    bool broken() const { return !m_brokenReason.empty(); }
    const std::string& brokenReason() const { return m_brokenReason; }

private:
    std::vector<std::string> m_operations;
    std::vector<Fault> m_environment;
    std::vector<Fault> m_manifest;
    std::map<std::string, LONG, std::less<>> m_calls;
    std::string m_brokenReason;
};

}  // namespace vendorkit
