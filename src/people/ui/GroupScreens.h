// The group-list screens as the rest of the program uses them.
#pragma once

#include <optional>

#include "app/Workspace.h"
#include "data/Records.h"
#include "platform/FormRequest.h"
#include "platform/ui/Procedures.h"

class QWidget;

namespace tko {

// "Group Lists" in select mode, modal: the group the user chose (one the
// user may see: their own, any for a System Administrator), or nothing when
// the list was closed without a choice.
std::optional<GroupName> selectGroupList(QWidget* parent, Workspace& workspace);

// "Update Group List" for `request` (Insert, Change, Delete) on `group`.
// Modal. True when the request was completed; `group` then holds the stored
// record.
bool runGroupListForm(QWidget* parent, Workspace& workspace, Request request, GroupName& group);

// Registers the group screens under their procedure names ("BrowseGroupLists").
void registerGroupScreens(Procedures& procedures);

}  // namespace tko
