// "Group Lists": the group lists the signed-in user may see (their own, all
// of them for a System Administrator; people/GroupLists.h), with "Insert",
// "Change/View" and "Delete" through the "Update Group List" form. Opened
// from the menu it is a window of its own; other screens open it modal in
// select mode to pick a group.
#pragma once

#include <QDialog>

#include <optional>

#include "app/Workspace.h"
#include "data/Records.h"

class QPushButton;

namespace tko {

class BrowseList;

class GroupListsWindow : public QDialog {
    Q_OBJECT
public:
    GroupListsWindow(Workspace& workspace, bool selectMode, QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QPushButton* button(const QString& objectName) const;
    // The group chosen in select mode.
    const std::optional<GroupName>& chosen() const { return m_chosen; }

    // The buttons' actions on the highlighted row (for the buttons and for tests).
    void selectGroup();
    void insertGroup();
    void changeGroup();
    void deleteGroup();

private:
    std::optional<GroupName> highlighted() const;
    void reloadOn(const GroupName& group);

    Workspace& m_workspace;
    bool m_selectMode;
    BrowseList* m_list = nullptr;
    std::optional<GroupName> m_chosen;
};

}  // namespace tko
