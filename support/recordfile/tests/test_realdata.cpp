// Real record files written by other programs: read field for field and
// compared with an independent reader, the files' summaries and records.
#include "ztest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

using namespace zt;

namespace {

struct Opened {
    DBHANDLE h = nullptr;
    int16_t dataLen = 0;
    char month = 0, day = 0, year = 0, count = 0;
    std::vector<FieldDesc> fields = std::vector<FieldDesc>(255);
};

Opened openReal(const std::string& relative, const std::string& as)
{
    Opened o;
    std::string p = copyReal(relative, as);
    EXPECT_EQ(dBopen(p.c_str(), &o.h), 0) << relative << " detail " << dBerrno();
    if (o.h) {
        EXPECT_EQ(dBgetf(o.h, &o.dataLen, &o.month, &o.day, &o.year, &o.count, o.fields.data()), 0);
    }
    o.fields.resize(uint8_t(o.count));
    return o;
}

// Each record as hex, live ones prefixed L and deleted ones D.
std::vector<std::string> ourRecords(const Opened& o)
{
    int32_t n = 0;
    EXPECT_EQ(dBsize(o.h, &n), 0);
    std::vector<std::string> live, dead;
    std::vector<char> buf(size_t(o.dataLen));
    static const char* hex = "0123456789abcdef";
    for (int i = 1; i <= n; ++i) {
        char del = 0;
        EXPECT_EQ(dBgetr(o.h, i, buf.data(), &del), 0);
        std::string s(1, del ? 'D' : 'L');
        for (char c : buf) {
            s += hex[uint8_t(c) >> 4];
            s += hex[uint8_t(c) & 15];
        }
        (del ? dead : live).push_back(s);
    }
    live.insert(live.end(), dead.begin(), dead.end());
    return live;
}

std::vector<std::string> referenceRecords(const std::string& file)
{
    const char* script = R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], raw=True, load=True, encoding='latin-1',
                ignore_missing_memofile=True, recfactory=lambda items: items)
for kind, recs in (('L', t.records), ('D', t.deleted)):
    for r in recs:
        print(kind + ''.join(v.hex() for _, v in r))
)";
    auto r = ks::test::run({"/usr/bin/python3", "-c", script, file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The field table of a summary file: name, type, length, decimals.
std::vector<FieldDesc> summaryFields(const std::string& relative)
{
    std::ifstream in(ks::test::realData(relative));
    std::vector<FieldDesc> out;
    bool table = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("---", 0) == 0) {
            table = true;
            continue;
        }
        if (!table)
            continue;
        std::istringstream row(line);
        std::string name, type;
        int length, decimals;
        if (row >> name >> type >> length >> decimals)
            out.push_back(field(name.c_str(), type[0], length, decimals));
    }
    return out;
}

std::string fieldText(const Opened& o, const std::vector<char>& rec, int index)
{
    size_t at = 0;
    for (int i = 0; i < index; ++i)
        at += o.fields[size_t(i)].length;
    char text[300] = {};
    if (dBfldtoa(rec.data() + at, o.fields[size_t(index)].length, text) != 0)
        return std::string();
    std::string s = text;
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::vector<char> record(const Opened& o, int n, char* deleted = nullptr)
{
    std::vector<char> buf(size_t(o.dataLen));
    char del = 0;
    EXPECT_EQ(dBgetr(o.h, n, buf.data(), &del), 0);
    if (deleted)
        *deleted = del;
    return buf;
}

void expectFieldsAsSummary(const Opened& o, const std::string& summary)
{
    auto want = summaryFields(summary);
    ASSERT_EQ(o.fields.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_STREQ(o.fields[i].name, want[i].name) << i;
        EXPECT_EQ(o.fields[i].type, want[i].type) << i;
        EXPECT_EQ(o.fields[i].length, want[i].length) << i;
        EXPECT_EQ(o.fields[i].decimals, want[i].decimals) << i;
    }
}

}  // namespace

TEST(RealRecordFiles, Dbase03AsItsSummaryAndTheReferenceReader)
{
    Opened o = openReal("dbase3/infused-dbf/dbase_03.dbf", "dbase_03.dbf");
    ASSERT_TRUE(o.h);
    expectFieldsAsSummary(o, "dbase3/infused-dbf/dbase_03_summary.txt");
    EXPECT_EQ(o.dataLen, 589);
    EXPECT_EQ(o.year, 5) << "the raw year byte; that file's writer meant 2005";
    EXPECT_EQ(o.month, 7);
    EXPECT_EQ(o.day, 13);
    int32_t n = 0;
    ASSERT_EQ(dBsize(o.h, &n), 0);
    EXPECT_EQ(n, 14);
    auto ours = ourRecords(o);
    EXPECT_EQ(ours, referenceRecords(ks::test::realData("dbase3/infused-dbf/dbase_03.dbf")));
    EXPECT_EQ(dBclose(o.h), 0);
}

