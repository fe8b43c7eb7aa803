// The commands for scripts and for the impatient: the user's due, unseen and
// reminder lists, adding and concluding an assignment, and the exports. Every
// command logs in (--user NAME, password from TASKORBIT_PASSWORD or a
// prompt), calls the same logic as the windows and obeys the same rights.
//
//   due DIR --user NAME [--order priority|date|person|name] [--secondary yes|no]
//           [--limit N] [--json]
//   unseen DIR --user NAME [--json]
//   reminders DIR --user NAME [--json]
//   add DIR --user NAME --person SHORTNAME --name TEXT [--due YYYY-MM-DD]
//           [--priority 1-9] [--secondary] [--comments TEXT] [--repeat TYPE
//           [--every N] [--occurrence 1st|2nd|3rd|4th|Last] [--weekday DAY]
//           [--weekdays DAY,DAY...]] [--json]
//   conclude DIR --user NAME NUMBER [--json]
//   export dbase DIR OUTDIR --user NAME
//   export ics DIR FILE --user NAME
//   export csv DIR TABLE FILE --user NAME
#pragma once

#include <QString>

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tko::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitRefused = 77;  // log-in refused or not permitted

// True for the commands runScriptCommand() handles.
bool isScriptCommand(const std::string& command);

// Runs `words` (the command and its arguments, --server already taken out).
// `programDir` is where the station's INI files are looked for; `in` serves
// the password prompt.
int runScriptCommand(const std::vector<std::string>& words, const std::string& server,
                     const QString& programDir, std::istream& in, std::ostream& out,
                     std::ostream& err);

}  // namespace tko::cli
