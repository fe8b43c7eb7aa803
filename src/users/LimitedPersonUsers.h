// The users who may see a Limited person (PEOUSER rows): listing the users
// that can still be added, adding chosen users in one transaction, and
// removing one row. A failure is Failed with the text of the step that failed
// as `text` and, as its message, that text and the store's error under the
// title "Information Safeguard".
#pragma once

#include <set>
#include <string>
#include <vector>

#include "data/Database.h"
#include "platform/Outcome.h"

namespace tko {

inline constexpr const char* kSafeguardTitle = "Information Safeguard";

// A failed step `what` ("Getting PEOUSER", "Adding PEOUSER", "Transaction
// Cancelled", ...): rolls back whatever the operation began and reports the
// store's error with it.
Outcome safeguardFailure(Database& db, const char* what);

// The users (in name order) whose clipped names are not in `listed`; shared by
// the users of a limited person and of a limited project.
Status usersExcept(Database& db, const std::set<std::string>& listed,
                   std::vector<std::string>& out);

// User names (USERS, in name order) not yet listed for the person.
Status usersNotListed(Database& db, std::int32_t personNumber, std::vector<std::string>& out);

// Adds a PEOUSER row for each of `users` that is not listed yet, all in one
// transaction: either every missing row is added or none is. `added`, when
// given, counts the rows written.
Outcome addPersonUsers(Database& db, std::int32_t personNumber,
                       const std::vector<std::string>& users, int* added = nullptr);

// Removes the row (read earlier); a row already gone counts as removed.
Outcome removePersonUser(Database& db, const PeoUser& row);

}  // namespace tko
