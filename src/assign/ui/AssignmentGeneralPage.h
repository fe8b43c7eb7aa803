// The "General" page of the assignment form: name, person (or group),
// priority, secondary flag, due date with "Cal" and "Repeating", the repeat
// description and the dates of the record. The form connects its buttons and
// reads its entries; the page lays them out and shows a record in them.
#pragma once

#include <QWidget>

#include "data/Records.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tko {

class AssignmentGeneralPage : public QWidget {
    Q_OBJECT
public:
    explicit AssignmentGeneralPage(QWidget* parent = nullptr);

    // Shows `a`: `who` in the person entry (the person, or on the group form
    // the group); the concluded and previous due dates only when set and
    // `forPerson`.
    void showRecord(const Assignment& a, const QString& who, bool forPerson);
    // The repeat description line of `a` (RepeatDescription()).
    void showRepeatLine(const Assignment& a);
    // Names a group instead of a person (the group form).
    void adaptToGroup();

    // The widgets, named as the form's tests find them.
    QLineEdit* nameEdit = nullptr;
    QLabel* personPrompt = nullptr;
    QLineEdit* personEdit = nullptr;  // "groupEdit" on the group form
    QPushButton* personButton = nullptr;
    QSpinBox* prioritySpin = nullptr;
    QCheckBox* secondaryCheck = nullptr;
    QCheckBox* assigneeConcludeCheck = nullptr;
    QLineEdit* dueDateEdit = nullptr;
    QPushButton* calButton = nullptr;
    QPushButton* repeatButton = nullptr;
    QLabel* repeatLabel = nullptr;
    QLabel* concludedPrompt = nullptr;
    QLabel* concludedLabel = nullptr;
    QLabel* prevDuePrompt = nullptr;
    QLabel* prevDueLabel = nullptr;

private:
    QLabel* m_assigned = nullptr;
    QLabel* m_by = nullptr;
};

}  // namespace tko
