#include "tmassitemwrapper.h"

#include <QScriptContext>
#include <QScriptEngine>

#include <limits>

#include "massutils.h"
#include "scripthelpers.h"
#include "t1dmassplot.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tcmdanalysis.h"
#include "tcmdselect.h"
#include "tionvaleobjectfactory.h"
#include "tmassdataobj.h"
#include "tmasselemcompwrapper.h"
#include "tmassinfowrapper.h"
#include "tmassmolmatchwrapper.h"
#include "tmassplotwrapper.h"

namespace {

// An index parameter compared as a number, so that 4294967296 is not
// injection 0 as its 32-bit value would be: cut toward 0 like the engine's
// integer conversion, -1 below 0 (and for NaN), and a number past the
// integer range the largest index, which names nothing.
int indexNumber(const QScriptValue& number)
{
    const double value = number.toNumber();
    if (!(value > -1.0))
        return -1;
    if (value >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

}  // namespace

TMassItemWrapper::TMassItemWrapper(TCanvasMass* item, QObject* parent)
    : TCanvasItemWrapper(item, parent),
      m_molMatch(new TMassMolMatchWrapper(item, this)),
      m_elementalComp(new TMassElemCompWrapper(item, this))
{
}

TCanvasMass* TMassItemWrapper::massItem() const
{
    TCanvasItem* item = object();
    return item && item->rtti() == MassSpectrumItemType ? static_cast<TCanvasMass*>(item) : nullptr;
}

int TMassItemWrapper::plotsCount() const
{
    const TCanvasMass* item = massItem();
    return item ? item->plotCount() : 0;
}

QString TMassItemWrapper::datasetFileName() const
{
    const TCanvasMass* item = massItem();
    return item ? item->datasetName() : QString();
}

QScriptValue TMassItemWrapper::info() const
{
    const TCanvasMass* item = massItem();
    if (!item)
        return throwScriptError(context(), ScriptInvalidObject);
    if (!engine())
        return QScriptValue();
    return engine()->newQObject(new TMassItemInfoWrapper(item->dataset()), QScriptEngine::ScriptOwnership);
}

TCanvasMass* TMassItemWrapper::propertyItem() const
{
    TCanvasMass* item = massItem();
    if (!item)
        throwScriptError(context(), ScriptInvalidObject);
    return item;
}

int TMassItemWrapper::selectionMode() const
{
    const TCanvasMass* item = propertyItem();
    return item ? item->selectionMode() : 0;
}

void TMassItemWrapper::setSelectionMode(int mode)
{
    if (TCanvasMass* item = propertyItem())
        item->setSelectionMode(mode);
}

bool TMassItemWrapper::appendSelected() const
{
    const TCanvasMass* item = propertyItem();
    return item && (item->behaviourFlags() & 1);
}

void TMassItemWrapper::setAppendSelected(bool on)
{
    if (TCanvasMass* item = propertyItem())
        item->setBehaviourFlags(on ? (item->behaviourFlags() | 1) : (item->behaviourFlags() & ~1));
}

QScriptValue TMassItemWrapper::molMatch() const
{
    if (!propertyItem() || !engine())
        return QScriptValue();
    return wrapChildObject(engine(), m_molMatch, thisObject());
}

QScriptValue TMassItemWrapper::elementalComp() const
{
    if (!propertyItem() || !engine())
        return QScriptValue();
    return wrapChildObject(engine(), m_elementalComp, thisObject());
}

TCanvasMass* TMassItemWrapper::slotItem(QScriptValue& failure, int arguments)
{
    // Called outside a script: nothing to answer.
    if (!context())
        return nullptr;
    TCanvasMass* item = massItem();
    if (!item)
        failure = throwScriptError(context(), ScriptInvalidObject);
    else if (arguments >= 0 && context()->argumentCount() != arguments)
        failure = throwScriptError(context(), ScriptArgumentCount);
    else
        return item;
    return nullptr;
}

QScriptValue TMassItemWrapper::plot()
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TCanvasMass* item = slotItem(failure);
    if (!item)
        return failure;
    const TBasePlot* plot = nullptr;
    if (ctx->argumentCount() == 0) {
        plot = item->currentPlot();
    } else if (ctx->argumentCount() == 1) {
        const QScriptValue argument = ctx->argument(0);
        if (!argument.isNumber())
            return throwScriptError(ctx, ScriptIncorrectArguments);
        const int index = scriptIndex(argument, item->plotCount());
        if (index >= 0)
            plot = item->plotAtIndex(index);
    } else {
        return throwScriptError(ctx, ScriptArgumentCount);
    }
    if (!plot)
        return engine()->undefinedValue();
    // Only one-dimensional plots are handed over; another makes an invalid object.
    const QUuid id = plot->type() == 1 ? plot->id() : QUuid();
    return engine()->newQObject(new TMassPlotWrapper(item, id), QScriptEngine::ScriptOwnership);
}

QScriptValue TMassItemWrapper::plotAction(PlotAction action)
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TCanvasMass* item = slotItem(failure, 1);
    if (!item)
        return failure;
    const QScriptValue argument = ctx->argument(0);
    QUuid id;
    if (argument.isNumber()) {
        const int index = scriptIndex(argument, item->plotCount());
        if (index < 0)
            return QScriptValue(false);
        const TBasePlot* plot = item->plotAtIndex(index);
        if (!plot)
            return throwScriptError(ctx, ScriptFatalError, QStringLiteral("Invalid plot object"));
        id = plot->id();
    } else if (argument.isString()) {
        // Need not be one of the item's plots.
        id = QUuid(argument.toString());
        if (id.isNull())
            return throwScriptError(ctx, ScriptIncorrectArguments, QStringLiteral("Invalid plot is string"));
    } else {
        return throwScriptError(ctx, ScriptIncorrectArguments);
    }
    if (action == ShowPlot) {
        item->setPlotVisible(id, true);
        return QScriptValue(true);
    }
    if (item->visiblePlotCount() <= 1)
        return QScriptValue(false);
    if (action == HidePlot)
        item->setPlotVisible(id, false);
    else
        item->removePlotObject(id);
    return QScriptValue(true);
}

