// "View Unseen or Changed Assignments": what others gave the user that the
// user has not opened yet. "View" opens the assignment form, which marks the
// assignment seen, so the row leaves the list. An own window.
#pragma once

#include "assign/lists/ui/AssignmentListWindow.h"

class QPushButton;

namespace tko {

class UnseenWindow : public AssignmentListWindow {
    Q_OBJECT
public:
    UnseenWindow(Workspace& workspace, ListActions actions, QWidget* parent = nullptr);

    QPushButton* viewButton() const { return button(QStringLiteral("viewButton")); }
    // Viewed, the row leaves the list; the highlight goes to its neighbour.
    void viewSelected() { changeSelected(false); }
};

}  // namespace tko
