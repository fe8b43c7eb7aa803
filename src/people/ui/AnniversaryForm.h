// "Anniversary Information": one anniversary of a person, for an insert,
// change or delete request, opened from the person form's Anniversaries tab.
// The checks and the writing are those of people/Anniversaries.h.
#pragma once

#include <QDialog>

#include "data/Workspace.h"
#include "platform/FormRequest.h"

class QLineEdit;
class QPushButton;

namespace tko {

class FormScaffold;

class AnniversaryForm : public QDialog {
    Q_OBJECT
public:
    // `anniversary` is the record to change or delete, or for an insert the
    // new record with its person set (newAnniversaryFor()).
    AnniversaryForm(Workspace& workspace, Request request, const Anniversary& anniversary,
                    QWidget* parent = nullptr);

    // Checks the user's rights over the person and, for a change or delete,
    // re-reads the record. False (after the message) when the form must not open.
    bool start();
    // The short name typed on the person form (see anniversaryPersonShown()).
    void setTypedPerson(const std::string& typed) { m_typedPerson = typed; }

    const Anniversary& record() const { return m_current; }
    bool completed() const;
    FormScaffold* scaffold() const { return m_scaffold; }

    QLineEdit* personEdit() const { return m_person; }
    QLineEdit* dateEdit() const { return m_date; }
    QLineEdit* noteEdit() const { return m_note; }
    QPushButton* calButton() const { return m_cal; }

    void reject() override;

private:
    void display();
    // The entries into `out`; false when the date cannot be read (and
    // `report` shows why).
    bool collect(Anniversary& out, bool report);
    // The date as typed, re-shown in the long picture once it is accepted.
    void acceptDate();
    bool save();
    bool remove();

    Workspace& m_workspace;
    Request m_request;
    Anniversary m_current, m_opened;
    FormScaffold* m_scaffold = nullptr;
    std::string m_typedPerson;
    QLineEdit* m_person = nullptr;
    QLineEdit* m_date = nullptr;
    QLineEdit* m_note = nullptr;
    QPushButton* m_cal = nullptr;
};

// Opens the form modally. True when the request was completed; `anniversary`
// then holds the stored record (for Delete: the record as it was).
// `typedPerson`: the short name typed on the person form, shown for a person
// not yet saved under a name (anniversaryPersonShown()).
bool runAnniversaryForm(QWidget* parent, Workspace& workspace, Request request,
                        Anniversary& anniversary, const std::string& typedPerson = {});

}  // namespace tko
