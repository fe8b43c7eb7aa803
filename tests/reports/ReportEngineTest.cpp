// The report engine on the store: which assignments each report type prints
// and in which order, who may see what, page breaks and headings, the
// comments a user may read, a cancelled report that leaves nothing, and the
// printed calendar.
#include <QDir>
#include <QFileInfo>

#include "platform/Picture.h"
#include "reports/CalendarReport.h"
#include "reports/ReportEngine.h"
#include "reports/ReportFixture.h"

namespace tko::test {
namespace {

class ReportEngineTest : public ReportStore {
protected:
    ReportParams lookForward(Date end) {
        ReportParams p;
        p.type = ReportType::LookForwardGeneral;
        p.endDate = end;
        return p;
    }
    ReportParams history(Date start, Date end, ReportType type = ReportType::HistoryGeneral) {
        ReportParams p;
        p.type = type;
        p.listBy = ListBy::DateAssigned;
        p.startDate = start;
        p.endDate = end;
        return p;
    }
    // Names of the listed assignments in print order (names start with "job").
    static QStringList listed(const PageList& pages) {
        QStringList names;
        for (const QString& line : pages.lines()) {
            const QString first = line.section(QLatin1Char(' '), 0, 0);
            if (first.startsWith(QStringLiteral("job"))) names << first;
        }
        return names;
    }
};

TEST_F(ReportEngineTest, LookForwardListsOpenAssignmentsUpToTheEndDateInDueDateOrder) {
    add("job-late", "ANN", "BOSS", kToday + 30);
    add("job-soon", "ANN", "BOSS", kToday + 2, 3);
    add("job-today", "ANN", "BOSS", kToday);
    add("job-past-end", "ANN", "BOSS", kToday + 31);
    add("job-closed", "ANN", "BOSS", kToday + 5).CLOSEDATE = kToday - 1;
    add("job-second", "ANN", "BOSS", kToday + 3).SECONDARY = 1;
    store();
    PageList pages;
    const ReportResult r = run(lookForward(kToday + 30), sessionOf("BOSS", 0), pages);
    ASSERT_TRUE(r.done()) << r.message.toStdString();
    EXPECT_EQ(listed(pages), (strings({"job-soon", "job-late"})));
    EXPECT_EQ(r.records, 2);
    EXPECT_TRUE(pages.finished);

    ReportParams p = lookForward(kToday + 30);
    p.includeDueNow = true;
    p.includeSecondary = true;
    PageList more;
    ASSERT_TRUE(run(p, sessionOf("BOSS", 0), more).done());
    EXPECT_EQ(listed(more), (strings({"job-today", "job-soon", "job-second", "job-late"})));
}

TEST_F(ReportEngineTest, HeadingsCarryTitleDatePageNumberAndCaptions) {
    add("job-one", "ANN", "BOSS", kToday + 1);
    store();
    PageList pages;
    ASSERT_TRUE(run(lookForward(kToday + 9), sessionOf("BOSS", 0), pages).done());
    ASSERT_EQ(pages.pages.size(), 1u);
    const QStringList lines = pages.lines();
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("General Look Forward To ") +
                                  formatDate(kToday + 9, u"@D18b")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Printed On ") + formatDate(kToday, u"@D18b")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("Page: 1")));
    EXPECT_NE(lineOf(lines, QStringLiteral("Assignment")), -1);
    EXPECT_TRUE(
        lines[lineOf(lines, QStringLiteral("Assignment"))].contains(QStringLiteral("Due Date")));
}

TEST_F(ReportEngineTest, LongReportsBreakIntoNumberedPagesWithoutLosingARow) {
    for (int i = 0; i < 150; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "job%03d", i);
        add(name, "ANN", "BOSS", kToday + 1 + i);
    }
    store();
    PageList pages;
    const ReportResult r = run(lookForward(kToday + 400), sessionOf("BOSS", 0), pages);
    ASSERT_TRUE(r.done());
    ASSERT_GT(pages.pages.size(), 2u);
    EXPECT_EQ(r.pages, static_cast<int>(pages.pages.size()));
    const QStringList names = listed(pages);
    ASSERT_EQ(names.size(), 150);
    for (int i = 0; i < 150; ++i)
        EXPECT_EQ(names[i], QStringLiteral("job%1").arg(i, 3, 10, QLatin1Char('0')));
    for (size_t n = 0; n < pages.pages.size(); ++n) {
        EXPECT_LE(pages.pages[n].lines.size(), static_cast<size_t>(kPageLines));
        const QString stamp = lineText(pages.pages[n].lines[1]);
        EXPECT_TRUE(stamp.endsWith(QStringLiteral("Page: %1").arg(n + 1))) << stamp.toStdString();
    }
}

// "Due Date" and "Priority" end on the person, which their keys lack: rows
// that tie on due date and priority come by person, whatever order they were
// stored in.
TEST_F(ReportEngineTest, ListByDueDateAndPriorityEndOnThePerson) {
    add("job-p5-early", "ANN", "BOSS", kToday + 1, 5);
    add("job-p1-late", "ANN", "BOSS", kToday + 9, 1);
    add("job-p1-early-zed", "ZED", "BOSS", kToday + 2, 1);
    add("job-p1-early-ben", "BEN", "BOSS", kToday + 2, 1);
    add("job-p1-early-ann", "ann", "BOSS", kToday + 2, 1);
    store();
    const std::pair<ListBy, QStringList> orders[] = {
        {ListBy::Priority, strings({"job-p1-early-ann", "job-p1-early-ben", "job-p1-early-zed",
                                    "job-p1-late", "job-p5-early"})},
        {ListBy::DueDate, strings({"job-p5-early", "job-p1-early-ann", "job-p1-early-ben",
                                   "job-p1-early-zed", "job-p1-late"})}};
    for (const auto& [listBy, expected] : orders) {
        ReportParams p = lookForward(kToday + 10);
        p.listBy = listBy;
        PageList pages;
        const ReportResult r = run(p, sessionOf("BOSS", 0), pages);
        ASSERT_TRUE(r.done());
        EXPECT_EQ(listed(pages), expected);
        EXPECT_EQ(r.records, 5);
    }
}

TEST_F(ReportEngineTest, AGeneralUserSeesOnlyWorkGivenToOrByThemUnlessViewAll) {
    add("job-mine", "BEN", "BOSS", kToday + 1);
    add("job-given", "ANN", "BEN", kToday + 2);
    add("job-other", "ANN", "BOSS", kToday + 3);
    store();
    PageList ben;
    ASSERT_TRUE(run(lookForward(kToday + 9), sessionOf("BEN", 0), ben).done());
    EXPECT_EQ(listed(ben), (strings({"job-mine", "job-given"})));
    PageList admin;
    ASSERT_TRUE(run(lookForward(kToday + 9), sessionOf("ADMIN", 2), admin).done());
    EXPECT_EQ(listed(admin).size(), 3);
    setViewAll(true);
    PageList all;
    ASSERT_TRUE(run(lookForward(kToday + 9), sessionOf("BEN", 0), all).done());
    EXPECT_EQ(listed(all).size(), 3);
}

TEST_F(ReportEngineTest, PersonReportHidesOnlyAnotherUsersPrivatePerson) {
    const Person open = addPerson("CARL", "Open", "BOSS");
    const Person secret = addPerson("DORA", "Private", "BOSS");
    add("job-carl", "CARL", "BOSS", kToday + 1).PERSONNUMBER = open.PERSONNUMBER;
    add("job-dora", "DORA", "BOSS", kToday + 1).PERSONNUMBER = secret.PERSONNUMBER;
    store();
    ReportParams p = lookForward(kToday + 9);
    p.type = ReportType::LookForwardPerson;
    p.person = "CARL";
    PageList carl;
    ASSERT_TRUE(run(p, sessionOf("BEN", 0), carl).done());
    EXPECT_EQ(listed(carl), strings({"job-carl"}));
    p.person = "DORA";
    PageList dora;
    ASSERT_TRUE(run(p, sessionOf("BEN", 0), dora).done());
    EXPECT_TRUE(listed(dora).isEmpty());
    EXPECT_NE(lineOf(dora.lines(), QStringLiteral("There is nothing to print.")), -1);
    PageList owner;
    ASSERT_TRUE(run(p, sessionOf("BOSS", 0), owner).done());
    EXPECT_EQ(listed(owner), strings({"job-dora"}));
}

TEST_F(ReportEngineTest, GroupReportListsMembersOfAGroupTheUserMayUse) {
    GroupName group;
    group.GROUPNAME = "TEAM";
    group.GROUPNUMBER = 7;
    group.USER = "BOSS";
    ASSERT_TRUE(db->add(group).ok());
    GroupPeople member;
    member.GROUPNAME = "TEAM";
    member.GROUPNUMBER = 7;
    member.SHORTNAME = "ANN";
    ASSERT_TRUE(db->add(member).ok());
    add("job-ann", "ANN", "BOSS", kToday + 1);
    add("job-bob", "BOB", "BOSS", kToday + 1);
    store();
    ReportParams p = lookForward(kToday + 9);
    p.type = ReportType::LookForwardGroup;
    p.group = "TEAM";
    PageList boss;
    ASSERT_TRUE(run(p, sessionOf("BOSS", 0), boss).done());
    EXPECT_EQ(listed(boss), strings({"job-ann"}));
    EXPECT_NE(lineOf(boss.lines(), QStringLiteral("Group: TEAM")), -1);
    // Another general user may not use BOSS's group list.
    PageList ben;
    const ReportResult refused = run(p, sessionOf("BEN", 0), ben);
    EXPECT_EQ(refused.outcome, ReportResult::Outcome::Refused);
    EXPECT_TRUE(ben.pages.empty());
}

TEST_F(ReportEngineTest, HistoryFollowsThePeriodRuleOfTheHistoryScreens) {
    const Date s = kToday - 20, e = kToday - 10;
    auto& onStart = add("job-on-start", "ANN", "BOSS", kToday);
    onStart.ASSIGNEDDATE = s;
    auto& onEnd = add("job-on-end", "ANN", "BOSS", kToday);
    onEnd.ASSIGNEDDATE = e;
    auto& before = add("job-before", "ANN", "BOSS", kToday);
    before.ASSIGNEDDATE = s - 1;
    auto& repeatOpen = add("job-repeat-open", "ANN", "BOSS", kToday);
    repeatOpen.ASSIGNEDDATE = s - 100;
    repeatOpen.REPEATTYPE = "Days after Last Due";
    auto& repeatClosed = add("job-repeat-closed", "ANN", "BOSS", kToday);
    repeatClosed.ASSIGNEDDATE = s - 100;
    repeatClosed.REPEATTYPE = "Days after Last Due";
    repeatClosed.CLOSEDATE = s - 1;
    auto& concluded = add("job-concluded", "ANN", "BOSS", kToday);
    concluded.ASSIGNEDDATE = s - 50;
    concluded.CLOSEDATE = e;
    store();
    PageList assigned;
    ASSERT_TRUE(run(history(s, e), sessionOf("BOSS", 0), assigned).done());
    QStringList names = listed(assigned);
    names.sort();
    EXPECT_EQ(names, (strings({"job-on-end", "job-on-start", "job-repeat-open"})));
    EXPECT_NE(lineOf(assigned.lines(), QStringLiteral("General History From")), -1);

    ReportParams byConcluded = history(s, e);
    byConcluded.listBy = ListBy::DateConcluded;
    PageList closed;
    ASSERT_TRUE(run(byConcluded, sessionOf("BOSS", 0), closed).done());
    names = listed(closed);
    names.sort();
    EXPECT_EQ(names, (strings({"job-concluded", "job-repeat-open"})));

    ReportParams open = byConcluded;
    open.openOnly = true;
    PageList openOnly;
    ASSERT_TRUE(run(open, sessionOf("BOSS", 0), openOnly).done());
    EXPECT_EQ(listed(openOnly), strings({"job-repeat-open"}));
}

TEST_F(ReportEngineTest, HistoryWithoutBothDatesIsRefusedAndPrintsNothing) {
    add("job-any", "ANN", "BOSS", kToday);
    store();
    PageList pages;
    // Start after end is refused with a message rather than printed empty.
    const ReportResult r = run(history(kToday, kToday - 1), sessionOf("BOSS", 0), pages);
    EXPECT_EQ(r.outcome, ReportResult::Outcome::Refused);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_TRUE(pages.pages.empty());
}

TEST_F(ReportEngineTest, ConfidentialCommentsOnlyForThoseAllowedToReadThem) {
    auto& own = add("job-own", "ANN", "BOSS", kToday + 1);
    own.CONFMEMO = "secret-of-boss";
    own.GENERALMEMO = "general-note";
    auto& other = add("job-other", "BOSS", "CARL", kToday + 1);
    other.CONFMEMO = "secret-of-carl";
    store();
    ReportParams p = lookForward(kToday + 9);
    p.confidentialComments = true;
    p.generalComments = true;
    PageList pages;
    ASSERT_TRUE(run(p, sessionOf("BOSS", 0), pages).done());
    const QStringList lines = pages.lines();
    EXPECT_NE(lineOf(lines, QStringLiteral("secret-of-boss")), -1);
    EXPECT_EQ(lineOf(lines, QStringLiteral("secret-of-carl")), -1);
    EXPECT_NE(lineOf(lines, QStringLiteral("general-note")), -1);
    // Without the option nobody's confidential comments appear.
    p.confidentialComments = false;
    PageList plain;
    ASSERT_TRUE(run(p, sessionOf("BOSS", 0), plain).done());
    EXPECT_EQ(lineOf(plain.lines(), QStringLiteral("secret-of-boss")), -1);
}

TEST_F(ReportEngineTest, FullLayoutWrapsALongNameInsteadOfCuttingIt) {
    const std::string name = "job-with-a-name-of-fifty-characters-to-the-end-xyz";
    ASSERT_EQ(name.size(), 50u);
    add(name, "ANN", "BOSS", kToday - 1).GENERALMEMO = std::string(150, 'w') + "\rsecond paragraph";
    store();
    ReportParams p;
    p.type = ReportType::AssignmentsDue;
    p.generalComments = true;
    PageList pages;
    ASSERT_TRUE(run(p, sessionOf("BOSS", 0), pages).done());
    const QString all = pages.lines().join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QString::fromStdString(name)));
    EXPECT_EQ(all.count(QLatin1Char('w')) - QString::fromStdString(name).count(QLatin1Char('w')) -
                  QStringLiteral("second paragraph").count(QLatin1Char('w')),
              150);
    EXPECT_NE(lineOf(pages.lines(), QStringLiteral("second paragraph")), -1);
    for (const QString& line : pages.lines()) EXPECT_LE(line.size(), kPageColumns);
}

