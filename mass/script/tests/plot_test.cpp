// The plot object and its property objects over the bundled text dataset's
// chromatogram and spectrum plots: identity, scales and peaks, zoom with
// its errors, every property group as tables, nested assignment, the
// label objects, and property objects kept past their plot or item.
#include "scripttest.h"

#include <QFont>

#include <cmath>
#include <memory>

#include "massutils.h"
#include "t1dmassplot.h"
#include "t1dplot.h"
#include "tmassdataobj.h"
#include "tmassplotwrapper.h"

using namespace scripttest;

namespace {

// A plot of another type (3) under the id of one of the item's data
// objects: the item's plot() makes no plot object of it.
class ForeignPlot : public T1DPlot {
public:
    explicit ForeignPlot(const QUuid& id) : T1DPlot(3, id), m_inner(1, 1, id, nullptr) {}
    TBasePlotter& plotter() override { return m_inner.plotter(); }
    const TBasePlotter& plotter() const override { return m_inner.plotter(); }
    void draw(QPainter*) override {}
    void fitIntensityToHeight() override {}

private:
    T1DMassPlot m_inner;
};

}  // namespace


class ScriptPlot : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        item = import(bundledTextDataset(), kTextProviderId);
        publish("x", item);
        run("var it = MassItem(x)");
        for (int i = 0; i < item->plotCount(); ++i) {
            auto* p = static_cast<T1DMassPlot*>(item->plotAtIndex(i));
            (p->kind() == T1DMassPlot::Chromatogram ? chromatogram : spectrum) = p;
            if (p->kind() == T1DMassPlot::Chromatogram)
                run(QString("var c = it.plot(%1)").arg(i));
            else
                run(QString("var s = it.plot(%1)").arg(i));
        }
        ASSERT_NE(chromatogram, nullptr);
        ASSERT_NE(spectrum, nullptr);
    }

    TCanvasMass* item = nullptr;
    T1DMassPlot* chromatogram = nullptr;
    T1DMassPlot* spectrum = nullptr;
};

TEST_F(ScriptPlot, IdentityAndScales)
{
    EXPECT_EQ(run("[c.valid, c.visible, c.type, s.type].join()").toString(), "true,true,1,2");
    EXPECT_EQ(run("c.id").toString(), chromatogram->id().toString());
    EXPECT_EQ(run("c.description").toString(), item->dataObject(chromatogram->id())->description());
    EXPECT_EQ(run("s.description").toString(), item->dataObject(spectrum->id())->description());
    EXPECT_FALSE(run("c.description").toString().isEmpty());
    EXPECT_EQ(run("c.properties.objectName").toString(), "MassPlotProperties");
    EXPECT_EQ(run("c.properties").toQObject(), run("c.properties").toQObject());

    // Fresh copies with the plot's numbers; changing one moves nothing.
    chromatogram->zoom(1, 0.3, 0.6);
    const TPlotAxis& h = chromatogram->axis(1);
    const TPlotAxis& v = chromatogram->axis(2);
    run("var a = c.scale; var f = c.fullScale");
    struct Member {
        const char* script;
        double value;
    };
    for (const Member& m : {Member{"a.horizontal.from", h.visibleFrom}, Member{"a.horizontal.to", h.visibleTo},
                            Member{"a.vertical.from", v.visibleFrom}, Member{"a.vertical.to", v.visibleTo},
                            Member{"f.horizontal.from", h.fullFrom}, Member{"f.horizontal.to", h.fullTo},
                            Member{"f.vertical.from", v.fullFrom}, Member{"f.vertical.to", v.fullTo}})
        EXPECT_EQ(run(m.script).toNumber(), m.value) << m.script;
    EXPECT_DOUBLE_EQ(h.visibleFrom, 0.3);
    EXPECT_NE(h.fullFrom, 0.3);
    EXPECT_FALSE(run("c.scale === c.scale").toBool());
    run("a.horizontal.from = 0.5; c.scale.horizontal.from = 0.5");
    EXPECT_DOUBLE_EQ(h.visibleFrom, 0.3);
}

