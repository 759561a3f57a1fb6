// TCanvasItemWrapper: the script face of any page item: its type name, id,
// type texts, position and size in millimetres (pixels at 300 dpi on the
// page) and rotation angle, with slots to repaint, move and test it.
// Changes go straight to the item: they are not undoable commands.
//
// Liveness: the wrapper keeps a plain pointer, and the host may delete the
// item while a script still holds the wrapper. Every access asks the host
// (the plug-in's host, IPluginHost::allItems) whether the item is still
// one of its page items; one that is not, or any item when there is no
// host to ask, is treated exactly as a missing item: reads give 0 or empty
// text, writes, translate and update do nothing, isValid() is false.
//
// Writes of numbers that are not finite change nothing (they would put
// NaN into the item's geometry and the saved document).
#pragma once

#include <QScriptValue>
#include <QScriptable>

#include "tcanvasitem.h"
#include "tpurewrappertemplate.h"

Q_DECLARE_METATYPE(TCanvasItem*)

// Whether the item is one of the host's page items now.
bool isLivePageItem(const TCanvasItem* item);

class TCanvasItemWrapper : public TPureWrapperTemplate<TCanvasItem>, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(QString uuid READ uuid)
    Q_PROPERTY(QString type READ type)
    Q_PROPERTY(QString subtype READ subtype)
    Q_PROPERTY(double left READ left WRITE setLeft)
    Q_PROPERTY(double top READ top WRITE setTop)
    Q_PROPERTY(double right READ right WRITE setRight)
    Q_PROPERTY(double bottom READ bottom WRITE setBottom)
    Q_PROPERTY(double width READ width WRITE setWidth)
    Q_PROPERTY(double height READ height WRITE setHeight)
    Q_PROPERTY(double angle READ angle WRITE setAngle)

public:
    explicit TCanvasItemWrapper(TCanvasItem* item, QObject* parent = nullptr);

    // The item while the host holds it, else null.
    TCanvasItem* object() const override;
    TCanvasItem* wrappedObject() const override;

    QString name() const;
    QString uuid() const;
    QString type() const;
    QString subtype() const;
    double left() const;
    void setLeft(double mm);
    double top() const;
    void setTop(double mm);
    double right() const;
    void setRight(double mm);
    double bottom() const;
    void setBottom(double mm);
    double width() const;
    void setWidth(double mm);
    double height() const;
    void setHeight(double mm);
    double angle() const;
    void setAngle(double degrees);

    virtual void updateItem();
    // The answer to a property name the object does not declare (read
    // true for getProperty): one argument to read, at least two to write,
    // else code 1; then a warning "Unknown Parameter <name>" and undefined.
    virtual QScriptValue accessUnknownProperty(bool read);

public slots:
    QString toString() const;
    TCanvasItem* item() const;
    QScriptValue getProperty();
    QScriptValue setProperty();
    void update();
    bool isValid() const override;
    void translate(double aXShift, double aYShift);

private:
    void setSide(bool horizontal, double mm);
};
