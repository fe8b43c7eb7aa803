#include "users/ui/UserScreens.h"

#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "users/UserAccounts.h"
#include "users/ui/LimitedPersonUsersDialog.h"
#include "users/ui/LimitedProjectUsersDialog.h"
#include "users/ui/UserGroupsBrowser.h"
#include "users/ui/UsersBrowser.h"

namespace tko {

namespace {

// The menu items are enabled for System Administrators only; the check here
// keeps any other way of running the procedure from reaching the users.
bool allowed(QWidget* parent, const Workspace& workspace) {
    const Outcome refusal = administratorOnly(workspace.session);
    showOutcome(parent, refusal, {});
    return refusal.ok();
}

void openOwnWindow(QDialog* window) {
    window->setWindowFlag(Qt::Window);
    window->setModal(false);
    showTranslated(window);
}

}  // namespace

void registerUserScreens(Procedures& procedures) {
    procedures.add(QStringLiteral("BrowseUsers"), [](QWidget* parent, Workspace& workspace) {
        if (allowed(parent, workspace)) openOwnWindow(new UsersBrowser(workspace, true, parent));
    });
    procedures.add(QStringLiteral("BrowseUserGroups"), [](QWidget* parent, Workspace& workspace) {
        if (allowed(parent, workspace))
            openOwnWindow(new UserGroupsBrowser(workspace, false, true, parent));
    });
}

void bindUserServices(Services& services) {
    services.editLimitedPersonUsers = [](QWidget* parent, Workspace& workspace,
                                         const Person& person) {
        LimitedPersonUsersDialog dialog(workspace, person.PERSONNUMBER, person.SHORTNAME, parent);
        execTranslated(&dialog);
    };
    services.editLimitedProjectUsers = [](QWidget* parent, Workspace& workspace,
                                          const Project& project) {
        // The users carry the project's stored name; a rename on OK carries
        // the new one into them.
        LimitedProjectUsersDialog dialog(workspace, project.PROJNUMBER, project.NAME, parent);
        execTranslated(&dialog);
    };
}

}  // namespace tko
