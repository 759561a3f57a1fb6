// Key index throughput: 1,000,000 numeric keys inserted in random order
// into a new key index, then each searched once, beside SQLite doing the
// same in this process on equal terms: a file on the same disk, the same
// memory for pages (the index's node cache holds at most 16 MiB; SQLite
// gets PRAGMA cache_size = -16384, 16 MiB), the same durability (neither
// syncs: the index never calls fsync, SQLite runs with synchronous = OFF),
// one transaction per pass (the index writes its changes when it closes).
// SQLite is SQLCipher's (without a key: plain SQLite pages), the only
// SQLite the project links; its table of (key, record) has the pair as
// primary key, one B-tree as the index. Control rows run our two passes
// twice. Reports the tree depth and the node cache's counts.
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

struct Built {
    int depth = 0;   // 0: failed
    zentar::NdxCacheStats stats;
};

// Builds a new index of every key.
Built buildIndex(const std::string& p)
{
    Built b;
    std::remove(p.c_str());
    DBHANDLE h = nullptr;
    if (zentar::ndxCreate(p.c_str(), "KEY", 8, 'N') != 0 || zentar::ndxOpen(p.c_str(), &h) != 0)
        return b;
    bool ok = true;
    for (int i = 0; i < kKeys && ok; ++i)
        ok = zentar::ndxInsert(h, keyOf(i), i + 1) == 0;
    const int depth = ok ? zentar::ndxDepth(h) : 0;
    uint32_t nodes = 0;
    zentar::ndxCacheInfo(h, &nodes, &b.stats);
    b.depth = zentar::ndxClose(h) == 0 ? depth : 0;
    return b;
}

const std::string& searchedIndex()
{
    static const std::string p = [] {
        std::string path = ksbench::benchPath("zentar32_bench_search.ndx");
        if (buildIndex(path).depth == 0)
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
    Built b;
    for (auto _ : state) {
        state.SetIterationTime(ksbench::timed([&] { b = buildIndex(p); }));
        if (b.depth == 0)
            return state.SkipWithError("insert failed");
    }
    std::remove(p.c_str());
    state.counters["depth"] = b.depth;
    state.counters["cache_misses"] = double(b.stats.misses);
    state.counters["cache_evictions"] = double(b.stats.evictions);
}

void BM_IndexSearch(benchmark::State& state)
{
    if (searchedIndex().empty())
        return state.SkipWithError("the index could not be built");
    zentar::NdxCacheStats stats;
    uint32_t nodes = 0;
    const uint64_t readsBefore = zentar::zReadCalls();
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
    state.counters["read_calls"] = double(zentar::zReadCalls() - readsBefore) / double(state.iterations());
}

// SQLite: one connection to a file, statements prepared once, the same
// page memory as the index and no sync.
struct Sqlite {
    sqlite3* db = nullptr;
    explicit Sqlite(const std::string& p)
    {
        if (sqlite3_open(p.c_str(), &db) != SQLITE_OK) {
            sqlite3_close(db);
            db = nullptr;
        }
        if (!exec("PRAGMA cache_size = -16384") || !exec("PRAGMA synchronous = OFF")) {
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

}  // namespace

int main(int argc, char** argv)
{
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_IndexInsert", BM_IndexInsert));
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_IndexSearch", BM_IndexSearch));
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_SqliteInsert", BM_SqliteInsert));
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_SqliteSearch", BM_SqliteSearch));
    ksbench::timedOnce(ksbench::registerControl("BM_IndexInsert_again", BM_IndexInsert));
    ksbench::timedOnce(ksbench::registerControl("BM_IndexSearch_again", BM_IndexSearch));
    static const std::string sqlite = std::string("SQLite ") + sqlite3_libversion() +
                                      " (SQLCipher, no key): the same keys and record numbers into a "
                                      "WITHOUT ROWID table keyed by (key, record), cache_size 16 MiB, "
                                      "synchronous OFF, one transaction, file on the same disk";
    static const std::string sqliteSearch = std::string("SQLite ") + sqlite3_libversion() +
                                            ": open the file, one prepared SELECT per key in one "
                                            "transaction, cache_size 16 MiB";
    return ksbench::runWithSummary(
        argc, argv,
        {{"insert 1,000,000 random numeric keys / SQLite", "BM_IndexInsert", "BM_SqliteInsert",
          "create, open, insert every key (record numbers 1..n), close: node cache of 16 MiB, no fsync",
          sqlite.c_str(), 1.0},
         {"search each key once / SQLite", "BM_IndexSearch", "BM_SqliteSearch",
          "open, dBtkey for every key, check its record number, close: node cache of 16 MiB",
          sqliteSearch.c_str(), 1.0},
         {"control: insert / insert again", "BM_IndexInsert", "BM_IndexInsert_again"},
         {"control: search / search again", "BM_IndexSearch", "BM_IndexSearch_again"}});
}