TEST_F(ScriptPlot, Peaks)
{
    const auto* chromData = TChromatogramDataObj::cast(item->dataObject(chromatogram->id()));
    ASSERT_NE(chromData, nullptr);
    ASSERT_FALSE(chromData->peaks().isEmpty());
    EXPECT_EQ(run("c.peaks.length").toInt32(), chromData->peaks().size());
    const TMSChromPeak& first = chromData->peaks().first();
    run("var k = c.peaks[0]");
    struct Member {
        const char* script;
        double value;
    };
    for (const Member& m : {Member{"k.center.x", first.position.x()}, Member{"k.center.y", first.position.y()},
                            Member{"k.start.x", first.start.x()}, Member{"k.start.y", first.start.y()},
                            Member{"k.end.x", first.end.x()}, Member{"k.end.y", first.end.y()},
                            Member{"k.height", first.height}, Member{"k.area", first.area},
                            Member{"k.scan", double(first.scan)}, Member{"k.type", double(first.peakType)}})
        EXPECT_EQ(run(m.script).toNumber(), m.value) << m.script;
    EXPECT_GT(first.height, 0);
    EXPECT_EQ(run("Object.keys(c.peaks[0]).sort().join()").toString(), "area,center,end,height,scan,start,type");

    auto* specData = TMassSpecDataObj::cast(item->dataObject(spectrum->id()));
    ASSERT_NE(specData, nullptr);
    ASSERT_FALSE(specData->peaks().isEmpty());
    EXPECT_EQ(run("s.peaks.length").toInt32(), specData->peaks().size());
    EXPECT_EQ(run("Object.keys(s.peaks[0]).join()").toString(), "center");
    EXPECT_DOUBLE_EQ(run("s.peaks[1].center.x").toNumber(), specData->peaks().at(1).position.x());
    EXPECT_DOUBLE_EQ(run("s.peaks[1].center.y").toNumber(), specData->peaks().at(1).position.y());
    // Without peaks: undefined, not an empty array.
    specData->peaks().clear();
    EXPECT_TRUE(run("s.peaks").isUndefined());
}

TEST_F(ScriptPlot, Zoom)
{
    const TPlotAxis& h = chromatogram->axis(1);
    const TPlotAxis& v = chromatogram->axis(2);
    struct Error {
        const char* script;
        const char* message;
    };
    const Error errors[] = {
        {"c.zoom('x')", "Incorrect Arguments ( Invalid scale orientation type )"},
        {"c.zoom(5)", "Incorrect Arguments ( Invalid scale orientation type )"},
        {"c.zoom(5, {from: 0, to: 1})", "Incorrect Arguments ( Invalid scale orientation type )"},
        {"c.zoom('vert', {from: 10})", "Incorrect Arguments ( Invalid scale range object )"},
        {"c.zoom('vert', {to: 10})", "Incorrect Arguments ( Invalid scale range object )"},
        {"c.zoom('vert', 10)", "Incorrect Arguments ( Invalid scale range object )"},
        {"c.zoom('vert', {from: '0', to: 10})", "Incorrect Arguments ( Invalid scale range object )"},
        {"c.zoom('horz', {from: NaN, to: 0.5})", "Incorrect Arguments ( Invalid scale range object )"},
        {"c.zoom('horz', {from: 0.2, to: Infinity})", "Incorrect Arguments ( Invalid scale range object )"},
        {"c.zoom('vert', {from: 0, to: 100}, 1)", "Number of arguments is incorrect."},
        {"c.zoom('x', 1, 2)", "Number of arguments is incorrect."},
    };
    chromatogram->zoom(1, 0.3, 0.6);
    chromatogram->zoom(2, 10, 20);
    for (const Error& e : errors) {
        EXPECT_EQ(error(e.script), e.message) << e.script;
        EXPECT_EQ(h.visibleFrom, 0.3) << e.script;
        EXPECT_EQ(v.visibleFrom, 10) << e.script;
        EXPECT_TRUE(std::isfinite(h.visibleTo)) << e.script;
    }
    // One axis back to its full range, the other as it was.
    EXPECT_TRUE(run("c.zoom('HORIZONTAL')").isUndefined());
    EXPECT_EQ(h.visibleFrom, h.fullFrom);
    EXPECT_EQ(h.visibleTo, h.fullTo);
    EXPECT_EQ(v.visibleFrom, 10);
    run("c.zoom('Horz', {from: 0.25, to: 0.45})");
    EXPECT_DOUBLE_EQ(h.visibleFrom, 0.25);
    EXPECT_DOUBLE_EQ(h.visibleTo, 0.45);
    run("c.zoom('vertical')");
    EXPECT_EQ(v.visibleFrom, v.fullFrom);
    EXPECT_DOUBLE_EQ(h.visibleFrom, 0.25);
    run("c.zoom('vert', {from: 5, to: 6}); c.zoom()");
    EXPECT_EQ(h.visibleFrom, h.fullFrom);
    EXPECT_EQ(v.visibleTo, v.fullTo);
}

