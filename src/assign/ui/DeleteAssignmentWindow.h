// "Delete Individual Assignments": choose a person (typed or picked with
// "..."), then delete or view that person's assignments one at a time. The
// person must be one the user may assign to (assign/Deletion.h).
#pragma once

#include <QDialog>

#include <optional>

#include "app/Workspace.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tko {

class BrowseList;

class DeleteAssignmentWindow : public QDialog {
    Q_OBJECT
public:
    explicit DeleteAssignmentWindow(Workspace& workspace, QWidget* parent = nullptr);

    // Takes the person typed into the entry; false (after saying why) when the
    // user may not delete that person's assignments or there is no such person.
    bool personEntered();
    // "...": the people the user may assign to, in select mode.
    void pickPerson();
    // "Delete": the standard confirmation, then the integrity delete of the
    // highlighted assignment. "View": the assignment form for a change.
    void deleteSelected();
    void viewSelected();

    const std::optional<Person>& person() const { return m_person; }
    QLineEdit* personEdit() const { return m_personEdit; }
    BrowseList* list() const { return m_list; }

private:
    void usePerson(const Person& person);
    std::optional<Assignment> selected() const;

    Workspace& m_workspace;
    std::optional<Person> m_person;
    QLineEdit* m_personEdit = nullptr;
    QLabel* m_type = nullptr;
    QLabel* m_user = nullptr;
    BrowseList* m_list = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_view = nullptr;
};

}  // namespace tko
