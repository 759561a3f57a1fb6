// TItemProperties and its bags: the property container of every page item
// and the small shared objects that copy one group of the item's
// properties (geometry, line and fill; the plot properties of a mass item
// come with the mass item). Property pages edit bags; applying a bag to
// its item gives the command that writes it back. Host and plug-in compile
// the same classes and share their layout and stream form; the host makes
// bags of other plug-ins' kinds by the plug-in identifier stored in each.
//
// Ownership: the item owns its container; bags are shared by reference
// count (container, property pages and commands may hold one bag) and the
// last holder deletes it. A bag's item is not owned: when the item goes,
// its container lets go of the item in every bag it holds.
//
// Stream form (block stream):
//   container  empty header block; int32 value; type text; subtype text;
//              bool (written false, ignored); plug-in identifier; then
//              empty header block; int32 bag count; each bag frame.
//   bag frame  empty header block; main block { int32 bag type; the bag's
//              plug-in identifier; block { the bag's own fields } }.
// A frame with a plug-in identifier asks the host (through the plug-in
// object, TEmptyPlugin::instance) for a bag of that kind; without one,
// type 1 and 2 make the built-in bags and other types are skipped. Reading
// continues after each frame's block whatever the bag read of it, so a bag
// that reads less or more than a newer writer wrote shifts nothing else.
// Damaged bytes end in a failed stream: the bags read until then stay,
// nothing is allocated by a stored count.
#pragma once

#include <QBrush>
#include <QExplicitlySharedDataPointer>
#include <QPen>
#include <QPointF>
#include <QSharedData>
#include <QSizeF>
#include <QString>
#include <QUuid>
#include <QVector>

class TCanvasItem;
class TCommand;
class TDataStream;

// Page units (pixels at 300 per inch) per centimetre and per inch.
constexpr double kPageUnitsPerCentimetre = 118.11023622047244;
constexpr double kPageUnitsPerInch = 300.0;

class TItemPropertiesBag : public QSharedData {
public:
    enum Type { Geometry = 1, Shape = 2, MassSpectrum = 5 };

    explicit TItemPropertiesBag(TCanvasItem* item = nullptr);
    TItemPropertiesBag(const TItemPropertiesBag&) = delete;
    TItemPropertiesBag& operator=(const TItemPropertiesBag&) = delete;

    // Virtual operations, in the order host and plug-in share.
    virtual ~TItemPropertiesBag();
    // Copies the item's properties into the bag (nothing without item).
    virtual void readFromItem(bool flag);
    virtual int bagType() const;
    // Remembers a given item and sets the changed flag; the command that
    // writes the bag back, or null.
    virtual TCommand* apply(TCanvasItem* item);
    virtual int query() const;
    // Sent by the container before it is handed out.
    virtual void aboutToHandOut();
    virtual void read(TDataStream& s);
    virtual void write(TDataStream& s) const;
    // Sent before the bag is filled from bytes.
    virtual void reset();

    // The identifier of the plug-in that owns the bag's class (null for
    // the built-in bags), first refreshed from the item unless there is no
    // item or it is a layout template.
    QUuid pluginId();
    const QUuid& storedPluginId() const { return m_pluginId; }
    void setPluginId(const QUuid& id) { m_pluginId = id; }
    bool isChanged() const { return m_changed; }
    void setChanged(bool yes) { m_changed = yes; }
    TCanvasItem* item() const { return m_item; }
    // Keeps the current item's plug-in identifier, then takes the item.
    void setItem(TCanvasItem* item);

private:
    QUuid m_pluginId;
    bool m_changed = false;
    TCanvasItem* m_item;
};

typedef QExplicitlySharedDataPointer<TItemPropertiesBag> TItemPropertiesBagPtr;

// Builds the command that applying a changed bag to an item gives (null
// when there is none). The commands live in a library that links after the
// bags; it registers its maker once when the plug-in loads. Until then the
// bags' apply gives no command and changes nothing.
typedef TCommand* (*TBagCommandMaker)(TItemPropertiesBag& bag, TCanvasItem* item);
void setBagCommandMaker(TBagCommandMaker maker);
TBagCommandMaker bagCommandMaker();

// Type 1: position, size and rotation. Values given to the setters are in
// centimetres (unit flag false) or inches (true); a change below 0.01 page
// units, and a value that is not finite, changes nothing.
class TItemPropGeometryBag : public TItemPropertiesBag {
public:
    TItemPropGeometryBag(TCanvasItem* item, bool diagonalDisabled);

