// Deleting assignments on the engine under test: all of a person's, those
// concluded before a date in bounded steps, the rights, the person look-up,
// and that no reminder or project link is left pointing at nothing, after a
// full run, a cancel or a failure.
#include <gtest/gtest.h>

#include <set>

#include "assign/Deletion.h"
#include "data/Tables.h"
#include "support/FailingEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {

Session sessionOf(const std::string& user, int access) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

const Session kAdmin = sessionOf("SUPERVISOR", 2);
const Session kBen = sessionOf("BEN", 0);

class DeletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        m_ben = person("BEN", 2, "User", "BEN");
        m_carla = person("CARLA", 3, "User", "CARLA");
        person("DOCTOR", 7, "Private", "ANNA");
        Project p;
        p.NAME = "Move";
        p.PROJNUMBER = 1;
        ASSERT_TRUE(m_db->add(p).ok());
    }

    Person person(const std::string& name, int number, const std::string& type,
                  const std::string& owner) {
        Person p;
        p.SHORTNAME = name;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        EXPECT_TRUE(m_db->add(p).ok()) << name;
        return p;
    }

    // Assignment `number` of `who`, concluded on `closeDate` (0: open), with a
    // reminder of the assignee, one of another user and a project link.
    void assignment(int number, const Person& who, Date closeDate, Date prevClose = 0) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.PERSONNUMBER = who.PERSONNUMBER;
        a.PERSON = who.SHORTNAME;
        a.NAME = "Task " + std::to_string(number);
        a.CLOSEDATE = closeDate;
        a.PREVCLOSE = prevClose;
        a.DUEDATE = 1000 + number;
        ASSERT_TRUE(m_db->add(a).ok());
        for (const std::string& owner : {who.SHORTNAME, std::string("ANNA")}) {
            Reminder r;
            r.ASSIGNNUMBER = number;
            r.PERSON = owner;
            r.USER = owner;
            r.REMINDNUMBER = ++m_reminders;
            ASSERT_TRUE(m_db->add(r).ok());
        }
        ProjAssign link;
        link.NAME = "Move";
        link.PROJNUMBER = 1;
        link.ASSIGNNUMBER = number;
        ASSERT_TRUE(m_db->add(link).ok());
    }

    std::set<int> assignmentNumbers() {
        std::vector<Assignment> rows;
        EXPECT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), rows).ok());
        std::set<int> numbers;
        for (const Assignment& a : rows) numbers.insert(a.ASSIGNNUMBER);
        return numbers;
    }

    // Every table that refers to assignments (REMINDER, PROJASSGN) refers
    // only to assignments that exist, and every existing assignment keeps
    // its two reminders and its link.
    void expectNoDanglingReferences() {
        const std::set<int> numbers = assignmentNumbers();
        std::vector<Reminder> reminders;
        ASSERT_TRUE(m_db->readAll("REM:ASSIGNNUMBER_KEY", store::all(), reminders).ok());
        for (const Reminder& r : reminders)
            EXPECT_TRUE(numbers.count(r.ASSIGNNUMBER)) << "reminder of " << r.ASSIGNNUMBER;
        std::vector<ProjAssign> links;
        ASSERT_TRUE(m_db->readAll("PRA:ASSIGNMENT_KEY", store::all(), links).ok());
        for (const ProjAssign& l : links)
            EXPECT_TRUE(numbers.count(l.ASSIGNNUMBER)) << "link of " << l.ASSIGNNUMBER;
        EXPECT_EQ(reminders.size(), 2 * numbers.size());
        EXPECT_EQ(links.size(), numbers.size());
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
    Person m_ben, m_carla;
    int m_reminders = 0;
};

// ---- concluded before a date ----------------------------------------------------------

ConcludedDeletion::StepResult runToEnd(ConcludedDeletion& deletion) {
    ConcludedDeletion::StepResult r;
    int guard = 0;
    do {
        r = deletion.step();
    } while (r == ConcludedDeletion::StepResult::More && ++guard < 1000);
    return r;
}

