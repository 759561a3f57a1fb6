#include "tcanvasspectrum.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "tbaseplot.h"
#include "tbaseplotter.h"
#include "tdatastream.h"
#include "tstreambytes.h"

namespace {

bool isEmptyRect(const QRectF& r)
{
    return r.width() == 0 && r.height() == 0;
}

}  // namespace

TCanvasSpectrum::TCanvasSpectrum(int type, quintptr ownerTag, const QString& typeText, IProgress* progress)
    : TCanvasItem(type, typeText, progress)
{
    setCacheWanted(true);
    setOwnerTag(ownerTag);
}

TCanvasSpectrum::~TCanvasSpectrum()
{
    // The area depends on the size: leave the chunks while it is known.
    hide();
    qDeleteAll(m_plots);
    m_plots.clear();
    m_current = nullptr;
}

QPolygonF TCanvasSpectrum::areaPoints() const
{
    const double d = penHalfWidth();
    const double w = m_size.width(), h = m_size.height();
    QPolygonF area;
    area << QPointF(x() - d, y() - d) << QPointF(x() + w + d, y() - d) << QPointF(x() + w + d, y() + h + d)
         << QPointF(x() - d, y() + h + d);
    return itemMatrix().map(area);
}

QPolygonF TCanvasSpectrum::geometry() const
{
    const QRectF r = itemRect();
    QPolygonF g;
    g << r.topLeft() << r.topRight() << r.bottomRight() << r.bottomLeft() << r.topLeft();
    return g;
}