TEST_F(ScriptPlot, InvalidPlotObjects)
{
    // The item makes an object without a plot for a plot whose type is not
    // 1; one whose plot was deleted reads the same.
    engine->globalObject().setProperty("none", engine->newQObject(new TMassPlotWrapper(item, QUuid()),
                                                                  QScriptEngine::ScriptOwnership));
    run(QString("var p = it.plot(%1)").arg(item->plotIndex(spectrum->id())));
    item->removePlotObject(spectrum->id());
    engine->collectGarbage();
    struct Read {
        const char* script;
        QString answer;
    };
    const Read reads[] = {
        {"p.valid", "false"},       {"p.visible", "false"},   {"p.description", ""},
        {"p.type", "0"},            {"p.id", QUuid().toString()}, {"p.properties", "undefined"},
        {"p.scale", "undefined"},   {"p.fullScale", "undefined"}, {"p.peaks", "undefined"},
        {"p.zoom('x')", "undefined"}, {"p.zoom()", "undefined"},
    };
    for (const Read& r : reads) {
        EXPECT_EQ(run(r.script).toString(), r.answer) << r.script;
        EXPECT_EQ(run(QString(r.script).replace("p.", "none.")).toString(), r.answer) << r.script;
    }
}

TEST_F(ScriptPlot, PlotsOfAnotherType)
{
    // The chromatogram's plot swapped for a plot of type 3 with its id.
    const int index = item->plotIndex(chromatogram->id());
    run(QString("var before = it.plot(%1)").arg(index));
    std::unique_ptr<TBasePlot> taken(item->takePlot(chromatogram->id()));
    item->addPlot(new ForeignPlot(taken->id()));
    const int foreign = item->plotCount() - 1;
    ASSERT_NE(item->dataObject(taken->id()), nullptr);
    for (const char* name : {"before", "other"}) {
        if (QString(name) == "other")
            run(QString("var other = it.plot(%1)").arg(foreign));
        EXPECT_EQ(run(QString("[%1.valid, %1.visible, %1.type, %1.id, typeof %1.properties, typeof %1.peaks, "
                              "typeof %1.scale, %1.description].join('|')")
                          .arg(name))
                      .toString(),
                  QString("false|false|0|%1|undefined|undefined|undefined|").arg(QUuid().toString()))
            << name;
        EXPECT_TRUE(run(QString("%1.zoom('horz', {from: 0, to: 1})").arg(name)).isUndefined()) << name;
    }
    EXPECT_EQ(error("it.selectSpectra(other, 0.3)"), "Invalid Parameter Value ( Invalid chromatogram plot object )");
    chromatogram = nullptr;
}

class ScriptPlotProperties : public ScriptPlot {
protected:
    void SetUp() override
    {
        ScriptPlot::SetUp();
        run("var pr = c.properties");
    }
    const T1DPlotProperties& group() const { return chromatogram->lineProperties(); }
};

