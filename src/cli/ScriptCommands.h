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
//   find DIR --user NAME TEXT... [--json]
//   calendar DIR --user NAME --from YYYY-MM-DD --to YYYY-MM-DD [--secondary yes|no] [--json]
//   export dbase DIR OUTDIR --user NAME
//   export ics DIR FILE --user NAME
//   export csv DIR TABLE FILE --user NAME
//   import ics|csv|taskwarrior DIR FILE --user NAME [--person SHORTNAME]
//           [--map FIELD=COLUMN,...] [--batch N] [--preview] [--json]
//   sync caldav DIR --user NAME [--url URL] [--caldav-user NAME]
//
// A command exits 0 only when it did what it was asked: a conclusion or an
// addition that was not written exits with one of the statuses below and,
// with --json, prints one object saying so ("concluded": false or "added":
// false) with the reason.
#pragma once

#include <QString>

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tko::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;             // the data could not be read or written
inline constexpr int kExitUsage = 64;             // a mistake in the command's words
inline constexpr int kExitConcludedAlready = 65;  // the assignment was closed before
inline constexpr int kExitNotFound = 66;          // no such assignment
inline constexpr int kExitSomeRefused = 67;       // import: some tasks refused, the rest imported
inline constexpr int kExitOtherStation = 75;      // another station got there first: concluded
                                                  // it meanwhile, changed it on every try, or
                                                  // took every number tried; nothing written
inline constexpr int kExitRefused = 77;           // log-in refused or not permitted

// The text of `--help` about the exit statuses.
const char* exitStatusHelp();

// True for the commands runScriptCommand() handles.
bool isScriptCommand(const std::string& command);

// Runs `words` (the command and its arguments, --server already taken out).
// `programDir` is where the station's INI files are looked for; `in` serves
// the password prompt.
int runScriptCommand(const std::vector<std::string>& words, const std::string& server,
                     const QString& programDir, std::istream& in, std::ostream& out,
                     std::ostream& err);

}  // namespace tko::cli
