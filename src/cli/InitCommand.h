// "taskorbit-cli init DIR": creates the data files of an office with every
// table and key. Unlike the program, which never creates a data directory,
// the command creates DIR (and its missing parents) first, so that a script
// can set up a new office in one step.
#pragma once

#include <iosfwd>

#include "data/Database.h"

namespace tko::cli {

// Creates the directory of `source` when it is missing (not for a server),
// then the data files, and prints the office recovery key when the office
// has none yet (a new one, or one made before keys existed). Returns the exit code: 0 when every
// table and key exists, 1 when the directory or the files could not be created (the reason goes to
// `err`).
// On a server, init then lets the server enforce the rights
// (secureServerOffice()).
int runInitCommand(const DataSource& source, std::ostream& out, std::ostream& err);

// Lets the server office of `db` enforce the rights itself (PgRoles.h): its
// roles, policies and grants, and a role with a one-time password for every
// user who has none, printed once to `out`. Nothing on a data directory.
// Returns the exit code.
int secureServerOffice(Database& db, std::ostream& out, std::ostream& err);

}  // namespace tko::cli
