#include "platform/store/SqliteEngine.h"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "platform/store/CaseDuplicates.h"
#include "platform/store/NameCollation.h"

namespace tko::store {
namespace fs = std::filesystem;

// The wait for another station's lock: its limit and when the current wait began.
struct BusyWait {
    int timeoutMs = 0;
    std::chrono::steady_clock::time_point started;
};

namespace {

constexpr const char* kUsersSchema = "users";

}  // namespace

SqlDialect sqliteDialect() {
    SqlDialect d;
    d.numberedParams = false;
    d.usersSchema = kUsersSchema;
    d.textType = "TEXT";
    d.nameType = std::string("TEXT COLLATE ") + kNameCollation;
    d.bytewiseCollate = " COLLATE BINARY";
    d.idType = "INTEGER PRIMARY KEY";
    d.indexesNeedRowId = false;
    d.schemaOnIndexName = true;
    d.indexedBy = true;
    return d;
}

namespace {

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
    if (sqlite3_prepare_v2(db,
                           "SELECT name FROM main.sqlite_master WHERE type = 'table' AND name NOT "
                           "LIKE 'sqlite_%'",
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

bool isNameCollation(const char* collation) {
    return collation && sqlite3_stricmp(collation, kNameCollation) == 0;
}

// Whether the `n`th component of `key` is a text declared bytewise.
bool declaredBytewise(const TableDef& table, const KeyDef& key, size_t n) {
    if (n >= key.components.size()) return false;
    const KeyComponent& c = key.components[n];
    return c.bytewise && table.fields[static_cast<size_t>(c.field)].type == FieldType::String;
}

// Resets a prepared statement when the scope ends, so that no statement keeps
// a read lock on the files between calls.
struct StatementGuard {
    sqlite3_stmt* stmt;
    ~StatementGuard() {
        if (stmt) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    }
};

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

}  // namespace

// The name collation on one connection: SQLite calls back into the
// connection's own collator, which it deletes when the connection closes.
static int compareNamesCallback(void* collator, int lengthA, const void* a, int lengthB,
                                const void* b) {
    return static_cast<const NameCollator*>(collator)->compare(
        std::string_view(static_cast<const char*>(a), static_cast<size_t>(lengthA)),
        std::string_view(static_cast<const char*>(b), static_cast<size_t>(lengthB)));
}

static void deleteCollator(void* collator) {
    delete static_cast<NameCollator*>(collator);
}

int registerNameCollation(sqlite3* db) {
    std::unique_ptr<NameCollator> collator = NameCollator::create();
    if (!collator) return SQLITE_ERROR;
    const int rc = sqlite3_create_collation_v2(db, kNameCollation, SQLITE_UTF8, collator.get(),
                                               compareNamesCallback, deleteCollator);
    // On failure SQLite does not take the collator over; on success it owns it.
    if (rc == SQLITE_OK) static_cast<void>(collator.release());
    return rc;
}

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

void SqliteEngine::decodeRow(const TableDef& table, sqlite3_stmt* stmt, bool withMemos,
                             Row& row) const {
    row.pos = sqlite3_column_int64(stmt, 0);
    row.version = sqlite3_column_int64(stmt, 1);
    row.values.clear();
    row.values.reserve(table.fields.size());
    int column = 2;
    for (const FieldDef& f : table.fields) {
        if (f.type == FieldType::Memo && !withMemos) {
            row.values.emplace_back(std::string());
            continue;
        }
        switch (f.type) {
            case FieldType::String:
            case FieldType::Memo:
            case FieldType::ByteArray: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
                const int bytes = sqlite3_column_bytes(stmt, column);
                row.values.emplace_back(text ? std::string(text, static_cast<size_t>(bytes))
                                             : std::string());
                break;
            }
            default:
                row.values.emplace_back(std::int64_t{sqlite3_column_int64(stmt, column)});
                break;
        }
        ++column;
    }
}

Status SqliteEngine::createTables(const std::vector<const TableDef*>& tables) {
    Status s = begin({}, m_options.busyTimeoutMs);
    if (!s.ok()) return s;
    for (const TableDef* table : tables) {
        for (const std::string& sql : m_sql.createTable(*table)) {
            s = exec(sql);
            if (!s.ok()) {
                rollback();
                return s;
            }
        }
    }
    // The change counters come with the tables, so that the first commit of a
    // busy office does not change the schema under every other station.
    s = createCountersTable();
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

Status SqliteEngine::verifyTable(const TableDef& table, std::vector<std::string>& problems) {
    const std::string schema = table.file == TableFile::Users ? kUsersSchema : "main";
    // Columns and their storage classes.
    std::map<std::string, std::string> columns;
    {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = "PRAGMA " + schema + ".table_info(\"" + table.label + "\")";
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return failure(rc);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            columns[reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))] =
                reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) return failure(rc);
    }
    if (columns.empty()) {
        problems.push_back(table.label + ": table is missing");
        return Status::success();
    }
    for (const char* hidden : {kRowIdColumn, kVersionColumn})
        if (!columns.count(hidden))
            problems.push_back(table.label + ": column " + hidden + " is missing");
    for (const FieldDef& f : table.fields) {
        auto it = columns.find(f.name);
        if (it == columns.end()) {
            problems.push_back(table.label + ": column " + f.name + " is missing");
            continue;
        }
        const bool text = f.type == FieldType::String || f.type == FieldType::Memo ||
                          f.type == FieldType::ByteArray;
        if (it->second != (text ? "TEXT" : "INTEGER")) {
            problems.push_back(table.label + ": column " + f.name + " has type " + it->second);
            continue;
        }
        const std::string collation = columnCollation(schema, table, f);
        if (text && isNameCollation(collation.c_str()) != (f.type == FieldType::String))
            problems.push_back(table.label + ": column " + f.name + " has collation " + collation +
                               " instead of " +
                               (f.type == FieldType::String ? kNameCollation : "BINARY"));
    }
    // Keys: unique flag from index_list, components from index_xinfo.
    std::map<std::string, bool> indexes;
    {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = "PRAGMA " + schema + ".index_list(\"" + table.label + "\")";
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return failure(rc);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            indexes[reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))] =
                sqlite3_column_int(stmt, 2) != 0;
        sqlite3_finalize(stmt);
    }
    for (const KeyDef& key : table.keys) {
        auto it = indexes.find(key.sqlName());
        if (it == indexes.end()) {
            problems.push_back(table.label + ": key " + key.label + " is missing");
            continue;
        }
        if (it->second != key.unique)
            problems.push_back(table.label + ": key " + key.label +
                               (key.unique ? " is not unique" : " should allow duplicates"));
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = "PRAGMA " + schema + ".index_xinfo(\"" + key.sqlName() + "\")";
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return failure(rc);
        // A component declared bytewise reads "=NAME", as the key lists it;
        // found bytewise where the name collation is wanted, it makes the
        // note below instead.
        std::string expected, found;
        for (size_t i = 0; i < key.components.size(); ++i)
            expected += (declaredBytewise(table, key, i) ? "=" : "") +
                        table.fields[static_cast<size_t>(key.components[i].field)].name +
                        (key.components[i].descending ? " DESC," : ",");
        bool bytewiseText = false;
        for (size_t n = 0; (rc = sqlite3_step(stmt)) == SQLITE_ROW;) {
            if (sqlite3_column_int(stmt, 5) == 0) continue;  // the implicit row id
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            const int field = name ? table.fieldIndex(name) : -1;
            const auto* collation = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 4));
            const bool bytewise =
                field >= 0 && table.fields[static_cast<size_t>(field)].type == FieldType::String &&
                !isNameCollation(collation);
            const bool declared = declaredBytewise(table, key, n++);
            if (bytewise && !declared) bytewiseText = true;
            found += std::string(bytewise && declared ? "=" : "") + (name ? name : "?") +
                     (sqlite3_column_int(stmt, 3) ? " DESC," : ",");
        }
        sqlite3_finalize(stmt);
        if (found != expected) {
            problems.push_back(table.label + ": key " + key.label + " has components " + found +
                               " instead of " + expected);
        } else if (bytewiseText) {
            problems.push_back(table.label + ": key " + key.label +
                               " tells names apart by letter case");
            if (!key.unique) continue;
            std::vector<std::string> duplicates;
            Status s = keyCaseDuplicates(table, key, duplicates);
            if (!s.ok()) return s;
            for (const std::string& line : duplicates)
                problems.push_back(table.label + ": key " + key.label + ": " + line +
                                   " differ only in letter case; rename all but one");
        }
    }
    return Status::success();
}

