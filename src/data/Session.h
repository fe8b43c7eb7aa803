// The logged-in user's session: who is logged in, with which access level.
// One object per running program, handed to logic and windows instead of
// scattered globals. A form is told its request (FormRequest.h) by whoever
// opens it.
#pragma once

#include <string>

#include "platform/Date.h"
#include "platform/FormRequest.h"

namespace tko {

enum class AccessLevel : int { GeneralUser = 0, PeopleAdministrator = 1, SystemAdministrator = 2 };

// The stored number of an access level (USE:ACCESSLEVEL, GlobalUserAccess).
constexpr int levelNumber(AccessLevel level) {
    return static_cast<int>(level);
}
// Whether a stored level is `level` or higher.
constexpr bool atLeast(int stored, AccessLevel level) {
    return stored >= levelNumber(level);
}

struct Session {
    std::string GlobalUser;  // user name, 15 characters
    int GlobalUserAccess = 0;
    // The answer of the last form that ended by record navigation, for the
    // list that opened it (None when the form ended otherwise).
    RecordNavigation GlobalNavigation = RecordNavigation::None;

    std::string languageFile;       // the language file in use, its last 11 characters
    std::string transactionOption;  // the clipped SYP:TCF followed by "TASKOM.TCF"

    // The end date that Look Forward, Upcoming Anniversaries and the report
    // selection share for the whole run (0 = none). It starts at 0 and is
    // never stored; Upcoming Anniversaries sets it back to 0 when it opens.
    Date EndDate = kNoDate;

    bool isSystemAdministrator() const {
        return GlobalUserAccess == levelNumber(AccessLevel::SystemAdministrator);
    }
    bool isPeopleAdministrator() const {
        return GlobalUserAccess == levelNumber(AccessLevel::PeopleAdministrator);
    }
    bool isGeneralUser() const {
        return !atLeast(GlobalUserAccess, AccessLevel::PeopleAdministrator);
    }
};

// The last `count` characters of `text` (all of it when shorter).
std::string lastCharacters(const std::string& text, size_t count);

// The journal location: the left-justified, clipped data path followed by "TASKOM.TCF".
std::string transactionOption(const std::string& dataPath);

}  // namespace tko
