#include "users/ui/RightsListPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

#include "access/Rights.h"
#include "platform/ui/MessageBox.h"
#include "users/UserGroups.h"
#include "users/ui/UserPickers.h"

namespace tko {

RightsListPanel::RightsListPanel(Workspace& workspace, const QString& objectName,
                                 const QString& caption, QWidget* parent)
    : QWidget(parent), m_workspace(workspace) {
    setObjectName(objectName);
    auto* label = new QLabel(caption, this);
    m_list = new QListWidget(this);
    m_list->setObjectName(objectName + QStringLiteral("List"));
    label->setBuddy(m_list);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0, 1, 2);
    layout->addWidget(m_list, 1, 0, 5, 1);
    auto add = [this, layout](const char* name, const QString& text, const QString& tip, int row) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        b->setAutoDefault(false);
        layout->addWidget(b, row, 1);
        return b;
    };
    connect(add("insertUserButton", QStringLiteral("Insert User"), QStringLiteral("Add user"), 1),
            &QPushButton::clicked, this, &RightsListPanel::insertUsers);
    connect(
        add("deleteUserButton", QStringLiteral("Delete User"), QStringLiteral("Remove user"), 2),
        &QPushButton::clicked, this, &RightsListPanel::deleteUser);
    connect(add("addGroupButton", QStringLiteral("Add User Group"),
                QStringLiteral("Add all users in a group"), 3),
            &QPushButton::clicked, this, &RightsListPanel::addGroup);
    connect(add("deleteGroupButton", QStringLiteral("Delete User Group"),
                QStringLiteral("Remove all users in a group"), 4),
            &QPushButton::clicked, this, &RightsListPanel::deleteGroup);
    layout->setRowStretch(5, 1);
}

QPushButton* RightsListPanel::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void RightsListPanel::setNames(const std::vector<std::string>& names) {
    m_names = normalisedNames(names);
    show(m_names.empty() ? -1 : 0);
}

void RightsListPanel::show(int select) {
    m_list->clear();
    for (const std::string& name : m_names) m_list->addItem(QString::fromStdString(name));
    if (select >= 0 && select < m_list->count()) m_list->setCurrentRow(select);
}

void RightsListPanel::insertUsers() {
    const std::vector<std::string> chosen = pickUsers(this, m_workspace);
    if (chosen.empty()) return;
    std::vector<std::string> names = m_names;
    names.insert(names.end(), chosen.begin(), chosen.end());
    m_names = normalisedNames(names);
    const auto it = std::find(m_names.begin(), m_names.end(), store::rtrim(chosen.front()));
    show(static_cast<int>(it - m_names.begin()));
    emit edited();
}

void RightsListPanel::deleteUser() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_names.size())) return;
    m_names.erase(m_names.begin() + row);
    show(std::min(row, static_cast<int>(m_names.size()) - 1));
    emit edited();
}

void RightsListPanel::addGroup() {
    applyGroup(false);
}

void RightsListPanel::deleteGroup() {
    applyGroup(true);
}

void RightsListPanel::applyGroup(bool remove) {
    const std::optional<std::string> group = pickUserGroup(this, m_workspace);
    if (!group) return;
    if (!tko::applyGroup(*m_workspace.db, *group, remove, m_names).ok()) {
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("USGRPUSERS"));
        return;
    }
    show(m_names.empty() ? -1 : 0);
    emit edited();
}

}  // namespace tko
