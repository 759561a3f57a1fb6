// TMassItemWrapper: the script class "MassItem", the script face of one
// mass item. On top of the page-item properties of its base it gives the
// item's plots, its dataset information, the spectrum selection settings
// and the two analysis objects, and lets a script add chromatograms,
// select spectra from a chromatogram, show, hide and delete plots and pick
// a molecule-match result. Every change is made directly on the item: no
// command reaches the host (the one a script builds, for the match result,
// has its redo run at once and is deleted).
//
// Every member checks first that the wrapper holds a live item (the
// base's liveness rule): without one, plotsCount reads 0, datasetFileName
// empty text, and the other members throw code 5 ("Invalid Object"). A
// slot checks in order (item, argument count, types, values) and throws
// through throwScriptError; a call that throws leaves the item unchanged.
#pragma once

#include "tcanvasitemwrapper.h"

#include "tcanvasmass.h"

Q_DECLARE_METATYPE(TCanvasMass*)

class TMassElemCompWrapper;
class TMassMolMatchWrapper;

class TMassItemWrapper : public TCanvasItemWrapper {
    Q_OBJECT
    Q_PROPERTY(int plotsCount READ plotsCount)
    Q_PROPERTY(QString datasetFileName READ datasetFileName)
    Q_PROPERTY(QScriptValue info READ info)
    Q_PROPERTY(int selectionMode READ selectionMode WRITE setSelectionMode)
    Q_PROPERTY(bool appendSelected READ appendSelected WRITE setAppendSelected)
    Q_PROPERTY(QScriptValue molMatch READ molMatch)
    Q_PROPERTY(QScriptValue elementalComp READ elementalComp)

public:
    explicit TMassItemWrapper(TCanvasMass* item, QObject* parent = nullptr);

    // The mass item while the host holds it, else null.
    TCanvasMass* massItem() const;

    int plotsCount() const;
    QString datasetFileName() const;
    // A new information tree of the item's dataset, owned by the engine.
    QScriptValue info() const;
    // SpectrumSelMode values; stored unchecked.
    int selectionMode() const;
    void setSelectionMode(int mode);
    // Bit 0 of the item's behaviour flags.
    bool appendSelected() const;
    void setAppendSelected(bool on);
    // The same child objects on every read.
    QScriptValue molMatch() const;
    QScriptValue elementalComp() const;

protected:
    // The live mass item for a slot, or null with the slot's answer in
    // failure: code 5 without an item, then code 1 unless the slot has
    // that many arguments (any number for -1); invalid outside a script.
    TCanvasMass* slotItem(QScriptValue& failure, int arguments = -1);
    // The live item for a property, or null after throwing code 5.
    TCanvasMass* propertyItem() const;

public slots:
    // plot([index]): the current plot without an argument, else the plot
    // at that index (a number, else code 2; more arguments: code 1); a new
    // MassItemPlot object owned by the engine, undefined for no plot.
    QScriptValue plot();
    // newChromatogram({injectionIndex, functionIndex | traceIndex, type,
    // fromMZ, toMZ}): a new chromatogram plot with its peaks; true.
    QScriptValue newChromatogram();
    // selectSpectra(plot, rt[, rtEnd or subtract][, subtract]): the
    // spectrum selected on a chromatogram plot of this item, as a new plot
    // or in place of the function's spectrum; true, or false when nothing
    // was selected.
    QScriptValue selectSpectra();
    // By index or id: showPlot true; hidePlot and deletePlot false when
    // the item shows at most one plot, or for an index outside the list.
    QScriptValue showPlot();
    QScriptValue hidePlot();
    QScriptValue deletePlot();
    // The molecule-match result of that index shown on the item; whether
    // the index was one of the matcher's results.
    QScriptValue selectMolMatchResult();

private:
    enum PlotAction { ShowPlot, HidePlot, DeletePlot };
    QScriptValue plotAction(PlotAction action);

    TMassMolMatchWrapper* m_molMatch;
    TMassElemCompWrapper* m_elementalComp;
};

// The "TCanvasMass*" conversions: a new wrapper owned by the engine; the
// live item of a MassItem object, else null.
QScriptValue massItemToScriptValue(QScriptEngine* engine, TCanvasMass* const& item);
void massItemFromScriptValue(const QScriptValue& value, TCanvasMass*& item);
TCanvasMass* massItemOf(const QScriptValue& value);

// The native function behind the global "MassItem".
QScriptValue massItemConstructor(QScriptContext* context, QScriptEngine* engine);
