// The plot, line and mass plot property forms: what each widget loads
// from a plot property set and stores into one, field by field; widgets
// hidden by plot kind; the tab order; the title format's macro editor.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

#include "kstestqt.h"
#include "pagestest.h"
#include "t1dmassplot.h"
#include "tmassspectrumpropertiesbag.h"
#include "tplotpropertiesbag.h"
#include "wcolorpicker.h"
#include "wmacroeditordialog.h"
#include "wmassplotpropertieswidget.h"

using pagestest::child;

namespace {

class Forms : public ::testing::Test {
protected:
    template <class T>
    T* w(const char* name)
    {
        return child<T>(&form, name);
    }
    // Load, then store into a copy of the set (as the page does).
    std::unique_ptr<TMassPlotPropertiesBag> roundTrip(std::function<void()> edit = {})
    {
        form.loadProperties(set);
        if (edit)
            edit();
        auto out = std::make_unique<TMassPlotPropertiesBag>(set);
        copyPlotPropertiesBag(set, *out);
        form.storeProperties(*out);
        return out;
    }
    T1DPlotProperties& group() { return set.lineProperties(); }

    TMassPlotPropertiesBag set;
    WMassPlotPropertiesWidget form;
};

const double kPixelsPerMm = 300 / 25.4;

}  // namespace

TEST_F(Forms, TabsAndWidgets)
{
    auto* tabs = w<QTabWidget>("fTabWidget");
    ASSERT_NE(tabs, nullptr);
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts << tabs->tabText(i);
    EXPECT_EQ(texts, QStringList({"Line", "Title", "Peaks", "Highlight", "Axes", "Basic"}));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(form.plotKind(), 0);

    struct Range {
        const char* name;
        double min, max, step;
        int decimals;
        const char* suffix;
    };
    const Range ranges[] = {
        {"fPlotAreaMarginSpinBox", 0, 99.99, 0.1, 2, " mm"},
        {"fLineWidthSpinBox", 0, 10, 1, 2, ""},
        {"fPeakThresholdSpinBox", 0, 100, 1, 2, "% of Max"},
    };
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.name);
        auto* box = w<QDoubleSpinBox>(r.name);
        ASSERT_NE(box, nullptr);
        EXPECT_DOUBLE_EQ(box->minimum(), r.min);
        EXPECT_DOUBLE_EQ(box->maximum(), r.max);
        EXPECT_DOUBLE_EQ(box->singleStep(), r.step);
        EXPECT_EQ(box->decimals(), r.decimals);
        EXPECT_EQ(box->suffix(), r.suffix);
    }
    struct IntRange {
        const char* name;
        int max, step;
        const char* suffix;
    };
    const IntRange intRanges[] = {
        {"fOpacitySpinBox", 100, 5, " %"},  {"fHorzDigitsSpinBox", 12, 1, ""},
        {"fVertDigitsSpinBox", 12, 1, ""},  {"fHldAlphaSpinBox", 100, 1, ""},
        {"fPeakDecimalsSpinBox", 10, 1, ""}, {"fPeakDecimalsSpinBox2", 10, 1, ""},
        {"fTitleDecimalsSpinBox", 99, 1, ""},
    };
    for (const IntRange& r : intRanges) {
        SCOPED_TRACE(r.name);
        auto* box = w<QSpinBox>(r.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->minimum(), 0);
        EXPECT_EQ(box->maximum(), r.max);
        EXPECT_EQ(box->singleStep(), r.step);
        EXPECT_EQ(box->suffix(), r.suffix);
    }
    const std::pair<const char*, const char*> texts2[] = {
        {"fHorizontalAxisGroupBox", "Horizontal"}, {"fVerticalAxisGroupBox", "Vertical"},
        {"fBackgroundBox", "Background"},          {"fGridBox", "Grid"},
        {"fLineBox", "Line"},                      {"fHldGroupBox", "Highlight"},
        {"fPeaksGroupBox", "Peaks"},               {"fPeakShow2ndLine", "Show Second Line Label"},
        {"fTitleGroupBox", "Title"},
    };
    for (const auto& [name, text] : texts2)
        EXPECT_EQ(w<QGroupBox>(name)->title(), text) << name;
    EXPECT_EQ(w<QCheckBox>("fHldBoxCheckBox")->text(), "Show higlighted area");
    EXPECT_EQ(w<QLabel>("label_6")->buddy(), w<QComboBox>("fLineStyleComboBox"));
    EXPECT_EQ(w<QComboBox>("fLineStyleComboBox")->count(), 3);
    EXPECT_EQ(w<QComboBox>("fLineStyleComboBox")->itemText(2), "Circles");
    EXPECT_EQ(w<QToolButton>("fTitleFormatButton")->text(), "...");
    for (const char* picker : {"fAxesColorButton", "fBackgroundColorButton", "fGridColorButton", "fLineColor",
                               "fHldColorButton", "fPeakColorButton", "fTitleColorButton"})
        EXPECT_EQ(w<WColorPicker>(picker)->text(), QString()) << picker;
    // The log check boxes are never shown.
    EXPECT_TRUE(w<QCheckBox>("fHorzScaleLogCheckBox")->isHidden());
    EXPECT_TRUE(w<QCheckBox>("fVertScaleLogCheckBox")->isHidden());
    EXPECT_TRUE(w<QGroupBox>("fPeakShow2ndLine")->isChecked());
}

