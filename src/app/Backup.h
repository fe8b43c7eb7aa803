// The internal backup made when the program closes: when more than the
// configured number of hours have passed since the last one, a fresh
// consistent copy of the data files is taken, checked, and only then the
// copies rotate (".BK1" becomes ".BAK", the new copy becomes ".BK1"). A copy
// that fails leaves the old ones as they were and is reported.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "data/Database.h"
#include "platform/Date.h"

namespace tko {

// Hours since the backup of `backupDate` at `backupTime`, with fractions.
double hoursSinceBackup(Date today, Time now, Date backupDate, Time backupTime);

// True when `backupHours` is above 0 and more hours than that have passed.
bool backupDue(const SystemPref& pref, Date today, Time now);

struct BackupResult {
    bool madeBackup = false;
    bool fatal = false;  // the settings record could not be read or written: stop with `error`
    std::string error;
    // The copy failed or was not wanted: the old copies are kept, the backup
    // date is not recorded, and the station tells the user this text.
    std::string copyError;
};

// Asked before a copy without data replaces one with data; true goes on.
using ConfirmBackup = std::function<bool(const std::string& question)>;

// Runs the closing backup check on the data directory `directory`: reads the
// settings, and when a backup is due takes a consistent copy of both files
// (for a server-held office a snapshot of the server's tables, in the same two
// files) under temporary names, checks it, rotates TKODATA.BAK/.BK1 and
// USERS.BAK/.BK1 and records today and now in the settings.
BackupResult closingBackup(Database& db, const std::string& directory, Date today, Time now,
                           const ConfirmBackup& confirm = {});

// The backup pair "TKODATA.<suffix>" and "USERS.<suffix>" of `directory`
// opened as a data set of its own (nothing is created); nullptr with `status`.
std::unique_ptr<Database> openBackupPair(const std::string& directory, const std::string& suffix,
                                         Status& status);

// Whether a data set holds the office's own data: any assignment, project,
// group list, reminder or anniversary, or a person beyond the first user.
Status holdsOfficeData(Database& db, bool& holds);

}  // namespace tko
