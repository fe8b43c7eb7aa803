// The due-now selection on the store: the rule per record, the filter read
// along each order's key (as the list pages it), who sees what, and a
// repeating assignment that leaves the list once concluded.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "assign/Conclude.h"
#include "assign/lists/DueNowList.h"
#include "platform/BrowsePager.h"
#include "support/ConcludeResult.h"
#include "support/TestStore.h"

namespace tko {
namespace {

constexpr Date kToday = 82000;

Session sessionOf(const std::string& user, int access) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

class DueNowListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = test::openStation(test::freshSource(m_dir));
        ASSERT_TRUE(m_db);
    }

    // Adds an assignment and returns its number.
    std::int32_t add(const std::string& name, const std::string& person, const std::string& by,
                     Date due, int priority = 5, int secondary = 0, Date closed = 0) {
        Assignment a;
        a.ASSIGNNUMBER = ++m_next;
        a.NAME = name;
        a.PERSON = person;
        a.USERNAME = by;
        a.DUEDATE = due;
        a.PRIORITY = static_cast<std::uint8_t>(priority);
        a.SECONDARY = static_cast<std::uint8_t>(secondary);
        a.CLOSEDATE = closed;
        a.REPEATTYPE = "No Repeats";
        EXPECT_TRUE(m_db->add(a).ok());
        return a.ASSIGNNUMBER;
    }

    // Every row the list shows along `key`, read page by page as the list
    // does (three rows a page, so that pages continue inside the ranges).
    std::vector<Assignment> listed(const DueNowScope& scope, const char* key) {
        BrowsePager pager(m_db->engine(), Assignment::def());
        pager.setKey(Assignment::def().key(key));
        pager.setFilter(dueNowFilter(scope));
        pager.setPageSize(3);
        std::vector<Assignment> out;
        Status s = pager.top();
        EXPECT_TRUE(s.ok() || s.endOfRange()) << s.describe();
        if (pager.isEmpty()) return out;
        for (;;) {
            Assignment a;
            a.fromRow(*pager.selectedRow());
            out.push_back(a);
            const std::int64_t before = pager.selectedRow()->pos;
            EXPECT_TRUE(pager.rowDown().ok());
            if (pager.selectedRow()->pos == before) break;
        }
        return out;
    }

    static std::set<std::int32_t> numbers(const std::vector<Assignment>& rows) {
        std::set<std::int32_t> out;
        for (const Assignment& a : rows) out.insert(a.ASSIGNNUMBER);
        return out;
    }

    DueNowScope scope(const std::string& user, bool seesAll, bool secondary) const {
        return DueNowScope{user, seesAll, secondary, kToday};
    }

    test::TempDir m_dir;
    std::unique_ptr<Database> m_db;
    std::int32_t m_next = 0;
};

TEST_F(DueNowListTest, DueDatesOpenAndSecondaryDecideWhatIsListed) {
    const auto today = add("Due today", "BEN", "ANNA", kToday);
    const auto late = add("Overdue", "BEN", "ANNA", kToday - 40, 1);
    add("Due tomorrow", "BEN", "ANNA", kToday + 1);
    add("Concluded", "BEN", "ANNA", kToday - 3, 5, 0, kToday - 1);
    add("Concluded in the future of its due date", "BEN", "ANNA", kToday, 5, 0, kToday);
    const auto secondary = add("Secondary", "BEN", "ANNA", kToday, 5, 1);
    // Only 1 marks a secondary assignment; any other value counts as primary.
    const auto oddFlag = add("Flag two", "BEN", "ANNA", kToday, 5, 2);
    // A record still being entered (neither name nor person) is no row, not
    // for its owner and not for those who see all; a name or a person alone is.
    const auto entering = add("", "", "BEN", kToday);
    const auto unnamed = add("", "BEN", "ANNA", kToday);

    for (const DueNowOrder& order : kDueNowOrders) {
        SCOPED_TRACE(order.keyLabel);
        EXPECT_EQ(numbers(listed(scope("BEN", false, false), order.keyLabel)),
                  (std::set<std::int32_t>{today, late, oddFlag, unnamed}));
        EXPECT_EQ(numbers(listed(scope("BEN", false, true), order.keyLabel)),
                  (std::set<std::int32_t>{today, late, secondary, oddFlag, unnamed}));
        EXPECT_EQ(numbers(listed(scope("BOSS", true, true), order.keyLabel)).count(entering), 0u);
    }
}

