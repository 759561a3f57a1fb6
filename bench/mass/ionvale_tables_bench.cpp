// Refreshing the mass result tables with sorting on: the peaks table over
// a chromatogram of about 5,000 detected peaks (the peak list read once per
// refresh, and once per cell as a table that fetches it for every cell
// would), and the composition table over 1,000 results. The floor beside
// each: a plain QTableWidget filled with the same texts and sorted by the
// same column.
#include "benchsummary.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>

#include <cmath>
#include <memory>

#include "recordinghost.h"
#include "tcanvasmass.h"
#include "testplugin.h"
#include "tmassdataobj.h"
#include "tmasselementcompositiontable.h"
#include "tmasspeakstable.h"

namespace {

// Reads the peak list for every cell, as the cell filling once did.
class PerCellPeaksTable : public TMassPeaksTable {
public:
    using TMassPeaksTable::TMassPeaksTable;
    void fillCell(int row, int column, QTableWidgetItem* item) override
    {
        fetchPeaks();
        TMassPeaksTable::fillCell(row, column, item);
    }
};

struct Fixture {
    lumatra::RecordingHost host;
    lumatra::TestPlugin plugin;
    TCanvasMass* peaksItem = nullptr;
    TCanvasMass* compositionItem = nullptr;
    TKSElementTable elements;
    int peakCount = 0;
    int resultCount = 0;

