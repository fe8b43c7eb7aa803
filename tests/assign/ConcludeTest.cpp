// ConcludeAssignment on the engine under test: who may conclude, what a
// conclusion writes, the all-or-nothing transaction, and two stations
// concluding the same assignment.
#include <gtest/gtest.h>

#include <functional>

#include "assign/AssignmentRules.h"
#include "assign/Conclude.h"
#include "assign/Repetition.h"
#include "data/Numbering.h"
#include "platform/Picture.h"
#include "support/ConcludeResult.h"
#include "support/FailingEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {

// Forwards to a real engine and runs `beforeChange` once, just before the
// first change of an ASSIGNMENT row: the moment another station slips in.
class InterleavingEngine final : public store::Engine {
public:
    explicit InterleavingEngine(std::unique_ptr<store::Engine> inner) : m_inner(std::move(inner)) {}
    std::function<void()> beforeChange;

    std::string engineName() const override { return m_inner->engineName(); }
    store::Status createTables(const std::vector<const store::TableDef*>& t) override {
        return m_inner->createTables(t);
    }
    store::Status verifyTable(const store::TableDef& t, std::vector<std::string>& p) override {
        return m_inner->verifyTable(t, p);
    }
    store::Status verifyStorage(std::vector<std::string>& p) override {
        return m_inner->verifyStorage(p);
    }
    store::Status adoptNameCollation(const std::vector<const store::TableDef*>& t) override {
        return m_inner->adoptNameCollation(t);
    }
    store::Status read(const store::TableDef& t, const store::ReadRequest& r,
                       std::vector<store::Row>& o) override {
        return m_inner->read(t, r, o);
    }
    store::Status fetch(const store::TableDef& t, const store::KeyDef& k,
                        const std::vector<store::Value>& v, store::Row& o) override {
        return m_inner->fetch(t, k, v, o);
    }
    store::Status reread(const store::TableDef& t, std::int64_t pos, store::Row& o) override {
        return m_inner->reread(t, pos, o);
    }
    store::Status count(const store::TableDef& t, const store::Filter& f,
                        std::int64_t& o) override {
        return m_inner->count(t, f, o);
    }
    store::Status add(const store::TableDef& t, store::Row& row) override {
        return m_inner->add(t, row);
    }
    store::Status change(const store::TableDef& t, store::Row& row) override {
        if (t.label == "ASSIGNMENT" && beforeChange) {
            auto hook = std::move(beforeChange);
            beforeChange = nullptr;
            // The other station cannot write while this one holds the write
            // lock, so its turn comes before ours began; emulate by rolling back.
            m_inner->rollback();
            hook();
            m_inner->begin({"ASSIGNMENT", "REMINDER"}, 2000);
        }
        return m_inner->change(t, row);
    }
    store::Status remove(const store::TableDef& t, std::int64_t pos) override {
        return m_inner->remove(t, pos);
    }
    store::Status begin(const std::vector<std::string>& t, int ms) override {
        return m_inner->begin(t, ms);
    }
    store::Status commit() override { return m_inner->commit(); }
    store::Status rollback() override { return m_inner->rollback(); }
    int transactionDepth() const override { return m_inner->transactionDepth(); }
    store::Status pack() override { return m_inner->pack(); }
    store::Status backup(const std::string& d, const std::string& u) override {
        return m_inner->backup(d, u);
    }

private:
    std::unique_ptr<store::Engine> m_inner;
};

class ConcludeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    Assignment assignment(const std::string& type, Date due, const std::string& owner = "OWNER",
                          const std::string& person = "PAT") {
        Assignment a;
        a.NAME = "Water the plants";
        a.USERNAME = owner;
        a.PERSON = person;
        a.PRIORITY = 5;
        a.DUEDATE = due;
        a.REPEATTYPE = type;
        a.REPNUMBER = 1;
        a.LOG = "Created 09:00 1 May 2023 By OWNER\r";
        EXPECT_TRUE(addNewAssignment(*m_db, a).ok());
        return a;
    }
    void reminder(const Assignment& a, const std::string& note) {
        Reminder r;
        r.ASSIGNNUMBER = a.ASSIGNNUMBER;
        r.NOTE = note;
        r.USER = "OWNER";
        EXPECT_TRUE(addNumbered(*m_db, r, &Reminder::REMINDNUMBER, "REM:REMINDERNUMBER_KEY").ok());
    }
    int remindersOf(const Assignment& a) {
        std::vector<Reminder> out;
        EXPECT_TRUE(tko::remindersOf(*m_db, a.ASSIGNNUMBER, out).ok());
        return static_cast<int>(out.size());
    }
    Assignment stored(const Assignment& a) {
        Assignment out;
        EXPECT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{a.ASSIGNNUMBER}}, out).ok());
        return out;
    }
    static Session user(const std::string& name, int access = 0) {
        Session s;
        s.GlobalUser = name;
        s.GlobalUserAccess = access;
        return s;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
    const Date m_today = fromYmd(2023, 5, 17);
};

