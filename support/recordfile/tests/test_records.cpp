// Record files: header layout, lifecycle, record operations through the
// buffer window, and damaged headers.
#include "ztest.h"

#include <gtest/gtest.h>

#include <ctime>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace zt;

namespace {

struct Today {
    int year, month, day;
};
Today today()
{
    time_t now = time(nullptr);
    struct tm t;
    gmtime_r(&now, &t);
    return {t.tm_year, t.tm_mon + 1, t.tm_mday};
}

// Creates a file with one C field of `width` and `records` records "R1".. .
std::string makeFile(const std::string& name, int width, int records)
{
    FieldDesc f = field("NAME", 'C', width);
    std::string p = path(name);
    EXPECT_EQ(dBcreat(p.c_str(), 1, &f), 0);
    DBHANDLE h = nullptr;
    EXPECT_EQ(dBopen(p.c_str(), &h), 0);
    for (int i = 1; i <= records; ++i)
        EXPECT_EQ(dBputr(h, i, pad("R" + std::to_string(i), width).c_str()), 0);
    EXPECT_EQ(dBclose(h), 0);
    return p;
}

std::vector<std::string> readAll(DBHANDLE h, int width, std::vector<int>* deleted = nullptr)
{
    int32_t n = 0;
    EXPECT_EQ(dBsize(h, &n), 0);
    std::vector<std::string> out;
    std::vector<char> buf(size_t(width) + 1);
    for (int i = 1; i <= n; ++i) {
        char del = 9;
        EXPECT_EQ(dBgetr(h, i, buf.data(), &del), 0) << "record " << i;
        out.emplace_back(buf.data(), size_t(width));
        if (deleted)
            deleted->push_back(del);
    }
    return out;
}

}  // namespace

TEST(RecordFileHeader, OneCharacterFieldGivesThe67ByteLayout)
{
    FieldDesc f = field("NAME", 'C', 10);
    std::string p = path("one.dbf");
    Today t = today();
    ASSERT_EQ(dBcreat(p.c_str(), 1, &f), 0);
    std::string b = bytes(p);
    ASSERT_EQ(b.size(), 67u);
    EXPECT_EQ(uint8_t(b[0]), 0x03);
    EXPECT_EQ(uint8_t(b[1]), t.year);
    EXPECT_EQ(uint8_t(b[2]), t.month);
    EXPECT_EQ(uint8_t(b[3]), t.day);
    EXPECT_EQ(u32(b, 4), 0u);
    EXPECT_EQ(u16(b, 8), 66);
    EXPECT_EQ(u16(b, 10), 11);
    EXPECT_EQ(b.substr(12, 20), std::string(20, '\0'));
    EXPECT_EQ(b.substr(32, 11), std::string("NAME\0\0\0\0\0\0\0", 11));
    EXPECT_EQ(b[43], 'C');
    EXPECT_EQ(b.substr(44, 4), std::string(4, '\0'));
    EXPECT_EQ(uint8_t(b[48]), 10);
    EXPECT_EQ(b[49], '\0');
    EXPECT_EQ(b.substr(50, 14), std::string(14, '\0'));
    EXPECT_EQ(uint8_t(b[64]), 0x0D);
    EXPECT_EQ(uint8_t(b[65]), 0x00);
    EXPECT_EQ(uint8_t(b[66]), 0x1A);
}

TEST(RecordFileHeader, MemoFieldTypesAndFixedLengths)
{
    FieldDesc f[5] = {field("TEXT", 'm', 3), field("day", 'd', 1), field("ok", 'l', 9),
                      field("amount", 'n', 7, 2), field("c", 'c', 4, 3)};
    std::string p = path("memo.dbf");
    ASSERT_EQ(dBcreat(p.c_str(), 5, f), 0);
    std::string b = bytes(p);
    EXPECT_EQ(uint8_t(b[0]), 0x83);
    EXPECT_EQ(u16(b, 8), 34 + 32 * 5);
    const char types[] = "MDLNC";
    const int lengths[] = {10, 8, 1, 7, 4};
    const int decimals[] = {0, 0, 0, 2, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(b[32 + 32 * i + 11], types[i]);
        EXPECT_EQ(uint8_t(b[32 + 32 * i + 16]), lengths[i]);
        EXPECT_EQ(uint8_t(b[32 + 32 * i + 17]), decimals[i]) << "decimals only for N";
    }
    EXPECT_EQ(u16(b, 10), 1 + 10 + 8 + 1 + 7 + 4);
    EXPECT_EQ(b.size(), size_t(34 + 32 * 5 + 1));
}

