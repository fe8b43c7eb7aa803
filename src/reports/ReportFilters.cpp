#include "reports/ReportFilters.h"

#include "assign/Repetition.h"

namespace tko {

using namespace store;

Status loadReportScope(Database& db, const Session& session, Date today, ReportScope& scope) {
    scope = {};
    scope.user = session.GlobalUser;
    scope.administrator = session.isSystemAdministrator();
    scope.today = today;
    std::vector<SystemPref> settings;
    ReadRequest first;
    first.limit = 1;
    const Status s = db.read(first, settings);
    if (!s.ok() && !s.endOfRange()) return s;
    const SystemPref sys = settings.empty() ? SystemPref{} : settings.front();
    scope.seesAll = scope.administrator || sys.VIEWALL != 0;
    scope.confidentialOn = sys.CONFIDENTIAL == 1;
    return Status::success();
}

namespace {

Filter givenToOrBy(const std::string& user) {
    return anyOf({eq("PERSON", user), eq("USERNAME", user)});
}

// On the person reports a row the user may not otherwise see is still shown
// unless its person is another user's Private person.
Filter personVisibility(const ReportScope& scope) {
    if (scope.seesAll) return all();
    const Filter hiddenPerson =
        exists(Person::def(), {{"PERSONNUMBER", "PERSONNUMBER"}},
               allOf({eq("TYPE", "Private"), ne("USER", scope.user)}));
    return anyOf({givenToOrBy(scope.user), negate(hiddenPerson)});
}

Filter generalVisibility(const ReportScope& scope) {
    return scope.seesAll ? all() : givenToOrBy(scope.user);
}

Filter inGroup(const ReportGroup& group) {
    return exists(GroupPeople::def(), {{"SHORTNAME", "PERSON"}},
                  eq("GROUPNUMBER", std::int64_t{group.number}));
}

Filter historyPeriod(const ReportParams& params) {
    const Date s = params.startDate;
    const Date e = params.endDate;
    const char* dated = params.listBy == ListBy::DateConcluded ? "CLOSEDATE" : "ASSIGNEDDATE";
    const Filter single =
        allOf({eq("REPEATTYPE", repeat::NoRepeats), ge(dated, s), le(dated, e)});
    const Filter repeating = allOf({ne("REPEATTYPE", repeat::NoRepeats), le("ASSIGNEDDATE", e),
                                    anyOf({eq("CLOSEDATE", 0), ge("CLOSEDATE", s)})});
    return anyOf({single, repeating});
}

}  // namespace

Filter reportAssignmentFilter(const ReportParams& params, const ReportScope& scope,
                              const std::optional<ReportGroup>& group) {
    std::vector<Filter> conditions;
    if (!params.includeSecondary) conditions.push_back(ne("SECONDARY", 1));
    switch (params.type) {
        case ReportType::AssignmentsDue:
            conditions.push_back(eq("CLOSEDATE", 0));
            conditions.push_back(le("DUEDATE", scope.today));
            conditions.push_back(generalVisibility(scope));
            break;
        case ReportType::LookForwardGeneral:
        case ReportType::LookForwardPerson:
        case ReportType::LookForwardGroup:
            conditions.push_back(eq("CLOSEDATE", 0));
            if (params.endDate != 0) conditions.push_back(le("DUEDATE", params.endDate));
            if (!params.includeDueNow) conditions.push_back(gt("DUEDATE", scope.today));
            break;
        case ReportType::HistoryGeneral:
        case ReportType::HistoryPerson:
        case ReportType::HistoryGroup:
            // Without both dates nothing belongs to the period.
            if (params.startDate == 0 || params.endDate == 0) return anyOf({});
            conditions.push_back(historyPeriod(params));
            if (params.openOnly) conditions.push_back(eq("CLOSEDATE", 0));
            break;
        default:
            return anyOf({});
    }
    switch (params.type) {
        case ReportType::LookForwardGeneral:
        case ReportType::HistoryGeneral:
            conditions.push_back(generalVisibility(scope));
            break;
        case ReportType::LookForwardPerson:
        case ReportType::HistoryPerson:
            conditions.push_back(eq("PERSON", params.person));
            conditions.push_back(personVisibility(scope));
            break;
        case ReportType::LookForwardGroup:
        case ReportType::HistoryGroup:
            if (!group) return anyOf({});
            conditions.push_back(generalVisibility(scope));
            conditions.push_back(inGroup(*group));
            break;
        default:
            break;
    }
    return allOf(std::move(conditions));
}

Filter projectAssignmentFilter(const ReportParams& params, std::int32_t projectNumber) {
    std::vector<Filter> conditions{exists(ProjAssign::def(), {{"ASSIGNNUMBER", "ASSIGNNUMBER"}},
                                          eq("PROJNUMBER", std::int64_t{projectNumber}))};
    if (!params.includeSecondary) conditions.push_back(ne("SECONDARY", 1));
    if (params.openOnly) conditions.push_back(eq("CLOSEDATE", 0));
    return allOf(std::move(conditions));
}

Filter visibleProjectsFilter(const ReportScope& scope) {
    if (scope.administrator) return all();
    return anyOf({eq("TYPE", "Open"), allOf({eq("TYPE", "Private"), eq("USER", scope.user)}),
                  allOf({eq("TYPE", "Limited"),
                         exists(ProjUser::def(), {{"PROJNUMBER", "PROJNUMBER"}},
                                eq("USER", scope.user))})});
}

Filter visibleGroupsFilter(const ReportScope& scope) {
    if (scope.administrator) return all();
    return eq("USER", scope.user);
}

Status findReportGroup(Database& db, const ReportScope& scope, const std::string& name,
                       ReportGroup& group) {
    std::vector<GroupName> found;
    ReadRequest request;
    request.key = GroupName::def().key("GRO:GROUPUSER_KEY");
    request.from = KeyPosition::at({name});
    request.filter = allOf({eq("GROUPNAME", name), visibleGroupsFilter(scope)});
    request.limit = 50;
    Status s = db.read(request, found);
    if (s.endOfRange() || (s.ok() && found.empty()))
        return Status::error(kRecordNotFound, "Record not found");
    if (!s.ok()) return s;
    const GroupName* chosen = &found.front();
    for (const GroupName& g : found)
        if (g.USER == scope.user) chosen = &g;
    group.number = chosen->GROUPNUMBER;
    group.name = chosen->GROUPNAME;
    return Status::success();
}

Status findReportProject(Database& db, const ReportScope& scope, const std::string& name,
                         Project& project) {
    std::vector<Project> found;
    ReadRequest request;
    request.key = Project::def().key("PRO:NAME_KEY");
    request.from = KeyPosition::at({name});
    request.filter = allOf({eq("NAME", name), visibleProjectsFilter(scope)});
    request.limit = 50;
    Status s = db.read(request, found);
    if (s.endOfRange() || (s.ok() && found.empty()))
        return Status::error(kRecordNotFound, "Record not found");
    if (!s.ok()) return s;
    project = found.front();
    for (const Project& p : found)
        if (p.USER == scope.user) project = p;
    return Status::success();
}

bool mayPrintConfidential(const Assignment& a, const ReportScope& scope) {
    return scope.confidentialOn && (a.USERNAME == scope.user || scope.administrator);
}

}  // namespace tko