// One row per field of the base and line forms.
TEST_F(Forms, BaseAndLineFieldsLoadAndStore)
{
    // Background opacity: truncated on load, multiplied on store.
    QColor bg(10, 20, 30);
    bg.setAlphaF(0.749);
    group().setBackground(QBrush(bg));
    auto out = roundTrip();
    EXPECT_EQ(w<QSpinBox>("fOpacitySpinBox")->value(), 74);
    EXPECT_EQ(w<WColorPicker>("fBackgroundColorButton")->currentColor(), QColor(10, 20, 30));
    EXPECT_NEAR(out->lineProperties().background().color().alphaF(), 0.74, 1e-4);
    EXPECT_EQ(out->lineProperties().background().style(), Qt::SolidPattern);

    // A picked colour's own alpha is multiplied by the opacity.
    QColor half(50, 60, 70);
    half.setAlphaF(0.5);
    out = roundTrip([&] {
        w<WColorPicker>("fBackgroundColorButton")->setCurrentColor(half);
        w<QSpinBox>("fOpacitySpinBox")->setValue(50);
    });
    EXPECT_NEAR(out->lineProperties().background().color().alphaF(), 0.25, 1e-4);

    // Flags are replaced whole.
    group().setFlags(0x7fef);
    out = roundTrip([&] {
        w<QCheckBox>("fHGridShowCheckBox")->setChecked(true);
        w<QCheckBox>("fVGridShowCheckBox")->setChecked(false);
        w<QCheckBox>("fGridShowOverCheckBox")->setChecked(false);
        w<QCheckBox>("fBaselineShowCheckBox")->setChecked(true);
    });
    EXPECT_EQ(out->lineProperties().flags(), 0x12);
    group().setFlags(0x101);
    out = roundTrip();
    EXPECT_FALSE(w<QCheckBox>("fHGridShowCheckBox")->isChecked());
    EXPECT_TRUE(w<QCheckBox>("fVGridShowCheckBox")->isChecked());
    EXPECT_TRUE(w<QCheckBox>("fGridShowOverCheckBox")->isChecked());
    EXPECT_FALSE(w<QCheckBox>("fBaselineShowCheckBox")->isChecked());
    EXPECT_EQ(out->lineProperties().flags(), 0x101);

    // Frame: 15 or 0.
    for (auto [sides, checked, stored] : {std::tuple{15, true, 15}, {5, false, 0}, {0, false, 0}}) {
        group().setFrameSides(sides);
        out = roundTrip();
        EXPECT_EQ(w<QCheckBox>("fFrameShowCheckBox")->isChecked(), checked) << sides;
        EXPECT_EQ(out->lineProperties().frameSides(), stored) << sides;
    }

    // Pens: colours from the pickers; the frame pen becomes the grid pen.
    QPen grid(Qt::red, 3, Qt::DotLine);
    group().setGridPen(grid);
    group().setFramePen(QPen(Qt::blue, 7, Qt::DashLine));
    group().setAxesPen(QPen(QColor(1, 2, 3), 4, Qt::DashDotLine));
    out = roundTrip([&] { w<WColorPicker>("fGridColorButton")->setCurrentColor(QColor(0, 255, 0)); });
    EXPECT_EQ(w<WColorPicker>("fAxesColorButton")->currentColor(), QColor(1, 2, 3));
    grid.setColor(QColor(0, 255, 0));
    EXPECT_EQ(out->lineProperties().gridPen(), grid);
    EXPECT_EQ(out->lineProperties().framePen(), grid);
    EXPECT_EQ(out->lineProperties().axesPen(), QPen(QColor(1, 2, 3), 4, Qt::DashDotLine));

    // Axes font and its label's colour.
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(36);
    group().setFont(font);
    out = roundTrip();
    EXPECT_EQ(out->lineProperties().font(), font);
    EXPECT_EQ(child<QLabel>(w<QWidget>("fAxesFontWidget"), "")->palette().color(QPalette::WindowText),
              QColor(1, 2, 3));

    // Margin in millimetres; unchanged unless edited by a shown decimal.
    struct Margin {
        const char* name;
        double stored;
        double shown;
        double edit;  // < 0: no edit
        double result;
    };
    const Margin margins[] = {
        {"15 px kept", 15, 1.27, -1, 15},
        {"2.00 mm", 15, 1.27, 2.0, 2.0 * kPixelsPerMm},
        {"above the range, kept", 2000, 99.99, -1, 2000},
        {"above the range, edited", 2000, 99.99, 50.0, 50.0 * kPixelsPerMm},
        {"within a decimal of the stored", 15.04, 1.27, -1, 15.04},
    };
    for (const Margin& m : margins) {
        SCOPED_TRACE(m.name);
        group().setMargin(m.stored);
        out = roundTrip([&] {
            if (m.edit >= 0)
                w<QDoubleSpinBox>("fPlotAreaMarginSpinBox")->setValue(m.edit);
        });
        EXPECT_DOUBLE_EQ(w<QDoubleSpinBox>("fPlotAreaMarginSpinBox")->value(), m.edit >= 0 ? m.edit : m.shown);
        EXPECT_DOUBLE_EQ(out->lineProperties().margin(), m.result);
    }

    // Axis records, the hidden log boxes carrying logScale.
    set.axisRecord(1) = {false, false, "m/z", 4, true};
    set.axisRecord(2) = {true, true, "Intensity", 12, false};
    out = roundTrip();
    EXPECT_FALSE(w<QGroupBox>("fHorizontalAxisGroupBox")->isChecked());
    EXPECT_EQ(w<QLineEdit>("fHorizontalLabelLineEdit")->text(), "m/z");
    EXPECT_EQ(w<QSpinBox>("fHorzDigitsSpinBox")->value(), 4);
    EXPECT_TRUE(w<QCheckBox>("fHorzScaleLogCheckBox")->isChecked());
    EXPECT_EQ(w<QSpinBox>("fVertDigitsSpinBox")->value(), 12);
    EXPECT_TRUE(out->axisRecord(1) == set.axisRecord(1));
    EXPECT_TRUE(out->axisRecord(2) == set.axisRecord(2));
    out = roundTrip([&] {
        w<QCheckBox>("fVerticalLabelCheckBox")->setChecked(false);
        w<QLineEdit>("fVerticalLabelLineEdit")->setText("Counts");
    });
    EXPECT_FALSE(out->axisRecord(2).captionVisible);
    EXPECT_EQ(out->axisRecord(2).caption, "Counts");
    EXPECT_TRUE(out->axisRecord(1).logScale);

    // Line style and width (kept unless edited by a shown decimal).
    struct Width {
        const char* name;
        double stored;
        double shown;
        double edit;
        double result;
    };
    const Width widths[] = {
        {"2.5", 2.5, 2.5, -1, 2.5},
        {"2.504 kept", 2.504, 2.5, -1, 2.504},
        {"above the range, kept", 20, 10, -1, 20},
        {"edited", 2.504, 2.5, 3.0, 3.0},
    };
    for (const Width& c : widths) {
        SCOPED_TRACE(c.name);
        group().setTracePen(QPen(QColor(9, 9, 9), c.stored, Qt::DashLine));
        out = roundTrip([&] {
            if (c.edit >= 0)
                w<QDoubleSpinBox>("fLineWidthSpinBox")->setValue(c.edit);
        });
        EXPECT_DOUBLE_EQ(w<QDoubleSpinBox>("fLineWidthSpinBox")->value(), c.edit >= 0 ? c.edit : c.shown);
        EXPECT_DOUBLE_EQ(out->lineProperties().tracePen().widthF(), c.result);
        EXPECT_EQ(out->lineProperties().tracePen().style(), Qt::DashLine);
    }
    group().setLineStyle(1);
    out = roundTrip();
    EXPECT_EQ(w<QComboBox>("fLineStyleComboBox")->currentText(), "Crosses");
    out = roundTrip([&] {
        w<QComboBox>("fLineStyleComboBox")->setCurrentIndex(2);
        w<WColorPicker>("fLineColor")->setCurrentColor(QColor(0, 0, 255));
    });
    EXPECT_EQ(out->lineProperties().lineStyle(), 2);
    EXPECT_EQ(out->lineProperties().tracePen().color(), QColor(0, 0, 255));

    // What no form shows stays.
    group().setOuterInset(77);
    group().setBreakGap(99);
    group().setTickParameter(3);
    group().setTextOrientation(1);
    out = roundTrip([&] { w<QSpinBox>("fOpacitySpinBox")->setValue(30); });
    EXPECT_EQ(out->lineProperties().outerInset(), 77);
    EXPECT_EQ(out->lineProperties().breakGap(), 99);
    EXPECT_EQ(out->lineProperties().tickParameter(), 3);
    EXPECT_EQ(out->lineProperties().textOrientation(), 1);
}

