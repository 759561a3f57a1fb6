// Memo files (.DBT): whatever the bytes, opening either fails with a code
// or gives a file from which the memo of every block number (and of fields
// that name none) reads or fails with a code, the text always terminated
// within the reader's limit.
#include "ksfuzz.h"
#include "zinternal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
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
    const std::string path = ks::fuzz::writeInput(data, size, "input.dbt");
    DBHANDLE memo = nullptr;
    if (zentar::memoOpen(path.c_str(), &memo) != 0)
        return 0;
    std::vector<char> text(zentar::kMemoMaxText + 64);
    const int blocks = int(size / 512) + 2;
    char field[11];
    for (int b = 0; b <= blocks; ++b) {
        std::snprintf(field, sizeof field, "%10d", b);
        std::memset(text.data(), 'x', text.size());
        if (zentar::memoRead(memo, field, text.data()) == 0 || dBerrno() == 4305)
            check(std::memchr(text.data(), '\0', zentar::kMemoMaxText + 2) != nullptr);
    }
    for (const char* other : {"          ", "1         ", "    -1    ", "99999999999"}) {
        std::memcpy(field, other, 10);
        field[10] = '\0';
        zentar::memoRead(memo, field, text.data());
    }
    zentar::memoClose(memo);
    return 0;
}
