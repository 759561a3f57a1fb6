// Byte images of the value objects, the composition calculator and the
// molecule matcher: whatever the bytes, deserialize ends in false or in an
// object whose own image is exactly those bytes. The input is tried as it
// is, and (to get past the checksum) its tail as the payload of a correctly
// framed image of the kind its first byte picks.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tkscomposition.h"
#include "tksimage.h"
#include "tksmatcher.h"
#include "tksvalues.h"

namespace {

template <class T>
void tryImage(const unsigned char* data, size_t size)
{
    T value;
    if (!value.deserialize(data, size))
        return;
    std::vector<unsigned char> again(value.getSerializedSize());
    if (again.size() != size || !value.serialize(again.data(), again.size()) ||
        !std::equal(again.begin(), again.end(), data))
        std::abort();  // what was accepted does not write back as it was read
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tryImage<TKSMassSpectrum>(data, size);
    tryImage<TKSChromatogram>(data, size);
    tryImage<TKSCompositionCalculator>(data, size);
    tryImage<TKSMoleculeMatcher2>(data, size);
    if (size < 1)
        return 0;
    static const char magics[][4] = {{'T', 'K', 'M', 'S'}, {'T', 'K', 'C', 'H'}, {'T', 'K', 'E', 'C'}, {'T', 'K', 'M', 'M'}};
    const size_t kind = data[0] % 4;
    tindrel::ImageWriter w;
    for (size_t i = 1; i < size; ++i)
        w.u8(data[i]);
    const std::vector<unsigned char> image = w.image(magics[kind], 1);
    switch (kind) {
    case 0:
        tryImage<TKSMassSpectrum>(image.data(), image.size());
        break;
    case 1:
        tryImage<TKSChromatogram>(image.data(), image.size());
        break;
    case 2:
        tryImage<TKSCompositionCalculator>(image.data(), image.size());
        break;
    default:
        tryImage<TKSMoleculeMatcher2>(image.data(), image.size());
    }
    return 0;
}