void TCanvasSpectrum::setGeometry(const QPolygonF& polygon)
{
    if (polygon.size() < 3)
        return;
    const QPointF a = polygon.at(0), b = polygon.at(2);
    move(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
    invalidate();
    m_size = QSizeF(std::fabs(b.x() - a.x()), std::fabs(b.y() - a.y()));
    update();
}

void TCanvasSpectrum::drawShape(QPainter& painter)
{
    painter.save();
    if (!usesPixmapCache(painter))
        painter.setTransform(itemMatrix(), true);
    QList<QRectF> rects;
    layoutPlots(itemRect(), rects);
    for (int i = 0; i < m_plots.size() && i < rects.size(); ++i) {
        TBasePlot* p = m_plots.at(i);
        if (isEmptyRect(rects.at(i)) || !p || !p->visible())
            continue;
        p->paint(&painter, rects.at(i));
    }
    painter.restore();
}

void TCanvasSpectrum::drawCurrent(QPainter& painter)
{
    if (!m_current)
        return;
    painter.save();
    m_current->paintInRect(&painter, geometry().boundingRect());
    painter.restore();
}

QPointF TCanvasSpectrum::mapToItem(const QPointF& point) const
{
    if (angle() == 0)
        return point;
    return itemMatrix().inverted().map(point);
}

QPointF TCanvasSpectrum::mapFromItem(const QPointF& point) const
{
    if (angle() == 0)
        return point;
    return itemMatrix().map(point);
}

bool TCanvasSpectrum::mapToPlotValues(QPointF& point, int axes)
{
    point = mapToItem(point);
    QRectF band;
    const int index = plotIndexAt(point, &band);
    if (index < 0)
        return false;
    TBasePlot* p = m_plots.at(index);
    // The band as the last paint laid it out, also before any paint.
    p->plotter().setDeviceRect(band);
    return p->mapFromDevice(point, axes);
}

bool TCanvasSpectrum::mapFromPlotValues(QPointF& values, int axes)
{
    const int index = currentPlotIndex();
    if (index < 0)
        return false;
    QList<QRectF> rects;
    layoutPlots(itemRect(), rects);
    if (index < rects.size() && !isEmptyRect(rects.at(index)))
        m_current->plotter().setDeviceRect(rects.at(index));
    QPointF p = values;
    if (!m_current->mapToDevice(p, axes))
        return false;
    values = mapFromItem(p);
    return true;
}

int TCanvasSpectrum::plotAreaAt(const QPointF& point)
{
    const QPointF p = mapToItem(point);
    QRectF band;
    const int index = plotIndexAt(p, &band);
    if (index < 0)
        return -1;
    TBasePlot* plot = m_plots.at(index);
    plot->plotter().setDeviceRect(band);
    return plot->hitTest(p);
}

void TCanvasSpectrum::applyItemMatrix(QPainter& painter)
{
    painter.setTransform(itemMatrix(), true);
}

QPointF TCanvasSpectrum::clampToCurrentPlot(const QPointF& point)
{
    if (!m_current)
        return point;
    QPointF p = mapToItem(point);
    const TBasePlotter& painter = m_current->plotter();
    painter.preparePoint(p);
    const QRectF frame = painter.mapRect(painter.plotArea());
    if (frame.isValid()) {
        p.setX(std::min(std::max(p.x(), frame.left()), frame.left() + frame.width()));
        p.setY(std::min(std::max(p.y(), frame.top()), frame.top() + frame.height()));
    }
    painter.preparePoint(p);
    return mapFromItem(p);
}

int TCanvasSpectrum::extraValue() const
{
    return 0;
}

int TCanvasSpectrum::plotIndex(const QUuid& id) const
{
    for (int i = 0; i < m_plots.size(); ++i)
        if (m_plots.at(i) && m_plots.at(i)->id() == id)
            return i;
    return -1;
}

TBasePlot* TCanvasSpectrum::plot(const QUuid& id, bool visibleOnly) const
{
    TBasePlot* p = m_plots.value(plotIndex(id), nullptr);
    if (p && visibleOnly && !p->visible())
        return nullptr;
    return p;
}

bool TCanvasSpectrum::isPlotVisible(const QUuid& id) const
{
    return plot(id, true) != nullptr;
}

void TCanvasSpectrum::setCurrentPlot(TBasePlot* plot)
{
    if (!plot || m_plots.contains(plot))
        m_current = plot;
}

void TCanvasSpectrum::insertPlot(int index, TBasePlot* plot)
{
    if (!plot)
        return;
    if (index < 0 || index > m_plots.size())
        index = m_plots.size();
    m_plots.insert(index, plot);
    if (!m_current && plot->visible())
        m_current = plot;
}

TBasePlot* TCanvasSpectrum::takePlotAt(int index)
{
    if (index < 0 || index >= m_plots.size())
        return nullptr;
    TBasePlot* p = m_plots.takeAt(index);
    if (p == m_current)
        selectFirstVisiblePlot();
    return p;
}

int TCanvasSpectrum::visiblePlotCount() const
{
    return static_cast<int>(
        std::count_if(m_plots.begin(), m_plots.end(), [](const TBasePlot* p) { return p && p->visible(); }));
}

void TCanvasSpectrum::selectFirstVisiblePlot()
{
    m_current = nullptr;
    for (TBasePlot* p : m_plots)
        if (p && p->visible()) {
            m_current = p;
            return;
        }
}

void TCanvasSpectrum::setPlotVisible(const QUuid& id, bool visible)
{
    TBasePlot* p = plot(id, false);
    if (!p)
        return;
    p->setVisible(visible ? 1 : 0);
    if (!visible && p == m_current)
        selectFirstVisiblePlot();
}

int TCanvasSpectrum::plotIndexAt(const QPointF& itemPoint, QRectF* rect) const
{
    QList<QRectF> rects;
    layoutPlots(itemRect(), rects);
    for (int i = 0; i < rects.size() && i < m_plots.size(); ++i) {
        const QRectF& r = rects.at(i);
        if (isEmptyRect(r) || !m_plots.at(i) || !r.contains(itemPoint))
            continue;
        if (rect)
            *rect = r;
        return i;
    }
    return -1;
}

TBasePlot* TCanvasSpectrum::plotAt(const QPointF& point) const
{
    return m_plots.value(plotIndexAt(mapToItem(point)), nullptr);
}

void TCanvasSpectrum::setCurrentPlotAt(const QPoint& point)
{
    if (TBasePlot* p = plotAt(QPointF(point)))
        m_current = p;
}

void TCanvasSpectrum::writePluginData(TDataStream& s) const
{
    s.beginBlock();
    TCanvasItem::writePluginData(s);
    s.endBlock();
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    s << m_size << qint32(currentPlotIndex());
    writePlots(s);
    s.endBlock();
}

void TCanvasSpectrum::readPluginData(TDataStream& s)
{
    if (holdsContent()) {
        // Fresh items only: reading over plots would leave them twice.
        s.skipBlock();
        s.skipBlock();
        return;
    }
    readSpectrumData(s);
}

void TCanvasSpectrum::readSpectrumData(TDataStream& s)
{
    readBlock(s, BlockLength::Checked, [&] { TCanvasItem::readPluginData(s); });
    readBlock(s, BlockLength::Checked, [&] {
        s.skipBlock();
        QSizeF size;
        qint32 index = -1;
        s >> size >> index;
        if (!s.ok())
            return;
        if (std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() >= 0 &&
            size.height() >= 0)
            m_size = size;
        const bool entered = isValid();
        if (entered)
            invalidate();
        readPlots(s);
        if (index >= 0 && index < m_plots.size())
            m_current = m_plots.at(index);
        else if (!m_plots.isEmpty())
            m_current = m_plots.first();
        if (entered)
            update();
    });
}

void TCanvasSpectrum::writePlots(TDataStream& s) const
{
    s << qint32(m_plots.size());
    for (const TBasePlot* p : m_plots) {
        s.beginBlock();
        s.endBlock();
        s.beginBlock();
        s << qint16(p->type()) << p->id() << qint8(p->visible() ? 1 : 0);
        p->write(s);
        s.endBlock();
    }
}

void TCanvasSpectrum::readPlots(TDataStream& s)
{
    // Each entry takes at least its two block lengths.
    const qint32 count = s.readCount(8);
    for (qint32 i = 0; i < count && s.ok(); ++i) {
        s.skipBlock();
        const qint32 length = s.readBlockSize();
        if (!s.ok())
            break;
        if (length == 0)
            continue;  // an entry without a plot
        if (length < 0 || length > s.remaining()) {
            s.fail();
            break;
        }
        const qint64 end = s.device()->pos() + length;
        qint16 type = 0;
        QUuid id;
        qint8 visible = 0;
        s >> type >> id >> visible;
        if (!s.ok())
            break;
        // An unknown type is passed over by its block length.
        TBasePlot* made = createPlot(static_cast<quint16>(type), id);
        if (made) {
            made->setVisible(visible != 0 ? 1 : 0);
            made->read(s);
            if (s.ok() && s.device()->pos() > end)
                s.fail(QDataStream::ReadCorruptData);
            if (!s.ok()) {
                delete made;
                break;
            }
            m_plots.append(made);
        }
        s.device()->seek(end);
    }
}
