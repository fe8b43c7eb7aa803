// What the logged-in user is told right after log-in: work due, and work that
// is new or was changed by somebody else. Each question is one indexed read
// of the user's own rows, never a scan of every open assignment.
#pragma once

#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"

namespace tko {

// The list the due alert offers to open.
enum class DueList {
    None,         // no due alert
    Assignments,  // an assignment is due: "Assignments Due Now"
    Reminders,    // no assignment, but a reminder is due: "Current Reminders"
};

struct StartupAlerts {
    bool due = false;     // "You have reminders or assignments due for today"
    bool unseen = false;  // "You have unseen or changed assignments"
    DueList dueList = DueList::None;
};

// Whether anything is due for `user` on `today` (isDueForUser(), DueNowList.h).
Status hasDueAssignment(Database& db, const std::string& user, Date today, bool& found);
// An open assignment given to `user` by somebody else that `user` has not seen.
Status hasUnseenAssignment(Database& db, const std::string& user, bool& found);
// An alarmed reminder of `user` dated on or before `today`.
Status hasDueReminder(Database& db, const std::string& user, Date today, bool& found);

// How many assignments are due for `user` on `today` (isDueForUser(),
// DueNowList.h): the count the status bar shows and keeps current. It runs at
// log-in and after every change any station makes, so it reads only the
// user's own rows: dueCountParts(), each counted along its key.
Status countDueAssignments(Database& db, const std::string& user, Date today, std::int64_t& count);

// One part of a count read along one key: the rows of `filter`.
struct KeyedCount {
    const char* key;
    store::Filter filter;
};
// The due count in parts whose rows do not overlap and together are the due
// rows: those given to the user, along (person, due date), and those given by
// him to somebody else, along (user, due date). Each part's filter bounds its
// key's first two components, so it reads its own range whatever the
// planner's estimates (most rows of an office are open, which a sampled
// estimate can miss by a thousandfold).
std::vector<KeyedCount> dueCountParts(const std::string& user, Date today);

// The start-up check: the due alert only when the user's preferences exist
// and have the alarm on (reminders are asked only when no assignment is due,
// and then the alert offers the reminders); the unseen alert whatever the
// preferences say.
Status startupAlerts(Database& db, const std::string& user, Date today, StartupAlerts& alerts);

}  // namespace tko
