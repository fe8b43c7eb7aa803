// "Browse Users": every user along one of four keys (the access-level tab
// highest level first), with Insert, Change and Delete opening "Update User
// Information". Delete first warns that the user's assignments will be
// concluded. A window of its own beside the frame.
#pragma once

#include <QDialog>

#include <optional>

#include "app/Workspace.h"
#include "data/Records.h"

class QPushButton;

namespace tko {

class BrowseList;

class UsersBrowser : public QDialog {
    Q_OBJECT
public:
    explicit UsersBrowser(Workspace& workspace, QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QPushButton* button(const QString& objectName) const;

    // The buttons' actions on the highlighted row.
    void insertUser();
    void changeUser();
    void deleteUser();

private:
    std::optional<User> highlighted() const;
    void reloadOn(const User& user);

    Workspace& m_workspace;
    BrowseList* m_list = nullptr;
};

}  // namespace tko
