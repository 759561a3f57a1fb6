// Property commands: what applying a property bag changes, undoably: the
// geometry of an item (centre, size, angle, natural size), its pen and
// brush, the template properties of a layout template item, and the plot
// properties of mass items. Each keeps the old values from construction.
//
// The layout template's template properties are reached through
// TCanvasItem::queryObject(TemplatePropertiesQuery); a command whose item
// answers none, or has no bag of the given kind, does nothing.
#pragma once

#include <QBrush>
#include <QByteArray>
#include <QPen>
#include <QPointF>
#include <QSizeF>
#include <QVector>

#include "tcanvasitemscommand.h"

class QtCanvasPolygonalItem;
class TItemProperties;
class TItemPropertiesBag;
class TMassSpectrumPropertiesBag;
class TMultiMassSpectrumPropertiesBag;

class TCmdGeomProperties : public TCommand {
    Q_OBJECT
public:
    TCmdGeomProperties(TCanvasItem* item, const QPointF& centre, const QSizeF& size, double angle, bool naturalSize);

    void doRedo() override;
    void doUndo() override;

    QPointF oldCentre;
    QPointF newCentre;
    QSizeF oldSize;
    QSizeF newSize;
    double oldAngle;
    double newAngle;
    bool oldNaturalSize;
    bool newNaturalSize;
    TCanvasItem* item;

private:
    void scaleTo(double sx, double sy);
    void moveCentreTo(const QPointF& centre);
};

class TCmdShapeProperties : public TCommand {
    Q_OBJECT
public:
    TCmdShapeProperties(QtCanvasPolygonalItem* item, const QBrush& brush, const QPen& pen);

    void doRedo() override;
    void doUndo() override;

    QBrush oldBrush;
    QBrush newBrush;
    QPen oldPen;
    QPen newPen;
    QtCanvasPolygonalItem* item;
};

class TCmdLayoutItemProperties : public TCommand {
public:
    TCmdLayoutItemProperties(TCanvasItem* item, TItemPropertiesBag* bag);

    void doRedo() override;
    void doUndo() override;

    TCanvasItem* item;
    QByteArray newState;
    QByteArray oldState;
    TItemPropertiesBag* itemBag = nullptr;

private:
    void load(const QByteArray& state);
    TItemProperties* m_template = nullptr;
};

class TCmdMSPlotProperties : public TMSSpectraCommand {
public:
    TCmdMSPlotProperties(const TCanvasItemList& items, TMassSpectrumPropertiesBag* bag);

    void redoMass(TCanvasMass* item, int index) override;
    void undoMass(TCanvasMass* item, int index) override;
    bool acceptMass(TCanvasMass* item) override;

    QByteArray newState;
    QVector<QByteArray> oldStates;
};

// The template properties of a layout template item, or null.
TItemProperties* templatePropertiesOf(TCanvasItem* item);

// What applying a mass bag to an item gives: a TCmdMSPlotProperties for a
// mass item, a TCmdLayoutItemProperties for a layout template, else none
// (also when the bag is unchanged). The bag over several items gives one
// "Set Selected Mass Spectra Properties" list of the item bags that
// differ, or none. The bags' apply operations hand these to the host.
TCommand* massBagCommand(TMassSpectrumPropertiesBag& bag, TCanvasItem* item);
TCommand* multiMassBagCommand(TMultiMassSpectrumPropertiesBag& bag, TCanvasItem* item);

// Registers what applying a bag gives (the geometry, shape, mass and
// multi-item bags' apply) with the bags; the plug-in calls it once at load.
void registerBagCommands();
