#include "t1dplot.h"

#include <cmath>

#include "tdatastream.h"

T1DPlot::T1DPlot(int type, const QUuid& id)
    : TBasePlot(type, id),
      m_segments1(m_axis1.fullFrom, m_axis1.fullTo),
      m_segments2(m_axis2.fullFrom, m_axis2.fullTo)
{
}

void T1DPlot::setProperties(const TBasePlotProperties& group)
{
    if (dynamic_cast<const T1DPlotProperties*>(&group)) {
        m_properties.assign(group);
        return;
    }
    T1DPlotProperties p(group, m_properties.tracePen());
    p.setLineStyle(T1DPlotProperties::Line);
    m_properties.assign(p);
}

void T1DPlot::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    m_axis1.write(s);
    m_axis2.write(s);
    m_segments1.write(s);
    m_segments2.write(s);
    m_properties.write(s);
    s << m_intensityScale;
    s.endBlock();
}

T1DPlot::Stored T1DPlot::stored() const
{
    return {m_axis1, m_axis2, m_segments1, m_segments2, m_properties, m_intensityScale};
}

bool T1DPlot::readStored(TDataStream& s, Stored& part) const
{
    s.skipBlock();
    if (s.readBlockSize() == 0)
        return s.ok();
    if (!part.axis1.read(s) || !part.axis2.read(s) || !part.segments1.read(s) || !part.segments2.read(s) ||
        !part.properties.read(s))
        return false;
    s >> part.intensityScale;
    return s.ok();
}

void T1DPlot::takeStored(const Stored& part)
{
    m_axis1 = part.axis1;
    m_axis2 = part.axis2;
    m_segments1 = part.segments1;
    m_segments2 = part.segments2;
    m_properties = part.properties;
    m_intensityScale = part.intensityScale;
    // A list read empty would leave the painters nothing to lay out: the
    // plot shows its whole full range instead.
    if (m_segments1.isEmpty())
        restoreAllRanges(1);
    if (m_segments2.isEmpty())
        restoreAllRanges(2);
}

void T1DPlot::read(TDataStream& s)
{
    Stored part = stored();
    if (readStored(s, part))
        takeStored(part);
}

void T1DPlot::zoomIntensity(bool increase)
{
    const double factor = increase ? 1.0 / 1.2 : 1.2;
    m_axis2.scale(factor);
    m_intensityScale *= factor;
    limitSegmentsToFull(2);
}

void T1DPlot::writeVerticalRanges(TDataStream& s) const
{
    s << m_axis2.fullFrom << m_axis2.fullTo << m_axis2.visibleFrom << m_axis2.visibleTo;
}

void T1DPlot::readVerticalRanges(TDataStream& s)
{
    double a = 0, b = 0, c = 0, d = 0;
    s >> a >> b >> c >> d;
    if (!s.ok())
        return;
    setFullRange(2, a, b);
    m_axis2.setVisibleRange(c, d);
}
