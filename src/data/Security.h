// The office's security records (table SECURITY, beside USERS): the count of
// a user's wrong passwords, which every way of logging in shares, and the
// hash of the office recovery key.
//
// The counter rows carry the user name as USERS stores it, letter for letter.
// Every function writes only inside a transaction the caller has begun or,
// when none is open, in one of its own.
#pragma once

#include <string>

#include "data/Database.h"

namespace tko {

inline constexpr const char* kFailuresKind = "FAILURES";
inline constexpr const char* kRecoveryKind = "RECOVERY";

// Adds one wrong password to `user`'s count; `count` is the new count.
Status countLoginFailure(Database& db, const std::string& user, int& count);
// Forgets `user`'s wrong passwords (a successful log-in, a release by an
// administrator, his deletion).
Status clearLoginFailures(Database& db, const std::string& user);

// The stored hash of the office recovery key; empty when the office has none.
Status recoveryKeyHash(Database& db, std::string& hash);
// Replaces the stored hash (adds it when there is none).
Status storeRecoveryKeyHash(Database& db, const std::string& hash);

}  // namespace tko
