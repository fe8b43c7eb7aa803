// How a log-in attempt ended, in one value that tests compare: kLoggedIn,
// kMustChangePassword, or the text of the refusal or failure.
#pragma once

#include <string>

#include "app/Login.h"

namespace tko::test {

inline constexpr const char* kLoggedIn = "logged in";
inline constexpr const char* kMustChangePassword = "logged in; the password must be changed";

inline std::string tryLogin(LoginAttempts& attempts, const std::string& userName,
                            const std::string& password, LoggedIn* who = nullptr) {
    LoggedIn in;
    const Outcome outcome = attempts.attempt(userName, password, in);
    if (who) *who = in;
    if (!outcome.ok()) return outcome.text;
    return in.mustChangePassword ? kMustChangePassword : kLoggedIn;
}

// For an attempt in a window of its own.
inline std::string tryLogin(LoginAttempts&& attempts, const std::string& userName,
                            const std::string& password, LoggedIn* who = nullptr) {
    return tryLogin(attempts, userName, password, who);
}

}  // namespace tko::test
