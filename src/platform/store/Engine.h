// The keyed-table interface every storage engine offers. Callers see tables,
// keys, positions and memos; whether SQLite or a database server sits below is
// the engine's business. Every call returns a Status; reading past the end of a
// key range returns kRecordNotAvailable (33).
//
// An engine object is one station's connection. It is not thread-safe: one
// thread uses it at a time (the GUI thread, or a worker that owns its own
// engine).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/store/Filter.h"
#include "platform/store/Schema.h"
#include "platform/store/Status.h"

namespace tko::store {

enum class Direction { Forward, Backward };

// Where a read along a key starts.
//  - `values` holds the first N key components (N may be 0: the start or end of
//    the key; fewer than all: the rest count as "lowest" going forward and
//    "highest" going backward, i.e. the whole prefix is included).
//  - `after`, when set, continues strictly after (forward) or before (backward)
//    the row at that position; `values` then holds all components of that row.
struct KeyPosition {
    std::vector<Value> values;
    std::optional<std::int64_t> after;

    static KeyPosition start() { return {}; }
    static KeyPosition at(std::vector<Value> prefix) { return {std::move(prefix), std::nullopt}; }
    static KeyPosition continuing(std::vector<Value> keyValues, std::int64_t pos) {
        return {std::move(keyValues), pos};
    }
};

// The key values of `row` along `key`, for KeyPosition::continuing.
std::vector<Value> keyValuesOf(const KeyDef& key, const Row& row);

struct ReadRequest {
    const KeyDef* key = nullptr;  // nullptr: physical order (position)
    KeyPosition from;
    Direction direction = Direction::Forward;
    Filter filter;
    int limit = 20;
    bool withMemos = true;
};

// What changed in the store since a station last asked: the labels of the
// tables written, or `everything` when the engine cannot tell which (a station
// that reconnected may have missed notices).
// Hands out the rows of a bulk add one at a time: fills `row` and returns
// success, returns kRecordNotAvailable when none is left, or returns any
// other failure to stop the add (nothing of it is kept).
using RowSource = std::function<Status(Row& row)>;

struct ChangeNotice {
    std::set<std::string> tables;
    bool everything = false;

    bool empty() const { return tables.empty() && !everything; }
    bool touches(const std::string& table) const { return everything || tables.count(table) > 0; }
    void merge(const ChangeNotice& other) {
        tables.insert(other.tables.begin(), other.tables.end());
        everything = everything || other.everything;
    }
};

class Engine {
public:
    virtual ~Engine() = default;

    virtual std::string engineName() const = 0;
    // How many index ranges one page read merges (one per combination of the
    // alternatives of its filter's either-ors); callers shape filters so that
    // the ranges they want read as such stay within it.
    virtual std::size_t mostRangesPerRead() const { return 8; }

    // Creates every missing table and key of `tables`; existing ones are kept.
    virtual Status createTables(const std::vector<const TableDef*>& tables) = 0;
    // Checks that `table` and each of its keys exist with the right columns,
    // order and uniqueness; appends one line per problem to `problems`.
    virtual Status verifyTable(const TableDef& table, std::vector<std::string>& problems) = 0;
    // Builds the keys of `table` anew from its rows, for keys that are missing
    // or do not match their definition; a unique key the rows break fails.
    // This default only adds missing keys.
    virtual Status rebuildKeys(const TableDef& table) { return createTables({&table}); }
    // Checks the database files themselves; appends one line per problem.
    virtual Status verifyStorage(std::vector<std::string>& problems) = 0;
    // Brings existing `tables` whose texts still compare with regard to letter
    // case to the name collation (NameCollation.h): their text columns and keys
    // are rebuilt, rows, positions and versions kept. A unique key whose stored
    // values differ only in case keeps its old order instead, so that nothing is
    // refused or lost; verifyTable names those values, and a later call converts
    // the key once they are renamed. Writes nothing when all is up to date.
    virtual Status adoptNameCollation(const std::vector<const TableDef*>& tables) = 0;
    // Creates the text indexes (TextIndexDef) of existing `tables` that are
    // missing and fills them from the rows; with `rebuild`, fills every one
    // anew. `made` gets the label of each index created or filled. Writes
    // nothing when all are there and `rebuild` is false. An engine that
    // wraps another passes the call on; this default keeps none.
    virtual Status refreshTextIndexes(const std::vector<const TableDef*>& tables, bool rebuild,
                                      std::vector<std::string>& made) {
        (void)tables;
        (void)rebuild;
        made.clear();
        return Status::success();
    }