TEST_F(DeletionTest, ByDateKeepsTheEnteredDayOpenAndRepeatingAssignments) {
    assignment(1, m_ben, 100);
    assignment(2, m_ben, 199);
    assignment(3, m_carla, 200);  // concluded on the entered date: stays
    assignment(4, m_carla, 300);
    assignment(5, m_ben, 0);       // open
    assignment(6, m_ben, 0, 150);  // repeating: concluded many times, never stopped
    ConcludedDeletion deletion(*m_db, kAdmin, 200);
    ASSERT_TRUE(deletion.prepare());
    EXPECT_EQ(deletion.total(), 2);
    EXPECT_EQ(runToEnd(deletion), ConcludedDeletion::StepResult::Finished);
    EXPECT_EQ(deletion.deleted(), 2);
    EXPECT_TRUE(deletion.compact().ok());
    EXPECT_EQ(assignmentNumbers(), (std::set<int>{3, 4, 5, 6}));
    // Other people's reminders and the project links went with them.
    expectNoDanglingReferences();
}

TEST_F(DeletionTest, ByDateWorksInBoundedStepsAndACancelLeavesConsistentData) {
    for (int n = 1; n <= 10; ++n) assignment(n, n % 2 ? m_ben : m_carla, 100 + n);
    ConcludedDeletion::Limits limits;
    limits.rowsPerStep = 3;
    limits.stepTime = std::chrono::hours(1);  // counted by rows here, not by time
    ConcludedDeletion deletion(*m_db, kAdmin, 1000, limits);
    ASSERT_TRUE(deletion.prepare());
    EXPECT_EQ(deletion.total(), 10);
    EXPECT_EQ(deletion.step(), ConcludedDeletion::StepResult::More);
    EXPECT_EQ(deletion.deleted(), 3);
    EXPECT_EQ(deletion.step(), ConcludedDeletion::StepResult::More);
    EXPECT_EQ(deletion.deleted(), 6);
    // The user cancels here: what went stays gone, the rest stays whole.
    EXPECT_EQ(assignmentNumbers().size(), 4u);
    expectNoDanglingReferences();
    // Going on later finishes the job.
    EXPECT_EQ(runToEnd(deletion), ConcludedDeletion::StepResult::Finished);
    EXPECT_TRUE(assignmentNumbers().empty());
    expectNoDanglingReferences();
}

TEST_F(DeletionTest, AStepThatTakesTooLongEndsEarlyAndTheNextGoesOn) {
    for (int n = 1; n <= 5; ++n) assignment(n, m_ben, 100 + n);
    ConcludedDeletion::Limits limits;
    limits.rowsPerStep = 100;
    limits.stepTime = std::chrono::milliseconds(0);  // every step stops after one row
    ConcludedDeletion deletion(*m_db, kAdmin, 1000, limits);
    ASSERT_TRUE(deletion.prepare());
    EXPECT_EQ(deletion.step(), ConcludedDeletion::StepResult::More);
    EXPECT_EQ(deletion.deleted(), 1);
    EXPECT_EQ(runToEnd(deletion), ConcludedDeletion::StepResult::Finished);
    EXPECT_EQ(deletion.deleted(), 5);
    EXPECT_TRUE(assignmentNumbers().empty());
}

TEST_F(DeletionTest, AFailedStepIsUndoneWholeAndEarlierStepsStay) {
    for (int n = 1; n <= 6; ++n) assignment(n, m_ben, 100 + n);
    Status status;
    auto failing =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    ASSERT_TRUE(status.ok());
    // Steps of two: the fourth assignment removed is the second of step two.
    failing->failRemove("ASSIGNMENT", 4);
    Database db(std::move(failing));
    ConcludedDeletion::Limits limits;
    limits.rowsPerStep = 2;
    limits.stepTime = std::chrono::hours(1);
    ConcludedDeletion deletion(db, kAdmin, 1000, limits);
    ASSERT_TRUE(deletion.prepare());
    EXPECT_EQ(deletion.step(), ConcludedDeletion::StepResult::More);
    EXPECT_EQ(deletion.step(), ConcludedDeletion::StepResult::Failed);
    ASSERT_TRUE(deletion.message());
    EXPECT_EQ(deletion.deleted(), 2);
    EXPECT_EQ(db.engine().transactionDepth(), 0);
    EXPECT_EQ(assignmentNumbers(), (std::set<int>{3, 4, 5, 6}));
    expectNoDanglingReferences();
}

