#include "users/LimitedProjectUsers.h"

#include <set>

#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/Tables.h"

namespace tko {

Status usersNotListedForProject(Database& db, std::int32_t projNumber,
                                std::vector<std::string>& out) {
    out.clear();
    std::vector<ProjUser> listed;
    const Status s = db.readAll(key::PRU_NUMBERUSER_KEY,
                                store::eq("PROJNUMBER", std::int64_t{projNumber}), listed);
    if (!s.ok()) return s;
    std::set<std::string> taken;
    for (const ProjUser& row : listed) taken.insert(store::rtrim(row.USER));
    return usersExcept(db, taken, out);
}

LimitedUsersOutcome addProjectUsers(Database& db, std::int32_t projNumber,
                                    const std::string& projName,
                                    const std::vector<std::string>& users) {
    LimitedUsersOutcome outcome;
    if (users.empty()) return outcome;
    if (!db.begin({label::PROJUSER}, kIntegrityTimeoutMs).ok())
        return LimitedUsersOutcome::failed(db, "Transaction Cancelled");
    for (const std::string& user : users) {
        const std::string name = store::rtrim(user);
        if (name.empty()) continue;
        ProjUser existing;
        const Status found =
            db.fetch(key::PRU_NUMBERUSER_KEY, {std::int64_t{projNumber}, name}, existing);
        if (found.ok()) continue;  // listed meanwhile by another station
        if (found.code != store::kRecordNotFound)
            return LimitedUsersOutcome::failed(db, "Getting PROJUSER");
        ProjUser row{store::rtrim(projName), projNumber, name};
        if (!db.add(row).ok()) return LimitedUsersOutcome::failed(db, "Adding PROJUSER");
        ++outcome.added;
    }
    if (!db.commit().ok()) return LimitedUsersOutcome::failed(db, "Transaction Cancelled");
    return outcome;
}

LimitedUsersOutcome removeProjectUser(Database& db, const ProjUser& row) {
    const Status s = db.remove(row);
    if (s.ok() || s.code == store::kRecordNotFound) return {};
    return LimitedUsersOutcome::failed(db, "Transaction Cancelled");
}

}  // namespace tko
