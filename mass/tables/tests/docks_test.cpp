// The mass result tables as the host gets them: the recording host loads
// Ionvale.so with QPluginLoader, imports the bundled text dataset through
// the plug-in, creates each dock by name through the factories it was
// handed, gives it the mass item and refreshes it after each command.
// The test inspects the module's objects through the shared headers (the
// classes are laid out alike in both copies) and Qt's own classes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPluginLoader>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <memory>

#include "iplugins.h"
#include "kstest.h"
#include "kstestqt.h"
#include "owningdrawingpeer.h"
#include "pageitems.h"
#include "recordinghost.h"
#include "tcanvasmass.h"
#include "tcmdanalysis.h"
#include "tmassdataobj.h"
#include "tmasselementcompositiontable.h"
#include "tmasspeakstable.h"
#include "tmasstablefactories.h"
#include "ttablesettings.h"

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

QString ionvaleModule()
{
    return QString(KS_LIB_DIR) + "/Ionvale.so";
}

QString bundledTextDataset()
{
    return QString(KS_SOURCE_DIR) + "/../../dataservices/providers/text/samples/text_dataset.txt";
}

QString pngPath(const QString& name)
{
    return QDir(KS_BINARY_DIR).filePath(name);
}

// The texts of a view column, top to bottom.
QStringList columnTexts(QTableWidget* view, int column)
{
    QStringList texts;
    for (int r = 0; r < view->rowCount(); ++r)
        texts.append(view->item(r, column) ? view->item(r, column)->text() : QString("<none>"));
    return texts;
}

QStringList headerTexts(QTableWidget* view)
{
    QStringList texts;
    for (int c = 0; c < view->columnCount(); ++c)
        texts.append(view->horizontalHeaderItem(c) ? view->horizontalHeaderItem(c)->text() : QString());
    return texts;
}

// Object names of a tool bar's actions ("|" for a separator).
QStringList toolBarNames(QToolBar* bar)
{
    QStringList names;
    for (QAction* a : bar->actions())
        names.append(a->isSeparator() ? QString("|") : a->objectName());
    return names;
}

class DocksFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(ionvaleModule()))
            GTEST_SKIP() << "Ionvale.so is not built";
        ks::test::useCaseSettings();
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider"}));
        host = std::make_unique<lumatra::RecordingHost>();
        host->removeDrawingPeer();
        drawing = std::make_unique<OwningDrawingPeer>(*host);
        host->addPlugin(drawing.get());
        for (const char* name : {"massElCompConstraints", "massMoleculeMatch", "massMoleculeMatchMode",
                                 "massMolMatchOpts"})
            host->addHostAction(name);
        QPluginLoader loader(ionvaleModule());
        plugin = loader.instance();
        ASSERT_NE(plugin, nullptr) << loader.errorString().toStdString();
        host->loadPlugin(plugin);
        auto* import = pluginInterface<IPluginImport>(plugin, IPluginImport_iid);
        ASSERT_NE(import, nullptr);
        QStringList imported;
        ASSERT_EQ(import->importFile(bundledTextDataset(), 0, QString(), true, imported), 0);
        ASSERT_EQ(host->allItems().size(), 1);
        ASSERT_EQ(host->allItems().first()->rtti(), 112);
        mass = static_cast<TCanvasMass*>(host->allItems().first());
        ASSERT_NE(mass->dataset(), nullptr);
        ASSERT_TRUE(elements.initialize((QCoreApplication::applicationDirPath() + "/KSElements.ini").toStdWString()));
    }
    void TearDown() override
    {
        docks.clear();
        drawing.reset();
        host.reset();
        delete plugin;
    }

    TMassTableFactory* factory(const QString& dock)
    {
        for (TPluginDockWidgetFactory* f : host->factories())
            if (f->docks().contains(dock))
                return static_cast<TMassTableFactory*>(f);
        return nullptr;
    }

    // The dock made by its factory, pointed at the item and refreshed.
    template <class T>
    T* dock(const QString& name, TCanvasItem* item)
    {
        TMassTableFactory* f = factory(name);
        if (!f)
            return nullptr;
        WPluginDockWidget* d = f->createDockWidget(name);
        if (!d)
            return nullptr;
        docks.emplace_back(d);
        d->setItem(item);
        d->refresh();
        return static_cast<T*>(d);
    }

    // Runs a command through the host, then refreshes the docks as the
    // host does.
    void execute(TCommand* command)
    {
        host->executeCommand(command);
        for (const auto& d : docks)
            d->refresh();
    }

    TMassSpecDataObj* spectrumObject()
    {
        for (TMassDataObj* o : mass->dataObjects())
            if (TMassSpecDataObj* s = TMassSpecDataObj::cast(o))
                return s;
        return nullptr;
    }
    TChromatogramDataObj* chromatogramObject()
    {
        for (TMassDataObj* o : mass->dataObjects())
            if (TChromatogramDataObj* c = TChromatogramDataObj::cast(o))
                return c;
        return nullptr;
    }

    void makeCurrent(TMassDataObj* object)
    {
        TBasePlot* plot = mass->plot(object->id(), false);
        ASSERT_NE(plot, nullptr);
        mass->setCurrentPlot(plot);
    }

    // A real composition of the item's spectrum at its base peak, through
    // the host as an undoable command.
    void compose()
    {
        TMassSpecDataObj* spectrum = spectrumObject();
        ASSERT_NE(spectrum, nullptr);
        ASSERT_FALSE(spectrum->peaks().isEmpty());
        const auto top = std::max_element(spectrum->peaks().begin(), spectrum->peaks().end(),
                                          [](const TMSPeak& a, const TMSPeak& b) { return a.position.y() < b.position.y(); });
        // A wide window so that the candidates are many.
        TKSCompositionConstraints constraints = mass->elementComposition().calculator().getConstraints();
        constraints.setTolerance(500);
        mass->elementComposition().calculator().setConstraints(constraints);
        execute(new TCmdMassElementComposition(spectrum, top->position.x(), &elements, TCanvasItemList(mass)));
        ASSERT_GE(mass->elementComposition().calculator().getResults().size(), 3u);
    }

    std::unique_ptr<lumatra::RecordingHost> host;
    std::unique_ptr<OwningDrawingPeer> drawing;
    QObject* plugin = nullptr;
    TCanvasMass* mass = nullptr;
    TKSElementTable elements;
    std::vector<std::unique_ptr<WPluginDockWidget>> docks;
};

using MassTablesTest = DocksFixture;

}  // namespace

// ---- factories --------------------------------------------------------------

