// Page reads along assignment keys at 10 000, 100 000 and 1 000 000 rows, adds
// and changes through the integrity layer, the data file size, and bulk adds
// side by side with Taskwarrior's import of the same tasks.
//
// The data sets are built once into $TKO_BENCH_DIR (default /tmp/tko-bench) and
// reused by later runs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "BenchData.h"
#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Numbering.h"
#include "platform/Date.h"

namespace tko {
namespace {
namespace fs = std::filesystem;
using bench::dueNowFilter;
using bench::kPeople;
using bench::kToday;
using bench::personName;

Database& dataSet(int rows) {
    return bench::assignmentSet(rows);
}

// First page and the page after it, as a list shows them on opening and on Page Down.
void readTwoPages(benchmark::State& state, const char* key, const store::Filter& filter) {
    Database& db = dataSet(static_cast<int>(state.range(0)));
    store::ReadRequest request;
    request.key = Assignment::def().key(key);
    request.filter = filter;
    request.limit = 20;
    request.withMemos = false;
    std::vector<store::Row> page;
    std::int64_t work = 0, rows = 0;
    for (auto _ : state) {
        const std::int64_t before = bench::engineWork(db.engine());
        request.from = store::KeyPosition::start();
        db.engine().read(Assignment::def(), request, page);
        if (page.empty()) {
            state.SkipWithError("empty first page");
            break;
        }
        request.from = store::KeyPosition::continuing(store::keyValuesOf(*request.key, page.back()),
                                                      page.back().pos);
        rows += static_cast<std::int64_t>(page.size());
        db.engine().read(Assignment::def(), request, page);
        rows += static_cast<std::int64_t>(page.size());
        work += bench::engineWork(db.engine()) - before;
        benchmark::DoNotOptimize(page.data());
    }
    // Per page: the rows it lists and SQLite's steps to read them (steps grow
    // with the index entries and rows visited, whatever the machine's load).
    const double pages = 2.0 * static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
    state.counters["rows"] = static_cast<double>(rows) / pages;
    state.counters["vm_steps"] = static_cast<double>(work) / pages;
}

void BM_DueNowPagesAlongDueDateKey(benchmark::State& state) {
    readTwoPages(state, "ASS:DUEDATE_KEY", dueNowFilter(personName(17)));
}
void BM_PagesAlongCloseDueDateKey(benchmark::State& state) {
    readTwoPages(state, "ASS:CLOSEDUEDATE_KEY", store::all());
}
BENCHMARK(BM_DueNowPagesAlongDueDateKey)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PagesAlongCloseDueDateKey)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);

