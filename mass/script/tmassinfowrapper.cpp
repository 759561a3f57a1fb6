#include "tmassinfowrapper.h"

#include <QScriptContext>
#include <QScriptEngine>

#include <memory>

#include "scripthelpers.h"
#include "tksdataserver.h"

namespace {

// The same object on every read: the tree keeps it.
QScriptValue massInfoObject(QScriptEngine* engine, QObject* object)
{
    if (!engine)
        return QScriptValue();
    if (!object)
        return engine->nullValue();
    return engine->newQObject(object, QScriptEngine::QtOwnership);
}

}  // namespace

TMassInfoItem::TMassInfoItem(QObject* parent) : QObject(parent) {}

QObject* TMassInfoBaseCollection::checkedEntry(int size, QScriptValue& answer)
{
    QScriptContext* ctx = context();
    QScriptEngine* eng = engine();
    if (!ctx || !eng) {
        answer = QScriptValue();
        return nullptr;
    }
    answer = eng->undefinedValue();
    if (size == 0)
        return nullptr;
    if (ctx->argumentCount() != 1) {
        answer = throwScriptError(ctx, ScriptArgumentCount);
        return nullptr;
    }
    const QScriptValue argument = ctx->argument(0);
    if (!argument.isNumber()) {
        answer = throwScriptError(ctx, ScriptIncorrectArguments);
        return nullptr;
    }
    const int position = scriptIndex(argument, size);
    if (position < 0)
        return nullptr;
    QObject* entry = entryAt(position);
    answer = massInfoObject(eng, entry);
    return entry;
}

TMassFunctionWrapper::TMassFunctionWrapper(TKSFunction* function, QObject* parent) : TMassInfoItem(parent)
{
    std::unique_ptr<TKSFunction> owned(function);
    setObjectName(QStringLiteral("MassFunctionInfo"));
    if (!function)
        return;
    m_index = function->getIndex();
    m_name = QString::fromStdWString(function->getName());
    m_msType = function->getMSType();
    m_msmsType = function->getMSMSType();
    m_analyzerType = function->getMSAnalyzerType();
    m_order = function->getMSOrder();
    m_polarity = function->getPolarity();
    m_count = function->getCount();
}

TMassTraceWrapper::TMassTraceWrapper(TKSTrace* trace, QObject* parent) : TMassInfoItem(parent)
{
    std::unique_ptr<TKSTrace> owned(trace);
    if (!trace)
        return;
    m_index = trace->getIndex();
    m_name = QString::fromStdWString(trace->getName());
}

TMassFunctionsWrapper::TMassFunctionsWrapper(TKSFunctions* list, QObject* parent)
    : TMassInfoCollection<TMassFunctionWrapper>(list, "MassFunctionsInfo", parent)
{
    delete list;
}

TMassTracesWrapper::TMassTracesWrapper(TKSTraces* list, QObject* parent)
    : TMassInfoCollection<TMassTraceWrapper>(list, "MassTracesInfo", parent)
{
    delete list;
}

TMassInjectionWrapper::TMassInjectionWrapper(TKSInjection* injection, QObject* parent) : TMassInfoItem(parent)
{
    std::unique_ptr<TKSInjection> owned(injection);
    m_functions = new TMassFunctionsWrapper(injection ? injection->getFunctions() : nullptr, this);
    m_traces = new TMassTracesWrapper(injection ? injection->getTraces() : nullptr, this);
    setObjectName(QStringLiteral("MassInjectionInfo"));
    if (!injection)
        return;
    m_index = injection->getIndex();
    m_name = QString::fromStdWString(injection->getName());
}

QScriptValue TMassInjectionWrapper::functions() const
{
    return massInfoObject(engine(), m_functions);
}

QScriptValue TMassInjectionWrapper::traces() const
{
    return massInfoObject(engine(), m_traces);
}

TMassInjectionsWrapper::TMassInjectionsWrapper(TKSInjections* list, QObject* parent)
    : TMassInfoCollection<TMassInjectionWrapper>(list, "MassInjectionsInfo", parent)
{
    delete list;
}

TMassItemInfoWrapper::TMassItemInfoWrapper(const TKSDataset* dataset, QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("MassItemInfo"));
    if (dataset)
        m_injections = new TMassInjectionsWrapper(dataset->getInjections(), this);
}

bool TMassItemInfoWrapper::valid() const
{
    return m_injections && m_injections->count() >= 1;
}

QScriptValue TMassItemInfoWrapper::injections() const
{
    return massInfoObject(engine(), m_injections);
}
