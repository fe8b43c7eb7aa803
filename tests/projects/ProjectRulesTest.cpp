// Project rules against the engine under test: who sees which project, a new
// project's number and its removal, saving (rename carried into links and
// users, duplicate names, rights), linking and unlinking assignments, the
// project's assignment list filter and options, and who may open an
// assignment from a project list.
#include <gtest/gtest.h>

#include <set>

#include "data/Tables.h"
#include "platform/Date.h"
#include "projects/ProjectRules.h"
#include "support/TestStore.h"

namespace tko {
namespace {

using Names = std::set<std::string>;

const access::Viewer kAdministrator{"BOSS", 2, false};

Session sessionOf(const std::string& user, int access = 0) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

class ProjectRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    Project project(const std::string& name, int number, const std::string& type,
                    const std::string& owner) {
        Project p;
        p.NAME = name;
        p.PROJNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        EXPECT_TRUE(m_db->add(p).ok()) << name;
        return p;
    }
    ProjUser listUser(const Project& p, const std::string& user) {
        ProjUser u{p.NAME, p.PROJNUMBER, user};
        EXPECT_TRUE(m_db->add(u).ok());
        return u;
    }
    Assignment assignment(int number, const std::string& person, const std::string& maker,
                          Date due = 1000, int priority = 5) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.NAME = "Task " + std::to_string(number);
        a.PERSON = person;
        a.USERNAME = maker;
        a.DUEDATE = due;
        a.PRIORITY = static_cast<std::uint8_t>(priority);
        EXPECT_TRUE(m_db->add(a).ok());
        return a;
    }
    ProjAssign link(const Project& p, int assignNumber, const std::string& user) {
        ProjAssign l{p.NAME, p.PROJNUMBER, assignNumber, user};
        EXPECT_TRUE(m_db->add(l).ok());
        return l;
    }

