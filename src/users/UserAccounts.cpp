#include "users/UserAccounts.h"

#include <algorithm>
#include <functional>

#include "access/Access.h"
#include "data/FieldWidth.h"
#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/OfficeRoles.h"
#include "data/Password.h"
#include "data/Preferences.h"
#include "data/Records.h"
#include "data/Security.h"
#include "data/Tables.h"
#include "people/PeopleRules.h"
#include "users/UserGroups.h"

namespace tko {

namespace {

Outcome refusedInTransaction(Database& db, const std::string& text, const std::string& focus = {}) {
    while (db.engine().transactionDepth() > 0) db.rollback();
    return Outcome::refused(text, focus);
}

// The tables a user save or delete writes, for the transaction: the user's
// change and delete cascades and the tables the hand-over to an heir writes.
std::vector<std::string> userTables() {
    std::vector<std::string> tables = transactionTables(User::def(), false);
    for (const std::string& label : transactionTables(User::def(), true))
        if (std::find(tables.begin(), tables.end(), label) == tables.end()) tables.push_back(label);
    for (const char* extra : {label::ASSIGNMENT, label::REMINDER, label::GROUPNAME, label::PROJECT,
                              label::PROJASSGN, label::PROJUSER, label::PEOUSER})
        if (std::find(tables.begin(), tables.end(), extra) == tables.end()) tables.push_back(extra);
    return tables;
}

// Persons whose short name equals `name` in any letter case, other than
// `owner`'s own entry: they would be read as the user wherever names are
// read case-free.
Status foreignPersonNamed(Database& db, const std::string& name, const std::string& owner,
                          bool& found) {
    found = false;
    std::vector<Person> people;
    Status s = db.readAll(key::PEO_SHORT_KEY, store::eq("SHORTNAME", name), people);
    if (!s.ok()) return s;
    for (const Person& p : people)
        if (!access::isOwnUserPerson(p, owner)) found = true;
    return s;
}

// A column that holds a user name.
struct NameColumn {
    const store::TableDef* table;
    const char* column;
};

// Every column outside USERS that names a user (persons' short names are
// tested on their own, by foreignPersonNamed()).
const std::vector<NameColumn>& nameColumns() {
    static const std::vector<NameColumn> columns{{&Assignment::def(), "USERNAME"},
                                                 {&Assignment::def(), "PERSON"},
                                                 {&Reminder::def(), "USER"},
                                                 {&Reminder::def(), "PERSON"},
                                                 {&Person::def(), "USER"},
                                                 {&GroupName::def(), "USER"},
                                                 {&Project::def(), "USER"},
                                                 {&ProjAssign::def(), "USER"},
                                                 {&ProjUser::def(), "USER"},
                                                 {&PeoUser::def(), "USER"},
                                                 {&UserAssign::def(), "USERNAME"},
                                                 {&UserAssign::def(), "USERNAME2"},
                                                 {&UserView::def(), "USERNAME"},
                                                 {&UserView::def(), "USERNAME2"},
                                                 {&UserGroupUser::def(), "USERNAME"},
                                                 {&UserPref::def(), "USERNAME"}};
    return columns;
}

// Whether a stored record names `name` in any letter case, leaving out those
// that name `except` exactly (a user's own rows while he is renamed).
Status nameStillReferenced(Database& db, const std::string& name, const std::string& except,
                           bool& referenced) {
    referenced = false;
    for (const NameColumn& c : nameColumns()) {
        store::Filter filter = store::eq(c.column, name);
        if (!except.empty())
            filter = store::allOf({std::move(filter), access::fieldIsNotUser(c.column, except)});
        std::int64_t count = 0;
        const Status s = db.track(db.engine().count(*c.table, filter, count));
        if (!s.ok()) return s;
        if (count > 0) {
            referenced = true;
            return s;
        }
    }
    return Status::success();
}

// Gives the rows of R whose `column` names `name` exactly (and that pass
// `also`) to `heir`. kDuplicateKey when the heir already has a row of that
// key; `clash` is then the name of the row that could not be handed over.
template <class R>
Status handOver(Database& db, const char* keyLabel, const char* column, std::string R::*member,
                const std::string& name, const std::string& heir, const store::Filter& also,
                std::string* clash = nullptr, std::string R::*shown = nullptr) {
    std::vector<R> rows;
    Status s = db.readAll(keyLabel, store::allOf({access::fieldIsUser(column, name), also}), rows);
    if (!s.ok()) return s;
    for (R& row : rows) {
        row.*member = heir;
        s = db.change(row);
        if (s.code == store::kDuplicateKey && clash && shown) *clash = store::rtrim(row.*shown);
        if (!s.ok()) return s;
    }
    return Status::success();
}

// Removes the rows of R whose `column` names `name` exactly.
template <class R>
Status removeNaming(Database& db, const char* keyLabel, const char* column,
                    const std::string& name) {
    std::vector<R> rows;
    Status s = db.readAll(keyLabel, access::fieldIsUser(column, name), rows);
    if (!s.ok()) return s;
    for (const R& row : rows)
        if (s = db.remove(row); !s.ok()) return s;
    return Status::success();
}

// Adds the user's own person entry (type "User") unless it is there already,
// with the user's last and first name, so that the people lists name him.
Outcome addOwnPerson(Database& db, const std::string& name, const User& user) {
    Person own;
    Status s = db.fetch(key::PEO_PRIMARY_KEY, {name, name}, own);
    if (s.ok()) return {};
    if (s.code != store::kRecordNotFound)
        return transactionCancelled(
            db, translateText("Error getting People") + " " + db.lastError().describe());
    Person person;
    person.SHORTNAME = name;
    person.USER = name;
    person.TYPE = kTypeUser;
    person.LASTNAME = store::clipText(store::rtrim(user.LASTNAME), Person::Width::LASTNAME);
    person.FIRSTNAME = store::clipText(store::rtrim(user.FIRSTNAME), Person::Width::FIRSTNAME);
    s = addNumbered(db, person, &Person::PERSONNUMBER, key::PEO_PERSONNUMBER_KEY);
    if (s.code == store::kDuplicateKey) {
        Person clash;
        const bool sameName = db.fetch(key::PEO_PRIMARY_KEY, {name, name}, clash).ok();
        return refusedInTransaction(
            db, sameName ? "Duplicate Person Short Name" : "Duplicate Person Number", "username");
    }
    if (!s.ok())
        return transactionCancelled(
            db, translateText("Error putting People") + " " + db.lastError().describe());
    return {};
}

// Inside the delete transaction: what the user `name` owned goes to `heir`
// (the people he owns but his own entry, his group lists, his projects with
// their user lists, the project links he made, the assignments he gave, his
// reminders); the rows that list him for a limited person or project go, so
// that nobody inherits his place in another user's list.
Outcome handOverOwnings(Database& db, const std::string& name, const std::string& heir) {
    const auto cancelled = [&db](const char* table) {
        return transactionCancelled(db, standardMessage(15, db.lastError().describe(), table).text);
    };
    const auto alreadyOwns = [&db, &heir](const char* what, const std::string& item) {
        const std::string text =
            mergeParameters(translateText(kHeirOwnsSameName), heir, translateText(what), item);
        return refusedInTransaction(db, text, "heir");
    };
    std::string clash;
    const store::Filter notOwnEntry = store::negate(access::ownUserPerson(name));
    Status s = handOver(db, key::PEO_PERSONNUMBER_KEY, "USER", &Person::USER, name, heir,
                        notOwnEntry, &clash, &Person::SHORTNAME);
    if (s.code == store::kDuplicateKey) return alreadyOwns("person", clash);
    if (!s.ok()) return cancelled(label::PEOPLE);
    s = handOver(db, key::GRO_AUTONUMBER_KEY, "USER", &GroupName::USER, name, heir, store::all(),
                 &clash, &GroupName::GROUPNAME);
    if (s.code == store::kDuplicateKey) return alreadyOwns("group list", clash);
    if (!s.ok()) return cancelled(label::GROUPNAME);
    s = handOver(db, key::PRO_AUTONUMBER_KEY, "USER", &Project::USER, name, heir, store::all(),
                 &clash, &Project::NAME);
    if (s.code == store::kDuplicateKey) return alreadyOwns("project", clash);
    if (!s.ok()) return cancelled(label::PROJECT);
    if (!handOver(db, key::PRA_PRIMARY_KEY, "USER", &ProjAssign::USER, name, heir, store::all())
             .ok())
        return cancelled(label::PROJASSGN);
    if (!handOver(db, key::ASS_USERDATE_KEY, "USERNAME", &Assignment::USERNAME, name, heir,
                  store::all())
             .ok())
        return cancelled(label::ASSIGNMENT);
    if (!handOver(db, key::REM_USER_KEY, "USER", &Reminder::USER, name, heir, store::all()).ok())
        return cancelled(label::REMINDER);
    if (!removeNaming<PeoUser>(db, key::PEU_PERSONNUMBER_KEY, "USER", name).ok())
        return cancelled(label::PEOUSER);
    if (!removeNaming<ProjUser>(db, key::PRU_USER_KEY, "USER", name).ok())
        return cancelled(label::PROJUSER);
    return {};
}

// Writes `user` (read earlier) with one retry over another station's change
// of the same record: the command-line mends touch one field only.
Status changeOneField(Database& db, User& user, const std::function<void(User&)>& apply) {
    apply(user);
    Status s = db.change(user);
    if (s.code == store::kChangedByOther && db.reread(user).ok()) {
        apply(user);
        s = db.change(user);
    }
    return s;
}

}  // namespace

Outcome administratorOnly(const Session& session) {
    if (session.isSystemAdministrator()) return {};
    return Outcome::refused(kNotAdministrator);
}

const char* accessLevelName(int level) {
    switch (level) {
        case 0:
            return "General User";
        case 1:
            return "People Administrator";
        case 2:
            return "System Administrator";
        default:
            return "";
    }
}

std::string checkUserPassword(const std::string& first, const std::string& second,
                              std::string& cleaned) {
    const std::string a = store::rtrim(first), b = store::rtrim(second);
    if (a != b) return "Password entries do not match. Please try again";
    if (store::utf8Length(a) < kMinimumPasswordLength)
        return "Password must be at least 5 characters";
    if (store::utf8Length(a) > kPasswordLength) return "Password can hold at most 10 characters.";
    cleaned = a;
    return {};
}

std::string entryOfField(const std::string& caption) {
    if (caption == "Last Name") return "lastname";
    if (caption == "First Name") return "firstname";
    if (caption == "Department") return "department";
    if (caption == "Notes") return "notes";
    return "username";
}

std::string tooLongField(const User& user, int& width) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"USERNAME", &user.USERNAME},     {"LASTNAME", &user.LASTNAME},
        {"FIRSTNAME", &user.FIRSTNAME},   {"DEPARTMENT", &user.DEPARTMENT},
        {"CHANGENAME", &user.CHANGENAME}, {"NOTES", &user.NOTES}};
    static const char* const names[] = {"User Name",  "Last Name",    "First Name",
                                        "Department", "Last Changed", "Notes"};
    const store::TableDef& def = User::def();
    for (size_t i = 0; i < std::size(fields); ++i) {
        width = def.fields[static_cast<size_t>(def.fieldIndex(fields[i].first))].width;
        if (store::utf8Length(store::rtrim(*fields[i].second)) > width) return names[i];
    }
    width = 0;
    return {};
}

