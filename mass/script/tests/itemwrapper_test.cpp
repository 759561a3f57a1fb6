// The page-item wrapper over a mass item on the recording host's page:
// identity, geometry in millimetres, angle, generic property access, the
// non-finite writes, and items the host deletes while a script holds them.
#include "scripttest.h"

#include <QRegularExpression>

#include <cmath>

#include "massutils.h"
#include "tbaseplot.h"
#include "tmassitemwrapper.h"

using namespace scripttest;

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

}  // namespace

class ItemWrapper : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        item = import(bundledTextDataset(), kTextProviderId);
        item->move(118.11023622047244, 236.22047244094489);  // 10 mm, 20 mm
        publish("x", item);
        run("var it = MassItem(x)");
    }

    TCanvasMass* item = nullptr;
};

TEST_F(ItemWrapper, IdentityAndText)
{
    EXPECT_EQ(run("it.name").toString(), "Mass Spectrum");
    EXPECT_EQ(run("it.uuid").toString(), item->ownId().toString());
    EXPECT_TRUE(run("it.uuid").toString().startsWith('{'));
    EXPECT_EQ(run("it.type").toString(), item->type());
    EXPECT_EQ(run("it.type").toString(), "MS");
    EXPECT_EQ(run("it.subtype").toString(), item->subtype());
    EXPECT_EQ(run("it.toString()").toString(),
              QString("Page Item (name:Mass Spectrum, uuid:%1)").arg(item->ownId().toString()));
    EXPECT_TRUE(run("it.isValid()").toBool());
    EXPECT_EQ(run("it.plotsCount").toInt32(), item->plotCount());
    EXPECT_EQ(run("it.datasetFileName").toString(), item->datasetName());
    // Read-only properties keep their values.
    EXPECT_EQ(run("it.name = 'x'; it.name").toString(), "Mass Spectrum");
    EXPECT_EQ(qscriptvalue_cast<TCanvasItem*>(run("it.item()")), item);
}

TEST_F(ItemWrapper, GeometryInMillimetres)
{
    EXPECT_NEAR(run("it.left").toNumber(), 10.0, 1e-9);
    EXPECT_NEAR(run("it.top").toNumber(), 20.0, 1e-9);
    const double width = pixelsToMm(qRound(item->size().width()));
    EXPECT_DOUBLE_EQ(run("it.width").toNumber(), width);
    EXPECT_DOUBLE_EQ(run("it.right").toNumber(), run("it.left").toNumber() + width);

    run("it.left = 30; it.top = 40");
    EXPECT_NEAR(item->x(), mmToPixels(30), 1e-9);
    EXPECT_NEAR(item->y(), mmToPixels(40), 1e-9);
    EXPECT_NEAR(run("it.left").toNumber(), 30, 1e-9);

    // Width and height read back up to the whole-pixel bounding rectangle.
    const double onePixel = pixelsToMm(1.0);
    for (double mm : {50.0, 80.25, 120.7}) {
        run(QString("it.width = %1; it.height = %2").arg(number(mm), number(mm / 2)));
        EXPECT_NEAR(run("it.width").toNumber(), mm, 2 * onePixel) << mm;
        EXPECT_NEAR(run("it.height").toNumber(), mm / 2, 2 * onePixel) << mm;
        // The position stays, up to the rounding to whole pixels.
        EXPECT_NEAR(run("it.left").toNumber(), 30, onePixel);
    }
    run("it.right = it.left + 60; it.bottom = it.top + 45");
    EXPECT_NEAR(run("it.width").toNumber(), 60, 2 * onePixel);
    EXPECT_NEAR(run("it.height").toNumber(), 45, 2 * onePixel);

    const double x = item->x();
    run("it.translate(5, -2.5)");
    EXPECT_NEAR(item->x(), x + mmToPixels(5), 1e-9);

    struct Angle {
        double written;
        double stored;
    };
    for (const Angle& a : {Angle{370, 10}, Angle{-90, 270}, Angle{360, 0}, Angle{45.5, 45.5}}) {
        run(QString("it.angle = %1").arg(number(a.written)));
        EXPECT_DOUBLE_EQ(run("it.angle").toNumber(), a.stored) << a.written;
        EXPECT_DOUBLE_EQ(item->angle(), a.stored) << a.written;
    }
}

