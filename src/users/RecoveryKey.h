// The office recovery key: the way back into an office whose System
// Administrators are all locked out (suspended, or passwords forgotten).
//
// Creating an office makes a key and shows it once; the store keeps only its
// hash. Whoever holds the key may reset one System Administrator: a new
// password that must be changed at the next log-in, the suspension and the
// count of wrong passwords released. A key serves once: the reset replaces
// it by a new one, shown once in turn.
#pragma once

#include <string>

#include "data/Database.h"
#include "platform/Outcome.h"

namespace tko {

inline constexpr const char* kNoRecoveryKey =
    "This office has no recovery key. An office made before recovery keys existed gets one "
    "when an administrator runs taskorbit-cli init on it.";
inline constexpr const char* kWrongRecoveryKey = "This is not the office's recovery key.";
inline constexpr const char* kRecoverAdministratorsOnly =
    "The recovery key resets System Administrators only.";

// Makes a new key, stores its hash in place of any earlier one, and returns
// it in `key` (to be shown once).
Outcome createRecoveryKey(Database& db, std::string& key);

// True when the office has a recovery key.
Status hasRecoveryKey(Database& db, bool& has);

// With the office's key, gives the System Administrator `name` the new
// password (checked as on the user form, to be changed at the next log-in)
// and releases his suspension, in one transaction that also spends the key:
// `nextKey` is the new one. A wrong key, an unknown name or a user who is no
// System Administrator is refused and changes nothing.
Outcome recoverAdministrator(Database& db, const std::string& key, const std::string& name,
                             const std::string& password, const std::string& again,
                             std::string& nextKey);

}  // namespace tko
