// People rules against the engine under test: the three list filters per
// role, adding and naming people, deleting with the conclusion of open
// assignments, dialling and the users of a limited person.
#include <gtest/gtest.h>

#include <set>

#include "data/Tables.h"
#include "people/Dialer.h"
#include "people/PeopleFilters.h"
#include "people/PeopleRules.h"
#include "support/FailingEngine.h"
#include "support/TestStore.h"
#include "users/LimitedPersonUsers.h"

namespace tko {
namespace {

using Names = std::set<std::string>;

Session sessionOf(const std::string& user, int access) {
    Session s;
    s.GlobalUser = user;
    s.GlobalUserAccess = access;
    return s;
}

class PeopleLogicTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    Person person(const std::string& shortName, int number, const std::string& type,
                  const std::string& owner, const std::string& phone = {}) {
        Person p;
        p.SHORTNAME = shortName;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        p.PHONENUMBER = phone;
        EXPECT_TRUE(m_db->add(p).ok()) << shortName;
        return p;
    }
    template <class R>
    void add(R record) {
        EXPECT_TRUE(m_db->add(record).ok());
    }
    void user(const std::string& name) {
        User u;
        u.USERNAME = name;
        add(u);
    }

    // The address book of the filter tests: BEN is a General User, CARLA
    // grants him assignments, DORA grants him viewing.
    void office() {
        for (const char* name : {"ANNA", "BEN", "CARLA", "DORA"}) user(name);
        person("ANNA", 1, "User", "ANNA");
        person("BEN", 2, "User", "BEN");
        person("CARLA", 3, "User", "CARLA");
        person("DORA", 4, "User", "DORA");
        person("PRINTSHOP", 5, "Open", "ANNA");
        person("DENTIST", 6, "Private", "BEN");
        person("DOCTOR", 7, "Private", "ANNA");
        person("LAWYER", 8, "Limited", "CARLA");   // BEN listed
        person("BANKER", 9, "Limited", "ANNA");    // nobody listed
        person("OWNLIMIT", 10, "Limited", "BEN");  // BEN owns, not listed
        person("ODDTYPE", 11, "", "ANNA");         // no type at all
        add(PeoUser{8, "BEN"});
        add(PeoUser{9, "CARLA"});
        add(UserAssign{"CARLA", "BEN"});  // BEN may assign to CARLA
        add(UserView{"DORA", "BEN"});     // BEN may view DORA
        add(UserAssign{"BEN", "DORA"});   // a grant to DORA, not to BEN
    }

    Names listed(PeopleList list, const Session& session, bool viewAll) {
        std::vector<Person> rows;
        EXPECT_TRUE(
            m_db->readAll("PEO:SHORT_KEY", peopleListFilter(list, session, viewAll), rows).ok());
        Names names;
        for (const Person& p : rows) names.insert(p.SHORTNAME);
        return names;
    }

    Status storeSystemPref(int privatePeople, int confidential = 1, int viewAll = 0) {
        SystemPref sys;
        sys.PRIVATEPEOPLE = static_cast<std::uint8_t>(privatePeople);
        sys.CONFIDENTIAL = static_cast<std::uint8_t>(confidential);
        sys.VIEWALL = static_cast<std::uint8_t>(viewAll);
        return m_db->add(sys);
    }

    Assignment assignment(int number, int personNumber, Date closeDate) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.PERSONNUMBER = personNumber;
        a.PERSON = "P" + std::to_string(personNumber);
        a.CLOSEDATE = closeDate;
        EXPECT_TRUE(m_db->add(a).ok());
        return a;
    }
    Assignment reread(int number) {
        Assignment a;
        EXPECT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{number}}, a).ok());
        return a;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

// ---- list filters -------------------------------------------------------------

