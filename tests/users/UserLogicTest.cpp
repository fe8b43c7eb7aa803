// User administration against the engine under test: saving and renaming
// users with their rights and cascades, deleting them, the last System
// Administrator, user groups, the "All users" group, the command-line mends
// and the users of a limited project.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>

#include "access/Rights.h"
#include "app/FirstRun.h"
#include "app/Login.h"
#include "cli/UserCommand.h"
#include "data/Password.h"
#include "data/Preferences.h"
#include "data/Security.h"
#include "data/Tables.h"
#include "people/PeopleFilters.h"
#include "support/FailingEngine.h"
#include "support/LoginResult.h"
#include "support/TestStore.h"
#include "users/LimitedProjectUsers.h"
#include "users/RecoveryKey.h"
#include "users/UserAccounts.h"
#include "users/UserGroups.h"

namespace tko {
namespace {

using Names = std::vector<std::string>;
constexpr Date kToday = 45000;
constexpr Time kNow = 360000 * 9;

Session admin(const std::string& name = "SUPERVISOR") {
    Session s;
    s.GlobalUser = name;
    s.GlobalUserAccess = 2;
    return s;
}

class UserLogicTest : public ::testing::Test {
protected:
    void SetUp() override {
        setPasswordCost(PasswordCost::Minimal);
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        ASSERT_TRUE(ensureFirstAccount(*m_db).ok);
    }

    // Adds a user through the form's save, as an administrator would.
    Outcome addUser(const std::string& name, int level = 0, UserRights rights = {},
                    const std::string& password = "secret1") {
        UserEntry entry;
        entry.user.USERNAME = name;
        entry.user.LASTNAME = name + "son";
        entry.user.ACCESSLEVEL = static_cast<std::uint8_t>(level);
        entry.password = entry.passwordAgain = password;
        entry.rights = std::move(rights);
        return saveUser(*m_db, admin(), Request::Insert, entry, User{}, kToday, kNow);
    }

    UserEntry load(const std::string& name) {
        UserEntry entry;
        EXPECT_TRUE(loadUser(*m_db, name, entry.user, entry.rights).ok()) << name;
        return entry;
    }

    Outcome change(UserEntry& entry, const User& original, const Session& by = admin()) {
        return saveUser(*m_db, by, Request::Change, entry, original, kToday, kNow);
    }

    template <class R>
    std::int64_t count(const store::Filter& filter = store::all()) {
        std::int64_t n = -1;
        EXPECT_TRUE(m_db->count<R>(filter, n).ok());
        return n;
    }

    template <class R>
    void put(R record) {
        ASSERT_TRUE(m_db->add(record).ok());
    }
    template <class R>
    void removeAll(const store::Filter& filter) {
        std::vector<R> rows;
        ASSERT_TRUE(m_db->readAll("", filter, rows).ok());
        for (const R& row : rows) ASSERT_TRUE(m_db->remove(row).ok());
    }

    bool right(Right r, const std::string& holder, const std::string& subject) {
        bool granted = false;
        EXPECT_TRUE(hasRight(*m_db, r, holder, subject, granted).ok());
        return granted;
    }