TEST(RealRecordFiles, Dbase83AsItsSummaryRecordsAndTheReferenceReader)
{
    Opened o = openReal("dbase3/infused-dbf/dbase_83.dbf", "dbase_83.dbf");
    ASSERT_TRUE(o.h);
    expectFieldsAsSummary(o, "dbase3/infused-dbf/dbase_83_summary.txt");
    EXPECT_EQ(o.year, 103);
    EXPECT_EQ(o.month, 12);
    EXPECT_EQ(o.day, 18);
    int32_t n = 0;
    ASSERT_EQ(dBsize(o.h, &n), 0);
    EXPECT_EQ(n, 67);
    EXPECT_EQ(ourRecords(o), referenceRecords(ks::test::realData("dbase3/infused-dbf/dbase_83.dbf")));

    // Records 0 and 9 of the .yml files (0-based there).
    struct Want {
        int recno;
        std::vector<std::string> texts;   // every field but the memo
    };
    const Want wants[] = {
        {1,
         {"87", "2", "0", "0", "87", "1", "Assorted Petits Fours", "graphics/00000001/t_1.jpg",
          "graphics/00000001/1.jpg", "0.00", "0.00", "", "5.51", "T", "T"}},
        {10,
         {"34", "1", "0", "0", "34", "AB01", "Apricot Brandy Fruitcake",
          "graphics/00000001/t_AB01.jpg", "graphics/00000001/AB01.jpg", "37.95", "37.95", "",
          "0.00", "F", "T"}},
    };
    for (const auto& w : wants) {
        auto rec = record(o, w.recno);
        for (int i = 0; i < 15; ++i) {
            if (o.fields[size_t(i)].type == 'M')
                continue;
            std::string got = fieldText(o, rec, i);
            if (o.fields[size_t(i)].type == 'N')
                EXPECT_DOUBLE_EQ(std::strtod(got.c_str(), nullptr), std::strtod(w.texts[size_t(i)].c_str(), nullptr))
                    << "record " << w.recno << " field " << o.fields[size_t(i)].name;
            else
                EXPECT_EQ(got, w.texts[size_t(i)]) << "record " << w.recno << " field " << o.fields[size_t(i)].name;
        }
    }
    EXPECT_EQ(dBclose(o.h), 0);
}

TEST(RealRecordFiles, GeometryTestFileWithDeletedRecordAndBlankLogical)
{
    Opened o = openReal("dbase3/altemiq-geometry/test.dbf", "test.dbf");
    ASSERT_TRUE(o.h);
    ASSERT_EQ(o.fields.size(), 5u);
    const char* names[] = {"ID", "MSG", "NOTE", "BOOLEAN", "DATES"};
    const char types[] = "NCMLD";
    const int lengths[] = {5, 254, 10, 1, 8};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(o.fields[size_t(i)].name, names[i]);
        EXPECT_EQ(o.fields[size_t(i)].type, types[i]);
        EXPECT_EQ(o.fields[size_t(i)].length, lengths[i]);
    }
    EXPECT_EQ(o.dataLen, 278);
    EXPECT_EQ(o.year, 96);
    EXPECT_EQ(o.month, 8);
    EXPECT_EQ(o.day, 17);
    int32_t n = 0;
    ASSERT_EQ(dBsize(o.h, &n), 0);
    ASSERT_EQ(n, 3);
    struct Want {
        char deleted;
        const char* id;
        const char* msg;
        const char* memo;   // the raw 10 characters
        char logical;
        const char* date;
    };
    const Want wants[] = {
        {0, "1", "Record no 1", "         1", ' ', "19960813"},
        {1, "2", "No 2", "         2", 'Y', "19960814"},
        {0, "3", "Message no 3", "         3", 'N', "19960102"},
    };
    for (int i = 0; i < 3; ++i) {
        char del = 9;
        auto rec = record(o, i + 1, &del);
        EXPECT_EQ(del, wants[i].deleted) << i;
        EXPECT_EQ(fieldText(o, rec, 0), wants[i].id);
        EXPECT_EQ(fieldText(o, rec, 1), wants[i].msg);
        EXPECT_EQ(std::string(rec.data() + 259, 10), wants[i].memo);
        EXPECT_EQ(rec[269], wants[i].logical);
        EXPECT_EQ(std::string(rec.data() + 270, 8), wants[i].date);
    }
    char text[4] = "x";
    EXPECT_EQ(dBfldtoa(record(o, 1).data() + 269, 1, text), 1) << "the blank logical reads as blank";
    EXPECT_EQ(ourRecords(o), referenceRecords(ks::test::realData("dbase3/altemiq-geometry/test.dbf")));
    EXPECT_EQ(dBclose(o.h), 0);
}

TEST(RealRecordFiles, ChangingAForeignFileKeepsItsHeaderLength)
{
    // The foreign header is 33 + 32n bytes; records stay where it says.
    std::string p = copyReal("dbase3/altemiq-geometry/test.dbf", "edit.dbf");
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);
    std::vector<char> rec(278, ' ');
    std::memcpy(rec.data(), "    4", 5);
    std::memcpy(rec.data() + 5, "Added", 5);
    std::memcpy(rec.data() + 270, "19991231", 8);
    ASSERT_EQ(dBputr(h, 2, rec.data()), 0);
    ASSERT_EQ(dBrmvr(h, 1), 0);
    ASSERT_EQ(dBclose(h), 0);
    std::string b = bytes(p);
    EXPECT_EQ(u16(b, 8), 193);
    EXPECT_EQ(u32(b, 4), 3u);
    EXPECT_EQ(b.substr(193, 11), "     4Added");
    EXPECT_EQ(b[193 + 279], '*') << "the deleted record follows";
    EXPECT_EQ(uint8_t(b[193 + 3 * 279]), 0x1A);
}
