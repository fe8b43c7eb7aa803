#include "users/ui/UserGroupsBrowser.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Workspace.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "users/ui/UserGroupForm.h"

namespace tko {

UserGroupsBrowser::UserGroupsBrowser(Workspace& workspace, bool selectMode, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_selectMode(selectMode) {
    setObjectName(QStringLiteral("UserGroupsBrowser"));
    setWindowTitle(QStringLiteral("Browse User Groups"));
    setWhatsThis(QStringLiteral("~Browse_User_Groups"));
    setSizeGripEnabled(true);

    m_list = new BrowseList(workspace.db->engine(), UserGroup::def(), this);
    m_list->setObjectName(QStringLiteral("groupsList"));
    m_list->setFormat(QStringLiteral("64L(2)|M~Group~@s15@#GROUP#"));
    m_list->setKey(QStringLiteral("USG:GROUP_KEY"));
    m_list->setSelectMode(selectMode);

    auto* buttons = new QHBoxLayout;
    auto add = [this, buttons](const char* name, const QString& text, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        if (!tip.isEmpty()) b->setToolTip(tip);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* select =
        add("selectButton", QStringLiteral("Select"), QStringLiteral("Select user group"));
    select->setEnabled(selectMode);
    connect(select, &QPushButton::clicked, this, &UserGroupsBrowser::selectGroup);
    connect(add("insertButton", QStringLiteral("Insert"), QStringLiteral("Add new user group")),
            &QPushButton::clicked, this, &UserGroupsBrowser::insertGroup);
    connect(add("changeButton", QStringLiteral("Change"),
                QStringLiteral("View or change user group information")),
            &QPushButton::clicked, this, &UserGroupsBrowser::changeGroup);
    connect(add("deleteButton", QStringLiteral("Delete"), QStringLiteral("Delete user group")),
            &QPushButton::clicked, this, &UserGroupsBrowser::deleteGroup);
    buttons->addStretch();
    connect(add("closeButton", QStringLiteral("Close"), {}), &QPushButton::clicked, this,
            &QDialog::reject);
    connect(add("helpButton", QStringLiteral("Help"), {}), &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(520, 360);

    connect(m_list, &BrowseList::rowChosen, this, [this](const store::Row&) { selectGroup(); });
    connect(m_list, &BrowseList::changeRequested, this,
            [this](const store::Row&) { changeGroup(); });
    connect(m_list, &BrowseList::insertRequested, this, &UserGroupsBrowser::insertGroup);
    connect(m_list, &BrowseList::deleteRequested, this,
            [this](const store::Row&) { deleteGroup(); });
    m_list->reload();
}

QPushButton* UserGroupsBrowser::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

std::optional<UserGroup> UserGroupsBrowser::highlighted() const {
    const store::Row* row = m_list->selectedRow();
    if (!row) return std::nullopt;
    UserGroup group;
    group.fromRow(*row);
    return group;
}

void UserGroupsBrowser::reloadOn(const UserGroup& group) {
    if (group.rowPos != 0)
        m_list->reloadAt(group.toRow());
    else
        m_list->reload();
}

void UserGroupsBrowser::selectGroup() {
    if (!m_selectMode) return;
    m_chosen = highlighted();
    if (m_chosen) accept();
}

void UserGroupsBrowser::insertGroup() {
    UserGroup group;
    if (runUserGroupForm(this, m_workspace, Request::Insert, group)) reloadOn(group);
}

void UserGroupsBrowser::changeGroup() {
    std::optional<UserGroup> group = highlighted();
    if (!group) return;
    if (runUserGroupForm(this, m_workspace, Request::Change, *group))
        reloadOn(*group);
    else
        m_list->refresh();
}

void UserGroupsBrowser::deleteGroup() {
    std::optional<UserGroup> group = highlighted();
    if (!group) return;
    if (runUserGroupForm(this, m_workspace, Request::Delete, *group))
        m_list->reload();
    else
        m_list->refresh();
}

std::optional<std::string> selectUserGroup(QWidget* parent, Workspace& workspace) {
    UserGroupsBrowser browser(workspace, true, parent);
    if (execTranslated(&browser) != QDialog::Accepted || !browser.chosen()) return std::nullopt;
    return store::rtrim(browser.chosen()->GROUP);
}

}  // namespace tko
