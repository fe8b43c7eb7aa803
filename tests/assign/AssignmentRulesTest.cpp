// The assignment form's rules without a window: rights per role, what OK does
// to the record, numbering, the seen flag, Duplicate, project links, reminders
// and the text-file layout.
#include <gtest/gtest.h>

#include "assign/AssignmentRules.h"
#include "assign/ReminderRules.h"
#include "assign/Repetition.h"
#include "platform/Picture.h"
#include "support/TestStore.h"

namespace tko {
namespace {

Session user(const std::string& name, int access = 0) {
    Session s;
    s.GlobalUser = name;
    s.GlobalUserAccess = access;
    return s;
}

Assignment sample() {
    Assignment a;
    a.ASSIGNNUMBER = 7;
    a.NAME = "Order printer paper";
    a.USERNAME = "OWNER";
    a.PERSON = "PAT";
    a.PRIORITY = 4;
    a.DUEDATE = fromYmd(2023, 5, 17);
    a.ASSIGNEDDATE = fromYmd(2023, 5, 1);
    a.REPEATTYPE = repeat::NoRepeats;
    a.SEEN = 1;
    a.LOG = "Created 09:00 1 May 2023 By OWNER          \r";
    return a;
}

TEST(EditRights, PerRole) {
    const Assignment a = sample();
    const EditRights owner = editRights(a, user("OWNER"), Request::Change, true);
    EXPECT_TRUE(owner.general && owner.generalMemo && owner.projects && owner.reminders &&
                owner.confidential);
    EXPECT_FALSE(owner.assignMemo);  // the owner does not write the assignee's notes
    EXPECT_FALSE(owner.duplicate);   // only while inserting
    EXPECT_TRUE(owner.conclude);

    const EditRights admin = editRights(a, user("BOSS", 2), Request::Change, false);
    EXPECT_TRUE(admin.general && admin.assignMemo && admin.conclude);
    EXPECT_FALSE(admin.confidential);  // the system setting is off

    const EditRights assignee = editRights(a, user("PAT"), Request::Change, true);
    EXPECT_FALSE(assignee.general || assignee.generalMemo || assignee.projects ||
                 assignee.reminders || assignee.duplicate || assignee.confidential);
    EXPECT_TRUE(assignee.assignMemo);
    EXPECT_FALSE(assignee.conclude);
    Assignment permitted = a;
    permitted.ASSIGNEECONCLUDE = 1;
    EXPECT_TRUE(editRights(permitted, user("PAT"), Request::Change, true).conclude);
    EXPECT_TRUE(mayConclude(permitted, user("PAT")));
    EXPECT_FALSE(mayConclude(a, user("PAT")));

    const EditRights stranger = editRights(permitted, user("OTHER", 1), Request::Change, true);
    EXPECT_FALSE(stranger.general || stranger.assignMemo || stranger.conclude);

    EXPECT_TRUE(editRights(Assignment{}, user("NEW"), Request::Insert, true).duplicate);
}

TEST(EditRights, EssentialsAndPriority) {
    Assignment a = sample();
    EXPECT_TRUE(essentialsFilled(a));
    for (auto clear :
         {+[](Assignment& x) { x.NAME = "   "; }, +[](Assignment& x) { x.PRIORITY = 0; },
          +[](Assignment& x) { x.PERSON.clear(); }, +[](Assignment& x) { x.DUEDATE = 0; }}) {
        Assignment b = a;
        clear(b);
        EXPECT_FALSE(essentialsFilled(b));
    }
    EXPECT_TRUE(checkAssignmentPriority(0).has_value());
    EXPECT_TRUE(checkAssignmentPriority(10).has_value());
    EXPECT_FALSE(checkAssignmentPriority(1).has_value());
    EXPECT_FALSE(checkAssignmentPriority(9).has_value());
    const auto message = checkAssignmentPriority(10);
    EXPECT_EQ(message->number, 10);
    EXPECT_NE(message->text.find("Importance of Assignment"), std::string::npos);
    EXPECT_NE(message->text.find("1 and 9"), std::string::npos);
}

TEST(Priming, FromThePreferences) {
    UserPref pref;
    const Date today = fromYmd(2023, 5, 17);
    Assignment a = primeAssignment(pref, "ANNA", today);
    EXPECT_EQ(a.PRIORITY, 9);
    EXPECT_EQ(a.ASSIGNEECONCLUDE, 0);
    EXPECT_EQ(a.DUEDATE, today);
    EXPECT_EQ(a.ASSIGNEDDATE, today);
    EXPECT_EQ(a.USERNAME, "ANNA");
    EXPECT_EQ(a.REPEATTYPE, "No Repeats");
    EXPECT_EQ(a.SEEN, 0);
    pref.PRIORITY = 3;
    pref.ASSIGNEECONCLUDE = 1;
    a = primeAssignment(pref, "ANNA", today);
    EXPECT_EQ(a.PRIORITY, 3);
    EXPECT_EQ(a.ASSIGNEECONCLUDE, 1);
}

TEST(OkRules, ConfidentialMemoAloneWritesNoLogAndKeepsSeen) {
    const Assignment opened = sample();
    Assignment current = opened;
    current.CONFMEMO = "Between us";
    EXPECT_TRUE(
        applyChangeOnOk(current, opened, user("OWNER"), fromYmd(2023, 5, 18), fromHms(10, 30)));
    EXPECT_EQ(current.LOG, opened.LOG);
    EXPECT_EQ(current.SEEN, 1);
}

TEST(OkRules, AChangeLogsAndMarksUnseenUnlessByTheAssignee) {
    const Assignment opened = sample();
    Assignment current = opened;
    current.GENERALMEMO = "Recycled paper please";
    EXPECT_TRUE(
        applyChangeOnOk(current, opened, user("OWNER"), fromYmd(2023, 5, 18), fromHms(10, 30)));
    EXPECT_EQ(current.SEEN, 0);
    const std::string expected = "Created 09:00 1 May 2023 By OWNER          \rChanged " +
                                 formatTime(fromHms(10, 30), u"@T1").toStdString() + " " +
                                 formatDate(fromYmd(2023, 5, 18), u"@D18").toStdString() +
                                 " By OWNER          \r";
    EXPECT_EQ(current.LOG, expected);

    current = opened;
    current.ASSIGNMEMO = "Ordered";
    applyChangeOnOk(current, opened, user("PAT"), fromYmd(2023, 5, 18), 0);
    EXPECT_EQ(current.SEEN, 1);
    EXPECT_NE(current.LOG.find("Changed"), std::string::npos);

    current = opened;
    EXPECT_FALSE(applyChangeOnOk(current, opened, user("OWNER"), fromYmd(2023, 5, 18), 0));
    EXPECT_EQ(current, opened);
}

TEST(OkRules, PreviousDueKeepsTheDateFromTheOpening) {
    Assignment opened = sample();
    opened.PREVDUE = fromYmd(2023, 4, 1);
    Assignment current = opened;
    current.DUEDATE = opened.DUEDATE + 3;  // first change
    current.DUEDATE = opened.DUEDATE + 9;  // and again before OK
    applyChangeOnOk(current, opened, user("OWNER"), fromYmd(2023, 5, 18), 0);
    EXPECT_EQ(current.PREVDUE, opened.DUEDATE);
    // Back to the opening date: the old previous due date stays.
    current = opened;
    current.NAME = "Order more paper";
    applyChangeOnOk(current, opened, user("OWNER"), fromYmd(2023, 5, 18), 0);
    EXPECT_EQ(current.PREVDUE, opened.PREVDUE);
}

TEST(Log, KeepsTheNewestEntryWhenFull) {
    std::string log;
    for (int i = 0; i < 100; ++i)
        log = appendToLog(log, "Changed line number " + std::to_string(i) + " By ANNA\r");
    EXPECT_LE(store::utf8Length(log), kLogWidth);
    EXPECT_NE(log.find("Changed line number 99 By ANNA\r"), std::string::npos);
    EXPECT_EQ(log.rfind("Changed line number ", 0), 0u);  // whole lines dropped from the front
    EXPECT_EQ(appendToLog("abc   ", "\rdef"), "abc\rdef");
}

TEST(TextFile, LayoutAndWidth) {
    Assignment a = sample();
    a.GENERALMEMO = std::string(70, 'x') + "\r\nSecond paragraph";
    const QString due = formatDate(a.DUEDATE, u"@D18");
    const QStringList lines =
        assignmentTextLines(a, QStringLiteral("Due every 2 week(s) after previous due date."),
                            QStringLiteral("Office move"));
    const QStringList expected{
        QStringLiteral("         ASSIGNMENT INFORMATION"),
        QString(),
        QStringLiteral("Assignment: Order printer paper"),
        QStringLiteral("Person: PAT") + QString(12 + 10, QLatin1Char(' ')) +
            QStringLiteral("Priority: 4"),
        QStringLiteral("Due Date: ") + due,
        QStringLiteral("Due every 2 week(s) after previous due date."),
        QString(),
        QStringLiteral("Date Assigned: ") + formatDate(a.ASSIGNEDDATE, u"@D18"),
        QStringLiteral("Assigned by: OWNER"),
        QStringLiteral("Date Concluded:"),
        QStringLiteral("Project: Office move"),
        QString(),
        QStringLiteral("COMMENTS:"),
        QString(58, QLatin1Char('x')),
        QString(12, QLatin1Char('x')),
        QStringLiteral("Second paragraph"),
        QString(),
        QString(),
        QString()};
    EXPECT_EQ(lines.join(QLatin1Char('|')).toStdString(),
              expected.join(QLatin1Char('|')).toStdString());

    a.NAME = std::string(50, 'N');
    for (const QString& line : assignmentTextLines(a, {}, {}))
        EXPECT_LE(line.size(), kTextFileWidth);
    const QStringList wrapped = assignmentTextLines(a, {}, {});
    EXPECT_EQ(wrapped[2] + wrapped[3].trimmed(),
              QStringLiteral("Assignment: ") + QString(50, QLatin1Char('N')));
}

class RulesStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }
    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(RulesStoreTest, NumberingStartsAtOneAndFollowsTheHighest) {
    Assignment a = primeAssignment(UserPref{}, "ANNA", fromYmd(2023, 5, 17));
    ASSERT_TRUE(addNewAssignment(*m_db, a).ok());
    EXPECT_EQ(a.ASSIGNNUMBER, 1);
    Assignment b = a;
    ASSERT_TRUE(addNewAssignment(*m_db, b).ok());
    EXPECT_EQ(b.ASSIGNNUMBER, 2);
    Reminder r = primeReminder(a, "ANNA");
    EXPECT_EQ(r.ALARMFLAG, 1);
    EXPECT_EQ(r.ASSIGNNUMBER, 1);
    ASSERT_TRUE(addNewReminder(*m_db, r).ok());
    EXPECT_EQ(r.REMINDNUMBER, 1);
}

TEST_F(RulesStoreTest, SeenByTheAssigneeAndRefusedAfterAChangeElsewhere) {
    Assignment a = sample();
    a.SEEN = 0;
    ASSERT_TRUE(addNewAssignment(*m_db, a).ok());
    Assignment copy = a;
    bool marked = true;
    EXPECT_TRUE(markSeenByAssignee(*m_db, copy, user("OWNER"), &marked).ok());
    EXPECT_FALSE(marked);
    EXPECT_TRUE(markSeenByAssignee(*m_db, copy, user("PAT"), &marked).ok());
    EXPECT_TRUE(marked);
    EXPECT_EQ(copy.SEEN, 1);
    Assignment check;
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{a.ASSIGNNUMBER}}, check).ok());
    EXPECT_EQ(check.SEEN, 1);

    // Unseen again after the owner changed it; then another station changes it
    // before the assignee's form marks it.
    Assignment owner = check;
    owner.SEEN = 0;
    ASSERT_TRUE(changeRecord(*m_db, owner, check).ok());
    Assignment stale = owner;
    auto other = test::openStation(m_source);
    Assignment theirs = owner;
    theirs.NAME = "Order paper and toner";
    ASSERT_TRUE(changeRecord(*other, theirs, owner).ok());
    const Outcome refused = markSeenByAssignee(*m_db, stale, user("PAT"), &marked);
    EXPECT_EQ(refused.kind, Outcome::ChangedElsewhere);
    EXPECT_TRUE(refused.message);
    EXPECT_FALSE(marked);
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{a.ASSIGNNUMBER}}, check).ok());
    EXPECT_EQ(check.SEEN, 0);
    EXPECT_EQ(check.NAME, "Order paper and toner");
}