TEST_F(MassTablesTest, FactoriesOfferedInOrderWithTheirDocks)
{
    const QList<TPluginDockWidgetFactory*> factories = host->factories();
    ASSERT_GE(factories.size(), 3);
    struct Expected {
        const char* dock;
        const char* caption;
        const char* title;
        const char* reportTip;
        const char* copyTip;
    };
    const Expected expected[] = {
        {"MassElementCompositionTable", "Elemental Composition Table", "Elemental Composition",
         "Report Mass Elemental Composition", "Copy Mass Elemental Composition"},
        {"MassMolMatchTable", "Molecule Match Table", "Molecule Match", "Report Mass Molecule Match",
         "Copy Mass Molecule Match"},
        {"MassPeaksTable", "Mass Peaks Table", "Mass Peaks", "Report Chromatogram Peaks", "Copy Chromatogram Peaks"},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].dock);
        auto* f = static_cast<TMassTableFactory*>(factories[i]);
        EXPECT_EQ(f->dockName(), expected[i].dock);
        EXPECT_EQ(f->caption(), expected[i].caption);
        EXPECT_EQ(f->parent(), plugin);
        ASSERT_EQ(f->docks().size(), 1);
        const TDockDescription d = f->docks().value(expected[i].dock);
        EXPECT_EQ(d.title, expected[i].title);
        EXPECT_EQ(d.firstFlags, 17);
        EXPECT_EQ(d.secondFlags, 3);
        EXPECT_TRUE(d.extra.isEmpty());
        EXPECT_EQ(d.group, "Mass");
        EXPECT_EQ(d.kind, 1);
        EXPECT_EQ(f->reportAction()->objectName(), QString(expected[i].dock) + "::action_Report");
        EXPECT_EQ(f->copyAction()->objectName(), QString(expected[i].dock) + "::action_CopyToClipboard");
        EXPECT_EQ(f->reportAction()->toolTip(), expected[i].reportTip);
        EXPECT_EQ(f->copyAction()->toolTip(), expected[i].copyTip);
        EXPECT_EQ(host->registeredAction(f->reportAction()->objectName()), f->reportAction());
        EXPECT_EQ(host->registeredAction(f->copyAction()->objectName()), f->copyAction());
        // Another kind's dock name makes nothing.
        for (const Expected& other : expected) {
            if (&other != &expected[i])
                EXPECT_EQ(f->createDockWidget(other.dock), nullptr) << other.dock;
        }
        EXPECT_EQ(f->createDockWidget("MSBrowserWidget"), nullptr);
        EXPECT_TRUE(f->reportName(nullptr).isEmpty());
    }
    // Report names trace report items back to their factory.
    const QString subtype = mass->subtype();
    ASSERT_FALSE(subtype.isEmpty());
    EXPECT_EQ(static_cast<TMassTableFactory*>(factories[0])->reportName(mass), "Elem.Comp.," + subtype);
    EXPECT_EQ(static_cast<TMassTableFactory*>(factories[1])->reportName(mass), "Mol.Match," + subtype);
    EXPECT_EQ(static_cast<TMassTableFactory*>(factories[2])->reportName(mass), "Mass.Peaks," + subtype);
    // The same as the tables' own report names.
    auto* t = dock<TMassPeaksTable>("MassPeaksTable", mass);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->reportName(), "Mass.Peaks," + subtype);
    auto* c = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->reportName(), "Elem.Comp.," + subtype);
}

TEST_F(MassTablesTest, ActiveItemFallsBackToAMoleculeItem)
{
    TMassTableFactory* f = factory("MassPeaksTable");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->activeItem(), nullptr);
    TMolecule molecule;
    auto* molItem = host->moleculePeer()->makeItem(molecule);
    host->addItem(molItem);
    host->setSelectedItems(TCanvasItemList(molItem));
    EXPECT_EQ(f->activeItem(), molItem);
    host->setSelectedItems(TCanvasItemList{molItem, mass});
    EXPECT_EQ(f->activeItem(), mass);
    // A table given the molecule item shows nothing, and its actions stay off.
    auto* t = dock<TMassPeaksTable>("MassPeaksTable", molItem);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->massItem(), nullptr);
    EXPECT_EQ(t->tableWidget()->rowCount(), 0);
    EXPECT_EQ(t->tableWidget()->columnCount(), 0);
    EXPECT_FALSE(t->reportAction()->isEnabled());
    EXPECT_FALSE(t->copyAction()->isEnabled());
    EXPECT_FALSE(t->setupAction()->isEnabled());
}

// ---- elemental composition ---------------------------------------------------

TEST_F(MassTablesTest, CompositionWithoutResultsIsEmpty)
{
    auto* t = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->objectName(), "MassElementCompositionTable");
    EXPECT_EQ(t->windowTitle(), "Elemental Composition");
    EXPECT_EQ(t->tableWidget()->rowCount(), 0);
    EXPECT_EQ(t->tableWidget()->columnCount(), 0);
    EXPECT_FALSE(t->reportAction()->isEnabled());
    EXPECT_FALSE(t->setupAction()->isEnabled());
    // Report, Copy, the host's constraints action, a separator, Setup.
    EXPECT_EQ(toolBarNames(t->toolBar()),
              (QStringList{"MassElementCompositionTable::action_Report",
                           "MassElementCompositionTable::action_CopyToClipboard", "massElCompConstraints", "|",
                           "action_ShowSettings"}));
    EXPECT_FALSE(t->toolBar()->actions().contains(t->deleteAction()));
    EXPECT_EQ(t->settingsPath(), "Mass Tables/ElementComposition");
}

