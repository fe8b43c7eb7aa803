// Cascading deletes and changes, the change check between stations, and the
// numbering helper, run against the engine under test.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "data/Integrity.h"
#include "data/Numbering.h"
#include "platform/store/EngineLog.h"
#include "support/FailingEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {

class IntegrityTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    Person person(const std::string& shortName, int number, const std::string& type = "Open",
                  const std::string& owner = "ANNA") {
        Person p;
        p.SHORTNAME = shortName;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        EXPECT_TRUE(m_db->add(p).ok());
        return p;
    }
    void anniversary(const std::string& shortName, int number, int day) {
        Anniversary a;
        a.SHORTNAME = shortName;
        a.NUMBER = number;
        a.DAYOFYEAR = static_cast<std::int16_t>(day);
        EXPECT_TRUE(m_db->add(a).ok());
    }
    void member(const std::string& group, int groupNumber, const std::string& shortName,
                int number) {
        GroupPeople g{group, groupNumber, shortName, number};
        EXPECT_TRUE(m_db->add(g).ok());
    }
    Assignment assignment(int number, const std::string& person, int personNumber) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.PERSON = person;
        a.PERSONNUMBER = personNumber;
        a.NAME = "Task " + std::to_string(number);
        EXPECT_TRUE(m_db->add(a).ok());
        return a;
    }
    template <class R>
    std::int64_t count(const store::Filter& filter = store::all()) {
        std::int64_t n = -1;
        EXPECT_TRUE(m_db->count<R>(filter, n).ok());
        return n;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(IntegrityTest, DeletingAPersonRemovesItsChildrenAndKeepsItsAssignments) {
    const Person lawyer = person("LAWYER", 7, "Limited");
    person("OTHER", 8);
    anniversary("LAWYER", 7, 10);
    anniversary("LAWYER", 7, 200);
    anniversary("OTHER", 8, 11);
    member("Front", 1, "LAWYER", 7);
    member("Front", 1, "OTHER", 8);
    for (const char* user : {"CARLA", "ANNA"}) {
        PeoUser pu{7, user};
        ASSERT_TRUE(m_db->add(pu).ok());
    }
    assignment(1, "LAWYER", 7);

    const Outcome outcome = deleteRecord(*m_db, lawyer);
    ASSERT_TRUE(outcome.ok()) << (outcome.message ? outcome.message->text : "");
    EXPECT_EQ(count<Person>(), 1);
    EXPECT_EQ(count<Anniversary>(), 1);
    EXPECT_EQ(count<GroupPeople>(), 1);
    EXPECT_EQ(count<PeoUser>(), 0);
    EXPECT_EQ(count<Assignment>(), 1);
    EXPECT_EQ(m_db->openCount("ANNIVERS"), 0);  // the operation closed what it opened
}

TEST_F(IntegrityTest, RenamingAShortNameRewritesExactlyTheRowsWithTheOldNameAndNumber) {
    Person ben = person("BEN", 3);
    anniversary("BEN", 3, 40);
    anniversary("BEN", 9, 41);    // same name, other number: not this person's
    anniversary("BENNY", 3, 42);  // same number, other name: stale, left alone
    member("Sales", 2, "BEN", 3);
    member("Sales", 2, "BEN", 9);
    assignment(1, "BEN", 3);
    assignment(2, "BEN", 9);
    Reminder r;
    r.ASSIGNNUMBER = 1;
    r.REMINDNUMBER = 1;
    r.PERSON = "BEN";
    ASSERT_TRUE(m_db->add(r).ok());

    const Person original = ben;
    ben.SHORTNAME = "BENJAMIN";
    const Outcome outcome = changeRecord(*m_db, ben, original);
    ASSERT_TRUE(outcome.ok()) << (outcome.message ? outcome.message->text : "");

    EXPECT_EQ(count<Anniversary>(store::eq("SHORTNAME", std::string("BENJAMIN"))), 1);
    EXPECT_EQ(count<Anniversary>(store::allOf(
                  {store::eq("SHORTNAME", std::string("BEN")), store::eq("NUMBER", 9)})),
              1);
    EXPECT_EQ(count<Anniversary>(store::eq("SHORTNAME", std::string("BENNY"))), 1);
    EXPECT_EQ(count<GroupPeople>(store::eq("SHORTNAME", std::string("BENJAMIN"))), 1);
    EXPECT_EQ(count<GroupPeople>(store::eq("SHORTNAME", std::string("BEN"))), 1);
    Assignment a1, a2;
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, a1).ok());
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{2}}, a2).ok());
    EXPECT_EQ(a1.PERSON, "BENJAMIN");
    EXPECT_EQ(a2.PERSON, "BEN");
    // The reminder's short name is not a linked field: it keeps the old name.
    Reminder rem;
    ASSERT_TRUE(m_db->fetch("REM:REMINDERNUMBER_KEY", {std::int64_t{1}}, rem).ok());
    EXPECT_EQ(rem.PERSON, "BEN");
}

