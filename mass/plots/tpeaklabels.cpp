// T1DMassPlotter: peak labels, their layout, and the wedges and baselines
// of chromatogram peaks.
#include "t1dmassplotter.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "massutils.h"

namespace {

// Label decimals as stored are any int32: Qt would pad to any size.
int labelDecimals(int32_t decimals)
{
    return std::clamp<int32_t>(decimals, 0, TBasePlotter::kMaxDecimals);
}

class TSpecPeakLabels : public T1DMassPlotter::TPeakLabels {
public:
    TSpecPeakLabels(const T1DMassPlotter& plotter, const QVector<TMSPeak>& peaks,
                    const TMSPeakProperties& properties, const double& maximumIntensity)
        : TPeakLabels(plotter, properties), m_peaks(peaks), m_maximum(maximumIntensity)
    {
    }
    int count() const override { return m_peaks.size(); }
    bool position(int i, QPointF& point) const override { return devicePoint(m_peaks.at(i).position, point); }
    bool isHidden(int i) const override { return m_peaks.at(i).attribute & 1; }
    bool isWeaker(int i, int j) const override { return m_peaks.at(j).position.y() > m_peaks.at(i).position.y(); }
    int lineCount(int) const override { return secondLineCount(); }
    int leastLength(int i) const override { return firstLineLength(m_peaks.at(i).position.x()); }
    QString text(int i) const override
    {
        const QPointF& p = m_peaks.at(i).position;
        const int flags = m_properties.peakFlags;
        if ((flags & TMSPeakProperties::SecondLineAbundance) && !(flags & TMSPeakProperties::SecondLineIntensity))
            return labelText(p.x(), true, p.y() / m_maximum * 100.0, QStringLiteral("%"));
        return labelText(p.x(), flags & TMSPeakProperties::SecondLineMask, p.y(), QString());
    }

private:
    const QVector<TMSPeak>& m_peaks;
    const double& m_maximum;
};

class TChromPeakLabels : public T1DMassPlotter::TPeakLabels {
public:
    TChromPeakLabels(const T1DMassPlotter& plotter, const QVector<TMSChromPeak>& peaks,
                     const TMSPeakProperties& properties)
        : TPeakLabels(plotter, properties), m_peaks(peaks)
    {
    }
    int count() const override { return m_peaks.size(); }
    bool position(int i, QPointF& point) const override { return devicePoint(m_peaks.at(i).position, point); }
    bool isHidden(int i) const override { return m_peaks.at(i).attribute & 1; }
    bool isWeaker(int i, int j) const override { return m_peaks.at(j).position.y() > m_peaks.at(i).position.y(); }
    int lineCount(int) const override { return secondLineCount(); }
    int leastLength(int i) const override { return firstLineLength(m_peaks.at(i).position.x()); }
    QString text(int i) const override
    {
        const TMSChromPeak& peak = m_peaks.at(i);
        const int flags = m_properties.peakFlags;
        double v = peak.position.y();
        if (flags & TMSPeakProperties::SecondLineIntensity)
            v = peak.position.y();
        else if (flags & TMSPeakProperties::SecondLineHeight)
            v = peak.height;
        else if (flags & TMSPeakProperties::SecondLineArea)
            v = peak.area;
        return labelText(peak.position.x(), flags & TMSPeakProperties::SecondLineMask, v, QString());
    }

private:
    const QVector<TMSChromPeak>& m_peaks;
};

// The y of the line a-b at x; the start's y when the line is vertical.
double yAt(const QPointF& a, const QPointF& b, double x)
{
    if (b.x() == a.x())
        return a.y();
    return a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x());
}

}  // namespace

T1DMassPlotter::TPeakLabels::TPeakLabels(const T1DMassPlotter& plotter, const TMSPeakProperties& properties)
    : m_plotter(plotter),
      m_properties(properties),
      m_x(plotter.segmentLayout(*plotter.horizontalAxis(), *plotter.horizontalSegments())),
      m_y(plotter.segmentLayout(*plotter.verticalAxis(), *plotter.verticalSegments()))
{
}

