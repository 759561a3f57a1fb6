#include "pageview.h"

#include "hostwindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace lumatra {

Qt::CursorShape cursorShapeForId(int id)
{
    // The README's table: zoom by rectangle and expansion, zoom by click,
    // pan, panning, cut, restore cut, spectrum selection; by axes (both,
    // horizontal, vertical) where the mode has them.
    switch (id) {
    case 500: return Qt::CrossCursor;
    case 501: return Qt::SplitHCursor;
    case 502: return Qt::SplitVCursor;
    case 503: return Qt::PointingHandCursor;
    case 504: return Qt::SizeHorCursor;
    case 505: return Qt::SizeVerCursor;
    case 506: return Qt::OpenHandCursor;
    case 507: return Qt::SizeHorCursor;
    case 508: return Qt::SizeVerCursor;
    case 509: return Qt::ClosedHandCursor;
    case 510: return Qt::SizeHorCursor;
    case 511: return Qt::SizeVerCursor;
    case 512: return Qt::IBeamCursor;
    case 513: return Qt::SplitHCursor;
    case 514: return Qt::IBeamCursor;
    case 515: return Qt::IBeamCursor;
    case 516: return Qt::SizeAllCursor;
    case 517: return Qt::WhatsThisCursor;
    case 518: return Qt::UpArrowCursor;
    default: return Qt::ArrowCursor;
    }
}

PageView::PageView(LumatraWindow& host) : m_host(host)
{
    setObjectName(QStringLiteral("pageView"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
}

void PageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(0xa0, 0xa0, 0xa0));
    const double scale = m_host.viewScale();
    const QPoint origin = m_host.viewOrigin();
    painter.translate(origin);
    painter.scale(scale, scale);
    const QRectF page(m_host.page().rect());
    painter.fillRect(page, Qt::white);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF exposed = QRectF(event->rect()).translated(-origin) ;
    const QRectF pageRect(exposed.x() / scale, exposed.y() / scale, exposed.width() / scale,
                          exposed.height() / scale);
    painter.setClipRect(page & pageRect);
    m_host.paintPage(painter, pageRect);
}

void PageView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    m_host.routeViewEvent(event);
}

void PageView::mouseMoveEvent(QMouseEvent* event)
{
    m_host.routeViewEvent(event);
}

void PageView::mouseReleaseEvent(QMouseEvent* event)
{
    m_host.routeViewEvent(event);
}

void PageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_host.routeViewEvent(event);
}

void PageView::keyPressEvent(QKeyEvent* event)
{
    m_host.routeViewEvent(event);
}

void PageView::keyReleaseEvent(QKeyEvent* event)
{
    m_host.routeViewEvent(event);
}

void PageView::wheelEvent(QWheelEvent* event)
{
    m_host.routeViewEvent(event);
}

}  // namespace lumatra
