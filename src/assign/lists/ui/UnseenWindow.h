// "View Unseen or Changed Assignments": what others gave the user that the
// user has not opened yet. "View" opens the assignment form, which marks the
// assignment seen, so the row leaves the list. An own window.
#pragma once

#include <QWidget>

#include "assign/lists/ui/ListActions.h"

class QPushButton;

namespace tko {

class BrowseList;

class UnseenWindow : public QWidget {
    Q_OBJECT
public:
    UnseenWindow(Workspace& workspace, ListActions actions, QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QPushButton* viewButton() const { return m_view; }
    void viewSelected();

private:
    void updateButtons();

    Workspace& m_workspace;
    ListActions m_actions;
    BrowseList* m_list = nullptr;
    QPushButton* m_view = nullptr;
};

}  // namespace tko
