#include "tmassplotwrapper.h"

#include <QScriptContext>
#include <QScriptEngine>

#include <cmath>

#include "scripthelpers.h"
#include "t1dmassplot.h"
#include "t1dmassplotter.h"
#include "tcanvasitemwrapper.h"
#include "tcanvasmass.h"
#include "tmassplotprops.h"

TCanvasMass* TMassPlotRef::item() const
{
    return isLivePageItem(m_item) ? m_item : nullptr;
}

T1DMassPlot* TMassPlotRef::plot() const
{
    const TCanvasMass* mass = item();
    if (!mass || m_id.isNull() || !mass->dataObject(m_id))
        return nullptr;
    TBasePlot* p = mass->plot(m_id, false);
    // Only one-dimensional plots with a mass plotter are mass plots.
    if (!p || p->type() != 1 || p->plotter().typeId() != T1DMassPlotter::massTypeId())
        return nullptr;
    return static_cast<T1DMassPlot*>(p);
}

TMassDataObj* TMassPlotRef::dataObject() const
{
    return plot() ? m_item->dataObject(m_id) : nullptr;
}

TMassPlotWrapper::TMassPlotWrapper(TCanvasMass* item, const QUuid& plotId, QObject* parent)
    : QObject(parent), m_ref(item, plotId), m_properties(new TMassPlotPropertiesWrapper(this, m_ref))
{
    setObjectName(QStringLiteral("MassItemPlot"));
}

TMassDataObj* TMassPlotWrapper::dataObject() const
{
    return m_ref.dataObject();
}

bool TMassPlotWrapper::visible() const
{
    const T1DMassPlot* p = plot();
    return p && p->visible();
}

QString TMassPlotWrapper::description() const
{
    const TMassDataObj* data = dataObject();
    return data ? data->description() : QString();
}

int TMassPlotWrapper::type() const
{
    const T1DMassPlot* p = plot();
    return p ? p->kind() : 0;
}

QString TMassPlotWrapper::id() const
{
    const T1DMassPlot* p = plot();
    return p ? p->id().toString() : QUuid().toString();
}

QScriptValue TMassPlotWrapper::properties() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    if (!valid())
        return e->undefinedValue();
    return wrapChildObject(e, m_properties, thisObject());
}

QScriptValue TMassPlotWrapper::ranges(bool full) const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const T1DMassPlot* p = plot();
    if (!p)
        return e->undefinedValue();
    QScriptValue result = e->newObject();
    const char* names[] = {"horizontal", "vertical"};
    for (int n = 1; n <= 2; ++n) {
        const TPlotAxis& axis = p->axis(n);
        QScriptValue range = e->newObject();
        range.setProperty(QStringLiteral("from"), full ? axis.fullFrom : axis.visibleFrom);
        range.setProperty(QStringLiteral("to"), full ? axis.fullTo : axis.visibleTo);
        result.setProperty(QString::fromLatin1(names[n - 1]), range);
    }
    return result;
}

QScriptValue TMassPlotWrapper::scale() const
{
    return ranges(false);
}

QScriptValue TMassPlotWrapper::fullScale() const
{
    return ranges(true);
}

namespace {

QScriptValue pointObject(QScriptEngine* e, const QPointF& point)
{
    QScriptValue object = e->newObject();
    object.setProperty(QStringLiteral("x"), point.x());
    object.setProperty(QStringLiteral("y"), point.y());
    return object;
}

}  // namespace

QScriptValue TMassPlotWrapper::peaks() const
{
    QScriptEngine* e = engine();
    if (!e)
        return QScriptValue();
    const T1DMassPlot* p = plot();
    const TMassDataObj* data = dataObject();
    if (!p || !data)
        return e->undefinedValue();
    if (p->kind() == T1DMassPlot::Chromatogram) {
        QVector<TMSChromPeak> list;
        if (!data->getChromatogramPeaks(list))
            return e->undefinedValue();
        QScriptValue array = e->newArray(static_cast<uint>(list.size()));
        for (int i = 0; i < list.size(); ++i) {
            const TMSChromPeak& peak = list.at(i);
            QScriptValue object = e->newObject();
            object.setProperty(QStringLiteral("center"), pointObject(e, peak.position));
            object.setProperty(QStringLiteral("start"), pointObject(e, peak.start));
            object.setProperty(QStringLiteral("end"), pointObject(e, peak.end));
            object.setProperty(QStringLiteral("height"), peak.height);
            object.setProperty(QStringLiteral("area"), peak.area);
            object.setProperty(QStringLiteral("scan"), peak.scan);
            // The detector's class (ChromatogramPeakType numbering), which
            // the peak table shows too; the record's type query is always 1.
            object.setProperty(QStringLiteral("type"), peak.peakType);
            array.setProperty(static_cast<quint32>(i), object);
        }
        return array;
    }
    QVector<TMSPeak> list;
    if (!data->getSpectrumPeaks(list))
        return e->undefinedValue();
    QScriptValue array = e->newArray(static_cast<uint>(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        QScriptValue object = e->newObject();
        object.setProperty(QStringLiteral("center"), pointObject(e, list.at(i).position));
        array.setProperty(static_cast<quint32>(i), object);
    }
    return array;
}

namespace {

// 1 for "horz"/"horizontal", 2 for "vert"/"vertical" (any case), else 0.
int orientationAxis(const QScriptValue& value)
{
    if (!value.isString())
        return 0;
    const QString text = value.toString().toLower();
    if (text == QLatin1String("horz") || text == QLatin1String("horizontal"))
        return 1;
    if (text == QLatin1String("vert") || text == QLatin1String("vertical"))
        return 2;
    return 0;
}

}  // namespace

QScriptValue TMassPlotWrapper::zoom()
{
    QScriptContext* ctx = context();
    T1DMassPlot* p = plot();
    if (!ctx || !p)
        return engine() ? engine()->undefinedValue() : QScriptValue();
    const int count = ctx->argumentCount();
    if (count == 0) {
        p->fullZoomOut();
        return engine()->undefinedValue();
    }
    if (count > 2)
        return throwScriptError(ctx, ScriptArgumentCount);
    const int axis = orientationAxis(ctx->argument(0));
    if (axis == 0)
        return throwScriptError(ctx, ScriptIncorrectArguments, QStringLiteral("Invalid scale orientation type"));
    if (count == 1) {
        p->fullZoomOut(axis);
        return engine()->undefinedValue();
    }
    // A limit that is not a finite number would put NaN into the plot and
    // the saved document: refused like any other bad range object.
    const QScriptValue range = ctx->argument(1);
    const QScriptValue from = range.isObject() ? range.property(QStringLiteral("from")) : QScriptValue();
    const QScriptValue to = range.isObject() ? range.property(QStringLiteral("to")) : QScriptValue();
    if (!range.isObject() || !from.isNumber() || !std::isfinite(from.toNumber()) || !to.isNumber() ||
        !std::isfinite(to.toNumber()))
        return throwScriptError(ctx, ScriptIncorrectArguments, QStringLiteral("Invalid scale range object"));
    p->zoom(axis, from.toNumber(), to.toNumber());
    return engine()->undefinedValue();
}
