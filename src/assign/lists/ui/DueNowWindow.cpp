#include "assign/lists/ui/DueNowWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/IniFiles.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

QPushButton* addButton(QWidget* parent, QLayout* layout, const char* name, const QString& text,
                       const QString& tip = {}) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    if (!tip.isEmpty()) button->setToolTip(tip);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

}  // namespace

DueNowWindow::DueNowWindow(Workspace& workspace, ListActions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), m_workspace(workspace), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("DueNowWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Assignments Due Now"));
    setWhatsThis(QStringLiteral("~Assignments_Due_Now_Window"));

    m_includeSecondary = new QCheckBox(QStringLiteral("Include secondary"), this);
    m_includeSecondary->setObjectName(QStringLiteral("includeSecondaryCheck"));

    m_list = new BrowseList(m_workspace.db->engine(), Assignment::def(), this);
    m_list->setObjectName(QStringLiteral("dueNowList"));
    m_list->setColumns({
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
    std::vector<std::pair<QString, const store::KeyDef*>> tabs;
    for (const DueNowOrder& order : kDueNowOrders)
        tabs.emplace_back(QLatin1String(order.caption), Assignment::def().key(order.keyLabel));
    m_list->setSortTabs(tabs);
    for (int i = 0; i < static_cast<int>(kDueNowOrders.size()); ++i)
        m_list->sortTabs()->setTabToolTip(
            i, QString::fromStdString(translateText(kDueNowOrders[static_cast<size_t>(i)].tip)));

    auto* buttons = new QHBoxLayout;
    m_change = addButton(this, buttons, "changeButton", QStringLiteral("&Change/View"),
                         QStringLiteral("Change or view details of assignment"));
    QPushButton* insert = addButton(this, buttons, "insertButton", QStringLiteral("&Insert"),
                                    QStringLiteral("Add new assignment"));
    m_conclude = addButton(this, buttons, "concludeButton", QStringLiteral("C&onclude"),
                           QStringLiteral("Conclude assignment"));
    QPushButton* printButton = addButton(this, buttons, "printButton", QStringLiteral("&Print"),
                                         QStringLiteral("Print Assignments Due"));
    buttons->addStretch();
    QPushButton* close = addButton(this, buttons, "closeButton", QStringLiteral("Close"));
    QPushButton* help = addButton(this, buttons, "helpButton", QStringLiteral("&Help"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_includeSecondary);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(760, 420);

    connect(m_change, &QPushButton::clicked, this, &DueNowWindow::changeSelected);
    connect(insert, &QPushButton::clicked, this, &DueNowWindow::insertAssignment);
    connect(m_conclude, &QPushButton::clicked, this, &DueNowWindow::concludeSelected);
    connect(printButton, &QPushButton::clicked, this, &DueNowWindow::print);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    connect(m_list, &BrowseList::changeRequested, this, &DueNowWindow::changeSelected);
    connect(m_list, &BrowseList::insertRequested, this, &DueNowWindow::insertAssignment);
    connect(m_list, &BrowseList::selectionChanged, this, &DueNowWindow::updateButtons);
    connect(m_list, &BrowseList::storageError, this, &QWidget::close);

    const bool include = readIncludeSecondary(todayIniPath(m_workspace.programDir));
    m_includeSecondary->setChecked(include);
    if (!loadDueNowScope(*m_workspace.db, m_workspace.session, include, Clock::today(), m_scope)
             .ok())
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("SYSTEMPREF"));
    connect(m_includeSecondary, &QCheckBox::toggled, this, &DueNowWindow::onIncludeSecondary);
    applyScope();
    m_list->reload();
    updateButtons();
}

QPushButton* DueNowWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

const DueNowOrder& DueNowWindow::currentOrder() const {
    const int tab =
        std::clamp(m_list->sortTabs()->currentIndex(), 0, int(kDueNowOrders.size()) - 1);
    return kDueNowOrders[static_cast<size_t>(tab)];
}

void DueNowWindow::applyScope() {
    m_list->setFilter(dueNowFilter(m_scope));
}

void DueNowWindow::onIncludeSecondary(bool checked) {
    m_scope.includeSecondary = checked;
    writeIncludeSecondary(todayIniPath(m_workspace.programDir), checked);
    applyScope();
    if (const store::Row* row = m_list->selectedRow())
        reloadOn(*row);
    else
        m_list->reload();
}

void DueNowWindow::updateButtons() {
    const bool any = m_list->selectedRow() != nullptr;
    m_change->setEnabled(any);
    m_conclude->setEnabled(any);
}

void DueNowWindow::reloadOn(const store::Row& row) {
    // A new day may have begun while the window was open.
    m_scope.today = Clock::today();
    applyScope();
    m_list->reloadAt(row);
    updateButtons();
}

void DueNowWindow::changeSelected() {
    const store::Row* selected = m_list->selectedRow();
    if (!selected || !m_actions.openForm) return;
    const store::Row row = *selected;
    Assignment record;
    record.fromRow(row);
    // The page holds no memos; the form gets the whole stored record.
    if (!m_workspace.db->reread(record).ok()) {
        reloadOn(row);
        return;
    }
    m_workspace.session.GlobalRequest = Request::Change;
    const bool done = m_actions.openForm(this, m_workspace, Request::Change, record);
    reloadOn(done ? record.toRow() : row);
}

void DueNowWindow::insertAssignment() {
    if (!m_actions.openForm) return;
    Assignment record;
    m_workspace.session.GlobalRequest = Request::Insert;
    const bool done = m_actions.openForm(this, m_workspace, Request::Insert, record);
    if (done)
        reloadOn(record.toRow());
    else if (const store::Row* row = m_list->selectedRow())
        reloadOn(*row);
    else
        m_list->reload();
}

void DueNowWindow::concludeSelected() {
    const store::Row* selected = m_list->selectedRow();
    if (!selected || !m_actions.conclude) return;
    const store::Row row = *selected;
    Assignment record;
    record.fromRow(row);
    const ConcludeOutcome outcome =
        m_actions.conclude(*m_workspace.db, m_workspace.session, record, Clock::today());
    // The message is the store's error text, or a note that another station
    // concluded it first; either is shown as it comes.
    if (outcome.kind == ConcludeOutcome::Failed)
        MessageBox::showText(this, QStringLiteral("%1"), QStringLiteral("Information Safeguard"),
                             MessageButtons::Ok, {QString::fromStdString(outcome.message)},
                             MessageBox::Icon::Warning);
    else if (!outcome.message.empty())
        MessageBox::showText(this, QStringLiteral("%1"), {}, MessageButtons::Ok,
                             {QString::fromStdString(outcome.message)});
    reloadOn(row);
}

void DueNowWindow::print() {
    const QString order = QLatin1String(currentOrder().reportOrder);
    if (m_actions.printDue)
        m_actions.printDue(this, m_workspace, order);
    else
        MessageBox::showStandard(this, 6, QLatin1String(kDueReportProcedure));
}

}  // namespace tko
