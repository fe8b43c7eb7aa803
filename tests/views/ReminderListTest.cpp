// Current reminders on the store: which are listed, in which order, the
// "Alert" toggle (also against another station), "Delete" of a reminder that
// is already gone, and the assignments the rows show.
#include <gtest/gtest.h>

#include "platform/BrowsePager.h"
#include "support/TestStore.h"
#include "views/ReminderList.h"

namespace tko {
namespace {

constexpr Date kToday = 82000;

class ReminderListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    Reminder add(const std::string& user, Date date, std::int32_t assignNumber = 1, int flag = 1) {
        Reminder r;
        r.REMINDNUMBER = ++m_next;
        r.USER = user;
        r.DATE = date;
        r.NOTE = "Note " + std::to_string(m_next);
        r.ASSIGNNUMBER = assignNumber;
        r.ALARMFLAG = static_cast<std::uint8_t>(flag);
        EXPECT_TRUE(m_db->add(r).ok());
        return r;
    }

    std::vector<Reminder> current(const std::string& user, Date today = kToday) {
        BrowsePager pager(m_db->engine(), Reminder::def());
        pager.setKey(Reminder::def().key(kCurrentRemindersKey));
        pager.setFilter(currentRemindersFilter(user, today));
        pager.setPageSize(50);
        const Status s = pager.top();
        EXPECT_TRUE(s.ok() || s.endOfRange());
        std::vector<Reminder> out;
        for (const store::Row& row : pager.rows()) {
            out.emplace_back();
            out.back().fromRow(row);
        }
        return out;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
    std::int32_t m_next = 0;
};

TEST_F(ReminderListTest, TheUsersRemindersDatedTodayOrEarlierInDateOrder) {
    add("BEN", kToday, 4);
    add("BEN", kToday + 1);         // tomorrow: not yet
    add("BEN", kToday - 30, 9, 0);  // alarm off: still current
    add("BEN", kToday, 2);
    add("ANNA", kToday - 1, 4);  // Anna's, on Ben's assignment: never Ben's
    add("BENNET", kToday);

    const auto ben = current("BEN");
    ASSERT_EQ(ben.size(), 3u);
    EXPECT_EQ(ben[0].DATE, kToday - 30);
    EXPECT_EQ(ben[1].ASSIGNNUMBER, 2);  // same date: by assignment number
    EXPECT_EQ(ben[2].ASSIGNNUMBER, 4);
    for (const Reminder& r : ben) EXPECT_TRUE(isCurrentReminder(r, "BEN", kToday));
    // Tomorrow the one dated tomorrow is current too.
    EXPECT_EQ(current("BEN", kToday + 1).size(), 4u);
    ASSERT_EQ(current("ANNA").size(), 1u);
    EXPECT_EQ(current("ANNA").front().USER, "ANNA");
}

TEST_F(ReminderListTest, AlertTwiceRestoresTheFlagAndOddFlagsBecomeOne) {
    EXPECT_EQ(toggledAlarm(1), 0);
    EXPECT_EQ(toggledAlarm(0), 1);
    EXPECT_EQ(toggledAlarm(2), 1);
    EXPECT_EQ(toggledAlarm(255), 1);

    for (int start : {0, 1}) {
        Reminder r = add("BEN", kToday, 1, start);
        ASSERT_TRUE(toggleReminderAlarm(*m_db, r).ok());
        EXPECT_EQ(r.ALARMFLAG, 1 - start);
        ASSERT_TRUE(toggleReminderAlarm(*m_db, r).ok());
        Reminder stored = r;
        ASSERT_TRUE(m_db->reread(stored).ok());
        EXPECT_EQ(stored.ALARMFLAG, start);
    }
    Reminder odd = add("BEN", kToday, 1, 2);
    ASSERT_TRUE(toggleReminderAlarm(*m_db, odd).ok());
    EXPECT_EQ(odd.ALARMFLAG, 1);
    ASSERT_TRUE(toggleReminderAlarm(*m_db, odd).ok());
    EXPECT_EQ(odd.ALARMFLAG, 0);
}

TEST_F(ReminderListTest, AlertStartsFromTheStoredFlagWhenAnotherStationChangedIt) {
    Reminder listed = add("BEN", kToday, 1, 1);
    auto other = test::openStation(m_source);
    ASSERT_TRUE(other);
    Reminder there = listed;
    ASSERT_TRUE(other->reread(there).ok());
    there.ALARMFLAG = 0;
    there.NOTE = "Changed elsewhere";
    ASSERT_TRUE(other->change(there).ok());
    other.reset();

    // The list still shows flag 1; the toggle works on the stored 0.
    ASSERT_TRUE(toggleReminderAlarm(*m_db, listed).ok());
    EXPECT_EQ(listed.ALARMFLAG, 1);
    EXPECT_EQ(listed.NOTE, "Changed elsewhere");  // the other station's note survives
}

TEST_F(ReminderListTest, ActingOnAReminderDeletedElsewhereChangesNothing) {
    Reminder gone = add("BEN", kToday);
    Reminder kept = add("BEN", kToday);
    ASSERT_TRUE(m_db->remove(gone).ok());
    Reminder again = gone;
    EXPECT_EQ(toggleReminderAlarm(*m_db, again).code, store::kRecordNotFound);
    EXPECT_EQ(again.ALARMFLAG, gone.ALARMFLAG);
    EXPECT_EQ(deleteReminder(*m_db, gone).code, store::kRecordNotFound);
    ASSERT_EQ(current("BEN").size(), 1u);
    ASSERT_TRUE(deleteReminder(*m_db, kept).ok());
    EXPECT_TRUE(current("BEN").empty());
}

TEST_F(ReminderListTest, RowsShowTheirAssignmentReadOncePerNumber) {
    Assignment a;
    a.ASSIGNNUMBER = 7;
    a.NAME = "Pay the office rent";
    a.PERSON = "CARLA";
    ASSERT_TRUE(m_db->add(a).ok());
    ReminderAssignments lookup(*m_db);
    const Assignment* found = lookup.find(7);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->NAME, "Pay the office rent");
    EXPECT_EQ(found->PERSON, "CARLA");
    EXPECT_EQ(lookup.find(8), nullptr);  // a reminder whose assignment is gone

    a.NAME = "Pay the rent";
    ASSERT_TRUE(m_db->change(a).ok());
    EXPECT_EQ(lookup.find(7)->NAME, "Pay the office rent");  // kept until cleared
    lookup.clear();
    EXPECT_EQ(lookup.find(7)->NAME, "Pay the rent");
}

}  // namespace
}  // namespace tko
