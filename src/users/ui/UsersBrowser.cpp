#include "users/ui/UsersBrowser.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
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

UsersBrowser::UsersBrowser(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("UsersBrowser"));
    setWindowTitle(QStringLiteral("Browse Users"));
    setWhatsThis(QStringLiteral("~Browse_Users"));
    setSizeGripEnabled(true);

    const store::TableDef& users = User::def();
    m_list = new BrowseList(workspace.db->engine(), users, this);
    m_list->setObjectName(QStringLiteral("usersList"));
    m_list->setFormat(QLatin1String(kColumns));
    m_list->setSortTabs({{QStringLiteral("By User Name"), users.key("USE:USERNAME_KEY")},
                         {QStringLiteral("By Last Name"), users.key("USE:LASTNAME_KEY")},
                         {QStringLiteral("By Department"), users.key("USE:DEPARTMENT_KEY")},
                         {QStringLiteral("By Access Level"), users.key("USE:ACCESLEVEL_KEY")}});

    auto* buttons = new QHBoxLayout;
    auto add = [this, buttons](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(add("insertButton", QStringLiteral("Insert")), &QPushButton::clicked, this,
            &UsersBrowser::insertUser);
    connect(add("changeButton", QStringLiteral("Change")), &QPushButton::clicked, this,
            &UsersBrowser::changeUser);
    connect(add("deleteButton", QStringLiteral("Delete")), &QPushButton::clicked, this,
            &UsersBrowser::deleteUser);
    buttons->addStretch();
    connect(add("closeButton", QStringLiteral("Close")), &QPushButton::clicked, this,
            &QDialog::reject);
    connect(add("helpButton", QStringLiteral("Help")), &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(760, 420);

    connect(m_list, &BrowseList::changeRequested, this,
            [this](const store::Row&) { changeUser(); });
    connect(m_list, &BrowseList::insertRequested, this, &UsersBrowser::insertUser);
    connect(m_list, &BrowseList::deleteRequested, this,
            [this](const store::Row&) { deleteUser(); });
    m_list->reload();
}

QPushButton* UsersBrowser::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

std::optional<User> UsersBrowser::highlighted() const {
    const store::Row* row = m_list->selectedRow();
    if (!row) return std::nullopt;
    User user;
    user.fromRow(*row);
    return user;
}

void UsersBrowser::reloadOn(const User& user) {
    if (user.rowPos != 0)
        m_list->reloadAt(user.toRow());
    else
        m_list->reload();
}

void UsersBrowser::insertUser() {
    User user;
    if (runUserForm(this, m_workspace, Request::Insert, user)) reloadOn(user);
}

void UsersBrowser::changeUser() {
    std::optional<User> user = highlighted();
    if (!user) return;
    if (runUserForm(this, m_workspace, Request::Change, *user))
        reloadOn(*user);
    else
        m_list->refresh();
}

void UsersBrowser::deleteUser() {
    std::optional<User> user = highlighted();
    if (!user) return;
    if (MessageBox::showText(this, QStringLiteral("%1 %2"), windowTitle(), MessageButtons::YesNo,
                             {QString::fromStdString(translateText(
                                  "All assignments for this User will be concluded.")),
                              QString::fromStdString(translateText("Continue?"))},
                             MessageBox::Icon::Question) != Answer::Yes)
        return;
    if (runUserForm(this, m_workspace, Request::Delete, *user))
        m_list->reload();
    else
        m_list->refresh();
}

}  // namespace tko
