#include "tmasselemcompwrapper.h"

#include <QScriptEngine>
#include <QScriptValueIterator>

#include <algorithm>

#include "scripthelpers.h"
#include "tcanvasitemwrapper.h"
#include "tcanvasmass.h"

TKSCompositionCalculator* liveCalculator(TCanvasMass* item)
{
    return isLivePageItem(item) ? &item->elementComposition().calculator() : nullptr;
}

QVector<quint32> scriptArrayIndexes(const QScriptValue& array, qint32 length)
{
    QVector<quint32> indexes;
    if (length <= 0)
        return indexes;
    QScriptValueIterator it(array);
    while (it.hasNext()) {
        it.next();
        bool ok = false;
        const quint32 index = it.name().toUInt(&ok);
        if (ok && index < static_cast<quint32>(length) && QString::number(index) == it.name())
            indexes.append(index);
    }
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

TMassElementConstraintWrapper::TMassElementConstraintWrapper(const TKSElementConstraint& constraint,
                                                             QObject* parent)
    : QObject(parent), m_constraint(constraint)
{
    setObjectName(QStringLiteral("MassElementConstraint"));
}

// Settings

TMassElCompSettingsWrapper::TMassElCompSettingsWrapper(TCanvasMass* item, QObject* parent)
    : QObject(parent), m_item(item)
{
    setObjectName(QStringLiteral("MassElCompSettings"));
}

const TKSCompositionConstraints* TMassElCompSettingsWrapper::constraints() const
{
    const TKSCompositionCalculator* calculator = liveCalculator(m_item);
    return calculator ? &calculator->getConstraints() : nullptr;
}

template <class Change>
void TMassElCompSettingsWrapper::change(Change change)
{
    TKSCompositionCalculator* calculator = liveCalculator(m_item);
    if (!calculator)
        return;
    TKSCompositionConstraints copy(calculator->getConstraints());
    change(copy);
    calculator->setConstraints(copy);
}

QScriptValue TMassElCompSettingsWrapper::dbe() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const TKSCompositionConstraints* c = constraints();
    if (!c)
        return e->undefinedValue();
    QScriptValue object = e->newObject();
    object.setProperty(QStringLiteral("min"), static_cast<double>(c->getDBEMinimum()));
    object.setProperty(QStringLiteral("max"), static_cast<double>(c->getDBEMaximum()));
    return object;
}

void TMassElCompSettingsWrapper::setDbe(const QScriptValue& value)
{
    if (!value.isObject())
        return;
    change([&](TKSCompositionConstraints& c) {
        const QScriptValue min = value.property(QStringLiteral("min"));
        if (min.isNumber())
            c.setDBEMinimum(static_cast<float>(min.toNumber()));
        const QScriptValue max = value.property(QStringLiteral("max"));
        if (max.isNumber())
            c.setDBEMaximum(static_cast<float>(max.toNumber()));
    });
}

int TMassElCompSettingsWrapper::maxResults() const
{
    const TKSCompositionConstraints* c = constraints();
    return c ? c->getMaximumResultCount() : 0;
}

void TMassElCompSettingsWrapper::setMaxResults(int count)
{
    change([&](TKSCompositionConstraints& c) { c.setMaximumResultCount(count); });
}

QScriptValue TMassElCompSettingsWrapper::tolerance() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const TKSCompositionConstraints* c = constraints();
    if (!c)
        return e->undefinedValue();
    QScriptValue object = e->newObject();
    object.setProperty(QStringLiteral("units"),
                       c->getUseToleranceInDa() ? QStringLiteral("Da") : QStringLiteral("ppm"));
    object.setProperty(QStringLiteral("value"), c->getTolerance());
    return object;
}

void TMassElCompSettingsWrapper::setTolerance(const QScriptValue& value)
{
    if (!value.isObject())
        return;
    change([&](TKSCompositionConstraints& c) {
        const QScriptValue units = value.property(QStringLiteral("units"));
        if (units.isString())
            c.setUseToleranceInDa(units.toString().trimmed() == QLatin1String("Da"));
        const QScriptValue number = value.property(QStringLiteral("value"));
        if (number.isNumber())
            c.setTolerance(number.toNumber());
    });
}

QString TMassElCompSettingsWrapper::electronMode() const
{
    const TKSCompositionConstraints* c = constraints();
    if (!c)
        return QString();
    switch (c->getElectronMode()) {
    case 1: return QStringLiteral("Even");
    case 2: return QStringLiteral("Odd");
    default: return QStringLiteral("All");
    }
}

