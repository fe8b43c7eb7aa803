// A list screen over the ASSIGNMENT table: the list-window scaffold plus the
// actions every assignment list shares — open the highlighted assignment in
// the assignment form, insert a new one, conclude through ConcludeAssignment —
// each followed by a reload positioned on the row by its key. The form,
// the conclusion and the reports come in through ListActions, so tests can
// bind recorders.
#pragma once

#include "assign/lists/ui/ListActions.h"
#include "platform/ui/ListWindow.h"

namespace tko {

class AssignmentListWindow : public ListWindow {
    Q_OBJECT
public:
    // `workspace` outlives the window.
    AssignmentListWindow(Workspace& workspace, ListActions actions, QWidget* parent = nullptr);

    // Opens the highlighted assignment (the whole stored record, memos
    // included) for change. Afterwards the list is positioned on the record as
    // saved when `followRecord` is set, else on the row as it was listed (or
    // its neighbour, when viewing made it leave the list).
    //
    // Both this and insertAssignment() follow the form's record navigation
    // (session.GlobalNavigation): the list moves its highlight to the first,
    // previous, next or last row and opens the form again there, or opens it
    // again to insert, for as long as the form ends that way.
    void changeSelected(bool followRecord = true);
    void insertAssignment();
    void concludeSelected();

    // The standard buttons of assignment lists, with their usual texts.
    ListButton changeButton();
    ListButton insertButton(const char* tip = "Add new assignment");
    ListButton concludeButton(const char* tip = "Conclude assignment");

protected:
    Workspace& m_workspace;
    ListActions m_actions;

private:
    // One opening of the form; the navigation it asked for.
    RecordNavigation openHighlighted(bool followRecord);
    RecordNavigation openInsert();
    RecordNavigation takeNavigation();
    void followNavigation(RecordNavigation where);
};

}  // namespace tko
