#include "app/OfficeOpening.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "app/Backup.h"
#include "data/Tables.h"

namespace tko {
namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {"TKODATA", "USERS"};

std::string describe(int code, const std::string& text) {
    return Status::error(code, text).describe();
}

// When the backup file was written, as "YYYY-MM-DD HH:MM" local time.
std::string backupTime(const fs::path& file) {
    std::error_code ec;
    const auto written = fs::last_write_time(file, ec);
    if (ec) return "an unknown time";
    const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        written - fs::file_time_type::clock::now() + std::chrono::system_clock::now());
    const std::time_t t = std::chrono::system_clock::to_time_t(system);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

// The label before ": " in a problem line ("ASSIGNMENT: table is missing").
std::string subjectOf(const std::string& line) {
    const auto colon = line.find(':');
    return colon == std::string::npos ? line : line.substr(0, colon);
}

// Whether every key problem of `layout` (there is one at least) is a missing
// auxiliary key: an index this program adds for speed, which an office made
// or backed up by an earlier version lacks. Nothing is damaged then; the keys
// are added on opening without asking.
bool missesOnlyAuxiliaryKeys(const LayoutCheck& layout) {
    const std::string missing = " is missing";
    for (const std::string& line : layout.keys) {
        const store::TableDef* table = tableByLabel(subjectOf(line));
        const std::string prefix = subjectOf(line) + ": key ";
        if (!table || line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + missing.size() ||
            line.compare(line.size() - missing.size(), missing.size(), missing) != 0)
            return false;
        const store::KeyDef* key =
            table->key(line.substr(prefix.size(), line.size() - prefix.size() - missing.size()));
        if (!key || !key->auxiliary) return false;
    }
    return !layout.keys.empty();
}

// Checks that the pair is a complete office: its files are sound and every
// table and key is as defined (auxiliary keys aside, which opening adds).
// Returns an empty text or the first problem.
std::string checkPair(const std::string& directory, const std::string& suffix) {
    Status s;
    auto copy = openBackupPair(directory, suffix, s);
    if (!copy) return s.describe();
    LayoutCheck layout;
    s = copy->checkLayout(layout);
    if (!s.ok()) return s.describe();
    if (!layout.layout.empty()) return layout.layout.front();
    if (layout.presentTables + static_cast<int>(layout.laterTables.size()) !=
        static_cast<int>(allTables().size()))
        return "it holds no TASKORBIT tables";
    if (!layout.keys.empty() && !missesOnlyAuxiliaryKeys(layout)) return layout.keys.front();
    std::vector<std::string> problems;
    s = copy->engine().verifyStorage(problems);
    if (!s.ok()) return s.describe();
    if (!problems.empty()) return problems.front();
    return {};
}

// Message 1 for a layout that is not ours, or message 2 (and 3) for keys. A
// check that could not read the layout (the files stayed locked, the server
// went away) says nothing about it: message 30.
void checkOpenedLayout(OfficeOpening& result, const OpeningQuestions& ask) {
    LayoutCheck layout;
    Status s = result.db->checkLayout(layout);
    if (s.code == store::kFileLocked) s = result.db->checkLayout(layout);
    if (s.ok() && layout.presentTables == 0 && layout.layout.empty())
        layout.layout.push_back("TKODATA.DB: the file holds no TASKORBIT tables");
    if (!s.ok() && s.code != store::kInvalidRecordLayout) {
        result.message = 30;
        result.error = s.describe();
        result.name = "TKODATA.DB";
        result.db.reset();
        return;
    }
    if (!s.ok() || !layout.layout.empty()) {
        result.message = 1;
        result.error =
            s.ok() ? describe(store::kInvalidRecordLayout, layout.layout.front()) : s.describe();
        result.name = s.ok() ? subjectOf(layout.layout.front()) : std::string("TKODATA.DB");
        result.db.reset();
        return;
    }
    if (missesOnlyAuxiliaryKeys(layout)) {
        s = result.db->createTables();  // adds the missing keys, keeps everything else
        if (s.ok()) s = result.db->checkLayout(layout);
        if (!s.ok()) {
            result.message = 3;
            result.error = s.describe();
            result.name =
                layout.keyTables.empty() ? std::string("TKODATA.DB") : layout.keyTables.front();
            result.db.reset();
            return;
        }
    }
    for (const std::string& label : layout.keyTables) {
        if (!ask.rebuildKeys || !ask.rebuildKeys(label)) {
            result.db.reset();  // "No" ends the program
            return;
        }
        s = result.db->track(result.db->engine().rebuildKeys(*tableByLabel(label)));
        // A rebuild must leave the keys as defined; one that did not failed too.
        LayoutCheck after;
        if (s.ok()) s = result.db->checkLayout(after);
        if (s.ok() && std::count(after.keyTables.begin(), after.keyTables.end(), label) > 0)
            s = Status::error(store::kInvalidKeyFile, after.keys.front());
        if (!s.ok()) {
            result.message = 3;
            result.error = s.describe();
            result.name = label;
            result.db.reset();
            return;
        }
    }
}

}  // namespace

std::string usableBackup(const std::string& directory) {
    for (const char* suffix : {"BK1", "BAK"})
        if (checkPair(directory, suffix).empty()) return suffix;
    return {};
}

