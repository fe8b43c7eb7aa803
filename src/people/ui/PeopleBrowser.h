// The three people lists: "Browse People (Edit)", "Browse People Who Can Be
// Assigned" and "Browse People Who Can Be Viewed", with their sort tabs,
// buttons and the filter of PeopleFilters.h. Opened from the menu they are
// windows of their own; opened to pick a person they are modal and in
// select mode.
#pragma once

#include <optional>

#include "data/Messages.h"
#include "data/Records.h"
#include "data/Workspace.h"
#include "people/PeopleFilters.h"
#include "platform/Answer.h"
#include "platform/ui/ListWindow.h"

namespace tko {

class PeopleBrowser : public ListWindow {
    Q_OBJECT
public:
    PeopleBrowser(Workspace& workspace, PeopleList list, bool selectMode,
                  QWidget* parent = nullptr);

    PeopleList kind() const { return m_kind; }
    // The person chosen in select mode.
    const std::optional<Person>& chosen() const { return m_chosen; }
    static QString titleOf(PeopleList list);

    // The buttons' actions on the highlighted row (for the buttons and for tests).
    void insertPerson();
    void changePerson();
    void deletePerson();
    void dialPerson();
    void selectPerson();

protected:
    bool acceptChoice(const store::Row& row) override;

private:
    std::optional<Person> highlighted() const;
    void reloadOn(const Person& person);

    Workspace& m_workspace;
    PeopleList m_kind;
    std::optional<Person> m_chosen;
};

// Shows lines of text, each translated, one under the other.
Answer showLines(QWidget* parent, const std::vector<std::string>& lines, const QString& title,
                 MessageButtons buttons = MessageButtons::Ok);

}  // namespace tko
