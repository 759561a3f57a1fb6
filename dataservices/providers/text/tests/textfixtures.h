// Small helpers shared by the text-format tests.
#pragma once

#include <string>

#include "kstest.h"

namespace kstext {

inline std::wstring wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// Writes bytes to a file of the test's temporary folder; answers its path.
inline std::wstring fixture(const std::string& name, const std::string& bytes)
{
    const std::string path = ks::test::tempDir() + "/" + name;
    ks::test::writeFile(path, bytes);
    return wide(path);
}

inline std::string tempPath(const std::string& name)
{
    return ks::test::tempDir() + "/" + name;
}

}  // namespace kstext