    Person ownPerson(const std::string& name) {
        Person p;
        EXPECT_TRUE(m_db->fetch("PEO:PRIMARY_KEY", {name, name}, p).ok()) << name;
        return p;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

// ---- rights ------------------------------------------------------------------------

TEST_F(UserLogicTest, RightsShownOnTheFormAreTheRightsTheChecksApply) {
    ASSERT_TRUE(addUser("ANNA").ok());
    ASSERT_TRUE(addUser("CARLA").ok());
    ASSERT_TRUE(addUser("DORA").ok());
    UserRights rights;
    rights.assignsTo = {"CARLA"};  // BEN may give CARLA assignments
    rights.views = {"DORA"};       // BEN may view DORA's
    rights.assignedBy = {"ANNA"};  // ANNA may give BEN assignments
    rights.viewedBy = {"CARLA", "ANNA"};
    ASSERT_TRUE(addUser("BEN", 0, rights).ok());

    const UserEntry ben = load("BEN");
    EXPECT_EQ(ben.rights.assignsTo, Names{"CARLA"});
    EXPECT_EQ(ben.rights.views, Names{"DORA"});
    EXPECT_EQ(ben.rights.assignedBy, Names{"ANNA"});
    EXPECT_EQ(ben.rights.viewedBy, (Names{"ANNA", "CARLA"}));

    EXPECT_TRUE(right(Right::Assign, "BEN", "CARLA"));
    EXPECT_FALSE(right(Right::Assign, "CARLA", "BEN"));
    EXPECT_TRUE(right(Right::Assign, "ANNA", "BEN"));
    EXPECT_TRUE(right(Right::View, "BEN", "DORA"));
    EXPECT_FALSE(right(Right::View, "BEN", "CARLA"));
    EXPECT_TRUE(right(Right::View, "CARLA", "BEN"));
    EXPECT_TRUE(right(Right::View, "DORA", "DORA"));  // everyone over himself
    EXPECT_FALSE(right(Right::Assign, "BEN", ""));
    // A name longer than any user name is not clipped into one.
    UserAssign longName{"FIFTEENCHARSXYZ", "BEN"};
    ASSERT_TRUE(m_db->add(longName).ok());
    EXPECT_TRUE(right(Right::Assign, "BEN", "FIFTEENCHARSXYZ"));
    EXPECT_FALSE(right(Right::Assign, "BEN", "FIFTEENCHARSXYZ2"));

    // The people lists of a General User offer exactly the same persons.
    Session ben0;
    ben0.GlobalUser = "BEN";
    bool listed = false;
    ASSERT_TRUE(personInList(*m_db, PeopleList::Assignable, ben0, false,
                             ownPerson("CARLA").PERSONNUMBER, listed)
                    .ok());
    EXPECT_TRUE(listed);
    ASSERT_TRUE(personInList(*m_db, PeopleList::Assignable, ben0, false,
                             ownPerson("DORA").PERSONNUMBER, listed)
                    .ok());
    EXPECT_FALSE(listed);
    ASSERT_TRUE(personInList(*m_db, PeopleList::Viewable, ben0, false,
                             ownPerson("DORA").PERSONNUMBER, listed)
                    .ok());
    EXPECT_TRUE(listed);

    // A short name typed on the assignment form reaches the same people.
    Person typed;
    bool found = false;
    ASSERT_TRUE(findListedPerson(*m_db, PeopleList::Assignable, ben0, "CARLA", typed, found).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(typed.SHORTNAME, "CARLA");
    ASSERT_TRUE(findListedPerson(*m_db, PeopleList::Assignable, ben0, "DORA", typed, found).ok());
    EXPECT_FALSE(found);

    // And CARLA's form shows the same grant from the other side.
    EXPECT_EQ(load("CARLA").rights.assignedBy, Names{"BEN"});
    EXPECT_EQ(load("CARLA").rights.views, Names{"BEN"});
}

TEST_F(UserLogicTest, ReplacingRightsTouchesOnlyTheRowsOfThatUser) {
    for (const char* n : {"ANNA", "BEN", "CARLA"}) ASSERT_TRUE(addUser(n).ok());
    UserAssign unrelated{"ANNA", "CARLA"};
    ASSERT_TRUE(m_db->add(unrelated).ok());
    UserView twice1{"ANNA", "BEN"}, twice2{"ANNA", "BEN"};  // USERVIEW allows repeats
    ASSERT_TRUE(m_db->add(twice1).ok());
    ASSERT_TRUE(m_db->add(twice2).ok());

    UserEntry ben = load("BEN");
    EXPECT_EQ(ben.rights.views, Names{"ANNA"});
    const User original = ben.user;
    ben.rights.assignsTo = {"CARLA", "BEN", "CARLA"};  // himself and a repeat give no row
    ASSERT_TRUE(change(ben, original).ok());
    EXPECT_EQ(count<UserView>(), 1);  // the repeat went, the grant stayed
    EXPECT_EQ(count<UserAssign>(store::eq("USERNAME2", std::string("BEN"))), 1);
    EXPECT_TRUE(right(Right::Assign, "CARLA", "ANNA"));  // another user's row untouched

    ben = load("BEN");
    ben.rights.views.clear();
    ASSERT_TRUE(change(ben, ben.user).ok());
    EXPECT_FALSE(right(Right::View, "BEN", "ANNA"));
    EXPECT_EQ(count<UserView>(), 0);
}

// ---- saving ------------------------------------------------------------------------

TEST_F(UserLogicTest, AnAddedUserGetsHisPersonEntryAndPreferencesAndCanLogIn) {
    ASSERT_TRUE(addUser("BEN", 1).ok());
    User ben = load("BEN").user;
    EXPECT_EQ(ben.ACCESSLEVEL, 1);
    EXPECT_EQ(ben.CHANGENAME, "SUPERVISOR");
    EXPECT_EQ(ben.DATECHANGED, kToday);
    EXPECT_NE(ben.PASSWORD, "secret1");
    const Person own = ownPerson("BEN");
    EXPECT_EQ(own.TYPE, "User");
    EXPECT_EQ(own.LASTNAME, "BENson");  // the people lists name him
    EXPECT_EQ(own.PERSONNUMBER, 2);     // one above the first account's entry
    UserPref pref;
    EXPECT_TRUE(m_db->fetch("USP:USERNAME_KEY", {std::string("BEN")}, pref).ok());

    LoginAttempts login(*m_db);
    LoggedIn benIn;
    EXPECT_EQ(test::tryLogin(login, "BEN", "secret1", &benIn), test::kLoggedIn);
    EXPECT_EQ(benIn.accessLevel, 1);
}

TEST_F(UserLogicTest, PasswordAndNameChecksRefuseAndWriteNothing) {
    const std::int64_t users = count<User>(), people = count<Person>();
    struct Case {
        const char* name;
        const char* first;
        const char* second;
        const char* message;
    } cases[] = {
        {"BEN", "abcd", "abcd", "Password must be at least 5 characters"},
        {"BEN", "abcd    ", "abcd    ", "Password must be at least 5 characters"},
        {"BEN", "abcde", "abcdf", "Password entries do not match. Please try again"},
        {"BEN", "", "", "Password must be at least 5 characters"},
        {"SUPERVISOR", "abcde", "abcde", "Duplicate UserName"},
        {"", "abcde", "abcde", "Please enter a User Name"},
        {"BEN0123456789012", "abcde", "abcde", ""},  // 16 characters: too long, not cut
    };
    for (const Case& c : cases) {
        UserEntry entry;
        entry.user.USERNAME = c.name;
        entry.password = c.first;
        entry.passwordAgain = c.second;
        const Outcome o = saveUser(*m_db, admin(), Request::Insert, entry, User{}, kToday, kNow);
        EXPECT_EQ(o.kind, Outcome::Refused) << c.name << "/" << c.first;
        if (*c.message) {
            EXPECT_EQ(o.text, c.message) << c.name << "/" << c.first;
        }
    }
    // A field too long names the entry it is on, so the form shows its tab.
    UserEntry noted;
    noted.user.USERNAME = "NOTED";
    noted.user.NOTES = std::string(User::Width::NOTES + 1, 'n');
    noted.password = noted.passwordAgain = "abcde";
    EXPECT_EQ(saveUser(*m_db, admin(), Request::Insert, noted, User{}, kToday, kNow).field,
              "notes");
    noted.user.NOTES.clear();
    noted.user.DEPARTMENT = std::string(User::Width::DEPARTMENT + 1, 'd');
    EXPECT_EQ(saveUser(*m_db, admin(), Request::Insert, noted, User{}, kToday, kNow).field,
              "department");
    // Exactly five characters are enough.
    EXPECT_TRUE(addUser("BEN", 0, {}, "abcde").ok());
    EXPECT_EQ(count<User>(), users + 1);
    EXPECT_EQ(count<Person>(), people + 1);
}

TEST_F(UserLogicTest, AUserNameTakenByAPersonIsRefused) {
    Person printer;
    printer.SHORTNAME = "PRINTSHOP";
    printer.PERSONNUMBER = 7;
    printer.TYPE = "Open";
    ASSERT_TRUE(m_db->add(printer).ok());
    const Outcome o = addUser("PRINTSHOP");
    EXPECT_EQ(o.kind, Outcome::Refused);
    EXPECT_EQ(o.text, "This User Name already used for a person entry");
    EXPECT_EQ(count<User>(store::eq("USERNAME", std::string("PRINTSHOP"))), 0);

    // Renaming onto such a name is refused the same way.
    ASSERT_TRUE(addUser("BEN").ok());
    UserEntry ben = load("BEN");
    const User original = ben.user;
    ben.user.USERNAME = "PRINTSHOP";
    EXPECT_EQ(change(ben, original).text, "This User Name already used for a person entry");
    ben.user.USERNAME = "SUPERVISOR";
    EXPECT_EQ(change(ben, original).text, "Duplicate UserName");
    EXPECT_EQ(load("BEN").user.rowVersion, original.rowVersion);

    // In any letter case, and whoever owns the person; but a user's own entry
    // follows a rename that changes only his name's letter case.
    test::addPerson(*m_db, 50, "carla", "Private", "BEN");
    for (const char* name : {"PrintShop", "CARLA", "Carla"})
        EXPECT_EQ(addUser(name).text, "This User Name already used for a person entry") << name;
    ben.user.USERNAME = "Ben";
    ASSERT_TRUE(change(ben, original).ok());
    EXPECT_EQ(ownPerson("Ben").TYPE, "User");
}

// Collisions made before they were refused are named by check: a person
// who shares a user's name in any letter case, not the user's own entry.
TEST_F(UserLogicTest, PersonsSharingAUsersNameAreListed) {
    ASSERT_TRUE(addUser("BEN").ok());
    ASSERT_TRUE(addUser("CARLA").ok());
    std::vector<std::string> lines;
    ASSERT_TRUE(userNameCollisions(*m_db, lines).ok());
    EXPECT_TRUE(lines.empty());
    const struct {
        const char* shortName;
        const char* type;
        const char* owner;
    } people[] = {{"ben", "Private", "CARLA"}, {"BEN", "Open", ""}, {"Carla", "User", "BEN"}};
    int number = 40;
    for (const auto& p : people) {
        Person person;
        person.SHORTNAME = p.shortName;
        person.PERSONNUMBER = ++number;
        person.TYPE = p.type;
        person.USER = p.owner;
        ASSERT_TRUE(m_db->add(person).ok());
    }
    ASSERT_TRUE(userNameCollisions(*m_db, lines).ok());
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& p : people) {
        const std::string quoted = "\"" + std::string(p.shortName) + "\"";
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& l) { return l.find(quoted) != l.npos; }),
                  1)
            << p.shortName;
    }
}

TEST_F(UserLogicTest, OnlySystemAdministratorsChangeUsers) {
    ASSERT_TRUE(addUser("BEN").ok());
    for (int level : {0, 1}) {
        Session s;
        s.GlobalUser = "BEN";
        s.GlobalUserAccess = level;
        UserEntry entry = load("BEN");
        const User original = entry.user;
        entry.user.ACCESSLEVEL = 2;  // promoting himself
        EXPECT_EQ(administratorOnly(s).text, kNotAdministrator);
        EXPECT_EQ(change(entry, original, s).text, kNotAdministrator);
        EXPECT_EQ(deleteUser(*m_db, s, original, "", kToday).text, kNotAdministrator);
        UserGroup g;
        g.GROUP = "CREW";
        EXPECT_EQ(saveUserGroup(*m_db, s, Request::Insert, g, {}, {}, kToday, kNow).text,
                  kNotAdministrator);
    }
    EXPECT_EQ(load("BEN").user.ACCESSLEVEL, 0);
    EXPECT_EQ(count<UserGroup>(store::eq("GROUP", std::string("CREW"))), 0);
}

// The session follows only the logged-in user's own record, named exactly
// (trailing blanks aside), and only on a change.
TEST(UserSessionTest, FollowsOnlyTheLoggedInUsersOwnChange) {
    struct Case {
        Request request;
        std::string original, saved;
        int savedLevel;
        bool follows;
    };
    const std::vector<Case> cases{
        {Request::Change, "SUPERVISOR", "CHIEF", 2, true},          // renamed himself
        {Request::Change, "SUPERVISOR   ", "SUPERVISOR", 0, true},  // lowered his own level
        {Request::Change, "supervisor", "CHIEF", 2, false},         // another user's record
        {Request::Change, "BEN", "BENNO", 2, false},
        {Request::Insert, "SUPERVISOR", "CHIEF", 2, false},
    };
    for (const Case& c : cases) {
        Session session = admin();
        User original, saved;
        original.USERNAME = c.original;
        saved.USERNAME = c.saved;
        saved.ACCESSLEVEL = static_cast<std::uint8_t>(c.savedLevel);
        EXPECT_EQ(followOwnChange(session, c.request, original, saved), c.follows) << c.original;
        EXPECT_EQ(session.GlobalUser, c.follows ? c.saved : "SUPERVISOR") << c.original;
        EXPECT_EQ(session.GlobalUserAccess, c.follows ? c.savedLevel : 2) << c.original;
    }
}

TEST_F(UserLogicTest, AChangeWithoutPasswordEntriesKeepsThePassword) {
    ASSERT_TRUE(addUser("BEN").ok());
    UserEntry ben = load("BEN");
    const User original = ben.user;
    ben.user.DEPARTMENT = "Sales";
    ASSERT_TRUE(change(ben, original).ok());
    EXPECT_TRUE(verifyPassword("secret1", load("BEN").user.PASSWORD));

    ben = load("BEN");
    ben.password = ben.passwordAgain = "newpass";
    ASSERT_TRUE(change(ben, ben.user).ok());
    EXPECT_TRUE(verifyPassword("newpass", load("BEN").user.PASSWORD));
}

TEST_F(UserLogicTest, RenamingAUserRewritesEverythingThatCarriesHisName) {
    ASSERT_TRUE(addUser("ANNA").ok());
    UserRights rights;
    rights.assignsTo = {"ANNA"};
    rights.viewedBy = {"ANNA"};
    ASSERT_TRUE(addUser("BEN", 0, rights).ok());
    const Person own = ownPerson("BEN");
    UserGroupUser member{"CREW", "BEN"};
    GroupPeople listMember{"FRIENDS", 1, "BEN", own.PERSONNUMBER};
    Anniversary birthday;
    birthday.DAYOFYEAR = 100;
    birthday.NUMBER = own.PERSONNUMBER;
    birthday.SHORTNAME = "BEN";
    Assignment task;
    task.ASSIGNNUMBER = 1;
    task.PERSON = "BEN";
    task.PERSONNUMBER = own.PERSONNUMBER;
    task.NAME = "Inventory";
    for (Status s :
         {m_db->add(member), m_db->add(listMember), m_db->add(birthday), m_db->add(task)})
        ASSERT_TRUE(s.ok());

    UserEntry ben = load("BEN");
    const User original = ben.user;
    ben.user.USERNAME = "BENNY";
    ASSERT_TRUE(change(ben, original).ok());

    const std::string benny = "BENNY", old = "BEN";
    EXPECT_EQ(count<User>(store::eq("USERNAME", old)), 0);
    EXPECT_EQ(count<UserGroupUser>(store::eq("USERNAME", benny)), 2);  // CREW, All users
    EXPECT_EQ(count<UserGroupUser>(store::eq("USERNAME", old)), 0);
    EXPECT_EQ(count<UserPref>(store::eq("USERNAME", benny)), 1);
    EXPECT_EQ(count<GroupPeople>(store::eq("SHORTNAME", benny)), 1);
    EXPECT_EQ(count<Anniversary>(store::eq("SHORTNAME", benny)), 1);
    EXPECT_EQ(count<Assignment>(store::eq("PERSON", benny)), 1);
    const Person renamed = ownPerson("BENNY");
    EXPECT_EQ(renamed.PERSONNUMBER, own.PERSONNUMBER);
    for (const store::TableDef* t : {&UserAssign::def(), &UserView::def()})
        for (const char* f : {"USERNAME", "USERNAME2"}) {
            std::int64_t n = -1;
            ASSERT_TRUE(m_db->engine().count(*t, store::eq(f, old), n).ok());
            EXPECT_EQ(n, 0) << t->label << " " << f;
        }
    EXPECT_TRUE(right(Right::Assign, "BENNY", "ANNA"));
    EXPECT_TRUE(right(Right::View, "ANNA", "BENNY"));
    LoginAttempts login(*m_db);
    EXPECT_EQ(test::tryLogin(login, "BENNY", "secret1"), test::kLoggedIn);
}

TEST_F(UserLogicTest, AFailureInsideTheTransactionLeavesUsersAndRightsAsTheyWere) {
    ASSERT_TRUE(addUser("ANNA").ok());
    UserRights rights;
    rights.assignsTo = {"ANNA"};
    ASSERT_TRUE(addUser("BEN", 0, rights).ok());
    const UserEntry before = load("BEN");

    Status status;
    auto failing =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    ASSERT_TRUE(status.ok());
    failing->failAdds(label::USERVIEW, 1, store::kEngineError);  // the last step of the save
    Database station(std::move(failing));

    UserEntry edited = before;
    edited.user.USERNAME = "BENNY";
    edited.user.DEPARTMENT = "Sales";
    edited.rights.assignsTo.clear();
    edited.rights.views = {"ANNA"};
    const Outcome o =
        saveUser(station, admin(), Request::Change, edited, before.user, kToday, kNow);
    EXPECT_EQ(o.kind, Outcome::Failed);
    EXPECT_EQ(o.text, "Transaction cancelled");
    // The box adds the storage error to the text.
    ASSERT_TRUE(o.message);
    EXPECT_EQ(o.message->text.rfind("Transaction cancelled. ", 0), 0u);
    EXPECT_TRUE(o.message->title.empty());
    EXPECT_EQ(station.engine().transactionDepth(), 0);

    const UserEntry after = load("BEN");
    EXPECT_EQ(after.user.DEPARTMENT, before.user.DEPARTMENT);
    EXPECT_EQ(after.rights, before.rights);
    EXPECT_EQ(count<User>(store::eq("USERNAME", std::string("BENNY"))), 0);
    EXPECT_EQ(count<Person>(store::eq("SHORTNAME", std::string("BENNY"))), 0);

    // A failed insert leaves no user and no person entry behind.
    Status s2;
    auto failing2 =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, s2));
    failing2->failAdds(label::USERPREF, 1, store::kEngineError);
    Database station2(std::move(failing2));
    UserEntry fresh;
    fresh.user.USERNAME = "CARLA";
    fresh.password = fresh.passwordAgain = "secret1";
    EXPECT_EQ(saveUser(station2, admin(), Request::Insert, fresh, User{}, kToday, kNow).kind,
              Outcome::Failed);
    EXPECT_EQ(count<User>(store::eq("USERNAME", std::string("CARLA"))), 0);
    EXPECT_EQ(count<Person>(store::eq("SHORTNAME", std::string("CARLA"))), 0);
}

