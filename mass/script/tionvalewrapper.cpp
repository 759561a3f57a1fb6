#include "tionvalewrapper.h"

#include <QScriptContext>
#include <QScriptEngine>

#include <string>
#include <vector>

#include "ipeers.h"
#include "ipluginhost.h"
#include "scripthelpers.h"
#include "tbaseplot.h"
#include "tcanvasmass.h"
#include "temptyplugin.h"
#include "tionvaleobjectfactory.h"
#include "tmassdataobj.h"
#include "tmassdataserver.h"
#include "tmassitemwrapper.h"
#include "tmolecule.h"

namespace {

TEmptyPlugin* pluginOfObject(QObject* object)
{
    if (const auto* wrapper = qobject_cast<TIonvaleWrapper*>(object))
        return wrapper->plugin();
    if (object && object->inherits("TIonvale"))
        return qobject_cast<TEmptyPlugin*>(object);
    return nullptr;
}

}  // namespace

TIonvaleScriptServices* scriptServicesOf(TEmptyPlugin* plugin)
{
    return plugin ? plugin->findChild<TIonvaleScriptServices*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

TIonvaleWrapper::TIonvaleWrapper(TEmptyPlugin* plugin, QObject* parent) : QObject(parent), m_plugin(plugin) {}

TIonvaleScriptServices* TIonvaleWrapper::services() const
{
    return scriptServicesOf(m_plugin.data());
}

TIonvaleScriptServices* TIonvaleWrapper::slotServices(QScriptValue& failure, int arguments) const
{
    QScriptContext* ctx = context();
    if (!ctx)
        return nullptr;
    TIonvaleScriptServices* s = services();
    if (!s)
        failure = throwScriptError(ctx, ScriptInvalidObject);
    else if (ctx->argumentCount() != arguments)
        failure = throwScriptError(ctx, ScriptArgumentCount);
    else
        return s;
    return nullptr;
}

QScriptValue TIonvaleWrapper::toString()
{
    return QScriptValue(QStringLiteral("Ionvale"));
}

QScriptValue TIonvaleWrapper::activeItem()
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    TIonvaleScriptServices* s = services();
    TCanvasItem* item = s ? s->activeMassItem() : nullptr;
    if (!item || item->rtti() != MassSpectrumItemType)
        return e->undefinedValue();
    return e->newQObject(new TMassItemWrapper(static_cast<TCanvasMass*>(item)), QScriptEngine::ScriptOwnership);
}

QScriptValue TIonvaleWrapper::changeDatasetFileName()
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TIonvaleScriptServices* s = slotServices(failure, 2);
    if (!s)
        return failure;
    if (!ctx->argument(0).isString() || !ctx->argument(1).isQObject())
        return throwScriptError(ctx, ScriptIncorrectArguments);
    TCanvasMass* item = massItemOf(ctx->argument(1));
    if (!item)
        return throwScriptError(ctx, ScriptInvalidObject);
    // A dataset id without an open entry changes nothing.
    s->dataServer()->changeDatasetFile(item->datasetKey(), ctx->argument(0).toString());
    return QScriptValue(true);
}

QScriptValue TIonvaleWrapper::elementalComposition()
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TIonvaleScriptServices* s = slotServices(failure, 3);
    if (!s)
        return failure;
    if (!ctx->argument(0).isQObject())
        return throwScriptError(ctx, ScriptIncorrectArguments);
    TCanvasMass* item = massItemOf(ctx->argument(0));
    if (!item)
        return throwScriptError(ctx, ScriptInvalidObject, QStringLiteral("Invalid MassItem object"));
    const int index = scriptIndex(ctx->argument(1), item->plotCount());
    const TBasePlot* plot = index >= 0 ? item->plotAtIndex(index) : nullptr;
    if (!plot)
        return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("The plot index is out of range"));
    const TMassSpecDataObj* spectrum = TMassSpecDataObj::cast(item->dataObject(plot->id()));
    if (!spectrum)
        return throwScriptError(ctx, ScriptInvalidObject, QStringLiteral("The plot is not a mass spectrum"));
    // NaN fails the range test.
    const double mz = ctx->argument(2).toNumber();
    if (!(mz >= spectrum->getMinimumX() && mz <= spectrum->getMaximumX()))
        return throwScriptError(ctx, ScriptInvalidValue, QStringLiteral("The m/z value is out of range"));
    if (!s->ensureElementTable())
        return throwScriptError(ctx, ScriptUnknownError);
    TMassElementComposition& state = item->elementComposition();
    state.setSpectrumId(plot->id());
    state.calculator().setElementTable(s->elementTable());
    state.calculator().setSpectrum(spectrum->spectrum());
    state.calculator().compute(mz);
    return QScriptValue(true);
}

