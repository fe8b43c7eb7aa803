// "Assignments Due Now": which open assignments a user sees as due, in which
// orders, and the store filter that selects them along each order's key.
//
// The filter is built so that the store reads each page as index ranges: for a
// user who sees only their own work, "given to or by me" becomes one range per
// alternative along (PERSON, key...) and (USERNAME, key...).
#pragma once

#include <array>
#include <string>

#include "data/Database.h"
#include "data/Keys.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/store/Filter.h"

namespace tko {

// One sort tab of the list, in the order the tabs are shown.
struct DueNowOrder {
    const char* caption;      // "By Priority"
    const char* tip;          // "Sort assignments by priority"
    const char* keyLabel;     // the ASSIGNMENT key the rows are read along
    const char* reportOrder;  // the order's name handed to the due-assignments report
};

inline constexpr std::array<DueNowOrder, 4> kDueNowOrders{{
    {"By Priority", "Sort assignments by priority", key::ASS_PRIORITY_KEY, "Priority"},
    {"By Due Date", "Sort assignments by due date", key::ASS_DUEDATE_KEY, "Due Date"},
    {"By Person", "Sort assignments by person", key::ASS_PERSONDATE_KEY, "Person"},
    {"By Assignment Name", "Sort assignments alphabetically", key::ASS_NAME_KEY, "Alphabetically"},
}};

// Who the list is for and what it shows.
struct DueNowScope {
    std::string user;      // the logged-in user (GlobalUser)
    bool seesAll = false;  // SYP:VIEWALL on, or a System Administrator
    bool includeSecondary = false;
    Date today = 0;
};

// A System Administrator always sees every assignment; anybody else when the
// system setting "all users may see all information" is on.
bool seesAllAssignments(const Session& session, const SystemPref& settings);

// Reads the system settings and fills scope.seesAll for `session`. A missing
// settings record counts as the default (VIEWALL off).
Status loadDueNowScope(Database& db, const Session& session, bool includeSecondary, Date today,
                       DueNowScope& scope);

// The rule for one record: open, due on or before today, given to or by the
// user unless the user sees all, not secondary unless those are included, and
// no record still being entered (isListedAssignment()).
bool isDueNow(const Assignment& record, const DueNowScope& scope);

// The same rule as a store filter, for reading along any of the orders' keys.
store::Filter dueNowFilter(const DueNowScope& scope);

// What counts as due for `user` on `today`: the list as the Due Now window
// shows it to a user who sees only his own work, with its default options:
// open, due on or before today, given to or by the user, and primary. The
// status bar counts these and the start-up alert asks whether there is one,
// so that all three agree.
DueNowScope dueForUser(const std::string& user, Date today);
inline bool isDueForUser(const Assignment& record, const std::string& user, Date today) {
    return isDueNow(record, dueForUser(user, today));
}
inline store::Filter dueForUserFilter(const std::string& user, Date today) {
    return dueNowFilter(dueForUser(user, today));
}

}  // namespace tko
