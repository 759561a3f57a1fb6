// The mass item's plots: new plots by data kind, entering, refreshing,
// replacing and removing plots with their objects, stored plot defaults,
// the layout bands, the subtype texts and the point nearest to a value.
#include <QSettings>

#include "itemtest.h"
#include "t1dmassplot.h"
#include "tmassdataobj.h"
#include "tplotpropertiesbag.h"

using namespace itemtest;

namespace {

TMassSpecDataObj* plotSpectrum(std::vector<double> mz, std::vector<double> intensity, bool centroid = false)
{
    TKSMassSpectrum s;
    EXPECT_TRUE(s.setPoints(std::move(mz), std::move(intensity)));
    s.setCentroid(centroid);
    return new TMassSpecDataObj(QUuid::createUuid(), s, 1);
}

TChromatogramDataObj* plotChromatogram(std::vector<double> times, std::vector<double> intensity)
{
    TKSChromatogram c;
    EXPECT_TRUE(c.setPoints(std::move(times), std::move(intensity)));
    return new TChromatogramDataObj(QUuid::createUuid(), c, 1);
}

T1DMassPlot* massPlotOf(TCanvasMass& item, const QUuid& id)
{
    return static_cast<T1DMassPlot*>(item.plot(id, false));
}

}  // namespace

class MassItemPlots : public ItemTest {};

TEST_F(MassItemPlots, NewPlotsByDataKind)
{
    struct Case {
        const char* name;
        TMassDataObj* object;
        int kind, style;
        const char* caption;
    };
    std::unique_ptr<TMassDataObj> objects[] = {
        std::unique_ptr<TMassDataObj>(plotChromatogram({0.5}, {10})),
        std::unique_ptr<TMassDataObj>(plotChromatogram({0.5, 0.6, 0.7}, {10, 20, 5})),
        std::unique_ptr<TMassDataObj>(plotSpectrum({100, 100.1, 100.2}, {1, 5, 1})),
        std::unique_ptr<TMassDataObj>(plotSpectrum({100, 101}, {5, 3}, true)),
    };
    const Case cases[] = {
        {"chromatogram of one point", objects[0].get(), 1, 2, "Retention time (min)"},
        {"chromatogram", objects[1].get(), 1, 1, "Retention time (min)"},
        {"profile spectrum", objects[2].get(), 2, 1, "m/z (Da)"},
        {"centroided spectrum", objects[3].get(), 2, 2, "m/z (Da)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<T1DMassPlot> p(TCanvasMass::newPlot(c.object, nullptr));
        EXPECT_EQ(p->type(), 1);
        EXPECT_EQ(p->id(), c.object->id());
        EXPECT_EQ(p->visible(), 1);
        EXPECT_EQ(p->kind(), c.kind);
        EXPECT_EQ(p->traceStyle(), c.style);
        EXPECT_EQ(p->axis(1).caption, c.caption);
        EXPECT_EQ(p->axis(2).caption, "Intensity");
        EXPECT_FALSE(p->axis(2).captionVisible);
        EXPECT_EQ(p->intensityScale(), 1.0);
        const int flags = p->peakProperties().peakFlags;
        if (c.kind == 1) {
            EXPECT_EQ(flags & 0x1e, 0);
        } else {
            EXPECT_EQ(flags & 0x04, 0x04);
        }
    }
}

TEST_F(MassItemPlots, CreatePlotKnowsTypeOneOnly)
{
    TCanvasMass* item = emptyItem();
    const QUuid id = QUuid::createUuid();
    std::unique_ptr<TBasePlot> p(item->createPlot(1, id));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->id(), id);
    for (int type : {0, 2, 7, 65535})
        EXPECT_EQ(std::unique_ptr<TBasePlot>(item->createPlot(type, id)), nullptr) << type;
}

