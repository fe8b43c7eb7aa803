// Start-up records, log-in, start-up alerts, the closing backup and the rules
// of the settings forms, against the engine under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <sqlite3.h>

#include "app/Backup.h"
#include "app/FirstRun.h"
#include "app/Login.h"
#include "app/StartupAlerts.h"
#include "assign/lists/DueNowList.h"
#include "data/Integrity.h"
#include "data/Password.h"
#include "data/Preferences.h"
#include "platform/store/NameCollation.h"
#include "platform/store/SqliteEngine.h"
#include "support/LoginResult.h"
#include "support/SqlitePlan.h"
#include "support/TestStore.h"

namespace tko {
namespace {
namespace fs = std::filesystem;

class ShellLogicTest : public ::testing::Test {
protected:
    void SetUp() override {
        setPasswordCost(PasswordCost::Minimal);
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        ASSERT_TRUE(ensureSystemPref(*m_db, m_sys).ok);
        ASSERT_TRUE(ensureFirstAccount(*m_db).ok);
    }
    void addUser(const std::string& name, const std::string& password, int access = 0) {
        User u;
        u.USERNAME = name;
        u.PASSWORD = hashPassword(password);
        u.ACCESSLEVEL = static_cast<std::uint8_t>(access);
        ASSERT_TRUE(m_db->add(u).ok());
    }
    void setAccessTries(int tries) {
        SystemPref loaded = m_sys;
        m_sys.ACCESSTRIES = static_cast<std::int16_t>(tries);
        ASSERT_EQ(saveSystemPref(*m_db, m_sys, loaded).kind, Outcome::Done);
    }
    Assignment assign(int number, const std::string& to, const std::string& by, Date due,
                      int secondary = 0) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.PERSON = to;
        a.USERNAME = by;
        a.DUEDATE = due;
        a.SECONDARY = static_cast<std::uint8_t>(secondary);
        EXPECT_TRUE(m_db->add(a).ok());
        return a;
    }
    void setAlarm(const std::string& user, int alarm) {
        UserPref pref = defaultUserPref(user);
        pref.ALARM = static_cast<std::uint8_t>(alarm);
        ASSERT_TRUE(m_db->add(pref).ok());
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
    SystemPref m_sys;
};

TEST_F(ShellLogicTest, FirstRunCreatesTheAdministratorAndDefaultsOnce) {
    EXPECT_EQ(m_sys.TCF, "");  // no data folder named: blank, not a Windows drive
    EXPECT_EQ(m_sys.PRIVATEPEOPLE, 1);
    EXPECT_EQ(m_sys.CONFIDENTIAL, 1);
    EXPECT_EQ(m_sys.BACKUPHOURS, 24);
    User admin;
    ASSERT_TRUE(m_db->fetch("USE:USERNAME_KEY", {std::string(kFirstUserName)}, admin).ok());
    EXPECT_EQ(admin.ACCESSLEVEL, 2);
    EXPECT_NE(admin.PASSWORD, kFirstPassword);  // a hash, never the password
    EXPECT_TRUE(verifyPassword(kFirstPassword, admin.PASSWORD));
    Person person;
    ASSERT_TRUE(m_db->fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{1}}, person).ok());
    EXPECT_EQ(person.SHORTNAME, kFirstUserName);
    EXPECT_EQ(person.TYPE, "User");
    UserPref pref;
    ASSERT_TRUE(m_db->fetch("USP:USERNAME_KEY", {std::string(kFirstUserName)}, pref).ok());
    EXPECT_EQ(pref.PRIORITY, 9);
    EXPECT_EQ(pref.PORT, "com2");
    EXPECT_EQ(pref.DELAY, 5);
    // A second start adds nothing.
    SystemPref again;
    ASSERT_TRUE(ensureSystemPref(*m_db, again).ok);
    ASSERT_TRUE(ensureFirstAccount(*m_db).ok);
    std::int64_t n = 0;
    ASSERT_TRUE(m_db->count<SystemPref>(store::all(), n).ok());
    EXPECT_EQ(n, 1);
    ASSERT_TRUE(m_db->count<User>(store::all(), n).ok());
    EXPECT_EQ(n, 1);
}