TEST_F(RulesStoreTest, DuplicateCopiesRemindersAndLinks) {
    Assignment a = sample();
    a.GENERALMEMO = "Same for everyone";
    ASSERT_TRUE(addNewAssignment(*m_db, a).ok());
    for (const char* note : {"one", "two"}) {
        Reminder r = primeReminder(a, "OWNER");
        r.NOTE = note;
        ASSERT_TRUE(addNewReminder(*m_db, r).ok());
    }
    Project project;
    project.NAME = "Office move";
    project.PROJNUMBER = 3;
    bool added = false;
    ASSERT_TRUE(addProjectLink(*m_db, a, project, "OWNER", added).ok());
    EXPECT_TRUE(added);
    ASSERT_TRUE(addProjectLink(*m_db, a, project, "OWNER", added).ok());
    EXPECT_FALSE(added);  // no second link to the same project

    // Without what "OK" needs nothing is stored: a first record without a
    // person would stay behind when the form is cancelled.
    for (auto clear :
         {+[](Assignment& x) { x.PERSON.clear(); }, +[](Assignment& x) { x.NAME = " "; },
          +[](Assignment& x) { x.DUEDATE = 0; }}) {
        Assignment bare = a;
        clear(bare);
        Assignment none;
        const Outcome refused = duplicateAssignment(*m_db, bare, none, user("OWNER"),
                                                    fromYmd(2023, 5, 17), fromHms(8, 0));
        EXPECT_EQ(refused.kind, Outcome::Refused);
        ASSERT_TRUE(refused.message);
        EXPECT_EQ(refused.message->text, "Fill in the name, priority, person and due date first.");
    }
    std::vector<Assignment> rows;
    ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), rows).ok());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].sameValues(a));

    Assignment copy;
    const Outcome out =
        duplicateAssignment(*m_db, a, copy, user("OWNER"), fromYmd(2023, 5, 17), fromHms(8, 0));
    ASSERT_TRUE(out.ok());
    EXPECT_NE(copy.ASSIGNNUMBER, a.ASSIGNNUMBER);
    EXPECT_TRUE(copy.PERSON.empty());
    EXPECT_EQ(copy.PERSONNUMBER, 0);
    EXPECT_EQ(copy.GENERALMEMO, "Same for everyone");
    EXPECT_EQ(a.LOG.rfind("Created ", 0), 0u);
    std::vector<Reminder> reminders;
    ASSERT_TRUE(remindersOf(*m_db, copy.ASSIGNNUMBER, reminders).ok());
    EXPECT_EQ(reminders.size(), 2u);
    ASSERT_TRUE(remindersOf(*m_db, a.ASSIGNNUMBER, reminders).ok());
    EXPECT_EQ(reminders.size(), 2u);
    std::vector<ProjAssign> links;
    ASSERT_TRUE(projectLinksOf(*m_db, copy.ASSIGNNUMBER, links).ok());
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].NAME, "Office move");
}

