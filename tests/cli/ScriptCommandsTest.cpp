// The scripting commands on a small office: the log-in, what each user sees
// through due, unseen, reminders and calendar (the windows' rules), adding and
// concluding with the form's checks and rights, and the exports' rights; and
// the calendar's drag of a due date with its undo.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "assign/Repetition.h"
#include "cli/ScriptCommands.h"
#include "cli/TerminalText.h"
#include "data/Notices.h"
#include "data/Password.h"
#include "data/Tables.h"
#include "platform/Date.h"
#include "reports/CsvExport.h"
#include "support/FailingEngine.h"
#include "support/TestStore.h"
#include "sync/CalDav.h"
#include "sync/Import.h"
#include "views/Calendar.h"

extern char** environ;

namespace tko {
namespace {

constexpr Date kToday = 82000;

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;

    QJsonArray json() const {
        return QJsonDocument::fromJson(QByteArray::fromStdString(out)).array();
    }
    std::set<int> numbers() const {
        std::set<int> out;
        for (const QJsonValue& row : json())
            out.insert(row.toObject().value(QStringLiteral("assignNumber")).toInt());
        return out;
    }
};

class ScriptCommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setPasswordCost(PasswordCost::Minimal); }

    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        Clock::setFixed(kToday, 9 * kTicksPerHour);
        SystemPref settings;
        ASSERT_TRUE(m_db->add(settings).ok());
        addUser("SUPERVISOR", "super-pw-1", 2, 1);
        addUser("BEN", "ben-pw-1", 0, 2);
        addUser("ANNA", "anna-pw-1", 0, 3);
        addPerson("PLUMBER", 4, "Open", "SUPERVISOR");
        addPerson("SECRET", 5, "Private", "ANNA");
    }
    void TearDown() override {
        Clock::useSystem();
        unsetenv("TASKORBIT_PASSWORD");
    }

    void addUser(const std::string& name, const std::string& password, int access, int person) {
        User u;
        u.USERNAME = name;
        u.PASSWORD = hashPassword(password);
        u.ACCESSLEVEL = static_cast<std::uint8_t>(access);
        ASSERT_TRUE(m_db->add(u).ok());
        addPerson(name, person, "User", name);
    }
    void addPerson(const std::string& shortName, int number, const std::string& type,
                   const std::string& owner) {
        Person p;
        p.SHORTNAME = shortName;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        ASSERT_TRUE(m_db->add(p).ok());
    }
    Assignment& assign(int number, const std::string& by, const std::string& to, Date due,
                       int priority) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.NAME = "Task " + std::to_string(number);
        a.USERNAME = by;
        a.PERSON = to;
        a.DUEDATE = due;
        a.ASSIGNEDDATE = kToday - 10;
        a.PRIORITY = static_cast<std::uint8_t>(priority);
        a.REPEATTYPE = "No Repeats";
        m_assignments.push_back(a);
        return m_assignments.back();
    }
    void store() {
        for (Assignment& a : m_assignments) ASSERT_TRUE(m_db->add(a).ok());
    }
    // The office every list test reads.
    void fillWork() {
        assign(1, "SUPERVISOR", "BEN", kToday - 1, 5);
        assign(2, "BEN", "PLUMBER", kToday, 2).SEEN = 1;
        assign(3, "SUPERVISOR", "ANNA", kToday - 5, 1);
        assign(4, "SUPERVISOR", "BEN", kToday, 3).SECONDARY = 1;
        assign(5, "SUPERVISOR", "BEN", kToday + 1, 4);
        assign(6, "SUPERVISOR", "BEN", kToday - 3, 4).CLOSEDATE = kToday - 1;
        assign(7, "BEN", "BEN", kToday - 2, 7);
        store();
        Reminder r;
        r.DATE = kToday - 2;
        r.NOTE = "Call the bank";
        r.ASSIGNNUMBER = 1;
        r.USER = "BEN";
        r.ALARMFLAG = 1;
        r.REMINDNUMBER = 1;
        ASSERT_TRUE(m_db->add(r).ok());
        r.DATE = kToday + 1;
        r.NOTE = "Later";
        r.REMINDNUMBER = 2;
        ASSERT_TRUE(m_db->add(r).ok());
        r.DATE = kToday - 2;
        r.NOTE = "Anna's";
        r.USER = "ANNA";
        r.REMINDNUMBER = 3;
        ASSERT_TRUE(m_db->add(r).ok());
    }

    Outcome run(std::vector<std::string> words, const std::string& password,
                const std::string& input = {}) {
        if (password.empty())
            unsetenv("TASKORBIT_PASSWORD");
        else
            setenv("TASKORBIT_PASSWORD", password.c_str(), 1);
        // The data directory follows the command (and the export's or import's kind).
        words.insert(
            words.begin() +
                (words[0] == "export" || words[0] == "import" || words[0] == "sync" ? 2 : 1),
            m_source.directory);
        std::istringstream in(input);
        std::ostringstream out, err;
        Outcome r;
        r.code = cli::runScriptCommand(words, m_source.serverInfo,
                                       QString::fromStdString(m_dir.path()), in, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    Assignment stored(int number) {
        Assignment a;
        EXPECT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{number}}, a).ok());
        return a;
    }
    std::int64_t assignmentCount() {
        std::int64_t n = 0;
        EXPECT_TRUE(m_db->count<Assignment>(store::all(), n).ok());
        return n;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
    std::vector<Assignment> m_assignments;
};

// ---- calendar ------------------------------------------------------------------

std::string toIso(Date date) {
    const Ymd ymd = toYmd(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
    return text;
}

Session sessionOf(const std::string& user, int access) {
    Session session;
    session.GlobalUser = user;
    session.GlobalUserAccess = access;
    return session;
}

// The window's entries and the command's are the same; each user sees what
// Look Forward shows him, his own reminders, and a repeating rule's later
// dates even when its due date lies years back.
TEST_F(ScriptCommandsTest, CalendarEntriesAreTheWindowsAndFollowTheRights) {
    fillWork();
    Assignment every3;
    every3.ASSIGNNUMBER = 8;
    every3.NAME = "Every third day";
    every3.USERNAME = "BEN";
    every3.PERSON = "BEN";
    every3.DUEDATE = kToday - 1000;
    every3.PRIORITY = 6;
    every3.REPEATTYPE = repeat::DaysAfterLastDue;
    every3.REPNUMBER = 3;
    ASSERT_TRUE(m_db->add(every3).ok());
    const Date from = kToday - 10, to = kToday + 30;
    const std::string fromText = toIso(from), toText = toIso(to);

    struct Expect {
        const char* user;
        const char* password;
        int access;
        std::set<int> dueNumbers;
    };
    for (const Expect& e : {Expect{"BEN", "ben-pw-1", 0, {1, 2, 5, 7}},
                            Expect{"SUPERVISOR", "super-pw-1", 2, {1, 2, 3, 5, 7}}}) {
        CalendarSettings settings;
        settings.today = kToday;
        std::vector<CalendarEntry> model;
        ASSERT_TRUE(
            calendarEntries(*m_db, sessionOf(e.user, e.access), settings, from, to, model).ok());
        std::set<int> due;
        std::vector<Date> repeats;
        std::set<std::string> reminders;
        for (const CalendarEntry& entry : model) {
            if (entry.kind == CalendarKind::Due) {
                due.insert(entry.assignNumber);
                EXPECT_EQ(entry.overdue, entry.date < kToday) << entry.assignNumber;
            }
            if (entry.kind == CalendarKind::Repeat) repeats.push_back(entry.date);
            if (entry.kind == CalendarKind::Reminder) reminders.insert(entry.name);
        }
        EXPECT_EQ(due, e.dueNumbers) << e.user;
        std::vector<Date> expectedRepeats;
        for (Date d = every3.DUEDATE; d <= to; d += 3)
            if (d >= from) expectedRepeats.push_back(d);
        EXPECT_EQ(repeats, expectedRepeats) << e.user;
        EXPECT_EQ(reminders,
                  (std::string(e.user) == "BEN" ? std::set<std::string>{"Call the bank", "Later"}
                                                : std::set<std::string>{}));

        const Outcome cli = run({"calendar", "--user", e.user, "--from", fromText, "--to", toText,
                                 "--secondary", "no", "--json"},
                                e.password);
        ASSERT_EQ(cli.code, cli::kExitOk) << cli.err;
        const QJsonArray rows = cli.json();
        ASSERT_EQ(rows.size(), static_cast<qsizetype>(model.size())) << e.user;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QJsonObject row = rows[i].toObject();
            const CalendarEntry& entry = model[static_cast<size_t>(i)];
            EXPECT_EQ(row.value(QStringLiteral("date")).toString().toStdString(),
                      toIso(entry.date));
            EXPECT_EQ(row.value(QStringLiteral("kind")).toString().toStdString(),
                      calendarKindName(entry.kind));
            EXPECT_EQ(row.value(QStringLiteral("assignNumber")).toInt(), entry.assignNumber);
            EXPECT_EQ(row.value(QStringLiteral("name")).toString().toStdString(), entry.name);
            EXPECT_EQ(row.value(QStringLiteral("person")).toString().toStdString(), entry.person);
        }
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--from", fromText},
                                                {"--from", "2026-02-30", "--to", toText},
                                                {"--from", toText, "--to", fromText},
                                                {"--from", "2100-01-01", "--to", "2100-01-02"}}) {
        std::vector<std::string> words{"calendar", "--user", "BEN"};
        words.insert(words.end(), bad.begin(), bad.end());
        const Outcome r = run(words, "ben-pw-1");
        EXPECT_EQ(r.code, cli::kExitUsage) << bad[1];
        EXPECT_TRUE(r.out.empty());
    }
}

