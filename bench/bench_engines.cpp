// The two storage engines side by side: page reads along assignment keys at
// 10 000, 100 000 and 1 000 000 rows, and changes per second through the
// integrity layer with 1, 4 and 8 stations working at once.
//
// SQLite data sets are built in $TKO_BENCH_DIR (default /tmp/tko-bench-engines);
// PostgreSQL data sets in the database named by $TKO_BENCH_PG, one schema per
// size ("tko_bench_<rows>"). Both are reused by later runs. Without
// TKO_BENCH_PG the server cases are skipped.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>

#include "BenchData.h"
#include "data/Database.h"
#include "data/Integrity.h"
#include "platform/Date.h"
#include "platform/store/PgEngine.h"

namespace tko {
namespace {
namespace fs = std::filesystem;
using bench::dueNowFilter;
using bench::kPeople;
using bench::kToday;
using bench::personName;

enum EngineKind { kSqlite = 0, kPostgres = 1 };

std::string serverBase() {
    const char* info = std::getenv("TKO_BENCH_PG");
    return info ? info : "";
}

DataSource sourceFor(EngineKind engine, int rows) {
    if (engine == kPostgres)
        return {{},
                serverBase() + " options='-csearch_path=tko_bench_" + std::to_string(rows) + "'"};
    const char* dir = std::getenv("TKO_BENCH_DIR");
    const std::string root = dir ? dir : (fs::temp_directory_path() / "tko-bench-engines").string();
    return {root + "/assign-" + std::to_string(rows), {}};
}

// Drops a partly built data set, so that it is built again from the start.
void dropDataSet(EngineKind engine, int rows) {
    if (engine == kPostgres) {
        PGconn* conn = PQconnectdb(serverBase().c_str());
        PQclear(
            PQexec(conn, ("SET client_min_messages = warning; DROP SCHEMA IF EXISTS tko_bench_" +
                          std::to_string(rows) + " CASCADE")
                             .c_str()));
        PQfinish(conn);
    } else {
        std::error_code ec;
        fs::remove_all(sourceFor(engine, rows).directory, ec);
    }
}

// Opens a station on the data set of `rows` assignments, building it on first use.
std::unique_ptr<Database> openDataSet(EngineKind engine, int rows, std::string& error,
                                      bool retry = true) {
    const DataSource source = sourceFor(engine, rows);
    if (engine == kPostgres) {
        if (serverBase().empty()) {
            error = "TKO_BENCH_PG is not set";
            return nullptr;
        }
        PGconn* conn = PQconnectdb(serverBase().c_str());
        PQclear(PQexec(
            conn, ("SET client_min_messages = warning; CREATE SCHEMA IF NOT EXISTS tko_bench_" +
                   std::to_string(rows))
                      .c_str()));
        PQfinish(conn);
    } else {
        fs::create_directories(source.directory);
    }
    Status status;
    auto db = Database::open(source, true, status);
    if (!db) {
        error = "cannot open the data set: " + status.describe();
        return nullptr;
    }
    std::int64_t have = 0;
    db->count<Assignment>(store::all(), have);
    if (have == rows) return db;
    if (have > 0 && retry) {
        db.reset();
        dropDataSet(engine, rows);
        return openDataSet(engine, rows, error, false);
    }

    // Fill in one transaction; the server takes the rows in batches through COPY.
    std::mt19937 random(static_cast<unsigned>(rows));
    Status s = db->begin({"ASSIGNMENT"}, 10000);
    auto* server = dynamic_cast<store::PgEngine*>(&db->engine());
    std::vector<store::Row> batch;
    for (int n = 1; n <= rows && s.ok(); ++n) {
        const Assignment a = bench::generatedAssignment(n, random);
        if (server) {
            batch.push_back(a.toRow());
            if (batch.size() == 10000 || n == rows) {
                s = server->bulkAdd(Assignment::def(), batch);
                batch.clear();
            }
        } else {
            store::Row row = a.toRow();
            s = db->engine().add(Assignment::def(), row);
        }
    }
    if (s.ok()) s = db->commit();
    if (!s.ok()) {
        error = "cannot fill the data set: " + s.describe();
        return nullptr;
    }
    if (server) server->pack();  // fresh statistics for the planner
    return db;
}

Database* dataSet(EngineKind engine, int rows, std::string& error) {
    static std::map<std::pair<int, int>, std::unique_ptr<Database>> open;
    auto& slot = open[{engine, rows}];
    if (!slot) slot = openDataSet(engine, rows, error);
    return slot.get();
}

// First page and the page after it, as a list shows them on opening and on Page Down.
void readTwoPages(benchmark::State& state, const char* key, const store::Filter& filter) {
    std::string error;
    Database* db =
        dataSet(static_cast<EngineKind>(state.range(0)), static_cast<int>(state.range(1)), error);
    if (!db) {
        state.SkipWithError(error.c_str());
        return;
    }
    store::ReadRequest request;
    request.key = Assignment::def().key(key);
    request.filter = filter;
    request.limit = 20;
    request.withMemos = false;
    std::vector<store::Row> page;
    for (auto _ : state) {
        request.from = store::KeyPosition::start();
        db->engine().read(Assignment::def(), request, page);
        if (page.size() != 20) {
            state.SkipWithError("short first page");
            break;
        }
        request.from = store::KeyPosition::continuing(store::keyValuesOf(*request.key, page.back()),
                                                      page.back().pos);
        db->engine().read(Assignment::def(), request, page);
        benchmark::DoNotOptimize(page.data());
    }
    state.SetLabel(state.range(0) == kSqlite ? "sqlite" : "postgres");
}

void BM_DueNowPagesAlongDueDateKey(benchmark::State& state) {
    readTwoPages(state, "ASS:DUEDATE_KEY", dueNowFilter(personName(17)));
}
void BM_PagesAlongCloseDueDateKey(benchmark::State& state) {
    readTwoPages(state, "ASS:CLOSEDUEDATE_KEY", store::all());
}
BENCHMARK(BM_DueNowPagesAlongDueDateKey)
    ->ArgsProduct({{kSqlite, kPostgres}, {10000, 100000, 1000000}})
    ->ArgNames({"engine", "rows"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PagesAlongCloseDueDateKey)
    ->ArgsProduct({{kSqlite, kPostgres}, {10000, 100000, 1000000}})
    ->ArgNames({"engine", "rows"})
    ->Unit(benchmark::kMicrosecond);

// Changes through the integrity layer, each station (thread, own connection)
// on its own assignment; every station locks the table for its transaction.
void BM_ChangesPerSecond(benchmark::State& state) {
    const auto engine = static_cast<EngineKind>(state.range(0));
    static std::mutex setup;
    std::unique_ptr<Database> db;
    std::string error;
    {
        std::lock_guard<std::mutex> lock(setup);
        if (dataSet(engine, 10000, error)) {
            Status status;
            db = Database::open(sourceFor(engine, 10000), false, status);
            if (!db) error = status.describe();
        }
    }
    if (!db) {
        state.SkipWithError(error.c_str());
        return;
    }
    Assignment a;
    db->fetch("ASS:NUMBER_KEY", {std::int64_t{1000 + state.thread_index()}}, a);
    int priority = 1;
    std::int64_t refused = 0;
    for (auto _ : state) {
        const Assignment original = a;
        a.PRIORITY = static_cast<std::uint8_t>(1 + (priority++ % 9));
        const Outcome outcome = changeRecord(*db, a, original);
        if (outcome.kind == Outcome::Failed) ++refused;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed"] = static_cast<double>(refused);
    state.SetLabel(engine == kSqlite ? "sqlite" : "postgres");
}
BENCHMARK(BM_ChangesPerSecond)
    ->Arg(kSqlite)
    ->Arg(kPostgres)
    ->ArgName("engine")
    ->Threads(1)
    ->Threads(4)
    ->Threads(8)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