TEST_F(MassTablesTest, CompositionRowsFromARealCompute)
{
    ASSERT_NO_FATAL_FAILURE(compose());
    auto* t = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    const auto& results = mass->elementComposition().calculator().getResults();
    ASSERT_EQ(view->rowCount(), static_cast<int>(results.size()));
    EXPECT_EQ(headerTexts(view), (QStringList{"Formula", "Calculated Mass", "Double Bond Equivalence",
                                              "Absolute Error (ppm)", "Error (mDa)", "Error (ppm)", "Fitness"}));
    EXPECT_TRUE(t->reportAction()->isEnabled());
    EXPECT_TRUE(t->copyAction()->isEnabled());
    EXPECT_TRUE(t->setupAction()->isEnabled());
    const TTableSettings s = t->currentSettings();
    const int decimals[] = {0, 5, 1, 2, 2, 2, 3};
    for (int id = 0; id < 7; ++id) {
        EXPECT_EQ(s.columns[id].numeric, id > 0) << id;
        if (id > 0) {
            EXPECT_EQ(s.columns[id].decimals, decimals[id]) << id;
        }
    }
    // The view starts sorted by column 0 ascending: result order.
    for (int r = 0; r < view->rowCount(); ++r) {
        const int index = view->item(r, 0)->data(Qt::UserRole).toInt();
        const TKSCompositionResult& result = results[static_cast<size_t>(index)];
        EXPECT_EQ(view->item(r, 0)->text(), QString::fromStdWString(result.getFormula()));
        EXPECT_EQ(view->item(r, 1)->text(), QString::number(result.getCalculatedMass(), 'f', 5));
        EXPECT_EQ(view->item(r, 1)->data(Qt::UserRole + 1).toDouble(), result.getCalculatedMass());
        EXPECT_EQ(view->item(r, 6)->text(), QString::number(result.getFitness(), 'f', 3));
        EXPECT_EQ(view->item(r, 2)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    }
    view->grab().save(pngPath("composition_table.png"));
    t->grab().save(pngPath("composition_dock.png"));
}

TEST_F(MassTablesTest, ClusterFollowsTheResultAfterSortingWithFitnessFirst)
{
    ASSERT_NO_FATAL_FAILURE(compose());
    auto* t = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    // Fitness moved first (as the settings dialog's drag would).
    TTableSettings s = t->currentSettings();
    s.moveColumn(6, 0);
    t->setSettings(s);
    t->refresh();
    EXPECT_EQ(headerTexts(view).first(), "Fitness");
    // Sorted by "Calculated Mass" descending, now the third view column.
    ASSERT_EQ(headerTexts(view).at(2), "Calculated Mass");
    view->horizontalHeader()->setSortIndicator(2, Qt::DescendingOrder);
    t->refresh();
    const auto& results = mass->elementComposition().calculator().getResults();
    size_t heaviest = 0;
    for (size_t i = 1; i < results.size(); ++i)
        if (results[i].getCalculatedMass() > results[heaviest].getCalculatedMass())
            heaviest = i;
    ASSERT_NE(heaviest, 0u) << "the heaviest candidate should not be the first result";
    EXPECT_EQ(view->item(0, 0)->data(Qt::UserRole).toInt(), static_cast<int>(heaviest));
    EXPECT_EQ(view->item(0, 2)->text(), QString::number(results[heaviest].getCalculatedMass(), 'f', 5));

    host->clearJournal();
    view->setCurrentCell(0, 1);
    const IMassPlotData* cluster = mass->isotopeClusterSpectrum();
    ASSERT_NE(cluster, nullptr);
    EXPECT_EQ(host->calls("repaintItem"), QStringList{"repaintItem(112, 0)"});
    // The same cluster as the core library computes for that formula.
    TKSIsotopeCluster reference;
    reference.setElementTable(&elements);
    TKSMassSpectrum expected;
    const TKSCompositionConstraints& c = mass->elementComposition().calculator().getConstraints();
    ASSERT_TRUE(reference.compute(results[heaviest].getFormula(), c.getAdduct(), c.getChargeState(),
                                  spectrumObject()->peakWidth(), true, expected));
    const TMassSpecDataObj* shown = TMassSpecDataObj::cast(cluster);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->subtype(), 2);
    EXPECT_EQ(shown->id(), spectrumObject()->id());
    EXPECT_EQ(shown->spectrum().getMZValues(), expected.getMZValues());

    // Moving within the row computes it again: a new object.
    view->setCurrentCell(0, 3);
    EXPECT_NE(mass->isotopeClusterSpectrum(), nullptr);
    EXPECT_EQ(host->calls("repaintItem").size(), 2);
    // Another row shows that row's result.
    view->setCurrentCell(1, 0);
    const int second = view->item(1, 0)->data(Qt::UserRole).toInt();
    ASSERT_TRUE(reference.compute(results[static_cast<size_t>(second)].getFormula(), c.getAdduct(),
                                  c.getChargeState(), spectrumObject()->peakWidth(), true, expected));
    EXPECT_EQ(TMassSpecDataObj::cast(mass->isotopeClusterSpectrum())->spectrum().getMZValues(),
              expected.getMZValues());
}

