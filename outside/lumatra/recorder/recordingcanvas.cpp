#include "recordingcanvas.h"

#include "recordinghost.h"
#include "tcanvasitem.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lumatra {

RecordingCanvas::RecordingCanvas(RecordingHost& host, int width, int height, int chunkSize)
    : QtCanvas(width, height, chunkSize), m_host(host)
{
}

RecordingCanvas::~RecordingCanvas()
{
    // The page owns its items; each one takes itself off the page.
    while (!allItems().isEmpty())
        delete allItems().first();
}

void RecordingCanvas::removeItem(QtCanvasItem* item)
{
    QtCanvas::removeItem(item);
    // Called by items while they are destroyed: only the address counts.
    m_host.forgetItem(item);
}

bool RecordingCanvas::isPage() const
{
    m_host.record(QStringLiteral("canvas.isPage() -> true"));
    return true;
}

void RecordingCanvas::pageChanged()
{
    m_host.record(QStringLiteral("canvas.pageChanged()"));
}

bool RecordingCanvas::isItemShown(QtCanvasItem* item) const
{
    const bool shown = QtCanvas::isItemShown(item) && item->isVisible();
    m_host.record(QStringLiteral("canvas.isItemShown(%1) -> %2")
                      .arg(describeItem(static_cast<TCanvasItem*>(item)), shown ? "true" : "false"));
    return shown;
}

void RecordingCanvas::placeNewItems(const QtCanvasItemList& items)
{
    TCanvasItemList list;
    for (QtCanvasItem* i : items)
        list.append(static_cast<TCanvasItem*>(i));
    m_host.record(QStringLiteral("canvas.placeNewItems(%1)").arg(describeItems(list)));
    double top = 0;
    for (const QtCanvasItem* i : allItems())
        if (std::isfinite(i->z()))
            top = std::max(top, i->z());
    for (QtCanvasItem* i : items) {
        if (!i)
            continue;
        i->setZ(++top);
        i->setOwnerTag(quintptr(this));
    }
}

void RecordingCanvas::update()
{
    m_host.record(QStringLiteral("canvas.update()"));
}

void RecordingCanvas::render(QPainter& painter) const
{
    TCanvasItemList items;
    for (QtCanvasItem* i : allItems())
        items.append(static_cast<TCanvasItem*>(i));
    for (TCanvasItem* i : items.sortByZ(1))
        if (i && i->isVisible())
            i->draw(painter);
}

QImage RecordingCanvas::renderImage(double scale) const
{
    QImage image(std::max(1, int(std::ceil(width() * scale))), std::max(1, int(std::ceil(height() * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    render(painter);
    return image;
}

}  // namespace lumatra
