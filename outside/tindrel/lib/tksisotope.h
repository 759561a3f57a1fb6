// Isotope clusters of ions (TKSIsotopeCluster).
//
// compute(formula, adduct, charge, peakWidth, relative, spectrum): the ion
// is the neutral formula with the adduct added once per positive charge or
// taken away once per negative charge (none for charge 0); its isotope
// distribution comes from the element table's isotopes by convolution
// (each element's isotopes raised to its count by repeated squaring),
// isotopologues below 1e-9 of the largest are dropped at every step, and
// peaks of one nominal mass merge into one at their abundance-weighted m/z
// where neighbours lie at most the peak width (m/z) apart; peaks of
// different nominal masses (1/|charge| apart) never merge. The spectrum gets one centroid per peak at
// (mass - charge x electron mass) / |charge| (the mass for charge 0),
// ascending, peaks below 0.01 % of the highest left out: intensities
// relative to the highest = 100 when `relative` is true, else the
// fraction of all ions (summing to 1 less what was left out). Polarity 1
// for a positive charge, 2 for a negative one, 0 for none; MS order 1.
//
// False, the spectrum's points emptied, without an element table, for a
// formula or adduct the table cannot spell (an empty adduct is none), a
// charge beyond +-100, a peak width that is negative or not a number, or
// an ion that would lose atoms it does not have.
#pragma once

#include <memory>
#include <string>

#include "tindrelglobal.h"
#include "tkselements.h"
#include "tksvalues.h"

class TINDREL_EXPORT TKSIsotopeCluster {
public:
    TKSIsotopeCluster();
    ~TKSIsotopeCluster();

    // Keeps a copy of the table's data (null: none).
    void setElementTable(const TKSElementTable* table);

    bool compute(const std::wstring& formula, const std::wstring& adduct, int charge, double peakWidth,
                 bool relative, TKSMassSpectrum& spectrum) const;

private:
    TKSElementTable m_table;
};
