#include "app/Backup.h"

#include <filesystem>

namespace tko {
namespace fs = std::filesystem;

double hoursSinceBackup(Date today, Time now, Date backupDate, Time backupTime) {
    return static_cast<double>(today - backupDate) * 24.0 +
           static_cast<double>(now) / kTicksPerHour -
           static_cast<double>(backupTime) / kTicksPerHour;
}

bool backupDue(const SystemPref& pref, Date today, Time now) {
    return pref.BACKUPHOURS > 0 &&
           hoursSinceBackup(today, now, pref.BACKUPDATE, pref.BACKUPTIME) > pref.BACKUPHOURS;
}

namespace {

// Deletes X.BAK and renames X.BK1 to X.BAK; errors are left for the next time.
void rotate(const fs::path& directory, const std::string& stem) {
    std::error_code ec;
    fs::remove(directory / (stem + ".BAK"), ec);
    fs::rename(directory / (stem + ".BK1"), directory / (stem + ".BAK"), ec);
}

}  // namespace

BackupResult closingBackup(Database& db, const std::string& directory, Date today, Time now) {
    BackupResult result;
    std::vector<SystemPref> prefs;
    store::ReadRequest first;
    first.limit = 1;
    if (!db.read(first, prefs).ok()) {
        result.fatal = true;
        result.error = db.lastError().describe() + " SYSTEMPREF";
        return result;
    }
    SystemPref pref = prefs.front();
    if (!backupDue(pref, today, now)) return result;

    pref.BACKUPDATE = today;
    pref.BACKUPTIME = now;
    Status s = db.change(pref);
    if (s.code == store::kChangedByOther) {
        // Another station saved the settings meanwhile; record the backup on theirs.
        if (db.reread(pref).ok()) {
            pref.BACKUPDATE = today;
            pref.BACKUPTIME = now;
            s = db.change(pref);
        }
    }
    if (!s.ok()) {
        result.fatal = true;
        result.error = db.lastError().describe() + " SYSTEMPREF";
        return result;
    }
    const fs::path dir(directory);
    rotate(dir, "TKODATA");
    rotate(dir, "USERS");
    s = db.engine().backup((dir / "TKODATA.BK1").string(), (dir / "USERS.BK1").string());
    if (!s.ok()) {
        result.copyError = s.describe();
        return result;
    }
    result.madeBackup = true;
    return result;
}

}  // namespace tko
