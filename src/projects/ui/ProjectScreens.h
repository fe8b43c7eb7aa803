// The project screens as the rest of the program uses them, and what they
// call outside their own subsystem (the assignment form, ConcludeAssignment,
// Look Forward (General) in select mode, Users for Limited Project). Windows
// call these through ProjectActions, so that tests bind recorders instead.
#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "data/Records.h"
#include "data/Workspace.h"
#include "platform/FormRequest.h"
#include "platform/ui/Procedures.h"

class QWidget;

namespace tko {

inline constexpr const char* kBrowseProjectsProcedure = "BrowseProjects";
// Named by message 6 while the screens they stand for are not bound.
inline constexpr const char* kPickAssignmentProcedure = "SelectLookForwardGeneral";
inline constexpr const char* kProjectUsersProcedure = "BrowseLimitedProjectUsers";

struct ProjectActions {
    // The assignment form for `request` on `record`; true when completed.
    std::function<bool(QWidget* parent, Workspace& workspace, Request request, Assignment& record)>
        openForm;
    // ConcludeAssignment on the row `seen` as the list showed it.
    std::function<Outcome(Database& db, const Session& session, const Assignment& seen, Date today)>
        conclude;
    // Look Forward (General) in select mode: the picked assignment, if any.
    std::function<std::optional<Assignment>(QWidget* parent, Workspace& workspace)> pickAssignment;
    // "Users for Limited Project" on the project (modal).
    std::function<void(QWidget* parent, Workspace& workspace, const Project& project)> editUsers;
};

// The program's actions, from the workspace's services: the assignment form,
// ConcludeAssignment, Look Forward (General) in select mode (unbound, "Add
// Exisitng" shows standard message 6) and "Users for Limited Project".
ProjectActions programProjectActions(const Services& services);

// "Browse Project Information" for `request` (Insert: a new project numbered
// at once; Change) on `project`. Modal. True when the request was completed;
// `project` then holds the stored record.
bool runProjectForm(QWidget* parent, Workspace& workspace, Request request, Project& project,
                    const ProjectActions& actions);

// "Browse Projects" in select mode: the project the user chose, or nothing.
std::optional<Project> selectProject(QWidget* parent, Workspace& workspace);

// "Projects for Assignment": the projects that hold `assignment` (those the
// user sees). Modal. The program hands it to the pop-up menus of Look Forward
// and History.
void showProjectsForAssignment(QWidget* parent, Workspace& workspace, const Assignment& assignment);

// Registers "BrowseProjects" (the main menu's "Project").
void registerProjectScreens(Procedures& procedures);

}  // namespace tko
