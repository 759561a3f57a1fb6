// TCanvasItem: the base of every page item a plug-in adds to the host's
// document, and TCanvasItemList, the lists of items host and plug-in hand
// each other. Host and plug-in compile the same classes; the host calls
// every item through the virtual operations (the order below is shared)
// and never casts a plug-in's item by C++ type: it asks rtti() and the
// plug-in object's qt_metacast names.
//
// An item has its own QUuid (new per constructed item), the QUuid it was
// made with, a parent QUuid and a child map for grouping, a rotation angle
// about the centre of its geometry kept in [0, 360), type texts, its
// property container, the drawing path with a pixmap cache, the reader of
// the record the host writes for it into its documents (read) and the
// hooks through which a plug-in stores its own data inside that record.
//
// Item record (written by the host, read by read(); block stream):
//   1. header block, skipped whole;
//   2. extension chain of three levels: level 3 type and subtype texts;
//      level 2 child map (per entry: child QUuid, then a block skipped
//      whole, a double, a QPointF and a QPolygonF) and parent QUuid;
//      level 1 link map (per entry: QUuid, list of QUuids). A newer
//      writer's fourth level is dropped; an absent level leaves its fields;
//   3. main block: own QUuid, initial QUuid, x, y, z, pen, brush, angle,
//      extra bytes, text, rectangle, has-pixmap flag, [pixmap], a list of
//      QUuids (read and dropped);
//   4. plug-in data block: readPluginData.
// Maps and lists have Qt's form (unsigned 32-bit count, entries). Reading
// assigns the fields directly (no setter runs; an item entered in chunks
// is taken out first and entered again after). Damaged bytes end in a
// failed stream with the fields as far as they were read: counts and
// lengths are checked against the data before anything is allocated, a
// map read under an error ends empty, a pixmap cut short is no pixmap.
// After the main and the plug-in data block reading goes on at the end of
// the block, so fields a newer writer adds there shift nothing.
//
// Angles that are not finite are ignored; geometry that is not finite
// covers no chunk.
#pragma once

#include "qtcanvasitem.h"
#include "titemproperties.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPixmap>
#include <QPointer>
#include <QPolygonF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTransform>
#include <QUuid>

class IProgress;
class QObject;
class TCanvasItemList;
class TDataStream;

// The item type codes of page items.
enum TItemType {
    ArrowItemType = 102,
    EllipseItemType = 103,
    RectangleItemType = 104,
    PolygonItemType = 105,
    ImageItemType = 106,
    TextItemType = 107,
    LayoutTemplateItemType = 108,
    NmrSpectrumItemType = 109,
    MoleculeItemType = 110,
    OleObjectItemType = 111,
    MassSpectrumItemType = 112,
    GraphItemType = 113,
};

// "Arrow" .. "Graph" for the codes 102 to 113, else "Unknown Item".
QString itemTypeName(int type);

// A child of a group item: the plug-in uses only the child's QUuid.
struct TCanvasChildRecord {
    double value = 0;
    QPointF point;
    QPolygonF polygon;
};

class TCanvasItem : public QtCanvasPolygonalItem {
public:
    // Builds the item with the type code, the type text and the owning
    // plug-in's progress interface (may be null), and shows it (it enters
    // its chunks when the host gives it a canvas).
    TCanvasItem(int type, const QString& typeText, IProgress* progress);
    ~TCanvasItem() override;

    // Replaced operations of the bases.
    void draw(QPainter& painter) override;
    // Notifies the parent item, repaints the chunks and empties the cache.
    void update() override;

    // Added virtual operations, in the order host and plug-in share.
    // The owning plug-in's identifier (IPluginInfo::secondId), null
    // without an owner plug-in.
    virtual QUuid pluginId() const;
    // The eight handle points of the geometry's bounding rectangle, from
    // the right middle clockwise; widened by half the pen width.
    virtual QPolygonF handlePoints(bool widen) const;
    virtual QString itemText(qint32 code) const;
    virtual QString type() const;
    virtual QString subtype() const;
    // The item's rectangle as a polygon, unrotated.
    virtual QPolygonF geometry() const = 0;
    virtual void setGeometry(const QPolygonF& polygon) = 0;
    // Brings the angle into [0, 360); not finite: ignored. With update the
    // item leaves its chunks first and repaints after.
    virtual void setAngle(double degrees, bool update);
    virtual QPointF center() const;
    virtual bool hasNaturalSize() const;
    virtual bool isNaturalSize() const;
    virtual void setNaturalSize(bool yes);
    virtual void read(TDataStream& s);
    virtual void drawCurrent(QPainter& painter);
    virtual bool queryFlag(qint32 code) const;
    virtual void childChanged(const QUuid& child);
    // The property container; the bags are notified first.
    virtual TItemProperties* properties();
    virtual bool hasType() const;
    virtual void* queryObject(qint32 code);
    // The object the item shows (a molecule, for instance): items with
    // equal object identifiers show the same object. Null here.
    virtual QUuid objectId() const;
    virtual void notify(qint32 code);
    // One empty block here.
    virtual void writePluginData(TDataStream& s) const;
    // Skips one block here.
    virtual void readPluginData(TDataStream& s);
    // One empty pixmap shared by all items.
    virtual QPixmap pixmap() const;
    // Reads one pixmap of the record and drops it.
    virtual void readPixmap(TDataStream& s);
    virtual void beginProgress();
    virtual void endProgress();
    virtual int itemType() const;
    virtual TCanvasItemList itemList() const;

