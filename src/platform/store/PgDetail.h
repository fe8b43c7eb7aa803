// What the files of the server engine (PgEngine.cpp, PgConnection.cpp,
// PgCollation.cpp, PgBulkCopy.cpp, PgBackup.cpp) share. Not for use outside
// the engine.
#pragma once

#include <libpq-fe.h>

#include <string>
#include <vector>

#include "platform/store/Status.h"

namespace tko::store::pgdetail {

inline constexpr const char* kUsersSchema = "users";
// Serialises table creation between stations that run it at the same time.
inline constexpr const char* kCreateLockKey = "7368207435";
// Engine code reported for a lost or refused connection (SQLSTATE class 08).
inline constexpr int kConnectionCode = 8006;
// The channel on which committed changes are announced.
inline constexpr const char* kChangeChannel = "tko_changes";

// Frees a result when the scope ends.
struct ResultGuard {
    PGresult* result;
    ~ResultGuard() { PQclear(result); }
};

// True when `text` is well-formed UTF-8 without NUL characters: the server
// refuses anything else, and a NUL would silently cut a text short on the way.
bool storableText(const std::string& text);
// The failure reported for a text that storableText() refuses.
Status badText(const std::string& text);

// The statement that creates the name collation on the server (PgCollation.cpp).
std::string createNameCollation();
// The statements that create the folding function of word searches.
std::vector<std::string> createFoldFunction();

}  // namespace tko::store::pgdetail
