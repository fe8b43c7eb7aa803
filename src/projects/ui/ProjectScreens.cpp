#include "projects/ui/ProjectScreens.h"

#include "platform/ui/WindowTranslation.h"
#include "projects/ui/ProjectBrowser.h"
#include "projects/ui/ProjectForm.h"
#include "projects/ui/ProjectsForAssignmentDialog.h"

namespace tko {

ProjectActions programProjectActions(const Services& services) {
    ProjectActions actions;
    actions.openForm = services.openAssignmentForm;
    actions.conclude = services.concludeAssignment;
    // An empty picker stays empty: "Add Exisitng" then names the missing procedure.
    actions.pickAssignment = services.pickAssignment;
    actions.editUsers = services.editLimitedProjectUsers;
    return actions;
}

bool runProjectForm(QWidget* parent, Workspace& workspace, Request request, Project& project,
                    const ProjectActions& actions) {
    ProjectForm form(workspace, request, project, actions, parent);
    if (!form.start()) return false;
    execTranslated(&form);
    if (form.completed()) project = form.project();
    return form.completed();
}

void showProjectsForAssignment(QWidget* parent, Workspace& workspace,
                               const Assignment& assignment) {
    ProjectsForAssignmentDialog dialog(workspace, assignment, parent);
    execTranslated(&dialog);
}

std::optional<Project> selectProject(QWidget* parent, Workspace& workspace) {
    ProjectBrowser browser(workspace, true, programProjectActions(workspace.services), parent);
    if (execTranslated(&browser) != QDialog::Accepted) return std::nullopt;
    return browser.chosen();
}

void registerProjectScreens(Procedures& procedures) {
    // The project list is a window of its own beside the frame.
    procedures.add(QLatin1String(kBrowseProjectsProcedure),
                   [](QWidget* parent, Workspace& workspace) {
                       auto* browser = new ProjectBrowser(
                           workspace, false, programProjectActions(workspace.services), parent);
                       browser->setWindowFlag(Qt::Window);
                       browser->setModal(false);
                       showTranslated(browser);
                   });
}

}  // namespace tko