Status readAllUsers(Database& db, std::vector<User>& users) {
    return db.readAll(key::USE_USERNAME_KEY, store::all(), users);
}

Status loadUser(Database& db, const std::string& name, User& user, UserRights& rights) {
    Status s = db.fetch(key::USE_USERNAME_KEY, {store::rtrim(name)}, user);
    if (!s.ok()) return s;
    return loadUserRights(db, user.USERNAME, rights);
}

Status lastAdministratorCheck(Database& db, const User& original,
                              const std::optional<User>& changed, std::string& refusal) {
    refusal.clear();
    constexpr int administrator = levelNumber(AccessLevel::SystemAdministrator);
    if (original.ACCESSLEVEL != administrator) return Status::success();
    const std::string name = store::rtrim(original.USERNAME);
    const bool stays = changed && changed->ACCESSLEVEL == administrator;
    // Suspending an administrator by the check box leaves the office to the
    // other administrators who may still log in.
    const bool suspends = stays && changed->FAILFLAG != 0 && original.FAILFLAG == 0;
    if (stays && !suspends) return Status::success();
    std::vector<store::Filter> others{store::eq("ACCESSLEVEL", std::int64_t{administrator}),
                                      store::ne("USERNAME", name)};
    if (suspends) others.push_back(store::eq("FAILFLAG", std::int64_t{0}));
    std::int64_t count = 0;
    const Status s = db.count<User>(store::allOf(std::move(others)), count);
    if (!s.ok()) return s;
    if (count == 0)
        refusal = suspends  ? kLastAdministratorSuspended
                  : changed ? "The last System Administrator must keep the access level System "
                              "Administrator, or nobody could administer the office."
                            : "The last System Administrator cannot be deleted, or nobody could "
                              "administer the office.";
    return s;
}

