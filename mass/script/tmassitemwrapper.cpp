#include "tmassitemwrapper.h"

#include <QScriptContext>
#include <QScriptEngine>

#include "scripthelpers.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "tionvaleobjectfactory.h"
#include "tmassinfowrapper.h"
#include "tmassplotwrapper.h"

TMassItemWrapper::TMassItemWrapper(TCanvasMass* item, QObject* parent) : TCanvasItemWrapper(item, parent) {}

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

TCanvasMass* TMassItemWrapper::slotItem(QScriptValue& failure)
{
    // Called outside a script: nothing to answer.
    if (!context())
        return nullptr;
    TCanvasMass* item = massItem();
    if (!item)
        failure = throwScriptError(context(), ScriptInvalidObject);
    return item;
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
    return engine()->newQObject(new TMassPlotWrapper(item, plot->id()), QScriptEngine::ScriptOwnership);
}

QScriptValue TMassItemWrapper::deletePlot()
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TCanvasMass* item = slotItem(failure);
    if (!item)
        return failure;
    if (ctx->argumentCount() != 1)
        return throwScriptError(ctx, ScriptArgumentCount);
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
        id = QUuid(argument.toString());
        if (id.isNull())
            return throwScriptError(ctx, ScriptIncorrectArguments, QStringLiteral("Invalid plot is string"));
    } else {
        return throwScriptError(ctx, ScriptIncorrectArguments);
    }
    if (item->visiblePlotCount() <= 1)
        return QScriptValue(false);
    item->removePlotObject(id);
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