TEST_F(DueNowListTest, AGeneralUserSeesOnlyWorkGivenByOrToThem) {
    const auto toBen = add("To Ben", "BEN", "ANNA", kToday);
    const auto byBen = add("By Ben", "CARLA", "BEN", kToday - 1);
    const auto own = add("Ben to himself", "BEN", "BEN", kToday - 2);
    const auto others = add("Anna to Carla", "CARLA", "ANNA", kToday);
    const auto alsoOthers = add("Carla to Anna", "ANNA", "CARLA", kToday - 9, 2);
    // A name that merely starts like the user's is somebody else.
    const auto longer = add("To Bennet", "BENNET", "ANNA", kToday);

    for (const DueNowOrder& order : kDueNowOrders) {
        SCOPED_TRACE(order.keyLabel);
        const auto ben = listed(scope("BEN", false, false), order.keyLabel);
        EXPECT_EQ(numbers(ben), (std::set<std::int32_t>{toBen, byBen, own}));
        // A row that is both given to and by the user is listed once.
        EXPECT_EQ(ben.size(), 3u);
        EXPECT_EQ(numbers(listed(scope("BEN", true, false), order.keyLabel)),
                  (std::set<std::int32_t>{toBen, byBen, own, others, alsoOthers, longer}));
    }
}

TEST_F(DueNowListTest, EachOrderListsTheRowsInItsKeysOrder) {
    add("Bravo", "CARLA", "BEN", kToday - 1, 3);
    add("Alpha", "BEN", "ANNA", kToday, 3);
    add("Charlie", "BEN", "CARLA", kToday - 5, 7);
    add("Delta", "ANNA", "BEN", kToday - 5, 1);
    add("Alpha", "DORA", "BEN", kToday - 2, 9);
    add("Echo", "BEN", "BEN", kToday - 5, 3);
    add("Foxtrot", "ERIC", "ANNA", kToday - 5, 3);  // not Ben's

    auto sortedBy = [&](const char* key) {
        const auto rows = listed(scope("BEN", false, false), key);
        const store::KeyDef& k = *Assignment::def().key(key);
        return std::is_sorted(rows.begin(), rows.end(),
                              [&](const Assignment& a, const Assignment& b) {
                                  const auto ka = store::keyValuesOf(k, a.toRow()),
                                             kb = store::keyValuesOf(k, b.toRow());
                                  for (size_t i = 0; i < ka.size(); ++i)
                                      if (int c = store::compareValues(ka[i], kb[i])) return c < 0;
                                  return false;
                              }) &&
               rows.size() == 6;
    };
    for (const DueNowOrder& order : kDueNowOrders)
        EXPECT_TRUE(sortedBy(order.keyLabel)) << order.keyLabel;

    const auto byName = listed(scope("BEN", false, false), "ASS:NAME_KEY");
    ASSERT_EQ(byName.size(), 6u);
    EXPECT_EQ(byName[0].NAME, "Alpha");
    EXPECT_EQ(byName[0].DUEDATE, kToday - 2);  // the earlier of the two "Alpha"
    EXPECT_EQ(byName[5].NAME, "Echo");
    const auto byPriority = listed(scope("BEN", false, false), "ASS:PRIORITY_KEY");
    EXPECT_EQ(byPriority.front().NAME, "Delta");
    EXPECT_EQ(byPriority.back().NAME, "Alpha");
    EXPECT_EQ(byPriority.back().PRIORITY, 9);
}

