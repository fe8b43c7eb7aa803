// One station's handle on the shared data: the storage engine, typed access to
// the record structs of Records.h, the open counters and the last-error record.
//
// A Database is used from one thread at a time. Every call returns a Status;
// a failed call is also kept in lastError() for the standard messages.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/Tables.h"
#include "platform/store/Engine.h"

namespace tko {

using store::Status;

// Where a station's data lives: a data directory (SQLite files) or a server.
struct DataSource {
    std::string directory;   // the shared data directory
    std::string serverInfo;  // a PostgreSQL connection string; empty for the files
};

// What the stored tables look like against the current definitions.
struct LayoutCheck {
    int presentTables = 0;               // tables of the definitions that exist
    bool foreignTables = false;          // the store holds tables that are not ours
    std::vector<std::string> layout;     // a missing table or column, a wrong type
    std::vector<std::string> keys;       // a missing key or one unlike its definition
    std::vector<std::string> keyTables;  // the labels of the tables of `keys`
    // Tables of later versions that the store lacks (isLaterTable()): not a
    // fault; opening with `addMissing` creates them.
    std::vector<std::string> laterTables;

    bool newStore() const { return presentTables == 0 && !foreignTables; }
};

class Database {
public:
    // Opens the data at `source`. With `create`, missing database files (or the
    // server's tables) are created, and every table and key is created in a
    // store that holds no tables at all; the directory itself must exist.
    // Tables are never added to a store that already has some. `lockTimeoutMs`
    // bounds the wait for another station's lock on ordinary reads and writes.
    // With `addMissing`, a store whose tables or columns differ from the
    // definitions is refused (kInvalidRecordLayout) before anything is written,
    // and missing keys are added; `check` opens without it, to report rather
    // than refuse or repair. On failure returns nullptr with `status` set.
    static std::unique_ptr<Database> open(const DataSource& source, bool create, Status& status,
                                          int lockTimeoutMs = 10000, bool addMissing = true);
    // The engine alone, as open() makes it (for callers that wrap it).
    static std::unique_ptr<store::Engine> openEngine(const DataSource& source, bool create,
                                                     Status& status, int lockTimeoutMs = 10000);
    // Wraps an engine that the caller opened (tests, other engines).
    explicit Database(std::unique_ptr<store::Engine> engine);
    ~Database();

    store::Engine& engine() { return *m_engine; }

    // Creates missing tables and keys.
    Status createTables();
    // True when a table or key of the current definitions is not in the store.
    bool missesTablesOrKeys();
    // Compares the stored tables, columns and keys with the definitions.
    Status checkLayout(LayoutCheck& out);
    // One line per problem found in the tables, keys or files.
    Status check(std::vector<std::string>& problems);
    // Makes the text indexes of the word search that are missing, or with
    // `rebuild` all of them anew (Engine::refreshTextIndexes()).
    Status refreshTextIndexes(bool rebuild);
    // Takes and releases the write lock: kFileLocked when another station
    // holds it longer than `timeoutMs`.
    Status probeLock(int timeoutMs);

