// Property groups and label records: defaults, comparisons and copies,
// the script interface's switches, stored forms, and damaged bytes
// (including the Qt values inside them).
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLinearGradient>

#include <functional>
#include <memory>

#include "plottest.h"
#include "tlabelproperties.h"
#include "tplotproperties.h"
#include "tstreamgui.h"

using plottest::written;

namespace {

// Fonts are given a family so that the stored bytes do not depend on the
// machine's default font.
QFont fixedFont(int pointSize)
{
    QFont f(QStringLiteral("Kestrom Sans"));
    f.setPointSize(pointSize);
    return f;
}

TEST(PlotProperties, Defaults)
{
    const T1DPlotProperties p;
    EXPECT_EQ(p.typeTag(), 0);
    EXPECT_EQ(p.outerInset(), 30.0);
    EXPECT_EQ(p.margin(), 15.0);
    EXPECT_EQ(p.breakGap(), 24.0);
    EXPECT_EQ(p.background().color().alpha(), 0);
    EXPECT_EQ(p.background().style(), Qt::SolidPattern);
    EXPECT_EQ(p.axesPen(), QPen(QBrush(Qt::black), 2.5, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    EXPECT_EQ(p.gridPen(), QPen(QBrush(Qt::lightGray), 2.5, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    EXPECT_EQ(p.framePen(), p.gridPen());
    EXPECT_EQ(p.font().pointSize(), 30);
    EXPECT_EQ(p.frameSides(), 15);
    EXPECT_EQ(p.tickParameter(), 8);
    EXPECT_EQ(p.flags(), 3);
    EXPECT_TRUE(p.showVerticalGrid());
    EXPECT_TRUE(p.showHorizontalGrid());
    EXPECT_FALSE(p.gridOver());
    EXPECT_FALSE(p.showBaseline());
    EXPECT_FALSE(p.isTextRotated());
    EXPECT_EQ(p.tracePen().color(), QColor(Qt::darkRed));
    EXPECT_EQ(p.tracePen().capStyle(), Qt::FlatCap);
    EXPECT_EQ(T1DPlotProperties::defaultTracePen().capStyle(), Qt::SquareCap);
    EXPECT_EQ(p.lineStyle(), T1DPlotProperties::Line);
}

TEST(PlotProperties, EqualsAndAssign)
{
    T1DPlotProperties a, b;
    EXPECT_TRUE(a.equals(b));
    b.setLineStyle(T1DPlotProperties::Circles);
    EXPECT_FALSE(a.equals(b));

    // From another 1-D group: everything.
    T1DPlotProperties c;
    c.assign(b);
    EXPECT_EQ(c.lineStyle(), T1DPlotProperties::Circles);

    // From a plain group with the same tag: the base fields only (the tag
    // does not tell a plain group from a 1-D one; its type does).
    TBasePlotProperties plain;
    plain.setMargin(99);
    T1DPlotProperties d;
    d.setTracePen(QPen(Qt::green));
    d.setLineStyle(T1DPlotProperties::Crosses);
    d.assign(plain);
    EXPECT_EQ(d.margin(), 99);
    EXPECT_EQ(d.tracePen().color(), QColor(Qt::green));
    EXPECT_EQ(d.lineStyle(), T1DPlotProperties::Crosses);

    const T1DPlotProperties e(plain, QPen(Qt::blue));
    EXPECT_EQ(e.margin(), 99);
    EXPECT_EQ(e.tracePen().color(), QColor(Qt::blue));
    EXPECT_EQ(e.lineStyle(), 0);
}

T1DPlotProperties sampleGroup()
{
    T1DPlotProperties p;
    p.setFont(fixedFont(30));
    p.setBackground(QBrush(QColor(255, 255, 224, 128)));
    p.setFlags(0x113);
    p.setTextOrientation(1);
    QPen dashed(QBrush(Qt::blue), 1.5, Qt::CustomDashLine, Qt::RoundCap, Qt::RoundJoin);
    dashed.setDashPattern({3, 1, 1, 1});
    p.setTracePen(dashed);
    p.setLineStyle(T1DPlotProperties::Crosses);
    return p;
}

TEST(PlotProperties, StoredForm)
{
    const T1DPlotProperties p = sampleGroup();
    const QByteArray bytes = written([&](TDataStream& s) { p.write(s); });
    plottest::expectGolden(bytes, "plot_properties");
    QByteArray copy = bytes;
    TDataStream r(&copy, QIODevice::ReadOnly, 0);
    T1DPlotProperties back;
    ASSERT_TRUE(back.read(r));
    EXPECT_EQ(r.remaining(), 0);
    EXPECT_TRUE(back.equals(p));
    EXPECT_EQ(back.tracePen().dashPattern(), p.tracePen().dashPattern());
    EXPECT_TRUE(back.gridOver());
    EXPECT_TRUE(back.isTextRotated());

    // Only 16 bits of the flags are stored.
    T1DPlotProperties wide;
    wide.setFlags(0x30113);
    QByteArray w = written([&](TDataStream& s) { wide.write(s); });
    TDataStream wr(&w, QIODevice::ReadOnly, 0);
    T1DPlotProperties narrow;
    ASSERT_TRUE(narrow.read(wr));
    EXPECT_EQ(narrow.flags(), 0x113);

    // A last main block of length 0 keeps the trace pen and line style.
    T1DPlotProperties defaults;
    QByteArray older = written([&](TDataStream& s) {
        s.beginBlock();
        defaults.TBasePlotProperties::write(s);
        s.endBlock();
        s.beginBlock();
        s.endBlock();
        s.beginBlock();
        s.endBlock();
    });
    TDataStream o(&older, QIODevice::ReadOnly, 0);
    T1DPlotProperties kept = sampleGroup();
    ASSERT_TRUE(kept.read(o));
    EXPECT_EQ(kept.lineStyle(), T1DPlotProperties::Crosses);
    EXPECT_EQ(kept.tracePen(), sampleGroup().tracePen());
    EXPECT_EQ(kept.flags(), 3);

    for (int n = 0; n < bytes.size(); ++n) {
        QByteArray cut = bytes.left(n);
        TDataStream s(&cut, QIODevice::ReadOnly, 0);
        T1DPlotProperties x;
        EXPECT_FALSE(x.read(s)) << n;
        EXPECT_TRUE(x.equals(T1DPlotProperties())) << n;
    }
}

// The Qt values inside the groups: what Qt's own readers would abort on or
// take as they are.
TEST(PlotProperties, DamagedQtValues)
{
    const QPen dashed = sampleGroup().tracePen();
    const QByteArray pen = written([&](TDataStream& s) { s << dashed; });
    // Pen: bits, width, brush (style, colour), miter limit, dash count.
    const int dashCount = 1 + 8 + 1 + 11 + 8;
    struct Case {
        const char* name;
        std::function<void(QByteArray&)> damage;
        QDataStream::Status status;
    };
    const Case cases[] = {
        {"huge dash count", [&](QByteArray& b) { b[dashCount] = 0x7f; }, QDataStream::ReadPastEnd},
        {"pen style 7", [](QByteArray& b) { b[0] = 0x07; }, QDataStream::ReadCorruptData},
        {"cap style 0x30", [](QByteArray& b) { b[0] = 0x31; }, QDataStream::ReadCorruptData},
        {"join style 0xc0", [](QByteArray& b) { b[0] = static_cast<char>(0xc1); }, QDataStream::ReadCorruptData},
        {"brush style 20", [](QByteArray& b) { b[9] = 20; }, QDataStream::ReadCorruptData},
        {"texture brush", [](QByteArray& b) { b[9] = 24; }, QDataStream::ReadCorruptData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray b = pen;
        c.damage(b);
        TDataStream s(&b, QIODevice::ReadOnly, 0);
        QPen out(Qt::red);
        EXPECT_FALSE(readPen(s, out));
        EXPECT_EQ(s.status(), c.status);
        EXPECT_EQ(out, QPen(Qt::red));
    }

    // Gradients round-trip; a huge stop count fails before anything is made.
    QLinearGradient g(0, 0, 10, 10);
    g.setColorAt(0, Qt::red);
    g.setColorAt(1, Qt::blue);
    QByteArray brush = written([&](TDataStream& s) { s << QBrush(g); });
    {
        QByteArray b = brush;
        TDataStream s(&b, QIODevice::ReadOnly, 0);
        QBrush out;
        ASSERT_TRUE(readBrush(s, out));
        EXPECT_EQ(out.style(), Qt::LinearGradientPattern);
        ASSERT_TRUE(out.gradient());
        EXPECT_EQ(out.gradient()->stops(), g.stops());
        EXPECT_EQ(s.remaining(), 0);
    }
    {
        QByteArray b = brush;
        b[1 + 11 + 4] = 0x7f;  // the stop count after style, colour and type
        TDataStream s(&b, QIODevice::ReadOnly, 0);
        QBrush out;
        EXPECT_FALSE(readBrush(s, out));
    }

    // A font whose family length runs past the data.
    QByteArray font = written([&](TDataStream& s) { s << fixedFont(12); });
    {
        QByteArray b = font;
        TDataStream s(&b, QIODevice::ReadOnly, 0);
        QFont out;
        ASSERT_TRUE(readFont(s, out));
        EXPECT_EQ(out.family(), "Kestrom Sans");
        EXPECT_EQ(out.pointSize(), 12);
    }
    for (const char* length : {"\x7f\xff\xff\xfe", "\x00\x00\x00\x03"}) {
        QByteArray b = font;
        b.replace(0, 4, QByteArray(length, 4));
        TDataStream s(&b, QIODevice::ReadOnly, 0);
        QFont out(QStringLiteral("Unchanged"));
        EXPECT_FALSE(readFont(s, out));
        EXPECT_EQ(out.family(), "Unchanged");
    }
}

TEST(LabelRecords, Defaults)
{
    const TMSTitleProperties title;
    EXPECT_TRUE(title.visible);
    EXPECT_EQ(title.format, "{file,32,m} {injN,32,m} {funcN,32,m} {desc}");
    EXPECT_EQ(title.color, QColor(Qt::black));
    EXPECT_EQ(title.font.pointSize(), 30);
    EXPECT_EQ(title.decimals, 3);

    const TMSPeakProperties peak;
    EXPECT_EQ(peak.peakFlags, 97);
    EXPECT_EQ(peak.secondLineDecimals, 2);
    EXPECT_EQ(peak.threshold, 0.05);
    EXPECT_EQ(peak.color, QColor(Qt::darkBlue));
    EXPECT_EQ(peak.font.pointSize(), 24);
    EXPECT_EQ(peak.decimals, 3);

    const TMSHighlightProperties h;
    EXPECT_EQ(h.color, QColor(0, 128, 128, 192));
    EXPECT_EQ(h.boxVisible, 1);
}

TEST(LabelRecords, Switches)
{
    TMSPeakProperties p;
    EXPECT_FALSE(p.secondLineVisible());
    EXPECT_EQ(p.secondLineValue(), "");
    p.setSecondLineVisible(true);
    EXPECT_EQ(p.peakFlags, 113);
    EXPECT_EQ(p.secondLineValue(), "height");
    p.peakFlags |= TMSPeakProperties::SecondLineArea;
    p.setSecondLineVisible(true);  // already on: unchanged
    EXPECT_EQ(p.peakFlags, 113 | 8);
    EXPECT_EQ(p.secondLineValue(), "height");
    p.peakFlags |= TMSPeakProperties::SecondLineIntensity;
    EXPECT_EQ(p.secondLineValue(), "intensity");
    p.setSecondLineVisible(false);
    EXPECT_EQ(p.peakFlags, 97);
    p.peakFlags |= TMSPeakProperties::SecondLineAbundance;
    EXPECT_EQ(p.secondLineValue(), "abundance");

    TMSHighlightProperties h;
    h.setOpacity(50);
    EXPECT_NEAR(h.color.alphaF(), 0.5, 1e-4);
    EXPECT_EQ(h.color.red(), 0);
    EXPECT_EQ(h.color.green(), 128);
    EXPECT_EQ(h.color.blue(), 128);
    EXPECT_EQ(h.opacity(), 50);
    TMSHighlightProperties k;
    k.setColor(QColor(255, 0, 0), false);
    EXPECT_EQ(k.color, QColor(255, 0, 0, 192));
    k.setColor(QColor(255, 0, 0), true);
    EXPECT_EQ(k.color.alpha(), 255);
    k.setOpacity(250);
    EXPECT_EQ(k.opacity(), 100);
    k.setOpacity(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(k.opacity(), 0);
}

TEST(LabelRecords, StoredForms)
{
    TMSTitleProperties title;
    title.font = fixedFont(30);
    title.visible = false;
    title.format = "{desc}";
    TMSPeakProperties peak;
    peak.font = fixedFont(24);
    peak.peakFlags = 113;
    peak.threshold = 0.125;
    TMSHighlightProperties highlight;
    highlight.boxVisible = 0;

    struct Record {
        const char* name;
        QByteArray bytes;
        std::function<bool(TDataStream&)> read;
        std::function<bool()> same;
    };
    TMSTitleProperties titleBack;
    TMSPeakProperties peakBack;
    TMSHighlightProperties highlightBack;
    titleBack.font = fixedFont(1);
    peakBack.font = fixedFont(1);
    Record records[] = {
        {"title", written([&](TDataStream& s) { title.write(s); }), [&](TDataStream& s) { return titleBack.read(s); },
         [&] { return !titleBack.visible && titleBack.format == "{desc}" && titleBack.font == title.font; }},
        {"peak_label", written([&](TDataStream& s) { peak.write(s); }), [&](TDataStream& s) { return peakBack.read(s); },
         [&] { return peakBack.peakFlags == 113 && peakBack.threshold == 0.125 && peakBack.font == peak.font; }},
        {"highlight", written([&](TDataStream& s) { highlight.write(s); }),
         [&](TDataStream& s) { return highlightBack.read(s); },
         [&] { return highlightBack.boxVisible == 0 && highlightBack.color == highlight.color; }},
        {"label", written([&](TDataStream& s) { static_cast<const TLabelProperties&>(peak).write(s); }),
         [&](TDataStream& s) { return static_cast<TLabelProperties&>(peakBack).read(s); },
         [&] { return peakBack.color == peak.color && peakBack.decimals == 3; }},
    };
    for (Record& r : records) {
        SCOPED_TRACE(r.name);
        plottest::expectGolden(r.bytes, r.name);
        QByteArray copy = r.bytes;
        TDataStream s(&copy, QIODevice::ReadOnly, 0);
        ASSERT_TRUE(r.read(s));
        EXPECT_EQ(s.remaining(), 0);
        EXPECT_TRUE(r.same());
        for (int n = 0; n < r.bytes.size(); ++n) {
            QByteArray cut = r.bytes.left(n);
            TDataStream c(&cut, QIODevice::ReadOnly, 0);
            EXPECT_FALSE(r.read(c)) << n;
        }
    }
    // Every cut left the records as they were after the whole read.
    EXPECT_TRUE(records[0].same());
    EXPECT_TRUE(records[1].same());
    EXPECT_TRUE(records[2].same());

    // A default title written and read back: visible, default format.
    TMSTitleProperties def;
    QByteArray d = written([&](TDataStream& s) { def.write(s); });
    TDataStream ds(&d, QIODevice::ReadOnly, 0);
    TMSTitleProperties back;
    back.visible = false;
    back.format.clear();
    ASSERT_TRUE(back.read(ds));
    EXPECT_TRUE(back.visible);
    EXPECT_EQ(back.format, TMSTitleProperties::kDefaultFormat);

    // Empty main blocks keep the values.
    QByteArray empty = plottest::written([](TDataStream& s) {
        for (int i = 0; i < 4; ++i) {
            s.beginBlock();
            s.endBlock();
        }
        s << qint32(0);
    });
    TDataStream es(&empty, QIODevice::ReadOnly, 0);
    TMSTitleProperties kept;
    kept.format = "{file}";
    TMSHighlightProperties keptH;
    keptH.boxVisible = 7;
    ASSERT_TRUE(kept.read(es));
    ASSERT_TRUE(keptH.read(es));
    EXPECT_EQ(kept.format, "{file}");
    EXPECT_EQ(keptH.boxVisible, 7);
}

}  // namespace