TEST_F(ReportEngineTest, CurrentRemindersAreTheUsersOwnDatedTodayOrEarlier) {
    add("job-with-reminders", "ANN", "BOSS", kToday + 5);
    store();
    auto reminder = [&](const std::string& note, Date date, const std::string& user) {
        Reminder r;
        r.DATE = date;
        r.NOTE = note;
        r.USER = user;
        r.ASSIGNNUMBER = 1;
        r.REMINDNUMBER = static_cast<std::int32_t>(date) + static_cast<std::int32_t>(note.size());
        ASSERT_TRUE(db->add(r).ok());
    };
    reminder("call-today", kToday, "BOSS");
    reminder("call-earlier", kToday - 3, "BOSS");
    reminder("call-tomorrow", kToday + 1, "BOSS");
    reminder("someone-else", kToday, "CARL");
    reminder("other-spelling", kToday - 1, "Boss");  // not BOSS's: names compare exactly
    ReportParams p;
    p.type = ReportType::CurrentReminders;
    PageList pages;
    ASSERT_TRUE(run(p, sessionOf("BOSS", 0), pages).done());
    const QStringList lines = pages.lines();
    EXPECT_NE(lineOf(lines, QStringLiteral("Current Reminders For BOSS")), -1);
    EXPECT_LT(lineOf(lines, QStringLiteral("call-earlier")),
              lineOf(lines, QStringLiteral("call-today")));
    EXPECT_EQ(lineOf(lines, QStringLiteral("call-tomorrow")), -1);
    EXPECT_EQ(lineOf(lines, QStringLiteral("someone-else")), -1);
    EXPECT_EQ(lineOf(lines, QStringLiteral("other-spelling")), -1);
    EXPECT_NE(lineOf(lines, QStringLiteral("job-with-reminders")), -1);
}