TEST_F(ScriptPlotProperties, BackgroundOpacityAndColour)
{
    EXPECT_EQ(run("pr.valid").toBool(), true);
    EXPECT_EQ(run("pr.background.objectName").toString(), "MassPlotBackgroundProps");
    run("pr.background.opacity = 50");
    EXPECT_EQ(run("pr.background.opacity").toInt32(), 50);
    // Kept at 16 bits: 0.28999.. cut toward zero.
    run("pr.background.opacity = 29");
    EXPECT_EQ(run("pr.background.opacity").toInt32(), 28);
    for (const char* value : {"101", "-1", "1e10"}) {
        run(QString("pr.background.opacity = %1").arg(value));
        EXPECT_EQ(run("pr.background.opacity").toInt32(), 28) << value;
    }
    // A colour name keeps the opacity; an invalid one changes nothing.
    run("pr.background.color = 'red'");
    EXPECT_EQ(run("pr.background.color").toString(), "#ff0000");
    EXPECT_EQ(group().background().color().alpha(), QColor::fromRgbF(0, 0, 0, 0.29).alpha());
    run("pr.background.color = 'nocolour'");
    EXPECT_EQ(run("pr.background.color").toString(), "#ff0000");
    run("pr.background.opacity = 100");
    EXPECT_EQ(group().background().color().alpha(), 255);
    // The engine's integer conversion: NaN is 0.
    run("pr.background.opacity = NaN");
    EXPECT_EQ(run("pr.background.opacity").toInt32(), 0);
    EXPECT_EQ(group().background().color().red(), 255);
}

TEST_F(ScriptPlotProperties, GridFlagsAndFrame)
{
    struct Flag {
        const char* name;
        int bit;
    };
    for (const Flag& f : {Flag{"showHorizontal", 2}, Flag{"showVertical", 1}, Flag{"showOver", 256},
                          Flag{"showBaseline", 16}}) {
        const int before = group().flags();
        run(QString("pr.grid.%1 = true").arg(f.name));
        EXPECT_EQ(group().flags(), before | f.bit) << f.name;
        EXPECT_TRUE(run(QString("pr.grid.%1").arg(f.name)).toBool()) << f.name;
        run(QString("pr.grid.%1 = false").arg(f.name));
        EXPECT_EQ(group().flags(), before & ~f.bit) << f.name;
        EXPECT_FALSE(run(QString("pr.grid.%1").arg(f.name)).toBool()) << f.name;
    }
    T1DPlotProperties g = group();
    g.setFrameSides(5);
    chromatogram->setProperties(g);
    EXPECT_FALSE(run("pr.grid.showFrame").toBool());
    run("pr.grid.showFrame = true");
    EXPECT_EQ(group().frameSides(), 15);
    EXPECT_TRUE(run("pr.grid.showFrame").toBool());
    run("pr.grid.showFrame = false");
    EXPECT_EQ(group().frameSides(), 0);
    run("pr.grid.color = '#00FF00'");
    EXPECT_EQ(run("pr.grid.color").toString(), "#00ff00");
    run("pr.grid.color = 'bad'");
    EXPECT_EQ(group().gridPen().color(), QColor(0, 255, 0));
}

