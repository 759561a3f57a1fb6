// Inside the library: element data, formulas as counts per element, ion
// texts, and the masses, double bond equivalents and electron counts the
// composition calculator, the isotope clusters and the matcher share.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tindrel {

// The electron's mass in u (CODATA 2018).
constexpr double kElectronMass = 0.000548579909065;

struct Isotope {
    double mass = 0;
    double fraction = 0;  // of the element's atoms, 0 .. 1
    double percent = 0;   // as the table file gives it
};

struct Element {
    std::wstring symbol;
    int number = 0;
    int valence = 0;
    std::vector<Isotope> isotopes;  // ascending mass
    int monoIsotope = 0;            // the most abundant
    double averageMass = 0;
    double monoMass() const { return isotopes[static_cast<size_t>(monoIsotope)].mass; }
    // The mass number nearest the average mass (V2000 mass differences
    // count from it).
    int nominalMass() const;
    // The isotope whose mass rounds to the mass number, -1 when none.
    int isotopeOfMassNumber(int massNumber) const;
};

struct ElementData {
    std::vector<Element> elements;
    int indexOf(const std::wstring& symbol) const;
};

using ElementTablePtr = std::shared_ptr<const ElementData>;

// Reads a table text; null with the reason (naming the line) on any fault.
ElementTablePtr parseElementTable(const std::string& text, std::wstring& error);

// Counts per element of one table, by element index.
using Counts = std::vector<int>;

// A formula text into counts (sized to the table). False for unknown
// symbols, counts over the formula limit, bad syntax or an empty text.
bool parseFormula(const std::wstring& text, const ElementData& table, Counts& counts);

// An ion text: an optional leading multiplier, a formula (may be empty)
// and an optional charge ("H+", "Na+", "NH4+", "2H+", "H2O", "Cl-",
// "++", "+2"). Counts and charge are multiplied by the multiplier.
struct IonText {
    Counts counts;
    int charge = 0;
};
bool parseIonText(const std::wstring& text, const ElementData& table, IonText& ion);

std::wstring hillText(const Counts& counts, const ElementData& table);
double monoisotopicMass(const Counts& counts, const ElementData& table);
double doubleBondEquivalent(const Counts& counts, const ElementData& table);
long long electronCount(const Counts& counts, const ElementData& table);
// a + factor x b, false when a count would fall below 0 or exceed the limit.
bool addCounts(Counts& a, const Counts& b, int factor);
bool isEmpty(const Counts& counts);

// The ion of a neutral formula with an adduct at a charge state: the
// adduct added once per charge (z > 0), taken away once per charge (z < 0),
// not at all for z = 0. False when a count would fall below 0.
bool ionFormula(const Counts& neutral, const Counts& adduct, int charge, Counts& ion);
// The m/z of an ion formula at a charge: (mass - z x electron) / |z|, the
// mass itself for z = 0.
double ionMZ(const Counts& ion, int charge, const ElementData& table);

// Isotope distributions. A peak carries its probability, its
// probability-weighted mass, the lowest and highest mass of the
// isotopologues merged into it and its nominal shift: the sum of its
// isotopes' mass numbers less those of the most abundant ones (0 for the
// monoisotopic peak, 1 for M+1, ...).
struct ClusterPeak {
    double mass = 0;
    double p = 0;
    double lo = 0;
    double hi = 0;
    int shift = 0;
};
// The distribution of a formula: per element, its isotopes raised to the
// count by repeated squaring; every convolution merges peaks of one
// nominal shift whose neighbours lie within `mergeWidth` (mass units) and
// drops those below kClusterPrune of the largest. Ascending shift, and
// ascending mass within a shift.
constexpr double kClusterPrune = 1e-9;
// Peaks of a cluster spectrum below this share of the highest are left out.
constexpr double kSpectrumPrune = 1e-4;
std::vector<ClusterPeak> isotopeDistribution(const Counts& counts, const ElementData& table, double mergeWidth);
// Merges a list sorted by shift and mass in place: a peak joins the one
// before it when both have the same nominal shift and lie at most `width`
// apart (a run of such neighbours becomes one peak). Peaks of different
// shifts never merge.
void mergePeaks(std::vector<ClusterPeak>& peaks, double width);

std::string toUtf8(const std::wstring& text);

// The text without the blanks and tabs around it.
inline std::string trimBlanks(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
}

}  // namespace tindrel
