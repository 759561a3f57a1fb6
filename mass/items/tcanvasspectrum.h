// TCanvasSpectrum: a page item that shows a list of plots inside one
// rectangle. It has a size, an ordered list of plots (owned, each with a
// visible flag) and one current plot that mouse actions and commands work
// on; it maps canvas points into the item (undoing its rotation) and into
// plot values, draws its visible plots in the bands its subclass lays out
// and stores its size and plots in the item's plug-in data. The subclass
// decides the layout (layoutPlots) and which plot types exist (createPlot).
//
// Plug-in data (block stream):
//   block { TCanvasItem's plug-in data (one empty block) }
//   block { empty block (terminator of newer additions), size (QSizeF),
//           current plot index (qint32, -1 for none), plot list }
//   plot list: qint32 count; per plot an empty block, then a block
//           { type (qint16), QUuid, visible (qint8), the plot's stream }.
// Reading is for a fresh item only: an item that already holds plots
// passes over the data and stays as it was. Damaged bytes end in a failed
// stream; the plots read whole until then stay and the current plot is
// one of them or none. An entry of a type createPlot does not know is
// passed over by its block length.
//
// Virtual operations after those of TCanvasItem, in the order host and
// plug-in share: mapToPlotValues, mapFromPlotValues, plotAreaAt,
// applyItemMatrix, clampToCurrentPlot, extraValue, layoutPlots,
// writePlots, readPlots, createPlot.
#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QUuid>
#include <QVector>

#include "tcanvasitem.h"

class TBasePlot;

class TCanvasSpectrum : public TCanvasItem {
public:
    // The item part with the type code, type text and progress (may be
    // null); 2400 x 1800 page units, no plots; then the owner tag.
    TCanvasSpectrum(int type, quintptr ownerTag, const QString& typeText, IProgress* progress);
    // Hides the item and deletes its plots.
    ~TCanvasSpectrum() override;

    // Replaced operations of the bases.
    QPolygonF areaPoints() const override;
    void drawShape(QPainter& painter) override;
    QPolygonF geometry() const override;
    void setGeometry(const QPolygonF& polygon) override;
    void drawCurrent(QPainter& painter) override;
    void writePluginData(TDataStream& s) const override;
    void readPluginData(TDataStream& s) override;

    // Added virtual operations, in order.
    // Canvas point to item coordinates (written back), then to the values
    // of the plot under it; false when no plot is there.
    virtual bool mapToPlotValues(QPointF& point, int axes);
    // Values of the current plot to a canvas point (written back); false
    // without a current plot or when the plot refuses.
    virtual bool mapFromPlotValues(QPointF& values, int axes);
    // The area code of the plot under the canvas point; -1 when none.
    virtual int plotAreaAt(const QPointF& point);
    virtual void applyItemMatrix(QPainter& painter);
    // The canvas point clamped into the current plot's frame; the point
    // unchanged without a current plot.
    virtual QPointF clampToCurrentPlot(const QPointF& point);
    virtual int extraValue() const;
    // One rectangle per plot in list order, (0, 0, 0, 0) for a plot that
    // is not shown.
    virtual void layoutPlots(const QRectF& rect, QList<QRectF>& rects) const = 0;
    virtual void writePlots(TDataStream& s) const;
    virtual void readPlots(TDataStream& s);
    // A new plot of that type and identifier, or null.
    virtual TBasePlot* createPlot(int type, const QUuid& id) = 0;

    QSizeF size() const { return m_size; }
    QRectF itemRect() const { return QRectF(x(), y(), m_size.width(), m_size.height()); }
    // Angle 0: the point itself; else through the inverse item matrix
    // (respectively the matrix).
    QPointF mapToItem(const QPointF& point) const;
    QPointF mapFromItem(const QPointF& point) const;

    const QVector<TBasePlot*>& plots() const { return m_plots; }
    int plotCount() const { return m_plots.size(); }
    TBasePlot* plotAtIndex(int index) const { return m_plots.value(index, nullptr); }
    int plotIndex(const QUuid& id) const;
    TBasePlot* plot(const QUuid& id, bool visibleOnly) const;
    bool isPlotVisible(const QUuid& id) const;
    TBasePlot* currentPlot() const { return m_current; }
    int currentPlotIndex() const { return m_plots.indexOf(m_current); }
    // Null, or one of the item's plots.
    void setCurrentPlot(TBasePlot* plot);
    // Appends (null: nothing); it becomes current when none is and it is
    // visible.
    void addPlot(TBasePlot* plot) { insertPlot(-1, plot); }
    // The same at a position of the list (outside it: appended), so that
    // a plot taken out can go back where it was.
    void insertPlot(int index, TBasePlot* plot);
    // Takes the plot out (the caller owns it); the current plot moves to
    // the first visible one when it was taken.
    TBasePlot* takePlotAt(int index);
    TBasePlot* takePlot(const QUuid& id) { return takePlotAt(plotIndex(id)); }
    int visiblePlotCount() const;
    void selectFirstVisiblePlot();
    void setPlotVisible(const QUuid& id, bool visible);
    // The index of the plot whose band holds the item point, its band
    // written out; -1 when none.
    int plotIndexAt(const QPointF& itemPoint, QRectF* rect = nullptr) const;
    // The plot under the canvas point, or null.
    TBasePlot* plotAt(const QPointF& point) const;
    void setCurrentPlotAt(const QPoint& point);

protected:
    // Reads the two blocks of the plug-in data (the item must be fresh).
    void readSpectrumData(TDataStream& s);
    // Whether a read must be refused: the item already holds plots.
    virtual bool holdsContent() const { return !m_plots.isEmpty(); }

private:
    QSizeF m_size{2400, 1800};
    QVector<TBasePlot*> m_plots;
    TBasePlot* m_current = nullptr;
};