void TMassElCompSettingsWrapper::setElectronMode(const QString& text)
{
    const QString mode = text.trimmed();
    const int value = mode == QLatin1String("Even") ? 1 : mode == QLatin1String("Odd") ? 2 : 3;
    change([&](TKSCompositionConstraints& c) { c.setElectronMode(value); });
}

int TMassElCompSettingsWrapper::chargeState() const
{
    const TKSCompositionConstraints* c = constraints();
    return c ? c->getChargeState() : 0;
}

void TMassElCompSettingsWrapper::setChargeState(int charge)
{
    change([&](TKSCompositionConstraints& c) { c.setChargeState(charge); });
}

double TMassElCompSettingsWrapper::fitnessTheshold() const
{
    const TKSCompositionConstraints* c = constraints();
    return c ? c->getFitnessThreshold() : 0;
}

void TMassElCompSettingsWrapper::setFitnessTheshold(double threshold)
{
    change([&](TKSCompositionConstraints& c) { c.setFitnessThreshold(static_cast<float>(threshold)); });
}

QString TMassElCompSettingsWrapper::adduct() const
{
    const TKSCompositionConstraints* c = constraints();
    return c ? QString::fromStdWString(c->getAdduct()) : QString();
}

void TMassElCompSettingsWrapper::setAdduct(const QString& adduct)
{
    change([&](TKSCompositionConstraints& c) { c.setAdduct(adduct.toStdWString()); });
}

QScriptValue TMassElCompSettingsWrapper::elements() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const TKSCompositionConstraints* c = constraints();
    if (!c)
        return e->undefinedValue();
    const std::vector<TKSElementConstraint>& list = c->getElementConstraints();
    QScriptValue array = e->newArray(static_cast<uint>(list.size()));
    for (size_t i = 0; i < list.size(); ++i)
        array.setProperty(static_cast<quint32>(i), e->newQObject(new TMassElementConstraintWrapper(list[i]),
                                                                  QScriptEngine::ScriptOwnership));
    return array;
}

void TMassElCompSettingsWrapper::setElements(const QScriptValue& value)
{
    if (!value.isArray() || !liveCalculator(m_item))
        return;
    const qint32 n = value.property(QStringLiteral("length")).toInt32();
    if (n < 0)
        return;
    // Not reset between elements: a member an element leaves out keeps
    // the previous element's value.
    TMassElementConstraintWrapper temporary{TKSElementConstraint()};
    std::vector<TKSElementConstraint> list;
    for (quint32 i : scriptArrayIndexes(value, n))
        if (assignScriptProperties(value.property(i), &temporary, engine()))
            list.push_back(temporary.constraint());
    change([&](TKSCompositionConstraints& c) { c.setElementConstraints(list); });
}

// Composition object

TMassElemCompWrapper::TMassElemCompWrapper(TCanvasMass* item, QObject* parent)
    : QObject(parent), m_item(item), m_settings(new TMassElCompSettingsWrapper(item, this))
{
    setObjectName(QStringLiteral("MassElemComposition"));
}

QScriptValue TMassElemCompWrapper::settings() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    if (!liveCalculator(m_item))
        return e->undefinedValue();
    return wrapChildObject(e, m_settings, thisObject());
}

void TMassElemCompWrapper::setSettings(const QScriptValue& value)
{
    if (liveCalculator(m_item))
        assignScriptProperties(value, m_settings, engine());
}

QScriptValue TMassElemCompWrapper::results() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const TKSCompositionCalculator* calculator = liveCalculator(m_item);
    if (!calculator)
        return e->undefinedValue();
    const std::vector<TKSCompositionResult>& list = calculator->getResults();
    QScriptValue array = e->newArray(static_cast<uint>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        const TKSCompositionResult& r = list[i];
        QScriptValue object = e->newObject();
        object.setProperty(QStringLiteral("formula"), QString::fromStdWString(r.getFormula()));
        object.setProperty(QStringLiteral("mass"), r.getCalculatedMass());
        object.setProperty(QStringLiteral("dbe"), r.getDoubleBondEquivalent());
        object.setProperty(QStringLiteral("absErr"), r.getAbsoluteError());
        object.setProperty(QStringLiteral("mDaErr"), r.getmDaError());
        object.setProperty(QStringLiteral("ppmErr"), r.getppmError());
        object.setProperty(QStringLiteral("fitness"), r.getFitness());
        array.setProperty(static_cast<quint32>(i), object, QScriptValue::ReadOnly);
    }
    return array;
}
