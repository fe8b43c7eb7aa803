// One assignment for every eligible member of a group list: eligibility,
// consecutive numbers, reminders and links on every record, a group nobody
// in may be given work, a failure half-way, and two stations at once.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>

#include "assign/AssignmentRules.h"
#include "assign/GroupAssignment.h"
#include "assign/ReminderRules.h"
#include "data/Tables.h"
#include "platform/Date.h"
#include "support/FailingEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {

Session sessionOf(const std::string& user, int access = 0) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

class GroupAssignmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        person("ANNA", 1, "User");
        person("BEN", 2, "User");
        person("CARLA", 3, "User");
        person("PRINTSHOP", 4, "Open");
        person("LAWYER", 5, "Limited");
        add(UserAssign{"BEN", "ANNA"});  // ANNA may give BEN assignments, not CARLA
    }

    void person(const std::string& shortName, int number, const std::string& type) {
        Person p;
        p.SHORTNAME = shortName;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = "ANNA";
        EXPECT_TRUE(m_db->add(p).ok()) << shortName;
    }
    template <class R>
    void add(R record) {
        EXPECT_TRUE(m_db->add(record).ok());
    }

    GroupName group(const std::string& owner, const std::vector<GroupMember>& members) {
        GroupName g;
        g.GROUPNAME = "Team";
        WorkingList list;
        list.addAll(members);
        EXPECT_TRUE(saveGroupList(*m_db, sessionOf(owner), g, g, list).ok());
        return g;
    }

    // The form's record: primed, added at once, then filled in.
    Assignment templ(Database& db, const std::string& user) {
        Assignment a = primeAssignment(UserPref{}, user, m_today);
        EXPECT_TRUE(addNewAssignment(db, a).ok());
        a.NAME = "Quarterly report";
        a.GENERALMEMO = "Everyone writes a page.";
        applyInsertOnOk(a, sessionOf(user), m_today, fromHms(9, 30));
        return a;
    }

    std::vector<Assignment> stored() {
        std::vector<Assignment> rows;
        EXPECT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), rows).ok());
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
    const Date m_today = fromYmd(2024, 3, 11);
};

TEST_F(GroupAssignmentTest, EligibilityFollowsTypeAndAssignRights) {
    const GroupName g =
        group("ANNA", {{"ANNA", 1}, {"BEN", 2}, {"CARLA", 3}, {"PRINTSHOP", 4}, {"LAWYER", 5}});
    std::vector<GroupMember> members;
    std::vector<SkippedMember> skipped;
    ASSERT_TRUE(eligibleMembers(*m_db, sessionOf("ANNA"), g.GROUPNUMBER, members, &skipped).ok());
    std::vector<std::string> names;
    for (const GroupMember& m : members) names.push_back(m.SHORTNAME);
    // CARLA is a user ANNA may not assign to; ANNA herself always counts.
    EXPECT_EQ(names, (std::vector<std::string>{"ANNA", "BEN", "LAWYER", "PRINTSHOP"}));
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].shortName, "CARLA");
    EXPECT_EQ(skipped[0].reason, SkippedMember::NoAssignRight);
    // For BEN: no grants at all, so of the users only BEN himself.
    ASSERT_TRUE(eligibleMembers(*m_db, sessionOf("BEN"), g.GROUPNUMBER, members).ok());
    names.clear();
    for (const GroupMember& m : members) names.push_back(m.SHORTNAME);
    EXPECT_EQ(names, (std::vector<std::string>{"BEN", "LAWYER", "PRINTSHOP"}));
}

TEST(SkippedMembers, OneLinePerReasonNamingTheMembers) {
    using R = SkippedMember;
    EXPECT_EQ(skippedMembersText({}), "");
    EXPECT_EQ(
        skippedMembersText(
            {{"CARLA", R::NoAssignRight}, {"GONE", R::NotInPeople}, {"DORA", R::NoAssignRight}}),
        "Not given to CARLA, DORA: they take no assignments from you.\n"
        "Not given to GONE: no longer among the people.");
}