namespace {

// A new user joins the "All users" group at once, not only at the next start;
// when the group is gone the next start makes it again with every user.
Outcome joinAllUsers(Database& db, const std::string& name) {
    UserGroup group;
    const Status found = db.fetch(key::USG_GROUP_KEY, {std::string(kAllUsersGroup)}, group);
    if (found.code == store::kRecordNotFound || (found.ok() && !isAllUsersGroup(group.GROUP)))
        return Outcome{};
    if (!found.ok())
        return transactionCancelled(
            db, standardMessage(35, db.lastError().describe(), "USERGROUPS").text);
    UserGroupUser member{kAllUsersGroup, name};
    if (db.add(member).ok()) return Outcome{};
    return transactionCancelled(db, standardMessage(14, db.lastError().describe()).text);
}

}  // namespace

Outcome saveUser(Database& db, const Session& session, Request request, UserEntry& entry,
                 const User& original, Date today, Time now) {
    if (Outcome refusal = administratorOnly(session); !refusal.ok()) return refusal;
    const bool inserting = request == Request::Insert;
    if (!inserting && request != Request::Change) return Outcome::refused(kNotAdministrator);
    User& user = entry.user;

    // 1. The password entries (a change may leave both empty: the password stays).
    std::string cleaned;
    const bool newPassword = inserting || !store::rtrim(entry.password).empty() ||
                             !store::rtrim(entry.passwordAgain).empty();
    if (newPassword) {
        const std::string problem = checkUserPassword(entry.password, entry.passwordAgain, cleaned);
        if (!problem.empty()) return Outcome::refused(problem, "password");
    }
    int width = 0;
    const std::string tooLong = tooLongField(user, width);
    if (!tooLong.empty())
        return Outcome::refused(fieldTooLongText(tooLong, width), entryOfField(tooLong));
    const std::string name = store::rtrim(user.USERNAME);
    const std::string oldName = inserting ? std::string() : store::rtrim(original.USERNAME);
    if (name.empty()) return Outcome::refused("Please enter a User Name", "username");
    if (user.ACCESSLEVEL > levelNumber(AccessLevel::SystemAdministrator))
        return Outcome::refused("Please choose an Access Level", "access");

    // 2. The name must be free among users and among other people's entries.
    if (inserting || name != oldName) {
        User other;
        const Status s = db.fetch(key::USE_USERNAME_KEY, {name}, other);
        // A rename that changes only the letter case finds the user himself.
        const bool himself = !inserting && s.ok() && other.rowPos == original.rowPos;
        if (s.ok() && !himself) return Outcome::refused("Duplicate UserName", "username");
        if (!s.ok() && s.code != store::kRecordNotFound)
            return transactionCancelled(
                db,
                standardMessage(35, db.lastError().describe(), "USERS", {}, kReadErrorStays).text);
        bool clash = false;
        if (!foreignPersonNamed(db, name, inserting ? name : oldName, clash).ok())
            return transactionCancelled(
                db, translateText("Error getting People") + " " + db.lastError().describe());
        if (clash)
            return Outcome::refused("This User Name already used for a person entry", "username");
        // Records of a former user of that name would become the new user's.
        bool referenced = false;
        if (!nameStillReferenced(db, name, oldName, referenced).ok())
            return transactionCancelled(db, db.lastError().describe());
        if (referenced) return Outcome::refused(kNameStillReferenced, "username");
    }

    // 3. Who changed it, and when.
    user.USERNAME = name;
    user.CHANGENAME = store::clipText(session.GlobalUser, User::Width::CHANGENAME);
    user.DATECHANGED = today;
    user.TIMECHANGED = now;
    if (newPassword) {
        const std::string hash = hashPassword(cleaned);
        if (hash.empty()) return transactionCancelled(db, "The password could not be hashed.");
        user.PASSWORD = entry.temporaryPassword ? expiredPasswordHash(hash) : hash;
    }

    // 4. One transaction for the user, his cascade and his rights.
    if (!db.begin(userTables(), kUserSaveTimeoutMs).ok())
        return transactionCancelled(
            db,
            standardMessage(34, db.lastError().describe(), translateText("Update"), "USERS").text);
    if (inserting) {
        const Status s = db.add(user);
        if (s.code == store::kDuplicateKey)
            return refusedInTransaction(db, "Duplicate UserName", "username");
        if (!s.ok())
            return transactionCancelled(db, standardMessage(14, db.lastError().describe()).text);
        // On a server that checks the passwords: his role, in this transaction.
        if (!userRoleAdded(db, user, cleaned).ok())
            return transactionCancelled(db, db.lastError().describe());
        if (Outcome o = addOwnPerson(db, name, user); !o.ok()) return o;
        UserPref pref;
        const Status found = db.fetch(key::USP_USERNAME_KEY, {name}, pref);
        if (found.code == store::kRecordNotFound) {
            pref = defaultUserPref(name);
            if (!db.add(pref).ok())
                return transactionCancelled(db,
                                            standardMessage(14, db.lastError().describe()).text);
        } else if (!found.ok()) {
            return transactionCancelled(
                db, standardMessage(35, db.lastError().describe(), "USERPREF", {}, kReadErrorStays)
                        .text);
        }
        if (Outcome o = joinAllUsers(db, name); !o.ok()) return o;
    } else {
        std::string refusal;
        if (!lastAdministratorCheck(db, original, user, refusal).ok())
            return transactionCancelled(
                db,
                standardMessage(35, db.lastError().describe(), "USERS", {}, kReadErrorStays).text);
        if (!refusal.empty()) return refusedInTransaction(db, refusal, "access");
        // Rows naming the old name as the holder are not part of the cascade:
        // the rights lists below re-add them under the new name.
        if (name != oldName && !removeUserRights(db, oldName).ok())
            return transactionCancelled(
                db, standardMessage(17, db.lastError().describe(), "USERASSGN").text);
        store::Row row = user.toRow();
        const Outcome written = changeCascade(db, User::def(), row, original.toRow(), false);
        if (written.kind == Outcome::ChangedElsewhere) {
            while (db.engine().transactionDepth() > 0) db.rollback();
            User theirs;
            theirs.fromRow(row);
            entry.user = theirs;
            entry.password.clear();
            entry.passwordAgain.clear();
            loadUserRights(db, theirs.USERNAME, entry.rights);
            Outcome outcome;
            outcome.kind = Outcome::ChangedElsewhere;
            outcome.text = kUserChangedElsewhere;
            return outcome;
        }
        if (!written.ok())
            return transactionCancelled(db, written.message ? written.message->text : "");
        user.fromRow(row);
        if (!userRoleChanged(db, original, user, newPassword ? cleaned : std::string()).ok())
            return transactionCancelled(db, db.lastError().describe());
    }
    if (!replaceUserRights(db, name, entry.rights).ok())
        return transactionCancelled(
            db, standardMessage(15, db.lastError().describe(), "USERASSGN").text);
    if (!db.commit().ok())
        return transactionCancelled(db,
                                    standardMessage(15, db.lastError().describe(), "USERS").text);
    if (inserting) db.reread(user);
    entry.password.clear();
    entry.passwordAgain.clear();
    entry.rights = {normalisedNames(entry.rights.assignsTo), normalisedNames(entry.rights.views),
                    normalisedNames(entry.rights.assignedBy),
                    normalisedNames(entry.rights.viewedBy)};
    return {};
}