QScriptValue TIonvaleWrapper::moleculeMatch()
{
    QScriptContext* ctx = context();
    QScriptValue failure;
    TIonvaleScriptServices* s = slotServices(failure, 1);
    if (!s)
        return failure;
    if (!ctx->argument(0).isQObject())
        return throwScriptError(ctx, ScriptIncorrectArguments);
    TCanvasMass* item = massItemOf(ctx->argument(0));
    if (!item)
        return throwScriptError(ctx, ScriptInvalidObject, QStringLiteral("Invalid MassItem object"));
    if (!s->ensureElementTable())
        return throwScriptError(ctx, ScriptUnknownError);
    IPluginHost* host = m_plugin->host();
    const TCanvasItemList molecules =
        host ? host->allItems().itemsOfType(MoleculeItemType).distinctObjectItems() : TCanvasItemList();
    if (molecules.isEmpty())
        return QScriptValue(false);
    // Only the molecule peer can give an item's molecule: without it there
    // is nothing to match, and the matcher stays as it was.
    IMoleculePlugin* peer = s->moleculePlugin();
    if (!peer)
        return QScriptValue(false);
    std::vector<std::wstring> molfiles;
    std::vector<std::wstring> ids;
    for (TCanvasItem* molecule : molecules) {
        // An item whose molecule the peer cannot give is passed by.
        const TMolecule* record = peer->moleculeOfItem(molecule);
        if (!record)
            continue;
        molfiles.push_back(record->molfile(true).toStdWString());
        ids.push_back(molecule->objectId().toString().toStdWString());
    }
    if (molfiles.empty())
        return QScriptValue(false);
    TKSMoleculeMatcher2& matcher = item->moleculeMatch().matcher();
    matcher.setElementTable(s->elementTable());
    item->setMatcherSpectra();
    matcher.matchMolecules(molfiles, ids);
    return QScriptValue(true);
}

QScriptValue ionvaleToScriptValue(QScriptEngine* engine, TEmptyPlugin* const& plugin)
{
    return engine->newQObject(new TIonvaleWrapper(plugin), QScriptEngine::ScriptOwnership);
}

void ionvaleFromScriptValue(const QScriptValue& value, TEmptyPlugin*& plugin)
{
    plugin = pluginOfObject(value.toQObject());
}

QScriptValue ionvaleConstructor(QScriptContext* context, QScriptEngine* engine)
{
    if (scriptCalleeTypeName(context) != scriptClassName(IonvaleClass))
        return engine->undefinedValue();
    if (context->argumentCount() != 1)
        return context->throwError(scriptErrorText(ScriptArgumentCount));
    const QScriptValue argument = context->argument(0);
    if (argument.isUndefined())
        return engine->undefinedValue();
    TEmptyPlugin* plugin = pluginOfObject(argument.toQObject());
    if (!plugin && argument.isVariant())
        plugin = pluginOfObject(qvariant_cast<QObject*>(argument.toVariant()));
    if (!plugin)
        return context->throwError(scriptErrorText(ScriptIncorrectArguments));
    return engine->newQObject(new TIonvaleWrapper(plugin), QScriptEngine::ScriptOwnership);
}
