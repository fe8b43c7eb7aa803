// The Look Forward and History screens as the rest of the program uses them.
#pragma once

#include <optional>

#include "data/Records.h"
#include "data/Workspace.h"
#include "platform/ui/Procedures.h"
#include "views/ui/ScheduleWindow.h"

class QWidget;

namespace tko {

// "Look Forward (General)" in select mode, modal: the assignment the user
// chose (the whole stored record), or nothing when closed without a choice.
std::optional<Assignment> selectFromLookForward(QWidget* parent, Workspace& workspace);

// Opens one of the six screens as an own window (the menu's way).
ScheduleWindow* openScheduleWindow(QWidget* parent, Workspace& workspace, ScheduleKind kind,
                                   ScheduleScreen screen);

// Registers "LookForwardGeneral", "LookForwardPerson", "LookForwardGroup",
// "HistoryGeneral", "HistoryPerson" and "HistoryGroup".
void registerScheduleScreens(Procedures& procedures);

}  // namespace tko