TEST_F(UserLogicTest, TwoStationsSavingOneUserKeepTheFirstAndShowItToTheSecond) {
    ASSERT_TRUE(addUser("BEN").ok());
    auto other = test::openStation(m_source);
    ASSERT_TRUE(other);
    UserEntry mine = load("BEN");
    UserEntry theirs;
    ASSERT_TRUE(loadUser(*other, "BEN", theirs.user, theirs.rights).ok());
    const User mineOriginal = mine.user, theirsOriginal = theirs.user;

    theirs.user.DEPARTMENT = "Sales";
    ASSERT_TRUE(
        saveUser(*other, admin(), Request::Change, theirs, theirsOriginal, kToday, kNow).ok());

    mine.user.DEPARTMENT = "Accounts";
    mine.rights.views = {"SUPERVISOR"};
    const Outcome o = change(mine, mineOriginal);
    EXPECT_EQ(o.kind, Outcome::ChangedElsewhere);
    EXPECT_EQ(o.text, kUserChangedElsewhere);
    EXPECT_EQ(mine.user.DEPARTMENT, "Sales");  // the form now shows the other station's values
    EXPECT_TRUE(mine.rights.views.empty());
    EXPECT_EQ(load("BEN").user.DEPARTMENT, "Sales");
    EXPECT_FALSE(right(Right::View, "BEN", "SUPERVISOR"));
    // Saving again from the refreshed copy works.
    mine.user.DEPARTMENT = "Accounts";
    EXPECT_TRUE(change(mine, mine.user).ok());
}

