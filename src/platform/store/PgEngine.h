// The server engine: the same tables, keys and memos as the embedded engine,
// kept in one PostgreSQL database that stations on many machines share. The
// shared tables live in the connection's current schema (normally "public"),
// the users table in the schema "users".
//
// Behaviour that differs from a database file, and how it is made to match:
//  - Fixed-width texts are stored `TEXT COLLATE tko_name`, an ICU collation of
//    the same locale that the embedded engine registers (NameCollation.h), so
//    keys order names alike on both; memos stay `COLLATE "C"`.
//  - begin() locks the named tables against other writers (readers are never
//    blocked), waiting at most the caller's time-out, so that a transaction
//    that "cannot begin within 2 seconds" fails the same way on both engines
//    and a cascade sees no child rows appear behind its back. Lock waits of
//    every statement inside the transaction are bounded by the same time-out.
//  - A failed statement inside a transaction is undone alone (each write runs
//    under a savepoint), as in SQLite; the transaction stays usable.
//  - A lost connection is reported as an engine error; the server has then
//    rolled the open transaction back. The engine reconnects by itself on the
//    next call made outside a transaction.
//  - Change notices: each session LISTENs on the channel "tko_changes". The
//    outermost commit of a transaction that wrote tables first sends one
//    NOTIFY naming them (comma-separated labels); the server delivers it when,
//    and only if, the transaction commits. Writes outside a transaction run
//    in one of their own for the same reason. Notices a station sent itself
//    are skipped: its own windows learn of its commits in-process.
//
// One object is one station's connection; one thread uses it at a time.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/store/Engine.h"
#include "platform/store/SqlBuilder.h"
#include "platform/store/WrittenTables.h"

struct pg_conn;
struct pg_result;

namespace tko::store {

struct PgOptions {
    bool create = false;  // create the schema and missing tables instead of requiring them
    // Every table this engine serves: begin() resolves table labels with it,
    // open() checks that they exist, backup() copies them.
    std::vector<const TableDef*> tables;
    int lockTimeoutMs = 10000;  // wait for another station's lock outside transactions
};

// The SQL dialect of the server engine (also used by tests that prepare a
// server database).
SqlDialect postgresDialect();

class PgEngine final : public Engine {
public:
    // Connects with the libpq connection string `connInfo`. On failure returns
    // nullptr and sets `status`: an engine error naming the connection problem,
    // or kFileNotFound when the database holds no TASKORBIT tables and
    // `options.create` is off.
    static std::unique_ptr<PgEngine> open(const std::string& connInfo, const PgOptions& options,
                                          Status& status);
    ~PgEngine() override;

    std::string engineName() const override { return "PostgreSQL"; }
    std::size_t mostRangesPerRead() const override { return m_sql.dialect().mostArms; }
    Status createTables(const std::vector<const TableDef*>& tables) override;
    Status verifyTable(const TableDef& table, std::vector<std::string>& problems) override;
    Status verifyStorage(std::vector<std::string>& problems) override;
    Status adoptNameCollation(const std::vector<const TableDef*>& tables) override;
    Status refreshTextIndexes(const std::vector<const TableDef*>& tables, bool rebuild,
                              std::vector<std::string>& made) override;
    Status read(const TableDef& table, const ReadRequest& request, std::vector<Row>& out) override;
    Status fetch(const TableDef& table, const KeyDef& key, const std::vector<Value>& keyValues,
                 Row& out) override;
    Status reread(const TableDef& table, std::int64_t pos, Row& out) override;
    Status count(const TableDef& table, const Filter& filter, std::int64_t& out) override;
    Status distinctValues(const TableDef& table, const KeyDef& key, const Filter& filter,
                          std::size_t most, std::vector<Value>& out) override;
    Status add(const TableDef& table, Row& row) override;
    Status change(const TableDef& table, Row& row) override;
    Status remove(const TableDef& table, std::int64_t pos) override;
    Status begin(const std::vector<std::string>& tables, int timeoutMs) override;
    Status commit() override;
    Status rollback() override;
    int transactionDepth() const override { return m_depth; }
    // VACUUM (ANALYZE) of the database: reclaims dead rows, refreshes statistics.
    Status pack() override;
    // A consistent snapshot of every table (one repeatable-read transaction)
    // written as the embedded engine's two database files: `dataPath` gets the
    // shared tables, `usersPath` the users table. Each file is written under a
    // temporary name and renamed only when complete. The copy can be moved back
    // onto a server with the CLI's copy command, or opened as a data directory.
    Status backup(const std::string& dataPath, const std::string& usersPath) override;
    Status takeChanges(ChangeNotice& out) override;
    int changeSocket() const override;

