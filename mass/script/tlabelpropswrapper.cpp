#include "tlabelpropswrapper.h"

#include <QColor>
#include <QScriptContext>
#include <QScriptEngine>

#include <cmath>

#include "scripthelpers.h"
#include "t1dmassplot.h"
#include "tlabelproperties.h"

TLabelPropertiesWrapper::TLabelPropertiesWrapper(QObject* parent, const TMassPlotRef& plot)
    : QObject(parent), m_plot(plot)
{
}

QString TLabelPropertiesWrapper::color() const
{
    const TLabelProperties* r = isValid() ? record() : nullptr;
    return r ? r->color.name() : QString();
}

void TLabelPropertiesWrapper::setColor(const QString& text)
{
    TLabelProperties* r = isValid() ? record() : nullptr;
    if (!r)
        return;
    QColor color;
    color.setNamedColor(text);
    if (!color.isValid()) {
        throwScriptError(context(), ScriptIncorrectArguments);
        return;
    }
    r->color = color;
}

QScriptValue TLabelPropertiesWrapper::font() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const TLabelProperties* r = isValid() ? record() : nullptr;
    return r ? e->toScriptValue(r->font) : e->undefinedValue();
}

void TLabelPropertiesWrapper::setFont(const QScriptValue& value)
{
    if (TLabelProperties* r = isValid() ? record() : nullptr)
        fontFromScriptObject(value, r->font);
}

int TLabelPropertiesWrapper::decimals() const
{
    const TLabelProperties* r = isValid() ? record() : nullptr;
    return r ? r->decimals : -1;
}

void TLabelPropertiesWrapper::setDecimals(int decimals)
{
    if (TLabelProperties* r = isValid() ? record() : nullptr)
        r->decimals = decimals;
}

// Title

TMassPlotTitlePropsWrapper::TMassPlotTitlePropsWrapper(QObject* parent, const TMassPlotRef& plot)
    : TLabelPropertiesWrapper(parent, plot)
{
    setObjectName(QStringLiteral("MassPlotTitleProps"));
}

TMSTitleProperties* TMassPlotTitlePropsWrapper::title() const
{
    T1DMassPlot* p = m_plot.plot();
    return p ? &p->titleProperties() : nullptr;
}

TLabelProperties* TMassPlotTitlePropsWrapper::record() const
{
    return title();
}

bool TMassPlotTitlePropsWrapper::visible() const
{
    const TMSTitleProperties* t = title();
    return t && t->visible;
}

void TMassPlotTitlePropsWrapper::setVisible(bool on)
{
    if (TMSTitleProperties* t = title())
        t->visible = on;
}

QString TMassPlotTitlePropsWrapper::format() const
{
    const TMSTitleProperties* t = title();
    return t ? t->format : QString();
}

void TMassPlotTitlePropsWrapper::setFormat(const QString& format)
{
    if (TMSTitleProperties* t = title())
        t->format = format;
}

// Second line of the peak labels

TExtLineProps::TExtLineProps(QObject* parent, const TMassPlotRef& plot) : QObject(parent), m_plot(plot)
{
    setObjectName(QStringLiteral("MassPlotPeakExtProps"));
}

TMSPeakProperties* TExtLineProps::record() const
{
    T1DMassPlot* p = m_plot.plot();
    return p ? &p->peakProperties() : nullptr;
}

bool TExtLineProps::visible() const
{
    const TMSPeakProperties* r = record();
    return r && r->secondLineVisible();
}

void TExtLineProps::setVisible(bool on)
{
    if (TMSPeakProperties* r = record())
        r->setSecondLineVisible(on);
}

int TExtLineProps::decimals() const
{
    const TMSPeakProperties* r = record();
    return r ? r->secondLineDecimals : -1;
}

void TExtLineProps::setDecimals(int decimals)
{
    if (TMSPeakProperties* r = record())
        r->secondLineDecimals = decimals;
}

QString TExtLineProps::value() const
{
    const TMSPeakProperties* r = record();
    return r ? r->secondLineValue() : QString();
}

void TExtLineProps::setValue(const QString& text)
{
    TMSPeakProperties* r = record();
    if (!r)
        return;
    const QString name = text.toLower();
    int bit = 0;
    if (name == QLatin1String("intensity"))
        bit = TMSPeakProperties::SecondLineIntensity;
    else if (name == QLatin1String("height"))
        bit = TMSPeakProperties::SecondLineHeight;
    else if (name == QLatin1String("area"))
        bit = TMSPeakProperties::SecondLineArea;
    else if (name == QLatin1String("abundance"))
        bit = TMSPeakProperties::SecondLineAbundance;
    if (bit)
        r->peakFlags = (r->peakFlags & ~TMSPeakProperties::SecondLineMask) | bit;
}

// Peak labels

TMassPlotPeakPropsWrapper::TMassPlotPeakPropsWrapper(QObject* parent, const TMassPlotRef& plot)
    : TLabelPropertiesWrapper(parent, plot), m_secondline(new TExtLineProps(this, plot))
{
    setObjectName(QStringLiteral("MassPlotPeaksProps"));
}

TMSPeakProperties* TMassPlotPeakPropsWrapper::peaks() const
{
    T1DMassPlot* p = m_plot.plot();
    return p ? &p->peakProperties() : nullptr;
}

TLabelProperties* TMassPlotPeakPropsWrapper::record() const
{
    return peaks();
}

bool TMassPlotPeakPropsWrapper::flag(int bit) const
{
    const TMSPeakProperties* r = peaks();
    return r && (r->peakFlags & bit);
}

void TMassPlotPeakPropsWrapper::setFlag(int bit, bool on)
{
    if (TMSPeakProperties* r = peaks())
        r->peakFlags = on ? (r->peakFlags | bit) : (r->peakFlags & ~bit);
}

QScriptValue TMassPlotPeakPropsWrapper::secondline() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    if (!isValid())
        return e->undefinedValue();
    return wrapChildObject(e, m_secondline, thisObject());
}

void TMassPlotPeakPropsWrapper::setSecondline(const QScriptValue& value)
{
    if (isValid())
        assignScriptProperties(value, m_secondline, engine());
}

double TMassPlotPeakPropsWrapper::threshold() const
{
    const TMSPeakProperties* r = peaks();
    return r ? r->threshold : -1.0;
}

void TMassPlotPeakPropsWrapper::setThreshold(double value)
{
    TMSPeakProperties* r = peaks();
    if (r && std::isfinite(value))
        r->threshold = value;
}
