// The users' roles of a server office that enforces the rights itself
// (platform/store/PgRoles.h), kept in step with the USERS records. Every
// function does nothing on a data directory or on a server office that was
// not secured, so callers call them on every office alike, inside the
// transaction that writes the user's record: the role changes with it or not
// at all.
#pragma once

#include <string>

#include "data/Database.h"
#include "data/Records.h"

namespace tko {

namespace store {
class PgEngine;
}

// The server engine of `db` when its office enforces the rights itself;
// nullptr otherwise (also when the server could not be asked).
store::PgEngine* securedServer(Database& db);

// Whether this station's connection reads every row of the office, as a
// backup copy needs: always, except on a secured server, where only the
// tables' owner and System Administrators' roles do (a General User's role
// reads what the access module lets him, the log-in gate less still).
bool readsWholeOffice(Database& db);

// A user was added with `password` (as it counts: clipped to 10 characters).
Status userRoleAdded(Database& db, const User& user, const std::string& password);
// The record went from `before` to `after`: the role follows a new name, a new
// access level and a suspension or release; `password`, when not empty, is
// his new password.
Status userRoleChanged(Database& db, const User& before, const User& after,
                       const std::string& password);
Status userRoleDeleted(Database& db, const std::string& userName);
// The logged-in user chose a new password.
Status ownRolePasswordChanged(Database& db, const std::string& password);

}  // namespace tko
