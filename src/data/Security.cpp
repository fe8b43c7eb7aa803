#include "data/Security.h"

#include "data/Keys.h"
#include "data/Tables.h"

namespace tko {

namespace {

constexpr int kSecurityTimeoutMs = 3000;

// Runs `write` in the caller's transaction, or in one of its own.
template <class F>
Status inTransaction(Database& db, F&& write) {
    if (db.engine().transactionDepth() > 0) return write();
    Status s = db.begin({label::SECURITY}, kSecurityTimeoutMs);
    if (!s.ok()) return s;
    s = write();
    if (!s.ok()) {
        db.rollback();
        return s;
    }
    return db.commit();
}

// The row of `kind` for `user`, letter for letter; `found` false when none.
Status findRow(Database& db, const char* kind, const std::string& user, Security& row,
               bool& found) {
    found = false;
    std::vector<Security> rows;
    Status s = db.readAll(key::SEC_KIND_KEY,
                          store::allOf({store::eq("KIND", std::string(kind)),
                                        store::eq("USERNAME", store::rtrim(user)),
                                        store::same("USERNAME", store::rtrim(user))}),
                          rows);
    if (!s.ok()) return s;
    if (!rows.empty()) {
        row = rows.front();
        found = true;
    }
    return s;
}

}  // namespace

Status countLoginFailure(Database& db, const std::string& user, int& count) {
    return inTransaction(db, [&]() {
        Security row;
        bool found = false;
        Status s = findRow(db, kFailuresKind, user, row, found);
        if (!s.ok()) return s;
        if (!found) {
            row = Security{};
            row.KIND = kFailuresKind;
            row.USERNAME = store::rtrim(user);
            row.COUNT = 1;
            s = db.add(row);
        } else {
            ++row.COUNT;
            s = db.change(row);
        }
        count = row.COUNT;
        return s;
    });
}

Status clearLoginFailures(Database& db, const std::string& user) {
    return inTransaction(db, [&]() {
        Security row;
        bool found = false;
        Status s = findRow(db, kFailuresKind, user, row, found);
        if (!s.ok() || !found) return s;
        return db.remove(row);
    });
}

Status recoveryKeyHash(Database& db, std::string& hash) {
    hash.clear();
    Security row;
    bool found = false;
    const Status s = findRow(db, kRecoveryKind, "", row, found);
    if (s.ok() && found) hash = store::rtrim(row.HASH);
    return s;
}

Status storeRecoveryKeyHash(Database& db, const std::string& hash) {
    return inTransaction(db, [&]() {
        Security row;
        bool found = false;
        Status s = findRow(db, kRecoveryKind, "", row, found);
        if (!s.ok()) return s;
        row.HASH = hash;
        if (found) return db.change(row);
        row.KIND = kRecoveryKind;
        return db.add(row);
    });
}

}  // namespace tko