TEST_F(MassItemPlots, EnterRefreshReplaceAndRemove)
{
    TCanvasMass* item = emptyItem();
    item->addPlotObject(nullptr);
    EXPECT_EQ(item->plotCount(), 0);

    TMassSpecDataObj* s = plotSpectrum({100, 101, 102}, {5, 50, 10});
    item->addPlotObject(s);
    ASSERT_EQ(item->plotCount(), 1);
    T1DMassPlot* p = massPlotOf(*item, s->id());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(item->currentPlot(), p);
    EXPECT_EQ(item->currentDataObject(), s);
    EXPECT_EQ(item->plotData(s->id()), s);
    EXPECT_EQ(p->source(), static_cast<IMassPlotable*>(item));
    // Ranges from the data.
    const TDataRange x = s->fullRange(0);
    EXPECT_EQ(p->axis(1).fullFrom, x.from);
    EXPECT_EQ(p->axis(1).fullTo, x.to);
    const QUuid sid = s->id();

    // The intensity scale is multiplied into axis 2; cuts and zoom go.
    p->setIntensityScale(2.0);
    p->zoom(1, 100.5, 101.5);
    item->refreshPlotFor(p);
    const TDataRange y = s->fullRange(1);
    EXPECT_EQ(p->axis(2).fullFrom, y.from * 2);
    EXPECT_EQ(p->axis(2).fullTo, y.to * 2);
    EXPECT_EQ(p->axis(1).visibleFrom, x.from);
    EXPECT_EQ(p->axis(1).visibleTo, x.to);
    item->refreshPlotFor(nullptr);
    item->refreshPlot(p, nullptr);

    // Replacing a spectrum shows its hidden plot again and centroids it.
    item->setPlotVisible(s->id(), false);
    EXPECT_EQ(item->currentPlot(), nullptr);
    TKSMassSpectrum replacement;
    replacement.setPoints({200, 200.05, 200.1, 200.15, 200.2}, {1, 10, 40, 10, 1});
    auto* r = new TMassSpecDataObj(sid, replacement, 1);
    // The plot is refreshed to the object as it comes, then it is centroided.
    const TDataRange rx = r->fullRange(0);
    TMassDataObj* old = item->replaceDataObject(r);
    EXPECT_EQ(old, s);
    s = nullptr;
    delete old;
    EXPECT_EQ(item->dataObject(sid), r);
    EXPECT_EQ(p->visible(), 1);
    EXPECT_EQ(item->currentPlot(), nullptr);  // the current plot does not change
    EXPECT_EQ(p->axis(1).fullFrom, rx.from);
    EXPECT_EQ(p->traceStyle(), r->isCentroid() ? 2 : 1);
    // An object that has its peaks keeps them (building appends), as when
    // an undo gives the replaced object back.
    TKSMassSpectrum sticks;
    ASSERT_TRUE(sticks.setPoints({200, 201, 202}, {5, 9, 3}));
    sticks.setCentroid(true);
    auto* withPeaks = new TMassSpecDataObj(sid, sticks, 1);
    withPeaks->buildPeaks();
    ASSERT_EQ(withPeaks->peaks().size(), 3);
    EXPECT_EQ(item->replaceDataObject(withPeaks), r);
    EXPECT_EQ(withPeaks->peaks().size(), 3);
    EXPECT_EQ(item->replaceDataObject(r), withPeaks);
    delete withPeaks;

    // An identifier the map does not hold: nothing.
    std::unique_ptr<TMassSpecDataObj> stranger(plotSpectrum({1, 2}, {1, 1}));
    EXPECT_EQ(item->replaceDataObject(stranger.get()), nullptr);
    EXPECT_EQ(item->dataObject(stranger->id()), nullptr);

    // An object whose plot is gone: the plot step is skipped.
    std::unique_ptr<TBasePlot> taken(item->takePlot(r->id()));
    auto* second = new TMassSpecDataObj(r->id(), replacement, 1);
    old = item->replaceDataObject(second);
    EXPECT_EQ(old, r);
    delete old;
    item->addPlotObject(second, taken.release());
    ASSERT_EQ(item->plotCount(), 1);

    // Removing hands plot and object out, or deletes them.
    TMassDataObj* outObject = nullptr;
    TBasePlot* outPlot = nullptr;
    item->removePlotObject(second->id(), &outObject, &outPlot);
    EXPECT_EQ(outObject, second);
    EXPECT_EQ(outPlot, p);
    EXPECT_EQ(item->plotCount(), 0);
    EXPECT_TRUE(item->dataObjects().isEmpty());
    // Given back unchanged (the undo of a removal).
    item->addPlotObject(outObject, outPlot);
    EXPECT_EQ(item->plotAtIndex(0), p);
    item->removePlotObject(second->id());
    EXPECT_EQ(item->plotCount(), 0);
    item->removePlotObject(QUuid::createUuid(), &outObject, &outPlot);
    EXPECT_EQ(outObject, nullptr);
    EXPECT_EQ(outPlot, nullptr);
}

