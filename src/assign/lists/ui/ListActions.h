// What the list windows do beyond reading their rows: open the assignment
// form, conclude, print. Windows call these; registerAssignmentListScreens() binds them
// to the assignment form, ConcludeAssignment and the reports, and tests bind
// them to recorders. An empty print action shows standard message 6.
#pragma once

#include <QString>

#include <functional>

#include "assign/Conclude.h"
#include "data/Workspace.h"
#include "platform/FormRequest.h"

class QWidget;

namespace tko {

struct ListActions {
    // The assignment form for `request` on `record`; true when completed.
    std::function<bool(QWidget* parent, Workspace& workspace, Request request, Assignment& record)>
        openForm;
    // ConcludeAssignment on the row `seen` as the list showed it.
    std::function<Outcome(Database& db, const Session& session, const Assignment& seen, Date today)>
        conclude;
    // The due-assignments report in the order named "Due Date", "Priority",
    // "Person" or "Alphabetically".
    std::function<void(QWidget* parent, Workspace& workspace, const QString& orderName)> printDue;
    std::function<void(QWidget* parent, Workspace& workspace)> printReminders;
};

// Procedure names the print buttons report when no report is bound.
inline constexpr const char* kDueReportProcedure = "ReportDueAssignments";
inline constexpr const char* kRemindersReportProcedure = "ReportCurrentReminders";

}  // namespace tko