TEST_F(PeopleLogicTest, EditListShowsAGeneralUserOwnPrivateAndListedOrOwnedLimitedPeople) {
    office();
    const Names expected{"ANNA",    "BEN",    "CARLA",    "DORA",   "PRINTSHOP",
                         "DENTIST", "LAWYER", "OWNLIMIT", "ODDTYPE"};
    EXPECT_EQ(listed(PeopleList::Edit, sessionOf("BEN", 0), false), expected);
    // SYP:VIEWALL does not open the edit list, and neither does access level 1.
    EXPECT_EQ(listed(PeopleList::Edit, sessionOf("BEN", 0), true), expected);
    EXPECT_EQ(listed(PeopleList::Edit, sessionOf("BEN", 1), false), expected);
}

TEST_F(PeopleLogicTest, EveryListShowsEverybodyToASystemAdministrator) {
    office();
    for (PeopleList list : {PeopleList::Edit, PeopleList::Assignable, PeopleList::Viewable})
        EXPECT_EQ(listed(list, sessionOf("CARLA", 2), false).size(), 11u);
}

TEST_F(PeopleLogicTest, AssignableListFollowsTheGrantsAndTheLimitedList) {
    office();
    // CARLA by USERASSGN, BEN himself, LAWYER by PEOUSER; not OWNLIMIT, which
    // he owns but is not listed for, nor DORA, whose grant goes the other way.
    EXPECT_EQ(listed(PeopleList::Assignable, sessionOf("BEN", 0), false),
              (Names{"BEN", "CARLA", "PRINTSHOP", "DENTIST", "LAWYER", "ODDTYPE"}));
    EXPECT_EQ(listed(PeopleList::Assignable, sessionOf("BEN", 1), false),
              listed(PeopleList::Assignable, sessionOf("BEN", 0), false));
}

TEST_F(PeopleLogicTest, ViewableListUsesTheViewGrantsInsteadOfTheAssignGrants) {
    office();
    EXPECT_EQ(listed(PeopleList::Viewable, sessionOf("BEN", 0), false),
              (Names{"BEN", "DORA", "PRINTSHOP", "DENTIST", "LAWYER", "ODDTYPE"}));
}

TEST_F(PeopleLogicTest, ViewAllOpensBothPickingListsToEverybody) {
    office();
    EXPECT_EQ(listed(PeopleList::Assignable, sessionOf("BEN", 0), true).size(), 11u);
    EXPECT_EQ(listed(PeopleList::Viewable, sessionOf("DORA", 0), true).size(), 11u);
}

TEST_F(PeopleLogicTest, AGrantOpensOnlyItsOwnListAndOnlyInItsDirection) {
    office();
    // DORA may assign to BEN (USERASSGN BEN, DORA) but was given no view right.
    EXPECT_EQ(listed(PeopleList::Assignable, sessionOf("DORA", 0), false),
              (Names{"BEN", "DORA", "PRINTSHOP", "ODDTYPE"}));
    EXPECT_EQ(listed(PeopleList::Viewable, sessionOf("DORA", 0), false),
              (Names{"DORA", "PRINTSHOP", "ODDTYPE"}));
}

// ---- adding people ----------------------------------------------------------------

TEST_F(PeopleLogicTest, WithoutPrivatePeopleAGeneralUserMayNotAddPeople) {
    SystemPref sys;
    sys.PRIVATEPEOPLE = 0;
    const InsertRules general = insertRules(sessionOf("BEN", 0), sys);
    ASSERT_TRUE(general.refusal);
    EXPECT_EQ(*general.refusal, "You do not have authority to add people to system");

    const InsertRules admin = insertRules(sessionOf("ANNA", 1), sys);
    EXPECT_FALSE(admin.refusal);
    EXPECT_EQ(admin.types.initial, "Open");
    EXPECT_EQ(admin.types.enabled, (std::array<bool, 4>{false, true, true, false}));
}

