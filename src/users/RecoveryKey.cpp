#include "users/RecoveryKey.h"

#include "data/Keys.h"
#include "data/Password.h"
#include "data/Security.h"
#include "data/Tables.h"
#include "users/UserAccounts.h"

namespace tko {

namespace {

// Five groups of five letters and digits: about 120 bits.
constexpr int kKeyGroups = 5;

// Keys are typed by hand: blanks around them and letter case do not count.
std::string normalisedKey(const std::string& typed) {
    std::string key;
    for (char c : typed) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return key;
}

}  // namespace

Outcome createRecoveryKey(Database& db, std::string& key) {
    key = randomSecret(kKeyGroups);
    const std::string hash = key.empty() ? std::string() : hashSecret(key);
    if (hash.empty()) {
        key.clear();
        return transactionCancelled(db, "The recovery key could not be made.");
    }
    if (!storeRecoveryKeyHash(db, hash).ok()) {
        key.clear();
        return transactionCancelled(db, db.lastError().describe());
    }
    return {};
}

Status hasRecoveryKey(Database& db, bool& has) {
    std::string hash;
    const Status s = recoveryKeyHash(db, hash);
    has = s.ok() && !hash.empty();
    return s;
}

Outcome recoverAdministrator(Database& db, const std::string& key, const std::string& name,
                             const std::string& password, const std::string& again,
                             std::string& nextKey) {
    nextKey.clear();
    std::string cleaned;
    const std::string problem = checkUserPassword(password, again, cleaned);
    if (!problem.empty()) return Outcome::refused(problem, "password");
    std::string stored;
    if (!recoveryKeyHash(db, stored).ok())
        return transactionCancelled(db, db.lastError().describe());
    if (stored.empty()) return Outcome::refused(kNoRecoveryKey);
    if (!verifySecret(normalisedKey(key), stored)) return Outcome::refused(kWrongRecoveryKey);

    const std::string passwordHash = expiredPasswordHash(hashPassword(cleaned));
    const std::string next = randomSecret(kKeyGroups);
    const std::string nextHash = next.empty() ? std::string() : hashSecret(next);
    if (passwordHash.empty() || nextHash.empty())
        return transactionCancelled(db, "The password could not be hashed.");

    if (!db.begin({label::USERS, label::SECURITY}, kUserSaveTimeoutMs).ok())
        return transactionCancelled(db, db.lastError().describe());
    // Read again inside the transaction: another station may have spent the
    // key meanwhile.
    if (!recoveryKeyHash(db, stored).ok())
        return transactionCancelled(db, db.lastError().describe());
    if (stored.empty() || !verifySecret(normalisedKey(key), stored)) {
        db.rollback();
        return Outcome::refused(kWrongRecoveryKey);
    }
    User user;
    const Status found = db.fetch(key::USE_USERNAME_KEY, {store::rtrim(name)}, user);
    if (found.code == store::kRecordNotFound) {
        db.rollback();
        return Outcome::refused("Incorrect User Name", "username");
    }
    if (!found.ok()) return transactionCancelled(db, db.lastError().describe());
    if (user.ACCESSLEVEL != levelNumber(AccessLevel::SystemAdministrator)) {
        db.rollback();
        return Outcome::refused(kRecoverAdministratorsOnly, "username");
    }
    user.PASSWORD = passwordHash;
    user.FAILFLAG = 0;
    if (!db.change(user).ok() || !clearLoginFailures(db, user.USERNAME).ok() ||
        !storeRecoveryKeyHash(db, nextHash).ok() || !db.commit().ok())
        return transactionCancelled(db, db.lastError().describe());
    nextKey = next;
    return {};
}

}  // namespace tko
