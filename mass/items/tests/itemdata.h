// Shared by the item tests and the item fuzz target: a spectrum item of
// the tests (bands of equal height for the visible plots, mass plots of
// type 1 without a data source) and the plug-in data an item writes and
// reads.
#pragma once

#include <QByteArray>

#include "t1dmassplot.h"
#include "tcanvasspectrum.h"
#include "tdatastream.h"

namespace itemtest {

class Strip : public TCanvasSpectrum {
public:
    Strip() : TCanvasSpectrum(MassSpectrumItemType, 7, QStringLiteral("Strip"), nullptr) {}
    void layoutPlots(const QRectF& rect, QList<QRectF>& rects) const override
    {
        const int n = visiblePlotCount();
        double y = rect.y();
        for (const TBasePlot* p : plots()) {
            if (n > 0 && p->visible()) {
                rects.append(QRectF(rect.x(), y, rect.width(), rect.height() / n));
                y += rect.height() / n;
            } else {
                rects.append(QRectF());
            }
        }
    }
    TBasePlot* createPlot(int type, const QUuid& id) override
    {
        return type == 1 ? new T1DMassPlot(id, nullptr) : nullptr;
    }
};

inline QByteArray pluginData(const TCanvasItem& item)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly);
    item.writePluginData(s);
    return bytes;
}

// Answers whether the stream stayed Ok.
inline bool readPluginData(TCanvasItem& item, const QByteArray& bytes)
{
    QByteArray copy = bytes;
    TDataStream s(&copy, QIODevice::ReadOnly);
    item.readPluginData(s);
    return s.ok();
}

}  // namespace itemtest
