#include "assign/lists/ui/DueNowWindow.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "platform/IniFiles.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"

namespace tko {

DueNowWindow::DueNowWindow(Workspace& workspace, ListActions actions, QWidget* parent)
    : AssignmentListWindow(workspace, std::move(actions), parent) {
    setIdentity({"DueNowWindow", "dueNowList", QStringLiteral("Assignments Due Now"),
                 QStringLiteral("~Assignments_Due_Now_Window"), true});

    m_includeSecondary = new QCheckBox(QStringLiteral("Include secondary"), this);
    m_includeSecondary->setObjectName(QStringLiteral("includeSecondaryCheck"));
    headerLayout()->addWidget(m_includeSecondary);

    list()->setColumns({
        {QStringLiteral("Assignment"), QStringLiteral("NAME"), QStringLiteral("@s50"), 129},
        {QStringLiteral("Person"), QStringLiteral("PERSON"), QStringLiteral("@s15"), 71},
        {QStringLiteral("Priority"), QStringLiteral("PRIORITY"), QStringLiteral("@n1"), 24,
         ColumnAlign::Center},
        {QStringLiteral("Due Date"), QStringLiteral("DUEDATE"), QStringLiteral("@D17b"), 64,
         ColumnAlign::Right},
        {QStringLiteral("User Name"), QStringLiteral("USERNAME"), QStringLiteral("@s15"), 60},
        {QStringLiteral("Secondary"), QStringLiteral("SECONDARY"), QStringLiteral("@n3"), 12,
         ColumnAlign::Center},
        {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n-13"),
         52, ColumnAlign::Right},
    });
    std::vector<SortTab> tabs;
    for (const DueNowOrder& order : kDueNowOrders)
        tabs.push_back({order.caption, order.tip, order.keyLabel, order.reportOrder});
    setSortTabs(std::move(tabs));
    setButtons({
        changeButton(),
        insertButton(),
        concludeButton(),
        {"printButton", "&Print", "Print Assignments Due", [this] { print(); }},
    });

    const bool include = readIncludeSecondary(todayIniPath(m_workspace.programDir));
    m_includeSecondary->setChecked(include);
    if (!loadDueNowScope(*m_workspace.db, m_workspace.session, include, Clock::today(), m_scope)
             .ok())
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("SYSTEMPREF"));
    // A new day may have begun while the window was open.
    beforeReload = [this] {
        m_scope.today = Clock::today();
        list()->setFilter(dueNowFilter(m_scope));
    };
    connect(m_includeSecondary, &QCheckBox::toggled, this, &DueNowWindow::onIncludeSecondary);
    finish(760, 420);
}

const DueNowOrder& DueNowWindow::currentOrder() const {
    return kDueNowOrders[static_cast<size_t>(std::max(currentTabIndex(), 0))];
}

void DueNowWindow::onIncludeSecondary(bool checked) {
    m_scope.includeSecondary = checked;
    writeIncludeSecondary(todayIniPath(m_workspace.programDir), checked);
    reloadKeeping();
}

void DueNowWindow::print() {
    const QString order = QLatin1String(currentOrder().reportOrder);
    if (m_actions.printDue)
        m_actions.printDue(this, m_workspace, order);
    else
        MessageBox::showStandard(this, 6, QLatin1String(kDueReportProcedure));
}

}  // namespace tko