TEST(RecordFileHeader, CreateRefusesBadDescriptions)
{
    struct Case {
        std::vector<FieldDesc> fields;
        int count;
        int detail;
    };
    std::vector<FieldDesc> tooWide(130, field("F", 'C', 254));
    std::vector<FieldDesc> widest(129, field("F", 'C', 254));
    widest.push_back(field("G", 'C', 2));   // 32768 exactly is allowed
    std::vector<Case> cases = {
        {{field("A", 'C', 5)}, 0, 101},
        {{field("A", 'C', 5)}, 256, 101},   // only the low byte counts
        {{field("ELEVENCHARS", 'C', 5)}, 1, 103},
        {{field("A", 'X', 5)}, 1, 104},
        {{field("A", 'C', 0)}, 1, 105},
        {{field("A", 'N', 255)}, 1, 105},
        {tooWide, 130, 106},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        std::string p = path("bad" + std::to_string(i) + ".dbf");
        EXPECT_EQ(dBcreat(p.c_str(), cases[i].count, cases[i].fields.data()), 1) << i;
        EXPECT_EQ(dBerrno(), cases[i].detail) << i;
    }
    EXPECT_EQ(dBcreat(path("widest.dbf").c_str(), 130, widest.data()), 0);
    EXPECT_EQ(dBcreat((ks::test::tempDir() + "/missing/x.dbf").c_str(), 1, cases[0].fields.data()), 1);
    EXPECT_EQ(dBerrno(), 107);
}

TEST(RecordFileHeader, TwoHundredFiftyFiveFields)
{
    std::vector<FieldDesc> f;
    for (int i = 0; i < 255; ++i)
        f.push_back(field(("F" + std::to_string(i)).c_str(), i % 2 ? 'N' : 'C', 1 + i % 20, 0));
    std::string p = path("wide.dbf");
    ASSERT_EQ(dBcreat(p.c_str(), 255, f.data()), 0);
    EXPECT_EQ(bytes(p).size(), size_t(34 + 32 * 255 + 1));
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    int16_t dataLen = 0;
    char month, day, year, count;
    std::vector<FieldDesc> got(255);
    ASSERT_EQ(dBgetf(h, &dataLen, &month, &day, &year, &count, got.data()), 0);
    EXPECT_EQ(uint8_t(count), 255);
    int sum = 0;
    for (int i = 0; i < 255; ++i) {
        EXPECT_STREQ(got[i].name, f[i].name);
        EXPECT_EQ(got[i].type, f[i].type);
        EXPECT_EQ(got[i].length, f[i].length);
        sum += f[i].length;
    }
    EXPECT_EQ(dataLen, sum);
    std::string rec(size_t(sum), 'x');
    for (int i = 0; i < sum; ++i)
        rec[i] = char('a' + i % 26);
    ASSERT_EQ(dBputr(h, 1, rec.c_str()), 0);
    ASSERT_EQ(dBclose(h), 0);
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    std::vector<char> back(static_cast<size_t>(sum));
    char del = 1;
    ASSERT_EQ(dBgetr(h, 1, back.data(), &del), 0);
    EXPECT_EQ(std::string(back.data(), back.size()), rec);
    EXPECT_EQ(del, 0);
    EXPECT_EQ(dBclose(h), 0);
}

TEST(RecordFileLifecycle, AppendReadBeforeCloseAndHeaderAfterClose)
{
    FieldDesc f = field("NAME", 'C', 10);
    std::string p = path("a.dbf");
    ASSERT_EQ(dBcreat(p.c_str(), 1, &f), 0);
    std::string before = bytes(p);
    before[1] = before[2] = before[3] = 0;   // an old date, to see it rewritten
    ks::test::writeFile(p, before);
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    for (int i = 1; i <= 3; ++i)
        ASSERT_EQ(dBputr(h, i, pad("rec" + std::to_string(i), 10).c_str()), 0);
    char buf[11] = {};
    char del = 7;
    ASSERT_EQ(dBgetr(h, 2, buf, &del), 0);
    EXPECT_EQ(std::string(buf, 10), pad("rec2", 10));
    EXPECT_EQ(del, 0);
    int32_t n = 0;
    ASSERT_EQ(dBsize(h, &n), 0);
    EXPECT_EQ(n, 3);
    ASSERT_EQ(dBclose(h), 0);
    std::string b = bytes(p);
    Today t = today();
    EXPECT_EQ(u32(b, 4), 3u);
    EXPECT_EQ(uint8_t(b[1]), t.year);
    EXPECT_EQ(uint8_t(b[2]), t.month);
    EXPECT_EQ(uint8_t(b[3]), t.day);
    ASSERT_EQ(b.size(), size_t(66 + 3 * 11 + 1));
    EXPECT_EQ(b.substr(66, 11), " " + pad("rec1", 10));
    EXPECT_EQ(uint8_t(b.back()), 0x1A);
}