TEST_F(GroupAssignmentTest, OneIneligibleUserOfThreeYieldsTwoConsecutiveRecords) {
    const GroupName g = group("ANNA", {{"BEN", 2}, {"CARLA", 3}, {"PRINTSHOP", 4}});
    Assignment a = templ(*m_db, "ANNA");
    std::vector<Assignment> created;
    const Outcome out = giveGroupAssignment(*m_db, sessionOf("ANNA"), a, g, &created);
    ASSERT_TRUE(out.ok()) << out.text;
    ASSERT_TRUE(out.message);  // CARLA is named, with the reason
    EXPECT_EQ(out.message->text,
              "The assignment went to 2 of the 3 members.\n"
              "Not given to CARLA: they take no assignments from you.");
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created[0].ASSIGNNUMBER, a.ASSIGNNUMBER);  // the template itself
    EXPECT_EQ(created[1].ASSIGNNUMBER, a.ASSIGNNUMBER + 1);
    const std::vector<Assignment> rows = stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].PERSON, "BEN");
    EXPECT_EQ(rows[0].PERSONNUMBER, 2);
    EXPECT_EQ(rows[1].PERSON, "PRINTSHOP");
    EXPECT_EQ(rows[1].PERSONNUMBER, 4);
    for (const Assignment& r : rows) {
        EXPECT_EQ(r.NAME, "Quarterly report");
        EXPECT_EQ(r.GENERALMEMO, "Everyone writes a page.");
        EXPECT_EQ(r.USERNAME, "ANNA");
        EXPECT_EQ(r.LOG.rfind("Created ", 0), 0u);
        EXPECT_EQ(r.SEEN, 0);
    }
}

TEST_F(GroupAssignmentTest, AGroupContainingTheCurrentUserIncludesThem) {
    // CARLA gave nobody rights, yet she is in her own group's assignment.
    const GroupName g = group("CARLA", {{"ANNA", 1}, {"CARLA", 3}});
    Assignment a = templ(*m_db, "CARLA");
    std::vector<Assignment> created;
    const Outcome out = giveGroupAssignment(*m_db, sessionOf("CARLA"), a, g, &created);
    ASSERT_TRUE(out.ok()) << out.text;
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(stored().front().PERSON, "CARLA");
}

TEST_F(GroupAssignmentTest, RemindersAndProjectLinksAreOnEveryRecord) {
    const GroupName g = group("ANNA", {{"ANNA", 1}, {"BEN", 2}, {"PRINTSHOP", 4}});
    Assignment a = templ(*m_db, "ANNA");
    for (const char* note : {"Draft due", "Final due"}) {
        Reminder r = primeReminder(a, "ANNA");
        r.NOTE = note;
        ASSERT_TRUE(addNewReminder(*m_db, r).ok());
    }
    Project project;
    project.NAME = "Annual review";
    project.PROJNUMBER = 7;
    bool added = false;
    ASSERT_TRUE(addProjectLink(*m_db, a, project, "ANNA", added).ok());

    std::vector<Assignment> records;
    const Outcome out = giveGroupAssignment(*m_db, sessionOf("ANNA"), a, g, &records);
    ASSERT_TRUE(out.ok()) << out.text;
    ASSERT_EQ(records.size(), 3u);
    std::set<std::int32_t> reminderNumbers;
    for (const Assignment& created : records) {
        std::vector<Reminder> reminders;
        ASSERT_TRUE(remindersOf(*m_db, created.ASSIGNNUMBER, reminders).ok());
        ASSERT_EQ(reminders.size(), 2u) << created.PERSON;
        for (const Reminder& r : reminders) {
            EXPECT_EQ(r.PERSON, created.PERSON);
            EXPECT_EQ(r.USER, "ANNA");
            reminderNumbers.insert(r.REMINDNUMBER);
        }
        std::vector<ProjAssign> links;
        ASSERT_TRUE(projectLinksOf(*m_db, created.ASSIGNNUMBER, links).ok());
        ASSERT_EQ(links.size(), 1u) << created.PERSON;
        EXPECT_EQ(links[0].NAME, "Annual review");
        EXPECT_EQ(links[0].PROJNUMBER, 7);
    }
    EXPECT_EQ(reminderNumbers.size(), 6u);  // every copy numbered on its own
}

TEST_F(GroupAssignmentTest, AGroupWithNoEligibleMemberWritesNothing) {
    const GroupName g = group("ANNA", {{"CARLA", 3}});
    Assignment a = templ(*m_db, "ANNA");
    const Assignment before = a;
    std::vector<Assignment> created;
    const Outcome out = giveGroupAssignment(*m_db, sessionOf("ANNA"), a, g, &created);
    EXPECT_EQ(out.kind, Outcome::Refused);
    EXPECT_EQ(out.text, kNoEligibleMember);
    EXPECT_TRUE(created.empty());
    const std::vector<Assignment> rows = stored();
    ASSERT_EQ(rows.size(), 1u);  // the form's own record, still nobody's
    EXPECT_TRUE(rows[0].PERSON.empty());
    EXPECT_EQ(a.rowVersion, before.rowVersion);

    // An empty group alike.
    const GroupName empty = [&] {
        GroupName e;
        e.GROUPNAME = "Nobody";
        EXPECT_TRUE(saveGroupList(*m_db, sessionOf("ANNA"), e, e, {}).ok());
        return e;
    }();
    EXPECT_EQ(giveGroupAssignment(*m_db, sessionOf("ANNA"), a, empty).text, kNoEligibleMember);
}

