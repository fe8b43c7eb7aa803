// The unseen list on the store: what counts as unseen for a user, read within
// the unseen range of ASS:SEENPERSON_KEY as the window reads it, and typing
// that locates on the person.
#include <gtest/gtest.h>

#include <set>

#include "assign/lists/UnseenList.h"
#include "platform/BrowsePager.h"
#include "platform/Date.h"
#include "support/TestStore.h"

namespace tko {
namespace {

class UnseenListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = test::openStation(test::freshSource(m_dir));
        ASSERT_TRUE(m_db);
        m_pager = std::make_unique<BrowsePager>(m_db->engine(), Assignment::def());
    }

    std::int32_t add(const std::string& person, const std::string& by, int seen = 0,
                     Date closed = 0) {
        Assignment a;
        a.ASSIGNNUMBER = ++m_next;
        a.NAME = "Task " + std::to_string(m_next);
        a.PERSON = person;
        a.USERNAME = by;
        a.SEEN = static_cast<std::uint8_t>(seen);
        a.CLOSEDATE = closed;
        a.DUEDATE = 82000;
        EXPECT_TRUE(m_db->add(a).ok());
        return a.ASSIGNNUMBER;
    }

    void listFor(const std::string& user) {
        m_pager->setKey(Assignment::def().key(kUnseenKey));
        m_pager->setRange(unseenRange());
        m_pager->setFilter(unseenFilter(user));
        m_pager->setPageSize(50);
    }

    std::set<std::int32_t> unseenOf(const std::string& user) {
        listFor(user);
        const Status s = m_pager->top();
        EXPECT_TRUE(s.ok() || s.endOfRange());
        std::set<std::int32_t> out;
        for (const store::Row& row : m_pager->rows()) {
            Assignment a;
            a.fromRow(row);
            out.insert(a.ASSIGNNUMBER);
        }
        return out;
    }

    test::TempDir m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<BrowsePager> m_pager;
    std::int32_t m_next = 0;
};

TEST_F(UnseenListTest, OnlyOpenUnseenWorkThatSomebodyElseGaveTheUser) {
    const auto fromAnna = add("BEN", "ANNA");
    const auto fromCarla = add("BEN", "CARLA");
    add("BEN", "BEN");                            // given to himself: never unseen
    add("BEN", "ANNA", 1);                        // seen
    add("BEN", "ANNA", 0, 82000);                 // concluded
    const auto benToCarla = add("CARLA", "BEN");  // Ben gave it: unseen for Carla, not Ben
    add("BENNET", "ANNA");                        // another person whose name starts alike
    const auto forCarla = add("CARLA", "ANNA");

    EXPECT_EQ(unseenOf("BEN"), (std::set<std::int32_t>{fromAnna, fromCarla}));
    EXPECT_EQ(unseenOf("CARLA"), (std::set<std::int32_t>{benToCarla, forCarla}));
    EXPECT_TRUE(unseenOf("ANNA").empty());

    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), all).ok());
    for (const Assignment& a : all)
        EXPECT_EQ(isUnseenFor(a, "BEN"), a.ASSIGNNUMBER == fromAnna || a.ASSIGNNUMBER == fromCarla)
            << a.NAME;
}

TEST_F(UnseenListTest, MarkingSeenTakesTheRowOutAndTheNeighbourIsSelected) {
    const auto first = add("BEN", "ANNA");
    const auto second = add("BEN", "ANNA");
    ASSERT_EQ(unseenOf("BEN").size(), 2u);
    ASSERT_TRUE(m_pager->select(0));
    const store::Row row = *m_pager->selectedRow();
    Assignment viewed;
    viewed.fromRow(row);
    ASSERT_EQ(viewed.ASSIGNNUMBER, first);
    viewed.SEEN = 1;
    ASSERT_TRUE(m_db->change(viewed).ok());
    ASSERT_TRUE(m_pager->reloadAt(row).ok());
    ASSERT_NE(m_pager->selectedRow(), nullptr);
    Assignment now;
    now.fromRow(*m_pager->selectedRow());
    EXPECT_EQ(now.ASSIGNNUMBER, second);
    EXPECT_EQ(m_pager->rows().size(), 1u);
}

TEST_F(UnseenListTest, TypingLocatesOnThePerson) {
    for (int i = 0; i < 5; ++i) add("BEN", "ANNA");
    listFor("BEN");
    m_pager->setPageSize(2);
    ASSERT_TRUE(m_pager->top().ok());
    // The person is the component typing locates on.
    EXPECT_EQ(m_pager->locateField(), Assignment::def().fieldIndex("PERSON"));
    const auto value = m_pager->locateValue(QStringLiteral("Z"));
    ASSERT_TRUE(value.has_value());
    ASSERT_TRUE(m_pager->locate(*value).ok());
    // Past every listed person: the last row, never another user's work.
    EXPECT_TRUE(m_pager->atBottom());
    Assignment a;
    a.fromRow(*m_pager->selectedRow());
    EXPECT_EQ(a.PERSON, "BEN");
    ASSERT_TRUE(m_pager->locate(*m_pager->locateValue(QStringLiteral("B"))).ok());
    EXPECT_TRUE(m_pager->atTop());
}

}  // namespace
}  // namespace tko