RestoreResult restoreOffice(const std::string& directory, const std::string& suffix) {
    RestoreResult result;
    if (suffix != "BK1" && suffix != "BAK") {
        result.message = "A backup is named BK1 or BAK, not " + suffix + ".";
        return result;
    }
    const fs::path dir(directory);
    const std::string problem = checkPair(directory, suffix);
    if (!problem.empty()) {
        result.message = "The backup TKODATA." + suffix + "/USERS." + suffix +
                         " cannot be restored: " + problem + ". Nothing was changed.";
        return result;
    }
    std::string error;
    auto alone = store::StationPresence::alone(directory, error);
    if (!alone) {
        result.message = error + "; nothing was restored. Ask everyone to leave TASKORBIT first.";
        return result;
    }
    std::error_code ec;
    // Copy first under temporary names, so that a failed copy changes nothing.
    for (const char* stem : kFiles) {
        fs::copy_file(dir / (std::string(stem) + "." + suffix),
                      dir / (std::string(stem) + ".DB.tmp"), fs::copy_options::overwrite_existing,
                      ec);
        if (ec) {
            for (const char* s : kFiles) fs::remove(dir / (std::string(s) + ".DB.tmp"), ec);
            result.message = "Cannot copy the backup: " + ec.message() + ". Nothing was changed.";
            return result;
        }
    }
    for (const char* stem : kFiles) {
        const fs::path current = dir / (std::string(stem) + ".DB");
        // Data that is replaced is kept; a journal left beside it belongs to the
        // replaced file and must never be played back onto the restored one.
        if (fs::exists(current, ec) && fs::file_size(current, ec) > 0)
            fs::rename(current, dir / (std::string(stem) + ".OLD"), ec);
        if (!ec) fs::remove(dir / (std::string(stem) + ".DB-journal"), ec);
        if (!ec) fs::rename(dir / (std::string(stem) + ".DB.tmp"), current, ec);
        if (ec) {
            result.message = "Cannot put " + current.string() + " in place: " + ec.message();
            return result;
        }
    }
    result.ok = true;
    result.message = "Restored TKODATA.DB and USERS.DB from the backup of " +
                     backupTime(dir / ("TKODATA." + suffix)) + " (" + suffix + ").";
    return result;
}

OfficeOpening openOffice(const DataSource& source, const OpeningQuestions& ask, int lockTimeoutMs) {
    OfficeOpening result;
    Status status;
    if (!source.serverInfo.empty()) {
        result.db = Database::open(source, true, status, lockTimeoutMs, false);
        // A table locked beyond the server's wait: one more try.
        if (!result.db && status.code == store::kFileLocked)
            result.db = Database::open(source, true, status, lockTimeoutMs, false);
        if (!result.db) {
            result.message = status.code == store::kInvalidRecordLayout ? 1 : 30;
            result.error = status.describe();
            result.name = "server";
            return result;
        }
        checkOpenedLayout(result, ask);
        return result;
    }

    const fs::path dir(source.directory);
    store::FileInspection files[2];
    for (int i = 0; i < 2; ++i) {
        const std::string name = std::string(kFiles[i]) + ".DB";
        const std::string path = (dir / name).string();
        files[i] = store::inspectDatabaseFile(path);
        // Another station is writing: wait for it, then look again.
        if (files[i].content == store::FileContent::Locked)
            files[i] = store::inspectDatabaseFile(path, lockTimeoutMs);
        switch (files[i].content) {
            case store::FileContent::NotADatabase:
                result.message = 1;
                result.error = describe(store::kInvalidRecordLayout, files[i].error);
                result.name = name;
                return result;
            case store::FileContent::Locked:
            case store::FileContent::Unreadable:
                result.message = 30;
                result.error =
                    describe(files[i].content == store::FileContent::Locked ? store::kFileLocked
                                                                            : store::kAccessDenied,
                             files[i].error);
                result.name = name;
                return result;
            default:
                break;
        }
    }
    const bool dataHolds = files[0].content == store::FileContent::Tables;
    const bool usersHolds = files[1].content == store::FileContent::Tables;
    bool newOffice = false;
    if (!dataHolds || !usersHolds) {
        const std::string backup = usableBackup(source.directory);
        const int lacking = dataHolds ? 1 : 0;
        const std::string name = std::string(kFiles[lacking]) + ".DB";
        if (backup.empty()) {
            if (dataHolds || usersHolds) {
                // Half an office: the missing file is never made up empty.
                result.message = 4;
                result.error = describe(store::kFileNotFound, "File Not Found");
                result.name = name;
                return result;
            }
            newOffice = true;
        } else {
            const std::string question =
                "The data file " + name +
                (files[lacking].content == store::FileContent::Missing ? " is missing"
                                                                       : " is empty") +
                ", but a backup from " + backupTime(dir / ("TKODATA." + backup)) +
                " exists: restore it?";
            if (!ask.restore || !ask.restore(question)) {
                result.text = "The office was not opened, and its files were left as they are.";
                return result;
            }
            const RestoreResult restored = restoreOffice(source.directory, backup);
            if (!restored.ok) {
                result.text = restored.message;
                return result;
            }
        }
    }
    if (!store::writable(source.directory, {"TKODATA.DB", "USERS.DB"})) {
        result.text = "The office in " + source.directory +
                      " is read-only. TASKORBIT needs to write to its data files and folder; "
                      "ask your administrator for write access.";
        return result;
    }
    std::string error;
    result.presence = store::StationPresence::enter(source.directory, error);
    if (!result.presence) {
        result.text = error;
        return result;
    }
    result.db = Database::open(source, newOffice, status, lockTimeoutMs, false);
    // Still locked after the engine's wait: one more try.
    if (!result.db && status.code == store::kFileLocked)
        result.db = Database::open(source, newOffice, status, lockTimeoutMs, false);
    if (!result.db) {
        result.message = status.code == store::kInvalidRecordLayout ? 1 : 30;
        result.error = status.describe();
        result.name = source.directory;
        result.presence.reset();
        return result;
    }
    checkOpenedLayout(result, ask);
    if (!result.db) result.presence.reset();
    return result;
}

}  // namespace tko
