#include "tmassplotprops.h"

#include <QColor>
#include <QFont>
#include <QScriptEngine>

#include <algorithm>
#include <cmath>

#include "massutils.h"
#include "scripthelpers.h"
#include "t1dmassplot.h"
#include "tlabelpropswrapper.h"

namespace {

// A colour text as Qt's colour parsing reads it.
QColor parsedColor(const QString& text)
{
    QColor color;
    color.setNamedColor(text);
    return color;
}

}  // namespace

TMassPlotBasePropsWrapper::TMassPlotBasePropsWrapper(QObject* parent, const TMassPlotRef& plot)
    : QObject(parent), m_plot(plot)
{
}

QScriptValue TMassPlotBasePropsWrapper::childValue(QObject* child) const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    if (!plot())
        return e->undefinedValue();
    return wrapChildObject(e, child, thisObject());
}

void TMassPlotBasePropsWrapper::assignChild(QObject* child, const QScriptValue& value)
{
    if (plot())
        assignScriptProperties(value, child, engine());
}

const T1DPlotProperties* TMassPlotBasePropsWrapper::group() const
{
    const T1DMassPlot* p = plot();
    return p ? &p->lineProperties() : nullptr;
}

template <class Change>
void TMassPlotBasePropsWrapper::changeGroup(Change change)
{
    T1DMassPlot* p = plot();
    if (!p)
        return;
    T1DPlotProperties copy(p->lineProperties());
    if (change(copy))
        p->setProperties(copy);
}

// Background

TMassPlotBackgroundPropsWrapper::TMassPlotBackgroundPropsWrapper(QObject* parent, const TMassPlotRef& plot)
    : TMassPlotBasePropsWrapper(parent, plot)
{
    setObjectName(QStringLiteral("MassPlotBackgroundProps"));
}

QString TMassPlotBackgroundPropsWrapper::color() const
{
    const T1DPlotProperties* g = group();
    return g ? g->background().color().name() : QString();
}

void TMassPlotBackgroundPropsWrapper::setColor(const QString& text)
{
    changeGroup([&](T1DPlotProperties& g) {
        QColor color = parsedColor(text);
        if (!color.isValid())
            return false;
        QBrush brush = g.background();
        color.setAlpha(brush.color().alpha());
        brush.setColor(color);
        g.setBackground(brush);
        return true;
    });
}

int TMassPlotBackgroundPropsWrapper::opacity() const
{
    const T1DPlotProperties* g = group();
    return g ? static_cast<int>(g->background().color().alphaF() * 100) : -1;
}

void TMassPlotBackgroundPropsWrapper::setOpacity(int value)
{
    changeGroup([&](T1DPlotProperties& g) {
        if (value < 0 || value > 100)
            return false;
        QBrush brush = g.background();
        QColor color = brush.color();
        color.setAlphaF(value * 0.01);
        brush.setColor(color);
        g.setBackground(brush);
        return true;
    });
}

// Grid

TMassPlotGridPropsWrapper::TMassPlotGridPropsWrapper(QObject* parent, const TMassPlotRef& plot)
    : TMassPlotBasePropsWrapper(parent, plot)
{
    setObjectName(QStringLiteral("MassPlotGridProps"));
}

bool TMassPlotGridPropsWrapper::flag(int bit) const
{
    const T1DPlotProperties* g = group();
    return g && (g->flags() & bit);
}

void TMassPlotGridPropsWrapper::setFlag(int bit, bool on)
{
    changeGroup([&](T1DPlotProperties& g) {
        g.setFlags(on ? (g.flags() | bit) : (g.flags() & ~bit));
        return true;
    });
}

bool TMassPlotGridPropsWrapper::showFrame() const
{
    const T1DPlotProperties* g = group();
    return g && g->frameSides() == 15;
}

void TMassPlotGridPropsWrapper::setShowFrame(bool on)
{
    changeGroup([&](T1DPlotProperties& g) {
        g.setFrameSides(on ? 15 : 0);
        return true;
    });
}

QString TMassPlotGridPropsWrapper::color() const
{
    const T1DPlotProperties* g = group();
    return g ? g->gridPen().color().name() : QString();
}

void TMassPlotGridPropsWrapper::setColor(const QString& text)
{
    changeGroup([&](T1DPlotProperties& g) {
        const QColor color = parsedColor(text);
        if (!color.isValid())
            return false;
        QPen pen = g.gridPen();
        pen.setColor(color);
        g.setGridPen(pen);
        return true;
    });
}

// Axis captions and axes

