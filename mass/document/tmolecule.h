// TMolecule, TAtom, TBond: the molecule record that molecule sources hand
// to the plug-in (candidates of molecule matching), with its formula,
// weight and molfile.
//
// A molecule is a value: atoms and bonds are implicitly shared lists of
// values, copied on write. A bond names its atoms by their 0-based index
// in the atom list; an atom names its bonds by their index in the bond
// list, so a copied molecule never refers into another one. The element
// of an atom is a record of the periodic table (static data) or none.
//
// Records come from molecule sources and may be inconsistent: every index
// is checked (an index that is negative or not below its list's size
// answers none), an atom without an element has an empty symbol and no
// hydrogens, and non-finite coordinates are left out of the scale.
//
// Readers of a molecule change nothing in it except each atom's implicit
// hydrogen cache. A molecule source that changes the bonds or charge of an
// atom after its count was asked for resets the cache
// (TAtom::implicitHydrogens = -1); addBond does so for both atoms.
#pragma once

#include "tperiodictable.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>

struct TBond {
    int32_t tag = 0;      // leading field, kept for the molecule source
    int32_t first = -1;   // atom index, 0-based
    int32_t second = -1;  // atom index, 0-based
    int32_t type = 1;     // 1 single, 2 double, 3 triple, 4 as the source writes it
    int32_t stereo = 0;
};

// An atom's reference to one of its bonds.
struct TBondRef {
    int32_t value = 0;  // kept for the molecule source (addBond: the other atom's index)
    int32_t bond = -1;  // index into the molecule's bond list
};

struct TAtom {
    double x = 0;
    double y = 0;
    double z = 0;
    // "Number" holds the atom's number in the molecule (the number the
    // molfile writes for it).
    QMap<QByteArray, QVariant> properties;
    int32_t charge = 0;
    int32_t isotope = 0;           // mass number, 0 for none
    int32_t valence = -1;          // -1 when unknown
    mutable int32_t implicitHydrogens = -1;  // cache, -1 until computed
    QString label;                 // empty for none
    const TElement* element = nullptr;
    QList<TBondRef> bondRefs;

    // The element's symbol, or an empty text without an element.
    QString symbol() const;
    // The element's standard valences ({0} without valences or element).
    QList<int32_t> valenceList() const;
    // Sets the element from the periodic table by symbol (the default
    // record for a symbol the table lacks).
    void setElement(const QString& symbol);
};

class TMolecule {
public:
    QList<TAtom> atoms;
    QList<TBond> bonds;
    // The molfile text a molecule source stored, empty for none.
    QString cachedMolfile;

    // Appends an atom; answers its index.
    int addAtom(const TAtom& atom);
    // Appends a bond and, for each of its atoms that exists, a reference
    // to it (value: the other atom's index), resetting their hydrogen
    // caches. Answers the bond's index.
    int addBond(const TBond& bond);

    // None when the index is negative or not below the count.
    const TAtom* atomAt(int index) const;
    const TBond* bondAt(int index) const;

    // The implicit hydrogen count of the atom at `index`, cached in the
    // atom: -1 when unknown (unknown valence, no element, no such atom).
    // Starts from the valence, takes 1 for every single bond, 2 for every
    // double bond, 3 for triple bonds and type 4; a positive charge is
    // taken away for carbon and hydrogen and added for other elements, a
    // negative one taken away. A count below 0 (an over-bonded atom) is 0.
    int32_t implicitHydrogenCount(int index) const;

    // The number of atoms with `symbol`; for "H" every other atom adds its
    // implicit hydrogen count (an unknown count adds nothing).
    int32_t symbolCount(const QString& symbol) const;

    // Carbon first, hydrogen second, then the other symbols by character
    // code, each followed by its count when above 1 (C2H6O, CH4, H2O,
    // HCl, ClNa). Atoms without an element are not part of it.
    QString formula() const;

    // The masses of all atoms other than hydrogen, plus the hydrogen count
    // times the mass of hydrogen.
    double molecularWeight() const;

    // The largest absolute finite coordinate of all atoms, or 1.0 when that
    // is 0 (or there is none).
    double largestCoordinate() const;

    // x, y and z times 100 divided by `scale`; a non-finite coordinate is
    // 0.
    static std::array<double, 3> scaledCoordinates(const TAtom& atom, double scale);

    // The stored molfile text when `useCache` and one is stored, else a
    // fresh one (writeMolfile, dated by the molfile clock).
    QString molfile(bool useCache = true) const;
};
