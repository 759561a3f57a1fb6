// Elemental composition and molecule matching as undoable commands, and
// selecting or hiding a match result (the result's spectra shown in the
// item, its overlays and mass chromatograms as the match state's result
// objects). Undo works from block-stream snapshots of the states, taken by
// the constructors (so a command is built right before the host gets it).
//
// No change (the command marked not applied, the states as they were):
// composition without a spectrum object or at an m/z the calculator
// refuses; matching that matches nothing on every item (no molecules, or
// molecules the matcher cannot read); an item whose match found nothing
// keeps its state. Selecting a result clears the item's earlier
// result objects (deleting them), so no overlay of an earlier result stays.
#pragma once

#include <QByteArray>
#include <QPair>
#include <QUuid>
#include <QVector>

#include <string>
#include <vector>

#include "tcanvasitemscommand.h"

class TKSChromatogram;
class TKSElementTable;
class TKSMassSpectrum;
class TMassDataObj;
class TMassSpecDataObj;

class TCmdMassElementComposition : public TMSSpectraCommand {
public:
    // The spectrum is one of the data objects of the items (the item under
    // the mouse); only its id is kept.
    TCmdMassElementComposition(const TMassSpecDataObj* spectrum, double mz, const TKSElementTable* table,
                               const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item == currentMass(); }

    QByteArray previousState;
    double mz;
    // The spectrum's id, resolved at every redo (the item first, then the
    // other items): a script may replace or delete the object while the
    // command waits on the undo stack. A redo that finds no spectrum of
    // that id changes nothing.
    QUuid spectrumId;
    const TKSElementTable* elementTable;

private:
    const TMassSpecDataObj* spectrumFor(const TCanvasMass* item) const;
};

class TCmdMoleculeMatcher : public TMSSpectraCommand {
public:
    TCmdMoleculeMatcher(const std::vector<std::wstring>& molfiles, const std::vector<std::wstring>& moleculeIds,
                        const TKSElementTable* table, const TCanvasItemList& items);

    void doRedo() override;
    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    std::vector<std::wstring> molfiles;
    std::vector<std::wstring> moleculeIds;
    const TKSElementTable* elementTable;
    QVector<QByteArray> previousStates;
    QVector<QByteArray> resultStates;
    QVector<bool> computed;
};

class TCmdSelectMolMatchResult : public TMSSpectraCommand {
public:
    // Show form: the selected result of each item.
    explicit TCmdSelectMolMatchResult(const TCanvasItemList& items);
    // Select form: result `index` of one item.
    TCmdSelectMolMatchResult(int index, TCanvasMass* item);
    ~TCmdSelectMolMatchResult() override;

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override;

    int resultIndex = -1;
    int previousIndex = -1;
    QVector<QVector<QPair<TMassDataObj*, bool>>> replacedObjects;
    QVector<QVector<QUuid>> addedIds;
    QVector<QByteArray> resultObjectStates;

private:
    void takeSnapshots();
    QUuid showSpectrum(TCanvasMass* item, int index, const TKSMassSpectrum& spectrum);
    void showChromatogram(TCanvasMass* item, const TKSChromatogram& chromatogram, bool positive);
};

class TCmdHideMolMatchHighlight : public TMSSpectraCommand {
public:
    explicit TCmdHideMolMatchHighlight(const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override;

    QVector<QByteArray> resultObjectStates;
};

// Whether the item's selected match result lies within its results.
bool hasSelectedMatchResult(const TCanvasMass* item);