TEST(RecordFileLifecycle, CloseAfterReadingOnlyLeavesTheFileAlone)
{
    std::string p = makeFile("r.dbf", 10, 4);
    std::string b = bytes(p);
    b[1] = 80;   // an old date must survive a read-only session
    ks::test::writeFile(p, b);
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    auto recs = readAll(h, 10);
    EXPECT_EQ(recs.size(), 4u);
    ASSERT_EQ(dBclose(h), 0);
    EXPECT_EQ(bytes(p), b);
}

TEST(RecordFileLifecycle, InsertUpdateRemoveShiftTheTail)
{
    std::string p = makeFile("iur.dbf", 6, 5);
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    ASSERT_EQ(dBputr(h, 1, pad("NEW", 6).c_str()), 0);   // before record 1
    int32_t n = 0;
    ASSERT_EQ(dBsize(h, &n), 0);
    EXPECT_EQ(n, 6);
    auto recs = readAll(h, 6);
    ASSERT_EQ(recs.size(), 6u);
    EXPECT_EQ(recs[0], pad("NEW", 6));
    EXPECT_EQ(recs[1], pad("R1", 6));
    EXPECT_EQ(recs[5], pad("R5", 6));
    ASSERT_EQ(dBclose(h), 0);
    size_t lengthBefore = bytes(p).size();
    EXPECT_EQ(lengthBefore, size_t(66 + 6 * 7 + 1));

    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    ASSERT_EQ(dBrmvr(h, 3), 0);   // old R2
    ASSERT_EQ(dBupdr(h, 4, pad("UPD", 6).c_str()), 0);
    ASSERT_EQ(dBclose(h), 0);
    std::string b = bytes(p);
    EXPECT_EQ(b.size(), lengthBefore) << "a removal keeps the file length";
    EXPECT_EQ(u32(b, 4), 5u);
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    recs = readAll(h, 6);
    std::vector<std::string> want = {pad("NEW", 6), pad("R1", 6), pad("R3", 6), pad("UPD", 6),
                                     pad("R5", 6)};
    EXPECT_EQ(recs, want);
    ASSERT_EQ(dBclose(h), 0);
    EXPECT_EQ(uint8_t(b[66 + 5 * 7]), 0x1A) << "end byte after the last record";
}

TEST(RecordFileLifecycle, DeletedFlagIsReportedAndAnUpdateUndeletes)
{
    std::string p = makeFile("del.dbf", 4, 3);
    std::string b = bytes(p);
    b[66 + 5] = '*';   // record 2
    ks::test::writeFile(p, b);
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    std::vector<int> del;
    readAll(h, 4, &del);
    EXPECT_EQ(del, (std::vector<int>{0, 1, 0}));
    ASSERT_EQ(dBupdr(h, 2, "XXXX"), 0);
    ASSERT_EQ(dBclose(h), 0);
    EXPECT_EQ(bytes(p).substr(66 + 5, 5), " XXXX");
}

TEST(RecordFileLifecycle, RecordNumbersOutOfRange)
{
    std::string p = makeFile("range.dbf", 4, 2);
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    char buf[5];
    char del;
    EXPECT_EQ(dBgetr(h, 0, buf, &del), 3);
    EXPECT_EQ(dBerrno(), 401);
    EXPECT_EQ(dBgetr(h, 3, buf, &del), 3);
    EXPECT_EQ(dBerrno(), 401);
    EXPECT_EQ(dBputr(h, 4, "abcd"), 3);
    EXPECT_EQ(dBerrno(), 501);
    EXPECT_EQ(dBputr(h, 0, "abcd"), 3);
    EXPECT_EQ(dBrmvr(h, 3), 3);
    EXPECT_EQ(dBerrno(), 601);
    EXPECT_EQ(dBupdr(h, 3, "abcd"), 3);
    EXPECT_EQ(dBerrno(), 701);
    EXPECT_EQ(dBupdr(h, -1, "abcd"), 3);
    ASSERT_EQ(dBclose(h), 0);
}

