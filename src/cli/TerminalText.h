// What went wrong, as the command line says it: plain words for a terminal
// ("the disk is full", "no write access to /srv/office") instead of the
// windows' message boxes ("... Returning to previous window.", "File System
// Error (90)"). GUI-free and pure.
#pragma once

#include <string>

#include "platform/store/Status.h"

namespace tko::cli {

// A storage failure. `where` names what was being read or written (a folder,
// "the data files"); it is used where the failure concerns it.
std::string terminalText(const store::Status& status, const std::string& where = "the data files");

// A file that could not be written or created, from the C library's error
// number (errno): ENOSPC "the disk is full", EACCES/EPERM/EROFS "no write
// access to PATH", ENOENT "PATH: no such folder", else the system's text.
std::string fileProblemText(int error, const std::string& path);

}  // namespace tko::cli
