// The parameter file reader on files written here from the record layouts,
// independently of the bundled file's generator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>

#include "common.h"
#include "routines.h"
#include "units.h"
#include "kstest.h"

using namespace velmar;

namespace {

std::string symbolOf(int t)
{
    return {static_cast<char>('A' + (t - 1) / 10), static_cast<char>('0' + (t - 1) % 10)};
}
float vecValue(int which, int t)
{
    return static_cast<float>(t) + 0.125f * static_cast<float>(which);
}
float matValue(bool ak, int j, int c)
{
    float v = static_cast<float>(j) + static_cast<float>(c) / 100.0f;
    return ak ? -v : v;
}

const std::vector<std::vector<int>> kGroups = {{1, 2, 3, 4, 5, 6},       {7, 8, 9, 10, 11, 12},
                                               {13, 14, 15, 16, 17, 18}, {19, 20, 21, 22, 23, 24},
                                               {25, 26, 27, 28, 29, 30}, {31, 32, 33, 34, 35, 36},
                                               {55, 56, 57, 58, 59, 60}, {61, 62}};
const int kBlocks[7][2] = {{1, 7}, {8, 14}, {15, 21}, {22, 28}, {29, 35}, {54, 60}, {61, 62}};

std::vector<int> blockRows(int c)
{
    std::vector<int> rows;
    for (int j = c; j <= 62; ++j)
        if ((j <= 35 || j >= 53) && (j != 54 || c == 54))
            rows.push_back(j);
    return rows;
}

// Writes a parameter file in the documented layout. plain: headings hold
// text and numbers have decimal points; otherwise headings are empty and
// numbers carry implied decimals.
std::string makeParams(bool plain)
{
    std::string f;
    char buf[64];
    auto skip = [&](int n) {
        for (int k = 0; k < n; ++k)
            f += plain ? "HEADING LINE\n" : "\n";
    };
    auto real = [&](float v, int w, int d) {
        if (plain)
            std::snprintf(buf, sizeof buf, "%*.*f", w, d, static_cast<double>(v));
        else
            std::snprintf(buf, sizeof buf, "%*ld", w, std::lround(static_cast<double>(v) * std::pow(10.0, d)));
        f += buf;
    };
    skip(4);
    for (const auto& g : kGroups) {
        f += " ";
        for (int t : g)
            f += " " + symbolOf(t);
        f += "\n";
    }
    skip(5);
    for (const auto& g : kGroups) {
        for (int which = 1; which <= 3; ++which) {
            f += "XXXXX";
            for (int t : g)
                real(vecValue(which, t), 8, 3);
            f += "\n";
        }
        skip(2);
    }
    for (bool ak : {false, true}) {
        skip(3);
        for (int b = 0; b < 7; ++b) {
            int c = kBlocks[b][0], d = kBlocks[b][1];
            for (int j : blockRows(c)) {
                f += "ROW ";
                for (int col = c; col <= std::min(j, d); ++col)
                    real(matValue(ak, j, col), 7, 2);
                f += "\n";
            }
            if (!ak || b < 6)
                skip(2);
        }
    }
    real(40.0f, 10, 5);
    real(1.5f, 10, 5);
    f += "\n";
    return f;
}

void readParams(const std::string& text)
{
    huch.ak.clear();
    huch.factor.clear();
    huch.el.clear();
    huch.pol.clear();
    huch.ah.clear();
    for (int t = 1; t <= kTypes; ++t)
        micro.symb(t).blank();
    std::string path = ks::test::tempDir() + "/params.dat";
    ks::test::writeFile(path, text);
    openUnit(4, path, UnitKind::Input);
    try {
        param();
    } catch (...) {
        closeAllUnits();
        throw;
    }
    closeAllUnits();
}

bool present(int j, int c)
{
    // rows present in the file (columns as read)
    if (j < c)
        return false;
    for (int b = 0; b < 7; ++b)
        if (c >= kBlocks[b][0] && c <= kBlocks[b][1])
            for (int r : blockRows(kBlocks[b][0]))
                if (r == j)
                    return true;
    return false;
}

}  // namespace

TEST(VelmarParam, LayoutHas412RecordsAndTheBlockRowCounts)
{
    std::vector<int> counts;
    for (const auto& b : kBlocks)
        counts.push_back(static_cast<int>(blockRows(b[0]).size()));
    EXPECT_EQ(counts, (std::vector<int>{44, 37, 30, 23, 16, 9, 2}));
    std::string f = makeParams(true);
    EXPECT_EQ(std::count(f.begin(), f.end(), '\n'), 412);
}

