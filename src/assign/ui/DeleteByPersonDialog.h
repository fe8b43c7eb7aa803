// "Delete All Assignments for a Person": a System Administrator chooses a
// person and deletes every assignment of that person, open and concluded
// alike, after "Are you sure you want to delete?" (assign/Deletion.h).
#pragma once

#include <QDialog>

#include <optional>

#include "data/Workspace.h"

class QLabel;
class QLineEdit;

namespace tko {

class DeleteByPersonDialog : public QDialog {
    Q_OBJECT
public:
    explicit DeleteByPersonDialog(Workspace& workspace, QWidget* parent = nullptr);

    // Takes the person typed into the entry; false (after saying why) when
    // there is no such person.
    bool personEntered();
    void pickPerson();
    // "OK": asks, then deletes and closes; "Cancel" on the question returns
    // to the person entry.
    void ok();

    const std::optional<Person>& person() const { return m_person; }
    QLineEdit* personEdit() const { return m_personEdit; }
    // Assignments the last "OK" deleted.
    int deleted() const { return m_deleted; }

private:
    void usePerson(const Person& person);

    Workspace& m_workspace;
    std::optional<Person> m_person;
    int m_deleted = 0;
    QLineEdit* m_personEdit = nullptr;
    QLabel* m_lastName = nullptr;
    QLabel* m_firstName = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_organization = nullptr;
    QLabel* m_type = nullptr;
    QLabel* m_user = nullptr;
};

}  // namespace tko