TEST_F(ReportEngineTest, ProjectReportsShowOnlyProjectsTheUserMaySee) {
    auto project = [&](const std::string& name, std::int32_t number, const std::string& type,
                       const std::string& owner, std::int32_t assignment) {
        Project p;
        p.NAME = name;
        p.PROJNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        ASSERT_TRUE(db->add(p).ok());
        ProjAssign link;
        link.NAME = name;
        link.PROJNUMBER = number;
        link.ASSIGNNUMBER = assignment;
        ASSERT_TRUE(db->add(link).ok());
    };
    add("job-open-project", "ANN", "BOSS", kToday + 1);
    add("job-private-project", "ANN", "BOSS", kToday + 1);
    add("job-open-too", "ANN", "BOSS", kToday + 2);
    store();
    project("Alpha", 1, "Open", "BOSS", 1);
    project("Secret", 2, "Private", "BOSS", 2);
    ProjAssign second;
    second.NAME = "Alpha";
    second.PROJNUMBER = 1;
    second.ASSIGNNUMBER = 3;
    ASSERT_TRUE(db->add(second).ok());
    ReportParams all;
    all.type = ReportType::ProjectAll;
    PageList ben;
    const ReportResult benRun = run(all, sessionOf("BEN", 0), ben);
    ASSERT_TRUE(benRun.done());
    EXPECT_EQ(listed(ben), strings({"job-open-project", "job-open-too"}));
    EXPECT_EQ(benRun.records, 2);  // the assignments printed, not the projects
    EXPECT_EQ(lineOf(ben.lines(), QStringLiteral("Secret")), -1);
    PageList boss;
    ASSERT_TRUE(run(all, sessionOf("BOSS", 0), boss).done());
    EXPECT_EQ(listed(boss), (strings({"job-open-project", "job-open-too", "job-private-project"})));

    ReportParams single;
    single.type = ReportType::ProjectSingle;
    single.project = "Secret";
    PageList refused;
    EXPECT_EQ(run(single, sessionOf("BEN", 0), refused).outcome, ReportResult::Outcome::Refused);
    single.project = "Alpha";
    PageList full;
    ASSERT_TRUE(run(single, sessionOf("BEN", 0), full).done());
    EXPECT_NE(lineOf(full.lines(), QStringLiteral("Projects:")), -1);
    EXPECT_NE(lineOf(full.lines(), QStringLiteral("job-open-project")), -1);
}