TEST(RecordFileLifecycle, HandlesThatAreNotOpenSlots)
{
    int local = 0;
    DBHANDLE bogus = &local;
    char buf[8];
    char del;
    int32_t n;
    int16_t dl;
    EXPECT_EQ(dBclose(bogus), 1);
    EXPECT_EQ(dBerrno(), 390);
    EXPECT_EQ(dBgetr(nullptr, 1, buf, &del), 1);
    EXPECT_EQ(dBerrno(), 390);
    EXPECT_EQ(dBputr(bogus, 1, buf), 1);
    EXPECT_EQ(dBupdr(bogus, 1, buf), 1);
    EXPECT_EQ(dBrmvr(bogus, 1), 1);
    EXPECT_EQ(dBsize(bogus, &n), 1);
    EXPECT_EQ(dBgetf(bogus, &dl, buf, buf, buf, buf, nullptr), 1);
    EXPECT_EQ(dBerrno(), 390);

    // A closed handle is refused too.
    std::string p = makeFile("closed.dbf", 4, 1);
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    ASSERT_EQ(dBclose(h), 0);
    EXPECT_EQ(dBclose(h), 1);
    EXPECT_EQ(dBerrno(), 390);
}

TEST(RecordFileLifecycle, TenSlotsThenTheEleventhOpenFails)
{
    std::string p = makeFile("slots.dbf", 4, 1);
    std::vector<DBHANDLE> hs(10);
    for (auto& h : hs)
        ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    DBHANDLE extra = nullptr;
    EXPECT_EQ(dBopen(p.c_str(), &extra), 1);
    EXPECT_EQ(dBerrno(), 201);
    for (auto h : hs)
        EXPECT_EQ(dBclose(h), 0);
    EXPECT_EQ(dBopen(path("nothere.dbf").c_str(), &extra), 1);
    EXPECT_EQ(dBerrno(), 202);
    EXPECT_EQ(dBopen(p.c_str(), &extra), 0) << "a failed open frees its slot";
    EXPECT_EQ(dBclose(extra), 0);
}

// Only regular files open: a FIFO would block the first read for ever and
// a device would feed bytes without end.
TEST(RecordFileLifecycle, SpecialFilesAreRefused)
{
    const std::string fifo = path("fifo.dbf");
    const std::string zero = path("zero.dbf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string& p : {fifo, zero, ks::test::tempDir()}) {
        DBHANDLE h = nullptr;
        EXPECT_EQ(dBopen(p.c_str(), &h), 1) << p;
        EXPECT_EQ(dBerrno(), 202) << p;
    }
}

// Damaged and foreign headers are refused with a detail number, never read.
TEST(RecordFileDamage, DamagedHeadersAreRefused)
{
    std::string good;
    {
        std::string p = makeFile("good.dbf", 10, 3);   // header 66, 3 records of 11
        good = bytes(p);
    }
    auto with = [&](auto change) {
        std::string b = good;
        change(b);
        return b;
    };
    struct Case {
        const char* what;
        std::string file;
        int rc;
        int detail;
    };
    std::vector<Case> cases = {
        {"65 bytes", good.substr(0, 65), 1, 203},
        {"empty", std::string(), 1, 203},
        {"version 0x30", with([](std::string& b) { b[0] = 0x30; }), 2, 204},
        {"record length above the fields", with([](std::string& b) { setU16(b, 10, 12); }), 2, 205},
        {"fields past the record length", with([](std::string& b) { b[48] = 20; }), 2, 205},
        {"record count beyond the file", with([](std::string& b) { setU32(b, 4, 4); }), 2, 206},
        {"huge record count", with([](std::string& b) { setU32(b, 4, 0xFFFFFFFFu); }), 2, 206},
        {"header length below the descriptors", with([](std::string& b) { setU16(b, 8, 64); }), 2, 207},
        {"header length beyond the file", with([](std::string& b) { setU16(b, 8, 60000); }), 2, 208},
        {"descriptors without end mark",
         with([](std::string& b) {
             b[64] = 'X';
             b.resize(90);
         }),
         2, 208},
        {"truncated after the descriptors", good.substr(0, 70), 2, 206},
    };
    for (const auto& c : cases) {
        std::string p = path("damaged.dbf");
        ks::test::writeFile(p, c.file);
        DBHANDLE h = nullptr;
        EXPECT_EQ(dBopen(p.c_str(), &h), c.rc) << c.what;
        EXPECT_EQ(dBerrno(), c.detail) << c.what;
        if (c.rc == 0)
            dBclose(h);
    }
    // All slots are free again.
    std::vector<DBHANDLE> hs(10);
    std::string p = path("good.dbf");
    for (auto& h : hs)
        ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    for (auto h : hs)
        dBclose(h);
}

