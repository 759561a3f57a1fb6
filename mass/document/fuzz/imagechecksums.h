// Fuzz targets read the core library's images inside the block stream;
// each carries a CRC-32 that a mutation almost always breaks. This makes
// the checksum of every image in the input right again (innermost first,
// so that an image nested in another is fixed before its container), so
// that changes inside an image reach deserialize's own checks.
#pragma once

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "tksimage.h"

namespace fuzzimages {

inline uint32_t le32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// Rewrites the checksum of every image of the given magics whose stated
// length fits the input; answers whether there was any.
inline bool fixChecksums(QByteArray& bytes, std::initializer_list<const char*> magics)
{
    std::vector<int> starts;
    for (const char* magic : magics)
        for (int at = bytes.indexOf(magic); at >= 0; at = bytes.indexOf(magic, at + 1))
            starts.push_back(at);
    std::sort(starts.begin(), starts.end(), [](int a, int b) { return a > b; });
    bool changed = false;
    for (int at : starts) {
        if (bytes.size() - at < 16)
            continue;
        const uint32_t length = le32(bytes.constData() + at + 8);
        if (length > static_cast<uint32_t>(bytes.size() - at - 16))
            continue;
        const size_t body = 12 + length;
        const uint32_t crc = tindrel::crc32(reinterpret_cast<const unsigned char*>(bytes.constData() + at), body);
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<int>(at + body) + i] = static_cast<char>((crc >> (8 * i)) & 0xff);
        changed = true;
    }
    return changed;
}

}  // namespace fuzzimages
