#include "people/ui/GroupListsWindow.h"

#include "data/Keys.h"
#include "people/GroupLists.h"
#include "people/ui/GroupScreens.h"
#include "platform/ui/BrowseList.h"

namespace tko {

GroupListsWindow::GroupListsWindow(Workspace& workspace, bool selectMode, QWidget* parent,
                                   bool ownWindow)
    : ListWindow(workspace.db->engine(), GroupName::def(), parent), m_workspace(workspace) {
    setIdentity({"GroupListsWindow", "groupList", QStringLiteral("Group Lists"),
                 QStringLiteral("~Browse_Groups_Window"), ownWindow});
    list()->setColumns(
        {{QStringLiteral("Group Name"), QStringLiteral("GROUPNAME"), QStringLiteral("@s20"), 90},
         {QStringLiteral("User"), QStringLiteral("USER"), QStringLiteral("@s15"), 64},
         {QStringLiteral("Group Number"), QStringLiteral("GROUPNUMBER"), QStringLiteral("@n-13"),
          56, ColumnAlign::Right}});
    list()->setKey(QLatin1String(key::GRO_GROUPNAME_KEY));
    list()->setFilter(groupListFilter(workspace.session));
    setSelectMode(selectMode);
    // Picking a group, the user may still create one or look into one.
    setButtons({{"selectButton", "Select", "Select highlighted group list", [this] { choose(); },
                 ListRole::Select, NeedsRow::Yes},
                {"insertButton", "Insert", "Create a new group list", [this] { insertGroup(); },
                 ListRole::Insert, NeedsRow::No, true},
                {"changeButton", "Change/View", "Change or view highlighted group list",
                 [this] { changeGroup(); }, ListRole::Change, NeedsRow::Yes, true},
                {"deleteButton", "Delete", "Delete highlighted group list",
                 [this] { deleteGroup(); }, ListRole::Delete, NeedsRow::Yes}});
    setPopup({{"insertPopupAction", "Insert", [this] { insertGroup(); }, NeedsRow::No},
              {"changePopupAction", "Change/View", [this] { changeGroup(); }},
              {"deletePopupAction", "Delete", [this] { deleteGroup(); }}});
    finish(480, 360);
}

bool GroupListsWindow::acceptChoice(const store::Row& row) {
    GroupName group;
    group.fromRow(row);
    m_chosen = group;
    return true;
}

void GroupListsWindow::insertGroup() {
    GroupName group;
    if (runGroupListForm(this, m_workspace, Request::Insert, group))
        reloadOn(group.toRow());
    else
        reloadKeeping();
}

void GroupListsWindow::changeGroup() {
    store::Row row;
    GroupName group;
    if (!highlightedRecord(row, group)) return;
    if (runGroupListForm(this, m_workspace, Request::Change, group))
        reloadOn(group.toRow());
    else
        reloadOn(row);
}

void GroupListsWindow::deleteGroup() {
    if (selectMode()) return;
    store::Row row;
    GroupName group;
    if (!highlightedRecord(row, group)) return;
    runGroupListForm(this, m_workspace, Request::Delete, group);
    reloadOn(row);
}

}  // namespace tko
