#include "platform/store/PgEngine.h"

#include <libpq-fe.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/store/CaseDuplicates.h"
#include "platform/store/NameCollation.h"
#include "platform/store/PgRoles.h"
#include "platform/store/SqliteEngine.h"
#include "platform/store/TableCopy.h"

namespace tko::store {
namespace fs = std::filesystem;

namespace {

constexpr const char* kUsersSchema = "users";
// Serialises table creation between stations that run it at the same time.
constexpr const char* kCreateLockKey = "7368207435";
// Engine code reported for a lost or refused connection (SQLSTATE class 08).
constexpr int kConnectionCode = 8006;
// The channel on which committed changes are announced.
constexpr const char* kChangeChannel = "tko_changes";

// Frees a result when the scope ends.
struct ResultGuard {
    PGresult* result;
    ~ResultGuard() { PQclear(result); }
};

// The SQLSTATE as a number for Status::engineCode: the digits themselves when
// it has only digits (23505), else read as a base-36 number (55P03).
int sqlstateNumber(const char* state) {
    if (!state || std::strlen(state) != 5) return 0;
    bool digits = true;
    for (int i = 0; i < 5; ++i) digits = digits && state[i] >= '0' && state[i] <= '9';
    return static_cast<int>(std::strtol(state, nullptr, digits ? 10 : 36));
}

// How long a station polls for a statement's reply before it sleeps. A
// page's reply comes within 20-60 us; a processor left idle meanwhile takes
// some 40 us more to wake, on a virtual machine, than the reading itself.
// Polling costs at most this much processor time a statement; on a machine
// with one processor it would only hold up a server running there, so it is
// not done.
constexpr auto kPollForReply = std::chrono::microseconds(250);

// Waits for the reply to what was just sent and returns it as PQexec does:
// the last result, or the first error when the server reported one.
PGresult* awaitReply(PGconn* conn) {
    static const bool poll = std::thread::hardware_concurrency() > 1;
    if (poll) {
        const auto until = std::chrono::steady_clock::now() + kPollForReply;
        while (PQisBusy(conn) && PQconsumeInput(conn) != 0 &&
               std::chrono::steady_clock::now() < until) {
        }
    }
    PGresult* kept = nullptr;
    while (PGresult* result = PQgetResult(conn)) {
        const ExecStatusType st = PQresultStatus(result);
        if (kept && PQresultStatus(kept) == PGRES_FATAL_ERROR) {
            PQclear(result);  // the first error says what went wrong
        } else {
            PQclear(kept);
            kept = result;
        }
        if (st == PGRES_COPY_IN || st == PGRES_COPY_OUT || st == PGRES_COPY_BOTH ||
            PQstatus(conn) == CONNECTION_BAD)
            break;
    }
    return kept;
}

bool startsWith(const char* text, const char* prefix) {
    return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// True when `text` is well-formed UTF-8 without NUL characters: the server
// refuses anything else, and a NUL would silently cut a text short on the way.
bool storableText(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0) return false;
        size_t extra = 0;
        unsigned int code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;  // cut off at the end
        for (size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            code = (code << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((extra == 1 && code < 0x80) || (extra == 2 && code < 0x800) ||
            (extra == 3 && code < 0x10000) || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

Status badText(const std::string& text) {
    std::string shown = text.substr(0, 30);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) >= 0x80 || c == 0) c = '?';
    return Status::error(kInvalidArgument,
                         "Text is not valid UTF-8 or contains a NUL character: \"" + shown + "\"");
}

// Parameters as the NUL-terminated texts libpq sends.
Status paramTexts(const std::vector<Value>& params, std::vector<std::string>& texts,
                  std::vector<const char*>& pointers) {
    texts.resize(params.size());
    pointers.resize(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        if (const auto* n = std::get_if<std::int64_t>(&params[i])) {
            texts[i] = std::to_string(*n);
        } else {
            const std::string& s = std::get<std::string>(params[i]);
            if (!storableText(s)) return badText(s);
            texts[i] = s;
        }
    }
    for (size_t i = 0; i < params.size(); ++i) pointers[i] = texts[i].c_str();
    return Status::success();
}

// A value in COPY's text format: tab-separated, backslash escapes.
void appendCopyText(const std::string& text, std::string& out) {
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
                break;
        }
    }
}

void ignoreNotice(void*, const char*) {}

// The server's ICU collation of the same locale as NameCollator; non-deterministic,
// so that names equal by it are equal (a unique key refuses "Ben" beside "BEN").
std::string createNameCollation() {
    return std::string("CREATE COLLATION IF NOT EXISTS ") + kNameCollation +
           " (provider = icu, locale = '" + kNameCollationLocale + "', deterministic = false)";
}

// Whether the `n`th component of `key` is a text declared bytewise.
bool declaredBytewise(const TableDef& table, const KeyDef& key, size_t n) {
    if (n >= key.components.size()) return false;
    return table.ordersBytewise(key.components[n]);
}

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
    // A page's statement is planned once per connection, so a range costs
    // its reading only: sixteen let "By Priority" read each of the nine
    // priorities (and a few unusual values) as a range of its own, 0.40 ms
    // a page at 1 000 000 assignments down to 0.17 ms; the group pages cost
    // the same as with eight.
    d.mostArms = 16;
    return d;
}

std::unique_ptr<PgEngine> PgEngine::open(const std::string& connInfo, const PgOptions& options,
                                         Status& status) {
    PGconn* conn = PQconnectdb(connInfo.c_str());
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        std::string message = conn ? PQerrorMessage(conn) : "out of memory";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        status = Status::engine(kEngineError, kConnectionCode, message,
                                "Cannot connect to the database server");
        PQfinish(conn);
        return nullptr;
    }
    PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
    std::unique_ptr<PgEngine> engine(new PgEngine(conn, connInfo, options));
    status = engine->setUpSession();
    if (!status.ok()) return nullptr;

