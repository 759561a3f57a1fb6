// TMassPlotWrapper: the script object "MassItemPlot" of one plot of a mass
// item. It keeps the item (checked for liveness as page-item wrappers are)
// and the plot's id, never a pointer to the plot or its data object, and
// resolves both on every access: once the plot, its data object or the
// item is gone, the object is invalid. Valid: the item holds a
// one-dimensional mass plot of that id and a data object of the same id.
#pragma once

#include <QObject>
#include <QScriptable>
#include <QUuid>

class T1DMassPlot;
class TCanvasMass;
class TMassDataObj;

class TMassPlotWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(bool valid READ valid)
    Q_PROPERTY(bool visible READ visible)
    Q_PROPERTY(int type READ type)
    Q_PROPERTY(QString id READ id)

public:
    TMassPlotWrapper(TCanvasMass* item, const QUuid& plotId, QObject* parent = nullptr);

    // The plot and its data object while both are the item's, else null.
    T1DMassPlot* plot() const;
    TMassDataObj* dataObject() const;
    TCanvasMass* item() const;

    bool valid() const { return plot() != nullptr; }
    bool visible() const;
    // 1 chromatogram, 2 spectrum; 0 when not valid.
    int type() const;
    // The plot's id in braces; the null id's text when not valid.
    QString id() const;

private:
    TCanvasMass* m_item;
    QUuid m_plotId;
};
