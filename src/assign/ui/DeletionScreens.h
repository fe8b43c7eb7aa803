// The three screens that delete assignments, as the main frame opens them:
// "DeleteAssignment" (one at a time, a window of its own), "DeleteBatchByPerson"
// (modal) and "DeleteBatchByDate" (a window of its own). The rules are those
// of assign/Deletion.h.
#pragma once

#include "platform/ui/Procedures.h"

namespace tko {

void registerDeletionScreens(Procedures& procedures);

}  // namespace tko
