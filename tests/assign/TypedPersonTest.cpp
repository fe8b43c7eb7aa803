// Whom a typed short name reaches: the look-up of the assignment form, the
// check before an assignment is stored, and the same for the command line's
// "add". Also a reminder's date and the retry offer of person numbering.
#include <gtest/gtest.h>

#include "assign/AssignmentRules.h"
#include "assign/ReminderRules.h"
#include "data/Numbering.h"
#include "people/PeopleFilters.h"
#include "people/PeopleRules.h"
#include "support/FailingEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {

Session as(const std::string& name, int access = 0) {
    Session s;
    s.GlobalUser = name;
    s.GlobalUserAccess = access;
    return s;
}

// BEN, a General User, among people of every type. CARLA granted BEN the
// right to give her assignments; ANNA never did.
class TypedPersonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        add("ANNA", 1, kTypeUser, "ANNA");
        add("CARLA", 2, kTypeUser, "CARLA");
        add("BEN", 3, kTypeUser, "BEN");
        add("OPENP", 4, kTypeOpen, "ANNA");
        add("MINE", 5, kTypePrivate, "BEN");
        add("HIDDEN", 6, kTypePrivate, "ANNA");
        add("LIMITED", 7, kTypeLimited, "ANNA");
        add("LISTED", 8, kTypeLimited, "ANNA");
        add("SAM", 9, kTypeOpen, "ANNA");
        add("SAM", 10, kTypePrivate, "BEN");
        add("SOLO", 11, kTypeOpen, "CARLA");
        add("SOLO", 12, kTypePrivate, "ANNA");  // ANNA's own: hidden from BEN
        UserAssign grant{"CARLA", "BEN"};
        PeoUser listed{8, "BEN"};
        ASSERT_TRUE(m_db->add(grant).ok() && m_db->add(listed).ok());
    }
    void add(const std::string& name, int number, const char* type, const std::string& owner) {
        Person p;
        p.SHORTNAME = name;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        ASSERT_TRUE(m_db->add(p).ok());
    }
    TypedPerson typed(const std::string& name, const Session& s = as("BEN")) {
        return lookUpTypedPerson(*m_db, PeopleList::Assignable, s, name);
    }
    Assignment forPerson(const std::string& name, int number = 0) {
        Assignment a;
        a.USERNAME = "BEN";
        a.PERSON = name;
        a.PERSONNUMBER = number;
        return a;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(TypedPersonTest, EachPersonTypeIsReachedOnlyAsThePickingListOffersIt) {
    // Open, the user's own Private, a Limited person the user is listed for,
    // a user who granted the right, and the user himself.
    for (const auto& [name, number] :
         {std::pair{"OPENP", 4}, std::pair{"MINE", 5}, std::pair{"LISTED", 8},
          std::pair{"CARLA", 2}, std::pair{"BEN", 3}}) {
        const TypedPerson t = typed(name);
        EXPECT_EQ(t.kind, TypedPerson::Found) << name;
        EXPECT_EQ(t.person.PERSONNUMBER, number) << name;
    }
    // A user who never granted the right, another user's Private person, a
    // Limited person the user is not listed for, and nobody at all: all the
    // same answer, so that a hidden person is not revealed.
    for (const char* name : {"ANNA", "HIDDEN", "LIMITED", "NOBODY"})
        EXPECT_EQ(typed(name).kind, TypedPerson::NotListed) << name;
    // Trailing blanks do not count; a blank name finds nobody.
    EXPECT_EQ(typed("OPENP   ").kind, TypedPerson::Found);
    EXPECT_EQ(typed("   ").kind, TypedPerson::NotListed);
}

TEST_F(TypedPersonTest, AShortNameSharedByTwoListedPeopleIsAmbiguousButAHiddenTwinIsNot) {
    EXPECT_EQ(typed("SAM").kind, TypedPerson::Ambiguous);
    const TypedPerson solo = typed("SOLO");
    EXPECT_EQ(solo.kind, TypedPerson::Found);
    EXPECT_EQ(solo.person.PERSONNUMBER, 11);
    // ANNA sees both of her SOLOs, and a System Administrator sees everyone.
    EXPECT_EQ(typed("SOLO", as("ANNA")).kind, TypedPerson::Ambiguous);
    EXPECT_EQ(typed("HIDDEN", as("ZED", 2)).kind, TypedPerson::Found);
}

TEST_F(TypedPersonTest, AnAssignmentIsStoredOnlyForAPersonTheUserMayAssign) {
    // Typed and never looked up: refused for ANNA, filled in for CARLA.
    Assignment anna = forPerson("ANNA");
    AssigneeCheck check = checkAssignee(*m_db, as("BEN"), anna, Assignment{}, Request::Insert);
    EXPECT_EQ(check.kind, AssigneeCheck::NotAssignable);
    EXPECT_EQ(check.message, "You are not authorized to give assignments to this person.");
    Assignment carla = forPerson("CARLA");
    EXPECT_TRUE(checkAssignee(*m_db, as("BEN"), carla, Assignment{}, Request::Insert).ok());
    EXPECT_EQ(carla.PERSONNUMBER, 2);
    // An ambiguous name must be chosen from the list.
    Assignment sam = forPerson("SAM");
    check = checkAssignee(*m_db, as("BEN"), sam, Assignment{}, Request::Insert);
    EXPECT_EQ(check.kind, AssigneeCheck::Ambiguous);
    EXPECT_EQ(sam.PERSONNUMBER, 0);
    Assignment chosen = forPerson("SAM", 10);
    EXPECT_TRUE(checkAssignee(*m_db, as("BEN"), chosen, Assignment{}, Request::Insert).ok());
    // A number that is not one of the listed people, or not the person of
    // that name, is refused as well.
    Assignment forged = forPerson("ANNA", 1);
    EXPECT_EQ(checkAssignee(*m_db, as("BEN"), forged, Assignment{}, Request::Insert).kind,
              AssigneeCheck::NotAssignable);
    Assignment mismatched = forPerson("HIDDEN", 4);
    EXPECT_EQ(checkAssignee(*m_db, as("BEN"), mismatched, Assignment{}, Request::Insert).kind,
              AssigneeCheck::NotAssignable);
}

TEST_F(TypedPersonTest, AChangeKeepingThePersonItOpenedWithIsNotCheckedAgain) {
    // An administrator gave ANNA an assignment owned by BEN; BEN may still
    // edit its other fields.
    Assignment opened = forPerson("ANNA", 1);
    Assignment edited = opened;
    edited.NAME = "Renamed";
    EXPECT_TRUE(checkAssignee(*m_db, as("BEN"), edited, opened, Request::Change).ok());
    // Moving it to another person is checked.
    Assignment moved = opened;
    moved.PERSON = "HIDDEN";
    moved.PERSONNUMBER = 0;
    EXPECT_EQ(checkAssignee(*m_db, as("BEN"), moved, opened, Request::Change).kind,
              AssigneeCheck::NotAssignable);
}

TEST_F(TypedPersonTest, AReminderWithoutADateIsRefusedAndNothingIsWritten) {
    EXPECT_FALSE(checkReminderDate(80000));
    ASSERT_TRUE(checkReminderDate(kNoDate));
    EXPECT_EQ(*checkReminderDate(kNoDate), "A reminder needs a date.");

    Assignment owner = forPerson("OPENP", 4);
    owner.ASSIGNNUMBER = 1;
    Reminder r = primeReminder(owner, "BEN");
    ASSERT_TRUE(addNewReminder(*m_db, r).ok());
    const Reminder opened = r;
    r.NOTE = "Call back";
    const Outcome refused = storeReminder(*m_db, r, opened);
    EXPECT_EQ(refused.kind, Outcome::Refused);
    ASSERT_TRUE(refused.message);
    EXPECT_EQ(refused.message->text, "A reminder needs a date.");
    Reminder stored;
    ASSERT_TRUE(m_db->fetch("REM:REMINDERNUMBER_KEY", {std::int64_t{r.REMINDNUMBER}}, stored).ok());
    EXPECT_EQ(stored.rowVersion, opened.rowVersion);
    EXPECT_EQ(stored.NOTE, "");

    r.DATE = 80000;
    EXPECT_TRUE(storeReminder(*m_db, r, opened).ok());
}

TEST_F(TypedPersonTest, NumberingFailuresOnANewPersonOfferTryAgain) {
    m_db.reset();
    Status status;
    auto engine =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    test::FailingEngine& failing = *engine;
    failing.failAdds("PEOPLE", kNumberingAttempts, store::kDuplicateKey);
    Database db(std::move(engine));
    NewPerson first = startNewPerson(db, as("BEN"), kTypeOpen, 80000);
    EXPECT_FALSE(first.ok);
    EXPECT_TRUE(first.retry);
    ASSERT_TRUE(first.message);
    EXPECT_EQ(first.message->number, 25);
    EXPECT_EQ(first.message->buttons, MessageButtons::YesNo);
    EXPECT_NE(first.message->text.find("Try again?"), std::string::npos);
    EXPECT_EQ(failing.addsTried("PEOPLE"), kNumberingAttempts);
    // Yes: more attempts, of which the first now succeeds.
    const NewPerson second = startNewPerson(db, as("BEN"), kTypeOpen, 80000);
    EXPECT_TRUE(second.ok);
    EXPECT_EQ(second.record.PERSONNUMBER, 13);
}

}  // namespace
}  // namespace tko
