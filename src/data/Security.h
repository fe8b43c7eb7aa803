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
inline constexpr const char* kSealKeyKind = "SEALKEY";

// Adds one wrong password to `user`'s count; `count` is the new count.
Status countLoginFailure(Database& db, const std::string& user, int& count);
// Forgets `user`'s wrong passwords (a successful log-in, a release by an
// administrator, his deletion).
Status clearLoginFailures(Database& db, const std::string& user);

// The stored hash of the office recovery key; empty when the office has none.
Status recoveryKeyHash(Database& db, std::string& hash);
// Replaces the stored hash (adds it when there is none).
Status storeRecoveryKeyHash(Database& db, const std::string& hash);

// Secrets the stations must use but nobody should read back in a window (the
// mail server's password, a user's calendar server password) are stored
// sealed: encrypted with the office's seal key (libsodium's secretbox, a
// fresh nonce each time) and written as printable text of at most
// sealedWidth(n) characters for n plain bytes.
//
// The key is a random 32-byte key kept in SECURITY (KIND "SEALKEY"), made the
// first time it is asked for. Whoever can read the office's files or tables
// can read the key too, so sealing keeps a secret out of windows, reports,
// exports and backups read as text, not from someone who reads the store
// with tools of his own: a secured server keeps it from General Users by
// letting only stations that read the whole office unseal (see the callers).
Status officeSealKey(Database& db, std::string& key);
// `plain` sealed with `key`; a different text every time.
std::string sealSecret(const std::string& plain, const std::string& key);
// The plain text of `sealed`; false when it was not sealed with `key` or was
// changed since (nothing is written to `plain` then). An empty `sealed` opens
// to an empty secret.
bool openSecret(const std::string& sealed, const std::string& key, std::string& plain);
// Characters the sealed form of `plainBytes` bytes takes.
int sealedWidth(int plainBytes);

}  // namespace tko
