// Importing N tasks from Taskwarrior's JSON export, side by side with
// Taskwarrior's own `task import` of the same file (run with a throw-away
// TASKDATA and TASKRC in a temporary folder). Both report the CPU seconds
// spent ("cpu_s"): ours the benchmark's own process time, Taskwarrior's that
// of its process (getrusage of the children). The wall time of our side
// leaves out making the empty office; Taskwarrior's is its CPU time.
//
//   bench_import --benchmark_filter=/10000/   the small case
//   bench_import                                10 000 and 100 000
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fcntl.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "data/Database.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "sync/Import.h"

extern char** environ;

namespace tko {
namespace {

constexpr Date kToday = 82000;

std::string tempFolder() {
    char pattern[] = "/tmp/tko-bench-import-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "";
}

// N pending tasks as `task export` writes them.
std::string taskwarriorJson(int n) {
    std::ostringstream out;
    out << "[\n";
    const char* priorities[] = {"H", "M", "L", ""};
    for (int i = 0; i < n; ++i) {
        char uuid[40];
        std::snprintf(uuid, sizeof uuid, "%08x-0000-4000-8000-%012x", i, i);
        const Ymd due = toYmd(kToday + i % 700);
        char dueText[24];
        std::snprintf(dueText, sizeof dueText, "%04d%02d%02dT120000Z", due.year, due.month,
                      due.day);
        out << "{\"uuid\":\"" << uuid << "\",\"description\":\"Imported task number " << i
            << "\",\"status\":\"pending\",\"entry\":\"20250101T000000Z\",\"due\":\"" << dueText
            << "\"";
        if (*priorities[i % 4]) out << ",\"priority\":\"" << priorities[i % 4] << "\"";
        if (i % 5 == 0) out << ",\"project\":\"office\"";
        out << "}" << (i + 1 < n ? ",\n" : "\n");
    }
    out << "]\n";
    return out.str();
}

const std::string& jsonFile(int n) {
    static std::map<int, std::string> files;
    auto it = files.find(n);
    if (it != files.end()) return it->second;
    const std::string path = tempFolder() + "/tasks.json";
    std::ofstream(path, std::ios::binary) << taskwarriorJson(n);
    return files.emplace(n, path).first->second;
}

std::unique_ptr<Database> emptyOffice(const std::string& dir) {
    Status status;
    auto db = Database::open(DataSource{dir, {}}, true, status);
    if (!db) return db;
    SystemPref settings;
    User user;
    user.USERNAME = "BEN";
    Person person;
    person.SHORTNAME = "BEN";
    person.PERSONNUMBER = 1;
    person.TYPE = "User";
    person.USER = "BEN";
    if (!db->add(settings).ok() || !db->add(user).ok() || !db->add(person).ok()) return nullptr;
    return db;
}

void BM_TaskorbitImport(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string& path = jsonFile(n);
    Session session;
    session.GlobalUser = "BEN";
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string dir = tempFolder();
        auto db = emptyOffice(dir);
        if (!db) {
            state.SkipWithError("cannot make the office");
            return;
        }
        std::clock_t start = std::clock();
        state.ResumeTiming();
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        std::vector<sync::ImportItem> items;
        std::string error;
        if (!sync::readImportFile(sync::ImportFormat::Taskwarrior, text.str(), {}, items, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        sync::ImportOptions options;
        if (state.range(1) > 0) options.batchSize = static_cast<int>(state.range(1));
        const sync::ImportReport report =
            sync::importAssignments(*db, session, items, options, kToday, 9 * kTicksPerHour);
        state.PauseTiming();
        cpu += double(std::clock() - start) / CLOCKS_PER_SEC;
        if (report.failed || report.created.size() != static_cast<size_t>(n)) {
            state.SkipWithError(report.failed ? report.failure.c_str() : "not every task imported");
            return;
        }
        db.reset();
        std::filesystem::remove_all(dir);
        state.ResumeTiming();
    }
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_TaskwarriorImport(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string& path = jsonFile(n);
    double cpu = 0;
    for (auto _ : state) {
        const std::string dir = tempFolder();
        const std::string rc = dir + "/taskrc";
        std::ofstream(rc) << "data.location=" << dir << "/data\nconfirmation=off\nverbose=nothing\n"
                          << "recurrence=off\nhooks=off\n";
        std::filesystem::create_directories(dir + "/data");
        const std::string rcArg = "rc:" + rc;
        std::vector<char*> argv{const_cast<char*>("task"), const_cast<char*>(rcArg.c_str()),
                                const_cast<char*>("import"), const_cast<char*>(path.c_str()),
                                nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const std::string dataEnv = "TASKDATA=" + dir + "/data", rcEnv = "TASKRC=" + rc;
        std::vector<char*> env{const_cast<char*>(dataEnv.c_str()), const_cast<char*>(rcEnv.c_str()),
                               const_cast<char*>("HOME=/tmp"), nullptr};
        const double before = childCpuSeconds();
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, "task", &actions, nullptr, argv.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("task import failed (is Taskwarrior installed?)");
            return;
        }
        const double spent = childCpuSeconds() - before;
        cpu += spent;
        state.SetIterationTime(spent);
        std::filesystem::remove_all(dir);
    }
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
}

// The second argument is the batch size; 0 the import's default (the whole
// file). Smaller batches show what placing each row in existing keys costs.
BENCHMARK(BM_TaskorbitImport)
    ->Args({10000, 0})
    ->Args({10000, 1000})
    ->Args({100000, 0})
    ->Args({100000, 10000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaskwarriorImport)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
