// "Update User Group": a user group's name and members, edited in memory and
// saved together (users/UserGroups.h decides).
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "data/Records.h"
#include "data/Workspace.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace tko {

class FormScaffold;

class UserGroupForm : public QDialog {
    Q_OBJECT
public:
    UserGroupForm(Workspace& workspace, Request request, const UserGroup& group,
                  QWidget* parent = nullptr);

    bool start();
    bool completed() const;
    const UserGroup& record() const { return m_group; }
    const std::vector<std::string>& members() const { return m_members; }

    FormScaffold* scaffold() const { return m_scaffold; }
    QLineEdit* groupEdit() const { return m_name; }
    QListWidget* memberList() const { return m_list; }

    // The buttons' actions.
    void insertMembers();
    void deleteMember();
    // Adds `users`; each one already in the group is refused with a message.
    void addMembers(const std::vector<std::string>& users);

    void reject() override;

private:
    void showName();
    // The group name to save: what the user typed, or the stored name of
    // "All users", which cannot be renamed.
    std::string enteredName() const;
    void showMembers(const std::string& select = {});
    bool save();
    bool remove();

    Workspace& m_workspace;
    Request m_request;
    FormScaffold* m_scaffold = nullptr;
    UserGroup m_group;
    UserGroup m_original;
    std::vector<std::string> m_members;
    std::vector<std::string> m_loadedMembers;
    QLineEdit* m_name = nullptr;
    QListWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_notice = nullptr;
};

bool runUserGroupForm(QWidget* parent, Workspace& workspace, Request request, UserGroup& group);

}  // namespace tko
