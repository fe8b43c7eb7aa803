// SQL text shared by the SQL engines: table and index creation, keyset paging
// along a key, and filters. Engines execute what this builds and bind the
// parameters in order.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/store/Engine.h"

namespace tko::store {

struct SqlDialect {
    bool numberedParams = false;    // "$1" (PostgreSQL) instead of "?" (SQLite)
    std::string usersSchema;        // schema that holds the users table ("" = same as data)
    std::string textType = "TEXT";  // column type of memos and flag strings (compared bytewise)
    // Column type of fixed-width texts: compared and ordered by the name
    // collation (NameCollation.h), in keys, filters and ORDER BY alike.
    std::string nameType = "TEXT";
    // How an index component asks for bytewise order (a unique key kept in its
    // old order because its stored names differ only in letter case).
    std::string bytewiseCollate = " COLLATE BINARY";
    std::string idType = "INTEGER PRIMARY KEY";  // type of the hidden row id column
    bool indexesNeedRowId =
        false;  // append ROW_ID to non-unique indexes (SQLite has it implicitly)
    bool schemaOnIndexName = true;  // SQLite: "CREATE INDEX s.i ON t"; PostgreSQL: "ON s.t"
    // SQLite: name the key's index in page queries ("INDEXED BY"), so that a
    // page is read along the key even when a filter's equality on another
    // indexed column tempts the planner to scan and sort instead.
    bool indexedBy = false;
    // Read a page with one statement: the ranges of a keyset page, nearest
    // first, joined by UNION ALL under one LIMIT, which the server evaluates
    // range by range and stops as soon as the page is full. Saves a round trip
    // per range on an engine that sits behind a network connection.
    bool singleStatementPages = false;
    // At most this many index ranges (arms) make one page read; an either-or
    // of more combinations is tested row by row instead. A server that plans
    // each page's statement anew pays that planning for every arm.
    size_t mostArms = 48;
    // Write the values a filter compares with into the statement's text rather
    // than binding them: a list's statements are then the same page after
    // page, and a plan made once per connection knows the filter's values (a
    // bound value is planned as "any"; only the position a page continues
    // from stays bound). A text value is written as a quoted literal, its
    // quotes doubled; one holding a NUL character is bound, so that the
    // engine refuses it as it refuses any such text.
    bool literalFilterValues = false;
    // Columns read through an expression instead of the column itself, by
    // "TABLE.FIELD" label (the table's alias is "t"): on a server office whose
    // rights the server enforces, a user's role may not select the
    // confidential comments or the password column, and reads them through
    // functions that return what that user may see (PgRoles.h).
    std::map<std::string, std::string> maskedColumns;
    // What follows a folded text (TextFold.h) compared with LIKE: the server
    // refuses LIKE under the name collation, which is not deterministic.
    std::string foldCollate;
    // The schema of the folding function, with its dot ("public." on the
    // server, where a session's search path may leave it out).
    std::string foldSchema;
    // How text indexes (TextIndexDef) are kept and searched: an FTS5 table
    // with triggers (SQLite), or a GIN index on the folded words (server).
    enum class TextIndexes { Fts5, TsVector };
    TextIndexes textIndexes = TextIndexes::Fts5;
};

// Hidden columns of every table.
inline constexpr const char* kRowIdColumn = "ROW_ID";
inline constexpr const char* kVersionColumn = "ROW_VERSION";

// One index range of a page read: the index it reads and the filter it applies.
struct PageArm {
    const KeyDef* key;
    Filter filter;
};

struct SqlQuery {
    std::string sql;
    std::vector<Value> params;
    int limitParam = -1;  // index in params of the LIMIT value, -1 if none
    // A page query after which readPage() may run more queries of the page.
    bool mayContinue = false;
};

// Empty when every text of `row` fits its field of `table`; else why not, for
// the first text that does not: longer than the field's width (trailing
// blanks aside), or holding a NUL character, which would cut it on reading.
// Engines refuse such a row rather than cut what the user typed.
std::string textProblem(const TableDef& table, const Row& row);

class SqlBuilder {
public:
    explicit SqlBuilder(SqlDialect dialect) : m_dialect(std::move(dialect)) {}

    const SqlDialect& dialect() const { return m_dialect; }

    std::string quoted(const std::string& identifier) const;
    std::string tableName(const TableDef& table) const;
    std::string columnList(const TableDef& table, bool withMemos) const;

    std::vector<std::string> createTable(const TableDef& table) const;
    // The parenthesised column definitions of CREATE TABLE.
    std::string columnDefinitions(const TableDef& table) const;
    // The statements that create `index` of `table` (each IF NOT EXISTS), and
    // the one that fills it anew from the table's rows (empty when the engine
    // keeps it by itself).
    std::vector<std::string> createTextIndex(const TableDef& table,
                                             const TextIndexDef& index) const;
    std::vector<std::string> rebuildTextIndex(const TableDef& table,
                                              const TextIndexDef& index) const;
    // The embedded engine's statement that puts rows of `table` into its
    // text index `index`, as the index's triggers would; every row, or those a
    // WHERE clause appended to it keeps.
    std::string fillTextIndex(const TableDef& table, const TextIndexDef& index) const;
    // SQLite: sets how many bytes of new entries a text index gathers in
    // memory before it writes them out (FTS5's "hashsize").
    std::string textIndexHashSize(const TextIndexDef& index, int bytes) const;
    // With `bytewise`, text components order bytewise instead of by the name
    // collation (see SqlDialect::bytewiseCollate); a component declared
    // bytewise (KeyComponent::bytewise) always does.
    std::string createIndex(const TableDef& table, const KeyDef& key, bool bytewise = false) const;
    // What follows a key component's column wherever it is compared or
    // ordered along the key: the bytewise collation for a text component
    // declared bytewise, so that its index serves the comparison; else nothing
    // (the column's own collation).
    std::string keyCollate(const TableDef& table, const KeyComponent& component) const;