bool followOwnChange(Session& session, Request request, const User& original, const User& saved) {
    if (request != Request::Change || !access::isUser(original.USERNAME, session.GlobalUser))
        return false;
    session.GlobalUser = store::rtrim(saved.USERNAME);
    session.GlobalUserAccess = saved.ACCESSLEVEL;
    return true;
}

Outcome deleteUser(Database& db, const Session& session, const User& user,
                   const std::string& heirName, Date today, int* concluded) {
    if (concluded) *concluded = 0;
    if (Outcome refusal = administratorOnly(session); !refusal.ok()) return refusal;
    const std::string name = store::rtrim(user.USERNAME);
    if (!db.begin(userTables(), kIntegrityTimeoutMs).ok())
        return transactionCancelled(
            db,
            standardMessage(34, db.lastError().describe(), translateText("Delete"), "USERS").text);
    User stored = user;
    if (!db.reread(stored).ok())
        return transactionCancelled(
            db, standardMessage(35, db.lastError().describe(), "USERS", {}, kReadErrorStays).text);
    std::string refusal;
    if (!lastAdministratorCheck(db, stored, std::nullopt, refusal).ok())
        return transactionCancelled(
            db, standardMessage(35, db.lastError().describe(), "USERS", {}, kReadErrorStays).text);
    if (!refusal.empty()) return refusedInTransaction(db, refusal);

    // The heir as stored: his spelling is the one the handed rows must carry.
    User heirUser;
    const std::string wanted =
        store::rtrim(heirName).empty() ? store::rtrim(session.GlobalUser) : store::rtrim(heirName);
    const Status heirFound = db.fetch(key::USE_USERNAME_KEY, {wanted}, heirUser);
    if (heirFound.code == store::kRecordNotFound)
        return refusedInTransaction(db, kHeirUnknown, "heir");
    if (!heirFound.ok())
        return transactionCancelled(
            db, standardMessage(35, db.lastError().describe(), "USERS", {}, kReadErrorStays).text);
    const std::string heir = store::rtrim(heirUser.USERNAME);
    if (heirUser.rowPos == user.rowPos || access::isUser(heir, name))
        return refusedInTransaction(db, kHeirIsUser, "heir");

    std::vector<Person> own;
    if (!db.readAll(key::PEO_PRIMARY_KEY,
                    store::allOf({access::fieldIsUser("SHORTNAME", name),
                                  access::fieldIsUser("USER", name),
                                  store::eq("TYPE", std::string(kTypeUser))}),
                    own)
             .ok())
        return transactionCancelled(
            db, translateText("Error getting People") + " " + db.lastError().describe());
    int total = 0;
    for (const Person& p : own) {
        int n = 0;
        if (!concludeOpenAssignments(db, p.PERSONNUMBER, today, n).ok())
            return transactionCancelled(
                db, standardMessage(15, db.lastError().describe(), "ASSIGNMENT").text);
        total += n;
    }
    if (Outcome o = handOverOwnings(db, name, heir); !o.ok()) return o;
    if (!removeUserRights(db, name).ok())
        return transactionCancelled(
            db, standardMessage(17, db.lastError().describe(), "USERASSGN").text);
    const Outcome removed = deleteCascade(db, User::def(), stored.rowPos);
    if (!removed.ok())
        return transactionCancelled(db, removed.message ? removed.message->text : "");
    if (!userRoleDeleted(db, stored.USERNAME).ok())
        return transactionCancelled(db, db.lastError().describe());
    if (!db.commit().ok())
        return transactionCancelled(db,
                                    standardMessage(17, db.lastError().describe(), "USERS").text);
    if (concluded) *concluded = total;
    return {};
}