std::string SqliteEngine::columnCollation(const std::string& schema, const TableDef& table,
                                          const FieldDef& field) {
    const char* collation = nullptr;
    const int rc =
        sqlite3_table_column_metadata(m_db, schema.c_str(), table.label.c_str(), field.name.c_str(),
                                      nullptr, &collation, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK && collation ? collation : "BINARY";
}

Status SqliteEngine::keyOrder(const std::string& schema, const TableDef& table, const KeyDef& key,
                              bool& exists, bool& misordered) {
    exists = false;
    misordered = false;
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "PRAGMA " + schema + ".index_xinfo(\"" + key.sqlName() + "\")";
    int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return failure(rc);
    for (size_t n = 0; (rc = sqlite3_step(stmt)) == SQLITE_ROW;) {
        exists = true;
        if (sqlite3_column_int(stmt, 5) == 0) continue;
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
        const int field = name ? table.fieldIndex(name) : -1;
        const bool declared = declaredBytewise(table, key, n++);
        if (field >= 0 && table.fields[static_cast<size_t>(field)].type == FieldType::String &&
            isNameCollation(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 4))) ==
                declared)
            misordered = true;
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? Status::success() : failure(rc);
}

Status SqliteEngine::keyCaseDuplicates(const TableDef& table, const KeyDef& key,
                                       std::vector<std::string>& out) {
    out.clear();
    std::vector<std::vector<Value>> values;
    const Status s = run(keyValuesInNameOrder(m_sql, table, key), [&](sqlite3_stmt* stmt) {
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            std::vector<Value> row;
            for (size_t i = 0; i < key.components.size(); ++i) {
                const FieldType type =
                    table.fields[static_cast<size_t>(key.components[i].field)].type;
                const int column = static_cast<int>(i);
                if (type == FieldType::String || type == FieldType::Memo ||
                    type == FieldType::ByteArray) {
                    const auto* text =
                        reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
                    row.emplace_back(text ? std::string(text) : std::string());
                } else {
                    row.emplace_back(std::int64_t{sqlite3_column_int64(stmt, column)});
                }
            }
            values.push_back(std::move(row));
        }
        return rc == SQLITE_DONE ? Status::success() : failure(rc);
    });
    if (s.ok()) out = caseDuplicates(values);
    return s;
}