// A project report prints what the project's window lists (not the work of
// another user's Private person, "ben" not being BEN), comments only where
// the window opens the assignment, and names only projects the user sees.
TEST_F(ReportEngineTest, ProjectReportsPrintWhatTheProjectWindowShowsAndOpens) {
    const Person privateBen = addPerson("ben", "Private", "CARLA");
    const Person client = addPerson("CLIENT", "Open", "ANNA");
    auto& hidden = add("job-of-private-ben", "ben", "CARLA", kToday + 1);
    hidden.PERSONNUMBER = privateBen.PERSONNUMBER;
    hidden.GENERALMEMO = "memo-private";
    auto& others = add("job-of-client", "CLIENT", "ANNA", kToday + 2);
    others.PERSONNUMBER = client.PERSONNUMBER;
    others.GENERALMEMO = "memo-client";
    others.CONFMEMO = "conf-client";
    add("job-of-ben", "BEN", "ANNA", kToday + 3).GENERALMEMO = "memo-ben";
    store();
    auto project = [&](const std::string& name, std::int32_t number, const std::string& type,
                       std::initializer_list<std::int32_t> assignments,
                       const std::string& listedUser = {}) {
        Project p;
        p.NAME = name;
        p.PROJNUMBER = number;
        p.TYPE = type;
        p.USER = number == 1 ? "ANNA" : "CARLA";
        ASSERT_TRUE(db->add(p).ok());
        for (std::int32_t a : assignments) {
            ProjAssign link{name, number, a, "ANNA"};
            ASSERT_TRUE(db->add(link).ok());
        }
        ProjUser listed{name, number, listedUser};
        if (!listedUser.empty()) {
            ASSERT_TRUE(db->add(listed).ok());
        }
    };
    project("Plan", 1, "Open", {1, 2, 3});
    project("Hidden", 2, "Private", {3});
    project("Shared", 3, "Limited", {3}, "BEN");
    project("Closed", 4, "Limited", {3}, "DAN");

    const struct {
        const char* user;
        int level;
        bool viewAll;
        ReportType type;
        QStringList printed, omitted;
    } cases[] = {
        {"BEN", 0, false, ReportType::ProjectSingle,
         strings({"job-of-client", "job-of-ben", "memo-ben", "Shared"}),
         strings({"job-of-private-ben", "memo-private", "memo-client", "Hidden", "Closed"})},
        {"BEN", 1, false, ReportType::ProjectAll, strings({"job-of-client", "Shared"}),
         strings({"job-of-private-ben", "memo-client", "Hidden", "Closed"})},
        {"BEN", 0, true, ReportType::ProjectAll,
         strings({"job-of-private-ben", "job-of-client", "memo-ben"}),
         strings({"memo-private", "memo-client", "Hidden"})},
        {"CARLA", 0, false, ReportType::ProjectSingle,
         strings({"job-of-private-ben", "memo-private", "Hidden", "Closed"}),
         strings({"memo-client", "conf-client", "memo-ben"})},
        {"ANNA", 0, false, ReportType::ProjectSingle,
         strings({"memo-client", "conf-client", "memo-ben"}),
         strings({"job-of-private-ben", "Hidden", "Closed"})},
        {"BOSS",
         2,
         false,
         ReportType::ProjectAll,
         strings({"memo-private", "conf-client", "Hidden", "Closed"}),
         {}},
    };
    for (const auto& c : cases) {
        setViewAll(c.viewAll);
        ReportParams p;
        p.type = c.type;
        p.project = "Plan";
        p.generalComments = true;
        p.confidentialComments = true;
        PageList pages;
        ASSERT_TRUE(run(p, sessionOf(c.user, c.level), pages).done()) << c.user;
        const QStringList lines = pages.lines();
        for (const QString& text : c.printed)
            EXPECT_NE(lineOf(lines, text), -1) << c.user << " misses " << text.toStdString();
        for (const QString& text : c.omitted)
            EXPECT_EQ(lineOf(lines, text), -1) << c.user << " sees " << text.toStdString();
    }
}

