// "Current Reminders": the user's reminders that have come due, with the
// assignment each belongs to; "View" opens that assignment, "Delete" removes
// the reminder once the user confirms it, "Alert" flips its start-up alarm, "Print" runs the
// current-reminders report. An own window.
#pragma once

#include <memory>

#include "assign/lists/ui/ListActions.h"
#include "platform/ui/ListWindow.h"
#include "views/ReminderList.h"

class QMenu;

namespace tko {

class ReminderWindow : public ListWindow {
    Q_OBJECT
public:
    ReminderWindow(Workspace& workspace, ListActions actions, QWidget* parent = nullptr);
    ~ReminderWindow() override;

    // The text of a cell as shown, the assignment's columns included.
    QString cellText(int row, int column) const;

    void viewSelected();
    void deleteSelected();
    void toggleAlert();
    void print();

    // The pop-up menu of the list: "View", greyed while the list is empty.
    QMenu* buildContextMenu() { return buildPopup(); }

private:
    // A delete or write of the row's reminder failed (it may have been deleted
    // by another station): show standard message `number` and what is left.
    void actionFailed(int number, const store::Row& row);
    const Assignment* assignmentOfRow(int row) const;

    Workspace& m_workspace;
    ListActions m_actions;
    std::unique_ptr<ReminderAssignments> m_assignments;
};

}  // namespace tko
