// Elemental composition: the constraints of a search (TKSElementConstraint,
// TKSCompositionConstraints), its candidates (TKSCompositionResult) and the
// calculator that finds them (TKSCompositionCalculator).
//
// compute(mz) enumerates the neutral formulas within the element ranges
// whose ion (the formula with the adduct once per charge, taken away for a
// negative charge, none for charge 0) lies within the tolerance of the m/z
// (Da, or ppm of the m/z), whose double bond equivalents lie in the DBE
// range and whose ion has the electron parity asked for; scores each by
// how its M+1/M and M+2/M ratios follow those of the spectrum set (fitness
// 0 to 1, 0 without a spectrum); keeps those at or above the fitness
// threshold; orders them by the fitness and the mass error together (the
// chi-square of both), then by the absolute error, then by formula text;
// and keeps the first `maximum result count` of them (negative: all; 0:
// none). The README states the search, the score and the order.
//
// compute answers false, with no results, for an m/z that is not a
// positive number, without an element table, and for constraints that
// cannot be searched: no elements, a symbol the table lacks or one listed
// twice, a negative count, a minimum above its maximum or a count above
// 100,000, a tolerance that is negative or not a number, a DBE range that
// is upside down or not numbers, a fitness threshold that is not a
// number, a charge beyond +-100, an adduct the table cannot spell; and
// when the search would pass its bounds (50 million formulas visited or
// 200,000 candidates). It answers true when the search ran, also without
// a candidate.
//
// Serialisation: the constraints, the spectrum, the last m/z and the
// results (not the element table: set it before computing again), as a
// byte image of the library's frame (magic "TKEC"); deserialize refuses
// anything but an intact image and then keeps its state.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tindrelglobal.h"
#include "tkselements.h"
#include "tksvalues.h"

class TINDREL_EXPORT TKSElementConstraint {
public:
    // Symbol empty, both counts 0.
    TKSElementConstraint();
    TKSElementConstraint(const std::wstring& symbol, int minimum, int maximum);

    const std::wstring& getSymbol() const { return m_symbol; }
    void setSymbol(const std::wstring& symbol) { m_symbol = symbol; }
    int getMinimumCount() const { return m_minimum; }
    void setMinimumCount(int count) { m_minimum = count; }
    int getMaximumCount() const { return m_maximum; }
    void setMaximumCount(int count) { m_maximum = count; }

private:
    std::wstring m_symbol;
    int m_minimum;
    int m_maximum;
};

TINDREL_EXPORT bool operator==(const TKSElementConstraint& a, const TKSElementConstraint& b);

// A default-constructed set holds C 0-100, H 0-200, N 0-10, O 0-10,
// S 0-5, DBE -0.5 to 20, adduct "H", all electron parities, 5 ppm,
// charge 1, no result limit (-1), fitness threshold 0.
class TINDREL_EXPORT TKSCompositionConstraints {
public:
    enum ElectronMode {
        EvenElectron = 1,
        OddElectron = 2,
        AllElectrons = 3,  // any other value also admits both
    };

    TKSCompositionConstraints();

    const std::vector<TKSElementConstraint>& getElementConstraints() const { return m_elements; }
    void setElementConstraints(const std::vector<TKSElementConstraint>& elements) { m_elements = elements; }
    float getDBEMinimum() const { return m_dbeMinimum; }
    void setDBEMinimum(float value) { m_dbeMinimum = value; }
    float getDBEMaximum() const { return m_dbeMaximum; }
    void setDBEMaximum(float value) { m_dbeMaximum = value; }
    const std::wstring& getAdduct() const { return m_adduct; }
    void setAdduct(const std::wstring& adduct) { m_adduct = adduct; }
    int getElectronMode() const { return m_electronMode; }
    void setElectronMode(int mode) { m_electronMode = mode; }
    double getTolerance() const { return m_tolerance; }
    void setTolerance(double tolerance) { m_tolerance = tolerance; }
    bool getUseToleranceInDa() const { return m_toleranceInDa; }
    void setUseToleranceInDa(bool inDa) { m_toleranceInDa = inDa; }
    int getChargeState() const { return m_charge; }
    void setChargeState(int charge) { m_charge = charge; }
    int getMaximumResultCount() const { return m_maximumResults; }
    void setMaximumResultCount(int count) { m_maximumResults = count; }
    float getFitnessThreshold() const { return m_fitnessThreshold; }
    void setFitnessThreshold(float threshold) { m_fitnessThreshold = threshold; }

private:
    std::vector<TKSElementConstraint> m_elements;
    float m_dbeMinimum;
    float m_dbeMaximum;
    std::wstring m_adduct;
    int m_electronMode;
    double m_tolerance;
    bool m_toleranceInDa;
    int m_charge;
    int m_maximumResults;
    float m_fitnessThreshold;
};

// Field by field (floats compared as values: a NaN is unequal).
TINDREL_EXPORT bool operator==(const TKSCompositionConstraints& a, const TKSCompositionConstraints& b);

class TINDREL_EXPORT TKSCompositionResult {
public:
    TKSCompositionResult();
    TKSCompositionResult(const std::wstring& formula, double mass, double dbe, double mDaError, double ppmError,
                         double fitness);

    // The neutral formula in Hill order.
    const std::wstring& getFormula() const { return m_formula; }
    // The ion's m/z (the neutral mass for charge 0).
    double getCalculatedMass() const { return m_mass; }
    // Of the neutral formula.
    double getDoubleBondEquivalent() const { return m_dbe; }
    // |ppm error|.
    double getAbsoluteError() const { return m_ppmError < 0 ? -m_ppmError : m_ppmError; }
    // Measured minus calculated, in mDa and in ppm of the calculated m/z.
    double getmDaError() const { return m_mDaError; }
    double getppmError() const { return m_ppmError; }
    double getFitness() const { return m_fitness; }

private:
    std::wstring m_formula;
    double m_mass;
    double m_dbe;
    double m_mDaError;
    double m_ppmError;
    double m_fitness;
};

class TINDREL_EXPORT TKSCompositionCalculator {
public:
    TKSCompositionCalculator();
    ~TKSCompositionCalculator();

    void setConstraints(const TKSCompositionConstraints& constraints) { m_constraints = constraints; }
    const TKSCompositionConstraints& getConstraints() const { return m_constraints; }
    // Keeps a copy of the table's data (null: none).
    void setElementTable(const TKSElementTable* table);
    // The spectrum whose peaks score the candidates (copied).
    void setSpectrum(const TKSMassSpectrum& spectrum) { m_spectrum = spectrum; }
    const TKSMassSpectrum& getSpectrum() const { return m_spectrum; }

    bool compute(double mz);
    // The m/z of the last computation (0 before).
    double getMZ() const { return m_mz; }
    const std::vector<TKSCompositionResult>& getResults() const { return m_results; }

    size_t getSerializedSize() const;
    bool serialize(unsigned char* buffer, size_t size) const;
    bool deserialize(const unsigned char* data, size_t size);

private:
    std::vector<unsigned char> image() const;

    TKSCompositionConstraints m_constraints;
    TKSElementTable m_table;
    TKSMassSpectrum m_spectrum;
    double m_mz;
    std::vector<TKSCompositionResult> m_results;
};
