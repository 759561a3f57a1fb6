#include "pageitems.h"

#include "ipluginhost.h"

#include <QPainter>
#include <QTextDocument>

#include <cmath>

namespace lumatra {

// ---- BoxItem ---------------------------------------------------------------

BoxItem::BoxItem(int type, const QString& typeText, const QRectF& rect, IProgress* progress)
    : TCanvasItem(type, typeText, progress), m_size(rect.size())
{
    setPosition(rect.x(), rect.y(), 0);
}

BoxItem::~BoxItem()
{
    hide();
}

QPolygonF BoxItem::areaPoints() const
{
    const double d = penHalfWidth();
    const double w = m_size.width(), h = m_size.height();
    const QPolygonF corners({QPointF(x() - d, y() - d), QPointF(x() + w + d, y() - d),
                             QPointF(x() + w + d, y() + h + d), QPointF(x() - d, y() + h + d)});
    return itemMatrix().map(corners);
}

QPolygonF BoxItem::geometry() const
{
    const QRectF r(QPointF(x(), y()), m_size);
    return QPolygonF({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft(), r.topLeft()});
}

void BoxItem::setGeometry(const QPolygonF& polygon)
{
    if (polygon.size() < 3)
        return;
    const QPointF a = polygon[0], b = polygon[2];
    for (double v : {a.x(), a.y(), b.x(), b.y()})
        if (!std::isfinite(v))
            return;
    move(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
    invalidate();
    m_size = QSizeF(std::fabs(b.x() - a.x()), std::fabs(b.y() - a.y()));
    update();
}

void BoxItem::drawShape(QPainter& painter)
{
    painter.save();
    // Through the pixmap cache the rotation is applied to the pixmap.
    if (!usesPixmapCache(painter))
        painter.setWorldTransform(itemMatrix(), true);
    paintBox(painter, QRectF(QPointF(x(), y()), m_size));
    painter.restore();
}

void BoxItem::paintBox(QPainter& painter, const QRectF& rect)
{
    painter.drawRect(rect);
}

// ---- MoleculeItem ----------------------------------------------------------

MoleculeItem::MoleculeItem(const TMolecule& molecule, const QUuid& objectId, const QRectF& rect)
    : BoxItem(MoleculeItemType, QStringLiteral("Molecule"), rect), m_molecule(molecule), m_objectId(objectId)
{
}

MoleculeItem::~MoleculeItem()
{
    hide();
}

void MoleculeItem::paintBox(QPainter& painter, const QRectF& rect)
{
    // Atoms scaled into the rectangle (y upwards), bonds as lines, symbols
    // other than carbon at their atoms.
    double left = 0, right = 0, bottom = 0, top = 0;
    bool any = false;
    for (const TAtom& a : m_molecule.atoms) {
        if (!std::isfinite(a.x) || !std::isfinite(a.y))
            continue;
        left = any ? std::min(left, a.x) : a.x;
        right = any ? std::max(right, a.x) : a.x;
        bottom = any ? std::min(bottom, a.y) : a.y;
        top = any ? std::max(top, a.y) : a.y;
        any = true;
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    if (!any)
        return;
    const QPointF middle((left + right) / 2, (bottom + top) / 2);
    const double scale = 0.8 * std::min(rect.width() / std::max(right - left, 1.0),
                                        rect.height() / std::max(top - bottom, 1.0));
    auto at = [&](const TAtom& a) {
        return QPointF(rect.center().x() + (a.x - middle.x()) * scale,
                       rect.center().y() - (a.y - middle.y()) * scale);
    };
    for (const TBond& b : m_molecule.bonds) {
        if (b.first < 0 || b.second < 0 || b.first >= m_molecule.atoms.size() || b.second >= m_molecule.atoms.size())
            continue;
        painter.drawLine(at(m_molecule.atoms[b.first]), at(m_molecule.atoms[b.second]));
    }
    for (const TAtom& a : m_molecule.atoms) {
        const QString symbol = a.symbol();
        if (symbol.isEmpty() || symbol == QLatin1String("C"))
            continue;
        const QPointF p = at(a);
        painter.drawText(QRectF(p.x() - 40, p.y() - 40, 80, 80), Qt::AlignCenter, symbol);
    }
}

// ---- HtmlTextItem ----------------------------------------------------------

HtmlTextItem::HtmlTextItem(const QString& html, const QString& typeName, const QString& subtypeName,
                           const QRectF& rect)
    : BoxItem(TextItemType, typeName, rect), m_html(html)
{
    setSubtype(subtypeName);
}

HtmlTextItem::~HtmlTextItem()
{
    hide();
}

void HtmlTextItem::paintBox(QPainter& painter, const QRectF& rect)
{
    QTextDocument document;
    document.setHtml(m_html);
    document.setTextWidth(rect.width());
    painter.translate(rect.topLeft());
    document.drawContents(&painter, QRectF(QPointF(0, 0), rect.size()));
}

// ---- LayoutTemplateItem ----------------------------------------------------

LayoutTemplateItem::LayoutTemplateItem(const QString& typeName, const QString& subtypeName, const QRectF& rect)
    : BoxItem(LayoutTemplateItemType, QStringLiteral("Layout Template"), rect), m_template(this)
{
    setSubtype(subtypeName);
    properties()->setTypeTexts(typeName, subtypeName);
    m_template.setTypeTexts(typeName, subtypeName);
}

void* LayoutTemplateItem::queryObject(qint32 code)
{
    return code == TemplatePropertiesQuery ? static_cast<void*>(&m_template) : BoxItem::queryObject(code);
}

LayoutTemplateItem::~LayoutTemplateItem()
{
    hide();
    m_template.releaseItem();
}

void LayoutTemplateItem::paintBox(QPainter& painter, const QRectF& rect)
{
    painter.setPen(QPen(Qt::gray, 0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    painter.drawText(rect, Qt::AlignCenter, properties()->typeName() + '\n' + properties()->subtypeName());
}

}  // namespace lumatra