TEST_F(ItemWrapper, NonFiniteWritesChangeNothing)
{
    run("it.angle = 30");
    const double x = item->x(), y = item->y(), angle = item->angle();
    const QSizeF size = item->size();
    // 1e308 mm is beyond any pixel number; a finite angle, however large,
    // is the item's to bring into range.
    for (const char* value : {"NaN", "Infinity", "-Infinity", "1e308", "'abc'"}) {
        const bool finite = QString(value) == "1e308";
        for (const char* property : {"left", "top", "right", "bottom", "width", "height", "angle"})
            if (!finite || QString(property) != "angle")
                run(QString("it.%1 = %2").arg(property, value));
        run(QString("it.translate(%1, 0); it.translate(0, %1)").arg(value));
        EXPECT_EQ(item->x(), x) << value;
        EXPECT_EQ(item->y(), y) << value;
        EXPECT_EQ(item->size(), size) << value;
        EXPECT_EQ(item->angle(), angle) << value;
    }
}

TEST_F(ItemWrapper, UnknownPropertiesByName)
{
    run("var printed = []; print = function (a, b) { printed.push(a + b); }");
    EXPECT_TRUE(run("it.getProperty('colour')").isUndefined());
    EXPECT_TRUE(run("it.setProperty('colour', 'red')").isUndefined());
    EXPECT_TRUE(run("it.setProperty('size', 1, 2)").isUndefined());
    EXPECT_EQ(run("printed.join(';')").toString(),
              "Warning: Unknown Parameter colour;Warning: Unknown Parameter colour;"
              "Warning: Unknown Parameter size");
    for (const char* script : {"it.getProperty()", "it.getProperty('a', 'b')", "it.setProperty()",
                               "it.setProperty('a')"})
        EXPECT_EQ(error(script), "Number of arguments is incorrect.") << script;
    EXPECT_EQ(run("printed.length").toInt32(), 3);
    // Declared names are no business of getProperty.
    EXPECT_TRUE(run("it.getProperty('left')").isUndefined());
}

TEST_F(ItemWrapper, DeletedItemsReadAsMissing)
{
    run("var plot = it.plotsCount; var before = it.left");
    delete item;
    item = nullptr;
    engine->collectGarbage();
    EXPECT_FALSE(run("it.left = 5; it.update(); it.translate(1, 1); it.angle = 90; it.width = 10; it.isValid()")
                     .toBool());
    struct Read {
        const char* script;
        QString answer;
    };
    const Read reads[] = {
        {"it.left", "0"},     {"it.top", "0"},     {"it.right", "0"},     {"it.bottom", "0"},
        {"it.width", "0"},    {"it.height", "0"},  {"it.angle", "0"},     {"it.name", ""},
        {"it.uuid", ""},      {"it.type", ""},     {"it.subtype", ""},    {"it.plotsCount", "0"},
        {"it.datasetFileName", ""}, {"it.toString()", "Page Item (name:, uuid:)"},
        {"it.item()", "null"},
    };
    for (const Read& r : reads)
        EXPECT_EQ(run(r.script).toString(), r.answer) << r.script;
    EXPECT_EQ(error("it.info"), "Invalid Object");
    EXPECT_EQ(error("it.deletePlot(0)"), "Invalid Object");
    // The conversion out of the script value gives no item either.
    EXPECT_EQ(massItemOf(run("it")), nullptr);
    EXPECT_FALSE(run("MassItem(it).isValid()").toBool());
    engine->collectGarbage();
    EXPECT_FALSE(run("it.isValid()").toBool());
}

TEST_F(ItemWrapper, MissingItemsAndUpdate)
{
    // No item at all: update does nothing, reads are empty.
    run("var none = MassItem({})");
    EXPECT_TRUE(run("none.update(); none.left = 3; none.translate(1, 2); none.isValid()").toBool() == false);
    EXPECT_EQ(run("none.left").toNumber(), 0);
    EXPECT_EQ(error("none.info"), "Invalid Object");
    // A live item repaints.
    run("it.update()");
    // Without a host nothing can vouch for an item: it reads as missing.
    host.removePlugin(plugin.get());
    plugin->setHost(nullptr);
    EXPECT_FALSE(run("it.isValid()").toBool());
    EXPECT_EQ(run("it.left").toNumber(), 0);
}

