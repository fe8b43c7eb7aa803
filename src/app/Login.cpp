#include "app/Login.h"

#include "app/FirstRun.h"
#include "data/Keys.h"
#include "data/OfficeRoles.h"
#include "data/Password.h"
#include "data/Records.h"
#include "data/Security.h"
#include "platform/store/PgEngine.h"
#include "platform/store/PgRoles.h"

namespace tko {

namespace {

Outcome storeFailure(Database& db) {
    Outcome outcome;
    outcome.kind = Outcome::Failed;
    outcome.text = db.lastError().describe();
    return outcome;
}

}  // namespace

bool endsLoginWindow(const Outcome& outcome) {
    return outcome.kind != Outcome::Refused || outcome.text == kSuspendedText ||
           outcome.text == kTooManyFailuresText;
}

Outcome LoginAttempts::attempt(const std::string& userName, const std::string& password,
                               LoggedIn& who) {
    who = LoggedIn{};
    std::vector<SystemPref> prefs;
    store::ReadRequest first;
    first.limit = 1;
    const Status prefStatus = m_db.read(first, prefs);
    if (!prefStatus.ok() && !prefStatus.endOfRange()) return storeFailure(m_db);
    const int allowedTries = prefs.empty() ? 0 : prefs.front().ACCESSTRIES;

    User user;
    const Status found =
        m_db.fetch(key::USE_USERNAME_KEY, {store::clipText(userName, User::Width::USERNAME)}, user);
    if (!found.ok()) {
        if (found.code != store::kRecordNotFound) return storeFailure(m_db);
        return Outcome::refused(kIncorrectUserNameText, "username");
    }
    if (user.FAILFLAG == 1) return Outcome::refused(kSuspendedText);
    if (store::PgEngine* server = securedServer(m_db))
        return attemptOnServer(*server, user, password, allowedTries, who);
    if (verifyPassword(password, user.PASSWORD)) {
        // The wrong passwords before this one no longer count.
        if (!clearLoginFailures(m_db, user.USERNAME).ok()) return storeFailure(m_db);
        who.userName = user.USERNAME;
        who.accessLevel = user.ACCESSLEVEL;
        // The built-in first password and a password set on the user's behalf
        // are known to others: either must be replaced before going on.
        who.mustChangePassword =
            isExpiredPasswordHash(user.PASSWORD) || verifyPassword(kFirstPassword, user.PASSWORD);
        return {};
    }
    ++m_tries;
    if (allowedTries <= 0) return Outcome::refused(kIncorrectPasswordText, "password");
    // The count is the store's, so that every window and the command line
    // add to the same one: closing the window or starting another command
    // gives no fresh tries.
    int failures = 0;
    if (!countLoginFailure(m_db, user.USERNAME, failures).ok()) return storeFailure(m_db);
    if (failures > allowedTries) {
        user.FAILFLAG = 1;
        Status written = m_db.change(user);
        if (written.code == store::kChangedByOther && m_db.reread(user).ok()) {
            // An administrator saved the account meanwhile: suspend the fresh copy.
            user.FAILFLAG = 1;
            written = m_db.change(user);
        }
        if (!written.ok()) return storeFailure(m_db);
        // Released by an administrator, the user starts again from no failures.
        if (!clearLoginFailures(m_db, user.USERNAME).ok()) return storeFailure(m_db);
        return Outcome::refused(kTooManyFailuresText);
    }
    return Outcome::refused(kIncorrectPasswordText, "password");
}

Outcome LoginAttempts::attemptOnServer(store::PgEngine& server, const User& user,
                                       const std::string& password, int allowedTries,
                                       LoggedIn& who) {
    // The server checks the password: the station carries on as the user's
    // own role, or stays as it was.
    bool refused = false, noLogin = false;
    const Status connected =
        server.reconnectAs(store::userRoleName(server.databaseName(), user.USERNAME),
                           clippedPassword(password), refused, noLogin);
    if (connected.ok()) {
        User self;
        if (!m_db.fetch(key::USE_USERNAME_KEY, {store::rtrim(user.USERNAME)}, self).ok() ||
            !clearLoginFailures(m_db, self.USERNAME).ok())
            return storeFailure(m_db);
        who.userName = self.USERNAME;
        who.accessLevel = self.ACCESSLEVEL;
        // The server keeps only the mark of a password set on his behalf.
        who.mustChangePassword = !self.PASSWORD.empty() && self.PASSWORD.front() == '!';
        return {};
    }
    if (noLogin) return Outcome::refused(kSuspendedText);
    if (!refused) {
        m_db.track(connected);
        return storeFailure(m_db);
    }
    ++m_tries;
    if (allowedTries <= 0) return Outcome::refused(kIncorrectPasswordText, "password");
    int failures = 0;
    bool suspended = false;
    if (!m_db.track(store::countFailedLogin(server, user.USERNAME, failures, suspended)).ok())
        return storeFailure(m_db);
    return suspended ? Outcome::refused(kTooManyFailuresText)
                     : Outcome::refused(kIncorrectPasswordText, "password");
}

}  // namespace tko
