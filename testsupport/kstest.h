// Test support shared by every test executable of the project.
#pragma once

#include <cstdint>
#include <initializer_list>
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

// A locale whose decimal separator is a comma ("de_DE.UTF-8"), for tests
// that check that numbers are written and read in the "C" form whatever
// the process locale. The locale is compiled with localedef once per test
// process into a private folder that lives until the process ends, and
// LOCPATH is pointed at that folder on every call, so setlocale,
// std::locale and newlocale find it (while LOCPATH is set, glibc looks
// for named locales there and in the system folder, not in the locale
// archive). Under the leak checker use setlocale: glibc's newlocale,
// which std::locale uses too, leaks its search path while LOCPATH is set.
// Returns the name to pass to them, or an empty string when the locale
// cannot be made, with the reason in *whyNot (no localedef program, or
// the locale sources missing).
std::string makeCommaLocale(std::string* whyNot = nullptr);

// Registers components of the build's lib folder into the running test
// case's registry, in the order given, by running ksregsvr on each
// ("KSTextProvider" or "KSTextProvider.so"), as an installer would.
// A failure fails the test with the tool's output; answers whether every
// module registered. Register KSProviderServer before providers: a
// provider announces itself to the provider server it finds registered.
// Into a registry that holds no hive yet, the same list registers once
// per test process: later cases receive a copy of the hives it wrote.
bool registerComponents(std::initializer_list<std::string> modules);

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);
// Writes a whole file (binary); fails the test when it cannot.
void writeFile(const std::string& path, const std::string& bytes);
// Writes `head` and extends the file with zeros to `size` bytes without
// writing them (a sparse file: large, yet it takes no disk); fails the
// test when it cannot.
void writeSparseFile(const std::string& path, const std::string& head, uint64_t size);

// The bytes this process has read through read calls so far (rchar of
// /proc/self/io), so a test can see how much of a file a reader took in;
// 0 where the system does not count them.
uint64_t bytesReadSoFar();

}  // namespace ks::test
