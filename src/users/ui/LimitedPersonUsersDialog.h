// "Users for Limited Person": the users listed in PEOUSER for one person,
// with Insert (pick users not yet listed) and Delete (the highlighted row).
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "data/Workspace.h"

class QLineEdit;
class QPushButton;

namespace tko {

class BrowseList;

class LimitedPersonUsersDialog : public QDialog {
    Q_OBJECT
public:
    LimitedPersonUsersDialog(Workspace& workspace, std::int32_t personNumber,
                             const std::string& shortName, QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QLineEdit* personEdit() const { return m_person; }

    // Picks users among `candidates` (the users not listed yet); the chosen
    // names (none: nothing added). By default "Browse Users - Multiple
    // Select" (users/ui/UserPickers.h) picks them; tests may replace it.
    using UserPicker = std::function<std::vector<std::string>(
        QWidget* parent, const std::vector<std::string>& candidates)>;
    static void setUserPicker(UserPicker picker);

    // The buttons' actions.
    void insertUsers();
    void deleteUser();
    // Adds rows for `users` and shows the list on the first of them.
    void addUsers(const std::vector<std::string>& users);

private:
    Workspace& m_workspace;
    std::int32_t m_personNumber;
    QLineEdit* m_person = nullptr;
    BrowseList* m_list = nullptr;
};

}  // namespace tko