QScriptValue TMassItemWrapper::showPlot()
{
    return plotAction(ShowPlot);
}

QScriptValue TMassItemWrapper::hidePlot()
{
    return plotAction(HidePlot);
}

QScriptValue TMassItemWrapper::deletePlot()
{
    return plotAction(DeletePlot);
}

QScriptValue TMassItemWrapper::newChromatogram()
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TCanvasMass* item = slotItem(failure, 1);
    if (!item)
        return failure;
    const QScriptValue params = ctx->argument(0);
    if (!params.isValid() || params.isUndefined() || !params.isObject())
        return throwScriptError(ctx, ScriptIncorrectArguments);
    const QScriptValue injectionValue = params.property(QStringLiteral("injectionIndex"));
    const int injection = injectionValue.isNumber() ? indexNumber(injectionValue) : -1;
    if (injection < 0)
        return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Injection Index"));
    const QScriptValue functionValue = params.property(QStringLiteral("functionIndex"));
    const QScriptValue traceValue = params.property(QStringLiteral("traceIndex"));
    const int function = functionValue.isNumber() ? indexNumber(functionValue) : -1;
    const int trace = traceValue.isNumber() ? indexNumber(traceValue) : -1;
    if (function < 0 && trace < 0)
        return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Function/Trace Index"));

    TKSChromatogram chromatogram;
    double fromMZ = 0;
    double toMZ = 0;
    int subtype = 1;
    if (function >= 0) {
        const TKSMSCollection* collection = item->msCollection(injection, function);
        if (!collection)
            return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Function doesn't exist"));
        const QScriptValue typeValue = params.property(QStringLiteral("type"));
        const QString type = typeValue.isString() ? typeValue.toString().toLower() : QString();
        if (type == QLatin1String("bpc")) {
            subtype = 2;
            collection->getBPChromatogram(chromatogram);
        } else if (type == QLatin1String("mass")) {
            const QScriptValue fromValue = params.property(QStringLiteral("fromMZ"));
            if (!fromValue.isNumber())
                return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Invalid fromMZ value"));
            subtype = 4;
            fromMZ = toMZ = fromValue.toNumber();
            const QScriptValue toValue = params.property(QStringLiteral("toMZ"));
            if (toValue.isNumber()) {
                toMZ = toValue.toNumber();
                collection->getMassChromatogram(fromMZ, toMZ, chromatogram);
            } else {
                collection->getMassChromatogram(fromMZ, chromatogram);
            }
        } else {
            collection->getTICChromatogram(chromatogram);
        }
    } else {
        TKSTrace* traceObject = datasetTrace(item->dataset(), injection, trace);
        if (!traceObject)
            return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Trace doesn't exist"));
        subtype = 6;
        traceObject->getChromatogram(chromatogram);
        delete traceObject;
    }
    if (chromatogram.getCount() == 0)
        return throwScriptError(ctx, ScriptFatalError, QStringLiteral("Invalid chromatogram"));
    auto* object = new TChromatogramDataObj(QUuid::createUuid(), chromatogram, fromMZ, toMZ, subtype);
    object->detectPeaks();
    item->addPlotObject(object);
    return QScriptValue(true);
}

