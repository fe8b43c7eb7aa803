// Live lists between stations.
//
//  - BM_CommitToRepaint: one station commits a change of an assignment, another
//    shows it in an open list (offscreen) and repaints; median and 99th percentile
//    of 200 changes, on SQLite and on PostgreSQL (server notices). The SQLite
//    modes: "share_1s", a network share as the program looked at it before
//    (the once-a-second look alone: the file watch sees no other machine's
//    writes); "local", the look and the watch on the data file; "share", the
//    look alone at the interval the program now takes on a network share. On
//    the benchmarks' server (BenchServer.h: TKO_BENCH_PG names a database or
//    "start"s a throw-away cluster). The commits fall at
//    random points of the polling second, as real ones do.
//  - BM_IdlePolling: eight idle station processes on one data directory, each
//    with its change watcher running, in the same three modes; the CPU they
//    spend, per station and hour.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/Database.h"
#include "platform/ChangeWatcher.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/ListWindow.h"

extern char** environ;

namespace {

using namespace tko;
using SteadyClock = std::chrono::steady_clock;

std::string g_self;  // this program, for the idle station processes

QApplication& app() {
    static int argc = 1;
    static char name[] = "bench_notices";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

std::string scratchDir(const char* name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     (std::string(name) + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

// A new, empty store in `dir`; nullptr (and the benchmark skipped) when it
// cannot be made.
std::unique_ptr<Database> newStore(benchmark::State& state, const std::string& dir) {
    DataSource source;
    source.directory = dir;
    Status status;
    auto db = Database::open(source, true, status);
    if (!db) state.SkipWithError(("cannot create the store: " + status.describe()).c_str());
    return db;
}

class NumberList : public ListWindow {
public:
    explicit NumberList(store::Engine& engine) : ListWindow(engine, Assignment::def()) {
        setIdentity({"NumberList", "numberList", QStringLiteral("Numbers"), QString()});
        list()->setFormat(
            QStringLiteral("40R(2)~Number~@n_6@#ASSIGNNUMBER#120L(2)~Name~@s50@#NAME#"));
        setSortTabs({{"By Number", "", "ASS:NUMBER_KEY", ""}});
        finish(500, 400);
    }
    // The name shown in the first row.
    QString topName() const { return list()->cellText(0, 1).trimmed(); }
};

// The SQLite modes of both benchmarks: the look's interval and the watch.
enum Mode { kShareOneSecond = 0, kLocal = 1, kShare = 2 };
int modeInterval(int mode) {
    return mode == kShare ? ChangeWatcher::kShareIntervalMs : ChangeWatcher::kIdleIntervalMs;
}
bool modeWatches(int mode) {
    return mode == kLocal;
}

void commitToRepaint(benchmark::State& state, const DataSource& source, int intervalMs,
                     bool watchFile) {
    app();
    Status status;
    auto here = Database::open(source, true, status);
    auto there = here ? Database::open(source, false, status) : nullptr;
    if (!here || !there) {
        state.SkipWithError(("cannot open the store: " + status.describe()).c_str());
        return;
    }
    // One assignment, numbered below any other, that the other station renames.
    Assignment shared;
    {
        std::vector<Assignment> first;
        store::ReadRequest request;
        request.key = Assignment::def().key("ASS:NUMBER_KEY");
        request.limit = 1;
        here->read(request, first);
        shared.ASSIGNNUMBER = first.empty() ? 1 : first.front().ASSIGNNUMBER - 1;
        shared.NAME = "not yet changed";
        if (!there->add(shared).ok()) {
            state.SkipWithError("cannot add the shared assignment");
            return;
        }
    }
    ChangeWatcher watcher(here->engine());
    watcher.start(intervalMs, watchFile);
    NumberList list(here->engine());
    list.show();
    QApplication::processEvents();

    constexpr int kChanges = 200;
    std::mt19937 random(7);
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (int i = 0; i < kChanges; ++i) {
            // Somewhere in the polling second, with the event loop running.
            QElapsedTimer pause;
            pause.start();
            const int wait = static_cast<int>(random() % 1000);
            while (pause.elapsed() < wait) QApplication::processEvents(QEventLoop::AllEvents, 5);

            shared.NAME = "change " + std::to_string(i) + " of " + std::to_string(kChanges);
            if (!there->change(shared).ok()) {
                state.SkipWithError("the other station could not write");
                return;
            }
            const QString expected = QString::fromStdString(shared.NAME);
            const auto committed = SteadyClock::now();
            const auto giveUp = committed + std::chrono::seconds(10);
            while (list.topName() != expected && SteadyClock::now() < giveUp)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            list.list()->view()->viewport()->repaint();
            const auto shown = SteadyClock::now();
            if (list.topName() != expected) {
                state.SkipWithError("a change never reached the list");
                return;
            }
            latencies.push_back(
                std::chrono::duration<double, std::milli>(shown - committed).count());
        }
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["p99_ms"] = latencies[(latencies.size() * 99) / 100 - 1];
    state.counters["max_ms"] = latencies.back();
}

void BM_CommitToRepaint_SQLite(benchmark::State& state) {
    const std::string dir = scratchDir("tko-bench-notices");
    DataSource source;
    source.directory = dir;
    const int mode = static_cast<int>(state.range(0));
    commitToRepaint(state, source, modeInterval(mode), modeWatches(mode));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CommitToRepaint_SQLite)
    ->ArgName("mode")
    ->Arg(kShareOneSecond)
    ->Arg(kLocal)
    ->Arg(kShare)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

void BM_CommitToRepaint_PostgreSQL(benchmark::State& state) {
    // A schema of its own on the server the other benchmarks use.
    const std::string schema = "tko_bench_notices";
    std::string error;
    if (!bench::openServerSchema(schema, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string dir = scratchDir("tko-bench-notices-pg");
    DataSource source;
    source.directory = dir;
    source.serverInfo = bench::serverSchemaInfo(schema);
    commitToRepaint(state, source, ChangeWatcher::kIdleIntervalMs, true);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CommitToRepaint_PostgreSQL)->Iterations(1)->Unit(benchmark::kSecond);

// One idle station: opens the store, watches for `seconds`, prints the CPU
// time it spent meanwhile in microseconds.
int idleStation(const std::string& dir, int seconds, int mode) {
    int argc = 1;
    char name[] = "idle_station";
    char* argv[] = {name, nullptr};
    QCoreApplication core(argc, argv);
    DataSource source;
    source.directory = dir;
    Status status;
    auto db = Database::open(source, false, status);
    if (!db) return 1;
    ChangeWatcher watcher(db->engine());
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    watcher.start(modeInterval(mode), modeWatches(mode));
    QTimer::singleShot(seconds * 1000, &core, &QCoreApplication::quit);
    core.exec();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    auto micros = [](const timeval& t) { return t.tv_sec * 1000000LL + t.tv_usec; };
    const long long spent = micros(after.ru_utime) + micros(after.ru_stime) -
                            micros(before.ru_utime) - micros(before.ru_stime);
    std::printf("%lld\n", spent);
    return 0;
}

void BM_IdlePolling_SQLite_8Stations(benchmark::State& state) {
    constexpr int kStations = 8;
    constexpr int kSeconds = 30;
    const std::string dir = scratchDir("tko-bench-idle");
    if (!newStore(state, dir)) return;
    double totalMicros = 0;
    for (auto _ : state) {
        std::vector<std::pair<pid_t, std::string>> stations;
        for (int i = 0; i < kStations; ++i) {
            const std::string out = dir + "/station" + std::to_string(i);
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0644);
            const std::string seconds = std::to_string(kSeconds);
            const std::string mode = std::to_string(state.range(0));
            std::vector<char*> argv = {
                const_cast<char*>(g_self.c_str()), const_cast<char*>("--idle-station"),
                const_cast<char*>(dir.c_str()),    const_cast<char*>(seconds.c_str()),
                const_cast<char*>(mode.c_str()),   nullptr};
            pid_t pid = 0;
            posix_spawn(&pid, g_self.c_str(), &actions, nullptr, argv.data(), environ);
            posix_spawn_file_actions_destroy(&actions);
            stations.emplace_back(pid, out);
        }
        for (auto& [pid, out] : stations) {
            int wstatus = 0;
            waitpid(pid, &wstatus, 0);
            FILE* f = std::fopen(out.c_str(), "r");
            long long micros = 0;
            if (!f || std::fscanf(f, "%lld", &micros) != 1) {
                state.SkipWithError("an idle station failed");
                if (f) std::fclose(f);
                return;
            }
            std::fclose(f);
            totalMicros += static_cast<double>(micros);
        }
    }
    // CPU seconds per station and hour of idling.
    state.counters["cpu_s_per_station_hour"] = totalMicros / 1e6 / kStations * (3600.0 / kSeconds);
    state.counters["cpu_s_per_hour_all_8"] = totalMicros / 1e6 * (3600.0 / kSeconds);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_IdlePolling_SQLite_8Stations)
    ->ArgName("mode")
    ->Arg(kShareOneSecond)
    ->Arg(kLocal)
    ->Arg(kShare)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// One look of an idle station at the store (no change since the last): the
// part of the idle cost that is the store's, without the timer's wake-up.
void BM_IdleLook_SQLite(benchmark::State& state) {
    const std::string dir = scratchDir("tko-bench-look");
    auto db = newStore(state, dir);
    if (!db) return;
    store::ChangeNotice notice;
    db->engine().takeChanges(notice);
    for (auto _ : state) {
        notice = {};
        if (!db->engine().takeChanges(notice).ok() || !notice.empty()) {
            state.SkipWithError("the look failed or saw a change");
            break;
        }
    }
    db.reset();
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_IdleLook_SQLite)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    g_self = argv[0];
    if (argc == 5 && std::string(argv[1]) == "--idle-station")
        return idleStation(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
