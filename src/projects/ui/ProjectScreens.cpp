#include "projects/ui/ProjectScreens.h"

#include "assign/ui/AssignmentScreens.h"
#include "platform/ui/WindowTranslation.h"
#include "projects/ui/ProjectBrowser.h"
#include "projects/ui/ProjectForm.h"
#include "projects/ui/ProjectsForAssignmentDialog.h"
#include "users/ui/LimitedProjectUsersDialog.h"

namespace tko {

namespace {

AssignmentPicker& assignmentPicker() {
    static AssignmentPicker picker;
    return picker;
}

}  // namespace

void setAssignmentPicker(AssignmentPicker picker) {
    assignmentPicker() = std::move(picker);
}

ProjectActions programProjectActions() {
    ProjectActions actions;
    actions.openForm = &runAssignmentForm;
    actions.conclude = [](Database& db, const Session& session, const Assignment& seen,
                          Date today) {
        return ConcludeAssignment(db, session, seen.ASSIGNNUMBER, today, &seen);
    };
    // An empty picker stays empty: "Add Exisitng" then names the missing procedure.
    actions.pickAssignment = assignmentPicker();
    actions.editUsers = [](QWidget* parent, Workspace& workspace, const Project& project) {
        // The users carry the project's stored name; a rename on OK carries
        // the new one into them.
        LimitedProjectUsersDialog dialog(workspace, project.PROJNUMBER, project.NAME, parent);
        execTranslated(&dialog);
    };
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
    ProjectBrowser browser(workspace, true, programProjectActions(), parent);
    if (execTranslated(&browser) != QDialog::Accepted) return std::nullopt;
    return browser.chosen();
}

void registerProjectScreens(Procedures& procedures) {
    // The project list is a window of its own beside the frame.
    procedures.add(
        QLatin1String(kBrowseProjectsProcedure), [](QWidget* parent, Workspace& workspace) {
            auto* browser = new ProjectBrowser(workspace, false, programProjectActions(), parent);
            browser->setWindowFlag(Qt::Window);
            browser->setModal(false);
            showTranslated(browser);
        });
}

}  // namespace tko
