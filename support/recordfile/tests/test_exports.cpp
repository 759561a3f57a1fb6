// The shared library exports exactly its functions, under plain C names.
#include "ztest.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

TEST(Exports, OnlyTheLibrarysFunctions)
{
    auto r = ks::test::run({"/usr/bin/nm", "-D", "--defined-only", std::string(KS_LIB_DIR) + "/libZentar32.so"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::set<std::string> got;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream row(line);
        std::string addr, type, name;
        if (row >> addr >> type >> name)
            got.insert(name);
    }
    std::set<std::string> want = {"dBcreat", "dBopen",  "dBclose", "dBgetr", "dBputr",   "dBupdr",
                                  "dBrmvr",  "dBsize",  "dBgetf",  "dBfldtoa", "dBatofld", "dBstrcpy",
                                  "ftoa",    "etoa",    "gtoa",    "dBtkey",  "dBerrno"};
    EXPECT_EQ(got, want);
}
