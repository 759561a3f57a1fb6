// The elemental-composition state of a mass item: the core library's
// composition calculator (constraints, and what its last run was given
// and found) and the identifier of the spectrum data object that run used;
// the built-in default constraints, the constraints the user stores in the
// application settings, and the block-stream layouts of both.
//
// Layouts (block stream; "[...]" is a block, "[]" an empty one):
//   element constraint:       [] [QString symbol, qint32 minimum, qint32 maximum]
//   element constraint list:  [] [qint32 count, count element constraints]
//   composition constraints:  [] [element constraint list, float DBE minimum,
//                              float DBE maximum, bool tolerance in Da,
//                              double tolerance, qint32 electron mode,
//                              qint32 charge, QString adduct, float fitness
//                              threshold, qint32 maximum result count]
//   state:                    [ [] QByteArray calculator image, QUuid spectrum ]
// Floats are 4-byte singles (stream version 4.0 writes a float as such).
//
// Readers: a second block (or a state block) of length 0 gives the
// default-constructed value (the state stays as it was). Every count and
// length is checked against the bytes that remain; a reader stops at the
// end of its block after its known fields, so fields a newer writer adds
// there are passed over. Damaged bytes leave the stream failed
// (ReadPastEnd, or ReadCorruptData for a block its fields overrun) and
// the reader's result at that default: constraints default-constructed,
// the state unchanged.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <vector>

#include "tdatastream.h"
#include "tindrel.h"

class TMassElementComposition {
public:
    // Built-in default constraints; call loadSavedConstraints right after.
    TMassElementComposition();

    // The constraints stored in the application settings, else the
    // built-in defaults.
    void loadSavedConstraints();

    void save(TDataStream& s) const;
    // A state block of length 0 reads nothing more and changes nothing;
    // so do damaged bytes (the stream is then failed). The calculator
    // keeps its state when it refuses the image.
    void load(TDataStream& s);

    TKSCompositionCalculator& calculator() { return m_calculator; }
    const TKSCompositionCalculator& calculator() const { return m_calculator; }
    const QUuid& spectrumId() const { return m_spectrumId; }
    void setSpectrumId(const QUuid& id) { m_spectrumId = id; }

private:
    TKSCompositionCalculator m_calculator;
    QUuid m_spectrumId;
};

// C 0-100, H 0-200, N 0-10, O 0-10, S 0-5, DBE -0.5 to 20, adduct "H",
// all electron modes, 5 ppm, charge 1, no result limit, fitness 0.
TKSCompositionConstraints defaultCompositionConstraints();

// The application settings key of the stored constraints.
extern const char* const kCompositionConstraintsKey;  // "Mass/Elemental Composition/Constraints"

// The stored constraints; the built-in defaults when nothing is stored or
// what is stored does not read.
TKSCompositionConstraints loadCompositionConstraints();
void saveCompositionConstraints(const TKSCompositionConstraints& constraints);

QByteArray elementConstraintsToByteArray(const TKSCompositionConstraints& constraints);
// Damaged bytes give the default-constructed constraints; `ok`, when
// given, tells whether the bytes read without failure.
TKSCompositionConstraints elementConstraintsFromByteArray(const QByteArray& bytes, bool* ok = nullptr);

void writeElementConstraint(const TKSElementConstraint& constraint, TDataStream& s);
TKSElementConstraint readElementConstraint(TDataStream& s);
void writeElementConstraints(const std::vector<TKSElementConstraint>& constraints, TDataStream& s);
std::vector<TKSElementConstraint> readElementConstraints(TDataStream& s);
void writeCompositionConstraints(const TKSCompositionConstraints& constraints, TDataStream& s);
TKSCompositionConstraints readCompositionConstraints(TDataStream& s);

// The element table file beside the host program: the application's
// folder and "/KSElements.ini".
QString elementTableFilePath();
