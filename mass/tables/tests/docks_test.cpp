// The mass result tables as the host gets them: the recording host loads
// Ionvale.so with QPluginLoader, imports the bundled text dataset through
// the plug-in, creates each dock by name through the factories it was
// handed, gives it the mass item and refreshes it after each command.
// The test inspects the module's objects through the shared headers (the
// classes are laid out alike in both copies) and Qt's own classes.
#include <gtest/gtest.h>

#include <limits>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QPluginLoader>
#include <QStyleOptionViewItem>
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
#include "pageitems.h"
#include "recordinghost.h"
#include "tcanvasmass.h"
#include "tcmdanalysis.h"
#include "tmassdataobj.h"
#include "tmasselementcompositiontable.h"
#include "tmassmolmatchtable.h"
#include "tmasspeakstable.h"
#include "tcmdsettings.h"
#include "tmassdataserver.h"
#include "tmolecule.h"
#include "wmsbrowserwidget.h"
#include "massutils.h"
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

bool chemStationBuilt()
{
    return QFile::exists(QStringLiteral(KS_LIB_DIR "/KSAgilentProvider.so"));
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
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
        // The ChemStation provider only for the case that reads its file:
        // loading it costs every case seconds under the sanitizers.
        if (withChemStation) {
            ASSERT_TRUE(ks::test::registerComponents({"KSAgilentProvider"}));
        }
        host = std::make_unique<lumatra::RecordingHost>();
        if (!withMoleculePeer)
            host->removeMoleculePeer();
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

    // Another dataset imported through the plug-in: the new mass item.
    TCanvasMass* importItem(const QString& path)
    {
        auto* import = pluginInterface<IPluginImport>(plugin, IPluginImport_iid);
        QStringList imported;
        const int before = host->allItems().size();
        EXPECT_EQ(import->importFile(path, 0, QString(), true, imported), 0);
        if (host->allItems().size() != before + 1 || host->allItems().last()->rtti() != 112)
            return nullptr;
        return static_cast<TCanvasMass*>(host->allItems().last());
    }

    // The dock made by its factory, pointed at the item and refreshed.
    template <class T>
    T* dock(const QString& name, TCanvasItem* item)
    {
        TPluginDockWidgetFactory* f = nullptr;
        for (TPluginDockWidgetFactory* candidate : host->factories())
            if (candidate->docks().contains(name))
                f = candidate;
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
    bool withMoleculePeer = true;
    bool withChemStation = false;
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
            if (&other != &expected[i]) {
                EXPECT_EQ(f->createDockWidget(other.dock), nullptr) << other.dock;
            }
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

    // Decimals far outside the Setup dialog's range, stored or handed over:
    // the cells show at most 8 and at least 0 (2147483647 stopped the host
    // at the first refresh).
    TTableSettings wild = again->currentSettings();
    wild.columns[1].decimals = std::numeric_limits<int>::max();
    wild.columns[2].decimals = -5;
    QSettings().setValue("Mass Tables/ElementComposition", writeTableSettings({wild}));
    auto* stored = dock<TMassElementCompositionTable>("MassElementCompositionTable", mass);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->currentSettings().columns[1].decimals, 8);
    EXPECT_EQ(stored->currentSettings().columns[2].decimals, 0);
    for (TMassElementCompositionTable* table : {again, stored}) {
        table->setSettings(wild);
        table->refresh();
        const QStringList masses = columnTexts(table->tableWidget(), 1);
        ASSERT_FALSE(masses.isEmpty());
        for (const QString& text : masses)
            EXPECT_EQ(text.split('.').value(1).size(), 8) << text.toStdString();
        for (const QString& text : columnTexts(table->tableWidget(), 2))
            EXPECT_FALSE(text.contains('.')) << text.toStdString();
    }
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

// ---- molecule match -------------------------------------------------------------

namespace {

// The atoms and bonds of a V2000 molfile (enough for the bundled ones).
TMolecule readMolfile(const QString& text)
{
    const QStringList lines = text.split('\n');
    const QString counts = lines.value(3);
    const int atoms = counts.mid(0, 3).trimmed().toInt();
    const int bonds = counts.mid(3, 3).trimmed().toInt();
    TMolecule m;
    for (int i = 0; i < atoms; ++i) {
        const QString line = lines.value(4 + i);
        TAtom a;
        a.x = line.mid(0, 10).trimmed().toDouble();
        a.y = line.mid(10, 10).trimmed().toDouble();
        a.setElement(line.mid(31, 3).trimmed());
        m.addAtom(a);
    }
    for (int i = 0; i < bonds; ++i) {
        const QString line = lines.value(4 + atoms + i);
        TBond b;
        b.first = line.mid(0, 3).trimmed().toInt() - 1;
        b.second = line.mid(3, 3).trimmed().toInt() - 1;
        b.type = line.mid(6, 3).trimmed().toInt();
        m.addBond(b);
    }
    return m;
}

const char* const kEthanol =
    "ethanol\n  test\n\n"
    "  3  2  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    1.2990    0.7500    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    2.5981    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "  1  2  1  0\n"
    "  2  3  1  0\n"
    "M  END\n";

QString bundledMolfile(const char* name)
{
    QFile f(QString(KS_SOURCE_DIR) + "/../../outside/tindrel/data/molfiles/" + name + ".mol");
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

int nonWhitePixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
    return n;
}

QImage iconImage(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}

class MolMatchTest : public DocksFixture {
protected:
    void SetUp() override
    {
        DocksFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // A generated run whose compound is protonated caffeine; nicotine
        // and ethanol are not in it.
        const std::string path = ks::test::tempDir() + "/caffeine.run";
        ks::test::writeFile(path,
                            "kestrom-run 1\n"
                            "injection name=\"A\"\n"
                            "function name=\"MS+\" type=1 polarity=1 scans=20 start=0 step=0.02 low=100 high=300\n"
                            "compound function=1 apex=0.2 width=0.03 height=1000 peaks=195.0877:100,196.09:10\n");
        mass = importItem(QString::fromStdString(path));
        ASSERT_NE(mass, nullptr);
        for (const char* name : {"caffeine", "nicotine", "ethanol"}) {
            const QString text = QString(name) == "ethanol" ? QString(kEthanol) : bundledMolfile(name);
            const TMolecule molecule = readMolfile(text);
            ASSERT_GT(molecule.atoms.size(), 0) << name;
            molfiles.push_back(text.toStdWString());
            const QUuid id = QUuid::createUuid();
            ids.push_back(id.toString().toStdWString());
            if (withMoleculePeer) {
                auto* item = host->moleculePeer()->makeItem(molecule, id, QRectF(0, 0, 400, 300));
                host->addItem(item);
                molecules.append(item);
            }
            formulas.append(molecule.formula());
        }
        execute(new TCmdMoleculeMatcher(molfiles, ids, &elements, TCanvasItemList(mass)));
        const auto& results = mass->moleculeMatch().matcher().getResults();
        ASSERT_GE(results.size(), 3u);
        for (size_t i = 0; i < results.size(); ++i)
            (results[i].getIsMatched() ? matched : unmatched).append(static_cast<int>(i));
        ASSERT_FALSE(matched.isEmpty());
        ASSERT_FALSE(unmatched.isEmpty());
    }

    // The view row showing a result.
    int rowOf(QTableWidget* view, int result)
    {
        for (int r = 0; r < view->rowCount(); ++r)
            if (view->item(r, 0)->data(Qt::UserRole + 3).toInt() == result)
                return r;
        return -1;
    }

    std::vector<std::wstring> molfiles;
    std::vector<std::wstring> ids;
    QList<TCanvasItem*> molecules;
    QStringList formulas;
    QList<int> matched;
    QList<int> unmatched;
};

class MolMatchWithoutPeerTest : public MolMatchTest {
protected:
    void SetUp() override
    {
        withMoleculePeer = false;
        MolMatchTest::SetUp();
    }
};

}  // namespace

TEST_F(MolMatchTest, MatchedAndUnmatchedCells)
{
    auto* t = dock<TMassMolMatchTable>("MassMolMatchTable", mass);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->objectName(), "MassMolMatchTable");
    EXPECT_EQ(t->settingsPath(), "Mass Tables/MolMatch");
    EXPECT_EQ(toolBarNames(t->toolBar()),
              (QStringList{"MassMolMatchTable::action_Report", "MassMolMatchTable::action_CopyToClipboard",
                           "massMoleculeMatch", "massMoleculeMatchMode", "massMolMatchOpts", "|",
                           "action_ShowSettings"}));
    QTableWidget* view = t->tableWidget();
    const auto& results = mass->moleculeMatch().matcher().getResults();
    ASSERT_EQ(view->rowCount(), static_cast<int>(results.size()));
    EXPECT_EQ(headerTexts(view), (QStringList{"Molecule", "Formula", "Molecular Weight", "Match", "Match Score",
                                              "Similarity", "MS Purity", "RT", "Scan"}));
    EXPECT_EQ(view->itemDelegateForColumn(0), t->moleculeDelegate());
    EXPECT_EQ(view->itemDelegateForColumn(1), t->formulaDelegate());
    EXPECT_EQ(view->itemDelegateForColumn(2), nullptr);
    EXPECT_GE(view->rowHeight(0), 125);
    const QImage apply = iconImage(QIcon(":/images/apply.png"));
    const QImage cancel = iconImage(QIcon(":/images/cancel.png"));
    ASSERT_FALSE(apply.isNull());
    for (int r = 0; r < view->rowCount(); ++r) {
        SCOPED_TRACE(r);
        const int index = view->item(r, 0)->data(Qt::UserRole + 3).toInt();
        const TKSMoleculeMatchResult2& result = results[static_cast<size_t>(index)];
        const int molecule = static_cast<int>(
            std::find(ids.begin(), ids.end(), result.getMoleculeId()) - ids.begin());
        ASSERT_LT(molecule, formulas.size());
        EXPECT_TRUE(view->item(r, 0)->text().isEmpty());
        EXPECT_EQ(QUuid(view->item(r, 0)->data(Qt::UserRole + 2).toString()),
                  QUuid(QString::fromStdWString(result.getMoleculeId())));
        EXPECT_EQ(view->item(r, 1)->text(), formulas[molecule]);
        EXPECT_TRUE(view->item(r, 1)->data(Qt::UserRole).toString().contains("<sub>"));
        EXPECT_FALSE(view->item(r, 2)->text().isEmpty());
        EXPECT_TRUE(view->item(r, 3)->text().isEmpty());
        if (result.getIsMatched()) {
            EXPECT_EQ(iconImage(view->item(r, 3)->icon()), apply);
            EXPECT_EQ(view->item(r, 3)->data(Qt::UserRole).toString(), "Yes");
            EXPECT_EQ(view->item(r, 4)->text(), QString::number(result.getMatchScore(), 'f', 3));
            EXPECT_EQ(view->item(r, 7)->text(), QString::number(result.getChromatogramPeak().apexRT, 'f', 2));
            EXPECT_EQ(view->item(r, 8)->text(), QString::number(result.getChromatogramPeak().scan + 1));
            EXPECT_TRUE(view->item(r, 4)->flags() & Qt::ItemIsEnabled);
        } else {
            EXPECT_EQ(iconImage(view->item(r, 3)->icon()), cancel);
            EXPECT_EQ(view->item(r, 3)->data(Qt::UserRole).toString(), "No");
            for (int c : {4, 5, 6})
                EXPECT_EQ(view->item(r, c)->text(), "0.000") << c;
            EXPECT_TRUE(view->item(r, 7)->text().isEmpty());
            EXPECT_TRUE(view->item(r, 8)->text().isEmpty());
            for (int c = 4; c <= 8; ++c)
                EXPECT_FALSE(view->item(r, c)->flags() & Qt::ItemIsEnabled) << c;
            EXPECT_TRUE(view->item(r, 3)->flags() & Qt::ItemIsEnabled);
        }
    }
    // The base's reports show the Molecule and Match cells empty.
    for (int r = 0; r < view->rowCount(); ++r) {
        EXPECT_TRUE(t->cellText(r, 0, -1).isEmpty());
        EXPECT_TRUE(t->cellText(r, 3, -1).isEmpty());
    }
    EXPECT_TRUE(t->clipboardText().contains("Match Score"));
    // The molecule cell is painted by the delegate through the molecule's
    // page item; the same cell with its item gone stays empty.
    t->resize(1000, 520);
    t->grab().save(pngPath("molmatch_dock.png"));
    QImage cell(125, 125, QImage::Format_ARGB32);
    const auto paintCell = [&] {
        cell.fill(Qt::white);
        QPainter painter(&cell);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 125, 125);
        t->moleculeDelegate()->paint(&painter, option, view->model()->index(0, 0));
    };
    paintCell();
    EXPECT_GT(nonWhitePixels(cell), 0);
    EXPECT_EQ(t->moleculeDelegate()->sizeHint(QStyleOptionViewItem(), view->model()->index(0, 0)), QSize(125, 125));
    qDeleteAll(molecules);
    molecules.clear();
    paintCell();
    EXPECT_EQ(nonWhitePixels(cell), 0);
}

