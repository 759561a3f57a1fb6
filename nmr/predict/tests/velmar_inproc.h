// Helpers for tests that run the program's routines in process.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common.h"
#include "routines.h"
#include "units.h"

namespace velmar::test {

// One atom of a crafted molecule: symbol, coordinates and the 1-based
// numbers of the atoms it is connected to.
struct Atom {
    const char* sym;
    double x, y, z;
    std::vector<int> nb;
};

// Labelled coordinates with connections (input code 2).
inline std::string csr(const std::vector<Atom>& atoms)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "CRAFTED\n%2zu 0\n\n", atoms.size());
    std::string t = buf;
    int i = 0;
    for (const auto& a : atoms) {
        std::snprintf(buf, sizeof buf, "%5d%-4s  %9.5f %9.5f %9.5f ", ++i, a.sym, a.x, a.y, a.z);
        t += buf;
        for (int n : a.nb) {
            std::snprintf(buf, sizeof buf, "%4d", n);
            t += buf;
        }
        t += "\n";
    }
    return t;
}

// Clears the parameter tables, reads the parameter file at the given path
// and completes the symmetric matrices; every unit is closed afterwards.
inline void loadParameters(const std::string& path)
{
    openUnit(4, path, UnitKind::Input);
    huch.ak.clear();
    huch.factor.clear();
    param();
    symmetrizeParameters();
    closeAllUnits();
}

}  // namespace velmar::test