Status userNameCollisions(Database& db, std::vector<std::string>& lines) {
    std::vector<User> users;
    Status s = readAllUsers(db, users);
    if (!s.ok()) return s;
    for (const User& user : users) {
        const std::string name = store::rtrim(user.USERNAME);
        std::vector<Person> people;
        s = db.readAll(key::PEO_SHORT_KEY, store::eq("SHORTNAME", name), people);
        if (!s.ok()) return s;
        for (const Person& p : people) {
            if (access::isOwnUserPerson(p, name)) continue;
            std::string owner = store::rtrim(p.USER);
            lines.push_back("PEOPLE: the person \"" + store::rtrim(p.SHORTNAME) + "\" (number " +
                            std::to_string(p.PERSONNUMBER) + ", " + store::rtrim(p.TYPE) +
                            (owner.empty() ? std::string() : ", owned by " + owner) +
                            ") has the name of the user " + name +
                            "; rename the person or the user");
        }
    }
    return Status::success();
}

Outcome unlockUser(Database& db, const Session& session, const std::string& name) {
    if (Outcome refusal = administratorOnly(session); !refusal.ok()) return refusal;
    User user;
    const Status found = db.fetch(key::USE_USERNAME_KEY, {store::rtrim(name)}, user);
    if (found.code == store::kRecordNotFound)
        return Outcome::refused("Incorrect User Name", "username");
    if (!found.ok()) return transactionCancelled(db, db.lastError().describe());
    if (!db.begin({label::USERS, label::SECURITY}, kUserSaveTimeoutMs).ok())
        return transactionCancelled(db, db.lastError().describe());
    const User before = user;
    if (!changeOneField(db, user, [](User& u) { u.FAILFLAG = 0; }).ok() ||
        !clearLoginFailures(db, user.USERNAME).ok() ||
        !userRoleChanged(db, before, user, {}).ok() || !db.commit().ok())
        return transactionCancelled(db, db.lastError().describe());
    return {};
}