TEST_F(MassTablesTest, ClusterClearedOrKeptOnBadInput)
{
    ASSERT_NO_FATAL_FAILURE(compose());
    auto* t = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    ASSERT_GE(view->rowCount(), 3);
    TMassElementComposition& state = mass->elementComposition();
    const QUuid spectrumId = state.spectrumId();

    // A failed computation keeps the cluster shown.
    view->setCurrentCell(0, 0);
    const IMassPlotData* shown = mass->isotopeClusterSpectrum();
    ASSERT_NE(shown, nullptr);
    TKSCompositionConstraints broken = state.calculator().getConstraints();
    broken.setAdduct(L"Qq");
    state.calculator().setConstraints(broken);
    view->setCurrentCell(1, 0);
    EXPECT_EQ(mass->isotopeClusterSpectrum(), shown);

    struct Case {
        const char* what;
        std::function<void()> spoil;
    };
    TChromatogramDataObj* chromatogram = chromatogramObject();
    ASSERT_NE(chromatogram, nullptr);
    const Case cases[] = {
        // The mended fault: a chromatogram found under the spectrum id.
        {"chromatogram id", [&] { state.setSpectrumId(chromatogram->id()); }},
        {"id without data object", [&] { state.setSpectrumId(QUuid::createUuid()); }},
        {"stale result index", [&] { view->item(2, 0)->setData(Qt::UserRole, 999); }},
        {"negative result index", [&] { view->item(2, 0)->setData(Qt::UserRole, -1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TKSCompositionConstraints fine = broken;
        fine.setAdduct(L"H");
        state.calculator().setConstraints(fine);
        state.setSpectrumId(spectrumId);
        t->refresh();
        view->setCurrentCell(0, 0);
        ASSERT_NE(mass->isotopeClusterSpectrum(), nullptr);
        c.spoil();
        view->setCurrentCell(2, 0);
        EXPECT_EQ(mass->isotopeClusterSpectrum(), nullptr);
    }
    // A row past the view clears it too.
    state.setSpectrumId(spectrumId);
    view->setCurrentCell(0, 0);
    ASSERT_NE(mass->isotopeClusterSpectrum(), nullptr);
    t->onElementCompositionChanged(view->rowCount());
    EXPECT_EQ(mass->isotopeClusterSpectrum(), nullptr);
}

TEST_F(MassTablesTest, StoredColumnsThatDoNotFit)
{
    ASSERT_NO_FATAL_FAILURE(compose());
    // Stored settings of three columns: reset to the seven defaults at refresh.
    TTableSettings three;
    three.setColumns({0, 1, 2}, {"A", "B", "C"});
    QSettings().setValue("Mass Tables/ElementComposition", writeTableSettings({three}));
    auto* t = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->tableWidget()->columnCount(), 7);
    EXPECT_EQ(headerTexts(t->tableWidget()).first(), "Formula");

    // Ids the table does not know: empty titles and empty cells.
    TTableSettings odd = t->currentSettings();
    odd.columns[3].id = 7;
    odd.columns[4].id = 12;
    odd.columns[5].id = -3;
    t->setSettings(odd);
    t->refresh();
    EXPECT_TRUE(t->columnName(7).isEmpty());
    EXPECT_TRUE(t->columnName(-3).isEmpty());
    for (int c : {3, 4, 5})
        for (const QString& text : columnTexts(t->tableWidget(), c))
            EXPECT_TRUE(text.isEmpty()) << c;
    EXPECT_FALSE(columnTexts(t->tableWidget(), 1).first().isEmpty());

    // A damaged stored value gives the defaults.
    QSettings().setValue("Mass Tables/ElementComposition", QByteArray("\x00\x00\x00\x04zzzz", 8));
    auto* again = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->tableWidget()->columnCount(), 7);
}

TEST_F(MassTablesTest, SetupRunsTheDialogOverAMassTable)
{
    ASSERT_NO_FATAL_FAILURE(compose());
    auto* t = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(t, nullptr);
    bool shown = false;
    ks::test::whenModal([&](QDialog* d) {
        shown = true;
        EXPECT_EQ(d->objectName(), "WTableSettingsDialog");
        EXPECT_EQ(d->windowTitle(), "Customize Table - Elemental Composition");
        auto* grid = d->findChild<QTableWidget*>("twColumns");
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->columnCount(), 7);
        // Decimals editable only for numeric columns.
        EXPECT_FALSE(grid->item(2, 0)->flags() & Qt::ItemIsEditable);
        EXPECT_TRUE(grid->item(2, 1)->flags() & Qt::ItemIsEditable);
        grid->item(2, 1)->setText("2");
        grid->item(1, 4)->setCheckState(Qt::Unchecked);
        d->grab().save(pngPath("composition_settings_dialog.png"));
        d->findChild<QPushButton*>("okButton")->click();
    });
    t->setupAction()->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(t->tableWidget()->isColumnHidden(4));
    EXPECT_EQ(columnTexts(t->tableWidget(), 1).first().split('.').value(1).size(), 2);
    QVector<TTableSettings> stored;
    ASSERT_TRUE(readTableSettings(QSettings().value("Mass Tables/ElementComposition").toByteArray(), stored));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_TRUE(stored[0].columns[4].hidden);
    EXPECT_EQ(stored[0].columns[1].decimals, 2);
}

