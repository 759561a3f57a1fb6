// Reading records along a run of windows: the read-ahead that serves them
// drops what another handle (or the reader itself) writes, a jump reads
// only its window, and running out of memory only costs speed.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

#include <random>

using namespace zt;
using namespace zentar;

namespace {

constexpr int kWidth = 64;   // 7 records per window

std::string text(int i) { return pad("R" + std::to_string(i), kWidth); }

std::string makeFile(const std::string& name, int records)
{
    FieldDesc f = field("V", 'C', kWidth);
    std::string p = path(name);
    EXPECT_EQ(dBcreat(p.c_str(), 1, &f), 0);
    DBHANDLE h = nullptr;
    EXPECT_EQ(dBopen(p.c_str(), &h), 0);
    for (int i = 1; i <= records; ++i)
        EXPECT_EQ(dBputr(h, i, text(i).c_str()), 0);
    EXPECT_EQ(dBclose(h), 0);
    return p;
}

std::string get(DBHANDLE h, int n, bool ending = false)
{
    char rec[kWidth];
    char del = 0;
    int rc = ending ? dbGetrEnding(h, n, rec, &del) : dBgetr(h, n, rec, &del);
    EXPECT_EQ(rc, 0) << "record " << n << " detail " << dBerrno();
    return rc == 0 ? std::string(rec, kWidth) : std::string();
}

struct File {
    DBHANDLE h = nullptr;
    explicit File(const std::string& p) { EXPECT_EQ(dBopen(p.c_str(), &h), 0); }
    ~File() { EXPECT_EQ(dBclose(h), 0); }
};

}  // namespace

TEST(ReadAhead, ARunOfWindowsTakesAHundredTimesFewerReads)
{
    const int records = 20000;   // 2858 windows, 1.3 MB
    std::string p = makeFile("run.dbf", records);
    File f(p);
    uint64_t before = zReadCalls();
    for (int i = 1; i <= records; ++i)
        ASSERT_EQ(get(f.h, i), text(i));
    const uint64_t windows = (records + 6) / 7;
    EXPECT_LE((zReadCalls() - before) * 100, windows) << "forward";

    // An index walk backward reads windows that end at the record.
    before = zReadCalls();
    for (int i = records; i >= 1; --i)
        ASSERT_EQ(get(f.h, i, true), text(i));
    EXPECT_LE((zReadCalls() - before) * 100, windows) << "backward";
}

TEST(ReadAhead, JumpsReadTheirWindowAlone)
{
    std::string p = makeFile("jumps.dbf", 3000);
    File f(p);
    std::mt19937 rng(7);
    for (int k = 0; k < 200; ++k) {
        int n = 1 + int(rng() % 3000);
        char rec[kWidth];
        char del;
        const uint64_t before = zReadCalls();
        ASSERT_EQ(dBgetr(f.h, n, rec, &del), 0);
        ASSERT_EQ(std::string(rec, kWidth), text(n));
        EXPECT_LE(zReadCalls() - before, 1u) << "one window at most";
    }
}

// Another handle of the same file changes records ahead of a reader in a
// run: the reader sees each change once its window reaches it, as it would
// reading window by window; only its current window is its own copy.
TEST(ReadAhead, WritesByAnotherHandleAreSeenAhead)
{
    std::string p = makeFile("shared.dbf", 3000);
    File reader(p);
    // The run has read ahead through record 1015; the window holds 1002 to 1008.
    for (int i = 1; i <= 1002; ++i)
        ASSERT_EQ(get(reader.h, i), text(i));

    {
        File writer(p);
        ASSERT_EQ(dBupdr(writer.h, 1004, pad("in the window", kWidth).c_str()), 0);
        ASSERT_EQ(dBupdr(writer.h, 1012, pad("updated", kWidth).c_str()), 0);
        char rec[kWidth];
        char del;
        ASSERT_EQ(dBgetr(writer.h, 2000, rec, &del), 0);   // the update window is written back
        ASSERT_EQ(dBputr(writer.h, 1014, pad("inserted", kWidth).c_str()), 0);
    }   // closing writes the insert back

    EXPECT_EQ(get(reader.h, 1004), text(1004)) << "the current window is not read again";
    EXPECT_EQ(get(reader.h, 1009), text(1009));
    EXPECT_EQ(get(reader.h, 1004), pad("in the window", kWidth)) << "read again with its next window";
    for (int i = 1005; i < 1012; ++i)
        ASSERT_EQ(get(reader.h, i), text(i));
    EXPECT_EQ(get(reader.h, 1012), pad("updated", kWidth));
    EXPECT_EQ(get(reader.h, 1013), text(1013));
    EXPECT_EQ(get(reader.h, 1014), pad("inserted", kWidth));
    for (int i = 1015; i <= 3000; ++i)
        ASSERT_EQ(get(reader.h, i), text(i - 1)) << "the tail moved by one record";
}

// The reader's own changes ahead and behind its run, against a model.
TEST(ReadAhead, OwnChangesDuringRuns)
{
    std::string p = makeFile("own.dbf", 2000);
    std::vector<std::string> model;
    for (int i = 1; i <= 2000; ++i)
        model.push_back(text(i));
    File f(p);
    std::mt19937 rng(11);
    int serial = 0;
    for (int pass = 0; pass < 6; ++pass) {
        const bool backward = pass % 2 == 1;
        const int n = int(model.size());
        for (int k = 0; k < n; ++k) {
            const int at = backward ? n - k : k + 1;
            ASSERT_EQ(get(f.h, at, backward), model[size_t(at - 1)]) << "pass " << pass << " record " << at;
            if (rng() % 97 != 0)
                continue;
            // A change somewhere in the file, usually within reach of the run.
            const int size = int(model.size());
            const int where = 1 + int(rng() % uint32_t(size));
            const std::string t = pad("c" + std::to_string(++serial), kWidth);
            switch (rng() % 3) {
            case 0:
                ASSERT_EQ(dBupdr(f.h, where, t.c_str()), 0);
                model[size_t(where - 1)] = t;
                break;
            case 1:
                ASSERT_EQ(dBputr(f.h, where, t.c_str()), 0);
                model.insert(model.begin() + where - 1, t);
                break;
            default:
                ASSERT_EQ(dBrmvr(f.h, where), 0);
                model.erase(model.begin() + where - 1);
                break;
            }
            if (int(model.size()) < n)
                break;   // the run ends where the file now ends
        }
    }
    int32_t size = 0;
    ASSERT_EQ(dBsize(f.h, &size), 0);
    ASSERT_EQ(size_t(size), model.size());
    for (int i = 1; i <= size; ++i)
        ASSERT_EQ(get(f.h, i), model[size_t(i - 1)]);
}

TEST(ReadAhead, WithoutMemoryForItRecordsAreReadWindowByWindow)
{
    struct HookOff {
        ~HookOff() { zFailAllocAfter(-1); }
    } off;
    std::string p = makeFile("nomem.dbf", 700);
    File f(p);
    ASSERT_EQ(get(f.h, 1), text(1));   // the window buffer is there
    zFailAllocAfter(0);
    const uint64_t before = zReadCalls();
    for (int i = 2; i <= 700; ++i)
        ASSERT_EQ(get(f.h, i), text(i));
    EXPECT_EQ(zReadCalls() - before, 99u) << "one read per further window";
}
