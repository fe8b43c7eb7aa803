#include "users/UserAccounts.h"

#include <algorithm>
#include <functional>

#include "app/FirstRun.h"
#include "data/FieldWidth.h"
#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Password.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "people/PeopleRules.h"

namespace tko {

namespace {

Outcome refusedInTransaction(Database& db, const std::string& text, const std::string& focus = {}) {
    while (db.engine().transactionDepth() > 0) db.rollback();
    return Outcome::refused(text, focus);
}

// The tables a user save or delete writes, for the transaction.
std::vector<std::string> userTables(bool forDelete) {
    std::vector<std::string> tables = transactionTables(User::def(), forDelete);
    for (const char* extra : {label::PEOPLE, label::USERPREF, label::USERASSGN, label::USERVIEW,
                              label::ASSIGNMENT, label::GROUPPEOPLE, label::ANNIVERS})
        if (std::find(tables.begin(), tables.end(), extra) == tables.end()) tables.push_back(extra);
    return tables;
}

// Persons carrying `name` as short name that are not `owner`'s own user entry.
Status foreignPersonNamed(Database& db, const std::string& name, const std::string& owner,
                          bool& found) {
    found = false;
    std::vector<Person> people;
    Status s = db.readAll(key::PEO_SHORT_KEY, store::eq("SHORTNAME", name), people);
    if (!s.ok()) return s;
    for (const Person& p : people)
        if (store::rtrim(p.TYPE) != kTypeUser || store::rtrim(p.USER) != owner) found = true;
    return s;
}

// Adds the user's own person entry (type "User") unless it is there already.
Outcome addOwnPerson(Database& db, const std::string& name) {
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

// Rewrites the owner of the renamed user's own person entry (the change
// cascade has already given it the new short name).
Outcome renameOwnPerson(Database& db, const std::string& oldName, const std::string& newName) {
    Person own;
    Status s = db.fetch(key::PEO_PRIMARY_KEY, {newName, oldName}, own);
    if (s.code == store::kRecordNotFound) return {};
    if (!s.ok())
        return transactionCancelled(
            db, translateText("Error getting People") + " " + db.lastError().describe());
    if (store::rtrim(own.TYPE) != kTypeUser) return {};
    own.USER = newName;
    if (!db.change(own).ok())
        return transactionCancelled(
            db, translateText("Error putting People") + " " + db.lastError().describe());
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
    if (changed && changed->ACCESSLEVEL == administrator) return Status::success();
    std::int64_t others = 0;
    const Status s =
        db.count<User>(store::allOf({store::eq("ACCESSLEVEL", std::int64_t{administrator}),
                                     store::ne("USERNAME", store::rtrim(original.USERNAME))}),
                       others);
    if (!s.ok()) return s;
    if (others == 0)
        refusal = changed ? "The last System Administrator must keep the access level System "
                            "Administrator, or nobody could administer the office."
                          : "The last System Administrator cannot be deleted, or nobody could "
                            "administer the office.";
    return s;
}

Outcome saveUser(Database& db, const Session& session, Request request, UserEntry& entry,
                 const User& original, Date today, Time now) {
    if (!session.isSystemAdministrator()) return Outcome::refused(kNotAdministrator);
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
    if (!tooLong.empty()) return Outcome::refused(fieldTooLongText(tooLong, width), "username");
    const std::string name = store::rtrim(user.USERNAME);
    const std::string oldName = inserting ? std::string() : store::rtrim(original.USERNAME);
    if (name.empty()) return Outcome::refused("Please enter a User Name", "username");
    if (user.ACCESSLEVEL > levelNumber(AccessLevel::SystemAdministrator))
        return Outcome::refused("Please choose an Access Level", "access");

    // 2. The name must be free among users and among other people's entries.
    if (inserting || name != oldName) {
        User other;
        const Status s = db.fetch(key::USE_USERNAME_KEY, {name}, other);
        if (s.ok()) return Outcome::refused("Duplicate UserName", "username");
        if (s.code != store::kRecordNotFound)
            return transactionCancelled(
                db, standardMessage(35, db.lastError().describe(), "USERS").text);
        bool clash = false;
        if (!foreignPersonNamed(db, name, inserting ? name : oldName, clash).ok())
            return transactionCancelled(
                db, translateText("Error getting People") + " " + db.lastError().describe());
        if (clash)
            return Outcome::refused("This User Name already used for a person entry", "username");
    }

    // 3. Who changed it, and when.
    user.USERNAME = name;
    user.CHANGENAME = store::clipText(session.GlobalUser, User::Width::CHANGENAME);
    user.DATECHANGED = today;
    user.TIMECHANGED = now;
    if (newPassword) {
        const std::string hash = hashPassword(cleaned);
        if (hash.empty()) return transactionCancelled(db, "The password could not be hashed.");
        user.PASSWORD = hash;
    }

    // 4. One transaction for the user, his cascade and his rights.
    if (!db.begin(userTables(false), kUserSaveTimeoutMs).ok())
        return transactionCancelled(
            db,
            standardMessage(34, db.lastError().describe(), translateText("Update"), "USERS").text);
    if (inserting) {
        const Status s = db.add(user);
        if (s.code == store::kDuplicateKey)
            return refusedInTransaction(db, "Duplicate UserName", "username");
        if (!s.ok())
            return transactionCancelled(db, standardMessage(14, db.lastError().describe()).text);
        if (Outcome o = addOwnPerson(db, name); !o.ok()) return o;
        UserPref pref;
        const Status found = db.fetch(key::USP_USERNAME_KEY, {name}, pref);
        if (found.code == store::kRecordNotFound) {
            pref = defaultUserPref(name);
            if (!db.add(pref).ok())
                return transactionCancelled(db,
                                            standardMessage(14, db.lastError().describe()).text);
        } else if (!found.ok()) {
            return transactionCancelled(
                db, standardMessage(35, db.lastError().describe(), "USERPREF").text);
        }
    } else {
        std::string refusal;
        if (!lastAdministratorCheck(db, original, user, refusal).ok())
            return transactionCancelled(
                db, standardMessage(35, db.lastError().describe(), "USERS").text);
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
        if (name != oldName)
            if (Outcome o = renameOwnPerson(db, oldName, name); !o.ok()) return o;
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

Outcome deleteUser(Database& db, const Session& session, const User& user, Date today,
                   int* concluded) {
    if (concluded) *concluded = 0;
    if (!session.isSystemAdministrator()) return Outcome::refused(kNotAdministrator);
    if (!db.begin(userTables(true), kIntegrityTimeoutMs).ok())
        return transactionCancelled(
            db,
            standardMessage(34, db.lastError().describe(), translateText("Delete"), "USERS").text);
    User stored = user;
    if (!db.reread(stored).ok())
        return transactionCancelled(db,
                                    standardMessage(35, db.lastError().describe(), "USERS").text);
    std::string refusal;
    if (!lastAdministratorCheck(db, stored, std::nullopt, refusal).ok())
        return transactionCancelled(db,
                                    standardMessage(35, db.lastError().describe(), "USERS").text);
    if (!refusal.empty()) return refusedInTransaction(db, refusal);

    const std::string name = store::rtrim(stored.USERNAME);
    std::vector<Person> own;
    if (!db.readAll(key::PEO_PRIMARY_KEY,
                    store::allOf({store::eq("SHORTNAME", name), store::eq("USER", name),
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
    if (!removeUserRights(db, name).ok())
        return transactionCancelled(
            db, standardMessage(17, db.lastError().describe(), "USERASSGN").text);
    const Outcome removed = deleteCascade(db, User::def(), stored.rowPos);
    if (!removed.ok())
        return transactionCancelled(db, removed.message ? removed.message->text : "");
    if (!db.commit().ok())
        return transactionCancelled(db,
                                    standardMessage(17, db.lastError().describe(), "USERS").text);
    if (concluded) *concluded = total;
    return {};
}

Outcome unlockUser(Database& db, const std::string& name) {
    User user;
    const Status found = db.fetch(key::USE_USERNAME_KEY, {store::rtrim(name)}, user);
    if (found.code == store::kRecordNotFound)
        return Outcome::refused("Incorrect User Name", "username");
    if (!found.ok()) return transactionCancelled(db, db.lastError().describe());
    if (!db.begin({label::USERS}, kUserSaveTimeoutMs).ok())
        return transactionCancelled(db, db.lastError().describe());
    if (!changeOneField(db, user, [](User& u) { u.FAILFLAG = 0; }).ok() || !db.commit().ok())
        return transactionCancelled(db, db.lastError().describe());
    return {};
}

Outcome setTemporaryPassword(Database& db, const std::string& name, const std::string& password,
                             const std::string& again) {
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
    if (!changeOneField(db, user, [&hash](User& u) { u.PASSWORD = hash; }).ok() ||
        !db.commit().ok())
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
