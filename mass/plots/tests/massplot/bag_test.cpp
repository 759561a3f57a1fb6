// Property bags: made from plots, applied to plots, their bytes, every
// prefix of them, and the stored defaults per plot kind.
#include "massplottest.h"

#include <QSettings>

#include "kstestqt.h"
#include "tdatastream.h"
#include "tplotpropertiesbag.h"

using namespace massplottest;
using plottest::ModelPlot;

namespace {

const QUuid kBagId("{6a1d4f00-0000-4000-8000-00000000b001}");

// A bag with every field away from its default.
void fill(TMassPlotPropertiesBag& bag, int kind)
{
    bag.kind = kind;
    bag.lineProperties().setMargin(44);
    bag.lineProperties().setTracePen(QPen(Qt::darkCyan, 3));
    bag.lineProperties().setLineStyle(1);
    bag.axisRecord(1) = {false, false, "m/z", 5, true};
    bag.axisRecord(2) = {true, false, "Intensity (counts)", 1, false};
    bag.peakProperties.peakFlags = 1 | 2;
    bag.peakProperties.threshold = 0.3;
    bag.peakProperties.color = Qt::red;
    bag.titleProperties.format = "{injN}";
    bag.titleProperties.visible = false;
    bag.titleProperties.decimals = 6;
    bag.highlight.boxVisible = 0;
    bag.highlight.color = QColor(9, 8, 7, 6);
}

void expectSame(const TMassPlotPropertiesBag& a, const TMassPlotPropertiesBag& b)
{
    EXPECT_EQ(propertiesBagToByteArray(a), propertiesBagToByteArray(b));
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_TRUE(a.lineProperties().equals(b.lineProperties()));
    EXPECT_TRUE(a.axisRecord(1) == b.axisRecord(1));
    EXPECT_TRUE(a.axisRecord(2) == b.axisRecord(2));
    EXPECT_EQ(a.peakProperties.peakFlags, b.peakProperties.peakFlags);
    EXPECT_EQ(a.titleProperties.format, b.titleProperties.format);
    EXPECT_EQ(a.highlight.color, b.highlight.color);
}

class PlotBagDefaults : public ::testing::Test {
protected:
    void SetUp() override { ks::test::useCaseSettings(); }
};

}  // namespace

TEST(PlotBag, MadeFromAPlot)
{
    TestSource source;
    T1DMassPlot plot(1, 1, kBagId, &source);
    plot.setTracePen(QPen(Qt::yellow, 2));
    plot.peakProperties().threshold = 0.4;
    plot.titleProperties().format = "{desc}";
    plot.highlight().boxVisible = 0;
    plot.setAxisLabel(1, "Time");
    plot.setAxisDecimals(2, 7);
    plot.setAxisLogScale(2, true);

    TMassPlotPropertiesBag bag(&plot);
    EXPECT_EQ(bag.plot(), &plot);
    EXPECT_EQ(bag.plotId(), kBagId);
    EXPECT_EQ(bag.massPlot(), &plot);
    EXPECT_EQ(bag.kind, 1);
    EXPECT_EQ(bag.lineProperties().tracePen(), QPen(Qt::yellow, 2));
    EXPECT_EQ(bag.peakProperties.threshold, 0.4);
    EXPECT_EQ(bag.titleProperties.format, "{desc}");
    EXPECT_EQ(bag.highlight.boxVisible, 0);
    // Axis records keep their defaults until assignFromPlot.
    EXPECT_TRUE(bag.axisRecord(1) == TPlotAxisRecord());
    bag.assignFromPlot();
    EXPECT_EQ(bag.axisRecord(1).caption, "Time");
    EXPECT_EQ(bag.axisRecord(2).decimals, 7);
    EXPECT_TRUE(bag.axisRecord(2).logScale);

    // The copy: the plot and the records, default axis records again.
    const TMassPlotPropertiesBag copy(bag);
    EXPECT_EQ(copy.plot(), &plot);
    EXPECT_EQ(copy.peakProperties.threshold, 0.4);
    EXPECT_NE(copy.group(), bag.group());
    EXPECT_TRUE(copy.axisRecord(2) == TPlotAxisRecord());

    const TMassPlotPropertiesBag fromNull(nullptr);
    EXPECT_EQ(propertiesBagToByteArray(fromNull), propertiesBagToByteArray(TMassPlotPropertiesBag()));
    const TMassPlotPropertiesBag none;
    EXPECT_EQ(none.plot(), nullptr);
    EXPECT_TRUE(none.plotId().isNull());
    EXPECT_EQ(none.massPlot(), nullptr);
    EXPECT_EQ(none.kind, 0);
}

