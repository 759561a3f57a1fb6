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

void T1DMassPlotter::layoutPeakLabels(const TPeakLabels& labels, const QFontMetricsF& metrics, QVector<QRectF>& rects,
                                      QStringList& texts, QVector<int>& peakIndexes) const
{
    const QRectF area = plotArea();
    rects.clear();
    texts.clear();
    peakIndexes.clear();
    QVector<int> beaten;
    const int n = labels.count();
    for (int i = 0; i < n; ++i) {
        QPointF p;
        if (labels.isHidden(i) || !labels.position(i, p))
            continue;
        const QString t = labels.text(i);
        const QSizeF size = metrics.size(0, t);
        QRectF r(p.x() - size.width() / 2, p.y() - size.height() - kLabelLift, size.width(), size.height());
        if (r.top() < area.top())
            r.moveTop(area.top());
        const QRectF grown = r.adjusted(-kLabelSpacing, -kLabelSpacing, kLabelSpacing, kLabelSpacing);
        beaten.clear();
        bool dropped = false;
        for (int k = 0; k < rects.size(); ++k) {
            if (!rects.at(k).intersects(grown))
                continue;
            if (labels.isWeaker(i, peakIndexes.at(k))) {
                dropped = true;
                break;
            }
            beaten.append(k);
        }
        if (dropped)
            continue;
        for (int b = beaten.size() - 1; b >= 0; --b) {
            const int k = beaten.at(b);
            rects.remove(k);
            texts.removeAt(k);
            peakIndexes.remove(k);
        }
        rects.append(r);
        texts.append(t);
        peakIndexes.append(i);
    }
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