// Adds with the numbering helper, each in its own transaction as a form does.
void BM_AddAssignment(benchmark::State& state) {
    Database& db = dataSet(10000);
    for (auto _ : state) {
        Assignment a;
        a.PERSON = personName(3);
        a.NAME = "Added by the benchmark";
        a.DUEDATE = kToday;
        a.REPEATTYPE = "No Repeats";
        db.begin({"ASSIGNMENT"}, 2000);
        addNumbered(db, a, &Assignment::ASSIGNNUMBER, "ASS:NUMBER_KEY");
        db.commit();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddAssignment)->Unit(benchmark::kMicrosecond);

// Changes through the integrity layer (version check, transaction, cascade check).
void BM_ChangeAssignment(benchmark::State& state) {
    Database& db = dataSet(10000);
    Assignment a;
    db.fetch("ASS:NUMBER_KEY", {std::int64_t{500}}, a);
    int priority = 1;
    for (auto _ : state) {
        const Assignment original = a;
        a.PRIORITY = static_cast<std::uint8_t>(1 + (priority++ % 9));
        if (!changeRecord(db, a, original).ok()) {
            state.SkipWithError("change failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ChangeAssignment)->Unit(benchmark::kMicrosecond);

// Bytes of the data file per 100 000 assignments (reported as a counter).
void BM_FileSizePer100k(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    dataSet(rows);
    const auto bytes =
        fs::file_size(bench::benchRoot() + "/assign-" + std::to_string(rows) + "/TKODATA.DB");
    for (auto _ : state) benchmark::DoNotOptimize(bytes);
    state.counters["MB_per_100k"] = static_cast<double>(bytes) / 1e6 * 100000.0 / rows;
}
BENCHMARK(BM_FileSizePer100k)->Arg(100000)->Iterations(1);

// CPU seconds of this process and of its finished children so far.
double cpuSeconds() {
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        total += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// Bulk add of range(0) generated assignments into a new office, by range(1):
//   0 (before) - one add() each in one transaction, as the builders did;
//   1 (after)  - Database::addAll();
//   2          - Taskwarrior's "task import" of the same tasks as JSON, in a
//                throw-away TASKDATA (the import alone is timed).
// Counters: cpu_us_per_row (this process and its children), wall_s.
void BM_BulkAdd(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const int how = static_cast<int>(state.range(1));
    const fs::path dir = fs::path(bench::benchRoot()) / ("bulk-" + std::to_string(how));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::unique_ptr<Database> db;
        const std::string json = (dir / "tasks.json").string();
        if (how == 2) {
            std::mt19937 random(static_cast<unsigned>(rows));
            std::ofstream out(json);
            out << "[\n";
            for (int n = 1; n <= rows; ++n) {
                const Assignment a = bench::generatedAssignment(n, random);
                const Ymd due = toYmd(a.DUEDATE);
                char line[400];
                std::snprintf(line, sizeof line,
                              "%s{\"uuid\":\"00000000-0000-4000-8000-%012d\",\"status\":"
                              "\"pending\",\"entry\":\"20240101T000000Z\",\"description\":"
                              "\"%s\",\"due\":\"%04d%02d%02dT000000Z\",\"priority\":\"%s\","
                              "\"project\":\"%s\",\"annotations\":[{\"entry\":"
                              "\"20240101T000000Z\",\"description\":\"%s\"}]}\n",
                              n > 1 ? "," : "", n, a.NAME.c_str(), due.year, due.month, due.day,
                              a.PRIORITY < 4   ? "H"
                              : a.PRIORITY < 7 ? "M"
                                               : "L",
                              a.PERSON.c_str(), a.GENERALMEMO.c_str());
                out << line;
            }
            out << "]\n";
            std::ofstream((dir / "taskrc").string()) << "confirmation=off\nverbose=nothing\n";
        } else {
            Status status;
            db = Database::open(DataSource{dir.string(), {}}, true, status);
        }
        state.ResumeTiming();
        const double cpuBefore = cpuSeconds();
        const auto started = std::chrono::steady_clock::now();
        Status s;
        if (how == 0) {
            std::mt19937 random(static_cast<unsigned>(rows));
            s = db->begin({"ASSIGNMENT"}, 10000);
            for (int n = 1; n <= rows && s.ok(); ++n) {
                Assignment a = bench::generatedAssignment(n, random);
                s = db->add(a);
            }
            if (s.ok()) s = db->commit();
        } else if (how == 1) {
            s = bench::fillAssignments(*db, rows);
        } else {
            const std::string command = "TASKDATA=" + dir.string() +
                                        " TASKRC=" + (dir / "taskrc").string() + " task import " +
                                        json + " >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0) s = Status::error(store::kEngineError);
        }
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        cpu += cpuSeconds() - cpuBefore;
        if (!s.ok()) state.SkipWithError(s.describe().c_str());
    }
    state.counters["cpu_us_per_row"] =
        cpu * 1e6 / static_cast<double>(rows) / static_cast<double>(state.iterations());
    state.counters["wall_s"] = wall / static_cast<double>(state.iterations());
    fs::remove_all(dir);
}
BENCHMARK(BM_BulkAdd)
    ->ArgsProduct({{10000, 100000}, {0, 1, 2}})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
