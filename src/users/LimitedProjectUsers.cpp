#include "users/LimitedProjectUsers.h"

#include <set>

#include "data/Integrity.h"
#include "data/Tables.h"

namespace tko {

namespace {

LimitedUsersOutcome failure(Database& db, const char* what) {
    LimitedUsersOutcome outcome;
    outcome.ok = false;
    outcome.message = what;
    outcome.error = db.lastError().describe();
    while (db.engine().transactionDepth() > 0) db.rollback();
    return outcome;
}

}  // namespace

Status usersNotListedForProject(Database& db, std::int32_t projNumber,
                                std::vector<std::string>& out) {
    out.clear();
    std::vector<User> users;
    Status s = db.readAll("USE:USERNAME_KEY", store::all(), users);
    if (!s.ok()) return s;
    std::vector<ProjUser> listed;
    s = db.readAll("PRU:NUMBERUSER_KEY", store::eq("PROJNUMBER", std::int64_t{projNumber}), listed);
    if (!s.ok()) return s;
    std::set<std::string> taken;
    for (const ProjUser& row : listed) taken.insert(store::rtrim(row.USER));
    for (const User& user : users)
        if (!taken.count(store::rtrim(user.USERNAME))) out.push_back(store::rtrim(user.USERNAME));
    return s;
}

LimitedUsersOutcome addProjectUsers(Database& db, std::int32_t projNumber,
                                    const std::string& projName,
                                    const std::vector<std::string>& users) {
    LimitedUsersOutcome outcome;
    if (users.empty()) return outcome;
    if (!db.begin({label::PROJUSER}, kIntegrityTimeoutMs).ok())
        return failure(db, "Transaction Cancelled");
    for (const std::string& user : users) {
        const std::string name = store::rtrim(user);
        if (name.empty()) continue;
        ProjUser existing;
        const Status found =
            db.fetch("PRU:NUMBERUSER_KEY", {std::int64_t{projNumber}, name}, existing);
        if (found.ok()) continue;  // listed meanwhile by another station
        if (found.code != store::kRecordNotFound) return failure(db, "Getting PROJUSER");
        ProjUser row{store::rtrim(projName), projNumber, name};
        if (!db.add(row).ok()) return failure(db, "Adding PROJUSER");
        ++outcome.added;
    }
    if (!db.commit().ok()) return failure(db, "Transaction Cancelled");
    return outcome;
}

LimitedUsersOutcome removeProjectUser(Database& db, const ProjUser& row) {
    const Status s = db.remove(row);
    if (s.ok() || s.code == store::kRecordNotFound) return {};
    return failure(db, "Transaction Cancelled");
}

}  // namespace tko
