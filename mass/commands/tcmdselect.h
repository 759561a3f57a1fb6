// Spectrum selection: a click (one retention time) or a drag (a range) on a
// chromatogram of a mass item makes a spectrum from the scans there and
// shows it in the item, in place of the dataset's spectrum of that function
// or, in append mode, as a new plot. Also the two settings that steer it:
// the selection mode and the active function of an injection.
//
// The selection itself (selectSpectrum) is one algorithm for the command
// and the script's selectSpectra. TCmdSelectMassSpectrum gives up, marks
// itself not applied and changes nothing when the current plot shows no
// chromatogram or the selection changes nothing. It owns the replaced data
// object while it is done.
#pragma once

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QUuid>
#include <QVector>

#include <functional>

#include "tcanvasitemscommand.h"

class TBasePlot;
class TChromatogramDataObj;
class TMassDataObj;

// Selects a spectrum on a chromatogram of the item (one of its data
// objects): the scans of the injection and function of the chromatogram
// (a trace's: the injection's active function) between the two times (one
// time when they are equal; swapped when given the other way round), with
// the item's merge tolerance and unit on the collection while it runs.
// `background` adds the range as background to the function's spectrum,
// whatever the selection mode; else the item's mode picks the plain or a
// peak selection. The result takes the place of the function's spectrum
// object (its plot found among all plots; `beforeReplacing` sees that plot
// first and `replaced` receives the object taken out, the caller's), or,
// in append mode without `background` or when the function has no
// spectrum plot, becomes a new plot of id `newId` with its peaks built.
// False, the item unchanged, when a time is not finite, the item has no
// collection for the function, `background` finds no spectrum of the
// function, or the selection has no points.
bool selectSpectrum(TCanvasMass* item, const TChromatogramDataObj* chromatogram, double from, double to,
                    bool background, const QUuid& newId, TMassDataObj** replaced,
                    const std::function<void(TBasePlot*)>& beforeReplacing = {});

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
    // The chromatogram the first redo selected on (the current plot's data
    // object then); later redos select on it whichever plot is current.
    QUuid chromatogramId;
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
