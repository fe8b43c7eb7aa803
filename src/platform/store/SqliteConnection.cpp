// The embedded engine's connection: opening the data file with the users
// file attached, waiting for other stations' locks, preparing and binding
// statements and mapping SQLite's errors onto store codes.
#include "platform/store/SqliteEngine.h"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "platform/store/NameCollation.h"
#include "platform/store/SqliteDetail.h"

namespace tko::store {
using namespace sqlitedetail;

namespace fs = std::filesystem;

// The wait for another station's lock: its limit and when the current wait began.
struct BusyWait {
    int timeoutMs = 0;
    std::chrono::steady_clock::time_point started;
};

namespace sqlitedetail {

Status mapOpenError(sqlite3* db, int rc, const std::string& path) {
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    switch (rc & 0xff) {
        case SQLITE_CANTOPEN:
            return Status::error(kFileNotFound, "File Not Found: " + path);
        case SQLITE_NOTADB:
            return Status::error(kInvalidRecordLayout, path + " is not a TASKORBIT data file");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Status::error(kFileLocked, path + " is locked by another process");
        case SQLITE_PERM:
        case SQLITE_READONLY:
            return Status::error(kAccessDenied, "Access Denied: " + path);
        default:
            return Status::engine(kEngineError, rc, message);
    }
}

}  // namespace sqlitedetail

namespace {

constexpr int kSubJournalMemory = 64 << 20;  // bytes

// How long and how often a station waits for another station's lock. SQLite's
// own busy wait sleeps up to 100 ms at a time, so a station that writes back
// to back keeps the lock while the others sleep; short jittered waits give
// every waiting station its turn.
int shortBusyWait(void* arg, int attempt) {
    auto* wait = static_cast<BusyWait*>(arg);
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0) wait->started = now;
    if (now - wait->started >= std::chrono::milliseconds(wait->timeoutMs)) return 0;
    thread_local std::minstd_rand jitter(std::random_device{}());
    std::this_thread::sleep_for(std::chrono::microseconds(500 + jitter() % 1500));
    return 1;
}

// Switches a database to the rollback journal only when it is not in that mode
// already: changing the mode needs a lock that other stations may hold.
int ensureRollbackJournal(sqlite3* db, const char* schema) {
    sqlite3_stmt* stmt = nullptr;
    const std::string query = std::string("PRAGMA ") + schema + ".journal_mode";
    int rc = sqlite3_prepare_v2(db, query.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_step(stmt);
    const std::string mode = rc == SQLITE_ROW
                                 ? reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))
                                 : std::string();
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW) return rc;
    if (mode == "delete") return SQLITE_OK;
    return sqlite3_exec(db, (query + "=DELETE").c_str(), nullptr, nullptr, nullptr);
}