TEST(PlotBag, ApplyTo)
{
    TMassPlotPropertiesBag bag;
    fill(bag, 1);
    TestSource source;
    T1DMassPlot plot(2, 2, kBagId, &source);
    bag.applyTo(&plot);
    EXPECT_EQ(plot.properties().margin(), 44);
    EXPECT_EQ(plot.tracePen(), QPen(Qt::darkCyan, 3));
    EXPECT_EQ(plot.lineStyle(), 1);
    EXPECT_FALSE(plot.axis1().visible);
    EXPECT_EQ(plot.axis1().caption, "m/z");
    EXPECT_EQ(plot.axis1().decimals, 5);
    EXPECT_TRUE(plot.axis1().isLogScale());
    EXPECT_EQ(plot.axis2().caption, "Intensity (counts)");
    EXPECT_EQ(plot.peakProperties().peakFlags, 1 | 2);
    EXPECT_EQ(plot.peakProperties().color, QColor(Qt::red));
    EXPECT_EQ(plot.titleProperties().format, "{injN}");
    EXPECT_EQ(plot.titleProperties().decimals, 6);
    EXPECT_EQ(plot.highlight().color, QColor(9, 8, 7, 6));
    // Kind and trace style stay the plot's.
    EXPECT_EQ(plot.kind(), 2);
    EXPECT_EQ(plot.traceStyle(), 2);

    // A plot of type 1 that is not a mass plot: group and axes only.
    ModelPlot model(0, 10, 0, 10);
    bag.applyTo(&model);
    EXPECT_EQ(model.properties().margin(), 44);
    EXPECT_EQ(model.axis1().caption, "m/z");
    // Null plots: nothing happens.
    bag.applyTo(nullptr);
    TBasePlotPropertiesBag plain;
    plain.applyTo(nullptr);
    plain.assignFromPlot();
    plain.applyTo(&model);  // no group: the axes only
    EXPECT_TRUE(model.axis1().visible);
}

TEST(PlotBag, BytesRoundTrip)
{
    TMassPlotPropertiesBag bag;
    fill(bag, 2);
    const QByteArray bytes = propertiesBagToByteArray(bag);
    TMassPlotPropertiesBag back;
    EXPECT_EQ(&propertiesBagFromByteArray(bytes, back), &back);
    expectSame(back, bag);
    EXPECT_EQ(back.axisRecord(2).caption, "Intensity (counts)");
    EXPECT_TRUE(back.axisRecord(1).logScale);
    EXPECT_FALSE(back.axisRecord(1).visible);

    // A plain bag with and without a group.
    TBasePlotPropertiesBag withGroup(nullptr, new TBasePlotProperties);
    withGroup.group()->setMargin(3);
    withGroup.axisRecord(2).caption = "y";
    TBasePlotPropertiesBag other(nullptr, new TBasePlotProperties);
    ASSERT_TRUE(readPropertiesBag(propertiesBagToByteArray(withGroup), other));
    EXPECT_EQ(other.group()->margin(), 3);
    EXPECT_EQ(other.axisRecord(2).caption, "y");
    TBasePlotPropertiesBag noGroup;
    ASSERT_TRUE(readPropertiesBag(propertiesBagToByteArray(withGroup), noGroup));
    EXPECT_EQ(noGroup.axisRecord(2).caption, "y");
    EXPECT_EQ(noGroup.group(), nullptr);
}

TEST(PlotBag, EveryPrefixOfItsBytes)
{
    TMassPlotPropertiesBag bag;
    fill(bag, 1);
    const QByteArray bytes = propertiesBagToByteArray(bag);
    const TMassPlotPropertiesBag fresh;
    for (int n = 0; n < bytes.size(); ++n) {
        TMassPlotPropertiesBag back;
        ASSERT_FALSE(readPropertiesBag(bytes.left(n), back)) << n;
        ASSERT_EQ(propertiesBagToByteArray(back), propertiesBagToByteArray(fresh)) << n;
    }
    // Huge lengths and counts inside: refused without an allocation.
    for (int n = 0; n + 4 <= bytes.size(); n += 2) {
        QByteArray damaged = bytes;
        damaged[n] = char(0x7f);
        TMassPlotPropertiesBag back;
        readPropertiesBag(damaged, back);
        propertiesBagToByteArray(back);
    }
}

