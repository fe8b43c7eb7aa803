// Log-in: the user name is looked up, a suspended account is refused, and the
// typed password is checked against the stored hash. Wrong passwords count up
// within one log-in window; past the system's limit the account is suspended.
#pragma once

#include <string>

#include "data/Database.h"

namespace tko {

struct LoginOutcome {
    enum Kind {
        Success,             // logged in
        MustChangePassword,  // logged in, but the built-in first password must be changed first
        IncorrectUserName,   // "Incorrect User Name": back to the user name
        Suspended,  // "Suspended. Password failures. See your System Administrator": window ends
        WrongPassword,    // "Incorrect password. Try again": back to the password
        TooManyFailures,  // "Too many password failures, See your System Administrator.": suspended
                          // now
        StoreFailure,     // the suspension could not be written: the program stops with `error`
    };
    Kind kind = IncorrectUserName;
    std::string userName;
    int accessLevel = 0;
    std::string error;

    // The message text shown for this outcome (untranslated source text), or "".
    std::string messageText() const;
    bool loggedIn() const { return kind == Success || kind == MustChangePassword; }
    bool endsWindow() const {
        return loggedIn() || kind == Suspended || kind == TooManyFailures || kind == StoreFailure;
    }
};

// Said when the user cancels the change that MustChangePassword asks for,
// before the program ends.
inline constexpr const char* kPasswordNotChangedText =
    "Your password was not changed, so TASKORBIT ends now. It must be changed before "
    "you can go on.";

// One log-in window: the try counter starts at 0 with each window.
class LoginAttempts {
public:
    explicit LoginAttempts(Database& db) : m_db(db) {}

    LoginOutcome attempt(const std::string& userName, const std::string& password);
    int tries() const { return m_tries; }

private:
    Database& m_db;
    int m_tries = 0;
};

}  // namespace tko