TEST_F(DeletionTest, ByDateIsForAdministratorsWithADate) {
    assignment(1, m_ben, 100);
    ConcludedDeletion general(*m_db, kBen, 1000);
    EXPECT_FALSE(general.prepare());
    EXPECT_TRUE(general.message());
    // Skipping the check does not help either.
    EXPECT_EQ(general.step(), ConcludedDeletion::StepResult::Failed);
    ConcludedDeletion noDate(*m_db, kAdmin, kNoDate);
    EXPECT_FALSE(noDate.prepare());
    EXPECT_TRUE(noDate.message());
    EXPECT_EQ(assignmentNumbers(), (std::set<int>{1}));
}

TEST_F(DeletionTest, ByDateWithNothingToDeleteFinishesAtOnce) {
    assignment(1, m_ben, 0);
    ConcludedDeletion deletion(*m_db, kAdmin, 5000);
    ASSERT_TRUE(deletion.prepare());
    EXPECT_EQ(deletion.total(), 0);
    EXPECT_EQ(deletion.step(), ConcludedDeletion::StepResult::Finished);
    EXPECT_EQ(deletion.deleted(), 0);
    EXPECT_EQ(m_db->engine().transactionDepth(), 0);
}

// ---- all of a person's ---------------------------------------------------------------

TEST_F(DeletionTest, AllOfAPersonTakesOpenAndConcludedWithTheirChildren) {
    assignment(1, m_ben, 0);
    assignment(2, m_ben, 100);
    assignment(3, m_carla, 0);
    // More than one page of the walk; written in one transaction to save time.
    ASSERT_TRUE(m_db->begin({"ASSIGNMENT", "REMINDER", "PROJASSGN"}, 2000).ok());
    for (int n = 4; n <= 130; ++n) assignment(n, m_ben, n % 3 ? 0 : 50);
    ASSERT_TRUE(m_db->commit().ok());
    const PersonDeletion result = deleteAllAssignmentsOf(*m_db, kAdmin, m_ben.PERSONNUMBER);
    EXPECT_TRUE(result.outcome.ok());
    EXPECT_EQ(result.deleted, 129);
    EXPECT_EQ(assignmentNumbers(), (std::set<int>{3}));
    expectNoDanglingReferences();
}

TEST_F(DeletionTest, AllOfAPersonWhoHasNoneDeletesNothing) {
    assignment(1, m_carla, 0);
    const PersonDeletion result = deleteAllAssignmentsOf(*m_db, kAdmin, m_ben.PERSONNUMBER);
    EXPECT_TRUE(result.outcome.ok());
    EXPECT_EQ(result.deleted, 0);
    EXPECT_EQ(assignmentNumbers(), (std::set<int>{1}));
}

TEST_F(DeletionTest, AllOfAPersonStopsAtTheFirstFailure) {
    for (int n = 1; n <= 4; ++n) assignment(n, m_ben, 0);
    Status status;
    auto failing =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    ASSERT_TRUE(status.ok());
    failing->failRemove("ASSIGNMENT", 3);
    Database db(std::move(failing));
    const PersonDeletion result = deleteAllAssignmentsOf(db, kAdmin, m_ben.PERSONNUMBER);
    EXPECT_FALSE(result.outcome.ok());
    EXPECT_TRUE(result.outcome.message);
    EXPECT_EQ(result.deleted, 2);
    EXPECT_EQ(assignmentNumbers().size(), 2u);
    expectNoDanglingReferences();
}

TEST_F(DeletionTest, AllOfAPersonIsForAdministrators) {
    assignment(1, m_ben, 0);
    const PersonDeletion result = deleteAllAssignmentsOf(*m_db, kBen, m_ben.PERSONNUMBER);
    EXPECT_FALSE(result.outcome.ok());
    EXPECT_EQ(result.outcome.kind, Outcome::Refused);
    EXPECT_TRUE(result.outcome.message);
    EXPECT_EQ(result.deleted, 0);
    EXPECT_EQ(assignmentNumbers(), (std::set<int>{1}));
}

// ---- one assignment ----------------------------------------------------------------------

