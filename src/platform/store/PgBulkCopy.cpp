// The server engine's bulk copy: many rows sent at once through COPY.
#include "platform/store/PgEngine.h"

#include <libpq-fe.h>

#include <algorithm>

#include "platform/store/PgDetail.h"

namespace tko::store {
using namespace pgdetail;

namespace {

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

}  // namespace

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
        if (PQresultStatus(result) != PGRES_COPY_IN) {
            // A table under row-level security takes no COPY from a role the
            // rules apply to (feature not supported): its rows go in one by
            // one, each checked by the rules as any insert is.
            const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
            if (!state || std::string(state) != "0A000") return undo(failure(result));
            undo(Status::success());
            for (const Row& given : rows) {
                Row row = given;
                if (Status added = add(table, row); !added.ok()) return added;
            }
            return Status::success();
        }
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

Status PgEngine::addAll(const TableDef& table, const RowSource& next, std::int64_t /*expected*/) {
    Status s = begin({table.label}, 10000);
    if (!s.ok()) return s;
    std::vector<Row> batch;
    Row row;
    bool more = true;
    while (more) {
        Status got = next(row);
        more = got.ok();
        if (!more && !got.endOfRange()) s = got;
        if (more) batch.push_back(row);
        if (s.ok() && (batch.size() == 10000 || (!more && !batch.empty()))) {
            s = bulkAdd(table, batch);
            batch.clear();
        }
        more = more && s.ok();
    }
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

}  // namespace tko::store
