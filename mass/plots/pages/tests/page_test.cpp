// The mass properties page over the bags of mass items on the recording
// host: tabs from the plot sets, reloading by plot kind, collecting into
// the bag (changed flag, unseen properties kept), stored defaults per plot
// kind, bags of other kinds, and pictures of every tab.
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "itemtest.h"
#include "kstestqt.h"
#include "pagestest.h"
#include "t1dmassplot.h"
#include "tcmdproperties.h"
#include "tmassdataobj.h"
#include "tmassspectrumpropertiesbag.h"
#include "tplotpropertiesbag.h"
#include "wmassplotpropertieswidget.h"
#include "wmasspropertieswidget.h"

using namespace itemtest;
using pagestest::child;

namespace {

TMassSpecDataObj* pageSpectrum(double mz)
{
    TKSMassSpectrum s;
    EXPECT_TRUE(s.setPoints({mz, mz + 1}, {5, 50}));
    return new TMassSpecDataObj(QUuid::createUuid(), s, 1);
}

TChromatogramDataObj* pageChromatogram()
{
    TKSChromatogram c;
    EXPECT_TRUE(c.setPoints({0.1, 0.2, 0.3}, {10, 40, 20}));
    return new TChromatogramDataObj(QUuid::createUuid(), c, 1);
}

int spinValue(WMassPropertiesWidget& page, int tab, const char* name)
{
    return child<QSpinBox>(page.tab(tab), name)->value();
}

// What a person sees of the page's current tab is whole: every tab of
// the inner tab bar, every group's title (the rectangle the style draws it
// into holds the text's advance), every shown field inside the page, and
// the title format from its start.
void expectShownWhole(WMassPropertiesWidget& page, QTabWidget* tabs, const QString& name)
{
    SCOPED_TRACE(name.toStdString());
    QTabBar* bar = tabs->tabBar();
    for (int i = 0; i < bar->count(); ++i)
        EXPECT_TRUE(bar->rect().contains(bar->tabRect(i))) << bar->tabText(i).toStdString();
    QWidget* tab = tabs->currentWidget();
    for (QGroupBox* box : tab->findChildren<QGroupBox*>()) {
        if (!box->isVisibleTo(&page) || box->title().isEmpty())
            continue;
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel |
                             (box->isCheckable() ? QStyle::SC_GroupBoxCheckBox : QStyle::SC_None);
        const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        EXPECT_GE(title.width(), box->fontMetrics().horizontalAdvance(box->title())) << box->title().toStdString();
        EXPECT_TRUE(box->rect().contains(title)) << box->title().toStdString();
    }
    const QRect whole = page.rect();
    for (QWidget* w : tab->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&page) || !w->parentWidget() || w->parentWidget()->inherits("QAbstractSpinBox"))
            continue;
        const QRect r(w->mapTo(&page, QPoint(0, 0)), w->size());
        EXPECT_TRUE(whole.contains(r)) << w->objectName().toStdString();
    }
    if (auto* format = tab->findChild<QLineEdit*>(QStringLiteral("fTitleFormat")))
        EXPECT_EQ(format->cursorPosition(), 0) << "the format is shown from its start";
}

}  // namespace

class MassPage : public ItemTest {
protected:
    // Three plots, two visible: a chromatogram, a hidden spectrum and a
    // spectrum (in plot order).
    TCanvasMass* threePlots()
    {
        TCanvasMass* item = emptyItem();
        item->addPlotObject(pageChromatogram());
        item->addPlotObject(pageSpectrum(100));
        item->addPlotObject(pageSpectrum(200));
        item->setPlotVisible(item->plotAtIndex(1)->id(), false);
        return item;
    }
    static std::unique_ptr<TMassSpectrumPropertiesBag> bagOf(TCanvasItem* item)
    {
        return std::make_unique<TMassSpectrumPropertiesBag>(item);
    }
    // The bag read from another bag's bytes: no item, so no descriptions.
    static std::unique_ptr<TMassSpectrumPropertiesBag> detached(const TMassSpectrumPropertiesBag& from)
    {
        QByteArray bytes;
        {
            TDataStream out(&bytes, QIODevice::WriteOnly);
            from.write(out);
        }
        auto bag = std::make_unique<TMassSpectrumPropertiesBag>(nullptr);
        TDataStream in(&bytes, QIODevice::ReadOnly);
        bag->read(in);
        return bag;
    }
    static QString description(TCanvasMass* item, int plot)
    {
        return item->dataObject(item->plotAtIndex(plot)->id())->description();
    }
};

