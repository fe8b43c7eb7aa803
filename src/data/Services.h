// What a subsystem's windows use of a subsystem above them: the assignment
// form and its conclusion for the project windows, Look Forward's picker, the
// limited users' lists, the print-outs of the reports. Each is bound once at
// start-up by the program (programServices() in the application's screens)
// into defaultServices(); every Workspace starts with a copy, so a window
// calls `m_workspace.services.x` and a test binds its own on its workspace.
// An entry left empty means the screen is not available: the caller says so
// (standard message 6) or falls back to its own window.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/Records.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/FormRequest.h"
#include "platform/Outcome.h"

class QWidget;

namespace tko {

class Database;
struct Workspace;

struct Services {
    // The assignment form for `request` on `record`; true when completed.
    std::function<bool(QWidget* parent, Workspace& workspace, Request request, Assignment& record)>
        openAssignmentForm;
    // ConcludeAssignment on the row `seen` as a list showed it.
    std::function<Outcome(Database& db, const Session& session, const Assignment& seen, Date today)>
        concludeAssignment;
    // Look Forward (General) in select mode: the picked assignment, if any.
    std::function<std::optional<Assignment>(QWidget* parent, Workspace& workspace)> pickAssignment;
    // "Users for Limited Person" / "Users for Limited Project" (modal).
    std::function<void(QWidget* parent, Workspace& workspace, const Person& person)>
        editLimitedPersonUsers;
    std::function<void(QWidget* parent, Workspace& workspace, const Project& project)>
        editLimitedProjectUsers;
    // "Browse Users - Multiple Select" and "Browse User Groups" in select mode;
    // empty: the users subsystem's own windows.
    std::function<std::vector<std::string>(QWidget* parent, Workspace& workspace)> pickUsers;
    std::function<std::optional<std::string>(QWidget* parent, Workspace& workspace)> pickUserGroup;
    // The print-outs: the assignment or person as its form shows it, and
    // "Assignments Due" in a due-now list's order.
    std::function<void(QWidget* parent, Workspace& workspace, const Assignment& shown,
                       bool confidential)>
        printAssignment;
    std::function<void(QWidget* parent, Workspace& workspace, const Person& shown, bool comments,
                       bool confidential)>
        printPerson;
    std::function<void(QWidget* parent, Workspace& workspace, const QString& orderName)>
        printDueAssignments;
};

// The services new workspaces start with; bound by the program at start-up.
Services& defaultServices();

}  // namespace tko
