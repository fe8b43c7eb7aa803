#include "platform/store/PgEngine.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/store/NameCollation.h"
#include "platform/store/PgDetail.h"
#include "platform/store/SchemaCheck.h"

namespace tko::store {
using namespace pgdetail;

namespace {

std::string unquote(std::string name) {
    // An index component with a collation of its own reads '"NAME" COLLATE "C"'.
    const auto collate = name.find(" COLLATE ");
    if (collate != std::string::npos) name.erase(collate);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name;
}

}  // namespace

SqlDialect postgresDialect() {
    SqlDialect d;
    d.numberedParams = true;
    d.usersSchema = kUsersSchema;
    d.textType = "TEXT COLLATE \"C\"";
    d.nameType = std::string("TEXT COLLATE ") + kNameCollation;
    d.bytewiseCollate = " COLLATE \"C\"";
    d.idType = "BIGSERIAL PRIMARY KEY";
    d.indexesNeedRowId = true;
    d.schemaOnIndexName = false;
    d.singleStatementPages = true;
    d.literalFilterValues = true;
    d.foldCollate = " COLLATE \"C\"";
    d.textIndexes = SqlDialect::TextIndexes::TsVector;
    d.foldSchema = "public.";
    // A page's statement is planned once per connection, so a range costs
    // its reading only: sixteen let "By Priority" read each of the nine
    // priorities (and a few unusual values) as a range of its own, 0.40 ms
    // a page at 1 000 000 assignments down to 0.17 ms; the group pages cost
    // the same as with eight.
    d.mostArms = 16;
    return d;
}

void PgEngine::decodeRow(const TableDef& table, PGresult* result, int row, bool withMemos,
                         Row& out) const {
    out.pos = std::strtoll(PQgetvalue(result, row, 0), nullptr, 10);
    out.version = std::strtoll(PQgetvalue(result, row, 1), nullptr, 10);
    out.values.clear();
    out.values.reserve(table.fields.size());
    int column = 2;
    for (const FieldDef& f : table.fields) {
        if (f.type == FieldType::Memo && !withMemos) {
            out.values.emplace_back(std::string());
            continue;
        }
        const char* text = PQgetvalue(result, row, column);
        switch (f.type) {
            case FieldType::String:
            case FieldType::Memo:
            case FieldType::ByteArray:
                out.values.emplace_back(
                    std::string(text, static_cast<size_t>(PQgetlength(result, row, column))));
                break;
            default:
                out.values.emplace_back(std::int64_t{std::strtoll(text, nullptr, 10)});
                break;
        }
        ++column;
    }
}

std::string PgEngine::qualifiedName(const std::string& label, bool& known) const {
    for (const TableDef* table : m_options.tables) {
        if (table->label == label) {
            known = true;
            return m_sql.tableName(*table);
        }
    }
    known = false;
    return {};
}

Status PgEngine::createTables(const std::vector<const TableDef*>& tables) {
    Status s = begin({}, m_options.lockTimeoutMs);
    if (!s.ok()) return s;
    s = exec(std::string("SELECT pg_advisory_xact_lock(") + kCreateLockKey + ")");
    if (s.ok()) s = exec(std::string("CREATE SCHEMA IF NOT EXISTS ") + m_sql.quoted(kUsersSchema));
    if (s.ok()) s = exec(createNameCollation());
    for (const std::string& sql : createFoldFunction())
        if (s.ok()) s = exec(sql);
    for (const TableDef* table : tables) {
        for (const std::string& sql : m_sql.createTable(*table)) {
            if (s.ok()) s = exec(sql);
        }
    }
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

Status PgEngine::verifyTable(const TableDef& table, std::vector<std::string>& problems) {
    const std::string name = m_sql.tableName(table);
    TableCatalogue catalogue;
    {
        SqlQuery q;
        q.sql =
            "SELECT a.attname, format_type(a.atttypid, a.atttypmod), COALESCE(co.collname, '') "
            "FROM pg_attribute a LEFT JOIN pg_collation co ON co.oid = a.attcollation "
            "WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped";
        q.params.emplace_back(name);
        PGresult* result = nullptr;
        Status s = run(q, result);
        if (!s.ok()) return s;
        ResultGuard guard{result};
        for (int r = 0; r < PQntuples(result); ++r)
            catalogue.columns[PQgetvalue(result, r, 0)] = {PQgetvalue(result, r, 1),
                                                           PQgetvalue(result, r, 2)};
    }
    if (!catalogue.columns.empty()) {
        SqlQuery q;
        q.sql =
            "SELECT ic.relname, ix.indisunique, pg_get_indexdef(ix.indexrelid, k.n, true), "
            "(ix.indoption[k.n - 1] & 1), COALESCE(ico.collname, '') "
            "FROM pg_index ix JOIN pg_class ic ON ic.oid = ix.indexrelid "
            "CROSS JOIN LATERAL generate_series(1, ix.indnatts) AS k(n) "
            "LEFT JOIN pg_collation ico ON ico.oid = ix.indcollation[k.n - 1] "
            "WHERE ix.indrelid = to_regclass($1) AND NOT ix.indisprimary ORDER BY ic.relname, k.n";
        q.params.emplace_back(name);
        PGresult* result = nullptr;
        Status s = run(q, result);
        if (!s.ok()) return s;
        ResultGuard guard{result};
        for (int r = 0; r < PQntuples(result); ++r) {
            CatalogueIndex& index = catalogue.indexes[PQgetvalue(result, r, 0)];
            index.unique = std::string(PQgetvalue(result, r, 1)) == "t";
            CatalogueComponent& component = index.components.emplace_back();
            component.column = unquote(PQgetvalue(result, r, 2));
            component.descending = std::string(PQgetvalue(result, r, 3)) == "1";
            component.collation = PQgetvalue(result, r, 4);
        }
    }
    static const CatalogueTerms kTerms{"bigint",       "integer", "text", "integer",
                                       kNameCollation, "C",       true};
    bool collationKnown = false;
    auto caseDuplicates = [&](const KeyDef& key, std::vector<std::string>& lines) {
        // A database that no station of this version has opened yet lacks
        // the collation that the search for such values needs.
        if (!collationKnown) {
            SqlQuery known;
            known.sql = "SELECT to_regcollation($1) IS NOT NULL";
            known.params.emplace_back(std::string(kNameCollation));
            PGresult* result = nullptr;
            Status s = run(known, result);
            if (!s.ok()) return s;
            ResultGuard guard{result};
            if (std::string(PQgetvalue(result, 0, 0)) != "t") return Status::success();
            collationKnown = true;
        }
        return keyCaseDuplicates(table, key, lines);
    };
    return checkTable(table, catalogue, kTerms, caseDuplicates, problems);
}

Status PgEngine::verifyStorage(std::vector<std::string>& problems) {
    SqlQuery q;
    q.sql = "SELECT current_setting('server_encoding'), to_regnamespace($1) IS NOT NULL";
    q.params.emplace_back(std::string(kUsersSchema));
    PGresult* result = nullptr;
    Status s = run(q, result);
    if (!s.ok()) return s;
    ResultGuard guard{result};
    const std::string encoding = PQgetvalue(result, 0, 0);
    if (encoding != "UTF8")
        problems.push_back("server database: encoding is " + encoding + " instead of UTF8");
    if (std::string(PQgetvalue(result, 0, 1)) != "t")
        problems.push_back(std::string("server database: schema ") + kUsersSchema + " is missing");
    return Status::success();
}

Status PgEngine::read(const TableDef& table, const ReadRequest& request, std::vector<Row>& out) {
    return m_sql.readPage(table, request, out, [&](const SqlQuery& query) {
        PGresult* result = nullptr;
        Status s = run(query, result);
        if (!s.ok()) return s;
        ResultGuard guard{result};
        const int rows = PQntuples(result);
        for (int r = 0; r < rows; ++r) {
            out.emplace_back();
            decodeRow(table, result, r, request.withMemos, out.back());
        }
        return Status::success();
    });
}

Status PgEngine::readOne(const TableDef& table, const SqlQuery& query, Row& out) {
    PGresult* result = nullptr;
    Status s = run(query, result);
    if (!s.ok()) return s;
    ResultGuard guard{result};
    if (PQntuples(result) == 0) return Status::error(kRecordNotFound);
    decodeRow(table, result, 0, true, out);
    return Status::success();
}

Status PgEngine::fetch(const TableDef& table, const KeyDef& key,
                       const std::vector<Value>& keyValues, Row& out) {
    return readOne(table, m_sql.fetchQuery(table, key, keyValues), out);
}

Status PgEngine::reread(const TableDef& table, std::int64_t pos, Row& out) {
    return readOne(table, m_sql.rereadQuery(table, pos), out);
}

Status PgEngine::count(const TableDef& table, const Filter& filter, std::int64_t& out) {
    PGresult* result = nullptr;
    Status s = run(m_sql.countQuery(table, filter), result);
    if (!s.ok()) return s;
    ResultGuard guard{result};
    out = std::strtoll(PQgetvalue(result, 0, 0), nullptr, 10);
    return Status::success();
}

Status PgEngine::distinctValues(const TableDef& table, const KeyDef& key, const Filter& filter,
                                std::size_t most, std::vector<Value>& out) {
    out.clear();
    if (most == 0) return Status::success();
    PGresult* result = nullptr;
    Status s = run(m_sql.distinctQuery(table, key, filter, most), result);
    if (!s.ok()) return s;
    ResultGuard guard{result};
    const FieldDef& f = table.fields[static_cast<size_t>(key.components.front().field)];
    const bool text =
        f.type == FieldType::String || f.type == FieldType::ByteArray || f.type == FieldType::Memo;
    for (int r = 0; r < PQntuples(result); ++r) {
        const char* value = PQgetvalue(result, r, 0);
        if (text)
            out.emplace_back(std::string(value));
        else
            out.emplace_back(std::int64_t{std::strtoll(value, nullptr, 10)});
    }
    return Status::success();
}

Status PgEngine::add(const TableDef& table, Row& row) {
    if (const std::string problem = textProblem(table, row); !problem.empty())
        return Status::error(kInvalidArgument, problem);
    const SqlQuery query = m_sql.insertQuery(table, row);
    return written(table, [&] {
        PGresult* result = nullptr;
        Status s = runWrite(query, result);
        if (!s.ok()) return s;
        ResultGuard guard{result};
        row.pos = std::strtoll(PQgetvalue(result, 0, 0), nullptr, 10);
        row.version = 1;
        row.values = query.params;  // the stored, normalised values
        return Status::success();
    });
}

Status PgEngine::change(const TableDef& table, Row& row) {
    if (const std::string problem = textProblem(table, row); !problem.empty())
        return Status::error(kInvalidArgument, problem);
    const SqlQuery query = m_sql.updateQuery(table, row);
    return written(table, [&] {
        PGresult* result = nullptr;
        Status s = runWrite(query, result);
        if (!s.ok()) return s;
        ResultGuard guard{result};
        // No row written: the version moved on (or the row is gone) since it was read.
        if (std::string(PQcmdTuples(result)) == "0") return Status::error(kChangedByOther);
        row.version += 1;
        row.values.assign(query.params.begin(),
                          query.params.begin() + static_cast<long>(table.fields.size()));
        return Status::success();
    });
}

Status PgEngine::remove(const TableDef& table, std::int64_t pos) {
    return written(table, [&] {
        PGresult* result = nullptr;
        Status s = runWrite(m_sql.deleteQuery(table, pos), result);
        if (!s.ok()) return s;
        ResultGuard guard{result};
        return std::string(PQcmdTuples(result)) == "0" ? Status::error(kRecordNotFound)
                                                       : Status::success();
    });
}

Status PgEngine::written(const TableDef& table, const std::function<Status()>& write) {
    const bool own = m_depth == 0;
    if (own) {
        // No table lock: a single statement needs none beyond its row locks.
        Status s = begin({}, m_options.lockTimeoutMs);
        if (!s.ok()) return s;
    }
    m_ownWrite = own;
    Status s = write();
    m_ownWrite = false;
    if (s.ok()) m_written.wrote(table.label);
    if (!own) return s;
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

int PgEngine::changeSocket() const {
    return PQsocket(m_conn);
}

Status PgEngine::takeChanges(ChangeNotice& out) {
    if (m_depth == 0 && PQstatus(m_conn) != CONNECTION_OK) {
        Status s = ensureConnected();
        if (!s.ok()) return s;
    }
    if (m_missedNotices) {
        // The session is new: what happened while it was away is unknown.
        out.everything = true;
        m_missedNotices = false;
    }
    if (PQconsumeInput(m_conn) == 0 || PQstatus(m_conn) == CONNECTION_BAD)
        return connectionLost(PQerrorMessage(m_conn));
    const int own = PQbackendPID(m_conn);
    while (PGnotify* notify = PQnotifies(m_conn)) {
        if (notify->be_pid != own && std::strcmp(notify->relname, kChangeChannel) == 0) {
            const std::string names = notify->extra ? notify->extra : "";
            size_t from = 0;
            while (from <= names.size()) {
                const size_t comma = std::min(names.find(',', from), names.size());
                if (comma > from) out.tables.insert(names.substr(from, comma - from));
                from = comma + 1;
            }
            if (names.empty()) out.everything = true;
        }
        PQfreemem(notify);
    }
    return Status::success();
}

Status PgEngine::begin(const std::vector<std::string>& tables, int timeoutMs) {
    Status s = ensureConnected();
    if (!s.ok()) return s;
    // The tables in one fixed order, so that two stations locking overlapping
    // lists never wait for each other crosswise.
    std::set<std::string> names;
    for (const std::string& label : tables) {
        bool known = false;
        const std::string name = qualifiedName(label, known);
        if (!known)
            return Status::error(kInvalidArgument, "Unknown table in transaction: " + label);
        names.insert(name);
    }
    const std::string savepoint = "tko_" + std::to_string(m_depth);
    std::string sql = m_depth == 0 ? "BEGIN" : "SAVEPOINT " + savepoint;
    // lock_timeout 0 would mean "wait for ever"; the shortest wait is 1 ms.
    sql += "; SET LOCAL lock_timeout = " + std::to_string(std::max(1, timeoutMs));
    if (!names.empty()) {
        // Blocks other writers of these tables, never their readers.
        sql += "; LOCK TABLE ";
        bool first = true;
        for (const std::string& name : names) {
            sql += (first ? "" : ", ") + name;
            first = false;
        }
        sql += " IN SHARE ROW EXCLUSIVE MODE";
    }
    s = exec(sql);
    if (!s.ok()) {
        if (m_depth == 0) {
            if (PQstatus(m_conn) == CONNECTION_OK) exec("ROLLBACK");
        } else if (!m_lost) {
            exec("ROLLBACK TO SAVEPOINT " + savepoint + "; RELEASE SAVEPOINT " + savepoint);
        }
        return s;
    }
    if (m_depth == 0) m_written.clear();
    m_written.open();
    ++m_depth;
    return s;
}

Status PgEngine::commit() {
    if (m_depth == 0) return Status::error(kTransactionError, "No transaction is active");
    if (m_lost) {
        Status s = ensureConnected();
        m_depth = 0;
        m_lost = false;
        m_written.clear();
        return s;
    }
    if (m_depth > 1) {
        Status s = exec("RELEASE SAVEPOINT tko_" + std::to_string(m_depth - 1));
        if (s.ok()) {
            --m_depth;
            m_written.release();
        }
        return s;
    }
    const ChangeNotice notice = m_written.outermost();
    m_written.clear();
    if (PQtransactionStatus(m_conn) == PQTRANS_INERROR) {
        exec("ROLLBACK");
        m_depth = 0;
        return Status::error(
            kTransactionError,
            "The transaction failed earlier and was rolled back; nothing was written");
    }
    if (!notice.tables.empty()) {
        // Queued by the server and delivered on commit only: a transaction
        // that rolls back (or never commits) announces nothing.
        std::string names;
        for (const std::string& table : notice.tables) names += (names.empty() ? "" : ",") + table;
        char* literal = PQescapeLiteral(m_conn, names.c_str(), names.size());
        Status notified = literal ? exec(std::string("NOTIFY ") + kChangeChannel + ", " + literal)
                                  : Status::engine(kEngineError, 0, PQerrorMessage(m_conn));
        PQfreemem(literal);
        if (!notified.ok()) {
            if (PQstatus(m_conn) == CONNECTION_OK) exec("ROLLBACK");
            m_depth = 0;
            m_lost = false;
            return notified;
        }
    }
    PGresult* result = PQexec(m_conn, "COMMIT");
    ResultGuard guard{result};
    if (PQresultStatus(result) != PGRES_COMMAND_OK) {
        const bool lost = PQstatus(m_conn) == CONNECTION_BAD;
        Status s = failure(result);
        m_depth = 0;
        m_lost = false;
        if (lost) {
            s.engineText =
                "The connection to the database server was lost while committing; "
                "whether the transaction was written is not known";
        } else {
            exec("ROLLBACK");
        }
        return s;
    }
    m_depth = 0;
    // The server answers a commit of a failed transaction with ROLLBACK.
    if (std::string(PQcmdStatus(result)) != "COMMIT")
        return Status::error(kTransactionError,
                             "The transaction was rolled back; nothing was written");
    committed(notice);
    return Status::success();
}

Status PgEngine::rollback() {
    if (m_depth == 0) return Status::error(kTransactionError, "No transaction is active");
    m_written.discard();
    if (m_lost) {
        // The server has undone the whole transaction already.
        if (--m_depth == 0) m_lost = false;
        return Status::success();
    }
    if (m_depth > 1) {
        const std::string name = "tko_" + std::to_string(m_depth - 1);
        Status s = exec("ROLLBACK TO SAVEPOINT " + name + "; RELEASE SAVEPOINT " + name);
        --m_depth;
        if (m_lost) return Status::success();
        return s;
    }
    Status s = exec("ROLLBACK");
    m_depth = 0;
    // A connection lost here still leaves nothing written: the server rolls back.
    if (m_lost || PQstatus(m_conn) == CONNECTION_BAD) {
        m_lost = false;
        return Status::success();
    }
    return s;
}

Status PgEngine::pack() {
    if (m_depth > 0) return Status::error(kTransactionError, "Cannot pack inside a transaction");
    Status s = ensureConnected();
    if (!s.ok()) return s;
    return exec("VACUUM (ANALYZE)");
}

}  // namespace tko::store
