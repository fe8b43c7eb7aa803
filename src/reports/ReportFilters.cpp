#include "reports/ReportFilters.h"

#include "assign/lists/DueNowList.h"
#include "data/Keys.h"
#include "projects/ProjectRules.h"
#include "views/History.h"
#include "views/LookForward.h"

namespace tko {

using namespace store;

Status loadReportScope(Database& db, const Session& session, Date today, ReportScope& scope) {
    scope = {};
    scope.today = today;
    std::vector<SystemPref> settings;
    ReadRequest first;
    first.limit = 1;
    const Status s = db.read(first, settings);
    if (!s.ok() && !s.endOfRange()) return s;
    const SystemPref sys = settings.empty() ? SystemPref{} : settings.front();
    scope.viewer = access::viewerOf(session, sys);
    scope.user = scope.viewer.user;
    scope.administrator = scope.viewer.isSystemAdministrator();
    scope.seesAll = scope.viewer.seesAll();
    scope.confidentialOn = sys.CONFIDENTIAL == 1;
    return Status::success();
}

namespace {

ViewScope viewScope(const ReportScope& scope) {
    return ViewScope{scope.user, scope.seesAll};
}

ScheduleScreen screenOf(ReportType type) {
    switch (type) {
        case ReportType::LookForwardPerson:
        case ReportType::HistoryPerson:
            return ScheduleScreen::Person;
        case ReportType::LookForwardGroup:
        case ReportType::HistoryGroup:
            return ScheduleScreen::Group;
        default:
            return ScheduleScreen::General;
    }
}

// The History tab whose rule the report follows: "By Date Concluded" when
// listed by date concluded, else the first (assigned-date) tab.
int historyTabFor(ScheduleScreen screen, ListBy listBy) {
    if (listBy == ListBy::DateConcluded) {
        const int tabs = static_cast<int>(historyTabs(screen).size());
        for (int tab = 0; tab < tabs; ++tab)
            if (historyTabIsConcluded(screen, tab)) return tab;
    }
    return 0;
}

}  // namespace

bool reportCountsByScan(const ReportParams& params, const ReportScope& scope) {
    return params.type == ReportType::LookForwardGeneral && scope.seesAll;
}

Status reportAssignmentFilter(Database& db, const ReportParams& params, const ReportScope& scope,
                              const std::optional<ReportGroup>& group, Filter& out) {
    const ScheduleScreen screen = screenOf(params.type);
    ViewSubject subject;
    if (screen == ScheduleScreen::Person) {
        subject.person = params.person;
    } else if (screen == ScheduleScreen::Group) {
        if (!group) {
            out = anyOf({});
            return Status::success();
        }
        subject.group = group->name;
        subject.groupNumber = group->number;
        const Status s = groupMembersByNumber(db, group->number, subject.members);
        if (!s.ok()) return s;
    }
    // The members of exactly the group chosen, whichever other group lists
    // share its name.
    const Filter inChosenGroup = group ? exists(GroupPeople::def(), {{"SHORTNAME", "PERSON"}},
                                                eq("GROUPNUMBER", std::int64_t{group->number}))
                                       : all();
    switch (params.type) {
        case ReportType::AssignmentsDue: {
            DueNowScope due{scope.user, scope.seesAll, params.includeSecondary, scope.today};
            out = dueNowFilter(due);
            return Status::success();
        }
        case ReportType::LookForwardGeneral:
        case ReportType::LookForwardPerson:
        case ReportType::LookForwardGroup: {
            LookForwardOptions options;
            options.includeSecondary = params.includeSecondary;
            options.includeDueNow = params.includeDueNow;
            options.endDate = params.endDate;
            options.today = scope.today;
            out = lookForwardFilter(screen, 0, subject, options, viewScope(scope));
            if (screen == ScheduleScreen::Group) out = allOf({out, inChosenGroup});
            return Status::success();
        }
        case ReportType::HistoryGeneral:
        case ReportType::HistoryPerson:
        case ReportType::HistoryGroup: {
            HistoryOptions options;
            options.includeSecondary = params.includeSecondary;
            options.start = params.startDate;
            options.end = params.endDate;
            out = historyFilter(screen, historyTabFor(screen, params.listBy), subject, options,
                                viewScope(scope));
            std::vector<Filter> more{out};
            if (params.openOnly) more.push_back(eq("CLOSEDATE", 0));
            if (screen == ScheduleScreen::Group) more.push_back(inChosenGroup);
            out = allOf(std::move(more));
            return Status::success();
        }
        default:
            out = anyOf({});
            return Status::success();
    }
}

Filter projectReportFilter(const ReportParams& params, const ReportScope& scope,
                           std::int32_t projectNumber) {
    ProjectListOptions options;
    options.includeSecondary = params.includeSecondary;
    options.openOnly = params.openOnly;
    return projectAssignmentFilter(projectNumber, options, scope.viewer);
}

Filter visibleGroupsFilter(const ReportScope& scope) {
    if (scope.administrator) return all();
    return access::fieldIsUser("USER", scope.user);
}

Status findReportGroup(Database& db, const ReportScope& scope, const std::string& name,
                       ReportGroup& group) {
    std::vector<GroupName> found;
    ReadRequest request;
    request.key = GroupName::def().key(key::GRO_GROUPUSER_KEY);
    request.from = KeyPosition::at({name});
    request.filter = allOf({eq("GROUPNAME", name), visibleGroupsFilter(scope)});
    request.limit = 50;
    Status s = db.read(request, found);
    if (s.endOfRange() || (s.ok() && found.empty()))
        return Status::error(kRecordNotFound, "Record not found");
    if (!s.ok()) return s;
    const GroupName* chosen = &found.front();
    for (const GroupName& g : found)
        if (access::isUser(g.USER, scope.user)) chosen = &g;
    group.number = chosen->GROUPNUMBER;
    group.name = chosen->GROUPNAME;
    return Status::success();
}

Status findReportProject(Database& db, const ReportScope& scope, const std::string& name,
                         Project& project) {
    std::vector<Project> found;
    ReadRequest request;
    request.key = Project::def().key(key::PRO_NAME_KEY);
    request.from = KeyPosition::at({name});
    request.filter = allOf({eq("NAME", name), access::visibleProjects(scope.viewer)});
    request.limit = 50;
    Status s = db.read(request, found);
    if (s.endOfRange() || (s.ok() && found.empty()))
        return Status::error(kRecordNotFound, "Record not found");
    if (!s.ok()) return s;
    project = found.front();
    for (const Project& p : found)
        if (access::isUser(p.USER, scope.user)) project = p;
    return Status::success();
}

bool mayPrintConfidential(const Assignment& a, const ReportScope& scope) {
    return scope.confidentialOn && access::mayReadConfidential(a, scope.viewer);
}

}  // namespace tko
