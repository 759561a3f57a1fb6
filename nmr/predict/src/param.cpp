// The parameter file (unit 4) and its listing.
#include <algorithm>
#include <vector>

#include "common.h"
#include "routines.h"
#include "units.h"

namespace velmar {

namespace {

const char* const kSkip = "(10X)";

void skip(int n)
{
    for (int k = 0; k < n; ++k)
        readf(4, kSkip);
}

// The eight type groups of the symbol and vector records.
std::vector<int> groupTypes(int g)
{
    std::vector<int> t;
    if (g <= 6)
        for (int k = 1; k <= 6; ++k)
            t.push_back((g - 1) * 6 + k);
    else if (g == 7)
        for (int k = 55; k <= 60; ++k)
            t.push_back(k);
    else
        t = {61, 62};
    return t;
}

struct Block {
    int c, d;
};
const Block kBlocks[] = {{1, 7}, {8, 14}, {15, 21}, {22, 28}, {29, 35}, {54, 60}, {61, 62}};

// One half matrix, block by block; skips after each block but the last
// when lastSkips is false.
void readHalfMatrix(Mat<float, kTable, kTable>& m, bool skipAfterLast)
{
    int nb = static_cast<int>(sizeof kBlocks / sizeof kBlocks[0]);
    for (int b = 0; b < nb; ++b) {
        int c = kBlocks[b].c, d = kBlocks[b].d;
        for (int j = c; j <= 62; ++j) {
            if (!(j <= 35 || j >= 53))
                continue;
            if (j == 54 && c != 54)
                continue;
            std::vector<InItem> items;
            for (int col = c; col <= std::min(j, d); ++col)
                items.emplace_back(m(j, col));
            readf(4, "(4X,7F7.2)", items);
            if (c == 54) {
                // column 54 carries iodine's values in this block
                m(j, 53) = m(j, 54);
                if (j == 54)
                    m(53, 53) = m(54, 54);
            }
        }
        if (b < nb - 1 || skipAfterLast)
            skip(2);
    }
}

}  // namespace

void param()
{
    geom.degrad = 0.017453292f;
    geom.pi = 3.1415927f;
    for (int t = 1; t <= kTypes; ++t)
        micro.symb(t).blank();  // types the file does not name stay blank

    skip(4);
    for (int g = 1; g <= 8; ++g) {
        std::vector<InItem> items;
        for (int t : groupTypes(g))
            items.push_back(txt(micro.symb(t)));
        readf(4, "(1X,6(1X,A2))", items);
        if (g == 6)
            micro.symb(53) = micro.symb(36);
    }
    skip(5);
    for (int g = 1; g <= 8; ++g) {
        Vec<float, kTable>* vecs[] = {&huch.el, &huch.pol, &huch.ah};
        for (auto* v : vecs) {
            std::vector<InItem> items;
            for (int t : groupTypes(g))
                items.emplace_back((*v)(t));
            readf(4, "(5X,6F8.3)", items);
        }
        skip(2);
        if (g == 6) {
            huch.el(53) = huch.el(36);
            huch.pol(53) = huch.pol(36);
            huch.ah(53) = huch.ah(36);
        }
    }
    skip(3);
    readHalfMatrix(huch.factor, true);
    skip(3);
    readHalfMatrix(huch.ak, false);
    readf(4, "(2F10.5)", {huch.parx1, huch.parx2});
}

namespace {

std::string_view sym(int t)
{
    return textOf(micro.symb(t));
}

void vectorRows(const std::vector<int>& types, int gap, const char* rest)
{
    struct Row {
        const char* name;
        Vec<float, kTable>* v;
    } rows[] = {{"2HEL", &huch.el}, {"3HPOL", &huch.pol}, {"2HAH", &huch.ah}};
    for (const auto& r : rows) {
        std::vector<OutItem> items;
        for (int t : types)
            items.emplace_back((*r.v)(t));
        // the three-letter name takes one blank of the gap
        int x = r.name[0] == '3' ? gap - 1 : gap;
        writef(12, std::string("(1X,") + r.name + "," + std::to_string(x) + "X," + rest + ")", items);
    }
}

void section(const std::vector<int>& heading, const std::vector<int>& values, int gap, const char* rest)
{
    std::vector<OutItem> syms;
    for (int t : heading)
        syms.emplace_back(sym(t));
    writef(12, "(/,/,/,14X,A2,7(8X,A2),/)", syms);
    vectorRows(values, gap, rest);
}

const int kListed[20] = {1, 6, 7, 8, 9, 14, 15, 16, 17, 34, 35, 53, 55, 56, 57, 58, 59, 60, 61, 62};

void triangle(const Mat<float, kTable, kTable>& m, const char* layout)
{
    std::vector<OutItem> syms;
    for (int t : kListed)
        syms.emplace_back(sym(t));
    writef(12, "(9X,A2,19(3X,A2))", syms);
    for (int r = 0; r < 20; ++r) {
        std::vector<OutItem> items;
        items.emplace_back(sym(kListed[r]));
        for (int c = 0; c <= r; ++c)
            items.emplace_back(m(kListed[r], kListed[c]));
        writef(12, layout, items);
    }
}

}  // namespace

void prparm()
{
    writef(12, "(1X,22H*****  VELMAR8D ***** ,54X,10H02/03/2007)");
    writef(12, "()");
    writef(12, "(1X,16HPOLAR PARAMETERS,/,/)");
    writef(12, "(74X,A2,8X,A2,/)", {sym(1), sym(2)});
    vectorRows({1, 2}, 64, "2F10.3");
    section({3, 4, 5, 6, 7, 8, 9, 10}, {3, 4, 5, 6, 7, 8, 9, 10}, 4, "9F10.3");
    section({11, 12, 13, 14, 15, 16, 17, 18}, {11, 12, 13, 14, 15, 16, 17, 18}, 4, "9F10.3");
    section({19, 20, 31, 32, 33, 34, 35, 36}, {19, 20, 34, 35}, 4, "2F10.3,30X,2F10.3");
    section({37, 38, 49, 50, 51, 52, 53, 54}, {53}, 64, "F10.3");
    section({55, 56, 57, 58, 59, 60, 61, 62}, {55, 56, 57, 58, 59, 60, 61, 62}, 4, "9F10.3");

    writef(12, "(1H1,/,/,1X,18HFACTOR HALF MATRIX,/)");
    triangle(huch.factor, "(1X,A2,5X,20(F4.1,1X))");
    writef(12, "(/,/,/,1X,14HAK HALF MATRIX,/)");
    triangle(huch.ak, "(1X,A2,5X,20(F4.2,1X))");
}

}  // namespace velmar