TEST_F(ReportEngineTest, AddressBookAndPersonSheetRespectPrivatePeople) {
    addPerson("ALMA", "Open", "BOSS");
    const Person secret = addPerson("ZED", "Private", "BOSS");
    ReportEngine ben(*db, sessionOf("BEN", 0), kToday);
    PageList book;
    ASSERT_TRUE(ben.runAddressBook(false, book, {}).done());
    EXPECT_NE(lineOf(book.lines(), QStringLiteral("TASKORBIT Address Book")), -1);
    EXPECT_NE(lineOf(book.lines(), QStringLiteral("ALMA")), -1);
    EXPECT_EQ(lineOf(book.lines(), QStringLiteral("ZED")), -1);

    PageList sheet;
    EXPECT_EQ(ben.runPersonSheet(secret, {}, sheet, {}).outcome, ReportResult::Outcome::Refused);
    EXPECT_TRUE(sheet.pages.empty());
    ReportEngine boss(*db, sessionOf("BOSS", 0), kToday);
    PageList own;
    ASSERT_TRUE(boss.runPersonSheet(secret, {}, own, {}).done());
    EXPECT_NE(lineOf(own.lines(), QStringLiteral("Person Information")), -1);
    EXPECT_NE(lineOf(own.lines(), QStringLiteral("ZED-last")), -1);
}