// ---- peaks --------------------------------------------------------------------

namespace {

TMSChromPeak chromPeak(double rt, int scan, int type, double height, double area)
{
    TMSChromPeak p;
    p.position = QPointF(rt, height);
    p.scan = scan;
    p.peakType = type;
    p.height = height;
    p.area = area;
    p.start = QPointF(rt - 0.1, 0);
    p.end = QPointF(rt + 0.1, 0);
    return p;
}

// A chromatogram object of a few points carrying the given peaks.
TChromatogramDataObj* chromatogramWith(const QVector<TMSChromPeak>& peaks)
{
    TKSChromatogram c;
    c.setPoints({0.0, 1.0, 2.0, 3.0}, {1.0, 5.0, 2.0, 1.0});
    auto* object = new TChromatogramDataObj(QUuid::createUuid(), c, 6);
    object->peaks() = peaks;
    return object;
}

}  // namespace

TEST_F(MassTablesTest, ChromatogramPeaksOfTheImportedItem)
{
    TChromatogramDataObj* tic = chromatogramObject();
    ASSERT_NE(tic, nullptr);
    makeCurrent(tic);
    auto* t = dock<TMassPeaksTable>("MassPeaksTable", mass);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->objectName(), "MassPeaksTable");
    EXPECT_EQ(t->settingsPath(), "Mass Tables/MassPeaks");
    EXPECT_EQ(toolBarNames(t->toolBar()),
              (QStringList{"MassPeaksTable::action_Report", "MassPeaksTable::action_CopyToClipboard", "|",
                           "action_ShowSettings"}));
    EXPECT_EQ(t->mode(), TMassPeaksTable::ChromatogramMode);
    QTableWidget* view = t->tableWidget();
    ASSERT_EQ(view->rowCount(), tic->peaks().size());
    ASSERT_GT(view->rowCount(), 1);
    EXPECT_EQ(headerTexts(view), (QStringList{"RT", "Scan", "Type", "Height", "Area", "Total Height %",
                                              "Total Area %", "Start time", "End time"}));
    double heights = 0;
    double areas = 0;
    for (int r = 0; r < view->rowCount(); ++r) {
        heights += view->item(r, 5)->data(Qt::UserRole + 1).toDouble();
        areas += view->item(r, 6)->data(Qt::UserRole + 1).toDouble();
        const TMSChromPeak& p = tic->peaks().at(view->item(r, 0)->data(Qt::UserRole).toInt());
        EXPECT_EQ(view->item(r, 0)->text(), QString::number(p.position.x(), 'f', 3));
        EXPECT_EQ(view->item(r, 2)->text(), TMassPeaksTable::peakTypeText(p.peakType));
    }
    EXPECT_NEAR(heights, 100.0, 1e-9);
    EXPECT_NEAR(areas, 100.0, 1e-9);
    t->grab().save(pngPath("peaks_chromatogram_dock.png"));
}