// ---- deleting and the last administrator --------------------------------------------

TEST_F(UserLogicTest, DeletingAUserConcludesHisOpenAssignmentsAndRemovesEveryTrace) {
    ASSERT_TRUE(addUser("ANNA").ok());
    UserRights rights;
    rights.assignsTo = {"ANNA"};
    rights.viewedBy = {"ANNA"};
    ASSERT_TRUE(addUser("BEN", 0, rights).ok());
    const Person ben = ownPerson("BEN"), anna = ownPerson("ANNA");
    auto assignment = [&](int number, const Person& p, Date closed) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.PERSON = p.SHORTNAME;
        a.PERSONNUMBER = p.PERSONNUMBER;
        a.NAME = "Task";
        a.CLOSEDATE = closed;
        ASSERT_TRUE(m_db->add(a).ok());
    };
    assignment(1, ben, 0);
    assignment(2, ben, 0);
    assignment(3, ben, 40000);
    assignment(4, anna, 0);

    int concluded = -1;
    const Outcome o = deleteUser(*m_db, admin(), load("BEN").user, "", kToday, &concluded);
    ASSERT_TRUE(o.ok()) << outcomeLine(o);
    EXPECT_EQ(concluded, 2);
    EXPECT_EQ(count<Assignment>(store::eq("CLOSEDATE", std::int64_t{kToday})), 2);
    EXPECT_EQ(count<Assignment>(store::eq("CLOSEDATE", std::int64_t{40000})), 1);
    EXPECT_EQ(count<Assignment>(store::eq("CLOSEDATE", std::int64_t{0})), 1);  // ANNA's
    EXPECT_EQ(count<Assignment>(), 4);  // concluded, not deleted
    EXPECT_EQ(count<User>(store::eq("USERNAME", std::string("BEN"))), 0);
    EXPECT_EQ(count<Person>(store::eq("SHORTNAME", std::string("BEN"))), 0);
    EXPECT_EQ(count<UserPref>(store::eq("USERNAME", std::string("BEN"))), 0);
    EXPECT_EQ(count<UserGroupUser>(store::eq("USERNAME", std::string("BEN"))), 0);
    // Rows naming him as the holder go too: a later BEN inherits nothing.
    EXPECT_EQ(count<UserAssign>(), 0);
    EXPECT_EQ(count<UserView>(), 0);
}