TEST_F(PeopleLogicTest, WithPrivatePeopleAGeneralUserAddsPrivatePeopleOnly) {
    SystemPref sys;
    sys.PRIVATEPEOPLE = 1;
    const InsertRules general = insertRules(sessionOf("BEN", 0), sys);
    EXPECT_FALSE(general.refusal);
    EXPECT_EQ(general.types.initial, "Private");
    EXPECT_FALSE(general.types.anyEnabled());

    const InsertRules admin = insertRules(sessionOf("ANNA", 2), sys);
    EXPECT_EQ(admin.types.initial, "Private");
    EXPECT_EQ(admin.types.enabled, (std::array<bool, 4>{false, true, true, true}));
}

TEST_F(PeopleLogicTest, AUserEntryKeepsItsTypeWhenChanged) {
    SystemPref sys;
    sys.PRIVATEPEOPLE = 1;
    Person entry;
    entry.TYPE = "User";
    EXPECT_FALSE(changeTypeChoices(sessionOf("ANNA", 2), sys, entry).anyEnabled());
    entry.TYPE = "Private";
    sys.PRIVATEPEOPLE = 0;
    // Private stays choosable for a person who is Private already.
    EXPECT_EQ(changeTypeChoices(sessionOf("ANNA", 1), sys, entry).enabled,
              (std::array<bool, 4>{false, true, true, true}));
    EXPECT_FALSE(changeTypeChoices(sessionOf("BEN", 0), sys, entry).anyEnabled());
}

TEST_F(PeopleLogicTest, ANewPersonIsNumberedAboveTheHighestAndAddedAtOnce) {
    NewPerson first = startNewPerson(*m_db, sessionOf("BEN", 0), "Private", 40000);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.record.PERSONNUMBER, 1);
    person("GAP", 41, "Open", "ANNA");
    // The first one still has a blank short name; another user's blank one
    // does not collide with it.
    NewPerson second = startNewPerson(*m_db, sessionOf("CARLA", 1), "Open", 40001);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.record.PERSONNUMBER, 42);
    Person stored;
    ASSERT_TRUE(m_db->fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{42}}, stored).ok());
    EXPECT_EQ(stored.USER, "CARLA");
    EXPECT_EQ(stored.TYPE, "Open");
    EXPECT_EQ(stored.DATE, 40001);
}

TEST_F(PeopleLogicTest, PrivatePeopleOfDifferentUsersShareAShortNameAnOpenPersonCannotTakeIt) {
    person("DENTIST", 1, "Private", "BEN");
    const Person carlasBlank = person("", 2, "Private", "CARLA");
    Person carlas = carlasBlank;
    carlas.SHORTNAME = "DENTIST";
    EXPECT_EQ(checkShortName(*m_db, carlas, "", "Private").kind, ShortNameCheck::Accepted);
    ASSERT_TRUE(savePerson(*m_db, access::Viewer{"CARLA", 0, false}, carlas, carlasBlank).ok());

    Person open = person("", 4, "Open", "ANNA");
    open.SHORTNAME = "DENTIST";
    const ShortNameCheck taken = checkShortName(*m_db, open, "", "Open");
    EXPECT_EQ(taken.kind, ShortNameCheck::Taken);
    EXPECT_EQ(taken.lines,
              (std::vector<std::string>{"Invalid Short Name.",
                                        "Already used for User, Open, or Limited person"}));
    // Trailing blanks do not make another name.
    open.SHORTNAME = "DENTIST  ";
    EXPECT_EQ(checkShortName(*m_db, open, "", "Open").kind, ShortNameCheck::Taken);
}

TEST_F(PeopleLogicTest, AnUnchangedNameIsNotCheckedUnlessThePersonLeavesPrivate) {
    person("DENTIST", 1, "Private", "BEN");
    Person carlas = person("DENTIST", 2, "Private", "CARLA");
    carlas.LASTNAME = "Haas";
    EXPECT_EQ(checkShortName(*m_db, carlas, "DENTIST", "Private").kind, ShortNameCheck::Accepted);
    // Turned Open, the shared name would become ambiguous for everybody.
    carlas.TYPE = "Open";
    EXPECT_EQ(checkShortName(*m_db, carlas, "DENTIST", "Private").kind, ShortNameCheck::Taken);
    // A person's own record never counts against it.
    Person solo = person("SOLO", 3, "Open", "ANNA");
    solo.SHORTNAME = "SOLO";
    EXPECT_EQ(checkShortName(*m_db, solo, "OLDNAME", "Open").kind, ShortNameCheck::Accepted);
}