// Random operations against a plain model; several record lengths so that
// windows hold 1, a few or many records.
class RecordFileModel : public ::testing::TestWithParam<int> {};

TEST_P(RecordFileModel, RandomOperationsMatchAModel)
{
    const int width = GetParam();
    // Fields of at most 254 characters making up the width.
    std::vector<FieldDesc> fs;
    for (int left = width; left > 0; left -= 254)
        fs.push_back(field(("V" + std::to_string(fs.size())).c_str(), 'C', left > 254 ? 254 : left));
    std::string p = path("model.dbf");
    ASSERT_EQ(dBcreat(p.c_str(), int(fs.size()), fs.data()), 0);
    const size_t headerLen = 34 + 32 * fs.size();
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    std::vector<std::string> model;
    std::mt19937 rng(uint32_t(width) * 7919u);
    int serial = 0;
    auto text = [&] { return pad("v" + std::to_string(++serial), size_t(width)); };
    std::vector<char> buf(static_cast<size_t>(width));
    const int steps = width > 1000 ? 250 : 1500;
    for (int step = 0; step < steps; ++step) {
        int op = int(rng() % 100);
        int32_t n = 0;
        ASSERT_EQ(dBsize(h, &n), 0);
        ASSERT_EQ(size_t(n), model.size()) << "step " << step;
        if (op < 35) {   // append
            std::string t = text();
            ASSERT_EQ(dBputr(h, n + 1, t.c_str()), 0);
            model.push_back(t);
        } else if (op < 50) {   // insert, often at consecutive places
            int at = 1 + int(rng() % uint32_t(n + 1));
            int times = 1 + int(rng() % 4);
            for (int k = 0; k < times; ++k) {
                std::string t = text();
                ASSERT_EQ(dBputr(h, at + k, t.c_str()), 0);
                model.insert(model.begin() + at + k - 1, t);
            }
        } else if (op < 65 && n > 0) {   // update
            int at = 1 + int(rng() % uint32_t(n));
            std::string t = text();
            ASSERT_EQ(dBupdr(h, at, t.c_str()), 0);
            model[size_t(at - 1)] = t;
        } else if (op < 75 && n > 0) {   // remove
            int at = 1 + int(rng() % uint32_t(n));
            ASSERT_EQ(dBrmvr(h, at), 0);
            model.erase(model.begin() + at - 1);
        } else if (op < 97 && n > 0) {   // read
            int at = 1 + int(rng() % uint32_t(n));
            char del = 5;
            ASSERT_EQ(dBgetr(h, at, buf.data(), &del), 0);
            ASSERT_EQ(std::string(buf.data(), buf.size()), model[size_t(at - 1)]) << "step " << step;
            ASSERT_EQ(del, 0);
        } else {   // close and reopen
            ASSERT_EQ(dBclose(h), 0);
            ASSERT_EQ(dBopen(p.c_str(), &h), 0);
        }
    }
    ASSERT_EQ(dBclose(h), 0);
    std::string b = bytes(p);
    const size_t recLen = size_t(width) + 1;
    ASSERT_EQ(u32(b, 4), model.size());
    ASSERT_GE(b.size(), headerLen + recLen * model.size() + 1);
    for (size_t i = 0; i < model.size(); ++i)
        ASSERT_EQ(b.substr(headerLen + i * recLen, recLen), " " + model[i]) << i;
    EXPECT_EQ(uint8_t(b[headerLen + recLen * model.size()]), 0x1A);
}

INSTANTIATE_TEST_SUITE_P(RecordLengths, RecordFileModel, ::testing::Values(3, 64, 300, 2000, 32768));
