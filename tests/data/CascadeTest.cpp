// The renaming and deleting cascades of users, user groups, assignments and
// projects: exactly the child rows that carry the old linking value follow
// (or go), every other row stays as it was. Run against the engine under test.
#include <gtest/gtest.h>

#include <functional>

#include "data/Integrity.h"
#include "support/TestStore.h"

namespace tko {
namespace {

class CascadeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }
    template <class R>
    R added(R record) {
        EXPECT_TRUE(m_db->add(record).ok());
        return record;
    }
    template <class R>
    std::int64_t count(const store::Filter& filter = store::all()) {
        std::int64_t n = -1;
        EXPECT_TRUE(m_db->count<R>(filter, n).ok());
        return n;
    }
    static store::Filter is(const char* field, const std::string& text) {
        return store::eq(field, text);
    }
    static store::Filter is(const char* field, std::int64_t number) {
        return store::eq(field, number);
    }
    Person person(const std::string& name, int number, const std::string& type,
                  const std::string& owner) {
        Person p;
        p.SHORTNAME = name;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        return added(p);
    }
    Assignment assignment(int number, const std::string& person, int personNumber) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.PERSON = person;
        a.PERSONNUMBER = personNumber;
        return added(a);
    }
    Reminder reminder(int number, int assignNumber) {
        Reminder r;
        r.REMINDNUMBER = number;
        r.ASSIGNNUMBER = assignNumber;
        return added(r);
    }
    // A user with every kind of row that carries his name, and the same kinds
    // of rows for another user that must stay untouched.
    User userWithRows(const std::string& name, const std::string& other) {
        User user;
        user.USERNAME = name;
        user = added(user);
        User second;
        second.USERNAME = other;
        added(second);
        person(name, 1, "User", name);
        person(other, 2, "User", other);
        person(name, 3, "Private", other);  // the other user's contact of the same name
        added(Anniversary{0, "", name, 1, 10});
        added(GroupPeople{"Team", 1, name, 1});
        added(GroupPeople{"Team", 1, name, 3});
        added(GroupPeople{"Team", 1, other, 2});
        assignment(1, name, 1);
        assignment(2, other, 2);
        for (const auto& [a, b] : {std::pair{name, other}, std::pair{other, name}}) {
            added(UserAssign{a, b});
            added(UserView{a, b});
        }
        added(UserGroupUser{"All users", name});
        added(UserGroupUser{"All users", other});
        UserPref pref;
        pref.USERNAME = name;
        added(pref);
        pref.USERNAME = other;
        added(pref);
        return user;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

// The text indexes of the word search follow every write: an insert, a
// change, a rename that cascades into other tables, a delete; a lost index is
// made again on opening and rebuilt on request.
TEST_F(CascadeTest, TextIndexesFollowEveryWriteAndAreRebuilt) {
    auto found = [&](const char* index, const char* typed, auto record) {
        using R = decltype(record);
        return count<R>(store::matches(index, typed));
    };
    Person ann = person("Ann", 1, "Open", "BOSS");
    Assignment a = assignment(1, "Ann", 1);
    a.NAME = "Miller lease";
    a.LOG = "called Straße office";
    ASSERT_TRUE(m_db->change(a).ok());
    assignment(2, "Ann", 1);
    const struct {
        const char* index;
        const char* typed;
        std::int64_t assignments;
    } before[] = {{"ASS:TEXT", "miller", 1},     {"ASS:TEXT", "LEASE mil", 1},
                  {"ASS:TEXT", "straße", 1},     {"ASS:TEXT", "ease", 0},
                  {"ASS:CONFTEXT", "miller", 0}, {"ASS:TEXT", "", 0}};
    for (const auto& c : before)
        EXPECT_EQ(found(c.index, c.typed, Assignment{}), c.assignments)
            << c.index << " " << c.typed;

    a.NAME = "Baker";
    a.CONFMEMO = "miller";
    ASSERT_TRUE(m_db->change(a).ok());
    EXPECT_EQ(found("ASS:TEXT", "miller", Assignment{}), 0);
    EXPECT_EQ(found("ASS:TEXT", "baker", Assignment{}), 1);
    EXPECT_EQ(found("ASS:CONFTEXT", "miller", Assignment{}), 1);

    // The person's new short name is found, the old one no more; the
    // assignments the rename rewrote keep their words.
    Person renamed = ann;
    renamed.SHORTNAME = "Zoë";
    ASSERT_TRUE(changeRecord(*m_db, renamed, ann).ok());
    EXPECT_EQ(count<Assignment>(is("PERSON", "Zoë")), 2);
    EXPECT_EQ(found("PEO:TEXT", "zoe", Person{}), 1);
    EXPECT_EQ(found("PEO:TEXT", "ann", Person{}), 0);
    EXPECT_EQ(found("ASS:TEXT", "baker", Assignment{}), 1);

    ASSERT_TRUE(m_db->reread(a).ok());
    ASSERT_TRUE(m_db->remove(a).ok());
    EXPECT_EQ(found("ASS:TEXT", "baker", Assignment{}), 0);
    EXPECT_EQ(found("ASS:CONFTEXT", "miller", Assignment{}), 0);

    Project p;
    p.NAME = "Harbour";
    p.PROJNUMBER = 7;
    p.NOTE = "quay wall";
    added(p);
    EXPECT_EQ(found("PRO:TEXT", "QUAY harb", Project{}), 1);

    // Rebuilt from the rows, the indexes find the same.
    ASSERT_TRUE(m_db->refreshTextIndexes(true).ok());
    EXPECT_EQ(found("PRO:TEXT", "quay", Project{}), 1);
    EXPECT_EQ(found("PEO:TEXT", "zoe", Person{}), 1);
    EXPECT_EQ(found("ASS:TEXT", "baker", Assignment{}), 0);
}

// The first rows of a search from the index's side are the first rows a full
// read of the same filter gives, whatever the limit, the restriction and the
// alternatives (the word search reads its candidates so).
TEST_F(CascadeTest, TheFirstMatchesFromTheIndexAreTheFirstOfTheWholeRead) {
    // Ann holds every third assignment; "lease" is in every other one's
    // name, "zephyr" in the confidential comments of every fifth.
    for (int n = 1; n <= 30; ++n) {
        Assignment a;
        a.ASSIGNNUMBER = n;
        a.PERSON = n % 3 == 0 ? "Ann" : "Bob";
        a.NAME = n % 2 == 0 ? "Miller lease " + std::to_string(n) : "Task " + std::to_string(n);
        a.CONFMEMO = n % 5 == 0 ? "zephyr" : "";
        added(a);
    }
    auto numbers = [&](const store::Filter& filter, int limit) {
        store::ReadRequest request;
        request.filter = filter;
        request.limit = limit;
        std::vector<Assignment> rows;
        const Status s = m_db->read(request, rows);
        EXPECT_TRUE(s.ok() || s.endOfRange()) << s.describe();
        std::vector<int> out;
        for (const Assignment& a : rows) out.push_back(a.ASSIGNNUMBER);
        return out;
    };
    for (const store::Filter& within :
         {store::all(), is("PERSON", "Ann"), store::anyOf({is("PERSON", "Ann"), is("NAME", "x")})})
        for (const int limit : {1, 2, 4, 7, 100})
            for (const char* typed : {"lease", "MILL", "nothing"}) {
                const std::vector<int> whole =
                    numbers(store::allOf(
                                {within, store::anyOf({store::matches("ASS:TEXT", typed),
                                                       store::matches("ASS:CONFTEXT", "zephyr")})}),
                            limit);
                const std::vector<int> first = numbers(
                    store::allOf(
                        {within,
                         store::anyOf(
                             {store::matchesFirst("ASS:TEXT", typed, within, limit),
                              store::matchesFirst("ASS:CONFTEXT", "zephyr", within, limit)})}),
                    limit);
                EXPECT_EQ(first, whole) << typed << " limit " << limit;
            }
    // A limit that leaves matches out still gives the first ones.
    EXPECT_EQ(numbers(store::matchesFirst("ASS:TEXT", "lease", is("PERSON", "Ann"), 2), 100),
              (std::vector<int>{6, 12}));
}

TEST_F(CascadeTest, RenamingAUserCarriesTheNewNameIntoEveryRowOfHisAndNoOtherRow) {
    User carla = userWithRows("CARLA", "BEN");
    const User before = carla;
    carla.USERNAME = "CARLOTTA";
    const Outcome outcome = changeRecord(*m_db, carla, before);
    ASSERT_TRUE(outcome.ok()) << (outcome.message ? outcome.message->text : "");

    // Her person entry, with its anniversaries, memberships and assignments.
    EXPECT_EQ(count<Person>(is("SHORTNAME", "CARLOTTA")), 1);
    EXPECT_EQ(count<Person>(store::allOf({is("SHORTNAME", "CARLOTTA"), is("PERSONNUMBER", 1)})), 1);
    EXPECT_EQ(count<Anniversary>(is("SHORTNAME", "CARLOTTA")), 1);
    EXPECT_EQ(count<GroupPeople>(
                  store::allOf({is("SHORTNAME", "CARLOTTA"), is("PERSONNUMBER", std::int64_t{1})})),
              1);
    Assignment a1;
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, a1).ok());
    EXPECT_EQ(a1.PERSON, "CARLOTTA");
    // Her rights, preferences and user-group membership.
    EXPECT_EQ(count<UserAssign>(is("USERNAME", "CARLOTTA")), 1);
    EXPECT_EQ(count<UserView>(is("USERNAME", "CARLOTTA")), 1);
    EXPECT_EQ(count<UserPref>(is("USERNAME", "CARLOTTA")), 1);
    EXPECT_EQ(count<UserGroupUser>(is("USERNAME", "CARLOTTA")), 1);
    EXPECT_EQ(count<UserPref>(is("USERNAME", "CARLA")), 0);
    EXPECT_EQ(count<UserGroupUser>(is("USERNAME", "CARLA")), 0);

    // Ben's private contact named CARLA, and its membership, keep the name.
    EXPECT_EQ(count<Person>(store::allOf({is("SHORTNAME", "CARLA"), is("PERSONNUMBER", 3)})), 1);
    EXPECT_EQ(count<GroupPeople>(
                  store::allOf({is("SHORTNAME", "CARLA"), is("PERSONNUMBER", std::int64_t{3})})),
              1);
    // Ben's own rows are untouched.
    EXPECT_EQ(count<UserAssign>(is("USERNAME", "BEN")), 1);
    EXPECT_EQ(count<UserPref>(is("USERNAME", "BEN")), 1);
    Assignment a2;
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{2}}, a2).ok());
    EXPECT_EQ(a2.PERSON, "BEN");
}

