// TMassItemWrapper: the script class "MassItem", the script face of one
// mass item. On top of the page-item properties of its base it gives the
// item's plots and its dataset information. Every member checks first that
// the wrapper holds a live item (the base's liveness rule): without one,
// plotsCount reads 0, datasetFileName empty text, and the other members
// throw code 5 ("Invalid Object").
#pragma once

#include "tcanvasitemwrapper.h"

#include "tcanvasmass.h"

Q_DECLARE_METATYPE(TCanvasMass*)

class TMassItemWrapper : public TCanvasItemWrapper {
    Q_OBJECT
    Q_PROPERTY(int plotsCount READ plotsCount)
    Q_PROPERTY(QString datasetFileName READ datasetFileName)
    Q_PROPERTY(QScriptValue info READ info)

public:
    explicit TMassItemWrapper(TCanvasMass* item, QObject* parent = nullptr);

    // The mass item while the host holds it, else null.
    TCanvasMass* massItem() const;

    int plotsCount() const;
    QString datasetFileName() const;
    // A new information tree of the item's dataset, owned by the engine.
    QScriptValue info() const;

protected:
    // The live mass item for a slot, or null with the slot's answer in
    // failure (code 5 thrown; invalid outside a script).
    TCanvasMass* slotItem(QScriptValue& failure);

public slots:
    // plot([index]): the current plot without an argument, else the plot
    // at that index (a number, else code 2; more arguments: code 1); a new
    // MassItemPlot object owned by the engine, undefined for no plot.
    QScriptValue plot();
    // deletePlot(index or plot id): false when the index is outside the
    // plot list or the item shows at most one plot; else the plot and its
    // data object are deleted and the answer is true.
    QScriptValue deletePlot();
};

// The "TCanvasMass*" conversions: a new wrapper owned by the engine; the
// live item of a MassItem object, else null.
QScriptValue massItemToScriptValue(QScriptEngine* engine, TCanvasMass* const& item);
void massItemFromScriptValue(const QScriptValue& value, TCanvasMass*& item);
TCanvasMass* massItemOf(const QScriptValue& value);

// The native function behind the global "MassItem".
QScriptValue massItemConstructor(QScriptContext* context, QScriptEngine* engine);