TEST_F(ShellLogicTest, StartUpCompletesTheAllUsersGroupAndNamesOwnPersonEntries) {
    addUser("BEN", "secret");
    // Own person entries made before they carried the user's names.
    const auto ownEntry = [this](const std::string& name, const std::string& lastName) {
        User u;
        ASSERT_TRUE(m_db->fetch("USE:USERNAME_KEY", {name}, u).ok());
        u.LASTNAME = lastName;
        u.FIRSTNAME = "Ann";
        ASSERT_TRUE(m_db->change(u).ok());
        Person p;
        p.SHORTNAME = p.USER = name;
        p.TYPE = "User";
        p.PERSONNUMBER = static_cast<std::int32_t>(100 + name.size());
        ASSERT_TRUE(m_db->add(p).ok());
    };
    ownEntry("BEN", "Berg");
    User first;  // a named user whose entry was given a name by hand keeps it
    ASSERT_TRUE(m_db->fetch("USE:USERNAME_KEY", {std::string(kFirstUserName)}, first).ok());
    first.LASTNAME = "Supervisor";
    ASSERT_TRUE(m_db->change(first).ok());
    Person edited;
    ASSERT_TRUE(m_db->fetch("PEO:PRIMARY_KEY",
                            {std::string(kFirstUserName), std::string(kFirstUserName)}, edited)
                    .ok());
    edited.LASTNAME = "Own";
    ASSERT_TRUE(m_db->change(edited).ok());
    ASSERT_TRUE(nameOwnPersonEntries(*m_db).ok);
    for (const auto& [name, last, first] :
         {std::tuple<std::string, std::string, std::string>{"BEN", "Berg", "Ann"},
          {kFirstUserName, "Own", ""}}) {
        Person p;
        ASSERT_TRUE(m_db->fetch("PEO:PRIMARY_KEY", {name, name}, p).ok());
        EXPECT_EQ(store::rtrim(p.LASTNAME), last) << name;
        EXPECT_EQ(store::rtrim(p.FIRSTNAME), first) << name;
    }

    UserGroup group;
    ASSERT_TRUE(m_db->fetch("USG:GROUP_KEY", {std::string("All users")}, group).ok());
    ASSERT_TRUE(deleteRecord(*m_db, group).ok());
    ASSERT_TRUE(ensureAllUsersGroup(*m_db).ok);
    std::int64_t members = 0;
    ASSERT_TRUE(
        m_db->count<UserGroupUser>(store::eq("GROUP", std::string("All users")), members).ok());
    EXPECT_EQ(members, 2);
}

TEST_F(ShellLogicTest, LoginChecksNamePasswordAndSuspendsAfterTheAllowedTries) {
    addUser("BEN", "secret");
    setAccessTries(3);
    {
        LoginAttempts window(*m_db);
        EXPECT_EQ(test::tryLogin(window, "NOBODY", "x"), kIncorrectUserNameText);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(test::tryLogin(window, "BEN", "wrong"), kIncorrectPasswordText);
        EXPECT_EQ(test::tryLogin(window, "BEN", "wrong"), kTooManyFailuresText);
    }
    {
        LoginAttempts window(*m_db);  // a new window counts from 0, but the suspension stays
        LoggedIn who;
        const Outcome outcome = window.attempt("BEN", "secret", who);
        EXPECT_EQ(outcome.kind, Outcome::Refused);
        EXPECT_TRUE(endsLoginWindow(outcome));
        EXPECT_EQ(outcome.text, "Suspended. Password failures. See your System Administrator");
        EXPECT_TRUE(who.userName.empty());  // nobody was let in
        EXPECT_EQ(window.tries(), 0);
    }
}

