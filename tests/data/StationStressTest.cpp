// Several stations at once, on the engine under test. Eight station processes
// change the same twenty assignments through the change operation: every
// change must arrive exactly once, and a station may only ever be refused
// because another one changed the record first (result 2), after which it
// re-reads and retries. And a station starts while another holds the data
// locked: it waits and comes up.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "app/FirstRun.h"
#include "app/OfficeOpening.h"
#include "data/Database.h"
#include "support/TestStore.h"

extern char** environ;

namespace tko {
namespace {

constexpr int kStations = 8;
constexpr int kChanges = 200;
constexpr int kAssignments = 20;

std::string workerPath() {
    const char* bin = std::getenv("TKO_TEST_BIN");
    return std::string(bin ? bin : ".") + "/station_stress_worker";
}

pid_t spawnStation(const DataSource& source, int station, const std::string& out,
                   const std::string& go) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string path = workerPath();
    const std::string server = source.serverInfo.empty() ? "-" : source.serverInfo;
    const std::string stationText = std::to_string(station);
    const std::string countText = std::to_string(kChanges);
    std::vector<char*> argv = {const_cast<char*>(path.c_str()),
                               const_cast<char*>(source.directory.c_str()),
                               const_cast<char*>(server.c_str()),
                               const_cast<char*>(stationText.c_str()),
                               const_cast<char*>(countText.c_str()),
                               const_cast<char*>(go.c_str()),
                               nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

TEST(StationStressTest, EveryChangeOfEightStationsArrivesExactlyOnce) {
    test::TempDir dir;
    const DataSource source = test::freshSource(dir);
    {
        auto db = test::openStation(source);
        ASSERT_TRUE(db);
        for (int n = 1; n <= kAssignments; ++n) {
            Assignment a;
            a.ASSIGNNUMBER = n;
            a.NAME = "shared " + std::to_string(n);
            ASSERT_TRUE(db->add(a).ok());
        }
    }

    const std::string go = dir.file("go");
    std::vector<pid_t> pids;
    for (int station = 0; station < kStations; ++station) {
        pids.push_back(
            spawnStation(source, station, dir.file("station" + std::to_string(station)), go));
        ASSERT_GT(pids.back(), 0) << "cannot start " << workerPath();
    }
    std::ofstream(go).put('1');
    for (int station = 0; station < kStations; ++station) {
        int wstatus = 0;
        ASSERT_EQ(waitpid(pids[station], &wstatus, 0), pids[station]);
        EXPECT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0)
            << "station " << station << " failed";
    }

    // What the stations say they did.
    std::set<std::string> written;                  // "s<station>.<change>"
    std::map<int, std::set<std::string>> byNumber;  // assignment -> its written changes
    int retries = 0;
    for (int station = 0; station < kStations; ++station) {
        std::ifstream in(dir.file("station" + std::to_string(station)));
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string outcome;
            int s = 0, change = 0, number = 0;
            fields >> outcome >> s >> change >> number;
            if (outcome == "OK") {
                const std::string token = "s" + std::to_string(s) + "." + std::to_string(change);
                EXPECT_TRUE(written.insert(token).second) << "reported twice: " << line;
                byNumber[number].insert(token);
            } else if (outcome == "RETRY") {
                ++retries;
            } else {
                ADD_FAILURE() << "a refusal other than result 2: " << line;
            }
        }
    }
    EXPECT_EQ(written.size(), static_cast<size_t>(kStations * kChanges));
    RecordProperty("retries", retries);

    // What the data says arrived.
    auto db = test::openStation(source);
    ASSERT_TRUE(db);
    int counted = 0;
    for (int n = 1; n <= kAssignments; ++n) {
        Assignment a;
        ASSERT_TRUE(db->fetch("ASS:NUMBER_KEY", {std::int64_t{n}}, a).ok());
        std::set<std::string> logged;
        std::istringstream log(a.LOG);
        std::string token;
        while (std::getline(log, token, '\r')) {
            EXPECT_TRUE(logged.insert(token).second) << "written twice: " << token;
        }
        EXPECT_EQ(logged, byNumber[n]) << "assignment " << n;
        EXPECT_EQ(a.REPNUMBER, static_cast<int>(logged.size())) << "assignment " << n;
        counted += a.REPNUMBER;
    }
    EXPECT_EQ(counted, kStations * kChanges);
}

// Another station's writer: holds every table locked, so that no other
// station can read them (SQLite: the exclusive lock on both files; the
// server: an exclusive lock on every table) until release().
class LockHolder {
public:
    explicit LockHolder(const DataSource& source) {
        if (source.serverInfo.empty()) {
            EXPECT_EQ(sqlite3_open((source.directory + "/TKODATA.DB").c_str(), &m_file), SQLITE_OK);
            run("ATTACH DATABASE '" + source.directory + "/USERS.DB' AS users");
            run("BEGIN EXCLUSIVE");
            return;
        }
        m_server = PQconnectdb(source.serverInfo.c_str());
        EXPECT_EQ(PQstatus(m_server), CONNECTION_OK);
        run("BEGIN");
        run("DO $$ DECLARE t regclass; BEGIN FOR t IN SELECT c.oid::regclass FROM pg_class c "
            "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.relkind = 'r' AND n.nspname "
            "NOT IN ('pg_catalog', 'information_schema') LOOP EXECUTE 'LOCK TABLE ' || t || "
            "' IN ACCESS EXCLUSIVE MODE'; END LOOP; END $$");
    }
    ~LockHolder() {
        release();
        if (m_file) sqlite3_close(m_file);
        if (m_server) PQfinish(m_server);
    }
    void release() {
        if (m_held) run("COMMIT");
        m_held = false;
    }

private:
    void run(const std::string& sql) {
        if (m_file) {
            char* error = nullptr;
            EXPECT_EQ(sqlite3_exec(m_file, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
                << sql << ": " << (error ? error : "");
            sqlite3_free(error);
        } else {
            PGresult* result = PQexec(m_server, sql.c_str());
            EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK)
                << sql << ": " << PQerrorMessage(m_server);
            PQclear(result);
        }
    }
    sqlite3* m_file = nullptr;
    PGconn* m_server = nullptr;
    bool m_held = true;
};

TEST(StationStressTest, AStationStartingWhileAnotherHoldsTheLockWaitsAndComesUp) {
    test::TempDir dir;
    const DataSource source = test::freshSource(dir);
    {
        auto db = test::openStation(source);
        ASSERT_TRUE(db);
        SystemPref pref;
        ASSERT_TRUE(ensureSystemPref(*db, pref).ok);
        ASSERT_TRUE(ensureFirstAccount(*db).ok);
    }
    LockHolder writer(source);
    // The writer is done after three seconds, well within the wait of ten.
    auto done = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        writer.release();
    });
    OfficeOpening opened = openOffice(source, {}, 10000);
    ASSERT_TRUE(opened.db) << "message " << opened.message << ": " << opened.error << " "
                           << opened.name << opened.text;
    // What start-up reads before the log-in window.
    SystemPref pref;
    const StartupResult settings = ensureSystemPref(*opened.db, pref, source);
    EXPECT_TRUE(settings.ok) << settings.error;
    const StartupResult first = ensureFirstAccount(*opened.db);
    EXPECT_TRUE(first.ok) << first.error;
    done.get();
}

}  // namespace
}  // namespace tko
