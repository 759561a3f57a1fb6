// The molecule reports of the three output modes and the shift and
// pi-excess files.
#include <algorithm>
#include <vector>

#include "common.h"
#include "routines.h"
#include "units.h"

namespace velmar {

namespace {

std::string_view typeSymbol(int t)
{
    if (t < 1 || t > kTypes)
        return "  ";
    return textOf(micro.symb(t));
}

bool labile(int i)
{
    return geom.nno(i) == 1 || geom.nnn(i) == 1 || geom.nnn57(i) == 1;
}

}  // namespace

void outmat()
{
    const int n = geom.natoms;
    writef(12, "(/,10X,'GEOMETRY (Z-MATRIX)',/,/,' NO AN            BL          ALPHA          BETA',"
               "'           CHARGE     PIEXS    SHIFT ',/)");
    for (int i = 1; i <= n; ++i) {
        writef(12, "(1X,I2,1X,I2,4(I5,F10.4),F10.4,F10.3)",
               {i, geom.itype(i), geom.nref(i, 1), geom.geo(i, 1), geom.nref(i, 2), geom.geo(i, 2), geom.nref(i, 3),
                geom.geo(i, 3), geom.nref(i, 4), geom.charge(i), huch.piexs(i), geom.shift(i)});
        if (huch.piexs(i) != 0.0f)
            writef(8, "(F10.4)", {huch.piexs(i)});
    }
    for (int i = 1; i <= n; ++i) {
        if (geom.itype(i) != 1)
            continue;
        if (labile(i))
            writef(7, "(F10.3,5X,13HLABILE PROTON)", {geom.shift(i)});
        else
            writef(7, "(F10.3)", {geom.shift(i)});
    }
    writef(12, "(/,1X,15HDIPOLE MOMENT =,F8.3,7H DEBYES,5X,17HCOMPONENTS    X  ,F6.3,8H     Y  ,F6.3,"
               "8H     Z  ,F6.3,/)",
           {huch.dipm, huch.dipx, huch.dipy, huch.dipz});
    if (cryst.DetailLevel <= 1)
        return;
    writef(12, "(/,1X,'ATOMIC COORDINATES',/,'   NO   AT NO        X           Y           Z   ',/)");
    for (int i = 1; i <= n; ++i)
        writef(12, "(I5,1X,3X,A2,3X,3F12.8)",
               {i, typeSymbol(geom.itype(i)), geom.xyz(i, 1), geom.xyz(i, 2), geom.xyz(i, 3)});
    writef(12, "(/,1X,'INTERATOMIC DISTANCES',/)");
    for (int b = 0; b < 5; ++b) {
        int first = 15 * b + 1;
        if (first > n)
            break;
        int last = std::min(first + 14, n);
        std::vector<OutItem> head;
        for (int k = first; k <= last; ++k)
            head.emplace_back(k);
        writef(12, "(/,7X,15(3X,I2,2X))", head);
        for (int j = 1; j <= n; ++j) {
            std::vector<OutItem> row;
            row.emplace_back(j);
            for (int k = first; k <= last; ++k)
                row.emplace_back(geom.dist(j, k));
            writef(12, "(5X,I2,15F7.3)", row);
        }
    }
}

void outmnd()
{
    for (int i = 1; i <= geom.natoms; ++i) {
        std::string_view name =
            cryst.InputCode == 0 ? typeSymbol(geom.itype(i)) : std::string_view(micro.alab(i).c, 2);
        writef(12, "(I4,1X,A2,3X,3(F11.4,3X),1X,3I3,F10.4,F10.3)",
               {i, name, geom.geo(i, 1), geom.geo(i, 2), geom.geo(i, 3), geom.nref(i, 1), geom.nref(i, 2),
                geom.nref(i, 3), geom.charge(i), geom.shift(i)});
    }
}

void outcsr()
{
    if (cryst.InputCode != 2) {
        writef(12, "(22X,'CHARGE  SHIFT ',10X,' 1.000   1.000   1.000')");
        writef(12, "(21X,'  90.000  90.000  90.000')");
        writef(12, "('   1')");
        writef(12, "()");
    }
    for (int i = 1; i <= geom.natoms; ++i) {
        if (cryst.InputCode == 0)
            writef(12, "(I4,1X,A2,2X,2X,3(F9.5,1X),4I4,5X,2F7.3)",
                   {i, typeSymbol(geom.itype(i)), geom.xyz(i, 1), geom.xyz(i, 2), geom.xyz(i, 3), geom.ialf(i, 2),
                    geom.ialf(i, 3), geom.ialf(i, 4), geom.ialf(i, 5), geom.charge(i), geom.shift(i)});
        else
            writef(12, "(I5,3X,I2,3(F9.4,1X),2F10.3)",
                   {i, geom.itype(i), geom.xyz(i, 1), geom.xyz(i, 2), geom.xyz(i, 3), geom.charge(i), geom.shift(i)});
    }
}

}  // namespace velmar