// What a deleted user owned goes to the heir, each kind of row; the rows
// listing him for somebody's limited person or project go; and his name,
// still carried by the work given to him, is not given to a new user.
TEST_F(UserLogicTest, DeletingAUserHandsWhatHeOwnedToTheHeirAndRetiresHisName) {
    ASSERT_TRUE(addUser("ANNA").ok());
    ASSERT_TRUE(addUser("BEN").ok());
    const Person ben = ownPerson("BEN");
    test::addPerson(*m_db, 20, "Plumber", "Private", "BEN");
    test::addPerson(*m_db, 21, "Bank", "Limited", "BEN");
    put(GroupName{"Friends", 1, "BEN"});
    Project project;
    project.NAME = "Garden";
    project.PROJNUMBER = 1;
    project.USER = "BEN";
    project.TYPE = "Limited";
    ASSERT_TRUE(m_db->add(project).ok());
    put(ProjUser{"Garden", 1, "ANNA"});  // stays with the project
    put(ProjUser{"Other", 2, "BEN"});    // his place in a list goes
    put(PeoUser{99, "BEN"});
    put(ProjAssign{"Garden", 1, 1, "BEN"});
    Assignment given;
    given.ASSIGNNUMBER = 1;
    given.USERNAME = "BEN";
    given.PERSON = "ANNA";
    ASSERT_TRUE(m_db->add(given).ok());
    Assignment toHim = given;
    toHim.ASSIGNNUMBER = 2;
    toHim.USERNAME = "ANNA";
    toHim.PERSON = "BEN";
    toHim.PERSONNUMBER = ben.PERSONNUMBER;
    ASSERT_TRUE(m_db->add(toHim).ok());
    put(Reminder{kToday, "Call", 1, "ANNA", 1, "BEN", 1});

    // An heir who is no user, or the user himself, is refused; nothing changes.
    for (const char* heir : {"NOBODY", "BEN", "ben"})
        EXPECT_EQ(deleteUser(*m_db, admin(), load("BEN").user, heir, kToday).kind, Outcome::Refused)
            << heir;
    // ANNA's own list of the same name blocks the hand-over, with a message.
    put(GroupName{"friends", 2, "ANNA"});
    const Outcome blocked = deleteUser(*m_db, admin(), load("BEN").user, "anna", kToday);
    EXPECT_EQ(blocked.kind, Outcome::Refused);
    EXPECT_NE(blocked.text.find("Friends"), std::string::npos) << blocked.text;
    EXPECT_EQ(count<User>(store::eq("USERNAME", std::string("BEN"))), 1);
    EXPECT_EQ(count<GroupName>(store::same("USER", std::string("BEN"))), 1);
    removeAll<GroupName>(store::same("USER", std::string("ANNA")));

    ASSERT_TRUE(deleteUser(*m_db, admin(), load("BEN").user, "anna", kToday).ok());
    const struct {
        const store::TableDef& table;
        const char* column;
        std::int64_t toHeir;
    } handed[] = {{Person::def(), "USER", 2},         {GroupName::def(), "USER", 1},
                  {Project::def(), "USER", 1},        {ProjAssign::def(), "USER", 1},
                  {Assignment::def(), "USERNAME", 2},  // the one given to him was ANNA's already
                  {Reminder::def(), "USER", 1},       {ProjUser::def(), "USER", 1},
                  {PeoUser::def(), "USER", 0}};
    for (const auto& h : handed) {
        std::int64_t heirs = -1, his = -1;
        ASSERT_TRUE(
            m_db->engine().count(h.table, store::same(h.column, std::string("ANNA")), heirs).ok());
        ASSERT_TRUE(
            m_db->engine().count(h.table, store::eq(h.column, std::string("BEN")), his).ok());
        EXPECT_EQ(his, 0) << h.table.label << ":" << h.column;
        // PEOPLE: ANNA's own entry besides the two handed to her.
        EXPECT_EQ(heirs, h.toHeir + (h.table.label == "PEOPLE" ? 1 : 0)) << h.table.label;
    }
    EXPECT_EQ(count<ProjUser>(), 1);

    // The work given to him still names him: the name is not given again,
    // in any letter case.
    for (const char* name : {"BEN", "Ben"})
        EXPECT_EQ(addUser(name).text, kNameStillReferenced) << name;
    removeAll<Assignment>(store::eq("PERSON", std::string("BEN")));
    EXPECT_TRUE(addUser("Ben").ok());
}

TEST_F(UserLogicTest, TheLastSystemAdministratorCanBeNeitherDeletedNorLowered) {
    UserEntry super = load("SUPERVISOR");
    const User original = super.user;
    super.user.ACCESSLEVEL = 1;
    Outcome o = change(super, original);
    EXPECT_EQ(o.kind, Outcome::Refused);
    EXPECT_EQ(o.field, "access");
    EXPECT_EQ(load("SUPERVISOR").user.ACCESSLEVEL, 2);
    // Nor suspended by the check box, while no other administrator may log in.
    super = load("SUPERVISOR");
    super.user.FAILFLAG = 1;
    o = change(super, original);
    EXPECT_EQ(o.text, kLastAdministratorSuspended);
    EXPECT_EQ(load("SUPERVISOR").user.FAILFLAG, 0);
    o = deleteUser(*m_db, admin(), original, "", kToday);
    EXPECT_EQ(o.kind, Outcome::Refused);
    EXPECT_FALSE(o.text.empty());
    EXPECT_EQ(count<User>(), 1);
    EXPECT_EQ(m_db->engine().transactionDepth(), 0);

    // A second administrator who is suspended himself does not count; one
    // who may log in does.
    ASSERT_TRUE(addUser("ANNA", 2).ok());
    const auto suspend = [&](const char* name, int flag) {
        UserEntry entry = load(name);
        const User before = entry.user;
        entry.user.FAILFLAG = static_cast<std::uint8_t>(flag);
        return change(entry, before);
    };
    ASSERT_TRUE(suspend("ANNA", 1).ok());
    EXPECT_EQ(suspend("SUPERVISOR", 1).text, kLastAdministratorSuspended);
    ASSERT_TRUE(suspend("ANNA", 0).ok());
    ASSERT_TRUE(suspend("SUPERVISOR", 1).ok());
    ASSERT_TRUE(suspend("SUPERVISOR", 0).ok());

    // With a second administrator either may go.
    super = load("SUPERVISOR");
    super.user.ACCESSLEVEL = 0;
    ASSERT_TRUE(change(super, super.user).ok());
    // ... and now ANNA is the last one.
    EXPECT_EQ(deleteUser(*m_db, admin("ANNA"), load("ANNA").user, "", kToday).kind,
              Outcome::Refused);
    EXPECT_TRUE(deleteUser(*m_db, admin("ANNA"), load("SUPERVISOR").user, "", kToday).ok());
}

