#include "platform/store/SqliteEngine.h"

#include <sqlite3.h>

#include <functional>

#include "platform/store/NameCollation.h"
#include "platform/store/SchemaCheck.h"
#include "platform/store/SqliteDetail.h"

namespace tko::store {
using namespace sqlitedetail;

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

// The page caches of addAll(), in KiB as cache_size takes them (negative):
// while the rows go in, and while the indexes are made anew after them.
constexpr int kAddCacheKb = -1048576;
constexpr int kIndexSortCacheKb = -2048;
// A text index gathers new entries in memory and writes them out as a
// segment whenever they outgrow its hash (1 MB by default); segments are
// merged level by level, so the more segments a fill writes, the more often
// each entry is written again: a fill's cost per row nearly doubled from
// 100 000 rows to 1 000 000 (6.3 to 12.2 us). A bulk fill gathers 64 MB at a
// time, then puts the usual size back.
constexpr int kTextFillHashBytes = 64 << 20;
constexpr int kTextHashBytes = 1 << 20;

}  // namespace

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
    // Collation names as the shared check expects them: SQLite's own ones
    // (BINARY, NOCASE, RTRIM) ignore letter case.
    auto collationName = [](const char* collation) -> std::string {
        if (!collation) return "BINARY";
        if (isNameCollation(collation)) return kNameCollation;
        std::string name = collation;
        for (char& c : name)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return name;
    };
    TableCatalogue catalogue;
    // Columns and their storage classes.
    {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = "PRAGMA " + schema + ".table_info(\"" + table.label + "\")";
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return failure(rc);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            const FieldDef* field = nullptr;
            if (const int f = table.fieldIndex(name); f >= 0)
                field = &table.fields[static_cast<size_t>(f)];
            catalogue.columns[name] = {
                reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)),
                field ? collationName(columnCollation(schema, table, *field).c_str()) : ""};
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) return failure(rc);
    }
    // Keys: unique flag from index_list, components from index_xinfo.
    if (!catalogue.columns.empty()) {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = "PRAGMA " + schema + ".index_list(\"" + table.label + "\")";
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return failure(rc);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            catalogue.indexes[reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))].unique =
                sqlite3_column_int(stmt, 2) != 0;
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) return failure(rc);
    }
    for (const KeyDef& key : table.keys) {
        auto it = catalogue.indexes.find(key.sqlName());
        if (it == catalogue.indexes.end()) continue;
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = "PRAGMA " + schema + ".index_xinfo(\"" + key.sqlName() + "\")";
        int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) return failure(rc);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (sqlite3_column_int(stmt, 5) == 0) continue;  // the implicit row id
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            it->second.components.push_back(
                {name ? name : "?", sqlite3_column_int(stmt, 3) != 0,
                 collationName(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 4)))});
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) return failure(rc);
    }
    static const CatalogueTerms kTerms{"INTEGER",      "INTEGER", "TEXT", "INTEGER",
                                       kNameCollation, "BINARY",  false};
    return checkTable(
        table, catalogue, kTerms,
        [&](const KeyDef& key, std::vector<std::string>& lines) {
            return keyCaseDuplicates(table, key, lines);
        },
        problems);
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
    return countMatching(table, nullptr, filter, out);
}

Status SqliteEngine::countAlong(const TableDef& table, const KeyDef& key, const Filter& filter,
                                std::int64_t& out) {
    return countMatching(table, &key, filter, out);
}

Status SqliteEngine::countByScan(const TableDef& table, const Filter& filter, std::int64_t& out) {
    return countMatching(table, nullptr, filter, out, true);
}

