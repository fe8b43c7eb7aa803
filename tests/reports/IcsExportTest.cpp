// The iCalendar export parsed by an independent parser: which assignments
// become to-dos, their properties and alarms, and every RRULE expanded over a
// year against the program's own next due dates.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimeZone>

#include <fstream>
#include <sstream>

#include "assign/Repetition.h"
#include "reports/IcsExport.h"
#include "support/TestStore.h"
#include "sync/Vtodo.h"

namespace tko {
namespace {

std::string iso(Date date) {
    const Ymd d = toYmd(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

Session sessionOf(const std::string& user) {
    Session s;
    s.GlobalUser = user;
    return s;
}

class IcsExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = test::openStation(test::freshSource(m_dir));
        ASSERT_TRUE(m_db);
    }

    Assignment& add(const std::string& name, Date due, const std::string& type, int n = 0) {
        Assignment a;
        a.ASSIGNNUMBER = static_cast<std::int32_t>(m_added.size() + 1);
        a.NAME = name;
        a.PERSON = "BEN";
        a.USERNAME = "SUPERVISOR";
        a.DUEDATE = due;
        a.PRIORITY = 4;
        a.REPEATTYPE = type;
        a.REPNUMBER = static_cast<std::int16_t>(n);
        m_added.push_back(a);
        return m_added.back();
    }

    void store() {
        for (Assignment& a : m_added) ASSERT_TRUE(m_db->add(a).ok());
    }

    // The calendar through the independent parser.
    QJsonObject parsed() {
        std::string calendar;
        const IcsExportResult result =
            buildIcsCalendar(*m_db, sessionOf("BEN"), QDateTime::currentDateTimeUtc(), calendar);
        EXPECT_TRUE(result.ok) << result.message;
        m_text = calendar;
        const std::string path = m_dir.file("ben.ics");
        std::ofstream(path, std::ios::binary) << calendar;
        QProcess python;
        python.start(QStringLiteral(TKO_SYSTEM_PYTHON),
                     {QStringLiteral(TKO_TEST_SOURCE_DIR "/reports/read_ics.py"),
                      QString::fromStdString(path)});
        EXPECT_TRUE(python.waitForFinished(60000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    }

    static QJsonObject todo(const QJsonObject& calendar, int number) {
        return calendar.value(QStringLiteral("todos"))
            .toObject()
            .value(QStringLiteral("assignment-%1@taskorbit").arg(number))
            .toObject();
    }

    // The program's own series: the due date, then NextDueDate again and
    // again, for a year.
    static std::vector<std::string> programSeries(Assignment a) {
        std::vector<std::string> dates;
        const Date end = a.DUEDATE + 366;
        while (a.DUEDATE <= end && dates.size() < 400) {
            dates.push_back(iso(a.DUEDATE));
            const Date next = NextDueDate(a, a.DUEDATE);
            if (next <= a.DUEDATE) break;
            a.DUEDATE = next;
        }
        return dates;
    }

    static std::vector<std::string> strings(const QJsonValue& value) {
        std::vector<std::string> out;
        for (const QJsonValue& v : value.toArray()) out.push_back(v.toString().toStdString());
        return out;
    }

    test::TempDir m_dir;
    std::unique_ptr<Database> m_db;
    std::vector<Assignment> m_added;
    std::string m_text;
    int m_reminders = 0;
};

TEST_F(IcsExportTest, ExpressibleRulesRepeatOnTheProgramsOwnDatesForAYear) {
    add("Every three days", fromYmd(2026, 3, 5), repeat::DaysAfterLastDue, 3);
    add("Fortnightly", fromYmd(2026, 3, 5), repeat::WeeksAfterLastDue, 2);
    add("Monthly from the 31st", fromYmd(2027, 1, 31), repeat::MonthsAfterLastDue, 1);
    add("Monthly from the 30th", fromYmd(2027, 1, 30), repeat::MonthsAfterLastDue, 1);
    add("Monthly from the 29th, leap year", fromYmd(2028, 1, 29), repeat::MonthsAfterLastDue, 1);
    add("Quarterly from the 15th", fromYmd(2026, 11, 15), repeat::MonthsAfterLastDue, 3);
    Assignment& second = add("Second Tuesday", fromYmd(2026, 12, 8), repeat::SpecificWeekday);
    second.WEEKINMONTH = "2nd";
    second.DAYNO = 2;
    Assignment& last = add("Last Friday", fromYmd(2026, 7, 31), repeat::SpecificWeekday);
    last.WEEKINMONTH = "Last";
    last.DAYNO = 5;
    Assignment& first = add("First Sunday", fromYmd(2026, 2, 1), repeat::SpecificWeekday);
    first.WEEKINMONTH = "1st";
    first.DAYNO = 0;
    Assignment& days = add("Mon Wed Fri", fromYmd(2026, 12, 9), repeat::SetWeekdays);
    days.SETDAYREPT = {0, 1, 0, 1, 0, 1, 0};
    add("No weekday set", fromYmd(2026, 12, 9), repeat::SetWeekdays);
    store();

    const QJsonObject calendar = parsed();
    for (const Assignment& a : m_added) {
        SCOPED_TRACE(a.NAME);
        const QJsonObject t = todo(calendar, a.ASSIGNNUMBER);
        ASSERT_FALSE(t.isEmpty());
        ASSERT_FALSE(t.value(QStringLiteral("rrule")).isNull());
        EXPECT_EQ(strings(t.value(QStringLiteral("occurrences"))), programSeries(a));
    }
    EXPECT_EQ(todo(calendar, 7).value(QStringLiteral("rrule")).toString(),
              QStringLiteral("FREQ=MONTHLY;BYDAY=2TU"));
    EXPECT_EQ(todo(calendar, 8).value(QStringLiteral("rrule")).toString(),
              QStringLiteral("FREQ=MONTHLY;BYDAY=-1FR"));
}

TEST_F(IcsExportTest, RulesWithoutAnExactFormAreDescribedInstead) {
    add("Two-monthly from the 31st", fromYmd(2026, 12, 31), repeat::MonthsAfterLastDue, 2);
    add("After conclusion", fromYmd(2026, 12, 8), repeat::DaysAfterConcluded, 10);
    Assignment& off =
        add("Second Tuesday, due off the rule", fromYmd(2026, 12, 3), repeat::SpecificWeekday);
    off.WEEKINMONTH = "2nd";
    off.WEEKDAY = "Tuesday";
    off.DAYNO = 2;
    Assignment& days = add("Mondays, due on a Sunday", fromYmd(2026, 12, 6), repeat::SetWeekdays);
    days.SETDAYREPT = {0, 1, 0, 0, 0, 0, 0};
    days.GENERALMEMO = "Check the meters";
    store();

    const QJsonObject calendar = parsed();
    for (const Assignment& a : m_added) {
        SCOPED_TRACE(a.NAME);
        const QJsonObject t = todo(calendar, a.ASSIGNNUMBER);
        ASSERT_FALSE(t.isEmpty());
        EXPECT_TRUE(t.value(QStringLiteral("rrule")).isNull());
        const RepeatLine line = RepeatDescription(a);
        ASSERT_EQ(line.kind, RepeatLine::Text);
        EXPECT_TRUE(t.value(QStringLiteral("description"))
                        .toString()
                        .endsWith(QString::fromStdString(line.text)));
    }
    EXPECT_EQ(todo(calendar, 4).value(QStringLiteral("description")).toString(),
              QStringLiteral("Check the meters\nSet Weekdays"));
}

TEST_F(IcsExportTest, OnlyTheUsersOpenAssignmentsWithTheirPropertiesAndAlarms) {
    Assignment& mine = add("Budget, draft; \"final\"", fromYmd(2026, 12, 8), repeat::NoRepeats);
    mine.PRIORITY = 1;
    // A long comment with line breaks and non-ASCII text, folded on output.
    mine.GENERALMEMO = "Ask Zoë about the figures.\r\nThen: " + std::string(120, 'x');
    Assignment& closed = add("Closed", fromYmd(2026, 12, 1), repeat::NoRepeats);
    closed.CLOSEDATE = fromYmd(2026, 12, 2);
    Assignment& others = add("Somebody else's", fromYmd(2026, 12, 1), repeat::NoRepeats);
    others.PERSON = "ANNA";
    // A person spelt like the user in another letter case is somebody else.
    add("For a private ben", fromYmd(2026, 12, 1), repeat::NoRepeats).PERSON = "ben";
    store();
    auto reminder = [&](Date date, const std::string& note, int alarm, const std::string& user) {
        Reminder r;
        r.DATE = date;
        r.NOTE = note;
        r.ASSIGNNUMBER = 1;
        r.PERSON = "BEN";
        r.ALARMFLAG = static_cast<std::uint8_t>(alarm);
        r.USER = user;
        r.REMINDNUMBER = static_cast<std::int32_t>(++m_reminders);
        ASSERT_TRUE(m_db->add(r).ok());
    };
    reminder(fromYmd(2026, 12, 1), "Gather receipts", 1, "BEN");
    reminder(fromYmd(2026, 12, 2), "Silent one", 0, "BEN");
    reminder(fromYmd(2026, 12, 3), "Not BEN's", 1, "ANNA");
    reminder(fromYmd(2026, 12, 4), "Ben's, not BEN's", 1, "Ben");

    const QJsonObject calendar = parsed();
    EXPECT_EQ(calendar.value(QStringLiteral("version")).toString(), QStringLiteral("2.0"));
    const QJsonObject todos = calendar.value(QStringLiteral("todos")).toObject();
    ASSERT_EQ(todos.size(), 1);
    const QJsonObject t = todo(calendar, 1);
    EXPECT_EQ(t.value(QStringLiteral("summary")).toString(),
              QStringLiteral("Budget, draft; \"final\""));
    // Due as the due day ends, started as it begins: DUE after DTSTART.
    EXPECT_EQ(t.value(QStringLiteral("dtstart")).toString(), QStringLiteral("20261208T000000"));
    EXPECT_EQ(t.value(QStringLiteral("due")).toString(), QStringLiteral("20261208T235900"));
    EXPECT_EQ(t.value(QStringLiteral("priority")).toInt(), 1);
    EXPECT_EQ(t.value(QStringLiteral("status")).toString(), QStringLiteral("NEEDS-ACTION"));
    EXPECT_EQ(t.value(QStringLiteral("description")).toString().toStdString(),
              "Ask Zoë about the figures.\nThen: " + std::string(120, 'x'));
    const QJsonArray alarms = t.value(QStringLiteral("alarms")).toArray();
    ASSERT_EQ(alarms.size(), 1);
    const QJsonObject alarm = alarms.at(0).toObject();
    EXPECT_EQ(alarm.value(QStringLiteral("action")).toString(), QStringLiteral("DISPLAY"));
    EXPECT_EQ(alarm.value(QStringLiteral("description")).toString(),
              QStringLiteral("Gather receipts"));
    const QDateTime ring(QDate(2026, 12, 1), QTime(9, 0), QTimeZone::systemTimeZone());
    EXPECT_EQ(alarm.value(QStringLiteral("trigger")).toString(),
              ring.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));

    // Lines end in CRLF and hold at most 75 octets.
    std::istringstream lines(m_text);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        EXPECT_LE(line.size() - 1, 75u) << line;
        ++count;
    }
    EXPECT_GT(count, 10);
}

TEST_F(IcsExportTest, AFileThatCannotBeWrittenIsReported) {
    add("One", fromYmd(2026, 12, 8), repeat::NoRepeats);
    store();
    const IcsExportResult result =
        exportIcs(*m_db, sessionOf("BEN"), m_dir.file("no-such-folder/ben.ics"));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("cannot be written"), std::string::npos);
    const IcsExportResult written = exportIcs(*m_db, sessionOf("BEN"), m_dir.file("ben.ics"));
    EXPECT_TRUE(written.ok);
    EXPECT_EQ(written.todos, 1);
}

// The sync's VTODO written with libical and read back: what an assignment
// shows on a calendar server comes back as it was, the general comments
// only, the rule exact (RRULE only where the export finds one).
TEST_F(IcsExportTest, SyncTodosReadBackAsTheAssignmentWasWritten) {
    add("Plain", fromYmd(2026, 12, 8), repeat::NoRepeats).PRIORITY = 1;
    add("Fortnightly", fromYmd(2026, 3, 5), repeat::WeeksAfterLastDue, 2);
    add("Two-monthly from the 31st", fromYmd(2026, 12, 31), repeat::MonthsAfterLastDue, 2);
    add("After conclusion", fromYmd(2026, 12, 8), repeat::DaysAfterConcluded, 10);
    add("Last Friday", fromYmd(2026, 7, 31), repeat::SpecificWeekday);
    add("Mon Wed Fri", fromYmd(2026, 12, 9), repeat::SetWeekdays);
    add("Done, with secrets", fromYmd(2026, 12, 1), repeat::NoRepeats);
    m_added[4].WEEKINMONTH = "Last";
    m_added[4].DAYNO = 5;
    m_added[5].SETDAYREPT = {0, 1, 0, 1, 0, 1, 0};
    Assignment& done = m_added[6];
    done.CLOSEDATE = fromYmd(2026, 12, 2);
    done.GENERALMEMO = "Shown,\r\nto all; \"quoted\"";
    done.CONFMEMO = "confidential words";
    done.ASSIGNMEMO = "assignee words";
    Reminder alarm;
    alarm.DATE = fromYmd(2026, 11, 30);
    alarm.NOTE = "Ring, ring";
    alarm.ALARMFLAG = 1;
    Reminder silent = alarm;
    silent.ALARMFLAG = 0;
    for (const Assignment& a : m_added) {
        SCOPED_TRACE(a.NAME);
        const std::string text =
            sync::todoCalendarText(a, {alarm, silent}, QDateTime::currentDateTimeUtc());
        EXPECT_EQ(text.find("confidential"), std::string::npos);
        EXPECT_EQ(text.find("assignee words"), std::string::npos);
        EXPECT_EQ(text.find("RRULE:") != std::string::npos, !icsRecurrenceRule(a).empty());
        std::vector<sync::Todo> todos;
        std::string error;
        ASSERT_TRUE(sync::readTodos(text, todos, error)) << error;
        ASSERT_EQ(todos.size(), 1u);
        const sync::Todo& t = todos[0];
        EXPECT_EQ(sync::numberOfUid(t.uid), a.ASSIGNNUMBER);
        EXPECT_EQ(t.summary, a.NAME);
        EXPECT_EQ(t.due, a.DUEDATE);
        EXPECT_EQ(t.priority, a.PRIORITY);
        EXPECT_EQ(sync::ruleOf(a), t.rule);
        EXPECT_TRUE(t.unmatchedRule.empty());
        EXPECT_EQ(t.completed, a.CLOSEDATE != 0);
        if (t.completed) {
            EXPECT_EQ(t.completedOn, a.CLOSEDATE);
        }
        ASSERT_EQ(t.alarms.size(), 1u);  // the alarmed reminder only
        EXPECT_EQ(t.alarms[0], (sync::TodoAlarm{alarm.DATE, "Ring, ring"}));
    }
    EXPECT_EQ(sync::todoOf(done, {}).description, "Shown,\nto all; \"quoted\"");
}

// Other programs' to-dos: dates, UTC times, relative alarms, rules the
// program has and rules it has not (kept as text, never guessed at).
TEST_F(IcsExportTest, ForeignTodosAreReadOnTheirOwnTerms) {
    struct Case {
        std::string body;
        Date due;
        std::string rule;  // expected type
        int number;
        bool unmatched, completed;
        Date alarm;
    };
    const std::vector<Case> cases{
        {"DUE;VALUE=DATE:20261208", fromYmd(2026, 12, 8), repeat::NoRepeats, 0, false, false, 0},
        {"DUE:20261208T100000Z\r\nRRULE:FREQ=DAILY;INTERVAL=4", fromYmd(2026, 12, 8),
         repeat::DaysAfterLastDue, 4, false, false, 0},
        {"DUE;TZID=Europe/Berlin:20261208T235000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO,TH",
         fromYmd(2026, 12, 8), repeat::SetWeekdays, 0, false, false, 0},
        {"DUE;VALUE=DATE:20261208\r\nRRULE:FREQ=WEEKLY;COUNT=3", fromYmd(2026, 12, 8),
         repeat::NoRepeats, 0, true, false, 0},
        {"DUE;VALUE=DATE:20260131\r\nRRULE:FREQ=MONTHLY;INTERVAL=2", fromYmd(2026, 1, 31),
         repeat::NoRepeats, 0, true, false, 0},
        {"DUE;VALUE=DATE:20261208\r\nRRULE:FREQ=YEARLY", fromYmd(2026, 12, 8),
         repeat::MonthsAfterLastDue, 12, false, false, 0},
        {"DTSTART;VALUE=DATE:20261207\r\nSTATUS:COMPLETED\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
         "TRIGGER:-P1D\r\nDESCRIPTION:x\r\nEND:VALARM",
         fromYmd(2026, 12, 7), repeat::NoRepeats, 0, false, true, fromYmd(2026, 12, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const std::string text =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VTODO\r\n"
            "UID:foreign-1\r\nSUMMARY:Foreign\r\n" +
            c.body + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
        std::vector<sync::Todo> todos;
        std::string error;
        ASSERT_TRUE(sync::readTodos(text, todos, error)) << error;
        ASSERT_EQ(todos.size(), 1u);
        EXPECT_EQ(sync::numberOfUid(todos[0].uid), 0);
        EXPECT_EQ(todos[0].due, c.due);
        EXPECT_EQ(todos[0].rule.type, c.rule);
        EXPECT_EQ(todos[0].rule.number, c.number);
        EXPECT_EQ(!todos[0].unmatchedRule.empty(), c.unmatched);
        EXPECT_EQ(todos[0].completed, c.completed);
        EXPECT_EQ(todos[0].alarms.empty() ? 0 : todos[0].alarms[0].date, c.alarm);
    }
    std::vector<sync::Todo> none;
    std::string error;
    EXPECT_FALSE(sync::readTodos("Name,Due\r\n", none, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tko
