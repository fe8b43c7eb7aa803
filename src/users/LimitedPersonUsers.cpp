#include "users/LimitedPersonUsers.h"

#include <set>

#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/Tables.h"
#include "platform/Translate.h"

namespace tko {

Outcome safeguardFailure(Database& db, const char* what) {
    StandardMessage shown;
    shown.title = translateText(kSafeguardTitle);
    shown.text = translateText(what) + " " + db.lastError().describe();
    Outcome outcome = Outcome::failed(std::move(shown));
    outcome.text = what;
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

Outcome addPersonUsers(Database& db, std::int32_t personNumber,
                       const std::vector<std::string>& users, int* added) {
    if (added) *added = 0;
    if (users.empty()) return {};
    if (!db.begin({label::PEOUSER}, kIntegrityTimeoutMs).ok())
        return safeguardFailure(db, "Transaction Cancelled");
    for (const std::string& user : users) {
        PeoUser existing;
        const Status found = db.fetch(key::PEU_PERSONNUMBER_KEY,
                                      {std::int64_t{personNumber}, store::rtrim(user)}, existing);
        if (found.ok()) continue;  // listed meanwhile by another station
        if (found.code != store::kRecordNotFound) return safeguardFailure(db, "Getting PEOUSER");
        PeoUser row{personNumber, store::rtrim(user)};
        if (!db.add(row).ok()) return safeguardFailure(db, "Adding PEOUSER");
        if (added) ++*added;
    }
    if (!db.commit().ok()) return safeguardFailure(db, "Transaction Cancelled");
    return {};
}

Outcome removePersonUser(Database& db, const PeoUser& row) {
    const Status s = db.remove(row);
    if (s.ok() || s.code == store::kRecordNotFound) return {};
    return safeguardFailure(db, "Transaction Cancelled");
}

}  // namespace tko