    Names visibleTo(const Session& s) {
        std::vector<Project> rows;
        EXPECT_TRUE(m_db->readAll("PRO:NAME_KEY", projectListFilter(s), rows).ok());
        Names names;
        for (const Project& p : rows) names.insert(p.NAME);
        return names;
    }
    std::vector<ProjAssign> linksOfProject(int projNumber) {
        std::vector<ProjAssign> rows;
        EXPECT_TRUE(m_db->readAll("PRA:PRIMARY_KEY",
                                  store::eq("PROJNUMBER", std::int64_t{projNumber}), rows)
                        .ok());
        return rows;
    }
    std::vector<std::int32_t> listed(const char* keyLabel, const store::Filter& filter) {
        std::vector<Assignment> rows;
        EXPECT_TRUE(m_db->readAll(keyLabel, filter, rows).ok());
        std::vector<std::int32_t> numbers;
        for (const Assignment& a : rows) numbers.push_back(a.ASSIGNNUMBER);
        return numbers;
    }
    template <class R>
    std::int64_t countOf(const store::Filter& filter = store::all()) {
        std::int64_t n = -1;
        EXPECT_TRUE(m_db->count<R>(filter, n).ok());
        return n;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

// ---- visibility --------------------------------------------------------------------

TEST_F(ProjectRulesTest, EachVisibilityCase) {
    project("Open of Anna", 1, kProjectOpen, "ANNA");
    project("Private of Anna", 2, kProjectPrivate, "ANNA");
    project("Private of Ben", 3, kProjectPrivate, "BEN");
    const Project listedFor = project("Limited, Ben listed", 4, kProjectLimited, "ANNA");
    const Project notListed = project("Limited, Carla listed", 5, kProjectLimited, "ANNA");
    project("Limited of Ben", 6, kProjectLimited, "BEN");
    listUser(listedFor, "BEN");
    listUser(notListed, "CARLA");

    const Names ben{"Open of Anna", "Private of Ben", "Limited, Ben listed", "Limited of Ben"};
    EXPECT_EQ(visibleTo(sessionOf("BEN")), ben);
    // A People Administrator is held to the same rule as a General User.
    EXPECT_EQ(visibleTo(sessionOf("BEN", 1)), ben);
    EXPECT_EQ(visibleTo(sessionOf("CARLA")), (Names{"Open of Anna", "Limited, Carla listed"}));
    EXPECT_EQ(visibleTo(sessionOf("BOSS", 2)).size(), 6u);

    bool visible = true;
    ASSERT_TRUE(projectVisibleTo(*m_db, sessionOf("CARLA"), 2, visible).ok());
    EXPECT_FALSE(visible);
    ASSERT_TRUE(projectVisibleTo(*m_db, sessionOf("CARLA"), 5, visible).ok());
    EXPECT_TRUE(visible);
    EXPECT_EQ(projectVisibleTo(*m_db, sessionOf("CARLA"), 99, visible).code,
              store::kRecordNotFound);
    EXPECT_FALSE(visible);
}

TEST_F(ProjectRulesTest, UserNamesCompareWithoutTrailingBlanksAndAt15Characters) {
    project("Long owner", 1, kProjectPrivate, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(visibleTo(sessionOf("ABCDEFGHIJKLMNO")), Names{"Long owner"});
    EXPECT_EQ(visibleTo(sessionOf("ABCDEFGHIJKLMNO  ")), Names{"Long owner"});
    // The owner is the user named letter for letter: no other spelling, no
    // longer name.
    EXPECT_TRUE(visibleTo(sessionOf("abcdefghijklmno")).empty());
    EXPECT_TRUE(visibleTo(sessionOf("ABCDEFGHIJKLMNOP")).empty());
    EXPECT_TRUE(visibleTo(sessionOf("ABCDEFGHIJKLMN")).empty());
}

// ---- new projects --------------------------------------------------------------------

TEST_F(ProjectRulesTest, NewProjectNumberedAtOnceAndCancelLeavesNothing) {
    Project first;
    ASSERT_TRUE(addNewProject(*m_db, sessionOf("BEN"), first).ok());
    EXPECT_EQ(first.PROJNUMBER, 1);
    EXPECT_EQ(first.USER, "BEN");
    EXPECT_EQ(first.TYPE, kProjectOpen);
    EXPECT_NE(first.rowPos, 0);

    project("Existing", 41, kProjectOpen, "ANNA");
    Project next;
    ASSERT_TRUE(addNewProject(*m_db, sessionOf("ANNA"), next).ok());
    EXPECT_EQ(next.PROJNUMBER, 42);

    // A second new project of the same user cannot be stored while the
    // first has no name: the name and owner are a unique key.
    bool unnamed = false;
    ASSERT_TRUE(hasUnnamedProject(*m_db, sessionOf("BEN"), unnamed).ok());
    EXPECT_TRUE(unnamed);
    ASSERT_TRUE(hasUnnamedProject(*m_db, sessionOf("CARLA"), unnamed).ok());
    EXPECT_FALSE(unnamed);
    Project second;
    EXPECT_EQ(addNewProject(*m_db, sessionOf("BEN"), second).code, store::kDuplicateKey);

    // While the new project is open it gains a link and a user; Cancel
    // deletes the project with both, and the assignment stays.
    const Assignment a = assignment(7, "BEN", "ANNA");
    ProjAssign link;
    ASSERT_TRUE(linkAssignment(*m_db, sessionOf("ANNA"), next, a.ASSIGNNUMBER, link).ok());
    listUser(next, "BEN");
    ASSERT_TRUE(deleteProject(*m_db, sessionOf("ANNA"), next).ok());
    EXPECT_EQ(countOf<Project>(store::eq("PROJNUMBER", std::int64_t{42})), 0);
    EXPECT_EQ(countOf<ProjAssign>(), 0);
    EXPECT_EQ(countOf<ProjUser>(), 0);
    EXPECT_EQ(countOf<Assignment>(), 1);
}

// ---- saving ------------------------------------------------------------------------------

TEST_F(ProjectRulesTest, RenameCarriesTheNameIntoLinksAndUsersOnly) {
    const Project p = project("Move office", 3, kProjectLimited, "ANNA");
    const Project other = project("Other", 4, kProjectOpen, "ANNA");
    assignment(1, "BEN", "ANNA");
    link(p, 1, "ANNA");
    link(other, 1, "ANNA");
    listUser(p, "BEN");

    Project renamed = p;
    renamed.NAME = "Move office 2027";
    const Outcome out = saveProject(*m_db, sessionOf("ANNA"), renamed, p);
    ASSERT_TRUE(out.ok()) << out.text;
    for (const ProjAssign& l : linksOfProject(3)) EXPECT_EQ(l.NAME, "Move office 2027");
    std::vector<ProjUser> users;
    ASSERT_TRUE(
        m_db->readAll("PRU:NUMBER_KEY", store::eq("PROJNUMBER", std::int64_t{3}), users).ok());
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users.front().NAME, "Move office 2027");
    const std::vector<ProjAssign> others = linksOfProject(4);
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others.front().NAME, "Other");
}

TEST_F(ProjectRulesTest, NameRules) {
    const Project mine = project("Budget", 1, kProjectOpen, "ANNA");
    project("Budget", 2, kProjectOpen, "BEN");  // the same name for another user is fine
    const Project second = project("Second", 3, kProjectOpen, "ANNA");

    Project dup = second;
    dup.NAME = "Budget";
    Outcome out = saveProject(*m_db, sessionOf("ANNA"), dup, second);
    EXPECT_EQ(out.kind, Outcome::Refused);
    ASSERT_TRUE(out.message);
    EXPECT_EQ(out.message->number, 24);
    EXPECT_NE(out.message->text.find("Prroject/User Key"), std::string::npos);

    Project blank = mine;
    blank.NAME = "   ";
    out = saveProject(*m_db, sessionOf("ANNA"), blank, mine);
    EXPECT_EQ(out.kind, Outcome::Refused);
    EXPECT_EQ(out.text, kProjectNameRequired);

    // A name past 30 characters is refused, not cut.
    Project tooLong = mine;
    tooLong.NAME = std::string(31, 'x');
    out = saveProject(*m_db, sessionOf("ANNA"), tooLong, mine);
    EXPECT_EQ(out.kind, Outcome::Refused);
    Project exact = mine;
    exact.NAME = std::string(30, 'y');
    EXPECT_TRUE(saveProject(*m_db, sessionOf("ANNA"), exact, mine).ok());

    Project notes = exact;
    notes.NOTE = std::string(1001, 'n');
    EXPECT_EQ(saveProject(*m_db, sessionOf("ANNA"), notes, exact).kind, Outcome::Refused);

    Project odd = exact;
    odd.TYPE = "Secret";
    EXPECT_EQ(saveProject(*m_db, sessionOf("ANNA"), odd, exact).text, kProjectTypeInvalid);

    // Nothing of the refused saves reached the store.
    std::vector<Project> stored;
    ASSERT_TRUE(m_db->readAll("PRO:AUTONUMBER_KEY", store::all(), stored).ok());
    EXPECT_EQ(stored[0].NAME, std::string(30, 'y'));
    EXPECT_EQ(stored[0].TYPE, kProjectOpen);
    EXPECT_TRUE(stored[0].NOTE.empty());
    EXPECT_EQ(stored[2].NAME, "Second");
}

TEST_F(ProjectRulesTest, OnlyOwnerOrAdministratorChangesOrDeletes) {
    const Project p = project("Anna's", 1, kProjectOpen, "ANNA");
    Project edited = p;
    edited.TYPE = kProjectPrivate;
    EXPECT_EQ(saveProject(*m_db, sessionOf("BEN", 1), edited, p).text, kProjectNotYours);
    EXPECT_EQ(deleteProject(*m_db, sessionOf("BEN", 1), p).text, kProjectNotYours);
    EXPECT_EQ(countOf<Project>(store::eq("TYPE", std::string(kProjectOpen))), 1);

    ASSERT_TRUE(saveProject(*m_db, sessionOf("BOSS", 2), edited, p).ok());
    EXPECT_EQ(countOf<Project>(store::eq("TYPE", std::string(kProjectPrivate))), 1);
    ASSERT_TRUE(deleteProject(*m_db, sessionOf("BOSS", 2), edited).ok());
    EXPECT_EQ(countOf<Project>(), 0);
}

TEST_F(ProjectRulesTest, ChangedByAnotherStationIsNotOverwritten) {
    const Project p = project("Shared", 1, kProjectOpen, "ANNA");
    auto other = test::openStation(m_source);
    ASSERT_TRUE(other);
    Project theirs = p;
    theirs.NOTE = "their notes";
    ASSERT_TRUE(other->change(theirs).ok());

    Project mine = p;
    mine.NAME = "Mine";
    const Outcome out = saveProject(*m_db, sessionOf("ANNA"), mine, p);
    EXPECT_EQ(out.kind, Outcome::ChangedElsewhere);
    EXPECT_EQ(mine.NAME, "Shared");
    EXPECT_EQ(mine.NOTE, "their notes");
}

// ---- links ----------------------------------------------------------------------------------

TEST_F(ProjectRulesTest, SameAssignmentTwiceGivesOneLink) {
    const Project p = project("Launch", 5, kProjectOpen, "ANNA");
    assignment(9, "BEN", "ANNA");
    ProjAssign link;
    Outcome out = linkAssignment(*m_db, sessionOf("BEN"), p, 9, link);
    ASSERT_EQ(out.kind, Outcome::Done);
    EXPECT_EQ(link.NAME, "Launch");
    EXPECT_EQ(link.USER, "BEN");
    out = linkAssignment(*m_db, sessionOf("ANNA"), p, 9, link);
    EXPECT_TRUE(alreadyLinked(out));
    EXPECT_EQ(out.text, kAlreadyPartOfProject);
    EXPECT_EQ(link.USER, "BEN");
    EXPECT_EQ(linksOfProject(5).size(), 1u);
}

TEST_F(ProjectRulesTest, LinkTakesTheStoredNameAndNeedsAVisibleProject) {
    const Project p = project("Stored name", 5, kProjectPrivate, "ANNA");
    assignment(9, "BEN", "ANNA");
    Project shown = p;
    shown.NAME = "Typed, not saved";
    ProjAssign link;
    Outcome out = linkAssignment(*m_db, sessionOf("ANNA"), shown, 9, link);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(link.NAME, "Stored name");

    assignment(10, "BEN", "BEN");
    out = linkAssignment(*m_db, sessionOf("BEN"), p, 10, link);
    EXPECT_EQ(out.kind, Outcome::Refused);
    EXPECT_EQ(out.text, kProjectNotVisible);
    EXPECT_FALSE(alreadyLinked(out));
    EXPECT_EQ(linksOfProject(5).size(), 1u);
}

TEST_F(ProjectRulesTest, RemovingLeavesTheAssignmentAndItsOtherProjects) {
    const Project p = project("One", 1, kProjectOpen, "ANNA");
    const Project q = project("Two", 2, kProjectOpen, "ANNA");
    assignment(3, "BEN", "ANNA");
    assignment(4, "BEN", "ANNA");
    link(p, 3, "ANNA");
    link(q, 3, "ANNA");
    link(p, 4, "ANNA");

    ASSERT_TRUE(removeFromProject(*m_db, sessionOf("ANNA"), 1, 3).ok());
    EXPECT_EQ(countOf<Assignment>(), 2);
    const std::vector<ProjAssign> left = linksOfProject(1);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.front().ASSIGNNUMBER, 4);
    EXPECT_EQ(linksOfProject(2).size(), 1u);
    // Gone already: nothing to do, and no failure.
    EXPECT_TRUE(removeFromProject(*m_db, sessionOf("ANNA"), 1, 3).ok());
}