bool T1DMassPlotter::TPeakLabels::devicePoint(const QPointF& value, QPointF& point) const
{
    const int i = m_x.segmentOfValue(value.x());
    const int j = m_y.segmentOfValue(value.y());
    if (i < 0 || j < 0)
        return false;
    const QPointF p(m_x.toPixel(i, value.x()), m_y.toPixel(j, value.y()));
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
        return false;
    point = p;
    return true;
}

QString T1DMassPlotter::TPeakLabels::labelText(double x, bool secondLine, double second, const QString& suffix) const
{
    QString text = QString::number(x, 'f', labelDecimals(m_properties.decimals));
    if (!secondLine)
        return text;
    text += QLatin1Char('\n');
    // A relative value over a maximum of 0 (or any value that is not
    // finite) leaves the line empty rather than "inf%" or "nan%".
    if (std::isfinite(second))
        text += QString::number(second, 'f', labelDecimals(m_properties.secondLineDecimals)) + suffix;
    return text;
}

namespace {

// The placed labels, indexed by the device columns their rectangles cover,
// so that a candidate meets only its neighbours rather than every label.
class TPlacedLabels {
public:
    explicit TPlacedLabels(const QRectF& area)
        : m_left(area.left()), m_columns(columnCount(area.width())), m_buckets(static_cast<size_t>(m_columns))
    {
    }
    // Whether a placed label that meets `grown` belongs to a peak at least
    // as intense as peak i; else the meeting labels go to `beaten`.
    bool blocked(const T1DMassPlotter::TPeakLabels& labels, int i, const QRectF& grown, std::vector<int>* beaten)
    {
        const int first = column(grown.left()), last = column(grown.right());
        for (int c = first; c <= last; ++c) {
            std::vector<int>& bucket = m_buckets[static_cast<size_t>(c)];
            // Labels that were beaten since leave the bucket as it is read.
            bucket.erase(std::remove_if(bucket.begin(), bucket.end(), [&](int k) { return !m_alive[size_t(k)]; }),
                         bucket.end());
            for (int k : bucket) {
                if (!rects[size_t(k)].intersects(grown))
                    continue;
                if (labels.isWeaker(i, peaks[size_t(k)]))
                    return true;
                if (beaten)
                    beaten->push_back(k);
            }
        }
        return false;
    }
    void remove(int k) { m_alive[size_t(k)] = false; }
    void add(const QRectF& r, QString text, int peak)
    {
        const int k = static_cast<int>(rects.size());
        rects.push_back(r);
        texts.push_back(std::move(text));
        peaks.push_back(peak);
        m_alive.push_back(true);
        for (int c = column(r.left()), last = column(r.right()); c <= last; ++c)
            m_buckets[static_cast<size_t>(c)].push_back(k);
    }
    bool alive(int k) const { return m_alive[size_t(k)]; }