Status SqliteEngine::planNameCollation(
    const std::vector<const TableDef*>& tables, std::vector<const TableDef*>& rebuild,
    std::vector<std::pair<const TableDef*, const KeyDef*>>& rekey) {
    rebuild.clear();
    rekey.clear();
    for (const TableDef* table : tables) {
        const std::string schema = table->file == TableFile::Users ? kUsersSchema : "main";
        bool present = false, bytewiseColumn = false;
        for (const FieldDef& f : table->fields) {
            const char* collation = nullptr;
            if (sqlite3_table_column_metadata(m_db, schema.c_str(), table->label.c_str(),
                                              f.name.c_str(), nullptr, &collation, nullptr, nullptr,
                                              nullptr) != SQLITE_OK)
                continue;  // a missing table or column is not this function's business
            present = true;
            if (f.type == FieldType::String && !isNameCollation(collation)) bytewiseColumn = true;
        }
        if (!present) continue;
        if (bytewiseColumn) {
            rebuild.push_back(table);
            continue;
        }
        for (const KeyDef& key : table->keys) {
            bool exists = false, misordered = false;
            Status s = keyOrder(schema, *table, key, exists, misordered);
            if (!s.ok()) return s;
            if (!exists || !misordered) continue;
            if (key.unique) {
                std::vector<std::string> duplicates;
                s = keyCaseDuplicates(*table, key, duplicates);
                if (!s.ok()) return s;
                if (!duplicates.empty()) continue;  // kept as it is until they are renamed
            }
            rekey.emplace_back(table, &key);
        }
    }
    return Status::success();
}

