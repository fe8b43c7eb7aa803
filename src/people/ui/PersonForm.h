// "Update PEOPLE": the person form for the insert, change and delete
// requests. The rules (types offered, short-name check, tabs and buttons
// open, numbering, saving) are those of people/PeopleRules.h. A change
// request on a person the user may not change (mayEditStoredPerson()) shows
// the person read-only; a "User" person's short name and type are read-only.
//
// An insert adds the numbered record at once (so that "Users - Limited" and
// the anniversaries have a person number to refer to); leaving the form
// without OK removes that record again with everything attached to it.
#pragma once

#include <QDialog>

#include <array>
#include <string>

#include "access/Access.h"
#include "data/Records.h"
#include "data/Workspace.h"

class QButtonGroup;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tko {

class BrowseList;
class FormScaffold;

class PersonForm : public QDialog {
    Q_OBJECT
public:
    PersonForm(Workspace& workspace, Request request, const Person& person,
               QWidget* parent = nullptr);

    // Loads (or, for an insert, adds) the record and applies the rules.
    // False when the form must not open; the reason has been shown.
    bool start();

    const Person& record() const { return m_current; }
    // False when the form shows a person the user may only view: every
    // entry is read-only and OK is disabled (and refused by the logic).
    bool mayEdit() const { return m_mayEdit; }
    bool completed() const;
    FormScaffold* scaffold() const { return m_scaffold; }

    QLineEdit* shortNameEdit() const { return m_shortName; }
    QLineEdit* edit(const QString& objectName) const;
    QPlainTextEdit* memo(const QString& objectName) const;
    QRadioButton* typeButton(int position) const;  // 1 User .. 4 Private
    QPushButton* button(const QString& objectName) const;
    QTabWidget* tabs() const { return m_tabs; }
    int tabIndex(const QString& objectName) const;  // the tab page's index

    void reject() override;
    void done(int result) override;

    // The buttons' actions (for the buttons and for tests).
    void dial();
    void print();
    void openUsersLimited();
    // "Insert", "Change" and "Delete" of the Anniversaries tab.
    void openAnniversary(Request request);

private:
    void build();
    QWidget* buildGeneralPage();
    QFormLayout* buildHead();
    QWidget* buildAnniversaryPage();
    QHBoxLayout* buildButtonRow();
    void display(const Person& person);
    Person collected() const;
    std::string chosenType() const;
    void applyRules();
    void markMemoTabs();
    bool save();
    bool remove();
    void notDefined(const char* procedure);

    Workspace& m_workspace;
    Request m_request;
    FormScaffold* m_scaffold = nullptr;
    SystemPref m_sys;
    access::Viewer m_viewer;
    bool m_mayEdit = true;
    Person m_current;
    Person m_original;  // as read (or as added), for the change operation
    std::string m_openedShortName;
    std::string m_openedType;
    bool m_added = false;  // this form added the record (insert request)
    bool m_kept = false;   // ... and OK kept it

    QLineEdit* m_shortName = nullptr;
    QButtonGroup* m_typeGroup = nullptr;
    std::array<QRadioButton*, 4> m_typeButtons{};
    QPushButton* m_usersLimited = nullptr;
    QLabel* m_by = nullptr;
    QLabel* m_status = nullptr;
    QTabWidget* m_tabs = nullptr;
    QWidget* m_confidentialPage = nullptr;
    QPlainTextEdit* m_mailAddress = nullptr;
    QPlainTextEdit* m_comments = nullptr;
    QPlainTextEdit* m_confComments = nullptr;
    BrowseList* m_anniversaries = nullptr;
};

// Opens the form modally for `request` on `person` (for Insert: ignored, a
// new record is started). True when the request was completed; `person`
// then holds the stored record (for Delete: the record as it was).
bool runPersonForm(QWidget* parent, Workspace& workspace, Request request, Person& person);

}  // namespace tko