TEST_F(PlotBagDefaults, PerPlotKind)
{
    TMassPlotPropertiesBag chromatogram, spectrum;
    chromatogram.kind = 1;
    EXPECT_EQ(chromatogram.defaultsKey(), "Mass/Plot Properties/Chromatogram");
    EXPECT_EQ(spectrum.defaultsKey(), "Mass/Plot Properties/Spectrum");
    const QByteArray before = propertiesBagToByteArray(spectrum);
    EXPECT_FALSE(spectrum.loadDefaults());
    EXPECT_FALSE(chromatogram.loadDefaults());
    EXPECT_EQ(propertiesBagToByteArray(spectrum), before);

    TMassPlotPropertiesBag saved;
    fill(saved, 1);
    saved.saveDefaults();
    // Stored as bytes under the chromatogram key of the application's settings.
    EXPECT_EQ(QSettings().value("Mass/Plot Properties/Chromatogram").toByteArray(), propertiesBagToByteArray(saved));
    EXPECT_EQ(QSettings().organizationName(), "Kestrom");
    EXPECT_EQ(QSettings().applicationName(), "Lumatra");
    EXPECT_FALSE(spectrum.loadDefaults());
    ASSERT_TRUE(chromatogram.loadDefaults());
    expectSame(chromatogram, saved);

    // A new chromatogram plot takes the stored look, a spectrum plot not.
    TestSource source;
    T1DMassPlot chromPlot(1, 1, kBagId, &source), specPlot(2, 2, kBagId, &source);
    TMassPlotPropertiesBag forChrom(&chromPlot), forSpec(&specPlot);
    ASSERT_TRUE(forChrom.loadDefaults());
    forChrom.applyTo(&chromPlot);
    EXPECT_EQ(chromPlot.axis1().caption, "m/z");
    EXPECT_EQ(chromPlot.kind(), 1);
    EXPECT_FALSE(forSpec.loadDefaults());
}

TEST_F(PlotBagDefaults, DamagedStoredDefaultIsNone)
{
    TMassPlotPropertiesBag saved;
    fill(saved, 2);
    const QByteArray good = propertiesBagToByteArray(saved);
    const std::vector<QByteArray> damaged = {good.left(good.size() / 2), good.left(3), QByteArray("garbage"),
                                             QByteArray::fromHex("7fffffff")};
    for (const QByteArray& bytes : damaged) {
        QSettings().setValue("Mass/Plot Properties/Spectrum", bytes);
        TMassPlotPropertiesBag bag;
        const QByteArray before = propertiesBagToByteArray(bag);
        EXPECT_FALSE(bag.loadDefaults());
        EXPECT_EQ(propertiesBagToByteArray(bag), before);
    }
    // A value of another type reads as nothing stored.
    QSettings().setValue("Mass/Plot Properties/Spectrum", 42);
    TMassPlotPropertiesBag bag;
    EXPECT_FALSE(bag.loadDefaults());
}

TEST(PlotBag, StoredLayout)
{
    TMassPlotPropertiesBag bag;
    fill(bag, 1);
    const QByteArray bytes = propertiesBagToByteArray(bag);
    const QByteArray group = streamtest::written([&](TDataStream& s) { bag.lineProperties().write(s); });
    // The base part: one block holding an empty block, the group's block
    // and the two axis records.
    const qint32 base = qFromBigEndian<qint32>(bytes.constData());
    EXPECT_EQ(bytes.mid(4, 4), QByteArray(4, '\0'));
    EXPECT_EQ(qFromBigEndian<qint32>(bytes.constData() + 8), group.size());
    EXPECT_EQ(bytes.mid(12, group.size()), group);
    // Axis 1: block A (block B: an empty block, logScale 1), visible 0,
    // caption shown 0, "m/z", 5 decimals.
    const QByteArray axis = bytes.mid(12 + group.size());
    EXPECT_EQ(axis.left(29).toHex(), "00000019000000050000000001000000000006006d002f007a00000005");
    // Then, outside the base block: an empty block and the kind.
    EXPECT_EQ(bytes.mid(4 + base, 8).toHex(), "0000000000000001");
    plottest::expectGoldenIn(KS_SOURCE_DIR "/tests/data", bytes, "mass_plot_bag");
}