    if (!options.create) {
        // Every table must be there; a database without them was never set up.
        for (const TableDef* table : options.tables) {
            SqlQuery q;
            q.sql = "SELECT to_regclass($1) IS NOT NULL";
            q.params.emplace_back(engine->m_sql.tableName(*table));
            PGresult* result = nullptr;
            status = engine->run(q, result);
            if (!status.ok()) return nullptr;
            ResultGuard guard{result};
            if (std::string(PQgetvalue(result, 0, 0)) != "t") {
                status = Status::error(kFileNotFound, "The server database holds no table " +
                                                          table->label +
                                                          "; create the tables first (init)");
                return nullptr;
            }
        }
    }
    status = Status::success();
    return engine;
}

PgEngine::PgEngine(pg_conn* conn, std::string connInfo, PgOptions options)
    : m_conn(conn),
      m_connInfo(std::move(connInfo)),
      m_options(std::move(options)),
      m_sql(postgresDialect()) {
    chooseDialect();
}

PgEngine::~PgEngine() {
    // Closing the connection ends an open transaction; the server rolls it back.
    PQfinish(m_conn);
}

int PgEngine::backendPid() const {
    return PQbackendPID(m_conn);
}

Status PgEngine::setUpSession() {
    if (PQsetClientEncoding(m_conn, "UTF8") != 0)
        return Status::engine(kEngineError, kConnectionCode, PQerrorMessage(m_conn));
    // A prepared statement is planned once and that plan reused
    // (force_generic_plan): planning a page's statement cost about 0.6 ms, ten
    // times reading its rows. Filters are written into the statements' text
    // (SqlDialect::literalFilterValues) and the page's LIMIT too, so the one
    // plan knows whose rows a list reads and how few it takes; only the
    // position a page continues from is bound. Not knowing that position, the
    // planner would take a range beyond it for a few rows and read them by
    // another index and sort them; with sorting ruled out (enable_sort off:
    // a statement that cannot do without one still sorts) every range of a
    // page is read along the index its arm was chosen for, as on SQLite,
    // which names that index. An incremental sort (rows read along an index
    // that gives only the key's first column in order, sorted group by
    // group) is ruled out with it: for the rows after a position the planner
    // took one over the due date's closed-date index and read and sorted a
    // whole day's rows for a page (516 rows, 0.7 ms at 1 000 000
    // assignments, against 28 along the key). Ruling sorting out prices a
    // sort as "disabled", a cost so high that the server would compile the
    // statement to machine code first (hundreds of milliseconds): jit is
    // off. A page is one UNION ALL of its key ranges, nearest first, under
    // one LIMIT: the rows must come range by range, in order, which a
    // parallel append (ranges run by different workers at once) would not
    // keep.
    return exec("SET lock_timeout = " + std::to_string(std::max(1, m_options.lockTimeoutMs)) +
                "; SET client_min_messages = warning; SET standard_conforming_strings = on"
                "; SET plan_cache_mode = force_generic_plan; SET enable_sort = off"
                "; SET enable_incremental_sort = off; SET jit = off"
                "; SET enable_parallel_append = off; LISTEN " +
                kChangeChannel);
}

