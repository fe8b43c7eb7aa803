// "Assignments Due Now": the open assignments whose due date has come, in four
// orders, with "Include secondary", and buttons to view, add, conclude and
// print. An own window (deletes itself when closed).
#pragma once

#include <QWidget>

#include "assign/lists/DueNowList.h"
#include "assign/lists/ui/ListActions.h"

class QCheckBox;
class QPushButton;

namespace tko {

class BrowseList;

class DueNowWindow : public QWidget {
    Q_OBJECT
public:
    // `workspace` outlives the window.
    DueNowWindow(Workspace& workspace, ListActions actions, QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QCheckBox* includeSecondaryCheck() const { return m_includeSecondary; }
    QPushButton* button(const QString& objectName) const;
    const DueNowScope& scope() const { return m_scope; }
    // The order of the current tab.
    const DueNowOrder& currentOrder() const;

    // The action buttons, callable from tests.
    void changeSelected();
    void insertAssignment();
    void concludeSelected();
    void print();

private:
    void applyScope();
    void onIncludeSecondary(bool checked);
    void updateButtons();
    void reloadOn(const store::Row& row);

    Workspace& m_workspace;
    ListActions m_actions;
    DueNowScope m_scope;
    BrowseList* m_list = nullptr;
    QCheckBox* m_includeSecondary = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_conclude = nullptr;
};

}  // namespace tko
