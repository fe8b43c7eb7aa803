// taskorbit-cli report: the reports of "Report Selection" (and the address
// book) without a display, for scripts:
//
//   report DIR TYPE --user NAME [options] (--pdf FILE | --text FILE)
//
// The user logs in as in the program (password from TASKORBIT_PASSWORD,
// --password-file FILE or the first line of standard input) and the report
// shows what that user may see, exactly as the program's report does.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "data/Database.h"

namespace tko {

// Writes the usage lines of the command.
void reportCommandUsage(std::ostream& out);

// `args` are the words after DIR. Returns the exit code: 0 written, 1 failed
// or refused, 3 cancelled, 64 wrong usage.
int runReportCommand(const DataSource& source, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err);

}  // namespace tko