Status SqliteEngine::createKey(const TableDef& table, const KeyDef& key) {
    bool bytewise = false;
    if (key.unique && hasTextComponent(table, key)) {
        std::vector<std::string> duplicates;
        Status s = keyCaseDuplicates(table, key, duplicates);
        if (!s.ok()) return s;
        bytewise = !duplicates.empty();
    }
    return exec(m_sql.createIndex(table, key, bytewise));
}

Status SqliteEngine::adoptNameCollation(const std::vector<const TableDef*>& tables) {
    std::vector<const TableDef*> rebuild;
    std::vector<std::pair<const TableDef*, const KeyDef*>> rekey;
    Status s = planNameCollation(tables, rebuild, rekey);
    if (!s.ok() || (rebuild.empty() && rekey.empty())) return s;
    // Plan again under the write lock: another station may have done it meanwhile.
    s = begin({}, m_options.busyTimeoutMs);
    if (!s.ok()) return s;
    s = planNameCollation(tables, rebuild, rekey);
    // A column's collation is part of the table's definition: the table is made
    // anew with the collated columns and its rows copied over, row ids included.
    for (const TableDef* table : rebuild) {
        if (!s.ok()) break;
        const std::string schema = table->file == TableFile::Users ? kUsersSchema : "main";
        const std::string fresh = schema + ".\"tko_collated\"";
        const std::string columns = m_sql.columnList(*table, true);
        s = exec("DROP TABLE IF EXISTS " + fresh);
        if (s.ok()) s = exec("CREATE TABLE " + fresh + " " + m_sql.columnDefinitions(*table));
        if (s.ok())
            s = exec("INSERT INTO " + fresh + " (" + columns + ") SELECT " + columns + " FROM " +
                     m_sql.tableName(*table));
        if (s.ok()) s = exec("DROP TABLE " + m_sql.tableName(*table));
        if (s.ok()) s = exec("ALTER TABLE " + fresh + " RENAME TO " + m_sql.quoted(table->label));
        for (const KeyDef& key : table->keys)
            if (s.ok()) s = createKey(*table, key);
    }
    for (const auto& [table, key] : rekey) {
        if (!s.ok()) break;
        const std::string schema = table->file == TableFile::Users ? kUsersSchema : "main";
        s = exec("DROP INDEX " + schema + "." + m_sql.quoted(key->sqlName()));
        if (s.ok()) s = createKey(*table, *key);
    }
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

Status SqliteEngine::rebuildKeys(const TableDef& table) {
    const std::string schema = table.file == TableFile::Users ? kUsersSchema : "main";
    Status s = begin({}, m_options.busyTimeoutMs);
    if (!s.ok()) return s;
    for (const KeyDef& key : table.keys) {
        s = exec("DROP INDEX IF EXISTS \"" + schema + "\".\"" + key.sqlName() + "\"");
        if (!s.ok()) break;
    }
    // Made as on opening: in the name order, or bytewise while a unique key
    // still holds names that differ only in letter case.
    for (const KeyDef& key : table.keys) {
        if (s.ok()) s = createKey(table, key);
    }
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

Status SqliteEngine::tableNames(std::vector<std::string>& names) {
    for (const char* schema : {"main", kUsersSchema}) {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = std::string("SELECT name FROM \"") + schema +
                                "\".sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'";
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return failure(rc);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            names.push_back(
                (schema == std::string("main") ? "" : "users.") +
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) return failure(rc);
    }
    return Status::success();
}

Status SqliteEngine::verifyStorage(std::vector<std::string>& problems) {
    for (const char* schema : {"main", kUsersSchema}) {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = std::string("PRAGMA ") + schema + ".quick_check";
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return failure(rc);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const std::string line = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            if (line != "ok")
                problems.push_back(std::string(schema == std::string("main")
                                                   ? m_options.dataName
                                                   : m_options.usersName) +
                                   ": " + line);
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) return failure(rc);
    }
    return Status::success();
}

Status SqliteEngine::read(const TableDef& table, const ReadRequest& request,
                          std::vector<Row>& out) {
    // A page read in several queries reads one state of the file: outside a
    // transaction each query would take and drop its own shared lock, and a
    // station committing in between could move a row from a range not read
    // yet into one already read, so that the page missed it (or showed it
    // twice). The read transaction holds one shared lock for the whole page.
    bool first = true, hold = false;
    Status s = m_sql.readPage(table, request, out, [&](const SqlQuery& query) {
        if (first) {
            first = false;
            hold = query.mayContinue && m_depth == 0 && sqlite3_get_autocommit(m_db) != 0;
            if (hold) {
                const Status begun = runToEnd("BEGIN");
                if (!begun.ok()) {
                    hold = false;
                    return begun;
                }
            }
        }
        return run(query, [&](sqlite3_stmt* stmt) {
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                out.emplace_back();
                decodeRow(table, stmt, request.withMemos, out.back());
            }
            return rc == SQLITE_DONE ? Status::success() : failure(rc);
        });
    });
    // The transaction only read: ending it releases the lock.
    if (hold && !runToEnd("COMMIT").ok()) exec("ROLLBACK");
    return s;
}