TEST_F(PeopleLogicTest, AShortNameIsRequired) {
    Person blank = person("", 1, "Open", "ANNA");
    blank.SHORTNAME = "   ";
    EXPECT_EQ(checkShortName(*m_db, blank, "", "Open").kind, ShortNameCheck::Missing);
    blank.TYPE = "Private";
    EXPECT_EQ(checkShortName(*m_db, blank, "", "Private").kind, ShortNameCheck::Missing);
}

TEST_F(PeopleLogicTest, ASecondPrivatePersonOfTheSameNameAndOwnerIsADuplicateKey) {
    person("DENTIST", 1, "Private", "BEN");
    const Person blank = person("", 2, "Private", "BEN");
    Person second = blank;
    second.SHORTNAME = "DENTIST";
    const Outcome outcome = savePerson(*m_db, access::Viewer{"BEN", 0, false}, second, blank);
    ASSERT_EQ(outcome.kind, Outcome::Failed);
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->number, 24);
    EXPECT_NE(outcome.message->text.find("PEO:Primary_key"), std::string::npos);
    Person stored;
    ASSERT_TRUE(m_db->fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{2}}, stored).ok());
    EXPECT_EQ(stored.SHORTNAME, "");  // nothing written
}

// A person may not be named like a user in any letter case (but the user's
// own "User" person), and a "User" person keeps its short name and type
// except through the user form; savePerson() refuses what the check refuses.
TEST_F(PeopleLogicTest, UserNamesAndUserPeopleAreProtectedOnThePersonForm) {
    office();
    const Person newOne = person("", 20, "Private", "CARLA");
    const Person ben = [&] {
        Person p;
        EXPECT_TRUE(m_db->fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{2}}, p).ok());
        return p;
    }();
    const struct {
        const Person& opened;
        const char* shortName;
        const char* type;
        ShortNameCheck::Kind expected;
    } cases[] = {
        {newOne, "ben", "Private", ShortNameCheck::UserName},
        {newOne, "Ben", "Open", ShortNameCheck::UserName},
        {newOne, "BEN  ", "Private", ShortNameCheck::UserName},
        {newOne, "BENNY", "Private", ShortNameCheck::Accepted},
        {ben, "BOSS", "User", ShortNameCheck::Locked},
        {ben, "ben", "User", ShortNameCheck::Locked},
        {ben, "BEN", "Open", ShortNameCheck::Locked},
        {ben, "BEN", "User", ShortNameCheck::Accepted},  // his own person, other fields changed
    };
    for (const auto& c : cases) {
        Person candidate = c.opened;
        candidate.SHORTNAME = c.shortName;
        candidate.TYPE = c.type;
        candidate.LASTNAME = "Changed";
        const ShortNameCheck check =
            checkShortName(*m_db, candidate, c.opened.SHORTNAME, c.opened.TYPE);
        EXPECT_EQ(check.kind, c.expected) << c.shortName << " " << c.type;
        const Outcome saved =
            savePerson(*m_db, access::Viewer{"ANNA", 2, false}, candidate, c.opened);
        EXPECT_EQ(saved.ok(), c.expected == ShortNameCheck::Accepted) << c.shortName;
        if (c.expected == ShortNameCheck::UserName) {
            EXPECT_NE(check.lines.back().find("BEN"), std::string::npos) << c.shortName;
        }
        if (!saved.ok()) {
            Person stored;
            ASSERT_TRUE(
                m_db->fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{c.opened.PERSONNUMBER}}, stored)
                    .ok());
            EXPECT_EQ(stored.SHORTNAME, c.opened.SHORTNAME);  // nothing written
            EXPECT_EQ(stored.TYPE, c.opened.TYPE);
        }
    }
}

