#include "data/Security.h"

#include <sodium.h>

#include <vector>

#include "data/Keys.h"
#include "data/Tables.h"
#include "data/Transaction.h"

namespace tko {

namespace {

constexpr int kSecurityTimeoutMs = 3000;

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
    return inTransaction(db, {label::SECURITY}, kSecurityTimeoutMs, [&]() {
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
    return inTransaction(db, {label::SECURITY}, kSecurityTimeoutMs, [&]() {
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
    return inTransaction(db, {label::SECURITY}, kSecurityTimeoutMs, [&]() {
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

namespace {

constexpr int kSealVariant = sodium_base64_VARIANT_URLSAFE_NO_PADDING;
// Marks the sealed form, so that a later change of the scheme can tell.
constexpr const char* kSealPrefix = "s1:";

}  // namespace

Status officeSealKey(Database& db, std::string& key) {
    key.clear();
    Security row;
    bool found = false;
    Status s = findRow(db, kSealKeyKind, "", row, found);
    if (!s.ok()) return s;
    if (!found) {
        // Made once, in a transaction that finds it again first: two stations
        // asking at the same time end with one key.
        s = inTransaction(db, {label::SECURITY}, kSecurityTimeoutMs, [&]() {
            Status r = findRow(db, kSealKeyKind, "", row, found);
            if (!r.ok() || found) return r;
            unsigned char raw[crypto_secretbox_KEYBYTES];
            randombytes_buf(raw, sizeof raw);
            std::string text(sodium_base64_ENCODED_LEN(sizeof raw, kSealVariant), '\0');
            sodium_bin2base64(text.data(), text.size(), raw, sizeof raw, kSealVariant);
            sodium_memzero(raw, sizeof raw);
            text.resize(std::char_traits<char>::length(text.c_str()));
            row = Security{};
            row.KIND = kSealKeyKind;
            row.HASH = text;
            return db.add(row);
        });
        if (!s.ok()) return s;
    }
    std::vector<unsigned char> raw(crypto_secretbox_KEYBYTES);
    const std::string text = store::rtrim(row.HASH);
    size_t length = 0;
    if (sodium_base642bin(raw.data(), raw.size(), text.c_str(), text.size(), nullptr, &length,
                          nullptr, kSealVariant) != 0 ||
        length != crypto_secretbox_KEYBYTES)
        return Status::error(store::kInvalidRecordLayout, "The office's seal key is damaged");
    key.assign(reinterpret_cast<const char*>(raw.data()), raw.size());
    return Status::success();
}

std::string sealSecret(const std::string& plain, const std::string& key) {
    if (key.size() != crypto_secretbox_KEYBYTES || sodium_init() < 0) return {};
    std::vector<unsigned char> box(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES +
                                   plain.size());
    randombytes_buf(box.data(), crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(box.data() + crypto_secretbox_NONCEBYTES,
                          reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                          box.data(), reinterpret_cast<const unsigned char*>(key.data()));
    std::string text(sodium_base64_ENCODED_LEN(box.size(), kSealVariant), '\0');
    sodium_bin2base64(text.data(), text.size(), box.data(), box.size(), kSealVariant);
    text.resize(std::char_traits<char>::length(text.c_str()));
    return kSealPrefix + text;
}

bool openSecret(const std::string& sealed, const std::string& key, std::string& plain) {
    const std::string text = store::rtrim(sealed);
    if (text.empty()) {
        plain.clear();
        return true;
    }
    const std::string prefix = kSealPrefix;
    if (key.size() != crypto_secretbox_KEYBYTES || text.compare(0, prefix.size(), prefix) != 0)
        return false;
    std::vector<unsigned char> box(text.size());
    size_t length = 0;
    if (sodium_base642bin(box.data(), box.size(), text.c_str() + prefix.size(),
                          text.size() - prefix.size(), nullptr, &length, nullptr,
                          kSealVariant) != 0 ||
        length < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES)
        return false;
    std::string out(length - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES, '\0');
    if (crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(out.data()),
                                   box.data() + crypto_secretbox_NONCEBYTES,
                                   length - crypto_secretbox_NONCEBYTES, box.data(),
                                   reinterpret_cast<const unsigned char*>(key.data())) != 0)
        return false;
    plain = std::move(out);
    return true;
}

int sealedWidth(int plainBytes) {
    const int bytes = crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + plainBytes;
    return static_cast<int>(std::char_traits<char>::length(kSealPrefix)) + (bytes * 4 + 2) / 3;
}

}  // namespace tko
