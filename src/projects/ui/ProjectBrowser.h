// "Browse Projects": the projects the user sees (ProjectRules.h), by name,
// with Insert, Change/View and Delete. Opened from the menu it is a window of
// its own; opened to pick a project it is modal and in select mode, where
// "Select" hands back the whole stored record and "Insert" stays available.
#pragma once

#include <optional>

#include "data/Workspace.h"
#include "platform/ui/ListWindow.h"
#include "projects/ui/ProjectScreens.h"

namespace tko {

class ProjectBrowser : public ListWindow {
    Q_OBJECT
public:
    ProjectBrowser(Workspace& workspace, bool selectMode, ProjectActions actions,
                   QWidget* parent = nullptr);

    // The project chosen in select mode (the whole stored record).
    const std::optional<Project>& chosen() const { return m_chosen; }

    // The buttons' actions on the highlighted row (for the buttons and for tests).
    void insertProject();
    void changeProject();
    void deleteProject();

protected:
    bool acceptChoice(const store::Row& row) override;

private:
    void reloadOnProject(const Project& project);

    Workspace& m_workspace;
    ProjectActions m_actions;
    std::optional<Project> m_chosen;
};

}  // namespace tko