TEST_F(MassPage, TabsFromThePlotSets)
{
    TCanvasMass* item = threePlots();
    item->setCurrentPlot(item->plotAtIndex(2));
    auto bag = bagOf(item);
    ASSERT_EQ(bag->plotBags().size(), 2);

    WMassPropertiesWidget page;
    EXPECT_EQ(page.objectName(), "WMassPropertiesWidgetClass");
    EXPECT_EQ(page.windowTitle(), "Mass Properties");
    EXPECT_EQ(page.pageTitle(), "Mass Spectrum");
    EXPECT_TRUE(page.supportsDefaults());
    EXPECT_EQ(page.owner(), nullptr);
    QTabWidget* tabs = child<QTabWidget>(&page, "fTabWidget");
    ASSERT_EQ(tabs, page.tabWidget());
    EXPECT_EQ(tabs->count(), 0);  // the placeholder is gone
    EXPECT_EQ(tabs->tabPosition(), QTabWidget::West);
    EXPECT_EQ(page.findChild<QWidget*>("fPlotTab"), nullptr);

    page.setItems(bag.get());
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), description(item, 0));
    EXPECT_EQ(tabs->tabText(1), description(item, 2));
    EXPECT_FALSE(tabs->tabText(0).isEmpty());
    EXPECT_EQ(page.tab(1)->toolTip(), tabs->tabText(1));
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(page.tab(0)->plotKind(), 1);
    EXPECT_EQ(page.tab(1)->plotKind(), 2);

    // Without descriptions: "Plot 1", "Plot 2"; a current index of -1 or
    // past the tabs leaves the first tab current.
    for (int current : {-1, 0, 2}) {
        SCOPED_TRACE(current);
        item->setCurrentPlot(current < 0 ? nullptr : item->plotAtIndex(current));
        auto plain = detached(*bagOf(item));
        WMassPropertiesWidget other;
        other.setItems(plain.get());
        ASSERT_EQ(other.tabWidget()->count(), 2);
        EXPECT_EQ(other.tabWidget()->tabText(0), "Plot 1");
        EXPECT_EQ(other.tabWidget()->tabText(1), "Plot 2");
        EXPECT_EQ(other.tabWidget()->currentIndex(), current == 2 ? 1 : 0);
    }
    // One plot, none current.
    WMassPropertiesWidget onePlot;
    TCanvasMass* single = emptyItem();
    single->addPlotObject(pageSpectrum(300));
    auto singleBag = bagOf(single);
    onePlot.setItems(singleBag.get());
    EXPECT_EQ(onePlot.tabWidget()->count(), 1);
    EXPECT_EQ(onePlot.tabWidget()->currentIndex(), 0);

    // An empty bag: no tabs; other operations do nothing.
    TMassSpectrumPropertiesBag empty(nullptr);
    WMassPropertiesWidget none;
    none.setItems(&empty);
    EXPECT_EQ(none.tabWidget()->count(), 0);
    none.propertiesBag(&empty);
    none.saveAsDefault(&empty);
    none.loadDefault(&empty);  // no current tab: no box
    EXPECT_FALSE(empty.isChanged());
}

