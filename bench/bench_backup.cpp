// The closing backup of a large office while another station commits a
// transaction over both files twenty times a second, side by side:
//   Before - the copy as it was made until now: SQLite's online backup API
//            inside one read transaction that holds every other station's
//            commit back, given up after its 8 s budget;
//   After  - closingBackup(): the data file copied in slices under short read
//            locks, the chunks changed meanwhile rewritten under one last
//            lock, then checked and rotated.
// Counters: seconds (the whole backup; the program hides its windows before
// it starts), done (1 when a copy was made), writer_wait_ms (the writer's
// longest commit, lock wait included) and writer_failed (its commits that
// failed). The office is built once under $TKO_BENCH_DIR (default
// /tmp/tko-bench) as backup-<rows>.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "BenchData.h"
#include "app/Backup.h"
#include "app/FirstRun.h"
#include "data/Password.h"

namespace tko {
namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string officeDir(int rows) {
    const fs::path dir = fs::path(bench::benchRoot()) / ("backup-" + std::to_string(rows));
    if (!fs::exists(dir / "TKODATA.DB")) {
        fs::create_directories(dir);
        Status status;
        auto db = Database::open(DataSource{dir.string(), {}}, true, status);
        SystemPref pref;
        ensureSystemPref(*db, pref);
        ensureFirstAccount(*db);
        const auto started = Clock::now();
        status = bench::fillAssignments(*db, rows);
        std::fprintf(stderr, "built %d assignments in %.1f s: %s\n", rows,
                     std::chrono::duration<double>(Clock::now() - started).count(),
                     status.describe().c_str());
        Person writer;
        writer.SHORTNAME = "WRITER";
        writer.PERSONNUMBER = 2;
        db->add(writer);
        User user;
        user.USERNAME = "WRITER";
        db->add(user);
    }
    return dir.string();
}

// A station that commits a change of one person and one user twenty times a
// second until stopped, timing each commit from its start.
class Writer {
public:
    explicit Writer(const std::string& dir) {
        m_thread = std::thread([this, dir] {
            Status status;
            auto db = Database::open(DataSource{dir, {}}, false, status);
            Person p;
            User u;
            db->fetch("PEO:SHORT_KEY", {std::string("WRITER")}, p);
            db->fetch("USE:USERNAME_KEY", {std::string("WRITER")}, u);
            for (int n = 1; !m_stop; ++n) {
                const auto started = Clock::now();
                p.DATE = n;
                u.DATECHANGED = n;
                const bool done = db->begin({"PEOPLE", "USERS"}, 2000).ok() && db->change(p).ok() &&
                                  db->change(u).ok() && db->commit().ok();
                if (!done) {
                    db->rollback();
                    db->reread(p);
                    db->reread(u);
                    ++m_failed;
                }
                const auto ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started)
                        .count();
                if (ms > m_longestMs) m_longestMs = static_cast<int>(ms);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ~Writer() {
        m_stop = true;
        m_thread.join();
    }
    void reset() {
        m_longestMs = 0;
        m_failed = 0;
    }
    int longestMs() const { return m_longestMs; }
    int failed() const { return m_failed; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_longestMs{0}, m_failed{0};
    std::thread m_thread;
};

// The earlier copy: both files through the online backup API inside one read
// transaction, 1024 pages a step, given up after 8 s. Returns whether it ended.
bool heldSnapshotCopy(const std::string& dir) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((dir + "/TKODATA.DB").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    store::registerNameCollation(db);
    sqlite3_busy_timeout(db, 8000);
    const std::string attach = "ATTACH DATABASE '" + dir + "/USERS.DB' AS users";
    sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "BEGIN; SELECT count(*) FROM main.sqlite_master; "
                 "SELECT count(*) FROM users.sqlite_master",
                 nullptr, nullptr, nullptr);
    const auto deadline = Clock::now() + std::chrono::seconds(8);
    bool finished = true;
    for (const char* schema : {"main", "users"}) {
        const std::string target = dir + "/" + schema + ".held.tmp";
        fs::remove(target);
        sqlite3* dest = nullptr;
        sqlite3_open(target.c_str(), &dest);
        sqlite3_backup* b = sqlite3_backup_init(dest, "main", db, schema);
        int rc = SQLITE_OK;
        do {
            rc = sqlite3_backup_step(b, 1024);
        } while (rc == SQLITE_OK && Clock::now() < deadline);
        sqlite3_backup_finish(b);
        sqlite3_close(dest);
        fs::remove(target);
        finished = finished && rc == SQLITE_DONE;
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return finished;
}

void report(benchmark::State& state, double seconds, bool done, const Writer& writer) {
    state.SetIterationTime(seconds);
    state.counters["seconds"] = seconds;
    state.counters["done"] = done ? 1 : 0;
    state.counters["writer_wait_ms"] = writer.longestMs();
    state.counters["writer_failed"] = writer.failed();
}

void BM_Before_HeldSnapshotCopy(benchmark::State& state) {
    const std::string dir = officeDir(static_cast<int>(state.range(0)));
    Writer writer(dir);
    for (auto _ : state) {
        writer.reset();
        const auto started = Clock::now();
        const bool done = heldSnapshotCopy(dir);
        const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the writer's last wait
        report(state, seconds, done, writer);
    }
}

void BM_After_ClosingBackup(benchmark::State& state) {
    setPasswordCost(PasswordCost::Minimal);
    const std::string dir = officeDir(static_cast<int>(state.range(0)));
    Writer writer(dir);
    Status status;
    auto db = Database::open(DataSource{dir, {}}, false, status);
    // Each backup two days after the one before, whatever earlier runs recorded.
    std::vector<SystemPref> prefs;
    store::ReadRequest first;
    first.limit = 1;
    db->read(first, prefs);
    Date day = (prefs.empty() ? 90000 : prefs.front().BACKUPDATE) + 2;
    for (auto _ : state) {
        writer.reset();
        const auto started = Clock::now();
        const BackupResult r = closingBackup(*db, dir, day, 0);
        const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        day += 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (!r.madeBackup) state.SkipWithError(r.copyError.c_str());
        report(state, seconds, r.madeBackup, writer);
    }
}

BENCHMARK(BM_Before_HeldSnapshotCopy)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_After_ClosingBackup)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