// Every column that names a user follows his rename when it names him letter
// for letter; a row naming "Carla" (another spelling, a different identity)
// and another user's row keep their names. An Open person who merely shares
// the user's name is not his own entry and keeps it too.
TEST_F(CascadeTest, RenamingAUserCarriesEveryColumnNamingHimExactly) {
    struct Column {
        const store::TableDef& table;
        const char* column;
        std::function<void(const std::string& name, int n)> add;
    };
    const std::vector<Column> columns{
        {Assignment::def(), "USERNAME",
         [&](const std::string& name, int n) {
             Assignment a;
             a.ASSIGNNUMBER = 100 + n;
             a.USERNAME = name;
             added(a);
         }},
        {Reminder::def(), "USER",
         [&](const std::string& name, int n) {
             added(Reminder{0, "", 0, "", 0, name, 100 + n});
         }},
        {Reminder::def(), "PERSON",
         [&](const std::string& name, int n) {
             added(Reminder{0, "", 0, name, 0, "", 200 + n});
         }},
        {Person::def(), "USER",
         [&](const std::string& name, int n) {
             person("Contact" + std::to_string(n), 100 + n, "Private", name);
         }},
        {GroupName::def(), "USER",
         [&](const std::string& name, int n) {
             added(GroupName{"List" + std::to_string(n), 100 + n, name});
         }},
        {Project::def(), "USER",
         [&](const std::string& name, int n) {
             Project p;
             p.NAME = "Project" + std::to_string(n);
             p.PROJNUMBER = 100 + n;
             p.USER = name;
             added(p);
         }},
        {ProjAssign::def(), "USER",
         [&](const std::string& name, int n) {
             added(ProjAssign{"P", 100 + n, 1, name});
         }},
        {ProjUser::def(), "USER",
         [&](const std::string& name, int n) {
             added(ProjUser{"P", 100 + n, name});
         }},
        {PeoUser::def(), "USER",
         [&](const std::string& name, int n) {
             added(PeoUser{100 + n, name});
         }},
    };
    User carla = userWithRows("CARLA", "BEN");
    person("CARLA", 4, "Open", "");
    int n = 0;
    for (const Column& c : columns)
        for (const char* name : {"CARLA", "Carla", "BEN"}) c.add(name, ++n);

    const User before = carla;
    carla.USERNAME = "CARLOTTA";
    const Outcome outcome = changeRecord(*m_db, carla, before);
    ASSERT_TRUE(outcome.ok()) << (outcome.message ? outcome.message->text : "");
    for (const Column& c : columns) {
        for (const auto& [name, expected] : {std::pair{"CARLOTTA", 1}, std::pair{"CARLA", 0},
                                             std::pair{"Carla", 1}, std::pair{"BEN", 1}}) {
            std::int64_t found = -1;
            ASSERT_TRUE(m_db->engine()
                            .count(c.table, store::same(c.column, std::string(name)), found)
                            .ok());
            // PEOPLE: her own entry is also owned by her.
            const int own = c.table.label == "PEOPLE" && std::string(name) == "CARLOTTA" ? 1 : 0;
            const int ben = c.table.label == "PEOPLE" && std::string(name) == "BEN" ? 2 : 0;
            EXPECT_EQ(found, expected + own + ben)
                << c.table.label << ":" << c.column << " " << name;
        }
    }
    EXPECT_EQ(count<Person>(store::allOf({is("SHORTNAME", "CARLA"), is("PERSONNUMBER", 4)})), 1);
}

