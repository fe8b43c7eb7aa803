// Log-in: the user name is looked up, a suspended account is refused, and the
// typed password is checked against the stored hash. Wrong passwords count up
// in the store (one count per user, shared by every window and the command
// line, cleared by a successful log-in); past the system's limit the account
// is suspended. On a server office that enforces the rights itself the
// server checks the password: a log-in connects the station as the user's own
// role (PgRoles.h), and the count and the suspension are kept by the server.
#pragma once

#include <string>

#include "data/Database.h"
#include "platform/Outcome.h"

namespace tko {

namespace store {
class PgEngine;
}

// What a refused log-in says.
inline constexpr const char* kIncorrectUserNameText = "Incorrect User Name";
inline constexpr const char* kSuspendedText =
    "Suspended. Password failures. See your System Administrator";
inline constexpr const char* kIncorrectPasswordText = "Incorrect password. Try again";
inline constexpr const char* kTooManyFailuresText =
    "Too many password failures, See your System Administrator.";

// Who a log-in let in.
struct LoggedIn {
    std::string userName;
    int accessLevel = 0;
    // The built-in first password, or one set on the user's behalf, must be
    // changed before the user goes on.
    bool mustChangePassword = false;
};

// True when the log-in window ends after `outcome`: the user is in, the
// account is suspended (before or by this attempt), or the store failed.
bool endsLoginWindow(const Outcome& outcome);

// Said when the user cancels the change that MustChangePassword asks for,
// before the program ends.
inline constexpr const char* kPasswordNotChangedText =
    "Your password was not changed, so TASKORBIT ends now. It must be changed before "
    "you can go on.";

// One log-in window (or one command-line log-in). tries() counts this
// window's wrong passwords; the suspension follows the stored count.
class LoginAttempts {
public:
    explicit LoginAttempts(Database& db) : m_db(db) {}

    // Done: `who` is the user let in. Refused with kIncorrectUserNameText
    // (field "username"), kIncorrectPasswordText (field "password"),
    // kSuspendedText, or kTooManyFailuresText when this attempt suspended the
    // account. Failed when the store failed (the suspension could not be
    // written, say): `text` is the store's error and the program stops.
    Outcome attempt(const std::string& userName, const std::string& password, LoggedIn& who);
    int tries() const { return m_tries; }

private:
    // On a server office that checks the passwords itself (PgRoles.h).
    Outcome attemptOnServer(store::PgEngine& server, const User& user, const std::string& password,
                            int allowedTries, LoggedIn& who);

    Database& m_db;
    int m_tries = 0;
};

}  // namespace tko
