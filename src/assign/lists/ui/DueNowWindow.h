// "Assignments Due Now": the open assignments whose due date has come, in four
// orders, with "Include secondary", and buttons to view, add, conclude and
// print. An own window (deletes itself when closed).
#pragma once

#include "assign/lists/DueNowList.h"
#include "assign/lists/ui/AssignmentListWindow.h"

class QCheckBox;

namespace tko {

class DueNowWindow : public AssignmentListWindow {
    Q_OBJECT
public:
    // `workspace` outlives the window.
    DueNowWindow(Workspace& workspace, ListActions actions, QWidget* parent = nullptr);

    QCheckBox* includeSecondaryCheck() const { return m_includeSecondary; }
    const DueNowScope& scope() const { return m_scope; }
    // The order of the current tab.
    const DueNowOrder& currentOrder() const;

    void print();

private:
    void onIncludeSecondary(bool checked);

    DueNowScope m_scope;
    QCheckBox* m_includeSecondary = nullptr;
};

}  // namespace tko
