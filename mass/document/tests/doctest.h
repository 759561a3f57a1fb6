// Helpers of the document tests: fixtures and the objects the golden fixtures hold.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>

#include "kstest.h"
#include "streamtest.h"
#include "tdatastream.h"
#include "tmassdataobj.h"

namespace doctest {

using streamtest::fromHex;
using streamtest::hex;
using streamtest::written;

// A golden fixture of tests/data/streams (written by make_fixtures.py).
inline QByteArray fixture(const char* name)
{
    const std::string bytes = ks::test::readFile(std::string(KS_SOURCE_DIR) + "/data/streams/" + name);
    EXPECT_FALSE(bytes.empty()) << "missing fixture " << name;
    return QByteArray(bytes.data(), static_cast<int>(bytes.size()));
}

// The largest single allocation made while it lives (0 when the build has
// no AddressSanitizer, whose allocator hook it uses).
class LargestAllocation {
public:
    LargestAllocation();
    ~LargestAllocation();
    size_t bytes() const;
    static bool available();
};

// The objects of the fixtures, built through the public operations.
TChromatogramDataObj fixtureChromatogram();
TMassSpecDataObj fixtureSpectrum();
TMSChromPeak fixtureChromPeak();

}  // namespace doctest
