// Anniversaries on the engine under test: the day value, the upcoming window
// over the year end and its row order, who sees whose anniversaries, and the
// checks of the "Anniversary Information" form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/Tables.h"
#include "people/Anniversaries.h"
#include "support/TestStore.h"

namespace tko {
namespace {

Session sessionOf(const std::string& user, int access = 0) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

TEST(AnniversaryDayValue, FollowsTheCalendarThroughTheYear) {
    // 1 January 1801 is day 4: (4 + 363) mod 365.25 = 1.75.
    EXPECT_EQ(anniversaryDayValue(kFirstDate), 1);
    // No date gives 363, the end of the window when no end date is chosen.
    EXPECT_EQ(anniversaryDayValue(kNoDate), 363);
    EXPECT_EQ(anniversaryDayValue(fromYmd(2026, 1, 1)), 0);
    EXPECT_EQ(anniversaryDayValue(fromYmd(2026, 12, 31)), 364);
    EXPECT_EQ(anniversaryDayValue(fromYmd(2027, 1, 1)), 0);
}

TEST(AnniversaryDayValue, StaysWithinAYearAndRisesDayByDay) {
    // Over every supported date the value keeps to 0..365 and only ever goes
    // up by one a day, except where it starts the next year again.
    int previous = anniversaryDayValue(kFirstDate);
    for (Date d = kFirstDate + 1; d <= kLastDate; ++d) {
        const int value = anniversaryDayValue(d);
        ASSERT_GE(value, 0) << d;
        ASSERT_LE(value, 365) << d;
        if (value != 0) {
            ASSERT_EQ(value, previous + 1) << d;
        }
        previous = value;
    }
}

// "Person:" on the Anniversary Information form: the stored name; for a
// person not yet saved under one, what the person form holds so far.
TEST(AnniversaryPersonShown, StoredNameElseTheTypedOne) {
    Anniversary stored;
    stored.SHORTNAME = "PRINTSHOP  ";
    EXPECT_EQ(anniversaryPersonShown(stored, "RENAMED"), "PRINTSHOP");
    const Anniversary fresh;
    EXPECT_EQ(anniversaryPersonShown(fresh, "NEWCOMER "), "NEWCOMER");
    EXPECT_EQ(anniversaryPersonShown(fresh, ""), "");
}

TEST(UpcomingWindowTest, NoEndDateRunsToDay363) {
    const UpcomingWindow w = upcomingWindow(fromYmd(2026, 3, 10), kNoDate);
    EXPECT_EQ(w.end, 363);
    EXPECT_FALSE(w.overYearEnd());
    EXPECT_TRUE(w.contains(w.start));
    EXPECT_TRUE(w.contains(363));
    EXPECT_FALSE(w.contains(364));
    EXPECT_FALSE(w.contains(w.start - 1));
}

TEST(UpcomingWindowTest, OverTheYearEndTakesBothEnds) {
    const UpcomingWindow w = upcomingWindow(fromYmd(2026, 12, 20), fromYmd(2027, 1, 10));
    ASSERT_TRUE(w.overYearEnd());
    EXPECT_TRUE(w.contains(w.start));
    EXPECT_TRUE(w.contains(365));
    EXPECT_TRUE(w.contains(0));
    EXPECT_TRUE(w.contains(w.end));
    EXPECT_FALSE(w.contains(w.end + 1));
    EXPECT_FALSE(w.contains(w.start - 1));
}

TEST(UpcomingWindowTest, LastDaysOfTheYearWithoutEndDateListEverything) {
    // Today's value 364 lies after E = 363: the window wraps all the way round.
    const UpcomingWindow w = upcomingWindow(fromYmd(2026, 12, 31), kNoDate);
    EXPECT_TRUE(w.overYearEnd());
    for (int d = 0; d <= 365; ++d) EXPECT_TRUE(w.contains(d)) << d;
}

class AnniversaryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        person("BEN", 2, "User", "BEN");
        person("CARLA", 3, "User", "CARLA");
        person("DORA", 4, "User", "DORA");
        person("PRINTSHOP", 5, "Open", "ANNA");
        person("DOCTOR", 7, "Private", "ANNA");
        UserView view;  // BEN may view DORA's assignments
        view.USERNAME = "DORA";
        view.USERNAME2 = "BEN";
        ASSERT_TRUE(m_db->add(view).ok());
    }

    Person person(const std::string& name, int number, const std::string& type,
                  const std::string& owner) {
        Person p;
        p.SHORTNAME = name;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        EXPECT_TRUE(m_db->add(p).ok()) << name;
        m_people[number] = p;
        return p;
    }