TEST_F(ScriptPlotProperties, AxesMarginFontAndAxisObjects)
{
    run("pr.axes.margin = 5");
    EXPECT_DOUBLE_EQ(group().margin(), 5 * 11.811023622047244);
    EXPECT_DOUBLE_EQ(run("pr.axes.margin").toNumber(), 5);
    for (const char* value : {"NaN", "Infinity", "-Infinity", "'abc'", "1e308"}) {
        run(QString("pr.axes.margin = %1").arg(value));
        EXPECT_DOUBLE_EQ(group().margin(), 5 * 11.811023622047244) << value;
    }
    run("pr.axes.margin = -2");  // no range check
    EXPECT_DOUBLE_EQ(run("pr.axes.margin").toNumber(), -2);
    run("pr.axes.color = 'blue'");
    EXPECT_EQ(group().axesPen().color(), QColor(Qt::blue));
    run("pr.axes.font = {family: 'Courier', size: 12, bold: true, italic: true, underline: true}");
    EXPECT_EQ(group().font().family(), "Courier");
    EXPECT_EQ(group().font().pointSize(), 12);
    EXPECT_TRUE(group().font().bold());
    EXPECT_TRUE(group().font().italic());
    EXPECT_TRUE(group().font().underline());
    // The engine's own value of a QFont: writing it back changes nothing.
    EXPECT_TRUE(run("pr.axes.font").isVariant());
    run("pr.axes.font = pr.axes.font; pr.axes.font = {size: '40', bold: 1}");
    EXPECT_EQ(group().font().pointSize(), 12);
    EXPECT_TRUE(group().font().bold());

    EXPECT_EQ(run("pr.axes.horizontal.objectName").toString(), "MassPlotAxisProps");
    EXPECT_EQ(run("pr.axes.vertical.label.objectName").toString(), "MassPlotAxisLabelProps");
    run("pr.axes.vertical.decimals = -5; pr.axes.vertical.label.text = 'Counts'; "
        "pr.axes.vertical.label.visible = false");
    EXPECT_EQ(chromatogram->axis(2).decimals, -5);
    EXPECT_EQ(chromatogram->axis(2).caption, "Counts");
    EXPECT_FALSE(chromatogram->axis(2).captionVisible);
    EXPECT_EQ(run("[pr.axes.vertical.decimals, pr.axes.vertical.label.text, pr.axes.vertical.label.visible].join()")
                  .toString(),
              "-5,Counts,false");

    // Nested assignment: only what the object names changes.
    const QColor axesColour = group().axesPen().color();
    const QString verticalCaption = chromatogram->axis(2).caption;
    run("pr.axes = {horizontal: {visible: false, label: {text: 'Minutes'}}, valid: false}");
    EXPECT_FALSE(chromatogram->axis(1).visible);
    EXPECT_EQ(chromatogram->axis(1).caption, "Minutes");
    EXPECT_TRUE(chromatogram->axis(2).visible);
    EXPECT_EQ(chromatogram->axis(2).caption, verticalCaption);
    EXPECT_EQ(group().axesPen().color(), axesColour);
    EXPECT_TRUE(run("pr.valid").toBool());
}

TEST_F(ScriptPlotProperties, LineStyleWidthAndColour)
{
    struct Style {
        const char* text;
        int stored;
    };
    for (const Style& s : {Style{"Circles", 2}, Style{"CROSSES", 1}, Style{"dots", 1}, Style{"line", 0},
                           Style{"", 0}, Style{"circles ", 0}}) {
        run(QString("pr.line.style = '%1'").arg(s.text));
        EXPECT_EQ(group().lineStyle(), s.stored) << s.text;
    }
    EXPECT_EQ(run("pr.line.style").toString(), "line");
    T1DPlotProperties g = group();
    g.setLineStyle(7);
    chromatogram->setProperties(g);
    EXPECT_EQ(run("pr.line.style").toString(), "");

    struct Width {
        const char* written;
        double stored;
    };
    for (const Width& w : {Width{"0", 0.01}, Width{"25", 10.0}, Width{"2.5", 2.5}, Width{"-3", 0.01},
                           Width{"NaN", 0.01}, Width{"Infinity", 10.0}}) {
        run(QString("pr.line.width = %1").arg(w.written));
        EXPECT_DOUBLE_EQ(group().tracePen().widthF(), w.stored) << w.written;
        EXPECT_DOUBLE_EQ(run("pr.line.width").toNumber(), w.stored) << w.written;
    }
    run("pr.line.color = 'navy'; pr.line.color = 'not a colour'");
    EXPECT_EQ(run("pr.line.color").toString(), "#000080");
}

TEST_F(ScriptPlotProperties, Highlight)
{
    TMSHighlightProperties& h = chromatogram->highlight();
    EXPECT_EQ(run("pr.highlight.objectName").toString(), "MassPlotHighlightProps");
    EXPECT_EQ(run("pr.highlight.opacity").toInt32(), h.opacity());
    run("pr.highlight.opacity = 29");
    EXPECT_EQ(run("pr.highlight.opacity").toInt32(), 29);
    for (const char* value : {"101", "-1"}) {
        run(QString("pr.highlight.opacity = %1").arg(value));
        EXPECT_EQ(run("pr.highlight.opacity").toInt32(), 29) << value;
    }
    const int alpha = h.color.alpha();
    run("pr.highlight.color = 'yellow'");
    EXPECT_EQ(h.color.rgb(), QColor(Qt::yellow).rgb());
    EXPECT_EQ(h.color.alpha(), alpha);
    // Not tested for validity: the record keeps what the parse gave.
    run("pr.highlight.color = 'nocolour'");
    EXPECT_FALSE(h.color.isValid());
    run("pr.highlight.isBoxVisible = false");
    EXPECT_EQ(h.boxVisible & 1, 0);
    EXPECT_FALSE(run("pr.highlight.isBoxVisible").toBool());
    run("pr.highlight = {isBoxVisible: true, opacity: 50}");
    EXPECT_EQ(h.boxVisible & 1, 1);
    EXPECT_EQ(h.opacity(), 50);
}