TEST_F(CascadeTest, DeletingAUserRemovesHisRowsAndKeepsHisAssignmentsAndOtherUsersRows) {
    const User carla = userWithRows("CARLA", "BEN");
    const Outcome outcome = deleteRecord(*m_db, carla);
    ASSERT_TRUE(outcome.ok()) << (outcome.message ? outcome.message->text : "");

    EXPECT_EQ(count<User>(), 1);
    EXPECT_EQ(count<Person>(is("PERSONNUMBER", std::int64_t{1})), 0);
    EXPECT_EQ(count<Anniversary>(), 0);  // the person's own child goes with it
    EXPECT_EQ(count<GroupPeople>(is("PERSONNUMBER", std::int64_t{1})), 0);
    EXPECT_EQ(count<UserAssign>(is("USERNAME", "CARLA")), 0);
    EXPECT_EQ(count<UserView>(is("USERNAME", "CARLA")), 0);
    EXPECT_EQ(count<UserPref>(is("USERNAME", "CARLA")), 0);
    EXPECT_EQ(count<UserGroupUser>(is("USERNAME", "CARLA")), 0);
    // Assignments are not children of a user; Ben's contact and rows stay.
    EXPECT_EQ(count<Assignment>(), 2);
    EXPECT_EQ(count<Person>(is("PERSONNUMBER", std::int64_t{3})), 1);
    EXPECT_EQ(count<GroupPeople>(is("PERSONNUMBER", std::int64_t{3})), 1);
    EXPECT_EQ(count<UserAssign>(is("USERNAME", "BEN")), 1);
    EXPECT_EQ(count<UserGroupUser>(is("USERNAME", "BEN")), 1);
    EXPECT_EQ(count<UserPref>(is("USERNAME", "BEN")), 1);
}

