// taskorbit-cli copy DIR --server CONNINFO: moves an office from the data files
// of a directory onto a PostgreSQL server.
#pragma once

#include <ostream>
#include <string>

namespace tko {

// Copies every table of the data files in `directory` (memos included) into
// the server database named by `connInfo`, creating its tables when missing,
// in one transaction, and compares the row counts of every table before it
// commits. Refuses a server database that already holds rows, and data files
// that another station keeps busy. While the copy runs, no station can change
// the files, and other stations cannot write the server tables.
// Writes progress to `out` and failures to `err`; returns the exit code
// (0 done, 1 failed, 64 wrong use).
int runCopyCommand(const std::string& directory, const std::string& connInfo, std::ostream& out,
                   std::ostream& err);

}  // namespace tko
