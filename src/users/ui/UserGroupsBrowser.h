// "Browse User Groups": the user groups by name, with Insert, Change and
// Delete opening "Update User Group". From the menu a window of its own;
// opened by the user form's "Add User Group" it is modal and "Select"
// returns the highlighted group.
#pragma once

#include <QDialog>

#include <optional>
#include <string>

#include "app/Workspace.h"
#include "data/Records.h"

class QPushButton;

namespace tko {

class BrowseList;

class UserGroupsBrowser : public QDialog {
    Q_OBJECT
public:
    UserGroupsBrowser(Workspace& workspace, bool selectMode, QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QPushButton* button(const QString& objectName) const;
    const std::optional<UserGroup>& chosen() const { return m_chosen; }

    void selectGroup();
    void insertGroup();
    void changeGroup();
    void deleteGroup();

private:
    std::optional<UserGroup> highlighted() const;
    void reloadOn(const UserGroup& group);

    Workspace& m_workspace;
    bool m_selectMode;
    BrowseList* m_list = nullptr;
    std::optional<UserGroup> m_chosen;
};

// The modal list in select mode: the chosen group's name, or nothing.
std::optional<std::string> selectUserGroup(QWidget* parent, Workspace& workspace);

}  // namespace tko
