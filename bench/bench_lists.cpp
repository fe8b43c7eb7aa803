// Opening the due-now, unseen and current-reminders lists: the first page as
// the window reads it (filter, key, page of 20, and for reminders the
// assignment of each row), on 10 000, 100 000 and 1 000 000 assignments and on
// 100 000 reminders; beside it the raw page read of the store.
//
// Uses the assignment data sets of bench_store in $TKO_BENCH_DIR (default
// /tmp/tko-bench), building a missing one with the same generator; the
// reminders get a data set of their own there.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "BenchData.h"
#include "assign/lists/DueNowList.h"
#include "assign/lists/UnseenList.h"
#include "data/Database.h"
#include "platform/BrowsePager.h"
#include "platform/store/FilterBox.h"
#include "views/ReminderList.h"

namespace tko {
namespace {
namespace fs = std::filesystem;
using bench::kToday;
using bench::personName;

constexpr int kPage = 20;
constexpr int kReminders = 100000;

Database& assignments(int rows) {
    return bench::assignmentSet(rows);
}

// 100 000 reminders of 200 users, dated two years either side of today, on
// 100 000 assignments.
Database& reminders() {
    return bench::openDataSet("reminders-" + std::to_string(kReminders), [](Database& db) {
        std::mt19937 random(kReminders);
        db.begin({"ASSIGNMENT", "REMINDER"}, 10000);
        for (int n = 1; n <= kReminders; ++n) {
            Assignment a = bench::generatedAssignment(n, random);
            db.add(a);
            Reminder r;
            r.REMINDNUMBER = n;
            r.ASSIGNNUMBER = static_cast<std::int32_t>(1 + random() % kReminders);
            r.USER = personName(static_cast<int>(random() % bench::kPeople));
            r.DATE = kToday - 700 + static_cast<int>(random() % 1400);
            r.NOTE = "Reminder number " + std::to_string(n);
            r.ALARMFLAG = static_cast<std::uint8_t>(random() % 2);
            db.add(r);
        }
        db.commit();
    });
}

// The rows of the last page read, and SQLite's steps per page: they grow with
// the index entries and rows a page visits, whatever the machine's load. Every
// case reports both, so that the table (or CSV) of a run has the same columns
// for each.
void reportPage(benchmark::State& state, std::int64_t steps, size_t rows) {
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["vm_steps"] = static_cast<double>(steps) /
                                 static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
}

// The first page of a list, as opening its window reads it.
void firstPage(benchmark::State& state, store::Engine& engine, BrowsePager& pager) {
    pager.setPageSize(kPage);
    std::int64_t steps = 0;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(engine);
        const Status s = pager.top();
        steps += bench::engineWork(engine) - before;
        if (!s.ok() || pager.isEmpty()) {
            state.SkipWithError("empty first page");
            break;
        }
        benchmark::DoNotOptimize(pager.rows().data());
    }
    reportPage(state, steps, pager.rows().size());
}

// Tabs 0..3 (priority, due date, person, name); range(2): 0 a general user, 1 an administrator.
void BM_DueNowFirstPage(benchmark::State& state) {
    Database& db = assignments(static_cast<int>(state.range(0)));
    const DueNowOrder& order = kDueNowOrders[static_cast<size_t>(state.range(1))];
    Session session;
    session.GlobalUser = personName(17);
    session.GlobalUserAccess = state.range(2) ? 2 : 0;
    DueNowScope scope;
    BrowsePager pager(db.engine(), Assignment::def());
    pager.setKey(Assignment::def().key(order.keyLabel));
    std::int64_t steps = 0;
    for (auto _ : state) {
        loadDueNowScope(db, session, false, kToday, scope);
        pager.setFilter(dueNowFilter(scope));
        pager.setPageSize(kPage);
        const std::int64_t before = bench::engineWork(db.engine());
        const Status s = pager.top();
        steps += bench::engineWork(db.engine()) - before;
        if (!s.ok() || pager.isEmpty()) {
            state.SkipWithError("empty first page");
            break;
        }
    }
    reportPage(state, steps, pager.rows().size());
    state.SetLabel(std::string(order.caption) +
                   (state.range(2) ? ", administrator" : ", general user"));
}
BENCHMARK(BM_DueNowFirstPage)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1, 2, 3}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// The last page (End), where a scan that is not bounded by the index shows.
void BM_DueNowLastPage(benchmark::State& state) {
    Database& db = assignments(static_cast<int>(state.range(0)));
    const DueNowOrder& order = kDueNowOrders[static_cast<size_t>(state.range(1))];
    DueNowScope scope{personName(17), false, false, kToday};
    BrowsePager pager(db.engine(), Assignment::def());
    pager.setKey(Assignment::def().key(order.keyLabel));
    pager.setFilter(dueNowFilter(scope));
    pager.setPageSize(kPage);
    std::int64_t steps = 0;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        const Status s = pager.bottom();
        steps += bench::engineWork(db.engine()) - before;
        if (!s.ok() || pager.isEmpty()) {
            state.SkipWithError("empty last page");
            break;
        }
    }
    reportPage(state, steps, pager.rows().size());
    state.SetLabel(std::string(order.caption) + ", general user");
}
BENCHMARK(BM_DueNowLastPage)->ArgsProduct({{1000000}, {0, 1, 2, 3}})->Unit(benchmark::kMicrosecond);