    void readFromItem(bool flag) override;
    int bagType() const override;
    // When changed: the geometry command for the item; the changed flag is
    // cleared once there is one.
    TCommand* apply(TCanvasItem* item) override;
    void read(TDataStream& s) override;
    void write(TDataStream& s) const override;

    // Added virtual operations, in order.
    virtual void setX(double value, bool inches);
    virtual void setY(double value, bool inches);
    virtual void setWidth(double value, bool inches);
    virtual void setHeight(double value, bool inches);
    virtual void setAngle(double degrees);
    // Keeps the direction of the size vector and sets its length.
    virtual void setDiagonal(double value, bool inches);
    virtual void setFlag(bool yes);

    QPointF origin() const { return m_origin; }
    void setOrigin(const QPointF& p) { m_origin = p; }
    QPointF centre() const { return m_centre; }
    QSizeF size() const { return m_size; }
    double angle() const { return m_angle; }
    // The streamed flag: the item keeps its natural size.
    bool flag() const { return m_flag; }
    bool diagonalDisabled() const { return m_diagonalDisabled; }
    // Not streamed: whether the item has a natural size at all.
    bool itemHasNaturalSize() const { return m_itemHasNaturalSize; }

private:
    QPointF m_origin{0, 0};
    QPointF m_centre;
    QSizeF m_size{-1, -1};
    double m_angle = 0;
    bool m_flag = false;
    bool m_diagonalDisabled;
    bool m_itemHasNaturalSize = false;
};

// Type 2: line and fill. A setter changes the bag only with a new value.
class TItemPropShapeBag : public TItemPropertiesBag {
public:
    TItemPropShapeBag(TCanvasItem* item, bool flag);

    void readFromItem(bool flag) override;
    int bagType() const override;
    // When changed: the pen and brush command for the item; the changed
    // flag is cleared once there is one.
    TCommand* apply(TCanvasItem* item) override;
    void read(TDataStream& s) override;
    void write(TDataStream& s) const override;

    // Added virtual operations, in order.
    virtual void setBrushColor(const QColor& color);
    virtual void setBrushStyle(Qt::BrushStyle style);
    virtual void setPenColor(const QColor& color);
    // Widths that are negative or not finite are refused.
    virtual void setPenWidth(double width);
    virtual void setPenStyle(Qt::PenStyle style);
    virtual void setCapStyle(Qt::PenCapStyle style);
    virtual void setJoinStyle(Qt::PenJoinStyle style);

    QBrush brush() const { return m_brush; }
    QPen pen() const { return m_pen; }
    bool flag() const { return m_flag; }

private:
    QBrush m_brush;
    QPen m_pen;
    bool m_flag;
};

class TItemProperties {
public:
    // One geometry bag for the item, its diagonal setter disabled.
    explicit TItemProperties(TCanvasItem* item);
    ~TItemProperties();
    TItemProperties(const TItemProperties&) = delete;
    TItemProperties& operator=(const TItemProperties&) = delete;

    // The item's type and subtype texts, or the stored ones without an
    // item or for a layout template (item type 108).
    QString typeName() const;
    QString subtypeName() const;
    void setTypeTexts(const QString& type, const QString& subtype);

    int count() const { return m_bags.size(); }
    // The bag at the index, null outside 0 .. count - 1.
    TItemPropertiesBag* bag(int index) const;
    // The first bag of the type, or null.
    TItemPropertiesBag* bagOfType(int type) const;
    // Takes a reference to the bag (a null bag is ignored).
    void addBag(TItemPropertiesBag* bag);
    void clearBags();

    TCanvasItem* item() const { return m_item; }
    // Keeps the current item's plug-in identifier (unless it is a layout
    // template), takes the item and hands it to every bag.
    void setItem(TCanvasItem* item);
    // The item goes: the container and its bags let go of it.
    void releaseItem();
    // The notice sent to every bag before the container is handed out.
    void notifyBags();

    qint32 value() const { return m_value; }
    void setValue(qint32 v) { m_value = v; }
    const QUuid& pluginId() const { return m_pluginId; }

    void write(TDataStream& s);
    void read(TDataStream& s);
    // Copies every bag of another container (written and read back).
    void copyBagsFrom(TItemProperties& other);

    // One bag frame; reading answers the bag made of it (a new reference
    // for the caller, or null when no bag could be made).
    static void writeBag(TDataStream& s, TItemPropertiesBag& bag);
    static TItemPropertiesBagPtr readBag(TDataStream& s);

private:
    void writeBags(TDataStream& s);
    void readBags(TDataStream& s);

    QVector<TItemPropertiesBagPtr> m_bags;
    TCanvasItem* m_item;
    qint32 m_value = 0;
    QString m_type;
    QString m_subtype;
    QUuid m_pluginId;
};
