// The people screens as the rest of the program uses them.
#pragma once

#include <optional>
#include <string>

#include "data/Records.h"
#include "data/Workspace.h"
#include "platform/ui/Procedures.h"

class QWidget;

namespace tko {

// "Browse People Who Can Be Assigned" in select mode: the person the user
// chose, or nothing when the list was closed without a choice. With
// `startAt`, the list opens on the first person of that short name.
std::optional<Person> selectAssignablePerson(QWidget* parent, Workspace& workspace,
                                             const std::string& startAt = {});

// Registers the people screens under their procedure names ("UpdatePeople",
// "BrowsePeople", "BrowseAnniversaries").
void registerPeopleScreens(Procedures& procedures);

}  // namespace tko