void BM_UnseenFirstPage(benchmark::State& state) {
    Database& db = assignments(static_cast<int>(state.range(0)));
    BrowsePager pager(db.engine(), Assignment::def());
    pager.setKey(Assignment::def().key(kUnseenKey));
    pager.setRange(unseenRange());
    pager.setFilter(unseenFilter(personName(17)));
    firstPage(state, db.engine(), pager);
}
BENCHMARK(BM_UnseenFirstPage)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Page plus the assignment of every row, as the window shows them.
void BM_CurrentRemindersFirstPage(benchmark::State& state) {
    Database& db = reminders();
    BrowsePager pager(db.engine(), Reminder::def());
    pager.setKey(Reminder::def().key(kCurrentRemindersKey));
    pager.setFilter(currentRemindersFilter(personName(17), kToday));
    pager.setPageSize(kPage);
    ReminderAssignments lookup(db);
    std::int64_t steps = 0;
    for (auto _ : state) {
        lookup.clear();
        const std::int64_t before = bench::engineWork(db.engine());
        const bool read = pager.top().ok();
        steps += bench::engineWork(db.engine()) - before;
        if (!read || pager.isEmpty()) {
            state.SkipWithError("empty first page");
            break;
        }
        for (const store::Row& row : pager.rows()) {
            Reminder r;
            r.fromRow(row);
            benchmark::DoNotOptimize(lookup.find(r.ASSIGNNUMBER));
        }
    }
    reportPage(state, steps, pager.rows().size());
}
BENCHMARK(BM_CurrentRemindersFirstPage)->Unit(benchmark::kMicrosecond);

// The first page of the General list's order with words in the filter box,
// matched anywhere in the name, assignee and giver: a word no row holds, one
// a few rows hold, and one every row holds. Each repetition is a newly typed
// text: the filter is made (with the index's counts of the words) and the
// first page read. Third argument 0: the words tested along the key alone,
// as before the substring index; 1: filterBoxFilter().
void BM_FilterBoxFirstPage(benchmark::State& state) {
    Database& db = assignments(static_cast<int>(state.range(0)));
    static const char* const kTyped[] = {"qqq", "number 4711", "number"};
    const char* typed = kTyped[state.range(1)];
    const bool indexed = state.range(2) != 0;
    const std::vector<std::string> fields{"NAME", "PERSON", "USERNAME"};
    BrowsePager pager(db.engine(), Assignment::def());
    pager.setKey(Assignment::def().key("ASS:CLOSEDUEDATE_KEY"));
    pager.setPageSize(kPage);
    std::int64_t steps = 0;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        pager.setTextFilter(
            indexed ? store::filterBoxFilter(db.engine(), Assignment::def(), fields, typed)
                    : store::wordsFilter(Assignment::def(), fields, typed));
        if (!pager.top().ok()) {
            state.SkipWithError("the page could not be read");
            break;
        }
        steps += bench::engineWork(db.engine()) - before;
    }
    reportPage(state, steps, pager.rows().size());
    state.SetLabel(std::string(typed) + (indexed ? " (index)" : " (key walk)"));
}
BENCHMARK(BM_FilterBoxFirstPage)
    ->ArgsProduct({{100000, 1000000}, {0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// The store's own page read, no filter, for comparison.
void BM_RawPage(benchmark::State& state) {
    Database& db = assignments(static_cast<int>(state.range(0)));
    store::ReadRequest request;
    request.key = Assignment::def().key("ASS:CLOSEDUEDATE_KEY");
    request.limit = kPage;
    request.withMemos = false;
    std::vector<store::Row> page;
    std::int64_t steps = 0;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        db.engine().read(Assignment::def(), request, page);
        steps += bench::engineWork(db.engine()) - before;
        benchmark::DoNotOptimize(page.data());
    }
    reportPage(state, steps, page.size());
}
BENCHMARK(BM_RawPage)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
