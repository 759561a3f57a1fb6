#include "qtpolygonscanner.h"

#include "qtcanvas.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// One non-horizontal edge, stepped down the scan lines. At scan line y its
// crossing is the exact x = x0 + (y - top) * dx / dy of the edge; the first
// pixel at or right of it is `x`, and `error` = x * dy - (exact x) * dy,
// in [0, dy).
struct ScanEdge {
    int bottom = 0;     // first scan line below the edge
    int direction = 0;  // +1 downwards, -1 upwards (winding rule)
    int64_t dy = 1;
    int64_t step = 0;  // floor(dx / dy)
    int64_t rest = 0;  // dx - step * dy, in [0, dy)
    int64_t x = 0;
    int64_t error = 0;

    void advance()
    {
        x += step;
        error -= rest;
        if (error < 0) {
            ++x;
            error += dy;
        }
    }
};

int64_t floorDiv64(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

ScanEdge makeEdge(const QPoint& from, const QPoint& to)
{
    const bool down = from.y() < to.y();
    const QPoint& top = down ? from : to;
    const QPoint& low = down ? to : from;
    ScanEdge e;
    e.bottom = low.y();
    e.direction = down ? 1 : -1;
    e.dy = int64_t(low.y()) - top.y();
    const int64_t dx = int64_t(low.x()) - top.x();
    e.step = floorDiv64(dx, e.dy);
    e.rest = dx - e.step * e.dy;
    e.x = top.x();
    e.error = 0;
    return e;
}

// Scan-line records of the edge table are kept in blocks of this many, as
// the sample server does, so that building the table allocates rarely.
constexpr int kScanLinesPerBlock = 25;

struct ScanLineRecord {
    int y = 0;
    std::vector<int> edges;  // indexes into the edge list
};

}  // namespace

QtPolygonScanner::~QtPolygonScanner() = default;

void QtPolygonScanner::scan(const QPolygon& polygon, bool winding)
{
    const int n = polygon.size();
    if (n < 3)
        return;

    // Edge table: the edges by their top scan line, ascending; within a
    // scan line by x.
    std::vector<ScanEdge> edges;
    edges.reserve(static_cast<size_t>(n));
    std::map<int, size_t> recordOfLine;
    std::vector<std::vector<ScanLineRecord>> blocks;
    size_t records = 0;
    for (int i = 0; i < n; ++i) {
        const QPoint& a = polygon[i];
        const QPoint& b = polygon[(i + 1) % n];
        if (a.y() == b.y())
            continue;
        const int top = std::min(a.y(), b.y());
        auto found = recordOfLine.find(top);
        if (found == recordOfLine.end()) {
            if (records % kScanLinesPerBlock == 0) {
                blocks.emplace_back();
                blocks.back().reserve(kScanLinesPerBlock);
            }
            blocks.back().push_back(ScanLineRecord{top, {}});
            found = recordOfLine.emplace(top, records++).first;
        }
        edges.push_back(makeEdge(a, b));
        const size_t r = found->second;
        blocks[r / kScanLinesPerBlock][r % kScanLinesPerBlock].edges.push_back(int(edges.size() - 1));
    }
    if (edges.empty())
        return;

    std::vector<int> active;  // active edge table, sorted by x
    std::vector<QPoint> starts;
    std::vector<int> widths;
    auto nextLine = recordOfLine.begin();
    int y = nextLine->first;
    while (true) {
        // Edges that end above this line leave, new ones enter.
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](int e) { return edges[size_t(e)].bottom <= y; }),
                     active.end());
        while (nextLine != recordOfLine.end() && nextLine->first == y) {
            const size_t r = nextLine->second;
            for (int e : blocks[r / kScanLinesPerBlock][r % kScanLinesPerBlock].edges)
                active.push_back(e);
            ++nextLine;
        }
        if (active.empty()) {
            if (nextLine == recordOfLine.end())
                break;
            y = nextLine->first;
            continue;
        }
        // Insertion sort: the order changes only where edges cross.
        for (size_t i = 1; i < active.size(); ++i) {
            const int e = active[i];
            size_t j = i;
            while (j > 0 && edges[size_t(active[j - 1])].x > edges[size_t(e)].x) {
                active[j] = active[j - 1];
                --j;
            }
            active[j] = e;
        }

        starts.clear();
        widths.clear();
        auto addRun = [&](int64_t from, int64_t to) {
            if (to > from) {
                starts.push_back(QPoint(int(from), y));
                widths.push_back(int(to - from));
            }
        };
        if (winding) {
            int sum = 0;
            int64_t from = 0;
            for (int e : active) {
                const ScanEdge& edge = edges[size_t(e)];
                const int before = sum;
                sum += edge.direction;
                if (before == 0 && sum != 0)
                    from = edge.x;
                else if (before != 0 && sum == 0)
                    addRun(from, edge.x);
            }
        } else {
            for (size_t i = 0; i + 1 < active.size(); i += 2)
                addRun(edges[size_t(active[i])].x, edges[size_t(active[i + 1])].x);
        }
        if (!starts.empty())
            processSpans(int(starts.size()), starts.data(), widths.data());

        for (int e : active)
            edges[size_t(e)].advance();
        ++y;
    }
}

