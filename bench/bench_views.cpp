// Opening Look Forward and History: the first page and the last page (End) of
// every screen and tab, as the window reads them (subject and filter built,
// page of 20), on 10 000, 100 000 and 1 000 000 assignments of 200 people,
// with a group of 5 members (sparse matches), for a general user and an
// administrator.
//
// Data sets "views_b_<rows>" in $TKO_BENCH_DIR (default /tmp/tko-bench): the
// assignments of bench_store's generator, one in twenty of them repeating,
// the 200 people (one in ten Private) and the group. With $TKO_BENCH_PG (a
// connection string) the same pages run on PostgreSQL too, on data sets kept in
// schemas "tko_views_b_<rows>" of that database.
//
// The time is that of opening the list (scope, subject, filter and page),
// after a first opening that prepares the statements. Beside it each case
// reports what the page read itself costs the engine: "vm_steps" (SQLite's
// virtual machine steps, which grow with the index entries and rows the page
// visits) or "round_trips" (statements sent to the server).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>

#include "BenchData.h"
#include "assign/Repetition.h"
#include "data/Database.h"
#include "platform/BrowsePager.h"
#include "platform/store/PgEngine.h"
#include "platform/store/SqliteEngine.h"
#include "views/History.h"
#include "views/LookForward.h"

