// The users who may see a Limited person (PEOUSER rows): listing the users
// that can still be added, adding chosen users in one transaction, and
// removing one row. Failures come back as the texts to show under the title
// "Information Safeguard".
#pragma once

#include <set>
#include <string>
#include <vector>

#include "data/Database.h"

namespace tko {

inline constexpr const char* kSafeguardTitle = "Information Safeguard";

struct LimitedUsersOutcome {
    bool ok = true;
    int added = 0;
    std::string message;  // "Getting PEOUSER", "Adding PEOUSER" or "Transaction Cancelled"
    std::string error;    // the store's error, as the standard messages show it

    // A failed step `what`: rolls back whatever the operation began and keeps
    // the store's error.
    static LimitedUsersOutcome failed(Database& db, const char* what);
};

// The users (in name order) whose clipped names are not in `listed`; shared by
// the users of a limited person and of a limited project.
Status usersExcept(Database& db, const std::set<std::string>& listed,
                   std::vector<std::string>& out);

// User names (USERS, in name order) not yet listed for the person.
Status usersNotListed(Database& db, std::int32_t personNumber, std::vector<std::string>& out);

// Adds a PEOUSER row for each of `users` that is not listed yet, all in one
// transaction: either every missing row is added or none is.
LimitedUsersOutcome addPersonUsers(Database& db, std::int32_t personNumber,
                                   const std::vector<std::string>& users);

// Removes the row (read earlier); a row already gone counts as removed.
LimitedUsersOutcome removePersonUser(Database& db, const PeoUser& row);

}  // namespace tko