Status PgEngine::connectionLost(const std::string& detail) {
    forgetStatements();  // prepared statements die with the session
    if (m_depth > 0) m_lost = true;
    std::string text = "The connection to the database server was lost";
    text += m_depth > 0 ? "; the server rolled the open transaction back, nothing of it was written"
                        : "";
    return Status::engine(kEngineError, kConnectionCode, detail, text);
}

Status PgEngine::ensureConnected() {
    if (m_lost)
        return Status::engine(kEngineError, kConnectionCode, {},
                              "The connection to the database server was lost; the transaction "
                              "was rolled back and must be ended with a rollback");
    if (PQstatus(m_conn) == CONNECTION_OK) return Status::success();
    if (m_depth > 0) return connectionLost({});
    // Outside a transaction nothing is lost: connect again.
    PQreset(m_conn);
    forgetStatements();
    m_missedNotices = true;
    if (PQstatus(m_conn) != CONNECTION_OK) {
        std::string message = PQerrorMessage(m_conn);
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        return Status::engine(kEngineError, kConnectionCode, message,
                              "Cannot reach the database server");
    }
    return setUpSession();
}

Status PgEngine::failure(PGresult* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    std::string message;
    if (result && PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY))
        message = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    else
        message = PQerrorMessage(m_conn);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();

    if (PQstatus(m_conn) == CONNECTION_BAD || startsWith(state, "08") || startsWith(state, "57P0"))
        return connectionLost(message);
    if (result && PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
        message += ": " + std::string(PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL));
    const int code = sqlstateNumber(state);
    const std::string engineText =
        message + (state ? std::string(" [SQLSTATE ") + state + "]" : "");
    const std::string st = state ? state : "";
    auto withEngine = [&](int storeCode) {
        Status s = Status::error(storeCode);
        s.engineCode = code;
        s.engineText = engineText;
        return s;
    };
    if (st == "23505") return withEngine(kDuplicateKey);
    // A lock not had within the time-out, a deadlock or a serialisation
    // conflict: another station holds what this one needs.
    if (st == "55P03" || st == "40P01" || st == "40001") return withEngine(kFileLocked);
    if (st == "42501") return withEngine(kAccessDenied);
    if (st == "22021" || st == "22P05") return withEngine(kInvalidArgument);
    if (st == "25P02") return withEngine(kTransactionError);
    if (st == "53100") return Status::engine(kEngineError, code, engineText, kDiskFullText);
    return Status::engine(kEngineError, code, engineText);
}

Status PgEngine::exec(const std::string& sql) {
    ++m_roundTrips;
    PGresult* result = PQsendQuery(m_conn, sql.c_str()) ? awaitReply(m_conn) : nullptr;
    ResultGuard guard{result};
    const ExecStatusType st = PQresultStatus(result);
    if (result && (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK)) return Status::success();
    return failure(result);
}

// What a session keeps prepared before it drops every statement: at most
// so many, and at most so much statement text. The server's memory for a
// statement and its plan grows with the text, about 150 bytes a character (a
// page of nine ranges: 4.6 kB of text, 0.7 MB on the server), so the text
// bounds what one station holds there to some 30 MB.
constexpr size_t kMostStatements = 200;
constexpr size_t kMostStatementText = 200000;

void PgEngine::forgetStatements() {
    m_statements.clear();
    m_statementText = 0;
}