TEST_F(CascadeTest, UserGroupsCarryTheirMembersThroughARenameAndTakeThemOnDelete) {
    UserGroup sales;
    sales.GROUP = "Sales";
    sales = added(sales);
    UserGroup office;
    office.GROUP = "Office";
    office = added(office);
    for (const char* user : {"ANNA", "BEN"}) added(UserGroupUser{"Sales", user});
    added(UserGroupUser{"Office", "ANNA"});

    const UserGroup before = sales;
    sales.GROUP = "Sales team";
    ASSERT_TRUE(changeRecord(*m_db, sales, before).ok());
    EXPECT_EQ(count<UserGroupUser>(is("GROUP", "Sales team")), 2);
    EXPECT_EQ(count<UserGroupUser>(is("GROUP", "Sales")), 0);
    EXPECT_EQ(count<UserGroupUser>(is("GROUP", "Office")), 1);

    ASSERT_TRUE(deleteRecord(*m_db, sales).ok());
    EXPECT_EQ(count<UserGroup>(), 1);
    EXPECT_EQ(count<UserGroupUser>(), 1);
    EXPECT_EQ(count<UserGroupUser>(is("GROUP", "Office")), 1);
}

TEST_F(CascadeTest, AnAssignmentsRemindersAndProjectLinksFollowItsNumberAndGoWithIt) {
    Assignment first = assignment(1, "BEN", 3);
    assignment(2, "BEN", 3);
    reminder(1, 1);
    reminder(2, 1);
    reminder(3, 2);
    added(ProjAssign{"Move", 4, 1, "ANNA"});
    added(ProjAssign{"Move", 4, 2, "ANNA"});

    const Assignment before = first;
    first.ASSIGNNUMBER = 10;
    ASSERT_TRUE(changeRecord(*m_db, first, before).ok());
    EXPECT_EQ(count<Reminder>(is("ASSIGNNUMBER", std::int64_t{10})), 2);
    EXPECT_EQ(count<Reminder>(is("ASSIGNNUMBER", std::int64_t{2})), 1);
    EXPECT_EQ(count<ProjAssign>(is("ASSIGNNUMBER", std::int64_t{10})), 1);
    EXPECT_EQ(count<ProjAssign>(is("ASSIGNNUMBER", std::int64_t{1})), 0);
    EXPECT_EQ(count<ProjAssign>(is("ASSIGNNUMBER", std::int64_t{2})), 1);

    // A change that keeps the number rewrites no child.
    Reminder untouched;
    ASSERT_TRUE(m_db->fetch("REM:REMINDERNUMBER_KEY", {std::int64_t{1}}, untouched).ok());
    const Assignment renamed = first;
    first.NAME = "Other name";
    ASSERT_TRUE(changeRecord(*m_db, first, renamed).ok());
    Reminder again;
    ASSERT_TRUE(m_db->fetch("REM:REMINDERNUMBER_KEY", {std::int64_t{1}}, again).ok());
    EXPECT_EQ(again.rowVersion, untouched.rowVersion);

    ASSERT_TRUE(deleteRecord(*m_db, first).ok());
    EXPECT_EQ(count<Assignment>(), 1);
    EXPECT_EQ(count<Reminder>(), 1);
    EXPECT_EQ(count<Reminder>(is("ASSIGNNUMBER", std::int64_t{2})), 1);
    EXPECT_EQ(count<ProjAssign>(), 1);
    EXPECT_EQ(count<ProjAssign>(is("ASSIGNNUMBER", std::int64_t{2})), 1);
}

