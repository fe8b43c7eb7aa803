// "Assignment Information": inserts, changes or deletes one assignment, keeps
// its log and seen flag, and offers its repeat rule, reminders, project links,
// "Duplicate", "Print", "Text File" and "Conclude". The rules live in
// assign/AssignmentRules.h; this window collects input and shows outcomes.
//
// The same form gives one assignment to a whole group list ("Assignment
// Information Group", assign/GroupAssignment.h): it then names a group
// instead of a person, has no assignee notes, previous due or concluded
// date, nor "Duplicate", "Print", "Text File" or "Conclude", and "OK" stores
// one record per eligible member of the group.
#pragma once

#include <QDialog>

#include <optional>

#include "assign/ui/AssignmentGeneralPage.h"
#include "assign/ui/AssignmentProjectsPage.h"
#include "assign/ui/AssignmentRemindersPage.h"
#include "data/Integrity.h"
#include "data/Workspace.h"
#include "platform/FormRequest.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace tko {

class BrowseList;
class FormScaffold;

class AssignmentForm : public QDialog {
    Q_OBJECT
public:
    // Where the calling list is asked to go when the form ends by navigation.
    using Navigation = RecordNavigation;

    // Who receives the assignment: one person, or every eligible member of a group.
    enum class Target { Person, Group };

    AssignmentForm(Workspace& workspace, Request request, const Assignment& record,
                   QWidget* parent = nullptr);
    // The group form: an insert on a cleared record, addressed to a group.
    AssignmentForm(Workspace& workspace, Target target, QWidget* parent = nullptr);

    // The steps before the window shows: the request check, priming and
    // numbering a new record, marking the assignment seen by its assignee.
    // False when the form must return to its caller as cancelled.
    bool start();

    const Assignment& record() const { return m_current; }
    Target target() const { return m_target; }
    // The group chosen on the group form.
    const std::optional<GroupName>& group() const { return m_group; }
    // The records "OK" stored on the group form, the template's first.
    const std::vector<Assignment>& groupRecords() const { return m_groupRecords; }
    bool completed() const;
    Navigation navigation() const { return m_navigation; }
    FormScaffold* scaffold() const { return m_scaffold; }

    // ---- actions (the buttons call these; tests may too)
    void openRepeatDialog();
    void duplicate();
    void conclude();
    void print();
    void textFile();
    // Writes the text file to `path` without asking; an error text or empty.
    QString writeTextFile(const QString& path);
    // Ends the form with a navigation request to the calling list.
    void navigate(Navigation where);
    // Chooses the group of the group form (the look-up and the list call this).
    void setGroup(const GroupName& group);

    // ---- widgets
    QTabWidget* tabs() const { return m_tabs; }
    QLineEdit* nameEdit() const { return m_general->nameEdit; }
    // The person's short name, or on the group form the group's name.
    QLineEdit* personEdit() const { return m_general->personEdit; }
    QSpinBox* prioritySpin() const { return m_general->prioritySpin; }
    QCheckBox* secondaryCheck() const { return m_general->secondaryCheck; }
    QCheckBox* concludeCheck() const { return m_general->assigneeConcludeCheck; }
    QLineEdit* dueDateEdit() const { return m_general->dueDateEdit; }
    QLabel* repeatLabel() const { return m_general->repeatLabel; }
    QPlainTextEdit* generalMemoEdit() const { return m_generalMemo; }
    QPlainTextEdit* logView() const { return m_log; }
    QPlainTextEdit* assignMemoEdit() const { return m_assignMemo; }
    QPlainTextEdit* confMemoEdit() const { return m_confMemo; }
    BrowseList* projectList() const { return m_projectsPage->projectList; }
    BrowseList* reminderList() const { return m_remindersPage->reminderList; }
    QPushButton* button(const QString& objectName) const;
    // The tab showing `page` (its index), -1 when hidden.
    int tabIndex(QWidget* page) const;
    QWidget* page(const QString& objectName) const;

    void done(int result) override;
    void reject() override;

private:
    QWidget* buildMemoTab(QPlainTextEdit*& edit, const char* name, const char* tip);
    void display();
    void applyRights();
    void updateButtons();
    // Leaving the due date: a text that is no date is refused there, with the
    // reason; an accepted date is shown again in the field's picture.
    void checkDueDate();
    // Reads whether the assignment has project links and reminders, then colours the tabs.
    void updateTabColours();
    // Colours the tabs from the memos as typed and the flags last read: typing
    // in a memo never reads the store.
    void colourTabs();
    void updateRepeatLine();
    // The widgets into `out`; false when a value is refused (`report` shows why).
    bool collect(Assignment& out, bool report);
    bool save();
    bool remove();
    // Stores pending edits before an action that rereads the record.
    bool storePending();
    void takeOpeningCopies();
    void lookUpPerson();
    // The picking list, positioned on `startAt` when given.
    void pickPerson(const std::string& startAt = {});
    // The person of `next` checked against whom the user may assign (checkAssignee);
    // false after telling the user why not.
    bool assigneeAccepted(Assignment& next);
    void adaptToGroup();
    void lookUpGroup();
    void pickGroup();
    bool saveForGroup(Assignment& next);
    void openReminder(Request request);
    void addToProject();
    void deleteFromProject();

    Workspace& m_workspace;
    Request m_request;
    Assignment m_current, m_opened;
    ProvisionalRecord<Assignment> m_provisional;  // an insert's record, stored at once
    bool m_storedSomething = false;
    bool m_confidentialSetting = false;
    bool m_hasLinks = false;      // PROJASSGN rows of this assignment, as last read
    bool m_hasReminders = false;  // REMINDER rows of this assignment, as last read
    Navigation m_navigation = Navigation::None;
    Target m_target = Target::Person;
    std::optional<GroupName> m_group;
    std::vector<Assignment> m_groupRecords;
    FormScaffold* m_scaffold = nullptr;

    QTabWidget* m_tabs = nullptr;
    AssignmentGeneralPage* m_general = nullptr;
    QWidget* m_confPage = nullptr;
    AssignmentProjectsPage* m_projectsPage = nullptr;
    AssignmentRemindersPage* m_remindersPage = nullptr;
    QPlainTextEdit* m_generalMemo = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QPlainTextEdit* m_assignMemo = nullptr;
    QPlainTextEdit* m_confMemo = nullptr;
};

}  // namespace tko