// Dragging a due date is the form's save: refused without the right, for a
// concluded assignment and for a later date of a repeating one, reported
// when another station changed the record; undo restores both dates.
TEST_F(ScriptCommandsTest, CalendarMoveIsTheFormsSaveAndUndoes) {
    fillWork();
    const Session ben = sessionOf("BEN", 0);
    auto entryOf = [](const Assignment& a, CalendarKind kind) {
        CalendarEntry entry;
        entry.assignNumber = a.ASSIGNNUMBER;
        entry.date = a.DUEDATE;
        entry.kind = kind;
        return entry;
    };
    CalendarMove move;
    struct Refusal {
        Session session;
        int number;
        CalendarKind kind;
        Date to;
    };
    for (const Refusal& r :
         {Refusal{ben, 1, CalendarKind::Due, kToday + 4},                         // given to him
          Refusal{sessionOf("SUPERVISOR", 2), 6, CalendarKind::Due, kToday + 4},  // concluded
          Refusal{ben, 7, CalendarKind::Repeat, kToday + 4},
          Refusal{ben, 7, CalendarKind::Reminder, kToday + 4},
          Refusal{ben, 7, CalendarKind::Due, kLastDate + 1}}) {
        const Assignment before = stored(r.number);
        const tko::Outcome out =
            moveDueDate(*m_db, r.session, before, entryOf(before, r.kind), r.to, kToday, 0, move);
        EXPECT_EQ(out.kind, tko::Outcome::Refused) << r.number;
        EXPECT_EQ(stored(r.number).DUEDATE, before.DUEDATE);
    }

    // Another station changed number 2 after the calendar read it.
    const Assignment shown = stored(2);
    Assignment other = shown;
    other.NAME = "Renamed elsewhere";
    ASSERT_TRUE(m_db->change(other).ok());
    EXPECT_EQ(moveDueDate(*m_db, ben, shown, entryOf(shown, CalendarKind::Due), kToday + 4, kToday,
                          0, move)
                  .kind,
              tko::Outcome::ChangedElsewhere);
    EXPECT_EQ(stored(2).DUEDATE, shown.DUEDATE);
    EXPECT_EQ(stored(2).NAME, "Renamed elsewhere");

    Assignment seven = stored(7);
    seven.PREVDUE = kToday - 9;
    seven.GENERALMEMO = "Keep these notes";
    ASSERT_TRUE(m_db->change(seven).ok());
    const tko::Outcome moved = moveDueDate(*m_db, ben, seven, entryOf(seven, CalendarKind::Due),
                                           kToday + 4, kToday, 0, move);
    ASSERT_TRUE(moved.ok()) << outcomeLine(moved);
    Assignment after = stored(7);
    EXPECT_EQ(after.DUEDATE, kToday + 4);
    EXPECT_EQ(after.PREVDUE, kToday - 2);
    EXPECT_EQ(after.GENERALMEMO, "Keep these notes");
    EXPECT_NE(after.LOG.find("Changed"), std::string::npos);
    ASSERT_TRUE(undoMove(*m_db, ben, move, kToday, 0).ok());
    after = stored(7);
    EXPECT_EQ(after.DUEDATE, kToday - 2);
    EXPECT_EQ(after.PREVDUE, kToday - 9);
    // A second undo finds the due date no longer the one the move gave.
    EXPECT_EQ(undoMove(*m_db, ben, move, kToday, 0).kind, tko::Outcome::Refused);
    EXPECT_EQ(stored(7).DUEDATE, kToday - 2);
}

// ---- log-in ----------------------------------------------------------------------

TEST_F(ScriptCommandsTest, AWrongPasswordOrUnknownUserIsRefusedAndShowsNothing) {
    fillWork();
    const Outcome wrong = run({"due", "--user", "BEN", "--json"}, "not-his");
    EXPECT_EQ(wrong.code, cli::kExitRefused);
    EXPECT_TRUE(wrong.out.empty());
    EXPECT_NE(wrong.err.find("Incorrect password"), std::string::npos);

    const Outcome unknown = run({"due", "--user", "NOBODY"}, "whatever");
    EXPECT_EQ(unknown.code, cli::kExitRefused);
    EXPECT_NE(unknown.err.find("Incorrect User Name"), std::string::npos);
    EXPECT_TRUE(unknown.out.empty());
}

TEST_F(ScriptCommandsTest, ASuspendedAccountIsRefusedEvenWithItsPassword) {
    User ben;
    ASSERT_TRUE(m_db->fetch("USE:USERNAME_KEY", {std::string("BEN")}, ben).ok());
    ben.FAILFLAG = 1;
    ASSERT_TRUE(m_db->change(ben).ok());
    const Outcome r = run({"unseen", "--user", "BEN"}, "ben-pw-1");
    EXPECT_EQ(r.code, cli::kExitRefused);
    EXPECT_NE(r.err.find("Suspended"), std::string::npos);
}

// One count of wrong passwords for every way in: each command is a new
// process, yet the tries add up and suspend as in the log-in window; a
// success in between starts the count again.
TEST_F(ScriptCommandsTest, WrongPasswordsOnTheCommandLineCountAndSuspend) {
    SystemPref settings;
    std::vector<SystemPref> all;
    ASSERT_TRUE(m_db->readAll("", store::all(), all).ok());
    settings = all.front();
    settings.ACCESSTRIES = 2;
    ASSERT_TRUE(m_db->change(settings).ok());
    const struct {
        const char* password;
        const char* said;
    } steps[] = {{"wrong", "Incorrect password"},
                 {"wrong", "Incorrect password"},
                 {"ben-pw-1", ""},
                 {"wrong", "Incorrect password"},
                 {"wrong", "Incorrect password"},
                 {"wrong", "Too many password failures"},
                 {"ben-pw-1", "Suspended"}};
    for (const auto& step : steps) {
        const Outcome r = run({"unseen", "--user", "BEN"}, step.password);
        EXPECT_EQ(r.code, *step.said ? cli::kExitRefused : cli::kExitOk) << step.password;
        EXPECT_NE(r.err.find(step.said), std::string::npos) << r.err;
    }
}

TEST_F(ScriptCommandsTest, ThePasswordIsAskedForWhenTheVariableIsNotSet) {
    fillWork();
    const Outcome typed = run({"unseen", "--user", "BEN", "--json"}, "", "ben-pw-1\n");
    EXPECT_EQ(typed.code, cli::kExitOk) << typed.err;
    EXPECT_NE(typed.err.find("Password:"), std::string::npos);
    const Outcome none = run({"unseen", "--user", "BEN"}, "", "");
    EXPECT_EQ(none.code, cli::kExitRefused);
}

