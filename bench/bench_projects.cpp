// Opening a project's assignment list: the first and the last page of 20 as
// "Browse Project Information" reads them (the PROJASSGN join in the store's
// query, each sort tab's key), for a project of 10 000 assignments and for one
// of 10, both among 100 000 assignments.
//
// The data set lives in $TKO_BENCH_DIR (default /tmp/tko-bench) as
// "projects-100000" and is built on the first run.
#include <benchmark/benchmark.h>

#include <random>

#include "BenchData.h"
#include "data/Database.h"
#include "platform/BrowsePager.h"
#include "projects/ProjectRules.h"

namespace tko {
namespace {

constexpr int kAssignments = 100000;
constexpr int kPage = 20;
constexpr std::int32_t kLargeProject = 1;  // every tenth assignment: 10 000
constexpr std::int32_t kSmallProject = 2;  // ten assignments spread over the file

Database& projectSet() {
    return bench::openDataSet("projects-" + std::to_string(kAssignments), [](Database& db) {
        std::mt19937 random(kAssignments);
        db.begin({"ASSIGNMENT", "PROJECT", "PROJASSGN"}, 10000);
        Project large{"Large", kLargeProject, "P001", "Open", {}};
        Project small{"Small", kSmallProject, "P001", "Open", {}};
        db.add(large);
        db.add(small);
        for (int n = 1; n <= kAssignments; ++n) {
            Assignment a = bench::generatedAssignment(n, random);
            db.add(a);
            if (n % 10 == 0) {
                ProjAssign link{large.NAME, kLargeProject, n, "P001"};
                db.add(link);
            }
            if (n % (kAssignments / 10) == 0) {
                ProjAssign link{small.NAME, kSmallProject, n, "P001"};
                db.add(link);
            }
        }
        db.commit();
    });
}

// range(0): project; range(1): sort tab 0..3; range(2): 0 first page, 1 last page.
void BM_ProjectPage(benchmark::State& state) {
    Database& db = projectSet();
    const auto project = static_cast<std::int32_t>(state.range(0));
    const ProjectOrder& order = kProjectOrders[static_cast<size_t>(state.range(1))];
    BrowsePager pager(db.engine(), Assignment::def());
    pager.setKey(Assignment::def().key(order.keyLabel));
    // An administrator's list: every linked row, as before rights applied.
    access::Viewer administrator;
    administrator.user = "SUPERVISOR";
    administrator.level = levelNumber(AccessLevel::SystemAdministrator);
    pager.setFilter(projectAssignmentFilter(project, {true, false}, administrator));
    pager.setPageSize(kPage);
    for (auto _ : state) {
        const Status s = state.range(2) ? pager.bottom() : pager.top();
        if (!s.ok() || pager.isEmpty()) {
            state.SkipWithError("empty page");
            break;
        }
        benchmark::DoNotOptimize(pager.rows().data());
    }
    state.counters["rows"] = static_cast<double>(pager.rows().size());
}
BENCHMARK(BM_ProjectPage)
    ->ArgsProduct({{kLargeProject, kSmallProject}, {0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"project", "tab", "last"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
