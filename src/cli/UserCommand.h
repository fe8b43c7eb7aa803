// "taskorbit-cli user unlock DIR NAME" and "taskorbit-cli user password DIR NAME":
// the way back into an office whose administrators are all suspended or have
// forgotten their passwords, for whoever holds the data files (or, on a
// server, a connection that may write the users table).
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "data/Database.h"

namespace tko {

// Reads one line typed at the terminal without showing it; false at the end
// of the input.
using SecretReader = std::function<bool(const std::string& prompt, std::string& line)>;

// The reader for a real terminal: echo is switched off while reading (input
// that is not a terminal is read as it comes, for scripts).
SecretReader terminalSecretReader(std::ostream& prompts);

// Runs `user ACTION NAME` on an open station. Exit codes: 0 done, 1 failure,
// 64 bad use.
int runUserCommand(Database& db, const std::vector<std::string>& args, const SecretReader& secret,
                   std::ostream& out, std::ostream& err);

}  // namespace tko