TEST_F(ScriptCommandsTest, TheBuiltInFirstPasswordMustBeChangedFirst) {
    addUser("NEWBIE", "TASKORBIT", 2, 9);
    const Outcome r = run({"due", "--user", "NEWBIE"}, "TASKORBIT");
    EXPECT_EQ(r.code, cli::kExitRefused);
    EXPECT_NE(r.err.find("must be changed"), std::string::npos);
}

TEST_F(ScriptCommandsTest, UsageMistakesAreToldAndNothingRuns) {
    EXPECT_EQ(run({"due"}, "ben-pw-1").code, cli::kExitUsage);  // no --user
    EXPECT_EQ(run({"due", "--user", "BEN", "--order", "colour"}, "ben-pw-1").code, cli::kExitUsage);
    EXPECT_EQ(run({"due", "--user", "BEN", "--bogus"}, "ben-pw-1").code, cli::kExitUsage);
    EXPECT_EQ(run({"due", "--user", "BEN", "--limit", "0"}, "ben-pw-1").code, cli::kExitUsage);
    EXPECT_EQ(run({"conclude", "--user", "BEN", "x1"}, "ben-pw-1").code, cli::kExitUsage);
}

// ---- lists -----------------------------------------------------------------------

TEST_F(ScriptCommandsTest, AGeneralUserSeesOnlyWhatTheDueWindowShows) {
    fillWork();
    const Outcome r = run({"due", "--user", "BEN", "--json"}, "ben-pw-1");
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    // Given to or by BEN, open, due by today, not secondary.
    EXPECT_EQ(r.numbers(), (std::set<int>{1, 2, 7}));
    const Outcome secondary =
        run({"due", "--user", "BEN", "--json", "--secondary", "yes"}, "ben-pw-1");
    EXPECT_EQ(secondary.numbers(), (std::set<int>{1, 2, 4, 7}));
    const Outcome admin = run({"due", "--user", "SUPERVISOR", "--json"}, "super-pw-1");
    EXPECT_EQ(admin.numbers(), (std::set<int>{1, 2, 3, 7}));
}

TEST_F(ScriptCommandsTest, DueRowsComeInTheWindowsOrdersAndUpToTheLimit) {
    fillWork();
    auto order = [&](const std::string& name) {
        std::vector<int> numbers;
        const Outcome r =
            run({"due", "--user", "SUPERVISOR", "--json", "--order", name}, "super-pw-1");
        for (const QJsonValue& row : r.json())
            numbers.push_back(row.toObject().value(QStringLiteral("assignNumber")).toInt());
        return numbers;
    };
    EXPECT_EQ(order("priority"), (std::vector<int>{3, 2, 1, 7}));
    EXPECT_EQ(order("date"), (std::vector<int>{3, 7, 1, 2}));
    EXPECT_EQ(order("person"), (std::vector<int>{3, 7, 1, 2}));  // ANNA, BEN..., PLUMBER
    const Outcome limited = run(
        {"due", "--user", "SUPERVISOR", "--json", "--limit", "2", "--order", "date"}, "super-pw-1");
    EXPECT_EQ(limited.numbers(), (std::set<int>{3, 7}));
}

TEST_F(ScriptCommandsTest, TextOutputIsAlignedUnderItsHeadings) {
    fillWork();
    const Outcome r = run({"due", "--user", "BEN", "--order", "date"}, "ben-pw-1");
    ASSERT_EQ(r.code, cli::kExitOk);
    std::istringstream lines(r.out);
    std::string heading, first;
    std::getline(lines, heading);
    std::getline(lines, first);
    EXPECT_EQ(heading.find("Assignment"), 0u);
    // The due date column starts at the same place in every line.
    const size_t due = heading.find("Due Date");
    ASSERT_NE(due, std::string::npos);
    EXPECT_EQ(first.substr(due, 10), "2025-06-29");  // day 81998: task 7, BEN's own
    EXPECT_EQ(first.substr(0, 6), "Task 7");
}

TEST_F(ScriptCommandsTest, UnseenListsOnlyWorkOthersGaveTheUser) {
    fillWork();
    const Outcome r = run({"unseen", "--user", "BEN", "--json"}, "ben-pw-1");
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    // 7 is BEN's own, 6 is concluded, 2 is for someone else.
    EXPECT_EQ(r.numbers(), (std::set<int>{1, 4, 5}));
}

TEST_F(ScriptCommandsTest, RemindersAreTheUsersOwnDueByToday) {
    fillWork();
    const Outcome r = run({"reminders", "--user", "BEN", "--json"}, "ben-pw-1");
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    const QJsonArray rows = r.json();
    ASSERT_EQ(rows.size(), 1);
    const QJsonObject row = rows.at(0).toObject();
    EXPECT_EQ(row.value(QStringLiteral("note")).toString(), QStringLiteral("Call the bank"));
    EXPECT_EQ(row.value(QStringLiteral("assignment")).toString(), QStringLiteral("Task 1"));
    EXPECT_EQ(row.value(QStringLiteral("alarm")).toBool(), true);
}

// ---- add -------------------------------------------------------------------------

