// Small molecules for the molecule and molfile tests.
#pragma once

#include "tmolecule.h"

#include <initializer_list>

namespace ionvale::test {

struct AtomSpec {
    const char* symbol;  // nullptr: no element
    int32_t valence = -1;
    int32_t charge = 0;
    int32_t isotope = 0;
    double x = 0, y = 0, z = 0;
    const char* label = "";
};

struct BondSpec {
    int32_t first;  // 0-based atom indexes
    int32_t second;
    int32_t type = 1;
    int32_t stereo = 0;
};

// Atoms numbered 1, 2, ... in list order (the "Number" property), bonds
// added with their references.
inline TMolecule makeMolecule(std::initializer_list<AtomSpec> atoms, std::initializer_list<BondSpec> bonds = {})
{
    TMolecule m;
    for (const AtomSpec& s : atoms) {
        TAtom a;
        if (s.symbol)
            a.setElement(QString::fromLatin1(s.symbol));
        a.valence = s.valence;
        a.charge = s.charge;
        a.isotope = s.isotope;
        a.x = s.x;
        a.y = s.y;
        a.z = s.z;
        a.label = QString::fromLatin1(s.label);
        a.properties.insert("Number", m.atoms.size() + 1);
        m.addAtom(a);
    }
    for (const BondSpec& b : bonds) {
        TBond bond;
        bond.first = b.first;
        bond.second = b.second;
        bond.type = b.type;
        bond.stereo = b.stereo;
        m.addBond(bond);
    }
    return m;
}

}  // namespace ionvale::test
