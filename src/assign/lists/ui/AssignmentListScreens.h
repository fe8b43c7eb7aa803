// The due-now and unseen windows as the main frame opens them
// ("BrowseDueAssignments", "BrowseUnseenAssignments"), and the actions every
// assignment list of the program is bound to.
#pragma once

#include <QString>

#include "app/Workspace.h"
#include "assign/lists/ui/ListActions.h"
#include "platform/ui/Procedures.h"

namespace tko {

inline constexpr const char* kDueNowProcedure = "BrowseDueAssignments";
inline constexpr const char* kUnseenProcedure = "BrowseUnseenAssignments";

using DueReport =
    std::function<void(QWidget* parent, Workspace& workspace, const QString& orderName)>;
// The reports subsystem hands in its due-assignments report here; until then
// "Print" shows standard message 6.
void setDueAssignmentsReport(DueReport report);

// The actions bound to the assignment form, ConcludeAssignment, the report
// above and the procedure kRemindersReportProcedure.
ListActions programListActions();

// Registers the due-now and unseen windows with the program's actions.
void registerAssignmentListScreens(Procedures& procedures);

}  // namespace tko
