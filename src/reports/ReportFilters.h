// Which records each report prints, as store filters read along a key, so
// that the selection runs inside the database whatever the size of the data.
//
// Record selection of the report types:
//  - Assignments Due: the due-now rule of the "Assignments Due Now" list.
//  - Look Forward and History: the rules of the Look Forward and History
//    screens (views/LookForward.h, views/History.h) with the report's
//    options in place of the screens' settings; History lists by date
//    concluded when listed by "Date Concluded", else by date assigned, and
//    "Open Only" leaves out concluded assignments.
//  - Secondary assignments only with "Include Secondary"; a user who may not
//    see everything sees the assignments given to or by them, and on the
//    person reports also those of persons who are not another user's Private
//    person (the screens' rules).
//  - Group reports: the members of the group list the user may use (their
//    own, or any for a System Administrator).
//  - Project reports: the assignments linked to each project the user may
//    see, as the project's window lists them (projects/ProjectRules.h);
//    "Open Only" and "Include Secondary" as above.
// Every "is this the user's own?" test is the access module's
// (access/Access.h): exact, letter case counted.
#pragma once

#include <optional>
#include <string>

#include "access/Access.h"
#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/store/Filter.h"
#include "reports/ReportOptions.h"

namespace tko {

// Who runs the report and what the system settings allow them.
struct ReportScope {
    access::Viewer viewer;  // the user, his level and SYP:VIEWALL, for the access rules
    std::string user;
    bool seesAll = false;  // SYP:VIEWALL on, or a System Administrator
    bool administrator = false;
    bool confidentialOn = false;  // SYP:CONFIDENTIAL
    Date today = 0;
};

// Reads the system settings (a missing settings record counts as the defaults).
Status loadReportScope(Database& db, const Session& session, Date today, ReportScope& scope);

// The group a group report restricts to: its number (GRO:GROUPNUMBER).
struct ReportGroup {
    std::int32_t number = 0;
    std::string name;
};

// True when the report's progress count reads the whole table instead of an
// index: the General Look Forward of one who sees all keeps the office's open
// work, most of a large table, and an index would visit its rows in random
// order (a page read per row, three times the cost of the scan at a million
// assignments). Other reports keep a narrower share, which an index finds
// faster.
bool reportCountsByScan(const ReportParams& params, const ReportScope& scope);

// The assignments of an assignment list report (types 1 and 3 to 8), read
// along assignmentKeyFor(params.listBy). `group` must be given for the group
// types. Reads what the rule needs besides the record (the group's members).
Status reportAssignmentFilter(Database& db, const ReportParams& params, const ReportScope& scope,
                              const std::optional<ReportGroup>& group, store::Filter& out);

// The assignments of one project (types 9 and 10): the rows of the project's
// window (projectAssignmentFilter()) with the report's options. Which
// projects are read is access::visibleProjects().
store::Filter projectReportFilter(const ReportParams& params, const ReportScope& scope,
                                  std::int32_t projectNumber);

// The group lists a user may print: their own (GRO:USER the user name
// exactly), or all for a System Administrator.
store::Filter visibleGroupsFilter(const ReportScope& scope);

// Finds the group named `name` that the user may print (their own first).
// kRecordNotFound when there is none.
Status findReportGroup(Database& db, const ReportScope& scope, const std::string& name,
                       ReportGroup& group);

// Finds the project named `name` that the user may see. kRecordNotFound when
// there is none.
Status findReportProject(Database& db, const ReportScope& scope, const std::string& name,
                         Project& project);

// Whether the confidential comments of `a` may be printed for this user:
// the setting is on and access::mayReadConfidential() allows it.
bool mayPrintConfidential(const Assignment& a, const ReportScope& scope);

}  // namespace tko
