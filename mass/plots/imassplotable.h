// IMassPlotable: the data source of a mass plot. The mass item that owns
// the plots implements it; a plot asks it, by its own identifier (the
// identifier of the data object it shows), for the data to paint and for
// its expanded title. The plot never owns its source.
#pragma once

#include <QString>
#include <QUuid>

class IMassPlotData;

class IMassPlotable {
public:
    // The data object of the plot, or null; the source keeps it.
    virtual IMassPlotData* plotData(const QUuid& plotId) = 0;
    // The title format expanded with the title macros for the plot's data
    // object, the open dataset and its file name; empty when the source
    // has no data object for the plot.
    virtual QString plotTitle(const QUuid& plotId, const QString& format, int decimals) = 0;

protected:
    ~IMassPlotable() = default;
};
