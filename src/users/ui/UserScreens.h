// The user screens as the main frame opens them: "BrowseUsers" (File > Users
// > Add/Edit Users) and "BrowseUserGroups" (File > Users > User Groups), for
// System Administrators only.
#pragma once

#include "data/Workspace.h"
#include "platform/ui/Procedures.h"

namespace tko {

void registerUserScreens(Procedures& procedures);
// Binds "Users for Limited Person" and "Users for Limited Project".
void bindUserServices(Services& services);

}  // namespace tko
