#include "tplotpropertiesbag.h"

#include <QSettings>

#include "t1dmassplot.h"
#include "tdatastream.h"

// ---- axis record ----

void TPlotAxisRecord::write(TDataStream& s) const
{
    s.beginBlock();
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    s << logScale;
    s.endBlock();
    s << static_cast<qint8>(visible) << static_cast<qint8>(captionVisible) << caption << decimals;
    s.endBlock();
}

bool TPlotAxisRecord::read(TDataStream& s)
{
    if (s.readBlockSize() == 0)
        return s.ok();
    TPlotAxisRecord r = *this;
    if (s.readBlockSize() != 0) {
        s.skipBlock();
        s >> r.logScale;
    }
    qint8 shown = 0, captionShown = 0;
    s >> shown >> captionShown;
    s.readString(r.caption);
    s >> r.decimals;
    if (!s.ok())
        return false;
    r.visible = shown != 0;
    r.captionVisible = captionShown != 0;
    *this = r;
    return true;
}

// ---- base bag ----

TBasePlotPropertiesBag::TBasePlotPropertiesBag(TBasePlot* plot, TBasePlotProperties* group)
    : m_plot(plot), m_group(group)
{
}

TBasePlotPropertiesBag::~TBasePlotPropertiesBag() = default;

QUuid TBasePlotPropertiesBag::plotId() const
{
    return m_plot ? m_plot->id() : QUuid();
}

std::unique_ptr<TBasePlotProperties> TBasePlotPropertiesBag::copyGroup(const TBasePlotProperties* group)
{
    if (!group)
        return nullptr;
    if (const auto* one = dynamic_cast<const T1DPlotProperties*>(group))
        return std::make_unique<T1DPlotProperties>(*one);
    return std::make_unique<TBasePlotProperties>(*group);
}

void TBasePlotPropertiesBag::assignFromPlot()
{
    if (!m_plot)
        return;
    const TBasePlotProperties& theirs = m_plot->properties();
    if (m_group && m_group->typeTag() == theirs.typeTag())
        m_group->assign(theirs);
    for (int n = 1; n <= 2; ++n) {
        const TPlotAxis& a = static_cast<const TBasePlot*>(m_plot)->axis(n);
        TPlotAxisRecord& r = axisRecord(n);
        r.visible = a.visible;
        r.captionVisible = a.captionVisible;
        r.caption = a.caption;
        r.decimals = a.decimals;
        r.logScale = a.isLogScale();
    }
}

void TBasePlotPropertiesBag::applyTo(TBasePlot* plot) const
{
    if (!plot)
        return;
    if (m_group)
        plot->setProperties(*m_group);
    for (int n = 1; n <= 2; ++n) {
        const TPlotAxisRecord& r = axisRecord(n);
        plot->setAxisVisible(n, r.visible);
        plot->setAxisLabelVisible(n, r.captionVisible);
        plot->setAxisLabel(n, r.caption);
        plot->setAxisDecimals(n, r.decimals);
        plot->setAxisLogScale(n, r.logScale);
    }
}

void TBasePlotPropertiesBag::write(TDataStream& s) const
{
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    if (m_group)
        m_group->write(s);
    s.endBlock();
    m_axes[0].write(s);
    m_axes[1].write(s);
    s.endBlock();
}

bool TBasePlotPropertiesBag::readBase(TDataStream& s, TBasePlotProperties* group, TPlotAxisRecord (&axes)[2]) const
{
    if (s.readBlockSize() == 0)
        return s.ok();
    s.skipBlock();
    if (!group) {
        s.skipBlock();
    } else if (s.readBlockSize() != 0) {
        if (!group->read(s))
            return false;
    }
    return axes[0].read(s) && axes[1].read(s);
}

bool TBasePlotPropertiesBag::read(TDataStream& s)
{
    if (!s.ok())
        return false;
    std::unique_ptr<TBasePlotProperties> group = copyGroup(m_group.get());
    TPlotAxisRecord axes[2] = {m_axes[0], m_axes[1]};
    if (!readBase(s, group.get(), axes))
        return false;
    m_group = std::move(group);
    m_axes[0] = axes[0];
    m_axes[1] = axes[1];
    return true;
}

// ---- mass bag ----