TEST_F(IntegrityTest,
       DeletingAUserTakesTheUsersPersonWithItsChildrenButNotAnotherUsersPrivatePerson) {
    User carla;
    carla.USERNAME = "CARLA";
    ASSERT_TRUE(m_db->add(carla).ok());
    person("CARLA", 1, "User", "CARLA");
    person("CARLA", 2, "Private", "BEN");  // Ben's private contact who happens to share the name
    anniversary("CARLA", 1, 100);
    anniversary("CARLA", 2, 101);
    member("Team", 1, "CARLA", 1);
    member("Team", 1, "CARLA", 2);
    UserPref pref;
    pref.USERNAME = "CARLA";
    ASSERT_TRUE(m_db->add(pref).ok());
    UserAssign ua{"CARLA", "BEN"};
    UserView uv{"CARLA", "BEN"};
    UserGroupUser ugu{"All users", "CARLA"};
    ASSERT_TRUE(m_db->add(ua).ok() && m_db->add(uv).ok() && m_db->add(ugu).ok());
    assignment(1, "CARLA", 1);

    const Outcome outcome = deleteRecord(*m_db, carla);
    ASSERT_TRUE(outcome.ok()) << (outcome.message ? outcome.message->text : "");
    EXPECT_EQ(count<User>(), 0);
    EXPECT_EQ(count<UserPref>(), 0);
    EXPECT_EQ(count<UserAssign>(), 0);
    EXPECT_EQ(count<UserView>(), 0);
    EXPECT_EQ(count<UserGroupUser>(), 0);
    EXPECT_EQ(count<Person>(), 1);  // Ben's private CARLA stays
    EXPECT_EQ(count<Person>(store::eq("PERSONNUMBER", 2)), 1);
    EXPECT_EQ(count<Anniversary>(), 1);
    EXPECT_EQ(count<Anniversary>(store::eq("NUMBER", 2)), 1);
    EXPECT_EQ(count<GroupPeople>(), 1);
    EXPECT_EQ(count<GroupPeople>(store::eq("PERSONNUMBER", 2)), 1);
    EXPECT_EQ(count<Assignment>(), 1);
}

TEST_F(IntegrityTest, RenamingProjectsAndGroupsCarriesNumberAndNameIntoTheirChildren) {
    Project project;
    project.NAME = "Move";
    project.PROJNUMBER = 4;
    ASSERT_TRUE(m_db->add(project).ok());
    ProjAssign pa{"Move", 4, 1, "ANNA"};
    ProjUser pu{"Move", 4, "BEN"};
    ASSERT_TRUE(m_db->add(pa).ok() && m_db->add(pu).ok());
    const Project original = project;
    project.NAME = "Office move";
    ASSERT_TRUE(changeRecord(*m_db, project, original).ok());
    EXPECT_EQ(count<ProjAssign>(store::eq("NAME", std::string("Office move"))), 1);
    EXPECT_EQ(count<ProjUser>(store::eq("NAME", std::string("Office move"))), 1);

    GroupName group;
    group.GROUPNAME = "Front";
    group.GROUPNUMBER = 1;
    ASSERT_TRUE(m_db->add(group).ok());
    member("Front", 1, "BEN", 3);
    const GroupName before = group;
    group.GROUPNAME = "Front office";
    ASSERT_TRUE(changeRecord(*m_db, group, before).ok());
    EXPECT_EQ(count<GroupPeople>(store::eq("GROUPNAME", std::string("Front office"))), 1);
    ASSERT_TRUE(deleteRecord(*m_db, group).ok());
    EXPECT_EQ(count<GroupPeople>(), 0);
}

