// The people screens as the rest of the program uses them.
#pragma once

#include <optional>

#include "app/Workspace.h"
#include "data/Records.h"
#include "platform/ui/Procedures.h"

class QWidget;

namespace tko {

// "Browse People Who Can Be Assigned" in select mode: the person the user
// chose, or nothing when the list was closed without a choice.
std::optional<Person> selectAssignablePerson(QWidget* parent, Workspace& workspace);

// Registers the people screens under their procedure names ("UpdatePeople",
// "BrowsePeople").
void registerPeopleScreens(Procedures& procedures);

}  // namespace tko