Status SqliteEngine::runToEnd(const std::string& sql) {
    SqlQuery query;
    query.sql = sql;
    return run(query, [&](sqlite3_stmt* stmt) {
        const int rc = sqlite3_step(stmt);
        return rc == SQLITE_DONE ? Status::success() : failure(rc);
    });
}

Status SqliteEngine::run(const SqlQuery& query, const std::function<Status(sqlite3_stmt*)>& step) {
    sqlite3_stmt* stmt = nullptr;
    Status s = prepare(query.sql, stmt);
    if (!s.ok()) return s;
    StatementGuard guard{stmt};
    s = bind(stmt, query.params);
    if (!s.ok()) return s;
    s = step(stmt);
    m_vmSteps += sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_VM_STEP, 1);
    return s;
}

Status SqliteEngine::readOne(const TableDef& table, const SqlQuery& query, Row& out) {
    return run(query, [&](sqlite3_stmt* stmt) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            decodeRow(table, stmt, true, out);
            return Status::success();
        }
        return rc == SQLITE_DONE ? Status::error(kRecordNotFound) : failure(rc);
    });
}

Status SqliteEngine::fetch(const TableDef& table, const KeyDef& key,
                           const std::vector<Value>& keyValues, Row& out) {
    return readOne(table, m_sql.fetchQuery(table, key, keyValues), out);
}

Status SqliteEngine::reread(const TableDef& table, std::int64_t pos, Row& out) {
    return readOne(table, m_sql.rereadQuery(table, pos), out);
}

Status SqliteEngine::count(const TableDef& table, const Filter& filter, std::int64_t& out) {
    return run(m_sql.countQuery(table, filter), [&](sqlite3_stmt* stmt) {
        const int rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW) return failure(rc);
        out = sqlite3_column_int64(stmt, 0);
        return Status::success();
    });
}

Status SqliteEngine::add(const TableDef& table, Row& row) {
    if (const std::string problem = textProblem(table, row); !problem.empty())
        return Status::error(kInvalidArgument, problem);
    const SqlQuery query = m_sql.insertQuery(table, row);
    return written(table, [&] {
        return run(query, [&](sqlite3_stmt* stmt) {
            int rc = sqlite3_step(stmt);
            if (rc != SQLITE_ROW) return failure(rc);
            row.pos = sqlite3_column_int64(stmt, 0);
            rc = sqlite3_step(stmt);
            if (rc != SQLITE_DONE) return failure(rc);
            row.version = 1;
            row.values = query.params;  // the stored, normalised values
            return Status::success();
        });
    });
}

