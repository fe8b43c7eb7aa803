// "Projects for Assignment": the projects that hold one assignment (those
// the user sees), opened from the pop-up menus of Look Forward and History.
#pragma once

#include <QDialog>

#include "data/Workspace.h"

class QLineEdit;

namespace tko {

class BrowseList;

class ProjectsForAssignmentDialog : public QDialog {
    Q_OBJECT
public:
    ProjectsForAssignmentDialog(Workspace& workspace, const Assignment& assignment,
                                QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* personEdit() const { return m_person; }

private:
    QLineEdit* m_name = nullptr;
    QLineEdit* m_person = nullptr;
    BrowseList* m_list = nullptr;
};

}  // namespace tko
