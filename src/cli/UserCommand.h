// "taskorbit-cli user ...": the administration of users from the command line,
// for administrators who script it. Every action but "recover" logs in with
// --user ADMIN (the password from TASKORBIT_PASSWORD or asked for) and needs a
// System Administrator; each goes through the same logic as the user form:
//
//   user unlock DIR NAME --user ADMIN
//   user password DIR NAME --user ADMIN
//   user add DIR NAME --level 0|1|2 --user ADMIN
//   user rename DIR OLD NEW --user ADMIN
//   user delete DIR NAME [--to HEIR] --user ADMIN
//   user recover DIR NAME
//
// "recover" is the way back into an office whose administrators are all
// locked out: it takes the office recovery key that "init" printed (from
// TASKORBIT_RECOVERY_KEY or asked for without echo), resets the
// administrator NAME and prints the next key; the used one is spent.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "data/Database.h"

namespace tko {

inline constexpr const char* kRecoveryKeyVariable = "TASKORBIT_RECOVERY_KEY";

// Reads one line typed at the terminal without showing it; false at the end
// of the input.
using SecretReader = std::function<bool(const std::string& prompt, std::string& line)>;

// The reader for a real terminal: echo is switched off while reading (input
// that is not a terminal is read as it comes, for scripts).
SecretReader terminalSecretReader(std::ostream& prompts);

// Runs `user ACTION DIR ...` (`args` starts at ACTION) on an open station.
// Secrets (the administrator's password unless TASKORBIT_PASSWORD is set,
// new passwords, the recovery key unless TASKORBIT_RECOVERY_KEY is set) come
// from `secret`. Exit codes: 0 done, 1 failure or refusal, 64 bad use, 77
// log-in refused or not an administrator.
int runUserCommand(Database& db, const std::vector<std::string>& args, const SecretReader& secret,
                   std::ostream& out, std::ostream& err);

}  // namespace tko
