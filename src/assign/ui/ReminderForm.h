// "Reminder Information": one reminder of an assignment, for an insert,
// change or delete request. An insert adds the numbered record at once; the
// form then edits it, and leaving without "OK" removes it again.
#pragma once

#include <QDialog>

#include "data/Workspace.h"
#include "platform/FormRequest.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tko {

class FormScaffold;

class ReminderForm : public QDialog {
    Q_OBJECT
public:
    // `reminder` is the record to change or delete (for insert: ignored, the
    // form primes its own); `owner` the assignment it belongs to.
    ReminderForm(Workspace& workspace, Request request, const Reminder& reminder,
                 const Assignment& owner, QWidget* parent = nullptr);

    // Adds the new record for an insert request; false (after the message)
    // when numbering failed for good: the form must not be shown.
    bool start();

    const Reminder& reminder() const { return m_current; }
    bool completed() const;
    FormScaffold* scaffold() const { return m_scaffold; }

    QLineEdit* dateEdit() const { return m_date; }
    QLineEdit* noteEdit() const { return m_note; }
    QCheckBox* alarmCheck() const { return m_alarm; }
    QLabel* forLabel() const { return m_for; }

    void done(int result) override;
    void reject() override;

private:
    void display();
    // The fields into `out`; false when the date cannot be read (and `report`
    // shows why).
    bool collect(Reminder& out, bool report);
    bool save();
    bool remove();

    Workspace& m_workspace;
    Request m_request;
    Reminder m_current, m_opened;
    Assignment m_owner;
    bool m_addedAtOnce = false;
    FormScaffold* m_scaffold = nullptr;
    QLineEdit* m_date = nullptr;
    QLineEdit* m_note = nullptr;
    QCheckBox* m_alarm = nullptr;
    QLabel* m_for = nullptr;
};

}  // namespace tko