    // Every label placed, in the order placed (beaten ones included).
    std::vector<QRectF> rects;
    std::vector<QString> texts;
    std::vector<int> peaks;

private:
    static constexpr double kColumnWidth = 32.0;
    static constexpr int kMaxColumns = 4096;
    // Bounded before it becomes an int: a stored area may be any width
    // (1e275, NaN), and converting a double beyond int is undefined.
    static int columnCount(double width)
    {
        const double c = std::floor(width / kColumnWidth) + 1;
        if (!(c > 1))
            return 1;
        return c >= kMaxColumns ? kMaxColumns : static_cast<int>(c);
    }
    // Clamped at both ends: the mapping keeps order, so rectangles that
    // meet in x share a column.
    int column(double x) const
    {
        const double c = std::floor((x - m_left) / kColumnWidth);
        if (!(c > 0))
            return 0;
        return c >= m_columns - 1 ? m_columns - 1 : static_cast<int>(c);
    }
    double m_left;
    int m_columns;
    std::vector<std::vector<int>> m_buckets;
    std::vector<bool> m_alive;
};

// Sizes of label texts. Shaping every label is most of a crowded paint;
// label texts are digits, a point, a sign and a percent sign, whose shaped
// width in the usual fonts is the sum of their advances. That holds when
// each of them alone and every pair of them shape to exactly their
// advances (no kerning, no ligature), which is checked as pairs turn up;
// any other text, or a font where a check fails, is shaped.
class TLabelSizer {
public:
    explicit TLabelSizer(const QFontMetricsF& metrics) : m_metrics(metrics)
    {
        for (int c = 0; c < kChars; ++c) {
            const QChar ch = QLatin1Char(kCharSet[c]);
            m_advance[c] = metrics.horizontalAdvance(ch);
            m_usable = m_usable && metrics.size(0, QString(ch)).width() == m_advance[c];
        }
        for (int a = 0; a < kChars; ++a)
            for (int b = 0; b < kChars; ++b)
                m_pair[a][b] = Unchecked;
    }
    // The narrowest digit or point: a lower bound of a character's width
    // where advances add up.
    double narrowest() const
    {
        double w = m_advance[index('.')];
        for (char c = '0'; c <= '9'; ++c)
            w = std::min(w, m_advance[index(c)]);
        return w;
    }
    bool additive() const { return m_usable; }
    QSizeF size(const QString& text)
    {
        if (!m_usable)
            return m_metrics.size(0, text);
        double width = 0, line = 0;
        int lines = 1, previous = -1;
        for (const QChar ch : text) {
            if (ch == QLatin1Char('\n')) {
                // An empty line is shaped: its height is not checked here.
                if (previous < 0)
                    return m_metrics.size(0, text);
                width = std::max(width, line);
                line = 0;
                previous = -1;
                ++lines;
                continue;
            }
            const int c = ch.unicode() < 128 ? index(char(ch.unicode())) : -1;
            if (c < 0 || (previous >= 0 && !pairAdds(previous, c)))
                return m_metrics.size(0, text);
            line += m_advance[c];
            previous = c;
        }
        if (previous < 0)
            return m_metrics.size(0, text);
        return QSizeF(std::max(width, line), height(lines));
    }
    // The height of a text of n lines of digits, which their digits do not
    // change.
    double height(int lines)
    {
        while (static_cast<int>(m_heights.size()) < lines) {
            QString sample = QStringLiteral("0");
            for (int k = 0; k < static_cast<int>(m_heights.size()); ++k)
                sample += QStringLiteral("\n0");
            m_heights.push_back(m_metrics.size(0, sample).height());
        }
        return m_heights[size_t(lines - 1)];
    }

private:
    static constexpr int kChars = 13;
    static constexpr const char* kCharSet = "0123456789.-%";
    enum Pair : unsigned char { Unchecked, Adds, Differs };
    static int index(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        return c == '.' ? 10 : c == '-' ? 11 : c == '%' ? 12 : -1;
    }
    bool pairAdds(int a, int b)
    {
        if (m_pair[a][b] == Unchecked) {
            const QString t = QString(QLatin1Char(kCharSet[a])) + QLatin1Char(kCharSet[b]);
            m_pair[a][b] = m_metrics.size(0, t).width() == m_advance[a] + m_advance[b] ? Adds : Differs;
        }
        return m_pair[a][b] == Adds;
    }
    const QFontMetricsF& m_metrics;
    bool m_usable = true;
    double m_advance[kChars] = {};
    Pair m_pair[kChars][kChars];
    std::vector<double> m_heights;
};

// The label rectangle of a text of `size` above the device point p: lifted,
// centred, moved down to the area's top where it would stick out, and
// moved sideways into the area (onto its left edge when wider than it)
// rather than over the axis or out of the item. Moving keeps a narrower
// rectangle of the same point inside a wider one, which the early drop of
// the layout relies on.
QRectF labelRect(const QPointF& p, const QSizeF& size, const QRectF& area)
{
    QRectF r(p.x() - size.width() / 2, p.y() - size.height() - T1DMassPlotter::kLabelLift, size.width(),
             size.height());
    if (r.top() < area.top())
        r.moveTop(area.top());
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    return r;
}

QRectF grownRect(const QRectF& r)
{
    const double s = T1DMassPlotter::kLabelSpacing;
    return r.adjusted(-s, -s, s, s);
}

}  // namespace

