#include "cli/UserCommand.h"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <map>

#include "app/Login.h"
#include "cli/CliLogin.h"
#include "data/Keys.h"
#include "data/Messages.h"
#include "platform/Date.h"
#include "platform/store/PgEngine.h"
#include "platform/store/PgRoles.h"
#include "users/RecoveryKey.h"
#include "users/UserAccounts.h"

namespace tko {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadUse = 64;
constexpr int kNotPermitted = 77;

constexpr const char* kUsage =
    "usage: taskorbit-cli user unlock DIR NAME --user ADMIN\n"
    "       taskorbit-cli user password DIR NAME --user ADMIN\n"
    "       taskorbit-cli user add DIR NAME --level 0|1|2 --user ADMIN\n"
    "       taskorbit-cli user rename DIR OLD NEW --user ADMIN\n"
    "       taskorbit-cli user delete DIR NAME [--to HEIR] --user ADMIN\n"
    "       taskorbit-cli user role DIR NAME --user ADMIN\n"
    "       taskorbit-cli user recover DIR NAME\n";

int report(const Outcome& outcome, std::ostream& err) {
    err << "taskorbit-cli: " << outcomeLine(outcome) << "\n";
    return kFailed;
}

bool suspended(Database& db, const std::string& name) {
    User user;
    return db.fetch(key::USE_USERNAME_KEY, {name}, user).ok() && user.FAILFLAG != 0;
}

// ACTION DIR positional... with --user, --level and --to in any place.
struct Words {
    std::string action;
    std::vector<std::string> names;  // after DIR
    std::map<std::string, std::string> options;
};

bool split(const std::vector<std::string>& args, Words& words, std::ostream& err) {
    if (args.size() < 2) return false;
    words.action = args[0];
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--user" || a == "--level" || a == "--to") {
            if (i + 1 >= args.size()) {
                err << "taskorbit-cli: " << a << " needs a value\n";
                return false;
            }
            words.options[a] = args[++i];
        } else if (a.rfind("--", 0) == 0) {
            err << "taskorbit-cli: unknown option " << a << "\n";
            return false;
        } else {
            words.names.push_back(a);
        }
    }
    return true;
}

// Two entries of a new password; false (and said) when none was given.
bool askNewPassword(const SecretReader& secret, const std::string& name, std::string& first,
                    std::string& second, std::ostream& err) {
    if (!secret("New password for " + name + ": ", first) || !secret("Enter it again: ", second)) {
        err << "taskorbit-cli: no password was given; nothing changed\n";
        return false;
    }
    return true;
}

// The administrator's log-in for every action but "recover".
int logInAdministrator(Database& db, const std::string& admin, const SecretReader& secret,
                       Session& session, std::ostream& err) {
    std::string password;
    if (const char* fromEnvironment = std::getenv(cli::kPasswordVariable))
        password = fromEnvironment;
    else if (!secret("Password for " + admin + ": ", password)) {
        err << "taskorbit-cli: no password was given\n";
        return kNotPermitted;
    }
    const cli::CliLogin login = cli::logIn(db, admin, password);
    if (!login.ok) {
        err << "taskorbit-cli: " << login.message << "\n";
        return kNotPermitted;
    }
    if (!login.session.isSystemAdministrator()) {
        err << "taskorbit-cli: " << translateText(kNotAdministrator) << "\n";
        return kNotPermitted;
    }
    session = login.session;
    return kDone;
}

