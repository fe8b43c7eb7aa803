// An office server that enforces the rights itself: one PostgreSQL login
// role per user, an owner role that owns the tables, one group role per
// access level that carries the grants, and row-level security whose rules
// are SQL functions mirroring the access module (access/Access.h).
//
// Role names. Roles are cluster-wide, so every name carries the office's
// database name, which the cluster keeps unique:
//   user BEN of the database "office"   ->  "office.BEN"   (the user name exactly
//                                           as stored, trailing blanks clipped)
//   the owner                           ->  "office#owner" (nobody logs in as it)
//   the access levels 0, 1, 2           ->  "office#level0" ... "office#level2"
//   the stations' log-in gate           ->  "office#gate"
// A user name never holds "#" after the ".", so a user's role cannot take the
// name of one of the office's own roles. A role name has at most 63 bytes; a
// user whose role name would be longer cannot be kept on such a server.
// Parallel or repeated test runs on one cluster use databases of their own
// and so roles of their own.
//
// What the server enforces once the office is secured (secureOffice()):
//  - rows of ASSIGNMENT, PEOPLE, PROJECT, PEOUSER, PROJUSER, USERPREF and
//    SECURITY are read and written as the access module allows; USERS,
//    USERASSGN, USERVIEW, USERGROUPS, USGRPUSERS and SYSTEMPREF are written by
//    System Administrators only (a user changes his own password, and any
//    station stamps the closing backup in SYSTEMPREF);
//  - the confidential comments (ASS:CONFMEMO) and USERS' password column
//    cannot be selected by a user's role: a station reads them through
//    functions that return what its user may see (SqlDialect::maskedColumns);
//  - the password itself is the role's SCRAM-SHA-256 verifier: USERS keeps
//    no hash, only the mark "!" of a password that must be changed.
//
// The functions here run on a connection the caller holds; those that change
// roles run inside the caller's transaction (role changes are transactional
// in PostgreSQL), so a user's record and his role change together.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/store/Schema.h"
#include "platform/store/Status.h"

namespace tko::store {

class PgEngine;

inline constexpr int kMostRoleNameBytes = 63;

std::string userRoleName(const std::string& database, const std::string& userName);
std::string ownerRoleName(const std::string& database);
std::string levelRoleName(const std::string& database, int level);
std::string gateRoleName(const std::string& database);
// True when `role` is a user's role of the office kept in `database`.
bool isUserRole(const std::string& database, const std::string& role);

// The columns a user's role reads through the office's functions
// (SqlDialect::maskedColumns).
std::map<std::string, std::string> maskedColumns();

// True when the server office behind `engine` enforces the rights itself.
Status officeSecured(PgEngine& engine, bool& secured);

// Run by the database owner on an office whose tables exist: creates the
// owner, level and gate roles (when missing), hands every table to the owner,
// writes the rule functions, policies, triggers and grants (again, when run
// again), and gives a role to every user who has none yet, with a one-time
// password (USERS marks it to be changed at the first log-in). `gatePassword`
// is set to the gate role's new password when the office is secured the first
// time; run again (an upgrade that brought new tables), the gate keeps the
// password the stations use and `gatePassword` is left empty.
// `oneTimePasswords` gets the user name and password of every role created.
Status secureOffice(PgEngine& engine, const std::vector<const TableDef*>& tables,
                    std::string& gatePassword,
                    std::vector<std::pair<std::string, std::string>>& oneTimePasswords);

// ---- a user's role, changed with his record ----------------------------------------
// Each needs a System Administrator's role (or the database owner).
// Creates the role (or takes over one of that name left behind) with the
// password and the level's group; `canLogIn` false for a suspended user.
Status createUserRole(PgEngine& engine, const std::string& userName, const std::string& password,
                      int level, bool canLogIn);
Status renameUserRole(PgEngine& engine, const std::string& oldName, const std::string& newName);
Status dropUserRole(PgEngine& engine, const std::string& userName);
Status setUserRolePassword(PgEngine& engine, const std::string& userName,
                           const std::string& password);
Status setUserRoleLevel(PgEngine& engine, const std::string& userName, int level);
Status setUserRoleLogin(PgEngine& engine, const std::string& userName, bool canLogIn);
// The logged-in user's own password (any level).
Status setOwnRolePassword(PgEngine& engine, const std::string& password);

// A wrong password for `userName`, counted on the server: past the office's
// allowed tries the user is suspended (FAILFLAG and a role that may not log
// in). `count` is the new count, `suspended` whether this call suspended him.
Status countFailedLogin(PgEngine& engine, const std::string& userName, int& count, bool& suspended);

}  // namespace tko::store
