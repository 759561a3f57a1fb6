// The interfaces a plug-in object offers the host. The host loads a plug-in
// with QPluginLoader and reaches each interface with qt_metacast by its
// identifier below (qobject_cast works as well); IProgress has no
// identifier and is reached by its class name, qt_metacast("IProgress").
// Every interface is pure, with a virtual destructor first; the order of
// the operations is the order the host knows them by.
//
// Ownership: what a create operation answers (items, bags, widgets)
// belongs to the caller. The host owns the plug-in object itself.
#pragma once

#include <QDate>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QtPlugin>

class QEvent;
class QPainter;
class QWidget;

class IPluginHost;
class TCanvasItem;
class TCanvasItemList;
class TItemProperties;
class TItemPropertiesBag;
class TUpdateItem;

// Who the plug-in is; registration hands it the host.
class IPluginInfo {
public:
    virtual ~IPluginInfo() = default;
    virtual const QString& name() const = 0;
    virtual const QUuid& id() const = 0;
    // The identifier the plug-in's items answer as theirs (equal to id).
    virtual const QUuid& secondId() const = 0;
    virtual const QString& version() const = 0;
    virtual const QDate& date() const = 0;
    virtual void registerPlugin(IPluginHost* host) = 0;
    virtual void activate() = 0;
    virtual void deactivate() = 0;
    virtual QString description() const = 0;
    virtual bool capabilityBit0() const = 0;
    virtual bool capabilityBit1() const = 0;
};

// Items, property bags and property pages of the plug-in's kinds.
class IPluginCanvasItem {
public:
    virtual ~IPluginCanvasItem() = default;
    // A new item of that type code, or null.
    virtual TCanvasItem* createItem(int type) = 0;
    // A new bag of that kind without an item, or null.
    virtual TItemPropertiesBag* createPropertiesBag(int kind) = 0;
    // The property page of that bag kind, without parent, or null.
    virtual QWidget* createPropertiesWidget(int kind) = 0;
    // A bag of that kind over several selected items (owner value as in
    // THostView), or null.
    virtual TItemPropertiesBag* createMultiPropertiesBag(int kind, quintptr owner,
                                                         const TCanvasItemList& items) = 0;
    // A report item for a placeholder of a page template, or null.
    virtual TCanvasItem* createTemplateItem(TItemProperties* placeholder, TCanvasItem* item) = 0;
};

// Import through the plug-in's converters.
class IPluginImport {
public:
    virtual ~IPluginImport() = default;
    // 0 imported, 50 no converter took the file, negative: failed.
    virtual int importFile(const QString& path, int value, const QString& filter, bool direct,
                           QStringList& imported) = 0;
    virtual QStringList importFilters() = 0;
    virtual QStringList exportFilters() = 0;
    virtual int exportItems(const QString& path, const QString& filter) = 0;
};

// The wait cursor while the plug-in works (reached by class name).
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void beginWait() = 0;
    virtual void endWait() = 0;
};

// Menus, tool bars and actions built from the plug-in's UI description.
class IPluginActions {
public:
    virtual ~IPluginActions() = default;
    virtual QString uiDescription() = 0;
    virtual QIcon icon(const QString& path) = 0;
    // Whether an invalidator text drops the actions and menus it guards.
    virtual bool isInvalidated(const QString& text) = 0;
    // Called by the host before it builds the actions; nothing to do.
    virtual void prepareActions() = 0;
    virtual void executeAction(const QString& name) = 0;
    // Notices the host may send about an action; nothing to do.
    virtual void actionText(const QString& name, const QString& text) = 0;
    virtual void actionTip(const QString& name, const QString& text) = 0;
    virtual void actionShortcut(const QString& name, const QString& text) = 0;
    // Appends one state record per action to the host's list (the host
    // owns the records).
    virtual void updateActions(QList<TUpdateItem*>& items) = 0;
    // The name of the context menu to show at a view position, or empty.
    virtual QString contextMenu(const QPoint& position) = 0;
};

