// Mass-item settings as undoable commands: behaviour flags, the two
// tolerances, composition constraints, molecule-match settings, and the
// file of a dataset the document shows.
//
// Previous values: the flag and tolerance commands take them on every
// redo; the constraint and match-settings commands on the first redo of
// each item only, so that undo after a second redo gives back the first
// values. A tolerance that is not a positive finite number, and a new
// dataset file that the dataset's provider does not take, change nothing
// (the command is marked not applied).
#pragma once

#include <QByteArray>
#include <QString>
#include <QUuid>
#include <QVector>

#include "tcanvasitemscommand.h"
#include "tkscomposition.h"
#include "tmassmoleculematch.h"

class TMassDataServerHandler;

class TCmdSetMassItemBehaviorFlag : public TMSSpectraCommand {
public:
    TCmdSetMassItemBehaviorFlag(int mask, bool value, const char* name, const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item != nullptr; }

    int flagMask;
    bool flagValue;
    QVector<int> previousFlags;
};

// The append flag of spectrum selection (mask 1).
class TCmdSetMassItemAppendBhvFlag : public TCmdSetMassItemBehaviorFlag {
public:
    TCmdSetMassItemAppendBhvFlag(bool value, const TCanvasItemList& items,
                                 const char* name = "Set Spectrum Selection Append Flag");
};

class TCmdSetMassMergeTolerance : public TMSSpectraCommand {
public:
    enum Which { ChromatogramTolerance = 0, MergeTolerance = 1 };
    TCmdSetMassMergeTolerance(int which, double tolerance, bool inDa, const TCanvasItemList& items);

    void doRedo() override;
    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item != nullptr; }

    int which;
    double tolerance;
    bool inDa;
    QVector<double> previousTolerances;
    QVector<bool> previousInDa;
};

class TCmdSetElementCompositionConstraints : public TMSSpectraCommand {
public:
    TCmdSetElementCompositionConstraints(const TKSCompositionConstraints& constraints, const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    QVector<QByteArray> previousConstraints;
    TKSCompositionConstraints constraints;
};

class TCmdSetMolMatchSettings : public TMSSpectraCommand {
public:
    TCmdSetMolMatchSettings(const TMolMatchSettings& settings, const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass*) override { return true; }

    QVector<TMolMatchSettings> previousSettings;
    TMolMatchSettings settings;
};

class TCmdUpdateMSDatasetFile : public TCommand {
public:
    // oldPath is the name of the handler's entry (empty without one); the
    // mass items of the list that show the dataset are refreshed.
    TCmdUpdateMSDatasetFile(const QUuid& datasetId, const QString& newPath, TMassDataServerHandler* handler,
                            const TCanvasItemList& items);

    void doRedo() override;
    void doUndo() override;

    TMassDataServerHandler* handler;
    QUuid datasetId;
    QString newPath;
    QString oldPath;
    TCanvasItemList datasetItems;

private:
    void refresh();
};
