#include "users/ui/UserGroupForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/Keys.h"
#include "data/Records.h"
#include "data/Workspace.h"
#include "platform/QtText.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "users/UserGroups.h"
#include "users/ui/UserPickers.h"

namespace tko {

UserGroupForm::UserGroupForm(Workspace& workspace, Request request, const UserGroup& group,
                             QWidget* parent)
    : QDialog(parent),
      m_workspace(workspace),
      m_request(request),
      m_group(group),
      m_original(group) {
    setObjectName(QStringLiteral("UserGroupForm"));
    setWindowTitle(QStringLiteral("Update User Group"));
    setWhatsThis(QStringLiteral("~Update_User_Group"));
    m_scaffold = new FormScaffold(this, request, this);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("groupEdit"));
    m_name->setMaxLength(UserGroup::Width::GROUP);
    m_name->setToolTip(QStringLiteral("User group name"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("memberList"));
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("noticeLabel"));
    connect(m_name, &QLineEdit::inputRejected, this, [this] {
        m_notice->setText(QString::fromStdString(mergeParameters(
            translateText("%1 can hold at most %2 characters."), translateText("Group"), "15")));
    });

    auto* memberButtons = new QVBoxLayout;
    auto* insert = new QPushButton(QStringLiteral("Insert"), this);
    insert->setObjectName(QStringLiteral("insertButton"));
    insert->setToolTip(QStringLiteral("Add user to group"));
    auto* removeButton = new QPushButton(QStringLiteral("Delete"), this);
    removeButton->setObjectName(QStringLiteral("deleteButton"));
    removeButton->setToolTip(QStringLiteral("Remove user from group"));
    for (QPushButton* b : {insert, removeButton}) {
        b->setAutoDefault(false);
        memberButtons->addWidget(b);
    }
    memberButtons->addStretch();
    connect(insert, &QPushButton::clicked, this, &UserGroupForm::insertMembers);
    connect(removeButton, &QPushButton::clicked, this, &UserGroupForm::deleteMember);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    QHBoxLayout* buttons = addFormButtonRow(this, m_scaffold, m_status);

    auto* head = new QFormLayout;
    head->addRow(QStringLiteral("Group:"), m_name);
    auto* membersRow = new QHBoxLayout;
    membersRow->addWidget(m_list, 1);
    membersRow->addLayout(memberButtons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(new QLabel(QStringLiteral("Users in Group"), this));
    layout->addLayout(membersRow, 1);
    layout->addWidget(m_notice);
    layout->addLayout(buttons);
    resize(380, 360);

    m_scaffold->setStatusLabel(m_status);
    m_scaffold->isChanged = [this] {
        return m_request == Request::Insert || enteredName() != store::rtrim(m_original.GROUP) ||
               m_members != m_loadedMembers;
    };
    m_scaffold->save = [this] { return save(); };
    m_scaffold->remove = [this] { return remove(); };
}

bool UserGroupForm::start() {
    if (const Outcome refusal = administratorOnly(m_workspace.session); !refusal.ok()) {
        showOutcome(this, refusal, windowTitle());
        return false;
    }
    if (!m_scaffold->start()) return false;
    if (m_request == Request::Insert) {
        m_group = m_original = UserGroup{};
    } else {
        Status s =
            m_workspace.db->fetch(key::USG_GROUP_KEY, {store::rtrim(m_group.GROUP)}, m_group);
        if (s.ok()) s = groupMembers(*m_workspace.db, m_group.GROUP, m_members);
        if (!s.ok()) {
            MessageBox::showStandard(this, 35, qsClipped(m_workspace.db->lastError().describe()),
                                     QStringLiteral("USERGROUPS"));
            return false;
        }
        m_original = m_group;
    }
    m_loadedMembers = m_members;
    showName();
    showMembers();
    const bool editable = m_request != Request::Delete;
    m_name->setEnabled(editable);
    for (auto* b : findChildren<QPushButton*>())
        if (b->objectName() == QLatin1String("insertButton") ||
            b->objectName() == QLatin1String("deleteButton"))
            b->setEnabled(editable);
    return true;
}

// "All users" shows its translated name and keeps its stored one: every
// start looks for the group under that name.
void UserGroupForm::showName() {
    m_name->setText(qsClipped(groupDisplayName(m_group.GROUP)));
    m_name->setReadOnly(isAllUsersGroup(m_group.GROUP));
}

std::string UserGroupForm::enteredName() const {
    if (isAllUsersGroup(m_original.GROUP)) return store::rtrim(m_original.GROUP);
    return store::rtrim(m_name->text().trimmed().toStdString());
}

void UserGroupForm::showMembers(const std::string& select) {
    m_list->clear();
    int row = m_members.empty() ? -1 : 0;
    for (size_t i = 0; i < m_members.size(); ++i) {
        m_list->addItem(qsClipped(m_members[i]));
        if (m_members[i] == select) row = static_cast<int>(i);
    }
    if (row >= 0) m_list->setCurrentRow(row);
}

void UserGroupForm::insertMembers() {
    addMembers(pickUsers(this, m_workspace));
}

void UserGroupForm::addMembers(const std::vector<std::string>& users) {
    for (const std::string& user : users) {
        const std::string refusal = addMember(m_members, user);
        if (!refusal.empty())
            MessageBox::showText(this, QStringLiteral("%1: %2"), windowTitle(), MessageButtons::Ok,
                                 {QString::fromStdString(translateText(refusal)), qsClipped(user)},
                                 MessageBox::Icon::Warning);
    }
    showMembers(users.empty() ? std::string() : store::rtrim(users.front()));
}

void UserGroupForm::deleteMember() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_members.size())) return;
    m_members.erase(m_members.begin() + row);
    showMembers(row < static_cast<int>(m_members.size()) ? m_members[static_cast<size_t>(row)]
                                                         : std::string());
}

bool UserGroupForm::save() {
    UserGroup group = m_group;
    group.GROUP = enteredName();
    const Outcome outcome = saveUserGroup(*m_workspace.db, m_workspace.session, m_request, group,
                                          m_original, m_members, Clock::today(), Clock::now());
    if (outcome.ok()) {
        m_group = m_original = group;
        m_loadedMembers = m_members;
        return true;
    }
    showOutcome(this, outcome, windowTitle());
    if (outcome.kind == Outcome::ChangedElsewhere) {
        m_group = m_original = group;
        groupMembers(*m_workspace.db, m_group.GROUP, m_members);
        m_loadedMembers = m_members;
        showName();
        showMembers();
    }
    if (outcome.field == "group") m_name->setFocus();
    return false;
}

bool UserGroupForm::remove() {
    const Outcome outcome = deleteUserGroup(*m_workspace.db, m_workspace.session, m_original);
    if (!outcome.ok()) showOutcome(this, outcome, windowTitle());
    return outcome.ok();
}

bool UserGroupForm::completed() const {
    return m_scaffold->completed();
}

void UserGroupForm::reject() {
    if (m_scaffold->closeRequested()) QDialog::reject();
}

bool runUserGroupForm(QWidget* parent, Workspace& workspace, Request request, UserGroup& group) {
    UserGroupForm form(workspace, request, request == Request::Insert ? UserGroup{} : group,
                       parent);
    if (!form.start()) return false;
    execTranslated(&form);
    if (!form.completed()) return false;
    group = form.record();
    return true;
}

}  // namespace tko