TEST_F(ScriptCommandsTest, AddStoresTheAssignmentAsTheFormWould) {
    const Outcome r = run({"add", "--user", "BEN", "--person", "PLUMBER", "--name", "Fix the tap",
                           "--due", "2026-01-15", "--priority", "2", "--repeat",
                           "Weeks after Last Due", "--every", "3", "--json"},
                          "ben-pw-1");
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    const int number = r.json().at(0).toObject().value(QStringLiteral("assignNumber")).toInt();
    EXPECT_EQ(number, 1);
    const Assignment a = stored(number);
    EXPECT_EQ(a.NAME, "Fix the tap");
    EXPECT_EQ(a.PERSON, "PLUMBER");
    EXPECT_EQ(a.PERSONNUMBER, 4);
    EXPECT_EQ(a.USERNAME, "BEN");
    EXPECT_EQ(a.DUEDATE, fromYmd(2026, 1, 15));
    EXPECT_EQ(a.ASSIGNEDDATE, kToday);
    EXPECT_EQ(a.PRIORITY, 2);
    EXPECT_EQ(a.REPEATTYPE, "Weeks after Last Due");
    EXPECT_EQ(a.REPNUMBER, 3);
    EXPECT_EQ(a.LOG.rfind("Created", 0), 0u);

    const Outcome weekdays =
        run({"add", "--user", "BEN", "--person", "BEN", "--name", "Water plants", "--repeat",
             "Set Weekdays", "--weekdays", "Mon,thursday"},
            "ben-pw-1");
    ASSERT_EQ(weekdays.code, cli::kExitOk) << weekdays.err;
    EXPECT_EQ(stored(2).SETDAYREPT, (std::array<std::uint8_t, 7>{0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(stored(2).PRIORITY, 9);  // no preference: the lowest
}

TEST_F(ScriptCommandsTest, AddRefusesPeopleTheUserMayNotAssign) {
    for (const char* person : {"ANNA", "SECRET", "NOBODY"}) {
        const Outcome r =
            run({"add", "--user", "BEN", "--person", person, "--name", "Sneaky"}, "ben-pw-1");
        EXPECT_EQ(r.code, cli::kExitRefused) << person;
    }
    EXPECT_EQ(assignmentCount(), 0);
    // Given the right to assign ANNA, BEN may.
    UserAssign right{"ANNA", "BEN"};
    ASSERT_TRUE(m_db->add(right).ok());
    EXPECT_EQ(run({"add", "--user", "BEN", "--person", "ANNA", "--name", "Fine"}, "ben-pw-1").code,
              cli::kExitOk);
    EXPECT_EQ(assignmentCount(), 1);
}

TEST_F(ScriptCommandsTest, AddRefusesBadInputWithoutStoringAnything) {
    const std::vector<std::vector<std::string>> bad{
        {"--name", std::string(51, 'n')},    // one character too many
        {"--name", "   "},                   // no name
        {"--name", "x", "--priority", "0"},  // outside 1..9
        {"--name", "x", "--priority", "10"},
        {"--name", "x", "--due", "2026-02-30"},              // no such day
        {"--name", "x", "--due", "2100-01-01"},              // past the last date
        {"--name", "x", "--repeat", "Days after Last Due"},  // no number
        {"--name", "x", "--repeat", "Days after Last Due", "--every", "1000"},
        {"--name", "x", "--repeat", "Fortnightly"},
        {"--name", "x", "--repeat", "Specific Weekday", "--occurrence", "5th", "--weekday",
         "Monday"},
        {"--name", "x", "--every", "3"},   // a number without a rule
        {"--name", "Budget\xe2\x80\xae"},  // a right-to-left override
        {"--name", "Two\nlines"},
    };
    for (const auto& extra : bad) {
        std::vector<std::string> words{"add", "--user", "BEN", "--person", "PLUMBER"};
        words.insert(words.end(), extra.begin(), extra.end());
        const Outcome r = run(words, "ben-pw-1");
        EXPECT_EQ(r.code, cli::kExitUsage) << extra.back();
        EXPECT_FALSE(r.err.empty());
    }
    const Outcome missing = run({"add", "--user", "BEN", "--person", "PLUMBER", "--name", "x",
                                 "--repeat", "Days after Last Due"},
                                "ben-pw-1");
    EXPECT_NE(missing.err.find("Missing number of Day(s)"), std::string::npos);
    EXPECT_EQ(assignmentCount(), 0);
    // Exactly 50 characters fit.
    EXPECT_EQ(run({"add", "--user", "BEN", "--person", "PLUMBER", "--name", std::string(50, 'n')},
                  "ben-pw-1")
                  .code,
              cli::kExitOk);
    EXPECT_EQ(stored(1).NAME, std::string(50, 'n'));
}

// ---- conclude --------------------------------------------------------------------

TEST_F(ScriptCommandsTest, ConcludeFollowsTheRulesOfEveryConcludeButton) {
    fillWork();
    Assignment repeating = stored(3);
    repeating.REPEATTYPE = "Days after Last Due";
    repeating.REPNUMBER = 10;
    ASSERT_TRUE(m_db->change(repeating).ok());

    // BEN neither owns assignment 3 nor is its assignee: refused, unchanged.
    const Outcome refused = run({"conclude", "--user", "BEN", "3"}, "ben-pw-1");
    EXPECT_EQ(refused.code, cli::kExitRefused);
    EXPECT_TRUE(stored(3).sameValues(repeating));
    // Assignee without "assignee can conclude": refused too.
    EXPECT_EQ(run({"conclude", "--user", "BEN", "1"}, "ben-pw-1").code, cli::kExitRefused);
    EXPECT_EQ(stored(1).CLOSEDATE, 0);
    // The owner closes a non-repeating one.
    const Outcome own = run({"conclude", "--user", "BEN", "7"}, "ben-pw-1");
    EXPECT_EQ(own.code, cli::kExitOk) << own.err;
    EXPECT_EQ(stored(7).CLOSEDATE, kToday);
    // The administrator moves a repeating one.
    const Outcome moved = run({"conclude", "--user", "SUPERVISOR", "3", "--json"}, "super-pw-1");
    ASSERT_EQ(moved.code, cli::kExitOk) << moved.err;
    EXPECT_EQ(stored(3).DUEDATE, kToday - 5 + 10);
    EXPECT_EQ(stored(3).CLOSEDATE, 0);
    EXPECT_EQ(moved.json().at(0).toObject().value(QStringLiteral("concluded")).toBool(), true);
    EXPECT_EQ(moved.json().at(0).toObject().value(QStringLiteral("closed")).toBool(), false);
    // Concluded already, not there at all, or not permitted: each says so in
    // its own status, and --json says that nothing was concluded.
    const struct {
        const char* user;
        const char* password;
        const char* number;
        int code;
    } notDone[] = {{"BEN", "ben-pw-1", "7", cli::kExitConcludedAlready},
                   {"BEN", "ben-pw-1", "4711", cli::kExitNotFound},
                   {"BEN", "ben-pw-1", "3", cli::kExitRefused},
                   {"BEN", "wrong-pw", "3", cli::kExitRefused}};
    for (const auto& c : notDone) {
        const Outcome r = run({"conclude", "--user", c.user, c.number, "--json"}, c.password);
        EXPECT_EQ(r.code, c.code) << c.number << ": " << r.err;
        ASSERT_EQ(r.json().size(), 1) << r.out;
        const QJsonObject said = r.json().at(0).toObject();
        EXPECT_EQ(said.value(QStringLiteral("concluded")), QJsonValue(false)) << r.out;
        EXPECT_EQ(said.value(QStringLiteral("exitStatus")).toInt(), c.code);
        EXPECT_FALSE(said.value(QStringLiteral("reason")).toString().isEmpty());
    }
}

// Eight scripts conclude one repeating assignment and eight add assignments,
// all at once, each a process of its own: a script exits 0 exactly when what
// it did was written, and adding is not refused because other stations took
// the numbers.
TEST_F(ScriptCommandsTest, ConcurrentScriptsSucceedExactlyAsOftenAsTheyWrite) {
    fillWork();
    Assignment repeating = stored(3);
    repeating.REPEATTYPE = "Days after Last Due";
    repeating.REPNUMBER = 1;  // each conclusion moves the due date by one day
    ASSERT_TRUE(m_db->change(repeating).ok());
    const std::int64_t before = assignmentCount();
    const char* bin = std::getenv("TKO_TEST_BIN");
    const std::string program = std::string(bin ? bin : ".") + "/taskorbit-cli";
    setenv("TASKORBIT_PASSWORD", "super-pw-1", 1);
    constexpr int kScripts = 8;
    std::vector<pid_t> pids;
    for (int i = 0; i < 2 * kScripts; ++i) {
        std::vector<std::string> words{program};
        if (!m_source.serverInfo.empty())
            words.insert(words.end(), {"--server", m_source.serverInfo});
        if (i % 2 == 0)
            words.insert(words.end(),
                         {"conclude", m_source.directory, "--user", "SUPERVISOR", "3", "--json"});
        else
            words.insert(words.end(),
                         {"add", m_source.directory, "--user", "SUPERVISOR", "--person", "PLUMBER",
                          "--name", "Script " + std::to_string(i), "--json"});
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        const std::string out = m_dir.file("script" + std::to_string(i));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0)
            << program;
        posix_spawn_file_actions_destroy(&actions);
        pids.push_back(pid);
    }
    int concluded = 0;
    std::set<int> added;
    for (int i = 0; i < 2 * kScripts; ++i) {
        const pid_t pid = pids[static_cast<size_t>(i)];
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        const int code = WEXITSTATUS(status);
        std::ifstream in(m_dir.file("script" + std::to_string(i)));
        const std::string said((std::istreambuf_iterator<char>(in)), {});
        const QJsonObject row =
            QJsonDocument::fromJson(QByteArray::fromStdString(said)).array().at(0).toObject();
        if (i % 2 == 0) {
            EXPECT_EQ(row.value(QStringLiteral("concluded")).toBool(), code == cli::kExitOk)
                << said;
            if (code == cli::kExitOk)
                ++concluded;
            else
                EXPECT_TRUE(code == cli::kExitOtherStation || code == cli::kExitFailed) << said;
        } else {
            EXPECT_EQ(code, cli::kExitOk) << said;
            EXPECT_EQ(row.value(QStringLiteral("added")).toBool(), code == cli::kExitOk) << said;
            const int number = row.value(QStringLiteral("assignNumber")).toInt();
            if (code == cli::kExitOk) {
                EXPECT_TRUE(added.insert(number).second) << "number given twice: " << number;
                EXPECT_EQ(stored(number).NAME, "Script " + std::to_string(i));
            }
        }
    }
    const Assignment after = stored(3);
    int logged = 0;
    for (size_t at = after.LOG.find("Repeat Concluded"); at != std::string::npos;
         at = after.LOG.find("Repeat Concluded", at + 1))
        ++logged;
    EXPECT_EQ(after.DUEDATE - repeating.DUEDATE, logged);
    EXPECT_EQ(concluded, logged);
    EXPECT_GE(concluded, 1);
    EXPECT_EQ(assignmentCount(), before + static_cast<std::int64_t>(added.size()));
}

// ---- exports ---------------------------------------------------------------------

TEST_F(ScriptCommandsTest, OnlyAdministratorsExportTables) {
    fillWork();
    const std::string folder = m_dir.file("dbf");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(run({"export", "dbase", folder, "--user", "BEN"}, "ben-pw-1").code,
              cli::kExitRefused);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_EQ(
        run({"export", "csv", "ASSIGNMENT", m_dir.file("a.csv"), "--user", "BEN"}, "ben-pw-1").code,
        cli::kExitRefused);
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("a.csv")));

    const Outcome dbase = run({"export", "dbase", folder, "--user", "SUPERVISOR"}, "super-pw-1");
    EXPECT_EQ(dbase.code, cli::kExitOk) << dbase.err;
    EXPECT_NE(dbase.out.find("ASSIGNME.DBF: 7 rows"), std::string::npos);
    // A folder that does not exist yet is made (the refused user makes none).
    const std::string fresh = m_dir.file("new/dbf");
    EXPECT_EQ(run({"export", "dbase", fresh, "--user", "BEN"}, "ben-pw-1").code, cli::kExitRefused);
    EXPECT_FALSE(std::filesystem::exists(fresh));
    const Outcome made = run({"export", "dbase", fresh, "--user", "SUPERVISOR"}, "super-pw-1");
    EXPECT_EQ(made.code, cli::kExitOk) << made.err;
    EXPECT_TRUE(std::filesystem::exists(fresh + "/ASSIGNME.DBF"));
}