TEST_F(ProjectRulesTest, WhoMayRemoveALink) {
    const Project p = project("Team", 1, kProjectOpen, "ANNA");
    assignment(3, "BEN", "ANNA");
    link(p, 3, "ANNA");
    const Outcome refused = removeFromProject(*m_db, sessionOf("BEN"), 1, 3);
    EXPECT_EQ(refused.kind, Outcome::Refused);
    EXPECT_EQ(refused.text, kNoAuthorityToRemove);
    EXPECT_EQ(linksOfProject(1).size(), 1u);
    EXPECT_TRUE(removeFromProject(*m_db, sessionOf("CARLA", 1), 1, 3).ok());

    link(p, 3, "BEN");
    EXPECT_TRUE(removeFromProject(*m_db, sessionOf("BEN"), 1, 3).ok());
    EXPECT_TRUE(linksOfProject(1).empty());
}

TEST(ProjectRights, ViewAllDoesNotOpenOthersAssignmentsFromAProject) {
    Assignment a;
    a.PERSON = "BEN";
    a.USERNAME = "ANNA";
    // The check knows nothing of SYP:VIEWALL: only person, maker and level 2.
    EXPECT_TRUE(mayOpenFromProject(a, sessionOf("BEN")));
    EXPECT_TRUE(mayOpenFromProject(a, sessionOf("ANNA")));
    EXPECT_TRUE(mayOpenFromProject(a, sessionOf("BOSS", 2)));
    EXPECT_FALSE(mayOpenFromProject(a, sessionOf("CARLA")));
    EXPECT_FALSE(mayOpenFromProject(a, sessionOf("CARLA", 1)));
    // Person and maker are compared exactly; a viewer who sees all is no exception.
    EXPECT_FALSE(mayOpenFromProject(a, sessionOf("ben")));
    EXPECT_FALSE(mayOpenFromProject(a, access::Viewer{"CARLA", 0, true}));
    EXPECT_TRUE(mayOpenFromProject(a, access::Viewer{"ANNA", 0, false}));
}

