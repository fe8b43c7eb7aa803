// The internal backup made when the program closes: when more than the
// configured number of hours have passed since the last one, the previous
// copies rotate (".BK1" becomes ".BAK") and a fresh consistent copy of the data
// files is taken as ".BK1", even while other stations write.
#pragma once

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
    std::string copyError;  // the copy itself failed: not reported, the next close tries again
};

// Runs the closing backup check on the data directory `directory`: reads the
// settings, and when a backup is due records today and now in them, rotates
// TKODATA.BAK/.BK1 and USERS.BAK/.BK1 and takes a consistent copy of the data
// as .BK1 (for a server-held office a snapshot of the server's tables, in the
// same two files).
BackupResult closingBackup(Database& db, const std::string& directory, Date today, Time now);

}  // namespace tko