int T1DMassPlotter::TPeakLabels::lineCount(int i) const
{
    return text(i).count(QLatin1Char('\n')) + 1;
}

int T1DMassPlotter::TPeakLabels::leastLength(int) const
{
    return 0;
}

int T1DMassPlotter::TPeakLabels::firstLineLength(double x) const
{
    // Rounding may only add a digit (9.996 as "10.00"); a sign adds one.
    int digits = 1;
    for (double a = std::fabs(x); a >= 10 && digits < 309; a /= 10)
        ++digits;
    const int decimals = labelDecimals(m_properties.decimals);
    return digits + (decimals > 0 ? decimals + 1 : 0);
}

bool T1DMassPlotter::layoutPeakLabels(const TPeakLabels& labels, const QFontMetricsF& metrics, bool early,
                                      QVector<QRectF>& rects, QStringList& texts, QVector<int>& peakIndexes) const
{
    const QRectF area = plotArea();
    TPlacedLabels placed(area);
    TLabelSizer sizer(metrics);
    // The narrowest digit or point per character where advances add up;
    // else half of it, which a line's shaped width stays well above
    // whatever the font's kerning takes off.
    double charWidth = 0;
    if (early)
        charWidth = std::max(0.0, sizer.additive() ? sizer.narrowest() : sizer.narrowest() / 2);
    std::vector<int> beaten;
    const int n = labels.count();
    for (int i = 0; i < n; ++i) {
        QPointF p;
        if (labels.isHidden(i) || !labels.position(i, p))
            continue;
        double low = 0, narrow = 0;
        if (early) {
            // A label as narrow as its least characters allow and as high
            // as its lines lies inside the real one: when that already
            // meets a stronger label, so would the real one, and the text
            // is never made.
            low = sizer.height(std::max(1, labels.lineCount(i)));
            narrow = charWidth * std::max(0, labels.leastLength(i));
            if (placed.blocked(labels, i, grownRect(labelRect(p, QSizeF(narrow, low), area)), nullptr))
                continue;
        }
        QString t = labels.text(i);
        const QSizeF size = sizer.size(t);
        // Should a label be smaller than the least size taken for it, the
        // early test may have dropped one wrongly: the caller lays out anew
        // without it.
        if (size.height() < low || size.width() < narrow)
            return false;
        const QRectF r = labelRect(p, size, area);
        beaten.clear();
        if (placed.blocked(labels, i, grownRect(r), &beaten))
            continue;
        for (int k : beaten)
            placed.remove(k);
        placed.add(r, std::move(t), i);
    }
    rects.clear();
    texts.clear();
    peakIndexes.clear();
    for (int k = 0; k < static_cast<int>(placed.rects.size()); ++k) {
        if (!placed.alive(k))
            continue;
        rects.append(placed.rects[size_t(k)]);
        texts.append(placed.texts[size_t(k)]);
        peakIndexes.append(placed.peaks[size_t(k)]);
    }
    return true;
}

void T1DMassPlotter::layoutPeakLabels(const TPeakLabels& labels, const QFontMetricsF& metrics, QVector<QRectF>& rects,
                                      QStringList& texts, QVector<int>& peakIndexes) const
{
    if (!layoutPeakLabels(labels, metrics, true, rects, texts, peakIndexes))
        layoutPeakLabels(labels, metrics, false, rects, texts, peakIndexes);
}