// Who may change a person (the rest open the form read-only): as the Edit
// list, owner and listed user compared exactly; SYP:VIEWALL opens nothing.
TEST_F(PeopleLogicTest, APersonTheUserMayNotChangeIsViewOnlyAndItsSaveRefused) {
    office();
    const struct {
        access::Viewer viewer;
        int person;
        bool mayEdit;
    } cases[] = {
        {{"BEN", 0, false}, 6, true},   // DENTIST, his Private person
        {{"BEN", 0, true}, 7, false},   // DOCTOR, ANNA's Private person
        {{"ben", 0, false}, 6, false},  // another spelling owns nothing
        {{"BEN", 0, false}, 8, true},   // LAWYER, Limited, BEN listed
        {{"ben", 1, true}, 8, false},   // ... but not "ben"
        {{"BEN", 1, false}, 9, false},  // BANKER, Limited, only CARLA listed
        {{"BEN", 0, false}, 5, true},   // PRINTSHOP, Open
        {{"DORA", 2, false}, 7, true},  // a System Administrator
    };
    for (const auto& c : cases) {
        Person stored;
        ASSERT_TRUE(m_db->fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{c.person}}, stored).ok());
        bool mayEdit = !c.mayEdit;
        ASSERT_TRUE(mayEditStoredPerson(*m_db, c.viewer, stored, mayEdit).ok());
        EXPECT_EQ(mayEdit, c.mayEdit) << c.viewer.user << " on " << stored.SHORTNAME;
        Person changed = stored;
        changed.LASTNAME = "Edited";
        const Outcome saved = savePerson(*m_db, c.viewer, changed, stored);
        EXPECT_EQ(saved.ok(), c.mayEdit) << c.viewer.user << " on " << stored.SHORTNAME;
        if (!c.mayEdit) {
            EXPECT_EQ(saved.text, kViewOnlyPerson);
        }
    }
}

TEST_F(PeopleLogicTest, TextsLongerThanTheirFieldAreReportedNotCut) {
    Person p;
    p.SHORTNAME = "OK";
    EXPECT_FALSE(findTooLong(p));
    p.MAILADDRESS = std::string(200, 'a');
    EXPECT_FALSE(findTooLong(p));
    p.MAILADDRESS += "b";
    ASSERT_TRUE(findTooLong(p));
    EXPECT_EQ(findTooLong(p)->field, "Mailing Address");
    EXPECT_EQ(findTooLong(p)->width, 200);
    p.MAILADDRESS.clear();
    p.COMMENTS = std::string(1999, 'x') + "\xC3\xA9";  // 2000 characters, 2001 bytes
    EXPECT_FALSE(findTooLong(p));
}

// ---- form rules ---------------------------------------------------------------------

TEST_F(PeopleLogicTest, ConfidentialCommentsOnlyForTheOwnersPrivatePersonWhenSwitchedOn) {
    SystemPref sys;
    sys.CONFIDENTIAL = 1;
    const Session ben = sessionOf("BEN", 2);
    EXPECT_TRUE(confidentialAllowed(ben, sys, "Private", "BEN"));
    EXPECT_FALSE(
        confidentialAllowed(ben, sys, "Private", "ANNA"));  // not even for an administrator
    EXPECT_FALSE(confidentialAllowed(ben, sys, "Open", "BEN"));
    EXPECT_FALSE(confidentialAllowed(ben, sys, "Private", "Ben"));  // owner compared exactly
    sys.CONFIDENTIAL = 2;
    EXPECT_FALSE(confidentialAllowed(ben, sys, "Private", "BEN"));
}