// Only the giver (exactly) or a System Administrator deletes an assignment;
// the refusal leaves it with its reminders and link.
TEST_F(DeletionTest, OneAssignmentIsDeletedOnlyByItsGiverOrAnAdministrator) {
    const struct {
        const Person& to;
        const char* givenBy;
        access::Viewer viewer;
        bool deleted;
    } cases[] = {
        {m_ben, "CARLA", {"BEN", 0, false}, false},   // work his colleague gave him
        {m_ben, "ben", {"BEN", 0, true}, false},      // another spelling is not his
        {m_carla, "CARLA", {"BEN", 1, true}, false},  // neither level 1 nor SYP:VIEWALL
        {m_carla, "BEN", {"BEN", 0, false}, true},
        {m_ben, "CARLA", {"SUPERVISOR", 2, false}, true},
    };
    int number = 0;
    for (const auto& c : cases) {
        assignment(++number, c.to, 0);
        Assignment a;
        ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{number}}, a).ok());
        a.USERNAME = c.givenBy;
        ASSERT_TRUE(m_db->change(a).ok());
        Assignment listed = a;
        listed.USERNAME = c.viewer.user;  // what a caller holds does not decide
        const Outcome out = deleteAssignment(*m_db, c.viewer, listed);
        EXPECT_EQ(out.ok(), c.deleted) << number;
        EXPECT_EQ(assignmentNumbers().count(number), c.deleted ? 0u : 1u) << number;
        if (!c.deleted) {
            EXPECT_EQ(out.text, kNotYourAssignment);
        }
    }
    expectNoDanglingReferences();
}

// The individual screen lists what the user may see on the person screens:
// not the work of another user's Private person unless he gave it.
TEST_F(DeletionTest, TheIndividualListHidesWorkOfAnotherUsersPrivatePerson) {
    const Person doctor = person("PODIATRIST", 8, "Private", "ANNA");
    assignment(1, doctor, 0);
    assignment(2, doctor, 0);
    Assignment mine;
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{2}}, mine).ok());
    mine.USERNAME = "BEN";
    ASSERT_TRUE(m_db->change(mine).ok());
    auto listed = [&](const access::Viewer& viewer) {
        std::vector<Assignment> rows;
        EXPECT_TRUE(
            m_db->readAll("ASS:PERSNUMDUEDATE_KEY", assignmentsOfPerson(8, viewer), rows).ok());
        std::set<int> numbers;
        for (const Assignment& a : rows) numbers.insert(a.ASSIGNNUMBER);
        return numbers;
    };
    EXPECT_EQ(listed({"BEN", 0, false}), (std::set<int>{2}));
    EXPECT_EQ(listed({"Ben", 0, false}), (std::set<int>{}));
    EXPECT_EQ(listed({"ANNA", 0, false}), (std::set<int>{1, 2}));
    EXPECT_EQ(listed({"SUPERVISOR", 2, false}), (std::set<int>{1, 2}));
}

// ---- the person of a deletion screen -----------------------------------------------

TEST_F(DeletionTest, TypedPersonsFollowTheRightsOfTheScreen) {
    // BEN may assign to himself but not to ANNA's private DOCTOR nor to CARLA.
    EXPECT_EQ(lookUpPerson(*m_db, kBen, DeletionScreen::Individual, "BEN").kind,
              PersonLookup::Found);
    for (const char* name : {"DOCTOR", "CARLA", "NOBODY"}) {
        const PersonLookup lookup = lookUpPerson(*m_db, kBen, DeletionScreen::Individual, name);
        EXPECT_EQ(lookup.kind, PersonLookup::NotFound) << name;
        EXPECT_TRUE(lookup.message) << name;
    }
    EXPECT_EQ(checkPerson(*m_db, kBen, DeletionScreen::Individual, 7).kind, PersonLookup::NotFound);
    // Trailing blanks do not count; an empty entry asks for a name.
    EXPECT_EQ(lookUpPerson(*m_db, kBen, DeletionScreen::Individual, "BEN   ").person.PERSONNUMBER,
              2);
    EXPECT_NE(lookUpPerson(*m_db, kBen, DeletionScreen::Individual, "  ").kind,
              PersonLookup::Found);
    // The batch screen: any person for an administrator, nobody for others.
    EXPECT_EQ(lookUpPerson(*m_db, kAdmin, DeletionScreen::AllOfPerson, "DOCTOR").kind,
              PersonLookup::Found);
    EXPECT_EQ(lookUpPerson(*m_db, kBen, DeletionScreen::AllOfPerson, "BEN").kind,
              PersonLookup::Failed);
}

}  // namespace
}  // namespace tko
