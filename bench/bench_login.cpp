// What every log-in and every change at another station costs an open
// station: the status bar's "Due now" count and the start-up check, on
// 100 000 and 1 000 000 assignments. Each case runs the count as it was (one
// statement over the whole due filter, planned from the sampled statistics a
// station writes) beside the count as it is now (the user's two ranges, each
// read along its key), in the same process on the same file.
//
// Uses the assignment data sets of bench_store in $TKO_BENCH_DIR (default
// /tmp/tko-bench), building a missing one with the same generator. The file
// is opened a second time so that the station's planner statistics are those
// a station makes when it opens a large office.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "BenchData.h"
#include "app/StartupAlerts.h"
#include "assign/lists/DueNowList.h"

namespace tko {
namespace {

const std::string kUser = bench::personName(42);

// A station opened on the data set of `rows` assignments (built when missing).
Database& station(int rows) {
    static std::map<int, std::unique_ptr<Database>> open;
    auto it = open.find(rows);
    if (it != open.end()) return *it->second;
    bench::assignmentSet(rows);  // builds it the first time
    Status status;
    auto db = Database::open(DataSource{bench::benchRoot() + "/assign-" + std::to_string(rows), {}},
                             false, status);
    if (!db) {
        std::fprintf(stderr, "cannot open: %s\n", status.describe().c_str());
        std::exit(1);
    }
    return *(open[rows] = std::move(db));
}

// The answer and SQLite's steps per iteration: they grow with the index
// entries and rows a statement visits, whatever the machine's load.
void reportWork(benchmark::State& state, std::int64_t work, std::int64_t due) {
    state.counters["due"] = static_cast<double>(due);
    state.counters["vm_steps"] = static_cast<double>(work) /
                                 static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
}

// The count as one statement over the whole due filter (the former shape).
void BM_DueCountPlain(benchmark::State& state) {
    Database& db = station(static_cast<int>(state.range(0)));
    std::int64_t due = 0, work = 0;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        if (!db.count<Assignment>(dueForUserFilter(kUser, bench::kToday), due).ok()) {
            state.SkipWithError("count failed");
            break;
        }
        work += bench::engineWork(db.engine()) - before;
    }
    reportWork(state, work, due);
}
BENCHMARK(BM_DueCountPlain)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The count as the status bar reads it now.
void BM_DueCountKeyed(benchmark::State& state) {
    Database& db = station(static_cast<int>(state.range(0)));
    std::int64_t due = 0, work = 0;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        if (!countDueAssignments(db, kUser, bench::kToday, due).ok()) {
            state.SkipWithError("count failed");
            break;
        }
        work += bench::engineWork(db.engine()) - before;
    }
    reportWork(state, work, due);
}
BENCHMARK(BM_DueCountKeyed)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// What another station's change costs an open station: the status bar's count
// and its unseen check.
void BM_ChangeSeenByStation(benchmark::State& state) {
    Database& db = station(static_cast<int>(state.range(0)));
    std::int64_t due = 0, work = 0;
    bool unseen = false;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        if (!countDueAssignments(db, kUser, bench::kToday, due).ok() ||
            !hasUnseenAssignment(db, kUser, unseen).ok()) {
            state.SkipWithError("refresh failed");
            break;
        }
        work += bench::engineWork(db.engine()) - before;
    }
    reportWork(state, work, due);
}
BENCHMARK(BM_ChangeSeenByStation)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Whether anything is due, read as before: from the user's name along each
// key with the plain due filter, which a user with nothing due reads on
// through every later name's rows; beside it the check as it reads now.
void BM_DueCheck(benchmark::State& state) {
    Database& db = station(static_cast<int>(state.range(0)));
    const bool former = state.range(1) == 0;
    const Date today = bench::kToday - 800;  // nothing due
    std::int64_t work = 0;
    bool found = false;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        Status s;
        if (former) {
            for (const char* key : {"ASS:PERSONDATE_KEY", "ASS:USERDATE_KEY"}) {
                store::ReadRequest request;
                request.key = Assignment::def().key(key);
                request.from = store::KeyPosition::at({kUser});
                request.filter = dueForUserFilter(kUser, today);
                request.limit = 1;
                request.withMemos = false;
                std::vector<Assignment> rows;
                s = db.read(request, rows);
                found = s.ok();
                if (s.endOfRange()) s = Status::success();
                if (!s.ok() || found) break;
            }
        } else {
            s = hasDueAssignment(db, kUser, today, found);
        }
        if (!s.ok()) {
            state.SkipWithError("due check failed");
            break;
        }
        work += bench::engineWork(db.engine()) - before;
    }
    reportWork(state, work, found ? 1 : 0);
}
BENCHMARK(BM_DueCheck)->ArgsProduct({{100000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond);

// The start-up check of a user with nothing due (the reads run to the end of
// the user's ranges) and of one with work due, plus the count: what log-in
// reads before the main frame shows.
void BM_LogInChecks(benchmark::State& state) {
    Database& db = station(static_cast<int>(state.range(0)));
    const Date today = state.range(1) ? bench::kToday : bench::kToday - 800;
    std::int64_t due = 0, work = 0;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        StartupAlerts alerts;
        bool found = false;
        if (!hasDueAssignment(db, kUser, today, found).ok() ||
            !startupAlerts(db, kUser, today, alerts).ok() ||
            !countDueAssignments(db, kUser, today, due).ok()) {
            state.SkipWithError("log-in checks failed");
            break;
        }
        work += bench::engineWork(db.engine()) - before;
    }
    reportWork(state, work, due);
}
BENCHMARK(BM_LogInChecks)->ArgsProduct({{100000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