Status PgEngine::run(const SqlQuery& query, PGresult*& result) {
    result = nullptr;
    Status s = ensureConnected();
    if (!s.ok()) return s;
    std::vector<std::string> texts;
    std::vector<const char*> pointers;
    s = paramTexts(query.params, texts, pointers);
    if (!s.ok()) return s;
    auto it = m_statements.find(query.sql);
    if (it == m_statements.end()) {
        // Filters written into the text make a statement per list and values
        // shown: a long session drops them all now and then rather than keep
        // every one on the server.
        const bool full = m_statements.size() >= kMostStatements ||
                          m_statementText + query.sql.size() > kMostStatementText;
        if (full && m_depth == 0 && exec("DEALLOCATE ALL").ok()) {
            forgetStatements();
        }
        const std::string name = "tko_" + std::to_string(++m_preparedCount);
        ++m_roundTrips;
        PGresult* prepared = PQprepare(m_conn, name.c_str(), query.sql.c_str(),
                                       static_cast<int>(query.params.size()), nullptr);
        ResultGuard guard{prepared};
        if (PQresultStatus(prepared) != PGRES_COMMAND_OK) return failure(prepared);
        it = m_statements.emplace(query.sql, name).first;
        m_statementText += query.sql.size();
    }
    ++m_roundTrips;
    result = PQsendQueryPrepared(m_conn, it->second.c_str(), static_cast<int>(pointers.size()),
                                 pointers.data(), nullptr, nullptr, 0)
                 ? awaitReply(m_conn)
                 : nullptr;
    const ExecStatusType st = PQresultStatus(result);
    if (result && (st == PGRES_TUPLES_OK || st == PGRES_COMMAND_OK)) return Status::success();
    s = failure(result);
    PQclear(result);
    result = nullptr;
    return s;
}

