// Group lists without a window: who sees which groups, whom the multiple-select
// list offers, the working list, saving the name then the members, renaming,
// the name-per-user rule, deleting, and a members write that fails half-way.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "people/GroupLists.h"
#include "support/FailingEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {

using Names = std::set<std::string>;

Session sessionOf(const std::string& user, int access = 0) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

TEST(WorkingList, StaysSortedAndHoldsEachShortNameOnce) {
    WorkingList list;
    EXPECT_TRUE(list.add({"MIKE", 3}));
    EXPECT_TRUE(list.add({"ANNA", 1}));
    EXPECT_TRUE(list.add({"CARL", 2}));
    // Tagging people who are members already adds nothing, not even a
    // second entry under another number or with trailing blanks.
    EXPECT_EQ(list.addAll({{"CARL", 2}, {"ANNA   ", 1}, {"CARL", 99}, {"ZOE", 4}}), 1);
    ASSERT_EQ(list.size(), 4);
    const std::vector<GroupMember> expected{{"ANNA", 1}, {"CARL", 2}, {"MIKE", 3}, {"ZOE", 4}};
    EXPECT_EQ(list.members(), expected);
    EXPECT_FALSE(list.add({"", 5}));  // a person without a short name is no member

    EXPECT_TRUE(list.remove("CARL"));
    EXPECT_FALSE(list.remove("CARL"));
    EXPECT_FALSE(list.contains("CARL"));
    EXPECT_TRUE(list.contains("ZOE"));
}

class GroupListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    void person(const std::string& shortName, int number, const std::string& type,
                const std::string& owner) {
        Person p;
        p.SHORTNAME = shortName;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        EXPECT_TRUE(m_db->add(p).ok()) << shortName;
    }
    template <class R>
    void add(R record) {
        EXPECT_TRUE(m_db->add(record).ok());
    }

    // Saves a new group of `owner` with these members.
    GroupName newGroup(const std::string& name, const std::string& owner,
                       const std::vector<GroupMember>& members = {}) {
        GroupName group;
        group.GROUPNAME = name;
        WorkingList list;
        list.addAll(members);
        const Outcome out = saveGroupList(*m_db, sessionOf(owner), group, group, list);
        EXPECT_TRUE(out.ok()) << name << (out.message ? " " + out.message->text : "");
        return group;
    }

    std::vector<GroupPeople> storedMembers(std::int32_t groupNumber) {
        std::vector<GroupPeople> rows;
        EXPECT_TRUE(m_db->readAll("GRP:GROUPNUMBER_KEY",
                                  store::eq("GROUPNUMBER", std::int64_t{groupNumber}), rows)
                        .ok());
        return rows;
    }
    std::int64_t count(const store::TableDef& table) {
        std::int64_t n = 0;
        EXPECT_TRUE(m_db->engine().count(table, store::all(), n).ok());
        return n;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(GroupListsTest, AListWithNoMembersIsSavedWithoutMemberRecords) {
    const GroupName group = newGroup("Empty", "ANNA");
    EXPECT_EQ(group.GROUPNUMBER, 1);
    EXPECT_EQ(group.USER, "ANNA");
    EXPECT_EQ(count(GroupName::def()), 1);
    EXPECT_EQ(count(GroupPeople::def()), 0);
}

TEST_F(GroupListsTest, SavingReplacesTheMembersWithTheWorkingList) {
    GroupName group = newGroup("Sales", "ANNA", {{"BEN", 2}, {"CARLA", 3}});
    const GroupName other = newGroup("Board", "ANNA", {{"BEN", 2}});
    EXPECT_EQ(other.GROUPNUMBER, group.GROUPNUMBER + 1);

    WorkingList list;
    ASSERT_TRUE(loadMembers(*m_db, group.GROUPNUMBER, list).ok());
    ASSERT_EQ(list.size(), 2);
    list.remove("BEN");
    list.add({"DORA", 4});
    const GroupName opened = group;
    ASSERT_TRUE(saveGroupList(*m_db, sessionOf("ANNA"), group, opened, list).ok());
    Names names;
    for (const GroupPeople& row : storedMembers(group.GROUPNUMBER)) {
        names.insert(row.SHORTNAME);
        EXPECT_EQ(row.GROUPNAME, "Sales");
    }
    EXPECT_EQ(names, (Names{"CARLA", "DORA"}));
    // The other group keeps its member.
    EXPECT_EQ(storedMembers(other.GROUPNUMBER).size(), 1u);
}

TEST_F(GroupListsTest, RenamingRewritesEveryMemberRecord) {
    GroupName group = newGroup("Sales", "ANNA", {{"BEN", 2}, {"CARLA", 3}, {"DORA", 4}});
    const GroupName opened = group;
    group.GROUPNAME = "Sales and Marketing";
    WorkingList list;
    ASSERT_TRUE(loadMembers(*m_db, group.GROUPNUMBER, list).ok());
    ASSERT_TRUE(saveGroupList(*m_db, sessionOf("ANNA"), group, opened, list).ok());
    const std::vector<GroupPeople> rows = storedMembers(group.GROUPNUMBER);
    ASSERT_EQ(rows.size(), 3u);
    for (const GroupPeople& row : rows) EXPECT_EQ(row.GROUPNAME, "Sales and Marketing");
    std::vector<GroupPeople> byOldName;
    ASSERT_TRUE(
        m_db->readAll("GRP:GROUPNAME_KEY", store::eq("GROUPNAME", std::string("Sales")), byOldName)
            .ok());
    EXPECT_TRUE(byOldName.empty());
}

TEST_F(GroupListsTest, OneNamePerUserButTwoUsersMayShareIt) {
    const GroupName annas = newGroup("Team", "ANNA");
    const GroupName bens = newGroup("Team", "BEN");
    EXPECT_NE(annas.GROUPNUMBER, bens.GROUPNUMBER);

    GroupName second;
    second.GROUPNAME = "Team";
    bool nameStored = true;
    const Outcome out = saveGroupList(*m_db, sessionOf("ANNA"), second, second, {}, &nameStored);
    EXPECT_EQ(out.kind, Outcome::Refused);
    EXPECT_EQ(out.field, "name");
    EXPECT_FALSE(nameStored);
    ASSERT_TRUE(out.message);
    EXPECT_EQ(out.message->number, 24);
    EXPECT_NE(out.message->text.find("Duplicate GroupName/User combination"), std::string::npos);
    EXPECT_EQ(count(GroupName::def()), 2);

    // Renaming another of ANNA's groups to the taken name is refused alike,
    // and the stored group keeps its name.
    GroupName other = newGroup("Other", "ANNA", {{"BEN", 2}});
    const GroupName opened = other;
    other.GROUPNAME = "Team";
    WorkingList list;
    list.add({"BEN", 2});
    const Outcome renamed = saveGroupList(*m_db, sessionOf("ANNA"), other, opened, list);
    EXPECT_EQ(renamed.kind, Outcome::Refused);
    EXPECT_EQ(renamed.field, "name");
    GroupName stored;
    ASSERT_TRUE(m_db->fetch("GRO:AUTONUMBER_KEY", {std::int64_t{opened.GROUPNUMBER}}, stored).ok());
    EXPECT_EQ(stored.GROUPNAME, "Other");
    EXPECT_EQ(storedMembers(opened.GROUPNUMBER).front().GROUPNAME, "Other");

    // A blank name is refused before anything is written.
    GroupName blank;
    blank.GROUPNAME = "   ";
    EXPECT_EQ(saveGroupList(*m_db, sessionOf("ANNA"), blank, blank, {}).kind, Outcome::Refused);
    EXPECT_EQ(count(GroupName::def()), 3);
}

TEST_F(GroupListsTest, OwnGroupsForUsersAllGroupsForSystemAdministrators) {
    newGroup("Anna's", "ANNA");
    newGroup("Ben's", "BEN");
    newGroup("Also Ben's", "BEN");
    auto listed = [&](const Session& s) {
        std::vector<GroupName> rows;
        EXPECT_TRUE(m_db->readAll("GRO:GROUPNAME_KEY", groupListFilter(s), rows).ok());
        Names names;
        for (const GroupName& g : rows) names.insert(g.GROUPNAME);
        return names;
    };
    EXPECT_EQ(listed(sessionOf("BEN")), (Names{"Ben's", "Also Ben's"}));
    // A People Administrator sees only their own, like a General User.
    EXPECT_EQ(listed(sessionOf("ANNA", 1)), (Names{"Anna's"}));
    EXPECT_EQ(listed(sessionOf("BOSS", 2)), (Names{"Anna's", "Ben's", "Also Ben's"}));
}

TEST_F(GroupListsTest, AnotherUsersGroupCanBeNeitherChangedNorDeleted) {
    GroupName bens = newGroup("Ben's", "BEN", {{"CARLA", 3}});
    const GroupName opened = bens;
    bens.GROUPNAME = "Taken over";
    EXPECT_EQ(saveGroupList(*m_db, sessionOf("ANNA", 1), bens, opened, {}).kind, Outcome::Refused);
    EXPECT_EQ(deleteGroupList(*m_db, sessionOf("ANNA", 1), opened).kind, Outcome::Refused);
    EXPECT_EQ(count(GroupName::def()), 1);
    EXPECT_EQ(count(GroupPeople::def()), 1);

    // A System Administrator may rename it; it stays Ben's.
    WorkingList list;
    ASSERT_TRUE(loadMembers(*m_db, opened.GROUPNUMBER, list).ok());
    ASSERT_TRUE(saveGroupList(*m_db, sessionOf("BOSS", 2), bens, opened, list).ok());
    EXPECT_EQ(bens.USER, "BEN");
    EXPECT_EQ(storedMembers(opened.GROUPNUMBER).size(), 1u);
}

TEST_F(GroupListsTest, DeletingAGroupTakesItsMembersOnly) {
    const GroupName sales = newGroup("Sales", "ANNA", {{"BEN", 2}, {"CARLA", 3}});
    const GroupName board = newGroup("Board", "ANNA", {{"BEN", 2}});
    GroupName stored;
    ASSERT_TRUE(m_db->fetch("GRO:AUTONUMBER_KEY", {std::int64_t{sales.GROUPNUMBER}}, stored).ok());
    ASSERT_TRUE(deleteGroupList(*m_db, sessionOf("ANNA"), stored).ok());
    EXPECT_EQ(count(GroupName::def()), 1);
    EXPECT_TRUE(storedMembers(sales.GROUPNUMBER).empty());
    EXPECT_EQ(storedMembers(board.GROUPNUMBER).size(), 1u);
}

TEST_F(GroupListsTest, AFailedMemberWriteKeepsTheStoredMembers) {
    GroupName group = newGroup("Sales", "ANNA", {{"BEN", 2}, {"CARLA", 3}});
    Status status;
    auto engine =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    test::FailingEngine& failing = *engine;
    Database db(std::move(engine));
    WorkingList list;
    list.addAll({{"DORA", 4}, {"EVA", 5}, {"FRED", 6}});
    // The old members are deleted first; then the first new one cannot be added.
    failing.failAdds("GROUPPEOPLE", 1, store::kEngineError);
    const GroupName opened = group;
    bool nameStored = false;
    const Outcome out = saveGroupList(db, sessionOf("ANNA"), group, opened, list, &nameStored);
    EXPECT_EQ(out.kind, Outcome::Failed);
    EXPECT_TRUE(nameStored);
    ASSERT_TRUE(out.message);
    EXPECT_EQ(out.message->number, 34);
    Names names;
    for (const GroupPeople& row : storedMembers(group.GROUPNUMBER)) names.insert(row.SHORTNAME);
    EXPECT_EQ(names, (Names{"BEN", "CARLA"}));
    // The group itself was stored: a second save changes it rather than adding one.
    EXPECT_NE(group.rowPos, 0);
    ASSERT_TRUE(saveGroupList(db, sessionOf("ANNA"), group, group, list).ok());
    EXPECT_EQ(count(GroupName::def()), 1);
    EXPECT_EQ(storedMembers(group.GROUPNUMBER).size(), 3u);
}

TEST_F(GroupListsTest, TheMultipleSelectListOffersWhomTheUserMayPick) {
    person("ANNA", 1, "User", "ANNA");
    person("BEN", 2, "User", "BEN");
    person("CARLA", 3, "User", "CARLA");
    person("DORA", 4, "User", "DORA");
    person("PRINTSHOP", 5, "Open", "ANNA");
    person("DENTIST", 6, "Private", "BEN");
    person("DOCTOR", 7, "Private", "ANNA");
    person("LAWYER", 8, "Limited", "CARLA");   // BEN listed
    person("BANKER", 9, "Limited", "ANNA");    // nobody listed
    person("OWNLIMIT", 10, "Limited", "BEN");  // BEN owns it
    add(PeoUser{8, "BEN"});
    add(UserAssign{"CARLA", "BEN"});  // BEN may assign to CARLA
    add(UserView{"DORA", "BEN"});     // viewing is not assigning
    add(UserAssign{"BEN", "DORA"});   // a grant the other way round
    auto offered = [&](const Session& s) {
        std::vector<Person> rows;
        EXPECT_TRUE(m_db->readAll("PEO:SHORT_KEY", multipleSelectFilter(s), rows).ok());
        Names names;
        for (const Person& p : rows) names.insert(p.SHORTNAME);
        return names;
    };
    const Names forBen{"BEN", "CARLA", "PRINTSHOP", "DENTIST", "LAWYER", "OWNLIMIT"};
    EXPECT_EQ(offered(sessionOf("BEN")), forBen);
    // No access level lifts the rule.
    EXPECT_EQ(offered(sessionOf("BEN", 2)), forBen);
    EXPECT_EQ(offered(sessionOf("ANNA", 2)), (Names{"ANNA", "PRINTSHOP", "DOCTOR", "BANKER"}));
}

TEST_F(GroupListsTest, AGroupNamedByTypingIsOnlyOneTheUserMayUse) {
    newGroup("Team", "ANNA");
    const GroupName bens = newGroup("Team", "BEN");
    const GroupName solo = newGroup("Solo", "BEN");
    std::optional<GroupName> found;
    ASSERT_TRUE(findGroupByName(*m_db, sessionOf("BEN"), "Team", found).ok());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->GROUPNUMBER, bens.GROUPNUMBER);
    // Another user's group stays unknown to a General User.
    ASSERT_TRUE(findGroupByName(*m_db, sessionOf("CARLA"), "Solo", found).ok());
    EXPECT_FALSE(found);
    // An administrator finds the one group of a name; of two, none (the list decides).
    ASSERT_TRUE(findGroupByName(*m_db, sessionOf("BOSS", 2), "Solo", found).ok());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->GROUPNUMBER, solo.GROUPNUMBER);
    ASSERT_TRUE(findGroupByName(*m_db, sessionOf("BOSS", 2), "Team", found).ok());
    EXPECT_FALSE(found);
}

}  // namespace
}  // namespace tko