TAxisLabelPropsWrapper::TAxisLabelPropsWrapper(QObject* parent, const TMassPlotRef& plot, int axis)
    : TMassPlotBasePropsWrapper(parent, plot), m_axis(axis)
{
    setObjectName(QStringLiteral("MassPlotAxisLabelProps"));
}

bool TAxisLabelPropsWrapper::visible() const
{
    const T1DMassPlot* p = plot();
    return p && p->axis(m_axis).captionVisible;
}

void TAxisLabelPropsWrapper::setVisible(bool on)
{
    if (T1DMassPlot* p = plot())
        p->setAxisLabelVisible(m_axis, on);
}

QString TAxisLabelPropsWrapper::text() const
{
    const T1DMassPlot* p = plot();
    return p ? p->axis(m_axis).caption : QString();
}

void TAxisLabelPropsWrapper::setText(const QString& text)
{
    if (T1DMassPlot* p = plot())
        p->setAxisLabel(m_axis, text);
}

TAxisPropsWrapper::TAxisPropsWrapper(QObject* parent, const TMassPlotRef& plot, int axis)
    : TMassPlotBasePropsWrapper(parent, plot), m_axis(axis), m_label(new TAxisLabelPropsWrapper(this, plot, axis))
{
    setObjectName(QStringLiteral("MassPlotAxisProps"));
}

bool TAxisPropsWrapper::visible() const
{
    const T1DMassPlot* p = plot();
    return p && p->axis(m_axis).visible;
}

void TAxisPropsWrapper::setVisible(bool on)
{
    if (T1DMassPlot* p = plot())
        p->setAxisVisible(m_axis, on);
}

int TAxisPropsWrapper::decimals() const
{
    const T1DMassPlot* p = plot();
    return p ? p->axis(m_axis).decimals : -1;
}

void TAxisPropsWrapper::setDecimals(int decimals)
{
    if (T1DMassPlot* p = plot())
        p->setAxisDecimals(m_axis, decimals);
}

TMassPlotAxesPropsWrapper::TMassPlotAxesPropsWrapper(QObject* parent, const TMassPlotRef& plot)
    : TMassPlotBasePropsWrapper(parent, plot),
      m_horizontal(new TAxisPropsWrapper(this, plot, 1)),
      m_vertical(new TAxisPropsWrapper(this, plot, 2))
{
    setObjectName(QStringLiteral("MassPlotAxesProps"));
}

QString TMassPlotAxesPropsWrapper::color() const
{
    const T1DPlotProperties* g = group();
    return g ? g->axesPen().color().name() : QString();
}

void TMassPlotAxesPropsWrapper::setColor(const QString& text)
{
    changeGroup([&](T1DPlotProperties& g) {
        const QColor color = parsedColor(text);
        if (!color.isValid())
            return false;
        QPen pen = g.axesPen();
        pen.setColor(color);
        g.setAxesPen(pen);
        return true;
    });
}

double TMassPlotAxesPropsWrapper::margin() const
{
    const T1DPlotProperties* g = group();
    return g ? pixelsToMm(g->margin()) : 0;
}

void TMassPlotAxesPropsWrapper::setMargin(double mm)
{
    changeGroup([&](T1DPlotProperties& g) {
        const double pixels = mmToPixels(mm);
        if (!std::isfinite(pixels))
            return false;
        g.setMargin(pixels);
        return true;
    });
}

QScriptValue TMassPlotAxesPropsWrapper::font() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const T1DPlotProperties* g = group();
    return g ? e->toScriptValue(g->font()) : e->undefinedValue();
}

void TMassPlotAxesPropsWrapper::setFont(const QScriptValue& value)
{
    changeGroup([&](T1DPlotProperties& g) {
        QFont font = g.font();
        fontFromScriptObject(value, font);
        g.setFont(font);
        return true;
    });
}

// Trace line

TMassPlotLinePropsWrapper::TMassPlotLinePropsWrapper(QObject* parent, const TMassPlotRef& plot)
    : TMassPlotBasePropsWrapper(parent, plot)
{
    setObjectName(QStringLiteral("MassPlotLineProps"));
}

QString TMassPlotLinePropsWrapper::style() const
{
    const T1DPlotProperties* g = group();
    if (!g)
        return QString();
    switch (g->lineStyle()) {
    case T1DPlotProperties::Line: return QStringLiteral("line");
    case T1DPlotProperties::Crosses: return QStringLiteral("crosses");
    case T1DPlotProperties::Circles: return QStringLiteral("circles");
    default: return QString();
    }
}