    // Non-virtual operations.
    void translate(double dx, double dy) { moveBy(dx, dy); }
    // With add false the flags become the word, with add true it is OR-ed in.
    void setItemFlags(quint32 word, bool add);
    quint32 itemFlags() const { return m_itemFlags; }
    // The rotation about the centre as a matrix.
    QTransform itemMatrix() const;
    // (pen width + 1) / 2, at least 1; 0 for QPen(Qt::NoPen).
    double penHalfWidth() const;
    // The children of the item on its canvas, in child-map order.
    static TCanvasItemList childItems(const TCanvasItem* item);

    double angle() const { return m_angle; }
    const QUuid& ownId() const { return m_ownId; }
    const QUuid& initialId() const { return m_initialId; }
    const QUuid& parentId() const { return m_parentId; }
    void setParentId(const QUuid& id) { m_parentId = id; }
    const QMap<QUuid, TCanvasChildRecord>& childMap() const { return m_children; }
    void setChildMap(const QMap<QUuid, TCanvasChildRecord>& children) { m_children = children; }
    const QMap<QUuid, QList<QUuid>>& linkMap() const { return m_links; }
    void setLinkMap(const QMap<QUuid, QList<QUuid>>& links) { m_links = links; }
    // Kept for the host: read from the record, never used by the plug-in.
    const QByteArray& extraBytes() const { return m_extra; }
    const QString& text() const { return m_text; }
    const QRectF& rect() const { return m_rect; }
    void setHostData(const QByteArray& extra, const QString& text, const QRectF& rect);
    bool hasPixmap() const { return m_hasPixmap; }
    void setHasPixmap(bool yes) { m_hasPixmap = yes; }
    void setSubtype(const QString& text) { m_subtype = text; }
    QObject* ownerPlugin() const { return m_ownerPlugin.data(); }
    void setOwnerPlugin(QObject* plugin) { m_ownerPlugin = plugin; }
    IProgress* progress() const { return m_progress; }
    bool cacheWanted() const { return m_cacheWanted; }
    bool cacheAllowed() const { return m_cacheAllowed; }
    // Whether draw() on this painter goes through the pixmap cache (then
    // drawShape paints unrotated; the rotation is applied to the pixmap).
    bool usesPixmapCache(const QPainter& painter) const;
    // Cached pixmaps by exact device size.
    int cachedPixmapCount() const { return m_cache.size(); }
    QPixmap cachedPixmap(const QSize& size) const;

protected:
    void setCacheWanted(bool yes) { m_cacheWanted = yes; }

private:
    // Exact device sizes: 3 x 4 and 4 x 3 are two entries.
    struct SizeKey {
        int width;
        int height;
        bool operator<(const SizeKey& o) const
        {
            return width != o.width ? width < o.width : height < o.height;
        }
    };

    bool m_flag = true;
    double m_angle = 0;
    TItemProperties m_properties;
    QPointer<QObject> m_ownerPlugin;
    QByteArray m_extra;
    QString m_text;
    QRectF m_rect;
    bool m_hasPixmap = false;
    IProgress* m_progress;
    QString m_type;
    QString m_subtype;
    quint32 m_itemFlags = 0;
    bool m_cacheWanted = false;
    bool m_cacheAllowed = true;
    QMap<SizeKey, QPixmap> m_cache;
    QMap<QUuid, TCanvasChildRecord> m_children;
    QUuid m_parentId;
    QUuid m_ownId;
    QUuid m_initialId;
    QMap<QUuid, QList<QUuid>> m_links;
};

// A list of page items in the host's order. Entries may be null (an item
// gone from the page); every operation passes over them, except where it
// says it keeps them.
class TCanvasItemList : public QList<TCanvasItem*> {
public:
    TCanvasItemList() = default;
    explicit TCanvasItemList(TCanvasItem* item) { append(item); }
    TCanvasItemList(const QList<TCanvasItem*>& items) : QList<TCanvasItem*>(items) {}
    TCanvasItemList(std::initializer_list<TCanvasItem*> items) : QList<TCanvasItem*>(items) {}

    int countOfType(int type) const;
    TCanvasItem* firstOfType(int type) const;
    // The first item of the type with the active flag, else firstOfType.
    TCanvasItem* activeOfType(int type) const;
    TCanvasItemList itemsOfType(int type) const;
    // The canvas of every item, duplicates kept.
    QList<QtCanvas*> canvasesOf() const;
    TCanvasItem* findItem(const QUuid& id) const;
    // The first item with the active flag, else the first entry.
    TCanvasItem* activeItem() const;
    // Entries whose parent is null or no item of the list (null entries
    // stay).
    TCanvasItemList topLevelItems() const;
    // The non-null object identifiers, each once, in list order.
    QList<QUuid> distinctObjectIds() const;
    TCanvasItem* itemByObjectId(const QUuid& id) const;
    TCanvasItemList distinctObjectItems() const;
    // Every top-level entry followed by its children.
    TCanvasItemList withChildItems() const;
    // A sorted copy: order 0 by z descending (equal z: address
    // descending), order 1 by z ascending (address ascending), any other
    // order unchanged. Items whose z is not a number follow the others,
    // null entries come last, both in list order.
    TCanvasItemList sortByZ(int order) const;
};