// ---- user groups --------------------------------------------------------------------

TEST_F(UserLogicTest, UserGroupsRefuseDuplicatesAndCarryMembersThroughARename) {
    for (const char* n : {"ANNA", "BEN"}) ASSERT_TRUE(addUser(n).ok());
    Names members;
    EXPECT_EQ(addMember(members, "BEN"), "");
    EXPECT_EQ(addMember(members, "ANNA"), "");
    EXPECT_EQ(addMember(members, "BEN  "), kDuplicateMember);
    EXPECT_EQ(members, (Names{"ANNA", "BEN"}));

    UserGroup crew;
    crew.GROUP = "Crew";
    ASSERT_TRUE(
        saveUserGroup(*m_db, admin(), Request::Insert, crew, {}, members, kToday, kNow).ok());
    EXPECT_EQ(crew.LASTCHANGEDBY, "SUPERVISOR");
    EXPECT_EQ(
        saveUserGroup(*m_db, admin(), Request::Insert, crew, {}, {"BEN", "BEN"}, kToday, kNow).text,
        kDuplicateMember);
    UserGroup again;
    again.GROUP = "Crew";
    EXPECT_EQ(saveUserGroup(*m_db, admin(), Request::Insert, again, {}, {}, kToday, kNow).kind,
              Outcome::Refused);

    // Members are gathered regardless of the case of the group name.
    Names gathered;
    ASSERT_TRUE(groupMembers(*m_db, "CREW", gathered).ok());
    EXPECT_EQ(gathered, (Names{"ANNA", "BEN"}));
    Names list{"SUPERVISOR", "ANNA"};
    ASSERT_TRUE(applyGroup(*m_db, "crew", false, list).ok());
    // The refusal names the member, as the form does when he is added.
    const Outcome twice =
        saveUserGroup(*m_db, admin(), Request::Insert, crew, {}, {"BEN", "BEN"}, kToday, kNow);
    ASSERT_TRUE(twice.message);
    EXPECT_EQ(twice.message->text, "Duplicate USERGROUPS/User combination: BEN");
    EXPECT_EQ(list, (Names{"ANNA", "BEN", "SUPERVISOR"}));
    ASSERT_TRUE(applyGroup(*m_db, "Crew", true, list).ok());
    EXPECT_EQ(list, Names{"SUPERVISOR"});

    const UserGroup original = crew;
    crew.GROUP = "Team";
    ASSERT_TRUE(
        saveUserGroup(*m_db, admin(), Request::Change, crew, original, {"BEN"}, kToday, kNow).ok());
    EXPECT_EQ(count<UserGroupUser>(store::eq("GROUP", std::string("Crew"))), 0);
    ASSERT_TRUE(groupMembers(*m_db, "Team", gathered).ok());
    EXPECT_EQ(gathered, Names{"BEN"});

    ASSERT_TRUE(deleteUserGroup(*m_db, admin(), crew).ok());
    EXPECT_EQ(count<UserGroupUser>(store::eq("GROUP", std::string("Team"))), 0);
    EXPECT_EQ(count<UserGroup>(store::eq("GROUP", std::string("Team"))), 0);
}

TEST_F(UserLogicTest, AllUsersIsOneGroupWhateverTheLanguageAndNewUsersJoinAtOnce) {
    struct InGerman {
        InGerman() {
            setMessageTranslator([](const std::string& s) -> std::string {
                return s == "All users" ? "Alle Benutzer" : s;
            });
        }
        ~InGerman() { setMessageTranslator(nullptr); }
    } inGerman;
    ASSERT_TRUE(addUser("BEN").ok());  // joins as he is created
    Names members;
    ASSERT_TRUE(groupMembers(*m_db, kAllUsersGroup, members).ok());
    EXPECT_EQ(members, (Names{"BEN", "SUPERVISOR"}));

    User stray;  // written straight into the table, as an older station might
    stray.USERNAME = "CARLA";
    ASSERT_TRUE(m_db->add(stray).ok());
    ASSERT_TRUE(ensureAllUsersGroup(*m_db).ok);  // a start in German
    ASSERT_TRUE(groupMembers(*m_db, kAllUsersGroup, members).ok());
    EXPECT_EQ(members, (Names{"BEN", "CARLA", "SUPERVISOR"}));
    ASSERT_TRUE(ensureAllUsersGroup(*m_db).ok);  // nothing twice
    EXPECT_EQ(count<UserGroupUser>(), 3);
    EXPECT_EQ(count<UserGroup>(), 1);

    // Shown translated, stored and kept under its one name.
    EXPECT_EQ(groupDisplayName("All users  "), "Alle Benutzer");
    EXPECT_EQ(groupDisplayName("ALL USERS"), "ALL USERS");
    UserGroup group;
    ASSERT_TRUE(m_db->fetch("USG:GROUP_KEY", {std::string(kAllUsersGroup)}, group).ok());
    const UserGroup original = group;
    group.GROUP = "Alle Benutzer";
    EXPECT_EQ(
        saveUserGroup(*m_db, admin(), Request::Change, group, original, members, kToday, kNow).text,
        kAllUsersKeepsName);
}

// ---- the command line's ways back ---------------------------------------------------

