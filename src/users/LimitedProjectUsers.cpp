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

Outcome addProjectUsers(Database& db, std::int32_t projNumber, const std::string& projName,
                        const std::vector<std::string>& users, int* added) {
    if (added) *added = 0;
    if (users.empty()) return {};
    if (!db.begin({label::PROJUSER}, kIntegrityTimeoutMs).ok())
        return safeguardFailure(db, "Transaction Cancelled");
    for (const std::string& user : users) {
        const std::string name = store::rtrim(user);
        if (name.empty()) continue;
        ProjUser existing;
        const Status found =
            db.fetch(key::PRU_NUMBERUSER_KEY, {std::int64_t{projNumber}, name}, existing);
        if (found.ok()) continue;  // listed meanwhile by another station
        if (found.code != store::kRecordNotFound) return safeguardFailure(db, "Getting PROJUSER");
        ProjUser row{store::rtrim(projName), projNumber, name};
        if (!db.add(row).ok()) return safeguardFailure(db, "Adding PROJUSER");
        if (added) ++*added;
    }
    if (!db.commit().ok()) return safeguardFailure(db, "Transaction Cancelled");
    return {};
}

Outcome removeProjectUser(Database& db, const ProjUser& row) {
    const Status s = db.remove(row);
    if (s.ok() || s.code == store::kRecordNotFound) return {};
    return safeguardFailure(db, "Transaction Cancelled");
}

}  // namespace tko