TEST_F(ConcludeTest, NonRepeatingClosesAndDropsItsRemindersOnly) {
    const Assignment a = assignment(repeat::NoRepeats, m_today - 3);
    const Assignment other = assignment(repeat::NoRepeats, m_today);
    reminder(a, "first");
    reminder(a, "second");
    reminder(other, "keep me");

    Assignment outAfter;
    const Outcome out =
        ConcludeAssignment(*m_db, user("OWNER"), a.ASSIGNNUMBER, m_today, nullptr, &outAfter);
    ASSERT_EQ(test::concludeResult(out, outAfter), test::kConcluded);
    const Assignment after = stored(a);
    EXPECT_EQ(after.CLOSEDATE, m_today);
    EXPECT_EQ(after.DUEDATE, m_today - 3);
    EXPECT_EQ(after.PREVCLOSE, 0);
    EXPECT_EQ(after.LOG.rfind("Created 09:00 1 May 2023 By OWNER\r\rConcluded ", 0), 0u)
        << after.LOG;
    EXPECT_EQ(after, outAfter);
    EXPECT_EQ(remindersOf(a), 0);
    EXPECT_EQ(remindersOf(other), 1);

    // Concluding it again (History, a form still open) is refused with a
    // word and leaves its close date and log alone.
    const Outcome again =
        ConcludeAssignment(*m_db, user("OWNER"), a.ASSIGNNUMBER, m_today + 5, &after, &outAfter);
    EXPECT_EQ(again.kind, Outcome::Refused);
    ASSERT_TRUE(again.message);
    EXPECT_EQ(again.message->text, "This assignment was concluded on " +
                                       formatDate(m_today, u"@D18").toStdString() + " already.");
    EXPECT_TRUE(stored(a).sameValues(after));
}

TEST_F(ConcludeTest, RepeatingMovesTheDueDateAndStaysOpen) {
    const Assignment a = assignment(repeat::MonthsAfterLastDue, fromYmd(2023, 1, 31));
    reminder(a, "stays");
    Assignment outAfter;
    Outcome out =
        ConcludeAssignment(*m_db, user("OWNER"), a.ASSIGNNUMBER, m_today, nullptr, &outAfter);
    ASSERT_EQ(test::concludeResult(out, outAfter), test::kRepeated);
    Assignment after = stored(a);
    EXPECT_EQ(after.DUEDATE, fromYmd(2023, 3, 31));
    EXPECT_EQ(after.CLOSEDATE, 0);
    EXPECT_EQ(after.PREVCLOSE, m_today);
    EXPECT_NE(after.LOG.find("\rRepeat Concluded "), std::string::npos);
    EXPECT_EQ(remindersOf(a), 1);
    // Concluding again moves on from the new due date.
    out = ConcludeAssignment(*m_db, user("OWNER"), a.ASSIGNNUMBER, m_today + 1, nullptr, &outAfter);
    EXPECT_EQ(stored(a).DUEDATE, fromYmd(2023, 5, 31));
    EXPECT_EQ(stored(a).PREVCLOSE, m_today + 1);
}

TEST_F(ConcludeTest, PermissionRule) {
    const Assignment a = assignment(repeat::DaysAfterLastDue, m_today, "OWNER", "PAT");
    // Neither owner, administrator nor a permitted assignee: nothing happens.
    for (const Session& s : {user("PAT"), user("STRANGER"), user("STRANGER", 1)}) {
        Assignment outAfter;
        const Outcome out =
            ConcludeAssignment(*m_db, s, a.ASSIGNNUMBER, m_today, nullptr, &outAfter);
        EXPECT_EQ(test::concludeResult(out, outAfter), test::kNotPermitted) << s.GlobalUser;
        EXPECT_FALSE(out.message);
    }
    EXPECT_TRUE(stored(a).sameValues(a));
    EXPECT_EQ(test::conclude(*m_db, user("OWNER   "), a.ASSIGNNUMBER, m_today), test::kRepeated);
    EXPECT_EQ(test::conclude(*m_db, user("BOSS", 2), a.ASSIGNNUMBER, m_today), test::kRepeated);
    Assignment permitted = stored(a);
    const Assignment before = permitted;
    permitted.ASSIGNEECONCLUDE = 1;
    ASSERT_TRUE(changeRecord(*m_db, permitted, before).ok());
    EXPECT_EQ(test::conclude(*m_db, user("PAT"), a.ASSIGNNUMBER, m_today), test::kRepeated);
    EXPECT_EQ(stored(a).DUEDATE, m_today + 3);
}

TEST_F(ConcludeTest, UnknownOccurrenceGivesTheWeekdayInTheDueMonthsLastWeek) {
    Assignment a = assignment(repeat::SpecificWeekday, m_today);
    Assignment before = a;
    a.WEEKINMONTH = "Zwei";
    a.DAYNO = 2;
    ASSERT_TRUE(changeRecord(*m_db, a, before).ok());
    Assignment outAfter;
    const Outcome out =
        ConcludeAssignment(*m_db, user("OWNER"), a.ASSIGNNUMBER, m_today, nullptr, &outAfter);
    EXPECT_EQ(test::concludeResult(out, outAfter), test::kRepeated);
    const Assignment after = stored(a);
    EXPECT_EQ(after.DUEDATE, fromYmd(2023, 5, 30));  // the last Tuesday of May 2023
    EXPECT_EQ(after.PREVCLOSE, m_today);
}

