#include "app/Backup.h"

#include <filesystem>

#include "data/OfficeRoles.h"
#include "data/Tables.h"
#include "platform/store/SqliteEngine.h"

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

std::unique_ptr<Database> openBackupPair(const std::string& directory, const std::string& suffix,
                                         Status& status) {
    store::SqliteOptions options;
    options.dataName = "TKODATA." + suffix;
    options.usersName = "USERS." + suffix;
    auto engine = store::SqliteEngine::open(directory, options, status);
    if (!engine) return nullptr;
    return std::make_unique<Database>(std::move(engine));
}

Status holdsOfficeData(Database& db, bool& holds) {
    holds = false;
    // Rows beyond these counts are the office's own; a new office has the
    // first user's person and nothing else.
    const std::pair<const store::TableDef*, std::int64_t> tables[] = {
        {&Assignment::def(), 0}, {&Project::def(), 0},     {&GroupName::def(), 0},
        {&Reminder::def(), 0},   {&Anniversary::def(), 0}, {&Person::def(), 1}};
    for (const auto& [table, firstRun] : tables) {
        std::int64_t n = 0;
        const Status s = db.track(db.engine().count(*table, store::all(), n));
        if (!s.ok()) return s;
        if (n > firstRun) {
            holds = true;
            return s;
        }
    }
    return Status::success();
}

namespace {

struct BackupFiles {
    fs::path dir;
    fs::path file(const std::string& stem, const char* suffix) const {
        return dir / (stem + suffix);
    }
};

const char* const kStems[] = {"TKODATA", "USERS"};

// Moves the checked new copies into place: X.BAK goes, X.BK1 becomes X.BAK,
// the new copy becomes X.BK1. Returns an empty text or what went wrong.
std::string rotate(const BackupFiles& f) {
    std::error_code ec;
    for (const char* stem : kStems) {
        fs::remove(f.file(stem, ".BAK"), ec);
        if (ec) return "Cannot delete " + f.file(stem, ".BAK").string() + ": " + ec.message();
    }
    for (const char* stem : kStems) {
        if (!fs::exists(f.file(stem, ".BK1"), ec)) continue;
        fs::rename(f.file(stem, ".BK1"), f.file(stem, ".BAK"), ec);
        if (ec) return "Cannot rename " + f.file(stem, ".BK1").string() + ": " + ec.message();
    }
    for (const char* stem : kStems) {
        fs::rename(f.file(stem, ".BK1.tmp"), f.file(stem, ".BK1"), ec);
        if (ec) return "Cannot rename " + f.file(stem, ".BK1.tmp").string() + ": " + ec.message();
    }
    return {};
}

void removeTemporaries(const BackupFiles& f) {
    std::error_code ec;
    for (const char* stem : kStems) fs::remove(f.file(stem, ".BK1.tmp"), ec);
}

// Checks the new pair as a data set (storage and every table and key) and,
// when the current .BK1 holds office data and the new copy holds none, asks
// before going on. Returns an empty text or why the new copy is not used.
std::string checkNewPair(Database& db, const BackupFiles& f, const ConfirmBackup& confirm) {
    Status s;
    auto copy = openBackupPair(f.dir.string(), "BK1.tmp", s);
    if (!copy) return "The new backup copy cannot be opened: " + s.describe();
    // The embedded engine checked its copy's integrity as it made it; a copy
    // written from a server is checked here. Every table and key must be there.
    std::vector<std::string> problems;
    s = db.engine().engineName() == "SQLite" ? Status::success()
                                             : copy->engine().verifyStorage(problems);
    for (const store::TableDef* table : allTables())
        if (s.ok()) s = copy->engine().verifyTable(*table, problems);
    if (!s.ok()) return "The new backup copy cannot be checked: " + s.describe();
    if (!problems.empty()) return "The new backup copy is damaged: " + problems.front();
    bool newHolds = false;
    s = holdsOfficeData(*copy, newHolds);
    if (!s.ok()) return "The new backup copy cannot be read: " + s.describe();
    copy.reset();
    if (newHolds) return {};
    std::error_code ec;
    if (!fs::exists(f.file("TKODATA", ".BK1"), ec)) return {};
    auto previous = openBackupPair(f.dir.string(), "BK1", s);
    bool oldHolds = false;
    if (!previous || !holdsOfficeData(*previous, oldHolds).ok() || !oldHolds) return {};
    previous.reset();
    const std::string question =
        "The data files hold no assignments, people or projects, but the backup "
        "TKODATA.BK1 does. Replace that backup with the empty data?";
    if (confirm && confirm(question)) return {};
    return "The backup was not made: the data files hold no data and the backup "
           "copies that do were kept.";
}

}  // namespace

BackupResult closingBackup(Database& db, const std::string& directory, Date today, Time now,
                           const ConfirmBackup& confirm) {
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
    // A copy made through a connection that sees only part of the office
    // would look whole and hold less: such a station leaves the backup due
    // for a station that sees every row.
    if (!readsWholeOffice(db)) return result;
    const Date previousDate = pref.BACKUPDATE;
    const Time previousTime = pref.BACKUPTIME;

    // Claim the backup in the settings first, so that stations closing at the
    // same moment do not all copy; the claim is withdrawn when the copy fails.
    pref.BACKUPDATE = today;
    pref.BACKUPTIME = now;
    Status s = db.change(pref);
    if (s.code == store::kChangedByOther) {
        // Another station saved the settings meanwhile; record the backup on theirs.
        if (db.reread(pref).ok()) {
            if (!backupDue(pref, today, now)) return result;  // it backed up itself
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

    const BackupFiles files{fs::path(directory)};
    std::string failure;
    s = db.engine().backup(files.file("TKODATA", ".BK1.tmp").string(),
                           files.file("USERS", ".BK1.tmp").string());
    if (!s.ok()) failure = s.describe();
    if (failure.empty()) failure = checkNewPair(db, files, confirm);
    if (failure.empty()) failure = rotate(files);
    if (failure.empty()) {
        result.madeBackup = true;
        return result;
    }
    removeTemporaries(files);
    result.copyError = failure;
    // Withdraw the claim unless another station changed the settings since.
    if (db.reread(pref).ok() && pref.BACKUPDATE == today && pref.BACKUPTIME == now) {
        pref.BACKUPDATE = previousDate;
        pref.BACKUPTIME = previousTime;
        if (!db.change(pref).ok())
            result.copyError +=
                " The backup date could not be reset: " + db.lastError().describe() + " SYSTEMPREF";
    }
    return result;
}

}  // namespace tko