    // An anniversary through the form's save, as the user BEN (or `as`).
    Outcome addAnniversary(int personNumber, Date date, const std::string& note,
                           const Session& as = sessionOf("SUPERVISOR", 2)) {
        Anniversary a = newAnniversaryFor(m_people[personNumber]);
        a.DATE = date;
        a.NOTE = note;
        return saveAnniversary(*m_db, as, Request::Insert, a, a);
    }

    std::vector<std::string> upcomingNotes(const Session& as, Date today, Date endDate) {
        std::vector<UpcomingRow> rows;
        EXPECT_TRUE(readUpcoming(*m_db, as, upcomingWindow(today, endDate), rows).ok());
        std::vector<std::string> notes;
        for (const UpcomingRow& r : rows) notes.push_back(r.record.NOTE);
        return notes;
    }

    std::vector<Anniversary> stored() {
        std::vector<Anniversary> rows;
        EXPECT_TRUE(m_db->readAll("ANN:DATEKEY", store::all(), rows).ok());
        return rows;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
    std::map<int, Person> m_people;
};

TEST_F(AnniversaryStoreTest, SavingStoresTheDayValueOfTheDate) {
    ASSERT_TRUE(addAnniversary(5, fromYmd(1990, 6, 15), "Founded").ok());
    const std::vector<Anniversary> rows = stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].DAYOFYEAR, anniversaryDayValue(fromYmd(1990, 6, 15)));
    EXPECT_EQ(rows[0].SHORTNAME, "PRINTSHOP");
    EXPECT_EQ(rows[0].NUMBER, 5);

    // Changing the date moves the day value with it.
    Anniversary changed = rows[0];
    changed.DATE = fromYmd(1990, 9, 1);
    ASSERT_TRUE(
        saveAnniversary(*m_db, sessionOf("SUPERVISOR", 2), Request::Change, changed, rows[0]).ok());
    EXPECT_EQ(stored().at(0).DAYOFYEAR, anniversaryDayValue(fromYmd(1990, 9, 1)));
}

TEST_F(AnniversaryStoreTest, UpcomingOverTheYearEndListsBothEndsInReadingOrder) {
    const Date today = fromYmd(2026, 12, 20);
    const Date endDate = fromYmd(2027, 1, 10);
    ASSERT_TRUE(addAnniversary(5, fromYmd(1985, 1, 5), "early January").ok());
    ASSERT_TRUE(addAnniversary(2, fromYmd(1990, 12, 24), "Christmas Eve").ok());
    ASSERT_TRUE(addAnniversary(4, fromYmd(1999, 12, 30), "late December").ok());
    ASSERT_TRUE(addAnniversary(5, fromYmd(1980, 2, 15), "February").ok());
    ASSERT_TRUE(addAnniversary(4, fromYmd(1970, 12, 1), "early December").ok());
    // Exactly on today's and on the end date's day value.
    ASSERT_TRUE(addAnniversary(2, today, "on S").ok());
    ASSERT_TRUE(addAnniversary(4, endDate, "on E").ok());

    EXPECT_EQ(upcomingNotes(sessionOf("BEN"), today, endDate),
              (std::vector<std::string>{"on S", "Christmas Eve", "late December", "early January",
                                        "on E"}));

    std::vector<UpcomingRow> rows;
    ASSERT_TRUE(readUpcoming(*m_db, sessionOf("BEN"), upcomingWindow(today, endDate), rows).ok());
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_FALSE(rows[2].afterYearEnd);
    EXPECT_TRUE(rows[3].afterYearEnd);
    EXPECT_EQ(rows[3].dayValue, rows[3].record.DAYOFYEAR);
}

TEST_F(AnniversaryStoreTest, UpcomingWithinTheYearKeepsToTheWindow) {
    const Date today = fromYmd(2026, 3, 1);
    ASSERT_TRUE(addAnniversary(5, fromYmd(1980, 2, 27), "before").ok());
    ASSERT_TRUE(addAnniversary(5, fromYmd(1981, 3, 20), "inside").ok());
    ASSERT_TRUE(addAnniversary(4, fromYmd(1982, 12, 28), "late December").ok());
    EXPECT_EQ(upcomingNotes(sessionOf("BEN"), today, fromYmd(2026, 4, 1)),
              (std::vector<std::string>{"inside"}));
    // No end date: to day 363, so late December is in and February is not.
    EXPECT_EQ(upcomingNotes(sessionOf("BEN"), today, kNoDate),
              (std::vector<std::string>{"inside", "late December"}));
}