    // Queries that together read a page along request.key from request.from:
    // run them in order, each with the rows still wanted as its LIMIT, until
    // the page is full. Each one is a plain range scan of the key's index.
    std::vector<SqlQuery> pageQueries(const TableDef& table, const ReadRequest& request) const;
    // The page queries as one statement (see SqlDialect::singleStatementPages).
    SqlQuery pageStatement(const TableDef& table, const ReadRequest& request) const;
    SqlQuery fetchQuery(const TableDef& table, const KeyDef& key,
                        const std::vector<Value>& values) const;
    SqlQuery rereadQuery(const TableDef& table, std::int64_t pos) const;
    // With `along`, the count reads that index (SQLite: INDEXED BY); with
    // `scan`, the table alone (SQLite: NOT INDEXED).
    SqlQuery countQuery(const TableDef& table, const Filter& filter, const KeyDef* along = nullptr,
                        bool scan = false) const;
    // The distinct values of the first component of `key` among the rows
    // `filter` keeps, at most `most`, as one statement: a recursive query that
    // seeks the key's index once per value (see Engine::distinctValues()).
    SqlQuery distinctQuery(const TableDef& table, const KeyDef& key, const Filter& filter,
                           size_t most) const;
    SqlQuery insertQuery(const TableDef& table, const Row& row) const;  // RETURNING ROW_ID
    SqlQuery updateQuery(const TableDef& table, const Row& row) const;  // version-checked
    SqlQuery deleteQuery(const TableDef& table, std::int64_t pos) const;

    // Reads a page: runs the page queries in order, each with the rows still
    // wanted as its LIMIT, until the page is full. `appendRows` executes one
    // query and appends its rows to `out`. An empty page is kRecordNotAvailable.
    Status readPage(const TableDef& table, const ReadRequest& request, std::vector<Row>& out,
                    const std::function<Status(const SqlQuery&)>& appendRows) const;

    // Appends the SQL of `filter` over the table aliased `alias` to `sql`.
    void appendFilter(const TableDef& table, const std::string& alias, const Filter& filter,
                      std::string& sql, std::vector<Value>& params) const;

private:
    // The folded words of `index` over the table aliased `alias` ("" for
    // none), as the server indexes and searches them.
    std::string textVector(const TableDef& table, const TextIndexDef& index,
                           const std::string& alias) const;
    // The folded texts of a text index on the server, as one expression.
    std::string foldedText(const TableDef& table, const TextIndexDef& index,
                           const std::string& alias) const;
    // Writes pageSql()'s statements step by step (PageSql.cpp).
    friend class PageWriter;

    // An arm's filter in a merge of several arms on the server, its equalities
    // on `ordered` fields (the key components the merge orders by) written as
    // one-value lists (see SqlBuilder.cpp).
    void appendArmFilter(const TableDef& table, const Filter& filter,
                         const std::vector<int>& ordered, SqlQuery& q) const;

    // Hands the page queries in order to `next`, each written only when the
    // one before it left the page short (`next` returns whether it wants
    // more); without `next`, returns the one statement that joins them.
    SqlQuery pageSql(const TableDef& table, const ReadRequest& request,
                     const std::function<bool(SqlQuery&)>& next) const;
    std::string param(std::vector<Value>& params, Value value) const;
    // `value` as a filter compares with it (see SqlDialect::literalFilterValues).
    std::string filterValue(std::vector<Value>& params, Value value) const;
    // ORDER BY along `key`, leaving out its first `skip` components.
    std::string orderBy(const TableDef& table, const KeyDef* key, Direction dir,
                        const std::string& alias, size_t skip = 0) const;

    // The arms of a page read (see armsOf() in PageArms.cpp), those of
    // several arms kept for the last key and filter: a list reads page after
    // page with the same ones, and taking a filter apart into many arms costs
    // more than comparing it. Valid until the next call.
    const std::vector<PageArm>& armsFor(const TableDef& table, const ReadRequest& request) const;

    SqlDialect m_dialect;
    mutable const TableDef* m_armsTable = nullptr;
    mutable const KeyDef* m_armsKey = nullptr;
    mutable Filter m_armsFilter;
    mutable std::vector<PageArm> m_arms;
    mutable std::vector<PageArm> m_single;  // the arm of the last plain read
    // The queries of a first page (Home or End) of the arms kept, as last
    // written, forward and backward: a list reads its first page again on
    // every opening and refresh, and writing the text of many ranges took a
    // fifth of such a page's time in a small office. `complete`: all the
    // page's queries, not only those the last read reached. A page of one
    // statement (`single`) is kept whole, with the limit written into it.
    struct FirstPage {
        bool withMemos = false;
        bool complete = false;
        bool single = false;
        int limit = 0;
        std::vector<SqlQuery> queries;
    };
    mutable std::optional<FirstPage> m_firstPages[2];
};

}  // namespace tko::store
