// Rules of the three small settings forms: System Wide Settings, Update User
// Preferences and Change User Password. The forms collect input and call
// these; every check and every write is here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Messages.h"
#include "data/Session.h"
#include "platform/Outcome.h"

namespace tko {

// The first account's name and password: a build setting.
#ifndef TKO_FIRST_USER
#define TKO_FIRST_USER "SUPERVISOR"
#endif
#ifndef TKO_FIRST_PASSWORD
#define TKO_FIRST_PASSWORD "TASKORBIT"
#endif
inline constexpr const char* kFirstUserName = TKO_FIRST_USER;
inline constexpr const char* kFirstPassword = TKO_FIRST_PASSWORD;

// Default preferences of a new user.
UserPref defaultUserPref(const std::string& userName);

// Leading and trailing blanks removed and, unless it is blank, the platform's
// directory separator ("/" here, "\\" on Windows) appended when the path does
// not end in a separator.
std::string normaliseDataPath(const std::string& typed);

// What "Path to Data Directory:" shows: the folder of the shared data files as
// this station opened it, in the platform's notation and ending in a
// separator, or "PostgreSQL server" for data on a server (its connection
// string may hold a password and is never shown). With neither known, the
// stored SYP:TCF. The field is shown, not edited: each station names its
// data folder when it starts, and the store keeps its transaction journal
// with the data (beside the files, or on the server), so no setting could
// move it without the stations disagreeing.
std::string dataLocationText(const DataSource& source, const std::string& storedPath);

// "Log In Tries Permitted:" and "Back Up Hours:" as typed: whole numbers from
// 0 to 32767 (0 = no limit, no backup). Sets `value` and returns nothing when
// accepted; otherwise the message to show (message 10 with the range for
// numbers outside it, the picture's own text for what is no whole number).
std::optional<std::string> readSettingNumber(const std::string& typed, const std::string& field,
                                             std::int16_t& value);

// The settings forms' "OK" reports:
//   Done              written, or nothing changed: the form closes;
//   ChangedElsewhere  the record was changed elsewhere: `current` holds those
//                     values, the form shows them and stays;
//   Failed            the change failed: after its message, message 16 asks
//                     whether to save again ("No" closes without saving);
//   Refused           adding the record failed (24 for a taken key, else 14):
//                     nothing was written, the form stays open.
// `wrote`, when given, tells whether anything was written.

// System Wide Settings "OK": writes through the change operation only when the
// record differs from the copy loaded.
Outcome saveSystemPref(Database& db, SystemPref& current, const SystemPref& loaded,
                       bool* wrote = nullptr);

// Update User Preferences field checks: message 10 for a priority outside 1..9,
// message 8 for a delay above 100.
std::optional<StandardMessage> checkPriority(int priority);
std::optional<StandardMessage> checkDelay(int delay);

// The preferences of `user`: the stored record (request Change) or a cleared
// one for that user (request Insert).
Status loadUserPref(Database& db, const std::string& user, UserPref& pref, Request& request);

// Update User Preferences "OK" for the request the form was opened with.
Outcome saveUserPref(Database& db, Request request, UserPref& current, const UserPref& loaded,
                     bool* wrote = nullptr);

// Change User Password checks on the two entries: "" when acceptable, else the
// message ("Entries do not match. Please try again", "Password must be at least
// 5 characters"). `cleaned` gets the password as it will be stored.
std::string checkNewPassword(const std::string& first, const std::string& second,
                             std::string& cleaned);

struct PasswordChange {
    bool ok = false;
    bool fatal = false;    // "Error in USERS, old password retained": the program stops
    bool refused = false;  // the new password is one others know; nothing was written
    std::string message;   // "Password Changed", or the failure or refusal
};
// Writes the new password of `user` (hashed) inside a 2-second transaction.
// Refused without writing: the built-in first password, which everyone who
// has the program knows, and, while the stored password is one set on the
// user's behalf (it must be changed at log-in), that same password again.
PasswordChange changePassword(Database& db, const std::string& user, const std::string& cleaned);

}  // namespace tko
