// Scan conversion of polygons into pixel runs, and the canvas scanner that
// turns the runs of an item's area into the chunk cells it covers.
//
// QtPolygonScanner follows the classic polygon fill of the X sample
// server: an edge table of the non-horizontal edges bucketed by their top
// scan line, an active edge table sorted by the edges' current x and walked
// one scan line at a time, each edge stepping its x incrementally. The
// pixel at integer point (x, y) is covered when the point lies inside the
// polygon; points on a left or top edge count as inside, on a right or
// bottom edge as outside (so adjacent polygons share no pixel), and
// horizontal edges contribute nothing. Odd-even rule: runs between the
// first and second, third and fourth crossing; winding rule: runs where
// the sum of the directions of the edges crossed so far is not 0.
#pragma once

#include <QList>
#include <QPoint>
#include <QPolygon>
#include <QPolygonF>
#include <QRect>

#include <cstdint>
#include <vector>

class QtCanvas;

class QtPolygonScanner {
public:
    virtual ~QtPolygonScanner();
    // Hands every run of covered pixels to processSpans, one call per scan
    // line (top to bottom), runs left to right. Fewer than 3 points cover
    // nothing. The coordinates must fit in 31 bits.
    void scan(const QPolygon& polygon, bool winding);

protected:
    // n runs of one scan line: the run k starts at points[k] and covers
    // widths[k] pixels to the right (at least 1).
    virtual void processSpans(int n, const QPoint* points, const int* widths) = 0;
};

// Marks the chunk cells the runs cross in one bit per cell over the cells
// of `cellBounds` (columns and rows of the grid); a cell is listed the
// first time it is marked.
class QtCanvasPolygonScanner : public QtPolygonScanner {
public:
    QtCanvasPolygonScanner(int chunkSize, const QRect& cellBounds);
    const QList<QPoint>& cells() const { return m_cells; }

protected:
    void processSpans(int n, const QPoint* points, const int* widths) override;

private:
    int m_chunkSize;
    QRect m_bounds;
    std::vector<uint8_t> m_mask;
    QList<QPoint> m_cells;
};

namespace qtcanvas {

// The integer polygon that is scanned for an area polygon on a canvas of
// the given rectangle: empty when a coordinate is not finite; clipped to
// the rectangle grown by two pixels when the polygon reaches beyond that;
// each point rounded to the nearest integer point.
QPolygon scanPolygon(const QPolygonF& polygon, const QRect& canvasRect);

// The chunk cells a polygon covers on the canvas under the fill rule, in
// the order they are first met.
QList<QPoint> polygonChunks(const QPolygonF& polygon, bool winding, const QtCanvas& canvas);

// Division rounding towards minus infinity (cells of negative pixels).
inline int floorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

}  // namespace qtcanvas
