// Opening an office at start-up, and putting a backup copy back. Nothing is
// written into the data files before their layout has been checked: tables
// are created only in a new office, an office whose data file lost its data
// while a backup exists opens only after the user chose to restore (or not),
// and a read-only office is named as such before anything tries to write.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "data/Database.h"
#include "platform/store/OfficeFiles.h"

namespace tko {

// The questions opening may ask; an unset question counts as "No".
struct OpeningQuestions {
    // "The data file ... is empty, but a backup from ... exists: restore it?"
    std::function<bool(const std::string& question)> restore;
    // The standard message 2 for the table with this label: rebuild its keys?
    std::function<bool(const std::string& table)> rebuildKeys;
};

struct OfficeOpening {
    std::unique_ptr<Database> db;                      // set when the office is open
    std::unique_ptr<store::StationPresence> presence;  // held while the station works
    // When `db` is null: the standard message to show (1, 3, 4 or 30) with its
    // %1 and %2, or else (message 0) a text of its own.
    int message = 0;
    std::string error;  // %1: the error text and code
    std::string name;   // %2: the file or table
    std::string text;
};

OfficeOpening openOffice(const DataSource& source, const OpeningQuestions& ask,
                         int lockTimeoutMs = 10000);

struct RestoreResult {
    bool ok = false;
    std::string message;  // what was done, or why nothing was
};

// Puts the backup pair TKODATA.<suffix>/USERS.<suffix> ("BK1" or "BAK") of
// `directory` back as the data files, after checking that it is a complete
// office, and only while no station has the office open. Data files that are
// replaced are kept as TKODATA.OLD and USERS.OLD.
RestoreResult restoreOffice(const std::string& directory, const std::string& suffix);

// The newest backup pair of `directory` that is complete ("BK1", else "BAK"),
// or an empty text when there is none.
std::string usableBackup(const std::string& directory);

}  // namespace tko
