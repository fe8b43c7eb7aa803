// "Browse Project Information": a project's name, type and users, and the
// list of its assignments with the actions on them. A new project is stored
// as soon as the form opens (so assignments and users can be added at once)
// and removed again with everything given to it when the form is cancelled.
// The rules live in projects/ProjectRules.h; this window collects input and
// shows outcomes.
#pragma once

#include <QDialog>

#include "data/Integrity.h"
#include "data/Workspace.h"
#include "platform/FormRequest.h"
#include "projects/ProjectRules.h"
#include "projects/ui/ProjectScreens.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tko {

class BrowseList;
class FormScaffold;

class ProjectForm : public QDialog {
    Q_OBJECT
public:
    ProjectForm(Workspace& workspace, Request request, const Project& project,
                ProjectActions actions, QWidget* parent = nullptr);

    // Numbers and stores a new project (Insert) or re-reads the project
    // (Change). False when the form must return to its caller as cancelled.
    bool start();

    const Project& project() const { return m_current; }
    bool completed() const;
    FormScaffold* scaffold() const { return m_scaffold; }

    // ---- actions (the buttons call these; tests may too)
    void changeAssignment();
    void insertAssignment();
    void concludeAssignment();
    void addExisting();
    void removeAssignment();
    void editNotes();
    void editUsers();

    // ---- widgets
    QLineEdit* nameEdit() const { return m_name; }
    QCheckBox* secondaryCheck() const { return m_secondary; }
    QCheckBox* openOnlyCheck() const { return m_openOnly; }
    BrowseList* list() const { return m_list; }
    QPushButton* button(const QString& objectName) const;
    // The type radio for "Open", "Limited" or "Private".
    QAbstractButton* typeButton(const char* type) const;

    void done(int result) override;
    void reject() override;

private:
    void build();
    void display();
    void applyRights();
    void updateButtons();
    // The widgets into a copy of the record.
    Project collected() const;
    bool save();
    void onOptionsChanged();
    std::optional<Assignment> highlighted() const;
    void reloadOn(const std::optional<Assignment>& assignment);

    Workspace& m_workspace;
    Request m_request;
    ProjectActions m_actions;
    Project m_current, m_opened;
    ProjectListOptions m_options;
    access::Viewer m_viewer;                   // whose rights the assignment list follows
    ProvisionalRecord<Project> m_provisional;  // a new project, stored at once
    bool m_mayChange = false;
    FormScaffold* m_scaffold = nullptr;

    QLineEdit* m_name = nullptr;
    QLabel* m_nameNote = nullptr;
    QButtonGroup* m_type = nullptr;
    QPushButton* m_users = nullptr;
    QCheckBox* m_secondary = nullptr;
    QCheckBox* m_openOnly = nullptr;
    BrowseList* m_list = nullptr;
};

}  // namespace tko
