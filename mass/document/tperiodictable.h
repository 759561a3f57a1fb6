// TPeriodicTable: the built-in element table of the molecule records.
//
// 124 records in a static table: rows 1 to 118 are the chemical elements
// in atomic-number order (110 to 118 with placeholder symbols and no
// mass), rows 119 to 124 the pseudo-elements "A", "Q", "*", "X", "D"
// (deuterium) and "T" (tritium). A default record {0, "?", "?", no
// valences, 0} stands for every symbol the table lacks.
//
// The table is reached through TSingleton<TPeriodicTable>
// (TPeriodicTable::instance() is the same object). Records are static
// data: pointers to them stay valid for the whole process and may be kept
// in atoms.
#pragma once

#include "tsingleton.h"

#include <QList>
#include <QString>

#include <cstdint>

struct TElement {
    int32_t atomicNumber;  // 1 to 124; 0 for the default record
    const char* name;      // English name
    const char* symbol;    // case-sensitive
    const char* valences;  // standard valences, comma-separated; "" for none
    double mass;           // average atomic mass; 0 for none

    QString symbolText() const { return QString::fromLatin1(symbol); }
    // The standard valences as integers: split at ","; no valences give
    // the single value 0.
    QList<int32_t> valenceList() const;
};

class TPeriodicTable {
public:
    static constexpr int kRowCount = 124;

    static TPeriodicTable* instance() { return TSingleton<TPeriodicTable>::instance(); }

    // The first record whose symbol equals `symbol` exactly (case
    // matters: "cl" is not chlorine), else the default record.
    const TElement& lookup(const QString& symbol) const;
    // Row i (0-based, below kRowCount) in table order; the default record
    // for any other index.
    const TElement& row(int i) const;
    int rowCount() const { return kRowCount; }
    const TElement& defaultRecord() const;
    bool isDefault(const TElement& e) const { return &e == &defaultRecord(); }

private:
    friend class TSingleton<TPeriodicTable>;
    TPeriodicTable() = default;
};
