// Key index files (.NDX): whatever the bytes, opening either fails with a
// code or gives an index whose key information can be read, whose keys can
// be walked both ways (ending within a number of steps the file bounds),
// searched for, and followed to records of a record file.
#include "ksfuzz.h"
#include "zentar32.h"
#include "zinternal.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// A record file of five records that the index's record numbers point
// into (or beyond).
const std::string& recordFile()
{
    static const std::string path = [] {
        const std::string p = ks::fuzz::tempDir() + "/records.dbf";
        FieldDesc f[1] = {{"NAME", 'C', 10, 0}};
        check(dBcreat(p.c_str(), 1, f) == 0);
        DBHANDLE h = nullptr;
        check(dBopen(p.c_str(), &h) == 0);
        for (int i = 1; i <= 5; ++i) {
            // "RECORD" and the number, blank-padded to the field's 10 bytes.
            std::string rec = "RECORD" + std::to_string(i);
            rec.resize(10, ' ');
            check(dBputr(h, i, rec.data()) == 0);
        }
        check(dBclose(h) == 0);
        return p;
    }();
    return path;
}

// Keys of a walk; the number of entries is bounded by the file size (an
// entry takes at least 9 bytes), so a walk that goes on is a hang.
std::vector<std::string> walk(DBHANDLE index, bool forward, size_t limit)
{
    std::vector<std::string> keys;
    check((forward ? zentar::ndxFirst(index) : zentar::ndxLast(index)) == 0);
    char key[128];
    int32_t record = 0;
    for (;;) {
        const int rc = forward ? zentar::ndxNext(index, key, &record) : zentar::ndxPrevious(index, key, &record);
        if (rc != 0)
            break;
        keys.emplace_back(key, 100);
        check(keys.size() <= limit);
    }
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string records = recordFile();
    const std::string path = ks::fuzz::writeInput(data, size, "input.ndx");
    DBHANDLE index = nullptr;
    if (zentar::ndxOpen(path.c_str(), &index) != 0)
        return 0;
    char type = 0, keyLength = 0;
    char expression[512];
    int32_t expressionLength = 0;
    zentar::ndxKeyInfo(index, &type, expression, &expressionLength, &keyLength);
    zentar::ndxDepth(index);

    const size_t limit = size / 9 + 1;
    const std::vector<std::string> forward = walk(index, true, limit);
    walk(index, false, limit);
    int32_t found = 0;
    for (size_t i = 0; i < forward.size() && i < 64; ++i)
        dBtkey(index, forward[i].data(), &found);
    const std::string low(100, '\0'), high(100, '\xFF');
    dBtkey(index, low.data(), &found);
    dBtkey(index, high.data(), &found);

    // Records in key order, both ways, and by key.
    DBHANDLE file = nullptr;
    check(dBopen(records.c_str(), &file) == 0);
    char record[64];
    char deleted = 0;
    int32_t recno = 0;
    size_t steps = 0;
    zentar::ndxFirst(index);
    while (zentar::ndxNextRecord(file, index, record, &deleted, &recno) == 0)
        check(++steps <= limit);
    steps = 0;
    zentar::ndxLast(index);
    while (zentar::ndxPreviousRecord(file, index, record, &deleted, &recno) == 0)
        check(++steps <= limit);
    if (!forward.empty())
        zentar::ndxReadByKey(file, index, forward.front().data(), record, &deleted);
    dBclose(file);
    zentar::ndxClose(index);
    return 0;
}
