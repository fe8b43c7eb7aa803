// The due-now and unseen windows as the main frame opens them
// ("BrowseDueAssignments", "BrowseUnseenAssignments"), and the actions every
// assignment list of the program is bound to.
#pragma once

#include <QString>

#include "assign/lists/ui/ListActions.h"
#include "data/Workspace.h"
#include "platform/ui/Procedures.h"

namespace tko {

inline constexpr const char* kDueNowProcedure = "BrowseDueAssignments";
inline constexpr const char* kUnseenProcedure = "BrowseUnseenAssignments";

// The actions bound to the assignment form, ConcludeAssignment, the
// workspace's "Assignments Due" print-out (unbound, "Print" shows standard
// message 6) and the procedure kRemindersReportProcedure.
ListActions programListActions();

// Registers the due-now and unseen windows with the program's actions.
void registerAssignmentListScreens(Procedures& procedures);

}  // namespace tko
