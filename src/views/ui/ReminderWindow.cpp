#include "views/ui/ReminderWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

// Columns of the list; those of the related assignment are filled in by the
// window, the others by the list from the reminder itself.
enum Column {
    DateColumn,
    NoteColumn,
    NameColumn,
    PersonColumn,
    AlarmColumn,
    RemNumberColumn,
    AssNumberColumn,
    UserColumn
};

// Shows the window's text for the assignment's columns, which the list's own
// model cannot read from the reminder row.
class AssignmentCellDelegate : public QStyledItemDelegate {
public:
    AssignmentCellDelegate(const ReminderWindow* window, QObject* parent)
        : QStyledItemDelegate(parent), m_window(window) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = m_window->cellText(index.row(), index.column());
    }

private:
    const ReminderWindow* m_window;
};

}  // namespace

ReminderWindow::ReminderWindow(Workspace& workspace, ListActions actions, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_workspace(workspace),
      m_actions(std::move(actions)),
      m_assignments(std::make_unique<ReminderAssignments>(*workspace.db)) {
    setObjectName(QStringLiteral("ReminderWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Current Reminders"));
    setWhatsThis(QStringLiteral("~Current_Reminders_Window"));

    auto* heading = new QLabel(QStringLiteral("Current reminders"), this);
    heading->setObjectName(QStringLiteral("headingLabel"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    m_list = new BrowseList(m_workspace.db->engine(), Reminder::def(), this);
    m_list->setObjectName(QStringLiteral("remindersList"));
    m_list->setColumns({
        {QStringLiteral("Date"), QStringLiteral("DATE"), QStringLiteral("@D17b"), 48,
         ColumnAlign::Right},
        {QStringLiteral("Note"), QStringLiteral("NOTE"), QStringLiteral("@s50"), 120},
        {QStringLiteral("Assignment"), QStringLiteral("ASS:NAME"), QStringLiteral("@s50"), 120},
        {QStringLiteral("Person"), QStringLiteral("ASS:PERSON"), QStringLiteral("@s15"), 60},
        {QStringLiteral("Alarm Flag"), QStringLiteral("ALARMFLAG"), QStringLiteral("@n3"), 40,
         ColumnAlign::Center},
        {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n-13"),
         52, ColumnAlign::Right},
        {QStringLiteral("Assign Number"), QStringLiteral("ASS:ASSIGNNUMBER"),
         QStringLiteral("@n-13"), 52, ColumnAlign::Right},
        {QStringLiteral("User"), QStringLiteral("USER"), QStringLiteral("@s15"), 60},
    });
    auto* delegate = new AssignmentCellDelegate(this, this);
    for (int column : {NameColumn, PersonColumn, AssNumberColumn})
        m_list->view()->setItemDelegateForColumn(column, delegate);
    m_list->setKey(QLatin1String(kCurrentRemindersKey));
    m_list->setFilter(currentRemindersFilter(m_workspace.session.GlobalUser, Clock::today()));
    m_list->view()->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const char* name, const QString& text, const QString& tip) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        if (!tip.isEmpty()) button->setToolTip(tip);
        button->setAutoDefault(false);
        buttons->addWidget(button);
        return button;
    };
    m_view = addButton("viewButton", QStringLiteral("&View"),
                       QStringLiteral("Change or view details of assignment"));
    m_delete = addButton("deleteButton", QStringLiteral("&Delete"),
                         QStringLiteral("Permanently delete this reminde"));
    m_alert =
        addButton("alertButton", QStringLiteral("&Alert"), QStringLiteral("Toggle alert status"));
    QPushButton* printButton = addButton("printButton", QStringLiteral("&Print"),
                                         QStringLiteral("Print current reminders"));
    buttons->addStretch();
    QPushButton* close = addButton("closeButton", QStringLiteral("Close"), {});
    QPushButton* help = addButton("helpButton", QStringLiteral("&Help"), {});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(780, 360);

    connect(m_view, &QPushButton::clicked, this, &ReminderWindow::viewSelected);
    connect(m_delete, &QPushButton::clicked, this, &ReminderWindow::deleteSelected);
    connect(m_alert, &QPushButton::clicked, this, &ReminderWindow::toggleAlert);
    connect(printButton, &QPushButton::clicked, this, &ReminderWindow::print);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    // Enter, Ctrl+Enter and a double-click all ask the list to change the row.
    connect(m_list, &BrowseList::changeRequested, this, &ReminderWindow::viewSelected);
    connect(m_list, &BrowseList::selectionChanged, this, &ReminderWindow::updateButtons);
    connect(m_list, &BrowseList::storageError, this, &QWidget::close);
    connect(m_list->view(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = buildContextMenu();
        menu->exec(m_list->view()->viewport()->mapToGlobal(at));
        menu->deleteLater();
    });

    m_list->reload();
    updateButtons();
}

ReminderWindow::~ReminderWindow() = default;

QPushButton* ReminderWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

QMenu* ReminderWindow::buildContextMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("remindersPopup"));
    QAction* view = menu->addAction(QString::fromStdString(translateText("View")));
    view->setObjectName(QStringLiteral("viewPopupAction"));
    view->setEnabled(m_list->selectedRow() != nullptr);
    connect(view, &QAction::triggered, this, &ReminderWindow::viewSelected);
    return menu;
}

