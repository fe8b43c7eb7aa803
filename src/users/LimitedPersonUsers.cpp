#include "users/LimitedPersonUsers.h"

#include <set>

#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/Tables.h"

namespace tko {

LimitedUsersOutcome LimitedUsersOutcome::failed(Database& db, const char* what) {
    LimitedUsersOutcome outcome;
    outcome.ok = false;
    outcome.message = what;
    outcome.error = db.lastError().describe();
    while (db.engine().transactionDepth() > 0) db.rollback();
    return outcome;
}

Status usersExcept(Database& db, const std::set<std::string>& listed,
                   std::vector<std::string>& out) {
    out.clear();
    std::vector<User> users;
    const Status s = db.readAll(key::USE_USERNAME_KEY, store::all(), users);
    if (!s.ok()) return s;
    for (const User& user : users)
        if (!listed.count(store::rtrim(user.USERNAME))) out.push_back(store::rtrim(user.USERNAME));
    return s;
}

Status usersNotListed(Database& db, std::int32_t personNumber, std::vector<std::string>& out) {
    out.clear();
    std::vector<PeoUser> listed;
    const Status s = db.readAll(key::PEU_PERSONNUMBER_KEY,
                                store::eq("PERSONNUMBER", std::int64_t{personNumber}), listed);
    if (!s.ok()) return s;
    std::set<std::string> taken;
    for (const PeoUser& row : listed) taken.insert(store::rtrim(row.USER));
    return usersExcept(db, taken, out);
}

LimitedUsersOutcome addPersonUsers(Database& db, std::int32_t personNumber,
                                   const std::vector<std::string>& users) {
    LimitedUsersOutcome outcome;
    if (users.empty()) return outcome;
    if (!db.begin({label::PEOUSER}, kIntegrityTimeoutMs).ok())
        return LimitedUsersOutcome::failed(db, "Transaction Cancelled");
    for (const std::string& user : users) {
        PeoUser existing;
        const Status found = db.fetch(key::PEU_PERSONNUMBER_KEY,
                                      {std::int64_t{personNumber}, store::rtrim(user)}, existing);
        if (found.ok()) continue;  // listed meanwhile by another station
        if (found.code != store::kRecordNotFound)
            return LimitedUsersOutcome::failed(db, "Getting PEOUSER");
        PeoUser row{personNumber, store::rtrim(user)};
        if (!db.add(row).ok()) return LimitedUsersOutcome::failed(db, "Adding PEOUSER");
        ++outcome.added;
    }
    if (!db.commit().ok()) return LimitedUsersOutcome::failed(db, "Transaction Cancelled");
    return outcome;
}

LimitedUsersOutcome removePersonUser(Database& db, const PeoUser& row) {
    const Status s = db.remove(row);
    if (s.ok() || s.code == store::kRecordNotFound) return {};
    return LimitedUsersOutcome::failed(db, "Transaction Cancelled");
}

}  // namespace tko