TEST_F(MolMatchTest, SelectingAMatchedRowIssuesOneCommand)
{
    auto* t = dock<TMassMolMatchTable>("MassMolMatchTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    const int done = host->commands().size();
    // An unmatched result builds no command.
    view->setCurrentCell(rowOf(view, unmatched.first()), 2);
    EXPECT_EQ(host->commands().size(), done);
    EXPECT_FALSE(t->skipNextRefresh());

    const int row = rowOf(view, matched.first());
    view->setCurrentCell(row, 2);
    ASSERT_EQ(host->commands().size(), done + 1);
    EXPECT_EQ(host->commands().last()->name, QByteArray("Select Molecule Match Result"));
    EXPECT_EQ(mass->moleculeMatch().selectedResult(), matched.first());
    EXPECT_TRUE(t->skipNextRefresh());
    // The host's refresh after the command keeps the rows and current row.
    QTableWidgetItem* before = view->item(row, 0);
    t->refresh();
    EXPECT_FALSE(t->skipNextRefresh());
    EXPECT_EQ(view->item(row, 0), before);
    EXPECT_EQ(view->currentRow(), row);
    // The next one rebuilds.
    t->refresh();
    EXPECT_NE(view->item(row, 0), before);
    // Undone through the host.
    ASSERT_TRUE(host->undo());
    EXPECT_NE(mass->moleculeMatch().selectedResult(), matched.first());
}

TEST_F(MolMatchTest, FormulaColumnFirstStillSelectsTheRightResult)
{
    auto* t = dock<TMassMolMatchTable>("MassMolMatchTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    TTableSettings s = t->currentSettings();
    s.moveColumn(1, 0);
    t->setSettings(s);
    t->refresh();
    ASSERT_EQ(headerTexts(view).first(), "Formula");
    EXPECT_EQ(view->itemDelegateForColumn(0), t->formulaDelegate());
    EXPECT_EQ(view->itemDelegateForColumn(1), t->moleculeDelegate());
    // Sorted by Match Score descending, so view rows are not result indexes.
    view->sortItems(4, Qt::DescendingOrder);
    const int result = matched.last();
    const int row = rowOf(view, result);
    ASSERT_GE(row, 0);
    EXPECT_TRUE(view->item(row, 0)->data(Qt::UserRole).toString().contains("<sub>"));
    view->setCurrentCell(row, 3);
    ASSERT_FALSE(host->commands().isEmpty());
    EXPECT_EQ(host->commands().last()->name, QByteArray("Select Molecule Match Result"));
    EXPECT_EQ(mass->moleculeMatch().selectedResult(), result);
}

TEST_F(MolMatchTest, ReportOfThreeRowsIsOneCreateItemCommand)
{
    auto* t = dock<TMassMolMatchTable>("MassMolMatchTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    ASSERT_GE(view->rowCount(), 3);
    host->setView(0.25, QPointF(20, 20), QSize(800, 600));
    const QPointF corner = host->viewRect().topLeft();
    for (int r = 0; r < 3; ++r)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const TCanvasItemList existing = host->allItems();
    const int items = existing.size();
    const int commands = host->commands().size();
    host->clearJournal();
    t->onReport();
    ASSERT_EQ(host->commands().size(), commands + 1);
    EXPECT_EQ(host->commands().last()->name, QByteArray("Create Item"));
    const TCanvasItemList all = host->allItems();
    ASSERT_EQ(all.size(), items + 6);
    EXPECT_TRUE(host->calls("molecule.moleculeOfItem").filter("null").isEmpty());
    // Three columns from the corner: a molecule with its text under it.
    TCanvasItemList made;
    for (TCanvasItem* i : all)
        if (!existing.contains(i))
            made.append(i);
    ASSERT_EQ(made.size(), 6);
    QList<double> xs;
    for (TCanvasItem* i : made)
        if (i->rtti() == MoleculeItemType)
            xs.append(i->x());
    std::sort(xs.begin(), xs.end());
    ASSERT_EQ(xs.size(), 3);
    EXPECT_DOUBLE_EQ(xs[0], corner.x());
    for (TCanvasItem* molecule : made) {
        if (molecule->rtti() != MoleculeItemType)
            continue;
        EXPECT_DOUBLE_EQ(molecule->y(), corner.y());
        const auto under = std::find_if(made.begin(), made.end(), [&](TCanvasItem* i) {
            return i->rtti() == TextItemType && i->x() == molecule->x();
        });
        ASSERT_NE(under, made.end());
        EXPECT_DOUBLE_EQ((*under)->y(), corner.y() + molecule->boundingRect().height());
        const auto* html = static_cast<lumatra::HtmlTextItem*>(*under);
        EXPECT_TRUE(html->html().contains("Formula</font>:</td>"));
        EXPECT_TRUE(html->html().contains("<sub>"));
    }
    // No gap: the second column starts where the first row's widest item ends.
    double firstWidth = 0;
    for (TCanvasItem* i : made)
        if (i->x() == xs[0])
            firstWidth = std::max(firstWidth, double(i->boundingRect().width()));
    EXPECT_DOUBLE_EQ(xs[1], xs[0] + firstWidth);
    // One undo takes all six away.
    ASSERT_TRUE(host->undo());
    EXPECT_EQ(host->allItems().size(), items);
}

TEST_F(MolMatchTest, ReportWithoutMoleculeColumnOrSelection)
{
    auto* t = dock<TMassMolMatchTable>("MassMolMatchTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    const QPointF corner = host->viewRect().topLeft();
    // The Molecule column hidden, nothing selected: every row, texts only,
    // all at the corner's height.
    TTableSettings s = t->currentSettings();
    s.columns[0].hidden = true;
    t->setSettings(s);
    t->refresh();
    const int items = host->allItems().size();
    t->onReport();
    const TCanvasItemList all = host->allItems();
    ASSERT_EQ(all.size(), items + view->rowCount());
    for (int i = items; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->rtti(), TextItemType);
        EXPECT_DOUBLE_EQ(all[i]->y(), corner.y());
    }
    EXPECT_EQ(view->selectionModel()->selectedRows().size(), view->rowCount());
}

TEST_F(MolMatchTest, ReportSkipsAMoleculeWhoseItemIsGone)
{
    auto* t = dock<TMassMolMatchTable>("MassMolMatchTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    // The rows' molecules: delete the item of the first row's molecule.
    const QUuid gone(view->item(0, 0)->data(Qt::UserRole + 2).toString());
    for (int i = 0; i < molecules.size(); ++i)
        if (molecules[i]->objectId() == gone) {
            delete molecules.takeAt(i);
            break;
        }
    int rowsWithIt = 0;
    for (int r = 0; r < view->rowCount(); ++r)
        rowsWithIt += QUuid(view->item(r, 0)->data(Qt::UserRole + 2).toString()) == gone ? 1 : 0;
    const int items = host->allItems().size();
    host->clearJournal();
    view->selectAll();
    t->onReport();
    const TCanvasItemList all = host->allItems();
    int texts = 0;
    int copies = 0;
    for (int i = items; i < all.size(); ++i)
        (all[i]->rtti() == TextItemType ? texts : copies) += 1;
    EXPECT_EQ(texts, view->rowCount());
    EXPECT_EQ(copies, view->rowCount() - rowsWithIt);
    EXPECT_TRUE(host->calls("molecule.moleculeOfItem").filter("null").isEmpty()) << host->journal().join("\n").toStdString();
}

TEST_F(MolMatchWithoutPeerTest, FormulasReadNotAvailable)
{
    auto* t = dock<TMassMolMatchTable>("MassMolMatchTable", mass);
    ASSERT_NE(t, nullptr);
    QTableWidget* view = t->tableWidget();
    ASSERT_GE(view->rowCount(), 3);
    for (const QString& formula : columnTexts(view, 1))
        EXPECT_EQ(formula, "N/A");
    for (const QString& weight : columnTexts(view, 2))
        EXPECT_TRUE(weight.isEmpty());
    const int items = host->allItems().size();
    view->selectAll();
    t->onReport();
    const TCanvasItemList all = host->allItems();
    ASSERT_EQ(all.size(), items + view->rowCount());
    for (int i = items; i < all.size(); ++i)
        EXPECT_EQ(all[i]->rtti(), TextItemType);
}

// ---- dataset browser ----------------------------------------------------------

namespace {

// Two functions and a trace, caffeine in the first function.
const char* const kTwoFunctionRun =
    "kestrom-run 1\n"
    "injection name=\"A\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=30 start=0 step=0.02 low=100 high=300\n"
    "function name=\"MS/MS+\" type=2 polarity=1 order=2 msms=2 precursor=195.0877 scans=30 start=0 step=0.02 "
    "low=50 high=200\n"
    "compound function=1 apex=0.3 width=0.03 height=1000 peaks=195.0877:100,196.09:10\n"
    "trace name=\"UV 254\" start=0 step=0.01 points=60 baseline=5 peaks=0.3:0.05:1000\n";

class BrowserTest : public DocksFixture {
protected:
    WMSBrowserWidget* browser(TCanvasItem* item)
    {
        auto* b = dock<WMSBrowserWidget>("MSBrowserWidget", item);
        if (b)
            tree = b->findChild<QTreeWidget*>("treeWidget");
        return b;
    }
    template <class W>
    W* child(QWidget* parent, const char* name)
    {
        W* w = parent->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    TCanvasMass* importRun()
    {
        const std::string path = ks::test::tempDir() + "/two.run";
        ks::test::writeFile(path, kTwoFunctionRun);
        return importItem(QString::fromStdString(path));
    }
    // Items of a type, depth first.
    QList<QTreeWidgetItem*> itemsOfType(int type)
    {
        QList<QTreeWidgetItem*> found;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->type() == type)
                found.append(*it);
        return found;
    }
    QStringList commandNames() const
    {
        QStringList names;
        for (TCommand* c : host->commands())
            names.append(QString::fromLatin1(c->name));
        return names;
    }

    QTreeWidget* tree = nullptr;
};

// The provider is registered before the plug-in builds its converters.
class BrowserChemStationTest : public BrowserTest {
protected:
    void SetUp() override
    {
        if (!chemStationBuilt())
            GTEST_SKIP() << "KSAgilentProvider is not built";
        withChemStation = true;
        BrowserTest::SetUp();
    }
};

}  // namespace

TEST_F(BrowserTest, DockFactoryAndTheBundledDataset)
{
    const QList<TPluginDockWidgetFactory*> factories = host->factories();
    ASSERT_EQ(factories.size(), 4);
    TPluginDockWidgetFactory* f = factories.last();
    EXPECT_EQ(f->parent(), plugin);
    ASSERT_EQ(f->docks().size(), 1);
    const TDockDescription d = f->docks().value("MSBrowserWidget");
    EXPECT_EQ(d.title, "MS Browser");
    EXPECT_EQ(d.firstFlags, 17);
    EXPECT_EQ(d.secondFlags, 3);
    EXPECT_TRUE(d.extra.isEmpty());
    EXPECT_EQ(d.group, "Mass");
    EXPECT_EQ(d.kind, 2);
    EXPECT_EQ(f->createDockWidget("MassPeaksTable"), nullptr);
    EXPECT_EQ(f->createDockWidget("msbrowserwidget"), nullptr);

    WMSBrowserWidget* b = browser(mass);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->objectName(), "MSBrowserWidget");
    EXPECT_EQ(b->windowTitle(), "MS Browser");
    EXPECT_TRUE(b->acceptsItem(nullptr));
    for (const char* name : {"gbSource", "leFile", "lbFileStatus", "btnFile", "gbBrowser", "frmToolbar", "btnChrom",
                             "btnSpec", "btnActive", "btnDel", "treeWidget", "gbInfo"})
        EXPECT_NE(b->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(child<QLineEdit>(b, "leFile")->text(), mass->datasetName());
    EXPECT_FALSE(child<QPushButton>(b, "btnFile")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>(b, "gbBrowser")->isEnabled());
    EXPECT_EQ(child<QLabel>(b, "lbFileStatus")->pixmap(Qt::ReturnByValue).toImage(), QPixmap(":/images/apply.png").toImage());
    EXPECT_EQ(tree->headerItem()->text(0), "Dataset");

    // One injection, its functions with their information texts.
    TKSDataset* dataset = mass->dataset();
    ASSERT_EQ(tree->topLevelItemCount(), dataset->getInjectionCount());
    QTreeWidgetItem* injection = tree->topLevelItem(0);
    EXPECT_EQ(injection->type(), WMSBrowserWidget::InjectionItem);
    QTreeWidgetItem* functions = injection->child(0);
    ASSERT_EQ(functions->type(), WMSBrowserWidget::FunctionsGroupItem);
    EXPECT_EQ(functions->text(0), "Functions");
    const int count = functionCount(dataset, 0);
    EXPECT_EQ(functions->data(0, WMSBrowserWidget::InfoRole).toString(), QString("%1 functions").arg(count));
    ASSERT_EQ(functions->childCount(), count);
    for (int j = 0; j < count; ++j) {
        std::unique_ptr<TKSFunction> function(datasetFunction(dataset, 0, j));
        const QString info = functions->child(j)->data(0, WMSBrowserWidget::InfoRole).toString();
        EXPECT_EQ(info, WMSBrowserWidget::functionInfoText(function.get()));
        EXPECT_TRUE(info.startsWith("Analyzer: ")) << info.toStdString();
        EXPECT_TRUE(info.contains(QString("Spectra count: %1").arg(function->getCount())));
    }
    // The item's two plots, both visible and checked.
    const QList<QTreeWidgetItem*> plots = itemsOfType(WMSBrowserWidget::PlotItem);
    ASSERT_EQ(plots.size(), 2);
    EXPECT_EQ(b->visiblePlotCount(), 2);
    for (QTreeWidgetItem* p : plots) {
        EXPECT_EQ(p->checkState(0), Qt::Checked);
        const TMassDataObj* o = mass->dataObject(QUuid(p->data(0, WMSBrowserWidget::PlotIdRole).toString()));
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(p->text(0), o->description());
        const QString info = p->data(0, WMSBrowserWidget::InfoRole).toString();
        if (const TChromatogramDataObj* c = TChromatogramDataObj::cast(o)) {
            EXPECT_EQ(info, WMSBrowserWidget::chromatogramInfoText(c->chromatogram()));
            EXPECT_TRUE(info.startsWith(QString("Scans: %1\nRT range: [").arg(c->chromatogram().getCount())));
            EXPECT_FALSE(info.endsWith("\n"));
        } else {
            EXPECT_EQ(info, WMSBrowserWidget::spectrumInfoText(TMassSpecDataObj::cast(o)->spectrum()));
            EXPECT_TRUE(info.contains("\nOrder: 1\nScans: "));
        }
    }
    // No traces: btnActive hidden.
    EXPECT_TRUE(child<QToolButton>(b, "btnActive")->isHidden());

    // The current item's information and the buttons.
    auto* info = child<QGroupBox>(b, "gbInfo");
    EXPECT_FALSE(info->isVisibleTo(b));
    tree->setCurrentItem(functions->child(0));
    EXPECT_TRUE(info->isVisibleTo(b));
    EXPECT_EQ(info->findChild<QLabel*>()->text(), functions->child(0)->data(0, WMSBrowserWidget::InfoRole).toString());
    EXPECT_TRUE(child<QToolButton>(b, "btnChrom")->isEnabled());
    EXPECT_TRUE(child<QToolButton>(b, "btnSpec")->isEnabled());
    EXPECT_TRUE(child<QToolButton>(b, "btnActive")->isEnabled());
    EXPECT_FALSE(child<QToolButton>(b, "btnDel")->isEnabled());
    b->resize(480, 520);
    b->grab().save(pngPath("browser_dock.png"));
    tree->setCurrentItem(plots.first());
    EXPECT_TRUE(child<QToolButton>(b, "btnDel")->isEnabled());
    tree->setCurrentItem(injection);
    EXPECT_FALSE(info->isVisibleTo(b));
}

TEST_F(BrowserTest, RealOneSpectrumTextFile)
{
    TCanvasMass* item = importItem(QString::fromStdString(ks::test::realData("xmass/openms-XMassFile_test_data.txt")));
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->dataset(), nullptr);
    WMSBrowserWidget* b = browser(item);
    ASSERT_NE(b, nullptr);
    const QList<QTreeWidgetItem*> functions = itemsOfType(WMSBrowserWidget::FunctionItem);
    ASSERT_EQ(functions.size(), 1);
    EXPECT_TRUE(functions[0]->data(0, WMSBrowserWidget::InfoRole).toString().endsWith("Spectra count: 1"));
    EXPECT_FALSE(itemsOfType(WMSBrowserWidget::PlotItem).isEmpty());
}

TEST_F(BrowserChemStationTest, RealChemStationOrange)
{
    TCanvasMass* item = importItem(QString::fromStdString(ks::test::realData("chemstation-ms/rainbow-orange.D")));
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->dataset(), nullptr);
    WMSBrowserWidget* b = browser(item);
    ASSERT_NE(b, nullptr);
    EXPECT_GE(tree->topLevelItemCount(), 1);
    EXPECT_FALSE(itemsOfType(WMSBrowserWidget::FunctionItem).isEmpty());
    EXPECT_FALSE(itemsOfType(WMSBrowserWidget::PlotItem).isEmpty());
    b->grab().save(pngPath("browser_chemstation_dock.png"));
}

TEST_F(BrowserTest, VisibilityAndDelete)
{
    WMSBrowserWidget* b = browser(mass);
    ASSERT_NE(b, nullptr);
    QList<QTreeWidgetItem*> plots = itemsOfType(WMSBrowserWidget::PlotItem);
    ASSERT_EQ(plots.size(), 2);
    const int commands = host->commands().size();
    QTreeWidgetItem* top = tree->topLevelItem(0);

    // Hiding one: one toggle command; the refresh it causes keeps the tree.
    plots[1]->setCheckState(0, Qt::Unchecked);
    ASSERT_EQ(host->commands().size(), commands + 1);
    EXPECT_EQ(commandNames().last(), "Toggle plot visibility");
    EXPECT_EQ(b->visiblePlotCount(), 1);
    EXPECT_TRUE(b->skipRefresh());
    const QUuid hidden(plots[1]->data(0, WMSBrowserWidget::PlotIdRole).toString());
    EXPECT_FALSE(mass->isPlotVisible(hidden));
    b->refresh();
    EXPECT_FALSE(b->skipRefresh());
    EXPECT_EQ(tree->topLevelItem(0), top);
    // The last visible plot is checked again, without a command.
    plots[0]->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(plots[0]->checkState(0), Qt::Checked);
    EXPECT_EQ(host->commands().size(), commands + 1);
    tree->setCurrentItem(plots[0]);
    EXPECT_FALSE(child<QToolButton>(b, "btnDel")->isEnabled());
    child<QToolButton>(b, "btnDel")->click();
    EXPECT_EQ(host->commands().size(), commands + 1);

    // A rebuild shows the hidden plot unchecked; checking it is one command.
    b->refresh();
    plots = itemsOfType(WMSBrowserWidget::PlotItem);
    ASSERT_EQ(plots.size(), 2);
    QTreeWidgetItem* hiddenItem = plots[0]->data(0, WMSBrowserWidget::PlotIdRole).toString() == hidden.toString()
                                      ? plots[0]
                                      : plots[1];
    EXPECT_EQ(hiddenItem->checkState(0), Qt::Unchecked);
    EXPECT_EQ(b->visiblePlotCount(), 1);
    hiddenItem->setCheckState(0, Qt::Checked);
    EXPECT_EQ(host->commands().size(), commands + 2);
    EXPECT_EQ(b->visiblePlotCount(), 2);
    EXPECT_TRUE(mass->isPlotVisible(hidden));
    b->refresh();

    // Delete with two visible plots: the plot goes, through one command.
    tree->setCurrentItem(hiddenItem);
    ASSERT_TRUE(child<QToolButton>(b, "btnDel")->isEnabled());
    const int plotCount = mass->plotCount();
    child<QToolButton>(b, "btnDel")->click();
    EXPECT_EQ(commandNames().last(), "Remove ms plot object");
    EXPECT_EQ(mass->plotCount(), plotCount - 1);
    EXPECT_EQ(itemsOfType(WMSBrowserWidget::PlotItem).size(), 1);
    EXPECT_EQ(b->visiblePlotCount(), 1);
    EXPECT_EQ(tree->currentItem(), nullptr);
    EXPECT_FALSE(child<QToolButton>(b, "btnDel")->isEnabled());
    ASSERT_TRUE(host->undo());
    EXPECT_EQ(mass->plotCount(), plotCount);
}

TEST_F(BrowserTest, ActiveFunctionAndNewPlots)
{
    TCanvasMass* item = importRun();
    ASSERT_NE(item, nullptr);
    WMSBrowserWidget* b = browser(item);
    ASSERT_NE(b, nullptr);
    const QList<QTreeWidgetItem*> functions = itemsOfType(WMSBrowserWidget::FunctionItem);
    ASSERT_EQ(functions.size(), 2);
    EXPECT_TRUE(functions[1]->data(0, WMSBrowserWidget::InfoRole).toString().contains(" [ n=2, "));
    const QList<QTreeWidgetItem*> traces = itemsOfType(WMSBrowserWidget::TraceItem);
    ASSERT_EQ(traces.size(), 1);
    EXPECT_FALSE(child<QToolButton>(b, "btnActive")->isHidden());
    ASSERT_EQ(item->activeFunction(0), 0);
    EXPECT_FALSE(functions[0]->icon(0).isNull());
    EXPECT_TRUE(functions[1]->icon(0).isNull());

    // The active function: set once, not again on the same function.
    auto* active = child<QToolButton>(b, "btnActive");
    tree->setCurrentItem(functions[1]);
    const int commands = host->commands().size();
    active->click();
    ASSERT_EQ(host->commands().size(), commands + 1);
    EXPECT_EQ(commandNames().last(), "Set active mass function");
    EXPECT_EQ(item->activeFunction(0), 1);
    EXPECT_TRUE(functions[0]->icon(0).isNull());
    EXPECT_FALSE(functions[1]->icon(0).isNull());
    active->click();
    EXPECT_EQ(host->commands().size(), commands + 1);
    b->refresh();

    // A trace's chromatogram: no dialog, one add command.
    tree->setCurrentItem(itemsOfType(WMSBrowserWidget::TraceItem).first());
    const int objects = item->dataObjects().size();
    child<QToolButton>(b, "btnChrom")->click();
    ASSERT_EQ(host->commands().size(), commands + 2);
    EXPECT_EQ(commandNames().last(), "Add ms plot object");
    EXPECT_EQ(item->dataObjects().size(), objects + 1);
    EXPECT_EQ(itemsOfType(WMSBrowserWidget::TraceItem).first()->childCount(), 1);
    b->refresh();
    b->refresh();

    // A function's TIC: the dialog accepted as it opens, a single add.
    QTreeWidgetItem* first = itemsOfType(WMSBrowserWidget::FunctionItem).first();
    tree->setCurrentItem(first);
    ks::test::whenModal([](QDialog* d) {
        EXPECT_EQ(d->objectName(), "WNewMSChromDialogClass");
        d->accept();
    });
    child<QToolButton>(b, "btnChrom")->click();
    ASSERT_EQ(host->commands().size(), commands + 3);
    EXPECT_EQ(commandNames().last(), "Add ms plot object");
    EXPECT_STRNE(host->commands().last()->metaObject()->className(), "TCmdList");
    b->refresh();

    // A mass chromatogram with another tolerance: the tolerance command and
    // the add in one list, undone together.
    first = itemsOfType(WMSBrowserWidget::FunctionItem).first();
    tree->setCurrentItem(first);
    const double tolerance = item->chromatogramTolerance();
    ks::test::whenModal([](QDialog* d) {
        d->findChild<QRadioButton*>("rbMS")->setChecked(true);
        d->findChild<QDoubleSpinBox*>("dsbStartMZ")->setValue(195.0877);
        auto* box = d->findChild<QDoubleSpinBox*>("dsbTol");
        box->setValue(box->value() == 0.5 ? 0.4 : 0.5);
        d->accept();
    });
    const int before = item->dataObjects().size();
    child<QToolButton>(b, "btnChrom")->click();
    ASSERT_EQ(host->commands().size(), commands + 4);
    EXPECT_EQ(commandNames().last(), "Add ms plot object");
    EXPECT_STREQ(host->commands().last()->metaObject()->className(), "TCmdList");
    EXPECT_NE(item->chromatogramTolerance(), tolerance);
    EXPECT_EQ(item->dataObjects().size(), before + 1);
    ASSERT_TRUE(host->undo());
    EXPECT_EQ(item->chromatogramTolerance(), tolerance);
    EXPECT_EQ(item->dataObjects().size(), before);
    b->refresh();

    // A cancelled dialog changes nothing.
    first = itemsOfType(WMSBrowserWidget::FunctionItem).first();
    tree->setCurrentItem(first);
    ks::test::whenModal([](QDialog* d) { d->reject(); });
    child<QToolButton>(b, "btnChrom")->click();
    EXPECT_EQ(host->doneCount(), commands + 3);

    // A spectrum of an empty scan adds nothing.
    tree->setCurrentItem(first);
    ks::test::whenModal([](QDialog* d) {
        d->findChild<QSpinBox*>("sbFrom")->setValue(0);
        d->accept();
    });
    const int objectCount = item->dataObjects().size();
    child<QToolButton>(b, "btnSpec")->click();
    EXPECT_EQ(host->doneCount(), commands + 3);
    EXPECT_EQ(item->dataObjects().size(), objectCount);

    // A new spectrum, centroided with its peaks built.
    tree->setCurrentItem(first);
    ks::test::whenModal([](QDialog* d) {
        EXPECT_EQ(d->objectName(), "WNewMSSpecDialogClass");
        // The compound's apex (an empty scan would add nothing).
        d->findChild<QSpinBox*>("sbFrom")->setValue(15);
        d->accept();
    });
    const QList<QUuid> known = item->dataObjects().keys();
    child<QToolButton>(b, "btnSpec")->click();
    EXPECT_EQ(commandNames().last(), "Add ms plot object");
    const TMassSpecDataObj* made = nullptr;
    for (auto it = item->dataObjects().begin(); it != item->dataObjects().end(); ++it)
        if (!known.contains(it.key()))
            made = TMassSpecDataObj::cast(it.value());
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->isCentroid());
    EXPECT_FALSE(made->peaks().isEmpty());
    b->grab().save(pngPath("browser_run_dock.png"));
}

TEST_F(BrowserTest, DatasetFileMissingAndPointedAgain)
{
    EXPECT_EQ(WMSBrowserWidget::datasetFileFilter("/data/run.raw"), "MS Dataset (*.raw);;All Files (*.*)");
    EXPECT_EQ(WMSBrowserWidget::datasetFileFilter("/data/run"), "All Files (*.*)");

    // A copy of the bundled dataset imported, then moved away: the document
    // finds no file where the item's entry points.
    const QString moved = QString::fromStdString(ks::test::tempDir() + "/moved.txt");
    const QString again = QString::fromStdString(ks::test::tempDir() + "/again.txt");
    ASSERT_TRUE(QFile::copy(bundledTextDataset(), moved));
    ASSERT_TRUE(QFile::copy(bundledTextDataset(), again));
    TCanvasMass* item = importItem(moved);
    ASSERT_NE(item, nullptr);
    WMSBrowserWidget* b = browser(item);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    auto* handler = static_cast<TMassDataServerHandler*>(item->dataServer());
    ASSERT_TRUE(QFile::remove(moved));
    handler->changeDatasetFile(item->datasetKey(), moved);
    ASSERT_EQ(item->dataset(), nullptr);
    const auto expectMissing = [&] {
        EXPECT_EQ(tree->topLevelItemCount(), 0);
        EXPECT_TRUE(child<QPushButton>(b, "btnFile")->isEnabled());
        EXPECT_FALSE(child<QGroupBox>(b, "gbBrowser")->isEnabled());
        EXPECT_EQ(child<QLabel>(b, "lbFileStatus")->pixmap(Qt::ReturnByValue).toImage(),
                  QPixmap(":/images/cancel.png").toImage());
    };
    b->refresh();
    expectMissing();
    EXPECT_EQ(child<QLineEdit>(b, "leFile")->text(), item->datasetName());

    // A file that is no dataset of the provider: the command changes
    // nothing, the plots stay.
    const std::string junk = ks::test::tempDir() + "/not-a-dataset.bin";
    ks::test::writeFile(junk, std::string("\x01\x02nothing", 9));
    const int plots = item->plotCount();
    execute(new TCmdUpdateMSDatasetFile(item->datasetKey(), QString::fromStdString(junk), handler, host->allItems()));
    EXPECT_EQ(item->dataset(), nullptr);
    EXPECT_EQ(item->plotCount(), plots);
    expectMissing();

    // A cancelled file dialog changes nothing.
    const int commands = host->commands().size();
    ks::test::whenModal([](QFileDialog* d) { d->reject(); });
    child<QPushButton>(b, "btnFile")->click();
    EXPECT_EQ(host->commands().size(), commands);

    // Another file chosen: the command's refresh rebuilds the tree.
    ks::test::whenModal([&](QFileDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Set MS dataset file name");
        EXPECT_EQ(d->nameFilters(), (QStringList{"MS Dataset (*.txt)", "All Files (*.*)"}));
        d->selectFile(again);
        static_cast<QDialog*>(d)->accept();
    });
    child<QPushButton>(b, "btnFile")->click();
    ASSERT_EQ(host->commands().size(), commands + 1);
    EXPECT_FALSE(b->skipRefresh());
    b->refresh();
    ASSERT_NE(item->dataset(), nullptr);
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_FALSE(child<QPushButton>(b, "btnFile")->isEnabled());
    EXPECT_EQ(item->plotCount(), plots);
    // Undone: the old (missing) file again, shown as missing.
    ASSERT_TRUE(host->undo());
    b->refresh();
    expectMissing();
}

TEST_F(BrowserTest, ItemOfAnotherTypeKeepsThePreviousItem)
{
    WMSBrowserWidget* b = browser(mass);
    ASSERT_NE(b, nullptr);
    const QUuid id = b->itemId();
    TMolecule molecule;
    auto* molItem = host->moleculePeer()->makeItem(molecule);
    host->addItem(molItem);
    b->setItem(molItem);
    EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(b->itemId(), id);
    b->refresh();
    EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    b->setItem(nullptr);
    EXPECT_FALSE(b->isEnabled());
    // The item leaves the document: disabled.
    delete mass;
    mass = nullptr;
    b->refresh();
    EXPECT_FALSE(b->isEnabled());
}
