// The molecule-match state of a mass item: the core library's matcher
// (settings, results), the selected result, the injection and the four
// functions that feed the matcher, and the data objects that show the
// selected result in the item's plots; the settings record that travels
// between the matcher, the settings dialog, the settings command, the
// script object and the application settings; their block-stream layouts.
//
// Layouts (block stream; "[...]" a block, "[]" an empty one):
//   settings:        [ [] positive adducts, negative adducts (each qint32
//                    count, then per pair QString adduct, QString loss),
//                    qint32 largest positive charge, qint32 largest negative
//                    charge, bool dimers, double score threshold, qint32
//                    matches per molecule, qint32 matches per spectrum,
//                    double MS tolerance, double MS/MS tolerance, bool Da ]
//   result objects:  [] qint32 count, then per entry in key order qint32
//                    key and the data object (qint32 kind, the object);
//                    not enclosed in a block of its own
//   state:           [ [] QByteArray matcher image, qint32 selected result,
//                    qint32 injection, qint32 count and the function
//                    indexes, result objects ]
//
// Readers: a settings or state block of length 0 leaves the value as it
// is. Every count and length is checked against the bytes that remain (a
// negative count is an empty list, one the bytes cannot hold fails the
// stream), and a reader stops at the end of its block after its known
// fields. Damaged bytes leave the stream failed and the record or state as
// it was. An entry of an unknown data-object kind ends the result objects:
// inside the state the reader goes on at the end of the state block,
// alone it moves to the end of the data.
//
// Result objects belong to the state: replacing one (setResultObject,
// loading, clearing, destruction) deletes the one replaced unless it is
// the same object.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QPair>
#include <QString>
#include <QVector>

#include <vector>

#include "tdatastream.h"
#include "tindrel.h"
#include "tmassdataobj.h"

typedef QPair<QString, QString> TAdductPair;  // adduct, loss
typedef QVector<TAdductPair> TAdductList;

class TMolMatchSettings {
public:
    // One positive pair ("H+", no loss), one negative (no adduct, "H+"),
    // charges 1 and 1, no dimers, threshold 0.5, one match per molecule
    // and per spectrum, 5 and 10 ppm.
    TMolMatchSettings();
    // The defaults, then every field from the matcher.
    explicit TMolMatchSettings(const TKSMoleculeMatcher2& matcher);

    std::vector<TKSMoleculeMatcher2::CIonSpec> positiveAdducts() const;
    std::vector<TKSMoleculeMatcher2::CIonSpec> negativeAdducts() const;

    void save(TDataStream& s) const;
    // A settings block of length 0, and damaged bytes, leave the record
    // unchanged.
    void load(TDataStream& s);

    TAdductList positiveAdductList;
    TAdductList negativeAdductList;
    int maxChargePositive;
    int maxChargeNegative;
    bool enableDimers;
    double scoreThreshold;
    int maxMatchesPerMolecule;
    int maxMatchesPerSpectrum;
    double msTolerance;
    double msmsTolerance;
    bool toleranceInDa;
};

void ionSpecsToAdductList(const std::vector<TKSMoleculeMatcher2::CIonSpec>& specs, TAdductList& list);
std::vector<TKSMoleculeMatcher2::CIonSpec> adductListToIonSpecs(const TAdductList& list);

// The application settings key of the stored settings.
extern const char* const kMolMatchSettingsKey;  // "Mass/Molecule Match/Settings"

QByteArray molMatchSettingsToByteArray(const TMolMatchSettings& settings);
// Reads over `settings`; answers whether the bytes read without failure.
bool molMatchSettingsFromByteArray(const QByteArray& bytes, TMolMatchSettings& settings);
void saveMolMatchSettings(const TMolMatchSettings& settings);
// The matcher's defaults, read over by the stored settings when there are
// any that read.
TMolMatchSettings loadMolMatchSettings();

class TMassMoleculeMatch {
public:
    // Keys of the result objects the select-result command sets.
    enum ResultKey { PositiveCluster = 0, NegativeCluster = 1, PositiveFragments = 2, NegativeFragments = 3 };
    // Positions in inputFunctions().
    enum InputFunction { MSPositive = 0, MSNegative = 1, MSMSPositive = 2, MSMSNegative = 3 };

    // No result objects, a default matcher, no selection, injection and
    // functions -1. Call loadSavedSettings right after.
    TMassMoleculeMatch();
    ~TMassMoleculeMatch();
    TMassMoleculeMatch(const TMassMoleculeMatch&) = delete;
    TMassMoleculeMatch& operator=(const TMassMoleculeMatch&) = delete;

    TMolMatchSettings settings() const;
    void applySettings(const TMolMatchSettings& settings);
    void loadSavedSettings();

    // Stored in the order MS positive, MS negative, MS/MS positive, MS/MS
    // negative.
    void setInputFunctions(int injection, int msPositive, int msmsPositive, int msNegative, int msmsNegative);
    bool isValidResultIndex(int index) const;

    // The map holds and owns `object` under the key; an object the key
    // held before is deleted unless it is `object` (or another key holds
    // it too). A null object removes the key.
    void setResultObject(int key, TMassDataObj* object);
    void clearResultObjects();
    void saveResultObjects(TDataStream& s) const;
    // Deletes the current result objects and reads the stored ones.
    void loadResultObjects(TDataStream& s);

    void save(TDataStream& s) const;
    // A state block of length 0 reads nothing more and changes nothing;
    // so do damaged bytes (the stream is then failed).
    void load(TDataStream& s);

    const QMap<int, TMassDataObj*>& resultObjects() const { return m_resultObjects; }
    TMassDataObj* resultObject(int key) const { return m_resultObjects.value(key, nullptr); }
    TKSMoleculeMatcher2& matcher() { return m_matcher; }
    const TKSMoleculeMatcher2& matcher() const { return m_matcher; }
    int selectedResult() const { return m_selectedResult; }
    void setSelectedResult(int index) { m_selectedResult = index; }
    int injection() const { return m_injection; }
    // Always four entries.
    const QVector<int>& inputFunctions() const { return m_inputFunctions; }
    int inputFunction(InputFunction which) const { return m_inputFunctions.value(which, -1); }

private:
    enum class EntryEnd { Data, UnknownKind };
    // Reads the result-object layout into `out` (empty, owning what it
    // holds): the entries read whole before an unknown kind or damage.
    static EntryEnd readResultObjects(TDataStream& s, QMap<int, TMassDataObj*>& out);
    static void deleteObjects(QMap<int, TMassDataObj*>& objects);
    void takeResultObjects(QMap<int, TMassDataObj*>& objects);

    QMap<int, TMassDataObj*> m_resultObjects;
    TKSMoleculeMatcher2 m_matcher;
    int m_selectedResult;
    int m_injection;
    QVector<int> m_inputFunctions;
};
