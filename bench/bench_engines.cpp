// The two storage engines side by side: the same list pages (opening and the
// page after it, through the pager as a window reads them) at 10 000, 100 000
// and 1 000 000 rows, interleaved in one run so that both see the same load,
// with the time per page of each engine, their ratio, SQLite's steps and the
// server's round trips per page; and changes per second through the
// integrity layer with 1, 4 and 8 stations working at once.
//
// Beside the server's figure stands the same page read by a user's own role on
// a server that enforces the rights itself (platform/store/PgRoles.h): the
// row-level security policies cost every page their predicates. The general
// user's pages are read by his role, the administrator's by a System
// Administrator's; each size is kept in a database of its own
// ("tko_bench_rls_<rows>"), since an office's roles and policies belong to one.
//
// SQLite data sets are built in $TKO_BENCH_DIR (default /tmp/tko-bench-engines);
// PostgreSQL data sets on the benchmarks' server (BenchServer.h: $TKO_BENCH_PG
// names a database or "start"s a throw-away cluster), one schema per size
// ("tko_bench_<rows>"). Both are reused by later runs. Without a server the
// server cases are skipped.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <numeric>
#include <random>

#include "BenchData.h"
#include "assign/lists/DueNowList.h"
#include "assign/lists/UnseenList.h"
#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Tables.h"
#include "platform/BrowsePager.h"
#include "platform/Date.h"
#include "platform/store/PgEngine.h"
#include "platform/store/PgRoles.h"
#include "views/History.h"
#include "views/LookForward.h"