TEST_F(ShellLogicTest, WithNoLimitWrongPasswordsNeverSuspend) {
    addUser("BEN", "secret", 1);
    LoginAttempts window(*m_db);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(test::tryLogin(window, "BEN", "wrong"), kIncorrectPasswordText);
    LoggedIn ok;
    EXPECT_EQ(test::tryLogin(window, "BEN", "secret", &ok), test::kLoggedIn);
    EXPECT_EQ(ok.accessLevel, 1);
    EXPECT_EQ(ok.userName, "BEN");
    // Only the first 10 characters count, in exact case.
    addUser("CARLA", "abcdefghijXYZ");
    EXPECT_EQ(test::tryLogin(window, "CARLA", "abcdefghij"), test::kLoggedIn);
    EXPECT_NE(test::tryLogin(window, "CARLA", "ABCDEFGHIJ"), test::kLoggedIn);
    // The user name is found in any case and the session gets it as stored.
    LoggedIn typedLower;
    EXPECT_EQ(test::tryLogin(window, "carla", "abcdefghij", &typedLower), test::kLoggedIn);
    EXPECT_EQ(typedLower.userName, "CARLA");
    EXPECT_EQ(test::tryLogin(window, "carla", "ABCDEFGHIJ"), kIncorrectPasswordText);
}

TEST_F(ShellLogicTest, TheBuiltInFirstPasswordMustBeChangedBeforeGoingOn) {
    LoginAttempts window(*m_db);
    EXPECT_EQ(test::tryLogin(window, kFirstUserName, kFirstPassword), test::kMustChangePassword);
    std::string cleaned;
    ASSERT_EQ(checkNewPassword("  newpass", "  newpass", cleaned), "");
    ASSERT_TRUE(changePassword(*m_db, kFirstUserName, cleaned).ok);
    EXPECT_EQ(test::tryLogin(window, kFirstUserName, "newpass"), test::kLoggedIn);
    EXPECT_EQ(test::tryLogin(window, kFirstUserName, kFirstPassword), kIncorrectPasswordText);
}

TEST_F(ShellLogicTest, StartupAlertsFollowTheAlarmAndIgnoreSelfGivenWork) {
    const Date today = 80000;
    setAlarm("BEN", 0);
    assign(1, "BEN", "ANNA", today);  // due, and unseen
    StartupAlerts alerts;
    ASSERT_TRUE(startupAlerts(*m_db, "BEN", today, alerts).ok());
    EXPECT_FALSE(alerts.due);  // alarm off hides the due alert
    EXPECT_TRUE(alerts.unseen);

    setAlarm("CARLA", 1);
    assign(2, "CARLA", "CARLA", today + 1);  // self-given: never unseen; due tomorrow
    assign(3, "CARLA", "ANNA", today, 1);    // secondary: never due
    ASSERT_TRUE(startupAlerts(*m_db, "CARLA", today, alerts).ok());
    EXPECT_FALSE(alerts.due);
    EXPECT_TRUE(alerts.unseen);  // number 3 is unseen
    EXPECT_EQ(alerts.dueList, DueList::None);
    ASSERT_TRUE(startupAlerts(*m_db, "CARLA", today + 1, alerts).ok());
    EXPECT_TRUE(alerts.due);
    EXPECT_EQ(alerts.dueList, DueList::Assignments);

    // Given by the user counts as due too; a reminder is asked when nothing is due.
    setAlarm("ANNA", 1);
    ASSERT_TRUE(startupAlerts(*m_db, "ANNA", today - 1, alerts).ok());
    EXPECT_FALSE(alerts.due);
    EXPECT_FALSE(alerts.unseen);
    Reminder r;
    r.USER = "ANNA";
    r.DATE = today - 1;
    r.ALARMFLAG = 1;
    r.REMINDNUMBER = 1;
    ASSERT_TRUE(m_db->add(r).ok());
    ASSERT_TRUE(startupAlerts(*m_db, "ANNA", today - 1, alerts).ok());
    EXPECT_TRUE(alerts.due);
    EXPECT_EQ(alerts.dueList, DueList::Reminders);  // no assignment of hers is due
    ASSERT_TRUE(startupAlerts(*m_db, "ANNA", today, alerts).ok());
    EXPECT_TRUE(alerts.due);
    EXPECT_EQ(alerts.dueList, DueList::Assignments);
}