TEST_F(ItemWrapper, DeletePlotByIndexAndId)
{
    ASSERT_GE(item->plotCount(), 2);
    const int visible = item->visiblePlotCount();
    ASSERT_GE(visible, 2);
    EXPECT_EQ(error("it.deletePlot()"), "Number of arguments is incorrect.");
    EXPECT_EQ(error("it.deletePlot(0, 1)"), "Number of arguments is incorrect.");
    EXPECT_EQ(error("it.deletePlot('not an id')"), "Incorrect Arguments ( Invalid plot is string )");
    EXPECT_EQ(error("it.deletePlot({})"), "Incorrect Arguments");
    EXPECT_EQ(error("it.deletePlot(true)"), "Incorrect Arguments");
    EXPECT_FALSE(run("it.deletePlot(99)").toBool());
    EXPECT_FALSE(run("it.deletePlot(-1)").toBool());
    EXPECT_EQ(item->plotCount(), visible);

    // By id: an id that is no plot of the item changes nothing but answers true.
    EXPECT_TRUE(run(QString("it.deletePlot('%1')").arg(QUuid::createUuid().toString())).toBool());
    EXPECT_EQ(item->plotCount(), visible);
    const QUuid first = item->plotAtIndex(0)->id();
    EXPECT_TRUE(run(QString("it.deletePlot('%1')").arg(first.toString())).toBool());
    EXPECT_EQ(item->plotIndex(first), -1);
    EXPECT_EQ(item->dataObject(first), nullptr);
    while (item->visiblePlotCount() > 1)
        EXPECT_TRUE(run("it.deletePlot(0)").toBool());
    const int left = item->plotCount();
    EXPECT_FALSE(run("it.deletePlot(0)").toBool());
    EXPECT_EQ(item->plotCount(), left);
    EXPECT_EQ(run("it.plotsCount").toInt32(), left);
}

TEST_F(ItemWrapper, PlotObjects)
{
    ASSERT_GE(item->plotCount(), 2);
    const QUuid second = item->plotAtIndex(1)->id();
    EXPECT_EQ(run("it.plot().objectName").toString(), "MassItemPlot");
    EXPECT_EQ(run("it.plot().id").toString(), item->currentPlot()->id().toString());
    EXPECT_TRUE(run("it.plot(0).valid").toBool());
    EXPECT_EQ(run("it.plot(1).id").toString(), second.toString());
    // The kinds by the DataTypes numbering: the text dataset's
    // chromatogram and spectrum.
    EXPECT_EQ(run("[it.plot(0).type, it.plot(1).type].sort().join(',')").toString(), "1,2");
    EXPECT_TRUE(run("it.plot(1).visible").toBool());
    EXPECT_NE(run("it.plot(0)").toQObject(), run("it.plot(0)").toQObject());
    for (const char* script : {"it.plot(99)", "it.plot(-1)", "it.plot(4294967296)", "it.plot(NaN)"})
        EXPECT_TRUE(run(script).isUndefined()) << script;
    EXPECT_EQ(error("it.plot('0')"), "Incorrect Arguments");
    EXPECT_EQ(error("it.plot({})"), "Incorrect Arguments");
    EXPECT_EQ(error("it.plot(0, 1)"), "Number of arguments is incorrect.");

    // A plot object taken before its plot is deleted answers as invalid.
    run("var p = it.plot(1); var q = it.plot(0)");
    EXPECT_TRUE(run("it.deletePlot(1)").toBool());
    engine->collectGarbage();
    EXPECT_FALSE(run("p.valid").toBool());
    EXPECT_FALSE(run("p.visible").toBool());
    EXPECT_EQ(run("p.type").toInt32(), 0);
    EXPECT_EQ(run("p.id").toString(), QUuid().toString());
    EXPECT_TRUE(run("q.valid").toBool());
    // And so does every plot object once the item is gone.
    delete item;
    item = nullptr;
    EXPECT_FALSE(run("q.valid").toBool());
    EXPECT_EQ(error("it.plot()"), "Invalid Object");
}