Status SqliteEngine::countMatching(const TableDef& table, const KeyDef* key, const Filter& filter,
                                   std::int64_t& out, bool scan) {
    return run(m_sql.countQuery(table, filter, key, scan), [&](sqlite3_stmt* stmt) {
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

Status SqliteEngine::addAll(const TableDef& table, const RowSource& next, std::int64_t expected) {
    const std::string schema = table.file == TableFile::Users ? kUsersSchema : "main";
    Status s = begin({table.label}, m_options.busyTimeoutMs);
    if (!s.ok()) return s;
    std::int64_t cacheSize = 0;  // the station's own, put back at the end
    {
        SqlQuery query;
        query.sql = "PRAGMA " + schema + ".cache_size";
        s = run(query, [&](sqlite3_stmt* stmt) {
            if (sqlite3_step(stmt) != SQLITE_ROW) return failure(sqlite3_errcode(m_db));
            cacheSize = sqlite3_column_int64(stmt, 0);
            return Status::success();
        });
    }
    // More new rows than present ones: the indexes are dropped and made anew
    // from their own definitions after the rows are in, which sorts each once
    // instead of placing every entry on its own. (The users file's one small
    // table keeps its indexes: their stored definitions lack its schema.)
    std::vector<std::string> keys;
    std::int64_t present = 0;
    if (s.ok() && expected >= 1000) s = count(table, all(), present);
    if (s.ok() && expected >= 1000 && expected > present && schema == "main") {
        SqlQuery query;
        query.sql = "SELECT name, sql FROM " + schema +
                    ".sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL";
        query.params = {table.label};
        std::vector<std::string> names;
        s = run(query, [&](sqlite3_stmt* stmt) {
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
                keys.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
            }
            return rc == SQLITE_DONE ? Status::success() : failure(rc);
        });
        for (size_t i = 0; s.ok() && i < names.size(); ++i)
            s = exec("DROP INDEX " + schema + ".\"" + names[i] + "\"");
    }
    // A large cache while the rows go in: into kept indexes every row puts an
    // entry at a place of its own, and a cache smaller than the indexes would
    // write out and read back pages every few rows; appended rows, too, go in
    // faster held in memory than spilled to the file a few pages at a time.
    if (s.ok()) s = exec("PRAGMA " + schema + ".cache_size = " + std::to_string(kAddCacheKb));
    // The word search's insert triggers would feed each row to its text
    // index on its own, a statement (and a flush of the index's pending
    // words) per row: they rest during the add, and the new rows go into
    // each text index with one statement after it.
    struct RestingTrigger {
        const TextIndexDef* index;
        std::string name, sql;
    };
    std::vector<RestingTrigger> textTriggers;
    std::int64_t lastRowId = 0;
    if (s.ok() && schema == "main") {
        for (const TextIndexDef& index : table.textIndexes) {
            SqlQuery query;
            query.sql = "SELECT sql FROM main.sqlite_master WHERE type = 'trigger' AND name = ?";
            query.params = {index.sqlName() + "_AI"};
            if (s.ok())
                s = run(query, [&](sqlite3_stmt* stmt) {
                    const int rc = sqlite3_step(stmt);
                    if (rc == SQLITE_ROW)
                        textTriggers.push_back(
                            {&index, index.sqlName() + "_AI",
                             reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))});
                    return rc == SQLITE_ROW || rc == SQLITE_DONE ? Status::success() : failure(rc);
                });
        }
        if (s.ok() && !textTriggers.empty()) {
            SqlQuery query;
            query.sql = "SELECT coalesce(max(" + m_sql.quoted(kRowIdColumn) + "), 0) FROM " +
                        m_sql.tableName(table);
            s = run(query, [&](sqlite3_stmt* stmt) {
                if (sqlite3_step(stmt) != SQLITE_ROW) return failure(sqlite3_errcode(m_db));
                lastRowId = sqlite3_column_int64(stmt, 0);
                return Status::success();
            });
        }
        for (size_t i = 0; s.ok() && i < textTriggers.size(); ++i)
            s = exec("DROP TRIGGER main.\"" + textTriggers[i].name + "\"");
    }
    Row row;
    while (s.ok()) {
        s = next(row);
        if (!s.ok()) break;
        if (const std::string problem = textProblem(table, row); !problem.empty()) {
            s = Status::error(kInvalidArgument, problem);
            break;
        }
        // OR FAIL: a refused row stops the add, which then undoes itself
        // whole, so no row needs a statement journal of its own (a copy of
        // every index page the row touches, taken before the row is written).
        SqlQuery insert = m_sql.insertQuery(table, row);
        const std::string plain = "INSERT INTO ";
        if (insert.sql.compare(0, plain.size(), plain) == 0)
            insert.sql.replace(0, plain.size(), "INSERT OR FAIL INTO ");
        s = run(insert, [&](sqlite3_stmt* stmt) {
            int rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW) rc = sqlite3_step(stmt);
            return rc == SQLITE_DONE ? Status::success() : failure(rc);
        });
    }
    if (s.endOfRange()) s = Status::success();
    // Making an index sorts its entries in runs as large as the page cache
    // and merges the runs. One run of a million entries spread over a large
    // cache misses the processor's cache at nearly every step, so the cost
    // per row grew with the count; runs of the small cache's size stay within
    // it, which keeps the cost per row flat (and lower at every size). The
    // pages of the new rows that the small cache cannot hold are written to
    // the data file under the transaction's journal as usual.
    if (s.ok() && !keys.empty())
        s = exec("PRAGMA " + schema + ".cache_size = " + std::to_string(kIndexSortCacheKb));
    for (size_t i = 0; s.ok() && i < keys.size(); ++i) s = exec(keys[i]);
    // Each index whose trigger rested gets the new rows, and its trigger back,
    // under the large cache again: a text index writes its entries in runs
    // of its own, and reads the new rows back from the table.
    if (s.ok() && !keys.empty() && !textTriggers.empty())
        s = exec("PRAGMA " + schema + ".cache_size = " + std::to_string(kAddCacheKb));
    for (const RestingTrigger& resting : textTriggers) {
        SqlQuery query;
        query.sql = m_sql.fillTextIndex(table, *resting.index) + " WHERE " +
                    m_sql.quoted(kRowIdColumn) + " > ?";
        query.params = {Value(lastRowId)};
        if (s.ok())
            s = fillInLargeRuns(*resting.index, [&] {
                return run(query, [&](sqlite3_stmt* stmt) {
                    const int rc = sqlite3_step(stmt);
                    return rc == SQLITE_DONE ? Status::success() : failure(rc);
                });
            });
        if (s.ok()) s = exec(resting.sql);
    }
    if (s.ok()) m_written.wrote(table.label);
    if (cacheSize != 0) exec("PRAGMA " + schema + ".cache_size = " + std::to_string(cacheSize));
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