Status SqliteEngine::change(const TableDef& table, Row& row) {
    if (const std::string problem = textProblem(table, row); !problem.empty())
        return Status::error(kInvalidArgument, problem);
    const SqlQuery query = m_sql.updateQuery(table, row);
    return written(table, [&] {
        return run(query, [&](sqlite3_stmt* stmt) {
            const int rc = sqlite3_step(stmt);
            if (rc != SQLITE_DONE) return failure(rc);
            if (sqlite3_changes(m_db) == 0) return Status::error(kChangedByOther);
            row.version += 1;
            row.values.assign(query.params.begin(),
                              query.params.begin() + static_cast<long>(table.fields.size()));
            return Status::success();
        });
    });
}

Status SqliteEngine::remove(const TableDef& table, std::int64_t pos) {
    return written(table, [&] {
        return run(m_sql.deleteQuery(table, pos), [&](sqlite3_stmt* stmt) {
            const int rc = sqlite3_step(stmt);
            if (rc != SQLITE_DONE) return failure(rc);
            return sqlite3_changes(m_db) == 0 ? Status::error(kRecordNotFound) : Status::success();
        });
    });
}

Status SqliteEngine::begin(const std::vector<std::string>& /*tables*/, int timeoutMs) {
    // SQLite locks whole files, so the table list only documents intent here.
    if (m_depth > 0) {
        Status s = exec("SAVEPOINT tko_" + std::to_string(m_depth));
        if (s.ok()) {
            ++m_depth;
            m_written.open();
        }
        return s;
    }
    setBusyTimeout(timeoutMs);
    Status s = exec("BEGIN IMMEDIATE");
    setBusyTimeout(m_options.busyTimeoutMs);
    if (s.ok()) {
        m_depth = 1;
        m_written.clear();
        m_written.open();
    }
    return s;
}

Status SqliteEngine::commit() {
    if (m_depth == 0) return Status::error(kTransactionError, "No transaction is active");
    if (m_depth > 1) {
        Status s = exec("RELEASE tko_" + std::to_string(m_depth - 1));
        if (s.ok()) {
            --m_depth;
            m_written.release();
        }
        return s;
    }
    // The counters move inside the transaction, so they are written exactly
    // when its rows are.
    const ChangeNotice notice = m_written.outermost();
    Status s = raiseCounters(notice);
    if (s.ok()) s = exec("COMMIT");
    m_written.clear();
    if (!s.ok()) {
        exec("ROLLBACK");
        m_depth = 0;
        m_countersTable = false;  // its creation may have been undone: look again
        return s;
    }
    m_depth = 0;
    committed(notice);
    return s;
}

Status SqliteEngine::rollback() {
    if (m_depth == 0) return Status::error(kTransactionError, "No transaction is active");
    if (m_depth > 1) {
        const std::string name = "tko_" + std::to_string(m_depth - 1);
        Status s = exec("ROLLBACK TO " + name);
        exec("RELEASE " + name);
        --m_depth;
        m_written.discard();
        return s;
    }
    Status s = exec("ROLLBACK");
    m_depth = 0;
    m_written.clear();
    m_countersTable = false;  // its creation may have been undone: look again
    return s;
}

Status SqliteEngine::written(const TableDef& table, const std::function<Status()>& write) {
    const bool own = m_depth == 0;
    if (own) {
        Status s = begin({table.label}, m_options.busyTimeoutMs);
        if (!s.ok()) return s;
    }
    Status s = write();
    if (s.ok()) m_written.wrote(table.label);
    if (!own) return s;
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

Status SqliteEngine::readDataVersion(std::int64_t& out) {
    SqlQuery query;
    query.sql = "PRAGMA main.data_version";
    return run(query, [&](sqlite3_stmt* stmt) {
        const int rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW) return failure(rc);
        out = sqlite3_column_int64(stmt, 0);
        return Status::success();
    });
}

