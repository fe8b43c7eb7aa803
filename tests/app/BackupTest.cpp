// The closing backup as a careful administrator probes it: under another
// station that keeps writing, with a temporary file that cannot be written,
// and with data files that lost their data.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/Backup.h"
#include "app/FirstRun.h"
#include "data/Password.h"
#include "support/TestStore.h"

extern char** environ;

namespace tko {
namespace {
namespace fs = std::filesystem;

constexpr Date kToday = 80000;

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        setPasswordCost(PasswordCost::Minimal);
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        SystemPref pref;
        ASSERT_TRUE(ensureSystemPref(*m_db, pref).ok);
        ASSERT_TRUE(ensureFirstAccount(*m_db).ok);
    }
    // Adds assignments `from` to `from + count - 1`; `fullMemos` fills every
    // memo to its width (some 7 KB a row), for an office of many pages
    // built from few rows.
    void addAssignments(int from, int count, bool fullMemos = false) {
        ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
        for (int n = from; n < from + count; ++n) {
            Assignment a;
            a.ASSIGNNUMBER = n;
            a.NAME = "work " + std::to_string(n);
            a.PERSON = "ANNA";
            a.DUEDATE = kToday + n % 400;
            if (fullMemos) {
                const std::string text = std::to_string(n) + " ";
                auto fill = [&](std::size_t width) {
                    std::string memo;
                    while (memo.size() + text.size() <= width) memo += text;
                    return memo;
                };
                a.GENERALMEMO = fill(2000);
                a.CONFMEMO = fill(1000);
                a.ASSIGNMEMO = fill(2000);
                a.LOG = fill(2000);
            }
            ASSERT_TRUE(m_db->add(a).ok());
        }
        ASSERT_TRUE(m_db->commit().ok());
    }
    SystemPref settings() {
        std::vector<SystemPref> prefs;
        store::ReadRequest first;
        first.limit = 1;
        EXPECT_TRUE(m_db->read(first, prefs).ok());
        return prefs.empty() ? SystemPref{} : prefs.front();
    }
    // Backs up as a station closing `days` after the last backup.
    BackupResult closeAfter(Date day, const ConfirmBackup& confirm = {}) {
        return closingBackup(*m_db, m_dir.path(), day, 0, confirm);
    }
    std::int64_t assignmentsIn(const std::string& suffix) {
        Status s;
        auto copy = openBackupPair(m_dir.path(), suffix, s);
        EXPECT_TRUE(copy) << suffix << ": " << s.describe();
        std::int64_t n = -1;
        if (copy) {
            EXPECT_TRUE(copy->count<Assignment>(store::all(), n).ok());
        }
        return n;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(BackupTest, AFailedCopyKeepsTheOldCopiesSaysSoAndRecordsNoDate) {
    addAssignments(1, 12);
    ASSERT_TRUE(closeAfter(kToday).madeBackup);
    addAssignments(13, 3);
    ASSERT_TRUE(closeAfter(kToday + 2).madeBackup);
    ASSERT_EQ(assignmentsIn("BAK"), 12);
    ASSERT_EQ(assignmentsIn("BK1"), 15);
    const SystemPref before = settings();

    // A temporary name that cannot be replaced (here a folder with a file in it).
    fs::create_directory(m_dir.file("TKODATA.BK1.tmp"));
    std::ofstream(m_dir.file("TKODATA.BK1.tmp") + "/blocker") << "x";
    addAssignments(16, 1);
    for (Date day : {kToday + 4, kToday + 6}) {
        const BackupResult r = closeAfter(day);
        EXPECT_FALSE(r.madeBackup);
        EXPECT_FALSE(r.fatal);
        EXPECT_FALSE(r.copyError.empty());
        if (!test::usingServer()) {
            EXPECT_NE(r.copyError.find("TKODATA.BK1.tmp"), std::string::npos) << r.copyError;
        }
        EXPECT_EQ(assignmentsIn("BAK"), 12);
        EXPECT_EQ(assignmentsIn("BK1"), 15);
        EXPECT_EQ(settings().BACKUPDATE, before.BACKUPDATE);
        EXPECT_EQ(settings().BACKUPTIME, before.BACKUPTIME);
    }

    // Once the way is free the next close backs up and rotates.
    fs::remove_all(m_dir.file("TKODATA.BK1.tmp"));
    ASSERT_TRUE(closeAfter(kToday + 8).madeBackup);
    EXPECT_EQ(assignmentsIn("BAK"), 15);
    EXPECT_EQ(assignmentsIn("BK1"), 16);
    EXPECT_EQ(settings().BACKUPDATE, kToday + 8);
    EXPECT_FALSE(fs::exists(m_dir.file("USERS.BK1.tmp")));
}

TEST_F(BackupTest, ACopyWithoutDataReplacesOneWithDataOnlyWhenTheUserSaysSo) {
    addAssignments(1, 12);
    ASSERT_TRUE(closeAfter(kToday).madeBackup);
    ASSERT_TRUE(closeAfter(kToday + 2).madeBackup);  // .BAK and .BK1 both hold the 12

    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), all).ok());
    for (const Assignment& a : all) ASSERT_TRUE(m_db->remove(a).ok());

    int asked = 0;
    BackupResult r = closeAfter(kToday + 4, [&](const std::string& question) {
        ++asked;
        EXPECT_NE(question.find("TKODATA.BK1"), std::string::npos);
        return false;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(r.madeBackup);
    EXPECT_FALSE(r.copyError.empty());
    EXPECT_EQ(assignmentsIn("BK1"), 12);
    EXPECT_EQ(assignmentsIn("BAK"), 12);
    EXPECT_EQ(settings().BACKUPDATE, kToday + 2);
    EXPECT_FALSE(closeAfter(kToday + 4).madeBackup);  // no one to ask: never replaced

    r = closeAfter(kToday + 6, [](const std::string&) { return true; });
    EXPECT_TRUE(r.madeBackup) << r.copyError;
    EXPECT_EQ(assignmentsIn("BK1"), 0);
    EXPECT_EQ(assignmentsIn("BAK"), 12);
}

// ---- another station writing during the closing backup ------------------------

std::string writerPath() {
    const char* bin = std::getenv("TKO_TEST_BIN");
    return std::string(bin ? bin : ".") + "/backup_writer";
}

pid_t spawnWriter(const DataSource& source, const std::string& out, const std::string& go,
                  const std::string& stop) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string path = writerPath();
    const std::string server = source.serverInfo.empty() ? "-" : source.serverInfo;
    std::vector<char*> argv = {
        const_cast<char*>(path.c_str()),   const_cast<char*>(source.directory.c_str()),
        const_cast<char*>(server.c_str()), const_cast<char*>(go.c_str()),
        const_cast<char*>(stop.c_str()),   nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

std::string contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(BackupTest, UnderAWriterTheBackupEndsSoonAndThePairIsOneMomentOfTheOffice) {
    // A large office and a station that commits a transaction over both files
    // twenty times a second. What makes the data file large is its pages, not
    // its rows: some 30 MB, copied in many steps (a commit between two steps
    // restarts a copy that does not hold the office still), made of 4 000
    // rows with full memos, which are quick to add.
    if (test::usingServer()) {
        addAssignments(1, 5000);
    } else {
        addAssignments(1, 4000, true);
    }
    Person person;
    person.SHORTNAME = "WRITER";
    person.PERSONNUMBER = 2;
    ASSERT_TRUE(m_db->add(person).ok());
    User user;
    user.USERNAME = "WRITER";
    ASSERT_TRUE(m_db->add(user).ok());

    const std::string go = m_dir.file("go"), stop = m_dir.file("stop"), out = m_dir.file("out");
    const pid_t writer = spawnWriter(m_source, out, go, stop);
    ASSERT_GT(writer, 0) << "cannot start " << writerPath();
    std::ofstream(go).put('1');
    for (int i = 0; i < 500 && contents(out).find("started") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    std::vector<BackupResult> results;
    for (Date day : {kToday, kToday + 2}) {
        results.push_back(closeAfter(day));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::ofstream(stop).put('1');
    int wstatus = 0;
    ASSERT_EQ(waitpid(writer, &wstatus, 0), writer);
    const std::string said = contents(out);
    // The writer's commits waited for the copy but none of them failed.
    EXPECT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0) << said;
    EXPECT_EQ(said.find("FAIL"), std::string::npos) << said;

    // Unbounded, the copy restarted with every outside commit and never ended
    // (it gives up when its time budget is spent, and says so). How long it
    // takes is measured by bench_backup.
    for (const BackupResult& result : results) EXPECT_TRUE(result.madeBackup) << result.copyError;
    for (const char* suffix : {"BK1", "BAK"}) {
        Status s;
        auto copy = openBackupPair(m_dir.path(), suffix, s);
        ASSERT_TRUE(copy) << s.describe();
        Person p;
        User u;
        ASSERT_TRUE(copy->fetch("PEO:SHORT_KEY", {std::string("WRITER")}, p).ok());
        ASSERT_TRUE(copy->fetch("USE:USERNAME_KEY", {std::string("WRITER")}, u).ok());
        EXPECT_GT(p.DATE, 0) << suffix;
        EXPECT_EQ(p.DATE, u.DATECHANGED) << suffix << ": the two files of the pair disagree";
    }
}

}  // namespace
}  // namespace tko
