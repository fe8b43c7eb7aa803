#include "people/ui/PeopleScreens.h"

#include "data/Workspace.h"
#include "people/ui/PeopleBrowser.h"
#include "people/ui/PersonForm.h"
#include "people/ui/UpcomingAnniversariesWindow.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {

std::optional<Person> selectAssignablePerson(QWidget* parent, Workspace& workspace,
                                             const std::string& startAt) {
    PeopleBrowser browser(workspace, PeopleList::Assignable, true, parent);
    if (!startAt.empty()) {
        // The first tab reads along the short name: the first of that name.
        Person first;
        first.SHORTNAME = startAt;
        browser.ListWindow::reloadOn(first.toRow());
    }
    if (execTranslated(&browser) != QDialog::Accepted) return std::nullopt;
    return browser.chosen();
}

void registerPeopleScreens(Procedures& procedures) {
    procedures.add(QStringLiteral("UpdatePeople"), [](QWidget* parent, Workspace& workspace) {
        Person person;
        runPersonForm(parent, workspace, Request::Insert, person);
    });
    // The edit list is a window of its own: several may stay open beside the frame.
    procedures.add(QStringLiteral("BrowsePeople"), [](QWidget* parent, Workspace& workspace) {
        auto* browser = new PeopleBrowser(workspace, PeopleList::Edit, false, parent);
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->setWindowFlag(Qt::Window);
        browser->setModal(false);
        showTranslated(browser);
    });
    procedures.add(QStringLiteral("BrowseAnniversaries"),
                   [](QWidget* parent, Workspace& workspace) {
                       auto* window = new UpcomingAnniversariesWindow(workspace, parent);
                       window->setAttribute(Qt::WA_DeleteOnClose);
                       window->setWindowFlag(Qt::Window);
                       window->setModal(false);
                       showTranslated(window);
                   });
}

}  // namespace tko
