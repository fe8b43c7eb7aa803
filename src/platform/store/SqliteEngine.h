// The embedded engine: the shared tables in "TKODATA.DB" and the users table in
// "USERS.DB" of one data directory, the second attached to the first so that a
// transaction covers both. Rollback-journal mode (no WAL), so the files work on
// a shared folder; several processes share them through SQLite's file locks.
//
// Change notices: every commit that wrote tables also raises, in the same
// transaction, one counter per written table in the small table TKO_CHANGES
// (created by the first such commit). takeChanges() first asks SQLite whether
// any other connection changed the data file at all (PRAGMA data_version, a
// read of the file header) and only then reads the counters and compares them
// with the ones it saw last. Writes outside a transaction run in one of their
// own so that the counter moves with the row.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/store/Engine.h"
#include "platform/store/SqlBuilder.h"
#include "platform/store/WrittenTables.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tko::store {

// Registers the name collation (ICU, letter case ignored) on a connection that
// did not come from SqliteEngine::open, so that it can read and check the
// keys of this program's files. Returns SQLite's result code.
int registerNameCollation(sqlite3* db);

// The SQL this engine speaks (what its page reads are built with).
SqlDialect sqliteDialect();

struct BusyWait;

struct SqliteOptions {
    bool create = false;        // create missing database files (the directory must exist)
    int busyTimeoutMs = 10000;  // wait for another station's lock outside transactions
    std::string dataName = "TKODATA.DB";
    std::string usersName = "USERS.DB";
    // The longest the backup waits for other stations' locks before one of
    // its steps; the copy itself takes as long as the files need.
    int backupBudgetMs = 8000;
    // How long one slice of the backup's first pass holds its read lock (at
    // least one 64 KiB chunk is copied per slice).
    int backupSliceMs = 100;
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
    std::size_t mostRangesPerRead() const override { return m_sql.dialect().mostArms; }
    Status createTables(const std::vector<const TableDef*>& tables) override;
    Status verifyTable(const TableDef& table, std::vector<std::string>& problems) override;
    Status verifyStorage(std::vector<std::string>& problems) override;
    Status adoptNameCollation(const std::vector<const TableDef*>& tables) override;
    Status refreshTextIndexes(const std::vector<const TableDef*>& tables, bool rebuild,
                              std::vector<std::string>& made) override;
    Status rebuildKeys(const TableDef& table) override;
    // The names of every table in the two files, ours or not ("users." before
    // those of the users file).
    Status tableNames(std::vector<std::string>& names);
    Status read(const TableDef& table, const ReadRequest& request, std::vector<Row>& out) override;
    Status fetch(const TableDef& table, const KeyDef& key, const std::vector<Value>& keyValues,
                 Row& out) override;
    Status reread(const TableDef& table, std::int64_t pos, Row& out) override;
    Status count(const TableDef& table, const Filter& filter, std::int64_t& out) override;
    Status countByScan(const TableDef& table, const Filter& filter, std::int64_t& out) override;
    Status countAlong(const TableDef& table, const KeyDef& key, const Filter& filter,
                      std::int64_t& out) override;
    Status add(const TableDef& table, Row& row) override;
    // One prepared insert for every row, a large page cache meanwhile, and
    // for more new rows than present ones the indexes made anew at the end.
    Status addAll(const TableDef& table, const RowSource& next, std::int64_t expected) override;
    Status change(const TableDef& table, Row& row) override;
    Status remove(const TableDef& table, std::int64_t pos) override;
    Status begin(const std::vector<std::string>& tables, int timeoutMs) override;
    Status commit() override;
    Status rollback() override;
    int transactionDepth() const override { return m_depth; }
    Status pack() override;
    // Copies both files into `dataPath` and `usersPath` (the caller's
    // temporary names; they are replaced) as they are at one moment, then
    // checks each copy (integrity and row counts). Other stations go on
    // committing during the copy: the data file is copied in slices of a
    // tenth of a second under short read locks, and one last read lock
    // rewrites what their commits changed meanwhile (a read of the file, no
    // more) and copies the users file. On failure neither copy is left.
    Status backup(const std::string& dataPath, const std::string& usersPath) override;
    Status takeChanges(ChangeNotice& out) override;
    std::string changeFile() const override;