TEST_F(ScriptCommandsTest, CsvQuotesWhatNeedsQuotingAndLeavesPasswordsOut) {
    assign(1, "SUPERVISOR", "BEN", fromYmd(2026, 12, 8), 5).NAME = "Budget, \"final\" round";
    store();
    const std::string path = m_dir.file("assignments.csv");
    const Outcome r =
        run({"export", "csv", "assignment", path, "--user", "SUPERVISOR"}, "super-pw-1");
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(text.rfind("ASS:ASSIGNNUMBER,ASS:PERSONNUMBER,ASS:NAME,ASS:DUEDATE,", 0), 0u);
    EXPECT_NE(text.find("\r\n1,0,\"Budget, \"\"final\"\" round\",2026-12-08,BEN,SUPERVISOR,"),
              std::string::npos);
    EXPECT_EQ(text.find("GENERALMEMO"), std::string::npos);

    const std::string users = m_dir.file("users.csv");
    ASSERT_EQ(run({"export", "csv", "USERS", users, "--user", "SUPERVISOR"}, "super-pw-1").code,
              cli::kExitOk);
    std::ifstream usersFile(users, std::ios::binary);
    const std::string usersText((std::istreambuf_iterator<char>(usersFile)), {});
    EXPECT_EQ(usersText.find("PASSWORD"), std::string::npos);
    EXPECT_EQ(usersText.find("$argon2id$"), std::string::npos);
    EXPECT_EQ(run({"export", "csv", "NOSUCH", users, "--user", "SUPERVISOR"}, "super-pw-1").code,
              cli::kExitFailed);
}

TEST(TerminalText, FailuresInTerminalWords) {
    using store::Status;
    const std::pair<Status, std::string> cases[] = {
        {Status::engine(store::kEngineError, 13, "database or disk is full", store::kDiskFullText),
         "the disk is full"},
        {Status::error(store::kAccessDenied, "Access Denied: /srv/office/TKODATA.DB"),
         "no write access to /srv/office/TKODATA.DB"},
        {Status::error(store::kAccessDenied), "no write access to the data files"},
        {Status::error(store::kFileLocked),
         "the data files are in use by another station; try "
         "again later"},
        {Status::engine(store::kEngineError, 1, "near x: syntax error"),
         "File System Error (error 90)"},
    };
    for (const auto& [status, text] : cases) EXPECT_EQ(cli::terminalText(status), text);
    EXPECT_EQ(cli::fileProblemText(ENOSPC, "/x"), "the disk is full");
    EXPECT_EQ(cli::fileProblemText(EACCES, "/srv/out"), "no write access to /srv/out");
    EXPECT_EQ(cli::fileProblemText(EROFS, "/mnt/cd"), "no write access to /mnt/cd");
}

