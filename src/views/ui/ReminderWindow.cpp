#include "views/ui/ReminderWindow.h"

#include <QLabel>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "data/Keys.h"
#include "platform/ui/BrowseList.h"
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
    : ListWindow(workspace.db->engine(), Reminder::def(), parent),
      m_workspace(workspace),
      m_actions(std::move(actions)),
      m_assignments(std::make_unique<ReminderAssignments>(*workspace.db)) {
    setIdentity({"ReminderWindow", "remindersList", QStringLiteral("Current Reminders"),
                 QStringLiteral("~Current_Reminders_Window"), true});

    auto* heading = new QLabel(QStringLiteral("Current reminders"), this);
    heading->setObjectName(QStringLiteral("headingLabel"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    headerLayout()->addWidget(heading);

    list()->setColumns({
        {QStringLiteral("Date"), QStringLiteral("DATE"), QStringLiteral("@D17b"), 48,
         ColumnAlign::Right},
        // Note and assignment name are 50 characters each; at 90 units the
        // window's first width shows every column, and the note takes the room
        // of a wider window.
        {QStringLiteral("Note"), QStringLiteral("NOTE"), QStringLiteral("@s50"), 90},
        {QStringLiteral("Assignment"), QStringLiteral("ASS:NAME"), QStringLiteral("@s50"), 90},
        {QStringLiteral("Person"), QStringLiteral("ASS:PERSON"), QStringLiteral("@s15"), 60},
        {QStringLiteral("Alarm Flag"), QStringLiteral("ALARMFLAG"), QStringLiteral("@n3"), 32,
         ColumnAlign::Center},
        {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n-13"),
         52, ColumnAlign::Right},
        {QStringLiteral("Assign Number"), QStringLiteral("ASS:ASSIGNNUMBER"),
         QStringLiteral("@n-13"), 52, ColumnAlign::Right},
        {QStringLiteral("User"), QStringLiteral("USER"), QStringLiteral("@s15"), 60},
    });
    // The row carries the assignment number twice (the reminder's and the
    // assignment's, always equal): it is shown once.
    list()->view()->setColumnHidden(AssNumberColumn, true);
    list()->setStretchColumn(NoteColumn);
    auto* delegate = new AssignmentCellDelegate(this, this);
    for (int column : {NameColumn, PersonColumn, AssNumberColumn})
        list()->view()->setItemDelegateForColumn(column, delegate);
    list()->setKey(QLatin1String(kCurrentRemindersKey));
    // The assignments are read again, and "today" may have moved on.
    beforeReload = [this] {
        m_assignments->clear();
        list()->setFilter(currentRemindersFilter(m_workspace.session.GlobalUser, Clock::today()));
    };
    setButtons({
        {"viewButton", "&View", "Change or view details of assignment", [this] { viewSelected(); },
         ListRole::Change, NeedsRow::Yes},
        {"deleteButton", "&Delete", "Permanently delete this reminde", [this] { deleteSelected(); },
         ListRole::Delete, NeedsRow::Yes},
        {"alertButton", "&Alert", "Toggle alert status", [this] { toggleAlert(); }, ListRole::None,
         NeedsRow::Yes},
        {"printButton", "&Print", "Print current reminders", [this] { print(); }},
    });
    setPopup({{"viewPopupAction", "View", [this] { viewSelected(); }}});
    finish(780, 360);
}

ReminderWindow::~ReminderWindow() = default;

const Assignment* ReminderWindow::assignmentOfRow(int row) const {
    const auto& rows = list()->pager().rows();
    if (row < 0 || row >= static_cast<int>(rows.size())) return nullptr;
    Reminder reminder;
    reminder.fromRow(rows[static_cast<size_t>(row)]);
    return m_assignments->find(reminder.ASSIGNNUMBER);
}

QString ReminderWindow::cellText(int row, int column) const {
    if (column != NameColumn && column != PersonColumn && column != AssNumberColumn)
        return list()->cellText(row, column);
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

void ReminderWindow::actionFailed(int number, const store::Row& row) {
    MessageBox::showStandard(this, number,
                             QString::fromStdString(m_workspace.db->lastError().describe()),
                             QStringLiteral("REMINDER"));
    reloadOn(row);
}

void ReminderWindow::viewSelected() {
    store::Row row;
    Reminder reminder;
    if (!m_actions.openForm || !highlightedRecord(row, reminder)) return;
    Assignment record;
    if (m_workspace.db->fetch(key::ASS_NUMBER_KEY, {std::int64_t{reminder.ASSIGNNUMBER}}, record)
            .ok()) {
        m_actions.openForm(this, m_workspace, Request::Change, record);
    } else {
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("ASSIGNMENT"));
    }
    reloadOn(row);
}

void ReminderWindow::deleteSelected() {
    store::Row row;
    Reminder reminder;
    if (!highlightedRecord(row, reminder)) return;
    // Like every other delete of the program, the reminder goes only once
    // the user has confirmed it (message 32).
    if (MessageBox::showStandard(this, 32) != Answer::Ok) return;
    const Status s = deleteReminder(*m_workspace.db, reminder);
    if (!s.ok()) return actionFailed(s.code == store::kRecordNotFound ? 35 : 17, row);
    reloadOn(row);
}

void ReminderWindow::toggleAlert() {
    store::Row row;
    Reminder reminder;
    if (!highlightedRecord(row, reminder)) return;
    const Status s = toggleReminderAlarm(*m_workspace.db, reminder);
    if (!s.ok()) return actionFailed(s.code == store::kRecordNotFound ? 35 : 15, row);
    reloadOn(reminder.toRow());
}

void ReminderWindow::print() {
    if (m_actions.printReminders)
        m_actions.printReminders(this, m_workspace);
    else
        MessageBox::showStandard(this, 6, QLatin1String(kRemindersReportProcedure));
    reloadKeeping();
}

}  // namespace tko