TEST_F(GroupAssignmentTest, AnotherUsersGroupIsRefused) {
    const GroupName bens = group("BEN", {{"PRINTSHOP", 4}});
    Assignment a = templ(*m_db, "ANNA");
    const Outcome refused = giveGroupAssignment(*m_db, sessionOf("ANNA", 1), a, bens);
    EXPECT_EQ(refused.kind, Outcome::Refused);
    EXPECT_EQ(refused.text, kGroupOfAnotherUser);
    EXPECT_TRUE(stored().front().PERSON.empty());
    // A System Administrator may use any group.
    EXPECT_TRUE(giveGroupAssignment(*m_db, sessionOf("ANNA", 2), a, bens).ok());
}

TEST_F(GroupAssignmentTest, AFailureHalfWayLeavesNoPartialSet) {
    const GroupName g = group("ANNA", {{"ANNA", 1}, {"BEN", 2}, {"PRINTSHOP", 4}});
    Assignment a = templ(*m_db, "ANNA");
    Reminder r = primeReminder(a, "ANNA");
    ASSERT_TRUE(addNewReminder(*m_db, r).ok());
    Project project;
    project.NAME = "Annual review";
    project.PROJNUMBER = 7;
    bool added = false;
    ASSERT_TRUE(addProjectLink(*m_db, a, project, "ANNA", added).ok());

    Status status;
    auto engine =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    // The template is written and the first copy with its reminder, then its
    // project link cannot be added.
    engine->failAdds(label::PROJASSGN, 1, store::kEngineError);
    Database db(std::move(engine));
    const Assignment before = a;
    std::vector<Assignment> created;
    const Outcome out = giveGroupAssignment(db, sessionOf("ANNA"), a, g, &created);
    EXPECT_EQ(out.kind, Outcome::Failed);
    EXPECT_EQ(out.text, kGroupTransactionError);
    EXPECT_TRUE(created.empty());
    EXPECT_EQ(a.rowVersion, before.rowVersion);
    const std::vector<Assignment> rows = stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].PERSON.empty());
    EXPECT_EQ(count(Reminder::def()), 1);
    EXPECT_EQ(count(ProjAssign::def()), 1);
    std::vector<Reminder> reminders;
    ASSERT_TRUE(remindersOf(*m_db, a.ASSIGNNUMBER, reminders).ok());
    ASSERT_EQ(reminders.size(), 1u);
    EXPECT_TRUE(reminders[0].PERSON.empty());

    // Once the store works again the same template goes through.
    a = rows[0];
    EXPECT_TRUE(giveGroupAssignment(*m_db, sessionOf("ANNA"), a, g).ok());
    EXPECT_EQ(stored().size(), 3u);
}

TEST_F(GroupAssignmentTest, TwoStationsAtOnceGetDistinctNumbers) {
    const GroupName g = group("ANNA", {{"ANNA", 1}, {"BEN", 2}, {"LAWYER", 5}, {"PRINTSHOP", 4}});
    auto station = [&](int rounds, std::vector<std::int32_t>& numbers, bool& ok) {
        ok = true;
        auto db = test::openStation(m_source);
        if (!db) {
            ok = false;
            return;
        }
        for (int i = 0; i < rounds; ++i) {
            Assignment a = primeAssignment(UserPref{}, "ANNA", m_today);
            a.NAME = "Round";
            Status s = addNewAssignment(*db, a);
            // Another station may hold the lock a moment; numbering tries again.
            for (int retry = 0; !s.ok() && retry < 20; ++retry) s = addNewAssignment(*db, a);
            if (!s.ok()) {
                ok = false;
                return;
            }
            Outcome out;
            std::vector<Assignment> created;
            for (int retry = 0; retry < 20; ++retry) {
                out = giveGroupAssignment(*db, sessionOf("ANNA"), a, g, &created);
                if (out.ok()) break;
            }
            if (!out.ok()) {
                ok = false;
                return;
            }
            for (const Assignment& c : created) numbers.push_back(c.ASSIGNNUMBER);
        }
    };
    std::vector<std::int32_t> first, second;
    bool ok1 = false, ok2 = false;
    std::thread one([&] { station(5, first, ok1); });
    std::thread two([&] { station(5, second, ok2); });
    one.join();
    two.join();
    ASSERT_TRUE(ok1 && ok2);
    std::set<std::int32_t> all(first.begin(), first.end());
    all.insert(second.begin(), second.end());
    EXPECT_EQ(first.size() + second.size(), 40u);
    EXPECT_EQ(all.size(), 40u);
    EXPECT_EQ(stored().size(), 40u);
}

}  // namespace
}  // namespace tko
