// Spectrum selection: a click (one retention time) or a drag (a range) on a
// chromatogram of a mass item makes a spectrum from the scans there and
// shows it in the item, in place of the dataset's spectrum of that function
// or, in append mode, as a new plot. Also the two settings that steer it:
// the selection mode and the active function of an injection.
//
// TCmdSelectMassSpectrum gives up, marks itself not applied and changes
// nothing when the current plot shows no chromatogram, the item has no
// dataset (or collection), a time is not finite, appending finds no
// spectrum to append to, or the selection gives an empty spectrum. It owns
// the replaced data object while it is done.
#pragma once

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QUuid>
#include <QVector>

#include "tcanvasitemscommand.h"

class TMassDataObj;

class TCmdSelectMassSpectrum : public TMSSpectraCommand {
public:
    // A range (x .. x + width, swapped when given right to left).
    TCmdSelectMassSpectrum(const QRectF& range, const TCanvasItemList& items, bool append);
    // One time.
    TCmdSelectMassSpectrum(const QPointF& point, const TCanvasItemList& items, bool append);
    ~TCmdSelectMassSpectrum() override;

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item == currentMass(); }

    double fromTime;
    double toTime;
    TMassDataObj* replacedObject = nullptr;
    QUuid ownId;
    bool plotWasVisible = false;
    QByteArray plotState;
    bool append;

private:
    bool select(TCanvasMass* item);
};

class TCmdSetMassSpectrumSelectionMode : public TMSSpectraCommand {
public:
    TCmdSetMassSpectrumSelectionMode(int mode, const TCanvasItemList& items);

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item != nullptr; }

    int mode;
    QVector<int> previousModes;
};

class TCmdSetActiveMassFunction : public TMSSpectraCommand {
public:
    TCmdSetActiveMassFunction(TCanvasMass* item, int injection, int function);

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override { return item == currentMass(); }

    int injection;
    int function;
    int previousFunction;
};
