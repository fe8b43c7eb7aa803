// "Delete Concluded Assignments": a System Administrator enters a date and,
// after "Are you ABSOLUTELY sure?", every assignment concluded before it goes,
// with its reminders and project links. The work runs in short transactions
// under a progress window whose Cancel stops it between two of them; what was
// deleted by then stays deleted (assign/Deletion.h).
#pragma once

#include <QDialog>

#include <cstdint>

#include "data/Workspace.h"

class QLineEdit;

namespace tko {

class DeleteByDateWindow : public QDialog {
    Q_OBJECT
public:
    explicit DeleteByDateWindow(Workspace& workspace, QWidget* parent = nullptr);

    // "OK": checks the date, asks, runs the deletion and closes. Cancel on the
    // question, or a date that cannot be read, returns to the date entry.
    void ok();

    QLineEdit* dateEdit() const { return m_date; }
    std::int64_t deleted() const { return m_deleted; }

private:
    Workspace& m_workspace;
    QLineEdit* m_date = nullptr;
    std::int64_t m_deleted = 0;
};

}  // namespace tko