TEST_F(ScriptPlotProperties, WholeGroupsAndWrongMemberTypes)
{
    run("pr.background = {color: 'red', opacity: 40}; pr.grid = {showFrame: false, color: 'white'}; "
        "pr.line = {style: 'crosses', width: 3, color: 5}");
    EXPECT_EQ(group().background().color().red(), 255);
    EXPECT_EQ(run("pr.background.opacity").toInt32(), 40);
    EXPECT_EQ(group().frameSides(), 0);
    EXPECT_EQ(group().gridPen().color(), QColor(Qt::white));
    EXPECT_EQ(group().lineStyle(), 1);
    EXPECT_DOUBLE_EQ(group().tracePen().widthF(), 3);
    // Wrong types go through the engine's conversion and the setters' own rules.
    run("pr.line = {width: 'wide', style: 3}; pr.background = {opacity: 'half'}; pr.grid = 7; pr.axes = null");
    EXPECT_DOUBLE_EQ(group().tracePen().widthF(), 0.01);
    EXPECT_EQ(group().lineStyle(), 1);
    EXPECT_EQ(run("pr.background.opacity").toInt32(), 0);
}

class ScriptStaleProperties : public ScriptTest {};

TEST_F(ScriptStaleProperties, PropertyObjectsKeptPastThePlotAndTheItem)
{
    TCanvasMass* item = import(bundledTextDataset(), kTextProviderId);
    publish("x", item);
    run("var it = MassItem(x); var pr = it.plot(0).properties; var line = pr.line; var title = pr.title; "
        "var peaks = pr.peaks; var second = peaks.secondline; var hl = pr.highlight; var axis = pr.axes.vertical");
    const QUuid id = item->plotAtIndex(0)->id();
    EXPECT_TRUE(run("it.deletePlot(0)").toBool());
    ASSERT_EQ(item->plot(id, false), nullptr);
    engine->collectGarbage();
    EXPECT_FALSE(run("pr.valid").toBool());
    EXPECT_TRUE(run("pr.line").isUndefined());
    EXPECT_EQ(error("pr.line.width = 2"), "Result of expression 'pr.line' [undefined] is not an object.");
    struct Read {
        const char* script;
        QString answer;
    };
    const Read reads[] = {
        {"line.width = 3; line.style = 'circles'; line.color = 'red'; line.width", "0"},
        {"line.style", ""},         {"line.valid", "false"},     {"hl.opacity = 5; hl.opacity", "-1"},
        {"hl.color", ""},           {"hl.isBoxVisible", "false"}, {"title.valid", "false"},
        {"title.visible", "false"}, {"title.format = 'x'; title.format", ""},
        {"title.color = 'red'; title.color", ""}, {"title.decimals", "-1"},  {"title.font", "undefined"},
        {"peaks.threshold = 1; peaks.threshold", "-1"}, {"peaks.secondline", "undefined"},
        {"second.value = 'area'; second.visible = true; second.visible", "false"},
        {"second.decimals", "-1"}, {"second.value", ""}, {"axis.decimals", "-1"},
        {"axis.label", "undefined"}, {"pr.axes", "undefined"}, {"pr.axes = {horizontal: {visible: false}}", "[object Object]"},
    };
    for (const Read& r : reads)
        EXPECT_EQ(run(r.script).toString(), r.answer) << r.script;
    // And once the item is gone, every plot of it.
    run("var pr1 = it.plot(0).properties; var l1 = pr1.line");
    EXPECT_TRUE(run("pr1.valid").toBool());
    delete item;
    engine->collectGarbage();
    EXPECT_FALSE(run("pr1.valid").toBool());
    EXPECT_EQ(run("l1.width = 4; l1.width").toNumber(), 0);
    engine->collectGarbage();
}