Status SqliteEngine::readCounters(std::map<std::string, std::int64_t>& out) {
    out.clear();
    if (!m_countersTable) {
        // Not prepared before it exists: a cached statement would fail for ever.
        bool exists = false;
        SqlQuery probe;
        probe.sql =
            "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = 'TKO_CHANGES'";
        Status s = run(probe, [&](sqlite3_stmt* stmt) {
            const int rc = sqlite3_step(stmt);
            if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failure(rc);
            exists = rc == SQLITE_ROW;
            return Status::success();
        });
        if (!s.ok() || !exists) return s;
        m_countersTable = true;
    }
    SqlQuery query;
    query.sql = "SELECT TABLENAME, SERIAL FROM main.TKO_CHANGES";
    return run(query, [&](sqlite3_stmt* stmt) {
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            out[name ? name : ""] = sqlite3_column_int64(stmt, 1);
        }
        return rc == SQLITE_DONE ? Status::success() : failure(rc);
    });
}

Status SqliteEngine::compareCounters(ChangeNotice& out) {
    std::map<std::string, std::int64_t> now;
    Status s = readCounters(now);
    if (!s.ok()) return s;
    if (m_baseline) {
        for (const auto& [table, serial] : now) {
            auto it = m_counters.find(table);
            if (it == m_counters.end() || it->second != serial) out.tables.insert(table);
        }
    }
    m_counters = std::move(now);
    return Status::success();
}

Status SqliteEngine::createCountersTable() {
    Status s = exec(
        "CREATE TABLE IF NOT EXISTS main.TKO_CHANGES "
        "(TABLENAME TEXT PRIMARY KEY, SERIAL INTEGER NOT NULL) WITHOUT ROWID");
    if (s.ok()) m_countersTable = true;
    return s;
}

Status SqliteEngine::raiseCounters(const ChangeNotice& notice) {
    if (notice.tables.empty()) return Status::success();
    if (!m_countersTable) {
        Status s = createCountersTable();
        if (!s.ok()) return s;
    }
    // What other stations committed since the last look is picked up first
    // (this transaction holds the write lock, so the counters stand still),
    // so that raising ours does not hide theirs.
    Status s = compareCounters(m_pending);
    if (!s.ok()) return s;
    for (const std::string& table : notice.tables) {
        SqlQuery query;
        query.sql =
            "INSERT INTO main.TKO_CHANGES (TABLENAME, SERIAL) VALUES (?, 1) "
            "ON CONFLICT (TABLENAME) DO UPDATE SET SERIAL = SERIAL + 1";
        query.params.emplace_back(table);
        s = run(query, [&](sqlite3_stmt* stmt) {
            const int rc = sqlite3_step(stmt);
            return rc == SQLITE_DONE ? Status::success() : failure(rc);
        });
        if (!s.ok()) return s;
        m_counters[table] += 1;
    }
    if (!m_baseline) {
        s = readDataVersion(m_dataVersion);
        if (!s.ok()) return s;
        m_baseline = true;
    }
    return Status::success();
}

Status SqliteEngine::takeChanges(ChangeNotice& out) {
    if (m_depth > 0) return Status::success();
    out.merge(m_pending);
    m_pending = {};
    std::int64_t version = 0;
    Status s = readDataVersion(version);
    if (!s.ok()) return s;
    if (m_baseline && version == m_dataVersion) return Status::success();
    s = compareCounters(out);
    if (!s.ok()) return s;
    m_dataVersion = version;
    m_baseline = true;
    return Status::success();
}

Status SqliteEngine::pack() {
    if (m_depth > 0) return Status::error(kTransactionError, "Cannot pack inside a transaction");
    Status s = exec("VACUUM main");
    if (s.ok()) s = exec("VACUUM users");
    return s;
}

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
