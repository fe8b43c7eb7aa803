// "Browse Projects": the projects the user sees (ProjectRules.h), by name,
// with Select, Insert, Change/View and Delete. Opened from the menu it is a
// window of its own; opened to pick a project it is modal and in select mode.
#pragma once

#include <QDialog>

#include <optional>

#include "app/Workspace.h"
#include "projects/ui/ProjectScreens.h"

class QPushButton;

namespace tko {

class BrowseList;

class ProjectBrowser : public QDialog {
    Q_OBJECT
public:
    ProjectBrowser(Workspace& workspace, bool selectMode, ProjectActions actions,
                   QWidget* parent = nullptr);

    BrowseList* list() const { return m_list; }
    QPushButton* button(const QString& objectName) const;
    // The project chosen in select mode (the whole stored record).
    const std::optional<Project>& chosen() const { return m_chosen; }

    // The buttons' actions on the highlighted row (for the buttons and for tests).
    void insertProject();
    void changeProject();
    void deleteProject();
    void selectProject();

private:
    std::optional<Project> highlighted() const;
    void reloadOn(const Project& project);
    void updateButtons();

    Workspace& m_workspace;
    bool m_selectMode;
    ProjectActions m_actions;
    BrowseList* m_list = nullptr;
    std::optional<Project> m_chosen;
};

}  // namespace tko
