// The schedule views as the main frame opens them: "Current Reminders"
// ("BrowseReminders").
#pragma once

#include "data/Workspace.h"
#include "platform/ui/Procedures.h"

namespace tko {

inline constexpr const char* kRemindersProcedure = "BrowseReminders";

// Registers the views' windows with the program's actions.
void registerListScreens(Procedures& procedures);

}  // namespace tko
