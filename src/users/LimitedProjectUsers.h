// The users who may see a limited project (PROJUSER rows): listing the users
// that can still be added, adding chosen users in one transaction, and
// removing one row. Failures are reported as for a limited person's users
// (see LimitedPersonUsers.h).
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
// none is; `added`, when given, counts the rows written. Failure texts:
// "Getting PROJUSER", "Adding PROJUSER", "Transaction Cancelled".
Outcome addProjectUsers(Database& db, std::int32_t projNumber, const std::string& projName,
                        const std::vector<std::string>& users, int* added = nullptr);

// Removes the row (read earlier); a row already gone counts as removed.
Outcome removeProjectUser(Database& db, const ProjUser& row);

}  // namespace tko