TEST(VelmarParam, ReadsEveryTableFromItsRecord)
{
    readParams(makeParams(true));
    for (int t = 1; t <= kTypes; ++t) {
        SCOPED_TRACE(t);
        bool has = t <= 36 || t >= 55;
        EXPECT_EQ(micro.symb(t).str(), t == 53 ? symbolOf(36) : has ? symbolOf(t) : "  ");
        int src = t == 53 ? 36 : t;
        bool vals = has || t == 53;
        EXPECT_EQ(huch.el(t), vals ? vecValue(1, src) : 0.0f);
        EXPECT_EQ(huch.pol(t), vals ? vecValue(2, src) : 0.0f);
        EXPECT_EQ(huch.ah(t), vals ? vecValue(3, src) : 0.0f);
    }
    for (bool ak : {false, true}) {
        const auto& m = ak ? huch.ak : huch.factor;
        for (int j = 1; j <= 64; ++j)
            for (int c = 1; c <= 64; ++c) {
                SCOPED_TRACE(std::to_string(j) + "," + std::to_string(c));
                float want = 0.0f;
                if (present(j, c))
                    want = matValue(ak, j, c);
                else if (c == 53 && j >= 54 && j <= 62)
                    want = matValue(ak, j, 54);  // iodine column from column 54
                else if (c == 53 && j == 53)
                    want = matValue(ak, 54, 54);
                EXPECT_FLOAT_EQ(m(j, c), want);
            }
    }
    EXPECT_FLOAT_EQ(huch.parx1, 40.0f);
    EXPECT_FLOAT_EQ(huch.parx2, 1.5f);
    EXPECT_FLOAT_EQ(geom.degrad, 0.017453292f);
    EXPECT_FLOAT_EQ(geom.pi, 3.1415927f);
}

TEST(VelmarParam, EmptyHeadingsAndImpliedDecimalsReadTheSame)
{
    readParams(makeParams(true));
    std::vector<float> a(huch.factor.v[0], huch.factor.v[0] + 64 * 1024);
    std::vector<float> b(huch.ak.v[0], huch.ak.v[0] + 64 * 1024);
    std::vector<float> e(huch.el.v, huch.el.v + 64);
    readParams(makeParams(false));
    EXPECT_EQ(a, std::vector<float>(huch.factor.v[0], huch.factor.v[0] + 64 * 1024));
    EXPECT_EQ(b, std::vector<float>(huch.ak.v[0], huch.ak.v[0] + 64 * 1024));
    EXPECT_EQ(e, std::vector<float>(huch.el.v, huch.el.v + 64));
}

TEST(VelmarParam, SymmetrizedMatricesAndUntouchedTypes)
{
    readParams(makeParams(true));
    symmetrizeParameters();
    for (int i = 1; i <= 70; ++i)
        for (int j = 1; j <= 70; ++j) {
            EXPECT_EQ(huch.factor(i, j), huch.factor(j, i));
            EXPECT_EQ(huch.ak(i, j), huch.ak(j, i));
            if ((i >= 36 && i <= 52) || (j >= 36 && j <= 52) || i > 62 || j > 62) {
                EXPECT_EQ(huch.factor(i, j), 0.0f) << i << "," << j;
                EXPECT_EQ(huch.ak(i, j), 0.0f) << i << "," << j;
            }
        }
    EXPECT_FLOAT_EQ(huch.factor(6, 55), matValue(false, 55, 6));
    EXPECT_FLOAT_EQ(huch.ak(53, 60), matValue(true, 60, 54));
}

TEST(VelmarParam, ShortOrDamagedFileIsAFatalError)
{
    std::string full = makeParams(true);
    // cut after every few records, including inside the matrices
    for (int keep : {0, 3, 10, 60, 200, 411}) {
        size_t pos = 0;
        for (int k = 0; k < keep; ++k)
            pos = full.find('\n', pos) + 1;
        try {
            readParams(full.substr(0, pos));
            ADD_FAILURE() << "no error after " << keep << " records";
        } catch (const FatalError& e) {
            EXPECT_NE(std::string(e.what()).find("end of file"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("unit 4"), std::string::npos) << e.what();
        }
    }
    std::string bad = full;
    bad.replace(bad.find("XXXXX") + 5, 8, "   1.2.3");
    try {
        readParams(bad);
        ADD_FAILURE() << "bad number read";
    } catch (const FatalError& e) {
        EXPECT_NE(std::string(e.what()).find("(5X,6F8.3)"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("record 18"), std::string::npos) << e.what();
    }
}

TEST(VelmarParam, BundledFileCarriesIodineAndParameterisedTypes)
{
    readParams(ks::test::readFile(VELMAR_PARAMS));
    EXPECT_EQ(micro.symb(53).str(), "I ");
    EXPECT_EQ(micro.symb(36).str(), "I ");
    EXPECT_EQ(huch.el(53), huch.el(36));
    EXPECT_EQ(huch.pol(53), huch.pol(36));
    EXPECT_EQ(huch.ah(53), huch.ah(36));
    // the special types map back to their elements by symbol
    const char* elems[] = {"C ", "C ", "N ", "N ", "N ", "O ", "S ", "S "};
    for (int t = 55; t <= 62; ++t)
        EXPECT_EQ(micro.symb(t).str(), elems[t - 55]);
    // every bond the program may compute has a non-zero charge-flow divisor
    const int valid[] = {1, 6, 7, 8, 9, 11, 14, 15, 16, 17, 34, 35, 53, 55, 56, 57, 58, 59, 60, 61, 62};
    for (int a : valid)
        for (int b : valid) {
            if (a >= b) {
                EXPECT_GT(huch.factor(a, b), 0.0f) << a << "," << b;
            }
        }
    EXPECT_GT(huch.parx1, 0.0f);
    // pi bonds of carbon with its usual partners are parameterised
    EXPECT_FLOAT_EQ(huch.ak(55, 55), 1.0f);
    EXPECT_GT(huch.ak(60, 55), 0.0f);
    EXPECT_GT(huch.ak(58, 55), 0.0f);
}