namespace tko {
namespace {
namespace fs = std::filesystem;
using bench::dueNowFilter;
using bench::kPeople;
using bench::kToday;
using bench::personName;

enum EngineKind { kSqlite = 0, kPostgres = 1 };
// The server that enforces the rights: a third list beside the two engines.
constexpr int kSecured = 2;

using bench::serverBase;

DataSource sourceFor(EngineKind engine, int rows) {
    if (engine == kPostgres)
        return {{}, bench::serverSchemaInfo("tko_bench_" + std::to_string(rows))};
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
    std::unique_ptr<Database> db;
    if (engine == kPostgres) {
        db = bench::openServerSchema("tko_bench_" + std::to_string(rows), error);
        if (!db) return nullptr;
    } else {
        fs::create_directories(source.directory);
        Status status;
        db = Database::open(source, true, status);
        if (!db) {
            error = "cannot open the data set: " + status.describe();
            return nullptr;
        }
    }
    std::int64_t have = 0;
    db->count<Assignment>(store::all(), have);
    if (have == rows) return db;
    if (have > 0 && retry) {
        db.reset();
        dropDataSet(engine, rows);
        return openDataSet(engine, rows, error, false);
    }

    const Status s = bench::fillAssignments(*db, rows);
    if (!s.ok()) {
        error = "cannot fill the data set: " + s.describe();
        return nullptr;
    }
    return db;
}

Database* dataSet(EngineKind engine, int rows, std::string& error) {
    static std::map<std::pair<int, int>, std::unique_ptr<Database>> open;
    auto& slot = open[{engine, rows}];
    if (!slot) slot = openDataSet(engine, rows, error);
    return slot.get();
}

// ---- the same data on a server that enforces the rights ---------------------------

constexpr const char* kBenchAdmin = "BENCHADMIN";
constexpr const char* kBenchRolePassword = "bench-pw-1";

// Stations of the secured data set of `rows` assignments: `user` connected as
// the general user's role (personName(17)), `admin` as a System
// Administrator's.
struct SecuredSet {
    std::unique_ptr<Database> user, admin;
};

std::unique_ptr<Database> connectRole(const std::string& info, const std::string& name,
                                      std::string& error) {
    Status status;
    auto engine = Database::openEngine({{}, info}, false, status);
    auto* pg = dynamic_cast<store::PgEngine*>(engine.get());
    bool refused = false, noLogin = false;
    if (pg)
        status = pg->reconnectAs(store::userRoleName(pg->databaseName(), name), kBenchRolePassword,
                                 refused, noLogin);
    if (!pg || !status.ok()) {
        error = "cannot log in as " + name + ": " + status.describe();
        return nullptr;
    }
    return std::make_unique<Database>(std::move(engine));
}

std::unique_ptr<SecuredSet> openSecuredSet(int rows, std::string& error) {
    const std::string database = "tko_bench_rls_" + std::to_string(rows);
    PGconn* conn = PQconnectdb(serverBase().c_str());
    PGresult* found =
        PQexec(conn, ("SELECT 1 FROM pg_database WHERE datname = '" + database + "'").c_str());
    const bool exists = PQntuples(found) > 0;
    PQclear(found);
    if (!exists) PQclear(PQexec(conn, ("CREATE DATABASE " + database).c_str()));
    PQfinish(conn);
    const std::string info = serverBase() + " dbname=" + database;
    Status status;
    auto owner = Database::open({{}, info}, true, status);
    if (!owner) {
        error = "cannot open the secured data set: " + status.describe();
        return nullptr;
    }
    std::int64_t have = 0;
    owner->count<Assignment>(store::all(), have);
    if (have != rows) {
        if (have > 0) {
            error = "the secured data set is incomplete: drop the database " + database;
            return nullptr;
        }
        if (Status s = bench::fillAssignments(*owner, rows); !s.ok()) {
            error = "cannot fill the secured data set: " + s.describe();
            return nullptr;
        }
        SystemPref settings;
        User general, admin;
        general.USERNAME = personName(17);
        admin.USERNAME = kBenchAdmin;
        admin.ACCESSLEVEL = 2;
        if (!owner->add(settings).ok() || !owner->add(general).ok() || !owner->add(admin).ok()) {
            error = "cannot add the users: " + owner->lastError().describe();
            return nullptr;
        }
    }
    auto* server = dynamic_cast<store::PgEngine*>(&owner->engine());
    std::string gate;
    std::vector<std::pair<std::string, std::string>> once;
    Status s = store::secureOffice(*server, allTables(), gate, once);
    for (const char* name : {personName(17).c_str(), kBenchAdmin})
        if (s.ok()) s = store::setUserRolePassword(*server, name, kBenchRolePassword);
    if (!s.ok()) {
        error = "cannot secure the data set: " + s.describe();
        return nullptr;
    }
    auto set = std::make_unique<SecuredSet>();
    set->user = connectRole(info, personName(17), error);
    if (set->user) set->admin = connectRole(info, kBenchAdmin, error);
    return set->admin ? std::move(set) : nullptr;
}

SecuredSet* securedDataSet(int rows, std::string& error) {
    static std::map<int, std::unique_ptr<SecuredSet>> open;
    auto& slot = open[rows];
    if (!slot) slot = openSecuredSet(rows, error);
    return slot.get();
}

// ---- the same pages on both engines, interleaved --------------------------------

// A list as its window reads it: the key, the filter, pages of 20 moved with
// the pager, the first read (Home or End) and the page move after it.
struct PageCase {
    std::string name;
    const char* key;
    std::function<store::Filter()> filter;
    bool fromEnd;                          // End then Page Up, instead of Home then Page Down
    std::vector<store::Value> range = {};  // a key prefix the list stays within
};

// The due-now list of every tab as its window reads it, for a general user
// and an administrator (Home + Page Down), and the general user's last pages
// (End + Page Up); then the unseen list.
void addListCases(std::vector<PageCase>& cases) {
    for (int admin : {0, 1})
        for (const DueNowOrder& order : kDueNowOrders) {
            const DueNowScope scope{personName(17), admin != 0, false, kToday};
            cases.push_back({std::string("due now ") + order.caption +
                                 (admin ? ", administrator" : ", general user") +
                                 ", Home + Page Down",
                             order.keyLabel, [scope] { return tko::dueNowFilter(scope); }, false});
        }
    for (const DueNowOrder& order : kDueNowOrders) {
        const DueNowScope scope{personName(17), false, false, kToday};
        cases.push_back({std::string("due now ") + order.caption + ", general user, End + Page Up",
                         order.keyLabel, [scope] { return tko::dueNowFilter(scope); }, true});
    }
    cases.push_back({"unseen, Home + Page Down", kUnseenKey,
                     [] { return unseenFilter(personName(17)); }, false, unseenRange()});
}

const std::vector<PageCase>& pageCases() {
    static const std::vector<PageCase> cases = [] {
        // The first two are bench_store's due-date pages, with its plainer
        // filter (no test of the secondary flag), so that its figures have a
        // server figure beside them; the window's own filter is in addListCases().
        std::vector<PageCase> list{
            {"due now (general user, bench_store's filter), Home + Page Down", "ASS:DUEDATE_KEY",
             [] { return dueNowFilter(personName(17)); }, false},
            {"due now (general user, bench_store's filter), End + Page Up", "ASS:DUEDATE_KEY",
             [] { return dueNowFilter(personName(17)); }, true},
            {"by date concluded, Home + Page Down", "ASS:CLOSEDUEDATE_KEY",
             [] { return store::all(); }, false},
            {"by date concluded, End + Page Up", "ASS:CLOSEDUEDATE_KEY",
             [] { return store::all(); }, true},
            {"Look Forward (General) By Priority, administrator, Home + Page Down",
             "ASS:PRIORITY_KEY",
             [] {
                 ViewSubject subject;
                 for (int p = 1; p <= 9; ++p) subject.priorities.push_back(p);
                 LookForwardOptions options;
                 options.today = kToday;
                 return lookForwardFilter(ScheduleScreen::General, 1, subject, options,
                                          ViewScope{personName(17), true});
             },
             false},
            {"History (General) By Priority, administrator, End + Page Up", "ASS:PRIORASSIGN_KEY",
             [] {
                 ViewSubject subject;
                 for (int p = 1; p <= 9; ++p) subject.priorities.push_back(p);
                 return historyFilter(ScheduleScreen::General, 1, subject,
                                      {false, kToday - 90, kToday},
                                      ViewScope{personName(17), true});
             },
             true},
        };
        addListCases(list);
        return list;
    }();
    return cases;
}

// One engine's list of a case and what it has cost so far.
struct EngineList {
    Database* db = nullptr;
    std::unique_ptr<BrowsePager> pager;
    std::int64_t work = 0;      // SQLite's steps or the server's round trips
    std::vector<double> reads;  // seconds of each read of the case's two pages