TEST(CsvField, TextsThatLookLikeNumbersOrFormulasAreGuarded) {
    const struct {
        const char* text;
        bool isText;
        const char* written;
    } cases[] = {
        {"0101010", true, "\"0101010\""},  // weekday flags stay text
        {"12.5", true, "\"12.5\""},
        {"1e5", true, "\"1e5\""},
        {"12", false, "12"},  // a number field is written as a number
        {"-3", false, "-3"},
        {"=SUM(A1:A9)", true, "\"'=SUM(A1:A9)\""},
        {"+49 30 1234", true, "\"'+49 30 1234\""},
        {"-5", true, "\"'-5\""},
        {"@cmd", true, "\"'@cmd\""},
        {"Budget 2026", true, "Budget 2026"},
        {"12 Main St", true, "12 Main St"},
        {"a,b", true, "\"a,b\""},
        {"two\r\nlines", true, "\"two\r\nlines\""},
        {"", true, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(csvField(c.text, c.isText), c.written) << c.text;
}

TEST_F(ScriptCommandsTest, TheCalendarHoldsTheLoggedInUsersOwnWork) {
    fillWork();
    const std::string path = m_dir.file("ben.ics");
    const Outcome r = run({"export", "ics", path, "--user", "BEN"}, "ben-pw-1");
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    // Open work given to BEN: 1, 4, 5, 7; not 6 (concluded) nor 2, 3 (others').
    for (int n : {1, 4, 5, 7})
        EXPECT_NE(text.find("UID:assignment-" + std::to_string(n) + "@"), std::string::npos);
    for (int n : {2, 3, 6})
        EXPECT_EQ(text.find("UID:assignment-" + std::to_string(n) + "@"), std::string::npos);
}

// ---- import ---------------------------------------------------------------------

// What an import made: the assignments numbered above `after`, in order.
std::vector<Assignment> importedAfter(Database& db, int after) {
    std::vector<Assignment> all;
    EXPECT_TRUE(db.readAll("ASS:NUMBER_KEY", store::all(), all).ok());
    std::vector<Assignment> out;
    for (const Assignment& a : all)
        if (a.ASSIGNNUMBER > after) out.push_back(a);
    return out;
}

// Each export read back by the import gives the same open assignments (the
// fields the format carries), given by the importing user with the form's
// "Created" line; concluded ones are left out and counted.
TEST_F(ScriptCommandsTest, ImportOfEachExportGivesTheSameAssignmentsBack) {
    fillWork();
    m_assignments.clear();
    assign(8, "SUPERVISOR", "BEN", fromYmd(2026, 1, 31), 6);
    assign(9, "SUPERVISOR", "BEN", fromYmd(2026, 2, 10), 2);
    assign(10, "SUPERVISOR", "BEN", fromYmd(2026, 3, 2), 3);
    Assignment &monthly = m_assignments[0], &weekday = m_assignments[1], &days = m_assignments[2];
    monthly.REPEATTYPE = "Months after Last Due";  // no exact RRULE from the 31st
    monthly.REPNUMBER = 2;
    monthly.GENERALMEMO = "Two lines,\r\nwith; marks";
    monthly.CONFMEMO = "never exported";
    weekday.REPEATTYPE = "Specific Weekday";  // 2nd Tuesday: exact
    weekday.WEEKINMONTH = "2nd";
    weekday.DAYNO = 2;
    weekday.WEEKDAY = "Tuesday";
    weekday.SECONDARY = 1;
    weekday.ASSIGNEECONCLUDE = 1;
    days.REPEATTYPE = "Set Weekdays";
    days.SETDAYREPT = {0, 1, 0, 1, 0, 0, 0};
    days.NAME = "=HYPERLINK(x)";
    store();
    // Mail notices are on; ANNA wants none of new work.
    MailSetup mail;
    mail.HOST = "mail.example";
    ASSERT_TRUE(m_db->add(mail).ok());
    NoticePref quiet = defaultNoticePref("ANNA");
    quiet.NEWWORK = 0;
    ASSERT_TRUE(m_db->add(quiet).ok());
    std::set<std::int32_t> noticesDue;  // the copies the form's save would tell of
    struct Case {
        const char* format;
        const char* user;
        const char* password;
        bool memos, flags, person;  // what the format carries
    };
    for (const Case& c : {Case{"ics", "BEN", "ben-pw-1", true, false, false},
                          Case{"csv", "SUPERVISOR", "super-pw-1", false, true, true}}) {
        SCOPED_TRACE(c.format);
        const std::string path = m_dir.file(std::string("out.") + c.format);
        std::vector<std::string> exportWords{"export", c.format};
        if (std::string(c.format) == "csv") exportWords.push_back("ASSIGNMENT");
        exportWords.insert(exportWords.end(), {path, "--user", c.user});
        ASSERT_EQ(run(exportWords, c.password).code, cli::kExitOk);
        const std::int64_t before = assignmentCount();
        const Outcome r = run({"import", c.format, path, "--user", c.user, "--json"}, c.password);
        ASSERT_EQ(r.code, cli::kExitOk) << r.err << r.out;
        const QJsonObject report =
            QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
        // The originals the export held: BEN's open ones, or every open one.
        std::vector<Assignment> originals;
        for (const Assignment& a : importedAfter(*m_db, 0))
            if (a.ASSIGNNUMBER <= before && a.CLOSEDATE == 0 &&
                (c.person || store::rtrim(a.PERSON) == "BEN"))
                originals.push_back(a);
        std::vector<Assignment> copies = importedAfter(*m_db, int(before));
        ASSERT_EQ(copies.size(), originals.size());
        // The export's order is its own: matched by name (each is unique here).
        auto byName = [](const Assignment& x, const Assignment& y) { return x.NAME < y.NAME; };
        std::sort(originals.begin(), originals.end(), byName);
        std::sort(copies.begin(), copies.end(), byName);
        EXPECT_EQ(report.value(QStringLiteral("created")).toArray().size(),
                  qsizetype(originals.size()));
        EXPECT_EQ(report.value(QStringLiteral("concluded")).toInt(), c.person ? 1 : 0);
        for (size_t i = 0; i < copies.size(); ++i) {
            const Assignment &o = originals[i], &a = copies[i];
            SCOPED_TRACE(o.NAME);
            EXPECT_EQ(a.NAME, o.NAME);
            EXPECT_EQ(a.DUEDATE, o.DUEDATE);
            EXPECT_EQ(a.PRIORITY, o.PRIORITY);
            EXPECT_EQ(store::rtrim(a.PERSON), c.person ? store::rtrim(o.PERSON) : "BEN");
            EXPECT_EQ(store::rtrim(a.REPEATTYPE), store::rtrim(o.REPEATTYPE));
            EXPECT_EQ(a.REPNUMBER, o.REPNUMBER);
            EXPECT_EQ(a.SETDAYREPT, o.SETDAYREPT);
            EXPECT_EQ(store::rtrim(a.WEEKINMONTH), store::rtrim(o.WEEKINMONTH));
            EXPECT_EQ(a.DAYNO, o.DAYNO);
            if (c.memos) {
                EXPECT_EQ(a.GENERALMEMO, o.GENERALMEMO);
            }
            EXPECT_TRUE(a.CONFMEMO.empty());
            if (c.flags) {
                EXPECT_EQ(a.SECONDARY, o.SECONDARY);
                EXPECT_EQ(a.ASSIGNEECONCLUDE, o.ASSIGNEECONCLUDE);
            }
            EXPECT_EQ(store::rtrim(a.USERNAME), c.user);
            EXPECT_EQ(a.LOG.rfind("Created", 0), 0u);
            if (store::rtrim(a.PERSON) == "BEN" && std::string(c.user) != "BEN")
                noticesDue.insert(a.ASSIGNNUMBER);
        }
    }
    // New work for a user other than the importer, as the form tells of it:
    // only BEN's copies from SUPERVISOR's import (not his own, not ANNA's).
    std::vector<Outbox> outbox;
    ASSERT_TRUE(m_db->readAll("", store::all(), outbox).ok());
    std::set<std::int32_t> noticed;
    for (const Outbox& o : outbox) {
        EXPECT_EQ(store::rtrim(o.RECIPIENT), "BEN");
        EXPECT_EQ(o.KIND, static_cast<int>(NoticeKind::NewWork));
        EXPECT_EQ(store::rtrim(o.CREATEDBY), "SUPERVISOR");
        noticed.insert(o.ASSIGNNUMBER);
    }
    EXPECT_EQ(outbox.size(), noticed.size());
    EXPECT_FALSE(noticesDue.empty());
    EXPECT_EQ(noticed, noticesDue);
    // BEN's alarmed reminder on assignment 1 came back on his copy of it.
    std::vector<Reminder> reminders;
    ASSERT_TRUE(m_db->readAll("REM:ASSIGNNUMBER_KEY", store::all(), reminders).ok());
    EXPECT_TRUE(std::any_of(reminders.begin(), reminders.end(), [](const Reminder& r) {
        return r.ASSIGNNUMBER > 10 && store::rtrim(r.NOTE) == "Call the bank" &&
               r.DATE == kToday - 2 && store::rtrim(r.USER) == "BEN";
    }));
}

// Every task is checked as the form checks it; a refused one is reported
// with its reason and nothing of it is written; the others are imported.
TEST_F(ScriptCommandsTest, ImportRefusesWhatTheFormWouldAndSaysWhy) {
    struct Case {
        std::string row;     // after the header "Title,Due,Prio,Who"
        std::string reason;  // a piece of the refusal; empty: created
    };
    const std::vector<Case> cases{
        {"Fine,2026-05-01,3,PLUMBER", ""},
        {"Own default,,,", ""},
        {"Secret's,2026-05-01,3,SECRET", "not authorized"},  // ANNA's Private person
        {"Anna's,2026-05-01,3,ANNA", "not authorized"},      // not on BEN's assign list
        {"Nobody,2026-05-01,3,NOBODY", "not authorized"},
        {"Too high,2026-05-01,12,PLUMBER", "1 to 9"},
        {"Bad date,2026-02-30,3,PLUMBER", "not a date"},
        {",2026-05-01,3,PLUMBER", "needs a name"},
        {"\"Bidi\u202e\",2026-05-01,3,PLUMBER", "U+202E"},
        {std::string(60, 'L') + ",2026-05-01,3,PLUMBER", ""},  // kept whole in the comments
    };
    std::string csv = "Title,Due,Prio,Who\r\n";
    for (const Case& c : cases) csv += c.row + "\r\n";
    const std::string path = m_dir.file("tasks.csv");
    std::ofstream(path, std::ios::binary) << csv;
    const Outcome preview = run({"import", "csv", path, "--user", "BEN", "--map",
                                 "name=Title,due=Due,priority=Prio,person=Who", "--preview"},
                                "ben-pw-1");
    EXPECT_EQ(preview.code, cli::kExitSomeRefused);
    EXPECT_NE(preview.out.find("Would create 3 assignments; refused 7"), std::string::npos)
        << preview.out;
    EXPECT_EQ(assignmentCount(), 0);  // a preview writes nothing

    const Outcome r = run({"import", "csv", path, "--user", "BEN", "--map",
                           "name=Title,due=Due,priority=Prio,person=Who", "--batch", "2", "--json"},
                          "ben-pw-1");
    EXPECT_EQ(r.code, cli::kExitSomeRefused) << r.err;
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    std::map<int, std::string> refused;
    for (const QJsonValue& v : report.value(QStringLiteral("refused")).toArray())
        refused[v.toObject().value(QStringLiteral("source")).toInt()] =
            v.toObject().value(QStringLiteral("note")).toString().toStdString();
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].row);
        const int source = int(i) + 1;
        if (cases[i].reason.empty())
            EXPECT_EQ(refused.count(source), 0u);
        else
            EXPECT_NE(refused[source].find(cases[i].reason), std::string::npos) << refused[source];
    }
    ASSERT_EQ(assignmentCount(), 3);
    EXPECT_EQ(stored(1).PERSON, "PLUMBER");
    EXPECT_EQ(store::rtrim(stored(2).PERSON), "BEN");  // no person: the user himself
    EXPECT_EQ(stored(2).PRIORITY, 9);                  // and his preferred priority
    EXPECT_EQ(stored(2).DUEDATE, kToday);
    EXPECT_EQ(stored(3).NAME, std::string(50, 'L'));
    EXPECT_EQ(stored(3).GENERALMEMO, std::string(60, 'L'));

    // Mistakes in the command's words or the file as a whole write nothing.
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"import", "csv", path, "--user", "BEN", "--map", "colour=Who"},
          {"import", "csv", path, "--user", "BEN", "--map", "name=Missing"},
          {"import", "xml", path, "--user", "BEN"},
          {"import", "ics", path, "--user", "BEN"},
          {"import", "taskwarrior", path, "--user", "BEN"},
          {"import", "csv", m_dir.file("none.csv"), "--user", "BEN"}})
        EXPECT_EQ(run(words, "ben-pw-1").code, cli::kExitUsage) << words[1] << " " << words.back();
    EXPECT_EQ(assignmentCount(), 3);
}

