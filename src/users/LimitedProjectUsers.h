// The users who may see a limited project (PROJUSER rows): listing the users
// that can still be added, adding chosen users in one transaction, and
// removing one row. Failures come back as the texts to show under the title
// "Information Safeguard" (see LimitedPersonUsers.h).
#pragma once

#include <string>
#include <vector>

#include "data/Database.h"
#include "users/LimitedPersonUsers.h"

namespace tko {

// User names (USERS, in name order) not yet listed for the project.
Status usersNotListedForProject(Database& db, std::int32_t projNumber,
                                std::vector<std::string>& out);

// Adds a PROJUSER row (number, project name, user) for each of `users` not
// listed yet, all in one transaction: either every missing row is added or
// none is. Messages: "Getting PROJUSER", "Adding PROJUSER", "Transaction Cancelled".
LimitedUsersOutcome addProjectUsers(Database& db, std::int32_t projNumber,
                                    const std::string& projName,
                                    const std::vector<std::string>& users);

// Removes the row (read earlier); a row already gone counts as removed.
LimitedUsersOutcome removeProjectUser(Database& db, const ProjUser& row);

}  // namespace tko
