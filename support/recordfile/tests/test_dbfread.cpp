// Files written by the library, read back by an independent dBASE reader
// (dbfread under Debian's own python3) after inserts, updates and removals.
#include "ztest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

using namespace zt;

namespace {

struct Row {
    std::string name;    // C 12
    std::string count;   // N 6 0 (text as written)
    std::string price;   // N 9 2
    std::string date;    // D, CCYYMMDD or blanks
    char flag;           // L
};

std::string encode(const Row& r)
{
    char buf[12 + 6 + 9 + 8 + 1 + 1];
    dBstrcpy(buf, 'l', 12, r.name.c_str());
    EXPECT_EQ(dBatofld(r.count.c_str(), 6, 0, buf + 12), 0) << r.count;
    EXPECT_EQ(dBatofld(r.price.c_str(), 9, 2, buf + 18), 0) << r.price;
    dBstrcpy(buf + 27, 'l', 8, r.date.c_str());
    buf[35] = r.flag;
    return std::string(buf, 36);
}

// The reference reader's view of a row, as the python script prints it.
std::string expected(const Row& r)
{
    std::string name = r.name.substr(0, 12);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    char num[64];
    std::snprintf(num, sizeof num, "%lld", std::stoll(r.count));
    std::string out = name + "|" + num + "|";
    std::snprintf(num, sizeof num, "%.2f", std::stod(r.price));
    out += num;
    out += "|";
    out += r.date.empty() ? "None" : r.date.substr(0, 4) + "-" + r.date.substr(4, 2) + "-" + r.date.substr(6, 2);
    out += "|";
    out += (r.flag == 'T' || r.flag == 'Y') ? "True" : (r.flag == ' ' || r.flag == '?') ? "None" : "False";
    return out;
}

}  // namespace

TEST(ReferenceReader, ReadsWhatTheLibraryWrote)
{
    FieldDesc f[5] = {field("NAME", 'C', 12), field("COUNT", 'N', 6), field("PRICE", 'N', 9, 2),
                      field("WHEN", 'D', 8), field("OK", 'L', 1)};
    std::string p = path("written.dbf");
    ASSERT_EQ(dBcreat(p.c_str(), 5, f), 0);
    DBHANDLE h = nullptr;
    ASSERT_EQ(dBopen(p.c_str(), &h), 0);

    std::mt19937 rng(42);
    std::vector<Row> model;
    int serial = 0;
    auto make = [&] {
        ++serial;
        Row r;
        r.name = "Name\xe9" + std::to_string(serial);   // Latin-1 text
        r.count = std::to_string(int(rng() % 200000) - 100000);
        r.price = std::to_string(int(rng() % 100000)) + "." + std::to_string(rng() % 100);
        if (rng() % 5 == 0)
            r.date.clear();
        else {
            char d[9];
            std::snprintf(d, sizeof d, "%04d%02d%02d", 1900 + int(rng() % 130), 1 + int(rng() % 12),
                          1 + int(rng() % 28));
            r.date = d;
        }
        r.flag = "TFYN ?"[rng() % 6];
        return r;
    };
    for (int i = 0; i < 120; ++i) {
        Row r = make();
        ASSERT_EQ(dBputr(h, i + 1, encode(r).c_str()), 0);
        model.push_back(r);
    }
    for (int i = 0; i < 40; ++i) {
        int32_t n = int32_t(model.size());
        int op = int(rng() % 3);
        int at = 1 + int(rng() % uint32_t(n));
        Row r = make();
        if (op == 0) {
            ASSERT_EQ(dBputr(h, at, encode(r).c_str()), 0);
            model.insert(model.begin() + at - 1, r);
        } else if (op == 1) {
            ASSERT_EQ(dBupdr(h, at, encode(r).c_str()), 0);
            model[size_t(at - 1)] = r;
        } else {
            ASSERT_EQ(dBrmvr(h, at), 0);
            model.erase(model.begin() + at - 1);
        }
    }
    ASSERT_EQ(dBclose(h), 0);

    const char* script = R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], encoding='latin-1', recfactory=lambda items: items)
print(len(t))
for r in t:
    out = []
    for _, v in r:
        if v is None or isinstance(v, bool):
            out.append(str(v))
        elif isinstance(v, float):
            out.append('%.2f' % v)
        else:
            out.append(str(v))
    sys.stdout.buffer.write(('|'.join(out) + '\n').encode('latin-1'))
)";
    auto run = ks::test::run({"/usr/bin/python3", "-c", script, p});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::istringstream in(run.out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, std::to_string(model.size()));
    for (size_t i = 0; i < model.size(); ++i) {
        ASSERT_TRUE(std::getline(in, line)) << i;
        EXPECT_EQ(line, expected(model[i])) << "record " << i + 1;
    }
    EXPECT_FALSE(std::getline(in, line)) << "no records after the end";
}
