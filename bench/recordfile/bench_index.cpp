// Key index throughput: 1,000,000 numeric keys inserted in random order
// into a new key index, then each searched once, beside SQLite on disk
// doing the same in one transaction each (through SQLCipher without a
// key: a table of (key, record) whose primary key is the pair, stored as
// one B-tree like the index). Reports the tree depth and the node cache.
#include "benchsummary.h"
#include "zinternal.h"

#include <sqlite3.h>

#include <numeric>
#include <random>

namespace {

constexpr int kKeys = 1000000;

const std::vector<double>& shuffledKeys()
{
    static const std::vector<double> keys = [] {
        std::vector<double> k(kKeys);
        std::iota(k.begin(), k.end(), 1.0);
        std::shuffle(k.begin(), k.end(), std::mt19937(12345));
        return k;
    }();
    return keys;
}

const char* keyOf(int i) { return reinterpret_cast<const char*>(&shuffledKeys()[size_t(i)]); }

// Builds a new index of every key; its depth, or 0 on failure.
int buildIndex(const std::string& p)
{
    std::remove(p.c_str());
    DBHANDLE h = nullptr;
    if (zentar::ndxCreate(p.c_str(), "KEY", 8, 'N') != 0 || zentar::ndxOpen(p.c_str(), &h) != 0)
        return 0;
    bool ok = true;
    for (int i = 0; i < kKeys && ok; ++i)
        ok = zentar::ndxInsert(h, keyOf(i), i + 1) == 0;
    int depth = ok ? zentar::ndxDepth(h) : 0;
    return zentar::ndxClose(h) == 0 ? depth : 0;
}

const std::string& searchedIndex()
{
    static const std::string p = [] {
        std::string path = ksbench::benchPath("zentar32_bench_search.ndx");
        if (buildIndex(path) == 0)
            path.clear();
        std::atexit([] {
            if (!searchedIndex().empty())
                std::remove(searchedIndex().c_str());
        });
        return path;
    }();
    return p;
}

void BM_IndexInsert(benchmark::State& state)
{
    shuffledKeys();
    const std::string p = ksbench::benchPath("zentar32_bench_insert.ndx");
    int depth = 0;
    for (auto _ : state) {
        state.SetIterationTime(ksbench::timed([&] { depth = buildIndex(p); }));
        if (depth == 0)
            return state.SkipWithError("insert failed");
    }
    std::remove(p.c_str());
    state.counters["depth"] = depth;
}
BENCHMARK(BM_IndexInsert)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(ksbench::kRepetitions)->UseManualTime();

void BM_IndexSearch(benchmark::State& state)
{
    if (searchedIndex().empty())
        return state.SkipWithError("the index could not be built");
    zentar::NdxCacheStats stats;
    uint32_t nodes = 0;
    for (auto _ : state) {
        bool ok = true;
        double s = ksbench::timed([&] {
            DBHANDLE h = nullptr;
            ok = zentar::ndxOpen(searchedIndex().c_str(), &h) == 0;
            for (int i = 0; i < kKeys && ok; ++i) {
                int32_t rec = 0;
                ok = dBtkey(h, keyOf(i), &rec) == 0 && rec == i + 1;
            }
            zentar::ndxCacheInfo(h, &nodes, &stats);
            ok = zentar::ndxClose(h) == 0 && ok;
        });
        if (!ok)
            return state.SkipWithError("search failed");
        state.SetIterationTime(s);
    }
    state.counters["cache_nodes"] = nodes;
    state.counters["cache_hit_pct"] = 100.0 * double(stats.hits) / double(stats.hits + stats.misses);
    state.counters["cache_misses"] = double(stats.misses);
    state.counters["cache_evictions"] = double(stats.evictions);
}
BENCHMARK(BM_IndexSearch)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(ksbench::kRepetitions)->UseManualTime();

// SQLite: one connection to a file, statements prepared once.
struct Sqlite {
    sqlite3* db = nullptr;
    explicit Sqlite(const std::string& p)
    {
        if (sqlite3_open(p.c_str(), &db) != SQLITE_OK) {
            sqlite3_close(db);
            db = nullptr;
        }
    }
    ~Sqlite() { sqlite3_close(db); }
    bool exec(const char* sql) { return db && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* st = nullptr;
        return db && sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK ? st : nullptr;
    }
};

bool buildSqlite(const std::string& p)
{
    std::remove(p.c_str());
    Sqlite q(p);
    if (!q.exec("CREATE TABLE t(k REAL, r INTEGER, PRIMARY KEY(k, r)) WITHOUT ROWID") || !q.exec("BEGIN"))
        return false;
    sqlite3_stmt* ins = q.prepare("INSERT INTO t VALUES(?, ?)");
    bool ok = ins != nullptr;
    for (int i = 0; i < kKeys && ok; ++i) {
        sqlite3_bind_double(ins, 1, shuffledKeys()[size_t(i)]);
        sqlite3_bind_int(ins, 2, i + 1);
        ok = sqlite3_step(ins) == SQLITE_DONE && sqlite3_reset(ins) == SQLITE_OK;
    }
    sqlite3_finalize(ins);
    return q.exec("COMMIT") && ok;
}

const std::string& searchedSqlite()
{
    static const std::string p = [] {
        std::string path = ksbench::benchPath("zentar32_bench_search.sqlite");
        if (!buildSqlite(path))
            path.clear();
        std::atexit([] {
            if (!searchedSqlite().empty())
                std::remove(searchedSqlite().c_str());
        });
        return path;
    }();
    return p;
}

void BM_SqliteInsert(benchmark::State& state)
{
    shuffledKeys();
    const std::string p = ksbench::benchPath("zentar32_bench_insert.sqlite");
    for (auto _ : state) {
        bool ok = true;
        state.SetIterationTime(ksbench::timed([&] { ok = buildSqlite(p); }));
        if (!ok)
            return state.SkipWithError("SQLite insert failed");
    }
    std::remove(p.c_str());
}
BENCHMARK(BM_SqliteInsert)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(ksbench::kRepetitions)->UseManualTime();

void BM_SqliteSearch(benchmark::State& state)
{
    if (searchedSqlite().empty())
        return state.SkipWithError("the SQLite file could not be built");
    for (auto _ : state) {
        bool ok = true;
        double s = ksbench::timed([&] {
            Sqlite q(searchedSqlite());
            sqlite3_stmt* sel = q.prepare("SELECT r FROM t WHERE k = ?");
            ok = sel && q.exec("BEGIN");
            for (int i = 0; i < kKeys && ok; ++i) {
                sqlite3_bind_double(sel, 1, shuffledKeys()[size_t(i)]);
                ok = sqlite3_step(sel) == SQLITE_ROW && sqlite3_column_int(sel, 0) == i + 1 &&
                     sqlite3_reset(sel) == SQLITE_OK;
            }
            sqlite3_finalize(sel);
            ok = q.exec("COMMIT") && ok;
        });
        if (!ok)
            return state.SkipWithError("SQLite search failed");
        state.SetIterationTime(s);
    }
}
BENCHMARK(BM_SqliteSearch)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(ksbench::kRepetitions)->UseManualTime();

}  // namespace

int main(int argc, char** argv)
{
    return ksbench::runWithSummary(
        argc, argv,
        {{"insert 1,000,000 random numeric keys / SQLite", "BM_IndexInsert", "BM_SqliteInsert"},
         {"search each of them / SQLite", "BM_IndexSearch", "BM_SqliteSearch"}});
}