Status SqliteEngine::fillInLargeRuns(const TextIndexDef& index,
                                     const std::function<Status()>& fill) {
    Status s = exec(m_sql.textIndexHashSize(index, kTextFillHashBytes));
    if (s.ok()) s = fill();
    if (s.ok()) s = exec(m_sql.textIndexHashSize(index, kTextHashBytes));
    return s;
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

std::string SqliteEngine::changeFile() const {
    const char* path = sqlite3_db_filename(m_db, "main");
    return path ? path : "";
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

namespace {}  // namespace

}  // namespace tko::store

namespace tko::store {

Status SqliteEngine::refreshTextIndexes(const std::vector<const TableDef*>& tables, bool rebuild,
                                        std::vector<std::string>& made) {
    made.clear();
    // The indexes to fill: the missing ones (their table exists), or all.
    std::vector<std::pair<const TableDef*, const TextIndexDef*>> wanted;
    for (const TableDef* table : tables) {
        if (table->file != TableFile::Data) continue;
        for (const TextIndexDef& index : table->textIndexes) {
            bool tableThere = false;
            bool indexThere = false;
            SqlQuery q;
            q.sql = "SELECT name FROM main.sqlite_master WHERE type = 'table' AND name IN (?, ?)";
            q.params = {table->label, index.sqlName()};
            Status s = run(q, [&](sqlite3_stmt* stmt) {
                int rc;
                while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
                    (name && table->label == name ? tableThere : indexThere) = true;
                }
                return rc == SQLITE_DONE ? Status::success() : failure(rc);
            });
            if (!s.ok()) return s;
            if (tableThere && (rebuild || !indexThere)) wanted.emplace_back(table, &index);
        }
    }
    if (wanted.empty()) return Status::success();
    Status s = begin({}, m_options.busyTimeoutMs);
    if (!s.ok()) return s;
    for (const auto& [table, index] : wanted) {
        for (const std::string& sql : m_sql.createTextIndex(*table, *index))
            if (s.ok()) s = exec(sql);
        if (s.ok())
            s = fillInLargeRuns(*index, [&, table = table, index = index] {
                Status filled;
                for (const std::string& sql : m_sql.rebuildTextIndex(*table, *index))
                    if (filled.ok()) filled = exec(sql);
                return filled;
            });
        if (s.ok()) made.push_back(index->label);
    }
    if (!s.ok()) {
        rollback();
        made.clear();
        return s;
    }
    return commit();
}

}  // namespace tko::store