Outcome setTemporaryPassword(Database& db, const Session& session, const std::string& name,
                             const std::string& password, const std::string& again) {
    if (Outcome refusal = administratorOnly(session); !refusal.ok()) return refusal;
    std::string cleaned;
    const std::string problem = checkUserPassword(password, again, cleaned);
    if (!problem.empty()) return Outcome::refused(problem, "password");
    User user;
    const Status found = db.fetch(key::USE_USERNAME_KEY, {store::rtrim(name)}, user);
    if (found.code == store::kRecordNotFound)
        return Outcome::refused("Incorrect User Name", "username");
    if (!found.ok()) return transactionCancelled(db, db.lastError().describe());
    const std::string hash = expiredPasswordHash(hashPassword(cleaned));
    if (hash.empty()) return transactionCancelled(db, "The password could not be hashed.");
    if (!db.begin({label::USERS}, kUserSaveTimeoutMs).ok())
        return transactionCancelled(db, db.lastError().describe());
    const User before = user;
    if (!changeOneField(db, user, [&hash](User& u) { u.PASSWORD = hash; }).ok() ||
        !userRoleChanged(db, before, user, cleaned).ok() || !db.commit().ok())
        return transactionCancelled(db, db.lastError().describe());
    return {};
}

Outcome transactionCancelled(Database& db, const std::string& detail) {
    while (db.engine().transactionDepth() > 0) db.rollback();
    Outcome outcome;
    outcome.kind = Outcome::Failed;
    outcome.text = "Transaction cancelled";
    // No title of its own: the box shows under the form's.
    StandardMessage shown;
    shown.text = translateText(outcome.text);
    if (!detail.empty()) shown.text += ". " + detail;
    outcome.message = shown;
    return outcome;
}

}  // namespace tko
