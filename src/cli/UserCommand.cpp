#include "cli/UserCommand.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "data/Keys.h"
#include "data/Messages.h"
#include "users/UserAccounts.h"

namespace tko {

namespace {

int report(const Outcome& outcome, std::ostream& err) {
    err << "taskorbit-cli: " << outcomeLine(outcome) << "\n";
    return 1;
}

bool suspended(Database& db, const std::string& name) {
    User user;
    return db.fetch(key::USE_USERNAME_KEY, {name}, user).ok() && user.FAILFLAG != 0;
}

}  // namespace

SecretReader terminalSecretReader(std::ostream& prompts) {
    return [&prompts](const std::string& prompt, std::string& line) {
        prompts << prompt << std::flush;
        termios saved{};
        const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
        if (terminal) {
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
        const bool read = static_cast<bool>(std::getline(std::cin, line));
        if (terminal) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return read;
    };
}

int runUserCommand(Database& db, const std::vector<std::string>& args, const SecretReader& secret,
                   std::ostream& out, std::ostream& err) {
    // args: ACTION DIR NAME
    if (args.size() != 3 || (args[0] != "unlock" && args[0] != "password")) {
        err << "usage: taskorbit-cli user unlock DIR NAME | user password DIR NAME\n";
        return 64;
    }
    const std::string& name = args[2];
    if (args[0] == "unlock") {
        const Outcome outcome = unlockUser(db, name);
        if (!outcome.ok()) return report(outcome, err);
        out << name << " may log in again.\n";
        return 0;
    }
    std::string first, second;
    if (!secret("New password for " + name + ": ", first) || !secret("Enter it again: ", second)) {
        err << "taskorbit-cli: no password was given; nothing changed\n";
        return 1;
    }
    const Outcome outcome = setTemporaryPassword(db, name, first, second);
    if (!outcome.ok()) return report(outcome, err);
    out << "Password of " << name << " set; it must be changed at the next log-in.\n";
    if (suspended(db, name))
        out << name
            << " is still suspended for password failures: run taskorbit-cli user unlock.\n";
    return 0;
}

}  // namespace tko