// A batch the store refuses half-way is undone whole, its reminders and
// assignments alike; the batches before it stay, and the connection is left
// outside any transaction.
TEST_F(ScriptCommandsTest, AFailedImportBatchIsUndoneAloneAndEarlierOnesStay) {
    Status status;
    auto failing =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    ASSERT_TRUE(status.ok()) << status.describe();
    failing->failAdds(label::REMINDER, 1, store::kEngineError);
    Database station(std::move(failing));
    std::vector<sync::ImportItem> items(5);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].source = static_cast<int>(i) + 1;
        items[i].name = "Batch task " + std::to_string(i);
        if (i == 3) items[i].alarms.push_back({kToday + 1, "Ring"});  // in the second batch
    }
    sync::ImportOptions options;
    options.batchSize = 2;
    const sync::ImportReport report = sync::importAssignments(station, sessionOf("BEN", 0), items,
                                                              options, kToday, 9 * kTicksPerHour);
    EXPECT_TRUE(report.failed);
    ASSERT_EQ(report.created.size(), 2u);
    EXPECT_EQ(report.created.back().number, 2);
    EXPECT_EQ(station.engine().transactionDepth(), 0);
    EXPECT_EQ(assignmentCount(), 2);
    EXPECT_EQ(stored(2).NAME, "Batch task 1");
    std::int64_t reminders = 0;
    ASSERT_TRUE(m_db->count<Reminder>(store::all(), reminders).ok());
    EXPECT_EQ(reminders, 0);
}

// Taskwarrior's export: priorities, UTC due times, recurrence periods,
// annotations, and finished tasks and occurrences left out.
TEST_F(ScriptCommandsTest, ImportReadsTaskwarriorsExport) {
    const std::string json = R"([
{"uuid":"a","description":"Pay rent","status":"recurring","recur":"monthly","due":"20260201T120000Z","priority":"H"},
{"uuid":"b","description":"Pay rent","status":"pending","parent":"a","due":"20260201T120000Z"},
{"uuid":"c","description":"Read book","status":"pending","priority":"L","project":"home","tags":["x","y"],
 "annotations":[{"entry":"20260101T000000Z","description":"chapter 3"}]},
{"uuid":"d","description":"Old","status":"completed"},
{"uuid":"e","description":"Gone","status":"deleted"},
{"uuid":"f","description":"Every 3 weeks","status":"recurring","recur":"3wks","priority":"M"},
{"uuid":"g","description":"Odd","status":"pending","recur":"every full moon"}
])";
    const std::string path = m_dir.file("tw.json");
    std::ofstream(path, std::ios::binary) << json;
    const Outcome r = run({"import", "taskwarrior", path, "--user", "BEN"}, "ben-pw-1");
    EXPECT_EQ(r.code, cli::kExitSomeRefused) << r.err;  // the occurrence "b"
    EXPECT_NE(r.out.find("left out 2 concluded"), std::string::npos) << r.out;
    ASSERT_EQ(assignmentCount(), 4);
    const Assignment rent = stored(1), book = stored(2), weeks = stored(3), odd = stored(4);
    EXPECT_EQ(rent.PRIORITY, 1);
    EXPECT_EQ(rent.DUEDATE, fromYmd(2026, 2, 1));
    EXPECT_EQ(store::rtrim(rent.REPEATTYPE), "Months after Last Due");
    EXPECT_EQ(rent.REPNUMBER, 1);
    EXPECT_EQ(book.PRIORITY, 9);
    EXPECT_EQ(book.GENERALMEMO, "chapter 3\r\nProject: home\r\nTags: x, y");
    EXPECT_EQ(weeks.PRIORITY, 5);
    EXPECT_EQ(store::rtrim(weeks.REPEATTYPE), "Weeks after Last Due");
    EXPECT_EQ(weeks.REPNUMBER, 3);
    EXPECT_EQ(store::rtrim(odd.REPEATTYPE), "No Repeats");
    EXPECT_NE(odd.GENERALMEMO.find("every full moon"), std::string::npos);
}

// ---- calendar sync -------------------------------------------------------------

// A Radicale server of the test's own on a free local port, without
// authentication, its collections in a temporary folder.
class CalDavServer {
public:
    explicit CalDavServer(const std::string& folder) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
        m_port = ntohs(address.sin_port);
        close(fd);
        const std::string config = folder + "/radicale.conf";
        std::ofstream(config) << "[server]\nhosts = 127.0.0.1:" << m_port
                              << "\n[auth]\ntype = none\n[rights]\ntype = authenticated\n"
                              << "[storage]\nfilesystem_folder = " << folder << "/collections\n"
                              << "[logging]\nlevel = warning\n";
        m_process.start(QStringLiteral(TKO_SYSTEM_PYTHON),
                        {QStringLiteral("-m"), QStringLiteral("radicale"),
                         QStringLiteral("--config"), QString::fromStdString(config)});
    }
    ~CalDavServer() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    std::string url(const std::string& user) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + "/" + user + "/tasks/";
    }

private:
    int m_port = 0;
    QProcess m_process;
};

// The phone: caldav_phone.py with python3-caldav; its standard output.
std::string phone(const QStringList& words) {
    QProcess python;
    python.start(QStringLiteral(TKO_SYSTEM_PYTHON),
                 QStringList{QStringLiteral(TKO_PHONE_SCRIPT)} + words);
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return python.readAllStandardOutput().toStdString();
}

QJsonObject phoneList(const std::string& url) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(phone(
                                       {QStringLiteral("list"), QString::fromStdString(url)})))
        .object();
}