TEST_F(ReportEngineTest, TheAssignmentFormPrintsWhatItShowsAndGuardsTheConfidentialMemo) {
    // ANN is BOSS's Private person: strangers may not print her work.
    const Person annPerson = addPerson("ANN", "Private", "BOSS");
    auto& a = add("job-single", "ANN", "BOSS", kToday + 3);
    a.PERSONNUMBER = annPerson.PERSONNUMBER;
    a.CONFMEMO = "boss-only";
    a.ASSIGNMEMO = "assignee-note";
    Assignment shown = a;
    store();
    shown.NAME = "job-single-edited";  // not saved yet: the form prints what it shows
    shown.USERNAME = "ANN";            // an edited owner gives no right to the memo
    ReportEngine owner(*db, sessionOf("BOSS", 0), kToday);
    PageList own;
    ASSERT_TRUE(owner.runAssignment(shown, true, own, {}).done());
    EXPECT_NE(lineOf(own.lines(), QStringLiteral("job-single-edited")), -1);
    EXPECT_NE(lineOf(own.lines(), QStringLiteral("boss-only")), -1);
    EXPECT_NE(lineOf(own.lines(), QStringLiteral("Assigned by")), -1);
    EXPECT_TRUE(
        own.lines().filter(QStringLiteral("Assigned by")).front().contains(QStringLiteral("BOSS")));

    ReportEngine assignee(*db, sessionOf("ANN", 0), kToday);
    PageList ann;
    ASSERT_TRUE(assignee.runAssignment(shown, true, ann, {}).done());
    EXPECT_EQ(lineOf(ann.lines(), QStringLiteral("boss-only")), -1);
    EXPECT_NE(lineOf(ann.lines(), QStringLiteral("assignee-note")), -1);

    ReportEngine stranger(*db, sessionOf("CARL", 0), kToday);
    PageList none;
    EXPECT_EQ(stranger.runAssignment(shown, false, none, {}).outcome,
              ReportResult::Outcome::Refused);
    EXPECT_TRUE(none.pages.empty());
}