class ScriptLabelProperties : public ScriptPlotProperties {};

TEST_F(ScriptLabelProperties, TitleAndPeakLabels)
{
    TMSTitleProperties& title = chromatogram->titleProperties();
    TMSPeakProperties& peaks = chromatogram->peakProperties();
    EXPECT_EQ(run("[pr.title.objectName, pr.peaks.objectName, pr.peaks.secondline.objectName].join()").toString(),
              "MassPlotTitleProps,MassPlotPeaksProps,MassPlotPeakExtProps");
    EXPECT_EQ(run("[pr.title.valid, pr.title.visible, pr.title.format, pr.title.decimals].join('|')").toString(),
              "true|true|{file,32,m} {injN,32,m} {funcN,32,m} {desc}|3");
    run("pr.title.color = '#A0B0C0'; pr.title.format = '{desc'; pr.title.visible = false; pr.title.decimals = -5");
    EXPECT_EQ(run("pr.title.color").toString(), "#a0b0c0");
    EXPECT_EQ(title.format, "{desc");
    EXPECT_FALSE(title.visible);
    EXPECT_EQ(title.decimals, -5);
    // The one error: an invalid colour, the colour unchanged.
    const QColor before = peaks.color;
    EXPECT_EQ(error("pr.peaks.color = 'nocolour'"), "Incorrect Arguments");
    EXPECT_EQ(peaks.color, before);
    run("pr.title.font = {family: 'Courier', size: 9, italic: true}");
    EXPECT_EQ(title.font.family(), "Courier");
    EXPECT_EQ(title.font.pointSize(), 9);
    EXPECT_TRUE(title.font.italic());
    EXPECT_TRUE(run("pr.title.font").isVariant());

    EXPECT_EQ(run("[pr.peaks.visible, pr.peaks.wedges, pr.peaks.baseline, pr.peaks.threshold].join()").toString(),
              "true,true,true,0.05");
    run("pr.peaks.wedges = false; pr.peaks.visible = false; pr.peaks.threshold = 2");
    EXPECT_EQ(peaks.peakFlags, 0x40);
    EXPECT_EQ(peaks.threshold, 2);
    for (const char* value : {"NaN", "Infinity", "'x'"}) {
        run(QString("pr.peaks.threshold = %1").arg(value));
        EXPECT_EQ(peaks.threshold, 2) << value;
    }
    run("pr.peaks.threshold = -1");
    EXPECT_EQ(peaks.threshold, -1);
}

TEST_F(ScriptLabelProperties, SecondLineRules)
{
    TMSPeakProperties& peaks = chromatogram->peakProperties();
    EXPECT_EQ(run("var sl = pr.peaks.secondline; [sl.visible, sl.value, sl.decimals].join('|')").toString(),
              "false||2");
    run("sl.visible = true");
    EXPECT_EQ(run("sl.value").toString(), "height");
    run("sl.value = 'AREA'");
    EXPECT_EQ(peaks.peakFlags & 0x1e, 0x08);
    EXPECT_TRUE(run("sl.visible").toBool());
    run("sl.value = 'sum'");
    EXPECT_EQ(run("sl.value").toString(), "area");
    run("sl.visible = false; sl.visible = true");
    EXPECT_EQ(run("sl.value").toString(), "height");
    // Declaration order: visible, then value, which shows the line again.
    run("pr.peaks.secondline = {visible: false, value: 'area'}");
    EXPECT_EQ(run("[sl.visible, sl.value].join()").toString(), "true,area");
    run("pr.peaks = {secondline: {value: 'intensity', decimals: 1}}");
    EXPECT_EQ(run("[sl.value, sl.decimals].join()").toString(), "intensity,1");
    EXPECT_EQ(peaks.peakFlags & 0x1e, 0x02);
    run("sl.value = 'abundance'");
    EXPECT_EQ(peaks.peakFlags & 0x1e, 0x04);
    EXPECT_EQ(run("sl.value").toString(), "abundance");
}