TEST_F(MassTablesTest, ChromatogramCellRules)
{
    // Types 0 to 6, a negative scan, and zero totals.
    QVector<TMSChromPeak> peaks;
    for (int type = 0; type <= 6; ++type)
        peaks.append(chromPeak(0.5 + type, type == 3 ? -1 : 10 * type, type, 1.0 + type, 2.0 * (type + 1)));
    TChromatogramDataObj* object = chromatogramWith(peaks);
    mass->addPlotObject(object);
    makeCurrent(object);
    auto* t = dock<TMassPeaksTable>("MassPeaksTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    ASSERT_EQ(view->rowCount(), 7);
    const QStringList types{"Un", "BB", "BV", "VB", "VV", "Sh", "Un"};
    const QStringList tips{"Unknown", "Baseline to Baseline", "Baseline to Valley", "Valley to Baseline",
                           "Valley to Valley", "Shoulder", "Unknown"};
    EXPECT_EQ(columnTexts(view, 2), types);
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(view->item(r, 2)->toolTip(), tips[r]) << r;
    EXPECT_EQ(columnTexts(view, 1), (QStringList{"0", "10", "20", "N/A", "40", "50", "60"}));
    // Sorting by Scan: the "N/A" cell keeps its row number as sort key.
    EXPECT_EQ(view->item(3, 1)->data(Qt::UserRole + 1).toDouble(), 3.0);
    EXPECT_DOUBLE_EQ(t->referenceHeight(), 1 + 2 + 3 + 4 + 5 + 6 + 7);
    EXPECT_DOUBLE_EQ(t->totalArea(), 2 * (1 + 2 + 3 + 4 + 5 + 6 + 7));
    EXPECT_EQ(view->item(6, 5)->text(), QString::number(700.0 / 28, 'f', 2));

    // Heights summing to 0, areas summing to 0: "N/A", no division.
    object->peaks() = {chromPeak(1, 1, 1, 0, 0), chromPeak(2, 2, 2, 0, 0)};
    t->refresh();
    EXPECT_EQ(columnTexts(view, 5), (QStringList{"N/A", "N/A"}));
    EXPECT_EQ(columnTexts(view, 6), (QStringList{"N/A", "N/A"}));
    // Without detected peaks: no rows, still chromatogram mode.
    object->peaks().clear();
    t->refresh();
    EXPECT_EQ(view->rowCount(), 0);
    EXPECT_EQ(t->mode(), TMassPeaksTable::ChromatogramMode);
    EXPECT_FALSE(t->reportAction()->isEnabled());
}

TEST_F(MassTablesTest, SpectrumPeaksAndSortKeptPerMode)
{
    QVector<TMSChromPeak> peaks;
    const double areas[] = {5, 9, 1, 7};
    for (int i = 0; i < 4; ++i)
        peaks.append(chromPeak(i + 0.5, i, 1, 1.0, areas[i]));
    TChromatogramDataObj* chromatogram = chromatogramWith(peaks);
    mass->addPlotObject(chromatogram);
    makeCurrent(chromatogram);
    auto* t = dock<TMassPeaksTable>("MassPeaksTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    // The user sorts by Area descending.
    view->sortItems(4, Qt::DescendingOrder);
    EXPECT_EQ(columnTexts(view, 4), (QStringList{"9.000", "7.000", "5.000", "1.000"}));

    // The spectrum: sorted by Intensity.
    TMassSpecDataObj* spectrum = spectrumObject();
    ASSERT_NE(spectrum, nullptr);
    makeCurrent(spectrum);
    t->refresh();
    EXPECT_EQ(t->mode(), TMassPeaksTable::SpectrumMode);
    EXPECT_EQ(headerTexts(view), (QStringList{"m/z", "Intensity", "Rel. Abundance"}));
    ASSERT_EQ(view->rowCount(), spectrum->peaks().size());
    EXPECT_DOUBLE_EQ(t->referenceHeight(), spectrum->getMaximumPeakIntensity());
    view->sortItems(1, Qt::AscendingOrder);
    QStringList intensities = columnTexts(view, 1);
    EXPECT_TRUE(std::is_sorted(intensities.begin(), intensities.end(),
                               [](const QString& a, const QString& b) { return a.toDouble() < b.toDouble(); }));
    // The base peak's own row shows 100.
    EXPECT_EQ(view->item(view->rowCount() - 1, 2)->text(), "100.00");
    t->grab().save(pngPath("peaks_spectrum_dock.png"));

    // Back to the chromatogram: sorted by Area descending again.
    makeCurrent(chromatogram);
    t->refresh();
    EXPECT_EQ(t->mode(), TMassPeaksTable::ChromatogramMode);
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorSection(), 4);
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(columnTexts(view, 4), (QStringList{"9.000", "7.000", "5.000", "1.000"}));
    // And the spectrum by Intensity.
    makeCurrent(spectrum);
    t->refresh();
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorSection(), 1);
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(columnTexts(view, 1), intensities);
}

