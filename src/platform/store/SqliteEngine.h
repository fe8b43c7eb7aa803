// The embedded engine: the shared tables in "TKODATA.DB" and the users table in
// "USERS.DB" of one data directory, the second attached to the first so that a
// transaction covers both. Rollback-journal mode (no WAL), so the files work on
// a shared folder; several processes share them through SQLite's file locks.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/store/Engine.h"
#include "platform/store/SqlBuilder.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tko::store {

struct BusyWait;

struct SqliteOptions {
    bool create = false;        // create missing database files (the directory must exist)
    int busyTimeoutMs = 10000;  // wait for another station's lock outside transactions
    std::string dataName = "TKODATA.DB";
    std::string usersName = "USERS.DB";
    // The longest a backup may take, waiting for other stations included.
    // Kept below the stations' own lock time-out, so that their commits held
    // back by the copy never fail.
    int backupBudgetMs = 8000;
};

class SqliteEngine final : public Engine {
public:
    // Opens the data directory; on failure returns nullptr and sets `status`
    // (kFileNotFound for a missing directory or file, kInvalidRecordLayout for a
    // file that is not a database, kFileLocked when another process holds it).
    static std::unique_ptr<SqliteEngine> open(const std::string& directory,
                                              const SqliteOptions& options, Status& status);
    ~SqliteEngine() override;

    std::string engineName() const override { return "SQLite"; }
    Status createTables(const std::vector<const TableDef*>& tables) override;
    Status verifyTable(const TableDef& table, std::vector<std::string>& problems) override;
    Status verifyStorage(std::vector<std::string>& problems) override;
    Status rebuildKeys(const TableDef& table) override;
    // The names of every table in the two files, ours or not ("users." before
    // those of the users file).
    Status tableNames(std::vector<std::string>& names);
    Status read(const TableDef& table, const ReadRequest& request, std::vector<Row>& out) override;
    Status fetch(const TableDef& table, const KeyDef& key, const std::vector<Value>& keyValues,
                 Row& out) override;
    Status reread(const TableDef& table, std::int64_t pos, Row& out) override;
    Status count(const TableDef& table, const Filter& filter, std::int64_t& out) override;
    Status add(const TableDef& table, Row& row) override;
    Status change(const TableDef& table, Row& row) override;
    Status remove(const TableDef& table, std::int64_t pos) override;
    Status begin(const std::vector<std::string>& tables, int timeoutMs) override;
    Status commit() override;
    Status rollback() override;
    int transactionDepth() const override { return m_depth; }
    Status pack() override;
    // Copies both files from one read transaction into `dataPath` and
    // `usersPath` (the caller's temporary names; they are replaced), then
    // checks each copy (integrity and row counts). On failure neither is left.
    Status backup(const std::string& dataPath, const std::string& usersPath) override;

private:
    explicit SqliteEngine(sqlite3* db, SqliteOptions options);

    Status exec(const std::string& sql);
    Status prepare(const std::string& sql, sqlite3_stmt*& stmt);
    Status bind(sqlite3_stmt* stmt, const std::vector<Value>& params);
    Status failure(int rc);  // maps an SQLite result code onto a Status
    void decodeRow(const TableDef& table, sqlite3_stmt* stmt, bool withMemos, Row& row) const;
    Status readOne(const TableDef& table, const SqlQuery& query, Row& out);
    // Prepares (once) and binds `query`, then lets `step` run it.
    Status run(const SqlQuery& query, const std::function<Status(sqlite3_stmt*)>& step);
    void setBusyTimeout(int timeoutMs);

    sqlite3* m_db = nullptr;
    SqliteOptions m_options;
    SqlBuilder m_sql;
    std::map<std::string, sqlite3_stmt*> m_statements;  // prepared once per SQL text
    int m_depth = 0;
    std::unique_ptr<BusyWait> m_busyWait;
};

}  // namespace tko::store