// Records the text of every statement run on a connection SQLite opens while
// `into` is set.
struct StatementRecorder {
    static std::vector<std::string>* into;
    static int onOpen(sqlite3* db, const char**, const sqlite3_api_routines*) {
        if (into) sqlite3_trace_v2(db, SQLITE_TRACE_STMT, onStatement, nullptr);
        return SQLITE_OK;
    }
    static int onStatement(unsigned, void*, void* stmt, void*) {
        const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(stmt));
        if (into && sql) into->emplace_back(sql);
        return 0;
    }
};
std::vector<std::string>* StatementRecorder::into = nullptr;

// What runs at every log-in and after every change any station makes (the
// start-up check and the status bar's due count) reads only the user's own
// rows, counting exactly the due rows. The office's planner statistics are
// those a sample takes of a million rows: it misses that most rows are open,
// so that "open" looks like the narrowest range of all; each statement must
// still search an index by the user's name (or his unseen rows).
TEST_F(ShellLogicTest, LogInAndChangeStatementsReadOnlyTheUsersOwnRows) {
    const Date today = 80000;
    const std::vector<std::string> names{"ANNA", "BEN", "ben", "CARLA"};
    std::mt19937 random(44);
    ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
    for (int n = 1; n <= 300; ++n) {
        Assignment a =
            assign(n, names[random() % 4], names[random() % 4],
                   today - 3 + static_cast<int>(random() % 6), static_cast<int>(random() % 4 == 0));
        if (random() % 3 == 0) {
            a.CLOSEDATE = a.DUEDATE;
            ASSERT_TRUE(m_db->change(a).ok());
        }
    }
    ASSERT_TRUE(m_db->commit().ok());
    for (const char* user : {"ANNA", "BEN", "CARLA"}) setAlarm(user, 1);
    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), all).ok());

    const bool sqlite = !test::usingServer();
    const std::string file = m_dir.file("TKODATA.DB");
    if (sqlite) {
        // The sampled statistics of a large office.
        m_db.reset();
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
        ASSERT_EQ(store::registerNameCollation(raw), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(raw, "ANALYZE main", nullptr, nullptr, nullptr), SQLITE_OK);
        std::vector<std::pair<std::string, std::string>> stats;
        for (const store::KeyDef& key : Assignment::def().keys) {
            std::string stat = "1000000";
            std::int64_t rows = 5000;
            for (const store::KeyComponent& c : key.components) {
                const std::string& field =
                    Assignment::def().fields[static_cast<size_t>(c.field)].name;
                if (&c == &key.components.front())
                    rows = field == "CLOSEDATE" ? 45 : field == "SEEN" ? 500000 : 5000;
                stat += " " + std::to_string(rows);
                rows = std::max<std::int64_t>(1, rows / 10);
            }
            stats.emplace_back(key.sqlName(), stat + " 1");
        }
        for (const auto& [index, stat] : stats)
            ASSERT_EQ(sqlite3_exec(raw,
                                   ("UPDATE sqlite_stat1 SET stat = '" + stat +
                                    "' WHERE tbl = 'ASSIGNMENT' AND idx = '" + index + "'")
                                       .c_str(),
                                   nullptr, nullptr, nullptr),
                      SQLITE_OK);
        sqlite3_close(raw);
    }

    std::vector<std::string> statements;
    StatementRecorder::into = &statements;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&StatementRecorder::onOpen));
    m_db = test::openStation(m_source);
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&StatementRecorder::onOpen));
    ASSERT_TRUE(m_db);
    for (const std::string& user : names) {
        for (Date day : {today - 4, today, today + 3}) {
            std::int64_t counted = -1, expected = 0;
            ASSERT_TRUE(countDueAssignments(*m_db, user, day, counted).ok());
            for (const Assignment& a : all) expected += isDueForUser(a, user, day) ? 1 : 0;
            EXPECT_EQ(counted, expected) << user << " on " << day;
            StartupAlerts alerts;
            ASSERT_TRUE(startupAlerts(*m_db, user, day, alerts).ok());
            // No reminders: the alert is the assignments' (BEN's preferences are ben's too).
            if (user != "ben") {
                EXPECT_EQ(alerts.due, expected > 0) << user << " on " << day;
            }
        }
    }
    StatementRecorder::into = nullptr;
    // The server plans with statistics per value (the open rows' share
    // among them); the plans read below are SQLite's.
    if (!sqlite) return;

    // Every statement that read the assignments or the reminders searched
    // the user's range of an index.
    m_db.reset();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(store::registerNameCollation(raw), SQLITE_OK);
    auto planOf = [&](const std::string& sql) { return test::queryPlan(raw, sql); };
    int read = 0;
    std::sort(statements.begin(), statements.end());
    statements.erase(std::unique(statements.begin(), statements.end()), statements.end());
    for (const std::string& sql : statements) {
        if (sql.find("ASSIGNMENT") == std::string::npos &&
            sql.find("REMINDER") == std::string::npos)
            continue;
        ++read;
        // A level past the user's range that its filter rules out reads nothing.
        if (sql.find(" AND 1=0 ") != std::string::npos) continue;
        const std::string plan = planOf(sql);
        std::istringstream steps(plan);
        for (std::string step; std::getline(steps, step);) {
            if (step.rfind("SEARCH t ", 0) != 0 && step.rfind("SCAN t", 0) != 0) continue;
            bool own = false;
            for (const char* range :
                 {"(PERSON=? AND DUEDATE<?)", "(USERNAME=? AND DUEDATE<?)",
                  "(USERNAME=? AND PERSON=? AND DUEDATE<?)", "(SEEN=? AND PERSON=?)", "(USER=?)"})
                own = own || (step.rfind("SEARCH t USING INDEX ", 0) == 0 &&
                              step.find(range) != std::string::npos);
            EXPECT_TRUE(own) << sql << "\n" << plan;
        }
    }
    // Two counts, the due check's ranges, the reminders and the unseen check.
    EXPECT_GE(read, 5);
    // The plain count of the due rows is what these statistics mislead.
    const std::string plain = store::SqlBuilder(store::sqliteDialect())
                                  .countQuery(Assignment::def(), dueForUserFilter("BEN", today))
                                  .sql;
    EXPECT_NE(planOf(plain).find("ASS_CLOSEDUEDATE_KEY"), std::string::npos) << planOf(plain);
    sqlite3_close(raw);
}