int recover(Database& db, const std::string& name, const SecretReader& secret, std::ostream& out,
            std::ostream& err) {
    std::string key;
    if (const char* fromEnvironment = std::getenv(kRecoveryKeyVariable))
        key = fromEnvironment;
    else if (!secret("Office recovery key: ", key)) {
        err << "taskorbit-cli: no recovery key was given; nothing changed\n";
        return kFailed;
    }
    std::string first, second;
    if (!askNewPassword(secret, name, first, second, err)) return kFailed;
    std::string nextKey;
    const Outcome outcome = recoverAdministrator(db, key, name, first, second, nextKey);
    if (!outcome.ok()) return report(outcome, err);
    out << name << " may log in again with the new password, which must be changed at the "
        << "next log-in.\nThe recovery key just used is spent. The office's next recovery key "
        << "is shown once; keep it safe:\n  " << nextKey << "\n";
    return kDone;
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
    static const std::map<std::string, size_t> kNames{{"unlock", 1}, {"password", 1}, {"add", 1},
                                                      {"role", 1},   {"rename", 2},   {"delete", 1},
                                                      {"recover", 1}};
    Words words;
    const bool parsed = split(args, words, err);
    const auto expected = kNames.find(words.action);
    if (!parsed || expected == kNames.end() || words.names.size() != expected->second ||
        (words.action == "add") != (words.options.count("--level") == 1) ||
        (words.action != "delete" && words.options.count("--to")) ||
        (words.action == "recover") == (words.options.count("--user") == 1)) {
        err << kUsage;
        return kBadUse;
    }
    const std::string& name = words.names[0];
    if (words.action == "recover") return recover(db, name, secret, out, err);

    Session session;
    if (const int refused = logInAdministrator(db, words.options["--user"], secret, session, err))
        return refused;

    if (words.action == "unlock") {
        const Outcome outcome = unlockUser(db, session, name);
        if (!outcome.ok()) return report(outcome, err);
        out << name << " may log in again.\n";
        return kDone;
    }
    if (words.action == "password") {
        std::string first, second;
        if (!askNewPassword(secret, name, first, second, err)) return kFailed;
        const Outcome outcome = setTemporaryPassword(db, session, name, first, second);
        if (!outcome.ok()) return report(outcome, err);
        out << "Password of " << name << " set; it must be changed at the next log-in.\n";
        if (suspended(db, name))
            out << name
                << " is still suspended for password failures: run taskorbit-cli user unlock.\n";
        return kDone;
    }
    if (words.action == "add") {
        const std::string& level = words.options["--level"];
        if (level != "0" && level != "1" && level != "2") {
            err << "taskorbit-cli: --level is 0 (General User), 1 (People Administrator) or 2 "
                   "(System Administrator)\n";
            return kBadUse;
        }
        UserEntry entry;
        entry.user.USERNAME = name;
        entry.user.ACCESSLEVEL = static_cast<std::uint8_t>(level[0] - '0');
        entry.temporaryPassword = true;
        if (!askNewPassword(secret, name, entry.password, entry.passwordAgain, err)) return kFailed;
        const Outcome outcome =
            saveUser(db, session, Request::Insert, entry, User{}, Clock::today(), Clock::now());
        if (!outcome.ok()) return report(outcome, err);
        out << "User " << store::rtrim(entry.user.USERNAME) << " added as "
            << accessLevelName(entry.user.ACCESSLEVEL)
            << "; the password must be changed at the first log-in.\n";
        return kDone;
    }
    UserEntry entry;
    const Status loaded = loadUser(db, name, entry.user, entry.rights);
    if (words.action == "role" && loaded.ok()) {
        auto* server = dynamic_cast<store::PgEngine*>(&db.engine());
        if (!server) {
            err << "taskorbit-cli: the users of a data directory have no server roles\n";
            return kBadUse;
        }
        out << store::userRoleName(server->databaseName(), entry.user.USERNAME) << "\n";
        return kDone;
    }
    if (loaded.code == store::kRecordNotFound) {
        err << "taskorbit-cli: " << translateText(kIncorrectUserNameText) << ": " << name << "\n";
        return kFailed;
    }
    if (!loaded.ok()) {
        err << "taskorbit-cli: " << db.lastError().describe() << "\n";
        return kFailed;
    }
    const User original = entry.user;
    if (words.action == "rename") {
        entry.user.USERNAME = words.names[1];
        const Outcome outcome =
            saveUser(db, session, Request::Change, entry, original, Clock::today(), Clock::now());
        if (!outcome.ok()) return report(outcome, err);
        out << "User " << store::rtrim(original.USERNAME) << " is now "
            << store::rtrim(entry.user.USERNAME) << ".\n";
        return kDone;
    }
    // delete
    const std::string heir =
        words.options.count("--to") ? words.options["--to"] : session.GlobalUser;
    int concluded = 0;
    const Outcome outcome = deleteUser(db, session, original, heir, Clock::today(), &concluded);
    if (!outcome.ok()) return report(outcome, err);
    out << "User " << store::rtrim(original.USERNAME) << " deleted; " << concluded
        << " open assignment(s) given to him concluded; what he owned now belongs to "
        << store::rtrim(heir) << ".\n";
    return kDone;
}

}  // namespace tko