TMassPlotPropertiesBag::TMassPlotPropertiesBag() : TBasePlotPropertiesBag(nullptr, new T1DPlotProperties) {}

TMassPlotPropertiesBag::TMassPlotPropertiesBag(T1DMassPlot* plot)
    : TBasePlotPropertiesBag(plot, new T1DPlotProperties)
{
    if (!plot)
        return;
    lineProperties() = plot->lineProperties();
    peakProperties = plot->peakProperties();
    titleProperties = plot->titleProperties();
    highlight = plot->highlight();
    kind = plot->kind();
}

TMassPlotPropertiesBag::TMassPlotPropertiesBag(const TMassPlotPropertiesBag& other)
    : TBasePlotPropertiesBag(other.m_plot, new T1DPlotProperties(other.lineProperties())),
      peakProperties(other.peakProperties),
      titleProperties(other.titleProperties),
      highlight(other.highlight),
      kind(other.kind)
{
}

T1DMassPlot* TMassPlotPropertiesBag::massPlot() const
{
    // Type 1 is any one-dimensional plot; only a mass plot has the records.
    return m_plot && m_plot->type() == 1 ? dynamic_cast<T1DMassPlot*>(m_plot) : nullptr;
}

void TMassPlotPropertiesBag::assignFromPlot()
{
    TBasePlotPropertiesBag::assignFromPlot();
    if (const T1DMassPlot* p = massPlot()) {
        peakProperties = p->peakProperties();
        titleProperties = p->titleProperties();
        highlight = p->highlight();
        kind = p->kind();
    }
}

void TMassPlotPropertiesBag::applyTo(TBasePlot* plot) const
{
    TBasePlotPropertiesBag::applyTo(plot);
    if (!plot || plot->type() != 1)
        return;
    if (auto* p = dynamic_cast<T1DMassPlot*>(plot)) {
        p->setPeakProperties(peakProperties);
        p->setTitleProperties(titleProperties);
        p->setHighlight(highlight);
    }
}

void TMassPlotPropertiesBag::write(TDataStream& s) const
{
    TBasePlotPropertiesBag::write(s);
    s.beginBlock();
    s.endBlock();
    s << kind;
    peakProperties.write(s);
    titleProperties.write(s);
    highlight.write(s);
}

bool TMassPlotPropertiesBag::read(TDataStream& s)
{
    if (!s.ok())
        return false;
    T1DPlotProperties group = lineProperties();
    TPlotAxisRecord axes[2] = {m_axes[0], m_axes[1]};
    if (!readBase(s, &group, axes))
        return false;
    s.skipBlock();
    qint32 k = kind;
    s >> k;
    TMSPeakProperties peaks = peakProperties;
    TMSTitleProperties title = titleProperties;
    TMSHighlightProperties light = highlight;
    if (!s.ok() || !peaks.read(s) || !title.read(s) || !light.read(s))
        return false;
    lineProperties() = group;
    m_axes[0] = axes[0];
    m_axes[1] = axes[1];
    kind = k;
    peakProperties = peaks;
    titleProperties = title;
    highlight = light;
    return true;
}

QString TMassPlotPropertiesBag::defaultsKey() const
{
    return kind == 1 ? QStringLiteral("Mass/Plot Properties/Chromatogram")
                     : QStringLiteral("Mass/Plot Properties/Spectrum");
}

void TMassPlotPropertiesBag::saveDefaults() const
{
    QSettings().setValue(defaultsKey(), propertiesBagToByteArray(*this));
}

bool TMassPlotPropertiesBag::loadDefaults()
{
    const QByteArray bytes = QSettings().value(defaultsKey()).toByteArray();
    if (bytes.isEmpty())
        return false;
    return readPropertiesBag(bytes, *this);
}

// ---- byte arrays ----

QByteArray propertiesBagToByteArray(const TBasePlotPropertiesBag& bag)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly, 0);
    bag.write(s);
    return bytes;
}

bool readPropertiesBag(const QByteArray& bytes, TBasePlotPropertiesBag& bag)
{
    QByteArray copy = bytes;
    TDataStream s(&copy, QIODevice::ReadOnly, 0);
    return bag.read(s);
}

TBasePlotPropertiesBag& propertiesBagFromByteArray(const QByteArray& bytes, TBasePlotPropertiesBag& bag)
{
    readPropertiesBag(bytes, bag);
    return bag;
}
