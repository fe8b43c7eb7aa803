#include "assign/lists/ui/AssignmentListWindow.h"

#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"

namespace tko {

AssignmentListWindow::AssignmentListWindow(Workspace& workspace, ListActions actions,
                                           QWidget* parent)
    : ListWindow(workspace.db->engine(), Assignment::def(), parent),
      m_workspace(workspace),
      m_actions(std::move(actions)) {}

void AssignmentListWindow::changeSelected(bool followRecord) {
    followNavigation(openHighlighted(followRecord));
}

void AssignmentListWindow::insertAssignment() {
    followNavigation(openInsert());
}

RecordNavigation AssignmentListWindow::openHighlighted(bool followRecord) {
    store::Row row;
    Assignment record;
    if (!m_actions.openForm || !highlightedRecord(row, record)) return RecordNavigation::None;
    // The page holds no memos; the form gets the whole stored record.
    if (!m_workspace.db->reread(record).ok()) {
        reloadOn(row);
        return RecordNavigation::None;
    }
    m_workspace.session.GlobalNavigation = RecordNavigation::None;
    const bool done = m_actions.openForm(this, m_workspace, Request::Change, record);
    reloadOn(done && followRecord ? record.toRow() : row);
    return takeNavigation();
}

RecordNavigation AssignmentListWindow::openInsert() {
    if (!m_actions.openForm) return RecordNavigation::None;
    Assignment record;
    m_workspace.session.GlobalNavigation = RecordNavigation::None;
    if (m_actions.openForm(this, m_workspace, Request::Insert, record))
        reloadOn(record.toRow());
    else
        reloadKeeping();
    return takeNavigation();
}

RecordNavigation AssignmentListWindow::takeNavigation() {
    const RecordNavigation where = m_workspace.session.GlobalNavigation;
    m_workspace.session.GlobalNavigation = RecordNavigation::None;
    return where;
}

void AssignmentListWindow::followNavigation(RecordNavigation where) {
    // Each round moves the highlight as the form asked and opens the form
    // again, until the form ends some other way.
    while (where != RecordNavigation::None) {
        if (where == RecordNavigation::Insert) {
            where = openInsert();
            continue;
        }
        if (!list()->moveHighlight(where).ok() && !selectedRow()) return;
        updateActions();
        where = openHighlighted(true);
    }
}

void AssignmentListWindow::concludeSelected() {
    store::Row row;
    Assignment record;
    if (!m_actions.conclude || !highlightedRecord(row, record)) return;
    // The store's error, or a note that another station concluded it first.
    showOutcome(this,
                m_actions.conclude(*m_workspace.db, m_workspace.session, record, Clock::today()));
    reloadOn(row);
}

ListButton AssignmentListWindow::changeButton() {
    return {"changeButton",
            "&Change/View",
            "Change or view details of assignment",
            [this] { changeSelected(); },
            ListRole::Change,
            NeedsRow::Yes};
}

ListButton AssignmentListWindow::insertButton(const char* tip) {
    return {"insertButton", "&Insert", tip, [this] { insertAssignment(); }, ListRole::Insert};
}

ListButton AssignmentListWindow::concludeButton(const char* tip) {
    return {"concludeButton", "C&onclude",  tip, [this] { concludeSelected(); },
            ListRole::None,   NeedsRow::Yes};
}

}  // namespace tko