TEST_F(IntegrityTest, ACascadeThatFailsHalfWayLeavesParentAndChildrenAsTheyWere) {
    const Person lawyer = person("LAWYER", 7);
    anniversary("LAWYER", 7, 10);
    member("A", 1, "LAWYER", 7);
    member("B", 2, "LAWYER", 7);
    m_db.reset();
    Status status;
    auto failing =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    failing->failRemove("GROUPPEOPLE", 2);
    Database db(std::move(failing));

    const Outcome outcome = deleteRecord(db, lawyer);
    EXPECT_EQ(outcome.kind, Outcome::Failed);
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->number, 17);
    EXPECT_NE(outcome.message->text.find("GROUPPEOPLE"), std::string::npos);
    EXPECT_EQ(db.lastError().code, store::kEngineError);
    EXPECT_EQ(db.engine().transactionDepth(), 0);
    std::int64_t n = 0;
    ASSERT_TRUE(db.count<Person>(store::all(), n).ok());
    EXPECT_EQ(n, 1);
    ASSERT_TRUE(db.count<Anniversary>(store::all(), n).ok());
    EXPECT_EQ(n, 1);  // deleted before the failure, restored by the rollback
    ASSERT_TRUE(db.count<GroupPeople>(store::all(), n).ok());
    EXPECT_EQ(n, 2);
}

TEST_F(IntegrityTest, AChildRewriteThatFailsLeavesTheParentUnchanged) {
    Person ben = person("BEN", 3);
    anniversary("BEN", 3, 40);
    assignment(1, "BEN", 3);
    m_db.reset();
    Status status;
    auto failing =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    failing->failChange("ASSIGNMENT", 1);
    Database db(std::move(failing));
    const Person original = ben;
    ben.SHORTNAME = "BENJAMIN";
    const Outcome outcome = changeRecord(db, ben, original);
    EXPECT_EQ(outcome.kind, Outcome::Failed);
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->number, 15);
    Person stored;
    ASSERT_TRUE(db.fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{3}}, stored).ok());
    EXPECT_EQ(stored.SHORTNAME, "BEN");
    Anniversary ann;
    ASSERT_TRUE(db.fetch("ANN:NUMBER_KEY", {std::int64_t{3}}, ann).ok());
    EXPECT_EQ(ann.SHORTNAME, "BEN");
}

// Runs `body` in a separate process (a second station) and returns its exit code.
template <class F>
int inOtherProcess(F body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST_F(IntegrityTest, TheSecondOfTwoStationsGetsTheFirstStationsValuesAndWritesNothing) {
    Assignment mine = assignment(1, "BEN", 3);
    const Assignment original = mine;
    const DataSource source = m_source;

    const int other = inOtherProcess([source] {
        Status status;
        auto station = Database::open(source, false, status);
        if (!station) return 1;
        Assignment theirs;
        if (!station->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, theirs).ok()) return 2;
        const Assignment before = theirs;
        theirs.NAME = "Changed at station one";
        theirs.PRIORITY = 1;
        return changeRecord(*station, theirs, before).ok() ? 0 : 3;
    });
    ASSERT_EQ(other, 0);

    mine.NAME = "Changed at station two";
    mine.DUEDATE = 5000;
    Outcome outcome = changeRecord(*m_db, mine, original);
    EXPECT_EQ(outcome.kind, Outcome::ChangedElsewhere);
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->text, "This record was changed by another station.");
    EXPECT_EQ(mine.NAME, "Changed at station one");  // the form now shows their values
    EXPECT_EQ(mine.PRIORITY, 1);
    EXPECT_EQ(mine.DUEDATE, 0);
    Assignment stored;
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, stored).ok());
    EXPECT_EQ(stored.NAME, "Changed at station one");
    EXPECT_EQ(stored.DUEDATE, 0);

    // With the show-changes flag the longer message is used; after the reload
    // the check is re-armed and the next save goes through.
    Assignment again = mine;
    const Assignment reloaded = mine;
    again.DUEDATE = 6000;
    outcome = changeRecord(*m_db, again, reloaded, true);
    EXPECT_TRUE(outcome.ok());
}