    // ---- typed record access -------------------------------------------------
    template <class R>
    Status add(R& record) {
        store::Row row = record.toRow();
        if (Status refused = textGuard(R::def(), row, false); !refused.ok()) return refused;
        Status s = track(m_engine->add(R::def(), row));
        if (s.ok()) record.fromRow(row);
        return s;
    }
    // Adds every record `next` hands out (store::Engine::addAll()): all or
    // none, each one's text checked as add() checks it. For many at once.
    Status addAll(const store::TableDef& table, const store::RowSource& next,
                  std::int64_t expected);
    template <class R>
    Status addAll(const std::vector<R>& records) {
        std::size_t i = 0;
        const auto next = [&](store::Row& row) {
            if (i == records.size()) return Status::error(store::kRecordNotAvailable);
            row = records[i++].toRow();
            return Status::success();
        };
        return addAll(R::def(), next, static_cast<std::int64_t>(records.size()));
    }
    // Version-checked write of a record read earlier: kChangedByOther when another
    // station changed it since, and nothing is written.
    template <class R>
    Status change(R& record) {
        store::Row row = record.toRow();
        if (Status refused = textGuard(R::def(), row, true); !refused.ok()) return refused;
        Status s = track(m_engine->change(R::def(), row));
        if (s.ok()) record.fromRow(row);
        return s;
    }
    template <class R>
    Status remove(const R& record) {
        return track(m_engine->remove(R::def(), record.rowPos));
    }
    // Re-reads the record at its row position.
    template <class R>
    Status reread(R& record) {
        store::Row row;
        Status s = track(m_engine->reread(R::def(), record.rowPos, row));
        if (s.ok()) record.fromRow(row);
        return s;
    }
    // The first record whose key starts with `values`.
    template <class R>
    Status fetch(const std::string& keyLabel, const std::vector<store::Value>& values, R& out) {
        const store::KeyDef* key = R::def().key(keyLabel);
        if (!key) return track(Status::error(store::kInvalidArgument, "Unknown key " + keyLabel));
        store::Row row;
        Status s = track(m_engine->fetch(R::def(), *key, values, row));
        if (s.ok()) out.fromRow(row);
        return s;
    }
    // A page along a key; kRecordNotAvailable (33) when nothing is left.
    template <class R>
    Status read(const store::ReadRequest& request, std::vector<R>& out) {
        std::vector<store::Row> rows;
        Status s = m_engine->read(R::def(), request, rows);
        if (!s.ok() && !s.endOfRange()) track(s);
        out.clear();
        out.resize(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) out[i].fromRow(rows[i]);
        return s;
    }
    // Every record along `keyLabel` matching `filter` (for short child lists).
    template <class R>
    Status readAll(const std::string& keyLabel, const store::Filter& filter, std::vector<R>& out) {
        out.clear();
        store::ReadRequest request;
        request.key = keyLabel.empty() ? nullptr : R::def().key(keyLabel);
        request.filter = filter;
        request.limit = 500;
        for (;;) {
            std::vector<R> page;
            Status s = read(request, page);
            if (s.endOfRange()) return Status::success();
            if (!s.ok()) return s;
            out.insert(out.end(), page.begin(), page.end());
            if (static_cast<int>(page.size()) < request.limit) return Status::success();
            const store::Row last = page.back().toRow();
            request.from = request.key ? store::KeyPosition::continuing(
                                             store::keyValuesOf(*request.key, last), last.pos)
                                       : store::KeyPosition{{}, last.pos};
        }
    }
    template <class R>
    Status count(const store::Filter& filter, std::int64_t& out) {
        return track(m_engine->count(R::def(), filter, out));
    }
    // The count read through the whole table (see store::Engine::countByScan()).
    template <class R>
    Status countByScan(const store::Filter& filter, std::int64_t& out) {
        return track(m_engine->countByScan(R::def(), filter, out));
    }
    // The count read along the key `keyLabel` (see store::Engine::countAlong()).
    template <class R>
    Status countAlong(const std::string& keyLabel, const store::Filter& filter, std::int64_t& out) {
        const store::KeyDef* key = R::def().key(keyLabel);
        if (!key) return track(Status::error(store::kInvalidArgument, "Unknown key " + keyLabel));
        return track(m_engine->countAlong(R::def(), *key, filter, out));
    }

    // ---- transactions ---------------------------------------------------------
    Status begin(const std::vector<std::string>& tables, int timeoutMs);
    Status commit();
    Status rollback();

    // ---- open counters ---------------------------------------------------------
    // A table is opened by the first user and closed by the last; open() returns
    // true when this call opened it. Counts are per program instance.
    bool openTable(const std::string& label);
    bool closeTable(const std::string& label);
    int openCount(const std::string& label) const;

    // ---- last error ------------------------------------------------------------
    // The last failed call: its code and this program's text, the %1 of the
    // standard messages through describe().
    const Status& lastError() const { return m_lastError; }
    // Records a failed status (any code but 0 and 33) as the last error and
    // writes an engine's own words to the engine log (EngineLog.h).
    Status track(Status status);

    // No text field of `row` may take a control or text-direction character
    // (checkRowText(), data/FieldWidth.h); when `changing`, a field that keeps
    // its stored value passes. kInvalidArgument, tracked, naming the field.
    Status textGuard(const store::TableDef& table, const store::Row& row, bool changing);

private:
    std::unique_ptr<store::Engine> m_engine;
    std::map<std::string, int> m_openCounts;
    Status m_lastError;
};

}  // namespace tko
