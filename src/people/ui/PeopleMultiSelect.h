// "Browse People - Mulitple Select": the people the signed-in user may put in
// a group list (people/GroupLists.h, multipleSelectFilter), with sort tabs by
// short name, last name and organization. The user tags people one by one
// and "OK" hands back every tagged person; nothing is written here.
#pragma once

#include <set>
#include <vector>

#include "data/Workspace.h"
#include "people/GroupLists.h"
#include "platform/ui/ListWindow.h"

namespace tko {

class PeopleMultiSelect : public ListWindow {
    Q_OBJECT
public:
    explicit PeopleMultiSelect(Workspace& workspace, QWidget* parent = nullptr);

    // The tagged people, in the order they were tagged.
    const std::vector<GroupMember>& tagged() const { return m_tagged; }
    bool isTagged(std::int32_t personNumber) const { return m_numbers.count(personNumber) != 0; }
    // The tag mark shown in the first column of a row of the page.
    QString tagMark(int pageRow) const;

    // The buttons' actions (for the buttons and for tests).
    void toggleHighlighted();  // "Tag/Clear"
    void clearAll();           // "Clear All"

private:
    std::vector<GroupMember> m_tagged;
    std::set<std::int32_t> m_numbers;
};

}  // namespace tko
