#include "paintrecorder.h"

#include <QPainterPath>
#include <QTextItem>

class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(PaintRecorder* device) : QPaintEngine(QPaintEngine::AllFeatures), m_device(device) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        const QPaintEngine::DirtyFlags dirty = state.state();
        if (dirty & DirtyPen)
            m_pen = state.pen();
        if (dirty & DirtyBrush)
            m_brush = state.brush();
        if (dirty & DirtyFont)
            m_font = state.font();
        if (dirty & DirtyTransform)
            m_transform = state.transform();
    }

    void drawLines(const QLineF* lines, int count) override
    {
        PaintItem item = start(PaintItem::Lines);
        for (int i = 0; i < count; ++i)
            item.lines << lines[i];
        m_device->m_items << item;
    }
    void drawLines(const QLine* lines, int count) override
    {
        PaintItem item = start(PaintItem::Lines);
        for (int i = 0; i < count; ++i)
            item.lines << QLineF(lines[i]);
        m_device->m_items << item;
    }
    void drawRects(const QRectF* rects, int count) override
    {
        PaintItem item = start(PaintItem::Rects);
        for (int i = 0; i < count; ++i)
            item.rects << rects[i];
        m_device->m_items << item;
    }
    void drawRects(const QRect* rects, int count) override
    {
        PaintItem item = start(PaintItem::Rects);
        for (int i = 0; i < count; ++i)
            item.rects << QRectF(rects[i]);
        m_device->m_items << item;
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        PaintItem item = start(PaintItem::Polygon);
        for (int i = 0; i < count; ++i)
            item.polygon << points[i];
        item.polygonMode = mode;
        m_device->m_items << item;
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override
    {
        PaintItem item = start(PaintItem::Polygon);
        for (int i = 0; i < count; ++i)
            item.polygon << QPointF(points[i]);
        item.polygonMode = mode;
        m_device->m_items << item;
    }
    void drawEllipse(const QRectF& rect) override
    {
        PaintItem item = start(PaintItem::Ellipse);
        item.rect = rect;
        m_device->m_items << item;
    }
    void drawEllipse(const QRect& rect) override { drawEllipse(QRectF(rect)); }
    void drawPath(const QPainterPath& path) override
    {
        PaintItem item = start(PaintItem::Path);
        item.polygon = path.toFillPolygon();
        m_device->m_items << item;
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override
    {
        PaintItem item = start(PaintItem::Pixmap);
        item.rect = r;
        m_device->m_items << item;
    }
    void drawTextItem(const QPointF& p, const QTextItem& textItem) override
    {
        PaintItem item = start(PaintItem::Text);
        item.text = textItem.text();
        item.position = p;
        item.font = textItem.font();
        m_device->m_items << item;
    }

private:
    PaintItem start(PaintItem::Kind kind) const
    {
        PaintItem item;
        item.kind = kind;
        item.pen = m_pen;
        item.brush = m_brush;
        item.font = m_font;
        item.transform = m_transform;
        return item;
    }

    PaintRecorder* m_device;
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    QTransform m_transform;
};

PaintRecorder::PaintRecorder() : m_engine(new RecordingEngine(this)) {}

PaintRecorder::~PaintRecorder() = default;

QPaintEngine* PaintRecorder::paintEngine() const
{
    return m_engine.get();
}

int PaintRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
    case PdmHeight:
        return 2000;
    case PdmWidthMM:
    case PdmHeightMM:
        return 2000 * 254 / 960;
    case PdmNumColors:
        return 0x7fffffff;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    }
    return 0;
}

QVector<PaintItem> PaintRecorder::itemsOf(PaintItem::Kind kind) const
{
    QVector<PaintItem> out;
    for (const PaintItem& item : m_items) {
        if (item.kind == kind)
            out << item;
    }
    return out;
}

QVector<QLineF> PaintRecorder::allLines() const
{
    QVector<QLineF> out;
    for (const PaintItem& item : m_items)
        out << item.lines;
    return out;
}

QVector<QString> PaintRecorder::texts() const
{
    QVector<QString> out;
    for (const PaintItem& item : m_items) {
        if (item.kind == PaintItem::Text)
            out << item.text;
    }
    return out;
}