TEST_F(CascadeTest, AProjectsLinksAndUsersFollowItsNumberAndNameAndGoWithIt) {
    Project move;
    move.NAME = "Move";
    move.PROJNUMBER = 4;
    move = added(move);
    Project audit;
    audit.NAME = "Audit";
    audit.PROJNUMBER = 5;
    audit = added(audit);
    assignment(1, "BEN", 3);
    added(ProjAssign{"Move", 4, 1, "ANNA"});
    added(ProjAssign{"Move", 9, 1, "ANNA"});  // another number: not this project's
    added(ProjAssign{"Audit", 5, 1, "ANNA"});
    added(ProjUser{"Move", 4, "BEN"});
    added(ProjUser{"Audit", 5, "BEN"});

    const Project before = move;
    move.PROJNUMBER = 40;
    move.NAME = "Office move";
    ASSERT_TRUE(changeRecord(*m_db, move, before).ok());
    EXPECT_EQ(count<ProjAssign>(
                  store::allOf({is("PROJNUMBER", std::int64_t{40}), is("NAME", "Office move")})),
              1);
    EXPECT_EQ(count<ProjAssign>(is("PROJNUMBER", std::int64_t{9})), 1);
    EXPECT_EQ(count<ProjUser>(
                  store::allOf({is("PROJNUMBER", std::int64_t{40}), is("NAME", "Office move")})),
              1);
    EXPECT_EQ(count<ProjAssign>(is("NAME", "Audit")), 1);
    EXPECT_EQ(count<ProjUser>(is("NAME", "Audit")), 1);

    ASSERT_TRUE(deleteRecord(*m_db, move).ok());
    EXPECT_EQ(count<Project>(), 1);
    EXPECT_EQ(count<ProjAssign>(is("PROJNUMBER", std::int64_t{40})), 0);
    EXPECT_EQ(count<ProjUser>(is("PROJNUMBER", std::int64_t{40})), 0);
    EXPECT_EQ(count<ProjAssign>(is("PROJNUMBER", std::int64_t{5})), 1);
    EXPECT_EQ(count<ProjUser>(is("PROJNUMBER", std::int64_t{5})), 1);
    EXPECT_EQ(count<Assignment>(), 1);  // the assignment itself is not the project's
}

}  // namespace
}  // namespace tko