TEST_F(ReportEngineTest, GroupListSheetListsItsMembersForItsOwnerOnly) {
    GroupName group;
    group.GROUPNAME = "CREW";
    group.GROUPNUMBER = 3;
    group.USER = "BOSS";
    ASSERT_TRUE(db->add(group).ok());
    for (const char* name : {"ZOE", "ABE"}) {
        const Person p = addPerson(name, "Open", "BOSS");
        GroupPeople member;
        member.GROUPNAME = "CREW";
        member.GROUPNUMBER = 3;
        member.SHORTNAME = name;
        member.PERSONNUMBER = p.PERSONNUMBER;
        ASSERT_TRUE(db->add(member).ok());
    }
    ReportEngine boss(*db, sessionOf("BOSS", 0), kToday);
    PageList pages;
    ASSERT_TRUE(boss.runGroupList(3, pages, {}).done());
    const QStringList lines = pages.lines();
    EXPECT_NE(lineOf(lines, QStringLiteral("People in Group List: CREW")), -1);
    EXPECT_LT(lineOf(lines, QStringLiteral("ABE-last")), lineOf(lines, QStringLiteral("ZOE-last")));
    ReportEngine ben(*db, sessionOf("BEN", 0), kToday);
    PageList refused;
    EXPECT_EQ(ben.runGroupList(3, refused, {}).outcome, ReportResult::Outcome::Refused);
}