TEST_F(UserLogicTest, UnlockAndTemporaryPasswordLetASuspendedAdministratorBackIn) {
    SystemPref sys;
    ASSERT_TRUE(ensureSystemPref(*m_db, sys).ok);
    sys.ACCESSTRIES = 3;
    ASSERT_TRUE(m_db->change(sys).ok());
    {
        LoginAttempts login(*m_db);
        for (int i = 0; i < 3; ++i) test::tryLogin(login, "SUPERVISOR", "wrong");
        EXPECT_EQ(test::tryLogin(login, "SUPERVISOR", "wrong"), kTooManyFailuresText);
    }
    EXPECT_EQ(test::tryLogin(LoginAttempts(*m_db), "SUPERVISOR", kFirstPassword), kSuspendedText);

    // Another administrator lets him back in; the command line logs him in
    // first (his password asked, TASKORBIT_PASSWORD being unset).
    ASSERT_TRUE(addUser("ANNA", 2).ok());
    ASSERT_TRUE(addUser("BEN", 0).ok());
    std::ostringstream out, err;
    std::vector<std::string> typed{"secret1", "fresh1", "fresh1"};
    size_t next = 0;
    SecretReader reader = [&](const std::string&, std::string& line) {
        if (next >= typed.size()) return false;
        line = typed[next++];
        return true;
    };
    const auto run = [&](std::vector<std::string> args, std::vector<std::string> lines) {
        typed = std::move(lines);
        next = 0;
        return runUserCommand(*m_db, args, reader, out, err);
    };
    EXPECT_EQ(run({"password", "DIR", "SUPERVISOR", "--user", "ANNA"}, typed), 0) << err.str();
    EXPECT_NE(out.str().find("still suspended"), std::string::npos);
    EXPECT_EQ(run({"unlock", "DIR", "SUPERVISOR", "--user", "ANNA"}, {"secret1"}), 0);
    EXPECT_EQ(run({"unlock", "DIR", "NOBODY", "--user", "ANNA"}, {"secret1"}), 1);
    EXPECT_EQ(run({"lock", "DIR", "SUPERVISOR", "--user", "ANNA"}, {"secret1"}), 64);

    // The new password works but must be changed first; changing it clears that.
    EXPECT_EQ(test::tryLogin(LoginAttempts(*m_db), "SUPERVISOR", "fresh1"),
              test::kMustChangePassword);
    EXPECT_EQ(test::tryLogin(LoginAttempts(*m_db), "SUPERVISOR", kFirstPassword),
              kIncorrectPasswordText);
    ASSERT_TRUE(changePassword(*m_db, "SUPERVISOR", "mine12").ok);
    EXPECT_EQ(test::tryLogin(LoginAttempts(*m_db), "SUPERVISOR", "mine12"), test::kLoggedIn);

    // A short or mismatched password read from the terminal changes nothing.
    const std::vector<std::string> password{"password", "DIR", "SUPERVISOR", "--user", "ANNA"};
    EXPECT_EQ(run(password, {"secret1", "abcd", "abcd"}), 1);
    EXPECT_EQ(run(password, {"secret1", "abcdef", "abcdeg"}), 1);
    EXPECT_EQ(run(password, {"secret1"}), 1);
    EXPECT_EQ(test::tryLogin(LoginAttempts(*m_db), "SUPERVISOR", "mine12"), test::kLoggedIn);
}

// The administration commands: a General User, a missing or wrong log-in
// and a bad use are refused before anything is done; an administrator's
// add, rename and delete go through the form's logic.
TEST_F(UserLogicTest, UserCommandsNeedAnAdministratorAndDoWhatTheFormDoes) {
    ASSERT_TRUE(addUser("BEN", 0).ok());
    ASSERT_TRUE(addUser("ANNA", 2).ok());
    std::vector<std::string> typed;
    size_t next = 0;
    SecretReader reader = [&](const std::string&, std::string& line) {
        if (next >= typed.size()) return false;
        line = typed[next++];
        return true;
    };
    std::ostringstream out, err;
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> typed;
        int code;
    } refused[] = {
        {{"unlock", "DIR", "ANNA", "--user", "BEN"}, {"secret1"}, 77},
        {{"password", "DIR", "ANNA", "--user", "BEN"}, {"secret1", "taken1", "taken1"}, 77},
        {{"add", "DIR", "EVE", "--level", "2", "--user", "BEN"},
         {"secret1", "eve-pw", "eve-pw"},
         77},
        {{"rename", "DIR", "ANNA", "HANNA", "--user", "BEN"}, {"secret1"}, 77},
        {{"delete", "DIR", "ANNA", "--to", "BEN", "--user", "BEN"}, {"secret1"}, 77},
        {{"delete", "DIR", "BEN", "--user", "ANNA"}, {"wrong-pw"}, 77},
        {{"unlock", "DIR", "BEN"}, {}, 64},
        {{"add", "DIR", "EVE", "--user", "ANNA"}, {"secret1"}, 64},
        {{"add", "DIR", "EVE", "--level", "3", "--user", "ANNA"}, {"secret1"}, 64},
        {{"recover", "DIR", "ANNA", "--user", "ANNA"}, {}, 64},
    };
    for (const auto& c : refused) {
        typed = c.typed;
        next = 0;
        EXPECT_EQ(runUserCommand(*m_db, c.args, reader, out, err), c.code) << c.args[0];
    }
    EXPECT_EQ(count<User>(), 3);
    EXPECT_EQ(count<User>(store::eq("USERNAME", std::string("HANNA"))), 0);

    const auto asAnna = [&](std::vector<std::string> args, std::vector<std::string> lines) {
        args.insert(args.end(), {"--user", "ANNA"});
        typed = std::move(lines);
        typed.insert(typed.begin(), "secret1");
        next = 0;
        return runUserCommand(*m_db, args, reader, out, err);
    };
    ASSERT_EQ(asAnna({"add", "DIR", "EVE", "--level", "1"}, {"eve-pw", "eve-pw"}), 0) << err.str();
    EXPECT_EQ(load("EVE").user.ACCESSLEVEL, 1);
    EXPECT_EQ(ownPerson("EVE").TYPE, "User");
    EXPECT_EQ(test::tryLogin(LoginAttempts(*m_db), "EVE", "eve-pw"), test::kMustChangePassword);
    ASSERT_EQ(asAnna({"rename", "DIR", "BEN", "BENNO"}, {}), 0) << err.str();
    EXPECT_EQ(ownPerson("BENNO").TYPE, "User");
    ASSERT_EQ(asAnna({"delete", "DIR", "BENNO", "--to", "EVE"}, {}), 0) << err.str();
    EXPECT_EQ(count<User>(store::eq("USERNAME", std::string("BENNO"))), 0);
    EXPECT_EQ(asAnna({"delete", "DIR", "EVE", "--to", "NOBODY"}, {}), 1);
    EXPECT_EQ(count<User>(), 3);
}

