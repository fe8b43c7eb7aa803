// "Group Lists": the group lists the signed-in user may see (their own, all
// of them for a System Administrator; people/GroupLists.h), with "Insert",
// "Change/View" and "Delete" through the "Update Group List" form. Opened
// from the menu it is a window of its own; other screens open it modal in
// select mode to pick a group.
#pragma once

#include <optional>

#include "data/Records.h"
#include "data/Workspace.h"
#include "platform/ui/ListWindow.h"

namespace tko {

class GroupListsWindow : public ListWindow {
    Q_OBJECT
public:
    // `ownWindow`: a window of its own beside the frame, deleted when closed.
    GroupListsWindow(Workspace& workspace, bool selectMode, QWidget* parent = nullptr,
                     bool ownWindow = false);

    // The group chosen in select mode.
    const std::optional<GroupName>& chosen() const { return m_chosen; }

    // The buttons' actions on the highlighted row (for the buttons and for tests).
    void insertGroup();
    void changeGroup();
    void deleteGroup();

protected:
    bool acceptChoice(const store::Row& row) override;

private:
    Workspace& m_workspace;
    std::optional<GroupName> m_chosen;
};

}  // namespace tko