    // Adds many rows at once through COPY (much faster than add() one by one);
    // positions and versions of the new rows are not reported. All or nothing.
    Status bulkAdd(const TableDef& table, const std::vector<Row>& rows);
    // Sends the rows through bulkAdd() in batches of 10 000.
    Status addAll(const TableDef& table, const RowSource& next, std::int64_t expected) override;

    // ---- per-user roles (PgRoles.h) -------------------------------------------
    // Runs one statement with text parameters, unprepared, inside the open
    // transaction if there is one (a failure then spoils it: the caller rolls
    // back). `rows`, when given, receives every cell of the result as text.
    Status execute(const std::string& sql, const std::vector<std::string>& params,
                   std::vector<std::vector<std::string>>* rows = nullptr);
    // The database and the role this session is connected to.
    std::string databaseName() const;
    std::string sessionRole() const;
    // The SCRAM-SHA-256 verifier of `password`, computed here so that the
    // clear password never reaches the server or its logs; empty on failure.
    std::string scramVerifier(const std::string& password) const;
    // Connects again with the same connection string as `role` with
    // `password`, and on success carries on as that role (a log-in on an
    // office whose server checks the users' passwords). On failure the present
    // connection stays; `refused` tells that the server refused the
    // credentials, `noLogin` that the role exists but may not log in.
    // Outside transactions only.
    Status reconnectAs(const std::string& role, const std::string& password, bool& refused,
                       bool& noLogin);

    // The server's process id for this connection (tests end it to simulate a
    // server that goes away).
    int backendPid() const;
    // Statements sent to the server and answered, counted since the engine
    // opened: what a page costs in round trips.
    std::int64_t roundTrips() const { return m_roundTrips; }

private:
    PgEngine(pg_conn* conn, std::string connInfo, PgOptions options);

    Status setUpSession();
    // Reads the columns a user's role may not read (SqlDialect::maskedColumns)
    // through the office's functions when this session is a user's role.
    void chooseDialect();
    Status ensureConnected();
    Status exec(const std::string& sql);  // simple query, possibly several statements
    Status run(const SqlQuery& query, pg_result*& result);  // prepared, cached per SQL text
    Status runWrite(const SqlQuery& query,
                    pg_result*& result);  // under a savepoint in a transaction
    Status failure(pg_result* result);  // maps a failed result (or a lost connection) onto a Status
    Status connectionLost(const std::string& detail);
    void decodeRow(const TableDef& table, pg_result* result, int row, bool withMemos,
                   Row& out) const;
    Status readOne(const TableDef& table, const SqlQuery& query, Row& out);
    std::string qualifiedName(const std::string& label, bool& known) const;
    // The key's index, schema-qualified for the users table.
    std::string indexName(const TableDef& table, const KeyDef& key) const;
    // Values of the key that differ only in letter case (see CaseDuplicates.h).
    Status keyCaseDuplicates(const TableDef& table, const KeyDef& key,
                             std::vector<std::string>& out);
    // Tables whose text columns still order bytewise, and keys (of up-to-date
    // tables) that can now be made to order by the name collation.
    Status planNameCollation(const std::vector<const TableDef*>& tables,
                             std::vector<const TableDef*>& rebuild,
                             std::vector<std::pair<const TableDef*, const KeyDef*>>& rekey);
    // Runs `write` on `table` inside the open transaction, or inside one of its
    // own when none is open, and notes the table as written when it succeeds.
    Status written(const TableDef& table, const std::function<Status()>& write);

    // Forgets the prepared statements (the server dropped them, or is told to).
    void forgetStatements();

    pg_conn* m_conn = nullptr;
    std::string m_connInfo;
    PgOptions m_options;
    SqlBuilder m_sql;
    std::map<std::string, std::string> m_statements;  // SQL text -> prepared statement name
    std::int64_t m_preparedCount = 0;  // names prepared statements uniquely in the session
    size_t m_statementText = 0;        // the length of the prepared statements' texts
    int m_depth = 0;
    std::int64_t m_roundTrips = 0;
    bool m_lost = false;  // the connection broke inside a transaction; rollback() clears it
    WrittenTables m_written;
    // The session was connected again: notices sent meanwhile were missed.
    bool m_missedNotices = false;
    bool m_ownWrite = false;  // a write runs in a transaction of its own (no savepoint needed)
};

}  // namespace tko::store