TEST_F(ReportEngineTest, CancelStopsTheReportAndLeavesNoFile) {
    for (int i = 0; i < 300; ++i) add("job", "ANN", "BOSS", kToday + 1 + i);
    store();
    const QString path = QString::fromStdString(dir.file("report.txt"));
    int calls = 0;
    int lastPercent = -1;
    {
        TextReportFile file(path);
        ReportEngine engine(*db, sessionOf("BOSS", 0), kToday);
        const ReportResult r = engine.run(lookForward(kToday + 400), file, [&](int percent) {
            ++calls;
            lastPercent = percent;
            return percent < 50;
        });
        EXPECT_EQ(r.outcome, ReportResult::Outcome::Cancelled);
    }
    EXPECT_GT(calls, 1);
    EXPECT_GE(lastPercent, 50);
    EXPECT_LT(lastPercent, 100);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(
        QDir(QString::fromStdString(dir.path())).entryList({QStringLiteral("report*")}).isEmpty());

    // A file that was there before keeps its contents.
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("kept\n");
    }
    TextReportFile again(path);
    ReportEngine engine(*db, sessionOf("BOSS", 0), kToday);
    EXPECT_EQ(engine.run(lookForward(kToday + 400), again, [](int) { return false; }).outcome,
              ReportResult::Outcome::Cancelled);
    EXPECT_EQ(fileLines(path), strings({"kept"}));
}

TEST_F(ReportEngineTest, TextFileHoldsThePagesLineByLine) {
    for (int i = 0; i < 80; ++i)
        add(QStringLiteral("job%1").arg(i, 2, 10, QLatin1Char('0')).toStdString(), "ANN", "BOSS",
            kToday + 1 + i);
    store();
    const QString path = QString::fromStdString(dir.file("REPORT.TXT"));
    TextReportFile file(path);
    ReportEngine engine(*db, sessionOf("BOSS", 0), kToday);
    const ReportResult r = engine.run(lookForward(kToday + 100), file, {});
    ASSERT_TRUE(r.done());
    const QStringList lines = fileLines(path);
    EXPECT_EQ(linesWith(lines, QStringLiteral("Printed On")).size(), r.pages);
    EXPECT_EQ(linesWith(lines, QStringLiteral("\f")).size(), r.pages - 1);
    QStringList names;
    for (const QString& line : lines)
        if (line.startsWith(QStringLiteral("job"))) names << line.left(5);
    ASSERT_EQ(names.size(), 80);
    EXPECT_EQ(names.front(), QStringLiteral("job00"));
    EXPECT_EQ(names.back(), QStringLiteral("job79"));
    EXPECT_TRUE(linesWith(lines, QStringLiteral("Page: 2")).size() == 1);
}

}  // namespace
}  // namespace tko::test

namespace tko::test {
namespace {

// The printed calendar: each day with entries under its date, what the user
// may see only, and one page saying so for an empty period.
TEST_F(ReportEngineTest, CalendarPrintsEachDaysEntriesTheUserMaySee) {
    add("job-mine", "ANN", "BOSS", kToday + 2);
    add("job-other", "CARL", "DEE", kToday + 2);
    add("job-weekly", "ANN", "BOSS", kToday + 1).REPEATTYPE = "Weeks after Last Due";
    added.back().REPNUMBER = 1;
    store();
    CalendarSettings settings;
    settings.today = kToday;
    PageList pages;
    const ReportResult r = printCalendar(*db, sessionOf("ANN", 0), settings, kToday, kToday + 9,
                                         QStringLiteral("Calendar (Week)"), kToday, pages, {});
    ASSERT_TRUE(r.done()) << r.message.toStdString();
    EXPECT_TRUE(pages.finished);
    const QStringList lines = pages.lines();
    EXPECT_EQ(linesWith(lines, QStringLiteral("job-")).size(), 3);  // weekly: +1 and +8
    EXPECT_EQ(linesWith(lines, QStringLiteral("job-other")).size(), 0);
    const int day = lineOf(lines, formatDate(kToday + 2, u"@D18"));
    ASSERT_GE(day, 0);
    EXPECT_TRUE(lines[day + 1].contains(QStringLiteral("job-mine (ANN)")));
    EXPECT_EQ(r.records, 3);

    PageList empty;
    ASSERT_TRUE(printCalendar(*db, sessionOf("ANN", 0), settings, kToday - 10, kToday - 4,
                              QStringLiteral("Calendar (Week)"), kToday, empty, {})
                    .done());
    EXPECT_EQ(empty.pages.size(), 1u);
    EXPECT_GE(lineOf(empty.lines(), QStringLiteral("No entries")), 0);
}

}  // namespace
}  // namespace tko::test
