// Opening an office whose files are not what they should be, and putting a
// backup back: nothing may be written into a file before its layout is known,
// and no data may be replaced without the user choosing it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Backup.h"
#include "app/FirstRun.h"
#include "app/OfficeOpening.h"
#include "data/Password.h"
#include "platform/store/SqliteEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {
namespace fs = std::filesystem;

constexpr Date kToday = 80000;

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void runSql(const std::string& file, const std::string& sql) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(store::registerNameCollation(raw), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(raw);
}

class OfficeOpeningTest : public ::testing::Test {
protected:
    void SetUp() override {
        setPasswordCost(PasswordCost::Minimal);
        m_source = DataSource{m_dir.path(), {}};
    }
    // A working office with `assignments` assignments and a backup pair .BK1.
    void makeOffice(int assignments, bool backup) {
        Status status;
        auto db = Database::open(m_source, true, status);
        ASSERT_TRUE(db) << status.describe();
        SystemPref pref;
        ASSERT_TRUE(ensureSystemPref(*db, pref).ok);
        ASSERT_TRUE(ensureFirstAccount(*db).ok);
        for (int n = 1; n <= assignments; ++n) {
            Assignment a;
            a.ASSIGNNUMBER = n;
            a.NAME = "work " + std::to_string(n);
            ASSERT_TRUE(db->add(a).ok());
        }
        if (backup) {
            ASSERT_TRUE(closingBackup(*db, m_dir.path(), kToday, 0).madeBackup);
        }
    }
    OfficeOpening open(bool restore, bool rebuild = false) {
        OpeningQuestions ask;
        ask.restore = [this, restore](const std::string& question) {
            m_asked.push_back(question);
            return restore;
        };
        ask.rebuildKeys = [this, rebuild](const std::string& table) {
            m_asked.push_back("rebuild " + table);
            return rebuild;
        };
        return openOffice(m_source, ask, 2000);
    }
    static std::int64_t assignments(Database& db) {
        std::int64_t n = -1;
        EXPECT_TRUE(db.count<Assignment>(store::all(), n).ok());
        return n;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::vector<std::string> m_asked;
};

TEST_F(OfficeOpeningTest, AnEmptyOrMissingDataFileWithABackupOpensOnlyAfterTheQuestion) {
    makeOffice(12, true);
    fs::resize_file(m_dir.file("TKODATA.DB"), 0);

    OfficeOpening declined = open(false);
    EXPECT_FALSE(declined.db);
    EXPECT_FALSE(declined.text.empty());
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_NE(m_asked[0].find("The data file TKODATA.DB is empty, but a backup from "),
              std::string::npos)
        << m_asked[0];
    EXPECT_NE(m_asked[0].find("exists: restore it?"), std::string::npos);
    EXPECT_EQ(fs::file_size(m_dir.file("TKODATA.DB")), 0u);  // left as it was

    OfficeOpening restored = open(true);
    ASSERT_TRUE(restored.db) << restored.text;
    EXPECT_EQ(assignments(*restored.db), 12);
    EXPECT_TRUE(fs::exists(m_dir.file("TKODATA.BK1")));
    restored = {};

    fs::remove(m_dir.file("TKODATA.DB"));
    m_asked.clear();
    OfficeOpening again = open(true);
    ASSERT_TRUE(again.db);
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_NE(m_asked[0].find("TKODATA.DB is missing"), std::string::npos);
    EXPECT_EQ(assignments(*again.db), 12);
}

TEST_F(OfficeOpeningTest, ANewOfficeIsCreatedOnlyWhereThereIsNothing) {
    OfficeOpening fresh = open(false);
    ASSERT_TRUE(fresh.db) << fresh.text << fresh.error;
    EXPECT_TRUE(m_asked.empty());
    LayoutCheck layout;
    ASSERT_TRUE(fresh.db->checkLayout(layout).ok());
    EXPECT_TRUE(layout.layout.empty());
    EXPECT_TRUE(layout.keys.empty());
    fresh = {};

    // Half an office without a backup: the missing file is never made up.
    fs::remove(m_dir.file("USERS.DB"));
    OfficeOpening half = open(true);
    EXPECT_FALSE(half.db);
    EXPECT_EQ(half.message, 4);
    EXPECT_EQ(half.name, "USERS.DB");
    EXPECT_FALSE(fs::exists(m_dir.file("USERS.DB")));
    EXPECT_TRUE(m_asked.empty());
}

TEST_F(OfficeOpeningTest, FilesOfAnotherProgramOrAChangedLayoutAreNeverWritten) {
    // A foreign data file.
    runSql(m_dir.file("TKODATA.DB"), "CREATE TABLE CUSTOMERS(id INTEGER, name TEXT)");
    runSql(m_dir.file("USERS.DB"), "CREATE TABLE ACCOUNTS(id INTEGER)");
    const std::string foreign = bytesOf(m_dir.file("TKODATA.DB"));
    OfficeOpening opened = open(true, true);
    EXPECT_FALSE(opened.db);
    EXPECT_EQ(opened.message, 1);
    EXPECT_EQ(bytesOf(m_dir.file("TKODATA.DB")), foreign);

    // A file that is no database at all.
    std::ofstream(m_dir.file("TKODATA.DB"), std::ios::trunc) << "plain text, not a database\n";
    opened = open(true, true);
    EXPECT_EQ(opened.message, 1);
    EXPECT_EQ(opened.name, "TKODATA.DB");

    // An office of ours whose USERS table lacks columns.
    fs::remove(m_dir.file("TKODATA.DB"));
    fs::remove(m_dir.file("USERS.DB"));
    makeOffice(3, false);
    runSql(m_dir.file("USERS.DB"),
           "DROP TABLE USERS; CREATE TABLE USERS(ROW_ID INTEGER PRIMARY KEY, NAME TEXT)");
    const std::string users = bytesOf(m_dir.file("USERS.DB"));
    opened = open(true, true);
    EXPECT_FALSE(opened.db);
    EXPECT_EQ(opened.message, 1);
    EXPECT_EQ(opened.name, "USERS");
    EXPECT_EQ(bytesOf(m_dir.file("USERS.DB")), users);  // no keys added on missing columns
}

// A writer that keeps the file locked beyond the wait makes it unreadable for
// now, not foreign: message 30, and the next start opens it.
TEST_F(OfficeOpeningTest, AFileLockedBeyondTheWaitIsNotCalledInvalid) {
    makeOffice(1, false);
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(m_dir.file("TKODATA.DB").c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const OfficeOpening locked = openOffice(m_source, {}, 200);
    EXPECT_FALSE(locked.db);
    EXPECT_EQ(locked.message, 30);
    EXPECT_EQ(locked.name, "TKODATA.DB");
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_TRUE(openOffice(m_source, {}, 200).db);
}

TEST_F(OfficeOpeningTest, ADroppedTableIsReportedNotRecreatedEmpty) {
    makeOffice(3, false);
    runSql(m_dir.file("TKODATA.DB"), "DROP TABLE ASSIGNMENT");
    OfficeOpening opened = open(true, true);
    EXPECT_FALSE(opened.db);
    EXPECT_EQ(opened.message, 1);
    EXPECT_EQ(opened.name, "ASSIGNMENT");
    EXPECT_NE(opened.error.find("(47)"), std::string::npos) << opened.error;
    const store::FileInspection after = store::inspectDatabaseFile(m_dir.file("TKODATA.DB"));
    EXPECT_EQ(std::count(after.tables.begin(), after.tables.end(), "ASSIGNMENT"), 0);
}

// An office and its backup made before a speed key of this program existed:
// the key is added on opening without asking, and the backup stays usable.
TEST_F(OfficeOpeningTest, AMissingAuxiliaryKeyIsAddedWithoutAsking) {
    makeOffice(4, true);
    runSql(m_dir.file("TKODATA.DB"), "DROP INDEX ASS_EXACTPERSNAME_KEY");
    runSql(m_dir.file("TKODATA.BK1"), "DROP INDEX ASS_EXACTPERSNAME_KEY");
    EXPECT_EQ(usableBackup(m_dir.path()), "BK1");
    OfficeOpening opened = open(false, false);
    ASSERT_TRUE(opened.db) << opened.error;
    EXPECT_TRUE(m_asked.empty()) << m_asked.front();
    LayoutCheck layout;
    ASSERT_TRUE(opened.db->checkLayout(layout).ok());
    EXPECT_TRUE(layout.keys.empty()) << layout.keys.front();
    EXPECT_EQ(assignments(*opened.db), 4);
    opened = {};

    // Beside a missing key of the data model it is rebuilt with the others,
    // after asking.
    runSql(m_dir.file("TKODATA.DB"),
           "DROP INDEX ASS_EXACTPERSNAME_KEY; DROP INDEX ASS_DUEDATE_KEY");
    opened = open(false, true);
    ASSERT_TRUE(opened.db) << opened.error;
    EXPECT_EQ(m_asked, std::vector<std::string>{"rebuild ASSIGNMENT"});
    ASSERT_TRUE(opened.db->checkLayout(layout).ok());
    EXPECT_TRUE(layout.keys.empty()) << layout.keys.front();
}

TEST_F(OfficeOpeningTest, AMissingOrChangedKeyIsRebuiltOnlyWhenTheUserAgrees) {
    makeOffice(5, false);
    runSql(m_dir.file("TKODATA.DB"),
           "DROP INDEX ASS_DUEDATE_KEY; DROP INDEX ASS_NUMBER_KEY;"
           "CREATE UNIQUE INDEX ASS_NUMBER_KEY ON ASSIGNMENT(NAME)");
    OfficeOpening declined = open(true, false);
    EXPECT_FALSE(declined.db);
    EXPECT_EQ(m_asked, std::vector<std::string>{"rebuild ASSIGNMENT"});

    m_asked.clear();
    OfficeOpening rebuilt = open(true, true);
    ASSERT_TRUE(rebuilt.db) << rebuilt.error;
    EXPECT_EQ(m_asked, std::vector<std::string>{"rebuild ASSIGNMENT"});
    LayoutCheck layout;
    ASSERT_TRUE(rebuilt.db->checkLayout(layout).ok());
    EXPECT_TRUE(layout.keys.empty()) << layout.keys.front();
    EXPECT_EQ(assignments(*rebuilt.db), 5);
    rebuilt = {};

    // A unique key the rows break cannot be rebuilt: message 3.
    runSql(m_dir.file("USERS.DB"),
           "DROP INDEX USE_USERNAME_KEY; UPDATE USERS SET USERNAME='SAME';"
           "INSERT INTO USERS(USERNAME) VALUES('SAME')");
    OfficeOpening failed = open(true, true);
    EXPECT_FALSE(failed.db);
    EXPECT_EQ(failed.message, 3);
    EXPECT_EQ(failed.name, "USERS");
}

TEST_F(OfficeOpeningTest, AReadOnlyOfficeIsNamedAtStart) {
    makeOffice(1, false);
    for (const char* f : {"TKODATA.DB", "USERS.DB"}) ::chmod(m_dir.file(f).c_str(), 0444);
    ::chmod(m_dir.path().c_str(), 0555);
    const bool enforced = ::access(m_dir.file("TKODATA.DB").c_str(), W_OK) != 0;
    OfficeOpening opened = open(false);
    ::chmod(m_dir.path().c_str(), 0755);
    if (!enforced) GTEST_SKIP() << "file permissions do not bind this user (root)";
    EXPECT_FALSE(opened.db);
    EXPECT_NE(opened.text.find("is read-only"), std::string::npos) << opened.text;
}

TEST_F(OfficeOpeningTest, RestoreChecksTheCopyAndWaitsUntilNoStationWorks) {
    makeOffice(12, true);
    {
        Status status;
        auto db = Database::open(m_source, false, status);
        ASSERT_TRUE(db);
        std::vector<Assignment> all;
        ASSERT_TRUE(db->readAll("ASS:NUMBER_KEY", store::all(), all).ok());
        ASSERT_TRUE(db->remove(all.front()).ok());
    }
    EXPECT_FALSE(restoreOffice(m_dir.path(), "XYZ").ok);
    EXPECT_FALSE(restoreOffice(m_dir.path(), "BAK").ok);  // there is no .BAK yet

    std::string error;
    auto station = store::StationPresence::enter(m_dir.path(), error);
    ASSERT_TRUE(station) << error;
    RestoreResult r = restoreOffice(m_dir.path(), "BK1");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("Another station has the office open"), std::string::npos);
    station.reset();

    // A journal left beside the replaced file must not be played back.
    std::ofstream(m_dir.file("TKODATA.DB-journal")) << "stale";
    r = restoreOffice(m_dir.path(), "BK1");
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_FALSE(fs::exists(m_dir.file("TKODATA.DB-journal")));
    EXPECT_TRUE(fs::exists(m_dir.file("TKODATA.OLD")));
    Status status;
    auto db = Database::open(m_source, false, status);
    ASSERT_TRUE(db) << status.describe();
    EXPECT_EQ(assignments(*db), 12);
    // The word search's index came back with the rows it indexes.
    std::int64_t found = 0;
    ASSERT_TRUE(db->count<Assignment>(store::matches("ASS:TEXT", "WORK"), found).ok());
    EXPECT_EQ(found, 12);

    // While restoring, a starting station is turned away.
    auto restoring = store::StationPresence::alone(m_dir.path(), error);
    ASSERT_TRUE(restoring);
    db.reset();
    EXPECT_FALSE(store::StationPresence::enter(m_dir.path(), error));

    // A damaged copy is refused and nothing changes.
    restoring.reset();
    std::ofstream(m_dir.file("USERS.BK1"), std::ios::trunc) << "damaged";
    const std::string before = bytesOf(m_dir.file("TKODATA.DB"));
    r = restoreOffice(m_dir.path(), "BK1");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(bytesOf(m_dir.file("TKODATA.DB")), before);
}

}  // namespace
}  // namespace tko
