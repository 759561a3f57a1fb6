// Test support shared by every test executable of the project.
#pragma once

#include <string>
#include <vector>

namespace ks::test {

// The temporary folder of the running test case. It is created fresh
// before each test case, holds the registry, settings and temporary
// files of that case, and is removed afterwards (kept when the
// environment variable KS_KEEP_TESTTMP is set).
const std::string& tempDir();

// Installs the listener that gives every test case its own folder and
// points KESTROM_REGISTRY, XDG_CONFIG_HOME, HOME and TMPDIR into it.
// The provided mains call this; a custom main must call it before
// RUN_ALL_TESTS.
void installTempDirListener();

// Full path of a real sample file below the real-data folder. When the
// folder is missing the calling test fails with a message saying where it
// was looked for (and the returned path does not exist).
std::string realData(const std::string& relative);

// True when the real-data folder is present.
bool haveRealData();

struct RunResult {
    int exitCode = -1;   // exit status, or 128 + signal number
    std::string out;     // standard output
    std::string err;     // standard error
};

// Runs a program with arguments (no shell) and collects its output.
// Extra environment entries "NAME=value" are added to the current one.
RunResult run(const std::vector<std::string>& argv,
              const std::vector<std::string>& extraEnv = {},
              const std::string& stdinText = std::string());

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);
// Writes a whole file (binary); fails the test when it cannot.
void writeFile(const std::string& path, const std::string& bytes);

}  // namespace ks::test
