#include "cli/CliLogin.h"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "app/Login.h"
#include "data/Messages.h"

namespace tko::cli {

namespace {

// Turns the terminal's echo off for its lifetime, when stdin is a terminal.
class EchoOff {
public:
    EchoOff() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &m_saved) != 0) return;
        termios quiet = m_saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        m_active = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (m_active) tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    bool active() const { return m_active; }

private:
    termios m_saved{};
    bool m_active = false;
};

}  // namespace

std::optional<std::string> readPassword(std::istream& in, std::ostream& err) {
    if (const char* fromEnvironment = std::getenv(kPasswordVariable)) return fromEnvironment;
    err << "Password: " << std::flush;
    std::string line;
    bool read = false;
    {
        // Echo matters only when the prompt reads the real terminal.
        std::optional<EchoOff> quiet;
        if (&in == &std::cin) quiet.emplace();
        read = static_cast<bool>(std::getline(in, line));
        // The typed Enter was not echoed, or the line came through a pipe:
        // end the prompt's line either way.
        if (quiet && (quiet->active() || !isatty(STDIN_FILENO))) err << '\n';
    }
    if (!read) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

CliLogin logIn(Database& db, const std::string& user, const std::string& password) {
    CliLogin result;
    LoginAttempts attempts(db);
    LoggedIn who;
    const Outcome outcome = attempts.attempt(user, password, who);
    if (outcome.ok() && who.mustChangePassword) {
        result.message = "The first password of " + who.userName +
                         " must be changed in the program before the command line can be used.";
        return result;
    }
    if (outcome.ok()) {
        result.ok = true;
        result.session.GlobalUser = who.userName;
        result.session.GlobalUserAccess = who.accessLevel;
        return result;
    }
    // The window asks again; a command has one try.
    result.message = outcome.text == kIncorrectPasswordText ? std::string("Incorrect password.")
                                                            : translateText(outcome.text);
    return result;
}

}  // namespace tko::cli
