// Where a station finds its data: the SQLite files of the data directory, or a
// PostgreSQL server named in the station's settings.
#pragma once

#include <string>

#include "data/Database.h"

namespace tko {

// The data source of a station working on `directory`:
//  - `serverOption` (the --server option) when it is not empty;
//  - else the connection string in section "Data", key "Server" of the INI
//    file at `iniPath` (TASKORBM.INI), when the file names one;
//  - else the files of `directory`.
// Section and key names are matched without regard to case, as INI files
// written by hand vary; surrounding blanks of the value are ignored. A missing
// or unreadable INI file means "no server".
DataSource resolveDataSource(const std::string& directory, const std::string& serverOption,
                             const std::string& iniPath);

}  // namespace tko
