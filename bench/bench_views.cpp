// Opening Look Forward and History: the first page and the last page (End) of
// every screen and tab, as the window reads them (subject and filter built,
// page of 20), on 10 000, 100 000 and 1 000 000 assignments of 200 people,
// with a group of 5 members (sparse matches), for a general user and an
// administrator.
//
// Data sets "views-<rows>" in $TKO_BENCH_DIR (default /tmp/tko-bench): the
// assignments of bench_store's generator, one in twenty of them repeating,
// the 200 people (one in ten Private) and the group.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "BenchData.h"
#include "assign/Repetition.h"
#include "data/Database.h"
#include "platform/BrowsePager.h"
#include "views/History.h"
#include "views/LookForward.h"

namespace tko {
namespace {
using bench::kToday;
using bench::personName;

constexpr int kPage = 20;
constexpr const char* kGroup = "Bench group";
const int kMembers[] = {10, 50, 90, 130, 170};

Database& viewSet(int rows) {
    return bench::openDataSet("views-" + std::to_string(rows), [rows](Database& db) {
        std::mt19937 random(rows);
        db.begin({"ASSIGNMENT", "PEOPLE", "GROUPNAME", "GROUPPEOPLE"}, 10000);
        for (int n = 1; n <= rows; ++n) {
            Assignment a = bench::generatedAssignment(n, random);
            if (n % 20 == 0) {
                a.REPEATTYPE = "Days after Last Due";
                a.REPNUMBER = 7;
                a.ASSIGNEDDATE = a.DUEDATE - 300;
            }
            db.add(a);
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
        db.commit();
    });
}

// range(0): rows; range(1): screen (0 General, 1 Person, 2 Group); range(2): tab;
// range(3): 0 a general user, 1 an administrator; range(4): 0 first page, 1 last page.
template <bool History>
void BM_View(benchmark::State& state) {
    Database& db = viewSet(static_cast<int>(state.range(0)));
    const auto screen = static_cast<ScheduleScreen>(state.range(1));
    const int tab = static_cast<int>(state.range(2));
    const auto& tabs = History ? historyTabs(screen) : lookForwardTabs(screen);
    if (tab >= static_cast<int>(tabs.size())) {
        state.SkipWithError("no such tab");
        return;
    }
    Session session;
    session.GlobalUser = personName(17);
    session.GlobalUserAccess = state.range(3) ? 2 : 0;
    const bool last = state.range(4) != 0;
    BrowsePager pager(db.engine(), Assignment::def());
    pager.setKey(Assignment::def().key(tabs[static_cast<size_t>(tab)].keyLabel));
    pager.setPageSize(kPage);
    ViewSubject subject;
    subject.person = "p017";  // typed in lower case: matched without regard to case
    subject.group = kGroup;
    subject.groupNumber = 1;
    for (auto _ : state) {
        ViewScope scope;
        loadViewScope(db, session, scope);
        if (History) {
            loadHistorySubject(db, screen, subject);
            pager.setFilter(
                historyFilter(screen, tab, subject, {false, kToday - 90, kToday}, scope));
        } else {
            loadLookForwardSubject(db, screen, subject);
            LookForwardOptions options;
            options.today = kToday;
            pager.setFilter(lookForwardFilter(screen, tab, subject, options, scope));
        }
        const Status s = last ? pager.bottom() : pager.top();
        if (!s.ok()) {
            state.SkipWithError(s.describe().c_str());
            break;
        }
        benchmark::DoNotOptimize(pager.rows().data());
    }
    state.counters["rows"] = static_cast<double>(pager.rows().size());
    static const char* kScreens[] = {"General", "Person", "Group"};
    state.SetLabel(std::string(History ? "History " : "Look Forward ") + kScreens[state.range(1)] +
                   ", " + tabs[static_cast<size_t>(tab)].caption +
                   (state.range(3) ? ", administrator" : ", general user") +
                   (last ? ", last page" : ", first page"));
}

void viewArgs(benchmark::internal::Benchmark* b, bool history) {
    for (int screen = 0; screen < 3; ++screen) {
        const auto& tabs = history ? historyTabs(static_cast<ScheduleScreen>(screen))
                                   : lookForwardTabs(static_cast<ScheduleScreen>(screen));
        for (int rows : {10000, 100000, 1000000})
            for (int tab = 0; tab < static_cast<int>(tabs.size()); ++tab)
                for (int admin : {0, 1})
                    for (int last : {0, 1}) b->Args({rows, screen, tab, admin, last});
    }
}

BENCHMARK_TEMPLATE(BM_View, false)
    ->Name("BM_LookForward")
    ->Apply([](benchmark::internal::Benchmark* b) { viewArgs(b, false); })
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_View, true)
    ->Name("BM_History")
    ->Apply([](benchmark::internal::Benchmark* b) { viewArgs(b, true); })
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