TEST_F(DueNowListTest, TheStoreFilterAgreesWithTheRuleOnEveryRecord) {
    const char* people[] = {"ANNA", "BEN", "CARLA"};
    int n = 0;
    for (const char* person : people)
        for (const char* by : people)
            for (Date due : {kToday - 1, kToday, kToday + 1})
                for (int secondary : {0, 1})
                    for (Date closed : {Date{0}, kToday}) {
                        ++n;
                        add("Row " + std::to_string(n), person, by, due, 1 + n % 9, secondary,
                            closed);
                    }

    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), all).ok());
    for (bool seesAll : {false, true})
        for (bool secondary : {false, true}) {
            const DueNowScope s = scope("CARLA", seesAll, secondary);
            std::set<std::int32_t> expected;
            for (const Assignment& a : all)
                if (isDueNow(a, s)) expected.insert(a.ASSIGNNUMBER);
            EXPECT_FALSE(expected.empty());
            for (const DueNowOrder& order : kDueNowOrders)
                EXPECT_EQ(numbers(listed(s, order.keyLabel)), expected)
                    << order.keyLabel << " seesAll " << seesAll << " secondary " << secondary;
        }
}

TEST_F(DueNowListTest, AdministratorsAndViewAllSeeEverything) {
    const Session general = sessionOf("BEN", 0);
    const Session peopleAdmin = sessionOf("ANNA", 1);
    const Session admin = sessionOf("SUPERVISOR", 2);
    SystemPref settings;
    EXPECT_FALSE(seesAllAssignments(general, settings));
    EXPECT_FALSE(seesAllAssignments(peopleAdmin, settings));
    EXPECT_TRUE(seesAllAssignments(admin, settings));
    settings.VIEWALL = 1;
    EXPECT_TRUE(seesAllAssignments(general, settings));

    // No settings record yet: the defaults, VIEWALL off.
    DueNowScope s;
    ASSERT_TRUE(loadDueNowScope(*m_db, general, true, kToday, s).ok());
    EXPECT_FALSE(s.seesAll);
    EXPECT_TRUE(s.includeSecondary);
    EXPECT_EQ(s.user, "BEN");
    EXPECT_EQ(s.today, kToday);
    ASSERT_TRUE(m_db->add(settings).ok());
    ASSERT_TRUE(loadDueNowScope(*m_db, general, false, kToday, s).ok());
    EXPECT_TRUE(s.seesAll);
}

TEST_F(DueNowListTest, AConcludedRepeatingAssignmentLeavesOnceItsNextDueDateIsAfterToday) {
    Assignment weekly;
    weekly.ASSIGNNUMBER = ++m_next;
    weekly.NAME = "Weekly report";
    weekly.PERSON = "BEN";
    weekly.USERNAME = "BEN";
    weekly.DUEDATE = kToday - 14;
    weekly.PRIORITY = 3;
    weekly.REPEATTYPE = "Days after Last Due";
    weekly.REPNUMBER = 7;
    ASSERT_TRUE(m_db->add(weekly).ok());
    const DueNowScope s = scope("BEN", false, false);
    const Session ben = sessionOf("BEN", 0);

    // Two weeks overdue: concluding once moves it to a week ago, still due.
    Assignment outcomeAfter;
    Outcome outcome =
        ConcludeAssignment(*m_db, ben, weekly.ASSIGNNUMBER, kToday, nullptr, &outcomeAfter);
    ASSERT_EQ(test::concludeResult(outcome, outcomeAfter), test::kRepeated) << outcomeLine(outcome);
    EXPECT_EQ(outcomeAfter.DUEDATE, kToday - 7);
    EXPECT_EQ(numbers(listed(s, "ASS:DUEDATE_KEY")), std::set<std::int32_t>{weekly.ASSIGNNUMBER});
    // Again: due today, still listed.
    outcome = ConcludeAssignment(*m_db, ben, weekly.ASSIGNNUMBER, kToday, nullptr, &outcomeAfter);
    ASSERT_EQ(test::concludeResult(outcome, outcomeAfter), test::kRepeated);
    EXPECT_EQ(outcomeAfter.DUEDATE, kToday);
    EXPECT_EQ(listed(s, "ASS:PRIORITY_KEY").size(), 1u);
    // Once more: next week, gone from every order though still open.
    outcome = ConcludeAssignment(*m_db, ben, weekly.ASSIGNNUMBER, kToday, nullptr, &outcomeAfter);
    ASSERT_EQ(test::concludeResult(outcome, outcomeAfter), test::kRepeated);
    EXPECT_EQ(outcomeAfter.CLOSEDATE, 0);
    for (const DueNowOrder& order : kDueNowOrders) EXPECT_TRUE(listed(s, order.keyLabel).empty());
}

}  // namespace
}  // namespace tko