TEST_F(ConcludeTest, AStoreFailureLeavesRecordAndRemindersAsTheyWere) {
    const Assignment a = assignment(repeat::NoRepeats, m_today);
    reminder(a, "one");
    reminder(a, "two");
    Status status;
    auto engine =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    engine->failChange("ASSIGNMENT", 1);
    Database db(std::move(engine));
    Assignment outAfter;
    const Outcome out =
        ConcludeAssignment(db, user("OWNER"), a.ASSIGNNUMBER, m_today, nullptr, &outAfter);
    EXPECT_EQ(test::concludeResult(out, outAfter), test::kConcludeFailed);
    EXPECT_TRUE(out.message);
    EXPECT_EQ(std::string(kConcludeFailureTitle), "Information Safeguard");
    EXPECT_EQ(stored(a).CLOSEDATE, 0);
    EXPECT_EQ(remindersOf(a), 2);

    // A reminder that cannot be deleted also leaves everything in place.
    auto engine2 =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    engine2->failRemove("REMINDER", 2);
    Database db2(std::move(engine2));
    EXPECT_EQ(test::conclude(db2, user("OWNER"), a.ASSIGNNUMBER, m_today), test::kConcludeFailed);
    EXPECT_EQ(stored(a).CLOSEDATE, 0);
    EXPECT_EQ(remindersOf(a), 2);
}

TEST_F(ConcludeTest, MissingAssignmentIsAFailureNotACrash) {
    Assignment outAfter;
    const Outcome out = ConcludeAssignment(*m_db, user("OWNER"), 4711, m_today, nullptr, &outAfter);
    EXPECT_EQ(test::concludeResult(out, outAfter), test::kConcludeFailed);
    EXPECT_TRUE(out.message);
}

TEST_F(ConcludeTest, TwoStationsConcludingMoveTheDueDateOnce) {
    const Assignment a = assignment(repeat::WeeksAfterLastDue, m_today);
    auto other = test::openStation(m_source);
    ASSERT_TRUE(other);
    // Both stations show the row; station two concludes first.
    const Assignment shown = stored(a);
    ASSERT_EQ(test::conclude(*other, user("OWNER"), a.ASSIGNNUMBER, m_today, &shown),
              test::kRepeated);
    Assignment outAfter;
    const Outcome out =
        ConcludeAssignment(*m_db, user("OWNER"), a.ASSIGNNUMBER, m_today, &shown, &outAfter);
    EXPECT_EQ(test::concludeResult(out, outAfter), test::kRepeated);
    EXPECT_TRUE(out.message);
    EXPECT_EQ(stored(a).DUEDATE, m_today + 7);
    EXPECT_EQ(outAfter.DUEDATE, m_today + 7);
}

TEST_F(ConcludeTest, ConclusionElsewhereBetweenReadAndWriteIsNotRepeated) {
    const Assignment a = assignment(repeat::DaysAfterLastDue, m_today);
    Status status;
    auto engine =
        std::make_unique<InterleavingEngine>(Database::openEngine(m_source, false, status));
    InterleavingEngine* interleaving = engine.get();
    Database db(std::move(engine));
    auto other = test::openStation(m_source);
    interleaving->beforeChange = [&] {
        EXPECT_EQ(test::conclude(*other, user("OWNER"), a.ASSIGNNUMBER, m_today), test::kRepeated);
    };
    Assignment outAfter;
    const Outcome out =
        ConcludeAssignment(db, user("OWNER"), a.ASSIGNNUMBER, m_today, nullptr, &outAfter);
    EXPECT_EQ(test::concludeResult(out, outAfter), test::kRepeated);
    EXPECT_EQ(stored(a).DUEDATE, m_today + 1);
}

TEST_F(ConcludeTest, AnEditElsewhereBetweenReadAndWriteIsKeptAndTheConclusionStillHappens) {
    const Assignment a = assignment(repeat::DaysAfterLastDue, m_today);
    Status status;
    auto engine =
        std::make_unique<InterleavingEngine>(Database::openEngine(m_source, false, status));
    InterleavingEngine* interleaving = engine.get();
    Database db(std::move(engine));
    auto other = test::openStation(m_source);
    interleaving->beforeChange = [&] {
        Assignment renamed = stored(a);
        const Assignment before = renamed;
        renamed.NAME = "Water the plants and the lawn";
        EXPECT_TRUE(changeRecord(*other, renamed, before).ok());
    };
    EXPECT_EQ(test::conclude(db, user("OWNER"), a.ASSIGNNUMBER, m_today), test::kRepeated);
    const Assignment after = stored(a);
    EXPECT_EQ(after.DUEDATE, m_today + 1);
    EXPECT_EQ(after.NAME, "Water the plants and the lawn");
}

}  // namespace
}  // namespace tko