TEST_F(ShellLogicTest, ClosingBackupRunsAfterTheConfiguredHoursAndRotatesTheCopies) {
    const Date today = 80000;
    SystemPref loaded = m_sys;
    m_sys.BACKUPDATE = today - 1;
    m_sys.BACKUPTIME = fromHms(12, 0);
    ASSERT_EQ(saveSystemPref(*m_db, m_sys, loaded).kind, Outcome::Done);
    EXPECT_DOUBLE_EQ(hoursSinceBackup(today, fromHms(11, 30), today - 1, fromHms(12, 0)), 23.5);

    BackupResult r = closingBackup(*m_db, m_dir.path(), today, fromHms(11, 30));
    EXPECT_FALSE(r.madeBackup);
    EXPECT_FALSE(fs::exists(m_dir.file("TKODATA.BK1")));

    r = closingBackup(*m_db, m_dir.path(), today, fromHms(12, 0, 36));  // 24.01 hours
    EXPECT_TRUE(r.madeBackup) << r.copyError;
    EXPECT_TRUE(fs::exists(m_dir.file("TKODATA.BK1")));
    EXPECT_TRUE(fs::exists(m_dir.file("USERS.BK1")));
    EXPECT_FALSE(fs::exists(m_dir.file("TKODATA.BAK")));
    std::vector<SystemPref> prefs;
    store::ReadRequest first;
    ASSERT_TRUE(m_db->read(first, prefs).ok());
    EXPECT_EQ(prefs.front().BACKUPDATE, today);
    EXPECT_EQ(prefs.front().BACKUPTIME, fromHms(12, 0, 36));

    // A day later the copy moves to .BAK and a new .BK1 is taken.
    const auto firstCopy = fs::file_size(m_dir.file("TKODATA.BK1"));
    r = closingBackup(*m_db, m_dir.path(), today + 2, 0);
    EXPECT_TRUE(r.madeBackup);
    EXPECT_TRUE(fs::exists(m_dir.file("TKODATA.BAK")));
    EXPECT_EQ(fs::file_size(m_dir.file("TKODATA.BAK")), firstCopy);
    EXPECT_TRUE(fs::exists(m_dir.file("USERS.BAK")));

    // With 0 hours there is never a backup.
    ASSERT_TRUE(m_db->read(first, prefs).ok());
    loaded = prefs.front();
    SystemPref none = loaded;
    none.BACKUPHOURS = 0;
    ASSERT_EQ(saveSystemPref(*m_db, none, loaded).kind, Outcome::Done);
    EXPECT_FALSE(closingBackup(*m_db, m_dir.path(), today + 400, 0).madeBackup);
}