    // Up to `limit` rows along the key, in reading order (nearest first).
    // An empty result is kRecordNotAvailable.
    virtual Status read(const TableDef& table, const ReadRequest& request,
                        std::vector<Row>& out) = 0;
    // The first row whose key equals `keyValues` (all or a prefix of the
    // components); kRecordNotFound when there is none.
    virtual Status fetch(const TableDef& table, const KeyDef& key,
                         const std::vector<Value>& keyValues, Row& out) = 0;
    // The row at `pos`; kRecordNotFound when it was deleted.
    virtual Status reread(const TableDef& table, std::int64_t pos, Row& out) = 0;
    virtual Status count(const TableDef& table, const Filter& filter, std::int64_t& out) = 0;
    // The same count read along `key`'s index whatever the engine's planner
    // estimates: for statements that run at every log-in or change, where a
    // skewed column (most rows open) can mislead the estimate into reading
    // most of the table. `filter` should bound the key's leading components.
    // The default counts as count() does.
    virtual Status countAlong(const TableDef& table, const KeyDef& key, const Filter& filter,
                              std::int64_t& out);
    // The same count read through the whole table in its stored order, no
    // index: for a count that keeps most rows of a large table, which an
    // index would visit in random order, a page read for nearly every row
    // (a report's progress over the office's open work). The default counts
    // as count() does.
    virtual Status countByScan(const TableDef& table, const Filter& filter, std::int64_t& out);
    // The distinct values of the first component of `key` among the rows
    // `filter` keeps, in the key's order, at most `most` of them; values the
    // key holds equal (names differing only in letter case) count once, as
    // the first of them in the key's order. Read with one index seek per
    // value; an engine behind a network connection does that in one statement.
    virtual Status distinctValues(const TableDef& table, const KeyDef& key, const Filter& filter,
                                  std::size_t most, std::vector<Value>& out);

    // Adds `row` (values normalised to the field widths); sets its pos and version.
    virtual Status add(const TableDef& table, Row& row) = 0;
    // Adds every row `next` hands out, all or none (a failure of `next` or
    // of any row is returned and undoes the add): in one transaction of its
    // own, or inside the caller's. `expected` is how many rows will come (a
    // hint the engine may use to pick its way of adding them). Costs the same
    // per row however many there are; the rows' positions are not reported.
    virtual Status addAll(const TableDef& table, const RowSource& next, std::int64_t expected);
    // Writes `row` over the stored row at row.pos when the stored version still
    // equals row.version (else kChangedByOther, nothing written); bumps row.version.
    virtual Status change(const TableDef& table, Row& row) = 0;
    // Deletes the row at `pos`; kRecordNotFound when there is none.
    virtual Status remove(const TableDef& table, std::int64_t pos) = 0;

    // Transactions nest: an inner begin is a savepoint. `tables` names what the
    // transaction will write; `timeoutMs` bounds the wait for the locks.
    virtual Status begin(const std::vector<std::string>& tables, int timeoutMs) = 0;
    virtual Status commit() = 0;
    virtual Status rollback() = 0;
    virtual int transactionDepth() const = 0;

    // Reclaims the space of deleted rows.
    virtual Status pack() = 0;
    // A consistent copy of the shared tables into `dataPath` and of the users
    // table into `usersPath`, taken while other stations may write.
    virtual Status backup(const std::string& dataPath, const std::string& usersPath) = 0;

    // ---- change notices
    // Collects, without waiting, what other stations committed since the last
    // call into `out` (nothing on the first call). Rolled-back work never
    // shows. Called outside transactions only; inside one it reports nothing.
    // A lost server connection is reported as the failed Status; the next call
    // tries to connect again and, once it has, reports `everything`.
    virtual Status takeChanges(ChangeNotice& out) {
        (void)out;
        return Status::success();
    }
    // A socket that becomes readable when a notice may be waiting (the server
    // engine); -1 when the engine must be polled.
    virtual int changeSocket() const { return -1; }
    // A file on this machine that every commit of any station writes (the
    // embedded engine's data file), empty when there is none: a station may
    // watch it to hear other stations' commits at once rather than at its
    // next look. A change seen there means "ask takeChanges()", nothing more.
    virtual std::string changeFile() const { return {}; }
    // Called after each commit of this station's own writes (and after each
    // write made outside a transaction) with the tables written, so that the
    // station's other windows learn of them: no engine reports a station's
    // own writes through takeChanges().
    void setCommitObserver(std::function<void(const ChangeNotice&)> observer) {
        m_commitObserver = std::move(observer);
    }

protected:
    void committed(const ChangeNotice& notice) {
        if (m_commitObserver && !notice.empty()) m_commitObserver(notice);
    }

private:
    std::function<void(const ChangeNotice&)> m_commitObserver;
};

}  // namespace tko::store
