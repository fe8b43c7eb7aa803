#include "assign/lists/DueNowList.h"
#include "access/Access.h"
#include "access/ListedAssignment.h"

namespace tko {

bool seesAllAssignments(const Session& session, const SystemPref& settings) {
    return access::viewerOf(session, settings).seesAll();
}

Status loadDueNowScope(Database& db, const Session& session, bool includeSecondary, Date today,
                       DueNowScope& scope) {
    scope = {};
    scope.user = session.GlobalUser;
    scope.includeSecondary = includeSecondary;
    scope.today = today;
    access::Viewer viewer;
    const Status s = access::loadViewer(db, session, viewer);
    if (!s.ok()) return s;
    scope.seesAll = viewer.seesAll();
    return s;
}

bool isDueNow(const Assignment& record, const DueNowScope& scope) {
    if (record.CLOSEDATE != 0 || record.DUEDATE > scope.today) return false;
    if (!scope.seesAll && !access::isOwnAssignment(record, scope.user)) return false;
    if (!scope.includeSecondary && record.SECONDARY == 1) return false;
    return isListedAssignment(record);
}

DueNowScope dueForUser(const std::string& user, Date today) {
    DueNowScope scope;
    scope.user = user;
    scope.today = today;
    return scope;
}

store::Filter dueNowFilter(const DueNowScope& scope) {
    using namespace store;
    std::vector<Filter> conditions{eq("CLOSEDATE", 0), le("DUEDATE", scope.today)};
    if (!scope.includeSecondary) conditions.push_back(ne("SECONDARY", 1));
    // Kept as one either-or so that the store can read it as two index ranges.
    if (!scope.seesAll) conditions.push_back(access::ownAssignments(scope.user));
    conditions.push_back(listedAssignments());
    return allOf(std::move(conditions));
}

}  // namespace tko
