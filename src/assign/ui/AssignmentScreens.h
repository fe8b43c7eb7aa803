// The assignment screens as the rest of the program uses them.
#pragma once

#include "data/Records.h"
#include "data/Workspace.h"
#include "platform/FormRequest.h"
#include "platform/ui/Procedures.h"

class QWidget;

namespace tko {

// "Assignment Information" for `request` (Insert on a cleared record, Change,
// Delete) on `record`. Modal. True when the request was completed; `record`
// then holds the stored record (for Delete: the record as it was). When the
// form ended by record navigation, session.GlobalNavigation says where to.
bool runAssignmentForm(QWidget* parent, Workspace& workspace, Request request, Assignment& record);

// "Assignment Information Group": one assignment for every eligible member of
// a group list. Modal. True when the records were stored.
bool runGroupAssignmentForm(QWidget* parent, Workspace& workspace);

// "Reminder Information" for `request` on `reminder` (for Insert: cleared, with
// REM:ASSIGNNUMBER and REM:PERSON of its assignment set). Modal. True when completed.
bool runReminderForm(QWidget* parent, Workspace& workspace, Request request, Reminder& reminder);

// Registers the assignment screens under their procedure names ("UpdateAssignment",
// "UpdateGroupAssignment").
void registerAssignmentScreens(Procedures& procedures);

}  // namespace tko
