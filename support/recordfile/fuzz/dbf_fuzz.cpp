// Record files (.DBF): whatever the bytes, opening either fails with a code
// or gives a header whose every record and every field can be read and
// converted to text; closing writes back only the header's date and count.
#include "ksfuzz.h"
#include "zentar32.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = ks::fuzz::writeInput(data, size, "input.dbf");
    DBHANDLE h = nullptr;
    if (dBopen(path.c_str(), &h) != 0)
        return 0;
    int16_t dataLength = 0;
    char month = 0, day = 0, year = 0, fieldCount = 0;
    std::vector<FieldDesc> fields(256);
    check(dBgetf(h, &dataLength, &month, &day, &year, &fieldCount, fields.data()) == 0);
    const int nFields = static_cast<unsigned char>(fieldCount);
    int32_t count = -1;
    check(dBsize(h, &count) == 0 && count >= 0);
    // The record as returned: the data without the deletion flag.
    std::vector<char> record(size_t(uint16_t(dataLength)) + 16);
    std::vector<char> text(256 + 16);
    // The records are all in the file (the open checks the count against
    // its size), so reading every one is bounded by the input.
    for (int32_t n = 1; n <= count; ++n) {
        char deleted = 0;
        check(dBgetr(h, n, record.data(), &deleted) == 0);
        size_t at = 0;
        for (int f = 0; f < nFields; ++f) {
            const size_t len = static_cast<unsigned char>(fields[f].length);
            check(at + len <= size_t(uint16_t(dataLength)));
            dBfldtoa(record.data() + at, int(len), text.data());
            at += len;
        }
    }
    char deleted = 0;
    check(dBgetr(h, count + 1, record.data(), &deleted) == 3);
    check(dBgetr(h, 0, record.data(), &deleted) == 3);
    dBclose(h);
    return 0;
}