    // Virtual machine steps of every statement run since the engine opened:
    // grows with the index entries and rows a read visits, so a page's share
    // shows whether it reads its own rows or a share of the table.
    std::int64_t vmSteps() const { return m_vmSteps; }

private:
    explicit SqliteEngine(sqlite3* db, SqliteOptions options);

    Status exec(const std::string& sql);
    Status prepare(const std::string& sql, sqlite3_stmt*& stmt);
    // COUNT(*) of `filter`'s rows, read along `key`'s index when one is
    // given, through the table alone with `scan`.
    Status countMatching(const TableDef& table, const KeyDef* key, const Filter& filter,
                         std::int64_t& out, bool scan = false);
    // Runs `fill`, which writes many rows into the text index `index`, with
    // the index gathering its new entries in large runs (see
    // kTextFillHashBytes), and puts its usual run size back after.
    Status fillInLargeRuns(const TextIndexDef& index, const std::function<Status()>& fill);
    Status bind(sqlite3_stmt* stmt, const std::vector<Value>& params);
    Status failure(int rc);  // maps an SQLite result code onto a Status
    void decodeRow(const TableDef& table, sqlite3_stmt* stmt, bool withMemos, Row& row) const;
    Status readOne(const TableDef& table, const SqlQuery& query, Row& out);
    // Prepares (once) and binds `query`, then lets `step` run it.
    Status run(const SqlQuery& query, const std::function<Status(sqlite3_stmt*)>& step);
    // Runs a statement without parameters or rows (prepared once and kept).
    Status runToEnd(const std::string& sql);
    void setBusyTimeout(int timeoutMs);
    // Runs `write` on `table` inside the open transaction, or inside one of its
    // own when none is open, and notes the table as written when it succeeds.
    Status written(const TableDef& table, const std::function<Status()>& write);
    // The change counters as stored now (empty while TKO_CHANGES does not exist).
    Status readCounters(std::map<std::string, std::int64_t>& out);
    Status readDataVersion(std::int64_t& out);
    // Compares the stored counters with the last ones seen: tables whose
    // counter moved go to `out`, and the stored ones become the last seen.
    Status compareCounters(ChangeNotice& out);
    Status createCountersTable();
    // Raises the counters of the tables the outermost transaction wrote.
    Status raiseCounters(const ChangeNotice& notice);

    // The declared collation of a column ("BINARY" when none).
    std::string columnCollation(const std::string& schema, const TableDef& table,
                                const FieldDef& field);
    // Whether the key's index exists and whether a text component of it orders
    // otherwise than the key declares: bytewise where the name collation is
    // wanted, or by the name collation where it is declared bytewise.
    Status keyOrder(const std::string& schema, const TableDef& table, const KeyDef& key,
                    bool& exists, bool& misordered);
    // Values of the key that differ only in letter case (see CaseDuplicates.h).
    Status keyCaseDuplicates(const TableDef& table, const KeyDef& key,
                             std::vector<std::string>& out);
    // Tables whose text columns must be rebuilt, and keys (of up-to-date tables)
    // that can now be made to order by the name collation.
    Status planNameCollation(const std::vector<const TableDef*>& tables,
                             std::vector<const TableDef*>& rebuild,
                             std::vector<std::pair<const TableDef*, const KeyDef*>>& rekey);
    // Creates the key's index by the name collation, or bytewise when its
    // stored values differ only in case.
    Status createKey(const TableDef& table, const KeyDef& key);

    sqlite3* m_db = nullptr;
    SqliteOptions m_options;
    SqlBuilder m_sql;
    std::map<std::string, sqlite3_stmt*> m_statements;  // prepared once per SQL text
    int m_depth = 0;
    std::int64_t m_vmSteps = 0;
    std::unique_ptr<BusyWait> m_busyWait;

    WrittenTables m_written;
    bool m_baseline = false;  // m_counters and m_dataVersion hold what was last seen
    std::int64_t m_dataVersion = 0;
    std::map<std::string, std::int64_t> m_counters;
    ChangeNotice m_pending;        // other stations' changes noticed while committing
    bool m_countersTable = false;  // TKO_CHANGES is known to exist
};

}  // namespace tko::store
