// zentar32_readall FILE [COUNT]: reads every record of a record file
// through the library and exits 0 (1 when the file does not open, a
// record does not read or the count differs from COUNT). The whole-program
// side of zentar32_bench, beside cat and python3-dbfread.
#include "zentar32.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    DBHANDLE h = nullptr;
    int32_t count = 0;
    int16_t length = 0;
    char month = 0, day = 0, year = 0, fields = 0;
    std::vector<FieldDesc> desc(255);
    if (dBopen(argv[1], &h) != 0 || dBsize(h, &count) != 0 ||
        dBgetf(h, &length, &month, &day, &year, &fields, desc.data()) != 0) {
        std::fprintf(stderr, "zentar32_readall: %s does not open (%d)\n", argv[1], dBerrno());
        return 1;
    }
    std::vector<char> record(size_t(length > 0 ? length : 1));
    char deleted = 0;
    unsigned sum = 0;
    for (int32_t n = 1; n <= count; ++n) {
        if (dBgetr(h, n, record.data(), &deleted) != 0) {
            std::fprintf(stderr, "zentar32_readall: record %d does not read (%d)\n", n, dBerrno());
            return 1;
        }
        sum += unsigned(record[0]);
    }
    dBclose(h);
    std::printf("%d records %u\n", count, sum);
    return argc > 2 && count != std::atoi(argv[2]) ? 1 : 0;
}