TEST_F(RulesStoreTest, ReminderChangeAndDelete) {
    Assignment a = sample();
    ASSERT_TRUE(addNewAssignment(*m_db, a).ok());
    Reminder r = primeReminder(a, "OWNER");
    ASSERT_TRUE(addNewReminder(*m_db, r).ok());
    const Reminder opened = r;
    r.NOTE = "Call the supplier";
    r.DATE = a.DUEDATE;  // a reminder needs its date
    ASSERT_TRUE(storeReminder(*m_db, r, opened).ok());
    auto other = test::openStation(m_source);
    Reminder theirs = r;
    theirs.NOTE = "Changed elsewhere";
    ASSERT_TRUE(storeReminder(*other, theirs, r).ok());
    Reminder mine = r;
    mine.NOTE = "Lost";
    const Outcome clash = storeReminder(*m_db, mine, r);
    EXPECT_EQ(clash.kind, Outcome::ChangedElsewhere);
    EXPECT_EQ(mine.NOTE, "Changed elsewhere");
    ASSERT_TRUE(removeReminder(*m_db, mine).ok());
    std::vector<Reminder> left;
    ASSERT_TRUE(remindersOf(*m_db, a.ASSIGNNUMBER, left).ok());
    EXPECT_TRUE(left.empty());
}

}  // namespace
}  // namespace tko