TEST_F(PeopleLogicTest, UsersLimitedOpensForTheOwnerOrASystemAdministrator) {
    EXPECT_TRUE(usersLimitedAllowed(sessionOf("BEN", 0), "Limited", "LAWYER", "BEN"));
    EXPECT_FALSE(usersLimitedAllowed(sessionOf("BEN", 0), "Limited", "", "BEN"));
    EXPECT_FALSE(usersLimitedAllowed(sessionOf("BEN", 0), "Open", "LAWYER", "BEN"));
    EXPECT_FALSE(usersLimitedAllowed(sessionOf("BEN", 0), "Limited", "LAWYER", "ben"));
    EXPECT_FALSE(usersLimitedAllowed(sessionOf("BEN", 1), "Limited", "LAWYER", "ANNA"));
    EXPECT_TRUE(usersLimitedAllowed(sessionOf("BEN", 2), "Limited", "LAWYER", "ANNA"));
}

// ---- deleting ----------------------------------------------------------------------

TEST_F(PeopleLogicTest, DeleteRefusalsAndConfirmationsByTypeAndAccessLevel) {
    struct Case {
        const char* type;
        int access;
        DeleteDecision::Kind kind;
        const char* firstLine;
    };
    const Case cases[] = {
        {"User", 0, DeleteDecision::Refuse, "Users can only be deleted by System Administrators."},
        {"User", 2, DeleteDecision::Refuse, "Users can only be deleted by System Administrators."},
        {"Open", 1, DeleteDecision::Refuse, "Only System Administrators can delete an Open person"},
        {"Open", 2, DeleteDecision::Confirm, nullptr},
        {"Limited", 1, DeleteDecision::Refuse,
         "Only System Administrators can delete a Limited person"},
        {"Limited", 2, DeleteDecision::Confirm, nullptr},
        {"Private", 0, DeleteDecision::Confirm, nullptr},
        {"Private", 2, DeleteDecision::Confirm, nullptr},
        {"", 0, DeleteDecision::Direct, nullptr},
    };
    for (const Case& c : cases) {
        Person p;
        p.TYPE = c.type;
        const DeleteDecision d = deleteDecision(sessionOf("BEN", c.access), p);
        EXPECT_EQ(d.kind, c.kind) << c.type << " " << c.access;
        if (c.firstLine) {
            ASSERT_FALSE(d.lines.empty());
            EXPECT_EQ(d.lines.front(), c.firstLine);
        }
    }
    Person user;
    user.TYPE = "User";
    EXPECT_EQ(deleteDecision(sessionOf("ANNA", 2), user).lines.back(), "Use File>Users menu");
}

TEST_F(PeopleLogicTest, ConcludingOnDeleteClosesOnlyThePersonsOpenAssignments) {
    assignment(1, 7, 0);
    assignment(2, 7, 30000);  // concluded earlier: keeps its date
    assignment(3, 7, 0);
    assignment(4, 8, 0);  // another person
    int concluded = -1;
    ASSERT_TRUE(concludeOpenAssignments(*m_db, 7, 45000, concluded).ok());
    EXPECT_EQ(concluded, 2);
    EXPECT_EQ(reread(1).CLOSEDATE, 45000);
    EXPECT_EQ(reread(2).CLOSEDATE, 30000);
    EXPECT_EQ(reread(3).CLOSEDATE, 45000);
    EXPECT_EQ(reread(4).CLOSEDATE, 0);
    ASSERT_TRUE(concludeOpenAssignments(*m_db, 9, 45000, concluded).ok());
    EXPECT_EQ(concluded, 0);
}

TEST_F(PeopleLogicTest, ConcludingIsAllOrNothingWhenAWriteFails) {
    assignment(1, 7, 0);
    assignment(2, 7, 0);
    assignment(3, 7, 0);
    Status status;
    auto failing =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    ASSERT_TRUE(status.ok());
    failing->failChange(label::ASSIGNMENT, 2);
    Database station(std::move(failing));
    int concluded = -1;
    EXPECT_FALSE(concludeOpenAssignments(station, 7, 45000, concluded).ok());
    EXPECT_EQ(concluded, 0);
    for (int number : {1, 2, 3}) EXPECT_EQ(reread(number).CLOSEDATE, 0) << number;
}

// ---- dialling ------------------------------------------------------------------------

