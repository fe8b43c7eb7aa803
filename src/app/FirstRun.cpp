#include "app/FirstRun.h"

#include <set>

#include "data/Keys.h"
#include "data/Password.h"
#include "data/Preferences.h"
#include "data/Session.h"
#include "people/PeopleRules.h"
#include "platform/Date.h"
#include "users/UserGroups.h"

namespace tko {
namespace {

StartupResult failed(Database& db, const char* label) {
    return {false, db.lastError().describe() + " " + label};
}

}  // namespace

StartupResult ensureSystemPref(Database& db, SystemPref& out, const DataSource& source) {
    std::vector<SystemPref> rows;
    store::ReadRequest first;
    first.limit = 1;
    const Status s = db.read(first, rows);
    if (s.ok()) {
        out = rows.front();
        return {};
    }
    if (!s.endOfRange()) return failed(db, "SYSPREF");
    SystemPref pref;
    pref.TCF = store::clipText(dataLocationText(source, {}), 60);
    pref.PRIVATEPEOPLE = 1;
    pref.CONFIDENTIAL = 1;
    pref.VIEWALL = 0;
    pref.ACCESSTRIES = 0;
    pref.ACCESS = 0;
    pref.BACKUPHOURS = 24;
    if (!db.add(pref).ok()) return failed(db, "SYSPREF");
    out = pref;
    return {};
}

StartupResult ensureFirstAccount(Database& db) {
    const std::string allUsersName = kAllUsersGroup;
    std::int64_t users = 0;
    if (!db.count<User>(store::all(), users).ok()) return failed(db, "USERS");
    if (users > 0) return {};

    if (!db.begin({"USERS", "PEOPLE", "USERPREF", "USERGROUPS", "USGRPUSERS"}, 10000).ok())
        return failed(db, "USERS");
    auto abort = [&](const char* label) {
        StartupResult r = failed(db, label);
        db.rollback();
        return r;
    };
    User user;
    user.USERNAME = kFirstUserName;
    user.PASSWORD = hashPassword(kFirstPassword);
    user.ACCESSLEVEL = levelNumber(AccessLevel::SystemAdministrator);
    user.CHANGENAME = kFirstUserName;
    user.DATECHANGED = Clock::today();
    user.TIMECHANGED = Clock::now();
    if (!db.add(user).ok()) return abort("USERS");

    Person person;
    person.SHORTNAME = kFirstUserName;
    person.USER = kFirstUserName;
    person.TYPE = "User";
    person.PERSONNUMBER = 1;
    if (!db.add(person).ok()) return abort("PEOPLE");

    UserPref pref = defaultUserPref(kFirstUserName);
    if (!db.add(pref).ok()) return abort("USERPREF");

    // Start the user groups afresh: a first run owns them.
    for (const char* label : {"USGRPUSERS", "USERGROUPS"}) {
        const store::TableDef& def = *tableByLabel(label);
        std::vector<store::Row> rows;
        store::ReadRequest all;
        all.limit = 1000;
        for (;;) {
            Status s = db.engine().read(def, all, rows);
            if (s.endOfRange()) break;
            if (!db.track(s).ok()) return abort(label);
            for (const store::Row& row : rows)
                if (!db.track(db.engine().remove(def, row.pos)).ok()) return abort(label);
        }
    }
    UserGroup group;
    group.GROUP = allUsersName;
    group.LASTCHANGEDBY = kFirstUserName;
    group.DATECHANGED = Clock::today();
    group.TIMECHANGED = Clock::now();
    if (!db.add(group).ok()) return abort("USERGROUPS");
    UserGroupUser member;
    member.GROUP = allUsersName;
    member.USERNAME = kFirstUserName;
    if (!db.add(member).ok()) return abort("USGRPUSERS");
    if (!db.commit().ok()) return failed(db, "USERS");
    return {};
}

StartupResult ensureAllUsersGroup(Database& db) {
    const std::string allUsersName = kAllUsersGroup;
    UserGroup group;
    Status s = db.fetch(key::USG_GROUP_KEY, {allUsersName}, group);
    if (!s.ok() && s.code != store::kRecordNotFound) return failed(db, "USERGROUPS");
    const bool groupMissing = !s.ok();

    // Users added since the last start (or while the group was gone) join it.
    std::vector<User> users;
    if (!db.readAll(key::USE_USERNAME_KEY, store::all(), users).ok()) return failed(db, "USERS");
    std::vector<UserGroupUser> members;
    if (!groupMissing &&
        !db.readAll(key::UGU_GROUP_KEY, store::eq("GROUP", allUsersName), members).ok())
        return failed(db, "USGRPUSERS");
    std::set<std::string> listed;
    for (const UserGroupUser& m : members) listed.insert(store::rtrim(m.USERNAME));
    std::vector<std::string> missing;
    for (const User& user : users)
        if (!listed.count(store::rtrim(user.USERNAME))) missing.push_back(user.USERNAME);
    if (!groupMissing && missing.empty()) return {};

    if (!db.begin({"USERGROUPS", "USGRPUSERS"}, 10000).ok()) return failed(db, "USERGROUPS");
    auto abort = [&](const char* label) {
        StartupResult r = failed(db, label);
        db.rollback();
        return r;
    };
    if (groupMissing) {
        group = UserGroup{};
        group.GROUP = allUsersName;
        group.DATECHANGED = Clock::today();
        group.TIMECHANGED = Clock::now();
        if (!db.add(group).ok()) return abort("USERGROUPS");
    }
    for (const std::string& name : missing) {
        UserGroupUser member;
        member.GROUP = allUsersName;
        member.USERNAME = name;
        const Status added = db.add(member);
        if (added.code == store::kDuplicateKey) {
            // Another station starting at the same moment is completing the group.
            db.rollback();
            return {};
        }
        if (!added.ok()) return abort("USGRPUSERS");
    }
    if (!db.commit().ok()) return failed(db, "USERGROUPS");
    return {};
}

StartupResult nameOwnPersonEntries(Database& db) {
    std::vector<User> users;
    if (!db.readAll(key::USE_USERNAME_KEY, store::all(), users).ok()) return failed(db, "USERS");
    std::vector<Person> unnamed;
    for (const User& user : users) {
        const std::string name = store::rtrim(user.USERNAME);
        if (store::rtrim(user.LASTNAME).empty() && store::rtrim(user.FIRSTNAME).empty()) continue;
        Person own;
        const Status s = db.fetch(key::PEO_PRIMARY_KEY, {name, name}, own);
        if (s.code == store::kRecordNotFound) continue;
        if (!s.ok()) return failed(db, "PEOPLE");
        if (store::rtrim(own.TYPE) != kTypeUser || !store::rtrim(own.LASTNAME).empty() ||
            !store::rtrim(own.FIRSTNAME).empty())
            continue;
        own.LASTNAME = store::clipText(store::rtrim(user.LASTNAME), Person::Width::LASTNAME);
        own.FIRSTNAME = store::clipText(store::rtrim(user.FIRSTNAME), Person::Width::FIRSTNAME);
        unnamed.push_back(own);
    }
    if (unnamed.empty()) return {};
    if (!db.begin({label::PEOPLE}, 10000).ok()) return failed(db, "PEOPLE");
    for (Person& own : unnamed) {
        const Status s = db.change(own);
        // Another station naming it at the same moment, or a user who edited
        // the entry since it was read, wins: this is only a completion.
        if (s.code == store::kChangedByOther) continue;
        if (!s.ok()) {
            StartupResult r = failed(db, "PEOPLE");
            db.rollback();
            return r;
        }
    }
    if (!db.commit().ok()) return failed(db, "PEOPLE");
    return {};
}

}  // namespace tko