Status PgEngine::runWrite(const SqlQuery& query, PGresult*& result) {
    // A write in a transaction of its own needs no savepoint: it fails whole.
    if (m_depth == 0 || m_ownWrite) return run(query, result);
    // Inside a transaction a failed statement would abort the whole of it; the
    // savepoint undoes only the statement, as the embedded engine does.
    Status s = exec("SAVEPOINT tko_write");
    if (!s.ok()) return s;
    s = run(query, result);
    if (s.ok()) {
        Status released = exec("RELEASE SAVEPOINT tko_write");
        if (!released.ok()) {
            PQclear(result);
            result = nullptr;
            return released;
        }
        return s;
    }
    if (!m_lost) exec("ROLLBACK TO SAVEPOINT tko_write; RELEASE SAVEPOINT tko_write");
    return s;
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
    std::map<std::string, std::pair<std::string, std::string>> columns;  // name -> type, collation
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
            columns[PQgetvalue(result, r, 0)] = {PQgetvalue(result, r, 1),
                                                 PQgetvalue(result, r, 2)};
    }
    if (columns.empty()) {
        problems.push_back(table.label + ": table is missing");
        return Status::success();
    }
    auto expectColumn = [&](const std::string& column, const std::string& type,
                            const std::string& collation) {
        auto it = columns.find(column);
        if (it == columns.end()) {
            problems.push_back(table.label + ": column " + column + " is missing");
        } else if (it->second.first != type) {
            problems.push_back(table.label + ": column " + column + " has type " +
                               it->second.first);
        } else if (!collation.empty() && it->second.second != collation) {
            problems.push_back(table.label + ": column " + column + " has collation " +
                               it->second.second + " instead of " + collation);
        }
    };
    expectColumn(kRowIdColumn, "bigint", {});
    expectColumn(kVersionColumn, "integer", {});
    for (const FieldDef& f : table.fields) {
        const bool text = f.type == FieldType::String || f.type == FieldType::Memo ||
                          f.type == FieldType::ByteArray;
        expectColumn(f.name, text ? "text" : "integer",
                     f.type == FieldType::String ? kNameCollation : (text ? "C" : ""));
    }

    struct Component {
        std::string name;
        bool descending = false;
        bool bytewise = false;  // a text component not ordered by the name collation
    };
    struct Index {
        bool unique = false;
        std::vector<Component> components;
    };
    std::map<std::string, Index> indexes;
    {
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
            Index& index = indexes[PQgetvalue(result, r, 0)];
            index.unique = std::string(PQgetvalue(result, r, 1)) == "t";
            Component& component = index.components.emplace_back();
            component.name = unquote(PQgetvalue(result, r, 2));
            component.descending = std::string(PQgetvalue(result, r, 3)) == "1";
            const int field = table.fieldIndex(component.name);
            component.bytewise =
                field >= 0 && table.fields[static_cast<size_t>(field)].type == FieldType::String &&
                std::string(PQgetvalue(result, r, 4)) != kNameCollation;
        }
    }
    bool collationKnown = false;
    for (const KeyDef& key : table.keys) {
        auto it = indexes.find(key.sqlName());
        if (it == indexes.end()) {
            problems.push_back(table.label + ": key " + key.label + " is missing");
            continue;
        }
        if (it->second.unique != key.unique)
            problems.push_back(table.label + ": key " + key.label +
                               (key.unique ? " is not unique" : " should allow duplicates"));
        // A component declared bytewise reads "=NAME", as the key lists it;
        // found bytewise where the name collation is wanted, it makes the
        // note below instead.
        std::string expected, found;
        for (size_t i = 0; i < key.components.size(); ++i)
            expected += (declaredBytewise(table, key, i) ? "=" : "") +
                        table.fields[static_cast<size_t>(key.components[i].field)].name +
                        (key.components[i].descending ? " DESC," : ",");
        // Keys that allow duplicates end in the row id, which orders equal key values.
        if (!key.unique) expected += std::string(kRowIdColumn) + ",";
        bool bytewiseText = false;
        for (size_t i = 0; i < it->second.components.size(); ++i) {
            const Component& c = it->second.components[i];
            const bool declared = declaredBytewise(table, key, i);
            if (c.bytewise && !declared) bytewiseText = true;
            found += (c.bytewise && declared ? "=" : "") + c.name + (c.descending ? " DESC," : ",");
        }
        if (found != expected) {
            problems.push_back(table.label + ": key " + key.label + " has components " + found +
                               " instead of " + expected);
        } else if (bytewiseText) {
            problems.push_back(table.label + ": key " + key.label +
                               " tells names apart by letter case");
            if (!key.unique) continue;
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
                if (std::string(PQgetvalue(result, 0, 0)) != "t") continue;
                collationKnown = true;
            }
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

Status PgEngine::keyCaseDuplicates(const TableDef& table, const KeyDef& key,
                                   std::vector<std::string>& out) {
    out.clear();
    PGresult* result = nullptr;
    Status s = run(keyValuesInNameOrder(m_sql, table, key), result);
    if (!s.ok()) return s;
    ResultGuard guard{result};
    std::vector<std::vector<Value>> values;
    for (int r = 0; r < PQntuples(result); ++r) {
        std::vector<Value> row;
        for (size_t i = 0; i < key.components.size(); ++i) {
            const FieldType type = table.fields[static_cast<size_t>(key.components[i].field)].type;
            const char* text = PQgetvalue(result, r, static_cast<int>(i));
            if (type == FieldType::String || type == FieldType::Memo ||
                type == FieldType::ByteArray)
                row.emplace_back(std::string(text));
            else
                row.emplace_back(std::int64_t{std::strtoll(text, nullptr, 10)});
        }
        values.push_back(std::move(row));
    }
    out = caseDuplicates(values);
    return Status::success();
}

Status PgEngine::planNameCollation(const std::vector<const TableDef*>& tables,
                                   std::vector<const TableDef*>& rebuild,
                                   std::vector<std::pair<const TableDef*, const KeyDef*>>& rekey) {
    rebuild.clear();
    rekey.clear();
    for (const TableDef* table : tables) {
        SqlQuery q;
        q.sql =
            "SELECT a.attname, COALESCE(co.collname, '') FROM pg_attribute a "
            "LEFT JOIN pg_collation co ON co.oid = a.attcollation "
            "WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped";
        q.params.emplace_back(m_sql.tableName(*table));
        PGresult* result = nullptr;
        Status s = run(q, result);
        if (!s.ok()) return s;
        bool bytewiseColumn = false;
        {
            ResultGuard guard{result};
            if (PQntuples(result) == 0)
                continue;  // a missing table is not this function's business
            for (int r = 0; r < PQntuples(result); ++r) {
                const int field = table->fieldIndex(PQgetvalue(result, r, 0));
                if (field >= 0 &&
                    table->fields[static_cast<size_t>(field)].type == FieldType::String &&
                    std::string(PQgetvalue(result, r, 1)) != kNameCollation)
                    bytewiseColumn = true;
            }
        }
        if (bytewiseColumn) {
            rebuild.push_back(table);
            continue;
        }
        // Each index's text components, in order, and whether each orders
        // by the name collation.
        q.sql = "SELECT ic.relname, k.n, a.attname, COALESCE(ico.collname, '') = '" +
                std::string(kNameCollation) +
                "' FROM pg_index ix JOIN pg_class ic ON ic.oid = ix.indexrelid "
                "CROSS JOIN LATERAL generate_series(1, ix.indnatts) AS k(n) "
                "JOIN pg_attribute a ON a.attrelid = ix.indrelid AND a.attnum = ix.indkey[k.n - 1] "
                "LEFT JOIN pg_collation ico ON ico.oid = ix.indcollation[k.n - 1] "
                "WHERE ix.indrelid = to_regclass($1) AND a.atttypid = 'text'::regtype";
        s = run(q, result);
        if (!s.ok()) return s;
        // Keys with a text component ordered otherwise than declared: bytewise
        // where the name collation is wanted, or the other way round.
        std::set<std::string> misordered;
        {
            ResultGuard guard{result};
            for (int r = 0; r < PQntuples(result); ++r) {
                const std::string index = PQgetvalue(result, r, 0);
                const int field = table->fieldIndex(PQgetvalue(result, r, 2));
                if (field < 0 ||
                    table->fields[static_cast<size_t>(field)].type != FieldType::String)
                    continue;
                const size_t n = static_cast<size_t>(std::atoi(PQgetvalue(result, r, 1)) - 1);
                bool declared = false;
                for (const KeyDef& key : table->keys)
                    if (key.sqlName() == index) declared = declaredBytewise(*table, key, n);
                const bool byName = std::string(PQgetvalue(result, r, 3)) == "t";
                if (byName == declared) misordered.insert(index);
            }
        }
        for (const KeyDef& key : table->keys) {
            if (!misordered.count(key.sqlName())) continue;
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

std::string PgEngine::indexName(const TableDef& table, const KeyDef& key) const {
    if (table.file == TableFile::Users)
        return m_sql.quoted(kUsersSchema) + "." + m_sql.quoted(key.sqlName());
    return m_sql.quoted(key.sqlName());
}

Status PgEngine::adoptNameCollation(const std::vector<const TableDef*>& tables) {
    std::vector<const TableDef*> rebuild;
    std::vector<std::pair<const TableDef*, const KeyDef*>> rekey;
    Status s = planNameCollation(tables, rebuild, rekey);
    if (!s.ok() || (rebuild.empty() && rekey.empty())) return s;
    s = begin({}, m_options.lockTimeoutMs);
    if (!s.ok()) return s;
    // One station at a time; plan again, another may have done it meanwhile.
    s = exec(std::string("SELECT pg_advisory_xact_lock(") + kCreateLockKey + ")");
    if (s.ok()) s = exec(createNameCollation());
    if (s.ok()) s = planNameCollation(tables, rebuild, rekey);
    for (const TableDef* table : rebuild) {
        if (!s.ok()) break;
        // A unique key whose values would collide is dropped before the columns
        // change (the change rebuilds every index by the new collation) and made
        // again bytewise afterwards.
        std::vector<const KeyDef*> bytewise;
        for (const KeyDef& key : table->keys) {
            if (!s.ok() || !key.unique || !hasTextComponent(*table, key)) continue;
            std::vector<std::string> duplicates;
            s = keyCaseDuplicates(*table, key, duplicates);
            if (s.ok() && !duplicates.empty()) {
                bytewise.push_back(&key);
                s = exec("DROP INDEX IF EXISTS " + indexName(*table, key));
            }
        }
        std::string alter;
        for (const FieldDef& f : table->fields) {
            if (f.type != FieldType::String) continue;
            alter += std::string(alter.empty() ? "" : ", ") + "ALTER COLUMN " +
                     m_sql.quoted(f.name) + " TYPE " + m_sql.dialect().nameType;
        }
        if (s.ok()) s = exec("ALTER TABLE " + m_sql.tableName(*table) + " " + alter);
        // A key with a component declared letter for letter was rebuilt by
        // the new collation too: it is made again as declared.
        for (const KeyDef& key : table->keys) {
            bool declared = false;
            for (size_t i = 0; i < key.components.size(); ++i)
                declared = declared || declaredBytewise(*table, key, i);
            if (!s.ok() || !declared ||
                std::find(bytewise.begin(), bytewise.end(), &key) != bytewise.end())
                continue;
            s = exec("DROP INDEX IF EXISTS " + indexName(*table, key));
            if (s.ok()) s = exec(m_sql.createIndex(*table, key));
        }
        for (const KeyDef* key : bytewise)
            if (s.ok()) s = exec(m_sql.createIndex(*table, *key, true));
    }
    for (const auto& [table, key] : rekey) {
        if (!s.ok()) break;
        s = exec("DROP INDEX " + indexName(*table, *key));
        if (s.ok()) s = exec(m_sql.createIndex(*table, *key));
    }
    if (!s.ok()) {
        rollback();
        return s;
    }
    s = commit();
    // Statements prepared before the change return columns of the old
    // collation, which the server refuses to reuse: prepare them afresh.
    if (s.ok() && !rebuild.empty()) {
        s = exec("DEALLOCATE ALL");
        forgetStatements();
    }
    return s;
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

Status PgEngine::bulkAdd(const TableDef& table, const std::vector<Row>& rows) {
    if (rows.empty()) return Status::success();
    Status s = ensureConnected();
    if (!s.ok()) return s;
    // Build the whole COPY text first, so that bad input stops it before
    // anything reaches the server.
    std::string data;
    for (const Row& row : rows) {
        for (size_t i = 0; i < table.fields.size(); ++i) {
            if (i) data += '\t';
            const Value v = i < row.values.size() ? normalise(table.fields[i], row.values[i])
                                                  : blankValue(table.fields[i]);
            if (const auto* n = std::get_if<std::int64_t>(&v)) {
                data += std::to_string(*n);
            } else {
                const std::string& text = std::get<std::string>(v);
                if (!storableText(text)) return badText(text);
                appendCopyText(text, data);
            }
        }
        data += '\n';
    }
    std::string columns;
    for (const FieldDef& f : table.fields)
        columns += (columns.empty() ? "" : ", ") + m_sql.quoted(f.name);

    if (m_depth > 0) {
        s = exec("SAVEPOINT tko_write");
        if (!s.ok()) return s;
    }
    auto undo = [&](Status failed) {
        if (m_depth > 0 && !m_lost)
            exec("ROLLBACK TO SAVEPOINT tko_write; RELEASE SAVEPOINT tko_write");
        return failed;
    };
    {
        PGresult* result = PQexec(
            m_conn, ("COPY " + m_sql.tableName(table) + " (" + columns + ") FROM STDIN").c_str());
        ResultGuard guard{result};
        if (PQresultStatus(result) != PGRES_COPY_IN) return undo(failure(result));
    }
    constexpr size_t kChunk = 1 << 20;
    bool sent = true;
    for (size_t at = 0; at < data.size() && sent; at += kChunk) {
        const size_t n = std::min(kChunk, data.size() - at);
        sent = PQputCopyData(m_conn, data.data() + at, static_cast<int>(n)) == 1;
    }
    if (PQputCopyEnd(m_conn, sent ? nullptr : "client failed to send data") != 1) sent = false;
    Status result = Status::success();
    while (PGresult* r = PQgetResult(m_conn)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && result.ok()) result = failure(r);
        PQclear(r);
    }
    if (result.ok() && !sent) result = connectionLost(PQerrorMessage(m_conn));
    if (!result.ok()) return undo(result);
    if (m_depth > 0) return exec("RELEASE SAVEPOINT tko_write");
    return result;
}

Status PgEngine::backup(const std::string& dataPath, const std::string& usersPath) {
    if (m_depth > 0) return Status::error(kTransactionError, "Cannot back up inside a transaction");
    Status s = ensureConnected();
    if (!s.ok()) return s;

    const fs::path dataTemp = fs::absolute(dataPath + ".tmp");
    const fs::path usersTemp = fs::absolute(usersPath + ".tmp");
    std::error_code ec;
    auto removeTemps = [&] {
        for (const fs::path& p : {dataTemp, usersTemp}) {
            fs::remove(p, ec);
            fs::remove(p.string() + "-journal", ec);
        }
    };
    removeTemps();
    SqliteOptions fileOptions;
    fileOptions.create = true;
    fileOptions.dataName = dataTemp.filename().string();
    fileOptions.usersName = usersTemp.string();
    auto files = SqliteEngine::open(dataTemp.parent_path().string(), fileOptions, s);
    if (!files) return s;
    s = files->createTables(m_options.tables);
    if (s.ok()) s = files->begin({}, m_options.lockTimeoutMs);
    // One snapshot of every table: rows committed by other stations while the
    // copy runs are either all in it or not at all.
    if (s.ok()) s = exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (s.ok()) {
        m_depth = 1;
        for (const TableDef* table : m_options.tables) {
            std::int64_t copied = 0;
            s = copyTableRows(*this, *files, *table, copied);
            if (!s.ok()) break;
        }
        rollback();  // read only: nothing to keep
        if (s.ok()) s = files->commit();
    }
    files.reset();
    if (s.ok()) {
        fs::rename(dataTemp, dataPath, ec);
        if (!ec) fs::rename(usersTemp, usersPath, ec);
        if (ec) s = Status::error(kAccessDenied, "Cannot write the backup: " + ec.message());
    }
    if (!s.ok()) removeTemps();
    return s;
}

// ---- per-user roles (PgRoles.h) ----------------------------------------------------

void PgEngine::chooseDialect() {
    SqlDialect dialect = postgresDialect();
    // The stations' gate (before the log-in) may not select those columns either.
    const std::string db = databaseName(), role = sessionRole();
    if (isUserRole(db, role) || role == gateRoleName(db)) dialect.maskedColumns = maskedColumns();
    m_sql = SqlBuilder(std::move(dialect));
    forgetStatements();
}

std::string PgEngine::databaseName() const {
    const char* name = PQdb(m_conn);
    return name ? name : "";
}

std::string PgEngine::sessionRole() const {
    const char* name = PQuser(m_conn);
    return name ? name : "";
}

std::string PgEngine::scramVerifier(const std::string& password) const {
    char* encrypted = PQencryptPasswordConn(m_conn, password.c_str(), "", "scram-sha-256");
    if (!encrypted) return {};
    std::string verifier = encrypted;
    PQfreemem(encrypted);
    return verifier;
}

Status PgEngine::execute(const std::string& sql, const std::vector<std::string>& params,
                         std::vector<std::vector<std::string>>* rows) {
    Status s = ensureConnected();
    if (!s.ok()) return s;
    std::vector<const char*> pointers;
    for (const std::string& p : params) pointers.push_back(p.c_str());
    ++m_roundTrips;
    // Without parameters the text may hold several statements (a script).
    const int sent = params.empty()
                         ? PQsendQuery(m_conn, sql.c_str())
                         : PQsendQueryParams(m_conn, sql.c_str(), static_cast<int>(pointers.size()),
                                             nullptr, pointers.data(), nullptr, nullptr, 0);
    PGresult* result = sent ? awaitReply(m_conn) : nullptr;
    ResultGuard guard{result};
    const ExecStatusType st = PQresultStatus(result);
    if (!result || (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)) return failure(result);
    if (rows) {
        rows->clear();
        for (int r = 0; r < PQntuples(result); ++r) {
            std::vector<std::string> cells;
            for (int c = 0; c < PQnfields(result); ++c)
                cells.emplace_back(PQgetvalue(result, r, c));
            rows->push_back(std::move(cells));
        }
    }
    return Status::success();
}

Status PgEngine::reconnectAs(const std::string& role, const std::string& password, bool& refused,
                             bool& noLogin) {
    refused = noLogin = false;
    if (m_depth > 0)
        return Status::error(kInvalidArgument, "A log-in cannot change a transaction's role");
    // The connection string first: the role and password named after it win.
    const char* keywords[] = {"dbname", "user", "password", nullptr};
    const char* values[] = {m_connInfo.c_str(), role.c_str(), password.c_str(), nullptr};
    PGconn* conn = PQconnectdbParams(keywords, values, 1);
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        std::string message = conn ? PQerrorMessage(conn) : "out of memory";
        PQfinish(conn);
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        noLogin = message.find("is not permitted to log in") != std::string::npos;
        refused = noLogin || message.find("authentication failed") != std::string::npos ||
                  message.find("does not exist") != std::string::npos;
        return Status::engine(kEngineError, kConnectionCode, message,
                              "Cannot connect to the database server");
    }
    PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
    PQfinish(m_conn);
    m_conn = conn;
    m_missedNotices = true;
    chooseDialect();
    return setUpSession();
}

}  // namespace tko::store
