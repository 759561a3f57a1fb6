#include "tmassmolmatchwrapper.h"

#include <QScriptEngine>

#include "scripthelpers.h"
#include "tcanvasitemwrapper.h"
#include "tcanvasmass.h"
#include "tmasselemcompwrapper.h"

TKSMoleculeMatcher2* liveMatcher(TCanvasMass* item)
{
    return isLivePageItem(item) ? &item->moleculeMatch().matcher() : nullptr;
}

TAdductList adductListFromScript(const QScriptValue& value)
{
    TAdductList list;
    const QScriptValue length = value.property(QStringLiteral("length"));
    if (!value.isArray() || !length.isNumber())
        return list;
    // Only what the array holds makes an entry: a sparse array whose
    // length runs to billions would otherwise fill memory with empty ones.
    for (quint32 i : scriptArrayIndexes(value, length.toInt32())) {
        const QScriptValue element = value.property(i);
        TAdductPair entry;
        if (element.isObject()) {
            const QScriptValue adduct = element.property(QStringLiteral("adduct"));
            if (adduct.isString())
                entry.first = adduct.toString();
            const QScriptValue loss = element.property(QStringLiteral("loss"));
            if (loss.isString())
                entry.second = loss.toString();
        }
        list.append(entry);
    }
    return list;
}

// Settings

TMassMolMatchSettingsWrapper::TMassMolMatchSettingsWrapper(TCanvasMass* item, QObject* parent)
    : QObject(parent), m_item(item)
{
    setObjectName(QStringLiteral("MassMolMatchSettings"));
    if (const TKSMoleculeMatcher2* matcher = liveMatcher(item))
        m_values = TMolMatchSettings(*matcher);
}

void TMassMolMatchSettingsWrapper::apply()
{
    if (TKSMoleculeMatcher2* matcher = liveMatcher(m_item))
        applyMolMatchSettings(m_values, *matcher);
}

QScriptValue TMassMolMatchSettingsWrapper::adducts(const TAdductList& list) const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    QScriptValue array = e->newArray(static_cast<uint>(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        QScriptValue object = e->newObject();
        object.setProperty(QStringLiteral("adduct"), list.at(i).first);
        object.setProperty(QStringLiteral("loss"), list.at(i).second);
        array.setProperty(static_cast<quint32>(i), object, QScriptValue::ReadOnly);
    }
    return array;
}

void TMassMolMatchSettingsWrapper::setAdductsPos(const QScriptValue& value)
{
    m_values.positiveAdductList = adductListFromScript(value);
    apply();
}

void TMassMolMatchSettingsWrapper::setAdductsNeg(const QScriptValue& value)
{
    m_values.negativeAdductList = adductListFromScript(value);
    apply();
}

void TMassMolMatchSettingsWrapper::setMaxChargePos(int value)
{
    m_values.maxChargePositive = value;
    apply();
}

void TMassMolMatchSettingsWrapper::setMaxChargeNeg(int value)
{
    m_values.maxChargeNegative = value;
    apply();
}

void TMassMolMatchSettingsWrapper::setEnableDimers(bool on)
{
    m_values.enableDimers = on;
    apply();
}

void TMassMolMatchSettingsWrapper::setScoreThreshold(double value)
{
    m_values.scoreThreshold = value;
    apply();
}

void TMassMolMatchSettingsWrapper::setMaxMatchesPerMolecule(int value)
{
    m_values.maxMatchesPerMolecule = value;
    apply();
}

void TMassMolMatchSettingsWrapper::setMaxMatchesPerSpectrum(int value)
{
    m_values.maxMatchesPerSpectrum = value;
    apply();
}

void TMassMolMatchSettingsWrapper::setMsTolerance(double value)
{
    m_values.msTolerance = value;
    apply();
}

void TMassMolMatchSettingsWrapper::setMsmsTolerance(double value)
{
    m_values.msmsTolerance = value;
    apply();
}

QString TMassMolMatchSettingsWrapper::toleranceUnits() const
{
    return m_values.toleranceInDa ? QStringLiteral("Da") : QStringLiteral("ppm");
}

void TMassMolMatchSettingsWrapper::setToleranceUnits(const QString& text)
{
    const QString units = text.toLower();
    if (units != QLatin1String("da") && units != QLatin1String("ppm"))
        return;
    m_values.toleranceInDa = units == QLatin1String("da");
    apply();
}

// Match object

TMassMolMatchWrapper::TMassMolMatchWrapper(TCanvasMass* item, QObject* parent)
    : QObject(parent), m_item(item), m_settings(new TMassMolMatchSettingsWrapper(item, this))
{
    setObjectName(QStringLiteral("MassMolMatch"));
}

QScriptValue TMassMolMatchWrapper::settings() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    if (!liveMatcher(m_item))
        return e->undefinedValue();
    return wrapChildObject(e, m_settings, thisObject());
}

void TMassMolMatchWrapper::setSettings(const QScriptValue& value)
{
    if (liveMatcher(m_item))
        assignScriptProperties(value, m_settings, engine());
}

QScriptValue TMassMolMatchWrapper::results() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const TKSMoleculeMatcher2* matcher = liveMatcher(m_item);
    if (!matcher)
        return e->undefinedValue();
    const std::vector<TKSMoleculeMatchResult2>& list = matcher->getResults();
    QScriptValue array = e->newArray(static_cast<uint>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        const TKSMoleculeMatchResult2& r = list[i];
        QScriptValue object = e->newObject();
        object.setProperty(QStringLiteral("moleculeId"), QString::fromStdWString(r.getMoleculeId()));
        object.setProperty(QStringLiteral("matched"), r.getIsMatched());
        if (r.getIsMatched()) {
            object.setProperty(QStringLiteral("score"), r.getMatchScore());
            object.setProperty(QStringLiteral("similarity"), r.getSimilarityScore());
            object.setProperty(QStringLiteral("purity"), r.getPurityScore());
            object.setProperty(QStringLiteral("retTime"), r.getChromatogramPeak().apexRT);
            object.setProperty(QStringLiteral("scan"), r.getChromatogramPeak().scan + 1);
        }
        array.setProperty(static_cast<quint32>(i), object, QScriptValue::ReadOnly);
    }
    return array;
}
