#include "users/ui/UsersBrowser.h"

#include "data/Keys.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"
#include "users/ui/UserForm.h"

namespace tko {

namespace {

const char* const kColumns =
    "64L(2)|M~User Name~@s15@#USERNAME#"
    "80L(2)|M~Last Name~@s20@#LASTNAME#"
    "80L(2)|M~First Name~@s20@#FIRSTNAME#"
    "120L(2)|M~Department~@s40@#DEPARTMENT#"
    "40R(2)|M~Access Level~@n3@#ACCESSLEVEL#"
    "32R(2)|M~Fail Flag~@n3@#FAILFLAG#";

}  // namespace

UsersBrowser::UsersBrowser(Workspace& workspace, bool ownWindow, QWidget* parent)
    : ListWindow(workspace.db->engine(), User::def(), parent), m_workspace(workspace) {
    setIdentity({"UsersBrowser", "usersList", QStringLiteral("Browse Users"),
                 QStringLiteral("~Browse_Users"), ownWindow});
    list()->setFormat(QLatin1String(kColumns));
    setSortTabs({{"By User Name", "", key::USE_USERNAME_KEY},
                 {"By Last Name", "", key::USE_LASTNAME_KEY},
                 {"By Department", "", key::USE_DEPARTMENT_KEY},
                 {"By Access Level", "", key::USE_ACCESLEVEL_KEY}});
    setButtons(
        {{"insertButton", "Insert", "", [this] { insertUser(); }, ListRole::Insert},
         {"changeButton", "Change", "", [this] { changeUser(); }, ListRole::Change, NeedsRow::Yes},
         {"deleteButton", "Delete", "", [this] { deleteUser(); }, ListRole::Delete,
          NeedsRow::Yes}});
    finish(760, 420);
}

std::optional<User> UsersBrowser::highlighted() const {
    store::Row row;
    User user;
    if (!highlightedRecord(row, user)) return std::nullopt;
    return user;
}

void UsersBrowser::showUser(const User& user) {
    if (user.rowPos != 0)
        reloadOn(user.toRow());
    else
        reloadKeeping();
}

void UsersBrowser::insertUser() {
    User user;
    if (runUserForm(this, m_workspace, Request::Insert, user)) showUser(user);
}

void UsersBrowser::changeUser() {
    std::optional<User> user = highlighted();
    if (!user) return;
    if (runUserForm(this, m_workspace, Request::Change, *user))
        showUser(*user);
    else
        reloadKeeping();
}

void UsersBrowser::deleteUser() {
    std::optional<User> user = highlighted();
    if (!user) return;
    // What the user owned goes to the administrator doing it unless the
    // form's "Hand Over To:" names another user.
    const std::string handOver =
        mergeParameters(translateText(kHandOverNotice), store::rtrim(user->USERNAME),
                        store::rtrim(m_workspace.session.GlobalUser));
    if (MessageBox::showText(
            this, QStringLiteral("%1 %2 %3"), windowTitle(), MessageButtons::YesNo,
            {QString::fromStdString(
                 translateText("All assignments for this User will be concluded.")),
             QString::fromStdString(handOver), QString::fromStdString(translateText("Continue?"))},
            MessageBox::Icon::Question) != Answer::Yes)
        return;
    if (runUserForm(this, m_workspace, Request::Delete, *user))
        reloadOn(user->toRow());  // on its neighbour, the user being gone
    else
        reloadKeeping();
}

}  // namespace tko
