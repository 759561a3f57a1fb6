// The host's own page items of the recording host: a rectangle-shaped base
// and the items of the two peer plug-ins (molecule, HTML text) and of page
// templates (layout template). All are TCanvasItems, as every item on a
// page is.
#pragma once

#include "tcanvasitem.h"
#include "tmolecule.h"

#include <QSizeF>

namespace lumatra {

// An item occupying a rectangle (position and size in page units), turned
// by its angle about the rectangle's centre.
class BoxItem : public TCanvasItem {
public:
    BoxItem(int type, const QString& typeText, const QRectF& rect, IProgress* progress = nullptr);
    ~BoxItem() override;

    QPolygonF areaPoints() const override;
    void drawShape(QPainter& painter) override;
    QPolygonF geometry() const override;
    // Corners 0 and 2 give the rectangle; a polygon of fewer points or with
    // coordinates that are not finite changes nothing.
    void setGeometry(const QPolygonF& polygon) override;

    QSizeF size() const { return m_size; }

protected:
    // Paints the content into the unrotated rectangle.
    virtual void paintBox(QPainter& painter, const QRectF& rect);

private:
    QSizeF m_size;
};

// Type 110: a molecule of the molecule plug-in. Its object identifier
// names the molecule it shows; copies of one molecule share it.
class MoleculeItem : public BoxItem {
public:
    MoleculeItem(const TMolecule& molecule, const QUuid& objectId, const QRectF& rect);
    ~MoleculeItem() override;

    QUuid objectId() const override { return m_objectId; }
    TMolecule* molecule() { return &m_molecule; }

protected:
    void paintBox(QPainter& painter, const QRectF& rect) override;

private:
    TMolecule m_molecule;
    QUuid m_objectId;
};

// Type 107: HTML text of the drawing tools, bearing a type and a subtype
// text (a report's table name, for instance).
class HtmlTextItem : public BoxItem {
public:
    HtmlTextItem(const QString& html, const QString& typeName, const QString& subtypeName, const QRectF& rect);
    ~HtmlTextItem() override;

    const QString& html() const { return m_html; }

protected:
    void paintBox(QPainter& painter, const QRectF& rect) override;

private:
    QString m_html;
};

// Type 108: a placeholder of a page template. Its own property container
// and its template properties (the properties it hands to the items made
// from it) both carry the placeholder's type and subtype texts.
class LayoutTemplateItem : public BoxItem {
public:
    LayoutTemplateItem(const QString& typeName, const QString& subtypeName, const QRectF& rect);
    ~LayoutTemplateItem() override;

    TItemProperties* templateProperties() { return &m_template; }
    // TemplatePropertiesQuery answers the template properties.
    void* queryObject(qint32 code) override;

protected:
    void paintBox(QPainter& painter, const QRectF& rect) override;

private:
    TItemProperties m_template;
};

}  // namespace lumatra
