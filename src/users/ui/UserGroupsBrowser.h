// "Browse User Groups": the user groups by name, with Insert, Change and
// Delete opening "Update User Group". From the menu a window of its own;
// opened by the user form's "Add User Group" it is modal and "Select"
// returns the highlighted group.
#pragma once

#include <optional>
#include <string>

#include "data/Records.h"
#include "data/Workspace.h"
#include "platform/ui/ListWindow.h"

namespace tko {

class UserGroupsBrowser : public ListWindow {
    Q_OBJECT
public:
    UserGroupsBrowser(Workspace& workspace, bool selectMode, bool ownWindow = false,
                      QWidget* parent = nullptr);

    // The group chosen in select mode.
    std::optional<std::string> chosenGroup() const;

    void insertGroup();
    void changeGroup();
    void deleteGroup();

private:
    std::optional<UserGroup> highlighted() const;
    void showGroup(const UserGroup& group);

    Workspace& m_workspace;
};

// The modal list in select mode: the chosen group's name, or nothing.
std::optional<std::string> selectUserGroup(QWidget* parent, Workspace& workspace);

}  // namespace tko