QScriptValue TMassItemWrapper::selectSpectra()
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TCanvasMass* item = slotItem(failure);
    if (!item)
        return failure;
    const int count = ctx->argumentCount();
    if (count < 2)
        return throwScriptError(ctx, ScriptArgumentCount);
    const auto* plotObject = qobject_cast<TMassPlotWrapper*>(ctx->argument(0).toQObject());
    if (!plotObject)
        return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Invalid plot object"));
    const TChromatogramDataObj* chromatogram = TChromatogramDataObj::cast(plotObject->dataObject());
    if (!chromatogram)
        return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Invalid chromatogram plot object"));
    // By (item, id): the plot object resolves its plot in its own item.
    if (plotObject->item() != item || item->plot(plotObject->ref().id(), false) != plotObject->plot())
        return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Plot object doesn't belong to item"));
    const QScriptValue startValue = ctx->argument(1);
    if (!startValue.isNumber())
        return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Invalid RT start value"));
    const double start = startValue.toNumber();
    double end = start;
    bool subtract = false;
    if (count >= 3) {
        const QScriptValue third = ctx->argument(2);
        if (third.isBool())
            subtract = third.toBool();
        else if (third.isNumber())
            end = third.toNumber();
        else
            return throwScriptError(ctx, ScriptInvalidValue);
    }
    if (count > 4)
        return throwScriptError(ctx, ScriptArgumentCount);
    if (count == 4) {
        if (start == end)
            return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Invalid RT range"));
        const QScriptValue fourth = ctx->argument(3);
        if (!fourth.isBool())
            return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("Invalid subtraction flag value"));
        subtract = fourth.toBool();
    }

    // The selection the mouse modes make: a start after the end is
    // swapped as a drag from right to left is; a new plot gets its own id.
    TMassDataObj* replaced = nullptr;
    const bool selected = selectSpectrum(item, chromatogram, start, end, subtract, QUuid::createUuid(), &replaced);
    delete replaced;
    return QScriptValue(selected);
}

QScriptValue TMassItemWrapper::selectMolMatchResult()
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TCanvasMass* item = slotItem(failure, 1);
    if (!item)
        return failure;
    const QScriptValue argument = ctx->argument(0);
    if (!argument.isNumber())
        return throwScriptError(ctx, ScriptIncorrectArguments);
    const int count = static_cast<int>(item->moleculeMatch().matcher().getResults().size());
    const int index = scriptIndex(argument, count);
    if (index < 0 || !item->moleculeMatch().isValidResultIndex(index))
        return QScriptValue(false);
    // Run here and deleted: a script's change never reaches the undo stack.
    TCmdSelectMolMatchResult command(index, item);
    command.doRedo();
    return QScriptValue(true);
}

QScriptValue massItemToScriptValue(QScriptEngine* engine, TCanvasMass* const& item)
{
    return engine->newQObject(new TMassItemWrapper(item), QScriptEngine::ScriptOwnership);
}

void massItemFromScriptValue(const QScriptValue& value, TCanvasMass*& item)
{
    const auto* wrapper = qobject_cast<TMassItemWrapper*>(value.toQObject());
    item = wrapper ? wrapper->massItem() : nullptr;
}

TCanvasMass* massItemOf(const QScriptValue& value)
{
    TCanvasMass* item = nullptr;
    massItemFromScriptValue(value, item);
    return item;
}

QScriptValue massItemConstructor(QScriptContext* context, QScriptEngine* engine)
{
    if (scriptCalleeTypeName(context) != scriptClassName(MassItemClass))
        return engine->undefinedValue();
    if (context->argumentCount() != 1)
        return context->throwError(scriptErrorText(ScriptArgumentCount));
    const QScriptValue argument = context->argument(0);
    TCanvasMass* item = massItemOf(argument);
    if (!item && argument.isVariant()) {
        // A page item handed over as a variant: taken when it is a live
        // mass item (a pointer the host has deleted is never read).
        TCanvasItem* page = qvariant_cast<TCanvasItem*>(argument.toVariant());
        if (isLivePageItem(page) && page->rtti() == MassSpectrumItemType)
            item = static_cast<TCanvasMass*>(page);
    }
    return engine->newQObject(new TMassItemWrapper(item), QScriptEngine::ScriptOwnership);
}
