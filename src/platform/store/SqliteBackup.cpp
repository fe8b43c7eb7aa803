// The embedded engine's backup: both files copied with SQLite's online
// backup API and checked before they replace the last copy.
#include "platform/store/SqliteEngine.h"

#include <sqlite3.h>

#include <filesystem>
#include <map>

#include "platform/store/NameCollation.h"
#include "platform/store/SqliteDetail.h"

namespace tko::store {
using namespace sqlitedetail;

namespace fs = std::filesystem;

namespace {

// The names of the tables in `schema` and their row counts, read with `db`.
int countRows(sqlite3* db, const std::string& schema, std::map<std::string, std::int64_t>& out) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "SELECT name FROM \"" + schema +
                            "\".sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'";
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return rc;
    std::vector<std::string> names;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) return rc;
    for (const std::string& name : names) {
        const std::string count = "SELECT count(*) FROM \"" + schema + "\".\"" + name + "\"";
        rc = sqlite3_prepare_v2(db, count.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return rc;
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) out[name] = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_ROW) return rc;
    }
    return SQLITE_OK;
}

// Checks a finished copy on its own: the engine's structural check of every
// page and record, and the row count of every table against the counts of the
// moment it was copied. The full integrity check (each index entry against its
// row) takes 25 times as long (10 s on 100 000 assignments) and would keep
// closing from ending in reasonable time; the copy is written page by page
// from a sound file, so the structural check is what can catch a bad copy.
Status checkCopy(const std::string& path, const std::map<std::string, std::int64_t>& expected) {
    sqlite3* copy = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &copy, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK) rc = registerNameCollation(copy);
    if (rc != SQLITE_OK) {
        Status s = mapOpenError(copy, rc, path);
        sqlite3_close(copy);
        return s;
    }
    std::string problem;
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(copy, "PRAGMA quick_check", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const std::string line = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            if (line != "ok" && problem.empty()) problem = line;
        }
        sqlite3_finalize(stmt);
    }
    std::map<std::string, std::int64_t> counts;
    if (rc == SQLITE_DONE) rc = countRows(copy, "main", counts);
    if (rc != SQLITE_OK && rc != SQLITE_DONE && problem.empty()) problem = sqlite3_errmsg(copy);
    sqlite3_close(copy);
    if (problem.empty() && counts != expected)
        problem = "the row counts differ from those of the data file";
    if (!problem.empty())
        return Status::error(kInvalidKeyFile,
                             "The backup copy " + path + " is damaged: " + problem);
    return Status::success();
}

}  // namespace

Status SqliteEngine::backup(const std::string& dataPath, const std::string& usersPath) {
    if (m_depth > 0) return Status::error(kTransactionError, "Cannot back up inside a transaction");
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_options.backupBudgetMs);
    const std::string seconds = std::to_string((m_options.backupBudgetMs + 999) / 1000);
    std::error_code ec;
    auto removeTargets = [&] {
        for (const std::string& p : {dataPath, usersPath}) {
            fs::remove(p, ec);
            fs::remove(p + "-journal", ec);
        }
    };
    // The targets are the caller's temporary names: whatever lies there is an
    // earlier attempt's leftover. One that cannot be removed blocks the copy.
    for (const std::string& p : {dataPath, usersPath}) {
        fs::remove(p, ec);
        if (ec) return Status::error(kAccessDenied, "Cannot replace " + p + ": " + ec.message());
    }

    // One read transaction over both files: while it holds them no station can
    // commit, so the two copies show one moment of the office, and writes of
    // other stations can no longer restart the copy. Their commits wait (within
    // their own lock time-out) until the copy ends.
    setBusyTimeout(m_options.backupBudgetMs);
    Status s = exec("BEGIN");
    if (s.ok()) {
        m_depth = 1;
        s = exec("SELECT count(*) FROM main.sqlite_master");
        if (s.ok()) s = exec("SELECT count(*) FROM users.sqlite_master");
    }
    setBusyTimeout(m_options.busyTimeoutMs);
    auto endSnapshot = [&] {
        if (m_depth > 0) exec("ROLLBACK");
        m_depth = 0;
    };
    if (!s.ok()) {
        endSnapshot();
        if (s.code == kFileLocked)
            return Status::error(kFileLocked, "Other stations kept the data locked for " + seconds +
                                                  " seconds; no backup was made");
        return s;
    }

    std::map<std::string, std::int64_t> dataCounts, usersCounts;
    int rc = countRows(m_db, "main", dataCounts);
    if (rc == SQLITE_OK) rc = countRows(m_db, kUsersSchema, usersCounts);
    if (rc != SQLITE_OK) {
        s = failure(rc);
        endSnapshot();
        return s;
    }

    // Copies one attached database in bounded steps, giving up when the time
    // budget is spent so that closing never hangs on a slow or huge copy.
    auto copyOne = [&](const char* schema, const std::string& target) -> Status {
        sqlite3* dest = nullptr;
        rc = sqlite3_open_v2(target.c_str(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
        if (rc != SQLITE_OK) {
            Status failed = mapOpenError(dest, rc, target);
            sqlite3_close(dest);
            return failed;
        }
        sqlite3_backup* b = sqlite3_backup_init(dest, "main", m_db, schema);
        if (!b) {
            Status failed =
                Status::engine(kEngineError, sqlite3_errcode(dest), sqlite3_errmsg(dest));
            sqlite3_close(dest);
            return failed;
        }
        bool late = false;
        do {
            rc = sqlite3_backup_step(b, 1024);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(5);
            late = Clock::now() > deadline;
        } while (!late && (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED));
        sqlite3_backup_finish(b);
        const int destRc = sqlite3_errcode(dest);
        const std::string destText = sqlite3_errmsg(dest);
        sqlite3_close(dest);
        if (rc == SQLITE_DONE && (destRc == SQLITE_OK || destRc == SQLITE_DONE))
            return Status::success();
        if (rc != SQLITE_DONE && late)
            return Status::error(kFileLocked, "The backup did not finish within " + seconds +
                                                  " seconds and was given up");
        if (rc == SQLITE_DONE) return Status::engine(kEngineError, destRc, destText);
        return Status::engine(kEngineError, rc, sqlite3_errstr(rc));
    };
    s = copyOne("main", dataPath);
    if (s.ok()) s = copyOne(kUsersSchema, usersPath);
    endSnapshot();
    if (s.ok()) s = checkCopy(dataPath, dataCounts);
    if (s.ok()) s = checkCopy(usersPath, usersCounts);
    if (!s.ok()) removeTargets();
    return s;
}

}  // namespace tko::store