// ---- the project's list ----------------------------------------------------------------------

TEST_F(ProjectRulesTest, ListHoldsOnlyThisProjectsAssignmentsInEachOrder) {
    const Project p = project("Plan", 1, kProjectOpen, "ANNA");
    // Same name, another owner: its assignments must not show in "Plan".
    const Project twin = project("Plan", 2, kProjectOpen, "BEN");
    assignment(1, "ZOE", "ANNA", 300, 2);
    assignment(2, "ADA", "ANNA", 100, 9);
    assignment(3, "MAX", "ANNA", 200, 1);
    assignment(4, "ADA", "ANNA", 50, 1);
    for (int n : {1, 2, 3}) link(p, n, "ANNA");
    link(twin, 4, "BEN");

    const store::Filter f = projectAssignmentFilter(1, {true, false}, kAdministrator);
    EXPECT_EQ(listed("ASS:DUEDATE_KEY", f), (std::vector<std::int32_t>{2, 3, 1}));
    EXPECT_EQ(listed("ASS:PRIORITY_KEY", f), (std::vector<std::int32_t>{3, 1, 2}));
    EXPECT_EQ(listed("ASS:PERSONDATE_KEY", f), (std::vector<std::int32_t>{2, 3, 1}));
    EXPECT_EQ(listed("ASS:NAME_KEY", f), (std::vector<std::int32_t>{1, 2, 3}));
    for (const ProjectOrder& order : kProjectOrders)
        EXPECT_NE(Assignment::def().key(order.keyLabel), nullptr) << order.keyLabel;
}