// A user's open work appears on his calendar server and nobody else's; what
// the phone ticks off is concluded here by the conclusion's rules (a
// repeating one moves on, and the phone shows the new date); a due date
// changed on both sides keeps the phone's.
TEST_F(ScriptCommandsTest, CalDavSyncWithAPhone) {
    fillWork();
    assign(8, "SUPERVISOR", "BEN", kToday, 5).REPEATTYPE = "Weeks after Last Due";
    m_assignments.back().REPNUMBER = 1;
    m_assignments.back().ASSIGNEECONCLUDE = 1;
    ASSERT_TRUE(m_db->add(m_assignments.back()).ok());
    Assignment one = stored(1);
    one.ASSIGNEECONCLUDE = 1;  // BEN may conclude 1, not 4
    ASSERT_TRUE(m_db->change(one).ok());
    CalDavServer server(m_dir.path());
    const std::string ben = server.url("BEN"), anna = server.url("ANNA");
    phone({QStringLiteral("make"), QString::fromStdString(ben)});
    phone({QStringLiteral("make"), QString::fromStdString(anna)});
    auto sync = [&](const char* user, const char* password, const std::string& url) {
        std::vector<std::string> words{"sync", "caldav", "--user", user};
        if (!url.empty()) words.insert(words.end(), {"--url", url});
        const Outcome r = run(words, password);
        EXPECT_EQ(r.code, cli::kExitOk) << r.err << r.out;
        return r;
    };
    // The command line keeps the window's rules for the address.
    const Outcome refused =
        run({"sync", "caldav", "--user", "BEN", "--url", "ftp://127.0.0.1/ben/"}, "ben-pw-1");
    EXPECT_EQ(refused.code, cli::kExitUsage) << refused.err;
    EXPECT_NE(refused.err.find("http"), std::string::npos) << refused.err;
    sync("BEN", "ben-pw-1", ben);
    sync("ANNA", "anna-pw-1", anna);
    auto uids = [](const QJsonObject& list) {
        std::set<int> out;
        for (const QString& uid : list.keys())
            out.insert(uid.section(QLatin1Char('-'), 1).section(QLatin1Char('@'), 0, 0).toInt());
        return out;
    };
    // BEN's open work only; ANNA's only hers (not BEN's, not the concluded 6).
    EXPECT_EQ(uids(phoneList(ben)), (std::set<int>{1, 4, 5, 7, 8}));
    EXPECT_EQ(uids(phoneList(anna)), (std::set<int>{3}));

    for (const char* uid :
         {"assignment-1@taskorbit", "assignment-4@taskorbit", "assignment-8@taskorbit"})
        phone({QStringLiteral("complete"), QString::fromStdString(ben), QLatin1String(uid)});
    // Due date 7 moved on both sides: the phone's wins.
    Assignment seven = stored(7);
    seven.DUEDATE = kToday + 10;
    ASSERT_TRUE(m_db->change(seven).ok());
    phone({QStringLiteral("due"), QString::fromStdString(ben),
           QStringLiteral("assignment-7@taskorbit"), QString::fromStdString(toIso(kToday + 20))});
    const Outcome second = sync("BEN", "ben-pw-1", "");  // the stored account
    EXPECT_NE(second.out.find("may not be concluded"), std::string::npos) << second.out;

    EXPECT_EQ(stored(1).CLOSEDATE, kToday);
    EXPECT_NE(stored(1).LOG.find("Concluded"), std::string::npos);
    EXPECT_EQ(stored(4).CLOSEDATE, 0);  // no right to conclude it
    EXPECT_EQ(stored(8).CLOSEDATE, 0);
    EXPECT_EQ(stored(8).DUEDATE, kToday + 7);
    EXPECT_EQ(stored(7).DUEDATE, kToday + 20);
    EXPECT_EQ(stored(7).PREVDUE, kToday + 10);
    const QJsonObject after = phoneList(ben);
    const QJsonObject repeating = after.value(QStringLiteral("assignment-8@taskorbit")).toObject();
    EXPECT_EQ(repeating.value(QStringLiteral("due")).toString().toStdString(), toIso(kToday + 7));
    EXPECT_EQ(repeating.value(QStringLiteral("status")).toString(), QStringLiteral("NEEDS-ACTION"));
    EXPECT_FALSE(after.contains(QStringLiteral("assignment-1@taskorbit")));  // closed: removed

    // A to-do deleted on the phone: the assignment stays open here and is
    // not written to the phone again, not even when the office changes it;
    // the report says so once.
    phone({QStringLiteral("delete"), QString::fromStdString(ben),
           QStringLiteral("assignment-5@taskorbit")});
    const Outcome third = sync("BEN", "ben-pw-1", "");
    EXPECT_NE(third.out.find("\"Task 5\" was deleted on the calendar"), std::string::npos)
        << third.out;
    Assignment five = stored(5);
    EXPECT_EQ(five.CLOSEDATE, 0);
    five.DUEDATE = kToday + 30;
    ASSERT_TRUE(m_db->change(five).ok());
    const Outcome fourth = sync("BEN", "ben-pw-1", "");
    EXPECT_EQ(fourth.out.find("was deleted on the calendar"), std::string::npos) << fourth.out;
    EXPECT_NE(fourth.out.find("1 kept off the calendar"), std::string::npos) << fourth.out;
    EXPECT_EQ(uids(phoneList(ben)), (std::set<int>{4, 7, 8}));
    EXPECT_EQ(stored(5).CLOSEDATE, 0);

    // "And the work I give": BEN's open work for PLUMBER joins his calendar,
    // and leaves it when he no longer wants it there.
    for (const bool gives : {true, false}) {
        sync::CalDavSettings settings;
        ASSERT_TRUE(sync::readCalDavSettings(*m_db, "BEN", settings).ok());
        settings.gives = gives;
        std::string refusal;
        ASSERT_TRUE(sync::storeCalDavSettings(*m_db, "BEN", settings, std::nullopt, refusal).ok())
            << refusal;
        sync("BEN", "ben-pw-1", "");
        const std::set<int> expected = gives ? std::set<int>{2, 4, 7, 8} : std::set<int>{4, 7, 8};
        EXPECT_EQ(uids(phoneList(ben)), expected);
    }
}

// What User Preferences stores of a calendar account: the password only as
// typed (kept, cleared or replaced, never shown), the choice of the work the
// user gives, and clear refusals that write nothing.
TEST_F(ScriptCommandsTest, CalDavSettingsKeepThePasswordSealedAndRefuseBadInput) {
    struct Case {
        const char* what;
        std::string url, login;
        bool gives;
        std::optional<std::string> password;
        const char* refusal;        // a piece of it; nullptr: stored
        const char* passwordAfter;  // the password the sync then uses
    };
    const std::vector<Case> cases{
        {"first account", "https://dav.example/ben/tasks/", "ben", false, "s3cret", nullptr,
         "s3cret"},
        {"password kept", "https://dav.example/ben/todo/", "benny", true, std::nullopt, nullptr,
         "s3cret"},
        {"password replaced", "http://127.0.0.1:5232/ben/", "ben", true, "n3w", nullptr, "n3w"},
        {"password cleared", "http://127.0.0.1:5232/ben/", "ben", false, "", nullptr, ""},
        {"no web address", "ftp://dav.example/ben/", "ben", true, "x", "http://", ""},
        {"no address at all", "tasks", "ben", true, "x", "http://", ""},
        {"address too long", "https://dav.example/" + std::string(240, 'a'), "ben", true, "x",
         "250", ""},
        {"user name too long", "https://dav.example/", std::string(65, 'b'), true, "x", "64", ""},
        {"password too long", "https://dav.example/", "ben", true, std::string(200, 'p'),
         "too long", ""},
    };
    sync::CalDavAccount last;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sync::CalDavSettings settings{c.url, c.login, c.gives, false};
        std::string refusal;
        const Status s = sync::storeCalDavSettings(*m_db, "BEN", settings, c.password, refusal);
        sync::CalDavAccount account;
        ASSERT_TRUE(sync::loadCalDavAccount(*m_db, "BEN", account).ok());
        sync::CalDavSettings shown;
        ASSERT_TRUE(sync::readCalDavSettings(*m_db, "BEN", shown).ok());
        if (c.refusal) {
            EXPECT_EQ(s.code, store::kInvalidArgument);
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
            EXPECT_EQ(account.url, last.url);  // nothing written
            EXPECT_EQ(account.password, last.password);
            EXPECT_EQ(account.gives, last.gives);
            continue;
        }
        ASSERT_TRUE(s.ok()) << refusal << s.describe();
        EXPECT_EQ(account.url, c.url);
        EXPECT_EQ(account.login, c.login);
        EXPECT_EQ(account.gives, c.gives);
        EXPECT_EQ(account.password, c.passwordAfter);
        EXPECT_EQ(shown.passwordStored, std::string(c.passwordAfter) != "");
        EXPECT_EQ(shown.url, c.url);
        last = account;
    }
    // Another user's account is his own; a blank address ends the sync.
    sync::CalDavSettings anna;
    ASSERT_TRUE(sync::readCalDavSettings(*m_db, "ANNA", anna).ok());
    EXPECT_TRUE(anna.url.empty());
    std::string refusal;
    ASSERT_TRUE(sync::storeCalDavSettings(*m_db, "BEN", {}, std::nullopt, refusal).ok());
    sync::CalDavAccount none;
    EXPECT_EQ(sync::loadCalDavAccount(*m_db, "BEN", none).code, store::kRecordNotFound);
}

}  // namespace
}  // namespace tko
