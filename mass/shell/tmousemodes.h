// The mouse modes the plug-in serves on mass items: the dispatcher that
// owns the mode actions and routes the page view's mouse events to the
// action of the host's current mode, and the three action bases
// (crosshairs: click or rectangle on release; pan: a shift on every move;
// selection: rubber band per axis, or click-only modes).
//
// Positions: the host's map-point spaces 0 (view widget), 2 (recorded
// only) and 3 (canvas). A drag lives from an accepted press to the next
// release; a release always ends it.
#pragma once

#include <QList>
#include <QMap>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QUuid>

class QEvent;
class QMouseEvent;
class TCanvasItem;
class TCanvasSpectrum;
class TIonvale;
class IPluginHost;
class TMouseModeDispatcher;

// The host's mouse modes the actions serve.
namespace mousemode {
extern const QUuid kRectZoom;
extern const QUuid kClickZoom;
extern const QUuid kExpansion;
extern const QUuid kPan;
extern const QUuid kCut;
extern const QUuid kRestoreCut;
extern const QUuid kSpectrumSelection;
extern const QUuid kElementComposition;
// The host cursor id of a mode, by axes and drag state; 0 for a mode
// that shows no cursor of the plug-in (the element-composition mode).
int cursorId(const QUuid& mode, int axes, bool dragging);
}  // namespace mousemode

class TMouseModeAction {
public:
    TMouseModeAction(TMouseModeDispatcher* dispatcher, QList<QUuid> modeIds);
    virtual ~TMouseModeAction() = default;
    TMouseModeAction(const TMouseModeAction&) = delete;
    TMouseModeAction& operator=(const TMouseModeAction&) = delete;

    virtual bool accepts(QEvent* event) = 0;
    // The drag the three bases share. A release always ends it and runs
    // dragEnded (with or without an item); when a drag was under way and
    // the active item is there, released follows and the answer is true.
    // Otherwise nothing happens without an active item; a press on its plot
    // area takes the press position, begins the drag, runs pressed and
    // answers true; a move goes to moved and answers false (the host goes
    // on with it).
    virtual bool handle(QEvent* event);
    virtual void reset() {}

    const QList<QUuid>& modeIds() const { return m_modeIds; }
    TMouseModeDispatcher* dispatcher() const { return m_dispatcher; }
    int itemType() const { return m_itemType; }

protected:
    // The steps of handle.
    virtual void dragEnded() {}
    virtual void released(TCanvasSpectrum*, QMouseEvent*) {}
    virtual void pressed() {}
    virtual void moved(TCanvasSpectrum*, QMouseEvent*) {}

    // Whether the current mode is one of this action's.
    bool servesCurrentMode() const;
    // The active item of the type as a spectrum item, or null.
    TCanvasSpectrum* activeItem(int type) const;
    // Maps the event position onto the canvas; true when the item's plot
    // area is there, which then makes the plot under it current.
    bool hitPlot(TCanvasSpectrum* item, QMouseEvent* event) const;
    // The press-to-current rectangle in plot values of the current plot
    // (the current point clamped into it first); false when a conversion
    // fails.
    bool plotRectangle(TCanvasSpectrum* item, QRectF& rect) const;
    void repaint(TCanvasItem* item) const;
    // The press point in plot values of the current plot; false when the
    // conversion fails.
    bool pressValues(TCanvasSpectrum* item, QPointF& point) const;
    // A move with or without buttons, or the left button, in a served mode.
    bool acceptsMoveOrLeft(QEvent* event) const;

    QList<QUuid> m_modeIds;
    TMouseModeDispatcher* m_dispatcher;
    int m_itemType = 112;
};

class TMMActionBaseCrosshairs : public TMouseModeAction {
public:
    using TMouseModeAction::TMouseModeAction;
    bool accepts(QEvent* event) override;
    virtual bool click(TCanvasItem* item, const QPointF& point) = 0;
    virtual bool rectangle(TCanvasItem* item, const QRectF& rect) = 0;

    void setDragOverlay(bool on) { m_dragOverlay = on; }
    bool dragOverlay() const { return m_dragOverlay; }

protected:
    void dragEnded() override;
    void released(TCanvasSpectrum* item, QMouseEvent* event) override;
    void moved(TCanvasSpectrum* item, QMouseEvent* event) override;

    bool m_dragOverlay = false;
};

class TMMActionBasePan : public TMouseModeAction {
public:
    using TMouseModeAction::TMouseModeAction;
    bool accepts(QEvent* event) override;
    virtual bool pan(TCanvasItem* item, const QRectF& rect) = 0;

protected:
    void moved(TCanvasSpectrum* item, QMouseEvent* event) override;
};

class TMMActionBaseSelection : public TMouseModeAction {
public:
    // Every served mode enters the flags with 0.
    TMMActionBaseSelection(TMouseModeDispatcher* dispatcher, QList<QUuid> modeIds);
    bool accepts(QEvent* event) override;
    virtual void click(TCanvasItem*, const QPointF&) {}
    virtual void rectangle(TCanvasItem* item, const QRectF& rect) = 0;

    // Bit 0: click only (no rubber band, every release is a click).
    void setModeFlags(const QUuid& mode, int flags) { m_modeFlags.insert(mode, flags); }
    int modeFlags(const QUuid& mode) const { return m_modeFlags.value(mode, 0); }

protected:
    void dragEnded() override;
    void released(TCanvasSpectrum* item, QMouseEvent* event) override;
    void pressed() override;
    void moved(TCanvasSpectrum* item, QMouseEvent* event) override;

    // Whether the current mode is click only.
    bool clickOnly() const;

    QMap<QUuid, int> m_modeFlags;
};

class TMouseModeDispatcher {
public:
    explicit TMouseModeDispatcher(TIonvale* plugin);
    // Deletes every registered action.
    ~TMouseModeDispatcher();
    TMouseModeDispatcher(const TMouseModeDispatcher&) = delete;
    TMouseModeDispatcher& operator=(const TMouseModeDispatcher&) = delete;

    // Takes the action; a later action replaces an earlier one per mode id.
    void registerAction(TMouseModeAction* action);
    bool hasMode(const QUuid& mode) const;
    TMouseModeAction* actionFor(const QUuid& mode) const;
    TCanvasItem* activeItemOfType(int type) const;
    QPoint toCanvas(const QPoint& viewPosition) const;
    QPoint fromCanvas(const QPoint& canvasPoint) const;
    void updatePosition(const QPoint& viewPosition, bool press);
    bool movedEnough() const;
    int cycleAxes();
    void reset();
    bool handleEvent(QEvent* event);

    IPluginHost* host() const;
    TIonvale* plugin() const { return m_plugin; }
    const QList<TMouseModeAction*>& actions() const { return m_actions; }

    QUuid currentMode;
    bool active = false;
    bool dragging = false;
    bool overlay = false;
    int axes = 0;
    QPoint pressViewPoint;
    QPoint currentViewPoint;
    QPointF pressPoint;
    QPointF currentPoint;
    Qt::KeyboardModifiers modifiers;

private:
    TIonvale* m_plugin;
    QMap<QUuid, TMouseModeAction*> m_modes;
    QList<TMouseModeAction*> m_actions;
};
