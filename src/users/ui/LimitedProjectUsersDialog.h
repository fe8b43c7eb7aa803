// "Users for Limited Project": the users listed in PROJUSER for one project,
// with Insert (pick users; those listed already are skipped) and Delete (the
// highlighted row). The project form opens it with the project's number and
// name.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "data/Workspace.h"

class QLineEdit;

namespace tko {

class BrowseList;

class LimitedProjectUsersDialog : public QDialog {
    Q_OBJECT
public:
    LimitedProjectUsersDialog(Workspace& workspace, std::int32_t projNumber,
                              const std::string& projName, QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QLineEdit* projectEdit() const { return m_project; }

    // The buttons' actions.
    void insertUsers();
    void deleteUser();
    // Adds rows for `users` and shows the list on the first of them.
    void addUsers(const std::vector<std::string>& users);

private:
    Workspace& m_workspace;
    std::int32_t m_projNumber;
    std::string m_projName;
    QLineEdit* m_project = nullptr;
    BrowseList* m_list = nullptr;
};

}  // namespace tko