TEST_F(ProjectRulesTest, CheckBoxesFilterSecondaryAndConcluded) {
    const Project p = project("Plan", 1, kProjectOpen, "ANNA");
    Assignment plain = assignment(1, "BEN", "ANNA", 100);
    Assignment secondary = assignment(2, "BEN", "ANNA", 200);
    secondary.SECONDARY = 1;
    ASSERT_TRUE(m_db->change(secondary).ok());
    Assignment odd = assignment(3, "BEN", "ANNA", 300);
    odd.SECONDARY = 2;  // only 1 counts as secondary
    ASSERT_TRUE(m_db->change(odd).ok());
    Assignment closed = assignment(4, "BEN", "ANNA", 400);
    closed.CLOSEDATE = 500;
    ASSERT_TRUE(m_db->change(closed).ok());
    for (int n : {1, 2, 3, 4}) link(p, n, "ANNA");

    using V = std::vector<std::int32_t>;
    EXPECT_EQ(listed("ASS:DUEDATE_KEY", projectAssignmentFilter(1, {false, false}, kAdministrator)),
              (V{1, 3, 4}));
    EXPECT_EQ(listed("ASS:DUEDATE_KEY", projectAssignmentFilter(1, {true, false}, kAdministrator)),
              (V{1, 2, 3, 4}));
    EXPECT_EQ(listed("ASS:DUEDATE_KEY", projectAssignmentFilter(1, {false, true}, kAdministrator)),
              (V{1, 3}));
    EXPECT_EQ(listed("ASS:PRIORITY_KEY", projectAssignmentFilter(1, {true, true}, kAdministrator)),
              (V{1, 2, 3}));
}

