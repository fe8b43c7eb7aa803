#include "assign/ui/AssignmentRemindersPage.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "assign/ui/FormWidgets.h"
#include "data/Keys.h"
#include "data/Records.h"
#include "platform/ui/BrowseList.h"

namespace tko {

AssignmentRemindersPage::AssignmentRemindersPage(store::Engine& engine, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("remindersPage"));
    reminderList = new BrowseList(engine, Reminder::def(), this);
    reminderList->setObjectName(QStringLiteral("reminderList"));
    reminderList->setColumns(
        {{QStringLiteral("Date"), QStringLiteral("DATE"), QStringLiteral("@D17"), 60},
         {QStringLiteral("Note"), QStringLiteral("NOTE"), QStringLiteral("@s50"), 200},
         {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n_13"),
          60, ColumnAlign::Right}});
    reminderList->setKey(QLatin1String(key::REM_ASSIGNNUMBER_KEY));
    auto* insert = makeButton(this, "insertReminderButton", "Insert");
    auto* change = makeButton(this, "changeReminderButton", "Change");
    auto* remove = makeButton(this, "deleteReminderButton", "Delete");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {insert, change, remove}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(reminderList, 1);
    layout->addLayout(buttons);
    auto ask = [this](Request request) { return [this, request] { emit openRequested(request); }; };
    connect(insert, &QPushButton::clicked, this, ask(Request::Insert));
    connect(change, &QPushButton::clicked, this, ask(Request::Change));
    connect(remove, &QPushButton::clicked, this, ask(Request::Delete));
    connect(reminderList, &BrowseList::insertRequested, this, ask(Request::Insert));
    connect(reminderList, &BrowseList::changeRequested, this, ask(Request::Change));
    connect(reminderList, &BrowseList::deleteRequested, this, ask(Request::Delete));
}

void AssignmentRemindersPage::showReminders(std::int32_t number) {
    reminderList->setRange({std::int64_t{number}});
    reminderList->reload();
}

void AssignmentRemindersPage::adaptToGroup() {
    reminderList->setColumns(
        {{QStringLiteral("Date"), QStringLiteral("DATE"), QStringLiteral("@D18"), 90},
         {QStringLiteral("Note"), QStringLiteral("NOTE"), QStringLiteral("@s50"), 200},
         {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n_13"),
          60, ColumnAlign::Right}});
}

}  // namespace tko