    Fixture()
    {
        host.loadPlugin(&plugin);
        // Gaussian peaks 0.05 min wide, 0.2 min apart, heights varying.
        std::vector<double> times;
        std::vector<double> intensities;
        const int peaks = 5000;
        const int perPeak = 20;
        for (int p = 0; p < peaks; ++p)
            for (int k = 0; k < perPeak; ++k) {
                const double t = 0.2 * p + 0.01 * k;
                const double apex = 0.2 * p + 0.095;
                const double height = 1000.0 + 500.0 * ((p * 7919) % 13);
                times.push_back(t);
                intensities.push_back(10.0 + height * std::exp(-std::pow((t - apex) / 0.025, 2)));
            }
        TKSChromatogram chromatogram;
        chromatogram.setPoints(times, intensities);
        auto* object = new TChromatogramDataObj(QUuid::createUuid(), chromatogram, 1);
        object->detectPeaks();
        peakCount = object->peaks().size();
        peaksItem = new TCanvasMass(QUuid(), 0, nullptr, nullptr);
        peaksItem->addPlotObject(object);
        peaksItem->setCurrentPlot(peaksItem->plot(object->id(), false));
        host.addItem(peaksItem);

        // Candidate formulas of one m/z in a wide window, at most 1,000.
        elements.initialize(QString::fromStdString(std::string(KS_BIN_DIR) + "/KSElements.ini").toStdWString());
        TKSMassSpectrum spectrum;
        spectrum.setPoints({400.0, 401.0, 402.0}, {100.0, 22.0, 3.0});
        spectrum.setCentroid(true);
        compositionItem = new TCanvasMass(QUuid(), 0, nullptr, nullptr);
        TKSCompositionCalculator& calculator = compositionItem->elementComposition().calculator();
        TKSCompositionConstraints constraints = calculator.getConstraints();
        constraints.setTolerance(3000);
        constraints.setMaximumResultCount(1000);
        calculator.setConstraints(constraints);
        calculator.setElementTable(&elements);
        calculator.setSpectrum(spectrum);
        calculator.compute(400.0);
        resultCount = static_cast<int>(calculator.getResults().size());
        host.addItem(compositionItem);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

template <class Table>
std::unique_ptr<Table> makePeaksTable()
{
    auto table = std::make_unique<Table>(&fixture().plugin, nullptr, nullptr);
    table->setupView();
    table->setItem(fixture().peaksItem);
    table->refresh();
    // Sorted by Area, descending.
    table->tableWidget()->sortItems(4, Qt::DescendingOrder);
    return table;
}

// The texts a table shows, row by row.
QVector<QStringList> texts(QTableWidget* view)
{
    QVector<QStringList> rows(view->rowCount());
    for (int r = 0; r < view->rowCount(); ++r)
        for (int c = 0; c < view->columnCount(); ++c)
            rows[r].append(view->item(r, c) ? view->item(r, c)->text() : QString());
    return rows;
}

// The floor; `resize` adds the tables' last step, columns and rows sized
// to their contents (a text layout of every cell).
void fillPlain(QTableWidget& view, const QVector<QStringList>& rows, int sortColumn, Qt::SortOrder order,
               bool resize = false)
{
    view.setSortingEnabled(false);
    view.clear();
    const int columns = rows.isEmpty() ? 0 : rows.first().size();
    view.setColumnCount(columns);
    view.setRowCount(rows.size());
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows.size(); ++r)
            view.setItem(r, c, new QTableWidgetItem(rows[r][c]));
    view.setSortingEnabled(true);
    view.sortItems(sortColumn, order);
    if (resize) {
        view.resizeColumnsToContents();
        view.resizeRowsToContents();
    }
}

template <class Table>
void peaksRefresh(benchmark::State& state)
{
    auto table = makePeaksTable<Table>();
    for (auto _ : state)
        table->refresh();
    state.counters["rows"] = table->tableWidget()->rowCount();
}

void BM_PeaksOncePerRefresh(benchmark::State& state)
{
    peaksRefresh<TMassPeaksTable>(state);
}

void BM_PeaksOncePerCell(benchmark::State& state)
{
    peaksRefresh<PerCellPeaksTable>(state);
}

void BM_PlainPeaks(benchmark::State& state)
{
    auto table = makePeaksTable<TMassPeaksTable>();
    const QVector<QStringList> rows = texts(table->tableWidget());
    QTableWidget view;
    for (auto _ : state)
        fillPlain(view, rows, 4, Qt::DescendingOrder, state.range(0) != 0);
    state.counters["rows"] = view.rowCount();
}

std::unique_ptr<TMassElementCompositionTable> makeCompositionTable()
{
    auto table = std::make_unique<TMassElementCompositionTable>(
        &fixture().plugin, [] { return &fixture().elements; }, nullptr, nullptr, nullptr);
    table->setupView();
    table->setItem(fixture().compositionItem);
    table->refresh();
    // Sorted by Calculated Mass, descending.
    table->tableWidget()->sortItems(1, Qt::DescendingOrder);
    return table;
}

void BM_CompositionRefresh(benchmark::State& state)
{
    auto table = makeCompositionTable();
    for (auto _ : state)
        table->refresh();
    state.counters["rows"] = table->tableWidget()->rowCount();
}

void BM_PlainComposition(benchmark::State& state)
{
    auto table = makeCompositionTable();
    const QVector<QStringList> rows = texts(table->tableWidget());
    QTableWidget view;
    for (auto _ : state)
        fillPlain(view, rows, 1, Qt::DescendingOrder, state.range(0) != 0);
    state.counters["rows"] = view.rowCount();
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Table settings are read from a folder of the benchmark's own.
    setenv("XDG_CONFIG_HOME", ksbench::benchPath("ionvale_tables_bench_config").c_str(), 1);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Kestrom");
    QCoreApplication::setApplicationName("Lumatra");
    std::printf("peaks detected: %d, composition results: %d\n", fixture().peakCount, fixture().resultCount);
    for (auto* b : {benchmark::RegisterBenchmark("BM_PeaksOncePerRefresh", BM_PeaksOncePerRefresh),
                    benchmark::RegisterBenchmark("BM_PeaksOncePerCell", BM_PeaksOncePerCell),
                    benchmark::RegisterBenchmark("BM_PlainPeaks", BM_PlainPeaks)->Arg(0),
                    benchmark::RegisterBenchmark("BM_PlainPeaks", BM_PlainPeaks)->Arg(1),
                    benchmark::RegisterBenchmark("BM_CompositionRefresh", BM_CompositionRefresh),
                    benchmark::RegisterBenchmark("BM_PlainComposition", BM_PlainComposition)->Arg(0),
                    benchmark::RegisterBenchmark("BM_PlainComposition", BM_PlainComposition)->Arg(1),
                    ksbench::registerControl("BM_PeaksOncePerRefresh_again", BM_PeaksOncePerRefresh)})
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(ksbench::kRepetitions);
    const char* plain = "floor: a plain QTableWidget filled with the same texts, sorted by the same column";
    const char* sized = "the same floor, columns and rows then sized to their contents, as a refresh ends";
    const std::vector<ksbench::Pair> pairs{
        {"peaks table, 5,000 peaks, list once per refresh", "BM_PeaksOncePerRefresh", "BM_PlainPeaks/0",
         "refresh of the peaks table with sorting on (Area descending), the peak list read once", plain},
        {"peaks table, list once per cell", "BM_PeaksOncePerCell", "BM_PlainPeaks/0",
         "the same, the peak list read for every cell (as a table fetching it per cell would)", plain},
        {"peaks table, once per refresh / floor sized", "BM_PeaksOncePerRefresh", "BM_PlainPeaks/1",
         "refresh, list read once", sized},
        {"composition table, 1,000 results", "BM_CompositionRefresh", "BM_PlainComposition/0",
         "refresh of the composition table (Calculated Mass descending)", plain},
        {"composition table / floor sized", "BM_CompositionRefresh", "BM_PlainComposition/1", "refresh", sized},
        {"control: peaks refresh / again", "BM_PeaksOncePerRefresh", "BM_PeaksOncePerRefresh_again"},
    };
    return ksbench::runWithSummary(argc, argv, pairs);
}
