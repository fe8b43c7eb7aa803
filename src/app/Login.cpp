#include "app/Login.h"

#include "app/FirstRun.h"
#include "data/Keys.h"
#include "data/Password.h"
#include "data/Records.h"

namespace tko {

std::string LoginOutcome::messageText() const {
    switch (kind) {
        case IncorrectUserName:
            return "Incorrect User Name";
        case Suspended:
            return "Suspended. Password failures. See your System Administrator";
        case WrongPassword:
            return "Incorrect password. Try again";
        case TooManyFailures:
            return "Too many password failures, See your System Administrator.";
        case StoreFailure:
            return error;
        default:
            return {};
    }
}

LoginOutcome LoginAttempts::attempt(const std::string& userName, const std::string& password) {
    LoginOutcome outcome;
    std::vector<SystemPref> prefs;
    store::ReadRequest first;
    first.limit = 1;
    const Status prefStatus = m_db.read(first, prefs);
    if (!prefStatus.ok() && !prefStatus.endOfRange()) {
        outcome.kind = LoginOutcome::StoreFailure;
        outcome.error = m_db.lastError().describe();
        return outcome;
    }
    const int allowedTries = prefs.empty() ? 0 : prefs.front().ACCESSTRIES;

    User user;
    const Status found =
        m_db.fetch(key::USE_USERNAME_KEY, {store::clipText(userName, User::Width::USERNAME)}, user);
    if (!found.ok()) {
        if (found.code != store::kRecordNotFound) {
            outcome.kind = LoginOutcome::StoreFailure;
            outcome.error = m_db.lastError().describe();
        }
        return outcome;  // IncorrectUserName
    }
    outcome.userName = user.USERNAME;
    if (user.FAILFLAG == 1) {
        outcome.kind = LoginOutcome::Suspended;
        return outcome;
    }
    if (verifyPassword(password, user.PASSWORD)) {
        // The built-in first password and a password set on the user's behalf
        // are known to others: either must be replaced before going on.
        outcome.kind =
            isExpiredPasswordHash(user.PASSWORD) || verifyPassword(kFirstPassword, user.PASSWORD)
                ? LoginOutcome::MustChangePassword
                : LoginOutcome::Success;
        outcome.accessLevel = user.ACCESSLEVEL;
        return outcome;
    }
    ++m_tries;
    if (allowedTries > 0 && m_tries > allowedTries) {
        user.FAILFLAG = 1;
        Status written = m_db.change(user);
        if (written.code == store::kChangedByOther && m_db.reread(user).ok()) {
            // An administrator saved the account meanwhile: suspend the fresh copy.
            user.FAILFLAG = 1;
            written = m_db.change(user);
        }
        if (!written.ok()) {
            outcome.kind = LoginOutcome::StoreFailure;
            outcome.error = m_db.lastError().describe();
            return outcome;
        }
        outcome.kind = LoginOutcome::TooManyFailures;
        return outcome;
    }
    outcome.kind = LoginOutcome::WrongPassword;
    return outcome;
}

}  // namespace tko