TEST_F(MassPage, BagsOfAnotherKindAreIgnored)
{
    TCanvasMass* item = threePlots();
    auto bag = bagOf(item);
    TItemPropertiesBag other(item);
    WMassPropertiesWidget page;
    page.setItems(&other);
    EXPECT_EQ(page.tabWidget()->count(), 0);
    page.setItems(bag.get());
    ASSERT_EQ(page.tabWidget()->count(), 2);
    child<QSpinBox>(page.tab(0), "fPeakDecimalsSpinBox")->setValue(9);
    page.propertiesBag(&other);
    page.saveAsDefault(&other);
    page.loadDefault(&other);  // no box
    page.setItems(&other);
    EXPECT_FALSE(other.isChanged());
    EXPECT_EQ(spinValue(page, 0, "fPeakDecimalsSpinBox"), 9);
    EXPECT_FALSE(QSettings().contains("Mass/Plot Properties/Chromatogram"));
    page.setOwner(&other);
    EXPECT_EQ(page.owner(), &other);
}

TEST_F(MassPage, SecondFillReloadsByPlotKind)
{
    TCanvasMass* item = threePlots();  // chromatogram, spectrum
    auto bag = bagOf(item);
    WMassPropertiesWidget page;
    page.setItems(bag.get());
    page.tabWidget()->setCurrentIndex(1);

    // Another item: spectrum, chromatogram, spectrum.
    TCanvasMass* other = emptyItem();
    other->addPlotObject(pageSpectrum(500));
    other->addPlotObject(pageChromatogram());
    other->addPlotObject(pageSpectrum(600));
    auto second = bagOf(other);
    ASSERT_EQ(second->plotBags().size(), 3);
    second->plotBags()[0]->peakProperties.decimals = 5;
    second->plotBags()[1]->peakProperties.decimals = 6;
    second->plotBags()[2]->peakProperties.decimals = 8;  // no second spectrum tab: skipped
    page.setItems(second.get());
    EXPECT_EQ(page.tabWidget()->count(), 2);
    EXPECT_EQ(spinValue(page, 0, "fPeakDecimalsSpinBox"), 6);  // the chromatogram tab
    EXPECT_EQ(spinValue(page, 1, "fPeakDecimalsSpinBox"), 5);  // the spectrum tab
    EXPECT_EQ(page.tabWidget()->currentIndex(), 1);

    // Sets of kinds the page has no tab for are skipped.
    auto kindless = detached(*second);
    for (TMassPlotPropertiesBag* set : kindless->plotBags()) {
        set->kind = 7;
        set->peakProperties.decimals = 1;
    }
    page.setItems(kindless.get());
    EXPECT_EQ(spinValue(page, 0, "fPeakDecimalsSpinBox"), 6);
    EXPECT_EQ(spinValue(page, 1, "fPeakDecimalsSpinBox"), 5);
}