// The list (and the project reports, which read it) holds what the user may
// see on the person screens: not the work of another user's Private person,
// even one named like the user, unless given by him.
TEST_F(ProjectRulesTest, ListHidesAssignmentsOfAnotherUsersPrivatePerson) {
    const Project p = project("Plan", 1, kProjectOpen, "ANNA");
    test::addPerson(*m_db, 7, "ben", "Private", "CARLA");
    test::addPerson(*m_db, 8, "CLIENT", "Open", "ANNA");
    auto given = [&](int number, const std::string& to, int personNumber, const std::string& by) {
        Assignment a = assignment(number, to, by, 100 + number);
        a.PERSONNUMBER = personNumber;
        EXPECT_TRUE(m_db->change(a).ok());
        link(p, number, by);
    };
    given(1, "ben", 7, "CARLA");  // Carla's private "ben", not the user BEN
    given(2, "CLIENT", 8, "ANNA");
    given(3, "ben", 7, "BEN");  // given by BEN himself

    using V = std::vector<std::int32_t>;
    const struct {
        access::Viewer viewer;
        V rows;
    } cases[] = {
        {{"BEN", 0, false}, {2, 3}},      {{"BEN", 1, false}, {2, 3}}, {{"Ben", 0, false}, {2}},
        {{"BEN", 0, true}, {1, 2, 3}},  // SYP:VIEWALL
        {{"CARLA", 0, false}, {1, 2, 3}}, {{"DAN", 0, false}, {2}},    {kAdministrator, {1, 2, 3}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listed("ASS:DUEDATE_KEY", projectAssignmentFilter(1, {true, false}, c.viewer)),
                  c.rows)
            << c.viewer.user << " level " << c.viewer.level << " all " << c.viewer.viewAll;
}

TEST_F(ProjectRulesTest, OptionsPersistPerUser) {
    ProjectListOptions options;
    ASSERT_TRUE(loadProjectListOptions(*m_db, "BEN", options).ok());
    EXPECT_FALSE(options.includeSecondary || options.openOnly);

    // No preferences record yet: one is added.
    ASSERT_TRUE(saveProjectListOptions(*m_db, "BEN", {true, false}).ok());
    ASSERT_TRUE(loadProjectListOptions(*m_db, "BEN", options).ok());
    EXPECT_TRUE(options.includeSecondary);
    EXPECT_FALSE(options.openOnly);

    // Another station changed another preference meanwhile: both survive.
    UserPref pref;
    ASSERT_TRUE(m_db->fetch("USP:USERNAME_KEY", {std::string("BEN")}, pref).ok());
    auto other = test::openStation(m_source);
    ASSERT_TRUE(other);
    UserPref theirs = pref;
    theirs.PRIORITY = 3;
    ASSERT_TRUE(other->change(theirs).ok());
    ASSERT_TRUE(saveProjectListOptions(*m_db, "BEN", {false, true}).ok());
    ASSERT_TRUE(m_db->fetch("USP:USERNAME_KEY", {std::string("BEN")}, pref).ok());
    EXPECT_EQ(pref.PRIORITY, 3);
    EXPECT_EQ(pref.PROJOPEN, 1);
    EXPECT_EQ(pref.PROJSECONDARY, 0);
    EXPECT_EQ(countOf<UserPref>(), 1);
}

TEST_F(ProjectRulesTest, ProjectsOfAnAssignmentAreThoseTheUserSees) {
    const Project open = project("Open one", 1, kProjectOpen, "ANNA");
    const Project hidden = project("Anna only", 2, kProjectPrivate, "ANNA");
    assignment(5, "BEN", "ANNA");
    link(open, 5, "ANNA");
    link(hidden, 5, "ANNA");
    auto names = [&](const Session& s) {
        std::vector<ProjAssign> rows;
        EXPECT_TRUE(m_db->readAll("PRA:ASSIGNMENT_KEY", assignmentProjectsFilter(5, s), rows).ok());
        Names out;
        for (const ProjAssign& l : rows) out.insert(l.NAME);
        return out;
    };
    EXPECT_EQ(names(sessionOf("BEN")), Names{"Open one"});
    EXPECT_EQ(names(sessionOf("ANNA")), (Names{"Open one", "Anna only"}));
    EXPECT_EQ(names(sessionOf("BOSS", 2)), (Names{"Open one", "Anna only"}));
}

}  // namespace
}  // namespace tko