namespace tko {
namespace {
using bench::kToday;
using bench::personName;

constexpr int kPage = 20;
// The data sets' name, changed with what the generator puts in them so that a
// set made by an older one is not reused.
constexpr const char* kDataSet = "views_b_";
constexpr const char* kGroup = "Bench group";
const int kMembers[] = {10, 50, 90, 130, 170};

// The assignments of a views data set, in the order they are stored.
void addViewAssignments(Database& db, int rows, const std::function<void(const Assignment&)>& add) {
    std::mt19937 random(rows);
    // The program writes today's date as the date assigned, and as the date
    // concluded or stopped: a date after today the generator gives either is
    // drawn again between the first day of the data and today.
    constexpr int kFirstDay = kToday - 1000;
    auto past = [&](int from) { return from + static_cast<int>(random() % (kToday - from + 1)); };
    for (int n = 1; n <= rows; ++n) {
        Assignment a = bench::generatedAssignment(n, random);
        if (n % 20 == 0) {
            a.REPEATTYPE = "Days after Last Due";
            a.REPNUMBER = 7;
            a.ASSIGNEDDATE = a.DUEDATE - 300;
        }
        if (a.ASSIGNEDDATE > kToday) a.ASSIGNEDDATE = past(kFirstDay);
        if (a.CLOSEDATE > kToday) a.CLOSEDATE = past(a.ASSIGNEDDATE);
        add(a);
    }
    for (int p = 0; p < bench::kPeople; ++p) {
        Person person;
        person.PERSONNUMBER = p + 1;
        person.SHORTNAME = personName(p);
        person.TYPE = p % 10 == 3 ? "Private" : "Open";
        person.USER = personName((p * 7) % bench::kPeople);
        db.add(person);
    }
    GroupName group;
    group.GROUPNAME = kGroup;
    group.GROUPNUMBER = 1;
    group.USER = personName(0);
    db.add(group);
    for (int m : kMembers) {
        GroupPeople member;
        member.GROUPNAME = kGroup;
        member.GROUPNUMBER = 1;
        member.SHORTNAME = personName(m);
        member.PERSONNUMBER = m + 1;
        db.add(member);
    }
}

Database& viewSet(int rows) {
    return bench::openDataSet(kDataSet + std::to_string(rows), [rows](Database& db) {
        db.begin({"ASSIGNMENT", "PEOPLE", "GROUPNAME", "GROUPPEOPLE"}, 10000);
        addViewAssignments(db, rows, [&](const Assignment& a) {
            Assignment copy = a;
            db.add(copy);
        });
        db.commit();
    });
}

// The same data set on the benchmarks' server (BenchServer.h), or nullptr without one.
Database* serverViewSet(int rows, std::string& error) {
    static std::map<int, std::unique_ptr<Database>> open;
    auto& slot = open[rows];
    if (slot) return slot.get();
    const std::string schema = "tko_" + std::string(kDataSet) + std::to_string(rows);
    auto db = bench::openServerSchema(schema, error);
    if (!db) return nullptr;
    std::int64_t have = 0;
    db->count<Assignment>(store::all(), have);
    if (have != rows) {
        if (have != 0) {
            error = "schema " + schema + " holds a partial data set: drop it";
            return nullptr;
        }
        auto* server = dynamic_cast<store::PgEngine*>(&db->engine());
        Status s = db->begin({"ASSIGNMENT", "PEOPLE", "GROUPNAME", "GROUPPEOPLE"}, 10000);
        std::vector<store::Row> batch;
        addViewAssignments(*db, rows, [&](const Assignment& a) {
            batch.push_back(a.toRow());
            if (batch.size() == 10000 && s.ok()) {
                s = server->bulkAdd(Assignment::def(), batch);
                batch.clear();
            }
        });
        if (s.ok() && !batch.empty()) s = server->bulkAdd(Assignment::def(), batch);
        if (s.ok()) s = db->commit();
        if (!s.ok()) {
            error = "cannot fill the data set: " + s.describe();
            return nullptr;
        }
        server->pack();  // fresh statistics for the planner
    }
    slot = std::move(db);
    return slot.get();
}

// What the engine has spent so far: SQLite's steps or the server's round trips.
std::int64_t engineWork(store::Engine& engine) {
    if (auto* sqlite = dynamic_cast<store::SqliteEngine*>(&engine)) return sqlite->vmSteps();
    if (auto* server = dynamic_cast<store::PgEngine*>(&engine)) return server->roundTrips();
    return 0;
}

// range(0): rows; range(1): screen (0 General, 1 Person, 2 Group); range(2): tab;
// range(3): 0 a general user, 1 an administrator, 2 a general user who is a
// member of the group (Group screens only); range(4): 0 first page, 1 last page.
template <bool History, bool Server>
void BM_View(benchmark::State& state) {
    Database* server = nullptr;
    if (Server) {
        std::string error;
        server = serverViewSet(static_cast<int>(state.range(0)), error);
        if (!server) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    Database& db = Server ? *server : viewSet(static_cast<int>(state.range(0)));
    const auto screen = static_cast<ScheduleScreen>(state.range(1));
    const int tab = static_cast<int>(state.range(2));
    const auto& tabs = History ? historyTabs(screen) : lookForwardTabs(screen);
    if (tab >= static_cast<int>(tabs.size())) {
        state.SkipWithError("no such tab");
        return;
    }
    Session session;
    const bool member = state.range(3) == 2;
    session.GlobalUser = personName(member ? kMembers[1] : 17);
    session.GlobalUserAccess = state.range(3) == 1 ? 2 : 0;
    const bool last = state.range(4) != 0;
    BrowsePager pager(db.engine(), Assignment::def());
    pager.setKey(Assignment::def().key(tabs[static_cast<size_t>(tab)].keyLabel));
    pager.setPageSize(kPage);
    ViewSubject subject;
    subject.person = "p017";  // typed in lower case: matched without regard to case
    subject.group = kGroup;
    subject.groupNumber = 1;
    // One opening of the list: the user's scope, the subject, the filter, the
    // page; `pageWork` is what the page read itself cost the engine.
    std::int64_t pageWork = 0;
    auto open = [&]() {
        ViewScope scope;
        loadViewScope(db, session, scope);
        if (History) {
            loadHistorySubject(db, screen, subject, tab, &scope);
            pager.setFilter(
                historyFilter(screen, tab, subject, {false, kToday - 90, kToday}, scope));
        } else {
            loadLookForwardSubject(db, screen, subject, tab, &scope);
            LookForwardOptions options;
            options.today = kToday;
            pager.setFilter(lookForwardFilter(screen, tab, subject, options, scope));
        }
        const std::int64_t before = engineWork(db.engine());
        const Status s = last ? pager.bottom() : pager.top();
        pageWork = engineWork(db.engine()) - before;
        return s;
    };
    // Statements are prepared once per connection: the first opening is not
    // what the list costs afterwards.
    open();
    std::int64_t work = 0;
    for (auto _ : state) {
        const Status s = open();
        work += pageWork;
        if (!s.ok()) {
            state.SkipWithError(s.describe().c_str());
            break;
        }
        benchmark::DoNotOptimize(pager.rows().data());
    }
    state.counters["rows"] = static_cast<double>(pager.rows().size());
    state.counters[Server ? "round_trips" : "vm_steps"] =
        static_cast<double>(work) /
        static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
    static const char* kScreens[] = {"General", "Person", "Group"};
    state.SetLabel(std::string(Server ? "postgres: " : "") +
                   (History ? "History " : "Look Forward ") + kScreens[state.range(1)] + ", " +
                   tabs[static_cast<size_t>(tab)].caption +
                   (state.range(3) == 1 ? ", administrator"
                    : member            ? ", general user in the group"
                                        : ", general user") +
                   (last ? ", last page" : ", first page"));
}

void viewArgs(benchmark::internal::Benchmark* b, bool history) {
    for (int screen = 0; screen < 3; ++screen) {
        const auto& tabs = history ? historyTabs(static_cast<ScheduleScreen>(screen))
                                   : lookForwardTabs(static_cast<ScheduleScreen>(screen));
        for (int rows : {10000, 100000, 1000000})
            for (int tab = 0; tab < static_cast<int>(tabs.size()); ++tab)
                for (int who : {0, 1, 2}) {
                    // A member of the group reads the rows given to him as well.
                    if (who == 2 && screen != static_cast<int>(ScheduleScreen::Group)) continue;
                    for (int last : {0, 1}) b->Args({rows, screen, tab, who, last});
                }
    }
}

BENCHMARK_TEMPLATE(BM_View, false, false)
    ->Name("BM_LookForward")
    ->Apply([](benchmark::internal::Benchmark* b) { viewArgs(b, false); })
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_View, true, false)
    ->Name("BM_History")
    ->Apply([](benchmark::internal::Benchmark* b) { viewArgs(b, true); })
    ->Unit(benchmark::kMicrosecond);
// The same pages on the server, wall time: the round trips are part of the cost.
BENCHMARK_TEMPLATE(BM_View, false, true)
    ->Name("BM_LookForwardServer")
    ->Apply([](benchmark::internal::Benchmark* b) { viewArgs(b, false); })
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_View, true, true)
    ->Name("BM_HistoryServer")
    ->Apply([](benchmark::internal::Benchmark* b) { viewArgs(b, true); })
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