// One row per field of the mass plot form.
TEST_F(Forms, MassFieldsLoadAndStore)
{
    TMSPeakProperties& peaks = set.peakProperties;

    // peakFlags 0x61: labels, wedges, baseline; no second line.
    peaks.peakFlags = 0x61;
    auto out = roundTrip();
    EXPECT_TRUE(w<QGroupBox>("fPeaksGroupBox")->isChecked());
    EXPECT_FALSE(w<QGroupBox>("fPeakShow2ndLine")->isChecked());
    EXPECT_FALSE(w<QWidget>("frame")->isEnabled());
    for (const char* radio : {"fPeakShowIntensity", "fPeakShowHeight", "fPeakShowArea", "fPeakShowAbundance"})
        EXPECT_FALSE(w<QRadioButton>(radio)->isChecked()) << radio;
    EXPECT_TRUE(w<QCheckBox>("fPeakShowWedges")->isChecked());
    EXPECT_TRUE(w<QCheckBox>("fPeakShowBaseline")->isChecked());
    EXPECT_EQ(out->peakProperties.peakFlags, 0x61);

    // Each second-line bit to its radio button and back; unknown bits kept.
    struct Line {
        const char* radio;
        int32_t bit;
    };
    const Line lines[] = {{"fPeakShowIntensity", 2}, {"fPeakShowAbundance", 4}, {"fPeakShowArea", 8},
                          {"fPeakShowHeight", 0x10}};
    for (const Line& l : lines) {
        SCOPED_TRACE(l.radio);
        peaks.peakFlags = 0x1000 | l.bit;
        out = roundTrip();
        EXPECT_TRUE(w<QGroupBox>("fPeakShow2ndLine")->isChecked());
        EXPECT_TRUE(w<QRadioButton>(l.radio)->isChecked());
        EXPECT_EQ(out->peakProperties.peakFlags, 0x1000 | l.bit);
    }
    // Switching the line on checks "Intensity"; off clears all four bits.
    peaks.peakFlags = 0x61;
    out = roundTrip([&] { w<QGroupBox>("fPeakShow2ndLine")->setChecked(true); });
    EXPECT_TRUE(w<QRadioButton>("fPeakShowIntensity")->isChecked());
    EXPECT_EQ(out->peakProperties.peakFlags, 0x63);
    peaks.peakFlags = 0x1f;
    out = roundTrip([&] {
        w<QGroupBox>("fPeakShow2ndLine")->setChecked(false);
        w<QGroupBox>("fPeaksGroupBox")->setChecked(false);
        w<QCheckBox>("fPeakShowWedges")->setChecked(true);
    });
    EXPECT_EQ(out->peakProperties.peakFlags, 0x20);

    // Peak label fields.
    peaks.color = QColor(0, 0, 128);
    peaks.decimals = 7;
    peaks.secondLineDecimals = 3;
    peaks.threshold = 0.05;
    out = roundTrip();
    EXPECT_EQ(w<WColorPicker>("fPeakColorButton")->currentColor(), QColor(0, 0, 128));
    EXPECT_EQ(w<QSpinBox>("fPeakDecimalsSpinBox")->value(), 7);
    EXPECT_EQ(w<QSpinBox>("fPeakDecimalsSpinBox2")->value(), 3);
    EXPECT_EQ(w<QDoubleSpinBox>("fPeakThresholdSpinBox")->text(), "5.00% of Max");
    EXPECT_EQ(out->peakProperties.color, QColor(0, 0, 128));
    EXPECT_EQ(out->peakProperties.decimals, 7);
    EXPECT_EQ(out->peakProperties.secondLineDecimals, 3);
    EXPECT_DOUBLE_EQ(out->peakProperties.threshold, 0.05);
    out = roundTrip([&] {
        w<QDoubleSpinBox>("fPeakThresholdSpinBox")->setValue(12.5);
        w<WColorPicker>("fPeakColorButton")->setCurrentColor(QColor(255, 0, 0));
    });
    EXPECT_DOUBLE_EQ(out->peakProperties.threshold, 0.125);
    EXPECT_EQ(out->peakProperties.color, QColor(255, 0, 0));
    // The peak colour reaches its font label; the title's does not.
    EXPECT_EQ(child<QLabel>(w<QWidget>("fPeakFontWidget"), "")->palette().color(QPalette::WindowText),
              QColor(255, 0, 0));

    // Title fields.
    TMSTitleProperties& title = set.titleProperties;
    title.visible = false;
    title.color = QColor(0, 100, 0);
    title.decimals = 42;
    title.format = "{file} {desc}";
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(40);
    title.font = font;
    out = roundTrip();
    EXPECT_FALSE(w<QGroupBox>("fTitleGroupBox")->isChecked());
    EXPECT_EQ(w<QLineEdit>("fTitleFormat")->text(), "{file} {desc}");
    EXPECT_EQ(w<QSpinBox>("fTitleDecimalsSpinBox")->value(), 42);
    EXPECT_FALSE(out->titleProperties.visible);
    EXPECT_EQ(out->titleProperties.color, QColor(0, 100, 0));
    EXPECT_EQ(out->titleProperties.decimals, 42);
    EXPECT_EQ(out->titleProperties.font, font);
    EXPECT_EQ(out->titleProperties.format, "{file} {desc}");

    // Highlight: alpha rounded on load, replaced (not multiplied) on store.
    struct Highlight {
        const char* name;
        QColor stored;
        QColor picked;  // invalid: no pick
        int opacity;    // -1: as loaded
        int shown;
        double alpha;
    };
    QColor pickedHalf(200, 0, 0);
    pickedHalf.setAlphaF(0.5);
    const Highlight highlights[] = {
        {"default, unchanged", QColor(0, 128, 128, 192), QColor(), -1, 75, 0.75},
        {"picked alpha 0.5, opacity 80", QColor(0, 128, 128, 192), pickedHalf, 80, 75, 0.8},
        {"opaque", QColor(1, 2, 3), QColor(), -1, 100, 1.0},
        {"transparent", QColor(1, 2, 3, 0), QColor(), -1, 0, 0.0},
    };
    for (const Highlight& h : highlights) {
        SCOPED_TRACE(h.name);
        set.highlight.color = h.stored;
        out = roundTrip([&] {
            EXPECT_EQ(w<QSpinBox>("fHldAlphaSpinBox")->value(), h.shown);
            if (h.picked.isValid())
                w<WColorPicker>("fHldColorButton")->setCurrentColor(h.picked);
            if (h.opacity >= 0)
                w<QSpinBox>("fHldAlphaSpinBox")->setValue(h.opacity);
        });
        EXPECT_NEAR(out->highlight.color.alphaF(), h.alpha, 1e-4);
        EXPECT_EQ(out->highlight.color.rgb(), (h.picked.isValid() ? h.picked : h.stored).rgb());
    }
    EXPECT_EQ(out->kind, 0);  // no mass plot loaded
}

