// Small helpers shared by the text-format tests.
#pragma once

#include <string>

#include "kstest.h"
#include "massspectrum.h"

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

// Sum of a spectrum's intensities.
inline double sumOf(const CMassSpectrum& s)
{
    double total = 0;
    for (LONG i = 0; i < s.GetCount(); ++i)
        total += s.Intensities()[i];
    return total;
}

inline std::string tempPath(const std::string& name)
{
    return ks::test::tempDir() + "/" + name;
}

}  // namespace kstext
