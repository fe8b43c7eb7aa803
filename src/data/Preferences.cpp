#include "data/Preferences.h"

#include <QDir>

#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/OfficeRoles.h"
#include "data/Password.h"
#include "platform/Picture.h"

namespace tko {
namespace {

std::string trimmed(const std::string& text) {
    const size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : store::rtrim(text.substr(start));
}

// Step 3 of the settings forms: write when changed.
template <class R>
Outcome saveChanged(Database& db, R& current, const R& loaded, bool* wrote) {
    if (wrote) *wrote = false;
    if (current.sameValues(loaded)) return {};
    const Outcome result = changeRecord(db, current, loaded);
    if (wrote) *wrote = result.ok();
    return result;
}

}  // namespace

UserPref defaultUserPref(const std::string& userName) {
    UserPref pref;
    pref.USERNAME = userName;
    pref.PRIORITY = 9;
    pref.PORT = "com2";
    pref.ALARM = 1;
    pref.DELAY = 5;
    return pref;
}

std::string normaliseDataPath(const std::string& typed) {
    std::string path = trimmed(typed);
    const char separator = QDir::separator().toLatin1();
    if (!path.empty() && path.back() != separator && path.back() != '/') path += separator;
    return path;
}

std::string dataLocationText(const DataSource& source, const std::string& storedPath) {
    if (!source.serverInfo.empty()) return translateText("PostgreSQL server");
    if (source.directory.empty()) return store::rtrim(storedPath);
    const QString absolute = QDir(QString::fromStdString(source.directory)).absolutePath();
    return normaliseDataPath(QDir::toNativeSeparators(absolute).toStdString());
}

std::optional<std::string> readSettingNumber(const std::string& typed, const std::string& field,
                                             std::int16_t& value) {
    const QString name = QString::fromStdString(translateText(field));
    // A picture wide enough for anything typed, so that the range is what refuses.
    const Parsed<double> parsed = parseNumber(QString::fromStdString(typed), u"@n_-15", name);
    if (!parsed.ok()) return parsed.error.toStdString();
    if (parsed.value < 0 || parsed.value > 32767)
        return standardMessage(10, translateText(field), "0 and 32767").text;
    value = static_cast<std::int16_t>(parsed.value);
    return std::nullopt;
}

Outcome saveSystemPref(Database& db, SystemPref& current, const SystemPref& loaded, bool* wrote) {
    return saveChanged(db, current, loaded, wrote);
}

std::optional<StandardMessage> checkPriority(int priority) {
    if (priority >= 1 && priority <= 9) return std::nullopt;
    return standardMessage(10, translateText("Priority"), "1 and 9");
}

std::optional<StandardMessage> checkDelay(int delay) {
    if (delay <= 100) return std::nullopt;
    return standardMessage(8, translateText("Handset Release Delay"), "100");
}

Status loadUserPref(Database& db, const std::string& user, UserPref& pref, Request& request) {
    const Status s = db.fetch(key::USP_USERNAME_KEY, {user}, pref);
    if (s.ok()) {
        request = Request::Change;
        return s;
    }
    if (s.code != store::kRecordNotFound) return s;
    pref = UserPref{};
    pref.USERNAME = user;
    request = Request::Insert;
    return Status::success();
}

Outcome saveUserPref(Database& db, Request request, UserPref& current, const UserPref& loaded,
                     bool* wrote) {
    if (request != Request::Insert) return saveChanged(db, current, loaded, wrote);
    const Status s = db.add(current);
    if (wrote) *wrote = s.ok();
    if (s.ok()) return {};
    return Outcome::refused(s.code == store::kDuplicateKey
                                ? standardMessage(24, "USP:UserName_key")
                                : standardMessage(14, db.lastError().describe()));
}

std::string checkNewPassword(const std::string& first, const std::string& second,
                             std::string& cleaned) {
    const std::string a = trimmed(first), b = trimmed(second);
    if (a != b) return "Entries do not match. Please try again";
    if (store::utf8Length(a) < 5) return "Password must be at least 5 characters";
    cleaned = a;
    return {};
}

PasswordChange changePassword(Database& db, const std::string& user, const std::string& cleaned) {
    PasswordChange result;
    User record;
    if (!db.fetch(key::USE_USERNAME_KEY, {user}, record).ok()) {
        result.fatal = true;
        result.message = "Error in USERS, old password retained";
        return result;
    }
    // A password that another person knows would leave the account open to them.
    if (clippedPassword(cleaned) == clippedPassword(kFirstPassword)) {
        result.refused = true;
        result.message =
            "The built-in first password cannot be kept. Please choose your own password.";
        return result;
    }
    if (isExpiredPasswordHash(record.PASSWORD) && verifyPassword(cleaned, record.PASSWORD)) {
        result.refused = true;
        result.message = "This is the password you were given. Please choose your own password.";
        return result;
    }
    const std::string hash = hashPassword(cleaned);
    if (hash.empty()) {
        result.message = "Error in USERS, old password retained";
        return result;
    }
    if (!db.begin({"USERS"}, kIntegrityTimeoutMs).ok()) {
        result.message =
            standardMessage(34, db.lastError().describe(), translateText("Update"), "USERS").text;
        return result;
    }
    record.PASSWORD = hash;
    Status s = db.change(record);
    if (s.code == store::kChangedByOther && db.reread(record).ok()) {
        record.PASSWORD = hash;  // only the password is this form's to change
        s = db.change(record);
    }
    // On a server that checks the passwords, his role's password changes with it.
    if (s.ok()) s = ownRolePasswordChanged(db, cleaned);
    if (!s.ok() || !db.commit().ok()) {
        if (db.engine().transactionDepth() > 0) db.rollback();
        result.message = standardMessage(15, db.lastError().describe(), "USERS").text;
        return result;
    }
    result.ok = true;
    result.message = "Password Changed";
    return result;
}

}  // namespace tko
