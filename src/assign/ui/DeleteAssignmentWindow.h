// "Delete Individual Assignments": choose a person (typed or picked with
// "..."), then delete or view that person's assignments one at a time. The
// person must be one the user may assign to; the list holds the assignments
// the user may see, and only those he gave (all, for a System
// Administrator) are deleted (assign/Deletion.h).
#pragma once

#include <optional>

#include "access/Access.h"
#include "assign/lists/ui/AssignmentListWindow.h"

class QLabel;
class QLineEdit;

namespace tko {

class DeleteAssignmentWindow : public AssignmentListWindow {
    Q_OBJECT
public:
    // `actions.openForm` deletes and views the assignments; the default binds
    // the assignment form.
    DeleteAssignmentWindow(Workspace& workspace, ListActions actions, QWidget* parent = nullptr);
    explicit DeleteAssignmentWindow(Workspace& workspace, QWidget* parent = nullptr);

    // Takes the person typed into the entry; false (after saying why) when the
    // user may not delete that person's assignments or there is no such person.
    bool personEntered();
    // "...": the people the user may assign to, in select mode.
    void pickPerson();
    // "Delete": the standard confirmation (message 32), then the integrity
    // delete of the highlighted assignment with its reminders and links.
    void deleteSelected();

    const std::optional<Person>& person() const { return m_person; }
    QLineEdit* personEdit() const { return m_personEdit; }

private:
    void usePerson(const Person& person);
    void clearPerson();

    std::optional<Person> m_person;
    access::Viewer m_viewer;
    QLineEdit* m_personEdit = nullptr;
    QLabel* m_type = nullptr;
    QLabel* m_user = nullptr;
};

}  // namespace tko
