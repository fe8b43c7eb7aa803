// Eight station processes change the same twenty assignments at once through
// the change operation, on the engine under test. Every change must arrive
// exactly once, and a station may only ever be refused because another one
// changed the record first (result 2), after which it re-reads and retries.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

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

}  // namespace
}  // namespace tko
