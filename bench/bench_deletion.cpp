// Deleting concluded assignments by date on a large office: 100 000 of
// 1 000 000 assignments (with their reminders and project links) go, in the
// bounded steps of ConcludedDeletion, while a second station keeps writing
// small changes. Reported: the total time of the deletion, the time of the
// compaction after it, and the longest time the other station waited for one
// of its writes during each.
//
// The data set is built once in $TKO_BENCH_DIR (default /tmp/tko-bench) and
// copied afresh for every run, since a run deletes from it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "BenchData.h"
#include "assign/Deletion.h"
#include "data/Database.h"

namespace tko {
namespace {
namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

constexpr int kAssignments = 1000000;
constexpr int kToDelete = 100000;
constexpr Date kBefore = bench::kToday - 500;

// Assignments 1..100 000 are concluded before kBefore, the next 200 000 after
// it, the rest are open. Every fifth assignment has a reminder and every
// tenth a project link.
std::string dataSet() {
    const std::string name = "delete-" + std::to_string(kAssignments);
    bench::openDataSet(name, [](Database& db) {
        std::mt19937 random(kAssignments);
        db.begin({"ASSIGNMENT", "REMINDER", "PROJASSGN"}, 10000);
        for (int n = 1; n <= kAssignments; ++n) {
            Assignment a = bench::generatedAssignment(n, random);
            if (n <= kToDelete)
                a.CLOSEDATE = kBefore - 1 - static_cast<int>(random() % 400);
            else if (n <= 3 * kToDelete)
                a.CLOSEDATE = kBefore + static_cast<int>(random() % 400);
            else
                a.CLOSEDATE = 0;
            db.add(a);
            if (n % 5 == 0) {
                Reminder r;
                r.REMINDNUMBER = n / 5;
                r.ASSIGNNUMBER = n;
                r.PERSON = a.PERSON;
                r.USER = bench::personName(static_cast<int>(random() % bench::kPeople));
                r.DATE = a.DUEDATE - 3;
                r.NOTE = "Reminder";
                db.add(r);
            }
            if (n % 10 == 0) {
                ProjAssign link;
                link.NAME = "Project";
                link.PROJNUMBER = 1 + n % 50;
                link.ASSIGNNUMBER = n;
                db.add(link);
            }
        }
        db.commit();
    });
    return bench::benchRoot() + "/" + name;
}

// The other station: one small write (a reminder added) every 20 ms, timing
// each from asking for the lock to the commit.
class OtherStation {
public:
    explicit OtherStation(const std::string& dir) {
        Status status;
        m_db = Database::open(DataSource{dir, {}}, false, status, 600000);
        if (!m_db) throw std::runtime_error(status.describe());
        m_thread = std::thread([this] { run(); });
    }
    ~OtherStation() { stop(); }
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    // The longest wait since the last call, and the writes done meanwhile.
    std::pair<double, int> takeLongest() {
        return {m_longestMs.exchange(0.0), m_writes.exchange(0)};
    }
    int failures() const { return m_failures; }

private:
    void run() {
        int n = 0;
        while (!m_stop) {
            const SteadyClock::time_point asked = SteadyClock::now();
            bool ok = m_db->begin({"REMINDER"}, 600000).ok();
            if (ok) {
                Reminder r;
                r.REMINDNUMBER = 900000000 + (++n);
                r.ASSIGNNUMBER = kAssignments;  // an open assignment that stays
                r.NOTE = "written meanwhile";
                ok = m_db->add(r).ok() && m_db->commit().ok();
                if (!ok && m_db->engine().transactionDepth() > 0) m_db->rollback();
            }
            const double ms =
                std::chrono::duration<double, std::milli>(SteadyClock::now() - asked).count();
            if (!ok) ++m_failures;
            ++m_writes;
            double seen = m_longestMs.load();
            while (ms > seen && !m_longestMs.compare_exchange_weak(seen, ms)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::unique_ptr<Database> m_db;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<double> m_longestMs{0.0};
    std::atomic<int> m_writes{0};
    std::atomic<int> m_failures{0};
};

void BM_DeleteConcludedByDate(benchmark::State& state) {
    const std::string source = dataSet();
    const std::string work = bench::benchRoot() + "/delete-work";
    Session admin;
    admin.GlobalUser = "SUPERVISOR";
    admin.GlobalUserAccess = 2;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(work);
        fs::copy(source, work, fs::copy_options::recursive);
        Status status;
        auto db = Database::open(DataSource{work, {}}, false, status);
        if (!db) {
            state.SkipWithError(status.describe().c_str());
            return;
        }
        OtherStation other(work);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other.takeLongest();
        state.ResumeTiming();

        const SteadyClock::time_point started = SteadyClock::now();
        ConcludedDeletion deletion(*db, admin, kBefore);
        if (!deletion.prepare()) {
            state.SkipWithError("prepare failed");
            return;
        }
        ConcludedDeletion::StepResult r = ConcludedDeletion::StepResult::More;
        int steps = 0;
        while (r == ConcludedDeletion::StepResult::More) {
            r = deletion.step();
            ++steps;
        }
        const SteadyClock::time_point deleted = SteadyClock::now();
        const auto [deleteWait, deleteWrites] = other.takeLongest();
        const Status packed = deletion.compact();
        const SteadyClock::time_point compacted = SteadyClock::now();
        const auto [packWait, packWrites] = other.takeLongest();

        state.PauseTiming();
        other.stop();
        if (r != ConcludedDeletion::StepResult::Finished || !packed.ok())
            state.SkipWithError("deletion or compaction failed");
        state.counters["deleted"] = static_cast<double>(deletion.deleted());
        state.counters["steps"] = steps;
        state.counters["delete_s"] = std::chrono::duration<double>(deleted - started).count();
        state.counters["compact_s"] = std::chrono::duration<double>(compacted - deleted).count();
        state.counters["other_max_wait_ms_delete"] = deleteWait;
        state.counters["other_writes_delete"] = deleteWrites;
        state.counters["other_max_wait_ms_compact"] = packWait;
        state.counters["other_writes_compact"] = packWrites;
        state.counters["other_failed_writes"] = other.failures();
        db.reset();
        fs::remove_all(work);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteConcludedByDate)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace tko

BENCHMARK_MAIN();
