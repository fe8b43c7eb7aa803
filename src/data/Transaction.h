// One helper for the small writes that must be whole: settings, notices,
// seal keys, calendar accounts.
#pragma once

#include <string>
#include <vector>

#include "data/Database.h"

namespace tko {

// Runs `write` in the caller's transaction when one is open (its outcome is
// then the caller's to commit or undo), or in one of its own over `tables`,
// waiting at most `timeoutMs` for the lock: committed when `write` succeeds,
// undone when it fails.
template <class F>
Status inTransaction(Database& db, const std::vector<std::string>& tables, int timeoutMs,
                     F&& write) {
    if (db.engine().transactionDepth() > 0) return write();
    Status s = db.begin(tables, timeoutMs);
    if (!s.ok()) return s;
    s = write();
    if (!s.ok()) {
        db.rollback();
        return s;
    }
    return db.commit();
}

}  // namespace tko
