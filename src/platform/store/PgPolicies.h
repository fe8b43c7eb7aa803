// The SQL of a secured server office (PgRoles.h): the rule functions that
// mirror the access module, the row-level security policies built on them,
// the triggers that keep what a policy cannot (columns a user may not change),
// and the grants. Written once, here; run by secureOffice().
#pragma once

#include <string>

namespace tko::store {

// The script for the office in `database` whose shared tables live in the
// schema `dataSchema` (its users table in "users"). It may run again on a
// secured office: it replaces what it made before.
std::string officePolicySql(const std::string& dataSchema, const std::string& database);

}  // namespace tko::store