TEST_F(Forms, WidgetsHiddenByPlotKind)
{
    struct Case {
        const char* name;
        int kind, style;
        std::vector<const char*> hidden;
        std::vector<const char*> shown;
    };
    const Case cases[] = {
        {"chromatogram",
         T1DMassPlot::Chromatogram,
         T1DMassPlot::Profile,
         {"fPeakShowAbundance", "fHldBoxCheckBox", "fBaselineShowCheckBox"},
         {"fPeakShowHeight", "fPeakShowArea", "fPeakShowWedges", "fPeakShowBaseline", "fPeakThresholdLabel",
          "fPeakThresholdSpinBox"}},
        {"profile spectrum",
         T1DMassPlot::Spectrum,
         T1DMassPlot::Profile,
         {"fPeakShowHeight", "fPeakShowArea", "fPeakShowWedges", "fPeakShowBaseline", "fPeakThresholdLabel",
          "fPeakThresholdSpinBox", "fBaselineShowCheckBox"},
         {"fPeakShowAbundance", "fHldBoxCheckBox"}},
        {"centroid spectrum",
         T1DMassPlot::Spectrum,
         T1DMassPlot::Centroid,
         {"fPeakShowHeight", "fPeakThresholdSpinBox"},
         {"fBaselineShowCheckBox", "fPeakShowAbundance", "fHldBoxCheckBox"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        T1DMassPlot plot(c.kind, c.style, QUuid::createUuid(), nullptr);
        TMassPlotPropertiesBag plotSet(&plot);
        plotSet.highlight.boxVisible = 0x101;
        WMassPlotPropertiesWidget form;
        form.loadProperties(plotSet);
        EXPECT_EQ(form.plotKind(), c.kind);
        for (const char* name : c.hidden)
            EXPECT_TRUE(child<QWidget>(&form, name)->isHidden()) << name;
        for (const char* name : c.shown)
            EXPECT_FALSE(child<QWidget>(&form, name)->isHidden()) << name;

        // The box flag: loaded and stored for spectra only.
        auto* box = child<QCheckBox>(&form, "fHldBoxCheckBox");
        EXPECT_EQ(box->isChecked(), c.kind == T1DMassPlot::Spectrum);
        box->setChecked(false);
        TMassPlotPropertiesBag out(plotSet);
        copyPlotPropertiesBag(plotSet, out);
        out.kind = 0;
        form.storeProperties(out);
        EXPECT_EQ(out.kind, c.kind);
        EXPECT_EQ(out.highlight.boxVisible, c.kind == T1DMassPlot::Chromatogram ? 0x101 : 0x100);

        // A set without a mass plot: nothing hidden anew, kind kept, box
        // flag not loaded.
        TMassPlotPropertiesBag plain;
        plain.highlight.boxVisible = 1;
        form.loadProperties(plain);
        EXPECT_EQ(form.plotKind(), c.kind);
        EXPECT_FALSE(box->isChecked());
    }
}

TEST_F(Forms, TitleFormatMacroEditor)
{
    set.titleProperties.format = "{desc}";
    form.loadProperties(set);
    auto* button = w<QToolButton>("fTitleFormatButton");
    auto* format = w<QLineEdit>("fTitleFormat");

    ks::test::whenModal([](WMacroEditorDialog* d) {
        EXPECT_EQ(d->text(), "{desc}");
        d->reject();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    ks::test::finishModalAnswers();
    EXPECT_EQ(format->text(), "{desc}");

    ks::test::whenModal([](WMacroEditorDialog* d) {
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("leText"));
        ASSERT_NE(edit, nullptr);
        edit->setText("{file} {desc}");
        d->accept();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    ks::test::finishModalAnswers();
    EXPECT_EQ(format->text(), "{file} {desc}");
}
