// TMassPlotWrapper: the script object "MassItemPlot" of one plot of a mass
// item: which plot it is, its scales and peaks, zooming its axes and its
// property objects. It reads and writes the plot directly: no command, no
// repaint.
//
// It keeps the item (checked for liveness as page-item wrappers are) and
// the plot's id, never a pointer to the plot or its data object, and
// resolves both on every access (TMassPlotRef): once the plot, its data
// object or the item is gone, the object is invalid (reads give the
// invalid values, zoom() does nothing), and so are its property objects.
// Valid: the item holds a one-dimensional mass plot of that id and a data
// object of the same id.
#pragma once

#include <QObject>
#include <QScriptValue>
#include <QScriptable>
#include <QUuid>

class T1DMassPlot;
class TCanvasMass;
class TMassDataObj;
class TMassPlotPropertiesWrapper;

// A plot of a mass item by (item, id), resolved on every call.
class TMassPlotRef {
public:
    TMassPlotRef() = default;
    TMassPlotRef(TCanvasMass* item, const QUuid& id) : m_item(item), m_id(id) {}

    // The item while the host holds it, else null.
    TCanvasMass* item() const;
    // The item's one-dimensional mass plot of the id, when the item also
    // holds a data object of that id; else null.
    T1DMassPlot* plot() const;
    TMassDataObj* dataObject() const;
    const QUuid& id() const { return m_id; }

private:
    TCanvasMass* m_item = nullptr;
    QUuid m_id;
};

class TMassPlotWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(bool valid READ valid)
    Q_PROPERTY(bool visible READ visible)
    Q_PROPERTY(QString description READ description)
    Q_PROPERTY(int type READ type)
    Q_PROPERTY(QScriptValue properties READ properties)
    Q_PROPERTY(QScriptValue scale READ scale)
    Q_PROPERTY(QScriptValue fullScale READ fullScale)
    Q_PROPERTY(QScriptValue peaks READ peaks)
    Q_PROPERTY(QString id READ id)

public:
    // A plot whose type number is not 1 is passed as a null id by the item
    // object: such an object is never valid.
    TMassPlotWrapper(TCanvasMass* item, const QUuid& plotId, QObject* parent = nullptr);

    // The plot and its data object while both are the item's, else null.
    T1DMassPlot* plot() const { return m_ref.plot(); }
    TMassDataObj* dataObject() const;
    TCanvasMass* item() const { return m_ref.item(); }
    const TMassPlotRef& ref() const { return m_ref; }

    bool valid() const { return plot() != nullptr; }
    bool visible() const;
    QString description() const;
    // 1 chromatogram, 2 spectrum; 0 when not valid.
    int type() const;
    QScriptValue properties() const;
    QScriptValue scale() const;
    QScriptValue fullScale() const;
    // One object per peak: a chromatogram's with center, start, end,
    // height, area, scan and type (the detector's class), a spectrum's
    // with center only; undefined without peaks.
    QScriptValue peaks() const;
    // The plot's id in braces; the null id's text when not valid.
    QString id() const;

public slots:
    // zoom(): both axes to their full range; zoom(orientation): that axis;
    // zoom(orientation, {from, to}): that axis's visible range.
    QScriptValue zoom();

private:
    QScriptValue ranges(bool full) const;

    TMassPlotRef m_ref;
    TMassPlotPropertiesWrapper* m_properties;
};
