// The due-now, unseen and current-reminders windows as the main frame opens
// them ("BrowseDueAssignments", "BrowseUnseenAssignments", "BrowseReminders").
#pragma once

#include <QString>

#include "app/ui/Procedures.h"
#include "assign/lists/ui/ListActions.h"

namespace tko {

inline constexpr const char* kDueNowProcedure = "BrowseDueAssignments";
inline constexpr const char* kUnseenProcedure = "BrowseUnseenAssignments";
inline constexpr const char* kRemindersProcedure = "BrowseReminders";

using DueReport =
    std::function<void(QWidget* parent, Workspace& workspace, const QString& orderName)>;
// The reports subsystem hands in its due-assignments report here; until then
// "Print" shows standard message 6.
void setDueAssignmentsReport(DueReport report);

// The actions bound to the assignment form, ConcludeAssignment, the report
// above and the procedure kRemindersReportProcedure.
ListActions programListActions();

// Opens a new window of `procedure` (one of the three above) beside the
// others; returns it, or nullptr for another name.
QWidget* openListWindow(const QString& procedure, QWidget* parent, Workspace& workspace,
                        const ListActions& actions);

// Registers the three windows with the program's actions.
void registerListScreens(Procedures& procedures);

}  // namespace tko
