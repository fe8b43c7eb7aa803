// The "Reminders" page of the assignment form: the reminders of the
// assignment with "Insert", "Change" and "Delete" (and the list's own keys),
// each asking the form, through openRequested(), to open the reminder form.
#pragma once

#include <QWidget>

#include "platform/FormRequest.h"
#include "platform/store/Engine.h"

namespace tko {

class BrowseList;

class AssignmentRemindersPage : public QWidget {
    Q_OBJECT
public:
    AssignmentRemindersPage(store::Engine& engine, QWidget* parent = nullptr);

    // Lists the reminders of assignment `number`.
    void showReminders(std::int32_t number);
    // The group form's columns.
    void adaptToGroup();

    BrowseList* reminderList = nullptr;

signals:
    void openRequested(Request request);
};

}  // namespace tko
