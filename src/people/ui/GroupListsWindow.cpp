#include "people/ui/GroupListsWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "people/GroupLists.h"
#include "people/ui/GroupScreens.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"

namespace tko {

GroupListsWindow::GroupListsWindow(Workspace& workspace, bool selectMode, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_selectMode(selectMode) {
    setObjectName(QStringLiteral("GroupListsWindow"));
    setWindowTitle(QStringLiteral("Group Lists"));
    setWhatsThis(QStringLiteral("~Browse_Groups_Window"));
    setSizeGripEnabled(true);

    m_list = new BrowseList(workspace.db->engine(), GroupName::def(), this);
    m_list->setObjectName(QStringLiteral("groupList"));
    m_list->setColumns(
        {{QStringLiteral("Group Name"), QStringLiteral("GROUPNAME"), QStringLiteral("@s20"), 90},
         {QStringLiteral("User"), QStringLiteral("USER"), QStringLiteral("@s15"), 64},
         {QStringLiteral("Group Number"), QStringLiteral("GROUPNUMBER"), QStringLiteral("@n-13"),
          56, ColumnAlign::Right}});
    m_list->setKey(QStringLiteral("GRO:GROUPNAME_KEY"));
    m_list->setFilter(groupListFilter(workspace.session));
    m_list->setSelectMode(selectMode);

    auto* buttons = new QHBoxLayout;
    auto add = [&](const char* name, const char* text, const char* tip, auto action) {
        auto* b = new QPushButton(QLatin1String(text), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        if (tip) b->setToolTip(QLatin1String(tip));
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* select = add("selectButton", "Select", "Select highlighted group list",
                              &GroupListsWindow::selectGroup);
    select->setEnabled(selectMode);
    select->setDefault(selectMode);
    add("insertButton", "Insert", "Create a new group list", &GroupListsWindow::insertGroup);
    add("changeButton", "Change/View", "Change or view highlighted group list",
        &GroupListsWindow::changeGroup);
    add("deleteButton", "Delete", "Delete highlighted group list", &GroupListsWindow::deleteGroup);
    buttons->addStretch(1);
    add("closeButton", "Close", nullptr, &QDialog::reject);
    add("helpButton", "Help", nullptr, [this] { HelpBrowser::showHelp(whatsThis(), this); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(480, 360);

    connect(m_list, &BrowseList::rowChosen, this, [this](const store::Row&) { selectGroup(); });
    connect(m_list, &BrowseList::changeRequested, this,
            [this](const store::Row&) { changeGroup(); });
    connect(m_list, &BrowseList::insertRequested, this, &GroupListsWindow::insertGroup);
    connect(m_list, &BrowseList::deleteRequested, this,
            [this](const store::Row&) { deleteGroup(); });
    m_list->reload();
}

QPushButton* GroupListsWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

std::optional<GroupName> GroupListsWindow::highlighted() const {
    const store::Row* row = m_list->selectedRow();
    if (!row) return std::nullopt;
    GroupName group;
    group.fromRow(*row);
    return group;
}

void GroupListsWindow::reloadOn(const GroupName& group) {
    if (group.rowPos != 0)
        m_list->reloadAt(group.toRow());
    else
        m_list->refresh();
}

void GroupListsWindow::selectGroup() {
    if (!m_selectMode) return;
    std::optional<GroupName> group = highlighted();
    if (!group) return;
    m_chosen = group;
    accept();
}

void GroupListsWindow::insertGroup() {
    GroupName group;
    if (runGroupListForm(this, m_workspace, Request::Insert, group))
        reloadOn(group);
    else
        m_list->refresh();
}

void GroupListsWindow::changeGroup() {
    std::optional<GroupName> group = highlighted();
    if (!group) return;
    runGroupListForm(this, m_workspace, Request::Change, *group);
    reloadOn(*group);
}

void GroupListsWindow::deleteGroup() {
    std::optional<GroupName> group = highlighted();
    if (!group) return;
    runGroupListForm(this, m_workspace, Request::Delete, *group);
    m_list->refresh();
}

}  // namespace tko
