// Molecules read from MDL V2000 molfiles (TKSMolecule), the input of the
// molecule matcher.
//
// readMolfile(text, table) reads the header, the counts line, the atom and
// bond blocks and the properties up to "M  END" (LF or CR LF). It ends in
// a molecule or in false with the molecule emptied and the reason in
// getError(): a counts line that is missing, not V2000 or promises more
// atom or bond lines than follow, fields cut short or not numbers, a
// symbol the element table lacks, bond atoms outside the atom list or an
// atom bonded to itself, a bond type outside 1 to 8, charges and mass
// differences outside what V2000 allows (atom block charge code 0 to 7,
// "M  CHG" -15 to 15, "M  RAD" 0 to 3, mass difference -3 to 4, "M  ISO"
// 1 to 999), an isotope the table does not hold, property lines whose
// entries run short, no atom, no "M  END". Counts are at most 999 (three
// digits), so nothing is sized by more than that.
//
// As in V2000, "M  CHG" and "M  RAD" lines replace every charge and
// radical of the atom block, "M  ISO" lines every mass difference.
//
// Implicit hydrogens (the README states the rule): an atom's valence field
// when set (15: none), else its element's valence from the table, changed
// by its charge (elements of groups 15 to 17 gain a positive and lose a
// negative charge, group 13 gains a negative charge, carbon, silicon,
// hydrogen and the metals lose either), less its bonds (aromatic bonds 1.5,
// query bond types 5 to 8 count 1, the sum rounded down) and 1 for a
// doublet radical or 2 for a singlet or triplet, never below 0.
#pragma once

#include <string>
#include <vector>

#include "tindrelglobal.h"
#include "tkselements.h"

class TINDREL_EXPORT TKSMolecule {
public:
    struct Atom {
        std::wstring symbol;
        int element = -1;      // index in the element table
        int charge = 0;
        int massNumber = 0;    // 0: the natural isotope mixture
        int radical = 0;       // 0 none, 1 singlet, 2 doublet, 3 triplet
        int valence = 0;       // the valence field: 0 default, 1 to 14, 15 none
        int implicitHydrogens = 0;
        double x = 0, y = 0, z = 0;
    };
    struct Bond {
        int first = 0;   // atom indexes from 0
        int second = 0;
        int type = 1;    // 1 single, 2 double, 3 triple, 4 aromatic, 5 to 8 query
    };

    TKSMolecule();
    ~TKSMolecule();
    TKSMolecule(const TKSMolecule&);
    TKSMolecule& operator=(const TKSMolecule&);

    bool readMolfile(const std::string& text, const TKSElementTable& table);
    const std::wstring& getError() const { return m_error; }
    bool isEmpty() const { return m_atoms.empty(); }

    // The header's first line.
    const std::wstring& getName() const { return m_name; }
    const std::vector<Atom>& getAtoms() const { return m_atoms; }
    const std::vector<Bond>& getBonds() const { return m_bonds; }

    // The sum of the atoms' charges.
    int getCharge() const;
    // Atoms "H" and every atom's implicit hydrogens.
    int getHydrogenCount() const;
    // Hill order, implicit hydrogens included; an isotope label counts
    // under its element ("D" is an element of the table).
    std::wstring getFormula() const;
    // The atoms' monoisotopic masses (a labelled atom at its isotope's
    // mass) less an electron per positive charge, plus one per negative.
    double getMonoisotopicMass() const;

    // The element table the molecule was read with.
    const TKSElementTable& getElementTable() const { return m_table; }

private:
    void clear();

    TKSElementTable m_table;
    std::wstring m_name;
    std::wstring m_error;
    std::vector<Atom> m_atoms;
    std::vector<Bond> m_bonds;
};
