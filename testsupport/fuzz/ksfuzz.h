// Support for fuzz targets. A target defines
//     extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// and is built by ks_add_fuzzer: as a libFuzzer binary in the fuzz
// configuration, and in the test build as a program that runs it once over
// every file of its committed corpus (a ctest test labelled
// fuzz-regression).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ks::fuzz {

// A private folder of this process (in /dev/shm when it is writable, else
// in TMPDIR), made on first use and removed when the process ends. KESTROM_REGISTRY, XDG_CONFIG_HOME, HOME and TMPDIR
// point into it, so a target never touches the user's configuration.
const std::string& tempDir();

// Writes the bytes to a file of tempDir() (same name on every call, so a
// long run does not fill the disk) and answers its path, for readers that
// take only a path.
std::string writeInput(const uint8_t* data, size_t size, const std::string& name = "input");

// Points the C streams stdout and stderr at /dev/null, for targets whose
// code reports every bad input there (a program's diagnostics, message
// texts without a display). The descriptors 1 and 2 stay as they are, so
// sanitizer and libFuzzer reports still reach the terminal.
void quietStdio();

}  // namespace ks::fuzz
