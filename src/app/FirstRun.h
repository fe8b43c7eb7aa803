// The records every data set needs before anyone can log in: the system-wide
// settings, on a first run the first administrator account with its person,
// preferences and the "All users" user group, and at every start the
// completion of that group.
#pragma once

#include <string>

#include "data/Database.h"
#include "data/Preferences.h"

namespace tko {

// Outcome of a start-up step: on failure `error` is the text that stops the
// program (the storage error's text followed by the table label).
struct StartupResult {
    bool ok = true;
    std::string error;
};

// Adds the default SYSTEMPREF record when the table has none. Its data path
// names where `source` keeps the data, as dataLocationText shows it (the
// folder in the platform's notation); blank when not known.
StartupResult ensureSystemPref(Database& db, SystemPref& out, const DataSource& source = {});

// On an empty USERS table: the first administrator with the built-in password,
// the person "User" entry numbered 1, the user's preferences, and the user
// group "All users" (kAllUsersGroup) with the new user as its one member.
StartupResult ensureFirstAccount(Database& db);

// Keeps the user group "All users" complete: adds it when it is missing and
// adds every user who is not yet a member.
StartupResult ensureAllUsersGroup(Database& db);

// Gives each user's own person entry (type "User") the user's last and
// first name where both are blank, as entries made before they carried the
// names are: the people lists then name every user.
StartupResult nameOwnPersonEntries(Database& db);

}  // namespace tko
