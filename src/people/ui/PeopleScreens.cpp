#include "people/ui/PeopleScreens.h"

#include "app/Workspace.h"
#include "people/ui/PeopleBrowser.h"
#include "people/ui/PersonForm.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {

std::optional<Person> selectAssignablePerson(QWidget* parent, Workspace& workspace) {
    PeopleBrowser browser(workspace, PeopleList::Assignable, true, parent);
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
}

}  // namespace tko
