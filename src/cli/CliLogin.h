// Log-in of the scripting commands: the same check as the log-in window
// (suspended accounts refused, failures counted towards suspension), with the
// password taken from TASKORBIT_PASSWORD or asked for without echo.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "data/Database.h"
#include "data/Session.h"

namespace tko::cli {

inline constexpr const char* kPasswordVariable = "TASKORBIT_PASSWORD";

// The password: the environment variable when it is set, otherwise a prompt
// on `err` and a line read from `in` (without echo when `in` is the
// terminal). Nothing when no password could be read.
std::optional<std::string> readPassword(std::istream& in, std::ostream& err);

struct CliLogin {
    bool ok = false;
    Session session;
    std::string message;  // why the log-in was refused
};

// Logs `user` in with `password`. A wrong password, an unknown name and a
// suspended account are refused with the window's texts; so is an account
// that still has the built-in first password, which must be changed in the
// program before anything else is done with it.
CliLogin logIn(Database& db, const std::string& user, const std::string& password);

}  // namespace tko::cli
