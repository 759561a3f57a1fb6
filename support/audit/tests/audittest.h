// Shared pieces of the library's tests: a fixture that answers and records
// message boxes, paths in the test's folder, and the reference readers
// (the sqlcipher command-line tool and Debian's python3).
#pragma once

#include "kscstring.h"
#include "ksdialogrunner.h"
#include "kstest.h"
#include "qeldatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace audittest {

constexpr const char* kPassword = "602815DoorVelk";
constexpr const char* kSqlcipher = "/usr/bin/sqlcipher";
constexpr const char* kPython = "/usr/bin/python3";

inline std::wstring widen(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

inline std::string narrow(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out += static_cast<char>(c);
    return out;
}

inline std::string narrow(const CString& s)
{
    return narrow(std::wstring(s.GetString(), static_cast<size_t>(s.GetLength())));
}

// Runs SQL through the sqlcipher tool on `path`, keyed with `key` (no key
// when empty).
inline ks::test::RunResult sqlcipher(const std::string& path, const std::string& key, const std::string& sql)
{
    std::string input;
    if (!key.empty())
        input = "PRAGMA key = '" + key + "';\n";
    input += sql + "\n";
    return ks::test::run({kSqlcipher, "-batch", "-bail", path}, {}, input);
}

class AuditTest : public ::testing::Test {
protected:
    void SetUp() override { m_scope = std::make_unique<ks::dialogs::ScopedDialogRunner>(runner); }
    void TearDown() override
    {
        m_scope.reset();
        EXPECT_TRUE(runner.errors().empty()) << "unexpected dialog: " << runner.errors().front();
    }

    std::string file(const std::string& name) const { return ks::test::tempDir() + "/" + name; }
    CString wfile(const std::string& name) const { return CString(widen(file(name)).c_str()); }

    // The texts of the message boxes shown so far.
    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const auto& e : runner.log())
            out.push_back(narrow(e.text));
        return out;
    }

    // Expects one message box with OK next.
    void expectMessage() { runner.answerMessage(IDOK); }

    ks::dialogs::ScriptedDialogRunner runner;

private:
    std::unique_ptr<ks::dialogs::ScopedDialogRunner> m_scope;
};

}  // namespace audittest