TEST_F(PeopleLogicTest, DiallingTakesNineteenCharactersOfThePhoneNumberAsStored) {
    Person p;
    p.SHORTNAME = "PRINTSHOP";
    p.PHONENUMBER = "+49 (89) 555-0199 ext 12";  // 24 characters
    p.PHONENUMBER += "3";                        // 25
    const DialRequest r = dialRequestFor(p);
    EXPECT_EQ(r.number, "+49 (89) 555-0199 e");
    EXPECT_EQ(r.number.size(), 19u);
    EXPECT_EQ(r.calledParty, "PRINTSHOP");
    // Characters, not bytes; blanks inside the 19 are kept.
    p.PHONENUMBER = "\xC3\xA9\xC3\xA9 1234567890123456789";
    EXPECT_EQ(dialRequestFor(p).number, "\xC3\xA9\xC3\xA9 1234567890123456");
    p.PHONENUMBER = "555 0123";
    EXPECT_EQ(dialRequestFor(p).number, "555 0123");
}

TEST_F(PeopleLogicTest, TheTelAddressCarriesTheNumberAndNothingForABlankOne) {
    EXPECT_EQ(telUrl({"555 0123", "X"}).toString(QUrl::FullyEncoded),
              QStringLiteral("tel:555%200123"));
    EXPECT_EQ(telUrl({"+1 (800) 555", "X"}).scheme(), QStringLiteral("tel"));
    EXPECT_TRUE(telUrl({"   ", "X"}).isEmpty());
    EXPECT_TRUE(telUrl({"", "X"}).isEmpty());
}

// ---- users of a limited person ----------------------------------------------------------

TEST_F(PeopleLogicTest, LimitedPersonUsersAreAddedOnceAndListedCandidatesExcludeThem) {
    for (const char* name : {"ANNA", "BEN", "CARLA"}) user(name);
    add(PeoUser{8, "BEN"});
    add(PeoUser{9, "ANNA"});  // another person's row
    std::vector<std::string> candidates;
    ASSERT_TRUE(usersNotListed(*m_db, 8, candidates).ok());
    EXPECT_EQ(candidates, (std::vector<std::string>{"ANNA", "CARLA"}));

    int added = -1;
    const Outcome outcome = addPersonUsers(*m_db, 8, {"ANNA", "BEN", "CARLA"}, &added);
    ASSERT_TRUE(outcome.ok()) << outcome.text;
    EXPECT_EQ(added, 2);  // BEN was listed already
    std::int64_t rows = 0;
    ASSERT_TRUE(m_db->count<PeoUser>(store::eq("PERSONNUMBER", std::int64_t{8}), rows).ok());
    EXPECT_EQ(rows, 3);
    ASSERT_TRUE(usersNotListed(*m_db, 8, candidates).ok());
    EXPECT_TRUE(candidates.empty());

    PeoUser ben;
    ASSERT_TRUE(
        m_db->fetch("PEU:PERSONNUMBER_KEY", {std::int64_t{8}, std::string("BEN")}, ben).ok());
    EXPECT_TRUE(removePersonUser(*m_db, ben).ok());
    EXPECT_TRUE(removePersonUser(*m_db, ben).ok());  // already gone: nothing to report
    ASSERT_TRUE(m_db->count<PeoUser>(store::all(), rows).ok());
    EXPECT_EQ(rows, 3);
}

TEST_F(PeopleLogicTest, AddingLimitedPersonUsersFailsWholeWhenTheTransactionCannotStart) {
    user("ANNA");
    std::unique_ptr<Database> other = test::openStation(m_source);
    ASSERT_TRUE(other);
    ASSERT_TRUE(other->begin({label::PEOUSER}, 2000).ok());  // another station holds the lock
    const Outcome outcome = addPersonUsers(*m_db, 8, {"ANNA"});
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.text, "Transaction Cancelled");
    ASSERT_TRUE(other->rollback().ok());
    std::int64_t rows = -1;
    ASSERT_TRUE(m_db->count<PeoUser>(store::all(), rows).ok());
    EXPECT_EQ(rows, 0);
}

}  // namespace
}  // namespace tko