void T1DMassPlotter::drawLabels(QPainter* painter, const TPeakLabels& labels,
                                const TMSPeakProperties& properties) const
{
    const QFont font = pixelSizedFont(properties.font);
    const QFontMetricsF metrics(font, painter->device());
    QVector<QRectF> rects;
    QStringList texts;
    QVector<int> indexes;
    layoutPeakLabels(labels, metrics, rects, texts, indexes);
    painter->setFont(font);
    painter->setPen(QPen(properties.color));
    for (int k = 0; k < rects.size(); ++k)
        painter->drawText(rects.at(k), Qt::AlignHCenter | Qt::AlignVCenter, texts.at(k));
}

void T1DMassPlotter::drawSpectrumPeakLabels(QPainter* painter, const QVector<TMSPeak>& peaks,
                                            const TMSPeakProperties& properties, double maximumIntensity) const
{
    const TSpecPeakLabels labels(*this, peaks, properties, maximumIntensity);
    painter->save();
    drawLabels(painter, labels, properties);
    painter->restore();
}

void T1DMassPlotter::drawChromatogramPeakLabels(QPainter* painter, const QVector<TMSChromPeak>& peaks,
                                                const TMSPeakProperties& properties) const
{
    const TChromPeakLabels labels(*this, peaks, properties);
    painter->save();
    drawLabels(painter, labels, properties);
    if (properties.peakFlags & (TMSPeakProperties::Wedges | TMSPeakProperties::PeakBaseline))
        drawChromatogramPeakMarks(painter, peaks, properties);
    painter->restore();
}

void T1DMassPlotter::drawChromatogramPeakMarks(QPainter* painter, const QVector<TMSChromPeak>& peaks,
                                               const TMSPeakProperties& properties) const
{
    TSegmentLayout lx, ly;
    if (peaks.isEmpty() || !layouts(lx, ly))
        return;
    double maxHeight = 0;
    for (const TMSChromPeak& peak : peaks)
        maxHeight = std::max(maxHeight, std::fabs(peak.height));
    const double limit = maxHeight * properties.threshold;
    const bool wedges = properties.peakFlags & TMSPeakProperties::Wedges;
    const bool baseline = properties.peakFlags & TMSPeakProperties::PeakBaseline;
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(properties.color, Qt::SolidPattern));
    QVector<QLineF> lines;
    for (const TMSChromPeak& peak : peaks) {
        if (!(peak.height >= limit))
            continue;
        for (int i = 0; i < lx.count(); ++i) {
            const TValueRange& vx = lx.values.at(i);
            for (int j = 0; j < ly.count(); ++j) {
                QPointF a = peak.start, b = peak.end;
                if (a.x() < vx.from())
                    a = QPointF(vx.from(), yAt(peak.start, peak.end, vx.from()));
                if (b.x() > vx.to())
                    b = QPointF(vx.to(), yAt(peak.start, peak.end, vx.to()));
                const QPointF da(lx.toPixel(i, a.x()), ly.toPixel(j, a.y()));
                const QPointF db(lx.toPixel(i, b.x()), ly.toPixel(j, b.y()));
                if (wedges) {
                    if (vx.holds(peak.start.x()) && std::isfinite(da.x()) && std::isfinite(da.y()))
                        drawWedge(painter, da, 1);
                    if (vx.holds(peak.end.x()) && std::isfinite(db.x()) && std::isfinite(db.y()))
                        drawWedge(painter, db, 1);
                }
                if (baseline)
                    clipLineToRect(lines, da, db, cellRect(lx, i, ly, j), true);
            }
        }
    }
    painter->setPen(QPen(properties.color));
    if (baseline && !lines.isEmpty())
        painter->drawLines(lines);
    painter->restore();
}

void T1DMassPlotter::drawWedge(QPainter* painter, const QPointF& point, int orientation)
{
    const double dy = orientation == 1 ? -27.0 : 27.0;
    const QPolygonF wedge({point, QPointF(point.x() - 9.0, point.y() + dy), QPointF(point.x() + 9.0, point.y() + dy)});
    painter->drawPolygon(wedge, Qt::OddEvenFill);
}
