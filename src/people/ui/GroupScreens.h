// The group-list screens as the rest of the program uses them.
#pragma once

#include <optional>

#include "data/Records.h"
#include "data/Workspace.h"
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

// The group list whose "Print" runs the procedure "PrintGroupList" (the
// group report): set by the form for as long as that procedure runs, so that
// the report knows which group to print. Empty at any other time.
const std::optional<GroupName>& groupListToPrint();
// Runs "PrintGroupList" for `group` through the procedure registry; standard
// message 6 while no such procedure is registered.
void printGroupList(QWidget* parent, Workspace& workspace, const GroupName& group);

// Registers the group screens under their procedure names ("BrowseGroupLists").
void registerGroupScreens(Procedures& procedures);

}  // namespace tko