void TMassPlotLinePropsWrapper::setStyle(const QString& text)
{
    changeGroup([&](T1DPlotProperties& g) {
        const QString name = text.toLower();
        if (name == QLatin1String("line"))
            g.setLineStyle(T1DPlotProperties::Line);
        else if (name == QLatin1String("crosses"))
            g.setLineStyle(T1DPlotProperties::Crosses);
        else if (name == QLatin1String("circles"))
            g.setLineStyle(T1DPlotProperties::Circles);
        else
            return false;
        return true;
    });
}

QString TMassPlotLinePropsWrapper::color() const
{
    const T1DPlotProperties* g = group();
    return g ? g->tracePen().color().name() : QString();
}

void TMassPlotLinePropsWrapper::setColor(const QString& text)
{
    changeGroup([&](T1DPlotProperties& g) {
        const QColor color = parsedColor(text);
        if (!color.isValid())
            return false;
        QPen pen = g.tracePen();
        pen.setColor(color);
        g.setTracePen(pen);
        return true;
    });
}

double TMassPlotLinePropsWrapper::width() const
{
    const T1DPlotProperties* g = group();
    return g ? g->tracePen().widthF() : 0;
}

void TMassPlotLinePropsWrapper::setWidth(double width)
{
    changeGroup([&](T1DPlotProperties& g) {
        // NaN is clamped to the smallest width, like any width below it.
        const double clamped = width >= 0.01 ? std::min(width, 10.0) : 0.01;
        QPen pen = g.tracePen();
        pen.setWidthF(clamped);
        g.setTracePen(pen);
        return true;
    });
}

// Highlight

TMassPlotHighlightPropsWrapper::TMassPlotHighlightPropsWrapper(QObject* parent, const TMassPlotRef& plot)
    : QObject(parent), m_plot(plot)
{
    setObjectName(QStringLiteral("MassPlotHighlightProps"));
}

TMSHighlightProperties* TMassPlotHighlightPropsWrapper::record() const
{
    T1DMassPlot* p = m_plot.plot();
    return p ? &p->highlight() : nullptr;
}

QString TMassPlotHighlightPropsWrapper::color() const
{
    const TMSHighlightProperties* r = record();
    return r ? r->color.name() : QString();
}

void TMassPlotHighlightPropsWrapper::setColor(const QString& text)
{
    if (TMSHighlightProperties* r = record())
        r->setColor(parsedColor(text), false);
}

int TMassPlotHighlightPropsWrapper::opacity() const
{
    const TMSHighlightProperties* r = record();
    return r ? r->opacity() : -1;
}

void TMassPlotHighlightPropsWrapper::setOpacity(int value)
{
    TMSHighlightProperties* r = record();
    if (r && value >= 0 && value <= 100)
        r->setOpacity(value);
}

bool TMassPlotHighlightPropsWrapper::isBoxVisible() const
{
    const TMSHighlightProperties* r = record();
    return r && (r->boxVisible & 1);
}

void TMassPlotHighlightPropsWrapper::setBoxVisible(bool on)
{
    if (TMSHighlightProperties* r = record())
        r->boxVisible = on ? (r->boxVisible | 1) : (r->boxVisible & ~1);
}

// Root

TMassPlotPropertiesWrapper::TMassPlotPropertiesWrapper(QObject* parent, const TMassPlotRef& plot)
    : TMassPlotBasePropsWrapper(parent, plot),
      m_background(new TMassPlotBackgroundPropsWrapper(this, plot)),
      m_grid(new TMassPlotGridPropsWrapper(this, plot)),
      m_axes(new TMassPlotAxesPropsWrapper(this, plot)),
      m_line(new TMassPlotLinePropsWrapper(this, plot)),
      m_title(new TMassPlotTitlePropsWrapper(this, plot)),
      m_peaks(new TMassPlotPeakPropsWrapper(this, plot)),
      m_highlight(new TMassPlotHighlightPropsWrapper(this, plot))
{
    setObjectName(QStringLiteral("MassPlotProperties"));
}

QScriptValue TMassPlotPropertiesWrapper::title() const
{
    return childValue(m_title);
}

void TMassPlotPropertiesWrapper::setTitle(const QScriptValue& v)
{
    assignChild(m_title, v);
}

QScriptValue TMassPlotPropertiesWrapper::peaks() const
{
    return childValue(m_peaks);
}

void TMassPlotPropertiesWrapper::setPeaks(const QScriptValue& v)
{
    assignChild(m_peaks, v);
}