TEST_F(IntegrityTest, ATransactionThatCannotBeginWithinTwoSecondsChangesNothing) {
    const Person lawyer = person("LAWYER", 7);
    anniversary("LAWYER", 7, 10);
    const DataSource source = m_source;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        // The other station holds its write transaction for four seconds.
        Status status;
        auto station = Database::open(source, false, status);
        if (!station || !station->begin({"PEOPLE", "ANNIVERS"}, 2000).ok()) _exit(1);
        Person p;
        if (!station->fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{7}}, p).ok()) _exit(2);
        p.LASTNAME = "Held";
        if (!station->change(p).ok()) _exit(3);
        const char byte = 'x';
        if (write(ready[1], &byte, 1) != 1) _exit(4);
        sleep(4);
        station->rollback();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    store::setEngineLogFile(m_dir.file("engine.log"));
    const Outcome outcome = deleteRecord(*m_db, lawyer);
    store::setEngineLogFile({});
    int status = 0;
    waitpid(pid, &status, 0);
    close(ready[0]);
    close(ready[1]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(outcome.kind, Outcome::Failed);
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->number, 34);
    EXPECT_EQ(outcome.message->title, "Transaction Framing Error");
    EXPECT_EQ(count<Person>(), 1);
    EXPECT_EQ(count<Anniversary>(), 1);
    // The user reads this program's text and code; the engine's own words
    // ("database is locked (5)", a lock time-out) go to the engine log only.
    EXPECT_NE(outcome.message->text.find("(File is locked by another station (32))"),
              std::string::npos)
        << outcome.message->text;
    EXPECT_EQ(m_db->lastError().describe(), "File is locked by another station (32)");
    ASSERT_FALSE(m_db->lastError().engineText.empty());
    EXPECT_EQ(outcome.message->text.find(m_db->lastError().engineText), std::string::npos);
    std::ifstream log(m_dir.file("engine.log"));
    const std::string logged((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(logged.find(" 32 File is locked by another station | engine "), std::string::npos)
        << logged;
    EXPECT_NE(logged.find(m_db->lastError().engineText), std::string::npos) << logged;
}

TEST_F(IntegrityTest, NumbersAreOneAboveTheHighestAndRetriedOnDuplicates) {
    Reminder first;
    ASSERT_TRUE(addNumbered(*m_db, first, &Reminder::REMINDNUMBER, "REM:REMINDERNUMBER_KEY").ok());
    EXPECT_EQ(first.REMINDNUMBER, 1);  // a new record in an empty file is number 1
    Reminder high;
    high.REMINDNUMBER = 41;
    ASSERT_TRUE(m_db->add(high).ok());
    Reminder next;
    ASSERT_TRUE(addNumbered(*m_db, next, &Reminder::REMINDNUMBER, "REM:REMINDERNUMBER_KEY").ok());
    EXPECT_EQ(next.REMINDNUMBER, 42);

    m_db.reset();
    Status status;
    auto engine =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    test::FailingEngine* failing = engine.get();
    Database db(std::move(engine));
    failing->failAdds("REMINDER", 2, store::kDuplicateKey);
    Reminder third;
    EXPECT_TRUE(addNumbered(db, third, &Reminder::REMINDNUMBER, "REM:REMINDERNUMBER_KEY").ok());
    EXPECT_EQ(failing->addsTried("REMINDER"), 3);
    failing->failAdds("REMINDER", kNumberingAttempts, store::kDuplicateKey);
    Reminder refused;
    EXPECT_EQ(addNumbered(db, refused, &Reminder::REMINDNUMBER, "REM:REMINDERNUMBER_KEY").code,
              store::kDuplicateKey);
    EXPECT_EQ(failing->addsTried("REMINDER"), 3 + kNumberingAttempts);
}

// An insert form's record: added at once, deleted with what was attached to
// it when the form is cancelled, kept once confirmed; a duplicate number is
// tried again only while the user says so.
TEST_F(IntegrityTest, AProvisionalRecordGoesOnCancelWithItsChildrenUnlessKept) {
    auto addAssignment = [&](Assignment& a) { return m_db->add(a); };
    auto never = [](const std::string&) { return false; };
    for (const bool confirmed : {false, true}) {
        ProvisionalRecord<Assignment> provisional;
        Assignment a;
        a.ASSIGNNUMBER = confirmed ? 2 : 1;
        ASSERT_TRUE(provisional.add(*m_db, a, addAssignment, never).ok());
        EXPECT_TRUE(provisional.pending());
        Reminder r;
        r.REMINDNUMBER = a.ASSIGNNUMBER;
        r.ASSIGNNUMBER = a.ASSIGNNUMBER;
        ASSERT_TRUE(m_db->add(r).ok());
        if (confirmed) provisional.keep();
        EXPECT_TRUE(provisional.cancel(*m_db, a).ok());
        EXPECT_FALSE(provisional.pending());
        const std::int64_t left = confirmed ? 1 : 0;
        EXPECT_EQ(count<Assignment>(store::eq("ASSIGNNUMBER", std::int64_t{a.ASSIGNNUMBER})), left);
        EXPECT_EQ(count<Reminder>(store::eq("ASSIGNNUMBER", std::int64_t{a.ASSIGNNUMBER})), left);
    }

    // Number 2 is taken: each retry the user allows adds again, and giving up
    // leaves nothing to delete.
    for (const int allowed : {0, 1}) {
        ProvisionalRecord<Assignment> provisional;
        Assignment taken;
        taken.ASSIGNNUMBER = 2;
        int asked = 0;
        const Status s = provisional.add(
            *m_db, taken,
            [&](Assignment& a) {
                if (asked > 0) a.ASSIGNNUMBER = 3;
                return m_db->add(a);
            },
            [&](const std::string&) { return asked++ < allowed; });
        EXPECT_EQ(s.code, allowed == 1 ? store::kOk : store::kDuplicateKey);
        EXPECT_EQ(provisional.pending(), allowed == 1);
        EXPECT_EQ(asked, 1);
    }
    EXPECT_EQ(count<Assignment>(), 2);
}

TEST_F(IntegrityTest, TransactionsCoverTheParentAndEveryChildTable) {
    EXPECT_EQ(transactionTables(Person::def(), false),
              (std::vector<std::string>{"PEOPLE", "ANNIVERS", "ASSIGNMENT", "PROJASSGN", "REMINDER",
                                        "GROUPPEOPLE", "PEOUSER"}));
    EXPECT_EQ(transactionTables(User::def(), true),
              (std::vector<std::string>{"USERS", "GROUPPEOPLE", "PEOPLE", "ANNIVERS", "PEOUSER",
                                        "USERASSGN", "USERPREF", "USERVIEW", "USGRPUSERS",
                                        "SECURITY", "CALDAVUSER", "CALDAVPREF", "CALDAVSYNC",
                                        "NOTICEPREF", "OUTBOX"}));
    EXPECT_EQ(transactionTables(Reminder::def(), true), (std::vector<std::string>{"REMINDER"}));
}

}  // namespace
}  // namespace tko