TEST_F(MassItemPlots, NewSpectrumPlotsTakeTheStoredDefaults)
{
    TMassPlotPropertiesBag defaults;
    defaults.kind = T1DMassPlot::Spectrum;
    QPen pen(QColor(12, 34, 56));
    defaults.lineProperties().setTracePen(pen);
    defaults.saveDefaults();

    TCanvasMass* item = emptyItem();
    TMassSpecDataObj* s = plotSpectrum({100, 101}, {5, 50});
    TChromatogramDataObj* c = plotChromatogram({0.1, 0.2, 0.3}, {1, 3, 2});
    item->addPlotObject(s);
    item->addPlotObject(c);
    EXPECT_EQ(massPlotOf(*item, s->id())->tracePen().color(), QColor(12, 34, 56));
    const std::unique_ptr<T1DMassPlot> plain(TCanvasMass::newPlot(c, nullptr));
    EXPECT_EQ(massPlotOf(*item, c->id())->tracePen(), plain->tracePen());
    // The plot kind and its captions stay the plot's.
    EXPECT_EQ(massPlotOf(*item, s->id())->kind(), T1DMassPlot::Spectrum);
}

TEST_F(MassItemPlots, LayoutBandsAndSubtypes)
{
    TCanvasMass* item = emptyItem();
    QList<QRectF> rects;
    item->layoutPlots(QRectF(10, 20, 400, 300), rects);
    EXPECT_TRUE(rects.isEmpty());

    TChromatogramDataObj* c = plotChromatogram({0.1, 0.2, 0.3}, {1, 3, 2});
    TMassSpecDataObj* s1 = plotSpectrum({100, 101}, {5, 50});
    TMassSpecDataObj* s2 = plotSpectrum({200, 201}, {5, 50});
    item->addPlotObject(c);
    item->addPlotObject(s1);
    item->addPlotObject(s2);
    EXPECT_EQ(item->subtype(), "Chrom/Spec/Spec");
    item->setPlotVisible(s1->id(), false);
    item->layoutPlots(QRectF(10, 20, 400, 300), rects);
    EXPECT_EQ(rects, QList<QRectF>({QRectF(10, 20, 400, 150), QRectF(0, 0, 0, 0), QRectF(10, 170, 400, 150)}));
    EXPECT_EQ(item->subtype(), "Chrom/Spec");
    item->setPlotVisible(c->id(), false);
    EXPECT_EQ(item->subtype(), "Spec");

    // No visible plot: one empty rectangle per plot, no division by 0.
    item->setPlotVisible(s2->id(), false);
    rects.clear();
    item->layoutPlots(QRectF(10, 20, 400, 300), rects);
    EXPECT_EQ(rects, QList<QRectF>({QRectF(0, 0, 0, 0), QRectF(0, 0, 0, 0), QRectF(0, 0, 0, 0)}));
    EXPECT_EQ(item->subtype(), "");
    QPointF v(0.2, 1);
    EXPECT_FALSE(item->mapToPlotValues(v, 3));
}

TEST_F(MassItemPlots, PointNear)
{
    TCanvasMass* item = emptyItem();
    TMassSpecDataObj* three = plotSpectrum({100, 101, 102}, {10, 20, 30}, true);
    item->addPlotObject(three);
    struct Case {
        const char* name;
        double v;
        bool found;
        QPointF point;
    };
    // Extent 2, tolerance 0.1.
    const Case cases[] = {
        {"within the tolerance", 101.05, true, QPointF(101, 20)},
        {"between points", 100.5, false, QPointF()},
        {"first point", 99.95, true, QPointF(100, 10)},
        {"last point", 102.1, true, QPointF(102, 30)},
        {"below everything", 50, false, QPointF()},
        {"above everything", 150, false, QPointF()},
        {"not a number", std::nan(""), false, QPointF()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPointF p(-1, -1);
        EXPECT_EQ(item->pointNear(c.v, p), c.found);
        if (c.found) {
            EXPECT_EQ(p, c.point);
        }
    }
    // Ties go to the higher index: 100 .. 120, tolerance 1, 101.5 between
    // 101 and 102.
    std::vector<double> x, y;
    for (int i = 0; i <= 20; ++i) {
        x.push_back(100 + i);
        y.push_back(i);
    }
    TMassSpecDataObj* many = plotSpectrum(x, y, true);
    item->addPlotObject(many);
    item->setCurrentPlot(item->plot(many->id(), false));
    QPointF p;
    ASSERT_TRUE(item->pointNear(101.5, p));
    EXPECT_EQ(p, QPointF(102, 2));
    ASSERT_TRUE(item->pointNear(101.4, p));
    EXPECT_EQ(p, QPointF(101, 1));
    // No current plot: false.
    item->setCurrentPlot(nullptr);
    EXPECT_FALSE(item->pointNear(101, p));
}