const Assignment* ReminderWindow::assignmentOfRow(int row) const {
    const auto& rows = m_list->pager().rows();
    if (row < 0 || row >= static_cast<int>(rows.size())) return nullptr;
    Reminder reminder;
    reminder.fromRow(rows[static_cast<size_t>(row)]);
    return m_assignments->find(reminder.ASSIGNNUMBER);
}

QString ReminderWindow::cellText(int row, int column) const {
    if (column != NameColumn && column != PersonColumn && column != AssNumberColumn)
        return m_list->cellText(row, column);
    const Assignment* assignment = assignmentOfRow(row);
    if (!assignment) return QString();
    switch (column) {
        case NameColumn:
            return formatCell(assignment->NAME, QStringLiteral("@s50"));
        case PersonColumn:
            return formatCell(assignment->PERSON, QStringLiteral("@s15"));
        default:
            return formatCell(std::int64_t{assignment->ASSIGNNUMBER}, QStringLiteral("@n-13"));
    }
}

void ReminderWindow::updateButtons() {
    const bool any = m_list->selectedRow() != nullptr;
    for (QPushButton* b : {m_view, m_delete, m_alert}) b->setEnabled(any);
}

void ReminderWindow::reloadOn(const store::Row& row) {
    m_assignments->clear();
    m_list->setFilter(currentRemindersFilter(m_workspace.session.GlobalUser, Clock::today()));
    m_list->reloadAt(row);
    updateButtons();
}

void ReminderWindow::actionFailed(int number, const store::Row& row) {
    MessageBox::showStandard(this, number,
                             QString::fromStdString(m_workspace.db->lastError().describe()),
                             QStringLiteral("REMINDER"));
    reloadOn(row);
}

void ReminderWindow::viewSelected() {
    const store::Row* selected = m_list->selectedRow();
    if (!selected || !m_actions.openForm) return;
    const store::Row row = *selected;
    Reminder reminder;
    reminder.fromRow(row);
    Assignment record;
    if (m_workspace.db->fetch("ASS:NUMBER_KEY", {std::int64_t{reminder.ASSIGNNUMBER}}, record)
            .ok()) {
        m_workspace.session.GlobalRequest = Request::Change;
        m_actions.openForm(this, m_workspace, Request::Change, record);
    } else {
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("ASSIGNMENT"));
    }
    reloadOn(row);
}

void ReminderWindow::deleteSelected() {
    const store::Row* selected = m_list->selectedRow();
    if (!selected) return;
    const store::Row row = *selected;
    Reminder reminder;
    reminder.fromRow(row);
    const Status s = deleteReminder(*m_workspace.db, reminder);
    if (!s.ok()) return actionFailed(s.code == store::kRecordNotFound ? 35 : 17, row);
    reloadOn(row);
}

void ReminderWindow::toggleAlert() {
    const store::Row* selected = m_list->selectedRow();
    if (!selected) return;
    const store::Row row = *selected;
    Reminder reminder;
    reminder.fromRow(row);
    const Status s = toggleReminderAlarm(*m_workspace.db, reminder);
    if (!s.ok()) return actionFailed(s.code == store::kRecordNotFound ? 35 : 15, row);
    reloadOn(reminder.toRow());
}

void ReminderWindow::print() {
    if (m_actions.printReminders)
        m_actions.printReminders(this, m_workspace);
    else
        MessageBox::showStandard(this, 6, QLatin1String(kRemindersReportProcedure));
    if (const store::Row* row = m_list->selectedRow())
        reloadOn(*row);
    else
        m_list->reload();
}

}  // namespace tko