TEST_F(AnniversaryStoreTest, OtherUsersAnniversariesNeedTheRightToViewThem) {
    const Date today = fromYmd(2026, 5, 1);
    ASSERT_TRUE(addAnniversary(2, fromYmd(1980, 5, 2), "BEN's own").ok());
    ASSERT_TRUE(addAnniversary(3, fromYmd(1980, 5, 3), "CARLA's").ok());
    ASSERT_TRUE(addAnniversary(4, fromYmd(1980, 5, 4), "DORA's").ok());
    ASSERT_TRUE(addAnniversary(5, fromYmd(1980, 5, 5), "PRINTSHOP's").ok());
    const Date endDate = fromYmd(2026, 6, 1);
    EXPECT_EQ(upcomingNotes(sessionOf("BEN"), today, endDate),
              (std::vector<std::string>{"BEN's own", "DORA's", "PRINTSHOP's"}));
    // CARLA sees her own and the open person's, but neither BEN's nor DORA's.
    EXPECT_EQ(upcomingNotes(sessionOf("CARLA"), today, endDate),
              (std::vector<std::string>{"CARLA's", "PRINTSHOP's"}));
}

TEST_F(AnniversaryStoreTest, OneAnniversaryPerPersonAndDay) {
    const Date date = fromYmd(1975, 8, 8);
    ASSERT_TRUE(addAnniversary(5, date, "first").ok());
    const Outcome second = addAnniversary(5, date, "second");
    EXPECT_FALSE(second.ok());
    ASSERT_TRUE(second.message);
    EXPECT_EQ(second.message->number, 24);
    // Another person may share the day.
    EXPECT_TRUE(addAnniversary(4, date, "other person").ok());
    EXPECT_EQ(stored().size(), 2u);
}

TEST_F(AnniversaryStoreTest, BadInputIsRefusedAndNothingIsWritten) {
    const Outcome noDate = addAnniversary(5, kNoDate, "no date");
    EXPECT_FALSE(noDate.ok());
    EXPECT_EQ(noDate.kind, Outcome::Refused);
    ASSERT_TRUE(noDate.message);
    EXPECT_NE(noDate.message->text.find("initial date"), std::string::npos);

    const Outcome longNote = addAnniversary(5, fromYmd(1990, 1, 2), std::string(51, 'n'));
    EXPECT_FALSE(longNote.ok());
    EXPECT_EQ(longNote.kind, Outcome::Refused);
    ASSERT_TRUE(longNote.message);
    EXPECT_NE(longNote.message->text.find("50"), std::string::npos);
    EXPECT_TRUE(stored().empty());

    // Exactly 50 characters fit.
    EXPECT_TRUE(addAnniversary(5, fromYmd(1990, 1, 2), std::string(50, 'n')).ok());
    EXPECT_EQ(stored().at(0).NOTE, std::string(50, 'n'));
}

TEST_F(AnniversaryStoreTest, OnlyPeopleOfTheUsersEditListTakeAnniversaries) {
    // DOCTOR is ANNA's private person: BEN may not touch its anniversaries.
    const Outcome refused = addAnniversary(7, fromYmd(1990, 4, 4), "x", sessionOf("BEN"));
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.kind, Outcome::Refused);
    EXPECT_TRUE(refused.message);
    EXPECT_TRUE(stored().empty());
    EXPECT_TRUE(addAnniversary(7, fromYmd(1990, 4, 4), "x", sessionOf("ANNA")).ok());
    const std::vector<Anniversary> rows = stored();
    ASSERT_EQ(rows.size(), 1u);
    Anniversary a = rows[0];
    EXPECT_FALSE(saveAnniversary(*m_db, sessionOf("BEN"), Request::Delete, a, a).ok());
    EXPECT_EQ(stored().size(), 1u);
    // A person that does not exist takes none either.
    Anniversary orphan;
    orphan.NUMBER = 99;
    orphan.SHORTNAME = "NOBODY";
    orphan.DATE = fromYmd(1990, 1, 1);
    EXPECT_FALSE(
        saveAnniversary(*m_db, sessionOf("SUPERVISOR", 2), Request::Insert, orphan, orphan).ok());
    EXPECT_EQ(stored().size(), 1u);
}

TEST_F(AnniversaryStoreTest, AChangeByAnotherStationIsNotOverwritten) {
    ASSERT_TRUE(addAnniversary(5, fromYmd(1990, 6, 15), "original").ok());
    const Anniversary opened = stored().at(0);

    auto other = test::openStation(m_source);
    ASSERT_TRUE(other);
    Anniversary theirs = opened;
    theirs.NOTE = "their note";
    ASSERT_TRUE(other->change(theirs).ok());

    Anniversary mine = opened;
    mine.NOTE = "my note";
    const Outcome outcome =
        saveAnniversary(*m_db, sessionOf("SUPERVISOR", 2), Request::Change, mine, opened);
    EXPECT_EQ(outcome.kind, Outcome::ChangedElsewhere);
    EXPECT_EQ(mine.NOTE, "their note");
    EXPECT_EQ(stored().at(0).NOTE, "their note");
}

}  // namespace
}  // namespace tko
