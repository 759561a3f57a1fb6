// Plot property bags: a detached copy of everything a user can set on a
// plot, which the property pages edit instead of the plot, the property
// command applies and keeps for undo, and the application settings keep as
// the default look of new spectrum and chromatogram plots.
//
// TBasePlotPropertiesBag: the plot it was made for (not owned, may be
// null), its own property group (owned, may be null), and per axis the
// visibility, caption, caption visibility, decimals and log scale.
// TMassPlotPropertiesBag adds the peak label, title and highlight records
// and the plot kind; its group is always a 1-D group of its own.
//
// Stream forms (block stream):
//   axis record: a block holding a block (an empty block, logScale as a
//                bool), visible and captionVisible (qint8), caption
//                (QString), decimals (qint32);
//   base bag:    a block holding an empty block, a block with the group's
//                form (empty without a group), the records of axis 1 and 2;
//   mass bag:    the base form, then an empty block, kind (qint32), the
//                peak label, title and highlight records.
// Reading goes into copies: damaged bytes leave the stream failed and the
// bag as it was.
//
// Stored defaults: "Mass/Plot Properties/Chromatogram" (kind 1) or
// "Mass/Plot Properties/Spectrum" (any other kind) in the application
// settings of the default scope, the bag's bytes as a QByteArray.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <memory>

#include "tlabelproperties.h"
#include "tplotproperties.h"

class TBasePlot;
class T1DMassPlot;
class TDataStream;

struct TPlotAxisRecord {
    bool visible = true;
    bool captionVisible = true;
    QString caption;
    int32_t decimals = 3;
    bool logScale = false;

    void write(TDataStream& s) const;
    bool read(TDataStream& s);
    bool operator==(const TPlotAxisRecord& o) const
    {
        return visible == o.visible && captionVisible == o.captionVisible && caption == o.caption &&
               decimals == o.decimals && logScale == o.logScale;
    }
};

class TBasePlotPropertiesBag {
public:
    // The bag takes `group` (may be null).
    explicit TBasePlotPropertiesBag(TBasePlot* plot = nullptr, TBasePlotProperties* group = nullptr);
    virtual ~TBasePlotPropertiesBag();
    TBasePlotPropertiesBag(const TBasePlotPropertiesBag&) = delete;
    TBasePlotPropertiesBag& operator=(const TBasePlotPropertiesBag&) = delete;

    // Group (when of the plot's kind) and axis records from the bag's plot;
    // nothing without a plot.
    virtual void assignFromPlot();
    // Group and axis records into the plot; nothing for a null plot.
    virtual void applyTo(TBasePlot* plot) const;
    // False when the stream failed; the bag then keeps what it held.
    virtual bool read(TDataStream& s);
    virtual void write(TDataStream& s) const;

    TBasePlot* plot() const { return m_plot; }
    QUuid plotId() const;
    TBasePlotProperties* group() { return m_group.get(); }
    const TBasePlotProperties* group() const { return m_group.get(); }
    // Axis 2 for n = 2, axis 1 for any other number.
    TPlotAxisRecord& axisRecord(int n) { return m_axes[n == 2 ? 1 : 0]; }
    const TPlotAxisRecord& axisRecord(int n) const { return m_axes[n == 2 ? 1 : 0]; }

protected:
    // The base part read into copies of the group and records.
    bool readBase(TDataStream& s, TBasePlotProperties* group, TPlotAxisRecord (&axes)[2]) const;
    static std::unique_ptr<TBasePlotProperties> copyGroup(const TBasePlotProperties* group);

    TBasePlot* m_plot;
    std::unique_ptr<TBasePlotProperties> m_group;
    TPlotAxisRecord m_axes[2];
};

class TMassPlotPropertiesBag : public TBasePlotPropertiesBag {
public:
    // No plot, defaults everywhere, a default 1-D group.
    TMassPlotPropertiesBag();
    // The plot's group (a copy), mass records and kind; default axis
    // records until assignFromPlot. A null plot gives a default bag.
    explicit TMassPlotPropertiesBag(T1DMassPlot* plot);
    // The other's plot, group (a copy), mass records and kind; default
    // axis records.
    TMassPlotPropertiesBag(const TMassPlotPropertiesBag& other);

    void assignFromPlot() override;
    // The base part, then, for a mass plot, the peak label, title and
    // highlight records (kind and trace style stay the plot's).
    void applyTo(TBasePlot* plot) const override;
    bool read(TDataStream& s) override;
    void write(TDataStream& s) const override;

    // The plot when it is a mass plot, else null.
    T1DMassPlot* massPlot() const;
    T1DPlotProperties& lineProperties() { return static_cast<T1DPlotProperties&>(*m_group); }
    const T1DPlotProperties& lineProperties() const { return static_cast<const T1DPlotProperties&>(*m_group); }

    // The settings key of the bag's kind.
    QString defaultsKey() const;
    void saveDefaults() const;
    // False, the bag unchanged, when nothing (or nothing readable) is
    // stored for the bag's kind.
    bool loadDefaults();

    TMSPeakProperties peakProperties;
    TMSTitleProperties titleProperties;
    TMSHighlightProperties highlight;
    int32_t kind = 0;
};

// The bag's write form in a new array.
QByteArray propertiesBagToByteArray(const TBasePlotPropertiesBag& bag);
// Runs the bag's read over the bytes; answers the bag.
TBasePlotPropertiesBag& propertiesBagFromByteArray(const QByteArray& bytes, TBasePlotPropertiesBag& bag);
// The same, answering whether the bytes read (the bag unchanged if not).
bool readPropertiesBag(const QByteArray& bytes, TBasePlotPropertiesBag& bag);