// The host's zoom entries on the plug-in's item.
class IPluginItemZoom {
public:
    virtual ~IPluginItemZoom() = default;
    virtual bool manualZoom() = 0;
    virtual void fullZoomOut() = 0;
};

// The host's intensity entries.
class IPluginItemIntensity {
public:
    virtual ~IPluginItemIntensity() = default;
    virtual void fitToHeight() = 0;
    virtual void increaseIntensity() = 0;
    virtual void decreaseIntensity() = 0;
};

// The host's cut entries; the last three are not offered by the plug-in.
class IPluginItemCuts {
public:
    virtual ~IPluginItemCuts() = default;
    virtual void restoreAllCuts() = 0;
    virtual bool canCutRange() = 0;
    virtual void cutRange() = 0;
    virtual bool canRestoreRange() = 0;
};

// Painting over the page after the items.
class IPluginDraw {
public:
    virtual ~IPluginDraw() = default;
    // Always answers false (the host paints on).
    virtual bool draw(QPainter* painter) = 0;
    virtual bool drawsBackground() = 0;
};

// The cursor the host shows in a mouse mode of the plug-in.
struct TPluginCursor {
    int kind = 0;  // 0 at every answer
    int id = 0;    // host cursor id (500 to 518)
};

// Mouse and key events of the page view, and the mouse modes.
class IPluginEvent {
public:
    virtual ~IPluginEvent() = default;
    virtual bool handleEvent(QEvent* event) = 0;
    // Whether the plug-in serves the current mode over the item (or the
    // active item), and the cursor to show.
    virtual bool supportsMouseMode(int value, TCanvasItem* item, TPluginCursor& cursor) = 0;
    virtual void setMouseMode(const QUuid& mode, int value1, int value2) = 0;
    virtual bool hasMouseMode(const QUuid& mode) = 0;
    virtual void mouseModeLeft() = 0;
    virtual int cycleMouseModeAxes() = 0;
};

#define IPluginInfo_iid "com.quorvel.quorec-qt.IPluginInfo/1.0"
#define IPluginCanvasItem_iid "com.quorvel.quorec-qt.IPluginCanvasItem/1.0"
#define IPluginImport_iid "com.quorvel.quorec-qt.IPluginImport/1.0"
#define IPluginActions_iid "com.quorvel.quorec-qt.IPluginActions/1.0"
#define IPluginItemZoom_iid "com.quorvel.quorec-qt.IPluginItemZoom/1.0"
#define IPluginItemIntensity_iid "com.quorvel.quorec-qt.IPluginItemIntensity/1.0"
#define IPluginItemCuts_iid "com.quorvel.quorec-qt.IPluginItemCuts/1.0"
#define IPluginDraw_iid "com.quorvel.quorec-qt.IPluginDraw/1.0"
#define IPluginEvent_iid "com.quorvel.quorec-qt.IPluginEvent/1.0"

Q_DECLARE_INTERFACE(IPluginInfo, IPluginInfo_iid)
Q_DECLARE_INTERFACE(IPluginCanvasItem, IPluginCanvasItem_iid)
Q_DECLARE_INTERFACE(IPluginImport, IPluginImport_iid)
Q_DECLARE_INTERFACE(IPluginActions, IPluginActions_iid)
Q_DECLARE_INTERFACE(IPluginItemZoom, IPluginItemZoom_iid)
Q_DECLARE_INTERFACE(IPluginItemIntensity, IPluginItemIntensity_iid)
Q_DECLARE_INTERFACE(IPluginItemCuts, IPluginItemCuts_iid)
Q_DECLARE_INTERFACE(IPluginDraw, IPluginDraw_iid)
Q_DECLARE_INTERFACE(IPluginEvent, IPluginEvent_iid)

// The interface a QObject answers by name or identifier, or null.
template <class I>
I* pluginInterface(QObject* object, const char* name)
{
    return object ? static_cast<I*>(object->qt_metacast(name)) : nullptr;
}
