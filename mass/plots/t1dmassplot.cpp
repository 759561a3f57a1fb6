#include "t1dmassplot.h"

#include <QPainter>

#include <cmath>

#include "tdatastream.h"

T1DMassPlot::T1DMassPlot(const QUuid& id, IMassPlotable* source)
    : T1DPlot(1, id), m_source(source), m_plotter(*this)
{
    axis2().labelSide = 2;
}

T1DMassPlot::T1DMassPlot(int kind, int traceStyle, const QUuid& id, IMassPlotable* source)
    : T1DMassPlot(id, source)
{
    m_kind = kind;
    m_traceStyle = traceStyle;
    setPlotFlags(traceStyle == Centroid ? TBasePlotProperties::Baseline : 0);
}

T1DMassPlot::~T1DMassPlot() = default;

void T1DMassPlot::draw(QPainter* painter)
{
    IMassPlotData* data = m_source ? m_source->plotData(id()) : nullptr;
    if (!data)
        return;
    if ((m_kind != Chromatogram && m_kind != Spectrum) || (m_traceStyle != Profile && m_traceStyle != Centroid))
        return;
    const bool baseline = properties().showBaseline() && m_traceStyle == Centroid;
    const bool gridOver = properties().gridOver();
    if (baseline && !gridOver)
        m_plotter.drawBaseline(painter);
    const TValueArray x = data->values(0);
    const TValueArray y = data->values(1);
    if (m_traceStyle == Profile)
        m_plotter.drawProfile(painter, x, y);
    else
        m_plotter.drawCentroids(painter, x, y);
    if (m_peakProperties.peakFlags & TMSPeakProperties::LabelsVisible) {
        if (m_kind == Chromatogram) {
            QVector<TMSChromPeak> peaks;
            if (data->getChromatogramPeaks(peaks))
                m_plotter.drawChromatogramPeakLabels(painter, peaks, m_peakProperties);
        } else {
            QVector<TMSPeak> peaks;
            if (data->getSpectrumPeaks(peaks))
                m_plotter.drawSpectrumPeakLabels(painter, peaks, m_peakProperties, data->getMaximumPeakIntensity());
        }
    }
    if (baseline && gridOver)
        m_plotter.drawBaseline(painter);
}

void T1DMassPlot::paintTitle(QPainter* painter)
{
    if (!m_titleProperties.visible || !m_source)
        return;
    const QString text = m_source->plotTitle(id(), m_titleProperties.format, m_titleProperties.decimals);
    if (!text.isEmpty())
        m_plotter.drawTitle(painter, text);
}

void T1DMassPlot::write(TDataStream& s) const
{
    T1DPlot::write(s);
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    m_highlight.write(s);
    s.endBlock();
    s.beginBlock();
    s << static_cast<qint8>(m_kind) << static_cast<qint8>(m_traceStyle);
    m_peakProperties.write(s);
    m_titleProperties.write(s);
    s.endBlock();
}

void T1DMassPlot::read(TDataStream& s)
{
    Stored part = stored();
    if (!readStored(s, part))
        return;
    TMSHighlightProperties highlight = m_highlight;
    if (s.readBlockSize() != 0) {
        s.skipBlock();
        if (!highlight.read(s))
            return;
    }
    qint8 kind = static_cast<qint8>(m_kind), style = static_cast<qint8>(m_traceStyle);
    TMSPeakProperties peaks = m_peakProperties;
    TMSTitleProperties title = m_titleProperties;
    if (s.readBlockSize() != 0) {
        s >> kind >> style;
        if (!peaks.read(s) || !title.read(s))
            return;
    }
    if (!s.ok())
        return;
    takeStored(part);
    m_highlight = highlight;
    m_kind = kind;
    m_traceStyle = style;
    m_peakProperties = peaks;
    m_titleProperties = title;
}

void T1DMassPlot::fitIntensityToHeight()
{
    IMassPlotData* data = m_source ? m_source->plotData(id()) : nullptr;
    if (!data)
        return;
    const TValueRangeList shown = segments1().intersected(axis1().visibleFrom, axis1().visibleTo);
    const TValueArray x = data->values(0);
    const TValueArray y = data->values(1);
    const int n = (x.isEmpty() || y.isEmpty()) ? 0 : std::min(x.count, y.count);
    double lo = 0, hi = 0;
    bool found = false;
    // Every point whose x lies in a shown range counts, the first one of a
    // range included; the earliest extreme wins.
    for (int i = 0; i < n; ++i) {
        const double v = y.at(i);
        if (!std::isfinite(v) || !std::isfinite(x.at(i)))
            continue;
        if (!shown.isEmpty() && !shown.contains(x.at(i)))
            continue;
        if (!found) {
            lo = hi = v;
            found = true;
            continue;
        }
        if (v < lo)
            lo = v;
        if (v > hi)
            hi = v;
    }
    if (!found)
        return;
    const double margin = (hi - lo) * 0.1;
    setFullRange(2, lo - margin, hi + margin);
    axis2().showFullRange();
}
