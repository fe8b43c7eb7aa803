#include "app/StartupAlerts.h"

#include "access/Access.h"
#include "assign/lists/DueNowList.h"
#include "data/Keys.h"

namespace tko {
namespace {

template <class R>
Status anyAlong(Database& db, const char* key, std::vector<store::Value> prefix,
                store::Filter filter, bool& found) {
    store::ReadRequest request;
    request.key = R::def().key(key);
    request.from = store::KeyPosition::at(std::move(prefix));
    request.filter = std::move(filter);
    request.limit = 1;
    request.withMemos = false;
    std::vector<R> rows;
    const Status s = db.read(request, rows);
    found = s.ok();
    return s.endOfRange() ? Status::success() : s;
}

}  // namespace

Status hasDueAssignment(Database& db, const std::string& user, Date today, bool& found) {
    // The rule of the Due Now list, read within the user's own range of the
    // person/due-date key (given to him) and of the user/due-date key (given
    // by him). Each filter names the user in the key's first column, so that
    // a user with nothing due ends the read at his range's end instead of
    // reading on through every later name's rows.
    const store::Filter due = dueForUserFilter(user, today);
    Status s =
        anyAlong<Assignment>(db, key::ASS_PERSONDATE_KEY, {user},
                             store::allOf({due, access::fieldIsUser("PERSON", user)}), found);
    if (!s.ok() || found) return s;
    return anyAlong<Assignment>(db, key::ASS_USERDATE_KEY, {user},
                                store::allOf({due, access::fieldIsUser("USERNAME", user)}), found);
}

Status hasUnseenAssignment(Database& db, const std::string& user, bool& found) {
    using namespace store;
    return anyAlong<Assignment>(
        db, key::ASS_SEENPERSON_KEY, {std::int64_t{0}, user},
        allOf({eq("SEEN", 0), access::fieldIsUser("PERSON", user),
               access::fieldIsNotUser("USERNAME", user), eq("CLOSEDATE", 0)}),
        found);
}

Status hasDueReminder(Database& db, const std::string& user, Date today, bool& found) {
    using namespace store;
    return anyAlong<Reminder>(
        db, key::REM_USER_KEY, {user},
        allOf({access::fieldIsUser("USER", user), le("DATE", today), eq("ALARMFLAG", 1)}), found);
}

std::vector<KeyedCount> dueCountParts(const std::string& user, Date today) {
    const store::Filter due = dueForUserFilter(user, today);
    return {{key::ASS_PERSONDATE_KEY, store::allOf({due, access::fieldIsUser("PERSON", user)})},
            {key::ASS_USERDATE_KEY, store::allOf({due, access::fieldIsUser("USERNAME", user),
                                                  access::fieldIsNotUser("PERSON", user)})}};
}

Status countDueAssignments(Database& db, const std::string& user, Date today, std::int64_t& count) {
    count = 0;
    for (const KeyedCount& part : dueCountParts(user, today)) {
        std::int64_t rows = 0;
        const Status s = db.countAlong<Assignment>(part.key, part.filter, rows);
        if (!s.ok()) {
            count = 0;
            return s;
        }
        count += rows;
    }
    return Status::success();
}

Status startupAlerts(Database& db, const std::string& user, Date today, StartupAlerts& alerts) {
    alerts = {};
    UserPref pref;
    const Status prefStatus = db.fetch(key::USP_USERNAME_KEY, {user}, pref);
    if (!prefStatus.ok() && prefStatus.code != store::kRecordNotFound) return prefStatus;
    if (prefStatus.ok() && pref.ALARM == 1) {
        Status s = hasDueAssignment(db, user, today, alerts.due);
        if (!s.ok()) return s;
        if (alerts.due) {
            alerts.dueList = DueList::Assignments;
        } else {
            s = hasDueReminder(db, user, today, alerts.due);
            if (!s.ok()) return s;
            if (alerts.due) alerts.dueList = DueList::Reminders;
        }
    }
    return hasUnseenAssignment(db, user, alerts.unseen);
}

}  // namespace tko