// The recovery key resets an administrator once; a wrong key, a user who is
// no administrator or a spent key change nothing.
TEST_F(UserLogicTest, TheRecoveryKeyResetsAnAdministratorOnce) {
    ASSERT_TRUE(addUser("BEN", 0).ok());
    std::string key;
    ASSERT_TRUE(createRecoveryKey(*m_db, key).ok());
    UserEntry super = load("SUPERVISOR");
    super.user.FAILFLAG = 1;
    ASSERT_TRUE(m_db->change(super.user).ok());

    std::string next;
    const struct {
        std::string key;
        const char* name;
        const char* refusal;
    } refused[] = {{"WRONG-KEY", "SUPERVISOR", kWrongRecoveryKey},
                   {key + "X", "SUPERVISOR", kWrongRecoveryKey},
                   {"", "SUPERVISOR", kWrongRecoveryKey},
                   {key, "BEN", kRecoverAdministratorsOnly},
                   {key, "NOBODY", "Incorrect User Name"}};
    for (const auto& c : refused) {
        const Outcome o = recoverAdministrator(*m_db, c.key, c.name, "fresh1", "fresh1", next);
        EXPECT_EQ(o.text, c.refusal) << c.key << " " << c.name;
        EXPECT_TRUE(next.empty());
    }
    EXPECT_EQ(test::tryLogin(LoginAttempts(*m_db), "SUPERVISOR", "fresh1"), kSuspendedText);

    // Typed by hand: letter case and blanks around it do not count.
    std::string typed = key;
    for (char& c : typed) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(
        recoverAdministrator(*m_db, " " + typed + " ", "supervisor", "fresh1", "fresh1", next)
            .ok());
    EXPECT_FALSE(next.empty());
    EXPECT_NE(next, key);
    EXPECT_EQ(test::tryLogin(LoginAttempts(*m_db), "SUPERVISOR", "fresh1"),
              test::kMustChangePassword);
    // The used key is spent; the next one works.
    std::string after;
    EXPECT_EQ(recoverAdministrator(*m_db, key, "SUPERVISOR", "again1", "again1", after).text,
              kWrongRecoveryKey);
    EXPECT_TRUE(recoverAdministrator(*m_db, next, "SUPERVISOR", "again1", "again1", after).ok());
}

// A sealed secret opens only with the office's one seal key, is never stored
// in clear, and any change to it is found instead of opening to garbage.
TEST_F(UserLogicTest, SealedSecretsOpenOnlyWithTheOfficeKeyAndUnchanged) {
    std::string key, again;
    ASSERT_TRUE(officeSealKey(*m_db, key).ok());
    ASSERT_TRUE(officeSealKey(*m_db, again).ok());
    EXPECT_EQ(key, again);
    EXPECT_EQ(count<Security>(store::eq("KIND", std::string(kSealKeyKind))), 1);

    for (const std::string& plain :
         {std::string("s3cret"), std::string(64, 'x'), std::string("Grüße ß"), std::string()}) {
        const std::string sealed = sealSecret(plain, key);
        EXPECT_EQ(static_cast<int>(sealed.size()), sealedWidth(static_cast<int>(plain.size())));
        if (!plain.empty()) {
            EXPECT_EQ(sealed.find(plain), std::string::npos);
            EXPECT_NE(sealed, sealSecret(plain, key)) << "the same secret sealed twice";
        }
        std::string opened = "unchanged";
        ASSERT_TRUE(openSecret(sealed, key, opened)) << plain;
        EXPECT_EQ(opened, plain);

        std::string tampered = sealed;
        tampered[tampered.size() - 2] = tampered[tampered.size() - 2] == 'A' ? 'B' : 'A';
        std::string otherKey = key;
        otherKey[0] = static_cast<char>(otherKey[0] ^ 1);
        opened = "unchanged";
        EXPECT_FALSE(openSecret(tampered, key, opened));
        EXPECT_FALSE(openSecret(sealed, otherKey, opened));
        EXPECT_FALSE(openSecret(plain + "x", key, opened)) << "a clear text is no sealed one";
        EXPECT_EQ(opened, "unchanged");
    }
}

// ---- users of a limited project -----------------------------------------------------

TEST_F(UserLogicTest, LimitedProjectUsersAreAddedOnceAndRemoved) {
    for (const char* n : {"ANNA", "BEN"}) ASSERT_TRUE(addUser(n).ok());
    Names candidates;
    ASSERT_TRUE(usersNotListedForProject(*m_db, 5, candidates).ok());
    EXPECT_EQ(candidates, (Names{"ANNA", "BEN", "SUPERVISOR"}));
    int added = -1;
    Outcome o = addProjectUsers(*m_db, 5, "Move office", {"BEN", "ANNA"}, &added);
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(added, 2);
    o = addProjectUsers(*m_db, 5, "Move office", {"BEN"}, &added);
    EXPECT_TRUE(o.ok());
    EXPECT_EQ(added, 0);
    ASSERT_TRUE(usersNotListedForProject(*m_db, 5, candidates).ok());
    EXPECT_EQ(candidates, Names{"SUPERVISOR"});
    ProjUser row;
    ASSERT_TRUE(m_db->fetch("PRU:NUMBERUSER_KEY", {std::int64_t{5}, std::string("BEN")}, row).ok());
    EXPECT_EQ(row.NAME, "Move office");
    EXPECT_TRUE(removeProjectUser(*m_db, row).ok());
    EXPECT_TRUE(removeProjectUser(*m_db, row).ok());  // already gone
    EXPECT_EQ(count<ProjUser>(), 1);

    Status status;
    auto failing =
        std::make_unique<test::FailingEngine>(Database::openEngine(m_source, false, status));
    failing->failAdds(label::PROJUSER, 2, store::kEngineError);
    Database station(std::move(failing));
    o = addProjectUsers(station, 6, "Audit", {"ANNA", "BEN"});
    EXPECT_FALSE(o.ok());
    EXPECT_EQ(o.text, "Adding PROJUSER");
    // The box names the failed step and the store's error under its own title.
    ASSERT_TRUE(o.message);
    EXPECT_EQ(o.message->title, kSafeguardTitle);
    EXPECT_EQ(o.message->text.rfind("Adding PROJUSER ", 0), 0u);
    EXPECT_GT(o.message->text.size(), std::string("Adding PROJUSER ").size());
    EXPECT_EQ(count<ProjUser>(store::eq("PROJNUMBER", std::int64_t{6})), 0);
}

}  // namespace
}  // namespace tko