TEST_F(MassPage, CollectingIntoTheBag)
{
    TCanvasMass* item = threePlots();
    auto bag = bagOf(item);
    // What no form shows, set through the bag.
    T1DPlotProperties& spectrum = bag->plotBags()[1]->lineProperties();
    spectrum.setBreakGap(99);
    spectrum.setOuterInset(55);
    QPen axes = spectrum.axesPen();
    axes.setStyle(Qt::DashDotLine);
    axes.setWidthF(3.5);
    spectrum.setAxesPen(axes);
    QPen trace = spectrum.tracePen();
    trace.setStyle(Qt::DotLine);
    spectrum.setTracePen(trace);
    bag->plotBags()[0]->highlight.boxVisible = 0;  // chromatogram: never loaded

    WMassPropertiesWidget page;
    page.setItems(bag.get());
    // A first collection settles what the forms round (the highlight's
    // alpha to whole percents); after it nothing changes without an edit.
    page.propertiesBag(bag.get());
    bag->setChanged(false);
    const QByteArray before0 = propertiesBagToByteArray(*bag->plotBags()[0]);
    const QByteArray before1 = propertiesBagToByteArray(*bag->plotBags()[1]);
    page.propertiesBag(bag.get());
    EXPECT_FALSE(bag->isChanged());
    EXPECT_EQ(propertiesBagToByteArray(*bag->plotBags()[0]), before0);
    EXPECT_EQ(propertiesBagToByteArray(*bag->plotBags()[1]), before1);
    EXPECT_EQ(bag->plotBags()[1]->lineProperties().breakGap(), 99);

    // An edit of another property of the spectrum plot.
    child<QSpinBox>(page.tab(1), "fPeakDecimalsSpinBox")->setValue(9);
    page.propertiesBag(bag.get());
    EXPECT_TRUE(bag->isChanged());
    const TMassPlotPropertiesBag& after = *bag->plotBags()[1];
    EXPECT_EQ(after.peakProperties.decimals, 9);
    EXPECT_EQ(after.lineProperties().breakGap(), 99);
    EXPECT_EQ(after.lineProperties().outerInset(), 55);
    EXPECT_EQ(after.lineProperties().axesPen().style(), Qt::DashDotLine);
    EXPECT_EQ(after.lineProperties().axesPen().widthF(), 3.5);
    EXPECT_EQ(after.lineProperties().tracePen().style(), Qt::DotLine);
    EXPECT_EQ(propertiesBagToByteArray(*bag->plotBags()[0]), before0);
    EXPECT_EQ(bag->plotBags()[0]->highlight.boxVisible, 0);

    // The flag is never cleared.
    page.propertiesBag(bag.get());
    EXPECT_TRUE(bag->isChanged());

    // Collecting stops at the shorter of tabs and sets.
    TCanvasMass* single = emptyItem();
    single->addPlotObject(pageChromatogram());
    auto shorter = bagOf(single);
    page.propertiesBag(shorter.get());
    EXPECT_EQ(shorter->plotBags()[0]->peakProperties.decimals, bag->plotBags()[0]->peakProperties.decimals);
}

