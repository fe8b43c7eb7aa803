// The word search (Edit > Find, taskorbit-cli find) over 100 000 and
// 1 000 000 assignments on both engines: a rare word (one assignment in ten
// thousand holds "Miller" in its comments) and a word every assignment holds,
// for a general user and for a System Administrator.
//
// SQLite data sets are built in $TKO_BENCH_DIR (default /tmp/tko-bench);
// PostgreSQL data sets in the database named by $TKO_BENCH_PG, one schema per
// size ("tko_search_<rows>"). Both are reused by later runs. Without
// TKO_BENCH_PG the server cases are skipped.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>

#include "BenchData.h"
#include "data/Database.h"
#include "platform/store/PgEngine.h"
#include "views/Search.h"

namespace tko {
namespace {

constexpr int kRareEvery = 10000;

void fill(Database& db, int rows) {
    const Status s = bench::fillAssignments(db, rows, [](int n, Assignment& a) {
        if (n % kRareEvery == 0) a.GENERALMEMO = "Call Mrs Müller about the Miller lease.";
    });
    if (!s.ok()) {
        std::fprintf(stderr, "cannot fill the data set: %s\n", s.describe().c_str());
        std::exit(1);
    }
}

Database* dataSet(bool server, int rows, std::string& error) {
    static std::map<std::pair<bool, int>, std::unique_ptr<Database>> open;
    auto& slot = open[{server, rows}];
    if (slot) return slot.get();
    if (!server) {
        Database& db = bench::openDataSet("search-" + std::to_string(rows),
                                          [rows](Database& fresh) { fill(fresh, rows); });
        return &db;
    }
    slot = bench::openServerSchema("tko_search_" + std::to_string(rows), error);
    if (!slot) return nullptr;
    std::int64_t have = 0;
    slot->count<Assignment>(store::all(), have);
    if (have == 0) fill(*slot, rows);
    return slot.get();
}

// args: engine (0 SQLite, 1 server), rows, administrator (0/1), common word (0/1)
void BM_Search(benchmark::State& state) {
    const bool server = state.range(0) != 0;
    const int rows = static_cast<int>(state.range(1));
    std::string error;
    Database* db = dataSet(server, rows, error);
    if (!db) {
        state.SkipWithError(error.c_str());
        return;
    }
    Session session;
    session.GlobalUser = bench::personName(17);
    session.GlobalUserAccess = state.range(2) ? 2 : 0;
    const char* typed = state.range(3) ? "assignment" : "miller";
    size_t hits = 0;
    for (auto _ : state) {
        std::vector<SearchHit> found;
        const Status s = searchOffice(*db, session, typed, 50, found);
        if (!s.ok()) {
            state.SkipWithError(s.describe().c_str());
            return;
        }
        hits = found.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["hits"] = static_cast<double>(hits);
    state.SetLabel(std::string(server ? "PostgreSQL" : "SQLite") + ", " + typed +
                   (state.range(2) ? ", administrator" : ", general user"));
}

BENCHMARK(BM_Search)
    ->ArgsProduct({{0, 1}, {100000, 1000000}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