TEST_F(ShellLogicTest, SettingsFormsRules) {
    EXPECT_EQ(normaliseDataPath("  /data/office/  "), "/data/office/");
    EXPECT_EQ(normaliseDataPath("   "), "");

    std::string cleaned;
    EXPECT_EQ(checkNewPassword("abcde", "abcde", cleaned), "");
    EXPECT_EQ(cleaned, "abcde");
    EXPECT_EQ(checkNewPassword("abcd ", "abcd ", cleaned),
              "Password must be at least 5 characters");
    EXPECT_EQ(checkNewPassword("abcde", "abcdf", cleaned),
              "Entries do not match. Please try again");
    EXPECT_EQ(checkNewPassword("   lead1", "lead1", cleaned), "");
    EXPECT_EQ(cleaned, "lead1");

    EXPECT_FALSE(checkPriority(1));
    EXPECT_FALSE(checkPriority(9));
    ASSERT_TRUE(checkPriority(0));
    EXPECT_EQ(checkPriority(10)->text, "The value of Priority must be between 1 and 9.");
    EXPECT_FALSE(checkDelay(100));
    EXPECT_EQ(checkDelay(101)->text, "The value of Handset Release Delay must be lower than 100.");
}

TEST_F(ShellLogicTest, OkWithoutAChangeWritesNothingAndAFirstSaveCreatesThePreferences) {
    SystemPref loaded = m_sys;
    SystemPref same = m_sys;
    bool wrote = true;
    const Outcome none = saveSystemPref(*m_db, same, loaded, &wrote);
    EXPECT_EQ(none.kind, Outcome::Done);
    EXPECT_FALSE(wrote);
    std::vector<SystemPref> prefs;
    ASSERT_TRUE(m_db->read(store::ReadRequest{}, prefs).ok());
    EXPECT_EQ(prefs.front().rowVersion, m_sys.rowVersion);

    addUser("BEN", "secret");
    UserPref pref;
    Request request = Request::None;
    ASSERT_TRUE(loadUserPref(*m_db, "BEN", pref, request).ok());
    EXPECT_EQ(request, Request::Insert);
    EXPECT_EQ(pref.USERNAME, "BEN");
    const UserPref loadedPref = pref;
    pref.PRIORITY = 4;
    EXPECT_EQ(saveUserPref(*m_db, request, pref, loadedPref).kind, Outcome::Done);
    ASSERT_TRUE(loadUserPref(*m_db, "BEN", pref, request).ok());
    EXPECT_EQ(request, Request::Change);
    EXPECT_EQ(pref.PRIORITY, 4);
    // A second insert of the same user's record is refused with message 24.
    UserPref duplicate = loadedPref;
    const Outcome dup = saveUserPref(*m_db, Request::Insert, duplicate, loadedPref, &wrote);
    EXPECT_EQ(dup.kind, Outcome::Refused);
    EXPECT_FALSE(wrote);
    ASSERT_TRUE(dup.message);
    EXPECT_EQ(dup.message->number, 24);
}

TEST_F(ShellLogicTest, SettingsSavedElsewhereAreShownInsteadOfOverwritten) {
    SystemPref mine = m_sys, theirs = m_sys;
    const SystemPref loaded = m_sys;
    theirs.VIEWALL = 1;
    ASSERT_TRUE(m_db->change(theirs).ok());
    mine.ACCESSTRIES = 5;
    const Outcome outcome = saveSystemPref(*m_db, mine, loaded);
    EXPECT_EQ(outcome.kind, Outcome::ChangedElsewhere);
    EXPECT_EQ(mine.VIEWALL, 1);
    EXPECT_EQ(mine.ACCESSTRIES, 0);
}

}  // namespace
}  // namespace tko
