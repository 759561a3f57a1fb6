// The element table (TKSElementTable) and chemical formulas (TKSFormula).
//
// The table is read from a text file of ours, "KSElements.ini" beside the
// host application: one section per element, named by its symbol, with its
// atomic number, standard valence and isotopes (mass:abundance in percent),
// as the README describes. initialize() reads the whole file or nothing: a
// missing file or any bad line answers false and leaves the table empty,
// with the reason in getError() ("line 12: bad isotopes ...").
//
// Copies of a table share its data, which never changes once read; the
// calculator, the isotope cluster and the matcher keep such a copy, so a
// table may be destroyed or read again while they hold the old one.
//
// A formula is a count per element of one table: symbols (an upper-case
// letter and lower-case ones, "D" for deuterium when the table has it),
// counts, and parenthesised groups with a count ("(CH3)3N"). Unknown
// symbols, counts beyond kMaxFormulaCount atoms, an empty text and
// anything else are refused. Its text is in Hill order: C, then H, then
// the other symbols alphabetically; without carbon, all alphabetically.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tindrelglobal.h"

namespace tindrel {
struct ElementData;
}

class TINDREL_EXPORT TKSElementTable {
public:
    TKSElementTable();
    ~TKSElementTable();
    TKSElementTable(const TKSElementTable&);
    TKSElementTable& operator=(const TKSElementTable&);

    // Reads the table file (a UTF-8 path). False, the table empty, for a
    // file that cannot be read or any line that breaks the format.
    bool initialize(const std::wstring& path);
    // Why the last initialize failed; empty after success.
    const std::wstring& getError() const { return m_error; }

    bool isEmpty() const;
    int getCount() const;
    // The index of a symbol (exact letter case), -1 when the table lacks it.
    int indexOf(const std::wstring& symbol) const;

    // Of the element at an index (0 .. count - 1); empty, 0 or -1 outside.
    std::wstring getSymbol(int index) const;
    int getAtomicNumber(int index) const;
    int getValence(int index) const;
    // The mass of the most abundant isotope, and the abundance-weighted mean.
    double getMonoisotopicMass(int index) const;
    double getAverageMass(int index) const;
    int getIsotopeCount(int index) const;
    double getIsotopeMass(int index, int isotope) const;
    // In percent, as the file gives it.
    double getIsotopeAbundance(int index, int isotope) const;

    // The shared data, for the library's own classes (null when empty).
    std::shared_ptr<const tindrel::ElementData> data() const { return m_data; }

private:
    std::shared_ptr<const tindrel::ElementData> m_data;
    std::wstring m_error;
};

class TINDREL_EXPORT TKSFormula {
public:
    // The largest count of one element, and of all atoms, a formula holds.
    static constexpr int kMaxFormulaCount = 100000;

    TKSFormula();
    ~TKSFormula();
    TKSFormula(const TKSFormula&);
    TKSFormula& operator=(const TKSFormula&);

    // False, the formula emptied, for text the table cannot spell (see above).
    bool parse(const std::wstring& text, const TKSElementTable& table);
    bool isEmpty() const;

    // The count of a symbol (0 when absent or unknown).
    int getCount(const std::wstring& symbol) const;
    // Hill order ("C6H12O6", "ClNa"); empty for an empty formula.
    std::wstring getText() const;
    // The sum of the elements' monoisotopic masses.
    double getMonoisotopicMass() const;
    // Double bond equivalents from the standard valences:
    // 1 + sum over elements of count x (valence - 2) / 2.
    double getDoubleBondEquivalent() const;
    // The electrons of the neutral formula (the sum of atomic numbers).
    long long getElectronCount() const;

private:
    std::shared_ptr<const tindrel::ElementData> m_table;
    std::vector<int> m_counts;
};