// The first column of the first row `sql` yields (with `text` bound to its
// parameter, if it has one), as a number; `fallback` when it yields none.
std::int64_t firstNumber(sqlite3* db, const std::string& sql, std::int64_t fallback,
                         const std::string& text = {}) {
    sqlite3_stmt* stmt = nullptr;
    std::int64_t value = fallback;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        (sqlite3_bind_parameter_count(stmt) == 0 ||
         sqlite3_bind_text(stmt, 1, text.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK) &&
        sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

// Gives SQLite's planner the shape of the data file's larger tables: how many
// rows each index holds per leading value. With it a page whose filter bounds
// a key's second column (due after today, along person then due date) seeks
// each person's rows from that bound (a skip-scan) instead of reading every
// person's earlier rows. Each index is measured on a sample (analysis_limit),
// which takes milliseconds on a million rows, and again once a table has grown
// or shrunk fourfold since. Best effort: when another station holds the file
// or it is read-only, the station reads on with the statistics it has.
void refreshPlannerStatistics(sqlite3* db) {
    constexpr std::int64_t kFewestRows = 5000;  // smaller tables read fast anyway
    constexpr std::int64_t kChange = 4;
    const bool analysed =
        firstNumber(db, "SELECT count(*) FROM main.sqlite_master WHERE name = 'sqlite_stat1'", 0) >
        0;
    std::vector<std::string> tables;
    sqlite3_stmt* stmt = nullptr;
    // Ordinary tables only: the text indexes' FTS5 tables and their shadow
    // tables (type "virtual" and "shadow") have no indexes to measure.
    if (sqlite3_prepare_v2(db,
                           "SELECT name FROM pragma_table_list WHERE schema = 'main' AND type = "
                           "'table' AND name NOT LIKE 'sqlite_%'",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    std::vector<std::string> stale;
    for (const std::string& table : tables) {
        std::string quotedName = "\"";
        for (char c : table) quotedName += c == '"' ? std::string("\"\"") : std::string(1, c);
        quotedName += '"';
        // The largest row number: the row count, near enough, at one seek.
        const std::int64_t rows = firstNumber(db, "SELECT max(rowid) FROM main." + quotedName, 0);
        if (rows < kFewestRows) continue;
        const std::int64_t measured =
            analysed ? firstNumber(db,
                                   "SELECT CAST(stat AS INTEGER) FROM main.sqlite_stat1 WHERE "
                                   "tbl = ? AND idx IS NOT NULL LIMIT 1",
                                   0, table)
                     : 0;
        if (measured <= 0 || rows >= measured * kChange || rows * kChange <= measured)
            stale.push_back(quotedName);
    }
    if (stale.empty()) return;
    sqlite3_exec(db, "PRAGMA analysis_limit = 400", nullptr, nullptr, nullptr);
    for (const std::string& table : stale)
        sqlite3_exec(db, ("ANALYZE main." + table).c_str(), nullptr, nullptr, nullptr);
}

}  // namespace

std::unique_ptr<SqliteEngine> SqliteEngine::open(const std::string& directory,
                                                 const SqliteOptions& options, Status& status) {
    std::error_code ec;
    if (directory.empty() || !fs::is_directory(directory, ec)) {
        status = Status::error(kFileNotFound, "Data directory not found: " + directory);
        return nullptr;
    }
    const std::string dataPath = (fs::path(directory) / options.dataName).string();
    const std::string usersPath = (fs::path(directory) / options.usersName).string();
    if (!options.create) {
        for (const std::string& path : {dataPath, usersPath}) {
            if (!fs::exists(path, ec)) {
                status = Status::error(kFileNotFound, "File Not Found: " + path);
                return nullptr;
            }
        }
    }

    // A savepoint keeps the pages it changes in a sub-journal, in memory up
    // to this size before it goes to a temporary file: a bulk add inside a
    // caller's transaction (Engine::addAll()) changes thousands of index
    // pages, and each written out and read back costs more than the add.
    // Process-wide, so set before the library's first use (else it stays).
    static std::once_flag spill;
    std::call_once(spill, [] { sqlite3_config(SQLITE_CONFIG_STMTJRNL_SPILL, kSubJournalMemory); });
    sqlite3* db = nullptr;
    const int flags =
        SQLITE_OPEN_READWRITE | (options.create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(dataPath.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        status = mapOpenError(db, rc, dataPath);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    // Every statement that touches a text key needs the name collation.
    rc = registerNameCollation(db);
    if (rc != SQLITE_OK) {
        status = Status::engine(
            kEngineError, rc,
            "The name collation (ICU " + std::string(kNameCollationLocale) + ") is not available");
        sqlite3_close(db);
        return nullptr;
    }

    std::unique_ptr<SqliteEngine> engine(new SqliteEngine(db, options));
    engine->setBusyTimeout(options.busyTimeoutMs);
    // Touch the file: this is where "not a database" and "locked" show.
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        status = mapOpenError(db, rc, dataPath);
        return nullptr;
    }
    // A page cache of up to 64 MB: list pages that filter along a key visit
    // thousands of rows, and a warm cache keeps that at memory speed.
    sqlite3_exec(db, "PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
    // Rollback journal, never WAL: WAL needs shared memory a network share lacks.
    rc = ensureRollbackJournal(db, "main");
    if (rc != SQLITE_OK) {
        status = mapOpenError(db, rc, dataPath);
        return nullptr;
    }

    sqlite3_stmt* attach = nullptr;
    sqlite3_prepare_v2(db, "ATTACH DATABASE ? AS users", -1, &attach, nullptr);
    sqlite3_bind_text(attach, 1, usersPath.c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(attach);
    sqlite3_finalize(attach);
    if (rc != SQLITE_DONE) {
        status = mapOpenError(db, rc, usersPath);
        return nullptr;
    }
    rc = sqlite3_exec(db, "SELECT count(*) FROM users.sqlite_master", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA users.cache_size=-8192", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = ensureRollbackJournal(db, "users");
    if (rc != SQLITE_OK) {
        status = mapOpenError(db, rc, usersPath);
        return nullptr;
    }
    // Without waiting for another station's lock (see refreshPlannerStatistics()).
    sqlite3_busy_handler(db, nullptr, nullptr);
    refreshPlannerStatistics(db);
    engine->setBusyTimeout(options.busyTimeoutMs);
    status = Status::success();
    return engine;
}

SqliteEngine::SqliteEngine(sqlite3* db, SqliteOptions options)
    : m_db(db),
      m_options(std::move(options)),
      m_sql(sqliteDialect()),
      m_busyWait(std::make_unique<BusyWait>()) {}

void SqliteEngine::setBusyTimeout(int timeoutMs) {
    m_busyWait->timeoutMs = timeoutMs;
    sqlite3_busy_handler(m_db, shortBusyWait, m_busyWait.get());
}

SqliteEngine::~SqliteEngine() {
    for (auto& [sql, stmt] : m_statements) sqlite3_finalize(stmt);
    if (m_depth > 0) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}

Status SqliteEngine::failure(int rc) {
    const std::string message = sqlite3_errmsg(m_db);
    switch (rc & 0xff) {
        case SQLITE_CONSTRAINT:
            if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
                Status s = Status::error(kDuplicateKey);
                s.engineCode = rc;
                s.engineText = message;
                return s;
            }
            return Status::engine(kEngineError, rc, message);
        case SQLITE_BUSY:
        case SQLITE_LOCKED: {
            Status s = Status::error(kFileLocked);
            s.engineCode = rc;
            s.engineText = message;
            return s;
        }
        case SQLITE_NOTADB:
            return Status::engine(kInvalidRecordLayout, rc, message);
        case SQLITE_CORRUPT:
            return Status::engine(kInvalidKeyFile, rc, message);
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return Status::engine(kAccessDenied, rc, message);
        case SQLITE_FULL:
            return Status::engine(kEngineError, rc, message, kDiskFullText);
        default:
            return Status::engine(kEngineError, rc, message);
    }
}

Status SqliteEngine::exec(const std::string& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
    sqlite3_free(error);
    return rc == SQLITE_OK ? Status::success() : failure(rc);
}

Status SqliteEngine::prepare(const std::string& sql, sqlite3_stmt*& stmt) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) {
        stmt = it->second;
        return Status::success();
    }
    const int rc =
        sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) return failure(rc);
    m_statements.emplace(sql, stmt);
    return Status::success();
}

Status SqliteEngine::bind(sqlite3_stmt* stmt, const std::vector<Value>& params) {
    for (size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        int rc;
        if (const auto* n = std::get_if<std::int64_t>(&params[i]))
            rc = sqlite3_bind_int64(stmt, index, *n);
        else {
            const std::string& s = std::get<std::string>(params[i]);
            rc = sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()),
                                   SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) return failure(rc);
    }
    return Status::success();
}

}  // namespace tko::store
