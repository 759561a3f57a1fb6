// Inside the library: the fragments the matcher expects in MS/MS spectra.
#pragma once

#include <vector>

#include "tkschem.h"
#include "tksmolecule.h"

namespace tindrel {

// Molecules with more bonds between non-hydrogen atoms than this are cut
// once only (pairs of cuts grow with the square of the bonds).
constexpr size_t kMaxBondsForPairCuts = 150;

// The neutral masses of the pieces that cutting one bond, or two, between
// non-hydrogen atoms leaves (a ring needs two cuts to open), hydrogens
// kept with the atom that carries them; ascending, equal masses once.
std::vector<double> fragmentMasses(const TKSMolecule& molecule, const ElementData& table);

// Singly charged fragment ions of those pieces: with one to three
// hydrogens' worth of shift (the piece, one or two hydrogens added for
// positive ions, taken away for negative ones), an electron less or more.
std::vector<double> fragmentIons(const std::vector<double>& masses, bool positive, const ElementData& table);

}  // namespace tindrel
