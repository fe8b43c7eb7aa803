// "Browse Users": every user along one of four keys (the access-level tab
// highest level first), with Insert, Change and Delete opening "Update User
// Information". Delete first warns that the user's assignments will be
// concluded. A window of its own beside the frame.
#pragma once

#include <optional>

#include "data/Records.h"
#include "data/Workspace.h"
#include "platform/ui/ListWindow.h"

namespace tko {

class UsersBrowser : public ListWindow {
    Q_OBJECT
public:
    explicit UsersBrowser(Workspace& workspace, bool ownWindow = false, QWidget* parent = nullptr);

    // The buttons' actions on the highlighted row.
    void insertUser();
    void changeUser();
    void deleteUser();

private:
    std::optional<User> highlighted() const;
    void showUser(const User& user);

    Workspace& m_workspace;
};

}  // namespace tko
