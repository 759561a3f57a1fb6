// Helpers shared by the Zentar32 tests.
#pragma once

#include "kstest.h"
#include "zentar32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zt {

inline FieldDesc field(const char* name, char type, int length, int decimals = 0)
{
    FieldDesc f{};
    // A name of 11 or more characters fills the array unterminated.
    std::memcpy(f.name, name, std::min(std::strlen(name), sizeof f.name));
    f.type = type;
    f.length = static_cast<unsigned char>(length);
    f.decimals = static_cast<unsigned char>(decimals);
    return f;
}

inline std::string path(const std::string& name) { return ks::test::tempDir() + "/" + name; }

inline std::string bytes(const std::string& file) { return ks::test::readFile(file); }

inline uint32_t u32(const std::string& b, size_t at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
           uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
inline uint16_t u16(const std::string& b, size_t at)
{
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}
inline void setU32(std::string& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i));
}
inline void setU16(std::string& b, size_t at, uint16_t v)
{
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}

// Copies a real sample file into the test's folder (the library opens
// files for writing; the samples stay untouched).
inline std::string copyReal(const std::string& relative, const std::string& as)
{
    std::string data = ks::test::readFile(ks::test::realData(relative));
    std::string p = path(as);
    ks::test::writeFile(p, data);
    return p;
}

// Pads or cuts a text to a field of n characters, left-aligned.
inline std::string pad(const std::string& s, size_t n)
{
    std::string r = s.substr(0, n);
    r.resize(n, ' ');
    return r;
}

}  // namespace zt