    Status read(const PageCase& c) {
        const auto started = std::chrono::steady_clock::now();
        const std::int64_t before = bench::engineWork(db->engine());
        Status s = c.fromEnd ? pager->bottom() : pager->top();
        if (s.ok()) s = c.fromEnd ? pager->pageUp() : pager->pageDown();
        work += bench::engineWork(db->engine()) - before;
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        reads.push_back(took);
        return s;
    }

    // The time of a page, on average over the reads so far.
    double pageSeconds() const {
        if (reads.empty()) return 0;
        return std::accumulate(reads.begin(), reads.end(), 0.0) / (2.0 * reads.size());
    }
};

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// range(0): the case; range(1): assignments. Each iteration reads the case's
// two pages on SQLite and on the server, in turn (which goes first alternates),
// so that both see the same load; wall time, the server on this machine.
void BM_EnginePages(benchmark::State& state) {
    const PageCase& c = pageCases()[static_cast<size_t>(state.range(0))];
    const int rows = static_cast<int>(state.range(1));
    std::string error;
    EngineList lists[3];
    if (serverBase().empty()) error = bench::kNoServer;
    SecuredSet* secured = serverBase().empty() ? nullptr : securedDataSet(rows, error);
    if (!secured) {
        state.SkipWithError(error.c_str());
        return;
    }
    const bool administrator = c.name.find("administrator") != std::string::npos;
    lists[kSecured].db = administrator ? secured->admin.get() : secured->user.get();
    for (int e : {int{kSqlite}, int{kPostgres}, kSecured}) {
        if (e != kSecured) lists[e].db = dataSet(static_cast<EngineKind>(e), rows, error);
        if (!lists[e].db) {
            state.SkipWithError(error.c_str());
            return;
        }
        lists[e].pager = std::make_unique<BrowsePager>(lists[e].db->engine(), Assignment::def());
        lists[e].pager->setKey(Assignment::def().key(c.key));
        if (!c.range.empty()) lists[e].pager->setRange(c.range);
        lists[e].pager->setFilter(c.filter());
        lists[e].pager->setPageSize(20);
        // Statements are prepared once per connection: not part of a page.
        lists[e].read(c);
        lists[e].work = 0;
        lists[e].reads.clear();
    }
    int first = 0;  // the list read first in an iteration goes round
    for (auto _ : state) {
        for (int turn = 0; turn < 3; ++turn) {
            EngineList& list = lists[(first + turn) % 3];
            const Status s = list.read(c);
            if (!s.ok() || list.pager->isEmpty()) {
                state.SkipWithError(s.ok() ? "empty page" : s.describe().c_str());
                return;
            }
        }
        first = (first + 1) % 3;
    }
    // The lists must agree, or the figures compare different work (the
    // secured rows by their fields: positions differ between databases).
    const auto& a = lists[kSqlite].pager->rows();
    for (int other : {int{kPostgres}, kSecured}) {
        const auto& b = lists[other].pager->rows();
        bool same = a.size() == b.size();
        for (size_t i = 0; same && i < a.size(); ++i) same = a[i].values == b[i].values;
        if (!same) state.SkipWithError("the engines list different rows");
    }
    const double pages = std::max<double>(1, 2.0 * lists[kSqlite].reads.size());
    const double sqliteUs = lists[kSqlite].pageSeconds() * 1e6;
    const double serverUs = lists[kPostgres].pageSeconds() * 1e6;
    state.counters["sqlite_us"] = sqliteUs;
    state.counters["postgres_us"] = serverUs;
    state.counters["ratio"] = sqliteUs > 0 ? serverUs / sqliteUs : 0;
    // The means above take in every pause of the machine; the medians do
    // not. Each iteration read on both engines back to back, so the ratio of
    // the two reads of one iteration compares the engines under one load.
    std::vector<double> ratios;
    const auto& sqliteReads = lists[kSqlite].reads;
    const auto& serverReads = lists[kPostgres].reads;
    for (size_t i = 0; i < std::min(sqliteReads.size(), serverReads.size()); ++i)
        if (sqliteReads[i] > 0) ratios.push_back(serverReads[i] / sqliteReads[i]);
    state.counters["sqlite_p50_us"] = median(sqliteReads) / 2 * 1e6;
    state.counters["postgres_p50_us"] = median(serverReads) / 2 * 1e6;
    state.counters["ratio_p50"] = median(ratios);
    state.counters["vm_steps"] = static_cast<double>(lists[kSqlite].work) / pages;
    state.counters["round_trips"] = static_cast<double>(lists[kPostgres].work) / pages;
    // The policies' cost: the secured server's page beside the plain one's.
    const double securedUs = lists[kSecured].pageSeconds() * 1e6;
    state.counters["rls_us"] = securedUs;
    state.counters["rls_p50_us"] = median(lists[kSecured].reads) / 2 * 1e6;
    std::vector<double> rlsRatios;
    const auto& securedReads = lists[kSecured].reads;
    for (size_t i = 0; i < std::min(securedReads.size(), serverReads.size()); ++i)
        if (serverReads[i] > 0) rlsRatios.push_back(securedReads[i] / serverReads[i]);
    state.counters["rls_ratio_p50"] = median(rlsRatios);
    state.counters["rls_round_trips"] = static_cast<double>(lists[kSecured].work) / pages;
    state.SetLabel(c.name);
}
BENCHMARK(BM_EnginePages)
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (int c = 0; c < static_cast<int>(pageCases().size()); ++c)
            for (int rows : {10000, 100000, 1000000}) b->Args({c, rows});
    })
    ->ArgNames({"case", "rows"})
    ->UseRealTime()
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