TEST_F(MassTablesTest, SpectrumWithoutIntensityReadsNotAvailable)
{
    TKSMassSpectrum flat;
    flat.setPoints({100.0, 101.0, 102.0}, {0.0, 0.0, 0.0});
    flat.setCentroid(true);
    auto* object = new TMassSpecDataObj(QUuid::createUuid(), flat, 6);
    object->peaks() = {TMSPeak(QPointF(100, 0)), TMSPeak(QPointF(101, 0))};
    mass->addPlotObject(object);
    makeCurrent(object);
    auto* t = dock<TMassPeaksTable>("MassPeaksTable", mass);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->mode(), TMassPeaksTable::SpectrumMode);
    EXPECT_EQ(columnTexts(t->tableWidget(), 2), (QStringList{"N/A", "N/A"}));
    EXPECT_EQ(columnTexts(t->tableWidget(), 0), (QStringList{"100.000", "101.000"}));
}

TEST_F(MassTablesTest, TablesWithoutAnItemOrAfterItLeft)
{
    for (const char* name : {"MassElementCompositionTable", "MassPeaksTable"}) {
        SCOPED_TRACE(name);
        auto* t = dock<TMassTableWidgetTable>(name, nullptr);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->tableWidget()->rowCount(), 0);
        EXPECT_EQ(t->tableWidget()->columnCount(), 0);
        EXPECT_FALSE(t->setupAction()->isEnabled());
        EXPECT_TRUE(t->reportHtml().isEmpty());
    }
    auto* t = dock<TMassPeaksTable>("MassPeaksTable", mass);
    ASSERT_NE(t, nullptr);
    EXPECT_GT(t->tableWidget()->rowCount(), 0);
    EXPECT_TRUE(t->tableWidget()->selectedItems().isEmpty());
    t->tableWidget()->selectRow(0);
    EXPECT_TRUE(t->deleteAction()->isEnabled());
    t->tableWidget()->clearSelection();
    EXPECT_FALSE(t->deleteAction()->isEnabled());
    // The item leaves the document: no rows.
    delete mass;
    mass = nullptr;
    t->refresh();
    EXPECT_EQ(t->tableWidget()->rowCount(), 0);
    EXPECT_FALSE(t->reportAction()->isEnabled());
}
