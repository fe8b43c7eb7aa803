// What the files of the embedded engine (SqliteEngine.cpp,
// SqliteConnection.cpp, SqliteCollation.cpp, SqliteBackup.cpp) share. Not for
// use outside the engine.
#pragma once

#include <sqlite3.h>

#include <string>

#include "platform/store/Status.h"

namespace tko::store::sqlitedetail {

// The schema under which the users file is attached.
inline constexpr const char* kUsersSchema = "users";

// Whether `collation` names the name collation (SQLite ignores letter case in
// collation names).
bool isNameCollation(const char* collation);

// The failure of opening `path`: missing, not a data file, locked, not
// allowed, or the engine's own error.
Status mapOpenError(sqlite3* db, int rc, const std::string& path);

}  // namespace tko::store::sqlitedetail