QtCanvasPolygonScanner::QtCanvasPolygonScanner(int chunkSize, const QRect& cellBounds)
    : m_chunkSize(std::max(1, chunkSize)), m_bounds(cellBounds)
{
    if (m_bounds.isValid())
        m_mask.assign((size_t(m_bounds.width()) * size_t(m_bounds.height()) + 7) / 8, 0);
}

void QtCanvasPolygonScanner::processSpans(int n, const QPoint* points, const int* widths)
{
    if (!m_bounds.isValid())
        return;
    for (int k = 0; k < n; ++k) {
        const int row = qtcanvas::floorDiv(points[k].y(), m_chunkSize);
        if (row < m_bounds.top() || row > m_bounds.bottom())
            continue;
        int first = qtcanvas::floorDiv(points[k].x(), m_chunkSize);
        int last = qtcanvas::floorDiv(points[k].x() + widths[k] - 1, m_chunkSize);
        first = std::max(first, m_bounds.left());
        last = std::min(last, m_bounds.right());
        for (int column = first; column <= last; ++column) {
            const size_t bit = size_t(row - m_bounds.top()) * size_t(m_bounds.width()) +
                               size_t(column - m_bounds.left());
            uint8_t& byte = m_mask[bit >> 3];
            const uint8_t mask = uint8_t(1u << (bit & 7));
            if (!(byte & mask)) {
                byte |= mask;
                m_cells.append(QPoint(column, row));
            }
        }
    }
}

namespace qtcanvas {

namespace {

// Sutherland-Hodgman against one side of a rectangle: keeps the part of
// the closed polygon where inside(p) holds.
template <class Inside, class Cut>
QPolygonF clipSide(const QPolygonF& in, Inside inside, Cut cut)
{
    QPolygonF out;
    const int n = in.size();
    for (int i = 0; i < n; ++i) {
        const QPointF& cur = in[i];
        const QPointF& prev = in[(i + n - 1) % n];
        const bool curIn = inside(cur);
        const bool prevIn = inside(prev);
        if (curIn) {
            if (!prevIn)
                out.append(cut(prev, cur));
            out.append(cur);
        } else if (prevIn) {
            out.append(cut(prev, cur));
        }
    }
    return out;
}

QPointF atX(const QPointF& a, const QPointF& b, double x)
{
    const double t = (x - a.x()) / (b.x() - a.x());
    return QPointF(x, a.y() + t * (b.y() - a.y()));
}

QPointF atY(const QPointF& a, const QPointF& b, double y)
{
    const double t = (y - a.y()) / (b.y() - a.y());
    return QPointF(a.x() + t * (b.x() - a.x()), y);
}

}  // namespace

QPolygon scanPolygon(const QPolygonF& polygon, const QRect& canvasRect)
{
    for (const QPointF& p : polygon)
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return QPolygon();
    constexpr int kMargin = 2;
    const QRectF limit = QRectF(canvasRect).adjusted(-kMargin, -kMargin, kMargin, kMargin);
    const double left = limit.left(), right = limit.right(), top = limit.top(), bottom = limit.bottom();
    const QRectF bounds = polygon.boundingRect();
    QPolygonF p = polygon;
    if (bounds.left() < left || bounds.right() > right || bounds.top() < top || bounds.bottom() > bottom) {
        p = clipSide(p, [&](const QPointF& q) { return q.x() >= left; },
                     [&](const QPointF& a, const QPointF& b) { return atX(a, b, left); });
        p = clipSide(p, [&](const QPointF& q) { return q.x() <= right; },
                     [&](const QPointF& a, const QPointF& b) { return atX(a, b, right); });
        p = clipSide(p, [&](const QPointF& q) { return q.y() >= top; },
                     [&](const QPointF& a, const QPointF& b) { return atY(a, b, top); });
        p = clipSide(p, [&](const QPointF& q) { return q.y() <= bottom; },
                     [&](const QPointF& a, const QPointF& b) { return atY(a, b, bottom); });
        // Far-away points can make the cut points drift by rounding; keep
        // them on the rectangle.
        for (QPointF& q : p) {
            if (std::isnan(q.x()) || std::isnan(q.y()))
                return QPolygon();
            q = QPointF(std::clamp(q.x(), left, right), std::clamp(q.y(), top, bottom));
        }
    }
    return p.toPolygon();
}

QList<QPoint> polygonChunks(const QPolygonF& polygon, bool winding, const QtCanvas& canvas)
{
    const QPolygon points = scanPolygon(polygon, canvas.rect());
    if (points.size() < 3)
        return {};
    const QRect pixels = points.boundingRect();
    const int k = canvas.chunkSize();
    const QRect cells = QRect(QPoint(floorDiv(pixels.left(), k), floorDiv(pixels.top(), k)),
                              QPoint(floorDiv(pixels.right(), k), floorDiv(pixels.bottom(), k)))
                            .intersected(QRect(0, 0, canvas.chunkColumns(), canvas.chunkRows()));
    if (cells.isEmpty())
        return {};
    QtCanvasPolygonScanner scanner(k, cells);
    scanner.scan(points, winding);
    return scanner.cells();
}

}  // namespace qtcanvas