TEST_F(MassPage, DefaultsPerPlotKind)
{
    TCanvasMass* item = threePlots();
    auto bag = bagOf(item);
    WMassPropertiesWidget page;
    page.setItems(bag.get());
    // Made before any defaults are stored (new plots take them).
    TCanvasMass* other = emptyItem();
    other->addPlotObject(pageSpectrum(400));
    auto otherBag = bagOf(other);

    // Nothing stored: the error box, the tab keeps its values.
    page.tabWidget()->setCurrentIndex(1);
    child<QSpinBox>(page.tab(1), "fPeakDecimalsSpinBox")->setValue(7);
    bool boxShown = false;
    ks::test::whenModal([&](QMessageBox* box) {
        boxShown = true;
        EXPECT_EQ(box->windowTitle(), "Error");
        EXPECT_EQ(box->text(), "Error loading default properties");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    page.loadDefault(bag.get());
    ks::test::finishModalAnswers();
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(spinValue(page, 1, "fPeakDecimalsSpinBox"), 7);

    // Saved from the spectrum tab (with its edit), under the spectrum key;
    // the bag is not changed.
    const QByteArray bagBytes = propertiesBagToByteArray(*bag->plotBags()[1]);
    page.saveAsDefault(bag.get());
    EXPECT_EQ(propertiesBagToByteArray(*bag->plotBags()[1]), bagBytes);
    QSettings settings;
    EXPECT_TRUE(settings.contains("Mass/Plot Properties/Spectrum"));
    EXPECT_FALSE(settings.contains("Mass/Plot Properties/Chromatogram"));

    // Loaded into a spectrum tab of another page; it reaches the bag when
    // collected.
    WMassPropertiesWidget second;
    second.setItems(otherBag.get());
    second.loadDefault(otherBag.get());
    EXPECT_EQ(spinValue(second, 0, "fPeakDecimalsSpinBox"), 7);
    EXPECT_NE(otherBag->plotBags()[0]->peakProperties.decimals, 7);
    second.propertiesBag(otherBag.get());
    EXPECT_EQ(otherBag->plotBags()[0]->peakProperties.decimals, 7);
    EXPECT_TRUE(otherBag->isChanged());

    // Spectrum defaults stored, the chromatogram tab current: the box.
    page.tabWidget()->setCurrentIndex(0);
    ks::test::whenModal([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
    page.loadDefault(bag.get());
    ks::test::finishModalAnswers();

    // Damaged stored defaults: cut short, a huge count. Read through the
    // bounded readers: the box, never a crash.
    page.tabWidget()->setCurrentIndex(1);
    const QByteArray good = settings.value("Mass/Plot Properties/Spectrum").toByteArray();
    // The title format's length precedes its big-endian UTF-16 text.
    ASSERT_TRUE(bag->plotBags()[1]->titleProperties.format.startsWith("{file"));
    const int at = good.indexOf(QByteArray("\0{\0f\0i\0l\0e", 10));
    ASSERT_GT(at, 4);
    QByteArray huge = good;
    huge.replace(at - 4, 4, QByteArray("\x7f\xff\xff\xf0", 4));
    struct Damage {
        const char* name;
        QByteArray bytes;
    };
    const Damage damages[] = {
        {"half", good.left(good.size() / 2)},
        {"three bytes", good.left(3)},
        {"huge string length", huge},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        settings.setValue("Mass/Plot Properties/Spectrum", d.bytes);
        settings.sync();
        child<QSpinBox>(page.tab(1), "fPeakDecimalsSpinBox")->setValue(6);
        bool shown = false;
        ks::test::whenModal([&](QMessageBox* box) {
            shown = true;
            box->button(QMessageBox::Ok)->click();
        });
        page.loadDefault(bag.get());
        ks::test::finishModalAnswers();
        EXPECT_TRUE(shown);
        EXPECT_EQ(spinValue(page, 1, "fPeakDecimalsSpinBox"), 6);
    }
}

TEST_F(MassPage, PicturesOfEveryTab)
{
    TCanvasMass* item = threePlots();
    auto bag = bagOf(item);
    WMassPropertiesWidget page;
    page.setItems(bag.get());
    page.show();
    QStringList written;
    for (int plot = 0; plot < page.tabWidget()->count(); ++plot) {
        page.tabWidget()->setCurrentIndex(plot);
        auto* tabs = child<QTabWidget>(page.tab(plot), "fTabWidget");
        ASSERT_EQ(tabs->count(), 6);
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            const QString name = QStringLiteral("pages_%1_%2")
                                     .arg(plot == 0 ? "chromatogram" : "spectrum", tabs->tabText(t).toLower());
            QApplication::processEvents();
            expectShownWhole(page, tabs, name);
            EXPECT_TRUE(pagestest::grabToPng(&page, name)) << name.toStdString();
            written << name;
        }
    }
    EXPECT_EQ(written.size(), 12);
}

TEST_F(MassPage, ChangedBagAppliedThroughTheCommand)
{
    // As the host does after the dialog: the page collected into the
    // item's bag, the bag's command run, undone and redone.
    TCanvasMass* item = threePlots();
    auto bag = bagOf(item);
    WMassPropertiesWidget page;
    page.setItems(bag.get());
    page.propertiesBag(bag.get());
    bag->setChanged(false);
    EXPECT_EQ(massBagCommand(*bag, item), nullptr);  // nothing edited

    auto* spectrum = static_cast<T1DMassPlot*>(item->plotAtIndex(2));
    const int before = spectrum->peakProperties().decimals;
    child<QSpinBox>(page.tab(1), "fPeakDecimalsSpinBox")->setValue(before + 2);
    page.propertiesBag(bag.get());
    ASSERT_TRUE(bag->isChanged());
    TCommand* command = massBagCommand(*bag, item);
    ASSERT_NE(command, nullptr);
    host.executeCommand(command);
    EXPECT_EQ(spectrum->peakProperties().decimals, before + 2);
    host.undo();
    EXPECT_EQ(spectrum->peakProperties().decimals, before);
    host.redo();
    EXPECT_EQ(spectrum->peakProperties().decimals, before + 2);
}
