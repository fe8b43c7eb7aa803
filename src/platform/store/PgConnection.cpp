// The server engine's connection: connecting and setting up the session,
// reconnecting, sending statements (prepared once per session) and mapping
// the server's errors onto store codes.
#include "platform/store/PgEngine.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/store/PgDetail.h"
#include "platform/store/PgRoles.h"

namespace tko::store {
using namespace pgdetail;

namespace pgdetail {

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

}  // namespace pgdetail

namespace {

// The SQLSTATE as a number for Status::engineCode: the digits themselves when
// it has only digits (23505), else read as a base-36 number (55P03).
int sqlstateNumber(const char* state) {
    if (!state || std::strlen(state) != 5) return 0;
    bool digits = true;
    for (int i = 0; i < 5; ++i) digits = digits && state[i] >= '0' && state[i] <= '9';
    return static_cast<int>(std::strtol(state, nullptr, digits ? 10 : 36));
}

// Waits for the reply to what was just sent and returns it as PQexec does:
// the last result, or the first error when the server reported one. The
// thread sleeps in poll() on the connection's socket until bytes arrive, so
// a station waiting for the server takes no processor time from the server
// or the other stations on the same machine (a busy-wait did, and under load
// it held up the very reply it waited for).
PGresult* awaitReply(PGconn* conn) {
    while (PQisBusy(conn)) {
        pollfd socket{PQsocket(conn), POLLIN, 0};
        if (socket.fd < 0) break;  // PQgetResult reports the broken connection
        const int ready = ::poll(&socket, 1, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || PQconsumeInput(conn) == 0) break;
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

void ignoreNotice(void*, const char*) {}

}  // namespace

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
    // keep. No statement of a station starts parallel workers either: their
    // start costs more than the few rows a station reads (a word search of
    // 1 000 000 assignments took 90 ms with two workers on a busy server, of
    // which 0.3 ms was reading, and 0.5 ms without them).
    return exec("SET lock_timeout = " + std::to_string(std::max(1, m_options.lockTimeoutMs)) +
                "; SET client_min_messages = warning; SET standard_conforming_strings = on"
                "; SET plan_cache_mode = force_generic_plan; SET enable_sort = off"
                "; SET enable_incremental_sort = off; SET jit = off"
                "; SET enable_parallel_append = off; SET max_parallel_workers_per_gather = 0"
                "; LISTEN " +
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
