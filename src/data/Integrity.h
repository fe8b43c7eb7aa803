// Deleting and changing records that other tables refer to. Each operation runs
// in one transaction over the record's table and its child tables: children of
// a deleted record are deleted, children of a record whose linking value changed
// are rewritten with the new value, and a record changed by another station
// since it was read is not overwritten. Any failure rolls the whole transaction
// back, so parent and children stay as they were.
//
// The operations never show anything: the outcome carries the standard message
// for the window layer to show.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "data/Database.h"
#include "data/Messages.h"
#include "platform/Outcome.h"

namespace tko {

inline constexpr int kIntegrityTimeoutMs = 2000;

// The operations below report Done, ChangedElsewhere or Failed, each failure
// with its standard message; they never refuse.

// Deletes the row at `pos` and, in the order fixed for its table, every child
// row (a child that is itself a parent takes its own children with it).
Outcome deleteCascade(Database& db, const store::TableDef& table, std::int64_t pos);

// Writes `changed` (read earlier at changed.pos, changed.version) and rewrites
// the children that carry a linking value of `original` that changed. When the
// stored row was changed by another station meanwhile, nothing is written,
// `changed` is re-read with the other station's values, and the result is
// ChangedElsewhere with message 38 (`showChanges`) or 15.
Outcome changeCascade(Database& db, const store::TableDef& table, store::Row& changed,
                      const store::Row& original, bool showChanges);

// The tables one delete or change transaction of `table` covers, parent first.
std::vector<std::string> transactionTables(const store::TableDef& table, bool forDelete);

template <class R>
Outcome deleteRecord(Database& db, const R& record) {
    return deleteCascade(db, R::def(), record.rowPos);
}

// A record that an insert form adds the moment it opens, so that it has its
// number while the user attaches reminders, links or users to it; when the
// form is cancelled it goes again, with all that was attached (deleteRecord()).
// One per form, used on the GUI thread.
template <class R>
class ProvisionalRecord {
public:
    // Adds `record` through `add` (which gives it its number). When another
    // station took the same number at the same moment (kDuplicateKey),
    // `retry` is asked, with the store's error text, whether to try again.
    // Returns success once added (the record is then pending), else the last
    // failure (nothing is pending).
    Status add(Database& db, R& record, const std::function<Status(R&)>& add,
               const std::function<bool(const std::string& error)>& retry) {
        for (;;) {
            const Status s = add(record);
            if (s.ok()) {
                m_pending = true;
                return s;
            }
            if (s.code != store::kDuplicateKey || !retry(db.lastError().describe())) return s;
        }
    }
    // The form's own add left a new unconfirmed record (a duplicate for the
    // next person): Cancel deletes it.
    void adopt() { m_pending = true; }
    // OK stored the record: Cancel leaves it.
    void keep() { m_pending = false; }
    bool pending() const { return m_pending; }
    // Cancel: deletes the pending `record` again; Done when none is pending.
    Outcome cancel(Database& db, const R& record) {
        if (!m_pending) return {};
        m_pending = false;
        return deleteRecord(db, record);
    }

private:
    bool m_pending = false;
};

template <class R>
Outcome changeRecord(Database& db, R& record, const R& original, bool showChanges = false) {
    store::Row row = record.toRow();
    Outcome outcome = changeCascade(db, R::def(), row, original.toRow(), showChanges);
    if (outcome.kind != Outcome::Failed) record.fromRow(row);
    return outcome;
}

}  // namespace tko
