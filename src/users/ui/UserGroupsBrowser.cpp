#include "users/ui/UserGroupsBrowser.h"

#include "data/Keys.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/WindowTranslation.h"
#include "users/UserGroups.h"
#include "users/ui/UserGroupForm.h"

namespace tko {

UserGroupsBrowser::UserGroupsBrowser(Workspace& workspace, bool selectMode, bool ownWindow,
                                     QWidget* parent)
    : ListWindow(workspace.db->engine(), UserGroup::def(), parent), m_workspace(workspace) {
    setIdentity({"UserGroupsBrowser", "groupsList", QStringLiteral("Browse User Groups"),
                 QStringLiteral("~Browse_User_Groups"), ownWindow});
    list()->setFormat(QStringLiteral("64L(2)|M~Group~@s15@#GROUP#"));
    list()->setKey(QLatin1String(key::USG_GROUP_KEY));
    list()->setCellDisplay([](int, const QString& text) {
        return QString::fromStdString(groupDisplayName(text.toStdString()));
    });
    setSelectMode(selectMode);
    setButtons({{"selectButton", "Select", "Select user group", [this] { choose(); },
                 ListRole::Select, NeedsRow::Yes},
                {"insertButton", "Insert", "Add new user group", [this] { insertGroup(); },
                 ListRole::Insert, NeedsRow::No, true},
                {"changeButton", "Change", "View or change user group information",
                 [this] { changeGroup(); }, ListRole::Change, NeedsRow::Yes, true},
                {"deleteButton", "Delete", "Delete user group", [this] { deleteGroup(); },
                 ListRole::Delete, NeedsRow::Yes}});
    finish(520, 360);
}

std::optional<UserGroup> UserGroupsBrowser::highlighted() const {
    store::Row row;
    UserGroup group;
    if (!highlightedRecord(row, group)) return std::nullopt;
    return group;
}

std::optional<std::string> UserGroupsBrowser::chosenGroup() const {
    if (!chosenRow()) return std::nullopt;
    UserGroup group;
    group.fromRow(*chosenRow());
    return store::rtrim(group.GROUP);
}

void UserGroupsBrowser::showGroup(const UserGroup& group) {
    if (group.rowPos != 0)
        reloadOn(group.toRow());
    else
        reloadKeeping();
}

void UserGroupsBrowser::insertGroup() {
    UserGroup group;
    if (runUserGroupForm(this, m_workspace, Request::Insert, group)) showGroup(group);
}

void UserGroupsBrowser::changeGroup() {
    std::optional<UserGroup> group = highlighted();
    if (!group) return;
    if (runUserGroupForm(this, m_workspace, Request::Change, *group))
        showGroup(*group);
    else
        reloadKeeping();
}

void UserGroupsBrowser::deleteGroup() {
    std::optional<UserGroup> group = highlighted();
    if (!group) return;
    if (runUserGroupForm(this, m_workspace, Request::Delete, *group))
        reloadOn(group->toRow());
    else
        reloadKeeping();
}

std::optional<std::string> selectUserGroup(QWidget* parent, Workspace& workspace) {
    UserGroupsBrowser browser(workspace, true, false, parent);
    if (execTranslated(&browser) != QDialog::Accepted) return std::nullopt;
    return browser.chosenGroup();
}

}  // namespace tko
