// TIonvale: the mass plug-in object the host loads. It owns the dataset
// server handler, the element table, the import converters and the list
// of table factories; makes mass items, their bags and report items;
// answers the host's action, zoom, intensity, cut, drawing and event
// interfaces.
//
// Parts that later work wires in (the concrete table and dock factories,
// the script objects and their factories, the properties page, the mouse
// modes and the actions) have their hooks here: registerFactories,
// registerScriptFactories, createPropertiesWidget, the IPluginActions,
// IPluginItemZoom, IPluginItemIntensity, IPluginItemCuts, IPluginDraw and
// IPluginEvent operations.
#pragma once

#include "tbaseplugin.h"
#include "tmassdataserver.h"

#include <QList>

#include "tkselements.h"
#include "tmousemodes.h"

class IDrawingTools;
class TBasePlotter;
class TCanvasMass;
class TCommand;
class IMoleculePlugin;
class TBaseTableFactory;

class TIonvale : public TBasePlugin,
                 public IPluginActions,
                 public IPluginItemZoom,
                 public IPluginDraw,
                 public IPluginEvent,
                 public IPluginItemIntensity,
                 public IPluginItemCuts {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "com.quorvel.quorec-qt.IPluginInfo/1.0")
    Q_INTERFACES(IPluginActions IPluginItemZoom IPluginDraw IPluginEvent IPluginItemIntensity IPluginItemCuts
                     IPluginCanvasItem)

public:
    TIonvale();
    ~TIonvale() override;

    // IPluginInfo
    void registerPlugin(IPluginHost* host) override;
    void activate() override;
    void deactivate() override;

    // IPluginCanvasItem
    TCanvasItem* createItem(int type) override;
    TItemPropertiesBag* createPropertiesBag(int kind) override;
    QWidget* createPropertiesWidget(int kind) override;
    TItemPropertiesBag* createMultiPropertiesBag(int kind, quintptr owner, const TCanvasItemList& items) override;
    TCanvasItem* createTemplateItem(TItemProperties* placeholder, TCanvasItem* item) override;

    // IPluginActions
    QString uiDescription() override { return readTextFile(); }
    QIcon icon(const QString& path) override { return iconFromResource(path); }
    bool isInvalidated(const QString& text) override { return text.contains("RELEASE"); }
    void prepareActions() override {}
    void executeAction(const QString& name) override;
    void actionText(const QString&, const QString&) override {}
    void actionTip(const QString&, const QString&) override {}
    void actionShortcut(const QString&, const QString&) override {}
    void updateActions(QList<TUpdateItem*>& items) override;
    QString contextMenu(const QPoint& position) override;

    // IPluginItemZoom, IPluginItemIntensity, IPluginItemCuts
    bool manualZoom() override;
    void fullZoomOut() override;
    void fitToHeight() override;
    void increaseIntensity() override;
    void decreaseIntensity() override;
    void restoreAllCuts() override;
    bool canCutRange() override { return false; }
    void cutRange() override {}
    bool canRestoreRange() override { return false; }

    // IPluginDraw, IPluginEvent
    bool draw(QPainter* painter) override;
    bool drawsBackground() override { return false; }
    bool handleEvent(QEvent* event) override { return dispatchEvent(event); }
    bool supportsMouseMode(int value, TCanvasItem* item, TPluginCursor& cursor) override;
    void setMouseMode(const QUuid& mode, int, int) override;
    bool hasMouseMode(const QUuid& mode) override { return m_mouseModes.hasMode(mode); }
    void mouseModeLeft() override {}
    int cycleMouseModeAxes() override;

    // Offers the event to the mouse-mode dispatcher first.
    bool dispatchEvent(QEvent* event) override;
    void afterRegistration() override;
    bool mousePressEvent(QEvent* event) override;

    // The first selected mass item with the active flag, else the first.
    TCanvasItem* activeMassItem();
    // Loads the element table once; a failure shows the error box and is
    // tried again at the next call.
    bool ensureElementTable();
    void addTableFactory(TBaseTableFactory* factory);
    // The HTML report of the named result table for the item.
    QString tableReport(const QString& tableName, TCanvasItem* item);
    static QString scriptClassName(int index);
    // The label of a device point of the plot: "%1 [%2]", its values with
    // each axis' decimals; empty when the point does not convert.
    static QString overlayLabel(const TBasePlotter& plotter, const QPointF& point);

    TMassDataServerHandler& dataServer() { return m_dataServer; }
    TKSElementTable& elementTable() { return m_elementTable; }
    bool elementTableLoaded() const { return m_elementTableLoaded; }
    IMoleculePlugin* moleculePlugin() const { return m_moleculePlugin; }
    IDrawingTools* drawingTools() const { return m_drawingTools; }
    const QList<TBaseTableFactory*>& tableFactories() const { return m_tableFactories; }
    TMouseModeDispatcher& mouseModes() { return m_mouseModes; }

protected:
    // Registration steps 2 to 4: the table factories, the dock factory and
    // the script object factories.
    virtual void registerFactories();
    virtual void registerScriptFactories();

private:
    // The actions' helpers: the active item as a mass item, a command to
    // the host (deleted without one), the host's selection and dialog
    // parent, the three selection-mode actions, the molecule matching.
    TCanvasMass* activeMass();
    void execute(TCommand* command);
    TCanvasItemList selectedItems();
    QWidget* dialogParent();
    void setSelectionMode(int mode);
    void matchMolecules();

    // The overlays of draw, in item coordinates.
    void drawCrosshairOverlay(QPainter* painter, const TBasePlotter& plotter, const QPointF& press,
                              const QPointF& current);
    void drawCompositionOverlay(QPainter* painter, const TBasePlotter& plotter, const QPointF& press,
                                const QPointF& current);
    void drawIsotopeCluster(QPainter* painter, TCanvasMass* item);
    void drawMatchMarker(QPainter* painter, TCanvasMass* item);

    TMassDataServerHandler m_dataServer;
    TKSElementTable m_elementTable;
    bool m_elementTableLoaded = false;
    IMoleculePlugin* m_moleculePlugin = nullptr;
    IDrawingTools* m_drawingTools = nullptr;
    QList<TBaseTableFactory*> m_tableFactories;
    TMouseModeDispatcher m_mouseModes{this};
};
